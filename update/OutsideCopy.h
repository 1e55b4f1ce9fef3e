// The updater's copy of itself outside the installation folder: the second
// launch, started by the client from the folder, carries on from a copy of
// update.exe and Utils.dll in the temporary folder, so that nothing in the
// installation folder is in use while its files are replaced.
#pragma once

#include <string>

#include "FileOps.h"

namespace update {

// Name of the file beside a copy that holds the installation folder it works on.
extern const wchar_t kFolderFileName[];

// When the program runs as such a copy (exeDir holds the folder file), the
// installation folder it works on; otherwise false.
bool ReadCopyFolder(const std::wstring& exeDir, std::wstring* folder);

// Copies the running update.exe and its Utils.dll into a fresh folder below
// the temporary folder, writes the folder file there and starts the copy
// hidden with cmdLine (the updater's own command line). Copies left by earlier
// runs are removed first, where nothing holds them. True when the copy runs.
bool StartOutsideCopy(const std::wstring& installFolder, const std::wstring& cmdLine, IUpdateFileOps* ops);

}  // namespace update
