// CTrayIcon: the client's icon in the notification area (tevela.exe). Its mouse
// messages reach the main window as WM_TRAY_NOTIFY; the main frame owns it and
// removes it before it exits.
#ifndef TEVELA_TRAYICON_H
#define TEVELA_TRAYICON_H

#include <windows.h>
#include <shellapi.h>

class CTrayIcon
{
public:
    // The shell call the icon goes through (Shell_NotifyIconW; tests record it).
    typedef BOOL(WINAPI* NotifyFn)(DWORD dwMessage, PNOTIFYICONDATAW pData);
    static void SetNotifyFunction(NotifyFn pfn);

    // Fills the icon data for the owner window and adds the icon.
    CTrayIcon(HWND hWndOwner, HICON hIcon);

    // Deletes the icon from the notification area.
    void Remove();
    const NOTIFYICONDATAW& GetData() const { return m_Data; }

private:
    CTrayIcon(const CTrayIcon&);
    CTrayIcon& operator=(const CTrayIcon&);

    HWND m_hWndOwner;
    NOTIFYICONDATAW m_Data;
};

#endif // TEVELA_TRAYICON_H
