// Child program for the Utils tests.
//   utils_helper.exe sleep <ms>          waits, then exits 0
//   utils_helper.exe cwd <file>          writes its current folder (UTF-16) to file, exits 7
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 3 && wcscmp(argv[1], L"sleep") == 0)
    {
        Sleep((DWORD)_wtoi(argv[2]));
        return 0;
    }
    if (argc >= 3 && wcscmp(argv[1], L"cwd") == 0)
    {
        wchar_t dir[MAX_PATH] = {0};
        DWORD n = GetCurrentDirectoryW(MAX_PATH, dir);
        HANDLE h = CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return 2;
        DWORD written = 0;
        WriteFile(h, dir, n * sizeof(wchar_t), &written, NULL);
        CloseHandle(h);
        return 7;
    }
    return 1;
}
