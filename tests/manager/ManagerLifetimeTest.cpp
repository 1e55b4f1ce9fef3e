// Notifications (immediate and queued), timers, deferred deletion and the
// lifetime hazards around them: controls and windows that go away while the
// manager is still delivering to them, timer ids that wrap, layout that never
// settles.
#include "ManagerFixture.h"

#include <string>
#include <vector>

#include "UIDelegate.h"

using namespace SkinUI;
using namespace mgrtest;

namespace {

// Records calls of a control's own notify handlers.
class NotifyHook
{
public:
    explicit NotifyHook(std::vector<std::wstring>* order) : m_order(order) {}
    bool OnNotify(void* param)
    {
        UINotify* msg = static_cast<UINotify*>(param);
        m_order->push_back(L"handler:" + std::wstring(msg->sType.GetData()));
        return true;
    }

private:
    std::vector<std::wstring>* m_order;
};

class OrderedNotifier : public INotifyUI
{
public:
    OrderedNotifier(std::vector<std::wstring>* order, const wchar_t* name) : m_order(order), m_name(name) {}
    void Notify(UINotify& msg) override
    {
        m_order->push_back(m_name + L":" + msg.sType.GetData());
        senders.push_back(msg.pSender);
        if (onNotify) {
            std::function<void(UINotify&)> fn = onNotify;
            fn(msg);
        }
    }
    std::vector<CControlUI*> senders;
    std::function<void(UINotify&)> onNotify;

private:
    std::vector<std::wstring>* m_order;
    std::wstring m_name;
};

class ManagerTreeTest : public ManagerTest
{
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        root = AttachProbeRoot();
        a = root->Add(new CProbeUI(&j, L"a", Rc(10, 10, 60, 60)));
        b = root->Add(new CProbeUI(&j, L"b", Rc(100, 10, 150, 60)));
        Attach(root);
    }
    // Takes a control out of the probe tree and deletes it now.
    void DeleteNow(CProbeUI* p)
    {
        static_cast<CProbeUI*>(p->GetParent())->Detach(p);
        delete p;
    }
    CProbeUI* root = NULL;
    CProbeUI* a = NULL;
    CProbeUI* b = NULL;
};

// ---------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------
TEST_F(ManagerTreeTest, SenderHandlersComeBeforeTheNotifiersInOrder)
{
    std::vector<std::wstring> order;
    NotifyHook hook(&order);
    a->NotifyHandlers.AddHandler(CDelegate<NotifyHook, NotifyHook>(&hook, &NotifyHook::OnNotify));
    OrderedNotifier n1(&order, L"n1"), n2(&order, L"n2");
    pm().RemoveNotifier(&rec);
    ASSERT_TRUE(pm().AddNotifier(&n1));
    ASSERT_TRUE(pm().AddNotifier(&n2));
    Send(WM_MOUSEMOVE, 0, Pt(12, 34));

    pm().SendNotify(a, L"click", 5, 6);
    const std::vector<std::wstring> want = { L"handler:click", L"n1:click", L"n2:click" };
    EXPECT_EQ(want, order);

    // The record: the mouse point and time of the dispatch, the parameters.
    UINotify seen;
    n2.onNotify = [&seen](UINotify& m) {
        seen.sType = m.sType;
        seen.pSender = m.pSender;
        seen.ptMouse = m.ptMouse;
        seen.wParam = m.wParam;
        seen.lParam = m.lParam;
        seen.dwTimestamp = m.dwTimestamp;
    };
    pm().SendNotify(b, L"selectchanged", 7, 8);
    EXPECT_STREQ(L"selectchanged", seen.sType.GetData());
    EXPECT_EQ(b, seen.pSender);
    EXPECT_EQ(12, seen.ptMouse.x);
    EXPECT_EQ(34, seen.ptMouse.y);
    EXPECT_EQ(7u, seen.wParam);
    EXPECT_EQ(8, seen.lParam);
    EXPECT_NE(0u, seen.dwTimestamp);

    // A notifier that removes itself while called does not make the next
    // one miss the notification.
    order.clear();
    n1.onNotify = [this, &n1](UINotify&) { pm().RemoveNotifier(&n1); };
    pm().SendNotify(NULL, L"timer");
    pm().SendNotify(NULL, L"menu");
    const std::vector<std::wstring> want2 = { L"n1:timer", L"n2:timer", L"n2:menu" };
    EXPECT_EQ(want2, order);
    EXPECT_FALSE(pm().RemoveNotifier(&n1));
    pm().RemoveNotifier(&n2);
}

TEST_F(ManagerTreeTest, VirtualWindowNameTravelsWhenInUse)
{
    std::wstring name = L"unset";
    rec.onNotify = [&name](UINotify& m) { name = m.sVirtualWnd.GetData(); };
    a->SetVirtualWnd(L"pane");
    pm().SendNotify(a, L"click");
    EXPECT_EQ(L"", name);
    pm().SetUseVirtualWindow(true);
    pm().SendNotify(a, L"click");
    EXPECT_EQ(L"pane", name);
    pm().SendNotify(NULL, L"click");
    EXPECT_EQ(L"", name);
}

TEST_F(ManagerTreeTest, QueuedNotificationsWaitForTheNextMessage)
{
    bool inHandler = false;
    bool deliveredInHandler = false;
    rec.onNotify = [&](UINotify&) { deliveredInHandler = deliveredInHandler || inHandler; };

    // Queued during the handling of a handled message: delivered with the
    // next message, not before.
    a->onEvent = [&](CProbeUI* self, UIEvent& ev) {
        if (ev.nKind != UIEventWindowSize)
            return;
        inHandler = true;
        pm().SendNotify(self, L"later", 1, 2, true);
        inHandler = false;
    };
    pm().SetFocus(a);
    rec.notes.clear();
    SetWindowPos(hwnd, NULL, 0, 0, 210, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(1, j.Count(L"a", UIEventWindowSize));
    EXPECT_EQ(0, rec.Count(L"later"));
    PostAndPump(WM_NULL);
    ASSERT_EQ(1, rec.Count(L"later"));
    EXPECT_EQ(a, rec.Last(L"later")->sender);
    EXPECT_EQ(1u, rec.Last(L"later")->wParam);
    EXPECT_EQ(2, rec.Last(L"later")->lParam);

    // Queued by a handler of an unhandled message: delivered once that
    // handler has returned, at the end of the same message.
    a->onEvent = [&](CProbeUI* self, UIEvent& ev) {
        if (ev.nKind != UIEventButtonUp)
            return;
        inHandler = true;
        pm().SendNotify(self, L"clicked-later", 0, 0, true);
        EXPECT_EQ(0, rec.Count(L"clicked-later"));
        inHandler = false;
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(20, 20));
    Send(WM_LBUTTONUP, 0, Pt(20, 20));
    EXPECT_EQ(1, rec.Count(L"clicked-later"));
    EXPECT_FALSE(deliveredInHandler);
}

TEST_F(ManagerTreeTest, QueuedNotificationOfADeletedSenderArrivesWithoutSender)
{
    std::vector<std::wstring> order;
    NotifyHook hook(&order);
    a->NotifyHandlers.AddHandler(CDelegate<NotifyHook, NotifyHook>(&hook, &NotifyHook::OnNotify));
    pm().SendNotify(a, L"gone", 3, 0, true);
    pm().SendNotify(b, L"kept", 4, 0, true);
    DeleteNow(a);
    EXPECT_EQ(0, rec.Count(L"gone"));

    PostAndPump(WM_NULL);
    ASSERT_EQ(2u, rec.notes.size());
    EXPECT_EQ(L"gone", rec.notes[0].type);
    EXPECT_TRUE(rec.notes[0].sender == NULL);
    EXPECT_EQ(3u, rec.notes[0].wParam);
    EXPECT_EQ(L"kept", rec.notes[1].type);
    EXPECT_EQ(b, rec.notes[1].sender);
    EXPECT_TRUE(order.empty()) << "the deleted sender's handlers are not called";
}

TEST_F(ManagerTreeTest, SenderDeletedDuringDispatchIsNullForTheLaterNotifiers)
{
    std::vector<std::wstring> order;
    OrderedNotifier first(&order, L"first"), second(&order, L"second");
    pm().AddNotifier(&first);
    pm().AddNotifier(&second);
    first.onNotify = [this](UINotify& m) {
        if (m.pSender == a)
            DeleteNow(a);
    };
    pm().SendNotify(a, L"click");
    ASSERT_EQ(1u, second.senders.size());
    EXPECT_TRUE(second.senders[0] == NULL);
    EXPECT_EQ(1, j.DeletedCount(L"a"));
    const Note* n = rec.Last(L"click");
    ASSERT_TRUE(n != NULL);
    EXPECT_EQ(a, n->sender) << "the notifier before the deletion saw it";
    pm().RemoveNotifier(&first);
    pm().RemoveNotifier(&second);
}

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------
TEST_F(ManagerTreeTest, TimerIdsStartAtSeventeenAndAreReused)
{
    ASSERT_TRUE(pm().SetTimer(a, 5, 60000));
    EXPECT_FALSE(pm().SetTimer(a, 5, 60000)) << "already live";
    PostAndPump(WM_TIMER, 17);
    ASSERT_EQ(1, j.Count(L"a", UIEventTimer));
    const UIEvent* t = j.Last(L"a", UIEventTimer);
    EXPECT_EQ(a, t->pSender);
    EXPECT_EQ(5u, t->wParam) << "the caller's id";
    PostAndPump(WM_TIMER, 18);
    EXPECT_EQ(1, j.CountKind(UIEventTimer));

    EXPECT_TRUE(pm().KillTimer(a, 5));
    EXPECT_FALSE(pm().KillTimer(a, 5));
    EXPECT_FALSE(pm().KillTimer(b, 5));
    PostAndPump(WM_TIMER, 17);
    EXPECT_EQ(1, j.CountKind(UIEventTimer)) << "a killed timer gets nothing";

    ASSERT_TRUE(pm().SetTimer(a, 5, 60000)) << "re-armed";
    ASSERT_TRUE(pm().SetTimer(b, 5, 60000));
    PostAndPump(WM_TIMER, 17);
    PostAndPump(WM_TIMER, 18);
    EXPECT_EQ(2, j.Count(L"a", UIEventTimer)) << "re-armed with its old id 17";
    EXPECT_EQ(1, j.Count(L"b", UIEventTimer));
    EXPECT_EQ(5u, j.Last(L"b", UIEventTimer)->wParam);

    // Real timers arrive too.
    ASSERT_TRUE(pm().SetTimer(b, 9, 10));
    EXPECT_TRUE(testsupport::PumpUntil(
        [this] {
            const UIEvent* e = j.Last(L"b", UIEventTimer);
            return e != NULL && e->wParam == 9;
        },
        3000));
    pm().KillTimersOf(b);
    EXPECT_FALSE(pm().KillTimer(b, 5)) << "the records are gone";
}

TEST_F(ManagerTreeTest, WrappedTimerIdsNeverHitAHeldOne)
{
    ASSERT_TRUE(pm().SetTimer(a, 1, 60000)); // id 17, kept live
    ASSERT_TRUE(pm().SetTimer(a, 2, 60000)); // id 18, killed but kept for re-arming
    ASSERT_TRUE(pm().KillTimer(a, 2));
    // Go round the id cycle more than twice; at every step 17 still belongs
    // to a alone and 18 to nobody live.
    int aTicks = 0;
    int bTicks = 0;
    for (int i = 0; i < 600; i++) {
        ASSERT_TRUE(pm().SetTimer(b, 1, 60000)) << i;
        j.Clear();
        Send(WM_TIMER, 17);
        Send(WM_TIMER, 18);
        aTicks += j.Count(L"a", UIEventTimer);
        bTicks += j.Count(L"b", UIEventTimer);
        pm().KillTimersOf(b);
    }
    EXPECT_EQ(600, aTicks);
    EXPECT_EQ(0, bTicks);
    ASSERT_TRUE(pm().SetTimer(a, 2, 60000));
    j.Clear();
    Send(WM_TIMER, 18);
    ASSERT_EQ(1, j.Count(L"a", UIEventTimer));
    EXPECT_EQ(2u, j.Last(L"a", UIEventTimer)->wParam) << "18 stayed a's";
}

TEST_F(ManagerTreeTest, AtMost254TimersPerWindow)
{
    int made = 0;
    for (UINT id = 0; id < 300; id++)
        if (pm().SetTimer(a, id, 60000))
            ++made;
    EXPECT_EQ(254, made) << "ids 1..254, never 0";
    PostAndPump(WM_TIMER, 0);
    EXPECT_EQ(0, j.CountKind(UIEventTimer));
    EXPECT_FALSE(pm().SetTimer(b, 1, 60000));
    ASSERT_TRUE(pm().KillTimer(a, 7));
    EXPECT_FALSE(pm().SetTimer(b, 1, 60000)) << "a killed record keeps its id";
    pm().KillTimersOf(a);
    EXPECT_TRUE(pm().SetTimer(b, 1, 60000));
    pm().RemoveAllTimers();
    EXPECT_FALSE(pm().KillTimer(b, 1));
}

TEST_F(ManagerTreeTest, DeletedControlsLoseTheirTimersAndReferences)
{
    ASSERT_TRUE(pm().SetTimer(a, 3, 60000)); // 17
    Send(WM_MOUSEMOVE, 0, Pt(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(20, 20));
    ASSERT_EQ(a, pm().GetFocus());
    pm().AddPostPaint(a);
    DeleteNow(a);
    EXPECT_TRUE(pm().GetFocus() == NULL);
    EXPECT_TRUE(pm().FindControlByName(L"a") == NULL);
    EXPECT_FALSE(pm().RemovePostPaint(a)) << "dropped from the post-paint list";
    j.Clear();
    // None of these may reach the deleted control.
    PostAndPump(WM_TIMER, 17);
    Send(WM_MOUSEMOVE, 0, Pt(120, 20));
    Send(WM_KEYDOWN, 'A', 0);
    Send(WM_LBUTTONUP, 0, Pt(20, 20));
    EXPECT_EQ(0, j.Count(L"a", UIEventTimer));
    EXPECT_EQ(1, j.Count(L"b", UIEventMouseEnter)) << "no leave for the deleted hover control";
    EXPECT_EQ(0, j.CountKind(UIEventMouseLeave));
    ShowAndPaint();
    EXPECT_TRUE(j.postPainted.empty());
}

// ---------------------------------------------------------------------------
// Deferred deletion
// ---------------------------------------------------------------------------
TEST_F(ManagerTreeTest, DelayedCleanupDeletesAtTheCleanupMessageOnce)
{
    CProbeUI* loose = new CProbeUI(&j, L"loose");
    pm().AddDelayedCleanup(loose);
    pm().AddDelayedCleanup(loose);
    EXPECT_EQ(&pm(), loose->GetManager());
    EXPECT_TRUE(loose->GetParent() == NULL);
    EXPECT_EQ(0, j.DeletedCount(L"loose"));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, hwnd, WM_APP + 1, WM_APP + 1, PM_NOREMOVE)) << "WM_APP+1 is posted";
    testsupport::PumpFor(20);
    EXPECT_EQ(1, j.DeletedCount(L"loose"));
    EXPECT_TRUE(wnd->SawUnhandled(WM_APP + 1));

    // A control removed from its own handler: taken out of the tree and
    // queued, it finishes its handler alive and goes with the cleanup.
    bool aliveAfterRemoval = false;
    b->onEvent = [&](CProbeUI* self, UIEvent& ev) {
        if (ev.nKind != UIEventButtonUp)
            return;
        root->Detach(self);
        pm().AddDelayedCleanup(self);
        aliveAfterRemoval = j.DeletedCount(L"b") == 0;
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(110, 20));
    Send(WM_LBUTTONUP, 0, Pt(110, 20));
    EXPECT_TRUE(aliveAfterRemoval);
    EXPECT_EQ(0, j.DeletedCount(L"b"));
    PostAndPump(WM_NULL);
    EXPECT_EQ(1, j.DeletedCount(L"b"));
    EXPECT_TRUE(pm().FindControlByName(L"b") == NULL);
    EXPECT_TRUE(pm().GetFocus() == NULL);
}

TEST_F(ManagerTreeTest, ReplacingTheRootFromItsOwnHandlerDefersTheOldTree)
{
    ShowAndPaint();
    CProbeUI* fresh = new CProbeUI(&j, L"fresh", Rc(0, 0, 0, 0));
    CProbeUI* freshKid = fresh->Add(new CProbeUI(&j, L"freshKid", Rc(0, 0, 30, 30)));
    int deletedDuringHandler = -1;
    a->onEvent = [&](CProbeUI*, UIEvent& ev) {
        if (ev.nKind != UIEventButtonUp)
            return;
        EXPECT_TRUE(pm().AttachRoot(fresh));
        deletedDuringHandler = static_cast<int>(j.deleted.size());
    };
    Send(WM_MOUSEMOVE, 0, Pt(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(20, 20));
    rec.notes.clear();
    Send(WM_LBUTTONUP, 0, Pt(20, 20));
    EXPECT_EQ(0, deletedDuringHandler);
    EXPECT_TRUE(j.deleted.empty()) << "the old tree lives until WM_APP+1";
    EXPECT_EQ(fresh, pm().GetRoot());
    EXPECT_EQ(freshKid, pm().FindControlByName(L"freshKid"));
    EXPECT_TRUE(pm().GetFocus() == NULL);
    EXPECT_EQ(1, rec.Count(L"killfocus"));

    PostAndPump(WM_NULL);
    EXPECT_EQ(1, j.DeletedCount(L"root"));
    EXPECT_EQ(1, j.DeletedCount(L"a"));
    EXPECT_EQ(1, j.DeletedCount(L"b"));
    EXPECT_TRUE(pm().FindControlByName(L"a") == NULL);

    // The new root gets its own "windowinit" at its first paint.
    Repaint();
    ASSERT_EQ(1, rec.Count(L"windowinit"));
    EXPECT_EQ(fresh, rec.Last(L"windowinit")->sender);
}

// ---------------------------------------------------------------------------
// Layout that never settles
// ---------------------------------------------------------------------------
TEST_F(ManagerTreeTest, LayoutPassEndsWhenControlsKeepAskingForLayout)
{
    ShowAndPaint();
    CProbeUI* stubborn = a;
    CProbeUI* other = b;
    stubborn->stickyLayout = true; // SetPos never clears the request
    stubborn->onSetPos = [](CProbeUI* self) { self->AskLayout(); };
    // Two controls that keep asking for each other's layout.
    CProbeUI* ping = root->Add(new CProbeUI(&j, L"ping", Rc(0, 100, 10, 110)));
    CProbeUI* pong = root->Add(new CProbeUI(&j, L"pong", Rc(20, 100, 30, 110)));
    ping->SetManager(&pm(), root, false);
    pong->SetManager(&pm(), root, false);
    ping->onSetPos = [pong](CProbeUI*) { pong->AskLayout(); };
    pong->onSetPos = [ping](CProbeUI*) { ping->AskLayout(); };

    j.Clear();
    stubborn->AskLayout();
    other->AskLayout();
    ping->AskLayout();
    ValidateRect(hwnd, NULL);
    InvalidateRect(hwnd, NULL, FALSE);
    UpdateWindow(hwnd); // returns: the pass is bounded
    EXPECT_EQ(1, j.SetPosCount(L"a")) << "each control at most once per pass";
    EXPECT_EQ(1, j.SetPosCount(L"b")) << "the controls after it are still laid out";
    EXPECT_EQ(1, j.SetPosCount(L"ping"));
    EXPECT_EQ(1, j.SetPosCount(L"pong"));
    RECT rcUpdate;
    EXPECT_TRUE(GetUpdateRect(hwnd, &rcUpdate, FALSE)) << "the rest is left for the next paint";

    // Once the controls settle, so does the window.
    stubborn->stickyLayout = false;
    stubborn->onSetPos = nullptr;
    ping->onSetPos = nullptr;
    pong->onSetPos = nullptr;
    UpdateWindow(hwnd);
    j.Clear();
    UpdateWindow(hwnd);
    EXPECT_TRUE(j.setPos.empty());
    EXPECT_FALSE(GetUpdateRect(hwnd, &rcUpdate, FALSE));
}

// ---------------------------------------------------------------------------
// Windows that delete themselves while the manager is delivering
// ---------------------------------------------------------------------------
HWND g_rescueWindow = NULL;

void CALLBACK RescueProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (IsWindow(g_rescueWindow))
        DestroyWindow(g_rescueWindow);
}

class SelfDeletingWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(GetModuleHandleW(NULL));
        ParkPointer();
    }
};

TEST_F(SelfDeletingWindowTest, ModalWindowDestroyedFromInsideAnyDeliveryIsNeverTouchedAgain)
{
    enum Trigger
    {
        ClickNotify,      // a notifier of a synchronous "click" destroys the window
        QueuedNotify,     // a queued notification, drained at the next message
        TimerEvent,       // a control's timer event
        KillFocusEvent,   // the old focus's KillFocus while another is pressed
        MouseLeaveEvent,  // the hover control's MouseLeave
        MessageFilter,    // a message filter
        WindowInit,       // the notifier of "windowinit" at the first paint
        CloseFromClick,   // the usual way: Close() from the click, WM_CLOSE does the rest
    };
    struct Case
    {
        Trigger trigger;
        const char* name;
    };
    const Case cases[] = {
        { ClickNotify, "click notify" },     { QueuedNotify, "queued notify" }, { TimerEvent, "timer" },
        { KillFocusEvent, "kill focus" },    { MouseLeaveEvent, "mouse leave" }, { MessageFilter, "filter" },
        { WindowInit, "windowinit" },        { CloseFromClick, "Close()" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Journal j;
        int destroyed = 0;
        ManagerWnd* w = new ManagerWnd;
        w->deleteOnDestroy = true;
        w->destroyedCount = &destroyed;
        HWND hwnd = w->Make(60, 60, 200, 150, false);
        ASSERT_TRUE(hwnd != NULL);
        CUIManager& pm = w->pm;

        CProbeUI* root = new CProbeUI(&j, L"root", Rc(0, 0, 200, 150));
        CProbeUI* a = root->Add(new CProbeUI(&j, L"a", Rc(10, 10, 60, 60)));
        CProbeUI* b = root->Add(new CProbeUI(&j, L"b", Rc(100, 10, 150, 60)));
        ASSERT_TRUE(pm.AttachRoot(root));
        root->SetPos(Rc(0, 0, 200, 150));

        RecordingNotifier notifier;
        struct Filter : IMessageFilterUI
        {
            HWND hwnd = NULL;
            bool* fired = NULL;
            LRESULT FilterMessage(UINT uMsg, WPARAM, LPARAM, bool&) override
            {
                if (uMsg == WM_APP + 50 && fired != NULL) {
                    *fired = true;
                    DestroyWindow(hwnd);
                }
                return 0;
            }
        } filter;
        filter.hwnd = hwnd;
        pm.AddNotifier(&notifier);
        bool destroyedByTrigger = false;
        auto destroyNow = [&destroyedByTrigger, hwnd] {
            destroyedByTrigger = true;
            DestroyWindow(hwnd);
        };
        // The probes send "click" from their ButtonUp, as buttons do.
        std::function<void(CProbeUI*, UIEvent&)> clicks = [&pm](CProbeUI* self, UIEvent& ev) {
            if (ev.nKind == UIEventButtonUp)
                pm.SendNotify(self, L"click");
        };
        a->onEvent = clicks;
        b->onEvent = clicks;

        switch (c.trigger) {
        case ClickNotify:
            notifier.onNotify = [&](UINotify& m) {
                if (m.sType == L"click")
                    destroyNow();
            };
            PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Pt(20, 20));
            PostMessageW(hwnd, WM_LBUTTONUP, 0, Pt(20, 20));
            break;
        case QueuedNotify:
            notifier.onNotify = [&](UINotify& m) {
                if (m.sType == L"queued")
                    destroyNow();
            };
            pm.SendNotify(a, L"queued", 0, 0, true);
            PostMessageW(hwnd, WM_NULL, 0, 0);
            break;
        case TimerEvent:
            a->onEvent = [&](CProbeUI*, UIEvent& ev) {
                if (ev.nKind == UIEventTimer)
                    destroyNow();
            };
            ASSERT_TRUE(pm.SetTimer(a, 1, 10));
            break;
        case KillFocusEvent:
            a->onEvent = [&](CProbeUI*, UIEvent& ev) {
                if (ev.nKind == UIEventKillFocus)
                    destroyNow();
            };
            pm.SetFocus(a);
            PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Pt(110, 20));
            break;
        case MouseLeaveEvent:
            a->onEvent = [&](CProbeUI*, UIEvent& ev) {
                if (ev.nKind == UIEventMouseLeave)
                    destroyNow();
            };
            PostMessageW(hwnd, WM_MOUSEMOVE, 0, Pt(20, 20));
            PostMessageW(hwnd, WM_MOUSEMOVE, 0, Pt(110, 20));
            break;
        case MessageFilter:
            filter.fired = &destroyedByTrigger;
            pm.AddMessageFilter(&filter);
            PostMessageW(hwnd, WM_APP + 50, 0, 0);
            break;
        case WindowInit:
            notifier.onNotify = [&](UINotify& m) {
                if (m.sType == L"windowinit")
                    destroyNow();
            };
            break;
        case CloseFromClick:
            notifier.onNotify = [&, w](UINotify& m) {
                if (m.sType == L"click") {
                    destroyedByTrigger = true;
                    w->Close(7);
                }
            };
            PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Pt(20, 20));
            PostMessageW(hwnd, WM_LBUTTONUP, 0, Pt(20, 20));
            break;
        }

        // A way out should the trigger not fire: the window is destroyed later.
        g_rescueWindow = hwnd;
        UINT_PTR rescue = SetTimer(NULL, 0, 4000, RescueProc);
        const UINT result = w->ShowModal(); // w is deleted once this returns
        KillTimer(NULL, rescue);
        EXPECT_EQ(1, destroyed);
        EXPECT_TRUE(destroyedByTrigger);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(1, j.DeletedCount(L"root")) << "the window's manager deleted its tree";
        if (c.trigger == CloseFromClick) {
            EXPECT_EQ(7u, result);
        }
        testsupport::PumpFor(0);
    }
}

} // namespace
