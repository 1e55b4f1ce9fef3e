// The one-text list item: hot tracking, press to select, its size from the
// owner's font and padding, and its text in the state colour.
#include "UIListLabelElement.h"

#include <wchar.h>

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

CListLabelElementUI::CListLabelElementUI()
{
}

LPCTSTR CListLabelElementUI::GetClassName() const
{
    return L"ListLabelElementUI";
}

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListLabelElement") == 0)
        return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(pstrName);
}

void CListLabelElementUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (!m_item.PassToOwner(event))
            CListElementUI::HandleEvent(event);
        return;
    }
    if (!m_item.HandlePointer(event))
        CListElementUI::HandleEvent(event);
}

CUISize CListLabelElementUI::MeasureSize(SIZE szAvailable)
{
    if (m_item.m_pOwner == NULL)
        return CUISize(0, 0);
    if (m_pManager == NULL)
        return CControlUI::MeasureSize(szAvailable);
    const UIListInfo* pInfo = m_item.m_pOwner->GetListInfo();
    CUISize sz(m_nFixedWidth, m_nFixedHeight);
    if (sz.cy == 0) {
        const UIFontInfo* pFont = m_pManager->GetFontInfoByIndex(pInfo->nFont);
        sz.cy = (pFont != NULL ? pFont->tm.tmHeight : 0) + pInfo->rcTextPadding.top + pInfo->rcTextPadding.bottom
                + 8;
    }
    if (sz.cx == 0) {
        int cxText = 0;
        HDC hDC = m_pManager->GetPaintDC();
        if (hDC != NULL && !m_sText.IsEmpty()) {
            RECT rcText = { 0, 0, 9999, sz.cy };
            const UINT uStyle = (pInfo->uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_SINGLELINE;
            if (pInfo->bShowHtml) {
                int nLinks = 0;
                CUIRender::DrawTaggedText(hDC, m_pManager, rcText, m_sText, 0, NULL, NULL, nLinks, uStyle);
            } else {
                CUIRender::DrawPlainText(hDC, m_pManager, rcText, m_sText, 0, pInfo->nFont, uStyle);
            }
            cxText = rcText.right - rcText.left;
        }
        sz.cx = cxText + pInfo->rcTextPadding.left + pInfo->rcTextPadding.right;
    }
    return sz;
}

// The row paints the list's item colours, not its own background colour.
bool CListLabelElementUI::PaintsOpaqueOver(const RECT& /*rc*/) const
{
    return false;
}

void CListLabelElementUI::Paint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintItemBackground(hDC);
    DrawItemText(hDC, m_rcItem);
}

DWORD CListLabelElementUI::GetStateTextColor(const UIListInfo* pInfo) const
{
    return GetListItemTextColor(pInfo, IsEnabled(), m_item.m_bSelected, m_item.IsHot());
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_sText.IsEmpty() || m_item.m_pOwner == NULL)
        return;
    const UIListInfo* pInfo = m_item.m_pOwner->GetListInfo();
    const DWORD dwColor = GetStateTextColor(pInfo);
    RECT rcText = rcItem;
    rcText.left += pInfo->rcTextPadding.left;
    rcText.top += pInfo->rcTextPadding.top;
    rcText.right -= pInfo->rcTextPadding.right;
    rcText.bottom -= pInfo->rcTextPadding.bottom;
    const UINT uStyle = pInfo->uTextStyle | DT_SINGLELINE;
    if (pInfo->bShowHtml) {
        int nLinks = 0;
        CUIRender::DrawTaggedText(hDC, m_pManager, rcText, m_sText, dwColor, NULL, NULL, nLinks, uStyle);
    } else {
        CUIRender::DrawPlainText(hDC, m_pManager, rcText, m_sText, dwColor, pInfo->nFont, uStyle);
    }
}

} // namespace SkinUI
