// CActiveXCtrl, the OLE container site that CActiveXUI gives the object it
// hosts: client site, in-place site (windowless and windowed), control site,
// object-with-site and container, all on one reference count. Once its owner
// has let go of it every call answers E_UNEXPECTED.
#ifndef SKINUI_UIACTIVEXCTRL_H
#define SKINUI_UIACTIVEXCTRL_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

namespace SkinUI {

class CActiveXUI;
class CActiveXWnd;

class CActiveXCtrl : public IOleClientSite,
                     public IOleInPlaceSiteWindowless,
                     public IOleControlSite,
                     public IObjectWithSite,
                     public IOleContainer
{
    friend class CActiveXUI;
    friend class CActiveXWnd;

public:
    CActiveXCtrl();

    // The hosting control; NULL once it has let go of the site.
    CActiveXUI* GetOwner() const;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();

    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* pUnkSite);
    STDMETHOD(GetSite)(REFIID riid, LPVOID* ppvSite);

    // IOleClientSite
    STDMETHOD(SaveObject)();
    STDMETHOD(GetMoniker)(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk);
    STDMETHOD(GetContainer)(IOleContainer** ppContainer);
    STDMETHOD(ShowObject)();
    STDMETHOD(OnShowWindow)(BOOL fShow);
    STDMETHOD(RequestNewObjectLayout)();

    // IOleInPlaceSiteWindowless
    STDMETHOD(CanWindowlessActivate)();
    STDMETHOD(GetCapture)();
    STDMETHOD(SetCapture)(BOOL fCapture);
    STDMETHOD(GetFocus)();
    STDMETHOD(SetFocus)(BOOL fFocus);
    STDMETHOD(GetDC)(LPCRECT pRect, DWORD grfFlags, HDC* phDC);
    STDMETHOD(ReleaseDC)(HDC hDC);
    STDMETHOD(InvalidateRect)(LPCRECT pRect, BOOL fErase);
    STDMETHOD(InvalidateRgn)(HRGN hRGN, BOOL fErase);
    STDMETHOD(ScrollRect)(INT dx, INT dy, LPCRECT pRectScroll, LPCRECT pRectClip);
    STDMETHOD(AdjustRect)(LPRECT prc);
    STDMETHOD(OnDefWindowMessage)(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult);

    // IOleInPlaceSiteEx
    STDMETHOD(OnInPlaceActivateEx)(BOOL* pfNoRedraw, DWORD dwFlags);
    STDMETHOD(OnInPlaceDeactivateEx)(BOOL fNoRedraw);
    STDMETHOD(RequestUIActivate)();

    // IOleInPlaceSite
    STDMETHOD(CanInPlaceActivate)();
    STDMETHOD(OnInPlaceActivate)();
    STDMETHOD(OnUIActivate)();
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo);
    STDMETHOD(Scroll)(SIZE scrollExtant);
    STDMETHOD(OnUIDeactivate)(BOOL fUndoable);
    STDMETHOD(OnInPlaceDeactivate)();
    STDMETHOD(DiscardUndoState)();
    STDMETHOD(DeactivateAndUndo)();
    STDMETHOD(OnPosRectChange)(LPCRECT lprcPosRect);

    // IOleWindow
    STDMETHOD(GetWindow)(HWND* phwnd);
    STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode);

    // IOleControlSite
    STDMETHOD(OnControlInfoChanged)();
    STDMETHOD(LockInPlaceActive)(BOOL fLock);
    STDMETHOD(GetExtendedControl)(IDispatch** ppDisp);
    STDMETHOD(TransformCoords)(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags);
    STDMETHOD(TranslateAccelerator)(MSG* pMsg, DWORD grfModifiers);
    STDMETHOD(OnFocus)(BOOL fGotFocus);
    STDMETHOD(ShowPropertyFrame)();

    // IOleContainer
    STDMETHOD(EnumObjects)(DWORD grfFlags, IEnumUnknown** ppenum);
    STDMETHOD(LockContainer)(BOOL fLock);

    // IParseDisplayName
    STDMETHOD(ParseDisplayName)(IBindCtx* pbc, LPOLESTR pszDisplayName, ULONG* pchEaten, IMoniker** ppmkOut);

protected:
    // Destroyed only by the last Release.
    virtual ~CActiveXCtrl();

    // Creates the CActiveXWnd as a child of the paint window when it does not
    // exist yet; its handle becomes the owner's host window.
    HRESULT CreateActiveXWnd();
    // Destroys and frees the CActiveXWnd.
    void DestroyActiveXWnd();
    // The owner's paint window, NULL without owner or manager.
    HWND GetPaintWindow() const;
    // The owner's item rectangle, moved to the origin when windowed.
    RECT GetObjectRect() const;
    // Ends the running lock taken at in-place activation.
    void UnlockRunning();

    LONG m_dwRef;
    CActiveXUI* m_pOwner;
    CActiveXWnd* m_pWindow;
    IUnknown* m_pUnkSite;
    IViewObject* m_pViewObject;
    // IOleInPlaceObjectWindowless when windowless, else IOleInPlaceObject.
    IOleInPlaceObject* m_pInPlaceObject;
    bool m_bLocked;
    bool m_bFocused;
    bool m_bCaptured;
    bool m_bUIActivated;
    bool m_bInPlaceActive;
    bool m_bWindowless;
    // Bookkeeping of this implementation: the running lock taken at in-place
    // activation, and the one accelerator table GetWindowContext hands out.
    bool m_bRunningLocked;
    HACCEL m_hAccel;

private:
    CActiveXCtrl(const CActiveXCtrl&);
    CActiveXCtrl& operator=(const CActiveXCtrl&);
};

} // namespace SkinUI

#endif // SKINUI_UIACTIVEXCTRL_H
