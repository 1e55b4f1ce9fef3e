// The date picker window of CDateTimeUI over the platform's date-time picker
// control: creation over the control, the keys and the focus loss that end
// it, and its own deletion.
#include "UIDateTimeWnd.h"

#include <commctrl.h>

#include "UIDateTime.h"
#include "UIManager.h"

namespace SkinUI {

namespace {

// The paint manager hands a child's WM_NOTIFY back to the child at this offset.
const UINT kReflectedNotify = WM_NOTIFY + 0x2000;
// Posted to itself when its calendar closed or lost the focus: by then the
// focus has settled.
const UINT kMsgCheckFocus = WM_APP + 2;
// Properties of a watched window: the picker to tell and the window
// procedure that was in place before.
const wchar_t kWatchPicker[] = L"SkinUIDatePicker";
const wchar_t kWatchProc[] = L"SkinUIDatePickerProc";

bool RegisterDateClasses()
{
    return CUIManager::InitCommonControlClasses(ICC_DATE_CLASSES);
}

} // namespace

CDateTimeWnd::CDateTimeWnd() : m_pOwner(NULL), m_bInit(false), m_hWatched(NULL)
{
}

CDateTimeWnd::~CDateTimeWnd()
{
}

LPCTSTR CDateTimeWnd::GetWindowClassName() const
{
    return L"DateTimeWnd";
}

LPCTSTR CDateTimeWnd::GetSuperClassName() const
{
    return DATETIMEPICK_CLASSW;
}

bool CDateTimeWnd::Init(CDateTimeUI* pOwner)
{
    m_pOwner = pOwner;
    pOwner->m_nDTUpdateFlag = CDateTimeUI::UpdateNone;

    if (m_hWnd == NULL) {
        CUIManager* pManager = pOwner->GetManager();
        HWND hWnd = NULL;
        if (pManager != NULL && pManager->GetPaintWindow() != NULL) {
            static const bool bRegistered = RegisterDateClasses();
            (void)bRegistered;
            hWnd = CreateWithRect(pManager->GetPaintWindow(), NULL, WS_CHILD, 0, pOwner->GetPos());
        }
        if (hWnd == NULL) {
            // A window that failed after it was made has deleted this object
            // already and cleared the owner's pointer; one that was never made
            // has not.
            if (pOwner->m_pWindow == this) {
                pOwner->m_pWindow = NULL;
                delete this;
            }
            return false;
        }
        HFONT hFont = pManager->GetFont(pOwner->GetFont());
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    }

    if (pOwner->GetText().IsEmpty())
        ::GetLocalTime(&pOwner->m_sysTime);
    ::SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&pOwner->m_sysTime));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
    return true;
}

void CDateTimeWnd::Detach()
{
    m_pOwner = NULL;
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    else
        delete this;
}

void CDateTimeWnd::OnWindowDestroyed(HWND /*hWnd*/)
{
    if (m_pOwner != NULL)
        m_pOwner->m_pWindow = NULL;
    delete this;
}

bool CDateTimeWnd::OwnsWindow(HWND hWnd) const
{
    if (hWnd == NULL || m_hWnd == NULL)
        return false;
    if (hWnd == m_hWnd || ::IsChild(m_hWnd, hWnd))
        return true;
    HWND hCalendar = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, DTM_GETMONTHCAL, 0, 0));
    if (hCalendar != NULL && (hWnd == hCalendar || ::IsChild(hCalendar, hWnd)))
        return true;
    // Pop-ups the picker opened are owned by it (or by one of its windows).
    for (HWND hOwner = ::GetWindow(hWnd, GW_OWNER); hOwner != NULL; hOwner = ::GetWindow(hOwner, GW_OWNER)) {
        if (hOwner == m_hWnd || ::IsChild(m_hWnd, hOwner))
            return true;
    }
    return false;
}

void CDateTimeWnd::Watch(HWND hWnd)
{
    if (hWnd == NULL || hWnd == m_hWatched || hWnd == m_hWnd)
        return;
    Unwatch();
    if (::GetPropW(hWnd, kWatchProc) != NULL)
        return;
    const LONG_PTR pOld = ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    if (pOld == 0)
        return;
    ::SetPropW(hWnd, kWatchPicker, static_cast<HANDLE>(m_hWnd));
    ::SetPropW(hWnd, kWatchProc, reinterpret_cast<HANDLE>(pOld));
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDateTimeWnd::WatchedProc));
    m_hWatched = hWnd;
}

void CDateTimeWnd::Unwatch()
{
    const HWND hWnd = m_hWatched;
    m_hWatched = NULL;
    if (hWnd == NULL || !::IsWindow(hWnd))
        return;
    // Only while nobody has put a procedure of its own over ours.
    if (::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&CDateTimeWnd::WatchedProc))
        return;
    const LONG_PTR pOld = reinterpret_cast<LONG_PTR>(::GetPropW(hWnd, kWatchProc));
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, pOld);
    ::RemovePropW(hWnd, kWatchPicker);
    ::RemovePropW(hWnd, kWatchProc);
}

LRESULT CALLBACK CDateTimeWnd::WatchedProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC pOld = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kWatchProc));
    const HWND hPicker = static_cast<HWND>(::GetPropW(hWnd, kWatchPicker));
    if (pOld == NULL)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pOld));
        ::RemovePropW(hWnd, kWatchPicker);
        ::RemovePropW(hWnd, kWatchProc);
        return ::CallWindowProcW(pOld, hWnd, uMsg, wParam, lParam);
    }
    const LRESULT lRes = ::CallWindowProcW(pOld, hWnd, uMsg, wParam, lParam);
    // A handle the picker no longer has (it is gone) receives nothing.
    if (uMsg == WM_KILLFOCUS && hPicker != NULL && ::IsWindow(hPicker))
        ::PostMessageW(hPicker, kMsgCheckFocus, 0, 0L);
    return lRes;
}

void CDateTimeWnd::Finish()
{
    if (m_pOwner != NULL && m_pOwner->m_nDTUpdateFlag == CDateTimeUI::UpdateNone) {
        ::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
        m_pOwner->m_nDTUpdateFlag = CDateTimeUI::UpdateShowDate;
        m_pOwner->UpdateText();
    }
    PostMsg(WM_CLOSE);
}

LRESULT CDateTimeWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KILLFOCUS: {
        const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        // The drop-down calendar takes the focus while it is open; the
        // picker ends when the focus leaves it and its calendar.
        const HWND hFocus = reinterpret_cast<HWND>(wParam);
        if (OwnsWindow(hFocus))
            Watch(hFocus);
        else
            Finish();
        return lRes;
    }
    case WM_KEYUP:
        if (wParam == VK_DELETE || wParam == VK_BACK) {
            const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
            if (m_pOwner != NULL) {
                m_pOwner->m_nDTUpdateFlag = CDateTimeUI::UpdateClear;
                m_pOwner->UpdateText();
            }
            PostMsg(WM_CLOSE);
            return lRes;
        }
        if (wParam == VK_ESCAPE) {
            const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
            if (m_pOwner != NULL)
                m_pOwner->m_nDTUpdateFlag = CDateTimeUI::UpdateKeep;
            PostMsg(WM_CLOSE);
            return lRes;
        }
        break;
    case kReflectedNotify: {
        const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (pHeader != NULL && pHeader->code == static_cast<UINT>(DTN_CLOSEUP))
            PostMsg(kMsgCheckFocus);
        break;
    }
    case WM_DESTROY:
        Unwatch();
        break;
    case kMsgCheckFocus:
        if (!OwnsWindow(::GetFocus()))
            Finish();
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace SkinUI
