// The date control: its text from the stored date, and the events that open
// the picker window over it.
#include "UIDateTime.h"

#include <wchar.h>

#include "UIDateTimeWnd.h"
#include "UIManager.h"

namespace SkinUI {

CDateTimeUI::CDateTimeUI() : m_nDTUpdateFlag(UpdateShowDate), m_pWindow(NULL)
{
    ::GetLocalTime(&m_sysTime);
    UpdateText();
    m_nDTUpdateFlag = UpdateNone;
}

CDateTimeUI::~CDateTimeUI()
{
    // The picker writes into its control when it closes: it must not outlive it.
    if (m_pWindow != NULL) {
        CDateTimeWnd* pWindow = m_pWindow;
        m_pWindow = NULL;
        pWindow->Detach();
    }
}

LPCTSTR CDateTimeUI::GetClassName() const
{
    return L"DateTimeUI";
}

LPVOID CDateTimeUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"DateTime") == 0)
        return static_cast<CDateTimeUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

void CDateTimeUI::UpdateText()
{
    if (m_nDTUpdateFlag == UpdateShowDate) {
        CUIString sText;
        sText.FormatShort(L"%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth, m_sysTime.wDay);
        SetText(sText);
    } else if (m_nDTUpdateFlag == UpdateClear) {
        SetText(L"");
    }
}

void CDateTimeUI::ShowPicker()
{
    if (m_pWindow == NULL)
        return;
    // A picker that cannot be made is gone again and has cleared m_pWindow.
    if (!m_pWindow->Init(this) || m_pWindow == NULL)
        return;
    m_pWindow->Show(true, true);
}

void CDateTimeUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }

    switch (event.nKind) {
    case UIEventSetCursor:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursor(NULL, IDC_IBEAM));
            return;
        }
        break;
    case UIEventWindowSize:
        if (m_pWindow != NULL && m_pManager != NULL)
            m_pManager->SetFocusNeeded(this);
        break;
    case UIEventScrollWheel:
        if (m_pWindow != NULL)
            return;
        break;
    case UIEventSetFocus:
        if (IsEnabled() && m_pWindow == NULL) {
            m_pWindow = new CDateTimeWnd;
            ShowPicker();
        }
        break;
    case UIEventKillFocus:
        if (IsEnabled())
            Invalidate();
        break;
    case UIEventButtonDown:
    case UIEventRButtonDown:
    case UIEventDoubleClick:
        if (IsEnabled()) {
            if (m_pManager != NULL)
                m_pManager->EndCapture();
            if (IsFocused() && m_pWindow == NULL)
                m_pWindow = new CDateTimeWnd;
            ShowPicker();
            return;
        }
        break;
    case UIEventMouseMove:
    case UIEventMouseLeave:
    case UIEventMouseEnter:
    case UIEventButtonUp:
    case UIEventContextMenu:
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

} // namespace SkinUI
