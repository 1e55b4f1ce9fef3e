// CActiveXEnum: the one-object enumerator of the ActiveX site's container.
#include "UIActiveXEnum.h"

namespace SkinUI {

CActiveXEnum::CActiveXEnum(IUnknown* pUnk) : m_iPos(0), m_dwRef(1), m_pUnk(pUnk)
{
    if (m_pUnk != NULL)
        m_pUnk->AddRef();
}

CActiveXEnum::~CActiveXEnum()
{
    if (m_pUnk != NULL)
        m_pUnk->Release();
}

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IEnumUnknown)
        *ppvObject = static_cast<IEnumUnknown*>(this);
    if (*ppvObject == NULL)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CActiveXEnum::Release()
{
    const LONG lRef = ::InterlockedDecrement(&m_dwRef);
    if (lRef == 0)
        delete this;
    return static_cast<ULONG>(lRef);
}

// One object per call, and only once. The fetched count is optional (COM
// allows NULL when one element is asked for), and S_OK means that every
// element asked for was handed out.
STDMETHODIMP CActiveXEnum::Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched)
{
    if (pceltFetched != NULL)
        *pceltFetched = 0;
    if (celt == 0)
        return S_OK;
    if (rgelt == NULL)
        return E_POINTER;
    if (++m_iPos > 1 || m_pUnk == NULL)
        return S_FALSE;
    *rgelt = m_pUnk;
    m_pUnk->AddRef();
    if (pceltFetched != NULL)
        *pceltFetched = 1;
    return celt == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG celt)
{
    m_iPos += static_cast<LONG>(celt);
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset()
{
    m_iPos = 0;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown** /*ppenum*/)
{
    return E_NOTIMPL;
}

} // namespace SkinUI
