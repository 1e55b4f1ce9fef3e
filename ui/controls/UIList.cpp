// The list control: item bookkeeping between the list and its body, the
// selection and expansion protocol with the items, keys and wheel, and the
// header columns that the items draw in.
#include "UIList.h"

#include <wchar.h>

#include "UIListBody.h"
#include "UIListHeader.h"
#include "UIManager.h"
#include "UIScrollBar.h"

namespace SkinUI {

namespace {

bool IsHeader(CControlUI* pControl)
{
    return pControl->GetInterface(L"ListHeader") != NULL;
}

// Header items are recognised by class name, so that derived captions route too.
bool IsHeaderItem(CControlUI* pControl)
{
    LPCTSTR pstrClass = pControl->GetClassName();
    return pstrClass != NULL && wcsstr(pstrClass, L"ListHeaderItemUI") != NULL;
}

} // namespace

CListUI::CListUI()
    : m_bScrollSelect(false),
      m_iCurSel(-1),
      m_iExpandedItem(-1),
      m_pCallback(NULL),
      m_pList(NULL),
      m_pHeader(NULL)
{
    m_pList = new CListBodyUI(this);
    // The header goes through the routing of Add, the body straight into the
    // list's own children: always header, then body.
    Add(new CListHeaderUI);
    CContainerUI::Add(m_pList);
}

CListUI::~CListUI()
{
}

LPCTSTR CListUI::GetClassName() const
{
    return L"ListUI";
}

LPVOID CListUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"List") == 0)
            return static_cast<CListUI*>(this);
        if (wcscmp(pstrName, L"IList") == 0)
            return static_cast<IListUI*>(this);
        if (wcscmp(pstrName, L"IListOwner") == 0)
            return static_cast<IListOwnerUI*>(this);
        if (wcscmp(pstrName, L"VerticalLayout") == 0)
            return static_cast<CVerticalLayoutUI*>(this);
        if (wcscmp(pstrName, L"Container") == 0)
            return static_cast<CContainerUI*>(this);
        if (wcscmp(pstrName, L"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

UINT CListUI::GetInputFlags() const
{
    return TabStop;
}

// ---------------------------------------------------------------------------
// Layout and columns
// ---------------------------------------------------------------------------
void CListUI::SetPos(RECT rc)
{
    CVerticalLayoutUI::SetPos(rc);
    if (m_pHeader == NULL)
        return;
    const int cxScroll = m_pList->GetScrollPos().cx;
    SyncHeaderColumns(cxScroll > 0 ? -cxScroll : 0, &rc);
}

void CListUI::UpdateColumnCount()
{
    const int nCount = m_pHeader != NULL ? m_pHeader->GetCount() : 0;
    m_ListInfo.nColumns = nCount < UILIST_MAX_COLUMNS ? nCount : UILIST_MAX_COLUMNS;
}

void CListUI::SyncHeaderColumns(int dx, const RECT* prcPlaceHidden)
{
    if (m_pHeader == NULL)
        return;
    UpdateColumnCount();
    const bool bHidden = !m_pHeader->IsVisible();
    if (bHidden) {
        for (int i = 0; i < m_pHeader->GetCount(); ++i)
            m_pHeader->GetItemAt(i)->SetInheritedVisible(true);
        if (prcPlaceHidden != NULL)
            m_pHeader->SetPos(CUIRect(prcPlaceHidden->left, 0, prcPlaceHidden->right, 0));
    }
    for (int i = 0; i < m_ListInfo.nColumns; ++i) {
        CControlUI* pItem = m_pHeader->GetItemAt(i);
        if (!pItem->IsVisible() || pItem->IsFloat())
            continue;
        if (dx != 0) {
            CUIRect rcPos = pItem->GetPos();
            rcPos.Offset(dx, 0);
            pItem->SetPos(rcPos);
        }
        m_ListInfo.rcColumn[i] = pItem->GetPos();
    }
    if (bHidden) {
        for (int i = 0; i < m_pHeader->GetCount(); ++i)
            m_pHeader->GetItemAt(i)->SetInheritedVisible(false);
    }
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------
void CListUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CVerticalLayoutUI::HandleEvent(event);
        return;
    }
    switch (event.nKind) {
    case UIEventSetFocus:
        m_bFocused = true;
        return;
    case UIEventKillFocus:
        m_bFocused = false;
        return;
    case UIEventKeyDown:
        switch (event.chKey) {
        case VK_RETURN:
            if (m_iCurSel != -1) {
                CControlUI* pItem = m_pList->GetItemAt(m_iCurSel);
                if (pItem != NULL)
                    pItem->Activate();
            }
            return;
        case VK_PRIOR:
            m_pList->PageUp();
            return;
        case VK_NEXT:
            m_pList->PageDown();
            return;
        case VK_END:
            SelectItem(m_pList->FindSelectable(GetCount() - 1, true), true);
            return;
        case VK_HOME:
            SelectItem(m_pList->FindSelectable(0, false), true);
            return;
        case VK_UP:
            SelectItem(m_pList->FindSelectable(m_iCurSel - 1, false), true);
            return;
        case VK_DOWN:
            SelectItem(m_pList->FindSelectable(m_iCurSel + 1, true), true);
            return;
        default:
            break;
        }
        break;
    case UIEventScrollWheel:
        if (event.wParam == 0) {
            if (m_bScrollSelect)
                SelectItem(m_pList->FindSelectable(m_iCurSel - 1, false), true);
            else
                m_pList->LineUp();
            return;
        }
        if (event.wParam == 1) {
            if (m_bScrollSelect)
                SelectItem(m_pList->FindSelectable(m_iCurSel + 1, true), true);
            else
                m_pList->LineDown();
            return;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::HandleEvent(event);
}

// ---------------------------------------------------------------------------
// Attributes and the item style
// ---------------------------------------------------------------------------
void CListUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"header") == 0) {
        m_pHeader->SetVisible(wcscmp(pstrValue, L"hidden") != 0);
    } else if (wcscmp(pstrName, L"headerbkimage") == 0) {
        m_pHeader->SetBackgroundImage(pstrValue);
    } else if (wcscmp(pstrName, L"scrollselect") == 0) {
        SetScrollSelect(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"multiexpanding") == 0) {
        SetMultiExpanding(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"vscrollbar") == 0 || wcscmp(pstrName, L"hscrollbar") == 0
               || wcscmp(pstrName, L"vscrollbarstyle") == 0 || wcscmp(pstrName, L"hscrollbarstyle") == 0) {
        // The bars are the body's: it keeps the other bar as it is.
        m_pList->SetAttribute(pstrName, pstrValue);
    } else {
        bool bChanged = false;
        switch (ParseListInfoAttribute(m_ListInfo, pstrName, pstrValue, &bChanged)) {
        case ListInfoNoField:
            CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
            break;
        case ListInfoFont:
        case ListInfoAlign:
        case ListInfoEndEllipsis:
            break;
        case ListInfoTextPadding:
            RequestLayout();
            break;
        case ListInfoShowHtml:
            if (bChanged)
                RequestLayout();
            break;
        default:
            Invalidate();
            break;
        }
    }
}

void CListUI::SetItemFont(int index)
{
    m_ListInfo.nFont = index;
}

void CListUI::SetItemTextStyle(UINT uStyle)
{
    m_ListInfo.uTextStyle = uStyle;
}

void CListUI::SetItemTextPadding(RECT rc)
{
    m_ListInfo.rcTextPadding = rc;
    RequestLayout();
}

void CListUI::SetItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetItemBkImage(LPCTSTR pStrImage)
{
    m_ListInfo.sBkImage = pStrImage;
    Invalidate();
}

void CListUI::SetAlternateBk(bool bAlternateBk)
{
    m_ListInfo.bAlternateBk = bAlternateBk;
    Invalidate();
}

void CListUI::SetSelectedItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwSelectedTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetSelectedItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwSelectedBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetSelectedItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.sSelectedImage = pStrImage;
    Invalidate();
}

void CListUI::SetHotItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwHotTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetHotItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwHotBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetHotItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.sHotImage = pStrImage;
    Invalidate();
}

void CListUI::SetDisabledItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwDisabledTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetDisabledItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwDisabledBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetDisabledItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.sDisabledImage = pStrImage;
    Invalidate();
}

void CListUI::SetItemLineColor(DWORD dwLineColor)
{
    m_ListInfo.dwLineColor = dwLineColor;
    Invalidate();
}

void CListUI::SetItemShowHtml(bool bShowHtml)
{
    if (m_ListInfo.bShowHtml == bShowHtml)
        return;
    m_ListInfo.bShowHtml = bShowHtml;
    RequestLayout();
}

bool CListUI::IsItemShowHtml() const
{
    return m_ListInfo.bShowHtml;
}

void CListUI::SetMultiExpanding(bool bMultiExpandable)
{
    m_ListInfo.bMultiExpandable = bMultiExpandable;
}

bool CListUI::IsScrollSelect() const
{
    return m_bScrollSelect;
}

void CListUI::SetScrollSelect(bool bScrollSelect)
{
    m_bScrollSelect = bScrollSelect;
}

// ---------------------------------------------------------------------------
// Forwarded to the body
// ---------------------------------------------------------------------------
int CListUI::GetChildPadding() const
{
    return m_pList->GetChildPadding();
}

void CListUI::SetChildPadding(int iPadding)
{
    m_pList->SetChildPadding(iPadding);
}

CUISize CListUI::GetScrollPos() const
{
    return m_pList->GetScrollPos();
}

CUISize CListUI::GetScrollRange() const
{
    return m_pList->GetScrollRange();
}

void CListUI::SetScrollPos(SIZE szPos)
{
    m_pList->SetScrollPos(szPos);
}

void CListUI::LineUp()
{
    m_pList->LineUp();
}

void CListUI::LineDown()
{
    m_pList->LineDown();
}

void CListUI::PageUp()
{
    m_pList->PageUp();
}

void CListUI::PageDown()
{
    m_pList->PageDown();
}

void CListUI::ScrollToTop()
{
    m_pList->ScrollToTop();
}

void CListUI::ScrollToBottom()
{
    m_pList->ScrollToBottom();
}

void CListUI::LineLeft()
{
    m_pList->LineLeft();
}

void CListUI::LineRight()
{
    m_pList->LineRight();
}

void CListUI::PageLeft()
{
    m_pList->PageLeft();
}

void CListUI::PageRight()
{
    m_pList->PageRight();
}

void CListUI::ScrollToLeft()
{
    m_pList->ScrollToLeft();
}

void CListUI::ScrollToRight()
{
    m_pList->ScrollToRight();
}

void CListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_pList->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

CScrollBarUI* CListUI::GetVerticalScrollBar() const
{
    return m_pList->GetVerticalScrollBar();
}

CScrollBarUI* CListUI::GetHorizontalScrollBar() const
{
    return m_pList->GetHorizontalScrollBar();
}

// ---------------------------------------------------------------------------
// Item bookkeeping
// ---------------------------------------------------------------------------
CControlUI* CListUI::GetItemAt(int iIndex) const
{
    return m_pList->GetItemAt(iIndex);
}

int CListUI::GetItemIndex(CControlUI* pControl) const
{
    if (pControl == NULL)
        return -1;
    if (IsHeader(pControl))
        return m_items.Find(pControl);
    if (IsHeaderItem(pControl))
        return m_pHeader->GetItemIndex(pControl);
    return m_pList->GetItemIndex(pControl);
}

int CListUI::GetCount() const
{
    return m_pList->GetCount();
}

void CListUI::RenumberItems(int iFirst, int iLast)
{
    if (iFirst < 0)
        iFirst = 0;
    if (iLast > m_pList->GetCount() - 1)
        iLast = m_pList->GetCount() - 1;
    for (int i = iFirst; i <= iLast; ++i) {
        IListItemUI* pItem = GetListItem(m_pList->GetItemAt(i));
        if (pItem != NULL)
            pItem->SetIndex(i);
    }
}

bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    if (pControl == NULL)
        return false;
    if (IsHeader(pControl))
        return CContainerUI::SetItemIndex(pControl, iIndex);
    if (IsHeaderItem(pControl))
        return m_pHeader->SetItemIndex(pControl, iIndex);

    const int iOld = m_pList->GetItemIndex(pControl);
    if (iOld == -1)
        return false;
    if (iOld == iIndex)
        return true;
    CControlUI* pSelected = m_iCurSel >= 0 ? m_pList->GetItemAt(m_iCurSel) : NULL;
    if (!m_pList->SetItemIndex(pControl, iIndex))
        return false;
    RenumberItems(iOld < iIndex ? iOld : iIndex, iOld < iIndex ? iIndex : iOld);
    if (pSelected != NULL)
        m_iCurSel = m_pList->GetItemIndex(pSelected);
    return true;
}

bool CListUI::Add(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    if (IsHeader(pControl)) {
        if (m_items.Find(pControl) >= 0)
            return false;
        CListHeaderUI* pHeader = static_cast<CListHeaderUI*>(pControl->GetInterface(L"ListHeader"));
        // An empty header gives way to the new one; one with columns stays
        // the header and the new one is only shown above it.
        if (pHeader != m_pHeader && (m_pHeader == NULL || m_pHeader->GetCount() == 0)) {
            CListHeaderUI* pOld = m_pHeader;
            m_pHeader = pHeader;
            if (pOld != NULL)
                CContainerUI::Remove(pOld);
        }
        UpdateColumnCount();
        return CContainerUI::AddAt(pControl, 0);
    }
    if (IsHeaderItem(pControl)) {
        const bool bAdded = m_pHeader->Add(pControl);
        UpdateColumnCount();
        return bAdded;
    }
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem != NULL) {
        pItem->SetOwner(this);
        pItem->SetIndex(GetCount());
    }
    return m_pList->Add(pControl);
}

bool CListUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == NULL)
        return false;
    if (IsHeader(pControl))
        return Add(pControl);
    if (IsHeaderItem(pControl)) {
        const bool bAdded = m_pHeader->AddAt(pControl, iIndex);
        UpdateColumnCount();
        return bAdded;
    }
    if (!m_pList->AddAt(pControl, iIndex))
        return false;
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem != NULL) {
        pItem->SetOwner(this);
        pItem->SetIndex(iIndex);
    }
    RenumberItems(iIndex + 1, GetCount() - 1);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    return true;
}

void CListUI::ReplaceRemovedHeader(bool bVisible)
{
    // The list always has a header: layout, columns and GetHeader rely on it.
    m_pHeader = new CListHeaderUI;
    m_pHeader->SetVisible(bVisible);
    CContainerUI::AddAt(m_pHeader, 0);
    UpdateColumnCount();
}

bool CListUI::Remove(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    if (IsHeader(pControl)) {
        const bool bCurrent = pControl == m_pHeader;
        const bool bVisible = bCurrent && m_pHeader->IsVisible();
        if (!CContainerUI::Remove(pControl))
            return false;
        if (bCurrent)
            ReplaceRemovedHeader(bVisible);
        return true;
    }
    if (IsHeaderItem(pControl)) {
        const bool bRemoved = m_pHeader->Remove(pControl);
        UpdateColumnCount();
        return bRemoved;
    }
    const int iIndex = m_pList->GetItemIndex(pControl);
    if (iIndex == -1)
        return false;
    // The list's own removal: a derived RemoveAt (the tree's) may come back here.
    return CListUI::RemoveAt(iIndex);
}

bool CListUI::RemoveAt(int iIndex)
{
    if (!m_pList->RemoveAt(iIndex))
        return false;
    RenumberItems(iIndex, GetCount() - 1);
    if (iIndex == m_iCurSel) {
        // The nearest selectable item at or before the freed place, or the
        // first one after it.
        m_iCurSel = -1;
        SelectItem(m_pList->FindSelectable(iIndex, false), false);
    } else if (iIndex < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    m_iExpandedItem = -1;
    m_pList->RemoveAll();
}

// ---------------------------------------------------------------------------
// Selection and expansion
// ---------------------------------------------------------------------------
UIListInfo* CListUI::GetListInfo()
{
    return &m_ListInfo;
}

int CListUI::GetCurSel() const
{
    return m_iCurSel;
}

bool CListUI::SelectItem(int iIndex, bool bTakeFocus)
{
    if (iIndex == m_iCurSel)
        return true;

    const int iOldSel = m_iCurSel;
    if (m_iCurSel >= 0) {
        IListItemUI* pOld = GetListItem(m_pList->GetItemAt(m_iCurSel));
        if (pOld != NULL)
            pOld->Select(false);
        m_iCurSel = -1;
    }
    if (iIndex < 0)
        return false;

    CControlUI* pControl = m_pList->GetItemAt(iIndex);
    if (pControl == NULL || !pControl->IsVisible() || !pControl->IsEnabled())
        return false;
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem == NULL)
        return false;
    m_iCurSel = iIndex;
    if (!pItem->Select(true)) {
        m_iCurSel = -1;
        return false;
    }
    EnsureVisible(m_iCurSel);
    if (bTakeFocus)
        pControl->SetFocus();
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"itemselect", m_iCurSel, iOldSel);
    return true;
}

bool CListUI::ExpandItem(int iIndex, bool bExpand)
{
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        IListItemUI* pOld = GetListItem(m_pList->GetItemAt(m_iExpandedItem));
        if (pOld != NULL)
            pOld->Expand(false);
        m_iExpandedItem = -1;
    }
    if (bExpand) {
        CControlUI* pControl = m_pList->GetItemAt(iIndex);
        if (pControl == NULL || !pControl->IsVisible())
            return false;
        IListItemUI* pItem = GetListItem(pControl);
        if (pItem == NULL)
            return false;
        m_iExpandedItem = iIndex;
        if (!pItem->Expand(true)) {
            m_iExpandedItem = -1;
            return false;
        }
    }
    RequestLayout();
    return true;
}

int CListUI::GetExpandedItem() const
{
    return m_iExpandedItem;
}

CListHeaderUI* CListUI::GetHeader() const
{
    return m_pHeader;
}

CContainerUI* CListUI::GetList() const
{
    return m_pList;
}

IListCallbackUI* CListUI::GetTextCallback() const
{
    return m_pCallback;
}

void CListUI::SetTextCallback(IListCallbackUI* pCallback)
{
    m_pCallback = pCallback;
}

void CListUI::EnsureVisible(int iIndex)
{
    if (m_iCurSel < 0)
        return;
    CControlUI* pItem = m_pList->GetItemAt(iIndex);
    if (pItem == NULL)
        return;
    const RECT& rcItem = pItem->GetPos();
    RECT rcList = m_pList->GetPos();
    const RECT rcInset = m_pList->GetInset();
    rcList.left += rcInset.left;
    rcList.top += rcInset.top;
    rcList.right -= rcInset.right;
    rcList.bottom -= rcInset.bottom;
    CScrollBarUI* pHorizontal = m_pList->GetHorizontalScrollBar();
    if (pHorizontal != NULL && pHorizontal->IsVisible())
        rcList.bottom -= pHorizontal->GetFixedHeight();
    Scroll(0, ListScrollDeltaToShow(rcItem, rcList));
}

void CListUI::Scroll(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    CUISize sz = m_pList->GetScrollPos();
    sz.cx += dx;
    sz.cy += dy;
    m_pList->SetScrollPos(sz);
}

} // namespace SkinUI
