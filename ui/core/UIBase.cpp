#include "UIBase.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace SkinUI {

namespace {

// Length of text, but never more than maxLen characters.
int BoundedLength(const wchar_t* text, int maxLen)
{
    int n = 0;
    while (n < maxLen && text[n] != L'\0') ++n;
    return n;
}

} // namespace

// ===========================================================================
// CUIString
// ===========================================================================

CUIString::CUIString() : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
}

CUIString::CUIString(wchar_t ch) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CUIString::CUIString(const wchar_t* text, int length) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(text, length);
}

CUIString::CUIString(const CUIString& src) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(src.m_pstr);
}

CUIString::~CUIString()
{
    if (m_pstr != m_szBuffer) free(m_pstr);
}

void CUIString::Assign(const wchar_t* text, int length)
{
    if (text == NULL) text = L"";
    if (length < 0)
        length = (int)wcslen(text);
    else
        length = BoundedLength(text, length);  // never read past the text's terminator

    if (length < MAX_LOCAL_STRING_LEN) {
        // memmove: the text may lie inside this string's own storage.
        memmove(m_szBuffer, text, length * sizeof(wchar_t));
        m_szBuffer[length] = L'\0';
        if (m_pstr != m_szBuffer) {
            free(m_pstr);
            m_pstr = m_szBuffer;
        }
        return;
    }

    if (m_pstr != m_szBuffer && GetLength() >= length) {
        memmove(m_pstr, text, length * sizeof(wchar_t));
        m_pstr[length] = L'\0';
        return;
    }

    wchar_t* block = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
    if (block == NULL) return;
    // Copy before the old block goes: the text may lie inside it.
    memcpy(block, text, length * sizeof(wchar_t));
    block[length] = L'\0';
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = block;
}

void CUIString::Append(const wchar_t* text)
{
    if (text == NULL) return;
    const int addLen = (int)wcslen(text);
    if (addLen == 0) return;
    const int curLen = GetLength();
    const int total = curLen + addLen;

    if (total < MAX_LOCAL_STRING_LEN) {
        memmove(m_pstr + curLen, text, addLen * sizeof(wchar_t));
        m_pstr[total] = L'\0';
        return;
    }

    wchar_t* block = static_cast<wchar_t*>(malloc((total + 1) * sizeof(wchar_t)));
    if (block == NULL) return;
    memcpy(block, m_pstr, curLen * sizeof(wchar_t));
    // The appended text may be this string itself; the old storage is still intact.
    memcpy(block + curLen, text, addLen * sizeof(wchar_t));
    block[total] = L'\0';
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = block;
}

int CUIString::GetLength() const
{
    return (int)wcslen(m_pstr);
}

const wchar_t* CUIString::GetData() const
{
    return m_pstr;
}

CUIString::operator const wchar_t*() const
{
    return m_pstr;
}

bool CUIString::IsEmpty() const
{
    return m_pstr[0] == L'\0';
}

void CUIString::Empty()
{
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = L'\0';
}

wchar_t CUIString::GetAt(int index) const
{
    return m_pstr[index];
}

const CUIString& CUIString::operator=(const CUIString& src)
{
    Assign(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator=(const wchar_t* text)
{
    Assign(text);
    return *this;
}

const CUIString& CUIString::operator+=(const CUIString& src)
{
    Append(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator+=(const wchar_t* text)
{
    Append(text);
    return *this;
}

const CUIString& CUIString::operator+=(wchar_t ch)
{
    const wchar_t text[2] = { ch, L'\0' };
    Append(text);
    return *this;
}

int CUIString::Compare(const wchar_t* text) const
{
    if (text == NULL) text = L"";
    const wchar_t* a = m_pstr;
    const wchar_t* b = text;
    for (;; ++a, ++b) {
        const unsigned int ca = (unsigned short)*a;
        const unsigned int cb = (unsigned short)*b;
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

bool CUIString::operator==(const wchar_t* text) const
{
    return Compare(text) == 0;
}

bool CUIString::operator!=(const wchar_t* text) const
{
    return Compare(text) != 0;
}

void CUIString::MakeLower()
{
    for (wchar_t* p = m_pstr; *p != L'\0'; ++p) {
        if (*p >= L'A' && *p <= L'Z') *p = (wchar_t)(*p - L'A' + L'a');
    }
}

int CUIString::FindChar(wchar_t ch, int start) const
{
    const int len = GetLength();
    if (start != 0 && (start < 0 || start >= len)) return -1;
    for (int i = start; i < len; ++i) {
        if (m_pstr[i] == ch) return i;
    }
    return -1;
}

int CUIString::Find(const wchar_t* text, int start) const
{
    if (text == NULL) return -1;
    const int len = GetLength();
    if (start != 0 && (start < 0 || start > len)) return -1;
    const int textLen = (int)wcslen(text);
    for (int i = start; i + textLen <= len; ++i) {
        if (wmemcmp(m_pstr + i, text, textLen) == 0) return i;
    }
    return -1;
}

int CUIString::ReverseFindChar(wchar_t ch) const
{
    for (int i = GetLength() - 1; i >= 0; --i) {
        if (m_pstr[i] == ch) return i;
    }
    return -1;
}

CUIString CUIString::Left(int n) const
{
    const int len = GetLength();
    if (n < 0) n = 0;
    if (n > len) n = len;
    return CUIString(m_pstr, n);
}

CUIString CUIString::Mid(int start, int n) const
{
    const int len = GetLength();
    if (start < 0 || start >= len) return CUIString();
    if (n < 0 || n > len - start) n = len - start;
    return CUIString(m_pstr + start, n);
}

int CUIString::Replace(const wchar_t* pattern, const wchar_t* replacement)
{
    if (pattern == NULL || pattern[0] == L'\0') return 0;
    // Private copies: either text may point into this string.
    const CUIString from(pattern);
    const CUIString to(replacement);
    const int fromLen = from.GetLength();
    const int toLen = to.GetLength();

    int count = 0;
    int pos = Find(from, 0);
    while (pos >= 0) {
        CUIString result(m_pstr, pos);
        result += to;
        result += m_pstr + pos + fromLen;
        Assign(result);
        ++count;
        pos = Find(from, pos + toLen);
    }
    return count;
}

int CUIString::FormatV(const wchar_t* format, va_list args)
{
    if (format == NULL) {
        Empty();
        return 0;
    }
    va_list measureArgs;
    va_copy(measureArgs, args);
    const int len = _vscwprintf(format, measureArgs);
    va_end(measureArgs);
    if (len <= 0) {
        Empty();
        return len < 0 ? 0 : len;
    }
    wchar_t* block = static_cast<wchar_t*>(calloc(len + 1, sizeof(wchar_t)));
    if (block == NULL) {
        Empty();
        return 0;
    }
    _vsnwprintf(block, len + 1, format, args);
    block[len] = L'\0';
    Assign(block);
    free(block);
    return len;
}

int CUIString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = FormatV(format, args);
    va_end(args);
    return n;
}

int CUIString::FormatShort(const wchar_t* format, ...)
{
    wchar_t buffer[MAX_LOCAL_STRING_LEN + 1];
    memset(buffer, 0, sizeof(buffer));
    if (format != NULL) {
        va_list args;
        va_start(args, format);
        // Room for 63 characters; a longer result is cut. _vsnwprintf does
        // not terminate a cut result, so the last slot stays the terminator.
        _vsnwprintf(buffer, MAX_LOCAL_STRING_LEN, format, args);
        va_end(args);
    }
    buffer[MAX_LOCAL_STRING_LEN] = L'\0';
    Assign(buffer);
    return GetLength();
}

// ===========================================================================
// CUIPtrArray
// ===========================================================================

CUIPtrArray::CUIPtrArray(int preallocSize) : m_ppVoid(NULL), m_nCount(0), m_nAllocated(0)
{
    if (preallocSize > 0) {
        m_ppVoid = static_cast<void**>(calloc(preallocSize, sizeof(void*)));
        if (m_ppVoid != NULL) m_nAllocated = preallocSize;
    }
}

CUIPtrArray::CUIPtrArray(const CUIPtrArray& src) : m_ppVoid(NULL), m_nCount(0), m_nAllocated(0)
{
    for (int i = 0; i < src.GetSize(); ++i) Add(src.GetAt(i));
}

CUIPtrArray::~CUIPtrArray()
{
    free(m_ppVoid);
}

CUIPtrArray& CUIPtrArray::operator=(const CUIPtrArray& src)
{
    if (this != &src) {
        Empty();
        for (int i = 0; i < src.GetSize(); ++i) Add(src.GetAt(i));
    }
    return *this;
}

void CUIPtrArray::Empty()
{
    free(m_ppVoid);
    m_ppVoid = NULL;
    m_nCount = 0;
    m_nAllocated = 0;
}

void CUIPtrArray::Resize(int size)
{
    Empty();
    if (size <= 0) return;
    m_ppVoid = static_cast<void**>(calloc(size, sizeof(void*)));
    if (m_ppVoid == NULL) return;
    m_nCount = size;
    m_nAllocated = size;
}

bool CUIPtrArray::IsEmpty() const
{
    return m_nCount == 0;
}

int CUIPtrArray::GetSize() const
{
    return m_nCount;
}

// Makes sure that one more element fits and that afterwards the count stays
// below the capacity: the first growth gives 11 slots, later ones double.
bool CUIPtrArray::Grow()
{
    const int newCount = m_nCount + 1;
    if (newCount < m_nAllocated) return true;
    const int maxSlots = 0x7FFFFFFF / (int)sizeof(void*);
    int newAlloc = m_nAllocated > 0 ? m_nAllocated : 11;
    if (m_nAllocated > 0) {
        if (newAlloc > maxSlots / 2) return false;
        newAlloc *= 2;
    }
    while (newAlloc <= newCount) {
        if (newAlloc > maxSlots / 2) return false;
        newAlloc *= 2;
    }
    void** grown = static_cast<void**>(realloc(m_ppVoid, newAlloc * sizeof(void*)));
    if (grown == NULL) return false;
    m_ppVoid = grown;
    m_nAllocated = newAlloc;
    return true;
}

bool CUIPtrArray::Add(void* data)
{
    if (!Grow()) return false;
    m_ppVoid[m_nCount++] = data;
    return true;
}

bool CUIPtrArray::InsertAt(int index, void* data)
{
    if (index == m_nCount) return Add(data);
    if (index < 0 || index > m_nCount) return false;
    if (!Grow()) return false;
    memmove(&m_ppVoid[index + 1], &m_ppVoid[index], (m_nCount - index) * sizeof(void*));
    m_ppVoid[index] = data;
    ++m_nCount;
    return true;
}

bool CUIPtrArray::Remove(int index)
{
    if (index < 0 || index >= m_nCount) return false;
    if (index < m_nCount - 1)
        memmove(&m_ppVoid[index], &m_ppVoid[index + 1], (m_nCount - index - 1) * sizeof(void*));
    --m_nCount;
    return true;
}

int CUIPtrArray::Find(void* data) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_ppVoid[i] == data) return i;
    }
    return -1;
}

void* CUIPtrArray::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount) return NULL;
    return m_ppVoid[index];
}

void* CUIPtrArray::operator[](int index) const
{
    return m_ppVoid[index];
}

// ===========================================================================
// CUIStringMap
// ===========================================================================

CUIStringMap::CUIStringMap(int buckets) : m_aT(NULL), m_nBuckets(0), m_nCount(0)
{
    if (buckets < 16) buckets = 16;
    m_aT = static_cast<TITEM**>(calloc(buckets, sizeof(TITEM*)));
    if (m_aT != NULL) m_nBuckets = buckets;
}

CUIStringMap::~CUIStringMap()
{
    FreeAll();
}

void CUIStringMap::FreeAll()
{
    for (int i = 0; i < m_nBuckets; ++i) {
        TITEM* item = m_aT[i];
        while (item != NULL) {
            TITEM* next = item->pNext;
            delete item;
            item = next;
        }
    }
    free(m_aT);
    m_aT = NULL;
    m_nBuckets = 0;
    m_nCount = 0;
}

unsigned int CUIStringMap::KeyHash(const wchar_t* key)
{
    unsigned int h = 0;
    if (key == NULL) return h;
    size_t len = wcslen(key);
    while (len > 0) {
        --len;
        h = h * 33u + (unsigned short)key[len];
    }
    return h;
}

int CUIStringMap::GetSize() const
{
    return m_nCount;
}

CUIStringMap::TITEM* CUIStringMap::FindItem(const wchar_t* key, bool optimize)
{
    if (m_nBuckets <= 0) return NULL;
    if (key == NULL) key = L"";
    const unsigned int slot = KeyHash(key) % (unsigned int)m_nBuckets;
    for (TITEM* item = m_aT[slot]; item != NULL; item = item->pNext) {
        if (item->Key == key) {
            if (optimize && item != m_aT[slot]) {
                // Move the hit to the head of its chain.
                if (item->pNext != NULL) item->pNext->pPrev = item->pPrev;
                item->pPrev->pNext = item->pNext;
                item->pPrev = NULL;
                item->pNext = m_aT[slot];
                m_aT[slot]->pPrev = item;
                m_aT[slot] = item;
            }
            return item;
        }
    }
    return NULL;
}

void* CUIStringMap::Find(const wchar_t* key, bool optimize)
{
    TITEM* item = FindItem(key, optimize);
    return item != NULL ? item->Data : NULL;
}

bool CUIStringMap::Insert(const wchar_t* key, void* data)
{
    if (m_nBuckets <= 0) return false;
    if (FindItem(key, true) != NULL) return false;
    if (key == NULL) key = L"";
    const unsigned int slot = KeyHash(key) % (unsigned int)m_nBuckets;
    TITEM* item = new TITEM;
    item->Key = key;
    item->Data = data;
    item->pPrev = NULL;
    item->pNext = m_aT[slot];
    if (item->pNext != NULL) item->pNext->pPrev = item;
    m_aT[slot] = item;
    ++m_nCount;
    return true;
}

void* CUIStringMap::Set(const wchar_t* key, void* data)
{
    TITEM* item = FindItem(key, true);
    if (item != NULL) {
        void* old = item->Data;
        item->Data = data;
        return old;
    }
    Insert(key, data);
    return NULL;
}

bool CUIStringMap::Remove(const wchar_t* key)
{
    TITEM* item = FindItem(key, false);
    if (item == NULL) return false;
    const unsigned int slot = KeyHash(item->Key) % (unsigned int)m_nBuckets;
    if (item->pPrev != NULL)
        item->pPrev->pNext = item->pNext;
    else
        m_aT[slot] = item->pNext;
    if (item->pNext != NULL) item->pNext->pPrev = item->pPrev;
    delete item;
    --m_nCount;
    return true;
}

void CUIStringMap::RemoveAll()
{
    Resize(m_nBuckets);
}

void CUIStringMap::Resize(int buckets)
{
    FreeAll();
    if (buckets <= 0) return;
    m_aT = static_cast<TITEM**>(calloc(buckets, sizeof(TITEM*)));
    if (m_aT != NULL) m_nBuckets = buckets;
}

const wchar_t* CUIStringMap::GetKeyAt(int index) const
{
    if (m_nBuckets <= 0 || index < 0) return NULL;
    int pos = 0;
    for (int slot = m_nBuckets - 1; slot >= 0; --slot) {
        for (const TITEM* item = m_aT[slot]; item != NULL; item = item->pNext) {
            if (pos == index) return item->Key;
            ++pos;
        }
    }
    return NULL;
}

// ===========================================================================
// CUIRect / CUISize
// ===========================================================================

CUIRect::CUIRect()
{
    left = top = right = bottom = 0;
}

CUIRect::CUIRect(const RECT& src)
{
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}

CUIRect::CUIRect(int l, int t, int r, int b)
{
    left = l;
    top = t;
    right = r;
    bottom = b;
}

int CUIRect::GetWidth() const
{
    return right - left;
}

int CUIRect::GetHeight() const
{
    return bottom - top;
}

void CUIRect::Union(const RECT& rc)
{
    if (rc.left < left) left = rc.left;
    if (rc.top < top) top = rc.top;
    if (rc.right > right) right = rc.right;
    if (rc.bottom > bottom) bottom = rc.bottom;
}

void CUIRect::MoveToOrigin()
{
    right -= left;
    bottom -= top;
    left = 0;
    top = 0;
}

void CUIRect::Offset(int dx, int dy)
{
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void CUIRect::Deflate(int cx, int cy)
{
    left += cx;
    right -= cx;
    top += cy;
    bottom -= cy;
}

CUISize::CUISize()
{
    cx = 0;
    cy = 0;
}

CUISize::CUISize(int x, int y)
{
    cx = x;
    cy = y;
}

} // namespace SkinUI
