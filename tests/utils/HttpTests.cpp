// CHttpClient and WinUtil::Download against the local server (run by
// tests/support_py/run_with_server.py; suites named Net*).
#include <gtest/gtest.h>
#include <winsock2.h>

#include <string>

#include "NetTestEnv.h"
#include "TestSupport.h"
#include "Utils.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

std::string Binary(size_t size, unsigned seed)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        s[i] = (char)(seed >> 16);
    }
    return s;
}

// A port nobody listens on.
int ClosedPort()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, (sockaddr*)&addr, sizeof(addr));
    int len = sizeof(addr);
    getsockname(s, (sockaddr*)&addr, &len);
    closesocket(s);
    return ntohs(addr.sin_port);
}

enum Method { kDownload, kTiny, kWinUtil };
const char* MethodName(Method m) { return m == kDownload ? "Download" : m == kTiny ? "DownloadTinyFile" : "WinUtil"; }

bool Fetch(Method m, const std::wstring& url, const std::wstring& file)
{
    if (m == kWinUtil)
        return WinUtil::Download(GString(url), GString(file));
    CHttpClient http;
    int r = m == kDownload ? http.Download(GString(url), GString(file), GString())
                           : http.DownloadTinyFile(GString(url), GString(file), GString());
    return r == 0;
}

class NetHttpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nettest::Available()) << "run through run_with_server.py";
        nettest::Reset();
        m_dir = testsupport::MakeTempDir(L"http");
        CreateDirectoryW((nettest::Root() + L"files").c_str(), NULL);
    }
    void TearDown() override
    {
        testsupport::RemoveTree(m_dir);
        CHttpClient::SetTimeouts(10000, 10000, 30000, 30000);
    }
    std::wstring Url(const std::wstring& path) { return nettest::Host() + path; }
    std::wstring m_dir;
};

TEST_F(NetHttpTest, DownloadsStoreTheBodyByteForByte)
{
    const std::string body = Binary(700 * 1024 + 3, 7);
    ASSERT_TRUE(WriteFileBytes(nettest::Root() + L"files\\big.bin", body));
    for (Method m : {kDownload, kTiny, kWinUtil})
    {
        const std::wstring target = m_dir + L"big.bin";
        DeleteFileW(target.c_str());
        EXPECT_TRUE(Fetch(m, Url(L"/files/big.bin"), target)) << MethodName(m);
        EXPECT_TRUE(ReadFileBytes(target) == body) << MethodName(m);
        EXPECT_FALSE(testsupport::FileExists(target + L".part")) << MethodName(m);
        // With a scheme, and over an existing file.
        WriteFileBytes(target, "old");
        EXPECT_TRUE(Fetch(m, L"http://" + Url(L"/files/big.bin"), target)) << MethodName(m);
        EXPECT_TRUE(ReadFileBytes(target) == body) << MethodName(m);
    }
    EXPECT_EQ(6, nettest::CountRequests("/files/big.bin"));
}

TEST_F(NetHttpTest, GetReturnsTheBodyUnchanged)
{
    std::string body = "var x = {\"code\":\"A00000\"};\r\n";
    body += std::string("\0\xFF\r\n\x1A", 5);
    body += Binary(10000, 3);
    ASSERT_TRUE(WriteFileBytes(nettest::Root() + L"cityjson", body));
    CHttpClient http;
    gstring got = http.Get(GString(Url(L"/cityjson")), GString());
    EXPECT_EQ(0, http.GetLastResult());
    EXPECT_EQ(200u, http.GetStatusCode());
    EXPECT_TRUE(got.str() == body) << got.length() << " bytes";
}

TEST_F(NetHttpTest, FailuresLeaveNoHalfFileAndTheOldFileIntact)
{
    ASSERT_TRUE(WriteFileBytes(nettest::Root() + L"files\\f.bin", Binary(200000, 9)));
    nettest::SetScript(R"({"rules": [
        {"path": "/files/s500", "status": 500},
        {"path": "/files/s403", "status": 403},
        {"path": "/files/s503", "status": 503, "body": "busy"},
        {"path": "/files/trunc", "body": "0123456789abcdefghij", "truncate": 7},
        {"path": "/files/trunc-big", "body_hex": "00", "status": 200, "times": 0},
        {"path": "/files/drop", "drop": true}
    ]})");
    const std::wstring refused = L"127.0.0.1:" + std::to_wstring(ClosedPort()) + L"/files/f.bin";
    const std::wstring urls[] = {Url(L"/files/missing"), Url(L"/files/s500"), Url(L"/files/s403"),
                                 Url(L"/files/s503"), Url(L"/files/trunc"), Url(L"/files/drop"), refused};
    for (Method m : {kDownload, kTiny, kWinUtil})
        for (const std::wstring& url : urls)
        {
            const std::string what = std::string(MethodName(m)) + " " + testsupport::Narrow(url);
            const std::wstring kept = m_dir + L"kept.bin";
            const std::wstring fresh = m_dir + L"fresh.bin";
            ASSERT_TRUE(WriteFileBytes(kept, "old content"));
            DeleteFileW(fresh.c_str());
            EXPECT_FALSE(Fetch(m, url, kept)) << what;
            EXPECT_EQ(std::string("old content"), ReadFileBytes(kept)) << what;
            EXPECT_FALSE(testsupport::FileExists(kept + L".part")) << what;
            EXPECT_FALSE(Fetch(m, url, fresh)) << what;
            EXPECT_FALSE(testsupport::FileExists(fresh)) << what;
            EXPECT_FALSE(testsupport::FileExists(fresh + L".part")) << what;
        }
    for (const std::wstring& url : urls)
    {
        CHttpClient http;
        EXPECT_TRUE(http.Get(GString(url), GString()).empty()) << testsupport::Narrow(url);
        EXPECT_NE(0, http.GetLastResult()) << testsupport::Narrow(url);
    }
    CHttpClient http;
    EXPECT_EQ(CHttpClient::HTTP_ERR_STATUS, http.Download(GString(Url(L"/files/s500")), GString(m_dir + L"x"), GString()));
    EXPECT_EQ(500u, http.GetStatusCode());
    EXPECT_EQ(CHttpClient::HTTP_ERR_RECEIVE, http.Download(GString(Url(L"/files/trunc")), GString(m_dir + L"x"), GString()));
    EXPECT_EQ(CHttpClient::HTTP_ERR_URL, http.Download(GString(), GString(m_dir + L"x"), GString()));
    EXPECT_EQ(CHttpClient::HTTP_ERR_URL, http.Download(GString(L"ftp://127.0.0.1/x"), GString(m_dir + L"x"), GString()));
}

TEST_F(NetHttpTest, ARetryIsNeverServedFromACache)
{
    const std::string body = Binary(50000, 11);
    ASSERT_TRUE(WriteFileBytes(nettest::Root() + L"files\\c.bin", body));
    nettest::SetScript(R"({"rules": [{"path": "/files/c.bin", "corrupt": true, "times": 1}]})");
    const std::wstring target = m_dir + L"c.bin";
    const GString want = WinUtil::MD5_Data(body.data(), body.size());
    ASSERT_TRUE(Fetch(kDownload, Url(L"/files/c.bin"), target));
    EXPECT_TRUE(WinUtil::MD5_File(GString(target)) != want) << "the first answer is corrupt";
    ASSERT_TRUE(Fetch(kDownload, Url(L"/files/c.bin"), target));
    EXPECT_TRUE(WinUtil::MD5_File(GString(target)) == want);
    EXPECT_EQ(2, nettest::CountRequests("/files/c.bin"));
}

TEST_F(NetHttpTest, TimeOutsBoundASilentServer)
{
    ASSERT_TRUE(WriteFileBytes(nettest::Root() + L"files\\slow.bin", "slow"));
    nettest::SetScript(R"({"rules": [{"path": "/files/slow.bin", "delay": 6}]})");
    CHttpClient::SetTimeouts(2000, 2000, 2000, 1500);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Fetch(kDownload, Url(L"/files/slow.bin"), m_dir + L"slow.bin"));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(testsupport::FileExists(m_dir + L"slow.bin"));
}

TEST_F(NetHttpTest, ALockedTargetFailsWithoutTouchingIt)
{
    ASSERT_TRUE(WriteFileBytes(nettest::Root() + L"files\\l.bin", "new bytes"));
    const std::wstring target = m_dir + L"l.bin";
    ASSERT_TRUE(WriteFileBytes(target, "old bytes"));
    HANDLE h = CreateFileW(target.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CHttpClient http;
    EXPECT_EQ(CHttpClient::HTTP_ERR_FILE, http.Download(GString(Url(L"/files/l.bin")), GString(target), GString()));
    CloseHandle(h);
    EXPECT_EQ(std::string("old bytes"), ReadFileBytes(target));
    EXPECT_FALSE(testsupport::FileExists(target + L".part"));
}

} // namespace
