// Controls in a live window: removal and deferred deletion through the paint
// manager, self-removal from an event handler, focus and name bookkeeping,
// bad indexes in a managed tree, invalidation clipped by the ancestors,
// runtime changes of float controls surviving the layout pass, the event
// sources, and setters on controls that have no manager yet.
#include "ControlTestUtil.h"

using namespace SkinUI;
using namespace controltest;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

class LiveTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        ASSERT_TRUE(host.Open(200, 150));
        host.pm.AddNotifier(&recorder);
        root = new CContainerUI;
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.Update();
    }
    void TearDown() override { host.pm.RemoveNotifier(&recorder); }

    // Dispatches the window's messages, the deferred deletion among them.
    void Pump() { PumpFor(50); }

    HostWindow host;
    Recorder recorder;
    DestroyCounter counter;
    CContainerUI* root = nullptr;
};

TEST_F(LiveTreeTest, RemoveDeletesLaterAtOnceOrNeverByTheFlags)
{
    struct Case
    {
        const char* what;
        bool autoDestroy;
        bool delayed;
        bool managed;
        enum { Later, AtOnce, Kept } outcome;
    };
    const Case cases[] = {
        { "defaults in a managed tree", true, true, true, Case::Later },
        { "delayed destroy off", true, false, true, Case::AtOnce },
        { "no manager", true, true, false, Case::AtOnce },
        { "auto destroy off", false, true, true, Case::Kept },
        { "auto destroy off, no manager", false, false, false, Case::Kept },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DestroyCounter counter;   // per case: addresses are reused
        CContainerUI* box = new CContainerUI;
        if (c.managed)
            root->Add(box);
        box->SetAutoDestroy(c.autoDestroy);
        box->SetDelayedDestroy(c.delayed);
        CControlUI* child = new CControlUI;
        counter.Watch(child);
        ASSERT_TRUE(box->Add(child));
        if (c.managed) {
            ASSERT_EQ(&host.pm, child->GetManager());
        }

        ASSERT_TRUE(box->Remove(child));
        EXPECT_EQ(-1, box->GetItemIndex(child)) << "out of the list at once";
        EXPECT_EQ(c.outcome == Case::AtOnce, counter.Gone(child));
        Pump();
        EXPECT_EQ(c.outcome != Case::Kept, counter.Gone(child)) << "after the cleanup message";
        if (c.outcome == Case::Kept)
            delete child;
        if (c.managed)
            root->Remove(box);
        else
            delete box;
        Pump();
    }
}

TEST_F(LiveTreeTest, ControlRemovesItselfFromItsOwnEventHandler)
{
    struct SelfRemover
    {
        CContainerUI* box = nullptr;
        CControlUI* self = nullptr;
        int calls = 0;
        bool OnEvent(void* p)
        {
            UIEvent* ev = static_cast<UIEvent*>(p);
            if (ev->nKind == UIEventButtonDown) {
                ++calls;
                box->Remove(self);
                // Still alive here: the deletion waits for the cleanup message.
                self->SetText(L"after removal");
            }
            return true;
        }
    };
    CControlUI* button = new CControlUI;
    counter.Watch(button);
    root->Add(button);
    host.Update();
    ASSERT_RECT(CUIRect(0, 0, 200, 150), button->GetPos());

    SelfRemover remover;
    remover.box = root;
    remover.self = button;
    button->EventHandlers.AddHandler(CDelegate<SelfRemover, SelfRemover>(&remover, &SelfRemover::OnEvent));

    ::SendMessageW(host.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(1, remover.calls);
    EXPECT_EQ(0, root->GetCount());
    EXPECT_FALSE(counter.Gone(button)) << "not deleted inside its own handler";
    ::SendMessageW(host.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    EXPECT_TRUE(PumpUntil([&] { return counter.Gone(button); }, 2000));
    // The window goes on working without it.
    ::SendMessageW(host.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    ::SendMessageW(host.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    host.Update();
}

TEST_F(LiveTreeTest, HidingTheFocusedControlOrItsContainerClearsTheFocus)
{
    CContainerUI* box = new CContainerUI;
    CControlUI* a = new CControlUI;
    CControlUI* b = new CControlUI;
    box->Add(a);
    root->Add(box);
    root->Add(b);
    host.Update();

    a->SetFocus();
    ASSERT_EQ(a, host.pm.GetFocus());
    EXPECT_TRUE(a->IsFocused());
    a->SetVisible(false);
    EXPECT_EQ(nullptr, host.pm.GetFocus());
    EXPECT_FALSE(a->IsFocused());

    a->SetVisible(true);
    a->SetFocus();
    ASSERT_EQ(a, host.pm.GetFocus());
    box->SetVisible(false);
    EXPECT_EQ(nullptr, host.pm.GetFocus()) << "hidden through its container";

    b->SetFocus();
    ASSERT_EQ(b, host.pm.GetFocus());
    b->SetVisible(true);   // unchanged: nothing happens
    EXPECT_EQ(b, host.pm.GetFocus());

    // A deleted focus control is forgotten.
    root->SetDelayedDestroy(false);
    root->Remove(b);
    EXPECT_EQ(nullptr, host.pm.GetFocus());
}

TEST_F(LiveTreeTest, DestructorForgetsOnlyItsOwnNameEntry)
{
    CControlUI* first = new CControlUI;
    CControlUI* second = new CControlUI;
    first->SetName(L"dup");
    second->SetName(L"dup");
    root->Add(first);
    root->Add(second);
    EXPECT_EQ(second, host.pm.FindControlByName(L"dup")) << "the last registered name wins";
    root->SetDelayedDestroy(false);
    root->Remove(first);
    EXPECT_EQ(second, host.pm.FindControlByName(L"dup"));
    root->Remove(second);
    EXPECT_EQ(nullptr, host.pm.FindControlByName(L"dup"));
}

TEST_F(LiveTreeTest, BadIndexesLeaveTheManagedTreeUnchanged)
{
    CControlUI* a = new CControlUI;
    CControlUI* b = new CControlUI;
    a->SetName(L"a");
    root->Add(a);
    root->Add(b);

    CControlUI* stray = new CControlUI;
    stray->SetName(L"stray");
    for (int index : { -1, 3, 100 }) {
        EXPECT_FALSE(root->AddAt(stray, index)) << index;
        EXPECT_EQ(nullptr, host.pm.FindControlByName(L"stray")) << "a refused control is not registered";
        EXPECT_EQ(nullptr, stray->GetManager());
        EXPECT_EQ(nullptr, stray->GetParent());
    }
    for (int index : { -1, 2, 100 }) {
        EXPECT_FALSE(root->SetItemIndex(a, index)) << index;
        EXPECT_EQ(0, root->GetItemIndex(a));
        EXPECT_EQ(a, host.pm.FindControlByName(L"a"));
        EXPECT_EQ(root, a->GetParent());
    }
    EXPECT_TRUE(root->AddAt(stray, 2));
    EXPECT_EQ(stray, host.pm.FindControlByName(L"stray"));
    EXPECT_EQ(root, stray->GetParent());
    EXPECT_TRUE(root->SetItemIndex(a, 2));
    EXPECT_EQ(2, root->GetItemIndex(a));
    host.Update();
}

TEST_F(LiveTreeTest, InvalidationIsClippedByTheAncestors)
{
    CContainerUI* box = new CContainerUI;
    CControlUI* leaf = new CControlUI;
    box->Add(leaf);
    root->Add(box);
    host.Update();
    box->SetPos(CUIRect(20, 20, 120, 100));
    leaf->SetPos(CUIRect(100, 80, 160, 130));
    host.ClearUpdate();

    leaf->Invalidate();
    EXPECT_RECT(CUIRect(100, 80, 120, 100), host.UpdateRect());
    host.ClearUpdate();

    // A move repaints the union of the old and the new place, clipped.
    leaf->SetPos(CUIRect(40, 30, 60, 50));
    EXPECT_RECT(CUIRect(40, 30, 120, 100), host.UpdateRect());
    host.ClearUpdate();

    leaf->SetPos(CUIRect(130, 10, 150, 20));   // outside its container
    host.ClearUpdate();
    leaf->Invalidate();
    EXPECT_RECT(CUIRect(0, 0, 0, 0), host.UpdateRect());
    leaf->SetPos(CUIRect(140, 10, 160, 20));
    EXPECT_RECT(CUIRect(0, 0, 0, 0), host.UpdateRect()) << "nothing of the move is visible";

    leaf->SetPos(CUIRect(30, 30, 40, 40));
    host.ClearUpdate();
    leaf->SetVisible(false);
    host.ClearUpdate();
    leaf->Invalidate();
    EXPECT_RECT(CUIRect(0, 0, 0, 0), host.UpdateRect()) << "an invisible control invalidates nothing";
}

TEST_F(LiveTreeTest, RuntimeChangesOfAFloatControlSurviveTheLayoutPass)
{
    CControlUI* floater = new CControlUI;
    floater->ApplyAttributes(L"float=\"true\" pos=\"10,10,50,30\"");
    root->Add(floater);
    host.Update();
    ASSERT_RECT(CUIRect(10, 10, 50, 30), floater->GetPos());

    floater->SetFixedWidth(80);
    host.Update();
    EXPECT_RECT(CUIRect(10, 10, 90, 30), floater->GetPos());

    floater->SetFloatOffset(20, 15);
    host.Update();
    EXPECT_RECT(CUIRect(20, 15, 100, 35), floater->GetPos());

    floater->SetFixedHeight(5);
    floater->SetFloatOffset(-10, -10);
    host.Update();
    EXPECT_RECT(CUIRect(110, 135, 190, 140), floater->GetPos());
    EXPECT_FALSE(floater->NeedsLayout());

    floater->SetAttribute(L"pos", L"0,0,10,10");
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 10, 10), floater->GetPos());
}

TEST_F(LiveTreeTest, SizeHandlersFireOncePerMoveEvenWhenTheyMoveTheControl)
{
    struct Mover
    {
        CControlUI* self = nullptr;
        int calls = 0;
        bool OnSize(void*)
        {
            ++calls;
            self->SetPos(CUIRect(5, 5, 25, 25));   // re-entered: no second notice
            return true;
        }
    };
    CControlUI* leaf = new CControlUI;
    root->Add(leaf);
    host.Update();
    Mover mover;
    mover.self = leaf;
    leaf->SizeHandlers.AddHandler(CDelegate<Mover, Mover>(&mover, &Mover::OnSize));
    leaf->SetPos(CUIRect(50, 50, 60, 60));
    EXPECT_EQ(1, mover.calls);
    EXPECT_RECT(CUIRect(5, 5, 25, 25), leaf->GetPos());
    leaf->SetPos(CUIRect(50, 50, 60, 60));
    EXPECT_EQ(2, mover.calls);
}

TEST_F(LiveTreeTest, InitRunsChildrenFirstAndTimerAndMenuNotify)
{
    struct InitLog
    {
        std::vector<CControlUI*> order;
        bool OnInit(void* p)
        {
            order.push_back(static_cast<CControlUI*>(p));
            return true;
        }
    };
    struct NotifyLog
    {
        std::vector<std::wstring> types;
        bool OnNotify(void* p)
        {
            types.push_back(static_cast<UINotify*>(p)->sType.GetData());
            return true;
        }
    };
    InitLog log;
    CContainerUI* box = new CContainerUI;
    CControlUI* a = new CControlUI;
    CControlUI* b = new CControlUI;
    box->Add(a);
    box->Add(b);
    for (CControlUI* p : { static_cast<CControlUI*>(box), a, b })
        p->InitHandlers.AddHandler(CDelegate<InitLog, InitLog>(&log, &InitLog::OnInit));
    root->Add(box);
    EXPECT_EQ((std::vector<CControlUI*>{ a, b, box }), log.order);

    NotifyLog notes;
    a->NotifyHandlers.AddHandler(CDelegate<NotifyLog, NotifyLog>(&notes, &NotifyLog::OnNotify));
    UIEvent timer = MakeEvent(UIEventTimer, a, 42);
    a->DispatchEvent(timer);
    ASSERT_EQ(1, recorder.Count(L"timer"));
    EXPECT_EQ(a, recorder.items.back().sender);
    EXPECT_EQ(42u, recorder.items.back().wParam);

    UIEvent menu = MakeEvent(UIEventContextMenu, a);
    a->DispatchEvent(menu);
    EXPECT_EQ(0, recorder.Count(L"menu")) << "menu not enabled";
    a->SetContextMenuEnabled(true);
    a->DispatchEvent(menu);
    EXPECT_EQ(1, recorder.Count(L"menu"));
    EXPECT_EQ((std::vector<std::wstring>{ L"timer", L"menu" }), notes.types);
}

TEST_F(LiveTreeTest, ScrollingStepsByTheDefaultFontAndTakesTheDefaultBarAttributes)
{
    host.pm.AddDefaultAttributes(L"VScrollBar", L"width=\"12\" linesize=\"30\"");
    StackContainer* list = new StackContainer;
    root->Add(list);
    list->EnableScrollBar(true, false);
    CScrollBarUI* bar = list->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(12, bar->GetFixedWidth()) << "the window's default list is applied";
    EXPECT_EQ(30, bar->GetLineSize());
    for (int i = 0; i < 10; ++i) {
        CControlUI* row = new CControlUI;
        row->SetFixedHeight(50);
        list->Add(row);
    }
    host.Update();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_RECT(CUIRect(188, 0, 200, 150), bar->GetPos());
    EXPECT_EQ(list, bar->GetOwner());

    // A line is the default font's height + 8, not the bar's line size.
    const int line = (int)host.pm.GetDefaultFontInfo()->tm.tmHeight + 8;
    EXPECT_GT(line, 8) << "the default font is measured";
    POINT pt = { 50, 50 };
    ::ClientToScreen(host.GetHWND(), &pt);
    ::SendMessageW(host.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-WHEEL_DELTA),
                   MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(line, list->GetScrollPos().cy) << "a wheel turned towards the user scrolls down";
    EXPECT_EQ(-line, list->GetItemAt(0)->GetPos().top);
    ::SendMessageW(host.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(0, list->GetScrollPos().cy);
}

TEST_F(LiveTreeTest, WindowPaintShowsTheTreeWithFloatsOverTheInset)
{
    root->ApplyAttributes(L"bkcolor=\"#FFFF0000\" inset=\"20,20,20,20\"");
    CControlUI* body = new CControlUI;
    CControlUI* badge = new CControlUI;
    body->SetBackgroundColor(0xFF00FF00);
    badge->ApplyAttributes(L"float=\"true\" pos=\"-40,0,-10,30\" bkcolor=\"#FF0000FF\"");
    root->Add(body);
    root->Add(badge);
    host.Update();
    testsupport::Canvas canvas(200, 150);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    EXPECT_PIXEL(canvas, 5, 75, 0xFFFF0000);
    EXPECT_PIXEL(canvas, 100, 75, 0xFF00FF00);
    EXPECT_PIXEL(canvas, 185, 10, 0xFF0000FF) << "over the inset";
    EXPECT_PIXEL(canvas, 170, 25, 0xFF0000FF) << "over the body";
    EXPECT_PIXEL(canvas, 195, 10, 0xFFFF0000);
    canvas.DumpIfFailed("window_paint");
}

// ---------------------------------------------------------------------------
// No window, no manager
// ---------------------------------------------------------------------------

TEST(ManagerlessControls, SettersAndRequestsWorkBeforeTheControlHasAManager)
{
    CContainerUI root;
    CControlUI* child = new CControlUI;
    root.Add(child);
    CControlUI* floater = new CControlUI;
    floater->SetFloat(true);
    root.Add(floater);

    for (CControlUI* c : { static_cast<CControlUI*>(&root), child, floater }) {
        c->SetFixedWidth(10);
        c->SetFixedHeight(12);
        c->SetMinWidth(1);
        c->SetMaxHeight(500);
        c->SetFloatOffset(3, 4);
        c->SetPadding(CUIRect(1, 1, 1, 1));
        c->SetText(L"x");
        c->SetBackgroundColor(0xFF112233);
        c->SetEnabled(false);
        c->SetEnabled(true);
        c->SetFocus();
        c->SetVirtualWindow(L"vw");
        c->RequestLayout();
        c->RequestParentLayout();
        c->Invalidate();
        UIEvent timer = MakeEvent(UIEventTimer, c, 1);
        c->DispatchEvent(timer);
        c->SetContextMenuEnabled(true);
        UIEvent menu = MakeEvent(UIEventContextMenu, c);
        c->DispatchEvent(menu);
        UIEvent cursor = MakeEvent(UIEventSetCursor, c);
        c->DispatchEvent(cursor);
        c->SetInheritedVisible(false);
        c->SetInheritedVisible(true);
        c->SetVisible(false);
        c->SetVisible(true);
        c->SetPos(CUIRect(0, 0, 50, 50));
        EXPECT_TRUE(c->NeedsLayout()) << "without a manager SetPos stops before clearing the flag";
    }
    root.EnableScrollBar(true, true);
    root.LineDown();
    root.PageDown();
    root.SetScrollPos(CUISize(5, 5));
    root.EnableScrollBar(false, false);
    EXPECT_EQ(10, child->GetFixedWidth());
    EXPECT_EQ(3, floater->GetFloatOffset().cx);
    EXPECT_STREQ(L"vw", child->GetVirtualWindow().GetData());
}

TEST(ManagerlessControls, VirtualWindowNameIsInheritedFromTheParent)
{
    CContainerUI root;
    CContainerUI* box = new CContainerUI;
    CControlUI* leaf = new CControlUI;
    box->Add(leaf);
    root.Add(box);
    root.SetManager(NULL, NULL, false);   // links the parents
    ASSERT_EQ(box, leaf->GetParent());
    EXPECT_STREQ(L"", leaf->GetVirtualWindow().GetData());
    box->SetAttribute(L"virtualwnd", L"side");
    EXPECT_STREQ(L"side", leaf->GetVirtualWindow().GetData());
    leaf->SetVirtualWindow(L"own");
    EXPECT_STREQ(L"own", leaf->GetVirtualWindow().GetData());
    EXPECT_STREQ(L"", root.GetVirtualWindow().GetData());
}

TEST(ManagerlessControls, SetManagerInitialisesOnlyWithAParent)
{
    struct Count
    {
        int n = 0;
        bool On(void*)
        {
            ++n;
            return true;
        }
    };
    Count count;
    CControlUI c;
    c.InitHandlers.AddHandler(CDelegate<Count, Count>(&count, &Count::On));
    c.SetManager(NULL, NULL, true);
    EXPECT_EQ(0, count.n);
    CContainerUI parent;
    c.SetManager(NULL, &parent, false);
    EXPECT_EQ(0, count.n);
    c.SetManager(NULL, &parent, true);
    EXPECT_EQ(1, count.n);
    EXPECT_EQ(&parent, c.GetParent());
    c.SetManager(NULL, NULL, false);
}

} // namespace
