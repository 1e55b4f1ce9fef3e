// The file operations of the swap, behind an interface so that failures which
// cannot be staged with real locks (a refused restart move, a failed restore,
// a process dying half way) can be driven in tests.
#pragma once

#include <windows.h>

#include <string>

namespace update {

class IUpdateFileOps {
public:
    virtual ~IUpdateFileOps() {}
    virtual bool Exists(const std::wstring& path) = 0;
    virtual bool Delete(const std::wstring& path) = 0;
    // MoveFileW: fails when the target exists.
    virtual bool Move(const std::wstring& from, const std::wstring& to) = 0;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING: one step, the target is never missing.
    virtual bool MoveReplace(const std::wstring& from, const std::wstring& to) = 0;
    // MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING.
    virtual bool MoveAtReboot(const std::wstring& from, const std::wstring& to) = 0;
    // WriteFile of the whole block to an open file (the pending record's pieces).
    virtual bool Write(HANDLE file, const void* data, DWORD size) = 0;
    // GetLastError of the last failed call.
    virtual DWORD LastError() = 0;
};

// The real operations. When the environment variable TEVELA_UPDATE_CRASH_AFTER
// holds a number k > 0, the process ends at once (exit code 99) right after its
// k-th successful changing operation (a write counts as one): used by the tests
// that prove a launch cut off at any step converges when it is run again.
IUpdateFileOps* RealFileOps();

}  // namespace update
