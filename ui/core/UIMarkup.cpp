// XML markup parser: conversion of the input to wide text, loading from the
// skin folder or the skin zip, the in-place parser and the node accessors.
#include "UIMarkup.h"

#include <string.h>
#include <wchar.h>
#include <wctype.h>
#include <new>

#include "UIManager.h"
#include "UISkinFile.h"

namespace SkinUI {

namespace {

const wchar_t kErrAttributes[] = L"Error while parsing attributes";
const wchar_t kErrAttributeValue[] = L"Expected attribute value";
const wchar_t kErrAttributeString[] = L"Error while parsing attribute string";
const wchar_t kErrStartTag[] = L"Expected start tag";
const wchar_t kErrElementName[] = L"Error parsing element name";
const wchar_t kErrStartTagClosing[] = L"Expected start-tag closing";
const wchar_t kErrEndTagStart[] = L"Expected end-tag start";
const wchar_t kErrUnmatchedTag[] = L"Unmatched closing tag";
const wchar_t kErrOpenFile[] = L"Error opening file";
const wchar_t kErrEmptyFile[] = L"File is empty";
const wchar_t kErrReadFile[] = L"Could not read file";
const wchar_t kErrFileTooLarge[] = L"File too large";
const wchar_t kErrOpenZip[] = L"Error opening zip file";
const wchar_t kErrZipEntry[] = L"Could not find ziped file";
const wchar_t kErrUnzip[] = L"Could not unzip file";

// Character classes of the ASCII range; everything above is tested with the
// C library's wide classification.
// kStopValue: where the fast scan of an attribute value stops (its end, an
// entity or the end of the text); kStopContent: the same for element content.
enum { kNameChar = 1, kStopValue = 2, kStopContent = 4 };

struct CharTable
{
    unsigned char flags[128];
    CharTable()
    {
        for (int c = 0; c < 128; ++c) {
            const bool name = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '_' || c == ':';
            flags[c] = (unsigned char)(name ? kNameChar : 0);
            if (c == 0 || c == '&' || c == '"') flags[c] |= kStopValue;
            if (c == 0 || c == '&' || c == '<') flags[c] |= kStopContent;
        }
    }
};
const CharTable kChars;

// Whitespace is every character from 1 to 32; the terminating NUL is not.
inline bool IsBlank(wchar_t c)
{
    return (unsigned)c - 1u < 32u;
}

inline bool IsNameChar(wchar_t c)
{
    if (c < 128) return (kChars.flags[c] & kNameChar) != 0;
    return iswalnum(c) != 0;
}

template <typename P>
inline void SkipBlanks(P& p)
{
    while (IsBlank(*p)) ++p;
}

inline void SkipName(LPTSTR& p)
{
    while (IsNameChar(*p)) ++p;
}

// Copies at most cch - 1 characters and always terminates.
void CopyBounded(LPTSTR dest, size_t cch, LPCTSTR src)
{
    size_t i = 0;
    if (src != NULL) {
        for (; i + 1 < cch && src[i] != 0; ++i) dest[i] = src[i];
    }
    dest[i] = 0;
}

// A strict UTF-8 decoder for the common case; it gives up (returns false) at
// the first byte sequence that is not well-formed, so that the platform
// converter decides what such input becomes. Well-formed input has exactly
// one UTF-16 form, so both paths agree wherever this one succeeds.
bool DecodeUtf8(const BYTE* src, size_t size, LPTSTR dest, size_t* written)
{
    const BYTE* p = src;
    const BYTE* const end = src + size;
    wchar_t* d = dest;
    while (p < end) {
        // Runs of ASCII, eight bytes at a time where possible.
        while (end - p >= 8) {
            unsigned __int64 v;
            memcpy(&v, p, 8);
            if ((v & 0x8080808080808080ull) != 0) break;
            d[0] = p[0]; d[1] = p[1]; d[2] = p[2]; d[3] = p[3];
            d[4] = p[4]; d[5] = p[5]; d[6] = p[6]; d[7] = p[7];
            d += 8;
            p += 8;
        }
        if (p >= end) break;
        const unsigned c = *p;
        if (c < 0x80) {
            *d++ = (wchar_t)c;
            ++p;
            continue;
        }
        if (c < 0xC2) return false;
        if (c < 0xE0) {
            if (end - p < 2 || (p[1] & 0xC0) != 0x80) return false;
            *d++ = (wchar_t)(((c & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
            continue;
        }
        if (c < 0xF0) {
            if (end - p < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return false;
            const unsigned u = ((c & 0x0F) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            if (u < 0x800 || (u >= 0xD800 && u <= 0xDFFF)) return false;
            *d++ = (wchar_t)u;
            p += 3;
            continue;
        }
        if (c < 0xF5) {
            if (end - p < 4 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80 || (p[3] & 0xC0) != 0x80)
                return false;
            const unsigned u = ((c & 0x07) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) |
                               (p[3] & 0x3Fu);
            if (u < 0x10000 || u > 0x10FFFF) return false;
            *d++ = (wchar_t)(0xD800 + ((u - 0x10000) >> 10));
            *d++ = (wchar_t)(0xDC00 + ((u - 0x10000) & 0x3FF));
            p += 4;
            continue;
        }
        return false;
    }
    *written = (size_t)(d - dest);
    return true;
}

// The message for a failed read of a skin file or zip entry.
LPCTSTR SkinReadError(UISkinRead result)
{
    switch (result) {
    case UISkinOpenFailed: return kErrOpenFile;
    case UISkinEmpty: return kErrEmptyFile;
    case UISkinTooLarge: return kErrFileTooLarge;
    case UISkinZipOpenFailed: return kErrOpenZip;
    case UISkinEntryMissing: return kErrZipEntry;
    case UISkinUnzipFailed: return kErrUnzip;
    default: return kErrReadFile;
    }
}

// One text buffer that a markup gave back, kept for the next markup of the
// process. A large layout needs fresh pages from the system for its text,
// and the first touch of those pages costs more than parsing it; the dialog
// builder makes a new markup for every layout, so without the spare every
// such load would pay it again. A markup gives its buffer back when it is
// destroyed (Release frees it). Small buffers are left to the heap, which
// reuses them anyway; very large ones are not kept, and a spare much larger
// than the text that needs it is left for a larger one.
const size_t kMinSpareChars = 0x8000;     // 64 KiB
const size_t kMaxSpareChars = 0x200000;   // 4 MiB

SRWLOCK g_spareLock = SRWLOCK_INIT;
wchar_t* g_pSpare = NULL;
size_t g_cchSpare = 0;

// A kept buffer of more than cch characters, or NULL; *pcch gets its size.
wchar_t* TakeSpareText(size_t cch, size_t* pcch)
{
    if (cch + 1 < kMinSpareChars) return NULL;
    wchar_t* p = NULL;
    ::AcquireSRWLockExclusive(&g_spareLock);
    if (g_pSpare != NULL && g_cchSpare > cch && g_cchSpare / 4 <= cch) {
        p = g_pSpare;
        *pcch = g_cchSpare;
        g_pSpare = NULL;
        g_cchSpare = 0;
    }
    ::ReleaseSRWLockExclusive(&g_spareLock);
    return p;
}

// Keeps the buffer when it is the largest one offered within the limits,
// otherwise frees it.
void GiveBackText(wchar_t* p, size_t cch)
{
    if (p == NULL) return;
    if (cch >= kMinSpareChars && cch <= kMaxSpareChars) {
        ::AcquireSRWLockExclusive(&g_spareLock);
        if (g_cchSpare < cch) {
            wchar_t* old = g_pSpare;
            g_pSpare = p;
            g_cchSpare = cch;
            p = old;
        }
        ::ReleaseSRWLockExclusive(&g_spareLock);
    }
    delete[] p;
}

} // namespace

// ---------------------------------------------------------------------------
// CUIMarkup
// ---------------------------------------------------------------------------

CUIMarkup::CUIMarkup(LPCTSTR pstrXML)
    : m_pstrXML(NULL),
      m_cchCapacity(0),
      m_pElements(NULL),
      m_nElements(0),
      m_nReservedElements(0),
      m_bPreserveWhitespace(true)
{
    ClearErrors();
    if (pstrXML != NULL) Load(pstrXML);
}

CUIMarkup::~CUIMarkup()
{
    // The next markup of the process may load into this text buffer.
    GiveBackText(m_pstrXML, m_cchCapacity);
    m_pstrXML = NULL;
    m_cchCapacity = 0;
    Release();
}

void CUIMarkup::Release()
{
    delete[] m_pstrXML;
    m_pstrXML = NULL;
    m_cchCapacity = 0;
    delete[] m_pElements;
    m_pElements = NULL;
    m_nElements = 0;
    m_nReservedElements = 0;
}

// Ends the current document: its nodes are no longer valid. The text buffer
// and the element table stay for the next load, so a markup that loads one
// document after another does not allocate (and touch fresh pages) each time;
// Release gives the memory back.
void CUIMarkup::Forget()
{
    m_nElements = 0;
    ClearErrors();
}

// The text buffer, with room for at least cch characters and a terminator.
LPTSTR CUIMarkup::TextBuffer(size_t cch)
{
    if (cch >= 0x7FFFFFF0u) return NULL;
    if (m_pstrXML != NULL && m_cchCapacity > cch) return m_pstrXML;
    delete[] m_pstrXML;
    m_pstrXML = TakeSpareText(cch, &m_cchCapacity);
    if (m_pstrXML != NULL) return m_pstrXML;
    m_cchCapacity = 0;
    m_pstrXML = new (std::nothrow) wchar_t[cch + 1];
    if (m_pstrXML != NULL) m_cchCapacity = cch + 1;
    return m_pstrXML;
}

// Multi-byte text into the text buffer, terminated. False without memory.
bool CUIMarkup::ConvertMultiByte(UINT codePage, const BYTE* src, DWORD size)
{
    if (size > 0x7FFFFFF0u) return false;
    if (codePage == CP_UTF8) {
        // UTF-8 never needs more code units than it has bytes.
        LPTSTR buffer = TextBuffer(size);
        if (buffer == NULL) return false;
        size_t written = 0;
        if (DecodeUtf8(src, size, buffer, &written)) {
            buffer[written] = 0;
            return true;
        }
    }
    int cch = 0;
    if (size > 0) cch = ::MultiByteToWideChar(codePage, 0, (LPCSTR)src, (int)size, NULL, 0);
    if (cch < 0) cch = 0;
    LPTSTR buffer = TextBuffer((size_t)cch);
    if (buffer == NULL) return false;
    if (cch > 0) cch = ::MultiByteToWideChar(codePage, 0, (LPCSTR)src, (int)size, buffer, cch);
    if (cch < 0) cch = 0;
    buffer[cch] = 0;
    return true;
}

// UTF-16 with a byte-order mark into the text buffer, terminated. False
// without the mark or without memory.
bool CUIMarkup::ConvertUtf16(const BYTE* src, DWORD size)
{
    if (src == NULL || size < 2) return false;
    const bool little = src[0] == 0xFF && src[1] == 0xFE;
    const bool big = src[0] == 0xFE && src[1] == 0xFF;
    if (!little && !big) return false;
    const size_t cch = size / 2 - 1;
    LPTSTR buffer = TextBuffer(cch);
    if (buffer == NULL) return false;
    const BYTE* p = src + 2;
    if (little) {
        for (size_t i = 0; i < cch; ++i, p += 2) buffer[i] = (wchar_t)(p[0] | (p[1] << 8));
    }
    else {
        for (size_t i = 0; i < cch; ++i, p += 2) buffer[i] = (wchar_t)((p[0] << 8) | p[1]);
    }
    buffer[cch] = 0;
    return true;
}

void CUIMarkup::ClearErrors()
{
    m_szErrorMsg[0] = 0;
    m_szErrorXML[0] = 0;
}

LPCTSTR CUIMarkup::GetLastErrorMessage() const
{
    return m_szErrorMsg;
}

LPCTSTR CUIMarkup::GetLastErrorLocation() const
{
    return m_szErrorXML;
}

bool CUIMarkup::Failed(LPCTSTR pstrError, LPCTSTR pstrLocation)
{
    CopyBounded(m_szErrorMsg, sizeof(m_szErrorMsg) / sizeof(m_szErrorMsg[0]), pstrError);
    CopyBounded(m_szErrorXML, sizeof(m_szErrorXML) / sizeof(m_szErrorXML[0]), pstrLocation);
    return false;
}

// Parses the text buffer; a failure leaves no document.
bool CUIMarkup::ParseText()
{
    const bool ok = ParseDocument();
    if (!ok) m_nElements = 0;
    return ok;
}

bool CUIMarkup::Load(LPCTSTR pstrXML)
{
    Forget();
    if (pstrXML == NULL) pstrXML = L"";
    const size_t cch = wcslen(pstrXML);
    LPTSTR text = TextBuffer(cch);
    if (text == NULL) return false;
    memcpy(text, pstrXML, (cch + 1) * sizeof(wchar_t));
    return ParseText();
}

bool CUIMarkup::LoadFromMemory(const BYTE* pByte, DWORD dwSize, int encoding)
{
    Forget();
    if (pByte == NULL) dwSize = 0;
    bool converted = false;
    if (encoding == UIMarkupUtf8) {
        if (dwSize >= 3 && pByte[0] == 0xEF && pByte[1] == 0xBB && pByte[2] == 0xBF) {
            pByte += 3;
            dwSize -= 3;
        }
        converted = ConvertMultiByte(CP_UTF8, pByte, dwSize);
    }
    else if (encoding == UIMarkupAnsi) {
        converted = ConvertMultiByte(CP_ACP, pByte, dwSize);
    }
    else {
        converted = ConvertUtf16(pByte, dwSize);
    }
    if (!converted) return false;
    return ParseText();
}

bool CUIMarkup::LoadFromFile(LPCTSTR pstrFilename, int encoding)
{
    Forget();
    if (pstrFilename == NULL) pstrFilename = L"";

    DWORD size = 0;
    BYTE* data = NULL;
    UISkinRead result;
    if (CUIManager::GetResourceZipName().IsEmpty()) {
        CUIString sFile = CUIManager::GetResourcePath();
        sFile += pstrFilename;
        result = UIReadSkinFile(sFile.GetData(), MAX_FILE_SIZE, &data, &size);
    }
    else {
        result = UIReadSkinZipEntry(pstrFilename, MAX_FILE_SIZE, &data, &size);
    }
    if (result != UISkinReadOk) return Failed(SkinReadError(result));

    const bool ok = LoadFromMemory(data, size, encoding);
    delete[] data;
    return ok;
}

CUIMarkupNode CUIMarkup::GetRoot()
{
    if (m_nElements < 2) return CUIMarkupNode();
    return CUIMarkupNode(this, 1);
}

ULONG CUIMarkup::ReserveElement()
{
    if (m_nElements >= m_nReservedElements) {
        const ULONG grow = m_nReservedElements / 2 + 500;
        if (m_nReservedElements > 0xFFFFFFF0u - grow) return 0;
        const ULONG capacity = m_nReservedElements + grow;
        UIMarkupElement* table = new (std::nothrow) UIMarkupElement[capacity];
        if (table == NULL) return 0;
        if (m_nElements > 0) memcpy(table, m_pElements, m_nElements * sizeof(UIMarkupElement));
        delete[] m_pElements;
        m_pElements = table;
        m_nReservedElements = capacity;
    }
    return m_nElements++;
}

// Decodes character data in place, from pstrText up to cEnd or the end of
// the text. Entities and (with whitespace not preserved) blank runs shrink
// the text; the characters between the decoded end (pstrDest) and the
// terminator become blanks. Leaves pstrText on the terminator or the NUL.
void CUIMarkup::ParseData(LPTSTR& pstrText, LPTSTR& pstrDest, TCHAR cEnd)
{
    LPTSTR p = pstrText;
    // Most data has nothing to decode: find the end, or the first place that
    // needs rewriting.
    const unsigned char stop = cEnd == '"' ? kStopValue : cEnd == '<' ? kStopContent : 0;
    if (stop != 0 && m_bPreserveWhitespace) {
        for (;;) {
            const wchar_t c = *p;
            if (c < 128 && (kChars.flags[c] & stop) != 0) break;
            ++p;
        }
        if (*p != '&') {
            pstrText = p;
            pstrDest = p;
            return;
        }
    }
    else {
        for (;;) {
            const wchar_t c = *p;
            if (c == cEnd || c == 0) {
                pstrText = p;
                pstrDest = p;
                return;
            }
            if (c == '&' || (c == ' ' && !m_bPreserveWhitespace)) break;
            ++p;
        }
    }

    LPTSTR d = p;
    for (;;) {
        const wchar_t c = *p;
        if (c == cEnd || c == 0) break;
        if (c == '&') {
            if (p[1] == 'a' && p[2] == 'm' && p[3] == 'p' && p[4] == ';') {
                *d++ = '&';
                p += 5;
            }
            else if (p[1] == 'l' && p[2] == 't' && p[3] == ';') {
                *d++ = '<';
                p += 4;
            }
            else if (p[1] == 'g' && p[2] == 't' && p[3] == ';') {
                *d++ = '>';
                p += 4;
            }
            else if (p[1] == 'q' && p[2] == 'u' && p[3] == 'o' && p[4] == 't' && p[5] == ';') {
                *d++ = '"';
                p += 6;
            }
            else if (p[1] == 'a' && p[2] == 'p' && p[3] == 'o' && p[4] == 's' && p[5] == ';') {
                *d++ = '\'';
                p += 6;
            }
            else {
                *d++ = *p++;
            }
            continue;
        }
        if (c == ' ') {
            *d++ = *p++;
            if (!m_bPreserveWhitespace) SkipBlanks(p);
            continue;
        }
        *d++ = *p++;
    }
    for (LPTSTR gap = d; gap < p; ++gap) *gap = ' ';
    pstrText = p;
    pstrDest = d;
}

// The attributes of a start tag, from the end of the element name. Leaves
// pstrText on the '>' or '/' that ends them, or on the end of the text.
bool CUIMarkup::ParseAttributes(LPTSTR& pstrText)
{
    LPTSTR p = pstrText;
    if (*p == '>') return true;
    SkipBlanks(p);
    while (*p != 0 && *p != '>' && *p != '/') {
        SkipName(p);
        LPTSTR nameEnd = p;
        SkipBlanks(p);
        if (*p != '=') return Failed(kErrAttributes, p);
        *p++ = ' ';
        *nameEnd = 0;
        SkipBlanks(p);
        if (*p != '"') return Failed(kErrAttributeValue, p);
        ++p;
        LPTSTR value = p;
        LPTSTR dest = p;
        ParseData(p, dest, '"');
        if (*p == 0) return Failed(kErrAttributeString, value);
        // The closing quote turns into a blank and the value ends at the
        // decoded end; both are the same character when nothing shrank.
        *p++ = ' ';
        *dest = 0;
        SkipBlanks(p);
    }
    pstrText = p;
    return true;
}

// Parses the whole text into the element table. The document level and the
// children of every element are parsed by one loop that moves down into an
// element after its start tag and back up after its end tag, so the depth of
// nesting costs no stack.
bool CUIMarkup::ParseDocument()
{
    ClearErrors();
    m_nElements = 0;
    if (ReserveElement() != 0 || m_pElements == NULL) return false;
    memset(&m_pElements[0], 0, sizeof(UIMarkupElement));

    LPTSTR const xml = m_pstrXML;
    LPTSTR p = xml;
    ULONG parent = 0;     // the element whose children are being read (0 = document)
    ULONG previous = 0;   // the last element of the current level
    SkipBlanks(p);
    for (;;) {
        if (*p == 0) {
            // A missing end tag of the root (or of the document) is accepted.
            if (parent <= 1) return true;
            return Failed(kErrStartTag, p);
        }
        SkipBlanks(p);
        if (*p != '<') return Failed(kErrStartTag, p);

        if (p[1] == '/') {
            // The end tag of the parent; at the document level parsing stops.
            if (parent == 0) return true;
            LPCTSTR name = xml + m_pElements[parent].iStart;
            const size_t cchName = wcslen(name);
            *p = 0;
            p += 2;
            SkipBlanks(p);
            // Compared over the open element's name, then the whole name
            // written in the end tag is skipped.
            if (wcsncmp(p, name, cchName) != 0) return Failed(kErrUnmatchedTag, p);
            p += cchName;
            SkipName(p);
            SkipBlanks(p);
            if (*p != '>') return Failed(kErrUnmatchedTag, p);
            ++p;
            SkipBlanks(p);
            previous = parent;
            parent = m_pElements[parent].iParent;
            continue;
        }

        *p++ = 0;
        SkipBlanks(p);

        // Comments ("<!" up to the first "->") and processing instructions
        // ("<?" up to "?>") are skipped.
        if (*p == '!' || *p == '?') {
            const wchar_t close = *p == '!' ? L'-' : L'?';
            while (*p != 0 && !(p[0] == close && p[1] == '>')) ++p;
            if (*p != 0) p += 2;
            SkipBlanks(p);
            continue;
        }

        const ULONG index = ReserveElement();
        if (index == 0) return false;
        UIMarkupElement* element = &m_pElements[index];
        element->iStart = (ULONG)(p - xml);
        element->iChild = 0;
        element->iNext = 0;
        element->iParent = parent;
        element->iData = 0;
        if (previous != 0)
            m_pElements[previous].iNext = index;
        else if (parent != 0)
            m_pElements[parent].iChild = index;
        previous = index;

        SkipName(p);
        LPTSTR nameEnd = p;
        if (*p == 0) return Failed(kErrElementName, p);

        if (!ParseAttributes(p)) return false;

        SkipBlanks(p);
        if (p[0] == '/' && p[1] == '>') {
            element->iData = (ULONG)(p - xml);
            *p = 0;
            p += 2;
            *nameEnd = 0;
            SkipBlanks(p);
            continue;
        }
        if (*p != '>') return Failed(kErrStartTagClosing, p);
        ++p;
        element->iData = (ULONG)(p - xml);
        *nameEnd = 0;

        LPTSTR dest = p;
        ParseData(p, dest, '<');
        if (*p == 0) {
            if (parent <= 1) return true;
            return Failed(kErrEndTagStart, p);
        }
        // The content ends where its decoded text ends; when nothing shrank
        // that is the '<' itself, which the next step overwrites.
        if (dest != p) *dest = 0;

        // Down into the children (or straight to the end tag).
        parent = index;
        previous = 0;
    }
}

// ---------------------------------------------------------------------------
// CUIMarkupNode
// ---------------------------------------------------------------------------

CUIMarkupNode::CUIMarkupNode() : m_iPos(0), m_nAttributes(0), m_pOwner(NULL)
{
}

CUIMarkupNode::CUIMarkupNode(CUIMarkup* pOwner, int iPos) : m_iPos(iPos), m_nAttributes(0), m_pOwner(pOwner)
{
}

bool CUIMarkupNode::IsValid() const
{
    return m_pOwner != NULL;
}

const UIMarkupElement* CUIMarkupNode::Element() const
{
    if (m_pOwner == NULL || m_pOwner->m_pElements == NULL || m_pOwner->m_pstrXML == NULL) return NULL;
    if (m_iPos <= 0 || (ULONG)m_iPos >= m_pOwner->m_nElements) return NULL;
    return &m_pOwner->m_pElements[m_iPos];
}

CUIMarkupNode CUIMarkupNode::GetFirstChild() const
{
    const UIMarkupElement* element = Element();
    if (element == NULL || element->iChild == 0) return CUIMarkupNode();
    return CUIMarkupNode(m_pOwner, (int)element->iChild);
}

CUIMarkupNode CUIMarkupNode::GetNextSibling() const
{
    const UIMarkupElement* element = Element();
    if (element == NULL || element->iNext == 0) return CUIMarkupNode();
    return CUIMarkupNode(m_pOwner, (int)element->iNext);
}

bool CUIMarkupNode::HasChildren() const
{
    const UIMarkupElement* element = Element();
    return element != NULL && element->iChild != 0;
}

LPCTSTR CUIMarkupNode::GetName() const
{
    const UIMarkupElement* element = Element();
    if (element == NULL) return NULL;
    return m_pOwner->m_pstrXML + element->iStart;
}

// Walks the start tag as the parser left it: the name, then for each
// attribute its NUL-terminated name, blanks, a '"' and the NUL-terminated
// value, all before the element's content position.
void CUIMarkupNode::IndexAttributes() const
{
    m_nAttributes = 0;
    const UIMarkupElement* element = Element();
    if (element == NULL) return;
    LPCTSTR const xml = m_pOwner->m_pstrXML;
    LPCTSTR const end = xml + element->iData;
    LPCTSTR p = xml + element->iStart;
    while (p < end && *p != 0) ++p;
    ++p;
    while (m_nAttributes < MAX_ATTRIBUTES) {
        while (p < end && IsBlank(*p)) ++p;
        if (p >= end) break;
        LPCTSTR name = p;
        while (p < end && *p != 0) ++p;
        ++p;
        while (p < end && IsBlank(*p)) ++p;
        if (p >= end || *p != '"') break;
        ++p;
        LPCTSTR value = p;
        while (p < end && *p != 0) ++p;
        if (p >= end) break;
        ++p;
        m_aAttributes[m_nAttributes].iName = (ULONG)(name - xml);
        m_aAttributes[m_nAttributes].iValue = (ULONG)(value - xml);
        ++m_nAttributes;
    }
}

int CUIMarkupNode::GetAttributeCount() const
{
    if (m_nAttributes == 0) IndexAttributes();
    return m_nAttributes;
}

bool CUIMarkupNode::HasAttributes() const
{
    return GetAttributeCount() > 0;
}

LPCTSTR CUIMarkupNode::GetAttributeName(int iIndex) const
{
    if (m_pOwner == NULL) return NULL;
    if (m_nAttributes == 0) IndexAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iName;
}

LPCTSTR CUIMarkupNode::GetAttributeValue(int iIndex) const
{
    if (m_pOwner == NULL) return NULL;
    if (m_nAttributes == 0) IndexAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes) return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

bool CUIMarkupNode::CopyAttributeValue(LPCTSTR pstrName, LPTSTR pstrValue, SIZE_T cchMax) const
{
    if (m_pOwner == NULL || pstrName == NULL || pstrValue == NULL) return false;
    if (m_nAttributes == 0) IndexAttributes();
    LPCTSTR const xml = m_pOwner->m_pstrXML;
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(xml + m_aAttributes[i].iName, pstrName) != 0) continue;
        LPCTSTR value = xml + m_aAttributes[i].iValue;
        SIZE_T n = 0;
        for (; n < cchMax && value[n] != 0; ++n) pstrValue[n] = value[n];
        if (n < cchMax) pstrValue[n] = 0;
        return true;
    }
    return false;
}

} // namespace SkinUI
