// The paint manager driving a tree of real controls and containers: layout
// and painting (through the offscreen buffer after the first picture), resizing, notifications the
// control base sends, focus, and controls that remove themselves from their
// own handlers.
#include "ManagerFixture.h"

#include <string>
#include <vector>

#include "UIContainer.h"
#include "UIDelegate.h"

using namespace SkinUI;
using namespace mgrtest;
using testsupport::Canvas;
using testsupport::ColorText;

namespace {

// A real control that logs its events and its deletion. The hook runs before
// the control base's own handling; true skips it (for a hook that deleted
// the control).
class CLoggedUI : public CControlUI, public GuardedAlloc
{
public:
    CLoggedUI(Journal* journal, const wchar_t* name) : m_journal(journal) { SetName(name); }
    ~CLoggedUI() override { m_journal->deleted.push_back(m_sName.GetData()); }
    UINT GetInputFlags() const override { return inputFlags; }
    void DispatchEvent(UIEvent& event) override
    {
        Journal::Event e = { m_sName.GetData(), event };
        m_journal->events.push_back(e);
        if (onEvent) {
            std::function<bool(CLoggedUI*, UIEvent&)> fn = onEvent;
            if (fn(this, event))
                return;
        }
        CControlUI::DispatchEvent(event);
    }
    UINT inputFlags = 0;
    std::function<bool(CLoggedUI*, UIEvent&)> onEvent;

private:
    Journal* m_journal;
};

class CLoggedContainerUI : public CContainerUI, public GuardedAlloc
{
public:
    CLoggedContainerUI(Journal* journal, const wchar_t* name) : m_journal(journal) { SetName(name); }
    ~CLoggedContainerUI() override { m_journal->deleted.push_back(m_sName.GetData()); }

private:
    Journal* m_journal;
};

// Counts how often a control's size handlers run and can ask for its
// parent's layout again each time.
class SizeHook
{
public:
    bool OnSize(void* param)
    {
        ++calls;
        if (askAgain)
            static_cast<CControlUI*>(param)->RequestParentLayout();
        return true;
    }
    int calls = 0;
    bool askAgain = false;
};

class ManagerRealTreeTest : public ManagerTest
{
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        root = new CLoggedContainerUI(&j, L"root");
        root->ApplyAttributes(L"bkcolor=\"#FFFF0000\" inset=\"10,10,10,10\"");
        fill = new CLoggedUI(&j, L"fill");
        fill->ApplyAttributes(L"bkcolor=\"#FF00FF00\"");
        box = new CLoggedUI(&j, L"box");
        box->ApplyAttributes(L"float=\"true\" pos=\"20,20,60,60\" bkcolor=\"#FF0000FF\"");
        ASSERT_TRUE(root->Add(fill));
        ASSERT_TRUE(root->Add(box));
        ASSERT_TRUE(pm().AttachRoot(root));
        pm().SetBackgroundTransparent(true); // as every skinned window has it
    }
    CLoggedContainerUI* root = NULL;
    CLoggedUI* fill = NULL;
    CLoggedUI* box = NULL;
};

TEST_F(ManagerRealTreeTest, PaintLaysOutTheTreeAndResizingLaysItOutAgain)
{
    ShowAndPaint();
    ASSERT_EQ(1, rec.Count(L"windowinit"));
    EXPECT_EQ(root, rec.Last(L"windowinit")->sender);
    EXPECT_EQ(kW, root->GetPos().right);
    EXPECT_EQ(10, fill->GetPos().left);
    EXPECT_EQ(kW - 10, fill->GetPos().right);
    EXPECT_EQ(20, box->GetPos().left);
    EXPECT_EQ(60, box->GetPos().bottom);

    Canvas canvas(kW, kH);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(0xFF0000u, Rgb(canvas.Pixel(3, 3))) << ColorText(canvas.Pixel(3, 3));
    EXPECT_EQ(0x00FF00u, Rgb(canvas.Pixel(15, 15))) << ColorText(canvas.Pixel(15, 15));
    EXPECT_EQ(0x0000FFu, Rgb(canvas.Pixel(30, 30))) << ColorText(canvas.Pixel(30, 30));
    EXPECT_EQ(0x00FF00u, Rgb(canvas.Pixel(kW - 11, kH - 11)));
    canvas.DumpIfFailed("manager_tree_first");

    // The window grows: WM_SIZE asks the root for layout, the next paint
    // gives it the new client area with buffers of the new size.
    SetWindowPos(hwnd, NULL, 0, 0, 260, 180, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(hwnd);
    EXPECT_EQ(260, root->GetPos().right);
    EXPECT_EQ(250, fill->GetPos().right);
    EXPECT_EQ(170, fill->GetPos().bottom);
    EXPECT_EQ(1, rec.Count(L"windowinit"));
    Canvas big(260, 180);
    ASSERT_TRUE(big.CaptureWindow(hwnd));
    EXPECT_EQ(0xFF0000u, Rgb(big.Pixel(255, 175))) << ColorText(big.Pixel(255, 175));
    EXPECT_EQ(0x00FF00u, Rgb(big.Pixel(245, 165))) << ColorText(big.Pixel(245, 165));
    big.DumpIfFailed("manager_tree_resized");
}

// A control that notes the kind of DC each of its paints gets: the window's
// own (OBJ_DC) or the paint buffer (OBJ_MEMDC).
class CDcKindUI : public CControlUI
{
public:
    void Paint(HDC hDC, const RECT& rcPaint) override
    {
        kinds.push_back(::GetObjectType(hDC));
        CControlUI::Paint(hDC, rcPaint);
    }
    std::vector<DWORD> kinds;
};

TEST_F(ManagerRealTreeTest, AnOpaqueRootsFirstPictureGoesToTheWindowLaterOnesThroughTheBuffer)
{
    CDcKindUI* probe = new CDcKindUI;
    probe->ApplyAttributes(L"float=\"true\" pos=\"100,20,140,60\" bkcolor=\"#FFFFFF00\"");
    ASSERT_TRUE(root->Add(probe));
    ShowAndPaint();
    ASSERT_EQ(1u, probe->kinds.size());
    EXPECT_EQ(static_cast<DWORD>(OBJ_DC), probe->kinds[0]) << "the first picture, straight to the window";
    Canvas canvas(kW, kH);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(0xFF0000u, Rgb(canvas.Pixel(3, 3))) << ColorText(canvas.Pixel(3, 3));
    EXPECT_EQ(0x0000FFu, Rgb(canvas.Pixel(30, 30))) << ColorText(canvas.Pixel(30, 30));
    EXPECT_EQ(0xFFFF00u, Rgb(canvas.Pixel(120, 40))) << ColorText(canvas.Pixel(120, 40));
    canvas.DumpIfFailed("manager_tree_first_direct");

    Repaint();
    ASSERT_GE(probe->kinds.size(), 2u);
    for (size_t i = 1; i < probe->kinds.size(); ++i)
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), probe->kinds[i]) << "later pictures go through the buffer";
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(0xFF0000u, Rgb(canvas.Pixel(3, 3))) << ColorText(canvas.Pixel(3, 3));
    EXPECT_EQ(0xFFFF00u, Rgb(canvas.Pixel(120, 40))) << ColorText(canvas.Pixel(120, 40));
}

// The snapshot of what lies behind the controls is taken the first time
// something can show through, not while an opaque root covers everything.
TEST_F(ManagerRealTreeTest, NoBackgroundSnapshotWhileTheRootIsOpaque)
{
    ShowAndPaint();
    Repaint();
    FillWindowSurface(hwnd, RGB(255, 255, 0));
    root->ApplyAttributes(L"bkcolor=\"#00000000\"");
    Repaint();
    Canvas canvas(kW, kH);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_EQ(0xFFFF00u, Rgb(canvas.Pixel(3, 3))) << "what lay behind once the root let it through: "
                                                  << ColorText(canvas.Pixel(3, 3));
    EXPECT_EQ(0x00FF00u, Rgb(canvas.Pixel(15, 15))) << ColorText(canvas.Pixel(15, 15));
    canvas.DumpIfFailed("manager_tree_late_background");
}

TEST_F(ManagerRealTreeTest, ControlRemovedFromItsOwnHandler)
{
    struct Case
    {
        bool delayed;
        const char* name;
    };
    const Case cases[] = { { true, "delayed deletion (the default)" }, { false, "deleted at once" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLoggedUI* self = new CLoggedUI(&j, L"self");
        self->ApplyAttributes(L"float=\"true\" pos=\"100,20,150,60\"");
        ASSERT_TRUE(root->Add(self));
        root->SetDelayedDestroy(c.delayed);
        ShowAndPaint();
        j.deleted.clear();
        bool aliveAtEndOfHandler = false;
        self->onEvent = [&](CLoggedUI* me, UIEvent& ev) {
            if (ev.nKind != UIEventButtonUp)
                return false;
            EXPECT_TRUE(root->Remove(me));
            aliveAtEndOfHandler = j.DeletedCount(L"self") == 0;
            return !aliveAtEndOfHandler; // a deleted control does no more
        };
        Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(110, 30));
        ASSERT_EQ(self, pm().GetFocus());
        Send(WM_LBUTTONUP, 0, Pt(110, 30));
        EXPECT_EQ(2, root->GetCount()) << "out of the list at once";
        EXPECT_EQ(c.delayed, aliveAtEndOfHandler);
        if (c.delayed) {
            EXPECT_EQ(0, j.DeletedCount(L"self"));
            PostAndPump(WM_NULL);
        }
        EXPECT_EQ(1, j.DeletedCount(L"self"));
        EXPECT_TRUE(pm().FindControlByName(L"self") == NULL);
        EXPECT_TRUE(pm().GetFocus() == NULL);
        // The manager holds nothing of it any more.
        Send(WM_MOUSEMOVE, 0, Pt(120, 30));
        Send(WM_LBUTTONDOWN, MK_LBUTTON, Pt(120, 30));
        Send(WM_LBUTTONUP, 0, Pt(120, 30));
        Repaint();
        EXPECT_EQ(fill, pm().GetFocus());
    }
}

TEST_F(ManagerRealTreeTest, TimerAndMenuNotificationsOfTheControlBase)
{
    ShowAndPaint();
    ASSERT_TRUE(pm().SetTimer(fill, 3, 60000));
    Send(WM_TIMER, 17);
    const Note* timer = rec.Last(L"timer");
    ASSERT_TRUE(timer != NULL);
    EXPECT_EQ(fill, timer->sender);
    EXPECT_EQ(3u, timer->wParam) << "the caller's id";

    fill->SetContextMenuEnabled(true);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, Pt(100, 100));
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), ScreenLParam(100, 100));
    const Note* menu = rec.Last(L"menu");
    ASSERT_TRUE(menu != NULL);
    EXPECT_EQ(fill, menu->sender);
    EXPECT_EQ(reinterpret_cast<LPARAM>(fill), menu->lParam);
}

TEST_F(ManagerRealTreeTest, SizeHandlerThatKeepsAskingForLayoutDoesNotHang)
{
    SizeHook hook;
    fill->SizeHandlers.AddHandler(CDelegate<SizeHook, SizeHook>(&hook, &SizeHook::OnSize));
    ShowAndPaint();
    ASSERT_EQ(1, hook.calls);

    // The control asks for layout; its size handler asks for the parent's,
    // whose layout places the control again, and so on without end.
    hook.askAgain = true;
    hook.calls = 0;
    fill->RequestLayout();
    UpdateWindow(hwnd);
    EXPECT_EQ(2, hook.calls) << "the control, then its parent: each once in the pass";
    RECT rcUpdate;
    EXPECT_TRUE(GetUpdateRect(hwnd, &rcUpdate, FALSE)) << "the next paint carries on";
    UpdateWindow(hwnd);
    EXPECT_EQ(3, hook.calls);

    hook.askAgain = false;
    UpdateWindow(hwnd);
    EXPECT_EQ(4, hook.calls);
    EXPECT_FALSE(GetUpdateRect(hwnd, &rcUpdate, FALSE)) << "settled";
}

TEST_F(ManagerRealTreeTest, FocusFollowsVisibilityAndTabStops)
{
    CLoggedUI* second = new CLoggedUI(&j, L"second");
    second->ApplyAttributes(L"float=\"true\" pos=\"100,20,150,60\"");
    ASSERT_TRUE(root->Add(second));
    fill->inputFlags = TabStop;
    second->inputFlags = TabStop;
    ShowAndPaint();
    EXPECT_EQ(fill, pm().GetFocus()) << "the first tab stop of the new root";
    EXPECT_TRUE(fill->IsFocused());

    EXPECT_TRUE(pm().FocusNextTabStop(true));
    EXPECT_EQ(second, pm().GetFocus());
    rec.notes.clear();
    second->SetVisible(false);
    EXPECT_TRUE(pm().GetFocus() == NULL) << "a hidden control loses the focus";
    EXPECT_EQ(1, rec.Count(L"killfocus"));
    UpdateWindow(hwnd);
    EXPECT_TRUE(pm().FocusNextTabStop(true));
    EXPECT_EQ(fill, pm().GetFocus());
    EXPECT_TRUE(pm().FocusNextTabStop(true));
    EXPECT_EQ(fill, pm().GetFocus()) << "the hidden control is no tab stop";
}

TEST_F(ManagerRealTreeTest, NamesOfNestedContainers)
{
    CLoggedContainerUI* inner = new CLoggedContainerUI(&j, L"inner");
    CLoggedUI* deep = new CLoggedUI(&j, L"deep");
    CLoggedUI* twin1 = new CLoggedUI(&j, L"twin");
    CLoggedUI* twin2 = new CLoggedUI(&j, L"twin");
    ASSERT_TRUE(inner->Add(deep));
    ASSERT_TRUE(inner->Add(twin1));
    ASSERT_TRUE(root->Add(inner));
    ASSERT_TRUE(root->Add(twin2));
    EXPECT_EQ(deep, pm().FindControlByName(L"deep"));
    EXPECT_EQ(&pm(), deep->GetManager());
    EXPECT_EQ(inner, deep->GetParent());
    EXPECT_EQ(twin2, pm().FindControlByName(L"twin"));

    // Removing the later twin leaves no entry; the earlier one is not mapped
    // again until the tree is named anew.
    ASSERT_TRUE(root->Remove(twin2));
    PostAndPump(WM_NULL);
    EXPECT_EQ(1, j.DeletedCount(L"twin"));
    EXPECT_TRUE(pm().FindControlByName(L"twin") == NULL);
    ASSERT_TRUE(pm().InitControls(root));
    EXPECT_EQ(twin1, pm().FindControlByName(L"twin"));

    // A whole subtree goes with the cleanup.
    ASSERT_TRUE(root->Remove(inner));
    EXPECT_EQ(deep, pm().FindControlByName(L"deep")) << "alive until the cleanup message";
    PostAndPump(WM_NULL);
    EXPECT_EQ(1, j.DeletedCount(L"inner"));
    EXPECT_EQ(1, j.DeletedCount(L"deep"));
    EXPECT_TRUE(pm().FindControlByName(L"deep") == NULL);
}

} // namespace
