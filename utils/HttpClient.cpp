// HTTP GET over WinHTTP: CHttpClient and WinUtil::Download.
//
// Every request is a fresh session with bounded time-outs and no proxy.
// WinHTTP keeps no URL cache, so a retry always reaches the server.
// Files are written to "<file>.part" and renamed onto the target only when
// the whole body (2xx status, Content-Length bytes when announced) arrived.
#include "Utils.h"

#include <winhttp.h>

#include "UtilsInternal.h"

namespace {

volatile LONG g_resolveMs = 10000;
volatile LONG g_connectMs = 10000;
volatile LONG g_sendMs = 30000;
volatile LONG g_receiveMs = 30000;

class Handle
{
public:
    explicit Handle(HINTERNET h = NULL) : m_h(h) {}
    ~Handle()
    {
        if (m_h)
            WinHttpCloseHandle(m_h);
    }
    HINTERNET get() const { return m_h; }
    void reset(HINTERNET h)
    {
        if (m_h)
            WinHttpCloseHandle(m_h);
        m_h = h;
    }

private:
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HINTERNET m_h;
};

// Receives the body.
class Sink
{
public:
    virtual ~Sink() {}
    virtual bool Write(const char* data, size_t size) = 0;
};

class MemorySink : public Sink
{
public:
    std::string data;
    bool Write(const char* p, size_t size) override
    {
        data.append(p, size);
        return true;
    }
};

class FileSink : public Sink
{
public:
    explicit FileSink(HANDLE h) : m_h(h) {}
    bool Write(const char* p, size_t size) override
    {
        while (size)
        {
            const DWORD step = size > 0x40000000u ? 0x40000000u : (DWORD)size;
            DWORD written = 0;
            if (!WriteFile(m_h, p, step, &written, NULL) || written == 0)
                return false;
            p += written;
            size -= written;
        }
        return true;
    }

private:
    HANDLE m_h;
};

struct RequestOptions
{
    const wchar_t* version;   // NULL = WinHTTP's default (HTTP/1.1)
    bool noCacheHeaders;
};

std::wstring WithScheme(const std::wstring& url)
{
    if (url.find(L"://") == std::wstring::npos)
        return L"http://" + url;
    return url;
}

// Limits of one call: the body cap, the wall-time deadline counted from the
// call's start, and the event that aborts it (NULL = none).
struct CallLimits
{
    unsigned long long maxBody;   // 0 = no cap
    DWORD deadlineMs;             // 0 = none
    DWORD start;                  // GetTickCount at the call's start
    HANDLE abort;
};

const DWORD kChunk = 64 * 1024;
// The largest body any call takes. WinHTTP (Wine's at least) does not deliver a
// body of 2 GiB or more whole, and no file of the product comes near that size:
// such a body is refused before it is read, instead of being received in full
// and then thrown away.
const unsigned long long kLargestBody = 0x7FFFFFFFull;

// What one request shares with WinHTTP's status callback. It is reference
// counted: the call holds one reference and the request handle the other,
// dropped when WinHTTP reports the handle closing. A call that gives up while
// an operation is still pending closes the handle and returns at once; the
// pending operation may still complete into this memory later.
struct AsyncState
{
    volatile LONG refs;
    HANDLE done;        // auto-reset: the pending operation completed
    DWORD code;         // WINHTTP_CALLBACK_STATUS_* of that completion
    DWORD error;        // its error, for REQUEST_ERROR
    DWORD bytes;        // DATA_AVAILABLE count or READ_COMPLETE length
    char buffer[kChunk];

    static AsyncState* Create()
    {
        AsyncState* s = new AsyncState;
        s->refs = 1;
        s->done = CreateEventW(NULL, FALSE, FALSE, NULL);
        s->code = 0;
        s->error = 0;
        s->bytes = 0;
        if (!s->done)
        {
            delete s;
            return NULL;
        }
        return s;
    }
    void AddRef() { InterlockedIncrement(&refs); }
    void Release()
    {
        if (InterlockedDecrement(&refs) == 0)
        {
            CloseHandle(done);
            delete this;
        }
    }
    void Complete(DWORD c, DWORD n, DWORD e)
    {
        code = c;
        bytes = n;
        error = e;
        SetEvent(done);
    }
};

void CALLBACK OnRequestStatus(HINTERNET, DWORD_PTR context, DWORD code, LPVOID info, DWORD infoLength)
{
    AsyncState* s = reinterpret_cast<AsyncState*>(context);
    if (!s)
        return;
    switch (code)
    {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        s->Complete(code, 0, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        s->Complete(code, info ? *static_cast<DWORD*>(info) : 0, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        s->Complete(code, infoLength, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        s->Complete(code, 0, info ? static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError : ERROR_WINHTTP_INTERNAL_ERROR);
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        s->Release();
        break;
    default:
        break;
    }
}

// Holds the call's reference to the state.
class StateRef
{
public:
    explicit StateRef(AsyncState* s) : m_s(s) {}
    ~StateRef()
    {
        if (m_s)
            m_s->Release();
    }
    AsyncState* operator->() const { return m_s; }
    AsyncState* get() const { return m_s; }

private:
    StateRef(const StateRef&) = delete;
    StateRef& operator=(const StateRef&) = delete;
    AsyncState* m_s;
};

bool Aborted(const CallLimits& limits)
{
    return limits.abort && WaitForSingleObject(limits.abort, 0) == WAIT_OBJECT_0;
}

// Waits for the pending operation. HTTP_OK when it completed without error;
// `failure` when it completed with one; the deadline or the abort otherwise
// (the operation is then still pending: the caller closes the request).
int WaitForCompletion(AsyncState* s, const CallLimits& limits, int failure)
{
    DWORD wait = INFINITE;
    if (limits.deadlineMs)
    {
        const DWORD elapsed = GetTickCount() - limits.start;
        wait = elapsed >= limits.deadlineMs ? 0 : limits.deadlineMs - elapsed;
    }
    HANDLE handles[2] = { s->done, limits.abort };
    const DWORD r = WaitForMultipleObjects(limits.abort ? 2 : 1, handles, FALSE, wait);
    if (r == WAIT_OBJECT_0)
        return s->code == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR ? failure : CHttpClient::HTTP_OK;
    if (r == WAIT_OBJECT_0 + 1)
        return CHttpClient::HTTP_ERR_ABORTED;
    if (r == WAIT_TIMEOUT)
        return CHttpClient::HTTP_ERR_TIMEOUT;
    return failure;
}

// Checks the deadline and the abort between operations.
int CheckLimits(const CallLimits& limits)
{
    if (Aborted(limits))
        return CHttpClient::HTTP_ERR_ABORTED;
    if (limits.deadlineMs && GetTickCount() - limits.start >= limits.deadlineMs)
        return CHttpClient::HTTP_ERR_TIMEOUT;
    return CHttpClient::HTTP_OK;
}

int PerformGet(const GString& url, const GString& headers, const RequestOptions& opts, const CallLimits& limits,
               Sink& sink, DWORD& status)
{
    status = 0;
    int result = CheckLimits(limits);
    if (result != CHttpClient::HTTP_OK)
        return result;
    if (url.empty())
        return CHttpClient::HTTP_ERR_URL;
    const std::wstring full = WithScheme(url.str());

    URL_COMPONENTS parts;
    ZeroMemory(&parts, sizeof(parts));
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = (DWORD)-1;
    parts.dwHostNameLength = (DWORD)-1;
    parts.dwUrlPathLength = (DWORD)-1;
    parts.dwExtraInfoLength = (DWORD)-1;
    if (!WinHttpCrackUrl(full.c_str(), (DWORD)full.size(), 0, &parts) || !parts.lpszHostName ||
        parts.dwHostNameLength == 0)
        return CHttpClient::HTTP_ERR_URL;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return CHttpClient::HTTP_ERR_URL;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path;
    if (parts.lpszUrlPath)
        path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo)
        path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty())
        path = L"/";

    StateRef state(AsyncState::Create());
    if (!state.get())
        return CHttpClient::HTTP_ERR_CONNECT;

    // Asynchronous mode, so that the wait for every step is ours: it ends at
    // the call's deadline or abort whatever the server does.
    Handle session(WinHttpOpen(L"tevela", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session.get())
        return CHttpClient::HTTP_ERR_CONNECT;
    WinHttpSetTimeouts(session.get(), (int)g_resolveMs, (int)g_connectMs, (int)g_sendMs, (int)g_receiveMs);

    Handle connect(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connect.get())
        return CHttpClient::HTTP_ERR_CONNECT;

    DWORD flags = WINHTTP_FLAG_REFRESH;  // never served from any cache
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= WINHTTP_FLAG_SECURE;
    // Declared last, so it is closed first: its closing lets go of the state.
    Handle request(WinHttpOpenRequest(connect.get(), L"GET", path.c_str(), opts.version, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request.get())
        return CHttpClient::HTTP_ERR_CONNECT;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(state.get());
    if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context)) ||
        WinHttpSetStatusCallback(request.get(), OnRequestStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK)
        return CHttpClient::HTTP_ERR_CONNECT;
    state->AddRef();  // the request handle's reference, dropped at its closing
    // The wait for the answer's headers has a time-out of its own.
    WinHttpSetTimeouts(request.get(), (int)g_resolveMs, (int)g_connectMs, (int)g_sendMs, (int)g_receiveMs);
    DWORD responseMs = (DWORD)g_receiveMs;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseMs, sizeof(responseMs));

    std::wstring extra = headers.str();
    if (opts.noCacheHeaders)
        extra += L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    if (!WinHttpSendRequest(request.get(), extra.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : extra.c_str(),
                            extra.empty() ? 0 : (DWORD)extra.size(), WINHTTP_NO_REQUEST_DATA, 0, 0, context))
        return CHttpClient::HTTP_ERR_CONNECT;
    result = WaitForCompletion(state.get(), limits, CHttpClient::HTTP_ERR_CONNECT);
    if (result != CHttpClient::HTTP_OK)
        return result;
    if (!WinHttpReceiveResponse(request.get(), NULL))
        return CHttpClient::HTTP_ERR_CONNECT;
    result = WaitForCompletion(state.get(), limits, CHttpClient::HTTP_ERR_CONNECT);
    if (result != CHttpClient::HTTP_OK)
        return result;

    DWORD code = 0, size = sizeof(code);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
        return CHttpClient::HTTP_ERR_CONNECT;
    status = code;
    if (code < 200 || code > 299)
        return CHttpClient::HTTP_ERR_STATUS;

    // Content-Length may exceed 32 bits; read it as text.
    bool haveLength = false;
    unsigned long long expected = 0;
    wchar_t lengthText[32];
    DWORD lengthSize = sizeof(lengthText);
    if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, lengthText,
                            &lengthSize, WINHTTP_NO_HEADER_INDEX))
    {
        const wchar_t* p = lengthText;
        while (*p == L' ')
            ++p;
        if (*p >= L'0' && *p <= L'9')
        {
            haveLength = true;
            for (; *p >= L'0' && *p <= L'9'; ++p)
                expected = expected * 10 + (unsigned)(*p - L'0');
        }
    }
    if (haveLength && ((limits.maxBody && expected > limits.maxBody) || expected > kLargestBody))
        return CHttpClient::HTTP_ERR_TOO_LARGE;

    unsigned long long total = 0;
    for (;;)
    {
        result = CheckLimits(limits);
        if (result != CHttpClient::HTTP_OK)
            return result;
        if (!WinHttpQueryDataAvailable(request.get(), NULL))
            return CHttpClient::HTTP_ERR_RECEIVE;
        result = WaitForCompletion(state.get(), limits, CHttpClient::HTTP_ERR_RECEIVE);
        if (result != CHttpClient::HTTP_OK)
            return result;
        const DWORD available = state->bytes;
        if (available == 0)
            break;
        if (!WinHttpReadData(request.get(), state->buffer, available < kChunk ? available : kChunk, NULL))
            return CHttpClient::HTTP_ERR_RECEIVE;
        result = WaitForCompletion(state.get(), limits, CHttpClient::HTTP_ERR_RECEIVE);
        if (result != CHttpClient::HTTP_OK)
            return result;
        const DWORD got = state->bytes;
        if (got == 0)
            break;
        total += got;
        if (haveLength && total > expected)
            return CHttpClient::HTTP_ERR_RECEIVE;
        if ((limits.maxBody && total > limits.maxBody) || total > kLargestBody)
            return CHttpClient::HTTP_ERR_TOO_LARGE;
        if (!sink.Write(state->buffer, got))
            return CHttpClient::HTTP_ERR_FILE;
    }
    if (haveLength && total != expected)
        return CHttpClient::HTTP_ERR_RECEIVE;
    return CHttpClient::HTTP_OK;
}

// Writes the body to "<file>.part" and renames it onto file when whole.
int DownloadToFile(const GString& url, const GString& file, const GString& headers, const RequestOptions& opts,
                   const CallLimits& limits, bool inMemory, DWORD& status)
{
    status = 0;
    if (file.empty())
        return CHttpClient::HTTP_ERR_FILE;
    const std::wstring target = file.str();
    const std::wstring part = target + L".part";

    MemorySink memory;
    HANDLE handle = INVALID_HANDLE_VALUE;
    int result;
    if (inMemory)
    {
        result = PerformGet(url, headers, opts, limits, memory, status);
        if (result != CHttpClient::HTTP_OK)
            return result;
    }
    handle = CreateFileW(part.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return CHttpClient::HTTP_ERR_FILE;
    FileSink fileSink(handle);
    if (inMemory)
        result = fileSink.Write(memory.data.data(), memory.data.size()) ? CHttpClient::HTTP_OK
                                                                       : CHttpClient::HTTP_ERR_FILE;
    else
        result = PerformGet(url, headers, opts, limits, fileSink, status);
    if (result == CHttpClient::HTTP_OK && !FlushFileBuffers(handle))
        result = CHttpClient::HTTP_ERR_FILE;
    CloseHandle(handle);
    if (result == CHttpClient::HTTP_OK && !utils_internal::ReplaceFileAtomically(part, target))
        result = CHttpClient::HTTP_ERR_FILE;
    if (result != CHttpClient::HTTP_OK)
        DeleteFileW(part.c_str());
    return result;
}

const RequestOptions kPrimary = { NULL, false };
const RequestOptions kSecondary = { L"HTTP/1.0", true };

} // namespace

CHttpClient::CHttpClient() noexcept
    : m_result(HTTP_OK), m_status(0), m_maxBody(0), m_deadlineMs(0), m_abort(CreateEventW(NULL, TRUE, FALSE, NULL))
{
}

CHttpClient::~CHttpClient() noexcept
{
    if (m_abort)
        CloseHandle(m_abort);
}

void CHttpClient::SetLimits(unsigned long long maxBodyBytes, DWORD deadlineMs) noexcept
{
    m_maxBody = maxBodyBytes;
    m_deadlineMs = deadlineMs;
}

void CHttpClient::Abort() noexcept
{
    if (m_abort)
        SetEvent(m_abort);
}

int CHttpClient::Run(const GString& url, const GString& file, const GString& headers, Mode mode, gstring* body) noexcept
{
    const CallLimits limits = { m_maxBody, m_deadlineMs, GetTickCount(), m_abort };
    try
    {
        if (mode == kToMemory)
        {
            MemorySink sink;
            m_result = PerformGet(url, headers, kPrimary, limits, sink, m_status);
            if (m_result == HTTP_OK && body)
                *body = gstring(sink.data);
        }
        else
        {
            m_result = DownloadToFile(url, file, headers, kPrimary, limits, mode == kTinyFile, m_status);
        }
    }
    catch (...)
    {
        m_result = HTTP_ERR_RECEIVE;
    }
    return m_result;
}

int CHttpClient::DownloadTinyFile(const GString& url, const GString& file, const GString& headers) noexcept
{
    return Run(url, file, headers, kTinyFile, NULL);
}

int CHttpClient::Download(const GString& url, const GString& file, const GString& headers) noexcept
{
    return Run(url, file, headers, kStreamToFile, NULL);
}

gstring CHttpClient::Get(const GString& url, const GString& headers) noexcept
{
    gstring body;
    Run(url, GString(), headers, kToMemory, &body);
    return body;
}

void CHttpClient::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) noexcept
{
    InterlockedExchange(&g_resolveMs, resolveMs);
    InterlockedExchange(&g_connectMs, connectMs);
    InterlockedExchange(&g_sendMs, sendMs);
    InterlockedExchange(&g_receiveMs, receiveMs);
}

bool WinUtil::Download(const GString& url, const GString& file) noexcept
{
    try
    {
        DWORD status = 0;
        const CallLimits none = { 0, 0, GetTickCount(), NULL };
        return DownloadToFile(url, file, GString(), kSecondary, none, false, status) == CHttpClient::HTTP_OK;
    }
    catch (...)
    {
        return false;
    }
}
