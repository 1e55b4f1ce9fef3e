// The uninstaller's folder deletion (basetool::CMisc).
#include "Misc.h"

#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>

#include "BaseTool.h"
#include "LogBuffer.h"

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

void DeleteTree(const std::wstring& folder, const CMisc::KeepPredicate& keep)
{
    std::wstring pattern = folder + L"\\*.*";
    if (pattern.size() >= MAX_PATH) {
        LogPath(kLogWarning, folder, L" 路径过长，未删除");
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const wchar_t* name = found.cFileName;
        if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0)
            continue;
        std::wstring full = AppendPath(folder, name);
        if (full.empty()) {
            LogPath(kLogWarning, folder + L"\\" + name, L" 路径过长，未删除");
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            CMisc::RemoveLink(full);
        else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            DeleteTree(full, keep);
        else if (!(keep && keep(full)))
            CMisc::DeleteFileOrQueue(full);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());   // stays when it still holds a kept or queued file
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
    if (IsReparsePoint(path)) {
        RemoveLink(path);
        return true;
    }
    DeleteTree(path, keep);
    return true;
}

bool CMisc::DeleteFileOrQueue(const std::wstring& path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(path.c_str()))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    LogPath(kLogWarning, path, L" 文件删除失败,错误码：", &error);
    std::wstring renamed = path + L".error";
    if (renamed.size() < MAX_PATH &&
        (_wrename(path.c_str(), renamed.c_str()) == 0 ||
         MoveFileExW(path.c_str(), renamed.c_str(), MOVEFILE_REPLACE_EXISTING)))
        MoveFileExW(renamed.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    else
        MoveFileExW(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    return false;
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
