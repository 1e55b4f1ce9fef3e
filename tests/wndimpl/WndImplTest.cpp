// The skinned window base on real windows: each kind of skin source, the
// resource folder rule, hit testing, min/max info, maximising to the work
// area, the system buttons, round corners, keys, and message maps.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <functional>
#include <string>
#include <vector>

#include "FixtureWnd.h"
#include "TestSupport.h"

using namespace SkinUI;
using namespace wndtest;

UI_BEGIN_MESSAGE_MAP(CFixtureWnd, WindowImplBase)
    UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_CLICK, L"okbtn", OnOk)
    UI_ON_MSGTYPE(UI_MSGTYPE_WINDOWINIT, OnWindowInit)
    UI_ON_MSGTYPE(UI_MSGTYPE_SELECTCHANGED, OnAnySelectChanged)
UI_END_MESSAGE_MAP()

namespace {

using testsupport::RectText;

RECT WindowRect(HWND hwnd) {
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

RECT WorkArea(HWND hwnd) {
    MONITORINFO mi;
    ZeroMemory(&mi, sizeof(mi));
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

POINT Center(CControlUI* c) {
    const RECT& rc = c->GetPos();
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}

// A press and release at a client point, as the mouse would post them.
void PostClick(HWND hwnd, POINT pt) {
    const LPARAM lp = MAKELPARAM(pt.x, pt.y);
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, lp);
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, lp);
}

LRESULT HitTest(HWND hwnd, int x, int y) {
    POINT pt = {x, y};
    ::ClientToScreen(hwnd, &pt);
    return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

// Shown without activation and laid out.
bool ShowAndLayOut(CFixtureWnd& wnd) {
    ::ShowWindow(wnd.GetHWND(), SW_SHOWNOACTIVATE);
    CControlUI* pRoot = wnd.PM().GetRoot();
    if (pRoot == NULL) return false;
    return testsupport::PumpUntil(
        [&] { return !pRoot->NeedsLayout() && pRoot->GetWidth() > 0 && !::GetUpdateRect(wnd.GetHWND(), NULL, FALSE); },
        3000);
}

class WndImplTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSkinState(); }
    void TearDown() override { CUIManager::ResetResourceState(); }
};

// --- skin sources ------------------------------------------------------------------

TEST_F(WndImplTest, BuildsFromEveryKindOfSkinSource) {
    struct Case {
        const char* what;
        UIResourceKind kind;
        const wchar_t* file;
        const wchar_t* zipName;
    };
    const Case cases[] = {
        {"files in the resource folder", UIResourceFile, L"wnd.xml", L""},
        {"a skin zip file", UIResourceZip, L"wnd.xml", L"wnd.zip"},
        {"an xml resource", UIResourceXml, L"201", L""},
        {"a ZIPRES resource", UIResourceZipResource, L"wnd.xml", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetSkinState();
        // Set before the window exists, so the window keeps it.
        CUIManager::SetResourcePath(SkinDir().c_str());
        CFixtureWnd wnd;
        wnd.kind = c.kind;
        wnd.file = c.file;
        wnd.zipName = c.zipName;
        ASSERT_TRUE(wnd.Open());
        EXPECT_EQ(wnd.initCount, 1);
        EXPECT_STREQ(CUIManager::GetResourcePath().GetData(), SkinDir().c_str());
        ASSERT_NE(wnd.PM().GetRoot(), nullptr);
        CControlUI* pOk = wnd.Find(L"okbtn");
        ASSERT_NE(pOk, nullptr);
        EXPECT_STREQ(pOk->GetClassName(), L"ButtonUI");
        // The caption is gone and the whole window is client area.
        EXPECT_EQ(::GetWindowLongPtrW(wnd.GetHWND(), GWL_STYLE) & WS_CAPTION, 0);
        EXPECT_EQ(wnd.GetStyle() & WS_CAPTION, 0);
        RECT rcClient;
        ::GetClientRect(wnd.GetHWND(), &rcClient);
        EXPECT_EQ(RectText(rcClient), "0,0,400,300");
        EXPECT_EQ(RectText(WindowRect(wnd.GetHWND())), "0,0,400,300");

        ASSERT_TRUE(ShowAndLayOut(wnd));
        // The button's image came from this kind's source.
        testsupport::Canvas canvas(400, 300);
        ASSERT_TRUE(canvas.CaptureWindow(wnd.GetHWND()));
        const RECT& rcOk = pOk->GetPos();
        EXPECT_TRUE(testsupport::ColorNear(canvas.Pixel(rcOk.left + 3, rcOk.top + 3), 0xFFF0A020, 2))
            << testsupport::ColorText(canvas.Pixel(rcOk.left + 3, rcOk.top + 3));
    }
    EXPECT_EQ(CUIManager::GetResourceZipName(), CUIString(L"membuffer"));
}

TEST_F(WndImplTest, TheFirstWindowDecidesTheResourceFolder) {
    CFixtureWnd first;
    first.kind = UIResourceXml;
    first.file = L"201";
    first.folder = L"fixture_skin";
    ASSERT_TRUE(first.Open());
    CUIString expected = CUIManager::GetInstancePath();
    expected += L"fixture_skin\\";
    EXPECT_STREQ(CUIManager::GetResourcePath().GetData(), expected.GetData());

    CFixtureWnd second;
    second.kind = UIResourceXml;
    second.file = L"201";
    second.folder = L"other";
    ASSERT_TRUE(second.Open());
    EXPECT_STREQ(CUIManager::GetResourcePath().GetData(), expected.GetData());
}

TEST_F(WndImplTest, ZipResourceIsCopiedOnceAndAMissingOneLeavesAWindowWithoutControls) {
    // The commit charge (Wine reports no private usage, but this one).
    auto committed = [] {
        PROCESS_MEMORY_COUNTERS pmc;
        ZeroMemory(&pmc, sizeof(pmc));
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc));
        return static_cast<long long>(pmc.PagefileUsage);
    };
    {
        // The counter sees a block of the zip's size.
        const long long base = committed();
        std::vector<char> block(2 * 1024 * 1024, 1);
        ASSERT_GE(committed() - base, 1024 * 1024) << "the commit charge does not follow allocations";
    }
    auto openAndClose = [] {
        CFixtureWnd wnd;
        ASSERT_TRUE(wnd.Open());
        ASSERT_NE(wnd.Find(L"okbtn"), nullptr);
        ::DestroyWindow(wnd.GetHWND());
        testsupport::PumpFor(0);
    };
    openAndClose();   // the first window copies the 2 MiB skin zip
    const UIZipHandle* pZip = CUIManager::GetResourceZipHandle();
    ASSERT_NE(pZip, nullptr);
    const long long before = committed();
    for (int i = 0; i < 8; ++i) openAndClose();
    const long long grown = committed() - before;
    EXPECT_LT(grown, 6LL * 1024 * 1024) << "each window copied the skin zip again";
    EXPECT_EQ(CUIManager::GetResourceZipHandle(), pZip);

    // A missing resource: the window exists, silently, without controls, and
    // goes away cleanly.
    CFixtureWnd bare;
    bare.resId = L"NoSuchSkin";
    ASSERT_TRUE(bare.Open());
    EXPECT_EQ(bare.PM().GetRoot(), nullptr);
    EXPECT_EQ(bare.initCount, 0);
    ::DestroyWindow(bare.GetHWND());
    EXPECT_TRUE(bare.destroyed);
}

// --- non-client behaviour ----------------------------------------------------------

TEST_F(WndImplTest, HitTestGivesSizeBoxThenCaptionThenClient) {
    CFixtureWnd wnd;
    ASSERT_TRUE(wnd.Open());
    ASSERT_TRUE(ShowAndLayOut(wnd));
    HWND hwnd = wnd.GetHWND();
    struct Case {
        const char* what;
        int x, y;
        LRESULT expected;
    };
    // Size box 4,4,6,6 in a 400 x 300 window, caption band rows 0..31.
    const Case cases[] = {
        {"top left", 2, 2, HTTOPLEFT},       {"top", 200, 3, HTTOP},
        {"top right", 398, 2, HTTOPRIGHT},   {"left", 1, 100, HTLEFT},
        {"left edge inside", 4, 100, HTCLIENT}, {"right edge inside", 394, 100, HTCLIENT},
        {"right", 395, 100, HTRIGHT},        {"bottom left", 1, 298, HTBOTTOMLEFT},
        {"bottom", 200, 295, HTBOTTOM},      {"bottom right", 398, 298, HTBOTTOMRIGHT},
        {"inside bottom", 200, 294, HTCLIENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HitTest(hwnd, c.x, c.y), c.expected);
    }
    struct Named {
        const wchar_t* name;
        LRESULT expected;
    };
    // In the caption band only buttons, options and texts are clickable; a
    // check box drags the window like a label does.
    const Named named[] = {
        {L"title", HTCAPTION}, {L"pin", HTCAPTION}, {L"minbtn", HTCLIENT},
        {L"closebtn", HTCLIENT}, {L"okbtn", HTCLIENT}, {L"swatch", HTCLIENT},
        {L"captext", HTCLIENT},
    };
    for (const Named& n : named) {
        SCOPED_TRACE(testsupport::Narrow(n.name));
        CControlUI* c = wnd.Find(n.name);
        ASSERT_NE(c, nullptr);
        POINT pt = Center(c);
        EXPECT_EQ(HitTest(hwnd, pt.x, pt.y), n.expected);
    }
}

TEST_F(WndImplTest, MinMaxInfoAndNonClientMessages) {
    CFixtureWnd wnd;
    ASSERT_TRUE(wnd.Open());
    HWND hwnd = wnd.GetHWND();
    MONITORINFO mi;
    ZeroMemory(&mi, sizeof(mi));
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi);

    MINMAXINFO mmi;
    memset(&mmi, 77, sizeof(mmi));
    ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMaxPosition.x, mi.rcWork.left - mi.rcMonitor.left);
    EXPECT_EQ(mmi.ptMaxPosition.y, mi.rcWork.top - mi.rcMonitor.top);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, mi.rcWork.right - mi.rcWork.left);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, mi.rcWork.bottom - mi.rcWork.top);
    EXPECT_EQ(mmi.ptMinTrackSize.x, 200);   // mininfo
    EXPECT_EQ(mmi.ptMinTrackSize.y, 150);

    // The system draws no frame and no caption.
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0), 0);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCPAINT, 1, 0), 0);
    RECT rc = {10, 20, 110, 220};
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc)), 0);
    EXPECT_EQ(RectText(rc), "10,20,110,220");

    // Without "mininfo" the minimum tracking size is 0 x 0.
    CFixtureWnd plain;
    plain.kind = UIResourceFile;
    plain.file = L"<Window size=\"300,200\"><Control/></Window>";
    ASSERT_TRUE(plain.Open());
    memset(&mmi, 77, sizeof(mmi));
    ::SendMessageW(plain.GetHWND(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 0);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 0);

    // SC_CLOSE goes through WM_CLOSE, which ends the window.
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(wnd.closeCount, 1);
    EXPECT_EQ(wnd.lastCloseWParam, 0u);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(wnd.destroyed);
}

TEST_F(WndImplTest, RoundCornersFollowEverySizeChange) {
    CFixtureWnd wnd;
    ASSERT_TRUE(wnd.Open());
    HWND hwnd = wnd.GetHWND();
    const int sizes[][2] = {{300, 200}, {420, 310}};
    for (const auto& s : sizes) {
        ::SetWindowPos(hwnd, NULL, 0, 0, s[0], s[1], SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(hwnd, rgn), ERROR);
        EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
        EXPECT_FALSE(::PtInRegion(rgn, s[0] - 1, s[1] - 1));
        EXPECT_TRUE(::PtInRegion(rgn, s[0] / 2, s[1] / 2));
        EXPECT_TRUE(::PtInRegion(rgn, s[0] / 2, 0));
        EXPECT_TRUE(::PtInRegion(rgn, s[0] - 1, s[1] / 2));
        RECT box;
        ::GetRgnBox(rgn, &box);
        EXPECT_GE(box.right, s[0]);
        EXPECT_GE(box.bottom, s[1]);
        ::DeleteObject(rgn);
    }
}

// --- system buttons, the message map, pixels ----------------------------------------

TEST_F(WndImplTest, SystemButtonsMaximiseToTheWorkAreaRestoreMinimiseAndClose) {
    CFixtureWnd wnd;
    ASSERT_TRUE(wnd.Open());
    ASSERT_TRUE(ShowAndLayOut(wnd));
    HWND hwnd = wnd.GetHWND();
    CControlUI* pMax = wnd.Find(L"maxbtn");
    CControlUI* pRestore = wnd.Find(L"restorebtn");
    CControlUI* pMin = wnd.Find(L"minbtn");
    CControlUI* pClose = wnd.Find(L"closebtn");
    ASSERT_TRUE(pMax && pRestore && pMin && pClose);
    EXPECT_TRUE(pMax->IsVisible());
    EXPECT_FALSE(pRestore->IsVisible());

    PostClick(hwnd, Center(pMax));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ::IsZoomed(hwnd) != FALSE; }, 3000));
    EXPECT_EQ(RectText(WindowRect(hwnd)), RectText(WorkArea(hwnd)));
    RECT rcClient;
    ::GetClientRect(hwnd, &rcClient);
    const RECT rcWork = WorkArea(hwnd);
    EXPECT_EQ(rcClient.right, rcWork.right - rcWork.left);
    EXPECT_EQ(rcClient.bottom, rcWork.bottom - rcWork.top);
    EXPECT_FALSE(pMax->IsVisible());
    EXPECT_TRUE(pRestore->IsVisible());
    // No resize borders while maximised.
    EXPECT_NE(HitTest(hwnd, 1, 100), HTLEFT);
    EXPECT_NE(HitTest(hwnd, 2, 2), HTTOPLEFT);
    RECT rcCalc = {0, 0, 10, 10};
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rcCalc)), WVR_REDRAW);
    EXPECT_EQ(rcCalc.right, rcWork.right - rcWork.left);
    EXPECT_EQ(rcCalc.bottom, rcWork.bottom - rcWork.top);

    ASSERT_TRUE(testsupport::PumpUntil([&] { return pRestore->GetWidth() > 0 && !wnd.PM().GetRoot()->NeedsLayout(); },
                                       3000));
    PostClick(hwnd, Center(pRestore));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !::IsZoomed(hwnd); }, 3000));
    RECT rc = WindowRect(hwnd);
    EXPECT_EQ(rc.right - rc.left, 400);
    EXPECT_EQ(rc.bottom - rc.top, 300);
    EXPECT_TRUE(pMax->IsVisible());
    EXPECT_FALSE(pRestore->IsVisible());

    ASSERT_TRUE(testsupport::PumpUntil([&] { return !wnd.PM().GetRoot()->NeedsLayout(); }, 3000));
    PostClick(hwnd, Center(pMin));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ::IsIconic(hwnd) != FALSE; }, 3000));
    // Leaving the minimised state changes no button.
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(hwnd));
    EXPECT_TRUE(pMax->IsVisible());
    EXPECT_FALSE(pRestore->IsVisible());

    ASSERT_TRUE(ShowAndLayOut(wnd));
    PostClick(hwnd, Center(pClose));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return wnd.destroyed; }, 3000));
    EXPECT_EQ(wnd.closeCount, 1);
    EXPECT_EQ(wnd.lastCloseWParam, 1u);
}

TEST_F(WndImplTest, NotificationsReachTheMessageMapAndTheWindowPaintsItsSkin) {
    CFixtureWnd wnd;
    ASSERT_TRUE(wnd.Open());
    ASSERT_TRUE(ShowAndLayOut(wnd));
    HWND hwnd = wnd.GetHWND();

    struct Layout {
        const wchar_t* name;
        const char* rect;
    };
    const Layout layout[] = {
        {L"root", "0,0,400,300"},
        {L"titlebar", "0,0,400,32"},
        {L"body", "0,32,400,300"},
        {L"swatch", "20,52,60,92"},
        {L"okbtn", "150,132,250,172"},
        {L"closebtn", "376,0,400,32"},
    };
    for (const Layout& l : layout) {
        SCOPED_TRACE(testsupport::Narrow(l.name));
        CControlUI* c = wnd.Find(l.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(RectText(c->GetPos()), l.rect);
    }

    testsupport::Canvas canvas(400, 300);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    canvas.SavePng(testsupport::OutputDir() + L"wndimpl_fixture.png");
    struct Probe {
        int x, y;
        DWORD color;
    };
    const Probe probes[] = {
        {40, 72, 0xFFE02020},    // swatch
        {10, 200, 0xFF2040A0},   // body (the root's background)
        {153, 135, 0xFFF0A020},  // okbtn's image
        {378, 2, 0xFFC03030},    // closebtn's own background
        {354, 30, 0xFF30A030},   // maxbtn's background from the "Button" default list
    };
    for (const Probe& p : probes) {
        EXPECT_TRUE(testsupport::ColorNear(canvas.Pixel(p.x, p.y), p.color, 2))
            << p.x << "," << p.y << " is " << testsupport::ColorText(canvas.Pixel(p.x, p.y));
    }
    canvas.DumpIfFailed("wndimpl_fixture_failed");

    // "windowinit" after the first layout; a click on okbtn reaches the
    // derived map's named entry, and nothing reaches the base's OnClick.
    PostClick(hwnd, Center(wnd.Find(L"okbtn")));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return wnd.notes.size() >= 2; }, 3000));
    const std::vector<std::wstring> expected = {L"windowinit:root", L"click:okbtn"};
    EXPECT_EQ(wnd.notes, expected);
    EXPECT_TRUE(::IsWindow(hwnd));

    // A check box in the caption band is no click target (the band drags
    // the window) but the manager still delivers its clicks.
    PostClick(hwnd, Center(wnd.Find(L"pin")));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return wnd.notes.size() >= 3; }, 3000));
    EXPECT_EQ(wnd.notes.back(), L"selectchanged:pin");
}

// --- keys ----------------------------------------------------------------------------

TEST_F(WndImplTest, EscapeClosesAModalWindowWithOneAndReturnDoesNothing) {
    {
        CFixtureWnd wnd;
        ASSERT_TRUE(wnd.Open(WS_POPUP | WS_CLIPCHILDREN));
        ::PostMessageW(wnd.GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(wnd.ShowModal(), 1u);
        EXPECT_TRUE(wnd.destroyed);
    }
    {
        // Return first: had it closed the window, its WM_CLOSE would come
        // before the probe's Close(7).
        CFixtureWnd wnd;
        ASSERT_TRUE(wnd.Open(WS_POPUP | WS_CLIPCHILDREN));
        ::PostMessageW(wnd.GetHWND(), WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(wnd.GetHWND(), kMsgProbe, 0, 0);
        EXPECT_EQ(wnd.ShowModal(), 7u);
        EXPECT_EQ(wnd.probeCount, 1);
        EXPECT_TRUE(wnd.destroyed);
    }
    // The filter never consumes the key; the default key handler decides.
    CFixtureWnd wnd;
    ASSERT_TRUE(wnd.Open(WS_POPUP | WS_CLIPCHILDREN));
    bool handled = false;
    EXPECT_EQ(wnd.FilterMessage(WM_KEYDOWN, VK_RETURN, 0, handled), 0);
    EXPECT_FALSE(handled);
    EXPECT_EQ(wnd.FilterMessage(WM_KEYDOWN, 'A', 0, handled), 0);
    EXPECT_EQ(wnd.FilterMessage(WM_KEYUP, VK_ESCAPE, 0, handled), 0);
    EXPECT_EQ(wnd.closeCount, 0);
    EXPECT_EQ(wnd.FilterMessage(WM_KEYDOWN, VK_ESCAPE, 0, handled), 1);
    EXPECT_FALSE(handled);
    testsupport::PumpUntil([&] { return wnd.destroyed; }, 2000);
    EXPECT_TRUE(wnd.destroyed);
}

}  // namespace
