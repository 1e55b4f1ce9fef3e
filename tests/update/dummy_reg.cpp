// A component for the updater's registration step: DllRegisterServer appends
// the DLL's path to %DUMMY_CTL_DIR%\registered.txt.
#include <windows.h>

static HMODULE g_module;

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = inst;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    wchar_t dir[MAX_PATH] = {0};
    if (!GetEnvironmentVariableW(L"DUMMY_CTL_DIR", dir, MAX_PATH)) return E_FAIL;
    wchar_t self[MAX_PATH] = {0};
    GetModuleFileNameW(g_module, self, MAX_PATH);
    char line[MAX_PATH * 3] = {0};
    int n = WideCharToMultiByte(CP_UTF8, 0, self, -1, line, sizeof(line) - 2, NULL, NULL);
    if (n <= 0) return E_FAIL;
    line[n - 1] = '\n';
    wchar_t path[MAX_PATH * 2] = {0};
    lstrcpyW(path, dir);
    lstrcatW(path, L"\\registered.txt");
    HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return E_FAIL;
    DWORD written = 0;
    WriteFile(h, line, (DWORD)n, &written, NULL);
    CloseHandle(h);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() { return S_OK; }
