// WinUtil's MD5 and CIniParse.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "Utils.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

std::string N(const GString& s) { return testsupport::Narrow(s.str()); }

// RFC 1321, appendix A.5.
const struct
{
    const char* text;
    const char* md5;
} kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Test, RfcVectorsFromMemoryAndFile)
{
    const std::wstring dir = testsupport::MakeTempDir(L"md5");
    int i = 0;
    for (const auto& v : kRfcVectors)
    {
        EXPECT_EQ(std::string(v.md5), N(WinUtil::MD5_Data(v.text, strlen(v.text)))) << v.text;
        const std::wstring file = dir + L"v" + std::to_wstring(i++) + L".txt";
        ASSERT_TRUE(WriteFileBytes(file, v.text));
        EXPECT_EQ(std::string(v.md5), N(WinUtil::MD5_File(GString(file)))) << v.text;
    }
    testsupport::RemoveTree(dir);
}

TEST(Md5Test, LargeFileMatchesAnIndependentDigest)
{
    // Made at build time with Python's hashlib; not a multiple of 64 or of the read size.
    const std::wstring bin = testsupport::FixtureDir() + L"utils_md5_big.bin";
    const std::string want = ReadFileBytes(testsupport::FixtureDir() + L"utils_md5_big.md5");
    ASSERT_EQ(32u, want.size());
    EXPECT_EQ(want, N(WinUtil::MD5_File(GString(bin))));
    // Fed in odd pieces, the same digest.
    const std::string bytes = ReadFileBytes(bin);
    ASSERT_GT(bytes.size(), 2u * 1024 * 1024);
    EXPECT_EQ(want, N(WinUtil::MD5_Data(bytes.data(), bytes.size())));
}

TEST(Md5Test, FilesAroundTheReadSizesMatchTheDigestOfTheirBytes)
{
    const std::wstring dir = testsupport::MakeTempDir(L"md5sizes");
    const size_t sizes[] = {0, 1, 4095, 4096, 4097, (1u << 20) - 1, 1u << 20, (1u << 20) + 1, 3u << 20};
    for (size_t size : sizes)
    {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = (char)(i * 31 + (i >> 12));
        const std::wstring file = dir + L"s" + std::to_wstring(size) + L".bin";
        ASSERT_TRUE(WriteFileBytes(file, bytes));
        EXPECT_EQ(N(WinUtil::MD5_Data(bytes.data(), bytes.size())), N(WinUtil::MD5_File(GString(file)))) << size;
    }
    testsupport::RemoveTree(dir);
}

TEST(Md5Test, UnreadableFileMatchesNoDigest)
{
    EXPECT_TRUE(WinUtil::MD5_File(GString(L"C:\\no\\such\\file.bin")).empty());
    EXPECT_TRUE(WinUtil::MD5_File(GString()).empty());
    const std::wstring dir = testsupport::MakeTempDir(L"md5dir");
    EXPECT_TRUE(WinUtil::MD5_File(GString(dir)).empty()) << "a folder";
    testsupport::RemoveTree(dir);
}

class IniTest : public ::testing::Test
{
protected:
    void SetUp() override { m_dir = testsupport::MakeTempDir(L"ini"); }
    void TearDown() override { testsupport::RemoveTree(m_dir); }
    std::wstring m_dir;
};

TEST_F(IniTest, SetStringCreatesAnAnsiCrlfFileThatReadsBack)
{
    const GString path(m_dir + L"Local.ini");
    {
        CIniParse ini(path);
        EXPECT_TRUE(ini.SetString(L"Update", L"Percent", L"17,6"));
        EXPECT_TRUE(ini.SetString(L"UPDATE", L"VERSION", L"1.0.1.1"));
        EXPECT_TRUE(ini.SetString(L"STRATEGY", L"OS", L""));
        EXPECT_TRUE(ini.SetString(L"Update", L"Percent", L"18,6"));  // replaced in place
    }
    const std::string bytes = ReadFileBytes(path.str());
    // One section: names match ignoring case, as the private-profile functions do.
    EXPECT_EQ(std::string("[Update]\r\nPercent=18,6\r\nVERSION=1.0.1.1\r\n[STRATEGY]\r\nOS=\r\n"), bytes);

    CIniParse again(path);
    GString v;
    EXPECT_TRUE(again.GetString(L"Update", L"Percent", v));
    EXPECT_EQ(std::string("18,6"), N(v));
    EXPECT_TRUE(again.GetString(L"update", L"version", v));
    EXPECT_EQ(std::string("1.0.1.1"), N(v));
    EXPECT_TRUE(again.GetString(L"STRATEGY", L"OS", v));
    EXPECT_TRUE(v.empty());

    // The system's own reader agrees with what we wrote.
    wchar_t buf[64] = {0};
    GetPrivateProfileStringW(L"Update", L"Percent", L"", buf, 64, path.c_str());
    EXPECT_EQ(std::wstring(L"18,6"), std::wstring(buf));
}

TEST_F(IniTest, AbsentValuesGiveEmptyOrTheDefault)
{
    const std::wstring file = m_dir + L"update.ini";
    ASSERT_TRUE(WriteFileBytes(file, "; manifest\r\n[UPDATE]\r\n  TYPE = 3 \r\nVERSION=1.0.1.2\r\nBAD=x7\r\n"
                                     "EMPTY=\r\n\r\n[FILES]\r\nCOUNT=2\r\nFILE0=a;b;\\\r\n"));
    CIniParse ini{GString(file)};
    GString v(L"stale");
    EXPECT_FALSE(ini.GetString(L"UPDATE", L"NOPE", v));
    EXPECT_TRUE(v.empty());
    EXPECT_FALSE(ini.GetString(L"NOSECTION", L"TYPE", v));
    EXPECT_EQ(3, ini.GetInt(L"UPDATE", L"TYPE", 0));
    EXPECT_EQ(-5, ini.GetInt(L"UPDATE", L"NOPE", -5));
    EXPECT_EQ(9, ini.GetInt(L"UPDATE", L"EMPTY", 9));
    EXPECT_EQ(0, ini.GetInt(L"UPDATE", L"BAD", 9));
    EXPECT_EQ(0, ini.GetInt(L"FILES", L"TYPE", 0)) << "keys belong to their section";
    EXPECT_EQ(2, ini.GetInt(L"FILES", L"COUNT", 0));
    EXPECT_TRUE(ini.GetString(L"FILES", L"FILE0", v));
    EXPECT_EQ(std::string("a;b;\\"), N(v));

    CIniParse missing{GString(m_dir + L"none.ini")};
    EXPECT_FALSE(missing.GetString(L"A", L"B", v));
    EXPECT_EQ(4, missing.GetInt(L"A", L"B", 4));
}

TEST_F(IniTest, LongValuesReadBackWhole)
{
    const GString path(m_dir + L"long.ini");
    std::wstring value;
    for (int i = 0; i < 400; ++i)
        value += L"host/1.0.1.2/f" + std::to_wstring(i) + L";";
    ASSERT_GT(value.size(), 4000u);
    CIniParse ini(path);
    ASSERT_TRUE(ini.SetString(L"FILES", L"FILE0", GString(value)));
    ASSERT_TRUE(ini.SetString(L"FILES", L"FILE1", L"after"));
    GString back;
    ASSERT_TRUE(CIniParse(path).GetString(L"FILES", L"FILE0", back));
    EXPECT_EQ(value, back.str());
    ASSERT_TRUE(CIniParse(path).GetString(L"FILES", L"FILE1", back));
    EXPECT_EQ(std::wstring(L"after"), back.str());
}

TEST_F(IniTest, NewKeyGoesIntoItsSectionAndOtherLinesStay)
{
    const std::wstring file = m_dir + L"Local.ini";
    ASSERT_TRUE(WriteFileBytes(file, "[UPDATE]\r\nVERSION=1.0.1.1\r\n\r\n[STRATEGY]\r\n; keep me\r\nOS=\r\n"));
    ASSERT_TRUE(CIniParse(GString(file)).SetString(L"UPDATE", L"TYPE", L"0"));
    EXPECT_EQ(std::string("[UPDATE]\r\nVERSION=1.0.1.1\r\nTYPE=0\r\n\r\n[STRATEGY]\r\n; keep me\r\nOS=\r\n"),
              ReadFileBytes(file));
}

TEST_F(IniTest, WritesThatWouldBreakTheFileAreRefused)
{
    const std::wstring file = m_dir + L"x.ini";
    CIniParse ini{GString(file)};
    EXPECT_FALSE(ini.SetString(L"A", L"B", L"one\r\n[Evil]\r\nk=v"));
    EXPECT_FALSE(ini.SetString(L"A]", L"B", L"v"));
    EXPECT_FALSE(ini.SetString(L"A", L"B=C", L"v"));
    EXPECT_FALSE(ini.SetString(L"", L"B", L"v"));
    EXPECT_FALSE(testsupport::FileExists(file));
    EXPECT_FALSE(CIniParse(GString(m_dir + L"no\\such\\dir.ini")).SetString(L"A", L"B", L"v"));
}

TEST_F(IniTest, ByteOrderMarkedFilesAreRead)
{
    const std::wstring u8 = m_dir + L"u8.ini";
    ASSERT_TRUE(WriteFileBytes(u8, "\xEF\xBB\xBF[CLIENT]\r\nSERVER=host/update.ini\r\n"));
    GString v;
    EXPECT_TRUE(CIniParse(GString(u8)).GetString(L"CLIENT", L"SERVER", v));
    EXPECT_EQ(std::string("host/update.ini"), N(v));
    const std::wstring u16 = m_dir + L"u16.ini";
    std::string bytes("\xFF\xFE", 2);
    for (char c : std::string("[A]\r\nk=v\r\n"))
        bytes += std::string(1, c) + std::string(1, '\0');
    ASSERT_TRUE(WriteFileBytes(u16, bytes));
    EXPECT_TRUE(CIniParse(GString(u16)).GetString(L"A", L"k", v));
    EXPECT_EQ(std::string("v"), N(v));
}

TEST(GbkTest, IniTextIsStoredInTheAnsiCodePage)
{
    ASSERT_EQ(936u, GetACP()) << "run with WINE_RUN_LANG=zh_CN.UTF-8";
    const std::wstring dir = testsupport::MakeTempDir(L"inigbk");
    const GString path(dir + L"localinfo.ini");
    ASSERT_TRUE(CIniParse(path).SetString(L"Update", L"Province", L"\x5317\x4eac"));
    EXPECT_EQ(std::string("[Update]\r\nProvince=\xB1\xB1\xBE\xA9\r\n"), ReadFileBytes(path.str()));
    GString v;
    EXPECT_TRUE(CIniParse(path).GetString(L"Update", L"Province", v));
    EXPECT_EQ(std::wstring(L"\x5317\x4eac"), v.str());
    testsupport::RemoveTree(dir);
}

} // namespace
