// The uninstall worker on its worker thread against a recorder window, and the
// real Uninst.exe in its quiet mode: the two checks, the "unsetup" request at a
// local server, the removal of a folder the installer made (a running client
// and the running uninstaller included), a folder the user had, links, the
// shortcuts, the start-menu folder and the registration, and refused folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "BaseTool.h"
#include "InstallTestUtil.h"
#include "ShippedProduct.h"
#include "Installer.h"
#include "ProductFolder.h"
#include "RegSettings.h"
#include "TestSupport.h"
#include "UninstallInfo.h"
#include "Uninstaller.h"

using installtest::Join;
using installtest::ListTree;
using installtest::MakeTree;

namespace {

using installtest::DesktopLink;
using installtest::MenuFolder;
const wchar_t* const kName = installtest::kProductName;
const char kRemovalSteps[] =
    "0 正在校验|10 开始卸载|20 正在删除文件|80 正在删除快捷方式|85 正在删除开始菜单|90 正在删除注册表数据|100 卸载完成";


std::wstring Unsetup(const std::wstring& channel)
{
    return L"GET /src=client&seq=" + basetool::GetMacAddressString() + L"&channelid=" + channel + L"&id=unsetup 404";
}

class UninstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        m_root = testsupport::MakeTempDir(L"uninst");
        m_dir = m_root + L"Yexo Show";
        installtest::ClearSinkRequests();
    }
    void TearDown() override
    {
        Clean();
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        basetool::EndProcessByName(L"tevela.exe");
        installtest::RemoveTestTree(m_root);
        CoUninitialize();
    }
    static void Clean()
    {
        basetool::DeleteProductRegistration();
        DeleteFileW(DesktopLink().c_str());
        DeleteFileW((MenuFolder() + L"\\" + kName + L".lnk").c_str());
        DeleteFileW((MenuFolder() + L"\\卸载" + kName + L".lnk").c_str());
        DeleteFileW((MenuFolder() + L"\\mine.url").c_str());
        RemoveDirectoryW(MenuFolder().c_str());
    }
    // An installation as the installer leaves it in m_dir: its files, the
    // updater's leftovers, the marker, the shortcuts and the registration.
    void MakeInstallation(bool owned)
    {
        ASSERT_TRUE(MakeTree(m_root, {L"Yexo Show\\", L"Yexo Show\\tevela.exe", L"Yexo Show\\Uninst.exe",
                                      L"Yexo Show\\Utils.dll", L"Yexo Show\\Local.ini", L"Yexo Show\\update.ini",
                                      L"Yexo Show\\tevela.exe.old", L"Yexo Show\\log\\",
                                      L"Yexo Show\\log\\Update_20250101-000000_001.log"}));
        if (owned) {
            ASSERT_TRUE(basetool::MarkProductFolderOwned(m_dir));
        }
        basetool::WriteUninstallValues(m_dir, L"1.0.1.1");
        ASSERT_TRUE(basetool::WriteChannelValue(L"web01"));
        ASSERT_TRUE(WriteProductDword(L"HideMainWnd", 0));
        ASSERT_TRUE(basetool::WriteAutoStartValue(m_dir));
        ASSERT_TRUE(SetAutoRun((m_dir + L"\\tevela.exe").c_str(), true));
        ASSERT_TRUE(testsupport::WriteFileBytes(DesktopLink(), "link"));
        CreateDirectoryW(MenuFolder().c_str(), NULL);
        ASSERT_TRUE(testsupport::WriteFileBytes(MenuFolder() + L"\\" + kName + L".lnk", "link"));
        ASSERT_TRUE(testsupport::WriteFileBytes(MenuFolder() + L"\\卸载" + kName + L".lnk", "link"));
    }
    bool Uninstall(const std::wstring& ownPath, installtest::Recorder& recorder)
    {
        m_uninstaller.SetWindow(recorder.hwnd());
        m_uninstaller.SetStatHost(installtest::StatHost());
        m_uninstaller.SetModulePath(ownPath);
        return recorder.RunWorker(UninstallThreadProc, &m_uninstaller);
    }
    void ExpectRegistrationGone()
    {
        std::string bytes;
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
        EXPECT_FALSE(installtest::ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, L"YexoShow", bytes));
        // The client's own Run value is not the uninstaller's to remove.
        EXPECT_TRUE(installtest::ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, bytes));
        EXPECT_FALSE(testsupport::FileExists(DesktopLink()));
    }
    std::wstring m_root;   // trailing backslash
    std::wstring m_dir;    // the installation folder, no trailing backslash
    CUninstaller m_uninstaller;
};

TEST_F(UninstallerTest, ChecksStopTheRemovalBeforeAnythingIsTouched)
{
    MakeInstallation(true);
    std::vector<std::wstring> before = ListTree(m_root);
    std::wstring elsewhere = m_root + L"elsewhere\\Uninst.exe";
    struct Case {
        const char* name;
        std::wstring exePath;   // written as "ExePath"
        std::wstring ownPath;
        const char* steps;
        size_t requests;
    } cases[] = {
        {"registered client missing", m_dir + L"\\gone.exe", m_dir + L"\\Uninst.exe", "0 正在校验|0 注册表数据无效", 0},
        {"no registration", L"", m_dir + L"\\Uninst.exe", "0 正在校验|0 注册表数据无效", 0},
        {"run from elsewhere", m_dir + L"\\tevela.exe", elsewhere, "0 正在校验|0 卸载路径无效", 1},
    };
    for (const Case& c : cases) {
        installtest::ClearSinkRequests();
        SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"ExePath", REG_SZ, c.exePath.c_str(),
                    static_cast<DWORD>(c.exePath.size() * 2));
        installtest::Recorder recorder;
        ASSERT_TRUE(Uninstall(c.ownPath, recorder)) << c.name;
        EXPECT_EQ(0, recorder.finished) << c.name;
        EXPECT_EQ(c.steps, installtest::StepsText(recorder.steps)) << c.name;
        std::vector<std::string> requests = installtest::SinkRequestsWhen(c.requests, 3000);
        EXPECT_EQ(c.requests, requests.size()) << c.name;
        if (c.requests == 1) {
            EXPECT_EQ(testsupport::Narrow(Unsetup(L"web01")), requests[0]);
        }
        EXPECT_EQ(Join(before), Join(ListTree(m_root))) << c.name;
        EXPECT_TRUE(testsupport::FileExists(DesktopLink())) << c.name;
        EXPECT_TRUE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY)) << c.name;
    }
}

TEST_F(UninstallerTest, RemovesAFolderTheInstallerMadeWithTheRunningClient)
{
    MakeInstallation(true);
    ASSERT_TRUE(installtest::CopyStub(m_dir + L"\\tevela.exe"));
    HANDLE client = installtest::Start(L"\"" + m_dir + L"\\tevela.exe\" wait");
    ASSERT_TRUE(client != NULL);
    ASSERT_TRUE(testsupport::PumpUntil([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
    // A file of the user's beside the start-menu shortcuts keeps that folder.
    ASSERT_TRUE(testsupport::WriteFileBytes(MenuFolder() + L"\\mine.url", "mine"));

    installtest::Recorder recorder;
    // The folder check compares ignoring case.
    std::wstring ownPath = m_dir + L"\\UNINST.EXE";
    CharUpperW(&ownPath[0]);
    ASSERT_TRUE(Uninstall(ownPath, recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_EQ(kRemovalSteps, installtest::StepsText(recorder.steps));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client, 0));   // ended before the files went
    CloseHandle(client);
    EXPECT_EQ("", Join(ListTree(m_root)));
    ExpectRegistrationGone();
    EXPECT_EQ("mine.url", Join(ListTree(MenuFolder() + L"\\")));
    std::vector<std::string> requests = installtest::SinkRequestsWhen(1);
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(testsupport::Narrow(Unsetup(L"web01")), requests[0]);

    // Without anything of the user's, the start-menu folder goes too.
    Clean();
    installtest::RemoveTestTree(m_root);
    CreateDirectoryW(m_root.c_str(), NULL);
    MakeInstallation(true);
    ASSERT_TRUE(Uninstall(m_dir + L"\\Uninst.exe", recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_FALSE(basetool::IsPlainFolder(MenuFolder()));
}

TEST_F(UninstallerTest, AFolderTheUserHadKeepsTheirFiles)
{
    MakeInstallation(false);
    ASSERT_TRUE(MakeTree(m_root, {L"Yexo Show\\notes.txt=mine", L"Yexo Show\\photos\\", L"Yexo Show\\photos\\a.jpg",
                                  L"Yexo Show\\log\\mine.txt"}));
    installtest::Recorder recorder;
    ASSERT_TRUE(Uninstall(m_dir + L"\\Uninst.exe", recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_EQ(kRemovalSteps, installtest::StepsText(recorder.steps));
    EXPECT_EQ("Yexo Show\\ Yexo Show\\log\\ Yexo Show\\log\\mine.txt Yexo Show\\notes.txt Yexo Show\\photos\\ "
              "Yexo Show\\photos\\a.jpg",
              Join(ListTree(m_root)));
    ExpectRegistrationGone();
}

TEST_F(UninstallerTest, LinksInTheFolderAreNotFollowed)
{
    MakeInstallation(true);
    ASSERT_TRUE(MakeTree(m_root, {L"outside\\", L"outside\\keep.txt=keep"}));
    ASSERT_TRUE(installtest::MakeFolderLink(m_dir + L"\\data", m_root + L"outside"));
    installtest::Recorder recorder;
    ASSERT_TRUE(Uninstall(m_dir + L"\\Uninst.exe", recorder));
    EXPECT_EQ(1, recorder.finished);
    EXPECT_EQ("keep", testsupport::ReadFileBytes(m_root + L"outside\\keep.txt"));
    EXPECT_FALSE(testsupport::FileExists(m_dir + L"\\tevela.exe"));
}

TEST_F(UninstallerTest, RootsAndSystemFoldersAreRefused)
{
    // Registrations that would make the whole temporary folder, or a drive root,
    // the installation folder: refused although the uninstaller runs "from" there.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring tempDir = basetool::NormalizeFolder(temp);
    std::wstring sentinel = m_root + L"sentinel.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(sentinel, "keep"));
    std::wstring rootClient = L"C:\\tevela.exe";
    bool madeRootClient = !testsupport::FileExists(rootClient) && testsupport::WriteFileBytes(rootClient, "x");
    struct Case {
        std::wstring exePath;
        std::wstring ownPath;
    } cases[] = {
        {tempDir + L"\\tevela.exe", tempDir + L"\\Uninst.exe"},
        {rootClient, L"C:\\Uninst.exe"},
    };
    ASSERT_TRUE(testsupport::WriteFileBytes(tempDir + L"\\tevela.exe", "x"));
    for (const Case& c : cases) {
        ASSERT_TRUE(basetool::IsProtectedFolder(basetool::RemoveFileSpec(c.exePath)));
        basetool::WriteUninstallValues(basetool::RemoveFileSpec(c.exePath), L"1.0.1.1");
        installtest::Recorder recorder;
        ASSERT_TRUE(Uninstall(c.ownPath, recorder));
        EXPECT_EQ(0, recorder.finished);
        EXPECT_EQ("0 正在校验|0 卸载路径无效", installtest::StepsText(recorder.steps));
        EXPECT_TRUE(testsupport::FileExists(c.exePath));
        EXPECT_EQ("keep", testsupport::ReadFileBytes(sentinel));
    }
    DeleteFileW((tempDir + L"\\tevela.exe").c_str());
    if (madeRootClient)
        DeleteFileW(rootClient.c_str());
}

// The real programs: the installer's archive carries the real Uninst.exe, which
// removes the installation in its quiet mode and says by its exit code how it went.
TEST_F(UninstallerTest, RealUninstallerRemovesTheInstallationQuietly)
{
    ASSERT_EQ("", installtest::InstallShippedProduct(m_dir));
    ASSERT_TRUE(testsupport::FileExists(m_dir + L"\\Uninst.exe"));
    if (!testsupport::FileExists(m_dir + L"\\tevela.exe")) {   // until the client is part of the build
        ASSERT_TRUE(installtest::CopyStub(m_dir + L"\\tevela.exe"));
    }

    // Copied elsewhere, it removes nothing and says so.
    ASSERT_TRUE(MakeTree(m_root, {L"copy\\"}));
    ASSERT_TRUE(CopyFileW((m_dir + L"\\Uninst.exe").c_str(), (m_root + L"copy\\Uninst.exe").c_str(), FALSE));
    std::vector<std::wstring> installed = ListTree(m_dir + L"\\");
    DWORD code = 0;
    ASSERT_TRUE(testsupport::RunChild(L"\"" + m_root + L"copy\\Uninst.exe\" uninst_silence", 60000, &code));
    EXPECT_EQ(2u, code);
    EXPECT_EQ(Join(installed), Join(ListTree(m_dir + L"\\")));
    EXPECT_TRUE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));

    // From the installation folder, with the registered quiet command line.
    std::wstring quiet = basetool::ReadProductString(L"QuietUninstallString", basetool::kLongValueBytes);
    ASSERT_EQ(L"\"" + m_dir + L"\\Uninst.exe\" uninst_silence", quiet);
    ASSERT_TRUE(SetAutoRun((m_dir + L"\\tevela.exe").c_str(), true));
    ASSERT_TRUE(testsupport::RunChild(quiet, 60000, &code));
    EXPECT_EQ(0u, code);
    // Only the running uninstaller is left, renamed and queued for the next start.
    EXPECT_EQ("Uninst.exe.error", Join(ListTree(m_dir + L"\\")));
    // The folder is queued after it, so that no empty folder stays.
    std::wstring pending = installtest::PendingRenames();
    size_t file = pending.rfind(L"\\??\\" + m_dir + L"\\Uninst.exe.error||");
    size_t folder = pending.rfind(L"\\??\\" + m_dir + L"||");
    EXPECT_NE(std::wstring::npos, file);
    EXPECT_NE(std::wstring::npos, folder);
    EXPECT_LT(file, folder);
    ExpectRegistrationGone();
    EXPECT_FALSE(basetool::IsPlainFolder(MenuFolder()));

    // Before that start, the folder is still the product's: the next
    // installation goes into it and removes the leftover.
    EXPECT_TRUE(basetool::IsProductsFolder(m_dir));
    ASSERT_EQ("", installtest::InstallShippedProduct(m_dir));
    EXPECT_FALSE(testsupport::FileExists(m_dir + L"\\Uninst.exe.error"));
    EXPECT_TRUE(testsupport::FileExists(m_dir + L"\\Uninst.exe"));
    EXPECT_TRUE(basetool::IsProductFolderOwned(m_dir));
}

}  // namespace
