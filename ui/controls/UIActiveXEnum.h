// CActiveXEnum, the enumerator an ActiveX site's container hands out: it
// yields the one object the control hosts.
#ifndef SKINUI_UIACTIVEXENUM_H
#define SKINUI_UIACTIVEXENUM_H

#include <windows.h>
#include <ole2.h>

namespace SkinUI {

class CActiveXEnum : public IEnumUnknown
{
public:
    // Takes a reference on pUnk (which may be NULL: nothing to enumerate).
    explicit CActiveXEnum(IUnknown* pUnk);

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObject);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();

    // IEnumUnknown
    STDMETHOD(Next)(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched);
    STDMETHOD(Skip)(ULONG celt);
    STDMETHOD(Reset)();
    STDMETHOD(Clone)(IEnumUnknown** ppenum);

protected:
    // Destroyed only by the last Release.
    virtual ~CActiveXEnum();

    LONG m_iPos;
    LONG m_dwRef;
    IUnknown* m_pUnk;

private:
    CActiveXEnum(const CActiveXEnum&);
    CActiveXEnum& operator=(const CActiveXEnum&);
};

} // namespace SkinUI

#endif // SKINUI_UIACTIVEXENUM_H
