// CUIStringMap: the key hash, bucket placement seen through the iteration
// order, move-to-front, insert/set/remove and a map without buckets.
#include "UIBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using SkinUI::CUIStringMap;

namespace {

std::vector<std::wstring> Keys(const CUIStringMap& m)
{
    std::vector<std::wstring> keys;
    for (int i = 0; ; ++i) {
        const wchar_t* k = m.GetKeyAt(i);
        if (k == NULL) break;
        keys.push_back(k);
    }
    return keys;
}

void* P(int i)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(0x2000 + i * 4));
}

typedef std::vector<std::wstring> KeyList;

} // namespace

TEST(UIStringMap, KeyHashWalksFromTheLastCharacter)
{
    EXPECT_EQ(0u, CUIStringMap::KeyHash(L""));
    EXPECT_EQ(97u, CUIStringMap::KeyHash(L"a"));
    EXPECT_EQ(3331u, CUIStringMap::KeyHash(L"ab"));   // 'b' * 33 + 'a'
    EXPECT_EQ(3299u, CUIStringMap::KeyHash(L"ba"));
    EXPECT_EQ(1545716023u, CUIStringMap::KeyHash(L"abcdefghij"));   // wraps around
    EXPECT_EQ(1189743033u, CUIStringMap::KeyHash(L"image_button_normal.png"));
}

TEST(UIStringMap, BucketCountRaisedToSixteen)
{
    // Single letters hash to their code; iteration runs from the last bucket.
    CUIStringMap small(5);
    CUIStringMap sixteen(16);
    for (const wchar_t* k : { L"a", L"b", L"c", L"d" }) {
        small.Insert(k, P(1));
        sixteen.Insert(k, P(1));
    }
    // With 5 buckets the order would be c, b, a, d.
    EXPECT_EQ((KeyList{ L"d", L"c", L"b", L"a" }), Keys(small));
    EXPECT_EQ(Keys(sixteen), Keys(small));

    CUIStringMap m83;
    for (const wchar_t* k : { L"a", L"b", L"c", L"d" }) m83.Insert(k, P(1));
    // 97..100 modulo 83 are 14..17.
    EXPECT_EQ((KeyList{ L"d", L"c", L"b", L"a" }), Keys(m83));
    m83.Insert(L"\x0052", P(2));   // 'R' = 82, the last bucket
    EXPECT_EQ(L"R", Keys(m83).front());
}

TEST(UIStringMap, MoveToFrontWithinOneBucket)
{
    // "ax", "ma", "nf", "ok" all land in bucket 73 of 83.
    CUIStringMap m(83);
    for (const wchar_t* k : { L"ax", L"ma", L"nf", L"ok" })
        ASSERT_EQ(73u, CUIStringMap::KeyHash(k) % 83);
    m.Insert(L"ax", P(1));
    m.Insert(L"ma", P(2));
    m.Insert(L"nf", P(3));
    m.Insert(L"ok", P(4));
    m.Insert(L"zz", P(5));    // bucket 81: met first
    m.Insert(L"a", P(6));     // bucket 14: met last
    ASSERT_EQ(81u, CUIStringMap::KeyHash(L"zz") % 83);
    ASSERT_EQ(14u, CUIStringMap::KeyHash(L"a") % 83);
    EXPECT_EQ((KeyList{ L"zz", L"ok", L"nf", L"ma", L"ax", L"a" }), Keys(m));

    EXPECT_EQ(P(2), m.Find(L"ma", false));   // no reordering
    EXPECT_EQ((KeyList{ L"zz", L"ok", L"nf", L"ma", L"ax", L"a" }), Keys(m));

    EXPECT_EQ(P(2), m.Find(L"ma"));          // middle of the chain to the head
    EXPECT_EQ((KeyList{ L"zz", L"ma", L"ok", L"nf", L"ax", L"a" }), Keys(m));

    EXPECT_EQ(P(1), m.Find(L"ax"));          // tail to the head
    EXPECT_EQ((KeyList{ L"zz", L"ax", L"ma", L"ok", L"nf", L"a" }), Keys(m));

    EXPECT_EQ(P(1), m.Find(L"ax"));          // already the head
    EXPECT_EQ((KeyList{ L"zz", L"ax", L"ma", L"ok", L"nf", L"a" }), Keys(m));

    // The chain stays intact in both directions: remove middle, tail, head.
    EXPECT_TRUE(m.Remove(L"ok"));
    EXPECT_EQ((KeyList{ L"zz", L"ax", L"ma", L"nf", L"a" }), Keys(m));
    EXPECT_TRUE(m.Remove(L"nf"));
    EXPECT_TRUE(m.Remove(L"ax"));
    EXPECT_EQ((KeyList{ L"zz", L"ma", L"a" }), Keys(m));
    EXPECT_EQ(P(2), m.Find(L"ma"));
    EXPECT_EQ(3, m.GetSize());
}

TEST(UIStringMap, InsertSetRemove)
{
    CUIStringMap m;
    EXPECT_EQ(0, m.GetSize());
    EXPECT_EQ(NULL, m.GetKeyAt(0));
    EXPECT_TRUE(m.Insert(L"name", P(1)));
    EXPECT_FALSE(m.Insert(L"name", P(2)));   // present: refused, old pointer kept
    EXPECT_EQ(P(1), m.Find(L"name"));
    EXPECT_EQ(1, m.GetSize());

    EXPECT_EQ(P(1), m.Set(L"name", P(3)));   // returns the old pointer
    EXPECT_EQ(P(3), m.Find(L"name"));
    EXPECT_EQ(NULL, m.Set(L"other", P(4)));  // absent: inserted
    EXPECT_EQ(P(4), m.Find(L"other"));
    EXPECT_EQ(2, m.GetSize());

    // Exact, case-sensitive keys; the key text is copied.
    wchar_t buffer[] = L"Name";
    EXPECT_TRUE(m.Insert(buffer, P(5)));
    buffer[0] = L'X';
    EXPECT_EQ(P(5), m.Find(L"Name"));
    EXPECT_EQ(NULL, m.Find(L"Xame"));
    EXPECT_EQ(NULL, m.Find(L"NAME"));
    EXPECT_EQ(NULL, m.Find(L"nam"));

    EXPECT_TRUE(m.Insert(L"", P(6)));
    EXPECT_EQ(P(6), m.Find(L""));

    EXPECT_FALSE(m.Remove(L"missing"));
    EXPECT_TRUE(m.Remove(L"name"));
    EXPECT_FALSE(m.Remove(L"name"));
    EXPECT_EQ(NULL, m.Find(L"name"));
    EXPECT_EQ(3, m.GetSize());
    EXPECT_EQ(3u, Keys(m).size());
    EXPECT_EQ(NULL, m.GetKeyAt(3));
    EXPECT_EQ(NULL, m.GetKeyAt(-1));

    m.RemoveAll();
    EXPECT_EQ(0, m.GetSize());
    EXPECT_EQ(NULL, m.GetKeyAt(0));
    EXPECT_TRUE(m.Insert(L"again", P(7)));   // same buckets, still usable
    EXPECT_EQ(P(7), m.Find(L"again"));
}

TEST(UIStringMap, ManyKeys)
{
    CUIStringMap m(83);
    for (int i = 0; i < 500; ++i) {
        wchar_t key[32];
        wsprintfW(key, L"ctrl_%d", i);
        ASSERT_TRUE(m.Insert(key, P(i)));
    }
    EXPECT_EQ(500, m.GetSize());
    EXPECT_EQ(500u, Keys(m).size());
    for (int i = 0; i < 500; i += 7) {
        wchar_t key[32];
        wsprintfW(key, L"ctrl_%d", i);
        EXPECT_EQ(P(i), m.Find(key));
    }
}

TEST(UIStringMap, WithoutBuckets)
{
    CUIStringMap m;
    m.Insert(L"a", P(1));
    for (int n : { 0, -5 }) {
        SCOPED_TRACE(n);
        m.Resize(n);
        EXPECT_EQ(0, m.GetSize());
        EXPECT_FALSE(m.Insert(L"a", P(1)));
        EXPECT_EQ(NULL, m.Find(L"a"));
        EXPECT_EQ(NULL, m.Set(L"a", P(2)));
        EXPECT_EQ(NULL, m.Find(L"a"));
        EXPECT_FALSE(m.Remove(L"a"));
        EXPECT_EQ(NULL, m.GetKeyAt(0));
        m.RemoveAll();
        EXPECT_EQ(0, m.GetSize());
    }
    m.Resize(3);   // any positive count is taken as is
    EXPECT_TRUE(m.Insert(L"a", P(1)));
    EXPECT_TRUE(m.Insert(L"d", P(2)));   // 97 % 3 == 100 % 3: one chain
    EXPECT_EQ((KeyList{ L"d", L"a" }), Keys(m));
}
