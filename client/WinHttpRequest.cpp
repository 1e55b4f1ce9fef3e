// The client's WinHTTP GET for the statistics reports: plain HTTP, no proxy,
// synchronous, with the time-outs of the product's HTTP client (10 s to
// resolve and connect, 30 s to send and receive); the session, connection and
// request are closed before Send returns, on every path.
#include "WinHttpRequest.h"

#include "HttpUrl.h"

#include <string.h>

namespace {

const wchar_t kRequestHeaders[] = L"Content-Type: application/octet-stream\r\nAccept: */*\r\n";

} // namespace

CWinHttpRequest::CWinHttpRequest() : m_port(0), m_headers(kRequestHeaders)
{
}

CWinHttpRequest::~CWinHttpRequest()
{
}

bool CWinHttpRequest::SetUrl(const std::wstring& url)
{
    INTERNET_PORT port = 0;
    const bool ok = SplitHttpUrl(url, m_host, port, m_path);
    m_port = port;
    return ok;
}

bool CWinHttpRequest::Get(std::string& answer)
{
    return Send(answer, L"GET");
}

bool CWinHttpRequest::Send(std::string& answer, const wchar_t* verb)
{
    CHttpHandle session(::WinHttpOpen(NULL, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    if (session.Get() == NULL)
        return false;
    // The reports run on the window's thread: a host that does not answer
    // holds the window no longer than the product's other requests wait.
    ::WinHttpSetTimeouts(session.Get(), 10000, 10000, 30000, 30000);
    CHttpHandle connection(::WinHttpConnect(session.Get(), m_host.c_str(), m_port, 0));
    if (connection.Get() == NULL)
        return false;
    CHttpHandle request(::WinHttpOpenRequest(connection.Get(), verb, m_path.c_str(), NULL, WINHTTP_NO_REFERER,
                                             WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (request.Get() == NULL)
        return false;
    // Only a direct 200 counts: a redirect is an answer of its own.
    DWORD features = WINHTTP_DISABLE_REDIRECTS;
    ::WinHttpSetOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));
    if (!::WinHttpSendRequest(request.Get(), m_headers.c_str(), static_cast<DWORD>(m_headers.size()),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return false;
    ::WinHttpReceiveResponse(request.Get(), NULL);
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    char buffer[4096];
    for (;;) {
        memset(buffer, 0, sizeof(buffer));
        DWORD read = 0;
        // A failed read ends the answer, like its end does.
        if (!::WinHttpReadData(request.Get(), buffer, sizeof(buffer) - 1, &read) || read == 0)
            break;
        answer.append(buffer);
    }
    return true;
}
