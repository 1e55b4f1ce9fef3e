// The installation folder as the product's own: the marker the installer leaves
// in a folder it created (only such a folder is removed as a whole), and the
// product's own files, which are all that is removed from a folder the user had
// before (a custom folder holding other files is never wiped). Shared by
// Setup.exe and Uninst.exe.
#ifndef BASETOOL_PRODUCTFOLDER_H
#define BASETOOL_PRODUCTFOLDER_H

#include <string>
#include <vector>

namespace basetool {

// Name of the marker file in a folder the installer created.
extern const wchar_t kFolderMarkerName[];   // "YexoShow.tag"

// True when dir holds the installer's marker (a plain file, not a link).
bool IsProductFolderOwned(const std::wstring& dir);
// Writes the marker (hidden); true when it exists afterwards.
bool MarkProductFolderOwned(const std::wstring& dir);

// The product's files in dir, relative to it: the shipped files, the files that
// dir\Local.ini lists, their updater leftovers ("<name>.new", ".old", ".old.old",
// ".error") and the files the programs write there (update.ini, localinfo.ini,
// updatefiles.dat, the marker). Names that would leave dir are never listed.
std::vector<std::wstring> ProductFileNames(const std::wstring& dir);

// Removes from dir only the product's files and the ".log" files of its "log"
// folder, then the "log" folder and dir themselves when they are empty. No file
// is deleted through a link, and files that resist are queued for deletion at
// reboot only under their ".error" name inside dir (CMisc::DeleteInside).
void DeleteProductFiles(const std::wstring& dir);

// True when dir (no link) holds nothing but the product's files and what its
// programs leave behind: "*.error", "*.old", "*.part", its INI files, the
// marker and a "log" folder of ".log" files. An empty folder holds only those;
// empty (may be null) tells whether dir holds nothing at all.
bool HoldsOnlyProductFiles(const std::wstring& dir, bool* empty = NULL);
// True when dir is the product's folder: the registered installation's, marked
// by the installer, or holding only the product's files (HoldsOnlyProductFiles).
bool IsProductsFolder(const std::wstring& dir);
// Deletes the leftovers of earlier runs from dir: the product's files with the
// endings ".old", ".old.old", ".error" and ".part" (not through links). Those
// still in use stay.
void RemoveProductLeftovers(const std::wstring& dir);

// True when a relative name stays inside the folder it is joined to: not empty,
// no drive or stream colon, no leading separator, no "." or ".." component,
// no characters Windows refuses in file names, no device name (CON, NUL, ...).
bool IsContainedRelativePath(const std::wstring& name);

}  // namespace basetool

#endif  // BASETOOL_PRODUCTFOLDER_H
