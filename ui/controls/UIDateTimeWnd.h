// The native date picker of CDateTimeUI: a child window over the control that
// superclasses the platform's "SysDateTimePick32". It hands the chosen date
// (or a cleared text) to its control when it loses the focus or a Delete,
// Backspace or Escape key ends it, then closes and deletes itself.
#ifndef SKINUI_UIDATETIMEWND_H
#define SKINUI_UIDATETIMEWND_H

#include <windows.h>

#include "UIWindow.h"

namespace SkinUI {

class CDateTimeUI;

class CDateTimeWnd final : public CWindowWnd
{
public:
    CDateTimeWnd();

    // Creates the window over the owner when it does not exist yet, sets it
    // to the owner's date (now, when the owner's text is empty), shows it
    // without activation and gives it the focus. False when the window
    // cannot be created; the object is then gone.
    bool Init(CDateTimeUI* pOwner);
    // The owner goes away: the window forgets it and is destroyed at once,
    // which deletes the object.
    void Detach();

    virtual LPCTSTR GetWindowClassName() const;
    virtual LPCTSTR GetSuperClassName() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

private:
    ~CDateTimeWnd();

    // True for the picker itself and the windows it opened (its calendar).
    bool OwnsWindow(HWND hWnd) const;
    // The picker is done: the owner shows the chosen date unless a key said
    // otherwise, and the window closes.
    void Finish();
    // A window of the picker's own that took the focus (its calendar) tells
    // the picker when it loses the focus again; Unwatch ends that.
    void Watch(HWND hWnd);
    void Unwatch();
    static LRESULT CALLBACK WatchedProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    CDateTimeUI* m_pOwner;
    bool m_bInit;
    HWND m_hWatched;
};

} // namespace SkinUI

#endif // SKINUI_UIDATETIMEWND_H
