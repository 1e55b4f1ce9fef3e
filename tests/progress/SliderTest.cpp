// The slider: thumb geometry in both directions, rail clicks, thumb drags and
// wheel steps fed as real mouse messages, the "valuechanged" it sends, the
// thumb's state images, and a range that has collapsed to nothing.
#include "ProgressTestUtil.h"

#include <string>
#include <vector>

using namespace SkinUI;
using namespace progresstest;
using testsupport::Canvas;

namespace {

TEST(SliderNames, ClassInterfacesInputFlagsAndAttributes)
{
    SliderProbe slider;
    EXPECT_STREQ(L"SliderUI", slider.GetClassName());
    EXPECT_EQ(static_cast<void*>(&slider), slider.GetInterface(L"Slider"));
    EXPECT_EQ(static_cast<void*>(&slider), slider.GetInterface(L"Progress"));
    EXPECT_EQ((UINT)WantSetCursor, slider.GetInputFlags());   // never a tab stop
    slider.SetEnabled(false);
    EXPECT_EQ(0u, slider.GetInputFlags());
    EXPECT_EQ(10, slider.Thumb().cx);
    EXPECT_EQ(10, slider.Thumb().cy);
    EXPECT_EQ(1, slider.GetChangeStep());

    slider.ApplyAttributes(L"thumbsize=\"20,14\" step=\"5\" max=\"200\" value=\"120\"");
    EXPECT_EQ(20, slider.Thumb().cx);
    EXPECT_EQ(14, slider.Thumb().cy);
    EXPECT_EQ(5, slider.GetChangeStep());
    EXPECT_EQ(120, slider.GetValue());
}

TEST(SliderGeometry, ThumbRectangleAlongEitherAxis)
{
    struct Case
    {
        bool horizontal;
        RECT item;
        int value;
        RECT thumb;
    };
    const Case cases[] = {
        { true, { 10, 80, 120, 100 }, 50, { 60, 85, 70, 95 } },    // L + 50
        { true, { 10, 80, 120, 100 }, 0, { 10, 85, 20, 95 } },
        { true, { 10, 80, 120, 100 }, 100, { 110, 85, 120, 95 } },
        { false, { 200, 10, 220, 120 }, 25, { 205, 85, 215, 95 } },
        { false, { 200, 10, 220, 120 }, 100, { 205, 10, 215, 20 } },
    };
    for (const Case& c : cases) {
        SliderProbe slider;
        slider.SetHorizontal(c.horizontal);
        slider.SetValue(c.value);
        slider.SetPos(c.item);
        EXPECT_RECT(c.thumb, slider.GetThumbRect()) << "value " << c.value;
    }
}

TEST(SliderGeometry, CollapsedRangeNeitherDividesByZeroNorLosesTheThumb)
{
    SliderProbe slider;
    slider.SetPos(RECT{ 10, 80, 120, 100 });
    slider.SetMinValue(0);
    slider.SetMaxValue(0);
    RECT rc = slider.GetThumbRect();
    EXPECT_EQ(10, rc.left);
    UIEvent ev;
    ZeroMemory(&ev, sizeof(ev));
    ev.nKind = UIEventButtonDown;
    ev.ptMouse = POINT{ 15, 90 };
    slider.DispatchEvent(ev);
    EXPECT_EQ((UINT)UIStateCaptured, slider.State() & UIStateCaptured);
    ev.nKind = UIEventSetCursor;
    slider.DispatchEvent(ev);
    ev.nKind = UIEventMouseMove;
    ev.ptMouse = POINT{ 60, 90 };
    slider.DispatchEvent(ev);
    ev.nKind = UIEventButtonUp;
    slider.DispatchEvent(ev);
    EXPECT_EQ(0u, slider.State() & UIStateCaptured);
}

class SliderWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        slider = new SliderProbe;
        slider->SetName(L"s");
        ASSERT_TRUE(win.Open(slider, L"10,80,120,100"));
        slider->SetValue(50);
        win.host.Update();
    }
    void Capture()
    {
        win.host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(win.host.GetHWND()));
    }
    size_t Changes() const { return win.rec.items.size(); }

    ImageFolder images;
    OneControlWindow win;
    SliderProbe* slider = nullptr;
    Canvas canvas{ 400, 200 };
};

TEST_F(SliderWindowTest, RailClickSetsTheValueFromTheReleasePoint)
{
    win.host.Click(100, 90);
    EXPECT_EQ(85, slider->GetValue());   // 100 * (100 - 10 - 5) / 100
    ASSERT_EQ(1u, Changes());
    EXPECT_EQ(slider, win.rec.items[0].sender);
    EXPECT_EQ(0u, win.rec.items[0].wParam);
    EXPECT_EQ(0, win.rec.items[0].lParam);

    // The ends of the rail give min and max; a release on the same value is silent.
    win.host.Click(12, 90);
    EXPECT_EQ(0, slider->GetValue());
    win.host.Click(118, 90);
    EXPECT_EQ(100, slider->GetValue());
    win.host.Click(119, 90);
    EXPECT_EQ(3u, Changes());
}

TEST_F(SliderWindowTest, ThumbDragMovesWithThePointerAndReportsOnceAtTheRelease)
{
    win.host.PostMouse(WM_MOUSEMOVE, 65, 90);
    win.host.PostMouse(WM_LBUTTONDOWN, 65, 90);
    win.host.PostMouse(WM_MOUSEMOVE, 50, 90);
    win.host.PostMouse(WM_MOUSEMOVE, 40, 90);
    testsupport::Drain();
    EXPECT_EQ((UINT)UIStateCaptured, slider->State() & UIStateCaptured);
    EXPECT_EQ(25, slider->GetValue());   // moved with the pointer, not yet reported
    EXPECT_EQ(0u, Changes());
    win.host.PostMouse(WM_LBUTTONUP, 40, 90);
    testsupport::Drain();
    EXPECT_EQ(0u, slider->State() & UIStateCaptured);
    EXPECT_EQ(25, slider->GetValue());
    EXPECT_EQ(1u, Changes());

    // Taking the thumb and letting it go where it was reports nothing.
    win.host.Click(40, 90);
    EXPECT_EQ(25, slider->GetValue());
    EXPECT_EQ(1u, Changes());

    // A drag that comes back to where it started reports nothing either.
    win.host.PostMouse(WM_LBUTTONDOWN, 40, 90);
    win.host.PostMouse(WM_MOUSEMOVE, 90, 90);
    win.host.PostMouse(WM_MOUSEMOVE, 40, 90);
    win.host.PostMouse(WM_LBUTTONUP, 40, 90);
    testsupport::Drain();
    EXPECT_EQ(25, slider->GetValue());
    EXPECT_EQ(1u, Changes());
}

TEST_F(SliderWindowTest, WheelStepsAndAlwaysReports)
{
    slider->SetChangeStep(10);
    struct Step
    {
        int delta;
        int value;
    };
    const Step steps[] = { { 120, 60 }, { -120, 50 }, { -120, 40 } };
    size_t n = 0;
    for (const Step& s : steps) {
        win.host.Wheel(60, 90, s.delta);
        EXPECT_EQ(s.value, slider->GetValue());
        EXPECT_EQ(++n, Changes());
    }
    slider->SetValue(100);
    win.host.Wheel(60, 90, 120);   // past the maximum: unchanged, still reported
    EXPECT_EQ(100, slider->GetValue());
    EXPECT_EQ(++n, Changes());
}

TEST_F(SliderWindowTest, VerticalSliderTakesItsValueFromTheHeight)
{
    slider->SetHorizontal(false);
    slider->SetAttribute(L"pos", L"200,10,220,120");
    win.host.Update();
    win.host.Click(210, 70);
    EXPECT_EQ(45, slider->GetValue());   // 100 * (120 - 5 - 70) / 100
    win.host.Click(210, 12);
    EXPECT_EQ(100, slider->GetValue());
    win.host.Click(210, 118);
    EXPECT_EQ(0, slider->GetValue());
    EXPECT_EQ(3u, Changes());
}

TEST_F(SliderWindowTest, ThumbImageFollowsHotAndPushed)
{
    slider->ApplyAttributes(L"thumbimage=\"thumb.png\" thumbhotimage=\"thumbhot.png\" "
                            L"thumbpushedimage=\"thumbpushed.png\"");
    Capture();
    EXPECT_PIXEL(canvas, 65, 90, kThumb);
    EXPECT_STREQ(L"dest='50,5,60,15'", slider->ThumbModifier().GetData());
    win.host.PostMouse(WM_MOUSEMOVE, 65, 90);
    testsupport::Drain();
    Capture();
    EXPECT_PIXEL(canvas, 65, 90, kThumbHot);
    win.host.PostMouse(WM_LBUTTONDOWN, 65, 90);
    testsupport::Drain();
    Capture();
    EXPECT_PIXEL(canvas, 65, 90, kThumbPushed);
    win.host.PostMouse(WM_LBUTTONUP, 65, 90);
    testsupport::Drain();
    EXPECT_PIXEL(canvas, 40, 90, kWhite);
    canvas.DumpIfFailed("slider_thumb");
}

TEST_F(SliderWindowTest, DisabledSliderIgnoresThePointer)
{
    win.host.PostMouse(WM_MOUSEMOVE, 65, 90);
    testsupport::Drain();
    ASSERT_EQ((UINT)UIStateHot, slider->State() & UIStateHot);
    slider->SetEnabled(false);
    EXPECT_EQ(0u, slider->State());
    win.host.PostMouse(WM_LBUTTONDOWN, 65, 90);
    testsupport::Drain();
    EXPECT_EQ(0u, slider->State() & UIStateCaptured);
}

} // namespace
