// The client's elevation decision and its "runas" relaunch.
#include "Elevation.h"

#include <shlwapi.h>
#include <string.h>

#include "ClientLog.h"

namespace {

const ElevationApi kSystemApi = { &IsUserAdmin, &IsUacEnabled, &::ShellExecuteExW };

} // namespace

bool IsUserAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = { SECURITY_NT_AUTHORITY };
    PSID pAdmins = NULL;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                    0, 0, 0, 0, &pAdmins))
        return false;
    BOOL bMember = FALSE;
    if (!::CheckTokenMembership(NULL, pAdmins, &bMember))
        bMember = FALSE;
    ::FreeSid(pAdmins);
    return bMember == TRUE;
}

bool IsUacEnabled()
{
    OSVERSIONINFOW version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    if (!::GetVersionExW(&version) || version.dwMajorVersion < 6)
        return false;
    DWORD dwEnableLua = 0;
    DWORD dwSize = sizeof(dwEnableLua);
    DWORD dwType = REG_DWORD;
    ::SHGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                  L"EnableLUA", &dwType, &dwEnableLua, &dwSize);
    return dwEnableLua != 0;
}

int RelaunchElevatedIfNeeded(const ElevationApi* pApi)
{
    const ElevationApi& api = pApi != NULL ? *pApi : kSystemApi;
    if (api.isUserAdmin() || !api.isUacEnabled())
        return RELAUNCH_GO_ON;

    wchar_t szPath[MAX_PATH];
    memset(szPath, 0, sizeof(szPath));
    // A path that does not fit is cut (the shell then does not find it).
    if (::GetModuleFileNameW(NULL, szPath, MAX_PATH) >= MAX_PATH) {
        LOG_INFO << "RelaunchElevatedIfNeeded: the exe path is longer than " << MAX_PATH << " characters";
    }

    SHELLEXECUTEINFOW info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = szPath;
    // The whole command line, program path included: the elevated copy's
    // first word is then that path, so it starts in the normal mode.
    info.lpParameters = ::GetCommandLineW();
    info.lpDirectory = NULL;
    info.nShow = SW_SHOW;
    const BOOL bStarted = api.shellExecuteEx(&info);
    const DWORD dwError = ::GetLastError();
    if (info.hProcess != NULL)
        ::CloseHandle(info.hProcess);
    if (bStarted)
        return RELAUNCH_STARTED;
    if (dwError == ERROR_CANCELLED || dwError == ERROR_FILE_NOT_FOUND)
        return RELAUNCH_REFUSED;
    return RELAUNCH_GO_ON;
}
