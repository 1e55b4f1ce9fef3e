// XML markup parser for the skin layouts.
//
// CUIMarkup reads one document (UTF-8, ANSI or UTF-16 bytes, a wide text, a
// file in the skin folder or an entry of the skin zip), parses it in place
// into a flat element table and hands out CUIMarkupNode values for walking
// the elements and reading their attributes. It understands the subset the
// skins use: elements, double-quoted attribute values, character data, the
// five standard entities; comments and processing instructions are skipped.
#ifndef SKINUI_UIMARKUP_H
#define SKINUI_UIMARKUP_H

#include <windows.h>

namespace SkinUI {

// Encoding of the bytes given to CUIMarkup::LoadFromMemory / LoadFromFile.
// Any value other than UIMarkupUtf8 and UIMarkupAnsi means UTF-16.
enum UIMarkupEncoding
{
    UIMarkupUtf8 = 0,
    UIMarkupUtf16 = 1,
    UIMarkupAnsi = 2
};

// One element of the document. Positions count characters from the start of
// the text buffer; an index of 0 means "none".
struct UIMarkupElement
{
    ULONG iStart;    // name position
    ULONG iChild;    // first child
    ULONG iNext;     // next sibling
    ULONG iParent;   // parent (0 = the document)
    ULONG iData;     // content: just after the start tag's '>', or the '/' of "/>"
};

class CUIMarkup;

// A lightweight handle to one element. Copy it freely; it stays usable as
// long as its markup lives and is not reloaded.
class CUIMarkupNode
{
    friend class CUIMarkup;

public:
    enum { MAX_ATTRIBUTES = 64 };

    CUIMarkupNode();
    CUIMarkupNode(CUIMarkup* pOwner, int iPos);

    bool IsValid() const;

    CUIMarkupNode GetFirstChild() const;
    CUIMarkupNode GetNextSibling() const;
    bool HasChildren() const;

    LPCTSTR GetName() const;

    int GetAttributeCount() const;
    bool HasAttributes() const;
    // The empty text for an index outside 0..count-1, NULL for an invalid node.
    LPCTSTR GetAttributeName(int iIndex) const;
    LPCTSTR GetAttributeValue(int iIndex) const;
    // Copies at most cchMax characters of the first attribute named pstrName
    // (case-sensitive). No terminator is written when the value fills the
    // buffer, so callers pass a zero-filled buffer of cchMax + 1 characters.
    bool CopyAttributeValue(LPCTSTR pstrName, LPTSTR pstrValue, SIZE_T cchMax) const;

private:
    struct AttributeRecord
    {
        ULONG iName;
        ULONG iValue;
    };

    const UIMarkupElement* Element() const;
    void IndexAttributes() const;

    int m_iPos;                                            // element index
    mutable int m_nAttributes;                             // 0 = not indexed yet
    mutable AttributeRecord m_aAttributes[MAX_ATTRIBUTES];
    CUIMarkup* m_pOwner;                                   // NULL = invalid node
};

class CUIMarkup
{
    friend class CUIMarkupNode;

public:
    explicit CUIMarkup(LPCTSTR pstrXML = NULL);
    ~CUIMarkup();

    bool Load(LPCTSTR pstrXML);
    bool LoadFromMemory(const BYTE* pByte, DWORD dwSize, int encoding = UIMarkupUtf8);
    // A file below the resource folder, or an entry of the skin zip when one is set.
    bool LoadFromFile(LPCTSTR pstrFilename, int encoding = UIMarkupUtf8);
    // Frees the text and the element table. A new load ends the previous
    // document too, but keeps both buffers for reuse; a destroyed markup
    // leaves a large text buffer for the next markup of the process.
    void Release();

    // Element 1, or an invalid node when no element has been parsed.
    CUIMarkupNode GetRoot();

    // Why the last load failed (empty after a success), and for parse errors
    // the text where parsing stopped.
    LPCTSTR GetLastErrorMessage() const;
    LPCTSTR GetLastErrorLocation() const;

    // The largest file or zip entry LoadFromFile reads, in bytes.
    enum { MAX_FILE_SIZE = 0x400000 };

private:
    CUIMarkup(const CUIMarkup&);
    CUIMarkup& operator=(const CUIMarkup&);

    bool ParseDocument();
    bool ParseAttributes(LPTSTR& pstrText);
    void ParseData(LPTSTR& pstrText, LPTSTR& pstrDest, TCHAR cEnd);
    ULONG ReserveElement();
    bool Failed(LPCTSTR pstrError, LPCTSTR pstrLocation = NULL);
    void ClearErrors();
    void Forget();
    LPTSTR TextBuffer(size_t cch);
    bool ConvertMultiByte(UINT codePage, const BYTE* src, DWORD size);
    bool ConvertUtf16(const BYTE* src, DWORD size);
    bool ParseText();

    LPTSTR m_pstrXML;                // the document, NUL-terminated, owned
    size_t m_cchCapacity;            // characters the text buffer holds
    UIMarkupElement* m_pElements;    // the element table, owned
    ULONG m_nElements;
    ULONG m_nReservedElements;
    TCHAR m_szErrorMsg[100];
    TCHAR m_szErrorXML[50];
    bool m_bPreserveWhitespace;
};

} // namespace SkinUI

#endif
