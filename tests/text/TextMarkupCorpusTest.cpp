// Malformed and hostile tagged text: every text of a corpus (hand-written cases
// plus truncations and bracket mutations of a rich text) is drawn and measured
// with several flag sets and rectangles. Each text sits at the very end of a
// readable page followed by an inaccessible one, so a read past its
// terminator faults; link arrays carry sentinels after their capacity.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "TextTestSupport.h"
#include "UIManager.h"
#include "UIRender.h"

using namespace SkinUI;
using namespace texttest;
using testsupport::Canvas;

namespace {

// A text copied so that its terminator is the last character before a
// PAGE_NOACCESS page.
class GuardedText {
public:
    explicit GuardedText(const std::wstring& text)
    {
        SYSTEM_INFO si;
        ::GetSystemInfo(&si);
        const size_t page = si.dwPageSize;
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        const size_t dataPages = (bytes + page - 1) / page;
        m_size = (dataPages + 1) * page;
        m_base = static_cast<BYTE*>(::VirtualAlloc(NULL, m_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(m_base + dataPages * page, page, PAGE_NOACCESS, &old);
        m_text = reinterpret_cast<wchar_t*>(m_base + dataPages * page - bytes);
        memcpy(m_text, text.c_str(), bytes);
    }
    ~GuardedText() { ::VirtualFree(m_base, 0, MEM_RELEASE); }
    const wchar_t* get() const { return m_text; }

private:
    BYTE* m_base;
    size_t m_size;
    wchar_t* m_text;
};

std::vector<std::wstring> HandCorpus()
{
    std::vector<std::wstring> c = {
        L"", L"<", L"{", L">", L"}", L"<<", L"{{", L"<a", L"<a ", L"<a x", L"<a x}", L"</", L"</a", L"</a>",
        L"{/a", L"{/a}", L"</ab>", L"</A>", L"<{", L"<{>", L"<}", L"<}>", L"{<", L"{<}", L"{>", L"{>}", L"<{}",
        L"<b><b><b>", L"</b></b></b>x", L"</i></i>x", L"</c></c></p></p></s>", L"<c", L"<c>", L"<c #", L"<c #>x",
        L"<c #FFFFFFFFFFFFFFFFFFFF>x", L"<c zz>x", L"<c -1>x", L"<f", L"<f>", L"<f >x</f>", L"<f 99999999999>x",
        L"<f -5>x", L"<f -99999999999>x", L"<f X 99999999 bold>x", L"<f X -7 italic underline bold>x",
        L"<f " + std::wstring(300, L'A') + L" 12 bold>x", L"<i", L"<i>", L"<i >", L"<i x.png 0 0>",
        L"<i strip.png -1 -5>", L"<i strip.png 99999999999 99999999999>", L"<i file='>", L"<i file='strip.png>",
        L"<i file=''>", L"<i file='' res=''>", L"<i file = 'strip.png' 3 1>", L"<i res='strip.png' restype='PNG'>",
        L"<i file='strip.png'restype='x'>", L"<i strip.png 3 1>", L"<x>", L"<x 99999999999>a", L"<x -99999>a",
        L"<x 2147483647><x 2147483647>a", L"<y -5>a<n>b", L"<y 0><n><n><n>", L"<y 99999999999>a<n>b", L"<p",
        L"<p>", L"<p -99999>a</p>b", L"<p 99999999999>a</p>b", L"</p></p></p>", L"<r>", L"<r><b>", L"<r></r",
        L"<r>{/r", L"<r>abc</r}x", L"<s><s></s>", L"\n\n\n", L"<n><n>", L"a<b", L"a{b", L"<a>x<a>y</a>",
        L"<a><a><a></a>", L"<a 1>a\nb\nc\nd</a>", L"\xD83D", L"a\xD83D", L"\xDE00x", L"\xD83D\xDE00\xD83D\xDE00",
        L"\x4E2D\x6587<b>\x5B57</b>", L"\t\r\n\x01\x7F", L"<" + std::wstring(5000, L'b'),
        L"<b " + std::wstring(5000, L' '), std::wstring(2000, L'<'), std::wstring(2000, L'{'),
    };
    std::wstring deep;
    for (int i = 0; i < 2000; i++) deep += L"<b><i><u><c #FF0000><a x><f 0><p 1>";
    c.push_back(deep + L"x");
    std::wstring closers;
    for (int i = 0; i < 2000; i++) closers += L"</a></b></c></f></i></p></u></s>";
    c.push_back(closers + L"x");
    return c;
}

std::vector<std::wstring> MutationCorpus()
{
    const std::wstring rich =
        L"Hi <b>bold</b> {c #FF0000}red{/c} <a link>go</a><n><p 4>para</p><i strip.png 3 1>"
        L"<r><x></r><x 5><y 20><s>sel</s><f 0>f</f><u>u</u><i>i</i>{<}{>}<{><}>end";
    std::vector<std::wstring> c;
    for (size_t n = 0; n <= rich.size(); n++) c.push_back(rich.substr(0, n));
    const wchar_t subs[] = { L'<', L'{', L'>', L'}', L'/', L' ', L'\n', L'\0' };
    for (size_t i = 0; i < rich.size(); i++) {
        for (wchar_t ch : subs) {
            std::wstring m = rich;
            m[i] = ch;
            if (ch == L'\0') m.resize(i);   // an early terminator
            c.push_back(m);
        }
    }
    return c;
}

class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"text\\").c_str());
        M()->AddFont(M()->GetDefaultFontInfo()->sFontName, 14, false, false, false);
    }
    void TearDown() override { CUIManager::ResetResourceState(); }
    CUIManager* M() const { return m_host.get(); }

    // Draws and measures one text; checks the link outputs.
    void RunOne(HDC dc, const std::wstring& text, const RECT& rcIn, UINT style)
    {
        GuardedText guarded(text);
        const int capacity = 2;
        CUIRect rects[capacity + 2];
        CUIString texts[capacity + 2];
        for (int i = 0; i < capacity + 2; i++) {
            rects[i] = CUIRect(-9, -9, -9, -9);
            texts[i] = L"sentinel";
        }
        int n = capacity;
        RECT rc = rcIn;
        CUIRender::DrawTaggedText(dc, M(), rc, guarded.get(), 0xFF000000, rects, texts, n, style);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, capacity);
        for (int i = capacity; i < capacity + 2; i++) {
            ASSERT_EQ(-9, rects[i].left) << "link slot " << i << " written";
            ASSERT_STREQ(L"sentinel", texts[i].GetData());
        }
        if ((style & DT_CALCRECT) != 0) {
            ASSERT_EQ(rcIn.left, rc.left);
            ASSERT_EQ(rcIn.top, rc.top);
            ASSERT_LE(rc.right, rcIn.right);
        } else {
            ASSERT_EQ(rcIn.right, rc.right) << "drawing changed the caller's rect";
        }
    }

    ManagerHost m_host;
};

const UINT kStyles[] = {
    0,
    DT_WORDBREAK,
    DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS,
    DT_CALCRECT | DT_WORDBREAK,
    DT_RIGHT | DT_BOTTOM | DT_WORDBREAK | DT_END_ELLIPSIS,
};
const RECT kRects[] = {
    { 0, 0, 200, 100 },
    { 0, 0, 1, 100 },
    { 5, 5, 35, 10 },
};

TEST_F(CorpusTest, HandWrittenMalformedTextsNeitherCrashNorOverRead)
{
    Canvas canvas(220, 120);
    for (const std::wstring& text : HandCorpus()) {
        for (UINT style : kStyles) {
            for (const RECT& rc : kRects) {
                RunOne(canvas.dc(), text, rc, style);
                if (HasFatalFailure()) {
                    ADD_FAILURE() << "text: " << testsupport::Narrow(text.substr(0, 80)) << " style " << style;
                    return;
                }
            }
        }
    }
}

TEST_F(CorpusTest, TruncatedAndMutatedRichTextsNeitherCrashNorOverRead)
{
    Canvas canvas(220, 120);
    const std::vector<std::wstring> corpus = MutationCorpus();
    ASSERT_GT(corpus.size(), 1000u);
    for (const std::wstring& text : corpus) {
        for (UINT style : kStyles) {
            RunOne(canvas.dc(), text, kRects[0], style);
            if (HasFatalFailure()) {
                ADD_FAILURE() << "text: " << testsupport::Narrow(text) << " style " << style;
                return;
            }
        }
    }
}

TEST_F(CorpusTest, TheGuardPageFollowsTheTerminator)
{
    // The character after the terminator lies on an inaccessible page, so a
    // read past the text faults.
    GuardedText guarded(L"ab");
    MEMORY_BASIC_INFORMATION mbi = {};
    ASSERT_NE(0u, ::VirtualQuery(guarded.get() + 3, &mbi, sizeof(mbi)));
    EXPECT_EQ((DWORD)PAGE_NOACCESS, mbi.Protect);
    ASSERT_NE(0u, ::VirtualQuery(guarded.get() + 2, &mbi, sizeof(mbi)));
    EXPECT_EQ((DWORD)PAGE_READWRITE, mbi.Protect);
    EXPECT_EQ(L'\0', guarded.get()[2]);
}

}  // namespace
