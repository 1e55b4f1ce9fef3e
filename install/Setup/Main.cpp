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

    SkinUI::CUIManager::SetInstance(instance);
    SkinResource skin = LoadSkinResource();
    if (skin.data == NULL || skin.size == 0) {
        FreeSkinResource(skin);
        basetool::EndInstallerProgram(singleton);
        return 1;
    }
    SkinUI::CUIManager::SetResourceZipMemory(skin.data, skin.size);
    CMainFrame* frame = new CMainFrame;
    if (frame->Create(NULL, kSetupWindowTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, NULL) == NULL) {
        FreeSkinResource(skin);
        basetool::EndInstallerProgram(singleton);
        return 1;
    }
    frame->Center();
    ::ShowWindow(frame->GetHWND(), showCommand);
    SkinUI::CUIManager::RunMessageLoop();

    FreeSkinResource(skin);
    basetool::EndInstallerProgram(singleton);
    return 0;
}
