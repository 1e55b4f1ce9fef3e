// The product as the built Setup.exe carries it, installed by the real install
// worker into a folder, for the tests that need a whole installation (the
// uninstall worker's and the uninstaller window's). Header-only: those tests
// link setup_worker, the shared test library does not.
#pragma once

#include <windows.h>

#include <string>

#include "InstallTestUtil.h"
#include "Installer.h"
#include "TestSupport.h"
#include "payload_ids.h"

namespace installtest {

// Installs the built Setup.exe's archive into dir, reporting to a recorder and
// sending its statistics to the local server. Empty when the installation
// succeeded, otherwise what went wrong (with the worker's steps).
inline std::string InstallShippedProduct(const std::wstring& dir)
{
    HMODULE setup = LoadLibraryExW((testsupport::ExeDir() + L"Setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (setup == NULL)
        return "the built Setup.exe cannot be loaded";
    CInstaller installer(dir);
    installer.SetPayloadResource(setup, SETUP_PAYLOAD_ID);
    installer.SetStatHost(StatHost());
    Recorder recorder;
    installer.SetWindow(recorder.hwnd());
    const bool ended = recorder.RunWorker(InstallThreadProc, &installer);
    FreeLibrary(setup);
    if (!ended)
        return "the install worker did not end";
    if (recorder.finished != 1)
        return "the installation failed: " + StepsText(recorder.steps);
    return std::string();
}

}  // namespace installtest
