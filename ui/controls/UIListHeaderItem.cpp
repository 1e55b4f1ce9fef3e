// A list column caption: press and hover states, "headerclick", and the
// separator drag that sets the column's fixed width and lays the list out
// again.
#include "UIListHeaderItem.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIButton.h"
#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

namespace {

// How far inside the item a press still hits the separator.
const int kSepHitSlack = 4;

} // namespace

CListHeaderItemUI::CListHeaderItemUI()
    : m_bDragable(true),
      m_uButtonState(0),
      m_iSepWidth(4),
      m_dwTextColor(0),
      m_iFont(-1),
      m_uTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE),
      m_bShowHtml(false),
      m_rcTextPadding(2, 0, 2, 0)
{
    m_ptLastMouse.x = 0;
    m_ptLastMouse.y = 0;
    SetMinWidth(16);
}

CListHeaderItemUI::~CListHeaderItemUI()
{
}

LPCTSTR CListHeaderItemUI::GetClassName() const
{
    return L"ListHeaderItemUI";
}

LPVOID CListHeaderItemUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListHeaderItem") == 0)
        return static_cast<CListHeaderItemUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

UINT CListHeaderItemUI::GetInputFlags() const
{
    if (IsEnabled() && m_iSepWidth != 0)
        return WantSetCursor;
    return 0;
}

void CListHeaderItemUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

RECT CListHeaderItemUI::GetSepRect() const
{
    RECT rc = m_rcItem;
    if (m_iSepWidth < 0)
        rc.right = m_rcItem.left - m_iSepWidth;
    else
        rc.left = m_rcItem.right - m_iSepWidth;
    return rc;
}

RECT CListHeaderItemUI::GetSepHitRect() const
{
    RECT rc = GetSepRect();
    if (m_iSepWidth == 0) {
        ::SetRectEmpty(&rc);
        return rc;
    }
    if (m_iSepWidth < 0)
        rc.right += kSepHitSlack;
    else
        rc.left -= kSepHitSlack;
    return rc;
}

void CListHeaderItemUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }

    switch (event.nKind) {
    case UIEventSetFocus:
    case UIEventKillFocus:
        Invalidate();
        break;
    case UIEventButtonDown:
    case UIEventDoubleClick: {
        if (!IsEnabled())
            return;
        const RECT rcSep = GetSepHitRect();
        if (!::PtInRect(&rcSep, event.ptMouse)) {
            m_uButtonState |= UIStatePushed;
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"headerclick");
            Invalidate();
        } else if (m_bDragable) {
            m_uButtonState |= UIStateCaptured;
            m_ptLastMouse = event.ptMouse;
        }
        return;
    }
    case UIEventMouseMove: {
        if ((m_uButtonState & UIStateCaptured) == 0)
            return;
        RECT rc = m_rcItem;
        const LONG dx = event.ptMouse.x - m_ptLastMouse.x;
        if (m_iSepWidth < 0)
            rc.left += dx;
        else
            rc.right += dx;
        const int cx = rc.right - rc.left;
        // A move that makes the column as narrow as its minimum is ignored;
        // the drag goes on from the last accepted point.
        if (cx > m_nMinWidth) {
            SetFixedWidth(cx);
            m_ptLastMouse = event.ptMouse;
            if (m_pParent != NULL)
                m_pParent->RequestParentLayout();
        }
        return;
    }
    case UIEventButtonUp:
        if ((m_uButtonState & UIStateCaptured) != 0) {
            m_uButtonState &= ~UIStateCaptured;
            if (m_pParent != NULL)
                m_pParent->RequestParentLayout();
        } else if ((m_uButtonState & UIStatePushed) != 0) {
            m_uButtonState &= ~UIStatePushed;
            Invalidate();
        }
        return;
    case UIEventSetCursor: {
        const RECT rcSep = GetSepHitRect();
        if (IsEnabled() && m_bDragable && ::PtInRect(&rcSep, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(NULL, IDC_SIZEWE));
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

void CListHeaderItemUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"dragable") == 0) {
        SetDragable(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"sepwidth") == 0) {
        SetSepWidth(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    } else if (wcscmp(pstrName, L"align") == 0) {
        if (wcsstr(pstrValue, L"left") != NULL)
            m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (wcsstr(pstrValue, L"center") != NULL) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, L"right") != NULL) {
            m_uTextStyle &= ~DT_CENTER;
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (wcscmp(pstrName, L"endellipsis") == 0) {
        if (IsTrueValue(pstrValue))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (wcscmp(pstrName, L"font") == 0) {
        SetFont(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    } else if (wcscmp(pstrName, L"textcolor") == 0) {
        SetTextColor(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"textpadding") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        RECT rc = { v[0], v[1], v[2], v[3] };
        SetTextPadding(rc);
    } else if (wcscmp(pstrName, L"showhtml") == 0) {
        SetShowHtml(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"normalimage") == 0) {
        SetNormalImage(pstrValue);
    } else if (wcscmp(pstrName, L"hotimage") == 0) {
        SetHotImage(pstrValue);
    } else if (wcscmp(pstrName, L"pushedimage") == 0) {
        SetPushedImage(pstrValue);
    } else if (wcscmp(pstrName, L"focusedimage") == 0) {
        SetFocusedImage(pstrValue);
    } else if (wcscmp(pstrName, L"sepimage") == 0) {
        SetSepImage(pstrValue);
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

CUISize CListHeaderItemUI::MeasureSize(SIZE szAvailable)
{
    if (m_nFixedHeight != 0 || m_pManager == NULL)
        return CControlUI::MeasureSize(szAvailable);
    const UIFontInfo* pFont = m_pManager->GetDefaultFontInfo();
    return CUISize(m_nFixedWidth, (pFont != NULL ? pFont->tm.tmHeight : 0) + 14);
}

void CListHeaderItemUI::PaintStateImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UIStateFocused;
    else
        m_uButtonState &= ~UIStateFocused;

    CUIString* pState = NULL;
    if ((m_uButtonState & UIStatePushed) != 0)
        pState = &m_sPushedImage;
    else if ((m_uButtonState & UIStateHot) != 0)
        pState = &m_sHotImage;
    else if ((m_uButtonState & UIStateFocused) != 0)
        pState = &m_sFocusedImage;

    if (pState != NULL && !pState->IsEmpty()) {
        if (!DrawImage(hDC, *pState))
            pState->Empty();
    } else if (!m_sNormalImage.IsEmpty()) {
        // A state without an image of its own shows the normal one.
        if (!DrawImage(hDC, m_sNormalImage))
            m_sNormalImage.Empty();
    }

    if (m_sSepImage.IsEmpty())
        return;
    const RECT rcSep = GetSepRect();
    m_sSepImageModify.Format(L"dest='%d,%d,%d,%d'", rcSep.left - m_rcItem.left, rcSep.top - m_rcItem.top,
                             rcSep.right - m_rcItem.left, rcSep.bottom - m_rcItem.top);
    if (!DrawImage(hDC, m_sSepImage, m_sSepImageModify))
        m_sSepImage.Empty();
}

void CListHeaderItemUI::PaintText(HDC hDC)
{
    if (m_dwTextColor == 0 && m_pManager != NULL)
        m_dwTextColor = m_pManager->GetDefaultTextColor();
    if (m_sText.IsEmpty())
        return;
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.top += m_rcTextPadding.top;
    rcText.right -= m_rcTextPadding.right;
    rcText.bottom -= m_rcTextPadding.bottom;
    const UINT uStyle = m_uTextStyle | DT_SINGLELINE;
    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRender::DrawTaggedText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, NULL, NULL, nLinks, uStyle);
    } else {
        CUIRender::DrawPlainText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, m_iFont, uStyle);
    }
}

bool CListHeaderItemUI::IsDragable() const
{
    return m_bDragable;
}

void CListHeaderItemUI::SetDragable(bool bDragable)
{
    m_bDragable = bDragable;
    if (!m_bDragable)
        m_uButtonState &= ~UIStateCaptured;
}

int CListHeaderItemUI::GetSepWidth() const
{
    return m_iSepWidth;
}

void CListHeaderItemUI::SetSepWidth(int iWidth)
{
    m_iSepWidth = iWidth;
}

DWORD CListHeaderItemUI::GetTextColor() const
{
    return m_dwTextColor;
}

void CListHeaderItemUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
}

int CListHeaderItemUI::GetFont() const
{
    return m_iFont;
}

void CListHeaderItemUI::SetFont(int index)
{
    m_iFont = index;
}

UINT CListHeaderItemUI::GetTextStyle() const
{
    return m_uTextStyle;
}

CUIRect CListHeaderItemUI::GetTextPadding() const
{
    return m_rcTextPadding;
}

void CListHeaderItemUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

bool CListHeaderItemUI::IsShowHtml() const
{
    return m_bShowHtml;
}

void CListHeaderItemUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

void CListHeaderItemUI::SetNormalImage(LPCTSTR pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetHotImage(LPCTSTR pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetPushedImage(LPCTSTR pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetFocusedImage(LPCTSTR pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CListHeaderItemUI::SetSepImage(LPCTSTR pStrImage)
{
    m_sSepImage = pStrImage;
    Invalidate();
}

UINT CListHeaderItemUI::GetButtonState() const
{
    return m_uButtonState;
}

} // namespace SkinUI
