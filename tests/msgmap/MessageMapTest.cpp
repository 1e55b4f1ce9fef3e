// Notification message maps: entry lookup (control-name entries over
// type-only ones, the last type-only entry), dispatch along the chain of
// base maps, both handler signatures, sub-pumps of virtual windows, and real
// notifications of a live window reaching the window's handlers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UITestHost.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIMessageMap.h"
#include "UIWindow.h"

using namespace SkinUI;

namespace {

struct Call
{
    std::string handler;
    CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
};

// Something with state and a vtable in front of the pump, as a window class
// has, so that handlers are reached through a this-adjustment.
class FrontBase
{
public:
    virtual ~FrontBase() {}
    virtual int Tag() const { return 7; }
    int padding[5] = { 1, 2, 3, 4, 5 };
};

class BasePump : public FrontBase, public CNotifyPump
{
public:
    std::vector<Call> calls;
    const BasePump* self = this;

    // Like the window base's OnClick: virtual, reached through the map.
    virtual void OnClick(UINotify& msg) { Record("Base::OnClick", msg); }
    void OnBaseTimer(UINotify& msg) { Record("Base::OnTimer", msg); }
    void OnBaseMenu(UINotify& msg) { Record("Base::OnMenu", msg); }

protected:
    void Record(const char* name, const UINotify& msg)
    {
        // A wrong adjustment would show up here as a foreign object.
        EXPECT_EQ(self, this) << name;
        calls.push_back(Call{ name, msg.pSender, msg.wParam, msg.lParam });
    }
    void RecordParams(const char* name, WPARAM wParam, LPARAM lParam)
    {
        EXPECT_EQ(self, this) << name;
        calls.push_back(Call{ name, NULL, wParam, lParam });
    }

    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(BasePump, CNotifyPump)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
    UI_ON_MSGTYPE(UI_MSGTYPE_TIMER, OnBaseTimer)
    UI_ON_MSGTYPE(UI_MSGTYPE_MENU, OnBaseMenu)
UI_END_MESSAGE_MAP()

class DerivedPump : public BasePump
{
public:
    void OnAnyClick(UINotify& msg) { Record("Derived::OnAnyClick", msg); }
    void OnOk(UINotify& msg) { Record("Derived::OnOk", msg); }
    void OnListSelect(UINotify& msg) { Record("Derived::OnListSelect", msg); }
    void OnSelectFirst(UINotify& msg) { Record("Derived::OnSelectFirst", msg); }
    void OnSelectSecond(UINotify& msg) { Record("Derived::OnSelectSecond", msg); }
    void OnTextParams(WPARAM wParam, LPARAM lParam) { RecordParams("Derived::OnTextParams", wParam, lParam); }
    void OnEditFocus(WPARAM wParam, LPARAM lParam) { RecordParams("Derived::OnEditFocus", wParam, lParam); }
    void OnBadSignature(UINotify& msg) { Record("Derived::OnBadSignature", msg); }

    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(DerivedPump, BasePump)
    // type-only before the name entry ...
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnAnyClick)
    UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_CLICK, L"okbtn", OnOk)
    // ... and the name entry before two type-only ones
    UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_SELECTCHANGED, L"list", OnListSelect)
    UI_ON_MSGTYPE(UI_MSGTYPE_SELECTCHANGED, OnSelectFirst)
    UI_ON_MSGTYPE(UI_MSGTYPE_SELECTCHANGED, OnSelectSecond)
    UI_ON_MSGTYPE_PARAMS(UI_MSGTYPE_TEXTCHANGED, OnTextParams)
    UI_ON_MSGTYPE_CTRNAME_PARAMS(UI_MSGTYPE_SETFOCUS, L"edit", OnEditFocus)
    SkinUI::UIMsgMapEntry(UI_MSGTYPE_MENU, L"badsig", 7, static_cast<SkinUI::UIMsgNotifyFn>(&ThisClass::OnBadSignature)),
UI_END_MESSAGE_MAP()

// Overrides the base's click handler but has no "click" entry of its own.
class OverridingPump : public BasePump
{
public:
    void OnClick(UINotify& msg) override { Record("Overriding::OnClick", msg); }
    void OnKill(UINotify& msg) { Record("Overriding::OnKill", msg); }

    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(OverridingPump, BasePump)
    UI_ON_MSGTYPE(UI_MSGTYPE_KILLFOCUS, OnKill)
UI_END_MESSAGE_MAP()

UINotify MakeNotify(const wchar_t* type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0)
{
    UINotify msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

TEST(MessageMap, EntriesAreChosenByTypeNameAndOrder)
{
    CControlUI ok, other, list, edit, badsig, unnamed;
    ok.SetName(L"okbtn");
    other.SetName(L"cancelbtn");
    list.SetName(L"list");
    edit.SetName(L"edit");
    badsig.SetName(L"badsig");

    struct Case
    {
        const char* what;
        const wchar_t* type;
        CControlUI* sender;
        WPARAM wParam;
        LPARAM lParam;
        bool handled;
        const char* handler;   // NULL: no handler runs
    };
    const Case cases[] = {
        { "name entry beats an earlier type-only entry", L"click", &ok, 0, 0, true, "Derived::OnOk" },
        { "other controls get the type-only entry", L"click", &other, 0, 0, true, "Derived::OnAnyClick" },
        { "an unnamed control gets the type-only entry", L"click", &unnamed, 0, 0, true, "Derived::OnAnyClick" },
        { "no sender: type-only entries only", L"click", NULL, 0, 0, true, "Derived::OnAnyClick" },
        { "name entry beats later type-only entries", L"selectchanged", &list, 0, 0, true, "Derived::OnListSelect" },
        { "the last type-only entry wins", L"selectchanged", &other, 0, 0, true, "Derived::OnSelectSecond" },
        { "the last type-only entry wins, unnamed", L"selectchanged", &unnamed, 0, 0, true,
          "Derived::OnSelectSecond" },
        { "signature 1 gets wParam and lParam", L"textchanged", &edit, 0x1234, -77, true,
          "Derived::OnTextParams" },
        { "name-only entry, named sender", L"setfocus", &edit, 3, 4, true, "Derived::OnEditFocus" },
        { "name-only entry, other sender", L"setfocus", &other, 0, 0, false, NULL },
        { "name-only entry, no sender", L"setfocus", NULL, 0, 0, false, NULL },
        { "the base map handles what the derived map lacks", L"timer", &other, 9, 0, true, "Base::OnTimer" },
        { "a bad signature ends the dispatch", L"menu", &badsig, 0, 0, false, NULL },
        { "the base's menu entry for other senders", L"menu", &other, 0, 0, true, "Base::OnMenu" },
        { "types are case-sensitive", L"Click", &ok, 0, 0, false, NULL },
        { "unknown types are dropped", L"itemactivate", &ok, 0, 0, false, NULL },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DerivedPump pump;
        UINotify msg = MakeNotify(c.type, c.sender, c.wParam, c.lParam);
        EXPECT_EQ(c.handled, pump.DispatchByMap(msg));
        if (c.handler == NULL) {
            EXPECT_TRUE(pump.calls.empty()) << pump.calls.front().handler;
            continue;
        }
        ASSERT_EQ(1u, pump.calls.size());
        EXPECT_EQ(c.handler, pump.calls[0].handler);
        EXPECT_EQ(c.wParam, pump.calls[0].wParam);
        EXPECT_EQ(c.lParam, pump.calls[0].lParam);

        // RouteNotify without a virtual window is the same dispatch.
        DerivedPump routed;
        routed.RouteNotify(msg);
        ASSERT_EQ(1u, routed.calls.size());
        EXPECT_EQ(c.handler, routed.calls[0].handler);
    }
}

TEST(MessageMap, FindMapEntryReturnsTheChosenEntry)
{
    CControlUI ok;
    ok.SetName(L"okbtn");
    const UIMsgMapEntry* entries = DerivedPump::GetThisMessageMap()->lpEntries;
    UINotify msg = MakeNotify(L"click", &ok);
    const UIMsgMapEntry* e = CNotifyPump::FindMapEntry(entries, msg);
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ(L"okbtn", e->sCtrlName.GetData());
    EXPECT_EQ(UISigNotify, e->nSig);
    msg.sType = L"textchanged";
    e = CNotifyPump::FindMapEntry(entries, msg);
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(UISigParams, e->nSig);
    msg.sType = L"windowinit";
    EXPECT_EQ(nullptr, CNotifyPump::FindMapEntry(entries, msg));
    EXPECT_EQ(nullptr, CNotifyPump::FindMapEntry(NULL, msg));
}

TEST(MessageMap, MapsChainToTheirBases)
{
    const UIMsgMap* derived = DerivedPump::GetThisMessageMap();
    ASSERT_NE(nullptr, derived->pfnGetBaseMap);
    EXPECT_EQ(BasePump::GetThisMessageMap(), derived->pfnGetBaseMap());
    const UIMsgMap* base = BasePump::GetThisMessageMap();
    ASSERT_NE(nullptr, base->pfnGetBaseMap);
    const UIMsgMap* root = base->pfnGetBaseMap();
    EXPECT_EQ(CNotifyPump::GetThisMessageMap(), root);
    EXPECT_EQ(nullptr, root->pfnGetBaseMap);
    EXPECT_EQ(UISigEnd, root->lpEntries[0].nSig) << "the pump's own map is empty";

    DerivedPump pump;
    CNotifyPump* asPump = &pump;
    EXPECT_EQ(derived, asPump->GetMessageMap());
}

TEST(MessageMap, OverrideOfTheBaseHandlerRunsThroughTheBaseEntry)
{
    CControlUI ctrl;
    ctrl.SetName(L"closebtn");
    OverridingPump pump;
    UINotify click = MakeNotify(L"click", &ctrl);
    EXPECT_TRUE(pump.DispatchByMap(click));
    UINotify kill = MakeNotify(L"killfocus", &ctrl);
    EXPECT_TRUE(pump.DispatchByMap(kill));
    UINotify timer = MakeNotify(L"timer", &ctrl, 5);
    EXPECT_TRUE(pump.DispatchByMap(timer));
    ASSERT_EQ(3u, pump.calls.size());
    EXPECT_EQ("Overriding::OnClick", pump.calls[0].handler);
    EXPECT_EQ(&ctrl, pump.calls[0].sender);
    EXPECT_EQ("Overriding::OnKill", pump.calls[1].handler);
    EXPECT_EQ("Base::OnTimer", pump.calls[2].handler);
}

TEST(MessageMap, VirtualWindowsRouteToSubPumpsIgnoringCase)
{
    CControlUI ok;
    ok.SetName(L"okbtn");
    DerivedPump window;
    OverridingPump page;     // handles click, killfocus, timer, menu; not selectchanged
    EXPECT_TRUE(window.AddVirtualWnd(L"Page1", &page));
    EXPECT_FALSE(window.AddVirtualWnd(L"Page1", &page)) << "one pump per name";
    EXPECT_FALSE(window.AddVirtualWnd(L"", &page));
    EXPECT_FALSE(window.AddVirtualWnd(L"x", NULL));

    UINotify click = MakeNotify(L"click", &ok);
    click.sVirtualWnd = L"PAGE1";
    window.RouteNotify(click);
    ASSERT_EQ(1u, page.calls.size());
    EXPECT_EQ("Overriding::OnClick", page.calls[0].handler);
    EXPECT_TRUE(window.calls.empty()) << "a sub-pump that handles ends the routing";

    UINotify select = MakeNotify(L"selectchanged", &ok);
    select.sVirtualWnd = L"page1";
    window.RouteNotify(select);
    EXPECT_EQ(1u, page.calls.size());
    ASSERT_EQ(1u, window.calls.size()) << "unhandled by the sub-pump: the window's own maps";
    EXPECT_EQ("Derived::OnSelectSecond", window.calls[0].handler);

    UINotify elsewhere = MakeNotify(L"click", &ok);
    elsewhere.sVirtualWnd = L"page2";
    window.RouteNotify(elsewhere);
    EXPECT_EQ(1u, page.calls.size());
    ASSERT_EQ(2u, window.calls.size());
    EXPECT_EQ("Derived::OnOk", window.calls[1].handler);

    EXPECT_TRUE(window.RemoveVirtualWnd(L"Page1"));
    EXPECT_FALSE(window.RemoveVirtualWnd(L"Page1"));
    window.RouteNotify(click);
    EXPECT_EQ(1u, page.calls.size());
    EXPECT_EQ(3u, window.calls.size());
}

// ---------------------------------------------------------------------------
// A live window: the manager's notifications reach the window's map.
// ---------------------------------------------------------------------------

// Sends "click" when pressed and released over itself, as a button does.
class ClickProbe : public CControlUI
{
public:
    void HandleEvent(UIEvent& event) override
    {
        if (event.nKind == UIEventButtonUp && ::PtInRect(&m_rcItem, event.ptMouse) && m_pManager != NULL) {
            m_pManager->SendNotify(this, UI_MSGTYPE_CLICK);
            return;
        }
        CControlUI::HandleEvent(event);
    }
};

class PumpWindow : public testsupport::UITestHost, public CNotifyPump, public INotifyUI
{
public:
    std::vector<Call> calls;

    PumpWindow() : UITestHost(L"message maps") { pm.AddNotifier(this); }
    void Notify(UINotify& msg) override { RouteNotify(msg); }

    int Count(const char* handler) const
    {
        int n = 0;
        for (const Call& c : calls)
            n += c.handler == handler ? 1 : 0;
        return n;
    }

    void OnOk(UINotify& msg) { calls.push_back(Call{ "OnOk", msg.pSender, msg.wParam, msg.lParam }); }
    void OnAnyClick(UINotify& msg) { calls.push_back(Call{ "OnAnyClick", msg.pSender, msg.wParam, msg.lParam }); }
    void OnTimer(WPARAM wParam, LPARAM lParam) { calls.push_back(Call{ "OnTimer", NULL, wParam, lParam }); }
    void OnInit(UINotify& msg) { calls.push_back(Call{ "OnInit", msg.pSender, msg.wParam, msg.lParam }); }
    void OnFocus(UINotify& msg) { calls.push_back(Call{ "OnFocus", msg.pSender, msg.wParam, msg.lParam }); }

    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(PumpWindow, CNotifyPump)
    UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_CLICK, L"okbtn", OnOk)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnAnyClick)
    UI_ON_MSGTYPE_PARAMS(UI_MSGTYPE_TIMER, OnTimer)
    UI_ON_MSGTYPE(UI_MSGTYPE_WINDOWINIT, OnInit)
    UI_ON_MSGTYPE(UI_MSGTYPE_SETFOCUS, OnFocus)
UI_END_MESSAGE_MAP()

// A page of the window, registered as a virtual window's pump.
class PagePump : public CNotifyPump
{
public:
    std::vector<Call> calls;
    void OnClick(UINotify& msg) { calls.push_back(Call{ "Page::OnClick", msg.pSender, msg.wParam, msg.lParam }); }
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(PagePump, CNotifyPump)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
UI_END_MESSAGE_MAP()

class LiveWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        ASSERT_NE(nullptr, wnd.Create(NULL, L"message maps", WS_POPUP, 0, 0, 0, 300, 200));
        root = new CContainerUI;
        ok = MakeProbe(L"okbtn", 10, 10);
        other = MakeProbe(L"", 120, 10);
        ASSERT_TRUE(wnd.pm.AttachRoot(root));
        ::ShowWindow(wnd.GetHWND(), SW_SHOWNOACTIVATE);
        ::InvalidateRect(wnd.GetHWND(), NULL, FALSE);
        ::UpdateWindow(wnd.GetHWND());
    }
    ClickProbe* MakeProbe(const wchar_t* name, int x, int y)
    {
        ClickProbe* p = new ClickProbe;
        p->SetName(name);
        p->SetFloat(true);
        p->SetFloatOffset(x, y);
        p->SetFixedWidth(100);
        p->SetFixedHeight(40);
        root->Add(p);
        return p;
    }
    void Click(int x, int y)
    {
        ::SendMessageW(wnd.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(wnd.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    PumpWindow wnd;
    CContainerUI* root = nullptr;
    ClickProbe* ok = nullptr;
    ClickProbe* other = nullptr;
};

TEST_F(LiveWindowTest, WindowInitAndClicksReachTheirHandlers)
{
    ASSERT_EQ(1, wnd.Count("OnInit")) << "windowinit after the first layout";
    EXPECT_EQ(root, wnd.calls[0].sender);

    Click(20, 20);
    Click(130, 20);
    ASSERT_EQ(1, wnd.Count("OnOk"));
    ASSERT_EQ(1, wnd.Count("OnAnyClick"));
    for (const Call& c : wnd.calls) {
        if (c.handler == "OnOk") {
            EXPECT_EQ(ok, c.sender);
        }
        if (c.handler == "OnAnyClick") {
            EXPECT_EQ(other, c.sender);
        }
    }
    EXPECT_GE(wnd.Count("OnFocus"), 1) << "pressing gives the focus, which is notified";

    ::InvalidateRect(wnd.GetHWND(), NULL, FALSE);
    ::UpdateWindow(wnd.GetHWND());
    EXPECT_EQ(1, wnd.Count("OnInit")) << "once per root";
}

TEST_F(LiveWindowTest, ControlTimerArrivesAsParamsHandler)
{
    ASSERT_TRUE(wnd.pm.SetTimer(other, 5, 10));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return wnd.Count("OnTimer") > 0; }, 3000));
    wnd.pm.KillTimer(other, 5);
    ASSERT_GE(wnd.Count("OnTimer"), 1);
    for (const Call& c : wnd.calls) {
        if (c.handler == "OnTimer") {
            EXPECT_EQ(5u, c.wParam) << "the caller's timer id";
            EXPECT_EQ(0, c.lParam);
        }
    }
}

TEST_F(LiveWindowTest, QueuedClickOfADeletedSenderReachesOnlyTypeOnlyEntries)
{
    wnd.pm.SendNotify(ok, UI_MSGTYPE_CLICK, 1, 2, true);
    EXPECT_EQ(0, wnd.Count("OnOk") + wnd.Count("OnAnyClick")) << "queued, not yet delivered";
    root->SetDelayedDestroy(false);
    ASSERT_TRUE(root->Remove(ok));   // deleted at once
    ok = nullptr;
    ::SendMessageW(wnd.GetHWND(), WM_NULL, 0, 0);   // the next message drains the queue
    EXPECT_EQ(0, wnd.Count("OnOk"));
    ASSERT_EQ(1, wnd.Count("OnAnyClick"));
    for (const Call& c : wnd.calls) {
        if (c.handler == "OnAnyClick") {
            EXPECT_EQ(nullptr, c.sender);
            EXPECT_EQ(1u, c.wParam);
            EXPECT_EQ(2, c.lParam);
        }
    }
}

TEST_F(LiveWindowTest, VirtualWindowClicksGoToTheSubPump)
{
    PagePump page;
    ASSERT_TRUE(wnd.AddVirtualWnd(L"settings", &page));
    other->SetVirtualWindow(L"Settings");
    Click(130, 20);
    ASSERT_EQ(1u, page.calls.size());
    EXPECT_EQ(other, page.calls[0].sender);
    EXPECT_EQ(0, wnd.Count("OnAnyClick"));
    Click(20, 20);   // not in the virtual window
    EXPECT_EQ(1u, page.calls.size());
    EXPECT_EQ(1, wnd.Count("OnOk"));
    wnd.RemoveVirtualWnd(L"settings");
}

}  // namespace
