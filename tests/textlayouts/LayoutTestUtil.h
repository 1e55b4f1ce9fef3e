// Helpers of the text, tile layout, child layout and date control tests: a
// real window built from an XML layout (probe classes come through the
// builder callback), the manager's font metrics and a pixel count.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "ControlsTestUtil.h"
#include "UIBuilder.h"

namespace layouttest {

using namespace SkinUI;
using testsupport::RectText;

// A shown test window whose root is built from a layout text or file.
class BuiltWindow
{
public:
    ctltest::HostWindow host;
    testsupport::NotifyRecorder rec;
    CControlUI* root = nullptr;
    std::string error;

    // pCallback creates the probe elements of the layout.
    bool Build(int cx, int cy, const wchar_t* xml, IDialogBuilderCallback* pCallback = NULL)
    {
        if (!host.Open(cx, cy))
            return false;
        host.pm.AddNotifier(&rec);
        CUIBuilder builder;
        root = builder.Create(xml, NULL, pCallback, &host.pm);
        if (root == nullptr) {
            error = testsupport::Narrow(builder.GetLastErrorMessage());
            return false;
        }
        if (!host.pm.AttachRoot(root))
            return false;
        host.Update();
        return true;
    }
    template <class T = CControlUI>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(host.pm.FindControlByName(name));
    }
    HWND Hwnd() const { return host.GetHWND(); }
    // Paints the whole client area into the canvas (the manager's own paint
    // of the root, without the native child windows).
    void PaintInto(testsupport::Canvas& canvas)
    {
        ::SendMessageW(Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    }
    // Keeps a picture of the window as it is on screen in the test output.
    void Keep(const wchar_t* name, int cx, int cy)
    {
        testsupport::Canvas canvas(cx, cy);
        if (canvas.CaptureWindow(Hwnd()))
            canvas.SavePng(testsupport::OutputDir() + name + L".png");
    }
};

// The metrics of a font of the manager, measured on a screen DC.
inline TEXTMETRICW FontMetrics(CUIManager& pm, int iFont = -1)
{
    TEXTMETRICW tm;
    ZeroMemory(&tm, sizeof(tm));
    HDC hDC = ::GetDC(NULL);
    HGDIOBJ old = ::SelectObject(hDC, pm.GetFont(iFont));
    ::GetTextMetricsW(hDC, &tm);
    ::SelectObject(hDC, old);
    ::ReleaseDC(NULL, hDC);
    return tm;
}

// The width of a text in a font of the manager.
inline int TextWidth(CUIManager& pm, const wchar_t* text, int iFont = -1)
{
    SIZE sz = { 0, 0 };
    HDC hDC = ::GetDC(NULL);
    HGDIOBJ old = ::SelectObject(hDC, pm.GetFont(iFont));
    ::GetTextExtentPoint32W(hDC, text, static_cast<int>(wcslen(text)), &sz);
    ::SelectObject(hDC, old);
    ::ReleaseDC(NULL, hDC);
    return sz.cx;
}

// Pixels of a rectangle whose colour is clearly the given pure colour
// (anti-aliased text edges are left out).
inline int CountColour(const testsupport::Canvas& canvas, const RECT& rc, DWORD colour)
{
    return ctltest::CountPixels(canvas, rc, [colour](DWORD px) { return testsupport::ColorNear(px, colour, 60); });
}

inline POINT Center(const RECT& rc)
{
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

} // namespace layouttest
