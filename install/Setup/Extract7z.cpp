// The installer's 7z extraction loop over the 7-Zip C decoder, with wide paths
// throughout so that folders outside the ANSI code page work.
#include "Extract7z.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "7z.h"
#include "7zAlloc.h"
#include "7zCrc.h"
#include "7zFile.h"
#include "BaseTool.h"
#include "Installer.h"
#include "ProductFolder.h"

namespace {

const size_t kLookBufferBytes = static_cast<size_t>(1) << 18;
// The attribute bits an unpacked file may carry.
const DWORD kFileAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The decoder's state for one archive, freed on every path.
struct CArchive {
    ISzAlloc alloc;
    CFileInStream file;
    CLookToRead2 look;
    CSzArEx db;
    bool fileOpen;
    Byte* outBuffer;
    size_t outBufferSize;
    UInt32 blockIndex;

    CArchive() : fileOpen(false), outBuffer(NULL), outBufferSize(0), blockIndex(0xFFFFFFFF)
    {
        alloc.Alloc = SzAlloc;
        alloc.Free = SzFree;
        File_Construct(&file.file);
        LookToRead2_CreateVTable(&look, False);
        look.buf = NULL;
        SzArEx_Init(&db);
    }
    ~CArchive()
    {
        ISzAlloc_Free(&alloc, outBuffer);
        SzArEx_Free(&db, &alloc);
        ISzAlloc_Free(&alloc, look.buf);
        if (fileOpen)
            File_Close(&file.file);
    }
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
};

std::wstring EntryName(const CSzArEx& db, UInt32 index, std::vector<UInt16>& buffer)
{
    size_t length = SzArEx_GetFileNameUtf16(&db, index, NULL);
    if (length > buffer.size())
        buffer.assign(length, 0);
    if (length == 0)
        return std::wstring();
    SzArEx_GetFileNameUtf16(&db, index, &buffer[0]);
    // length counts the terminating zero.
    return std::wstring(reinterpret_cast<const wchar_t*>(&buffer[0]), length - 1);
}

bool IsDirectory(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates destDir\<each leading folder of name>; name's separators become '\'.
// False when a folder cannot be made or is a link (which could lead outside).
bool CreateEntryFolders(const std::wstring& destDir, std::wstring& name)
{
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != L'/' && name[i] != L'\\')
            continue;
        std::wstring folder = basetool::AppendPath(destDir, name.substr(0, i));
        if (folder.empty())
            return false;
        CreateDirectoryW(folder.c_str(), NULL);
        DWORD attributes = GetFileAttributesW(folder.c_str());
        if (!IsDirectory(attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
        name[i] = L'\\';
    }
    return true;
}

// Opens path for writing. A file that cannot be opened (a running exe) or a link
// in the way is moved to "<path>.old" first; a folder in the way is an error.
WRes OpenOutputFile(CSzFile* out, const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (IsDirectory(attributes) && !link)
        return ERROR_DIRECTORY;
    WRes result = link ? ERROR_ACCESS_DENIED : OutFile_OpenW(out, path.c_str());
    if (result == 0)
        return 0;
    if (!MoveFileW(path.c_str(), (path + L".old").c_str())) {
        DWORD error = GetLastError();
        return error != 0 ? error : result;
    }
    return OutFile_OpenW(out, path.c_str());
}

void ApplyAttributes(const CSzArEx& db, UInt32 index, const std::wstring& path)
{
    if (!SzBitWithVals_Check(&db.Attribs, index))
        return;
    UInt32 attributes = db.Attribs.Vals[index];
    // Archives made on Unix keep the file mode in the high 16 bits.
    if (attributes & 0xF0000000)
        attributes &= 0x7FFF;
    attributes &= kFileAttributeMask;
    SetFileAttributesW(path.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
}

int ExtractOpened(CArchive& archive, const std::wstring& destDir, CInstaller* installer);

}  // namespace

int Extract7zArchive(const std::wstring& destDir, const std::wstring& archivePath, CInstaller* installer)
{
    CArchive archive;
    WRes opened = InFile_OpenW(&archive.file.file, archivePath.c_str());
    if (opened != 0)
        return static_cast<int>(opened);
    archive.fileOpen = true;
    return ExtractOpened(archive, destDir, installer);
}

int Extract7zArchive(const std::wstring& destDir, HANDLE file, CInstaller* installer)
{
    if (file == INVALID_HANDLE_VALUE || file == NULL)
        return ERROR_INVALID_HANDLE;
    CArchive archive;
    archive.file.file.handle = file;   // the caller's: not closed here
    if (SetFilePointer(file, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return static_cast<int>(GetLastError());
    return ExtractOpened(archive, destDir, installer);
}

namespace {

int ExtractOpened(CArchive& archive, const std::wstring& destDir, CInstaller* installer)
{
    FileInStream_CreateVTable(&archive.file);
    archive.file.wres = 0;
    archive.look.buf = static_cast<Byte*>(ISzAlloc_Alloc(&archive.alloc, kLookBufferBytes));
    if (archive.look.buf == NULL)
        return SZ_ERROR_MEM;
    archive.look.bufSize = kLookBufferBytes;
    archive.look.realStream = &archive.file.vt;
    LookToRead2_INIT(&archive.look)
    CrcGenerateTable();
    SRes result = SzArEx_Open(&archive.db, &archive.look.vt, &archive.alloc, &archive.alloc);
    if (result != SZ_OK)
        return result;

    const CSzArEx& db = archive.db;
    std::vector<UInt16> nameBuffer;
    // Every name is checked before anything is written, so a hostile archive
    // leaves the folder as it was.
    for (UInt32 i = 0; i < db.NumFiles; ++i)
        if (!basetool::IsContainedRelativePath(EntryName(db, i, nameBuffer)))
            return SZ_ERROR_ARCHIVE;

    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        std::wstring name = EntryName(db, i, nameBuffer);
        const bool isDir = SzArEx_IsDir(&db, i) != 0;
        size_t offset = 0;
        size_t processed = 0;
        if (!isDir) {
            result = SzArEx_Extract(&db, &archive.look.vt, i, &archive.blockIndex, &archive.outBuffer,
                                    &archive.outBufferSize, &offset, &processed, &archive.alloc, &archive.alloc);
            if (result != SZ_OK)
                return result;
        }
        if (!CreateEntryFolders(destDir, name))
            return SZ_ERROR_WRITE;
        std::wstring path = basetool::AppendPath(destDir, name);
        if (path.empty())
            return SZ_ERROR_WRITE;
        if (isDir) {
            CreateDirectoryW(path.c_str(), NULL);
            DWORD attributes = GetFileAttributesW(path.c_str());
            if (!IsDirectory(attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                return SZ_ERROR_WRITE;
            continue;
        }

        CSzFile out;
        File_Construct(&out);
        WRes wres = OpenOutputFile(&out, path);
        if (wres != 0)
            return static_cast<int>(wres);
        size_t written = processed;
        wres = File_Write(&out, archive.outBuffer + offset, &written);
        WRes closed = File_Close(&out);
        if (wres != 0 || written != processed || closed != 0)
            return wres != 0 ? static_cast<int>(wres) : SZ_ERROR_WRITE;
        ApplyAttributes(db, i, path);

        if (installer != NULL) {
            unsigned int percent = static_cast<unsigned int>(i) * 90u / db.NumFiles;
            if (percent < 2)
                percent = 2;
            wchar_t text[MAX_PATH + 16];
            _snwprintf(text, MAX_PATH + 15, L"正在解压%s", basetool::GetFileNamePart(path).c_str());
            text[MAX_PATH + 15] = 0;
            installer->ReportStep(text, static_cast<int>(percent));
        }
    }
    return SZ_OK;
}

}  // namespace
