// The uninstall worker (CUninstaller): checks, statistics and the removal steps.
#include "Uninstaller.h"

#include <shlwapi.h>
#include <wchar.h>

#include "BaseTool.h"
#include "Endpoints.h"
#include "Misc.h"
#include "ProductFolder.h"
#include "RegSettings.h"
#include "StatUrl.h"
#include "UninstallInfo.h"
#include "WinHttpRequest.h"

namespace {

// Deletes folder\name when it is a file (a missing shortcut is no error).
void DeleteShortcut(const std::wstring& folder, const std::wstring& name)
{
    std::wstring path = basetool::AppendPath(folder, name);
    if (!path.empty() && basetool::IsPlainFile(path))
        DeleteFileW(path.c_str());
}

}  // namespace

CUninstaller::CUninstaller(HWND window)
    : m_window(window), m_statHost(TEVELA_STAT_HOST), m_modulePath(basetool::GetOwnModulePath())
{
}

void CUninstaller::ReportStep(const wchar_t* text, int percent)
{
    if (IsWindow(m_window))
        SendMessageW(m_window, WM_STEP_PROGRESS, reinterpret_cast<WPARAM>(text), static_cast<LPARAM>(percent));
}

void CUninstaller::SendUnsetupStatistics()
{
    std::wstring channel = ReadChannel();
    std::wstring mac = basetool::GetMacAddressString();
    basetool::SendStatistics(
        MakeStatUrl(MakeStatBaseUrl(m_statHost.c_str(), mac.c_str(), channel.c_str()), TEVELA_STAT_UNSETUP));
}

bool CUninstaller::Uninstall()
{
    ReportStep(L"正在校验", 0);
    std::wstring exePath = basetool::ReadProductString(L"ExePath", basetool::kExePathBytes);
    if (exePath.empty() || !PathFileExistsW(exePath.c_str())) {
        ReportStep(L"注册表数据无效", 0);
        return false;
    }

    SendUnsetupStatistics();

    std::wstring installDir = basetool::RemoveFileSpec(exePath);
    std::wstring ownDir = basetool::RemoveFileSpec(m_modulePath);
    // The folder is removed recursively: a drive root or one of the system's own
    // folders is refused even when the registration names it.
    if (installDir.empty() || _wcsicmp(installDir.c_str(), ownDir.c_str()) != 0 ||
        basetool::IsProtectedFolder(installDir)) {
        ReportStep(L"卸载路径无效", 0);
        return false;
    }

    ReportStep(L"开始卸载", 10);
    basetool::EndProcessByName(L"tevela.exe");

    ReportStep(L"正在删除文件", 20);
    // Only a folder the installer made goes as a whole; from a folder the user
    // already had, only the product's own files are removed.
    if (basetool::IsProductFolderOwned(installDir))
        basetool::CMisc::DeleteFolder(installDir);
    else
        basetool::DeleteProductFiles(installDir);
    // What stays (this running uninstaller, queued under its ".error" name) goes
    // at the next start, and the folder after it, so that no empty folder stays.
    if (basetool::IsPlainFolder(installDir) && basetool::HoldsOnlyProductFiles(installDir))
        basetool::CMisc::QueueForReboot(installDir);

    const std::wstring name = basetool::kProductDisplayName;
    ReportStep(L"正在删除快捷方式", 80);
    std::wstring desktop = basetool::GetCommonDesktopDir();
    if (!desktop.empty())
        DeleteShortcut(desktop, name + L".lnk");

    ReportStep(L"正在删除开始菜单", 85);
    std::wstring programs = basetool::GetCommonProgramsDir();
    std::wstring menu = programs.empty() ? std::wstring() : basetool::AppendPath(programs, name);
    if (!menu.empty() && !basetool::IsReparsePoint(menu)) {
        // The installer's two shortcuts, then the folder when nothing else is in it.
        DeleteShortcut(menu, name + L".lnk");
        DeleteShortcut(menu, L"卸载" + name + L".lnk");
        RemoveDirectoryW(menu.c_str());
    }

    ReportStep(L"正在删除注册表数据", 90);
    basetool::DeleteProductRegistration();

    ReportStep(L"卸载完成", 100);
    return true;
}

unsigned int __stdcall UninstallThreadProc(void* uninstaller)
{
    CUninstaller* worker = static_cast<CUninstaller*>(uninstaller);
    if (worker == NULL)
        return 0;
    bool ok = worker->Uninstall();
    HWND window = worker->GetWindow();
    if (IsWindow(window))
        PostMessageW(window, WM_WORKER_FINISHED, ok ? TRUE : FALSE, 0);
    return 0;
}
