// The scroll bar: the layout of its buttons and thumb, clamping, attributes,
// scrolling an owning container through real mouse messages, the stand-alone
// bar's "scroll" notifications, auto-repeat and thumb drags on the timer, and
// the images (or outlines) it paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UITestHost.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIScrollBar.h"
#include "UIWindow.h"

using namespace SkinUI;
using testsupport::Canvas;
using testsupport::ColorNear;
using testsupport::ColorText;

namespace {

using testsupport::RectText;
using testsupport::SameRect;

// A window whose paint manager sees every message.
class HostWindow : public testsupport::UITestHost
{
public:
    HostWindow() : UITestHost(L"scrollbar host") {}
};

using Recorder = testsupport::NotifyRecorder;

using testsupport::StackContainer;

UIEvent MakeEvent(int kind, CControlUI* sender, WPARAM wParam = 0, int x = 0, int y = 0)
{
    UIEvent ev;
    ZeroMemory(&ev, sizeof(ev));
    ev.nKind = kind;
    ev.pSender = sender;
    ev.dwTimestamp = ::GetTickCount();
    ev.ptMouse.x = x;
    ev.ptMouse.y = y;
    ev.wParam = wParam;
    return ev;
}

POINT Center(const RECT& rc)
{
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

// ---------------------------------------------------------------------------
// Geometry, clamping, attributes (no window needed)
// ---------------------------------------------------------------------------

TEST(ScrollBarGeometry, PartsFollowLengthRangeAndPosition)
{
    struct Case
    {
        const char* what;
        bool horizontal;
        RECT rc;
        int range;
        int pos;
        bool show1;
        bool show2;
        RECT button1;
        RECT button2;
        RECT thumb;
    };
    const Case cases[] = {
        { "vertical, top", false, { 0, 0, 16, 100 }, 100, 0, true, true,
          { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 16, 16, 50 } },
        { "vertical, bottom", false, { 0, 0, 16, 100 }, 100, 100, true, true,
          { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 50, 16, 84 } },
        { "vertical, middle", false, { 0, 0, 16, 100 }, 100, 50, true, true,
          { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 33, 16, 67 } },
        { "range 0 fills between buttons", false, { 0, 0, 16, 100 }, 0, 0, true, true,
          { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 16, 16, 84 } },
        { "too short for a thumb", false, { 0, 0, 16, 20 }, 100, 0, true, true,
          { 0, 0, 16, 10 }, { 0, 10, 16, 20 }, { 0, 0, 0, 0 } },
        { "placed away from the origin", false, { 30, 40, 46, 140 }, 100, 100, true, true,
          { 30, 40, 46, 56 }, { 30, 124, 46, 140 }, { 30, 90, 46, 124 } },
        { "no buttons", false, { 0, 0, 16, 100 }, 100, 100, false, false,
          { 0, 0, 0, 0 }, { 0, 100, 0, 100 }, { 0, 50, 16, 100 } },
        { "only the down button", false, { 0, 0, 16, 100 }, 100, 0, false, true,
          { 0, 0, 0, 0 }, { 0, 84, 16, 100 }, { 0, 0, 16, 42 } },
        { "long content keeps the minimum thumb", false, { 0, 0, 16, 100 }, 10000, 10000, true, true,
          { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 68, 16, 84 } },
        { "huge range does not overflow", false, { 0, 0, 16, 100 }, 2000000000, 1000000000, true, true,
          { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 42, 16, 58 } },
        { "horizontal, left", true, { 0, 0, 200, 16 }, 100, 0, true, true,
          { 0, 0, 16, 16 }, { 184, 0, 200, 16 }, { 16, 0, 128, 16 } },
        { "horizontal, right", true, { 0, 0, 200, 16 }, 100, 100, true, true,
          { 0, 0, 16, 16 }, { 184, 0, 200, 16 }, { 72, 0, 184, 16 } },
        { "horizontal, too short", true, { 0, 0, 20, 16 }, 100, 0, true, true,
          { 0, 0, 10, 16 }, { 10, 0, 20, 16 }, { 0, 0, 0, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CScrollBarUI bar;
        bar.SetHorizontal(c.horizontal);
        bar.SetShowButton1(c.show1);
        bar.SetShowButton2(c.show2);
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.pos);
        bar.SetPos(c.rc);
        EXPECT_EQ(c.pos, bar.GetScrollPos());
        EXPECT_RECT(c.button1, bar.GetButton1Rect());
        EXPECT_RECT(c.button2, bar.GetButton2Rect());
        EXPECT_RECT(c.thumb, bar.GetThumbRect());
    }
}

TEST(ScrollBarGeometry, PositionAndRangeAreClampedAndRelaidOut)
{
    CScrollBarUI bar;
    bar.SetPos(CUIRect(0, 0, 16, 100));
    bar.SetScrollPos(-5);
    EXPECT_EQ(0, bar.GetScrollPos());
    bar.SetScrollPos(500);
    EXPECT_EQ(100, bar.GetScrollPos());
    EXPECT_RECT(CUIRect(0, 50, 16, 84), bar.GetThumbRect());

    bar.SetScrollPos(80);
    bar.SetScrollRange(50);
    EXPECT_EQ(50, bar.GetScrollRange());
    EXPECT_EQ(50, bar.GetScrollPos());
    // t = 100 * 68 / 150 = 45, at the end of the track.
    EXPECT_RECT(CUIRect(0, 39, 16, 84), bar.GetThumbRect());

    bar.SetScrollRange(-3);
    EXPECT_EQ(0, bar.GetScrollRange());
    EXPECT_EQ(0, bar.GetScrollPos());
    EXPECT_RECT(CUIRect(0, 16, 16, 84), bar.GetThumbRect());
}

TEST(ScrollBarAttributes, DefaultsNamesAndAttributes)
{
    CScrollBarUI bar;
    EXPECT_STREQ(L"ScrollBarUI", bar.GetClassName());
    EXPECT_EQ(static_cast<void*>(&bar), bar.GetInterface(L"ScrollBar"));
    EXPECT_EQ(static_cast<void*>(&bar), bar.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, bar.GetInterface(L"scrollbar"));
    EXPECT_EQ(16, bar.GetFixedWidth());
    EXPECT_EQ(0, bar.GetFixedHeight());
    EXPECT_EQ(100, bar.GetScrollRange());
    EXPECT_EQ(0, bar.GetScrollPos());
    EXPECT_EQ(8, bar.GetLineSize());
    EXPECT_FALSE(bar.IsHorizontal());
    EXPECT_TRUE(bar.GetShowButton1());
    EXPECT_TRUE(bar.GetShowButton2());
    EXPECT_EQ(nullptr, bar.GetOwner());

    bar.SetAttribute(L"hor", L"true");
    EXPECT_TRUE(bar.IsHorizontal());
    EXPECT_EQ(0, bar.GetFixedWidth());
    EXPECT_EQ(16, bar.GetFixedHeight());
    bar.SetAttribute(L"hor", L"TRUE");
    EXPECT_FALSE(bar.IsHorizontal());
    EXPECT_EQ(16, bar.GetFixedWidth()) << "a vertical bar gets its thickness back";
    EXPECT_EQ(0, bar.GetFixedHeight());

    bar.SetAttribute(L"linesize", L"30");
    bar.SetAttribute(L"range", L"250");
    bar.SetAttribute(L"value", L"300");
    bar.SetAttribute(L"showbutton1", L"false");
    bar.SetAttribute(L"showbutton2", L"yes");
    EXPECT_EQ(30, bar.GetLineSize());
    EXPECT_EQ(250, bar.GetScrollRange());
    EXPECT_EQ(250, bar.GetScrollPos());
    EXPECT_FALSE(bar.GetShowButton1());
    EXPECT_FALSE(bar.GetShowButton2()) << "only the exact text \"true\" shows a button";
    bar.SetAttribute(L"showbutton1", L"true");
    EXPECT_TRUE(bar.GetShowButton1());

    struct ImageCase
    {
        const wchar_t* attr;
        const CUIString& (CScrollBarUI::*get)() const;
    };
    const ImageCase images[] = {
        { L"button1normalimage", &CScrollBarUI::GetButton1NormalImage },
        { L"button1hotimage", &CScrollBarUI::GetButton1HotImage },
        { L"button1pushedimage", &CScrollBarUI::GetButton1PushedImage },
        { L"button1disabledimage", &CScrollBarUI::GetButton1DisabledImage },
        { L"button2normalimage", &CScrollBarUI::GetButton2NormalImage },
        { L"button2hotimage", &CScrollBarUI::GetButton2HotImage },
        { L"button2pushedimage", &CScrollBarUI::GetButton2PushedImage },
        { L"button2disabledimage", &CScrollBarUI::GetButton2DisabledImage },
        { L"thumbnormalimage", &CScrollBarUI::GetThumbNormalImage },
        { L"thumbhotimage", &CScrollBarUI::GetThumbHotImage },
        { L"thumbpushedimage", &CScrollBarUI::GetThumbPushedImage },
        { L"thumbdisabledimage", &CScrollBarUI::GetThumbDisabledImage },
        { L"railnormalimage", &CScrollBarUI::GetRailNormalImage },
        { L"railhotimage", &CScrollBarUI::GetRailHotImage },
        { L"railpushedimage", &CScrollBarUI::GetRailPushedImage },
        { L"raildisabledimage", &CScrollBarUI::GetRailDisabledImage },
        { L"bknormalimage", &CScrollBarUI::GetBkNormalImage },
        { L"bkhotimage", &CScrollBarUI::GetBkHotImage },
        { L"bkpushedimage", &CScrollBarUI::GetBkPushedImage },
        { L"bkdisabledimage", &CScrollBarUI::GetBkDisabledImage },
    };
    for (const ImageCase& c : images) {
        std::wstring value = std::wstring(L"file='") + c.attr + L".png' corner='2,2,2,2'";
        bar.SetAttribute(c.attr, value.c_str());
        EXPECT_STREQ(value.c_str(), (bar.*c.get)().GetData()) << testsupport::Narrow(c.attr);
    }

    // Other names are the control's.
    bar.SetAttribute(L"width", L"12");
    EXPECT_EQ(12, bar.GetFixedWidth());
    bar.SetAttribute(L"name", L"bar1");
    EXPECT_STREQ(L"bar1", bar.GetName().GetData());
}

// ---------------------------------------------------------------------------
// In a real window
// ---------------------------------------------------------------------------

class ScrollBarWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        ASSERT_TRUE(host.Open(200, 150));
        host.pm.AddNotifier(&recorder);
    }
    void TearDown() override { host.pm.RemoveNotifier(&recorder); }

    int LineStep()
    {
        return (int)host.pm.GetDefaultFontInfo()->tm.tmHeight + 8;
    }

    HostWindow host;
    Recorder recorder;
};

// A scrollable list of ten 50-pixel rows in a 200x150 window: 350 pixels of
// overflow behind an owned vertical bar.
class OwnedBarTest : public ScrollBarWindowTest
{
protected:
    void SetUp() override
    {
        ScrollBarWindowTest::SetUp();
        list = new StackContainer;
        list->EnableScrollBar(true, false);
        for (int i = 0; i < 10; ++i) {
            CControlUI* row = new CControlUI;
            row->SetFixedHeight(50);
            rows.push_back(row);
            list->Add(row);
        }
        ASSERT_TRUE(host.pm.AttachRoot(list));
        host.Update();
        bar = list->GetVerticalScrollBar();
        ASSERT_NE(nullptr, bar);
    }

    StackContainer* list = nullptr;
    CScrollBarUI* bar = nullptr;
    std::vector<CControlUI*> rows;
};

TEST_F(OwnedBarTest, ContainerShowsItsBarForOverflow)
{
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(list, bar->GetOwner());
    EXPECT_EQ(&host.pm, bar->GetManager());
    EXPECT_EQ(350, bar->GetScrollRange());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_RECT(CUIRect(184, 0, 200, 150), bar->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 184, 50), rows[0]->GetPos()) << "the rows leave room for the bar";
    EXPECT_RECT(CUIRect(184, 0, 200, 16), bar->GetButton1Rect());
    EXPECT_RECT(CUIRect(184, 134, 200, 150), bar->GetButton2Rect());
}

TEST_F(OwnedBarTest, ArrowsScrollTheOwnerByItsLineStep)
{
    const int line = LineStep();
    host.Press(192, 142);   // the down arrow
    EXPECT_NE(0u, bar->GetButton2State() & CScrollBarUI::StatePushed);
    EXPECT_EQ(line, bar->GetScrollPos()) << "the owner's line step, not the bar's line size";
    EXPECT_EQ(line, list->GetScrollPos().cy);
    EXPECT_EQ(-line, rows[0]->GetPos().top);
    host.Release(192, 142);
    EXPECT_EQ(0u, bar->GetButton2State() & CScrollBarUI::StatePushed);

    host.Press(192, 8);     // the up arrow
    EXPECT_NE(0u, bar->GetButton1State() & CScrollBarUI::StatePushed);
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(0, rows[0]->GetPos().top);
    host.Release(192, 8);

    EXPECT_EQ(0, recorder.Count(L"scroll")) << "a container's bar never sends scroll";
}

TEST_F(OwnedBarTest, RailPagesAndWheelGoesToTheOwner)
{
    const RECT thumb = bar->GetThumbRect();
    host.Press(192, thumb.bottom + 5);    // the rail below the thumb
    host.Release(192, thumb.bottom + 5);
    EXPECT_EQ(150, bar->GetScrollPos()) << "one page: the client height";
    EXPECT_EQ(-150, rows[0]->GetPos().top);

    const RECT thumb2 = bar->GetThumbRect();
    host.Press(192, thumb2.top - 3);      // the rail above the thumb
    host.Release(192, thumb2.top - 3);
    EXPECT_EQ(0, bar->GetScrollPos());

    host.Wheel(192, 75, -120);            // towards the user, over the bar
    EXPECT_EQ(LineStep(), bar->GetScrollPos());
    host.Wheel(192, 75, 120);
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(0, recorder.Count(L"scroll"));
}

TEST_F(OwnedBarTest, ThumbDragScrollsTheOwnerOnTimerTicks)
{
    const RECT thumb = bar->GetThumbRect();
    const POINT grab = Center(thumb);
    host.Press(grab.x, grab.y);
    EXPECT_EQ((UINT)(CScrollBarUI::StatePushed | CScrollBarUI::StateCaptured),
              bar->GetThumbState() & (CScrollBarUI::StatePushed | CScrollBarUI::StateCaptured));

    // Track = 150 - 2 * 16 - thumb height; 20 pixels down.
    const int track = 150 - 32 - (thumb.bottom - thumb.top);
    ASSERT_GT(track, 0);
    const int expected = 20 * 350 / track;
    host.Move(grab.x, grab.y + 20);
    EXPECT_EQ(0, bar->GetScrollPos()) << "the drag is applied on the timer";
    // One tick of the bar's repeat timer applies it. (Injected: pumping would
    // also deliver the WM_MOUSELEAVE that Wine posts for the real pointer,
    // which lies outside the window.)
    UIEvent tick = MakeEvent(UIEventTimer, bar, CScrollBarUI::RepeatTimerId);
    bar->DispatchEvent(tick);
    EXPECT_EQ(expected, bar->GetScrollPos());
    EXPECT_EQ(expected, list->GetScrollPos().cy);
    EXPECT_EQ(-expected, rows[0]->GetPos().top);

    host.Release(grab.x, grab.y + 20);
    EXPECT_EQ(0u, bar->GetThumbState() & (CScrollBarUI::StatePushed | CScrollBarUI::StateCaptured));
    EXPECT_EQ(0, recorder.Count(L"scroll"));
}

// A stand-alone bar, a float child of the root: 16x120 at (20,10).
class StandaloneBarTest : public ScrollBarWindowTest
{
protected:
    void SetUp() override
    {
        ScrollBarWindowTest::SetUp();
        CContainerUI* root = new CContainerUI;
        bar = new CScrollBarUI;
        bar->SetFloat(true);
        bar->SetFloatOffset(20, 10);
        bar->SetFixedHeight(120);
        root->Add(bar);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.Update();
        ASSERT_RECT_EQ(CUIRect(20, 10, 36, 130), bar->GetPos());
    }
    static void ASSERT_RECT_EQ(const RECT& expected, const RECT& actual)
    {
        ASSERT_TRUE(SameRect(expected, actual)) << "expected " << RectText(expected) << " got "
                                                << RectText(actual);
    }
    void Tick(WPARAM id = CScrollBarUI::RepeatTimerId)
    {
        UIEvent ev = MakeEvent(UIEventTimer, bar, id);
        bar->DispatchEvent(ev);
    }

    CScrollBarUI* bar = nullptr;
};

TEST_F(StandaloneBarTest, HeldArrowRepeatsFromTheSixthTick)
{
    EXPECT_EQ(nullptr, bar->GetOwner());
    host.Press(28, 125);    // the down arrow
    EXPECT_EQ(8, bar->GetScrollPos()) << "one line at the press";
    EXPECT_EQ(1, recorder.Count(L"scroll"));
    EXPECT_EQ(bar, recorder.items.back().sender);
    EXPECT_EQ(0u, recorder.items.back().wParam);
    EXPECT_EQ(0, recorder.items.back().lParam);

    // The real timer runs too, but nothing is pumped while the ticks are injected.
    const int expectedPos[] = { 8, 8, 8, 8, 8, 16, 24, 32 };
    const int expectedScrolls[] = { 1, 1, 1, 1, 1, 2, 3, 4 };
    for (int tick = 0; tick < 8; ++tick) {
        Tick();
        EXPECT_EQ(expectedPos[tick], bar->GetScrollPos()) << "tick " << tick + 1;
        EXPECT_EQ(expectedScrolls[tick], recorder.Count(L"scroll")) << "tick " << tick + 1;
    }

    // A timer of some other id is the control's ordinary "timer" notification.
    Tick(11);
    EXPECT_EQ(32, bar->GetScrollPos());
    EXPECT_EQ(4, recorder.Count(L"scroll"));
    EXPECT_EQ(1, recorder.Count(L"timer"));

    host.Release(28, 125);
    EXPECT_EQ(0u, bar->GetButton2State() & CScrollBarUI::StatePushed);

    host.Press(28, 15);     // the up arrow steps back once
    EXPECT_EQ(24, bar->GetScrollPos());
    EXPECT_EQ(5, recorder.Count(L"scroll"));
    host.Release(28, 15);
}

TEST_F(StandaloneBarTest, RealTimerRepeatsWhileHeldAndStopsOnRelease)
{
    bar->SetLineSize(1);
    host.Press(28, 125);
    EXPECT_EQ(1, bar->GetScrollPos());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return bar->GetScrollPos() >= 3; }, 4000))
        << "the 50 ms timer repeats the step while the arrow is held";
    host.Release(28, 125);
    const int pos = bar->GetScrollPos();
    testsupport::PumpFor(450);
    EXPECT_EQ(pos, bar->GetScrollPos()) << "the release kills the timer";
}

TEST_F(StandaloneBarTest, RailPagesByTheBarLength)
{
    host.Press(28, 110);    // below the thumb (26..74)
    host.Release(28, 110);
    EXPECT_EQ(100, bar->GetScrollPos()) << "a page of 120 clamped to the range";
    EXPECT_EQ(1, recorder.Count(L"scroll"));
    host.Press(28, 30);     // above the thumb, now at the bottom
    host.Release(28, 30);
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(2, recorder.Count(L"scroll"));
}

TEST_F(StandaloneBarTest, ThumbDragAppliesTheOffsetOnEachTick)
{
    // H = 120, track 88, thumb = 120 * 88 / 220 = 48 from y 26.
    ASSERT_RECT_EQ(CUIRect(20, 26, 36, 74), bar->GetThumbRect());
    host.Press(28, 50);
    EXPECT_EQ(0, bar->GetScrollPos());
    host.Move(28, 74);          // 24 down: 24 * 100 / (120 - 32 - 48) = 60
    EXPECT_EQ(0, bar->GetScrollPos());
    Tick();
    EXPECT_EQ(60, bar->GetScrollPos());
    EXPECT_RECT(CUIRect(20, 50, 36, 98), bar->GetThumbRect());
    host.Move(28, 0);           // far above: clamped at 0
    Tick();
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_GE(recorder.Count(L"scroll"), 3) << "the press and both ticks";
    host.Release(28, 0);
    EXPECT_EQ(0u, bar->GetThumbState() & (CScrollBarUI::StatePushed | CScrollBarUI::StateCaptured));
    Tick();
    EXPECT_EQ(0, bar->GetScrollPos());
}

TEST_F(StandaloneBarTest, DragWithoutTrackLeavesThePositionAlone)
{
    // No buttons and a short range: the thumb (110 of 120 pixels) is longer
    // than the length less twice the thickness, so the drag has no track.
    bar->SetShowButton1(false);
    bar->SetShowButton2(false);
    bar->SetScrollRange(10);
    bar->SetScrollPos(5);
    ASSERT_RECT_EQ(CUIRect(20, 15, 36, 125), bar->GetThumbRect());
    host.Press(28, 70);
    host.Move(28, 80);          // down: must never scroll up
    Tick();
    EXPECT_EQ(5, bar->GetScrollPos());
    host.Release(28, 80);
}

TEST_F(StandaloneBarTest, HotStatesFollowThePointer)
{
    host.Move(28, 100, 0);      // over the bar, below the thumb
    EXPECT_NE(0u, bar->GetButton1State() & CScrollBarUI::StateHot);
    EXPECT_NE(0u, bar->GetButton2State() & CScrollBarUI::StateHot);
    EXPECT_EQ(0u, bar->GetThumbState() & CScrollBarUI::StateHot);
    host.Move(28, 50, 0);       // onto the thumb
    EXPECT_NE(0u, bar->GetThumbState() & CScrollBarUI::StateHot);
    host.Move(150, 100, 0);     // off the bar
    EXPECT_EQ(0u, bar->GetButton1State() & CScrollBarUI::StateHot);
    EXPECT_EQ(0u, bar->GetButton2State() & CScrollBarUI::StateHot);
    EXPECT_EQ(0u, bar->GetThumbState() & CScrollBarUI::StateHot);
}

TEST_F(StandaloneBarTest, DisabledBarIgnoresPresses)
{
    host.Move(28, 50, 0);
    bar->SetEnabled(false);
    EXPECT_EQ(0u, bar->GetButton1State());
    EXPECT_EQ(0u, bar->GetButton2State());
    EXPECT_EQ(0u, bar->GetThumbState());
    host.Press(28, 125);
    host.Release(28, 125);
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(0, recorder.Count(L"scroll"));
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

TEST(ScrollBarPaint, WithoutImagesPartsGetOutlines)
{
    const DWORD outline = 0xFF85E4FF;
    Canvas canvas(40, 110);
    CScrollBarUI bar;
    bar.SetBackgroundColor(0xFFFF0000);   // never drawn by a bar
    bar.SetBorderColor(0xFF000000);
    bar.SetBorderSize(1);
    bar.SetPos(CUIRect(4, 4, 20, 104));   // buttons 4..20 and 88..104, thumb 20..54
    EXPECT_RECT(CUIRect(4, 20, 20, 54), bar.GetThumbRect());
    bar.Paint(canvas.dc(), CUIRect(0, 0, 40, 110));

    struct Probe
    {
        int x, y;
        bool outlined;
        const char* what;
    };
    const Probe probes[] = {
        { 4, 4, true, "button 1 corner" },
        { 5, 5, true, "button 1, second pixel of the outline" },
        { 6, 6, false, "button 1 inside" },
        { 12, 19, true, "button 1 bottom edge" },
        { 19, 12, true, "button 1 right edge" },
        { 4, 37, true, "thumb left edge" },
        { 12, 37, false, "thumb inside" },
        { 12, 53, true, "thumb bottom edge" },
        { 12, 70, false, "rail between thumb and button 2" },
        { 12, 103, true, "button 2 bottom edge" },
        { 12, 95, false, "button 2 inside" },
        { 25, 50, false, "outside the bar" },
    };
    for (const Probe& p : probes) {
        DWORD px = canvas.Pixel(p.x, p.y);
        if (p.outlined)
            EXPECT_TRUE(ColorNear(px, outline, 0)) << p.what << ": " << ColorText(px);
        else
            EXPECT_TRUE(ColorNear(px, 0xFFFFFFFF, 0)) << p.what << ": " << ColorText(px);
    }
    canvas.DumpIfFailed("scrollbar_outlines");
}

TEST(ScrollBarPaint, ImageThatCannotBeDrawnYetIsKept)
{
    // Without a manager nothing can be drawn: the outline stands in, and the
    // image description stays for the paints that can draw it.
    Canvas canvas(40, 110);
    CScrollBarUI bar;
    bar.SetButton1NormalImage(L"b1normal.png");
    bar.SetThumbNormalImage(L"thumbnormal.png");
    bar.SetBkNormalImage(L"bk.png");
    bar.SetPos(CUIRect(4, 4, 20, 104));
    bar.Paint(canvas.dc(), CUIRect(0, 0, 40, 110));
    EXPECT_TRUE(ColorNear(canvas.Pixel(4, 4), 0xFF85E4FF, 0)) << ColorText(canvas.Pixel(4, 4));
    EXPECT_STREQ(L"b1normal.png", bar.GetButton1NormalImage().GetData());
    EXPECT_STREQ(L"thumbnormal.png", bar.GetThumbNormalImage().GetData());
    EXPECT_STREQ(L"bk.png", bar.GetBkNormalImage().GetData());
}

TEST(ScrollBarPaint, NothingOutsideThePaintRect)
{
    Canvas canvas(40, 110);
    CScrollBarUI bar;
    bar.SetPos(CUIRect(4, 4, 20, 104));
    bar.Paint(canvas.dc(), CUIRect(30, 0, 40, 110));   // misses the bar
    EXPECT_TRUE(ColorNear(canvas.Pixel(4, 4), 0xFFFFFFFF, 0));
}

class ScrollBarImageTest : public ScrollBarWindowTest
{
protected:
    void SetUp() override
    {
        ScrollBarWindowTest::SetUp();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"scrollbar\\").c_str());
    }
    void TearDown() override
    {
        ScrollBarWindowTest::TearDown();
        CUIManager::ResetResourceState();
    }
    void ExpectColor(const Canvas& canvas, int x, int y, DWORD color, const char* what)
    {
        DWORD px = canvas.Pixel(x, y);
        EXPECT_TRUE(ColorNear(px, color, 8)) << what << " at " << x << "," << y << ": " << ColorText(px)
                                            << " expected " << ColorText(color);
    }
};

TEST_F(ScrollBarImageTest, EachPartDrawsTheImageOfItsState)
{
    const DWORD grey = 0xFF808080, darkGrey = 0xFF404040, red = 0xFFFF0000, darkRed = 0xFF800000,
                green = 0xFF00FF00, blue = 0xFF0000FF, yellow = 0xFFFFFF00, magenta = 0xFFFF00FF;
    CScrollBarUI* bar = new CScrollBarUI;
    bar->ApplyAttributes(L"bknormalimage=\"bk.png\" bkdisabledimage=\"bkdisabled.png\" "
                         L"button1normalimage=\"b1normal.png\" button1pushedimage=\"b1pushed.png\" "
                         L"button2normalimage=\"b2normal.png\" thumbnormalimage=\"thumbnormal.png\" "
                         L"thumbhotimage=\"thumbhot.png\" railnormalimage=\"railnormal.png\"");
    bar->SetFloat(true);
    bar->SetFloatOffset(10, 20);
    bar->SetFixedHeight(100);
    CContainerUI* root = new CContainerUI;
    root->Add(bar);
    ASSERT_TRUE(host.pm.AttachRoot(root));
    host.Update();
    // Buttons 20..36 and 104..120, thumb 36..70, rail piece 45..61.
    ASSERT_TRUE(SameRect(CUIRect(10, 36, 26, 70), bar->GetThumbRect())) << RectText(bar->GetThumbRect());

    Canvas canvas(200, 150);
    const CUIRect all(0, 0, 200, 150);
    root->Paint(canvas.dc(), all);
    ExpectColor(canvas, 18, 28, red, "button 1");
    ExpectColor(canvas, 18, 112, green, "button 2");
    ExpectColor(canvas, 18, 40, blue, "thumb");
    ExpectColor(canvas, 18, 53, magenta, "rail piece");
    ExpectColor(canvas, 18, 66, blue, "thumb below the rail");
    ExpectColor(canvas, 18, 85, grey, "background");
    ExpectColor(canvas, 30, 85, 0xFFFFFFFF, "beside the bar");
    canvas.DumpIfFailed("scrollbar_images_normal");

    host.Move(18, 50, 0);                 // hot: the thumb has a hot image, the buttons don't
    host.Press(18, 28);                   // button 1 pushed (already at the top)
    root->Paint(canvas.dc(), all);
    ExpectColor(canvas, 18, 28, darkRed, "pushed button 1");
    ExpectColor(canvas, 18, 112, green, "hot button 2 falls back to its normal image");
    ExpectColor(canvas, 18, 40, yellow, "hot thumb");
    host.Release(18, 28);
    canvas.DumpIfFailed("scrollbar_images_states");

    bar->SetEnabled(false);
    root->Paint(canvas.dc(), all);
    ExpectColor(canvas, 18, 85, darkGrey, "disabled background");
    ExpectColor(canvas, 18, 28, red, "disabled button 1 falls back to its normal image");
    ExpectColor(canvas, 18, 40, blue, "disabled thumb falls back to its normal image");
    canvas.DumpIfFailed("scrollbar_images_disabled");
}

}  // namespace
