// A rich edit 150 pixels wide in a horizontal layout, holding 64 KB of text
// in lines of about 80 characters: the time to attach the layout to a
// window (richedit.attach_64k_ms) and the first layout and paint that follow
// (richedit.first_paint_64k_ms), medians of a few windows.
//   bench_richedit [runs]
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "UIHorizontalLayout.h"
#include "UIManager.h"
#include "UIRichEdit.h"
#include "UITestHost.h"

using namespace SkinUI;
using testsupport::Median;
using testsupport::Ms;

namespace {

const size_t kTextChars = 64 * 1024;

std::wstring LongText()
{
    const wchar_t* words[] = { L"lorem", L"ipsum", L"dolor", L"sit", L"amet", L"consectetur", L"adipiscing", L"elit" };
    std::wstring text;
    size_t line = 0;
    for (size_t i = 0; text.size() < kTextChars; ++i) {
        const wchar_t* w = words[(i * 7) % 8];
        text += w;
        line += wcslen(w);
        if (line >= 80) {
            text += L"\r\n";
            line = 0;
        } else {
            text += L' ';
            ++line;
        }
    }
    text.resize(kTextChars);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    CUIManager::SetInstance(::GetModuleHandleW(NULL));
    const std::wstring text = LongText();
    LARGE_INTEGER freq, t0, t1, t2;
    ::QueryPerformanceFrequency(&freq);
    std::vector<double> attach;
    std::vector<double> paint;
    long length = 0;
    for (int r = 0; r < runs; ++r) {
        testsupport::UITestHost wnd(L"bench rich edit", true);
        if (!wnd.Open(320, 200)) {
            fprintf(stderr, "bench_richedit: no window\n");
            return 1;
        }
        CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
        CRichEditUI* re = new CRichEditUI;
        re->SetFixedWidth(150);
        re->SetText(text.c_str());
        root->Add(re);
        ::QueryPerformanceCounter(&t0);
        wnd.pm.AttachRoot(root);
        ::QueryPerformanceCounter(&t1);
        ::InvalidateRect(wnd.GetHWND(), NULL, FALSE);
        ::UpdateWindow(wnd.GetHWND());
        ::QueryPerformanceCounter(&t2);
        attach.push_back(Ms(t0, t1, freq));
        paint.push_back(Ms(t1, t2, freq));
        length = re->GetTextLength();
    }
    fprintf(stderr, "bench_richedit: %d runs, %ld characters in the engine\n", runs, length);
    printf("richedit.attach_64k_ms: %.1f ms\n", Median(attach));
    printf("richedit.first_paint_64k_ms: %.1f ms\n", Median(paint));
    fflush(stdout);
    testsupport::Drain();
    return 0;
}
