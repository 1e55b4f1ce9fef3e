// The base of the self-drawing list items: index, owner, selection and hot
// state, "itemactivate", and the background painted from the owner's style.
#include "UIListElement.h"

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

CListElementUI::CListElementUI() : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL)
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
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"itemactivate");
    return true;
}

void CListElementUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner != NULL)
            m_pOwner->SelectItem(-1, false);
    }
}

void CListElementUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CListElementUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.nKind)) {
        if (m_pOwner != NULL)
            m_pOwner->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    if ((event.nKind == UIEventDoubleClick || (event.nKind == UIEventKeyDown && event.chKey == VK_RETURN))
        && IsEnabled()) {
        Activate();
        InvalidateVisiblePart();
        return;
    }
    if (m_pOwner != NULL)
        m_pOwner->HandleEvent(event);
    else
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
    return m_iIndex;
}

void CListElementUI::SetIndex(int iIndex)
{
    m_iIndex = iIndex;
}

IListOwnerUI* CListElementUI::GetOwner()
{
    return m_pOwner;
}

void CListElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = GetListOwner(pOwner);
}

bool CListElementUI::IsSelected() const
{
    return m_bSelected;
}

bool CListElementUI::Select(bool bSelect)
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
    InvalidateListItem(this);
}

void CListElementUI::PaintItemBackground(HDC hDC)
{
    if (m_pOwner == NULL)
        return;
    PaintListItemBackground(hDC, this, m_sBkImage, m_pOwner->GetListInfo(), m_iIndex, m_bSelected, IsHot());
}

bool CListElementUI::IsHot() const
{
    return (m_uButtonState & UIStateHot) != 0;
}

} // namespace SkinUI
