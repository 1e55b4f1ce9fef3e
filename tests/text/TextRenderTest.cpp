// Plain and tagged text: sizes measured with DT_CALCRECT and link rectangles
// checked against GetTextExtentPoint32W in the same fonts; wrapping, ellipsis,
// alignment; colours, the selected background, images and hover checked by
// counting pixels of a colour class in a region (never by comparing text
// against stored pictures: fonts under Wine are substituted).
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "TextTestSupport.h"
#include "UIManager.h"
#include "UIRender.h"

namespace SkinUI {
inline bool operator==(const CUIRect& a, const CUIRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const CUIRect& r, std::ostream* os)
{
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
}  // namespace SkinUI

using namespace SkinUI;
using namespace texttest;
using testsupport::Canvas;

namespace {

const DWORD BLACK = 0xFF000000;

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"text\\").c_str());
        // A larger default font gives solid strokes for the colour checks.
        // The face stays whatever the stock font maps to here.
        UIFontInfo* def = M()->GetDefaultFontInfo();
        ASSERT_NE(nullptr, def);
        const CUIString face = def->sFontName;
        M()->SetDefaultFont(face, 20, false, false, false);
    }
    void TearDown() override { CUIManager::ResetResourceState(); }

    CUIManager* M() const { return m_host.get(); }
    HFONT DefaultFont() const { return M()->GetDefaultFontInfo()->hFont; }
    // A variant of the default font as the renderer asks the manager for it.
    HFONT Variant(bool bold, bool underline, bool italic) const
    {
        UIFontInfo* def = M()->GetDefaultFontInfo();
        return M()->FindFont(def->sFontName, def->iSize, bold, underline, italic);
    }
    int Ext(const std::wstring& s, HFONT font = NULL) const
    {
        return Extent(m_measure.dc(), font != NULL ? font : DefaultFont(), s);
    }
    int Lh() const { return LineHeight(m_measure.dc(), DefaultFont()); }

    // DT_CALCRECT over rc; returns the measured rectangle.
    CUIRect Calc(const std::wstring& text, RECT rc, UINT style = 0)
    {
        int n = 0;
        CUIRender::DrawTaggedText(m_measure.dc(), M(), rc, text.c_str(), BLACK, NULL, NULL, n,
                                  style | DT_CALCRECT);
        return CUIRect(rc);
    }

    struct Links {
        std::vector<CUIRect> rects;
        std::vector<CUIString> texts;
        int count;
    };
    // Draws (or measures) with room for `capacity` links plus two sentinels.
    Links DrawLinks(HDC dc, const std::wstring& text, RECT rc, UINT style, int capacity,
                    const Links* previous = NULL)
    {
        Links l;
        l.rects.assign(capacity + 2, CUIRect(-7, -7, -7, -7));
        l.texts.assign(capacity + 2, CUIString(L"sentinel"));
        if (previous != NULL) {
            for (int i = 0; i < capacity && i < (int)previous->rects.size(); i++) {
                l.rects[i] = previous->rects[i];
                l.texts[i] = previous->texts[i];
            }
        }
        l.count = capacity;
        CUIRender::DrawTaggedText(dc, M(), rc, text.c_str(), BLACK, l.rects.data(), l.texts.data(), l.count,
                                  style);
        EXPECT_EQ(CUIRect(-7, -7, -7, -7), l.rects[capacity]) << "wrote past the capacity";
        EXPECT_STREQ(L"sentinel", l.texts[capacity + 1].GetData());
        return l;
    }

    ManagerHost m_host;
    Canvas m_measure{ 8, 8 };
};

// Leftmost and rightmost columns with ink in a band of rows, -1 when none.
void InkColumns(const Canvas& c, int top, int bottom, int* first, int* last)
{
    *first = -1;
    *last = -1;
    for (int x = 0; x < c.Width(); x++) {
        for (int y = top; y < bottom; y++) {
            if (IsInk(c.Pixel(x, y))) {
                if (*first < 0) *first = x;
                *last = x;
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Plain text
// ---------------------------------------------------------------------------

TEST_F(TextTest, PlainTextMeasuresAndDrawsInTheManagersFont)
{
    Canvas canvas(300, 60);
    // Index out of range (and -1) means the default font.
    for (int index : { -1, 0, 25 }) {
        RECT rc = { 10, 10, 290, 50 };
        CUIRender::DrawPlainText(canvas.dc(), M(), rc, L"Plain & simple", BLACK, index, DT_SINGLELINE | DT_CALCRECT);
        EXPECT_EQ(10 + Ext(L"Plain & simple"), rc.right) << "index " << index;
        EXPECT_EQ(10 + Lh(), rc.bottom) << "index " << index;
    }
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(0, 0, 300, 60), IsInk)) << "DT_CALCRECT drew";

    // "&" is no prefix: the text is drawn as written, in the colour given.
    HGDIOBJ before = ::GetCurrentObject(canvas.dc(), OBJ_FONT);
    RECT rc = { 10, 10, 290, 50 };
    CUIRender::DrawPlainText(canvas.dc(), M(), rc, L"Plain & simple", 0xFFFF0000, -1, DT_SINGLELINE);
    EXPECT_EQ(before, ::GetCurrentObject(canvas.dc(), OBJ_FONT)) << "previous font not selected back";
    const int w = Ext(L"Plain & simple");
    EXPECT_GT(CountPixels(canvas, CUIRect(10, 10, 10 + w, 50), IsReddish), 20);
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(12 + w, 0, 300, 60), IsInk));
    canvas.DumpIfFailed("plain_text");

    // No manager or no text: nothing at all.
    Canvas empty(100, 30);
    RECT r2 = { 0, 0, 100, 30 };
    CUIRender::DrawPlainText(empty.dc(), NULL, r2, L"x", BLACK, -1, 0);
    CUIRender::DrawPlainText(empty.dc(), M(), r2, NULL, BLACK, -1, 0);
    EXPECT_EQ(0, CountPixels(empty, CUIRect(0, 0, 100, 30), IsInk));
}

// ---------------------------------------------------------------------------
// Measuring tagged text
// ---------------------------------------------------------------------------

TEST_F(TextTest, CalcRectSizesOfTagsAndEscapes)
{
    const int lh = Lh();
    struct Case {
        const wchar_t* text;
        int width;
        int height;
    } cases[] = {
        { L"Hello world", Ext(L"Hello world"), lh },
        { L"", 0, lh },
        { L"ab\ncd\nlonger line", Ext(L"longer line"), 3 * lh },
        { L"ab<n>cd", Ext(L"ab") > Ext(L"cd") ? Ext(L"ab") : Ext(L"cd"), 2 * lh },
        // Colour tags with angle brackets, braces and mixed delimiters.
        { L"<c #FFFF0000>red</c>", Ext(L"red"), lh },
        { L"{c FF0000}red{/c}", Ext(L"red"), lh },
        { L"<c #FF0000}red{/c>", Ext(L"red"), lh },
        // Escapes are single characters.
        { L"a<{>b", Ext(L"a") + Ext(L"{") + Ext(L"b"), lh },
        { L"a{<}b{>}c", Ext(L"a") + Ext(L"<") + Ext(L"b") + Ext(L">") + Ext(L"c"), lh },
        // Raw text keeps its tags as characters.
        { L"<r><b>x</b></r>", Ext(L"<b>x</b>"), lh },
        // Unknown tags and unmatched closing tags are skipped.
        { L"<q>abc</q></z>", Ext(L"abc"), lh },
        // Brackets that start no tag are text.
        { L"a < b", Ext(L"a ") + Ext(L"< b"), lh },
        { L"<B>", Ext(L"<B>"), lh },
        { L"x<b", Ext(L"x") + Ext(L"<b"), lh },
        // x advances, y sets the line height.
        { L"<x 10>abc", 10 + Ext(L"abc"), lh },
        { L"<y 40>abc", Ext(L"abc"), 40 },
        // A paragraph's spacing raises the line it ends.
        { L"<p 5>ab</p>cd", Ext(L"ab") > Ext(L"cd") ? Ext(L"ab") : Ext(L"cd"), 2 * lh + 5 },
        // Opened or closed away from the line start, a paragraph ends the
        // line, and its spacing goes only to its own lines.
        { L"ab<p 5>cd", Ext(L"ab") > Ext(L"cd") ? Ext(L"ab") : Ext(L"cd"), 2 * lh + 5 },
        { L"ab<p 5>cd</p>ab", Ext(L"ab") > Ext(L"cd") ? Ext(L"ab") : Ext(L"cd"), 3 * lh + 5 },
        // A missing image is skipped.
        { L"<i nothere.png>abc", Ext(L"abc"), lh },
        // An image raises its line to its own height.
        { L"<i strip.png 3 1>abc", 20 + Ext(L"abc"), lh > 20 ? lh : 20 },
        { L"<i file='bar.png'>", 10, lh > 30 ? lh : 30 },
    };
    for (const Case& c : cases) {
        const CUIRect r = Calc(c.text, CUIRect(10, 20, 1010, 1020));
        EXPECT_EQ(CUIRect(10, 20, 10 + c.width, 20 + c.height), r) << "text: " << testsupport::Narrow(c.text);
    }
}

TEST_F(TextTest, LinesGoOnWhileTheirTopIsInsideTheRect)
{
    const int lh = Lh();
    // The second line starts exactly at the bottom: it is still laid out;
    // the third starts below it and is not.
    const CUIRect r = Calc(L"a\nb\nc", CUIRect(0, 0, 500, lh));
    EXPECT_EQ(2 * lh, r.bottom);
}

TEST_F(TextTest, CalcRectDrawsNothingAndOnlyShrinksTheRight)
{
    Canvas canvas(200, 60);
    RECT rc = { 5, 5, 195, 55 };
    int n = 0;
    CUIRender::DrawTaggedText(canvas.dc(), M(), rc, L"<c #FF0000>red</c> <s>sel</s> <i strip.png 3 0>", BLACK,
                              NULL, NULL, n, DT_CALCRECT);
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(0, 0, 200, 60), IsInk));
    // Wider than the rect: the right is that of the part that fits, the
    // bottom grows to the line.
    const std::wstring text = L"a long text that does not fit";
    size_t k = 1;
    while (k < text.size() && Ext(text.substr(0, k + 1)) <= 30) k++;
    RECT narrow = { 0, 0, 30, 5 };
    CUIRender::DrawTaggedText(canvas.dc(), M(), narrow, text.c_str(), BLACK, NULL, NULL, n,
                              DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(Ext(text.substr(0, k)), narrow.right);
    EXPECT_EQ(Lh(), narrow.bottom);
}

TEST_F(TextTest, BoldItalicAndUnderlineUseTheirFontVariants)
{
    const CUIRect r = Calc(L"<b>Hello</b> Hello", CUIRect(0, 0, 1000, 1000));
    HFONT bold = Variant(true, false, false);
    ASSERT_NE(nullptr, bold) << "the renderer did not get a bold variant from the manager";
    EXPECT_NE(bold, DefaultFont());
    EXPECT_EQ(Ext(L"Hello", bold) + Ext(L" ") + Ext(L"Hello"), r.right);
    EXPECT_GT(Ext(L"Hello", bold), Ext(L"Hello")) << "the bold variant is not bolder";

    // Redundant nesting: each closing tag closes its own opening, so "z" is
    // still bold after the inner </b>.
    const CUIRect nested = Calc(L"<b>x<b>y</b>z</b>w", CUIRect(0, 0, 1000, 1000));
    EXPECT_EQ(Ext(L"x", bold) + Ext(L"y", bold) + Ext(L"z", bold) + Ext(L"w"), nested.right);

    // Underline inside a link keeps the underline after the link closes: the
    // "t" after </a> still has a row of ink across its whole advance.
    {
        Canvas canvas(200, 60);
        RECT rc = { 0, 0, 200, 60 };
        int n = 0;
        CUIRender::DrawTaggedText(canvas.dc(), M(), rc, L"<u><a>l</a>tt</u>xx", BLACK, NULL, NULL, n, 0);
        HFONT under = Variant(false, true, false);
        ASSERT_NE(nullptr, under);
        const int x0 = Ext(L"l", under);
        auto underlined = [&](int from, int to) {
            for (int y = 0; y < Lh(); y++) {
                int ink = 0;
                for (int x = from; x < to; x++) ink += IsInk(canvas.Pixel(x, y)) ? 1 : 0;
                if (ink == to - from) return true;
            }
            return false;
        };
        EXPECT_TRUE(underlined(x0 + 1, x0 + Ext(L"tt", under) - 1)) << "\"tt\" lost its underline";
        const int x1 = x0 + Ext(L"tt", under);
        EXPECT_FALSE(underlined(x1 + 1, x1 + Ext(L"xx") - 1)) << "\"xx\" is underlined";
        canvas.DumpIfFailed("underline");
    }
    // Italic: the variant is made; closing it advances by half the C width of
    // a blank in the italic font (0 when the platform gives none).
    const CUIRect it = Calc(L"<i>ab</i>c", CUIRect(0, 0, 1000, 1000));
    HFONT italic = Variant(false, false, true);
    ASSERT_NE(nullptr, italic);
    ABC abc = {};
    HGDIOBJ old = ::SelectObject(m_measure.dc(), italic);
    if (!::GetCharABCWidthsW(m_measure.dc(), L' ', L' ', &abc)) abc.abcC = 0;
    ::SelectObject(m_measure.dc(), old);
    EXPECT_EQ(Ext(L"ab", italic) + abc.abcC / 2 + Ext(L"c"), it.right);
}

TEST_F(TextTest, FontTagByIndexAndByFace)
{
    UIFontInfo* def = M()->GetDefaultFontInfo();
    HFONT big = M()->AddFont(def->sFontName, 40, false, false, false);
    ASSERT_NE(nullptr, big) << "AddFont";
    const int bigLh = LineHeight(m_measure.dc(), big);
    ASSERT_GT(bigLh, Lh());

    // By index: the whole line takes the taller font's height.
    CUIRect r = Calc(L"ab<f 0>Big</f>cd", CUIRect(0, 0, 1000, 1000));
    EXPECT_EQ(Ext(L"ab") + Ext(L"Big", big) + Ext(L"cd"), r.right);
    EXPECT_EQ(bigLh, r.bottom);
    // An index out of range is the default font.
    r = Calc(L"<f 99>Big</f>", CUIRect(0, 0, 1000, 1000));
    EXPECT_EQ(Ext(L"Big"), r.right);

    // By face, size and words (lower-cased); the default size is 10 pixels.
    // (Whatever font the face maps to here: only the manager's records count.)
    HFONT sans = M()->AddFont(L"Sans", 30, false, false, false);
    ASSERT_NE(nullptr, sans);
    r = Calc(L"<f Sans 30>Big</f>", CUIRect(0, 0, 1000, 1000));
    EXPECT_EQ(Ext(L"Big", sans), r.right) << "not the manager's font of that face and size";
    EXPECT_EQ(LineHeight(m_measure.dc(), sans), r.bottom);
    Calc(L"<f Sans 24 BOLD Italic>x</f><f Sans>y</f><f Sans underline>z</f>", CUIRect(0, 0, 1000, 1000));
    EXPECT_NE(nullptr, M()->FindFont(L"Sans", 24, true, false, true));
    EXPECT_NE(nullptr, M()->FindFont(L"Sans", 10, false, false, false));
    EXPECT_NE(nullptr, M()->FindFont(L"Sans", 10, false, true, false));
}

TEST_F(TextTest, FontSizesAreBoundedForEveryWayInto)
{
    auto height = [](HFONT font) {
        LOGFONTW lf = {};
        ::GetObjectW(font, sizeof(lf), &lf);
        return lf.lfHeight;
    };
    const CUIString face = M()->GetDefaultFontInfo()->sFontName;
    const int kMax = CUIManager::MAX_FONT_SIZE;
    struct Case {
        int size;
        int stored;    // the record's size
        LONG height;   // lfHeight of the font made
    } cases[] = {
        { 400, 400, -400 }, { 401, kMax, -kMax }, { 65535, kMax, -kMax }, { 2147483647, kMax, -kMax },
        { -65535, -kMax, kMax }, { -400, -400, 400 }, { 12, 12, -12 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        HFONT font = M()->AddFont(face, c.size, true, false, false);
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(c.height, height(font));
        EXPECT_EQ(c.stored, M()->GetFontInfoByHandle(font)->iSize);
        // The same request finds a font of the bounded size (the first made for it).
        HFONT found = M()->FindFont(face, c.size, true, false, false);
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(c.stored, M()->GetFontInfoByHandle(found)->iSize);
    }
    M()->SetDefaultFont(face, 65535, false, false, false);
    EXPECT_EQ(kMax, M()->GetDefaultFontInfo()->iSize);
    EXPECT_EQ(-kMax, height(M()->GetDefaultFontInfo()->hFont));

    // A tag asking for a huge size gets the bounded font, once.
    auto fontCount = [this]() {
        int n = 0;
        while (n < 1000 && M()->GetFontInfoByIndex(n) != M()->GetDefaultFontInfo()) n++;
        return n;
    };
    const std::wstring text = L"<f Sans 99999>x</f>";
    CUIRect r = Calc(text, CUIRect(0, 0, 2000, 2000));
    const int after = fontCount();
    HFONT tagged = M()->FindFont(L"Sans", kMax, false, false, false);
    ASSERT_NE(nullptr, tagged);
    EXPECT_EQ(-kMax, height(tagged));
    EXPECT_EQ(LineHeight(m_measure.dc(), tagged), r.bottom);
    for (int i = 0; i < 3; i++) Calc(text, CUIRect(0, 0, 2000, 2000));
    EXPECT_EQ(after, fontCount());
}

TEST_F(TextTest, LongFaceNamesAreNotAddedAgainOnEveryPaint)
{
    auto fontCount = [this]() {
        int n = 0;
        while (n < 1000 && M()->GetFontInfoByIndex(n) != M()->GetDefaultFontInfo()) n++;
        return n;
    };
    const std::wstring text = L"<f ThisFaceNameIsMuchLongerThanThirtyTwoCharacters 14 bold>x</f>";
    Calc(text, CUIRect(0, 0, 500, 100));
    const int after1 = fontCount();
    EXPECT_GE(after1, 1);
    for (int i = 0; i < 3; i++) Calc(text, CUIRect(0, 0, 500, 100));
    EXPECT_EQ(after1, fontCount());
}

// ---------------------------------------------------------------------------
// Wrapping and ellipsis
// ---------------------------------------------------------------------------

TEST_F(TextTest, WordBreakBreaksOnlyAfterNonLetters)
{
    const int lh = Lh();
    // Room for "aaa bbb " but not for the "c" after it.
    const int w1 = Ext(L"aaa bbb ") + 1;
    CUIRect r = Calc(L"aaa bbb ccc", CUIRect(0, 0, w1, 1000), DT_WORDBREAK);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"aaa bbb "), 2 * lh), r);

    // Cut inside "bbb": the line breaks after the blank, not inside the word.
    const int w2 = Ext(L"aaa bb") + 1;
    ASSERT_LT(w2, Ext(L"aaa bbb"));
    r = Calc(L"aaa bbb", CUIRect(0, 0, w2, 1000), DT_WORDBREAK);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"aaa "), 2 * lh), r);
    // Punctuation and digits allow a break after them.
    r = Calc(L"ab,cd", CUIRect(0, 0, Ext(L"ab,c") + 1, 1000), DT_WORDBREAK);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"ab,"), 2 * lh), r);
    r = Calc(L"12345", CUIRect(0, 0, Ext(L"1234") + 1, 1000), DT_WORDBREAK);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"1234"), 2 * lh), r);
    // A word longer than the line is cut where it overflows.
    r = Calc(L"abcdefgh", CUIRect(0, 0, Ext(L"abcd") + 1, 1000), DT_WORDBREAK);
    EXPECT_EQ(2 * lh, r.bottom);
    EXPECT_EQ(Ext(L"abcd"), r.right);
    // The rest of a word after a tag that does not fit moves to the next
    // line whole.
    Calc(L"<b>a</b>", CUIRect(0, 0, 100, 100));   // makes the bold variant
    HFONT bold = Variant(true, false, false);
    ASSERT_NE(nullptr, bold);
    const int wb = Ext(L"aaaa", bold);
    ASSERT_LE(Ext(L"bb"), wb + Ext(L"b"));
    r = Calc(L"<b>aaaa</b>bb", CUIRect(0, 0, wb + Ext(L"b") + 1, 1000), DT_WORDBREAK);
    EXPECT_EQ(CUIRect(0, 0, std::max(wb, Ext(L"bb")), 2 * lh), r);    // Without DT_WORDBREAK, lines are cut at any character.
    r = Calc(L"aaa bbb", CUIRect(0, 0, w2, 1000), 0);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"aaa bb"), 2 * lh), r);
    // Single line: the rest is not laid out.
    r = Calc(L"aaa bbb ccc", CUIRect(0, 0, w1, 1000), DT_WORDBREAK | DT_SINGLELINE);
    EXPECT_EQ(lh, r.bottom);
}

TEST_F(TextTest, CjkTextBreaksAfterEveryCharacter)
{
    const std::wstring text = L"\x4E2D\x6587\x5B57\x7B26\x6D4B\x8BD5";   // six CJK characters
    const int limit = Ext(text.substr(0, 2)) + 1;
    // Greedy lines: as many characters as fit, at least one.
    int lines = 0, widest = 0;
    for (size_t pos = 0; pos < text.size(); lines++) {
        size_t k = 1;
        while (pos + k < text.size() && Ext(text.substr(pos, k + 1)) <= limit) k++;
        widest = std::max(widest, Ext(text.substr(pos, k)));
        pos += k;
    }
    const CUIRect r = Calc(text, CUIRect(0, 0, limit, 1000), DT_WORDBREAK);
    EXPECT_EQ(CUIRect(0, 0, widest, lines * Lh()), r);
    EXPECT_GE(lines, 3);
}

TEST_F(TextTest, NarrowRectsStillTakeOneCharacterPerLine)
{
    const int lh = Lh();
    for (UINT style : { 0u, (UINT)DT_WORDBREAK, (UINT)DT_END_ELLIPSIS, (UINT)(DT_WORDBREAK | DT_END_ELLIPSIS) }) {
        const CUIRect r = Calc(L"abc", CUIRect(0, 0, 1, 100000), style);
        EXPECT_EQ(3 * lh, r.bottom) << "style " << style;
        EXPECT_EQ(1, r.right) << "style " << style;
    }
    // Lines of height 0 (which never move down) end too; a line feed right
    // after a full line belongs to that line.
    const CUIRect r = Calc(L"<y 0>a\n<y 0>b\n<y 0>c", CUIRect(0, 0, 1, 100), 0);
    EXPECT_EQ(0, r.bottom);
    const CUIRect r2 = Calc(L"abc\nd", CUIRect(0, 0, Ext(L"abc"), 1000), 0);
    EXPECT_EQ(2 * lh, r2.bottom);
}

TEST_F(TextTest, EndEllipsisShortensTheRunByTwoAndDrawsDots)
{
    const int lh = Lh();
    Canvas canvas(400, 80);
    const int left = 20;
    const int width = Ext(L"Hello w") + 1;
    ASSERT_GT(Ext(L"Hello wo"), width);
    RECT rc = { left, 10, left + width, 10 + lh };
    int n = 0;
    CUIRender::DrawTaggedText(canvas.dc(), M(), rc, L"Hello world", BLACK, NULL, NULL, n,
                              DT_SINGLELINE | DT_END_ELLIPSIS);
    // "Hello" then "..." right after it; nothing after the dots.
    const int dots = left + Ext(L"Hello");
    EXPECT_GT(CountPixels(canvas, CUIRect(left, 10, dots, 10 + lh), IsInk), 10);
    EXPECT_GT(CountPixels(canvas, CUIRect(dots, 10, dots + Ext(L"..."), 10 + lh), IsInk), 0);
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(dots + Ext(L"...") + 1, 0, 400, 80), IsInk));
    canvas.DumpIfFailed("ellipsis");

    // The run stops at the rect's right edge: a link over it ends there.
    Links l = DrawLinks(m_measure.dc(), L"<a>Hello world</a>", CUIRect(left, 10, left + width, 10 + lh),
                        DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT, 2);
    ASSERT_EQ(1, l.count);
    EXPECT_EQ(CUIRect(left, 10, left + width, 10 + lh), l.rects[0]);
}

// ---------------------------------------------------------------------------
// Links
// ---------------------------------------------------------------------------

TEST_F(TextTest, LinksAreReportedWithTheirRectsAndTexts)
{
    const int lh = Lh();
    Canvas canvas(600, 100);
    const CUIRect rc(10, 20, 590, 90);
    Links l = DrawLinks(canvas.dc(), L"click <a one>here</a> or <a  two>there</a>!", rc, 0, 4);
    ASSERT_EQ(2, l.count);
    const int x1 = 10 + Ext(L"click ");
    const int x2 = x1 + Ext(L"here") + Ext(L" or ");
    EXPECT_EQ(CUIRect(x1, 20, x1 + Ext(L"here"), 20 + lh), l.rects[0]);
    EXPECT_EQ(CUIRect(x2, 20, x2 + Ext(L"there"), 20 + lh), l.rects[1]);
    EXPECT_STREQ(L"one", l.texts[0].GetData());
    EXPECT_STREQ(L"two", l.texts[1].GetData());
    // Slots after the found links are left alone.
    EXPECT_EQ(CUIRect(-7, -7, -7, -7), l.rects[2]);

    // Links are drawn in the link colour.
    EXPECT_GT(CountPixels(canvas, l.rects[0], IsBluish), 5);
    EXPECT_GT(CountPixels(canvas, l.rects[1], IsBluish), 5);
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(10, 20, x1, 20 + lh), IsBluish));
    canvas.DumpIfFailed("links");

    // Measuring reports the same links.
    Links m = DrawLinks(m_measure.dc(), L"click <a one>here</a> or <a  two>there</a>!", rc, DT_CALCRECT, 4);
    ASSERT_EQ(2, m.count);
    EXPECT_EQ(l.rects[0], m.rects[0]);
    EXPECT_EQ(l.rects[1], m.rects[1]);
}

TEST_F(TextTest, LinksBeyondTheCapacityAreDrawnButNotReported)
{
    Canvas canvas(600, 60);
    Links l = DrawLinks(canvas.dc(), L"<a 1>one</a> <a 2>two</a> <a 3>three</a>", CUIRect(0, 0, 600, 60), 0, 1);
    EXPECT_EQ(1, l.count);
    EXPECT_STREQ(L"1", l.texts[0].GetData());
    const int x3 = Ext(L"one") + Ext(L" ") + Ext(L"two") + Ext(L" ");
    EXPECT_GT(CountPixels(canvas, CUIRect(x3, 0, x3 + Ext(L"three"), 60), IsBluish), 5);

    // No arrays (as labels call it): nothing reported, still drawn.
    int n = 5;
    RECT rc = { 0, 0, 600, 60 };
    canvas.Fill(0xFFFFFFFF);
    CUIRender::DrawTaggedText(canvas.dc(), M(), rc, L"<a 1>one</a>", BLACK, NULL, NULL, n, 0);
    EXPECT_EQ(0, n);
    EXPECT_GT(CountPixels(canvas, CUIRect(0, 0, 600, 60), IsBluish), 5);
}

TEST_F(TextTest, AWrappedLinkIsReportedOncePerLine)
{
    const int lh = Lh();
    const int width = Ext(L"aaaa ") + 1;
    Links l = DrawLinks(m_measure.dc(), L"<a L>aaaa bbbb</a> c", CUIRect(0, 0, width, 1000), DT_WORDBREAK | DT_CALCRECT,
                        4);
    ASSERT_EQ(2, l.count);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"aaaa "), lh), l.rects[0]);
    EXPECT_EQ(CUIRect(0, lh, Ext(L"bbbb"), 2 * lh), l.rects[1]);
    EXPECT_STREQ(L"L", l.texts[0].GetData());
    EXPECT_STREQ(L"L", l.texts[1].GetData());

    // A link that ends exactly at the end of a full line adds no empty piece.
    Links full = DrawLinks(m_measure.dc(), L"<a F>abc</a> d", CUIRect(0, 0, Ext(L"abc"), 1000), DT_CALCRECT, 4);
    ASSERT_EQ(1, full.count);
    EXPECT_EQ(CUIRect(0, 0, Ext(L"abc"), lh), full.rects[0]);
    // All links of a line reach down to the line's bottom.
    Links tall = DrawLinks(m_measure.dc(), L"<a T>x</a><y 50>", CUIRect(0, 0, 500, 1000), DT_CALCRECT, 4);
    ASSERT_EQ(1, tall.count);
    EXPECT_EQ(50, tall.rects[0].bottom);
}

TEST_F(TextTest, TheLinkUnderTheMouseIsDrawnInTheHoverColour)
{
    const std::wstring text = L"<a one>first</a> <a two>second</a>";
    const CUIRect rc(10, 10, 590, 60);
    Canvas first(600, 70);
    Links l = DrawLinks(first.dc(), text, rc, 0, 2);
    ASSERT_EQ(2, l.count);
    EXPECT_EQ(0, CountPixels(first, l.rects[1], IsHoverish));

    // The mouse moves over the second link (the manager keeps the point).
    POINT pt = { (l.rects[1].left + l.rects[1].right) / 2, (l.rects[1].top + l.rects[1].bottom) / 2 };
    LRESULT lres = 0;
    M()->HandleWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y), lres);
    ASSERT_EQ(pt.x, M()->GetMousePos().x) << "the manager did not store the mouse point";
    ASSERT_EQ(pt.y, M()->GetMousePos().y);

    Canvas second(600, 70);
    Links l2 = DrawLinks(second.dc(), text, rc, 0, 2, &l);
    ASSERT_EQ(2, l2.count);
    EXPECT_GT(CountPixels(second, l2.rects[1], IsHoverish), 5);
    EXPECT_EQ(0, CountPixels(second, l2.rects[1], IsBluish));
    EXPECT_GT(CountPixels(second, l2.rects[0], IsBluish), 5);
    EXPECT_EQ(0, CountPixels(second, l2.rects[0], IsHoverish));
    second.DumpIfFailed("hover");
}

// ---------------------------------------------------------------------------
// Colours, selection, x, alignment
// ---------------------------------------------------------------------------

TEST_F(TextTest, ColourTagsColourTheirRunOnly)
{
    const int lh = Lh();
    const int wRed = Ext(L"Red");
    std::vector<std::vector<DWORD>> outputs;
    for (const wchar_t* text : { L"<c #FF0000>Red</c> Black", L"{c #FFFF0000}Red{/c} Black",
                                 L"<c FF0000}Red{/c> Black" }) {
        Canvas canvas(300, 50);
        RECT rc = { 0, 0, 300, 50 };
        int n = 0;
        CUIRender::DrawTaggedText(canvas.dc(), M(), rc, text, BLACK, NULL, NULL, n, 0);
        EXPECT_GT(CountPixels(canvas, CUIRect(0, 0, wRed, lh), IsReddish), 10) << testsupport::Narrow(text);
        EXPECT_EQ(0, CountPixels(canvas, CUIRect(wRed + 1, 0, 300, 50), IsReddish)) << testsupport::Narrow(text);
        EXPECT_GT(CountPixels(canvas, CUIRect(wRed + 1, 0, 300, 50), IsDark), 10) << testsupport::Narrow(text);
        canvas.DumpIfFailed("colour");
        outputs.emplace_back(canvas.Bits(), canvas.Bits() + 300 * 50);
    }
    // Angle brackets, braces and mixed delimiters draw the same pixels.
    EXPECT_TRUE(outputs[0] == outputs[1]);
    EXPECT_TRUE(outputs[0] == outputs[2]);
}

TEST_F(TextTest, SelectedRunsGetTheSelectedBackground)
{
    const int lh = Lh();
    Canvas canvas(300, 50);
    RECT rc = { 0, 0, 300, 50 };
    int n = 0;
    CUIRender::DrawTaggedText(canvas.dc(), M(), rc, L"ab<s>sel</s>cd", BLACK, NULL, NULL, n, 0);
    const int x0 = Ext(L"ab");
    const int x1 = x0 + Ext(L"sel");
    const DWORD sel = M()->GetSelectedColor();
    auto isSel = [sel](DWORD c) { return testsupport::ColorNear(c, sel, 8); };
    // Most of the selected run's cell is the selected colour; none elsewhere.
    EXPECT_GT(CountPixels(canvas, CUIRect(x0, 0, x1, lh), isSel), (x1 - x0) * lh / 2);
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(0, 0, x0, 50), isSel));
    EXPECT_EQ(0, CountPixels(canvas, CUIRect(x1, 0, 300, 50), isSel));
    canvas.DumpIfFailed("selected");
}

TEST_F(TextTest, XTagShiftsTheFollowingText)
{
    const int lh = Lh();
    Canvas plain(300, 50), shifted(300, 50);
    RECT rc = { 0, 0, 300, 50 };
    int n = 0;
    CUIRender::DrawTaggedText(plain.dc(), M(), rc, L"abc", BLACK, NULL, NULL, n, 0);
    CUIRender::DrawTaggedText(shifted.dc(), M(), rc, L"<x 10>abc", BLACK, NULL, NULL, n, 0);
    int f1, l1, f2, l2;
    InkColumns(plain, 0, lh, &f1, &l1);
    InkColumns(shifted, 0, lh, &f2, &l2);
    ASSERT_GE(f1, 0);
    EXPECT_EQ(f1 + 10, f2);
    EXPECT_EQ(l1 + 10, l2);
}

TEST_F(TextTest, SingleLineAlignmentPlacesTheText)
{
    const int lh = Lh();
    const int w = Ext(L"abc");
    const CUIRect rc(10, 10, 310, 110);
    struct Case {
        UINT style;
        CUIRect link;
    } cases[] = {
        { DT_SINGLELINE | DT_CENTER, CUIRect(10 + 150 - w / 2, 10, 10 + 150 - w / 2 + w, 10 + lh) },
        { DT_SINGLELINE | DT_RIGHT, CUIRect(310 - w, 10, 310, 10 + lh) },
        { DT_SINGLELINE | DT_VCENTER, CUIRect(10, 10 + 50 - lh / 2, 10 + w, 10 + 50 - lh / 2 + lh) },
        { DT_SINGLELINE | DT_BOTTOM, CUIRect(10, 110 - lh, 10 + w, 110) },
        { DT_SINGLELINE | DT_CENTER | DT_VCENTER,
          CUIRect(10 + 150 - w / 2, 10 + 50 - lh / 2, 10 + 150 - w / 2 + w, 10 + 50 - lh / 2 + lh) },
    };
    for (const Case& c : cases) {
        Canvas canvas(320, 120);
        Links l = DrawLinks(canvas.dc(), L"<a>abc</a>", rc, c.style, 1);
        ASSERT_EQ(1, l.count) << "style " << c.style;
        EXPECT_EQ(c.link, l.rects[0]) << "style " << c.style;
        // The text is drawn inside its link rectangle.
        EXPECT_GT(CountPixels(canvas, l.rects[0], IsInk), 5);
        CUIRect outside = l.rects[0];
        EXPECT_EQ(0, CountPixels(canvas, CUIRect(0, 0, outside.left - 2, 120), IsInk)) << "style " << c.style;
        EXPECT_EQ(0, CountPixels(canvas, CUIRect(outside.right + 2, 0, 320, 120), IsInk)) << "style " << c.style;
    }
    // Multi-line DT_CENTER centres each run where it is drawn.
    Canvas canvas(320, 120);
    RECT r = rc;
    int n = 0;
    CUIRender::DrawTaggedText(canvas.dc(), M(), r, L"abc", BLACK, NULL, NULL, n, DT_CENTER);
    int first, last;
    InkColumns(canvas, 10, 10 + lh, &first, &last);
    EXPECT_NEAR(10 + (300 - w) / 2, first, 3);
    EXPECT_NEAR(10 + (300 - w) / 2 + w, last, 4);
}

TEST_F(TextTest, DrawingKeepsTheCallersDcStateAndClip)
{
    Canvas canvas(200, 60);
    HRGN clip = ::CreateRectRgn(0, 0, 150, 60);
    ::SelectClipRgn(canvas.dc(), clip);
    ::DeleteObject(clip);
    ::SetTextColor(canvas.dc(), RGB(1, 2, 3));
    ::SetBkMode(canvas.dc(), OPAQUE);
    HGDIOBJ font = ::GetCurrentObject(canvas.dc(), OBJ_FONT);

    RECT rc = { 0, 0, 200, 60 };
    int n = 0;
    CUIRender::DrawTaggedText(canvas.dc(), M(), rc, L"<b>a</b><c #FF0000>b<s>c", BLACK, NULL, NULL, n,
                              DT_CENTER);
    RECT box = {};
    ::GetClipBox(canvas.dc(), &box);
    EXPECT_EQ(CUIRect(0, 0, 150, 60), box);
    EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(canvas.dc()));
    EXPECT_EQ(OPAQUE, ::GetBkMode(canvas.dc()));
    EXPECT_EQ(font, ::GetCurrentObject(canvas.dc(), OBJ_FONT));

    // Drawing stays inside the rect given.
    Canvas c2(200, 60);
    RECT inner = { 20, 10, 60, 30 };
    CUIRender::DrawTaggedText(c2.dc(), M(), inner, L"a long text clipped to its rect", BLACK, NULL, NULL, n,
                              DT_SINGLELINE);
    EXPECT_GT(CountPixels(c2, inner, IsInk), 5);
    EXPECT_EQ(0, CountPixels(c2, CUIRect(60, 0, 200, 60), IsInk));
    EXPECT_EQ(0, CountPixels(c2, CUIRect(0, 30, 200, 60), IsInk));
}

// ---------------------------------------------------------------------------
// Inline images
// ---------------------------------------------------------------------------

TEST_F(TextTest, ImageStripFramesAreCutFromTheStrip)
{
    const int lh = Lh();
    const int cy = lh > 20 ? lh : 20;
    const int top = 10 + cy - 20 - (20 < cy ? (cy - 20) / 2 : 0);
    const DWORD RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF;
    struct Case {
        const wchar_t* text;
        DWORD colours[3];   // at x = 15, 35, 55 of the image
        int width;
    } cases[] = {
        { L"<i strip.png 3 1>", { GREEN, 0, 0 }, 20 },
        { L"<i strip.png 3 0>", { RED, 0, 0 }, 20 },
        { L"<i strip.png 3 7>", { RED, 0, 0 }, 20 },        // index out of range: frame 0
        { L"<i strip.png 3 -1>", { RED, 0, 0 }, 20 },
        { L"<i strip.png>", { RED, GREEN, BLUE }, 60 },      // one frame: the whole strip
        { L"<i strip.png 0>", { RED, GREEN, BLUE }, 60 },    // frames at least 1
        { L"<i file='strip.png' 3 2>", { BLUE, 0, 0 }, 20 },
        { L"<i res='strip.png' restype='' 3 1>", { GREEN, 0, 0 }, 20 },
    };
    for (const Case& c : cases) {
        Canvas canvas(200, 60);
        RECT rc = { 10, 10, 190, 50 };
        int n = 0;
        CUIRender::DrawTaggedText(canvas.dc(), M(), rc, c.text, BLACK, NULL, NULL, n, 0);
        std::string label = testsupport::Narrow(c.text);
        for (int i = 0; i < 3; i++) {
            const int x = 10 + 5 + 20 * i;
            const DWORD want = c.colours[i] != 0 ? c.colours[i] : 0xFFFFFFFF;
            EXPECT_PRED3(testsupport::ColorNear, canvas.Pixel(x, top + 10), want, 2)
                << label << " at x " << x << ": " << testsupport::ColorText(canvas.Pixel(x, top + 10));
        }
        EXPECT_EQ(CUIRect(10, 10, 10 + c.width, 10 + cy), Calc(c.text, CUIRect(10, 10, 190, 50))) << label;
        canvas.DumpIfFailed("image");
    }
}

TEST_F(TextTest, AnImageThatDoesNotFitStartsTheNextLine)
{
    const int lh = Lh();
    const int cy = lh > 20 ? lh : 20;
    const int width = Ext(L"abc") + 5;
    // "abc" on the first line, the 20-pixel frame on the second.
    const CUIRect r = Calc(L"abc<i strip.png 3 1>", CUIRect(0, 0, width, 1000), DT_WORDBREAK);
    EXPECT_EQ(lh + cy, r.bottom);
    // At the line start it is drawn even when wider than the rect.
    const CUIRect narrow = Calc(L"<i strip.png>", CUIRect(0, 0, 10, 1000), 0);
    EXPECT_EQ(cy, narrow.bottom);
    EXPECT_EQ(10, narrow.right);
}

}  // namespace
