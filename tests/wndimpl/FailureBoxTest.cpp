// A window whose layout does not load shows the error box and ends the
// process with exit code 1. The test program starts itself again with an
// argument that makes the child open such a window; a watchdog thread here
// finds the box, reads it and answers it.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "FixtureWnd.h"
#include "TestSupport.h"

using namespace SkinUI;
using namespace wndtest;

namespace {

const wchar_t kChildSwitch[] = L"--failbox-child";

bool IsFailureChild() { return wcsstr(::GetCommandLineW(), kChildSwitch) != NULL; }

// What the watchdog saw of the box.
struct BoxReport {
    bool found = false;
    HWND owner = NULL;
    bool hasIcon = false;
    std::vector<std::wstring> texts;   // the non-empty static texts
};

BOOL CALLBACK CollectStatics(HWND hwnd, LPARAM lParam) {
    BoxReport* report = reinterpret_cast<BoxReport*>(lParam);
    wchar_t cls[64] = {0};
    ::GetClassNameW(hwnd, cls, 63);
    if (_wcsicmp(cls, L"Static") != 0) return TRUE;
    if ((::GetWindowLongPtrW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) report->hasIcon = true;
    wchar_t text[256] = {0};
    ::GetWindowTextW(hwnd, text, 255);
    if (text[0] != 0) report->texts.push_back(text);
    return TRUE;
}

// The child's part: a window whose layout fails to parse. Never returns
// when the window base does what it should.
TEST(WndImplFailureChild, OpensAWindowWhoseLayoutDoesNotLoad) {
    if (!IsFailureChild()) GTEST_SKIP() << "runs only as the child of the failure-box test";
    ResetSkinState();
    CUIManager::SetResourcePath(SkinDir().c_str());
    CFixtureWnd wnd;
    wnd.kind = UIResourceFile;
    wnd.file = L"broken.xml";
    wnd.Open();
    ADD_FAILURE() << "the window was created although its layout does not load";
}

TEST(WndImplFailure, ALayoutThatDoesNotLoadShowsTheBoxAndEndsTheProcessWithOne) {
    if (IsFailureChild()) GTEST_SKIP();
    wchar_t exe[MAX_PATH] = {0};
    ::GetModuleFileNameW(NULL, exe, MAX_PATH - 1);
    std::wstring cmd = std::wstring(L"\"") + exe +
                       L"\" --gtest_filter=WndImplFailureChild.OpensAWindowWhoseLayoutDoesNotLoad " + kChildSwitch;

    BoxReport report;
    std::atomic<bool> stop(false);
    std::thread watchdog([&] {
        const DWORD start = ::GetTickCount();
        while (!stop && ::GetTickCount() - start < 60000) {
            HWND box = ::FindWindowW(L"#32770", L"SkinUI");
            if (box == NULL) {
                ::Sleep(50);
                continue;
            }
            report.found = true;
            report.owner = ::GetWindow(box, GW_OWNER);
            ::EnumChildWindows(box, CollectStatics, reinterpret_cast<LPARAM>(&report));
            // Answer it: OK, then (should a box ignore that) its button.
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            for (int i = 0; i < 60 && ::IsWindow(box); ++i) ::Sleep(50);
            if (::IsWindow(box)) {
                HWND button = ::FindWindowExW(box, NULL, L"Button", NULL);
                if (button != NULL) ::PostMessageW(button, BM_CLICK, 0, 0);
            }
            return;
        }
    });
    DWORD code = 0;
    const bool ended = testsupport::RunChild(cmd, 60000, &code);
    stop = true;
    watchdog.join();

    EXPECT_TRUE(ended) << "the child did not end";
    EXPECT_EQ(code, 1u);
    ASSERT_TRUE(report.found) << "no box titled SkinUI appeared";
    EXPECT_EQ(report.owner, (HWND)NULL);
    EXPECT_TRUE(report.hasIcon);
    bool textFound = false;
    for (const std::wstring& t : report.texts) textFound = textFound || t == WindowImplBase::kLoadFailedText;
    EXPECT_TRUE(textFound) << "texts: " << report.texts.size();
    EXPECT_STREQ(WindowImplBase::kLoadFailedText, L"\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25");
}

}  // namespace
