// The tile layout: equal-width cells filled row by row, rows as high as their
// tallest member, children centred in their cells, vertical scrolling.
#include "UITileLayout.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIScrollBar.h"

namespace SkinUI {

namespace {

int Clamp(int v, int lo, int hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

} // namespace

CTileLayoutUI::CTileLayoutUI() : m_szItem(0, 0), m_nColumns(1)
{
}

LPCTSTR CTileLayoutUI::GetClassName() const
{
    return L"TileLayoutUI";
}

LPVOID CTileLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"TileLayout") == 0)
            return static_cast<CTileLayoutUI*>(this);
        if (wcscmp(pstrName, L"Container") == 0)
            return static_cast<CContainerUI*>(this);
        if (wcscmp(pstrName, L"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

CUISize CTileLayoutUI::GetItemSize() const
{
    return m_szItem;
}

void CTileLayoutUI::SetItemSize(SIZE szItem)
{
    if (m_szItem.cx == szItem.cx && m_szItem.cy == szItem.cy)
        return;
    m_szItem = CUISize(szItem.cx, szItem.cy);
    RequestLayout();
}

int CTileLayoutUI::GetColumns() const
{
    return m_nColumns;
}

void CTileLayoutUI::SetColumns(int nCols)
{
    if (nCols <= 0)
        return;
    m_nColumns = nCols;
    RequestLayout();
}

void CTileLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"itemsize") == 0) {
        int v[2];
        ParseNumberList(pstrValue, v, 2);
        SetItemSize(CUISize(v[0], v[1]));
    } else if (wcscmp(pstrName, L"columns") == 0) {
        SetColumns(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

void CTileLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;

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

    const int cxClient = rc.right - rc.left;
    if (m_szItem.cx > 0) {
        m_nColumns = cxClient / m_szItem.cx;
        // Also when the client area is narrower than nothing (an inset wider
        // than the layout): there is always at least one column.
        if (m_nColumns < 1)
            m_nColumns = 1;
    }

    int cxCell = cxClient / m_nColumns;
    if (bHBar)
        cxCell = (cxClient + m_pHorizontalScrollBar->GetScrollRange()) / m_nColumns;

    const int xStart = bHBar ? rc.left - m_pHorizontalScrollBar->GetScrollPos() : rc.left;
    int x = xStart;
    int y = bVBar ? rc.top - m_pVerticalScrollBar->GetScrollPos() : rc.top;
    int cyRow = 0;
    int nPlaced = 0;
    int cyNeeded = 0;
    const int cxHalfPadding = m_iChildPadding / 2;

    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }

        if (nPlaced % m_nColumns == 0) {
            // A new row: as high as the tallest of its members, measured in
            // the cell width they will get.
            int nMember = nPlaced;
            for (int j = i; j < GetCount(); ++j) {
                CControlUI* pMember = GetItemAt(j);
                if (!pMember->IsVisible() || pMember->IsFloat())
                    continue;
                const CUIRect rcPadding = pMember->GetPadding();
                SIZE szAvailable = { cxCell - rcPadding.left - rcPadding.right, 9999 };
                if (nMember == nPlaced || (nMember + 1) % m_nColumns == 0)
                    szAvailable.cx -= cxHalfPadding;
                else
                    szAvailable.cx -= m_iChildPadding;
                szAvailable.cx = Clamp(szAvailable.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
                CUISize szMember = pMember->MeasureSize(szAvailable);
                szMember.cx = Clamp(szMember.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
                szMember.cy = Clamp(szMember.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
                const int cyMember = szMember.cy + rcPadding.top + rcPadding.bottom;
                if (cyMember > cyRow)
                    cyRow = cyMember;
                if (++nMember % m_nColumns == 0)
                    break;
            }
        }

        const CUIRect rcPadding = pControl->GetPadding();
        const bool bFirst = nPlaced % m_nColumns == 0;
        const bool bLast = (nPlaced + 1) % m_nColumns == 0;
        RECT rcCell;
        rcCell.left = x + rcPadding.left + (bFirst ? 0 : cxHalfPadding);
        rcCell.right = x + cxCell - rcPadding.right - (bLast ? 0 : cxHalfPadding);
        rcCell.top = y + rcPadding.top;
        rcCell.bottom = y + cyRow;

        SIZE szCell = { rcCell.right - rcCell.left, rcCell.bottom - rcCell.top };
        CUISize sz = pControl->MeasureSize(szCell);
        if (sz.cx == 0)
            sz.cx = szCell.cx;
        if (sz.cy == 0)
            sz.cy = szCell.cy;
        sz.cx = Clamp(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        sz.cy = Clamp(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());

        const int left = (rcCell.left + rcCell.right - sz.cx) / 2;
        const int top = (rcCell.top + rcCell.bottom - sz.cy) / 2;
        pControl->SetPos(CUIRect(left, top, left + sz.cx, top + sz.cy));

        ++nPlaced;
        if (nPlaced % m_nColumns == 0) {
            y += cyRow + m_iChildPadding;
            x = xStart;
            cyRow = 0;
        } else {
            x += cxCell;
        }
        cyNeeded = rcCell.bottom - rc.top;
        if (bVBar)
            cyNeeded += m_pVerticalScrollBar->GetScrollPos();
    }

    UpdateScrollBars(rc, 0, cyNeeded);
}

} // namespace SkinUI
