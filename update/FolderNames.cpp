#include "FolderNames.h"

#include "UpdatePaths.h"

namespace update {

namespace {

// Splits a back-slashed key at its last backslash.
bool SplitKey(const std::wstring& key, std::wstring* folder, std::wstring* leaf) {
    const size_t pos = key.rfind(L'\\');
    if (pos == std::wstring::npos || pos + 1 >= key.size()) return false;
    *folder = key.substr(0, pos);
    *leaf = key.substr(pos + 1);
    return true;
}

}  // namespace

const CFolderNames::Names& CFolderNames::FolderOf(const std::wstring& path, std::wstring* leafKey) {
    static const Names kNone;
    std::wstring folderKey;
    if (!SplitKey(PathKey(path), &folderKey, leafKey)) return kNone;
    std::unordered_map<std::wstring, Names>::iterator at = m_folders.find(folderKey);
    if (at != m_folders.end()) return at->second;

    Names& names = m_folders[folderKey];
    const std::wstring back = BackslashPath(path);
    const std::wstring pattern = back.substr(0, back.rfind(L'\\')) + L"\\*";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.insert(PathKey(data.cFileName));
        if (data.cAlternateFileName[0] != L'\0') names.insert(PathKey(data.cAlternateFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

bool CFolderNames::Listed(const std::wstring& path) {
    std::wstring leaf;
    const Names& names = FolderOf(path, &leaf);
    return !leaf.empty() && names.count(leaf) != 0;
}

}  // namespace update
