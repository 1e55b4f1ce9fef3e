#include "UILabel.h"

#include <stdlib.h>
#include <wchar.h>

#include <algorithm>
#include <mutex>

// GDI+ is used through its flat API only.
#include <objidl.h>
#include <gdiplus.h>

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// GDI+ is started once for the whole process while any label exists and shut
// down after the last one is gone.
std::mutex g_gdiplusLock;
int g_gdiplusUsers = 0;
ULONG_PTR g_gdiplusToken = 0;

void AcquireGdiplus()
{
    std::lock_guard<std::mutex> guard(g_gdiplusLock);
    if (g_gdiplusUsers++ == 0) {
        GdiplusStartupInput input;   // version 1, no debug callback, background thread
        if (GdiplusStartup(&g_gdiplusToken, &input, NULL) != Ok)
            g_gdiplusToken = 0;
    }
}

void ReleaseGdiplus()
{
    std::lock_guard<std::mutex> guard(g_gdiplusLock);
    if (g_gdiplusUsers <= 0)
        return;
    if (--g_gdiplusUsers == 0 && g_gdiplusToken != 0) {
        GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    }
}

ARGB ToArgb(int nAlpha, DWORD dwColor)
{
    return (static_cast<ARGB>(nAlpha) << 24) | (dwColor & 0x00FFFFFF);
}

int ParseInt(LPCTSTR pstrValue)
{
    return static_cast<int>(wcstol(pstrValue, NULL, 10));
}

// Failures of the text accessors are reported under these names; they never
// leave the control (a C++ exception cannot unwind through the window
// procedure's system frames).
void ReportTextFailure(const char* pstrWhere)
{
    ::OutputDebugStringA(pstrWhere);
}

} // namespace

CLabelUI::CLabelUI()
    : m_dwTextColor(0)
    , m_dwDisabledTextColor(0)
    , m_iFont(-1)
    , m_uTextStyle(DT_VCENTER)
    , m_bShowHtml(false)
    , m_nStringAlignment(StringAlignmentNear)
    , m_nLineAlignment(StringAlignmentCenter)
    , m_TransShadow(60)
    , m_TransShadow1(60)
    , m_TransText(168)
    , m_TransText1(168)
    , m_TransStroke(255)
    , m_GradientLength(0)
    , m_GradientAngle(0)
    , m_EnableEffect(false)
    , m_EnabledStroke(false)
    , m_EnabledShadow(false)
    , m_dwTextColor1(0xFFFFFFFF)
    , m_dwTextShadowColorA(0xFF000000)
    , m_dwTextShadowColorB(0xFFFFFFFF)
    , m_dwStrokeColor(0)
    , m_ShadowOffsetX(0.0f)
    , m_ShadowOffsetY(0.0f)
    , m_TextRenderingHint(0)
{
    AcquireGdiplus();
}

CLabelUI::~CLabelUI()
{
    ReleaseGdiplus();
}

LPCTSTR CLabelUI::GetClassName() const
{
    return L"LabelUI";
}

LPVOID CLabelUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Label") == 0)
        return static_cast<CLabelUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

CUIString CLabelUI::GetText() const
{
    if (!m_EnableEffect)
        return CControlUI::GetText();
    CUIString sText(m_TextValue);
    if (sText.GetLength() != m_TextValue.GetLength()) {
        // The copy could not get its memory.
        ReportTextFailure("CLabelUI::GetText");
        return CUIString();
    }
    return sText;
}

void CLabelUI::SetText(LPCTSTR pstrText)
{
    if (!m_EnableEffect) {
        CControlUI::SetText(pstrText);
        if (pstrText != NULL && m_sText != pstrText)
            ReportTextFailure("CLabelUI::SetText");
        return;
    }
    // A failed assignment leaves the old effect text in place.
    m_TextValue = pstrText;
    if (pstrText != NULL && m_TextValue != pstrText)
        ReportTextFailure("CLabelUI::SetText");
}

void CLabelUI::HandleEvent(UIEvent& event)
{
    if (event.nKind == UIEventSetFocus) {
        m_bFocused = true;
        return;
    }
    if (event.nKind == UIEventKillFocus) {
        m_bFocused = false;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"align") == 0) {
        if (wcsstr(pstrValue, L"left") != NULL)
            m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        if (wcsstr(pstrValue, L"center") != NULL) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, L"right") != NULL) {
            m_uTextStyle &= ~(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            m_uTextStyle |= DT_RIGHT;
        }
        if (wcsstr(pstrValue, L"top") != NULL) {
            m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
            m_uTextStyle |= DT_SINGLELINE;
        }
        if (wcsstr(pstrValue, L"vcenter") != NULL) {
            m_uTextStyle &= ~DT_BOTTOM;
            m_uTextStyle |= DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        }
        if (wcsstr(pstrValue, L"bottom") != NULL) {
            m_uTextStyle &= ~DT_VCENTER;
            m_uTextStyle |= DT_BOTTOM | DT_SINGLELINE;
        }
    } else if (wcscmp(pstrName, L"endellipsis") == 0) {
        if (IsTrueValue(pstrValue))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (wcscmp(pstrName, L"font") == 0) {
        SetFont(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"textcolor") == 0) {
        SetTextColor(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"disabledtextcolor") == 0) {
        SetDisabledTextColor(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"textpadding") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        RECT rc = { v[0], v[1], v[2], v[3] };
        SetTextPadding(rc);
    } else if (wcscmp(pstrName, L"showhtml") == 0) {
        SetShowHtml(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"enabledeffect") == 0) {
        SetEnabledEffect(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"rhaa") == 0) {
        SetTextRenderingHint(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"transshadow") == 0) {
        SetTransShadow(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"transtext") == 0) {
        SetTransText(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"transshadow1") == 0) {
        SetTransShadow1(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"transtext1") == 0) {
        SetTransText1(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"gradientangle") == 0) {
        SetGradientAngle(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"enabledstroke") == 0) {
        SetEnabledStroke(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"enabledshadow") == 0) {
        SetEnabledShadow(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"transstroke") == 0) {
        SetTransStroke(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"gradientlength") == 0) {
        SetGradientLength(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"shadowoffset") == 0) {
        int v[2];
        ParseNumberList(pstrValue, v, 2);
        SetShadowOffset(v[0], v[1]);
    } else if (wcscmp(pstrName, L"textcolor1") == 0) {
        SetTextColor1(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"textshadowcolora") == 0) {
        SetTextShadowColorA(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"textshadowcolorb") == 0) {
        SetTextShadowColorB(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"strokecolor") == 0) {
        SetStrokeColor(ParseColor(pstrValue, false));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

CUISize CLabelUI::MeasureSize(SIZE szAvailable)
{
    return MeasureTextLine(szAvailable, 4);
}

CUISize CLabelUI::MeasureTextLine(SIZE szAvailable, int cyExtra)
{
    if (m_nFixedHeight != 0 || m_pManager == NULL)
        return CControlUI::MeasureSize(szAvailable);
    const UIFontInfo* pFont = m_pManager->GetFontInfoByIndex(m_iFont);
    const int cyText = pFont != NULL ? pFont->tm.tmHeight : 0;
    return CUISize(m_nFixedWidth, cyText + cyExtra);
}

CUIRect CLabelUI::GetTextRect() const
{
    return CUIRect(m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
                   m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom);
}

void CLabelUI::ResolveTextColors()
{
    if (m_pManager == NULL)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultTextColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDisabledTextColor();
}

void CLabelUI::PaintText(HDC hDC)
{
    ResolveTextColors();
    CUIRect rc = GetTextRect();

    if (m_EnableEffect) {
        PaintEffectText(hDC, rc);
        return;
    }

    if (m_sText.IsEmpty())
        return;
    const DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    const UINT uStyle = m_uTextStyle | DT_SINGLELINE;
    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRender::DrawTaggedText(hDC, m_pManager, rc, m_sText, dwColor, NULL, NULL, nLinks, uStyle);
    } else {
        CUIRender::DrawPlainText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, uStyle);
    }
}

void CLabelUI::PaintEffectText(HDC hDC, const CUIRect& rc)
{
    if (m_pManager == NULL || hDC == NULL)
        return;

    GpFont* pFont = NULL;
    HFONT hFont = m_pManager->GetFont(m_iFont);
    LOGFONTW lf;
    ZeroMemory(&lf, sizeof(lf));
    if (hFont != NULL && ::GetObjectW(hFont, sizeof(lf), &lf) != 0)
        GdipCreateFontFromLogfontW(hDC, &lf, &pFont);
    else
        GdipCreateFontFromDC(hDC, &pFont);

    GpGraphics* pGraphics = NULL;
    GdipCreateFromHDC(hDC, &pGraphics);
    if (pGraphics != NULL)
        GdipSetTextRenderingHint(pGraphics, static_cast<TextRenderingHint>(m_TextRenderingHint));

    GpStringFormat* pFormat = NULL;
    GdipCreateStringFormat(0, LANG_NEUTRAL, &pFormat);
    if (pFormat != NULL) {
        GdipSetStringFormatAlign(pFormat, static_cast<StringAlignment>(m_nStringAlignment));
        GdipSetStringFormatLineAlign(pFormat, static_cast<StringAlignment>(m_nLineAlignment));
    }

    RectF rcLayout(static_cast<REAL>(rc.left), static_cast<REAL>(rc.top),
                   static_cast<REAL>(rc.right - rc.left), static_cast<REAL>(rc.bottom - rc.top));
    RectF rcShadow(rcLayout.X + m_ShadowOffsetX, rcLayout.Y + m_ShadowOffsetY, rcLayout.Width,
                   rcLayout.Height);

    const int nTextHeight = rc.bottom - rc.top;
    const int nGradient = m_GradientLength != 0 ? m_GradientLength : nTextHeight;
    const GpPoint ptStart(m_GradientAngle, 0);
    const GpPoint ptEnd(0, nGradient);

    const DWORD dwShadowB = m_dwTextShadowColorB == 0xFFFFFFFF ? m_dwTextShadowColorA : m_dwTextShadowColorB;
    GpLineGradient* pShadowBrush = NULL;
    GdipCreateLineBrushI(&ptStart, &ptEnd, ToArgb(m_TransShadow, m_dwTextShadowColorA),
                         ToArgb(m_TransShadow1, dwShadowB), WrapModeTile, &pShadowBrush);

    // The gradient always uses the enabled text colour.
    const DWORD dwText1 = m_dwTextColor1 == 0xFFFFFFFF ? m_dwTextColor : m_dwTextColor1;
    GpLineGradient* pTextBrush = NULL;
    GdipCreateLineBrushI(&ptStart, &ptEnd, ToArgb(m_TransText, m_dwTextColor), ToArgb(m_TransText1, dwText1),
                         WrapModeTile, &pTextBrush);

    const WCHAR* pstrText = m_TextValue.GetData();
    const INT nLength = m_TextValue.GetLength();
    const bool bCanDraw = pGraphics != NULL && pFont != NULL;

    if (m_EnabledStroke && m_dwStrokeColor != 0) {
        const GpPoint ptStrokeEnd(0, nTextHeight + 2);
        GpLineGradient* pStrokeBrush = NULL;
        GdipCreateLineBrushI(&ptStart, &ptStrokeEnd, ToArgb(m_TransStroke, m_dwStrokeColor),
                             ToArgb(m_TransStroke, m_dwStrokeColor), WrapModeTile, &pStrokeBrush);
        if (bCanDraw && pStrokeBrush != NULL) {
            static const int kOffsets[4][2] = { { -1, 0 }, { 1, 0 }, { 0, -1 }, { 0, 1 } };
            for (int i = 0; i < 4; ++i) {
                RectF rcStroke(rcLayout.X + kOffsets[i][0], rcLayout.Y + kOffsets[i][1], rcLayout.Width,
                               rcLayout.Height);
                GdipDrawString(pGraphics, pstrText, nLength, pFont, &rcStroke, pFormat, pStrokeBrush);
            }
        }
        if (pStrokeBrush != NULL)
            GdipDeleteBrush(pStrokeBrush);
    }

    if (m_EnabledShadow && (m_dwTextShadowColorA != 0 || m_dwTextShadowColorB != 0) && bCanDraw
        && pShadowBrush != NULL)
        GdipDrawString(pGraphics, pstrText, nLength, pFont, &rcShadow, pFormat, pShadowBrush);

    if (bCanDraw && pTextBrush != NULL)
        GdipDrawString(pGraphics, pstrText, nLength, pFont, &rcLayout, pFormat, pTextBrush);

    if (pTextBrush != NULL)
        GdipDeleteBrush(pTextBrush);
    if (pShadowBrush != NULL)
        GdipDeleteBrush(pShadowBrush);
    if (pFormat != NULL)
        GdipDeleteStringFormat(pFormat);
    if (pGraphics != NULL)
        GdipDeleteGraphics(pGraphics);
    if (pFont != NULL)
        GdipDeleteFont(pFont);
}

// ---------------------------------------------------------------------------
// Text attributes
// ---------------------------------------------------------------------------
void CLabelUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetTextColor() const
{
    return m_dwTextColor;
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetDisabledTextColor() const
{
    return m_dwDisabledTextColor;
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

int CLabelUI::GetFont() const
{
    return m_iFont;
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

// ---------------------------------------------------------------------------
// Effect attributes: they take effect at the next paint.
// ---------------------------------------------------------------------------
void CLabelUI::SetEnabledEffect(bool bEnable)
{
    m_EnableEffect = bEnable;
}

bool CLabelUI::IsEnabledEffect() const
{
    return m_EnableEffect;
}

void CLabelUI::SetTextRenderingHint(int nHint)
{
    m_TextRenderingHint = (nHint >= 0 && nHint <= 5) ? nHint : 0;
}

void CLabelUI::SetTransShadow(int nAlpha)
{
    m_TransShadow = nAlpha;
}

int CLabelUI::GetTransShadow() const
{
    return m_TransShadow;
}

void CLabelUI::SetTransShadow1(int nAlpha)
{
    m_TransShadow1 = nAlpha;
}

int CLabelUI::GetTransShadow1() const
{
    return m_TransShadow1;
}

void CLabelUI::SetTransText(int nAlpha)
{
    m_TransText = nAlpha;
}

int CLabelUI::GetTransText() const
{
    return m_TransText;
}

void CLabelUI::SetTransText1(int nAlpha)
{
    m_TransText1 = nAlpha;
}

int CLabelUI::GetTransText1() const
{
    return m_TransText1;
}

void CLabelUI::SetTransStroke(int nAlpha)
{
    m_TransStroke = nAlpha;
}

int CLabelUI::GetTransStroke() const
{
    return m_TransStroke;
}

void CLabelUI::SetGradientAngle(int nAngle)
{
    m_GradientAngle = nAngle;
}

int CLabelUI::GetGradientAngle() const
{
    return m_GradientAngle;
}

void CLabelUI::SetGradientLength(int nLength)
{
    m_GradientLength = nLength;
}

int CLabelUI::GetGradientLength() const
{
    return m_GradientLength;
}

void CLabelUI::SetEnabledStroke(bool bEnable)
{
    m_EnabledStroke = bEnable;
}

bool CLabelUI::IsEnabledStroke() const
{
    return m_EnabledStroke;
}

void CLabelUI::SetEnabledShadow(bool bEnable)
{
    m_EnabledShadow = bEnable;
}

bool CLabelUI::IsEnabledShadow() const
{
    return m_EnabledShadow;
}

void CLabelUI::SetTextColor1(DWORD dwColor)
{
    m_dwTextColor1 = dwColor;
}

DWORD CLabelUI::GetTextColor1() const
{
    return m_dwTextColor1;
}

void CLabelUI::SetTextShadowColorA(DWORD dwColor)
{
    m_dwTextShadowColorA = dwColor;
}

DWORD CLabelUI::GetTextShadowColorA() const
{
    return m_dwTextShadowColorA;
}

void CLabelUI::SetTextShadowColorB(DWORD dwColor)
{
    m_dwTextShadowColorB = dwColor;
}

DWORD CLabelUI::GetTextShadowColorB() const
{
    return m_dwTextShadowColorB;
}

void CLabelUI::SetStrokeColor(DWORD dwColor)
{
    m_dwStrokeColor = dwColor;
}

DWORD CLabelUI::GetStrokeColor() const
{
    return m_dwStrokeColor;
}

void CLabelUI::SetShadowOffset(int nOffset, int nAngle)
{
    if (nAngle < -180 || nAngle > 180)
        return;
    // The offset is a displacement of the shadow's layout rectangle, so it is
    // measured from 0 and not from the control's current position.
    int dx = 0;
    if (nAngle >= 0 && nAngle <= 180)
        dx = -nOffset;
    else if (nAngle >= -179 && nAngle <= -1)
        dx = nOffset;
    int dy = 0;
    if (nAngle >= -89 && nAngle <= 90)
        dy = -nOffset;
    else if (nAngle != -90)
        dy = nOffset;
    m_ShadowOffsetX = static_cast<float>(dx);
    m_ShadowOffsetY = static_cast<float>(dy);
}

} // namespace SkinUI
