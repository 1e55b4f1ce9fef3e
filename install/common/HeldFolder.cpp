// Folders opened as themselves and held while the installer's and the
// uninstaller's deletions work below them (basetool::CHeldFolder, CHeldChain).
#include "HeldFolder.h"

#include <shlwapi.h>

#include "BaseTool.h"
#include "ProductFolder.h"

namespace basetool {

namespace {

const DWORD kHoldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;   // no FILE_SHARE_DELETE: no rename, no removal
const DWORD kHoldFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

// The last component of a path ("C:\\" for a root).
std::wstring LastComponent(const std::wstring& path)
{
    std::wstring trimmed = path;
    while (trimmed.size() > 3 && (trimmed.back() == L'\\' || trimmed.back() == L'/'))
        trimmed.pop_back();
    return PathFindFileNameW(trimmed.c_str());
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

std::wstring ResolvedHandlePath(HANDLE handle)
{
    std::vector<wchar_t> buffer(MAX_PATH + 16, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD n = GetFinalPathNameByHandleW(handle, &buffer[0], static_cast<DWORD>(buffer.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return std::wstring();
        if (n < buffer.size()) {
            std::wstring path(&buffer[0], n);
            if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
                path = L"\\\\" + path.substr(8);
            else if (path.compare(0, 4, L"\\\\?\\") == 0)
                path = path.substr(4);
            return path;
        }
        buffer.assign(n + 1, L'\0');
    }
    return std::wstring();
}

bool HandleIsPath(HANDLE handle, const std::wstring& path, const std::wstring& parentResolved)
{
    std::wstring resolved = ResolvedHandlePath(handle);
    if (resolved.empty())
        return true;
    std::wstring name = LastComponent(path);
    if (parentResolved.empty()) {
        if (SameText(LastComponent(resolved), name))
            return true;
        // A short (8.3) name in path resolves to the long one.
        wchar_t longer[MAX_PATH];
        DWORD n = GetLongPathNameW(path.c_str(), longer, MAX_PATH);
        return n > 0 && n < MAX_PATH && SameText(LastComponent(resolved), LastComponent(longer));
    }
    std::wstring expected = parentResolved;
    if (expected.back() != L'\\')
        expected += L'\\';
    return SameText(resolved, expected + name);
}

CHeldFolder::CHeldFolder() : m_handle(INVALID_HANDLE_VALUE), m_canWrite(false) {}

CHeldFolder::~CHeldFolder()
{
    Close();
}

CHeldFolder::Result CHeldFolder::Open(const std::wstring& path)
{
    return OpenIn(path, std::wstring());
}

CHeldFolder::Result CHeldFolder::Open(const CHeldFolder& parent, const std::wstring& name)
{
    if (!parent.IsHeld()) {
        Close();
        return kMissing;
    }
    std::wstring path = AppendPath(parent.Path(), name);
    if (path.empty()) {
        Close();
        return kMissing;
    }
    return OpenIn(path, parent.ResolvedPath());
}

CHeldFolder::Result CHeldFolder::OpenIn(const std::wstring& path, const std::wstring& parentResolved)
{
    Close();
    if (path.empty())
        return kMissing;
    // No right to delete is asked: two holds of one folder must not exclude each
    // other, and the folder is removed by name once let go.
    const DWORD base = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    HANDLE handle =
        CreateFileW(path.c_str(), base | FILE_WRITE_ATTRIBUTES, kHoldShare, NULL, OPEN_EXISTING, kHoldFlags, NULL);
    bool canWrite = handle != INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return kMissing;
        handle = CreateFileW(path.c_str(), base, kHoldShare, NULL, OPEN_EXISTING, kHoldFlags, NULL);
        if (handle == INVALID_HANDLE_VALUE)
            return kBusy;
    }
    FILE_ATTRIBUTE_TAG_INFO tag;
    memset(&tag, 0, sizeof(tag));
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag))) {
        CloseHandle(handle);
        return kBusy;
    }
    // The handle itself tells a link on Windows. Wine opens the target of a
    // Unix link instead: the handle then resolves to the target's path. Its
    // name still shows the link too.
    DWORD byName = GetFileAttributesW(path.c_str());
    if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT)) ||
        !HandleIsPath(handle, path, parentResolved)) {
        CloseHandle(handle);
        return kLink;
    }
    if (!(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        return kNotFolder;
    }
    m_handle = handle;
    m_canWrite = canWrite;
    m_path = path;
    m_resolved = ResolvedHandlePath(handle);
    return kHeld;
}

bool CHeldFolder::List(std::vector<FolderEntry>& entries) const
{
    entries.clear();
    if (m_handle == INVALID_HANDLE_VALUE)
        return false;
    std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(m_handle, kind, &buffer[0], bytes))
            return GetLastError() == ERROR_NO_MORE_FILES;
        kind = FileIdBothDirectoryInfo;
        const BYTE* at = reinterpret_cast<const BYTE*>(&buffer[0]);
        for (;;) {
            const FILE_ID_BOTH_DIR_INFO* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                FolderEntry entry;
                entry.name = name;
                entry.attributes = info->FileAttributes;
                entries.push_back(entry);
            }
            if (info->NextEntryOffset == 0)
                break;
            at += info->NextEntryOffset;
        }
    }
}

bool CHeldFolder::RemoveAndClose()
{
    if (m_handle == INVALID_HANDLE_VALUE)
        return false;
    FILE_BASIC_INFO basic;
    memset(&basic, 0, sizeof(basic));   // zero times stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (m_canWrite)
        SetFileInformationByHandle(m_handle, FileBasicInfo, &basic, sizeof(basic));
    const std::wstring path = m_path;
    const std::wstring resolved = m_resolved;
    const bool cleared = m_canWrite;
    Close();
    // Opened again, now with the right to delete, and removed through that
    // handle only while it is still this folder: a link put in its place this
    // instant goes as a link only, and one the system follows anyway (Wine)
    // resolves elsewhere and stays.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                share, NULL, OPEN_EXISTING, kHoldFlags, NULL);
    bool canWrite = handle != INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE)
        handle = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, share, NULL, OPEN_EXISTING,
                             kHoldFlags, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag;
    memset(&tag, 0, sizeof(tag));
    GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag));
    bool link = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    bool self = (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                (resolved.empty() || SameText(ResolvedHandlePath(handle), resolved));
    bool removed = false;
    if (link || self) {
        if (self && !link && !cleared && canWrite)
            SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic));
        FILE_DISPOSITION_INFO disposition;
        disposition.DeleteFile = TRUE;
        removed = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
    }
    CloseHandle(handle);
    return removed;
}

void CHeldFolder::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_canWrite = false;
    m_path.clear();
    m_resolved.clear();
}

bool CHeldChain::Open(const std::wstring& dir, const std::wstring& relative)
{
    m_folders.clear();
    m_full.clear();
    if (!IsContainedRelativePath(relative))
        return false;
    std::unique_ptr<CHeldFolder> top(new CHeldFolder);
    if (top->Open(dir) != CHeldFolder::kHeld)
        return false;
    m_folders.push_back(std::move(top));
    size_t start = 0;
    for (;;) {
        size_t end = relative.find_first_of(L"/\\", start);
        std::wstring part = relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (end == std::wstring::npos) {
            m_full = AppendPath(m_folders.back()->Path(), part);
            return !m_full.empty();
        }
        std::unique_ptr<CHeldFolder> folder(new CHeldFolder);
        if (folder->Open(*m_folders.back(), part) != CHeldFolder::kHeld)
            return false;
        m_folders.push_back(std::move(folder));
        start = end + 1;
    }
}

}  // namespace basetool
