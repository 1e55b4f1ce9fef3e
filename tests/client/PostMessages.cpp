// A second process for the client's window tests: posts window messages to a
// window of the test program, as any program of the desktop could.
//   client_post_message.exe HWND MSG WPARAM LPARAM [MSG WPARAM LPARAM ...]
// All numbers in hexadecimal; exit code 0 when every message was posted.
#include <windows.h>

#include <stdlib.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 5 || (argc - 2) % 3 != 0)
        return 2;
    HWND target = reinterpret_cast<HWND>(static_cast<UINT_PTR>(_wcstoui64(argv[1], NULL, 16)));
    int failed = 0;
    for (int i = 2; i + 2 < argc; i += 3) {
        const UINT msg = static_cast<UINT>(wcstoul(argv[i], NULL, 16));
        const WPARAM wParam = static_cast<WPARAM>(_wcstoui64(argv[i + 1], NULL, 16));
        const LPARAM lParam = static_cast<LPARAM>(_wcstoui64(argv[i + 2], NULL, 16));
        failed += ::PostMessageW(target, msg, wParam, lParam) ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
