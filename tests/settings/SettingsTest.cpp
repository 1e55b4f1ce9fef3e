// Registry settings of the product key and the Run value, and the form of the
// statistics URLs, on the Wine prefix's own registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "RegSettings.h"
#include "StatUrl.h"
#include "TestSupport.h"

namespace {

// Saves the product key's values and the Run value the tests touch, and puts them back.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY);
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        m_dir = testsupport::MakeTempDir(L"settings");
        m_exe = m_dir + L"tevela.exe";
        ASSERT_TRUE(testsupport::WriteFileBytes(m_exe, "MZ"));
    }
    void TearDown() override
    {
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY);
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        testsupport::RemoveTree(m_dir);
    }
    static void SetRaw(const wchar_t* key, const wchar_t* name, DWORD type, const void* data,
                       DWORD bytes)
    {
        ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, key, name, type, data, bytes));
    }
    // The value's bytes exactly as stored (shlwapi would add a terminator).
    static bool ReadRaw(const wchar_t* key, const wchar_t* name, std::string& bytes)
    {
        HKEY hkey = NULL;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &hkey) != ERROR_SUCCESS)
            return false;
        char buffer[4096];
        DWORD size = sizeof(buffer);
        DWORD type = 0;
        LONG rc = RegQueryValueExW(hkey, name, NULL, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(hkey);
        if (rc != ERROR_SUCCESS)
            return false;
        bytes.assign(buffer, size);
        return true;
    }
    std::wstring m_dir;
    std::wstring m_exe;
};

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST_F(SettingsTest, MissingProductKeyGivesTheDefaults)
{
    EXPECT_EQ(1u, ReadHideMainWnd());
    EXPECT_EQ(L"", ReadChannel());
    EXPECT_EQ(1u, ReadProductDword(L"FirstStart", 1));
}

TEST_F(SettingsTest, DwordsReadBackAndAWrongTypeKeepsTheDefault)
{
    ASSERT_TRUE(WriteProductDword(L"HideMainWnd", 0));
    EXPECT_EQ(0u, ReadHideMainWnd());
    std::string bytes;
    ASSERT_TRUE(ReadRaw(TEVELA_PRODUCT_KEY, L"HideMainWnd", bytes));
    EXPECT_EQ(std::string(4, '\0'), bytes);
    ASSERT_TRUE(WriteProductDword(L"FirstStart", 0));
    EXPECT_EQ(0u, ReadProductDword(L"FirstStart", 1));
}

TEST_F(SettingsTest, ChannelTexts)
{
    struct Case {
        const char* what;
        std::wstring stored;
        bool terminated;
        std::wstring expected;
    } cases[] = {
        { "stored with its terminator", L"t01", true, L"t01" },
        { "stored without a terminator, as the installer does", L"t01", false, L"t01" },
        { "1023 characters without a terminator", std::wstring(1023, L'c'), false,
          std::wstring(1023, L'c') },
        { "1024 characters do not fit", std::wstring(1024, L'c'), false, L"" },
        { "empty", L"", true, L"" },
    };
    for (const Case& c : cases) {
        DWORD bytes = static_cast<DWORD>((c.stored.size() + (c.terminated ? 1 : 0)) * 2);
        SetRaw(TEVELA_PRODUCT_KEY, L"Channel", REG_SZ, c.stored.c_str(), bytes);
        EXPECT_EQ(c.expected, ReadChannel()) << c.what;
    }
}

TEST_F(SettingsTest, AutoRunIsFoundByCaseInsensitiveSubstringOfAnExistingPath)
{
    ASSERT_TRUE(SetAutoRun(m_exe.c_str(), true));
    std::string bytes;
    ASSERT_TRUE(ReadRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, bytes));
    // The quoted path (the registry may add the terminator the writer leaves out).
    if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, std::string(2, '\0')) == 0)
        bytes.resize(bytes.size() - 2);
    EXPECT_EQ(Utf16Bytes(L"\"" + m_exe + L"\""), bytes);

    std::wstring upper = m_exe;
    CharUpperW(&upper[0]);
    EXPECT_EQ(1, IsAutoRunSet(m_exe.c_str()));
    EXPECT_EQ(1, IsAutoRunSet(upper.c_str()));
    EXPECT_EQ(0, IsAutoRunSet((m_dir + L"missing.exe").c_str()));
    EXPECT_EQ(0, IsAutoRunSet(NULL));

    std::wstring other = L"\"C:\\Other\\tevela.exe\"";
    SetRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, other.c_str(),
           static_cast<DWORD>(other.size() * 2));
    EXPECT_EQ(0, IsAutoRunSet(m_exe.c_str()));
}

TEST_F(SettingsTest, AFullLengthRunValueWithoutTerminatorIsReadSafely)
{
    // 260 characters, no terminator: exactly the read limit.
    std::wstring value(260, L'x');
    SetRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, value.c_str(), 520);
    EXPECT_EQ(0, IsAutoRunSet(m_exe.c_str()));
    value.replace(260 - m_exe.size(), m_exe.size(), m_exe);
    SetRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, value.c_str(), 520);
    EXPECT_EQ(1, IsAutoRunSet(m_exe.c_str()));
    // One character more than fits: never read past the buffer.
    std::wstring longer(261, L'x');
    SetRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, longer.c_str(), 522);
    EXPECT_EQ(0, IsAutoRunSet(m_exe.c_str()));
}

TEST_F(SettingsTest, DisablingAutoRun)
{
    EXPECT_FALSE(SetAutoRun(m_exe.c_str(), false)) << "nothing to delete";
    ASSERT_TRUE(SetAutoRun(m_exe.c_str(), true));
    EXPECT_TRUE(SetAutoRun(m_exe.c_str(), false));
    std::string bytes;
    EXPECT_FALSE(ReadRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, bytes));
    EXPECT_FALSE(SetAutoRun((m_dir + L"missing.exe").c_str(), true));
    EXPECT_FALSE(ReadRaw(TEVELA_RUN_KEY, TEVELA_RUN_VALUE, bytes));
}

TEST(StatUrl, Forms)
{
    const std::wstring base = MakeStatBaseUrl(L"127.0.0.1:8080", L"00AABBCCDDEE", L"t01");
    EXPECT_EQ(L"http://127.0.0.1:8080/src=client&seq=00AABBCCDDEE&channelid=t01", base);
    EXPECT_EQ(base + L"&id=client_start", MakeStatUrl(base, TEVELA_STAT_CLIENT_START));
    EXPECT_EQ(L"http://h/src=client&seq=&channelid=&id=setup",
              MakeStatUrl(MakeStatBaseUrl(L"h", L"", NULL), TEVELA_STAT_SETUP));
    const std::wstring built = MakeStatUrl(L"M", L"C", TEVELA_STAT_UNSETUP);
    EXPECT_EQ(0u, built.find(L"http://"));
    EXPECT_NE(std::wstring::npos, built.find(L"/src=client&seq=M&channelid=C&id=unsetup"));
}

} // namespace
