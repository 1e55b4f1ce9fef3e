// basetool::CHeldFolder: a folder opened as itself, never through a link, and
// held so that nobody can rename, remove or replace it while the deletions of
// the installer and the uninstaller work below it; its entries are listed through
// that same handle. Shared by Setup.exe and Uninst.exe (static library `basetool`).
#ifndef BASETOOL_HELDFOLDER_H
#define BASETOOL_HELDFOLDER_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace basetool {

// One entry of a held folder (never "." or "..").
struct FolderEntry {
    std::wstring name;
    DWORD attributes;
};

class CHeldFolder {
public:
    enum Result { kHeld, kMissing, kLink, kNotFolder, kBusy };

    CHeldFolder();
    ~CHeldFolder();
    CHeldFolder(const CHeldFolder&) = delete;
    CHeldFolder& operator=(const CHeldFolder&) = delete;

    // Opens path as itself without sharing deletion, so that while it is held the
    // folder cannot be renamed or removed (it can be held more than once) and a name below it resolves inside it.
    // kLink when path is a link (junction, symbolic link or mount point), told by
    // the handle's own attributes and, for systems that hand out a link's target
    // (Wine with Unix links), by the name once the handle holds it.
    // The handle must also be the very folder path names: a system that
    // followed a link anyway (Wine) resolves it to a folder of another path.
    Result Open(const std::wstring& path);
    // Opens parent's entry name the same way; the folder opened must lie in the
    // very folder parent holds, so that a link put there after parent was listed
    // is told by the handle, whatever its name shows.
    Result Open(const CHeldFolder& parent, const std::wstring& name);
    bool IsHeld() const { return m_handle != INVALID_HANDLE_VALUE; }
    const std::wstring& Path() const { return m_path; }
    // The path the system resolved the held handle to (empty when it cannot tell).
    const std::wstring& ResolvedPath() const { return m_resolved; }

    // The folder's entries, read through the handle; false when it cannot be listed.
    bool List(std::vector<FolderEntry>& entries) const;
    // Lets the folder go, clears its attributes and removes it when it is empty
    // and still this folder (a link put in its place goes as a link only); true
    // when it was removed.
    bool RemoveAndClose();
    void Close();

private:
    Result OpenIn(const std::wstring& path, const std::wstring& parentResolved);

    HANDLE m_handle;
    bool m_canWrite;   // the handle may change the attributes
    std::wstring m_path;
    std::wstring m_resolved;
};

// The path the system resolved an open handle to, in the form "C:\a\b" or
// "\\server\share\a"; empty when the system cannot tell.
std::wstring ResolvedHandlePath(HANDLE handle);
// True when an open handle is the entry path names itself and not what a link
// there leads to: its resolved path is parentResolved joined with path's last
// component or, without parentResolved, ends in that component. True also when
// the system cannot tell; the handle's attributes decide then.
bool HandleIsPath(HANDLE handle, const std::wstring& path, const std::wstring& parentResolved);

// dir and every folder of a relative file name below it, each held in turn, so
// that the file's full path leads through no link and stays inside dir while the
// chain lives. Open is false when the name would leave dir or a folder on the
// way is missing, a link or no folder.
class CHeldChain {
public:
    bool Open(const std::wstring& dir, const std::wstring& relative);
    // dir\relative, valid after a successful Open.
    const std::wstring& FullPath() const { return m_full; }
    // The held folder that holds the last component, valid after a successful Open.
    const CHeldFolder& Parent() const { return *m_folders.back(); }

private:
    std::vector<std::unique_ptr<CHeldFolder> > m_folders;
    std::wstring m_full;
};

}  // namespace basetool

#endif  // BASETOOL_HELDFOLDER_H
