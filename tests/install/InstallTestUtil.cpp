// Helpers of the installer and uninstaller tests (see InstallTestUtil.h).
#include "InstallTestUtil.h"

#include <process.h>
#include <stdio.h>

#include <algorithm>

#include <objbase.h>
#include <shlobj.h>

#include "BaseTool.h"
#include "UninstallInfo.h"
#include "TestSupport.h"
#include "WorkerMessages.h"

namespace installtest {

namespace {

std::wstring Env(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

typedef char*(CDECL* UnixFileName)(LPCWSTR);

// An export of kernel32 as a function of type F (null when it is missing).
template <typename F>
F Kernel32Function(const char* name)
{
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
    return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(proc));
}

UnixFileName WineUnixName()
{
    return Kernel32Function<UnixFileName>("wine_get_unix_file_name");
}

// Starts a Unix program under Wine with Unix path arguments. Wine gives no
// handle for a Unix process, so the caller waits for its effect instead.
bool StartUnix(const wchar_t* program, const std::vector<std::wstring>& windowsPaths, const wchar_t* options)
{
    UnixFileName unixName = WineUnixName();
    if (unixName == NULL)
        return false;
    std::wstring command = std::wstring(program) + L" " + options;
    for (const std::wstring& path : windowsPaths) {
        char* name = unixName(path.c_str());
        if (name == NULL)
            return false;
        command += L" \"" + testsupport::Widen(name) + L"\"";
        HeapFree(GetProcessHeap(), 0, name);
    }
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    memset(&info, 0, sizeof(info));
    if (!CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
        return false;
    if (info.hThread != NULL)
        CloseHandle(info.hThread);
    if (info.hProcess != NULL)
        CloseHandle(info.hProcess);
    return true;
}

}  // namespace

std::wstring StatHost()
{
    return L"127.0.0.1:" + Env(L"TEST_HTTP_PORT");
}

std::vector<std::string> SinkRequests()
{
    std::vector<std::string> lines;
    std::string text = testsupport::ReadFileBytes(Env(L"TEST_HTTP_LOG"));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SinkRequestsWhen(size_t count, DWORD timeoutMs)
{
    testsupport::PumpUntil([&] { return SinkRequests().size() >= count; }, timeoutMs);
    return SinkRequests();
}

void ClearSinkRequests()
{
    testsupport::WriteFileBytes(Env(L"TEST_HTTP_LOG"), std::string());
}

bool SetSinkScript(const std::string& json)
{
    return testsupport::WriteFileBytes(Env(L"TEST_HTTP_SCRIPT"), json);
}

std::string StepsText(const std::vector<Step>& steps)
{
    std::string text;
    for (const Step& step : steps) {
        if (!text.empty())
            text += "|";
        text += std::to_string(step.percent) + " " + testsupport::Narrow(step.text);
    }
    return text;
}

Recorder::Recorder() : finished(-1), m_hwnd(NULL)
{
    WNDCLASSW wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"InstallTestRecorder";
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Recorder::~Recorder()
{
    if (m_hwnd != NULL)
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK Recorder::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Recorder* self = reinterpret_cast<Recorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != NULL && msg == WM_STEP_PROGRESS) {
        Step step;
        step.text = reinterpret_cast<const wchar_t*>(wParam);
        step.percent = static_cast<int>(lParam);
        self->steps.push_back(step);
        if (self->onStep)
            self->onStep(step);
        return 0;
    }
    if (self != NULL && msg == WM_WORKER_FINISHED) {
        self->finished = static_cast<int>(wParam);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool Recorder::RunWorker(unsigned int(__stdcall* proc)(void*), void* arg, DWORD timeoutMs)
{
    steps.clear();
    finished = -1;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, proc, arg, 0, NULL));
    if (thread == NULL)
        return false;
    DWORD start = GetTickCount();
    bool ended = false;
    while (GetTickCount() - start < timeoutMs) {
        DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (wait == WAIT_OBJECT_0)
            ended = true;
        if (ended && finished != -1)
            break;
    }
    if (!ended)
        WaitForSingleObject(thread, INFINITE);   // never leave a worker behind
    CloseHandle(thread);
    return ended && finished != -1;
}

bool ReadRawValue(HKEY root, const wchar_t* key, const wchar_t* name, std::string& bytes, DWORD* type)
{
    HKEY hkey = NULL;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return false;
    std::vector<char> buffer(65536);
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD kind = 0;
    LONG rc = RegQueryValueExW(hkey, name, NULL, &kind, reinterpret_cast<BYTE*>(&buffer[0]), &size);
    RegCloseKey(hkey);
    if (rc != ERROR_SUCCESS)
        return false;
    bytes.assign(&buffer[0], size);
    if (type != NULL)
        *type = kind;
    return true;
}

bool KeyExists(HKEY root, const wchar_t* key)
{
    HKEY hkey = NULL;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hkey);
    return true;
}

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::vector<RegistryValue> ExpectedRegistration(const std::wstring& dir)
{
    return {
        {L"ExePath", REG_SZ, Utf16Bytes(dir + L"\\tevela.exe")},
        {L"DisplayIcon", REG_SZ, Utf16Bytes(dir + L"\\tevela.exe")},
        {L"DisplayName", REG_SZ, Utf16Bytes(std::wstring(kProductName) + L'\0')},
        {L"DisplayVersion", REG_SZ, Utf16Bytes(L"1.0.1.1")},
        {L"Publisher", REG_SZ, Utf16Bytes(std::wstring(L"Yexo") + L'\0')},
        {L"EstimatedSize", REG_DWORD, std::string("\xBC\x0C\x00\x00", 4)},
        {L"UninstallString", REG_SZ, Utf16Bytes(L"\"" + dir + L"\\Uninst.exe\"")},
        {L"QuietUninstallString", REG_SZ, Utf16Bytes(L"\"" + dir + L"\\Uninst.exe\" uninst_silence")},
        {L"URLInfoAbout", REG_SZ, Utf16Bytes(basetool::ProductAboutUrl() + L'\0')},
    };
}

const wchar_t kProductName[] = L"Yexo\u5a31\u4e50\u76f4\u64ad";

std::wstring DesktopLink()
{
    return basetool::GetCommonDesktopDir() + L"\\" + kProductName + L".lnk";
}

std::wstring MenuFolder()
{
    return basetool::GetCommonProgramsDir() + L"\\" + kProductName;
}

bool ReadShortcut(const std::wstring& file, Shortcut& info)
{
    IShellLinkW* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* persist = NULL;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
              SUCCEEDED(persist->Load(file.c_str(), STGM_READ));
    if (ok) {
        wchar_t text[MAX_PATH] = {};
        link->GetPath(text, MAX_PATH, NULL, SLGP_RAWPATH);
        info.target = text;
        text[0] = 0;
        link->GetArguments(text, MAX_PATH);
        info.arguments = text;
        text[0] = 0;
        link->GetDescription(text, MAX_PATH);
        info.description = text;
        text[0] = 0;
        link->GetIconLocation(text, MAX_PATH, &info.iconIndex);
        info.icon = text;
        link->GetShowCmd(&info.showCmd);
    }
    if (persist != NULL)
        persist->Release();
    link->Release();
    return ok;
}

std::vector<ExpectedShortcut> ExpectedShortcuts(const std::wstring& dir)
{
    const std::wstring name = kProductName;
    return {
        {DesktopLink(), dir + L"\\tevela.exe", L"\"" + dir + L"\\tevela.exe\"", name, dir + L"\\tevela.ico"},
        {MenuFolder() + L"\\" + name + L".lnk", dir + L"\\tevela.exe", L"", L"", L""},
        {MenuFolder() + L"\\\u5378\u8f7d" + name + L".lnk", dir + L"\\Uninst.exe", L"", L"", dir + L"\\Uninst.ico"},
    };
}

int CountTempPayloads()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(temp) + L"173*.tmp").c_str(), &found);
    int count = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            ++count;
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return count;
}

std::wstring PendingRenames()
{
    std::string bytes;
    if (!ReadRawValue(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                      L"PendingFileRenameOperations", bytes))
        return std::wstring();
    std::wstring all(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    for (wchar_t& c : all)
        if (c == 0)
            c = L'|';
    return all;
}

bool CopyStub(const std::wstring& path)
{
    return CopyFileW((testsupport::ExeDir() + L"install_stub.exe").c_str(), path.c_str(), FALSE) != FALSE;
}

HANDLE Start(const std::wstring& commandLine)
{
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
}

void Stop(HANDLE& process)
{
    if (process == NULL)
        return;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    process = NULL;
}

bool MakeFolderLink(const std::wstring& link, const std::wstring& target)
{
    if (WineUnixName() != NULL)
        return StartUnix(L"Z:\\bin\\ln", {target, link}, L"-s") &&
               testsupport::PumpUntil([&] { return basetool::IsReparsePoint(link); }, 10000);
    typedef BOOLEAN(WINAPI * CreateLink)(LPCWSTR, LPCWSTR, DWORD);
    CreateLink create = Kernel32Function<CreateLink>("CreateSymbolicLinkW");
    return create != NULL && create(link.c_str(), target.c_str(), 1 /* directory */) != 0;
}

bool MakeFileLink(const std::wstring& link, const std::wstring& target)
{
    if (WineUnixName() != NULL)
        return StartUnix(L"Z:\\bin\\ln", {target, link}, L"-s") &&
               testsupport::PumpUntil([&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                      10000);
    typedef BOOLEAN(WINAPI * CreateLink)(LPCWSTR, LPCWSTR, DWORD);
    CreateLink create = Kernel32Function<CreateLink>("CreateSymbolicLinkW");
    return create != NULL && create(link.c_str(), target.c_str(), 0 /* file */) != 0;
}

bool RemoveFolderLink(const std::wstring& link)
{
    if (WineUnixName() != NULL)
        return StartUnix(L"Z:\\bin\\rm", {link}, L"-f") &&
               testsupport::PumpUntil([&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; },
                                      10000);
    return RemoveDirectoryW(link.c_str()) != FALSE;
}

bool MakeTree(const std::wstring& root, const std::vector<std::wstring>& entries)
{
    for (const std::wstring& entry : entries) {
        size_t equals = entry.find(L'=');
        std::wstring name = entry.substr(0, equals);
        std::wstring path = root + name;
        if (!name.empty() && name.back() == L'\\') {
            if (!CreateDirectoryW(path.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
            continue;
        }
        std::string content = equals == std::wstring::npos ? "x" : testsupport::Narrow(entry.substr(equals + 1));
        if (!testsupport::WriteFileBytes(path, content))
            return false;
    }
    return true;
}

namespace {
void ListInto(const std::wstring& root, const std::wstring& prefix, std::vector<std::wstring>& names)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((root + prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        names.push_back(prefix + name + (folder ? L"\\" : L""));
        if (folder && !link)
            ListInto(root, prefix + name + L"\\", names);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
}  // namespace

std::vector<std::wstring> ListTree(const std::wstring& root)
{
    std::vector<std::wstring> names;
    ListInto(root, std::wstring(), names);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Join(const std::vector<std::wstring>& names)
{
    std::string text;
    for (const std::wstring& name : names) {
        if (!text.empty())
            text += " ";
        text += testsupport::Narrow(name);
    }
    return text;
}

void RemoveTestTree(const std::wstring& root)
{
    std::wstring dir = root;
    while (!dir.empty() && dir.back() == L'\\')
        dir.pop_back();
    if (dir.empty())
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveFolderLink(path);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTestTree(path);
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace installtest
