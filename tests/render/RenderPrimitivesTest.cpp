// Fills, gradients, lines, outlines, HSL, alpha blending and the clip guard,
// drawn into a real DIB and read back pixel by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "UIRender.h"

using namespace SkinUI;
using testsupport::Canvas;
using testsupport::ColorNear;
using testsupport::ColorText;

namespace {

// Which blender stands behind AlphaBlend for a test.
enum BlendPath { PlatformBlend, SoftBlend };

void UseBlendPath(BlendPath path)
{
    CUIRender::ResetBlendProcs();
    if (path == SoftBlend) CUIRender::SetBlendProcs(NULL, CUIRender::GetGradientFill());
}

const char* PathName(BlendPath path)
{
    return path == SoftBlend ? "soft" : "platform";
}

class RenderTest : public ::testing::Test {
protected:
    void TearDown() override { CUIRender::ResetBlendProcs(); }
};

#define EXPECT_PIXEL(canvas, x, y, want, tol)                                                  \
    EXPECT_PRED3(ColorNear, (canvas).Pixel((x), (y)), (DWORD)(want), (tol))                    \
        << "at (" << (x) << "," << (y) << ") got " << ColorText((canvas).Pixel((x), (y)))       \
        << " want " << ColorText(want)

// ---------------------------------------------------------------------------
// FillRectColor
// ---------------------------------------------------------------------------

struct FillCase {
    DWORD background;
    DWORD color;
    DWORD expected;
    int tolerance;
};

TEST_F(RenderTest, FillRectColorOpaqueTranslucentAndClear)
{
    const FillCase cases[] = {
        { 0xFFFFFFFF, 0x00FF0000, 0xFFFFFFFF, 0 },   // alpha 0: nothing
        { 0xFFFFFFFF, 0x00000001, 0xFFFFFFFF, 0 },
        { 0xFFFFFFFF, 0xFF102030, 0xFF102030, 0 },   // opaque: exact
        { 0xFF000000, 0x80FF0000, 0xFF800000, 1 },   // 0x80 blends (premultiplied pixel)
        { 0xFFFFFFFF, 0x80FF0000, 0xFFFF7F7F, 1 },
        { 0xFF000000, 0x80FFFFFF, 0xFF808080, 1 },
        { 0xFF204060, 0x40FFFFFF, 0xFF576F87, 1 },   // 64 + dst x 191/255
    };
    for (BlendPath path : { PlatformBlend, SoftBlend }) {
        UseBlendPath(path);
        for (const FillCase& c : cases) {
            SCOPED_TRACE(std::string(PathName(path)) + " color " + ColorText(c.color) + " on " +
                         ColorText(c.background));
            Canvas canvas(20, 20, c.background);
            RECT rc = { 5, 5, 15, 15 };
            CUIRender::FillRectColor(canvas.dc(), rc, c.color);
            EXPECT_PIXEL(canvas, 5, 5, c.expected, c.tolerance);
            EXPECT_PIXEL(canvas, 14, 14, c.expected, c.tolerance);
            EXPECT_PIXEL(canvas, 10, 10, c.expected, c.tolerance);
            EXPECT_PIXEL(canvas, 4, 4, c.background, 0);
            EXPECT_PIXEL(canvas, 15, 15, c.background, 0);
            EXPECT_PIXEL(canvas, 15, 10, c.background, 0);
            canvas.DumpIfFailed("fillrect");
        }
    }
}

// ---------------------------------------------------------------------------
// FillGradient
// ---------------------------------------------------------------------------

// Runs of equal colour along a column (vertical) or a row.
std::vector<DWORD> Runs(const Canvas& canvas, bool vertical, int fixed, int length)
{
    std::vector<DWORD> runs;
    for (int i = 0; i < length; ++i) {
        const DWORD c = (vertical ? canvas.Pixel(fixed, i) : canvas.Pixel(i, fixed)) & 0xFFFFFF;
        if (runs.empty() || runs.back() != c) runs.push_back(c);
    }
    return runs;
}

TEST_F(RenderTest, FillGradientBandFallbackCountsBands)
{
    CUIRender::SetBlendProcs(CUIRender::GetAlphaBlend(), NULL);   // no GradientFill
    // steps -> 2^shift bands
    struct Case { int steps; int shift; } cases[] = {
        { 0, 1 }, { 3, 1 }, { 4, 2 }, { 7, 2 }, { 8, 3 }, { 16, 4 }, { 31, 4 }, { 32, 5 }, { 64, 6 }, { 100, 6 },
    };
    for (bool vertical : { true, false }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << (vertical ? "vertical" : "horizontal") << " steps " << c.steps);
            Canvas canvas(vertical ? 10 : 128, vertical ? 128 : 10, 0xFF00FF00);
            RECT rc = { 0, 0, canvas.Width(), canvas.Height() };
            CUIRender::FillGradient(canvas.dc(), rc, 0xFF000000, 0xFFFFFFFF, vertical, c.steps);
            const std::vector<DWORD> runs = Runs(canvas, vertical, 5, 128);
            EXPECT_EQ((size_t)1 << c.shift, runs.size());
            // Band 0 (the second colour) sits at the bottom (right); the last
            // band, at the top (left), holds (1 x 255 + (n - 1) x 0) >> shift.
            EXPECT_EQ(0xFFFFFFu, runs.back());
            EXPECT_EQ((DWORD)(255 >> c.shift), runs.front() & 0xFF);
            for (size_t i = 1; i < runs.size(); ++i) EXPECT_GT(runs[i] & 0xFF, runs[i - 1] & 0xFF);
        }
    }
}

TEST_F(RenderTest, FillGradientSkipsEmptyBands)
{
    CUIRender::SetBlendProcs(CUIRender::GetAlphaBlend(), NULL);
    Canvas canvas(4, 5, 0xFF00FF00);
    RECT rc = { 0, 1, 4, 4 };   // three rows, 64 bands
    CUIRender::FillGradient(canvas.dc(), rc, 0xFF000000, 0xFFFFFFFF, true, 64);
    // Only bands 63, 42 and 21 have a row: (64 - u) x 255 >> 6.
    EXPECT_PIXEL(canvas, 1, 1, 0xFF030303, 0);
    EXPECT_PIXEL(canvas, 1, 2, 0xFF575757, 0);
    EXPECT_PIXEL(canvas, 1, 3, 0xFFABABAB, 0);
    EXPECT_PIXEL(canvas, 1, 0, 0xFF00FF00, 0);
    EXPECT_PIXEL(canvas, 1, 4, 0xFF00FF00, 0);
}

TEST_F(RenderTest, FillGradientPlatformRunsFromFirstToSecond)
{
    for (bool vertical : { true, false }) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        Canvas canvas(100, 100);
        RECT rc = { 10, 10, 90, 90 };
        CUIRender::FillGradient(canvas.dc(), rc, 0xFFFF0000, 0xFF0000FF, vertical, 16);
        const DWORD first = vertical ? canvas.Pixel(50, 10) : canvas.Pixel(10, 50);
        const DWORD last = vertical ? canvas.Pixel(50, 89) : canvas.Pixel(89, 50);
        const DWORD mid = canvas.Pixel(50, 50);
        EXPECT_PRED3(ColorNear, first, 0xFFFF0000u, 8) << ColorText(first);
        EXPECT_PRED3(ColorNear, last, 0xFF0000FFu, 8) << ColorText(last);
        EXPECT_PRED3(ColorNear, mid, 0xFF800080u, 12) << ColorText(mid);
        EXPECT_PIXEL(canvas, 9, 9, 0xFFFFFFFF, 0);
        EXPECT_PIXEL(canvas, 90, 90, 0xFFFFFFFF, 0);
    }
}

TEST_F(RenderTest, FillGradientTranslucentBlendsByAverageAlpha)
{
    for (BlendPath path : { PlatformBlend, SoftBlend }) {
        for (bool bands : { false, true }) {
            UseBlendPath(path);
            if (bands) CUIRender::SetBlendProcs(path == SoftBlend ? NULL : CUIRender::GetAlphaBlend(), NULL);
            SCOPED_TRACE(std::string(PathName(path)) + (bands ? " bands" : " gradientfill"));
            Canvas canvas(40, 40);
            RECT rc = { 10, 10, 30, 30 };
            // average alpha (0x60 + 0xA0) / 2 = 0x80
            CUIRender::FillGradient(canvas.dc(), rc, 0x60FF0000, 0xA0FF0000, true, 8);
            EXPECT_PIXEL(canvas, 10, 10, 0xFFFF7F7F, 2);
            EXPECT_PIXEL(canvas, 29, 29, 0xFFFF7F7F, 2);
            EXPECT_PIXEL(canvas, 9, 9, 0xFFFFFFFF, 0);
            EXPECT_PIXEL(canvas, 30, 30, 0xFFFFFFFF, 0);

            // average alpha (0 + 1) >> 1 = 0: nothing
            CUIRender::FillGradient(canvas.dc(), rc, 0x00000000, 0x01000000, true, 8);
            EXPECT_PIXEL(canvas, 20, 20, 0xFFFF7F7F, 2);
        }
    }
}

// ---------------------------------------------------------------------------
// HSL
// ---------------------------------------------------------------------------

TEST(RenderHsl, NeutralAdjustReturnsColourBitForBit)
{
    for (DWORD c : { 0x00000000u, 0xFFFFFFFFu, 0x12345678u, 0x80FF0000u, 0x7F010203u })
        EXPECT_EQ(c, CUIRender::AdjustColorHsl(c, 180, 100, 100)) << ColorText(c);
}

TEST(RenderHsl, ZeroLightnessIsBlackZeroSaturationIsGrey)
{
    EXPECT_EQ(0xAB000000u, CUIRender::AdjustColorHsl(0xAB3080C0, 180, 100, 0));
    const DWORD grey = CUIRender::AdjustColorHsl(0xCD3080C0, 180, 0, 100);
    EXPECT_EQ(0xCDu, grey >> 24);
    EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF);
    EXPECT_EQ(grey & 0xFF, (grey >> 16) & 0xFF);
    EXPECT_NEAR(120, (int)(grey & 0xFF), 1);   // (max 0xC0 + min 0x30) / 2
}

TEST(RenderHsl, HueRotationInPlatformChannelOrder)
{
    // Bits 0-7 count as red: 0xFF0000FF is red at hue 0.
    float h = -1, s = -1, l = -1;
    CUIRender::RgbToHsl(0xFF0000FF, &h, &s, &l);
    EXPECT_FLOAT_EQ(0.0f, h);
    EXPECT_FLOAT_EQ(1.0f, s);
    EXPECT_FLOAT_EQ(0.5f, l);
    CUIRender::RgbToHsl(0x00FF0000, &h, &s, &l);
    EXPECT_FLOAT_EQ(240.0f, h);
    CUIRender::RgbToHsl(0x0000FF00, &h, &s, &l);
    EXPECT_FLOAT_EQ(120.0f, h);

    EXPECT_EQ(0xFF00FF00u, CUIRender::AdjustColorHsl(0xFF0000FF, 300, 100, 100));   // +120
    EXPECT_EQ(0x40FF0000u, CUIRender::AdjustColorHsl(0x400000FF, 60, 100, 100));    // -120 wraps to 240

    DWORD c = 0x5A000000;
    CUIRender::HslToRgb(120.0f, 1.0f, 0.5f, &c);
    EXPECT_EQ(0x5A00FF00u, c);
}

TEST(RenderHsl, MixColorsWeighsChannelsAndDropsAlpha)
{
    EXPECT_EQ(0x007F007Fu, CUIRender::MixColors(0.5, 0.5, 0xFF0000FF, 0xFFFF0000));
    EXPECT_EQ(0x00102030u, CUIRender::MixColors(1.0, 0.0, 0xFFFFFFFF, 0xEE102030));
    EXPECT_EQ(0x00FFFFFFu, CUIRender::MixColors(0.0, 1.0, 0xFFFFFFFF, 0xEE102030));
}

// ---------------------------------------------------------------------------
// Alpha blending
// ---------------------------------------------------------------------------

// A small top-down source bitmap with premultiplied pixels.
class SourceBitmap {
public:
    SourceBitmap(int w, int h, const std::vector<DWORD>& pixels)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = -h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* bits = NULL;
        m_bitmap = CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &bits, NULL, 0);
        for (size_t i = 0; i < pixels.size(); ++i) static_cast<DWORD*>(bits)[i] = pixels[i];
        m_dc = CreateCompatibleDC(NULL);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~SourceBitmap()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
};

TEST(RenderBlend, SoftAlphaBlendMatchesPlatformFormula)
{
    UIAlphaBlendProc platform = reinterpret_cast<UIAlphaBlendProc>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"msimg32.dll"), "AlphaBlend")));
    ASSERT_TRUE(platform != NULL);
    // half red (premultiplied), opaque green
    SourceBitmap src(2, 1, { 0x80800000, 0xFF00FF00 });
    struct Case { BYTE sca; BYTE format; DWORD bg; DWORD want0; DWORD want1; } cases[] = {
        { 255, AC_SRC_ALPHA, 0xFFFFFFFF, 0xFFFF7F7F, 0xFF00FF00 },
        { 255, AC_SRC_ALPHA, 0xFF000000, 0xFF800000, 0xFF00FF00 },
        { 128, AC_SRC_ALPHA, 0xFFFFFFFF, 0xFFFFBEBE, 0xFF7FFF7F },   // 64 + 255 x (1 - 128 x 128 / 255^2)
        { 128, 0, 0xFFFFFFFF, 0xFFBF7F7F, 0xFF7FFF7F },             // constant alpha only
    };
    for (const Case& c : cases) {
        for (int which = 0; which < 2; ++which) {
            SCOPED_TRACE(testing::Message() << (which ? "soft" : "platform") << " sca " << (int)c.sca
                                            << " format " << (int)c.format << " bg " << ColorText(c.bg));
            Canvas canvas(10, 4, c.bg);
            BLENDFUNCTION bf = { AC_SRC_OVER, 0, c.sca, c.format };
            UIAlphaBlendProc blend = which ? &CUIRender::SoftAlphaBlend : platform;
            // each source pixel stretched over 4 x 2 pixels
            EXPECT_TRUE(blend(canvas.dc(), 1, 1, 8, 2, src.dc(), 0, 0, 2, 1, bf));
            EXPECT_PIXEL(canvas, 2, 1, c.want0, 2);
            EXPECT_PIXEL(canvas, 3, 2, c.want0, 2);
            EXPECT_PIXEL(canvas, 6, 1, c.want1, 2);
            EXPECT_PIXEL(canvas, 8, 2, c.want1, 2);
            EXPECT_PIXEL(canvas, 0, 0, c.bg, 0);
            EXPECT_PIXEL(canvas, 9, 3, c.bg, 0);
        }
    }
}

TEST_F(RenderTest, BlendEntriesLookedUpOnceAndInjectable)
{
    CUIRender::ResetBlendProcs();
    HMODULE msimg = LoadLibraryW(L"msimg32.dll");
    ASSERT_TRUE(msimg != NULL);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(msimg, "AlphaBlend")),
              reinterpret_cast<void*>(CUIRender::GetAlphaBlend()));
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(msimg, "GradientFill")),
              reinterpret_cast<void*>(CUIRender::GetGradientFill()));
    CUIRender::SetBlendProcs(NULL, NULL);
    EXPECT_EQ(reinterpret_cast<void*>(&CUIRender::SoftAlphaBlend),
              reinterpret_cast<void*>(CUIRender::GetAlphaBlend()));
    EXPECT_TRUE(CUIRender::GetGradientFill() == NULL);
}

// ---------------------------------------------------------------------------
// Lines and outlines
// ---------------------------------------------------------------------------

TEST(RenderLines, DrawLineSwapsChannelsAndRestoresPen)
{
    Canvas canvas(20, 20);
    HGDIOBJ penBefore = GetCurrentObject(canvas.dc(), OBJ_PEN);
    RECT rc = { 2, 5, 18, 5 };
    CUIRender::DrawLine(canvas.dc(), rc, 1, 0xFF0000FF);
    EXPECT_PIXEL(canvas, 2, 5, 0xFF0000FF, 0);
    EXPECT_PIXEL(canvas, 10, 5, 0xFF0000FF, 0);
    EXPECT_PIXEL(canvas, 18, 5, 0xFFFFFFFF, 0);   // the end point is not drawn
    EXPECT_PIXEL(canvas, 10, 6, 0xFFFFFFFF, 0);
    EXPECT_EQ(penBefore, GetCurrentObject(canvas.dc(), OBJ_PEN));

    RECT rcV = { 4, 0, 4, 20 };
    CUIRender::DrawLine(canvas.dc(), rcV, 3, 0xFFFF0000);
    EXPECT_PIXEL(canvas, 4, 10, 0xFFFF0000, 0);
    EXPECT_PIXEL(canvas, 4, 5, 0xFFFF0000, 0);
}

TEST(RenderLines, RectOutlineStaysInsideAndRestoresPenAndBrush)
{
    Canvas canvas(40, 40);
    HGDIOBJ penBefore = GetCurrentObject(canvas.dc(), OBJ_PEN);
    HGDIOBJ brushBefore = GetCurrentObject(canvas.dc(), OBJ_BRUSH);
    RECT rc = { 10, 10, 30, 30 };
    CUIRender::DrawRectOutline(canvas.dc(), rc, 3, 0xFF00FF00);
    for (int i : { 10, 12, 27, 29 }) {
        EXPECT_PIXEL(canvas, i, 20, 0xFF00FF00, 0);
        EXPECT_PIXEL(canvas, 20, i, 0xFF00FF00, 0);
    }
    for (int i : { 9, 13, 26, 30 }) {
        EXPECT_PIXEL(canvas, i, 20, 0xFFFFFFFF, 0);
        EXPECT_PIXEL(canvas, 20, i, 0xFFFFFFFF, 0);
    }
    EXPECT_PIXEL(canvas, 20, 20, 0xFFFFFFFF, 0);   // hollow
    EXPECT_EQ(penBefore, GetCurrentObject(canvas.dc(), OBJ_PEN));
    EXPECT_EQ(brushBefore, GetCurrentObject(canvas.dc(), OBJ_BRUSH));
    canvas.DumpIfFailed("rectoutline");
}

TEST(RenderLines, RoundRectOutlineRoundsCorners)
{
    Canvas canvas(40, 40);
    HGDIOBJ brushBefore = GetCurrentObject(canvas.dc(), OBJ_BRUSH);
    RECT rc = { 10, 10, 30, 30 };
    CUIRender::DrawRoundRectOutline(canvas.dc(), rc, 1, 10, 10, 0xFFFF0000);
    EXPECT_PIXEL(canvas, 20, 10, 0xFFFF0000, 0);
    EXPECT_PIXEL(canvas, 10, 20, 0xFFFF0000, 0);
    EXPECT_PIXEL(canvas, 29, 20, 0xFFFF0000, 0);
    EXPECT_PIXEL(canvas, 10, 10, 0xFFFFFFFF, 0);   // corner cut off
    EXPECT_PIXEL(canvas, 20, 20, 0xFFFFFFFF, 0);
    EXPECT_EQ(brushBefore, GetCurrentObject(canvas.dc(), OBJ_BRUSH));
}

// ---------------------------------------------------------------------------
// The clip guard
// ---------------------------------------------------------------------------

RECT ClipBox(HDC dc)
{
    RECT rc = { 0, 0, 0, 0 };
    GetClipBox(dc, &rc);
    return rc;
}

using testsupport::SameRect;

void Paint(Canvas& canvas, DWORD color)
{
    RECT all = { 0, 0, canvas.Width(), canvas.Height() };
    CUIRender::FillRectColor(canvas.dc(), all, color);
}

TEST(RenderClip, ClipRectNarrowsAndDestructorRestores)
{
    Canvas canvas(100, 100);
    HRGN outer = CreateRectRgn(5, 5, 95, 95);
    SelectClipRgn(canvas.dc(), outer);
    DeleteObject(outer);
    {
        CUIRenderClip clip;
        RECT rc = { 20, 20, 40, 40 };
        CUIRenderClip::ClipRect(canvas.dc(), rc, clip);
        EXPECT_TRUE(SameRect(rc, ClipBox(canvas.dc())));
        Paint(canvas, 0xFFFF0000);
        EXPECT_PIXEL(canvas, 20, 20, 0xFFFF0000, 0);
        EXPECT_PIXEL(canvas, 39, 39, 0xFFFF0000, 0);
        EXPECT_PIXEL(canvas, 40, 40, 0xFFFFFFFF, 0);
        EXPECT_PIXEL(canvas, 19, 30, 0xFFFFFFFF, 0);

        CUIRenderClip::SuspendClip(canvas.dc(), clip);
        Paint(canvas, 0xFF00FF00);
        EXPECT_PIXEL(canvas, 5, 5, 0xFF00FF00, 0);
        EXPECT_PIXEL(canvas, 94, 94, 0xFF00FF00, 0);
        EXPECT_PIXEL(canvas, 95, 95, 0xFFFFFFFF, 0);

        CUIRenderClip::ResumeClip(canvas.dc(), clip);
        Paint(canvas, 0xFF0000FF);
        EXPECT_PIXEL(canvas, 30, 30, 0xFF0000FF, 0);
        EXPECT_PIXEL(canvas, 50, 50, 0xFF00FF00, 0);
    }
    const RECT before = { 5, 5, 95, 95 };
    EXPECT_TRUE(SameRect(before, ClipBox(canvas.dc())));
    Paint(canvas, 0xFF000000);
    EXPECT_PIXEL(canvas, 5, 5, 0xFF000000, 0);
    EXPECT_PIXEL(canvas, 94, 94, 0xFF000000, 0);
    EXPECT_PIXEL(canvas, 4, 4, 0xFFFFFFFF, 0);
    canvas.DumpIfFailed("cliprect");
}

TEST(RenderClip, RoundRectClipRestoresEarlierClipBoxAsRectangle)
{
    Canvas canvas(100, 100);
    // An elliptic clip before: afterwards its bounding box is in force.
    HRGN ellipse = CreateEllipticRgn(10, 10, 90, 90);
    SelectClipRgn(canvas.dc(), ellipse);
    DeleteObject(ellipse);
    const RECT before = ClipBox(canvas.dc());
    {
        CUIRenderClip clip;
        RECT rc = { 20, 20, 80, 80 };
        RECT rcRound = { 30, 30, 70, 70 };
        CUIRenderClip::ClipRoundRect(canvas.dc(), rc, rcRound, 20, 20, clip);
        Paint(canvas, 0xFFFF0000);
        EXPECT_PIXEL(canvas, 50, 50, 0xFFFF0000, 0);
        EXPECT_PIXEL(canvas, 50, 30, 0xFFFF0000, 0);
        EXPECT_PIXEL(canvas, 69, 50, 0xFFFF0000, 0);
        EXPECT_PIXEL(canvas, 71, 50, 0xFFFFFFFF, 0);
        EXPECT_PIXEL(canvas, 30, 30, 0xFFFFFFFF, 0);    // rounded corner
        EXPECT_PIXEL(canvas, 25, 50, 0xFFFFFFFF, 0);
    }
    EXPECT_TRUE(SameRect(before, ClipBox(canvas.dc())));
    HRGN now = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(1, GetClipRgn(canvas.dc(), now));
    RECT box;
    EXPECT_EQ(SIMPLEREGION, GetRgnBox(now, &box));
    DeleteObject(now);
    Paint(canvas, 0xFF0000FF);
    EXPECT_PIXEL(canvas, before.left, before.top, 0xFF0000FF, 0);   // outside the ellipse
    EXPECT_PIXEL(canvas, before.right - 1, before.bottom - 1, 0xFF0000FF, 0);
    EXPECT_PIXEL(canvas, before.right, before.bottom, 0xFFFFFFFF, 0);
    canvas.DumpIfFailed("cliproundrect");
}

}  // namespace
