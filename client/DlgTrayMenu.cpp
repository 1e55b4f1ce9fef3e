// The tray icon's pop-up menu of the client.
#include "DlgTrayMenu.h"

#include "ClientMessages.h"
#include "UIBuilder.h"
#include "UIControl.h"

using namespace SkinUI;

namespace {

// 1 only while a call of ShowTrayMenu is creating a menu.
volatile LONG g_lCreatingMenu = 0;

const wchar_t kMenuLayout[] = L"TrayMenuWnd\\tray_menu.xml";

} // namespace

bool ShowTrayMenu(HWND hWndMain)
{
    if (!::IsWindow(hWndMain))
        return false;
    if (::InterlockedCompareExchange(&g_lCreatingMenu, 1, 0) != 0)
        return false;
    CDlgTrayMenu* pMenu = new CDlgTrayMenu;
    pMenu->SetMainWindow(hWndMain);
    bool bDestroyed = false;
    pMenu->m_pDestroyed = &bDestroyed;
    // The layout's own size (130 x 53) replaces this one while it is built.
    if (pMenu->Create(NULL, NULL, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, 0, 0, 135, 136) ==
        NULL) {
        // A window destroyed during its creation has deleted its menu already.
        if (!bDestroyed)
            delete pMenu;
        ::InterlockedExchange(&g_lCreatingMenu, 0);
        return false;
    }
    pMenu->m_pDestroyed = NULL;
    ::SetForegroundWindow(pMenu->GetHWND());
    pMenu->PlaceAtCursor();
    pMenu->Show(true, true);
    ::InterlockedExchange(&g_lCreatingMenu, 0);
    return true;
}

CDlgTrayMenu::CDlgTrayMenu() : m_hWndMain(NULL), m_pDestroyed(NULL)
{
}

LPCTSTR CDlgTrayMenu::GetWindowClassName() const
{
    return L"TrayMenuDlg";
}

LRESULT CDlgTrayMenu::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize();
        break;
    case WM_KILLFOCUS:
        Close(1);
        return 0;
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.HandleWindowMessage(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CDlgTrayMenu::OnCreate()
{
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_pm.Init(m_hWnd);
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(kMenuLayout, NULL, NULL, &m_pm, NULL);
    if (pRoot == NULL) {
        ::MessageBoxW(::GetForegroundWindow(), L"load xml error", NULL, MB_ICONHAND);
        ::ExitProcess(1);
    }
    m_pm.AttachRoot(pRoot);
    m_pm.AddNotifier(this);
}

void CDlgTrayMenu::OnSize()
{
    const CUISize corner = m_pm.GetRoundCorner();
    if (::IsIconic(m_hWnd) || (corner.cx == 0 && corner.cy == 0))
        return;
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    HRGN hRgn = ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, corner.cx, corner.cy);
    if (hRgn != NULL && ::SetWindowRgn(m_hWnd, hRgn, TRUE) == 0)
        ::DeleteObject(hRgn);
}

void CDlgTrayMenu::PlaceAtCursor()
{
    RECT rc;
    POINT pt;
    if (!::GetWindowRect(m_hWnd, &rc) || !::GetCursorPos(&pt))
        return;
    const int left = rc.left + (pt.x - rc.right);
    const int top = rc.top + (pt.y - rc.bottom);
    ::SetWindowPos(m_hWnd, NULL, left, top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CDlgTrayMenu::Notify(UINotify& msg)
{
    if (msg.sType != L"click" || msg.pSender == NULL)
        return;
    const CUIString name = msg.pSender->GetName();
    WPARAM command = 0;
    if (name == L"back")
        command = 1;
    else if (name == L"exit")
        command = 2;
    else
        return;
    ::PostMessageW(m_hWndMain, WM_TRAY_MENU_COMMAND, command, 0);
    ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CDlgTrayMenu::OnWindowDestroyed(HWND /*hWnd*/)
{
    if (m_pDestroyed != NULL)
        *m_pDestroyed = true;
    delete this;
}
