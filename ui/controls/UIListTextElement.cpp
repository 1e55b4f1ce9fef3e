// The multi-column list item: column texts inside the owner's column
// rectangles, tagged-text links with a hand cursor and "link" on release.
#include "UIListTextElement.h"

#include <wchar.h>

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

CListTextElementUI::CListTextElementUI() : m_nLinks(0), m_nHoverLink(-1), m_pListOwner(NULL)
{
}

CListTextElementUI::~CListTextElementUI()
{
    for (int i = 0; i < m_aTexts.GetSize(); ++i)
        delete static_cast<CUIString*>(m_aTexts[i]);
    m_aTexts.Empty();
}

LPCTSTR CListTextElementUI::GetClassName() const
{
    return L"ListTextElementUI";
}

LPVOID CListTextElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListTextElement") == 0)
        return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(pstrName);
}

UINT CListTextElementUI::GetInputFlags() const
{
    if (IsEnabled() && m_nLinks > 0)
        return UIListItemWantReturn | WantSetCursor;
    return UIListItemWantReturn;
}

void CListTextElementUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pListOwner != NULL)
            m_pListOwner->HandleEvent(event);
        else
            CListLabelElementUI::HandleEvent(event);
        return;
    }
    if (event.nKind == UIEventSetCursor) {
        for (int i = 0; i < m_nLinks; ++i) {
            if (::PtInRect(&m_rcLinks[i], event.ptMouse)) {
                ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
                return;
            }
        }
    }
    if (event.nKind == UIEventButtonUp && IsEnabled()) {
        for (int i = 0; i < m_nLinks; ++i) {
            if (::PtInRect(&m_rcLinks[i], event.ptMouse)) {
                if (m_pManager != NULL)
                    m_pManager->SendNotify(this, L"link", i);
                return;
            }
        }
    }
    if (m_nLinks > 0 && event.nKind == UIEventMouseMove) {
        int nHover = -1;
        for (int i = 0; i < m_nLinks; ++i) {
            if (::PtInRect(&m_rcLinks[i], event.ptMouse)) {
                nHover = i;
                break;
            }
        }
        if (nHover != m_nHoverLink) {
            m_nHoverLink = nHover;
            InvalidateVisiblePart();
        }
    }
    if (m_nLinks > 0 && event.nKind == UIEventMouseLeave && m_nHoverLink != -1) {
        m_nHoverLink = -1;
        InvalidateVisiblePart();
    }
    CListLabelElementUI::HandleEvent(event);
}

CUISize CListTextElementUI::MeasureSize(SIZE)
{
    CUISize sz(m_nFixedWidth, m_nFixedHeight);
    if (sz.cy == 0 && m_pListOwner != NULL && m_pManager != NULL) {
        const UIListInfo* pInfo = m_pListOwner->GetListInfo();
        const UIFontInfo* pFont = m_pManager->GetFontInfoByIndex(pInfo->nFont);
        sz.cy = (pFont != NULL ? pFont->tm.tmHeight : 0) + pInfo->rcTextPadding.top + pInfo->rcTextPadding.bottom
                + 8;
    }
    return sz;
}

void CListTextElementUI::SetOwner(CControlUI* pOwner)
{
    CListLabelElementUI::SetOwner(pOwner);
    m_pListOwner = GetListInterface(pOwner);
}

LPCTSTR CListTextElementUI::GetText(int iColumn) const
{
    const CUIString* pText = static_cast<const CUIString*>(m_aTexts.GetAt(iColumn));
    return pText != NULL ? pText->GetData() : NULL;
}

void CListTextElementUI::SetText(int iColumn, LPCTSTR pstrText)
{
    if (iColumn < 0 || iColumn >= UILIST_MAX_COLUMNS)
        return;
    while (m_aTexts.GetSize() <= iColumn) {
        CUIString* pEmpty = new CUIString;
        if (!m_aTexts.Add(pEmpty)) {
            delete pEmpty;
            return;
        }
    }
    CUIString* pText = static_cast<CUIString*>(m_aTexts[iColumn]);
    if (*pText == (pstrText != NULL ? pstrText : L""))
        return;
    *pText = pstrText;
    InvalidateVisiblePart();
}

int CListTextElementUI::GetLinkCount() const
{
    return m_nLinks;
}

const CUIRect& CListTextElementUI::GetLinkRect(int iLink) const
{
    static const CUIRect rcNone;
    return iLink >= 0 && iLink < m_nLinks ? m_rcLinks[iLink] : rcNone;
}

const CUIString& CListTextElementUI::GetLinkText(int iLink) const
{
    static const CUIString sNone;
    return iLink >= 0 && iLink < m_nLinks ? m_sLinks[iLink] : sNone;
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pListOwner == NULL)
        return;
    const UIListInfo* pInfo = m_pListOwner->GetListInfo();
    const DWORD dwColor = GetStateTextColor(pInfo);
    IListCallbackUI* pCallback = m_pListOwner->GetTextCallback();
    const UINT uStyle = pInfo->uTextStyle | DT_SINGLELINE;
    const int nColumns = pInfo->nColumns < UILIST_MAX_COLUMNS ? pInfo->nColumns : UILIST_MAX_COLUMNS;

    m_nLinks = 0;
    int nFree = MAX_LINKS;
    for (int i = 0; i < nColumns; ++i) {
        RECT rcText = { pInfo->rcColumn[i].left + pInfo->rcTextPadding.left, rcItem.top + pInfo->rcTextPadding.top,
                        pInfo->rcColumn[i].right - pInfo->rcTextPadding.right,
                        rcItem.bottom - pInfo->rcTextPadding.bottom };
        LPCTSTR pstrText = pCallback != NULL ? pCallback->GetItemText(this, m_item.m_iIndex, i) : GetText(i);
        if (pstrText == NULL)
            pstrText = L"";
        if (pInfo->bShowHtml) {
            // The links of this column go into the slots still free.
            int nLinks = nFree;
            CUIRect* prcLinks = nFree > 0 ? &m_rcLinks[m_nLinks] : NULL;
            CUIString* psLinks = nFree > 0 ? &m_sLinks[m_nLinks] : NULL;
            CUIRender::DrawTaggedText(hDC, m_pManager, rcText, pstrText, dwColor, prcLinks, psLinks, nLinks,
                                      uStyle);
            if (nLinks > nFree)
                nLinks = nFree;
            m_nLinks += nLinks;
            nFree -= nLinks;
        } else {
            CUIRender::DrawPlainText(hDC, m_pManager, rcText, pstrText, dwColor, pInfo->nFont, uStyle);
        }
    }
    for (int i = m_nLinks; i < MAX_LINKS; ++i) {
        ::SetRectEmpty(&m_rcLinks[i]);
        m_sLinks[i].Empty();
    }
}

} // namespace SkinUI
