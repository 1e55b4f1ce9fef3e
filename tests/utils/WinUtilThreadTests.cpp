// WinUtil's file-system and process helpers, and Thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Utils.h"

namespace {

std::wstring Helper() { return testsupport::ExeDir() + L"utils_helper.exe"; }

class WinUtilTest : public ::testing::Test
{
protected:
    void SetUp() override { m_dir = testsupport::MakeTempDir(L"winutil"); }
    void TearDown() override { testsupport::RemoveTree(m_dir); }
    std::wstring m_dir;
};

TEST_F(WinUtilTest, ModulePathAndName)
{
    const GString path = WinUtil::GetModulePath();
    const GString name = WinUtil::GetModuleName();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(L'\\', path.at(path.length() - 1));
    EXPECT_EQ(std::wstring(L"utils_tests.exe"), name.str());
    EXPECT_TRUE(WinUtil::IsPathFileExists(path + L"\\" + name));
}

TEST_F(WinUtilTest, CreateDirCases)
{
    const std::wstring blocker = m_dir + L"afile";
    ASSERT_TRUE(testsupport::WriteFileBytes(blocker, "x"));
    struct Case
    {
        std::wstring folder;
        int want;
    };
    const Case cases[] = {
        {m_dir + L"a\\b\\c", 1},           // nested
        {m_dir + L"a\\b\\c", 1},           // existing
        {m_dir + L"a\\b\\c\\", 1},         // trailing backslash
        {m_dir + L"p/q/r", 1},             // forward slashes
        {m_dir, 1},                        // the temp folder itself
        {blocker, 0},                      // a file of that name
        {blocker + L"\\sub\\deeper", 0},   // a path under a file
        {L"", 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.want, WinUtil::CreateDir(GString(c.folder))) << testsupport::Narrow(c.folder);
        if (c.want)
        {
            EXPECT_TRUE(GetFileAttributesW(c.folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        }
    }
    EXPECT_TRUE(WinUtil::CreateDirectoryPro(GString(m_dir + L"log")));
    EXPECT_FALSE(WinUtil::CreateDirectoryPro(GString(blocker + L"\\log")));
    EXPECT_EQ(std::string("x"), testsupport::ReadFileBytes(blocker));
}

TEST_F(WinUtilTest, ExistenceAndWritableFolder)
{
    EXPECT_TRUE(WinUtil::IsPathFileExists(GString(m_dir)));
    EXPECT_FALSE(WinUtil::IsPathFileExists(GString(m_dir + L"none")));
    EXPECT_FALSE(WinUtil::IsPathFileExists(GString()));
    EXPECT_NE(0, WinUtil::IsPathAccess(GString(m_dir)));
    EXPECT_EQ(0, WinUtil::IsPathAccess(GString(m_dir + L"none")));
    // The probe file is gone afterwards.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((m_dir + L"*.tmp").c_str(), &fd);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

TEST_F(WinUtilTest, MacAddressFormatAndOsCode)
{
    const std::wstring mac = WinUtil::GetMacAddress().str();
    if (!mac.empty())
    {
        ASSERT_EQ(12u, mac.size());
        for (wchar_t c : mac)
            EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')) << testsupport::Narrow(mac);
    }
    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&info));
#pragma GCC diagnostic pop
    const int code = WinUtil::GetOSVersionInt();
    const int known[] = {50, 51, 52, 60, 61, 62, 63, 100};
    EXPECT_NE(std::end(known), std::find(std::begin(known), std::end(known), code)) << code;
    EXPECT_EQ((int)(info.dwMajorVersion * 10 + info.dwMinorVersion), code);
}

TEST_F(WinUtilTest, RunProcess2StartsWithoutWaitingInTheProgramsFolder)
{
    const std::wstring marker = m_dir + L"cwd.bin";
    EXPECT_NE(0, WinUtil::RunProcess2(GString(Helper()), GString(L"cwd \"" + marker + L"\"")));
    ASSERT_TRUE(testsupport::PumpUntil([&]() { return testsupport::ReadFileBytes(marker).size() > 0; }, 20000));
    Sleep(200);
    std::string bytes = testsupport::ReadFileBytes(marker);
    std::wstring cwd((const wchar_t*)bytes.data(), bytes.size() / 2);
    std::wstring exeDir = testsupport::ExeDir();
    exeDir.erase(exeDir.size() - 1);
    EXPECT_EQ(0, lstrcmpiW(exeDir.c_str(), cwd.c_str())) << testsupport::Narrow(cwd);

    const DWORD start = GetTickCount();
    EXPECT_NE(0, WinUtil::RunProcess2(GString(Helper()), GString(L"sleep 3000")));
    EXPECT_LT(GetTickCount() - start, 2500u) << "must not wait for the program";
    WinUtil::KillProcess(GString(L"utils_helper.exe"));

    EXPECT_EQ(0, WinUtil::RunProcess2(GString(m_dir + L"nope.exe"), GString()));
    EXPECT_EQ(0, WinUtil::RunProcess2(GString(), GString()));
}

TEST_F(WinUtilTest, KillProcessEndsEveryInstanceAndWaits)
{
    std::vector<PROCESS_INFORMATION> children;
    for (int i = 0; i < 3; ++i)
    {
        STARTUPINFOW si;
        ZeroMemory(&si, sizeof(si));
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi;
        std::wstring cmd = L"\"" + Helper() + L"\" sleep 60000";
        ASSERT_TRUE(CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
        CloseHandle(pi.hThread);
        children.push_back(pi);
    }
    // Names compare ignoring case.
    EXPECT_TRUE(WinUtil::KillProcess(GString(L"UTILS_HELPER.EXE")));
    for (PROCESS_INFORMATION& pi : children)
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 0)) << "returned before the process ended";
        CloseHandle(pi.hProcess);
    }
    // Nothing of that name left: returns at once.
    EXPECT_TRUE(WinUtil::KillProcess(GString(L"utils_helper.exe")));
}

TEST_F(WinUtilTest, KillProcessNeverEndsTheCaller)
{
    EXPECT_TRUE(WinUtil::KillProcess(WinUtil::GetModuleName()));
    SUCCEED() << "still running";
}

// --- Thread ---------------------------------------------------------------

struct Probe
{
    volatile LONG invokes = 0;
    volatile LONG deleted = 0;
    volatile DWORD threadId = 0;
    volatile LONG finished = 0;
};

class ProbeTask : public FunctorBase
{
public:
    ProbeTask(Probe* p, DWORD sleepMs, bool doThrow = false) : m_p(p), m_sleep(sleepMs), m_throw(doThrow) {}
    ~ProbeTask() override { InterlockedIncrement(&m_p->deleted); }
    void Invoke() override
    {
        InterlockedIncrement(&m_p->invokes);
        m_p->threadId = GetCurrentThreadId();
        Sleep(m_sleep);
        m_p->finished = 1;
        if (m_throw)
            throw 42;
    }

private:
    Probe* m_p;
    DWORD m_sleep;
    bool m_throw;
};

TEST(ThreadTest, StartedFlagIsTheFirstMember)
{
    Thread t;
    EXPECT_FALSE(t.m_started);
    EXPECT_EQ(reinterpret_cast<void*>(&t), reinterpret_cast<void*>(&t.m_started));
}

TEST(ThreadTest, InvokeRunsOnceOnANewThreadAndStopJoins)
{
    Probe p;
    {
        Thread t;
        t.SetTask(new ProbeTask(&p, 300));
        ASSERT_TRUE(t.CreateTask());
        EXPECT_FALSE(t.CreateTask()) << "one worker at a time";
        t.Stop();
        EXPECT_EQ(1, p.finished) << "Stop returned before the task ended";
        EXPECT_FALSE(t.IsRunning());
        t.Stop();  // harmless twice
    }
    EXPECT_EQ(1, p.invokes);
    EXPECT_EQ(1, p.deleted) << "the Thread deletes the functor";
    EXPECT_NE(GetCurrentThreadId(), (DWORD)p.threadId);
}

TEST(ThreadTest, NoTaskStartsNothing)
{
    Thread t;
    EXPECT_FALSE(t.CreateTask());
    EXPECT_FALSE(t.IsRunning());
    t.Stop();
}

TEST(ThreadTest, UnstartedTasksAreDeletedToo)
{
    Probe p;
    {
        Thread t;
        t.SetTask(new ProbeTask(&p, 0));
        t.SetTask(new ProbeTask(&p, 0));  // replaces (and deletes) the first
        EXPECT_EQ(1, p.deleted);
    }
    EXPECT_EQ(2, p.deleted);
    EXPECT_EQ(0, p.invokes);
}

TEST(ThreadTest, DestructorJoinsAndAThrowingTaskDoesNotEndTheProcess)
{
    Probe p;
    {
        Thread t;
        t.SetTask(new ProbeTask(&p, 200, true));
        ASSERT_TRUE(t.CreateTask());
    }
    EXPECT_EQ(1, p.finished);
    EXPECT_EQ(1, p.deleted);
}

} // namespace
