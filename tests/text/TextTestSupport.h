// Shared helpers of the text renderer tests: a paint manager on a hidden
// window, measuring in the manager's fonts on a canvas, and pixel counts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "UIManager.h"
#include "UIRender.h"

namespace texttest {

// A paint manager attached to a hidden window, as a skinned window has one.
class ManagerHost {
public:
    ManagerHost()
    {
        m_hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, NULL, NULL,
                                   ::GetModuleHandleW(NULL), NULL);
        m_manager.reset(new SkinUI::CUIManager());
        m_manager->Init(m_hwnd);
    }
    ~ManagerHost()
    {
        m_manager.reset();
        if (m_hwnd != NULL) ::DestroyWindow(m_hwnd);
    }
    SkinUI::CUIManager* get() const { return m_manager.get(); }
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd;
    std::unique_ptr<SkinUI::CUIManager> m_manager;
};

inline int Extent(HDC dc, HFONT font, const std::wstring& text)
{
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE sz = { 0, 0 };
    ::GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &sz);
    ::SelectObject(dc, old);
    return sz.cx;
}

inline TEXTMETRICW Metrics(HDC dc, HFONT font)
{
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    return tm;
}

// Height of one line of text in that font (tmHeight + tmExternalLeading).
inline int LineHeight(HDC dc, HFONT font)
{
    const TEXTMETRICW tm = Metrics(dc, font);
    return tm.tmHeight + tm.tmExternalLeading;
}

// Pixels of a canvas region that satisfy a colour test.
template <typename Pred>
int CountPixels(const testsupport::Canvas& canvas, const RECT& rc, Pred pred)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; y++) {
        for (int x = rc.left; x < rc.right; x++) {
            if (pred(canvas.Pixel(x, y))) n++;
        }
    }
    return n;
}

// Colour classes of text drawn on white (anti-aliased edges blend towards
// white, so each class asks for a clear dominance of its channels).
inline bool IsInk(DWORD c)
{
    using namespace testsupport;
    return ChR(c) < 200 || ChG(c) < 200 || ChB(c) < 200;
}
inline bool IsDark(DWORD c)
{
    using namespace testsupport;
    return ChR(c) < 120 && ChG(c) < 120 && ChB(c) < 120;
}
inline bool IsReddish(DWORD c)
{
    using namespace testsupport;
    return ChR(c) - (ChG(c) > ChB(c) ? ChG(c) : ChB(c)) > 80;
}
inline bool IsBluish(DWORD c)
{
    using namespace testsupport;
    return ChB(c) - (ChR(c) > ChG(c) ? ChR(c) : ChG(c)) > 80;
}
// The manager's default link hover colour 0xFFD3215F: red well above green,
// blue in between.
inline bool IsHoverish(DWORD c)
{
    using namespace testsupport;
    return ChR(c) - ChG(c) > 80 && ChR(c) > ChB(c);
}

}  // namespace texttest
