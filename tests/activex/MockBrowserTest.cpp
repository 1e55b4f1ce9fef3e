// The web-browser control over the browser of mockocx.dll (the WebBrowser
// class id served by "modulename"): what Wine's browser never does — the
// document host installed at NavigateComplete2, the script-error command on
// a real document, the calls the navigation operations make, connecting and
// disconnecting the events, and the accelerator reaching the browser.
#include "ActiveXTestUtil.h"
#include "MockOcxClient.h"

#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace axtest;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

// {F38BC242-B950-11D1-8918-00C04FC2C836}
const GUID kCgidDocHostCommandHandler = { 0xF38BC242, 0xB950, 0x11D1, { 0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36 } };

// Notes, at the handler's NavigateComplete2, whether the document already
// had its UI handler.
class CompletionHandler : public RecordingHandler
{
public:
    explicit CompletionHandler(MockOcx& mock) : m_mock(mock) {}
    void NavigateComplete2(IDispatch* d, VARIANT*& url) override
    {
        RecordingHandler::NavigateComplete2(d, url);
        uiHandlerSetBefore = m_mock.Count("SetUIHandler handler") > 0;
    }
    bool uiHandlerSetBefore = false;

private:
    MockOcx& m_mock;
};

class MockBrowser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mock.Loaded());
        ASSERT_TRUE(host.Open(400, 300));
    }
    void TearDown() override
    {
        host.pm.AttachRoot(new CControlUI);
        host.Update();
        // No document kept a UI handler past its browser's Close.
        EXPECT_EQ(0, mock.state->staleHandlerCalls);
    }
    CWebBrowserUI* Build(unsigned flags, const wchar_t* extra = L"")
    {
        mock.Reset(flags);
        std::wstring xml = std::wstring(L"<Window><VerticalLayout name=\"box\"><WebBrowser name=\"wb\" "
                                        L"modulename=\"mockocx.dll\" ")
                           + extra + L"/></VerticalLayout></Window>";
        host.Build(xml.c_str());
        return host.Find<CWebBrowserUI>(L"wb");
    }
    // Fires an event at the sink the browser was given.
    HRESULT Fire(DISPID id, VARIANTARG* reversedArgs, UINT count)
    {
        if (mock.state->sink == NULL)
            return E_UNEXPECTED;
        DISPPARAMS params = { reversedArgs, NULL, count, 0 };
        return mock.state->sink->Invoke(id, IID_NULL, 0x800, DISPATCH_METHOD, &params, NULL, NULL, NULL);
    }
    HRESULT FireNavigateComplete(const wchar_t* url)
    {
        VARIANT vUrl;
        ::VariantInit(&vUrl);
        vUrl.vt = VT_BSTR;
        vUrl.bstrVal = ::SysAllocString(url);
        VARIANTARG args[2];
        ::VariantInit(&args[0]);
        args[0].vt = VT_BYREF | VT_VARIANT;
        args[0].pvarVal = &vUrl;
        ::VariantInit(&args[1]);
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = NULL;
        HRESULT hr = Fire(252, args, 2);
        ::VariantClear(&vUrl);
        return hr;
    }

    MockOcx mock;
    HostWindow host;
};

TEST_F(MockBrowser, TheHomePageIsRequestedAtTheFirstLayoutBeforeTheEventsAreConnected)
{
    Build(0, L"homepage=\"http://www.example.com/home\" autonavi=\"true\"");
    EXPECT_EQ(0, mock.state->navigations);
    host.Update();
    EXPECT_EQ(1, mock.state->navigations);
    EXPECT_EQ(std::vector<std::string>{ "Navigate2 http://www.example.com/home" }, mock.Lines("Navigate2"));
    EXPECT_LT(mock.IndexOf("Navigate2"), mock.IndexOf("Advise"));
    EXPECT_NE(nullptr, mock.state->sink);
}

TEST_F(MockBrowser, NavigationOperationsReachTheBrowser)
{
    CWebBrowserUI* wb = Build(0);
    host.Update();
    mock.ClearLog();
    wb->Navigate2(L"http://www.example.com/a");
    wb->Navigate2(NULL);
    wb->Refresh();
    wb->Refresh2(3);
    wb->GoBack();
    wb->GoForward();
    const std::vector<std::string> calls = { "Navigate2 http://www.example.com/a", "Refresh", "Refresh2 3", "GoBack",
                                             "GoForward" };
    EXPECT_EQ(calls, mock.Lines());
}

// Every completed navigation makes the control the document's UI handler,
// before the application hears of the completion.
TEST_F(MockBrowser, NavigateCompleteInstallsTheDocumentHostFirst)
{
    CWebBrowserUI* wb = Build(0);
    CompletionHandler h(mock);
    wb->SetEventHandler(&h);
    host.Update();
    ASSERT_EQ(S_OK, FireNavigateComplete(L"http://www.example.com/b"));
    EXPECT_EQ(std::vector<std::string>{ "NavigateComplete2:http://www.example.com/b" }, h.events);
    EXPECT_TRUE(h.uiHandlerSetBefore);
    ASSERT_NE(nullptr, mock.state->uiHandler);
    IUnknown* identity = NULL;
    mock.state->uiHandler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDocHostUIHandler*>(wb)), identity);
    if (identity != NULL)
        identity->Release();
    // The document's host questions now reach the handler.
    EXPECT_EQ(S_OK, static_cast<IDocHostUIHandler*>(mock.state->uiHandler)->ShowContextMenu(0, NULL, NULL, NULL));

    // Again at the next completion.
    ASSERT_EQ(S_OK, FireNavigateComplete(L"http://www.example.com/c"));
    EXPECT_EQ(2, mock.Count("SetUIHandler handler"));
}

// A document can outlive the control (a page or, here, the test holds it):
// the control takes its UI handler back before it closes the browser, so the
// document's later questions find no handler instead of a freed control.
TEST_F(MockBrowser, TheDocumentGivesTheHandlerBackBeforeTheBrowserCloses)
{
    for (bool recreate : { false, true }) {
        SCOPED_TRACE(recreate ? "new class id" : "control removed");
        CWebBrowserUI* wb = Build(0);
        RecordingHandler h;
        wb->SetEventHandler(&h);
        host.Update();
        ASSERT_EQ(S_OK, FireNavigateComplete(L"http://www.example.com/b"));
        IDispatch* doc = NULL;
        ASSERT_NE(nullptr, wb->GetWebBrowser2());
        wb->GetWebBrowser2()->get_Document(&doc);
        ASSERT_NE(nullptr, doc);
        EXPECT_EQ(S_OK, mock.DocumentCallsHandler(doc));
        mock.ClearLog();
        if (recreate) {
            ASSERT_TRUE(wb->SetClassIdText(L"{8856F961-340A-11D0-A96B-00C04FD705A2}"));
            wb->SetPos(wb->GetPos());
        } else {
            host.Find<CContainerUI>(L"box")->Remove(wb);
            host.Update();
            EXPECT_EQ(0, mock.state->liveObjects);
        }
        ASSERT_GE(mock.IndexOf("SetUIHandler null"), 0);
        EXPECT_LT(mock.IndexOf("SetUIHandler null"), mock.IndexOf("Close 1"));
        EXPECT_EQ(nullptr, mock.state->uiHandler);
        EXPECT_EQ(S_FALSE, mock.DocumentCallsHandler(doc));
        doc->Release();
        EXPECT_EQ(0, mock.state->staleHandlerCalls);
    }
}

// Each navigation makes a new document; at its completion the new one takes
// the handler and the one before, still held here, gives it back.
TEST_F(MockBrowser, EachNewDocumentTakesTheHandlerFromThePreviousOne)
{
    CWebBrowserUI* wb = Build(0);
    host.Update();
    IDispatch* docs[2] = { NULL, NULL };
    for (int i = 0; i < 2; ++i) {
        wb->Navigate2(L"http://www.example.com/n");
        ASSERT_EQ(S_OK, FireNavigateComplete(L"http://www.example.com/n"));
        wb->GetWebBrowser2()->get_Document(&docs[i]);
        ASSERT_NE(nullptr, docs[i]);
    }
    ASSERT_NE(docs[0], docs[1]);
    EXPECT_EQ(S_FALSE, mock.DocumentCallsHandler(docs[0]));
    EXPECT_EQ(S_OK, mock.DocumentCallsHandler(docs[1]));
    EXPECT_EQ((std::vector<std::string>{ "SetUIHandler handler", "SetUIHandler null", "SetUIHandler handler" }),
              mock.Lines("SetUIHandler"));
    for (IDispatch* doc : docs)
        doc->Release();
}

TEST_F(MockBrowser, WithoutADocumentTheCompletionStillReachesTheHandler)
{
    CWebBrowserUI* wb = Build(MockNoDocument);
    CompletionHandler h(mock);
    wb->SetEventHandler(&h);
    host.Update();
    ASSERT_EQ(S_OK, FireNavigateComplete(L"http://www.example.com/b"));
    EXPECT_EQ(1u, h.events.size());
    EXPECT_EQ(0, mock.Count("SetUIHandler"));
}

// The script-error command reads the error from the document's current
// event and tells the browser to go on silently, even when nothing can be
// read.
TEST_F(MockBrowser, ScriptErrorsAreReadFromTheDocumentsEventAndSilenced)
{
    CWebBrowserUI wb;
    for (unsigned flags : { 0u, static_cast<unsigned>(MockErrorReadsFail) }) {
        SCOPED_TRACE(flags);
        mock.Reset(flags);
        const LONG docsBefore = mock.state->liveDocuments;
        IUnknown* doc = mock.NewDocument();
        ASSERT_NE(nullptr, doc);
        VARIANT in, out;
        ::VariantInit(&in);
        in.vt = VT_UNKNOWN;
        in.punkVal = doc;
        ::VariantInit(&out);
        EXPECT_EQ(S_OK, static_cast<IOleCommandTarget*>(&wb)->Exec(&kCgidDocHostCommandHandler, 40, 0, &in, &out));
        EXPECT_EQ(VT_BOOL, out.vt);
        EXPECT_EQ(VARIANT_TRUE, out.boolVal);
        std::vector<std::string> reads = mock.Lines("read ");
        if (flags == 0) {
            const std::vector<std::string> all = { "read errorLine lcid 0x800", "read errorCharacter lcid 0x800",
                                                   "read errorCode lcid 0x800", "read errorMessage lcid 0x800",
                                                   "read errorUrl lcid 0x800" };
            EXPECT_EQ(all, reads);
        } else {
            EXPECT_TRUE(reads.empty());
            EXPECT_EQ(5, mock.Count("GetIDsOfNames"));
        }
        doc->Release();
        // The window and event objects taken were given back.
        EXPECT_EQ(docsBefore, mock.state->liveDocuments);
    }
}

TEST_F(MockBrowser, EventsAreDisconnectedAndTheBrowserClosedWithTheControl)
{
    CWebBrowserUI* wb = Build(0);
    RecordingHandler h;
    wb->SetEventHandler(&h);
    host.Update();
    ASSERT_NE(nullptr, mock.state->sink);
    EXPECT_EQ(1, mock.state->liveObjects);
    mock.ClearLog();
    host.Find<CContainerUI>(L"box")->Remove(wb);
    host.Update();
    EXPECT_LT(mock.IndexOf("Unadvise 81"), mock.IndexOf("Close 1"));
    EXPECT_EQ(nullptr, mock.state->sink);
    EXPECT_EQ(0, mock.state->liveObjects);
    EXPECT_TRUE(h.events.empty());
}

// A new class id after creation: the old browser is disconnected and closed,
// and only the new one remains.
TEST_F(MockBrowser, RecreationReleasesTheOldBrowser)
{
    CWebBrowserUI* wb = Build(0);
    host.Update();
    EXPECT_EQ(1, mock.state->created);
    mock.ClearLog();
    ASSERT_TRUE(wb->SetClassIdText(L"{8856F961-340A-11D0-A96B-00C04FD705A2}"));
    wb->SetPos(wb->GetPos());
    EXPECT_EQ(2, mock.state->created);
    EXPECT_EQ(1, mock.state->liveObjects);
    EXPECT_EQ(1, mock.Count("Unadvise"));
    EXPECT_EQ(1, mock.Count("Close 1"));
    EXPECT_EQ(1, mock.Count("Advise"));
    EXPECT_EQ(1u, ChildrenOfClass(host.GetHWND(), L"ActiveXWnd").size());
    EXPECT_NE(nullptr, wb->GetWebBrowser2());
}

// A key pressed inside the browser's window goes to the browser, and the
// manager counts it as consumed when the browser takes it.
TEST_F(MockBrowser, KeysInsideTheBrowserWindowGoToTheBrowser)
{
    CWebBrowserUI* wb = Build(0);
    host.Update();
    HWND hPage = mock.state->window;
    ASSERT_NE(nullptr, hPage);
    EXPECT_EQ(wb->GetHostWindow(), ::GetParent(hPage));
    ::SetFocus(hPage);
    ASSERT_EQ(hPage, ::GetFocus());
    MSG key = { hPage, WM_KEYDOWN, VK_F5, 0, 0, { 0, 0 } };
    mock.ClearLog();
    EXPECT_TRUE(host.pm.TranslateAccelerators(&key));
    EXPECT_EQ(std::vector<std::string>{ "TranslateAccelerator 0x100" }, mock.Lines());
    ::SetFocus(host.GetHWND());
    mock.ClearLog();
    EXPECT_FALSE(host.pm.TranslateAccelerators(&key));
    EXPECT_TRUE(mock.Lines().empty());
}

} // namespace
