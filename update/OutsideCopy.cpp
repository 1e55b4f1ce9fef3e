// The updater's copy of itself outside the installation folder (see OutsideCopy.h).
#include "OutsideCopy.h"

#include <windows.h>

#include <vector>

#include "Utils.h"

namespace update {

const wchar_t kFolderFileName[] = L"update.folder";

namespace {

const wchar_t kCopiesFolder[] = L"tevela-update";

std::wstring ModuleFile(HMODULE module) {
    std::vector<wchar_t> buf(MAX_PATH);
    for (int round = 0; round < 4; ++round) {
        DWORD n = GetModuleFileNameW(module, &buf[0], (DWORD)buf.size());
        if (n == 0) return std::wstring();
        if (n < buf.size()) return std::wstring(&buf[0], n);
        buf.resize(buf.size() * 2);
    }
    return std::wstring();
}

std::wstring CopiesBase() {
    wchar_t temp[MAX_PATH + 1] = {0};
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return std::wstring();
    std::wstring base(temp, n);
    if (base[base.size() - 1] != L'\\') base += L'\\';
    return base + kCopiesFolder;
}

// Earlier copies end with their run; whatever no process holds goes.
void RemoveOldCopies(const std::wstring& base) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((base + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L".." || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::wstring dir = base + L"\\" + name;
        WIN32_FIND_DATAW inner;
        HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &inner);
        if (f != INVALID_HANDLE_VALUE) {
            do {
                if (!(inner.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((dir + L"\\" + inner.cFileName).c_str());
            } while (FindNextFileW(f, &inner));
            FindClose(f);
        }
        RemoveDirectoryW(dir.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

}  // namespace

bool ReadCopyFolder(const std::wstring& exeDir, std::wstring* folder) {
    std::wstring path = exeDir + L"\\" + kFolderFileName;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    wchar_t buf[MAX_PATH + 1] = {0};
    DWORD got = 0;
    BOOL ok = ReadFile(h, buf, MAX_PATH * sizeof(wchar_t), &got, NULL);
    CloseHandle(h);
    if (!ok || got == 0 || got % sizeof(wchar_t) != 0) return false;
    *folder = std::wstring(buf, got / sizeof(wchar_t));
    return !folder->empty();
}

bool StartOutsideCopy(const std::wstring& installFolder, const std::wstring& cmdLine, IUpdateFileOps* ops) {
    std::wstring base = CopiesBase();
    if (base.empty()) return false;
    CreateDirectoryW(base.c_str(), NULL);
    RemoveOldCopies(base);
    wchar_t unique[64];
    wsprintfW(unique, L"\\%lu-%lu", GetCurrentProcessId(), GetTickCount());
    std::wstring dir = base + unique;
    if (!CreateDirectoryW(dir.c_str(), NULL)) return false;

    std::wstring self = ModuleFile(NULL);
    std::wstring utils = ModuleFile(GetModuleHandleW(L"Utils.dll"));
    if (self.empty() || utils.empty()) return false;
    std::wstring exe = dir + L"\\update.exe";
    if (!ops->Copy(self, exe) || !ops->Copy(utils, dir + L"\\Utils.dll")) return false;

    std::wstring folderFile = dir + L"\\" + kFolderFileName;
    HANDLE h = CreateFileW(folderFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool written = ops->Write(h, installFolder.c_str(), (DWORD)(installFolder.size() * sizeof(wchar_t)));
    CloseHandle(h);
    if (!written) return false;

    PassCrashCountOn();
    std::wstring line = L"\"" + exe + L"\" " + cmdLine;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    if (!CreateProcessW(exe.c_str(), &buffer[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace update
