// Vertical and horizontal layouts: child rectangles for fixed, measured,
// minimum, maximum and stretched sizes (a table per axis), paddings, insets,
// invisible and float children, scroll bars, and the separator strip dragged
// with posted mouse messages in a real window.
#include "ControlsTestUtil.h"


#include "UIScrollBar.h"

using namespace SkinUI;
using namespace ctltest;
using testsupport::Canvas;

namespace {

// One child of a layout case. "size" is the fixed size along the stacking
// axis, "cross" the fixed size across it; measured >= 0 makes the child a
// probe whose MeasureSize answers that size along the axis.
struct Child
{
    int size;
    int cross;
    int minSize;
    int maxSize;
    int minCross;
    int maxCross;
    RECT padding;
    bool visible;
    bool floating;
    int measured;
};

Child C(int size, int cross = 0)
{
    Child c = { size, cross, 0, 9999, 0, 9999, { 0, 0, 0, 0 }, true, false, -1 };
    return c;
}
Child WithPadding(Child c, int l, int t, int r, int b)
{
    c.padding = RECT{ l, t, r, b };
    return c;
}
Child WithLimits(Child c, int minSize, int maxSize, int minCross = 0, int maxCross = 9999)
{
    c.minSize = minSize;
    c.maxSize = maxSize;
    c.minCross = minCross;
    c.maxCross = maxCross;
    return c;
}
Child Hidden(Child c)
{
    c.visible = false;
    return c;
}
// A float child at offset (x, y) of size size x cross.
Child Float(int x, int y, int size, int cross)
{
    Child c = C(size, cross);
    c.floating = true;
    c.padding = RECT{ x, y, 0, 0 };   // carries the float offset
    return c;
}
Child Measured(int measured)
{
    Child c = C(0);
    c.measured = measured;
    return c;
}

struct LayoutCase
{
    const char* name;
    int length;            // the layout's extent along the axis
    int childPadding;
    RECT inset;
    std::vector<Child> children;
    std::vector<RECT> expected;   // in the layout's axis terms, see Expect below
};

const int kCross = 200;   // the layout's extent across the axis

// Builds the child controls of a case into a layout.
void Populate(CContainerUI* layout, const LayoutCase& tc, bool vertical)
{
    for (const Child& c : tc.children) {
        CControlUI* ctl = NULL;
        if (c.measured >= 0) {
            MeasureProbe* probe = new MeasureProbe;
            probe->measured = vertical ? CUISize(0, c.measured) : CUISize(c.measured, 0);
            ctl = probe;
        } else {
            ctl = new CControlUI;
        }
        if (vertical) {
            ctl->SetFixedHeight(c.size);
            ctl->SetFixedWidth(c.cross);
            ctl->SetMinHeight(c.minSize);
            ctl->SetMaxHeight(c.maxSize);
            ctl->SetMinWidth(c.minCross);
            ctl->SetMaxWidth(c.maxCross);
        } else {
            ctl->SetFixedWidth(c.size);
            ctl->SetFixedHeight(c.cross);
            ctl->SetMinWidth(c.minSize);
            ctl->SetMaxWidth(c.maxSize);
            ctl->SetMinHeight(c.minCross);
            ctl->SetMaxHeight(c.maxCross);
        }
        if (c.floating) {
            ctl->SetFloat(true);
            ctl->SetFloatOffset(c.padding.left, c.padding.top);
        } else {
            ctl->SetPadding(c.padding);
        }
        if (!c.visible)
            ctl->SetVisible(false);
        layout->Add(ctl);
    }
    layout->SetInset(tc.inset);
    layout->SetChildPadding(tc.childPadding);
}

class BoxLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Open(400, 320)); }

    // Lays a fresh layout of the case out as the window's root.
    void Run(const LayoutCase& tc, bool vertical)
    {
        SCOPED_TRACE(tc.name);
        CContainerUI* layout = vertical ? static_cast<CContainerUI*>(new CVerticalLayoutUI)
                                        : static_cast<CContainerUI*>(new CHorizontalLayoutUI);
        Populate(layout, tc, vertical);
        ASSERT_TRUE(host.pm.AttachRoot(layout));
        const RECT rc = vertical ? RECT{ 0, 0, kCross, tc.length } : RECT{ 0, 0, tc.length, kCross };
        layout->SetPos(rc);
        ASSERT_EQ(tc.expected.size(), (size_t)layout->GetCount());
        for (int i = 0; i < layout->GetCount(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_RECT(tc.expected[i], layout->GetItemAt(i)->GetPos());
        }
        Drain();   // the previous root goes with the delayed cleanup
    }

    HostWindow host;
};

const RECT kNoInset = { 0, 0, 0, 0 };
const RECT kUnplaced = { 0, 0, 0, 0 };

TEST_F(BoxLayoutTest, VerticalPlacementTable)
{
    const LayoutCase cases[] = {
        // Child paddings stay in the fixed part: 20 px stay empty at the bottom.
        { "fixed between adjustables", 300, 10, kNoInset, { C(0), C(50), C(0) },
          { { 0, 0, 200, 115 }, { 0, 125, 200, 175 }, { 0, 185, 200, 280 } } },
        { "three adjustables share 100", 100, 0, kNoInset, { C(0), C(0), C(0) },
          { { 0, 0, 200, 33 }, { 0, 33, 200, 66 }, { 0, 66, 200, 100 } } },
        // The bottom padding lies inside the child's rectangle.
        { "padding", 200, 4, kNoInset, { WithPadding(C(20), 0, 5, 0, 5), C(10) },
          { { 0, 5, 200, 30 }, { 0, 34, 200, 44 } } },
        { "invisible and float children take no room", 200, 5, kNoInset,
          { C(30), Hidden(C(50)), Float(10, 10, 20, 20), C(0) },
          { { 0, 0, 200, 30 }, kUnplaced, { 10, 10, 30, 30 }, { 0, 35, 200, 195 } } },
        { "adjustable gets 0 when the fixed ones overflow", 100, 0, kNoInset, { C(80), C(40), C(0) },
          { { 0, 0, 200, 80 }, { 0, 80, 200, 120 }, { 0, 120, 200, 120 } } },
        { "min and max heights", 300, 0, kNoInset,
          { WithLimits(C(20), 30, 9999), WithLimits(C(200), 0, 50), WithLimits(C(0), 0, 10), C(0) },
          { { 0, 0, 200, 30 }, { 0, 30, 200, 80 }, { 0, 80, 200, 90 }, { 0, 90, 200, 300 } } },
        { "widths: fixed, stretched inside padding, min, max", 100, 0, kNoInset,
          { C(10, 50), WithPadding(C(10), 7, 0, 3, 0), WithLimits(C(10), 0, 9999, 250, 9999),
            WithLimits(C(10, 300), 0, 9999, 0, 120) },
          { { 0, 0, 50, 10 }, { 7, 10, 197, 20 }, { 0, 20, 250, 30 }, { 0, 30, 120, 40 } } },
        { "inset", 300, 0, { 10, 20, 30, 40 }, { C(0), C(40) },
          { { 10, 20, 170, 220 }, { 10, 220, 170, 260 } } },
        { "measured height counts as fixed", 100, 0, kNoInset, { Measured(25), C(0) },
          { { 0, 0, 200, 25 }, { 0, 25, 200, 100 } } },
    };
    for (const LayoutCase& tc : cases)
        Run(tc, true);
}

// The same placements along x; the horizontal layout keeps the right padding
// inside the child and the bottom padding outside.
RECT Swap(const RECT& r)
{
    return RECT{ r.top, r.left, r.bottom, r.right };
}

TEST_F(BoxLayoutTest, HorizontalPlacementTable)
{
    const LayoutCase cases[] = {
        { "fixed between adjustables", 300, 10, kNoInset, { C(0), C(50), C(0) },
          { Swap({ 0, 0, 200, 115 }), Swap({ 0, 125, 200, 175 }), Swap({ 0, 185, 200, 280 }) } },
        { "three adjustables share 100", 100, 0, kNoInset, { C(0), C(0), C(0) },
          { { 0, 0, 33, 200 }, { 33, 0, 66, 200 }, { 66, 0, 100, 200 } } },
        { "padding", 200, 4, kNoInset, { WithPadding(C(20), 5, 0, 5, 0), C(10) },
          { { 5, 0, 30, 200 }, { 34, 0, 44, 200 } } },
        { "heights: fixed, stretched inside padding (bottom outside), min", 100, 0, kNoInset,
          { C(10, 20), WithPadding(C(10), 0, 7, 0, 3), WithLimits(C(10), 0, 9999, 260, 9999) },
          { { 0, 0, 10, 20 }, { 10, 7, 20, 197 }, { 20, 0, 30, 260 } } },
        { "invisible and float children take no room", 200, 5, kNoInset,
          { C(30), Hidden(C(50)), Float(10, 10, 20, 20), C(0) },
          { { 0, 0, 30, 200 }, kUnplaced, { 10, 10, 30, 30 }, { 35, 0, 195, 200 } } },
        { "min and max widths", 300, 0, kNoInset,
          { WithLimits(C(20), 30, 9999), WithLimits(C(200), 0, 50), WithLimits(C(0), 0, 10), C(0) },
          { { 0, 0, 30, 200 }, { 30, 0, 80, 200 }, { 80, 0, 90, 200 }, { 90, 0, 300, 200 } } },
        { "inset", 300, 0, { 20, 10, 40, 30 }, { C(0), C(40) },
          { { 20, 10, 220, 170 }, { 220, 10, 260, 170 } } },
        { "measured width counts as fixed", 100, 0, kNoInset, { Measured(25), C(0) },
          { { 0, 0, 25, 200 }, { 25, 0, 100, 200 } } },
    };
    for (const LayoutCase& tc : cases)
        Run(tc, false);
}

TEST_F(BoxLayoutTest, MeasureIsOfferedTheAvailableAndTheRemainingSpace)
{
    CVerticalLayoutUI* layout = new CVerticalLayoutUI;
    MeasureProbe* probe = new MeasureProbe;
    probe->measured = CUISize(0, 30);
    probe->SetPadding(CUIRect(0, 6, 0, 0));
    layout->Add(new CControlUI);   // fixed 0: adjustable
    layout->Add(probe);
    layout->GetItemAt(0)->SetFixedHeight(40);
    layout->SetChildPadding(5);
    ASSERT_TRUE(host.pm.AttachRoot(layout));
    layout->SetPos(CUIRect(0, 0, 200, 300));
    ASSERT_EQ(2u, probe->offered.size());
    // First pass: the whole client size; second: what is left after the
    // first child, its child padding and the probe's own top padding.
    EXPECT_EQ(200, probe->offered[0].cx);
    EXPECT_EQ(300, probe->offered[0].cy);
    EXPECT_EQ(200, probe->offered[1].cx);
    EXPECT_EQ(300 - 40 - 5 - 6, probe->offered[1].cy);
    EXPECT_RECT(CUIRect(0, 51, 200, 81), probe->GetPos());
}

TEST_F(BoxLayoutTest, MinHeightOverflowShowsTheVerticalBarAndScrollingShiftsChildren)
{
    CVerticalLayoutUI* layout = new CVerticalLayoutUI;
    CControlUI* tall = new CControlUI;
    tall->SetMinHeight(500);
    CControlUI* below = new CControlUI;
    below->SetFixedHeight(20);
    layout->Add(tall);
    layout->Add(below);
    layout->EnableScrollBar(true, false);
    ASSERT_TRUE(host.pm.AttachRoot(layout));
    layout->SetPos(CUIRect(0, 0, 200, 300));

    CScrollBarUI* bar = layout->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(520 - 300, bar->GetScrollRange());
    const int cxBar = bar->GetFixedWidth();
    EXPECT_RECT(CUIRect(0, 0, 200 - cxBar, 500), tall->GetPos());
    EXPECT_RECT(CUIRect(0, 500, 200 - cxBar, 520), below->GetPos());

    layout->SetScrollPos(CUISize(0, 50));
    EXPECT_EQ(50, layout->GetScrollPos().cy);
    EXPECT_RECT(CUIRect(0, -50, 200 - cxBar, 450), tall->GetPos());
    // A new layout pass keeps the scroll offset.
    layout->SetPos(CUIRect(0, 0, 200, 300));
    EXPECT_RECT(CUIRect(0, 450, 200 - cxBar, 470), below->GetPos());
}

// The horizontal scroll bar: it widens the space the children share and
// shifts them; a horizontal layout without children places its bar below
// the whole client rectangle, a vertical one inside it.
TEST_F(BoxLayoutTest, HorizontalBarWidensAndShiftsTheChildren)
{
    struct Case
    {
        const char* name;
        bool vertical;
        int children;        // adjustable children
        int range;
        int pos;
        std::vector<RECT> expected;
        RECT bar;
    };
    const int h = 16;   // a horizontal bar's default height
    const Case cases[] = {
        { "horizontal, range 100", false, 3, 100, 0,
          { { 0, 0, 133, 200 - h }, { 133, 0, 266, 200 - h }, { 266, 0, 400, 200 - h } }, { 0, 200 - h, 300, 200 } },
        { "horizontal, scrolled 30", false, 3, 100, 30,
          { { -30, 0, 103, 200 - h }, { 103, 0, 236, 200 - h }, { 236, 0, 370, 200 - h } },
          { 0, 200 - h, 300, 200 } },
        { "vertical, scrolled 30", true, 1, 100, 30, { { -30, 0, 370, 200 - h } }, { 0, 200 - h, 300, 200 } },
        { "horizontal, no children", false, 0, 100, 0, {}, { 0, 200, 300, 200 + h } },
        { "vertical, no children", true, 0, 100, 0, {}, { 0, 200 - h, 300, 200 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CContainerUI* layout = c.vertical ? static_cast<CContainerUI*>(new CVerticalLayoutUI)
                                          : static_cast<CContainerUI*>(new CHorizontalLayoutUI);
        for (int i = 0; i < c.children; ++i)
            layout->Add(new CControlUI);
        layout->EnableScrollBar(false, true);
        ASSERT_TRUE(host.pm.AttachRoot(layout));
        CScrollBarUI* bar = layout->GetHorizontalScrollBar();
        ASSERT_NE(nullptr, bar);
        ASSERT_EQ(h, bar->GetFixedHeight());
        bar->SetScrollRange(c.range);
        bar->SetScrollPos(c.pos);
        layout->SetPos(CUIRect(0, 0, 300, 200));
        ASSERT_EQ(c.expected.size(), (size_t)layout->GetCount());
        for (int i = 0; i < layout->GetCount(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_RECT(c.expected[i], layout->GetItemAt(i)->GetPos());
        }
        EXPECT_RECT(c.bar, bar->GetPos());
        Drain();
    }
}

TEST(BoxLayoutNames, ClassNamesInterfacesAndInputFlags)
{
    CVerticalLayoutUI v;
    EXPECT_STREQ(L"VerticalLayoutUI", v.GetClassName());
    EXPECT_EQ(static_cast<void*>(&v), v.GetInterface(L"VerticalLayout"));
    EXPECT_EQ(static_cast<void*>(static_cast<CContainerUI*>(&v)), v.GetInterface(L"Container"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&v)), v.GetInterface(L"IContainer"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&v)), v.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, v.GetInterface(L"HorizontalLayout"));
    EXPECT_EQ(0u, v.GetInputFlags());
    v.SetAttribute(L"sepheight", L"4");
    EXPECT_EQ((UINT)WantSetCursor, v.GetInputFlags());
    v.SetEnabled(false);
    EXPECT_EQ(0u, v.GetInputFlags());

    CHorizontalLayoutUI h;
    EXPECT_STREQ(L"HorizontalLayoutUI", h.GetClassName());
    EXPECT_EQ(static_cast<void*>(&h), h.GetInterface(L"HorizontalLayout"));
    EXPECT_EQ(static_cast<void*>(static_cast<CContainerUI*>(&h)), h.GetInterface(L"Container"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&h)), h.GetInterface(L"IContainer"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&h)), h.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, h.GetInterface(L"VerticalLayout"));
    EXPECT_EQ(0u, h.GetInputFlags());
    h.SetAttribute(L"sepwidth", L"-3");
    EXPECT_EQ((UINT)WantSetCursor, h.GetInputFlags());
}

TEST(BoxLayoutNames, SeparatorRectangles)
{
    CVerticalLayoutUI v;
    v.SetPos(CUIRect(10, 20, 110, 80));
    v.SetSeparatorHeight(4);
    EXPECT_RECT(CUIRect(10, 76, 110, 80), v.GetSeparatorRect(false));
    v.SetSeparatorHeight(100);   // clamped to the rectangle
    EXPECT_RECT(CUIRect(10, 20, 110, 80), v.GetSeparatorRect(false));
    v.SetSeparatorHeight(-5);
    EXPECT_RECT(CUIRect(10, 20, 110, 25), v.GetSeparatorRect(false));
    v.SetSeparatorHeight(-100);
    EXPECT_RECT(CUIRect(10, 20, 110, 80), v.GetSeparatorRect(false));

    CHorizontalLayoutUI h;
    h.SetPos(CUIRect(10, 20, 110, 80));
    h.SetSeparatorWidth(4);
    EXPECT_RECT(CUIRect(106, 20, 110, 80), h.GetSeparatorRect(false));
    h.SetSeparatorWidth(-5);
    EXPECT_RECT(CUIRect(10, 20, 15, 80), h.GetSeparatorRect(false));
    h.SetSeparatorWidth(-200);   // not clamped
    EXPECT_RECT(CUIRect(10, 20, 210, 80), h.GetSeparatorRect(false));
}

TEST(BoxLayoutNames, SetCursorOverTheSeparatorGivesTheSizingCursor)
{
    CVerticalLayoutUI v;
    v.SetPos(CUIRect(0, 0, 100, 100));
    v.SetSeparatorHeight(4);
    ::SetCursor(NULL);
    UIEvent ev = MakeEvent(UIEventSetCursor, POINT{ 50, 98 });
    v.HandleEvent(ev);
    EXPECT_EQ(::LoadCursorW(NULL, IDC_SIZENS), ::GetCursor());

    CHorizontalLayoutUI h;
    h.SetPos(CUIRect(0, 0, 100, 100));
    h.SetSeparatorWidth(-4);
    ev = MakeEvent(UIEventSetCursor, POINT{ 2, 50 });
    h.HandleEvent(ev);
    EXPECT_EQ(::LoadCursorW(NULL, IDC_SIZEWE), ::GetCursor());
}

// ---------------------------------------------------------------------------
// Separator drags through the window's own mouse handling.
// ---------------------------------------------------------------------------
class SeparatorDragTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(300, 300));
        root = new CVerticalLayoutUI;
        panel = new CVerticalLayoutUI;
        panel->SetName(L"panel");
        panel->SetFixedHeight(100);
        panel->SetMinHeight(40);
        panel->SetBackgroundColor(0xFFFFFFFF);
        panel->SetAttribute(L"sepheight", L"4");
        rest = new CControlUI;
        rest->SetBackgroundColor(0xFFFFFFFF);
        root->Add(panel);
        root->Add(rest);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.Update();
        ASSERT_TRUE(SameRect(CUIRect(0, 0, 300, 100), panel->GetPos())) << RectText(panel->GetPos());
    }

    HostWindow host;
    CVerticalLayoutUI* root = nullptr;
    CVerticalLayoutUI* panel = nullptr;
    CControlUI* rest = nullptr;
};

TEST_F(SeparatorDragTest, WithoutImmediateOnlyTheLineMovesUntilRelease)
{
    host.PostMouse(WM_LBUTTONDOWN, 50, 98);
    host.PostMouse(WM_MOUSEMOVE, 50, 150);
    Drain();
    host.Update();

    // The layout itself has not changed yet; the line is drawn over the
    // sibling: 0xAA000000 over white.
    EXPECT_RECT(CUIRect(0, 0, 300, 100), panel->GetPos());
    EXPECT_RECT(CUIRect(0, 100, 300, 300), rest->GetPos());
    Canvas canvas(300, 300);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    const DWORD line = canvas.Pixel(50, 150);
    EXPECT_TRUE(testsupport::ColorNear(line, 0xFF555555, 3)) << testsupport::ColorText(line);
    EXPECT_PIXEL(canvas, 50, 200, kWhite);
    EXPECT_PIXEL(canvas, 50, 50, kWhite);
    canvas.DumpIfFailed("separator_line");

    host.PostMouse(WM_LBUTTONUP, 50, 150);
    Drain();
    host.Update();
    // The strip moved by the pointer's travel; the size stays as the fixed height.
    EXPECT_RECT(CUIRect(0, 0, 300, 152), panel->GetPos());
    EXPECT_RECT(CUIRect(0, 152, 300, 300), rest->GetPos());
    EXPECT_EQ(152, panel->GetFixedHeight());
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    EXPECT_PIXEL(canvas, 50, 150, kWhite);
}

TEST_F(SeparatorDragTest, ImmediateModeMovesTheSiblingsWhileDragging)
{
    panel->SetAttribute(L"sepimm", L"true");
    host.PostMouse(WM_LBUTTONDOWN, 50, 98);
    host.PostMouse(WM_MOUSEMOVE, 50, 130);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 300, 132), panel->GetPos());
    EXPECT_RECT(CUIRect(0, 132, 300, 300), rest->GetPos());
    Canvas canvas(300, 300);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    EXPECT_PIXEL(canvas, 50, 130, kWhite);   // no line in immediate mode

    host.PostMouse(WM_LBUTTONUP, 50, 130);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 300, 132), panel->GetPos());
}

TEST_F(SeparatorDragTest, DraggingUpStopsAtTheMinimumHeight)
{
    panel->SetAttribute(L"sepimm", L"true");
    host.PostMouse(WM_LBUTTONDOWN, 50, 98);
    host.PostMouse(WM_MOUSEMOVE, 50, 20);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 300, 40), panel->GetPos());
    // Further up: already at the minimum, nothing changes.
    host.PostMouse(WM_MOUSEMOVE, 50, 5);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 300, 40), panel->GetPos());
    EXPECT_EQ(40, panel->GetFixedHeight());
    host.PostMouse(WM_LBUTTONUP, 50, 5);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(0, 40, 300, 300), rest->GetPos());
}

TEST_F(SeparatorDragTest, PressOutsideTheStripStartsNoDrag)
{
    host.PostMouse(WM_LBUTTONDOWN, 50, 60);
    host.PostMouse(WM_MOUSEMOVE, 50, 150);
    host.PostMouse(WM_LBUTTONUP, 50, 150);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 300, 100), panel->GetPos());
    EXPECT_EQ(100, panel->GetFixedHeight());
}

// A drag with a strip of 4 at the far edge, step by step: moves are ignored
// while the pointer has not caught up with the edge again after a limit
// stopped it; the vertical layout counts the strip beyond the edge, the
// horizontal one inside it.
TEST(SeparatorDragSteps, MovesAreIgnoredUntilThePointerCatchesUp)
{
    struct Step
    {
        int pointer;
        int edge;   // the layout's far edge afterwards
    };
    struct Case
    {
        bool vertical;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        { true, { { 20, 40 }, { 25, 40 }, { 37, 40 }, { 50, 53 }, { 200, 150 }, { 190, 150 }, { 140, 100 } } },
        { false, { { 20, 40 }, { 25, 40 }, { 37, 52 }, { 200, 150 }, { 190, 150 }, { 140, 100 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertical ? "vertical" : "horizontal");
        HostWindow host;
        ASSERT_TRUE(host.Open(300, 300));
        CContainerUI* root = c.vertical ? static_cast<CContainerUI*>(new CVerticalLayoutUI)
                                        : static_cast<CContainerUI*>(new CHorizontalLayoutUI);
        CContainerUI* panel = c.vertical ? static_cast<CContainerUI*>(new CVerticalLayoutUI)
                                         : static_cast<CContainerUI*>(new CHorizontalLayoutUI);
        if (c.vertical) {
            panel->SetFixedHeight(100);
            panel->SetMinHeight(40);
            panel->SetMaxHeight(150);
            panel->SetAttribute(L"sepheight", L"4");
        } else {
            panel->SetFixedWidth(100);
            panel->SetMinWidth(40);
            panel->SetMaxWidth(150);
            panel->SetAttribute(L"sepwidth", L"4");
        }
        panel->SetAttribute(L"sepimm", L"true");
        root->Add(panel);
        root->Add(new CControlUI);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.Update();
        auto post = [&](UINT msg, int p) {
            if (c.vertical)
                host.PostMouse(msg, 50, p);
            else
                host.PostMouse(msg, p, 50);
        };
        auto edge = [&]() { return c.vertical ? panel->GetPos().bottom : panel->GetPos().right; };
        ASSERT_EQ(100, edge());
        post(WM_LBUTTONDOWN, 98);
        for (const Step& st : c.steps) {
            SCOPED_TRACE(st.pointer);
            post(WM_MOUSEMOVE, st.pointer);
            Drain();
            host.Update();
            EXPECT_EQ(st.edge, edge());
        }
        post(WM_LBUTTONUP, 140);
        Drain();
        host.Update();
        EXPECT_EQ(100, c.vertical ? panel->GetFixedHeight() : panel->GetFixedWidth());
    }
}

TEST(HorizontalSeparatorDrag, LeftEdgeStripResizesFromTheLeft)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(300, 100));
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    CControlUI* left = new CControlUI;
    CHorizontalLayoutUI* panel = new CHorizontalLayoutUI;
    panel->SetFixedWidth(100);
    panel->SetMaxWidth(150);
    panel->SetAttribute(L"sepwidth", L"-6");
    panel->SetAttribute(L"sepimm", L"true");
    root->Add(left);
    root->Add(panel);
    ASSERT_TRUE(host.pm.AttachRoot(root));
    host.Update();
    ASSERT_TRUE(SameRect(CUIRect(200, 0, 300, 100), panel->GetPos())) << RectText(panel->GetPos());

    // Grab the strip at x 202 and pull it left: the left edge follows until the
    // maximum width of 150 is reached.
    host.PostMouse(WM_LBUTTONDOWN, 202, 50);
    host.PostMouse(WM_MOUSEMOVE, 180, 50);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(178, 0, 300, 100), panel->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 178, 100), left->GetPos());
    host.PostMouse(WM_MOUSEMOVE, 100, 50);
    Drain();
    host.Update();
    EXPECT_RECT(CUIRect(150, 0, 300, 100), panel->GetPos());
    EXPECT_EQ(150, panel->GetFixedWidth());
    host.PostMouse(WM_LBUTTONUP, 100, 50);
    Drain();
}

} // namespace
