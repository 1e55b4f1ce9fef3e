// run_driver: clicks through the real installer window on a display without a
// person in front of it, the way scripts/run.sh needs it. It starts Setup.exe,
// presses the default install button, waits for the finish page, presses
// "立即体验", waits for the installed client's main window, and saves a picture
// of each installer page and of the client into one folder. Every wait is
// bounded; a failure names the step and ends with a non-zero exit code. It ends
// the processes it started unless they ended by themselves.
//
//   run_driver.exe SETUP_EXE SHOTS_DIR [--finish]
//     --finish   press "安装完成" instead of "立即体验" (no client is started)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "SetupClickPoints.h"
#include "TestSupport.h"

namespace {

const wchar_t kSetupTitle[] = L"Yexo\u5a31\u4e50\u76f4\u64ad\u5b89\u88c5\u7a0b\u5e8f";
const wchar_t kClientTitle[] = L"Yexo\u5a31\u4e50\u76f4\u64ad";
const wchar_t kFrameClass[] = L"MainFrame";

void Say(const char* text)
{
    std::printf("run: %s\n", text);
    std::fflush(stdout);
}

int Fail(const char* step)
{
    std::printf("run: FAILED at step: %s\n", step);
    std::fflush(stdout);
    return 1;
}

struct FindArgs {
    const wchar_t* title;
    DWORD pid;         // the window's process, or 0 for any
    DWORD notPid;      // a process whose windows do not count
    HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam)
{
    FindArgs* args = reinterpret_cast<FindArgs*>(lParam);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    wchar_t cls[64] = { 0 };
    wchar_t title[128] = { 0 };
    GetClassNameW(hwnd, cls, 64);
    GetWindowTextW(hwnd, title, 128);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (lstrcmpW(cls, kFrameClass) == 0 && lstrcmpW(title, args->title) == 0 &&
        (args->pid == 0 || pid == args->pid) && pid != args->notPid) {
        args->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForFrame(const wchar_t* title, DWORD pid, DWORD notPid, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    do {
        FindArgs args = { title, pid, notPid, NULL };
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&args));
        if (args.found != NULL)
            return args.found;
        Sleep(200);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

void Click(HWND hwnd, int x, int y)
{
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

// The window's client area as it shows on the screen, saved as a PNG when a
// path is given; the pixels are returned for comparing two moments.
std::vector<DWORD> Shoot(HWND hwnd, const std::wstring& path)
{
    std::vector<DWORD> pixels;
    RECT rc;
    if (!GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0)
        return pixels;
    testsupport::Canvas canvas(rc.right, rc.bottom);
    if (!canvas.CaptureWindow(hwnd))
        return pixels;
    if (!path.empty())
        canvas.SavePng(path);
    pixels.assign(canvas.Bits(), canvas.Bits() + rc.right * rc.bottom);
    return pixels;
}

// Writes pixels taken by Shoot from hwnd's client area as a PNG.
void SavePixels(HWND hwnd, const std::vector<DWORD>& pixels, const std::wstring& path)
{
    RECT rc;
    if (!GetClientRect(hwnd, &rc) || static_cast<size_t>(rc.right * rc.bottom) != pixels.size())
        return;
    testsupport::Canvas canvas(rc.right, rc.bottom);
    std::copy(pixels.begin(), pixels.end(), canvas.Bits());
    canvas.SavePng(path);
}

void EndProcessOfWindow(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process != NULL) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::printf("usage: run_driver SETUP_EXE SHOTS_DIR [--finish]\n");
        return 2;
    }
    const std::wstring setupExe = argv[1];
    std::wstring shots = argv[2];
    if (!shots.empty() && shots[shots.size() - 1] != L'\\')
        shots += L'\\';
    const bool finishOnly = argc > 3 && lstrcmpiW(argv[3], L"--finish") == 0;
    CreateDirectoryW(shots.c_str(), NULL);

    Say("starting the installer");
    std::wstring cmd = L"\"" + setupExe + L"\"";
    std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back(0);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, &cmdBuf[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return Fail("start Setup.exe");
    CloseHandle(pi.hThread);
    HANDLE setup = pi.hProcess;
    const DWORD setupPid = pi.dwProcessId;
    struct SetupGuard {
        HANDLE h;
        ~SetupGuard()
        {
            if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT)
                TerminateProcess(h, 3);
            CloseHandle(h);
        }
    } guard = { setup };

    HWND frame = WaitForFrame(kSetupTitle, setupPid, 0, 60000);
    if (frame == NULL)
        return Fail("wait for the installer's window (60 s)");
    Sleep(800);
    const std::vector<DWORD> firstPage = Shoot(frame, shots + L"1-setup-folder.png");

    Say("pressing the default install button");
    Click(frame, kSetupDefaultInstallPoint.x, kSetupDefaultInstallPoint.y);
    // The progress page shows while the worker unpacks. The picture kept is the
    // last one before the window settles, so it shows a step of the work (or,
    // when the installation is too quick for that, the page as it first showed).
    const DWORD clicked = GetTickCount();
    std::vector<DWORD> shown = firstPage;
    std::vector<DWORD> progress;
    DWORD lastChange = clicked;
    while (GetTickCount() - clicked < 60000) {
        Sleep(10);
        std::vector<DWORD> now = Shoot(frame, std::wstring());
        if (now.empty())
            break;
        if (now != shown) {
            progress = progress.empty() ? now : shown;
            shown.swap(now);
            lastChange = GetTickCount();
        } else if (!progress.empty() && GetTickCount() - lastChange > 700) {
            break;
        }
    }
    if (progress.empty())
        return Fail("default install button (the page did not change)");
    SavePixels(frame, progress, shots + L"2-setup-progress.png");

    // Until the finish page shows, the place of its button holds nothing that
    // takes a click: once the window has kept one picture for a moment, press
    // there, until the installer ends.
    Say(finishOnly ? "installing; then pressing the finish button" : "installing; then pressing the run-now button");
    const POINT press = finishOnly ? POINT{ kSetupFinishPoint.x, kSetupFinishPoint.y }
                                   : POINT{ kSetupRunNowPoint.x, kSetupRunNowPoint.y };
    const DWORD start = GetTickCount();
    std::vector<DWORD> last;
    bool pressed = false;
    while (WaitForSingleObject(setup, 0) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > 240000)
            return Fail("installation (the installer did not end within 240 s)");
        Sleep(700);
        if (!IsWindow(frame))
            continue;
        std::vector<DWORD> now = Shoot(frame, std::wstring());
        if (!now.empty() && now == last) {
            // The picture before each press: the last one is the finish page.
            Shoot(frame, shots + L"3-setup-finish.png");
            Click(frame, press.x, press.y);
            pressed = true;
        }
        last.swap(now);
    }
    DWORD setupExit = 0;
    GetExitCodeProcess(setup, &setupExit);
    if (!pressed || setupExit != 0)
        return Fail("installer's end (it ended before the finish page, or with a non-zero exit code)");
    if (finishOnly) {
        Say("installed");
        return 0;
    }

    Say("waiting for the client's main window");
    HWND client = WaitForFrame(kClientTitle, 0, setupPid, 90000);
    if (client == NULL)
        return Fail("wait for the client's main window (90 s)");
    Sleep(2500);
    if (Shoot(client, shots + L"4-client.png").empty())
        return Fail("picture of the client");
    Say("the client runs; ending it");
    EndProcessOfWindow(client);
    return 0;
}
