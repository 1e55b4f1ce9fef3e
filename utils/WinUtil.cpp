// WinUtil: process, file-system and machine helpers.
#include "Utils.h"

#include <nb30.h>
#include <tlhelp32.h>

#include <vector>

#include "UtilsInternal.h"

namespace {

std::wstring ModuleFileName()
{
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;)
    {
        DWORD n = GetModuleFileNameW(NULL, &buf[0], (DWORD)buf.size());
        if (n == 0)
            return std::wstring();
        if (n < buf.size())
            return std::wstring(&buf[0], n);
        if (buf.size() >= 32768)
            return std::wstring();
        buf.resize(buf.size() * 2);
    }
}

bool EqualNoCase(const wchar_t* a, const wchar_t* b)
{
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

std::wstring Backslashed(const std::wstring& s)
{
    std::wstring r(s);
    for (size_t i = 0; i < r.size(); ++i)
        if (r[i] == L'/')
            r[i] = L'\\';
    return r;
}

// Strips trailing backslashes, but keeps the root of "C:\".
std::wstring StripTrailing(const std::wstring& s)
{
    std::wstring r(s);
    while (r.size() > 1 && r[r.size() - 1] == L'\\' && !(r.size() == 3 && r[1] == L':'))
        r.erase(r.size() - 1);
    return r;
}

bool IsDirectory(const std::wstring& path)
{
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectoryTree(const std::wstring& path, int depth)
{
    if (path.empty() || depth > 256)
        return false;
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES)
        return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t cut = path.rfind(L'\\');
    if (cut != std::wstring::npos && cut > 0)
    {
        std::wstring parent = path.substr(0, cut);
        if (parent.size() == 2 && parent[1] == L':')
            parent += L'\\';
        // Stop at the root of a UNC share ("\\server\share") or a drive.
        bool isRoot = (parent.size() == 3 && parent[1] == L':') ||
                      (parent.compare(0, 2, L"\\\\") == 0 && parent.find(L'\\', 2) != std::wstring::npos &&
                       parent.find(L'\\', parent.find(L'\\', 2) + 1) == std::wstring::npos);
        if (!isRoot && parent != L"\\" && !MakeDirectoryTree(parent, depth + 1))
            return false;
    }
    if (CreateDirectoryW(path.c_str(), NULL))
        return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(path);
}

} // namespace

GString WinUtil::GetModulePath() noexcept
{
    std::wstring full = ModuleFileName();
    size_t cut = full.rfind(L'\\');
    if (cut == std::wstring::npos)
        return GString();
    return GString(full.substr(0, cut));
}

GString WinUtil::GetModuleName() noexcept
{
    std::wstring full = ModuleFileName();
    size_t cut = full.rfind(L'\\');
    return GString(cut == std::wstring::npos ? full : full.substr(cut + 1));
}

GString WinUtil::GetMacAddress() noexcept
{
    typedef UCHAR(APIENTRY * NetbiosFn)(PNCB);
    HMODULE lib = LoadLibraryW(L"netapi32.dll");
    if (!lib)
        return GString();
    NetbiosFn netbios = (NetbiosFn)(void*)GetProcAddress(lib, "Netbios");
    GString result;
    if (netbios)
    {
        NCB ncb;
        LANA_ENUM lanas;
        ZeroMemory(&ncb, sizeof(ncb));
        ZeroMemory(&lanas, sizeof(lanas));
        ncb.ncb_command = NCBENUM;
        ncb.ncb_buffer = (PUCHAR)&lanas;
        ncb.ncb_length = sizeof(lanas);
        netbios(&ncb);
        if (lanas.length > 0)
        {
            ZeroMemory(&ncb, sizeof(ncb));
            ncb.ncb_command = NCBRESET;
            ncb.ncb_lana_num = lanas.lana[0];
            netbios(&ncb);

            struct
            {
                ADAPTER_STATUS status;
                NAME_BUFFER names[30];
            } adapter;
            ZeroMemory(&adapter, sizeof(adapter));
            ZeroMemory(&ncb, sizeof(ncb));
            ncb.ncb_command = NCBASTAT;
            ncb.ncb_lana_num = lanas.lana[0];
            ncb.ncb_callname[0] = '*';
            ncb.ncb_buffer = (PUCHAR)&adapter;
            ncb.ncb_length = sizeof(adapter);
            if (netbios(&ncb) == 0)
            {
                const UCHAR* a = adapter.status.adapter_address;
                result.Format(L"%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
            }
        }
    }
    FreeLibrary(lib);
    return result;
}

int WinUtil::GetOSVersionInt() noexcept
{
    // RtlGetVersion reports the real version, unlike GetVersionEx under a
    // compatibility manifest.
    typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    RtlGetVersionFn fn = ntdll ? (RtlGetVersionFn)(void*)GetProcAddress(ntdll, "RtlGetVersion") : NULL;
    if (!fn || fn(&info) != 0)
    {
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
        if (!GetVersionExW(&info))
            return 0;
    }
    return (int)(info.dwMajorVersion * 10 + info.dwMinorVersion);
}

bool WinUtil::IsPathFileExists(const GString& path) noexcept
{
    if (path.empty())
        return false;
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int WinUtil::IsPathAccess(const GString& folder) noexcept
{
    if (folder.empty())
        return 0;
    std::wstring dir = StripTrailing(Backslashed(folder.str()));
    if (!IsDirectory(dir))
        return 0;
    if (dir[dir.size() - 1] != L'\\')
        dir += L'\\';
    wchar_t name[80];
    wsprintfW(name, L"~wrtest%lu_%lu_%lu.tmp", GetCurrentProcessId(), GetCurrentThreadId(), GetTickCount());
    const std::wstring probe = dir + name;
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    return 1;
}

int WinUtil::CreateDir(const GString& folder) noexcept
{
    try
    {
        std::wstring dir = StripTrailing(Backslashed(folder.str()));
        if (dir.empty())
            return 0;
        return MakeDirectoryTree(dir, 0) ? 1 : 0;
    }
    catch (...)
    {
        return 0;
    }
}

bool WinUtil::CreateDirectoryPro(const GString& folder) noexcept { return CreateDir(folder) != 0; }

bool WinUtil::KillProcess(const GString& exeName, DWORD timeoutMs) noexcept
{
    if (exeName.empty())
        return true;
    const DWORD self = GetCurrentProcessId();
    const DWORD start = GetTickCount();
    // Repeated until no such process is left: a process may start while we
    // end the others.
    for (int round = 0; round < 20; ++round)
    {
        std::vector<HANDLE> ended;
        bool found = false;
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snap == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32W entry;
        entry.dwSize = sizeof(entry);
        for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry))
        {
            if (entry.th32ProcessID == self || entry.th32ProcessID == 0 ||
                !EqualNoCase(entry.szExeFile, exeName.c_str()))
                continue;
            found = true;
            HANDLE proc = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
            if (!proc)
                continue;
            TerminateProcess(proc, 0);
            ended.push_back(proc);
        }
        CloseHandle(snap);
        if (!found)
            return true;
        bool allGone = !ended.empty();
        for (size_t i = 0; i < ended.size(); ++i)
        {
            DWORD elapsed = GetTickCount() - start;
            DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
            if (WaitForSingleObject(ended[i], left) != WAIT_OBJECT_0)
                allGone = false;
            CloseHandle(ended[i]);
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        if (!allGone)
            Sleep(50);
    }
    return false;
}

int WinUtil::RunProcess2(const GString& path, const GString& params) noexcept
{
    try
    {
        if (path.empty())
            return 0;
        std::wstring exe = Backslashed(path.str());
        std::wstring cmd = L"\"" + exe + L"\"";
        if (!params.empty())
            cmd += L" " + params.str();
        std::wstring folder;
        size_t cut = exe.rfind(L'\\');
        if (cut != std::wstring::npos)
            folder = exe.substr(0, cut == 2 && exe[1] == L':' ? 3 : cut);
        STARTUPINFOW si;
        ZeroMemory(&si, sizeof(si));
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi;
        ZeroMemory(&pi, sizeof(pi));
        std::vector<wchar_t> line(cmd.begin(), cmd.end());
        line.push_back(L'\0');
        if (!CreateProcessW(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL,
                            folder.empty() ? NULL : folder.c_str(), &si, &pi))
            return 0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return 1;
    }
    catch (...)
    {
        return 0;
    }
}
