// CWebBrowserEventHandler, the contract between CWebBrowserUI and the
// application: the browser's events (DWebBrowserEvents2) and its document
// host's questions (IDocHostUIHandler, IDownloadManager) arrive here. The
// defaults do nothing; an application derives and overrides what it needs.
//
// Arguments passed "by reference" are references to the pointers held in the
// event's arguments: a handler reads through them and writes through them
// (for example *Cancel = VARIANT_TRUE stops a navigation).
//
// The destructor is not virtual: an owner deletes its handler through its
// own most derived type, after removing the control it was attached to.
#ifndef SKINUI_WEBBROWSEREVENTHANDLER_H
#define SKINUI_WEBBROWSEREVENTHANDLER_H

#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <urlmon.h>

namespace SkinUI {

class CWebBrowserEventHandler
{
public:
    CWebBrowserEventHandler() {}
    ~CWebBrowserEventHandler() {}

    // --- browser events ------------------------------------------------------
    virtual void BeforeNavigate2(IDispatch* /*pDisp*/, VARIANT*& /*url*/, VARIANT*& /*Flags*/,
                                 VARIANT*& /*TargetFrameName*/, VARIANT*& /*PostData*/, VARIANT*& /*Headers*/,
                                 VARIANT_BOOL*& /*Cancel*/)
    {
    }
    virtual void NavigateError(IDispatch* /*pDisp*/, VARIANT*& /*url*/, VARIANT*& /*TargetFrameName*/,
                               VARIANT*& /*StatusCode*/, VARIANT_BOOL*& /*Cancel*/)
    {
    }
    virtual void NavigateComplete2(IDispatch* /*pDisp*/, VARIANT*& /*url*/) {}
    // Never raised by the control.
    virtual void SpareEvent(LONG /*nValue*/, LONG /*nMax*/) {}
    virtual void NewWindow3(IDispatch** /*pDisp*/, VARIANT_BOOL*& /*Cancel*/, DWORD /*dwFlags*/,
                            BSTR /*bstrUrlContext*/, BSTR /*bstrUrl*/)
    {
    }
    // Command: 1 forward (CSC_NAVIGATEFORWARD), 2 back (CSC_NAVIGATEBACK),
    // -1 update commands (CSC_UPDATECOMMANDS).
    virtual void CommandStateChange(long /*Command*/, VARIANT_BOOL /*Enable*/) {}
    virtual void TitleChange(BSTR /*bstrTitle*/) {}
    virtual void DocumentComplete(IDispatch* /*pDisp*/, VARIANT*& /*url*/) {}

    // --- the document host (IDocHostUIHandler) -------------------------------
    virtual HRESULT ShowContextMenu(DWORD /*dwID*/, POINT* /*pptPosition*/, IUnknown* /*pCommandTarget*/,
                                    IDispatch* /*pDispatchObjectHit*/)
    {
        return S_OK;
    }
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* /*pInfo*/) { return S_OK; }
    virtual HRESULT ShowUI(DWORD /*dwID*/, IOleInPlaceActiveObject* /*pActiveObject*/,
                           IOleCommandTarget* /*pCommandTarget*/, IOleInPlaceFrame* /*pFrame*/,
                           IOleInPlaceUIWindow* /*pDoc*/)
    {
        return S_FALSE;
    }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(BOOL /*fEnable*/) { return S_OK; }
    virtual HRESULT OnDocWindowActivate(BOOL /*fActivate*/) { return S_OK; }
    virtual HRESULT OnFrameWindowActivate(BOOL /*fActivate*/) { return S_OK; }
    virtual HRESULT ResizeBorder(LPCRECT /*prcBorder*/, IOleInPlaceUIWindow* /*pUIWindow*/, BOOL /*fFrameWindow*/)
    {
        return S_OK;
    }
    virtual HRESULT TranslateAccelerator(LPMSG /*lpMsg*/, const GUID* /*pguidCmdGroup*/, DWORD /*nCmdID*/)
    {
        return S_FALSE;
    }
    virtual HRESULT GetOptionKeyPath(LPOLESTR* /*pchKey*/, DWORD /*dwReserved*/) { return S_OK; }
    virtual HRESULT GetDropTarget(IDropTarget* /*pDropTarget*/, IDropTarget** /*ppDropTarget*/)
    {
        return E_NOTIMPL;
    }
    virtual HRESULT GetExternal(IDispatch** /*ppDispatch*/) { return E_NOTIMPL; }
    virtual HRESULT TranslateUrl(DWORD /*dwTranslate*/, OLECHAR* /*pchURLIn*/, OLECHAR** /*ppchURLOut*/)
    {
        return S_OK;
    }
    virtual HRESULT FilterDataObject(IDataObject* /*pDO*/, IDataObject** /*ppDORet*/) { return S_OK; }

    // --- downloads (IDownloadManager) ----------------------------------------
    virtual HRESULT Download(IMoniker* /*pmk*/, IBindCtx* /*pbc*/, DWORD /*dwBindVerb*/, LONG /*grfBINDF*/,
                             BINDINFO* /*pBindInfo*/, LPCOLESTR /*pszHeaders*/, LPCOLESTR /*pszRedir*/,
                             UINT /*uiCP*/)
    {
        return S_OK;
    }
};

} // namespace SkinUI

#endif // SKINUI_WEBBROWSEREVENTHANDLER_H
