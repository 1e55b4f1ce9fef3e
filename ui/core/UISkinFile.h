// Reading the skin's raw bytes: a whole file, or one entry of the skin zip.
// Shared by the markup loader and the image loader.
#ifndef SKINUI_UISKINFILE_H
#define SKINUI_UISKINFILE_H

#include <windows.h>

namespace SkinUI {

enum UISkinRead
{
    UISkinReadOk = 0,
    UISkinOpenFailed,      // the file cannot be opened
    UISkinEmpty,           // the file or entry has no bytes
    UISkinTooLarge,        // more bytes than the caller takes
    UISkinReadFailed,      // reading the file failed, or no memory
    UISkinZipOpenFailed,   // the skin zip cannot be opened
    UISkinEntryMissing,    // no entry of that name
    UISkinUnzipFailed      // unpacking failed, or the entry is short or damaged
};

// A whole file into a new buffer of its size (freed with delete[]).
UISkinRead UIReadSkinFile(LPCTSTR pstrPath, DWORD cbMax, BYTE** ppData, DWORD* pcbData);

// An entry of the skin zip (found ignoring case) into a new buffer of its
// size (freed with delete[]). The zip is the manager's kept-open one, or
// resource path + zip name opened for this call only.
UISkinRead UIReadSkinZipEntry(LPCTSTR pstrName, DWORD cbMax, BYTE** ppData, DWORD* pcbData);

} // namespace SkinUI

#endif // SKINUI_UISKINFILE_H
