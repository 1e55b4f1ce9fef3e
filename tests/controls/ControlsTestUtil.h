// Helpers of the label, button, option, tab and box layout tests: a real
// window whose paint manager sees every message, posted mouse and key input,
// a recording notifier, probes that read protected state, and rectangle and
// pixel checks.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UITestHost.h"
#include "UIButton.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIHorizontalLayout.h"
#include "UILabel.h"
#include "UIManager.h"
#include "UIOption.h"
#include "UITabLayout.h"
#include "UIVerticalLayout.h"
#include "UIWindow.h"

namespace ctltest {

using namespace SkinUI;

// The colours of tests/fixtures/make_control_images.py.
const DWORD kNormal = 0xFF0000FF;
const DWORD kHot = 0xFF00A000;
const DWORD kPushed = 0xFFFF0000;
const DWORD kFocused = 0xFFFFFF00;
const DWORD kDisabled = 0xFF808080;
const DWORD kFore = 0xFFFF00FF;
const DWORD kHotFore = 0xFF00FFFF;
const DWORD kSelected = 0xFFFF8000;
const DWORD kSelectedHot = 0xFF800080;
const DWORD kOptFore = 0xFF000000;
const DWORD kWhite = 0xFFFFFFFF;

using testsupport::RectText;
using testsupport::SameRect;

// Compares the colour channels only: pixels read back from a window carry no alpha.
#define EXPECT_PIXEL(canvas, x, y, want)                                                         \
    EXPECT_EQ(testsupport::ColorText((DWORD)(want) & 0x00FFFFFF),                                \
              testsupport::ColorText((canvas).Pixel((x), (y)) & 0x00FFFFFF))                     \
        << "pixel at (" << (x) << "," << (y) << ")"

// Dispatches every message already in this thread's queue.
using testsupport::Drain;

// A top-level window with a paint manager that sees every message. The root
// is attached by the test; the window stays clear of the Xvfb pointer (which
// rests in the middle of the 1280x1024 screen), so no real mouse input
// reaches it.
class HostWindow : public testsupport::UITestHost
{
public:
    HostWindow() : UITestHost(L"controls host", true) {}
};

using Recorder = testsupport::NotifyRecorder;

// Sets the resource folder to the control images for one test.
class ImageFolder
{
public:
    ImageFolder()
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"controls\\").c_str());
    }
    ~ImageFolder() { CUIManager::ResetResourceState(); }
};

inline UIEvent MakeEvent(int kind, POINT pt = POINT{ 0, 0 }, wchar_t key = 0)
{
    UIEvent ev;
    ZeroMemory(&ev, sizeof(ev));
    ev.nKind = kind;
    ev.dwTimestamp = ::GetTickCount();
    ev.ptMouse = pt;
    ev.chKey = key;
    return ev;
}

// Counts the pixels of a rectangle of the canvas that satisfy a predicate.
template <typename Pred>
int CountPixels(const testsupport::Canvas& canvas, const RECT& rc, Pred pred)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += pred(canvas.Pixel(x, y)) ? 1 : 0;
    return n;
}

// Probes that read the protected state of the controls.
class LabelProbe : public CLabelUI
{
public:
    UINT Style() const { return m_uTextStyle; }
    CUIRect Padding() const { return m_rcTextPadding; }
    DWORD DisabledColor() const { return m_dwDisabledTextColor; }
    bool ShowHtml() const { return m_bShowHtml; }
    float ShadowX() const { return m_ShadowOffsetX; }
    float ShadowY() const { return m_ShadowOffsetY; }
    int Hint() const { return m_TextRenderingHint; }
    const CUIString& OrdinaryText() const { return m_sText; }
};

class ButtonProbe : public CButtonUI
{
public:
    UINT State() const { return m_uButtonState; }
    UINT Style() const { return m_uTextStyle; }
    DWORD HotBk() const { return m_dwHotBkColor; }
};

class OptionProbe : public COptionUI
{
public:
    UINT State() const { return m_uButtonState; }
};

// A control whose MeasureSize answers a set size (0 = adjustable).
class MeasureProbe : public CControlUI
{
public:
    CUISize measured;
    std::vector<CUISize> offered;

    CUISize MeasureSize(SIZE szAvailable) override
    {
        offered.push_back(CUISize(szAvailable.cx, szAvailable.cy));
        return measured;
    }
};

} // namespace ctltest
