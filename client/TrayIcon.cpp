// The notification-area icon of the client.
#include "TrayIcon.h"

#include <string.h>
#include <wchar.h>

#include "ClientMessages.h"

namespace {

CTrayIcon::NotifyFn g_pfnNotify = &::Shell_NotifyIconW;

} // namespace

void CTrayIcon::SetNotifyFunction(NotifyFn pfn)
{
    g_pfnNotify = pfn != NULL ? pfn : &::Shell_NotifyIconW;
}

CTrayIcon::CTrayIcon(HWND hWndOwner, HICON hIcon) : m_hWndOwner(hWndOwner)
{
    memset(&m_Data, 0, sizeof(m_Data));
    m_Data.cbSize = sizeof(m_Data);
    m_Data.hWnd = hWndOwner;
    m_Data.uID = 2;
    m_Data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_Data.uCallbackMessage = WM_TRAY_NOTIFY;
    m_Data.hIcon = hIcon;
    // Bounded by the tip's 128 units, always terminated.
    wcsncpy(m_Data.szTip, TEVELA_DISPLAY_NAME, sizeof(m_Data.szTip) / sizeof(m_Data.szTip[0]) - 1);
    g_pfnNotify(NIM_ADD, &m_Data);
}

void CTrayIcon::Remove()
{
    g_pfnNotify(NIM_DELETE, &m_Data);
}
