// Helpers of the control tests: a window whose paint manager sees every
// message, a recording notifier, probe controls and rectangle checks.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UITestHost.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIScrollBar.h"
#include "UIWindow.h"

namespace controltest {

using namespace SkinUI;

using testsupport::RectText;
using testsupport::SameRect;

// Compares the colour channels; GDI leaves the alpha byte of a DIB at 0.
#define EXPECT_PIXEL(canvas, x, y, want)                                                         \
    EXPECT_EQ(testsupport::ColorText((DWORD)(want) & 0xFFFFFF),                                  \
              testsupport::ColorText((canvas).Pixel((x), (y)) & 0xFFFFFF))                       \
        << "pixel at (" << (x) << "," << (y) << ")"

inline UIEvent MakeEvent(int kind, CControlUI* sender = NULL, WPARAM wParam = 0, wchar_t key = 0)
{
    UIEvent ev;
    ZeroMemory(&ev, sizeof(ev));
    ev.nKind = kind;
    ev.pSender = sender;
    ev.dwTimestamp = ::GetTickCount();
    ev.chKey = key;
    ev.wParam = wParam;
    return ev;
}

// A window whose paint manager sees every message.
class HostWindow : public testsupport::UITestHost
{
public:
    HostWindow() : UITestHost(L"control host") {}
};

using Recorder = testsupport::NotifyRecorder;

// Counts destructions of the controls it watches through their DestroyHandlers.
class DestroyCounter
{
public:
    std::vector<CControlUI*> destroyed;

    void Watch(CControlUI* p) { p->DestroyHandlers.AddHandler(CDelegate<DestroyCounter, DestroyCounter>(this, &DestroyCounter::OnDestroy)); }
    bool Gone(CControlUI* p) const
    {
        for (CControlUI* d : destroyed)
            if (d == p)
                return true;
        return false;
    }
    bool OnDestroy(void* param)
    {
        destroyed.push_back(static_cast<CControlUI*>(param));
        return true;
    }
};

// A control that answers "ListItem" (for FindSelectable).
class ListItemProbe : public CControlUI
{
public:
    LPVOID GetInterface(LPCTSTR pstrName) override
    {
        if (pstrName != NULL && wcscmp(pstrName, L"ListItem") == 0)
            return this;
        return CControlUI::GetInterface(pstrName);
    }
};

// A container that logs the events reaching its HandleEvent.
class EventLogContainer : public CContainerUI
{
public:
    std::vector<int> kinds;
    void HandleEvent(UIEvent& event) override
    {
        kinds.push_back(event.nKind);
        CContainerUI::HandleEvent(event);
    }
};

using testsupport::StackContainer;

} // namespace controltest
