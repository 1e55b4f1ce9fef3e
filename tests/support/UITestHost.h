// A top-level test window whose paint manager sees every message, with
// helpers to paint it, read its pending update and feed it mouse input, and a
// recorder of the notifications it sends.
// Header-only: only the UI tests (which link skinui) include it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIScrollBar.h"
#include "UIWindow.h"

namespace testsupport {

// Dispatches every message already in this thread's queue.
inline void Drain()
{
    MSG msg;
    for (int guard = 0; guard < 10000 && ::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE); ++guard) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class UITestHost : public SkinUI::CWindowWnd
{
public:
    SkinUI::CUIManager pm;

    // With drainQueue the queue is drained before each Update and after the
    // window is destroyed, so posted input reaches the manager in order.
    explicit UITestHost(const wchar_t* title = L"test host", bool drainQueue = false)
        : m_title(title), m_drain(drainQueue)
    {
    }
    ~UITestHost()
    {
        Destroy();
        if (m_drain)
            Drain();
    }

    // Creates the window as a popup at the screen origin, shown without
    // activation. A pointer an earlier program left over that corner is moved
    // to the opposite one first, so the X server sends the window no pointer
    // input of its own and nothing starts hot.
    bool Open(int cx, int cy)
    {
        if (Create(NULL, m_title, WS_POPUP, 0, 0, 0, cx, cy) == NULL)
            return false;
        POINT pt;
        if (::GetCursorPos(&pt) && pt.x < cx + 16 && pt.y < cy + 16)
            ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        return true;
    }
    void Destroy()
    {
        if (m_hWnd != NULL && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }

    LPCTSTR GetWindowClassName() const override { return L"SkinUITestHost"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CREATE) {
            pm.Init(m_hWnd);
            return 0;
        }
        LRESULT lRes = 0;
        if (pm.HandleWindowMessage(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    // Runs the manager's paint, and with it the pending layout pass.
    void Update()
    {
        if (m_drain)
            Drain();
        ::InvalidateRect(m_hWnd, NULL, FALSE);
        ::UpdateWindow(m_hWnd);
    }
    // The window's pending update rectangle (empty when none).
    RECT UpdateRect()
    {
        RECT rc = { 0, 0, 0, 0 };
        ::GetUpdateRect(m_hWnd, &rc, FALSE);
        return rc;
    }
    void ClearUpdate() { ::ValidateRect(m_hWnd, NULL); }

    // Posted input: reaches the manager when the queue is drained.
    void Post(UINT msg, WPARAM wParam, LPARAM lParam) { ::PostMessageW(m_hWnd, msg, wParam, lParam); }
    void PostMouse(UINT msg, int x, int y)
    {
        const WPARAM keys = (msg == WM_LBUTTONDOWN || msg == WM_MOUSEMOVE) ? MK_LBUTTON : 0;
        Post(msg, keys, MAKELPARAM(x, y));
    }
    // A posted move, press and release at one point, then the queue is drained.
    void Click(int x, int y)
    {
        PostMouse(WM_MOUSEMOVE, x, y);
        PostMouse(WM_LBUTTONDOWN, x, y);
        PostMouse(WM_LBUTTONUP, x, y);
        Drain();
    }

    // Sent input: handled before the call returns.
    void Mouse(UINT msg, int x, int y, WPARAM keys = 0)
    {
        ::SendMessageW(m_hWnd, msg, keys, MAKELPARAM(x, y));
    }
    void Press(int x, int y) { Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void Release(int x, int y) { Mouse(WM_LBUTTONUP, x, y); }
    void Move(int x, int y, WPARAM keys = MK_LBUTTON) { Mouse(WM_MOUSEMOVE, x, y, keys); }
    // A wheel turn over a client point (the message carries screen coordinates).
    void Wheel(int x, int y, int delta)
    {
        POINT pt = { x, y };
        ::ClientToScreen(m_hWnd, &pt);
        ::SendMessageW(m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)delta), MAKELPARAM(pt.x, pt.y));
    }

private:
    const wchar_t* m_title;
    bool m_drain;
};

// Records the notifications a manager sends: all of them, or only the
// types it is given.
class NotifyRecorder : public SkinUI::INotifyUI
{
public:
    struct Item
    {
        std::wstring type;
        SkinUI::CControlUI* sender;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<std::wstring> watched;   // empty: every type
    std::vector<Item> items;

    NotifyRecorder() {}
    explicit NotifyRecorder(std::vector<std::wstring> types) : watched(types) {}

    void Notify(SkinUI::UINotify& msg) override
    {
        if (!watched.empty() && std::find(watched.begin(), watched.end(), msg.sType.GetData()) == watched.end())
            return;
        items.push_back(Item{ msg.sType.GetData(), msg.pSender, msg.wParam, msg.lParam });
    }
    int Count(const wchar_t* type) const
    {
        int n = 0;
        for (const Item& it : items)
            n += it.type == type ? 1 : 0;
        return n;
    }
    // "type:name" of each item, for compact sequence checks.
    std::vector<std::string> Sequence() const
    {
        std::vector<std::string> out;
        for (const Item& it : items) {
            std::wstring s = it.type + L":" + (it.sender != NULL ? it.sender->GetName().GetData() : L"-");
            out.push_back(Narrow(s));
        }
        return out;
    }
    void Clear() { items.clear(); }
};

// A minimal stacking layout: children of fixed height one below the other,
// moved up by the vertical scroll position, then the container's scroll-bar
// bookkeeping. Counts its own layout passes.
class StackContainer : public SkinUI::CContainerUI
{
public:
    int layouts = 0;

    void SetPos(RECT rc) override
    {
        ++layouts;
        SkinUI::CControlUI::SetPos(rc);
        SkinUI::CUIRect client(rc.left + m_rcInset.left, rc.top + m_rcInset.top, rc.right - m_rcInset.right,
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
            SkinUI::CControlUI* child = GetItemAt(i);
            if (!child->IsVisible())
                continue;
            if (child->IsFloat()) {
                PlaceFloatChild(i);
                continue;
            }
            const int h = child->GetFixedHeight();
            child->SetPos(SkinUI::CUIRect(client.left, y, client.right, y + h));
            y += h;
            needed += h;
        }
        UpdateScrollBars(client, 0, needed);
    }
};

} // namespace testsupport
