// Shared helpers of the installer and uninstaller tests: the statistics sink
// started by run_with_server.py, a recorder window for the workers' progress
// messages, raw registry reads, stand-in programs, links, and the pending
// reboot deletions.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace installtest {

// The local statistics server: "127.0.0.1:<port>" and its request log (paths).
std::wstring StatHost();
std::vector<std::string> SinkRequests();
// The log once it holds at least count lines (the server writes a line after
// its answer), or as it stands after timeoutMs.
std::vector<std::string> SinkRequestsWhen(size_t count, DWORD timeoutMs = 5000);
void ClearSinkRequests();
// Replaces the server's rule script (see tests/support_py/httpserver.py).
bool SetSinkScript(const std::string& json);

// One WM_STEP_PROGRESS report.
struct Step {
    std::wstring text;
    int percent;
};
std::string StepsText(const std::vector<Step>& steps);   // "1 text|2 text|..." for messages

// A message-only window on the test thread that records the worker's reports.
class Recorder {
public:
    Recorder();
    ~Recorder();
    HWND hwnd() const { return m_hwnd; }
    // Runs proc (arg) on a new thread, dispatching messages until it ends and
    // its WM_WORKER_FINISHED has arrived; false when that takes longer than timeoutMs.
    bool RunWorker(unsigned int(__stdcall* proc)(void*), void* arg, DWORD timeoutMs = 120000);
    std::vector<Step> steps;
    int finished;   // -1 until WM_WORKER_FINISHED, then its wParam
    // Called on the test thread for each report, while the worker waits for it.
    std::function<void(const Step&)> onStep;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd;
};

// A value's bytes exactly as stored; false when it is missing.
bool ReadRawValue(HKEY root, const wchar_t* key, const wchar_t* name, std::string& bytes, DWORD* type = NULL);
bool KeyExists(HKEY root, const wchar_t* key);
std::string Utf16Bytes(const std::wstring& text);
// The values an installation into dir registers under the product key, with
// their exact types and bytes (Channel, which depends on the installer's file
// name, is not among them).
struct RegistryValue {
    const wchar_t* name;
    DWORD type;
    std::string bytes;
};
std::vector<RegistryValue> ExpectedRegistration(const std::wstring& dir);

// The product's name on its shortcuts and in its registration.
extern const wchar_t kProductName[];
// The desktop shortcut and the start-menu folder of an installation.
std::wstring DesktopLink();
std::wstring MenuFolder();
// A shortcut as the shell reads it back.
struct Shortcut {
    std::wstring target, arguments, description, icon;
    int iconIndex = -1;
    int showCmd = 0;
};
bool ReadShortcut(const std::wstring& file, Shortcut& link);
// The three shortcuts an installation into dir makes: the shortcut file and
// what it must read back as.
struct ExpectedShortcut {
    std::wstring file, target, arguments, description, icon;
};
std::vector<ExpectedShortcut> ExpectedShortcuts(const std::wstring& dir);

// The installers' temporary archive files ("173*.tmp") in the temp folder.
int CountTempPayloads();

// HKLM ...\Session Manager\PendingFileRenameOperations, entries joined by '|'.
std::wstring PendingRenames();

// The stand-in program (install_stub.exe beside the test), copied to path.
bool CopyStub(const std::wstring& path);
// Starts a command line; the process handle, or NULL.
HANDLE Start(const std::wstring& commandLine);
// Ends and closes a started process.
void Stop(HANDLE& process);

// A folder link at link pointing at target (a Unix symbolic link under Wine),
// and its removal as a link (never what it points to).
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
bool RemoveFolderLink(const std::wstring& link);
// A file link at link pointing at the file target. Wine shows a Unix link to a
// file as a plain file, by name and by handle alike.
bool MakeFileLink(const std::wstring& link, const std::wstring& target);

// Writes the folders and files of a spec: "a\\", "a\\b.txt=text", ...
bool MakeTree(const std::wstring& root, const std::vector<std::wstring>& entries);
// Every file and folder under root, relative, sorted, folders ending in '\'.
// Links are listed and not followed.
std::vector<std::wstring> ListTree(const std::wstring& root);
std::string Join(const std::vector<std::wstring>& names);
// Removes a test folder, never following links (they are removed as links).
void RemoveTestTree(const std::wstring& root);

}  // namespace installtest
