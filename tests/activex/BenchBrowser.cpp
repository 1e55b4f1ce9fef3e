// Benchmark: the time from adding a CWebBrowserUI to a shown skinned window
// to the in-place activated browser, that is, until Wine's WebBrowser has its
// "Shell Embedding" window inside the control's child window. Prints the
// median of several pages, each added, activated and removed in turn:
//   browser.create_ms: X ms
//   usage: bench_browser [pages]
#include <windows.h>
#include <ole2.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "UIContainer.h"
#include "UIManager.h"
#include "UIVerticalLayout.h"
#include "UITestHost.h"
#include "UIWebBrowser.h"

using namespace SkinUI;

namespace {

double NowMs()
{
    static LARGE_INTEGER freq = {};
    if (freq.QuadPart == 0)
        ::QueryPerformanceFrequency(&freq);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int pages = argc > 1 ? atoi(argv[1]) : 50;
    if (pages <= 0 || FAILED(::OleInitialize(NULL)))
        return 2;
    CUIManager::SetInstance(::GetModuleHandleW(NULL));
    testsupport::UITestHost host(L"browser bench");
    if (!host.Open(1050, 680))
        return 1;
    CVerticalLayoutUI* root = new CVerticalLayoutUI;
    root->SetDelayedDestroy(false);
    host.pm.AttachRoot(root);
    ::UpdateWindow(host.GetHWND());
    Pump();

    std::vector<double> times;
    for (int i = 0; i < pages; ++i) {
        const double start = NowMs();
        CWebBrowserUI* wb = new CWebBrowserUI;
        root->Add(wb);
        ::InvalidateRect(host.GetHWND(), NULL, FALSE);
        ::UpdateWindow(host.GetHWND());
        HWND hHost = wb->GetHostWindow();
        HWND hEmbedding = hHost != NULL ? ::FindWindowExW(hHost, NULL, L"Shell Embedding", NULL) : NULL;
        const double end = NowMs();
        if (hEmbedding == NULL) {
            fprintf(stderr, "bench_browser: page %d has no browser window\n", i);
            return 1;
        }
        times.push_back(end - start);
        root->Remove(wb);
        Pump();
    }
    std::sort(times.begin(), times.end());
    printf("browser.create_ms: %.2f ms\n", times[times.size() / 2]);
    host.pm.AttachRoot(new CControlUI);
    host.Destroy();
    ::OleUninitialize();
    return 0;
}
