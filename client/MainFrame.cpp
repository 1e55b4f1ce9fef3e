// The client's main window: start decision, private messages, title-bar and
// navigation clicks, the notification-area icon, statistics, and the browser
// tabs (a header in "PageTabLayout" and a page in "switch" at the same index).
#include "MainFrame.h"

#include <new>

#include <process.h>

#include "AskDlg.h"
#include "ClientLog.h"
#include "ClientMessages.h"
#include "DlgTrayMenu.h"
#include "Endpoints.h"
#include "RegSettings.h"
#include "SettingDlg.h"
#include "StatUrl.h"
#include "TrayIcon.h"
#include "UIButton.h"
#include "UIOption.h"
#include "WinHttpRequest.h"
#include "resource.h"

using namespace SkinUI;

namespace {

const wchar_t kAppName[] = L"tevela.exe";
const wchar_t kPageCloseData[] = L"pageclosebtn";
// IWebBrowser2::Refresh2 level: reload without the cache.
const int kRefreshCompletely = 3;
// Closing never waits on a server for long: the exit report waits at most
// this long, and the exit as a whole (the report and the end of the update
// check, whose downloads are aborted first) at most kExitBudgetMs.
const DWORD kExitReportMs = 1000;
const DWORD kExitBudgetMs = 1500;

} // namespace

UI_BEGIN_MESSAGE_MAP(CMainFrame, WindowImplBase)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
    UI_ON_MSGTYPE(UI_MSGTYPE_SELECTCHANGED, OnSelectChanged)
UI_END_MESSAGE_MAP()

CMainFrame::CMainFrame()
    : m_TabGroupName(L"pagetabbtngrp"), m_pTrayIcon(NULL), m_pStartMode(NULL), m_StartResult(0),
      m_bHomeDeferred(false), m_hMacLookup(NULL)
{
    m_hMacLookup = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, &CMainFrame::MacLookupThread, this, 0, NULL));
    if (m_hMacLookup == NULL)
        m_MacAddress = WinUtil::GetMacAddress();
    m_ModulePath = WinUtil::GetModulePath();
    m_ModuleName = WinUtil::GetModuleName();
    m_pStartMode = new CStartMode(this);
    CIniParse(m_ModulePath + L"\\Local.ini").GetString(L"UPDATE", L"VERSION", m_LocalVersion);
}

CMainFrame::~CMainFrame()
{
    TakeMacAddress();
    // The worker ends before anything it may reach is freed.
    delete m_pStartMode;
    m_pStartMode = NULL;
    for (int i = 0; i < m_Handlers.GetSize(); ++i)
        delete static_cast<CCusBrowserEventHander*>(m_Handlers[i]);
    m_Handlers.Empty();
    if (m_pTrayIcon != NULL) {
        // The window closed some other way: the icon stays until the shell drops it.
        delete m_pTrayIcon;
        m_pTrayIcon = NULL;
    }
}

unsigned __stdcall CMainFrame::MacLookupThread(void* pFrame)
{
    static_cast<CMainFrame*>(pFrame)->m_MacAddress = WinUtil::GetMacAddress();
    return 0;
}

GString CMainFrame::TakeMacAddress()
{
    if (m_hMacLookup != NULL) {
        ::WaitForSingleObject(m_hMacLookup, INFINITE);
        ::CloseHandle(m_hMacLookup);
        m_hMacLookup = NULL;
    }
    return m_MacAddress;
}

LPCTSTR CMainFrame::GetWindowClassName() const
{
    return TEVELA_MAIN_CLASS;
}

CUIString CMainFrame::GetSkinFolder()
{
    return L"skin";
}

CUIString CMainFrame::GetSkinFile()
{
    return L"MainWnd\\MainFrame.xml";
}

HWND CMainFrame::GetFrameWindow() const
{
    return GetHWND();
}

// ---------------------------------------------------------------------------
// Start decision and the updater
// ---------------------------------------------------------------------------
bool CMainFrame::StartUpdater()
{
    // The path in quotes and as the application name: under a folder with
    // blanks ("C:\Program Files\...") nothing else can be started in its
    // place, and the updater sees exactly "<exe name> 0" after its own path.
    const GString updater = m_ModulePath + L"\\update.exe";
    GString cmdLine;
    cmdLine.Format(L"\"%s\" %s", updater.c_str(), (m_ModuleName + L" 0").c_str());
    std::wstring buffer = cmdLine.str();
    buffer.push_back(L'\0');
    STARTUPINFOW si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi;
    memset(&pi, 0, sizeof(pi));
    if (!::CreateProcessW(updater.c_str(), &buffer[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        LOG_INFO << "CMainFrame::StartUpdater " << cmdLine << " failed, error " << ::GetLastError();
        return false;
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

int CMainFrame::HandleStartup(const GString& strCmdLine)
{
    m_StartResult = m_pStartMode->Parse(strCmdLine, kAppName);
    if (m_StartResult < 0 || m_StartResult == START_UPDATE_OK || m_StartResult == START_UPDATE_FAIL)
        return m_StartResult;
    if (WinUtil::IsPathFileExists(m_ModulePath + L"\\updatefiles.dat")) {
        // A pending update: the updater's second launch ends this client and
        // swaps the files. Should it not start, the record stays for a later
        // start and this one opens the window without an update check.
        if (StartUpdater()) {
            m_StartResult = START_OTHER_INSTANCE;
            return m_StartResult;
        }
        return m_StartResult;
    }
    GString serverUrl;
    CIniParse(m_ModulePath + L"\\server.ini").GetString(L"CLIENT", L"SERVER", serverUrl);
    m_pStartMode->StartUpdateCheck(serverUrl, m_ModulePath + L"\\Local.ini", m_LocalVersion);
    return m_StartResult;
}

int CMainFrame::OnStartMode(int /*nStartType*/, int nUpdate)
{
    LOG_INFO << "CMainWnd::OnStartMode nUpdate=" << nUpdate;
    if (nUpdate == 1) {
        LOG_INFO << "CMainWnd::OnStartMode strUpdateExe=" << (m_ModulePath + L"\\update.exe")
                 << " strExeName=" << (m_ModuleName + L" 0");
        StartUpdater();
    }
    HWND hWnd = ::FindWindowExW(NULL, NULL, NULL, kAppName);
    if (!::IsWindow(hWnd))
        return 0;
    if (m_StartResult != START_NORMAL && m_StartResult != START_WEB)
        return m_StartResult;
    COPYDATASTRUCT data;
    data.dwData = static_cast<ULONG_PTR>(m_StartResult);
    data.cbData = 0;
    data.lpData = NULL;
    return static_cast<int>(::SendMessageW(hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
}

// ---------------------------------------------------------------------------
// Window set-up and teardown
// ---------------------------------------------------------------------------
void CMainFrame::SendStatistics(const wchar_t* pszEvent, DWORD waitMs)
{
    CWinHttpRequest request;
    request.SetUrl(MakeStatUrl(m_StatBaseUrl.str(), pszEvent));
    request.SetDeadline(CWinHttpRequest::kDefaultDeadlineMs, waitMs);
    std::string answer;
    request.Get(answer);
}

bool CMainFrame::OpenMainWindow(CMainFrame* pFrame)
{
    // Made hidden and shown once, maximised: a window shown at its first size
    // would be drawn and sized twice before its first real picture.
    if (pFrame->Create(NULL, TEVELA_DISPLAY_NAME, WS_OVERLAPPEDWINDOW, 0, 0, 0, 1050, 680) == NULL)
        return false;
    pFrame->Center();
    ::ShowWindow(pFrame->GetHWND(), SW_SHOWMAXIMIZED);
    return true;
}

void CMainFrame::InitWindow()
{
    CTabLayoutUI* pSwitch = FindSwitch();
    if (pSwitch != NULL)
        pSwitch->SetDelayedDestroy(false);
    SetForwardEnabled(false);
    SetBackEnabled(false);

    CWebBrowserUI* pHome = static_cast<CWebBrowserUI*>(m_pm.FindControlByName(L"homepageweb"));
    if (pHome != NULL && pHome->GetInterface(L"WebBrowser") != NULL) {
        const std::wstring channel = ReadChannel();
        const GString mac = TakeMacAddress();
        m_StatBaseUrl = MakeStatBaseUrl(TEVELA_STAT_HOST, mac.c_str(), channel.c_str());
        CUIString homePage;
        homePage.Format(L"http://%s?qd=%s&source=1&mac=%s", TEVELA_WEB_HOST, channel.c_str(), mac.c_str());
        pHome->SetHomePage(homePage);
        CCusBrowserEventHander* pHandler = new CCusBrowserEventHander(pHome, this);
        pHome->SetEventHandler(pHandler);
        pHome->SetUserPointer(reinterpret_cast<UINT_PTR>(pHandler));
        m_Handlers.Add(pHandler);
        // The browser object comes with the home browser's first layout;
        // that waits until the window has been painted once.
        pHome->SetVisible(false);
        m_bHomeDeferred = true;
        // Sent now; the window does not wait for the answer.
        SendStatistics(TEVELA_STAT_CLIENT_START, 0);
    }

    HICON hIcon = ::LoadIconW(CUIManager::GetResourceInstance(), MAKEINTRESOURCEW(IDI_TEVELA));
    m_pTrayIcon = new CTrayIcon(m_hWnd, hIcon);
    HICON hClassIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDI_TEVELA),
                                                       IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (hClassIcon != NULL)
        ::SetClassLongPtrW(m_hWnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(hClassIcon));

    // Written before the question shows: a crash during it does not ask again.
    if (ReadProductDword(L"FirstStart", 1) != 0) {
        WriteProductDword(L"FirstStart", 0);
        ShowAskDlg(m_hWnd);
    }
}

void CMainFrame::OnWindowDestroyed(HWND hWnd)
{
    const DWORD dwStart = ::GetTickCount();
    // The update check's downloads end now, whatever their servers do.
    if (m_pStartMode != NULL)
        m_pStartMode->CancelUpdateCheck();
    SendStatistics(TEVELA_STAT_CLIENT_EXIT, kExitReportMs);
    // The pages and their browsers go before their handlers do (destructor).
    CTabLayoutUI* pSwitch = FindSwitch();
    if (pSwitch != NULL)
        pSwitch->RemoveAll();
    WindowImplBase::OnWindowDestroyed(hWnd);
    const DWORD dwSpent = ::GetTickCount() - dwStart;
    const DWORD dwLeft = dwSpent < kExitBudgetMs ? kExitBudgetMs - dwSpent : 0;
    // A worker that has not ended by then may still reach this frame: it
    // stays, and the process's end takes both.
    if (m_pStartMode == NULL || m_pStartMode->WaitUpdateCheck(dwLeft))
        delete this;
    ::PostQuitMessage(0);
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------
CCusBrowserEventHander* CMainFrame::FindLiveHandler(WPARAM wParam) const
{
    // Only compared, never followed: the value may come from any process.
    for (int i = 0; wParam != 0 && i < m_Handlers.GetSize(); ++i) {
        CCusBrowserEventHander* pHandler = static_cast<CCusBrowserEventHander*>(m_Handlers[i]);
        if (reinterpret_cast<WPARAM>(pHandler->GetBrowser()) == wParam)
            return pHandler;
    }
    return NULL;
}

LRESULT CMainFrame::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT* pData = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (pData == NULL)
            return 0;
        if (pData->dwData == START_NORMAL || pData->dwData == START_WEB)
            BringToFront();
        return 1;
    }
    case WM_TRAY_NOTIFY:
        return OnTrayNotify(lParam);
    case WM_BROWSER_TITLE_CHANGED: {
        // The title is the one its page's handler keeps for this message.
        CCusBrowserEventHander* pHandler = FindLiveHandler(wParam);
        CUIString title;
        if (pHandler != NULL && pHandler->TakePendingTitle(title))
            SetPageTitle(pHandler->GetBrowser(), title);
        return 0;
    }
    case WM_OPEN_URL_IN_NEW_TAB: {
        CCusBrowserEventHander* pHandler = FindLiveHandler(wParam);
        CUIString url;
        if (pHandler != NULL && pHandler->TakePendingUrl(url))
            OpenUrlInNewTab(url);
        return 0;
    }
    case WM_BROWSER_BACK_STATE:
        SetBackEnabled(wParam == 1);
        return 0;
    case WM_BROWSER_FORWARD_STATE:
        SetForwardEnabled(wParam == 1);
        return 0;
    case WM_CLOSE_BROWSER_PAGE:
        if (FindLiveHandler(wParam) != NULL)
            ClosePage(FindLiveHandler(wParam)->GetBrowser());
        return 0;
    case WM_PAINT: {
        const LRESULT lRes = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
        if (m_bHomeDeferred) {
            m_bHomeDeferred = false;
            // The home browser is not part of the first picture; it comes now,
            // posted before anything else can see the picture (and post a
            // command of its own, such as the tray menu's exit).
            ::PostMessageW(m_hWnd, WM_SHOW_HOME_PAGE, 0, 0);
            // A moment's wait on the queue: Wine puts a window's painted
            // pixels on the screen only when its thread waits, and the home
            // browser's creation keeps this one busy for a while.
            ::MsgWaitForMultipleObjectsEx(0, NULL, 0, QS_ALLINPUT, 0);
        }
        return lRes;
    }
    case WM_SHOW_HOME_PAGE: {
        CControlUI* pHome = m_pm.FindControlByName(L"homepageweb");
        if (pHome != NULL && !pHome->IsVisible())
            pHome->SetVisible(true);
        return 0;
    }
    case WM_ACTIVATE_INSTANCE:
        if (!::IsWindowVisible(m_hWnd)) {
            Show(true, true);
            ::SetForegroundWindow(m_hWnd);
        } else if (::IsIconic(m_hWnd)) {
            ::ShowWindow(m_hWnd, SW_RESTORE);
            ::SetForegroundWindow(m_hWnd);
        } else if (::GetForegroundWindow() != m_hWnd) {
            ::SetForegroundWindow(m_hWnd);
        }
        RaiseAboveOthers();
        return 0;
    case WM_TRAY_MENU_COMMAND:
        if (wParam == 1) {
            BringToFront();
        } else if (wParam == 2) {
            RemoveTrayIcon();
            Close(1);
        }
        return 0;
    default:
        break;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CMainFrame::BringToFront()
{
    if (!::IsWindowVisible(m_hWnd) || ::IsIconic(m_hWnd)) {
        ::ShowWindow(m_hWnd, SW_RESTORE);
        ::SetForegroundWindow(m_hWnd);
    } else if (::GetForegroundWindow() != m_hWnd) {
        ::SetForegroundWindow(m_hWnd);
    }
    RaiseAboveOthers();
}

void CMainFrame::RaiseAboveOthers()
{
    // Topmost and back: above every other window, without staying topmost.
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int CMainFrame::OnTrayNotify(LPARAM lMouseMsg)
{
    if (lMouseMsg == WM_LBUTTONDBLCLK)
        BringToFront();
    else if (lMouseMsg == WM_RBUTTONUP && ::IsWindowEnabled(m_hWnd))
        ShowTrayMenu(m_hWnd);
    return 1;
}

void CMainFrame::RemoveTrayIcon()
{
    if (m_pTrayIcon == NULL)
        return;
    m_pTrayIcon->Remove();
    delete m_pTrayIcon;
    m_pTrayIcon = NULL;
}

void CMainFrame::RunBrowserCommand(CWebBrowserUI* pBrowser, BrowserCommand command, int nLevel)
{
    switch (command) {
    case BROWSER_GO_BACK: pBrowser->GoBack(); break;
    case BROWSER_GO_FORWARD: pBrowser->GoForward(); break;
    case BROWSER_REFRESH: pBrowser->Refresh(); break;
    case BROWSER_REFRESH2: pBrowser->Refresh2(nLevel); break;
    }
}

void CMainFrame::OnClick(UINotify& msg)
{
    if (msg.pSender == NULL)
        return;
    const CUIString name = msg.pSender->GetName();
    if (msg.pSender->GetUserData() == kPageCloseData) {
        if (wcscmp(msg.pSender->GetClassName(), L"ButtonUI") == 0)
            CloseTab(msg.pSender);
        return;
    }
    if (name == L"gobackbtn") {
        CTabLayoutUI* pSwitch = FindSwitch();
        if (GetSelectedTabIndex() >= 0 && pSwitch != NULL && pSwitch->GetCurSel() >= 0) {
            CWebBrowserUI* pBrowser = GetBrowserAt(pSwitch->GetCurSel());
            if (pBrowser != NULL)
                RunBrowserCommand(pBrowser, BROWSER_GO_BACK, 0);
        }
    } else if (name == L"goforwardbtn") {
        CWebBrowserUI* pBrowser = GetCurrentBrowser();
        if (pBrowser != NULL)
            RunBrowserCommand(pBrowser, BROWSER_GO_FORWARD, 0);
    } else if (name == L"refreshbtn") {
        CCusBrowserEventHander::DeleteCachedSwfFiles();
        CWebBrowserUI* pBrowser = GetCurrentBrowser();
        if (pBrowser != NULL)
            RunBrowserCommand(pBrowser, BROWSER_REFRESH, 0);
    } else if (name == L"settingbtn") {
        CSettingDlg dlg;
        dlg.Create(m_hWnd, NULL, 0x80880000, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        dlg.Center();
        dlg.ShowModal();
    } else if (name == L"CloseBtn") {
        if (ReadHideMainWnd() != 0) {
            ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            Show(false);
        } else {
            RemoveTrayIcon();
            Close(1);
        }
    } else {
        WindowImplBase::OnClick(msg);
    }
}

// ---------------------------------------------------------------------------
// Tabs
// ---------------------------------------------------------------------------
CTabLayoutUI* CMainFrame::FindSwitch()
{
    CControlUI* pControl = m_pm.FindControlByName(L"switch");
    return pControl != NULL ? static_cast<CTabLayoutUI*>(pControl->GetInterface(L"TabLayout")) : NULL;
}

CContainerUI* CMainFrame::FindTabStrip()
{
    CControlUI* pControl = m_pm.FindControlByName(L"PageTabLayout");
    return pControl != NULL ? static_cast<CContainerUI*>(pControl->GetInterface(L"Container")) : NULL;
}

CUIPtrArray* CMainFrame::GetTabGroup()
{
    return m_pm.GetOptionGroup(m_TabGroupName);
}

void CMainFrame::OpenUrlInNewTab(const CUIString& url)
{
    CHorizontalLayoutUI* pHeader = AddTabHeader();
    if (pHeader == NULL)
        return;
    CHorizontalLayoutUI* pPage = AddBrowserPage(url);
    if (pPage == NULL) {
        delete pHeader;
        return;
    }
    CContainerUI* pStrip = FindTabStrip();
    if (pStrip != NULL) {
        if (pStrip->GetCount() < 1) {
            delete pHeader;
            RemoveBrowserHandler(static_cast<CWebBrowserUI*>(pPage->GetItemAt(0)));
            delete pPage;
            return;
        }
        pStrip->AddAt(pHeader, pStrip->GetCount() - 1);
    } else {
        delete pHeader;
    }
    CTabLayoutUI* pSwitch = FindSwitch();
    if (pSwitch != NULL) {
        pSwitch->Add(pPage);
    } else {
        RemoveBrowserHandler(static_cast<CWebBrowserUI*>(pPage->GetItemAt(0)));
        delete pPage;
    }
    CUIPtrArray* pGroup = GetTabGroup();
    if (pGroup != NULL && pGroup->GetSize() > 0)
        static_cast<COptionUI*>(pGroup->GetAt(pGroup->GetSize() - 1))->SetSelected(true);
}

CHorizontalLayoutUI* CMainFrame::AddTabHeader()
{
    CHorizontalLayoutUI* pHeader = new (std::nothrow) CHorizontalLayoutUI;
    COptionUI* pOption = new (std::nothrow) COptionUI;
    CButtonUI* pClose = new (std::nothrow) CButtonUI;
    if (pHeader == NULL || pOption == NULL || pClose == NULL) {
        delete pHeader;
        delete pOption;
        delete pClose;
        return NULL;
    }
    pHeader->SetAttribute(L"maxwidth", L"194");
    pOption->SetAttribute(L"showhtml", L"true");
    pOption->SetAttribute(L"group", m_TabGroupName);
    pOption->SetAttribute(L"align", L"left");
    pOption->SetAttribute(L"maxwidth", L"194");
    pOption->SetAttribute(L"textpadding", L"15,7,20,2");
    pOption->SetAttribute(L"font", L"0");
    pOption->SetAttribute(L"normalimage", L"file='MainWnd/tab_normal.png' source='0,0,194,28'");
    pOption->SetAttribute(L"selectedimage", L"file='MainWnd/tab_hot.png' source='0,0,194,28'");
    pOption->SetAttribute(L"hotimage", L"file='MainWnd/tab_hot.png' source='0,0,194,28'");
    pOption->SetAttribute(L"hottextcolor", L"#FFCC1010");
    pOption->SetAttribute(L"endellipsis", L"true");
    pOption->SetAttribute(L"height", L"28");
    pClose->SetAttribute(L"userdata", kPageCloseData);
    pClose->SetAttribute(L"float", L"true");
    pClose->SetAttribute(L"pos", L"-25,7,-10,24");
    pClose->SetAttribute(L"normalimage", L"file='MainWnd/tab_close_normal.png'");
    pClose->SetAttribute(L"hotimage", L"file='MainWnd/tab_close_hot.png'");
    pClose->SetAttribute(L"pushedimage", L"file='MainWnd/tab_close_hot.png'");
    pOption->SetText(L"\u6b63\u5728\u52a0\u8f7d...");   // "Loading..."
    pHeader->Add(pOption);
    pHeader->Add(pClose);
    return pHeader;
}

CHorizontalLayoutUI* CMainFrame::AddBrowserPage(const CUIString& url)
{
    CCusBrowserEventHander::DeleteCachedSwfFiles();
    CHorizontalLayoutUI* pPage = new (std::nothrow) CHorizontalLayoutUI;
    CWebBrowserUI* pBrowser = new (std::nothrow) CWebBrowserUI;
    CCusBrowserEventHander* pHandler =
        pBrowser != NULL ? new (std::nothrow) CCusBrowserEventHander(pBrowser, this) : NULL;
    if (pPage == NULL || pBrowser == NULL || pHandler == NULL) {
        delete pHandler;
        delete pBrowser;
        delete pPage;
        return NULL;
    }
    pBrowser->SetHomePage(url);
    pBrowser->SetAutoNavigate(true);
    pBrowser->SetEventHandler(pHandler);
    pBrowser->SetUserPointer(reinterpret_cast<UINT_PTR>(pHandler));
    m_Handlers.Add(pHandler);
    pPage->Add(pBrowser);
    return pPage;
}

void CMainFrame::OnSelectChanged(UINotify& msg)
{
    CControlUI* pSender = msg.pSender;
    if (pSender == NULL || wcscmp(pSender->GetClassName(), L"OptionUI") != 0)
        return;
    const wchar_t* pszGroup = static_cast<COptionUI*>(pSender)->GetGroup();
    if (pszGroup == NULL || m_TabGroupName != pszGroup)
        return;
    const int nIndex = GetTabIndexOfOption(pSender);
    CTabLayoutUI* pSwitch = FindSwitch();
    if (nIndex < 0 || pSwitch == NULL || nIndex == pSwitch->GetCurSel())
        return;
    pSwitch->SelectItem(nIndex);
    CWebBrowserUI* pBrowser = GetBrowserAt(nIndex);
    CCusBrowserEventHander* pHandler =
        pBrowser != NULL ? reinterpret_cast<CCusBrowserEventHander*>(pBrowser->GetUserPointer()) : NULL;
    if (pHandler != NULL) {
        SetForwardEnabled(pHandler->GetForwardState());
        SetBackEnabled(pHandler->GetBackState());
    }
}

void CMainFrame::CloseTab(CControlUI* pCloseButton)
{
    const int a = GetTabIndexOfCloseButton(pCloseButton);
    if (a < 0)
        return;
    CContainerUI* pStrip = FindTabStrip();
    if (pStrip != NULL) {
        // The header is deleted later; its option leaves the tab group now, so
        // that group indices and page indices stay the same until then.
        CUIPtrArray* pGroup = GetTabGroup();
        COptionUI* pOption = pGroup != NULL ? static_cast<COptionUI*>(pGroup->GetAt(a)) : NULL;
        pStrip->RemoveAt(a);
        if (pOption != NULL)
            pOption->SetGroup(L"");
    }
    if (a < 1)
        return;
    int target = -1;
    CUIPtrArray* pGroup = GetTabGroup();
    if (pGroup != NULL) {
        COptionUI* pPrevious = static_cast<COptionUI*>(pGroup->GetAt(a - 1));
        if (pPrevious == NULL)
            return;
        pPrevious->SetSelected(true);
        target = a - 1;
    }
    CTabLayoutUI* pSwitch = FindSwitch();
    if (pSwitch != NULL) {
        CWebBrowserUI* pBrowser = GetBrowserAt(a);
        pSwitch->RemoveAt(a);
        RemoveBrowserHandler(pBrowser);
        pSwitch->SelectItem(target);
    }
}

void CMainFrame::ClosePage(CWebBrowserUI* pBrowser)
{
    const int b = FindPageIndex(pBrowser);
    if (b < 0)
        return;
    CContainerUI* pStrip = FindTabStrip();
    CControlUI* pHeader = pStrip != NULL ? pStrip->GetItemAt(b) : NULL;
    IContainerUI* pHeaderItems =
        pHeader != NULL ? static_cast<IContainerUI*>(pHeader->GetInterface(L"IContainer")) : NULL;
    CControlUI* pCloseButton = pHeaderItems != NULL ? pHeaderItems->GetItemAt(1) : NULL;
    if (pCloseButton == NULL)
        return;
    m_pm.SendNotify(pCloseButton, UI_MSGTYPE_CLICK, 0, 0, true);
    // The manager delivers it with the window's next message: make that one
    // come now, not at the next move of the mouse.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    if (b >= 1) {
        CWebBrowserUI* pPrevious = GetBrowserAt(b - 1);
        if (pPrevious != NULL)
            RunBrowserCommand(pPrevious, BROWSER_REFRESH2, kRefreshCompletely);
    }
}

void CMainFrame::SetPageTitle(CWebBrowserUI* pBrowser, const CUIString& title)
{
    const int b = FindPageIndex(pBrowser);
    if (b <= 0)
        return;
    CUIPtrArray* pGroup = GetTabGroup();
    COptionUI* pOption = pGroup != NULL ? static_cast<COptionUI*>(pGroup->GetAt(b)) : NULL;
    if (pOption != NULL)
        pOption->SetText(title);
}

void CMainFrame::SetArrowButton(const wchar_t* pszButton, const wchar_t* pszImageBase, bool bEnabled)
{
    CButtonUI* pButton = static_cast<CButtonUI*>(m_pm.FindControlByName(pszButton));
    if (pButton == NULL)
        return;
    CUIString normal, hot, pushed;
    if (bEnabled) {
        normal.Format(L"MainWnd/%s_normal.png", pszImageBase);
        hot.Format(L"MainWnd/%s_hot.png", pszImageBase);
        pushed.Format(L"MainWnd/%s_push.png", pszImageBase);
    } else {
        normal.Format(L"MainWnd/%s_disable_normal.png", pszImageBase);
        hot.Format(L"MainWnd/%s_disable_hot.png", pszImageBase);
        pushed = hot;
    }
    pButton->SetEnabled(bEnabled);
    pButton->SetNormalImage(normal);
    pButton->SetHotImage(hot);
    pButton->SetPushedImage(pushed);
}

void CMainFrame::SetBackEnabled(bool bEnabled)
{
    SetArrowButton(L"gobackbtn", L"goback", bEnabled);
}

void CMainFrame::SetForwardEnabled(bool bEnabled)
{
    SetArrowButton(L"goforwardbtn", L"goforward", bEnabled);
}

int CMainFrame::FindPageIndex(CWebBrowserUI* pBrowser)
{
    CTabLayoutUI* pSwitch = FindSwitch();
    if (pSwitch == NULL)
        return -1;
    for (int i = 0; i < pSwitch->GetCount(); ++i) {
        IContainerUI* pPage = static_cast<IContainerUI*>(pSwitch->GetItemAt(i)->GetInterface(L"IContainer"));
        if (pPage != NULL && pPage->GetItemAt(0) == pBrowser)
            return i;
    }
    return -1;
}

CWebBrowserUI* CMainFrame::GetBrowserAt(int nIndex)
{
    CTabLayoutUI* pSwitch = FindSwitch();
    CControlUI* pPage = pSwitch != NULL ? pSwitch->GetItemAt(nIndex) : NULL;
    IContainerUI* pItems = pPage != NULL ? static_cast<IContainerUI*>(pPage->GetInterface(L"IContainer")) : NULL;
    CControlUI* pChild = pItems != NULL ? pItems->GetItemAt(0) : NULL;
    return pChild != NULL ? static_cast<CWebBrowserUI*>(pChild->GetInterface(L"WebBrowser")) : NULL;
}

CWebBrowserUI* CMainFrame::GetCurrentBrowser()
{
    CTabLayoutUI* pSwitch = FindSwitch();
    if (GetSelectedTabIndex() < 0 || pSwitch == NULL || pSwitch->GetCurSel() < 0)
        return NULL;
    return GetBrowserAt(pSwitch->GetCurSel());
}

int CMainFrame::GetSelectedTabIndex()
{
    CUIPtrArray* pGroup = GetTabGroup();
    for (int i = 0; pGroup != NULL && i < pGroup->GetSize(); ++i) {
        if (static_cast<COptionUI*>(pGroup->GetAt(i))->IsSelected())
            return i;
    }
    return -1;
}

int CMainFrame::GetTabIndexOfOption(CControlUI* pControl)
{
    CUIPtrArray* pGroup = GetTabGroup();
    return pGroup != NULL ? pGroup->Find(pControl) : -1;
}

int CMainFrame::GetTabIndexOfCloseButton(CControlUI* pControl)
{
    CControlUI* pParent = pControl != NULL ? pControl->GetParent() : NULL;
    if (pParent == NULL || wcscmp(pParent->GetClassName(), L"HorizontalLayoutUI") != 0)
        return -1;
    IContainerUI* pItems = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
    CControlUI* pFirst = pItems != NULL ? pItems->GetItemAt(0) : NULL;
    if (pFirst == NULL || wcscmp(pFirst->GetClassName(), L"OptionUI") != 0)
        return -1;
    return GetTabIndexOfOption(pFirst);
}

void CMainFrame::RemoveBrowserHandler(CWebBrowserUI* pBrowser)
{
    for (int i = 0; i < m_Handlers.GetSize(); ++i) {
        CCusBrowserEventHander* pHandler = static_cast<CCusBrowserEventHander*>(m_Handlers[i]);
        if (pHandler->GetBrowser() == pBrowser) {
            m_Handlers.Remove(i);
            delete pHandler;
            return;
        }
    }
}
