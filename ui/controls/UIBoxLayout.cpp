#include "UIBoxLayout.h"

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

// Views of rectangles, sizes, points and controls along the stacking axis
// ("main") or across it ("cross").
struct Axis
{
    explicit Axis(bool bVertical) : v(bVertical) {}

    LONG& Lo(RECT& rc) const { return v ? rc.top : rc.left; }
    LONG& Hi(RECT& rc) const { return v ? rc.bottom : rc.right; }
    LONG Lo(const RECT& rc) const { return v ? rc.top : rc.left; }
    LONG Hi(const RECT& rc) const { return v ? rc.bottom : rc.right; }
    LONG& CrossLo(RECT& rc) const { return v ? rc.left : rc.top; }
    LONG& CrossHi(RECT& rc) const { return v ? rc.right : rc.bottom; }
    LONG CrossLo(const RECT& rc) const { return v ? rc.left : rc.top; }
    LONG CrossHi(const RECT& rc) const { return v ? rc.right : rc.bottom; }

    LONG& Main(SIZE& sz) const { return v ? sz.cy : sz.cx; }
    LONG& Cross(SIZE& sz) const { return v ? sz.cx : sz.cy; }
    LONG Main(const SIZE& sz) const { return v ? sz.cy : sz.cx; }
    LONG Cross(const SIZE& sz) const { return v ? sz.cx : sz.cy; }
    LONG Main(const POINT& pt) const { return v ? pt.y : pt.x; }

    int MinMain(const CControlUI* p) const { return v ? p->GetMinHeight() : p->GetMinWidth(); }
    int MaxMain(const CControlUI* p) const { return v ? p->GetMaxHeight() : p->GetMaxWidth(); }
    int FixedCross(const CControlUI* p) const { return v ? p->GetFixedWidth() : p->GetFixedHeight(); }
    int MinCross(const CControlUI* p) const { return v ? p->GetMinWidth() : p->GetMinHeight(); }
    int MaxCross(const CControlUI* p) const { return v ? p->GetMaxWidth() : p->GetMaxHeight(); }

    bool v;
};

} // namespace

CBoxLayoutUI::CBoxLayoutUI(bool bVertical)
    : m_bVertical(bVertical), m_iSepSize(0), m_uButtonState(0), m_bImmMode(false)
{
    m_ptLastMouse.x = 0;
    m_ptLastMouse.y = 0;
}

UINT CBoxLayoutUI::GetInputFlags() const
{
    if (IsEnabled() && m_iSepSize != 0)
        return WantSetCursor;
    return 0;
}

void CBoxLayoutUI::SetPos(RECT rc)
{
    const Axis ax(m_bVertical);
    CControlUI::SetPos(rc);
    rc = m_rcItem;

    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;

    // The layout's own children: derived classes may give the container
    // interface other items (the list), never the stacking.
    const int nCount = m_items.GetSize();

    // Without children the scroll bars of a horizontal layout see the
    // rectangle with their own room; a vertical layout takes the room of the
    // visible bars off first.
    if (!m_bVertical && nCount == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }

    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    if (bVBar)
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (bHBar)
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    if (m_bVertical && nCount == 0) {
        UpdateScrollBars(rc, 0, 0);
        return;
    }

    CUISize szAvailable(rc.right - rc.left, rc.bottom - rc.top);
    if (bHBar)
        szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    // First pass: what the fixed children take and how many share the rest,
    // and the widest child across the axis.
    int nAdjustables = 0;
    int nFixed = 0;
    int nEstimateNum = 0;
    int nWidest = 0;
    for (int i = 0; i < nCount; ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        CUISize sz = pControl->MeasureSize(szAvailable);
        if (ax.Main(sz) == 0) {
            ++nAdjustables;
        } else {
            ax.Main(sz) = Clamp(ax.Main(sz), ax.MinMain(pControl), ax.MaxMain(pControl));
        }
        const RECT rcPadding = pControl->GetPadding();
        nFixed += ax.Main(sz) + ax.Lo(rcPadding) + ax.Hi(rcPadding);
        ++nEstimateNum;
        const int nCross = Clamp(ax.Cross(sz) < 0 ? 0 : ax.Cross(sz), ax.MinCross(pControl), ax.MaxCross(pControl));
        if (nCross > nWidest)
            nWidest = nCross;
    }
    nFixed += (nEstimateNum - 1) * m_iChildPadding;

    // Rows: one width for every child, and the horizontal bar follows it.
    const int nRowWidth = m_bVertical ? GetRowWidth(nWidest, szAvailable) : -1;
    if (nRowWidth >= 0 && m_pHorizontalScrollBar != NULL) {
        const int cxClient = rc.right - rc.left;
        const int cyBar = m_pHorizontalScrollBar->GetFixedHeight();
        if (nRowWidth > cxClient) {
            if (!bHBar) {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollPos(0);
                rc.bottom -= cyBar;
                bHBar = true;
            }
            m_pHorizontalScrollBar->SetScrollRange(nRowWidth - cxClient);
        } else if (bHBar) {
            m_pHorizontalScrollBar->SetVisible(false);
            m_pHorizontalScrollBar->SetScrollRange(0);
            m_pHorizontalScrollBar->SetScrollPos(0);
            rc.bottom += cyBar;
            bHBar = false;
        }
        szAvailable.cx = cxClient + (bHBar ? m_pHorizontalScrollBar->GetScrollRange() : 0);
        szAvailable.cy = rc.bottom - rc.top;
    }

    int nExpand = 0;
    if (nAdjustables > 0) {
        nExpand = (ax.Main(szAvailable) - nFixed) / nAdjustables;
        if (nExpand < 0)
            nExpand = 0;
    }

    // Second pass: place the children. Both move with the horizontal scroll
    // position; only a vertical layout moves them with the vertical one.
    int iPos = ax.Lo(rc);
    CScrollBarUI* pMainBar = m_bVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    if (m_bVertical ? bVBar : bHBar)
        iPos -= pMainBar->GetScrollPos();
    int iCrossPos = ax.CrossLo(rc);
    if (m_bVertical && bHBar)
        iCrossPos -= m_pHorizontalScrollBar->GetScrollPos();
    int nRemaining = ax.Main(szAvailable);
    int nFixedRemaining = nFixed;
    int nNeeded = 0;
    int iAdjustable = 0;
    for (int i = 0; i < nCount; ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }

        const RECT rcPadding = pControl->GetPadding();
        nRemaining -= ax.Lo(rcPadding);
        CUISize szMeasure = szAvailable;
        ax.Main(szMeasure) = nRemaining;
        CUISize sz = pControl->MeasureSize(szMeasure);
        if (ax.Main(sz) == 0) {
            ++iAdjustable;
            ax.Main(sz) = nExpand;
            // The last adjustable child takes what is left.
            if (iAdjustable == nAdjustables) {
                ax.Main(sz) = nRemaining - ax.Hi(rcPadding) - nFixedRemaining;
                if (ax.Main(sz) < 0)
                    ax.Main(sz) = 0;
            }
            ax.Main(sz) = Clamp(ax.Main(sz), ax.MinMain(pControl), ax.MaxMain(pControl));
        } else {
            ax.Main(sz) = Clamp(ax.Main(sz), ax.MinMain(pControl), ax.MaxMain(pControl));
            nFixedRemaining -= ax.Main(sz);
        }

        const int nSpan = ax.Cross(szAvailable) - ax.CrossLo(rcPadding) - ax.CrossHi(rcPadding);
        if (nRowWidth >= 0) {
            ax.Cross(sz) = nRowWidth > nSpan ? nRowWidth : nSpan;
        } else {
            ax.Cross(sz) = ax.FixedCross(pControl);
            if (ax.Cross(sz) == 0)
                ax.Cross(sz) = nSpan;
        }
        if (ax.Cross(sz) < 0)
            ax.Cross(sz) = 0;
        ax.Cross(sz) = Clamp(ax.Cross(sz), ax.MinCross(pControl), ax.MaxCross(pControl));

        // The trailing padding along the axis belongs to the child's rect.
        RECT rcCtrl;
        ax.Lo(rcCtrl) = iPos + ax.Lo(rcPadding);
        ax.Hi(rcCtrl) = iPos + ax.Lo(rcPadding) + ax.Main(sz) + ax.Hi(rcPadding);
        ax.CrossLo(rcCtrl) = iCrossPos + ax.CrossLo(rcPadding);
        ax.CrossHi(rcCtrl) = iCrossPos + ax.CrossLo(rcPadding) + ax.Cross(sz);
        pControl->SetPos(rcCtrl);

        iPos += ax.Main(sz) + m_iChildPadding + ax.Lo(rcPadding) + ax.Hi(rcPadding);
        nNeeded += ax.Main(sz) + ax.Lo(rcPadding) + ax.Hi(rcPadding);
        nRemaining -= ax.Main(sz) + m_iChildPadding + ax.Hi(rcPadding);
    }
    nNeeded += (nEstimateNum - 1) * m_iChildPadding;

    if (m_bVertical)
        UpdateScrollBars(rc, nRowWidth >= 0 ? nRowWidth : 0, nNeeded);
    else
        UpdateScrollBars(rc, nNeeded, 0);
}

int CBoxLayoutUI::GetRowWidth(int, SIZE)
{
    return -1;
}

void CBoxLayoutUI::SetSeparatorSize(int iSize)
{
    m_iSepSize = iSize;
}

void CBoxLayoutUI::SetSeparatorImmediate(bool bImmediately)
{
    if (m_bImmMode == bImmediately)
        return;
    if ((m_uButtonState & kSeparatorDragging) != 0 && !m_bImmMode && m_pManager != NULL)
        m_pManager->RemovePostPaint(this);
    m_bImmMode = bImmediately;
}

RECT CBoxLayoutUI::GetSeparatorRect(bool bThumb) const
{
    const Axis ax(m_bVertical);
    const CUIRect rc = (bThumb && (m_uButtonState & kSeparatorDragging) != 0) ? m_rcNewPos : m_rcItem;
    RECT rcSep = rc;
    // A vertical layout keeps the strip inside its rect; a horizontal one does not.
    if (m_iSepSize >= 0) {
        ax.Lo(rcSep) = ax.Hi(rc) - m_iSepSize;
        if (m_bVertical && ax.Lo(rcSep) < ax.Lo(rc))
            ax.Lo(rcSep) = ax.Lo(rc);
    } else {
        ax.Hi(rcSep) = ax.Lo(rc) - m_iSepSize;
        if (m_bVertical && ax.Hi(rcSep) > ax.Hi(rc))
            ax.Hi(rcSep) = ax.Hi(rc);
    }
    return rcSep;
}

void CBoxLayoutUI::HandleEvent(UIEvent& event)
{
    const Axis ax(m_bVertical);
    if (m_iSepSize != 0) {
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
            const LONG d = ax.Main(event.ptMouse) - ax.Main(m_ptLastMouse);
            m_ptLastMouse = event.ptMouse;
            const LONG p = ax.Main(event.ptMouse);
            CUIRect rc = m_rcNewPos;
            const int nOld = ax.Hi(m_rcNewPos) - ax.Lo(m_rcNewPos);
            // How far past the separator edge the pointer may be before the
            // drag follows it: "right - S" / "left - S" for a horizontal
            // layout, "bottom + S" / "top + S" for a vertical one.
            const int iSlack = m_bVertical ? m_iSepSize : -m_iSepSize;
            const int nMin = ax.MinMain(this);
            const int nMax = ax.MaxMain(this);
            if (m_iSepSize >= 0) {
                if ((d > 0 && p < ax.Hi(m_rcNewPos) + iSlack) || (d < 0 && p > ax.Hi(m_rcNewPos)))
                    return;
                ax.Hi(rc) += d;
                if (ax.Hi(rc) - ax.Lo(rc) <= nMin) {
                    if (nOld <= nMin)
                        return;
                    ax.Hi(rc) = ax.Lo(rc) + nMin;
                }
                if (ax.Hi(rc) - ax.Lo(rc) >= nMax) {
                    if (nOld >= nMax)
                        return;
                    ax.Hi(rc) = ax.Lo(rc) + nMax;
                }
            } else {
                if ((d > 0 && p < ax.Lo(m_rcNewPos)) || (d < 0 && p > ax.Lo(m_rcNewPos) + iSlack))
                    return;
                ax.Lo(rc) += d;
                if (ax.Hi(rc) - ax.Lo(rc) <= nMin) {
                    if (nOld <= nMin)
                        return;
                    ax.Lo(rc) = ax.Hi(rc) - nMin;
                }
                if (ax.Hi(rc) - ax.Lo(rc) >= nMax) {
                    if (nOld >= nMax)
                        return;
                    ax.Lo(rc) = ax.Hi(rc) - nMax;
                }
            }

            CUIRect rcInvalidate = GetSeparatorRect(true);
            m_rcNewPos = rc;
            if (m_bVertical)
                m_nFixedHeight = m_rcNewPos.bottom - m_rcNewPos.top;
            else
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
                ::SetCursor(::LoadCursorW(NULL, m_bVertical ? IDC_SIZENS : IDC_SIZEWE));
                return;
            }
        }
    }
    CContainerUI::HandleEvent(event);
}

void CBoxLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != NULL && pstrValue != NULL) {
        if (wcscmp(pstrName, m_bVertical ? L"sepheight" : L"sepwidth") == 0) {
            SetSeparatorSize(static_cast<int>(wcstol(pstrValue, NULL, 10)));
            return;
        }
        if (wcscmp(pstrName, L"sepimm") == 0) {
            SetSeparatorImmediate(IsTrueValue(pstrValue));
            return;
        }
    }
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CBoxLayoutUI::PostPaint(HDC hDC, const RECT&)
{
    if ((m_uButtonState & kSeparatorDragging) != 0 && !m_bImmMode) {
        const RECT rcSeparator = GetSeparatorRect(true);
        CUIRender::FillRectColor(hDC, rcSeparator, 0xAA000000);
    }
}

} // namespace SkinUI
