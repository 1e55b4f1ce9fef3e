// The button: "click" from posted mouse and key messages, the drag-out rules,
// the disabled state, "menu", and the state images and text colours checked
// by pixels.
#include "ControlsTestUtil.h"

#include <functional>

using namespace SkinUI;
using namespace ctltest;
using testsupport::Canvas;

namespace {

TEST(ButtonNames, ClassInterfacesStyleAndInputFlags)
{
    ButtonProbe button;
    EXPECT_STREQ(L"ButtonUI", button.GetClassName());
    EXPECT_EQ(static_cast<void*>(&button), button.GetInterface(L"Button"));
    EXPECT_EQ(static_cast<void*>(&button), button.GetInterface(L"Label"));
    EXPECT_EQ(static_cast<void*>(&button), button.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, button.GetInterface(L"Container"));
    EXPECT_EQ(nullptr, button.GetInterface(L"Option"));
    EXPECT_EQ((UINT)(DT_CENTER | DT_VCENTER | DT_SINGLELINE), button.Style());

    EXPECT_EQ((UINT)(TabStop | WantSetCursor), button.GetInputFlags());
    button.SetKeyboardEnabled(false);
    EXPECT_EQ((UINT)WantSetCursor, button.GetInputFlags());
    button.SetKeyboardEnabled(true);
    button.SetEnabled(false);
    EXPECT_EQ((UINT)TabStop, button.GetInputFlags());
}

TEST(ButtonNames, AttributesReachTheirSetters)
{
    ButtonProbe button;
    button.ApplyAttributes(L"hotbkcolor=\"#FF010203\" hottextcolor=\"FF040506\" pushedtextcolor=\"#FF070809\" "
                           L"focusedtextcolor=\"#FF0A0B0C\" textcolor=\"#FF0D0E0F\" align=\"left\"");
    EXPECT_EQ(0xFF010203u, button.HotBk());
    EXPECT_EQ(0xFF040506u, button.GetHotTextColor());
    EXPECT_EQ(0xFF070809u, button.GetPushedTextColor());
    EXPECT_EQ(0xFF0A0B0Cu, button.GetFocusedTextColor());
    EXPECT_EQ(0xFF0D0E0Fu, button.GetTextColor());   // the label's
    EXPECT_EQ(0u, button.Style());
}

class ButtonWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(300, 200));
        root = new CContainerUI;
        root->SetBackgroundColor(0xFFFFFFFF);
        button = new ButtonProbe;
        button->SetName(L"btn");
        button->SetFloat(true);
        button->SetAttribute(L"pos", L"50,50,150,100");
        root->Add(button);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.pm.AddNotifier(&rec);
        host.Update();
        ASSERT_TRUE(SameRect(CUIRect(50, 50, 150, 100), button->GetPos())) << RectText(button->GetPos());
    }
    void Capture()
    {
        host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    }

    HostWindow host;
    Recorder rec{ { L"click", L"menu" } };
    CContainerUI* root = nullptr;
    ButtonProbe* button = nullptr;
    Canvas canvas{ 300, 200 };
    ImageFolder images;
};

TEST_F(ButtonWindowTest, PressAndReleaseInsideSendsOneClick)
{
    host.Click(100, 75);
    ASSERT_EQ(1u, rec.items.size());
    EXPECT_EQ(L"click", rec.items[0].type);
    EXPECT_EQ(button, rec.items[0].sender);
    EXPECT_EQ(0u, rec.items[0].wParam);
    EXPECT_EQ(0, rec.items[0].lParam);
    EXPECT_EQ(0u, button->State() & (UIStatePushed | UIStateCaptured));
    // The press gave the button the focus.
    EXPECT_EQ(button, host.pm.GetFocus());
}

TEST_F(ButtonWindowTest, DraggingOutCancelsAndComingBackClicksOnce)
{
    // Out and released outside: no click.
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    host.PostMouse(WM_LBUTTONDOWN, 100, 75);
    host.PostMouse(WM_MOUSEMOVE, 200, 150);
    Drain();
    EXPECT_EQ(UIStateCaptured, button->State() & (UIStatePushed | UIStateCaptured));
    host.PostMouse(WM_LBUTTONUP, 200, 150);
    Drain();
    EXPECT_TRUE(rec.items.empty());
    EXPECT_EQ(0u, button->State() & (UIStatePushed | UIStateCaptured));

    // Out and back in: one click.
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    host.PostMouse(WM_LBUTTONDOWN, 100, 75);
    host.PostMouse(WM_MOUSEMOVE, 200, 150);
    host.PostMouse(WM_MOUSEMOVE, 120, 80);
    Drain();
    EXPECT_EQ((UINT)(UIStatePushed | UIStateCaptured), button->State() & (UIStatePushed | UIStateCaptured));
    host.PostMouse(WM_LBUTTONUP, 120, 80);
    Drain();
    ASSERT_EQ(1u, rec.items.size());
    EXPECT_EQ(L"click", rec.items[0].type);
}

TEST_F(ButtonWindowTest, PushedImageShowsOnlyWhileThePointerIsInside)
{
    button->ApplyAttributes(L"normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\"");
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 100, 75, kHot);
    host.PostMouse(WM_LBUTTONDOWN, 100, 75);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 100, 75, kPushed);
    host.PostMouse(WM_MOUSEMOVE, 250, 150);   // outside: no longer hot either
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 100, 75, kNormal);
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 100, 75, kPushed);
    host.PostMouse(WM_LBUTTONUP, 100, 75);
    Drain();
    Capture();
    EXPECT_NE(kPushed & 0x00FFFFFF, canvas.Pixel(100, 75) & 0x00FFFFFF);
    // Releasing the capture makes the system report the real pointer, which
    // rests outside this window; back over the button it is hot again.
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 100, 75, kHot);
    EXPECT_PIXEL(canvas, 40, 40, kWhite);
    canvas.DumpIfFailed("button_pushed");
}

TEST_F(ButtonWindowTest, SpaceAndEnterActivateTheFocusedButton)
{
    button->SetFocus();
    ASSERT_EQ(button, host.pm.GetFocus());
    host.Post(WM_KEYDOWN, VK_SPACE, 0);
    host.Post(WM_KEYUP, VK_SPACE, 0);
    host.Post(WM_KEYDOWN, VK_RETURN, 0);
    host.Post(WM_KEYUP, VK_RETURN, 0);
    host.Post(WM_KEYDOWN, 'A', 0);
    Drain();
    EXPECT_EQ(2u, rec.items.size());

    // Not with the keyboard off, nor disabled.
    rec.Clear();
    button->SetKeyboardEnabled(false);
    host.Post(WM_KEYDOWN, VK_SPACE, 0);
    Drain();
    EXPECT_TRUE(rec.items.empty());
    button->SetKeyboardEnabled(true);
    UIEvent key = MakeEvent(UIEventKeyDown, POINT{ 0, 0 }, VK_SPACE);
    button->SetEnabled(false);
    button->DispatchEvent(key);
    EXPECT_TRUE(rec.items.empty());
    EXPECT_FALSE(button->Activate());
}

TEST_F(ButtonWindowTest, DisabledButtonIgnoresPressesAndForgetsItsState)
{
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    Drain();
    ASSERT_EQ((UINT)UIStateHot, button->State() & UIStateHot);
    button->SetEnabled(false);
    EXPECT_EQ(0u, button->State());
    host.Click(100, 75);
    EXPECT_TRUE(rec.items.empty());
    EXPECT_EQ(0u, button->State() & (UIStatePushed | UIStateCaptured | UIStateHot));

    button->SetEnabled(true);
    host.PostMouse(WM_MOUSEMOVE, 250, 150);
    host.Click(100, 75);
    EXPECT_EQ(1u, rec.items.size());
}

TEST_F(ButtonWindowTest, ContextMenuSendsMenuWhenEnabled)
{
    POINT screen = { 100, 75 };
    ::ClientToScreen(host.GetHWND(), &screen);
    host.PostMouse(WM_RBUTTONDOWN, 100, 75);
    host.Post(WM_CONTEXTMENU, (WPARAM)host.GetHWND(), MAKELPARAM(screen.x, screen.y));
    Drain();
    EXPECT_TRUE(rec.items.empty());

    button->SetAttribute(L"menu", L"true");
    host.PostMouse(WM_RBUTTONDOWN, 100, 75);
    host.Post(WM_CONTEXTMENU, (WPARAM)host.GetHWND(), MAKELPARAM(screen.x, screen.y));
    Drain();
    ASSERT_EQ(1u, rec.items.size());
    EXPECT_EQ(L"menu", rec.items[0].type);
    EXPECT_EQ(0u, rec.items[0].wParam);
    // The manager hands the clicked control along as lParam.
    EXPECT_EQ(reinterpret_cast<LPARAM>(static_cast<CControlUI*>(button)), rec.items[0].lParam);
}

TEST_F(ButtonWindowTest, MeasuresTheFontHeightPlusEight)
{
    const UIFontInfo* font = host.pm.GetFontInfoByIndex(-1);
    ASSERT_NE(nullptr, font);
    ASSERT_GT(font->tm.tmHeight, 0);
    button->SetFixedWidth(40);
    button->SetFixedHeight(0);
    CUISize sz = button->MeasureSize(SIZE{ 500, 500 });
    EXPECT_EQ(40, sz.cx);
    EXPECT_EQ(font->tm.tmHeight + 8, sz.cy);
}

// Which image a state shows: the pixel in the middle of the button and the
// pixel in its top-left corner, where the fore images are placed.
TEST_F(ButtonWindowTest, StateImagePriority)
{
    const wchar_t* kAll = L"normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\" "
                          L"focusedimage=\"focused.png\" disabledimage=\"disabled.png\" "
                          L"foreimage=\"file='fore.png' dest='0,0,10,10'\" "
                          L"hotforeimage=\"file='hotfore.png' dest='0,0,10,10'\"";
    struct Case
    {
        const char* name;
        const wchar_t* attributes;
        std::function<void()> enter;   // puts the button in the state
        DWORD middle;
        DWORD corner;
    };
    auto hot = [&] {
        host.PostMouse(WM_MOUSEMOVE, 100, 75);
        Drain();
    };
    auto pushed = [&] {
        hot();
        host.PostMouse(WM_LBUTTONDOWN, 100, 75);
        Drain();
    };
    auto focused = [&] {
        button->SetFocus();
        host.PostMouse(WM_MOUSEMOVE, 250, 150);
        Drain();
    };
    auto disabled = [&] {
        pushed();
        button->SetEnabled(false);
    };
    auto none = [] {};
    const Case cases[] = {
        { "normal", kAll, none, kNormal, kFore },
        { "hot", kAll, hot, kHot, kHotFore },
        { "pushed", kAll, pushed, kPushed, kFore },
        { "focused", kAll, focused, kFocused, kFore },
        { "disabled beats pushed", kAll, disabled, kDisabled, kFore },
        { "pushed without image shows normal", L"normalimage=\"normal.png\" hotimage=\"hot.png\"", pushed,
          kNormal, kNormal },
        { "hot without image shows normal", L"normalimage=\"normal.png\"", hot, kNormal, kNormal },
        { "hot fore falls back to fore", L"hotimage=\"hot.png\" foreimage=\"file='fore.png' dest='0,0,10,10'\"",
          hot, kHot, kFore },
        { "hot bk colour fills and draws no fore image",
          L"normalimage=\"normal.png\" hotbkcolor=\"#FF00FF00\" foreimage=\"file='fore.png' dest='0,0,10,10'\"",
          hot, 0xFF00FF00, 0xFF00FF00 },
        { "hot bk colour is not used when not hot",
          L"normalimage=\"normal.png\" hotbkcolor=\"#FF00FF00\" foreimage=\"file='fore.png' dest='0,0,10,10'\"",
          none, kNormal, kFore },
        { "no images", L"", hot, kWhite, kWhite },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh button for each case.
        root->Remove(button);
        Drain();
        host.pm.SetFocus(NULL);
        button = new ButtonProbe;
        button->SetFloat(true);
        button->SetAttribute(L"pos", L"50,50,150,100");
        button->ApplyAttributes(c.attributes);
        root->Add(button);
        host.PostMouse(WM_MOUSEMOVE, 250, 150);
        Drain();
        host.Update();
        c.enter();
        Capture();
        EXPECT_PIXEL(canvas, 100, 75, c.middle);
        EXPECT_PIXEL(canvas, 52, 52, c.corner);
        host.PostMouse(WM_LBUTTONUP, 250, 150);
        Drain();
    }
    canvas.DumpIfFailed("button_states");
}

bool IsColour(DWORD c, DWORD want)
{
    return testsupport::ColorNear(c, want, 40);
}

TEST_F(ButtonWindowTest, TextColourFollowsPushedHotAndFocusedState)
{
    host.pm.AddFont(L"Arial", 40, true, false, false);
    button->ApplyAttributes(L"text=\"MM\" font=\"0\" textcolor=\"#FF000000\" hottextcolor=\"#FF00C000\" "
                            L"pushedtextcolor=\"#FFFF0000\" focusedtextcolor=\"#FF0000FF\"");
    const RECT rc = button->GetPos();
    auto count = [&](DWORD want) {
        return CountPixels(canvas, rc, [&](DWORD c) { return IsColour(c, want); });
    };
    // The first paint gave the window's first tab stop, the button, the focus.
    Capture();
    ASSERT_EQ(button, host.pm.GetFocus());
    EXPECT_GT(count(0xFF0000FF), 50);
    host.pm.SetFocus(NULL);
    Capture();
    EXPECT_GT(count(0xFF000000), 50);
    EXPECT_EQ(0, count(0xFF0000FF));
    host.PostMouse(WM_MOUSEMOVE, 100, 75);
    Drain();
    Capture();
    EXPECT_GT(count(0xFF00C000), 50);
    EXPECT_EQ(0, count(0xFF000000));
    host.PostMouse(WM_LBUTTONDOWN, 100, 75);
    Drain();
    Capture();
    EXPECT_GT(count(0xFFFF0000), 50);
    host.PostMouse(WM_LBUTTONUP, 100, 75);
    host.PostMouse(WM_MOUSEMOVE, 250, 150);   // focused (the press gave it the focus), not hot
    Drain();
    Capture();
    EXPECT_GT(count(0xFF0000FF), 50);
    EXPECT_EQ(0, count(0xFF00C000));
    // The stored text colour is unchanged by all this.
    EXPECT_EQ(0xFF000000u, button->GetTextColor());
    canvas.DumpIfFailed("button_text");
}

} // namespace
