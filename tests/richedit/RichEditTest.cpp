// The rich edit in a real window. With the platform's text engine (msftedit
// under Wine): typing, Enter and Ctrl+Enter against "wantreturn" and
// "wantctrlreturn", Tab, read-only text set by the program, long texts.
// With a scripted engine: the attributes the host hands over, the forced
// vertical bar, the scroll protocol both ways, the notifications passed on,
// mouse and wheel routing, and a control without any engine.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeTextServices.h"
#include "TestSupport.h"
#include "UIBuilder.h"
#include "UIButton.h"
#include "UIHorizontalLayout.h"
#include "UIRichEdit.h"
#include "UIScrollBar.h"
#include "UITestHost.h"

using namespace SkinUI;
using namespace richtest;
using testsupport::Canvas;
using testsupport::Drain;

namespace {

// A window with one rich edit at 10,10,210,110 (and optionally a button
// lying over its lower right part).
class RichWindow
{
public:
    testsupport::UITestHost host{ L"rich edit host", true };
    testsupport::NotifyRecorder rec{ { L"return" } };
    CContainerUI* root = nullptr;
    CRichEditUI* re = nullptr;
    CButtonUI* over = nullptr;

    bool Open(const wchar_t* attrs, bool withButton = false)
    {
        if (!host.Open(320, 200))
            return false;
        root = new CContainerUI;
        root->SetBackgroundColor(0xFFFFFFFF);
        re = new CRichEditUI;
        re->SetName(L"re");
        re->SetFloat(true);
        re->SetAttribute(L"pos", L"10,10,210,110");
        re->ApplyAttributes(attrs);
        root->Add(re);
        if (withButton) {
            over = new CButtonUI;
            over->SetName(L"over");
            over->SetFloat(true);
            over->SetAttribute(L"pos", L"150,80,200,105");
            root->Add(over);
        }
        host.pm.AttachRoot(root);
        host.pm.AddNotifier(&rec);
        host.Update();
        return true;
    }
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam = 0)
    {
        return ::SendMessageW(host.GetHWND(), msg, wParam, lParam);
    }
    void Type(const wchar_t* text)
    {
        for (const wchar_t* p = text; *p != 0; ++p)
            Send(WM_CHAR, *p, 1);
    }
};

// Holds Ctrl down (as the thread's keyboard state) while it lives.
class CtrlDown
{
public:
    explicit CtrlDown(bool down) : m_down(down)
    {
        if (!m_down)
            return;
        ::GetKeyboardState(m_saved);
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
    }
    ~CtrlDown()
    {
        if (m_down)
            ::SetKeyboardState(m_saved);
    }

private:
    bool m_down;
    BYTE m_saved[256];
};

// Makes every rich edit created while it lives use the scripted engine.
class FakeEngine
{
public:
    FakeEngine()
    {
        FactoryFails() = false;
        LastFake() = nullptr;
        CRichEditUI::SetTextServicesFactory(&CreateFakeTextServices);
    }
    ~FakeEngine()
    {
        CRichEditUI::SetTextServicesFactory(NULL);
        FactoryFails() = false;
    }
};

// ---------------------------------------------------------------------------
// The platform's engine
// ---------------------------------------------------------------------------
TEST(RichEditEngine, EnterAndCtrlEnterAgainstWhatTheControlWants)
{
    struct Case
    {
        const wchar_t* attrs;
        bool ctrl;
        int inserted;
        int returns;
    };
    const Case cases[] = {
        { L"", false, 1, 0 },
        { L"wantreturn=\"false\"", false, 0, 1 },
        { L"wantctrlreturn=\"false\"", true, 0, 1 },
        { L"wantctrlreturn=\"false\"", false, 1, 0 },
        { L"wantreturn=\"false\" wantctrlreturn=\"false\"", true, 0, 1 },
        { L"wantreturn=\"false\"", true, 0, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.attrs) + (c.ctrl ? " + ctrl" : ""));
        RichWindow win;
        ASSERT_TRUE(win.Open(c.attrs));
        ASSERT_TRUE(win.re->HasHost());
        win.re->SetFocus();
        win.Type(L"ab");
        const long before = win.re->GetTextLength();
        ASSERT_EQ(2, before);
        {
            CtrlDown ctrl(c.ctrl);
            win.Send(WM_KEYDOWN, VK_RETURN, 1);
            win.Send(WM_KEYUP, VK_RETURN, 1);
        }
        EXPECT_EQ(c.inserted, win.re->GetTextLength() - before);
        EXPECT_EQ(c.returns, win.rec.Count(L"return"));
    }
}

TEST(RichEditEngine, KeysReachTheEngineOnlyWhileTheControlHasTheFocus)
{
    RichWindow win;
    ASSERT_TRUE(win.Open(L"", true));
    win.over->SetFocus();
    win.Type(L"xy");
    EXPECT_STREQ(L"", win.re->GetText().GetData());
    win.re->SetFocus();
    win.Type(L"xy");
    EXPECT_STREQ(L"xy", win.re->GetText().GetData());
}

TEST(RichEditEngine, TabStaysInTheTextUnlessTheControlDoesNotWantIt)
{
    for (bool wantTab : { true, false }) {
        SCOPED_TRACE(wantTab ? "wanttab" : "no wanttab");
        RichWindow win;
        ASSERT_TRUE(win.Open(wantTab ? L"" : L"wanttab=\"false\"", true));
        win.re->SetFocus();
        MSG msg = { win.host.GetHWND(), WM_KEYDOWN, VK_TAB, 1, 0, { 0, 0 } };
        const bool taken = CUIManager::TranslateMessage(&msg);
        EXPECT_EQ(!wantTab, taken);
        EXPECT_EQ(wantTab ? static_cast<CControlUI*>(win.re) : static_cast<CControlUI*>(win.over),
                  win.host.pm.GetFocus());
    }
}

TEST(RichEditEngine, ReadOnlyTextSetByTheProgramAndLongTexts)
{
    RichWindow win;
    ASSERT_TRUE(win.Open(L"readonly=\"true\" align=\"left\" mouse=\"false\""));
    ASSERT_TRUE(win.re->HasHost());
    EXPECT_TRUE(win.re->IsReadOnly());
    win.re->SetText(L"first line\r\nsecond line");
    // Paragraph breaks come back as a single carriage return.
    EXPECT_STREQ(L"first line\rsecond line", win.re->GetText().GetData());
    win.re->SetFocus();
    win.Type(L"zz");
    win.Send(WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_STREQ(L"first line\rsecond line", win.re->GetText().GetData());
    LRESULT limit = 0;
    EXPECT_EQ(S_OK, win.re->SendTextMessage(EM_GETLIMITTEXT, 0, 0, &limit));
    EXPECT_EQ(32767, (int)limit);

    // The whole of a long text comes back, however long.
    std::wstring longText;
    for (int i = 0; i < 400; ++i)
        longText += L"0123456789";
    win.re->SetText(longText.c_str());
    EXPECT_EQ(longText, std::wstring(win.re->GetText().GetData()));

    Canvas canvas(320, 200);
    win.host.Update();
    ASSERT_TRUE(canvas.CaptureWindow(win.host.GetHWND()));
    canvas.SavePng(testsupport::OutputDir() + L"richedit_readonly.png");
}

TEST(RichEditEngine, StyleAttributesAfterTheHostExistsChangeNothing)
{
    RichWindow win;
    ASSERT_TRUE(win.Open(L""));
    const LONG style = win.re->GetHostStyle();
    win.re->SetAttribute(L"readonly", L"true");   // too late for the engine
    win.re->SetFocus();
    win.Type(L"ok");
    EXPECT_STREQ(L"ok", win.re->GetText().GetData());
    EXPECT_EQ(style | ES_READONLY, win.re->GetHostStyle());
}

TEST(RichEditEngine, BuiltFromXmlAndTextGivenBeforeTheEngine)
{
    testsupport::UITestHost host(L"rich edit xml", true);
    ASSERT_TRUE(host.Open(320, 200));
    CUIBuilder builder;
    CControlUI* root = builder.Create(L"<Window><Font name=\"Arial\" size=\"14\"/><VerticalLayout>"
                                      L"<RichEdit name=\"content\" text=\"hello\" font=\"0\" readonly=\"true\"/>"
                                      L"</VerticalLayout></Window>",
                                      NULL, NULL, &host.pm);
    ASSERT_NE(nullptr, root);
    ASSERT_TRUE(host.pm.AttachRoot(root));
    CControlUI* c = host.pm.FindControlByName(L"content");
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ(L"RichEditUI", c->GetClassName());
    CRichEditUI* re = static_cast<CRichEditUI*>(c->GetInterface(L"RichEdit"));
    ASSERT_EQ(static_cast<void*>(c), static_cast<void*>(re));
    EXPECT_NE(nullptr, c->GetInterface(L"Container"));
    EXPECT_EQ(0, re->GetFont());
    EXPECT_STREQ(L"hello", re->GetText().GetData());
    EXPECT_EQ((UINT)(TabStop | WantSetCursor), re->GetInputFlags());
    re->SetEnabled(false);
    EXPECT_EQ(0u, re->GetInputFlags());
}

// Rows the engine has laid its text out in: the measure of the work its
// layout took.
long EngineRows(CRichEditUI* re)
{
    LRESULT rows = 0;
    re->SendTextMessage(EM_GETLINECOUNT, 0, 0, &rows);
    return static_cast<long>(rows);
}

// One paragraph of about 2 KB of words.
std::wstring LongParagraph()
{
    std::wstring text;
    while (text.size() < 2048)
        text += L"lorem ipsum dolor sit amet ";
    return text;
}

TEST(RichEditEngine, TextWithoutAWidthIsNotBrokenAfterEveryCharacter)
{
    // A rich edit 150 wide in a horizontal layout: until the layout gives it
    // its place the text has no width, and the engine must not wrap it to
    // that (one row per character, at a cost growing with the square of the
    // length).
    const std::wstring text = LongParagraph();
    for (bool textBeforeAttach : { true, false }) {
        SCOPED_TRACE(textBeforeAttach ? "text given before the window" : "text given before the first layout");
        testsupport::UITestHost host(L"rich edit rows", true);
        ASSERT_TRUE(host.Open(320, 200));
        CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
        root->SetBackgroundColor(0xFFFFFFFF);
        CRichEditUI* re = new CRichEditUI;
        re->SetFixedWidth(150);
        root->Add(re);
        if (textBeforeAttach)
            re->SetText(text.c_str());
        host.pm.AttachRoot(root);
        ASSERT_TRUE(re->HasHost());
        if (!textBeforeAttach)
            re->SetText(text.c_str());
        EXPECT_EQ(1, EngineRows(re)) << "laid out before it has a width";
        EXPECT_EQ((long)text.size(), re->GetTextLength());

        // Its place in the layout: wrapped to 150 pixels, a few words a row.
        host.Update();
        EXPECT_EQ(150, re->GetWidth());
        const long rows = EngineRows(re);
        EXPECT_GT(rows, 20);
        EXPECT_LT(rows, (long)text.size() / 10);

        Canvas canvas(320, 200);
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
        canvas.SavePng(testsupport::OutputDir() + (textBeforeAttach ? L"richedit_rows_before.png" : L"richedit_rows_after.png"));
    }
}

TEST(RichEditEngine, TheTextFollowsTheControlsWidthWithoutAFocusChange)
{
    // The engine hears of a new rectangle from the layout itself, not only
    // when the control next gains or loses the focus.
    testsupport::UITestHost host(L"rich edit width", true);
    ASSERT_TRUE(host.Open(320, 200));
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    CRichEditUI* re = new CRichEditUI;
    re->SetFixedWidth(150);
    re->SetText(LongParagraph().c_str());
    root->Add(re);
    host.pm.AttachRoot(root);
    host.Update();
    ASSERT_TRUE(re->HasHost());
    const long narrow = EngineRows(re);
    EXPECT_GT(narrow, 20);
    re->SetFixedWidth(300);
    host.Update();
    EXPECT_EQ(300, re->GetWidth());
    const long wide = EngineRows(re);
    EXPECT_LT(wide, narrow * 2 / 3);
    EXPECT_GT(wide, narrow / 3);
    re->SetFixedWidth(150);
    host.Update();
    EXPECT_EQ(narrow, EngineRows(re));
}

// ---------------------------------------------------------------------------
// A scripted engine
// ---------------------------------------------------------------------------

// Layouts of all the text the host asks of the engine: in-place activations
// and client-rectangle changes (the engine lays everything out for either).
int EngineLayouts(const FakeTextServices* fake)
{
    return fake->activations
           + (int)std::count(fake->bitChanges.begin(), fake->bitChanges.end(), (DWORD)TXTBIT_CLIENTRECTCHANGE);
}

TEST(RichEditHost, TheEngineLaysTheTextOutAgainOnlyWhenItsRectangleMoves)
{
    FakeEngine engine;
    testsupport::UITestHost host(L"rich edit layouts", true);
    ASSERT_TRUE(host.Open(320, 200));
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    CRichEditUI* re = new CRichEditUI;
    re->SetFixedWidth(150);
    re->SetText(L"some text");
    root->Add(re);
    CButtonUI* other = new CButtonUI;
    root->Add(other);
    host.pm.AttachRoot(root);
    FakeTextServices* fake = LastFake();
    ASSERT_NE(nullptr, fake);
    const int atStart = EngineLayouts(fake);
    host.Update();
    EXPECT_EQ(static_cast<CControlUI*>(re), host.pm.GetFocus());
    EXPECT_EQ(atStart + 1, EngineLayouts(fake)) << "the first place in the layout";

    // Focus changes and layout passes that leave the rectangle alone.
    const int placed = EngineLayouts(fake);
    const int focused = fake->CountMsg(WM_SETFOCUS);
    const int unfocused = fake->CountMsg(WM_KILLFOCUS);
    for (int i = 0; i < 5; ++i) {
        other->SetFocus();
        re->SetFocus();
        root->RequestLayout();
        host.Update();
    }
    EXPECT_EQ(static_cast<CControlUI*>(re), host.pm.GetFocus());
    // The engine still hears of every focus change.
    EXPECT_EQ(focused + 5, fake->CountMsg(WM_SETFOCUS));
    EXPECT_EQ(unfocused + 5, fake->CountMsg(WM_KILLFOCUS));
    EXPECT_EQ(placed, EngineLayouts(fake));

    // A new width: once.
    re->SetFixedWidth(200);
    host.Update();
    EXPECT_EQ(placed + 1, EngineLayouts(fake));
}

TEST(RichEditHost, AttributesReachTheHostAsStyleFormatAndProperties)
{
    FakeEngine engine;
    RichWindow win;
    ASSERT_TRUE(win.Open(L"align=\"center right\" textcolor=\"  #FF222222\" password=\"true\" rich=\"false\" "
                         L"vscrollbar=\"true\" autovscroll=\"true\" multiline=\"false\""));
    FakeTextServices* fake = LastFake();
    ASSERT_NE(nullptr, fake);
    ITextHost* host = fake->host;
    ASSERT_NE(nullptr, host);

    const LONG style = win.re->GetHostStyle();
    EXPECT_EQ(ES_RIGHT, style & (ES_CENTER | ES_RIGHT));
    EXPECT_EQ(0, style & ES_MULTILINE);
    EXPECT_EQ(0xFF222222u, win.re->GetTextColor());

    const CHARFORMATW* pcf = nullptr;
    ASSERT_EQ(S_OK, host->TxGetCharFormat(&pcf));
    EXPECT_EQ((COLORREF)0x222222, pcf->crTextColor);
    EXPECT_EQ(0xF8000007u, pcf->dwMask);
    EXPECT_EQ(sizeof(CHARFORMAT2W), (size_t)pcf->cbSize);
    const PARAFORMAT* ppf = nullptr;
    ASSERT_EQ(S_OK, host->TxGetParaFormat(&ppf));
    EXPECT_EQ(PFA_RIGHT, ppf->wAlignment);
    EXPECT_EQ(1, ppf->cTabCount);
    EXPECT_EQ(720, ppf->rgxTabs[0]);

    DWORD dw = 0;
    host->TxGetMaxLength(&dw);
    EXPECT_EQ(32767u, dw);
    host->TxGetScrollBars(&dw);
    EXPECT_EQ((DWORD)(WS_VSCROLL | ES_DISABLENOSCROLL | ES_AUTOVSCROLL), dw);
    TXTBACKSTYLE back = TXTBACK_OPAQUE;
    host->TxGetBackStyle(&back);
    EXPECT_EQ(TXTBACK_TRANSPARENT, back);
    host->TxGetPropertyBits(0xFFFFFFFF, &dw);
    EXPECT_EQ((DWORD)(TXTBIT_USEPASSWORD | TXTBIT_HIDESELECTION | TXTBIT_WORDWRAP), dw);
    // A password control masks; the engine would show character 0 in clear.
    wchar_t ch = 0;
    host->TxGetPasswordChar(&ch);
    EXPECT_EQ(L'*', ch);
    void* pv = nullptr;
    EXPECT_EQ(S_OK, host->QueryInterface(kIIDTextHost, &pv));
    EXPECT_EQ(static_cast<void*>(host), pv);
    host->Release();
    EXPECT_EQ(E_NOINTERFACE, host->QueryInterface(kIIDTextServices, &pv));

    // The rich flag and the text colour follow on a live host.
    win.re->SetRich(true);
    host->TxGetPropertyBits(TXTBIT_RICHTEXT, &dw);
    EXPECT_EQ((DWORD)TXTBIT_RICHTEXT, dw);
    win.re->SetTextColor(0xFF0000FF);
    host->TxGetCharFormat(&pcf);
    EXPECT_EQ(RGB(0, 0, 0xFF), pcf->crTextColor);
}

TEST(RichEditHost, ForcedVerticalBarWhileTheTextIsTallerThanTheControl)
{
    FakeEngine engine;
    RichWindow win;
    ASSERT_TRUE(win.Open(L"vscrollbar=\"true\""));
    FakeTextServices* fake = LastFake();
    ASSERT_NE(nullptr, fake);
    // The engine asks for the bar, then reflows the text: the range it
    // reports hides the bar again, although the text is taller.
    fake->host->TxEnableScrollBar(SB_VERT, ESB_ENABLE_BOTH);
    CScrollBarUI* bar = win.re->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    fake->rangeOnResize = 10;
    fake->naturalHeight = 500;
    win.host.Update();
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollPos());
    // Measured with the bar's width given back to the text.
    RECT rc;
    fake->host->TxGetClientRect(&rc);
    EXPECT_EQ(200 - bar->GetFixedWidth(), rc.right - rc.left);
    EXPECT_EQ(rc.right - rc.left + bar->GetFixedWidth(), fake->naturalWidthIn);
    EXPECT_EQ(rc.bottom - rc.top, fake->naturalHeightIn);
    // Every measure is followed by the client rectangle given back.
    EXPECT_EQ((DWORD)TXTBIT_CLIENTRECTCHANGE, fake->bitChanges.back());
    EXPECT_RECT(CUIRect(rc.right, rc.top, rc.right + bar->GetFixedWidth(), rc.bottom), bar->GetPos());

    // The text fits again: the bar goes at the next paints.
    fake->naturalHeight = 40;
    win.host.Update();
    win.host.Update();
    EXPECT_FALSE(bar->IsVisible());
    fake->host->TxGetClientRect(&rc);
    EXPECT_EQ(200, rc.right - rc.left);

    // A measure that fails counts as "fits".
    fake->host->TxEnableScrollBar(SB_VERT, ESB_ENABLE_BOTH);
    fake->naturalHeight = 500;
    win.host.Update();
    ASSERT_TRUE(bar->IsVisible());
    fake->naturalResult = E_FAIL;
    win.host.Update();
    win.host.Update();
    EXPECT_FALSE(bar->IsVisible());
}

TEST(RichEditHost, WordWrapIsAskedForOnlyWhileTheTextHasAWidth)
{
    struct Case
    {
        const wchar_t* attrs;
        bool wraps;   // once laid out
    };
    const Case cases[] = {
        { L"", true },
        { L"autohscroll=\"true\"", false },
        { L"hscrollbar=\"true\"", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.attrs));
        FakeEngine engine;
        testsupport::UITestHost host(L"rich edit wrap", true);
        ASSERT_TRUE(host.Open(320, 200));
        CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
        CRichEditUI* re = new CRichEditUI;
        re->SetFixedWidth(150);
        re->ApplyAttributes(c.attrs);
        re->SetText(L"some text");
        root->Add(re);
        host.pm.AttachRoot(root);
        FakeTextServices* fake = LastFake();
        ASSERT_NE(nullptr, fake);
        // The creation text goes in after the in-place activation, which
        // would lay it all out once more.
        EXPECT_EQ(L"some text", fake->text);
        EXPECT_EQ(1, fake->activationsBeforeText);
        DWORD bits = 0;
        fake->host->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
        EXPECT_EQ(0u, bits) << "no width yet";

        fake->bitChanges.clear();
        host.Update();
        fake->host->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
        EXPECT_EQ(c.wraps ? (DWORD)TXTBIT_WORDWRAP : 0u, bits);
        const std::vector<DWORD> changes = fake->bitChanges;
        const int told = (int)std::count(changes.begin(), changes.end(), (DWORD)TXTBIT_WORDWRAP);
        EXPECT_EQ(c.wraps ? 1 : 0, told);

        // Squeezed to no width: no wrapping until the width comes back.
        re->SetPos(CUIRect(0, 0, 0, 200));
        fake->host->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
        EXPECT_EQ(0u, bits);
        re->SetPos(CUIRect(0, 0, 150, 200));
        fake->host->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
        EXPECT_EQ(c.wraps ? (DWORD)TXTBIT_WORDWRAP : 0u, bits);
    }
}

TEST(RichEditHost, ScrollRangeAndPositionFromTheEngineAndScrollingBackToIt)
{
    FakeEngine engine;
    RichWindow win;
    ASSERT_TRUE(win.Open(L"vscrollbar=\"true\" hscrollbar=\"true\""));
    FakeTextServices* fake = LastFake();
    ITextHost* host = fake->host;
    host->TxEnableScrollBar(SB_BOTH, ESB_DISABLE_BOTH);
    CScrollBarUI* vbar = win.re->GetVerticalScrollBar();
    CScrollBarUI* hbar = win.re->GetHorizontalScrollBar();
    ASSERT_NE(nullptr, vbar);
    ASSERT_NE(nullptr, hbar);
    EXPECT_FALSE(vbar->IsVisible());
    EXPECT_FALSE(hbar->IsVisible());
    win.host.Update();

    RECT rc;
    host->TxGetClientRect(&rc);
    const int h = rc.bottom - rc.top;
    host->TxSetScrollRange(SB_VERT, 0, h, TRUE);   // r = 0: hidden
    EXPECT_FALSE(vbar->IsVisible());
    host->TxSetScrollRange(SB_VERT, 0, h + 70, TRUE);
    EXPECT_TRUE(vbar->IsVisible());
    EXPECT_EQ(70, vbar->GetScrollRange());
    win.host.Update();

    // The engine moves the bar without being told to scroll again.
    fake->sent.clear();
    host->TxSetScrollPos(SB_VERT, 30, TRUE);
    EXPECT_EQ(30, vbar->GetScrollPos());
    EXPECT_EQ(0, fake->CountMsg(WM_VSCROLL));

    // The control's scrolling goes to the engine.
    win.re->SetScrollPos(SIZE{ 0, 50 });
    EXPECT_EQ(1, fake->Count(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50)));
    win.re->SetScrollPos(SIZE{ 0, 50 });   // no change, no message
    EXPECT_EQ(1, fake->CountMsg(WM_VSCROLL));
    struct Op
    {
        void (CRichEditUI::*fn)();
        UINT msg;
        WPARAM code;
    };
    const Op ops[] = {
        { &CRichEditUI::LineUp, WM_VSCROLL, SB_LINEUP },         { &CRichEditUI::LineDown, WM_VSCROLL, SB_LINEDOWN },
        { &CRichEditUI::PageUp, WM_VSCROLL, SB_PAGEUP },         { &CRichEditUI::PageDown, WM_VSCROLL, SB_PAGEDOWN },
        { &CRichEditUI::ScrollToTop, WM_VSCROLL, SB_TOP },       { &CRichEditUI::ScrollToBottom, WM_VSCROLL, SB_BOTTOM },
        { &CRichEditUI::LineLeft, WM_HSCROLL, SB_LINELEFT },     { &CRichEditUI::LineRight, WM_HSCROLL, SB_LINERIGHT },
        { &CRichEditUI::PageLeft, WM_HSCROLL, SB_PAGELEFT },     { &CRichEditUI::PageRight, WM_HSCROLL, SB_PAGERIGHT },
        { &CRichEditUI::ScrollToLeft, WM_HSCROLL, SB_LEFT },     { &CRichEditUI::ScrollToRight, WM_HSCROLL, SB_RIGHT },
    };
    for (const Op& op : ops) {
        fake->sent.clear();
        (win.re->*op.fn)();
        ASSERT_EQ(1u, fake->sent.size());
        EXPECT_EQ(op.msg, fake->sent[0].msg);
        EXPECT_EQ(op.code, fake->sent[0].wParam);
    }

    // The plain wheel scrolls the container (one line to the engine);
    // Ctrl+wheel goes to the engine as it is.
    fake->sent.clear();
    win.host.Wheel(100, 50, -120);
    EXPECT_EQ(1, fake->Count(WM_VSCROLL, SB_LINEDOWN));
    EXPECT_EQ(0, fake->CountMsg(WM_MOUSEWHEEL));
    POINT pt = { 100, 50 };
    ::ClientToScreen(win.host.GetHWND(), &pt);
    win.Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (WORD)(short)-120), MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(1, fake->CountMsg(WM_MOUSEWHEEL));
}

// Records the WM_NOTIFY codes that reach the window.
class NotifyCodes : public IMessageFilterUI
{
public:
    std::vector<UINT> codes;
    LRESULT FilterMessage(UINT uMsg, WPARAM, LPARAM lParam, bool&) override
    {
        if (uMsg == WM_NOTIFY)
            codes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        return 0;
    }
};

TEST(RichEditHost, EngineNotificationsPassedToTheWindowAndResizeRequests)
{
    FakeEngine engine;
    RichWindow win;
    ASSERT_TRUE(win.Open(L""));
    NotifyCodes seen;
    win.host.pm.AddMessageFilter(&seen);
    ITextHost* host = LastFake()->host;
    const DWORD codes[] = { EN_MSGFILTER, EN_REQUESTRESIZE, EN_SELCHANGE, EN_CORRECTTEXT, EN_IMECHANGE,
                            EN_LINK,      EN_DRAGDROPDONE,  0x70D,        EN_SETFOCUS,    EN_UPDATE };
    for (DWORD code : codes) {
        REQRESIZE req;
        ZeroMemory(&req, sizeof(req));
        req.rc.right = 150;
        req.rc.bottom = 300;
        host->TxNotify(code, &req);
    }
    EXPECT_EQ((std::vector<UINT>{ EN_MSGFILTER, EN_SELCHANGE, EN_LINK, EN_DRAGDROPDONE }), seen.codes);
    // The resize request gave the text a new client rectangle.
    RECT rc;
    host->TxGetClientRect(&rc);
    EXPECT_EQ(150, rc.right - rc.left);
    EXPECT_EQ(300, rc.bottom - rc.top);
    win.host.pm.RemoveMessageFilter(&seen);
}

TEST(RichEditHost, ClicksOnAControlAboveAndMouseOffControlsStayAwayFromTheEngine)
{
    FakeEngine engine;
    {
        RichWindow win;
        ASSERT_TRUE(win.Open(L"", true));
        FakeTextServices* fake = LastFake();
        win.host.Click(170, 95);   // the button lying over the rich edit
        EXPECT_EQ(0, fake->CountMsg(WM_LBUTTONDOWN));
        EXPECT_NE(static_cast<CControlUI*>(win.re), win.host.pm.GetFocus());
        win.host.Click(50, 50);
        EXPECT_EQ(1, fake->CountMsg(WM_LBUTTONDOWN));
        EXPECT_EQ(1, fake->CountMsg(WM_LBUTTONUP));
        EXPECT_EQ(static_cast<CControlUI*>(win.re), win.host.pm.GetFocus());
        EXPECT_GE(fake->Count(WM_SETFOCUS, 0), 1);
    }
    {
        RichWindow win;
        ASSERT_TRUE(win.Open(L"mouse=\"false\""));
        FakeTextServices* fake = LastFake();
        win.host.Click(50, 50);
        EXPECT_EQ(0, fake->CountMsg(WM_LBUTTONDOWN));
        EXPECT_EQ(0, fake->CountMsg(WM_MOUSEMOVE));
    }
    EXPECT_EQ(0, FakeTextServices::alive);   // each host released its engine
}

TEST(RichEditHost, WithoutAnEngineTheControlIsInert)
{
    FakeEngine engine;
    FactoryFails() = true;
    RichWindow win;
    ASSERT_TRUE(win.Open(L"bkcolor=\"#FF00FF00\""));
    EXPECT_FALSE(win.re->HasHost());
    win.re->SetText(L"kept");
    EXPECT_STREQ(L"", win.re->GetText().GetData());
    LRESULT l = 0;
    EXPECT_EQ(S_FALSE, win.re->SendTextMessage(EM_GETLIMITTEXT, 0, 0, &l));
    win.re->SetFocus();
    win.Type(L"ab");
    win.host.Click(50, 50);
    win.host.Wheel(50, 50, -120);
    Canvas canvas(320, 200);
    win.host.Update();
    ASSERT_TRUE(canvas.CaptureWindow(win.host.GetHWND()));
    EXPECT_EQ(0x0000FF00u, canvas.Pixel(100, 60) & 0x00FFFFFF);
}

} // namespace
