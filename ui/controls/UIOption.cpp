#include "UIOption.h"

#include <wchar.h>

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

COptionUI::COptionUI()
    : m_bSelected(false)
    , m_dwSelectedBkColor(0)
    , m_dwSelectedTextColor(0)
    , m_pGroupManager(NULL)
{
}

COptionUI::~COptionUI()
{
    LeaveGroup();
}

void COptionUI::JoinGroup(CUIManager* pManager)
{
    if (pManager == NULL || m_sGroupName.IsEmpty())
        return;
    pManager->AddOptionGroup(m_sGroupName, this);   // false when already a member
    m_pGroupManager = pManager;
}

void COptionUI::LeaveGroup()
{
    if (m_pGroupManager != NULL && !m_sGroupName.IsEmpty())
        m_pGroupManager->RemoveOptionGroup(m_sGroupName, this);
    m_pGroupManager = NULL;
}

LPCTSTR COptionUI::GetClassName() const
{
    return L"OptionUI";
}

LPVOID COptionUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return NULL;
    if (wcscmp(pstrName, L"Option") == 0 || wcscmp(pstrName, L"Button") == 0 || wcscmp(pstrName, L"Label") == 0
        || wcscmp(pstrName, L"Control") == 0)
        return static_cast<COptionUI*>(this);
    return NULL;
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    if (!m_sGroupName.IsEmpty())
        SetSelected(true);
    else
        SetSelected(!m_bSelected);
    return true;
}

void COptionUI::SetManager(CUIManager* pManager, CControlUI* pParent, bool bInit)
{
    // Attached to another window: leave the old window's group, so that no
    // manager keeps a pointer to an option it no longer owns. A detach to no
    // manager (the dialog builder does that between attribute calls) keeps
    // the membership.
    if (pManager != NULL && m_pGroupManager != NULL && pManager != m_pGroupManager)
        LeaveGroup();
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (bInit && pManager != NULL)
        JoinGroup(pManager);
}

void COptionUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = m_bSelected ? UIStateSelected : 0;
}

void COptionUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"group") == 0)
        SetGroup(pstrValue);
    else if (wcscmp(pstrName, L"selected") == 0)
        SetSelected(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"selectedimage") == 0)
        SetSelectedImage(pstrValue);
    else if (wcscmp(pstrName, L"selectedhotimage") == 0)
        SetSelectedHotImage(pstrValue);
    else if (wcscmp(pstrName, L"foreimage") == 0)
        SetForeImage(pstrValue);
    else if (wcscmp(pstrName, L"selectedbkcolor") == 0)
        SetSelectedBkColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"selectedtextcolor") == 0)
        SetSelectedTextColor(ParseColor(pstrValue, false));
    else
        CButtonUI::SetAttribute(pstrName, pstrValue);
}

void COptionUI::SetSelected(bool bSelected)
{
    if (m_bSelected == bSelected)
        return;
    m_bSelected = bSelected;
    if (m_bSelected)
        m_uButtonState |= UIStateSelected;
    else
        m_uButtonState &= ~UIStateSelected;

    if (m_pManager == NULL) {
        Invalidate();
        return;
    }

    if (!m_sGroupName.IsEmpty()) {
        if (!m_bSelected) {
            Invalidate();
            return;
        }
        CUIPtrArray* pGroup = m_pManager->GetOptionGroup(m_sGroupName);
        for (int i = 0; pGroup != NULL && i < pGroup->GetSize(); ++i) {
            CControlUI* pControl = static_cast<CControlUI*>(pGroup->GetAt(i));
            if (pControl == NULL || pControl == this)
                continue;
            COptionUI* pOption = static_cast<COptionUI*>(pControl->GetInterface(L"Option"));
            if (pOption != NULL)
                pOption->SetSelected(false);
        }
    }

    m_pManager->SendNotify(this, L"selectchanged");
    Invalidate();
}

bool COptionUI::IsSelected() const
{
    return m_bSelected;
}

LPCTSTR COptionUI::GetGroup() const
{
    return m_sGroupName;
}

void COptionUI::SetGroup(LPCTSTR pStrGroupName)
{
    if (pStrGroupName != NULL) {
        if (m_sGroupName == pStrGroupName)
            return;
        LeaveGroup();
        m_sGroupName = pStrGroupName;
    } else {
        if (m_sGroupName.IsEmpty())
            return;
        LeaveGroup();
        m_sGroupName.Empty();
    }

    if (m_pManager != NULL)
        JoinGroup(m_pManager);

    SetSelected(m_bSelected);
}

void COptionUI::SetSelectedImage(LPCTSTR pStrImage)
{
    m_sSelectedImage = pStrImage;
    Invalidate();
}

void COptionUI::SetSelectedHotImage(LPCTSTR pStrImage)
{
    m_sSelectedHotImage = pStrImage;
    Invalidate();
}

void COptionUI::SetForeImage(LPCTSTR pStrImage)
{
    m_sOptionForeImage = pStrImage;
    Invalidate();
}

void COptionUI::SetSelectedBkColor(DWORD dwBkColor)
{
    m_dwSelectedBkColor = dwBkColor;
}

void COptionUI::SetSelectedTextColor(DWORD dwTextColor)
{
    m_dwSelectedTextColor = dwTextColor;
}

void COptionUI::PaintStateImage(HDC hDC)
{
    // An option has no pushed look; the captured bit still drives the click.
    m_uButtonState &= ~UIStatePushed;

    if ((m_uButtonState & UIStateHot) != 0 && m_bSelected && !m_sSelectedHotImage.IsEmpty()) {
        if (!DrawImage(hDC, m_sSelectedHotImage)) {
            m_sSelectedHotImage.Empty();
            CButtonUI::PaintStateImage(hDC);
        }
    } else if ((m_uButtonState & UIStateSelected) != 0) {
        if (!m_sSelectedImage.IsEmpty()) {
            if (!DrawImage(hDC, m_sSelectedImage)) {
                m_sSelectedImage.Empty();
                CButtonUI::PaintStateImage(hDC);
            }
        } else if (m_dwSelectedBkColor != 0) {
            CUIRender::FillRectColor(hDC, m_rcPaint, AdjustColor(m_dwSelectedBkColor));
            return;
        } else {
            CButtonUI::PaintStateImage(hDC);
        }
    } else {
        CButtonUI::PaintStateImage(hDC);
    }

    if (!m_sOptionForeImage.IsEmpty() && !DrawImage(hDC, m_sOptionForeImage))
        m_sOptionForeImage.Empty();
}

void COptionUI::PaintText(HDC hDC)
{
    if (!m_bSelected) {
        CButtonUI::PaintText(hDC);
        return;
    }

    ResolveTextColors();
    if (m_sText.IsEmpty())
        return;

    // The selected colour is used for this paint only.
    DWORD dwColor = m_dwDisabledTextColor;
    if (IsEnabled())
        dwColor = m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : m_dwTextColor;

    CUIRect rc = GetTextRect();
    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRender::DrawTaggedText(hDC, m_pManager, rc, m_sText, dwColor, NULL, NULL, nLinks, m_uTextStyle);
    } else {
        CUIRender::DrawPlainText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, m_uTextStyle);
    }
}

// ---------------------------------------------------------------------------
// CCheckBoxUI
// ---------------------------------------------------------------------------
LPCTSTR CCheckBoxUI::GetClassName() const
{
    return L"CheckBoxUI";
}

bool CCheckBoxUI::GetCheck() const
{
    return IsSelected();
}

} // namespace SkinUI
