// The client's parts without a window: the statistics request against the
// local server (and against servers that stall or trickle), the start-mode
// words and guard, the update check on its worker and its limits against
// manifest and location servers that stall, trickle or answer hundreds of
// megabytes, and the elevation decision through its system seam.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "Elevation.h"
#include "NetTestEnv.h"
#include "SlowServers.h"
#include "StartMode.h"
#include "TestSupport.h"
#include "UpdateCheck.h"
#include "WinHttpRequest.h"

namespace {

// ---------------------------------------------------------------------------
// CWinHttpRequest
// ---------------------------------------------------------------------------
class StatRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nettest::Available()) << "run through run_with_server.py";
        nettest::Reset();
    }
};

TEST_F(StatRequest, UrlParts)
{
    struct Case {
        const wchar_t* url;
        bool ok;
        const wchar_t* host;
        unsigned short port;
        const wchar_t* path;
    } cases[] = {
        { L"http://stat.example/src=client&seq=AB&channelid=t01&id=client_start", true, L"stat.example", 80,
          L"/src=client&seq=AB&channelid=t01&id=client_start" },
        { L"http://127.0.0.1:8123/a?b=c#d", true, L"127.0.0.1", 8123, L"/a?b=c#d" },
        { L"http://h", false, L"h", 80, L"" },
        { L"stat.example/src=client", false, L"", 0, L"" },
        { L"", false, L"", 0, L"" },
    };
    for (const Case& c : cases) {
        CWinHttpRequest request;
        EXPECT_EQ(c.ok, request.SetUrl(c.url)) << testsupport::Narrow(c.url);
        if (c.ok) {
            EXPECT_EQ(c.host, request.GetHost());
            EXPECT_EQ(c.port, request.GetPort());
            EXPECT_EQ(c.path, request.GetPath());
        }
    }
    CWinHttpRequest request;
    EXPECT_EQ(53u, request.GetHeaders().size());
    EXPECT_EQ(L"Content-Type: application/octet-stream\r\nAccept: */*\r\n", request.GetHeaders());
}

TEST_F(StatRequest, OnlyADirect200Counts)
{
    struct Case {
        const char* rule;   // the server's answer to /stat
        bool ok;
        std::string answer;
    } cases[] = {
        { "{\"path\": \"/stat\", \"status\": 200, \"body\": \"\"}", true, "" },
        { "{\"path\": \"/stat\", \"status\": 200, \"body_hex\": \"6162006364\"}", true, "ab" },
        { "{\"path\": \"/stat\", \"status\": 204}", false, "" },
        { "{\"path\": \"/stat\", \"status\": 500}", false, "" },
        { "{\"path\": \"/stat\", \"status\": 302, \"headers\": {\"Location\": \"/ok\"}}", false, "" },
        { "{\"path\": \"/stat\", \"drop\": true}", false, "" },
    };
    testsupport::WriteFileBytes(nettest::Root() + L"ok", "fine");
    for (const Case& c : cases) {
        nettest::SetScript(std::string("{\"rules\": [") + c.rule + "]}");
        CWinHttpRequest request;
        ASSERT_TRUE(request.SetUrl(L"http://" + nettest::Host() + L"/stat"));
        std::string answer;
        EXPECT_EQ(c.ok, request.Get(answer)) << c.rule;
        EXPECT_EQ(c.answer, answer) << c.rule;
    }
    // The redirect was not followed.
    EXPECT_EQ(0, nettest::CountRequests("/ok"));
}

TEST_F(StatRequest, ThePathReachesTheServerVerbatim)
{
    const std::wstring path = L"/src=client&seq=00AABBCCDDEE&channelid=t01&id=client_start";
    nettest::SetScript("{\"rules\": [{\"prefix\": \"/src=\", \"status\": 200, \"body\": \"\"}]}");
    CWinHttpRequest request;
    ASSERT_TRUE(request.SetUrl(L"http://" + nettest::Host() + path));
    std::string answer;
    EXPECT_TRUE(request.Get(answer));
    EXPECT_EQ(1, nettest::CountRequests(testsupport::Narrow(path)));
}

TEST_F(StatRequest, ABodyCutShortIsAFailure)
{
    nettest::SetScript("{\"rules\": [{\"path\": \"/stat\", \"status\": 200, \"body\": \"abcdefgh\", \"truncate\": 3}]}");
    CWinHttpRequest request;
    ASSERT_TRUE(request.SetUrl(L"http://" + nettest::Host() + L"/stat"));
    std::string answer;
    EXPECT_FALSE(request.Get(answer));
}

// A host that accepts and then stalls or trickles ends the request at its
// overall deadline (5 s by default); a caller that does not wait returns at once.
TEST_F(StatRequest, AStalledOrTricklingHostEndsAtTheDeadline)
{
    for (slowserver::Kind kind : { slowserver::STALL, slowserver::TRICKLE }) {
        slowserver::Server server(kind);
        CWinHttpRequest request;
        ASSERT_TRUE(request.SetUrl(L"http://" + server.Url(L"/src=client&id=client_start")));
        std::string answer;
        DWORD start = ::GetTickCount();
        EXPECT_FALSE(request.Get(answer)) << slowserver::Name(kind);
        EXPECT_GE(::GetTickCount() - start, 4000u) << slowserver::Name(kind);
        EXPECT_LT(::GetTickCount() - start, 7000u) << slowserver::Name(kind);

        CWinHttpRequest unwaited;
        ASSERT_TRUE(unwaited.SetUrl(L"http://" + server.Url(L"/src=client&id=client_start")));
        unwaited.SetDeadline(2000, 0);
        start = ::GetTickCount();
        EXPECT_FALSE(unwaited.Get(answer));
        EXPECT_LT(::GetTickCount() - start, 500u);
        // It was sent all the same.
        EXPECT_TRUE(testsupport::PumpUntil([&] { return server.Connections() >= 2; }, 3000));
    }
}

TEST_F(StatRequest, AnUnwaitedRequestStillReachesTheHost)
{
    nettest::SetScript("{\"rules\": [{\"prefix\": \"/src=\", \"status\": 200, \"body\": \"\"}]}");
    CWinHttpRequest request;
    ASSERT_TRUE(request.SetUrl(L"http://" + nettest::Host() + L"/src=client&id=client_start"));
    request.SetDeadline(5000, 0);
    std::string answer;
    EXPECT_FALSE(request.Get(answer));
    EXPECT_TRUE(testsupport::PumpUntil([] { return nettest::CountRequests("/src=client&id=client_start") == 1; }, 3000));
}

TEST_F(StatRequest, NoServerOrNoUrlFailsAtOnce)
{
    CWinHttpRequest none;
    std::string answer;
    EXPECT_FALSE(none.Get(answer)) << "no URL set";
    CWinHttpRequest closed;
    ASSERT_TRUE(closed.SetUrl(L"http://127.0.0.1:9/src=client"));   // discard port: nothing listens
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(closed.Get(answer));
    EXPECT_LT(::GetTickCount() - start, 5000u);
}

// ---------------------------------------------------------------------------
// CStartMode
// ---------------------------------------------------------------------------
class RecordingObserver : public IStartObserver {
public:
    std::atomic<int> calls{ 0 };
    std::atomic<int> lastUpdate{ -1 };
    int OnStartMode(int, int nUpdate) override
    {
        ++calls;
        lastUpdate = nUpdate;
        return 0;
    }
};

// A unique guard name per check: the guard stays owned by this process.
std::wstring UniqueAppName(const char* tag)
{
    static int n = 0;
    return L"startmode_" + testsupport::Widen(tag) + std::to_wstring(::GetCurrentProcessId()) + L"_" +
           std::to_wstring(++n) + L".exe";
}

TEST(StartModeParse, Words)
{
    struct Case {
        const wchar_t* cmdLine;
        int type;
    } cases[] = {
        { L"", START_NORMAL },        { L"normal", START_NORMAL },       { L"foo", START_NORMAL },
        { L"   ", START_NORMAL },     { L"bootstart", START_BOOT },      { L"webstart", START_WEB },
        { L"updateok x", START_UPDATE_OK }, { L"  updatefail", START_UPDATE_FAIL },
        { L"Normal", START_NORMAL },  { L"webstart2", START_NORMAL },
    };
    for (const Case& c : cases) {
        RecordingObserver observer;
        CStartMode mode(&observer);
        EXPECT_EQ(c.type, mode.Parse(c.cmdLine, UniqueAppName("w").c_str())) << testsupport::Narrow(c.cmdLine);
        EXPECT_EQ(c.type, mode.GetStartType());
        EXPECT_EQ(0, observer.calls.load());
    }
}

TEST(StartModeParse, AHeldGuardOrAWindowOfTheAppNameRefusesTheStart)
{
    const std::wstring app = UniqueAppName("g");
    {
        RecordingObserver observer;
        CStartMode first(&observer);
        EXPECT_EQ(START_WEB, first.Parse(L"webstart", app.c_str()));
    }
    // The guard outlives its CStartMode: a later start in any process is refused.
    RecordingObserver observer;
    CStartMode second(&observer);
    EXPECT_EQ(START_OTHER_INSTANCE, second.Parse(L"bootstart", app.c_str()));
    EXPECT_EQ(1, observer.calls.load());
    EXPECT_EQ(0, observer.lastUpdate.load());
    EXPECT_EQ(START_BOOT, second.GetStartType());

    // Another process sees the same guard ("Global\" name).
    std::wstring name = L"Global\\" + app;
    HANDLE h = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_TRUE(h != NULL);
    if (h != NULL)
        ::CloseHandle(h);

    // A window titled with the app name counts as a running instance.
    const std::wstring titled = UniqueAppName("t");
    HWND wnd = ::CreateWindowExW(0, L"STATIC", titled.c_str(), WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(wnd != NULL);
    RecordingObserver byWindow;
    CStartMode third(&byWindow);
    EXPECT_EQ(START_OTHER_INSTANCE, third.Parse(L"normal", titled.c_str()));
    EXPECT_EQ(1, byWindow.calls.load());
    ::DestroyWindow(wnd);
}

// The update check's view of the machine. With a gate, the worker waits in
// its first question until the test opens the gate.
class CountingEnv : public IUpdateCheckEnv {
public:
    GString folder;
    HANDLE gate = NULL;
    GString InstallFolder() override
    {
        if (gate != NULL)
            ::WaitForSingleObject(gate, 10000);
        return folder;
    }
    GString IpLocationHost() override { return GString(nettest::Host()); }
    int LocalHour() override { return 12; }
    unsigned int NowSeconds() override { return 1; }
    void SeedRandom(unsigned int) override {}
    int Random() override { return 0; }
    int OsVersion() override { return 61; }
    bool EnableLua() override { return false; }
    bool FolderWritable(const GString&) override { return true; }
};

const char kDueManifest[] = "[UPDATE]\r\nVERSION=1.0.1.2\r\nTYPE=0\r\n[STRATEGY]\r\n[FILES]\r\nCOUNT=0\r\n";

TEST(StartModeCheck, ASecondStartReplacesTheValuesButStartsNoSecondWorker)
{
    ASSERT_TRUE(nettest::Available());
    nettest::Reset();
    testsupport::WriteFileBytes(nettest::Root() + L"due.ini", kDueManifest);
    const std::wstring dir = testsupport::MakeTempDir(L"startmode");
    CountingEnv env;
    env.folder = GString(dir.substr(0, dir.size() - 1));
    env.gate = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    RecordingObserver observer;
    {
        CStartMode mode(&observer);
        mode.SetUpdateCheckEnv(&env);
        EXPECT_TRUE(mode.StartUpdateCheck(GString(nettest::Host() + L"/none.ini"), GString(dir + L"a.ini"),
                                          GString(L"9.9.9.9")));
        EXPECT_TRUE(mode.StartUpdateCheck(GString(nettest::Host() + L"/due.ini"), GString(dir + L"Local.ini"),
                                          GString(L"1.0.1.1")));
        EXPECT_EQ(GString(nettest::Host() + L"/due.ini"), mode.GetServerUrl());
        EXPECT_EQ(GString(dir + L"Local.ini"), mode.GetLocalIniPath());
        EXPECT_EQ(GString(L"1.0.1.1"), mode.GetLocalVersion());
        ::SetEvent(env.gate);
        mode.StopUpdateCheck();
    }
    // One worker, which ran with the second call's values.
    EXPECT_EQ(1, observer.calls.load());
    EXPECT_EQ(1, observer.lastUpdate.load());
    EXPECT_EQ(1, nettest::CountRequests("/due.ini"));
    EXPECT_EQ(0, nettest::CountRequests("/none.ini"));
    ::CloseHandle(env.gate);
    testsupport::RemoveTree(dir);
}

TEST(StartModeCheck, AnUpdateDueReachesTheObserverWithFlag1)
{
    ASSERT_TRUE(nettest::Available());
    nettest::Reset();
    testsupport::WriteFileBytes(nettest::Root() + L"due.ini", kDueManifest);
    testsupport::WriteFileBytes(nettest::Root() + L"same.ini",
                                "[UPDATE]\r\nVERSION=1.0.1.1\r\nTYPE=0\r\n[STRATEGY]\r\n[FILES]\r\nCOUNT=0\r\n");
    const std::wstring dir = testsupport::MakeTempDir(L"startmode");
    CountingEnv env;
    env.folder = GString(dir.substr(0, dir.size() - 1));
    struct Case {
        const wchar_t* manifest;
        int calls;
    } cases[] = { { L"/due.ini", 1 }, { L"/same.ini", 0 }, { L"/missing.ini", 0 } };
    for (const Case& c : cases) {
        RecordingObserver observer;
        CStartMode mode(&observer);
        mode.SetUpdateCheckEnv(&env);
        mode.StartUpdateCheck(GString(nettest::Host() + c.manifest), GString(dir + L"Local.ini"),
                              GString(L"1.0.1.1"));
        mode.StopUpdateCheck();
        EXPECT_EQ(c.calls, observer.calls.load()) << testsupport::Narrow(c.manifest);
        if (c.calls > 0) {
            EXPECT_EQ(1, observer.lastUpdate.load());
        }
    }
    testsupport::RemoveTree(dir);
}

// ---------------------------------------------------------------------------
// The update check against servers that misbehave
// ---------------------------------------------------------------------------
class HostEnv : public CountingEnv {
public:
    std::wstring host;
    GString IpLocationHost() override { return GString(host); }
};

struct CheckRun {
    GString url;
    GString localIni;
    HostEnv* env;
    CUpdateCheckAbort* abort;
    int result = 99;
};

DWORD WINAPI RunCheck(LPVOID p)
{
    CheckRun* run = static_cast<CheckRun*>(p);
    UpdateStrategy strategy;
    run->result = CheckForUpdate(run->url, run->localIni, strategy, GString(L"1.0.1.1"), run->env, run->abort);
    return 0;
}

// Whatever the manifest server does, an abort from another thread ends the
// check at once; a huge manifest ends it by itself at the size cap.
TEST(UpdateCheckLimits, AnAbortEndsTheCheckAtOnceAndHugeManifestsStopAtTheCap)
{
    const std::wstring dir = testsupport::MakeTempDir(L"checklimits");
    HostEnv env;
    env.folder = GString(dir.substr(0, dir.size() - 1));
    for (slowserver::Kind kind :
         { slowserver::STALL, slowserver::TRICKLE, slowserver::HUGE_LENGTH, slowserver::HUGE_STREAM }) {
        slowserver::Server server(kind);
        CUpdateCheckAbort abort;
        CheckRun run;
        run.url = GString(server.Url(L"/update.ini"));
        run.localIni = GString(dir + L"Local.ini");
        run.env = &env;
        run.abort = &abort;
        HANDLE worker = ::CreateThread(NULL, 0, &RunCheck, &run, 0, NULL);
        ASSERT_TRUE(worker != NULL);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return server.Connections() > 0; }, 5000)) << slowserver::Name(kind);
        ::Sleep(300);
        const DWORD start = ::GetTickCount();
        abort.Abort();
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(worker, 1000)) << slowserver::Name(kind);
        EXPECT_LT(::GetTickCount() - start, 1000u) << slowserver::Name(kind);
        ::WaitForSingleObject(worker, INFINITE);
        ::CloseHandle(worker);
        EXPECT_EQ(-1, run.result) << slowserver::Name(kind);
        EXPECT_FALSE(testsupport::FileExists(dir + L"update.ini")) << slowserver::Name(kind);
        EXPECT_TRUE(abort.IsAborted());
    }
    for (slowserver::Kind kind : { slowserver::HUGE_LENGTH, slowserver::HUGE_STREAM }) {
        slowserver::Server server(kind);
        UpdateStrategy strategy;
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(-1, CheckForUpdate(GString(server.Url(L"/update.ini")), GString(dir + L"Local.ini"), strategy,
                                     GString(L"1.0.1.1"), &env))
            << slowserver::Name(kind);
        EXPECT_LT(::GetTickCount() - start, 10000u) << slowserver::Name(kind);
        EXPECT_FALSE(testsupport::FileExists(dir + L"update.ini")) << slowserver::Name(kind);
    }
    testsupport::RemoveTree(dir);
}

// Only a short, one-line province and city are kept; a huge reply is no answer.
TEST(UpdateCheckLimits, TheLocationReplyIsCappedAndValidated)
{
    ASSERT_TRUE(nettest::Available());
    nettest::Reset();
    const std::wstring dir = testsupport::MakeTempDir(L"location");
    HostEnv env;
    env.folder = GString(dir.substr(0, dir.size() - 1));
    env.host = nettest::Host();
    auto reply = [](const std::string& province, const std::string& city) {
        return "{\"code\":\"A00000\",\"data\":{\"province\":\"" + province + "\",\"city\":\"" + city + "\"}}";
    };
    struct Case {
        const char* what;
        std::string body;
        bool answer;
    } cases[] = {
        { "plain", reply("Hebei", "Baoding"), true },
        { "64 bytes", reply(std::string(64, 'p'), "Baoding"), true },
        { "65 bytes", reply(std::string(65, 'p'), "Baoding"), false },
        { "a city of 40 000 bytes", reply("Hebei", std::string(40000, 'c')), false },
        { "a line break", reply("Hebei", "Bao\\r\\n[UPDATE]\\r\\nVERSION=9.9.9.9"), false },
        { "a tab", reply("He\\tbei", "Baoding"), false },
        { "empty", reply("", "Baoding"), false },
    };
    for (const Case& c : cases) {
        ::DeleteFileW((dir + L"localinfo.ini").c_str());
        testsupport::WriteFileBytes(nettest::Root() + L"cityjson", c.body);
        CIniParse info(GString(dir + L"localinfo.ini"));
        GString province, city;
        EXPECT_EQ(c.answer, LookupIpLocation(info, province, city, &env)) << c.what;
        EXPECT_EQ(c.answer, testsupport::FileExists(dir + L"localinfo.ini")) << c.what;
        if (c.answer) {
            EXPECT_LT(testsupport::ReadFileBytes(dir + L"localinfo.ini").size(), 200u) << c.what;
        }
    }
    for (slowserver::Kind kind : { slowserver::HUGE_LENGTH, slowserver::HUGE_STREAM }) {
        slowserver::Server server(kind);
        env.host = server.Url(L"");
        ::DeleteFileW((dir + L"localinfo.ini").c_str());
        CIniParse info(GString(dir + L"localinfo.ini"));
        GString province, city;
        const DWORD start = ::GetTickCount();
        EXPECT_FALSE(LookupIpLocation(info, province, city, &env)) << slowserver::Name(kind);
        EXPECT_LT(::GetTickCount() - start, 5000u) << slowserver::Name(kind);
        EXPECT_FALSE(testsupport::FileExists(dir + L"localinfo.ini")) << slowserver::Name(kind);
    }
    testsupport::RemoveTree(dir);
}

TEST(UpdateCheckLimits, VersionToNumberIsOnePassWithTheSameValue)
{
    // The weights written out: piece i of n carries 255^(n-i).
    auto byWeights = [](const std::vector<unsigned long long>& pieces) {
        unsigned long long sum = 0;
        for (size_t i = 0; i < pieces.size(); ++i) {
            unsigned long long w = 1;
            for (size_t k = 0; k < pieces.size() - i; ++k)
                w *= 255ULL;
            sum += pieces[i] * w;
        }
        return sum;
    };
    struct Case {
        const wchar_t* text;
        std::vector<unsigned long long> pieces;
    } cases[] = {
        { L"1.0.1.1", { 1, 0, 1, 1 } },          { L"..3..", { 3 } },
        { L"4294967295.7", { 4294967295ULL, 7 } }, { L"2.0.0.0.0.0.0.0.0.1", { 2, 0, 0, 0, 0, 0, 0, 0, 0, 1 } },
        { L" 12.x", { 12, 0 } }, { L"", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(byWeights(c.pieces), VersionToNumber(GString(c.text))) << testsupport::Narrow(c.text);
    // A million pieces: the sum of 255^k for k = 1..10^6, modulo 2^64.
    std::wstring longVersion;
    longVersion.reserve(2000000);
    for (int i = 0; i < 1000000; ++i)
        longVersion += i == 0 ? L"1" : L".1";
    unsigned long long expected = 0, power = 1;
    for (int i = 0; i < 1000000; ++i) {
        power *= 255ULL;
        expected += power;
    }
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(expected, VersionToNumber(GString(longVersion.c_str())));
    EXPECT_LT(::GetTickCount() - start, 5000u);
}

TEST(StartModeCheck, ACancelledCheckEndsAtOnceAndHandsOverNothing)
{
    const std::wstring dir = testsupport::MakeTempDir(L"startcancel");
    CountingEnv env;
    env.folder = GString(dir.substr(0, dir.size() - 1));
    for (slowserver::Kind kind : { slowserver::STALL, slowserver::TRICKLE }) {
        slowserver::Server server(kind);
        RecordingObserver observer;
        CStartMode mode(&observer);
        mode.SetUpdateCheckEnv(&env);
        mode.StartUpdateCheck(GString(server.Url(L"/update.ini")), GString(dir + L"Local.ini"), GString(L"1.0.1.1"));
        ASSERT_TRUE(testsupport::PumpUntil([&] { return server.Connections() > 0; }, 5000));
        EXPECT_FALSE(mode.WaitUpdateCheck(200)) << "still downloading";
        const DWORD start = ::GetTickCount();
        mode.CancelUpdateCheck();
        EXPECT_TRUE(mode.WaitUpdateCheck(1000)) << slowserver::Name(kind);
        EXPECT_LT(::GetTickCount() - start, 1000u);
        EXPECT_EQ(0, observer.calls.load());
    }
    testsupport::RemoveTree(dir);
}

// ---------------------------------------------------------------------------
// Elevation
// ---------------------------------------------------------------------------
struct FakeSystem {
    static bool admin;
    static bool uac;
    static BOOL started;
    static DWORD error;
    static int calls;
    static SHELLEXECUTEINFOW seen;
    static std::wstring verb, file, params;
    static bool IsAdmin() { return admin; }
    static bool IsUac() { return uac; }
    static BOOL WINAPI Execute(SHELLEXECUTEINFOW* info)
    {
        ++calls;
        seen = *info;
        verb = info->lpVerb ? info->lpVerb : L"";
        file = info->lpFile ? info->lpFile : L"";
        params = info->lpParameters ? info->lpParameters : L"";
        info->hProcess = started ? ::OpenProcess(SYNCHRONIZE, FALSE, ::GetCurrentProcessId()) : NULL;
        ::SetLastError(error);
        return started;
    }
};
bool FakeSystem::admin;
bool FakeSystem::uac;
BOOL FakeSystem::started;
DWORD FakeSystem::error;
int FakeSystem::calls;
SHELLEXECUTEINFOW FakeSystem::seen;
std::wstring FakeSystem::verb, FakeSystem::file, FakeSystem::params;

TEST(Elevation, DecisionTable)
{
    const ElevationApi api = { &FakeSystem::IsAdmin, &FakeSystem::IsUac, &FakeSystem::Execute };
    struct Case {
        bool admin, uac;
        BOOL started;
        DWORD error;
        int result;
        bool relaunched;
    } cases[] = {
        { true, true, TRUE, 0, RELAUNCH_GO_ON, false },
        { true, false, TRUE, 0, RELAUNCH_GO_ON, false },
        { false, false, TRUE, 0, RELAUNCH_GO_ON, false },   // also Windows before Vista
        { false, true, TRUE, 0, RELAUNCH_STARTED, true },
        { false, true, FALSE, ERROR_CANCELLED, RELAUNCH_REFUSED, true },
        { false, true, FALSE, ERROR_FILE_NOT_FOUND, RELAUNCH_REFUSED, true },
        { false, true, FALSE, ERROR_ACCESS_DENIED, RELAUNCH_GO_ON, true },
    };
    for (const Case& c : cases) {
        FakeSystem::admin = c.admin;
        FakeSystem::uac = c.uac;
        FakeSystem::started = c.started;
        FakeSystem::error = c.error;
        FakeSystem::calls = 0;
        EXPECT_EQ(c.result, RelaunchElevatedIfNeeded(&api)) << c.admin << c.uac << c.error;
        EXPECT_EQ(c.relaunched ? 1 : 0, FakeSystem::calls);
    }
    // The relaunch: "runas" on the own exe with the whole command line.
    wchar_t self[MAX_PATH] = { 0 };
    ::GetModuleFileNameW(NULL, self, MAX_PATH);
    EXPECT_EQ(sizeof(SHELLEXECUTEINFOW), FakeSystem::seen.cbSize);
    EXPECT_EQ(0x440u, FakeSystem::seen.fMask);
    EXPECT_EQ(L"runas", FakeSystem::verb);
    EXPECT_EQ(std::wstring(self), FakeSystem::file);
    EXPECT_EQ(std::wstring(::GetCommandLineW()), FakeSystem::params);
    EXPECT_EQ(SW_SHOW, FakeSystem::seen.nShow);
    EXPECT_TRUE(FakeSystem::seen.lpDirectory == NULL);
}

TEST(Elevation, WineRunsTheTestsAsAnAdministratorWithoutUac)
{
    // What the real system answers here; the relaunch never runs under Wine.
    EXPECT_TRUE(IsUserAdmin());
    EXPECT_FALSE(IsUacEnabled());
    EXPECT_EQ(RELAUNCH_GO_ON, RelaunchElevatedIfNeeded());
}

} // namespace
