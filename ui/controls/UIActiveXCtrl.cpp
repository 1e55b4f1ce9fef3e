// CActiveXCtrl: the container site of a hosted ActiveX object. Every call
// made after the owner let go of the site, or while the owner has no paint
// window to offer, answers E_UNEXPECTED (or E_FAIL where a window is needed).
#include "UIActiveXCtrl.h"

#include <new>

#include "UIActiveX.h"
#include "UIActiveXEnum.h"
#include "UIActiveXFrameWnd.h"
#include "UIActiveXWnd.h"

namespace SkinUI {

CActiveXCtrl::CActiveXCtrl()
    : m_dwRef(1),
      m_pOwner(NULL),
      m_pWindow(NULL),
      m_pUnkSite(NULL),
      m_pViewObject(NULL),
      m_pInPlaceObject(NULL),
      m_bLocked(false),
      m_bFocused(false),
      m_bCaptured(false),
      m_bUIActivated(false),
      m_bInPlaceActive(false),
      m_bWindowless(true),
      m_bRunningLocked(false),
      m_hAccel(NULL)
{
}

CActiveXCtrl::~CActiveXCtrl()
{
    DestroyActiveXWnd();
    if (m_pUnkSite != NULL)
        m_pUnkSite->Release();
    if (m_pViewObject != NULL)
        m_pViewObject->Release();
    if (m_pInPlaceObject != NULL)
        m_pInPlaceObject->Release();
    if (m_hAccel != NULL)
        ::DestroyAcceleratorTable(m_hAccel);
}

CActiveXUI* CActiveXCtrl::GetOwner() const
{
    return m_pOwner;
}

HWND CActiveXCtrl::GetPaintWindow() const
{
    if (m_pOwner == NULL || m_pOwner->GetManager() == NULL)
        return NULL;
    return m_pOwner->GetManager()->GetPaintWindow();
}

RECT CActiveXCtrl::GetObjectRect() const
{
    RECT rc = m_pOwner->GetPos();
    if (!m_bWindowless)
        ::OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

void CActiveXCtrl::UnlockRunning()
{
    if (!m_bRunningLocked)
        return;
    m_bRunningLocked = false;
    if (m_pOwner != NULL && m_pOwner->m_pUnk != NULL)
        ::OleLockRunning(m_pOwner->m_pUnk, FALSE, FALSE);
}

// ---------------------------------------------------------------------------
// IUnknown
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown)
        *ppvObject = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (riid == IID_IOleClientSite)
        *ppvObject = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleInPlaceSiteWindowless)
        *ppvObject = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (riid == IID_IOleInPlaceSiteEx)
        *ppvObject = static_cast<IOleInPlaceSiteEx*>(this);
    else if (riid == IID_IOleInPlaceSite)
        *ppvObject = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleWindow)
        *ppvObject = static_cast<IOleWindow*>(this);
    else if (riid == IID_IOleControlSite)
        *ppvObject = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IOleContainer)
        *ppvObject = static_cast<IOleContainer*>(this);
    else if (riid == IID_IObjectWithSite)
        *ppvObject = static_cast<IObjectWithSite*>(this);
    if (*ppvObject == NULL)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CActiveXCtrl::Release()
{
    const LONG lRef = ::InterlockedDecrement(&m_dwRef);
    if (lRef == 0)
        delete this;
    return static_cast<ULONG>(lRef);
}

// ---------------------------------------------------------------------------
// IObjectWithSite
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* pUnkSite)
{
    if (pUnkSite != NULL)
        pUnkSite->AddRef();
    if (m_pUnkSite != NULL)
        m_pUnkSite->Release();
    m_pUnkSite = pUnkSite;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID riid, LPVOID* ppvSite)
{
    if (ppvSite == NULL)
        return E_POINTER;
    *ppvSite = NULL;
    if (m_pUnkSite == NULL)
        return E_FAIL;
    return m_pUnkSite->QueryInterface(riid, ppvSite);
}

// ---------------------------------------------------------------------------
// IOleClientSite
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::SaveObject()
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk != NULL)
        *ppmk = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer == NULL)
        return E_POINTER;
    *ppContainer = NULL;
    HRESULT hr = E_NOTIMPL;
    if (m_pUnkSite != NULL)
        hr = m_pUnkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<LPVOID*>(ppContainer));
    if (FAILED(hr) || *ppContainer == NULL)
        hr = QueryInterface(IID_IOleContainer, reinterpret_cast<LPVOID*>(ppContainer));
    return hr;
}

STDMETHODIMP CActiveXCtrl::ShowObject()
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    // GetDC(NULL) would be the screen's DC.
    HDC hDC = m_pOwner->m_hwndHost != NULL ? ::GetDC(m_pOwner->m_hwndHost) : NULL;
    if (hDC == NULL)
        return E_FAIL;
    if (m_pViewObject != NULL) {
        const RECT& rc = m_pOwner->GetPos();
        RECTL rcl = { rc.left, rc.top, rc.right, rc.bottom };
        m_pViewObject->Draw(DVASPECT_CONTENT, -1, NULL, NULL, NULL, hDC, &rcl, &rcl, NULL, 0);
    }
    ::ReleaseDC(m_pOwner->m_hwndHost, hDC);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}

// ---------------------------------------------------------------------------
// IOleInPlaceSiteWindowless
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::CanWindowlessActivate()
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetCapture()
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    return m_bCaptured ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL fCapture)
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    m_bCaptured = (fCapture == TRUE);
    if (fCapture)
        ::SetCapture(m_pOwner->m_hwndHost);
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus()
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    return m_bFocused ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL fFocus)
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    if (fFocus)
        m_pOwner->SetFocus();
    m_bFocused = (fFocus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT, DWORD grfFlags, HDC* phDC)
{
    if (phDC == NULL)
        return E_POINTER;
    *phDC = NULL;
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    // GetDC(NULL) would be the screen's DC.
    if (m_pOwner->m_hwndHost != NULL)
        *phDC = ::GetDC(m_pOwner->m_hwndHost);
    if (*phDC == NULL)
        return E_FAIL;
    if ((grfFlags & OLEDC_PAINTBKGND) != 0) {
        RECT rcItem = GetObjectRect();
        ::FillRect(*phDC, &rcItem, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC hDC)
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    ::ReleaseDC(m_pOwner->m_hwndHost, hDC);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT pRect, BOOL fErase)
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    if (m_pOwner->m_hwndHost == NULL)
        return E_FAIL;
    return ::InvalidateRect(m_pOwner->m_hwndHost, pRect, fErase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN hRGN, BOOL fErase)
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    if (m_pOwner->m_hwndHost == NULL)
        return E_FAIL;
    return ::InvalidateRgn(m_pOwner->m_hwndHost, hRGN, fErase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult)
{
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    const LRESULT lRes = ::DefWindowProcW(m_pOwner->m_hwndHost, msg, wParam, lParam);
    if (plResult != NULL)
        *plResult = lRes;
    return S_OK;
}

// ---------------------------------------------------------------------------
// IOleInPlaceSiteEx
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL* /*pfNoRedraw*/, DWORD dwFlags)
{
    if (m_pOwner == NULL || m_pOwner->m_pUnk == NULL)
        return E_UNEXPECTED;
    if (!m_bRunningLocked && SUCCEEDED(::OleLockRunning(m_pOwner->m_pUnk, TRUE, FALSE)))
        m_bRunningLocked = true;

    // A repeated activation replaces what the last one obtained.
    if (m_pInPlaceObject != NULL) {
        m_pInPlaceObject->Release();
        m_pInPlaceObject = NULL;
    }
    HRESULT hr = E_FAIL;
    if ((dwFlags & ACTIVATE_WINDOWLESS) != 0) {
        m_bWindowless = true;
        IOleInPlaceObjectWindowless* pWindowless = NULL;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                              reinterpret_cast<LPVOID*>(&pWindowless));
        if (SUCCEEDED(hr) && pWindowless != NULL) {
            m_pInPlaceObject = pWindowless;
            m_pOwner->m_hwndHost = GetPaintWindow();
            CUIManager* pManager = m_pOwner->GetManager();
            if (pManager != NULL) {
                // Once, however often the object activates.
                pManager->RemoveMessageFilter(m_pOwner);
                pManager->AddMessageFilter(m_pOwner);
            }
        } else if (SUCCEEDED(hr)) {
            hr = E_NOINTERFACE;
        }
    }
    if (FAILED(hr)) {
        m_bWindowless = false;
        hr = CreateActiveXWnd();
        if (FAILED(hr))
            return hr;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<LPVOID*>(&m_pInPlaceObject));
    }
    if (m_pInPlaceObject != NULL) {
        RECT rcItem = GetObjectRect();
        m_pInPlaceObject->SetObjectRects(&rcItem, &rcItem);
    }
    m_bInPlaceActive = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL /*fNoRedraw*/)
{
    m_bInPlaceActive = false;
    UnlockRunning();
    if (m_pInPlaceObject != NULL) {
        m_pInPlaceObject->Release();
        m_pInPlaceObject = NULL;
    }
    DestroyActiveXWnd();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate()
{
    return S_OK;
}

// ---------------------------------------------------------------------------
// IOleInPlaceSite
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::CanInPlaceActivate()
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceActivate()
{
    BOOL bNoRedraw = FALSE;
    return OnInPlaceActivateEx(&bNoRedraw, 0);
}

STDMETHODIMP CActiveXCtrl::OnUIActivate()
{
    m_bUIActivated = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                            LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (ppFrame == NULL || ppDoc == NULL || lprcPosRect == NULL || lprcClipRect == NULL)
        return E_POINTER;
    *ppFrame = NULL;
    *ppDoc = NULL;
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    const HWND hWndPaint = GetPaintWindow();
    if (hWndPaint == NULL)
        return E_UNEXPECTED;
    if (!m_bWindowless && m_pOwner->m_hwndHost != NULL) {
        ::GetClientRect(m_pOwner->m_hwndHost, lprcPosRect);
        ::GetClientRect(m_pOwner->m_hwndHost, lprcClipRect);
    } else {
        // Windowless: the object draws at the control's place in the paint window.
        *lprcPosRect = m_pOwner->GetPos();
        *lprcClipRect = m_pOwner->GetPos();
    }
    *ppFrame = new CActiveXFrameWnd(this);
    // One empty table per site, freed with the site.
    if (m_hAccel == NULL) {
        ACCEL ac = { 0, 0, 0 };
        m_hAccel = ::CreateAcceleratorTableW(&ac, 1);
    }
    if (lpFrameInfo != NULL) {
        lpFrameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = hWndPaint;
        lpFrameInfo->haccel = m_hAccel;
        lpFrameInfo->cAccelEntries = 1;
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE)
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL)
{
    m_bUIActivated = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate()
{
    return OnInPlaceDeactivateEx(TRUE);
}

STDMETHODIMP CActiveXCtrl::DiscardUndoState()
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::DeactivateAndUndo()
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT)
{
    return E_NOTIMPL;
}

// ---------------------------------------------------------------------------
// IOleWindow
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::GetWindow(HWND* phwnd)
{
    if (phwnd == NULL)
        return E_POINTER;
    *phwnd = NULL;
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    if (m_pOwner->m_hwndHost == NULL)
        CreateActiveXWnd();
    if (m_pOwner->m_hwndHost == NULL)
        return E_FAIL;
    *phwnd = m_pOwner->m_hwndHost;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(BOOL)
{
    return S_OK;
}

// ---------------------------------------------------------------------------
// IOleControlSite
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::OnControlInfoChanged()
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockInPlaceActive(BOOL)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** ppDisp)
{
    if (ppDisp == NULL)
        return E_POINTER;
    *ppDisp = NULL;
    if (m_pOwner == NULL || m_pOwner->m_pUnk == NULL)
        return E_UNEXPECTED;
    return m_pOwner->m_pUnk->QueryInterface(IID_IDispatch, reinterpret_cast<LPVOID*>(ppDisp));
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG*, DWORD)
{
    return S_FALSE;
}

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL fGotFocus)
{
    m_bFocused = (fGotFocus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame()
{
    return E_NOTIMPL;
}

// ---------------------------------------------------------------------------
// IOleContainer
// ---------------------------------------------------------------------------
STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** ppenum)
{
    if (ppenum == NULL)
        return E_POINTER;
    *ppenum = NULL;
    if (m_pOwner == NULL)
        return E_UNEXPECTED;
    *ppenum = new CActiveXEnum(m_pOwner->m_pUnk);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL fLock)
{
    m_bLocked = (fLock != FALSE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**)
{
    return E_NOTIMPL;
}

// ---------------------------------------------------------------------------
// The host window
// ---------------------------------------------------------------------------
HRESULT CActiveXCtrl::CreateActiveXWnd()
{
    if (m_pWindow != NULL)
        return S_OK;
    const HWND hWndPaint = GetPaintWindow();
    if (hWndPaint == NULL)
        return E_UNEXPECTED;
    m_pWindow = new (std::nothrow) CActiveXWnd;
    if (m_pWindow == NULL)
        return E_OUTOFMEMORY;
    const HWND hWnd = m_pWindow->Init(this, hWndPaint);
    if (hWnd == NULL) {
        delete m_pWindow;
        m_pWindow = NULL;
        return E_FAIL;
    }
    m_pOwner->m_hwndHost = hWnd;
    return S_OK;
}

void CActiveXCtrl::DestroyActiveXWnd()
{
    if (m_pWindow == NULL)
        return;
    CActiveXWnd* pWindow = m_pWindow;
    m_pWindow = NULL;
    // The handle is already gone when the paint window was destroyed first.
    const HWND hWnd = pWindow->GetHWND();
    if (hWnd != NULL && ::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
    if (m_pOwner != NULL && m_pOwner->m_hwndHost != NULL && m_pOwner->m_hwndHost != GetPaintWindow())
        m_pOwner->m_hwndHost = NULL;
    delete pWindow;
}

} // namespace SkinUI
