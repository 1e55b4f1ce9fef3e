#include "E2EUtil.h"

#include <objbase.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <cstdio>

#include "TestSupport.h"

namespace e2e {

Program::Program(const std::wstring& commandLine) : m_process(NULL), m_id(0)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    if (CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
        m_id = pi.dwProcessId;
    }
}

Program::~Program()
{
    if (m_process != NULL) {
        if (Running())
            Terminate();
        CloseHandle(m_process);
    }
}

bool Program::WaitExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (m_process == NULL)
        return false;
    // Pump while waiting: the program may send to windows of this thread.
    bool ended = WaitFor([this] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }, timeoutMs);
    if (ended && exitCode != NULL)
        GetExitCodeProcess(m_process, exitCode);
    return ended;
}

bool Program::Running() const
{
    return m_process != NULL && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

void Program::Terminate()
{
    if (m_process != NULL) {
        TerminateProcess(m_process, 99);
        WaitForSingleObject(m_process, 10000);
    }
}

namespace {
struct FindState {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam)
{
    FindState* state = reinterpret_cast<FindState*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != state->processId || !IsWindowVisible(hwnd))
        return TRUE;
    if (state->className != NULL) {
        wchar_t name[128] = {};
        GetClassNameW(hwnd, name, 128);
        if (lstrcmpW(name, state->className) != 0)
            return TRUE;
    }
    state->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

HWND WaitWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs, bool settle)
{
    HWND result = NULL;
    WaitFor(
        [&] {
            FindState state = {processId, className, {}};
            EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
            result = state.found.empty() ? NULL : state.found[0];
            return result != NULL;
        },
        timeoutMs);
    // A window shows before its first paint and layout are done; clicks
    // posted before that would miss the buttons.
    if (result != NULL && timeoutMs > 0 && settle)
        Sleep(300);
    return result;
}

namespace {
struct ChildSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lParam)
{
    ChildSearch* search = reinterpret_cast<ChildSearch*>(lParam);
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    if (lstrcmpiW(name, search->className) != 0)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

HWND FindChild(HWND parent, const wchar_t* className)
{
    ChildSearch search = {className, NULL};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> VisibleWindows(DWORD processId)
{
    FindState state = {processId, NULL, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

void Click(HWND hwnd, int x, int y)
{
    LPARAM at = MAKELPARAM(x, y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

DWORD ScreenPixel(HWND hwnd, int x, int y)
{
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    HDC screen = GetDC(NULL);
    COLORREF c = GetPixel(screen, pt.x, pt.y);
    ReleaseDC(NULL, screen);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

bool SaveScreenshot(HWND hwnd, const std::wstring& name)
{
    RECT rc;
    if (!GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0)
        return false;
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    testsupport::Canvas canvas(rc.right, rc.bottom);
    HDC screen = GetDC(NULL);
    BOOL ok = BitBlt(canvas.dc(), 0, 0, rc.right, rc.bottom, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(NULL, screen);
    GdiFlush();
    return ok && canvas.SavePng(testsupport::OutputDir() + name + L".png");
}

std::string FileMd5(const std::wstring& path)
{
    std::string bytes = testsupport::ReadFileBytes(path);
    if (bytes.empty() && !testsupport::FileExists(path))
        return std::string();
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::string text;
    if (CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
            BYTE digest[16];
            DWORD size = sizeof(digest);
            if (CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) &&
                CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
                char hex[3];
                for (DWORD i = 0; i < size; ++i) {
                    std::snprintf(hex, sizeof(hex), "%02x", digest[i]);
                    text += hex;
                }
            }
            CryptDestroyHash(hash);
        }
        CryptReleaseContext(provider, 0);
    }
    return text;
}

std::map<std::wstring, std::string> FolderMd5s(const std::wstring& folder)
{
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        files[found.cFileName] = FileMd5(folder + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

std::string Md5sText(const std::map<std::wstring, std::string>& files)
{
    std::string text;
    for (const auto& file : files)
        text += testsupport::Narrow(file.first) + "=" + file.second + "\n";
    return text;
}



}  // namespace e2e
