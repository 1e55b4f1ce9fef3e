// Folders opened as themselves and held while the installer's and the
// uninstaller's deletions work below them (basetool::CHeldFolder, CHeldChain).
#include "HeldFolder.h"

#include "BaseTool.h"
#include "ProductFolder.h"

namespace basetool {

namespace {

const DWORD kHoldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;   // no FILE_SHARE_DELETE: no rename, no removal
const DWORD kHoldFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

}  // namespace

CHeldFolder::CHeldFolder() : m_handle(INVALID_HANDLE_VALUE), m_canWrite(false) {}

CHeldFolder::~CHeldFolder()
{
    Close();
}

CHeldFolder::Result CHeldFolder::Open(const std::wstring& path)
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
    // Unix link instead; its name still shows the link, and it can no longer
    // change while the handle holds what it resolved to.
    DWORD byName = GetFileAttributesW(path.c_str());
    if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (byName != INVALID_FILE_ATTRIBUTES && (byName & FILE_ATTRIBUTE_REPARSE_POINT))) {
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

void CHeldFolder::RemoveAndClose()
{
    if (m_handle == INVALID_HANDLE_VALUE)
        return;
    if (m_canWrite) {
        FILE_BASIC_INFO basic;
        memset(&basic, 0, sizeof(basic));
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(m_handle, FileBasicInfo, &basic, sizeof(basic));
    }
    std::wstring path = m_path;
    bool cleared = m_canWrite;
    Close();
    // By name: the parent is still held, so the name is this folder's, or a link
    // put in its place this instant, which goes as a link only.
    if (!cleared)
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

void CHeldFolder::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_canWrite = false;
    m_path.clear();
}

bool CHeldChain::Open(const std::wstring& dir, const std::wstring& relative)
{
    m_folders.clear();
    m_full.clear();
    if (!IsContainedRelativePath(relative))
        return false;
    std::wstring path = dir;
    size_t start = 0;
    for (;;) {
        std::unique_ptr<CHeldFolder> folder(new CHeldFolder);
        if (folder->Open(path) != CHeldFolder::kHeld)
            return false;
        m_folders.push_back(std::move(folder));
        size_t end = relative.find_first_of(L"/\\", start);
        std::wstring part = relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        path = AppendPath(path, part);
        if (path.empty())
            return false;
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    m_full = path;
    return true;
}

}  // namespace basetool
