// CWindowWnd wraps one native window: it registers the window class on first
// use (a class of its own or a superclass of an existing class), creates the
// window with the object as creation parameter, routes every message to
// HandleMessage and tells the object when the window is gone.
#ifndef SKINUI_UIWINDOW_H
#define SKINUI_UIWINDOW_H

#include <windows.h>

namespace SkinUI {

class CWindowWnd
{
public:
    CWindowWnd();

    HWND GetHWND() const;

    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = NULL);
    HWND CreateWithRect(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                        const RECT& rc, HMENU hMenu = NULL);

    void Show(bool bShow = true, bool bTakeFocus = true);
    UINT ShowModal();
    void Center();
    void Close(UINT nRet = IDOK);

    LRESULT SendMsg(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMsg(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

    virtual LPCTSTR GetWindowClassName() const = 0;
    virtual LPCTSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

    // Windows are destroyed by their own class (usually from
    // OnWindowDestroyed), never through a base pointer.
    ~CWindowWnd();

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SuperclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    HWND m_hWnd;
    WNDPROC m_OldWndProc;

private:
    CWindowWnd(const CWindowWnd&);
    CWindowWnd& operator=(const CWindowWnd&);
};

} // namespace SkinUI

#endif // SKINUI_UIWINDOW_H
