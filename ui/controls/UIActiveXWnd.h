// CActiveXWnd, the child window a windowed ActiveX object lives in: created by
// the site (CActiveXCtrl) inside the paint window and moved over the control's
// rectangle by CActiveXUI. It activates the object on focus and mouse
// activation and leaves painting to the object.
#ifndef SKINUI_UIACTIVEXWND_H
#define SKINUI_UIACTIVEXWND_H

#include <windows.h>

#include "UIWindow.h"

namespace SkinUI {

class CActiveXCtrl;

class CActiveXWnd final : public CWindowWnd
{
public:
    CActiveXWnd();
    ~CActiveXWnd();

    // Creates the window as a child of hWndParent; NULL when that fails.
    HWND Init(CActiveXCtrl* pOwner, HWND hWndParent);

    virtual LPCTSTR GetWindowClassName() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    // Runs an OLE verb of the owner's object in this window.
    void DoVerb(LONG iVerb);
    // DoVerb, then the default processing of the message, which this object
    // may not live to see.
    LRESULT DoVerbThenDefault(LONG iVerb, UINT uMsg, WPARAM wParam, LPARAM lParam);

    CActiveXCtrl* m_pOwner;
};

} // namespace SkinUI

#endif // SKINUI_UIACTIVEXWND_H
