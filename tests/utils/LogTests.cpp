// LogStream, Logger, glog and the wide-text log helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "ClientLog.h"
#include "TestSupport.h"
#include "Utils.h"

namespace {

std::vector<std::string> g_captured;
CRITICAL_SECTION g_captureLock;
bool g_captureInit = false;

void Capture(const char* line, int len)
{
    EnterCriticalSection(&g_captureLock);
    g_captured.push_back(std::string(line, (size_t)len));
    LeaveCriticalSection(&g_captureLock);
}

class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!g_captureInit)
        {
            InitializeCriticalSection(&g_captureLock);
            g_captureInit = true;
        }
        g_captured.clear();
        glog::setDefaultOutput(&Capture);
    }
    void TearDown() override
    {
        glog::release();
        glog::setDefaultOutput(NULL);
        Logger::logLevel = 2;
    }
};

// Files of the folder (names) matching base*, in name order.
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(fd.cFileName);
    while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LogStreamTest, OnlyWholePiecesThatFitAreAppended)
{
    LogStream s;
    EXPECT_EQ(4000, s.avail());
    s << "n=" << 42 << " u=" << 4000000000UL << " p=" << reinterpret_cast<const void*>(0x1A2B) << " "
      << std::string("str") << " " << -7 << " " << (const char*)NULL;
    EXPECT_EQ(std::string("n=42 u=4000000000 p=0x1A2B str -7 (null)"), std::string(s.data(), s.length()));

    // A piece as long as the free room (or longer) is dropped whole; the line goes on.
    LogStream t;
    t << "head ";
    t << std::string((size_t)t.avail(), 'x');
    t << std::string(4001, 'y');
    t << "tail";
    EXPECT_EQ(std::string("head tail"), std::string(t.data(), t.length()));
    // The largest piece that fits leaves one byte free.
    LogStream u;
    u << std::string(3999, 'z');
    EXPECT_EQ(3999, u.length());
    u << 1;
    EXPECT_EQ(3999, u.length());
}

TEST_F(LogTest, LinesBeforeInstanceGoToTheDefaultOutput)
{
    LOG_INFO << "update.exe cmdline:" << GString(L"tevela.exe 0");
    ASSERT_EQ(1u, g_captured.size());
    const std::string& line = g_captured[0];
    EXPECT_NE(std::string::npos, line.find(" INFO update.exe cmdline:tevela.exe 0 - ")) << line;
    EXPECT_EQ(std::string::npos, line.find('/')) << "the tag is the text after the last '/'";
    EXPECT_NE(std::string::npos, line.find("LogTests.cpp:")) << line;
    EXPECT_EQ("\r\n", line.substr(line.size() - 2));
}

TEST_F(LogTest, NothingIsBuiltAboveInfo)
{
    int evaluated = 0;
    auto sideEffect = [&evaluated]() { ++evaluated; return "x"; };
    Logger::logLevel = 3;
    LOG_INFO << sideEffect();
    Logger::logLevel = 2;
    EXPECT_EQ(0, evaluated);
    EXPECT_TRUE(g_captured.empty());
    LOG_INFO << sideEffect();
    EXPECT_EQ(1, evaluated);
    EXPECT_EQ(1u, g_captured.size());

    // The macro nests under if/else as written.
    bool elseTaken = false;
    if (evaluated == 0)
        LOG_INFO << "never";
    else
        elseTaken = true;
    EXPECT_TRUE(elseTaken);
}

TEST_F(LogTest, FileLogRollsAndKeepsEveryLineInOrder)
{
    const std::wstring dir = testsupport::MakeTempDir(L"logroll");
    const std::string base = testsupport::Narrow(dir) + "Update";
    const int roll = 4096;
    glog::instance(base, roll);
    EXPECT_FALSE(glog::currentFile().empty());
    for (int i = 0; i < 200; ++i)
        LOG_INFO << "line " << i << " " << std::string(40, 'a' + (i % 26));
    glog::release();
    LOG_INFO << "update end!";  // after release: the default output again
    ASSERT_EQ(1u, g_captured.size());
    EXPECT_NE(std::string::npos, g_captured[0].find("update end!"));

    std::vector<std::wstring> files = ListFiles(dir, L"Update_*.log");
    ASSERT_GE(files.size(), 3u) << "200 lines of ~100 bytes at a 4096-byte roll";
    std::string all;
    for (const std::wstring& name : files)
    {
        std::string bytes = testsupport::ReadFileBytes(dir + name);
        EXPECT_LE(bytes.size(), (size_t)roll) << testsupport::Narrow(name);
        EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2));
        all += bytes;
    }
    // Names sort in the order the files were written.
    size_t pos = 0;
    for (int i = 0; i < 200; ++i)
    {
        std::string want = "INFO line " + std::to_string(i) + " ";
        size_t at = all.find(want, pos);
        ASSERT_NE(std::string::npos, at) << want;
        pos = at;
    }
    testsupport::RemoveTree(dir);
}

TEST_F(LogTest, ConcurrentLinesStayWhole)
{
    const std::wstring dir = testsupport::MakeTempDir(L"logthreads");
    glog::instance(testsupport::Narrow(dir) + "T", 0x100000);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t]() {
            for (int i = 0; i < 150; ++i)
                LOG_INFO << "worker " << t << " item " << i << " " << std::string(60, 'q');
        });
    for (std::thread& th : threads)
        th.join();
    glog::release();
    std::vector<std::wstring> files = ListFiles(dir, L"T_*.log");
    ASSERT_EQ(1u, files.size());
    std::string all = testsupport::ReadFileBytes(dir + files[0]);
    int lines = 0;
    size_t pos = 0;
    while (pos < all.size())
    {
        size_t end = all.find("\r\n", pos);
        ASSERT_NE(std::string::npos, end);
        std::string line = all.substr(pos, end - pos);
        EXPECT_NE(std::string::npos, line.find(" INFO worker ")) << line;
        EXPECT_NE(std::string::npos, line.find(std::string(60, 'q') + " - LogTests.cpp:")) << line;
        ++lines;
        pos = end + 2;
    }
    EXPECT_EQ(600, lines);
    testsupport::RemoveTree(dir);
}

TEST(ClientLogTest, AsciiPathGoesIntoTheLineByteForByte)
{
    EXPECT_EQ(std::string("C:\\Yexo\\update.exe"), GStringToStdString(GString(L"C:\\Yexo\\update.exe")));
    EXPECT_EQ(std::string(), GStringToStdString(GString()));
    LogStream s;
    s << "strUpdateExe=" << GString(L"C:\\Yexo\\update.exe") << " strExeName=" << GString(L"tevela.exe") << " 0";
    EXPECT_EQ(std::string("strUpdateExe=C:\\Yexo\\update.exe strExeName=tevela.exe 0"),
              std::string(s.data(), s.length()));
}

TEST(ClientLogTest, TooLongTextIsLeftOutWhole)
{
    LogStream s;
    s << "a ";
    s << GString(std::wstring(4001, L'p'));
    s << " b";
    EXPECT_EQ(std::string("a  b"), std::string(s.data(), s.length()));
    LogStream t;
    t << GString(std::wstring(3999, L'p'));
    EXPECT_EQ(3999, t.length());
}

TEST(GbkTest, ChinesePathIsWrittenWholeInTheAnsiCodePage)
{
    ASSERT_EQ(936u, GetACP()) << "run with WINE_RUN_LANG=zh_CN.UTF-8";
    const GString path(L"C:\\\x5a31\x4e50\\tevela.exe");  // C:\娱乐\tevela.exe
    EXPECT_EQ(std::string("C:\\\xD3\xE9\xC0\xD6\\tevela.exe"), GStringToStdString(path));
    LogStream s;
    s << "p=" << path;
    EXPECT_EQ(std::string("p=C:\\\xD3\xE9\xC0\xD6\\tevela.exe"), std::string(s.data(), s.length()));
    // A character GBK lacks (Thai ko kai) ends the converted text there.
    EXPECT_EQ(std::string("ab\xD6\xD0"), GStringToStdString(GString(L"ab\x4e2d\x0e01" L"cd")));
}

TEST(ClientLogTest, UnconvertibleCharacterEndsTheText)
{
    // Thai ko kai is in neither code page 1252 nor 936.
    EXPECT_EQ(std::string("ab"), GStringToStdString(GString(L"ab\x0e01" L"cd")));
}

} // namespace
