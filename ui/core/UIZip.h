// Skin zip archive reader: opens a zip from a file handle, a file name or a
// memory block, finds entries by name and unpacks them into memory, into a
// named file or into an open file handle. The archive format itself is read
// by minizip; this layer supplies its byte source and the result codes that
// the rest of the library checks.
#ifndef SKINUI_UIZIP_H
#define SKINUI_UIZIP_H

#include <windows.h>

namespace SkinUI {

// Where an archive (or an extraction target) comes from.
enum UIZipSourceKind
{
    UIZipFromHandle = 1,   // an open file handle (a HANDLE passed as the pointer)
    UIZipFromFile = 2,     // a file name (const wchar_t*)
    UIZipFromMemory = 3    // a memory block and its length
};

// Result codes of the zip layer.
enum UIZipResult
{
    UIZIP_OK = 0,
    UIZIP_E_DUPHANDLE = 0x100,        // the given file handle could not be duplicated
    UIZIP_E_NOFILE = 0x200,           // a file could not be opened or created
    UIZIP_E_WRITE = 0x400,            // extraction into a file failed while reading or writing
    UIZIP_E_NOTFOUND = 0x500,         // entry not found
    UIZIP_E_MORE = 0x600,             // memory extraction delivered bytes; call again to continue
    UIZIP_E_LOCALHEADER = 0x700,      // the entry's local header could not be checked
    UIZIP_E_EXTRAFIELD = 0x800,       // the entry's local extra field could not be read
    UIZIP_E_ARGS = 0x10000,           // bad argument: NULL handle, index out of range, unknown kind
    UIZIP_E_NOTOPEN = 0x80000,        // the handle is not open for reading
    UIZIP_E_ALREADYOPEN = 0x1000000,  // open on a reader that already holds an archive
    UIZIP_E_NOTDISK = 0x2000000,      // a handle source that is not a disk file
    UIZIP_E_DECOMPRESS = 0x5000000    // decompression failed during memory extraction
};

// The archive directory could not be read (minizip's UNZ_BADZIPFILE, -103).
const unsigned UIZIP_E_BADARCHIVE = (unsigned)-103;

// Largest entry (declared size, compressed or not) the reader accepts.
const unsigned UIZIP_MAX_ENTRY_SIZE = 0x10000000;

// The byte source that minizip reads the archive through.
struct UIZipSource
{
    bool bIsFile;            // kinds 1 and 2: the source owns a file handle
    bool bCanSeek;           // the handle is a disk file; always true for memory
    HANDLE hFile;
    bool bReadError;         // the last file read failed
    LONGLONG llStart;        // file position at opening; positions are relative to it
    const BYTE* pMemory;
    unsigned nMemLength;
    unsigned nMemPosition;
    bool bShortRead;         // the last read delivered fewer items than asked
};

// kind 1: source is a HANDLE (duplicated, the caller keeps its own handle);
// kind 2: source is a file name; kind 3: source is a memory block of length
// bytes that must outlive the source. On failure NULL and *code is set.
UIZipSource* UIZipSourceOpen(const void* source, unsigned length, int kind, unsigned* code);
int UIZipSourceClose(UIZipSource* src);
bool UIZipSourceHasError(const UIZipSource* src);
long UIZipSourceTell(const UIZipSource* src);
// origin: FILE_BEGIN, FILE_CURRENT or FILE_END. 0 on success, 29 when the file
// cannot seek, 19 for an unknown origin, -1 for a position outside the source.
int UIZipSourceSeek(UIZipSource* src, LONGLONG distance, int origin);
// Returns the number of whole items read.
unsigned UIZipSourceRead(UIZipSource* src, void* buffer, unsigned itemSize, unsigned count);

// Text conversion with the ANSI code page; both clear the buffer first.
// size / chars is the buffer capacity including the terminator.
int ZipWideToAnsi(int size, char* buffer, const wchar_t* text);
int ZipAnsiToWide(int chars, wchar_t* buffer, const char* text);

// Seconds since 1970-01-01 UTC (signed) to a FILETIME; false before 1970.
bool UnixTimeToFileTime(DWORD unixTime, FILETIME* ft);

// Creates each folder of path below base (outermost first). Existing folders
// and creation errors are ignored. Returns false, creating nothing, when the
// combined path would not fit in MAX_PATH characters or when path is not a
// plain relative path (see UIZipIsSafeRelativePath).
bool CreateDirectoryPath(const wchar_t* base, const wchar_t* path);

// True when path names something strictly below the folder it is relative
// to: not empty, no leading "/" or "\", no drive letter or other ":", no ".."
// path component.
bool UIZipIsSafeRelativePath(const wchar_t* path);

// One archive entry as callers receive it.
struct UIZipEntry
{
    int nIndex;
    wchar_t szName[MAX_PATH];
    DWORD dwAttributes;          // FILE_ATTRIBUTE_ bits
    FILETIME ftLastAccess;
    FILETIME ftCreation;
    FILETIME ftLastWrite;
    DWORD dwCompressedSize;
    DWORD dwUncompressedSize;
};

// The same record with the archive's own name: ANSI, or UTF-8 when the
// entry carries the zip UTF-8 flag (general-purpose bit 11).
struct UIZipEntryNarrow
{
    int nIndex;
    char szName[MAX_PATH];
    DWORD dwAttributes;
    FILETIME ftLastAccess;
    FILETIME ftCreation;
    FILETIME ftLastWrite;
    DWORD dwCompressedSize;
    DWORD dwUncompressedSize;
    bool bUtf8Name;
};

// An entry's name as UTF-16 (through UTF-8 or the ANSI code page, as the
// entry says); chars is the buffer capacity including the terminator.
int ZipEntryNameToWide(int chars, wchar_t* buffer, const UIZipEntryNarrow& entry);

class CUIZip
{
public:
    CUIZip();
    ~CUIZip();

    unsigned Open(const void* source, unsigned length, int kind);
    // index -1: nIndex receives the number of entries.
    unsigned GetEntry(int index, UIZipEntryNarrow* entry);
    unsigned FindEntry(const wchar_t* name, bool ignoreCase, int* index, UIZipEntryNarrow* entry);
    // kind 3: dest is a buffer of length bytes (UIZIP_E_MORE while bytes
    // arrive, 0 at the end); kind 2: dest is a file name; kind 1: dest is a
    // HANDLE open for writing.
    unsigned ExtractEntry(int index, void* dest, unsigned length, int kind);
    unsigned Close();

private:
    CUIZip(const CUIZip&);
    CUIZip& operator=(const CUIZip&);

    void CloseOpenEntry();
    unsigned MoveTo(int index);
    unsigned CheckCurrentSizes(unsigned long* method);
    unsigned ExtractToMemory(int index, void* dest, unsigned length);
    unsigned ExtractToFile(int index, void* dest, int kind);

    void* m_hArchive;                 // minizip archive, NULL when closed
    int m_nOpenIndex;                 // entry open for reading, -1 = none
    UIZipEntryNarrow m_cachedEntry;   // record of the last GetEntry
    int m_nCachedIndex;               // its index, -1 = none
    wchar_t m_szBaseFolder[MAX_PATH]; // current directory at opening plus "\"

    UIZipSource* m_pSource;           // the archive's source until minizip closes it
    int m_nEntryCount;
    int m_nCurrentIndex;              // minizip's current entry, -1 = unknown
    ULONGLONG m_nOpenDelivered;       // bytes delivered from the open entry
    ULONGLONG m_nOpenExpected;        // its declared uncompressed size
};

struct UIZipHandle
{
    int nMode;       // 1 = opened for reading
    CUIZip* pZip;
};

UIZipHandle* UIZipOpen(const void* source, unsigned length, int kind);
unsigned UIZipFindEntry(UIZipHandle* handle, const wchar_t* name, bool ignoreCase, int* index, UIZipEntry* entry);
unsigned UIZipExtractEntry(UIZipHandle* handle, int index, void* dest, unsigned length, int kind);
unsigned UIZipClose(UIZipHandle* handle);

} // namespace SkinUI

#endif
