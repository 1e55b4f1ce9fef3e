// CWinHttpRequest: the client's small WinHTTP GET, used for the statistics
// reports at start and exit (tevela.exe). One object per request: SetUrl,
// then Get; the answer only counts when the status is 200.
#ifndef TEVELA_WINHTTPREQUEST_H
#define TEVELA_WINHTTPREQUEST_H

#include <windows.h>

#include <string>

class CWinHttpRequest
{
public:
    CWinHttpRequest();
    ~CWinHttpRequest();

    // True when the URL names a host, a port and a path; the path keeps
    // everything after the host (query and all).
    bool SetUrl(const std::wstring& url);
    // GET; the answer's text (each piece read up to its first NUL byte) is
    // appended to answer. True only for status 200.
    bool Get(std::string& answer);
    bool Send(std::string& answer, const wchar_t* verb);

    const std::wstring& GetPath() const { return m_path; }
    const std::wstring& GetHost() const { return m_host; }
    unsigned short GetPort() const { return m_port; }
    const std::wstring& GetHeaders() const { return m_headers; }

private:
    CWinHttpRequest(const CWinHttpRequest&);
    CWinHttpRequest& operator=(const CWinHttpRequest&);

    std::wstring m_path;
    std::wstring m_host;
    unsigned short m_port;   // INTERNET_PORT (winhttp.h stays out of this header)
    std::wstring m_headers;
};

#endif // TEVELA_WINHTTPREQUEST_H
