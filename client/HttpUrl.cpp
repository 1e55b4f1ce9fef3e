// Splitting a statistics URL for WinHTTP (see HttpUrl.h).
#include "HttpUrl.h"

#include <string.h>

bool SplitHttpUrl(const std::wstring& url, std::wstring& host, INTERNET_PORT& port, std::wstring& path)
{
    host.clear();
    path.clear();
    port = 0;
    if (url.empty())
        return false;
    wchar_t hostBuffer[1024];
    memset(hostBuffer, 0, sizeof(hostBuffer));
    URL_COMPONENTS parts;
    memset(&parts, 0, sizeof(parts));
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.lpszHostName = hostBuffer;
    parts.dwHostNameLength = 1023;
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return false;
    if (parts.lpszUrlPath != NULL)
        path.assign(parts.lpszUrlPath);
    host.assign(hostBuffer);
    port = parts.nPort;
    return !path.empty() && !host.empty() && port != 0;
}
