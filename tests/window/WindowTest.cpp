// Native window wrapper: class registration, message routing, show, modal run,
// centring and closing, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIManager.h"
#include "UIWindow.h"

using namespace SkinUI;

namespace {

const UINT kMsgProbe = WM_APP + 10;
const UINT kMsgCloseFromInside = WM_APP + 11;
const UINT kMsgQuitFromInside = WM_APP + 12;
const UINT kMsgDestroyFromInside = WM_APP + 13;
const UINT kMsgAccelerated = WM_APP + 14;
const UINT kMsgPlain = WM_APP + 15;

typedef std::function<LRESULT(UINT, WPARAM, LPARAM, bool&)> Handler;

struct Seen
{
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that records what it is given and lets a test react to messages.
class TestWnd final : public CWindowWnd
{
public:
    explicit TestWnd(const std::wstring& cls, const wchar_t* super = NULL, UINT style = 0)
        : m_cls(cls), m_super(super), m_style(style)
    {
    }
    ~TestWnd()
    {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }

    LPCTSTR GetWindowClassName() const override { return m_cls.c_str(); }
    LPCTSTR GetSuperClassName() const override { return m_super; }
    UINT GetClassStyle() const override { return m_style; }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        Seen s = { uMsg, wParam, lParam };
        seen.push_back(s);
        if (handler) {
            bool handled = false;
            LRESULT r = handler(uMsg, wParam, lParam, handled);
            if (handled)
                return r;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    void OnWindowDestroyed(HWND hWnd) override
    {
        ++destroyedCount;
        destroyedHwnd = hWnd;
        hwndDuringDestroyed = GetHWND();
        userDataDuringDestroyed = ::GetWindowLongPtrW(hWnd, GWLP_USERDATA);
        propDuringDestroyed = ::GetPropW(hWnd, L"WndX");
    }

    bool Saw(UINT msg) const
    {
        for (size_t i = 0; i < seen.size(); i++)
            if (seen[i].msg == msg)
                return true;
        return false;
    }
    const Seen* Find(UINT msg) const
    {
        for (size_t i = 0; i < seen.size(); i++)
            if (seen[i].msg == msg)
                return &seen[i];
        return NULL;
    }

    static WNDPROC OwnClassProc() { return &CWindowWnd::WindowProc; }
    static WNDPROC SuperclassProcOf() { return &CWindowWnd::SuperclassProc; }

    HWND CreatePopup(HWND owner, int x, int y, int cx, int cy, DWORD style = WS_POPUP)
    {
        return Create(owner, L"test", style, 0, x, y, cx, cy);
    }

    std::vector<Seen> seen;
    Handler handler;
    int destroyedCount = 0;
    HWND destroyedHwnd = NULL;
    HWND hwndDuringDestroyed = (HWND)1;
    LONG_PTR userDataDuringDestroyed = -1;
    HANDLE propDuringDestroyed = (HANDLE)1;

private:
    std::wstring m_cls;
    const wchar_t* m_super;
    UINT m_style;
};

// A window that keeps the base class's own class style.
class PlainWnd final : public CWindowWnd
{
public:
    LPCTSTR GetWindowClassName() const override { return L"SkinUITest.Plain"; }
    ~PlainWnd()
    {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }
};

// A heap window that deletes itself once its window is gone. Its memory is
// not given back but filled with a poison pattern, so that any later read of
// the object sees the pattern and any later write changes it.
class SelfDeletingWnd final : public CWindowWnd
{
public:
    SelfDeletingWnd(const wchar_t* cls, bool* deleted) : m_cls(cls), m_deleted(deleted) {}
    ~SelfDeletingWnd() { *m_deleted = true; }

    static void* operator new(size_t n) { return ::operator new(n); }
    static void operator delete(void* p, size_t n)
    {
        UINT_PTR* words = static_cast<UINT_PTR*>(p);
        for (size_t i = 0; i < n / sizeof(UINT_PTR); i++)
            words[i] = s_poison;
        s_block = p;
        s_size = n;
    }
    static bool BlockStillPoisoned()
    {
        const UINT_PTR* words = static_cast<const UINT_PTR*>(s_block);
        for (size_t i = 0; i < s_size / sizeof(UINT_PTR); i++)
            if (words[i] != s_poison)
                return false;
        return s_block != NULL;
    }
    static void ReleaseBlock()
    {
        ::operator delete(s_block);
        s_block = NULL;
        s_size = 0;
    }

    LPCTSTR GetWindowClassName() const override { return m_cls; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CREATE && failCreate)
            return -1;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnWindowDestroyed(HWND) override { delete this; }

    bool failCreate = false;
    static UINT_PTR s_poison;
    static void* s_block;
    static size_t s_size;

private:
    const wchar_t* m_cls;
    bool* m_deleted;
};

UINT_PTR SelfDeletingWnd::s_poison = 0;
void* SelfDeletingWnd::s_block = NULL;
size_t SelfDeletingWnd::s_size = 0;

// Ends a modal loop that would otherwise never end, so a broken loop fails
// the test instead of hanging it.
struct ModalWatchdog
{
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD)
    {
        fired = true;
        ::PostQuitMessage(99);
    }
    ModalWatchdog() { fired = false; id = ::SetTimer(NULL, 0, 5000, &ModalWatchdog::Fire); }
    ~ModalWatchdog()
    {
        ::KillTimer(NULL, id);
        MSG msg;
        if (fired)
            ::PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    UINT_PTR id;
    static bool fired;
};
bool ModalWatchdog::fired = false;

RECT WorkAreaOf(HWND hWnd)
{
    MONITORINFO mi;
    ZeroMemory(&mi, sizeof(mi));
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

RECT WindowRect(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    return rc;
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(GetModuleHandleW(NULL));
        testsupport::PumpFor(0);
    }
    void TearDown() override { testsupport::PumpFor(0); }
};

// ---------------------------------------------------------------------------
// Registration and message routing
// ---------------------------------------------------------------------------

TEST_F(WindowTest, OwnClassIsRegisteredOnceWithTheFixedContract)
{
    const wchar_t* cls = L"SkinUITest.Own";
    TestWnd first(cls, NULL, CS_DBLCLKS | CS_HREDRAW);
    HWND h1 = first.CreatePopup(NULL, 10, 10, 100, 80);
    ASSERT_TRUE(h1 != NULL);
    EXPECT_EQ(h1, first.GetHWND());

    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    ATOM atom = (ATOM)GetClassInfoExW(GetModuleHandleW(NULL), cls, &wc);
    ASSERT_NE(0, atom);
    EXPECT_EQ((UINT)(CS_DBLCLKS | CS_HREDRAW), wc.style);
    EXPECT_EQ(LoadCursorW(NULL, IDC_ARROW), wc.hCursor);
    EXPECT_TRUE(wc.hbrBackground == NULL);
    EXPECT_TRUE(wc.hIcon == NULL);
    EXPECT_TRUE(wc.lpszMenuName == NULL);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);
    EXPECT_EQ(TestWnd::OwnClassProc(), wc.lpfnWndProc);

    // The object lives in the user data, not in the superclass property.
    EXPECT_EQ((LONG_PTR)&first, GetWindowLongPtrW(h1, GWLP_USERDATA));
    EXPECT_TRUE(GetPropW(h1, L"WndX") == NULL);

    // A second object of the same class name: the class is already there and
    // stays as it was (the other style is not applied).
    TestWnd second(cls, NULL, CS_VREDRAW);
    HWND h2 = second.CreatePopup(NULL, 20, 20, 100, 80);
    ASSERT_TRUE(h2 != NULL);
    EXPECT_NE(h1, h2);
    WNDCLASSEXW wc2;
    ZeroMemory(&wc2, sizeof(wc2));
    wc2.cbSize = sizeof(wc2);
    EXPECT_EQ(atom, (ATOM)GetClassInfoExW(GetModuleHandleW(NULL), cls, &wc2));
    EXPECT_EQ(wc.style, wc2.style);
    EXPECT_EQ((LONG_PTR)&second, GetWindowLongPtrW(h2, GWLP_USERDATA));
}

TEST_F(WindowTest, BaseClassStyleIsZero)
{
    PlainWnd w;
    ASSERT_TRUE(w.Create(NULL, L"plain", WS_POPUP, 0, 0, 0, 50, 50) != NULL);
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    ASSERT_NE(0, GetClassInfoExW(GetModuleHandleW(NULL), L"SkinUITest.Plain", &wc));
    EXPECT_EQ(0u, wc.style);
}

LRESULT CALLBACK OwnBaseProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kMsgProbe)
        return 77;
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

struct SuperclassCase
{
    const char* name;
    const wchar_t* base;
    const wchar_t* cls;
    UINT probeMsg;     // answered by the base class's own procedure
    WPARAM probeParam;
    LRESULT probeResult;
    UINT readMsg;      // 0: the probe's answer is the result
};

TEST_F(WindowTest, SuperclassKeepsTheBaseClassAndRoutesThroughItsProcedure)
{
    // An application class of the module, found after the system classes.
    WNDCLASSW own;
    ZeroMemory(&own, sizeof(own));
    own.style = CS_HREDRAW;
    own.lpfnWndProc = OwnBaseProc;
    own.cbWndExtra = 8;
    own.hInstance = GetModuleHandleW(NULL);
    own.hCursor = LoadCursorW(NULL, IDC_CROSS);
    own.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    own.lpszClassName = L"SkinUITest.AppBase";
    ASSERT_NE(0, RegisterClassW(&own));

    const SuperclassCase cases[] = {
        { "system EDIT", L"EDIT", L"SkinUITest.SuperEdit", EM_SETLIMITTEXT, 17, 17, EM_GETLIMITTEXT },
        { "module class", L"SkinUITest.AppBase", L"SkinUITest.SuperApp", kMsgProbe, 0, 77, 0 },
    };
    for (const SuperclassCase& c : cases) {
        SCOPED_TRACE(c.name);
        WNDCLASSEXW base;
        ZeroMemory(&base, sizeof(base));
        base.cbSize = sizeof(base);
        if (!GetClassInfoExW(NULL, c.base, &base)) {
            ASSERT_NE(0, GetClassInfoExW(GetModuleHandleW(NULL), c.base, &base));
        }

        TestWnd w(c.cls, c.base);
        HWND h = w.CreatePopup(NULL, 0, 0, 120, 30);
        ASSERT_TRUE(h != NULL);

        WNDCLASSEXW wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.cbSize = sizeof(wc);
        ASSERT_NE(0, GetClassInfoExW(GetModuleHandleW(NULL), c.cls, &wc));
        EXPECT_EQ(base.style, wc.style);
        EXPECT_EQ(base.hCursor, wc.hCursor);
        EXPECT_EQ(base.hbrBackground, wc.hbrBackground);
        EXPECT_EQ(base.cbClsExtra, wc.cbClsExtra);
        EXPECT_EQ(base.cbWndExtra, wc.cbWndExtra);
        EXPECT_EQ(TestWnd::SuperclassProcOf(), wc.lpfnWndProc);

        // The object is kept in the property, the user data stays free.
        EXPECT_EQ((HANDLE)&w, GetPropW(h, L"WndX"));
        EXPECT_EQ(0, GetWindowLongPtrW(h, GWLP_USERDATA));

        // Unhandled messages reach the base class's procedure.
        LRESULT r = w.SendMsg(c.probeMsg, c.probeParam, 0);
        if (c.readMsg != 0)
            r = w.SendMsg(c.readMsg, 0, 0);
        EXPECT_EQ(c.probeResult, r);
        EXPECT_TRUE(w.Saw(c.probeMsg));
    }
}

TEST_F(WindowTest, SuperclassOfMissingClassCreatesNothing)
{
    const wchar_t* cls = L"SkinUITest.SuperMissing";
    TestWnd w(cls, L"SkinUITest.NoSuchBaseClass");
    EXPECT_TRUE(w.CreatePopup(NULL, 0, 0, 50, 50) == NULL);
    EXPECT_TRUE(w.GetHWND() == NULL);
    EXPECT_TRUE(w.seen.empty());
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    EXPECT_EQ(0, GetClassInfoExW(GetModuleHandleW(NULL), cls, &wc));
    EXPECT_TRUE(FindWindowW(cls, NULL) == NULL);
}

std::vector<UINT>* g_hookLog = NULL;
const wchar_t* g_hookClass = NULL;

LRESULT CALLBACK RecordCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && g_hookLog != NULL) {
        const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
        wchar_t name[64] = { 0 };
        GetClassNameW(cwp->hwnd, name, 63);
        if (lstrcmpW(name, g_hookClass) == 0)
            g_hookLog->push_back(cwp->message);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(WindowTest, MessagesBeforeNcCreateDoNotReachTheObject)
{
    const wchar_t* cls = L"SkinUITest.Early";
    std::vector<UINT> all;
    g_hookLog = &all;
    g_hookClass = cls;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordCallWndProc, NULL, GetCurrentThreadId());
    ASSERT_TRUE(hook != NULL);

    TestWnd w(cls);
    HWND h = w.Create(NULL, L"early", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200, 150);
    UnhookWindowsHookEx(hook);
    g_hookLog = NULL;
    ASSERT_TRUE(h != NULL);

    // The window got at least one message before WM_NCCREATE (the platform
    // asks for the min/max info first); the object's first one is WM_NCCREATE.
    auto nc = std::find(all.begin(), all.end(), (UINT)WM_NCCREATE);
    ASSERT_TRUE(nc != all.end());
    EXPECT_GT(nc - all.begin(), 0);
    ASSERT_FALSE(w.seen.empty());
    EXPECT_EQ((UINT)WM_NCCREATE, w.seen[0].msg);
    EXPECT_TRUE(w.Saw(WM_CREATE));
}

struct DestroyCase
{
    const char* name;
    const wchar_t* cls;
    const wchar_t* super;
};

TEST_F(WindowTest, WindowForgetsTheObjectAtNcDestroy)
{
    const DestroyCase cases[] = {
        { "own class", L"SkinUITest.DestroyOwn", NULL },
        { "superclass", L"SkinUITest.DestroySuper", L"STATIC" },
    };
    for (const DestroyCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestWnd w(c.cls, c.super);
        HWND h = w.CreatePopup(NULL, 0, 0, 60, 40);
        ASSERT_TRUE(h != NULL);
        DestroyWindow(h);
        EXPECT_EQ(1, w.destroyedCount);
        EXPECT_EQ(h, w.destroyedHwnd);
        EXPECT_TRUE(w.hwndDuringDestroyed == NULL);
        EXPECT_TRUE(w.GetHWND() == NULL);
        EXPECT_EQ(0, w.userDataDuringDestroyed);
        EXPECT_TRUE(w.propDuringDestroyed == NULL);
        // WM_DESTROY is the object's last message; WM_NCDESTROY goes straight
        // to the previous procedure.
        EXPECT_TRUE(w.Saw(WM_DESTROY));
        EXPECT_FALSE(w.Saw(WM_NCDESTROY));
    }
}

TEST_F(WindowTest, ObjectDeletingItselfInOnWindowDestroyedIsNeverTouchedAgain)
{
    struct Case
    {
        const char* name;
        bool failCreate;
    };
    const Case cases[] = { { "destroyed window", false }, { "creation refused in WM_CREATE", true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool deleted = false;
        SelfDeletingWnd::s_poison = 0xA5A5A5A5;
        SelfDeletingWnd* w = new SelfDeletingWnd(L"SkinUITest.SelfDelete", &deleted);
        w->failCreate = c.failCreate;
        HWND h = w->Create(NULL, L"self", WS_POPUP, 0, 0, 0, 50, 50);
        if (c.failCreate) {
            EXPECT_TRUE(h == NULL);
        } else {
            ASSERT_TRUE(h != NULL);
            EXPECT_FALSE(deleted);
            DestroyWindow(h);
        }
        EXPECT_TRUE(deleted);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_TRUE(SelfDeletingWnd::BlockStillPoisoned());
        SelfDeletingWnd::ReleaseBlock();
    }
}

TEST_F(WindowTest, CreateWithRectUsesTheRectangle)
{
    TestWnd w(L"SkinUITest.Rect");
    RECT rc = { 10, 20, 110, 70 };
    HWND h = w.CreateWithRect(NULL, L"rect", WS_POPUP, 0, rc);
    ASSERT_TRUE(h != NULL);
    RECT got = WindowRect(h);
    EXPECT_EQ(10, got.left);
    EXPECT_EQ(20, got.top);
    EXPECT_EQ(110, got.right);
    EXPECT_EQ(70, got.bottom);
}

// ---------------------------------------------------------------------------
// Show, close, send and post
// ---------------------------------------------------------------------------

TEST_F(WindowTest, ShowHidesShowsAndActivatesOnlyWhenAsked)
{
    TestWnd a(L"SkinUITest.ShowA");
    TestWnd b(L"SkinUITest.ShowB");
    ASSERT_TRUE(a.CreatePopup(NULL, 0, 0, 100, 100) != NULL);
    ASSERT_TRUE(b.CreatePopup(NULL, 200, 0, 100, 100) != NULL);
    ASSERT_TRUE(GetActiveWindow() == NULL) << "no window of this thread is active yet";

    a.Show(true, false);
    EXPECT_TRUE(IsWindowVisible(a.GetHWND()));
    EXPECT_TRUE(GetActiveWindow() == NULL) << "shown without activation";

    b.Show(true, true);
    EXPECT_TRUE(IsWindowVisible(b.GetHWND()));
    EXPECT_EQ(b.GetHWND(), GetActiveWindow());

    a.Show(false);
    EXPECT_FALSE(IsWindowVisible(a.GetHWND()));

    // Without a window nothing happens.
    TestWnd none(L"SkinUITest.ShowNone");
    none.Show(true, true);
    none.Close(3);
    EXPECT_TRUE(none.seen.empty());
}

TEST_F(WindowTest, ClosePostsWmCloseWithTheResult)
{
    TestWnd w(L"SkinUITest.Close");
    HWND h = w.CreatePopup(NULL, 0, 0, 50, 50);
    ASSERT_TRUE(h != NULL);
    w.Close(5);
    EXPECT_FALSE(w.Saw(WM_CLOSE)) << "posted, not sent";
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !IsWindow(h); }, 2000));
    const Seen* close = w.Find(WM_CLOSE);
    ASSERT_TRUE(close != NULL);
    EXPECT_EQ(5u, close->wParam);
    EXPECT_EQ(0, close->lParam);
}

TEST_F(WindowTest, SendAndPostReachTheOwnWindow)
{
    TestWnd w(L"SkinUITest.SendPost");
    ASSERT_TRUE(w.CreatePopup(NULL, 0, 0, 50, 50) != NULL);
    w.handler = [](UINT m, WPARAM wp, LPARAM lp, bool& handled) -> LRESULT {
        if (m == kMsgProbe) {
            handled = true;
            return (LRESULT)(wp + lp);
        }
        return 0;
    };
    EXPECT_EQ(1234, w.SendMsg(kMsgProbe, 1000, 234));
    EXPECT_NE(0, w.PostMsg(kMsgProbe, 1, 2));
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] {
            return std::any_of(w.seen.begin(), w.seen.end(),
                               [](const Seen& s) { return s.msg == kMsgProbe && s.lParam == 2; });
        },
        2000));

    // The base behaviour hands messages to DefWindowProcW.
    w.SendMsg(WM_SETTEXT, 0, (LPARAM)L"caption");
    wchar_t text[32] = { 0 };
    w.SendMsg(WM_GETTEXT, 32, (LPARAM)text);
    EXPECT_STREQ(L"caption", text);

    // Without a window, posting does not turn into a thread message.
    DestroyWindow(w.GetHWND());
    EXPECT_EQ(0, w.PostMsg(kMsgProbe, 0, 0));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, (HWND)-1, kMsgProbe, kMsgProbe, PM_REMOVE));
}

// ---------------------------------------------------------------------------
// Modal run
// ---------------------------------------------------------------------------

// The modal windows share one active owner (the platform here cannot move
// the activation between top-level windows, and each active window costs a
// wait when it goes).
class ModalTest : public WindowTest
{
protected:
    static void SetUpTestSuite()
    {
        CUIManager::SetInstance(GetModuleHandleW(NULL));
        owner = new TestWnd(L"SkinUITest.Owner");
        if (owner->CreatePopup(NULL, 0, 0, 300, 200) != NULL)
            owner->Show(true, true);
    }
    static void TearDownTestSuite()
    {
        delete owner;
        owner = NULL;
    }
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(owner != NULL && IsWindow(owner->GetHWND()));
        ASSERT_EQ(owner->GetHWND(), GetActiveWindow());
        ASSERT_TRUE(IsWindowEnabled(owner->GetHWND()));
    }
    static TestWnd* owner;
};
TestWnd* ModalTest::owner = NULL;

TEST_F(ModalTest, CloseResultIsReturnedAndOwnerIsBackBeforeTheWindowGoes)
{
    HWND hOwner = owner->GetHWND();
    TestWnd modal(L"SkinUITest.Modal");
    ASSERT_TRUE(modal.CreatePopup(hOwner, 50, 50, 100, 80) != NULL);
    ASSERT_EQ(hOwner, GetWindow(modal.GetHWND(), GW_OWNER));

    BOOL ownerEnabledInLoop = TRUE;
    BOOL ownerEnabledAtClose = FALSE;
    HWND focusAtClose = NULL;
    BOOL modalAliveAtClose = FALSE;
    modal.handler = [&](UINT m, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (m == kMsgCloseFromInside) {
            ownerEnabledInLoop = IsWindowEnabled(hOwner);
            modal.Close(2);
            handled = true;
        } else if (m == WM_CLOSE) {
            ownerEnabledAtClose = IsWindowEnabled(hOwner);
            focusAtClose = GetFocus();
            modalAliveAtClose = IsWindow(modal.GetHWND());
        }
        return 0;
    };
    modal.PostMsg(kMsgCloseFromInside);

    ModalWatchdog dog;
    UINT result = modal.ShowModal();
    EXPECT_FALSE(ModalWatchdog::fired);
    EXPECT_EQ(2u, result);
    EXPECT_FALSE(ownerEnabledInLoop) << "the owner is disabled while the modal window runs";
    EXPECT_TRUE(ownerEnabledAtClose) << "the owner is enabled before WM_CLOSE is dispatched";
    EXPECT_EQ(hOwner, focusAtClose);
    EXPECT_TRUE(modalAliveAtClose);
    EXPECT_TRUE(modal.GetHWND() == NULL);
    EXPECT_TRUE(IsWindowEnabled(hOwner));
}

TEST_F(ModalTest, QuitDuringModalRunEndsTheLoopAndIsPostedAgain)
{
    HWND hOwner = owner->GetHWND();
    TestWnd modal(L"SkinUITest.ModalQuit");
    ASSERT_TRUE(modal.CreatePopup(hOwner, 50, 50, 100, 80) != NULL);
    modal.handler = [&](UINT m, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (m == kMsgQuitFromInside) {
            PostQuitMessage(7);
            handled = true;
        }
        return 0;
    };
    modal.PostMsg(kMsgQuitFromInside);

    UINT result = modal.ShowModal();
    EXPECT_EQ(0u, result);
    EXPECT_TRUE(IsWindow(modal.GetHWND())) << "the window was not closed";
    EXPECT_TRUE(IsWindowEnabled(hOwner));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(ModalTest, WindowDestroyedWithoutWmCloseGivesZero)
{
    HWND hOwner = owner->GetHWND();
    TestWnd modal(L"SkinUITest.ModalDestroy");
    ASSERT_TRUE(modal.CreatePopup(hOwner, 50, 50, 100, 80) != NULL);
    modal.handler = [&](UINT m, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (m == kMsgDestroyFromInside) {
            DestroyWindow(modal.GetHWND());
            handled = true;
        }
        return 0;
    };
    modal.PostMsg(kMsgDestroyFromInside);
    ModalWatchdog dog;
    EXPECT_EQ(0u, modal.ShowModal());
    EXPECT_FALSE(ModalWatchdog::fired);
    EXPECT_TRUE(IsWindowEnabled(hOwner));
}

TEST_F(ModalTest, WindowWithoutOwnerRunsModally)
{
    TestWnd modal(L"SkinUITest.ModalAlone");
    ASSERT_TRUE(modal.CreatePopup(NULL, 50, 50, 100, 80) != NULL);
    ASSERT_TRUE(GetWindow(modal.GetHWND(), GW_OWNER) == NULL);
    modal.Close(3);
    ModalWatchdog dog;
    EXPECT_EQ(3u, modal.ShowModal());
    EXPECT_FALSE(ModalWatchdog::fired);
    EXPECT_TRUE(IsWindowEnabled(owner->GetHWND())) << "an unrelated window is left alone";
}

TEST_F(ModalTest, ModalWindowDeletingItselfIsNotUsedAfterItsDeletion)
{
    HWND hOwner = owner->GetHWND();
    bool deleted = false;
    // A stale read of the object's handle would find the (live) owner window
    // and keep the loop running; the watchdog would end it.
    SelfDeletingWnd::s_poison = (UINT_PTR)hOwner;
    SelfDeletingWnd* modal = new SelfDeletingWnd(L"SkinUITest.ModalSelfDelete", &deleted);
    HWND h = modal->Create(hOwner, L"modal", WS_POPUP, 0, 50, 50, 100, 80);
    ASSERT_TRUE(h != NULL);
    modal->Close(2);

    ModalWatchdog dog;
    UINT result = modal->ShowModal();
    EXPECT_FALSE(ModalWatchdog::fired);
    EXPECT_EQ(2u, result);
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(IsWindowEnabled(hOwner));
    EXPECT_TRUE(SelfDeletingWnd::BlockStillPoisoned());
    SelfDeletingWnd::ReleaseBlock();
}

// Consumes one message kind for the window's manager.
class ConsumingAccelerator final : public ITranslateAccelerator
{
public:
    explicit ConsumingAccelerator(UINT msg) : m_msg(msg) {}
    LRESULT TranslateAccelerator(MSG* pMsg) override
    {
        if (pMsg->message != m_msg)
            return S_FALSE;
        ++consumed;
        return S_OK;
    }
    int consumed = 0;

private:
    UINT m_msg;
};

TEST_F(ModalTest, ModalLoopOffersMessagesToTheUiLibraryFirst)
{
    HWND hOwner = owner->GetHWND();
    TestWnd modal(L"SkinUITest.ModalAccel");
    ASSERT_TRUE(modal.CreatePopup(hOwner, 50, 50, 100, 80) != NULL);
    CUIManager manager;
    manager.Init(modal.GetHWND());
    ConsumingAccelerator accel(kMsgAccelerated);
    ASSERT_TRUE(manager.AddAccelerator(&accel));

    modal.PostMsg(kMsgAccelerated);
    modal.PostMsg(kMsgPlain);
    modal.Close(4);
    ModalWatchdog dog;
    EXPECT_EQ(4u, modal.ShowModal());
    EXPECT_EQ(1, accel.consumed);
    EXPECT_FALSE(modal.Saw(kMsgAccelerated)) << "consumed by the UI library";
    EXPECT_TRUE(modal.Saw(kMsgPlain));
}

// ---------------------------------------------------------------------------
// Centring
// ---------------------------------------------------------------------------

struct CenterCase
{
    const char* name;
    bool withOwner;
    // Owner rectangle as offsets from the work area: left/top from its
    // left/top, right/bottom from its right/bottom when the flag says so.
    int ol, ot, or_, ob;
    bool ownerAtFarEdges;
    // Window size; a negative value is that much wider/taller than the work area.
    int w, h;
};

TEST_F(WindowTest, CenterPlacesTheWindowInsideTheWorkArea)
{
    const CenterCase cases[] = {
        { "no owner: centred on the work area", false, 0, 0, 0, 0, false, 301, 201 },
        { "no owner, wider than the work area", false, 0, 0, 0, 0, false, -100, 100 },
        { "no owner, taller than the work area", false, 0, 0, 0, 0, false, 100, -50 },
        { "centred on the owner", true, 100, 100, 500, 400, false, 200, 100 },
        { "owner at the bottom right", true, -100, -80, 0, 0, true, 300, 300 },
        { "owner at the top left", true, 0, 0, 100, 80, false, 300, 300 },
    };
    TestWnd probe(L"SkinUITest.CenterProbe");
    ASSERT_TRUE(probe.CreatePopup(NULL, 0, 0, 10, 10) != NULL);
    const RECT work = WorkAreaOf(probe.GetHWND());
    const int workW = work.right - work.left;
    const int workH = work.bottom - work.top;

    for (const CenterCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int w = c.w < 0 ? workW - c.w : c.w;
        const int h = c.h < 0 ? workH - c.h : c.h;

        TestWnd ownerWnd(L"SkinUITest.CenterOwner");
        RECT center = work;
        if (c.withOwner) {
            RECT orc;
            if (c.ownerAtFarEdges)
                orc = { work.right + c.ol, work.bottom + c.ot, work.right + c.or_, work.bottom + c.ob };
            else
                orc = { work.left + c.ol, work.top + c.ot, work.left + c.or_, work.top + c.ob };
            ASSERT_TRUE(ownerWnd.CreateWithRect(NULL, L"owner", WS_POPUP, 0, orc) != NULL);
            center = WindowRect(ownerWnd.GetHWND());
        }
        TestWnd w1(L"SkinUITest.Center");
        HWND h1 = w1.CreatePopup(c.withOwner ? ownerWnd.GetHWND() : NULL, 7, 9, w, h);
        ASSERT_TRUE(h1 != NULL);
        RECT before = WindowRect(h1);
        ASSERT_EQ(w, before.right - before.left);
        ASSERT_EQ(h, before.bottom - before.top);

        w1.Center();

        int x = (center.left + center.right) / 2 - w / 2;
        int y = (center.top + center.bottom) / 2 - h / 2;
        if (x < work.left)
            x = work.left;
        else if (x + w > work.right)
            x = work.right - w;
        if (y < work.top)
            y = work.top;
        else if (y + h > work.bottom)
            y = work.bottom - h;
        RECT after = WindowRect(h1);
        EXPECT_EQ(x, after.left);
        EXPECT_EQ(y, after.top);
        EXPECT_EQ(w, after.right - after.left) << "the size is kept";
        EXPECT_EQ(h, after.bottom - after.top);
    }
}

TEST_F(WindowTest, CenterClampsToTheWorkAreaEdges)
{
    // The same rules as fixed points: a window wider than the work area lands
    // at its left edge; an owner hanging over the far corner pulls the window
    // only as far as the work area's right and bottom edges.
    TestWnd probe(L"SkinUITest.CenterProbe2");
    ASSERT_TRUE(probe.CreatePopup(NULL, 0, 0, 10, 10) != NULL);
    const RECT work = WorkAreaOf(probe.GetHWND());

    TestWnd wide(L"SkinUITest.CenterWide");
    ASSERT_TRUE(wide.CreatePopup(NULL, 3, 3, (work.right - work.left) + 40, 60) != NULL);
    wide.Center();
    EXPECT_EQ(work.left, WindowRect(wide.GetHWND()).left);

    TestWnd ownerWnd(L"SkinUITest.CenterOwner2");
    RECT orc = { work.right - 50, work.bottom - 50, work.right + 150, work.bottom + 150 };
    ASSERT_TRUE(ownerWnd.CreateWithRect(NULL, L"owner", WS_POPUP, 0, orc) != NULL);
    TestWnd owned(L"SkinUITest.CenterOwned");
    ASSERT_TRUE(owned.CreatePopup(ownerWnd.GetHWND(), 0, 0, 120, 90) != NULL);
    owned.Center();
    RECT r = WindowRect(owned.GetHWND());
    EXPECT_EQ(work.right, r.right);
    EXPECT_EQ(work.bottom, r.bottom);
}

} // namespace
