// The HTML document of mockocx.dll's browser: it takes a UI handler
// (ICustomDoc), notices a handler its host did not take back before closing
// the browser, and has a parent window whose current event object answers the
// script-error properties a host reads.
#include <windows.h>
#include <ole2.h>
#include <mshtml.h>
#include <mshtmhst.h>

#include <cwchar>
#include <new>

#include "MockOcxInternal.h"
#include "MockStubs.h"

namespace {

// {3050F3F0-98B5-11CF-BB82-00AA00BDCE0B}
const IID kIidICustomDoc = { 0x3050F3F0, 0x98B5, 0x11CF, { 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B } };

const wchar_t* const kErrorProperties[] = { L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage",
                                            L"errorUrl" };
const int kErrorPropertyCount = 5;

class MockEvent : public Stub_IHTMLEventObj
{
public:
    MockEvent() : m_dwRef(1) { ::InterlockedIncrement(&MockState().liveDocuments); }
    virtual ~MockEvent() { ::InterlockedDecrement(&MockState().liveDocuments); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = NULL;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLEventObj)
            *ppv = static_cast<IHTMLEventObj*>(this);
        if (*ppv == NULL)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    MOCK_REF_COUNT(m_dwRef)
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override
    {
        if (cNames != 1)
            return E_INVALIDARG;
        MockLog("GetIDsOfNames %ls lcid 0x%lX", rgszNames[0], static_cast<unsigned long>(lcid));
        if ((MockState().flags & MockErrorReadsFail) != 0)
            return DISP_E_UNKNOWNNAME;
        for (int i = 0; i < kErrorPropertyCount; ++i) {
            if (wcscmp(rgszNames[0], kErrorProperties[i]) == 0) {
                rgDispId[0] = 100 + i;
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD wFlags, DISPPARAMS*, VARIANT* pResult, EXCEPINFO*,
                        UINT*) override
    {
        if (id < 100 || id >= 100 + kErrorPropertyCount || (wFlags & DISPATCH_PROPERTYGET) == 0 || pResult == NULL)
            return DISP_E_MEMBERNOTFOUND;
        MockLog("read %ls lcid 0x%lX", kErrorProperties[id - 100], static_cast<unsigned long>(lcid));
        ::VariantInit(pResult);
        if (id == 103 || id == 104) {
            pResult->vt = VT_BSTR;
            pResult->bstrVal = ::SysAllocString(id == 103 ? L"'x' is undefined" : L"http://www.example.com/a.js");
        } else {
            pResult->vt = VT_I4;
            pResult->lVal = 7;
        }
        return S_OK;
    }

private:
    LONG m_dwRef;
};

class MockWindow : public Stub_IHTMLWindow2
{
public:
    MockWindow() : m_dwRef(1) { ::InterlockedIncrement(&MockState().liveDocuments); }
    virtual ~MockWindow() { ::InterlockedDecrement(&MockState().liveDocuments); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = NULL;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLWindow2 || riid == IID_IHTMLFramesCollection2)
            *ppv = static_cast<IHTMLWindow2*>(this);
        if (*ppv == NULL)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    MOCK_REF_COUNT(m_dwRef)
    MOCK_NO_TYPE_INFO
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_event(IHTMLEventObj** p) override
    {
        MockLog("get_event");
        *p = new (std::nothrow) MockEvent;
        return *p != NULL ? S_OK : E_OUTOFMEMORY;
    }

private:
    LONG m_dwRef;
};

class MockDocument : public Stub_IHTMLDocument2, public Stub_ICustomDoc
{
public:
    MockDocument() : m_dwRef(1), m_pHandler(NULL), m_bBrowserClosed(false)
    {
        ::InterlockedIncrement(&MockState().liveDocuments);
    }
    virtual ~MockDocument()
    {
        DropHandler();
        ::InterlockedDecrement(&MockState().liveDocuments);
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = NULL;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument2 || riid == IID_IHTMLDocument)
            *ppv = static_cast<IHTMLDocument2*>(this);
        else if (riid == kIidICustomDoc)
            *ppv = static_cast<ICustomDoc*>(this);
        if (*ppv == NULL)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    MOCK_REF_COUNT(m_dwRef)
    MOCK_NO_TYPE_INFO
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_parentWindow(IHTMLWindow2** p) override
    {
        MockLog("get_parentWindow");
        *p = new (std::nothrow) MockWindow;
        return *p != NULL ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP SetUIHandler(IDocHostUIHandler* pUIHandler) override
    {
        MockLog("SetUIHandler %s", pUIHandler != NULL ? "handler" : "null");
        if (pUIHandler != NULL)
            pUIHandler->AddRef();
        DropHandler();
        m_pHandler = pUIHandler;
        MockState().uiHandler = pUIHandler;
        return S_OK;
    }

    void BrowserClosed() { m_bBrowserClosed = true; }

    HRESULT CallHandler()
    {
        if (m_pHandler == NULL)
            return S_FALSE;
        if (!Reachable("UpdateUI"))
            return E_UNEXPECTED;
        return m_pHandler->UpdateUI();
    }

private:
    // A handler kept past the browser's Close belongs to a host that may be
    // gone: the call it would get is recorded instead of made.
    bool Reachable(const char* call)
    {
        if (!m_bBrowserClosed)
            return true;
        MockLog("stale UI handler: %s", call);
        ::InterlockedIncrement(&MockState().staleHandlerCalls);
        return false;
    }
    void DropHandler()
    {
        IDocHostUIHandler* pHandler = m_pHandler;
        if (pHandler == NULL)
            return;
        m_pHandler = NULL;
        if (MockState().uiHandler == pHandler)
            MockState().uiHandler = NULL;
        if (Reachable("Release"))
            pHandler->Release();
    }

    LONG m_dwRef;
    IDocHostUIHandler* m_pHandler;
    bool m_bBrowserClosed;
};

MockDocument* AsMockDocument(IUnknown* document)
{
    IHTMLDocument2* pDoc = NULL;
    if (document == NULL || FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&pDoc))))
        return NULL;
    pDoc->Release();   // the caller holds the document
    return static_cast<MockDocument*>(pDoc);
}

} // namespace

IUnknown* MockNewDocument()
{
    MockDocument* pDoc = new (std::nothrow) MockDocument;
    return pDoc != NULL ? static_cast<IHTMLDocument2*>(pDoc) : NULL;
}

void MockDocumentBrowserClosed(IUnknown* document)
{
    MockDocument* pDoc = AsMockDocument(document);
    if (pDoc != NULL)
        pDoc->BrowserClosed();
}

HRESULT MockDocumentCallsHandler(IUnknown* document)
{
    MockDocument* pDoc = AsMockDocument(document);
    return pDoc != NULL ? pDoc->CallHandler() : E_INVALIDARG;
}
