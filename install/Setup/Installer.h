// CInstaller: the installer's worker. It knows the installation folder and the
// window that shows progress, and carries out the whole installation on a worker
// thread (InstallThreadProc): ends a running client, runs the old version's quiet
// uninstaller, creates the folder with its access rules, unpacks the product from
// the 7z archive in the installer's resources, creates the shortcuts, registers
// the product with its channel and sends the "setup" statistics request. Each
// step is reported to the window with WM_STEP_PROGRESS (WorkerMessages.h).
// Linked into Setup.exe from the static library `setup_worker`.
#ifndef SETUP_INSTALLER_H
#define SETUP_INSTALLER_H

#include <windows.h>

#include <string>

#include "WorkerMessages.h"

// The product archive in the installer's resources: type "ZIP", this id, language 2052.
#define SETUP_PAYLOAD_TYPE L"ZIP"
#define SETUP_PAYLOAD_ID 132
#define SETUP_PAYLOAD_LANGUAGE MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)

class CInstaller {
public:
    explicit CInstaller(const std::wstring& dir = std::wstring(), HWND window = NULL);

    // The installation folder, without a trailing backslash.
    void SetInstallDir(const std::wstring& dir);
    const std::wstring& GetInstallDir() const { return m_dir; }
    // The window that receives the progress reports (NULL: none).
    void SetWindow(HWND window) { m_window = window; }
    HWND GetWindow() const { return m_window; }

    // The folder becomes GetDefaultInstallDir () when that is not empty; true.
    bool ResolveInstallDir();
    // The whole installation. False when it could not be carried out: COM did not
    // start (nothing is reported), the folder is unusable, or the product could
    // not be unpacked completely. After a failure the last report is a failure
    // text below 100 %, and no shortcut, registration or channel is written.
    bool Install();
    // Starts "<folder>\tevela.exe"; true when a process was created.
    bool LaunchClient();

    // The steps of Install, in their order.
    bool UninstallOldVersion();
    int SetInstallDirAccess();
    bool ExtractFiles();
    void CreateShortcuts();
    // The product's uninstall registration (always true) and the installer's
    // start-with-Windows value (true when written).
    bool WriteUninstallInfo();
    bool SetAutoStart();

    // One WM_STEP_PROGRESS report, sent only while the window exists.
    void ReportStep(const wchar_t* text, int percent);
    int LastPercent() const { return m_lastPercent; }

    // Where the statistics request goes (host[:port]); the build's statistics
    // host by default.
    void SetStatHost(const std::wstring& host) { m_statHost = host; }
    // Where the product archive is looked up: the module (NULL = this exe) and
    // the resource id (SETUP_PAYLOAD_ID by default).
    void SetPayloadResource(HMODULE module, WORD id);

private:
    void SendSetupStatistics();

    std::wstring m_dir;
    HWND m_window;
    std::wstring m_statHost;
    HMODULE m_payloadModule;
    WORD m_payloadId;
    int m_lastPercent;
};

// The worker thread's procedure (for _beginthreadex): runs Install of the
// CInstaller it is given, then posts WM_WORKER_FINISHED to the installer's
// window. Returns 0.
unsigned int __stdcall InstallThreadProc(void* installer);

// The folder of the registered client ("ExePath") when that file exists,
// otherwise "<Program Files>\YexoShow"; empty when neither is known.
std::wstring GetDefaultInstallDir();

// The distribution channel in an installer's file name: the text between the
// first "_" and the last ".exe" of the file name (folders are not looked at),
// e.g. "Setup_web01.exe" -> "web01"; empty when there is none.
std::wstring ParseChannelFromFileName(const std::wstring& path);

#endif  // SETUP_INSTALLER_H
