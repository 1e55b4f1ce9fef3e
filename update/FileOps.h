// The file operations of the updater's steps, behind an interface so that
// failures which cannot be staged with real locks (a refused restart move, a
// failed restore, a process dying half way) can be driven in tests.
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
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: one
    // step, the target holds its former or its new bytes at every instant.
    virtual bool MoveReplace(const std::wstring& from, const std::wstring& to) = 0;
    // MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING.
    virtual bool MoveAtReboot(const std::wstring& from, const std::wstring& to) = 0;
    // CreateHardLinkW: `to` becomes a second name of the file `from` (same volume).
    virtual bool Link(const std::wstring& from, const std::wstring& to) = 0;
    // CopyFileW over any `to`, then the copy's data flushed to the disk.
    virtual bool Copy(const std::wstring& from, const std::wstring& to) = 0;
    // True when `path` can be opened for deletion, i.e. no process holds it
    // open without FILE_SHARE_DELETE; changes nothing.
    virtual bool CanReplace(const std::wstring& path) = 0;
    // WriteFile of the whole block to an open file (the pending record's pieces).
    virtual bool Write(HANDLE file, const void* data, DWORD size) = 0;
    // GetLastError of the last failed call.
    virtual DWORD LastError() = 0;
};

// The real operations. When the environment variable TEVELA_UPDATE_CRASH_AFTER
// holds a number k > 0, the process ends at once (exit code 99) right after its
// k-th successful changing operation (a write, a link or a copy counts as one):
// used by the tests that prove a launch cut off at any step converges. When
// TEVELA_UPDATE_CRASH_ALL holds an exe name as well, every process of that name
// and every other updater is ended at that moment too, as a power cut would;
// TEVELA_UPDATE_CRASH_MARK names a file created just before (the tests' sign
// that the cut happened).
IUpdateFileOps* RealFileOps();

// Before the updater starts a copy of itself: the copy carries on counting
// where this process stands (the variable is set to what is left of k).
void PassCrashCountOn();
// Before the updater starts the client or other programs: they inherit no count.
void DropCrashCount();

}  // namespace update
