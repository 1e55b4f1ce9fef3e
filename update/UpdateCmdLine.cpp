#include "UpdateCmdLine.h"

#include <vector>

#include "ClientText.h"

namespace update {

const wchar_t kDefaultCmdLine[] = L"tevela.exe 0";

namespace {

bool BeginsWithNumber(const wchar_t* s) {
    while (*s == L' ' || *s == L'\t' || *s == L'\r' || *s == L'\n' || *s == L'\v' || *s == L'\f')
        ++s;
    if (*s == L'+' || *s == L'-') ++s;
    return *s >= L'0' && *s <= L'9';
}

}  // namespace

UpdateCmdLine ParseUpdateCmdLine(const wchar_t* cmdLine) {
    UpdateCmdLine r;
    r.text = (cmdLine && *cmdLine) ? GString(cmdLine) : GString(kDefaultCmdLine);
    std::vector<GString> pieces;
    SplitWideString(r.text, pieces, L" ");
    if (pieces.size() != 2) {
        pieces.clear();
        SplitWideString(GString(kDefaultCmdLine), pieces, L" ");
    }
    r.exeName = pieces[0];
    r.typeText = pieces[1];
    r.type = BeginsWithNumber(r.typeText.c_str()) ? WideStringToInt(r.typeText) : -1;
    return r;
}

}  // namespace update
