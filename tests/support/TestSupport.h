// Shared fixtures for the test programs: a pixel canvas, a bounded message pump,
// folders and files, and child processes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// A 32-bit top-down DIB section selected into a memory DC. Pixels read as 0xAARRGGBB.
class Canvas {
public:
    Canvas(int width, int height, DWORD fill = 0xFFFFFFFF);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    DWORD Pixel(int x, int y) const;   // flushes GDI first; 0 outside the canvas
    void Fill(DWORD argb);
    DWORD* Bits() { return m_bits; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Writes the canvas as a PNG (alpha taken as opaque, so it is viewable).
    bool SavePng(const std::wstring& path) const;
    // Writes <OutputDir()><name>.png when the running test has failed.
    void DumpIfFailed(const char* name) const;
    // Copies the window's client area (as painted on screen) into the canvas.
    bool CaptureWindow(HWND hwnd);

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD* m_bits;
};

// Rectangles: "l,t,r,b" text and equality, for checks and failure messages.
std::string RectText(const RECT& rc);
bool SameRect(const RECT& a, const RECT& b);

#define EXPECT_RECT(expected, actual)                                                            \
    EXPECT_TRUE(testsupport::SameRect((expected), (actual)))                                     \
        << "expected " << testsupport::RectText(expected) << " got " << testsupport::RectText(actual)
#define ASSERT_RECT(expected, actual)                                                            \
    ASSERT_TRUE(testsupport::SameRect((expected), (actual)))                                     \
        << "expected " << testsupport::RectText(expected) << " got " << testsupport::RectText(actual)

// Channel helpers for 0xAARRGGBB values.
inline int ChA(DWORD c) { return (c >> 24) & 0xFF; }
inline int ChR(DWORD c) { return (c >> 16) & 0xFF; }
inline int ChG(DWORD c) { return (c >> 8) & 0xFF; }
inline int ChB(DWORD c) { return c & 0xFF; }
// True when every colour channel (not alpha) differs by at most tol.
bool ColorNear(DWORD a, DWORD b, int tol);
std::string ColorText(DWORD c);   // "0xAARRGGBB", for failure messages

// Dispatches messages until pred() is true or the time runs out; true when pred() held.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs);
// Dispatches messages for ms milliseconds.
void PumpFor(DWORD ms);

std::wstring FixtureDir();   // build-time fixtures, trailing backslash
std::wstring OutputDir();    // where tests leave pictures and logs, trailing backslash
std::wstring ExeDir();       // folder of the running test program, trailing backslash
// A new empty folder under the temp folder, trailing backslash.
std::wstring MakeTempDir(const wchar_t* tag);
bool RemoveTree(const std::wstring& folder);

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// Starts a process, waits at most timeoutMs (then terminates it), returns true when it
// ended by itself; exitCode receives its exit code.
bool RunChild(const std::wstring& cmdline, DWORD timeoutMs, DWORD* exitCode);

std::string Narrow(const std::wstring& w);   // UTF-8
std::wstring Widen(const std::string& s);    // from UTF-8

}  // namespace testsupport
