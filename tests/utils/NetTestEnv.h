// The local HTTP server of the network tests (tests/support_py/run_with_server.py).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace nettest {

inline std::wstring Env(const wchar_t* name)
{
    wchar_t buf[2048];
    DWORD n = GetEnvironmentVariableW(name, buf, 2048);
    return (n && n < 2048) ? std::wstring(buf, n) : std::wstring();
}

inline bool Available() { return !Env(L"TEST_HTTP_PORT").empty(); }

// "127.0.0.1:<port>" (no scheme).
inline std::wstring Host() { return L"127.0.0.1:" + Env(L"TEST_HTTP_PORT"); }

// Folder the server serves, trailing backslash.
inline std::wstring Root() { return Env(L"TEST_HTTP_ROOT"); }

// Replaces the server's rules (read again at every request).
inline void SetScript(const std::string& json)
{
    const std::wstring path = Env(L"TEST_HTTP_SCRIPT");
    const std::wstring tmp = path + L".tmp";
    testsupport::WriteFileBytes(tmp, json);
    MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

inline void ClearLog() { testsupport::WriteFileBytes(Env(L"TEST_HTTP_LOG"), std::string()); }

// Request lines "<METHOD> <path> <status>" since the last ClearLog.
inline std::vector<std::string> Requests()
{
    std::vector<std::string> lines;
    std::string text = testsupport::ReadFileBytes(Env(L"TEST_HTTP_LOG"));
    size_t pos = 0;
    while (pos < text.size())
    {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        if (end > pos)
            lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

inline int CountRequests(const std::string& path)
{
    int n = 0;
    std::vector<std::string> lines = Requests();
    for (size_t i = 0; i < lines.size(); ++i)
    {
        size_t a = lines[i].find(' ');
        size_t b = lines[i].rfind(' ');
        if (a != std::string::npos && b > a && lines[i].substr(a + 1, b - a - 1) == path)
            ++n;
    }
    return n;
}

// Before each network test: no rules, empty log.
inline void Reset()
{
    SetScript("{\"rules\": []}");
    ClearLog();
}

} // namespace nettest
