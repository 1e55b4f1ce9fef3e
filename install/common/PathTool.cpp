// Paths, special folders, ANSI text conversion and the protected-folder guard of
// the installer and uninstaller (basetool).
#include "BaseTool.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <wchar.h>

#include <vector>

namespace basetool {

namespace {

// Copies text into a zero-filled MAX_PATH buffer; false when it does not fit.
bool CopyToPathBuffer(wchar_t (&buffer)[MAX_PATH], const std::wstring& text)
{
    memset(buffer, 0, sizeof(buffer));
    if (text.size() >= MAX_PATH)
        return false;
    wmemcpy(buffer, text.c_str(), text.size());
    return true;
}

void StripTrailingSeparators(std::wstring& path)
{
    // "C:\" keeps its backslash; "\\server\share\" loses it.
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    if (path.size() == 3 && path[1] == L':' && path[2] == L'/')
        path[2] = L'\\';
}

bool IsDriveRoot(const std::wstring& full)
{
    return full.size() <= 3 && full.size() >= 2 && full[1] == L':';
}

// "\\server" or "\\server\share" (also "\\?\UNC\..." and "\\?\C:" forms).
bool IsNetworkRoot(const std::wstring& full)
{
    if (full.size() < 2 || full[0] != L'\\' || full[1] != L'\\')
        return false;
    std::wstring rest = full.substr(2);
    if (rest.compare(0, 2, L"?\\") == 0 || rest.compare(0, 2, L".\\") == 0) {
        rest = rest.substr(2);
        if (rest.size() >= 2 && rest[1] == L':')
            return IsDriveRoot(rest);
        if (_wcsnicmp(rest.c_str(), L"UNC\\", 4) == 0)
            rest = rest.substr(4);
        else
            return true;   // a device path: never a folder to remove
    }
    size_t separators = 0;
    for (wchar_t c : rest)
        if (c == L'\\')
            ++separators;
    return separators <= 1;
}

// True when ancestor is folder itself or one of its parents (both normalised).
bool IsSameOrAncestor(const std::wstring& ancestor, const std::wstring& folder)
{
    if (ancestor.empty() || folder.empty())
        return false;
    if (_wcsicmp(ancestor.c_str(), folder.c_str()) == 0)
        return true;
    if (folder.size() <= ancestor.size() || _wcsnicmp(folder.c_str(), ancestor.c_str(), ancestor.size()) != 0)
        return false;
    return ancestor.back() == L'\\' || folder[ancestor.size()] == L'\\';
}

std::wstring EnvironmentFolder(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH];
    memset(buffer, 0, sizeof(buffer));
    DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    return buffer;
}

// The system's own folders that an installation folder must never be, nor contain.
std::vector<std::wstring> SystemFolders()
{
    static const int kCsidls[] = {
        CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS,
        CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
        CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL,
        CSIDL_COMMON_DOCUMENTS, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO,
        CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS,
        CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY,
    };
    std::vector<std::wstring> folders;
    for (int csidl : kCsidls)
        folders.push_back(GetShellFolderPath(csidl));
    wchar_t buffer[MAX_PATH];
    auto addIfWhole = [&](UINT length) {
        if (length > 0 && length < MAX_PATH)
            folders.push_back(buffer);
    };
    addIfWhole(GetWindowsDirectoryW(buffer, MAX_PATH));
    addIfWhole(GetSystemDirectoryW(buffer, MAX_PATH));
    addIfWhole(GetTempPathW(MAX_PATH, buffer));
    // The 64-bit program folders, which a 32-bit process does not see through CSIDLs.
    folders.push_back(EnvironmentFolder(L"ProgramW6432"));
    folders.push_back(EnvironmentFolder(L"CommonProgramW6432"));
    // The folder that holds every profile.
    std::wstring profile = NormalizeFolder(GetShellFolderPath(CSIDL_PROFILE));
    if (!profile.empty())
        folders.push_back(RemoveFileSpec(profile));
    for (std::wstring& folder : folders)
        folder = NormalizeFolder(folder);
    return folders;
}

}  // namespace

std::wstring GetOwnModulePath()
{
    wchar_t buffer[MAX_PATH];
    memset(buffer, 0, sizeof(buffer));
    DWORD n = GetModuleFileNameW(NULL, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    return buffer;
}

std::wstring GetShellFolderPath(int csidl)
{
    wchar_t buffer[MAX_PATH];
    memset(buffer, 0, sizeof(buffer));
    if (FAILED(SHGetFolderPathW(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, buffer)))
        return std::wstring();
    buffer[MAX_PATH - 1] = 0;
    return buffer;
}

std::wstring GetCommonProgramsDir()
{
    return GetShellFolderPath(CSIDL_COMMON_PROGRAMS);
}

std::wstring GetCommonDesktopDir()
{
    return GetShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY);
}

std::wstring GetProgramFilesDir()
{
    return GetShellFolderPath(CSIDL_PROGRAM_FILES);
}

std::wstring AppendPath(const std::wstring& base, const std::wstring& more)
{
    wchar_t buffer[MAX_PATH];
    if (base.empty() || !CopyToPathBuffer(buffer, base))
        return std::wstring();
    if (!PathAppendW(buffer, more.c_str()) || buffer[0] == 0)
        return std::wstring();
    return buffer;
}

std::wstring RemoveFileSpec(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH];
    if (!CopyToPathBuffer(buffer, path))
        return std::wstring();
    PathRemoveFileSpecW(buffer);
    return buffer;
}

std::wstring GetFileNamePart(const std::wstring& path)
{
    return PathFindFileNameW(path.c_str());
}

std::string WideToNarrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), NULL, 0,
                                NULL, NULL);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, NULL,
                        NULL);
    return out;
}

std::wstring NarrowToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), NULL, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::wstring NormalizeFolder(const std::wstring& folder)
{
    if (folder.empty() || PathIsRelativeW(folder.c_str()))
        return std::wstring();
    // "C:" and "C:name" are relative to the drive's current folder.
    if (folder.size() >= 2 && folder[1] == L':' && (folder.size() == 2 || (folder[2] != L'\\' && folder[2] != L'/')))
        return std::wstring();
    wchar_t full[MAX_PATH];
    memset(full, 0, sizeof(full));
    DWORD n = GetFullPathNameW(folder.c_str(), MAX_PATH, full, NULL);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    std::wstring result(full);
    // Short (8.3) names compare as their long form when the folder exists.
    wchar_t longer[MAX_PATH];
    n = GetLongPathNameW(full, longer, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        result = longer;
    StripTrailingSeparators(result);
    return result;
}

bool IsSameFolder(const std::wstring& a, const std::wstring& b)
{
    std::wstring na = NormalizeFolder(a);
    std::wstring nb = NormalizeFolder(b);
    return !na.empty() && _wcsicmp(na.c_str(), nb.c_str()) == 0;
}

bool IsProtectedFolder(const std::wstring& folder)
{
    std::wstring full = NormalizeFolder(folder);
    if (full.empty() || IsDriveRoot(full) || IsNetworkRoot(full))
        return true;
    for (const std::wstring& system : SystemFolders())
        if (IsSameOrAncestor(full, system))
            return true;
    return false;
}

bool IsReparsePoint(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsPlainFile(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool IsPlainFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace basetool
