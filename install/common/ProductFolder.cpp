// Ownership marker and product-file list of the installation folder (basetool).
#include "ProductFolder.h"

#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>

#include <algorithm>

#include "BaseTool.h"
#include "HeldFolder.h"
#include "Misc.h"
#include "UninstallInfo.h"

namespace basetool {

const wchar_t kFolderMarkerName[] = L"YexoShow.tag";

namespace {

// What the installer ships, and what the client and the updater write beside it.
const wchar_t* const kKnownFiles[] = {
    L"Uninst.ico", L"tevela.ico", L"Local.ini",   L"server.ini",    L"upflag.ini",      L"Uninst.exe",
    L"update.exe", L"tevela.exe", L"Utils.dll",   L"update.ini",    L"localinfo.ini",   L"updatefiles.dat",
};
// Names the updater and the uninstaller give to replaced or resisting files.
const wchar_t* const kLeftoverSuffixes[] = {L".new", L".old", L".old.old", L".error", L".part"};
// The leftovers a new installation removes from the product's folder first.
const wchar_t* const kRemovedLeftoverSuffixes[] = {L".old", L".old.old", L".error", L".part"};
// Endings that, beside the product's own files (its INI files among them),
// still make a folder the product's.
const wchar_t* const kLeftoverPatterns[] = {L".error", L".old", L".part"};

bool HasSuffix(const std::wstring& name, const wchar_t* suffix)
{
    size_t n = wcslen(suffix);
    return name.size() > n && _wcsicmp(name.c_str() + name.size() - n, suffix) == 0;
}

void AddUnique(std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& known : names)
        if (_wcsicmp(known.c_str(), name.c_str()) == 0)
            return;
    names.push_back(name);
}

// The files a manifest in the updater's format lists: [FILES] COUNT and FILEn =
// "<url>;<md5>;<folder relative to the installation folder>".
void AddManifestFiles(const std::wstring& manifest, std::vector<std::wstring>& names)
{
    if (!IsPlainFile(manifest))
        return;
    UINT count = GetPrivateProfileIntW(L"FILES", L"COUNT", 0, manifest.c_str());
    if (count > 1000)
        count = 1000;
    for (UINT i = 0; i < count; ++i) {
        wchar_t key[32];
        _snwprintf(key, 31, L"FILE%u", i);
        key[31] = 0;
        wchar_t value[2048];
        memset(value, 0, sizeof(value));
        GetPrivateProfileStringW(L"FILES", key, L"", value, 2047, manifest.c_str());
        std::wstring entry(value);
        size_t first = entry.find(L';');
        size_t second = first == std::wstring::npos ? std::wstring::npos : entry.find(L';', first + 1);
        if (second == std::wstring::npos)
            continue;
        std::wstring url = entry.substr(0, first);
        std::wstring folder = entry.substr(second + 1);
        size_t slash = url.find_last_of(L"/\\");
        std::wstring name = slash == std::wstring::npos ? url : url.substr(slash + 1);
        while (!folder.empty() && (folder.front() == L'\\' || folder.front() == L'/'))
            folder.erase(0, 1);
        while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
            folder.pop_back();
        std::wstring relative = folder.empty() ? name : folder + L"\\" + name;
        if (IsContainedRelativePath(relative))
            AddUnique(names, relative);
    }
}

bool IsForbiddenNameChar(wchar_t c)
{
    return c < 0x20 || wcschr(L"<>:\"|?*", c) != NULL;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, with or without an extension, name
// devices rather than files.
bool IsDeviceName(const std::wstring& part)
{
    std::wstring stem = part.substr(0, part.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t* device : kDevices)
        if (_wcsicmp(stem.c_str(), device) == 0)
            return true;
    return stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 || _wcsnicmp(stem.c_str(), L"LPT", 3) == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

}  // namespace

bool IsContainedRelativePath(const std::wstring& name)
{
    if (name.empty() || name.size() >= MAX_PATH)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"/\\", start);
        if (end == std::wstring::npos)
            end = name.size();
        std::wstring part = name.substr(start, end - start);
        // Empty parts (a leading, doubled or trailing separator), parts made of dots
        // only and parts that Windows would shorten (a trailing dot or blank).
        if (part.empty() || part.find_first_not_of(L'.') == std::wstring::npos || part.back() == L'.' ||
            part.back() == L' ')
            return false;
        for (wchar_t c : part)
            if (IsForbiddenNameChar(c))
                return false;
        if (IsDeviceName(part))
            return false;
        start = end + 1;
    }
    return true;
}

bool IsProductFolderOwned(const std::wstring& dir)
{
    std::wstring marker = AppendPath(dir, kFolderMarkerName);
    return !marker.empty() && IsPlainFile(marker);
}

bool MarkProductFolderOwned(const std::wstring& dir)
{
    std::wstring marker = AppendPath(dir, kFolderMarkerName);
    if (marker.empty() || IsReparsePoint(marker))
        return false;
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return IsPlainFile(marker);
    static const char kText[] = "Created by the Yexo installer; removed with the product.\r\n";
    DWORD written = 0;
    WriteFile(file, kText, sizeof(kText) - 1, &written, NULL);
    CloseHandle(file);
    return true;
}

std::vector<std::wstring> ProductFileNames(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    for (const wchar_t* name : kKnownFiles)
        AddUnique(names, name);
    AddManifestFiles(AppendPath(dir, L"Local.ini"), names);
    AddManifestFiles(AppendPath(dir, L"update.ini"), names);
    std::vector<std::wstring> withLeftovers;
    for (const std::wstring& name : names) {
        AddUnique(withLeftovers, name);
        for (const wchar_t* suffix : kLeftoverSuffixes)
            AddUnique(withLeftovers, name + suffix);
    }
    AddUnique(withLeftovers, kFolderMarkerName);
    return withLeftovers;
}

void DeleteProductFiles(const std::wstring& dir)
{
    CHeldFolder top;
    if (top.Open(dir) != CHeldFolder::kHeld)
        return;
    std::vector<std::wstring> subfolders;
    for (const std::wstring& name : ProductFileNames(dir)) {
        // Each name is deleted only through folders that are no links, and a
        // file that resists is queued only under its name inside dir.
        CMisc::DeleteInside(dir, name);
        size_t slash = name.find_last_of(L"/\\");
        if (slash != std::wstring::npos)
            subfolders.push_back(name.substr(0, slash));
    }
    // The product's log files, then the folders that are left empty, deepest first.
    CHeldFolder logDir;
    if (logDir.Open(top, L"log") == CHeldFolder::kHeld) {
        std::vector<FolderEntry> entries;
        logDir.List(entries);
        for (const FolderEntry& entry : entries) {
            size_t length = entry.name.size();
            bool isLog = length > 4 && _wcsicmp(entry.name.c_str() + length - 4, L".log") == 0;
            if (isLog && !(entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
                CMisc::DeleteFileOrQueue(AppendPath(logDir.Path(), entry.name));
        }
        logDir.Close();
        subfolders.push_back(L"log");
    }
    std::sort(subfolders.begin(), subfolders.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& sub : subfolders) {
        // Each one through held folders only, as the files were.
        std::wstring relative = sub;
        while (!relative.empty()) {
            CHeldChain chain;
            CHeldFolder folder;
            if (!chain.Open(dir, relative) ||
                folder.Open(chain.Parent(), GetFileNamePart(chain.FullPath())) != CHeldFolder::kHeld ||
                !folder.RemoveAndClose())
                break;
            size_t slash = relative.find_last_of(L"/\\");
            relative = slash == std::wstring::npos ? std::wstring() : relative.substr(0, slash);
        }
    }
    top.RemoveAndClose();
}

bool HoldsOnlyProductFiles(const std::wstring& dir, bool* empty)
{
    CHeldFolder top;
    std::vector<FolderEntry> entries;
    if (top.Open(dir) != CHeldFolder::kHeld || !top.List(entries))
        return false;
    if (empty != NULL)
        *empty = entries.empty();
    std::vector<std::wstring> names = ProductFileNames(dir);
    for (const FolderEntry& entry : entries) {
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return false;
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (_wcsicmp(entry.name.c_str(), L"log") != 0)
                return false;
            CHeldFolder logDir;
            std::vector<FolderEntry> logs;
            if (logDir.Open(top, entry.name) != CHeldFolder::kHeld || !logDir.List(logs))
                return false;
            for (const FolderEntry& log : logs)
                if ((log.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
                    !HasSuffix(log.name, L".log"))
                    return false;
            continue;
        }
        bool known = false;
        for (const std::wstring& name : names)
            known = known || _wcsicmp(name.c_str(), entry.name.c_str()) == 0;
        for (const wchar_t* suffix : kLeftoverPatterns)
            known = known || HasSuffix(entry.name, suffix);
        if (!known)
            return false;
    }
    return true;
}

bool IsProductsFolder(const std::wstring& dir)
{
    std::wstring exePath = ReadProductString(L"ExePath", kExePathBytes);
    if (!exePath.empty() && IsSameFolder(RemoveFileSpec(exePath), dir))
        return true;
    return IsProductFolderOwned(dir) || HoldsOnlyProductFiles(dir);
}

void RemoveProductLeftovers(const std::wstring& dir)
{
    CHeldFolder top;
    std::vector<FolderEntry> entries;
    if (top.Open(dir) != CHeldFolder::kHeld || !top.List(entries))
        return;
    std::vector<std::wstring> names = ProductFileNames(dir);
    for (const FolderEntry& entry : entries) {
        if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        for (const std::wstring& name : names) {
            bool leftover = false;
            for (const wchar_t* suffix : kRemovedLeftoverSuffixes)
                leftover = leftover || _wcsicmp((name + suffix).c_str(), entry.name.c_str()) == 0;
            if (!leftover)
                continue;
            // Gone now or left alone: the name is a leftover's, never a new file's.
            CMisc::DeleteFileNow(AppendPath(dir, entry.name));
            break;
        }
    }
}

}  // namespace basetool
