// The progress bar: names and defaults, the value rules (out-of-range values
// ignored, attribute order, the paint's repair of a bad range), and the fore
// image's fill rectangle, stretched or cut, checked by modifier and pixels.
#include "ProgressTestUtil.h"

#include <string>

#include "UIBuilder.h"

using namespace SkinUI;
using namespace progresstest;
using testsupport::Canvas;

namespace {

TEST(ProgressNames, ClassInterfaceAndDefaults)
{
    ProgressProbe bar;
    EXPECT_STREQ(L"ProgressUI", bar.GetClassName());
    EXPECT_EQ(static_cast<void*>(&bar), bar.GetInterface(L"Progress"));
    EXPECT_EQ(static_cast<void*>(&bar), bar.GetInterface(L"Label"));
    EXPECT_EQ(nullptr, bar.GetInterface(L"Slider"));
    EXPECT_EQ((UINT)(DT_SINGLELINE | DT_CENTER), bar.Style());
    EXPECT_EQ(12, bar.GetFixedHeight());
    EXPECT_TRUE(bar.IsHorizontal());
    EXPECT_TRUE(bar.IsStretchForeImage());
    EXPECT_EQ(0, bar.GetMinValue());
    EXPECT_EQ(100, bar.GetMaxValue());
    EXPECT_EQ(0, bar.GetValue());
}

TEST(ProgressValue, OutOfRangeAndEqualValuesAreIgnored)
{
    struct Step
    {
        int set;
        int after;
    };
    const Step steps[] = { { 150, 0 }, { 100, 100 }, { -1, 100 }, { 0, 0 }, { 50, 50 }, { 101, 50 } };
    ProgressProbe bar;
    for (const Step& s : steps) {
        bar.SetValue(s.set);
        EXPECT_EQ(s.after, bar.GetValue()) << "after SetValue(" << s.set << ")";
    }
}

TEST(ProgressValue, SkinValueBeforeItsMaximumIsLost)
{
    struct Case
    {
        const wchar_t* attrs;
        int value;
    };
    const Case cases[] = {
        { L"value=\"150\" max=\"200\"", 0 },
        { L"max=\"200\" value=\"150\"", 150 },
        { L"min=\"10\" value=\"5\"", 0 },
        { L"hor=\"false\" isstretchfore=\"no\" value=\"30\"", 30 },
    };
    for (const Case& c : cases) {
        ProgressProbe bar;
        bar.ApplyAttributes(c.attrs);
        EXPECT_EQ(c.value, bar.GetValue()) << testsupport::Narrow(c.attrs);
    }
    ProgressProbe bar;
    bar.ApplyAttributes(L"hor=\"TRUE\" isstretchfore=\"false\" foreimage=\"split.png\"");
    EXPECT_FALSE(bar.IsHorizontal());   // only the exact text "true" is true
    EXPECT_FALSE(bar.IsStretchForeImage());
    EXPECT_STREQ(L"split.png", bar.GetForeImage());
}

class ProgressWindowTest : public ::testing::Test
{
protected:
    void Open(const wchar_t* pos)
    {
        bar = new ProgressProbe;
        ASSERT_TRUE(win.Open(bar, pos));
    }
    void Capture()
    {
        win.host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(win.host.GetHWND()));
    }

    ImageFolder images;
    OneControlWindow win;
    ProgressProbe* bar = nullptr;
    Canvas canvas{ 400, 200 };
};

TEST_F(ProgressWindowTest, PaintRepairsABadRangeAndPullsTheValueIn)
{
    Open(L"10,10,310,50");
    bar->SetValue(60);
    bar->SetMinValue(50);
    bar->SetMaxValue(20);
    EXPECT_EQ(20, bar->GetMaxValue());   // stored without a check
    win.host.Update();
    EXPECT_EQ(50, bar->GetMinValue());
    EXPECT_EQ(51, bar->GetMaxValue());
    EXPECT_GE(bar->GetValue(), 50);
    EXPECT_LE(bar->GetValue(), 51);
}

TEST_F(ProgressWindowTest, FillRectangleByDirectionAndStretch)
{
    struct Case
    {
        const wchar_t* pos;
        const wchar_t* attrs;
        int value;
        const wchar_t* modifier;
    };
    const Case cases[] = {
        { L"10,10,310,50", L"foreimage=\"split.png\"", 50, L"dest='0,0,150,40'" },
        { L"10,10,310,50", L"foreimage=\"split.png\" isstretchfore=\"false\"", 50,
          L"dest='0,0,150,40' source='0,0,150,40'" },
        { L"10,10,310,50", L"foreimage=\"split.png\"", 0, L"dest='0,0,0,40'" },
        { L"10,10,310,50", L"foreimage=\"split.png\"", 100, L"dest='0,0,300,40'" },
        { L"10,10,310,50", L"foreimage=\"split.png\" min=\"-100\"", 0, L"dest='0,0,150,40'" },
        { L"20,20,60,120", L"foreimage=\"vsplit.png\" hor=\"false\"", 25, L"dest='0,75,40,100'" },
        { L"20,20,60,120", L"foreimage=\"vsplit.png\" hor=\"false\" isstretchfore=\"false\"", 25,
          L"dest='0,75,40,100' source='0,75,40,100'" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.attrs));
        OneControlWindow one;
        ProgressProbe* p = new ProgressProbe;
        ASSERT_TRUE(one.Open(p, c.pos));
        p->ApplyAttributes(c.attrs);
        p->SetValue(c.value);
        one.host.Update();
        EXPECT_STREQ(c.modifier, p->Modifier().GetData());
    }
}

TEST_F(ProgressWindowTest, CutFillShowsTheImagesLeftPartStretchedTheWholeImage)
{
    Open(L"10,10,310,50");
    bar->ApplyAttributes(L"foreimage=\"split.png\" isstretchfore=\"false\"");
    bar->SetValue(50);
    Capture();
    // Cut: the left half of the image, only red, up to x = 10 + 150.
    EXPECT_PIXEL(canvas, 12, 30, kRed);
    EXPECT_PIXEL(canvas, 155, 30, kRed);
    EXPECT_PIXEL(canvas, 165, 30, kWhite);
    canvas.DumpIfFailed("progress_cut");

    bar->SetStretchForeImage(true);
    Capture();
    // Stretched: the whole image squeezed into 150 pixels, red then blue.
    EXPECT_PIXEL(canvas, 12, 30, kRed);
    EXPECT_PIXEL(canvas, 155, 30, kBlue);
    EXPECT_PIXEL(canvas, 165, 30, kWhite);
    canvas.DumpIfFailed("progress_stretch");
}

TEST_F(ProgressWindowTest, VerticalFillGrowsFromTheBottom)
{
    Open(L"20,20,60,120");
    bar->ApplyAttributes(L"foreimage=\"vsplit.png\" hor=\"false\" isstretchfore=\"false\"");
    bar->SetValue(25);
    Capture();
    EXPECT_PIXEL(canvas, 40, 90, kWhite);    // above the filled quarter
    EXPECT_PIXEL(canvas, 40, 100, kRed);     // the image's bottom part
    EXPECT_PIXEL(canvas, 40, 118, kRed);
    canvas.DumpIfFailed("progress_vertical");
}

TEST_F(ProgressWindowTest, BuiltFromXmlWithTextOverTheFill)
{
    ASSERT_TRUE(win.host.Open(400, 200));
    CUIBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">"
        L"<Progress name=\"p\" width=\"300\" height=\"40\" foreimage=\"split.png\" isstretchfore=\"false\" "
        L"min=\"0\" max=\"100\" value=\"40\" text=\"40%\" textcolor=\"#FF000000\"/>"
        L"</VerticalLayout></Window>",
        NULL, NULL, &win.host.pm);
    ASSERT_NE(nullptr, root);
    ASSERT_TRUE(win.host.pm.AttachRoot(root));
    CProgressUI* p = static_cast<CProgressUI*>(win.host.pm.FindControlByName(L"p"));
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(p, p->GetInterface(L"Progress"));
    EXPECT_EQ(40, p->GetValue());
    Capture();
    EXPECT_PIXEL(canvas, 2, 2, kRed);
    EXPECT_PIXEL(canvas, 118, 2, kRed);
    EXPECT_PIXEL(canvas, 122, 2, kWhite);
    // The text is drawn over the bar, centred along its top (DT_SINGLELINE |
    // DT_CENTER without DT_VCENTER).
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 120; x < 180; ++x)
            dark += (canvas.Pixel(x, y) & 0x00FFFFFF) == 0 ? 1 : 0;
    EXPECT_GT(dark, 5);
    canvas.SavePng(testsupport::OutputDir() + L"progress_xml.png");
}

} // namespace
