#include "UIVerticalLayout.h"

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

CVerticalLayoutUI::CVerticalLayoutUI() : m_iSepHeight(0), m_uButtonState(0), m_bImmMode(false)
{
    m_ptLastMouse.x = 0;
    m_ptLastMouse.y = 0;
}

LPCTSTR CVerticalLayoutUI::GetClassName() const
{
    return L"VerticalLayoutUI";
}

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"VerticalLayout") == 0)
            return static_cast<CVerticalLayoutUI*>(this);
        if (wcscmp(pstrName, L"Container") == 0)
            return static_cast<CContainerUI*>(this);
        if (wcscmp(pstrName, L"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetInputFlags() const
{
    if (IsEnabled() && m_iSepHeight != 0)
        return WantSetCursor;
    return 0;
}

void CVerticalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;

    // The client rectangle: the item rect less the inset and the visible bars.
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    if (bVBar)
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (bHBar)
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    if (GetCount() == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }

    CUISize szAvailable(rc.right - rc.left, rc.bottom - rc.top);
    if (bHBar)
        szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    // First pass: what the fixed children take and how many share the rest.
    int nAdjustables = 0;
    int cyFixed = 0;
    int nEstimateNum = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        CUISize sz = pControl->MeasureSize(szAvailable);
        if (sz.cy == 0) {
            ++nAdjustables;
        } else {
            sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        }
        const RECT rcPadding = pControl->GetPadding();
        cyFixed += sz.cy + rcPadding.top + rcPadding.bottom;
        ++nEstimateNum;
    }
    cyFixed += (nEstimateNum - 1) * m_iChildPadding;

    int cyExpand = 0;
    if (nAdjustables > 0) {
        cyExpand = (szAvailable.cy - cyFixed) / nAdjustables;
        if (cyExpand < 0)
            cyExpand = 0;
    }

    // Second pass: place the children.
    int iPosY = rc.top;
    if (bVBar)
        iPosY -= m_pVerticalScrollBar->GetScrollPos();
    int iPosX = rc.left;
    if (bHBar)
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
    int cyRemaining = szAvailable.cy;
    int cyFixedRemaining = cyFixed;
    int cyNeeded = 0;
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
        cyRemaining -= rcPadding.top;
        CUISize sz = pControl->MeasureSize(CUISize(szAvailable.cx, cyRemaining));
        if (sz.cy == 0) {
            ++iAdjustable;
            sz.cy = cyExpand;
            // The last adjustable child takes what is left.
            if (iAdjustable == nAdjustables) {
                sz.cy = cyRemaining - rcPadding.bottom - cyFixedRemaining;
                if (sz.cy < 0)
                    sz.cy = 0;
            }
            sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cyFixedRemaining -= sz.cy;
        }

        sz.cx = pControl->GetFixedWidth();
        if (sz.cx == 0)
            sz.cx = szAvailable.cx - rcPadding.left - rcPadding.right;
        if (sz.cx < 0)
            sz.cx = 0;
        sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());

        RECT rcCtrl = { iPosX + rcPadding.left, iPosY + rcPadding.top, iPosX + rcPadding.left + sz.cx,
                        iPosY + rcPadding.top + sz.cy + rcPadding.bottom };
        pControl->SetPos(rcCtrl);

        iPosY += sz.cy + m_iChildPadding + rcPadding.top + rcPadding.bottom;
        cyNeeded += sz.cy + rcPadding.top + rcPadding.bottom;
        cyRemaining -= sz.cy + m_iChildPadding + rcPadding.bottom;
    }
    cyNeeded += (nEstimateNum - 1) * m_iChildPadding;

    UpdateScrollBars(rc, 0, cyNeeded);
}

void CVerticalLayoutUI::SetSeparatorHeight(int iHeight)
{
    m_iSepHeight = iHeight;
}

void CVerticalLayoutUI::SetSeparatorImmediate(bool bImmediately)
{
    if (m_bImmMode == bImmediately)
        return;
    if ((m_uButtonState & kSeparatorDragging) != 0 && !m_bImmMode && m_pManager != NULL)
        m_pManager->RemovePostPaint(this);
    m_bImmMode = bImmediately;
}

RECT CVerticalLayoutUI::GetSeparatorRect(bool bThumb) const
{
    const CUIRect rc = (bThumb && (m_uButtonState & kSeparatorDragging) != 0) ? m_rcNewPos : m_rcItem;
    RECT rcSep = rc;
    if (m_iSepHeight >= 0) {
        rcSep.top = rc.bottom - m_iSepHeight;
        if (rcSep.top < rc.top)
            rcSep.top = rc.top;
    } else {
        rcSep.bottom = rc.top - m_iSepHeight;
        if (rcSep.bottom > rc.bottom)
            rcSep.bottom = rc.bottom;
    }
    return rcSep;
}

void CVerticalLayoutUI::HandleEvent(UIEvent& event)
{
    if (m_iSepHeight != 0) {
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
            const LONG cy = event.ptMouse.y - m_ptLastMouse.y;
            m_ptLastMouse = event.ptMouse;
            const LONG y = event.ptMouse.y;
            CUIRect rc = m_rcNewPos;
            const int cyOld = m_rcNewPos.bottom - m_rcNewPos.top;
            if (m_iSepHeight >= 0) {
                if ((cy > 0 && y < m_rcNewPos.bottom + m_iSepHeight) || (cy < 0 && y > m_rcNewPos.bottom))
                    return;
                rc.bottom += cy;
                if (rc.bottom - rc.top <= GetMinHeight()) {
                    if (cyOld <= GetMinHeight())
                        return;
                    rc.bottom = rc.top + GetMinHeight();
                }
                if (rc.bottom - rc.top >= GetMaxHeight()) {
                    if (cyOld >= GetMaxHeight())
                        return;
                    rc.bottom = rc.top + GetMaxHeight();
                }
            } else {
                if ((cy > 0 && y < m_rcNewPos.top) || (cy < 0 && y > m_rcNewPos.top + m_iSepHeight))
                    return;
                rc.top += cy;
                if (rc.bottom - rc.top <= GetMinHeight()) {
                    if (cyOld <= GetMinHeight())
                        return;
                    rc.top = rc.bottom - GetMinHeight();
                }
                if (rc.bottom - rc.top >= GetMaxHeight()) {
                    if (cyOld >= GetMaxHeight())
                        return;
                    rc.top = rc.bottom - GetMaxHeight();
                }
            }

            CUIRect rcInvalidate = GetSeparatorRect(true);
            m_rcNewPos = rc;
            m_nFixedHeight = m_rcNewPos.bottom - m_rcNewPos.top;
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
                ::SetCursor(::LoadCursorW(NULL, IDC_SIZENS));
                return;
            }
        }
    }
    CContainerUI::HandleEvent(event);
}

void CVerticalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != NULL && pstrValue != NULL) {
        if (wcscmp(pstrName, L"sepheight") == 0) {
            SetSeparatorHeight(static_cast<int>(wcstol(pstrValue, NULL, 10)));
            return;
        }
        if (wcscmp(pstrName, L"sepimm") == 0) {
            SetSeparatorImmediate(IsTrueValue(pstrValue));
            return;
        }
    }
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CVerticalLayoutUI::PostPaint(HDC hDC, const RECT&)
{
    if ((m_uButtonState & kSeparatorDragging) != 0 && !m_bImmMode) {
        const RECT rcSeparator = GetSeparatorRect(true);
        CUIRender::FillRectColor(hDC, rcSeparator, 0xAA000000);
    }
}

} // namespace SkinUI
