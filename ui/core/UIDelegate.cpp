#include "UIDelegate.h"

namespace SkinUI {

// ===========================================================================
// CDelegateBase
// ===========================================================================

CDelegateBase::CDelegateBase(void* object, void* fn) : m_pObject(object), m_pFn(fn)
{
}

CDelegateBase::CDelegateBase(const CDelegateBase& rhs) : m_pObject(rhs.m_pObject), m_pFn(rhs.m_pFn)
{
}

CDelegateBase::~CDelegateBase()
{
}

bool CDelegateBase::Equals(const CDelegateBase& rhs) const
{
    if (this == &rhs) return true;
    if (m_pObject != rhs.m_pObject || m_pFn != rhs.m_pFn) return false;
    return SameFunction(rhs);
}

bool CDelegateBase::SameFunction(const CDelegateBase&) const
{
    return true;
}

bool CDelegateBase::operator()(void* param)
{
    return Invoke(param);
}

// ===========================================================================
// CUIEventSource
// ===========================================================================

CUIEventSource::CUIEventSource()
{
}

CUIEventSource::~CUIEventSource()
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        CDelegateBase* d = static_cast<CDelegateBase*>(m_aDelegates[i]);
        delete d;
    }
}

CUIEventSource::operator bool() const
{
    return HasHandlers();
}

bool CUIEventSource::HasHandlers() const
{
    return m_aDelegates.GetSize() > 0;
}

void CUIEventSource::AddHandler(const CDelegateBase& d)
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        const CDelegateBase* stored = static_cast<const CDelegateBase*>(m_aDelegates[i]);
        if (stored != NULL && stored->Equals(d)) return;
    }
    CDelegateBase* copy = d.Copy();
    if (copy != NULL && !m_aDelegates.Add(copy)) delete copy;
}

bool CUIEventSource::Fire(void* param)
{
    // By index, re-reading the size: a handler may add further handlers.
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        CDelegateBase* d = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (d != NULL && !(*d)(param)) return false;
    }
    return true;
}

} // namespace SkinUI
