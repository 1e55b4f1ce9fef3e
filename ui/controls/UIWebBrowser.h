// CWebBrowserUI, the control that shows web pages: an ActiveX host preset to
// the platform's WebBrowser control that is also the browser's document host,
// service provider (downloads), command target (script errors), event sink
// (DWebBrowserEvents2) and keyboard-accelerator hook of its paint manager.
// Everything the browser tells its host goes to one CWebBrowserEventHandler.
#ifndef SKINUI_UIWEBBROWSER_H
#define SKINUI_UIWEBBROWSER_H

#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>
#include <downloadmgr.h>

#include "UIActiveX.h"
#include "WebBrowserEventHandler.h"

namespace SkinUI {

class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public IDispatch,
                      public ITranslateAccelerator
{
public:
    CWebBrowserUI();
    virtual ~CWebBrowserUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void ReleaseHostedControl();
    virtual bool CreateHostedControl();

    // The downloads the browser hands to its host; forwarded to the handler.
    virtual HRESULT Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                             LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP);

    // Not owned. NULL or the same handler again changes nothing.
    void SetEventHandler(CWebBrowserEventHandler* pEventHandler);
    CWebBrowserEventHandler* GetEventHandler() const;
    void SetHomePage(LPCTSTR lpszUrl);
    const CUIString& GetHomePage() const;
    // Open the home page as soon as the browser exists (its first layout).
    void SetAutoNavigate(bool bAuto = true);
    bool IsAutoNavigate() const;

    // Navigation; nothing while no browser exists.
    void Navigate2(LPCTSTR lpszUrl);
    void Refresh();
    void Refresh2(int Level);
    void GoBack();
    void GoForward();
    // The browser's IWebBrowser2 (not AddRef'ed), NULL while none exists.
    IWebBrowser2* GetWebBrowser2() const;

    // IUnknown (one identity for all the parts below)
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();

    // IDispatch: the DWebBrowserEvents2 sink
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo);
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);

    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD dwID, POINT* pptPosition, IUnknown* pCommandTarget,
                               IDispatch* pDispatchObjectHit);
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* pInfo);
    STDMETHOD(ShowUI)(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                      IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc);
    STDMETHOD(HideUI)();
    STDMETHOD(UpdateUI)();
    STDMETHOD(EnableModeless)(BOOL fEnable);
    STDMETHOD(OnDocWindowActivate)(BOOL fActivate);
    STDMETHOD(OnFrameWindowActivate)(BOOL fActivate);
    STDMETHOD(ResizeBorder)(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow);
    STDMETHOD(TranslateAccelerator)(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID);
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* pchKey, DWORD dwReserved);
    STDMETHOD(GetDropTarget)(IDropTarget* pDropTarget, IDropTarget** ppDropTarget);
    STDMETHOD(GetExternal)(IDispatch** ppDispatch);
    STDMETHOD(TranslateUrl)(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut);
    STDMETHOD(FilterDataObject)(IDataObject* pDO, IDataObject** ppDORet);

    // IServiceProvider: only the download manager
    STDMETHOD(QueryService)(REFGUID guidService, REFIID riid, void** ppvObject);

    // IOleCommandTarget: only the script-error command
    STDMETHOD(QueryStatus)(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT* pCmdText);
    STDMETHOD(Exec)(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANTARG* pvaIn,
                    VARIANTARG* pvaOut);

    // ITranslateAccelerator (the paint manager's hook): keys meant for the page
    virtual LRESULT TranslateAccelerator(MSG* pMsg);

protected:
    // Connects (true) or disconnects (false) the DWebBrowserEvents2 sink.
    HRESULT RegisterEventHandler(bool inAdvise);
    // Makes this control the document's UI handler.
    void InstallDocHostHandler();
    // Takes the UI handler back from the document it was given to: a
    // document can outlive the control, and must not call it then.
    void RevokeDocHostHandler();

    // The IDownloadManager part QueryService hands out: same identity.
    class CDownloadManagerPart : public IDownloadManager
    {
    public:
        explicit CDownloadManagerPart(CWebBrowserUI* pOwner) : m_pOwner(pOwner) {}
        STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject);
        STDMETHOD_(ULONG, AddRef)();
        STDMETHOD_(ULONG, Release)();
        STDMETHOD(Download)(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                            LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP);

    private:
        CWebBrowserUI* m_pOwner;
    };

    IWebBrowser2* m_pWebBrowser2;
    LONG m_dwRef;
    DWORD m_dwCookie;
    CUIString m_sHomePage;
    bool m_bAutoNavi;
    CWebBrowserEventHandler* m_pWebBrowserEventHandler;
    CDownloadManagerPart m_DownloadManager;
    // The document that holds this control as its UI handler (one reference).
    ICustomDoc* m_pCustomDoc;
};

} // namespace SkinUI

#endif // SKINUI_UIWEBBROWSER_H
