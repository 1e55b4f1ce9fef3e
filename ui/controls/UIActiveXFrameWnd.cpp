// CActiveXFrameWnd: the in-place frame of a hosted ActiveX object.
#include "UIActiveXFrameWnd.h"

#include "UIActiveX.h"
#include "UIActiveXCtrl.h"

namespace SkinUI {

CActiveXFrameWnd::CActiveXFrameWnd(CActiveXCtrl* pSite) : m_dwRef(1), m_pSite(pSite), m_pActiveObject(NULL)
{
    if (m_pSite != NULL)
        static_cast<IOleClientSite*>(m_pSite)->AddRef();
}

CActiveXFrameWnd::~CActiveXFrameWnd()
{
    if (m_pActiveObject != NULL)
        m_pActiveObject->Release();
    if (m_pSite != NULL)
        static_cast<IOleClientSite*>(m_pSite)->Release();
}

STDMETHODIMP CActiveXFrameWnd::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceFrame
        || riid == IID_IOleInPlaceUIWindow)
        *ppvObject = static_cast<IOleInPlaceFrame*>(this);
    if (*ppvObject == NULL)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::Release()
{
    const LONG lRef = ::InterlockedDecrement(&m_dwRef);
    if (lRef == 0)
        delete this;
    return static_cast<ULONG>(lRef);
}

STDMETHODIMP CActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::RemoveMenus(HMENU)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetStatusText(LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::EnableModeless(BOOL)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD)
{
    return S_FALSE;
}

// The frame window is the paint window; the owner may have left its window.
STDMETHODIMP CActiveXFrameWnd::GetWindow(HWND* phwnd)
{
    if (phwnd == NULL)
        return E_POINTER;
    *phwnd = NULL;
    CActiveXUI* pOwner = m_pSite != NULL ? m_pSite->GetOwner() : NULL;
    if (pOwner == NULL || pOwner->GetManager() == NULL)
        return E_UNEXPECTED;
    *phwnd = pOwner->GetManager()->GetPaintWindow();
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::ContextSensitiveHelp(BOOL)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::GetBorder(LPRECT)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR)
{
    if (pActiveObject != NULL)
        pActiveObject->AddRef();
    if (m_pActiveObject != NULL)
        m_pActiveObject->Release();
    m_pActiveObject = pActiveObject;
    return S_OK;
}

} // namespace SkinUI
