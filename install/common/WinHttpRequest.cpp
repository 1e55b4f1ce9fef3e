// The installers' WinHTTP GET client (basetool::CWinHttpRequest).
#include "WinHttpRequest.h"

#include "HttpUrl.h"

namespace basetool {

namespace {

const wchar_t kHeaders[] = L"Content-Type: application/octet-stream\r\nAccept: */*\r\n";

// Resolve, connect, send and receive each give up after this long, so that a
// statistics host that does not answer never holds up an installation (the
// installer waits for the old version's uninstaller, which sends one too).
const int kTimeoutMs = 5000;

}  // namespace

CWinHttpRequest::CWinHttpRequest() : m_port(0), m_headers(kHeaders) {}

bool CWinHttpRequest::SetUrl(const std::wstring& url)
{
    return SplitHttpUrl(url, m_host, m_port, m_path);
}

bool CWinHttpRequest::Get(std::string& body)
{
    return Send(L"GET", body);
}

bool CWinHttpRequest::Send(const wchar_t* verb, std::string& body)
{
    CHttpHandle session(WinHttpOpen(NULL, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0));
    if (session.Get() == NULL)
        return false;
    WinHttpSetTimeouts(session.Get(), kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs);
    CHttpHandle connection(WinHttpConnect(session.Get(), m_host.c_str(), m_port, 0));
    if (connection.Get() == NULL)
        return false;
    CHttpHandle request(WinHttpOpenRequest(connection.Get(), verb, m_path.c_str(), NULL,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (request.Get() == NULL)
        return false;
    if (!WinHttpSendRequest(request.Get(), m_headers.c_str(), static_cast<DWORD>(m_headers.size()),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return false;
    WinHttpReceiveResponse(request.Get(), NULL);   // a failure shows in the status query
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    char buffer[4096];
    memset(buffer, 0, sizeof(buffer));
    DWORD read = 0;
    if (!WinHttpReadData(request.Get(), buffer, sizeof(buffer) - 1, &read))
        return false;
    body.assign(buffer);
    return true;
}

CWinHttpRequest* CreateHttpRequest()
{
    return new CWinHttpRequest;
}

void DestroyHttpRequest(CWinHttpRequest*& request)
{
    delete request;
    request = NULL;
}

void SendStatistics(const std::wstring& url)
{
    CWinHttpRequest* request = CreateHttpRequest();
    request->SetUrl(url);
    std::string body;
    request->Get(body);
    DestroyHttpRequest(request);
}

}  // namespace basetool
