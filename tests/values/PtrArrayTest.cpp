// CUIPtrArray: growth steps, insertion and removal bounds, deep copies.
#include "UIBase.h"

#include <gtest/gtest.h>

#include <malloc.h>

using SkinUI::CUIPtrArray;

namespace {

// The array's documented field order: storage, count, capacity.
struct ArrayFields {
    void** storage;
    int count;
    int capacity;
};
static_assert(sizeof(ArrayFields) == sizeof(CUIPtrArray), "field layout");

const ArrayFields& Fields(const CUIPtrArray& a)
{
    return *reinterpret_cast<const ArrayFields*>(&a);
}

int Capacity(const CUIPtrArray& a)
{
    const ArrayFields& f = Fields(a);
    if (f.storage != NULL) {
        // The capacity must be what is really allocated.
        EXPECT_EQ(static_cast<size_t>(f.capacity) * sizeof(void*), _msize(f.storage));
    }
    return f.capacity;
}

void* P(int i)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(0x1000 + i * 8));
}

} // namespace

TEST(UIPtrArray, GrowthSteps)
{
    CUIPtrArray a;
    EXPECT_EQ(0, Capacity(a));
    EXPECT_TRUE(a.IsEmpty());
    ASSERT_TRUE(a.Add(P(0)));
    EXPECT_EQ(11, Capacity(a));
    for (int i = 1; i < 10; ++i) ASSERT_TRUE(a.Add(P(i)));
    EXPECT_EQ(11, Capacity(a));   // 10 elements
    ASSERT_TRUE(a.Add(P(10)));    // the 11th add
    EXPECT_EQ(22, Capacity(a));
    for (int i = 11; i < 22; ++i) ASSERT_TRUE(a.Add(P(i)));
    EXPECT_EQ(44, Capacity(a));
    ASSERT_EQ(22, a.GetSize());
    for (int i = 0; i < 22; ++i) EXPECT_EQ(P(i), a[i]);

    CUIPtrArray b(6);
    EXPECT_EQ(6, Capacity(b));
    EXPECT_EQ(0, b.GetSize());
    for (int i = 0; i < 5; ++i) b.Add(P(i));
    EXPECT_EQ(6, Capacity(b));
    b.Add(P(5));                  // the 6th add
    EXPECT_EQ(12, Capacity(b));
}

TEST(UIPtrArray, InsertAtBounds)
{
    CUIPtrArray a;
    EXPECT_FALSE(a.InsertAt(1, P(9)));
    EXPECT_FALSE(a.InsertAt(-1, P(9)));
    EXPECT_TRUE(a.InsertAt(0, P(1)));          // index = count appends
    EXPECT_TRUE(a.InsertAt(1, P(3)));
    EXPECT_TRUE(a.InsertAt(1, P(2)));
    EXPECT_TRUE(a.InsertAt(0, P(0)));
    EXPECT_FALSE(a.InsertAt(a.GetSize() + 1, P(9)));
    ASSERT_EQ(4, a.GetSize());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(P(i), a.GetAt(i));

    // Inserting into a full block grows it like Add.
    CUIPtrArray b(2);
    b.Add(P(0));
    EXPECT_TRUE(b.InsertAt(0, P(1)));
    EXPECT_EQ(4, Capacity(b));
    EXPECT_EQ(P(1), b[0]);
    EXPECT_EQ(P(0), b[1]);
}

TEST(UIPtrArray, RemoveFindGetAt)
{
    CUIPtrArray a;
    for (int i = 0; i < 5; ++i) a.Add(P(i));
    EXPECT_FALSE(a.Remove(5));
    EXPECT_FALSE(a.Remove(-1));
    EXPECT_TRUE(a.Remove(1));
    EXPECT_TRUE(a.Remove(3));     // the last one
    ASSERT_EQ(3, a.GetSize());
    EXPECT_EQ(P(0), a[0]);
    EXPECT_EQ(P(2), a[1]);
    EXPECT_EQ(P(3), a[2]);

    EXPECT_EQ(1, a.Find(P(2)));
    EXPECT_EQ(-1, a.Find(P(1)));
    a.Add(P(2));
    EXPECT_EQ(1, a.Find(P(2)));   // the first match

    EXPECT_EQ(NULL, a.GetAt(-1));
    EXPECT_EQ(NULL, a.GetAt(a.GetSize()));
    EXPECT_EQ(P(3), a.GetAt(2));
}

TEST(UIPtrArray, ResizeAndEmpty)
{
    CUIPtrArray a;
    a.Add(P(1));
    a.Resize(3);
    EXPECT_EQ(3, a.GetSize());
    EXPECT_EQ(3, Capacity(a));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(NULL, a[i]);
    a.Add(P(7));
    EXPECT_EQ(4, a.GetSize());
    EXPECT_GT(Capacity(a), 4);
    EXPECT_EQ(P(7), a[3]);

    a.Resize(-4);
    EXPECT_EQ(0, a.GetSize());
    EXPECT_EQ(0, Capacity(a));

    a.Resize(1);
    a.Add(P(1));
    EXPECT_LT(a.GetSize(), Capacity(a));

    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(0, Capacity(a));
    EXPECT_EQ(NULL, Fields(a).storage);
}

TEST(UIPtrArray, CopiesAreDeep)
{
    CUIPtrArray a;
    for (int i = 0; i < 13; ++i) a.Add(P(i));

    CUIPtrArray b(a);
    ASSERT_EQ(13, b.GetSize());
    EXPECT_NE(Fields(a).storage, Fields(b).storage);
    b.Remove(0);
    EXPECT_EQ(13, a.GetSize());
    EXPECT_EQ(P(0), a[0]);

    CUIPtrArray c(4);
    c.Add(P(99));
    c = a;
    ASSERT_EQ(13, c.GetSize());
    EXPECT_NE(Fields(a).storage, Fields(c).storage);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(P(i), c[i]);
    c.Add(P(50));
    EXPECT_EQ(13, a.GetSize());

    c = c;
    EXPECT_EQ(14, c.GetSize());
    EXPECT_EQ(P(50), c[13]);
}
