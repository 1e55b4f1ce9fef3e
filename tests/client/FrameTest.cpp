// The client's windows in-process, over the real skin and the prefix's
// registry: the main frame's private messages, buttons and tabs, the tray icon
// and its menu, the settings and first-start dialogs, and the statistics
// reports (this program is built against the loopback endpoints and runs next
// to the local server at their port). Screenshots go to the test output.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "AskDlg.h"
#include "DlgTrayMenu.h"
#include "ClientMessages.h"
#include "MainFrame.h"
#include "NetTestEnv.h"
#include "RegSettings.h"
#include "SettingDlg.h"
#include "TestSupport.h"
#include "TrayIcon.h"
#include "UIButton.h"
#include "UIOption.h"
#include "resource.h"

using namespace SkinUI;

namespace {

const wchar_t kLoading[] = L"\u6b63\u5728\u52a0\u8f7d...";
const wchar_t kHomeTab[] = L"Yexo\u9996\u9875";

class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::OleInitialize(NULL);
        HRSRC res = ::FindResourceW(NULL, MAKEINTRESOURCEW(IDR_SKIN_ZIP), L"ZIP");
        HGLOBAL loaded = res != NULL ? ::LoadResource(NULL, res) : NULL;
        ASSERT_TRUE(loaded != NULL);
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::SetResourceZipMemory(::LockResource(loaded), ::SizeofResource(NULL, res));
    }
    void TearDown() override { ::OleUninitialize(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

// Every shell call of the tray icon.
struct TrayCall {
    DWORD message;
    NOTIFYICONDATAW data;
};
std::vector<TrayCall> g_trayCalls;
BOOL WINAPI RecordTray(DWORD message, PNOTIFYICONDATAW data)
{
    g_trayCalls.push_back(TrayCall{ message, *data });
    return TRUE;
}
int TrayCount(DWORD message)
{
    int n = 0;
    for (const TrayCall& c : g_trayCalls)
        n += c.message == message ? 1 : 0;
    return n;
}

// The frame with its paint manager in reach and its browser commands recorded.
class TestFrame : public CMainFrame {
public:
    struct Command {
        CWebBrowserUI* browser;
        int command;
        int level;
    };
    std::vector<Command> commands;
    bool useNoHomeLayout = false;

    CUIManager& pm() { return m_pm; }
    static constexpr int kGoBack = BROWSER_GO_BACK;
    static constexpr int kGoForward = BROWSER_GO_FORWARD;
    static constexpr int kRefresh = BROWSER_REFRESH;
    static constexpr int kRefresh2 = BROWSER_REFRESH2;

    UIResourceKind GetResourceType() const override { return useNoHomeLayout ? UIResourceXml : UIResourceFile; }
    CUIString GetSkinFile() override { return useNoHomeLayout ? CUIString(L"201") : CMainFrame::GetSkinFile(); }

protected:
    void RunBrowserCommand(CWebBrowserUI* browser, BrowserCommand command, int level) override
    {
        commands.push_back(Command{ browser, command, level });
    }
};

// Reads a button's image names (the class keeps them to itself).
struct ButtonImages : public CButtonUI {
    static CUIString Normal(CControlUI* c) { return static_cast<ButtonImages*>(c)->m_sNormalImage; }
    static CUIString Hot(CControlUI* c) { return static_cast<ButtonImages*>(c)->m_sHotImage; }
    static CUIString Pushed(CControlUI* c) { return static_cast<ButtonImages*>(c)->m_sPushedImage; }
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nettest::Available()) << "run through run_with_server.py";
        nettest::Reset();
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY);
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        SetChannel(L"t01");
        WriteProductDword(L"FirstStart", 0);
        g_trayCalls.clear();
        CTrayIcon::SetNotifyFunction(&RecordTray);
    }
    void TearDown() override
    {
        CloseFrame();
        for (HWND w : TopWindows(L"AskDlg"))
            ::DestroyWindow(w);
        for (HWND w : TopWindows(L"TrayMenuDlg"))
            ::DestroyWindow(w);
        testsupport::PumpFor(20);
        CTrayIcon::SetNotifyFunction(NULL);
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY);
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
    }

    static void SetChannel(const std::wstring& channel)
    {
        SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"Channel", REG_SZ, channel.c_str(),
                    static_cast<DWORD>(channel.size() * 2));
    }

    // Creates, centres and maximises the main window as wWinMain does.
    TestFrame* OpenFrame(bool noHome = false)
    {
        frame = new TestFrame;
        frame->useNoHomeLayout = noHome;
        hwnd = frame->Create(NULL, TEVELA_DISPLAY_NAME, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 1050, 680);
        EXPECT_TRUE(hwnd != NULL);
        frame->Center();
        ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
        testsupport::PumpFor(30);
        return frame;
    }
    void CloseFrame()
    {
        if (hwnd != NULL && ::IsWindow(hwnd))
            ::DestroyWindow(hwnd);
        hwnd = NULL;
        frame = NULL;
        testsupport::PumpFor(20);
        DrainQuit();
    }
    bool FrameGone() const { return hwnd == NULL || !::IsWindow(hwnd); }
    // Waits for the frame to close itself; true when it did.
    bool WaitFrameGone()
    {
        const bool gone = testsupport::PumpUntil([&] { return FrameGone(); }, 3000);
        DrainQuit();
        return gone;
    }
    // The closed frame ends the message loop of its program; here the loop
    // is the test's own, which goes on.
    static void DrainQuit()
    {
        MSG msg;
        while (::PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    static std::vector<HWND> TopWindows(const wchar_t* cls)
    {
        std::vector<HWND> found;
        for (HWND w = ::FindWindowExW(NULL, NULL, cls, NULL); w != NULL; w = ::FindWindowExW(NULL, w, cls, NULL))
            found.push_back(w);
        return found;
    }

    CControlUI* Find(const wchar_t* name) { return frame->pm().FindControlByName(name); }
    CTabLayoutUI* Switch() { return static_cast<CTabLayoutUI*>(Find(L"switch")); }
    CContainerUI* Strip() { return static_cast<CContainerUI*>(Find(L"PageTabLayout")); }
    CUIPtrArray* Group() { return frame->pm().GetOptionGroup(L"pagetabbtngrp"); }
    COptionUI* Tab(int i) { return static_cast<COptionUI*>(Group()->GetAt(i)); }
    CControlUI* CloseButtonOf(int header)
    {
        return static_cast<CContainerUI*>(Strip()->GetItemAt(header))->GetItemAt(1);
    }

    // Selects a tab as a click on it does.
    void SelectTab(int i)
    {
        Tab(i)->Activate();
        testsupport::PumpFor(10);
    }
    // A page's handler of the frame (the home page's by default).
    CCusBrowserEventHander* HandlerOf(int page = 0)
    {
        return reinterpret_cast<CCusBrowserEventHander*>(frame->GetBrowserAt(page)->GetUserPointer());
    }
    // A new-window request of the home page, as its browser raises it.
    void OpenTab(const wchar_t* url)
    {
        BSTR bstrUrl = ::SysAllocString(url);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT_BOOL* pCancel = &cancel;
        HandlerOf(0)->NewWindow3(NULL, pCancel, 0, NULL, bstrUrl);
        ::SysFreeString(bstrUrl);
        EXPECT_EQ(VARIANT_TRUE, cancel);
    }
    void ChangeTitle(int page, const wchar_t* title)
    {
        BSTR bstrTitle = ::SysAllocString(title);
        HandlerOf(page)->TitleChange(bstrTitle);
        ::SysFreeString(bstrTitle);
    }
    void Click(CControlUI* c)
    {
        frame->pm().SendNotify(c, UI_MSGTYPE_CLICK);
        testsupport::PumpFor(10);
    }

    // "v" for the shown page, "-" for hidden ones; headers without the spacer.
    std::string Pages()
    {
        std::string s;
        for (int i = 0; i < Switch()->GetCount(); ++i)
            s += Switch()->GetItemAt(i)->IsVisible() ? 'v' : '-';
        return s;
    }
    int Headers() { return Strip()->GetCount() - 1; }
    std::string Arrows()
    {
        std::string s;
        s += Find(L"gobackbtn")->IsEnabled() ? 'B' : 'b';
        s += Find(L"goforwardbtn")->IsEnabled() ? 'F' : 'f';
        return s;
    }

public:
    void Screenshot(HWND w, const wchar_t* name)
    {
        RECT rc;
        ::GetClientRect(w, &rc);
        testsupport::Canvas canvas(rc.right, rc.bottom);
        ASSERT_TRUE(canvas.CaptureWindow(w));
        EXPECT_TRUE(canvas.SavePng(testsupport::OutputDir() + name + L".png"));
    }

protected:
    TestFrame* frame = nullptr;
    HWND hwnd = NULL;
};

// ---------------------------------------------------------------------------
// Start and exit
// ---------------------------------------------------------------------------
TEST_F(FrameTest, StartAndExitAreReportedWithTheMacAndTheChannel)
{
    struct Case {
        const wchar_t* channel;
    } cases[] = { { L"t01" }, { L"" } };
    for (const Case& c : cases) {
        nettest::Reset();
        SetChannel(c.channel);
        OpenFrame();
        const std::string base = "/src=client&seq=" + testsupport::Narrow(WinUtil::GetMacAddress().c_str()) +
                                 "&channelid=" + testsupport::Narrow(c.channel);
        // The window does not wait for the report's answer.
        EXPECT_TRUE(testsupport::PumpUntil([&] { return nettest::CountRequests(base + "&id=client_start") > 0; },
                                           3000));
        EXPECT_EQ(1, nettest::CountRequests(base + "&id=client_start"));
        EXPECT_EQ(0, nettest::CountRequests(base + "&id=client_exit"));
        // The home page opens with the channel and the MAC (Wine's browser
        // requests it, though it renders nothing).
        const std::string home = "/home?qd=" + testsupport::Narrow(c.channel) + "&source=1&mac=" +
                                 testsupport::Narrow(WinUtil::GetMacAddress().c_str());
        testsupport::PumpUntil([&] { return nettest::CountRequests(home) > 0; }, 2000);
        EXPECT_EQ(1, nettest::CountRequests(home));
        CloseFrame();
        EXPECT_EQ(1, nettest::CountRequests(base + "&id=client_exit"));
        EXPECT_EQ(3u, nettest::Requests().size()) << testing::PrintToString(nettest::Requests());
    }
}

TEST_F(FrameTest, TheWindowAndItsIcon)
{
    OpenFrame();
    wchar_t cls[64] = { 0 };
    ::GetClassNameW(hwnd, cls, 63);
    EXPECT_STREQ(TEVELA_MAIN_CLASS, cls);
    EXPECT_TRUE(::IsZoomed(hwnd));
    EXPECT_FALSE(Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(Find(L"restorebtn")->IsVisible());
    EXPECT_TRUE(::GetClassLongPtrW(hwnd, GCLP_HICON) != 0);
    // The icon: added once with the Part's data.
    ASSERT_EQ(1, TrayCount(NIM_ADD));
    const NOTIFYICONDATAW& d = g_trayCalls[0].data;
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), d.cbSize);
    EXPECT_EQ(hwnd, d.hWnd);
    EXPECT_EQ(2u, d.uID);
    EXPECT_EQ(7u, d.uFlags);
    EXPECT_EQ(static_cast<UINT>(WM_TRAY_NOTIFY), d.uCallbackMessage);
    EXPECT_TRUE(d.hIcon != NULL);
    EXPECT_STREQ(TEVELA_DISPLAY_NAME, d.szTip);
    EXPECT_EQ("bf", Arrows()) << "both arrows start disabled";
    EXPECT_EQ(L"MainWnd/goback_disable_normal.png", std::wstring(ButtonImages::Normal(Find(L"gobackbtn"))));
    testsupport::PumpFor(100);
    Screenshot(hwnd, L"client_main_frame");
}

TEST_F(FrameTest, WithoutTheHomeBrowserNoStartReportButIconAndQuestion)
{
    SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"FirstStart");
    OpenFrame(true);
    EXPECT_TRUE(nettest::Requests().empty());
    EXPECT_EQ(1, TrayCount(NIM_ADD));
    EXPECT_EQ(1u, TopWindows(L"AskDlg").size());
    EXPECT_EQ(0, frame->GetHandlerCount());
}

// ---------------------------------------------------------------------------
// The private messages
// ---------------------------------------------------------------------------
TEST_F(FrameTest, CopyDataBringsTheWindowBackOnlyForStartResults0And2)
{
    OpenFrame();
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_COPYDATA, 0, 0));
    struct Case {
        ULONG_PTR data;
        bool shows;
    } cases[] = { { 0, true }, { 1, false }, { 2, true }, { 3, false }, { 4, false } };
    for (const Case& c : cases) {
        ::ShowWindow(hwnd, SW_HIDE);
        COPYDATASTRUCT cds = { c.data, 0, NULL };
        EXPECT_EQ(1, ::SendMessageW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
        EXPECT_EQ(c.shows, ::IsWindowVisible(hwnd) != FALSE) << c.data;
    }
}

TEST_F(FrameTest, ArrowStatesOnlyEnableOnWParam1)
{
    OpenFrame();
    struct Case {
        UINT message;
        WPARAM wParam;
        const char* arrows;
    } cases[] = {
        { WM_BROWSER_BACK_STATE, 1, "Bf" },    { WM_BROWSER_BACK_STATE, 2, "bf" },
        { WM_BROWSER_FORWARD_STATE, 1, "bF" }, { WM_BROWSER_FORWARD_STATE, 0, "bf" },
        { WM_BROWSER_BACK_STATE, 1, "Bf" },    { WM_BROWSER_BACK_STATE, 0, "bf" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, ::SendMessageW(hwnd, c.message, c.wParam, 0));
        EXPECT_EQ(c.arrows, Arrows()) << c.message << " " << c.wParam;
    }
    ::SendMessageW(hwnd, WM_BROWSER_BACK_STATE, 1, 0);
    CControlUI* back = Find(L"gobackbtn");
    EXPECT_EQ(L"MainWnd/goback_normal.png", std::wstring(ButtonImages::Normal(back)));
    EXPECT_EQ(L"MainWnd/goback_hot.png", std::wstring(ButtonImages::Hot(back)));
    EXPECT_EQ(L"MainWnd/goback_push.png", std::wstring(ButtonImages::Pushed(back)));
    ::SendMessageW(hwnd, WM_BROWSER_BACK_STATE, 0, 0);
    EXPECT_EQ(L"MainWnd/goback_disable_normal.png", std::wstring(ButtonImages::Normal(back)));
    EXPECT_EQ(L"MainWnd/goback_disable_hot.png", std::wstring(ButtonImages::Hot(back)));
    EXPECT_EQ(L"MainWnd/goback_disable_hot.png", std::wstring(ButtonImages::Pushed(back)));
}

TEST_F(FrameTest, TrayMenuCommands)
{
    OpenFrame();
    ::ShowWindow(hwnd, SW_HIDE);
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_TRAY_MENU_COMMAND, 3, 0));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_TRAY_MENU_COMMAND, 1, 0));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(1, ::SendMessageW(hwnd, WM_TRAY_NOTIFY, 2, WM_MOUSEMOVE));
    EXPECT_EQ(0, TrayCount(NIM_DELETE));
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_TRAY_MENU_COMMAND, 2, 0));
    // The icon goes before the window closes.
    EXPECT_EQ(1, TrayCount(NIM_DELETE));
    EXPECT_TRUE(WaitFrameGone());
    EXPECT_EQ(1, TrayCount(NIM_DELETE));
}

TEST_F(FrameTest, ASecondStartsSignalShowsAndRestoresTheWindow)
{
    OpenFrame();
    ::ShowWindow(hwnd, SW_MINIMIZE);
    ::ShowWindow(hwnd, SW_HIDE);
    ::PostMessageW(hwnd, WM_ACTIVATE_INSTANCE, 0, 0);
    testsupport::PumpFor(30);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_FALSE(::IsIconic(hwnd));
    ::ShowWindow(hwnd, SW_MINIMIZE);
    ::PostMessageW(hwnd, WM_ACTIVATE_INSTANCE, 0, 0);
    testsupport::PumpFor(30);
    EXPECT_FALSE(::IsIconic(hwnd));
    EXPECT_EQ(0, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the topmost flip ends not topmost";
}

// ---------------------------------------------------------------------------
// The close button and the tray
// ---------------------------------------------------------------------------
TEST_F(FrameTest, CloseButtonHidesOrExitsAsHideMainWndSays)
{
    OpenFrame();
    WriteProductDword(L"HideMainWnd", 1);
    Click(Find(L"CloseBtn"));
    EXPECT_FALSE(FrameGone());
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(::IsIconic(hwnd));
    EXPECT_EQ(0, TrayCount(NIM_DELETE));
    EXPECT_TRUE(frame->HasTrayIcon());
    ::PostMessageW(hwnd, WM_ACTIVATE_INSTANCE, 0, 0);
    testsupport::PumpFor(30);
    EXPECT_TRUE(::IsWindowVisible(hwnd));

    WriteProductDword(L"HideMainWnd", 0);
    Click(Find(L"CloseBtn"));
    EXPECT_EQ(1, TrayCount(NIM_DELETE));
    EXPECT_TRUE(WaitFrameGone());
}

TEST_F(FrameTest, TrayMenuOpensAtThePointerAndItsExitClosesTheClient)
{
    OpenFrame();
    ::SetCursorPos(700, 500);
    EXPECT_EQ(1, ::SendMessageW(hwnd, WM_TRAY_NOTIFY, 2, WM_RBUTTONUP));
    std::vector<HWND> menus = TopWindows(L"TrayMenuDlg");
    ASSERT_EQ(1u, menus.size());
    HWND menu = menus[0];
    RECT rc;
    ::GetWindowRect(menu, &rc);
    EXPECT_RECT((RECT{ 570, 447, 700, 500 }), rc);
    const LONG_PTR ex = ::GetWindowLongPtrW(menu, GWL_EXSTYLE);
    EXPECT_EQ(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ex & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
    EXPECT_EQ(0, ::GetWindowLongPtrW(menu, GWL_STYLE) & WS_CAPTION);
    testsupport::PumpFor(50);
    // Hover the exit entry for the picture, then click it.
    ::SendMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(60, 39));
    testsupport::PumpFor(30);
    Screenshot(menu, L"client_tray_menu");
    ::PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 39));
    ::PostMessageW(menu, WM_LBUTTONUP, 0, MAKELPARAM(60, 39));
    EXPECT_TRUE(WaitFrameGone());
    EXPECT_EQ(1, TrayCount(NIM_DELETE));
    EXPECT_TRUE(testsupport::PumpUntil([] { return TopWindows(L"TrayMenuDlg").empty(); }, 2000));
}

TEST_F(FrameTest, TrayMenuShowEntryAndFocusLoss)
{
    OpenFrame();
    ::ShowWindow(hwnd, SW_HIDE);
    ::SetCursorPos(400, 300);
    ::SendMessageW(hwnd, WM_TRAY_NOTIFY, 2, WM_RBUTTONUP);
    ASSERT_EQ(1u, TopWindows(L"TrayMenuDlg").size());
    HWND menu = TopWindows(L"TrayMenuDlg")[0];
    ::SendMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(60, 14));
    testsupport::PumpFor(30);
    ::PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 14));
    ::PostMessageW(menu, WM_LBUTTONUP, 0, MAKELPARAM(60, 14));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ::IsWindowVisible(hwnd) != FALSE; }, 2000));
    EXPECT_TRUE(testsupport::PumpUntil([] { return TopWindows(L"TrayMenuDlg").empty(); }, 2000));

    // Losing the focus closes the menu without a command.
    ::SendMessageW(hwnd, WM_TRAY_NOTIFY, 2, WM_RBUTTONUP);
    ASSERT_EQ(1u, TopWindows(L"TrayMenuDlg").size());
    ::SendMessageW(TopWindows(L"TrayMenuDlg")[0], WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(testsupport::PumpUntil([] { return TopWindows(L"TrayMenuDlg").empty(); }, 2000));
    EXPECT_FALSE(FrameGone());
    EXPECT_EQ(0, TrayCount(NIM_DELETE));

    // A disabled main window (a modal dialog is open) gets no menu.
    ::EnableWindow(hwnd, FALSE);
    ::SendMessageW(hwnd, WM_TRAY_NOTIFY, 2, WM_RBUTTONUP);
    EXPECT_TRUE(TopWindows(L"TrayMenuDlg").empty());
    ::EnableWindow(hwnd, TRUE);
}

// ---------------------------------------------------------------------------
// Tabs
// ---------------------------------------------------------------------------
TEST_F(FrameTest, TabsOpenSelectAndCloseIndexAligned)
{
    OpenFrame();
    EXPECT_EQ("v", Pages());
    EXPECT_EQ(1, frame->GetHandlerCount());
    struct Step {
        const char* what;
        std::string pages;
        int headers;
        int selected;
    };
    OpenTab(L"http://www.yexo.example/room/1");
    EXPECT_EQ("-v", Pages());
    OpenTab(L"http://www.yexo.example/room/2");
    OpenTab(L"http://www.yexo.example/room/3");
    EXPECT_EQ("---v", Pages());
    EXPECT_EQ(4, Headers());
    EXPECT_EQ(4, frame->GetHandlerCount());
    EXPECT_EQ(3, frame->GetSelectedTabIndex());
    EXPECT_EQ(std::wstring(kLoading), std::wstring(Tab(3)->GetText()));
    EXPECT_EQ(std::wstring(kHomeTab), std::wstring(Tab(0)->GetText()));
    EXPECT_EQ("bf", Arrows());
    // Each header: the option and its floating close button.
    CContainerUI* header = static_cast<CContainerUI*>(Strip()->GetItemAt(2));
    EXPECT_EQ(194, header->GetMaxWidth());
    EXPECT_STREQ(L"ButtonUI", CloseButtonOf(2)->GetClassName());
    EXPECT_EQ(L"pageclosebtn", std::wstring(CloseButtonOf(2)->GetUserData()));
    EXPECT_TRUE(CloseButtonOf(2)->IsFloat());
    testsupport::PumpFor(50);
    Screenshot(hwnd, L"client_main_frame_tabs");

    // Close the middle tab (2 of 0..3): the tab before it shows.
    CWebBrowserUI* third = frame->GetBrowserAt(3);
    SelectTab(2);   // select tab 2 first, as a user would
    EXPECT_EQ("--v-", Pages());
    Click(CloseButtonOf(2));
    EXPECT_EQ("-v-", Pages());
    EXPECT_EQ(3, Headers());
    EXPECT_EQ(3, frame->GetHandlerCount());
    EXPECT_EQ(1, frame->GetSelectedTabIndex());
    EXPECT_EQ(2, frame->FindPageIndex(third));
    testsupport::PumpFor(20);   // the header's delayed clean-up
    EXPECT_EQ(3, Group()->GetSize());

    // A new tab right after a close lands at the end, still aligned.
    Click(CloseButtonOf(2));
    OpenTab(L"http://www.yexo.example/room/4");
    EXPECT_EQ("--v", Pages());
    EXPECT_EQ(2, frame->GetSelectedTabIndex());
    EXPECT_EQ(3, Group()->GetSize());
    EXPECT_EQ(3, frame->GetHandlerCount());
}

TEST_F(FrameTest, EachTabKeepsItsOwnArrowStates)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    OpenTab(L"http://www.yexo.example/b");
    CCusBrowserEventHander* one =
        reinterpret_cast<CCusBrowserEventHander*>(frame->GetBrowserAt(1)->GetUserPointer());
    CCusBrowserEventHander* two =
        reinterpret_cast<CCusBrowserEventHander*>(frame->GetBrowserAt(2)->GetUserPointer());
    SelectTab(1);
    one->CommandStateChange(CSC_NAVIGATEBACK, VARIANT_TRUE);
    testsupport::PumpFor(20);
    EXPECT_EQ("Bf", Arrows());
    // Tab 2 is not selected: its state is recorded, the arrows stay.
    two->CommandStateChange(CSC_NAVIGATEFORWARD, VARIANT_TRUE);
    testsupport::PumpFor(20);
    EXPECT_EQ("Bf", Arrows());
    SelectTab(2);
    EXPECT_EQ("bF", Arrows());
    SelectTab(1);
    EXPECT_EQ("Bf", Arrows());
    SelectTab(0);
    EXPECT_EQ("bf", Arrows());
}

TEST_F(FrameTest, NavigationButtonsGoToTheSelectedPage)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    CWebBrowserUI* page = frame->GetBrowserAt(1);
    ::SendMessageW(hwnd, WM_BROWSER_BACK_STATE, 1, 0);
    ::SendMessageW(hwnd, WM_BROWSER_FORWARD_STATE, 1, 0);
    Click(Find(L"gobackbtn"));
    Click(Find(L"goforwardbtn"));
    Click(Find(L"refreshbtn"));
    ASSERT_EQ(3u, frame->commands.size());
    EXPECT_EQ(TestFrame::kGoBack, frame->commands[0].command);
    EXPECT_EQ(TestFrame::kGoForward, frame->commands[1].command);
    EXPECT_EQ(TestFrame::kRefresh, frame->commands[2].command);
    for (const TestFrame::Command& c : frame->commands)
        EXPECT_EQ(page, c.browser);
}

TEST_F(FrameTest, APageThatClosesItselfClosesItsTabAndRefreshesTheOneBefore)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    OpenTab(L"http://www.yexo.example/b");
    CWebBrowserUI* home = frame->GetBrowserAt(0);
    CWebBrowserUI* first = frame->GetBrowserAt(1);
    CWebBrowserUI* second = frame->GetBrowserAt(2);

    // The home page cannot close: its header's second child is the home icon.
    ::SendMessageW(hwnd, WM_CLOSE_BROWSER_PAGE, reinterpret_cast<WPARAM>(home), 0);
    testsupport::PumpFor(30);
    EXPECT_EQ("--v", Pages());
    EXPECT_TRUE(frame->commands.empty());

    // Not a page of this window: nothing happens.
    CWebBrowserUI stranger;
    ::SendMessageW(hwnd, WM_CLOSE_BROWSER_PAGE, reinterpret_cast<WPARAM>(&stranger), 0);
    ::SendMessageW(hwnd, WM_CLOSE_BROWSER_PAGE, 0x1234, 0);
    testsupport::PumpFor(30);
    EXPECT_EQ("--v", Pages());

    ::SendMessageW(hwnd, WM_CLOSE_BROWSER_PAGE, reinterpret_cast<WPARAM>(second), 0);
    ASSERT_EQ(1u, frame->commands.size());
    EXPECT_EQ(TestFrame::kRefresh2, frame->commands[0].command);
    EXPECT_EQ(3, frame->commands[0].level);
    EXPECT_EQ(first, frame->commands[0].browser);
    // The close itself arrives with the posted click.
    EXPECT_TRUE(testsupport::PumpUntil([&] { return Pages() == "-v"; }, 2000)) << Pages();
    EXPECT_EQ(2, frame->GetHandlerCount());
}

TEST_F(FrameTest, TitlesGoToTheirTabsButNeverToTheHomeTab)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    ChangeTitle(0, L"Home page title");
    EXPECT_EQ(std::wstring(kHomeTab), std::wstring(Tab(0)->GetText()));
    EXPECT_EQ(std::wstring(kLoading), std::wstring(Tab(1)->GetText()));
    ChangeTitle(1, L"\u76f4\u64ad\u95f4 1");
    EXPECT_EQ(L"\u76f4\u64ad\u95f4 1", std::wstring(Tab(1)->GetText()));
    // A message without its handler's title, or for an unknown browser, changes nothing.
    ::SendMessageW(hwnd, WM_BROWSER_TITLE_CHANGED, reinterpret_cast<WPARAM>(frame->GetBrowserAt(1)),
                   reinterpret_cast<LPARAM>(L"x"));
    ::SendMessageW(hwnd, WM_BROWSER_TITLE_CHANGED, 0, reinterpret_cast<LPARAM>(L"x"));
    ::SendMessageW(hwnd, WM_BROWSER_TITLE_CHANGED, 0x5678, reinterpret_cast<LPARAM>(L"x"));
    EXPECT_EQ(L"\u76f4\u64ad\u95f4 1", std::wstring(Tab(1)->GetText()));
}

DWORD WINAPI SendPageMessagesFromAThread(LPVOID p)
{
    const WPARAM* args = static_cast<const WPARAM*>(p);
    HWND h = reinterpret_cast<HWND>(args[0]);
    ::SendMessageW(h, WM_BROWSER_TITLE_CHANGED, args[1], 0x10);   // a bad title pointer
    ::SendMessageW(h, WM_OPEN_URL_IN_NEW_TAB, 0x20, 0);            // a bad URL pointer
    ::SendMessageW(h, WM_OPEN_URL_IN_NEW_TAB, (WPARAM)L"http://www.yexo.example/x", 0);
    return 0;
}

// Pointers in the page messages are this thread's own: another thread (or
// process) sending them reaches nothing, even with a live page's address.
TEST_F(FrameTest, PageMessagesFromAnotherThreadAreIgnored)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    const WPARAM page = reinterpret_cast<WPARAM>(frame->GetBrowserAt(1));
    const HWND target = hwnd;
    static WPARAM args[2];
    args[0] = reinterpret_cast<WPARAM>(target);
    args[1] = page;
    HANDLE worker = ::CreateThread(NULL, 0, &SendPageMessagesFromAThread, args, 0, NULL);
    ASSERT_TRUE(worker != NULL);
    testsupport::PumpUntil([&] { return ::WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }, 5000);
    ::CloseHandle(worker);
    EXPECT_EQ(std::wstring(kLoading), std::wstring(Tab(1)->GetText()));
    EXPECT_EQ(2, Headers());
}

// Any program of the desktop may post the page messages with pointers of its
// own choosing: the frame follows none of them (a URL or title pointer of
// another process is junk here), opens no tab and changes no title.
TEST_F(FrameTest, PageMessagesPostedByAnotherProcessReadNothing)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    ChangeTitle(1, L"kept");
    wchar_t args[512];
    const unsigned long long page = reinterpret_cast<UINT_PTR>(frame->GetBrowserAt(1));
    const unsigned long long home = reinterpret_cast<UINT_PTR>(frame->GetBrowserAt(0));
    swprintf(args, 512, L"\"%ls\" %llx %x 10 0 %x %llx 0 %x %llx 10 %x 20 30 %x %llx 40",
             (testsupport::ExeDir() + L"client_post_message.exe").c_str(),
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), WM_OPEN_URL_IN_NEW_TAB,
             WM_OPEN_URL_IN_NEW_TAB, home, WM_BROWSER_TITLE_CHANGED, page, WM_BROWSER_TITLE_CHANGED,
             WM_OPEN_URL_IN_NEW_TAB, page);
    STARTUPINFOW si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(::CreateProcessW(NULL, args, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    ::CloseHandle(pi.hThread);
    testsupport::PumpUntil([&] { return ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
    DWORD code = 99;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code) << "every message was posted";
    testsupport::PumpFor(100);
    EXPECT_EQ(2, Headers());
    EXPECT_EQ(L"kept", std::wstring(Tab(1)->GetText()));
    // The pages' own requests still work.
    OpenTab(L"http://www.yexo.example/b");
    EXPECT_EQ(3, Headers());
}

// The home page's browser object is made after the first picture of the
// window, not before it: the window's first paint does not wait for it.
TEST_F(FrameTest, TheHomePageComesRightAfterTheFirstPaint)
{
    frame = new TestFrame;
    ASSERT_TRUE(CMainFrame::OpenMainWindow(frame));
    hwnd = frame->GetHWND();
    EXPECT_FALSE(Find(L"homepageweb")->IsVisible()) << "not before the window is painted";
    EXPECT_TRUE(testsupport::PumpUntil([&] { return Find(L"homepageweb")->IsVisible(); }, 2000));
    EXPECT_TRUE(::IsZoomed(hwnd));
    EXPECT_EQ(std::wstring(TEVELA_MAIN_CLASS), std::wstring(frame->GetWindowClassName()));
}

// A statistics host that accepts and never answers neither holds the window
// back nor its close for more than a moment.
TEST_F(FrameTest, ASilentStatisticsHostHoldsNeitherTheWindowNorItsClose)
{
    nettest::SetScript("{\"rules\": [{\"prefix\": \"/src=\", \"delay\": 40, \"status\": 200}]}");
    DWORD start = ::GetTickCount();
    frame = new TestFrame;
    ASSERT_TRUE(CMainFrame::OpenMainWindow(frame));
    hwnd = frame->GetHWND();
    EXPECT_LT(::GetTickCount() - start, 2000u) << "the start report is not waited for";
    testsupport::PumpFor(300);
    start = ::GetTickCount();
    ::DestroyWindow(hwnd);
    const DWORD closing = ::GetTickCount() - start;
    hwnd = NULL;
    frame = NULL;
    DrainQuit();
    EXPECT_LT(closing, 2000u) << "the exit report waits at most its own deadline";
    EXPECT_GE(closing, 900u) << "the exit report was waited for";
    nettest::Reset();
}

// Windows that cannot be made: the main window ends the start (wWinMain ends
// with an error), the tray menu and the first-start question report false and
// leave nothing behind.
HHOOK g_refuseHook = NULL;
const wchar_t* g_refusedClass = NULL;
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        const LPCWSTR cls = create->lpcs->lpszClass;
        if (!IS_INTRESOURCE(cls) && g_refusedClass != NULL && wcscmp(cls, g_refusedClass) == 0)
            return 1;
    }
    return ::CallNextHookEx(g_refuseHook, code, wParam, lParam);
}

TEST_F(FrameTest, WindowsThatCannotBeMadeAreReportedAsFailures)
{
    g_refuseHook = ::SetWindowsHookExW(WH_CBT, &RefuseWindows, NULL, ::GetCurrentThreadId());
    ASSERT_TRUE(g_refuseHook != NULL);
    g_refusedClass = TEVELA_MAIN_CLASS;
    TestFrame* refused = new TestFrame;
    EXPECT_FALSE(CMainFrame::OpenMainWindow(refused));
    EXPECT_TRUE(::FindWindowW(TEVELA_MAIN_CLASS, NULL) == NULL);
    delete refused;   // its window never existed: it is still ours to free

    g_refusedClass = NULL;
    OpenFrame();
    g_refusedClass = L"TrayMenuDlg";
    EXPECT_FALSE(ShowTrayMenu(hwnd));
    EXPECT_TRUE(TopWindows(L"TrayMenuDlg").empty());
    g_refusedClass = L"AskDlg";
    EXPECT_FALSE(ShowAskDlg(hwnd));
    EXPECT_TRUE(TopWindows(L"AskDlg").empty());
    ::UnhookWindowsHookEx(g_refuseHook);
    g_refusedClass = NULL;
    // Once windows can be made again, both open.
    EXPECT_TRUE(ShowTrayMenu(hwnd));
    EXPECT_TRUE(ShowAskDlg(hwnd));
    EXPECT_EQ(1u, TopWindows(L"AskDlg").size());
}

TEST_F(FrameTest, OnlyTabOptionsSwitchPages)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    EXPECT_EQ("-v", Pages());
    COptionUI other;
    CCheckBoxUI check;
    check.SetGroup(L"pagetabbtngrp");
    frame->pm().SendNotify(&other, UI_MSGTYPE_SELECTCHANGED);
    frame->pm().SendNotify(&check, UI_MSGTYPE_SELECTCHANGED);
    frame->pm().SendNotify(Find(L"settingbtn"), UI_MSGTYPE_SELECTCHANGED);
    EXPECT_EQ("-v", Pages());
    // The selected tab again: nothing changes.
    Tab(1)->SetSelected(true);
    frame->pm().SendNotify(Tab(1), UI_MSGTYPE_SELECTCHANGED);
    EXPECT_EQ("-v", Pages());
    EXPECT_TRUE(frame->commands.empty());
}

TEST_F(FrameTest, OnlyACloseButtonInATabHeaderClosesATab)
{
    OpenFrame();
    OpenTab(L"http://www.yexo.example/a");
    // The user data alone is not enough: a label, or a button outside a header.
    CLabelUI* label = new CLabelUI;
    label->SetUserData(L"pageclosebtn");
    static_cast<CContainerUI*>(Strip()->GetItemAt(1))->Add(label);
    Click(label);
    CButtonUI* loose = static_cast<CButtonUI*>(Find(L"settingbtn"));
    loose->SetUserData(L"pageclosebtn");
    Click(loose);
    EXPECT_TRUE(::IsWindowEnabled(hwnd)) << "no settings dialog either";
    EXPECT_EQ("-v", Pages());
    EXPECT_EQ(2, Headers());
}

// ---------------------------------------------------------------------------
// Settings and the first-start question
// ---------------------------------------------------------------------------
class TestSettingDlg : public CSettingDlg {
public:
    CUIManager& pm() { return m_pm; }
    COptionUI* Option(const wchar_t* name) { return static_cast<COptionUI*>(m_pm.FindControlByName(name)); }
};

// The registry values the dialogs touch, as stored bytes.
std::string RegistrySnapshot()
{
    std::string snap;
    for (const auto& v : { std::make_pair(TEVELA_RUN_KEY, TEVELA_RUN_VALUE),
                           std::make_pair(TEVELA_PRODUCT_KEY, L"HideMainWnd") }) {
        BYTE data[1024];
        DWORD size = sizeof(data), type = 0;
        HKEY key = NULL;
        LONG rc = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, v.first, 0, KEY_READ, &key);
        if (rc == ERROR_SUCCESS) {
            rc = ::RegQueryValueExW(key, v.second, NULL, &type, data, &size);
            ::RegCloseKey(key);
        }
        snap += rc == ERROR_SUCCESS ? std::string(reinterpret_cast<char*>(data), size) : std::string("<none>");
        snap += "|";
    }
    return snap;
}

TEST_F(FrameTest, SettingsDialogShowsAndSavesTheSettings)
{
    const std::wstring self = ClientExePath();
    struct Case {
        const char* what;
        const wchar_t* run;        // Run value before, NULL = none
        DWORD hide;                // HideMainWnd before (2 = none)
        bool boot, hideSel, exitSel;
    } cases[] = {
        { "nothing stored", NULL, 2, false, true, false },
        { "our own path, exit on close", L"own", 0, true, false, true },
        { "another program's path", L"\"C:\\Other\\tevela.exe\"", 1, false, true, false },
    };
    for (const Case& c : cases) {
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"HideMainWnd");
        if (c.run != NULL) {
            std::wstring run = wcscmp(c.run, L"own") == 0 ? L"\"" + self + L"\"" : c.run;
            SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, run.c_str(),
                        static_cast<DWORD>(run.size() * 2));
        }
        if (c.hide != 2)
            WriteProductDword(L"HideMainWnd", c.hide);
        TestSettingDlg dlg;
        ASSERT_TRUE(dlg.Create(NULL, NULL, 0x80880000, 0) != NULL);
        EXPECT_EQ(c.boot, dlg.Option(L"boot_start")->IsSelected()) << c.what;
        EXPECT_EQ(c.hideSel, dlg.Option(L"hide_main_wnd")->IsSelected()) << c.what;
        EXPECT_EQ(c.exitSel, dlg.Option(L"exit_program")->IsSelected()) << c.what;
        ::DestroyWindow(dlg.GetHWND());
    }

    // Cancel, the title-bar close and Escape keep every byte.
    for (const wchar_t* way : { L"cancelbtn", L"closebtn", L"escape" }) {
        const std::string before = RegistrySnapshot();
        TestSettingDlg dlg;
        HWND w = dlg.Create(NULL, NULL, 0x80880000, 0);
        dlg.Option(L"boot_start")->SetSelected(true);
        dlg.Option(L"exit_program")->SetSelected(true);
        if (wcscmp(way, L"escape") == 0) {
            MSG msg = { w, WM_KEYDOWN, VK_ESCAPE, 0, 0, { 0, 0 } };
            CUIManager::TranslateMessage(&msg);
        } else {
            dlg.pm().SendNotify(dlg.pm().FindControlByName(way), UI_MSGTYPE_CLICK);
        }
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(w); }, 2000)) << testsupport::Narrow(way);
        EXPECT_EQ(before, RegistrySnapshot()) << testsupport::Narrow(way);
    }

    // OK writes both values, also when nothing changed.
    SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
    SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"HideMainWnd");
    {
        TestSettingDlg dlg;
        HWND w = dlg.Create(NULL, NULL, 0x80880000, 0);
        dlg.pm().SendNotify(dlg.pm().FindControlByName(L"okbtn"), UI_MSGTYPE_CLICK);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(w); }, 2000));
    }
    EXPECT_EQ(1u, ReadProductDword(L"HideMainWnd", 7));
    EXPECT_EQ(0, IsAutoRunSet(self.c_str()));
    {
        TestSettingDlg dlg;
        HWND w = dlg.Create(NULL, NULL, 0x80880000, 0);
        dlg.Option(L"boot_start")->SetSelected(true);
        dlg.Option(L"exit_program")->SetSelected(true);
        dlg.pm().SendNotify(dlg.pm().FindControlByName(L"okbtn"), UI_MSGTYPE_CLICK);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(w); }, 2000));
    }
    EXPECT_EQ(0u, ReadProductDword(L"HideMainWnd", 7));
    EXPECT_EQ(1, IsAutoRunSet(self.c_str()));
    wchar_t run[300] = { 0 };
    DWORD size = sizeof(run) - 2, type = 0;
    SHGetValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, &type, run, &size);
    EXPECT_EQ(L"\"" + self + L"\"", std::wstring(run));
}

struct SettingsProbe {
    HWND frame;
    bool sawDialog = false, frameDisabled = false, menuShown = false;
    RECT rc = { 0, 0, 0, 0 };
    int ticks = 0;
    FrameTest* test;
};
SettingsProbe* probe = nullptr;

// Runs inside the settings dialog's modal loop.
VOID CALLBACK SettingsProbeTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    SettingsProbe& pr = *probe;
    HWND dlg = ::FindWindowW(L"SettingDlg", NULL);
    if (dlg == NULL) {
        if (++pr.ticks > 50)
            ::KillTimer(NULL, id);
        return;
    }
    ::KillTimer(NULL, id);
    pr.sawDialog = true;
    pr.frameDisabled = !::IsWindowEnabled(pr.frame);
    ::GetWindowRect(dlg, &pr.rc);
    ::SendMessageW(pr.frame, WM_TRAY_NOTIFY, 2, WM_RBUTTONUP);
    pr.menuShown = ::FindWindowW(L"TrayMenuDlg", NULL) != NULL;
    pr.test->Screenshot(dlg, L"client_settings_dialog");
    ::PostMessageW(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
}

// The settings button opens the dialog modally: the main window is disabled,
// the tray gives no menu, and Escape ends it.
TEST_F(FrameTest, SettingsButtonOpensTheDialogModally)
{
    OpenFrame();
    SettingsProbe p;
    p.frame = hwnd;
    p.test = this;
    probe = &p;
    UINT_PTR timer = ::SetTimer(NULL, 0, 100, &SettingsProbeTimer);
    ASSERT_NE(0u, timer);
    Click(Find(L"settingbtn"));   // returns when the dialog has closed
    EXPECT_TRUE(p.sawDialog);
    EXPECT_TRUE(p.frameDisabled);
    EXPECT_FALSE(p.menuShown);
    EXPECT_EQ(400, p.rc.right - p.rc.left);
    EXPECT_EQ(275, p.rc.bottom - p.rc.top);
    EXPECT_TRUE(::IsWindowEnabled(hwnd));
    EXPECT_TRUE(::FindWindowW(L"SettingDlg", NULL) == NULL);
    probe = nullptr;
}

class TestAskDlg : public CAskDlg {
public:
    CUIManager& pm() { return m_pm; }
};

TEST_F(FrameTest, TheFirstStartAsksOnceAtTheWorkAreaCorner)
{
    SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"FirstStart");
    OpenFrame();
    EXPECT_EQ(0u, ReadProductDword(L"FirstStart", 7)) << "stored before the question shows";
    std::vector<HWND> asks = TopWindows(L"AskDlg");
    ASSERT_EQ(1u, asks.size());
    HWND ask = asks[0];
    RECT rc, work;
    ::GetWindowRect(ask, &rc);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int s = ::GetSystemMetrics(SM_CYSCREEN), cx = ::GetSystemMetrics(SM_CXSCREEN);
    EXPECT_RECT((RECT{ cx - 250 - 4, s - (s - work.bottom + work.top) - 145 - 4, cx - 4,
                       s - (s - work.bottom + work.top) - 4 }),
                rc);
    EXPECT_TRUE(::GetWindowLongPtrW(ask, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::IsWindowVisible(ask));
    EXPECT_NE(ask, ::GetActiveWindow()) << "the question does not take the focus";
    EXPECT_EQ(hwnd, ::GetWindow(ask, GW_OWNER));
    testsupport::PumpFor(50);
    Screenshot(ask, L"client_first_start_dialog");
    CloseFrame();   // the owner takes its question with it
    EXPECT_TRUE(testsupport::PumpUntil([] { return TopWindows(L"AskDlg").empty(); }, 2000));

    OpenFrame();
    EXPECT_TRUE(TopWindows(L"AskDlg").empty()) << "asked once only";
}

TEST_F(FrameTest, TheQuestionSavesOnlyStartWithWindows)
{
    const std::wstring self = ClientExePath();
    struct Case {
        bool select;
        int autorun;
    } cases[] = { { true, 1 }, { false, 0 }, { false, 0 } };   // the last: nothing to delete
    for (const Case& c : cases) {
        WriteProductDword(L"HideMainWnd", 1);
        TestAskDlg* dlg = new TestAskDlg;
        HWND w = dlg->Create(NULL, NULL, 0x80880000, 0);
        COptionUI* boot = static_cast<COptionUI*>(dlg->pm().FindControlByName(L"boot_start"));
        EXPECT_TRUE(boot->IsSelected()) << "proposed";
        boot->SetSelected(c.select);
        dlg->pm().SendNotify(dlg->pm().FindControlByName(L"okbtn"), UI_MSGTYPE_CLICK);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(w); }, 2000));
        EXPECT_EQ(c.autorun, IsAutoRunSet(self.c_str()));
        EXPECT_EQ(1u, ReadProductDword(L"HideMainWnd", 7));
    }
}

} // namespace
