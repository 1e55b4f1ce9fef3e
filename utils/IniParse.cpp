// CIniParse: INI files in the system code page. Each object parses its file
// once and keeps the lines with an index of sections and keys; every call
// checks that the file on disk is still the one parsed (see Refresh) and
// parses it again when it changed. Writes replace the file atomically.
#include "Utils.h"

#include <limits.h>

#include <unordered_map>
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

// ASCII upper case: the form names are compared in.
std::wstring Fold(const std::wstring& s)
{
    std::wstring f(s);
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i] >= L'a' && f[i] <= L'z')
            f[i] = (wchar_t)(f[i] - 32);
    return f;
}

// Where the keys of one section are. Only the first section of a name
// counts, and in it the first line of a key; the section ends at the next
// section line.
struct SectionIndex
{
    int sectionLine;
    int insertAt;   // where a new key of the section goes: after its last non-blank line
    std::unordered_map<std::wstring, int> keys;   // folded key -> line
};

typedef std::unordered_map<std::wstring, SectionIndex> IniIndex;   // folded section -> index

void BuildIndex(const std::vector<std::wstring>& lines, IniIndex& index)
{
    index.clear();
    SectionIndex* current = NULL;   // NULL: outside any section, or in a repeated one
    for (size_t i = 0; i < lines.size(); ++i)
    {
        std::wstring name;
        if (ParseSection(lines[i], name))
        {
            const std::wstring folded = Fold(name);
            if (index.find(folded) != index.end())
            {
                current = NULL;
                continue;
            }
            current = &index[folded];
            current->sectionLine = (int)i;
            current->insertAt = (int)i + 1;
            continue;
        }
        if (!current)
            continue;
        if (!Trim(lines[i]).empty())
            current->insertAt = (int)i + 1;
        std::wstring k, v;
        if (ParseKey(lines[i], k, v))
            current->keys.insert(std::make_pair(Fold(k), (int)i));   // keeps the first
    }
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

namespace {

// What tells one state of the file from another without reading it.
struct FileStamp
{
    unsigned long long size;
    unsigned long long written;   // last write time
    unsigned long long created;
    bool operator==(const FileStamp& o) const
    {
        return size == o.size && written == o.written && created == o.created;
    }
};

unsigned long long ToU64(const FILETIME& t) { return ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime; }

// False when the file is absent (or no file at all).
bool StatFile(const std::wstring& path, FileStamp& stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.size = ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    stamp.written = ToU64(data.ftLastWriteTime);
    stamp.created = ToU64(data.ftCreationTime);
    return true;
}

unsigned long long Now()
{
    FILETIME t;
    GetSystemTimeAsFileTime(&t);
    return ToU64(t);
}

// How far apart two writes must be for the file system to give them
// different write times: 2 s on FAT volumes, a clock tick elsewhere (with
// margin). In 100 ns units.
unsigned long long StampGranularity(const std::wstring& path)
{
    // The file system's name, asked of the file itself where the system can
    // (asking for the volume by its root needs rights on the volume).
    typedef BOOL(WINAPI * ByHandleFn)(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD);
    static ByHandleFn byHandle = reinterpret_cast<ByHandleFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetVolumeInformationByHandleW")));
    wchar_t fs[64] = {0};
    bool known = false;
    if (byHandle)
    {
        HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
        if (h != INVALID_HANDLE_VALUE)
        {
            known = byHandle(h, NULL, 0, NULL, NULL, NULL, fs, 64) != FALSE;
            CloseHandle(h);
        }
    }
    else
    {
        wchar_t volume[MAX_PATH + 1];
        known = GetVolumePathNameW(path.c_str(), volume, MAX_PATH) &&
                GetVolumeInformationW(volume, NULL, 0, NULL, NULL, NULL, fs, 64);
    }
    if (known && wcsstr(fs, L"FAT") == NULL)
        return 1000000ULL;   // 100 ms
    return 20000000ULL;      // 2 s, also when the file system is unknown
}

} // namespace

// The parsed file of one CIniParse.
//
// A change on disk shows in the file's size or write or creation time, with
// one exception: a rewrite of the same size that falls into the same tick of
// the file system's clock as the parsed state. So a state is trusted on its
// stamp only once it was read at least one granularity after its write time;
// until then every call compares the file's bytes with the parsed ones.
struct CIniParse::Cache
{
    CRITICAL_SECTION lock;
    bool loaded = false;     // lines and index describe the file as last seen
    bool exists = false;     // the file existed then
    bool trusted = false;    // the stamp alone tells a later change
    FileStamp stamp = {0, 0, 0};
    unsigned long long granularity = 0;   // of the file's volume, found at the first read
    std::string bytes;       // the parsed bytes, kept while not trusted
    std::vector<std::wstring> lines;
    IniIndex index;

    Cache() { InitializeCriticalSection(&lock); }
    ~Cache() { DeleteCriticalSection(&lock); }

    void Parse(const std::string& content)
    {
        SplitLines(DecodeText(content), lines);
        BuildIndex(lines, index);
    }

    void Forget()
    {
        loaded = exists = trusted = false;
        bytes.clear();
        lines.clear();
        index.clear();
    }

    // Takes a state just read (or written): trusted when `readAt` is far
    // enough from its write time that a later write must change the stamp.
    void Keep(const std::wstring& path, const FileStamp& st, unsigned long long readAt, std::string& content)
    {
        loaded = exists = true;
        stamp = st;
        if (!granularity)
            granularity = StampGranularity(path);
        const unsigned long long g = granularity;
        const unsigned long long gap = readAt > st.written ? readAt - st.written : st.written - readAt;
        trusted = gap >= g;
        if (trusted)
            std::string().swap(bytes);
        else
            bytes.swap(content);
    }

    // Brings the cache up to the file on disk. False when the file exists
    // but cannot be read (locked, too large, changing all the time).
    bool Refresh(const std::wstring& path)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            const unsigned long long readAt = Now();
            FileStamp before;
            if (!StatFile(path, before))
            {
                if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                    break;   // a folder in its place: unreadable
                Forget();
                loaded = true;   // known to be absent
                return true;
            }
            if (loaded && exists && trusted && before == stamp)
                return true;
            std::string content;
            if (!ReadWholeFile(path, content))
                break;
            FileStamp after;
            if (!StatFile(path, after) || !(after == before) || content.size() != before.size)
                continue;   // changed while being read
            if (loaded && exists && before == stamp && content == bytes)
            {
                Keep(path, before, readAt, content);   // unchanged; perhaps trusted now
                return true;
            }
            Parse(content);
            Keep(path, before, readAt, content);
            return true;
        }
        Forget();
        return false;
    }
};

CIniParse::CIniParse(const GString& path) noexcept : m_path(path), m_cache(new Cache) {}
CIniParse::CIniParse(const CIniParse& other) noexcept : m_path(other.m_path), m_cache(new Cache) {}

CIniParse& CIniParse::operator=(const CIniParse& other) noexcept
{
    if (this != &other)
    {
        EnterCriticalSection(&m_cache->lock);
        m_path = other.m_path;
        m_cache->Forget();
        m_cache->granularity = 0;
        LeaveCriticalSection(&m_cache->lock);
    }
    return *this;
}

CIniParse::~CIniParse() noexcept { delete m_cache; }

bool CIniParse::GetString(const GString& section, const GString& key, GString& out) noexcept
{
    out.clear();
    if (m_path.empty())
        return false;
    Cache& c = *m_cache;
    EnterCriticalSection(&c.lock);
    bool found = false;
    if (c.Refresh(m_path.str()))
    {
        IniIndex::const_iterator s = c.index.find(Fold(Trim(section.str())));
        if (s != c.index.end())
        {
            std::unordered_map<std::wstring, int>::const_iterator k = s->second.keys.find(Fold(Trim(key.str())));
            std::wstring name, value;
            if (k != s->second.keys.end() && ParseKey(c.lines[(size_t)k->second], name, value))
            {
                out = GString(value);
                found = true;
            }
        }
    }
    LeaveCriticalSection(&c.lock);
    return found;
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

    Cache& c = *m_cache;
    EnterCriticalSection(&c.lock);
    const bool ok = c.Refresh(m_path.str()) && Write(sect, name, Trim(value.str()));
    LeaveCriticalSection(&c.lock);
    return ok;
}

// With the lock held and the cache fresh: the file with the value set.
bool CIniParse::Write(const std::wstring& sect, const std::wstring& name, const std::wstring& val) noexcept
{
    Cache& c = *m_cache;
    // Present but unreadable files are never overwritten (Refresh failed).
    std::vector<std::wstring> lines(c.lines);
    IniIndex::const_iterator s = c.index.find(Fold(sect));
    std::unordered_map<std::wstring, int>::const_iterator k;
    if (s != c.index.end() && (k = s->second.keys.find(Fold(name))) != s->second.keys.end())
    {
        std::wstring keyName, old;
        ParseKey(lines[(size_t)k->second], keyName, old);
        lines[(size_t)k->second] = keyName + L"=" + val;
    }
    else if (s != c.index.end())
    {
        lines.insert(lines.begin() + s->second.insertAt, name + L"=" + val);
    }
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
    // The next call parses the file again unless it still holds these bytes;
    // they were just written, so the stamp alone cannot vouch for them.
    c.Forget();
    FileStamp st;
    if (StatFile(m_path.str(), st) && st.size == out.size())
    {
        c.lines.swap(lines);
        BuildIndex(c.lines, c.index);
        c.loaded = c.exists = true;
        c.trusted = false;
        c.stamp = st;
        c.bytes.swap(out);
    }
    return true;
}
