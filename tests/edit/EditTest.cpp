// The edit box in a real window: the native edit that opens with the focus
// and closes when it loses it, typing and Enter, number-only, the text limit,
// password masking, read-only, the native edit's colours, state images, and
// a control that goes away while its native edit is open.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIBuilder.h"
#include "UIButton.h"
#include "UIEdit.h"
#include "UILabel.h"
#include "UITestHost.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using testsupport::Canvas;
using testsupport::Drain;

namespace {

// The colours of tests/fixtures/make_control_images.py.
const DWORD kNormal = 0xFF0000FF;
const DWORD kHot = 0xFF00A000;
const DWORD kFocused = 0xFFFFFF00;
const DWORD kDisabled = 0xFF808080;

#define EXPECT_PIXEL(canvas, x, y, want)                                                         \
    EXPECT_EQ(testsupport::ColorText((DWORD)(want) & 0x00FFFFFF),                                \
              testsupport::ColorText((canvas).Pixel((x), (y)) & 0x00FFFFFF))                     \
        << "pixel at (" << (x) << "," << (y) << ")"

class EditProbe : public CEditUI
{
public:
    CUIRect Padding() const { return m_rcTextPadding; }
    UINT State() const { return m_uButtonState; }
};

HWND NativeEdit(const CEditUI* edit)
{
    return edit->GetEditWindow() != NULL ? edit->GetEditWindow()->GetHWND() : NULL;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[1024] = { 0 };
    ::GetWindowTextW(hwnd, buf, 1024);
    return buf;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t buf[64] = { 0 };
    ::GetClassNameW(hwnd, buf, 64);
    return buf;
}

// The window rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child)
{
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(NULL, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Type(HWND hwnd, const wchar_t* text)
{
    for (const wchar_t* p = text; *p != 0; ++p)
        ::SendMessageW(hwnd, WM_CHAR, *p, 1);
}

TEST(EditNames, ClassInterfaceDefaultsAndAttributes)
{
    EditProbe edit;
    EXPECT_STREQ(L"EditUI", edit.GetClassName());
    EXPECT_EQ(static_cast<void*>(&edit), edit.GetInterface(L"Edit"));
    EXPECT_EQ(static_cast<void*>(&edit), edit.GetInterface(L"Label"));
    EXPECT_EQ(nullptr, edit.GetInterface(L"Button"));
    EXPECT_EQ((UINT)(TabStop | WantSetCursor), edit.GetInputFlags());
    EXPECT_EQ(255u, edit.GetMaxChar());
    EXPECT_EQ(L'*', edit.GetPasswordChar());
    EXPECT_FALSE(edit.IsReadOnly());
    EXPECT_FALSE(edit.IsPasswordMode());
    EXPECT_EQ(0, edit.GetWindowStyles());
    EXPECT_EQ(0xFFFFFFFFu, edit.GetNativeEditBkColor());
    EXPECT_EQ(0xFFFFFFFFu, edit.GetBackgroundColor());
    EXPECT_TRUE(testsupport::SameRect(CUIRect(4, 3, 4, 3), edit.Padding()));

    edit.ApplyAttributes(L"readonly=\"true\" numberonly=\"true\" password=\"true\" maxchar=\"256\" "
                         L"nativebkcolor=\"#FF102030\"");
    EXPECT_TRUE(edit.IsReadOnly());
    EXPECT_EQ(ES_NUMBER, edit.GetWindowStyles());
    EXPECT_TRUE(edit.IsPasswordMode());
    EXPECT_EQ(256u, edit.GetMaxChar());
    EXPECT_EQ(0xFF102030u, edit.GetNativeEditBkColor());
    edit.ApplyAttributes(L"readonly=\"TRUE\" numberonly=\"false\" password=\"1\"");
    EXPECT_FALSE(edit.IsReadOnly());
    EXPECT_EQ(0, edit.GetWindowStyles());
    EXPECT_FALSE(edit.IsPasswordMode());

    edit.SetEnabled(false);
    EXPECT_EQ(0u, edit.GetInputFlags());
}

class EditWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"controls\\").c_str());
        ASSERT_TRUE(host.Open(320, 200));
        root = new CContainerUI;
        root->SetBackgroundColor(0xFFFFFFFF);
        box = new CContainerUI;
        box->SetFloat(true);
        box->SetAttribute(L"pos", L"0,0,320,120");
        root->Add(box);
        edit = new EditProbe;
        edit->SetName(L"e");
        edit->SetFloat(true);
        edit->SetAttribute(L"pos", L"10,10,210,40");
        box->Add(edit);
        other = new CButtonUI;
        other->SetName(L"b");
        other->SetFloat(true);
        other->SetAttribute(L"pos", L"10,150,110,180");
        root->Add(other);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.pm.AddNotifier(&rec);
        host.Update();
        // The first paint focused the first tab stop, the edit: start closed.
        CloseByFocus(NULL);
        ASSERT_EQ(nullptr, edit->GetEditWindow());
        rec.Clear();
    }
    void TearDown() override { CUIManager::ResetResourceState(); }

    // Focuses the edit and waits for its native edit.
    HWND Open()
    {
        edit->SetFocus();
        Drain();
        return NativeEdit(edit);
    }
    // Takes the focus away and lets the posted close run.
    void CloseByFocus(CControlUI* next)
    {
        host.pm.SetFocus(next);
        testsupport::PumpUntil([&] { return edit->GetEditWindow() == NULL; }, 300);
    }
    void Capture()
    {
        host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    }
    // Puts a label of n password chars at 10,150 (in place of the button),
    // padded like the edit, for comparisons with the edit's row.
    void AddMaskLabel(int n)
    {
        CLabelUI* label = new CLabelUI;
        label->SetFloat(true);
        label->SetAttribute(L"pos", L"10,150,210,180");
        label->SetTextPadding(CUIRect(4, 3, 4, 3));
        label->SetText(std::wstring((size_t)n, L'*').c_str());
        root->Remove(other);
        other = NULL;
        root->Add(label);
    }
    // After a capture: the pixels where the edit's row and the label's row
    // differ, and the edit row's non-white pixels.
    void CompareWithMaskLabel(int& diff, int& ink)
    {
        diff = 0;
        ink = 0;
        for (int y = 10; y < 40; ++y)
            for (int x = 10; x < 210; ++x) {
                const DWORD a = canvas.Pixel(x, y) & 0x00FFFFFF;
                diff += a != (canvas.Pixel(x, y + 140) & 0x00FFFFFF) ? 1 : 0;
                ink += a != 0x00FFFFFF ? 1 : 0;
            }
    }

    testsupport::UITestHost host{ L"edit host", true };
    testsupport::NotifyRecorder rec{ { L"textchanged", L"return" } };
    CContainerUI* root = nullptr;
    CContainerUI* box = nullptr;
    EditProbe* edit = nullptr;
    CButtonUI* other = nullptr;
    Canvas canvas{ 320, 200 };
};

TEST_F(EditWindowTest, FocusOpensANativeEditOverTheTextAreaAndLosingItClosesIt)
{
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(L"EditWnd", ClassOf(hwnd));
    EXPECT_EQ(host.GetHWND(), ::GetParent(hwnd));
    EXPECT_EQ(hwnd, ::GetFocus());
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    // The padded rectangle 14,13,206,37, one text line high, centred.
    const int h = host.pm.GetDefaultFontInfo()->tm.tmHeight;
    ASSERT_GT(h, 0);
    ASSERT_LT(h, 24);
    const int top = 13 + (24 - h) / 2;
    EXPECT_RECT(CUIRect(14, top, 206, top + h), ChildRect(hwnd));
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ((LONG_PTR)(WS_CHILD | ES_AUTOHSCROLL), style & (WS_CHILD | ES_AUTOHSCROLL | ES_PASSWORD | ES_NUMBER));
    EXPECT_EQ(255, (int)::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(0, (int)::SendMessageW(hwnd, EM_GETMARGINS, 0, 0));

    // A second focus event keeps the same native edit.
    UIEvent ev;
    ZeroMemory(&ev, sizeof(ev));
    ev.nKind = UIEventSetFocus;
    edit->DispatchEvent(ev);
    EXPECT_EQ(hwnd, NativeEdit(edit));

    // Moving the control moves the native edit.
    edit->SetAttribute(L"pos", L"10,60,210,90");
    host.Update();
    EXPECT_RECT(CUIRect(14, 63 + (24 - h) / 2, 206, 63 + (24 - h) / 2 + h), ChildRect(hwnd));

    host.pm.SetFocus(NULL);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(hwnd); }, 300));
    EXPECT_EQ(nullptr, edit->GetEditWindow());
    EXPECT_EQ(nullptr, host.pm.GetFocus());
}

TEST_F(EditWindowTest, TypingReportsEachChangeAndEnterSendsReturnWithoutInserting)
{
    edit->SetText(L"x");
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(L"x", WindowText(hwnd));
    ::SendMessageW(hwnd, EM_SETSEL, 0, -1);
    Type(hwnd, L"abc");
    EXPECT_EQ(3, rec.Count(L"textchanged"));
    EXPECT_STREQ(L"abc", edit->GetText().GetData());
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
    ::SendMessageW(hwnd, WM_CHAR, VK_RETURN, 1);   // a single-line edit inserts no break
    EXPECT_EQ((std::vector<std::string>{ "textchanged:e", "textchanged:e", "textchanged:e", "return:e" }),
              rec.Sequence());
    EXPECT_STREQ(L"abc", edit->GetText().GetData());
    EXPECT_EQ(0u, rec.items.back().wParam);
    EXPECT_EQ(0, rec.items.back().lParam);

    // SetText reaches the open native edit (and is reported by it).
    rec.Clear();
    edit->SetText(L"hello");
    EXPECT_EQ(L"hello", WindowText(hwnd));
    EXPECT_STREQ(L"hello", edit->GetText().GetData());
}

TEST_F(EditWindowTest, NumberOnlyTakesEffectAtTheNextOpenAndLeavesNoOtherBits)
{
    edit->SetNumberOnly(true);
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    const LONG_PTR numberStyle = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ((LONG_PTR)ES_NUMBER, numberStyle & ES_NUMBER);
    Type(hwnd, L"1a2");
    EXPECT_STREQ(L"12", edit->GetText().GetData());

    edit->SetNumberOnly(false);   // the open edit keeps its style
    EXPECT_EQ((LONG_PTR)ES_NUMBER, ::GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_NUMBER);
    CloseByFocus(other);
    ASSERT_EQ(nullptr, edit->GetEditWindow());

    hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(numberStyle & ~(LONG_PTR)ES_NUMBER, ::GetWindowLongPtrW(hwnd, GWL_STYLE));
    ::SendMessageW(hwnd, EM_SETSEL, 0, -1);
    Type(hwnd, L"ab");
    EXPECT_STREQ(L"ab", edit->GetText().GetData());
}

TEST_F(EditWindowTest, MaxCharLimitsTheNativeEdit)
{
    edit->SetMaxChar(256);
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(256, (int)::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0));
    std::wstring many(300, L'7');
    Type(hwnd, many.c_str());
    EXPECT_EQ(256, edit->GetText().GetLength());
    edit->SetMaxChar(4);   // an open edit follows at once
    EXPECT_EQ(4, (int)::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0));
}

TEST_F(EditWindowTest, ReadOnlyAndDisabledEdits)
{
    edit->SetReadOnly(true);
    edit->SetText(L"fixed");
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ((LONG_PTR)ES_READONLY, ::GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY);
    Type(hwnd, L"zz");
    EXPECT_STREQ(L"fixed", edit->GetText().GetData());
    edit->SetReadOnly(false);
    EXPECT_EQ(0, ::GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY);
    CloseByFocus(other);

    edit->SetEnabled(false);
    EXPECT_EQ(0u, edit->State());
    host.Click(100, 25);
    EXPECT_EQ(nullptr, edit->GetEditWindow());
}

TEST_F(EditWindowTest, ClickOnAFocusedClosedEditReopensItAndSelectsAll)
{
    edit->SetText(L"select me");
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    // The platform focus leaves (another application, say): the native edit
    // closes while the control keeps the manager's focus.
    ::SetFocus(host.GetHWND());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return edit->GetEditWindow() == NULL; }, 300));
    EXPECT_EQ(edit, host.pm.GetFocus());

    host.Click(100, 25);
    hwnd = NativeEdit(edit);
    ASSERT_NE(nullptr, hwnd);
    DWORD from = 0, to = 0;
    ::SendMessageW(hwnd, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
    EXPECT_EQ(0u, from);
    EXPECT_EQ(9u, to);
}

TEST_F(EditWindowTest, PasswordModePaintsOneMaskPerCharacterAndTheNativeEditMasksToo)
{
    AddMaskLabel(3);
    edit->SetPasswordMode(true);
    edit->SetText(L"abc");
    Capture();
    int diff = 0, ink = 0;
    CompareWithMaskLabel(diff, ink);
    EXPECT_EQ(0, diff);
    EXPECT_GT(ink, 3);
    canvas.DumpIfFailed("edit_password");

    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ((LONG_PTR)ES_PASSWORD, ::GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(L'*', (wchar_t)::SendMessageW(hwnd, EM_GETPASSWORDCHAR, 0, 0));
    EXPECT_STREQ(L"abc", edit->GetText().GetData());
}

// A text of n characters, not one of them the password char.
std::wstring Letters(int n)
{
    std::wstring text;
    text.reserve((size_t)n);
    for (int i = 0; i < n; ++i)
        text += (wchar_t)(L'a' + i % 26);
    return text;
}

// The rightmost column of the canvas that holds a non-white pixel, -1 for none.
int LastInkColumn(Canvas& canvas)
{
    ::GdiFlush();
    for (int x = canvas.Width() - 1; x >= 0; --x)
        for (int y = 0; y < canvas.Height(); ++y)
            if ((canvas.Bits()[y * canvas.Width() + x] & 0x00FFFFFF) != 0x00FFFFFF)
                return x;
    return -1;
}

// On a canvas wide enough for the whole text, the mask of n characters ends
// where a label's n password chars end, not where n - 1 of them end. (Wine
// draws at most 1024 characters of a line, so longer masks cannot be seen
// to their end.)
TEST_F(EditWindowTest, PasswordMaskHasOneCharPerCharacter)
{
    CLabelUI label;
    label.SetManager(&host.pm, NULL, false);
    label.SetTextPadding(CUIRect(4, 3, 4, 3));
    edit->SetPasswordMode(true);
    const int lengths[] = { 1, 2, 62, 63, 64, 1000 };
    for (int n : lengths) {
        SCOPED_TRACE(n);
        edit->SetText(Letters(n).c_str());
        Canvas wide(n * 20 + 40, 30);
        const CUIRect whole(0, 0, wide.Width(), 30);
        edit->SetPos(whole);
        label.SetPos(whole);
        edit->PaintText(wide.dc());
        const int end = LastInkColumn(wide);
        EXPECT_GT(end, 4);
        wide.Fill(0xFFFFFFFF);
        label.SetText(std::wstring((size_t)n, L'*').c_str());
        label.PaintText(wide.dc());
        EXPECT_EQ(LastInkColumn(wide), end);
        wide.Fill(0xFFFFFFFF);
        label.SetText(std::wstring((size_t)n - 1, L'*').c_str());
        label.PaintText(wide.dc());
        EXPECT_LT(LastInkColumn(wide), end);
    }
}

// Run only as a child of EditLongPassword.PaintsItsMaskInTime: a password of
// 70,000 characters, painted again and again, shows password chars like a
// label of 70,000 of them.
TEST_F(EditWindowTest, DISABLED_LongPasswordChild)
{
    const int n = 70000;
    AddMaskLabel(n);
    edit->SetPasswordMode(true);
    edit->SetText(Letters(n).c_str());
    ASSERT_EQ(n, edit->GetText().GetLength());
    // Each paint builds the mask again.
    for (int round = 0; round < 25; ++round) {
        Capture();
        int diff = 0, ink = 0;
        CompareWithMaskLabel(diff, ink);
        canvas.SavePng(testsupport::OutputDir() + L"edit_long_password.png");
        ASSERT_EQ(0, diff) << "round " << round;
        ASSERT_GT(ink, 100);
    }
}

// Painting a long password must not cost seconds: the child paints 50 times
// (a capture paints twice), a few milliseconds each, and has far less time
// than that many slow paints take (0.8 s each here when the mask grew by one
// char at a time, copying itself at every step).
TEST(EditLongPassword, PaintsItsMaskInTime)
{
    wchar_t exe[MAX_PATH] = { 0 };
    ::GetModuleFileNameW(NULL, exe, MAX_PATH);
    DWORD code = 0;
    const bool ended = testsupport::RunChild(
        std::wstring(L"\"") + exe +
            L"\" --gtest_also_run_disabled_tests --gtest_filter=EditWindowTest.DISABLED_LongPasswordChild",
        10000, &code);
    ASSERT_TRUE(ended) << "50 paints of a 70,000-character password took more than 10 s";
    EXPECT_EQ(0u, code);
}

TEST_F(EditWindowTest, NativeBackgroundColourIsOursOnlyWhenSet)
{
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    HDC hdc = ::GetDC(hwnd);
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_CTLCOLOREDIT + 0x2000, (WPARAM)hdc, (LPARAM)hwnd));
    ::ReleaseDC(hwnd, hdc);
    CloseByFocus(NULL);

    edit->SetNativeEditBkColor(0xFF00C000);
    edit->SetTextColor(0xFF0000FF);
    hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    hdc = ::GetDC(hwnd);
    HBRUSH brush = (HBRUSH)::SendMessageW(host.GetHWND(), WM_CTLCOLOREDIT, (WPARAM)hdc, (LPARAM)hwnd);
    ASSERT_NE(nullptr, brush);
    LOGBRUSH lb;
    ASSERT_NE(0, ::GetObjectW(brush, sizeof(lb), &lb));
    EXPECT_EQ(RGB(0, 0xC0, 0), lb.lbColor);
    EXPECT_EQ(RGB(0, 0, 0xFF), ::GetTextColor(hdc));
    EXPECT_EQ(TRANSPARENT, ::GetBkMode(hdc));
    ::ReleaseDC(hwnd, hdc);
    // The same brush is handed out again.
    hdc = ::GetDC(hwnd);
    EXPECT_EQ(brush, (HBRUSH)::SendMessageW(host.GetHWND(), WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)hwnd));
    ::ReleaseDC(hwnd, hdc);

    // On screen the native edit shows that colour.
    ::InvalidateRect(hwnd, NULL, TRUE);
    ::UpdateWindow(hwnd);
    Capture();
    const RECT rc = ChildRect(hwnd);
    EXPECT_PIXEL(canvas, rc.right - 3, (rc.top + rc.bottom) / 2, 0xFF00C000);
    canvas.DumpIfFailed("edit_nativebk");
}

TEST_F(EditWindowTest, HidingTheContainerOfAFocusedEditClosesTheNativeEdit)
{
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    box->SetVisible(false);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(hwnd); }, 300));
    EXPECT_EQ(nullptr, edit->GetEditWindow());
    EXPECT_NE(edit, host.pm.GetFocus());

    box->SetVisible(true);
    host.Update();
    hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    edit->SetVisible(false);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(hwnd); }, 300));
    EXPECT_EQ(nullptr, edit->GetEditWindow());
}

TEST_F(EditWindowTest, RemovingAnEditWithItsNativeEditOpenClosesThatEditFirst)
{
    HWND hwnd = Open();
    ASSERT_NE(nullptr, hwnd);
    box->Remove(edit);   // deleted now or at the manager's deferred clean-up
    edit = NULL;
    Drain();
    host.Update();
    EXPECT_FALSE(::IsWindow(hwnd));
    // Whatever still arrives for that handle finds nothing to write into.
    ::SendMessageW(hwnd, WM_CHAR, L'q', 1);
    ::SendMessageW(host.GetHWND(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), (LPARAM)hwnd);
    Drain();
    EXPECT_EQ(0, rec.Count(L"textchanged"));
}

TEST_F(EditWindowTest, StateImagesByPriority)
{
    edit->ApplyAttributes(L"normalimage=\"normal.png\" hotimage=\"hot.png\" focusedimage=\"focused.png\" "
                          L"disabledimage=\"disabled.png\"");
    Capture();
    EXPECT_PIXEL(canvas, 11, 11, kNormal);
    host.PostMouse(WM_MOUSEMOVE, 100, 25);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 11, 11, kHot);
    ASSERT_NE(nullptr, Open());
    Capture();
    EXPECT_PIXEL(canvas, 11, 11, kFocused);   // the padding is outside the native edit
    CloseByFocus(other);
    edit->SetEnabled(false);
    Capture();
    EXPECT_PIXEL(canvas, 11, 11, kDisabled);
    canvas.DumpIfFailed("edit_states");
}

TEST(EditMeasure, HeightIsTheFontsTextHeightPlusSix)
{
    testsupport::UITestHost host(L"edit measure", true);
    ASSERT_TRUE(host.Open(200, 100));
    CUIBuilder builder;
    CControlUI* root = builder.Create(L"<Window><Font name=\"Arial\" size=\"12\"/>"
                                      L"<VerticalLayout><Edit name=\"e\" font=\"0\"/><Edit name=\"f\" height=\"40\"/>"
                                      L"</VerticalLayout></Window>",
                                      NULL, NULL, &host.pm);
    ASSERT_NE(nullptr, root);
    ASSERT_TRUE(host.pm.AttachRoot(root));
    CControlUI* e = host.pm.FindControlByName(L"e");
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ(L"EditUI", e->GetClassName());
    const int tm = host.pm.GetFontInfoByIndex(0)->tm.tmHeight;
    ASSERT_GT(tm, 0);
    EXPECT_EQ(tm + 6, e->MeasureSize(SIZE{ 200, 100 }).cy);
    EXPECT_EQ(40, host.pm.FindControlByName(L"f")->MeasureSize(SIZE{ 200, 100 }).cy);
}

} // namespace
