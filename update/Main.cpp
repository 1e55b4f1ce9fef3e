// update.exe: a windowless program in the installation folder. Each launch does
// one step of an update (download and verify, or swap) and ends with code 0.
// The swap itself runs from a copy of the program outside the folder, which
// the launch started from the folder hands over to (OutsideCopy.h).
#include <windows.h>

#include "ClientLog.h"
#include "OutsideCopy.h"
#include "UpdateCmdLine.h"
#include "UpdateMgr.h"
#include "Utils.h"

namespace {

// How long a copy waits for the launch that started it to end.
const DWORD kHandOverWaitMs = 60000;

int RunUpdater(const wchar_t* cmdLine) {
    update::UpdateCmdLine cmd = update::ParseUpdateCmdLine(cmdLine);
    LOG_INFO << "update.exe cmdline:" << cmd.text;

    std::wstring folder;
    const bool isCopy = update::ReadCopyFolder(WinUtil::GetModulePath().str(), &folder);
    if (!isCopy) folder = WinUtil::GetModulePath().str();

    // One updater per client: "<client exe name><own exe name>". A copy takes
    // the guard over once the launch that started it has ended.
    GString mutexName = cmd.exeName + WinUtil::GetModuleName();
    HANDLE mutex = CreateMutexW(NULL, TRUE, mutexName.c_str());
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        DWORD got = isCopy ? WaitForSingleObject(mutex, kHandOverWaitMs) : WAIT_TIMEOUT;
        if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
            CloseHandle(mutex);
            return 0;
        }
    }

    GString logDir = GString(folder) + GString(L"\\log");
    if (!WinUtil::IsPathFileExists(logDir)) WinUtil::CreateDirectoryPro(logDir);
    glog::instance(GStringToStdString(logDir + GString(L"\\Update")), 0x100000);
    LOG_INFO << "Update Start!";
    {
        CUpdateMgr mgr(GString(folder), NULL);
        mgr.SetExeName(cmd.exeName);
        mgr.SetType(cmd.type);
        if (cmd.type == 0) mgr.Run();
        LOG_INFO << "Update Exit!";
        glog::release();
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR cmdLine, int) { return RunUpdater(cmdLine); }
