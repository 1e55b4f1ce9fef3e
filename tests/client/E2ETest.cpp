// tevela.exe as a program, in fake installation folders: the real client (its
// loopback build, whose statistics, home page and IP location go to the local
// server at the fixed port this program runs next to), the real update.exe
// and Utils.dll. Covers start-up exit codes, the single instance, the browser
// emulation values, a missing or damaged skin, the start words, the hand-over
// to the updater (also from a folder with blanks), the two-launch update,
// strategy gating and bad INI files, and closing and starting again while the
// manifest or statistics servers stall, trickle or answer hundreds of megabytes.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "InstallFolder.h"
#include "NetTestEnv.h"
#include "RegSettings.h"
#include "SlowServers.h"
#include "TestSupport.h"
#include "Utils.h"

namespace {

using namespace clienttest;

class ClientE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nettest::Available()) << "run through run_with_server.py at the loopback port";
        nettest::Reset();
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY);
        SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"Channel", REG_SZ, L"t01", 6);
        WriteProductDword(L"FirstStart", 0);
        WriteProductDword(L"HideMainWnd", 1);
    }
    void TearDown() override { SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY); }

    // Ends a client the way its tray menu's "exit" does.
    static DWORD ExitClient(Installation& inst, const PROCESS_INFORMATION& pi)
    {
        HWND w = inst.MainWindow(pi.dwProcessId);
        if (w != NULL)
            ::PostMessageW(w, 0x4515, 2, 0);
        return Installation::WaitExit(pi, 15000);
    }
    static int Requests(const std::string& path) { return nettest::CountRequests(path); }
    static bool WaitRequest(const std::string& path, DWORD timeoutMs = 15000)
    {
        return testsupport::PumpUntil([&] { return nettest::CountRequests(path) > 0; }, timeoutMs);
    }
    static std::string StatPath(const char* event)
    {
        return "/src=client&seq=" + testsupport::Narrow(WinUtil::GetMacAddress().c_str()) +
               "&channelid=t01&id=" + event;
    }
};

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------
TEST_F(ClientE2E, ASecondStartShowsTheFirstWindowAndEndsWith1WithoutTouchingTheRegistry)
{
    Installation inst(L"e2e_single");
    ASSERT_TRUE(inst.Populate());
    PROCESS_INFORMATION first = inst.Start(L"");
    HWND w = inst.WaitMainWindow(first.dwProcessId);
    ASSERT_TRUE(w != NULL);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ::IsZoomed(w) != FALSE; }, 5000)) << "shown maximised";
    EXPECT_EQ(8000u, ReadDword(kEmulationKey, L"tevela.exe", 0));
    EXPECT_EQ(8000u, ReadDword(kEmulationKey32, L"tevela.exe", 0));
    EXPECT_TRUE(WaitRequest(StatPath("client_start")));

    ::ShowWindow(w, SW_HIDE);
    SHDeleteValueW(HKEY_LOCAL_MACHINE, kEmulationKey, L"tevela.exe");
    SHDeleteValueW(HKEY_LOCAL_MACHINE, kEmulationKey32, L"tevela.exe");
    PROCESS_INFORMATION second = inst.Start(L"webstart");
    EXPECT_EQ(1u, Installation::WaitExit(second, 15000));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ::IsWindowVisible(w) != FALSE; }, 5000));
    EXPECT_EQ(0xFFFFFFFFu, ReadDword(kEmulationKey, L"tevela.exe", 0xFFFFFFFF)) << "no registry write";
    EXPECT_EQ(0xFFFFFFFFu, ReadDword(kEmulationKey32, L"tevela.exe", 0xFFFFFFFF));
    EXPECT_EQ(1, Requests(StatPath("client_start")));

    EXPECT_EQ(0u, ExitClient(inst, first));
    EXPECT_EQ(1, Requests(StatPath("client_exit")));
}

// A window of another class with the product's title (an Explorer window on
// the start-menu folder bears that name) is not a running client.
LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER + 7)
        ::SetWindowLongPtrW(h, GWLP_USERDATA, ::GetWindowLongPtrW(h, GWLP_USERDATA) + 1);
    return ::DefWindowProcW(h, m, w, l);
}

TEST_F(ClientE2E, AForeignWindowWithTheProductsTitleIsNoRunningClient)
{
    WNDCLASSW wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = &CountingProc;
    wc.hInstance = ::GetModuleHandleW(NULL);
    wc.lpszClassName = L"CabinetWClass";
    ::RegisterClassW(&wc);
    HWND folder = ::CreateWindowExW(0, L"CabinetWClass", kTitle, WS_POPUP, 0, 0, 50, 50, NULL, NULL,
                                    ::GetModuleHandleW(NULL), NULL);
    ASSERT_TRUE(folder != NULL);
    Installation inst(L"e2e_foreign");
    ASSERT_TRUE(inst.Populate());
    PROCESS_INFORMATION pi = inst.Start(L"");
    EXPECT_TRUE(inst.WaitMainWindow(pi.dwProcessId) != NULL);
    testsupport::PumpFor(100);
    EXPECT_EQ(0, ::GetWindowLongPtrW(folder, GWLP_USERDATA)) << "no WM_ACTIVATE_INSTANCE to the foreign window";
    EXPECT_EQ(0u, ExitClient(inst, pi));
    ::DestroyWindow(folder);
}

TEST_F(ClientE2E, TheEmulationValueIsNamedTevelaExeWhateverTheExeIsCalled)
{
    Installation inst(L"e2e_renamed");
    ASSERT_TRUE(inst.Populate());
    inst.Copy(BuiltClient(), L"yexo.exe");
    ASSERT_TRUE(inst.copied);
    SHDeleteValueW(HKEY_LOCAL_MACHINE, kEmulationKey, L"tevela.exe");
    SHDeleteValueW(HKEY_LOCAL_MACHINE, kEmulationKey, L"yexo.exe");
    PROCESS_INFORMATION pi = inst.Start(L"", L"yexo.exe");
    ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId) != NULL);
    EXPECT_EQ(8000u, ReadDword(kEmulationKey, L"tevela.exe", 0));
    EXPECT_EQ(0xFFFFFFFFu, ReadDword(kEmulationKey, L"yexo.exe", 0xFFFFFFFF));
    EXPECT_EQ(0u, ExitClient(inst, pi));
}

// Reads and answers the error box of a skin that does not load.
struct Box {
    bool found = false;
    std::wstring caption;
    std::vector<std::wstring> texts;
};
BOOL CALLBACK CollectTexts(HWND h, LPARAM p)
{
    wchar_t text[256] = { 0 };
    ::GetWindowTextW(h, text, 255);
    if (text[0] != 0)
        reinterpret_cast<Box*>(p)->texts.push_back(text);
    return TRUE;
}

TEST_F(ClientE2E, AMissingOrDamagedSkinEndsTheProgramWith1)
{
    struct Case {
        const char* what;
        const wchar_t* build;   // the client built with these resources
        bool expectBox;         // the layout failure's message box
    } cases[] = {
        { "no skin resource", L"skinless", false },
        { "a skin resource that is no zip", L"damagedskin", true },
    };
    for (const Case& c : cases) {
        Installation inst(L"e2e_skin");
        ASSERT_TRUE(inst.Populate());
        inst.Copy(testsupport::ExeDir() + L"..\\loopback\\" + c.build + L"\\tevela.exe", L"tevela.exe");
        ASSERT_TRUE(inst.copied);
        PROCESS_INFORMATION pi = inst.Start(L"");
        Box box;
        if (c.expectBox) {
            HWND dlg = NULL;
            testsupport::PumpUntil([&] {
                for (HWND w = ::FindWindowExW(NULL, NULL, L"#32770", NULL); w != NULL;
                     w = ::FindWindowExW(NULL, w, L"#32770", NULL)) {
                    DWORD owner = 0;
                    ::GetWindowThreadProcessId(w, &owner);
                    // Taken once the box shows, with its texts in place.
                    if (owner == pi.dwProcessId && ::IsWindowVisible(w) && ::GetWindowTextLengthW(w) > 0)
                        dlg = w;
                }
                return dlg != NULL;
            }, 15000);
            ASSERT_TRUE(dlg != NULL) << c.what;
            wchar_t caption[64] = { 0 };
            ::GetWindowTextW(dlg, caption, 63);
            box.caption = caption;
            ::EnumChildWindows(dlg, &CollectTexts, reinterpret_cast<LPARAM>(&box));
            ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(L"SkinUI", box.caption);
            bool hasText = false;
            for (const std::wstring& t : box.texts)
                hasText |= t == L"\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25";
            EXPECT_TRUE(hasText) << c.what;
        }
        EXPECT_EQ(1u, Installation::WaitExit(pi, 15000)) << c.what;
        EXPECT_TRUE(inst.MainWindow() == NULL);
    }
}

// ---------------------------------------------------------------------------
// Start words, the pending update, the update check
// ---------------------------------------------------------------------------
TEST_F(ClientE2E, StartWordsDecideTheUpdateCheck)
{
    struct Case {
        const wchar_t* args;
        bool checks;
    } cases[] = { { L"", true }, { L"bootstart", true }, { L"updateok", false }, { L"updatefail", false } };
    Installation inst(L"e2e_words");
    ASSERT_TRUE(inst.Populate());
    inst.Write(L"update.ini.served", "");
    testsupport::WriteFileBytes(nettest::Root() + L"update.ini",
                                "[UPDATE]\r\nVERSION=1.0.1.1\r\nTYPE=0\r\n[FILES]\r\nCOUNT=0\r\n");
    for (const Case& c : cases) {
        nettest::ClearLog();
        PROCESS_INFORMATION pi = inst.Start(c.args);
        ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId) != NULL) << testsupport::Narrow(c.args);
        if (c.checks)
            EXPECT_TRUE(WaitRequest("/update.ini")) << testsupport::Narrow(c.args);
        else
            testsupport::PumpFor(1500);
        EXPECT_EQ(c.checks ? 1 : 0, Requests("/update.ini")) << testsupport::Narrow(c.args);
        EXPECT_EQ(0u, ExitClient(inst, pi));
    }
}

TEST_F(ClientE2E, APendingUpdateHandsOverToTheUpdaterWithoutAWindow)
{
    for (const wchar_t* word : { L"", L"bootstart", L"webstart" }) {
        Installation inst(L"e2e_pending");
        ASSERT_TRUE(inst.Populate());
        ASSERT_TRUE(inst.UseRecordingUpdater());
        inst.Write(L"updatefiles.dat", std::string("\x04\x00\x00\x00", 4));
        PROCESS_INFORMATION pi = inst.Start(word);
        EXPECT_EQ(0u, Installation::WaitExit(pi, 15000)) << testsupport::Narrow(word);
        EXPECT_TRUE(inst.MainWindow() == NULL);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !inst.Runs().empty(); }, 10000));
        std::vector<std::string> runs = inst.Runs();
        ASSERT_EQ(1u, runs.size());
        EXPECT_NE(std::string::npos, runs[0].find("name=update.exe cmd=tevela.exe 0")) << runs[0];
        EXPECT_EQ(0, Requests("/update.ini"));
        EXPECT_EQ(0, Requests(StatPath("client_start")));
    }
}

// An updater that cannot start must not lock the user out: the client opens
// (without an update check this time) and the record stays for a later start.
TEST_F(ClientE2E, APendingUpdateWhoseUpdaterCannotStartOpensTheWindow)
{
    Installation inst(L"e2e_noupdater");
    ASSERT_TRUE(inst.Populate());
    ::DeleteFileW((inst.dir + L"update.exe").c_str());
    inst.Write(L"updatefiles.dat", std::string("\x04\x00\x00\x00", 4));
    PROCESS_INFORMATION pi = inst.Start(L"");
    ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId) != NULL);
    EXPECT_TRUE(inst.Has(L"updatefiles.dat"));
    testsupport::PumpFor(1000);
    EXPECT_EQ(0, Requests("/update.ini"));
    EXPECT_EQ(0u, ExitClient(inst, pi));
}

// What the served manifest and the folder's own INI files make of the check;
// the recording updater shows whether, and with what, the client started it.
TEST_F(ClientE2E, TheUpdaterStartsOnlyForAnUpdateDueAndAlwaysWithItsFixedCommandLine)
{
    const int hour = [] {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        return static_cast<int>(t.wHour);
    }();
    const std::string otherHour = std::to_string((hour + 2) % 24);
    struct Case {
        const char* what;
        std::string manifest;     // served as /update.ini ("" = 404)
        std::string localIni;     // "" = the shipped one
        std::string serverIni;    // "" = the shipped one
        bool starts;
    } cases[] = {
        { "newer version, no strategy", "[UPDATE]\r\nVERSION=1.0.1.2\r\nTYPE=0\r\n", "", "", true },
        { "same version", "[UPDATE]\r\nVERSION=1.0.1.1\r\n", "", "", false },
        { "percentage roll above the share",
          "[UPDATE]\r\nVERSION=1.0.1.2\r\n[STRATEGY]\r\nPERCENT=30,5\r\n",
          "[UPDATE]\r\nVERSION=1.0.1.1\r\nPercent=31,5\r\n", "", false },
        { "percentage roll within the share",
          "[UPDATE]\r\nVERSION=1.0.1.2\r\n[STRATEGY]\r\nPERCENT=30,5\r\n",
          "[UPDATE]\r\nVERSION=1.0.1.1\r\nPercent=30,5\r\n", "", true },
        { "another hour", "[UPDATE]\r\nVERSION=1.0.1.2\r\n[STRATEGY]\r\nTIME=" + otherHour + "-" + otherHour + "\r\n",
          "", "", false },
        { "manifest missing", "", "", "", false },
        { "manifest of binary junk", std::string("\x00\xff\x13[UPDATE\x01VERSION=9\x00", 22), "", "", false },
        { "server.ini of binary junk", "[UPDATE]\r\nVERSION=1.0.1.2\r\n", "",
          std::string("\xff\xfe\x00[CLIENT\x00SERVER=\x01\x02", 19), false },
        { "Local.ini of binary junk", "[UPDATE]\r\nVERSION=1.0.1.2\r\n", std::string("\x00\x01\xff\xfe", 4), "",
          true },
    };
    for (const Case& c : cases) {
        nettest::ClearLog();
        Installation inst(L"e2e_gate");
        ASSERT_TRUE(inst.Populate());
        ASSERT_TRUE(inst.UseRecordingUpdater());
        if (!c.localIni.empty())
            inst.Write(L"Local.ini", c.localIni);
        if (!c.serverIni.empty())
            inst.Write(L"server.ini", c.serverIni);
        ::DeleteFileW((nettest::Root() + L"update.ini").c_str());
        if (!c.manifest.empty())
            testsupport::WriteFileBytes(nettest::Root() + L"update.ini", c.manifest);
        PROCESS_INFORMATION pi = inst.Start(L"");
        ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId) != NULL) << c.what;
        if (c.starts) {
            EXPECT_TRUE(testsupport::PumpUntil([&] { return !inst.Runs().empty(); }, 15000)) << c.what;
        } else {
            testsupport::PumpFor(2500);
        }
        std::vector<std::string> runs = inst.Runs();
        EXPECT_EQ(c.starts ? 1u : 0u, runs.size()) << c.what;
        for (const std::string& r : runs)
            EXPECT_NE(std::string::npos, r.find("name=update.exe cmd=tevela.exe 0")) << c.what << ": " << r;
        EXPECT_TRUE(inst.MainWindow(pi.dwProcessId) != NULL) << "the client keeps running: " << c.what;
        EXPECT_EQ(0u, ExitClient(inst, pi)) << c.what;
    }
}

TEST_F(ClientE2E, AProvinceStrategyAsksTheLocationServiceOnce)
{
    // 北京, as the manifest and localinfo.ini hold it: in the ANSI code page.
    const std::wstring beijing = L"\u5317\u4eac";
    char ansi[16] = { 0 };
    ::WideCharToMultiByte(CP_ACP, 0, beijing.c_str(), -1, ansi, sizeof(ansi), NULL, NULL);
    if (::GetACP() != 936)
        GTEST_SKIP() << "needs the GBK code page (WINE_RUN_LANG=zh_CN.UTF-8)";
    testsupport::WriteFileBytes(nettest::Root() + L"update.ini",
                                std::string("[UPDATE]\r\nVERSION=1.0.1.2\r\n[STRATEGY]\r\nPROVINCE=") + ansi + "\r\n");
    testsupport::WriteFileBytes(nettest::Root() + L"cityjson",
                                "var returnCitySN = {\"code\":\"A00000\",\"data\":{\"province\":\"\xe5\x8c\x97\xe4\xba\xac\","
                                "\"city\":\"\xe5\x8c\x97\xe4\xba\xac\"}}");
    Installation inst(L"e2e_province");
    ASSERT_TRUE(inst.Populate());
    ASSERT_TRUE(inst.UseRecordingUpdater());
    for (int run = 0; run < 2; ++run) {
        nettest::ClearLog();
        PROCESS_INFORMATION pi = inst.Start(L"");
        ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId) != NULL);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return inst.Runs().size() == static_cast<size_t>(run + 1); },
                                           15000)) << "run " << run;
        EXPECT_EQ(run == 0 ? 1 : 0, Requests("/cityjson")) << "run " << run;
        EXPECT_EQ(0u, ExitClient(inst, pi));
    }
    const std::string info = inst.Read(L"localinfo.ini");
    EXPECT_NE(std::string::npos, info.find(std::string("Province=") + ansi)) << info;
    EXPECT_NE(std::string::npos, info.find(std::string("City=") + ansi)) << info;
}

// ---------------------------------------------------------------------------
// Servers that misbehave
// ---------------------------------------------------------------------------
// Ends the client as its tray menu's "exit" does and returns how long the
// process took to end (0xFFFFFFFF when it did not within 15 s).
DWORD TimeTheExit(Installation& inst, const PROCESS_INFORMATION& pi)
{
    HWND w = inst.MainWindow(pi.dwProcessId);
    if (w == NULL)
        return 0xFFFFFFFF;
    const DWORD start = ::GetTickCount();
    ::PostMessageW(w, 0x4515, 2, 0);
    if (Installation::WaitExit(pi, 15000) == STILL_ACTIVE)
        return 0xFFFFFFFF;
    return ::GetTickCount() - start;
}

// Whatever the manifest server does, the closed client is gone within 2 s,
// and so its guard: the next start shows its window.
TEST_F(ClientE2E, TheClientClosesWithin2sWhateverTheManifestServerDoes)
{
    for (slowserver::Kind kind :
         { slowserver::STALL, slowserver::TRICKLE, slowserver::HUGE_LENGTH, slowserver::HUGE_STREAM }) {
        slowserver::Server server(kind);
        Installation inst(L"e2e_slowmanifest");
        ASSERT_TRUE(inst.Populate());
        inst.Write(L"server.ini", "[CLIENT]\r\nSERVER=" + testsupport::Narrow(server.Url(L"/update.ini")) + "\r\n");
        for (int run = 0; run < 2; ++run) {
            const LONG before = server.Connections();
            PROCESS_INFORMATION pi = inst.Start(L"");
            ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId, 10000) != NULL) << slowserver::Name(kind) << " run " << run;
            ASSERT_TRUE(testsupport::PumpUntil([&] { return server.Connections() > before; }, 10000));
            testsupport::PumpFor(500);   // the download is under way
            const DWORD took = TimeTheExit(inst, pi);
            EXPECT_LT(took, 2000u) << slowserver::Name(kind) << " run " << run;
            DWORD code = 99;
            ::GetExitCodeProcess(pi.hProcess, &code);
            EXPECT_EQ(0u, code) << slowserver::Name(kind);
        }
        EXPECT_FALSE(inst.Has(L"update.ini")) << slowserver::Name(kind);
    }
}

// A statistics host that accepts and never answers holds back neither the
// window nor the exit, and the next start shows its window again.
TEST_F(ClientE2E, ASilentStatisticsHostHoldsBackNeitherTheWindowNorTheNextStart)
{
    nettest::SetScript("{\"rules\": [{\"prefix\": \"/src=\", \"delay\": 60, \"status\": 200}]}");
    Installation inst(L"e2e_silentstat");
    ASSERT_TRUE(inst.Populate());
    for (int run = 0; run < 2; ++run) {
        const DWORD start = ::GetTickCount();
        PROCESS_INFORMATION pi = inst.Start(L"");
        ASSERT_TRUE(inst.WaitMainWindow(pi.dwProcessId, 20000) != NULL) << "run " << run;
        EXPECT_LT(::GetTickCount() - start, 5000u) << "the window does not wait for the start report; run " << run;
        testsupport::PumpFor(500);
        const DWORD took = TimeTheExit(inst, pi);
        EXPECT_LT(took, 2000u) << "run " << run;
    }
    nettest::Reset();
}

// The updater is started by its quoted path as the application name: from a
// folder with blanks it gets exactly "<exe name> 0".
TEST_F(ClientE2E, TheUpdaterStartsFromAFolderWithBlanksWithItsTwoWords)
{
    Installation inst(L"e2e pending blank");
    ASSERT_TRUE(inst.Populate());
    ASSERT_TRUE(inst.UseRecordingUpdater());
    inst.Write(L"updatefiles.dat", std::string("\x04\x00\x00\x00", 4));
    // A program named as the path up to its first blank ("C:\Program.exe"
    // for "C:\Program Files\..."): an unquoted command line would start it.
    const std::wstring decoy = inst.dir.substr(0, inst.dir.find(L' ')) + L".exe";
    ASSERT_TRUE(::CopyFileW(BuiltFile(L"dummy_tevela.exe").c_str(), decoy.c_str(), FALSE));
    PROCESS_INFORMATION pi = inst.Start(L"");
    EXPECT_EQ(0u, Installation::WaitExit(pi, 15000));
    testsupport::PumpUntil([&] { return !inst.Runs().empty(); }, 10000);
    testsupport::PumpFor(300);
    ::DeleteFileW(decoy.c_str());
    std::vector<std::string> runs = inst.Runs();
    ASSERT_EQ(1u, runs.size());
    const std::string tail = "name=update.exe cmd=tevela.exe 0";
    EXPECT_EQ(tail, runs[0].substr(runs[0].size() >= tail.size() ? runs[0].size() - tail.size() : 0)) << runs[0];
}

// ---------------------------------------------------------------------------
// The two-launch update: launch 1 downloads while the client runs, the next
// start hands over, the updater swaps and starts the new client.
// ---------------------------------------------------------------------------
TEST_F(ClientE2E, TheClientUpdatesItselfInTwoLaunchesAndNothingIsLost)
{
    Installation inst(L"e2e_update");
    ASSERT_TRUE(inst.Populate());
    const std::string marker = "\r\nNEW-VERSION-1.0.1.2\r\n";
    struct NewFile {
        const wchar_t* name;
        std::string bytes;
    };
    std::vector<NewFile> files = {
        { L"tevela.exe", testsupport::ReadFileBytes(BuiltClient()) + marker },
        { L"Utils.dll", testsupport::ReadFileBytes(BuiltFile(L"Utils.dll")) + marker },
        { L"update.exe", testsupport::ReadFileBytes(BuiltFile(L"update.exe")) + marker },
        { L"upflag.ini", inst.Read(L"upflag.ini") },
    };
    const std::string host = testsupport::Narrow(nettest::Host());
    std::string manifest = "[UPDATE]\r\nVERSION=1.0.1.2\r\nTYPE=0\r\n[STRATEGY]\r\nPROVINCE=\r\nCITY=\r\n"
                           "PERCENT=\r\nTIME=\r\nOS=\r\n[FILES]\r\nCOUNT=" + std::to_string(files.size() + 1) + "\r\n";
    ::CreateDirectoryW((nettest::Root() + L"1.0.1.2").c_str(), NULL);
    for (size_t i = 0; i < files.size(); ++i) {
        testsupport::WriteFileBytes(nettest::Root() + L"1.0.1.2\\" + files[i].name, files[i].bytes);
        manifest += "FILE" + std::to_string(i) + "=" + host + "/1.0.1.2/" + testsupport::Narrow(files[i].name) +
                    ";" + Md5(files[i].bytes) + ";\\\r\n";
    }
    // server.ini is listed unchanged: it is not fetched.
    const std::string serverIni = inst.Read(L"server.ini");
    testsupport::WriteFileBytes(nettest::Root() + L"1.0.1.2\\server.ini", serverIni);
    manifest += "FILE" + std::to_string(files.size()) + "=" + host + "/1.0.1.2/server.ini;" + Md5(serverIni) + ";\\\r\n";
    testsupport::WriteFileBytes(nettest::Root() + L"update.ini", manifest);
    const std::string oldLocal = inst.Read(L"Local.ini");
    const std::string oldClient = inst.Read(L"tevela.exe");

    // Launch 1.
    PROCESS_INFORMATION first = inst.Start(L"");
    ASSERT_TRUE(inst.WaitMainWindow(first.dwProcessId) != NULL);
    EXPECT_TRUE(WaitRequest(StatPath("client_start")));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return inst.Has(L"updatefiles.dat"); }, 60000))
        << inst.Listing() << testing::PrintToString(nettest::Requests());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return inst.ProcessesFromHere(L"update.exe").empty(); }, 30000));
    EXPECT_EQ(4u + 520u * 4u, inst.Read(L"updatefiles.dat").size());
    for (const NewFile& f : files) {
        const std::wstring pending = std::wstring(f.name) + L".new";
        EXPECT_EQ(f.bytes, inst.Read(pending.c_str())) << testsupport::Narrow(f.name);
        EXPECT_EQ(1, Requests("/1.0.1.2/" + testsupport::Narrow(f.name))) << testsupport::Narrow(f.name);
    }
    EXPECT_EQ(0, Requests("/1.0.1.2/server.ini"));
    EXPECT_EQ(oldLocal, inst.Read(L"Local.ini"));
    EXPECT_EQ(oldClient, inst.Read(L"tevela.exe"));
    EXPECT_TRUE(inst.MainWindow(first.dwProcessId) != NULL) << "the client keeps running during launch 1";
    EXPECT_EQ(0u, ExitClient(inst, first));
    EXPECT_EQ(1, Requests(StatPath("client_exit")));

    // Launch 2: the client hands over and ends; the updater swaps and starts
    // the new client, whose own check finds nothing newer.
    nettest::ClearLog();
    PROCESS_INFORMATION second = inst.Start(L"");
    EXPECT_EQ(0u, Installation::WaitExit(second, 15000));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !inst.Has(L"updatefiles.dat") && inst.MainWindow() != NULL; },
                                       60000));
    EXPECT_TRUE(WaitRequest("/update.ini"));
    EXPECT_EQ(manifest, inst.Read(L"Local.ini"));
    for (const NewFile& f : files) {
        EXPECT_EQ(f.bytes, inst.Read(f.name)) << testsupport::Narrow(f.name);
        EXPECT_FALSE(inst.Has((std::wstring(f.name) + L".new").c_str()));
        // The running updater holds its own exe and Utils.dll, so their
        // backups cannot go while it swaps; every other backup is gone.
        const bool heldByUpdater = wcscmp(f.name, L"update.exe") == 0 || wcscmp(f.name, L"Utils.dll") == 0;
        if (!heldByUpdater) {
            EXPECT_FALSE(inst.Has((std::wstring(f.name) + L".old").c_str())) << testsupport::Narrow(f.name);
        }
    }
    // The new client's own check fetched the manifest again, and found it current.
    EXPECT_EQ(manifest, inst.Read(L"update.ini"));
    EXPECT_EQ(serverIni, inst.Read(L"server.ini"));
    // The running client is the new one.
    std::vector<DWORD> clients = inst.ProcessesFromHere(L"tevela.exe");
    ASSERT_EQ(1u, clients.size());
    testsupport::PumpFor(2000);
    for (const NewFile& f : files)
        EXPECT_EQ(0, Requests("/1.0.1.2/" + testsupport::Narrow(f.name))) << "nothing fetched again";
    HWND w = inst.MainWindow(clients[0]);
    ASSERT_TRUE(w != NULL);
    ::PostMessageW(w, 0x4515, 2, 0);
    HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, clients[0]);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(h, 15000));
    ::CloseHandle(h);
}

} // namespace
