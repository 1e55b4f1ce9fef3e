// CActiveXUI: creation, in-place activation, placement, painting, input and
// teardown of a hosted ActiveX object (the site itself is CActiveXCtrl).
#include "UIActiveX.h"

#include <wchar.h>

#include "UIActiveXCtrl.h"

namespace SkinUI {

namespace {

const wchar_t kHostName[] = L"UIActiveX";

// The messages a windowless object may receive: mouse messages from
// WM_MOUSEMOVE to WM_XBUTTONDBLCLK, key messages from WM_KEYDOWN to 0x108.
const UINT kMouseFirst = 0x200;
const UINT kMouseLast = 0x20D;
const UINT kKeyFirst = 0x100;
const UINT kKeyLast = 0x108;

typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectFn)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

// The point of a mouse message in client coordinates of hWnd: the wheel
// message carries screen coordinates, WM_SETCURSOR none at all.
POINT MessagePoint(HWND hWnd, UINT uMsg, LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    if (uMsg == WM_SETCURSOR) {
        ::GetCursorPos(&pt);
        ::ScreenToClient(hWnd, &pt);
    } else if (uMsg == WM_MOUSEWHEEL) {
        ::ScreenToClient(hWnd, &pt);
    }
    return pt;
}

} // namespace

CActiveXUI::CActiveXUI()
    : m_clsid(GUID_NULL),
      m_bCreated(false),
      m_bDelayCreate(true),
      m_pUnk(NULL),
      m_pControl(NULL),
      m_hwndHost(NULL)
{
}

CActiveXUI::~CActiveXUI()
{
    CActiveXUI::ReleaseHostedControl();
}

LPCTSTR CActiveXUI::GetClassName() const
{
    return L"ActiveXUI";
}

LPVOID CActiveXUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ActiveX") == 0)
        return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

HWND CActiveXUI::GetHostWindow() const
{
    return m_hwndHost;
}

// ---------------------------------------------------------------------------
// Class id, module and creation timing
// ---------------------------------------------------------------------------
bool CActiveXUI::SetClassId(REFCLSID clsid)
{
    if (clsid == GUID_NULL)
        return false;
    m_clsid = clsid;
    m_bCreated = false;
    if (!m_bDelayCreate)
        CreateHostedControl();
    return true;
}

bool CActiveXUI::SetClassIdText(LPCTSTR pstrCLSID)
{
    if (pstrCLSID == NULL)
        return false;
    wchar_t szCLSID[100] = { 0 };
    wcsncpy(szCLSID, pstrCLSID, 99);
    CLSID clsid = GUID_NULL;
    HRESULT hr = szCLSID[0] == L'{' ? ::CLSIDFromString(szCLSID, &clsid) : ::CLSIDFromProgID(szCLSID, &clsid);
    if (FAILED(hr))
        clsid = GUID_NULL;
    return SetClassId(clsid);
}

CLSID CActiveXUI::GetClassId() const
{
    return m_clsid;
}

void CActiveXUI::SetDelayCreate(bool bDelayCreate)
{
    if (m_bDelayCreate == bDelayCreate)
        return;
    if (!bDelayCreate && !m_bCreated && m_clsid != GUID_NULL)
        CreateHostedControl();
    m_bDelayCreate = bDelayCreate;
}

bool CActiveXUI::IsDelayCreate() const
{
    return m_bDelayCreate;
}

void CActiveXUI::SetModuleName(LPCTSTR pstrText)
{
    m_sModuleName = pstrText;
}

const CUIString& CActiveXUI::GetModuleName() const
{
    return m_sModuleName;
}

void CActiveXUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL || pstrValue == NULL)
        return;
    if (wcscmp(pstrName, L"clsid") == 0)
        SetClassIdText(pstrValue);
    else if (wcscmp(pstrName, L"modulename") == 0)
        SetModuleName(pstrValue);
    else if (wcscmp(pstrName, L"delaycreate") == 0)
        SetDelayCreate(IsTrueValue(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

HRESULT CActiveXUI::GetControl(REFIID iid, LPVOID* ppRet)
{
    if (ppRet == NULL)
        return E_POINTER;
    if (m_pUnk == NULL)
        return E_PENDING;
    return m_pUnk->QueryInterface(iid, ppRet);
}

// ---------------------------------------------------------------------------
// Placement, visibility and painting
// ---------------------------------------------------------------------------
void CActiveXUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    // Positioning outside a window (no manager yet) creates nothing: the
    // object would have no window to activate in.
    if (!m_bCreated && m_pManager != NULL)
        CreateHostedControl();
    UpdateObjectRects();
}

void CActiveXUI::UpdateObjectRects()
{
    if (m_pUnk == NULL || m_pControl == NULL)
        return;
    HDC hDC = ::GetDC(NULL);
    SIZEL hmSize = { ::MulDiv(2540, m_rcItem.GetWidth(), ::GetDeviceCaps(hDC, LOGPIXELSX)),
                     ::MulDiv(2540, m_rcItem.GetHeight(), ::GetDeviceCaps(hDC, LOGPIXELSY)) };
    ::ReleaseDC(NULL, hDC);
    m_pUnk->SetExtent(DVASPECT_CONTENT, &hmSize);
    if (m_pControl->m_pInPlaceObject != NULL) {
        RECT rcItem = m_rcItem;
        if (!m_pControl->m_bWindowless)
            ::OffsetRect(&rcItem, -rcItem.left, -rcItem.top);
        m_pControl->m_pInPlaceObject->SetObjectRects(&rcItem, &rcItem);
    }
    if (!m_pControl->m_bWindowless && m_hwndHost != NULL && ::IsWindow(m_hwndHost))
        ::MoveWindow(m_hwndHost, m_rcItem.left, m_rcItem.top, m_rcItem.GetWidth(), m_rcItem.GetHeight(), TRUE);
}

void CActiveXUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (m_pControl != NULL && !m_pControl->m_bWindowless && m_hwndHost != NULL && ::IsWindow(m_hwndHost))
        ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetInheritedVisible(bool bVisible)
{
    CControlUI::SetInheritedVisible(bVisible);
    if (m_pControl != NULL && !m_pControl->m_bWindowless && m_hwndHost != NULL && ::IsWindow(m_hwndHost))
        ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

// The object draws itself; no background colour is painted under it.
bool CActiveXUI::PaintsOpaqueOver(const RECT& /*rc*/) const
{
    return false;
}

void CActiveXUI::Paint(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem))
        return;
    if (m_pControl == NULL || !m_pControl->m_bWindowless || m_pControl->m_pViewObject == NULL)
        return;
    RECTL rcBounds = { m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom };
    m_pControl->m_pViewObject->Draw(DVASPECT_CONTENT, -1, NULL, NULL, NULL, hDC, &rcBounds, &rcBounds, NULL, 0);
}

// ---------------------------------------------------------------------------
// Input of a windowless object
// ---------------------------------------------------------------------------
LRESULT CActiveXUI::FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (m_pControl == NULL || m_pControl->m_pInPlaceObject == NULL || !m_pControl->m_bInPlaceActive
        || !m_pControl->m_bWindowless)
        return 0;
    // Hidden, itself or through a parent (an unselected tab page, say): the
    // object takes nothing at the rectangle it was last shown at.
    if (!IsVisible())
        return 0;
    const bool bMouse = uMsg >= kMouseFirst && uMsg <= kMouseLast;
    if (bMouse && !IsMouseEnabled())
        return 0;

    bool bWasHandled = true;
    if (bMouse || uMsg == WM_SETCURSOR) {
        DWORD dwHitResult = m_pControl->m_bCaptured ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        if (dwHitResult == HITRESULT_OUTSIDE && m_pControl->m_pViewObject != NULL) {
            IViewObjectEx* pViewEx = NULL;
            m_pControl->m_pViewObject->QueryInterface(IID_IViewObjectEx, reinterpret_cast<LPVOID*>(&pViewEx));
            if (pViewEx != NULL) {
                const POINT pt = MessagePoint(m_pManager != NULL ? m_pManager->GetPaintWindow() : NULL, uMsg, lParam);
                pViewEx->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, pt, 0, &dwHitResult);
                pViewEx->Release();
            }
        }
        if (dwHitResult != HITRESULT_HIT)
            return 0;
        if (uMsg == WM_SETCURSOR)
            bWasHandled = false;
    } else if (uMsg >= kKeyFirst && uMsg <= kKeyLast) {
        if (!IsFocused())
            return 0;
    } else if (uMsg == WM_HELP || uMsg == WM_CONTEXTMENU) {
        bWasHandled = false;
    } else {
        return 0;
    }

    // The object may remove this control from its message, which releases
    // the object: it is held for the call, and nothing of this control is
    // touched afterwards.
    LRESULT lResult = 0;
    IOleInPlaceObjectWindowless* pWindowless = static_cast<IOleInPlaceObjectWindowless*>(m_pControl->m_pInPlaceObject);
    pWindowless->AddRef();
    HRESULT hr = pWindowless->OnWindowMessage(uMsg, wParam, lParam, &lResult);
    pWindowless->Release();
    if (hr == S_OK)
        bHandled = bWasHandled;
    return lResult;
}

HRESULT CActiveXUI::TranslateHostedAccelerator(IUnknown* pObject, MSG* pMsg) const
{
    if (pMsg == NULL || pMsg->message < kKeyFirst || pMsg->message > kKeyLast)
        return S_FALSE;
    if (pObject == NULL)
        return E_NOTIMPL;
    bool bInHost = false;
    for (HWND hWnd = ::GetFocus(); hWnd != NULL; hWnd = ::GetParent(hWnd)) {
        if (hWnd == m_hwndHost) {
            bInHost = true;
            break;
        }
    }
    if (!bInHost)
        return S_FALSE;
    IOleInPlaceActiveObject* pActive = NULL;
    pObject->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<LPVOID*>(&pActive));
    if (pActive == NULL)
        return S_FALSE;
    HRESULT hr = pActive->TranslateAccelerator(pMsg);
    pActive->Release();
    return hr;
}

HRESULT CActiveXUI::ConnectEvents(IUnknown* pSource, REFIID iidEvents, IUnknown* pSink, bool inAdvise,
                                  DWORD& dwCookie)
{
    if (pSource == NULL)
        return E_POINTER;
    IConnectionPointContainer* pCPC = NULL;
    HRESULT hr = pSource->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<LPVOID*>(&pCPC));
    if (FAILED(hr) || pCPC == NULL)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    IConnectionPoint* pCP = NULL;
    hr = pCPC->FindConnectionPoint(iidEvents, &pCP);
    if (SUCCEEDED(hr) && pCP != NULL) {
        if (inAdvise) {
            hr = pCP->Advise(pSink, &dwCookie);
        } else {
            hr = pCP->Unadvise(dwCookie);
            dwCookie = 0;
        }
        pCP->Release();
    }
    pCPC->Release();
    return hr;
}

// ---------------------------------------------------------------------------
// Creation and teardown
// ---------------------------------------------------------------------------
IUnknown* CActiveXUI::CreateFromModule()
{
    if (m_sModuleName.IsEmpty())
        return NULL;
    // The module stays loaded: objects of it may outlive this control.
    HMODULE hModule = ::LoadLibraryW(m_sModuleName.GetData());
    if (hModule == NULL)
        return NULL;
    DllGetClassObjectFn pfnGetClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(hModule, "DllGetClassObject")));
    if (pfnGetClassObject == NULL)
        return NULL;
    IClassFactory* pFactory = NULL;
    if (FAILED(pfnGetClassObject(m_clsid, IID_IClassFactory, reinterpret_cast<LPVOID*>(&pFactory)))
        || pFactory == NULL)
        return NULL;
    IUnknown* pUnk = NULL;
    HRESULT hr = pFactory->CreateInstance(NULL, IID_IOleObject, reinterpret_cast<LPVOID*>(&pUnk));
    pFactory->Release();
    if (FAILED(hr))
        return NULL;
    return pUnk;
}

bool CActiveXUI::CreateHostedControl()
{
    ReleaseHostedControl();
    m_bCreated = true;
    if (m_clsid == GUID_NULL)
        return false;

    IUnknown* pCreated = CreateFromModule();
    if (pCreated == NULL) {
        HRESULT hr = ::CoCreateInstance(m_clsid, NULL, CLSCTX_ALL, IID_IOleControl, reinterpret_cast<LPVOID*>(&pCreated));
        if (FAILED(hr) || pCreated == NULL)
            return false;
    }
    pCreated->QueryInterface(IID_IOleObject, reinterpret_cast<LPVOID*>(&m_pUnk));
    pCreated->Release();
    if (m_pUnk == NULL)
        return false;

    m_pControl = new CActiveXCtrl;
    m_pControl->m_pOwner = this;

    DWORD dwMiscStatus = 0;
    m_pUnk->GetMiscStatus(DVASPECT_CONTENT, &dwMiscStatus);
    IOleClientSite* pOleClientSite = NULL;
    m_pControl->QueryInterface(IID_IOleClientSite, reinterpret_cast<LPVOID*>(&pOleClientSite));
    if ((dwMiscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0)
        m_pUnk->SetClientSite(pOleClientSite);

    IPersistStreamInit* pPersistStreamInit = NULL;
    m_pUnk->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<LPVOID*>(&pPersistStreamInit));
    if (pPersistStreamInit != NULL) {
        HRESULT hr = pPersistStreamInit->InitNew();
        pPersistStreamInit->Release();
        if (FAILED(hr)) {
            if (pOleClientSite != NULL)
                pOleClientSite->Release();
            return false;
        }
    }
    if ((dwMiscStatus & OLEMISC_SETCLIENTSITEFIRST) == 0)
        m_pUnk->SetClientSite(pOleClientSite);

    HRESULT hr = m_pUnk->QueryInterface(IID_IViewObjectEx, reinterpret_cast<LPVOID*>(&m_pControl->m_pViewObject));
    if (FAILED(hr))
        hr = m_pUnk->QueryInterface(IID_IViewObject2, reinterpret_cast<LPVOID*>(&m_pControl->m_pViewObject));
    if (FAILED(hr))
        hr = m_pUnk->QueryInterface(IID_IViewObject, reinterpret_cast<LPVOID*>(&m_pControl->m_pViewObject));

    m_pUnk->SetHostNames(kHostName, NULL);
    if (m_pManager != NULL)
        m_pManager->SendNotify(this, L"showactivex", 0, 0, false);

    if ((dwMiscStatus & OLEMISC_INVISIBLEATRUNTIME) == 0) {
        RECT rcItem = m_rcItem;
        HWND hWndPaint = m_pManager != NULL ? m_pManager->GetPaintWindow() : NULL;
        hr = m_pUnk->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, pOleClientSite, 0, hWndPaint, &rcItem);
    }

    IObjectWithSite* pSite = NULL;
    m_pUnk->QueryInterface(IID_IObjectWithSite, reinterpret_cast<LPVOID*>(&pSite));
    if (pSite != NULL) {
        pSite->SetSite(static_cast<IOleClientSite*>(m_pControl));
        pSite->Release();
    }
    if (pOleClientSite != NULL)
        pOleClientSite->Release();
    return SUCCEEDED(hr);
}

void CActiveXUI::ReleaseHostedControl()
{
    m_hwndHost = NULL;
    if (m_pUnk != NULL) {
        IObjectWithSite* pSite = NULL;
        m_pUnk->QueryInterface(IID_IObjectWithSite, reinterpret_cast<LPVOID*>(&pSite));
        if (pSite != NULL) {
            pSite->SetSite(NULL);
            pSite->Release();
        }
        if (m_pControl != NULL)
            m_pControl->UnlockRunning();
        m_pUnk->Close(OLECLOSE_NOSAVE);
        m_pUnk->SetClientSite(NULL);
    }
    IOleObject* pUnk = m_pUnk;
    m_pUnk = NULL;
    if (m_pControl != NULL) {
        // The object may keep the site alive: nothing of this control stays
        // reachable through it, and the site gives back the object's
        // interfaces (which would keep both alive) before the object goes.
        CActiveXCtrl* pSite = m_pControl;
        m_pControl = NULL;
        pSite->DestroyActiveXWnd();
        pSite->m_pOwner = NULL;
        if (pSite->m_pViewObject != NULL) {
            pSite->m_pViewObject->Release();
            pSite->m_pViewObject = NULL;
        }
        if (pSite->m_pInPlaceObject != NULL) {
            pSite->m_pInPlaceObject->Release();
            pSite->m_pInPlaceObject = NULL;
        }
        pSite->m_bInPlaceActive = false;
        static_cast<IOleClientSite*>(pSite)->Release();
    }
    if (pUnk != NULL)
        pUnk->Release();
    if (m_pManager != NULL)
        m_pManager->RemoveMessageFilter(this);
}

} // namespace SkinUI
