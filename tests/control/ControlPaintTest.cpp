// Painting of the control and container bases into a DIB, read back pixel by
// pixel: the fixed paint order, background colours and gradients, borders,
// the round clip, background images, and the container's clipped painting of
// its children, float children and scroll bars.
#include "ControlTestUtil.h"

#include "UIRender.h"

using namespace SkinUI;
using namespace controltest;
using testsupport::Canvas;
using testsupport::ColorNear;
using testsupport::ColorText;

namespace {

const DWORD kWhite = 0xFFFFFFFF;
const DWORD kRed = 0xFFFF0000;
const DWORD kBlue = 0xFF0000FF;
const DWORD kGreen = 0xFF00FF00;
const DWORD kGrey = 0xFF808080;

#define EXPECT_NEAR_PIXEL(canvas, x, y, want, tol)                                               \
    EXPECT_PRED3(ColorNear, (canvas).Pixel((x), (y)), (DWORD)(want), (tol))                      \
        << "at (" << (x) << "," << (y) << ") got " << ColorText((canvas).Pixel((x), (y)))         \
        << " want " << ColorText(want)

CUIRect Whole(const Canvas& c)
{
    return CUIRect(0, 0, c.Width(), c.Height());
}

// Logs the painting steps of the control base.
class PaintProbe : public CControlUI
{
public:
    std::vector<std::string> steps;
    void PaintBackgroundColor(HDC hDC) override
    {
        steps.push_back("bkcolor");
        CControlUI::PaintBackgroundColor(hDC);
    }
    void PaintBackgroundImage(HDC hDC) override
    {
        steps.push_back("bkimage");
        CControlUI::PaintBackgroundImage(hDC);
    }
    void PaintStateImage(HDC hDC) override
    {
        steps.push_back("state");
        CControlUI::PaintStateImage(hDC);
    }
    void PaintText(HDC hDC) override
    {
        steps.push_back("text");
        CControlUI::PaintText(hDC);
    }
    void PaintBorder(HDC hDC) override
    {
        steps.push_back("border");
        CControlUI::PaintBorder(hDC);
    }
};

// Counts its Paint calls.
class CountingControl : public CControlUI
{
public:
    int paints = 0;
    void Paint(HDC hDC, const RECT& rcPaint) override
    {
        ++paints;
        CControlUI::Paint(hDC, rcPaint);
    }
};

TEST(ControlPaint, StepsRunInTheFixedOrderOnlyWhenThePaintRectMeetsTheItem)
{
    Canvas canvas(80, 60);
    PaintProbe probe;
    probe.SetPos(CUIRect(10, 10, 60, 40));
    probe.Paint(canvas.dc(), Whole(canvas));
    const std::vector<std::string> order = { "bkcolor", "bkimage", "state", "text", "border" };
    EXPECT_EQ(order, probe.steps);

    probe.steps.clear();
    probe.SetBorderRound(6, 6);
    probe.Paint(canvas.dc(), Whole(canvas));
    EXPECT_EQ(order, probe.steps) << "the round clip keeps the order";

    probe.steps.clear();
    probe.Paint(canvas.dc(), CUIRect(60, 0, 80, 60));
    EXPECT_TRUE(probe.steps.empty()) << "the right edge is exclusive";
}

TEST(ControlPaint, LaterStepsDrawOverEarlierOnes)
{
    Canvas canvas(80, 60);
    CControlUI c;
    c.SetPos(CUIRect(10, 10, 60, 40));
    c.ApplyAttributes(L"bkcolor=\"#FFFF0000\" bordercolor=\"#FF0000FF\" bordersize=\"1\"");
    c.Paint(canvas.dc(), Whole(canvas));
    EXPECT_PIXEL(canvas, 10, 20, kBlue);
    EXPECT_PIXEL(canvas, 30, 39, kBlue);
    EXPECT_PIXEL(canvas, 30, 20, kRed);
    EXPECT_PIXEL(canvas, 9, 20, kWhite);
    EXPECT_PIXEL(canvas, 60, 20, kWhite);
    canvas.DumpIfFailed("control_order");
}

TEST(ControlPaint, OpaqueColourFillsThePaintRectTranslucentTheWholeItem)
{
    struct Case
    {
        DWORD colour;
        DWORD insidePaint;
        DWORD outsidePaint;
        int tol;
    };
    const Case cases[] = {
        { 0xFFFF0000, 0xFFFF0000, kWhite, 0 },
        { 0x80FF0000, 0xFFFF7F7F, 0xFFFF7F7F, 2 },
        { 0x00FF0000, kWhite, kWhite, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ColorText(c.colour));
        Canvas canvas(80, 60);
        CControlUI control;
        control.SetPos(CUIRect(10, 10, 60, 40));
        control.SetBackgroundColor(c.colour);
        control.Paint(canvas.dc(), CUIRect(0, 0, 30, 60));
        EXPECT_NEAR_PIXEL(canvas, 20, 20, c.insidePaint, c.tol);
        EXPECT_NEAR_PIXEL(canvas, 45, 20, c.outsidePaint, c.tol);
        EXPECT_PIXEL(canvas, 5, 20, kWhite);
    }
}

TEST(ControlPaint, GradientsOfTwoAndThreeColours)
{
    {
        Canvas canvas(40, 100);
        CControlUI c;
        c.SetPos(CUIRect(0, 0, 40, 100));
        c.ApplyAttributes(L"bkcolor=\"#FF000000\" bkcolor2=\"#FFFFFFFF\"");
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_NEAR_PIXEL(canvas, 20, 0, 0xFF000000, 20);
        EXPECT_NEAR_PIXEL(canvas, 20, 50, 0xFF808080, 20);
        EXPECT_NEAR_PIXEL(canvas, 20, 99, 0xFFFFFFFF, 20);
        canvas.DumpIfFailed("control_gradient2");
    }
    {
        Canvas canvas(40, 100, 0xFF000000);
        CControlUI c;
        c.SetPos(CUIRect(0, 0, 40, 100));
        c.ApplyAttributes(L"bkcolor=\"#FFFF0000\" bkcolor2=\"#FF00FF00\" bkcolor3=\"#FF0000FF\"");
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_NEAR_PIXEL(canvas, 20, 0, kRed, 40);
        EXPECT_NEAR_PIXEL(canvas, 20, 49, kGreen, 40);
        EXPECT_NEAR_PIXEL(canvas, 20, 50, kGreen, 40);
        EXPECT_NEAR_PIXEL(canvas, 20, 99, kBlue, 40);
        canvas.DumpIfFailed("control_gradient3");
    }
}

// Which pixels of a 50x30 control at (10,10) carry the border colour.
struct BorderProbe
{
    int x, y;
    bool coloured;
};

void ExpectBorder(const char* what, const wchar_t* attrs, const std::vector<BorderProbe>& probes,
                  bool focused = false)
{
    SCOPED_TRACE(what);
    Canvas canvas(80, 60);
    CControlUI c;
    c.SetPos(CUIRect(10, 10, 60, 40));
    c.ApplyAttributes(attrs);
    if (focused) {
        UIEvent ev = MakeEvent(UIEventSetFocus, &c);
        c.HandleEvent(ev);
        ASSERT_TRUE(c.IsFocused());
    }
    c.Paint(canvas.dc(), Whole(canvas));
    for (const BorderProbe& p : probes) {
        if (p.coloured)
            EXPECT_NE(kWhite & 0xFFFFFF, canvas.Pixel(p.x, p.y) & 0xFFFFFF)
                << "(" << p.x << "," << p.y << ") should be border";
        else
            EXPECT_PIXEL(canvas, p.x, p.y, kWhite);
    }
    canvas.DumpIfFailed(what);
}

TEST(ControlPaint, BorderSizeSequenceFullBottomFull)
{
    // "2": a full 2-pixel outline inside the item.
    ExpectBorder("border_2", L"bordercolor=\"#FFFF0000\" bordersize=\"2\"",
                 { { 10, 20, true }, { 11, 20, true }, { 12, 20, false }, { 59, 20, true }, { 58, 20, true },
                   { 57, 20, false }, { 30, 10, true }, { 30, 11, true }, { 30, 39, true }, { 30, 38, true },
                   { 30, 37, false }, { 9, 20, false }, { 60, 20, false }, { 30, 40, false } });
    // then "0,0,0,1": only the bottom line, on the item's last row.
    ExpectBorder("border_2_then_bottom", L"bordercolor=\"#FFFF0000\" bordersize=\"2\" bordersize=\"0,0,0,1\"",
                 { { 30, 39, true }, { 10, 39, true }, { 59, 39, true }, { 30, 38, false }, { 30, 40, false },
                   { 10, 20, false }, { 59, 20, false }, { 30, 10, false } });
    // then "1": the sides are cleared, a full 1-pixel outline again.
    ExpectBorder("border_bottom_then_1",
                 L"bordercolor=\"#FFFF0000\" bordersize=\"2\" bordersize=\"0,0,0,1\" bordersize=\"1\"",
                 { { 10, 20, true }, { 11, 20, false }, { 59, 20, true }, { 58, 20, false }, { 30, 10, true },
                   { 30, 39, true }, { 30, 38, false } });
}

TEST(ControlPaint, SideLinesLieInsideTheItem)
{
    ExpectBorder("sides_1", L"bordercolor=\"#FF00FF00\" bordersize=\"1,1,1,1\"",
                 { { 10, 20, true }, { 9, 20, false }, { 11, 20, false }, { 59, 20, true }, { 60, 20, false },
                   { 58, 20, false }, { 30, 10, true }, { 30, 9, false }, { 30, 39, true }, { 30, 40, false } });
    ExpectBorder("sides_2", L"bordercolor=\"#FF00FF00\" bordersize=\"2,2,2,2\"",
                 { { 10, 20, true }, { 11, 20, true }, { 9, 20, false }, { 12, 20, false }, { 59, 20, true },
                   { 58, 20, true }, { 60, 20, false }, { 57, 20, false }, { 30, 10, true }, { 30, 11, true },
                   { 30, 9, false }, { 30, 39, true }, { 30, 38, true }, { 30, 40, false }, { 30, 37, false } });
    ExpectBorder("right_3", L"bordercolor=\"#FF00FF00\" rightbordersize=\"3\"",
                 { { 59, 20, true }, { 57, 20, true }, { 56, 20, false }, { 60, 20, false }, { 10, 20, false } });
}

TEST(ControlPaint, BordersWiderThanTheControlAreDrawnAsWideAsTheControl)
{
    // Widths no pen needs: the outline covers the 50 x 30 item (the wide
    // pen's round joins leave its corners) and stays inside it.
    ExpectBorder("border_huge", L"bordercolor=\"#FFFF0000\" bordersize=\"1000000\"",
                 { { 10, 25, true }, { 35, 25, true }, { 59, 25, true }, { 35, 10, true }, { 35, 39, true },
                   { 9, 25, false }, { 60, 25, false }, { 35, 9, false }, { 35, 40, false } });
    ExpectBorder("border_huge_round", L"bordercolor=\"#FFFF0000\" bordersize=\"2147483647\" borderround=\"1000000,1000000\"",
                 { { 35, 25, true }, { 9, 25, false }, { 60, 25, false } });
    ExpectBorder("sides_huge", L"bordercolor=\"#FF00FF00\" bordersize=\"1000000,1000000,1000000,1000000\"",
                 { { 11, 11, true }, { 35, 25, true }, { 58, 38, true } });
    ExpectBorder("sides_huge_negative", L"bordercolor=\"#FF00FF00\" leftbordersize=\"-1000000\" topbordersize=\"1000000\"",
                 { { 35, 25, true }, { 58, 38, true } });
}

TEST(ControlPaint, BottomAndRightLinesSurviveTheParentClipAndTheNextSibling)
{
    // Two rows stacked in a container: the upper one has a bottom and a right
    // line, the lower one an opaque background.
    Canvas canvas(120, 120);
    CContainerUI box;
    CControlUI* upper = new CControlUI;
    CControlUI* lower = new CControlUI;
    box.Add(upper);
    box.Add(lower);
    box.SetPos(CUIRect(0, 0, 100, 100));
    upper->SetPos(CUIRect(0, 0, 100, 50));
    lower->SetPos(CUIRect(0, 50, 100, 100));
    upper->ApplyAttributes(L"bordercolor=\"#FFFF0000\" bordersize=\"0,0,1,1\"");
    lower->SetBackgroundColor(kBlue);
    box.Paint(canvas.dc(), Whole(canvas));
    EXPECT_PIXEL(canvas, 50, 49, kRed);
    EXPECT_PIXEL(canvas, 99, 20, kRed);
    EXPECT_PIXEL(canvas, 50, 50, kBlue);
    EXPECT_PIXEL(canvas, 100, 20, kWhite);
    EXPECT_PIXEL(canvas, 50, 48, kWhite);
    canvas.DumpIfFailed("border_siblings");
}

TEST(ControlPaint, FocusBorderOnlyWhenFocusedAndRoundOutline)
{
    const wchar_t* attrs = L"bordercolor=\"#FFFF0000\" focusbordercolor=\"#FF0000FF\" bordersize=\"1\"";
    for (int focused = 0; focused < 2; ++focused) {
        SCOPED_TRACE(focused ? "focused" : "not focused");
        Canvas canvas(80, 60);
        CControlUI c;
        c.SetPos(CUIRect(10, 10, 60, 40));
        c.ApplyAttributes(attrs);
        if (focused) {
            UIEvent ev = MakeEvent(UIEventSetFocus, &c);
            c.HandleEvent(ev);
        }
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_PIXEL(canvas, 10, 20, focused ? kBlue : kRed);
        EXPECT_PIXEL(canvas, 30, 39, focused ? kBlue : kRed);

        UIEvent kill = MakeEvent(UIEventKillFocus, &c);
        c.HandleEvent(kill);
        EXPECT_FALSE(c.IsFocused());
    }
    // A round border uses the focus colour too when focused.
    for (int focused = 0; focused < 2; ++focused) {
        Canvas canvas(80, 60);
        CControlUI c;
        c.SetPos(CUIRect(10, 10, 60, 40));
        c.ApplyAttributes(attrs);
        c.SetAttribute(L"borderround", L"12,12");
        if (focused) {
            UIEvent ev = MakeEvent(UIEventSetFocus, &c);
            c.HandleEvent(ev);
        }
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_PIXEL(canvas, 35, 10, focused ? kBlue : kRed) << "top edge";
        EXPECT_PIXEL(canvas, 10, 10, kWhite) << "the corner is rounded off";
    }
    ExpectBorder("no_colours", L"bordersize=\"3\"", { { 10, 20, false }, { 30, 39, false } });
    ExpectBorder("focused_focus_colour", L"focusbordercolor=\"#FF0000FF\" bordersize=\"2\"",
                 { { 10, 20, true }, { 11, 20, true }, { 12, 20, false } }, true);
}

TEST(ControlPaint, RoundBorderClipsTheBackground)
{
    Canvas canvas(80, 60);
    CControlUI c;
    c.SetPos(CUIRect(10, 10, 60, 40));
    c.ApplyAttributes(L"bkcolor=\"#FFFF0000\" borderround=\"16,16\"");
    c.Paint(canvas.dc(), Whole(canvas));
    EXPECT_PIXEL(canvas, 10, 10, kWhite);
    EXPECT_PIXEL(canvas, 59, 39, kWhite);
    EXPECT_PIXEL(canvas, 35, 10, kRed);
    EXPECT_PIXEL(canvas, 35, 25, kRed);
    EXPECT_PIXEL(canvas, 10, 25, kRed);
    // The clip is gone afterwards.
    CUIRender::FillRectColor(canvas.dc(), CUIRect(0, 0, 80, 60), kGreen);
    EXPECT_PIXEL(canvas, 10, 10, kGreen);
    canvas.DumpIfFailed("round_clip");
}

class BkImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"control\\").c_str());
    }
    void TearDown() override { CUIManager::ResetResourceState(); }
};

TEST_F(BkImageTest, ImageDrawsOverTheColourAndAMissingOneStaysSet)
{
    const DWORD kTeal = 0xFF008080;
    CUIManager pm;
    {
        Canvas canvas(80, 60);
        CControlUI c;
        c.SetManager(&pm, NULL, false);
        c.SetPos(CUIRect(10, 10, 60, 40));
        c.ApplyAttributes(L"bkcolor=\"#FFFF0000\" bkimage=\"file='teal.png' dest='0,0,10,10'\"");
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_PIXEL(canvas, 12, 12, kTeal);
        EXPECT_PIXEL(canvas, 30, 30, kRed);
        canvas.DumpIfFailed("bkimage_dest");
    }
    {
        Canvas canvas(80, 60);
        CControlUI c;
        c.SetManager(&pm, NULL, false);
        c.SetPos(CUIRect(10, 10, 60, 40));
        c.SetBackgroundImage(L"teal.png");
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_PIXEL(canvas, 10, 10, kTeal);
        EXPECT_PIXEL(canvas, 59, 39, kTeal);
        EXPECT_PIXEL(canvas, 60, 40, kWhite);
    }
    {
        Canvas canvas(80, 60);
        CControlUI c;
        c.SetManager(&pm, NULL, false);
        c.SetPos(CUIRect(10, 10, 60, 40));
        c.SetBackgroundImage(L"missing.png");
        c.Paint(canvas.dc(), Whole(canvas));
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_STREQ(L"missing.png", c.GetBackgroundImage().GetData());
        EXPECT_PIXEL(canvas, 30, 30, kWhite);
    }
    {
        // Without a manager nothing can be drawn yet; the image stays for a
        // later paint.
        Canvas canvas(80, 60);
        CControlUI c;
        c.SetPos(CUIRect(10, 10, 60, 40));
        c.SetBackgroundImage(L"teal.png");
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_STREQ(L"teal.png", c.GetBackgroundImage().GetData());
        EXPECT_PIXEL(canvas, 30, 30, kWhite);
        c.SetManager(&pm, NULL, false);
        c.Paint(canvas.dc(), Whole(canvas));
        EXPECT_PIXEL(canvas, 30, 30, kTeal);
        c.SetManager(NULL, NULL, false);
    }
}

TEST(ContainerPaint, ChildrenAreClippedToTheClientAreaFloatsMayCoverTheInset)
{
    Canvas canvas(120, 120);
    CContainerUI box;
    CControlUI* child = new CControlUI;
    CControlUI* floater = new CControlUI;
    box.Add(child);
    box.Add(floater);
    box.ApplyAttributes(L"inset=\"10,10,10,10\" bkcolor=\"#FF808080\"");
    floater->ApplyAttributes(L"float=\"true\" pos=\"0,0,20,20\" bkcolor=\"#FF0000FF\"");
    child->SetBackgroundColor(kRed);
    box.SetPos(CUIRect(0, 0, 100, 100));
    EXPECT_RECT(CUIRect(10, 10, 90, 90), child->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 20, 20), floater->GetPos());

    // Stretch the child over the inset: only its client part shows.
    child->SetPos(CUIRect(0, 0, 110, 110));
    box.Paint(canvas.dc(), Whole(canvas));
    EXPECT_PIXEL(canvas, 5, 50, kGrey);
    EXPECT_PIXEL(canvas, 95, 95, kGrey);
    EXPECT_PIXEL(canvas, 50, 50, kRed);
    EXPECT_PIXEL(canvas, 105, 50, kWhite) << "nothing outside the container";
    EXPECT_PIXEL(canvas, 5, 5, kBlue) << "the float child covers the inset";
    EXPECT_PIXEL(canvas, 15, 15, kBlue) << "and is painted after the earlier child";
    canvas.DumpIfFailed("container_clip");
}

TEST(ContainerPaint, ChildrenOutsideThePaintRectOrTheContainerAreSkipped)
{
    Canvas canvas(200, 100);
    CContainerUI box;
    CountingControl* a = new CountingControl;
    CountingControl* b = new CountingControl;
    CountingControl* outside = new CountingControl;
    CountingControl* hidden = new CountingControl;
    box.Add(a);
    box.Add(b);
    box.Add(outside);
    box.Add(hidden);
    a->ApplyAttributes(L"float=\"true\" pos=\"0,0,40,40\"");
    b->ApplyAttributes(L"float=\"true\" pos=\"50,0,90,40\"");
    outside->ApplyAttributes(L"float=\"true\" pos=\"120,0,160,40\"");
    hidden->SetVisible(false);
    box.SetPos(CUIRect(0, 0, 100, 100));
    box.Paint(canvas.dc(), CUIRect(0, 0, 200, 100));
    EXPECT_EQ(1, a->paints);
    EXPECT_EQ(1, b->paints);
    EXPECT_EQ(0, outside->paints) << "a float child outside its container";
    EXPECT_EQ(0, hidden->paints);
    box.Paint(canvas.dc(), CUIRect(45, 0, 200, 100));
    EXPECT_EQ(1, a->paints);
    EXPECT_EQ(2, b->paints);
    box.Paint(canvas.dc(), CUIRect(100, 0, 200, 100));
    EXPECT_EQ(2, b->paints) << "a paint rect beside the container paints nothing";
}

TEST(ContainerPaint, NestedClipsAreUndone)
{
    Canvas canvas(100, 100);
    CContainerUI root;
    CContainerUI* left = new CContainerUI;
    CControlUI* right = new CControlUI;
    CControlUI* inner = new CControlUI;
    left->Add(inner);
    root.Add(left);
    root.Add(right);
    root.SetPos(CUIRect(0, 0, 100, 100));
    left->SetPos(CUIRect(0, 0, 50, 100));
    left->SetInset(CUIRect(5, 5, 5, 5));
    left->SetPos(CUIRect(0, 0, 50, 100));
    right->SetPos(CUIRect(50, 0, 100, 100));
    inner->SetBackgroundColor(kRed);
    right->SetBackgroundColor(kBlue);
    root.Paint(canvas.dc(), Whole(canvas));
    EXPECT_PIXEL(canvas, 25, 50, kRed);
    EXPECT_PIXEL(canvas, 2, 50, kWhite);
    EXPECT_PIXEL(canvas, 50, 2, kBlue);
    EXPECT_PIXEL(canvas, 99, 99, kBlue);
    canvas.DumpIfFailed("nested_clips");
}

TEST(ContainerPaint, ScrollBarIsPaintedOverTheChildren)
{
    Canvas canvas(100, 100);
    StackContainer list;
    list.EnableScrollBar(true, false);
    for (int i = 0; i < 4; ++i) {
        CControlUI* row = new CControlUI;
        row->SetFixedHeight(40);
        row->SetBackgroundColor(kRed);
        list.Add(row);
    }
    list.SetPos(CUIRect(0, 0, 100, 100));
    CScrollBarUI* bar = list.GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_RECT(CUIRect(84, 0, 100, 100), bar->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 84, 40), list.GetItemAt(0)->GetPos());
    list.Paint(canvas.dc(), Whole(canvas));
    EXPECT_PIXEL(canvas, 40, 20, kRed);
    EXPECT_NE(kRed & 0xFFFFFF, canvas.Pixel(90, 50) & 0xFFFFFF) << "the bar's column shows no row";
    EXPECT_PIXEL(canvas, 84, 0, 0xFF85E4FF) << "the bar's button outline";
    canvas.DumpIfFailed("container_scrollbar");
}

} // namespace
