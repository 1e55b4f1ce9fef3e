// Hostile and mistaken layouts: each must give the builder's error or a window
// that draws what it can, never a crash, a hang or a huge memory peak. Every
// case runs in a child copy of this program (a crashed or hung case cannot
// take the others with it, and its peak is its own); the parent checks how it
// ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <stdlib.h>

#include <string>

#include "TestSupport.h"
#include "UIBuilder.h"
#include "UITestHost.h"

using namespace SkinUI;

namespace {

const int kWindowSize = 300;
// Per case: the time a child may take, and the memory peak it may reach.
const DWORD kCaseTimeoutMs = 60000;
const SIZE_T kPeakBytes = 400u * 1024u * 1024u;

// n nested containers of the kinds the skins use, each with a background and
// a border, a label with text at the bottom.
std::wstring Nested(int n)
{
    const wchar_t* kinds[] = { L"VerticalLayout", L"HorizontalLayout", L"TabLayout", L"Container" };
    std::wstring open, close;
    for (int i = 0; i < n - 1; ++i) {
        const wchar_t* kind = kinds[i % 4];
        open += std::wstring(L"<") + kind + L" bkcolor=\"#FF" + (i % 2 ? L"3060A0" : L"4070B0") +
                L"\" bordercolor=\"#FF102040\" bordersize=\"1\">";
        close = std::wstring(L"</") + kind + L">" + close;
    }
    return L"<Window size=\"300,300\">" + open +
           L"<Label name=\"bottom\" text=\"deep\" bkcolor=\"#FFFFE080\" textcolor=\"#FF000000\"/>" + close +
           L"</Window>";
}

struct LimitCase
{
    const char* what;
    std::wstring xml;
    const wchar_t* error;   // the builder's message, or NULL: the window is painted
};

// The skin folder the cases read their files from (written by the parent).
const char kSelfTwice[] = "<Window><Container><Include source=\"twice.xml\" count=\"2\"/></Container></Window>";
const char kSelfThrice[] = "<Window><Container><Include source=\"thrice.xml\" count=\"3\"/></Container></Window>";
const char kOneControl[] = "<Window><Control/></Window>";
const char kNoControl[] = "<Window><Include source=\"none.xml\" count=\"100\"/></Window>";

std::vector<LimitCase> Cases()
{
    std::vector<LimitCase> cases;
    cases.push_back({ "deepest allowed", Nested(CUIBuilder::MAX_DEPTH), NULL });
    cases.push_back({ "one level too deep", Nested(CUIBuilder::MAX_DEPTH + 1), L"Layout nested too deep" });
    cases.push_back({ "3000 levels", Nested(3000), L"Layout nested too deep" });
    cases.push_back({ "includes itself twice", L"<Window><Include source=\"twice.xml\"/></Window>",
                      L"Layout includes too many documents" });
    cases.push_back({ "includes itself three times", L"<Window><Include source=\"thrice.xml\"/></Window>",
                      L"Layout includes too many documents" });
    cases.push_back({ "includes a document without controls, 100 times, 16 deep",
                      L"<Window><Container><Include source=\"none.xml\" count=\"100\"/></Container></Window>",
                      L"Layout includes too many documents" });
    cases.push_back({ "count 2147483647",
                      L"<Window><Container><Include source=\"one.xml\" count=\"2147483647\"/></Container></Window>",
                      L"Include count too large" });
    cases.push_back({ "count 99999999999",
                      L"<Window><Container><Include source=\"one.xml\" count=\"99999999999\"/></Container></Window>",
                      L"Include count too large" });
    cases.push_back({ "1x1 image tiled over 100000x100000",
                      L"<Window size=\"300,300\"><Container bkcolor=\"#FFFFFFFF\">"
                      L"<Control float=\"true\" pos=\"0,0,100000,100000\" "
                      L"bkimage=\"file='dot.png' xtiled='true' ytiled='true'\"/>"
                      L"<Control float=\"true\" pos=\"-50000,150,50000,100150\" "
                      L"bkimage=\"file='dot.png' fade='128' xtiled='true' ytiled='true'\"/>"
                      L"<Control float=\"true\" pos=\"0,0,100000,100000\" bkimage=\"file='dot.png' xtiled='true'\"/>"
                      L"<Control float=\"true\" pos=\"0,0,100000,100000\" bkimage=\"file='dot.png' ytiled='true'\"/>"
                      L"</Container></Window>",
                      NULL });
    cases.push_back({ "font size 65535",
                      L"<Window size=\"300,300\"><Font name=\"Arial\" size=\"65535\" default=\"true\"/>"
                      L"<Font name=\"Arial\" size=\"-65535\"/>"
                      L"<VerticalLayout bkcolor=\"#FFFFFFFF\">"
                      L"<Label text=\"Hg\" textcolor=\"#FF000000\"/>"
                      L"<Label text=\"Hg\" font=\"1\" textcolor=\"#FF000000\"/>"
                      L"<Label showhtml=\"true\" text=\"{f Arial 65535}Hg{/f} {b}x{/b}\" textcolor=\"#FF000000\"/>"
                      L"</VerticalLayout></Window>",
                      NULL });
    cases.push_back({ "border 1000000",
                      L"<Window size=\"300,300\"><VerticalLayout bkcolor=\"#FFFFFFFF\">"
                      L"<Control bordercolor=\"#FFFF0000\" bordersize=\"1000000\"/>"
                      L"<Control bordercolor=\"#FF00FF00\" bordersize=\"1000000,1000000,1000000,1000000\"/>"
                      L"<Control bordercolor=\"#FF0000FF\" bordersize=\"1000000\" borderround=\"1000000,1000000\"/>"
                      L"<Control bordercolor=\"#FF00FFFF\" leftbordersize=\"-1000000\" topbordersize=\"2147483647\"/>"
                      L"<Control float=\"true\" pos=\"0,0,100000,100000\" bordercolor=\"#80FF00FF\" "
                      L"bordersize=\"1000000\"/>"
                      L"</VerticalLayout></Window>",
                      NULL });
    return cases;
}

const wchar_t kCaseVar[] = L"LAYOUT_LIMITS_CASE";
const wchar_t kResultVar[] = L"LAYOUT_LIMITS_RESULT";
const wchar_t kSkinVar[] = L"LAYOUT_LIMITS_SKIN";

std::wstring Env(const wchar_t* name)
{
    wchar_t buf[MAX_PATH * 2] = { 0 };
    DWORD n = ::GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf) : std::wstring();
}

SIZE_T PeakBytes()
{
    PROCESS_MEMORY_COUNTERS pmc;
    ::ZeroMemory(&pmc, sizeof(pmc));
    pmc.cb = sizeof(pmc);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.PeakPagefileUsage > pmc.PeakWorkingSetSize ? pmc.PeakPagefileUsage : pmc.PeakWorkingSetSize;
}

// The child's part: build, attach, lay out, paint, feed input, close; then
// write "refused <message>" or "painted" and the memory peak.
std::string RunCase(const LimitCase& c, const std::wstring& skin, const std::string& tag)
{
    CUIManager::SetInstance(::GetModuleHandleW(NULL));
    CUIManager::SetResourcePath(skin.c_str());
    std::string outcome;
    {
        testsupport::UITestHost host(L"layout limits");
        if (!host.Open(kWindowSize, kWindowSize)) return "no window";
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(c.xml.c_str(), NULL, NULL, &host.pm);
        if (pRoot == NULL) {
            outcome = "refused " + testsupport::Narrow(builder.GetLastErrorMessage());
        } else {
            host.pm.AttachRoot(pRoot);
            host.Update();
            testsupport::PumpUntil([&] { return !pRoot->NeedsLayout(); }, 5000);
            host.Update();
            testsupport::Canvas canvas(kWindowSize, kWindowSize);
            if (canvas.CaptureWindow(host.GetHWND()))
                canvas.SavePng(testsupport::OutputDir() + L"layout_limits_" + testsupport::Widen(tag) + L".png");
            // Input at a point inside the deepest control, and a wheel turn and a key.
            host.Move(kWindowSize / 2, kWindowSize / 2, 0);
            host.Press(kWindowSize / 2, kWindowSize / 2);
            host.Release(kWindowSize / 2, kWindowSize / 2);
            host.Wheel(kWindowSize / 2, kWindowSize / 2, -120);
            ::SendMessageW(host.GetHWND(), WM_KEYDOWN, VK_DOWN, 0);
            outcome = "painted";
        }
        host.Destroy();
    }
    return outcome;
}

}  // namespace

// Run only as a child of LayoutLimits.EachCaseEndsCleanly.
TEST(DISABLED_LayoutLimitsChild, Case)
{
    const std::wstring result = Env(kResultVar);
    ASSERT_FALSE(result.empty());
    const std::vector<LimitCase> cases = Cases();
    const int index = _wtoi(Env(kCaseVar).c_str());
    ASSERT_TRUE(index >= 0 && index < (int)cases.size());
    char tag[16];
    wsprintfA(tag, "%02d", index);
    std::string outcome = RunCase(cases[index], Env(kSkinVar), tag);
    outcome += "\npeak " + std::to_string((unsigned long long)PeakBytes()) + "\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(result, outcome));
}

TEST(LayoutLimits, EachCaseEndsCleanly)
{
    const std::wstring skin = testsupport::MakeTempDir(L"limits");
    ASSERT_TRUE(testsupport::WriteFileBytes(skin + L"twice.xml", kSelfTwice));
    ASSERT_TRUE(testsupport::WriteFileBytes(skin + L"thrice.xml", kSelfThrice));
    ASSERT_TRUE(testsupport::WriteFileBytes(skin + L"one.xml", kOneControl));
    ASSERT_TRUE(testsupport::WriteFileBytes(skin + L"none.xml", kNoControl));
    {
        testsupport::Canvas dot(1, 1, 0xFF2080C0);
        ASSERT_TRUE(dot.SavePng(skin + L"dot.png"));
    }
    wchar_t exe[MAX_PATH] = { 0 };
    ::GetModuleFileNameW(NULL, exe, MAX_PATH);
    const std::vector<LimitCase> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const LimitCase& c = cases[i];
        SCOPED_TRACE(c.what);
        const std::wstring result = skin + L"result" + std::to_wstring(i) + L".txt";
        ::SetEnvironmentVariableW(kCaseVar, std::to_wstring(i).c_str());
        ::SetEnvironmentVariableW(kResultVar, result.c_str());
        ::SetEnvironmentVariableW(kSkinVar, skin.c_str());
        const DWORD start = ::GetTickCount();
        DWORD code = 0;
        const bool ended = testsupport::RunChild(
            std::wstring(L"\"") + exe +
                L"\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_LayoutLimitsChild.Case",
            kCaseTimeoutMs, &code);
        const DWORD ms = ::GetTickCount() - start;
        printf("  %-60s %s in %lu ms\n", c.what, ended ? "ended" : "HUNG", (unsigned long)ms);
        if (!ended) {
            ADD_FAILURE() << "no end within " << kCaseTimeoutMs << " ms";
            continue;
        }
        EXPECT_EQ(code, 0u);
        const std::string text = testsupport::ReadFileBytes(result);
        if (text.empty()) {
            ADD_FAILURE() << "the case ended without its result (exit code " << code << ")";
            continue;
        }
        const std::string want = c.error != NULL ? "refused " + testsupport::Narrow(c.error) : "painted";
        EXPECT_EQ(text.substr(0, text.find('\n')), want);
        const size_t at = text.find("\npeak ");
        if (at == std::string::npos) {
            ADD_FAILURE() << "no memory peak in the result";
            continue;
        }
        const unsigned long long peak = _strtoui64(text.c_str() + at + 6, NULL, 10);
        printf("  %-60s peak %llu MB\n", "", peak >> 20);
        EXPECT_LT(peak, (unsigned long long)kPeakBytes);
    }
    ::SetEnvironmentVariableW(kCaseVar, NULL);
    ::SetEnvironmentVariableW(kResultVar, NULL);
    ::SetEnvironmentVariableW(kSkinVar, NULL);
    if (!::testing::Test::HasFailure()) testsupport::RemoveTree(skin);
}
