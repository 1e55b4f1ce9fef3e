// Shell links (.lnk files) for the installer's desktop and start-menu entries.
// Part of the install worker (`setup_worker`); COM must be initialised.
#ifndef SETUP_SHORTCUT_H
#define SETUP_SHORTCUT_H

#include <string>

// Creates folder\<name without its extension>.lnk pointing at target, which must
// exist (or be a URL). Empty icon, description or arguments are left unset; the
// icon is taken at index 0; the window opens normally. The folder is created
// when missing. True when the link was saved.
bool CreateShortcut(const std::wstring& icon, const std::wstring& target, const std::wstring& folder,
                    const std::wstring& name, const std::wstring& description, const std::wstring& arguments);

#endif  // SETUP_SHORTCUT_H
