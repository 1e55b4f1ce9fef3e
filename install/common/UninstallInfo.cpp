// Reading, writing and deleting the product's uninstall registration (basetool).
#include "UninstallInfo.h"

#include <shlwapi.h>
#include <stdio.h>

#include <vector>

#include "BaseTool.h"
#include "Endpoints.h"

namespace basetool {

const wchar_t kProductDisplayName[] = L"Yexo娱乐直播";
const wchar_t kAutoStartValueName[] = L"YexoShow";

namespace {

// A REG_SZ value stored as its characters only, without a terminating zero.
// The registry counts a terminator that directly follows the data as part of
// it, so the characters are written from a copy followed by a non-zero unit.
LONG SetTextNoTerminator(const wchar_t* key, const wchar_t* name, const std::wstring& text)
{
    std::vector<wchar_t> data(text.begin(), text.end());
    data.push_back(L'\xFFFF');
    return SHSetValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, &data[0],
                       static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}


// A REG_SZ value stored with its terminating zero.
void SetTextTerminated(const wchar_t* name, const std::wstring& text)
{
    SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, name, REG_SZ, text.c_str(),
                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

std::wstring ReadProductString(const wchar_t* name, DWORD bufferBytes)
{
    std::vector<wchar_t> buffer(bufferBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD type = REG_SZ;
    DWORD size = bufferBytes - sizeof(wchar_t);
    if (SHGetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, name, &type, &buffer[0], &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    return std::wstring(&buffer[0]);
}

std::wstring GetFileVersionString(const std::wstring& file)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return std::wstring();
    std::vector<BYTE> block(size, 0);
    std::wstring text;
    if (GetFileVersionInfoW(file.c_str(), 0, size, &block[0])) {
        VS_FIXEDFILEINFO* info = NULL;
        UINT length = 0;
        if (VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&info), &length) && info != NULL &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            wchar_t version[64];
            _snwprintf(version, 63, L"%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                       HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
            version[63] = 0;
            text = version;
        }
    }
    return text;
}

std::wstring ProductAboutUrl()
{
    return std::wstring(L"http://") + TEVELA_SHORT_WEB_HOST + L"/";
}

void WriteUninstallValues(const std::wstring& dir, const std::wstring& version)
{
    std::wstring uninstaller = AppendPath(dir, L"Uninst.exe");
    std::wstring uninstall = L"\"" + uninstaller + L"\"";
    std::wstring quiet = L"\"" + uninstaller + L"\" uninst_silence";
    std::wstring client = AppendPath(dir, L"tevela.exe");

    SetTextNoTerminator(TEVELA_PRODUCT_KEY, L"ExePath", client);
    SetTextNoTerminator(TEVELA_PRODUCT_KEY, L"DisplayIcon", client);
    SetTextTerminated(L"DisplayName", kProductDisplayName);
    SetTextNoTerminator(TEVELA_PRODUCT_KEY, L"DisplayVersion", version);
    SetTextTerminated(L"Publisher", L"Yexo");
    DWORD size = kEstimatedSizeKb;
    SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"EstimatedSize", REG_DWORD, &size, sizeof(size));
    SetTextNoTerminator(TEVELA_PRODUCT_KEY, L"UninstallString", uninstall);
    SetTextNoTerminator(TEVELA_PRODUCT_KEY, L"QuietUninstallString", quiet);
    SetTextTerminated(L"URLInfoAbout", ProductAboutUrl());
}

bool WriteChannelValue(const std::wstring& channel)
{
    return SetTextNoTerminator(TEVELA_PRODUCT_KEY, L"Channel", channel) == ERROR_SUCCESS;
}

bool WriteAutoStartValue(const std::wstring& dir)
{
    std::wstring client = AppendPath(dir, L"tevela.exe");
    if (client.empty())
        return false;
    // Quoted, so that a folder with blanks is never read as a shorter program path.
    return SetTextNoTerminator(TEVELA_RUN_KEY, kAutoStartValueName, L"\"" + client + L"\"") == ERROR_SUCCESS;
}

void DeleteProductRegistration()
{
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY);
    SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, kAutoStartValueName);
}

}  // namespace basetool
