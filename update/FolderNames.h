// The names in the folders the first launch walks through, listed once per
// folder. Probing a name that is not there costs a file-system lookup each
// time (under Wine a scan of the whole folder for a case-insensitive match),
// and a manifest asks about two or three names per entry, most of them absent.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace update {

class CFolderNames {
public:
    // True when the folder of `path` held an entry whose long or short name
    // equals the last part of `path` (ignoring case) when it was first
    // listed. A folder that cannot be listed holds nothing.
    bool Listed(const std::wstring& path);

private:
    typedef std::unordered_set<std::wstring> Names;
    const Names& FolderOf(const std::wstring& path, std::wstring* leafKey);
    std::unordered_map<std::wstring, Names> m_folders;   // PathKey of the folder -> PathKeys of its names
};

}  // namespace update
