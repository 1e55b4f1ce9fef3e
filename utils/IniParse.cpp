// CIniParse: INI files in the system code page, read whole at every call and
// replaced atomically on every write.
#include "Utils.h"

#include <limits.h>

#include <vector>

#include "UtilsInternal.h"

namespace {

bool ReadWholeFile(const std::wstring& path, std::string& out)
{
    out.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 64 * 1024 * 1024)
    {
        CloseHandle(file);
        return false;
    }
    out.resize((size_t)size.QuadPart);
    DWORD total = 0;
    while (total < out.size())
    {
        DWORD got = 0;
        if (!ReadFile(file, &out[total], (DWORD)out.size() - total, &got, NULL) || got == 0)
            break;
        total += got;
    }
    out.resize(total);
    CloseHandle(file);
    return true;
}

// The file's text: UTF-16LE or UTF-8 when it starts with their byte-order
// mark, the system code page otherwise.
std::wstring DecodeText(const std::string& bytes)
{
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE)
    {
        std::wstring w((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = (wchar_t)((unsigned char)bytes[2 + 2 * i] | ((unsigned char)bytes[3 + 2 * i] << 8));
        return w;
    }
    if (bytes.size() >= 3 && (unsigned char)bytes[0] == 0xEF && (unsigned char)bytes[1] == 0xBB &&
        (unsigned char)bytes[2] == 0xBF)
        return utils_internal::MultiToWide(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    return utils_internal::MultiToWide(CP_ACP, bytes.data(), bytes.size());
}

void SplitLines(const std::wstring& text, std::vector<std::wstring>& lines)
{
    lines.clear();
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == L'\r')
            --stop;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z')
            x = (wchar_t)(x - 32);
        if (y >= L'a' && y <= L'z')
            y = (wchar_t)(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// "[name]" -> name (trimmed); false for other lines.
bool ParseSection(const std::wstring& line, std::wstring& name)
{
    std::wstring t = Trim(line);
    if (t.size() < 2 || t[0] != L'[')
        return false;
    size_t close = t.find(L']');
    if (close == std::wstring::npos)
        return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool ParseKey(const std::wstring& line, std::wstring& key, std::wstring& value)
{
    size_t eq = line.find(L'=');
    if (eq == std::wstring::npos)
        return false;
    key = Trim(line.substr(0, eq));
    if (key.empty())
        return false;
    value = Trim(line.substr(eq + 1));
    return true;
}

struct Location
{
    int sectionLine;  // -1 = section absent
    int keyLine;      // -1 = key absent
    int insertAt;     // where a new key of the section goes
    std::wstring value;
    std::wstring keyName;
};

Location Find(const std::vector<std::wstring>& lines, const std::wstring& section, const std::wstring& key)
{
    Location loc = { -1, -1, -1, std::wstring(), std::wstring() };
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        std::wstring name;
        if (ParseSection(lines[i], name))
        {
            if (inSection)
                break;  // end of the first matching section
            if (SameName(name, section))
            {
                inSection = true;
                loc.sectionLine = (int)i;
                loc.insertAt = (int)i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(lines[i]).empty())
            loc.insertAt = (int)i + 1;
        std::wstring k, v;
        if (ParseKey(lines[i], k, v) && SameName(k, key))
        {
            loc.keyLine = (int)i;
            loc.value = v;
            loc.keyName = k;
            break;
        }
    }
    return loc;
}

bool HasLineBreak(const std::wstring& s)
{
    return s.find(L'\r') != std::wstring::npos || s.find(L'\n') != std::wstring::npos ||
           s.find(L'\0') != std::wstring::npos;
}

int ParseLeadingInt(const std::wstring& s)
{
    size_t i = 0;
    while (i < s.size() && (IsBlank(s[i])))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+'))
    {
        neg = s[i] == L'-';
        ++i;
    }
    long long v = 0;
    bool any = false;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i)
    {
        any = true;
        if (v < 0x100000000LL)
            v = v * 10 + (s[i] - L'0');
    }
    if (!any)
        return 0;
    if (neg)
        v = -v;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return (int)v;
}

} // namespace

namespace utils_internal {

bool ReplaceFileAtomically(const std::wstring& from, const std::wstring& to)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // A read-only target refuses the replace; clear the attribute once and retry.
    DWORD attrs = GetFileAttributesW(to.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) &&
        !(attrs & FILE_ATTRIBUTE_DIRECTORY) &&
        SetFileAttributesW(to.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY))
    {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        SetFileAttributesW(to.c_str(), attrs);
    }
    return false;
}

} // namespace utils_internal

CIniParse::CIniParse(const GString& path) noexcept : m_path(path) {}
CIniParse::~CIniParse() noexcept {}

bool CIniParse::GetString(const GString& section, const GString& key, GString& out) noexcept
{
    out.clear();
    std::string bytes;
    if (m_path.empty() || !ReadWholeFile(m_path.str(), bytes))
        return false;
    std::vector<std::wstring> lines;
    SplitLines(DecodeText(bytes), lines);
    Location loc = Find(lines, Trim(section.str()), Trim(key.str()));
    if (loc.keyLine < 0)
        return false;
    out = GString(loc.value);
    return true;
}

int CIniParse::GetInt(const GString& section, const GString& key, int def) noexcept
{
    GString value;
    if (!GetString(section, key, value) || value.empty())
        return def;
    return ParseLeadingInt(value.str());
}

bool CIniParse::SetString(const GString& section, const GString& key, const GString& value) noexcept
{
    const std::wstring sect = Trim(section.str());
    const std::wstring name = Trim(key.str());
    if (m_path.empty() || sect.empty() || name.empty() || HasLineBreak(sect) || HasLineBreak(name) ||
        HasLineBreak(value.str()) || sect.find(L']') != std::wstring::npos || name.find(L'=') != std::wstring::npos ||
        name[0] == L'[')
        return false;

    std::string bytes;
    std::vector<std::wstring> lines;
    if (ReadWholeFile(m_path.str(), bytes))
        SplitLines(DecodeText(bytes), lines);
    else if (GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;  // present but unreadable: never overwrite what could not be read

    Location loc = Find(lines, sect, name);
    const std::wstring val = Trim(value.str());
    if (loc.keyLine >= 0)
        lines[(size_t)loc.keyLine] = loc.keyName + L"=" + val;
    else if (loc.sectionLine >= 0)
        lines.insert(lines.begin() + loc.insertAt, name + L"=" + val);
    else
    {
        lines.push_back(L"[" + sect + L"]");
        lines.push_back(name + L"=" + val);
    }

    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        text += lines[i];
        text += L"\r\n";
    }
    std::string out = utils_internal::WideToMulti(CP_ACP, text.data(), text.size());

    wchar_t suffix[64];
    wsprintfW(suffix, L".%lu.%lu.tmp", GetCurrentProcessId(), GetCurrentThreadId());
    const std::wstring tmp = m_path.str() + suffix;
    HANDLE file = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = out.empty() || (WriteFile(file, out.data(), (DWORD)out.size(), &written, NULL) &&
                              written == (DWORD)out.size());
    ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    if (!ok || !utils_internal::ReplaceFileAtomically(tmp, m_path.str()))
    {
        DeleteFileW(tmp.c_str());
        return false;
    }
    return true;
}
