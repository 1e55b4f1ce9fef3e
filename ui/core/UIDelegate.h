// Member-function delegates and multicast event sources.
#ifndef SKINUI_UIDELEGATE_H
#define SKINUI_UIDELEGATE_H

#include "UIBase.h"

#include <string.h>

namespace SkinUI {

// A delegate binds a member function of an object to a call with one untyped
// parameter. Two delegates are equal when they have the same object, the same
// function identity and the same bound function.
class CDelegateBase
{
public:
    CDelegateBase(void* object, void* fn);
    CDelegateBase(const CDelegateBase& rhs);
    virtual ~CDelegateBase();

    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;

    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param);

protected:
    // Compares the bound functions. Equals calls it only when object and
    // identity already match, that is for a delegate of the same class.
    virtual bool SameFunction(const CDelegateBase& rhs) const;

    void* GetObjectPtr() const { return m_pObject; }
    void* GetFnId() const { return m_pFn; }

private:
    void* m_pObject;
    void* m_pFn;
};

// O is the class of the object, T the class that declares the member function.
template <class O, class T>
class CDelegate : public CDelegateBase
{
public:
    typedef bool (T::*Fn)(void*);

    CDelegate(O* object, Fn fn) : CDelegateBase(object, Tag()), m_pFn(fn) {}
    CDelegate(const CDelegate& rhs) : CDelegateBase(rhs), m_pFn(rhs.m_pFn) {}

    virtual CDelegateBase* Copy() const { return new CDelegate(*this); }

    virtual bool Invoke(void* param)
    {
        O* object = static_cast<O*>(GetObjectPtr());
        return (object->*m_pFn)(param);
    }

protected:
    virtual bool SameFunction(const CDelegateBase& rhs) const
    {
        const CDelegate& other = static_cast<const CDelegate&>(rhs);
        return memcmp(&m_pFn, &other.m_pFn, sizeof(Fn)) == 0;
    }

private:
    // One tag per instantiation: its address is the function identity.
    static void* Tag()
    {
        static char tag = 0;
        return &tag;
    }

    Fn m_pFn;
};

// A list of owned delegate copies, all called when the event fires.
class CUIEventSource
{
public:
    CUIEventSource();
    ~CUIEventSource();

    operator bool() const;
    bool HasHandlers() const;

    void AddHandler(const CDelegateBase& d);
    bool Fire(void* param);

private:
    CUIEventSource(const CUIEventSource&) = delete;
    CUIEventSource& operator=(const CUIEventSource&) = delete;

    CUIPtrArray m_aDelegates;
};

} // namespace SkinUI

#endif // SKINUI_UIDELEGATE_H
