// CFlashUI: the Shockwave Flash host, its event sink and accelerator hook.
#include "UIFlash.h"

#include <wchar.h>

namespace ShockwaveFlashObjects {

const CLSID kClsidShockwaveFlash = { 0xD27CDB6E, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
const IID kIidShockwaveFlash = { 0xD27CDB6C, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
const IID kIidShockwaveFlashEvents = { 0xD27CDB6D, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };

} // namespace ShockwaveFlashObjects

namespace SkinUI {

using ShockwaveFlashObjects::IShockwaveFlash;

namespace {

const wchar_t kFlashClassId[] = L"{D27CDB6E-AE6D-11CF-96B8-444553540000}";

// _IShockwaveFlashEvents DISPIDs.
const DISPID kDispFSCommand = 150;
const DISPID kDispFlashCall = 197;
const DISPID kDispReadyStateChange = -609;
const DISPID kDispProgress = 1958;

// The text of a BSTR argument; a null BSTR is an empty text.
LPCTSTR Text(BSTR bstr)
{
    return bstr != NULL ? bstr : L"";
}

// A 32-bit number argument, passed by value or by reference.
HRESULT ReadLong(const DISPPARAMS* pParams, long& value)
{
    if (pParams == NULL || pParams->cArgs < 1 || pParams->rgvarg == NULL)
        return DISP_E_BADPARAMCOUNT;
    const VARIANTARG& v = pParams->rgvarg[0];
    if (v.vt == VT_I4 || v.vt == VT_INT) {
        value = v.lVal;
        return S_OK;
    }
    if ((v.vt == (VT_BYREF | VT_I4) || v.vt == (VT_BYREF | VT_INT)) && v.plVal != NULL) {
        value = *v.plVal;
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

} // namespace

CFlashUI::CFlashUI() : m_pFlash(NULL), m_dwRef(0), m_dwCookie(0), m_pFlashEventHandler(NULL)
{
    CLSID clsid = GUID_NULL;
    if (SUCCEEDED(::CLSIDFromString(kFlashClassId, &clsid)))
        m_clsid = clsid;
}

// The receiver hears of the end first; the Flash control is closed here,
// while the event part it may still call is alive.
CFlashUI::~CFlashUI()
{
    if (m_pFlashEventHandler != NULL) {
        IFlashEventUI* pHandler = m_pFlashEventHandler;
        m_pFlashEventHandler = NULL;
        pHandler->OnFlashDestroyed();
    }
    ReleaseHostedControl();
}

LPCTSTR CFlashUI::GetClassName() const
{
    return L"Flash";
}

LPVOID CFlashUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Flash") == 0)
        return static_cast<CFlashUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

// "homepage" and "autonavi" (the web browser's) are accepted and ignored.
void CFlashUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL || pstrValue == NULL)
        return;
    if (wcscmp(pstrName, L"homepage") == 0 || wcscmp(pstrName, L"autonavi") == 0)
        return;
    CActiveXUI::SetAttribute(pstrName, pstrValue);
}

void CFlashUI::SetFlashEventHandler(IFlashEventUI* pHandler)
{
    m_pFlashEventHandler = pHandler;
}

IFlashEventUI* CFlashUI::GetFlashEventHandler() const
{
    return m_pFlashEventHandler;
}

IShockwaveFlash* CFlashUI::GetShockwaveFlash() const
{
    return m_pFlash;
}

// ---------------------------------------------------------------------------
// Creation and release
// ---------------------------------------------------------------------------
bool CFlashUI::CreateHostedControl()
{
    if (!CActiveXUI::CreateHostedControl())
        return false;
    GetControl(ShockwaveFlashObjects::kIidShockwaveFlash, reinterpret_cast<LPVOID*>(&m_pFlash));
    RegisterEventHandler(true);
    return true;
}

// The release tears the Flash control down itself (see CWebBrowserUI).
void CFlashUI::ReleaseHostedControl()
{
    RegisterEventHandler(false);
    if (m_pFlash != NULL) {
        m_pFlash->Release();
        m_pFlash = NULL;
    }
    CActiveXUI::ReleaseHostedControl();
}

HRESULT CFlashUI::RegisterEventHandler(bool inAdvise)
{
    if (m_pFlash == NULL || (!inAdvise && m_dwCookie == 0))
        return S_OK;
    return ConnectEvents(m_pFlash, ShockwaveFlashObjects::kIidShockwaveFlashEvents, static_cast<IDispatch*>(this),
                         inAdvise, m_dwCookie);
}

// ---------------------------------------------------------------------------
// The event part
// ---------------------------------------------------------------------------
STDMETHODIMP CFlashUI::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == ShockwaveFlashObjects::kIidShockwaveFlashEvents)
        *ppvObject = static_cast<ShockwaveFlashObjects::_IShockwaveFlashEvents*>(this);
    if (*ppvObject == NULL)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The count only reports; the control lives as long as its place in the tree.
STDMETHODIMP_(ULONG) CFlashUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

STDMETHODIMP_(ULONG) CFlashUI::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef));
}

STDMETHODIMP CFlashUI::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFlashUI::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFlashUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

// Malformed events are refused with an error code and reach no receiver.
STDMETHODIMP CFlashUI::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams, VARIANT*,
                              EXCEPINFO*, UINT*)
{
    switch (dispIdMember) {
    case kDispFSCommand: {
        if (pDispParams == NULL || pDispParams->cArgs != 2 || pDispParams->rgvarg == NULL)
            return DISP_E_BADPARAMCOUNT;
        const VARIANTARG* a = pDispParams->rgvarg;
        if (a[0].vt != VT_BSTR || a[1].vt != VT_BSTR)
            return DISP_E_TYPEMISMATCH;
        if (m_pFlashEventHandler == NULL)
            return S_OK;
        return m_pFlashEventHandler->FSCommand(Text(a[1].bstrVal), Text(a[0].bstrVal));
    }
    case kDispFlashCall: {
        if (pDispParams == NULL || pDispParams->cArgs != 1 || pDispParams->rgvarg == NULL
            || pDispParams->rgvarg[0].vt != VT_BSTR)
            return E_INVALIDARG;
        if (m_pFlashEventHandler == NULL)
            return S_OK;
        return m_pFlashEventHandler->FlashCall(Text(pDispParams->rgvarg[0].bstrVal));
    }
    case kDispReadyStateChange:
    case kDispProgress: {
        long value = 0;
        HRESULT hr = ReadLong(pDispParams, value);
        if (FAILED(hr))
            return hr;
        if (m_pFlashEventHandler == NULL)
            return S_OK;
        if (dispIdMember == kDispReadyStateChange)
            return m_pFlashEventHandler->OnReadyStateChange(value);
        return m_pFlashEventHandler->OnProgress(value);
    }
    default:
        return S_OK;
    }
}

LRESULT CFlashUI::TranslateAccelerator(MSG* pMsg)
{
    return TranslateHostedAccelerator(m_pFlash, pMsg);
}

} // namespace SkinUI
