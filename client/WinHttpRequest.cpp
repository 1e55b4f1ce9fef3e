// The client's WinHTTP GET for the statistics reports: plain HTTP, no proxy,
// synchronous WinHTTP calls on a thread of the request's own. The caller
// waits for that thread at most its chosen time; the thread itself gives up
// at the overall deadline (a watchdog closes the request handle, which ends a
// blocked WinHTTP call) and always closes its handles before it ends.
#include "WinHttpRequest.h"

#include "HttpUrl.h"

#include <process.h>
#include <string.h>

namespace {

const wchar_t kRequestHeaders[] = L"Content-Type: application/octet-stream\r\nAccept: */*\r\n";

// One exchange, shared by the caller and the request's thread; the last of
// the two to let go frees it.
struct Exchange
{
    LONG refs;
    std::wstring host, path, headers, verb;
    INTERNET_PORT port;
    DWORD deadlineMs;
    DWORD startTick;
    HANDLE done;            // set when the thread has finished
    CRITICAL_SECTION lock;  // guards request and expired
    HINTERNET request;
    bool expired;
    bool ok;
    std::string answer;

    void Release()
    {
        if (::InterlockedDecrement(&refs) == 0) {
            ::CloseHandle(done);
            ::DeleteCriticalSection(&lock);
            delete this;
        }
    }
    DWORD Remaining() const
    {
        const DWORD elapsed = ::GetTickCount() - startTick;
        return elapsed >= deadlineMs ? 0 : deadlineMs - elapsed;
    }
    // Past the deadline the request handle is closed from the waiting side;
    // the thread's next (or current) WinHTTP call on it fails.
    void Expire()
    {
        ::EnterCriticalSection(&lock);
        expired = true;
        if (request != NULL) {
            ::WinHttpCloseHandle(request);
            request = NULL;
        }
        ::LeaveCriticalSection(&lock);
    }
    // Keeps the new request handle; NULL (and the handle closed) once expired.
    HINTERNET SetRequest(HINTERNET h)
    {
        ::EnterCriticalSection(&lock);
        if (expired && h != NULL) {
            ::WinHttpCloseHandle(h);
            h = NULL;
        }
        request = h;
        ::LeaveCriticalSection(&lock);
        return h;
    }
    void CloseRequest()
    {
        ::EnterCriticalSection(&lock);
        if (request != NULL)
            ::WinHttpCloseHandle(request);
        request = NULL;
        ::LeaveCriticalSection(&lock);
    }
};

// The exchange itself; false at the first step that fails.
bool Run(Exchange& x)
{
    CHttpHandle session(::WinHttpOpen(NULL, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    if (session.Get() == NULL)
        return false;
    // Every step is bounded by what is left of the deadline as well.
    const int step = static_cast<int>(x.deadlineMs);
    ::WinHttpSetTimeouts(session.Get(), step, step, step, step);
    CHttpHandle connection(::WinHttpConnect(session.Get(), x.host.c_str(), x.port, 0));
    if (connection.Get() == NULL)
        return false;
    // The request closes before its connection and session do.
    struct RequestCloser
    {
        Exchange& x;
        ~RequestCloser() { x.CloseRequest(); }
    } closer = { x };
    HINTERNET request = x.SetRequest(::WinHttpOpenRequest(connection.Get(), x.verb.c_str(), x.path.c_str(), NULL,
                                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (request == NULL)
        return false;
    // Only a direct 200 counts: a redirect is an answer of its own.
    DWORD features = WINHTTP_DISABLE_REDIRECTS;
    ::WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));
    if (!::WinHttpSendRequest(request, x.headers.c_str(), static_cast<DWORD>(x.headers.size()),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return false;
    ::WinHttpReceiveResponse(request, NULL);
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    // An announced length must be met: a connection that ends early is no
    // complete answer, though the reads only see its end.
    DWORD announced = 0;
    size = sizeof(announced);
    const bool bAnnounced = ::WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                                                  WINHTTP_HEADER_NAME_BY_INDEX, &announced, &size,
                                                  WINHTTP_NO_HEADER_INDEX) != FALSE;
    if (bAnnounced && announced > CWinHttpRequest::kMaxAnswerBytes)
        return false;
    char buffer[4096];
    size_t total = 0;
    for (;;) {
        if (x.Remaining() == 0)
            return false;
        memset(buffer, 0, sizeof(buffer));
        DWORD read = 0;
        // A failed read is a failed answer; its end is the read of 0 bytes.
        if (!::WinHttpReadData(request, buffer, sizeof(buffer) - 1, &read))
            return false;
        if (read == 0)
            return !bAnnounced || total == announced;
        total += read;
        if (total > CWinHttpRequest::kMaxAnswerBytes)
            return false;
        x.answer.append(buffer);
    }
}

unsigned __stdcall RequestThread(void* p)
{
    Exchange* x = static_cast<Exchange*>(p);
    x->ok = Run(*x);
    ::SetEvent(x->done);
    x->Release();
    return 0;
}

// Closes the request at the deadline when nobody waits for the exchange.
unsigned __stdcall WatchdogThread(void* p)
{
    Exchange* x = static_cast<Exchange*>(p);
    if (::WaitForSingleObject(x->done, x->Remaining()) == WAIT_TIMEOUT)
        x->Expire();
    x->Release();
    return 0;
}

bool StartThread(unsigned(__stdcall* proc)(void*), Exchange* x)
{
    ::InterlockedIncrement(&x->refs);
    HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, proc, x, 0, NULL));
    if (h == NULL) {
        ::InterlockedDecrement(&x->refs);
        return false;
    }
    ::CloseHandle(h);
    return true;
}

} // namespace

CWinHttpRequest::CWinHttpRequest()
    : m_port(0), m_headers(kRequestHeaders), m_deadlineMs(kDefaultDeadlineMs), m_waitMs(kDefaultDeadlineMs)
{
}

CWinHttpRequest::~CWinHttpRequest()
{
}

bool CWinHttpRequest::SetUrl(const std::wstring& url)
{
    INTERNET_PORT port = 0;
    const bool ok = SplitHttpUrl(url, m_host, port, m_path);
    m_port = port;
    return ok;
}

void CWinHttpRequest::SetDeadline(DWORD deadlineMs, DWORD waitMs)
{
    m_deadlineMs = deadlineMs;
    m_waitMs = waitMs < deadlineMs ? waitMs : deadlineMs;
}

bool CWinHttpRequest::Get(std::string& answer)
{
    return Send(answer, L"GET");
}

bool CWinHttpRequest::Send(std::string& answer, const wchar_t* verb)
{
    if (m_host.empty() || m_path.empty() || m_port == 0 || verb == NULL)
        return false;
    Exchange* x = new Exchange;
    x->refs = 1;
    x->host = m_host;
    x->path = m_path;
    x->headers = m_headers;
    x->verb = verb;
    x->port = m_port;
    x->deadlineMs = m_deadlineMs;
    x->startTick = ::GetTickCount();
    x->done = ::CreateEventW(NULL, TRUE, FALSE, NULL);
    ::InitializeCriticalSection(&x->lock);
    x->request = NULL;
    x->expired = false;
    x->ok = false;
    if (x->done == NULL || !StartThread(&RequestThread, x)) {
        x->Release();
        return false;
    }
    bool ok = false;
    if (m_waitMs < m_deadlineMs && !StartThread(&WatchdogThread, x)) {
        // Without a watchdog the caller keeps the deadline itself.
        m_waitMs = m_deadlineMs;
    }
    if (m_waitMs > 0) {
        if (::WaitForSingleObject(x->done, m_waitMs) == WAIT_OBJECT_0) {
            ok = x->ok;
            if (ok)
                answer.append(x->answer);
        } else if (m_waitMs >= m_deadlineMs) {
            x->Expire();
        }
    }
    x->Release();
    return ok;
}
