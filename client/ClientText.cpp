// Text routines shared by the client and the updater.
#include "ClientText.h"

#include <limits.h>
#include <wchar.h>

#include <sstream>

int SplitWideString(const GString& text, std::vector<GString>& out, const wchar_t* delimiters)
{
    if (!delimiters)
        return 0;
    // wcstok_s works on a copy of the text.
    std::vector<wchar_t> copy(text.c_str(), text.c_str() + text.length() + 1);
    int count = 0;
    wchar_t* context = NULL;
    for (wchar_t* piece = wcstok_s(&copy[0], delimiters, &context); piece;
         piece = wcstok_s(NULL, delimiters, &context))
    {
        out.push_back(GString(piece));
        ++count;
    }
    return count;
}

int SplitNarrowString(const gstring& text, const char* delimiters, std::vector<gstring>& out)
{
    if (!delimiters)
        return 0;
    const std::string& s = text.str();
    const std::string delims(delimiters);
    int count = 0;
    size_t pos = 0;
    while (pos < s.size())
    {
        size_t start = s.find_first_not_of(delims, pos);
        if (start == std::string::npos)
            break;
        size_t end = s.find_first_of(delims, start);
        if (end == std::string::npos)
            end = s.size();
        out.push_back(gstring(s.substr(start, end - start)));
        ++count;
        pos = end;
    }
    return count;
}

namespace {

// Stream extraction: on a text without a number the value stays 0; beyond
// the range it is the type's limit (the C++11 rules of num_get).
template <typename T, typename Stream, typename Text>
T Extract(const Text& text)
{
    Stream in(text);
    T value = 0;
    in >> value;
    return value;
}

} // namespace

int WideStringToInt(const GString& text)
{
    return Extract<int, std::wistringstream>(text.str());
}

int NarrowStringToInt(const gstring& text)
{
    return Extract<int, std::istringstream>(text.str());
}

unsigned int NarrowStringToUInt(const gstring& text)
{
    return Extract<unsigned int, std::istringstream>(text.str());
}

GString IntToGString(int value)
{
    GString s;
    s.Format(L"%d", value);
    return s;
}

void AppendIntToGString(GString& text, int value)
{
    text += IntToGString(value);
}
