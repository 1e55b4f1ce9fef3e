// Window messages turned into control events: painting and the layout pass,
// the mouse (hover, capture, clicks, wheel, tooltips), keys, focus and Tab
// order, shortcuts, message filters and reflected child messages.
#include "ManagerFixture.h"

#include <string>
#include <vector>

using namespace SkinUI;
using namespace mgrtest;
using testsupport::Canvas;
using testsupport::ColorText;

namespace {

const DWORD kRed = 0xFFFF0000;
const DWORD kGreen = 0xFF00FF00;
const DWORD kBlue = 0xFF0000FF;
const DWORD kMagenta = 0xFFFF00FF;
const DWORD kYellow = 0xFFFFFF00;

// A plain child window that records the messages it is sent and fills the
// DC it is asked to print into.
class ChildWnd final : public CWindowWnd
{
public:
    ~ChildWnd()
    {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }
    LPCTSTR GetWindowClassName() const override { return L"SkinUITest.ManagerChild"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg >= 0x2000 && uMsg < 0x3000) {
            seen.push_back(uMsg);
            seenW = wParam;
            seenL = lParam;
            return answer;
        }
        if (uMsg == WM_PRINT) {
            printFlags = lParam;
            RECT rc = { 0, 0, 40, 30 };
            HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
            FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
            DeleteObject(brush);
            return 0;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    std::vector<UINT> seen;
    WPARAM seenW = 0;
    LPARAM seenL = 0;
    LPARAM printFlags = 0;
    LRESULT answer = 0;
};

class CountingFilter final : public IMessageFilterUI
{
public:
    CountingFilter(UINT msg, bool handle, LRESULT result) : m_msg(msg), m_handle(handle), m_result(result) {}
    LRESULT FilterMessage(UINT uMsg, WPARAM, LPARAM, bool& bHandled) override
    {
        if (uMsg != m_msg)
            return 0;
        ++calls;
        if (onCall) {
            std::function<void()> fn = onCall;
            fn();
        }
        if (m_handle)
            bHandled = true;
        return m_result;
    }
    int calls = 0;
    std::function<void()> onCall;

private:
    UINT m_msg;
    bool m_handle;
    LRESULT m_result;
};

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------
TEST_F(ManagerTest, FirstPaintLaysOutSendsWindowInitAndPaintsOffscreen)
{
    CProbeUI* root = new CProbeUI(&j, L"root", Rc(0, 0, 0, 0), kRed);
    CProbeUI* kid = root->Add(new CProbeUI(&j, L"kid", Rc(20, 30, 60, 70), kGreen));
    ASSERT_TRUE(pm().AttachRoot(root));
    EXPECT_TRUE(root->NeedsLayout());
    ShowAndPaint();

    ASSERT_EQ(1, rec.Count(L"windowinit"));
    EXPECT_EQ(root, rec.Last(L"windowinit")->sender);
    EXPECT_EQ(1, j.SetPosCount(L"root"));
    EXPECT_EQ(0, root->GetPos().left);
    EXPECT_EQ(kW, root->GetPos().right) << "the root gets the whole client area";
    EXPECT_EQ(kH, root->GetPos().bottom);
    EXPECT_EQ(20, kid->GetPos().left);

    Canvas canvas(kW, kH, 0xFF808080);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(Rgb(kRed), Rgb(canvas.Pixel(5, 5))) << ColorText(canvas.Pixel(5, 5));
    EXPECT_EQ(Rgb(kGreen), Rgb(canvas.Pixel(30, 40))) << ColorText(canvas.Pixel(30, 40));
    EXPECT_EQ(Rgb(kRed), Rgb(canvas.Pixel(60, 70)));
    canvas.DumpIfFailed("manager_first_paint");

    // Later paints: no second "windowinit"; only controls that ask for
    // layout get their own place again.
    j.Clear();
    kid->AskLayout();
    Repaint();
    EXPECT_EQ(1, rec.Count(L"windowinit"));
    EXPECT_EQ(0, j.SetPosCount(L"root"));
    EXPECT_EQ(1, j.SetPosCount(L"kid"));
    EXPECT_EQ(20, kid->GetPos().left);

    // A root that asks for layout is given the client area again.
    j.Clear();
    root->AskLayout();
    Repaint();
    EXPECT_EQ(1, j.SetPosCount(L"root"));

    // No update region: nothing is laid out or painted even when stale.
    j.Clear();
    kid->AskLayout();
    ValidateRect(hwnd, NULL);
    Send(WM_PAINT);
    EXPECT_EQ(0, j.SetPosCount(L"kid"));
}

TEST_F(ManagerTest, PostPaintUpdateRectAndDirectPainting)
{
    CProbeUI* root = new CProbeUI(&j, L"root", Rc(0, 0, 0, 0), kBlue);
    CProbeUI* over = root->Add(new CProbeUI(&j, L"over", Rc(100, 20, 150, 60)));
    over->postPaintColor = kYellow;
    ASSERT_TRUE(pm().AttachRoot(root));
    ASSERT_TRUE(pm().AddPostPaint(over));
    pm().SetShowUpdateRect(true);
    ShowAndPaint();

    Canvas canvas(kW, kH);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    ASSERT_FALSE(j.postPainted.empty());
    for (const std::wstring& who : j.postPainted)
        EXPECT_EQ(L"over", who);
    EXPECT_EQ(Rgb(kYellow), Rgb(canvas.Pixel(120, 40))) << "post-paint draws after the tree";
    EXPECT_EQ(0xDC0000u, Rgb(canvas.Pixel(0, 0))) << "the update rectangle's outline";
    EXPECT_EQ(Rgb(kBlue), Rgb(canvas.Pixel(3, 3)));
    canvas.DumpIfFailed("manager_post_paint");

    EXPECT_TRUE(pm().RemovePostPaint(over));
    EXPECT_FALSE(pm().RemovePostPaint(over));
    pm().SetShowUpdateRect(false);
    j.Clear();
    Repaint();
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_TRUE(j.postPainted.empty());
    EXPECT_EQ(Rgb(kBlue), Rgb(canvas.Pixel(120, 40)));
    EXPECT_EQ(Rgb(kBlue), Rgb(canvas.Pixel(0, 0)));
}

TEST_F(ManagerTest, TransparentBackgroundIsASnapshotTakenOnce)
{
    ShowAndPaint(); // no root yet: the paint only validates
    FillWindowSurface(hwnd, RGB(255, 0, 255));

    CProbeUI* root = new CProbeUI(&j, L"root", Rc(0, 0, 0, 0), 0); // paints nothing itself
    root->Add(new CProbeUI(&j, L"kid", Rc(0, 0, 50, 50), kGreen));
    ASSERT_TRUE(pm().AttachRoot(root));
    pm().SetBackgroundTransparent(true);
    Repaint();
    Canvas canvas(kW, kH);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(Rgb(kGreen), Rgb(canvas.Pixel(10, 10)));
    EXPECT_EQ(Rgb(kMagenta), Rgb(canvas.Pixel(150, 100))) << "what lay behind the controls: " << ColorText(canvas.Pixel(150, 100));

    // The snapshot is reused: new content behind the window does not show.
    FillWindowSurface(hwnd, RGB(255, 255, 0));
    Repaint();
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(Rgb(kMagenta), Rgb(canvas.Pixel(150, 100))) << ColorText(canvas.Pixel(150, 100));
    EXPECT_EQ(Rgb(kGreen), Rgb(canvas.Pixel(10, 10)));
    canvas.DumpIfFailed("manager_background");
}

TEST_F(ManagerTest, PrintClientPaintsTheTreeAndTheChildWindows)
{
    CProbeUI* root = AttachProbeRoot(kRed);
    Attach(root);
    ChildWnd child;
    ASSERT_TRUE(child.Create(hwnd, L"", WS_CHILD | WS_VISIBLE, 0, 100, 50, 40, 30) != NULL);

    Canvas canvas(kW, kH, 0xFFFFFFFF);
    LRESULT lRes = 0;
    EXPECT_FALSE(pm().HandleWindowMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()),
                                          PRF_CLIENT | PRF_CHILDREN, lRes));
    EXPECT_EQ(Rgb(kRed), Rgb(canvas.Pixel(5, 5)));
    EXPECT_EQ(Rgb(kBlue), Rgb(canvas.Pixel(110, 60))) << "the child printed at its own place";
    EXPECT_EQ(Rgb(kRed), Rgb(canvas.Pixel(99, 60)));
    EXPECT_EQ(static_cast<LPARAM>(PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT), child.printFlags);
    POINT org = { 1, 1 };
    GetWindowOrgEx(canvas.dc(), &org);
    EXPECT_EQ(0, org.x) << "the DC is restored";
    EXPECT_EQ(0, org.y);

    // Without PRF_CHILDREN only the tree is painted.
    canvas.Fill(0xFFFFFFFF);
    child.printFlags = 0;
    pm().HandleWindowMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT, lRes);
    EXPECT_EQ(Rgb(kRed), Rgb(canvas.Pixel(110, 60)));
    EXPECT_EQ(0, child.printFlags);
}

TEST_F(ManagerTest, SizeGoesToTheFocusAndIsHandled)
{
    CProbeUI* root = AttachProbeRoot();
    CProbeUI* a = root->Add(new CProbeUI(&j, L"a", Rc(10, 10, 50, 50)));
    Attach(root);
    pm().SetFocus(a);
    j.Clear();
    SetWindowPos(hwnd, NULL, 0, 0, 260, 180, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(1, j.Count(L"a", UIEventWindowSize));
    EXPECT_EQ(a, j.Last(L"a", UIEventWindowSize)->pSender);
    EXPECT_FALSE(wnd->SawUnhandled(WM_SIZE));
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(1, Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)));
    ReleaseDC(hwnd, dc);
}

// ---------------------------------------------------------------------------
// Mouse
// ---------------------------------------------------------------------------
class ManagerMouseTest : public ManagerTest
{
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        root = AttachProbeRoot();
        a = root->Add(new CProbeUI(&j, L"a", Rc(10, 10, 60, 60)));
        b = root->Add(new CProbeUI(&j, L"b", Rc(100, 10, 150, 60)));
        Attach(root);
    }
    CProbeUI* root = NULL;
    CProbeUI* a = NULL;
    CProbeUI* b = NULL;
};

TEST_F(ManagerMouseTest, HoverEntersAndLeavesInOrder)
{
    Send(WM_MOUSEMOVE, 0, Pt(20, 20));
    Send(WM_MOUSEMOVE, 0, Pt(25, 20));
    Send(WM_MOUSEMOVE, 0, Pt(110, 20));
    Send(WM_MOUSEMOVE, 0, Pt(80, 100));
    const std::vector<std::wstring> want = {
        L"a:11", L"a:9", L"a:9",             // enter, move, move
        L"a:10", L"b:11", L"b:9",            // leave a, enter b, move
        L"b:10", L"root:11", L"root:9",      // leave b, the root itself
    };
    EXPECT_EQ(want, j.Sequence());
    const UIEvent* move = j.Last(L"b", UIEventMouseMove);
    ASSERT_TRUE(move != NULL);
    EXPECT_EQ(b, move->pSender);
    EXPECT_EQ(110, move->ptMouse.x);
    EXPECT_EQ(20, move->ptMouse.y);
    EXPECT_EQ(80, pm().GetMousePos().x);
    EXPECT_TRUE(wnd->SawUnhandled(WM_MOUSEMOVE));

    // The pointer leaves the window: the hover control gets MouseLeave.
    j.Clear();
    wnd->SendTracking(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(std::vector<std::wstring>{ L"root:10" }, j.Sequence());
}

TEST_F(ManagerMouseTest, PressCapturesAndReleaseOutsideReachesThePressedControl)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Pt(20, 30));
    EXPECT_EQ(a, pm().GetFocus());
    EXPECT_TRUE(pm().IsCaptured());
    EXPECT_EQ(hwnd, GetCapture());
    const UIEvent* down = j.Last(L"a", UIEventButtonDown);
    ASSERT_TRUE(down != NULL);
    EXPECT_EQ(a, down->pSender);
    EXPECT_EQ(MK_LBUTTON | MK_SHIFT, down->wKeyState);
    EXPECT_EQ(static_cast<WPARAM>(MK_LBUTTON | MK_SHIFT), down->wParam);
    EXPECT_EQ(Pt(20, 30), down->lParam);
    EXPECT_EQ(30, down->ptMouse.y);
    EXPECT_EQ(1, rec.Count(L"setfocus"));

    // Dragging over b and out of the window: the moves go to a.
    Send(WM_MOUSEMOVE, MK_LBUTTON, Pt(120, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 400));
    EXPECT_EQ(0, j.Count(L"b", UIEventMouseMove));
    EXPECT_EQ(2, j.Count(L"a", UIEventMouseMove));

    Send(WM_LBUTTONUP, 0, MAKELPARAM(-30, 400));
    const UIEvent* up = j.Last(L"a", UIEventButtonUp);
    ASSERT_TRUE(up != NULL);
    EXPECT_EQ(-30, up->ptMouse.x);
    EXPECT_EQ(400, up->ptMouse.y);
    EXPECT_FALSE(pm().IsCaptured());
    EXPECT_TRUE(GetCapture() == NULL);
    EXPECT_EQ(0, j.Count(L"b", UIEventButtonUp));

    // A second release has no pressed control.
    j.Clear();
    Send(WM_LBUTTONUP, 0, Pt(20, 30));
    EXPECT_EQ(0, j.CountKind(UIEventButtonUp));
}

TEST_F(ManagerMouseTest, DisabledControlIsStillPressedButNotFocused)
{
    b->SetUsable(false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(120, 30));
    EXPECT_EQ(1, j.Count(L"b", UIEventButtonDown));
    EXPECT_TRUE(pm().IsCaptured());
    EXPECT_TRUE(pm().GetFocus() == NULL);
    Send(WM_LBUTTONUP, 0, Pt(120, 30));
    EXPECT_EQ(1, j.Count(L"b", UIEventButtonUp));
}

TEST_F(ManagerMouseTest, DoubleClickPressesWithoutFocus)
{
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Pt(30, 30));
    const UIEvent* dbl = j.Last(L"a", UIEventDoubleClick);
    ASSERT_TRUE(dbl != NULL);
    EXPECT_EQ(MK_LBUTTON, dbl->wKeyState);
    EXPECT_EQ(0u, dbl->wParam);
    EXPECT_EQ(0, dbl->lParam);
    EXPECT_TRUE(pm().GetFocus() == NULL);
    EXPECT_TRUE(pm().IsCaptured());
    Send(WM_LBUTTONUP, 0, Pt(30, 30));
    EXPECT_EQ(1, j.Count(L"a", UIEventButtonUp));
}

TEST_F(ManagerMouseTest, RightClickThenContextMenuGoesToThePressedControl)
{
    Send(WM_RBUTTONDOWN, MK_RBUTTON, Pt(110, 40));
    EXPECT_EQ(1, j.Count(L"b", UIEventRButtonDown));
    EXPECT_EQ(b, pm().GetFocus());
    EXPECT_TRUE(pm().IsCaptured());

    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), ScreenLParam(112, 44));
    const UIEvent* menu = j.Last(L"b", UIEventContextMenu);
    ASSERT_TRUE(menu != NULL);
    EXPECT_EQ(b, menu->pSender);
    EXPECT_EQ(112, menu->ptMouse.x);
    EXPECT_EQ(44, menu->ptMouse.y);
    EXPECT_EQ(0u, menu->wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(b), menu->lParam);
    EXPECT_FALSE(pm().IsCaptured());
    EXPECT_EQ(112, pm().GetMousePos().x);
    EXPECT_FALSE(wnd->SawUnhandled(WM_CONTEXTMENU));

    // No pressed control any more: not handled.
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), ScreenLParam(20, 20));
    EXPECT_EQ(1, j.Count(L"b", UIEventContextMenu));
    EXPECT_TRUE(wnd->SawUnhandled(WM_CONTEXTMENU));
}

TEST_F(ManagerMouseTest, WheelTowardsTheUserIsOneAndHoverFollows)
{
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), ScreenLParam(30, 30));
    ASSERT_EQ(1, j.Count(L"a", UIEventScrollWheel));
    const UIEvent* wheel = j.Last(L"a", UIEventScrollWheel);
    EXPECT_EQ(1u, wheel->wParam);
    EXPECT_EQ(ScreenLParam(30, 30), wheel->lParam);
    EXPECT_EQ(0, wheel->ptMouse.x);
    EXPECT_EQ(30, pm().GetMousePos().x);
    // The synthetic move makes a the hover control.
    const std::vector<std::wstring> want = { L"a:18", L"a:11", L"a:9" };
    EXPECT_EQ(want, j.Sequence());

    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), ScreenLParam(30, 30));
    EXPECT_EQ(0u, j.Last(L"a", UIEventScrollWheel)->wParam);
}

TEST_F(ManagerMouseTest, ControlOfAnotherManagerGetsNothing)
{
    CUIManager other;
    b->SetManager(&other, root, false);
    Send(WM_MOUSEMOVE, 0, Pt(20, 20));
    Send(WM_MOUSEMOVE, 0, Pt(110, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(110, 20));
    Send(WM_LBUTTONUP, 0, Pt(110, 20));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), ScreenLParam(110, 20));
    int bEvents = 0;
    for (const Journal::Event& e : j.events)
        if (e.who == L"b")
            ++bEvents;
    EXPECT_EQ(0, bEvents);
    EXPECT_FALSE(pm().IsCaptured());
    EXPECT_EQ(0, j.Count(L"a", UIEventMouseLeave)) << "the move over b ends the handling";
    b->SetManager(&pm(), root, false);
}

struct ToolTipSearch
{
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindToolTipProc(HWND h, LPARAM l)
{
    ToolTipSearch* s = reinterpret_cast<ToolTipSearch*>(l);
    wchar_t cls[64] = { 0 };
    GetClassNameW(h, cls, 64);
    if (lstrcmpiW(cls, L"tooltips_class32") == 0 && GetWindow(h, GW_OWNER) == s->owner) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND FindToolTipOf(HWND owner)
{
    ToolTipSearch search = { owner, NULL };
    EnumThreadWindows(GetCurrentThreadId(), FindToolTipProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(ManagerMouseTest, HoverShowsTheControlsToolTip)
{
    // Hovering a control without a tooltip makes no tooltip window.
    Send(WM_MOUSEMOVE, 0, Pt(110, 20));
    EXPECT_EQ(0, wnd->SendTracking(WM_MOUSEHOVER, 0, Pt(110, 20)));
    EXPECT_EQ(1, j.Count(L"b", UIEventMouseHover));
    EXPECT_TRUE(FindToolTipOf(hwnd) == NULL);
    EXPECT_FALSE(wnd->SawUnhandled(WM_MOUSEHOVER));

    a->SetTip(L"first line\r\nsecond");
    a->SetTipWidth(180);
    Send(WM_MOUSEMOVE, 0, Pt(20, 20));
    wnd->SendTracking(WM_MOUSEHOVER, 0, Pt(20, 20));
    const UIEvent* hover = j.Last(L"a", UIEventMouseHover);
    ASSERT_TRUE(hover != NULL);
    EXPECT_EQ(a, hover->pSender);
    HWND tip = FindToolTipOf(hwnd);
    ASSERT_TRUE(tip != NULL);
    LONG_PTR style = GetWindowLongPtrW(tip, GWL_STYLE);
    EXPECT_TRUE((style & WS_POPUP) != 0);
    EXPECT_TRUE((style & TTS_NOPREFIX) != 0);
    EXPECT_TRUE((style & TTS_ALWAYSTIP) != 0);
    EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    EXPECT_EQ(180, SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0));

    wchar_t text[256] = { 0 };
    TOOLINFOW ti;
    ZeroMemory(&ti, sizeof(ti));
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.lpszText = text;
    ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(hwnd, ti.hwnd);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(hwnd), ti.uId);
    EXPECT_STREQ(L"first line\r\nsecond", text);

    // A second tooltip control reuses the window and the tool.
    b->SetTip(L"bee");
    Send(WM_MOUSEMOVE, 0, Pt(110, 20));
    wnd->SendTracking(WM_MOUSEHOVER, 0, Pt(110, 20));
    EXPECT_EQ(tip, FindToolTipOf(hwnd));
    EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    ZeroMemory(text, sizeof(text));
    ti.lpszText = text;
    SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(L"bee", text);

    // Nothing under the point: not handled.
    EXPECT_FALSE(wnd->SawUnhandled(WM_MOUSEHOVER));
    wnd->SendTracking(WM_MOUSEHOVER, 0, Pt(400, 400));
    EXPECT_TRUE(wnd->SawUnhandled(WM_MOUSEHOVER));
}

TEST_F(ManagerMouseTest, SetCursorOnlyForTheClientAreaAndWillingControls)
{
    a->inputFlags = WantSetCursor;
    POINT overA = ToScreen(20, 20);
    POINT overB = ToScreen(120, 20);
    struct Case
    {
        POINT pointer;
        WORD hit;
        bool handled;
        int aEvents;
    };
    const Case cases[] = {
        { overA, HTCLIENT, true, 1 },
        { overB, HTCLIENT, false, 0 },
        { overA, HTCAPTION, false, 0 },
    };
    for (const Case& c : cases) {
        j.Clear();
        wnd->unhandled.clear();
        SetCursorPos(c.pointer.x, c.pointer.y);
        LRESULT r = Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(c.hit, WM_MOUSEMOVE));
        EXPECT_EQ(c.handled, !wnd->SawUnhandled(WM_SETCURSOR));
        EXPECT_EQ(c.aEvents, j.Count(L"a", UIEventSetCursor));
        if (c.handled) {
            EXPECT_EQ(TRUE, r);
        }
    }
    j.Clear();
    SetCursorPos(overA.x, overA.y);
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const UIEvent* cur = j.Last(L"a", UIEventSetCursor);
    ASSERT_TRUE(cur != NULL);
    EXPECT_TRUE(cur->pSender == NULL);
    EXPECT_EQ(20, cur->ptMouse.x);
    EXPECT_EQ(reinterpret_cast<WPARAM>(hwnd), cur->wParam);
    EXPECT_EQ(MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), cur->lParam);

    // While captured the cursor stays, whatever lies under it.
    pm().BeginCapture();
    j.Clear();
    wnd->unhandled.clear();
    SetCursorPos(overB.x, overB.y);
    EXPECT_EQ(TRUE, Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_FALSE(wnd->SawUnhandled(WM_SETCURSOR));
    pm().EndCapture();
    ParkPointer();
}

TEST_F(ManagerMouseTest, CloseEndsHoverPressAndFocus)
{
    Send(WM_MOUSEMOVE, 0, Pt(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(110, 20));
    ASSERT_EQ(b, pm().GetFocus());
    j.Clear();
    rec.notes.clear();
    Send(WM_CLOSE);
    // The press does not move the hover: a is still the hover control.
    EXPECT_EQ(1, j.Count(L"a", UIEventMouseLeave));
    EXPECT_EQ(1, j.Count(L"b", UIEventButtonUp));
    EXPECT_EQ(0, j.Count(L"b", UIEventMouseLeave));
    EXPECT_EQ(1, rec.Count(L"killfocus"));
    EXPECT_TRUE(GetCapture() == NULL);
    EXPECT_FALSE(IsWindow(hwnd)) << "not handled: the window closes as usual";
}

// ---------------------------------------------------------------------------
// Keys, focus, Tab order, shortcuts
// ---------------------------------------------------------------------------
TEST_F(ManagerMouseTest, KeysGoToTheFocusAndKeyUpToTheKeyTarget)
{
    Send(WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(0, j.CountKind(UIEventKeyDown)) << "no focus, no key events";

    KeyState keys;
    keys.Press(VK_SHIFT, true);
    keys.Press(VK_CONTROL, true);
    Send(WM_MOUSEMOVE, 0, Pt(33, 44));
    pm().SetFocus(a);
    Send(WM_KEYDOWN, 'X', 0x1D0001);
    const UIEvent* down = j.Last(L"a", UIEventKeyDown);
    ASSERT_TRUE(down != NULL);
    EXPECT_EQ(L'X', down->chKey);
    EXPECT_TRUE(down->pSender == NULL);
    EXPECT_EQ(MK_SHIFT | MK_CONTROL, down->wKeyState);
    EXPECT_EQ(33, down->ptMouse.x);
    EXPECT_EQ(0u, down->wParam);

    pm().SetFocus(b);
    Send(WM_CHAR, 'x', 0);
    Send(WM_KEYUP, 'X', 0);
    EXPECT_EQ(1, j.Count(L"a", UIEventKeyUp)) << "the control that got the key down";
    EXPECT_EQ(0, j.Count(L"b", UIEventKeyUp));
    EXPECT_EQ(1, j.Count(L"b", UIEventChar));
    EXPECT_EQ(L'x', j.Last(L"b", UIEventChar)->chKey);
    Send(WM_KEYUP, 'X', 0);
    EXPECT_EQ(1, j.CountKind(UIEventKeyUp));
}

TEST_F(ManagerMouseTest, FocusChangesSendEventsAndNotifications)
{
    CProbeUI* hidden = root->Add(new CProbeUI(&j, L"hidden", Rc(0, 100, 10, 110)));
    CProbeUI* off = root->Add(new CProbeUI(&j, L"off", Rc(0, 100, 10, 110)));
    hidden->SetManager(&pm(), root, false);
    off->SetManager(&pm(), root, false);
    hidden->SetShown(false);
    off->SetUsable(false);

    pm().SetFocus(a);
    pm().SetFocus(b);
    pm().SetFocus(b);
    const std::vector<std::wstring> want = { L"a:21", L"a:20", L"b:21" };
    EXPECT_EQ(want, j.Sequence());
    EXPECT_EQ(b, j.Last(L"a", UIEventKillFocus)->pSender) << "KillFocus names the new focus";
    EXPECT_EQ(b, j.Last(L"b", UIEventSetFocus)->pSender);
    const std::vector<std::wstring> notes = { L"setfocus", L"killfocus", L"setfocus" };
    EXPECT_EQ(notes, rec.Types());
    EXPECT_EQ(a, rec.notes[1].sender);
    EXPECT_TRUE(b->IsFocused());

    struct Case
    {
        CControlUI* target;
        const char* what;
    };
    CUIManager other;
    CProbeUI stranger(&j, L"stranger");
    stranger.SetManager(&other, NULL, false);
    const Case refused[] = { { hidden, "invisible" }, { off, "disabled" }, { &stranger, "another manager's" },
                             { NULL, "null" } };
    for (const Case& c : refused) {
        pm().SetFocus(b);
        pm().SetFocus(c.target);
        EXPECT_TRUE(pm().GetFocus() == NULL) << c.what;
        EXPECT_FALSE(b->IsFocused()) << c.what;
    }
}

class ManagerTabTest : public ManagerTest
{
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        root = AttachProbeRoot();
        t1 = Stop(L"t1", true);
        Stop(L"plain", false);
        t3 = Stop(L"t3", true);
        Stop(L"hidden", true)->SetShown(false);
        Stop(L"off", true)->SetUsable(false);
        t6 = Stop(L"t6", true);
        ASSERT_TRUE(pm().AttachRoot(root));
        ShowAndPaint();
    }
    CProbeUI* Stop(const wchar_t* name, bool tabStop)
    {
        CProbeUI* p = root->Add(new CProbeUI(&j, name, Rc(0, 0, 10, 10)));
        p->inputFlags = tabStop ? TabStop : 0;
        return p;
    }
    bool Key(UINT msg, WPARAM key)
    {
        MSG m;
        ZeroMemory(&m, sizeof(m));
        m.hwnd = hwnd;
        m.message = msg;
        m.wParam = key;
        return CUIManager::TranslateMessage(&m);
    }
    CProbeUI* root = NULL;
    CProbeUI* t1 = NULL;
    CProbeUI* t3 = NULL;
    CProbeUI* t6 = NULL;
};

TEST_F(ManagerTabTest, TabWrapsBothWays)
{
    EXPECT_EQ(t1, pm().GetFocus()) << "the first paint of a new root focuses its first tab stop";
    std::vector<CControlUI*> forward;
    for (int i = 0; i < 4; i++) {
        EXPECT_TRUE(Key(WM_KEYDOWN, VK_TAB)) << "Tab is consumed";
        forward.push_back(pm().GetFocus());
    }
    EXPECT_EQ((std::vector<CControlUI*>{ t3, t6, t1, t3 }), forward);

    KeyState keys;
    keys.Press(VK_SHIFT, true);
    std::vector<CControlUI*> backward;
    for (int i = 0; i < 4; i++) {
        EXPECT_TRUE(Key(WM_KEYDOWN, VK_TAB));
        backward.push_back(pm().GetFocus());
    }
    EXPECT_EQ((std::vector<CControlUI*>{ t1, t6, t3, t1 }), backward);

    // Without a focus Tab starts at the first tab stop.
    keys.Press(VK_SHIFT, false);
    pm().SetFocus(NULL);
    EXPECT_TRUE(pm().FocusNextTabStop(true));
    EXPECT_EQ(t1, pm().GetFocus());
}

TEST_F(ManagerTabTest, RichEditThatWantsTabKeepsIt)
{
    CRichEditProbe* edit = new CRichEditProbe(&j, L"edit", Rc(0, 0, 10, 10));
    root->Add(edit);
    edit->SetManager(&pm(), root, false);
    pm().SetFocus(edit);
    EXPECT_FALSE(Key(WM_KEYDOWN, VK_TAB)) << "left to the rich edit";
    EXPECT_EQ(edit, pm().GetFocus());

    edit->wantTab = false;
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(t1, pm().GetFocus()) << "past the last tab stop";

    // The class name alone is not enough to keep Tab.
    CProbeUI* lookalike = Stop(L"lookalike", true);
    lookalike->className = L"RichEditUI";
    lookalike->SetManager(&pm(), root, false);
    pm().SetFocus(lookalike);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(t1, pm().GetFocus());
}

TEST_F(ManagerTabTest, FocusNeededMovesOntoTheControlAtTheNextPaint)
{
    pm().SetFocus(t1);
    rec.notes.clear();
    j.Clear();
    pm().SetFocusNeeded(t6);
    EXPECT_EQ(t3, pm().GetFocus()) << "the tab stop before it, without events";
    EXPECT_EQ(1, rec.Count(L"killfocus"));
    EXPECT_EQ(0, rec.Count(L"setfocus"));
    Repaint();
    EXPECT_EQ(t6, pm().GetFocus());
    EXPECT_EQ(1, j.Count(L"t6", UIEventSetFocus));
    EXPECT_EQ(1, rec.Count(L"setfocus"));
}

TEST_F(ManagerTabTest, AltShortcutsFocusAndActivate)
{
    // Searched last child first: a label's shortcut goes on to the next
    // control of the search, the one before it in the list.
    CProbeUI* edit = Stop(L"edit", true);
    CProbeUI* label = Stop(L"label", false);
    label->className = L"LabelUI";
    label->SetKey(L'N');
    CProbeUI* ok = Stop(L"ok", true);
    ok->SetKey(L'o');
    CProbeUI* ghost = Stop(L"ghost", true);
    ghost->SetKey(L'G');
    ghost->SetShown(false);
    CProbeUI* dead = Stop(L"dead", true);
    dead->SetKey(L'D');
    dead->SetUsable(false);
    // A label whose next control is hidden leads to that control (which
    // takes no focus), not on to a later one.
    CProbeUI* hiddenField = Stop(L"hiddenfield", true);
    hiddenField->SetShown(false);
    CProbeUI* label2 = Stop(L"label2", false);
    label2->className = L"LabelUI";
    label2->SetKey(L'H');
    pm().InitControls(root);

    struct Case
    {
        wchar_t key;
        bool consumed;
        CControlUI* focus;
        const wchar_t* activated;   // NULL: none
    };
    const Case cases[] = {
        { L'n', true, edit, L"edit" }, { L'O', true, ok, L"ok" },  { L'o', true, ok, L"ok" },
        { L'h', true, NULL, L"hiddenfield" }, { L'g', false, NULL, NULL }, { L'd', false, NULL, NULL },
        { L'z', false, NULL, NULL },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.key)));
        pm().SetFocus(NULL);
        j.activated.clear();
        EXPECT_EQ(c.consumed, Key(WM_SYSCHAR, c.key));
        EXPECT_EQ(c.focus, pm().GetFocus());
        if (c.activated != NULL) {
            ASSERT_EQ(1u, j.activated.size());
            EXPECT_STREQ(c.activated, j.activated[0].c_str());
        } else {
            EXPECT_TRUE(j.activated.empty());
        }
    }

    // Alt + key goes to the focus as SysKey and is not consumed.
    pm().SetFocus(ok);
    EXPECT_FALSE(Key(WM_SYSKEYDOWN, 'Q'));
    const UIEvent* sys = j.Last(L"ok", UIEventSysKey);
    ASSERT_TRUE(sys != NULL);
    EXPECT_EQ(L'Q', sys->chKey);
}

// ---------------------------------------------------------------------------
// Filters and reflected child messages
// ---------------------------------------------------------------------------
TEST_F(ManagerTest, MessageFiltersComeFirstInOrder)
{
    const UINT kMsg = WM_APP + 77;
    CountingFilter passes(kMsg, false, 0), takes(kMsg, true, 42), never(kMsg, true, 7);
    ASSERT_TRUE(pm().AddMessageFilter(&passes));
    ASSERT_TRUE(pm().AddMessageFilter(&takes));
    ASSERT_TRUE(pm().AddMessageFilter(&never));
    EXPECT_EQ(42, Send(kMsg));
    EXPECT_EQ(1, passes.calls);
    EXPECT_EQ(1, takes.calls);
    EXPECT_EQ(0, never.calls);
    EXPECT_FALSE(wnd->SawUnhandled(kMsg));

    // A filter that removes itself while called does not make the next one
    // be skipped.
    passes.onCall = [this, &passes] { pm().RemoveMessageFilter(&passes); };
    EXPECT_EQ(42, Send(kMsg));
    EXPECT_EQ(2, passes.calls);
    EXPECT_EQ(2, takes.calls);
    EXPECT_FALSE(pm().RemoveMessageFilter(&passes));

    EXPECT_TRUE(pm().RemoveMessageFilter(&takes));
    EXPECT_EQ(7, Send(kMsg));
    EXPECT_TRUE(pm().RemoveMessageFilter(&never));
    Send(kMsg);
    EXPECT_TRUE(wnd->SawUnhandled(kMsg));

    // Pre-message filters see what the message loop translates.
    CountingFilter pre(kMsg, true, 5);
    ASSERT_TRUE(pm().AddPreMessageFilter(&pre));
    MSG m;
    ZeroMemory(&m, sizeof(m));
    m.hwnd = hwnd;
    m.message = kMsg;
    EXPECT_TRUE(CUIManager::TranslateMessage(&m));
    EXPECT_EQ(1, pre.calls);
    EXPECT_TRUE(pm().RemovePreMessageFilter(&pre));
    EXPECT_FALSE(CUIManager::TranslateMessage(&m));
    EXPECT_FALSE(pm().RemovePreMessageFilter(&pre));
}

TEST_F(ManagerTest, ChildNotificationsAreReflected)
{
    ChildWnd child;
    ASSERT_TRUE(child.Create(hwnd, L"", WS_CHILD, 0, 0, 0, 10, 10) != NULL);
    child.answer = 1234;

    NMHDR hdr = { child.GetHWND(), 7, 99 };
    EXPECT_EQ(1234, Send(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&hdr)));
    ASSERT_EQ(1u, child.seen.size());
    EXPECT_EQ(0x204Eu, child.seen[0]);
    EXPECT_EQ(7u, child.seenW);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&hdr), child.seenL);

    EXPECT_EQ(0, Send(WM_NOTIFY, 7, 0)) << "no header: handled, nothing read";
    EXPECT_FALSE(wnd->SawUnhandled(WM_NOTIFY));

    EXPECT_EQ(1234, Send(WM_COMMAND, MAKEWPARAM(3, BN_CLICKED), reinterpret_cast<LPARAM>(child.GetHWND())));
    EXPECT_EQ(0x2111u, child.seen.back());
    Send(WM_COMMAND, 3, 0);
    EXPECT_TRUE(wnd->SawUnhandled(WM_COMMAND)) << "a menu command is not reflected";

    HDC dc = GetDC(hwnd);
    EXPECT_EQ(1234, Send(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child.GetHWND())));
    EXPECT_EQ(static_cast<UINT>(WM_CTLCOLOREDIT + 0x2000), child.seen.back());
    EXPECT_EQ(1234,
              Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child.GetHWND())));
    EXPECT_EQ(static_cast<UINT>(WM_CTLCOLORSTATIC + 0x2000), child.seen.back());
    ReleaseDC(hwnd, dc);
    EXPECT_EQ(4u, child.seen.size());
}

} // namespace
