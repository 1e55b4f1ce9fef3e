// basetool::LogBuffer: the uninstaller's process-wide debug log. One narrow text
// line of at most 4095 bytes is built at a time under a critical section and
// sent to the debugger output; lines start with a local time stamp and a level,
// "%s [%s] : ".
#ifndef BASETOOL_LOGBUFFER_H
#define BASETOOL_LOGBUFFER_H

#include <windows.h>

namespace basetool {

// Log levels, eight characters each.
extern const char kLogError[];     // "  ERROR "
extern const char kLogWarning[];   // " WARNING"

class LogBuffer {
public:
    // The one instance, made on first use and kept for the life of the process.
    static LogBuffer* Instance();

    // Takes the lock, clears the line and writes its header.
    void BeginLine(const char* level, const char* sourceFile, int sourceLine);
    // Appenders: each writes at most into the room that is left, never past it.
    void AppendText(const char* text);           // narrow text as it stands
    void AppendWide(const wchar_t* text);        // wide text in the ANSI code page
    void AppendMessage(const wchar_t* text);     // the log's own texts, in code page 936
    void AppendNumber(unsigned int number);      // "%u"
    // Sends the line to the debugger (and to the file, had one been opened) and
    // releases the lock.
    void EndLine();
    // The local time as "%.4d.%.2d.%.2d %.2d:%.2d:%.2d".
    const char* FormatTime();

    // The line as built so far (or the last line, after EndLine).
    const char* Text() const { return m_text; }
    int Length() const { return m_length; }

    // Hands every finished line to observer as well (for tests; null to stop).
    typedef void (*LineObserver)(const char* line, int length, void* context);
    void SetLineObserver(LineObserver observer, void* context);

    static const int kLineBytes = 4096;

private:
    LogBuffer();
    LogBuffer(const LogBuffer&) = delete;
    LogBuffer& operator=(const LogBuffer&) = delete;
    void AppendBytes(const char* bytes, size_t count);

    char m_text[kLineBytes];
    int m_length;
    HANDLE m_file;
    bool m_toDebugger;
    bool m_flush;
    bool m_withSource;
    char m_time[32];
    CRITICAL_SECTION m_lock;
    LineObserver m_observer;
    void* m_observerContext;
};

}  // namespace basetool

#endif  // BASETOOL_LOGBUFFER_H
