// The product's registration in the Windows list of installed programs: the
// values of the product uninstall key (HKLM, TEVELA_PRODUCT_KEY), the installer's
// start-with-Windows value "YexoShow" under the Run key, the reading rule every
// reader of these values follows, and their removal. Shared by Setup.exe and
// Uninst.exe.
#ifndef BASETOOL_UNINSTALLINFO_H
#define BASETOOL_UNINSTALLINFO_H

#include <windows.h>

#include <string>

#include "RegSettings.h"   // TEVELA_PRODUCT_KEY, TEVELA_RUN_KEY

namespace basetool {

// The product's display name, also the name of its shortcuts and start-menu folder.
extern const wchar_t kProductDisplayName[];   // "Yexo娱乐直播"
// The installer's value under the Run key.
extern const wchar_t kAutoStartValueName[];   // "YexoShow"
// "EstimatedSize" in kilobytes.
const DWORD kEstimatedSizeKb = 3260;

// Buffer sizes of the readers, in bytes.
const DWORD kExePathBytes = 520;
const DWORD kLongValueBytes = 2048;

// A REG_SZ value of the product key read by the reading rule: a zero-filled
// buffer of bufferBytes of which two bytes less are offered, so that a value
// stored without its terminating zero still reads as terminated text. Missing,
// of another type, too long or unreadable: empty.
std::wstring ReadProductString(const wchar_t* name, DWORD bufferBytes);

// The file version of an exe as "%d.%d.%d.%d"; empty without a version resource.
std::wstring GetFileVersionString(const std::wstring& file);

// Writes the nine values of the product key for an installation in dir (no
// trailing backslash) whose installer has the given version, in the order
// ExePath, DisplayIcon, DisplayName, DisplayVersion, Publisher, EstimatedSize,
// UninstallString, QuietUninstallString, URLInfoAbout. Results are not tested.
void WriteUninstallValues(const std::wstring& dir, const std::wstring& version);
// The "Channel" value (also when empty). True when written.
bool WriteChannelValue(const std::wstring& channel);
// The Run value "YexoShow": the quoted path of dir\tevela.exe. True when written.
bool WriteAutoStartValue(const std::wstring& dir);
// Deletes the whole product key (the client's settings included) and the Run
// value "YexoShow"; the client's own Run value `tevela` stays.
void DeleteProductRegistration();

// The "URLInfoAbout" text: "http://" and the product's short web host and "/".
std::wstring ProductAboutUrl();

}  // namespace basetool

#endif  // BASETOOL_UNINSTALLINFO_H
