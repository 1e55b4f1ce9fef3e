// The installers' shared routines: paths, text, protected folders, contained
// names, processes by name, the MAC text, the single-instance mutex and the log.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <regex>
#include <string>

#include "BaseTool.h"
#include "InstallTestUtil.h"
#include "LogBuffer.h"
#include "ProductFolder.h"
#include "TestSupport.h"

using namespace basetool;

namespace {

TEST(BaseToolPaths, SpecialFoldersAreTheCommonOnes)
{
    EXPECT_EQ(GetShellFolderPath(CSIDL_COMMON_PROGRAMS), GetCommonProgramsDir());
    EXPECT_EQ(GetShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY), GetCommonDesktopDir());
    EXPECT_EQ(GetShellFolderPath(CSIDL_PROGRAM_FILES), GetProgramFilesDir());
    EXPECT_FALSE(GetCommonProgramsDir().empty());
    EXPECT_EQ(L"", GetShellFolderPath(0x7FFF));   // no such folder
    std::wstring own = GetOwnModulePath();
    EXPECT_EQ(testsupport::ExeDir(), RemoveFileSpec(own) + L"\\");
    EXPECT_EQ(L"basetool_tests.exe", GetFileNamePart(own));
}

TEST(BaseToolPaths, AppendPathNeverGivesACutPath)
{
    struct Case {
        std::wstring base, more, expected;
    } cases[] = {
        {L"C:\\inst", L"tevela.exe", L"C:\\inst\\tevela.exe"},
        {L"C:\\inst\\", L"a\\b.txt", L"C:\\inst\\a\\b.txt"},
        {L"", L"tevela.exe", L""},                                   // no relative result
        {L"C:\\" + std::wstring(250, L'x'), L"tevela.exe", L""},     // does not fit
        {L"C:\\" + std::wstring(300, L'x'), L"a", L""},              // base alone does not fit
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, AppendPath(c.base, c.more)) << testsupport::Narrow(c.base.substr(0, 20));
}

TEST(BaseToolText, AnsiRoundTrip)
{
    EXPECT_EQ("C:\\Program Files\\YexoShow", WideToNarrow(L"C:\\Program Files\\YexoShow"));
    EXPECT_EQ(L"abc", NarrowToWide("abc"));
    EXPECT_EQ("", WideToNarrow(L""));
    if (GetACP() == 936) {   // the zh_CN run
        EXPECT_EQ("\xD6\xB1\xB2\xA5", WideToNarrow(L"直播"));
        EXPECT_EQ(L"直播", NarrowToWide("\xD6\xB1\xB2\xA5"));
    }
}

TEST(BaseToolFolders, ProtectedFoldersAndTheirAncestors)
{
    std::wstring temp = testsupport::MakeTempDir(L"guard");
    std::wstring windows = GetShellFolderPath(CSIDL_WINDOWS);
    std::wstring profile = GetShellFolderPath(CSIDL_PROFILE);
    struct Case {
        std::wstring folder;
        bool isProtected;
    } cases[] = {
        {L"C:\\", true},
        {L"C:", true},
        {L"Z:\\", true},
        {L"\\\\server\\share", true},
        {L"\\\\server\\share\\", true},
        {L"relative\\folder", true},
        {L"", true},
        {windows, true},
        {windows + L"\\", true},
        {GetShellFolderPath(CSIDL_SYSTEM), true},
        {GetProgramFilesDir(), true},
        {GetShellFolderPath(CSIDL_COMMON_APPDATA), true},
        {profile, true},
        {RemoveFileSpec(profile), true},                 // the folder of all profiles
        {GetCommonDesktopDir(), true},
        {GetCommonProgramsDir(), true},
        {GetShellFolderPath(CSIDL_PERSONAL), true},
        {L"C:\\users", true},
        {AppendPath(GetProgramFilesDir(), L"YexoShow"), false},
        {L"C:\\YexoShow", false},
        {temp, false},
        {AppendPath(GetCommonProgramsDir(), L"Yexo娱乐直播"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.isProtected, IsProtectedFolder(c.folder)) << testsupport::Narrow(c.folder);
    EXPECT_TRUE(IsSameFolder(L"C:\\Program Files\\YexoShow", L"c:\\program files\\yexoshow\\"));
    EXPECT_FALSE(IsSameFolder(L"C:\\Yexo", L"C:\\YexoShow"));
    installtest::RemoveTestTree(temp);
}

TEST(BaseToolFolders, ContainedRelativeNames)
{
    struct Case {
        const wchar_t* name;
        bool contained;
    } cases[] = {
        {L"tevela.exe", true},       {L"a/b/c.txt", true},         {L"a\\b\\c.txt", true},
        {L"资料/说明.txt", true},    {L"a.b.c", true},
        {L"", false},                {L"../evil.txt", false},      {L"a/../../evil2.txt", false},
        {L"..", false},              {L"...", false},              {L"./x", false},
        {L"C:/evil3.txt", false},    {L"C:evil.txt", false},       {L"\\evil4.txt", false},
        {L"/etc/passwd", false},     {L"\\\\server\\share\\x", false}, {L"a//b", false},
        {L"a/", false},              {L"file.txt:stream", false},  {L"x.", false},
        {L"x ", false},              {L"CON", false},              {L"nul.txt", false},
        {L"a/com1", false},          {L"LPT9.log", false},         {L"COM10", true},
        {L"con.d/ok", false},        {L"a\tb", false},             {L"a*b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.contained, IsContainedRelativePath(c.name)) << testsupport::Narrow(c.name);
}

TEST(BaseToolProcesses, FindsAndEndsEveryProcessOfAName)
{
    EXPECT_EQ(0u, FindProcessIdByName(L""));
    EXPECT_EQ(0u, FindProcessIdByName(NULL));
    std::wstring dir = testsupport::MakeTempDir(L"proc");
    std::wstring client = dir + L"tevela.exe";
    ASSERT_TRUE(installtest::CopyStub(client));
    HANDLE first = installtest::Start(L"\"" + client + L"\" wait");
    HANDLE second = installtest::Start(L"\"" + client + L"\" wait");
    ASSERT_TRUE(first != NULL && second != NULL);
    ASSERT_TRUE(testsupport::PumpUntil([] { return FindProcessIdByName(L"TEVELA.EXE") != 0; }, 10000));
    DWORD found = FindProcessIdByName(L"TEVELA.EXE");
    EXPECT_TRUE(found == GetProcessId(first) || found == GetProcessId(second));

    EndProcessByName(L"Tevela.exe");
    // Both are gone when the call returns, so their files are free.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 0));
    EXPECT_EQ(0u, FindProcessIdByName(L"tevela.exe"));
    EXPECT_TRUE(DeleteFileW(client.c_str()));
    CloseHandle(first);
    CloseHandle(second);
    EndProcessByName(L"no_such_program.exe");   // nothing to end, no effect
    installtest::RemoveTestTree(dir);
}

TEST(BaseToolSystem, MacTextIsTwelveHexDigitsOrEmpty)
{
    std::wstring mac = GetMacAddressString();
    EXPECT_TRUE(mac.empty() || std::regex_match(testsupport::Narrow(mac), std::regex("^[0-9A-F]{12}$")))
        << testsupport::Narrow(mac);
    EXPECT_EQ(mac, GetMacAddressString());
}

TEST(BaseToolSystem, SecondMutexOfANameIsNotFirst)
{
    const wchar_t* name = L"basetool_tests_singleton_{6A1D}";
    SingletonMutex* first = CreateSingletonMutex(name);
    SingletonMutex* second = CreateSingletonMutex(name);
    ASSERT_TRUE(first != NULL && second != NULL);
    EXPECT_TRUE(first->isFirst);
    EXPECT_FALSE(second->isFirst);
    CloseSingletonMutex(second);
    CloseSingletonMutex(first);
    EXPECT_TRUE(first == NULL && second == NULL);
    SingletonMutex* again = CreateSingletonMutex(name);
    EXPECT_TRUE(again->isFirst);
    CloseSingletonMutex(again);
}

struct LineLog {
    std::vector<std::string> lines;
    static void Observe(const char* line, int length, void* context)
    {
        static_cast<LineLog*>(context)->lines.push_back(std::string(line, static_cast<size_t>(length)));
    }
};

TEST(BaseToolLog, LineFormatAndBound)
{
    LogBuffer* log = LogBuffer::Instance();
    EXPECT_EQ(log, LogBuffer::Instance());
    LineLog seen;
    log->SetLineObserver(&LineLog::Observe, &seen);
    log->BeginLine(kLogWarning, "Misc", 1);
    log->AppendText("code ");
    log->AppendNumber(4294967295u);
    log->AppendMessage(L" 文件删除失败");
    log->AppendText("\r\n");
    log->EndLine();

    std::string huge(5000, 'x');
    log->BeginLine(kLogError, "Misc", 2);
    log->AppendText(huge.c_str());
    log->AppendWide(L"tail");
    log->AppendNumber(7);
    log->EndLine();
    log->SetLineObserver(NULL, NULL);

    ASSERT_EQ(2u, seen.lines.size());
    // "YYYY.MM.DD hh:mm:ss [ WARNING] : ", the text, the message in code page 936.
    EXPECT_TRUE(std::regex_match(seen.lines[0].substr(0, 33),
                                 std::regex("^\\d{4}\\.\\d{2}\\.\\d{2} \\d{2}:\\d{2}:\\d{2} \\[ WARNING\\] : $")))
        << seen.lines[0];
    EXPECT_EQ("code 4294967295 \xCE\xC4\xBC\xFE\xC9\xBE\xB3\xFD\xCA\xA7\xB0\xDC\r\n", seen.lines[0].substr(33));
    EXPECT_EQ("[  ERROR ]", seen.lines[1].substr(20, 10));
    EXPECT_EQ(4095u, seen.lines[1].size());
    EXPECT_EQ(4095, log->Length());
    EXPECT_EQ(std::string(10, 'x'), seen.lines[1].substr(4085));
}

}  // namespace
