// The form of the statistics requests that the client, the installer and the
// uninstaller send: "http://<host>/src=client&seq=<MAC>&channelid=<channel>&id=<event>",
// with no "?" (everything after the host is the request path).
#ifndef TEVELA_STATURL_H
#define TEVELA_STATURL_H

#include <string>

// The event words.
#define TEVELA_STAT_CLIENT_START L"client_start"
#define TEVELA_STAT_CLIENT_EXIT L"client_exit"
#define TEVELA_STAT_SETUP L"setup"
#define TEVELA_STAT_UNSETUP L"unsetup"

// "http://" host "/src=client&seq=" mac "&channelid=" channel; NULL texts count as empty.
std::wstring MakeStatBaseUrl(const wchar_t* host, const wchar_t* mac, const wchar_t* channel);
// base "&id=" event.
std::wstring MakeStatUrl(const std::wstring& base, const wchar_t* event);
// The whole URL to the statistics host of this build (TEVELA_STAT_HOST).
std::wstring MakeStatUrl(const wchar_t* mac, const wchar_t* channel, const wchar_t* event);

#endif // TEVELA_STATURL_H
