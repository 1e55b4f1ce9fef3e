// Manifest file entries and the INI files the installer ships.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClientText.h"
#include "Manifest.h"
#include "TestSupport.h"
#include "Utils.h"

namespace {

std::string N(const GString& s) { return testsupport::Narrow(s.str()); }

TEST(ManifestEntryTest, FieldsAndJoinRules)
{
    const GString dir(L"C:\\Yexo");
    struct Case
    {
        const wchar_t* value;
        int result;
        const wchar_t* name;
        const wchar_t* finalPath;
    };
    const Case cases[] = {
        {L"host/1.0.1.2/tevela.exe;0123456789abcdef0123456789abcdef;\\", ENTRY_OK, L"tevela.exe",
         L"C:\\Yexo\\tevela.exe"},
        {L"u;m", ENTRY_TOO_FEW_FIELDS, L"", L""},
        {L"host/a.dll;m;\\;x", ENTRY_OK, L"a.dll", L"C:\\Yexo\\a.dll"},    // four pieces: first three
        {L"host/a.dll;;m;\\", ENTRY_OK, L"a.dll", L"C:\\Yexo\\a.dll"},     // empty piece skipped
        {L"plain.txt;m;\\", ENTRY_OK, L"plain.txt", L"C:\\Yexo\\plain.txt"}, // url without '/'
        {L"h/v/x.dll;m;\\sub\\", ENTRY_OK, L"x.dll", L"C:\\Yexo\\sub\\x.dll"},
        {L"h/v/x.dll;m;\\sub", ENTRY_OK, L"x.dll", L"C:\\Yexo\\subx.dll"},  // joined without a separator
        {L"h/v/x.dll;m;\\plugins\\x\\", ENTRY_OK, L"x.dll", L"C:\\Yexo\\plugins\\x\\x.dll"},
        {L"h/v/y.dll;m;", ENTRY_TOO_FEW_FIELDS, L"", L""},
        {L";;;", ENTRY_TOO_FEW_FIELDS, L"", L""},
    };
    for (const Case& c : cases)
    {
        ManifestFileEntry e;
        const int r = ParseFileEntry(GString(c.value), dir, e);
        EXPECT_EQ(c.result, r) << testsupport::Narrow(c.value);
        if (r == ENTRY_OK)
        {
            EXPECT_EQ(std::wstring(c.name), e.name.str()) << testsupport::Narrow(c.value);
            EXPECT_EQ(std::wstring(c.finalPath), e.finalPath.str()) << testsupport::Narrow(c.value);
        }
    }
    ManifestFileEntry e;
    ASSERT_EQ(ENTRY_OK, ParseFileEntry(GString(L"h/1.0/Utils.dll;abc;\\"), dir, e));
    EXPECT_EQ("h/1.0/Utils.dll", N(e.url));
    EXPECT_EQ("abc", N(e.md5));
    EXPECT_EQ("\\", N(e.folder));
}

TEST(ManifestEntryTest, EntriesThatLeaveTheFolderAreRefused)
{
    const GString dir(L"C:\\Yexo");
    struct Case
    {
        const wchar_t* value;
        int result;
    };
    const Case cases[] = {
        {L"h/evil.exe;m;\\..\\..\\Windows\\", ENTRY_BAD_FOLDER},
        {L"h/evil.exe;m;\\sub\\..\\..\\", ENTRY_BAD_FOLDER},
        {L"h/x\\..\\..\\evil.exe;m;\\", ENTRY_BAD_NAME},      // a name with '\'
        {L"h/..;m;\\", ENTRY_BAD_NAME},
        {L"h/a..b;m;\\", ENTRY_BAD_NAME},
        {L"h/x;m;x", ENTRY_BAD_FOLDER},                       // no leading '\': C:\Yexox...
        {L"h/x;m;C:", ENTRY_BAD_FOLDER},
        {L"h/x;m;\\C:\\", ENTRY_BAD_FOLDER},
        {L"h/x:stream;m;\\", ENTRY_BAD_NAME},
        {L"h/;m;\\", ENTRY_BAD_NAME},  // empty name
        {L"h/nul;m;\\", ENTRY_BAD_NAME},
        {L"h/COM1.txt;m;\\", ENTRY_BAD_NAME},
        {L"h/x;m;\\\\server\\share\\", ENTRY_BAD_FOLDER},
        {L"h/x;m;\\.\\", ENTRY_BAD_FOLDER},
    };
    for (const Case& c : cases)
    {
        ManifestFileEntry e;
        EXPECT_EQ(c.result, ParseFileEntry(GString(c.value), dir, e)) << testsupport::Narrow(c.value);
    }
    // 260 units or more (with ".new") are refused.
    ManifestFileEntry e;
    // C:\Yexo\sub\ + 250 = 262 units.
    EXPECT_EQ(ENTRY_TOO_LONG, ParseFileEntry(GString(L"h/" + std::wstring(250, L'n') + L";m;\\sub\\"), dir, e));
    // C:\Yexo\ + 248 = 256 units, 260 with ".new".
    EXPECT_EQ(ENTRY_TOO_LONG, ParseFileEntry(GString(L"h/" + std::wstring(248, L'n') + L";m;\\"), dir, e));
    // 255 units, 259 with ".new".
    EXPECT_EQ(ENTRY_OK, ParseFileEntry(GString(L"h/" + std::wstring(247, L'n') + L";m;\\"), dir, e));
}

// The shipped files, made at build time by client/ini/make_ini.py over dummy product files.
class ShippedIniTest : public ::testing::Test
{
protected:
    std::wstring Out() { return testsupport::FixtureDir() + L"shipped_ini\\out\\"; }
    std::wstring Files() { return testsupport::FixtureDir() + L"shipped_ini\\files\\"; }
};

TEST_F(ShippedIniTest, ServerAndUpflagAsTheyShip)
{
    EXPECT_EQ(std::string("[CLIENT]\r\nSERVER=127.0.0.1:8080/update.ini\r\n"),
              testsupport::ReadFileBytes(Out() + L"server.ini"));
    EXPECT_EQ(std::string("[Register]\r\nCOUNT=0\r\n[RunExe]\r\nCOUNT=1\r\nFILE0=tevela.exe\r\n"),
              testsupport::ReadFileBytes(Out() + L"upflag.ini"));
    // The system's private-profile reader (the updater's) sees the same.
    const std::wstring upflag = Out() + L"upflag.ini";
    EXPECT_EQ(0u, GetPrivateProfileIntW(L"Register", L"COUNT", 7, upflag.c_str()));
    EXPECT_EQ(1u, GetPrivateProfileIntW(L"RunExe", L"COUNT", 7, upflag.c_str()));
    wchar_t buf[260] = {0};
    GetPrivateProfileStringW(L"RunExe", L"FILE0", L"", buf, 260, upflag.c_str());
    EXPECT_EQ(std::wstring(L"tevela.exe"), std::wstring(buf));
}

TEST_F(ShippedIniTest, LocalIniListsTheEightFilesWithTheirDigests)
{
    const std::string bytes = testsupport::ReadFileBytes(Out() + L"Local.ini");
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE('\xEF', bytes[0]) << "no byte-order mark";
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        if (bytes[i] == '\n')
        {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "CRLF only";
        }
    }
    EXPECT_EQ(0u, bytes.find("[UPDATE]\r\nVERSION=1.0.1.1\r\nTYPE=0\r\n[STRATEGY]\r\nPROVINCE=\r\nCITY=\r\n"
                             "PERCENT=\r\nTIME=\r\nOS=\r\n[FILES]\r\nCOUNT=8\r\n"));

    CIniParse ini(GString(Out() + L"Local.ini"));
    EXPECT_EQ(0, ini.GetInt(L"UPDATE", L"TYPE", -1));
    const char* strategyKeys[] = {"PROVINCE", "CITY", "PERCENT", "TIME", "OS"};
    for (const char* k : strategyKeys)
    {
        GString v(L"x");
        EXPECT_TRUE(ini.GetString(L"STRATEGY", GString(k), v)) << k << " is present";
        EXPECT_TRUE(v.empty()) << k;
    }
    const wchar_t* names[] = {L"server.ini", L"Uninst.exe", L"Uninst.ico", L"update.exe",
                              L"upflag.ini", L"Utils.dll",  L"tevela.exe", L"tevela.ico"};
    ASSERT_EQ(8, ini.GetInt(L"FILES", L"COUNT", 0));
    const GString dir(L"C:\\Yexo");
    for (int i = 0; i < 8; ++i)
    {
        GString key, value;
        key.Format(L"FILE%d", i);
        ASSERT_TRUE(ini.GetString(L"FILES", key, value)) << i;
        ManifestFileEntry e;
        ASSERT_EQ(ENTRY_OK, ParseFileEntry(value, dir, e)) << N(value);
        EXPECT_EQ(std::wstring(names[i]), e.name.str());
        EXPECT_EQ(std::wstring(L"\\"), e.folder.str());
        EXPECT_EQ(L"127.0.0.1:8080/1.0.1.1/" + std::wstring(names[i]), e.url.str());
        const bool generated = i == 0 || i == 4;
        const std::wstring local = (generated ? Out() : Files()) + names[i];
        EXPECT_EQ(WinUtil::MD5_File(GString(local)).str(), e.md5.str()) << N(value);
    }
}

} // namespace
