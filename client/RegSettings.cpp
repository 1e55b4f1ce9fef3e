// The client's registry settings (Run value and product-key values), read and
// written through shlwapi on HKEY_LOCAL_MACHINE. Linked by all three windowed
// programs.
#include "RegSettings.h"

#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

int IsAutoRunSet(const wchar_t* exePath)
{
    if (exePath == NULL || !PathFileExistsW(exePath))
        return 0;
    // shlwapi terminates the text it reads and needs room for that terminator:
    // 260 characters stored without one still fit.
    wchar_t value[261];
    memset(value, 0, sizeof(value));
    DWORD type = REG_SZ;
    DWORD size = sizeof(value);
    if (SHGetValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, &type, value, &size) !=
        ERROR_SUCCESS)
        return 0;
    // Whatever the read left at the end, the text ends inside the buffer.
    value[260] = 0;
    return StrStrIW(value, exePath) != NULL ? 1 : 0;
}

bool SetAutoRun(const wchar_t* exePath, bool enable)
{
    if (exePath == NULL || !PathFileExistsW(exePath))
        return false;
    if (!enable)
        return SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE) == ERROR_SUCCESS;
    wchar_t text[1024];
    memset(text, 0, sizeof(text));
    _snwprintf(text, 1023, L"\"%s\"", exePath);
    DWORD bytes = static_cast<DWORD>(wcslen(text) * sizeof(wchar_t));
    return SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE, REG_SZ, text, bytes) ==
           ERROR_SUCCESS;
}

DWORD ReadProductDword(const wchar_t* name, DWORD fallback)
{
    DWORD value = fallback;
    DWORD type = REG_DWORD;
    DWORD size = sizeof(value);
    SHGetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, name, &type, &value, &size);
    return value;
}

bool WriteProductDword(const wchar_t* name, DWORD value)
{
    return SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, name, REG_DWORD, &value,
                       sizeof(value)) == ERROR_SUCCESS;
}

DWORD ReadHideMainWnd()
{
    return ReadProductDword(L"HideMainWnd", 1);
}

std::wstring ReadChannel()
{
    // The installer stores the value without a terminator; shlwapi adds one and
    // needs room for it, so 1023 characters fit the 2048-byte buffer.
    wchar_t buffer[1024];
    memset(buffer, 0, sizeof(buffer));
    DWORD type = REG_SZ;
    DWORD size = sizeof(buffer);
    if (SHGetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"Channel", &type, buffer, &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    buffer[1023] = 0;
    return std::wstring(buffer);
}
