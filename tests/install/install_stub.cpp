// A stand-in program for the install tests, copied under the names it plays:
//   (no argument) or "wait"  the running client: waits (at most two minutes)
//   "uninst_silence"         an old version's quiet uninstaller: waits one second,
//                            then writes "old_uninstaller_ran.txt" beside itself
//   "marker PATH"            a started client: writes PATH and ends
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {
void WriteText(const std::wstring& path, const char* text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &written, NULL);
    CloseHandle(file);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring mode = argc > 1 ? argv[1] : L"wait";
    if (mode == L"uninst_silence") {
        Sleep(1000);
        wchar_t self[MAX_PATH];
        DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
        std::wstring dir(self, n);
        dir.erase(dir.find_last_of(L'\\') + 1);
        WriteText(dir + L"old_uninstaller_ran.txt", "ran");
        return 0;
    }
    if (mode == L"marker" && argc > 2) {
        WriteText(argv[2], "started");
        return 0;
    }
    Sleep(120000);
    return 0;
}
