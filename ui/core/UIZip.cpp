// Skin zip archive reader over minizip.
#include "UIZip.h"

#include <string.h>
#include <wchar.h>
#include <new>

#include "unzip.h"

namespace SkinUI {

namespace {

const DWORD kPieceSize = 16384;
const unsigned kNameBytes = MAX_PATH;
// Room for the UTF-8 form of the longest name a lookup accepts (255 UTF-16
// units take at most 765 bytes).
const unsigned kUtf8NameBytes = 1024;
// General-purpose flag bit 11: the entry's name (and comment) are UTF-8.
const unsigned long kUtf8NameFlag = 0x800;

// ---- minizip callbacks over UIZipSource -------------------------------------

// The archive's "path" handed to unzOpen2 is the source itself.
voidpf ZCALLBACK ZipOpenFunc(voidpf, const char* filename, int)
{
    return (voidpf)filename;
}

uLong ZCALLBACK ZipReadFunc(voidpf, voidpf stream, void* buf, uLong size)
{
    return UIZipSourceRead((UIZipSource*)stream, buf, 1, (unsigned)size);
}

uLong ZCALLBACK ZipWriteFunc(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

long ZCALLBACK ZipTellFunc(voidpf, voidpf stream)
{
    return UIZipSourceTell((UIZipSource*)stream);
}

long ZCALLBACK ZipSeekFunc(voidpf, voidpf stream, uLong offset, int origin)
{
    int method;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: method = FILE_BEGIN; break;
    case ZLIB_FILEFUNC_SEEK_CUR: method = FILE_CURRENT; break;
    case ZLIB_FILEFUNC_SEEK_END: method = FILE_END; break;
    default: return -1;
    }
    return UIZipSourceSeek((UIZipSource*)stream, (LONGLONG)offset, method);
}

// opaque is the address of the reader's source slot: once minizip has closed
// the source, the reader must not close it again.
int ZCALLBACK ZipCloseFunc(voidpf opaque, voidpf stream)
{
    UIZipSource** slot = (UIZipSource**)opaque;
    if (slot != NULL && *slot == (UIZipSource*)stream)
        *slot = NULL;
    return UIZipSourceClose((UIZipSource*)stream);
}

// minizip reads the fields of its records byte by byte and tells a read error
// from the end of the data by this callback; its end-of-data code equals its
// OK code, so a record cut short would read as zeros. A short read is
// therefore an error here: every record it reads must be whole.
int ZCALLBACK ZipErrorFunc(voidpf, voidpf stream)
{
    const UIZipSource* src = (const UIZipSource*)stream;
    return (UIZipSourceHasError(src) || (src != NULL && src->bShortRead)) ? 1 : 0;
}

// ---- helpers -----------------------------------------------------------------

void ClearEntry(UIZipEntryNarrow* entry, int index)
{
    if (entry == NULL)
        return;
    memset(entry, 0, sizeof(*entry));
    entry->nIndex = index;
}

DWORD ReadLe32(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

WORD ReadLe16(const BYTE* p)
{
    return (WORD)(p[0] | (p[1] << 8));
}

// DOS date (high word) and time (low word), local time, to a FILETIME.
FILETIME DosTimeToFileTime(DWORD dosDateTime)
{
    FILETIME local = { 0, 0 }, ft = { 0, 0 };
    if (DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local))
        LocalFileTimeToFileTime(&local, &ft);
    return ft;
}

DWORD AttributesFrom(DWORD external)
{
    DWORD attr = FILE_ATTRIBUTE_NORMAL;
    if ((external & 0x40000000) || (external & 0x10))
        attr |= FILE_ATTRIBUTE_DIRECTORY;
    if (external & 0x20)
        attr |= FILE_ATTRIBUTE_ARCHIVE;
    if (external & 0x02)
        attr |= FILE_ATTRIBUTE_HIDDEN;
    if (external & 0x04)
        attr |= FILE_ATTRIBUTE_SYSTEM;
    if (external & 0x01)
        attr |= FILE_ATTRIBUTE_READONLY;
    // Archives made on Unix carry the mode in the upper half; without the
    // owner-write permission the entry is read-only. Archives that hold only
    // DOS bits say nothing about it.
    if ((external >> 16) != 0 && (external & 0x00800000) == 0)
        attr |= FILE_ATTRIBUTE_READONLY;
    return attr;
}

// The extended time stamp ("UT") block of a local extra field.
void ApplyExtendedTime(const BYTE* extra, unsigned size, UIZipEntryNarrow* entry)
{
    unsigned pos = 0;
    while (pos < size && size - pos >= 4) {
        const BYTE* block = extra + pos;
        unsigned dataSize = ReadLe16(block + 2);
        if (block[0] == 'U' && block[1] == 'T') {
            // Only what lies inside both the block and the field is read.
            unsigned avail = size - pos - 4;
            if (dataSize < avail)
                avail = dataSize;
            const BYTE* data = block + 4;
            if (avail < 1)
                return;
            BYTE flags = data[0];
            unsigned off = 1;
            FILETIME ft;
            if (flags & 0x01) {
                if (off + 4 > avail)
                    return;
                if (UnixTimeToFileTime(ReadLe32(data + off), &ft))
                    entry->ftLastWrite = ft;
                off += 4;
            }
            if (flags & 0x02) {
                if (off + 4 > avail)
                    return;
                if (UnixTimeToFileTime(ReadLe32(data + off), &ft))
                    entry->ftLastAccess = ft;
                off += 4;
            }
            if (flags & 0x04) {
                if (off + 4 > avail)
                    return;
                if (UnixTimeToFileTime(ReadLe32(data + off), &ft))
                    entry->ftCreation = ft;
            }
            return;
        }
        pos += 4 + dataSize;
    }
}

bool IsSeparator(wchar_t c)
{
    return c == L'/' || c == L'\\';
}

// Cuts a UTF-8 name that did not fit its buffer back to its last whole character.
void TrimPartialUtf8(char* name)
{
    size_t len = strlen(name);
    size_t end = len;
    while (end > 0 && ((unsigned char)name[end - 1] & 0xC0) == 0x80)
        --end;
    if (end > 0 && ((unsigned char)name[end - 1] & 0x80) != 0) {
        // name[end - 1] leads a sequence: keep it only when all of it is there.
        const unsigned char lead = (unsigned char)name[end - 1];
        const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (len - (end - 1) < need)
            len = end - 1;
    }
    name[len] = '\0';
}

int Utf8ToWide(int chars, wchar_t* buffer, const char* text)
{
    if (buffer == NULL || chars <= 0)
        return 0;
    memset(buffer, 0, sizeof(wchar_t) * (size_t)chars);
    if (text == NULL)
        return 0;
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, chars);
    if (n == 0)
        memset(buffer, 0, sizeof(wchar_t) * (size_t)chars);
    buffer[chars - 1] = L'\0';
    return n;
}

} // namespace

// ---- byte source -------------------------------------------------------------

UIZipSource* UIZipSourceOpen(const void* source, unsigned length, int kind, unsigned* code)
{
    unsigned dummy;
    if (code == NULL)
        code = &dummy;
    *code = UIZIP_OK;

    HANDLE h = INVALID_HANDLE_VALUE;
    switch (kind) {
    case UIZipFromHandle:
        if (!DuplicateHandle(GetCurrentProcess(), (HANDLE)source, GetCurrentProcess(), &h, 0,
                             FALSE, DUPLICATE_SAME_ACCESS)) {
            *code = UIZIP_E_DUPHANDLE;
            return NULL;
        }
        break;
    case UIZipFromFile:
        if (source == NULL) {
            *code = UIZIP_E_ARGS;
            return NULL;
        }
        h = CreateFileW((const wchar_t*)source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) {
            *code = UIZIP_E_NOFILE;
            return NULL;
        }
        break;
    case UIZipFromMemory:
        if (source == NULL) {
            *code = UIZIP_E_ARGS;
            return NULL;
        }
        break;
    default:
        *code = UIZIP_E_ARGS;
        return NULL;
    }

    UIZipSource* src = new (std::nothrow) UIZipSource;
    if (src == NULL) {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        *code = UIZIP_E_ARGS;
        return NULL;
    }
    memset(src, 0, sizeof(*src));
    src->hFile = INVALID_HANDLE_VALUE;
    if (kind == UIZipFromMemory) {
        src->bIsFile = false;
        src->bCanSeek = true;
        src->pMemory = (const BYTE*)source;
        src->nMemLength = length;
        src->nMemPosition = 0;
    } else {
        src->bIsFile = true;
        src->hFile = h;
        src->bCanSeek = GetFileType(h) == FILE_TYPE_DISK;
        if (src->bCanSeek) {
            LARGE_INTEGER zero, pos;
            zero.QuadPart = 0;
            pos.QuadPart = 0;
            if (SetFilePointerEx(h, zero, &pos, FILE_CURRENT))
                src->llStart = pos.QuadPart;
        }
    }
    return src;
}

int UIZipSourceClose(UIZipSource* src)
{
    if (src == NULL)
        return -1;
    if (src->bIsFile && src->hFile != INVALID_HANDLE_VALUE)
        CloseHandle(src->hFile);
    delete src;
    return 0;
}

bool UIZipSourceHasError(const UIZipSource* src)
{
    return src != NULL && src->bIsFile && src->bReadError;
}

long UIZipSourceTell(const UIZipSource* src)
{
    if (src == NULL)
        return -1;
    if (!src->bIsFile)
        return src->nMemPosition > 0x7FFFFFFFu ? -1 : (long)src->nMemPosition;
    if (!src->bCanSeek)
        return 0;
    LARGE_INTEGER zero, pos;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(src->hFile, zero, &pos, FILE_CURRENT))
        return -1;
    LONGLONG rel = pos.QuadPart - src->llStart;
    if (rel < 0 || rel > 0x7FFFFFFF)
        return -1;
    return (long)rel;
}

int UIZipSourceSeek(UIZipSource* src, LONGLONG distance, int origin)
{
    if (src == NULL)
        return -1;
    if (src->bIsFile) {
        if (!src->bCanSeek)
            return 29;
        LARGE_INTEGER target, pos;
        switch (origin) {
        case FILE_BEGIN:
            if (distance < 0)
                return -1;
            target.QuadPart = src->llStart + distance;
            break;
        case FILE_CURRENT:
        case FILE_END:
            target.QuadPart = distance;
            break;
        default:
            return 19;
        }
        LARGE_INTEGER before, zero;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(src->hFile, zero, &before, FILE_CURRENT))
            return -1;
        if (!SetFilePointerEx(src->hFile, target, &pos, (DWORD)origin))
            return -1;
        if (pos.QuadPart < src->llStart) {
            // Never before the archive's start.
            SetFilePointerEx(src->hFile, before, NULL, FILE_BEGIN);
            return -1;
        }
        return 0;
    }

    LONGLONG base;
    switch (origin) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = src->nMemPosition; break;
    case FILE_END: base = src->nMemLength; break;
    default: return 19;
    }
    // distance is at most 2^63-1 in magnitude and base below 2^32: the sum
    // cannot overflow except at the extremes, which are refused first.
    if (distance > 0 && distance > (LONGLONG)0x7FFFFFFFFFFFFFFFLL - base)
        return -1;
    LONGLONG target = base + distance;
    if (target < 0 || target > (LONGLONG)src->nMemLength)
        return -1;
    src->nMemPosition = (unsigned)target;
    return 0;
}

unsigned UIZipSourceRead(UIZipSource* src, void* buffer, unsigned itemSize, unsigned count)
{
    if (src == NULL || buffer == NULL || itemSize == 0 || count == 0)
        return 0;
    ULONGLONG want = (ULONGLONG)itemSize * count;
    if (src->bIsFile) {
        if (want > 0xFFFFFFFFull) {
            src->bReadError = true;
            src->bShortRead = true;
            return 0;
        }
        DWORD got = 0;
        BOOL ok = ReadFile(src->hFile, buffer, (DWORD)want, &got, NULL);
        src->bReadError = !ok;
        if (!ok) {
            src->bShortRead = true;
            return 0;
        }
        if (got > want)
            got = (DWORD)want;
        src->bShortRead = got / itemSize < count;
        return got / itemSize;
    }
    unsigned remain = src->nMemPosition < src->nMemLength ? src->nMemLength - src->nMemPosition : 0;
    unsigned items = remain / itemSize;
    if (items > count)
        items = count;
    unsigned bytes = items * itemSize;   // <= remain, no overflow
    if (bytes > 0) {
        memcpy(buffer, src->pMemory + src->nMemPosition, bytes);
        src->nMemPosition += bytes;
    }
    src->bShortRead = items < count;
    return items;
}

// ---- text, time and folders ----------------------------------------------------

int ZipWideToAnsi(int size, char* buffer, const wchar_t* text)
{
    if (buffer == NULL || size <= 0)
        return 0;
    memset(buffer, 0, (size_t)size);
    if (text == NULL)
        return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, size, NULL, NULL);
    if (n == 0)
        memset(buffer, 0, (size_t)size);   // too long: nothing half-converted
    buffer[size - 1] = '\0';
    return n;
}

int ZipAnsiToWide(int chars, wchar_t* buffer, const char* text)
{
    if (buffer == NULL || chars <= 0)
        return 0;
    memset(buffer, 0, sizeof(wchar_t) * (size_t)chars);
    if (text == NULL)
        return 0;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, chars);
    if (n == 0)
        memset(buffer, 0, sizeof(wchar_t) * (size_t)chars);
    buffer[chars - 1] = L'\0';
    return n;
}

int ZipEntryNameToWide(int chars, wchar_t* buffer, const UIZipEntryNarrow& entry)
{
    if (entry.bUtf8Name)
        return Utf8ToWide(chars, buffer, entry.szName);
    return ZipAnsiToWide(chars, buffer, entry.szName);
}

bool UnixTimeToFileTime(DWORD unixTime, FILETIME* ft)
{
    LONG t = (LONG)unixTime;
    if (ft == NULL || t < 0)
        return false;
    // Through the calendar fields, in UTC.
    ULONGLONG ticks = (ULONGLONG)t * 10000000ull + 116444736000000000ull;
    FILETIME raw;
    raw.dwLowDateTime = (DWORD)ticks;
    raw.dwHighDateTime = (DWORD)(ticks >> 32);
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&raw, &st))
        return false;
    st.wMilliseconds = 0;
    return SystemTimeToFileTime(&st, ft) != FALSE;
}

bool UIZipIsSafeRelativePath(const wchar_t* path)
{
    if (path == NULL || path[0] == L'\0' || IsSeparator(path[0]))
        return false;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L':')
            return false;
    }
    const wchar_t* comp = path;
    for (const wchar_t* p = path;; ++p) {
        if (*p == L'\0' || IsSeparator(*p)) {
            // Windows drops trailing dots and blanks of a component, so ". ."
            // and ".. " name the parent as well: refuse any component made of
            // nothing but dots and blanks that has two dots or more.
            int dots = 0;
            bool onlyDots = true;
            for (const wchar_t* q = comp; q < p; ++q) {
                if (*q == L'.')
                    ++dots;
                else if (*q != L' ')
                    onlyDots = false;
            }
            if (onlyDots && dots >= 2)
                return false;
            if (*p == L'\0')
                break;
            comp = p + 1;
        }
    }
    return true;
}

bool CreateDirectoryPath(const wchar_t* base, const wchar_t* path)
{
    if (base == NULL || path == NULL || !UIZipIsSafeRelativePath(path))
        return false;
    size_t baseLen = wcslen(base);
    size_t pathLen = wcslen(path);
    if (baseLen + pathLen >= MAX_PATH)
        return false;   // refused, never truncated
    wchar_t buf[MAX_PATH];
    memcpy(buf, base, baseLen * sizeof(wchar_t));
    memcpy(buf + baseLen, path, (pathLen + 1) * sizeof(wchar_t));
    for (size_t i = baseLen; i <= baseLen + pathLen; ++i) {
        wchar_t c = buf[i];
        if (c == L'\0' || IsSeparator(c)) {
            if (i > baseLen && !IsSeparator(buf[i - 1])) {
                buf[i] = L'\0';
                CreateDirectoryW(buf, NULL);
                buf[i] = c == L'/' ? L'\\' : c;
            }
            if (c == L'\0')
                break;
        }
    }
    return true;
}

// ---- reader ---------------------------------------------------------------------

CUIZip::CUIZip()
    : m_hArchive(NULL), m_nOpenIndex(-1), m_nCachedIndex(-1), m_pSource(NULL), m_nEntryCount(0),
      m_nCurrentIndex(-1), m_nOpenDelivered(0), m_nOpenExpected(0)
{
    ClearEntry(&m_cachedEntry, -1);
    m_szBaseFolder[0] = L'\0';
}

CUIZip::~CUIZip()
{
    Close();
}

unsigned CUIZip::Open(const void* source, unsigned length, int kind)
{
    if (m_hArchive != NULL || m_nOpenIndex != -1)
        return UIZIP_E_ALREADYOPEN;

    wchar_t cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
    m_szBaseFolder[0] = L'\0';
    if (n > 0 && n < MAX_PATH - 1) {
        wcscpy(m_szBaseFolder, cwd);
        if (!IsSeparator(m_szBaseFolder[n - 1]))
            wcscat(m_szBaseFolder, L"\\");
    }

    if (kind == UIZipFromHandle && GetFileType((HANDLE)source) != FILE_TYPE_DISK)
        return UIZIP_E_NOTDISK;

    unsigned code = UIZIP_OK;
    UIZipSource* src = UIZipSourceOpen(source, length, kind, &code);
    if (src == NULL)
        return code != UIZIP_OK ? code : (unsigned)UIZIP_E_ARGS;

    zlib_filefunc_def funcs;
    funcs.zopen_file = ZipOpenFunc;
    funcs.zread_file = ZipReadFunc;
    funcs.zwrite_file = ZipWriteFunc;
    funcs.ztell_file = ZipTellFunc;
    funcs.zseek_file = ZipSeekFunc;
    funcs.zclose_file = ZipCloseFunc;
    funcs.zerror_file = ZipErrorFunc;
    funcs.opaque = &m_pSource;

    // From here on minizip owns the source: it closes it in unzClose and on a
    // failed open.
    m_pSource = src;
    unzFile zf = unzOpen2((const char*)src, &funcs);
    if (zf == NULL) {
        if (m_pSource != NULL) {
            UIZipSourceClose(m_pSource);
            m_pSource = NULL;
        }
        return UIZIP_E_BADARCHIVE;
    }

    unz_global_info64 gi;
    if (unzGetGlobalInfo64(zf, &gi) != UNZ_OK) {
        unzClose(zf);
        if (m_pSource != NULL) {
            UIZipSourceClose(m_pSource);
            m_pSource = NULL;
        }
        return UIZIP_E_BADARCHIVE;
    }
    m_hArchive = zf;
    m_nEntryCount = gi.number_entry > 0x7FFFFFFF ? 0x7FFFFFFF : (int)gi.number_entry;
    m_nCurrentIndex = -1;
    m_nOpenIndex = -1;
    m_nCachedIndex = -1;
    ClearEntry(&m_cachedEntry, -1);
    return UIZIP_OK;
}

unsigned CUIZip::Close()
{
    CloseOpenEntry();
    if (m_hArchive != NULL) {
        unzClose((unzFile)m_hArchive);
        m_hArchive = NULL;
    }
    if (m_pSource != NULL) {
        UIZipSourceClose(m_pSource);
        m_pSource = NULL;
    }
    m_nEntryCount = 0;
    m_nCurrentIndex = -1;
    m_nCachedIndex = -1;
    ClearEntry(&m_cachedEntry, -1);
    return UIZIP_OK;
}

void CUIZip::CloseOpenEntry()
{
    if (m_nOpenIndex != -1) {
        if (m_hArchive != NULL)
            unzCloseCurrentFile((unzFile)m_hArchive);
        m_nOpenIndex = -1;
        m_nOpenDelivered = 0;
        m_nOpenExpected = 0;
    }
}

unsigned CUIZip::MoveTo(int index)
{
    unzFile zf = (unzFile)m_hArchive;
    if (m_nCurrentIndex < 0 || index < m_nCurrentIndex) {
        if (unzGoToFirstFile(zf) != UNZ_OK) {
            m_nCurrentIndex = -1;
            return UIZIP_E_LOCALHEADER;
        }
        m_nCurrentIndex = 0;
    }
    while (m_nCurrentIndex < index) {
        if (unzGoToNextFile(zf) != UNZ_OK) {
            m_nCurrentIndex = -1;
            return UIZIP_E_LOCALHEADER;
        }
        ++m_nCurrentIndex;
    }
    return UIZIP_OK;
}

// Refuses entries whose declared sizes cannot be genuine: larger than the
// reader accepts, stored with differing sizes, or inflating beyond what
// deflate can reach from the compressed size.
unsigned CUIZip::CheckCurrentSizes(unsigned long* method)
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64((unzFile)m_hArchive, &info, NULL, 0, NULL, 0, NULL, 0) != UNZ_OK)
        return UIZIP_E_LOCALHEADER;
    if (info.compressed_size > UIZIP_MAX_ENTRY_SIZE || info.uncompressed_size > UIZIP_MAX_ENTRY_SIZE)
        return UIZIP_E_LOCALHEADER;
    if (info.compression_method == 0 && info.compressed_size != info.uncompressed_size)
        return UIZIP_E_LOCALHEADER;
    if (info.compression_method == Z_DEFLATED &&
        info.uncompressed_size > info.compressed_size * 1100 + 4096)
        return UIZIP_E_LOCALHEADER;
    if (method != NULL)
        *method = info.compression_method;
    return UIZIP_OK;
}

unsigned CUIZip::GetEntry(int index, UIZipEntryNarrow* entry)
{
    if (m_hArchive == NULL) {
        ClearEntry(entry, -1);
        return UIZIP_E_NOTOPEN;
    }
    if (index < -1 || index >= m_nEntryCount) {
        ClearEntry(entry, -1);
        return UIZIP_E_ARGS;
    }
    CloseOpenEntry();

    if (index == -1) {
        ClearEntry(entry, m_nEntryCount);
        return UIZIP_OK;
    }
    if (index == m_nCachedIndex) {
        if (entry != NULL)
            *entry = m_cachedEntry;
        return UIZIP_OK;
    }

    unsigned code = MoveTo(index);
    if (code != UIZIP_OK) {
        ClearEntry(entry, -1);
        return code;
    }

    unzFile zf = (unzFile)m_hArchive;
    UIZipEntryNarrow rec;
    ClearEntry(&rec, index);
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zf, &info, rec.szName, kNameBytes - 1, NULL, 0, NULL, 0) != UNZ_OK) {
        ClearEntry(entry, -1);
        return UIZIP_E_LOCALHEADER;
    }
    rec.szName[kNameBytes - 1] = '\0';
    rec.bUtf8Name = (info.flag & kUtf8NameFlag) != 0;
    if (rec.bUtf8Name && info.size_filename > kNameBytes - 1)
        TrimPartialUtf8(rec.szName);
    code = CheckCurrentSizes(NULL);
    if (code != UIZIP_OK) {
        ClearEntry(entry, -1);
        return code;
    }

    // The local header check and the local extra field (raw: no inflate state).
    if (unzOpenCurrentFile2(zf, NULL, NULL, 1) != UNZ_OK) {
        ClearEntry(entry, -1);
        return UIZIP_E_LOCALHEADER;
    }
    BYTE* extra = NULL;
    int extraSize = unzGetLocalExtrafield(zf, NULL, 0);
    if (extraSize < 0 || extraSize > 0xFFFF) {
        unzCloseCurrentFile(zf);
        ClearEntry(entry, -1);
        return UIZIP_E_EXTRAFIELD;
    }
    if (extraSize > 0) {
        extra = new (std::nothrow) BYTE[extraSize];
        if (extra == NULL ||
            unzGetLocalExtrafield(zf, extra, (unsigned)extraSize) != extraSize) {
            delete[] extra;
            unzCloseCurrentFile(zf);
            ClearEntry(entry, -1);
            return UIZIP_E_EXTRAFIELD;
        }
    }
    unzCloseCurrentFile(zf);

    rec.dwAttributes = AttributesFrom((DWORD)info.external_fa);
    FILETIME ft = DosTimeToFileTime((DWORD)info.dosDate);
    rec.ftLastAccess = ft;
    rec.ftCreation = ft;
    rec.ftLastWrite = ft;
    if (extra != NULL)
        ApplyExtendedTime(extra, (unsigned)extraSize, &rec);
    delete[] extra;
    rec.dwCompressedSize = (DWORD)info.compressed_size;
    rec.dwUncompressedSize = (DWORD)info.uncompressed_size;

    m_cachedEntry = rec;
    m_nCachedIndex = index;
    if (entry != NULL)
        *entry = rec;
    return UIZIP_OK;
}

unsigned CUIZip::FindEntry(const wchar_t* name, bool ignoreCase, int* index, UIZipEntryNarrow* entry)
{
    if (index != NULL)
        *index = -1;
    if (m_hArchive == NULL) {
        ClearEntry(entry, -1);
        return UIZIP_E_NOTOPEN;
    }
    if (name == NULL) {
        ClearEntry(entry, -1);
        return UIZIP_E_ARGS;
    }
    CloseOpenEntry();

    // The wanted name with "/" separators, in the two forms entries use: the
    // ANSI code page for entries made the old way, UTF-8 for entries that
    // carry the UTF-8 flag.
    size_t wideLen = wcslen(name);
    int found = -1;
    if (wideLen > 0 && wideLen < 256) {
        wchar_t wantedWide[kNameBytes];
        memcpy(wantedWide, name, (wideLen + 1) * sizeof(wchar_t));
        for (size_t i = 0; i < wideLen; ++i) {
            if (wantedWide[i] == L'\\')
                wantedWide[i] = L'/';
        }
        char wanted[kNameBytes];
        ZipWideToAnsi(kNameBytes, wanted, wantedWide);
        const size_t len = strlen(wanted);
        const bool bAnsiUsable = len > 0 && len < 256;
        char wantedUtf8[kUtf8NameBytes];
        memset(wantedUtf8, 0, sizeof(wantedUtf8));
        if (WideCharToMultiByte(CP_UTF8, 0, wantedWide, -1, wantedUtf8, kUtf8NameBytes, NULL, NULL) == 0)
            wantedUtf8[0] = '\0';
        wchar_t wantedAnsiUpper[kNameBytes];
        wchar_t wantedUpper[kNameBytes];
        if (ignoreCase) {
            ZipAnsiToWide(kNameBytes, wantedAnsiUpper, wanted);
            CharUpperBuffW(wantedAnsiUpper, (DWORD)wcslen(wantedAnsiUpper));
            memcpy(wantedUpper, wantedWide, (wideLen + 1) * sizeof(wchar_t));
            CharUpperBuffW(wantedUpper, (DWORD)wideLen);
        }

        unzFile zf = (unzFile)m_hArchive;
        unz_file_pos saved;
        bool havePos = m_nCurrentIndex >= 0 && unzGetFilePos(zf, &saved) == UNZ_OK;
        int savedIndex = m_nCurrentIndex;

        int i = 0;
        int err = unzGoToFirstFile(zf);
        while (err == UNZ_OK && i < m_nEntryCount) {
            char entryName[kUtf8NameBytes];
            memset(entryName, 0, sizeof(entryName));
            unz_file_info64 info;
            if (unzGetCurrentFileInfo64(zf, &info, entryName, kUtf8NameBytes - 1, NULL, 0, NULL, 0) != UNZ_OK)
                break;
            bool match = false;
            if ((info.flag & kUtf8NameFlag) != 0) {
                if (ignoreCase) {
                    wchar_t entryWide[kUtf8NameBytes];
                    Utf8ToWide(kUtf8NameBytes, entryWide, entryName);
                    CharUpperBuffW(entryWide, (DWORD)wcslen(entryWide));
                    match = wcscmp(entryWide, wantedUpper) == 0;
                } else {
                    match = wantedUtf8[0] != '\0' && strcmp(entryName, wantedUtf8) == 0;
                }
            } else if (bAnsiUsable) {
                if (ignoreCase) {
                    wchar_t entryWide[kNameBytes];
                    entryName[kNameBytes - 1] = '\0';
                    ZipAnsiToWide(kNameBytes, entryWide, entryName);
                    CharUpperBuffW(entryWide, (DWORD)wcslen(entryWide));
                    match = wcscmp(entryWide, wantedAnsiUpper) == 0;
                } else {
                    match = strcmp(entryName, wanted) == 0;
                }
            }
            if (match) {
                found = i;
                break;
            }
            err = unzGoToNextFile(zf);
            ++i;
        }

        // Leave the reader where it was.
        if (havePos && unzGoToFilePos(zf, &saved) == UNZ_OK)
            m_nCurrentIndex = savedIndex;
        else
            m_nCurrentIndex = -1;
    }

    if (found < 0) {
        ClearEntry(entry, -1);
        return UIZIP_E_NOTFOUND;
    }
    if (index != NULL)
        *index = found;
    if (entry != NULL)
        return GetEntry(found, entry);
    return UIZIP_OK;
}

unsigned CUIZip::ExtractEntry(int index, void* dest, unsigned length, int kind)
{
    if (m_hArchive == NULL)
        return UIZIP_E_NOTOPEN;
    if (kind == UIZipFromMemory)
        return ExtractToMemory(index, dest, length);
    if (kind == UIZipFromHandle || kind == UIZipFromFile)
        return ExtractToFile(index, dest, kind);
    return UIZIP_E_ARGS;
}

unsigned CUIZip::ExtractToMemory(int index, void* dest, unsigned length)
{
    unzFile zf = (unzFile)m_hArchive;
    if (index != m_nOpenIndex || index < 0) {
        CloseOpenEntry();
        if (index < 0 || index >= m_nEntryCount)
            return UIZIP_E_ARGS;
        unsigned code = MoveTo(index);
        if (code != UIZIP_OK)
            return code;
        unsigned long method = 0;
        code = CheckCurrentSizes(&method);
        if (code != UIZIP_OK)
            return code;
        if (method != 0 && method != Z_DEFLATED)
            return UIZIP_E_DECOMPRESS;   // nothing this reader can unpack
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zf, &info, NULL, 0, NULL, 0, NULL, 0) != UNZ_OK)
            return UIZIP_E_LOCALHEADER;
        if (unzOpenCurrentFile(zf) != UNZ_OK)
            return UIZIP_E_LOCALHEADER;
        m_nOpenIndex = index;
        m_nOpenDelivered = 0;
        m_nOpenExpected = info.uncompressed_size;
    }
    if (dest == NULL && length > 0) {
        CloseOpenEntry();
        return UIZIP_E_ARGS;
    }
    if (length == 0) {
        CloseOpenEntry();
        return UIZIP_OK;
    }

    unsigned ask = length > 0x7FFFFFFFu ? 0x7FFFFFFFu : length;
    int got = unzReadCurrentFile(zf, dest, ask);
    if (got < 0) {
        CloseOpenEntry();
        return UIZIP_E_DECOMPRESS;
    }
    if (got > 0) {
        m_nOpenDelivered += (unsigned)got;
        return UIZIP_E_MORE;
    }

    // The end: short data or a checksum mismatch is no success.
    bool complete = m_nOpenDelivered == m_nOpenExpected;
    int err = unzCloseCurrentFile(zf);
    m_nOpenIndex = -1;
    m_nOpenDelivered = 0;
    m_nOpenExpected = 0;
    if (!complete || err != UNZ_OK)
        return UIZIP_E_DECOMPRESS;
    return UIZIP_OK;
}

unsigned CUIZip::ExtractToFile(int index, void* dest, int kind)
{
    CloseOpenEntry();
    if (index < 0 || index >= m_nEntryCount)
        return UIZIP_E_ARGS;
    if (dest == NULL)
        return UIZIP_E_ARGS;
    unsigned code = MoveTo(index);
    if (code != UIZIP_OK)
        return code;
    UIZipEntryNarrow rec;
    code = GetEntry(index, &rec);
    if (code != UIZIP_OK)
        return code;
    // GetEntry answers repeated calls from its cache without moving.
    code = MoveTo(index);
    if (code != UIZIP_OK)
        return code;

    if (rec.dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (kind == UIZipFromFile) {
            // The archive's own names must stay below the base folder.
            wchar_t folder[MAX_PATH];
            ZipEntryNameToWide(MAX_PATH, folder, rec);
            if (!CreateDirectoryPath(m_szBaseFolder, folder))
                return UIZIP_E_NOFILE;
        }
        return UIZIP_OK;
    }

    HANDLE h;
    if (kind == UIZipFromFile) {
        const wchar_t* target = (const wchar_t*)dest;
        const wchar_t* last = NULL;
        for (const wchar_t* p = target; *p; ++p) {
            if (IsSeparator(*p))
                last = p;
        }
        if (last != NULL && last > target) {
            size_t n = (size_t)(last - target);
            if (n < MAX_PATH) {
                wchar_t folder[MAX_PATH];
                memcpy(folder, target, n * sizeof(wchar_t));
                folder[n] = L'\0';
                // Absolute folder parts and ".." are not created.
                if (UIZipIsSafeRelativePath(folder))
                    CreateDirectoryPath(m_szBaseFolder, folder);
            }
        }
        h = CreateFileW(target, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, rec.dwAttributes, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return UIZIP_E_NOFILE;
    } else {
        h = (HANDLE)dest;
    }

    unzFile zf = (unzFile)m_hArchive;
    bool failed = false;
    int method = 0;
    if (unzOpenCurrentFile2(zf, &method, NULL, 0) != UNZ_OK) {
        failed = true;
    } else {
        if (method != 0 && method != Z_DEFLATED)
            failed = true;
        BYTE* piece = failed ? NULL : new (std::nothrow) BYTE[kPieceSize];
        if (piece == NULL)
            failed = true;
        ULONGLONG total = 0;
        while (!failed) {
            int got = unzReadCurrentFile(zf, piece, kPieceSize);
            if (got < 0) {
                failed = true;
                break;
            }
            if (got == 0)
                break;
            DWORD written = 0;
            if (!WriteFile(h, piece, (DWORD)got, &written, NULL) || written != (DWORD)got) {
                failed = true;
                break;
            }
            total += (unsigned)got;
        }
        delete[] piece;
        // Short data or a checksum mismatch is a failed read.
        if (unzCloseCurrentFile(zf) != UNZ_OK)
            failed = true;
        if (!failed && total != rec.dwUncompressedSize)
            failed = true;
    }

    if (!failed && GetFileType(h) == FILE_TYPE_DISK)
        SetFileTime(h, &rec.ftCreation, &rec.ftLastAccess, &rec.ftLastWrite);
    if (kind == UIZipFromFile)
        CloseHandle(h);
    return failed ? UIZIP_E_WRITE : UIZIP_OK;
}

// ---- C layer ----------------------------------------------------------------------

UIZipHandle* UIZipOpen(const void* source, unsigned length, int kind)
{
    CUIZip* zip = new (std::nothrow) CUIZip;
    if (zip == NULL)
        return NULL;
    if (zip->Open(source, length, kind) != UIZIP_OK) {
        delete zip;
        return NULL;
    }
    UIZipHandle* handle = new (std::nothrow) UIZipHandle;
    if (handle == NULL) {
        delete zip;
        return NULL;
    }
    handle->nMode = 1;
    handle->pZip = zip;
    return handle;
}

unsigned UIZipFindEntry(UIZipHandle* handle, const wchar_t* name, bool ignoreCase, int* index, UIZipEntry* entry)
{
    if (handle == NULL)
        return UIZIP_E_ARGS;
    if (handle->nMode != 1)
        return UIZIP_E_NOTOPEN;
    UIZipEntryNarrow narrow;
    ClearEntry(&narrow, -1);
    unsigned code = handle->pZip->FindEntry(name, ignoreCase, index, entry != NULL ? &narrow : NULL);
    if (entry != NULL) {
        entry->nIndex = narrow.nIndex;
        ZipEntryNameToWide(MAX_PATH, entry->szName, narrow);
        entry->dwAttributes = narrow.dwAttributes;
        entry->ftLastAccess = narrow.ftLastAccess;
        entry->ftCreation = narrow.ftCreation;
        entry->ftLastWrite = narrow.ftLastWrite;
        entry->dwCompressedSize = narrow.dwCompressedSize;
        entry->dwUncompressedSize = narrow.dwUncompressedSize;
    }
    return code;
}

unsigned UIZipExtractEntry(UIZipHandle* handle, int index, void* dest, unsigned length, int kind)
{
    if (handle == NULL)
        return UIZIP_E_ARGS;
    if (handle->nMode != 1)
        return UIZIP_E_NOTOPEN;
    return handle->pZip->ExtractEntry(index, dest, length, kind);
}

unsigned UIZipClose(UIZipHandle* handle)
{
    if (handle == NULL)
        return UIZIP_E_ARGS;
    if (handle->nMode != 1)
        return UIZIP_E_NOTOPEN;
    unsigned code = handle->pZip->Close();
    delete handle->pZip;
    delete handle;
    return code;
}

} // namespace SkinUI
