// Helpers of the end-to-end tests: the real programs started as a user starts
// them, their top-level windows found by class, clicks posted at points of a
// window's client area, pictures and pixels taken from the screen, and the
// whole installed product (files with their MD5 digests, registry values,
// shortcuts) read back for comparison.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "InstallTestUtil.h"

namespace e2e {

// A started program. The destructor ends it when it still runs.
class Program {
public:
    explicit Program(const std::wstring& commandLine);
    ~Program();
    bool Started() const { return m_process != NULL; }
    DWORD Id() const { return m_id; }
    // True when the program ended within timeoutMs; exitCode receives its code.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = NULL);
    bool Running() const;
    void Terminate();

private:
    HANDLE m_process;
    DWORD m_id;
};

// The visible top-level window of class className that belongs to process id,
// once it exists and has had time to lay out and paint (NULL after timeoutMs;
// timeoutMs 0 only looks).
HWND WaitWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs, bool settle = true);
// The first child window of parent of class className, or NULL.
HWND FindChild(HWND parent, const wchar_t* className);
// The visible top-level windows of the process.
std::vector<HWND> VisibleWindows(DWORD processId);
// Posts a move, a left press and a release at (x, y) of hwnd's client area.
void Click(HWND hwnd, int x, int y);
// The colour (0xRRGGBB) on screen at (x, y) of hwnd's client area.
DWORD ScreenPixel(HWND hwnd, int x, int y);
// Saves hwnd's client area as it shows on screen to <OutputDir><name>.png.
bool SaveScreenshot(HWND hwnd, const std::wstring& name);
// Waits, pumping this thread's messages, until pred() holds.
template <class Pred>
bool WaitFor(Pred pred, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

// Lowercase hexadecimal MD5 of a file's bytes ("" when it cannot be read).
std::string FileMd5(const std::wstring& path);
// name -> MD5 of every file directly in folder (trailing backslash).
std::map<std::wstring, std::string> FolderMd5s(const std::wstring& folder);
std::string Md5sText(const std::map<std::wstring, std::string>& files);


using installtest::CountTempPayloads;

}  // namespace e2e
