// The slider of the UI library (see UISlider.h).
#include "UISlider.h"

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "UIButton.h"
#include "UIManager.h"

namespace SkinUI {

namespace {

// The range as the divisor of the thumb and pointer formulas: a slider whose
// maximum is not above its minimum (before a paint has put it right) counts
// as a range of one instead of dividing by zero.
long long DivisorRange(int nMin, int nMax)
{
    const long long nRange = static_cast<long long>(nMax) - nMin;
    return nRange > 0 ? nRange : 1;
}

} // namespace

CSliderUI::CSliderUI() : m_uButtonState(0), m_nStep(1), m_nCaptureValue(0)
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_szThumb.cx = 10;
    m_szThumb.cy = 10;
}

CSliderUI::~CSliderUI()
{
}

LPCTSTR CSliderUI::GetClassName() const
{
    return L"SliderUI";
}

LPVOID CSliderUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Slider") == 0)
        return static_cast<CSliderUI*>(this);
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetInputFlags() const
{
    return IsEnabled() ? WantSetCursor : 0;
}

void CSliderUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

int CSliderUI::GetChangeStep() const
{
    return m_nStep;
}

void CSliderUI::SetChangeStep(int step)
{
    m_nStep = step;
}

void CSliderUI::SetThumbSize(SIZE szXY)
{
    m_szThumb = szXY;
}

RECT CSliderUI::GetThumbRect() const
{
    const long long nRange = DivisorRange(m_nMin, m_nMax);
    const long long nShare = static_cast<long long>(m_nValue) - m_nMin;
    RECT rc;
    if (m_bHorizontal) {
        const int left = m_rcItem.left + static_cast<int>((m_rcItem.right - m_rcItem.left - m_szThumb.cx) * nShare
                                                           / nRange);
        const int top = (m_rcItem.bottom + m_rcItem.top - m_szThumb.cy) / 2;
        rc.left = left;
        rc.top = top;
        rc.right = left + m_szThumb.cx;
        rc.bottom = top + m_szThumb.cy;
    } else {
        const int left = (m_rcItem.right + m_rcItem.left - m_szThumb.cx) / 2;
        const int bottom = m_rcItem.bottom - static_cast<int>((m_rcItem.bottom - m_rcItem.top - m_szThumb.cy)
                                                              * nShare / nRange);
        rc.left = left;
        rc.top = bottom - m_szThumb.cy;
        rc.right = left + m_szThumb.cx;
        rc.bottom = bottom;
    }
    return rc;
}

int CSliderUI::ValueFromPoint(POINT pt) const
{
    const long long nRange = static_cast<long long>(m_nMax) - m_nMin;
    if (m_bHorizontal) {
        const int half = m_szThumb.cx / 2;
        if (pt.x >= m_rcItem.right - half)
            return m_nMax;
        if (pt.x <= m_rcItem.left + half)
            return m_nMin;
        long long nTrack = m_rcItem.right - m_rcItem.left - m_szThumb.cx;
        if (nTrack <= 0)
            nTrack = 1;
        return m_nMin + static_cast<int>(nRange * (pt.x - m_rcItem.left - half) / nTrack);
    }
    const int half = m_szThumb.cy / 2;
    if (pt.y >= m_rcItem.bottom - half)
        return m_nMin;
    if (pt.y <= m_rcItem.top + half)
        return m_nMax;
    long long nTrack = m_rcItem.bottom - m_rcItem.top - m_szThumb.cy;
    if (nTrack <= 0)
        nTrack = 1;
    return m_nMin + static_cast<int>(nRange * (m_rcItem.bottom - half - pt.y) / nTrack);
}

void CSliderUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }

    switch (event.nKind) {
    case UIEventButtonDown:
    case UIEventDoubleClick:
        if (IsEnabled()) {
            RECT rcThumb = GetThumbRect();
            if (::PtInRect(&rcThumb, event.ptMouse)) {
                m_uButtonState |= UIStateCaptured;
                m_nCaptureValue = m_nValue;
            }
        }
        return;
    case UIEventButtonUp: {
        const bool bDragged = (m_uButtonState & UIStateCaptured) != 0;
        m_uButtonState &= ~UIStateCaptured;
        const int nValue = ValueFromPoint(event.ptMouse);
        if (nValue != m_nValue && nValue >= m_nMin && nValue <= m_nMax) {
            m_nValue = nValue;
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"valuechanged");
            Invalidate();
        } else if (bDragged && m_nValue != m_nCaptureValue) {
            // The drag moved the value with the pointer already: tell the
            // window once, at the release.
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"valuechanged");
            Invalidate();
        }
        return;
    }
    case UIEventContextMenu:
        return;
    case UIEventScrollWheel: {
        const WORD wCode = LOWORD(event.wParam);
        if (wCode == SB_LINEUP || wCode == SB_LINEDOWN) {
            SetValue(wCode == SB_LINEUP ? m_nValue + m_nStep : m_nValue - m_nStep);
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"valuechanged");
            return;
        }
        break;
    }
    case UIEventMouseMove:
        if ((m_uButtonState & UIStateCaptured) != 0) {
            m_nValue = ValueFromPoint(event.ptMouse);
            Invalidate();
        }
        return;
    case UIEventSetCursor: {
        RECT rcThumb = GetThumbRect();
        if (IsEnabled() && ::PtInRect(&rcThumb, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
            return;
        }
        break;
    }
    case UIEventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= UIStateHot;
            Invalidate();
        }
        return;
    case UIEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState &= ~UIStateHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CSliderUI::SetThumbImage(LPCTSTR pStrImage)
{
    m_sThumbImage = pStrImage;
    Invalidate();
}

void CSliderUI::SetThumbHotImage(LPCTSTR pStrImage)
{
    m_sThumbHotImage = pStrImage;
    Invalidate();
}

void CSliderUI::SetThumbPushedImage(LPCTSTR pStrImage)
{
    m_sThumbPushedImage = pStrImage;
    Invalidate();
}

void CSliderUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"thumbimage") == 0) {
        SetThumbImage(pstrValue);
    } else if (wcscmp(pstrName, L"thumbhotimage") == 0) {
        SetThumbHotImage(pstrValue);
    } else if (wcscmp(pstrName, L"thumbpushedimage") == 0) {
        SetThumbPushedImage(pstrValue);
    } else if (wcscmp(pstrName, L"thumbsize") == 0) {
        int v[2];
        ParseNumberList(pstrValue, v, 2);
        SIZE szXY = { v[0], v[1] };
        SetThumbSize(szXY);
    } else if (wcscmp(pstrName, L"step") == 0) {
        SetChangeStep(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    } else {
        CProgressUI::SetAttribute(pstrName, pstrValue);
    }
}

void CSliderUI::PaintStateImage(HDC hDC)
{
    CProgressUI::PaintStateImage(hDC);

    RECT rcThumb = GetThumbRect();
    rcThumb.left -= m_rcItem.left;
    rcThumb.top -= m_rcItem.top;
    rcThumb.right -= m_rcItem.left;
    rcThumb.bottom -= m_rcItem.top;
    wchar_t szModify[64];
    swprintf(szModify, 64, L"dest='%d,%d,%d,%d'", (int)rcThumb.left, (int)rcThumb.top, (int)rcThumb.right,
             (int)rcThumb.bottom);
    m_sImageModify = szModify;

    CUIString* pState = NULL;
    if ((m_uButtonState & UIStateCaptured) != 0)
        pState = &m_sThumbPushedImage;
    else if ((m_uButtonState & UIStateHot) != 0)
        pState = &m_sThumbHotImage;
    if (pState != NULL && !pState->IsEmpty()) {
        if (DrawImage(hDC, *pState, m_sImageModify))
            return;
        pState->Empty();
    }

    if (!m_sThumbImage.IsEmpty() && !DrawImage(hDC, m_sThumbImage, m_sImageModify))
        m_sThumbImage.Empty();
}

} // namespace SkinUI
