// The list item with child controls: the shared item behaviour on a
// container, with the children painted over the item background.
#include "UIListContainerElement.h"

#include <wchar.h>

#include "UIButton.h"
#include "UIManager.h"

namespace SkinUI {

namespace {

bool IsMouseEvent(int nKind)
{
    return nKind > UIEventMouseBegin && nKind < UIEventMouseEnd;
}

} // namespace

CListContainerElementUI::CListContainerElementUI()
    : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL)
{
}

LPCTSTR CListContainerElementUI::GetClassName() const
{
    return L"ListContainerElementUI";
}

LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"ListItem") == 0)
            return static_cast<IListItemUI*>(this);
        if (wcscmp(pstrName, L"ListContainerElement") == 0)
            return static_cast<CListContainerElementUI*>(this);
        if (wcscmp(pstrName, L"Container") == 0)
            return static_cast<CContainerUI*>(this);
        if (wcscmp(pstrName, L"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

UINT CListContainerElementUI::GetInputFlags() const
{
    return UIListItemWantReturn;
}

bool CListContainerElementUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"itemactivate");
    return true;
}

void CListContainerElementUI::SetVisible(bool bVisible)
{
    CContainerUI::SetVisible(bVisible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner != NULL)
            m_pOwner->SelectItem(-1, false);
    }
}

void CListContainerElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CListContainerElementUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.nKind)) {
        if (m_pOwner != NULL)
            m_pOwner->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.nKind) {
    case UIEventDoubleClick:
        if (IsEnabled()) {
            Activate();
            InvalidateVisiblePart();
            return;
        }
        break;
    case UIEventKeyDown:
        if (event.chKey == VK_RETURN && IsEnabled()) {
            Activate();
            InvalidateVisiblePart();
            return;
        }
        break;
    case UIEventMouseMove:
    case UIEventButtonUp:
        return;
    case UIEventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= UIStateHot;
            InvalidateVisiblePart();
        }
        return;
    case UIEventMouseLeave:
        if ((m_uButtonState & UIStateHot) != 0) {
            m_uButtonState &= ~UIStateHot;
            InvalidateVisiblePart();
        }
        return;
    case UIEventButtonDown:
    case UIEventRButtonDown:
        if (IsEnabled()) {
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"itemclick");
            Select(true);
            InvalidateVisiblePart();
        }
        return;
    default:
        break;
    }
    if (m_pOwner != NULL)
        m_pOwner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CListContainerElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    // "selected" selects whatever its value says.
    if (pstrName != NULL && wcscmp(pstrName, L"selected") == 0)
        Select(true);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerElementUI::Paint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintItemBackground(hDC);
    CContainerUI::Paint(hDC, rcPaint);
}

int CListContainerElementUI::GetIndex() const
{
    return m_iIndex;
}

void CListContainerElementUI::SetIndex(int iIndex)
{
    m_iIndex = iIndex;
}

IListOwnerUI* CListContainerElementUI::GetOwner()
{
    return m_pOwner;
}

void CListContainerElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = GetListOwner(pOwner);
}

bool CListContainerElementUI::IsSelected() const
{
    return m_bSelected;
}

bool CListContainerElementUI::Select(bool bSelect)
{
    if (!IsEnabled())
        return false;
    if (bSelect == m_bSelected)
        return true;
    m_bSelected = bSelect;
    if (bSelect && m_pOwner != NULL)
        m_pOwner->SelectItem(m_iIndex, false);
    InvalidateVisiblePart();
    return true;
}

bool CListContainerElementUI::IsExpanded() const
{
    return false;
}

bool CListContainerElementUI::Expand(bool)
{
    return false;
}

void CListContainerElementUI::DrawItemText(HDC, const RECT&)
{
}

void CListContainerElementUI::InvalidateVisiblePart()
{
    InvalidateListItem(this);
}

void CListContainerElementUI::PaintItemBackground(HDC hDC)
{
    if (m_pOwner == NULL)
        return;
    PaintListItemBackground(hDC, this, m_sBkImage, m_pOwner->GetListInfo(), m_iIndex, m_bSelected, IsHot());
}

bool CListContainerElementUI::IsHot() const
{
    return (m_uButtonState & UIStateHot) != 0;
}

} // namespace SkinUI
