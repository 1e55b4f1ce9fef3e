// Render engine: image descriptions, the image loader (resources, skin zip,
// skin folder, plain paths; decoded by stb_image into premultiplied DIBs) and
// the nine-cell blitter.
#include "UIRender.h"

#include <stdlib.h>
#include <string.h>
#include <new>

#include <stb_image.h>

#include "UIManager.h"
#include "UISkinFile.h"

namespace SkinUI {

namespace {

// Image files and zip entries come from places a user can replace: refuse
// anything larger than this before allocating for it.
const DWORD kMaxImageBytes = 64u * 1024u * 1024u;

// ---------------------------------------------------------------------------
// Image bytes
// ---------------------------------------------------------------------------

bool ReadResourceBytes(LPCTSTR name, LPCTSTR type, BYTE** data, DWORD* size)
{
    HINSTANCE hInst = CUIManager::GetResourceInstance();
    HRSRC hResource = ::FindResourceW(hInst, name, type);
    if (hResource == NULL) return false;
    HGLOBAL hGlobal = ::LoadResource(hInst, hResource);
    const DWORD length = ::SizeofResource(hInst, hResource);
    if (hGlobal == NULL || length == 0 || length > kMaxImageBytes) return false;
    const void* bytes = ::LockResource(hGlobal);
    if (bytes == NULL) return false;
    BYTE* buffer = new (std::nothrow) BYTE[length];
    if (buffer == NULL) return false;
    memcpy(buffer, bytes, length);
    *data = buffer;
    *size = length;
    return true;
}

// ---------------------------------------------------------------------------
// Image descriptions
// ---------------------------------------------------------------------------

// What one draw accumulates over the description and its modifier.
struct ImageDrawSpec
{
    CUIString sName;
    CUIString sResType;
    RECT rcDest;
    RECT rcSource;
    RECT rcCorner;
    DWORD dwMask;
    BYTE bFade;
    bool bHole;
    bool bTiledX;
    bool bTiledY;
};

// "l,t,r,b": decimal numbers separated by exactly one character; missing
// numbers read as 0.
RECT ReadRect(const wchar_t* value)
{
    long n[4] = { 0, 0, 0, 0 };
    const wchar_t* p = value;
    for (int i = 0; i < 4; ++i) {
        wchar_t* end = NULL;
        n[i] = wcstol(p, &end, 10);
        p = end;
        if (*p == 0) break;
        ++p;   // the separator
    }
    RECT rc = { (LONG)n[0], (LONG)n[1], (LONG)n[2], (LONG)n[3] };
    return rc;
}

bool IsSpace(wchar_t ch)
{
    return ch != 0 && ch <= 32;
}

void ReadDescription(HDC hDC, CUIManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                     const wchar_t* text, ImageDrawSpec& spec)
{
    int nImages = 0;   // "file" and "restype" items read so far in this text
    CUIString sKey;
    CUIString sValue;
    const wchar_t* p = text;
    for (;;) {
        while (IsSpace(*p)) ++p;
        const wchar_t* key = p;
        while (*p != 0 && *p != L'=' && *p > 32) ++p;
        sKey.Assign(key, (int)(p - key));
        while (IsSpace(*p)) ++p;
        if (*p != L'=') break;
        ++p;
        while (IsSpace(*p)) ++p;
        if (*p != L'\'') break;
        ++p;
        const wchar_t* value = p;
        while (*p != 0 && *p != L'\'') ++p;
        if (*p != L'\'') break;
        sValue.Assign(value, (int)(p - value));
        ++p;

        if (!sValue.IsEmpty()) {
            if (sKey == L"file" || sKey == L"res") {
                if (nImages > 0) {
                    CUIRender::DrawNamedImage(hDC, pManager, rcItem, rcPaint, spec.sName, spec.sResType,
                                              spec.rcDest, spec.rcSource, spec.rcCorner, spec.dwMask,
                                              spec.bFade, spec.bHole, spec.bTiledX, spec.bTiledY);
                }
                spec.sName = sValue;
                if (sKey == L"file") ++nImages;
            }
            else if (sKey == L"restype") {
                if (nImages > 0) {
                    CUIRender::DrawNamedImage(hDC, pManager, rcItem, rcPaint, spec.sName, spec.sResType,
                                              spec.rcDest, spec.rcSource, spec.rcCorner, spec.dwMask,
                                              spec.bFade, spec.bHole, spec.bTiledX, spec.bTiledY);
                }
                spec.sResType = sValue;
                ++nImages;
            }
            else if (sKey == L"dest") {
                const RECT rc = ReadRect(sValue);
                spec.rcDest.left = rcItem.left + rc.left;
                spec.rcDest.top = rcItem.top + rc.top;
                spec.rcDest.right = rcItem.left + rc.right;
                if (spec.rcDest.right > rcItem.right) spec.rcDest.right = rcItem.right;
                spec.rcDest.bottom = rcItem.top + rc.bottom;
                if (spec.rcDest.bottom > rcItem.bottom) spec.rcDest.bottom = rcItem.bottom;
            }
            else if (sKey == L"source") {
                spec.rcSource = ReadRect(sValue);
            }
            else if (sKey == L"corner") {
                spec.rcCorner = ReadRect(sValue);
            }
            else if (sKey == L"mask") {
                const wchar_t* v = sValue.GetData();
                if (*v == L'#') ++v;
                spec.dwMask = (DWORD)wcstoul(v, NULL, 16);
            }
            else if (sKey == L"fade") {
                spec.bFade = (BYTE)wcstol(sValue, NULL, 10);
            }
            else if (sKey == L"hole") {
                spec.bHole = sValue == L"true";
            }
            else if (sKey == L"xtiled") {
                spec.bTiledX = sValue == L"true";
            }
            else if (sKey == L"ytiled") {
                spec.bTiledY = sValue == L"true";
            }
        }
        if (*p != L' ') break;
        ++p;
    }
}

// ---------------------------------------------------------------------------
// The blitter's cells
// ---------------------------------------------------------------------------

// Tiles of size step laid from origin up to end (exclusive): the indexes
// [*first, *last) of those that meet [visibleFrom, visibleTo). Computed in 64
// bits, so that a control of any size costs only its visible tiles.
void TileRange(int origin, int end, int step, int visibleFrom, int visibleTo, long long* first, long long* last)
{
    *first = 0;
    *last = 0;
    const long long span = (long long)end - origin;
    if (step <= 0 || span <= 0 || visibleTo <= visibleFrom)
        return;
    const long long count = (span + step - 1) / step;
    long long from = ((long long)visibleFrom - origin) / step;
    if ((long long)visibleFrom < origin)
        from = 0;
    long long to = ((long long)visibleTo - origin + step - 1) / step;
    if (from < 0)
        from = 0;
    if (to > count)
        to = count;
    if (to < from)
        to = from;
    *first = from;
    *last = to;
}

class CellPainter
{
public:
    CellPainter(HDC hDC, HDC hMemDC, const RECT& rcPaint, bool bAlpha, BYTE uFade)
        : m_hDC(hDC), m_hMemDC(hMemDC), m_rcPaint(rcPaint), m_bAlpha(bAlpha), m_pfnBlend(NULL)
    {
        m_bf.BlendOp = AC_SRC_OVER;
        m_bf.BlendFlags = 0;
        m_bf.SourceConstantAlpha = uFade;
        m_bf.AlphaFormat = AC_SRC_ALPHA;
        if (m_bAlpha) m_pfnBlend = CUIRender::GetAlphaBlend();
        if (m_pfnBlend == NULL) m_bAlpha = false;
    }

    bool Blending() const { return m_bAlpha; }

    // What of the target can show at all: the paint rectangle within the
    // DC's clip box. Tiles outside it are never drawn.
    RECT Visible() const
    {
        RECT rcVisible = m_rcPaint;
        RECT rcClip;
        const int kind = ::GetClipBox(m_hDC, &rcClip);
        if (kind == NULLREGION)
            ::SetRectEmpty(&rcVisible);
        else if (kind != ERROR && !::IntersectRect(&rcVisible, &rcVisible, &rcClip))
            ::SetRectEmpty(&rcVisible);
        return rcVisible;
    }

    bool MeetsPaint(int left, int top, int right, int bottom) const
    {
        RECT rc = { left, top, right, bottom };
        RECT rcTemp;
        return ::IntersectRect(&rcTemp, &rc, &m_rcPaint) != FALSE;
    }

    // One cell, stretched. Cells with no (or a negative) extent on either side
    // are skipped: a negative extent would mirror or fail.
    void Stretch(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) const
    {
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
        if (m_bAlpha)
            m_pfnBlend(m_hDC, dx, dy, dw, dh, m_hMemDC, sx, sy, sw, sh, m_bf);
        else
            ::StretchBlt(m_hDC, dx, dy, dw, dh, m_hMemDC, sx, sy, sw, sh, SRCCOPY);
    }

    // One unscaled tile.
    void Copy(int dx, int dy, int w, int h, int sx, int sy) const
    {
        if (w <= 0 || h <= 0) return;
        if (m_bAlpha)
            m_pfnBlend(m_hDC, dx, dy, w, h, m_hMemDC, sx, sy, w, h, m_bf);
        else
            ::BitBlt(m_hDC, dx, dy, w, h, m_hMemDC, sx, sy, SRCCOPY);
    }

    // A cell that only needs drawing when it meets the paint rectangle.
    void Cell(int dl, int dt, int dr, int db, int sx, int sy, int sw, int sh) const
    {
        if (!MeetsPaint(dl, dt, dr, db)) return;
        Stretch(dl, dt, dr - dl, db - dt, sx, sy, sw, sh);
    }

private:
    HDC m_hDC;
    HDC m_hMemDC;
    RECT m_rcPaint;
    bool m_bAlpha;
    UIAlphaBlendProc m_pfnBlend;
    BLENDFUNCTION m_bf;
};

} // namespace

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

UIImageInfo* CUIRender::LoadImageInfo(LPCTSTR name, LPCTSTR type, DWORD mask)
{
    if (name == NULL) return NULL;
    const bool bNamedByString = !IS_INTRESOURCE(name);
    if (bNamedByString && *name == 0) return NULL;

    BYTE* data = NULL;
    DWORD size = 0;
    if (type != NULL && *type != 0) {
        ReadResourceBytes(name, type, &data, &size);
    }
    else if (bNamedByString) {
        if (CUIManager::GetResourceZipName().IsEmpty()) {
            CUIString sFile = CUIManager::GetResourcePath();
            sFile += name;
            UIReadSkinFile(sFile, kMaxImageBytes, &data, &size);
        }
        else {
            UIReadSkinZipEntry(name, kMaxImageBytes, &data, &size);
        }
    }
    // Whatever the chosen way, the name may still be a plain path.
    if (data == NULL && bNamedByString) UIReadSkinFile(name, kMaxImageBytes, &data, &size);
    if (data == NULL) return NULL;

    int x = 0, y = 0, n = 0;
    stbi_uc* pImage = stbi_load_from_memory(data, (int)size, &x, &y, &n, 4);
    delete[] data;
    if (pImage == NULL) return NULL;
    if (x <= 0 || y <= 0) {
        stbi_image_free(pImage);
        return NULL;
    }

    BITMAPINFO bmi;
    ::ZeroMemory(&bmi, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = x;
    bmi.bmiHeader.biHeight = -y;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = (DWORD)x * (DWORD)y * 4;
    void* pvBits = NULL;
    HBITMAP hBitmap = ::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &pvBits, NULL, 0);
    if (hBitmap == NULL || pvBits == NULL) {
        if (hBitmap != NULL) ::DeleteObject(hBitmap);
        stbi_image_free(pImage);
        return NULL;
    }

    bool bAlpha = false;
    BYTE* pDest = static_cast<BYTE*>(pvBits);
    const size_t count = (size_t)x * (size_t)y;
    for (size_t i = 0; i < count; ++i) {
        const BYTE* src = pImage + i * 4;
        BYTE* dst = pDest + i * 4;
        const BYTE a = src[3];
        dst[3] = a;
        if (a < 255) {
            dst[0] = (BYTE)(src[2] * a / 255);
            dst[1] = (BYTE)(src[1] * a / 255);
            dst[2] = (BYTE)(src[0] * a / 255);
            bAlpha = true;
        }
        else {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        const DWORD pixel = (DWORD)dst[0] | ((DWORD)dst[1] << 8) | ((DWORD)dst[2] << 16) |
                            ((DWORD)dst[3] << 24);
        if (pixel == mask) {
            dst[0] = dst[1] = dst[2] = dst[3] = 0;
            bAlpha = true;
        }
    }
    stbi_image_free(pImage);

    UIImageInfo* info = new (std::nothrow) UIImageInfo;
    if (info == NULL) {
        ::DeleteObject(hBitmap);
        return NULL;
    }
    info->hBitmap = hBitmap;
    info->nWidth = x;
    info->nHeight = y;
    info->bAlpha = bAlpha;
    info->dwMask = 0;
    return info;
}

void CUIRender::FreeImageInfo(UIImageInfo* info)
{
    if (info == NULL) return;
    if (info->hBitmap != NULL) ::DeleteObject(info->hBitmap);
    delete info;
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

bool CUIRender::DrawImageSpec(HDC hDC, CUIManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                              LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    if (pManager == NULL || hDC == NULL) return false;

    ImageDrawSpec spec;
    spec.sName = pStrImage;
    spec.rcDest = rcItem;
    ::SetRectEmpty(&spec.rcSource);
    ::SetRectEmpty(&spec.rcCorner);
    spec.dwMask = 0;
    spec.bFade = 255;
    spec.bHole = false;
    spec.bTiledX = false;
    spec.bTiledY = false;

    if (pStrImage != NULL) ReadDescription(hDC, pManager, rcItem, rcPaint, pStrImage, spec);
    if (pStrModify != NULL) ReadDescription(hDC, pManager, rcItem, rcPaint, pStrModify, spec);

    DrawNamedImage(hDC, pManager, rcItem, rcPaint, spec.sName, spec.sResType, spec.rcDest, spec.rcSource,
                   spec.rcCorner, spec.dwMask, spec.bFade, spec.bHole, spec.bTiledX, spec.bTiledY);
    return true;
}

bool CUIRender::DrawNamedImage(HDC hDC, CUIManager* pManager, const RECT& rcItem, const RECT& rcPaint,
                               const CUIString& sImageName, const CUIString& sImageResType, RECT rcDest,
                               RECT rcSource, const RECT& rcCorner, DWORD dwMask, BYTE bFade, bool bHole,
                               bool bTiledX, bool bTiledY)
{
    if (sImageName.IsEmpty() || pManager == NULL) return false;
    UIImageInfo* data = pManager->GetImageEx(sImageName, sImageResType.IsEmpty() ? NULL : sImageResType.GetData(),
                                             dwMask);
    if (data == NULL) return false;

    if (rcSource.left == 0 && rcSource.top == 0 && rcSource.right == 0 && rcSource.bottom == 0) {
        rcSource.right = data->nWidth;
        rcSource.bottom = data->nHeight;
    }
    if (rcSource.right > data->nWidth) rcSource.right = data->nWidth;
    if (rcSource.bottom > data->nHeight) rcSource.bottom = data->nHeight;

    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcDest, &rcItem)) return true;
    if (!::IntersectRect(&rcTemp, &rcDest, &rcPaint)) return true;
    DrawBitmap(hDC, data->hBitmap, rcDest, rcPaint, rcSource, rcCorner, data->bAlpha, bFade, bHole, bTiledX,
               bTiledY);
    return true;
}

void CUIRender::DrawBitmap(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint,
                           const RECT& rcBmpPart, const RECT& rcCorners, bool bAlpha, BYTE uFade, bool bHole,
                           bool bTiledX, bool bTiledY)
{
    if (hDC == NULL || hBitmap == NULL) return;
    HDC hCloneDC = ::CreateCompatibleDC(hDC);
    if (hCloneDC == NULL) return;
    HGDIOBJ hOldBitmap = ::SelectObject(hCloneDC, hBitmap);
    ::SetStretchBltMode(hDC, HALFTONE);

    const RECT& D = rc;
    const RECT& S = rcBmpPart;
    const int cl = rcCorners.left, ct = rcCorners.top, cr = rcCorners.right, cb = rcCorners.bottom;
    CellPainter painter(hDC, hCloneDC, rcPaint, bAlpha || uFade < 255, uFade);

    const bool bPlainCopy = !painter.Blending() && D.right - D.left == S.right - S.left &&
                            D.bottom - D.top == S.bottom - S.top && cl == 0 && ct == 0 && cr == 0 && cb == 0;
    if (bPlainCopy) {
        RECT rcTemp;
        if (::IntersectRect(&rcTemp, &D, &rcPaint)) {
            ::BitBlt(hDC, rcTemp.left, rcTemp.top, rcTemp.right - rcTemp.left, rcTemp.bottom - rcTemp.top,
                     hCloneDC, S.left + rcTemp.left - D.left, S.top + rcTemp.top - D.top, SRCCOPY);
        }
    }
    else {
        // The centre cell.
        const int dl = D.left + cl, dt = D.top + ct, dr = D.right - cr, db = D.bottom - cb;
        const int sl = S.left + cl, st = S.top + ct;
        const int sw = S.right - S.left - cl - cr;   // also the tile width
        const int sh = S.bottom - S.top - ct - cb;   // also the tile height
        if (!bHole && painter.MeetsPaint(dl, dt, dr, db)) {
            const int cw = dr - dl, ch = db - dt;
            if (!bTiledX && !bTiledY) {
                painter.Stretch(dl, dt, cw, ch, sl, st, sw, sh);
            }
            else {
                // Only the tiles that can show are drawn; each keeps the
                // place it has in the whole tiling.
                const RECT rcVisible = painter.Visible();
                long long i0 = 0, i1 = 1, j0 = 0, j1 = 1;
                if (bTiledX) TileRange(dl, dr, sw, rcVisible.left, rcVisible.right, &i0, &i1);
                if (bTiledY) TileRange(dt, db, sh, rcVisible.top, rcVisible.bottom, &j0, &j1);
                for (long long j = j0; j < j1; ++j) {
                    const int y = bTiledY ? (int)(dt + j * sh) : dt;
                    const int h = bTiledY ? ((long long)db - y < sh ? db - y : sh) : ch;
                    for (long long i = i0; i < i1; ++i) {
                        const int x = bTiledX ? (int)(dl + i * sw) : dl;
                        const int w = bTiledX ? ((long long)dr - x < sw ? dr - x : sw) : cw;
                        if (bTiledX && bTiledY)
                            painter.Copy(x, y, w, h, sl, st);
                        else if (bTiledX)
                            painter.Stretch(x, dt, w, ch, sl, st, w, sh);
                        else
                            painter.Stretch(dl, y, cw, h, sl, st, sw, h);
                    }
                }
            }
        }

        // The eight border cells.
        if (cl > 0 && ct > 0) painter.Cell(D.left, D.top, D.left + cl, D.top + ct, S.left, S.top, cl, ct);
        if (ct > 0) painter.Cell(D.left + cl, D.top, D.right - cr, D.top + ct, S.left + cl, S.top, sw, ct);
        if (cr > 0 && ct > 0) painter.Cell(D.right - cr, D.top, D.right, D.top + ct, S.right - cr, S.top, cr, ct);
        if (cl > 0) painter.Cell(D.left, D.top + ct, D.left + cl, D.bottom - cb, S.left, S.top + ct, cl, sh);
        if (cr > 0) painter.Cell(D.right - cr, D.top + ct, D.right, D.bottom - cb, S.right - cr, S.top + ct, cr, sh);
        if (cl > 0 && cb > 0)
            painter.Cell(D.left, D.bottom - cb, D.left + cl, D.bottom, S.left, S.bottom - cb, cl, cb);
        if (cb > 0) painter.Cell(D.left + cl, D.bottom - cb, D.right - cr, D.bottom, S.left + cl, S.bottom - cb, sw, cb);
        if (cr > 0 && cb > 0)
            painter.Cell(D.right - cr, D.bottom - cb, D.right, D.bottom, S.right - cr, S.bottom - cb, cr, cb);
    }

    ::SelectObject(hCloneDC, hOldBitmap);
    ::DeleteDC(hCloneDC);
}

} // namespace SkinUI
