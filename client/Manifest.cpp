// File entries of the update manifest.
#include "Manifest.h"

#include <vector>

#include "ClientText.h"

namespace {

wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? (wchar_t)(c - 32) : c; }

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != Upper(prefix[i]))
            return false;
    return true;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension.
bool IsDeviceName(const std::wstring& name)
{
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && (stem[stem.size() - 1] == L' '))
        stem.erase(stem.size() - 1);
    for (size_t i = 0; i < stem.size(); ++i)
        stem[i] = Upper(stem[i]);
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

bool IsSafeName(const std::wstring& name)
{
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos ||
        name.find(L"..") != std::wstring::npos)
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (name[i] < 32)
            return false;
    return !IsDeviceName(name);
}

bool IsSafeFolder(const std::wstring& folder)
{
    if (folder.empty() || folder[0] != L'\\' || folder.find(L':') != std::wstring::npos ||
        folder.find(L'/') != std::wstring::npos)
        return false;
    if (folder.size() > 1 && folder[1] == L'\\')
        return false;  // "\\server\share" style
    size_t pos = 0;
    while (pos <= folder.size())
    {
        size_t end = folder.find(L'\\', pos);
        if (end == std::wstring::npos)
            end = folder.size();
        std::wstring seg = folder.substr(pos, end - pos);
        if (seg == L"." || seg == L"..")
            return false;
        for (size_t i = 0; i < seg.size(); ++i)
            if (seg[i] < 32)
                return false;
        if (!seg.empty() && IsDeviceName(seg))
            return false;
        pos = end + 1;
    }
    return true;
}

} // namespace

int ParseFileEntry(const GString& value, const GString& modulePath, ManifestFileEntry& out)
{
    out = ManifestFileEntry();
    std::vector<GString> pieces;
    if (SplitWideString(value, pieces, L";") < 3)
        return ENTRY_TOO_FEW_FIELDS;
    out.url = pieces[0];
    out.md5 = pieces[1];
    out.folder = pieces[2];
    int slash = out.url.rfind(L'/');
    out.name = slash < 0 ? out.url : out.url.mid(slash + 1);
    out.finalPath = modulePath + out.folder + out.name;

    if (!IsSafeName(out.name.str()))
        return ENTRY_BAD_NAME;
    if (!IsSafeFolder(out.folder.str()))
        return ENTRY_BAD_FOLDER;
    if (out.finalPath.length() + 4 >= MAX_PATH)
        return ENTRY_TOO_LONG;

    // The resolved path must lie below the installation folder.
    wchar_t full[MAX_PATH * 2];
    DWORD n = GetFullPathNameW(out.finalPath.c_str(), MAX_PATH * 2, full, NULL);
    wchar_t base[MAX_PATH * 2];
    DWORD m = GetFullPathNameW(modulePath.c_str(), MAX_PATH * 2, base, NULL);
    if (modulePath.empty() || n == 0 || n >= MAX_PATH * 2 || m == 0 || m >= MAX_PATH * 2)
        return ENTRY_OUTSIDE;
    std::wstring root(base, m);
    while (!root.empty() && root[root.size() - 1] == L'\\')
        root.erase(root.size() - 1);
    root += L'\\';
    std::wstring resolved(full, n);
    if (!StartsWithNoCase(resolved, root) || resolved.size() == root.size() ||
        resolved.find(L':', root.size()) != std::wstring::npos)
        return ENTRY_OUTSIDE;
    return ENTRY_OK;
}
