// The uninstaller's debug log line (basetool::LogBuffer).
#include "LogBuffer.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "BaseTool.h"

namespace basetool {

const char kLogError[] = "  ERROR ";
const char kLogWarning[] = " WARNING";

namespace {

std::string ToCodePage(const wchar_t* text, UINT codePage)
{
    if (text == NULL || text[0] == 0)
        return std::string();
    int n = WideCharToMultiByte(codePage, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 1)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &out[0], n, NULL, NULL);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}  // namespace

LogBuffer* LogBuffer::Instance()
{
    static LogBuffer* instance = new LogBuffer;
    return instance;
}

LogBuffer::LogBuffer()
    : m_length(0), m_file(INVALID_HANDLE_VALUE), m_toDebugger(true), m_flush(true), m_withSource(false),
      m_observer(NULL), m_observerContext(NULL)
{
    memset(m_text, 0, sizeof(m_text));
    memset(m_time, 0, sizeof(m_time));
    InitializeCriticalSectionAndSpinCount(&m_lock, 4000);
}

void LogBuffer::BeginLine(const char* level, const char* sourceFile, int sourceLine)
{
    EnterCriticalSection(&m_lock);
    m_length = 0;
    m_text[0] = 0;
    char header[256];
    if (m_withSource)
        _snprintf(header, sizeof(header) - 1, "%s [%s] : %s(%d) ", FormatTime(), level,
                  sourceFile != NULL ? sourceFile : "", sourceLine);
    else
        _snprintf(header, sizeof(header) - 1, "%s [%s] : ", FormatTime(), level);
    header[sizeof(header) - 1] = 0;
    AppendText(header);
}

void LogBuffer::AppendBytes(const char* bytes, size_t count)
{
    size_t room = static_cast<size_t>(kLineBytes - 1 - m_length);
    if (count > room)
        count = room;
    memcpy(m_text + m_length, bytes, count);
    m_length += static_cast<int>(count);
    m_text[m_length] = 0;
}

void LogBuffer::AppendText(const char* text)
{
    if (text != NULL)
        AppendBytes(text, strlen(text));
}

void LogBuffer::AppendWide(const wchar_t* text)
{
    if (text != NULL)
        AppendText(WideToNarrow(text).c_str());
}

void LogBuffer::AppendMessage(const wchar_t* text)
{
    AppendText(ToCodePage(text, 936).c_str());
}

void LogBuffer::AppendNumber(unsigned int number)
{
    char digits[16];
    _snprintf(digits, sizeof(digits) - 1, "%u", number);
    digits[sizeof(digits) - 1] = 0;
    AppendText(digits);
}

void LogBuffer::EndLine()
{
    if (m_toDebugger)
        OutputDebugStringA(m_text);
    if (m_file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(m_file, m_text, static_cast<DWORD>(m_length), &written, NULL);
        if (m_flush)
            FlushFileBuffers(m_file);
    }
    if (m_observer != NULL)
        m_observer(m_text, m_length, m_observerContext);
    LeaveCriticalSection(&m_lock);
}

const char* LogBuffer::FormatTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    _snprintf(m_time, sizeof(m_time) - 1, "%.4d.%.2d.%.2d %.2d:%.2d:%.2d", now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond);
    m_time[sizeof(m_time) - 1] = 0;
    return m_time;
}

void LogBuffer::SetLineObserver(LineObserver observer, void* context)
{
    EnterCriticalSection(&m_lock);
    m_observer = observer;
    m_observerContext = context;
    LeaveCriticalSection(&m_lock);
}

}  // namespace basetool
