// GString, gstring and the code-page conversions.
#include "Utils.h"

#include <stdio.h>
#include <wchar.h>

#include "UtilsInternal.h"

namespace utils_internal {

std::wstring MultiToWide(UINT codePage, const char* data, size_t size)
{
    std::wstring out;
    if (!data || size == 0)
        return out;
    int n = MultiByteToWideChar(codePage, 0, data, (int)size, NULL, 0);
    if (n <= 0)
        return out;
    out.resize((size_t)n);
    MultiByteToWideChar(codePage, 0, data, (int)size, &out[0], n);
    return out;
}

std::string WideToMulti(UINT codePage, const wchar_t* data, size_t size)
{
    std::string out;
    if (!data || size == 0)
        return out;
    int n = WideCharToMultiByte(codePage, 0, data, (int)size, NULL, 0, NULL, NULL);
    if (n <= 0)
        return out;
    out.resize((size_t)n);
    WideCharToMultiByte(codePage, 0, data, (int)size, &out[0], n, NULL, NULL);
    return out;
}

} // namespace utils_internal

using utils_internal::MultiToWide;
using utils_internal::WideToMulti;

// ---------------------------------------------------------------------------
// GString
// ---------------------------------------------------------------------------
GString::GString() noexcept {}
GString::GString(const wchar_t* text) noexcept : m_text(text ? text : L"") {}
GString::GString(const wchar_t* text, size_t count) noexcept
{
    if (text)
        m_text.assign(text, count);
}
GString::GString(const char* text) noexcept
{
    if (text)
        m_text = MultiToWide(CP_ACP, text, strlen(text));
}
GString::GString(const gstring& text) noexcept
    : m_text(MultiToWide(CP_ACP, text.data(), (size_t)text.length())) {}
GString::GString(const std::string& narrow) noexcept
    : m_text(MultiToWide(CP_ACP, narrow.data(), narrow.size())) {}
GString::GString(const std::wstring& text) noexcept : m_text(text) {}
GString::GString(const GString& other) noexcept : m_text(other.m_text) {}
GString& GString::operator=(const GString& other) noexcept
{
    m_text = other.m_text;
    return *this;
}
GString& GString::operator=(const wchar_t* text) noexcept
{
    m_text = text ? text : L"";
    return *this;
}
GString::~GString() noexcept {}

GString& GString::operator+=(const GString& text) noexcept
{
    m_text += text.m_text;
    return *this;
}
GString& GString::operator+=(const wchar_t* text) noexcept { return append(text); }
GString& GString::operator+=(wchar_t ch) noexcept
{
    m_text += ch;
    return *this;
}
GString& GString::append(const wchar_t* text) noexcept
{
    if (text)
        m_text += text;
    return *this;
}
GString& GString::append(const GString& text) noexcept
{
    m_text += text.m_text;
    return *this;
}
GString& GString::assign(const wchar_t* buf, size_t count) noexcept
{
    if (buf)
        m_text.assign(buf, count);
    else
        m_text.clear();
    return *this;
}

bool GString::operator==(const GString& other) const noexcept { return m_text == other.m_text; }
bool GString::operator!=(const GString& other) const noexcept { return m_text != other.m_text; }
bool GString::operator<(const GString& other) const noexcept { return m_text < other.m_text; }

const wchar_t* GString::c_str() const noexcept { return m_text.c_str(); }
bool GString::empty() const noexcept { return m_text.empty(); }
int GString::length() const noexcept { return (int)m_text.size(); }
void GString::clear() noexcept { m_text.clear(); }
wchar_t GString::at(int index) const noexcept
{
    return (index >= 0 && index < length()) ? m_text[(size_t)index] : L'\0';
}

GString GString::left(int n) const noexcept
{
    if (n <= 0)
        return GString();
    return GString(m_text.substr(0, (size_t)n));
}

GString GString::right(int n) const noexcept
{
    if (n <= 0)
        return GString();
    if (n >= length())
        return *this;
    return GString(m_text.substr(m_text.size() - (size_t)n));
}

GString GString::mid(int start, int count) const noexcept
{
    if (start < 0)
        start = 0;
    if (start >= length() || count == 0)
        return GString();
    if (count < 0)
        return GString(m_text.substr((size_t)start));
    return GString(m_text.substr((size_t)start, (size_t)count));
}

int GString::find(wchar_t ch, int start) const noexcept
{
    if (start < 0)
        start = 0;
    if (start >= length())
        return -1;
    size_t pos = m_text.find(ch, (size_t)start);
    return pos == std::wstring::npos ? -1 : (int)pos;
}

int GString::find(const wchar_t* text, int start) const noexcept
{
    if (!text)
        return -1;
    if (start < 0)
        start = 0;
    if (start > length())
        return -1;
    size_t pos = m_text.find(text, (size_t)start);
    return pos == std::wstring::npos ? -1 : (int)pos;
}

int GString::rfind(wchar_t ch) const noexcept
{
    size_t pos = m_text.rfind(ch);
    return pos == std::wstring::npos ? -1 : (int)pos;
}

void GString::replace(wchar_t from, wchar_t to) noexcept
{
    for (size_t i = 0; i < m_text.size(); ++i)
        if (m_text[i] == from)
            m_text[i] = to;
}

void GString::Format(const wchar_t* fmt, ...) noexcept
{
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void GString::FormatV(const wchar_t* fmt, va_list args) noexcept
{
    m_text.clear();
    if (!fmt)
        return;
    va_list probe;
    va_copy(probe, args);
    int need = _vscwprintf(fmt, probe);
    va_end(probe);
    if (need <= 0)
        return;
    std::wstring buf((size_t)need + 1, L'\0');
    va_list copy;
    va_copy(copy, args);
    int written = _vsnwprintf(&buf[0], buf.size(), fmt, copy);
    va_end(copy);
    if (written < 0)
        written = 0;
    if (written > need)
        written = need;
    buf.resize((size_t)written);
    m_text.swap(buf);
}

GString operator+(const GString& a, const GString& b) noexcept
{
    GString r(a);
    r += b;
    return r;
}
GString operator+(const GString& a, const wchar_t* b) noexcept
{
    GString r(a);
    r.append(b);
    return r;
}
GString operator+(const wchar_t* a, const GString& b) noexcept
{
    GString r(a);
    r += b;
    return r;
}

// ---------------------------------------------------------------------------
// gstring
// ---------------------------------------------------------------------------
gstring::gstring() noexcept {}
gstring::gstring(const char* text) noexcept : m_text(text ? text : "") {}
gstring::gstring(const char* bytes, size_t count) noexcept
{
    if (bytes)
        m_text.assign(bytes, count);
}
gstring::gstring(const std::string& bytes) noexcept : m_text(bytes) {}
gstring::gstring(const GString& text) noexcept
    : m_text(WideToMulti(CP_ACP, text.c_str(), (size_t)text.length())) {}
gstring::gstring(const gstring& other) noexcept : m_text(other.m_text) {}
gstring& gstring::operator=(const gstring& other) noexcept
{
    m_text = other.m_text;
    return *this;
}
gstring::~gstring() noexcept {}

GString gstring::toGString() const noexcept { return GString(m_text); }

gstring& gstring::operator+=(const gstring& text) noexcept
{
    m_text += text.m_text;
    return *this;
}
gstring& gstring::operator+=(const char* text) noexcept
{
    if (text)
        m_text += text;
    return *this;
}
gstring& gstring::operator+=(char ch) noexcept
{
    m_text += ch;
    return *this;
}

const char* gstring::c_str() const noexcept { return m_text.c_str(); }
const char* gstring::data() const noexcept { return m_text.data(); }
int gstring::length() const noexcept { return (int)m_text.size(); }
bool gstring::empty() const noexcept { return m_text.empty(); }

int gstring::find(char ch, int start) const noexcept
{
    if (start < 0)
        start = 0;
    if (start >= length())
        return -1;
    size_t pos = m_text.find(ch, (size_t)start);
    return pos == std::string::npos ? -1 : (int)pos;
}

int gstring::find(const char* text, int start) const noexcept
{
    if (!text)
        return -1;
    if (start < 0)
        start = 0;
    if (start > length())
        return -1;
    size_t pos = m_text.find(text, (size_t)start);
    return pos == std::string::npos ? -1 : (int)pos;
}

gstring gstring::mid(int start, int count) const noexcept
{
    if (start < 0)
        start = 0;
    if (start >= length() || count == 0)
        return gstring();
    if (count < 0)
        return gstring(m_text.substr((size_t)start));
    return gstring(m_text.substr((size_t)start, (size_t)count));
}

bool gstring::operator==(const GString& other) const noexcept { return toGString() == other; }
bool gstring::operator==(const gstring& other) const noexcept { return m_text == other.m_text; }
bool gstring::operator==(const char* other) const noexcept { return m_text == (other ? other : ""); }
bool gstring::operator!=(const gstring& other) const noexcept { return m_text != other.m_text; }

// ---------------------------------------------------------------------------
// TransCode
// ---------------------------------------------------------------------------
namespace TransCode {

gstring Utf_8ToANSI(const gstring& utf8) noexcept
{
    std::wstring wide = MultiToWide(CP_UTF8, utf8.data(), (size_t)utf8.length());
    return gstring(WideToMulti(CP_ACP, wide.data(), wide.size()));
}

gstring ANSIToUtf_8(const gstring& ansi) noexcept
{
    std::wstring wide = MultiToWide(CP_ACP, ansi.data(), (size_t)ansi.length());
    return gstring(WideToMulti(CP_UTF8, wide.data(), wide.size()));
}

} // namespace TransCode
