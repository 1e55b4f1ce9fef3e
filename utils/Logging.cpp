// LogStream, Logger and the process-wide log sink.
#include "Utils.h"

#include <stdio.h>
#include <string.h>

#include "UtilsInternal.h"

int Logger::logLevel = 2;

// ---------------------------------------------------------------------------
// LogStream
// ---------------------------------------------------------------------------
LogStream::LogStream() noexcept : m_len(0) { m_buf[0] = '\0'; }

void LogStream::append(const char* data, int len) noexcept
{
    if (!data || len <= 0 || len >= avail())
        return;  // only whole pieces, and one byte always stays free
    memcpy(m_buf + m_len, data, (size_t)len);
    m_len += len;
    m_buf[m_len] = '\0';
}

namespace {

template <typename T>
int FormatUnsigned(char* out, T v)
{
    char tmp[32];
    int n = 0;
    do
    {
        tmp[n++] = (char)('0' + (int)(v % 10));
        v /= 10;
    } while (v);
    for (int i = 0; i < n; ++i)
        out[i] = tmp[n - 1 - i];
    return n;
}

template <typename S, typename U>
int FormatSigned(char* out, S v)
{
    if (v < 0)
    {
        out[0] = '-';
        return 1 + FormatUnsigned(out + 1, (U)(0 - (U)v));
    }
    return FormatUnsigned(out, (U)v);
}

} // namespace

LogStream& LogStream::operator<<(int v) noexcept
{
    char buf[32];
    append(buf, FormatSigned<int, unsigned int>(buf, v));
    return *this;
}
LogStream& LogStream::operator<<(unsigned int v) noexcept
{
    char buf[32];
    append(buf, FormatUnsigned(buf, v));
    return *this;
}
LogStream& LogStream::operator<<(long v) noexcept
{
    char buf[32];
    append(buf, FormatSigned<long, unsigned long>(buf, v));
    return *this;
}
LogStream& LogStream::operator<<(unsigned long v) noexcept
{
    char buf[32];
    append(buf, FormatUnsigned(buf, v));
    return *this;
}
LogStream& LogStream::operator<<(long long v) noexcept
{
    char buf[32];
    append(buf, FormatSigned<long long, unsigned long long>(buf, v));
    return *this;
}
LogStream& LogStream::operator<<(unsigned long long v) noexcept
{
    char buf[32];
    append(buf, FormatUnsigned(buf, v));
    return *this;
}
LogStream& LogStream::operator<<(const void* p) noexcept
{
    static const char kHex[] = "0123456789ABCDEF";
    uintptr_t v = (uintptr_t)p;
    char buf[2 + sizeof(v) * 2];
    buf[0] = '0';
    buf[1] = 'x';
    int n = 2;
    bool started = false;
    for (int shift = (int)sizeof(v) * 8 - 4; shift >= 0; shift -= 4)
    {
        int digit = (int)((v >> shift) & 15);
        if (digit || started || shift == 0)
        {
            started = true;
            buf[n++] = kHex[digit];
        }
    }
    append(buf, n);
    return *this;
}
LogStream& LogStream::operator<<(const char* text) noexcept
{
    if (!text)
        text = "(null)";
    append(text, (int)strlen(text));
    return *this;
}
LogStream& LogStream::operator<<(const std::string& text) noexcept
{
    append(text.data(), (int)text.size());
    return *this;
}

// ---------------------------------------------------------------------------
// The sink
// ---------------------------------------------------------------------------
namespace {

class Sink
{
public:
    Sink() : m_file(INVALID_HANDLE_VALUE), m_size(0), m_roll(0), m_seq(0), m_default(NULL)
    {
        InitializeCriticalSection(&m_lock);
    }

    void Open(const std::string& base, int roll)
    {
        EnterCriticalSection(&m_lock);
        CloseLocked();
        m_base = base;
        m_roll = roll;
        OpenNewLocked();
        LeaveCriticalSection(&m_lock);
    }

    void Close()
    {
        EnterCriticalSection(&m_lock);
        CloseLocked();
        m_base.clear();
        LeaveCriticalSection(&m_lock);
    }

    void SetDefault(glog::OutputFunc f)
    {
        EnterCriticalSection(&m_lock);
        m_default = f;
        LeaveCriticalSection(&m_lock);
    }

    void Write(const char* line, int len)
    {
        EnterCriticalSection(&m_lock);
        if (m_file == INVALID_HANDLE_VALUE && !m_base.empty())
            OpenNewLocked();  // an earlier roll could not open its file
        if (m_file != INVALID_HANDLE_VALUE && m_roll > 0 && m_size > 0 &&
            m_size + (unsigned long long)len > (unsigned long long)m_roll)
        {
            CloseLocked();
            OpenNewLocked();
        }
        if (m_file != INVALID_HANDLE_VALUE)
        {
            DWORD written = 0;
            if (WriteFile(m_file, line, (DWORD)len, &written, NULL))
                m_size += written;
        }
        else if (m_default)
            m_default(line, len);
        else
        {
            std::string text(line, (size_t)len);
            OutputDebugStringA(text.c_str());
        }
        LeaveCriticalSection(&m_lock);
    }

    std::string Current()
    {
        EnterCriticalSection(&m_lock);
        std::string r = m_file != INVALID_HANDLE_VALUE ? m_current : std::string();
        LeaveCriticalSection(&m_lock);
        return r;
    }

private:
    void CloseLocked()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        m_size = 0;
        m_current.clear();
    }

    // "<base>_YYYYMMDD-HHMMSS_<nnn>.log": the number counts this process's
    // files (and skips names another process took), so names sort in the
    // order they were written.
    void OpenNewLocked()
    {
        SYSTEMTIME t;
        GetLocalTime(&t);
        char stamp[40];
        sprintf(stamp, "_%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
        for (int tries = 0; tries < 1000; ++tries, ++m_seq)
        {
            char suffix[16];
            sprintf(suffix, "_%03d.log", m_seq % 1000);
            std::string name = m_base + stamp + suffix;
            std::wstring wide = utils_internal::MultiToWide(CP_ACP, name.data(), name.size());
            HANDLE h = CreateFileW(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
            if (h != INVALID_HANDLE_VALUE)
            {
                ++m_seq;
                m_file = h;
                m_size = 0;
                m_current = name;
                return;
            }
            if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
                return;
        }
    }

    CRITICAL_SECTION m_lock;
    HANDLE m_file;
    unsigned long long m_size;
    int m_roll;
    int m_seq;
    std::string m_base;
    std::string m_current;
    glog::OutputFunc m_default;
};

Sink& TheSink()
{
    static Sink sink;  // never destroyed before the last line of any thread
    return sink;
}

} // namespace

namespace glog {

void instance(const std::string& basePath, int rollSize) noexcept
{
    if (basePath.empty())
        return;
    TheSink().Open(basePath, rollSize);
}

void release() noexcept { TheSink().Close(); }

void setDefaultOutput(OutputFunc func) noexcept { TheSink().SetDefault(func); }

void output(const char* line, int len) noexcept
{
    if (line && len > 0)
        TheSink().Write(line, len);
}

std::string currentFile() noexcept { return TheSink().Current(); }

} // namespace glog

// ---------------------------------------------------------------------------
// Logger
// ---------------------------------------------------------------------------
Logger::Logger(SourceFile file, int line) noexcept : m_file(file), m_line(line) {}

Logger::~Logger() noexcept
{
    // The stream holds only the line's text (whatever fitted); the time,
    // thread, tag and line end are always written.
    SYSTEMTIME t;
    GetLocalTime(&t);
    char head[64];
    int n = sprintf(head, "%04u-%02u-%02u %02u:%02u:%02u.%03u %lu INFO ", t.wYear, t.wMonth, t.wDay, t.wHour,
                    t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentThreadId());
    std::string line(head, (size_t)n);
    line.append(m_stream.data(), (size_t)m_stream.length());
    line += " - ";
    line.append(m_file.m_data, (size_t)m_file.m_size);
    char tail[32];
    sprintf(tail, ":%d\r\n", m_line);
    line += tail;
    glog::output(line.data(), (int)line.size());
}
