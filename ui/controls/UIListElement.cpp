// The base of the self-drawing list items: the shared item behaviour on a
// plain control.
#include "UIListElement.h"

#include <wchar.h>

namespace SkinUI {

CListElementUI::CListElementUI() : m_item(this)
{
}

LPCTSTR CListElementUI::GetClassName() const
{
    return L"ListElementUI";
}

LPVOID CListElementUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"ListItem") == 0)
            return static_cast<IListItemUI*>(this);
        if (wcscmp(pstrName, L"ListElement") == 0)
            return static_cast<CListElementUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

UINT CListElementUI::GetInputFlags() const
{
    return UIListItemWantReturn;
}

bool CListElementUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    m_item.NotifyActivated();
    return true;
}

void CListElementUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    m_item.OnVisibilityChanged();
}

void CListElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    m_item.OnEnabledChanged();
}

void CListElementUI::HandleEvent(UIEvent& event)
{
    if (!(!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) && m_item.HandleActivation(event))
        return;
    if (!m_item.PassToOwner(event))
        CControlUI::HandleEvent(event);
}

void CListElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    // "selected" selects whatever its value says.
    if (pstrName != NULL && wcscmp(pstrName, L"selected") == 0)
        Select(true);
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

int CListElementUI::GetIndex() const
{
    return m_item.m_iIndex;
}

void CListElementUI::SetIndex(int iIndex)
{
    m_item.m_iIndex = iIndex;
}

IListOwnerUI* CListElementUI::GetOwner()
{
    return m_item.m_pOwner;
}

void CListElementUI::SetOwner(CControlUI* pOwner)
{
    m_item.SetOwner(pOwner);
}

bool CListElementUI::IsSelected() const
{
    return m_item.m_bSelected;
}

bool CListElementUI::Select(bool bSelect)
{
    return m_item.Select(bSelect);
}

bool CListElementUI::IsExpanded() const
{
    return false;
}

bool CListElementUI::Expand(bool)
{
    return false;
}

void CListElementUI::InvalidateVisiblePart()
{
    m_item.InvalidateVisiblePart();
}

void CListElementUI::PaintItemBackground(HDC hDC)
{
    m_item.PaintBackground(hDC, m_sBkImage);
}

} // namespace SkinUI
