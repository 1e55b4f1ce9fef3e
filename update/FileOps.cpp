#include "FileOps.h"

#include <stdlib.h>

namespace update {

namespace {

class RealOps : public IUpdateFileOps {
public:
    RealOps() : m_err(0), m_done(0), m_crashAfter(0) {
        wchar_t buf[32] = {0};
        DWORD n = GetEnvironmentVariableW(L"TEVELA_UPDATE_CRASH_AFTER", buf, 32);
        if (n > 0 && n < 32) m_crashAfter = _wtol(buf);
    }

    bool Exists(const std::wstring& path) override {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool Delete(const std::wstring& path) override {
        return Done(DeleteFileW(path.c_str()) != 0);
    }
    bool Move(const std::wstring& from, const std::wstring& to) override {
        return Done(MoveFileW(from.c_str(), to.c_str()) != 0);
    }
    bool MoveReplace(const std::wstring& from, const std::wstring& to) override {
        return Done(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0);
    }
    bool MoveAtReboot(const std::wstring& from, const std::wstring& to) override {
        return Done(MoveFileExW(from.c_str(), to.c_str(),
                                MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0);
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

private:
    bool Done(bool ok) {
        if (!ok) {
            m_err = GetLastError();
            return false;
        }
        ++m_done;
        if (m_crashAfter > 0 && m_done >= m_crashAfter) TerminateProcess(GetCurrentProcess(), 99);
        return true;
    }

    DWORD m_err;
    long m_done;
    long m_crashAfter;
};

}  // namespace

IUpdateFileOps* RealFileOps() {
    static RealOps ops;
    return &ops;
}

}  // namespace update
