// The web-browser control: its attributes, Wine's real browser (creation at
// the first layout, the home page, the events Wine fires, cancelling, pages
// in a tab layout), the event sink fed argument layouts as the browser sends
// them, the document-host, service-provider and command-target answers, and
// the accelerator hook.
#include "ActiveXTestUtil.h"

#include <mshtml.h>

#include "UITabLayout.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace axtest;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

// Nothing listens on the discard port of the loopback address: the browser's
// request fails at once and it reports NavigateError.
const wchar_t kDeadUrl[] = L"http://127.0.0.1:9/home";
const char kDeadUrlA[] = "http://127.0.0.1:9/home";

// {F38BC242-B950-11D1-8918-00C04FC2C836}
const GUID kCgidDocHostCommandHandler = { 0xF38BC242, 0xB950, 0x11D1, { 0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36 } };
// {988934A4-064B-11D3-BB80-00104B35E7F9}
const IID kIidIDownloadManager = { 0x988934A4, 0x064B, 0x11D3, { 0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9 } };

TEST(WebBrowserNames, ClassNameInterfacesAndAttributes)
{
    CWebBrowserUI wb;
    EXPECT_STREQ(L"WebBrowserUI", wb.GetClassName());
    EXPECT_EQ(static_cast<void*>(&wb), wb.GetInterface(L"WebBrowser"));
    EXPECT_EQ(static_cast<void*>(static_cast<CActiveXUI*>(&wb)), wb.GetInterface(L"ActiveX"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&wb)), wb.GetInterface(L"Control"));
    EXPECT_TRUE(wb.GetClassId() == kClsidWebBrowser);
    EXPECT_TRUE(wb.IsDelayCreate());

    wb.SetAttribute(L"homepage", L"http://www.example.com/A?b=1");
    EXPECT_STREQ(L"http://www.example.com/A?b=1", wb.GetHomePage().GetData());
    const struct
    {
        const wchar_t* value;
        bool on;
    } flags[] = { { L"true", true }, { L"TRUE", false }, { L"1", false }, { L"", false } };
    for (const auto& f : flags) {
        wb.SetAttribute(L"autonavi", L"true");
        wb.SetAttribute(L"autonavi", f.value);
        EXPECT_EQ(f.on, wb.IsAutoNavigate()) << testsupport::Narrow(f.value);
    }
    // Other attributes reach the ActiveX host and the control base.
    wb.SetAttribute(L"delaycreate", L"true");
    wb.SetAttribute(L"name", L"page");
    EXPECT_STREQ(L"page", wb.GetName().GetData());

    // Navigation without a browser does nothing.
    wb.Navigate2(L"about:blank");
    wb.Refresh();
    wb.Refresh2(3);
    wb.GoBack();
    wb.GoForward();
    EXPECT_EQ(nullptr, wb.GetWebBrowser2());
}

TEST(WebBrowserNames, SetEventHandlerIgnoresNullAndKeepsTheLastHandler)
{
    CWebBrowserUI wb;
    RecordingHandler a, b;
    wb.SetEventHandler(NULL);
    EXPECT_EQ(nullptr, wb.GetEventHandler());
    wb.SetEventHandler(&a);
    wb.SetEventHandler(NULL);
    EXPECT_EQ(&a, wb.GetEventHandler());
    wb.SetEventHandler(&b);
    EXPECT_EQ(&b, wb.GetEventHandler());
}

// --- Wine's browser ----------------------------------------------------------

class RealBrowser : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Open(400, 300)); }
    void TearDown() override
    {
        testsupport::Canvas canvas(400, 300);
        if (::testing::Test::HasFailure() && canvas.CaptureWindow(host.GetHWND()))
            canvas.DumpIfFailed("webbrowser_real");
    }
    CWebBrowserUI* BuildBrowser(const wchar_t* attributes)
    {
        std::wstring xml = std::wstring(L"<Window><VerticalLayout name=\"box\" inset=\"8,8,8,8\" bkcolor=\"#FFE0E0E0\"><WebBrowser name=\"wb\" ") + attributes
                           + L"/></VerticalLayout></Window>";
        host.Build(xml.c_str());
        return host.Find<CWebBrowserUI>(L"wb");
    }
    // Pumps until the handler has seen an event starting with prefix.
    bool WaitFor(const RecordingHandler& h, const std::string& prefix, DWORD ms = 5000)
    {
        return testsupport::PumpUntil([&] { return h.Count(prefix) > 0; }, ms);
    }
    std::string Location(CWebBrowserUI* wb)
    {
        BSTR url = NULL;
        if (wb->GetWebBrowser2() == NULL || FAILED(wb->GetWebBrowser2()->get_LocationURL(&url)) || url == NULL)
            return std::string();
        std::string s = testsupport::Narrow(url);
        ::SysFreeString(url);
        return s;
    }

    HostWindow host;
};

// The home page is requested when the browser is created at the first
// layout, before the events are connected: its handler sees only what
// follows the request.
TEST_F(RealBrowser, AutoNavigationOpensTheHomePageAtTheFirstLayout)
{
    RecordingHandler h;
    std::wstring attrs = std::wstring(L"homepage=\"") + kDeadUrl + L"\" autonavi=\"true\"";
    CWebBrowserUI* wb = BuildBrowser(attrs.c_str());
    ASSERT_NE(nullptr, wb);
    wb->SetEventHandler(&h);
    EXPECT_EQ(nullptr, wb->GetWebBrowser2());

    host.Update();
    ASSERT_NE(nullptr, wb->GetWebBrowser2());
    EXPECT_EQ(kDeadUrlA, Location(wb));
    ASSERT_TRUE(WaitFor(h, "NavigateError:"));
    EXPECT_EQ(0, h.Count("BeforeNavigate2:"));
    EXPECT_EQ("NavigateError:" + std::string(kDeadUrlA), h.events.back());
    ASSERT_NE(nullptr, ChildOfClass(host.GetHWND(), L"Shell Embedding"));

    testsupport::Canvas canvas(400, 300);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    canvas.SavePng(testsupport::OutputDir() + L"webbrowser_window.png");
}

TEST_F(RealBrowser, WithoutAutoNavigationOrWithoutAHomePageNothingIsRequested)
{
    const wchar_t* variants[] = { L"homepage=\"http://127.0.0.1:9/home\"", L"autonavi=\"true\"" };
    for (const wchar_t* attrs : variants) {
        SCOPED_TRACE(testsupport::Narrow(attrs));
        CWebBrowserUI* wb = BuildBrowser(attrs);
        RecordingHandler h;
        wb->SetEventHandler(&h);
        host.Update();
        ASSERT_NE(nullptr, wb->GetWebBrowser2());
        testsupport::PumpFor(200);
        EXPECT_TRUE(h.events.empty());
        EXPECT_NE(kDeadUrlA, Location(wb));
        host.pm.AttachRoot(new CControlUI);
        host.Update();
    }
}

TEST_F(RealBrowser, NavigationRaisesBeforeNavigateCommandStatesAndNavigateError)
{
    CWebBrowserUI* wb = BuildBrowser(L"");
    RecordingHandler h;
    wb->SetEventHandler(&h);
    host.Update();
    wb->Navigate2(kDeadUrl);
    ASSERT_TRUE(WaitFor(h, "NavigateError:"));
    ASSERT_FALSE(h.events.empty());
    EXPECT_EQ("BeforeNavigate2:" + std::string(kDeadUrlA), h.events.front());
    EXPECT_EQ("NavigateError:" + std::string(kDeadUrlA), h.events.back());
    EXPECT_EQ(1, h.Count("CommandStateChange:2 off"));   // no history: back
    EXPECT_EQ(1, h.Count("CommandStateChange:1 off"));   // and forward stay off
}

// The cancel flag the handler sets reaches the browser: nothing is requested.
TEST_F(RealBrowser, CancellingBeforeNavigateStopsTheNavigation)
{
    CWebBrowserUI* wb = BuildBrowser(L"");
    RecordingHandler h;
    h.cancelNavigation = true;
    wb->SetEventHandler(&h);
    host.Update();
    wb->Navigate2(kDeadUrl);
    ASSERT_TRUE(WaitFor(h, "BeforeNavigate2:"));
    testsupport::PumpFor(300);
    EXPECT_EQ(0, h.Count("NavigateError:"));
    EXPECT_NE(kDeadUrlA, Location(wb));
}

// Once the control is gone its handler hears nothing more, even of a
// navigation still under way.
TEST_F(RealBrowser, NoEventArrivesAfterTheControlIsGone)
{
    CWebBrowserUI* wb = BuildBrowser(L"");
    RecordingHandler h;
    wb->SetEventHandler(&h);
    host.Update();
    wb->Navigate2(kDeadUrl);
    const size_t seen = h.events.size();
    CContainerUI* box = host.Find<CContainerUI>(L"box");
    box->SetDelayedDestroy(false);   // deleted at once, as the client's pages are
    box->Remove(wb);
    EXPECT_EQ(nullptr, ChildOfClass(host.GetHWND(), L"Shell Embedding"));
    testsupport::PumpFor(300);
    EXPECT_EQ(seen, h.events.size());
}

// A handler that removes its own page while the browser delivers an event.
class PageRemovingHandler : public RecordingHandler
{
public:
    CContainerUI* box = nullptr;
    CWebBrowserUI* page = nullptr;
    void NavigateError(IDispatch* d, VARIANT*& url, VARIANT*& f, VARIANT*& s, VARIANT_BOOL*& c) override
    {
        RecordingHandler::NavigateError(d, url, f, s, c);
        if (page != nullptr) {
            CWebBrowserUI* p = page;
            page = nullptr;
            box->Remove(p);
        }
    }
};

TEST_F(RealBrowser, AHandlerThatRemovesItsOwnPageDuringAnEventDoesNotCrash)
{
    CWebBrowserUI* wb = BuildBrowser(L"");
    PageRemovingHandler h;
    h.box = host.Find<CContainerUI>(L"box");
    h.box->SetDelayedDestroy(false);   // the page is deleted inside the event
    h.page = wb;
    wb->SetEventHandler(&h);
    host.Update();
    wb->Navigate2(kDeadUrl);
    ASSERT_TRUE(WaitFor(h, "NavigateError:"));
    testsupport::PumpFor(200);
    EXPECT_EQ(0, h.box->GetCount());
    EXPECT_EQ(nullptr, ChildOfClass(host.GetHWND(), L"ActiveXWnd"));
    EXPECT_EQ(1, h.Count("NavigateError:"));
}

// A page of a tab layout that holds a browser: the browser's native window is
// shown only while its page is the selected one.
TEST_F(RealBrowser, ABrowserPageOfATabLayoutShowsItsWindowOnlyWhileSelected)
{
    host.Build(L"<Window><TabLayout name=\"tabs\">"
               L"<HorizontalLayout><WebBrowser name=\"wb0\"/></HorizontalLayout>"
               L"<HorizontalLayout><Control/></HorizontalLayout>"
               L"<HorizontalLayout><WebBrowser name=\"wb2\" delaycreate=\"false\"/></HorizontalLayout>"
               L"</TabLayout></Window>");
    host.Update();
    CTabLayoutUI* tabs = host.Find<CTabLayoutUI>(L"tabs");
    CWebBrowserUI* wb0 = host.Find<CWebBrowserUI>(L"wb0");
    CWebBrowserUI* wb2 = host.Find<CWebBrowserUI>(L"wb2");
    HWND e0 = ChildOfClass(wb0->GetHostWindow(), L"Shell Embedding");
    ASSERT_NE(nullptr, e0);
    // Created while the XML was read, on a page that is not shown.
    HWND e2 = ChildOfClass(wb2->GetHostWindow(), L"Shell Embedding");
    ASSERT_NE(nullptr, e2);

    // Visible windows per page, "v" or "-", for each selection.
    auto shown = [&] {
        return std::string(::IsWindowVisible(e0) ? "v" : "-") + (::IsWindowVisible(e2) ? "v" : "-");
    };
    EXPECT_EQ("v-", shown());
    tabs->SelectItem(1);
    host.Update();
    EXPECT_EQ("--", shown());
    tabs->SelectItem(2);
    host.Update();
    EXPECT_EQ("-v", shown());
    EXPECT_RECT(CUIRect(0, 0, 400, 300), RectInParent(wb2->GetHostWindow()));
    tabs->SelectItem(0);
    host.Update();
    EXPECT_EQ("v-", shown());
}

TEST_F(RealBrowser, AcceleratorsReachTheBrowserOnlyFromInsideItsWindow)
{
    CWebBrowserUI* wb = BuildBrowser(L"");
    MSG key = { host.GetHWND(), WM_KEYDOWN, VK_TAB, 0, 0, { 0, 0 } };
    // No browser yet.
    EXPECT_EQ(E_NOTIMPL, wb->TranslateAccelerator(&key));
    MSG move = { host.GetHWND(), WM_MOUSEMOVE, 0, 0, 0, { 0, 0 } };
    EXPECT_EQ(S_FALSE, wb->TranslateAccelerator(&move));

    host.Update();
    ::SetFocus(host.GetHWND());
    EXPECT_EQ(S_FALSE, wb->TranslateAccelerator(&key));
    // The manager offers keys to its accelerators and leaves this one alone.
    EXPECT_FALSE(host.pm.TranslateAccelerators(&key));

    HWND hEmbedding = ChildOfClass(host.GetHWND(), L"Shell Embedding");
    ASSERT_NE(nullptr, hEmbedding);
    ::SetFocus(hEmbedding);
    ASSERT_EQ(hEmbedding, ::GetFocus());
    key.hwnd = hEmbedding;
    // Inside the browser the key goes to the browser, which answers itself.
    EXPECT_NE(E_NOTIMPL, wb->TranslateAccelerator(&key));
    MSG outOfRange = { hEmbedding, WM_CHAR + 0x10, 0, 0, 0, { 0, 0 } };
    EXPECT_EQ(S_FALSE, wb->TranslateAccelerator(&outOfRange));
    ::SetFocus(host.GetHWND());
}

// --- the event sink, fed the argument layouts the browser sends --------------

// Event arguments in their natural order; Params() reverses them the way
// IDispatch::Invoke receives them.
class EventArgs
{
public:
    EventArgs& Add(VARTYPE vt, void* p)
    {
        VARIANTARG v;
        ::VariantInit(&v);
        v.vt = vt;
        v.byref = p;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& Long(long n)
    {
        VARIANTARG v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = n;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& Bool(bool b)
    {
        VARIANTARG v;
        ::VariantInit(&v);
        v.vt = VT_BOOL;
        v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& Bstr(BSTR s) { return Add(VT_BSTR, s); }
    DISPPARAMS* Params()
    {
        m_reversed.assign(m_args.rbegin(), m_args.rend());
        m_params.rgvarg = m_reversed.empty() ? NULL : m_reversed.data();
        m_params.cArgs = static_cast<UINT>(m_reversed.size());
        m_params.rgdispidNamedArgs = NULL;
        m_params.cNamedArgs = 0;
        return &m_params;
    }

private:
    std::vector<VARIANTARG> m_args;
    std::vector<VARIANTARG> m_reversed;
    DISPPARAMS m_params;
};

class BrowserEvents : public ::testing::Test
{
protected:
    BrowserEvents()
    {
        url = ::SysAllocString(L"http://www.example.com/p");
        context = ::SysAllocString(L"http://www.example.com/");
        title = ::SysAllocString(L"A title");
        ::VariantInit(&vUrl);
        vUrl.vt = VT_BSTR;
        vUrl.bstrVal = url;
        ::VariantInit(&vEmpty);
    }
    ~BrowserEvents()
    {
        ::SysFreeString(url);
        ::SysFreeString(context);
        ::SysFreeString(title);
    }
    HRESULT Fire(DISPID id, EventArgs& args, REFIID riid = IID_NULL)
    {
        return static_cast<IDispatch*>(&wb)->Invoke(id, riid, 0x800, DISPATCH_METHOD, args.Params(), NULL, NULL,
                                                    NULL);
    }
    // The layouts of BeforeNavigate2 (7 arguments), NavigateError (5) and
    // NewWindow3 (5), as the browser sends them.
    EventArgs BeforeNavigate()
    {
        EventArgs a;
        a.Add(VT_DISPATCH, NULL);
        for (int i = 0; i < 5; ++i)
            a.Add(VT_BYREF | VT_VARIANT, i == 0 ? &vUrl : &vEmpty);
        a.Add(VT_BYREF | VT_BOOL, &cancel);
        return a;
    }
    EventArgs NavigateError()
    {
        EventArgs a;
        a.Add(VT_DISPATCH, NULL);
        for (int i = 0; i < 3; ++i)
            a.Add(VT_BYREF | VT_VARIANT, i == 0 ? &vUrl : &vEmpty);
        a.Add(VT_BYREF | VT_BOOL, &cancel);
        return a;
    }
    EventArgs NewWindow()
    {
        EventArgs a;
        a.Add(VT_BYREF | VT_DISPATCH, &newWindow).Add(VT_BYREF | VT_BOOL, &cancel).Long(6).Bstr(context).Bstr(url);
        return a;
    }
    EventArgs Complete()
    {
        EventArgs a;
        a.Add(VT_DISPATCH, NULL).Add(VT_BYREF | VT_VARIANT, &vUrl);
        return a;
    }

    CWebBrowserUI wb;
    RecordingHandler h;
    BSTR url, context, title;
    VARIANT vUrl, vEmpty;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = NULL;
};

TEST_F(BrowserEvents, EachEventReachesItsHandlerOperationWithItsArguments)
{
    wb.SetEventHandler(&h);
    struct Case
    {
        DISPID id;
        EventArgs args;
        const char* event;   // NULL: no handler call
    } cases[] = {
        { 102, EventArgs().Bstr(title), NULL },
        { 105, EventArgs().Long(2).Bool(true), "CommandStateChange:2 on" },
        { 105, EventArgs().Long(-1).Bool(false), "CommandStateChange:-1 off" },
        { 113, EventArgs().Bstr(title), "TitleChange:A title" },
        { 250, BeforeNavigate(), "BeforeNavigate2:http://www.example.com/p" },
        { 252, Complete(), "NavigateComplete2:http://www.example.com/p" },
        { 259, Complete(), "DocumentComplete:http://www.example.com/p" },
        { 271, NavigateError(), "NavigateError:http://www.example.com/p" },
        { 273, NewWindow(), "NewWindow3:http://www.example.com/p from http://www.example.com/ flags 6" },
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.id);
        h.events.clear();
        EXPECT_EQ(S_OK, Fire(c.id, c.args));
        if (c.event == NULL) {
            EXPECT_TRUE(h.events.empty());
        } else {
            ASSERT_EQ(1u, h.events.size());
            EXPECT_EQ(c.event, h.events[0]);
        }
    }
}

// The cancel flag is the caller's own variable: the handler writes through.
TEST_F(BrowserEvents, CancelFlagsAreWrittenThroughToTheCaller)
{
    wb.SetEventHandler(&h);
    h.cancelNavigation = true;
    EventArgs before = BeforeNavigate();
    EXPECT_EQ(S_OK, Fire(250, before));
    EXPECT_EQ(VARIANT_TRUE, cancel);
    cancel = VARIANT_FALSE;
    EventArgs newWin = NewWindow();
    EXPECT_EQ(S_OK, Fire(273, newWin));   // the recorder cancels every new window
    EXPECT_EQ(VARIANT_TRUE, cancel);
}

TEST_F(BrowserEvents, UnknownInterfaceUnknownEventsAndMalformedArgumentsAreRefused)
{
    wb.SetEventHandler(&h);
    VARIANT_BOOL* nullBool = NULL;
    struct Case
    {
        const char* what;
        DISPID id;
        EventArgs args;
        HRESULT want;
    } cases[] = {
        { "download complete", 104, EventArgs(), DISP_E_MEMBERNOTFOUND },
        { "download begin", 106, EventArgs(), DISP_E_MEMBERNOTFOUND },
        { "title without argument", 113, EventArgs(), DISP_E_BADPARAMCOUNT },
        { "title as a number", 113, EventArgs().Long(1), DISP_E_TYPEMISMATCH },
        { "command state, one argument", 105, EventArgs().Bool(true), DISP_E_BADPARAMCOUNT },
        { "command state swapped", 105, EventArgs().Bool(true).Long(1), DISP_E_TYPEMISMATCH },
        { "before navigate, six arguments", 250, EventArgs().Add(VT_DISPATCH, NULL).Add(VT_BYREF | VT_VARIANT, &vUrl)
              .Add(VT_BYREF | VT_VARIANT, &vUrl).Add(VT_BYREF | VT_VARIANT, &vUrl).Add(VT_BYREF | VT_VARIANT, &vUrl)
              .Add(VT_BYREF | VT_BOOL, &cancel), DISP_E_BADPARAMCOUNT },
        { "new window, null cancel", 273, EventArgs().Add(VT_BYREF | VT_DISPATCH, &newWindow)
              .Add(VT_BYREF | VT_BOOL, nullBool).Long(0).Bstr(context).Bstr(url), DISP_E_TYPEMISMATCH },
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.want, Fire(c.id, c.args)) << c.what;
    }
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, static_cast<IDispatch*>(&wb)->Invoke(113, IID_NULL, 0, DISPATCH_METHOD, NULL,
                                                                         NULL, NULL, NULL));
    EventArgs titleArgs = EventArgs().Bstr(title);
    EXPECT_EQ(E_INVALIDARG, Fire(113, titleArgs, IID_IDispatch));
    EXPECT_TRUE(h.events.empty());
}

TEST_F(BrowserEvents, WithoutAHandlerEventsAreDropped)
{
    EventArgs before = BeforeNavigate();
    EXPECT_EQ(S_OK, Fire(250, before));
    EXPECT_EQ(VARIANT_FALSE, cancel);
    EventArgs titleArgs = EventArgs().Bstr(title);
    EXPECT_EQ(S_OK, Fire(113, titleArgs));
    EventArgs complete = Complete();
    EXPECT_EQ(S_OK, Fire(252, complete));
}

TEST_F(BrowserEvents, SinkAnswersNoTypeInformation)
{
    UINT count = 7;
    EXPECT_EQ(E_NOTIMPL, static_cast<IDispatch*>(&wb)->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    ITypeInfo* ti = NULL;
    EXPECT_EQ(E_NOTIMPL, static_cast<IDispatch*>(&wb)->GetTypeInfo(0, 0, &ti));
    LPOLESTR name = const_cast<LPOLESTR>(L"Navigate2");
    DISPID id = 0;
    EXPECT_EQ(E_NOTIMPL, static_cast<IDispatch*>(&wb)->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
}

// --- COM identity, document host, services, commands -------------------------

TEST(WebBrowserCom, OneIdentityForEveryPartAndACountThatFreesNothing)
{
    CWebBrowserUI wb;
    IUnknown* identity = NULL;
    ASSERT_EQ(S_OK, static_cast<IDispatch*>(&wb)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDocHostUIHandler*>(&wb)), identity);
    const IID* answered[] = { &IID_IDocHostUIHandler, &IID_IServiceProvider, &IID_IOleCommandTarget, &IID_IDispatch };
    for (const IID* iid : answered) {
        IUnknown* p = NULL;
        ASSERT_EQ(S_OK, identity->QueryInterface(*iid, reinterpret_cast<void**>(&p)));
        IUnknown* back = NULL;
        p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back));
        EXPECT_EQ(identity, back);
        back->Release();
        p->Release();
    }
    const IID* refused[] = { &IID_IWebBrowser2, &kIidIDownloadManager, &IID_IOleClientSite, &IID_IOleObject };
    for (const IID* iid : refused) {
        IUnknown* p = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(E_NOINTERFACE, identity->QueryInterface(*iid, reinterpret_cast<void**>(&p)));
        EXPECT_EQ(nullptr, p);
    }
    EXPECT_EQ(0u, identity->Release());
    EXPECT_EQ(1u, identity->AddRef());
    EXPECT_EQ(0u, identity->Release());
}

// The document host's answers without a handler and with the default one.
TEST(WebBrowserCom, DocumentHostAnswersWithoutAndWithTheDefaultHandler)
{
    CWebBrowserUI wb;
    CWebBrowserEventHandler defaults;
    IDocHostUIHandler* host = static_cast<IDocHostUIHandler*>(&wb);
    for (int withHandler = 0; withHandler < 2; ++withHandler) {
        SCOPED_TRACE(withHandler ? "default handler" : "no handler");
        if (withHandler)
            wb.SetEventHandler(&defaults);
        DOCHOSTUIINFO info;
        ZeroMemory(&info, sizeof(info));
        POINT pt = { 1, 2 };
        RECT rc = { 0, 0, 1, 1 };
        MSG msg = { NULL, WM_KEYDOWN, 'A', 0, 0, { 0, 0 } };
        LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
        IDropTarget* drop = reinterpret_cast<IDropTarget*>(1);
        IDispatch* external = reinterpret_cast<IDispatch*>(1);
        OLECHAR* urlOut = reinterpret_cast<OLECHAR*>(1);
        IDataObject* dataOut = reinterpret_cast<IDataObject*>(1);
        wchar_t urlIn[] = L"http://a/";
        struct Answer
        {
            const char* call;
            HRESULT got;
            HRESULT none;
            HRESULT deflt;
        } answers[] = {
            { "ShowContextMenu", host->ShowContextMenu(0, &pt, NULL, NULL), S_FALSE, S_OK },
            { "GetHostInfo", host->GetHostInfo(&info), E_NOTIMPL, S_OK },
            { "ShowUI", host->ShowUI(0, NULL, NULL, NULL, NULL), S_OK, S_FALSE },
            { "HideUI", host->HideUI(), S_OK, S_OK },
            { "UpdateUI", host->UpdateUI(), S_OK, S_OK },
            { "EnableModeless", host->EnableModeless(TRUE), E_NOTIMPL, S_OK },
            { "OnDocWindowActivate", host->OnDocWindowActivate(TRUE), E_NOTIMPL, S_OK },
            { "OnFrameWindowActivate", host->OnFrameWindowActivate(TRUE), E_NOTIMPL, S_OK },
            { "ResizeBorder", host->ResizeBorder(&rc, NULL, TRUE), E_NOTIMPL, S_OK },
            { "TranslateAccelerator", host->TranslateAccelerator(&msg, NULL, 0), S_FALSE, S_FALSE },
            { "GetOptionKeyPath", host->GetOptionKeyPath(&key, 0), E_NOTIMPL, S_OK },
            { "GetDropTarget", host->GetDropTarget(NULL, &drop), S_FALSE, E_NOTIMPL },
            { "GetExternal", host->GetExternal(&external), S_FALSE, E_NOTIMPL },
            { "TranslateUrl", host->TranslateUrl(0, urlIn, &urlOut), E_NOTIMPL, S_OK },
            { "FilterDataObject", host->FilterDataObject(NULL, &dataOut), E_NOTIMPL, S_OK },
        };
        for (const Answer& a : answers)
            EXPECT_EQ(withHandler ? a.deflt : a.none, a.got) << a.call;
        // A handler that sets nothing hands back nothing.
        EXPECT_EQ(nullptr, key);
        EXPECT_EQ(nullptr, drop);
        EXPECT_EQ(nullptr, external);
        EXPECT_EQ(nullptr, urlOut);
        EXPECT_EQ(nullptr, dataOut);
    }
}

class DownloadRecorder : public CWebBrowserEventHandler
{
public:
    int downloads = 0;
    std::wstring headers;
    UINT codePage = 0;
    HRESULT Download(IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR pszHeaders, LPCOLESTR,
                     UINT uiCP) override
    {
        ++downloads;
        headers = pszHeaders != NULL ? pszHeaders : L"";
        codePage = uiCP;
        return E_ABORT;
    }
};

TEST(WebBrowserCom, TheOnlyServiceIsTheDownloadManagerWhichForwardsToTheHandler)
{
    CWebBrowserUI wb;
    IServiceProvider* sp = static_cast<IServiceProvider*>(&wb);
    EXPECT_EQ(E_POINTER, sp->QueryService(kIidIDownloadManager, kIidIDownloadManager, NULL));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, sp->QueryService(IID_IWebBrowser2, IID_IWebBrowser2, &p));
    EXPECT_EQ(nullptr, p);
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, sp->QueryService(kIidIDownloadManager, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);

    IDownloadManager* dm = NULL;
    ASSERT_EQ(S_OK, sp->QueryService(kIidIDownloadManager, kIidIDownloadManager, reinterpret_cast<void**>(&dm)));
    ASSERT_NE(nullptr, dm);
    IUnknown* identity = NULL;
    dm->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDocHostUIHandler*>(&wb)), identity);
    identity->Release();

    // Without a handler the download is accepted and nothing else happens.
    EXPECT_EQ(S_OK, dm->Download(NULL, NULL, 0, 0, NULL, L"X: 1", NULL, 0));
    DownloadRecorder rec;
    wb.SetEventHandler(&rec);
    EXPECT_EQ(E_ABORT, dm->Download(NULL, NULL, 0, 0, NULL, L"X: 2", NULL, 936));
    EXPECT_EQ(1, rec.downloads);
    EXPECT_EQ(L"X: 2", rec.headers);
    EXPECT_EQ(936u, rec.codePage);
    dm->Release();
}

// An object that is no HTML document: the script-error command then reads
// nothing but still tells the browser to go on silently.
class PlainObject : public IUnknown
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = NULL;
        if (riid != IID_IUnknown)
            return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

TEST(WebBrowserCom, CommandTargetKnowsOnlyTheScriptErrorCommand)
{
    CWebBrowserUI wb;
    IOleCommandTarget* ct = static_cast<IOleCommandTarget*>(&wb);
    OLECMD cmd = { 40, 0 };
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, ct->QueryStatus(&kCgidDocHostCommandHandler, 1, &cmd, NULL));
    EXPECT_EQ(static_cast<HRESULT>(0x80040100), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(static_cast<HRESULT>(0x80040104), OLECMDERR_E_UNKNOWNGROUP);

    PlainObject doc;
    VARIANT in, out;
    ::VariantInit(&in);
    in.vt = VT_UNKNOWN;
    in.punkVal = &doc;
    ::VariantInit(&out);
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, ct->Exec(NULL, 40, 0, &in, &out));
    EXPECT_EQ(OLECMDERR_E_UNKNOWNGROUP, ct->Exec(&IID_IOleCommandTarget, 40, 0, &in, &out));
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, ct->Exec(&kCgidDocHostCommandHandler, 41, 0, &in, &out));
    EXPECT_EQ(VT_EMPTY, out.vt);

    // A call without a document, or without a place for the answer.
    VARIANT none;
    ::VariantInit(&none);
    EXPECT_EQ(E_INVALIDARG, ct->Exec(&kCgidDocHostCommandHandler, 40, 0, &none, &out));
    EXPECT_EQ(E_INVALIDARG, ct->Exec(&kCgidDocHostCommandHandler, 40, 0, NULL, &out));
    EXPECT_EQ(VT_EMPTY, out.vt);
    EXPECT_EQ(E_INVALIDARG, ct->Exec(&kCgidDocHostCommandHandler, 40, 0, &in, NULL));

    // With or without a handler the browser is told to keep running scripts.
    CWebBrowserEventHandler defaults;
    for (int withHandler = 0; withHandler < 2; ++withHandler) {
        if (withHandler)
            wb.SetEventHandler(&defaults);
        ::VariantInit(&out);
        EXPECT_EQ(S_OK, ct->Exec(&kCgidDocHostCommandHandler, 40, 0, &in, &out));
        EXPECT_EQ(VT_BOOL, out.vt);
        EXPECT_EQ(VARIANT_TRUE, out.boolVal);
    }
}

} // namespace
