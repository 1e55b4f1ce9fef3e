// The render engine: static drawing operations over a device context that
// every control paints with (fills, gradients, lines and outlines, colour
// adjustment in HSL space, alpha blending, images), and the clip guard that
// narrows a DC's clip while a control paints.
//
// Colours are 0xAARRGGBB throughout; they become the platform's 0x00BBGGRR
// only at GDI calls. A fill colour with alpha 0 draws nothing.
#ifndef SKINUI_UIRENDER_H
#define SKINUI_UIRENDER_H

#include <windows.h>

#include "UIBase.h"

namespace SkinUI {

class CUIManager;

// A decoded image: a 32-bit top-down DIB section with premultiplied alpha
// (memory order blue, green, red, alpha). Owned by the manager's image cache.
struct UIImageInfo
{
    HBITMAP hBitmap;
    int nWidth;
    int nHeight;
    bool bAlpha;
    CUIString sResType;   // filled in by the manager
    DWORD dwMask;         // filled in by the manager
};

// The platform's AlphaBlend and GradientFill signatures.
typedef BOOL (WINAPI* UIAlphaBlendProc)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL (WINAPI* UIGradientFillProc)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// ---------------------------------------------------------------------------
// CUIRenderClip: narrows the clip of a DC; the destructor puts the clip box
// that was in force before back, as a rectangle.
// ---------------------------------------------------------------------------
class CUIRenderClip
{
public:
    CUIRenderClip();
    ~CUIRenderClip();

    static void ClipRect(HDC hDC, const RECT& rc, CUIRenderClip& clip);
    // The clip is rc AND a rounded rectangle over rcItem (its right and bottom
    // edges one pixel further out) with the given corner ellipse.
    static void ClipRoundRect(HDC hDC, const RECT& rc, const RECT& rcItem, int width, int height,
                              CUIRenderClip& clip);
    // Selects the earlier clip box, so drawing may leave the clip rectangle.
    static void SuspendClip(HDC hDC, CUIRenderClip& clip);
    // Selects the clip region again.
    static void ResumeClip(HDC hDC, CUIRenderClip& clip);

    CUIRect rcItem;
    HDC hDC;
    HRGN hRgn;      // the clip region (owned)
    HRGN hOldRgn;   // the earlier clip box (owned)

private:
    CUIRenderClip(const CUIRenderClip&);
    CUIRenderClip& operator=(const CUIRenderClip&);
    void Release();
};

// ---------------------------------------------------------------------------
// CUIRender
// ---------------------------------------------------------------------------
class CUIRender
{
public:
    // --- colours -----------------------------------------------------------
    // hue 0..360 (180 = unchanged), saturation and lightness in percent
    // (100 = unchanged). The alpha byte is kept.
    static DWORD AdjustColorHsl(DWORD dwColor, short H, short S, short L);
    // Both conversions read bits 0-7 as red, 8-15 as green, 16-23 as blue.
    static void RgbToHsl(DWORD dwColor, float* H, float* S, float* L);
    static void HslToRgb(float H, float S, float L, DWORD* dwColor);
    // Per channel a x channel of c2 + b x channel of c1, truncated (and
    // capped at 255); the alpha byte of the result is 0.
    static DWORD MixColors(double a, double b, DWORD c1, DWORD c2);

    // --- alpha blending ------------------------------------------------------
    // Software stand-in for the platform's AlphaBlend, same arguments and result.
    static BOOL WINAPI SoftAlphaBlend(HDC hDC, int nDestX, int nDestY, int nDestWidth, int nDestHeight,
                                      HDC hSrcDC, int nSrcX, int nSrcY, int nSrcWidth, int nSrcHeight,
                                      BLENDFUNCTION ftn);
    // The blender in use: msimg32's "AlphaBlend", else SoftAlphaBlend.
    // Looked up once per process on first use.
    static UIAlphaBlendProc GetAlphaBlend();
    // msimg32's "GradientFill", or NULL (gradients then fall back to bands).
    static UIGradientFillProc GetGradientFill();
    // Replaces the looked-up entry points (NULL alpha blend = SoftAlphaBlend,
    // NULL gradient fill = solid bands). For tests and embedders.
    static void SetBlendProcs(UIAlphaBlendProc alphaBlend, UIGradientFillProc gradientFill);
    // Forgets the entry points; the next use looks them up again.
    static void ResetBlendProcs();

    // --- primitives ----------------------------------------------------------
    static void FillRectColor(HDC hDC, const RECT& rc, DWORD color);
    static void FillGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical,
                             int nSteps);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = PS_SOLID);
    static void DrawRectOutline(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor);
    static void DrawRoundRectOutline(HDC hDC, const RECT& rc, int nSize, int width, int height,
                                     DWORD dwPenColor);

    // --- images --------------------------------------------------------------
    // name: a file name (or a resource name / MAKEINTRESOURCE id when type is
    // given). NULL when the image cannot be found or decoded.
    static UIImageInfo* LoadImageInfo(LPCTSTR name, LPCTSTR type, DWORD mask);
    static void FreeImageInfo(UIImageInfo* info);

    // Parses an image description (and an optional modifier) and draws it.
    // False only for a NULL manager or DC.
    static bool DrawImageSpec(HDC hDC, CUIManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                              LPCTSTR pStrImage, LPCTSTR pStrModify = NULL);
    // False for an empty name or an image the manager cannot deliver.
    static bool DrawNamedImage(HDC hDC, CUIManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                               const CUIString& sImageName, const CUIString& sImageResType,
                               RECT rcDest, RECT rcSource, const RECT& rcCorner, DWORD dwMask,
                               BYTE bFade, bool bHole, bool bTiledX, bool bTiledY);
    // The blitter: nine cells (corners unscaled), optional hole, tiled centre
    // and fade. A NULL bitmap draws nothing.
    static void DrawBitmap(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint,
                           const RECT& rcBmpPart, const RECT& rcCorners, bool bAlpha, BYTE uFade = 255,
                           bool bHole = false, bool bTiledX = false, bool bTiledY = false);

    // --- text ------------------------------------------------------------------
    // Plain text: the platform's DrawText over rc with the manager's font of
    // that index (the default font for an index out of range), a transparent
    // background and DT_NOPREFIX added. With DT_CALCRECT rc receives the
    // measured size. Nothing for a NULL text or manager.
    static void DrawPlainText(HDC hDC, CUIManager* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                              int iFont, UINT uStyle);

    // Tagged text: a text with tags in <...> or {...} that switch fonts
    // (b, i, u, f), colours (c), selected background (s), raw text (r), links
    // (a), inline image strips (i name [frames [index]]), new lines (n),
    // paragraphs (p), x advance (x) and line height (y); "<{>" "<}>" draw
    // braces, "{<}" "{>}" draw angle brackets.
    // Honoured flags: DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_WORDBREAK,
    // DT_SINGLELINE, DT_CALCRECT (nothing is drawn; rc's right and bottom get
    // the measured size) and DT_END_ELLIPSIS.
    // Links: prcLinks/sLinks are the caller's arrays (either may be NULL);
    // nLinkRects is their capacity on entry and the number of links laid out
    // on return. The rectangles passed in are those of the previous paint:
    // the link under the manager's mouse point is drawn in the hover colour.
    static void DrawTaggedText(HDC hDC, CUIManager* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                               CUIRect* prcLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle);
};

} // namespace SkinUI

#endif // SKINUI_UIRENDER_H
