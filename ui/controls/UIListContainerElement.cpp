// The list item with child controls: the shared item behaviour on a
// container, with the children painted over the item background.
#include "UIListContainerElement.h"

#include <wchar.h>

namespace SkinUI {

CListContainerElementUI::CListContainerElementUI() : m_item(this)
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
    m_item.NotifyActivated();
    return true;
}

void CListContainerElementUI::SetVisible(bool bVisible)
{
    CContainerUI::SetVisible(bVisible);
    m_item.OnVisibilityChanged();
}

void CListContainerElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    m_item.OnEnabledChanged();
}

void CListContainerElementUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (!m_item.PassToOwner(event))
            CContainerUI::HandleEvent(event);
        return;
    }
    if (m_item.HandleActivation(event) || m_item.HandlePointer(event))
        return;
    if (!m_item.PassToOwner(event))
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
    return m_item.m_iIndex;
}

void CListContainerElementUI::SetIndex(int iIndex)
{
    m_item.m_iIndex = iIndex;
}

IListOwnerUI* CListContainerElementUI::GetOwner()
{
    return m_item.m_pOwner;
}

void CListContainerElementUI::SetOwner(CControlUI* pOwner)
{
    m_item.SetOwner(pOwner);
}

bool CListContainerElementUI::IsSelected() const
{
    return m_item.m_bSelected;
}

bool CListContainerElementUI::Select(bool bSelect)
{
    return m_item.Select(bSelect);
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
    m_item.InvalidateVisiblePart();
}

void CListContainerElementUI::PaintItemBackground(HDC hDC)
{
    m_item.PaintBackground(hDC, m_sBkImage);
}

} // namespace SkinUI
