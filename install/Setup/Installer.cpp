// The install worker (CInstaller): the installation's steps, the default
// folder, the channel and the start of the installed client.
#include "Installer.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>

#include <vector>

#include "BaseTool.h"
#include "Endpoints.h"
#include "Extract7z.h"
#include "FolderSecurity.h"
#include "ProductFolder.h"
#include "RegSettings.h"
#include "Shortcut.h"
#include "StatUrl.h"
#include "UninstallInfo.h"
#include "WinHttpRequest.h"

namespace {

// Starts a command line (a copy in a zeroed 1024-unit buffer) without waiting.
// Returns the process handle (the thread handle is closed), or NULL.
HANDLE StartProcess(const std::wstring& commandLine)
{
    if (commandLine.empty() || commandLine.size() >= 1024)
        return NULL;
    std::vector<wchar_t> buffer(1024, L'\0');
    wmemcpy(&buffer[0], commandLine.c_str(), commandLine.size());
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof(process));
    if (!CreateProcessW(NULL, &buffer[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return NULL;
    if (process.hThread != NULL)
        CloseHandle(process.hThread);
    return process.hProcess;
}

// The folder of the registered client, whether it still exists or not.
std::wstring RegisteredInstallDir()
{
    std::wstring exePath = basetool::ReadProductString(L"ExePath", basetool::kExePathBytes);
    return exePath.empty() ? std::wstring() : basetool::RemoveFileSpec(exePath);
}

// The installers' temporary archive copies, "173<hex>.tmp", that earlier runs
// cut off before they could delete them left in the temporary folder. A copy
// still in use by a running installer cannot be deleted and stays.
void RemoveStaleTempPayloads(const std::wstring& tempDir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((tempDir + L"173*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        // GetTempFileNameW's names: the prefix, one to four hexadecimal digits, ".tmp".
        if (name.size() < 9 || name.size() > 11 || _wcsicmp(name.c_str() + name.size() - 4, L".tmp") != 0)
            continue;
        bool hex = true;
        for (size_t i = 3; i + 4 < name.size(); ++i)
            hex = hex && iswxdigit(name[i]);
        if (hex)
            DeleteFileW((tempDir + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool IsUsableInstallDir(const std::wstring& dir)
{
    return !dir.empty() && !PathIsRelativeW(dir.c_str()) && dir.size() < MAX_PATH &&
           !basetool::IsProtectedFolder(dir);
}

}  // namespace

CInstaller::CInstaller(const std::wstring& dir, HWND window)
    : m_window(window), m_statHost(TEVELA_STAT_HOST), m_payloadModule(NULL), m_payloadId(SETUP_PAYLOAD_ID),
      m_lastPercent(0)
{
    SetInstallDir(dir);
}

void CInstaller::SetInstallDir(const std::wstring& dir)
{
    m_dir = dir;
    while (m_dir.size() > 3 && (m_dir.back() == L'\\' || m_dir.back() == L'/'))
        m_dir.pop_back();
}

void CInstaller::SetPayloadResource(HMODULE module, WORD id)
{
    m_payloadModule = module;
    m_payloadId = id;
}

bool CInstaller::ResolveInstallDir()
{
    std::wstring dir = GetDefaultInstallDir();
    if (!dir.empty())
        SetInstallDir(dir);
    return true;
}

void CInstaller::ReportStep(const wchar_t* text, int percent)
{
    m_lastPercent = percent;
    if (IsWindow(m_window))
        SendMessageW(m_window, WM_STEP_PROGRESS, reinterpret_cast<WPARAM>(text), static_cast<LPARAM>(percent));
}

bool CInstaller::Install()
{
    if (CoInitialize(NULL) < 0)
        return false;
    m_lastPercent = 0;
    if (!IsUsableInstallDir(m_dir)) {
        // A drive root or one of the system's folders would later be removed as a
        // whole by the uninstaller: never install there.
        ReportStep(L"安装路径无效", 0);
        CoUninitialize();
        return false;
    }

    basetool::EndProcessByName(L"tevela.exe");

    // A folder that belonged to the previous installation stays the product's own,
    // although that installation's uninstaller removes the marker with the rest.
    std::wstring previous = RegisteredInstallDir();
    bool registered = !previous.empty() && basetool::IsSameFolder(previous, m_dir);
    bool inherited = registered && basetool::IsProductFolderOwned(m_dir);
    UninstallOldVersion();

    PSECURITY_DESCRIPTOR descriptor = CreateFolderSecurityDescriptor();
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;
    int created = SHCreateDirectoryExW(NULL, m_dir.c_str(), descriptor != NULL ? &attributes : NULL);
    if (descriptor != NULL)
        LocalFree(descriptor);
    // A folder holding only what an earlier installation left behind (an
    // uninstaller waiting for the next start, files moved aside) is the product's
    // too: its leftovers go before the new files come.
    bool empty = false;
    bool leftoversOnly = basetool::HoldsOnlyProductFiles(m_dir, &empty) && !empty;
    if (created == ERROR_SUCCESS || inherited || leftoversOnly)
        basetool::MarkProductFolderOwned(m_dir);
    if (registered || leftoversOnly || basetool::IsProductFolderOwned(m_dir))
        basetool::RemoveProductLeftovers(m_dir);

    SetInstallDirAccess();

    bool extracted = ExtractFiles();
    if (extracted) {
        ReportStep(L"文件释放成功", 92);
        ReportStep(L"正在创建快捷方式", 94);
        CreateShortcuts();
        ReportStep(L"正在更新注册表", 96);
        WriteUninstallInfo();
        ReportStep(L"正在写入渠道信息", 98);
        basetool::WriteChannelValue(ParseChannelFromFileName(basetool::GetOwnModulePath()));
    }
    // Every installation is reported, whatever its steps gave.
    SendSetupStatistics();
    if (extracted)
        ReportStep(L"安装完成", 100);
    else
        ReportStep(L"安装失败", m_lastPercent);
    CoUninitialize();
    return extracted;
}

void CInstaller::SendSetupStatistics()
{
    std::wstring channel = ReadChannel();
    std::wstring mac = basetool::GetMacAddressString();
    std::wstring url =
        MakeStatUrl(MakeStatBaseUrl(m_statHost.c_str(), mac.c_str(), channel.c_str()), TEVELA_STAT_SETUP);
    basetool::SendStatistics(url);
}

bool CInstaller::LaunchClient()
{
    std::wstring client = basetool::AppendPath(m_dir, L"tevela.exe");
    if (client.empty())
        return false;
    HANDLE process = StartProcess(L"\"" + client + L"\"");
    if (process == NULL)
        return false;
    CloseHandle(process);
    return true;
}

bool CInstaller::UninstallOldVersion()
{
    std::wstring command = basetool::ReadProductString(L"QuietUninstallString", basetool::kLongValueBytes);
    if (command.empty())
        return false;
    ReportStep(L"正在卸载旧版本", 1);
    HANDLE process = StartProcess(command);
    if (process != NULL) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    return true;
}

int CInstaller::SetInstallDirAccess()
{
    if (!PathIsDirectoryW(m_dir.c_str()))
        return 0;
    return GrantFolderAccess(GetSessionUserName(), m_dir) ? 1 : 0;
}

bool CInstaller::ExtractFiles()
{
    ReportStep(L"正在提取安装文件", 1);
    HMODULE module = m_payloadModule;
    HRSRC found = FindResourceExW(module, SETUP_PAYLOAD_TYPE, MAKEINTRESOURCEW(m_payloadId), SETUP_PAYLOAD_LANGUAGE);
    if (found == NULL)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded != NULL ? LockResource(loaded) : NULL;
    DWORD size = SizeofResource(module, found);
    if (data == NULL || size == 0)
        return false;

    wchar_t tempDir[MAX_PATH];
    wchar_t tempFile[MAX_PATH];
    memset(tempDir, 0, sizeof(tempDir));
    memset(tempFile, 0, sizeof(tempFile));
    DWORD tempLength = GetTempPathW(MAX_PATH, tempDir);
    if (tempLength == 0 || tempLength >= MAX_PATH)
        return false;
    RemoveStaleTempPayloads(tempDir);
    if (GetTempFileNameW(tempDir, L"173", 0, tempFile) == 0)
        return false;
    // The copy is deleted when its handle closes, however the installer ends
    // (the system closes the handles of a killed process); the unpacking reads
    // through that same handle.
    HANDLE file = CreateFileW(tempFile, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(tempFile);
        return false;
    }
    DWORD written = 0;
    BOOL wrote = WriteFile(file, data, size, &written, NULL);
    if (!wrote || written != size || SetFilePointer(file, 0, NULL, FILE_BEGIN) != 0) {
        CloseHandle(file);
        return false;
    }

    ReportStep(L"准备安装文件...", 2);
    int result = Extract7zArchive(m_dir, file, this);
    CloseHandle(file);
    FreeResource(loaded);
    return result == 0;
}

void CInstaller::CreateShortcuts()
{
    const std::wstring name = basetool::kProductDisplayName;
    std::wstring client = basetool::AppendPath(m_dir, L"tevela.exe");
    std::wstring uninstaller = basetool::AppendPath(m_dir, L"Uninst.exe");
    // Without the special folder a shortcut would land beside the current folder.
    std::wstring desktop = basetool::GetCommonDesktopDir();
    if (!desktop.empty())
        CreateShortcut(basetool::AppendPath(m_dir, L"tevela.ico"), client, desktop, name, name,
                       L"\"" + client + L"\"");
    std::wstring programs = basetool::GetCommonProgramsDir();
    std::wstring menu = programs.empty() ? std::wstring() : basetool::AppendPath(programs, name);
    if (!menu.empty()) {
        CreateShortcut(std::wstring(), client, menu, name + L".lnk", std::wstring(), std::wstring());
        CreateShortcut(basetool::AppendPath(m_dir, L"Uninst.ico"), uninstaller, menu, L"卸载" + name,
                       std::wstring(), std::wstring());
    }
}

bool CInstaller::WriteUninstallInfo()
{
    basetool::WriteUninstallValues(m_dir, basetool::GetFileVersionString(basetool::GetOwnModulePath()));
    return true;
}

bool CInstaller::SetAutoStart()
{
    return basetool::WriteAutoStartValue(m_dir);
}

unsigned int __stdcall InstallThreadProc(void* installer)
{
    CInstaller* worker = static_cast<CInstaller*>(installer);
    if (worker == NULL)
        return 0;
    bool ok = worker->Install();
    HWND window = worker->GetWindow();
    if (IsWindow(window))
        PostMessageW(window, WM_WORKER_FINISHED, ok ? TRUE : FALSE, 0);
    return 0;
}

std::wstring GetDefaultInstallDir()
{
    std::wstring exePath = basetool::ReadProductString(L"ExePath", basetool::kExePathBytes);
    if (!exePath.empty() && PathFileExistsW(exePath.c_str()))
        return basetool::RemoveFileSpec(exePath);
    std::wstring programFiles = basetool::GetProgramFilesDir();
    return programFiles.empty() ? std::wstring() : basetool::AppendPath(programFiles, L"YexoShow");
}

std::wstring ParseChannelFromFileName(const std::wstring& path)
{
    std::wstring name = basetool::GetFileNamePart(path);
    if (name.empty())
        return std::wstring();
    size_t a = name.find(L'_');
    size_t b = name.rfind(L".exe");
    if (a == std::wstring::npos || b == std::wstring::npos || b <= a + 1)
        return std::wstring();
    return name.substr(a + 1, b - a - 1);
}
