// CWebBrowserUI: the WebBrowser control's host. Creation and release, the
// navigation calls, the event sink that turns DWebBrowserEvents2 into calls
// of the CWebBrowserEventHandler, and the document-host, service-provider,
// command-target and accelerator parts.
#include "UIWebBrowser.h"

#include <mshtml.h>
#include <wchar.h>

namespace SkinUI {

namespace {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
const CLSID kClsidWebBrowser = { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };
// Interfaces and the command group that the import libraries lack.
// {3050F3F0-98B5-11CF-BB82-00AA00BDCE0B}
const IID kIidICustomDoc = { 0x3050F3F0, 0x98B5, 0x11CF, { 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B } };
// {988934A4-064B-11D3-BB80-00104B35E7F9}
const IID kIidIDownloadManager = { 0x988934A4, 0x064B, 0x11D3, { 0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9 } };
// {F38BC242-B950-11D1-8918-00C04FC2C836}
const GUID kCgidDocHostCommandHandler = { 0xF38BC242, 0xB950, 0x11D1, { 0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36 } };

// DWebBrowserEvents2 DISPIDs the control knows.
const DISPID kDispStatusTextChange = 102;
const DISPID kDispCommandStateChange = 105;
const DISPID kDispTitleChange = 113;
const DISPID kDispBeforeNavigate2 = 250;
const DISPID kDispNavigateComplete2 = 252;
const DISPID kDispDocumentComplete = 259;
const DISPID kDispNavigateError = 271;
const DISPID kDispNewWindow3 = 273;

// OLECMDID_SHOWSCRIPTERROR in CGID_DocHostCommandHandler.
const DWORD kCmdShowScriptError = 40;
const LCID kLocaleNeutral = 0x800;

// An argument type the event layouts accept for a 32-bit flags value.
const VARTYPE kAnyInt4 = VT_ILLEGAL;

// The events arrive with their arguments in reverse order (the last argument
// first). An event is accepted only with exactly its own layout, and by-
// reference arguments must point somewhere: a malformed call is refused
// instead of being read out of bounds.
HRESULT CheckArgs(const DISPPARAMS* pParams, const VARTYPE* types, UINT count)
{
    if (pParams == NULL || pParams->cArgs != count || (count > 0 && pParams->rgvarg == NULL))
        return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < count; ++i) {
        const VARIANTARG& v = pParams->rgvarg[i];
        if (types[i] == kAnyInt4) {
            if (v.vt != VT_I4 && v.vt != VT_UI4)
                return DISP_E_TYPEMISMATCH;
            continue;
        }
        if (v.vt != types[i])
            return DISP_E_TYPEMISMATCH;
        if ((v.vt & VT_BYREF) != 0 && v.byref == NULL)
            return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

const VARTYPE kByRefVariant = VT_BYREF | VT_VARIANT;
const VARTYPE kByRefBool = VT_BYREF | VT_BOOL;
const VARTYPE kCommandStateArgs[] = { VT_BOOL, VT_I4 };
const VARTYPE kTitleArgs[] = { VT_BSTR };
const VARTYPE kBeforeNavigateArgs[] = { kByRefBool, kByRefVariant, kByRefVariant, kByRefVariant, kByRefVariant,
                                        kByRefVariant, VT_DISPATCH };
const VARTYPE kCompleteArgs[] = { kByRefVariant, VT_DISPATCH };
const VARTYPE kNavigateErrorArgs[] = { kByRefBool, kByRefVariant, kByRefVariant, kByRefVariant, VT_DISPATCH };
const VARTYPE kNewWindowArgs[] = { VT_BSTR, VT_BSTR, kAnyInt4, kByRefBool, VT_BYREF | VT_DISPATCH };

template <size_t N>
HRESULT CheckArgs(const DISPPARAMS* pParams, const VARTYPE (&types)[N])
{
    return CheckArgs(pParams, types, static_cast<UINT>(N));
}

// Reads one property of an automation object (the value is not kept).
HRESULT ReadProperty(IDispatch* pDisp, const wchar_t* pstrName)
{
    DISPID dispid = DISPID_UNKNOWN;
    LPOLESTR names[1] = { const_cast<LPOLESTR>(pstrName) };
    HRESULT hr = pDisp->GetIDsOfNames(IID_NULL, names, 1, kLocaleNeutral, &dispid);
    if (FAILED(hr))
        return hr;
    DISPPARAMS noArgs = { NULL, NULL, 0, 0 };
    VARIANT result;
    ::VariantInit(&result);
    hr = pDisp->Invoke(dispid, IID_NULL, kLocaleNeutral, DISPATCH_PROPERTYGET, &noArgs, &result, NULL, NULL);
    ::VariantClear(&result);
    return hr;
}

} // namespace

CWebBrowserUI::CWebBrowserUI()
    : m_pWebBrowser2(NULL),
      m_dwRef(0),
      m_dwCookie(0),
      m_bAutoNavi(false),
      m_pWebBrowserEventHandler(NULL),
      m_DownloadManager(this),
      m_pCustomDoc(NULL)
{
    m_clsid = kClsidWebBrowser;
}

// The browser is closed here, while every part it may still call is alive.
CWebBrowserUI::~CWebBrowserUI()
{
    ReleaseHostedControl();
}

LPCTSTR CWebBrowserUI::GetClassName() const
{
    return L"WebBrowserUI";
}

LPVOID CWebBrowserUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"WebBrowser") == 0)
        return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

void CWebBrowserUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL || pstrValue == NULL)
        return;
    if (wcscmp(pstrName, L"homepage") == 0)
        m_sHomePage = pstrValue;
    else if (wcscmp(pstrName, L"autonavi") == 0)
        m_bAutoNavi = IsTrueValue(pstrValue);
    else
        CActiveXUI::SetAttribute(pstrName, pstrValue);
}

void CWebBrowserUI::SetEventHandler(CWebBrowserEventHandler* pEventHandler)
{
    if (pEventHandler != NULL && pEventHandler != m_pWebBrowserEventHandler)
        m_pWebBrowserEventHandler = pEventHandler;
}

CWebBrowserEventHandler* CWebBrowserUI::GetEventHandler() const
{
    return m_pWebBrowserEventHandler;
}

void CWebBrowserUI::SetHomePage(LPCTSTR lpszUrl)
{
    m_sHomePage = lpszUrl;
}

const CUIString& CWebBrowserUI::GetHomePage() const
{
    return m_sHomePage;
}

void CWebBrowserUI::SetAutoNavigate(bool bAuto)
{
    m_bAutoNavi = bAuto;
}

bool CWebBrowserUI::IsAutoNavigate() const
{
    return m_bAutoNavi;
}

IWebBrowser2* CWebBrowserUI::GetWebBrowser2() const
{
    return m_pWebBrowser2;
}

// ---------------------------------------------------------------------------
// Creation and release
// ---------------------------------------------------------------------------
bool CWebBrowserUI::CreateHostedControl()
{
    if (!CActiveXUI::CreateHostedControl())
        return false;
    if (m_pManager != NULL)
        m_pManager->AddAccelerator(this);
    GetControl(IID_IWebBrowser2, reinterpret_cast<LPVOID*>(&m_pWebBrowser2));
    // The home page is requested before the events are connected.
    if (m_bAutoNavi && !m_sHomePage.IsEmpty())
        Navigate2(m_sHomePage.GetData());
    RegisterEventHandler(true);
    return true;
}

// Besides its own connections the release tears the browser down itself, so
// that a re-creation leaves no old browser behind and the destructor closes
// the browser before the parts it may call are gone. The document hands the
// UI handler back before that: it may live on after the control.
void CWebBrowserUI::ReleaseHostedControl()
{
    m_bCreated = false;
    if (m_pManager != NULL)
        m_pManager->RemoveAccelerator(this);
    RevokeDocHostHandler();
    RegisterEventHandler(false);
    if (m_pWebBrowser2 != NULL) {
        m_pWebBrowser2->Release();
        m_pWebBrowser2 = NULL;
    }
    CActiveXUI::ReleaseHostedControl();
}

HRESULT CWebBrowserUI::RegisterEventHandler(bool inAdvise)
{
    if (!inAdvise && m_dwCookie == 0)
        return S_OK;
    IWebBrowser2* pWebBrowser = NULL;
    HRESULT hr = GetControl(IID_IWebBrowser2, reinterpret_cast<LPVOID*>(&pWebBrowser));
    if (FAILED(hr) || pWebBrowser == NULL)
        return FAILED(hr) ? hr : E_FAIL;
    hr = ConnectEvents(pWebBrowser, DIID_DWebBrowserEvents2, static_cast<IDispatch*>(this), inAdvise, m_dwCookie);
    pWebBrowser->Release();
    return hr;
}

void CWebBrowserUI::InstallDocHostHandler()
{
    if (m_pWebBrowser2 == NULL)
        return;
    IDispatch* pDoc = NULL;
    m_pWebBrowser2->get_Document(&pDoc);
    if (pDoc == NULL)
        return;
    ICustomDoc* pCustomDoc = NULL;
    pDoc->QueryInterface(kIidICustomDoc, reinterpret_cast<LPVOID*>(&pCustomDoc));
    pDoc->Release();
    if (pCustomDoc == NULL)
        return;
    // A new document: the previous one gives the handler back first.
    if (pCustomDoc != m_pCustomDoc) {
        RevokeDocHostHandler();
        m_pCustomDoc = pCustomDoc;
    } else {
        pCustomDoc->Release();
    }
    m_pCustomDoc->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
}

void CWebBrowserUI::RevokeDocHostHandler()
{
    ICustomDoc* pCustomDoc = m_pCustomDoc;
    if (pCustomDoc == NULL)
        return;
    m_pCustomDoc = NULL;
    pCustomDoc->SetUIHandler(NULL);
    pCustomDoc->Release();
}

// ---------------------------------------------------------------------------
// Navigation
// ---------------------------------------------------------------------------
void CWebBrowserUI::Navigate2(LPCTSTR lpszUrl)
{
    if (lpszUrl == NULL || m_pWebBrowser2 == NULL)
        return;
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(lpszUrl);
    if (url.bstrVal != NULL)
        m_pWebBrowser2->Navigate2(&url, NULL, NULL, NULL, NULL);
    ::VariantClear(&url);
}

void CWebBrowserUI::Refresh()
{
    if (m_pWebBrowser2 != NULL)
        m_pWebBrowser2->Refresh();
}

void CWebBrowserUI::Refresh2(int Level)
{
    if (m_pWebBrowser2 == NULL)
        return;
    VARIANT vLevel;
    ::VariantInit(&vLevel);
    vLevel.vt = VT_I4;
    vLevel.lVal = Level;
    m_pWebBrowser2->Refresh2(&vLevel);
}

void CWebBrowserUI::GoBack()
{
    if (m_pWebBrowser2 != NULL)
        m_pWebBrowser2->GoBack();
}

void CWebBrowserUI::GoForward()
{
    if (m_pWebBrowser2 != NULL)
        m_pWebBrowser2->GoForward();
}

HRESULT CWebBrowserUI::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                                LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP)
{
    if (m_pWebBrowserEventHandler == NULL)
        return S_OK;
    return m_pWebBrowserEventHandler->Download(pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir,
                                               uiCP);
}

// ---------------------------------------------------------------------------
// IUnknown
// ---------------------------------------------------------------------------
STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IDocHostUIHandler)
        *ppvObject = static_cast<IDocHostUIHandler*>(this);
    else if (riid == IID_IServiceProvider)
        *ppvObject = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IOleCommandTarget)
        *ppvObject = static_cast<IOleCommandTarget*>(this);
    else if (riid == IID_IDispatch)
        *ppvObject = static_cast<IDispatch*>(this);
    if (*ppvObject == NULL)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The count only reports; the control lives as long as its place in the tree.
STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CWebBrowserUI::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef));
}

// ---------------------------------------------------------------------------
// IDispatch: DWebBrowserEvents2
// ---------------------------------------------------------------------------
STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo != NULL)
        *pctinfo = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

// A handler may re-enter the window (and even remove this control's page)
// from its call: nothing of this object is touched after a handler call.
STDMETHODIMP CWebBrowserUI::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD, DISPPARAMS* pDispParams,
                                   VARIANT*, EXCEPINFO*, UINT*)
{
    if (riid != IID_NULL)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    switch (dispIdMember) {
    case kDispStatusTextChange:
        return S_OK;
    case kDispCommandStateChange:
        hr = CheckArgs(pDispParams, kCommandStateArgs);
        if (FAILED(hr))
            return hr;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->CommandStateChange(pDispParams->rgvarg[1].lVal,
                                                          pDispParams->rgvarg[0].boolVal);
        return S_OK;
    case kDispTitleChange:
        hr = CheckArgs(pDispParams, kTitleArgs);
        if (FAILED(hr))
            return hr;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->TitleChange(pDispParams->rgvarg[0].bstrVal);
        return S_OK;
    case kDispBeforeNavigate2: {
        hr = CheckArgs(pDispParams, kBeforeNavigateArgs);
        if (FAILED(hr))
            return hr;
        VARIANTARG* a = pDispParams->rgvarg;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->BeforeNavigate2(a[6].pdispVal, a[5].pvarVal, a[4].pvarVal, a[3].pvarVal,
                                                       a[2].pvarVal, a[1].pvarVal, a[0].pboolVal);
        return S_OK;
    }
    case kDispNavigateComplete2: {
        hr = CheckArgs(pDispParams, kCompleteArgs);
        if (FAILED(hr))
            return hr;
        InstallDocHostHandler();
        VARIANTARG* a = pDispParams->rgvarg;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->NavigateComplete2(a[1].pdispVal, a[0].pvarVal);
        return S_OK;
    }
    case kDispDocumentComplete: {
        hr = CheckArgs(pDispParams, kCompleteArgs);
        if (FAILED(hr))
            return hr;
        VARIANTARG* a = pDispParams->rgvarg;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->DocumentComplete(a[1].pdispVal, a[0].pvarVal);
        return S_OK;
    }
    case kDispNavigateError: {
        hr = CheckArgs(pDispParams, kNavigateErrorArgs);
        if (FAILED(hr))
            return hr;
        VARIANTARG* a = pDispParams->rgvarg;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->NavigateError(a[4].pdispVal, a[3].pvarVal, a[2].pvarVal, a[1].pvarVal,
                                                     a[0].pboolVal);
        return S_OK;
    }
    case kDispNewWindow3: {
        hr = CheckArgs(pDispParams, kNewWindowArgs);
        if (FAILED(hr))
            return hr;
        VARIANTARG* a = pDispParams->rgvarg;
        if (m_pWebBrowserEventHandler != NULL)
            m_pWebBrowserEventHandler->NewWindow3(a[4].ppdispVal, a[3].pboolVal, static_cast<DWORD>(a[2].lVal),
                                                  a[1].bstrVal, a[0].bstrVal);
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// ---------------------------------------------------------------------------
// IDocHostUIHandler: forwarded to the handler. Out pointers are cleared
// first, so that a handler that sets nothing hands back nothing.
// ---------------------------------------------------------------------------
STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD dwID, POINT* pptPosition, IUnknown* pCommandTarget,
                                            IDispatch* pDispatchObjectHit)
{
    if (m_pWebBrowserEventHandler == NULL)
        return S_FALSE;
    return m_pWebBrowserEventHandler->ShowContextMenu(dwID, pptPosition, pCommandTarget, pDispatchObjectHit);
}

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->GetHostInfo(pInfo);
}

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                   IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                   IOleInPlaceUIWindow* pDoc)
{
    if (m_pWebBrowserEventHandler == NULL)
        return S_OK;
    return m_pWebBrowserEventHandler->ShowUI(dwID, pActiveObject, pCommandTarget, pFrame, pDoc);
}

STDMETHODIMP CWebBrowserUI::HideUI()
{
    if (m_pWebBrowserEventHandler == NULL)
        return S_OK;
    return m_pWebBrowserEventHandler->HideUI();
}

STDMETHODIMP CWebBrowserUI::UpdateUI()
{
    if (m_pWebBrowserEventHandler == NULL)
        return S_OK;
    return m_pWebBrowserEventHandler->UpdateUI();
}

STDMETHODIMP CWebBrowserUI::EnableModeless(BOOL fEnable)
{
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->EnableModeless(fEnable);
}

STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(BOOL fActivate)
{
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->OnDocWindowActivate(fActivate);
}

STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(BOOL fActivate)
{
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->OnFrameWindowActivate(fActivate);
}

STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow)
{
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->ResizeBorder(prcBorder, pUIWindow, fFrameWindow);
}

STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID)
{
    if (m_pWebBrowserEventHandler == NULL)
        return S_FALSE;
    return m_pWebBrowserEventHandler->TranslateAccelerator(lpMsg, pguidCmdGroup, nCmdID);
}

STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dwReserved)
{
    if (pchKey != NULL)
        *pchKey = NULL;
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->GetOptionKeyPath(pchKey, dwReserved);
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget)
{
    if (ppDropTarget != NULL)
        *ppDropTarget = NULL;
    if (m_pWebBrowserEventHandler == NULL)
        return S_FALSE;
    return m_pWebBrowserEventHandler->GetDropTarget(pDropTarget, ppDropTarget);
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** ppDispatch)
{
    if (ppDispatch != NULL)
        *ppDispatch = NULL;
    if (m_pWebBrowserEventHandler == NULL)
        return S_FALSE;
    return m_pWebBrowserEventHandler->GetExternal(ppDispatch);
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut)
{
    if (ppchURLOut != NULL)
        *ppchURLOut = NULL;
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->TranslateUrl(dwTranslate, pchURLIn, ppchURLOut);
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet)
{
    if (ppDORet != NULL)
        *ppDORet = NULL;
    if (m_pWebBrowserEventHandler == NULL)
        return E_NOTIMPL;
    return m_pWebBrowserEventHandler->FilterDataObject(pDO, ppDORet);
}

// ---------------------------------------------------------------------------
// IServiceProvider
// ---------------------------------------------------------------------------
STDMETHODIMP CWebBrowserUI::QueryService(REFGUID guidService, REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (guidService == kIidIDownloadManager && riid == kIidIDownloadManager) {
        *ppvObject = static_cast<IDownloadManager*>(&m_DownloadManager);
        m_DownloadManager.AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP CWebBrowserUI::CDownloadManagerPart::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (riid == kIidIDownloadManager) {
        *ppvObject = static_cast<IDownloadManager*>(this);
        AddRef();
        return S_OK;
    }
    return m_pOwner->QueryInterface(riid, ppvObject);
}

STDMETHODIMP_(ULONG) CWebBrowserUI::CDownloadManagerPart::AddRef()
{
    return m_pOwner->AddRef();
}

STDMETHODIMP_(ULONG) CWebBrowserUI::CDownloadManagerPart::Release()
{
    return m_pOwner->Release();
}

STDMETHODIMP CWebBrowserUI::CDownloadManagerPart::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb,
                                                           LONG grfBINDF, BINDINFO* pBindInfo,
                                                           LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP)
{
    return m_pOwner->Download(pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir, uiCP);
}

// ---------------------------------------------------------------------------
// IOleCommandTarget
// ---------------------------------------------------------------------------
STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*)
{
    return OLECMDERR_E_NOTSUPPORTED;
}

// A script error: its details are read from the page's current event, and
// the browser is told to go on running scripts without its error dialog.
STDMETHODIMP CWebBrowserUI::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD, VARIANTARG* pvaIn,
                                 VARIANTARG* pvaOut)
{
    if (pguidCmdGroup == NULL || *pguidCmdGroup != kCgidDocHostCommandHandler)
        return OLECMDERR_E_UNKNOWNGROUP;
    if (nCmdID != kCmdShowScriptError)
        return OLECMDERR_E_NOTSUPPORTED;
    if (pvaOut == NULL || pvaIn == NULL || (pvaIn->vt != VT_UNKNOWN && pvaIn->vt != VT_DISPATCH)
        || pvaIn->punkVal == NULL)
        return E_INVALIDARG;

    IHTMLDocument2* pDoc = NULL;
    pvaIn->punkVal->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<LPVOID*>(&pDoc));
    if (pDoc != NULL) {
        IHTMLWindow2* pWindow = NULL;
        pDoc->get_parentWindow(&pWindow);
        if (pWindow != NULL) {
            IHTMLEventObj* pEvent = NULL;
            pWindow->get_event(&pEvent);
            if (pEvent != NULL) {
                IDispatch* pEventDisp = NULL;
                pEvent->QueryInterface(IID_IDispatch, reinterpret_cast<LPVOID*>(&pEventDisp));
                if (pEventDisp != NULL) {
                    static const wchar_t* const kErrorProperties[] = { L"errorLine", L"errorCharacter",
                                                                       L"errorCode", L"errorMessage",
                                                                       L"errorUrl" };
                    for (size_t i = 0; i < sizeof(kErrorProperties) / sizeof(kErrorProperties[0]); ++i)
                        ReadProperty(pEventDisp, kErrorProperties[i]);
                    pEventDisp->Release();
                }
                pEvent->Release();
            }
            pWindow->Release();
        }
        pDoc->Release();
    }
    // Keep running scripts, and show no script-error dialog.
    pvaOut->vt = VT_BOOL;
    pvaOut->boolVal = VARIANT_TRUE;
    return S_OK;
}

// ---------------------------------------------------------------------------
// ITranslateAccelerator
// ---------------------------------------------------------------------------
LRESULT CWebBrowserUI::TranslateAccelerator(MSG* pMsg)
{
    return TranslateHostedAccelerator(m_pWebBrowser2, pMsg);
}

} // namespace SkinUI
