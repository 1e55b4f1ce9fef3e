// A scripted text engine for the rich edit tests: it records the messages
// and property changes the control sends, answers natural sizes from a
// script, and keeps the host it was made for, so a test can play the
// engine's own callbacks (scroll bars, notifications) deterministically.
#pragma once

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include <string>
#include <vector>

namespace richtest {

const IID kIIDTextServices = { 0x8d33f740, 0xcf58, 0x11ce, { 0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5 } };
const IID kIIDTextHost = { 0xc5bdd8d0, 0xd26e, 0x11ce, { 0xa8, 0x9e, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5 } };

struct SentMessage
{
    UINT msg;
    WPARAM wParam;
};

class FakeTextServices : public ITextServices
{
public:
    ITextHost* host = nullptr;
    ULONG refs = 1;
    std::vector<SentMessage> sent;
    std::vector<DWORD> bitChanges;   // masks of OnTxPropertyBitsChange
    int draws = 0;
    HRESULT naturalResult = S_OK;
    LONG naturalHeight = 0;
    LONG naturalWidthIn = 0;
    LONG naturalHeightIn = 0;
    // When > 0, every client-rectangle change reports this scroll maximum
    // (as an engine does when the text reflows).
    int rangeOnResize = 0;
    // In-place activations so far, the text last set and how many
    // activations had come before it.
    int activations = 0;
    std::wstring text;
    int activationsBeforeText = -1;
    static inline int alive = 0;

    FakeTextServices() { ++alive; }
    virtual ~FakeTextServices() { --alive; }

    int Count(UINT msg, WPARAM wParam) const
    {
        int n = 0;
        for (const SentMessage& m : sent)
            n += (m.msg == msg && m.wParam == wParam) ? 1 : 0;
        return n;
    }
    int CountMsg(UINT msg) const
    {
        int n = 0;
        for (const SentMessage& m : sent)
            n += m.msg == msg ? 1 : 0;
        return n;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIIDTextServices)) {
            *ppv = static_cast<ITextServices*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG c = --refs;
        if (c == 0)
            delete this;
        return c;
    }

    HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM /*lparam*/, LRESULT* plresult) override
    {
        sent.push_back(SentMessage{ msg, wparam });
        if (plresult != nullptr)
            *plresult = 0;
        return S_OK;
    }
    HRESULT TxDraw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL, LPRECT, WINBOOL(CALLBACK*)(DWORD),
                   DWORD, LONG) override
    {
        ++draws;
        return S_OK;
    }
    HRESULT TxGetHScroll(LONG*, LONG*, LONG*, LONG*, WINBOOL*) override { return E_NOTIMPL; }
    HRESULT TxGetVScroll(LONG*, LONG*, LONG*, LONG*, WINBOOL*) override { return E_NOTIMPL; }
    HRESULT OnTxSetCursor(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT, INT, INT) override { return S_OK; }
    HRESULT TxQueryHitPoint(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT, INT, INT, DWORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT OnTxInPlaceActivate(LPCRECT) override
    {
        ++activations;
        return S_OK;
    }
    HRESULT OnTxInPlaceDeactivate() override { return S_OK; }
    HRESULT OnTxUIActivate() override { return S_OK; }
    HRESULT OnTxUIDeactivate() override { return S_OK; }
    HRESULT TxGetText(BSTR*) override { return E_NOTIMPL; }
    HRESULT TxSetText(LPCWSTR pszText) override
    {
        text = pszText != nullptr ? pszText : L"";
        activationsBeforeText = activations;
        return S_OK;
    }
    HRESULT TxGetCurTargetX(LONG*) override { return E_NOTIMPL; }
    HRESULT TxGetBaseLinePos(LONG*) override { return E_NOTIMPL; }
    HRESULT TxGetNaturalSize(DWORD, HDC, HDC, DVTARGETDEVICE*, DWORD, const SIZEL*, LONG* pwidth,
                             LONG* pheight) override
    {
        naturalWidthIn = *pwidth;
        naturalHeightIn = *pheight;
        if (SUCCEEDED(naturalResult))
            *pheight = naturalHeight;
        return naturalResult;
    }
    HRESULT TxGetDropTarget(IDropTarget**) override { return E_NOTIMPL; }
    HRESULT OnTxPropertyBitsChange(DWORD dwMask, DWORD /*dwBits*/) override
    {
        bitChanges.push_back(dwMask);
        if (dwMask == TXTBIT_VIEWINSETCHANGE && rangeOnResize > 0 && host != nullptr)
            host->TxSetScrollRange(SB_VERT, 0, rangeOnResize, TRUE);
        return S_OK;
    }
    HRESULT TxGetCachedSize(DWORD*, DWORD*) override { return E_NOTIMPL; }
};


// The engine the factory made last (owned by its host).
inline FakeTextServices*& LastFake()
{
    static FakeTextServices* p = nullptr;
    return p;
}

inline bool& FactoryFails()
{
    static bool fails = false;
    return fails;
}

inline HRESULT WINAPI CreateFakeTextServices(IUnknown* /*outer*/, ITextHost* host, IUnknown** ppUnk)
{
    if (FactoryFails()) {
        *ppUnk = nullptr;
        return E_FAIL;
    }
    FakeTextServices* fake = new FakeTextServices;
    fake->host = host;
    LastFake() = fake;
    *ppUnk = fake;
    return S_OK;
}

} // namespace richtest
