// The real file operations of the updater and its fault-injection hook.
#include "FileOps.h"

#include <stdlib.h>
#include <wchar.h>

#include "Utils.h"

namespace update {

namespace {

const wchar_t kCrashAfterVar[] = L"TEVELA_UPDATE_CRASH_AFTER";
const wchar_t kCrashAllVar[] = L"TEVELA_UPDATE_CRASH_ALL";
const wchar_t kCrashMarkVar[] = L"TEVELA_UPDATE_CRASH_MARK";

bool FlushFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = FlushFileBuffers(h) != 0;
    DWORD err = GetLastError();
    CloseHandle(h);
    SetLastError(err);
    return ok;
}

class RealOps : public IUpdateFileOps {
public:
    RealOps() : m_err(0), m_done(0), m_crashAfter(0) {
        wchar_t buf[32] = {0};
        DWORD n = GetEnvironmentVariableW(kCrashAfterVar, buf, 32);
        if (n > 0 && n < 32) m_crashAfter = _wtol(buf);
        wchar_t all[MAX_PATH] = {0};
        n = GetEnvironmentVariableW(kCrashAllVar, all, MAX_PATH);
        if (n > 0 && n < MAX_PATH) m_crashAll = all;
    }

    bool Exists(const std::wstring& path) override {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool Delete(const std::wstring& path) override {
        return Done(DeleteFileW(path.c_str()) != 0);
    }
    bool Move(const std::wstring& from, const std::wstring& to) override {
        return Done(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0);
    }
    bool MoveReplace(const std::wstring& from, const std::wstring& to) override {
        return Done(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
    }
    bool MoveAtReboot(const std::wstring& from, const std::wstring& to) override {
        return Done(MoveFileExW(from.c_str(), to.c_str(),
                                MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0);
    }
    bool Link(const std::wstring& from, const std::wstring& to) override {
        return Done(CreateHardLinkW(to.c_str(), from.c_str(), NULL) != 0);
    }
    bool Copy(const std::wstring& from, const std::wstring& to) override {
        bool ok = CopyFileW(from.c_str(), to.c_str(), FALSE) != 0 && FlushFile(to);
        return Done(ok);
    }
    bool CanReplace(const std::wstring& path) override {
        HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) {
            m_err = GetLastError();
            return false;
        }
        CloseHandle(h);
        return true;
    }
    bool Write(HANDLE file, const void* data, DWORD size) override {
        DWORD written = 0;
        if (!WriteFile(file, data, size, &written, NULL) || written != size) {
            m_err = GetLastError();
            if (m_err == 0) m_err = ERROR_WRITE_FAULT;
            return false;
        }
        return Done(true);
    }
    DWORD LastError() override { return m_err; }

    long Left() const { return m_crashAfter > 0 ? m_crashAfter - m_done : 0; }

private:
    bool Done(bool ok) {
        if (!ok) {
            m_err = GetLastError();
            return false;
        }
        ++m_done;
        if (m_crashAfter > 0 && m_done >= m_crashAfter) {
            wchar_t mark[MAX_PATH] = {0};
            DWORD n = GetEnvironmentVariableW(kCrashMarkVar, mark, MAX_PATH);
            if (n > 0 && n < MAX_PATH) {
                HANDLE h = CreateFileW(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
                if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
            }
            if (!m_crashAll.empty()) {
                WinUtil::KillProcess(GString(m_crashAll.c_str()), 5000);
                WinUtil::KillProcess(WinUtil::GetModuleName(), 5000);
            }
            TerminateProcess(GetCurrentProcess(), 99);
        }
        return true;
    }

    DWORD m_err;
    long m_done;
    long m_crashAfter;
    std::wstring m_crashAll;
};

RealOps& Ops() {
    static RealOps ops;
    return ops;
}

}  // namespace

IUpdateFileOps* RealFileOps() { return &Ops(); }

void PassCrashCountOn() {
    long left = Ops().Left();
    if (left <= 0) return;
    wchar_t buf[32];
    swprintf(buf, 32, L"%ld", left);
    SetEnvironmentVariableW(kCrashAfterVar, buf);
}

void DropCrashCount() {
    SetEnvironmentVariableW(kCrashAfterVar, NULL);
    SetEnvironmentVariableW(kCrashAllVar, NULL);
    SetEnvironmentVariableW(kCrashMarkVar, NULL);
}

}  // namespace update
