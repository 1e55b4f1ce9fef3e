// Render engine: the clip guard, fills, gradients, lines and outlines, HSL
// colour adjustment and alpha blending. Image loading and blitting live in
// UIRenderImage.cpp.
#include "UIRender.h"

namespace SkinUI {

namespace {

// 0xAARRGGBB -> the platform's 0x00BBGGRR.
COLORREF ToColorRef(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Process-wide entry points of msimg32, filled once on first use.
bool g_bBlendLookedUp = false;
UIAlphaBlendProc g_pfnAlphaBlend = NULL;
UIGradientFillProc g_pfnGradientFill = NULL;

template <typename T>
T ProcAs(FARPROC proc)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(proc));
}

void LookUpBlendProcs()
{
    if (g_bBlendLookedUp) return;
    // The first manager loads msimg32; a paint before any manager exists
    // loads it here rather than settling for the slow fallbacks for good.
    HMODULE hModule = ::GetModuleHandleW(L"msimg32.dll");
    if (hModule == NULL) hModule = ::LoadLibraryW(L"msimg32.dll");
    UIAlphaBlendProc alphaBlend = NULL;
    UIGradientFillProc gradientFill = NULL;
    if (hModule != NULL) {
        alphaBlend = ProcAs<UIAlphaBlendProc>(::GetProcAddress(hModule, "AlphaBlend"));
        gradientFill = ProcAs<UIGradientFillProc>(::GetProcAddress(hModule, "GradientFill"));
    }
    g_pfnAlphaBlend = alphaBlend != NULL ? alphaBlend : &CUIRender::SoftAlphaBlend;
    g_pfnGradientFill = gradientFill;
    g_bBlendLookedUp = true;
}

// A 32-bit DIB section; bottom-up when topDown is false.
HBITMAP CreateDib32(HDC hDC, int width, int height, bool topDown, void** bits)
{
    BITMAPINFO bmi;
    ::ZeroMemory(&bmi, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = topDown ? -height : height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = 0;
    *bits = NULL;
    HBITMAP hBitmap = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, bits, NULL, 0);
    if (hBitmap != NULL && *bits == NULL) {
        ::DeleteObject(hBitmap);
        hBitmap = NULL;
    }
    return hBitmap;
}

} // namespace

// ---------------------------------------------------------------------------
// CUIRenderClip
// ---------------------------------------------------------------------------

CUIRenderClip::CUIRenderClip() : hDC(NULL), hRgn(NULL), hOldRgn(NULL)
{
}

CUIRenderClip::~CUIRenderClip()
{
    if (hDC != NULL && hOldRgn != NULL) ::SelectClipRgn(hDC, hOldRgn);
    Release();
}

void CUIRenderClip::Release()
{
    if (hRgn != NULL) ::DeleteObject(hRgn);
    if (hOldRgn != NULL) ::DeleteObject(hOldRgn);
    hRgn = NULL;
    hOldRgn = NULL;
    hDC = NULL;
}

void CUIRenderClip::ClipRect(HDC hDC, const RECT& rc, CUIRenderClip& clip)
{
    // A guard that is armed again first puts its earlier clip back.
    if (clip.hDC != NULL && clip.hOldRgn != NULL) ::SelectClipRgn(clip.hDC, clip.hOldRgn);
    clip.Release();

    RECT rcClip = { 0, 0, 0, 0 };
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    if (clip.hRgn != NULL) ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CUIRenderClip::ClipRoundRect(HDC hDC, const RECT& rc, const RECT& rcItem, int width, int height,
                                  CUIRenderClip& clip)
{
    if (clip.hDC != NULL && clip.hOldRgn != NULL) ::SelectClipRgn(clip.hDC, clip.hOldRgn);
    clip.Release();

    RECT rcClip = { 0, 0, 0, 0 };
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    HRGN hRgnItem = ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1,
                                         width, height);
    if (clip.hRgn != NULL && hRgnItem != NULL) ::CombineRgn(clip.hRgn, clip.hRgn, hRgnItem, RGN_AND);
    if (clip.hRgn != NULL) ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
    if (hRgnItem != NULL) ::DeleteObject(hRgnItem);
}

void CUIRenderClip::SuspendClip(HDC hDC, CUIRenderClip& clip)
{
    if (clip.hOldRgn != NULL) ::SelectClipRgn(hDC, clip.hOldRgn);
}

void CUIRenderClip::ResumeClip(HDC hDC, CUIRenderClip& clip)
{
    if (clip.hRgn != NULL) ::SelectClipRgn(hDC, clip.hRgn);
}

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------

DWORD CUIRender::AdjustColorHsl(DWORD dwColor, short H, short S, short L)
{
    if (H == 180 && S == 100 && L == 100) return dwColor;
    float fH, fS, fL;
    RgbToHsl(dwColor, &fH, &fS, &fL);
    fH += (H - 180);
    if (fH <= 0.0f) fH += 360.0f;
    fS = fS * S / 100.0f;
    fL = fL * L / 100.0f;
    HslToRgb(fH, fS, fL, &dwColor);
    return dwColor;
}

void CUIRender::RgbToHsl(DWORD dwColor, float* H, float* S, float* L)
{
    const float R = (float)(dwColor & 0xFF) / 255.0f;
    const float G = (float)((dwColor >> 8) & 0xFF) / 255.0f;
    const float B = (float)((dwColor >> 16) & 0xFF) / 255.0f;
    float mx = R > G ? R : G;
    if (B > mx) mx = B;
    float mn = R < G ? R : G;
    if (B < mn) mn = B;

    float h = 0.0f, s = 0.0f;
    const float l = (mx + mn) * 0.5f;
    if (mx != mn) {
        const float d = mx - mn;
        if (R == mn)
            h = 3.0f - (G - B) / d;
        else if (G != mn)
            h = 1.0f - (R - G) / d;
        else
            h = 5.0f - (B - R) / d;
        if (h >= 6.0f) h -= 6.0f;
        h *= 60.0f;
        if (2.0f * l <= 1.0f)
            s = d / (mx + mn);
        else
            s = d / (2.0f - mx - mn);
    }
    if (H) *H = h;
    if (S) *S = s;
    if (L) *L = l;
}

namespace {

float HueToChannel(float p, float q, float x)
{
    if (x < 0.0f)
        x += 1.0f;
    else if (x > 1.0f)
        x -= 1.0f;
    if (6.0f * x < 1.0f) return p + (q - p) * 6.0f * x;
    if (2.0f * x < 1.0f) return q;
    if (3.0f * x < 2.0f) return p + (q - p) * 6.0f * (0.6666667f - x);
    return p;
}

DWORD ChannelByte(float v)
{
    float c = v * 255.0f;
    if (!(c > 0.0f)) return 0;   // also NaN
    if (c > 255.0f) return 255;
    return (DWORD)c;
}

} // namespace

void CUIRender::HslToRgb(float H, float S, float L, DWORD* dwColor)
{
    if (dwColor == NULL) return;
    const float t = H / 360.0f;
    const float q = (2.0f * L < 1.0f) ? L * (1.0f + S) : L + S - L * S;
    const float p = 2.0f * L - q;
    const DWORD r = ChannelByte(HueToChannel(p, q, t + 0.33333334f));
    const DWORD g = ChannelByte(HueToChannel(p, q, t));
    const DWORD b = ChannelByte(HueToChannel(p, q, t - 0.33333334f));
    *dwColor = (*dwColor & 0xFF000000) | r | (g << 8) | (b << 16);
}

DWORD CUIRender::MixColors(double a, double b, DWORD c1, DWORD c2)
{
    DWORD result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double v = a * (double)((c2 >> shift) & 0xFF) + b * (double)((c1 >> shift) & 0xFF);
        DWORD ch = 0;
        if (v >= 255.0)
            ch = 255;
        else if (v > 0.0)
            ch = (DWORD)v;
        result |= ch << shift;
    }
    return result;
}

// ---------------------------------------------------------------------------
// Alpha blending
// ---------------------------------------------------------------------------

UIAlphaBlendProc CUIRender::GetAlphaBlend()
{
    LookUpBlendProcs();
    return g_pfnAlphaBlend;
}

UIGradientFillProc CUIRender::GetGradientFill()
{
    LookUpBlendProcs();
    return g_pfnGradientFill;
}

void CUIRender::SetBlendProcs(UIAlphaBlendProc alphaBlend, UIGradientFillProc gradientFill)
{
    g_pfnAlphaBlend = alphaBlend != NULL ? alphaBlend : &CUIRender::SoftAlphaBlend;
    g_pfnGradientFill = gradientFill;
    g_bBlendLookedUp = true;
}

void CUIRender::ResetBlendProcs()
{
    g_pfnAlphaBlend = NULL;
    g_pfnGradientFill = NULL;
    g_bBlendLookedUp = false;
}

BOOL WINAPI CUIRender::SoftAlphaBlend(HDC hDC, int nDestX, int nDestY, int nDestWidth, int nDestHeight,
                                      HDC hSrcDC, int nSrcX, int nSrcY, int nSrcWidth, int nSrcHeight,
                                      BLENDFUNCTION ftn)
{
    if (nDestWidth <= 0 || nDestHeight <= 0 || nSrcWidth <= 0 || nSrcHeight <= 0) return FALSE;
    HDC hTempDC = ::CreateCompatibleDC(hDC);
    if (hTempDC == NULL) return FALSE;

    void* pSrc = NULL;
    HBITMAP hSrcBitmap = CreateDib32(hDC, nDestWidth, nDestHeight, false, &pSrc);
    if (hSrcBitmap == NULL) {
        ::DeleteDC(hTempDC);
        return FALSE;
    }
    HGDIOBJ hOldBitmap = ::SelectObject(hTempDC, hSrcBitmap);
    ::SetStretchBltMode(hTempDC, COLORONCOLOR);
    ::StretchBlt(hTempDC, 0, 0, nDestWidth, nDestHeight, hSrcDC, nSrcX, nSrcY, nSrcWidth, nSrcHeight,
                 SRCCOPY);

    void* pDest = NULL;
    HBITMAP hDestBitmap = CreateDib32(hDC, nDestWidth, nDestHeight, false, &pDest);
    if (hDestBitmap == NULL) {
        ::SelectObject(hTempDC, hOldBitmap);
        ::DeleteObject(hSrcBitmap);
        ::DeleteDC(hTempDC);
        return FALSE;
    }
    ::SelectObject(hTempDC, hDestBitmap);
    ::BitBlt(hTempDC, 0, 0, nDestWidth, nDestHeight, hDC, nDestX, nDestY, SRCCOPY);
    ::GdiFlush();

    // With per-pixel alpha the source is premultiplied: its colour enters
    // scaled by the constant alpha only, the destination keeps 1 - srcA x SCA.
    // Without it the constant alpha weighs both sides.
    const double sca = ftn.SourceConstantAlpha / 255.0;
    const bool perPixel = (ftn.AlphaFormat & AC_SRC_ALPHA) != 0;
    const DWORD* src = static_cast<const DWORD*>(pSrc);
    DWORD* dst = static_cast<DWORD*>(pDest);
    const size_t count = (size_t)nDestWidth * (size_t)nDestHeight;
    for (size_t i = 0; i < count; ++i) {
        double x = perPixel ? (double)(src[i] >> 24) * ftn.SourceConstantAlpha / 255.0 / 255.0 : sca;
        if (x < 0.0) x = 0.0;
        double keep = 1.0 - x;
        if (keep < 0.0) keep = 0.0;
        dst[i] = MixColors(sca, keep, dst[i], src[i]);
    }

    ::BitBlt(hDC, nDestX, nDestY, nDestWidth, nDestHeight, hTempDC, 0, 0, SRCCOPY);
    ::SelectObject(hTempDC, hOldBitmap);
    ::DeleteObject(hDestBitmap);
    ::DeleteObject(hSrcBitmap);
    ::DeleteDC(hTempDC);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------

void CUIRender::FillRectColor(HDC hDC, const RECT& rc, DWORD color)
{
    if (color <= 0x00FFFFFF) return;
    if (color >= 0xFF000000) {
        // The DC's own brush: no object is created, and unlike an opaque
        // ExtTextOut it costs no text set-up (about a fifth of the time
        // under Wine, the same on Windows).
        const COLORREF old = ::SetDCBrushColor(hDC, ToColorRef(color));
        ::FillRect(hDC, &rc, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        ::SetDCBrushColor(hDC, old);
        return;
    }
    // Translucent: a 1x1 premultiplied pixel stretched over the rectangle.
    void* bits = NULL;
    HBITMAP hBitmap = CreateDib32(hDC, 1, 1, true, &bits);
    if (hBitmap == NULL) return;
    const DWORD a = color >> 24;
    const DWORD r = ((color >> 16) & 0xFF) * a / 255;
    const DWORD g = ((color >> 8) & 0xFF) * a / 255;
    const DWORD b = (color & 0xFF) * a / 255;
    *static_cast<DWORD*>(bits) = (a << 24) | (r << 16) | (g << 8) | b;
    const RECT rcSource = { 0, 0, 1, 1 };
    const RECT rcCorners = { 0, 0, 0, 0 };
    DrawBitmap(hDC, hBitmap, rc, rc, rcSource, rcCorners, true, 255, false, false, false);
    ::DeleteObject(hBitmap);
}

void CUIRender::FillGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical,
                             int nSteps)
{
    const BYTE bAlpha = (BYTE)(((dwFirst >> 24) + (dwSecond >> 24)) >> 1);
    if (bAlpha == 0) return;
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0) return;

    RECT rcPaint = rc;
    HDC hPaintDC = hDC;
    HBITMAP hPaintBitmap = NULL;
    HGDIOBJ hOldPaintBitmap = NULL;
    if (bAlpha < 255) {
        rcPaint.left = 0;
        rcPaint.top = 0;
        rcPaint.right = cx;
        rcPaint.bottom = cy;
        hPaintDC = ::CreateCompatibleDC(hDC);
        if (hPaintDC == NULL) return;
        hPaintBitmap = ::CreateCompatibleBitmap(hDC, cx, cy);
        if (hPaintBitmap == NULL) {
            ::DeleteDC(hPaintDC);
            return;
        }
        hOldPaintBitmap = ::SelectObject(hPaintDC, hPaintBitmap);
    }

    UIGradientFillProc gradientFill = GetGradientFill();
    if (gradientFill != NULL) {
        TRIVERTEX triv[2];
        triv[0].x = rcPaint.left;
        triv[0].y = rcPaint.top;
        triv[0].Red = (COLOR16)(((dwFirst >> 16) & 0xFF) << 8);
        triv[0].Green = (COLOR16)(((dwFirst >> 8) & 0xFF) << 8);
        triv[0].Blue = (COLOR16)((dwFirst & 0xFF) << 8);
        triv[0].Alpha = 0xFF00;
        triv[1].x = rcPaint.right;
        triv[1].y = rcPaint.bottom;
        triv[1].Red = (COLOR16)(((dwSecond >> 16) & 0xFF) << 8);
        triv[1].Green = (COLOR16)(((dwSecond >> 8) & 0xFF) << 8);
        triv[1].Blue = (COLOR16)((dwSecond & 0xFF) << 8);
        triv[1].Alpha = 0xFF00;
        GRADIENT_RECT grc = { 0, 1 };
        gradientFill(hPaintDC, triv, 2, &grc, 1, bVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    }
    else {
        // Solid bands: 2^shift of them, the second colour at the bottom/right.
        int nShift = 1;
        if (nSteps >= 64)
            nShift = 6;
        else if (nSteps >= 32)
            nShift = 5;
        else if (nSteps >= 16)
            nShift = 4;
        else if (nSteps >= 8)
            nShift = 3;
        else if (nSteps >= 4)
            nShift = 2;
        const int nLines = 1 << nShift;
        const int extent = bVertical ? cy : cx;
        for (int i = 0; i < nLines; ++i) {
            RECT rcBand = rcPaint;
            if (bVertical) {
                rcBand.bottom = rcPaint.bottom - ((i * extent) >> nShift);
                rcBand.top = rcPaint.bottom - (((i + 1) * extent) >> nShift);
                if (rcBand.bottom - rcBand.top <= 0) continue;
            }
            else {
                rcBand.right = rcPaint.right - ((i * extent) >> nShift);
                rcBand.left = rcPaint.right - (((i + 1) * extent) >> nShift);
                if (rcBand.right - rcBand.left <= 0) continue;
            }
            const BYTE r = (BYTE)(((nLines - i) * ((dwSecond >> 16) & 0xFF) + i * ((dwFirst >> 16) & 0xFF)) >> nShift);
            const BYTE g = (BYTE)(((nLines - i) * ((dwSecond >> 8) & 0xFF) + i * ((dwFirst >> 8) & 0xFF)) >> nShift);
            const BYTE b = (BYTE)(((nLines - i) * (dwSecond & 0xFF) + i * (dwFirst & 0xFF)) >> nShift);
            HBRUSH hBrush = ::CreateSolidBrush(RGB(r, g, b));
            if (hBrush == NULL) continue;
            ::FillRect(hPaintDC, &rcBand, hBrush);
            ::DeleteObject(hBrush);
        }
    }

    if (bAlpha < 255) {
        // The memory bitmap carries no meaningful alpha: blend by the
        // constant alpha only.
        BLENDFUNCTION bf = { AC_SRC_OVER, 0, bAlpha, 0 };
        UIAlphaBlendProc alphaBlend = GetAlphaBlend();
        alphaBlend(hDC, rc.left, rc.top, cx, cy, hPaintDC, 0, 0, cx, cy, bf);
        ::SelectObject(hPaintDC, hOldPaintBitmap);
        ::DeleteObject(hPaintBitmap);
        ::DeleteDC(hPaintDC);
    }
}

void CUIRender::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle)
{
    HPEN hPen = ::CreatePen(nStyle, nSize, ToColorRef(dwPenColor));
    if (hPen == NULL) return;
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    POINT ptTemp = { 0, 0 };
    ::MoveToEx(hDC, rc.left, rc.top, &ptTemp);
    ::LineTo(hDC, rc.right, rc.bottom);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CUIRender::DrawRectOutline(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor)
{
    if (nSize == 1) {
        // One pixel wide, an inside-frame pen draws what the DC's own pen
        // draws, and that one needs no object of its own (many controls
        // have such a border).
        HGDIOBJ hOldPen = ::SelectObject(hDC, ::GetStockObject(DC_PEN));
        const COLORREF old = ::SetDCPenColor(hDC, ToColorRef(dwPenColor));
        HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
        ::SelectObject(hDC, hOldBrush);
        ::SetDCPenColor(hDC, old);
        ::SelectObject(hDC, hOldPen);
        return;
    }
    HPEN hPen = ::CreatePen(PS_SOLID | PS_INSIDEFRAME, nSize, ToColorRef(dwPenColor));
    if (hPen == NULL) return;
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    ::SelectObject(hDC, hOldBrush);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

void CUIRender::DrawRoundRectOutline(HDC hDC, const RECT& rc, int nSize, int width, int height,
                                     DWORD dwPenColor)
{
    HPEN hPen = ::CreatePen(PS_SOLID | PS_INSIDEFRAME, nSize, ToColorRef(dwPenColor));
    if (hPen == NULL) return;
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = ::SelectObject(hDC, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
    ::SelectObject(hDC, hOldBrush);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
}

} // namespace SkinUI
