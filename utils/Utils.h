// Utils.dll: the utility services shared by tevela.exe and update.exe.
//
//   GString / gstring   wide and narrow string values (narrow text is in the
//                       system ANSI code page, CP_ACP)
//   TransCode           UTF-8 -> ANSI
//   CIniParse           one INI file (CRLF, no BOM, ANSI text)
//   CHttpClient         one HTTP GET over WinHTTP (no cache, bounded time-outs,
//                       atomic file replace, only 2xx counts as success)
//   WinUtil             process, file-system and machine helpers
//   FunctorBase/Thread  one task on one worker thread
//   LogStream/Logger    one log line; glog chooses where lines go
//
// Binary boundary: every module that uses this header must be built by the
// same compiler with the same flags (mingw-w64 i686, -static-libgcc
// -static-libstdc++). std:: objects passed across the boundary are allocated
// from the one msvcrt heap. No exception ever leaves an exported function:
// failures are reported through return values; an allocation failure inside
// the library ends the process (the exported functions are noexcept).
#ifndef TEVELA_UTILS_H
#define TEVELA_UTILS_H

#include <windows.h>
#include <stdarg.h>
#include <stddef.h>
#include <string>
#include <vector>

#if defined(UTILS_STATIC)
#  define UTILS_API
#elif defined(UTILS_BUILD)
#  define UTILS_API __declspec(dllexport)
#else
#  define UTILS_API __declspec(dllimport)
#endif

#if defined(_MSC_VER)
#  pragma warning(push)
#  pragma warning(disable : 4251) // std:: members of exported classes
#endif

class gstring;

// ---------------------------------------------------------------------------
// GString: wide (UTF-16) text value. Positions and lengths are in UTF-16 units.
// ---------------------------------------------------------------------------
class UTILS_API GString
{
public:
    GString() noexcept;
    GString(const wchar_t* text) noexcept;                 // NULL = empty
    GString(const wchar_t* text, size_t count) noexcept;
    GString(const char* text) noexcept;                    // ANSI (ASCII) text; NULL = empty
    GString(const gstring& text) noexcept;                 // ANSI -> UTF-16
    GString(const std::string& narrow) noexcept;           // ANSI -> UTF-16
    GString(const std::wstring& text) noexcept;
    GString(const GString& other) noexcept;
    GString& operator=(const GString& other) noexcept;
    GString& operator=(const wchar_t* text) noexcept;
    ~GString() noexcept;

    GString& operator+=(const GString& text) noexcept;
    GString& operator+=(const wchar_t* text) noexcept;
    GString& operator+=(wchar_t ch) noexcept;
    GString& append(const wchar_t* text) noexcept;         // NULL appends nothing
    GString& append(const GString& text) noexcept;
    GString& assign(const wchar_t* buf, size_t count) noexcept;

    bool operator==(const GString& other) const noexcept;  // exact, unit by unit
    bool operator!=(const GString& other) const noexcept;
    bool operator<(const GString& other) const noexcept;   // ordering for containers

    const wchar_t* c_str() const noexcept;
    bool empty() const noexcept;
    int length() const noexcept;
    void clear() noexcept;
    wchar_t at(int index) const noexcept;                  // 0 outside the text

    // Out-of-range arguments are clamped: left(100) of "abc" is "abc".
    GString left(int n) const noexcept;
    GString right(int n) const noexcept;
    GString mid(int start, int count = -1) const noexcept; // -1 = to the end

    int find(wchar_t ch, int start = 0) const noexcept;          // -1 = none
    int find(const wchar_t* text, int start = 0) const noexcept; // -1 = none
    int rfind(wchar_t ch) const noexcept;                        // -1 = none

    void replace(wchar_t from, wchar_t to) noexcept;       // every occurrence, in place

    // printf style (msvcrt rules: %s is a wide string); replaces the text.
    void Format(const wchar_t* fmt, ...) noexcept;
    void FormatV(const wchar_t* fmt, va_list args) noexcept;

    const std::wstring& str() const noexcept { return m_text; }

private:
    std::wstring m_text;
};

UTILS_API GString operator+(const GString& a, const GString& b) noexcept;
UTILS_API GString operator+(const GString& a, const wchar_t* b) noexcept;
UTILS_API GString operator+(const wchar_t* a, const GString& b) noexcept;

// ---------------------------------------------------------------------------
// gstring: narrow byte text (ANSI code page when it is converted). It may hold
// any bytes, including NUL (an HTTP body, for example).
// ---------------------------------------------------------------------------
class UTILS_API gstring
{
public:
    gstring() noexcept;
    gstring(const char* text) noexcept;                    // NULL = empty
    gstring(const char* bytes, size_t count) noexcept;
    gstring(const std::string& bytes) noexcept;
    gstring(const GString& text) noexcept;                 // UTF-16 -> ANSI
    gstring(const gstring& other) noexcept;
    gstring& operator=(const gstring& other) noexcept;
    ~gstring() noexcept;

    GString toGString() const noexcept;                    // ANSI -> UTF-16

    gstring& operator+=(const gstring& text) noexcept;
    gstring& operator+=(const char* text) noexcept;
    gstring& operator+=(char ch) noexcept;

    const char* c_str() const noexcept;
    const char* data() const noexcept;
    int length() const noexcept;                           // bytes
    bool empty() const noexcept;

    int find(char ch, int start = 0) const noexcept;        // -1 = none
    int find(const char* text, int start = 0) const noexcept;
    gstring mid(int start, int count = -1) const noexcept;  // -1 = to the end

    bool operator==(const GString& other) const noexcept;  // compared as UTF-16 text
    bool operator==(const gstring& other) const noexcept;  // bytes
    bool operator==(const char* other) const noexcept;
    bool operator!=(const gstring& other) const noexcept;

    const std::string& str() const noexcept { return m_text; }

private:
    std::string m_text;
};

namespace TransCode
{
    // UTF-8 -> system ANSI code page (characters the code page lacks become '?').
    UTILS_API gstring Utf_8ToANSI(const gstring& utf8) noexcept;
    // System ANSI code page -> UTF-8.
    UTILS_API gstring ANSIToUtf_8(const gstring& ansi) noexcept;
}

// ---------------------------------------------------------------------------
// CIniParse: one INI file, parsed once and parsed again only when the file
// on disk changed (size, time stamps or, for a file written moments before,
// its bytes), so a manifest of many keys is read in one pass.
// Section and key names match ignoring ASCII case (as the system's
// private-profile functions do); names and values are trimmed of blanks.
// The file is read as ANSI (or UTF-8 / UTF-16LE when it starts with their BOM)
// and always written as ANSI, CRLF, no BOM. SetString replaces the file
// atomically (temporary file, then rename) and creates it when missing.
// Files beyond 64 MiB read as unreadable. One object may be used from several
// threads.
// ---------------------------------------------------------------------------
class UTILS_API CIniParse
{
public:
    explicit CIniParse(const GString& path) noexcept;
    CIniParse(const CIniParse& other) noexcept;              // same file, own cache
    CIniParse& operator=(const CIniParse& other) noexcept;
    ~CIniParse() noexcept;

    // Absent section or key: out is empty and the result false.
    bool GetString(const GString& section, const GString& key, GString& out) noexcept;
    // Absent or empty value: def. Otherwise the decimal number at the start of
    // the value (0 when it has none).
    int GetInt(const GString& section, const GString& key, int def) noexcept;
    // Writes at once. False when the file cannot be written, or when a name
    // or the value would break the line structure (CR/LF, '=' or ']' in a name).
    bool SetString(const GString& section, const GString& key, const GString& value) noexcept;

    const GString& GetPath() const noexcept { return m_path; }

private:
    struct Cache;
    bool Write(const std::wstring& sect, const std::wstring& name, const std::wstring& val) noexcept;

    GString m_path;
    Cache* m_cache;
};

// ---------------------------------------------------------------------------
// CHttpClient: one object per request. URLs without a scheme get "http://".
// Plain GET, no proxy, no cache. Only a 2xx status counts as success, and the
// body must be complete (as many bytes as Content-Length says).
// Downloads go to "<file>.part" and are renamed onto <file> only when whole,
// so a failure never leaves a half file at the target.
// The third argument is extra request headers ("Name: value\r\n..."), usually empty.
// ---------------------------------------------------------------------------
class UTILS_API CHttpClient
{
public:
    enum Result
    {
        HTTP_OK = 0,
        HTTP_ERR_URL = 1,       // URL could not be parsed
        HTTP_ERR_CONNECT = 2,   // session, connection or request failed
        HTTP_ERR_STATUS = 3,    // status other than 2xx
        HTTP_ERR_RECEIVE = 4,   // body read failed or body shorter than announced
        HTTP_ERR_FILE = 5,      // the target could not be written or replaced
        HTTP_ERR_TIMEOUT = 6,   // the call's deadline (SetLimits) passed
        HTTP_ERR_TOO_LARGE = 7, // the body (announced or received) passes the cap of SetLimits
        HTTP_ERR_ABORTED = 8    // Abort was called
    };

    CHttpClient() noexcept;
    ~CHttpClient() noexcept;

    // Small files: the body is read into memory, then written. 0 = success.
    int DownloadTinyFile(const GString& url, const GString& file, const GString& headers) noexcept;
    // Any size: the body is streamed to the temporary file. 0 = success.
    int Download(const GString& url, const GString& file, const GString& headers) noexcept;
    // The body bytes unchanged; empty on any failure (see GetLastResult).
    gstring Get(const GString& url, const GString& headers) noexcept;

    int GetLastResult() const noexcept { return m_result; }
    DWORD GetStatusCode() const noexcept { return m_status; }  // 0 = no answer

    // Limits of the later calls of this object (0 = none, the default for
    // both): a call fails once deadlineMs have passed since it started
    // (resolve, connect, send, headers and body together; HTTP_ERR_TIMEOUT),
    // and once the body would pass maxBodyBytes (HTTP_ERR_TOO_LARGE; a
    // Content-Length above the cap fails before the body is read).
    void SetLimits(unsigned long long maxBodyBytes, DWORD deadlineMs) noexcept;
    // From any thread: a running call of this object ends promptly with
    // HTTP_ERR_ABORTED, and so does every later one.
    void Abort() noexcept;

    // Time-outs in milliseconds for every later request of the process
    // (defaults: resolve 10000, connect 10000, send 30000, receive 30000).
    static void SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) noexcept;

private:
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    enum Mode { kToMemory, kTinyFile, kStreamToFile };
    int Run(const GString& url, const GString& file, const GString& headers, Mode mode, gstring* body) noexcept;

    int m_result;
    DWORD m_status;
    unsigned long long m_maxBody;
    DWORD m_deadlineMs;
    HANDLE m_abort;   // manual-reset event, set by Abort
};

// ---------------------------------------------------------------------------
// WinUtil: static helpers.
// ---------------------------------------------------------------------------
struct UTILS_API WinUtil
{
    static GString GetModulePath() noexcept;        // exe folder, no trailing '\'
    static GString GetModuleName() noexcept;        // exe file name ("tevela.exe")
    // First Netbios adapter, "%02X" x 6 (12 upper-case hex digits); empty when none.
    static GString GetMacAddress() noexcept;
    // major * 10 + minor of the real version (RtlGetVersion):
    // 50 2000, 51 XP, 52 XP x64/2003, 60 Vista, 61 7, 62 8, 63 8.1, 100 10 and 11.
    static int GetOSVersionInt() noexcept;
    static bool IsPathFileExists(const GString& path) noexcept;    // file or folder
    static int IsPathAccess(const GString& folder) noexcept;       // non-zero = a file can be created there
    static bool CreateDirectoryPro(const GString& folder) noexcept; // like CreateDir, as bool
    static int CreateDir(const GString& folder) noexcept;          // with parents; 0 = failure; existing = 1
    // Second download method (a separate WinHTTP request: HTTP/1.0, no-cache
    // headers, no URL cache); same success rules and atomic replace as CHttpClient.
    static bool Download(const GString& url, const GString& file) noexcept;
    static GString MD5_File(const GString& path) noexcept;          // 32 lower-case hex; "" when unreadable
    static GString MD5_Data(const void* data, size_t size) noexcept; // 32 lower-case hex
    // Ends every process whose exe file name equals exeName (ignoring case),
    // except the calling process, and waits until they have exited (at most
    // timeoutMs). True when none of them is left.
    static bool KillProcess(const GString& exeName, DWORD timeoutMs = 10000) noexcept;
    // Starts "path" params without waiting, in the program's own folder.
    // Non-zero = started.
    static int RunProcess2(const GString& path, const GString& params) noexcept;
};

// ---------------------------------------------------------------------------
// Threads
// ---------------------------------------------------------------------------
// Not exported: every module that defines a task gets its own copy, so that
// RunGuarded below is compiled into the task's module. With the i686 DWARF
// unwinder and a static libgcc each module unwinds only its own frames, so
// an exception thrown by a task can be caught only by a handler in the
// task's own module, never by one in Utils.dll.
class FunctorBase
{
public:
    virtual ~FunctorBase() {}
    virtual void Invoke() = 0;
    // What the worker thread calls: Invoke, stopping any exception at the
    // thread's boundary. False when Invoke ended with an exception.
    virtual bool RunGuarded() noexcept
    {
        try
        {
            Invoke();
            return true;
        }
        catch (...)
        {
            return false;
        }
    }
};

class UTILS_API Thread
{
public:
    bool m_started;   // first member: the owner's "already started" flag; Thread never changes it

    Thread() noexcept;
    ~Thread() noexcept;                       // Stop()

    // Hands over the task; the Thread owns it from now on and deletes it
    // (after Invoke, or here when a not yet started task is replaced).
    void SetTask(FunctorBase* task) noexcept;
    // Starts the worker, which runs Invoke once. No task, a running worker or
    // a failed start: false and no thread.
    bool CreateTask() noexcept;
    // Waits until the worker has ended (bounded by the HTTP time-outs of the
    // task) and releases it. Safe to call at any time, also twice.
    void Stop() noexcept;
    bool IsRunning() const noexcept;

private:
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    static unsigned __stdcall ThreadProc(void* param);

    FunctorBase* m_task;
    HANDLE m_handle;
    unsigned m_threadId;
};

// ---------------------------------------------------------------------------
// Logging: a line is built in the LogStream of one Logger and written by the
// Logger's destructor as
//   "YYYY-MM-DD HH:MM:SS.mmm <thread id> INFO <text> - <file>:<line>\r\n"
// Before glog::instance (and after glog::release) lines go to
// OutputDebugStringA (or to the function given to glog::setDefaultOutput).
// ---------------------------------------------------------------------------
class UTILS_API LogStream
{
public:
    enum { kBufferSize = 4000 };

    LogStream() noexcept;

    // Everything is appended only when it fits whole (its length is smaller
    // than avail()); otherwise it is dropped and the line goes on.
    LogStream& operator<<(int v) noexcept;
    LogStream& operator<<(unsigned int v) noexcept;
    LogStream& operator<<(long v) noexcept;
    LogStream& operator<<(unsigned long v) noexcept;
    LogStream& operator<<(long long v) noexcept;
    LogStream& operator<<(unsigned long long v) noexcept;
    LogStream& operator<<(const void* p) noexcept;   // "0x" + hex digits
    LogStream& operator<<(const char* text) noexcept; // NULL = "(null)"
    LogStream& operator<<(const std::string& text) noexcept;

    int avail() const noexcept { return kBufferSize - m_len; }
    void append(const char* data, int len) noexcept;
    const char* data() const noexcept { return m_buf; }
    int length() const noexcept { return m_len; }
    void reset() noexcept { m_len = 0; }

private:
    char m_buf[kBufferSize];
    int m_len;
};

class UTILS_API Logger
{
public:
    // The source-file tag: the text after the last '/' of the path as the
    // build wrote it, and its length.
    class SourceFile
    {
    public:
        template <int N>
        SourceFile(const char (&path)[N]) : m_data(path), m_size(N - 1) { Strip(); }
        explicit SourceFile(const char* path)
            : m_data(path ? path : ""), m_size(0)
        {
            while (m_data[m_size]) ++m_size;
            Strip();
        }
        const char* m_data;
        int m_size;

    private:
        void Strip()
        {
            for (int i = m_size - 1; i >= 0; --i)
                if (m_data[i] == '/') { m_data += i + 1; m_size -= i + 1; break; }
        }
    };

    Logger(SourceFile file, int line) noexcept;
    ~Logger() noexcept;
    LogStream& stream() noexcept { return m_stream; }

    static int logLevel;   // lines are built only while logLevel <= 2 (INFO); default 2

private:
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;
    LogStream m_stream;
    SourceFile m_file;
    int m_line;
};

// if/else form so that "if (x) LOG_INFO << ...; else ..." binds as written.
#define LOG_INFO if (Logger::logLevel > 2) {} else Logger(__FILE__, __LINE__).stream()

namespace glog
{
    typedef void (*OutputFunc)(const char* line, int len);

    // Opens the log: files named "<basePath>_YYYYMMDD-HHMMSS_<nnn>.log" (local
    // time of the file's start; nnn counts the files, so names sort in the
    // order they were written); when a file would grow beyond rollSize bytes
    // a new one is started (rollSize <= 0: never). Thread-safe. Calling it
    // again closes the previous file first.
    UTILS_API void instance(const std::string& basePath, int rollSize) noexcept;
    UTILS_API void release() noexcept;   // closes the file; later lines go to the default output
    // Where lines go while no file is open (NULL = OutputDebugStringA).
    UTILS_API void setDefaultOutput(OutputFunc func) noexcept;
    // Writes one finished line (used by Logger).
    UTILS_API void output(const char* line, int len) noexcept;
    // Path of the file being written, empty when none (ANSI).
    UTILS_API std::string currentFile() noexcept;
}

#if defined(_MSC_VER)
#  pragma warning(pop)
#endif

#endif // TEVELA_UTILS_H
