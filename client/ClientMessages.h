// The private window messages of tevela.exe, all sent or posted to the main
// window. The browser pages' messages (WM_USER+2 to WM_USER+6) are declared
// with their sender, the browser event handler (CusBrowserEventHander.h).
#ifndef TEVELA_CLIENTMESSAGES_H
#define TEVELA_CLIENTMESSAGES_H

#include <windows.h>

#include "CusBrowserEventHander.h"

// The notification-area icon's callback: wParam the icon id, lParam the mouse message.
#define WM_TRAY_NOTIFY (WM_USER + 1)
// Posted by a second start of the client: show and raise the main window.
#define WM_ACTIVATE_INSTANCE (WM_USER + 7)
// Posted by the main frame to itself after its first paint: the home page's
// browser is created now (it is not needed for the first picture).
#define WM_SHOW_HOME_PAGE (WM_USER + 8)
// Posted by the tray menu: wParam 1 show the main window, 2 exit.
#define WM_TRAY_MENU_COMMAND 0x4515

// The main window's title, also the title a second start looks for.
#define TEVELA_DISPLAY_NAME L"Yexo\u5a31\u4e50\u76f4\u64ad"
// The main window's class.
#define TEVELA_MAIN_CLASS L"MainFrame"

#endif // TEVELA_CLIENTMESSAGES_H
