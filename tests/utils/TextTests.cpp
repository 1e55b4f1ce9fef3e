// GString, gstring, TransCode and the shared text routines.
#include <gtest/gtest.h>

#include <limits.h>

#include <string>
#include <vector>

#include "ClientText.h"
#include "TestSupport.h"
#include "Utils.h"

namespace {

std::wstring W(const GString& s) { return s.str(); }

TEST(GStringTest, SlicesClampTheirArguments)
{
    struct Case
    {
        const wchar_t* expr;
        GString got;
        const wchar_t* want;
    };
    const GString s(L"C:\\P\\tevela.exe");
    const Case cases[] = {
        {L"left(2)", s.left(2), L"C:"},
        {L"left(0)", s.left(0), L""},
        {L"left(99)", s.left(99), L"C:\\P\\tevela.exe"},
        {L"right(3)", s.right(3), L"exe"},
        {L"right(99)", s.right(99), L"C:\\P\\tevela.exe"},
        {L"right(-1)", s.right(-1), L""},
        {L"mid(5)", s.mid(5), L"tevela.exe"},
        {L"mid(5,6)", s.mid(5, 6), L"tevela"},
        {L"mid(5,99)", s.mid(5, 99), L"tevela.exe"},
        {L"mid(99)", s.mid(99), L""},
        {L"mid(-3,2)", s.mid(-3, 2), L"C:"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.want), W(c.got)) << c.expr;
}

TEST(GStringTest, FindReplaceAndCompare)
{
    GString s(L"host/1.0.1.2/sub/file.dll");
    EXPECT_EQ(4, s.find(L'/'));
    EXPECT_EQ(12, s.find(L'/', 5));
    EXPECT_EQ(-1, s.find(L'#'));
    EXPECT_EQ(-1, s.find(L'/', 100));
    EXPECT_EQ(16, s.rfind(L'/'));
    EXPECT_EQ(-1, GString(L"abc").rfind(L'/'));
    EXPECT_EQ(5, s.find(L"1.0"));
    EXPECT_EQ(25, s.length());

    s.replace(L'/', L'\\');
    EXPECT_EQ(std::wstring(L"host\\1.0.1.2\\sub\\file.dll"), W(s));

    EXPECT_TRUE(GString(L"Abc") == GString(L"Abc"));
    EXPECT_TRUE(GString(L"Abc") != GString(L"abc"));  // exact
    EXPECT_TRUE(GString().empty());
    EXPECT_EQ(0, GString(static_cast<const wchar_t*>(NULL)).length());
}

TEST(GStringTest, ConcatenationAndFormat)
{
    GString path = GString(L"C:\\P") + L"\\" + GString("update.exe");
    path += GString(L" ");
    path.append(L"tevela.exe").append(static_cast<const wchar_t*>(NULL));
    EXPECT_EQ(std::wstring(L"C:\\P\\update.exe tevela.exe"), W(path));

    GString f;
    f.Format(L"%s %s", L"C:\\P\\update.exe", L"tevela.exe 0");
    EXPECT_EQ(std::wstring(L"C:\\P\\update.exe tevela.exe 0"), W(f));
    f.Format(L"FILE%d", 12);
    EXPECT_EQ(std::wstring(L"FILE12"), W(f));  // the text is replaced, not appended
    f.Format(L"\"%s\"", L"a b");
    EXPECT_EQ(std::wstring(L"\"a b\""), W(f));

    // Longer than any fixed buffer.
    std::wstring big(5000, L'x');
    f.Format(L"[%s]", big.c_str());
    EXPECT_EQ(5002, f.length());

    GString a;
    a.assign(L"abcdef", 3);
    EXPECT_EQ(std::wstring(L"abc"), W(a));
}

TEST(GStringTest, NarrowConversionsRoundTripAscii)
{
    gstring n(GString(L"Local.ini"));
    EXPECT_STREQ("Local.ini", n.c_str());
    EXPECT_TRUE(n == GString(L"Local.ini"));
    EXPECT_FALSE(n == GString(L"local.ini"));
    EXPECT_EQ(std::wstring(L"Local.ini"), W(n.toGString()));
    EXPECT_EQ(std::wstring(L"abc"), W(GString(std::string("abc"))));

    gstring body("a;b\0c", 5);  // bytes, NUL included
    EXPECT_EQ(5, body.length());
    EXPECT_EQ(3, body.find('\0'));
    EXPECT_EQ(1, body.find(";"));
    EXPECT_EQ(std::string("b\0c", 3), body.mid(2).str());
    EXPECT_EQ(std::string("b"), body.mid(2, 1).str());
    body += "!";
    EXPECT_EQ(6, body.length());
}

TEST(TransCodeTest, Utf8ToAnsiKeepsAscii)
{
    EXPECT_STREQ("Beijing", TransCode::Utf_8ToANSI(gstring("Beijing")).c_str());
    EXPECT_TRUE(TransCode::Utf_8ToANSI(gstring()).empty());
}

// Under ACP 936 (LANG=zh_CN.UTF-8): the conversions give GBK bytes.
TEST(GbkTest, ConversionsUseTheAnsiCodePage)
{
    ASSERT_EQ(936u, GetACP()) << "run with WINE_RUN_LANG=zh_CN.UTF-8";
    const char utf8[] = "\xE5\x8C\x97\xE4\xBA\xAC";  // 北京
    const char gbk[] = "\xB1\xB1\xBE\xA9";
    EXPECT_EQ(std::string(gbk), TransCode::Utf_8ToANSI(gstring(utf8)).str());
    EXPECT_EQ(std::string(utf8), TransCode::ANSIToUtf_8(gstring(gbk)).str());
    EXPECT_EQ(std::wstring(L"\x5317\x4eac"), W(GString(gbk)));
    EXPECT_EQ(std::string(gbk), gstring(GString(L"\x5317\x4eac")).str());
    EXPECT_TRUE(gstring(gbk) == GString(L"\x5317\x4eac"));
}

TEST(TextRoutinesTest, SplitWideStringSkipsEmptyPieces)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* delims;
        std::vector<std::wstring> want;
    };
    const Case cases[] = {
        {L"tevela.exe 0", L" ", {L"tevela.exe", L"0"}},
        {L"  a   b  ", L" ", {L"a", L"b"}},
        {L"   ", L" ", {}},
        {L"", L" ", {}},
        {L"u;;m;\\", L";", {L"u", L"m", L"\\"}},
        {L"a;b c", L"; ", {L"a", L"b", L"c"}},
        {L"abc", L"", {L"abc"}},
    };
    for (const Case& c : cases)
    {
        std::vector<GString> out;
        out.push_back(GString(L"kept"));  // pieces are appended
        int n = SplitWideString(GString(c.text), out, c.delims);
        ASSERT_EQ((int)c.want.size(), n) << testsupport::Narrow(c.text);
        ASSERT_EQ(c.want.size() + 1, out.size());
        EXPECT_EQ(std::wstring(L"kept"), W(out[0]));
        for (size_t i = 0; i < c.want.size(); ++i)
            EXPECT_EQ(c.want[i], W(out[i + 1]));
    }
    std::vector<GString> out;
    EXPECT_EQ(0, SplitWideString(GString(L"a b"), out, NULL));
    EXPECT_TRUE(out.empty());
}

TEST(TextRoutinesTest, SplitNarrowString)
{
    std::vector<gstring> out;
    EXPECT_EQ(3, SplitNarrowString(gstring(",30,,5,x,"), ",", out));
    ASSERT_EQ(3u, out.size());
    EXPECT_STREQ("30", out[0].c_str());
    EXPECT_STREQ("5", out[1].c_str());
    EXPECT_STREQ("x", out[2].c_str());
    EXPECT_EQ(2, SplitNarrowString(gstring("1.0"), ".", out));
    EXPECT_EQ(5u, out.size());
    EXPECT_EQ(0, SplitNarrowString(gstring(",,,"), ",", out));
    EXPECT_EQ(0, SplitNarrowString(gstring("a"), NULL, out));
}

TEST(TextRoutinesTest, NumbersAsAStreamReadsThem)
{
    struct Case
    {
        const char* text;
        int asInt;
        unsigned asUInt;
    };
    const Case cases[] = {
        {"42", 42, 42u},
        {"  7abc", 7, 7u},
        {"\t+3", 3, 3u},
        {"-12", -12, 4294967284u},
        {"0-23", 0, 0u},
        {"23", 23, 23u},
        {"abc", 0, 0u},
        {"", 0, 0u},
        {"99999999999", INT_MAX, UINT_MAX},
        {"-99999999999", INT_MIN, UINT_MAX},
        {"4294967295", INT_MAX, 4294967295u},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.asInt, NarrowStringToInt(gstring(c.text))) << c.text;
        EXPECT_EQ(c.asUInt, NarrowStringToUInt(gstring(c.text))) << c.text;
        EXPECT_EQ(c.asInt, WideStringToInt(GString(c.text))) << c.text;
    }
}

TEST(TextRoutinesTest, IntToText)
{
    EXPECT_EQ(std::wstring(L"-15"), W(IntToGString(-15)));
    EXPECT_EQ(std::wstring(L"0"), W(IntToGString(0)));
    GString s(L"17,");
    AppendIntToGString(s, 6);
    EXPECT_EQ(std::wstring(L"17,6"), W(s));
}

TEST(FunctorTest, FunctorVoidCallsTheMember)
{
    struct Target
    {
        int calls = 0;
        void Run() { ++calls; }
    } target;
    FunctorBase* f = new FunctorVoid<Target>(&target, &Target::Run);
    f->Invoke();
    f->Invoke();
    delete f;
    EXPECT_EQ(2, target.calls);
}

} // namespace
