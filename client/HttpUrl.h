// The pieces the client's and the installers' small WinHTTP GET clients share
// (client_shared): splitting a statistics URL into host, port and path, and a
// guard that closes a WinHTTP handle.
#ifndef TEVELA_HTTPURL_H
#define TEVELA_HTTPURL_H

#include <windows.h>
#include <winhttp.h>

#include <string>

// Splits an http(s) URL. The path runs to the end of the URL, query and all:
// the statistics reports carry their whole event text there, without a "?".
// True when the URL names a host, a port and a path.
bool SplitHttpUrl(const std::wstring& url, std::wstring& host, INTERNET_PORT& port, std::wstring& path);

// Closes a WinHTTP handle when it goes out of scope.
class CHttpHandle
{
public:
    explicit CHttpHandle(HINTERNET handle) : m_handle(handle) {}
    ~CHttpHandle()
    {
        if (m_handle != NULL)
            ::WinHttpCloseHandle(m_handle);
    }
    HINTERNET Get() const { return m_handle; }

private:
    CHttpHandle(const CHttpHandle&);
    CHttpHandle& operator=(const CHttpHandle&);
    HINTERNET m_handle;
};

#endif // TEVELA_HTTPURL_H
