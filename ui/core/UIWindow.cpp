#include "UIWindow.h"

#include "UIManager.h"

namespace SkinUI {

namespace {

// Window property that holds the object of a superclassed window.
const wchar_t kSuperclassProp[] = L"WndX";

} // namespace

CWindowWnd::CWindowWnd() : m_hWnd(NULL), m_OldWndProc(::DefWindowProcW)
{
}

CWindowWnd::~CWindowWnd()
{
}

HWND CWindowWnd::GetHWND() const
{
    return m_hWnd;
}

LPCTSTR CWindowWnd::GetSuperClassName() const
{
    return NULL;
}

UINT CWindowWnd::GetClassStyle() const
{
    return 0;
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnWindowDestroyed(HWND /*hWnd*/)
{
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                        int x, int y, int cx, int cy, HMENU hMenu)
{
    if (GetSuperClassName() != NULL) {
        if (!RegisterSuperclass())
            return NULL;
    } else if (!RegisterWindowClass()) {
        return NULL;
    }
    HWND hWnd = ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy,
                                  hwndParent, hMenu, CUIManager::GetInstance(), this);
    // A window that fails during creation has already run WM_NCDESTROY, and
    // OnWindowDestroyed may have deleted this object: touch it only on success.
    if (hWnd != NULL)
        m_hWnd = hWnd;
    return hWnd;
}

HWND CWindowWnd::CreateWithRect(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                                const RECT& rc, HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, hMenu);
}

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSW wc;
    ::ZeroMemory(&wc, sizeof(wc));
    wc.style = GetClassStyle();
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hIcon = NULL;
    wc.lpfnWndProc = CWindowWnd::WindowProc;
    wc.hInstance = CUIManager::GetInstance();
    wc.hCursor = ::LoadCursorW(NULL, IDC_ARROW);
    wc.hbrBackground = NULL;
    wc.lpszMenuName = NULL;
    wc.lpszClassName = GetWindowClassName();
    ATOM ret = ::RegisterClassW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass()
{
    WNDCLASSEXW wc;
    ::ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(NULL, GetSuperClassName(), &wc)) {
        if (!::GetClassInfoExW(CUIManager::GetInstance(), GetSuperClassName(), &wc))
            return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::SuperclassProc;
    wc.hInstance = CUIManager::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    ATOM ret = ::RegisterClassExW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = NULL;
    if (uMsg == WM_NCCREATE) {
        LPCREATESTRUCTW lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        if (pThis != NULL) {
            pThis->m_hWnd = hWnd;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
        }
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis != NULL) {
            LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            pThis->m_hWnd = NULL;
            // May delete the object: nothing of it is used afterwards.
            pThis->OnWindowDestroyed(hWnd);
            return lRes;
        }
    }
    if (pThis != NULL)
        return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::SuperclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = NULL;
    if (uMsg == WM_NCCREATE) {
        LPCREATESTRUCTW lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        if (pThis != NULL) {
            pThis->m_hWnd = hWnd;
            ::SetPropW(hWnd, kSuperclassProp, static_cast<HANDLE>(pThis));
        }
    } else {
        pThis = static_cast<CWindowWnd*>(::GetPropW(hWnd, kSuperclassProp));
        if (uMsg == WM_NCDESTROY && pThis != NULL) {
            LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            ::RemovePropW(hWnd, kSuperclassProp);
            pThis->m_hWnd = NULL;
            // May delete the object: nothing of it is used afterwards.
            pThis->OnWindowDestroyed(hWnd);
            return lRes;
        }
    }
    if (pThis != NULL)
        return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::Show(bool bShow, bool bTakeFocus)
{
    if (!::IsWindow(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal()
{
    // Everything the loop needs lives in locals: the window's own handling of
    // WM_CLOSE destroys it, and OnWindowDestroyed may delete this object.
    const HWND hWnd = m_hWnd;
    if (!::IsWindow(hWnd))
        return 0;
    const HWND hWndOwner = ::GetWindow(hWnd, GW_OWNER);
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (hWndOwner != NULL)
        ::EnableWindow(hWndOwner, FALSE);

    UINT nRet = 0;
    bool bQuit = false;
    int nQuitCode = 0;
    MSG msg;
    while (::IsWindow(hWnd)) {
        BOOL got = ::GetMessageW(&msg, NULL, 0, 0);
        if (got == 0) {
            bQuit = true;
            nQuitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
            nRet = static_cast<UINT>(msg.wParam);
            // Before the window goes, so that the owner (not some other
            // application) becomes the active window.
            if (hWndOwner != NULL) {
                ::EnableWindow(hWndOwner, TRUE);
                ::SetFocus(hWndOwner);
            }
        }
        if (!CUIManager::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (hWndOwner != NULL) {
        ::EnableWindow(hWndOwner, TRUE);
        ::SetFocus(hWndOwner);
    }
    if (bQuit)
        ::PostQuitMessage(nQuitCode);
    return nRet;
}

void CWindowWnd::Center()
{
    if (!::IsWindow(m_hWnd))
        return;
    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    const int w = rcDlg.right - rcDlg.left;
    const int h = rcDlg.bottom - rcDlg.top;

    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    HMONITOR hMonitor = ::MonitorFromWindow(hWndOwner != NULL ? hWndOwner : m_hWnd,
                                            MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi;
    ::ZeroMemory(&mi, sizeof(mi));
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(hMonitor, &mi);
    const RECT rcWork = mi.rcWork;

    RECT rcCenter = rcWork;
    if (hWndOwner != NULL)
        ::GetWindowRect(hWndOwner, &rcCenter);

    int x = (rcCenter.left + rcCenter.right) / 2 - w / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - h / 2;
    if (x < rcWork.left)
        x = rcWork.left;
    else if (x + w > rcWork.right)
        x = rcWork.right - w;
    if (y < rcWork.top)
        y = rcWork.top;
    else if (y + h > rcWork.bottom)
        y = rcWork.bottom - h;
    ::SetWindowPos(m_hWnd, NULL, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::Close(UINT nRet)
{
    if (!::IsWindow(m_hWnd))
        return;
    ::PostMessageW(m_hWnd, WM_CLOSE, static_cast<WPARAM>(nRet), 0L);
}

LRESULT CWindowWnd::SendMsg(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMsg(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // A null handle would post a message to the thread instead.
    if (m_hWnd == NULL)
        return FALSE;
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

} // namespace SkinUI
