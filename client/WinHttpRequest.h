// CWinHttpRequest: the client's small WinHTTP GET, used for the statistics
// reports at start and exit (tevela.exe). One object per request: SetUrl,
// then Get; the answer only counts when the status is 200 and the whole body
// was read. The exchange runs on a thread of its own under an overall
// deadline, so that a host that accepts and then stalls or trickles never
// holds the caller longer than it chose to wait.
#ifndef TEVELA_WINHTTPREQUEST_H
#define TEVELA_WINHTTPREQUEST_H

#include <windows.h>

#include <string>

class CWinHttpRequest
{
public:
    // The whole exchange (connect, send, answer, body) ends after this long.
    static const DWORD kDefaultDeadlineMs = 5000;
    // Answers beyond this size fail: a statistics answer is a few bytes.
    static const size_t kMaxAnswerBytes = 64 * 1024;

    CWinHttpRequest();
    ~CWinHttpRequest();

    // True when the URL names a host, a port and a path; the path keeps
    // everything after the host (query and all).
    bool SetUrl(const std::wstring& url);
    // The overall deadline of the exchange, and how long Send waits for it
    // (at most the deadline; 0 = send and do not wait, the result is then false).
    void SetDeadline(DWORD deadlineMs, DWORD waitMs);
    // GET; the answer's text (each piece read up to its first NUL byte) is
    // appended to answer. True only for status 200 and a body read to its end
    // within the deadline.
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
    DWORD m_deadlineMs;
    DWORD m_waitMs;
};

#endif // TEVELA_WINHTTPREQUEST_H
