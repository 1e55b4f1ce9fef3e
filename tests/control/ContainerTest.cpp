// The container base without a running window: child management with bad
// indexes, visibility passed down, the default layout and float placement,
// search walks and hit tests, FindSelectable, scrolling with keys and wheel.
#include "ControlTestUtil.h"

#include <functional>

using namespace SkinUI;
using namespace controltest;

namespace {

std::vector<CControlUI*> Children(const CContainerUI& box)
{
    std::vector<CControlUI*> v;
    for (int i = 0; i < box.GetCount(); ++i)
        v.push_back(box.GetItemAt(i));
    return v;
}

// ---------------------------------------------------------------------------
// Child management
// ---------------------------------------------------------------------------

TEST(ContainerItems, AddAtAndSetItemIndexRefuseBadIndexesAndChangeNothing)
{
    CContainerUI box;
    CControlUI* a = new CControlUI;
    CControlUI* b = new CControlUI;
    CControlUI* c = new CControlUI;
    ASSERT_TRUE(box.Add(a));
    ASSERT_TRUE(box.Add(b));
    ASSERT_TRUE(box.Add(c));

    CControlUI* extra = new CControlUI;
    EXPECT_FALSE(box.AddAt(extra, -1));
    EXPECT_FALSE(box.AddAt(extra, 4));
    EXPECT_FALSE(box.AddAt(NULL, 0));
    EXPECT_FALSE(box.Add(NULL));
    EXPECT_EQ(3, box.GetCount());
    EXPECT_EQ(-1, box.GetItemIndex(extra));

    struct MoveCase
    {
        CControlUI* control;
        int index;
        bool ok;
        std::vector<CControlUI*> after;
    };
    const MoveCase moves[] = {
        { a, 3, false, { a, b, c } },
        { a, -1, false, { a, b, c } },
        { extra, 0, false, { a, b, c } },
        { NULL, 0, false, { a, b, c } },
        { a, 2, true, { b, c, a } },
        { a, 0, true, { a, b, c } },
        { c, 1, true, { a, c, b } },
        { c, 1, true, { a, c, b } },
    };
    for (const MoveCase& m : moves) {
        EXPECT_EQ(m.ok, box.SetItemIndex(m.control, m.index)) << "index " << m.index;
        EXPECT_EQ(m.after, Children(box)) << "index " << m.index;
    }

    EXPECT_TRUE(box.AddAt(extra, 0));
    CControlUI* last = new CControlUI;
    EXPECT_TRUE(box.AddAt(last, box.GetCount()));
    EXPECT_EQ((std::vector<CControlUI*>{ extra, a, c, b, last }), Children(box));

    EXPECT_EQ(nullptr, box.GetItemAt(-1));
    EXPECT_EQ(nullptr, box.GetItemAt(5));
    EXPECT_EQ(-1, box.GetItemIndex(NULL));
    EXPECT_FALSE(box.RemoveAt(-1));
    EXPECT_FALSE(box.RemoveAt(5));
    EXPECT_FALSE(box.Remove(NULL));
    CControlUI stranger;
    EXPECT_FALSE(box.Remove(&stranger));
    EXPECT_EQ(5, box.GetCount());
}

TEST(ContainerItems, WithoutManagerRemovalDeletesAtOnceUnlessAutoDestroyIsOff)
{
    DestroyCounter counter;
    CControlUI* kept = new CControlUI;
    {
        CContainerUI box;
        CControlUI* a = new CControlUI;
        CControlUI* b = new CControlUI;
        CControlUI* c = new CControlUI;
        for (CControlUI* p : { a, b, c, kept })
            counter.Watch(p);
        box.Add(a);
        box.Add(b);
        box.Add(c);
        box.Add(kept);

        EXPECT_TRUE(box.Remove(a));
        EXPECT_TRUE(counter.Gone(a)) << "no manager: deleted at once even with delayed destroy";
        EXPECT_TRUE(box.RemoveAt(0));
        EXPECT_TRUE(counter.Gone(b));

        box.SetAutoDestroy(false);
        EXPECT_TRUE(box.Remove(kept));
        EXPECT_FALSE(counter.Gone(kept));
        EXPECT_EQ(1, box.GetCount());
        box.SetAutoDestroy(true);
    }
    EXPECT_TRUE(counter.destroyed.size() == 3) << "the destructor deletes the remaining child";
    EXPECT_FALSE(counter.Gone(kept));
    delete kept;
    EXPECT_TRUE(counter.Gone(kept));
}

TEST(ContainerItems, RemoveAllEmptiesTheListBeforeChildrenAreDeleted)
{
    // A child's destructor that looks at its old container sees it empty.
    struct Peeker : public CControlUI
    {
        CContainerUI* box = nullptr;
        int* seen = nullptr;
        ~Peeker() { *seen = box->GetCount(); }
    };
    int seenA = -1, seenB = -1;
    CContainerUI box;
    Peeker* a = new Peeker;
    Peeker* b = new Peeker;
    a->box = b->box = &box;
    a->seen = &seenA;
    b->seen = &seenB;
    box.Add(a);
    box.Add(b);
    box.RemoveAll();
    EXPECT_EQ(0, seenA);
    EXPECT_EQ(0, seenB);
    EXPECT_EQ(0, box.GetCount());
}

TEST(ContainerItems, VisibilityIsPassedDownToChildren)
{
    CContainerUI root;
    CContainerUI* box = new CContainerUI;
    root.Add(box);
    box->SetVisible(false);

    CControlUI* child = new CControlUI;
    box->Add(child);
    EXPECT_FALSE(child->IsVisible()) << "added to an invisible container";
    box->SetVisible(true);
    EXPECT_TRUE(child->IsVisible());

    CContainerUI* inner = new CContainerUI;
    CControlUI* grandchild = new CControlUI;
    CControlUI* ownHidden = new CControlUI;
    inner->Add(grandchild);
    inner->Add(ownHidden);
    box->Add(inner);
    ownHidden->SetVisible(false);

    box->SetVisible(false);
    EXPECT_FALSE(inner->IsVisible());
    EXPECT_FALSE(grandchild->IsVisible());
    box->SetVisible(true);
    EXPECT_TRUE(inner->IsVisible());
    EXPECT_TRUE(grandchild->IsVisible());
    EXPECT_FALSE(ownHidden->IsVisible()) << "its own flag stays";

    inner->SetInheritedVisible(false);
    EXPECT_FALSE(grandchild->IsVisible());
    inner->SetInheritedVisible(true);
    EXPECT_TRUE(grandchild->IsVisible());
}

// ---------------------------------------------------------------------------
// Layout and float placement
// ---------------------------------------------------------------------------

TEST(ContainerLayout, ChildrenFillTheInsetAreaFloatsArePlacedHiddenOnesSkipped)
{
    CContainerUI box;
    CControlUI* a = new CControlUI;
    CControlUI* b = new CControlUI;
    CControlUI* hidden = new CControlUI;
    CControlUI* floater = new CControlUI;
    box.Add(a);
    box.Add(b);
    box.Add(hidden);
    box.Add(floater);
    a->ApplyAttributes(L"width=\"10\" height=\"10\" padding=\"3,3,3,3\"");
    hidden->SetVisible(false);
    floater->ApplyAttributes(L"float=\"true\" pos=\"5,6,25,16\"");
    box.SetInset(CUIRect(1, 2, 3, 4));
    box.SetChildPadding(7);
    box.SetPos(CUIRect(100, 50, 300, 150));
    EXPECT_RECT(CUIRect(101, 52, 297, 146), a->GetPos()) << "sizes and padding are not used";
    EXPECT_RECT(CUIRect(101, 52, 297, 146), b->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 0, 0), hidden->GetPos());
    EXPECT_RECT(CUIRect(105, 56, 125, 66), floater->GetPos()) << "from the item rect, not the inset";

    // An inverted rectangle is made empty.
    box.SetPos(CUIRect(50, 50, 40, 30));
    EXPECT_RECT(CUIRect(50, 50, 50, 50), box.GetPos());
}

TEST(ContainerLayout, FloatPlacementTable)
{
    struct Case
    {
        RECT parent;
        const wchar_t* pos;
        RECT expected;
    };
    const Case cases[] = {
        { { 0, 0, 300, 200 }, L"-36,10,-20,26", { 264, 10, 280, 26 } },
        { { 0, 0, 300, 200 }, L"10,-50,30,-30", { 10, 150, 30, 170 } },
        { { 50, 40, 350, 240 }, L"5,5,15,15", { 55, 45, 65, 55 } },
        { { 50, 40, 350, 240 }, L"-40,-40,-20,-20", { 310, 200, 330, 220 } },
        { { 0, 0, 300, 200 }, L"0,0,0,0", { 0, 0, 0, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.pos));
        CContainerUI box;
        CControlUI* child = new CControlUI;
        box.Add(child);
        child->SetAttribute(L"float", L"true");
        child->SetAttribute(L"pos", c.pos);
        box.SetPos(c.parent);
        EXPECT_RECT(c.expected, child->GetPos());
    }

    CContainerUI box;
    CControlUI* plain = new CControlUI;
    CControlUI* hiddenFloat = new CControlUI;
    box.Add(plain);
    box.Add(hiddenFloat);
    hiddenFloat->ApplyAttributes(L"float=\"true\" pos=\"1,1,2,2\" visible=\"false\"");
    box.SetPos(CUIRect(0, 0, 50, 50));
    plain->SetPos(CUIRect(1, 2, 3, 4));
    box.PlaceFloatChild(-1);
    box.PlaceFloatChild(2);
    box.PlaceFloatChild(0);
    box.PlaceFloatChild(1);
    EXPECT_RECT(CUIRect(1, 2, 3, 4), plain->GetPos()) << "not float: untouched";
    EXPECT_RECT(CUIRect(0, 0, 0, 0), hiddenFloat->GetPos()) << "invisible: untouched";
}

// Relative placement needs a manager: only then does a float child's SetPos
// record its placement again.
class RelativePlacementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        ASSERT_TRUE(host.Open(500, 300));
        box = new CContainerUI;
        child = new CControlUI;
        box->Add(child);
        box->SetManager(&host.pm, NULL, false);
        ASSERT_EQ(box, child->GetParent());
    }
    void TearDown() override { delete box; }

    HostWindow host;
    CContainerUI* box = nullptr;
    CControlUI* child = nullptr;
};

TEST_F(RelativePlacementTest, ParentGrowthIsAppliedOncePerChange)
{
    struct Case
    {
        const wchar_t* pos;
        const wchar_t* relative;
        std::vector<std::pair<SIZE, RECT>> passes;   // parent size -> child rect
    };
    const Case cases[] = {
        { L"10,10,50,30", L"50,0,0,0",
          { { { 300, 100 }, { 10, 10, 50, 30 } },
            { { 400, 100 }, { 60, 10, 100, 30 } },
            { { 400, 100 }, { 60, 10, 100, 30 } },
            { { 300, 100 }, { 10, 10, 50, 30 } } } },
        { L"10,10,50,30", L"0,50,50,100",
          { { { 300, 100 }, { 10, 10, 50, 30 } },
            { { 400, 150 }, { 10, 35, 100, 105 } },
            { { 400, 150 }, { 10, 35, 100, 105 } } } },
        { L"-100,10,-60,30", L"50,0,0,0",
          { { { 300, 100 }, { 200, 10, 240, 30 } },
            { { 400, 100 }, { 350, 10, 390, 30 } },
            { { 400, 100 }, { 350, 10, 390, 30 } } } },
        { L"10,10,50,30", L"-50,0,0,0",
          { { { 300, 100 }, { 10, 10, 50, 30 } },
            { { 333, 100 }, { -6, 10, 34, 30 } } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.relative));
        delete box;
        box = new CContainerUI;
        child = new CControlUI;
        box->Add(child);
        box->SetManager(&host.pm, NULL, false);
        child->ApplyAttributes(L"float=\"true\"");
        child->SetAttribute(L"pos", c.pos);
        child->SetAttribute(L"relativepos", c.relative);
        for (const auto& pass : c.passes) {
            box->SetPos(CUIRect(0, 0, pass.first.cx, pass.first.cy));
            EXPECT_RECT(pass.second, child->GetPos()) << "parent " << pass.first.cx << "x" << pass.first.cy;
            EXPECT_EQ(pass.first.cx, child->GetRelativePos().nParentCx);
        }
    }
}

TEST_F(RelativePlacementTest, FloatSetPosDerivesOffsetAndSizeKeepingTheSide)
{
    child->ApplyAttributes(L"float=\"true\" pos=\"-30,5,-10,25\"");
    box->SetPos(CUIRect(0, 0, 200, 100));
    EXPECT_RECT(CUIRect(170, 5, 190, 25), child->GetPos());
    child->SetPos(CUIRect(100, 40, 150, 60));
    EXPECT_EQ(-50, child->GetFloatOffset().cx) << "still counted from the right edge";
    EXPECT_EQ(40, child->GetFloatOffset().cy);
    EXPECT_EQ(50, child->GetFixedWidth());
    EXPECT_EQ(20, child->GetFixedHeight());
    box->SetPos(CUIRect(0, 0, 300, 100));
    EXPECT_RECT(CUIRect(200, 40, 250, 60), child->GetPos());
}

// ---------------------------------------------------------------------------
// Search walks
// ---------------------------------------------------------------------------

struct Walk
{
    std::vector<CControlUI*> seen;
};

CControlUI* RecordVisit(CControlUI* p, LPVOID data)
{
    static_cast<Walk*>(data)->seen.push_back(p);
    return NULL;
}

CControlUI* TakeFirst(CControlUI* p, LPVOID)
{
    return p;
}

CControlUI* TakeNamed(CControlUI* p, LPVOID data)
{
    return p->GetName() == static_cast<const wchar_t*>(data) ? p : NULL;
}

TEST(ContainerFind, WalkOrderFollowsTheFlags)
{
    CContainerUI root;
    CControlUI* a = new CControlUI;
    CContainerUI* box = new CContainerUI;
    CControlUI* b = new CControlUI;
    CControlUI* c = new CControlUI;
    CControlUI* d = new CControlUI;
    box->Add(b);
    box->Add(c);
    root.Add(a);
    root.Add(box);
    root.Add(d);
    root.EnableScrollBar(true, false);
    CControlUI* bar = root.GetVerticalScrollBar();

    struct Case
    {
        const char* what;
        UINT flags;
        std::function<void()> setup;
        std::vector<CControlUI*> order;
    };
    const Case cases[] = {
        { "every control, children before their container", 0, [] {}, { bar, a, b, c, box, d, &root } },
        { "me first", FindMeFirst, [] {}, { bar, &root, a, box, b, c, d } },
        { "top first", FindTopFirst, [] {}, { bar, d, c, b, box, a, &root } },
        { "top and me first", FindTopFirst | FindMeFirst, [] {}, { bar, &root, d, box, c, b, a } },
        { "visible only", FindVisible,
          [&] {
              box->SetVisible(false);
              bar->SetVisible(false);
          },
          { a, d, &root } },
        { "every control, hidden ones too", 0, [] {}, { bar, a, b, c, box, d, &root } },
        { "enabled only", FindEnabled,
          [&] {
              box->SetVisible(true);
              box->SetEnabled(false);
          },
          { bar, a, d, &root } },
    };
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.what);
        cs.setup();
        Walk walk;
        EXPECT_EQ(nullptr, root.FindControl(RecordVisit, &walk, cs.flags));
        EXPECT_EQ(cs.order, walk.seen);
    }

    c->SetName(L"target");
    EXPECT_EQ(c, root.FindControl(TakeNamed, (LPVOID)L"target", 0));
    EXPECT_EQ(nullptr, root.FindControl(TakeNamed, (LPVOID)L"target", FindEnabled)) << "inside the disabled box";
    EXPECT_EQ(nullptr, root.FindControl(NULL, NULL, 0));
}

TEST(ContainerFind, HitTestsRespectTheInsetFloatsMouseFlagsAndOrder)
{
    CContainerUI root;
    CControlUI* child = new CControlUI;
    CControlUI* floater = new CControlUI;
    CControlUI* over = new CControlUI;
    root.Add(child);
    root.Add(floater);
    root.Add(over);
    root.SetInset(CUIRect(10, 10, 10, 10));
    floater->ApplyAttributes(L"float=\"true\" pos=\"0,0,20,20\"");
    root.SetPos(CUIRect(0, 0, 100, 100));
    child->SetPos(CUIRect(0, 0, 100, 100));   // reaches into the inset
    over->SetPos(CUIRect(40, 40, 60, 60));

    struct Case
    {
        const char* what;
        POINT pt;
        UINT flags;
        CControlUI* expected;
    };
    auto run = [&](const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            POINT pt = c.pt;
            EXPECT_EQ(c.expected, root.FindControl(TakeFirst, &pt, c.flags | FindHitTest))
                << c.what << " at (" << pt.x << "," << pt.y << ")";
        }
    };
    const UINT top = FindVisible | FindTopFirst;
    run({
        { "client area", { 30, 70 }, top, child },
        { "inset: a non-float child is not returned", { 95, 50 }, top, &root },
        { "inset: a float child is", { 5, 5 }, top, floater },
        { "top first takes the last child", { 50, 50 }, top, over },
        { "first to last takes the first", { 50, 50 }, FindVisible, child },
        { "outside", { 100, 50 }, top, nullptr },
        { "outside, negative", { -1, 50 }, top, nullptr },
    });

    over->SetMouseEnabled(false);
    child->SetVisible(false);
    run({
        { "mouse-disabled and hidden children are passed over", { 50, 50 }, top, &root },
        { "hidden child without FindVisible", { 30, 70 }, FindTopFirst, child },
    });
    child->SetVisible(true);

    root.SetMouseChildEnabled(false);
    run({
        { "mousechild off: the container itself", { 30, 70 }, top, &root },
        { "mousechild off: not even float children", { 5, 5 }, top, &root },
    });
    root.SetMouseChildEnabled(true);

    root.SetMouseEnabled(false);
    run({
        { "mouse-disabled container still finds children", { 30, 70 }, top, child },
        { "but not itself", { 95, 50 }, top, nullptr },
    });
    root.SetMouseEnabled(true);

    // A visible vertical bar takes part in the hit test and narrows the
    // client area.
    root.EnableScrollBar(true, false);
    CScrollBarUI* bar = root.GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    bar->SetPos(CUIRect(74, 10, 90, 90));
    run({
        { "on the bar", { 80, 50 }, top, bar },
        { "under the bar's width, not on it", { 86, 5 }, top, &root },
    });
    root.SetMouseChildEnabled(false);
    run({ { "mousechild off still finds the bar", { 80, 50 }, top, bar } });
    root.SetMouseEnabled(false);
    run({ { "the bars follow the container's mouse flag", { 80, 50 }, top, nullptr } });
}

TEST(ContainerFind, FindSelectableTable)
{
    enum Kind { Item, Plain, Disabled, Hidden };
    struct Case
    {
        std::vector<Kind> items;
        int start;
        bool forward;
        int expected;
    };
    const Case cases[] = {
        { { Item, Item, Item }, 5, false, 2 },
        { { Item, Item, Item }, 5, true, 2 },
        { { Item, Item, Item }, -3, true, 0 },
        { { Item, Item, Item }, 1, false, 1 },
        { { Plain, Item, Plain, Disabled, Hidden }, 4, false, 1 },
        { { Plain, Item, Plain, Disabled, Hidden }, 4, true, -1 },
        { { Plain, Item, Plain, Disabled, Hidden }, 0, true, 1 },
        { { Plain, Item, Plain, Disabled, Hidden }, 2, true, -1 },
        { { Plain, Plain, Item }, 1, false, 2 },
        { { Plain, Disabled, Hidden }, 2, false, -1 },
        { {}, 0, true, -1 },
        { {}, 0, false, -1 },
    };
    for (const Case& c : cases) {
        CContainerUI list;
        for (Kind k : c.items) {
            CControlUI* p = (k == Plain) ? new CControlUI : new ListItemProbe;
            if (k == Disabled)
                p->SetEnabled(false);
            if (k == Hidden)
                p->SetVisible(false);
            list.Add(p);
        }
        EXPECT_EQ(c.expected, list.FindSelectable(c.start, c.forward))
            << c.items.size() << " items, start " << c.start << (c.forward ? " forward" : " backward");
    }
}

// ---------------------------------------------------------------------------
// Scrolling
// ---------------------------------------------------------------------------

void AddRows(CContainerUI& list, int n, int height)
{
    for (int i = 0; i < n; ++i) {
        CControlUI* row = new CControlUI;
        row->SetFixedHeight(height);
        list.Add(row);
    }
}

TEST(ContainerScroll, BarShowsForOverflowWithOneRelayoutAndHidesWhenContentShrinks)
{
    StackContainer list;
    list.EnableScrollBar(true, false);
    CScrollBarUI* bar = list.GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible()) << "a new bar is visible until the first layout";
    EXPECT_EQ(100, bar->GetScrollRange());

    AddRows(list, 2, 50);
    list.SetPos(CUIRect(0, 0, 100, 150));
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollRange());
    EXPECT_EQ(2, list.layouts) << "hiding lays out again";
    EXPECT_RECT(CUIRect(0, 0, 100, 50), list.GetItemAt(0)->GetPos());

    AddRows(list, 8, 50);
    CControlUI* floater = new CControlUI;
    floater->ApplyAttributes(L"float=\"true\" pos=\"10,10,30,30\"");
    list.Add(floater);
    list.layouts = 0;
    list.SetPos(CUIRect(0, 0, 100, 150));
    EXPECT_EQ(2, list.layouts) << "exactly one re-layout with the bar";
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(350, bar->GetScrollRange());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_RECT(CUIRect(84, 0, 100, 150), bar->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 84, 50), list.GetItemAt(0)->GetPos());
    EXPECT_EQ(350, list.GetScrollRange().cy);
    EXPECT_EQ(0, list.GetScrollRange().cx);

    // Scrolling offsets the non-float children; floats stay.
    list.layouts = 0;
    list.SetScrollPos(CUISize(0, 100));
    EXPECT_EQ(0, list.layouts) << "no layout pass";
    EXPECT_EQ(100, list.GetScrollPos().cy);
    EXPECT_RECT(CUIRect(0, -100, 84, -50), list.GetItemAt(0)->GetPos());
    EXPECT_RECT(CUIRect(0, 350, 84, 400), list.GetItemAt(9)->GetPos());
    EXPECT_RECT(CUIRect(10, 10, 30, 30), floater->GetPos());
    list.SetScrollPos(CUISize(0, 1000));
    EXPECT_EQ(350, list.GetScrollPos().cy) << "clamped by the bar";
    EXPECT_RECT(CUIRect(0, -350, 84, -300), list.GetItemAt(0)->GetPos());

    // Content shrinks: the bar goes, position and range 0.
    while (list.GetCount() > 3)
        list.RemoveAt(1);
    list.SetPos(CUIRect(0, 0, 100, 150));
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(0, bar->GetScrollRange());
    EXPECT_EQ(0, list.GetScrollPos().cy);
    EXPECT_RECT(CUIRect(0, 0, 100, 50), list.GetItemAt(0)->GetPos());
}

struct KeyStep
{
    int kind;       // UIEventKeyDown or UIEventScrollWheel
    WPARAM value;   // key or wheel direction
    int cx, cy;     // scroll position afterwards
};

void RunSteps(CContainerUI& list, const std::vector<KeyStep>& steps)
{
    for (const KeyStep& s : steps) {
        UIEvent ev = MakeEvent(s.kind, &list, s.kind == UIEventScrollWheel ? s.value : 0,
                               s.kind == UIEventKeyDown ? (wchar_t)s.value : 0);
        list.DispatchEvent(ev);
        EXPECT_EQ(s.cx, list.GetScrollPos().cx) << "kind " << s.kind << " value " << s.value;
        EXPECT_EQ(s.cy, list.GetScrollPos().cy) << "kind " << s.kind << " value " << s.value;
    }
}

TEST(ContainerScroll, KeysAndWheelScrollTheVerticalBar)
{
    // Without a manager a line is 8 pixels; a page is the client height.
    StackContainer list;
    list.EnableScrollBar(true, false);
    AddRows(list, 10, 50);
    list.SetPos(CUIRect(0, 0, 100, 150));
    ASSERT_EQ(350, list.GetScrollRange().cy);
    RunSteps(list, {
                       { UIEventKeyDown, VK_DOWN, 0, 8 },
                       { UIEventKeyDown, VK_DOWN, 0, 16 },
                       { UIEventKeyDown, VK_UP, 0, 8 },
                       { UIEventKeyDown, VK_NEXT, 0, 158 },
                       { UIEventKeyDown, VK_END, 0, 350 },
                       { UIEventKeyDown, VK_NEXT, 0, 350 },
                       { UIEventKeyDown, VK_PRIOR, 0, 200 },
                       { UIEventKeyDown, VK_HOME, 0, 0 },
                       { UIEventKeyDown, VK_UP, 0, 0 },
                       { UIEventScrollWheel, 1, 0, 8 },
                       { UIEventScrollWheel, 1, 0, 16 },
                       { UIEventScrollWheel, 0, 0, 8 },
                       { UIEventKeyDown, VK_LEFT, 0, 8 },
                   });
    EXPECT_RECT(CUIRect(0, -8, 84, 42), list.GetItemAt(0)->GetPos());
}

TEST(ContainerScroll, HorizontalBarIsUsedOnlyWithoutAUsableVerticalBar)
{
    StackContainer list;
    list.EnableScrollBar(false, true);
    AddRows(list, 2, 20);
    list.SetPos(CUIRect(0, 0, 100, 150));
    CScrollBarUI* hbar = list.GetHorizontalScrollBar();
    ASSERT_TRUE(hbar->IsVisible());
    EXPECT_RECT(CUIRect(0, 134, 100, 150), hbar->GetPos()) << "placed below the client rect";
    hbar->SetScrollRange(300);   // the layout's job
    RunSteps(list, {
                       { UIEventKeyDown, VK_DOWN, 8, 0 },
                       { UIEventKeyDown, VK_NEXT, 108, 0 },
                       { UIEventKeyDown, VK_END, 300, 0 },
                       { UIEventKeyDown, VK_HOME, 0, 0 },
                       { UIEventScrollWheel, 1, 8, 0 },
                       { UIEventScrollWheel, 0, 0, 0 },
                   });
    list.SetScrollPos(CUISize(40, 0));
    EXPECT_RECT(CUIRect(-40, 0, 60, 20), list.GetItemAt(0)->GetPos());

    // With both bars the vertical one wins while it is usable.
    list.SetScrollPos(CUISize(0, 0));
    list.EnableScrollBar(true, true);
    AddRows(list, 10, 20);
    list.SetInset(CUIRect(0, 5, 0, 5));
    list.SetPos(CUIRect(0, 0, 100, 150));
    CScrollBarUI* vbar = list.GetVerticalScrollBar();
    ASSERT_TRUE(vbar->IsVisible());
    ASSERT_EQ(240 - 124, vbar->GetScrollRange());
    RunSteps(list, {
                       { UIEventKeyDown, VK_DOWN, 0, 8 },
                       { UIEventKeyDown, VK_NEXT, 0, 116 },
                       { UIEventKeyDown, VK_HOME, 0, 0 },
                   });
    vbar->SetScrollRange(400);
    RunSteps(list, { { UIEventKeyDown, VK_NEXT, 0, 124 } });   // 150 - 5 - 5 - 16
    // A page to the right leaves out the vertical bar's width.
    list.PageRight();
    EXPECT_EQ(84, list.GetScrollPos().cx);
    list.ScrollToRight();
    EXPECT_EQ(300, list.GetScrollPos().cx);
    list.LineLeft();
    EXPECT_EQ(292, list.GetScrollPos().cx);
    list.PageLeft();
    EXPECT_EQ(208, list.GetScrollPos().cx);
    list.ScrollToLeft();
    EXPECT_EQ(0, list.GetScrollPos().cx);

    vbar->SetEnabled(false);
    RunSteps(list, { { UIEventKeyDown, VK_DOWN, 8, 124 } });
}

TEST(ContainerEvents, UnhandledEventsBubbleToTheParentsHandleEvent)
{
    EventLogContainer parent;
    CContainerUI* box = new CContainerUI;
    CControlUI* leaf = new CControlUI;
    box->Add(leaf);
    parent.Add(box);
    // Without a manager Add does not link parents; link them as a managed
    // tree would.
    box->SetManager(NULL, &parent, false);

    UIEvent wheel = MakeEvent(UIEventScrollWheel, leaf, 1);
    leaf->DispatchEvent(wheel);
    ASSERT_EQ(1u, parent.kinds.size()) << "from a plain control through a container without bars";
    EXPECT_EQ(UIEventScrollWheel, parent.kinds[0]);

    // A container with a usable bar keeps wheel and keys; others go up.
    box->EnableScrollBar(true, false);
    box->GetVerticalScrollBar()->SetScrollRange(100);
    parent.kinds.clear();
    leaf->DispatchEvent(wheel);
    UIEvent key = MakeEvent(UIEventKeyDown, leaf, 0, L'A');
    leaf->DispatchEvent(key);
    EXPECT_EQ(std::vector<int>{ UIEventKeyDown }, parent.kinds);
    EXPECT_EQ(8, box->GetScrollPos().cy);

    // Mouse events of a mouse-disabled container go straight to its parent.
    parent.kinds.clear();
    box->SetMouseEnabled(false);
    UIEvent move = MakeEvent(UIEventMouseMove, box);
    box->DispatchEvent(move);
    UIEvent wheel2 = MakeEvent(UIEventScrollWheel, box, 1);
    box->DispatchEvent(wheel2);
    EXPECT_EQ((std::vector<int>{ UIEventMouseMove, UIEventScrollWheel }), parent.kinds);
    EXPECT_EQ(8, box->GetScrollPos().cy) << "the wheel did not scroll it";
    EXPECT_FALSE(box->GetVerticalScrollBar()->IsMouseEnabled()) << "passed on to the bar";

    // Focus events only set the flag.
    parent.kinds.clear();
    UIEvent setFocus = MakeEvent(UIEventSetFocus, box);
    box->DispatchEvent(setFocus);
    EXPECT_TRUE(box->IsFocused());
    UIEvent killFocus = MakeEvent(UIEventKillFocus, box);
    box->DispatchEvent(killFocus);
    EXPECT_FALSE(box->IsFocused());
    EXPECT_TRUE(parent.kinds.empty());
}

TEST(ControlEvents, EventHandlersMayConsumeAnEventBeforeHandleEvent)
{
    struct Filter
    {
        std::vector<int> seen;
        bool pass = true;
        bool OnEvent(void* p)
        {
            seen.push_back(static_cast<UIEvent*>(p)->nKind);
            return pass;
        }
    };
    EventLogContainer parent;
    CControlUI* leaf = new CControlUI;
    parent.Add(leaf);
    leaf->SetManager(NULL, &parent, false);
    Filter f;
    leaf->EventHandlers.AddHandler(CDelegate<Filter, Filter>(&f, &Filter::OnEvent));

    UIEvent ev = MakeEvent(UIEventButtonDown, leaf);
    leaf->DispatchEvent(ev);
    EXPECT_EQ(std::vector<int>{ UIEventButtonDown }, f.seen);
    EXPECT_EQ(std::vector<int>{ UIEventButtonDown }, parent.kinds) << "passed on by HandleEvent";
    f.pass = false;
    leaf->DispatchEvent(ev);
    EXPECT_EQ(2u, f.seen.size());
    EXPECT_EQ(1u, parent.kinds.size()) << "a handler returning false ends the dispatch";

    // Context menus stay with a control whose menu is enabled.
    f.pass = true;
    parent.kinds.clear();
    UIEvent menu = MakeEvent(UIEventContextMenu, leaf);
    leaf->DispatchEvent(menu);
    EXPECT_EQ(1u, parent.kinds.size());
    leaf->SetContextMenuEnabled(true);
    leaf->DispatchEvent(menu);
    UIEvent timer = MakeEvent(UIEventTimer, leaf, 7);
    leaf->DispatchEvent(timer);
    EXPECT_EQ(1u, parent.kinds.size()) << "menu and timer are not passed up";
}

} // namespace
