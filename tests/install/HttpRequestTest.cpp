// The installers' GET client against the local test server: URL splitting, the
// one-read body, status handling, and a host that does not answer.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "InstallTestUtil.h"
#include "TestSupport.h"
#include "WinHttpRequest.h"

using basetool::CWinHttpRequest;

namespace {

TEST(HttpRequest, SetUrlSplitsHostPortAndPath)
{
    struct Case {
        const wchar_t* url;
        bool ok;
        const wchar_t* host;
        int port;
        const wchar_t* path;
    } cases[] = {
        {L"http://h", false, L"h", 80, L""},
        {L"http://h/", true, L"h", 80, L"/"},
        {L"http://stat.example/src=client&seq=00AA&channelid=&id=setup", true, L"stat.example", 80,
         L"/src=client&seq=00AA&channelid=&id=setup"},
        {L"http://h:8081/p?q=1#f", true, L"h", 8081, L"/p?q=1#f"},
        {L"", false, L"", 0, L""},
        {L"not a url", false, L"", 0, L""},
    };
    for (const Case& c : cases) {
        CWinHttpRequest request;
        EXPECT_EQ(c.ok, request.SetUrl(c.url)) << testsupport::Narrow(c.url);
        if (c.ok || c.host[0] != 0) {
            EXPECT_EQ(std::wstring(c.host), request.Host());
            EXPECT_EQ(c.port, request.Port());
            EXPECT_EQ(std::wstring(c.path), request.Path());
        }
    }
    CWinHttpRequest request;
    EXPECT_EQ(53u, request.Headers().size());
    EXPECT_EQ(L"Content-Type: application/octet-stream\r\nAccept: */*\r\n", request.Headers());
}

TEST(HttpRequest, AnswersAgainstTheLocalServer)
{
    std::string big(5000, 'b');
    ASSERT_TRUE(installtest::SetSinkScript(
        "{\"rules\": ["
        "{\"path\": \"/big\", \"body\": \"" + big + "\"},"
        "{\"path\": \"/nul\", \"body_hex\": \"00414243\"},"
        "{\"path\": \"/mid\", \"body_hex\": \"4142004344\"},"
        "{\"path\": \"/empty\", \"body\": \"\"},"
        "{\"path\": \"/s204\", \"status\": 204, \"body\": \"\"},"
        "{\"path\": \"/s302\", \"status\": 302},"
        "{\"path\": \"/s500\", \"status\": 500}]}"));
    struct Case {
        const char* path;
        bool ok;
        size_t bodyMin, bodyMax;
    } cases[] = {
        {"/big", true, 1, 4095},   // one read only, at most 4095 bytes
        {"/nul", true, 0, 0},      // cut at the first zero byte
        {"/mid", true, 2, 2},
        {"/empty", true, 0, 0},
        {"/s204", false, 0, 0},
        {"/s302", false, 0, 0},
        {"/s500", false, 0, 0},
        {"/missing", false, 0, 0},
    };
    for (const Case& c : cases) {
        CWinHttpRequest request;
        ASSERT_TRUE(request.SetUrl(L"http://" + installtest::StatHost() + testsupport::Widen(c.path)));
        std::string body = "old";
        EXPECT_EQ(c.ok, request.Get(body)) << c.path;
        if (c.ok) {
            EXPECT_LE(c.bodyMin, body.size()) << c.path;
            EXPECT_GE(c.bodyMax, body.size()) << c.path;
            EXPECT_EQ(std::string::npos, body.find('\0'));
        }
    }
    installtest::SetSinkScript("{\"rules\": []}");
}

TEST(HttpRequest, PathGoesOutVerbatim)
{
    installtest::ClearSinkRequests();
    basetool::SendStatistics(L"http://" + installtest::StatHost() + L"/src=client&seq=0A1B&channelid=web01&id=setup");
    auto requests = installtest::SinkRequestsWhen(1);
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("GET /src=client&seq=0A1B&channelid=web01&id=setup 404", requests[0]);
}

TEST(HttpRequest, NoListenerFailsSoon)
{
    DWORD start = GetTickCount();
    CWinHttpRequest request;
    ASSERT_TRUE(request.SetUrl(L"http://127.0.0.1:1/src=client"));
    std::string body;
    EXPECT_FALSE(request.Get(body));
    EXPECT_LT(GetTickCount() - start, 15000u);
}

}  // namespace
