// The ActiveX host over the test control of mockocx.dll, loaded by
// "modulename": the creation steps and their order, creation results and
// timing, the windowless path (painting, hit-tested mouse input, capture,
// keys, the cursor and the wheel), the windowed path's verbs, and teardown
// with balanced references, a hidden windowless object, and a control
// removed from inside the object's own verb or message.
#include "ActiveXTestUtil.h"
#include "FreedMemoryWatch.h"
#include "MockOcxClient.h"

#include <cstring>

#include "UIActiveXWnd.h"
#include "UITabLayout.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace axtest;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

// The window sits away from the screen origin, so that screen and client
// coordinates differ, and clear of the resting pointer.
const int kWindowX = 300;
const int kWindowY = 200;

// Notes how many verbs the control had been given when "showactivex" came.
class ShowRecorder : public INotifyUI
{
public:
    explicit ShowRecorder(MockOcx& mock) : m_mock(mock) {}
    void Notify(UINotify& msg) override
    {
        if (msg.sType == L"showactivex") {
            ++shows;
            verbsBefore = m_mock.Count("DoVerb");
            wParam = msg.wParam;
            lParam = msg.lParam;
        }
    }
    int shows = 0;
    int verbsBefore = -1;
    WPARAM wParam = 1;
    LPARAM lParam = 1;

private:
    MockOcx& m_mock;
};

// Removes the control from its layout, at once, when the object is in the
// given call (hooked into the test control).
struct RemoveOnCall
{
    const char* call;
    long value;
    CContainerUI* box;
    CControlUI* control;
    bool done;
};

void __cdecl RemoveControl(const char* call, long value, void* context)
{
    RemoveOnCall* r = static_cast<RemoveOnCall*>(context);
    if (r->done || std::strcmp(call, r->call) != 0 || value != r->value)
        return;
    r->done = true;
    r->box->Remove(r->control);
}

class MockHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mock.Loaded()) << "mockocx.dll must lie beside the test program";
        ASSERT_TRUE(host.Open(400, 300));
        ::SetWindowPos(host.GetHWND(), NULL, kWindowX, kWindowY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void TearDown() override
    {
        testsupport::Canvas canvas(400, 300);
        if (::testing::Test::HasFailure() && canvas.CaptureWindow(host.GetHWND()))
            canvas.DumpIfFailed("activex_mock");
        host.pm.AttachRoot(new CControlUI);
        host.Update();
        ::SetCursorPos(640, 512);
    }
    // The mock control in a layout with an inset: its rectangle is
    // (20,10)-(380,290).
    CActiveXUI* Build(unsigned flags, const wchar_t* extra = L"")
    {
        mock.Reset(flags);
        std::wstring xml = std::wstring(L"<Window><VerticalLayout name=\"box\" inset=\"20,10,20,10\" bkcolor=\"#FFE0E0E0\">"
                                        L"<ActiveX name=\"ax\" modulename=\"mockocx.dll\" clsid=\"")
                           + kMockClsid + L"\" " + extra + L"/></VerticalLayout></Window>";
        host.Build(xml.c_str());
        return host.Find<CActiveXUI>(L"ax");
    }
    // Sends a mouse message at a client point (wheel messages carry it in
    // screen coordinates).
    void Mouse(UINT msg, int x, int y, WPARAM wParam = 0)
    {
        POINT pt = { x, y };
        if (msg == WM_MOUSEWHEEL)
            ::ClientToScreen(host.GetHWND(), &pt);
        ::SendMessageW(host.GetHWND(), msg, wParam, MAKELPARAM(pt.x, pt.y));
    }
    // Whether the object saw a message since the log was cleared.
    bool Saw(UINT msg)
    {
        char line[64];
        std::snprintf(line, sizeof(line), "OnWindowMessage 0x%X", msg);
        return mock.Count(line) > 0;
    }

    MockOcx mock;
    HostWindow host;
};

// The creation steps in their order: the client site goes in before InitNew
// only when the object asks for it, and "showactivex" comes before the verb.
TEST_F(MockHost, CreationStepsFollowTheObjectsMiscStatus)
{
    const struct
    {
        unsigned flags;
        std::vector<std::string> steps;
    } cases[] = {
        { 0, { "CreateInstance", "InitNew", "SetClientSite site", "SetHostNames UIActiveX null", "DoVerb -5" } },
        { MockSetClientSiteFirst,
          { "CreateInstance", "SetClientSite site", "InitNew", "SetHostNames UIActiveX null", "DoVerb -5" } },
        { MockObjectWithSite,
          { "CreateInstance", "InitNew", "SetClientSite site", "SetHostNames UIActiveX null", "DoVerb -5",
            "SetSite site" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        ShowRecorder shows(mock);
        host.pm.AddNotifier(&shows);
        Build(c.flags);
        host.Update();
        std::vector<std::string> steps;
        for (const std::string& l : mock.Lines()) {
            for (const char* p : { "CreateInstance", "InitNew", "SetClientSite", "SetHostNames", "DoVerb", "SetSite" })
                if (l.compare(0, strlen(p), p) == 0)
                    steps.push_back(l);
        }
        EXPECT_EQ(c.steps, steps);
        EXPECT_EQ(1, shows.shows);
        EXPECT_EQ(0, shows.verbsBefore);
        EXPECT_EQ(0u, shows.wParam);
        EXPECT_EQ(0, shows.lParam);
        host.pm.RemoveNotifier(&shows);
        host.pm.AttachRoot(new CControlUI);
        host.Update();
        EXPECT_EQ(0, mock.state->liveObjects);
    }
}

// What creation answers, and whether an object stays hosted.
TEST_F(MockHost, CreationResults)
{
    const struct
    {
        const char* what;
        unsigned flags;
        const wchar_t* module;
        const wchar_t* clsid;
        bool result;
        bool hosted;
        int verbs;   // verbs the mock object was given
    } cases[] = {
        { "windowed", 0, kMockModule, kMockClsid, true, true, 1 },
        { "windowless", MockWindowless, kMockModule, kMockClsid, true, true, 1 },
        { "invisible with a view", MockInvisibleAtRuntime, kMockModule, kMockClsid, true, true, 0 },
        { "invisible without a view", MockInvisibleAtRuntime | MockNoViewObject, kMockModule, kMockClsid, false, true, 0 },
        { "InitNew fails", MockInitNewFails, kMockModule, kMockClsid, false, true, 0 },
        { "factory fails, class not registered", MockFactoryFails, kMockModule, kMockClsid, false, false, 0 },
        { "factory fails, registry has the class", MockFactoryFails, kMockModule, L"Shell.Explorer.2", true, true, 0 },
        { "module missing, registry has the class", 0, L"nosuch.dll", L"Shell.Explorer.2", true, true, 0 },
        { "module missing, class unknown", 0, L"nosuch.dll", kMockClsid, false, false, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        mock.Reset(c.flags);
        host.Build(L"<Window><VerticalLayout name=\"box\"/></Window>");
        CActiveXUI* ax = new CActiveXUI;
        host.Find<CContainerUI>(L"box")->Add(ax);
        ax->SetModuleName(c.module);
        ax->SetClassIdText(c.clsid);
        EXPECT_EQ(c.result, ax->CreateHostedControl());
        IOleObject* pObj = NULL;
        EXPECT_EQ(c.hosted ? S_OK : E_PENDING, ax->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObj)));
        if (pObj != NULL)
            pObj->Release();
        EXPECT_EQ(c.verbs, mock.Count("DoVerb"));
        host.pm.AttachRoot(new CControlUI);
        host.Update();
        EXPECT_EQ(0, mock.state->liveObjects);
    }
}

TEST_F(MockHost, CreationWaitsForTheFirstLayoutAndAFailureIsNotRetried)
{
    CActiveXUI* ax = Build(MockInitNewFails);
    EXPECT_EQ(0, mock.state->created);
    host.Update();
    EXPECT_EQ(1, mock.state->created);
    for (int i = 0; i < 3; ++i)
        ax->SetPos(CUIRect(20, 10, 380 - i, 290));
    EXPECT_EQ(1, mock.state->created);
    // A new class id makes the next positioning try again.
    ASSERT_TRUE(ax->SetClassIdText(kMockClsid));
    EXPECT_EQ(1, mock.state->created);
    ax->SetPos(CUIRect(20, 10, 380, 290));
    EXPECT_EQ(2, mock.state->created);
    EXPECT_EQ(1, mock.state->liveObjects);   // the first object was released
}

TEST_F(MockHost, DelayCreateOffCreatesAtOnceAndGoesOnWhenTheClassIdChanges)
{
    CActiveXUI* ax = Build(0, L"delaycreate=\"false\"");
    EXPECT_EQ(1, mock.state->created);
    host.Update();
    EXPECT_EQ(1, mock.state->created);
    ax->SetClassIdText(kMockClsid);
    EXPECT_EQ(2, mock.state->created);
    EXPECT_EQ(1, mock.state->liveObjects);
    // Switching the delay back on and off again does not create once more.
    ax->SetDelayCreate(true);
    ax->SetDelayCreate(false);
    EXPECT_EQ(2, mock.state->created);
}

// --- windowless ---------------------------------------------------------------

TEST_F(MockHost, WindowlessObjectLivesInThePaintWindowAndIsDrawnIntoThePaintDC)
{
    CActiveXUI* ax = Build(MockWindowless);
    host.Update();
    EXPECT_EQ(1, mock.Count("OnInPlaceActivateEx windowless 0x0"));
    EXPECT_EQ(host.GetHWND(), ax->GetHostWindow());
    EXPECT_EQ(nullptr, ChildOfClass(host.GetHWND(), L"ActiveXWnd"));
    // Object rectangles in paint-window coordinates, the extent in HIMETRIC.
    EXPECT_LE(1, mock.Count("SetObjectRects 20,10,380,290"));
    HDC hScreen = ::GetDC(NULL);
    char extent[64];
    std::snprintf(extent, sizeof(extent), "SetExtent %d,%d", ::MulDiv(2540, 360, ::GetDeviceCaps(hScreen, LOGPIXELSX)),
                  ::MulDiv(2540, 280, ::GetDeviceCaps(hScreen, LOGPIXELSY)));
    ::ReleaseDC(NULL, hScreen);
    EXPECT_LE(1, mock.Count(extent)) << extent;

    mock.ClearLog();
    testsupport::Canvas canvas(400, 300);
    ::SendMessageW(host.GetHWND(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    EXPECT_EQ(1, mock.Count("Draw 20,10,380,290"));
    const DWORD drawn = 0xFF3366CC;
    EXPECT_EQ(testsupport::ColorText(drawn & 0xFFFFFF), testsupport::ColorText(canvas.Pixel(200, 150) & 0xFFFFFF));
    EXPECT_EQ(testsupport::ColorText(0xE0E0E0), testsupport::ColorText(canvas.Pixel(10, 5) & 0xFFFFFF));
    canvas.SavePng(testsupport::OutputDir() + L"activex_windowless.png");

    // A paint that misses the control draws nothing of it.
    mock.ClearLog();
    ax->Paint(canvas.dc(), CUIRect(0, 0, 10, 10));
    EXPECT_EQ(0, mock.Count("Draw"));
}

TEST_F(MockHost, WindowlessMouseInputOnlyWhereTheObjectReportsAHit)
{
    CActiveXUI* ax = Build(MockWindowless);
    mock.state->hitRect = CUIRect(100, 100, 200, 200);
    host.Update();

    const struct
    {
        UINT msg;
        int x, y;
        bool delivered;
    } cases[] = {
        { WM_LBUTTONDOWN, 150, 150, true },
        { WM_LBUTTONUP, 150, 150, true },
        { WM_MOUSEMOVE, 199, 199, true },
        { WM_RBUTTONDOWN, 100, 100, true },
        { WM_LBUTTONDOWN, 50, 50, false },     // on the control, but no hit
        { WM_MOUSEMOVE, 200, 150, false },
        { WM_LBUTTONDBLCLK, 10, 5, false },    // outside the control
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.msg) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        mock.ClearLog();
        Mouse(c.msg, c.x, c.y);
        EXPECT_EQ(c.delivered, Saw(c.msg));
        char hit[64];
        std::snprintf(hit, sizeof(hit), "QueryHitPoint %d,%d", c.x, c.y);
        EXPECT_EQ(1, mock.Count(hit));
    }

    // A control that takes no mouse input passes nothing on.
    ax->SetMouseEnabled(false);
    mock.ClearLog();
    Mouse(WM_LBUTTONDOWN, 150, 150);
    EXPECT_FALSE(Saw(WM_LBUTTONDOWN));
    EXPECT_EQ(0, mock.Count("QueryHitPoint"));
}

// While the object holds the capture it gets the mouse everywhere.
TEST_F(MockHost, WindowlessObjectHoldingTheCaptureGetsTheMouseOutsideItsHitArea)
{
    Build(MockWindowless | MockCaptureOnPress);
    mock.state->hitRect = CUIRect(100, 100, 200, 200);
    host.Update();
    Mouse(WM_LBUTTONDOWN, 150, 150, MK_LBUTTON);
    EXPECT_EQ(host.GetHWND(), ::GetCapture());
    mock.ClearLog();
    Mouse(WM_MOUSEMOVE, 30, 20, MK_LBUTTON);
    EXPECT_TRUE(Saw(WM_MOUSEMOVE));
    EXPECT_EQ(0, mock.Count("QueryHitPoint"));
    Mouse(WM_LBUTTONUP, 30, 20);
    EXPECT_TRUE(Saw(WM_LBUTTONUP));
    EXPECT_EQ(nullptr, ::GetCapture());
    mock.ClearLog();
    Mouse(WM_MOUSEMOVE, 30, 20);
    EXPECT_FALSE(Saw(WM_MOUSEMOVE));
}

TEST_F(MockHost, WindowlessKeysOnlyWhileTheControlHasTheFocus)
{
    CActiveXUI* ax = Build(MockWindowless);
    host.Update();
    ::SendMessageW(host.GetHWND(), WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(Saw(WM_KEYDOWN));
    ax->SetFocus();
    ASSERT_TRUE(ax->IsFocused());
    for (UINT msg : { static_cast<UINT>(WM_KEYDOWN), static_cast<UINT>(WM_CHAR), static_cast<UINT>(WM_KEYUP) }) {
        mock.ClearLog();
        ::SendMessageW(host.GetHWND(), msg, 'A', 0);
        EXPECT_TRUE(Saw(msg)) << msg;
    }
    // Other messages never reach the object.
    mock.ClearLog();
    ::SendMessageW(host.GetHWND(), WM_TIMER, 99, 0);
    ::SendMessageW(host.GetHWND(), WM_USER + 5, 0, 0);
    EXPECT_EQ(0, mock.Count("OnWindowMessage"));
}

// The cursor message carries no point and the wheel message a screen point:
// the hit test uses the cursor's and the wheel's client positions.
TEST_F(MockHost, WindowlessCursorAndWheelAreHitTestedWhereThePointerIs)
{
    Build(MockWindowless);
    mock.state->hitRect = CUIRect(100, 100, 200, 200);
    host.Update();

    ASSERT_TRUE(::SetCursorPos(kWindowX + 150, kWindowY + 160));
    mock.ClearLog();
    ::SendMessageW(host.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(1, mock.Count("QueryHitPoint 150,160"));
    EXPECT_TRUE(Saw(WM_SETCURSOR));

    ASSERT_TRUE(::SetCursorPos(kWindowX + 50, kWindowY + 60));
    mock.ClearLog();
    ::SendMessageW(host.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(1, mock.Count("QueryHitPoint 50,60"));
    EXPECT_FALSE(Saw(WM_SETCURSOR));

    mock.ClearLog();
    Mouse(WM_MOUSEWHEEL, 120, 130, MAKEWPARAM(0, 120));
    EXPECT_EQ(1, mock.Count("QueryHitPoint 120,130"));
    EXPECT_TRUE(Saw(WM_MOUSEWHEEL));
    mock.ClearLog();
    Mouse(WM_MOUSEWHEEL, 30, 30, MAKEWPARAM(0, 120));
    EXPECT_FALSE(Saw(WM_MOUSEWHEEL));
}

// Teardown: the object is told in order, every reference is given back, and
// the paint window's messages no longer go to the object.
TEST_F(MockHost, TeardownReleasesTheObjectInOrderWithBalancedReferences)
{
    Build(MockWindowless | MockObjectWithSite | MockRunnable);
    mock.state->hitRect = CUIRect(0, 0, 400, 300);
    host.Update();
    EXPECT_EQ(1, mock.state->liveObjects);
    EXPECT_EQ(1, mock.state->lockRunning);

    mock.ClearLog();
    host.pm.AttachRoot(new CControlUI);
    host.Update();
    const int setSite = mock.IndexOf("SetSite null");
    const int close = mock.IndexOf("Close 1");
    const int clientSite = mock.IndexOf("SetClientSite null");
    EXPECT_LE(0, setSite);
    EXPECT_LT(setSite, close);
    EXPECT_LT(close, clientSite);
    EXPECT_EQ(0, mock.state->liveObjects);
    EXPECT_EQ(0, mock.state->lockRunning);

    mock.ClearLog();
    Mouse(WM_LBUTTONDOWN, 150, 150);
    EXPECT_EQ(0, mock.Count("OnWindowMessage"));
}

// A site the object keeps past its release answers E_UNEXPECTED.
TEST_F(MockHost, ASiteKeptByTheObjectIsInertOnceTheControlIsGone)
{
    Build(MockWindowless | MockKeepsSite);
    host.Update();
    host.pm.AttachRoot(new CControlUI);
    host.Update();
    IOleClientSite* kept = mock.state->keptSite;
    ASSERT_NE(nullptr, kept);
    EXPECT_EQ(E_UNEXPECTED, kept->ShowObject());
    IOleInPlaceSiteWindowless* ip = NULL;
    ASSERT_EQ(S_OK, kept->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&ip)));
    HWND hWnd = NULL;
    EXPECT_EQ(E_UNEXPECTED, ip->GetWindow(&hWnd));
    EXPECT_EQ(E_UNEXPECTED, ip->SetCapture(TRUE));
    EXPECT_EQ(E_UNEXPECTED, ip->InvalidateRect(NULL, FALSE));
    ip->Release();
    // The site gave the object's interfaces back when the control let go,
    // so the site the object keeps does not keep the object alive in turn.
    EXPECT_EQ(0, mock.state->liveObjects);
}

// Positioned outside a window (no manager), the control creates nothing: the
// object would have no window to activate in.
TEST_F(MockHost, PositioningOutsideAWindowCreatesNothing)
{
    mock.Reset(MockWindowless);
    CActiveXUI ax;
    ax.SetModuleName(kMockModule);
    ASSERT_TRUE(ax.SetClassIdText(kMockClsid));
    ax.SetPos(CUIRect(0, 0, 100, 100));
    EXPECT_EQ(0, mock.state->created);
    host.Build(L"<Window><VerticalLayout name=\"box\"/></Window>");
    CActiveXUI* inWindow = new CActiveXUI;
    inWindow->SetModuleName(kMockModule);
    inWindow->SetClassIdText(kMockClsid);
    host.Find<CContainerUI>(L"box")->Add(inWindow);
    host.Update();
    EXPECT_EQ(1, mock.state->created);
}

// A hidden windowless object, on an unselected tab page or hidden itself,
// takes no input at the rectangle it was last shown at: the click reaches
// the button that is shown there now.
TEST_F(MockHost, AHiddenWindowlessObjectTakesNoInput)
{
    for (bool byTab : { true, false }) {
        SCOPED_TRACE(byTab ? "unselected tab page" : "hidden control");
        mock.Reset(MockWindowless);
        std::wstring xml = std::wstring(L"<Window><TabLayout name=\"tabs\">"
                                        L"<VerticalLayout><ActiveX name=\"ax\" modulename=\"mockocx.dll\" clsid=\"")
                           + kMockClsid + L"\"/></VerticalLayout>"
                           L"<VerticalLayout><Button name=\"under\" float=\"true\" pos=\"100,100,200,200\"/>"
                           L"</VerticalLayout></TabLayout></Window>";
        host.Build(xml.c_str());
        testsupport::NotifyRecorder rec({ L"click" });
        host.pm.AddNotifier(&rec);
        mock.state->hitRect = CUIRect(100, 100, 200, 200);
        host.Update();
        mock.ClearLog();
        Mouse(WM_LBUTTONDOWN, 150, 150, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, 150, 150);
        ASSERT_TRUE(Saw(WM_LBUTTONDOWN));

        if (byTab)
            host.Find<CTabLayoutUI>(L"tabs")->SelectItem(1);
        else
            host.Find<CControlUI>(L"ax")->SetVisible(false);
        host.Update();
        mock.ClearLog();
        Mouse(WM_MOUSEMOVE, 150, 150);
        ::SendMessageW(host.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.GetHWND()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        host.Click(150, 150);
        EXPECT_EQ(0, mock.Count("OnWindowMessage"));
        EXPECT_EQ(0, mock.Count("QueryHitPoint"));
        if (byTab) {
            EXPECT_EQ(1, rec.Count(L"click"));
        }
        host.pm.RemoveNotifier(&rec);
    }
}

// The object's own message removes its control (deleted at once): the host
// holds the object through the call, so the object outlives it and goes
// after it.
TEST_F(MockHost, AControlRemovedFromTheObjectsOwnMessageLetsTheObjectFinishIt)
{
    CActiveXUI* ax = Build(MockWindowless);
    mock.state->hitRect = CUIRect(100, 100, 200, 200);
    host.Update();
    CContainerUI* box = host.Find<CContainerUI>(L"box");
    box->SetDelayedDestroy(false);
    RemoveOnCall r = { "OnWindowMessage", WM_LBUTTONDOWN, box, ax, false };
    mock.state->hook = &RemoveControl;
    mock.state->hookContext = &r;
    Mouse(WM_LBUTTONDOWN, 150, 150, MK_LBUTTON);
    mock.state->hook = NULL;
    EXPECT_TRUE(r.done);
    EXPECT_EQ(0, box->GetCount());
    EXPECT_EQ(0, mock.state->destroyedInCall);
    EXPECT_EQ(0, mock.state->liveObjects);
    Mouse(WM_LBUTTONUP, 150, 150);
    EXPECT_EQ(0, mock.Count("OnWindowMessage 0x202"));
}

// --- windowed -----------------------------------------------------------------

// The verb the focus or a mouse press asks for removes the control (deleted
// at once), which destroys the host window and deletes its object while that
// object is still handling the message: nothing of it is touched afterwards.
// (An object without an in-place object is left in its window but not in
// place, so a press asks again for in-place activation.)
TEST_F(MockHost, AControlRemovedByTheWindowsOwnVerbLeavesItsWindowObjectUntouched)
{
    const struct
    {
        UINT msg;
        LONG verb;
        unsigned flags;
    } cases[] = {
        { WM_SETFOCUS, OLEIVERB_UIACTIVATE, 0 },
        { WM_MOUSEACTIVATE, OLEIVERB_INPLACEACTIVATE, MockNoInPlaceObject },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.msg == WM_SETFOCUS ? "WM_SETFOCUS" : "WM_MOUSEACTIVATE");
        freedwatch::Watch(sizeof(CActiveXWnd));
        CActiveXUI* ax = Build(c.flags);
        host.Update();
        freedwatch::Stop();
        HWND hHost = ax->GetHostWindow();
        ASSERT_NE(nullptr, hHost);
        CContainerUI* box = host.Find<CContainerUI>(L"box");
        box->SetDelayedDestroy(false);
        RemoveOnCall r = { "DoVerb", c.verb, box, ax, false };
        mock.state->hook = &RemoveControl;
        mock.state->hookContext = &r;
        const WPARAM wParam = c.msg == WM_MOUSEACTIVATE ? reinterpret_cast<WPARAM>(host.GetHWND()) : 0;
        const LPARAM lParam = c.msg == WM_MOUSEACTIVATE ? MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN) : 0;
        ::SendMessageW(hHost, c.msg, wParam, lParam);
        mock.state->hook = NULL;
        EXPECT_TRUE(r.done);
        EXPECT_FALSE(::IsWindow(hHost));
        EXPECT_EQ(0, freedwatch::Touches());
        EXPECT_EQ(0, mock.state->destroyedInCall);
        EXPECT_EQ(0, mock.state->liveObjects);
        freedwatch::Reset();
    }
}

TEST_F(MockHost, WindowedObjectIsActivatedInItsChildWindowByFocusAndMouse)
{
    CActiveXUI* ax = Build(0);
    host.Update();
    HWND hHost = ax->GetHostWindow();
    ASSERT_NE(nullptr, hHost);
    EXPECT_EQ(host.GetHWND(), ::GetParent(hHost));
    ASSERT_NE(nullptr, mock.state->window);
    EXPECT_EQ(hHost, ::GetParent(mock.state->window));
    // The object's rectangles are relative to the child window.
    EXPECT_LE(1, mock.Count("SetObjectRects 0,0,360,280"));
    EXPECT_RECT(CUIRect(0, 0, 360, 280), RectInParent(mock.state->window));

    // Focus asks for UI activation; the object is already in place.
    mock.ClearLog();
    ::SendMessageW(hHost, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(std::vector<std::string>{ "DoVerb -4" }, mock.Lines("DoVerb"));
    mock.ClearLog();
    EXPECT_EQ(MA_ACTIVATE, ::SendMessageW(hHost, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host.GetHWND()),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    EXPECT_EQ(0, mock.Count("DoVerb"));
    // With a view object the window's background is left to the object.
    EXPECT_EQ(1, ::SendMessageW(hHost, WM_ERASEBKGND, 0, 0));

    testsupport::Canvas canvas(400, 300);
    host.Update();
    testsupport::PumpFor(50);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    canvas.SavePng(testsupport::OutputDir() + L"activex_mock_windowed.png");
}

TEST_F(MockHost, AnObjectThatRefusesUIActivationIsNotActivatedByTheMouse)
{
    CActiveXUI* ax = Build(MockNoUIActivate);
    host.Update();
    HWND hHost = ax->GetHostWindow();
    ASSERT_NE(nullptr, hHost);
    mock.ClearLog();
    EXPECT_EQ(0, ::SendMessageW(hHost, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host.GetHWND()),
                                MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    EXPECT_EQ(0, mock.Count("DoVerb"));
}

} // namespace
