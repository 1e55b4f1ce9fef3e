// The installation folder's access rules: the fixed security descriptor the
// folder is created with, and the full access given to the user of the desktop
// session (also when the installer runs elevated under another account). Part of
// the install worker (`setup_worker`).
#ifndef SETUP_FOLDERSECURITY_H
#define SETUP_FOLDERSECURITY_H

#include <windows.h>

#include <string>

// The folder's descriptor as text, exactly as stored: deny built-in guests and
// anonymous logons, allow authenticated users read, write and execute and
// administrators everything, each entry inherited by sub-folders and files.
extern const wchar_t kFolderSddl[];

// The text without its blanks, as every converter reads it (some stop at the
// first blank).
std::wstring CompactSddl(const wchar_t* sddl);
// The descriptor of kFolderSddl, or NULL when it cannot be made completely (a
// DACL with fewer entries than the text names counts as a failure). Freed with
// LocalFree.
PSECURITY_DESCRIPTOR CreateFolderSecurityDescriptor();

// The user name of the desktop session; the thread's user when it is unknown.
std::wstring GetSessionUserName();
// A copy of dacl (may be null) with one more entry allowing sid GENERIC_ALL on
// the object itself (no inheritance), in canonical order. Freed with LocalFree.
PACL BuildGrantedDacl(PACL dacl, PSID sid);
// Adds that entry for account to folder's DACL; true when the new list was set.
bool GrantFolderAccess(const std::wstring& account, const std::wstring& folder);

#endif  // SETUP_FOLDERSECURITY_H
