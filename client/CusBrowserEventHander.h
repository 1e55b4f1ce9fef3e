// The client's browser event handler: one per browser page of the main frame.
// It stops script pseudo-navigations, closes a page that asks to close itself,
// opens the service's own new-window requests in tabs of the client, keeps the
// back and forward buttons in step with the selected page and forwards page
// titles to the tab captions, all by private messages to the frame's window.
// It also purges the static host's cached Flash files from the URL cache.
#ifndef TEVELA_CUSBROWSEREVENTHANDER_H
#define TEVELA_CUSBROWSEREVENTHANDER_H

#include <windows.h>

#include "UIWebBrowser.h"
#include "WebBrowserEventHandler.h"

// Private messages of the handler to the frame's window (the frame's table
// holds the client's other private messages). No message carries a pointer
// the frame reads through: the texts stay in the handler, which keeps them
// for the one message it sends, and the frame only compares the page's
// browser pointer with its own live pages (any process may post these
// messages to the window).
#define WM_BROWSER_TITLE_CHANGED (WM_USER + 2)   // sent: the page's CWebBrowserUI*, 0 (title kept by the handler)
#define WM_OPEN_URL_IN_NEW_TAB (WM_USER + 3)     // sent: the page's CWebBrowserUI*, 0 (URL kept by the handler)
#define WM_BROWSER_BACK_STATE (WM_USER + 4)      // posted: 1 enabled, 0 disabled; 0
#define WM_BROWSER_FORWARD_STATE (WM_USER + 5)   // posted: 1 enabled, 0 disabled; 0
#define WM_CLOSE_BROWSER_PAGE (WM_USER + 6)      // sent: the page's CWebBrowserUI*, 0

// What the handler needs of the window that holds its page (the main frame):
// the target window of its messages, and the browser of the selected page.
class IBrowserFrame
{
public:
    virtual HWND GetFrameWindow() const = 0;
    virtual SkinUI::CWebBrowserUI* GetCurrentBrowser() = 0;

protected:
    ~IBrowserFrame() {}
};

class CCusBrowserEventHander final : public SkinUI::CWebBrowserEventHandler
{
public:
    // Neither is owned. Both states start off, as for a browser without history.
    CCusBrowserEventHander(SkinUI::CWebBrowserUI* pBrowser, IBrowserFrame* pMainFrame);

    SkinUI::CWebBrowserUI* GetBrowser() const;
    // The last forward and back states the browser reported.
    bool GetForwardState() const;
    bool GetBackState() const;

    virtual void BeforeNavigate2(IDispatch* pDisp, VARIANT*& url, VARIANT*& Flags, VARIANT*& TargetFrameName,
                                 VARIANT*& PostData, VARIANT*& Headers, VARIANT_BOOL*& Cancel);
    virtual void NewWindow3(IDispatch** pDisp, VARIANT_BOOL*& Cancel, DWORD dwFlags, BSTR bstrUrlContext,
                            BSTR bstrUrl);
    virtual void CommandStateChange(long Command, VARIANT_BOOL Enable);
    virtual void TitleChange(BSTR bstrTitle);

    // The text of the message being sent, taken once by the frame: false
    // when no message of the kind is pending (a repeated or foreign message).
    bool TakePendingUrl(SkinUI::CUIString& url);
    bool TakePendingTitle(SkinUI::CUIString& title);

    // Removes every cached entry of the static host whose URL names a ".swf"
    // file, so that the page fetches those files again.
    static void DeleteCachedSwfFiles();

private:
    SkinUI::CWebBrowserUI* m_pBrowser;
    IBrowserFrame* m_pMainFrame;
    bool m_bForward;
    bool m_bBack;
    SkinUI::CUIString m_PendingUrl;
    SkinUI::CUIString m_PendingTitle;
    bool m_bUrlPending;
    bool m_bTitlePending;
};

#endif // TEVELA_CUSBROWSEREVENTHANDER_H
