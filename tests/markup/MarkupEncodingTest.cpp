// Input encodings: UTF-8 with and without a mark, ANSI, UTF-16 LE and BE.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "UIMarkup.h"

using namespace SkinUI;
using namespace markuptest;

namespace {

// What the platform converter makes of bytes in a code page.
std::wstring PlatformWide(UINT codePage, const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), &out[0], n);
    return out;
}

// Loads bytes and returns the dump, or "error: <message>".
std::wstring LoadDump(const std::string& bytes, int encoding) {
    CUIMarkup markup;
    if (!LoadBytes(markup, bytes, encoding)) return std::wstring(L"error: ") + markup.GetLastErrorMessage();
    return Dump(markup);
}

std::wstring WideDump(const std::wstring& text) {
    CUIMarkup markup;
    if (!markup.Load(text.c_str())) return std::wstring(L"error: ") + markup.GetLastErrorMessage();
    return Dump(markup);
}

}  // namespace

TEST(MarkupEncoding, EveryEncodingGivesTheSameTree) {
    const std::wstring text = ReferenceLayout();
    struct Case {
        const char* what;
        std::string bytes;
        int encoding;
    } cases[] = {
        {"utf-8", Utf8(text), UIMarkupUtf8},
        {"utf-8 with mark", "\xEF\xBB\xBF" + Utf8(text), UIMarkupUtf8},
        {"utf-16le", Utf16Le(text), UIMarkupUtf16},
        {"utf-16be", Utf16Be(text), UIMarkupUtf16},
        // Any encoding value but 0 and 2 means UTF-16.
        {"utf-16le as 7", Utf16Le(text), 7},
        {"utf-16be as -1", Utf16Be(text), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(N(LoadDump(c.bytes, c.encoding)), N(ReferenceDump()));
    }
    EXPECT_EQ(N(WideDump(text)), N(ReferenceDump()));
    CUIMarkup fromConstructor(text.c_str());
    EXPECT_EQ(N(Dump(fromConstructor)), N(ReferenceDump()));
}

TEST(MarkupEncoding, Utf16NeedsItsMark) {
    const std::wstring text = L"<A x=\"1\"/>";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no mark", Utf16Le(text, false)},
        {"big-endian, no mark", Utf16Be(text, false)},
        {"utf-8 bytes", Utf8(text)},
        {"one byte", "\xFF"},
        {"nothing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CUIMarkup markup(L"<Old/>");
        EXPECT_FALSE(LoadBytes(markup, c.bytes, UIMarkupUtf16));
        EXPECT_FALSE(markup.GetRoot().IsValid());
    }
    // The mark alone is an empty document; an odd last byte is dropped.
    EXPECT_EQ(N(LoadDump("\xFF\xFE", UIMarkupUtf16)), "");
    EXPECT_EQ(N(LoadDump(Utf16Le(text) + "<", UIMarkupUtf16)), "A{x=\"1\"}");
    EXPECT_EQ(N(LoadDump(Utf16Be(text) + "\x01", UIMarkupUtf16)), "A{x=\"1\"}");
}

TEST(MarkupEncoding, Utf8MarkIsOptionalAndSkippedOnlyForUtf8) {
    EXPECT_EQ(N(LoadDump("\xEF\xBB\xBF<A/>", UIMarkupUtf8)), "A");
    EXPECT_EQ(N(LoadDump("\xEF\xBB\xBF", UIMarkupUtf8)), "");
    // Only one mark is skipped: a second one is text before the root.
    EXPECT_EQ(N(LoadDump("\xEF\xBB\xBF\xEF\xBB\xBF<A/>", UIMarkupUtf8)), "error: Expected start tag");
    // ANSI takes the mark's bytes as characters.
    EXPECT_EQ(N(LoadDump("\xEF\xBB\xBF<A/>", UIMarkupAnsi)), "error: Expected start tag");
}

TEST(MarkupEncoding, AnsiUsesTheSystemCodePage) {
    std::printf("ANSI code page: %u\n", GetACP());
    EXPECT_EQ(N(LoadDump("<Window size=\"10,20\"><Control text=\"plain ascii\"/></Window>", UIMarkupAnsi)),
              "Window{size=\"10,20\"}[Control{text=\"plain ascii\"}]");
    // Bytes above 127 become whatever the system code page makes of them.
    const std::string high = "\xE9\xA0\xC4\xE3";
    CUIMarkup markup;
    ASSERT_TRUE(LoadBytes(markup, "<A v=\"" + high + "\"/>", UIMarkupAnsi));
    EXPECT_EQ(std::wstring(markup.GetRoot().GetAttributeValue(0)), PlatformWide(CP_ACP, high));
}

// Every byte string, valid UTF-8 or not, must give exactly what the platform
// converter gives.
TEST(MarkupEncoding, Utf8AgreesWithThePlatformConverter) {
    const char* values[] = {
        "plain",
        "caf\xC3\xA9",                          // 2 bytes
        "\xE5\xA8\xB1\xE4\xB9\x90",             // 3 bytes
        "\xF0\x9F\x98\x80 smile",               // 4 bytes: a surrogate pair
        "\xEF\xBF\xBF\xEF\xBF\xBE",             // U+FFFF, U+FFFE
        "\xF4\x8F\xBF\xBF",                     // U+10FFFF
        "\x80",                                 // a lone continuation byte
        "a\xBF\xBF" "b",
        "\xC0\xAF",                             // overlong '/'
        "\xC1\xBF",
        "\xE0\x80\xAF",                         // overlong, 3 bytes
        "\xF0\x80\x80\xAF",                     // overlong, 4 bytes
        "\xED\xA0\x80",                         // a surrogate
        "\xED\xBF\xBF",
        "\xF4\x90\x80\x80",                     // above U+10FFFF
        "\xF5\x80\x80\x80",
        "\xFE\xFF",
        "\xE4\xB8",                             // cut short before the quote
        "\xC3",
        "\xF0\x9F\x98",
        "x\xC3(y",
        "\xE4\xB8\xE4\xB8\xAD",
    };
    for (const char* v : values) {
        const std::string doc = std::string("<A v=\"") + v + "\" w=\"after\"><B/></A>";
        SCOPED_TRACE(doc);
        EXPECT_EQ(N(LoadDump(doc, UIMarkupUtf8)), N(WideDump(PlatformWide(CP_UTF8, doc))));
    }
    // Sequences cut off by the end of the input.
    const char* tails[] = {"\xC3", "\xE4\xB8", "\xF0\x9F\x98", "\xF0", "\xED\xA0"};
    for (const char* t : tails) {
        const std::string doc = std::string("<A/>") + t;
        SCOPED_TRACE(doc);
        EXPECT_EQ(N(LoadDump(doc, UIMarkupUtf8)), N(WideDump(PlatformWide(CP_UTF8, doc))));
    }
    // Long ASCII runs around multi-byte text (the converter works in blocks).
    std::string doc = "<A v=\"";
    for (int i = 0; i < 40; ++i) {
        doc += std::string(i, 'x') + "\xE7\x9B\xB4";
        if (i % 7 == 3) doc += "\xFF";
    }
    doc += "\"/>";
    EXPECT_EQ(N(LoadDump(doc, UIMarkupUtf8)), N(WideDump(PlatformWide(CP_UTF8, doc))));
}

TEST(MarkupEncoding, TextEndsAtAnEmbeddedNul) {
    const std::string utf8("<A/>\0<<garbage", 14);
    EXPECT_EQ(N(LoadDump(utf8, UIMarkupUtf8)), "A");
    const std::string utf16 = Utf16Le(std::wstring(L"<A x=\"1\0\"/>", 11));
    EXPECT_EQ(N(LoadDump(utf16, UIMarkupUtf16)), "error: Error while parsing attribute string");
}
