// Probes for the paint-manager tests: a real window whose messages go to its
// manager, controls that log what the manager gives them, and a notifier that
// records every notification.
#pragma once

#include <windows.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "UIControl.h"
#include "UIManager.h"
#include "UIWindow.h"

namespace mgrtest {

using namespace SkinUI;

// Objects of these classes live in pages of their own that are released when
// they are deleted: any use after deletion faults at once instead of reading
// stale memory.
struct GuardedAlloc
{
    static void* operator new(size_t n)
    {
        void* p = ::VirtualAlloc(NULL, n, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (p == NULL)
            throw std::bad_alloc();
        return p;
    }
    static void operator delete(void* p)
    {
        if (p != NULL)
            ::VirtualFree(p, 0, MEM_RELEASE);
    }
};

// Everything the probes of one test saw, in order.
struct Journal
{
    struct Event
    {
        std::wstring who;
        UIEvent ev;
    };
    std::vector<Event> events;
    std::vector<std::wstring> setPos;
    std::vector<std::wstring> deleted;
    std::vector<std::wstring> activated;
    std::vector<std::wstring> postPainted;

    int Count(const std::wstring& who, int kind) const
    {
        int n = 0;
        for (const Event& e : events)
            if (e.who == who && e.ev.nKind == kind)
                ++n;
        return n;
    }
    int CountKind(int kind) const
    {
        int n = 0;
        for (const Event& e : events)
            if (e.ev.nKind == kind)
                ++n;
        return n;
    }
    const UIEvent* Last(const std::wstring& who, int kind) const
    {
        for (size_t i = events.size(); i > 0; --i)
            if (events[i - 1].who == who && events[i - 1].ev.nKind == kind)
                return &events[i - 1].ev;
        return NULL;
    }
    // "name:kind" of the mouse and focus events, in order, for sequence checks.
    std::vector<std::wstring> Sequence() const
    {
        std::vector<std::wstring> out;
        for (const Event& e : events)
            out.push_back(e.who + L":" + std::to_wstring(e.ev.nKind));
        return out;
    }
    int DeletedCount(const std::wstring& who) const
    {
        int n = 0;
        for (const std::wstring& d : deleted)
            if (d == who)
                ++n;
        return n;
    }
    int SetPosCount(const std::wstring& who) const
    {
        int n = 0;
        for (const std::wstring& d : setPos)
            if (d == who)
                ++n;
        return n;
    }
    void Clear()
    {
        events.clear();
        setPos.clear();
        activated.clear();
        postPainted.clear();
    }
};

// A control that logs its events, placement, activation and deletion, and
// holds child probes placed at fixed offsets inside it. It answers the
// manager's searches like a container: children after itself, last child
// first for FindTopFirst.
class CProbeUI : public CControlUI, public GuardedAlloc
{
public:
    CProbeUI(Journal* journal, const wchar_t* name, RECT place = RECT(), DWORD color = 0)
        : m_journal(journal), m_place(place), m_color(color)
    {
        m_sName = name;
        m_rcItem = place;
    }
    ~CProbeUI() override
    {
        m_journal->deleted.push_back(m_sName.GetData());
        for (CProbeUI* kid : m_kids)
            delete kid;
    }

    CProbeUI* Add(CProbeUI* kid)
    {
        m_kids.push_back(kid);
        kid->m_pParent = this;
        return kid;
    }
    // Takes a child out of the list without deleting it.
    void Detach(CProbeUI* kid)
    {
        for (size_t i = 0; i < m_kids.size(); i++)
            if (m_kids[i] == kid) {
                m_kids.erase(m_kids.begin() + i);
                return;
            }
    }

    LPCTSTR GetClassName() const override { return className; }
    UINT GetInputFlags() const override { return inputFlags; }
    bool Activate() override
    {
        m_journal->activated.push_back(m_sName.GetData());
        return true;
    }
    void SetManager(CUIManager* pManager, CControlUI* pParent, bool /*bInit*/) override
    {
        m_pManager = pManager;
        m_pParent = pParent;
        for (CProbeUI* kid : m_kids)
            kid->SetManager(pManager, this, false);
    }
    void SetFocus() override
    {
        if (m_pManager != NULL)
            m_pManager->SetFocus(this);
    }
    void SetPos(RECT rc) override
    {
        m_journal->setPos.push_back(m_sName.GetData());
        m_rcItem = rc;
        for (CProbeUI* kid : m_kids) {
            RECT r = kid->m_place;
            ::OffsetRect(&r, rc.left, rc.top);
            kid->SetPos(r);
        }
        m_bUpdateNeeded = stickyLayout;
        if (onSetPos) {
            std::function<void(CProbeUI*)> fn = onSetPos;
            fn(this);
        }
    }
    CControlUI* FindControl(UIFindControlFn Proc, LPVOID pData, UINT uFlags) override
    {
        if ((uFlags & FindVisible) != 0 && !IsVisible())
            return NULL;
        if ((uFlags & FindEnabled) != 0 && !IsEnabled())
            return NULL;
        if ((uFlags & FindHitTest) != 0 &&
            (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData))))
            return NULL;
        if ((uFlags & FindMeFirst) != 0) {
            CControlUI* p = Proc(this, pData);
            if (p != NULL)
                return p;
        }
        const int n = static_cast<int>(m_kids.size());
        for (int i = 0; i < n; i++) {
            CProbeUI* kid = m_kids[(uFlags & FindTopFirst) != 0 ? n - 1 - i : i];
            CControlUI* p = kid->FindControl(Proc, pData, uFlags);
            if (p != NULL)
                return p;
        }
        if ((uFlags & FindMeFirst) == 0)
            return Proc(this, pData);
        return NULL;
    }
    void DispatchEvent(UIEvent& event) override
    {
        Journal::Event e = { m_sName.GetData(), event };
        m_journal->events.push_back(e);
        if (event.nKind == UIEventSetFocus)
            m_bFocused = true;
        if (event.nKind == UIEventKillFocus)
            m_bFocused = false;
        if (onEvent) {
            // A copy: the handler may delete this control.
            std::function<void(CProbeUI*, UIEvent&)> fn = onEvent;
            fn(this, event);
        }
    }
    void Paint(HDC hDC, const RECT& rcPaint) override
    {
        RECT r;
        if (!::IntersectRect(&r, &rcPaint, &m_rcItem))
            return;
        if (m_color != 0) {
            HBRUSH brush = ::CreateSolidBrush(RGB((m_color >> 16) & 0xFF, (m_color >> 8) & 0xFF, m_color & 0xFF));
            ::FillRect(hDC, &r, brush);
            ::DeleteObject(brush);
        }
        for (CProbeUI* kid : m_kids)
            kid->Paint(hDC, rcPaint);
    }
    void PostPaint(HDC hDC, const RECT& rcPaint) override
    {
        m_journal->postPainted.push_back(m_sName.GetData());
        if (postPaintColor != 0) {
            HBRUSH brush = ::CreateSolidBrush(
                RGB((postPaintColor >> 16) & 0xFF, (postPaintColor >> 8) & 0xFF, postPaintColor & 0xFF));
            RECT r;
            if (::IntersectRect(&r, &rcPaint, &m_rcItem))
                ::FillRect(hDC, &r, brush);
            ::DeleteObject(brush);
        }
    }

    // Direct state changes that need no control-base code.
    void SetShown(bool visible) { m_bVisible = visible; }
    void SetUsable(bool enabled) { m_bEnabled = enabled; }
    void SetMouse(bool enabled) { m_bMouseEnabled = enabled; }
    void SetTip(const wchar_t* text) { m_sToolTip = text; }
    void SetTipWidth(int width) { m_nTooltipWidth = width; }
    void SetVirtualWnd(const wchar_t* name) { m_sVirtualWnd = name; }
    void SetKey(wchar_t ch) { m_chShortcut = ch; }
    void SetNameRaw(const wchar_t* name) { m_sName = name; }
    // Asks for a layout pass at the next paint.
    void AskLayout()
    {
        m_bUpdateNeeded = true;
        if (m_pManager != NULL)
            m_pManager->NeedUpdate();
    }
    CProbeUI* Kid(size_t i) const { return m_kids[i]; }

    UINT inputFlags = 0;
    const wchar_t* className = L"ProbeUI";
    bool stickyLayout = false;   // SetPos leaves the layout request standing
    DWORD postPaintColor = 0;
    std::function<void(CProbeUI*, UIEvent&)> onEvent;
    std::function<void(CProbeUI*)> onSetPos;

private:
    Journal* m_journal;
    RECT m_place;
    DWORD m_color;
    std::vector<CProbeUI*> m_kids;
};

// A rich edit stand-in: the class name the manager looks for, and the answer
// whether Tab is its own.
class CRichEditProbe : public CProbeUI, public IWantTabUI
{
public:
    CRichEditProbe(Journal* journal, const wchar_t* name, RECT place) : CProbeUI(journal, name, place)
    {
        className = L"RichEditUI";
        inputFlags = TabStop;
    }
    bool IsWantTab() const override { return wantTab; }
    bool wantTab = true;
};

struct Note
{
    std::wstring type;
    CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    POINT pt;
};

class RecordingNotifier : public INotifyUI
{
public:
    void Notify(UINotify& msg) override
    {
        Note n = { msg.sType.GetData(), msg.pSender, msg.wParam, msg.lParam, msg.ptMouse };
        notes.push_back(n);
        if (onNotify) {
            std::function<void(UINotify&)> fn = onNotify;
            fn(msg);
        }
    }
    int Count(const std::wstring& type) const
    {
        int n = 0;
        for (const Note& note : notes)
            if (note.type == type)
                ++n;
        return n;
    }
    const Note* Last(const std::wstring& type) const
    {
        for (size_t i = notes.size(); i > 0; --i)
            if (notes[i - 1].type == type)
                return &notes[i - 1];
        return NULL;
    }
    std::vector<std::wstring> Types() const
    {
        std::vector<std::wstring> out;
        for (const Note& note : notes)
            out.push_back(note.type);
        return out;
    }
    std::vector<Note> notes;
    std::function<void(UINotify&)> onNotify;
};

// A top-level window whose messages go to its paint manager first. The X
// server's own pointer tracking (hover and leave notices caused by wherever
// the real pointer is) is kept out; tests send those messages themselves.
class ManagerWnd final : public CWindowWnd, public GuardedAlloc
{
public:
    ManagerWnd() {}
    ~ManagerWnd()
    {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }

    LPCTSTR GetWindowClassName() const override { return L"SkinUITest.ManagerWnd"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CREATE)
            pm.Init(m_hWnd);
        if ((uMsg == WM_MOUSEHOVER || uMsg == WM_MOUSELEAVE) && !m_bPassTracking)
            return 0;
        if (before) {
            LRESULT r = 0;
            std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> fn = before;
            if (fn(uMsg, wParam, lParam, r))
                return r;
        }
        LRESULT lRes = 0;
        if (pm.HandleWindowMessage(uMsg, wParam, lParam, lRes))
            return lRes;
        // Reached only while the object exists: a handled message returns
        // above even when the window went away meanwhile.
        unhandled.push_back(uMsg);
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    void OnWindowDestroyed(HWND hWnd) override
    {
        if (destroyedCount != NULL)
            ++*destroyedCount;
        if (deleteOnDestroy)
            delete this;
        (void)hWnd;
    }

    HWND Make(int x, int y, int cx, int cy, bool show)
    {
        HWND h = Create(NULL, L"manager test", WS_POPUP, 0, x, y, cx, cy);
        if (h != NULL && show) {
            ::ShowWindow(h, SW_SHOWNOACTIVATE);
            ::UpdateWindow(h);
        }
        return h;
    }

    // Sends a pointer-tracking notice as the system would.
    LRESULT SendTracking(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        m_bPassTracking = true;
        LRESULT r = ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
        m_bPassTracking = false;
        return r;
    }

    bool SawUnhandled(UINT uMsg) const
    {
        for (UINT m : unhandled)
            if (m == uMsg)
                return true;
        return false;
    }

    CUIManager pm;
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> before;
    std::vector<UINT> unhandled;
    bool deleteOnDestroy = false;
    int* destroyedCount = NULL;

private:
    bool m_bPassTracking = false;
};

inline LPARAM Pt(int x, int y)
{
    return MAKELPARAM(x, y);
}

inline RECT Rc(int l, int t, int r, int b)
{
    RECT rc = { l, t, r, b };
    return rc;
}

} // namespace mgrtest
