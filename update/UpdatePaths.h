// Path rules of the updater. The updater runs elevated and takes its file names
// from a manifest fetched over plain HTTP, from upflag.ini and from the pending
// record; every path it touches must stay inside the installation folder.
#pragma once

#include <windows.h>

#include <string>

namespace update {

// Longest path (in UTF-16 units, without the NUL) the updater stores or touches.
const size_t kMaxPathUnits = 259;

// True when `path`, made absolute, lies strictly inside `folder` (which has no
// trailing backslash): it begins, case-insensitively, with the folder's full
// path and a backslash, names something below it, carries no ':' after the
// folder (no alternate streams, no second drive) and is shorter than 260 units.
bool IsPathInside(const std::wstring& folder, const std::wstring& path);

// A plain file name (the client's exe name): non-empty, no '\', '/', ':' and no "..".
bool IsPlainFileName(const std::wstring& name);

// A relative path from upflag.ini or the command line joined onto the folder:
// out = folder + "\" + rel ('/' turned into '\'), accepted only when inside the
// folder. With forCommandLine the path must also carry no '"' and no '%',
// because it is put into a "cmd /c" line between double quotes.
bool ResolveInside(const std::wstring& folder, const std::wstring& rel, bool forCommandLine,
                   std::wstring* out);

// Case-insensitive equality of two paths after '/' became '\'.
bool SamePath(const std::wstring& a, const std::wstring& b);
// A key that two paths SamePath calls equal share (back-slashed, upper case),
// for looking paths up in a table instead of comparing with every other one.
std::wstring PathKey(const std::wstring& p);

// '/' turned into '\'.
std::wstring BackslashPath(const std::wstring& p);

}  // namespace update
