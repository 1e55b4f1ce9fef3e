// The markup grammar: trees, attributes, entities, comments, errors.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "UIMarkup.h"

using namespace SkinUI;
using namespace markuptest;

namespace {

struct TreeCase {
    const wchar_t* doc;
    const wchar_t* tree;   // Dump() of a successful parse
};

struct ErrorCase {
    const wchar_t* doc;
    const wchar_t* message;
    const wchar_t* location;
};

}  // namespace

TEST(MarkupGrammar, DocumentsGiveTheirTrees) {
    const TreeCase cases[] = {
        {L"<Window size=\"10,20\"><Control/></Window>", L"Window{size=\"10,20\"}[Control]"},
        {L"<Control/>", L"Control"},
        {L"<Control />", L"Control"},
        {L"<Control></Control>", L"Control"},
        {L"< Window >\r\n\t<Control\tname = \"a\"\r\n  text=\"b\"  />\n</ Window >",
         L"Window[Control{name=\"a\" text=\"b\"}]"},
        // Siblings, nesting, and the root's siblings at the document level.
        {L"<A><B><C/></B><D x=\"1\"/></A>", L"A[B[C],D{x=\"1\"}]"},
        {L"<A/><B/>", L"A,B"},
        // A missing end tag at the end of the text is accepted for the root
        // and its children; the names still end where they should.
        {L"<Window size=\"1,2\"><Control/><Label>", L"Window{size=\"1,2\"}[Control,Label]"},
        {L"<Window size=\"1,2\"><Label text=\"x\">", L"Window{size=\"1,2\"}[Label{text=\"x\"}]"},
        {L"<Window size=\"1,2\">", L"Window{size=\"1,2\"}"},
        // The end tag is compared over the open element's name.
        {L"<ab></abc>", L"ab"},
        {L"<ab></ab >", L"ab"},
        // A stray end tag at the document level ends the document.
        {L"<A/></B>anything <at all", L"A"},
        // Comments and processing instructions are skipped, also between
        // elements and at the end.
        {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- a comment -->\r\n<Window/>", L"Window"},
        {L"<A><!-- inside --><?pi x?><B/><!-- --></A>\r\n<!-- trailing -->\r\n", L"A[B]"},
        {L"<A/><!-- never closed", L"A"},
        // A comment ends at the first "->".
        {L"<!-- x -> <Window/>", L"Window"},
        // Character data: entities, unknown entities, whitespace kept as written.
        {L"<A v=\"&amp;\" w=\"x&foo;y\"/>", L"A{v=\"&\" w=\"x&foo;y\"}"},
        {L"<A v=\"a&lt;b&gt;c\" w=\"2\" z=\"&quot;&apos;&amp;amp;\"/>",
         L"A{v=\"a<b>c\" w=\"2\" z=\"\"'&amp;\"}"},
        {L"<A v=\"&\" w=\"&am\" x=\"&amp\" y=\"&&amp;;\"/>", L"A{v=\"&\" w=\"&am\" x=\"&amp\" y=\"&&;\"}"},
        {L"<A v=\"  two  \tspaces\r\n\"/>", L"A{v=\"  two  \tspaces\r\n\"}"},
        {L"<A v=\"\" w=\"\"/>", L"A{v=\"\" w=\"\"}"},
        {L"<A v=\"a'b\"/>", L"A{v=\"a'b\"}"},
        {L"<A>text &amp; more<B v=\"1\"/></A>", L"A[B{v=\"1\"}]"},
        {L"<A>x &lt; y</A><B/>", L"A,B"},
        // Names are letters, digits, '_' and ':'.
        {L"<ns:Item_1 data-x=\"1\"/>", nullptr},
        {L"<ns:Item_1 a:b_2=\"1\"/>", L"ns:Item_1{a:b_2=\"1\"}"},
        {L"<caf\u00e9 \u00e9t\u00e9=\"1\"/>", L"caf\u00e9{\u00e9t\u00e9=\"1\"}"},
        // Nothing at all is an empty document.
        {L"", L""},
        {L" \r\n\t ", L""},
        {L"<!-- only a comment -->", L""},
    };
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(N(c.doc));
        CUIMarkup markup;
        const bool ok = markup.Load(c.doc);
        if (c.tree == nullptr) {
            EXPECT_FALSE(ok);
            continue;
        }
        ASSERT_TRUE(ok) << N(markup.GetLastErrorMessage()) << " at " << N(markup.GetLastErrorLocation());
        EXPECT_EQ(N(Dump(markup)), N(c.tree));
        EXPECT_STREQ(markup.GetLastErrorMessage(), L"");
        EXPECT_EQ(markup.GetRoot().IsValid(), c.tree[0] != 0);
    }
}

TEST(MarkupGrammar, MalformedDocumentsGiveTheirErrors) {
    const ErrorCase cases[] = {
        {L"<A x/>", L"Error while parsing attributes", L"/>"},
        {L"<A x y=\"1\"/>", L"Error while parsing attributes", L"y=\"1\"/>"},
        {L"<A -x=\"1\"/>", L"Error while parsing attributes", L"-x=\"1\"/>"},
        {L"<A x", L"Error while parsing attributes", L""},
        {L"<A x=1/>", L"Expected attribute value", L"1/>"},
        {L"<A x='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<A x=", L"Expected attribute value", L""},
        {L"<A x=\"abc", L"Error while parsing attribute string", L"abc"},
        {L"<A x=\"a&amp;b", L"Error while parsing attribute string", L"a&b    "},
        {L"text", L"Expected start tag", L"text"},
        {L"<A/>text", L"Expected start tag", L"text"},
        {L"<A><B/>text</A>", L"Expected start tag", L"text</A>"},
        {L"<A><B><C/>", L"Expected start tag", L""},
        {L"<Window", L"Error parsing element name", L""},
        {L"<", L"Error parsing element name", L""},
        {L"<A x=\"1\" / >", L"Expected start-tag closing", L"/ >"},
        {L"<A x=\"1\"", L"Expected start-tag closing", L""},
        {L"<A <B/>", L"Error while parsing attributes", L"<B/>"},
        {L"<A><B><C>text", L"Expected end-tag start", L""},
        {L"<A><B></A>", L"Unmatched closing tag", L"A>"},
        {L"<A></B>", L"Unmatched closing tag", L"B>"},
        {L"<ab></a>", L"Unmatched closing tag", L"a>"},
        {L"<A></A", L"Unmatched closing tag", L""},
        {L"<A></A x>", L"Unmatched closing tag", L"x>"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(N(c.doc));
        CUIMarkup markup;
        EXPECT_FALSE(markup.Load(c.doc));
        EXPECT_STREQ(markup.GetLastErrorMessage(), c.message);
        EXPECT_STREQ(markup.GetLastErrorLocation(), c.location);
        EXPECT_FALSE(markup.GetRoot().IsValid());
    }
}

TEST(MarkupGrammar, ErrorLocationKeeps49Characters) {
    std::wstring doc = L"<A/>";
    for (int i = 0; i < 10; ++i) doc += L"0123456789";
    CUIMarkup markup;
    EXPECT_FALSE(markup.Load(doc.c_str()));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"Expected start tag");
    EXPECT_EQ(std::wstring(markup.GetLastErrorLocation()), doc.substr(4, 49));
}

TEST(MarkupGrammar, AFailedLoadReleasesAndTheNextLoadWorks) {
    CUIMarkup markup(L"<Old a=\"1\"/>");
    ASSERT_TRUE(markup.GetRoot().IsValid());
    EXPECT_FALSE(markup.Load(L"<A><B></A>"));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"Unmatched closing tag");
    ASSERT_TRUE(markup.Load(L"<New b=\"2\"/>"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"");
    EXPECT_STREQ(markup.GetLastErrorLocation(), L"");
    EXPECT_EQ(N(Dump(markup)), "New{b=\"2\"}");
    markup.Release();
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

// One markup loading documents of different sizes and encodings in turn
// reuses its buffers: each load shows exactly its own document.
TEST(MarkupGrammar, LoadsInTurnShowOnlyTheirOwnDocument) {
    std::wstring big = L"<List>";
    for (int i = 0; i < 3000; ++i) big += L"<Item id=\"" + std::to_wstring(i) + L"\" text=\"a &amp; b\"/>";
    big += L"</List>";
    const std::string small8 = "<S a=\"\xe4\xb8\xad\"><T/></S>";
    const unsigned char small16[] = { 0xFF, 0xFE, '<', 0, 'U', 0, '/', 0, '>', 0 };

    CUIMarkup markup;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(markup.Load(big.c_str()));
        CUIMarkupNode last = markup.GetRoot().GetFirstChild();
        int n = 1;
        while (last.GetNextSibling().IsValid()) {
            last = last.GetNextSibling();
            ++n;
        }
        EXPECT_EQ(n, 3000);
        EXPECT_STREQ(last.GetAttributeValue(0), L"2999");
        EXPECT_STREQ(last.GetAttributeValue(1), L"a & b");

        ASSERT_TRUE(markup.LoadFromMemory((const BYTE*)small8.data(), (DWORD)small8.size(), UIMarkupUtf8));
        EXPECT_EQ(N(Dump(markup)), N(L"S{a=\"\u4e2d\"}[T]"));
        ASSERT_TRUE(markup.LoadFromMemory(small16, sizeof(small16), UIMarkupUtf16));
        EXPECT_EQ(N(Dump(markup)), "U");

        EXPECT_FALSE(markup.Load(L"<A><B></A>"));
        EXPECT_FALSE(markup.GetRoot().IsValid());
        EXPECT_FALSE(markup.LoadFromMemory(small16 + 2, sizeof(small16) - 2, UIMarkupUtf16));
        EXPECT_FALSE(markup.GetRoot().IsValid());
    }
}

TEST(MarkupGrammar, SeventyAttributesExposeSixtyFour) {
    std::wstring doc = L"<A";
    for (int i = 0; i < 70; ++i) doc += L" a" + std::to_wstring(i) + L"=\"v&amp;" + std::to_wstring(i) + L"\"";
    doc += L"/>";
    CUIMarkup markup;
    ASSERT_TRUE(markup.Load(doc.c_str()));
    CUIMarkupNode root = markup.GetRoot();
    ASSERT_EQ(root.GetAttributeCount(), 64);
    EXPECT_STREQ(root.GetAttributeName(63), L"a63");
    EXPECT_STREQ(root.GetAttributeValue(63), L"v&63");
    EXPECT_STREQ(root.GetAttributeName(64), L"");
    wchar_t buf[16] = {};
    EXPECT_TRUE(root.CopyAttributeValue(L"a63", buf, 15));
    EXPECT_FALSE(root.CopyAttributeValue(L"a64", buf, 15));
    EXPECT_FALSE(root.CopyAttributeValue(L"a69", buf, 15));
}

TEST(MarkupGrammar, AttributeAccess) {
    CUIMarkup markup(L"<Button name=\"ok\" Name=\"upper\" text=\"Hello\" name=\"second\"><Label/></Button>");
    CUIMarkupNode node = markup.GetRoot();
    ASSERT_TRUE(node.IsValid());
    EXPECT_TRUE(node.HasAttributes());
    EXPECT_EQ(node.GetAttributeCount(), 4);
    EXPECT_STREQ(node.GetAttributeName(-1), L"");
    EXPECT_STREQ(node.GetAttributeValue(4), L"");

    // Exact names, the first match wins.
    wchar_t buf[8];
    wmemset(buf, L'#', 8);
    EXPECT_TRUE(node.CopyAttributeValue(L"name", buf, 7));
    EXPECT_STREQ(buf, L"ok");
    EXPECT_TRUE(node.CopyAttributeValue(L"Name", buf, 7));
    EXPECT_STREQ(buf, L"upper");
    EXPECT_FALSE(node.CopyAttributeValue(L"NAME", buf, 7));
    EXPECT_FALSE(node.CopyAttributeValue(L"tex", buf, 7));

    // A value that fills the buffer gets no terminator; a shorter one does.
    wmemset(buf, L'#', 8);
    EXPECT_TRUE(node.CopyAttributeValue(L"text", buf, 3));
    EXPECT_EQ(std::wstring(buf, 8), std::wstring(L"Hel#####"));
    wmemset(buf, L'#', 8);
    EXPECT_TRUE(node.CopyAttributeValue(L"text", buf, 5));
    EXPECT_EQ(std::wstring(buf, 8), std::wstring(L"Hello###"));
    wmemset(buf, L'#', 8);
    EXPECT_TRUE(node.CopyAttributeValue(L"text", buf, 6));
    EXPECT_EQ(std::wstring(buf, 7), std::wstring(L"Hello\0#", 7));

    CUIMarkupNode child = node.GetFirstChild();
    ASSERT_TRUE(child.IsValid());
    EXPECT_STREQ(child.GetName(), L"Label");
    EXPECT_FALSE(child.HasAttributes());
    EXPECT_FALSE(child.HasChildren());
    EXPECT_FALSE(child.GetFirstChild().IsValid());
    EXPECT_FALSE(child.GetNextSibling().IsValid());
    EXPECT_FALSE(child.CopyAttributeValue(L"name", buf, 7));

    // A node is a value: copies see the same element.
    CUIMarkupNode copy = child;
    EXPECT_STREQ(copy.GetName(), L"Label");

    CUIMarkupNode invalid;
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(invalid.GetName(), nullptr);
    EXPECT_EQ(invalid.GetAttributeName(0), nullptr);
    EXPECT_EQ(invalid.GetAttributeValue(0), nullptr);
    EXPECT_EQ(invalid.GetAttributeCount(), 0);
    EXPECT_FALSE(invalid.CopyAttributeValue(L"name", buf, 7));
    EXPECT_FALSE(invalid.GetFirstChild().IsValid());
    EXPECT_FALSE(invalid.HasChildren());
}

TEST(MarkupGrammar, DeepNestingNeedsNoStack) {
    const int depth = 200000;
    std::wstring doc;
    doc.reserve(depth * 8);
    for (int i = 0; i < depth; ++i) doc += L"<a>";
    doc += L"<leaf v=\"1\"/>";
    for (int i = 0; i < depth; ++i) doc += L"</a>";
    CUIMarkup markup;
    ASSERT_TRUE(markup.Load(doc.c_str()));
    CUIMarkupNode node = markup.GetRoot();
    int levels = 0;
    while (node.HasChildren()) {
        node = node.GetFirstChild();
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    EXPECT_STREQ(node.GetName(), L"leaf");
    EXPECT_STREQ(node.GetAttributeValue(0), L"1");

    // Unclosed below the root's children: an error, not a stack overflow.
    doc.resize(depth * 3);
    EXPECT_FALSE(markup.Load(doc.c_str()));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"Expected end-tag start");
}

TEST(MarkupGrammar, ManyElementsGrowTheTable) {
    std::wstring doc = L"<List>";
    const int count = 20000;
    for (int i = 0; i < count; ++i) doc += L"<Item id=\"" + std::to_wstring(i) + L"\"/>";
    doc += L"</List>";
    CUIMarkup markup;
    ASSERT_TRUE(markup.Load(doc.c_str()));
    int n = 0;
    for (CUIMarkupNode item = markup.GetRoot().GetFirstChild(); item.IsValid(); item = item.GetNextSibling()) {
        ASSERT_EQ(std::wstring(item.GetAttributeValue(0)), std::to_wstring(n));
        ++n;
    }
    EXPECT_EQ(n, count);
}

// A large text buffer that a destroyed markup leaves serves the next new one;
// markups alive at the same time never share one, and each shows only its
// own document, whatever was in the buffer before.
TEST(MarkupGrammar, NewMarkupsTakeOverTheBuffersOfEarlierOnes) {
    auto list = [](int count, const wchar_t* tag) {
        std::wstring doc = L"<List>";
        for (int i = 0; i < count; ++i) doc += std::wstring(L"<") + tag + L" id=\"" + std::to_wstring(i) + L"\"/>";
        return doc + L"</List>";
    };
    auto count = [](CUIMarkup& markup, const wchar_t* tag) {
        int n = 0;
        for (CUIMarkupNode node = markup.GetRoot().GetFirstChild(); node.IsValid(); node = node.GetNextSibling())
            n += std::wstring(node.GetName()) == tag ? 1 : 0;
        return n;
    };
    const std::wstring large = list(20000, L"Large");     // about 500,000 characters
    const std::wstring medium = list(8000, L"Medium");
    const std::string small8 = "<S a=\"\xe4\xb8\xad\"/>";
    {
        CUIMarkup first;
        ASSERT_TRUE(first.Load(large.c_str()));
    }
    for (int round = 0; round < 3; ++round) {
        CUIMarkup a;
        CUIMarkup b;
        ASSERT_TRUE(a.Load(medium.c_str()));
        ASSERT_TRUE(b.Load(large.c_str()));
        EXPECT_EQ(count(a, L"Medium"), 8000);
        EXPECT_EQ(count(b, L"Large"), 20000);
        EXPECT_STREQ(a.GetRoot().GetFirstChild().GetAttributeValue(0), L"0");
        CUIMarkup c;
        ASSERT_TRUE(c.LoadFromMemory((const BYTE*)small8.data(), (DWORD)small8.size(), UIMarkupUtf8));
        EXPECT_EQ(N(Dump(c)), N(L"S{a=\"\u4e2d\"}"));
        // Still intact after the others loaded.
        EXPECT_EQ(count(a, L"Medium"), 8000);
        a.Release();
        CUIMarkup d;
        ASSERT_TRUE(d.Load(list(100, L"Few").c_str()));
        EXPECT_EQ(count(d, L"Few"), 100);
        EXPECT_EQ(count(b, L"Large"), 20000);
    }
}
