// Layout and paint time of a window with 2,000 controls in nested stacking
// boxes (1050x680 client area): one full layout pass of the root, one full
// paint into a memory DC, and the two together; medians of 20 runs.
//   bench_engine [runs]
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "BenchTiming.h"
#include "UITestHost.h"
#include "UIWindow.h"

using namespace SkinUI;
using testsupport::Median;
using testsupport::Ms;

namespace {

const int kWidth = 1050;
const int kHeight = 680;
const int kControls = 2000;
const int kRows = 34;          // 20 pixels each
const int kGroupsPerRow = 6;

// A stacking box: children of fixed size along the axis keep it, the others
// share what is left; every child spans the box across the axis.
class BenchBox : public CContainerUI
{
public:
    explicit BenchBox(bool vertical) : m_bVertical(vertical) {}

    void SetPos(RECT rc) override
    {
        CControlUI::SetPos(rc);
        const CUIRect r(rc.left + m_rcInset.left, rc.top + m_rcInset.top, rc.right - m_rcInset.right,
                        rc.bottom - m_rcInset.bottom);
        const int count = GetCount();
        if (count == 0)
            return;
        int fixed = 0, flexible = 0;
        for (int i = 0; i < count; ++i) {
            const int f = Extent(GetItemAt(i));
            if (f > 0)
                fixed += f;
            else
                ++flexible;
        }
        fixed += m_iChildPadding * (count - 1);
        const int length = m_bVertical ? r.GetHeight() : r.GetWidth();
        const int share = flexible > 0 ? (length - fixed) / flexible : 0;
        int extra = flexible > 0 ? (length - fixed) - share * flexible : 0;
        int at = m_bVertical ? r.top : r.left;
        for (int i = 0; i < count; ++i) {
            CControlUI* child = GetItemAt(i);
            int size = Extent(child);
            if (size <= 0) {
                size = share + (extra > 0 ? 1 : 0);
                if (extra > 0)
                    --extra;
            }
            if (m_bVertical)
                child->SetPos(CUIRect(r.left, at, r.right, at + size));
            else
                child->SetPos(CUIRect(at, r.top, at + size, r.bottom));
            at += size + m_iChildPadding;
        }
    }

private:
    int Extent(CControlUI* child) const
    {
        return m_bVertical ? child->GetFixedHeight() : child->GetFixedWidth();
    }
    bool m_bVertical;
};

// 1 root + 34 rows + 204 groups + 1,761 leaves = 2,000 controls.
CControlUI* BuildTree(int* pCount)
{
    BenchBox* root = new BenchBox(true);
    root->SetBackgroundColor(0xFFF4F4F4);
    int count = 1;
    const int containers = 1 + kRows + kRows * kGroupsPerRow;
    const int leaves = kControls - containers;
    const int groups = kRows * kGroupsPerRow;
    int made = 0;
    for (int row = 0; row < kRows; ++row) {
        BenchBox* line = new BenchBox(false);
        line->SetFixedHeight(kHeight / kRows);
        line->SetChildPadding(2);
        root->Add(line);
        ++count;
        for (int g = 0; g < kGroupsPerRow; ++g) {
            const int index = row * kGroupsPerRow + g;
            BenchBox* group = new BenchBox(false);
            group->SetInset(CUIRect(1, 1, 1, 1));
            group->SetBackgroundColor(0xFFDDE4EE);
            line->Add(group);
            ++count;
            // Spread the leaves evenly over the groups.
            const int upTo = (int)((long long)leaves * (index + 1) / groups);
            for (; made < upTo; ++made) {
                CControlUI* leaf = new CControlUI;
                leaf->SetBackgroundColor((made & 1) ? 0xFF3A7BD5 : 0xFF6FB1FC);
                if ((made % 3) == 0) {
                    leaf->SetBorderColor(0xFF20406A);
                    leaf->SetBorderSize(1);
                }
                group->Add(leaf);
                ++count;
            }
        }
    }
    *pCount = count;
    return root;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    CUIManager::SetInstance(::GetModuleHandleW(NULL));

    testsupport::UITestHost wnd(L"bench");
    if (wnd.Create(NULL, L"bench", WS_POPUP, 0, 0, 0, kWidth, kHeight) == NULL) {
        fprintf(stderr, "bench_engine: no window\n");
        return 1;
    }
    int count = 0;
    CControlUI* root = BuildTree(&count);
    if (!wnd.pm.AttachRoot(root)) {
        fprintf(stderr, "bench_engine: the manager did not take the root\n");
        return 1;
    }
    fprintf(stderr, "bench_engine: %d controls, %dx%d, %d runs\n", count, kWidth, kHeight, runs);

    // The paint target: a 32-bit DIB section in a memory DC, as the manager's
    // offscreen buffer.
    HDC hdcScreen = ::GetDC(NULL);
    HDC hdc = ::CreateCompatibleDC(hdcScreen);
    ::ReleaseDC(NULL, hdcScreen);
    BITMAPINFO bmi;
    ZeroMemory(&bmi, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = kWidth;
    bmi.bmiHeader.biHeight = -kHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP hbmp = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = ::SelectObject(hdc, hbmp);

    const CUIRect client(0, 0, kWidth, kHeight);
    LARGE_INTEGER freq, t0, t1, t2;
    ::QueryPerformanceFrequency(&freq);

    // Warm up: the first pass creates fonts, pens and the like.
    root->SetPos(client);
    root->Paint(hdc, client);

    // Layout as the window does it: a root that asks for layout and a WM_PAINT
    // through the manager (its layout pass, then a paint of one pixel).
    ::ShowWindow(wnd.GetHWND(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(wnd.GetHWND());
    std::vector<double> layout, paint, both;
    for (int i = 0; i < runs; ++i) {
        root->RequestLayout();
        RECT onePixel = { 0, 0, 1, 1 };
        ::InvalidateRect(wnd.GetHWND(), &onePixel, FALSE);
        ::QueryPerformanceCounter(&t0);
        ::UpdateWindow(wnd.GetHWND());
        ::QueryPerformanceCounter(&t1);
        layout.push_back(Ms(t0, t1, freq));
    }
    // A full paint of the tree into a memory DC.
    for (int i = 0; i < runs; ++i) {
        ::QueryPerformanceCounter(&t0);
        root->Paint(hdc, client);
        ::GdiFlush();
        ::QueryPerformanceCounter(&t1);
        paint.push_back(Ms(t0, t1, freq));
    }
    // Both as the window does them: layout pass, offscreen paint of the whole
    // client area and the copy to the window.
    for (int i = 0; i < runs; ++i) {
        root->RequestLayout();
        ::InvalidateRect(wnd.GetHWND(), NULL, FALSE);
        ::QueryPerformanceCounter(&t0);
        ::UpdateWindow(wnd.GetHWND());
        ::GdiFlush();
        ::QueryPerformanceCounter(&t2);
        both.push_back(Ms(t0, t2, freq));
    }

    // Where the time goes, for whoever tunes this: the root's SetPos called
    // directly (every control invalidates on its own), the same tree without a
    // manager, and the window's InvalidateRect alone.
    {
        std::vector<double> direct;
        for (int i = 0; i < runs; ++i) {
            ::QueryPerformanceCounter(&t0);
            root->SetPos(client);
            ::QueryPerformanceCounter(&t1);
            direct.push_back(Ms(t0, t1, freq));
        }
        int unattached = 0;
        CControlUI* loose = BuildTree(&unattached);
        std::vector<double> looseLayout, invalidate;
        for (int i = 0; i < runs; ++i) {
            ::QueryPerformanceCounter(&t0);
            loose->SetPos(client);
            ::QueryPerformanceCounter(&t1);
            looseLayout.push_back(Ms(t0, t1, freq));
        }
        for (int i = 0; i < runs; ++i) {
            ::QueryPerformanceCounter(&t0);
            for (int n = 0; n < count; ++n) {
                RECT rc = { (n * 17) % kWidth, (n / 50) * 17 % kHeight, 0, 0 };
                rc.right = rc.left + 16;
                rc.bottom = rc.top + 16;
                ::InvalidateRect(wnd.GetHWND(), &rc, FALSE);
            }
            ::QueryPerformanceCounter(&t1);
            invalidate.push_back(Ms(t0, t1, freq));
        }
        delete loose;
        std::vector<double> repaint;
        for (int i = 0; i < runs; ++i) {
            ::InvalidateRect(wnd.GetHWND(), NULL, FALSE);
            ::QueryPerformanceCounter(&t0);
            ::UpdateWindow(wnd.GetHWND());
            ::GdiFlush();
            ::QueryPerformanceCounter(&t1);
            repaint.push_back(Ms(t0, t1, freq));
        }
        fprintf(stderr,
                "bench_engine: root SetPos outside a layout pass %.3f ms; without a manager %.3f ms; "
                "%d InvalidateRect calls %.3f ms; window repaint without layout %.3f ms\n",
                Median(direct), Median(looseLayout), count, Median(invalidate), Median(repaint));
    }

    printf("engine.layout_ms: %.3f ms\n", Median(layout));
    printf("engine.paint_ms: %.3f ms\n", Median(paint));
    printf("engine.layout_paint_ms: %.3f ms\n", Median(both));
    fflush(stdout);

    ::SelectObject(hdc, old);
    ::DeleteObject(hbmp);
    ::DeleteDC(hdc);
    wnd.Destroy();
    return 0;
}
