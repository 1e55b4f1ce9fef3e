// The real installer and uninstaller (their loopback builds, which send their
// statistics to the local server at the loopback port) started from C:\dist as
// a user starts them, their windows driven by mouse messages posted at the
// buttons' positions. Each scenario checks the whole result: the installed
// files by name and MD5 against the files staged into the installer's archive,
// the registry values byte for byte, the shortcuts as the shell reads them, and
// the statistics server's request log. Every wait is bounded; a program that
// hangs is ended and the test fails naming the step.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "BaseTool.h"
#include "E2EUtil.h"
#include "InstallTestUtil.h"
#include "InstallerClickPoints.h"
#include "RegSettings.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

using installtest::Join;
using installtest::ListTree;
using installtest::ReadRawValue;
using installtest::Utf16Bytes;

namespace {

using installtest::DesktopLink;
using installtest::MenuFolder;
const wchar_t* const kName = installtest::kProductName;
const wchar_t kDist[] = L"C:\\dist\\";
const DWORD kWindowMs = 20000;    // a window shows
const DWORD kInstallMs = 120000;  // the whole installation or removal
const DWORD kExitMs = 20000;      // a program ends after its last click

std::wstring DefaultDir()
{
    return basetool::AppendPath(basetool::GetProgramFilesDir(), L"YexoShow");
}
// The files the loopback installer's archive was made from.
std::wstring StageDir()
{
    return testsupport::ExeDir() + L"..\\tests\\e2e\\payload\\stage\\";
}
std::string Request(const char* id, const std::wstring& channel = L"web01")
{
    return "GET /src=client&seq=" + testsupport::Narrow(basetool::GetMacAddressString()) + "&channelid=" +
           testsupport::Narrow(channel) + "&id=" + id + " 404";
}
// The installers' own requests in the log, in their order (the started client
// sends requests of its own).
std::vector<std::string> InstallerRequests()
{
    std::vector<std::string> picked;
    for (const std::string& line : installtest::SinkRequests()) {
        if (line.find("&id=setup ") != std::string::npos || line.find("&id=unsetup ") != std::string::npos)
            picked.push_back(line);
    }
    return picked;
}
std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// On the installer's finish page, the primary "立即体验" button is painted in
// the title bar's pink at its lower left, where the other pages show their
// plain background (the custom page's pink button lies further right).
bool FinishPageShows(HWND frame)
{
    DWORD c = e2e::ScreenPixel(frame, kSetupRunNowPoint.x - 42, kSetupRunNowPoint.y + 12);
    return ((c >> 16) & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) < 0x60;
}

// The custom page's tip row below the path field holds red text
// ("安装路径无效" or "安装空间不足", 0xFFFF0000).
bool RefusalShows(HWND frame)
{
    int red = 0;
    for (int y = 106; y < 124; ++y) {
        for (int x = 94; x < 200; x += 2) {
            DWORD c = e2e::ScreenPixel(frame, x, y);
            if (((c >> 16) & 0xFF) > 0xB0 && ((c >> 8) & 0xFF) < 0x60 && (c & 0xFF) < 0x60)
                ++red;
        }
    }
    return red >= 10;
}

// text through the ANSI code page and back.
std::wstring AcpRoundTrip(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    std::string narrow(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], size, NULL, NULL);
    int wide = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, NULL, 0);
    std::wstring back(wide > 0 ? wide : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, &back[0], wide);
    return std::wstring(back.c_str());
}

class InstallE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        CreateDirectoryW(kDist, NULL);
        std::wstring programs = testsupport::ExeDir() + L"..\\loopback\\install\\";
        ASSERT_TRUE(CopyFileW((programs + L"setup\\Setup_web01.exe").c_str(), (kDist + std::wstring(L"Setup_web01.exe")).c_str(), FALSE));
        installtest::ClearSinkRequests();
    }
    void TearDown() override
    {
        Clean();
        installtest::RemoveTestTree(kDist);
        CoUninitialize();
    }
    static void Clean()
    {
        basetool::EndProcessByName(L"tevela.exe");
        basetool::EndProcessByName(L"update.exe");
        basetool::DeleteProductRegistration();
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        DeleteFileW(DesktopLink().c_str());
        DeleteFileW((MenuFolder() + L"\\" + kName + L".lnk").c_str());
        DeleteFileW((MenuFolder() + L"\\卸载" + kName + L".lnk").c_str());
        RemoveDirectoryW(MenuFolder().c_str());
        installtest::RemoveTestTree(DefaultDir() + L"\\");
    }

    // Runs C:\dist\Setup_web01.exe, clicks the default install button, waits
    // for the finish page and leaves with "安装完成" (or "立即体验").
    void InstallWithWindow(const wchar_t* shotPrefix, bool runNow = false)
    {
        e2e::Program setup(std::wstring(L"\"") + kDist + L"Setup_web01.exe\"");
        ASSERT_TRUE(setup.Started()) << "start Setup_web01.exe";
        HWND frame = e2e::WaitWindow(setup.Id(), L"MainFrame", kWindowMs);
        ASSERT_TRUE(frame != NULL) << "Setup's window did not show";
        Sleep(300);
        e2e::SaveScreenshot(frame, std::wstring(shotPrefix) + L"_1_folder");
        e2e::Click(frame, kSetupDefaultInstallPoint.x, kSetupDefaultInstallPoint.y);
        ASSERT_TRUE(e2e::WaitFor([&] { return FinishPageShows(frame) || !setup.Running(); }, kInstallMs))
            << "the finish page did not show";
        ASSERT_TRUE(setup.Running()) << "Setup ended before the finish page";
        Sleep(200);
        e2e::SaveScreenshot(frame, std::wstring(shotPrefix) + L"_3_finish");
        const SetupClickPoint& leave = runNow ? kSetupRunNowPoint : kSetupFinishPoint;
        e2e::Click(frame, leave.x, leave.y);
        DWORD code = 99;
        ASSERT_TRUE(setup.WaitExit(kExitMs, &code)) << "Setup did not end after the finish page";
        EXPECT_EQ(0u, code);
    }

    // The whole installation in dir as the installer leaves it.
    void ExpectInstalled(const std::wstring& dir, bool autoStart)
    {
        // Files: the staged ones, byte for byte, only the archive attribute, and
        // the marker of a folder the installer made.
        std::map<std::wstring, std::string> expected = e2e::FolderMd5s(StageDir());
        ASSERT_EQ(9u, expected.size());
        std::map<std::wstring, std::string> installed = e2e::FolderMd5s(dir + L"\\");
        ASSERT_EQ(1u, installed.erase(L"YexoShow.tag")) << e2e::Md5sText(installed);
        installed.erase(L"Uninst.exe.error");   // an earlier uninstaller, queued for deletion
        EXPECT_EQ(e2e::Md5sText(expected), e2e::Md5sText(installed));
        for (const auto& file : expected) {
            EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW((dir + L"\\" + file.first).c_str()))
                << testsupport::Narrow(file.first);
        }
        // Registry values, exact bytes.
        std::vector<installtest::RegistryValue> values = installtest::ExpectedRegistration(dir);
        values.push_back({L"Channel", REG_SZ, Utf16Bytes(L"web01")});
        for (const installtest::RegistryValue& v : values) {
            std::string bytes;
            DWORD type = 0;
            EXPECT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, v.name, bytes, &type))
                << testsupport::Narrow(v.name);
            EXPECT_EQ(v.type, type) << testsupport::Narrow(v.name);
            EXPECT_EQ(v.bytes, bytes) << testsupport::Narrow(v.name);
        }
        std::string run;
        bool hasRun = ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, L"YexoShow", run);
        EXPECT_EQ(autoStart, hasRun);
        if (autoStart) {
            EXPECT_EQ(Utf16Bytes(L"\"" + dir + L"\\tevela.exe\""), run);
        }
        // Shortcuts.
        for (const installtest::ExpectedShortcut& e : installtest::ExpectedShortcuts(dir)) {
            installtest::Shortcut link;
            ASSERT_TRUE(installtest::ReadShortcut(e.file, link)) << testsupport::Narrow(e.file);
            // Wine keeps a link's target only in the ANSI code page (names outside
            // it come back with '?'); Windows keeps the wide name too.
            if (link.target != AcpRoundTrip(e.target) || AcpRoundTrip(e.target) == e.target) {
                EXPECT_EQ(e.target, link.target);
            }
            EXPECT_EQ(e.arguments, link.arguments);
            EXPECT_EQ(e.description, link.description);
            EXPECT_EQ(e.icon, link.icon);
            EXPECT_EQ(SW_SHOWNORMAL, link.showCmd);
        }
    }
    // Nothing of the product's registration and shortcuts is left.
    void ExpectRemoved()
    {
        std::string bytes;
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
        EXPECT_FALSE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, L"YexoShow", bytes));
        EXPECT_FALSE(testsupport::FileExists(DesktopLink()));
        EXPECT_FALSE(basetool::IsPlainFolder(MenuFolder()));
    }
    // Everything an installation consists of, for "nothing changed" checks.
    static std::string Snapshot(const std::wstring& dir)
    {
        std::string text = Join(ListTree(dir + L"\\")) + "\n" + e2e::Md5sText(e2e::FolderMd5s(dir + L"\\"));
        for (const wchar_t* name : {L"ExePath", L"UninstallString", L"Channel"}) {
            std::string bytes;
            text += ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, name, bytes) ? bytes : std::string("-");
        }
        text += testsupport::FileExists(DesktopLink()) ? " desktop" : " no desktop";
        return text;
    }
};

// E1 install, E2 reinstall over it, E3 removal through the uninstaller's windows,
// E4 install again before the next start, into the same folder.
TEST_F(InstallE2ETest, InstallReinstallAndRemoveThroughTheWindows)
{
    const std::wstring dir = DefaultDir();
    {
        SCOPED_TRACE("install");
        InstallWithWindow(L"e1_install");
        if (HasFatalFailure())
            return;
        ExpectInstalled(dir, true);
        EXPECT_EQ(0, e2e::CountTempPayloads());   // nor one an earlier run left
        EXPECT_EQ(Request("setup") + "\n", Lines(installtest::SinkRequestsWhen(1)));
    }
    {
        SCOPED_TRACE("reinstall");
        ASSERT_TRUE(WriteProductDword(L"HideMainWnd", 0));
        ASSERT_TRUE(WriteProductDword(L"FirstStart", 0));
        installtest::ClearSinkRequests();
        InstallWithWindow(L"e2_reinstall");
        if (HasFatalFailure())
            return;
        ExpectInstalled(dir, true);
        // The old version's quiet uninstaller ran first, so the client's values
        // went; its leftover, queued for the next start, was removed at once.
        EXPECT_EQ(1u, ReadProductDword(L"HideMainWnd", 1));
        EXPECT_EQ(1u, ReadProductDword(L"FirstStart", 1));
        EXPECT_FALSE(testsupport::FileExists(dir + L"\\Uninst.exe.error"));
        EXPECT_NE(std::wstring::npos, installtest::PendingRenames().find(L"\\??\\" + dir + L"\\Uninst.exe.error|"));
        installtest::SinkRequestsWhen(2);
        EXPECT_EQ(Request("unsetup") + "\n" + Request("setup") + "\n", Lines(installtest::SinkRequests()));
    }
    {
        SCOPED_TRACE("remove");
        ASSERT_TRUE(SetAutoRun((dir + L"\\tevela.exe").c_str(), true));   // the client's own Run value
        installtest::ClearSinkRequests();
        e2e::Program uninst(L"\"" + dir + L"\\Uninst.exe\"");
        ASSERT_TRUE(uninst.Started());
        HWND ask = e2e::WaitWindow(uninst.Id(), L"AskUninst", kWindowMs);
        ASSERT_TRUE(ask != NULL) << "the confirmation did not show";
        Sleep(300);
        e2e::SaveScreenshot(ask, L"e3_remove_1_ask");
        e2e::Click(ask, kAskUninstOkPoint.x, kAskUninstOkPoint.y);
        HWND message = e2e::WaitWindow(uninst.Id(), L"Message", kInstallMs);
        ASSERT_TRUE(message != NULL) << "the result message did not show";
        Sleep(300);
        e2e::SaveScreenshot(message, L"e3_remove_2_done");
        EXPECT_TRUE(e2e::WaitWindow(uninst.Id(), L"MainFrame", 0) == NULL) << "the frame shows beside the result";
        e2e::Click(message, kMessageOkPoint.x, kMessageOkPoint.y);
        DWORD code = 99;
        ASSERT_TRUE(uninst.WaitExit(kExitMs, &code)) << "Uninst did not end after the result";
        EXPECT_EQ(0u, code);
        // Only the running uninstaller is left, renamed and queued for the next
        // start, and the folder after it.
        EXPECT_EQ("Uninst.exe.error", Join(ListTree(dir + L"\\")));
        std::wstring pending = installtest::PendingRenames();
        size_t file = pending.rfind(L"\\??\\" + dir + L"\\Uninst.exe.error||");
        EXPECT_NE(std::wstring::npos, file);
        EXPECT_NE(std::wstring::npos, pending.find(L"\\??\\" + dir + L"||", file == std::wstring::npos ? 0 : file));
        ExpectRemoved();
        std::string bytes;
        EXPECT_TRUE(ReadRawValue(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, bytes));
        EXPECT_EQ(Request("unsetup") + "\n", Lines(installtest::SinkRequestsWhen(1)));
    }
    {
        // Before the next start the folder still holds that leftover; it stays
        // the product's folder, and the installation goes into it again.
        SCOPED_TRACE("install after the removal");
        installtest::ClearSinkRequests();
        InstallWithWindow(L"e4_install_again");
        if (HasFatalFailure())
            return;
        ExpectInstalled(dir, true);
        EXPECT_FALSE(testsupport::FileExists(dir + L"\\Uninst.exe.error"));
        EXPECT_FALSE(basetool::IsPlainFolder(dir + L"\\YexoShow"));
    }
}

// E1 with "立即体验" and the start-with-Windows option cleared: the installed
// client starts, and no Run value of the installer's is written.
TEST_F(InstallE2ETest, RunNowStartsTheInstalledClient)
{
    e2e::Program setup(std::wstring(L"\"") + kDist + L"Setup_web01.exe\"");
    ASSERT_TRUE(setup.Started());
    HWND frame = e2e::WaitWindow(setup.Id(), L"MainFrame", kWindowMs);
    ASSERT_TRUE(frame != NULL) << "Setup's window did not show";
    e2e::Click(frame, kSetupDefaultInstallPoint.x, kSetupDefaultInstallPoint.y);
    ASSERT_TRUE(e2e::WaitFor([&] { return FinishPageShows(frame) || !setup.Running(); }, kInstallMs))
        << "the finish page did not show";
    e2e::Click(frame, kSetupBootStartPoint.x, kSetupBootStartPoint.y);
    Sleep(300);
    e2e::SaveScreenshot(frame, L"e1_runnow_option_cleared");
    e2e::Click(frame, kSetupRunNowPoint.x, kSetupRunNowPoint.y);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kExitMs, &code)) << "Setup did not end after run now";
    EXPECT_EQ(0u, code);
    ExpectInstalled(DefaultDir(), false);
    EXPECT_TRUE(e2e::WaitFor([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 20000))
        << "the installed client did not start";
    EXPECT_EQ(Request("setup") + "\n", Lines(InstallerRequests()));
}

// E4 running client, E5 uninstaller copied elsewhere.
TEST_F(InstallE2ETest, RunningClientAndWrongFolderRemoveNothing)
{
    const std::wstring dir = DefaultDir();
    InstallWithWindow(L"e4_install");
    if (HasFatalFailure())
        return;
    // The client: the stand-in under the installed name.
    ASSERT_TRUE(DeleteFileW((dir + L"\\tevela.exe").c_str()));
    ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
    e2e::Program client(L"\"" + dir + L"\\tevela.exe\" wait");
    ASSERT_TRUE(e2e::WaitFor([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
    std::string before = Snapshot(dir);
    installtest::ClearSinkRequests();
    {
        SCOPED_TRACE("running client");
        e2e::Program uninst(L"\"" + dir + L"\\Uninst.exe\"");
        HWND message = e2e::WaitWindow(uninst.Id(), L"Message", kWindowMs);
        ASSERT_TRUE(message != NULL) << "the running-client message did not show";
        EXPECT_TRUE(e2e::WaitWindow(uninst.Id(), L"AskUninst", 0) == NULL);
        Sleep(300);
        e2e::SaveScreenshot(message, L"e4_running_client");
        e2e::Click(message, kMessageOkPoint.x, kMessageOkPoint.y);
        DWORD code = 99;
        ASSERT_TRUE(uninst.WaitExit(kExitMs, &code)) << "Uninst did not end after the message";
        EXPECT_EQ(0u, code);
        EXPECT_EQ(before, Snapshot(dir));
        EXPECT_TRUE(client.Running());
        Sleep(500);
        EXPECT_EQ("", Lines(installtest::SinkRequests()));
    }
    {
        SCOPED_TRACE("copied elsewhere");
        ASSERT_TRUE(CopyFileW((dir + L"\\Uninst.exe").c_str(), (kDist + std::wstring(L"Uninst.exe")).c_str(), FALSE));
        client.Terminate();
        e2e::Program uninst(std::wstring(L"\"") + kDist + L"Uninst.exe\"");
        HWND ask = e2e::WaitWindow(uninst.Id(), L"AskUninst", kWindowMs);
        ASSERT_TRUE(ask != NULL) << "the confirmation did not show";
        e2e::Click(ask, kAskUninstOkPoint.x, kAskUninstOkPoint.y);
        // The check fails at 0 %; the frame can still be closed.
        ASSERT_FALSE(installtest::SinkRequestsWhen(1, 20000).empty()) << "no unsetup request";
        HWND frame = e2e::WaitWindow(uninst.Id(), L"MainFrame", kWindowMs);
        ASSERT_TRUE(frame != NULL) << "the progress window did not show";
        Sleep(500);
        e2e::SaveScreenshot(frame, L"e5_wrong_folder");
        // The window system's close (Alt+F4) ends it (for the close button:
        // WrongFolderLeavesTheCloseButtonUsable).
        PostMessageW(frame, WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(uninst.WaitExit(kExitMs, &code)) << "Uninst could not be closed after the failed check";
        EXPECT_EQ(0u, code);
        EXPECT_EQ(before, Snapshot(dir));
        EXPECT_EQ(Request("unsetup") + "\n", Lines(installtest::SinkRequests()));
    }
    {
        SCOPED_TRACE("quiet with the client running");
        e2e::Program again(L"\"" + dir + L"\\tevela.exe\" wait");
        ASSERT_TRUE(e2e::WaitFor([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
        installtest::ClearSinkRequests();
        e2e::Program quiet(L"\"" + dir + L"\\Uninst.exe\" uninst_silence");
        bool windowSeen = false;
        ASSERT_TRUE(e2e::WaitFor(
            [&] {
                windowSeen = windowSeen || !e2e::VisibleWindows(quiet.Id()).empty();
                return !quiet.Running();
            },
            kInstallMs))
            << "the quiet removal did not end";
        DWORD code = 99;
        quiet.WaitExit(0, &code);
        EXPECT_EQ(0u, code);
        EXPECT_FALSE(windowSeen);
        EXPECT_FALSE(again.Running());
        EXPECT_EQ("Uninst.exe.error", Join(ListTree(dir + L"\\")));
        ExpectRemoved();
        EXPECT_EQ(Request("unsetup") + "\n", Lines(installtest::SinkRequestsWhen(1)));
    }
}

// E5, the button: after a failed check the borderless window can be closed
// with its own close button.
TEST_F(InstallE2ETest, WrongFolderLeavesTheCloseButtonUsable)
{
    InstallWithWindow(L"e5b_install");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(CopyFileW((DefaultDir() + L"\\Uninst.exe").c_str(), (kDist + std::wstring(L"Uninst.exe")).c_str(), FALSE));
    std::string before = Snapshot(DefaultDir());
    installtest::ClearSinkRequests();
    e2e::Program uninst(std::wstring(L"\"") + kDist + L"Uninst.exe\"");
    HWND ask = e2e::WaitWindow(uninst.Id(), L"AskUninst", kWindowMs);
    ASSERT_TRUE(ask != NULL) << "the confirmation did not show";
    e2e::Click(ask, kAskUninstOkPoint.x, kAskUninstOkPoint.y);
    ASSERT_FALSE(installtest::SinkRequestsWhen(1, 20000).empty()) << "no unsetup request";
    HWND frame = e2e::WaitWindow(uninst.Id(), L"MainFrame", kWindowMs);
    ASSERT_TRUE(frame != NULL) << "the progress window did not show";
    Sleep(500);
    e2e::Click(frame, kUninstClosePoint.x, kUninstClosePoint.y);
    DWORD code = 99;
    ASSERT_TRUE(uninst.WaitExit(kExitMs, &code)) << "closebtn did not end Uninst after the failed check";
    EXPECT_EQ(0u, code);
    EXPECT_EQ(before, Snapshot(DefaultDir()));
    EXPECT_EQ(Request("unsetup") + "\n", Lines(installtest::SinkRequests()));
}

// E6: the exit question and the confirmation say no, or yes before anything began.
TEST_F(InstallE2ETest, CancelPathsLeaveNothingBehind)
{
    {
        SCOPED_TRACE("setup: exit question");
        e2e::Program setup(std::wstring(L"\"") + kDist + L"Setup_web01.exe\"");
        HWND frame = e2e::WaitWindow(setup.Id(), L"MainFrame", kWindowMs);
        ASSERT_TRUE(frame != NULL) << "Setup's window did not show";
        e2e::Click(frame, kSetupClosePoint.x, kSetupClosePoint.y);
        HWND ask = e2e::WaitWindow(setup.Id(), L"AskExit", kWindowMs);
        ASSERT_TRUE(ask != NULL) << "the exit question did not show";
        Sleep(300);
        e2e::SaveScreenshot(ask, L"e6_ask_exit");
        e2e::Click(ask, kAskExitCancelPoint.x, kAskExitCancelPoint.y);
        ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(ask); }, kWindowMs)) << "取消 did not close the question";
        Sleep(500);
        EXPECT_TRUE(setup.Running());
        EXPECT_TRUE(IsWindowVisible(frame));
        e2e::Click(frame, kSetupClosePoint.x, kSetupClosePoint.y);
        ask = e2e::WaitWindow(setup.Id(), L"AskExit", kWindowMs);
        ASSERT_TRUE(ask != NULL) << "the exit question did not show again";
        e2e::Click(ask, kAskExitOkPoint.x, kAskExitOkPoint.y);
        DWORD code = 99;
        ASSERT_TRUE(setup.WaitExit(kExitMs, &code)) << "确定 did not end Setup";
        EXPECT_EQ(0u, code);
        EXPECT_FALSE(basetool::IsPlainFolder(DefaultDir()));
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
        EXPECT_FALSE(testsupport::FileExists(DesktopLink()));
        EXPECT_EQ("", Lines(installtest::SinkRequests()));
    }
    InstallWithWindow(L"e6_install");
    if (HasFatalFailure())
        return;
    const std::wstring dir = DefaultDir();
    std::string before = Snapshot(dir);
    const struct {
        const char* what;
        SetupClickPoint point;
    } answers[] = {{"取消", kAskUninstCancelPoint}, {"closebtn", kAskUninstClosePoint}};
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.what);
        installtest::ClearSinkRequests();
        e2e::Program uninst(L"\"" + dir + L"\\Uninst.exe\"");
        HWND ask = e2e::WaitWindow(uninst.Id(), L"AskUninst", kWindowMs);
        ASSERT_TRUE(ask != NULL) << "the confirmation did not show";
        e2e::Click(ask, answer.point.x, answer.point.y);
        DWORD code = 99;
        ASSERT_TRUE(uninst.WaitExit(kExitMs, &code)) << "Uninst did not end after the answer";
        EXPECT_EQ(0u, code);
        EXPECT_EQ(before, Snapshot(dir));
        EXPECT_EQ("", Lines(installtest::SinkRequests()));
    }
}

// E7: folders the custom page refuses, and a folder of the user's that gets
// the product's own folder inside it; E10: a folder outside the ANSI code page
// (this suite runs at code page 1252) installs, or fails visibly.
TEST_F(InstallE2ETest, CustomFolderIsCheckedAndNamesOutsideTheCodePageInstall)
{
    e2e::Program setup(std::wstring(L"\"") + kDist + L"Setup_web01.exe\"");
    HWND frame = e2e::WaitWindow(setup.Id(), L"MainFrame", kWindowMs);
    ASSERT_TRUE(frame != NULL) << "Setup's window did not show";
    e2e::Click(frame, kSetupCustomPagePoint.x, kSetupCustomPagePoint.y);
    Sleep(300);
    // Typing: a click opens the field's native edit, whose text then changes.
    auto type = [&](const std::wstring& path) {
        e2e::Click(frame, kSetupPathEditPoint.x, kSetupPathEditPoint.y);
        HWND edit = NULL;
        bool opened = e2e::WaitFor([&] { return (edit = e2e::FindChild(frame, L"EditWnd")) != NULL; }, kWindowMs);
        if (!opened)
            e2e::SaveScreenshot(frame, L"e7_no_edit");
        ASSERT_TRUE(opened) << "the path field did not open for typing";
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Sleep(300);
    };
    const struct {
        const char* what;
        std::wstring path;
    } refused[] = {
        {"drive root", L"C:\\"},
        {"Windows folder", L"C:\\windows"},
        {"Program Files", basetool::GetProgramFilesDir()},
        {"a dot after the root", L"C:\\Program Files\\Yexo.1"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        type(r.path);
        if (HasFatalFailure())
            return;
        e2e::SaveScreenshot(frame, std::wstring(L"e7_refused_") + testsupport::Widen(r.what));
        EXPECT_TRUE(RefusalShows(frame)) << "no red refusal text below the path";
        e2e::Click(frame, kSetupCustomInstallPoint.x, kSetupCustomInstallPoint.y);
        Sleep(700);
        EXPECT_FALSE(FinishPageShows(frame));
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY)) << "installed into a refused folder";
        EXPECT_TRUE(setup.Running());
    }
    // A folder of the user's that holds other things gets the product's own
    // folder inside it.
    const std::wstring dir = L"C:\\测试\\YexoShow";
    installtest::RemoveTestTree(L"C:\\测试\\");
    ASSERT_TRUE(installtest::MakeTree(L"C:\\", {L"测试\\", L"测试\\mine.txt=mine"}));
    type(L"C:\\测试");
    if (HasFatalFailure())
        return;
    EXPECT_FALSE(RefusalShows(frame));
    e2e::Click(frame, kSetupCustomInstallPoint.x, kSetupCustomInstallPoint.y);
    ASSERT_TRUE(e2e::WaitFor([&] { return FinishPageShows(frame) || !setup.Running(); }, kInstallMs))
        << "the finish page did not show";
    e2e::SaveScreenshot(frame, L"e10_non_ansi_finish");
    e2e::Click(frame, kSetupFinishPoint.x, kSetupFinishPoint.y);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kExitMs, &code)) << "Setup did not end after the finish page";
    EXPECT_EQ(0u, code);
    ExpectInstalled(dir, true);
    EXPECT_EQ(Request("setup") + "\n", Lines(installtest::SinkRequestsWhen(1)));
    DWORD quiet = 99;
    ASSERT_TRUE(testsupport::RunChild(L"\"" + dir + L"\\Uninst.exe\" uninst_silence", kInstallMs, &quiet));
    EXPECT_EQ(0u, quiet);
    ExpectRemoved();
    // The user's file stays; of the product only the running uninstaller is left.
    EXPECT_EQ("mine", testsupport::ReadFileBytes(L"C:\\测试\\mine.txt"));
    EXPECT_EQ("Uninst.exe.error", Join(ListTree(dir + L"\\")));
    installtest::RemoveTestTree(L"C:\\测试\\");
}

// E8 and E9: the quiet switch opens no window and installs nothing; a held
// mutex makes both programs end at once with 1.
TEST_F(InstallE2ETest, QuietSwitchAndSingleInstance)
{
    std::wstring dir = DefaultDir();
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL));
    ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
    basetool::WriteUninstallValues(dir, L"1.0.1.1");
    {
        e2e::Program quiet(std::wstring(L"\"") + kDist + L"Setup_web01.exe\" setup_silence run_now");
        bool windowSeen = false;
        ASSERT_TRUE(e2e::WaitFor(
            [&] {
                windowSeen = windowSeen || !e2e::VisibleWindows(quiet.Id()).empty();
                return !quiet.Running();
            },
            kExitMs));
        DWORD code = 99;
        quiet.WaitExit(0, &code);
        EXPECT_EQ(0u, code);
        EXPECT_FALSE(windowSeen);
        EXPECT_TRUE(e2e::WaitFor([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
        basetool::EndProcessByName(L"tevela.exe");
        EXPECT_EQ("tevela.exe", Join(ListTree(dir + L"\\")));
        EXPECT_EQ("", Lines(installtest::SinkRequests()));
    }
    basetool::SingletonMutex* setupHeld =
        basetool::CreateSingletonMutex(L"YEXO_SHOW_SETUP_SINGLETON_{0B127C49-D3C7-4f0b-99FC-3813D2279BE3}");
    basetool::SingletonMutex* uninstHeld =
        basetool::CreateSingletonMutex(L"YEXO_SHOW_UNINST_SINGLETON_{939EE18D-6F75-4e37-B202-544D5A541FAD}");
    ASSERT_TRUE(CopyFileW((testsupport::ExeDir() + L"..\\loopback\\install\\uninst\\Uninst.exe").c_str(),
                          (dir + L"\\Uninst.exe").c_str(), FALSE));
    for (const std::wstring& line : {std::wstring(L"\"") + kDist + L"Setup_web01.exe\"", L"\"" + dir + L"\\Uninst.exe\""}) {
        SCOPED_TRACE(testsupport::Narrow(line));
        e2e::Program second(line);
        DWORD code = 99;
        ASSERT_TRUE(second.WaitExit(kExitMs, &code)) << "a second instance did not end";
        EXPECT_EQ(1u, code);
    }
    basetool::CloseSingletonMutex(setupHeld);
    basetool::CloseSingletonMutex(uninstHeld);
    EXPECT_EQ("Uninst.exe tevela.exe", Join(ListTree(dir + L"\\")));
}

}  // namespace
