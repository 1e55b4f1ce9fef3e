// The uninstaller's folder deletion (basetool::CMisc).
#include "Misc.h"

#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>

#include <vector>

#include "BaseTool.h"
#include "HeldFolder.h"
#include "LogBuffer.h"
#include "ProductFolder.h"

namespace basetool {

namespace {

const char kWho[] = "basetool::CMisc::DeleteFolder";

// One log line: "<who> <path><message>" and, when given, a number, then CR LF.
void LogPath(const char* level, const std::wstring& path, const wchar_t* message, const DWORD* number = NULL)
{
    LogBuffer* log = LogBuffer::Instance();
    log->BeginLine(level, "Misc", __LINE__);
    log->AppendText(kWho);
    log->AppendText(" ");
    log->AppendWide(path.c_str());
    log->AppendMessage(message);
    if (number != NULL)
        log->AppendNumber(*number);
    log->AppendText("\r\n");
    log->EndLine();
}

// Removes the contents of a held folder and then the folder. Each sub-folder is
// opened as itself and held before it is listed, so that a sub-folder replaced
// by a link at any moment is removed as a link and never followed; a name below
// a held folder always resolves inside it.
// False when the folder could not be listed (it stays then).
bool DeleteTree(CHeldFolder& folder, const CMisc::KeepPredicate& keep)
{
    std::vector<FolderEntry> entries;
    if (!folder.List(entries)) {
        LogPath(kLogWarning, folder.Path(), L" 无法列出文件夹内容");
        folder.Close();
        return false;
    }
    for (const FolderEntry& entry : entries) {
        std::wstring full = AppendPath(folder.Path(), entry.name);
        if (full.empty()) {
            LogPath(kLogWarning, folder.Path() + L"\\" + entry.name, L" 路径过长，未删除");
            continue;
        }
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            CMisc::RemoveLink(full);
        } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            CHeldFolder sub;
            CHeldFolder::Result opened = sub.Open(folder, entry.name);
            if (opened == CHeldFolder::kHeld)
                DeleteTree(sub, keep);
            else if (opened == CHeldFolder::kLink)
                CMisc::RemoveLink(full);
            else if (opened != CHeldFolder::kMissing)
                LogPath(kLogWarning, full, L" 文件夹无法打开，未删除");
        } else if (!(keep && keep(full))) {
            CMisc::DeleteFileOrQueue(full);
        }
    }
    folder.RemoveAndClose();   // stays when it still holds a kept or queued file
    return true;
}

}  // namespace

bool CMisc::DeleteFolder(const std::wstring& path, const KeepPredicate& keep)
{
    if (!PathFileExistsW(path.c_str())) {
        LogPath(kLogError, path, L" 文件不存在");
        return false;
    }
    if (!PathIsDirectoryW(path.c_str())) {
        LogPath(kLogError, path, L" 不是文件夹");
        return false;
    }
    if (IsProtectedFolder(path)) {
        LogPath(kLogError, path, L" 是受保护的文件夹，不能删除");
        return false;
    }
    CHeldFolder folder;
    CHeldFolder::Result opened = folder.Open(path);
    if (opened == CHeldFolder::kLink) {
        RemoveLink(path);
        return true;
    }
    if (opened != CHeldFolder::kHeld) {
        LogPath(kLogWarning, path, L" 文件夹无法打开，未删除");
        return false;
    }
    return DeleteTree(folder, keep);
}

bool CMisc::DeleteFileOrQueue(const std::wstring& path)
{
    return DeleteOneFile(path, true);
}

bool CMisc::DeleteFileNow(const std::wstring& path)
{
    return DeleteOneFile(path, false);
}

bool CMisc::DeleteOneFile(const std::wstring& path, bool queue)
{
    // The file is opened as itself and everything below is done through that
    // handle: what is checked is what goes, even if the name is swapped meanwhile.
    CHeldFolder parent;
    CHeldFolder::Result held = parent.Open(RemoveFileSpec(path));
    if (held == CHeldFolder::kMissing)
        return true;
    if (held != CHeldFolder::kHeld) {
        LogPath(kLogWarning, path, held == CHeldFolder::kLink ? L" 路径经过链接，未删除" : L" 文件夹无法打开，未删除");
        return false;
    }
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    HANDLE file = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, share,
                              NULL, OPEN_EXISTING, flags, NULL);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        file = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, share, NULL, OPEN_EXISTING, flags,
                           NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        LogPath(kLogWarning, path, L" 文件删除失败,错误码：", &error);
        if (queue)
            LogPath(kLogWarning, path, L" 无法改名，文件保留");
        return false;
    }
    FILE_ATTRIBUTE_TAG_INFO tag;
    memset(&tag, 0, sizeof(tag));
    GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag));
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = TRUE;
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link opened as itself: it goes, never what it points to.
        bool removed = SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
        CloseHandle(file);
        if (!removed)
            LogPath(kLogWarning, path, L" 链接未删除");
        return removed;
    }
    // A system that followed a link anyway (Wine) hands out what it points to,
    // which lies elsewhere than the folder held; a folder is not a file.
    if (!HandleIsPath(file, path, parent.ResolvedPath())) {
        CloseHandle(file);
        LogPath(kLogWarning, path, L" 链接未删除");
        return false;
    }
    if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        CloseHandle(file);
        return false;
    }
    FILE_BASIC_INFO basic;
    memset(&basic, 0, sizeof(basic));   // zero times stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic));
    if (SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition))) {
        CloseHandle(file);
        return true;
    }
    DWORD error = GetLastError();
    LogPath(kLogWarning, path, L" 文件删除失败,错误码：", &error);
    if (!queue) {
        CloseHandle(file);
        return false;
    }
    // Only the ".error" name is queued: the file's own name may be taken by a
    // new installation before the next start, which must not lose that file.
    std::wstring renamed = path + L".error";
    bool moved = false;
    if (renamed.size() < MAX_PATH) {
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + (renamed.size() + 1) * sizeof(wchar_t), 0);
        FILE_RENAME_INFO* rename = reinterpret_cast<FILE_RENAME_INFO*>(&buffer[0]);
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = NULL;
        rename->FileNameLength = static_cast<DWORD>(renamed.size() * sizeof(wchar_t));
        memcpy(rename->FileName, renamed.c_str(), rename->FileNameLength);
        moved = SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
    }
    CloseHandle(file);
    if (moved)
        QueueForReboot(renamed);
    else
        LogPath(kLogWarning, path, L" 无法改名，文件保留");
    return false;
}

bool CMisc::QueueForReboot(const std::wstring& path)
{
    if (!MoveFileExW(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        return false;
    // The queue lives in the registry; a power cut before the system writes the
    // hive back would lose it.
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                      &key) == ERROR_SUCCESS) {
        RegFlushKey(key);
        RegCloseKey(key);
    }
    return true;
}

bool CMisc::DeleteInside(const std::wstring& dir, const std::wstring& relative)
{
    CHeldChain chain;
    if (!chain.Open(dir, relative)) {
        DWORD attributes = GetFileAttributesW(AppendPath(dir, relative).c_str());
        if (IsContainedRelativePath(relative) && attributes != INVALID_FILE_ATTRIBUTES)
            LogPath(kLogWarning, AppendPath(dir, relative), L" 路径经过链接，未删除");
        return false;
    }
    // Links and folders at the name itself are told by the file's own handle.
    return DeleteFileOrQueue(chain.FullPath());
}

bool CMisc::RemoveLink(const std::wstring& path)
{
    // The link is opened as itself and deleted through that handle. A system that
    // cannot open the link itself hands out its target instead (Wine does so for
    // Unix symbolic links): the handle then shows no reparse point and the link
    // is left alone, so that nothing it points to is ever removed.
    HANDLE handle = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, NULL);
    bool removed = false;
    if (handle != INVALID_HANDLE_VALUE) {
        FILE_ATTRIBUTE_TAG_INFO tag;
        memset(&tag, 0, sizeof(tag));
        if (GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) &&
            (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            FILE_DISPOSITION_INFO disposition;
            disposition.DeleteFile = TRUE;
            removed = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
        }
        CloseHandle(handle);
    }
    if (!removed)
        LogPath(kLogWarning, path, L" 链接未删除");
    return removed;
}

}  // namespace basetool
