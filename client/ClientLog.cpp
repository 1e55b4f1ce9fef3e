// Wide text into log lines, in the user's ANSI code page.
#include "ClientLog.h"

#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>

namespace {
std::once_flag g_localeOnce;
}

std::string GStringToStdString(const GString& text)
{
    // The C runtime's conversions follow the user's default locale (its ANSI
    // code page); switched once, because setlocale is not safe to call from
    // two threads at a time.
    std::call_once(g_localeOnce, [] { setlocale(LC_ALL, ""); });
    const size_t room = (size_t)text.length() * 2;
    std::string out(room, '\0');
    if (room)
        wcstombs(&out[0], text.c_str(), room);
    out.resize(strlen(out.c_str()));
    return out;
}

LogStream& operator<<(LogStream& stream, const GString& text)
{
    std::string narrow = GStringToStdString(text);
    if (stream.avail() > (int)narrow.size())
        stream.append(narrow.data(), (int)narrow.size());
    return stream;
}
