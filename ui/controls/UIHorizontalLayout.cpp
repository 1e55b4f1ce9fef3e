#include "UIHorizontalLayout.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIManager.h"
#include "UIRender.h"
#include "UIScrollBar.h"

namespace SkinUI {

namespace {

const UINT kSeparatorDragging = 0x40;

int Clamp(int v, int lo, int hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

} // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI() : m_iSepWidth(0), m_uButtonState(0), m_bImmMode(false)
{
    m_ptLastMouse.x = 0;
    m_ptLastMouse.y = 0;
}

LPCTSTR CHorizontalLayoutUI::GetClassName() const
{
    return L"HorizontalLayoutUI";
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return NULL;
    if (wcscmp(pstrName, L"HorizontalLayout") == 0)
        return static_cast<CHorizontalLayoutUI*>(this);
    if (wcscmp(pstrName, L"Container") == 0)
        return static_cast<CContainerUI*>(this);
    if (wcscmp(pstrName, L"Control") == 0)
        return static_cast<CControlUI*>(this);
    if (wcscmp(pstrName, L"IContainer") == 0)
        return static_cast<IContainerUI*>(this);
    return NULL;
}

UINT CHorizontalLayoutUI::GetInputFlags() const
{
    if (IsEnabled() && m_iSepWidth != 0)
        return WantSetCursor;
    return 0;
}

void CHorizontalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;

    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;

    // Without children the scroll bars see the rectangle with their own room.
    if (GetCount() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }

    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    if (bVBar)
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (bHBar)
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    CUISize szAvailable(rc.right - rc.left, rc.bottom - rc.top);
    if (bHBar)
        szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    // First pass: what the fixed children take and how many share the rest.
    int nAdjustables = 0;
    int cxFixed = 0;
    int nEstimateNum = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        CUISize sz = pControl->MeasureSize(szAvailable);
        if (sz.cx == 0) {
            ++nAdjustables;
        } else {
            sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        }
        const RECT rcPadding = pControl->GetPadding();
        cxFixed += sz.cx + rcPadding.left + rcPadding.right;
        ++nEstimateNum;
    }
    cxFixed += (nEstimateNum - 1) * m_iChildPadding;

    int cxExpand = 0;
    if (nAdjustables > 0) {
        cxExpand = (szAvailable.cx - cxFixed) / nAdjustables;
        if (cxExpand < 0)
            cxExpand = 0;
    }

    // Second pass: place the children; the vertical scroll position does not
    // move them.
    int iPosX = rc.left;
    if (bHBar)
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
    int cxRemaining = szAvailable.cx;
    int cxFixedRemaining = cxFixed;
    int cxNeeded = 0;
    int iAdjustable = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }

        const RECT rcPadding = pControl->GetPadding();
        cxRemaining -= rcPadding.left;
        CUISize sz = pControl->MeasureSize(CUISize(cxRemaining, szAvailable.cy));
        if (sz.cx == 0) {
            ++iAdjustable;
            sz.cx = cxExpand;
            // The last adjustable child takes what is left.
            if (iAdjustable == nAdjustables) {
                sz.cx = cxRemaining - rcPadding.right - cxFixedRemaining;
                if (sz.cx < 0)
                    sz.cx = 0;
            }
            sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
            cxFixedRemaining -= sz.cx;
        }

        sz.cy = pControl->GetFixedHeight();
        if (sz.cy == 0)
            sz.cy = rc.bottom - rc.top - rcPadding.top - rcPadding.bottom;
        if (sz.cy < 0)
            sz.cy = 0;
        sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());

        RECT rcCtrl = { iPosX + rcPadding.left, rc.top + rcPadding.top,
                        iPosX + rcPadding.left + sz.cx + rcPadding.right, rc.top + rcPadding.top + sz.cy };
        pControl->SetPos(rcCtrl);

        iPosX += sz.cx + m_iChildPadding + rcPadding.left + rcPadding.right;
        cxNeeded += sz.cx + rcPadding.left + rcPadding.right;
        cxRemaining -= sz.cx + m_iChildPadding + rcPadding.right;
    }
    cxNeeded += (nEstimateNum - 1) * m_iChildPadding;

    UpdateScrollBars(rc, cxNeeded, 0);
}

void CHorizontalLayoutUI::SetSeparatorWidth(int iWidth)
{
    m_iSepWidth = iWidth;
}

void CHorizontalLayoutUI::SetSeparatorImmediate(bool bImmediately)
{
    if (m_bImmMode == bImmediately)
        return;
    if ((m_uButtonState & kSeparatorDragging) != 0 && !m_bImmMode && m_pManager != NULL)
        m_pManager->RemovePostPaint(this);
    m_bImmMode = bImmediately;
}

RECT CHorizontalLayoutUI::GetSeparatorRect(bool bThumb) const
{
    const CUIRect rc = (bThumb && (m_uButtonState & kSeparatorDragging) != 0) ? m_rcNewPos : m_rcItem;
    RECT rcSep = rc;
    if (m_iSepWidth >= 0)
        rcSep.left = rc.right - m_iSepWidth;
    else
        rcSep.right = rc.left - m_iSepWidth;
    return rcSep;
}

void CHorizontalLayoutUI::HandleEvent(UIEvent& event)
{
    if (m_iSepWidth != 0) {
        if (event.nKind == UIEventButtonDown && IsEnabled()) {
            const RECT rcSeparator = GetSeparatorRect(false);
            if (::PtInRect(&rcSeparator, event.ptMouse)) {
                m_uButtonState |= kSeparatorDragging;
                m_ptLastMouse = event.ptMouse;
                m_rcNewPos = m_rcItem;
                if (!m_bImmMode && m_pManager != NULL)
                    m_pManager->AddPostPaint(this);
                return;
            }
        }
        if (event.nKind == UIEventButtonUp && (m_uButtonState & kSeparatorDragging) != 0) {
            m_uButtonState &= ~kSeparatorDragging;
            m_rcItem = m_rcNewPos;
            if (!m_bImmMode && m_pManager != NULL)
                m_pManager->RemovePostPaint(this);
            RequestParentLayout();
            return;
        }
        if (event.nKind == UIEventMouseMove && (m_uButtonState & kSeparatorDragging) != 0) {
            const LONG cx = event.ptMouse.x - m_ptLastMouse.x;
            m_ptLastMouse = event.ptMouse;
            const LONG x = event.ptMouse.x;
            CUIRect rc = m_rcNewPos;
            const int cxOld = m_rcNewPos.right - m_rcNewPos.left;
            if (m_iSepWidth >= 0) {
                if ((cx > 0 && x < m_rcNewPos.right - m_iSepWidth) || (cx < 0 && x > m_rcNewPos.right))
                    return;
                rc.right += cx;
                if (rc.right - rc.left <= GetMinWidth()) {
                    if (cxOld <= GetMinWidth())
                        return;
                    rc.right = rc.left + GetMinWidth();
                }
                if (rc.right - rc.left >= GetMaxWidth()) {
                    if (cxOld >= GetMaxWidth())
                        return;
                    rc.right = rc.left + GetMaxWidth();
                }
            } else {
                if ((cx > 0 && x < m_rcNewPos.left) || (cx < 0 && x > m_rcNewPos.left - m_iSepWidth))
                    return;
                rc.left += cx;
                if (rc.right - rc.left <= GetMinWidth()) {
                    if (cxOld <= GetMinWidth())
                        return;
                    rc.left = rc.right - GetMinWidth();
                }
                if (rc.right - rc.left >= GetMaxWidth()) {
                    if (cxOld >= GetMaxWidth())
                        return;
                    rc.left = rc.right - GetMaxWidth();
                }
            }

            CUIRect rcInvalidate = GetSeparatorRect(true);
            m_rcNewPos = rc;
            m_nFixedWidth = m_rcNewPos.right - m_rcNewPos.left;
            if (m_bImmMode) {
                m_rcItem = m_rcNewPos;
                RequestParentLayout();
            } else {
                rcInvalidate.Union(GetSeparatorRect(true));
                rcInvalidate.Union(GetSeparatorRect(false));
                if (m_pManager != NULL)
                    m_pManager->Invalidate(rcInvalidate);
            }
            return;
        }
        if (event.nKind == UIEventSetCursor && IsEnabled()) {
            const RECT rcSeparator = GetSeparatorRect(false);
            if (::PtInRect(&rcSeparator, event.ptMouse)) {
                ::SetCursor(::LoadCursorW(NULL, IDC_SIZEWE));
                return;
            }
        }
    }
    CContainerUI::HandleEvent(event);
}

void CHorizontalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != NULL && pstrValue != NULL) {
        if (wcscmp(pstrName, L"sepwidth") == 0) {
            SetSeparatorWidth(static_cast<int>(wcstol(pstrValue, NULL, 10)));
            return;
        }
        if (wcscmp(pstrName, L"sepimm") == 0) {
            SetSeparatorImmediate(IsTrueValue(pstrValue));
            return;
        }
    }
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CHorizontalLayoutUI::PostPaint(HDC hDC, const RECT&)
{
    if ((m_uButtonState & kSeparatorDragging) != 0 && !m_bImmMode) {
        const RECT rcSeparator = GetSeparatorRect(true);
        CUIRender::FillRectColor(hDC, rcSeparator, 0xAA000000);
    }
}

} // namespace SkinUI
