// The install worker on its worker thread against a recorder window: progress
// messages, unpacking real 7z archives (good, damaged, hostile, locked targets,
// names outside the ANSI code page), the folder's access rules, shortcuts read
// back through IShellLinkW, the registration's exact bytes in the prefix's
// registry, the channel, the "setup" request at a local server, the old
// version's uninstaller, the leftovers of an earlier installation, the archive's
// temporary copy (also when the installer is killed), and the real Setup.exe's payload.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "BaseTool.h"
#include "Extract7z.h"
#include "FolderSecurity.h"
#include "InstallTestUtil.h"
#include "Installer.h"
#include "ProductFolder.h"
#include "RegSettings.h"
#include "TestSupport.h"
#include "UninstallInfo.h"
#include "payload_ids.h"

using installtest::Join;
using installtest::ListTree;
using installtest::MakeTree;
using installtest::CountTempPayloads;
using installtest::ReadRawValue;
using installtest::Utf16Bytes;

namespace {

using installtest::DesktopLink;
using installtest::MenuFolder;
const wchar_t* const kName = installtest::kProductName;




// Every test starts without the product's registration, shortcuts or Run value.
class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        m_root = testsupport::MakeTempDir(L"inst");
        installtest::ClearSinkRequests();
    }
    void TearDown() override
    {
        Clean();
        basetool::EndProcessByName(L"tevela.exe");
        installtest::RemoveTestTree(m_root);
        CoUninitialize();
    }
    static void Clean()
    {
        basetool::DeleteProductRegistration();
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        DeleteFileW(DesktopLink().c_str());
        DeleteFileW((MenuFolder() + L"\\" + kName + L".lnk").c_str());
        DeleteFileW((MenuFolder() + L"\\卸载" + kName + L".lnk").c_str());
        RemoveDirectoryW(MenuFolder().c_str());
    }
    // Installs the fixture archive with this id into dir on the worker thread.
    bool Install(const std::wstring& dir, WORD payloadId, installtest::Recorder& recorder)
    {
        m_installer.SetInstallDir(dir);
        m_installer.SetWindow(recorder.hwnd());
        m_installer.SetStatHost(installtest::StatHost());
        m_installer.SetPayloadResource(NULL, payloadId);
        return recorder.RunWorker(InstallThreadProc, &m_installer);
    }
    std::wstring m_root;   // trailing backslash
    CInstaller m_installer;
};

std::string ExpectedSetupRequest()
{
    return "GET /src=client&seq=" + testsupport::Narrow(basetool::GetMacAddressString()) +
           "&channelid=worker_tests&id=setup 404";
}

TEST_F(InstallerTest, FreshInstallReportsEveryStepAndRegistersTheProduct)
{
    std::wstring dir = m_root + L"Yexo Show";   // a blank in the folder
    installtest::Recorder recorder;
    ASSERT_TRUE(Install(dir, PAYLOAD_THREE, recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_EQ("1 正在提取安装文件|2 准备安装文件...|2 正在解压Uninst.exe|30 正在解压readme.txt|"
              "60 正在解压tevela.exe|92 文件释放成功|94 正在创建快捷方式|96 正在更新注册表|"
              "98 正在写入渠道信息|100 安装完成",
              installtest::StepsText(recorder.steps));

    // The files, byte for byte, with only the archive attribute; the marker of a
    // folder the installer made; no temporary archive left behind.
    EXPECT_EQ("Yexo Show\\ Yexo Show\\Uninst.exe Yexo Show\\YexoShow.tag Yexo Show\\readme.txt "
              "Yexo Show\\tevela.exe",
              Join(ListTree(m_root)));
    std::wstring expected = testsupport::FixtureDir() + L"payloads\\expected\\three\\";
    for (const wchar_t* name : {L"Uninst.exe", L"readme.txt", L"tevela.exe"}) {
        EXPECT_EQ(testsupport::ReadFileBytes(expected + name), testsupport::ReadFileBytes(dir + L"\\" + name));
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW((dir + L"\\" + name).c_str()));
    }
    EXPECT_TRUE(basetool::IsProductFolderOwned(dir));
    EXPECT_EQ(0, CountTempPayloads());   // nor one of an earlier run

    // Shortcuts, as the shell reads them.
    for (const installtest::ExpectedShortcut& e : installtest::ExpectedShortcuts(dir)) {
        installtest::Shortcut info;
        ASSERT_TRUE(testsupport::FileExists(e.file)) << testsupport::Narrow(e.file);
        ASSERT_TRUE(ReadShortcut(e.file, info)) << testsupport::Narrow(e.file);
        EXPECT_EQ(e.target, info.target);
        EXPECT_EQ(e.arguments, info.arguments);
        EXPECT_EQ(e.description, info.description);
        EXPECT_EQ(e.icon, info.icon);
        if (!e.icon.empty()) {
            EXPECT_EQ(0, info.iconIndex);
        }
        EXPECT_EQ(SW_SHOWNORMAL, info.showCmd);
    }

    // The channel of this program's own name, read back for the request.
    std::string bytes;
    DWORD type = 0;
    ASSERT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"Channel", bytes, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(Utf16Bytes(L"worker_tests"), bytes);
    EXPECT_EQ(basetool::AppendPath(dir, L"tevela.exe"),
              basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
    auto requests = installtest::SinkRequestsWhen(1);
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(ExpectedSetupRequest(), requests[0]);
    // The installer's Run value is written only when the window asks for it.
    EXPECT_FALSE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, L"YexoShow", bytes));
}

TEST_F(InstallerTest, RegistrationValuesHaveTheirExactBytes)
{
    const std::wstring dir = L"C:\\Program Files\\YexoShow";
    CInstaller installer(dir);
    EXPECT_TRUE(installer.WriteUninstallInfo());
    const std::vector<installtest::RegistryValue> values = installtest::ExpectedRegistration(dir);
    for (const installtest::RegistryValue& v : values) {
        std::string bytes;
        DWORD type = 0;
        ASSERT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, v.name, bytes, &type))
            << testsupport::Narrow(v.name);
        EXPECT_EQ(v.type, type) << testsupport::Narrow(v.name);
        EXPECT_EQ(v.bytes, bytes) << testsupport::Narrow(v.name);
    }
    EXPECT_EQ(18u, values[2].bytes.size());
    EXPECT_EQ(10u, values[4].bytes.size());
    // An installer without a version resource: an empty DisplayVersion of 0 bytes.
    basetool::WriteUninstallValues(dir, basetool::GetFileVersionString(testsupport::ExeDir() + L"install_stub.exe"));
    std::string version = "x";
    DWORD versionType = 0;
    ASSERT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"DisplayVersion", version, &versionType));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), versionType);
    EXPECT_EQ("", version);
    // The about URL: http, the web host, a trailing slash.
    std::wstring about = basetool::ProductAboutUrl();
    EXPECT_EQ(0, about.compare(0, 7, L"http://"));
    EXPECT_EQ(L'/', about.back());

    // The installer's Run value is quoted (a folder with blanks is one path);
    // removing the registration keeps the client's own value.
    ASSERT_TRUE(installer.SetAutoStart());
    std::string bytes;
    ASSERT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, L"YexoShow", bytes));
    EXPECT_EQ(Utf16Bytes(L"\"" + dir + L"\\tevela.exe\""), bytes);
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, L"\"x\"", 6));
    basetool::DeleteProductRegistration();
    EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
    EXPECT_FALSE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, L"YexoShow", bytes));
    EXPECT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, bytes));
}

TEST_F(InstallerTest, ReadersFollowTheReadingRule)
{
    // 30 characters stored as 60 bytes without a terminator read back exactly.
    std::wstring path = L"C:\\abcdefghij\\klmnopq\\tevela.e";
    ASSERT_EQ(30u, path.size());
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"ExePath", REG_SZ, path.c_str(), 60));
    EXPECT_EQ(path, basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
    EXPECT_EQ(L"", basetool::ReadProductString(L"Missing", basetool::kExePathBytes));
    // Too long for its buffer, or of another type: empty, never a cut text.
    std::wstring longText(600, L'x');
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"ExePath", REG_SZ, longText.c_str(),
                                         static_cast<DWORD>(longText.size() * 2)));
    EXPECT_EQ(L"", basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
    DWORD number = 5;
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"Channel", REG_DWORD, &number, 4));
    EXPECT_EQ(L"", basetool::ReadProductString(L"Channel", basetool::kLongValueBytes));

    // The file version of a program, and none without a version resource.
    EXPECT_EQ(L"1.0.1.1", basetool::GetFileVersionString(basetool::GetOwnModulePath()));
    EXPECT_EQ(L"", basetool::GetFileVersionString(testsupport::ExeDir() + L"install_stub.exe"));
    EXPECT_EQ(L"", basetool::GetFileVersionString(m_root + L"missing.exe"));
}

TEST_F(InstallerTest, ChannelComesFromTheFileNameOnly)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* channel;
    } cases[] = {
        {L"C:\\down\\Setup_web01.exe", L"web01"},
        {L"C:\\down\\Setup.exe", L""},
        {L"C:\\down\\Setup_web01.EXE", L""},
        {L"C:\\down\\Setup_.exe", L""},
        {L"C:\\down\\Setup_a_b.exe", L"a_b"},
        {L"C:\\down\\Setup_x.exe.exe", L"x.exe"},
        {L"C:\\my_files\\Setup.exe", L""},
        {L"C:\\my_files\\Setup_qq.exe", L"qq"},
        {L"Setup_web02.exe", L"web02"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.channel), ParseChannelFromFileName(c.path)) << testsupport::Narrow(c.path);
}

TEST_F(InstallerTest, OldVersionIsRemovedBeforeAnythingIsUnpacked)
{
    std::wstring old = m_root + L"old\\Uninst.exe";
    ASSERT_TRUE(MakeTree(m_root, {L"old\\"}));
    ASSERT_TRUE(installtest::CopyStub(old));
    std::wstring quiet = L"\"" + old + L"\" uninst_silence";
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"QuietUninstallString", REG_SZ,
                                         quiet.c_str(), static_cast<DWORD>(quiet.size() * 2)));
    installtest::Recorder recorder;
    bool ranBeforeUnpacking = false;
    recorder.onStep = [&](const installtest::Step& step) {
        if (step.text == L"正在提取安装文件")
            ranBeforeUnpacking = testsupport::FileExists(m_root + L"old\\old_uninstaller_ran.txt");
    };
    ASSERT_TRUE(Install(m_root + L"new", PAYLOAD_THREE, recorder));
    ASSERT_LE(2u, recorder.steps.size());
    EXPECT_EQ(L"正在卸载旧版本", recorder.steps[0].text);
    EXPECT_EQ(1, recorder.steps[0].percent);
    EXPECT_EQ(L"正在提取安装文件", recorder.steps[1].text);
    EXPECT_TRUE(ranBeforeUnpacking);
    EXPECT_EQ(1, recorder.finished);
}

TEST_F(InstallerTest, EntryFoldersAreMadeAndSendNoReport)
{
    installtest::Recorder recorder;
    ASSERT_TRUE(Install(m_root + L"p", PAYLOAD_TREE, recorder));
    EXPECT_EQ("1 正在提取安装文件|2 准备安装文件...|45 正在解压c.txt|67 正在解压top.txt|92 文件释放成功|"
              "94 正在创建快捷方式|96 正在更新注册表|98 正在写入渠道信息|100 安装完成",
              installtest::StepsText(recorder.steps));
    EXPECT_EQ("p\\ p\\YexoShow.tag p\\a\\ p\\a\\b\\ p\\a\\b\\c.txt p\\top.txt", Join(ListTree(m_root)));
    // The client is not in this archive: the shortcuts to it are refused.
    EXPECT_FALSE(testsupport::FileExists(DesktopLink()));
}

// True when a file of this name can be made and listed again under its own
// name here (a Wine prefix holds only names its Unix locale can write).
bool SystemHoldsName(const std::wstring& folder, const std::wstring& name)
{
    std::wstring path = folder + name;
    if (!CreateDirectoryW(path.c_str(), NULL))
        return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    bool same = search != INVALID_HANDLE_VALUE && name == found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryW(path.c_str());
    return same;
}

TEST_F(InstallerTest, NamesOutsideTheAnsiCodePageWorkOrFailVisibly)
{
    // Hangul and Thai are in neither code page 1252 nor 936.
    const std::wstring folder = L"설치 ไทย";
    std::wstring dir = m_root + folder + L"\\YexoShow";
    bool held = SystemHoldsName(m_root, folder) && SystemHoldsName(m_root, L"资料");
    installtest::Recorder recorder;
    ASSERT_TRUE(Install(dir, PAYLOAD_UNICODE, recorder));
    ASSERT_FALSE(recorder.steps.empty());
    if (held) {
        EXPECT_EQ(1, recorder.finished);
        EXPECT_EQ(L"安装完成", recorder.steps.back().text) << installtest::StepsText(recorder.steps);
        EXPECT_EQ("说明", testsupport::ReadFileBytes(dir + L"\\资料\\说明.txt"));
        EXPECT_EQ("直播", testsupport::ReadFileBytes(dir + L"\\直播.txt"));
        EXPECT_TRUE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
    } else {
        // This system cannot store such names: the failure shows, nothing is registered.
        EXPECT_EQ(0, recorder.finished);
        EXPECT_EQ(L"安装失败", recorder.steps.back().text) << installtest::StepsText(recorder.steps);
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
    }
}

TEST_F(InstallerTest, LockedClientIsMovedAsideOrEndsTheUnpacking)
{
    std::wstring archive = testsupport::FixtureDir() + L"payloads\\lockset.7z";
    struct Case {
        const char* name;
        DWORD share;        // how the old tevela.exe is held open
        bool oldBackup;     // a tevela.exe.old is there already
        bool complete;
    } cases[] = {
        {"shared for deletion", FILE_SHARE_READ | FILE_SHARE_DELETE, false, true},
        {"backup already there", FILE_SHARE_READ | FILE_SHARE_DELETE, true, false},
        {"not shared", 0, false, false},
    };
    for (const Case& c : cases) {
        std::wstring dir = testsupport::MakeTempDir(L"lock");
        ASSERT_TRUE(MakeTree(dir, {L"tevela.exe=old client"}));
        if (c.oldBackup) {
            ASSERT_TRUE(MakeTree(dir, {L"tevela.exe.old=older backup"}));
        }
        HANDLE held = CreateFileW((dir + L"tevela.exe").c_str(), GENERIC_READ, c.share, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        int result = Extract7zArchive(dir.substr(0, dir.size() - 1), archive, NULL);
        CloseHandle(held);
        std::string client = testsupport::ReadFileBytes(dir + L"tevela.exe");
        if (c.complete) {
            EXPECT_EQ(0, result) << c.name;
            EXPECT_EQ("old client", testsupport::ReadFileBytes(dir + L"tevela.exe.old")) << c.name;
            EXPECT_EQ(30000u, client.size()) << c.name;
            EXPECT_TRUE(testsupport::FileExists(dir + L"z_after.txt")) << c.name;
        } else {
            EXPECT_NE(0, result) << c.name;
            EXPECT_EQ("old client", client) << c.name;
            EXPECT_FALSE(testsupport::FileExists(dir + L"z_after.txt")) << c.name;
            if (c.oldBackup) {
                EXPECT_EQ("older backup", testsupport::ReadFileBytes(dir + L"tevela.exe.old")) << c.name;
            }
        }
        EXPECT_TRUE(testsupport::FileExists(dir + L"a_first.txt")) << c.name;
        installtest::RemoveTestTree(dir);
    }
}

TEST_F(InstallerTest, ADamagedOrHostilePayloadFailsAndChangesNothing)
{
    struct Case {
        const char* name;
        WORD id;
    } cases[] = {
        {"corrupt", PAYLOAD_CORRUPT},
        {"truncated", PAYLOAD_TRUNCATED},
        {"traversal", PAYLOAD_TRAVERSAL},
        {"missing resource", 999},
    };
    for (const Case& c : cases) {
        Clean();
        installtest::ClearSinkRequests();
        // A folder the user had, with a file of their own.
        std::wstring dir = testsupport::MakeTempDir(L"bad");
        ASSERT_TRUE(MakeTree(dir, {L"user.txt=mine"}));
        installtest::Recorder recorder;
        ASSERT_TRUE(Install(dir.substr(0, dir.size() - 1), c.id, recorder)) << c.name;
        EXPECT_EQ(0, recorder.finished) << c.name;
        ASSERT_FALSE(recorder.steps.empty());
        EXPECT_EQ(L"安装失败", recorder.steps.back().text) << c.name;
        EXPECT_GT(100, recorder.steps.back().percent) << c.name;
        for (const installtest::Step& step : recorder.steps)
            EXPECT_NE(100, step.percent) << c.name;
        EXPECT_EQ("user.txt", Join(ListTree(dir))) << c.name;
        EXPECT_EQ("mine", testsupport::ReadFileBytes(dir + L"user.txt"));
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY)) << c.name;
        EXPECT_FALSE(testsupport::FileExists(DesktopLink())) << c.name;
        EXPECT_FALSE(basetool::IsPlainFolder(MenuFolder())) << c.name;
        EXPECT_EQ(0, CountTempPayloads()) << c.name;
        // The installation is still reported.
        EXPECT_EQ(1u, installtest::SinkRequestsWhen(1).size()) << c.name;
        installtest::RemoveTestTree(dir);
    }
    // Nothing of the hostile archive landed anywhere else.
    for (const wchar_t* path : {L"C:\\evil3.txt", L"C:\\evil4.txt"})
        EXPECT_FALSE(testsupport::FileExists(path));
    std::wstring temp = m_root.substr(0, m_root.size() - 1);
    temp = basetool::RemoveFileSpec(temp);
    EXPECT_FALSE(testsupport::FileExists(temp + L"\\evil.txt"));
    EXPECT_FALSE(testsupport::FileExists(temp + L"\\evil2.txt"));
}

TEST_F(InstallerTest, RefusedFoldersInstallNothing)
{
    for (const wchar_t* dir : {L"C:\\", L"relative\\YexoShow", L"", L"C:\\windows"}) {
        installtest::Recorder recorder;
        ASSERT_TRUE(Install(dir, PAYLOAD_THREE, recorder));
        EXPECT_EQ(0, recorder.finished) << testsupport::Narrow(dir);
        EXPECT_EQ("0 安装路径无效", installtest::StepsText(recorder.steps)) << testsupport::Narrow(dir);
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
    }
    EXPECT_FALSE(testsupport::FileExists(L"C:\\tevela.exe"));
}

TEST_F(InstallerTest, AFolderTheUserHadIsNotMadeTheProducts)
{
    std::wstring dir = m_root + L"Tools";
    ASSERT_TRUE(MakeTree(m_root, {L"Tools\\", L"Tools\\notes.txt=mine"}));
    installtest::Recorder recorder;
    ASSERT_TRUE(Install(dir, PAYLOAD_THREE, recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_FALSE(basetool::IsProductFolderOwned(dir));
    EXPECT_EQ("mine", testsupport::ReadFileBytes(dir + L"\\notes.txt"));
}

// A folder that holds only what an earlier installation left (its uninstaller
// waiting for the next start, files moved aside, half-written ones) is the
// product's: the installation goes into it, removes those leftovers first and
// marks it, so that the next uninstallation removes it whole.
TEST_F(InstallerTest, LeftoversOfAnEarlierInstallationGoAndTheFolderStaysTheProducts)
{
    std::wstring dir = m_root + L"YexoShow";
    ASSERT_TRUE(MakeTree(m_root, {L"YexoShow\\", L"YexoShow\\Uninst.exe.error", L"YexoShow\\tevela.exe.old",
                                  L"YexoShow\\Utils.dll.part", L"YexoShow\\Local.ini", L"YexoShow\\log\\",
                                  L"YexoShow\\log\\Update_1.log"}));
    ASSERT_TRUE(basetool::IsProductsFolder(dir));
    installtest::Recorder recorder;
    ASSERT_TRUE(Install(dir, PAYLOAD_THREE, recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_EQ("YexoShow\\ YexoShow\\Local.ini YexoShow\\Uninst.exe YexoShow\\YexoShow.tag YexoShow\\log\\ "
              "YexoShow\\log\\Update_1.log YexoShow\\readme.txt YexoShow\\tevela.exe",
              Join(ListTree(m_root)));
    EXPECT_TRUE(basetool::IsProductFolderOwned(dir));
}

// The copy of the archive in the temporary folder goes however the installer
// ends: a child installation killed in the middle of the unpacking leaves none,
// and copies that earlier runs left behind are removed by the next one.
TEST(InstallerChild, DISABLED_InstallsUntilKilled)
{
    wchar_t dir[MAX_PATH] = {0};
    wchar_t signal[MAX_PATH] = {0};
    ASSERT_NE(0u, GetEnvironmentVariableW(L"INSTALL_CHILD_DIR", dir, MAX_PATH));
    ASSERT_NE(0u, GetEnvironmentVariableW(L"INSTALL_CHILD_SIGNAL", signal, MAX_PATH));
    CoInitialize(NULL);
    CInstaller installer(dir);
    installer.SetStatHost(installtest::StatHost());
    installer.SetPayloadResource(NULL, PAYLOAD_THREE);
    installtest::Recorder recorder;
    installer.SetWindow(recorder.hwnd());
    recorder.onStep = [&](const installtest::Step& step) {
        if (step.text.compare(0, 4, L"正在解压") == 0) {
            testsupport::WriteFileBytes(signal, "unpacking");
            Sleep(INFINITE);   // until killed
        }
    };
    recorder.RunWorker(InstallThreadProc, &installer);
    ADD_FAILURE() << "the installation was not killed";
}

TEST_F(InstallerTest, NoCopyOfTheArchiveOutlivesTheInstaller)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Left by earlier runs: removed. Not GetTempFileNameW's names: kept.
    const std::wstring stale = std::wstring(temp) + L"173FF.tmp";
    const std::wstring others[] = {std::wstring(temp) + L"173note.tmp", std::wstring(temp) + L"173AB.txt"};
    for (const std::wstring& path : others)
        ASSERT_TRUE(testsupport::WriteFileBytes(path, "not ours"));
    ASSERT_TRUE(testsupport::WriteFileBytes(stale, "stale"));
    installtest::Recorder recorder;
    ASSERT_TRUE(Install(m_root + L"first", PAYLOAD_THREE, recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_FALSE(testsupport::FileExists(stale));
    for (const std::wstring& path : others)
        EXPECT_EQ("not ours", testsupport::ReadFileBytes(path));
    EXPECT_EQ(1, CountTempPayloads());   // the look-alike "173note.tmp"
    DeleteFileW(others[0].c_str());
    DeleteFileW(others[1].c_str());
    const int before = CountTempPayloads();

    // Killed while it unpacks (with no earlier installation to remove first).
    Clean();
    const std::wstring signal = m_root + L"signal.txt";
    SetEnvironmentVariableW(L"INSTALL_CHILD_DIR", (m_root + L"killed").c_str());
    SetEnvironmentVariableW(L"INSTALL_CHILD_SIGNAL", signal.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    HANDLE child = installtest::Start(L"\"" + std::wstring(self) +
                                      L"\" --gtest_also_run_disabled_tests "
                                      L"--gtest_filter=InstallerChild.DISABLED_InstallsUntilKilled");
    SetEnvironmentVariableW(L"INSTALL_CHILD_DIR", NULL);
    SetEnvironmentVariableW(L"INSTALL_CHILD_SIGNAL", NULL);
    ASSERT_TRUE(child != NULL);
    bool unpacking = testsupport::PumpUntil([&] { return testsupport::FileExists(signal); }, 60000);
    EXPECT_TRUE(unpacking);
    if (unpacking) {
        EXPECT_EQ(before + 1, CountTempPayloads());   // the copy the child reads
    }
    installtest::Stop(child);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return CountTempPayloads() == before; }, 10000));
    EXPECT_EQ(before, CountTempPayloads());
    EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
}

TEST_F(InstallerTest, FolderRulesAreBuiltAsStated)
{
    EXPECT_STREQ(L"D: (D;OICI;GA;;;BG) (D;OICI;GA;;;AN) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ", kFolderSddl);
    EXPECT_EQ(L"D:(D;OICI;GA;;;BG)(D;OICI;GA;;;AN)(A;OICI;GRGWGX;;;AU)(A;OICI;GA;;;BA)", CompactSddl(kFolderSddl));
    PSECURITY_DESCRIPTOR descriptor = CreateFolderSecurityDescriptor();
    ASSERT_TRUE(descriptor != NULL);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = NULL;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl != NULL);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    EXPECT_EQ(0, control & SE_DACL_PROTECTED);   // the parent's inheritable entries still apply

    struct Ace {
        BYTE type;
        ACCESS_MASK mask;
        const wchar_t* sid;
    } expected[] = {
        {ACCESS_DENIED_ACE_TYPE, GENERIC_ALL, L"S-1-5-32-546"},
        {ACCESS_DENIED_ACE_TYPE, GENERIC_ALL, L"S-1-5-7"},
        {ACCESS_ALLOWED_ACE_TYPE, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE, L"S-1-5-11"},
        {ACCESS_ALLOWED_ACE_TYPE, GENERIC_ALL, L"S-1-5-32-544"},
    };
    ASSERT_EQ(4u, dacl->AceCount);
    for (DWORD i = 0; i < 4; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(expected[i].type, ace->Header.AceType) << i;
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags) << i;
        EXPECT_EQ(expected[i].mask, ace->Mask) << i;
        LPWSTR sid = NULL;
        ASSERT_TRUE(ConvertSidToStringSidW(&ace->SidStart, &sid));
        EXPECT_STREQ(expected[i].sid, sid) << i;
        LocalFree(sid);
    }

    // The session user's entry: full access to the folder itself only, after the
    // denials (canonical order).
    std::wstring user = GetSessionUserName();
    ASSERT_FALSE(user.empty());
    BYTE sidBytes[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sidBytes);
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    ASSERT_TRUE(LookupAccountNameW(NULL, user.c_str(), sidBytes, &sidSize, domain, &domainSize, &use));
    PACL granted = BuildGrantedDacl(dacl, sidBytes);
    ASSERT_TRUE(granted != NULL);
    ASSERT_EQ(5u, granted->AceCount);
    int userEntries = 0;
    bool allowSeen = false;
    for (DWORD i = 0; i < granted->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        ASSERT_TRUE(GetAce(granted, i, reinterpret_cast<void**>(&ace)));
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE) {
            allowSeen = true;
        } else {
            EXPECT_FALSE(allowSeen) << "a denial after an allowance at " << i;
        }
        if (EqualSid(&ace->SidStart, sidBytes)) {
            ++userEntries;
            EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
            EXPECT_EQ(GENERIC_ALL, ace->Mask);
            EXPECT_EQ(0, ace->Header.AceFlags);
        }
    }
    EXPECT_EQ(1, userEntries);
    LocalFree(granted);
    LocalFree(descriptor);

    // Applied to a real folder the calls succeed (the system keeps its own view).
    EXPECT_TRUE(GrantFolderAccess(user, m_root.substr(0, m_root.size() - 1)));
    EXPECT_FALSE(GrantFolderAccess(L"no such user 7f3a", m_root));
    CInstaller installer(m_root + L"missing");
    EXPECT_EQ(0, installer.SetInstallDirAccess());
}

TEST_F(InstallerTest, DefaultFolderAndTheClientStart)
{
    std::wstring programFiles = basetool::AppendPath(basetool::GetProgramFilesDir(), L"YexoShow");
    EXPECT_EQ(programFiles, GetDefaultInstallDir());
    // A registration whose client is gone does not count.
    std::wstring dir = m_root + L"Installed";
    basetool::WriteUninstallValues(dir, L"1.0.1.1");
    EXPECT_EQ(programFiles, GetDefaultInstallDir());
    ASSERT_TRUE(MakeTree(m_root, {L"Installed\\"}));
    ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
    EXPECT_EQ(dir, GetDefaultInstallDir());
    CInstaller installer;
    EXPECT_TRUE(installer.ResolveInstallDir());
    EXPECT_EQ(dir, installer.GetInstallDir());

    EXPECT_TRUE(installer.LaunchClient());
    EXPECT_TRUE(testsupport::PumpUntil([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
    basetool::EndProcessByName(L"tevela.exe");
    CInstaller nowhere(m_root + L"Nowhere");
    EXPECT_FALSE(nowhere.LaunchClient());
}

// The real installer's archive: every shipped file comes out as it went in.
TEST_F(InstallerTest, RealPayloadUnpacksToTheStagedFiles)
{
    HMODULE setup = LoadLibraryExW((testsupport::ExeDir() + L"Setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(setup != NULL);
    std::wstring stage = testsupport::ExeDir() + L"..\\install\\Setup\\payload\\stage\\";
    std::vector<std::wstring> staged = ListTree(stage);
    ASSERT_LE(5u, staged.size());
    CInstaller installer(m_root + L"YexoShow");
    installer.SetPayloadResource(setup, SETUP_PAYLOAD_ID);
    CreateDirectoryW((m_root + L"YexoShow").c_str(), NULL);
    EXPECT_TRUE(installer.ExtractFiles());
    FreeLibrary(setup);
    EXPECT_EQ(Join(staged), Join(ListTree(m_root + L"YexoShow\\")));
    for (const std::wstring& name : staged) {
        std::wstring path = m_root + L"YexoShow\\" + name;
        EXPECT_EQ(testsupport::ReadFileBytes(stage + name), testsupport::ReadFileBytes(path))
            << testsupport::Narrow(name);
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW(path.c_str()))
            << testsupport::Narrow(name);
    }
}

}  // namespace

namespace {

// Installing over an installation runs its quiet uninstaller (the real one,
// from the real archive) first; the folder stays the product's own.
TEST_F(InstallerTest, ReinstallRemovesTheOldVersionFirst)
{
    HMODULE setup = LoadLibraryExW((testsupport::ExeDir() + L"Setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(setup != NULL);
    std::wstring dir = m_root + L"YexoShow";
    for (int round = 0; round < 2; ++round) {
        m_installer.SetInstallDir(dir);
        m_installer.SetStatHost(installtest::StatHost());
        m_installer.SetPayloadResource(setup, SETUP_PAYLOAD_ID);
        installtest::Recorder recorder;
        m_installer.SetWindow(recorder.hwnd());
        ASSERT_TRUE(recorder.RunWorker(InstallThreadProc, &m_installer));
        ASSERT_EQ(1, recorder.finished) << installtest::StepsText(recorder.steps);
        EXPECT_EQ(round == 0 ? L"正在提取安装文件" : L"正在卸载旧版本", recorder.steps[0].text);
        if (round == 0) {
            // The client's settings of the first installation.
            ASSERT_TRUE(WriteProductDword(L"HideMainWnd", 0));
            ASSERT_TRUE(WriteProductDword(L"FirstStart", 0));
            if (!testsupport::FileExists(dir + L"\\tevela.exe")) {   // until the client is part of the build
                ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
            }
        }
    }
    FreeLibrary(setup);
    // The old uninstaller removed the key with the client's settings and left
    // only itself, renamed and queued for the next start; the new installation
    // removed that leftover, and what is queued is never the new Uninst.exe.
    EXPECT_EQ(1u, ReadProductDword(L"HideMainWnd", 1));
    EXPECT_EQ(1u, ReadProductDword(L"FirstStart", 1));
    EXPECT_FALSE(testsupport::FileExists(dir + L"\\Uninst.exe.error"));
    EXPECT_TRUE(testsupport::FileExists(dir + L"\\Uninst.exe"));
    std::wstring pending = installtest::PendingRenames();
    EXPECT_NE(std::wstring::npos, pending.find(L"\\??\\" + dir + L"\\Uninst.exe.error|"));
    EXPECT_EQ(std::wstring::npos, pending.find(L"\\??\\" + dir + L"\\Uninst.exe|"));
    EXPECT_TRUE(basetool::IsProductFolderOwned(dir));
    auto requests = installtest::SinkRequestsWhen(2);
    EXPECT_EQ(2u, requests.size());
}

// Setup.exe's and Uninst.exe's entries: one instance each, and the quiet
// installer mode, which installs nothing and can start the registered client.
TEST_F(InstallerTest, ProgramEntriesKeepToOneInstanceAndTheQuietSwitch)
{
    std::wstring setupExe = L"\"" + testsupport::ExeDir() + L"Setup.exe\"";
    std::wstring uninstExe = L"\"" + testsupport::ExeDir() + L"Uninst.exe\"";
    DWORD code = 0;
    basetool::SingletonMutex* setupHeld =
        basetool::CreateSingletonMutex(L"YEXO_SHOW_SETUP_SINGLETON_{0B127C49-D3C7-4f0b-99FC-3813D2279BE3}");
    basetool::SingletonMutex* uninstHeld =
        basetool::CreateSingletonMutex(L"YEXO_SHOW_UNINST_SINGLETON_{939EE18D-6F75-4e37-B202-544D5A541FAD}");
    ASSERT_TRUE(testsupport::RunChild(setupExe + L" setup_silence", 30000, &code));
    EXPECT_EQ(1u, code);
    ASSERT_TRUE(testsupport::RunChild(uninstExe + L" uninst_silence", 30000, &code));
    EXPECT_EQ(1u, code);
    basetool::CloseSingletonMutex(setupHeld);
    basetool::CloseSingletonMutex(uninstHeld);

    std::wstring dir = m_root + L"Installed";
    ASSERT_TRUE(MakeTree(m_root, {L"Installed\\"}));
    ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
    basetool::WriteUninstallValues(dir, L"1.0.1.1");
    ASSERT_TRUE(testsupport::RunChild(setupExe + L" /SETUP_SILENCE", 30000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, basetool::FindProcessIdByName(L"tevela.exe"));
    ASSERT_TRUE(testsupport::RunChild(setupExe + L" setup_silence run_now", 30000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(testsupport::PumpUntil([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
    basetool::EndProcessByName(L"tevela.exe");
    // Nothing was installed.
    EXPECT_EQ("Installed\\ Installed\\tevela.exe", Join(ListTree(m_root)));
}

}  // namespace
