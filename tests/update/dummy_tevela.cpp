// A stand-in for the client in the updater's end-to-end tests.
//
//   tevela.exe [anything]            appends "size=<own exe size> cmd=<command line>"
//                                    to %DUMMY_CTL_DIR%\runs.txt and ends
//   tevela.exe --stay READY          the same, then writes READY and stays up to 60 s
//                                    (until it is ended), with Utils.dll loaded
//   any.exe --hold-file PATH none|read READY STOP
//                                    opens PATH with that share mode, writes READY and
//                                    holds the handle until the file STOP exists (60 s at most)
//   any.exe --hold-mutex NAME READY STOP
//                                    owns the named mutex the same way
//   any.exe --wait-gone NAME SECONDS ends with 0 once no other process has run NAME
//                                    for 2.5 s, else 1
//   any.exe --kill NAME              ends every other process of that exe name
//   any.exe --window-shot PNG SECONDS
//                                    waits for the client's main window, saves a
//                                    picture of it; 0 when there was one, else 1
#include <windows.h>
#include <shellapi.h>

#include <tlhelp32.h>

#include <string>

#include "TestSupport.h"
#include "Utils.h"

namespace {

void WriteText(const std::wstring& path, const std::string& text, bool append) {
    HANDLE h = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(h);
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), NULL, 0, NULL, NULL);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], n, NULL, NULL);
    return s;
}

bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WaitFor(const std::wstring& stopFile) {
    for (int i = 0; i < 3000; ++i) {
        if (!stopFile.empty() && Exists(stopFile)) return;
        Sleep(20);
    }
}

void RecordRun(const wchar_t* cmdLine) {
    wchar_t dir[MAX_PATH] = {0};
    if (!GetEnvironmentVariableW(L"DUMMY_CTL_DIR", dir, MAX_PATH)) return;
    wchar_t self[MAX_PATH] = {0};
    GetModuleFileNameW(NULL, self, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA data;
    unsigned long size = 0;
    if (GetFileAttributesExW(self, GetFileExInfoStandard, &data)) size = data.nFileSizeLow;
    // Utils.dll is imported, as by the real client: the updater must end this process.
    std::string line = "size=" + std::to_string(size) + " name=" + Utf8(WinUtil::GetModuleName().c_str()) +
                       " cmd=" + Utf8(cmdLine) + "\r\n";
    WriteText(std::wstring(dir) + L"\\runs.txt", line, true);
}

bool Runs(const std::wstring& exe) {
    bool found = false;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe;
    pe.dwSize = sizeof(pe);
    for (BOOL ok = Process32FirstW(snap, &pe); ok && !found; ok = Process32NextW(snap, &pe))
        found = pe.th32ProcessID != GetCurrentProcessId() && _wcsicmp(pe.szExeFile, exe.c_str()) == 0;
    CloseHandle(snap);
    return found;
}

// A process that another one has just started may not show its exe name at
// once: gone means none seen for 2.5 s in a row.
int WaitGone(const std::wstring& exe, int seconds) {
    int quiet = 0;
    for (int i = 0; i < seconds * 10; ++i) {
        quiet = Runs(exe) ? 0 : quiet + 1;
        if (quiet >= 25) return 0;
        Sleep(100);
    }
    return 1;
}

// The client's main window: class "MainFrame", the product's title.
int WindowShot(const std::wstring& png, int seconds) {
    const wchar_t title[] = L"Yexo\u5a31\u4e50\u76f4\u64ad";
    for (int i = 0; i < seconds * 10; ++i) {
        HWND w = FindWindowW(L"MainFrame", title);
        if (w != NULL && IsWindowVisible(w)) {
            Sleep(1500);   // let it paint its first page
            RECT rc;
            GetClientRect(w, &rc);
            testsupport::Canvas canvas(rc.right > 0 ? rc.right : 1, rc.bottom > 0 ? rc.bottom : 1);
            if (canvas.CaptureWindow(w)) canvas.SavePng(png);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR cmdLine, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--hold-file" && argc >= 6) {
        DWORD share = std::wstring(argv[3]) == L"read" ? FILE_SHARE_READ : 0;
        HANDLE h = CreateFileW(argv[2], GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
        if (h == INVALID_HANDLE_VALUE) return 2;
        WriteText(argv[4], "ready", false);
        WaitFor(argv[5]);
        CloseHandle(h);
        return 0;
    }
    if (mode == L"--hold-mutex" && argc >= 5) {
        HANDLE m = CreateMutexW(NULL, TRUE, argv[2]);
        if (!m) return 2;
        WriteText(argv[3], "ready", false);
        WaitFor(argv[4]);
        CloseHandle(m);
        return 0;
    }
    if (mode == L"--wait-gone" && argc >= 4) return WaitGone(argv[2], _wtoi(argv[3]));
    if (mode == L"--kill" && argc >= 3) return WinUtil::KillProcess(GString(argv[2]), 20000) ? 0 : 1;
    if (mode == L"--window-shot" && argc >= 4) return WindowShot(argv[2], _wtoi(argv[3]));
    RecordRun(cmdLine);
    if (mode == L"--stay" && argc >= 3) {
        WriteText(argv[2], "ready", false);
        WaitFor(std::wstring());
    }
    return 0;
}
