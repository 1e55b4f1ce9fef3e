// The list-wide item style record with its shared "item..." attributes, the
// interface look-ups, and the painting and repainting routines that every
// list item class (list elements, container elements, tree nodes) uses.
#include "UIListInfo.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIButton.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIRender.h"
#include "UIScrollBar.h"

namespace SkinUI {

UIListInfo::UIListInfo()
    : nColumns(0),
      nFont(-1),
      uTextStyle(DT_VCENTER),
      dwTextColor(0xFF000000),
      dwBkColor(0),
      bAlternateBk(false),
      dwSelectedTextColor(0xFF000000),
      dwSelectedBkColor(0xFFC1E3FF),
      dwHotTextColor(0xFF000000),
      dwHotBkColor(0xFFE9F5FF),
      dwDisabledTextColor(0xFFCCCCCC),
      dwDisabledBkColor(0xFFFFFFFF),
      dwLineColor(0),
      bShowHtml(false),
      bMultiExpandable(false)
{
    ::ZeroMemory(rcColumn, sizeof(rcColumn));
    ::SetRectEmpty(&rcTextPadding);
}

IListOwnerUI* GetListOwner(CControlUI* pControl)
{
    if (pControl == NULL)
        return NULL;
    return static_cast<IListOwnerUI*>(pControl->GetInterface(L"IListOwner"));
}

IListUI* GetListInterface(CControlUI* pControl)
{
    if (pControl == NULL)
        return NULL;
    return static_cast<IListUI*>(pControl->GetInterface(L"IList"));
}

IListItemUI* GetListItem(CControlUI* pControl)
{
    if (pControl == NULL)
        return NULL;
    return static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem"));
}

// ---------------------------------------------------------------------------
// The shared "item..." attributes
// ---------------------------------------------------------------------------
namespace {

struct ColorAttribute
{
    const wchar_t* pstrName;
    UIListInfoField field;
    DWORD UIListInfo::*pColor;
};

const ColorAttribute kColorAttributes[] = {
    { L"itemtextcolor", ListInfoTextColor, &UIListInfo::dwTextColor },
    { L"itembkcolor", ListInfoBkColor, &UIListInfo::dwBkColor },
    { L"itemselectedtextcolor", ListInfoSelectedTextColor, &UIListInfo::dwSelectedTextColor },
    { L"itemselectedbkcolor", ListInfoSelectedBkColor, &UIListInfo::dwSelectedBkColor },
    { L"itemhottextcolor", ListInfoHotTextColor, &UIListInfo::dwHotTextColor },
    { L"itemhotbkcolor", ListInfoHotBkColor, &UIListInfo::dwHotBkColor },
    { L"itemdisabledtextcolor", ListInfoDisabledTextColor, &UIListInfo::dwDisabledTextColor },
    { L"itemdisabledbkcolor", ListInfoDisabledBkColor, &UIListInfo::dwDisabledBkColor },
    { L"itemlinecolor", ListInfoLineColor, &UIListInfo::dwLineColor },
};

struct ImageAttribute
{
    const wchar_t* pstrName;
    UIListInfoField field;
    CUIString UIListInfo::*pImage;
};

const ImageAttribute kImageAttributes[] = {
    { L"itembkimage", ListInfoBkImage, &UIListInfo::sBkImage },
    { L"itemselectedimage", ListInfoSelectedImage, &UIListInfo::sSelectedImage },
    { L"itemhotimage", ListInfoHotImage, &UIListInfo::sHotImage },
    { L"itemdisabledimage", ListInfoDisabledImage, &UIListInfo::sDisabledImage },
};

bool Is(LPCTSTR pstrName, const wchar_t* pstrWanted)
{
    return wcscmp(pstrName, pstrWanted) == 0;
}

} // namespace

UIListInfoField ParseListInfoAttribute(UIListInfo& info, LPCTSTR pstrName, LPCTSTR pstrValue, bool* pbChanged)
{
    bool bChanged = false;
    UIListInfoField field = ListInfoNoField;
    if (pstrName == NULL) {
        if (pbChanged != NULL)
            *pbChanged = false;
        return ListInfoNoField;
    }
    if (pstrValue == NULL)
        pstrValue = L"";

    if (Is(pstrName, L"itemfont")) {
        const int nFont = static_cast<int>(wcstol(pstrValue, NULL, 10));
        bChanged = info.nFont != nFont;
        info.nFont = nFont;
        field = ListInfoFont;
    } else if (Is(pstrName, L"itemalign")) {
        const UINT uOld = info.uTextStyle;
        // Tested in this order: the last match wins.
        if (wcsstr(pstrValue, L"left") != NULL)
            info.uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (wcsstr(pstrValue, L"center") != NULL) {
            info.uTextStyle &= ~(DT_LEFT | DT_RIGHT);
            info.uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, L"right") != NULL) {
            info.uTextStyle &= ~(DT_LEFT | DT_CENTER);
            info.uTextStyle |= DT_RIGHT;
        }
        bChanged = uOld != info.uTextStyle;
        field = ListInfoAlign;
    } else if (Is(pstrName, L"itemendellipsis")) {
        const UINT uOld = info.uTextStyle;
        if (CControlUI::IsTrueValue(pstrValue))
            info.uTextStyle |= DT_END_ELLIPSIS;
        else
            info.uTextStyle &= ~DT_END_ELLIPSIS;
        bChanged = uOld != info.uTextStyle;
        field = ListInfoEndEllipsis;
    } else if (Is(pstrName, L"itemtextpadding")) {
        int v[4];
        CControlUI::ParseNumberList(pstrValue, v, 4);
        const RECT rc = { v[0], v[1], v[2], v[3] };
        bChanged = !::EqualRect(&rc, &info.rcTextPadding);
        info.rcTextPadding = rc;
        field = ListInfoTextPadding;
    } else if (Is(pstrName, L"itemaltbk")) {
        const bool b = CControlUI::IsTrueValue(pstrValue);
        bChanged = info.bAlternateBk != b;
        info.bAlternateBk = b;
        field = ListInfoAlternateBk;
    } else if (Is(pstrName, L"itemshowhtml")) {
        const bool b = CControlUI::IsTrueValue(pstrValue);
        bChanged = info.bShowHtml != b;
        info.bShowHtml = b;
        field = ListInfoShowHtml;
    } else {
        for (size_t i = 0; i < sizeof(kColorAttributes) / sizeof(kColorAttributes[0]); ++i) {
            if (!Is(pstrName, kColorAttributes[i].pstrName))
                continue;
            const DWORD dwColor = CControlUI::ParseColor(pstrValue, false);
            bChanged = info.*kColorAttributes[i].pColor != dwColor;
            info.*kColorAttributes[i].pColor = dwColor;
            field = kColorAttributes[i].field;
            break;
        }
        for (size_t i = 0; field == ListInfoNoField && i < sizeof(kImageAttributes) / sizeof(kImageAttributes[0]);
             ++i) {
            if (!Is(pstrName, kImageAttributes[i].pstrName))
                continue;
            bChanged = info.*kImageAttributes[i].pImage != pstrValue;
            info.*kImageAttributes[i].pImage = pstrValue;
            field = kImageAttributes[i].field;
        }
    }
    if (pbChanged != NULL)
        *pbChanged = bChanged;
    return field;
}

// ---------------------------------------------------------------------------
// Item painting
// ---------------------------------------------------------------------------
namespace {

// Draws a state image of the shared style; one that fails is cleared, so that
// no row tries it again.
bool DrawStateImage(HDC hDC, CControlUI* pItem, CUIString& sImage)
{
    if (sImage.IsEmpty())
        return false;
    if (pItem->DrawImage(hDC, sImage))
        return true;
    sImage.Empty();
    return false;
}

} // namespace

void PaintListItemBackground(HDC hDC, CControlUI* pItem, CUIString& sOwnBkImage, UIListInfo* pInfo, int iIndex,
                             bool bSelected, bool bHot)
{
    if (pItem == NULL || pInfo == NULL)
        return;
    const bool bEnabled = pItem->IsEnabled();
    const bool bNormalRow = !pInfo->bAlternateBk || iIndex % 2 == 0;
    const RECT& rcItem = pItem->GetPos();

    DWORD dwColor = bNormalRow ? pInfo->dwBkColor : 0;
    if (bHot)
        dwColor = pInfo->dwHotBkColor;
    if (bSelected)
        dwColor = pInfo->dwSelectedBkColor;
    if (!bEnabled)
        dwColor = pInfo->dwDisabledBkColor;
    if (dwColor != 0)
        CUIRender::FillRectColor(hDC, rcItem, pItem->AdjustColor(dwColor));

    if (!bEnabled && DrawStateImage(hDC, pItem, pInfo->sDisabledImage))
        return;
    if (bSelected && DrawStateImage(hDC, pItem, pInfo->sSelectedImage))
        return;
    if (bHot && DrawStateImage(hDC, pItem, pInfo->sHotImage))
        return;

    if (!sOwnBkImage.IsEmpty() && bNormalRow) {
        if (!pItem->DrawImage(hDC, sOwnBkImage))
            sOwnBkImage.Empty();
    }
    if (sOwnBkImage.IsEmpty() && DrawStateImage(hDC, pItem, pInfo->sBkImage))
        return;

    if (pInfo->dwLineColor != 0) {
        RECT rcLine = { rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1 };
        CUIRender::DrawLine(hDC, rcLine, 1, pItem->AdjustColor(pInfo->dwLineColor));
    }
}

DWORD GetListItemTextColor(const UIListInfo* pInfo, bool bEnabled, bool bSelected, bool bHot)
{
    DWORD dwColor = bHot ? pInfo->dwHotTextColor : pInfo->dwTextColor;
    if (bSelected)
        dwColor = pInfo->dwSelectedTextColor;
    if (!bEnabled)
        dwColor = pInfo->dwDisabledTextColor;
    return dwColor;
}

void InvalidateListItem(CControlUI* pItem)
{
    if (pItem == NULL || !pItem->IsVisible())
        return;
    CControlUI* pParent = pItem->GetParent();
    CContainerUI* pContainer =
        pParent != NULL ? static_cast<CContainerUI*>(pParent->GetInterface(L"Container")) : NULL;
    if (pContainer == NULL) {
        pItem->Invalidate();
        return;
    }
    CUIManager* pManager = pItem->GetManager();
    if (pManager == NULL)
        return;

    RECT rcVisible = pContainer->GetPos();
    const RECT rcInset = pContainer->GetInset();
    rcVisible.left += rcInset.left;
    rcVisible.top += rcInset.top;
    rcVisible.right -= rcInset.right;
    rcVisible.bottom -= rcInset.bottom;
    CScrollBarUI* pVertical = pContainer->GetVerticalScrollBar();
    if (pVertical != NULL && pVertical->IsVisible())
        rcVisible.right -= pVertical->GetFixedWidth();
    CScrollBarUI* pHorizontal = pContainer->GetHorizontalScrollBar();
    if (pHorizontal != NULL && pHorizontal->IsVisible())
        rcVisible.bottom -= pHorizontal->GetFixedHeight();

    const RECT& rcItem = pItem->GetPos();
    if (!::IntersectRect(&rcVisible, &rcVisible, &rcItem))
        return;
    for (CControlUI* p = pParent->GetParent(); p != NULL; p = p->GetParent()) {
        const RECT& rcAncestor = p->GetPos();
        if (!::IntersectRect(&rcVisible, &rcVisible, &rcAncestor))
            return;
    }
    pManager->Invalidate(rcVisible);
}

int ListScrollDeltaToShow(const RECT& rcItem, const RECT& rcView)
{
    int dy = 0;
    if (rcItem.top < rcView.top)
        dy = rcItem.top - rcView.top;
    if (rcItem.bottom > rcView.bottom)
        dy = rcItem.bottom - rcView.bottom;
    return dy;
}

// ---------------------------------------------------------------------------
// CUIListItemCore
// ---------------------------------------------------------------------------
CUIListItemCore::CUIListItemCore(CControlUI* pControl)
    : m_iIndex(-1), m_bSelected(false), m_uButtonState(0), m_pOwner(NULL), m_pControl(pControl)
{
}

void CUIListItemCore::SetOwner(CControlUI* pOwner)
{
    m_pOwner = GetListOwner(pOwner);
}

bool CUIListItemCore::IsHot() const
{
    return (m_uButtonState & UIStateHot) != 0;
}

// A disabled item cannot be selected, but it can always be unselected: an
// owner moving its selection off it must not leave a second selected item.
bool CUIListItemCore::Select(bool bSelect)
{
    if (bSelect && !m_pControl->IsEnabled())
        return false;
    if (bSelect == m_bSelected)
        return true;
    m_bSelected = bSelect;
    if (bSelect && m_pOwner != NULL)
        m_pOwner->SelectItem(m_iIndex, false);
    InvalidateVisiblePart();
    return true;
}

void CUIListItemCore::OnVisibilityChanged()
{
    if (m_pControl->IsVisible() || !m_bSelected)
        return;
    m_bSelected = false;
    if (m_pOwner != NULL)
        m_pOwner->SelectItem(-1, false);
}

void CUIListItemCore::OnEnabledChanged()
{
    if (!m_pControl->IsEnabled())
        m_uButtonState = 0;
}

void CUIListItemCore::NotifyActivated()
{
    CUIManager* pManager = m_pControl->GetManager();
    if (pManager != NULL)
        pManager->SendNotify(m_pControl, L"itemactivate");
}

bool CUIListItemCore::HandleActivation(UIEvent& event)
{
    const bool bActivation =
        event.nKind == UIEventDoubleClick || (event.nKind == UIEventKeyDown && event.chKey == VK_RETURN);
    if (!bActivation || !m_pControl->IsEnabled())
        return false;
    m_pControl->Activate();
    InvalidateVisiblePart();
    return true;
}

bool CUIListItemCore::HandlePointer(UIEvent& event)
{
    switch (event.nKind) {
    case UIEventMouseMove:
    case UIEventButtonUp:
        return true;
    case UIEventMouseEnter:
        if (m_pControl->IsEnabled()) {
            m_uButtonState |= UIStateHot;
            InvalidateVisiblePart();
        }
        return true;
    case UIEventMouseLeave:
        if ((m_uButtonState & UIStateHot) != 0) {
            m_uButtonState &= ~UIStateHot;
            InvalidateVisiblePart();
        }
        return true;
    case UIEventButtonDown:
    case UIEventRButtonDown:
        if (m_pControl->IsEnabled()) {
            CUIManager* pManager = m_pControl->GetManager();
            if (pManager != NULL)
                pManager->SendNotify(m_pControl, L"itemclick");
            Select(true);
            InvalidateVisiblePart();
        }
        return true;
    default:
        return false;
    }
}

bool CUIListItemCore::PassToOwner(UIEvent& event)
{
    if (m_pOwner == NULL)
        return false;
    m_pOwner->HandleEvent(event);
    return true;
}

void CUIListItemCore::PaintBackground(HDC hDC, CUIString& sOwnBkImage)
{
    if (m_pOwner == NULL)
        return;
    PaintListItemBackground(hDC, m_pControl, sOwnBkImage, m_pOwner->GetListInfo(), m_iIndex, m_bSelected, IsHot());
}

void CUIListItemCore::InvalidateVisiblePart()
{
    InvalidateListItem(m_pControl);
}

} // namespace SkinUI
