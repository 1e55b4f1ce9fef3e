// Statistics URLs, built in one place for the three programs that report.
#include "StatUrl.h"

#include "Endpoints.h"

namespace {
const wchar_t* OrEmpty(const wchar_t* text)
{
    return text != 0 ? text : L"";
}
} // namespace

std::wstring MakeStatBaseUrl(const wchar_t* host, const wchar_t* mac, const wchar_t* channel)
{
    std::wstring url(L"http://");
    url += OrEmpty(host);
    url += L"/src=client&seq=";
    url += OrEmpty(mac);
    url += L"&channelid=";
    url += OrEmpty(channel);
    return url;
}

std::wstring MakeStatUrl(const std::wstring& base, const wchar_t* event)
{
    return base + L"&id=" + OrEmpty(event);
}

std::wstring MakeStatUrl(const wchar_t* mac, const wchar_t* channel, const wchar_t* event)
{
    return MakeStatUrl(MakeStatBaseUrl(TEVELA_STAT_HOST, mac, channel), event);
}
