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
    // for deletion at reboot, which leaves the folder in place. False (logged,
    // nothing deleted) also when the folder cannot be opened or listed; a
    // sub-folder that cannot be is logged and stays. A path that is a link is
    // removed as a link only.
    static bool DeleteFolder(const std::wstring& path, const KeepPredicate& keep = KeepPredicate());

    // Deletes one file (read-only or not). When it cannot be deleted now (a
    // running exe), the failure is logged, the file is renamed to "<name>.error"
    // and that name is queued for deletion at reboot; a file that cannot be
    // renamed either stays, is logged and is not queued (its own name may belong
    // to a new installation by the next start). True when the file is gone now.
    // The caller makes sure no folder on the path is a link (CHeldChain).
    // The file is opened as itself (never through a link) and checked, cleared
    // and deleted or renamed through that one handle; a link at path goes as a
    // link, one the system follows anyway is left, a folder is no file.
    static bool DeleteFileOrQueue(const std::wstring& path);
    // The same without the rename and the queue: a file that resists stays.
    static bool DeleteFileNow(const std::wstring& path);

    // Deletes the file dir\relative when the name stays inside dir and no folder on
    // the way is a link (each held while the file goes); a link as the file
    // itself is removed as a link. True when nothing is left at that name.
    static bool DeleteInside(const std::wstring& dir, const std::wstring& relative);

    // Queues path for deletion at the next Windows start and makes the queue
    // durable at once; true when queued.
    static bool QueueForReboot(const std::wstring& path);

    // Removes a link (a reparse point) itself, never what it points to.
    static bool RemoveLink(const std::wstring& path);

private:
    static bool DeleteOneFile(const std::wstring& path, bool queue);
};

}  // namespace basetool

#endif  // BASETOOL_MISC_H
