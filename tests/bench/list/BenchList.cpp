// A list of 10,000 three-column text rows in a 1050x680 window: the time to
// build it from code and lay it out once (list.build_10k_ms, median of a few
// builds), and one wheel step with the repaint it causes (list.scroll_frame_ms,
// median of 100 steps).
//   bench_list [builds]
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "UIList.h"
#include "UIListHeader.h"
#include "UIListHeaderItem.h"
#include "UIListTextElement.h"
#include "UIManager.h"
#include "BenchTiming.h"
#include "UITestHost.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using testsupport::Median;
using testsupport::Ms;

namespace {

const int kWidth = 1050;
const int kHeight = 680;
const int kRows = 10000;
const int kSteps = 100;

// An attached list with its header, ready for rows.
CListUI* NewList(testsupport::UITestHost& wnd)
{
    CVerticalLayoutUI* root = new CVerticalLayoutUI;
    root->SetBackgroundColor(0xFFFFFFFF);
    CListUI* list = new CListUI;
    list->ApplyAttributes(L"vscrollbar=\"true\" itemlinecolor=\"#FFE0E0E0\" itemaltbk=\"true\" "
                          L"itembkcolor=\"#FFF6F8FA\" itemtextpadding=\"4,0,4,0\"");
    const wchar_t* captions[] = { L"Name", L"Channel", L"Viewers" };
    const int widths[] = { 400, 300, 200 };
    for (int c = 0; c < 3; ++c) {
        CListHeaderItemUI* item = new CListHeaderItemUI;
        item->SetText(captions[c]);
        item->SetFixedWidth(widths[c]);
        list->Add(item);
    }
    root->Add(list);
    wnd.pm.AttachRoot(root);
    return list;
}

void AddRows(CListUI* list)
{
    wchar_t text[64];
    for (int i = 0; i < kRows; ++i) {
        CListTextElementUI* row = new CListTextElementUI;
        row->SetFixedHeight(22);
        list->Add(row);
        swprintf(text, 64, L"Room %d", i);
        row->SetText(0, text);
        swprintf(text, 64, L"Channel %d", i % 37);
        row->SetText(1, text);
        swprintf(text, 64, L"%d", (i * 7919) % 100000);
        row->SetText(2, text);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int builds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    CUIManager::SetInstance(::GetModuleHandleW(NULL));
    testsupport::UITestHost wnd(L"bench list");
    if (wnd.Create(NULL, L"bench list", WS_POPUP, 0, 0, 0, kWidth, kHeight) == NULL) {
        fprintf(stderr, "bench_list: no window\n");
        return 1;
    }
    ::ShowWindow(wnd.GetHWND(), SW_SHOWNOACTIVATE);
    const CUIRect client(0, 0, kWidth, kHeight);
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);

    // Build: rows added to an attached list, then one layout of the window's tree.
    std::vector<double> build;
    CListUI* list = NULL;
    for (int b = 0; b < builds; ++b) {
        list = NewList(wnd);
        testsupport::Drain();   // the previous tree goes
        ::QueryPerformanceCounter(&t0);
        AddRows(list);
        wnd.pm.GetRoot()->SetPos(client);
        ::QueryPerformanceCounter(&t1);
        build.push_back(Ms(t0, t1, freq));
    }
    ::UpdateWindow(wnd.GetHWND());

    // Scroll: a wheel step over the rows, then the paint it asks for.
    POINT pt = { kWidth / 2, kHeight / 2 };
    ::ClientToScreen(wnd.GetHWND(), &pt);
    std::vector<double> frames;
    for (int i = 0; i < kSteps; ++i) {
        ::QueryPerformanceCounter(&t0);
        ::SendMessageW(wnd.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-WHEEL_DELTA), MAKELPARAM(pt.x, pt.y));
        ::UpdateWindow(wnd.GetHWND());
        ::QueryPerformanceCounter(&t1);
        frames.push_back(Ms(t0, t1, freq));
    }
    fprintf(stderr, "bench_list: %d rows, %d builds, %d wheel steps, scrolled to %d of %d\n", list->GetCount(), builds,
            kSteps, (int)list->GetScrollPos().cy, (int)list->GetScrollRange().cy);
    printf("list.build_10k_ms: %.1f ms\n", Median(build));
    printf("list.scroll_frame_ms: %.2f ms\n", Median(frames));
    fflush(stdout);
    wnd.Destroy();
    testsupport::Drain();
    return 0;
}
