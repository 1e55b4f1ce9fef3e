// tevela.exe's entry: elevation, OLE, the single-instance test, the browser
// emulation values, the skin zip from the program's resources, the main
// frame's start decision, the maximised main window and the message loop.
#include <windows.h>
#include <ole2.h>
#include <shlwapi.h>

#include <vector>

#include "ClientMessages.h"
#include "Elevation.h"
#include "MainFrame.h"
#include "UIManager.h"
#include "resource.h"

using namespace SkinUI;

namespace {

// Resource handles loaded for the skin; freed at every end after loading.
typedef std::vector<HGLOBAL> ResourceHandleList;

void FreeResources(ResourceHandleList& handles)
{
    for (size_t i = 0; i < handles.size(); ++i)
        ::FreeResource(handles[i]);
    handles.clear();
}

// The skin zip in the exe's resources ("ZIP" 131): its bytes and size, both 0
// when the resource is missing.
const void* LoadSkinZip(ResourceHandleList& handles, DWORD& size)
{
    size = 0;
    HMODULE hModule = ::GetModuleHandleW(NULL);
    HRSRC hResource = ::FindResourceW(hModule, MAKEINTRESOURCEW(IDR_SKIN_ZIP), L"ZIP");
    HGLOBAL hLoaded = hResource != NULL ? ::LoadResource(hModule, hResource) : NULL;
    if (hLoaded == NULL)
        return NULL;
    handles.push_back(hLoaded);
    size = ::SizeofResource(hModule, hResource);
    return ::LockResource(hLoaded);
}

// IE8 standards mode for this exe's browser pages, in both registry views.
void SetBrowserEmulation()
{
    const DWORD dwMode = 8000;
    ::SHSetValueW(HKEY_LOCAL_MACHINE,
                  L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION",
                  L"tevela.exe", REG_DWORD, &dwMode, sizeof(dwMode));
    ::SHSetValueW(HKEY_LOCAL_MACHINE,
                  L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\"
                  L"FEATURE_BROWSER_EMULATION",
                  L"tevela.exe", REG_DWORD, &dwMode, sizeof(dwMode));
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR lpCmdLine, int /*nCmdShow*/)
{
    if (RelaunchElevatedIfNeeded() != RELAUNCH_GO_ON)
        return 1;
    if (FAILED(::OleInitialize(NULL)))
        return 1;

    // A running client is found by its main window (class and title, so that
    // an Explorer window showing the start-menu folder of the same name is not
    // taken for it) and brought back instead.
    HWND hRunning = ::FindWindowExW(NULL, NULL, TEVELA_MAIN_CLASS, TEVELA_DISPLAY_NAME);
    if (::IsWindow(hRunning)) {
        ::PostMessageW(hRunning, WM_ACTIVATE_INSTANCE, 0, 0);
        return 1;
    }

    SetBrowserEmulation();
    CUIManager::SetInstance(hInstance);

    ResourceHandleList handles;
    DWORD dwSkinSize = 0;
    const void* pSkin = LoadSkinZip(handles, dwSkinSize);
    if (pSkin == NULL || dwSkinSize == 0) {
        FreeResources(handles);
        return 1;
    }
    CUIManager::SetResourceZipMemory(pSkin, dwSkinSize);

    CMainFrame* pFrame = new (std::nothrow) CMainFrame;
    if (pFrame == NULL) {
        FreeResources(handles);
        return 0;
    }
    if (pFrame->HandleStartup(lpCmdLine != NULL ? lpCmdLine : L"") < 0) {
        delete pFrame;
        FreeResources(handles);
        return 0;
    }
    // A window that cannot be made ends the program (and its guard) at once;
    // the frame may be gone with it.
    if (!CMainFrame::OpenMainWindow(pFrame)) {
        FreeResources(handles);
        return 1;
    }
    CUIManager::RunMessageLoop();

    ::OleUninitialize();
    FreeResources(handles);
    return 0;
}
