// WindowImplBase: the base of every skinned frame and dialog.
//
// A native window without the system caption, drawn entirely by its paint
// manager, whose control tree is built at WM_CREATE from the skin layout the
// derived class names. It gives the window the behaviour of a borderless
// skinned window: dragging by the caption band, resizing by the size box,
// maximising to the work area, round corners, the system buttons
// "closebtn", "minbtn", "maxbtn" and "restorebtn", and Escape to close.
//
//   class CMyDlg : public WindowImplBase {
//       LPCTSTR GetWindowClassName() const { return L"MyDlg"; }
//       CUIString GetSkinFolder() { return L"skin"; }
//       CUIString GetSkinFile() { return L"MyDlg\\MyDlg.xml"; }
//   };
#ifndef SKINUI_UIWINDOWIMPL_H
#define SKINUI_UIWINDOWIMPL_H

#include <windows.h>

#include "UIBase.h"
#include "UIManager.h"
#include "UIMessageMap.h"
#include "UIWindow.h"

namespace SkinUI {

// Where a window's layout comes from.
enum UIResourceKind
{
    // Layout files in the resource folder, or in a skin zip the program set up already.
    UIResourceFile = 1,
    // A skin zip file in the resource folder, named by GetSkinZipName.
    UIResourceZip = 2,
    // A resource of type "xml" whose decimal number GetSkinFile gives.
    UIResourceXml = 3,
    // A skin zip in a resource of type "ZIPRES" named by GetSkinResourceId.
    UIResourceZipResource = 4
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback
{
public:
    WindowImplBase();

    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

public:
    virtual ~WindowImplBase();

    // Called once the control tree is attached to the manager.
    virtual void InitWindow();
    virtual void OnClick(UINotify& msg);

    // The folder of the skin files below the program's folder.
    virtual CUIString GetSkinFolder() = 0;
    // The layout file, or for UIResourceXml the decimal number of the "xml" resource.
    virtual CUIString GetSkinFile() = 0;
    virtual LRESULT OnDefaultKey(WPARAM wParam);
    virtual UIResourceKind GetResourceType() const;
    virtual CUIString GetSkinZipName();
    virtual LPCTSTR GetSkinResourceId();

    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    // Every message the handlers above leave unhandled comes here first.
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    // The window's current style without WS_CAPTION.
    virtual LONG GetStyle();

    // INotifyUI: through the message maps.
    virtual void Notify(UINotify& msg);
    // IMessageFilterUI (a pre-message filter): Return and Escape go to
    // OnDefaultKey; the key still reaches the manager and the focused control.
    virtual LRESULT FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    // IDialogBuilderCallback: no controls of its own.
    virtual CControlUI* CreateControl(LPCTSTR pstrClass);

    // The handlers' shared "not mine" body.
    LRESULT IgnoreMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    UI_DECLARE_MESSAGE_MAP()

    // The texts of the box shown when the layout does not load.
    static const wchar_t kLoadFailedText[];
    static const wchar_t kLoadFailedCaption[];

protected:
    CUIManager m_pm;

private:
    WindowImplBase(const WindowImplBase&);
    WindowImplBase& operator=(const WindowImplBase&);

    // Shows "maxbtn" or "restorebtn" to match the maximised state.
    void SetSysButtonsMaximized(bool bMaximized);
};

} // namespace SkinUI

#endif // SKINUI_UIWINDOWIMPL_H
