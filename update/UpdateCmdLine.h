// The updater's command line: "<client exe name> <type>".
#pragma once

#include "Utils.h"

namespace update {

struct UpdateCmdLine {
    GString text;      // the command-line text actually used (the default when empty)
    GString exeName;   // the client's exe file name
    GString typeText;  // the type as written
    int type;          // the type; -1 when the text does not begin with a decimal number
};

// The text used when the command line is empty or does not hold exactly two pieces.
extern const wchar_t kDefaultCmdLine[];

// Splits the text at blanks. Anything but exactly two pieces gives the default
// ("tevela.exe", "0"). A type text that does not begin with a decimal number
// (after blanks, with an optional sign) is not a type the updater acts on: -1.
UpdateCmdLine ParseUpdateCmdLine(const wchar_t* cmdLine);

}  // namespace update
