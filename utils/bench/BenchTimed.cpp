// Times a program from inside the system it runs on, without whatever
// starts this one: bench_timed.exe <program> [args...]
// Starts the program, waits for its end and prints "elapsed_ms: <ms>" and
// "exit_code: <code>".
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

#include <string>

namespace {

std::wstring Quoted(const wchar_t* arg)
{
    std::wstring s(arg);
    if (!s.empty() && s.find_first_of(L" \t\"") == std::wstring::npos)
        return s;
    std::wstring q = L"\"";
    size_t slashes = 0;
    for (wchar_t c : s)
    {
        if (c == L'\\')
        {
            ++slashes;
            continue;
        }
        q.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        q += c;
    }
    q.append(slashes * 2, L'\\');
    return q + L"\"";
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: bench_timed <program> [args...]\n");
        return 2;
    }
    std::wstring cmd;
    for (int i = 1; i < argc; ++i)
        cmd += (i > 1 ? L" " : L"") + Quoted(argv[i]);
    STARTUPINFOW si = { sizeof(si) };
    PROCESS_INFORMATION pi;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessW(argv[1], &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    {
        fprintf(stderr, "bench_timed: the program did not start (%lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&t1);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    printf("elapsed_ms: %.1f\n", (double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)freq.QuadPart);
    printf("exit_code: %lu\n", code);
    return 0;
}
