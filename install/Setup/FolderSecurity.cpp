// Security descriptor and access grant of the installation folder.
#include "FolderSecurity.h"

#include <accctrl.h>
#include <aclapi.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <vector>

const wchar_t kFolderSddl[] = L"D: (D;OICI;GA;;;BG) (D;OICI;GA;;;AN) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ";

std::wstring CompactSddl(const wchar_t* sddl)
{
    std::wstring compact;
    for (const wchar_t* p = sddl; p != NULL && *p != 0; ++p)
        if (*p != L' ')
            compact += *p;
    return compact;
}

PSECURITY_DESCRIPTOR CreateFolderSecurityDescriptor()
{
    std::wstring text = CompactSddl(kFolderSddl);
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor, NULL))
        return NULL;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = NULL;
    DWORD expected = 0;
    for (wchar_t c : text)
        if (c == L'(')
            ++expected;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || dacl == NULL ||
        dacl->AceCount != expected) {
        LocalFree(descriptor);
        return NULL;
    }
    return descriptor;
}

std::wstring GetSessionUserName()
{
    LPWSTR name = NULL;
    DWORD bytes = 0;
    if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName, &name, &bytes) &&
        name != NULL) {
        std::wstring user(name);
        WTSFreeMemory(name);
        if (!user.empty())
            return user;
    }
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD length = 1024;
    if (!GetUserNameW(&buffer[0], &length))
        return std::wstring();
    return std::wstring(&buffer[0]);
}

namespace {

// A copy of acl in the canonical order: explicit denials, explicit allowances,
// inherited denials, inherited allowances, each group in its own order. Not
// every system's SetEntriesInAcl reorders (Wine adds new entries in front).
PACL CanonicalCopy(PACL acl)
{
    std::vector<ACE_HEADER*> groups[4];
    DWORD size = sizeof(ACL);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACE_HEADER* ace = NULL;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)))
            return NULL;
        bool inherited = (ace->AceFlags & INHERITED_ACE) != 0;
        bool denial = ace->AceType == ACCESS_DENIED_ACE_TYPE || ace->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE;
        groups[(inherited ? 2 : 0) + (denial ? 0 : 1)].push_back(ace);
        size += ace->AceSize;
    }
    PACL copy = static_cast<PACL>(LocalAlloc(LPTR, size));
    if (copy == NULL || !InitializeAcl(copy, size, acl->AclRevision)) {
        LocalFree(copy);
        return NULL;
    }
    for (const std::vector<ACE_HEADER*>& group : groups)
        for (ACE_HEADER* ace : group)
            if (!AddAce(copy, acl->AclRevision, MAXDWORD, ace, ace->AceSize)) {
                LocalFree(copy);
                return NULL;
            }
    return copy;
}

}  // namespace

PACL BuildGrantedDacl(PACL dacl, PSID sid)
{
    EXPLICIT_ACCESSW access;
    memset(&access, 0, sizeof(access));
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    PACL merged = NULL;
    if (SetEntriesInAclW(1, &access, dacl, &merged) != ERROR_SUCCESS || merged == NULL)
        return NULL;
    PACL granted = CanonicalCopy(merged);
    LocalFree(merged);
    return granted;
}

bool GrantFolderAccess(const std::wstring& account, const std::wstring& folder)
{
    if (account.empty())
        return false;
    DWORD sidBytes = 0;
    DWORD domainLength = 0;
    SID_NAME_USE use;
    LookupAccountNameW(NULL, account.c_str(), NULL, &sidBytes, NULL, &domainLength, &use);
    if (sidBytes == 0)
        return false;
    std::vector<BYTE> sid(sidBytes, 0);
    std::vector<wchar_t> domain(domainLength + 1, L'\0');
    if (!LookupAccountNameW(NULL, account.c_str(), &sid[0], &sidBytes, &domain[0], &domainLength, &use))
        return false;

    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &dacl, NULL,
                              &descriptor) != ERROR_SUCCESS)
        return false;
    PACL granted = BuildGrantedDacl(dacl, &sid[0]);
    DWORD result = ERROR_INVALID_ACL;
    if (granted != NULL) {
        std::vector<wchar_t> path(folder.begin(), folder.end());
        path.push_back(L'\0');
        result = SetNamedSecurityInfoW(&path[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, granted,
                                       NULL);
        LocalFree(granted);
    }
    LocalFree(descriptor);
    SetLastError(result);
    return result == ERROR_SUCCESS;
}
