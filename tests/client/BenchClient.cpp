// Benchmarks of the client (run by scripts/bench.d/client.sh next to the local
// server at the loopback port, never by ctest):
//   bench_client.exe first_paint N   process start to the first completed paint
//                                    of the main window (the title bar shows),
//                                    the home page navigating to the local
//                                    server; median of N starts, with the
//                                    median start of an empty program and
//                                    the ratio of the two (client.start_ratio)
//   bench_client.exe tab_open N      the home page's new-window request to the
//                                    new tab painted, in-process; median of N tabs
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ClientMessages.h"
#include "InstallFolder.h"
#include "MainFrame.h"
#include "RegSettings.h"
#include "resource.h"

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0);
}

double NowMs()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / freq.QuadPart;
}

// The title bar has been painted: a pixel of it shows the brand colour.
bool TitleBarPainted(HWND w)
{
    HDC dc = ::GetDC(w);
    if (dc == NULL)
        return false;
    const COLORREF c = ::GetPixel(dc, 300, 20);
    ::ReleaseDC(w, dc);
    return c == RGB(0xFF, 0x00, 0x7D);
}

int FirstPaint(int runs)
{
    testsupport::WriteFileBytes(nettest::Root() + L"home", "<html><body>home</body></html>");
    clienttest::Installation inst(L"bench_client");
    if (!inst.Populate())
        return 2;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        PROCESS_INFORMATION pi = inst.Start(L"");
        HWND w = NULL;
        double painted = 0;
        while (NowMs() - start < 20000) {
            if (w == NULL)
                w = inst.MainWindow(pi.dwProcessId);
            if (w != NULL && TitleBarPainted(w)) {
                painted = NowMs() - start;
                break;
            }
            ::Sleep(1);
        }
        if (painted == 0)
            return 3;
        times.push_back(painted);
        ::PostMessageW(w, WM_TRAY_MENU_COMMAND, 2, 0);
        clienttest::Installation::WaitExit(pi, 15000);
    }
    // For scale: a program of this machine that starts and ends at once.
    std::vector<double> empty;
    inst.Copy(clienttest::BuiltFile(L"dummy_tevela.exe"), L"empty.exe");
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        PROCESS_INFORMATION pi = inst.Start(L"", L"empty.exe");
        clienttest::Installation::WaitExit(pi, 15000);
        empty.push_back(NowMs() - start);
    }
    std::printf("client.first_paint_ms: %.1f ms\n", Median(times));
    std::printf("client.empty_process_ms: %.1f ms\n", Median(empty));
    // The start as a multiple of a bare process start under the same load.
    std::printf("client.start_ratio: %.2f x\n", Median(empty) > 0 ? Median(times) / Median(empty) : 0.0);
    return 0;
}

int TabOpen(int tabs)
{
    ::OleInitialize(NULL);
    HRSRC res = ::FindResourceW(NULL, MAKEINTRESOURCEW(IDR_SKIN_ZIP), L"ZIP");
    HGLOBAL loaded = res != NULL ? ::LoadResource(NULL, res) : NULL;
    if (loaded == NULL)
        return 2;
    SkinUI::CUIManager::SetInstance(::GetModuleHandleW(NULL));
    SkinUI::CUIManager::SetResourceZipMemory(::LockResource(loaded), ::SizeofResource(NULL, res));
    CMainFrame* frame = new CMainFrame;
    HWND w = frame->Create(NULL, TEVELA_DISPLAY_NAME, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 1050, 680);
    ::ShowWindow(w, SW_SHOWMAXIMIZED);
    testsupport::PumpFor(300);
    const std::wstring url = L"http://www.yexo.example/page";
    BSTR bstrUrl = ::SysAllocString(url.c_str());
    CCusBrowserEventHander* home =
        reinterpret_cast<CCusBrowserEventHander*>(frame->GetBrowserAt(0)->GetUserPointer());
    std::vector<double> times;
    for (int i = 0; i < tabs; ++i) {
        const double start = NowMs();
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT_BOOL* pCancel = &cancel;
        home->NewWindow3(NULL, pCancel, 0, NULL, bstrUrl);
        ::UpdateWindow(w);
        times.push_back(NowMs() - start);
        testsupport::PumpFor(5);
        ::SendMessageW(w, WM_CLOSE_BROWSER_PAGE, reinterpret_cast<WPARAM>(frame->GetBrowserAt(1)), 0);
        testsupport::PumpFor(20);
    }
    ::SysFreeString(bstrUrl);
    std::printf("client.tab_open_ms: %.1f ms\n", Median(times));
    ::DestroyWindow(w);
    ::OleUninitialize();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3 || !nettest::Available()) {
        std::fprintf(stderr, "usage (next to the server at the loopback port): bench_client first_paint|tab_open N\n");
        return 1;
    }
    // No first-start question, no channel.
    WriteProductDword(L"FirstStart", 0);
    const int n = _wtoi(argv[2]);
    const std::wstring mode = argv[1];
    int rc = mode == L"first_paint" ? FirstPaint(n) : mode == L"tab_open" ? TabOpen(n) : 1;
    std::fflush(stdout);
    return rc;
}
