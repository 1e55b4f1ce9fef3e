// The Flash control: its names and attributes, the blank control Wine leaves
// (no Flash installed), and over the Flash control of mockocx.dll the event
// connection, the events reaching the receiver, the receiver's last call and
// the accelerator hook; malformed events are refused.
#include "ActiveXTestUtil.h"
#include "MockOcxClient.h"

#include "UIFlash.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace axtest;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

class FlashRecorder : public IFlashEventUI
{
public:
    std::vector<std::string> calls;
    MockOcx* mock = nullptr;
    bool unadvisedBeforeDestroyed = false;

    void OnFlashDestroyed() override
    {
        calls.push_back("destroyed");
        if (mock != nullptr)
            unadvisedBeforeDestroyed = mock->Count("Unadvise") > 0;
    }
    HRESULT OnReadyStateChange(long newState) override
    {
        calls.push_back("ready " + std::to_string(newState));
        return S_OK;
    }
    HRESULT OnProgress(long percentDone) override
    {
        calls.push_back("progress " + std::to_string(percentDone));
        return S_OK;
    }
    HRESULT FSCommand(LPCTSTR pstrCommand, LPCTSTR pstrArgs) override
    {
        calls.push_back("fscommand " + testsupport::Narrow(pstrCommand) + " " + testsupport::Narrow(pstrArgs));
        return S_FALSE;
    }
    HRESULT FlashCall(LPCTSTR pstrRequest) override
    {
        calls.push_back("flashcall " + testsupport::Narrow(pstrRequest));
        return S_OK;
    }
};

TEST(FlashNames, ClassNameInterfacesAndClassId)
{
    CFlashUI flash;
    EXPECT_STREQ(L"Flash", flash.GetClassName());
    EXPECT_EQ(static_cast<void*>(&flash), flash.GetInterface(L"Flash"));
    EXPECT_EQ(static_cast<void*>(static_cast<CActiveXUI*>(&flash)), flash.GetInterface(L"ActiveX"));
    EXPECT_EQ(nullptr, flash.GetInterface(L"FlashUI"));
    EXPECT_TRUE(flash.GetClassId() == ShockwaveFlashObjects::kClsidShockwaveFlash);
    EXPECT_TRUE(flash.IsDelayCreate());
    EXPECT_EQ(nullptr, flash.GetShockwaveFlash());
}

// The web browser's attributes are accepted and change nothing; the others
// reach the ActiveX host and the control base.
TEST(FlashNames, BrowserAttributesAreIgnoredOthersAreApplied)
{
    CFlashUI flash;
    flash.SetAttribute(L"homepage", L"http://www.example.com/");
    flash.SetAttribute(L"autonavi", L"true");
    EXPECT_TRUE(flash.GetClassId() == ShockwaveFlashObjects::kClsidShockwaveFlash);
    EXPECT_TRUE(flash.GetModuleName().IsEmpty());
    flash.SetAttribute(L"modulename", L"mockocx.dll");
    flash.SetAttribute(L"name", L"swf");
    flash.SetAttribute(L"clsid", L"{4D6F636B-4F43-5800-8000-00AA00BBCC01}");
    EXPECT_STREQ(L"mockocx.dll", flash.GetModuleName().GetData());
    EXPECT_STREQ(L"swf", flash.GetName().GetData());
    EXPECT_TRUE(flash.GetClassId() == kClsidMockControl);
}

TEST(FlashNames, EventPartIdentity)
{
    CFlashUI flash;
    IDispatch* sink = static_cast<IDispatch*>(&flash);
    const IID* answered[] = { &IID_IUnknown, &IID_IDispatch, &ShockwaveFlashObjects::kIidShockwaveFlashEvents };
    for (const IID* iid : answered) {
        void* p = NULL;
        EXPECT_EQ(S_OK, sink->QueryInterface(*iid, &p));
        EXPECT_EQ(static_cast<void*>(sink), p);
        sink->Release();
    }
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(ShockwaveFlashObjects::kIidShockwaveFlash, &p));
    EXPECT_EQ(nullptr, p);
    UINT count = 0;
    EXPECT_EQ(E_NOTIMPL, sink->GetTypeInfoCount(&count));
}

// Events as the Flash control sends them (arguments in reverse order), and
// malformed ones.
TEST(FlashEvents, EventsReachTheReceiverAndMalformedOnesAreRefused)
{
    CFlashUI flash;
    FlashRecorder rec;
    IDispatch* sink = static_cast<IDispatch*>(&flash);
    BSTR command = ::SysAllocString(L"play");
    BSTR args = ::SysAllocString(L"clip 2");
    auto bstr = [](BSTR s) {
        VARIANTARG v;
        ::VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = s;
        return v;
    };
    auto number = [](long n) {
        VARIANTARG v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = n;
        return v;
    };
    long percent = 40;
    VARIANTARG byRef;
    ::VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_I4;
    byRef.plVal = &percent;
    struct Case
    {
        const char* what;
        DISPID id;
        std::vector<VARIANTARG> reversed;
        bool noParams;
        HRESULT want;
        const char* call;
    } cases[] = {
        { "FSCommand", 150, { bstr(args), bstr(command) }, false, S_FALSE, "fscommand play clip 2" },
        { "FSCommand, three arguments", 150, { bstr(args), bstr(command), bstr(args) }, false, DISP_E_BADPARAMCOUNT, NULL },
        { "FSCommand, one argument", 150, { bstr(args) }, false, DISP_E_BADPARAMCOUNT, NULL },
        { "FSCommand, no parameters", 150, {}, true, DISP_E_BADPARAMCOUNT, NULL },
        { "FSCommand, a number", 150, { number(1), bstr(command) }, false, DISP_E_TYPEMISMATCH, NULL },
        { "FlashCall", 197, { bstr(command) }, false, S_OK, "flashcall play" },
        { "FlashCall, a number", 197, { number(3) }, false, E_INVALIDARG, NULL },
        { "FlashCall, two arguments", 197, { bstr(command), bstr(args) }, false, E_INVALIDARG, NULL },
        { "ready state", -609, { number(4) }, false, S_OK, "ready 4" },
        { "ready state, nothing", -609, {}, false, DISP_E_BADPARAMCOUNT, NULL },
        { "ready state, a text", -609, { bstr(command) }, false, DISP_E_TYPEMISMATCH, NULL },
        { "progress by reference", 1958, { byRef }, false, S_OK, "progress 40" },
        { "progress by value", 1958, { number(75) }, false, S_OK, "progress 75" },
        { "progress, nothing", 1958, {}, true, DISP_E_BADPARAMCOUNT, NULL },
        { "another event", 1, { number(1) }, false, S_OK, NULL },
    };
    for (int withReceiver = 0; withReceiver < 2; ++withReceiver) {
        if (withReceiver)
            flash.SetFlashEventHandler(&rec);
        for (Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (withReceiver ? " (receiver)" : ""));
            rec.calls.clear();
            DISPPARAMS params = { c.reversed.empty() ? NULL : c.reversed.data(), NULL,
                                  static_cast<UINT>(c.reversed.size()), 0 };
            HRESULT want = c.want;
            if (!withReceiver && SUCCEEDED(want))
                want = S_OK;   // without a receiver the event is dropped
            EXPECT_EQ(want, sink->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, c.noParams ? NULL : &params, NULL,
                                         NULL, NULL));
            if (withReceiver && c.call != NULL)
                EXPECT_EQ(std::vector<std::string>{ c.call }, rec.calls);
            else
                EXPECT_TRUE(rec.calls.empty());
        }
    }
    ::SysFreeString(command);
    ::SysFreeString(args);
    flash.SetFlashEventHandler(NULL);
}

class FlashHost : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Open(400, 300)); }
    void TearDown() override
    {
        host.pm.AttachRoot(new CControlUI);
        host.Update();
    }
    HostWindow host;
};

// Wine has no Flash: the control stays blank and everything keeps working.
TEST_F(FlashHost, WithoutFlashInstalledTheControlStaysBlank)
{
    host.Build(L"<Window><VerticalLayout><Flash name=\"swf\" homepage=\"x\"/></VerticalLayout></Window>");
    CFlashUI* flash = host.Find<CFlashUI>(L"swf");
    ASSERT_NE(nullptr, flash);
    host.Update();
    void* p = NULL;
    EXPECT_EQ(E_PENDING, flash->GetControl(IID_IOleObject, &p));
    EXPECT_EQ(nullptr, flash->GetShockwaveFlash());
    EXPECT_EQ(nullptr, flash->GetHostWindow());
    EXPECT_FALSE(flash->CreateHostedControl());
    MSG key = { host.GetHWND(), WM_KEYDOWN, 'A', 0, 0, { 0, 0 } };
    EXPECT_EQ(E_NOTIMPL, flash->TranslateAccelerator(&key));
    key.message = WM_PAINT;
    EXPECT_EQ(S_FALSE, flash->TranslateAccelerator(&key));
}

TEST_F(FlashHost, OverTheTestControlEventsFlowUntilTheReceiversLastCall)
{
    MockOcx mock;
    ASSERT_TRUE(mock.Loaded());
    host.Build(L"<Window><VerticalLayout name=\"box\"><Flash name=\"swf\" modulename=\"mockocx.dll\"/>"
               L"</VerticalLayout></Window>");
    CFlashUI* flash = host.Find<CFlashUI>(L"swf");
    FlashRecorder rec;
    rec.mock = &mock;
    flash->SetFlashEventHandler(&rec);
    EXPECT_EQ(&rec, flash->GetFlashEventHandler());
    host.Update();
    ASSERT_NE(nullptr, flash->GetShockwaveFlash());
    EXPECT_EQ(1, mock.Count("Advise"));
    ASSERT_NE(nullptr, mock.state->sink);

    // The Flash control raises an event through the connection.
    BSTR request = ::SysAllocString(L"<invoke name=\"ping\"/>");
    VARIANTARG arg;
    ::VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = request;
    DISPPARAMS params = { &arg, NULL, 1, 0 };
    EXPECT_EQ(S_OK, mock.state->sink->Invoke(197, IID_NULL, 0, DISPATCH_METHOD, &params, NULL, NULL, NULL));
    ::SysFreeString(request);
    EXPECT_EQ(std::vector<std::string>{ "flashcall <invoke name=\"ping\"/>" }, rec.calls);

    // Keys for the Flash control while its window has the focus.
    ASSERT_NE(nullptr, mock.state->window);
    ::SetFocus(mock.state->window);
    MSG key = { mock.state->window, WM_KEYDOWN, VK_SPACE, 0, 0, { 0, 0 } };
    mock.ClearLog();
    EXPECT_EQ(S_OK, flash->TranslateAccelerator(&key));
    EXPECT_EQ(1, mock.Count("TranslateAccelerator 0x100"));
    ::SetFocus(host.GetHWND());
    EXPECT_EQ(S_FALSE, flash->TranslateAccelerator(&key));

    // Destroyed: the receiver hears it first, then the events are disconnected.
    rec.calls.clear();
    host.Find<CContainerUI>(L"box")->Remove(flash);
    host.Update();
    EXPECT_EQ(std::vector<std::string>{ "destroyed" }, rec.calls);
    EXPECT_FALSE(rec.unadvisedBeforeDestroyed);
    EXPECT_EQ(1, mock.Count("Unadvise 81"));
    EXPECT_EQ(nullptr, mock.state->sink);
    EXPECT_EQ(0, mock.state->liveObjects);
}

} // namespace
