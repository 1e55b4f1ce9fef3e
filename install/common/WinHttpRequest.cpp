// The installers' WinHTTP GET client (basetool::CWinHttpRequest).
#include "WinHttpRequest.h"

namespace basetool {

namespace {

const wchar_t kHeaders[] = L"Content-Type: application/octet-stream\r\nAccept: */*\r\n";

// Resolve, connect, send and receive each give up after this long, so that a
// statistics host that does not answer never holds up an installation (the
// installer waits for the old version's uninstaller, which sends one too).
const int kTimeoutMs = 5000;

// Closes a WinHTTP handle when it goes out of scope.
class CHttpHandle {
public:
    explicit CHttpHandle(HINTERNET handle) : m_handle(handle) {}
    ~CHttpHandle()
    {
        if (m_handle != NULL)
            WinHttpCloseHandle(m_handle);
    }
    CHttpHandle(const CHttpHandle&) = delete;
    CHttpHandle& operator=(const CHttpHandle&) = delete;
    HINTERNET get() const { return m_handle; }

private:
    HINTERNET m_handle;
};

}  // namespace

CWinHttpRequest::CWinHttpRequest() : m_port(0), m_headers(kHeaders) {}

bool CWinHttpRequest::SetUrl(const std::wstring& url)
{
    if (url.empty())
        return false;
    wchar_t host[1024];
    memset(host, 0, sizeof(host));
    URL_COMPONENTS parts;
    memset(&parts, 0, sizeof(parts));
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 1023;
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts))
        return false;
    m_host = host;
    m_path.clear();
    if (parts.lpszUrlPath != NULL)
        m_path = parts.lpszUrlPath;   // runs to the end of the URL, query included
    m_port = parts.nPort;
    return !m_host.empty() && !m_path.empty() && m_port != 0;
}

bool CWinHttpRequest::Get(std::string& body)
{
    return Send(L"GET", body);
}

bool CWinHttpRequest::Send(const wchar_t* verb, std::string& body)
{
    CHttpHandle session(WinHttpOpen(NULL, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0));
    if (session.get() == NULL)
        return false;
    WinHttpSetTimeouts(session.get(), kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs);
    CHttpHandle connection(WinHttpConnect(session.get(), m_host.c_str(), m_port, 0));
    if (connection.get() == NULL)
        return false;
    CHttpHandle request(WinHttpOpenRequest(connection.get(), verb, m_path.c_str(), NULL,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (request.get() == NULL)
        return false;
    if (!WinHttpSendRequest(request.get(), m_headers.c_str(), static_cast<DWORD>(m_headers.size()),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return false;
    WinHttpReceiveResponse(request.get(), NULL);   // a failure shows in the status query
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    char buffer[4096];
    memset(buffer, 0, sizeof(buffer));
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), buffer, sizeof(buffer) - 1, &read))
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
