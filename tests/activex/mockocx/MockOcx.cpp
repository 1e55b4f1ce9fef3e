// mockocx.dll: a test-only ActiveX control DLL. It serves a plain OLE control,
// a browser (under the WebBrowser CLSID) and a Flash control (under the Flash
// CLSID) through DllGetClassObject, behaves as MockOcxState::flags say, and
// writes every call a host makes into it to MockOcxState::log. The documents
// of its browser live in MockDocument.cpp.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <mshtmhst.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "MockOcx.h"
#include "MockOcxInternal.h"
#include "MockStubs.h"

namespace {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
const CLSID kClsidWebBrowser = { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };
// {D27CDB6E-AE6D-11CF-96B8-444553540000}, its IShockwaveFlash and event interface.
const CLSID kClsidFlash = { 0xD27CDB6E, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
const IID kIidShockwaveFlash = { 0xD27CDB6C, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
const IID kIidShockwaveFlashEvents = { 0xD27CDB6D, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };

const wchar_t kWindowClass[] = L"MockOcxWindow";

enum Kind
{
    KindControl,
    KindBrowser,
    KindFlash
};

MockOcxState g_state;

LRESULT CALLBACK MockWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        HBRUSH hBrush = ::CreateSolidBrush(g_state.drawColor);
        RECT rc;
        ::GetClientRect(hWnd, &rc);
        ::FillRect(hDC, &rc, hBrush);
        ::DeleteObject(hBrush);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class MockObject;

// One per running hook call of an object (innermost first); the object's
// destructor marks its own, so the call can tell that it outlived it.
struct CallFrame
{
    MockObject* object;
    bool destroyed;
    CallFrame* outer;
};
CallFrame* g_frames = NULL;

// The event connection point of a browser or Flash object: one sink.
class MockConnectionPoint : public Stub_IConnectionPoint
{
public:
    MockConnectionPoint(MockObject* pOuter, REFIID iid) : m_pOuter(pOuter), m_iid(iid) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* pIID) override
    {
        *pIID = m_iid;
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override
    {
        IDispatch* pSink = NULL;
        if (pUnkSink == NULL || FAILED(pUnkSink->QueryInterface(m_iid, reinterpret_cast<void**>(&pSink)))) {
            if (pUnkSink == NULL || FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pSink))))
                return CONNECT_E_CANNOTCONNECT;
        }
        if (g_state.sink != NULL)
            g_state.sink->Release();
        g_state.sink = pSink;
        *pdwCookie = 0x51;
        MockLog("Advise");
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD dwCookie) override
    {
        MockLog("Unadvise %lu", static_cast<unsigned long>(dwCookie));
        if (dwCookie != 0x51)
            return CONNECT_E_NOCONNECTION;
        if (g_state.sink != NULL) {
            g_state.sink->Release();
            g_state.sink = NULL;
        }
        return S_OK;
    }

private:
    MockObject* m_pOuter;
    IID m_iid;
};

// The IWebBrowser2 part of a browser object.
class MockBrowserPart : public Stub_IWebBrowser2
{
public:
    MockBrowserPart(IUnknown* pOuter) : m_pOuter(pOuter), m_pDocument(NULL) {}
    ~MockBrowserPart()
    {
        if (m_pDocument != NULL)
            m_pDocument->Release();
    }
    // The browser is closed: its document may live on (a page or a test
    // holds it) but has no host any more.
    void Closed()
    {
        if (m_pDocument != NULL)
            MockDocumentBrowserClosed(m_pDocument);
    }
    MOCK_PART_OF(m_pOuter)
    MOCK_NO_TYPE_INFO
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    STDMETHODIMP Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                           VARIANT* Headers) override
    {
        ++g_state.navigations;
        const wchar_t* url = (URL != NULL && URL->vt == VT_BSTR && URL->bstrVal != NULL) ? URL->bstrVal : L"?";
        wcsncpy(g_state.lastNavigation, url, 511);
        MockLog("Navigate2 %ls%s", url,
                (Flags || TargetFrameName || PostData || Headers) ? " with options" : "");
        // The page navigated to gets a new document; the old one lives on
        // only for whoever still holds it.
        if (m_pDocument != NULL) {
            m_pDocument->Release();
            m_pDocument = NULL;
        }
        return S_OK;
    }
    STDMETHODIMP Refresh() override
    {
        MockLog("Refresh");
        return S_OK;
    }
    STDMETHODIMP Refresh2(VARIANT* Level) override
    {
        MockLog("Refresh2 %ld", (Level != NULL && Level->vt == VT_I4) ? static_cast<long>(Level->lVal) : -1L);
        return S_OK;
    }
    STDMETHODIMP GoBack() override
    {
        MockLog("GoBack");
        return S_OK;
    }
    STDMETHODIMP GoForward() override
    {
        MockLog("GoForward");
        return S_OK;
    }
    STDMETHODIMP get_Document(IDispatch** ppDisp) override
    {
        *ppDisp = NULL;
        if ((g_state.flags & MockNoDocument) != 0)
            return S_FALSE;
        if (m_pDocument == NULL)
            m_pDocument = MockNewDocument();
        return m_pDocument->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ppDisp));
    }

private:
    IUnknown* m_pOuter;
    IUnknown* m_pDocument;
};

// The IShockwaveFlash part of a Flash object (only its identity matters).
class MockFlashPart : public IDispatch
{
public:
    explicit MockFlashPart(IUnknown* pOuter) : m_pOuter(pOuter) {}
    MOCK_PART_OF(m_pOuter)
    MOCK_NO_TYPE_INFO
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

private:
    IUnknown* m_pOuter;
};

// The control itself: every OLE interface a host talks to.
class MockObject : public Stub_IOleObject,
                   public Stub_IOleControl,
                   public Stub_IOleInPlaceObjectWindowless,
                   public Stub_IOleInPlaceActiveObject,
                   public Stub_IViewObjectEx,
                   public Stub_IPersistStreamInit,
                   public Stub_IObjectWithSite,
                   public Stub_IRunnableObject,
                   public Stub_IConnectionPointContainer
{
public:
    MockObject(Kind kind)
        : m_dwRef(1),
          m_kind(kind),
          m_flags(g_state.flags),
          m_pSite(NULL),
          m_pSiteOfSite(NULL),
          m_pFrame(NULL),
          m_pDoc(NULL),
          m_hWnd(NULL),
          m_bActive(false),
          m_bWindowless(false),
          m_CP(this, kind == KindFlash ? kIidShockwaveFlashEvents : DIID_DWebBrowserEvents2),
          m_Browser(static_cast<IOleObject*>(this)),
          m_Flash(static_cast<IOleObject*>(this))
    {
        ::InterlockedIncrement(&g_state.liveObjects);
        ::InterlockedIncrement(&g_state.created);
        ::SetRectEmpty(&m_rcPos);
    }
    virtual ~MockObject()
    {
        for (CallFrame* f = g_frames; f != NULL; f = f->outer)
            if (f->object == this)
                f->destroyed = true;
        m_Browser.Closed();
        InPlaceDeactivate();
        if (m_pSite != NULL)
            m_pSite->Release();
        if (m_pSiteOfSite != NULL)
            m_pSiteOfSite->Release();
        ::InterlockedDecrement(&g_state.liveObjects);
    }

    // --- IUnknown ------------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == NULL)
            return E_POINTER;
        *ppv = NULL;
        const bool view = (m_flags & MockNoViewObject) == 0;
        const bool viewEx = view && (m_flags & MockNoViewObjectEx) == 0;
        const bool inPlace = (m_flags & MockNoInPlaceObject) == 0;
        if (riid == IID_IUnknown || riid == IID_IOleObject)
            *ppv = static_cast<IOleObject*>(this);
        else if (riid == IID_IOleControl)
            *ppv = static_cast<IOleControl*>(this);
        else if (inPlace && (riid == IID_IOleInPlaceObjectWindowless || riid == IID_IOleInPlaceObject))
            *ppv = static_cast<IOleInPlaceObjectWindowless*>(this);
        else if (riid == IID_IOleInPlaceActiveObject)
            *ppv = static_cast<IOleInPlaceActiveObject*>(this);
        else if (viewEx && riid == IID_IViewObjectEx)
            *ppv = static_cast<IViewObjectEx*>(this);
        else if (view && (riid == IID_IViewObject2 || riid == IID_IViewObject))
            *ppv = static_cast<IViewObjectEx*>(this);
        else if (riid == IID_IPersistStreamInit)
            *ppv = static_cast<IPersistStreamInit*>(this);
        else if ((m_flags & MockObjectWithSite) != 0 && riid == IID_IObjectWithSite)
            *ppv = static_cast<IObjectWithSite*>(this);
        else if ((m_flags & MockRunnable) != 0 && riid == IID_IRunnableObject)
            *ppv = static_cast<IRunnableObject*>(this);
        else if (m_kind != KindControl && riid == IID_IConnectionPointContainer)
            *ppv = static_cast<IConnectionPointContainer*>(this);
        else if (m_kind == KindBrowser && (riid == IID_IWebBrowser2 || riid == IID_IDispatch))
            *ppv = static_cast<IWebBrowser2*>(&m_Browser);
        else if (m_kind == KindFlash && (riid == kIidShockwaveFlash || riid == IID_IDispatch))
            *ppv = static_cast<IDispatch*>(&m_Flash);
        if (*ppv == NULL)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    MOCK_REF_COUNT(m_dwRef)

    // --- IOleObject ----------------------------------------------------------
    STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override
    {
        MockLog("SetClientSite %s", pClientSite != NULL ? "site" : "null");
        if (pClientSite != NULL)
            pClientSite->AddRef();
        if (m_pSite != NULL) {
            if (pClientSite == NULL && (m_flags & MockKeepsSite) != 0 && g_state.keptSite == NULL)
                g_state.keptSite = m_pSite;
            else
                m_pSite->Release();
        }
        m_pSite = pClientSite;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override
    {
        *ppClientSite = m_pSite;
        if (m_pSite != NULL)
            m_pSite->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override
    {
        MockLog("SetHostNames %ls %s", szContainerApp != NULL ? szContainerApp : L"(null)",
                szContainerObj != NULL ? "obj" : "null");
        return S_OK;
    }
    STDMETHODIMP Close(DWORD dwSaveOption) override
    {
        MockLog("Close %lu", static_cast<unsigned long>(dwSaveOption));
        m_Browser.Closed();
        InPlaceDeactivate();
        return S_OK;
    }
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent, LPCRECT lprcPosRect) override
    {
        MockLog("DoVerb %ld", static_cast<long>(iVerb));
        if (!RunHook("DoVerb", iVerb))
            return S_OK;
        if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_UIACTIVATE && iVerb != OLEIVERB_SHOW)
            return S_OK;
        if (m_bActive)
            return S_OK;
        IOleClientSite* pSite = pActiveSite != NULL ? pActiveSite : m_pSite;
        if (pSite == NULL)
            return E_UNEXPECTED;
        (void)hwndParent;
        if (lprcPosRect != NULL)
            m_rcPos = *lprcPosRect;
        return Activate(pSite);
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* pdwStatus) override
    {
        DWORD status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT;
        if ((m_flags & MockSetClientSiteFirst) != 0)
            status |= OLEMISC_SETCLIENTSITEFIRST;
        if ((m_flags & MockInvisibleAtRuntime) != 0)
            status |= OLEMISC_INVISIBLEATRUNTIME;
        if ((m_flags & MockNoUIActivate) != 0)
            status |= OLEMISC_NOUIACTIVATE;
        *pdwStatus = status;
        return S_OK;
    }
    STDMETHODIMP SetExtent(DWORD, SIZEL* psizel) override
    {
        MockLog("SetExtent %ld,%ld", static_cast<long>(psizel->cx), static_cast<long>(psizel->cy));
        return S_OK;
    }

    // --- IOleWindow (both in-place interfaces) -------------------------------
    STDMETHODIMP GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hWnd;
        return m_hWnd != NULL ? S_OK : E_FAIL;
    }

    // --- IOleInPlaceObject(Windowless) ----------------------------------------
    STDMETHODIMP InPlaceDeactivate() override
    {
        if (!m_bActive)
            return S_OK;
        m_bActive = false;
        if (m_hWnd != NULL) {
            ::DestroyWindow(m_hWnd);
            m_hWnd = NULL;
            g_state.window = NULL;
        }
        IOleInPlaceSite* pInPlace = NULL;
        if (m_pSite != NULL && SUCCEEDED(m_pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pInPlace)))) {
            pInPlace->OnInPlaceDeactivate();
            pInPlace->Release();
        }
        if (m_pFrame != NULL) {
            m_pFrame->Release();
            m_pFrame = NULL;
        }
        if (m_pDoc != NULL) {
            m_pDoc->Release();
            m_pDoc = NULL;
        }
        return S_OK;
    }
    STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT) override
    {
        m_rcPos = *lprcPosRect;
        MockLog("SetObjectRects %ld,%ld,%ld,%ld", static_cast<long>(m_rcPos.left), static_cast<long>(m_rcPos.top),
                static_cast<long>(m_rcPos.right), static_cast<long>(m_rcPos.bottom));
        if (m_hWnd != NULL)
            ::MoveWindow(m_hWnd, m_rcPos.left, m_rcPos.top, m_rcPos.right - m_rcPos.left,
                         m_rcPos.bottom - m_rcPos.top, TRUE);
        return S_OK;
    }
    STDMETHODIMP OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT* plResult) override
    {
        MockLog("OnWindowMessage 0x%X", msg);
        *plResult = 0;
        if (!RunHook("OnWindowMessage", static_cast<long>(msg)))
            return S_OK;
        if ((m_flags & MockCaptureOnPress) != 0 && (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP)) {
            IOleInPlaceSiteWindowless* pWindowless = NULL;
            if (m_pSite != NULL
                && SUCCEEDED(m_pSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&pWindowless)))) {
                pWindowless->SetCapture(msg == WM_LBUTTONDOWN ? TRUE : FALSE);
                pWindowless->Release();
            }
        }
        return S_OK;
    }

    // --- IOleInPlaceActiveObject --------------------------------------------
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override
    {
        MockLog("TranslateAccelerator 0x%X", lpmsg != NULL ? lpmsg->message : 0u);
        return S_OK;
    }

    // --- IViewObject(Ex) -----------------------------------------------------
    STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override
    {
        if (lprcBounds == NULL)
            return E_INVALIDARG;
        MockLog("Draw %ld,%ld,%ld,%ld", static_cast<long>(lprcBounds->left), static_cast<long>(lprcBounds->top),
                static_cast<long>(lprcBounds->right), static_cast<long>(lprcBounds->bottom));
        RECT rc = { lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom };
        HBRUSH hBrush = ::CreateSolidBrush(g_state.drawColor);
        ::FillRect(hdcDraw, &rc, hBrush);
        ::DeleteObject(hBrush);
        return S_OK;
    }
    STDMETHODIMP QueryHitPoint(DWORD, LPCRECT, POINT ptlLoc, LONG, DWORD* pHitResult) override
    {
        MockLog("QueryHitPoint %ld,%ld", static_cast<long>(ptlLoc.x), static_cast<long>(ptlLoc.y));
        *pHitResult = ::PtInRect(&g_state.hitRect, ptlLoc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }

    // --- IPersistStreamInit --------------------------------------------------
    STDMETHODIMP InitNew() override
    {
        MockLog("InitNew");
        return (m_flags & MockInitNewFails) != 0 ? E_FAIL : S_OK;
    }

    // --- IObjectWithSite -----------------------------------------------------
    STDMETHODIMP SetSite(IUnknown* pUnkSite) override
    {
        MockLog("SetSite %s", pUnkSite != NULL ? "site" : "null");
        if (pUnkSite != NULL)
            pUnkSite->AddRef();
        if (m_pSiteOfSite != NULL)
            m_pSiteOfSite->Release();
        m_pSiteOfSite = pUnkSite;
        return S_OK;
    }

    // --- IRunnableObject -----------------------------------------------------
    STDMETHODIMP LockRunning(BOOL fLock, BOOL) override
    {
        MockLog("LockRunning %d", fLock ? 1 : 0);
        if (fLock)
            ::InterlockedIncrement(&g_state.lockRunning);
        else
            ::InterlockedDecrement(&g_state.lockRunning);
        return S_OK;
    }

    // --- IConnectionPointContainer -------------------------------------------
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override
    {
        *ppCP = NULL;
        IID iid;
        m_CP.GetConnectionInterface(&iid);
        if (riid != iid)
            return CONNECT_E_NOCONNECTION;
        *ppCP = &m_CP;
        AddRef();
        return S_OK;
    }

private:
    // Runs the test's hook; false when it freed this object (the host let
    // its last reference go while the call was running): the caller must
    // then return without touching it.
    bool RunHook(const char* call, long value)
    {
        if (g_state.hook == NULL)
            return true;
        CallFrame frame = { this, false, g_frames };
        g_frames = &frame;
        g_state.hook(call, value, g_state.hookContext);
        g_frames = frame.outer;
        if (!frame.destroyed)
            return true;
        MockLog("destroyed during its own %s", call);
        ::InterlockedIncrement(&g_state.destroyedInCall);
        return false;
    }

    // In-place activation the way OLE controls do it: windowless when asked
    // for and the site allows it, otherwise in a child window of the site's.
    HRESULT Activate(IOleClientSite* pSite)
    {
        if ((m_flags & MockWindowless) != 0) {
            IOleInPlaceSiteWindowless* pWindowless = NULL;
            if (SUCCEEDED(pSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&pWindowless)))) {
                HRESULT hr = pWindowless->CanWindowlessActivate();
                if (hr == S_OK) {
                    BOOL bNoRedraw = FALSE;
                    hr = pWindowless->OnInPlaceActivateEx(&bNoRedraw, ACTIVATE_WINDOWLESS);
                    MockLog("OnInPlaceActivateEx windowless 0x%lX", static_cast<unsigned long>(hr));
                    if (SUCCEEDED(hr)) {
                        m_bActive = true;
                        m_bWindowless = true;
                        GetContext(pWindowless);
                    }
                }
                pWindowless->Release();
                return hr;
            }
        }
        IOleInPlaceSite* pInPlace = NULL;
        if (FAILED(pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pInPlace))))
            return E_NOINTERFACE;
        HRESULT hr = pInPlace->CanInPlaceActivate();
        if (hr == S_OK)
            hr = pInPlace->OnInPlaceActivate();
        HWND hParent = NULL;
        if (SUCCEEDED(hr))
            hr = pInPlace->GetWindow(&hParent);
        if (SUCCEEDED(hr))
            hr = GetContext(pInPlace);
        if (SUCCEEDED(hr)) {
            m_hWnd = ::CreateWindowExW(0, kWindowClass, L"mock", WS_CHILD | WS_VISIBLE, m_rcPos.left, m_rcPos.top,
                                       m_rcPos.right - m_rcPos.left, m_rcPos.bottom - m_rcPos.top, hParent, NULL,
                                       MockModule(), NULL);
            g_state.window = m_hWnd;
            hr = m_hWnd != NULL ? S_OK : E_FAIL;
        }
        MockLog("activated windowed 0x%lX", static_cast<unsigned long>(hr));
        m_bActive = SUCCEEDED(hr);
        pInPlace->Release();
        return hr;
    }
    HRESULT GetContext(IOleInPlaceSite* pInPlace)
    {
        RECT rcPos, rcClip;
        OLEINPLACEFRAMEINFO info;
        ::ZeroMemory(&info, sizeof(info));
        info.cb = sizeof(info);
        HRESULT hr = pInPlace->GetWindowContext(&m_pFrame, &m_pDoc, &rcPos, &rcClip, &info);
        if (SUCCEEDED(hr)) {
            m_rcPos = rcPos;
            g_state.accel = info.haccel;
        }
        return hr;
    }

    LONG m_dwRef;
    Kind m_kind;
    unsigned m_flags;
    IOleClientSite* m_pSite;
    IUnknown* m_pSiteOfSite;
    IOleInPlaceFrame* m_pFrame;
    IOleInPlaceUIWindow* m_pDoc;
    HWND m_hWnd;
    bool m_bActive;
    bool m_bWindowless;
    RECT m_rcPos;
    MockConnectionPoint m_CP;
    MockBrowserPart m_Browser;
    MockFlashPart m_Flash;

    friend class MockConnectionPoint;
};

STDMETHODIMP MockConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}
STDMETHODIMP_(ULONG) MockConnectionPoint::AddRef()
{
    return static_cast<IOleObject*>(m_pOuter)->AddRef();
}
STDMETHODIMP_(ULONG) MockConnectionPoint::Release()
{
    return static_cast<IOleObject*>(m_pOuter)->Release();
}

class MockFactory : public IClassFactory
{
public:
    explicit MockFactory(Kind kind) : m_kind(kind) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override
    {
        *ppv = NULL;
        if (pUnkOuter != NULL)
            return CLASS_E_NOAGGREGATION;
        MockLog("CreateInstance");
        MockObject* pObj = new (std::nothrow) MockObject(m_kind);
        if (pObj == NULL)
            return E_OUTOFMEMORY;
        HRESULT hr = pObj->QueryInterface(riid, ppv);
        static_cast<IOleObject*>(pObj)->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    Kind m_kind;
};

MockFactory g_controlFactory(KindControl);
MockFactory g_browserFactory(KindBrowser);
MockFactory g_flashFactory(KindFlash);
HMODULE g_hModule = NULL;

} // namespace

HMODULE MockModule()
{
    return g_hModule;
}

void MockLog(const char* format, ...)
{
    char line[600];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    const size_t used = std::strlen(g_state.log);
    const size_t room = sizeof(g_state.log) - used;
    if (std::strlen(line) + 2 < room) {
        std::strcat(g_state.log, line);
        std::strcat(g_state.log, "\n");
    }
}

MockOcxState& MockState()
{
    return g_state;
}

extern "C" MockOcxState* __cdecl MockOcxGetState()
{
    return &g_state;
}

// Forgets the record and the switches; what tests left connected is released.
extern "C" void __cdecl MockOcxReset()
{
    if (g_state.sink != NULL)
        g_state.sink->Release();
    if (g_state.keptSite != NULL)
        g_state.keptSite->Release();
    const LONG live = g_state.liveObjects;
    const LONG docs = g_state.liveDocuments;
    std::memset(&g_state, 0, sizeof(g_state));
    g_state.liveObjects = live;
    g_state.liveDocuments = docs;
    g_state.drawColor = RGB(0x33, 0x66, 0xCC);
}

extern "C" IUnknown* __cdecl MockOcxNewDocument()
{
    return MockNewDocument();
}

extern "C" HRESULT __cdecl MockOcxDocumentCallsHandler(IUnknown* document)
{
    return MockDocumentCallsHandler(document);
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    *ppv = NULL;
    if ((g_state.flags & MockFactoryFails) != 0)
        return CLASS_E_CLASSNOTAVAILABLE;
    MockFactory* pFactory = NULL;
    if (rclsid == kClsidMockControl)
        pFactory = &g_controlFactory;
    else if (rclsid == kClsidWebBrowser)
        pFactory = &g_browserFactory;
    else if (rclsid == kClsidFlash)
        pFactory = &g_flashFactory;
    if (pFactory == NULL)
        return CLASS_E_CLASSNOTAVAILABLE;
    return pFactory->QueryInterface(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return S_FALSE;
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hModule = hInstance;
        g_state.drawColor = RGB(0x33, 0x66, 0xCC);
        WNDCLASSW wc;
        ::ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = MockWindowProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = kWindowClass;
        wc.hCursor = ::LoadCursorW(NULL, IDC_ARROW);
        ::RegisterClassW(&wc);
    }
    return TRUE;
}
