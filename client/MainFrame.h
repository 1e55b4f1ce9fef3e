// CMainFrame: the client's main window (tevela.exe, "MainWnd\MainFrame.xml"):
// title bar, back/forward/refresh, the tab strip of browser pages, the
// notification-area icon, the statistics reports at start and exit, the
// first-start question, the start decision (hand-over to the updater or the
// update check) and the answers to the client's private window messages.
#ifndef TEVELA_MAINFRAME_H
#define TEVELA_MAINFRAME_H

#include <windows.h>

#include "CusBrowserEventHander.h"
#include "StartMode.h"
#include "UIHorizontalLayout.h"
#include "UITabLayout.h"
#include "UIWebBrowser.h"
#include "UIWindowImpl.h"
#include "Utils.h"

class CTrayIcon;

class CMainFrame : public SkinUI::WindowImplBase, public IStartObserver, public IBrowserFrame
{
public:
    CMainFrame();
    virtual ~CMainFrame();

    virtual LPCTSTR GetWindowClassName() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void InitWindow();
    virtual void OnClick(SkinUI::UINotify& msg);
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();

    // The start decision, before the window exists: -1 ends the program
    // (another instance runs, or the updater took over a pending update);
    // otherwise the start type (0..4).
    int HandleStartup(const GString& strCmdLine);
    // IStartObserver: update flag 1 starts the updater's first launch (on the
    // worker thread); then a window titled "tevela.exe" is told the start result.
    virtual int OnStartMode(int nStartType, int nUpdate);

    // IBrowserFrame (the pages' event handlers)
    virtual HWND GetFrameWindow() const;
    virtual SkinUI::CWebBrowserUI* GetCurrentBrowser();

    // Creates, centres and shows the main window maximised, as the program
    // starts it. False when the window could not be created; the frame may
    // then be gone already and must not be used.
    static bool OpenMainWindow(CMainFrame* pFrame);

    // Restores, raises and activates the main window.
    void BringToFront();
    int OnTrayNotify(LPARAM lMouseMsg);
    void RemoveTrayIcon();

    // Tabs: header i in "PageTabLayout", page i in "switch".
    void OnSelectChanged(SkinUI::UINotify& msg);
    void OpenUrlInNewTab(const SkinUI::CUIString& url);
    SkinUI::CHorizontalLayoutUI* AddTabHeader();
    SkinUI::CHorizontalLayoutUI* AddBrowserPage(const SkinUI::CUIString& url);
    void CloseTab(SkinUI::CControlUI* pCloseButton);
    void ClosePage(SkinUI::CWebBrowserUI* pBrowser);
    void SetPageTitle(SkinUI::CWebBrowserUI* pBrowser, const SkinUI::CUIString& title);
    void SetBackEnabled(bool bEnabled);
    void SetForwardEnabled(bool bEnabled);
    int FindPageIndex(SkinUI::CWebBrowserUI* pBrowser);
    SkinUI::CWebBrowserUI* GetBrowserAt(int nIndex);
    int GetSelectedTabIndex();
    int GetTabIndexOfOption(SkinUI::CControlUI* pControl);
    int GetTabIndexOfCloseButton(SkinUI::CControlUI* pControl);
    void RemoveBrowserHandler(SkinUI::CWebBrowserUI* pBrowser);

    int GetStartResult() const { return m_StartResult; }
    int GetHandlerCount() const { return m_Handlers.GetSize(); }
    CStartMode* GetStartMode() const { return m_pStartMode; }
    bool HasTrayIcon() const { return m_pTrayIcon != NULL; }
    const GString& GetStatBaseUrl() const { return m_StatBaseUrl; }

    UI_DECLARE_MESSAGE_MAP()

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

    // What the frame asks of a page's browser; every request goes through here.
    enum BrowserCommand
    {
        BROWSER_GO_BACK,
        BROWSER_GO_FORWARD,
        BROWSER_REFRESH,
        BROWSER_REFRESH2     // nLevel: REFRESH_COMPLETELY and the like
    };
    virtual void RunBrowserCommand(SkinUI::CWebBrowserUI* pBrowser, BrowserCommand command, int nLevel);

private:
    // "<folder>\update.exe <exe name> 0", started hidden; true when it started.
    bool StartUpdater();
    SkinUI::CTabLayoutUI* FindSwitch();
    SkinUI::CContainerUI* FindTabStrip();
    SkinUI::CUIPtrArray* GetTabGroup();
    // Sends the report; waits at most waitMs for its answer (0: not at all).
    void SendStatistics(const wchar_t* pszEvent, DWORD waitMs);
    void SetArrowButton(const wchar_t* pszButton, const wchar_t* pszImageBase, bool bEnabled);
    // The handler of the live page whose browser pointer equals wParam.
    CCusBrowserEventHander* FindLiveHandler(WPARAM wParam) const;
    void RaiseAboveOthers();

    SkinUI::CUIString m_TabGroupName;
    SkinUI::CUIPtrArray m_Handlers;   // CCusBrowserEventHander*, one per page, owned
    CTrayIcon* m_pTrayIcon;
    CStartMode* m_pStartMode;
    int m_StartResult;
    GString m_ModulePath;
    GString m_ModuleName;
    GString m_LocalVersion;
    GString m_StatBaseUrl;
    bool m_bHomeDeferred;   // the home browser waits for the first paint
    // The MAC address, looked up on a thread of its own while the window is
    // being made (the adapter query is slow); InitWindow takes it.
    HANDLE m_hMacLookup;
    GString m_MacAddress;
    static unsigned __stdcall MacLookupThread(void* pFrame);
    GString TakeMacAddress();
};

#endif // TEVELA_MAINFRAME_H
