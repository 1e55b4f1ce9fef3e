// Processes by exe name, the adapter's MAC address and the single-instance
// mutex of the installer and uninstaller (basetool).
#include "BaseTool.h"

#include <objbase.h>
#include <nb30.h>
#include <shlwapi.h>
#include <stdio.h>
#include <tlhelp32.h>

#include <vector>

namespace basetool {

namespace {

// Ids of the processes whose exe name equals name ignoring case, in snapshot
// order; at most the first one when firstOnly.
std::vector<DWORD> ProcessIdsByName(const wchar_t* name, bool firstOnly)
{
    std::vector<DWORD> ids;
    if (name == NULL || name[0] == 0)
        return ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry;
    memset(&entry, 0, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (StrCmpIW(entry.szExeFile, name) == 0) {
            ids.push_back(entry.th32ProcessID);
            if (firstOnly)
                break;
        }
    }
    CloseHandle(snapshot);
    return ids;
}

// How long EndProcessByName waits for each ended process to be gone.
const DWORD kEndWaitMs = 5000;

}  // namespace

DWORD FindProcessIdByName(const wchar_t* exeName)
{
    std::vector<DWORD> ids = ProcessIdsByName(exeName, true);
    return ids.empty() ? 0 : ids.front();
}

void EndProcessByName(const wchar_t* exeName)
{
    const DWORD self = GetCurrentProcessId();
    for (DWORD id : ProcessIdsByName(exeName, false)) {
        if (id == 0 || id == self)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process == NULL)
            process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (process == NULL)
            continue;
        if (TerminateProcess(process, 0))
            WaitForSingleObject(process, kEndWaitMs);
        CloseHandle(process);
    }
}

std::wstring GetMacAddressString()
{
    NCB ncb;
    LANA_ENUM lanas;
    memset(&ncb, 0, sizeof(ncb));
    memset(&lanas, 0, sizeof(lanas));
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
    ncb.ncb_length = sizeof(lanas);
    Netbios(&ncb);

    std::wstring result;
    if (lanas.length == 0)
        return result;

    memset(&ncb, 0, sizeof(ncb));
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lanas.lana[0];
    Netbios(&ncb);

    // The adapter status followed by its name table.
    struct {
        ADAPTER_STATUS status;
        NAME_BUFFER names[30];
    } adapter;
    memset(&adapter, 0, sizeof(adapter));
    memset(&ncb, 0, sizeof(ncb));
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lanas.lana[0];
    ncb.ncb_callname[0] = '*';
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&adapter);
    ncb.ncb_length = 600;
    if (Netbios(&ncb) != 0)
        return result;

    const UCHAR* a = adapter.status.adapter_address;
    wchar_t text[16];
    _snwprintf(text, 15, L"%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    text[15] = 0;
    result = text;
    return result;
}

SingletonMutex* CreateSingletonMutex(const wchar_t* name)
{
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    // A present NULL DACL: a process of any user can open the mutex and so sees it.
    SetSecurityDescriptorDacl(&descriptor, TRUE, NULL, FALSE);
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;

    SingletonMutex* singleton = new SingletonMutex;
    SetLastError(ERROR_SUCCESS);
    singleton->mutex = CreateMutexW(&attributes, FALSE, name);
    singleton->isFirst = GetLastError() != ERROR_ALREADY_EXISTS;
    return singleton;
}

void CloseSingletonMutex(SingletonMutex*& singleton)
{
    if (singleton == NULL)
        return;
    if (singleton->mutex != NULL)
        CloseHandle(singleton->mutex);
    delete singleton;
    singleton = NULL;
}

bool BeginInstallerProgram(const wchar_t* mutexName, SingletonMutex*& singleton)
{
    singleton = NULL;
    if (CoInitialize(NULL) < 0)
        return false;
    singleton = CreateSingletonMutex(mutexName);
    if (!singleton->isFirst) {
        CloseSingletonMutex(singleton);
        CoUninitialize();
        return false;
    }
    return true;
}

void EndInstallerProgram(SingletonMutex*& singleton)
{
    CoUninitialize();
    CloseSingletonMutex(singleton);
}

void JoinWorkerThread(HANDLE& thread)
{
    if (thread == NULL)
        return;
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            break;   // ended (or the wait failed)
        MSG msg;
        ::PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ::CloseHandle(thread);
    thread = NULL;
}

}  // namespace basetool
