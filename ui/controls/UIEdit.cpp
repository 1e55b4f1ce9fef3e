// The edit box of the UI library and its native pop-up edit (see UIEdit.h).
#include "UIEdit.h"

#include <stdlib.h>
#include <wchar.h>

#include <string>

#include "UIButton.h"
#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {

namespace {

// The manager reflects a child's WM_COMMAND and colour requests back to the
// child at these numbers.
const UINT kReflectedCommand = WM_COMMAND + 0x2000;
const UINT kReflectedCtlColorEdit = WM_CTLCOLOREDIT + 0x2000;
const UINT kReflectedCtlColorStatic = WM_CTLCOLORSTATIC + 0x2000;

// The native edit background that means "the platform's colours".
const DWORD kPlatformColors = 0xFFFFFFFF;

// 0xAARRGGBB -> the platform's 0x00BBGGRR.
COLORREF ToColorRef(DWORD dwColor)
{
    return RGB((dwColor >> 16) & 0xFF, (dwColor >> 8) & 0xFF, dwColor & 0xFF);
}

bool DrawOrForget(CControlUI* pControl, HDC hDC, CUIString& sImage)
{
    if (pControl->DrawImage(hDC, sImage))
        return true;
    sImage.Empty();
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// CEditWnd
// ---------------------------------------------------------------------------
CEditWnd::CEditWnd() : m_pOwner(NULL), m_hBkBrush(NULL), m_bInit(false)
{
}

CEditWnd::~CEditWnd()
{
}

LPCTSTR CEditWnd::GetWindowClassName() const
{
    return L"EditWnd";
}

LPCTSTR CEditWnd::GetSuperClassName() const
{
    return L"Edit";
}

UINT CEditWnd::GetClassStyle() const
{
    return 0;
}

RECT CEditWnd::CalcPos()
{
    CUIRect rcPos;
    if (m_pOwner == NULL)
        return rcPos;
    rcPos = m_pOwner->GetPos();
    const CUIRect& rcInset = m_pOwner->m_rcTextPadding;
    rcPos.left += rcInset.left;
    rcPos.top += rcInset.top;
    rcPos.right -= rcInset.right;
    rcPos.bottom -= rcInset.bottom;
    CUIManager* pManager = m_pOwner->GetManager();
    const UIFontInfo* pFont = pManager != NULL ? pManager->GetFontInfoByIndex(m_pOwner->GetFont()) : NULL;
    const LONG lEditHeight = pFont != NULL ? pFont->tm.tmHeight : 0;
    if (lEditHeight < rcPos.GetHeight()) {
        rcPos.top += (rcPos.GetHeight() - lEditHeight) / 2;
        rcPos.bottom = rcPos.top + lEditHeight;
    }
    return rcPos;
}

bool CEditWnd::Init(CEditUI* pOwner)
{
    CUIManager* pManager = pOwner->GetManager();
    if (pManager == NULL || pManager->GetPaintWindow() == NULL) {
        delete this;
        return false;
    }
    m_pOwner = pOwner;
    pOwner->m_pWindow = this;
    RECT rcPos = CalcPos();
    const DWORD dwStyle = WS_CHILD | ES_AUTOHSCROLL | (pOwner->IsPasswordMode() ? ES_PASSWORD : 0);
    if (CreateWithRect(pManager->GetPaintWindow(), NULL, dwStyle, 0, rcPos) == NULL) {
        // A window that got as far as its creation messages has been destroyed
        // and has deleted this object (and cleared the owner's pointer) already.
        if (pOwner->m_pWindow == this) {
            pOwner->m_pWindow = NULL;
            delete this;
        }
        return false;
    }

    HFONT hFont = NULL;
    const int iFontIndex = pOwner->GetFont();
    if (iFontIndex != -1)
        hFont = pManager->GetFont(iFontIndex);
    if (hFont == NULL)
        hFont = pManager->GetDefaultFontInfo()->hFont;
    SendMsg(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);

    SendMsg(EM_LIMITTEXT, pOwner->GetMaxChar());
    if (pOwner->IsPasswordMode())
        SendMsg(EM_SETPASSWORDCHAR, pOwner->GetPasswordChar());

    ::SetWindowTextW(m_hWnd, pOwner->CControlUI::GetText().GetData());
    SendMsg(EM_SETMODIFY, FALSE);
    SendMsg(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::EnableWindow(m_hWnd, pOwner->IsEnabled() ? TRUE : FALSE);
    SendMsg(EM_SETREADONLY, pOwner->IsReadOnly() ? TRUE : FALSE);

    const LONG_PTR styleValue = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, styleValue | pOwner->GetWindowStyles());

    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
    return true;
}

void CEditWnd::Detach()
{
    m_pOwner = NULL;
}

void CEditWnd::OnWindowDestroyed(HWND /*hWnd*/)
{
    if (m_pOwner != NULL) {
        m_pOwner->Invalidate();
        m_pOwner->m_pWindow = NULL;
    }
    if (m_hBkBrush != NULL)
        ::DeleteObject(m_hBkBrush);
    delete this;
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KILLFOCUS:
        return OnKillFocus(uMsg, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (m_pOwner != NULL && m_pOwner->GetManager() != NULL)
                m_pOwner->GetManager()->SendNotify(m_pOwner, L"return");
            return 0;
        }
        break;
    case kReflectedCommand:
        if (HIWORD(wParam) == EN_CHANGE)
            OnEditChanged();
        else if (HIWORD(wParam) == EN_UPDATE) {
            RECT rcClient;
            ::GetClientRect(m_hWnd, &rcClient);
            ::InvalidateRect(m_hWnd, &rcClient, FALSE);
        }
        return 0;
    case kReflectedCtlColorEdit:
    case kReflectedCtlColorStatic: {
        if (m_pOwner == NULL || m_pOwner->GetNativeEditBkColor() == kPlatformColors)
            return 0;
        HDC hDC = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(hDC, TRANSPARENT);
        ::SetTextColor(hDC, ToColorRef(m_pOwner->GetTextColor()));
        if (m_hBkBrush == NULL)
            m_hBkBrush = ::CreateSolidBrush(ToColorRef(m_pOwner->GetNativeEditBkColor()));
        return reinterpret_cast<LRESULT>(m_hBkBrush);
    }
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT CEditWnd::OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    PostMsg(WM_CLOSE);
    return lRes;
}

LRESULT CEditWnd::OnEditChanged()
{
    if (!m_bInit || m_pOwner == NULL)
        return 0;
    const int cchLen = ::GetWindowTextLengthW(m_hWnd) + 1;
    wchar_t* pstr = static_cast<wchar_t*>(calloc(static_cast<size_t>(cchLen), sizeof(wchar_t)));
    if (pstr == NULL)
        return 0;
    ::GetWindowTextW(m_hWnd, pstr, cchLen);
    m_pOwner->m_sText = pstr;
    free(pstr);
    if (m_pOwner->GetManager() != NULL)
        m_pOwner->GetManager()->SendNotify(m_pOwner, L"textchanged");
    return 0;
}

// ---------------------------------------------------------------------------
// CEditUI
// ---------------------------------------------------------------------------
CEditUI::CEditUI()
    : m_pWindow(NULL)
    , m_uMaxChar(255)
    , m_bReadOnly(false)
    , m_bPasswordMode(false)
    , m_cPasswordChar(L'*')
    , m_uButtonState(0)
    , m_dwEditbkColor(kPlatformColors)
    , m_iWindowStyles(0)
{
    SetTextPadding(CUIRect(4, 3, 4, 3));
    SetBackgroundColor(0xFFFFFFFF);
}

CEditUI::~CEditUI()
{
    // A native edit still open belongs to a window that outlives this
    // control: cut it loose and close it.
    if (m_pWindow != NULL) {
        CEditWnd* pWindow = m_pWindow;
        m_pWindow = NULL;
        pWindow->Detach();
        const HWND hWnd = pWindow->GetHWND();
        if (hWnd != NULL && ::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
    }
}

LPCTSTR CEditUI::GetClassName() const
{
    return L"EditUI";
}

LPVOID CEditUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Edit") == 0)
        return static_cast<CEditUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CEditUI::GetInputFlags() const
{
    if (IsEnabled())
        return TabStop | WantSetCursor;
    return 0;
}

CEditWnd* CEditUI::GetEditWindow() const
{
    return m_pWindow;
}

void CEditUI::OpenNativeEdit()
{
    // On success the window sets m_pWindow; on failure it is gone again.
    CEditWnd* pWindow = new CEditWnd();
    pWindow->Init(this);
}

void CEditUI::SetText(LPCTSTR pstrText)
{
    m_sText = pstrText;
    if (m_pWindow != NULL)
        ::SetWindowTextW(m_pWindow->GetHWND(), m_sText.GetData());
    Invalidate();
}

void CEditUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (m_pWindow != NULL) {
        RECT rcPos = m_pWindow->CalcPos();
        ::SetWindowPos(m_pWindow->GetHWND(), NULL, rcPos.left, rcPos.top, rcPos.right - rcPos.left,
                       rcPos.bottom - rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::DropFocusIfHidden()
{
    if (!IsVisible() && m_pWindow != NULL && m_pManager != NULL)
        m_pManager->SetFocus(NULL);
}

void CEditUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    DropFocusIfHidden();
}

void CEditUI::SetInheritedVisible(bool bVisible)
{
    CControlUI::SetInheritedVisible(bVisible);
    DropFocusIfHidden();
}

void CEditUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CEditUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }

    if (event.nKind == UIEventSetCursor && IsEnabled()) {
        ::SetCursor(::LoadCursorW(NULL, IDC_IBEAM));
        return;
    }
    if (event.nKind == UIEventWindowSize && m_pWindow != NULL && m_pManager != NULL)
        m_pManager->SetFocusNeeded(this);
    if (event.nKind == UIEventScrollWheel && m_pWindow != NULL)
        return;
    if (event.nKind == UIEventSetFocus && IsEnabled()) {
        if (m_pWindow != NULL)
            return;
        OpenNativeEdit();
        Invalidate();
    }
    if (event.nKind == UIEventKillFocus && IsEnabled())
        Invalidate();

    switch (event.nKind) {
    case UIEventMouseMove:
    case UIEventButtonUp:
    case UIEventContextMenu:
        return;
    case UIEventMouseEnter:
        if (IsEnabled()) {
            m_uButtonState |= UIStateHot;
            Invalidate();
        }
        return;
    case UIEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState &= ~UIStateHot;
            Invalidate();
        }
        return;
    case UIEventButtonDown:
    case UIEventRButtonDown:
    case UIEventDoubleClick:
        if (!IsEnabled())
            return;
        if (m_pManager != NULL)
            m_pManager->EndCapture();
        if (IsFocused() && m_pWindow == NULL) {
            OpenNativeEdit();
            if (!::PtInRect(&m_rcItem, event.ptMouse))
                return;
        }
        if (m_pWindow != NULL) {
            const int nSize = ::GetWindowTextLengthW(m_pWindow->GetHWND());
            ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, 0, nSize == 0 ? 1 : nSize);
        }
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"readonly") == 0)
        SetReadOnly(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"numberonly") == 0)
        SetNumberOnly(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"password") == 0)
        SetPasswordMode(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"maxchar") == 0)
        SetMaxChar(static_cast<UINT>(wcstol(pstrValue, NULL, 10)));
    else if (wcscmp(pstrName, L"normalimage") == 0)
        SetNormalImage(pstrValue);
    else if (wcscmp(pstrName, L"hotimage") == 0)
        SetHotImage(pstrValue);
    else if (wcscmp(pstrName, L"focusedimage") == 0)
        SetFocusedImage(pstrValue);
    else if (wcscmp(pstrName, L"disabledimage") == 0)
        SetDisabledImage(pstrValue);
    else if (wcscmp(pstrName, L"nativebkcolor") == 0)
        SetNativeEditBkColor(ParseColor(pstrValue, false));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

CUISize CEditUI::MeasureSize(SIZE szAvailable)
{
    return MeasureTextLine(szAvailable, 6);
}

void CEditUI::SetMaxChar(UINT uMax)
{
    m_uMaxChar = uMax;
    if (m_pWindow != NULL)
        ::SendMessageW(m_pWindow->GetHWND(), EM_LIMITTEXT, m_uMaxChar, 0);
}

UINT CEditUI::GetMaxChar() const
{
    return m_uMaxChar;
}

void CEditUI::SetReadOnly(bool bReadOnly)
{
    if (m_bReadOnly == bReadOnly)
        return;
    m_bReadOnly = bReadOnly;
    if (m_pWindow != NULL)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETREADONLY, m_bReadOnly ? TRUE : FALSE, 0);
    Invalidate();
}

bool CEditUI::IsReadOnly() const
{
    return m_bReadOnly;
}

void CEditUI::SetNumberOnly(bool bNumberOnly)
{
    if (bNumberOnly)
        m_iWindowStyles |= ES_NUMBER;
    else
        m_iWindowStyles &= ~ES_NUMBER;
}

int CEditUI::GetWindowStyles() const
{
    return m_iWindowStyles;
}

void CEditUI::SetPasswordMode(bool bPasswordMode)
{
    if (m_bPasswordMode == bPasswordMode)
        return;
    m_bPasswordMode = bPasswordMode;
    Invalidate();
}

bool CEditUI::IsPasswordMode() const
{
    return m_bPasswordMode;
}

wchar_t CEditUI::GetPasswordChar() const
{
    return m_cPasswordChar;
}

void CEditUI::SetNormalImage(LPCTSTR pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CEditUI::SetHotImage(LPCTSTR pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CEditUI::SetFocusedImage(LPCTSTR pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CEditUI::SetDisabledImage(LPCTSTR pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CEditUI::SetNativeEditBkColor(DWORD dwBkColor)
{
    m_dwEditbkColor = dwBkColor;
}

DWORD CEditUI::GetNativeEditBkColor() const
{
    return m_dwEditbkColor;
}

void CEditUI::PaintStateImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UIStateFocused;
    else
        m_uButtonState &= ~UIStateFocused;
    if (!IsEnabled())
        m_uButtonState |= UIStateDisabled;
    else
        m_uButtonState &= ~UIStateDisabled;

    CUIString* pState = NULL;
    if ((m_uButtonState & UIStateDisabled) != 0)
        pState = &m_sDisabledImage;
    else if ((m_uButtonState & UIStateFocused) != 0)
        pState = &m_sFocusedImage;
    else if ((m_uButtonState & UIStateHot) != 0)
        pState = &m_sHotImage;
    if (pState != NULL && !pState->IsEmpty() && DrawOrForget(this, hDC, *pState))
        return;

    if (!m_sNormalImage.IsEmpty())
        DrawOrForget(this, hDC, m_sNormalImage);
}

void CEditUI::PaintText(HDC hDC)
{
    ResolveTextColors();
    if (m_sText.IsEmpty())
        return;

    CUIString sText = m_sText;
    if (m_bPasswordMode) {
        // One password char per character: count them, then build the mask
        // in one block (appending char by char copies the text each time).
        int count = 0;
        for (LPCTSTR p = m_sText.GetData(); *p != L'\0'; p = ::CharNextW(p))
            ++count;
        std::wstring mask((size_t)count, m_cPasswordChar);
        sText.Assign(mask.c_str(), count);
    }

    CUIRect rc = GetTextRect();
    const DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    CUIRender::DrawPlainText(hDC, m_pManager, rc, sText, dwColor, m_iFont, DT_SINGLELINE | m_uTextStyle);
}

} // namespace SkinUI
