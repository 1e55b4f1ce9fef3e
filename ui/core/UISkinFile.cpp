// Reading the skin's raw bytes: a whole file, or one entry of the skin zip.
#include "UISkinFile.h"

#include <string.h>
#include <new>

#include "UIManager.h"
#include "UIZip.h"

namespace SkinUI {

UISkinRead UIReadSkinFile(LPCTSTR pstrPath, DWORD cbMax, BYTE** ppData, DWORD* pcbData)
{
    HANDLE hFile = ::CreateFileW(pstrPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) return UISkinOpenFailed;
    UISkinRead result = UISkinReadOk;
    LARGE_INTEGER length;
    if (!::GetFileSizeEx(hFile, &length)) {
        result = UISkinReadFailed;
    }
    else if (length.QuadPart == 0) {
        result = UISkinEmpty;
    }
    else if (length.QuadPart > (LONGLONG)cbMax) {
        result = UISkinTooLarge;
    }
    else {
        const DWORD cb = (DWORD)length.QuadPart;
        BYTE* data = new (std::nothrow) BYTE[cb];
        DWORD got = 0;
        if (data == NULL || !::ReadFile(hFile, data, cb, &got, NULL) || got != cb) {
            delete[] data;
            result = UISkinReadFailed;
        }
        else {
            *ppData = data;
            *pcbData = cb;
        }
    }
    ::CloseHandle(hFile);
    return result;
}

UISkinRead UIReadSkinZipEntry(LPCTSTR pstrName, DWORD cbMax, BYTE** ppData, DWORD* pcbData)
{
    UIZipHandle* hZip = NULL;
    bool bOwnZip = false;
    if (CUIManager::IsResourceZipCached()) hZip = CUIManager::GetResourceZipHandle();
    if (hZip == NULL) {
        CUIString sZip = CUIManager::GetResourcePath();
        sZip += CUIManager::GetResourceZipName();
        hZip = UIZipOpen(sZip.GetData(), 0, UIZipFromFile);
        bOwnZip = true;
    }
    if (hZip == NULL) return UISkinZipOpenFailed;

    UISkinRead result = UISkinReadOk;
    int index = -1;
    UIZipEntry entry;
    memset(&entry, 0, sizeof(entry));
    if (UIZipFindEntry(hZip, pstrName, true, &index, &entry) != 0) {
        result = UISkinEntryMissing;
    }
    else if (entry.dwUncompressedSize == 0) {
        result = UISkinEmpty;
    }
    else if (entry.dwUncompressedSize > cbMax) {
        result = UISkinTooLarge;
    }
    else {
        const DWORD cb = entry.dwUncompressedSize;
        BYTE* data = new (std::nothrow) BYTE[cb];
        unsigned unzip = data != NULL ? UIZipExtractEntry(hZip, index, data, cb, UIZipFromMemory)
                                      : (unsigned)UIZIP_E_ARGS;
        // A buffer of the entry's size holds all of it; one more call must
        // then find the end and a matching checksum, or the entry was short
        // or damaged.
        if (unzip == (unsigned)UIZIP_E_MORE) {
            BYTE probe = 0;
            unzip = UIZipExtractEntry(hZip, index, &probe, 1, UIZipFromMemory);
        }
        if (unzip != (unsigned)UIZIP_OK) {
            delete[] data;
            result = UISkinUnzipFailed;
        }
        else {
            *ppData = data;
            *pcbData = cb;
        }
    }
    if (bOwnZip) UIZipClose(hZip);
    return result;
}

} // namespace SkinUI
