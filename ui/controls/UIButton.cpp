#include "UIButton.h"

#include <wchar.h>

#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

namespace {

// Draws one image description; an image that fails to draw is emptied so
// that it is not tried again. True when it was drawn.
bool DrawOrForget(CControlUI* pControl, HDC hDC, CUIString& sImage)
{
    if (pControl->DrawImage(hDC, sImage))
        return true;
    sImage.Empty();
    return false;
}

} // namespace

CButtonUI::CButtonUI()
    : m_uButtonState(0)
    , m_dwHotBkColor(0)
    , m_dwHotTextColor(0)
    , m_dwPushedTextColor(0)
    , m_dwFocusedTextColor(0)
{
    m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

CButtonUI::~CButtonUI()
{
}

LPCTSTR CButtonUI::GetClassName() const
{
    return L"ButtonUI";
}

LPVOID CButtonUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return NULL;
    if (wcscmp(pstrName, L"Button") == 0 || wcscmp(pstrName, L"Label") == 0 || wcscmp(pstrName, L"Control") == 0)
        return static_cast<CButtonUI*>(this);
    return NULL;
}

UINT CButtonUI::GetInputFlags() const
{
    UINT uFlags = 0;
    if (IsKeyboardEnabled())
        uFlags |= TabStop;
    if (IsEnabled())
        uFlags |= WantSetCursor;
    return uFlags;
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"click");
    return true;
}

void CButtonUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CButtonUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }

    if (event.nKind == UIEventSetFocus || event.nKind == UIEventKillFocus)
        Invalidate();

    if (event.nKind == UIEventKeyDown && IsKeyboardEnabled()) {
        if (event.chKey == VK_SPACE || event.chKey == VK_RETURN) {
            Activate();
            return;
        }
    }

    switch (event.nKind) {
    case UIEventButtonDown:
    case UIEventDoubleClick:
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UIStatePushed | UIStateCaptured;
            Invalidate();
        }
        return;
    case UIEventMouseMove:
        if ((m_uButtonState & UIStateCaptured) != 0) {
            if (::PtInRect(&m_rcItem, event.ptMouse))
                m_uButtonState |= UIStatePushed;
            else
                m_uButtonState &= ~UIStatePushed;
            Invalidate();
        }
        return;
    case UIEventButtonUp:
        if ((m_uButtonState & UIStateCaptured) != 0) {
            if (::PtInRect(&m_rcItem, event.ptMouse))
                Activate();
            m_uButtonState &= ~(UIStatePushed | UIStateCaptured);
            Invalidate();
        }
        return;
    case UIEventContextMenu:
        if (IsContextMenuEnabled() && m_pManager != NULL)
            m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case UIEventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= UIStateHot;
            Invalidate();
        }
        break;
    case UIEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState &= ~UIStateHot;
            Invalidate();
        }
        break;
    case UIEventSetCursor:
        ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"normalimage") == 0)
        SetNormalImage(pstrValue);
    else if (wcscmp(pstrName, L"hotimage") == 0)
        SetHotImage(pstrValue);
    else if (wcscmp(pstrName, L"pushedimage") == 0)
        SetPushedImage(pstrValue);
    else if (wcscmp(pstrName, L"focusedimage") == 0)
        SetFocusedImage(pstrValue);
    else if (wcscmp(pstrName, L"disabledimage") == 0)
        SetDisabledImage(pstrValue);
    else if (wcscmp(pstrName, L"foreimage") == 0)
        SetForeImage(pstrValue);
    else if (wcscmp(pstrName, L"hotforeimage") == 0)
        SetHotForeImage(pstrValue);
    else if (wcscmp(pstrName, L"hotbkcolor") == 0)
        SetHotBkColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"hottextcolor") == 0)
        SetHotTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"pushedtextcolor") == 0)
        SetPushedTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"focusedtextcolor") == 0)
        SetFocusedTextColor(ParseColor(pstrValue, false));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

CUISize CButtonUI::MeasureSize(SIZE szAvailable)
{
    return MeasureTextLine(szAvailable, 8);
}

void CButtonUI::PaintStateImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UIStateFocused;
    else
        m_uButtonState &= ~UIStateFocused;
    if (!IsEnabled())
        m_uButtonState |= UIStateDisabled;
    else
        m_uButtonState &= ~UIStateDisabled;

    // The state with the highest priority chooses the image; a state without
    // (a drawable) image of its own shows the normal image.
    bool bNormal = true;
    if ((m_uButtonState & UIStateDisabled) != 0) {
        if (!m_sDisabledImage.IsEmpty() && DrawOrForget(this, hDC, m_sDisabledImage))
            bNormal = false;
    } else if ((m_uButtonState & UIStatePushed) != 0) {
        if (!m_sPushedImage.IsEmpty()) {
            DrawOrForget(this, hDC, m_sPushedImage);
            bNormal = false;
            if (!m_sPushedForeImage.IsEmpty()) {
                DrawOrForget(this, hDC, m_sPushedForeImage);
                return;
            }
        }
    } else if ((m_uButtonState & UIStateHot) != 0) {
        if (!m_sHotImage.IsEmpty()) {
            DrawOrForget(this, hDC, m_sHotImage);
            bNormal = false;
            if (!m_sHotForeImage.IsEmpty()) {
                DrawOrForget(this, hDC, m_sHotForeImage);
                return;
            }
        } else if (m_dwHotBkColor != 0) {
            CUIRender::FillRectColor(hDC, m_rcPaint, AdjustColor(m_dwHotBkColor));
            return;
        }
    } else if ((m_uButtonState & UIStateFocused) != 0) {
        if (!m_sFocusedImage.IsEmpty() && DrawOrForget(this, hDC, m_sFocusedImage))
            bNormal = false;
    }

    if (bNormal && !m_sNormalImage.IsEmpty())
        DrawOrForget(this, hDC, m_sNormalImage);
    if (!m_sForeImage.IsEmpty())
        DrawOrForget(this, hDC, m_sForeImage);
}

void CButtonUI::PaintText(HDC hDC)
{
    ResolveTextColors();
    if (m_sText.IsEmpty())
        return;

    CUIRect rc = GetTextRect();
    DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & UIStatePushed) != 0 && m_dwPushedTextColor != 0)
        dwColor = m_dwPushedTextColor;
    else if ((m_uButtonState & UIStateHot) != 0 && m_dwHotTextColor != 0)
        dwColor = m_dwHotTextColor;
    else if ((m_uButtonState & UIStateFocused) != 0 && m_dwFocusedTextColor != 0)
        dwColor = m_dwFocusedTextColor;

    if (m_bShowHtml) {
        int nLinks = 0;
        CUIRender::DrawTaggedText(hDC, m_pManager, rc, m_sText, dwColor, NULL, NULL, nLinks, m_uTextStyle);
    } else {
        CUIRender::DrawPlainText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, m_uTextStyle);
    }
}

// ---------------------------------------------------------------------------
// Images and colours
// ---------------------------------------------------------------------------
void CButtonUI::SetNormalImage(LPCTSTR pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetHotImage(LPCTSTR pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetPushedImage(LPCTSTR pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetFocusedImage(LPCTSTR pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetDisabledImage(LPCTSTR pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetForeImage(LPCTSTR pStrImage)
{
    m_sForeImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetHotForeImage(LPCTSTR pStrImage)
{
    m_sHotForeImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetHotBkColor(DWORD dwColor)
{
    m_dwHotBkColor = dwColor;
}

void CButtonUI::SetHotTextColor(DWORD dwColor)
{
    m_dwHotTextColor = dwColor;
}

DWORD CButtonUI::GetHotTextColor() const
{
    return m_dwHotTextColor;
}

void CButtonUI::SetPushedTextColor(DWORD dwColor)
{
    m_dwPushedTextColor = dwColor;
}

DWORD CButtonUI::GetPushedTextColor() const
{
    return m_dwPushedTextColor;
}

void CButtonUI::SetFocusedTextColor(DWORD dwColor)
{
    m_dwFocusedTextColor = dwColor;
}

DWORD CButtonUI::GetFocusedTextColor() const
{
    return m_dwFocusedTextColor;
}

} // namespace SkinUI
