// A corpus of broken documents run through the parser: every one must give a
// clean result (a tree, or one of the parser's error messages), never a crash
// and never a read outside the input or the parser's own buffers.
//
// Inputs are placed so that they end exactly where a no-access page begins,
// and while a document is parsed and walked every array allocation (the
// parser's text buffer and element table) is placed the same way by the
// replacement operator new[] below, so any read past an end faults at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "UIMarkup.h"

using namespace SkinUI;
using namespace markuptest;

// ---------------------------------------------------------------------------
// Guarded allocations
// ---------------------------------------------------------------------------

namespace {

struct GuardedBlock {
    void* user;
    void* base;
};

bool g_guardAllocations = false;
GuardedBlock g_blocks[256];
int g_blockCount = 0;

size_t PageSize() {
    static size_t size = 0;
    if (size == 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        size = info.dwPageSize;
    }
    return size;
}

// size bytes that end where a no-access page begins. The start is aligned
// only as far as the size allows (wide text stays 2-byte aligned).
void* GuardedAlloc(size_t size) {
    const size_t page = PageSize();
    const size_t dataPages = (size + page - 1) / page + (size == 0 ? 1 : 0);
    BYTE* base = (BYTE*)VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (base == nullptr) return nullptr;
    DWORD old = 0;
    VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old);
    return base + dataPages * page - size;
}

void* Allocate(size_t size, bool nothrow) {
    void* p = nullptr;
    if (g_guardAllocations && g_blockCount < (int)(sizeof(g_blocks) / sizeof(g_blocks[0]))) {
        p = GuardedAlloc(size);
        if (p != nullptr) {
            MEMORY_BASIC_INFORMATION mbi;
            VirtualQuery(p, &mbi, sizeof(mbi));
            g_blocks[g_blockCount].user = p;
            g_blocks[g_blockCount].base = mbi.AllocationBase;
            ++g_blockCount;
        }
    }
    else {
        p = std::malloc(size == 0 ? 1 : size);
    }
    if (p == nullptr && !nothrow) throw std::bad_alloc();
    return p;
}

void Free(void* p) {
    if (p == nullptr) return;
    for (int i = 0; i < g_blockCount; ++i) {
        if (g_blocks[i].user == p) {
            VirtualFree(g_blocks[i].base, 0, MEM_RELEASE);
            g_blocks[i] = g_blocks[--g_blockCount];
            return;
        }
    }
    std::free(p);
}

// The bytes of a document, ending where a no-access page begins.
class GuardedBytes {
public:
    GuardedBytes(const void* data, size_t size) {
        const size_t page = PageSize();
        const size_t dataPages = (size + page - 1) / page + 1;
        m_base = (BYTE*)VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old = 0;
        VirtualProtect(m_base + dataPages * page, page, PAGE_NOACCESS, &old);
        m_data = m_base + dataPages * page - size;
        memcpy(m_data, data, size);
    }
    ~GuardedBytes() { VirtualFree(m_base, 0, MEM_RELEASE); }
    const BYTE* data() const { return m_data; }

private:
    GuardedBytes(const GuardedBytes&);
    GuardedBytes& operator=(const GuardedBytes&);
    BYTE* m_base;
    BYTE* m_data;
};

// Names what was being parsed when a fault ends the program.
std::string g_current;
PVOID g_handler = nullptr;

LONG CALLBACK ReportFault(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_STACK_OVERFLOW) {
        std::fprintf(stderr, "markup corpus: fault 0x%08lx while parsing %s\n", (unsigned long)code,
                     g_current.c_str());
        std::fflush(stderr);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void* operator new[](size_t size) { return Allocate(size, false); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size, true); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

// ---------------------------------------------------------------------------
// The corpus
// ---------------------------------------------------------------------------

namespace {

// A small deterministic generator (xorshift64*), the same on every run.
class Random {
public:
    explicit Random(unsigned long long seed) : m_state(seed) {}
    unsigned Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return (unsigned)((m_state * 2685821657736338717ull) >> 32);
    }
    unsigned Below(unsigned n) { return n == 0 ? 0 : Next() % n; }

private:
    unsigned long long m_state;
};

struct Document {
    std::string what;
    std::string bytes;
    int encoding;
};

const std::set<std::wstring>& ParseErrors() {
    static const std::set<std::wstring> errors = {
        L"Error while parsing attributes", L"Expected attribute value", L"Error while parsing attribute string",
        L"Expected start tag",             L"Error parsing element name", L"Expected start-tag closing",
        L"Expected end-tag start",         L"Unmatched closing tag",
    };
    return errors;
}

std::string Bases(int i) {
    switch (i) {
    case 0:
        return Utf8(ReferenceLayout());
    case 1:
        return "<?xml version=\"1.0\"?><!-- list --><Window size=\"400,300\" sizebox=\"4,4,4,4\">"
               "<Include source=\"a.xml\" count=\"2\"/><Default name=\"Button\" value=\"height=&quot;20&quot;\"/>"
               "<HorizontalLayout>\r\n\t<Option group=\"g\" selected=\"true\" text=\"&lt;b&gt;&#1;&amp;\"/>"
               "<Text text=\"it's\">content &amp; more<Edit/></Text><List><ListHeader/></List>"
               "</HorizontalLayout><?pi?><!----></Window>";
    case 2: {
        std::string s = "<A";
        for (int k = 0; k < 80; ++k) s += " k" + std::to_string(k) + "=\"" + std::string(k % 5, 'v') + "&amp;\"";
        return s + "><B/><C/></A>";
    }
    default:
        return "<a><b><c><d x=\"1\"><e/></d></c></b></a>";
    }
}

const char kInteresting[] = {'<', '>', '/', '"', '&', '=', '!', '?', '-', ' ', ';', 'a', '\0', '\t', '\''};
const unsigned char kHighBytes[] = {0x80, 0xBF, 0xC0, 0xC3, 0xE4, 0xED, 0xEF, 0xF0, 0xF4, 0xF8, 0xFE, 0xFF};

char RandomByte(Random& rnd) {
    switch (rnd.Below(3)) {
    case 0:
        return kInteresting[rnd.Below(sizeof(kInteresting))];
    case 1:
        return (char)kHighBytes[rnd.Below(sizeof(kHighBytes))];
    default:
        return (char)rnd.Below(256);
    }
}

std::string Mutate(const std::string& base, Random& rnd) {
    std::string s = base;
    const int edits = 1 + (int)rnd.Below(4);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        const size_t at = rnd.Below((unsigned)s.size());
        switch (rnd.Below(6)) {
        case 0:   // replace bytes
            for (unsigned k = 0, n = 1 + rnd.Below(3); k < n && at + k < s.size(); ++k) s[at + k] = RandomByte(rnd);
            break;
        case 1:   // flip one bit
            s[at] = (char)(s[at] ^ (1 << rnd.Below(8)));
            break;
        case 2:   // delete a run
            s.erase(at, 1 + rnd.Below(16));
            break;
        case 3:   // duplicate a run (unbalanced tags, repeated attributes)
            s.insert(at, s.substr(rnd.Below((unsigned)s.size()), 1 + rnd.Below(40)));
            break;
        case 4:   // insert a byte
            s.insert(s.begin() + at, RandomByte(rnd));
            break;
        default:  // cut the document here
            s.resize(at);
            break;
        }
    }
    return s;
}

std::vector<Document> MakeCorpus() {
    std::vector<Document> corpus;
    Random rnd(0x5EED1234ABCDull);
    for (int b = 0; b < 4; ++b) {
        const std::string base = Bases(b);
        // Every truncation.
        for (size_t n = 0; n <= base.size(); ++n)
            corpus.push_back({"base " + std::to_string(b) + " cut at " + std::to_string(n), base.substr(0, n),
                              UIMarkupUtf8});
        // Random mutations.
        for (int m = 0; m < 1500; ++m)
            corpus.push_back({"base " + std::to_string(b) + " mutation " + std::to_string(m), Mutate(base, rnd),
                              m % 10 == 9 ? (int)UIMarkupAnsi : (int)UIMarkupUtf8});
    }

    // UTF-16 documents: truncations at every byte and random mutations of
    // both byte orders (odd sizes, lone surrogates, broken marks).
    const std::wstring wide = ReferenceLayout();
    const std::string le = Utf16Le(wide), be = Utf16Be(wide);
    for (size_t n = 0; n <= le.size(); n += 3) {
        corpus.push_back({"utf-16le cut at " + std::to_string(n), le.substr(0, n), UIMarkupUtf16});
        corpus.push_back({"utf-16be cut at " + std::to_string(n), be.substr(0, n), UIMarkupUtf16});
    }
    for (int m = 0; m < 1000; ++m) {
        std::string s = Mutate(m % 2 ? le : be, rnd);
        if (m % 5 == 0 && s.size() > 6) {
            const size_t at = 2 + 2 * rnd.Below((unsigned)(s.size() - 4) / 2);
            s[at] = (char)0xD8;   // a lone high surrogate (in either byte order)
            s[at + 1] = (char)0xD8;
        }
        corpus.push_back({"utf-16 mutation " + std::to_string(m), s, UIMarkupUtf16});
    }

    // Hand-made hard cases.
    std::string attrs = "<A";
    for (int k = 0; k < 100000; ++k) attrs += " a" + std::to_string(k) + "=\"" + std::to_string(k) + "\"";
    corpus.push_back({"100000 attributes", attrs + "/>", UIMarkupUtf8});
    corpus.push_back({"100000 attributes, unclosed", attrs, UIMarkupUtf8});
    std::string deep;
    for (int k = 0; k < 100000; ++k) deep += "<d>";
    corpus.push_back({"100000 open elements", deep, UIMarkupUtf8});
    corpus.push_back({"100000 open elements, one close", deep + "</d>", UIMarkupUtf8});
    corpus.push_back({"'<' x 100000", std::string(100000, '<'), UIMarkupUtf8});
    corpus.push_back({"'&' x 100000 in a value", "<A v=\"" + std::string(100000, '&'), UIMarkupUtf8});
    std::string entities = "<A v=\"";
    for (int k = 0; k < 20000; ++k) entities += "&amp;";
    corpus.push_back({"entities, unterminated", entities, UIMarkupUtf8});
    corpus.push_back({"entities", entities + "\" w=\"1\"/>", UIMarkupUtf8});
    const char* tails[] = {
        "<A v=\"",  "<A v=\"x", "<A v=\"&", "<A v=\"&am", "<A v=\"&quot", "<A v", "<A v=", "<A v =",
        "<!--",     "<!-- x -", "<?",       "<?x ?",     "<A/><!",      "<A/><?", "<A>&", "<A>&lt",
        "<A></",    "<A></A",   "<A></A ",  "<A/",       "<A /",        "<",     "< ",    "<A><B></B",
        "\xEF\xBB", "\xEF",     "<A v=\"\xC3", "<A v=\"\xE4\xB8", "<A v=\"\xF0\x9F\x98",
    };
    for (const char* t : tails) corpus.push_back({std::string("tail ") + t, t, UIMarkupUtf8});
    // Random bytes.
    for (int m = 0; m < 300; ++m) {
        std::string s(1 + rnd.Below(200), '\0');
        for (char& c : s) c = RandomByte(rnd);
        if (m % 3 == 0) s = "<" + s;
        corpus.push_back({"random " + std::to_string(m), s, m % 4 == 3 ? (int)UIMarkupUtf16 : (int)UIMarkupUtf8});
    }
    return corpus;
}

bool IsNameRun(const wchar_t* s) {
    for (; *s; ++s) {
        const wchar_t c = *s;
        const bool ascii = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == ':';
        if (c < 128 ? !ascii : !iswalnum(c)) return false;
    }
    return true;
}

// Walks everything a successful parse exposes, reading every string whole.
void WalkAndCheck(CUIMarkup& markup, const std::string& what, int* elements) {
    std::vector<CUIMarkupNode> stack;
    if (markup.GetRoot().IsValid()) stack.push_back(markup.GetRoot());
    int visited = 0;
    while (!stack.empty()) {
        CUIMarkupNode node = stack.back();
        stack.pop_back();
        ASSERT_LT(++visited, 2000000) << what << ": the tree does not end";
        const wchar_t* name = node.GetName();
        ASSERT_NE(name, nullptr) << what;
        ASSERT_TRUE(IsNameRun(name)) << what << ": name " << N(name);
        const int count = node.GetAttributeCount();
        ASSERT_GE(count, 0);
        ASSERT_LE(count, CUIMarkupNode::MAX_ATTRIBUTES) << what;
        for (int i = 0; i < count; ++i) {
            const wchar_t* an = node.GetAttributeName(i);
            const wchar_t* av = node.GetAttributeValue(i);
            ASSERT_NE(an, nullptr);
            ASSERT_NE(av, nullptr);
            const size_t len = wcslen(av);
            std::vector<wchar_t> buf(len + 2, L'#');
            ASSERT_TRUE(node.CopyAttributeValue(an, buf.data(), len + 1)) << what << ": attribute " << N(an);
            EXPECT_EQ(buf[len + 1], L'#') << what;
            (void)wcslen(an);
        }
        EXPECT_STREQ(node.GetAttributeName(count), L"");
        CUIMarkupNode next = node.GetNextSibling();
        if (next.IsValid()) stack.push_back(next);
        CUIMarkupNode child = node.GetFirstChild();
        EXPECT_EQ(child.IsValid(), node.HasChildren());
        if (child.IsValid()) stack.push_back(child);
    }
    *elements = visited;
}

}  // namespace

TEST(MarkupCorpus, BrokenDocumentsFailCleanly) {
    g_handler = AddVectoredExceptionHandler(1, ReportFault);
    const std::vector<Document> corpus = MakeCorpus();
    int loaded = 0, failed = 0, walked = 0, maxGuarded = 0;
    CUIMarkup markup;
    for (const Document& doc : corpus) {
        g_current = doc.what;
        GuardedBytes input(doc.bytes.data(), doc.bytes.size());
        g_guardAllocations = true;
        const bool ok = markup.LoadFromMemory(input.data(), (DWORD)doc.bytes.size(), doc.encoding);
        if (ok && g_blockCount > maxGuarded) maxGuarded = g_blockCount;
        int elements = 0;
        if (ok) WalkAndCheck(markup, doc.what, &elements);
        const std::wstring message = markup.GetLastErrorMessage();
        const size_t locationLength = wcslen(markup.GetLastErrorLocation());
        markup.Release();
        g_guardAllocations = false;
        ASSERT_EQ(g_blockCount, 0) << doc.what << ": the markup kept memory after Release";
        if (ok) {
            ++loaded;
            walked += elements;
            EXPECT_EQ(message, L"") << doc.what;
        }
        else {
            ++failed;
            EXPECT_FALSE(markup.GetRoot().IsValid());
            // UTF-16 input without its mark fails before parsing, without a message.
            bool noMark = false;
            if (doc.encoding == UIMarkupUtf16) {
                const bool le = doc.bytes.size() >= 2 && (BYTE)doc.bytes[0] == 0xFF && (BYTE)doc.bytes[1] == 0xFE;
                const bool be = doc.bytes.size() >= 2 && (BYTE)doc.bytes[0] == 0xFE && (BYTE)doc.bytes[1] == 0xFF;
                noMark = !le && !be;
            }
            if (noMark) {
                EXPECT_EQ(message, L"") << doc.what;
            }
            else {
                EXPECT_TRUE(ParseErrors().count(message)) << doc.what << ": message " << N(message);
            }
            EXPECT_LE(locationLength, 49u) << doc.what;
        }
        if (HasFatalFailure()) break;
    }
    g_current = "(done)";
    std::printf("corpus: %d documents, %d loaded (%d elements), %d failed\n", (int)corpus.size(), loaded, walked,
                failed);
    // The text and the element table of a loaded document were guarded.
    EXPECT_GE(maxGuarded, 2);
    // The corpus exercises both outcomes broadly.
    EXPECT_GT(loaded, 1000);
    EXPECT_GT(failed, 1000);
    RemoveVectoredExceptionHandler(g_handler);
}

// The same wide texts through Load, with the text itself ending at a
// no-access page.
TEST(MarkupCorpus, WideTextsFailCleanly) {
    g_handler = AddVectoredExceptionHandler(1, ReportFault);
    Random rnd(0xC0FFEEull);
    const std::wstring base = ReferenceLayout();
    CUIMarkup markup;
    for (int m = 0; m < 3000; ++m) {
        std::wstring text = base;
        const int edits = 1 + (int)rnd.Below(3);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = rnd.Below((unsigned)text.size());
            switch (rnd.Below(4)) {
            case 0:
                text[at] = (wchar_t)kInteresting[rnd.Below(sizeof(kInteresting) - 1)];
                break;
            case 1:
                text[at] = (wchar_t)(0xD800 + rnd.Below(0x800));   // surrogates
                break;
            case 2:
                text.erase(at, 1 + rnd.Below(12));
                break;
            default:
                text.resize(at);
                break;
            }
        }
        g_current = "wide mutation " + std::to_string(m);
        GuardedBytes input(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        g_guardAllocations = true;
        const bool ok = markup.Load((const wchar_t*)input.data());
        int elements = 0;
        if (ok) WalkAndCheck(markup, g_current, &elements);
        const std::wstring message = markup.GetLastErrorMessage();
        markup.Release();
        g_guardAllocations = false;
        if (!ok) {
            EXPECT_TRUE(ParseErrors().count(message)) << g_current << ": message " << N(message);
        }
        if (HasFatalFailure()) break;
    }
    g_current = "(done)";
    RemoveVectoredExceptionHandler(g_handler);
}

// The UTF-8 decoder against the platform converter on random byte strings.
TEST(MarkupCorpus, Utf8MatchesThePlatformConverter) {
    Random rnd(0xFACADEull);
    for (int m = 0; m < 3000; ++m) {
        std::string value;
        const unsigned n = rnd.Below(40);
        for (unsigned k = 0; k < n; ++k) {
            switch (rnd.Below(4)) {
            case 0:
                value += (char)('a' + rnd.Below(26));
                break;
            case 1:
                value += (char)kHighBytes[rnd.Below(sizeof(kHighBytes))];
                break;
            case 2: {   // a well-formed sequence of 2 to 4 bytes
                const unsigned cp = 0x80 + rnd.Below(0x10FFFF - 0x80);
                if (cp >= 0xD800 && cp <= 0xDFFF) break;
                wchar_t w[2];
                int len = 1;
                if (cp >= 0x10000) {
                    w[0] = (wchar_t)(0xD800 + ((cp - 0x10000) >> 10));
                    w[1] = (wchar_t)(0xDC00 + ((cp - 0x10000) & 0x3FF));
                    len = 2;
                }
                else {
                    w[0] = (wchar_t)cp;
                }
                value += testsupport::Narrow(std::wstring(w, len));
                break;
            }
            default:
                value += (char)(0x80 + rnd.Below(128));
                break;
            }
        }
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        const std::string doc = "<A v=\"" + value + "\"/>";
        std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, doc.data(), (int)doc.size(), nullptr, 0), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, doc.data(), (int)doc.size(), &wide[0], (int)wide.size());

        CUIMarkup fromBytes, fromWide;
        const bool a = LoadBytes(fromBytes, doc, UIMarkupUtf8);
        const bool b = fromWide.Load(wide.c_str());
        ASSERT_EQ(a, b) << m;
        if (a) {
            ASSERT_EQ(N(Dump(fromBytes)), N(Dump(fromWide))) << m;
        }
    }
}
