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
    Result Open(const std::wstring& path);
    bool IsHeld() const { return m_handle != INVALID_HANDLE_VALUE; }
    const std::wstring& Path() const { return m_path; }

    // The folder's entries, read through the handle; false when it cannot be listed.
    bool List(std::vector<FolderEntry>& entries) const;
    // Lets the folder go, clears its attributes and removes it when it is empty.
    void RemoveAndClose();
    void Close();

private:
    HANDLE m_handle;
    bool m_canWrite;   // the handle may change the attributes
    std::wstring m_path;
};

// dir and every folder of a relative file name below it, each held in turn, so
// that the file's full path leads through no link and stays inside dir while the
// chain lives. Open is false when the name would leave dir or a folder on the
// way is missing, a link or no folder.
class CHeldChain {
public:
    bool Open(const std::wstring& dir, const std::wstring& relative);
    // dir\relative, valid after a successful Open.
    const std::wstring& FullPath() const { return m_full; }

private:
    std::vector<std::unique_ptr<CHeldFolder> > m_folders;
    std::wstring m_full;
};

}  // namespace basetool

#endif  // BASETOOL_HELDFOLDER_H
