// Benchmark: the time from CUIBuilder::Create (the window's WM_CREATE) to the
// first completed paint of a 1050x680 skinned window of about 350 controls
// whose skin zip lives in the program's resources. Prints the median of
// several runs in one process:
//   builder.first_paint_ms: X ms
//   usage: bench_builder [runs]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "UIManager.h"
#include "UIWindowImpl.h"

using namespace SkinUI;

namespace {

double NowMs() {
    static LARGE_INTEGER freq = {};
    if (freq.QuadPart == 0) ::QueryPerformanceFrequency(&freq);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

class CBenchWnd : public WindowImplBase {
public:
    double startMs = 0;
    double paintedMs = 0;
    bool painted = false;

    LPCTSTR GetWindowClassName() const override { return L"SkinUIBenchWnd"; }
    CUIString GetSkinFolder() override { return CUIString(L""); }
    CUIString GetSkinFile() override { return CUIString(L"bench.xml"); }
    UIResourceKind GetResourceType() const override { return UIResourceZipResource; }
    LPCTSTR GetSkinResourceId() override { return L"BenchSkin"; }

    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override {
        startMs = NowMs();
        return WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
    }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        const bool first = uMsg == WM_PAINT && !painted && ::GetUpdateRect(m_hWnd, NULL, FALSE);
        LRESULT lRes = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
        if (first) {
            paintedMs = NowMs();
            painted = true;
        }
        return lRes;
    }
};

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? atoi(argv[1]) : 15;
    if (runs < 1) runs = 1;
    CUIManager::SetInstance(::GetModuleHandleW(NULL));

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        CBenchWnd* pWnd = new CBenchWnd;
        if (pWnd->Create(NULL, L"bench", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0) == NULL) {
            fprintf(stderr, "bench_builder: window creation failed\n");
            return 1;
        }
        ::ShowWindow(pWnd->GetHWND(), SW_SHOWNOACTIVATE);
        const double deadline = NowMs() + 10000;
        MSG msg;
        while (!pWnd->painted && NowMs() < deadline) {
            if (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            } else {
                ::MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
            }
        }
        if (!pWnd->painted) {
            fprintf(stderr, "bench_builder: the window never painted\n");
            return 1;
        }
        times.push_back(pWnd->paintedMs - pWnd->startMs);
        ::DestroyWindow(pWnd->GetHWND());
        delete pWnd;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    printf("builder.first_paint_ms: %.2f ms\n", median);
    return 0;
}
