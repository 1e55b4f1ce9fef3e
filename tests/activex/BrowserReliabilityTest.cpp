// Reliability of the browser hosts: 200 browser controls created, activated,
// navigated and destroyed one after another in one window give back every
// window, GDI and USER object and every hosted object, and no handler hears
// an event once its control is gone.
#include "ActiveXTestUtil.h"
#include "MockOcxClient.h"

#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace axtest;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

const int kRounds = 200;

// Counts the events of one page and those that come after it is gone.
class PageHandler : public RecordingHandler
{
public:
    bool gone = false;
    int late = 0;
    void Late()
    {
        if (gone)
            ++late;
    }
    void BeforeNavigate2(IDispatch* d, VARIANT*& u, VARIANT*& f, VARIANT*& t, VARIANT*& p, VARIANT*& h,
                         VARIANT_BOOL*& c) override
    {
        Late();
        RecordingHandler::BeforeNavigate2(d, u, f, t, p, h, c);
    }
    void NavigateError(IDispatch* d, VARIANT*& u, VARIANT*& t, VARIANT*& s, VARIANT_BOOL*& c) override
    {
        Late();
        RecordingHandler::NavigateError(d, u, t, s, c);
    }
    void CommandStateChange(long cmd, VARIANT_BOOL on) override
    {
        Late();
        RecordingHandler::CommandStateChange(cmd, on);
    }
    void NavigateComplete2(IDispatch* d, VARIANT*& u) override
    {
        Late();
        RecordingHandler::NavigateComplete2(d, u);
    }
};

BOOL CALLBACK CountWindow(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<size_t*>(lParam);
    return TRUE;
}

BOOL CALLBACK CountWindowTree(HWND hWnd, LPARAM lParam)
{
    ++*reinterpret_cast<size_t*>(lParam);
    ::EnumChildWindows(hWnd, &CountWindow, lParam);
    return TRUE;
}

// Every window of this thread: top-level ones with their children, and
// message-only ones. Left out: the notification window URL monikers keep per
// thread while bindings are alive. Wine's WebBrowser, closed while its
// navigation is pending, keeps two references to itself and that binding
// for good; the window then stays although the control gave back
// everything it held (the test browser below shows the balance).
size_t ThreadWindows()
{
    size_t n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindowTree, reinterpret_cast<LPARAM>(&n));
    for (HWND h = ::FindWindowExW(HWND_MESSAGE, NULL, NULL, NULL); h != NULL;
         h = ::FindWindowExW(HWND_MESSAGE, h, NULL, NULL)) {
        wchar_t cls[64] = { 0 };
        ::GetClassNameW(h, cls, 63);
        if (::GetWindowThreadProcessId(h, NULL) == ::GetCurrentThreadId()
            && wcscmp(cls, L"URL Moniker Notification Window") != 0)
            ++n;
    }
    return n;
}

// GetGuiResources answers 0 under Wine; the window counts are real there.
struct Resources
{
    DWORD gdi;
    DWORD user;
    size_t childWindows;
    size_t threadWindows;
};

class BrowserReliability : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(400, 300));
        host.Build(L"<Window><VerticalLayout name=\"box\" bkcolor=\"#FFFFFFFF\"/></Window>");
        box = host.Find<CContainerUI>(L"box");
        box->SetDelayedDestroy(false);
        host.Update();
    }
    Resources Now()
    {
        size_t children = 0;
        ::EnumChildWindows(host.GetHWND(), &CountWindow, reinterpret_cast<LPARAM>(&children));
        return Resources{ ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS),
                          ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), children, ThreadWindows() };
    }
    // One page: created and activated at its first layout, navigated, then
    // destroyed while its navigation may still be under way.
    void Round(const wchar_t* module, PageHandler& h, bool waitForTheNavigation = false)
    {
        CWebBrowserUI* wb = new CWebBrowserUI;
        if (module != NULL)
            wb->SetModuleName(module);
        wb->SetEventHandler(&h);
        box->Add(wb);
        host.Update();
        wb->Navigate2(L"http://127.0.0.1:9/page");
        if (waitForTheNavigation)
            testsupport::PumpUntil([&] { return h.Count("NavigateError:") > 0; }, 5000);
        testsupport::PumpFor(1);
        box->Remove(wb);
        h.gone = true;
    }

    HostWindow host;
    CContainerUI* box = nullptr;
};

TEST_F(BrowserReliability, TwoHundredRealBrowsersGiveBackEveryObject)
{
    // One page first, navigated to the end, so that what the platform keeps
    // for good once it is used (window classes, caches) is in place.
    PageHandler warm;
    Round(NULL, warm, true);
    ASSERT_EQ(1, warm.Count("NavigateError:"));
    testsupport::PumpFor(100);
    const Resources before = Now();

    std::vector<PageHandler> handlers(kRounds);
    for (int i = 0; i < kRounds; ++i)
        Round(NULL, handlers[i]);
    testsupport::PumpFor(500);
    const Resources after = Now();

    int late = 0;
    for (const PageHandler& h : handlers)
        late += h.late;
    EXPECT_EQ(0, late);
    EXPECT_EQ(0u, after.childWindows);
    EXPECT_EQ(before.threadWindows, after.threadWindows);
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    std::printf("real browsers: %d rounds, windows %u -> %u, GDI %lu -> %lu, USER %lu -> %lu\n", kRounds,
                static_cast<unsigned>(before.threadWindows), static_cast<unsigned>(after.threadWindows),
                static_cast<unsigned long>(before.gdi), static_cast<unsigned long>(after.gdi),
                static_cast<unsigned long>(before.user), static_cast<unsigned long>(after.user));
}

TEST_F(BrowserReliability, TwoHundredTestBrowsersLeaveNoObjectAlive)
{
    MockOcx mock;
    ASSERT_TRUE(mock.Loaded());
    PageHandler warm;
    Round(kMockModule, warm);
    const Resources before = Now();
    const LONG documents = mock.state->liveDocuments;

    std::vector<PageHandler> handlers(kRounds);
    for (int i = 0; i < kRounds; ++i) {
        Round(kMockModule, handlers[i]);
        // Once the control is gone the test browser has no sink left to fire at.
        EXPECT_EQ(nullptr, mock.state->sink);
    }
    testsupport::PumpFor(100);
    const Resources after = Now();
    EXPECT_EQ(kRounds + 1, mock.state->created);
    EXPECT_EQ(kRounds + 1, mock.state->navigations);
    EXPECT_EQ(0, mock.state->liveObjects);
    EXPECT_EQ(documents, mock.state->liveDocuments);
    EXPECT_EQ(0u, after.childWindows);
    EXPECT_EQ(before.threadWindows, after.threadWindows);
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    // The accelerator table the last page's site handed out is gone with it.
    ASSERT_NE(nullptr, mock.state->accel);
    EXPECT_EQ(0, ::CopyAcceleratorTableW(mock.state->accel, NULL, 0));
}

} // namespace
