// basetool::CMisc: the uninstaller's recursive folder deletion. Files that resist
// are logged, renamed to "<name>.error" and queued for deletion at the next
// Windows start; links are removed as links and never followed; drive roots and
// the system's own folders are refused.
#ifndef BASETOOL_MISC_H
#define BASETOOL_MISC_H

#include <functional>
#include <string>

namespace basetool {

class CMisc {
public:
    // true = leave the file at this full path alone.
    typedef std::function<bool(const std::wstring& path)> KeepPredicate;

    // Deletes everything in path and then path itself. False (and nothing
    // deleted) when path is missing, is not a folder or is a protected folder
    // (IsProtectedFolder); true otherwise, also when some files had to be queued
    // for deletion at reboot, which leaves the folder in place. A path that is a
    // link is removed as a link only.
    static bool DeleteFolder(const std::wstring& path, const KeepPredicate& keep = KeepPredicate());

    // Deletes one file (read-only or not). When it cannot be deleted now (a
    // running exe), the failure is logged, the file is renamed to "<name>.error"
    // and that name is queued for deletion at reboot. True when the file is gone
    // now.
    static bool DeleteFileOrQueue(const std::wstring& path);

    // Removes a link (a reparse point) itself, never what it points to.
    static bool RemoveLink(const std::wstring& path);
};

}  // namespace basetool

#endif  // BASETOOL_MISC_H
