// CUIString: storage (inline buffer versus exact heap block), editing, search,
// formatting and texts that alias the string's own storage.
#include "UIBase.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <string>
#include <windows.h>

using SkinUI::CUIString;

namespace {

bool IsInline(const CUIString& s)
{
    const char* p = reinterpret_cast<const char*>(s.GetData());
    const char* lo = reinterpret_cast<const char*>(&s);
    return p >= lo && p < lo + sizeof(CUIString);
}

// Size of the string's heap block in characters.
size_t HeapChars(const CUIString& s)
{
    return _msize(const_cast<wchar_t*>(s.GetData())) / sizeof(wchar_t);
}

std::wstring Repeat(wchar_t ch, int n)
{
    return std::wstring(n, ch);
}

std::wstring W(const CUIString& s)
{
    return std::wstring(s.GetData());
}

// A text whose terminator is the very last character before an inaccessible
// page, so reading one character past it faults.
class GuardedText {
public:
    explicit GuardedText(const wchar_t* text)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_page = si.dwPageSize;
        m_base = static_cast<char*>(VirtualAlloc(NULL, m_page * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(m_base + m_page, m_page, PAGE_NOACCESS, &old);
        const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        m_text = reinterpret_cast<wchar_t*>(m_base + m_page - bytes);
        memcpy(m_text, text, bytes);
    }
    ~GuardedText() { VirtualFree(m_base, 0, MEM_RELEASE); }
    const wchar_t* get() const { return m_text; }

private:
    char* m_base;
    DWORD m_page;
    wchar_t* m_text;
};

} // namespace

TEST(UIString, ConstructionForms)
{
    EXPECT_STREQ(L"", CUIString().GetData());
    EXPECT_STREQ(L"x", CUIString(L'x').GetData());
    EXPECT_TRUE(CUIString(L'\0').IsEmpty());
    EXPECT_STREQ(L"", CUIString(static_cast<const wchar_t*>(NULL)).GetData());
    EXPECT_STREQ(L"abc", CUIString(L"abcdef", 3).GetData());
    EXPECT_STREQ(L"abcdef", CUIString(L"abcdef", -1).GetData());

    const std::wstring longText = Repeat(L'q', 100);
    CUIString a(longText.c_str());
    CUIString b(a);
    EXPECT_NE(a.GetData(), b.GetData());
    EXPECT_EQ(longText, W(b));
    EXPECT_EQ(100, b.GetLength());
}

TEST(UIString, AssignInlineHeapBoundary)
{
    CUIString s;
    const std::wstring t62 = Repeat(L'a', 62), t63 = Repeat(L'b', 63);

    s.Assign(t62.c_str());
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(t62, W(s));

    s.Assign(t63.c_str());
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(64u, HeapChars(s));
    EXPECT_EQ(t63, W(s));

    // Back to a short text: inline again.
    s = L"short";
    EXPECT_TRUE(IsInline(s));
    EXPECT_STREQ(L"short", s.GetData());
}

TEST(UIString, AssignReusesLargerHeapBlock)
{
    const std::wstring t100 = Repeat(L'x', 100), t70 = Repeat(L'y', 70), t120 = Repeat(L'z', 120);
    CUIString s(t100.c_str());
    const wchar_t* block = s.GetData();
    EXPECT_EQ(101u, HeapChars(s));

    s.Assign(t70.c_str());
    EXPECT_EQ(block, s.GetData());
    EXPECT_EQ(t70, W(s));

    s.Assign(t120.c_str());
    EXPECT_EQ(121u, HeapChars(s));
    EXPECT_EQ(t120, W(s));

    s.Assign(t100.c_str(), 80);
    EXPECT_EQ(Repeat(L'x', 80), W(s));
}

TEST(UIString, AssignLengthBeyondTextStopsAtTerminator)
{
    GuardedText shortText(L"abc");
    CUIString s;
    s.Assign(shortText.get(), 200);
    EXPECT_STREQ(L"abc", s.GetData());
    EXPECT_TRUE(IsInline(s));

    const std::wstring t70 = Repeat(L'k', 70);
    GuardedText longText(t70.c_str());
    s.Assign(longText.get(), 5000);
    EXPECT_EQ(t70, W(s));
    EXPECT_EQ(71u, HeapChars(s));

    CUIString c(longText.get(), 1000);
    EXPECT_EQ(t70, W(c));
}

TEST(UIString, AppendInlineHeapBoundary)
{
    CUIString s(Repeat(L'a', 61).c_str());
    s += L'b';
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(62, s.GetLength());

    s += L'c';  // 63: leaves the inline buffer
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(64u, HeapChars(s));
    EXPECT_EQ(Repeat(L'a', 61) + L"bc", W(s));

    // Every append on the heap resizes to exactly total + 1.
    s += L"defg";
    EXPECT_EQ(68u, HeapChars(s));
    s += CUIString(L"h");
    EXPECT_EQ(69u, HeapChars(s));
    EXPECT_EQ(Repeat(L'a', 61) + L"bcdefgh", W(s));

    const wchar_t* before = s.GetData();
    s += static_cast<const wchar_t*>(NULL);
    s += L"";
    EXPECT_EQ(before, s.GetData());
    EXPECT_EQ(68, s.GetLength());
}

TEST(UIString, SelfAppendAndSelfAssign)
{
    struct Case { int length; };
    const Case cases[] = { { 5 }, { 31 }, { 40 }, { 62 }, { 63 }, { 100 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::wstring text;
        for (int i = 0; i < c.length; ++i) text += static_cast<wchar_t>(L'a' + i % 26);

        CUIString s(text.c_str());
        s += s;
        EXPECT_EQ(text + text, W(s));

        CUIString t(text.c_str());
        t += t.GetData() + 2;
        EXPECT_EQ(text + text.substr(2), W(t));

        CUIString u(text.c_str());
        u = u.GetData() + 3;
        EXPECT_EQ(text.substr(3), W(u));

        CUIString v(text.c_str());
        v = v;
        EXPECT_EQ(text, W(v));

        CUIString w(text.c_str());
        w.Assign(w.GetData() + 1, c.length - 2);
        EXPECT_EQ(text.substr(1, c.length - 2), W(w));
    }
}

TEST(UIString, EmptyAndNullOperators)
{
    CUIString s(Repeat(L'm', 90).c_str());
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(0, s.GetLength());

    s = L"abc";
    s = static_cast<const wchar_t*>(NULL);
    EXPECT_TRUE(s.IsEmpty());

    s = L"abc";
    EXPECT_EQ(L'b', s.GetAt(1));
    EXPECT_STREQ(L"abc", static_cast<const wchar_t*>(s));
}

TEST(UIString, CompareByCodeUnit)
{
    struct Case { const wchar_t* a; const wchar_t* b; int expected; };
    const Case cases[] = {
        { L"abc", L"abc", 0 },
        { L"B", L"a", -1 },
        { L"a", L"B", 1 },
        { L"abc", L"abz", -1 },       // exactly -1, not a difference of characters
        { L"abz", L"abc", 1 },
        { L"ab", L"abc", -1 },
        { L"abc", L"ab", 1 },
        { L"", L"", 0 },
        { L"\xFF01", L"a", 1 },       // unsigned code units
        { L"a", L"\xD800", -1 },
        { L"Key", L"key", -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - cases));
        EXPECT_EQ(c.expected, CUIString(c.a).Compare(c.b));
        EXPECT_EQ(c.expected == 0, CUIString(c.a) == c.b);
        EXPECT_EQ(c.expected != 0, CUIString(c.a) != c.b);
    }
    EXPECT_EQ(0, CUIString().Compare(NULL));
    EXPECT_EQ(1, CUIString(L"x").Compare(NULL));
}

TEST(UIString, MakeLowerChangesOnlyAsciiCapitals)
{
    CUIString s(L"AbC-XYZ_az@[\x00C4\x00D6\x0391]");
    s.MakeLower();
    EXPECT_STREQ(L"abc-xyz_az@[\x00C4\x00D6\x0391]", s.GetData());
}

TEST(UIString, SearchBoundaries)
{
    const CUIString s(L"abcabc");
    struct FindCharCase { wchar_t ch; int start; int expected; };
    const FindCharCase fc[] = {
        { L'a', 0, 0 }, { L'a', 1, 3 }, { L'c', 5, 5 }, { L'a', 4, -1 },
        { L'a', 6, -1 },   // start equal to the length
        { L'a', -1, -1 }, { L'a', 7, -1 }, { L'z', 0, -1 },
    };
    for (const FindCharCase& c : fc) {
        SCOPED_TRACE(testing::Message() << "FindChar start " << c.start);
        EXPECT_EQ(c.expected, s.FindChar(c.ch, c.start));
    }
    EXPECT_EQ(-1, CUIString().FindChar(L'a', 0));

    struct FindCase { const wchar_t* text; int start; int expected; };
    const FindCase f[] = {
        { L"bc", 0, 1 }, { L"bc", 2, 4 }, { L"abc", 1, 3 }, { L"abcd", 0, -1 },
        { L"", 6, 6 },     // start = length finds the empty text at the end
        { L"", 2, 2 }, { L"c", 6, -1 }, { L"a", 7, -1 }, { L"a", -1, -1 },
    };
    for (const FindCase& c : f) {
        SCOPED_TRACE(testing::Message() << "Find start " << c.start);
        EXPECT_EQ(c.expected, s.Find(c.text, c.start));
    }
    EXPECT_EQ(-1, s.Find(NULL, 0));

    EXPECT_EQ(5, s.ReverseFindChar(L'c'));
    EXPECT_EQ(3, s.ReverseFindChar(L'a'));
    EXPECT_EQ(-1, s.ReverseFindChar(L'q'));
    EXPECT_EQ(-1, CUIString().ReverseFindChar(L'q'));
}

TEST(UIString, LeftAndMidBoundaries)
{
    const CUIString s(L"abcdef");
    struct LeftCase { int n; const wchar_t* expected; };
    const LeftCase lc[] = { { 0, L"" }, { 2, L"ab" }, { 6, L"abcdef" }, { 50, L"abcdef" }, { -3, L"" } };
    for (const LeftCase& c : lc) {
        SCOPED_TRACE(testing::Message() << "Left " << c.n);
        EXPECT_STREQ(c.expected, s.Left(c.n).GetData());
    }

    struct MidCase { int start; int n; const wchar_t* expected; };
    const MidCase mc[] = {
        { 3, -1, L"def" }, { 4, 10, L"ef" }, { 6, 1, L"" }, { 0, 2, L"ab" },
        { 1, 0, L"" }, { 2, 4, L"cdef" }, { 5, -7, L"f" }, { 0, -1, L"abcdef" },
        { 9, 2, L"" }, { 200, -1, L"" },   // past the end: empty, nothing read
    };
    for (const MidCase& c : mc) {
        SCOPED_TRACE(testing::Message() << "Mid " << c.start << "," << c.n);
        EXPECT_STREQ(c.expected, s.Mid(c.start, c.n).GetData());
    }

    const std::wstring longText = Repeat(L'a', 40) + Repeat(L'b', 60);
    const CUIString l(longText.c_str());
    EXPECT_EQ(Repeat(L'b', 60), W(l.Mid(40)));
    EXPECT_EQ(longText.substr(0, 70), W(l.Left(70)));
}

TEST(UIString, Replace)
{
    struct Case { const wchar_t* text; const wchar_t* from; const wchar_t* to; const wchar_t* expected; int count; };
    const Case cases[] = {
        { L"aaaa", L"aa", L"a", L"aa", 2 },
        { L"a", L"a", L"aa", L"aa", 1 },
        { L"x.y.z", L".", L"::", L"x::y::z", 2 },
        { L"abcabc", L"abc", L"", L"", 2 },
        { L"hello", L"xyz", L"q", L"hello", 0 },
        { L"hello", L"", L"q", L"hello", 0 },
        { L"abab", L"ab", L"ba", L"baba", 2 },
        { L"%d%d", L"%d", NULL, L"", 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - cases));
        CUIString s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to));
        EXPECT_STREQ(c.expected, s.GetData());
    }

    // Growth across the heap boundary.
    std::wstring text, expected;
    for (int i = 0; i < 40; ++i) { text += L"ab"; expected += L"xyzb"; }
    CUIString s(text.c_str());
    EXPECT_EQ(40, s.Replace(L"a", L"xyz"));
    EXPECT_EQ(expected, W(s));

    // Pattern taken from the string itself.
    CUIString self(L"same");
    EXPECT_EQ(1, self.Replace(self.GetData(), L"other"));
    EXPECT_STREQ(L"other", self.GetData());
}

TEST(UIString, FormatAnyLength)
{
    const std::wstring body = Repeat(L'w', 300);
    CUIString s(L"old");
    EXPECT_EQ(309, s.Format(L"[%s]%d-%04x", body.c_str(), 42, 0xbe));
    EXPECT_EQ(L"[" + body + L"]42-00be", W(s));
    EXPECT_EQ(310u, HeapChars(s));

    EXPECT_EQ(0, s.Format(L"%s", L""));
    EXPECT_TRUE(s.IsEmpty());

    EXPECT_EQ(4, s.Format(L"%s|%c", L"ab", L'z'));
    EXPECT_STREQ(L"ab|z", s.GetData());
}

TEST(UIString, FormatShortKeepsSixtyThree)
{
    CUIString s;
    s.FormatShort(L"%4d-%02d-%02d", 2024, 3, 5);
    EXPECT_STREQ(L"2024-03-05", s.GetData());

    s.FormatShort(L"dest='%d,%d,%d,%d'", 1, 2, 30, -4);
    EXPECT_STREQ(L"dest='1,2,30,-4'", s.GetData());

    std::wstring eighty;
    for (int i = 0; i < 80; ++i) eighty += static_cast<wchar_t>(L'0' + i % 10);
    s.FormatShort(L"%s", eighty.c_str());
    EXPECT_EQ(eighty.substr(0, 63), W(s));
    EXPECT_EQ(63, s.GetLength());

    const std::wstring exact = Repeat(L'e', 63);
    s.FormatShort(L"%s", exact.c_str());
    EXPECT_EQ(exact, W(s));

    s.FormatShort(L"%s", L"tiny");
    EXPECT_STREQ(L"tiny", s.GetData());
    EXPECT_TRUE(IsInline(s));
}
