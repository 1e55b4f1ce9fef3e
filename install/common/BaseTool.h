// The installer's and uninstaller's shared routines (namespace basetool): paths
// and special folders, text conversion, process lookup and ending by exe name,
// the MAC address as text, the single-instance mutex and the guard that keeps
// recursive deletion away from drive roots and the system's own folders.
// Linked by Setup.exe and Uninst.exe from the static library `basetool`.
#ifndef BASETOOL_BASETOOL_H
#define BASETOOL_BASETOOL_H

#include <windows.h>

#include <string>

namespace basetool {

// ---- Paths and special folders (an empty result means failure) ----

// Full path of the running exe.
std::wstring GetOwnModulePath();
// SHGetFolderPathW (csidl, SHGFP_TYPE_CURRENT); empty when it fails.
std::wstring GetShellFolderPath(int csidl);
std::wstring GetCommonProgramsDir();   // CSIDL_COMMON_PROGRAMS
std::wstring GetCommonDesktopDir();    // CSIDL_COMMON_DESKTOPDIRECTORY
std::wstring GetProgramFilesDir();     // CSIDL_PROGRAM_FILES
// base joined with more by PathAppendW in a MAX_PATH buffer. Empty when base is
// empty or the result does not fit, so a caller never works on a cut path.
std::wstring AppendPath(const std::wstring& base, const std::wstring& more);
// The folder of a file path (PathRemoveFileSpecW).
std::wstring RemoveFileSpec(const std::wstring& path);
// The last component of a path (PathFindFileNameW).
std::wstring GetFileNamePart(const std::wstring& path);

// ---- Text in the thread's ANSI code page ----
std::string WideToNarrow(const std::wstring& text);
std::wstring NarrowToWide(const std::string& text);

// ---- Processes ----

// Id of the first process whose exe name equals exeName ignoring case; 0 when
// there is none or the name is empty.
DWORD FindProcessIdByName(const wchar_t* exeName);
// Ends every process of that exe name (never the calling one) and waits a few
// seconds for each to be gone, so that its files are free afterwards.
void EndProcessByName(const wchar_t* exeName);

// ---- The machine's first network adapter ----

// Its six address bytes as 12 upper-case hexadecimal digits; empty without one.
std::wstring GetMacAddressString();

// ---- Single instance ----

struct SingletonMutex {
    HANDLE mutex;
    bool isFirst;   // false when another process (of any user) holds the name
};
// A named mutex with a NULL DACL, so that processes of every user can open it.
// A failed creation counts as first. The caller frees it with CloseSingletonMutex.
SingletonMutex* CreateSingletonMutex(const wchar_t* name);
void CloseSingletonMutex(SingletonMutex*& singleton);

// The start of Setup.exe and Uninst.exe: COM on this thread and the program's
// single-instance mutex. False (and nothing held) when COM does not start or
// another instance holds the name; the program then ends with exit code 1.
bool BeginInstallerProgram(const wchar_t* mutexName, SingletonMutex*& singleton);
// Undoes BeginInstallerProgram.
void EndInstallerProgram(SingletonMutex*& singleton);

// Waits for a window's worker thread to end, letting the worker's synchronous
// reports to this (window) thread through meanwhile, so the wait cannot
// deadlock; then closes the handle and clears it. Nothing for a null handle.
void JoinWorkerThread(HANDLE& thread);

// ---- Folders that are never removed ----

// The absolute, long form of a folder without a trailing backslash (a root
// keeps its backslash); empty for a relative or unusable path.
std::wstring NormalizeFolder(const std::wstring& folder);
// True when both name the same folder (compared ignoring case).
bool IsSameFolder(const std::wstring& a, const std::wstring& b);
// True when folder must never be deleted as a whole: a relative path, a drive or
// network share root, or a folder that is or contains one of the system's own
// folders (Windows, system, program files, program data, the profiles, the
// desktops, documents, start menus, the temporary folder).
bool IsProtectedFolder(const std::wstring& folder);
// True when the path exists and is a reparse point (junction or symbolic link).
bool IsReparsePoint(const std::wstring& path);
// True when the path is a file, or a folder, that is not a reparse point.
bool IsPlainFile(const std::wstring& path);
bool IsPlainFolder(const std::wstring& path);

}  // namespace basetool

#endif  // BASETOOL_BASETOOL_H
