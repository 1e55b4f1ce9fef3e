// CUninstaller: the uninstaller's worker. It checks that the registration names
// an existing client and that it runs from that folder, sends the "unsetup"
// statistics request, ends the client, removes the installation folder (as a
// whole only when the installer made it, otherwise only the product's files),
// the shortcuts and the registration, and reports each step to its window with
// WM_STEP_PROGRESS (WorkerMessages.h). It runs on the uninstaller window's worker
// thread (UninstallThreadProc) or, for "uninst_silence", on the main thread
// without a window. Linked into Uninst.exe from the static library `uninst_worker`.
#ifndef UNINST_UNINSTALLER_H
#define UNINST_UNINSTALLER_H

#include <windows.h>

#include <string>

#include "WorkerMessages.h"

class CUninstaller {
public:
    explicit CUninstaller(HWND window = NULL);

    void SetWindow(HWND window) { m_window = window; }
    HWND GetWindow() const { return m_window; }

    // Removes the product. False when a check stopped it: the registered client
    // is missing ("注册表数据无效"), or the uninstaller does not run from the
    // registered folder or that folder must never be removed ("卸载路径无效");
    // nothing is removed then.
    bool Uninstall();

    // One WM_STEP_PROGRESS report, sent only while the window exists.
    void ReportStep(const wchar_t* text, int percent);

    // Where the statistics request goes (host[:port]); the build's statistics
    // host by default.
    void SetStatHost(const std::wstring& host) { m_statHost = host; }
    // The path the folder check takes as the uninstaller's own (this exe's by default).
    void SetModulePath(const std::wstring& path) { m_modulePath = path; }

private:
    void SendUnsetupStatistics();

    HWND m_window;
    std::wstring m_statHost;
    std::wstring m_modulePath;
};

// The worker thread's procedure (for _beginthreadex): runs Uninstall of the
// CUninstaller it is given, then posts WM_WORKER_FINISHED to its window.
// Returns 0.
unsigned int __stdcall UninstallThreadProc(void* uninstaller);

#endif  // UNINST_UNINSTALLER_H
