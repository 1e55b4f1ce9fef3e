// CFlashUI, an ActiveX host preset to the Shockwave Flash control: it keeps the
// control's IShockwaveFlash, receives its _IShockwaveFlashEvents and passes
// them to the application's IFlashEventUI receiver, and offers an accelerator
// hook that the application may register with the paint manager.
// The Flash interfaces are declared here as far as the host uses them (the
// type library ShockwaveFlashObjects is not part of the platform headers).
#ifndef SKINUI_UIFLASH_H
#define SKINUI_UIFLASH_H

#include <windows.h>
#include <ole2.h>

#include "UIActiveX.h"

namespace ShockwaveFlashObjects {

// {D27CDB6C-AE6D-11CF-96B8-444553540000}; only its identity is used.
class IShockwaveFlash : public IDispatch
{
};

// {D27CDB6D-AE6D-11CF-96B8-444553540000}: a dispatch interface.
class _IShockwaveFlashEvents : public IDispatch
{
};

extern const CLSID kClsidShockwaveFlash;        // {D27CDB6E-AE6D-11CF-96B8-444553540000}
extern const IID kIidShockwaveFlash;            // IShockwaveFlash
extern const IID kIidShockwaveFlashEvents;      // _IShockwaveFlashEvents

} // namespace ShockwaveFlashObjects

namespace SkinUI {

// The application's receiver of Flash events.
class IFlashEventUI
{
public:
    // The receiver's last call: the control is being destroyed.
    virtual void OnFlashDestroyed() = 0;
    // Never called by the control.
    virtual void Reserved() {}
    virtual HRESULT OnReadyStateChange(long newState) = 0;
    virtual HRESULT OnProgress(long percentDone) = 0;
    virtual HRESULT FSCommand(LPCTSTR pstrCommand, LPCTSTR pstrArgs) = 0;
    virtual HRESULT FlashCall(LPCTSTR pstrRequest) = 0;

protected:
    ~IFlashEventUI() {}
};

class CFlashUI : public CActiveXUI,
                 public ShockwaveFlashObjects::_IShockwaveFlashEvents,
                 public ITranslateAccelerator
{
public:
    CFlashUI();
    virtual ~CFlashUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void ReleaseHostedControl();
    virtual bool CreateHostedControl();

    // Not owned; the receiver held when the control is destroyed gets its
    // last call (OnFlashDestroyed) then.
    void SetFlashEventHandler(IFlashEventUI* pHandler);
    IFlashEventUI* GetFlashEventHandler() const;
    // The hosted control's IShockwaveFlash (not AddRef'ed), NULL while none.
    ShockwaveFlashObjects::IShockwaveFlash* GetShockwaveFlash() const;

    // IUnknown and IDispatch of the event part
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo);
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);

    // ITranslateAccelerator: keys for the Flash control while it has the focus.
    virtual LRESULT TranslateAccelerator(MSG* pMsg);

protected:
    // Connects (true) or disconnects (false) the event part.
    HRESULT RegisterEventHandler(bool inAdvise);

    ShockwaveFlashObjects::IShockwaveFlash* m_pFlash;
    LONG m_dwRef;
    DWORD m_dwCookie;
    IFlashEventUI* m_pFlashEventHandler;
};

} // namespace SkinUI

#endif // SKINUI_UIFLASH_H
