// Uninst.exe's entry: COM, the single-instance guard, and the quiet removal for
// "uninst_silence", which the next installer runs before it installs. Its exit
// code is 0 when the product was removed and 2 when a check stopped the removal.
#include <windows.h>
#include <shlwapi.h>

#include "BaseTool.h"
#include "Uninstaller.h"

namespace {
const wchar_t kMutexName[] = L"YEXO_SHOW_UNINST_SINGLETON_{939EE18D-6F75-4e37-B202-544D5A541FAD}";
const wchar_t kQuietSwitch[] = L"uninst_silence";
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    basetool::SingletonMutex* singleton = NULL;
    if (!basetool::BeginInstallerProgram(kMutexName, singleton))
        return 1;
    int exitCode = 1;
    if (commandLine != NULL && StrStrIW(commandLine, kQuietSwitch) != NULL) {
        CUninstaller uninstaller(NULL);
        exitCode = uninstaller.Uninstall() ? 0 : 2;
    }
    basetool::EndInstallerProgram(singleton);
    return exitCode;
}
