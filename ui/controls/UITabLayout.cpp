#include "UITabLayout.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIManager.h"

namespace SkinUI {

CTabLayoutUI::CTabLayoutUI() : m_iCurSel(-1)
{
}

LPCTSTR CTabLayoutUI::GetClassName() const
{
    return L"TabLayoutUI";
}

LPVOID CTabLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return NULL;
    if (wcscmp(pstrName, L"TabLayout") == 0)
        return static_cast<CTabLayoutUI*>(this);
    if (wcscmp(pstrName, L"Container") == 0)
        return static_cast<CContainerUI*>(this);
    if (wcscmp(pstrName, L"Control") == 0)
        return static_cast<CControlUI*>(this);
    if (wcscmp(pstrName, L"IContainer") == 0)
        return static_cast<IContainerUI*>(this);
    return NULL;
}

bool CTabLayoutUI::Add(CControlUI* pControl)
{
    if (!CContainerUI::Add(pControl))
        return false;
    if (m_iCurSel == -1 && pControl->IsVisible())
        m_iCurSel = GetItemIndex(pControl);
    else
        pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (m_iCurSel == -1 && pControl->IsVisible()) {
        m_iCurSel = GetItemIndex(pControl);
    } else if (m_iCurSel != -1 && iIndex <= m_iCurSel) {
        // The selected page moved one place on.
        m_iCurSel += 1;
        pControl->SetVisible(false);
    } else {
        pControl->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    const int iIndex = GetItemIndex(pControl);
    if (!CContainerUI::Remove(pControl))
        return false;

    if (m_iCurSel == iIndex) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        RequestParentLayout();
    } else if (m_iCurSel > iIndex) {
        m_iCurSel -= 1;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

int CTabLayoutUI::GetCurSel() const
{
    return m_iCurSel;
}

bool CTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= GetCount())
        return false;
    if (iIndex == m_iCurSel)
        return true;

    const int iOldSel = m_iCurSel;
    m_iCurSel = iIndex;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pPage = GetItemAt(i);
        if (i == iIndex) {
            pPage->SetVisible(true);
            pPage->SetFocus();
            SetPos(m_rcItem);
        } else {
            pPage->SetVisible(false);
        }
    }
    RequestParentLayout();

    if (m_pManager != NULL) {
        m_pManager->FocusNextTabStop(true);
        m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(m_iCurSel),
                               static_cast<LPARAM>(iOldSel));
    }
    return true;
}

void CTabLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    const RECT rcClient = { m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top,
                            m_rcItem.right - m_rcInset.right, m_rcItem.bottom - m_rcInset.bottom };

    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }
        if (i != m_iCurSel)
            continue;

        const RECT rcPadding = pControl->GetPadding();
        RECT rcPage = { rcClient.left + rcPadding.left, rcClient.top + rcPadding.top,
                        rcClient.right - rcPadding.right, rcClient.bottom - rcPadding.bottom };
        const int cxPage = rcPage.right - rcPage.left;
        const int cyPage = rcPage.bottom - rcPage.top;
        CUISize sz = pControl->MeasureSize(CUISize(cxPage, cyPage));
        if (sz.cx == 0)
            sz.cx = cxPage > 0 ? cxPage : 0;
        if (sz.cy == 0)
            sz.cy = cyPage > 0 ? cyPage : 0;
        if (sz.cx < pControl->GetMinWidth())
            sz.cx = pControl->GetMinWidth();
        if (sz.cx > pControl->GetMaxWidth())
            sz.cx = pControl->GetMaxWidth();
        if (sz.cy < pControl->GetMinHeight())
            sz.cy = pControl->GetMinHeight();
        if (sz.cy > pControl->GetMaxHeight())
            sz.cy = pControl->GetMaxHeight();

        rcPage.right = rcPage.left + sz.cx;
        rcPage.bottom = rcPage.top + sz.cy;
        pControl->SetPos(rcPage);
    }
}

void CTabLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != NULL && pstrValue != NULL && wcscmp(pstrName, L"selectedid") == 0)
        SelectItem(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

} // namespace SkinUI
