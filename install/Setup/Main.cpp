// Setup.exe's entry: COM, the single-instance guard, the quiet mode
// "setup_silence" (which installs nothing: it resolves the installation folder
// and, with "run_now", starts the installed client), and otherwise the
// installer's window over the skin in the program's resources.
#include <windows.h>
#include <shlwapi.h>

#include "BaseTool.h"
#include "Installer.h"
#include "InstallerDialog.h"
#include "SetupFrame.h"
#include "UIManager.h"

namespace {
const wchar_t kMutexName[] = L"YEXO_SHOW_SETUP_SINGLETON_{0B127C49-D3C7-4f0b-99FC-3813D2279BE3}";
const wchar_t kQuietSwitch[] = L"setup_silence";
const wchar_t kRunSwitch[] = L"run_now";
SkinUI::WindowImplBase* MakeFrame()
{
    return new CMainFrame;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    basetool::SingletonMutex* singleton = NULL;
    if (!basetool::BeginInstallerProgram(kMutexName, singleton))
        return 1;
    if (commandLine != NULL && StrStrIW(commandLine, kQuietSwitch) != NULL) {
        CInstaller installer;
        installer.ResolveInstallDir();
        if (StrStrIW(commandLine, kRunSwitch) != NULL)
            installer.LaunchClient();
        basetool::EndInstallerProgram(singleton);
        return 0;
    }

    const int exitCode = RunInstallerWindow(instance, &MakeFrame, kSetupWindowTitle, showCommand);
    basetool::EndInstallerProgram(singleton);
    return exitCode;
}
