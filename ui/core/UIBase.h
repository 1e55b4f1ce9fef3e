// SkinUI value types: wide string, pointer array, string-keyed hash map and
// the geometry helpers. None of them is virtual, reference counted or locked;
// each object belongs to whoever embeds it and copies are deep.
#ifndef SKINUI_UIBASE_H
#define SKINUI_UIBASE_H

#include <windows.h>
#include <stdarg.h>

namespace SkinUI {

// ---------------------------------------------------------------------------
// CUIString: NUL-terminated UTF-16 text. Texts shorter than MAX_LOCAL_STRING_LEN
// characters live in the inline buffer; longer ones in a heap block of exactly
// length + 1 characters. No length is stored.
// ---------------------------------------------------------------------------
class CUIString
{
public:
    enum { MAX_LOCAL_STRING_LEN = 63 };

    CUIString();
    CUIString(wchar_t ch);
    CUIString(const wchar_t* text, int length = -1);
    CUIString(const CUIString& src);
    ~CUIString();

    void Assign(const wchar_t* text, int length = -1);
    void Append(const wchar_t* text);

    int GetLength() const;
    const wchar_t* GetData() const;
    operator const wchar_t*() const;

    bool IsEmpty() const;
    void Empty();
    wchar_t GetAt(int index) const;

    const CUIString& operator=(const CUIString& src);
    const CUIString& operator=(const wchar_t* text);

    const CUIString& operator+=(const CUIString& src);
    const CUIString& operator+=(const wchar_t* text);
    const CUIString& operator+=(wchar_t ch);

    int Compare(const wchar_t* text) const;
    bool operator==(const wchar_t* text) const;
    bool operator!=(const wchar_t* text) const;

    void MakeLower();

    int FindChar(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* text, int start = 0) const;
    int ReverseFindChar(wchar_t ch) const;

    CUIString Left(int n) const;
    CUIString Mid(int start, int n = -1) const;

    int Replace(const wchar_t* pattern, const wchar_t* replacement);

    int FormatV(const wchar_t* format, va_list args);
    int Format(const wchar_t* format, ...);
    int FormatShort(const wchar_t* format, ...);

private:
    wchar_t* m_pstr;
    wchar_t m_szBuffer[MAX_LOCAL_STRING_LEN + 1];
};

// ---------------------------------------------------------------------------
// CUIPtrArray: growable array of untyped pointers. It never owns the objects
// its elements point to.
// ---------------------------------------------------------------------------
class CUIPtrArray
{
public:
    explicit CUIPtrArray(int preallocSize = 0);
    CUIPtrArray(const CUIPtrArray& src);
    ~CUIPtrArray();

    CUIPtrArray& operator=(const CUIPtrArray& src);

    void Empty();
    void Resize(int size);
    bool IsEmpty() const;
    int GetSize() const;

    bool Add(void* data);
    bool InsertAt(int index, void* data);
    bool Remove(int index);
    int Find(void* data) const;

    void* GetAt(int index) const;
    void* operator[](int index) const;

private:
    bool Grow();

    void** m_ppVoid;
    int m_nCount;
    int m_nAllocated;
};

// ---------------------------------------------------------------------------
// CUIStringMap: fixed-size hash map from exact, case-sensitive wide keys to
// non-null untyped pointers. Chains are doubly linked; lookups move hits to
// the front of their chain. The map owns its entries, never the pointers.
// ---------------------------------------------------------------------------
class CUIStringMap
{
public:
    explicit CUIStringMap(int buckets = 83);
    ~CUIStringMap();

    int GetSize() const;

    void* Find(const wchar_t* key, bool optimize = true);
    bool Insert(const wchar_t* key, void* data);
    void* Set(const wchar_t* key, void* data);
    bool Remove(const wchar_t* key);
    void RemoveAll();
    void Resize(int buckets);
    const wchar_t* GetKeyAt(int index) const;

    static unsigned int KeyHash(const wchar_t* key);

private:
    CUIStringMap(const CUIStringMap&) = delete;
    CUIStringMap& operator=(const CUIStringMap&) = delete;

    struct TITEM
    {
        CUIString Key;
        void* Data;
        TITEM* pPrev;
        TITEM* pNext;
    };

    TITEM* FindItem(const wchar_t* key, bool optimize);
    void FreeAll();

    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;
};

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------
class CUIRect : public RECT
{
public:
    CUIRect();
    CUIRect(const RECT& src);
    CUIRect(int l, int t, int r, int b);

    int GetWidth() const;
    int GetHeight() const;
    void Union(const RECT& rc);
    void MoveToOrigin();
    void Offset(int dx, int dy);
    void Deflate(int cx, int cy);
};

class CUISize : public SIZE
{
public:
    CUISize();
    CUISize(int cx, int cy);
};

} // namespace SkinUI

#endif // SKINUI_UIBASE_H
