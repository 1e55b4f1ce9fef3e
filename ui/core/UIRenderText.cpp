// Render engine: plain text through the platform's DrawText, and the tagged
// text renderer (fonts, colours, links, inline images, wrapping, measuring).
#include "UIRender.h"
#include "UIManager.h"

#include <wchar.h>

#include <utility>
#include <vector>

namespace SkinUI {

namespace {

COLORREF ToColorRef(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool IsTagLetter(wchar_t ch)
{
    return ch >= L'a' && ch <= L'z';
}

bool IsTagStart(wchar_t ch)
{
    return ch == L'<' || ch == L'{';
}

bool IsTagEnd(wchar_t ch)
{
    return ch == L'>' || ch == L'}';
}

bool IsAsciiLetter(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

bool IsDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

int HexValue(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    return -1;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

// "</r>" or "{/r}" (either bracket on either side) ends raw text.
bool IsRawEnd(const wchar_t* p)
{
    return IsTagStart(p[0]) && p[1] == L'/' && p[2] == L'r' && IsTagEnd(p[3]);
}

// "<{>" "<}>" draw a brace, "{<}" "{>}" an angle bracket.
bool ReadEscape(const wchar_t* p, wchar_t* ch)
{
    if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') {
        *ch = p[1];
        return true;
    }
    if (p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}') {
        *ch = p[1];
        return true;
    }
    return false;
}

// A tag at p: "<x ...>", "<x>", "</x>", with "{" / "}" allowed for either
// bracket. The argument runs from just after the letter to the closing
// bracket. A "<" without its closing bracket before the end of the text is no
// tag (it is drawn as text).
struct TagInfo
{
    bool bClosing;
    wchar_t chLetter;
    const wchar_t* pArg;     // argument start (after the letter)
    const wchar_t* pArgEnd;  // the closing bracket
    const wchar_t* pNext;    // first character after the tag
};

bool ParseTag(const wchar_t* p, TagInfo& tag)
{
    if (!IsTagStart(p[0])) return false;
    if (p[1] == L'/') {
        if (!IsTagLetter(p[2]) || !IsTagEnd(p[3])) return false;
        tag.bClosing = true;
        tag.chLetter = p[2];
        tag.pArg = p + 3;
        tag.pArgEnd = p + 3;
        tag.pNext = p + 4;
        return true;
    }
    if (!IsTagLetter(p[1])) return false;
    if (p[2] != L' ' && !IsTagEnd(p[2])) return false;
    const wchar_t* end = p + 2;
    while (*end != L'\0' && !IsTagEnd(*end)) ++end;
    if (*end == L'\0') return false;
    tag.bClosing = false;
    tag.chLetter = p[1];
    tag.pArg = p + 2;
    tag.pArgEnd = end;
    tag.pNext = end + 1;
    return true;
}

// Argument readers; none reads at or past end.
void SkipBlanks(const wchar_t*& p, const wchar_t* end)
{
    while (p < end && *p == L' ') ++p;
}

// A decimal number with an optional sign; false (p unchanged) when there is
// none. Large values saturate.
bool ReadInt(const wchar_t*& p, const wchar_t* end, int* value)
{
    const wchar_t* q = p;
    SkipBlanks(q, end);
    bool negative = false;
    if (q < end && (*q == L'-' || *q == L'+')) {
        negative = (*q == L'-');
        ++q;
    }
    if (q >= end || !IsDigit(*q)) return false;
    int n = 0;
    while (q < end && IsDigit(*q)) {
        if (n < 100000000) n = n * 10 + (*q - L'0');
        ++q;
    }
    *value = negative ? -n : n;
    p = q;
    return true;
}

// Blanks, one optional "#", hexadecimal digits; saturates at 0xFFFFFFFF.
DWORD ReadColor(const wchar_t* p, const wchar_t* end)
{
    SkipBlanks(p, end);
    if (p < end && *p == L'#') ++p;
    DWORD value = 0;
    while (p < end && HexValue(*p) >= 0) {
        if (value > 0x0FFFFFFF)
            value = 0xFFFFFFFF;
        else
            value = (value << 4) | (DWORD)HexValue(*p);
        ++p;
    }
    return value;
}

bool ContainsText(const wchar_t* p, const wchar_t* end, const wchar_t* what)
{
    const int len = (int)wcslen(what);
    for (; end - p >= len; ++p) {
        if (wmemcmp(p, what, len) == 0) return true;
    }
    return false;
}

// The characters that make one unit at s (a surrogate pair stays whole).
int CharUnit(const wchar_t* s, int len)
{
    if (len >= 2 && IS_HIGH_SURROGATE(s[0]) && IS_LOW_SURROGATE(s[1])) return 2;
    return len > 0 ? 1 : 0;
}

const int kMaxTagNumber = 32767;
const int kMaxFontSize = 1000;

// ---------------------------------------------------------------------------
// One call of the tagged renderer.
// ---------------------------------------------------------------------------
class CTaggedTextRenderer
{
public:
    CTaggedTextRenderer(HDC hDC, CUIManager* pManager, UIFontInfo* pDefaultFont, const RECT& rcLayout,
                        const RECT& rcPaint, DWORD dwTextColor, UINT uStyle, CUIRect* prcLinks,
                        CUIString* sLinks, int nCapacity, const CUIString* psHover)
        : m_hDC(hDC), m_pManager(pManager), m_pDefaultFont(pDefaultFont), m_rc(rcLayout),
          m_rcPaint(rcPaint), m_dwTextColor(dwTextColor), m_uStyle(uStyle),
          m_bCalc((uStyle & DT_CALCRECT) != 0), m_bSingle((uStyle & DT_SINGLELINE) != 0),
          m_prcLinks(prcLinks), m_sLinks(sLinks), m_nCapacity(nCapacity), m_nLinks(0), m_psHover(psHover),
          m_y(rcLayout.top), m_cyLine(0), m_cxMax(rcLayout.left), m_cyImageBottom(rcLayout.top),
          m_bDraw(false), m_bRecord(false)
    {
        ::ZeroMemory(&m_tm, sizeof(m_tm));
    }

    void Run(const wchar_t* pstrText);

    int LinkCount() const { return m_nLinks; }
    int WidestX() const { return m_cxMax; }
    int MeasuredBottom() const
    {
        const int bottom = m_y + m_cyLine;
        return bottom > m_cyImageBottom ? bottom : m_cyImageBottom;
    }

private:
    struct State
    {
        std::vector<UIFontInfo*> fonts;
        std::vector<DWORD> colors;
        std::vector<int> paragraphs;
        bool bRaw;
        bool bSelected;
        bool bInLink;
        bool bLinkContinued;   // the open link began on an earlier line
        POINT ptLink;
        CUIString sLink;
        int x;
        const wchar_t* p;
    };

    UIFontInfo* CurrentFont() const
    {
        return m_st.fonts.empty() ? m_pDefaultFont : m_st.fonts.back();
    }
    int Contribution() const
    {
        const int spacing = m_st.paragraphs.empty() ? 0 : m_st.paragraphs.back();
        return spacing + m_tm.tmHeight + m_tm.tmExternalLeading;
    }

    void ApplyDcState();
    void SelectCurrentFont();
    void SelectCurrentColor();
    void PushFont(UIFontInfo* pFont);
    void PopFont();
    void PushColor(DWORD dwColor);
    void PopColor();
    UIFontInfo* FontVariant(bool bBold, bool bUnderline, bool bItalic);
    UIFontInfo* NamedFont(const wchar_t* arg, const wchar_t* end);
    void RaiseLine(int cy)
    {
        if (cy > m_cyLine) m_cyLine = cy;
    }
    void AdvanceX(int dx)
    {
        m_st.x += dx;
        if (m_st.x > m_cxMax) m_cxMax = m_st.x;
    }
    void RecordLink(int bottom);

    void ProcessLine();
    bool TextRun(const wchar_t* s, int len, int consumedWhole);
    bool Tag(const TagInfo& tag);
    bool Image(const TagInfo& tag);

    HDC m_hDC;
    CUIManager* m_pManager;
    UIFontInfo* m_pDefaultFont;
    CUIRect m_rc;        // layout rectangle
    CUIRect m_rcPaint;   // the caller's rectangle (images are cut to it)
    DWORD m_dwTextColor;
    UINT m_uStyle;
    bool m_bCalc;
    bool m_bSingle;

    CUIRect* m_prcLinks;
    CUIString* m_sLinks;
    int m_nCapacity;
    int m_nLinks;
    const CUIString* m_psHover;   // text of the link under the mouse, or NULL

    State m_st;
    int m_y;              // line top
    int m_cyLine;         // line height
    int m_cxMax;          // widest x reached
    int m_cyImageBottom;  // lowest image bottom
    TEXTMETRICW m_tm;     // metrics of the selected font
    bool m_bDraw;         // this pass draws
    bool m_bRecord;       // this pass records links

    // Metrics of fonts the manager has not measured yet, taken on this DC.
    std::vector<std::pair<UIFontInfo*, TEXTMETRICW> > m_aMeasured;
};

void CTaggedTextRenderer::SelectCurrentFont()
{
    UIFontInfo* pFont = CurrentFont();
    HFONT hFont = pFont->hFont != NULL ? pFont->hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    ::SelectObject(m_hDC, hFont);
    if (pFont->tm.tmHeight != 0) {
        m_tm = pFont->tm;
        return;
    }
    for (size_t i = 0; i < m_aMeasured.size(); i++) {
        if (m_aMeasured[i].first == pFont) {
            m_tm = m_aMeasured[i].second;
            return;
        }
    }
    ::ZeroMemory(&m_tm, sizeof(m_tm));
    ::GetTextMetricsW(m_hDC, &m_tm);
    m_aMeasured.push_back(std::make_pair(pFont, m_tm));
}

void CTaggedTextRenderer::SelectCurrentColor()
{
    ::SetTextColor(m_hDC, ToColorRef(m_st.colors.empty() ? m_dwTextColor : m_st.colors.back()));
}

void CTaggedTextRenderer::ApplyDcState()
{
    SelectCurrentFont();
    SelectCurrentColor();
    ::SetBkMode(m_hDC, m_st.bSelected ? OPAQUE : TRANSPARENT);
}

void CTaggedTextRenderer::PushFont(UIFontInfo* pFont)
{
    m_st.fonts.push_back(pFont != NULL ? pFont : CurrentFont());
    SelectCurrentFont();
}

void CTaggedTextRenderer::PopFont()
{
    if (m_st.fonts.empty()) return;
    const bool bWasItalic = m_st.fonts.back()->bItalic;
    m_st.fonts.pop_back();
    if (bWasItalic && !CurrentFont()->bItalic) {
        // The italic font (still selected) leans past its last advance.
        ABC abc = { 0, 0, 0 };
        if (::GetCharABCWidthsW(m_hDC, L' ', L' ', &abc)) AdvanceX(abc.abcC / 2);
    }
    SelectCurrentFont();
}

void CTaggedTextRenderer::PushColor(DWORD dwColor)
{
    m_st.colors.push_back(dwColor);
    SelectCurrentColor();
}

void CTaggedTextRenderer::PopColor()
{
    if (!m_st.colors.empty()) m_st.colors.pop_back();
    SelectCurrentColor();
}

// The current font with these styles, from the manager (created once). When
// it cannot be made, the current font.
UIFontInfo* CTaggedTextRenderer::FontVariant(bool bBold, bool bUnderline, bool bItalic)
{
    UIFontInfo* pCur = CurrentFont();
    const wchar_t* face = pCur->sFontName.GetData();
    HFONT hFont = m_pManager->FindFont(face, pCur->iSize, bBold, bUnderline, bItalic);
    if (hFont == NULL) hFont = m_pManager->AddFont(face, pCur->iSize, bBold, bUnderline, bItalic);
    if (hFont == NULL) return pCur;
    UIFontInfo* pFont = m_pManager->GetFontInfoByHandle(hFont);
    return pFont != NULL ? pFont : pCur;
}

// "f" argument: a font index, or "face [size] [bold] [underline] [italic]".
UIFontInfo* CTaggedTextRenderer::NamedFont(const wchar_t* p, const wchar_t* end)
{
    SkipBlanks(p, end);
    int index = 0;
    const wchar_t* q = p;
    if (q < end && (IsDigit(*q) || *q == L'-') && ReadInt(q, end, &index)) {
        UIFontInfo* pFont = m_pManager->GetFontInfoByIndex(index);
        return pFont != NULL ? pFont : m_pDefaultFont;
    }

    const wchar_t* face = p;
    while (p < end && *p != L' ') ++p;
    if (p == face) return NULL;   // no argument: the current font again
    // The platform keeps at most LF_FACESIZE - 1 characters of a face; look
    // fonts up under that name so that a long face is not added per paint.
    int faceLen = (int)(p - face);
    if (faceLen > LF_FACESIZE - 1) faceLen = LF_FACESIZE - 1;
    CUIString sFace(face, faceLen);

    int size = 10;
    int given = 0;
    if (ReadInt(p, end, &given) && given > 0) size = given;
    if (size > kMaxFontSize) size = kMaxFontSize;

    CUIString sWords(p, (int)(end - p));
    sWords.MakeLower();
    const bool bBold = sWords.Find(L"bold") >= 0;
    const bool bUnderline = sWords.Find(L"underline") >= 0;
    const bool bItalic = sWords.Find(L"italic") >= 0;

    HFONT hFont = m_pManager->FindFont(sFace, size, bBold, bUnderline, bItalic);
    if (hFont == NULL) hFont = m_pManager->AddFont(sFace, size, bBold, bUnderline, bItalic);
    if (hFont == NULL) return NULL;
    return m_pManager->GetFontInfoByHandle(hFont);
}

void CTaggedTextRenderer::RecordLink(int bottom)
{
    if (!m_bRecord) return;
    // A link carried over from the line before that has nothing on this line.
    if (m_st.bLinkContinued && m_st.x <= m_st.ptLink.x) return;
    if (m_nLinks >= m_nCapacity) return;
    if (m_prcLinks != NULL) m_prcLinks[m_nLinks] = CUIRect(m_st.ptLink.x, m_st.ptLink.y, m_st.x, bottom);
    if (m_sLinks != NULL) m_sLinks[m_nLinks] = m_st.sLink;
    m_nLinks++;
}

void CTaggedTextRenderer::Run(const wchar_t* pstrText)
{
    m_st.bRaw = false;
    m_st.bSelected = false;
    m_st.bInLink = false;
    m_st.bLinkContinued = false;
    m_st.ptLink.x = m_rc.left;
    m_st.ptLink.y = m_rc.top;
    m_st.x = m_rc.left;
    m_st.p = pstrText;
    ApplyDcState();
    m_cyLine = Contribution();

    for (;;) {
        const int linkBase = m_nLinks;
        if (m_bCalc) {
            m_bDraw = false;
            m_bRecord = true;
            ProcessLine();
        } else {
            // Measuring pass (line height, links), then the drawing pass over
            // the same characters from the same state.
            const State saved = m_st;
            m_bDraw = false;
            m_bRecord = true;
            ProcessLine();
            m_st = saved;
            ApplyDcState();
            m_bDraw = true;
            m_bRecord = false;
            ProcessLine();
        }
        const int lineBottom = m_y + m_cyLine;
        for (int i = linkBase; i < m_nLinks; i++) {
            if (m_prcLinks != NULL) m_prcLinks[i].bottom = lineBottom;
        }

        if (*m_st.p == L'\0' || m_bSingle) break;
        if (lineBottom > m_rc.bottom) break;
        m_y = lineBottom;
        m_st.x = m_rc.left;
        if (m_st.bInLink) {
            // The open link goes on as a further link on the new line.
            m_st.bLinkContinued = true;
            m_st.ptLink.x = m_rc.left;
            m_st.ptLink.y = m_y;
        }
        m_cyLine = Contribution();
    }
}

void CTaggedTextRenderer::ProcessLine()
{
    bool bLineEnd = false;
    bool bOverflow = false;
    while (!bLineEnd) {
        const wchar_t* p = m_st.p;
        if (*p == L'\0') break;
        if (m_st.x >= m_rc.right) {
            // A full line takes a line feed that follows right away with it.
            if (*p == L'\n') m_st.p++;
            break;
        }
        if (*p == L'\n') {
            m_st.p++;
            break;
        }

        if (m_st.bRaw) {
            if (IsRawEnd(p)) {
                m_st.bRaw = false;
                m_st.p += 4;
                continue;
            }
            int len = 1;
            while (p[len] != L'\0' && p[len] != L'\n' && !IsRawEnd(p + len)) len++;
            bLineEnd = bOverflow = TextRun(p, len, -1);
            continue;
        }

        wchar_t chEscape = 0;
        if (ReadEscape(p, &chEscape)) {
            bLineEnd = bOverflow = TextRun(&chEscape, 1, 3);
            continue;
        }
        TagInfo tag;
        if (ParseTag(p, tag)) {
            bLineEnd = Tag(tag);
            continue;
        }
        // A run: a lone blank, or text up to the next bracket or line feed
        // (a bracket that starts no tag is its first character).
        int len = 1;
        if (*p != L' ') {
            while (p[len] != L'\0' && p[len] != L'\n' && !IsTagStart(p[len])) len++;
        }
        bLineEnd = bOverflow = TextRun(p, len, -1);
    }
    // A line feed right after a run that filled the line ends this line, not
    // the next one.
    if (bOverflow && *m_st.p == L'\n') m_st.p++;

    if (m_bRecord && m_st.bInLink) RecordLink(m_y + m_cyLine);
}

// Lays out (and in the drawing pass draws) up to len characters of s at the
// current position. consumedWhole: characters of the text that stand for s
// when it is taken whole (escapes), or -1 when s is the text itself. True when
// the line ends after the run.
bool CTaggedTextRenderer::TextRun(const wchar_t* s, int len, int consumedWhole)
{
    const int avail = m_rc.right - m_st.x;   // > 0 here
    // Only as many characters as could possibly fit are measured.
    int measureLen = len;
    if (measureLen > avail + 1) measureLen = avail + 1;

    int nFit = 0;
    SIZE sz = { 0, 0 };
    if (!::GetTextExtentExPointW(m_hDC, s, measureLen, avail, &nFit, NULL, &sz)) {
        nFit = 0;
        sz.cx = 0;
    }

    int cch = len;
    int cx = sz.cx;
    bool bOverflow = false;
    bool bEllipsis = false;
    int consumed = len;
    if (nFit < len) {
        bOverflow = true;
        cch = nFit;
        if (cch > 0 && cch < len && IS_HIGH_SURROGATE(s[cch - 1]) && IS_LOW_SURROGATE(s[cch])) cch--;
        const bool bAtLeft = m_st.x <= m_rc.left;
        // Every line takes at least one character.
        if (cch == 0 && bAtLeft) cch = CharUnit(s, len);
        if ((m_uStyle & DT_WORDBREAK) != 0) {
            int lastBreak = 0;
            for (int i = 0; i < cch; i++) {
                if (!IsAsciiLetter(s[i])) lastBreak = i + 1;
            }
            if (lastBreak > 0)
                cch = lastBreak;
            else if (!bAtLeft)
                cch = 0;   // the word starts the next line
        }
        consumed = cch;
        if ((m_uStyle & DT_END_ELLIPSIS) != 0 && cch > 0) {
            bEllipsis = true;
            cch -= (cch > 1) ? 2 : 1;
        }
        cx = 0;
        if (cch > 0) {
            SIZE szCut = { 0, 0 };
            if (::GetTextExtentPoint32W(m_hDC, s, cch, &szCut)) cx = szCut.cx;
        }
    }

    if (m_bDraw && (cch > 0 || bEllipsis)) {
        int xDraw = m_st.x;
        if (!m_bSingle) {
            if ((m_uStyle & DT_CENTER) != 0)
                xDraw += (m_rc.GetWidth() - cx) / 2;
            else if ((m_uStyle & DT_RIGHT) != 0)
                xDraw += m_rc.GetWidth() - cx;
        }
        if (cch > 0)
            ::TextOutW(m_hDC, xDraw, m_y + m_cyLine - m_tm.tmHeight - m_tm.tmExternalLeading, s, cch);
        if (bEllipsis) ::TextOutW(m_hDC, xDraw + cx, m_y, L"...", 3);
    }

    if (bEllipsis) {
        m_st.x = m_rc.right;
        if (m_st.x > m_cxMax) m_cxMax = m_st.x;
    } else {
        AdvanceX(cx);
    }

    if (consumedWhole < 0)
        m_st.p += consumed;
    else if (consumed == len)
        m_st.p += consumedWhole;
    return bOverflow;
}

bool CTaggedTextRenderer::Tag(const TagInfo& tag)
{
    const wchar_t* arg = tag.pArg;
    const wchar_t* end = tag.pArgEnd;

    if (tag.bClosing) {
        m_st.p = tag.pNext;
        switch (tag.chLetter) {
        case L'a':
            if (m_st.bInLink) {
                RecordLink(m_y + Contribution());
                m_st.bInLink = false;
                m_st.bLinkContinued = false;
            }
            PopColor();
            PopFont();
            break;
        case L'b':
        case L'f':
        case L'i':
        case L'u':
            PopFont();
            break;
        case L'c':
            PopColor();
            break;
        case L'p': {
            // Away from the line start the line ends here, and the next one
            // starts at the new contribution; the ending line keeps its height.
            const bool bNewLine = m_st.x > m_rc.left;
            if (!m_st.paragraphs.empty()) m_st.paragraphs.pop_back();
            if (!bNewLine) RaiseLine(Contribution());
            return bNewLine;
        }
        case L's':
            m_st.bSelected = !m_st.bSelected;
            ::SetBkMode(m_hDC, m_st.bSelected ? OPAQUE : TRANSPARENT);
            break;
        default:
            break;   // n, r (outside raw text), x, y and unknown letters
        }
        return false;
    }

    switch (tag.chLetter) {
    case L'a': {
        SkipBlanks(arg, end);
        m_st.sLink.Assign(arg, (int)(end - arg));
        m_st.bInLink = true;
        m_st.bLinkContinued = false;
        m_st.ptLink.x = m_st.x;
        m_st.ptLink.y = m_y;
        const bool bHover = m_psHover != NULL && m_psHover->Compare(m_st.sLink) == 0;
        PushColor(bHover ? m_pManager->GetLinkHoverTextColor() : m_pManager->GetLinkTextColor());
        // Every opening pushes, so that each closing tag pops its own font.
        UIFontInfo* pCur = CurrentFont();
        PushFont(pCur->bUnderline ? pCur : FontVariant(pCur->bBold, true, pCur->bItalic));
        break;
    }
    case L'b': {
        UIFontInfo* pCur = CurrentFont();
        PushFont(pCur->bBold ? pCur : FontVariant(true, pCur->bUnderline, pCur->bItalic));
        break;
    }
    case L'c':
        PushColor(ReadColor(arg, end));
        break;
    case L'f':
        PushFont(NamedFont(arg, end));
        RaiseLine(Contribution());
        break;
    case L'i': {
        const wchar_t* q = arg;
        SkipBlanks(q, end);
        if (q < end) return Image(tag);
        UIFontInfo* pCur = CurrentFont();
        PushFont(pCur->bItalic ? pCur : FontVariant(pCur->bBold, pCur->bUnderline, true));
        break;
    }
    case L'n':
        m_st.p = tag.pNext;
        return !m_bSingle;
    case L'p': {
        const bool bNewLine = m_st.x > m_rc.left;
        int spacing = 0;
        ReadInt(arg, end, &spacing);
        m_st.paragraphs.push_back(Clamp(spacing, -kMaxTagNumber, kMaxTagNumber));
        // The spacing belongs to the new paragraph's lines, not to the line
        // this tag ends.
        if (!bNewLine) RaiseLine(Contribution());
        m_st.p = tag.pNext;
        return bNewLine;
    }
    case L'r':
        m_st.bRaw = true;
        break;
    case L's':
        m_st.bSelected = !m_st.bSelected;
        ::SetBkMode(m_hDC, m_st.bSelected ? OPAQUE : TRANSPARENT);
        break;
    case L'u': {
        UIFontInfo* pCur = CurrentFont();
        PushFont(pCur->bUnderline ? pCur : FontVariant(pCur->bBold, true, pCur->bItalic));
        break;
    }
    case L'x': {
        int dx = 0;
        ReadInt(arg, end, &dx);
        AdvanceX(Clamp(dx, 0, kMaxTagNumber));
        break;
    }
    case L'y': {
        int cy = 0;
        ReadInt(arg, end, &cy);
        m_cyLine = Clamp(cy, 0, kMaxTagNumber);
        break;
    }
    default:
        break;   // unknown letters are skipped
    }
    m_st.p = tag.pNext;
    return false;
}

// "i" with an argument: an inline image, "name [frames [index]]" or an image
// description with file=/res=/restype= items followed by the numbers.
bool CTaggedTextRenderer::Image(const TagInfo& tag)
{
    const wchar_t* p = tag.pArg;
    const wchar_t* end = tag.pArgEnd;
    SkipBlanks(p, end);

    CUIString sName;
    CUIString sType;
    if (ContainsText(p, end, L"file='") || ContainsText(p, end, L"res='")) {
        for (;;) {
            const wchar_t* item = p;
            while (p < end && *p <= L' ') ++p;
            const wchar_t* key = p;
            while (p < end && *p != L'=' && *p > L' ') ++p;
            CUIString sKey(key, (int)(p - key));
            while (p < end && *p <= L' ') ++p;
            if (p >= end || *p != L'=') {
                p = item;
                break;
            }
            ++p;
            while (p < end && *p <= L' ') ++p;
            if (p >= end || *p != L'\'') {
                p = item;
                break;
            }
            ++p;
            const wchar_t* value = p;
            while (p < end && *p != L'\'') ++p;
            if (p >= end) {
                p = item;
                break;
            }
            CUIString sValue(value, (int)(p - value));
            ++p;
            if (!sValue.IsEmpty()) {
                if (sKey == L"file" || sKey == L"res")
                    sName = sValue;
                else if (sKey == L"restype")
                    sType = sValue;
            }
            if (p >= end || *p != L' ') break;
        }
    } else {
        const wchar_t* name = p;
        while (p < end && *p != L' ') ++p;
        sName.Assign(name, (int)(p - name));
    }

    int frames = 1;
    int index = 0;
    if (ReadInt(p, end, &frames)) ReadInt(p, end, &index);
    if (frames < 1) frames = 1;
    if (index < 0 || index >= frames) index = 0;

    UIImageInfo* pImage = NULL;
    if (!sName.IsEmpty()) pImage = m_pManager->GetImageEx(sName, sType.IsEmpty() ? NULL : sType.GetData(), 0);
    if (pImage == NULL || pImage->hBitmap == NULL) {
        m_st.p = tag.pNext;   // a missing image is skipped
        return false;
    }

    const int cxFrame = pImage->nWidth / frames;
    const int cyImage = pImage->nHeight;
    if (m_st.x + cxFrame > m_rc.right && m_st.x > m_rc.left && !m_bSingle) {
        return true;   // read again at the start of the next line
    }
    m_st.p = tag.pNext;

    RaiseLine(cyImage);
    RECT rcImage = { m_st.x, m_y + m_cyLine - cyImage, m_st.x + cxFrame, m_y + m_cyLine };
    if (cyImage < m_cyLine) ::OffsetRect(&rcImage, 0, -(m_cyLine - cyImage) / 2);
    if (m_bDraw && cxFrame > 0 && cyImage > 0) {
        RECT rcSource = { cxFrame * index, 0, cxFrame * (index + 1), cyImage };
        RECT rcCorner = { 0, 0, 0, 0 };
        CUIRender::DrawBitmap(m_hDC, pImage->hBitmap, rcImage, m_rcPaint, rcSource, rcCorner, pImage->bAlpha,
                              255);
    }
    if (rcImage.bottom > m_cyImageBottom) m_cyImageBottom = rcImage.bottom;
    AdvanceX(cxFrame);
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// CUIRender: text
// ---------------------------------------------------------------------------

void CUIRender::DrawPlainText(HDC hDC, CUIManager* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                              int iFont, UINT uStyle)
{
    if (hDC == NULL || pManager == NULL || pstrText == NULL) return;
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ToColorRef(dwTextColor));
    HFONT hFont = pManager->GetFont(iFont);
    HGDIOBJ hOldFont = hFont != NULL ? ::SelectObject(hDC, hFont) : NULL;
    ::DrawTextW(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
    if (hOldFont != NULL) ::SelectObject(hDC, hOldFont);
}

void CUIRender::DrawTaggedText(HDC hDC, CUIManager* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                               CUIRect* prcLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle)
{
    const int nCapacity = (prcLinks != NULL || sLinks != NULL) && nLinkRects > 0 ? nLinkRects : 0;
    nLinkRects = 0;
    if (hDC == NULL || pManager == NULL || pstrText == NULL || ::IsRectEmpty(&rc)) return;
    UIFontInfo* pDefaultFont = pManager->GetDefaultFontInfo();
    if (pDefaultFont == NULL) return;
    const bool bCalc = (uStyle & DT_CALCRECT) != 0;

    // The link under the mouse in the previous paint is drawn hovered.
    CUIString sHover;
    bool bHover = false;
    if (prcLinks != NULL && sLinks != NULL) {
        const POINT ptMouse = pManager->GetMousePos();
        for (int i = 0; i < nCapacity; i++) {
            if (::PtInRect(&prcLinks[i], ptMouse)) {
                sHover = sLinks[i];
                bHover = true;
                break;
            }
        }
    }

    // The DC state this call changes, put back at the end.
    HGDIOBJ hOldFont = ::GetCurrentObject(hDC, OBJ_FONT);
    const COLORREF clrOldText = ::GetTextColor(hDC);
    const COLORREF clrOldBk = ::GetBkColor(hDC);
    const int nOldBkMode = ::GetBkMode(hDC);

    HRGN hOldClip = NULL;
    int nOldClip = 0;
    if (!bCalc) {
        hOldClip = ::CreateRectRgn(0, 0, 0, 0);
        nOldClip = hOldClip != NULL ? ::GetClipRgn(hDC, hOldClip) : -1;
        RECT rcDevice = rc;
        ::LPtoDP(hDC, reinterpret_cast<POINT*>(&rcDevice), 2);
        HRGN hRgn = ::CreateRectRgnIndirect(&rcDevice);
        if (hRgn != NULL) {
            ::ExtSelectClipRgn(hDC, hRgn, RGN_AND);
            ::DeleteObject(hRgn);
        }
    }

    ::SetBkColor(hDC, ToColorRef(pManager->GetSelectedColor()));

    CUIRect rcLayout(rc);
    if (!bCalc && (uStyle & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) != 0) {
        // Measured in a fixed 9999 x 100 area, not in the target rect: the
        // skins' layouts are tuned to this, so wrapped text is centred on its
        // unwrapped width and text taller than 100 pixels on about 100.
        CUIRect rcText(0, 0, 9999, 100);
        int nLinks = 0;
        DrawTaggedText(hDC, pManager, rcText, pstrText, dwTextColor, NULL, NULL, nLinks, uStyle | DT_CALCRECT);
        const int cx = rcText.GetWidth();
        const int cy = rcText.GetHeight();
        if ((uStyle & DT_SINGLELINE) != 0) {
            if ((uStyle & DT_CENTER) != 0) {
                rcLayout.left = rc.left + (rc.right - rc.left) / 2 - cx / 2;
                rcLayout.right = rcLayout.left + cx;
            }
            if ((uStyle & DT_RIGHT) != 0) {
                rcLayout.left = rc.right - cx;
                rcLayout.right = rc.right;
            }
        }
        if ((uStyle & DT_VCENTER) != 0) {
            rcLayout.top = rc.top + (rc.bottom - rc.top) / 2 - cy / 2;
            rcLayout.bottom = rcLayout.top + cy;
        }
        if ((uStyle & DT_BOTTOM) != 0) {
            rcLayout.top = rc.bottom - cy;
            rcLayout.bottom = rc.bottom;
        }
    }

    CTaggedTextRenderer renderer(hDC, pManager, pDefaultFont, rcLayout, rc, dwTextColor, uStyle, prcLinks,
                                 sLinks, nCapacity, bHover ? &sHover : NULL);
    renderer.Run(pstrText);
    nLinkRects = renderer.LinkCount();

    if (bCalc) {
        rc.bottom = renderer.MeasuredBottom();
        if (renderer.WidestX() < rc.right) rc.right = renderer.WidestX();
    }

    if (!bCalc) {
        ::SelectClipRgn(hDC, nOldClip == 1 ? hOldClip : NULL);
        if (hOldClip != NULL) ::DeleteObject(hOldClip);
    }
    ::SelectObject(hDC, hOldFont);
    ::SetTextColor(hDC, clrOldText);
    ::SetBkColor(hDC, clrOldBk);
    ::SetBkMode(hDC, nOldBkMode);
}

} // namespace SkinUI
