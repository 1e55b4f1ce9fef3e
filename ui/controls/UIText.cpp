// The multi-line text control: word-wrapped painting and measuring, and the
// links of a tagged text as hit areas (the rectangles the last paint laid out).
#include "UIText.h"

#include <wchar.h>

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

CTextUI::CTextUI() : m_nLinks(0), m_nHoverLink(-1)
{
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding = CUIRect(2, 0, 2, 0);
}

CTextUI::~CTextUI()
{
}

LPCTSTR CTextUI::GetClassName() const
{
    return L"TextUI";
}

LPVOID CTextUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Text") == 0)
        return static_cast<CTextUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CTextUI::GetInputFlags() const
{
    if (IsEnabled() && m_nLinks > 0)
        return WantSetCursor;
    return 0;
}

LPCTSTR CTextUI::GetLinkContent(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nLinks)
        return NULL;
    return m_sLinks[iIndex].GetData();
}

int CTextUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_nLinks; ++i) {
        if (::PtInRect(&m_rcLinks[i], pt))
            return i;
    }
    return -1;
}

void CTextUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }

    switch (event.nKind) {
    case UIEventSetCursor:
        if (LinkAt(event.ptMouse) >= 0) {
            ::SetCursor(::LoadCursor(NULL, IDC_HAND));
            return;
        }
        break;
    case UIEventButtonDown:
    case UIEventDoubleClick:
        if ((event.nKind == UIEventButtonDown || IsEnabled()) && LinkAt(event.ptMouse) >= 0) {
            Invalidate();
            return;
        }
        break;
    case UIEventButtonUp:
        if (IsEnabled()) {
            const int iLink = LinkAt(event.ptMouse);
            if (iLink >= 0) {
                if (m_pManager != NULL)
                    m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(iLink), 0);
                return;
            }
        }
        break;
    case UIEventContextMenu:
        return;
    case UIEventMouseMove:
        if (IsEnabled() && m_nLinks > 0) {
            const int iHover = LinkAt(event.ptMouse);
            if (iHover != m_nHoverLink) {
                m_nHoverLink = iHover;
                Invalidate();
                return;
            }
        }
        break;
    case UIEventMouseLeave:
        if (IsEnabled() && m_nLinks > 0 && m_nHoverLink != -1) {
            m_nHoverLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

CUISize CTextUI::MeasureSize(SIZE szAvailable)
{
    if (m_pManager == NULL)
        return CUISize(m_nFixedWidth, m_nFixedHeight);

    const int cxWidth = m_nFixedWidth > szAvailable.cx ? m_nFixedWidth : szAvailable.cx;
    RECT rcText = { m_rcTextPadding.left, 0, cxWidth - m_rcTextPadding.right, 9999 };
    HDC hDC = m_pManager->GetPaintDC();
    const UINT uStyle = m_uTextStyle | DT_CALCRECT;
    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRender::DrawTaggedText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, NULL, NULL, nLinks, uStyle);
    } else {
        CUIRender::DrawPlainText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, m_iFont, uStyle);
    }

    CUISize cXY(rcText.right - rcText.left + m_rcTextPadding.left + m_rcTextPadding.right,
                rcText.bottom - rcText.top + m_rcTextPadding.top + m_rcTextPadding.bottom);
    if (m_nFixedHeight != 0)
        cXY.cy = m_nFixedHeight;
    return cXY;
}

void CTextUI::PaintText(HDC hDC)
{
    if (m_sText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    ResolveTextColors();

    CUIRect rc = GetTextRect();
    m_nLinks = MAX_LINK;
    const DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml) {
        CUIRender::DrawTaggedText(hDC, m_pManager, rc, m_sText, dwColor, m_rcLinks, m_sLinks, m_nLinks,
                                  m_uTextStyle);
    } else {
        // The links of an earlier tagged paint stay as they were.
        CUIRender::DrawPlainText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, m_uTextStyle);
    }
}

} // namespace SkinUI
