// Benchmark of the real installer's and uninstaller's windows (their loopback
// builds, next to the local server), run by scripts/bench.d/installer_windows.sh:
//   setup.install_ms   from the click on the default install button to the
//                      finish page on screen
//   uninst.remove_ms   from the click on the confirmation's 确定 to the
//                      result message's window
// Medians of the given number of runs (default 5); the screen and the window
// list are polled every few milliseconds, which bounds the resolution.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BaseTool.h"
#include "E2EUtil.h"
#include "InstallTestUtil.h"
#include "InstallerClickPoints.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

namespace {

bool FinishPageShows(HWND frame)
{
    DWORD c = e2e::ScreenPixel(frame, kSetupRunNowPoint.x - 42, kSetupRunNowPoint.y + 12);
    return ((c >> 16) & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) < 0x60;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * c.QuadPart / f.QuadPart;
}

bool Fail(const char* step)
{
    std::fprintf(stderr, "bench_installer_windows: %s\n", step);
    return false;
}

bool OneRound(const std::wstring& setupExe, double& installMs, double& removeMs)
{
    const std::wstring dir = basetool::AppendPath(basetool::GetProgramFilesDir(), L"YexoShow");
    {
        e2e::Program setup(L"\"" + setupExe + L"\"");
        HWND frame = e2e::WaitWindow(setup.Id(), L"MainFrame", 20000);
        if (frame == NULL)
            return Fail("Setup's window did not show");
        double start = Now();
        e2e::Click(frame, kSetupDefaultInstallPoint.x, kSetupDefaultInstallPoint.y);
        if (!e2e::WaitFor([&] { return FinishPageShows(frame) || !setup.Running(); }, 120000) || !setup.Running())
            return Fail("the finish page did not show");
        installMs = Now() - start;
        e2e::Click(frame, kSetupFinishPoint.x, kSetupFinishPoint.y);
        if (!setup.WaitExit(20000))
            return Fail("Setup did not end");
    }
    {
        e2e::Program uninst(L"\"" + dir + L"\\Uninst.exe\"");
        HWND ask = e2e::WaitWindow(uninst.Id(), L"AskUninst", 20000);
        if (ask == NULL)
            return Fail("the confirmation did not show");
        double start = Now();
        e2e::Click(ask, kAskUninstOkPoint.x, kAskUninstOkPoint.y);
        HWND message = e2e::WaitWindow(uninst.Id(), L"Message", 120000, false);
        if (message == NULL)
            return Fail("the result message did not show");
        removeMs = Now() - start;
        Sleep(300);
        e2e::Click(message, kMessageOkPoint.x, kMessageOkPoint.y);
        if (!uninst.WaitExit(20000))
            return Fail("Uninst did not end");
    }
    installtest::RemoveTestTree(dir + L"\\");
    SHDeleteValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"YexoShow");
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    CoInitialize(NULL);
    int runs = argc > 1 ? _wtoi(argv[1]) : 5;
    std::wstring setupExe = L"C:\\dist\\Setup_web01.exe";
    CreateDirectoryW(L"C:\\dist", NULL);
    if (!CopyFileW((testsupport::ExeDir() + L"..\\loopback\\install\\setup\\Setup_web01.exe").c_str(),
                   setupExe.c_str(), FALSE))
        return Fail("copy the installer") ? 0 : 1;
    basetool::DeleteProductRegistration();
    installtest::RemoveTestTree(basetool::AppendPath(basetool::GetProgramFilesDir(), L"YexoShow") + L"\\");
    std::vector<double> install, remove;
    for (int i = 0; i < runs; ++i) {
        double a = 0, b = 0;
        if (!OneRound(setupExe, a, b))
            return 1;
        install.push_back(a);
        remove.push_back(b);
    }
    installtest::RemoveTestTree(L"C:\\dist\\");
    std::printf("setup.install_ms: %.0f ms\n", Median(install));
    std::printf("uninst.remove_ms: %.0f ms\n", Median(remove));
    CoUninitialize();
    return 0;
}
