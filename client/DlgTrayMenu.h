// CDlgTrayMenu: the small skinned pop-up menu of the client's notification-area
// icon ("TrayMenuWnd\tray_menu.xml"): show the main window, or exit. A plain
// window with its own paint manager; it closes when it loses the focus and
// deletes itself when its window is gone.
#ifndef TEVELA_DLGTRAYMENU_H
#define TEVELA_DLGTRAYMENU_H

#include <windows.h>

#include "UIManager.h"
#include "UIWindow.h"

class CDlgTrayMenu : public SkinUI::CWindowWnd, public SkinUI::INotifyUI
{
public:
    CDlgTrayMenu();

    void SetMainWindow(HWND hWndMain) { m_hWndMain = hWndMain; }

    virtual LPCTSTR GetWindowClassName() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void Notify(SkinUI::UINotify& msg);

    void OnCreate();
    void OnSize();
    // Moves the menu so that its bottom-right corner lies on the mouse pointer.
    void PlaceAtCursor();

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

private:
    friend bool ShowTrayMenu(HWND hWndMain);
    // Only OnWindowDestroyed deletes the menu (or ShowTrayMenu one whose
    // window never came), always as this class.
    virtual ~CDlgTrayMenu() {}

    SkinUI::CUIManager m_pm;
    HWND m_hWndMain;
    bool* m_pDestroyed;   // set true when the window is destroyed during Create
};

// Opens a new tray menu for the main window; false when the window does not
// exist, another call is creating a menu at this moment, or the menu's window
// cannot be created.
bool ShowTrayMenu(HWND hWndMain);

#endif // TEVELA_DLGTRAYMENU_H
