// Benchmark of the installer (run by scripts/bench.d/setup.sh, never by ctest):
// the installer's own unpacking of the real Setup.exe's archive, and a whole
// installation by the worker into an empty folder.
//   bench_setup SETUP.EXE [RUNS]
// Prints "setup.unpack_mb_s: V MB/s", "setup.unpacked_bytes: N bytes" and
// "install.worker_ms: V ms" (medians).
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BaseTool.h"
#include "Extract7z.h"
#include "InstallTestUtil.h"
#include "Installer.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

unsigned long long FolderBytes(const std::wstring& root)
{
    unsigned long long total = 0;
    for (const std::wstring& name : installtest::ListTree(root)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (name.back() != L'\\' && GetFileAttributesExW((root + name).c_str(), GetFileExInfoStandard, &data))
            total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return total;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: bench_setup SETUP.EXE [RUNS]\n");
        return 2;
    }
    int runs = argc > 2 ? _wtoi(argv[2]) : 9;
    HMODULE setup = LoadLibraryExW(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = setup ? FindResourceExW(setup, SETUP_PAYLOAD_TYPE, MAKEINTRESOURCEW(SETUP_PAYLOAD_ID),
                                          SETUP_PAYLOAD_LANGUAGE)
                        : NULL;
    if (found == NULL) {
        fprintf(stderr, "bench_setup: no archive in %ls\n", argv[1]);
        return 1;
    }
    std::string archive(static_cast<const char*>(LockResource(LoadResource(setup, found))),
                        SizeofResource(setup, found));
    std::wstring work = testsupport::MakeTempDir(L"bench_setup");
    std::wstring archivePath = work + L"payload.7z";
    testsupport::WriteFileBytes(archivePath, archive);

    // Unpacking alone, from the archive file, as the installer does.
    std::vector<double> unpackMs;
    unsigned long long bytes = 0;
    for (int i = 0; i < runs; ++i) {
        std::wstring dir = work + L"unpack" + std::to_wstring(i);
        CreateDirectoryW(dir.c_str(), NULL);
        double start = NowMs();
        int result = Extract7zArchive(dir, archivePath, NULL);
        unpackMs.push_back(NowMs() - start);
        if (result != 0) {
            fprintf(stderr, "bench_setup: unpacking failed (%d)\n", result);
            return 1;
        }
        bytes = FolderBytes(dir + L"\\");
        installtest::RemoveTestTree(dir);
    }
    printf("setup.unpacked_bytes: %llu bytes\n", bytes);
    printf("setup.unpack_mb_s: %.1f MB/s\n", static_cast<double>(bytes) / 1e6 / (Median(unpackMs) / 1000.0));

    // A whole installation by the worker into an empty folder (no window; the
    // statistics request is refused at once by a closed local port).
    CoInitialize(NULL);
    std::vector<double> installMs;
    for (int i = 0; i < 5; ++i) {
        basetool::DeleteProductRegistration();
        CInstaller installer(work + L"install" + std::to_wstring(i) + L"\\YexoShow");
        installer.SetPayloadResource(setup, SETUP_PAYLOAD_ID);
        installer.SetStatHost(L"127.0.0.1:1");
        double start = NowMs();
        bool ok = installer.Install();
        installMs.push_back(NowMs() - start);
        if (!ok) {
            fprintf(stderr, "bench_setup: installation failed\n");
            return 1;
        }
    }
    printf("install.worker_ms: %.1f ms\n", Median(installMs));
    basetool::DeleteProductRegistration();
    std::wstring menu = basetool::AppendPath(basetool::GetCommonProgramsDir(), basetool::kProductDisplayName);
    DeleteFileW((basetool::GetCommonDesktopDir() + L"\\" + basetool::kProductDisplayName + L".lnk").c_str());
    DeleteFileW((menu + L"\\" + basetool::kProductDisplayName + L".lnk").c_str());
    DeleteFileW((menu + L"\\卸载" + basetool::kProductDisplayName + L".lnk").c_str());
    RemoveDirectoryW(menu.c_str());
    CoUninitialize();
    FreeLibrary(setup);
    installtest::RemoveTestTree(work);
    return 0;
}
