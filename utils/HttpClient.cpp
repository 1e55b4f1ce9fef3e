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
    virtual bool Write(const char* data, DWORD size) = 0;
};

class MemorySink : public Sink
{
public:
    std::string data;
    bool Write(const char* p, DWORD size) override
    {
        data.append(p, size);
        return true;
    }
};

class FileSink : public Sink
{
public:
    explicit FileSink(HANDLE h) : m_h(h) {}
    bool Write(const char* p, DWORD size) override
    {
        while (size)
        {
            DWORD written = 0;
            if (!WriteFile(m_h, p, size, &written, NULL) || written == 0)
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

int PerformGet(const GString& url, const GString& headers, const RequestOptions& opts, Sink& sink, DWORD& status)
{
    status = 0;
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

    Handle session(WinHttpOpen(L"tevela", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.get())
        return CHttpClient::HTTP_ERR_CONNECT;
    WinHttpSetTimeouts(session.get(), (int)g_resolveMs, (int)g_connectMs, (int)g_sendMs, (int)g_receiveMs);

    Handle connect(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connect.get())
        return CHttpClient::HTTP_ERR_CONNECT;

    DWORD flags = WINHTTP_FLAG_REFRESH;  // never served from any cache
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= WINHTTP_FLAG_SECURE;
    Handle request(WinHttpOpenRequest(connect.get(), L"GET", path.c_str(), opts.version, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request.get())
        return CHttpClient::HTTP_ERR_CONNECT;
    // The wait for the answer's headers has a time-out of its own.
    WinHttpSetTimeouts(request.get(), (int)g_resolveMs, (int)g_connectMs, (int)g_sendMs, (int)g_receiveMs);
    DWORD responseMs = (DWORD)g_receiveMs;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseMs, sizeof(responseMs));

    std::wstring extra = headers.str();
    if (opts.noCacheHeaders)
        extra += L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    BOOL sent = WinHttpSendRequest(request.get(), extra.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : extra.c_str(),
                                   extra.empty() ? 0 : (DWORD)extra.size(), WINHTTP_NO_REQUEST_DATA, 0, 0, 0);
    if (!sent || !WinHttpReceiveResponse(request.get(), NULL))
        return CHttpClient::HTTP_ERR_CONNECT;

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

    const DWORD kChunk = 64 * 1024;
    std::string buffer(kChunk, '\0');
    unsigned long long total = 0;
    for (;;)
    {
        DWORD got = 0;
        if (!WinHttpReadData(request.get(), &buffer[0], kChunk, &got))
            return CHttpClient::HTTP_ERR_RECEIVE;
        if (got == 0)
            break;
        total += got;
        if (haveLength && total > expected)
            return CHttpClient::HTTP_ERR_RECEIVE;
        if (!sink.Write(buffer.data(), got))
            return CHttpClient::HTTP_ERR_FILE;
    }
    if (haveLength && total != expected)
        return CHttpClient::HTTP_ERR_RECEIVE;
    return CHttpClient::HTTP_OK;
}

// Writes the body to "<file>.part" and renames it onto file when whole.
int DownloadToFile(const GString& url, const GString& file, const GString& headers, const RequestOptions& opts,
                   bool inMemory, DWORD& status)
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
        result = PerformGet(url, headers, opts, memory, status);
        if (result != CHttpClient::HTTP_OK)
            return result;
    }
    handle = CreateFileW(part.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return CHttpClient::HTTP_ERR_FILE;
    FileSink fileSink(handle);
    if (inMemory)
        result = fileSink.Write(memory.data.data(), (DWORD)memory.data.size()) ? CHttpClient::HTTP_OK
                                                                              : CHttpClient::HTTP_ERR_FILE;
    else
        result = PerformGet(url, headers, opts, fileSink, status);
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

CHttpClient::CHttpClient() noexcept : m_result(HTTP_OK), m_status(0) {}
CHttpClient::~CHttpClient() noexcept {}

int CHttpClient::DownloadTinyFile(const GString& url, const GString& file, const GString& headers) noexcept
{
    try
    {
        m_result = DownloadToFile(url, file, headers, kPrimary, true, m_status);
    }
    catch (...)
    {
        m_result = HTTP_ERR_RECEIVE;
    }
    return m_result;
}

int CHttpClient::Download(const GString& url, const GString& file, const GString& headers) noexcept
{
    try
    {
        m_result = DownloadToFile(url, file, headers, kPrimary, false, m_status);
    }
    catch (...)
    {
        m_result = HTTP_ERR_RECEIVE;
    }
    return m_result;
}

gstring CHttpClient::Get(const GString& url, const GString& headers) noexcept
{
    try
    {
        MemorySink sink;
        m_result = PerformGet(url, headers, kPrimary, sink, m_status);
        if (m_result == HTTP_OK)
            return gstring(sink.data);
    }
    catch (...)
    {
        m_result = HTTP_ERR_RECEIVE;
    }
    return gstring();
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
        return DownloadToFile(url, file, GString(), kSecondary, false, status) == CHttpClient::HTTP_OK;
    }
    catch (...)
    {
        return false;
    }
}
