// Uninst.exe's entry: COM, the single-instance guard, then either the quiet
// removal for "uninst_silence" (which the next installer runs before it
// installs; exit code 0 when the product was removed and 2 when a check
// stopped the removal), or the main window with its confirmation, progress and
// result, until the window ends the message loop.
#include <windows.h>
#include <shlwapi.h>

#include "BaseTool.h"
#include "InstallerDialog.h"
#include "UIManager.h"
#include "UninstFrame.h"
#include "Uninstaller.h"

using namespace SkinUI;

namespace {
const wchar_t kMutexName[] = L"YEXO_SHOW_UNINST_SINGLETON_{939EE18D-6F75-4e37-B202-544D5A541FAD}";
const wchar_t kQuietSwitch[] = L"uninst_silence";
WindowImplBase* MakeFrame()
{
    return new CMainFrame;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    basetool::SingletonMutex* singleton = NULL;
    if (!basetool::BeginInstallerProgram(kMutexName, singleton))
        return 1;
    if (commandLine != NULL && StrStrIW(commandLine, kQuietSwitch) != NULL) {
        CUninstaller uninstaller(NULL);
        const int exitCode = uninstaller.Uninstall() ? 0 : 2;
        basetool::EndInstallerProgram(singleton);
        return exitCode;
    }

    const int exitCode = RunInstallerWindow(hInstance, &MakeFrame, kUninstTitle, showCommand);
    basetool::EndInstallerProgram(singleton);
    return exitCode;
}
