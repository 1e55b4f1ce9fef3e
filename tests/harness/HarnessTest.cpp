// Checks the test environment itself: the Wine prefix, the display, the canvas and the pump.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace testsupport;

TEST(Harness, AnsiCodePageIsWesternSoAnsiTestsAreStable) {
    EXPECT_EQ(1252u, GetACP());
}

TEST(Harness, CanvasReadsBackWhatGdiDrew) {
    Canvas canvas(40, 30, 0xFF000000);
    RECT rc = {10, 5, 20, 15};
    HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    FillRect(canvas.dc(), &rc, brush);
    DeleteObject(brush);
    EXPECT_EQ(0x123456u, canvas.Pixel(10, 5) & 0xFFFFFF);
    EXPECT_EQ(0x123456u, canvas.Pixel(19, 14) & 0xFFFFFF);
    EXPECT_EQ(0xFF000000u, canvas.Pixel(20, 15));
    EXPECT_EQ(0u, canvas.Pixel(-1, 0));
    canvas.DumpIfFailed("harness_canvas");
}

TEST(Harness, PngOfTheCanvasIsWritten) {
    Canvas canvas(8, 8, 0xFF00FF00);
    std::wstring dir = MakeTempDir(L"harness");
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(canvas.SavePng(dir + L"c.png"));
    std::string png = ReadFileBytes(dir + L"c.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string("\x89PNG", 4), png.substr(0, 4));
    RemoveTree(dir);
    EXPECT_FALSE(FileExists(dir));
}

static LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP + 7) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(Harness, RealWindowOnTheDisplayGetsPostedMessagesThroughThePump) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"HarnessWnd";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"HarnessWnd", L"harness", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                10, 10, 200, 100, NULL, NULL, wc.hInstance, NULL);
    ASSERT_NE(nullptr, hwnd);
    int count = 0;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
    PostMessageW(hwnd, WM_APP + 7, 0, 0);
    PostMessageW(hwnd, WM_APP + 7, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return count == 2; }, 5000));
    EXPECT_FALSE(PumpUntil([] { return false; }, 50));
    DestroyWindow(hwnd);
}

TEST(Harness, ChildProcessExitCodeIsReported) {
    DWORD code = 0;
    ASSERT_TRUE(RunChild(L"cmd.exe /c exit 7", 30000, &code));
    EXPECT_EQ(7u, code);
}
