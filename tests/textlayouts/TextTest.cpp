// The text control: its defaults, links of a tagged text as hit areas (the
// "link" notification, the hand cursor, the hover colour), links past the
// eighth, a cleared text, and its height measured from the wrapped text.
#include "LayoutTestUtil.h"

#include "UIText.h"
#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace layouttest;
using testsupport::Canvas;

namespace {

class TextProbe : public CTextUI
{
public:
    int Links() const { return m_nLinks; }
    CUIRect LinkRect(int i) const { return m_rcLinks[i]; }
    UINT Style() const { return m_uTextStyle; }
    CUIRect Padding() const { return m_rcTextPadding; }
    int Hover() const { return m_nHoverLink; }
};

// "TextProbe" elements become probes.
class ProbeCallback : public IDialogBuilderCallback
{
public:
    CControlUI* CreateControl(LPCTSTR pstrClass) override
    {
        return wcscmp(pstrClass, L"TextProbe") == 0 ? new TextProbe : NULL;
    }
};

const DWORD kLink = 0xFF0000FF;
const DWORD kHover = 0xFFFF0000;

// A white window with one text of two links on one line.
const wchar_t kTwoLinks[] =
    L"<Window linkfontcolor=\"#FF0000FF\" linkhoverfontcolor=\"#FFFF0000\" defaultfontcolor=\"#FF000000\">"
    L"<Font name=\"Arial\" size=\"16\" default=\"true\"/>"
    L"<VerticalLayout bkcolor=\"#FFFFFFFF\">"
    L"<TextProbe name=\"t\" height=\"60\" showhtml=\"true\" "
    L"text=\"Read {a first}first one{/a} or {a second}second one{/a} now\"/>"
    L"<Control/></VerticalLayout></Window>";

void SetCursorOver(HWND hwnd, POINT pt)
{
    ::ClientToScreen(hwnd, &pt);
    ::SetCursorPos(pt.x, pt.y);
    ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// Puts the pointer back where the other tests expect it, away from the windows.
struct PointerBack
{
    ~PointerBack() { ::SetCursorPos(640, 512); }
};

TEST(TextNames, ClassInterfacesAndDefaults)
{
    TextProbe text;
    EXPECT_STREQ(L"TextUI", text.GetClassName());
    EXPECT_EQ(static_cast<void*>(&text), text.GetInterface(L"Text"));
    EXPECT_EQ(static_cast<void*>(static_cast<CLabelUI*>(&text)), text.GetInterface(L"Label"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&text)), text.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, text.GetInterface(L"text"));
    EXPECT_EQ(nullptr, text.GetInterface(L"Button"));
    EXPECT_EQ((UINT)DT_WORDBREAK, text.Style());
    EXPECT_RECT(CUIRect(2, 0, 2, 0), text.Padding());
    EXPECT_EQ(0, text.Links());
    EXPECT_EQ(-1, text.Hover());
    EXPECT_EQ(0u, text.GetInputFlags());
    EXPECT_EQ(nullptr, text.GetLinkContent(0));
}

class TextLinksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(win.Build(320, 120, kTwoLinks, &callback)) << win.error;
        text = win.Find<TextProbe>(L"t");
        ASSERT_NE(nullptr, text);
        win.rec.watched = { L"link" };
        win.rec.Clear();
        ASSERT_EQ(2, text->Links());
    }

    ProbeCallback callback;
    BuiltWindow win;
    TextProbe* text = nullptr;
    PointerBack pointerBack;
};

TEST_F(TextLinksTest, TwoLinksAreLaidOutAndAClickReportsItsIndex)
{
    const CUIRect first = text->LinkRect(0);
    const CUIRect second = text->LinkRect(1);
    EXPECT_FALSE(::IsRectEmpty(&first)) << RectText(first);
    EXPECT_FALSE(::IsRectEmpty(&second)) << RectText(second);
    EXPECT_LT(first.right, second.left);
    EXPECT_EQ(first.top, second.top);   // one line
    EXPECT_STREQ(L"first", text->GetLinkContent(0));
    EXPECT_STREQ(L"second", text->GetLinkContent(1));
    EXPECT_EQ(nullptr, text->GetLinkContent(2));
    EXPECT_EQ((UINT)WantSetCursor, text->GetInputFlags());

    POINT pt = Center(second);
    win.host.Click(pt.x, pt.y);
    ASSERT_EQ(1u, win.rec.items.size());
    EXPECT_EQ(text, win.rec.items[0].sender);
    EXPECT_EQ(1u, win.rec.items[0].wParam);
    EXPECT_EQ(0, win.rec.items[0].lParam);

    pt = Center(first);
    win.host.Click(pt.x, pt.y);
    ASSERT_EQ(2u, win.rec.items.size());
    EXPECT_EQ(0u, win.rec.items[1].wParam);

    // Beside the links, and a press on a link released beside it: no link.
    win.host.Click(first.left - 6, pt.y);
    win.host.Press(pt.x, pt.y);
    win.host.Release(first.left - 6, pt.y);
    EXPECT_EQ(2u, win.rec.items.size());

    // A disabled text keeps its links but reports none.
    text->SetEnabled(false);
    EXPECT_EQ(0u, text->GetInputFlags());
    win.host.Click(pt.x, pt.y);
    EXPECT_EQ(2u, win.rec.items.size());
}

TEST_F(TextLinksTest, TheHandCursorShowsOverALinkOnly)
{
    const HCURSOR hand = ::LoadCursor(NULL, IDC_HAND);
    const HCURSOR arrow = ::LoadCursor(NULL, IDC_ARROW);
    SetCursorOver(win.Hwnd(), Center(text->LinkRect(1)));
    EXPECT_EQ(hand, ::GetCursor());
    POINT beside = { text->LinkRect(0).left - 6, Center(text->LinkRect(0)).y };
    SetCursorOver(win.Hwnd(), beside);
    EXPECT_EQ(arrow, ::GetCursor());
    SetCursorOver(win.Hwnd(), Center(text->LinkRect(0)));
    EXPECT_EQ(hand, ::GetCursor());
}

TEST_F(TextLinksTest, TheLinkUnderThePointerRepaintsInTheHoverColour)
{
    const CUIRect first = text->LinkRect(0);
    const CUIRect second = text->LinkRect(1);
    Canvas canvas(320, 120);
    win.PaintInto(canvas);
    EXPECT_GT(CountColour(canvas, first, kLink), 0);
    EXPECT_EQ(0, CountColour(canvas, first, kHover));

    win.host.ClearUpdate();
    const POINT pt = Center(first);
    win.host.Move(pt.x, pt.y, 0);
    EXPECT_EQ(0, text->Hover());
    RECT rcUpdate = win.host.UpdateRect();
    EXPECT_FALSE(::IsRectEmpty(&rcUpdate));

    canvas.Fill(0xFFFFFFFF);
    win.PaintInto(canvas);
    canvas.SavePng(testsupport::OutputDir() + L"text_hover.png");
    EXPECT_GT(CountColour(canvas, first, kHover), 0);
    EXPECT_EQ(0, CountColour(canvas, first, kLink));
    EXPECT_GT(CountColour(canvas, second, kLink), 0);

    // Moving within the same link repaints nothing; leaving clears the hover.
    win.host.ClearUpdate();
    win.host.Move(pt.x + 1, pt.y, 0);
    rcUpdate = win.host.UpdateRect();
    EXPECT_TRUE(::IsRectEmpty(&rcUpdate));
    UIEvent leave = ctltest::MakeEvent(UIEventMouseLeave, pt);
    text->DispatchEvent(leave);
    EXPECT_EQ(-1, text->Hover());
    rcUpdate = win.host.UpdateRect();
    EXPECT_FALSE(::IsRectEmpty(&rcUpdate));
    canvas.DumpIfFailed("text_hover_failed");
}

TEST_F(TextLinksTest, AClearedTextHasNoLinksAtItsNextPaint)
{
    text->SetText(L"");
    EXPECT_EQ(2, text->Links());   // until it paints
    win.host.Update();
    EXPECT_EQ(0, text->Links());
    EXPECT_EQ(0u, text->GetInputFlags());
    PointerBack back;
    SetCursorOver(win.Hwnd(), Center(text->LinkRect(1)));
    EXPECT_EQ(::LoadCursor(NULL, IDC_ARROW), ::GetCursor());
}

TEST_F(TextLinksTest, PlainPaintsKeepTheRectanglesOfTheLastTaggedPaint)
{
    // Known behaviour: a plain paint does not lay out links, so the areas of
    // the last tagged paint stay clickable.
    const CUIRect second = text->LinkRect(1);
    text->SetShowHtml(false);
    win.host.Update();
    EXPECT_EQ((int)CTextUI::MAX_LINK, text->Links());
    EXPECT_RECT(second, text->LinkRect(1));
    const POINT pt = Center(second);
    win.host.Click(pt.x, pt.y);
    ASSERT_EQ(1u, win.rec.items.size());
    EXPECT_EQ(1u, win.rec.items[0].wParam);
}

TEST(TextLinks, OnlyTheFirstEightLinksAreTracked)
{
    std::wstring xml = L"<Window><Font name=\"Arial\" size=\"12\" default=\"true\"/><VerticalLayout>"
                       L"<TextProbe name=\"t\" showhtml=\"true\" text=\"";
    for (int i = 0; i < 11; ++i)
        xml += L"{a l" + std::to_wstring(i) + L"}" + std::to_wstring(i) + L"{/a} ";
    xml += L"\"/></VerticalLayout></Window>";
    ProbeCallback callback;
    BuiltWindow win;
    ASSERT_TRUE(win.Build(400, 200, xml.c_str(), &callback)) << win.error;
    TextProbe* text = win.Find<TextProbe>(L"t");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ((int)CTextUI::MAX_LINK, text->Links());
    EXPECT_STREQ(L"l0", text->GetLinkContent(0));
    EXPECT_STREQ(L"l7", text->GetLinkContent(7));
    EXPECT_EQ(nullptr, text->GetLinkContent(8));
    for (int i = 1; i < CTextUI::MAX_LINK; ++i)
        EXPECT_LT(text->LinkRect(i - 1).right, text->LinkRect(i).left) << i;

    win.rec.watched = { L"link" };
    win.rec.Clear();
    const POINT pt = Center(text->LinkRect(7));
    win.host.Click(pt.x, pt.y);
    ASSERT_EQ(1u, win.rec.items.size());
    EXPECT_EQ(7u, win.rec.items[0].wParam);
}

TEST(TextMeasure, HeightFollowsTheWrappedLinesAndWidthAddsThePadding)
{
    BuiltWindow win;
    ASSERT_TRUE(win.Build(200, 300,
                          L"<Window><Font name=\"Arial\" size=\"15\" default=\"true\"/>"
                          L"<VerticalLayout><Text name=\"t\"/><Control/></VerticalLayout></Window>"))
        << win.error;
    CTextUI* text = win.Find<CTextUI>(L"t");
    ASSERT_NE(nullptr, text);
    const TEXTMETRICW tm = FontMetrics(win.host.pm);
    ASSERT_GT(tm.tmHeight, 0);

    // As many words as fit on a line of 200 - 4 pixels, three times over.
    const wchar_t* word = L"abcdef";
    const int cxWord = TextWidth(win.host.pm, word);
    const int cxBlank = TextWidth(win.host.pm, L" ");
    const int perLine = (196 + cxBlank) / (cxWord + cxBlank);
    ASSERT_GE(perLine, 2);
    std::wstring wrapping;
    for (int i = 0; i < 3 * perLine; ++i)
        wrapping += i == 0 ? std::wstring(word) : L" " + std::wstring(word);
    // The widths are those the platform measures for the same text and rect.
    auto measured = [&win](const std::wstring& text) {
        RECT rc = { 2, 0, 198, 9999 };
        HDC hDC = ::GetDC(NULL);
        HGDIOBJ old = ::SelectObject(hDC, win.host.pm.GetFont(-1));
        ::DrawTextW(hDC, text.c_str(), -1, &rc, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        ::SelectObject(hDC, old);
        ::ReleaseDC(NULL, hDC);
        return rc.right - rc.left;
    };
    const int cxLine = measured(wrapping);
    EXPECT_GE(cxLine, perLine * cxWord + (perLine - 1) * cxBlank);

    struct Case
    {
        const char* what;
        std::wstring text;
        const wchar_t* attributes;
        int cx;    // expected
        int cy;
    };
    const Case cases[] = {
        { "three words that wrap", wrapping, L"", cxLine + 4, 3 * tm.tmHeight },
        { "line feeds", L"one\ntwo\nthree", L"", TextWidth(win.host.pm, L"three") + 4, 3 * tm.tmHeight },
        { "vertical padding", L"one\ntwo\nthree", L"textpadding=\"3,5,1,7\"", TextWidth(win.host.pm, L"three") + 4,
          3 * tm.tmHeight + 12 },
        { "a fixed height wins", wrapping, L"height=\"77\"", cxLine + 4, 77 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        text->SetFixedHeight(0);
        text->SetTextPadding(CUIRect(2, 0, 2, 0));
        text->ApplyAttributes(c.attributes);
        text->SetText(c.text.c_str());
        const CUISize sz = text->MeasureSize(CUISize(200, 0));
        EXPECT_EQ(c.cx, sz.cx);
        EXPECT_EQ(c.cy, sz.cy);
    }

    // In a vertical layout of the same width the text is as high as its lines.
    text->SetFixedHeight(0);
    text->SetTextPadding(CUIRect(2, 0, 2, 0));
    text->SetText(wrapping.c_str());
    win.host.Update();
    EXPECT_EQ(3 * tm.tmHeight, text->GetHeight()) << RectText(text->GetPos());
}

} // namespace
