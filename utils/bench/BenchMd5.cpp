// Throughput of WinUtil::MD5_File: bench_md5.exe <file> [runs]
// Prints the digest and "md5.mb_s: <MB/s> MB/s" (best of the runs).
//   bench_md5.exe --tree <folder>: digests every file below the folder, one
//   after another, and prints "files: <count>" (the caller times the program).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <string>

#include "Utils.h"

namespace {

int DigestTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
    {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)
            continue;
        const std::wstring path = folder + L"\\" + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += DigestTree(path);
        else if (!WinUtil::MD5_File(GString(path)).empty())
            ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: bench_md5 <file> [runs] | bench_md5 --tree <folder>\n");
        return 2;
    }
    if (wcscmp(argv[1], L"--tree") == 0 && argc > 2)
    {
        printf("files: %d\n", DigestTree(argv[2]));
        return 0;
    }
    const int runs = argc > 2 ? _wtoi(argv[2]) : 3;
    WIN32_FILE_ATTRIBUTE_DATA attrs;
    if (!GetFileAttributesExW(argv[1], GetFileExInfoStandard, &attrs))
    {
        fprintf(stderr, "bench_md5: cannot open the file\n");
        return 1;
    }
    const double bytes = (double)attrs.nFileSizeHigh * 4294967296.0 + (double)attrs.nFileSizeLow;
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    double best = 0;
    GString digest;
    for (int i = 0; i < (runs > 0 ? runs : 1); ++i)
    {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        digest = WinUtil::MD5_File(GString(argv[1]));
        QueryPerformanceCounter(&t1);
        const double seconds = (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart;
        const double mbs = bytes / (1024.0 * 1024.0) / seconds;
        if (mbs > best)
            best = mbs;
    }
    if (digest.empty())
    {
        fprintf(stderr, "bench_md5: the digest failed\n");
        return 1;
    }
    printf("digest: %ls\n", digest.c_str());
    printf("md5.mb_s: %.1f MB/s\n", best);
    return 0;
}
