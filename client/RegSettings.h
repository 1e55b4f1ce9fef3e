// The client's settings in the machine-wide registry: start with Windows (the
// "Run" value `tevela`) and the values under the product uninstall key that the
// installer creates (channel, hide-on-close, first start). Shared by tevela.exe,
// Setup.exe and Uninst.exe (they read the channel the same way).
#ifndef TEVELA_REGSETTINGS_H
#define TEVELA_REGSETTINGS_H

#include <windows.h>
#include <string>

// Keys under HKEY_LOCAL_MACHINE.
#define TEVELA_RUN_KEY L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
#define TEVELA_PRODUCT_KEY L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\YexoShow"
// The client's own start-with-Windows value under the Run key.
#define TEVELA_RUN_VALUE L"tevela"

// 1 when the exe at exePath exists and the Run value `tevela` contains its path
// (case-insensitive), else 0.
int IsAutoRunSet(const wchar_t* exePath);
// Writes the Run value `tevela` as the quoted path (enable) or deletes it.
// True when the registry call succeeded (deleting an absent value is false).
bool SetAutoRun(const wchar_t* exePath, bool enable);
// "HideMainWnd" under the product key; 1 when absent.
DWORD ReadHideMainWnd();
// "Channel" under the product key (at most 1023 characters); empty when absent.
std::wstring ReadChannel();
// A DWORD under the product key, or fallback when it cannot be read.
DWORD ReadProductDword(const wchar_t* name, DWORD fallback);
// Writes a DWORD under the product key; true on success.
bool WriteProductDword(const wchar_t* name, DWORD value);

#endif // TEVELA_REGSETTINGS_H
