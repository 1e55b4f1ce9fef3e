// update.exe: a windowless program in the installation folder. Each launch does
// one step of an update (download and verify, or swap) and ends with code 0.
#include <windows.h>

#include "ClientLog.h"
#include "UpdateCmdLine.h"
#include "UpdateMgr.h"
#include "Utils.h"

namespace {

int RunUpdater(const wchar_t* cmdLine) {
    update::UpdateCmdLine cmd = update::ParseUpdateCmdLine(cmdLine);
    LOG_INFO << "update.exe cmdline:" << cmd.text;

    // One updater per client: "<client exe name><own exe name>".
    GString mutexName = cmd.exeName + WinUtil::GetModuleName();
    HANDLE mutex = CreateMutexW(NULL, TRUE, mutexName.c_str());
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }

    GString logDir = WinUtil::GetModulePath() + GString(L"\\log");
    if (!WinUtil::IsPathFileExists(logDir)) WinUtil::CreateDirectoryPro(logDir);
    glog::instance(GStringToStdString(logDir + GString(L"\\Update")), 0x100000);
    LOG_INFO << "Update Start!";
    {
        CUpdateMgr mgr;
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
