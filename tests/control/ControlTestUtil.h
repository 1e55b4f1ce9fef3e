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

// A minimal stacking layout: children of fixed height one below the other,
// moved up by the vertical scroll position, then the container's scroll-bar
// bookkeeping. Counts its own layout passes.
class StackContainer : public CContainerUI
{
public:
    int layouts = 0;

    void SetPos(RECT rc) override
    {
        ++layouts;
        CControlUI::SetPos(rc);
        CUIRect client(rc.left + m_rcInset.left, rc.top + m_rcInset.top, rc.right - m_rcInset.right,
                       rc.bottom - m_rcInset.bottom);
        int scroll = 0;
        if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
            client.right -= m_pVerticalScrollBar->GetFixedWidth();
            scroll = m_pVerticalScrollBar->GetScrollPos();
        }
        if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
            client.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
        int needed = 0;
        int y = client.top - scroll;
        for (int i = 0; i < GetCount(); ++i) {
            CControlUI* child = GetItemAt(i);
            if (!child->IsVisible())
                continue;
            if (child->IsFloat()) {
                PlaceFloatChild(i);
                continue;
            }
            const int h = child->GetFixedHeight();
            child->SetPos(CUIRect(client.left, y, client.right, y + h));
            y += h;
            needed += h;
        }
        UpdateScrollBars(client, 0, needed);
    }
};

} // namespace controltest
