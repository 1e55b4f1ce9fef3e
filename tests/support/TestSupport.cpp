#include "TestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace testsupport {

Canvas::Canvas(int width, int height, DWORD fill)
    : m_width(width), m_height(height), m_dc(NULL), m_bitmap(NULL), m_old(NULL), m_bits(NULL) {
    BITMAPINFO bmi;
    ZeroMemory(&bmi, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    m_dc = CreateCompatibleDC(NULL);
    m_bitmap = CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &bits, NULL, 0);
    m_bits = static_cast<DWORD*>(bits);
    if (m_dc && m_bitmap) m_old = SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

Canvas::~Canvas() {
    if (m_dc) {
        if (m_old) SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    if (m_bitmap) DeleteObject(m_bitmap);
}

DWORD Canvas::Pixel(int x, int y) const {
    GdiFlush();
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_bits[y * m_width + x];
}

void Canvas::Fill(DWORD argb) {
    GdiFlush();
    if (!m_bits) return;
    for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = argb;
}

static void AppendToString(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

bool Canvas::SavePng(const std::wstring& path) const {
    GdiFlush();
    if (!m_bits) return false;
    std::vector<unsigned char> rgba(static_cast<size_t>(m_width) * m_height * 4);
    for (int i = 0; i < m_width * m_height; ++i) {
        DWORD c = m_bits[i];
        rgba[i * 4 + 0] = static_cast<unsigned char>(ChR(c));
        rgba[i * 4 + 1] = static_cast<unsigned char>(ChG(c));
        rgba[i * 4 + 2] = static_cast<unsigned char>(ChB(c));
        rgba[i * 4 + 3] = 255;
    }
    std::string png;
    if (!stbi_write_png_to_func(AppendToString, &png, m_width, m_height, 4, rgba.data(), m_width * 4))
        return false;
    return WriteFileBytes(path, png);
}

void Canvas::DumpIfFailed(const char* name) const {
    if (!::testing::Test::HasFailure()) return;
    std::wstring path = OutputDir() + Widen(name) + L".png";
    if (SavePng(path)) {
        std::printf("canvas written to %s\n", Narrow(path).c_str());
    }
}

bool Canvas::CaptureWindow(HWND hwnd) {
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC src = GetDC(hwnd);
    if (!src) return false;
    BOOL ok = BitBlt(m_dc, 0, 0, m_width, m_height, src, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, src);
    GdiFlush();
    return ok != FALSE;
}

std::string RectText(const RECT& rc) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%ld,%ld,%ld,%ld", static_cast<long>(rc.left), static_cast<long>(rc.top),
                  static_cast<long>(rc.right), static_cast<long>(rc.bottom));
    return buf;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool ColorNear(DWORD a, DWORD b, int tol) {
    return std::abs(ChR(a) - ChR(b)) <= tol && std::abs(ChG(a) - ChG(b)) <= tol &&
           std::abs(ChB(a) - ChB(b)) <= tol;
}

std::string ColorText(DWORD c) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "0x%08lX", static_cast<unsigned long>(c));
    return buf;
}

static void DispatchPending() {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for whoever runs the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DispatchPending();
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        DispatchPending();
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    DispatchPending();
}

static std::wstring EnvFolder(const wchar_t* name, const std::wstring& fallback) {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
    std::wstring dir = (n > 0 && n < MAX_PATH * 2) ? std::wstring(buf, n) : fallback;
    if (!dir.empty() && dir[dir.size() - 1] != L'\\') dir += L'\\';
    return dir;
}

std::wstring ExeDir() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, buf, MAX_PATH);
    std::wstring path(buf, n);
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring FixtureDir() { return EnvFolder(L"TEST_FIXTURE_DIR", ExeDir() + L"..\\fixtures\\"); }

std::wstring OutputDir() {
    std::wstring dir = EnvFolder(L"TEST_OUTPUT_DIR", ExeDir() + L"..\\test-output\\");
    CreateDirectoryW(dir.c_str(), NULL);
    return dir;
}

std::wstring MakeTempDir(const wchar_t* tag) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t name[MAX_PATH];
        _snwprintf(name, MAX_PATH - 1, L"%s%s_%lu_%ld\\", base, tag ? tag : L"t",
                   GetCurrentProcessId(), InterlockedIncrement(&counter));
        name[MAX_PATH - 1] = 0;
        if (CreateDirectoryW(name, NULL)) return name;
    }
    return std::wstring();
}

bool RemoveTree(const std::wstring& folder) {
    std::wstring dir = folder;
    if (!dir.empty() && dir[dir.size() - 1] == L'\\') dir.erase(dir.size() - 1);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryW(dir.c_str()) != FALSE;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, NULL) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RunChild(const std::wstring& cmdline, DWORD timeoutMs, DWORD* exitCode) {
    std::vector<wchar_t> line(cmdline.begin(), cmdline.end());
    line.push_back(0);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    bool ended = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(pi.hProcess, 0xDEAD);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    if (exitCode) *exitCode = code;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), NULL, 0, NULL, NULL);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, NULL, NULL);
    return s;
}

std::wstring Widen(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), NULL, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

}  // namespace testsupport
