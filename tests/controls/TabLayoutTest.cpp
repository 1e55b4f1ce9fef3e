// The tab layout: which page is selected and shown as pages are added,
// inserted and removed, "tabselect" notifications, the page rectangle, and
// "selectedid".
#include "ControlsTestUtil.h"

using namespace SkinUI;
using namespace ctltest;

namespace {

TEST(TabLayoutNames, ClassNameAndInterfaces)
{
    CTabLayoutUI tab;
    EXPECT_STREQ(L"TabLayoutUI", tab.GetClassName());
    EXPECT_EQ(static_cast<void*>(&tab), tab.GetInterface(L"TabLayout"));
    EXPECT_EQ(static_cast<void*>(static_cast<CContainerUI*>(&tab)), tab.GetInterface(L"Container"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&tab)), tab.GetInterface(L"Control"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&tab)), tab.GetInterface(L"IContainer"));
    EXPECT_EQ(nullptr, tab.GetInterface(L"VerticalLayout"));
    EXPECT_EQ(-1, tab.GetCurSel());
}

class TabLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(100, 100));
        tab = new CTabLayoutUI;
        ASSERT_TRUE(host.pm.AttachRoot(tab));
        host.pm.AddNotifier(&rec);
    }
    CControlUI* Page(const wchar_t* name)
    {
        CControlUI* page = new CControlUI;
        page->SetName(name);
        return page;
    }
    // "v" for a visible page, "-" for a hidden one, in child order.
    std::string Shown() const
    {
        std::string s;
        for (int i = 0; i < tab->GetCount(); ++i)
            s += tab->GetItemAt(i)->IsVisible() ? 'v' : '-';
        return s;
    }

    HostWindow host;
    Recorder rec{ { L"tabselect" } };
    CTabLayoutUI* tab = nullptr;
};

TEST_F(TabLayoutTest, FirstVisiblePageIsSelectedSilently)
{
    CControlUI* p0 = Page(L"p0");
    tab->Add(p0);
    tab->Add(Page(L"p1"));
    tab->Add(Page(L"p2"));
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_EQ("v--", Shown());
    EXPECT_TRUE(rec.items.empty());

    // A hidden first page is not selected; the next visible one is.
    CTabLayoutUI other;
    CControlUI* hidden = new CControlUI;
    hidden->SetVisible(false);
    other.Add(hidden);
    EXPECT_EQ(-1, other.GetCurSel());
    other.Add(new CControlUI);
    EXPECT_EQ(1, other.GetCurSel());
    EXPECT_FALSE(tab->Add(NULL));
}

TEST_F(TabLayoutTest, InsertingBeforeTheSelectionKeepsTheSamePageShown)
{
    CControlUI* p0 = Page(L"p0");
    tab->Add(p0);
    tab->Add(Page(L"p1"));
    ASSERT_TRUE(tab->AddAt(Page(L"new0"), 0));
    EXPECT_EQ(1, tab->GetCurSel());
    EXPECT_EQ(p0, tab->GetItemAt(1));
    EXPECT_EQ("-v-", Shown());
    ASSERT_TRUE(tab->AddAt(Page(L"after"), 3));
    EXPECT_EQ(1, tab->GetCurSel());
    EXPECT_EQ("-v--", Shown());
    ASSERT_TRUE(tab->AddAt(Page(L"at"), 1));   // at the selection
    EXPECT_EQ(2, tab->GetCurSel());
    EXPECT_EQ(p0, tab->GetItemAt(2));
    EXPECT_EQ("--v--", Shown());
    CControlUI* beyond = Page(L"beyond");
    EXPECT_FALSE(tab->AddAt(beyond, 99));
    EXPECT_EQ(2, tab->GetCurSel());
    delete beyond;
    EXPECT_TRUE(rec.items.empty());
}

TEST_F(TabLayoutTest, SelectItemShowsOnePageAndNotifies)
{
    tab->Add(Page(L"p0"));
    tab->Add(Page(L"p1"));
    tab->Add(Page(L"p2"));
    host.Update();

    EXPECT_FALSE(tab->SelectItem(5));
    EXPECT_FALSE(tab->SelectItem(-1));
    EXPECT_TRUE(tab->SelectItem(0));
    EXPECT_TRUE(rec.items.empty());
    EXPECT_EQ("v--", Shown());

    EXPECT_TRUE(tab->SelectItem(2));
    EXPECT_EQ(2, tab->GetCurSel());
    EXPECT_EQ("--v", Shown());
    ASSERT_EQ(1u, rec.items.size());
    EXPECT_EQ(tab, rec.items[0].sender);
    EXPECT_EQ(2u, rec.items[0].wParam);
    EXPECT_EQ(0, rec.items[0].lParam);

    // After the next layout the page fills the tab layout.
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 100, 100), tab->GetItemAt(2)->GetPos());
}

TEST_F(TabLayoutTest, FirstSelectionReportsMinusOneAsThePrevious)
{
    CTabLayoutUI* inner = new CTabLayoutUI;
    CControlUI* hidden = Page(L"h");
    hidden->SetVisible(false);
    inner->Add(hidden);
    tab->Add(inner);
    ASSERT_EQ(-1, inner->GetCurSel());
    EXPECT_TRUE(inner->SelectItem(0));
    ASSERT_EQ(1u, rec.items.size());
    EXPECT_EQ(0u, rec.items[0].wParam);
    EXPECT_EQ(-1, rec.items[0].lParam);
    EXPECT_TRUE(hidden->IsVisible());
}

TEST_F(TabLayoutTest, RemovingPagesMovesTheSelection)
{
    tab->SetDelayedDestroy(false);
    CControlUI* p0 = Page(L"p0");
    CControlUI* p1 = Page(L"p1");
    tab->Add(p0);
    tab->Add(p1);
    ASSERT_TRUE(tab->SelectItem(1));
    rec.Clear();
    // The selected last page of two: page 0 becomes selected and visible.
    ASSERT_TRUE(tab->Remove(p1));
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_EQ("v", Shown());
    EXPECT_TRUE(rec.items.empty());

    // Removing a page before the selection: the same page stays selected.
    CControlUI* q1 = Page(L"q1");
    CControlUI* q2 = Page(L"q2");
    tab->Add(q1);
    tab->Add(q2);
    ASSERT_TRUE(tab->SelectItem(2));
    ASSERT_TRUE(tab->Remove(tab->GetItemAt(0)));
    EXPECT_EQ(1, tab->GetCurSel());
    EXPECT_EQ(q2, tab->GetItemAt(1));
    // RemoveAt goes through the same bookkeeping.
    ASSERT_TRUE(tab->RemoveAt(1));
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_EQ("v", Shown());
    // Removing after the selection changes nothing; the last page leaves -1.
    ASSERT_TRUE(tab->Remove(tab->GetItemAt(0)));
    EXPECT_EQ(-1, tab->GetCurSel());
    EXPECT_FALSE(tab->Remove(NULL));

    tab->Add(Page(L"r0"));
    tab->Add(Page(L"r1"));
    tab->RemoveAll();
    EXPECT_EQ(-1, tab->GetCurSel());
    EXPECT_EQ(0, tab->GetCount());
    CControlUI* s0 = Page(L"s0");
    tab->Add(s0);
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_TRUE(s0->IsVisible());
}

TEST_F(TabLayoutTest, SelectedPageFillsTheClientRectInsideItsPadding)
{
    CControlUI* page = Page(L"p");
    page->SetPadding(CUIRect(5, 5, 5, 5));
    tab->Add(page);
    CControlUI* hidden = Page(L"other");
    tab->Add(hidden);
    host.Update();
    EXPECT_RECT(CUIRect(5, 5, 95, 95), page->GetPos());
    EXPECT_RECT(CUIRect(0, 0, 0, 0), hidden->GetPos());

    // A measured size and the limits apply; the inset shrinks the client rect.
    page->SetFixedWidth(30);
    page->SetMaxHeight(50);
    tab->SetInset(CUIRect(10, 0, 0, 0));
    host.Update();
    EXPECT_RECT(CUIRect(15, 5, 45, 55), page->GetPos());
}

TEST_F(TabLayoutTest, SelectedIdAttributeSelectsAnExistingPage)
{
    tab->Add(Page(L"p0"));
    tab->Add(Page(L"p1"));
    tab->SetAttribute(L"selectedid", L"1");
    EXPECT_EQ(1, tab->GetCurSel());
    EXPECT_EQ("-v", Shown());
    tab->SetAttribute(L"selectedid", L"7");
    EXPECT_EQ(1, tab->GetCurSel());
    // The container's attributes still apply.
    tab->SetAttribute(L"inset", L"1,2,3,4");
    EXPECT_RECT(CUIRect(1, 2, 3, 4), tab->GetInset());
}

TEST_F(TabLayoutTest, SelectingFocusesIntoThePage)
{
    CButtonUI* first = new CButtonUI;
    first->SetName(L"first");
    CContainerUI* page1 = new CContainerUI;
    CButtonUI* inPage = new CButtonUI;
    inPage->SetName(L"inpage");
    page1->Add(inPage);
    tab->Add(first);
    tab->Add(page1);
    host.Update();
    ASSERT_TRUE(tab->SelectItem(1));
    host.Update();   // the move to the next tab stop waits for the layout
    // The page is focused, then the focus moves on to the next tab stop:
    // the page's button (the hidden first page is no tab stop).
    EXPECT_EQ(inPage, host.pm.GetFocus());
}

} // namespace
