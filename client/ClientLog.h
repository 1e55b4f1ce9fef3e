// Wide text into log lines: the client's and the updater's log lines carry
// paths and command lines, while LogStream takes narrow text only.
#ifndef TEVELA_CLIENTLOG_H
#define TEVELA_CLIENTLOG_H

#include <string>
#include "Utils.h"

// The text in the user's ANSI code page (the C runtime's locale is switched
// to the user default once per process). The converted text ends at the
// first character the code page cannot express; the returned string is cut
// at its first NUL.
std::string GStringToStdString(const GString& text);

// Appends the converted text to the line when it fits whole in the free room
// of the line; otherwise nothing is appended and the line goes on.
LogStream& operator<<(LogStream& stream, const GString& text);

#endif // TEVELA_CLIENTLOG_H
