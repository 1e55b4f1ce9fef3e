// The ActiveX host: CActiveXUI embeds a COM control (an ActiveX control) in
// a window's control tree. It creates the object from a class id, a ProgID or
// a DLL of its own, sites it through CActiveXCtrl, activates it in place
// windowless (drawn into the paint manager's window, fed that window's input
// through a message filter) or windowed (inside a CActiveXWnd child window),
// and keeps it in step with the control's rectangle and visibility.
// The web-browser and Flash controls derive from it.
#ifndef SKINUI_UIACTIVEX_H
#define SKINUI_UIACTIVEX_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "UIControl.h"

namespace SkinUI {

class CActiveXCtrl;

class CActiveXUI : public CControlUI, public IMessageFilterUI
{
    friend class CActiveXCtrl;
    friend class CActiveXWnd;
    friend class CActiveXFrameWnd;

public:
    CActiveXUI();
    virtual ~CActiveXUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetPos(RECT rc);
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInheritedVisible(bool bVisible = true);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void Paint(HDC hDC, const RECT& rcPaint);
    virtual bool PaintsOpaqueOver(const RECT& rc) const;

    // Tears the hosted object down (derived classes first undo their own
    // connections, then call this).
    virtual void ReleaseHostedControl();
    // (Re)creates and activates the hosted object; false when that failed.
    virtual bool CreateHostedControl();

    // GUID_NULL is refused. Unless creation is delayed, creates at once.
    bool SetClassId(REFCLSID clsid);
    // "{...}" is a class id text, anything else a ProgID.
    bool SetClassIdText(LPCTSTR pstrCLSID);
    CLSID GetClassId() const;
    void SetDelayCreate(bool bDelayCreate = true);
    bool IsDelayCreate() const;
    // A DLL whose DllGetClassObject is asked first, so that nothing needs to
    // be registered; the registry is the fallback.
    void SetModuleName(LPCTSTR pstrText);
    const CUIString& GetModuleName() const;

    // The window the object lives in: the paint window when windowless, the
    // CActiveXWnd when windowed; NULL before activation.
    HWND GetHostWindow() const;
    // E_POINTER for a null out pointer, E_PENDING while nothing is hosted,
    // else the hosted object's QueryInterface.
    HRESULT GetControl(REFIID iid, LPVOID* ppRet);

    // Windowless activation only: the paint window's messages for the object.
    virtual LRESULT FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

protected:
    // Keys for the hosted object while the keyboard focus is in its window:
    // S_FALSE for other messages or when the focus is elsewhere, E_NOTIMPL
    // without an object, else the object's in-place TranslateAccelerator.
    HRESULT TranslateHostedAccelerator(IUnknown* pObject, MSG* pMsg) const;
    // Connects (inAdvise) the sink to the source's connection point for
    // iidEvents and keeps the cookie, or disconnects the kept cookie; the
    // first failing step's result.
    static HRESULT ConnectEvents(IUnknown* pSource, REFIID iidEvents, IUnknown* pSink, bool inAdvise,
                                 DWORD& dwCookie);

    CLSID m_clsid;
    CUIString m_sModuleName;
    bool m_bCreated;
    bool m_bDelayCreate;
    IOleObject* m_pUnk;
    CActiveXCtrl* m_pControl;
    HWND m_hwndHost;

private:
    // Creation through the module's own class factory; NULL when it fails.
    IUnknown* CreateFromModule();
    // Extent and object rectangles after a size change.
    void UpdateObjectRects();
};

} // namespace SkinUI

#endif // SKINUI_UIACTIVEX_H
