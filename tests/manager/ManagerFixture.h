// The shared fixture of the paint-manager tests: one real window (hidden
// unless a test shows it), its manager, a journal, a recording notifier.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "ManagerProbe.h"
#include "TestSupport.h"

namespace mgrtest {

// Keeps the real pointer away from the test windows, so the X server sends
// them no pointer input of its own.
inline void ParkPointer()
{
    ::SetCursorPos(1270, 1010);
}

// A pixel's colour channels: GDI leaves the alpha byte alone, so tests
// compare these only.
inline DWORD Rgb(DWORD c)
{
    return c & 0x00FFFFFF;
}

// Paints the window's client area one colour straight through a window DC,
// as something behind the controls would show.
inline void FillWindowSurface(HWND hwnd, COLORREF color)
{
    HDC dc = ::GetDC(hwnd);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(dc, &rc, brush);
    ::DeleteObject(brush);
    ::ReleaseDC(hwnd, dc);
    ::GdiFlush();
}

// Sets or clears keys in the thread's key state (GetKeyState reads it).
class KeyState
{
public:
    KeyState() { ::GetKeyboardState(m_saved); }
    ~KeyState() { ::SetKeyboardState(m_saved); }
    void Press(int vk, bool down)
    {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[vk] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }

private:
    BYTE m_saved[256];
};

class ManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        ParkPointer();
        wnd = new ManagerWnd;
        ASSERT_TRUE(wnd->Make(kX, kY, kW, kH, false) != NULL);
        hwnd = wnd->GetHWND();
        pm().AddNotifier(&rec);
    }
    void TearDown() override
    {
        delete wnd;
        wnd = NULL;
        testsupport::PumpFor(0);
    }

    CUIManager& pm() { return wnd->pm; }

    // A root probe covering the client area, attached to the manager.
    CProbeUI* AttachProbeRoot(DWORD color = 0)
    {
        CProbeUI* root = new CProbeUI(&j, L"root", Rc(0, 0, kW, kH), color);
        return root;
    }
    void Attach(CProbeUI* root)
    {
        ASSERT_TRUE(pm().AttachRoot(root));
        // Places as a finished layout pass would have.
        root->SetPos(Rc(0, 0, kW, kH));
        j.Clear();
        rec.notes.clear();
    }
    // Shows the window and runs its first paint (layout, "windowinit").
    void ShowAndPaint()
    {
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        ::UpdateWindow(hwnd);
    }
    void Repaint()
    {
        ::InvalidateRect(hwnd, NULL, FALSE);
        ::UpdateWindow(hwnd);
    }
    LRESULT Send(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageW(hwnd, uMsg, wParam, lParam);
    }
    // Posts a message and pumps until it has been handled.
    void PostAndPump(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        ::PostMessageW(hwnd, uMsg, wParam, lParam);
        bool done = false;
        const UINT kMarker = WM_APP + 0x3F0;
        ::PostMessageW(hwnd, kMarker, 0, 0);
        std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> old = wnd->before;
        wnd->before = [&done, old](UINT m, WPARAM w, LPARAM l, LRESULT& r) {
            if (m == kMarker) {
                done = true;
                return true;
            }
            return old ? old(m, w, l, r) : false;
        };
        testsupport::PumpUntil([&done] { return done; }, 2000);
        wnd->before = old;
    }
    POINT ToScreen(int x, int y)
    {
        POINT pt = { x, y };
        ::ClientToScreen(hwnd, &pt);
        return pt;
    }
    LPARAM ScreenLParam(int x, int y)
    {
        POINT pt = ToScreen(x, y);
        return MAKELPARAM(pt.x, pt.y);
    }

    static constexpr int kX = 40;
    static constexpr int kY = 40;
    static constexpr int kW = 200;
    static constexpr int kH = 150;

    Journal j;
    RecordingNotifier rec;
    ManagerWnd* wnd = NULL;
    HWND hwnd = NULL;
};

} // namespace mgrtest
