// The combo boxes: the pop-up's height, width and flip above the combo near
// the bottom of the work area, its look, keys and clicks in it (Escape gives
// the old selection back, a scroll-bar click keeps it open), keys and wheel
// on the closed combo, the arrow slices of the combo box, and the lifetime of
// the pop-up and the items when the window or the combo goes while it is open.
#include "ListsTestUtil.h"

#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace listtest;
using testsupport::Canvas;

namespace {

typedef std::vector<std::string> Seq;

class ComboTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(300, 240));
        host.pm.AddNotifier(&rec);
    }
    // A combo of n items 20 high, the first control of a white layout.
    CComboUI* BuildCombo(int n, const wchar_t* attributes = L"", const wchar_t* element = L"Combo")
    {
        std::wstring xml = std::wstring(L"<Window><VerticalLayout name=\"root\" bkcolor=\"#FFFFFFFF\"><") + element
                           + L" name=\"combo\" height=\"24\" width=\"150\" bkcolor=\"#FFF0F0F0\" "
                             L"itemtextpadding=\"4,0,0,0\" " + attributes + L">";
        for (int i = 0; i < n; ++i)
            xml += L"<ListLabelElement name=\"i" + std::to_wstring(i) + L"\" text=\"item " + std::to_wstring(i)
                   + L"\" height=\"20\"/>";
        xml += std::wstring(L"</") + element + L"><Control/></VerticalLayout></Window>";
        host.Build(xml.c_str());
        combo = host.Find<CComboUI>(L"combo");
        return combo;
    }
    HWND Popup() const
    {
        return combo->GetDropDownWindow() != NULL ? combo->GetDropDownWindow()->GetHWND() : NULL;
    }
    RECT PopupRect() const
    {
        RECT rc = { 0, 0, 0, 0 };
        ::GetWindowRect(Popup(), &rc);
        return rc;
    }
    bool Open()
    {
        if (!combo->Activate() || Popup() == NULL)
            return false;
        ::UpdateWindow(Popup());
        return true;
    }
    // Posted closes and focus changes run; true when the pop-up is gone.
    bool Closed()
    {
        testsupport::PumpUntil([&] { return combo->GetDropDownWindow() == NULL; }, 300);
        return combo->GetDropDownWindow() == NULL;
    }
    std::string Selects()
    {
        std::string s;
        for (const Recorder::Item& it : rec.items)
            if (it.type == L"itemselect")
                s += "(" + std::to_string((int)it.wParam) + "," + std::to_string((int)it.lParam) + ")";
        return s;
    }

    HostWindow host;
    Recorder rec{ { L"itemselect", L"dropdown", L"itemclick" } };
    CComboUI* combo = nullptr;
};

TEST_F(ComboTest, ThePopupIsAsHighAsItsItemsUpToTheDropBoxSize)
{
    struct Case
    {
        int items;
        const wchar_t* attributes;
        int width, height;
    } cases[] = {
        { 10, L"", 150, 150 },
        { 3, L"", 150, 64 },
        { 10, L"dropboxsize=\"220,100\"", 220, 100 },
        { 0, L"", 150, 4 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items);
        ASSERT_NE(nullptr, BuildCombo(c.items, c.attributes));
        rec.Clear();
        ASSERT_TRUE(Open());
        const RECT rc = PopupRect();
        EXPECT_EQ(c.width, rc.right - rc.left);
        EXPECT_EQ(c.height, rc.bottom - rc.top);
        POINT below = { 0, 24 };
        ::ClientToScreen(host.GetHWND(), &below);
        EXPECT_EQ(below.y, rc.top);
        EXPECT_EQ(below.x, rc.left);
        EXPECT_EQ((Seq{ "dropdown:combo" }), rec.Sequence());
        EXPECT_TRUE(combo->Activate());   // already open
        EXPECT_EQ(1, rec.Count(L"dropdown"));
        combo->CloseDropDown();
        EXPECT_EQ(nullptr, Popup());
    }
}

TEST_F(ComboTest, NearTheBottomOfTheWorkAreaThePopupOpensAboveWithTheSameHeight)
{
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(host.GetHWND(), NULL, 100, work.bottom - 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(nullptr, BuildCombo(10));
    ASSERT_TRUE(Open());
    const RECT rc = PopupRect();
    POINT top = { 0, 0 };
    ::ClientToScreen(host.GetHWND(), &top);
    EXPECT_EQ(top.y, rc.bottom);
    EXPECT_EQ(150, rc.bottom - rc.top);
    EXPECT_EQ(top.x, rc.left);
}

TEST_F(ComboTest, ThePopupBorrowsTheItemsAndGivesThemBack)
{
    ImageFolder images;
    ASSERT_NE(nullptr, BuildCombo(10, L"dropbox=\"bkcolor=&quot;#FFFFF0E0&quot;\""));
    CControlUI* item = host.Find<CControlUI>(L"i3");
    ASSERT_TRUE(combo->SelectItem(3));
    ASSERT_TRUE(Open());
    CComboWnd* wnd = combo->GetDropDownWindow();
    EXPECT_EQ(wnd->GetManager(), item->GetManager());
    EXPECT_EQ(static_cast<CControlUI*>(wnd->GetLayout()), item->GetParent());
    EXPECT_TRUE(wnd->GetLayout()->GetVerticalScrollBar()->IsVisible());
    EXPECT_RECT(CUIRect(1, 61, 1 + 148 - wnd->GetLayout()->GetVerticalScrollBar()->GetFixedWidth(), 81), item->GetPos());

    // The pop-up's look: a 1-pixel frame, the drop-box attributes over the white.
    Canvas canvas(150, 150);
    ASSERT_TRUE(canvas.CaptureWindow(Popup()));
    canvas.SavePng(testsupport::OutputDir() + L"combo_popup.png");
    EXPECT_RGB(canvas, 0, 75, 0xFFC6C7D2);
    EXPECT_RGB(canvas, 75, 149, 0xFFC6C7D2);
    EXPECT_RGB(canvas, 100, 30, 0xFFFFF0E0);
    EXPECT_RGB(canvas, 100, 70, 0xFFC1E3FF);   // the selected item

    combo->CloseDropDown();
    EXPECT_EQ(&host.pm, item->GetManager());
    EXPECT_EQ(static_cast<CControlUI*>(combo), item->GetParent());
    host.Update();
    host.Keep("combo_closed");
}

TEST_F(ComboTest, EscapeGivesTheOldSelectionBackAndReturnCloses)
{
    ASSERT_NE(nullptr, BuildCombo(10));
    combo->SelectItem(2);
    ASSERT_TRUE(Open());
    rec.Clear();
    ::SendMessageW(Popup(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(3, combo->GetCurSel());
    ::SendMessageW(Popup(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(2, combo->GetCurSel());
    EXPECT_EQ("(3,2)(2,3)", Selects());
    EXPECT_TRUE(Closed());

    // Return closes without changing anything; the wheel moves the selection.
    ASSERT_TRUE(Open());
    rec.Clear();
    ::SendMessageW(Popup(), WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), 0);
    EXPECT_EQ(3, combo->GetCurSel());
    ::SendMessageW(Popup(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(Closed());
    EXPECT_EQ("(3,2)", Selects());
    EXPECT_EQ(0u, combo->GetButtonState() & UIStatePushed);
}

TEST_F(ComboTest, AClickOnAnItemSelectsAndClosesOneOnTheScrollBarDoesNot)
{
    ASSERT_NE(nullptr, BuildCombo(10));
    ASSERT_TRUE(Open());
    CComboWnd* wnd = combo->GetDropDownWindow();
    CScrollBarUI* bar = wnd->GetLayout()->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    const POINT onBar = Center(bar->GetPos());
    ::SendMessageW(Popup(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onBar.x, onBar.y));
    ::SendMessageW(Popup(), WM_LBUTTONUP, 0, MAKELPARAM(onBar.x, onBar.y));
    testsupport::PumpFor(100);
    ASSERT_EQ(wnd, combo->GetDropDownWindow());
    EXPECT_EQ(-1, combo->GetCurSel());

    rec.Clear();
    const POINT onItem = Center(host.Find<CControlUI>(L"i1")->GetPos());
    ::SendMessageW(Popup(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onItem.x, onItem.y));
    ::SendMessageW(Popup(), WM_LBUTTONUP, 0, MAKELPARAM(onItem.x, onItem.y));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(1, combo->GetCurSel());
    // The item's own click went to the pop-up's manager; the window hears the combo.
    EXPECT_EQ("(1,-1)", Selects());
    EXPECT_EQ(0, rec.Count(L"itemclick"));
    EXPECT_STREQ(L"item 1", combo->GetText().GetData());
}

// However the pop-up ends, its items lose the rectangles they had in it: a
// later press on the combo near the window's top-left corner (where the
// first items were in the pop-up) opens the combo and reaches no item.
TEST_F(ComboTest, AfterThePopupEndsAPressNearTheCornerOpensTheCombo)
{
    const char* ways[] = { "return", "escape", "item click", "focus elsewhere", "closed by code",
                           "selected by code", "window destroyed" };
    for (const char* way : ways) {
        SCOPED_TRACE(way);
        ASSERT_NE(nullptr, BuildCombo(3));
        ASSERT_TRUE(Open());
        const POINT onItem = Center(host.Find<CControlUI>(L"i0")->GetPos());
        ASSERT_LT(onItem.y, 24);   // in the pop-up, over where the combo is in the window
        const std::string w = way;
        if (w == "return" || w == "escape") {
            ::SendMessageW(Popup(), WM_KEYDOWN, w == "return" ? VK_RETURN : VK_ESCAPE, 0);
        } else if (w == "item click") {
            ::SendMessageW(Popup(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onItem.x, onItem.y));
            ::SendMessageW(Popup(), WM_LBUTTONUP, 0, MAKELPARAM(onItem.x, onItem.y));
        } else if (w == "focus elsewhere") {
            ::SetFocus(host.GetHWND());
        } else if (w == "selected by code") {
            combo->SelectItem(2, false);
        } else if (w == "window destroyed") {
            ::DestroyWindow(Popup());
        } else {
            combo->CloseDropDown();
        }
        ASSERT_TRUE(Closed());
        host.Update();
        for (int i = 0; i < 3; ++i)
            EXPECT_RECT(CUIRect(0, 0, 0, 0), host.Find<CControlUI>((L"i" + std::to_wstring(i)).c_str())->GetPos());

        rec.Clear();
        host.Press(onItem.x, onItem.y);
        host.Release(onItem.x, onItem.y);
        EXPECT_EQ(1, rec.Count(L"dropdown"));
        EXPECT_EQ(0, rec.Count(L"itemclick"));
        EXPECT_EQ(0, rec.Count(L"itemselect"));
        EXPECT_NE(nullptr, combo->GetDropDownWindow());
        combo->CloseDropDown();
        Closed();
    }
}

// A selected item that is then disabled gives its flag up when the selection
// moves: enabled again, it is not a second selected item.
TEST_F(ComboTest, TheSelectionStaysOneItemWhenItMovesOffADisabledItem)
{
    ASSERT_NE(nullptr, BuildCombo(3));
    ASSERT_TRUE(combo->SelectItem(1));
    host.Find<CControlUI>(L"i1")->SetEnabled(false);
    ASSERT_TRUE(combo->SelectItem(2));
    host.Find<CControlUI>(L"i1")->SetEnabled(true);
    for (int i = 0; i < 3; ++i) {
        IListItemUI* item = GetListItem(host.Find<CControlUI>((L"i" + std::to_wstring(i)).c_str()));
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(i == 2, item->IsSelected()) << "item " << i;
    }
}

TEST_F(ComboTest, KeysAndTheWheelOnTheClosedCombo)
{
    ASSERT_NE(nullptr, BuildCombo(4));
    host.Find<CControlUI>(L"i3")->SetEnabled(false);
    struct Step
    {
        int kind;
        wchar_t key;
        WPARAM wheel;
        int sel;
    } steps[] = {
        { UIEventKeyDown, VK_DOWN, 0, 0 },   // no selection: the first selectable
        { UIEventKeyDown, VK_NEXT, 0, 1 },
        { UIEventScrollWheel, 0, 1, 2 },
        { UIEventScrollWheel, 0, 1, -1 },    // nothing selectable after it
        { UIEventKeyDown, VK_HOME, 0, 0 },
        { UIEventKeyDown, VK_END, 0, -1 },   // the last item is disabled
        { UIEventKeyDown, VK_UP, 0, 0 },
        { UIEventScrollWheel, 0, 0, 0 },
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        UIEvent ev = MakeEvent(s.kind, POINT{ 10, 10 }, s.key, s.wheel);
        combo->HandleEvent(ev);
        EXPECT_EQ(s.sel, combo->GetCurSel());
    }
    EXPECT_EQ(nullptr, combo->GetDropDownWindow());
    UIEvent f4 = MakeEvent(UIEventKeyDown, POINT{ 0, 0 }, VK_F4);
    combo->HandleEvent(f4);
    EXPECT_NE(nullptr, combo->GetDropDownWindow());
    // Any change of selection closes the pop-up again.
    combo->SelectItem(2);
    EXPECT_TRUE(Closed());

    // A press opens the pop-up; the push shows until it closes.
    host.Press(20, 10);
    EXPECT_NE(nullptr, combo->GetDropDownWindow());
    host.Release(20, 10);
    EXPECT_EQ((UINT)UIStatePushed, combo->GetButtonState() & (UIStatePushed | UIStateCaptured));
    combo->CloseDropDown();
    EXPECT_EQ(0u, combo->GetButtonState() & UIStatePushed);
    // A disabled combo does not open.
    combo->SetEnabled(false);
    host.Press(20, 10);
    host.Release(20, 10);
    EXPECT_EQ(nullptr, combo->GetDropDownWindow());
}

TEST_F(ComboTest, TheComboBoxDrawsTheStateSliceOfItsArrowAtTheRight)
{
    ImageFolder images;
    ASSERT_NE(nullptr, BuildCombo(2, L"arrowimage=\"file='arrow.png' source='0,0,100,20'\"", L"ComboBox"));
    CComboBoxUI* box = static_cast<CComboBoxUI*>(combo);
    EXPECT_STREQ(L"ComboBoxUI", box->GetClassName());
    Canvas canvas(300, 240);
    struct Slice
    {
        const char* state;
        std::function<void()> apply;
        const wchar_t* source;
        DWORD color;
    } slices[] = {
        // The combo is the window's first tab stop and took the focus.
        { "normal", [&] { host.pm.SetFocus(NULL); }, L"source='0,0,20,20'", 0xFF0000FF },
        { "hot", [&] { UIEvent e = MakeEvent(UIEventMouseEnter, POINT{ 10, 10 }); box->HandleEvent(e); },
          L"source='20,0,40,20'", 0xFF00A000 },
        { "focused", [&] { UIEvent e = MakeEvent(UIEventMouseLeave); box->HandleEvent(e); box->SetFocus(); },
          L"source='60,0,80,20'", 0xFFFFFF00 },
        { "disabled", [&] { box->SetEnabled(false); }, L"source='80,0,100,20'", 0xFF808080 },
    };
    for (const Slice& s : slices) {
        SCOPED_TRACE(s.state);
        s.apply();
        host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
        EXPECT_EQ(20, box->GetArrowWidth());
        const std::wstring modify = box->GetArrowModify().GetData();
        EXPECT_NE(std::wstring::npos, modify.find(s.source)) << testsupport::Narrow(modify);
        EXPECT_NE(std::wstring::npos, modify.find(L"dest='130,0,150,24'")) << testsupport::Narrow(modify);
        EXPECT_RGB(canvas, 140, 12, s.color);
        EXPECT_RGB(canvas, 125, 12, 0xFFF0F0F0);
    }
    host.Keep("combo_box_arrow");

    // Without a source item no arrow is drawn.
    box->SetArrowImage(L"file='arrow.png'");
    box->SetEnabled(true);
    host.Update();
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    EXPECT_RGB(canvas, 140, 12, 0xFFF0F0F0);
}

// --- lifetime --------------------------------------------------------------------

class ComboLifetimeTest : public ::testing::Test
{
protected:
    // A window with a combo of three counted items, its pop-up open.
    void OpenIn(HostWindow& host)
    {
        ASSERT_TRUE(host.Open(300, 200));
        root = new CVerticalLayoutUI;
        combo = new CComboUI;
        combo->SetFixedHeight(24);
        for (int i = 0; i < 3; ++i) {
            CountedItem* item = new CountedItem(&deleted);
            item->SetFixedHeight(20);
            combo->Add(item);
        }
        root->Add(combo);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.Update();
        ASSERT_TRUE(combo->Activate());
        popup = combo->GetDropDownWindow()->GetHWND();
        ASSERT_TRUE(::IsWindow(popup));
    }

    int deleted = 0;
    CVerticalLayoutUI* root = nullptr;
    CComboUI* combo = nullptr;
    HWND popup = NULL;
};

TEST_F(ComboLifetimeTest, DestroyingTheWindowWhileOpenDeletesEveryItemOnce)
{
    {
        HostWindow host;
        OpenIn(host);
        host.Destroy();   // the owned pop-up goes first, without WM_CLOSE
        EXPECT_FALSE(::IsWindow(popup));
        EXPECT_EQ(0, deleted);
    }
    Drain();
    EXPECT_EQ(3, deleted);
}

TEST_F(ComboLifetimeTest, RemovingTheComboWhileOpenClosesThePopupAtOnce)
{
    HostWindow host;
    OpenIn(host);
    ASSERT_TRUE(root->Remove(combo));
    Drain();   // the delayed deletion
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(3, deleted);
    host.Update();
}

TEST_F(ComboLifetimeTest, RemovingItemsWhileOpenClosesThePopupFirst)
{
    HostWindow host;
    OpenIn(host);
    ASSERT_TRUE(combo->RemoveAt(1));
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(nullptr, combo->GetDropDownWindow());
    Drain();
    EXPECT_EQ(1, deleted);
    ASSERT_TRUE(combo->Activate());
    popup = combo->GetDropDownWindow()->GetHWND();
    combo->RemoveAll();
    EXPECT_FALSE(::IsWindow(popup));
    Drain();
    EXPECT_EQ(3, deleted);
}

} // namespace
