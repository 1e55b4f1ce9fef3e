// CActiveXFrameWnd, the in-place frame an ActiveX object gets from its site's
// GetWindowContext: it stands for the paint window, refuses tool space and
// keeps the object's active-object pointer. It reaches its control through
// the site, so a frame the object keeps longer never sees a freed control.
#ifndef SKINUI_UIACTIVEXFRAMEWND_H
#define SKINUI_UIACTIVEXFRAMEWND_H

#include <windows.h>
#include <ole2.h>

namespace SkinUI {

class CActiveXCtrl;

class CActiveXFrameWnd : public IOleInPlaceFrame
{
public:
    // Takes a reference on the site.
    explicit CActiveXFrameWnd(CActiveXCtrl* pSite);

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();

    // IOleInPlaceFrame
    STDMETHOD(InsertMenus)(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths);
    STDMETHOD(SetMenu)(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject);
    STDMETHOD(RemoveMenus)(HMENU hmenuShared);
    STDMETHOD(SetStatusText)(LPCOLESTR pszStatusText);
    STDMETHOD(EnableModeless)(BOOL fEnable);
    STDMETHOD(TranslateAccelerator)(LPMSG lpMsg, WORD wID);

    // IOleWindow
    STDMETHOD(GetWindow)(HWND* phwnd);
    STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode);

    // IOleInPlaceUIWindow
    STDMETHOD(GetBorder)(LPRECT lprectBorder);
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS pborderwidths);
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS pborderwidths);
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName);

protected:
    // Destroyed only by the last Release.
    virtual ~CActiveXFrameWnd();

    LONG m_dwRef;
    CActiveXCtrl* m_pSite;
    IOleInPlaceActiveObject* m_pActiveObject;

private:
    CActiveXFrameWnd(const CActiveXFrameWnd&);
    CActiveXFrameWnd& operator=(const CActiveXFrameWnd&);
};

} // namespace SkinUI

#endif // SKINUI_UIACTIVEXFRAMEWND_H
