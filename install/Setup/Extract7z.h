// Unpacking the installer's 7z archive into the installation folder with the
// 7-Zip C decoder (LZMA2 with the x86 BCJ filter, one solid block), one progress
// report per file. Part of the install worker (`setup_worker`).
#ifndef SETUP_EXTRACT7Z_H
#define SETUP_EXTRACT7Z_H

#include <windows.h>

#include <string>

class CInstaller;

// Unpacks every entry of the archive at archivePath into destDir, creating the
// folders of the entries' names ('/' and '\' both separate folders). Returns 0
// when every entry was written, otherwise a non-zero code of the decoder or of
// the system; later entries are then left unwritten. Nothing is written when an
// entry's name would leave destDir (absolute, "..", a drive or stream colon),
// nor through a link or over a folder. A locked file in the way is moved to
// "<name>.old" and written anew. Each file entry reports "正在解压<file name>"
// to installer (may be null) at entry index x 90 / entry count, at least 2.
int Extract7zArchive(const std::wstring& destDir, const std::wstring& archivePath, CInstaller* installer);
// The same for an archive read through an open file handle (readable and
// seekable, at any position); the handle stays open.
int Extract7zArchive(const std::wstring& destDir, HANDLE archive, CInstaller* installer);

#endif  // SETUP_EXTRACT7Z_H
