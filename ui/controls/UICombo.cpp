// The combo box: selection over its items, keys and wheel while closed,
// opening the pop-up, and the closed look (state images and the selected
// item drawn in the text area).
#include "UICombo.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIButton.h"
#include "UIComboWnd.h"
#include "UIManager.h"

namespace SkinUI {

CComboUI::CComboUI()
    : m_pWindow(NULL),
      m_iCurSel(-1),
      m_rcTextPadding(0, 0, 0, 0),
      m_szDropBox(0, 150),
      m_uButtonState(0)
{
}

CComboUI::~CComboUI()
{
    // A pop-up must neither outlive the combo nor keep its items.
    CloseDropDown();
}

LPCTSTR CComboUI::GetClassName() const
{
    return L"ComboUI";
}

LPVOID CComboUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"Combo") == 0)
            return static_cast<CComboUI*>(this);
        if (wcscmp(pstrName, L"IListOwner") == 0)
            return static_cast<IListOwnerUI*>(this);
    }
    return CContainerUI::GetInterface(pstrName);
}

UINT CComboUI::GetInputFlags() const
{
    return TabStop;
}

CComboWnd* CComboUI::GetDropDownWindow() const
{
    return m_pWindow;
}

void CComboUI::CloseDropDown()
{
    if (m_pWindow == NULL)
        return;
    CComboWnd* pWindow = m_pWindow;
    m_pWindow = NULL;
    pWindow->CloseNow();
    OnDropDownDestroyed();
}

void CComboUI::OnDropDownDestroyed()
{
    m_pWindow = NULL;
    m_uButtonState &= ~UIStatePushed;
    Invalidate();
}

bool CComboUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pWindow != NULL)
        return true;
    if (m_pManager == NULL || m_pManager->GetPaintWindow() == NULL)
        return false;
    CComboWnd* pWindow = new CComboWnd;
    m_pWindow = pWindow;
    if (!pWindow->Init(this)) {
        m_pWindow = NULL;
        return false;
    }
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"dropdown");
    Invalidate();
    return true;
}

CUIString CComboUI::GetText() const
{
    CControlUI* pItem = GetItemAt(m_iCurSel);
    return pItem != NULL ? pItem->GetText() : CUIString();
}

void CComboUI::SetPos(RECT rc)
{
    // The items are never laid out in the closed combo; while the pop-up is
    // open they belong to its layout.
    if (m_pWindow == NULL)
        ClearItemRects();
    CControlUI::SetPos(rc);
}

void CComboUI::ClearItemRects()
{
    const RECT rcEmpty = { 0, 0, 0, 0 };
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetPos(rcEmpty);
}

void CComboUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CComboUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.nKind) {
    case UIEventSetFocus:
    case UIEventKillFocus:
        Invalidate();
        break;
    case UIEventButtonDown:
        if (IsEnabled()) {
            Activate();
            m_uButtonState |= UIStatePushed | UIStateCaptured;
        }
        return;
    case UIEventButtonUp:
        if ((m_uButtonState & UIStateCaptured) != 0) {
            // The pushed look stays until the pop-up closes.
            m_uButtonState &= ~UIStateCaptured;
            Invalidate();
        }
        return;
    case UIEventMouseMove:
    case UIEventContextMenu:
        return;
    case UIEventKeyDown:
        switch (event.chKey) {
        case VK_UP:
        case VK_PRIOR:
            SelectItem(FindSelectable(m_iCurSel - 1, false), false);
            return;
        case VK_DOWN:
        case VK_NEXT:
            SelectItem(FindSelectable(m_iCurSel + 1, true), false);
            return;
        case VK_HOME:
            SelectItem(FindSelectable(0, false), false);
            return;
        case VK_END:
            SelectItem(FindSelectable(GetCount() - 1, true), false);
            return;
        case VK_F4:
            Activate();
            return;
        default:
            break;
        }
        CControlUI::HandleEvent(event);
        return;
    case UIEventScrollWheel: {
        const bool bForward = event.wParam == 1;
        SelectItem(FindSelectable(m_iCurSel + (bForward ? 1 : -1), bForward), false);
        return;
    }
    case UIEventMouseEnter:
        if (::PtInRect(&m_rcItem, event.ptMouse)) {
            m_uButtonState |= UIStateHot;
            Invalidate();
        }
        return;
    case UIEventMouseLeave:
        if ((m_uButtonState & UIStateHot) != 0) {
            m_uButtonState &= ~UIStateHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

// ---------------------------------------------------------------------------
// Selection and items
// ---------------------------------------------------------------------------
UIListInfo* CComboUI::GetListInfo()
{
    return &m_ListInfo;
}

int CComboUI::GetCurSel() const
{
    return m_iCurSel;
}

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus)
{
    // Every change of selection closes the pop-up, also one made in it.
    if (m_pWindow != NULL)
        m_pWindow->PostMsg(WM_CLOSE);
    if (iIndex == m_iCurSel)
        return true;
    const int iOldSel = m_iCurSel;
    if (m_iCurSel >= 0) {
        CControlUI* pOld = GetItemAt(m_iCurSel);
        if (pOld == NULL)
            return false;
        IListItemUI* pOldItem = GetListItem(pOld);
        if (pOldItem != NULL)
            pOldItem->Select(false);
        m_iCurSel = -1;
    }
    if (iIndex < 0 || m_items.IsEmpty())
        return false;
    if (iIndex >= m_items.GetSize())
        iIndex = m_items.GetSize() - 1;
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL || !pControl->IsVisible() || !pControl->IsEnabled())
        return false;
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem == NULL)
        return false;
    m_iCurSel = iIndex;
    if (m_pWindow != NULL || bTakeFocus)
        pControl->SetFocus();
    pItem->Select(true);
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"itemselect", m_iCurSel, iOldSel);
    Invalidate();
    return true;
}

void CComboUI::RenumberItems(int iFirst)
{
    for (int i = iFirst < 0 ? 0 : iFirst; i < m_items.GetSize(); ++i) {
        IListItemUI* pItem = GetListItem(static_cast<CControlUI*>(m_items[i]));
        if (pItem != NULL)
            pItem->SetIndex(i);
    }
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int iOld = GetItemIndex(pControl);
    if (iOld == -1)
        return false;
    if (iOld == iIndex)
        return true;
    // The pop-up's layout holds the items in their old order.
    CloseDropDown();
    CControlUI* pSelected = GetItemAt(m_iCurSel);
    if (!CContainerUI::SetItemIndex(pControl, iIndex))
        return false;
    RenumberItems(iOld < iIndex ? iOld : iIndex);
    if (pSelected != NULL)
        m_iCurSel = GetItemIndex(pSelected);
    return true;
}

bool CComboUI::Add(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    CloseDropDown();
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem != NULL) {
        pItem->SetOwner(this);
        pItem->SetIndex(m_items.GetSize());
    }
    return CContainerUI::Add(pControl);
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == NULL)
        return false;
    CloseDropDown();
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem != NULL) {
        pItem->SetOwner(this);
        pItem->SetIndex(iIndex);
    }
    RenumberItems(iIndex + 1);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    return true;
}

bool CComboUI::Remove(CControlUI* pControl)
{
    const int iIndex = GetItemIndex(pControl);
    if (iIndex == -1)
        return false;
    return RemoveAt(iIndex);
}

bool CComboUI::RemoveAt(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL)
        return false;
    // The pop-up's layout must not keep a control that goes away.
    CloseDropDown();
    if (!CContainerUI::Remove(pControl))
        return false;
    RenumberItems(iIndex);
    if (iIndex == m_iCurSel) {
        m_iCurSel = -1;
        SelectItem(FindSelectable(iIndex, false), false);
    } else if (iIndex < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CComboUI::RemoveAll()
{
    CloseDropDown();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

// ---------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------
void CComboUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"textpadding") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        RECT rc = { v[0], v[1], v[2], v[3] };
        SetTextPadding(rc);
    } else if (wcscmp(pstrName, L"normalimage") == 0) {
        SetNormalImage(pstrValue);
    } else if (wcscmp(pstrName, L"hotimage") == 0) {
        SetHotImage(pstrValue);
    } else if (wcscmp(pstrName, L"pushedimage") == 0) {
        SetPushedImage(pstrValue);
    } else if (wcscmp(pstrName, L"focusedimage") == 0) {
        SetFocusedImage(pstrValue);
    } else if (wcscmp(pstrName, L"disabledimage") == 0) {
        SetDisabledImage(pstrValue);
    } else if (wcscmp(pstrName, L"dropbox") == 0) {
        SetDropBoxAttributeList(pstrValue);
    } else if (wcscmp(pstrName, L"dropboxsize") == 0) {
        int v[2];
        ParseNumberList(pstrValue, v, 2);
        SetDropBoxSize(CUISize(v[0], v[1]));
    } else if (wcscmp(pstrName, L"itemendellipsis") == 0) {
        // Not one of the combo's: the container decides.
        CContainerUI::SetAttribute(pstrName, pstrValue);
    } else {
        switch (ParseListInfoAttribute(m_ListInfo, pstrName, pstrValue)) {
        case ListInfoNoField:
            CContainerUI::SetAttribute(pstrName, pstrValue);
            break;
        case ListInfoTextPadding:
        case ListInfoTextColor:
        case ListInfoShowHtml:
            Invalidate();
            break;
        default:
            break;
        }
    }
}

CUIString CComboUI::GetDropBoxAttributeList() const
{
    return m_sDropBoxAttributes;
}

void CComboUI::SetDropBoxAttributeList(LPCTSTR pstrList)
{
    m_sDropBoxAttributes = pstrList;
}

CUISize CComboUI::GetDropBoxSize() const
{
    return m_szDropBox;
}

void CComboUI::SetDropBoxSize(SIZE szDropBox)
{
    m_szDropBox = CUISize(szDropBox.cx, szDropBox.cy);
}

CUIRect CComboUI::GetTextPadding() const
{
    return m_rcTextPadding;
}

void CComboUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CComboUI::SetNormalImage(LPCTSTR pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CComboUI::SetHotImage(LPCTSTR pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CComboUI::SetPushedImage(LPCTSTR pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CComboUI::SetFocusedImage(LPCTSTR pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CComboUI::SetDisabledImage(LPCTSTR pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

UINT CComboUI::GetButtonState() const
{
    return m_uButtonState;
}

void CComboUI::SetItemFont(int index)
{
    m_ListInfo.nFont = index;
}

void CComboUI::SetItemTextStyle(UINT uStyle)
{
    m_ListInfo.uTextStyle = uStyle;
}

void CComboUI::SetItemTextPadding(RECT rc)
{
    m_ListInfo.rcTextPadding = rc;
    Invalidate();
}

void CComboUI::SetItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}

void CComboUI::SetItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwBkColor = dwBkColor;
}

void CComboUI::SetItemBkImage(LPCTSTR pStrImage)
{
    m_ListInfo.sBkImage = pStrImage;
}

void CComboUI::SetAlternateBk(bool bAlternateBk)
{
    m_ListInfo.bAlternateBk = bAlternateBk;
}

void CComboUI::SetSelectedItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwSelectedTextColor = dwTextColor;
}

void CComboUI::SetSelectedItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwSelectedBkColor = dwBkColor;
}

void CComboUI::SetSelectedItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.sSelectedImage = pStrImage;
}

void CComboUI::SetHotItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwHotTextColor = dwTextColor;
}

void CComboUI::SetHotItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwHotBkColor = dwBkColor;
}

void CComboUI::SetHotItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.sHotImage = pStrImage;
}

void CComboUI::SetDisabledItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwDisabledTextColor = dwTextColor;
}

void CComboUI::SetDisabledItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwDisabledBkColor = dwBkColor;
}

void CComboUI::SetDisabledItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.sDisabledImage = pStrImage;
}

void CComboUI::SetItemLineColor(DWORD dwLineColor)
{
    m_ListInfo.dwLineColor = dwLineColor;
}

void CComboUI::SetItemShowHtml(bool bShowHtml)
{
    if (m_ListInfo.bShowHtml == bShowHtml)
        return;
    m_ListInfo.bShowHtml = bShowHtml;
    Invalidate();
}

bool CComboUI::IsItemShowHtml() const
{
    return m_ListInfo.bShowHtml;
}

// ---------------------------------------------------------------------------
// Size and painting
// ---------------------------------------------------------------------------
CUISize CComboUI::MeasureSize(SIZE szAvailable)
{
    if (m_nFixedHeight != 0 || m_pManager == NULL)
        return CControlUI::MeasureSize(szAvailable);
    const UIFontInfo* pFont = m_pManager->GetDefaultFontInfo();
    return CUISize(m_nFixedWidth, (pFont != NULL ? pFont->tm.tmHeight : 0) + 12);
}

void CComboUI::Paint(HDC hDC, const RECT& rcPaint)
{
    // The items are drawn by the pop-up, never as children here.
    CControlUI::Paint(hDC, rcPaint);
}

void CComboUI::UpdateStateBits()
{
    if (IsFocused())
        m_uButtonState |= UIStateFocused;
    else
        m_uButtonState &= ~UIStateFocused;
    if (!IsEnabled())
        m_uButtonState |= UIStateDisabled;
    else
        m_uButtonState &= ~UIStateDisabled;
}

void CComboUI::PaintStateImage(HDC hDC)
{
    UpdateStateBits();
    CUIString* pState = NULL;
    if ((m_uButtonState & UIStateDisabled) != 0)
        pState = &m_sDisabledImage;
    else if ((m_uButtonState & UIStatePushed) != 0)
        pState = &m_sPushedImage;
    else if ((m_uButtonState & UIStateHot) != 0)
        pState = &m_sHotImage;
    else if ((m_uButtonState & UIStateFocused) != 0)
        pState = &m_sFocusedImage;
    if (pState != NULL && !pState->IsEmpty()) {
        if (DrawImage(hDC, *pState))
            return;
        pState->Empty();
    }
    if (!m_sNormalImage.IsEmpty() && !DrawImage(hDC, m_sNormalImage))
        m_sNormalImage.Empty();
}

void CComboUI::PaintText(HDC hDC)
{
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.top += m_rcTextPadding.top;
    rcText.right -= m_rcTextPadding.right;
    rcText.bottom -= m_rcTextPadding.bottom;
    PaintSelectedItem(hDC, rcText);
}

void CComboUI::PaintSelectedItem(HDC hDC, const RECT& rcText)
{
    if (m_iCurSel < 0)
        return;
    CControlUI* pControl = GetItemAt(m_iCurSel);
    if (pControl == NULL)
        return;
    IListItemUI* pItem = GetListItem(pControl);
    if (pItem != NULL) {
        pItem->DrawItemText(hDC, rcText);
        return;
    }
    // Another control is painted in the text area for the moment. It is
    // moved without its manager, so that the moves ask for no repaint (which
    // would paint again, and again).
    CUIManager* pManager = pControl->GetManager();
    CControlUI* pParent = pControl->GetParent();
    const CUIRect rcOld = pControl->GetPos();
    pControl->SetManager(NULL, pParent, false);
    pControl->SetPos(rcText);
    pControl->SetManager(pManager, pParent, false);
    pControl->Paint(hDC, rcText);
    pControl->SetManager(NULL, pParent, false);
    pControl->SetPos(rcOld);
    pControl->SetManager(pManager, pParent, false);
}

} // namespace SkinUI
