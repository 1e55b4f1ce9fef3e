// Mouse and keyboard sequences played on a plain rich edit over the
// platform's text engine (msftedit under Wine), each in a child process of
// its own so that a sequence that ends the process fails its case instead of
// the whole program. The child checks that the text is unchanged, that the
// selection and the caret are where the sequence leaves them, and that no
// mouse capture is left behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIHorizontalLayout.h"
#include "UIRichEdit.h"
#include "UITestHost.h"

using namespace SkinUI;

namespace {

const wchar_t kCaseSwitch[] = L"--richedit-case=";
const wchar_t kText[] = L"Hello, rich edit";
const int kTextLength = 16;
// A text that wraps over four rows of the control, the last one short.
const wchar_t kWrappedText[] = L"Hello, rich edit with a longer text that wraps over a few rows of the control";
// The middle of the first text row, in the control's coordinates.
const int kRowY = 8;

// A sequence, one step per blank-separated token; numbers are x positions
// in the control on the first text row, or "x,y" points in the control:
//   Pn press, Mn drag (button held), Un release, Cn click, Dn double click,
//   Rn right click, W- / W+ wheel towards / away from the user, w- the same
//   with Ctrl, < > Left and Right, { } Shift+Left and Shift+Right, H E Home
//   and End.
// caret: where the caret ends (-1: anywhere in the text).
// text: the control's text (NULL: the one-row kText).
struct Sequence
{
    const char* name;
    const char* steps;
    int caret;
    const wchar_t* text;
};

const Sequence kSequences[] = {
    { "the reported one", "P20 M60 U60 C30 D30 R30 W- C145 < >", kTextLength, NULL },
    { "click at the start, then right", "C2 >", 1, NULL },
    { "click past the end, then left", "C145 <", kTextLength - 1, NULL },
    { "right click, then a click", "R30 C2 > >", 2, NULL },
    { "right click twice, then a click", "R30 R40 C145 <", kTextLength - 1, NULL },
    { "double click, then the arrows", "D30 < > >", -1, NULL },
    { "triple click, then home", "C30 C30 D30 H", 0, NULL },
    { "drag out of the control and back", "P20 M300 M-40 M60 U60 E", kTextLength, NULL },
    { "release outside the window", "P20 M400 U400 C2 >", 1, NULL },
    { "wheel both ways, then a click", "W- W+ W- C2 > >", 2, NULL },
    { "ctrl wheel, then a click", "w- C145 <", kTextLength - 1, NULL },
    { "presses without releases", "P20 P40 P60 C2 >", 1, NULL },
    { "arrows alone", "< < > > > E <", kTextLength - 1, NULL },
    // A double click on the word that ends the text gave the engine a
    // selection past the text's end, on one row as on the last of several.
    { "the reported one, double click on the last word", "P20 M60 U60 C30 D70 R30 W- C145 < >", kTextLength, NULL },
    { "double click on the last word, right", "D70 >", -1, NULL },
    { "double click on the last word, shift+right", "D70 }", -1, NULL },
    { "double click on the last word, drag back", "D70 M70 M10 U10 <", -1, NULL },
    // A double click below the last row of a wrapped text left the engine a
    // selection past the text's end; extending it faulted inside the engine.
    { "double click below the rows, shift+right", "D34,181 }", -1, kWrappedText },
    { "double click below the rows, shift+left", "D34,181 {", -1, kWrappedText },
    { "double click below, right click, shift+right", "D34,181 R5 }", -1, kWrappedText },
    { "double click below, wheel, shift+right", "D34,181 W- }", -1, kWrappedText },
    { "double click below, right click, wheel, shift+left", "D34,181 R5 W- {", -1, kWrappedText },
    { "click below the rows, shift+right", "C34,181 }", -1, kWrappedText },
    { "double click below the rows, right", "D34,181 >", -1, kWrappedText },
    { "double click below the rows, then a held drag", "D34,181 M60,181 M60,20 U60,20 }", -1, kWrappedText },
    { "double click on the last word, drag, shift+right", "D30,56 M80,56 M5,8 U5,8 }", -1, kWrappedText },
};
const int kSequenceCount = sizeof(kSequences) / sizeof(kSequences[0]);

LONG WINAPI EndWithTheExceptionCode(EXCEPTION_POINTERS* pInfo)
{
    ::TerminateProcess(::GetCurrentProcess(), pInfo->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The case number this process plays, or -1 in the parent.
int ChildCase()
{
    const wchar_t* p = wcsstr(::GetCommandLineW(), kCaseSwitch);
    return p != NULL ? _wtoi(p + wcslen(kCaseSwitch)) : -1;
}

// Holds a key down in the thread's keyboard state while it lives.
class KeyHeld
{
public:
    KeyHeld(int vk, bool down) : m_vk(vk), m_down(down)
    {
        if (m_down)
            Set(0x80);
    }
    ~KeyHeld()
    {
        if (m_down)
            Set(0);
    }

private:
    void Set(BYTE state)
    {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[m_vk] = state;
        ::SetKeyboardState(keys);
    }
    int m_vk;
    bool m_down;
};

void Key(HWND hWnd, UINT vk)
{
    ::SendMessageW(hWnd, WM_KEYDOWN, vk, 1);
    ::SendMessageW(hWnd, WM_KEYUP, vk, 0xC0000001);
}

void Play(testsupport::UITestHost& host, const RECT& rc, const std::string& token)
{
    const HWND hWnd = host.GetHWND();
    const int x = rc.left + atoi(token.c_str() + 1);
    const size_t comma = token.find(',');
    const int y = rc.top + (comma != std::string::npos ? atoi(token.c_str() + comma + 1) : kRowY);
    switch (token[0]) {
    case 'P': host.Press(x, y); break;
    case 'M': host.Move(x, y); break;
    case 'U': host.Release(x, y); break;
    case 'C':
        host.Press(x, y);
        host.Release(x, y);
        break;
    case 'D':
        host.Press(x, y);
        host.Release(x, y);
        host.Mouse(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
        host.Release(x, y);
        break;
    case 'R':
        host.Mouse(WM_RBUTTONDOWN, x, y, MK_RBUTTON);
        host.Mouse(WM_RBUTTONUP, x, y);
        break;
    case 'W':
    case 'w': {
        KeyHeld ctrl(VK_CONTROL, token[0] == 'w');
        POINT pt = { rc.left + 30, y };
        ::ClientToScreen(hWnd, &pt);
        const short delta = token[1] == '-' ? -WHEEL_DELTA : WHEEL_DELTA;
        ::SendMessageW(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(token[0] == 'w' ? MK_CONTROL : 0, (WORD)delta),
                       MAKELPARAM(pt.x, pt.y));
        break;
    }
    case '{':
    case '}': {
        KeyHeld shift(VK_SHIFT, true);
        Key(hWnd, token[0] == '{' ? VK_LEFT : VK_RIGHT);
        break;
    }
    case '<': Key(hWnd, VK_LEFT); break;
    case '>': Key(hWnd, VK_RIGHT); break;
    case 'H': Key(hWnd, VK_HOME); break;
    case 'E': Key(hWnd, VK_END); break;
    default: ADD_FAILURE() << "unknown step " << token; break;
    }
    host.Update();
}

std::vector<std::string> Tokens(const char* steps)
{
    std::vector<std::string> out;
    std::string cur;
    for (const char* p = steps;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
            if (*p == '\0')
                break;
        } else {
            cur += *p;
        }
    }
    return out;
}

// The child's part: one sequence on a rich edit 150 wide in a horizontal
// layout.
TEST(RichEditInputChild, PlaysOneSequence)
{
    const int index = ChildCase();
    if (index < 0)
        GTEST_SKIP() << "runs only as a child of the input sequence test";
    ASSERT_LT(index, kSequenceCount);
    const Sequence& seq = kSequences[index];
    // A fault ends the child with its exception code at once, not in a debugger.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::SetUnhandledExceptionFilter(&EndWithTheExceptionCode);
    const wchar_t* text = seq.text != NULL ? seq.text : kText;
    const long textLength = static_cast<long>(wcslen(text));

    testsupport::UITestHost host(L"rich edit input", true);
    ASSERT_TRUE(host.Open(320, 200));
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    root->SetBackgroundColor(0xFFFFFFFF);
    CRichEditUI* re = new CRichEditUI;
    re->SetFixedWidth(150);
    re->SetText(text);
    root->Add(re);
    host.pm.AttachRoot(root);
    host.Update();
    ASSERT_TRUE(re->HasHost());
    const RECT rc = re->GetPos();
    ASSERT_EQ(150, rc.right - rc.left);

    for (const std::string& token : Tokens(seq.steps))
        Play(host, rc, token);

    EXPECT_STREQ(text, re->GetText().GetData());
    CHARRANGE sel = { -1, -1 };
    LRESULT lResult = 0;
    re->SendTextMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel), &lResult);
    EXPECT_LE(0, sel.cpMin);
    EXPECT_LE(sel.cpMin, sel.cpMax);
    EXPECT_LE(sel.cpMax, textLength);
    if (seq.caret >= 0) {
        EXPECT_EQ(seq.caret, sel.cpMin);
        EXPECT_EQ(seq.caret, sel.cpMax);
    }
    if (sel.cpMin == sel.cpMax) {
        // The caret stands on the text row, inside the control.
        POINT caret = { -1, -1 };
        ASSERT_TRUE(::GetCaretPos(&caret));
        EXPECT_GE(caret.x, rc.left);
        EXPECT_LE(caret.x, rc.right);
        EXPECT_GE(caret.y, rc.top);
        EXPECT_LT(caret.y, seq.text != NULL ? rc.bottom : rc.top + 2 * kRowY);
    }
    EXPECT_FALSE(host.pm.IsCaptured()) << "a capture is left behind";
    EXPECT_EQ(static_cast<CControlUI*>(re), host.pm.GetFocus());

    // The one after the reported sequence keeps its picture.
    if (index == 0) {
        testsupport::Canvas canvas(320, 200);
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
        canvas.SavePng(testsupport::OutputDir() + L"richedit_input.png");
    }
}

TEST(RichEditInput, NoSequenceEndsTheProcessOrLeavesTheTextOrCaretAstray)
{
    if (ChildCase() >= 0)
        GTEST_SKIP();
    wchar_t exe[MAX_PATH] = { 0 };
    ::GetModuleFileNameW(NULL, exe, MAX_PATH - 1);
    for (int i = 0; i < kSequenceCount; ++i) {
        SCOPED_TRACE(std::string(kSequences[i].name) + ": " + kSequences[i].steps);
        const std::wstring cmd = std::wstring(L"\"") + exe + L"\" --gtest_filter=RichEditInputChild.PlaysOneSequence "
                                 + kCaseSwitch + std::to_wstring(i);
        DWORD code = 0;
        EXPECT_TRUE(testsupport::RunChild(cmd, 60000, &code)) << "the child did not end";
        EXPECT_EQ(0u, code) << (code >= 0xC0000000u ? "ended by an exception" : "its checks failed (see above)")
                            << ", exit code 0x" << std::hex << code;
    }
}

} // namespace
