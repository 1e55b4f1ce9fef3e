// What the parts of mockocx.dll share: the record, the module and the
// browser's documents.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "MockOcx.h"

// Appends one line to MockOcxState::log.
void MockLog(const char* format, ...);
MockOcxState& MockState();
HMODULE MockModule();
// A new HTML document (one reference): ICustomDoc, and IHTMLDocument2 with a
// parent window whose current event carries script-error properties.
IUnknown* MockNewDocument();
// Tells a document of MockNewDocument that its browser was closed: from now
// on its host is gone, and so is any UI handler it did not take back.
void MockDocumentBrowserClosed(IUnknown* document);
// MockOcxDocumentCallsHandler (MockOcx.h) for a document of MockNewDocument.
HRESULT MockDocumentCallsHandler(IUnknown* document);

// Boilerplate of the mock's COM objects.
// The IDispatch methods of an object without type information or names.
#define MOCK_NO_TYPE_INFO                                                                          \
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }                            \
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }               \
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

// AddRef and Release of an object that deletes itself at zero.
#define MOCK_REF_COUNT(count)                                                                      \
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&count)); } \
    STDMETHODIMP_(ULONG) Release() override                                                        \
    {                                                                                              \
        const LONG lRef = ::InterlockedDecrement(&count);                                          \
        if (lRef == 0)                                                                             \
            delete this;                                                                           \
        return static_cast<ULONG>(lRef);                                                           \
    }

// IUnknown of a part that answers for its outer object.
#define MOCK_PART_OF(outer)                                                                        \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return (outer)->QueryInterface(riid, ppv); } \
    STDMETHODIMP_(ULONG) AddRef() override { return (outer)->AddRef(); }                           \
    STDMETHODIMP_(ULONG) Release() override { return (outer)->Release(); }
