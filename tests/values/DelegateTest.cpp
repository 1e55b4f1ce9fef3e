// Delegates and event sources: equality of bound member functions, firing
// order, stopping at a false result, and ownership of the stored copies.
#include "UIDelegate.h"

#include <gtest/gtest.h>

#include <string>

using SkinUI::CDelegate;
using SkinUI::CDelegateBase;
using SkinUI::CUIEventSource;

namespace {

class Padding {
public:
    virtual ~Padding() {}
    int pad[3] = { 1, 2, 3 };
};

class Handler {
public:
    virtual ~Handler() {}
    bool OnA(void* p) { return Record('A', p, true); }
    bool OnB(void* p) { return Record('B', p, true); }
    bool OnStop(void* p) { return Record('S', p, false); }
    std::string* log = nullptr;
    char id = '?';

private:
    bool Record(char what, void* p, bool result)
    {
        if (log != nullptr) {
            *log += id;
            *log += what;
            if (p != nullptr) *log += *static_cast<const char*>(p);
            *log += ' ';
        }
        return result;
    }
};

// The bound function lives in the second base: calling it needs the object
// adjustment carried by the member-function pointer.
class Observer : public Padding, public Handler {
public:
    bool OnAddMore(void* p);
    CUIEventSource* source = nullptr;
    int added = 0;
};

bool Observer::OnAddMore(void*)
{
    if (source != nullptr && added++ == 0) source->AddHandler(CDelegate<Observer, Handler>(this, &Handler::OnB));
    return true;
}

// Two separate places that build "the same" delegate.
CDelegate<Observer, Handler> MakeOnAFirst(Observer* o)
{
    return CDelegate<Observer, Handler>(o, &Handler::OnA);
}

CDelegate<Observer, Handler> MakeOnASecond(Observer* o)
{
    bool (Handler::*fn)(void*) = &Handler::OnA;
    CDelegate<Observer, Handler> d(o, fn);
    return d;
}

// A delegate that counts its live instances.
class CountingDelegate : public CDelegateBase {
public:
    static int live;
    explicit CountingDelegate(void* object) : CDelegateBase(object, &live) { ++live; }
    CountingDelegate(const CountingDelegate& rhs) : CDelegateBase(rhs) { ++live; }
    ~CountingDelegate() override { --live; }
    CDelegateBase* Copy() const override { return new CountingDelegate(*this); }
    bool Invoke(void*) override { return true; }
};
int CountingDelegate::live = 0;

} // namespace

TEST(Delegate, EqualityOfObjectAndMemberFunction)
{
    Observer o1, o2;
    const CDelegate<Observer, Handler> a1 = MakeOnAFirst(&o1);
    const CDelegate<Observer, Handler> a2 = MakeOnASecond(&o1);
    EXPECT_TRUE(a1.Equals(a2));
    EXPECT_TRUE(a2.Equals(a1));

    EXPECT_FALSE(a1.Equals(CDelegate<Observer, Handler>(&o1, &Handler::OnB)));
    EXPECT_FALSE(a1.Equals(MakeOnAFirst(&o2)));

    CDelegateBase* copy = a1.Copy();
    EXPECT_TRUE(copy->Equals(a1));
    std::string log;
    o1.log = &log;
    o1.id = '1';
    char tag = 'x';
    EXPECT_TRUE((*copy)(&tag));
    EXPECT_EQ("1Ax ", log);
    delete copy;
}

TEST(Delegate, AddHandlerStoresOneCopyPerBinding)
{
    Observer o1, o2;
    std::string log;
    o1.log = o2.log = &log;
    o1.id = '1';
    o2.id = '2';

    CUIEventSource src;
    EXPECT_FALSE(src.HasHandlers());
    EXPECT_FALSE(static_cast<bool>(src));
    src.AddHandler(MakeOnAFirst(&o1));
    src.AddHandler(MakeOnASecond(&o1));                          // same binding again
    src.AddHandler(CDelegate<Observer, Handler>(&o1, &Handler::OnB));   // another function
    src.AddHandler(MakeOnAFirst(&o2));                           // another object
    EXPECT_TRUE(src.HasHandlers());
    EXPECT_TRUE(src);

    char tag = 'p';
    EXPECT_TRUE(src.Fire(&tag));
    EXPECT_EQ("1Ap 1Bp 2Ap ", log);
}

TEST(Delegate, FalseStopsTheFire)
{
    Observer o;
    std::string log;
    o.log = &log;
    o.id = 'o';
    CUIEventSource src;
    src.AddHandler(CDelegate<Observer, Handler>(&o, &Handler::OnA));
    src.AddHandler(CDelegate<Observer, Handler>(&o, &Handler::OnStop));
    src.AddHandler(CDelegate<Observer, Handler>(&o, &Handler::OnB));
    EXPECT_FALSE(src.Fire(nullptr));
    EXPECT_EQ("oA oS ", log);

    CUIEventSource empty;
    EXPECT_TRUE(empty.Fire(nullptr));
}

TEST(Delegate, HandlerMayAddHandlersWhileFiring)
{
    Observer o;
    std::string log;
    o.log = &log;
    o.id = 'o';
    CUIEventSource src;
    o.source = &src;
    src.AddHandler(CDelegate<Observer, Observer>(&o, &Observer::OnAddMore));
    EXPECT_TRUE(src.Fire(nullptr));
    EXPECT_EQ("oB ", log);     // the added handler runs in the same fire
    EXPECT_TRUE(src.Fire(nullptr));
    EXPECT_EQ("oB oB ", log);
    EXPECT_EQ(2, o.added);
}

TEST(Delegate, SourceOwnsOnlyItsCopies)
{
    CountingDelegate::live = 0;
    int observed = 7;
    {
        CountingDelegate mine(&observed);
        {
            CUIEventSource src;
            src.AddHandler(mine);
            src.AddHandler(mine);                  // equal: not stored twice
            EXPECT_EQ(2, CountingDelegate::live);  // the caller's and one copy
            int other = 0;
            src.AddHandler(CountingDelegate(&other));
            EXPECT_EQ(3, CountingDelegate::live);
            EXPECT_TRUE(src.Fire(nullptr));
        }
        EXPECT_EQ(1, CountingDelegate::live);      // only the caller's own remains
        EXPECT_EQ(7, observed);
    }
    EXPECT_EQ(0, CountingDelegate::live);
}
