// The client's browser event handler against a frame window that records
// every message it is sent or posted: script pseudo-navigations, page
// closing, new-window routing, back and forward states, titles, and the purge
// of the static host's cached ".swf" files from the real WinINet URL cache.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CusBrowserEventHander.h"
#include "Endpoints.h"
#include "TestSupport.h"

using SkinUI::CWebBrowserUI;

namespace {

struct Message
{
    bool sent;
    UINT msg;
    WPARAM wParam;
    std::wstring text;   // the URL or title the handler keeps for the message, taken while it is handled
    LPARAM lParam;
};

// A frame: a window that records what reaches it, and a selected browser.
class RecorderFrame : public IBrowserFrame
{
public:
    std::vector<Message> messages;
    CWebBrowserUI* current = nullptr;
    CCusBrowserEventHander* handler = nullptr;   // whose kept texts the frame takes

    RecorderFrame()
    {
        WNDCLASSW wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = &RecorderFrame::Proc;
        wc.hInstance = ::GetModuleHandleW(NULL);
        wc.lpszClassName = L"BrowserHandlerTestFrame";
        ::RegisterClassW(&wc);
        m_hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, this);
    }
    ~RecorderFrame() { ::DestroyWindow(m_hWnd); }

    HWND GetFrameWindow() const override { return m_hWnd; }
    CWebBrowserUI* GetCurrentBrowser() override { return current; }

    // Delivers what was posted. The handler runs on the window's thread, so
    // a sent message is handled before its call returns: what arrives while
    // pumping was posted.
    void Pump()
    {
        m_bPumping = true;
        MSG msg;
        while (::PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        m_bPumping = false;
    }
    // "sent 0x406 w=browser" style lines, for compact expectations.
    std::vector<std::string> Lines(CWebBrowserUI* browser)
    {
        Pump();
        std::vector<std::string> out;
        for (const Message& m : messages) {
            char buf[64];
            std::snprintf(buf, sizeof(buf), "%s 0x%X ", m.sent ? "sent" : "posted", m.msg);
            std::string line = buf;
            if (m.msg == WM_BROWSER_TITLE_CHANGED || m.msg == WM_CLOSE_BROWSER_PAGE)
                line += reinterpret_cast<CWebBrowserUI*>(m.wParam) == browser ? "browser" : "other";
            else if (m.msg == WM_OPEN_URL_IN_NEW_TAB)
                line += testsupport::Narrow(m.text) +
                        (reinterpret_cast<CWebBrowserUI*>(m.wParam) == browser ? "" : " other!");
            else
                line += std::to_string(m.wParam);
            if (m.msg == WM_BROWSER_TITLE_CHANGED)
                line += " " + testsupport::Narrow(m.text);
            else if (m.lParam != 0)
                line += " lParam!";
            out.push_back(line);
        }
        messages.clear();
        return out;
    }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        RecorderFrame* self = reinterpret_cast<RecorderFrame*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self != NULL && uMsg >= WM_USER && uMsg < WM_USER + 0x100) {
            Message m = { !self->m_bPumping, uMsg, wParam, std::wstring(), lParam };
            SkinUI::CUIString text;
            if (uMsg == WM_OPEN_URL_IN_NEW_TAB && self->handler != NULL && self->handler->TakePendingUrl(text))
                m.text = text.GetData();
            else if (uMsg == WM_BROWSER_TITLE_CHANGED && self->handler != NULL &&
                     self->handler->TakePendingTitle(text))
                m.text = text.GetData();
            self->messages.push_back(m);
            return 0;
        }
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    HWND m_hWnd;
    bool m_bPumping = false;
};

class BrowserHandler : public ::testing::Test
{
protected:
    BrowserHandler() : handler(&browser, &frame) { frame.handler = &handler; }

    // BeforeNavigate2 with the URL as the browser passes it (a by-reference
    // variant holding the text); returns whether the navigation was cancelled.
    bool Navigate(const wchar_t* url)
    {
        VARIANT vText;
        ::VariantInit(&vText);
        vText.vt = VT_BSTR;
        vText.bstrVal = ::SysAllocString(url);
        VARIANT vRef;
        ::VariantInit(&vRef);
        vRef.vt = VT_BYREF | VT_VARIANT;
        vRef.pvarVal = &vText;
        VARIANT empty;
        ::VariantInit(&empty);
        VARIANT* pUrl = &vRef;
        VARIANT* pFlags = &empty;
        VARIANT* pTarget = &empty;
        VARIANT* pPost = &empty;
        VARIANT* pHeaders = &empty;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT_BOOL* pCancel = &cancel;
        handler.BeforeNavigate2(NULL, pUrl, pFlags, pTarget, pPost, pHeaders, pCancel);
        ::VariantClear(&vText);
        return cancel == VARIANT_TRUE;
    }
    bool NewWindow(const wchar_t* url)
    {
        BSTR bUrl = ::SysAllocString(url);
        BSTR bContext = ::SysAllocString(L"http://www.example.com/");
        IDispatch* newWindow = NULL;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT_BOOL* pCancel = &cancel;
        handler.NewWindow3(&newWindow, pCancel, 0, bContext, bUrl);
        ::SysFreeString(bUrl);
        ::SysFreeString(bContext);
        return cancel == VARIANT_TRUE;
    }

    CWebBrowserUI browser;
    RecorderFrame frame;
    CCusBrowserEventHander handler;
};

TEST_F(BrowserHandler, ScriptPseudoNavigationsAreStoppedAndJavascriptSlashSlashClosesThePage)
{
    struct Case
    {
        const wchar_t* url;
        bool cancelled;
        std::vector<std::string> messages;
    } cases[] = {
        { L"javascript:;", true, {} },
        { L"http://www.example.com/#javascript:;x", true, {} },
        { L"javascript://", true, { "sent 0x406 browser" } },
        { L"javascript://x", false, {} },
        { L"JAVASCRIPT://", false, {} },
        { L"http://www.example.com/", false, {} },
        { L"", false, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.url));
        EXPECT_EQ(c.cancelled, Navigate(c.url));
        EXPECT_EQ(c.messages, frame.Lines(&browser));
    }
}

TEST_F(BrowserHandler, TheServicesOwnNewWindowsOpenAsTabsAndOthersAreLeftAlone)
{
    const std::wstring own = std::wstring(L"http://a") + TEVELA_SERVICE_DOMAIN + L"/p?x=1";
    const std::wstring shortHost = std::wstring(L"http://") + TEVELA_SHORT_WEB_HOST + L"/room/5";
    const std::wstring mentions = std::wstring(L"http://other.example/?from=") + TEVELA_SHORT_WEB_HOST;
    struct Case
    {
        std::wstring url;
        bool cancelled;
    } cases[] = {
        { own, true },
        { shortHost, true },
        { mentions, true },   // a substring test on the whole URL
        { L"http://other.example/", false },
        { L"", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.url));
        EXPECT_EQ(c.cancelled, NewWindow(c.url.c_str()));
        std::vector<std::string> expected;
        if (c.cancelled)
            expected.push_back("sent 0x403 " + testsupport::Narrow(c.url));
        EXPECT_EQ(expected, frame.Lines(&browser));
    }
    // A null URL is an empty one.
    IDispatch* newWindow = NULL;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT_BOOL* pCancel = &cancel;
    handler.NewWindow3(&newWindow, pCancel, 0, NULL, NULL);
    EXPECT_EQ(VARIANT_FALSE, cancel);
}

// Back and forward states: only changes are posted, and only for the page
// that is selected; an unselected page records its state silently.
TEST_F(BrowserHandler, CommandStatesArePostedOnChangeForTheSelectedPageOnly)
{
    CWebBrowserUI other;
    const VARIANT_BOOL on = VARIANT_TRUE, off = VARIANT_FALSE;
    struct Step
    {
        long command;
        VARIANT_BOOL enable;
        CWebBrowserUI* selected;
        std::vector<std::string> messages;
        const char* states;   // forward, back
    } steps[] = {
        { CSC_NAVIGATEBACK, on, &browser, { "posted 0x404 1" }, "-b" },
        { CSC_NAVIGATEBACK, on, &browser, {}, "-b" },
        { CSC_NAVIGATEFORWARD, on, &browser, { "posted 0x405 1" }, "fb" },
        { CSC_NAVIGATEFORWARD, off, &other, {}, "-b" },
        { CSC_NAVIGATEFORWARD, off, &browser, {}, "-b" },
        { CSC_NAVIGATEBACK, 1, &browser, { "posted 0x404 0" }, "--" },   // only VARIANT_TRUE is on
        { CSC_NAVIGATEBACK, on, NULL, {}, "-b" },
        { 5, on, &browser, {}, "-b" },
    };
    EXPECT_FALSE(handler.GetForwardState());
    EXPECT_FALSE(handler.GetBackState());
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        frame.current = s.selected;
        handler.CommandStateChange(s.command, s.enable);
        // Posted, not sent: nothing has arrived before the queue is pumped.
        EXPECT_TRUE(frame.messages.empty());
        EXPECT_EQ(s.messages, frame.Lines(&browser));
        const std::string states = std::string(handler.GetForwardState() ? "f" : "-") + (handler.GetBackState() ? "b" : "-");
        EXPECT_EQ(s.states, states);
    }
    EXPECT_EQ(&browser, handler.GetBrowser());
}

TEST_F(BrowserHandler, TitlesAreSentWithTheirBrowser)
{
    BSTR title = ::SysAllocString(L"Room 5 \x76f4\x64ad");
    handler.TitleChange(title);
    ::SysFreeString(title);
    // Sent: it arrived before the call returned.
    ASSERT_EQ(1u, frame.messages.size());
    EXPECT_EQ(std::vector<std::string>{ "sent 0x402 browser Room 5 \xe7\x9b\xb4\xe6\x92\xad" }, frame.Lines(&browser));
    handler.TitleChange(NULL);
    EXPECT_EQ(std::vector<std::string>{ "sent 0x402 browser " }, frame.Lines(&browser));
}

TEST(BrowserHandlerMessages, PrivateMessageNumbers)
{
    EXPECT_EQ(0x402, WM_BROWSER_TITLE_CHANGED);
    EXPECT_EQ(0x403, WM_OPEN_URL_IN_NEW_TAB);
    EXPECT_EQ(0x404, WM_BROWSER_BACK_STATE);
    EXPECT_EQ(0x405, WM_BROWSER_FORWARD_STATE);
    EXPECT_EQ(0x406, WM_CLOSE_BROWSER_PAGE);
}

// --- the URL cache ------------------------------------------------------------

bool SeedCacheEntry(const std::wstring& url)
{
    wchar_t file[MAX_PATH] = { 0 };
    if (!::CreateUrlCacheEntryW(url.c_str(), 0, NULL, file, 0))
        return false;
    if (!testsupport::WriteFileBytes(file, "cached"))
        return false;
    FILETIME zero = { 0, 0 };
    return ::CommitUrlCacheEntryW(url.c_str(), file, zero, zero, NORMAL_CACHE_ENTRY, NULL, 0, NULL, NULL) != FALSE;
}

bool InCache(const std::wstring& url)
{
    DWORD size = 0;
    if (::GetUrlCacheEntryInfoW(url.c_str(), NULL, &size))
        return true;
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

TEST(BrowserHandlerCache, UpdateCommandsPurgeTheStaticHostsSwfEntriesOnly)
{
    const std::wstring staticHost = TEVELA_STATIC_HOST;
    struct Entry
    {
        std::wstring url;
        bool purged;
    } entries[] = {
        { L"http://" + staticHost + L"/live/player.swf", true },
        { L"http://" + staticHost + L"/live/player.swf?v=3", true },
        { L"http://" + staticHost + L"/live/logo.png", false },
        { L"http://" + staticHost + L"/live/PLAYER.SWF", false },
        { L"http://other.example/live/player.swf", false },
    };
    for (const Entry& e : entries)
        ASSERT_TRUE(SeedCacheEntry(e.url)) << testsupport::Narrow(e.url);

    CWebBrowserUI browser;
    RecorderFrame frame;
    CCusBrowserEventHander handler(&browser, &frame);
    handler.CommandStateChange(CSC_UPDATECOMMANDS, VARIANT_TRUE);
    for (const Entry& e : entries)
        EXPECT_EQ(!e.purged, InCache(e.url)) << testsupport::Narrow(e.url);
    EXPECT_TRUE(frame.Lines(&browser).empty());

    // Nothing left to purge: a second walk changes nothing.
    CCusBrowserEventHander::DeleteCachedSwfFiles();
    for (const Entry& e : entries) {
        EXPECT_EQ(!e.purged, InCache(e.url)) << testsupport::Narrow(e.url);
        ::DeleteUrlCacheEntryW(e.url.c_str());
    }
}

// Many entries with long URLs make the walk grow its buffer as it goes.
TEST(BrowserHandlerCache, AWalkOverEntriesOfGrowingSizeFindsEveryOne)
{
    const std::wstring base = std::wstring(L"http://") + TEVELA_STATIC_HOST + L"/grow/";
    std::vector<std::wstring> urls;
    for (int i = 0; i < 20; ++i)
        urls.push_back(base + std::wstring(static_cast<size_t>(i * 60), L'a') + std::to_wstring(i) + L".swf");
    for (const std::wstring& u : urls)
        ASSERT_TRUE(SeedCacheEntry(u));
    CCusBrowserEventHander::DeleteCachedSwfFiles();
    for (const std::wstring& u : urls)
        EXPECT_FALSE(InCache(u)) << testsupport::Narrow(u).substr(0, 40);
}

} // namespace
