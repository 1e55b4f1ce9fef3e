// basetool::CWinHttpRequest: the installers' small WinHTTP GET client, used for
// the "setup" and "unsetup" statistics requests. One request, one read of the
// answer; plain HTTP without a proxy and with short time-outs.
#ifndef BASETOOL_WINHTTPREQUEST_H
#define BASETOOL_WINHTTPREQUEST_H

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace basetool {

class CWinHttpRequest {
public:
    CWinHttpRequest();

    // Splits an http URL into host, port and path (everything after the host,
    // query included). True only when host and path are non-empty and the port
    // is not 0.
    bool SetUrl(const std::wstring& url);
    // Send with the verb "GET".
    bool Get(std::string& body);
    // Sends the request; true when the answer has status 200 and its first read
    // (at most 4095 bytes) succeeded. body receives those bytes up to the first
    // zero byte.
    bool Send(const wchar_t* verb, std::string& body);

    const std::wstring& Path() const { return m_path; }
    const std::wstring& Host() const { return m_host; }
    INTERNET_PORT Port() const { return m_port; }
    const std::wstring& Headers() const { return m_headers; }

private:
    std::wstring m_path;
    std::wstring m_host;
    INTERNET_PORT m_port;
    std::wstring m_headers;
};

CWinHttpRequest* CreateHttpRequest();
// Destroys the request and sets the pointer to null.
void DestroyHttpRequest(CWinHttpRequest*& request);

// Sends one statistics GET to url and ignores the result.
void SendStatistics(const std::wstring& url);

}  // namespace basetool

#endif  // BASETOOL_WINHTTPREQUEST_H
