// A fake installation folder of the client for the tests and the benchmark
// that run tevela.exe as a program: the loopback build of the client, the real
// update.exe and Utils.dll, the INI files pointing at the local server, and
// the processes started from the folder (all ended when it goes).
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "NetTestEnv.h"
#include "TestSupport.h"
#include "Utils.h"

namespace clienttest {

const wchar_t kTitle[] = L"Yexo\u5a31\u4e50\u76f4\u64ad";
const wchar_t kEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";
const wchar_t kEmulationKey32[] =
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";

inline std::string Md5(const std::string& bytes)
{
    return testsupport::Narrow(WinUtil::MD5_Data(bytes.data(), bytes.size()).c_str());
}

// The built programs this test installs.
inline std::wstring BuiltClient() { return testsupport::ExeDir() + L"..\\loopback\\tevela.exe"; }
inline std::wstring BuiltFile(const wchar_t* name) { return testsupport::ExeDir() + name; }

inline DWORD ReadDword(const wchar_t* key, const wchar_t* name, DWORD fallback)
{
    DWORD value = fallback, size = sizeof(value), type = 0;
    if (SHGetValueW(HKEY_LOCAL_MACHINE, key, name, &type, &value, &size) != ERROR_SUCCESS)
        return fallback;
    return value;
}

// One fake installation folder and the client processes started from it.
class Installation {
public:
    explicit Installation(const wchar_t* tag) : dir(testsupport::MakeTempDir(tag)) {}
    ~Installation()
    {
        KillEverythingFromHere();
        for (PROCESS_INFORMATION& pi : started)
            ::CloseHandle(pi.hProcess);
        testsupport::RemoveTree(dir);
    }

    // The product's files: client, updater, Utils.dll and the INI files.
    // False when a program could not be copied.
    bool Populate(const std::string& version = "1.0.1.1")
    {
        Copy(BuiltClient(), L"tevela.exe");
        Copy(BuiltFile(L"update.exe"), L"update.exe");
        Copy(BuiltFile(L"Utils.dll"), L"Utils.dll");
        Write(L"server.ini", "[CLIENT]\r\nSERVER=" + testsupport::Narrow(nettest::Host()) + "/update.ini\r\n");
        Write(L"upflag.ini", "[Register]\r\nCOUNT=0\r\n[RunExe]\r\nCOUNT=1\r\nFILE0=tevela.exe\r\n");
        Write(L"Local.ini", "[UPDATE]\r\nVERSION=" + version +
                                "\r\nTYPE=0\r\n[STRATEGY]\r\nPROVINCE=\r\nCITY=\r\nPERCENT=\r\nTIME=\r\nOS=\r\n"
                                "[FILES]\r\nCOUNT=0\r\n");
        return copied;
    }
    // A stand-in updater that records its runs in runs.txt here.
    bool UseRecordingUpdater()
    {
        Copy(BuiltFile(L"dummy_tevela.exe"), L"update.exe");
        return copied;
    }

    void Copy(const std::wstring& from, const wchar_t* to)
    {
        copied &= ::CopyFileW(from.c_str(), (dir + to).c_str(), FALSE) != FALSE;
    }
    void Write(const wchar_t* name, const std::string& bytes) { testsupport::WriteFileBytes(dir + name, bytes); }
    std::string Read(const wchar_t* name) const { return testsupport::ReadFileBytes(dir + name); }
    bool Has(const wchar_t* name) const { return testsupport::FileExists(dir + name); }

    // Starts <exe> <args> from this folder, with DUMMY_CTL_DIR pointing here.
    PROCESS_INFORMATION Start(const std::wstring& args, const wchar_t* exe = L"tevela.exe")
    {
        ::SetEnvironmentVariableW(L"DUMMY_CTL_DIR", dir.substr(0, dir.size() - 1).c_str());
        std::wstring cmd = L"\"" + dir + exe + L"\"" + (args.empty() ? L"" : L" " + args);
        STARTUPINFOW si;
        memset(&si, 0, sizeof(si));
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi;
        memset(&pi, 0, sizeof(pi));
        if (::CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi)) {
            ::CloseHandle(pi.hThread);
            pi.hThread = NULL;
            started.push_back(pi);
        }
        return pi;
    }
    // The exit code, or STILL_ACTIVE when the process is still running after timeoutMs.
    static DWORD WaitExit(const PROCESS_INFORMATION& pi, DWORD timeoutMs)
    {
        DWORD code = STILL_ACTIVE;
        if (pi.hProcess != NULL &&
            testsupport::PumpUntil([&] { return ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; },
                                   timeoutMs))
            ::GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }

    // The main window of a client process (any process started from here when pid is 0).
    HWND MainWindow(DWORD pid = 0) const
    {
        for (HWND w = ::FindWindowExW(NULL, NULL, L"MainFrame", kTitle); w != NULL;
             w = ::FindWindowExW(NULL, w, L"MainFrame", kTitle)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (pid != 0 ? owner == pid : IsFromHere(owner))
                return w;
        }
        return NULL;
    }
    HWND WaitMainWindow(DWORD pid = 0, DWORD timeoutMs = 20000) const
    {
        HWND found = NULL;
        testsupport::PumpUntil([&] { return (found = MainWindow(pid)) != NULL; }, timeoutMs);
        return found;
    }

    // Processes whose exe lies in this folder, by exe name (empty: all).
    std::vector<DWORD> ProcessesFromHere(const wchar_t* exe = L"") const
    {
        std::vector<DWORD> pids;
        HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W pe;
        pe.dwSize = sizeof(pe);
        for (BOOL ok = ::Process32FirstW(snap, &pe); ok; ok = ::Process32NextW(snap, &pe)) {
            if ((exe[0] == 0 || _wcsicmp(pe.szExeFile, exe) == 0) && IsFromHere(pe.th32ProcessID))
                pids.push_back(pe.th32ProcessID);
        }
        ::CloseHandle(snap);
        return pids;
    }
    bool IsFromHere(DWORD pid) const
    {
        HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (h == NULL)
            return false;
        wchar_t path[MAX_PATH * 2] = { 0 };
        DWORD size = MAX_PATH * 2;
        const bool here = ::QueryFullProcessImageNameW(h, 0, path, &size) && _wcsnicmp(path, dir.c_str(), dir.size()) == 0;
        ::CloseHandle(h);
        return here;
    }
    void KillEverythingFromHere()
    {
        for (int round = 0; round < 3; ++round) {
            for (DWORD pid : ProcessesFromHere()) {
                HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
                if (h != NULL) {
                    ::TerminateProcess(h, 9);
                    ::WaitForSingleObject(h, 5000);
                    ::CloseHandle(h);
                }
            }
        }
    }
    // Every file of the folder with its size, and the updater's log, for
    // failure messages.
    std::string Listing() const
    {
        std::string out;
        WIN32_FIND_DATAW fd;
        HANDLE h = ::FindFirstFileW((dir + L"*").c_str(), &fd);
        for (BOOL ok = h != INVALID_HANDLE_VALUE; ok; ok = ::FindNextFileW(h, &fd))
            out += testsupport::Narrow(fd.cFileName) + " " + std::to_string(fd.nFileSizeLow) + "\n";
        if (h != INVALID_HANDLE_VALUE)
            ::FindClose(h);
        h = ::FindFirstFileW((dir + L"log\\*.log").c_str(), &fd);
        for (BOOL ok = h != INVALID_HANDLE_VALUE; ok; ok = ::FindNextFileW(h, &fd))
            out += testsupport::ReadFileBytes(dir + L"log\\" + fd.cFileName);
        if (h != INVALID_HANDLE_VALUE)
            ::FindClose(h);
        return out;
    }

    // The recording updater's lines ("size=... name=... cmd=...").
    std::vector<std::string> Runs() const
    {
        std::vector<std::string> lines;
        std::string text = Read(L"runs.txt");
        for (size_t pos = 0; pos < text.size();) {
            size_t end = text.find("\r\n", pos);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(pos, end - pos));
            pos = end + 2;
        }
        return lines;
    }

    const std::wstring dir;   // trailing backslash
    bool copied = true;       // every Copy succeeded
    std::vector<PROCESS_INFORMATION> started;
};

} // namespace clienttest
