// The tree view: nested nodes from the layout in display order with their
// indents, folding and checking of subtrees through the nodes' boxes, double
// clicks, inserting and removing subtrees, and the node links that must stay
// sound when nodes go (parents, children, the last subtree).
#include "ListsTestUtil.h"

#include "UILabel.h"
#include "UIOption.h"

using namespace SkinUI;
using namespace listtest;

namespace {

typedef std::vector<std::string> Seq;

// A node of another class name, to see how names are compared.
class NamedNode : public CTreeNodeUI
{
public:
    explicit NamedNode(const wchar_t* className, CTreeNodeUI* parent = NULL)
        : CTreeNodeUI(parent), m_class(className)
    {
    }
    LPCTSTR GetClassName() const override { return m_class; }

private:
    const wchar_t* m_class;
};

class TreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(300, 300));
        host.pm.AddNotifier(&rec);
        tree = static_cast<CTreeViewUI*>(host.Build(
            L"<Window><TreeView name=\"tree\" bkcolor=\"#FFFFFFFF\" visiblecheckbtn=\"true\" "
            L"itemtextcolor=\"#FF204080\">"
            L"<TreeNode name=\"A\" text=\"A\">"
            L"<TreeNode name=\"A1\" text=\"A1\"><TreeNode name=\"A1a\" text=\"A1a\"/><TreeNode name=\"A1b\" text=\"A1b\"/>"
            L"</TreeNode><TreeNode name=\"A2\" text=\"A2\"/></TreeNode>"
            L"<TreeNode name=\"B\" text=\"B\"/></TreeView></Window>"));
        ASSERT_NE(nullptr, tree);
    }
    CTreeNodeUI* N(const wchar_t* name) { return host.Find<CTreeNodeUI>(name); }
    // The names of the tree's items in list order, hidden ones in brackets.
    std::string Items()
    {
        std::string s;
        for (int i = 0; i < tree->GetCount(); ++i) {
            CControlUI* c = tree->GetItemAt(i);
            std::string name = testsupport::Narrow(c->GetName().GetData());
            if (name.empty())
                name = testsupport::Narrow(static_cast<CTreeNodeUI*>(c->GetInterface(L"TreeNode"))->GetItemText().GetData());
            s += (s.empty() ? "" : " ") + (c->IsVisible() ? name : "(" + name + ")");
        }
        return s;
    }
    CTreeNodeUI* NewNode(const wchar_t* text)
    {
        CTreeNodeUI* node = new CTreeNodeUI;
        node->SetAttribute(L"text", text);
        return node;
    }

    HostWindow host;
    Recorder rec{ { L"itemdbclick", L"itemactivate", L"selectchanged", L"itemselect" } };
    CTreeViewUI* tree = nullptr;
};

TEST_F(TreeTest, NestedNodesFromTheLayoutAreListedInDisplayOrderWithIndents)
{
    EXPECT_EQ("A A1 A1a A1b A2 B", Items());
    struct Indent
    {
        const wchar_t* node;
        int width;
        bool shown;
        int children;
    } indents[] = {
        { L"A", 2, false, 2 }, { L"A1", 18, true, 2 }, { L"A1a", 34, true, 0 },
        { L"A1b", 34, true, 0 }, { L"A2", 18, true, 0 }, { L"B", 2, false, 0 },
    };
    for (const Indent& in : indents) {
        SCOPED_TRACE(testsupport::Narrow(in.node));
        CTreeNodeUI* node = N(in.node);
        ASSERT_NE(nullptr, node);
        EXPECT_EQ(in.width, node->GetDottedLine()->GetFixedWidth());
        EXPECT_EQ(in.shown, node->GetDottedLine()->IsVisible());
        EXPECT_EQ(in.children, node->GetChildCount());
        EXPECT_EQ(tree, node->GetTreeView());
        EXPECT_EQ(18, node->GetHeight());
        EXPECT_STREQ(in.node, node->GetItemText().GetData());
        // The tree's settings reached every node.
        EXPECT_TRUE(node->GetCheckBox()->IsVisible());
        EXPECT_TRUE(node->GetFolderButton()->IsVisible());
        EXPECT_EQ(0xFF204080u, node->GetItemTextColor());
    }
    EXPECT_EQ(N(L"A"), N(L"A1")->GetParentNode());
    EXPECT_EQ(N(L"A2"), N(L"A")->GetLastNode());
    EXPECT_EQ(N(L"A1b"), N(L"A1")->GetLastNode());
    EXPECT_EQ(3, N(L"A1b")->GetTreeIndex());
    // The tree's own colour names do not reach the list's item style.
    EXPECT_EQ(0xFF000000u, tree->GetListInfo()->dwTextColor);
    host.Keep("tree_built");
}

TEST_F(TreeTest, FoldersHideDescendantsAndKeepCollapsedSubtrees)
{
    N(L"A1")->GetFolderButton()->SetSelected(true);
    EXPECT_EQ("A A1 (A1a) (A1b) A2 B", Items());
    EXPECT_FALSE(N(L"A1")->IsExpandedNode());
    N(L"A")->GetFolderButton()->SetSelected(true);
    EXPECT_EQ("A (A1) (A1a) (A1b) (A2) B", Items());
    N(L"A")->GetFolderButton()->SetSelected(false);
    EXPECT_EQ("A A1 (A1a) (A1b) A2 B", Items());
    N(L"A1")->GetFolderButton()->SetSelected(false);
    EXPECT_EQ("A A1 A1a A1b A2 B", Items());
    host.Update();
    EXPECT_EQ(5 * 18, N(L"B")->GetPos().top);
}

TEST_F(TreeTest, ADoubleClickTogglesTheFolderAndStillReachesTheWindow)
{
    host.Update();
    rec.Clear();
    const POINT pt = Center(N(L"A")->GetPos());
    host.Mouse(WM_LBUTTONDBLCLK, pt.x + 60, pt.y, MK_LBUTTON);
    host.Release(pt.x + 60, pt.y);
    std::vector<std::wstring> types;
    for (const Recorder::Item& it : rec.items)
        types.push_back(it.type);
    EXPECT_EQ((std::vector<std::wstring>{ L"itemactivate", L"selectchanged", L"itemdbclick" }), types);
    EXPECT_TRUE(N(L"A")->GetFolderButton()->IsSelected());
    EXPECT_EQ("A (A1) (A1a) (A1b) (A2) B", Items());

    UIEvent dbl = MakeEvent(UIEventDoubleClick, pt);
    N(L"A")->HandleEvent(dbl);
    EXPECT_EQ("A A1 A1a A1b A2 B", Items());
}

TEST_F(TreeTest, CheckingANodeChecksItsDescendantsOnly)
{
    N(L"A1")->GetCheckBox()->SetSelected(true);
    EXPECT_TRUE(N(L"A1a")->GetCheckBox()->IsSelected());
    EXPECT_TRUE(N(L"A1b")->GetCheckBox()->IsSelected());
    EXPECT_FALSE(N(L"A")->GetCheckBox()->IsSelected());
    EXPECT_FALSE(N(L"A2")->GetCheckBox()->IsSelected());
    N(L"A")->GetCheckBox()->SetSelected(true);
    EXPECT_TRUE(N(L"A2")->GetCheckBox()->IsSelected());
    EXPECT_FALSE(N(L"B")->GetCheckBox()->IsSelected());
    N(L"A")->GetCheckBox()->SetSelected(false);
    EXPECT_FALSE(N(L"A1b")->GetCheckBox()->IsSelected());
    EXPECT_TRUE(N(L"A1")->GetCheckBox()->GetCheck() == false);
}

TEST_F(TreeTest, ASubtreeInsertedAtAnIndexFollowsInOrder)
{
    CTreeNodeUI* x = NewNode(L"X");
    for (const wchar_t* t : { L"X0", L"X1", L"X2" })
        ASSERT_TRUE(x->AddChildNode(NewNode(t)));
    EXPECT_EQ(6, tree->AddNodeAt(x, 2));
    EXPECT_EQ("A A1 X X0 X1 X2 A1a A1b A2 B", Items());
    EXPECT_EQ(tree, x->GetChildNode(2)->GetTreeView());
    CTreeNodeUI* late = NewNode(L"late");
    EXPECT_EQ(-1, tree->AddNodeAt(late, 99));
    delete late;
}

TEST_F(TreeTest, RemovingANodeTakesItsSubtreeAndItsParentForgetsIt)
{
    CTreeNodeUI* a = N(L"A");
    CTreeNodeUI* a1 = N(L"A1");
    ASSERT_TRUE(tree->RemoveNode(a1));
    EXPECT_EQ("A A2 B", Items());
    EXPECT_EQ(1, a->GetChildCount());
    EXPECT_EQ(N(L"A2"), a->GetLastNode());
    Drain();   // the removed nodes are deleted now
    EXPECT_EQ(nullptr, N(L"A1a"));
    EXPECT_TRUE(tree->SetNodeExpanded(false, a));
    EXPECT_EQ("A (A2) B", Items());
    EXPECT_TRUE(tree->SetNodeExpanded(true, a));

    // Through the container interface a leaf goes too, an index past the end not.
    EXPECT_TRUE(tree->RemoveAt(1));
    EXPECT_EQ("A B", Items());
    EXPECT_EQ(0, a->GetChildCount());
    EXPECT_FALSE(tree->RemoveAt(5));
    Drain();

    // A node removes its child with the whole subtree.
    CTreeNodeUI* b = N(L"B");
    ASSERT_TRUE(b->AddChildNode(NewNode(L"b0")));
    ASSERT_TRUE(b->GetChildNode(0)->AddChildNode(NewNode(L"b00")));
    EXPECT_EQ("A B b0 b00", Items());
    EXPECT_TRUE(b->Remove(b->GetChildNode(0)));
    EXPECT_EQ("A B", Items());
    EXPECT_FALSE(b->Remove(a));
}

TEST_F(TreeTest, ChildrenJoinTheLastSubtreeAndNewLastChildrenFollowTheDescendants)
{
    // The last node of the tree can get children.
    CTreeNodeUI* b = N(L"B");
    ASSERT_TRUE(b->AddChildNode(NewNode(L"B1")));
    EXPECT_EQ("A A1 A1a A1b A2 B B1", Items());
    EXPECT_EQ(18, b->GetChildNode(0)->GetDottedLine()->GetFixedWidth());

    // A new last child goes after the node's last descendant.
    CTreeNodeUI* a = N(L"A");
    ASSERT_TRUE(a->AddAt(NewNode(L"A3"), 99));
    EXPECT_EQ("A A1 A1a A1b A2 A3 B B1", Items());
    EXPECT_STREQ(L"A3", a->GetChildNode(2)->GetItemText().GetData());
    // One at an index goes before that child.
    ASSERT_TRUE(a->AddAt(NewNode(L"A0"), 0));
    EXPECT_EQ("A A0 A1 A1a A1b A2 A3 B B1", Items());
    CControlUI plain;
    EXPECT_FALSE(a->AddAt(&plain, 0));

    // Nodes inserted with their subtree know the tree, so a grandchild can grow.
    CTreeNodeUI* x = NewNode(L"X");
    CTreeNodeUI* y = NewNode(L"Y");
    ASSERT_TRUE(x->AddChildNode(y));
    ASSERT_GE(tree->AddNodeAt(x, 0), 0);
    EXPECT_EQ(tree, y->GetTreeView());
    ASSERT_TRUE(y->AddChildNode(NewNode(L"Z")));
    EXPECT_EQ("X Y Z A A0 A1 A1a A1b A2 A3 B B1", Items());
}

TEST(TreeNodes, ClassNamesAreComparedIgnoringCaseAndOtherParentsAreNone)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(200, 100));
    CTreeViewUI* tree = static_cast<CTreeViewUI*>(host.Build(L"<Window><TreeView/></Window>"));
    ASSERT_NE(nullptr, tree);
    NamedNode* lower = new NamedNode(L"treenodeui");
    EXPECT_TRUE(tree->AddNode(lower));
    NamedNode other(L"OtherUI");
    EXPECT_FALSE(tree->AddNode(&other));
    EXPECT_EQ(-1, tree->AddNodeAt(&other, 0));
    EXPECT_FALSE(lower->AddChildNode(&other));

    // A parent of another class counts as none: the row is built all the same.
    CTreeNodeUI orphan(&other);
    EXPECT_EQ(nullptr, orphan.GetParentNode());
    EXPECT_EQ(1, static_cast<CContainerUI&>(orphan).GetCount());
    EXPECT_EQ(4, orphan.GetRow()->GetCount());
    EXPECT_EQ(2, orphan.GetDottedLine()->GetFixedWidth());
    CTreeNodeUI child(lower);
    EXPECT_EQ(lower, child.GetParentNode());
    EXPECT_EQ(18, child.GetDottedLine()->GetFixedWidth());
}

TEST(TreeNodes, ANodeOutsideAnyTreeEndsItsLevelInTheLayout)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(200, 100));
    ASSERT_NE(nullptr, host.Build(L"<Window><VerticalLayout><Control name=\"before\"/>"
                                  L"<TreeNode name=\"stray\"><TreeNode name=\"inner\"/></TreeNode>"
                                  L"<Control name=\"after\"/></VerticalLayout></Window>"));
    EXPECT_NE(nullptr, host.pm.FindControlByName(L"before"));
    EXPECT_EQ(nullptr, host.pm.FindControlByName(L"stray"));
    EXPECT_EQ(nullptr, host.pm.FindControlByName(L"inner"));
    EXPECT_EQ(nullptr, host.pm.FindControlByName(L"after"));
}

TEST(TreeNodes, EveryNodeIsDeletedOnceWhetherPlacedOrNot)
{
    int deleted = 0;
    {
        // A subtree that never reaches a tree goes with its top node.
        CountedNode* top = new CountedNode(&deleted);
        CountedNode* mid = new CountedNode(&deleted);
        ASSERT_TRUE(top->AddChildNode(mid));
        ASSERT_TRUE(mid->AddChildNode(new CountedNode(&deleted)));
        delete top;
        EXPECT_EQ(3, deleted);
    }
    deleted = 0;
    {
        HostWindow host;
        ASSERT_TRUE(host.Open(200, 100));
        CTreeViewUI* tree = static_cast<CTreeViewUI*>(host.Build(L"<Window><TreeView/></Window>"));
        ASSERT_NE(nullptr, tree);
        CountedNode* top = new CountedNode(&deleted);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(top->AddChildNode(new CountedNode(&deleted)));
        ASSERT_TRUE(tree->AddNode(top));
        ASSERT_TRUE(top->GetChildNode(1)->AddChildNode(new CountedNode(&deleted)));
        EXPECT_EQ(5, tree->GetCount());
        // Removing the top node with four descendants removes five items.
        ASSERT_TRUE(tree->RemoveNode(top));
        EXPECT_EQ(0, tree->GetCount());
        Drain();
        EXPECT_EQ(5, deleted);
        CountedNode* again = new CountedNode(&deleted);
        ASSERT_TRUE(tree->AddNode(again));
        ASSERT_TRUE(again->AddChildNode(new CountedNode(&deleted)));
        host.Destroy();
    }
    EXPECT_EQ(7, deleted);
}

TEST(TreeNodes, CaptionColoursFollowHoverAndSelection)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(300, 100));
    CTreeViewUI* tree = static_cast<CTreeViewUI*>(host.Build(
        L"<Window><TreeView itemtextcolor=\"#FF000001\" itemhottextcolor=\"#FF000002\" selitemtextcolor=\"#FF000003\" "
        L"selitemhottextcolor=\"#FF000004\"><TreeNode name=\"n\" text=\"n\"/></TreeView></Window>"));
    ASSERT_NE(nullptr, tree);
    CTreeNodeUI* n = host.Find<CTreeNodeUI>(L"n");
    COptionUI* caption = n->GetItemButton();
    struct Step
    {
        int kind;   // 0: select, 1: unselect, else an event kind
        DWORD color;
    } steps[] = {
        { UIEventMouseEnter, 0xFF000002 }, { UIEventMouseLeave, 0xFF000001 }, { 0, 0xFF000003 },
        { UIEventMouseEnter, 0xFF000004 }, { UIEventMouseLeave, 0xFF000003 }, { 1, 0xFF000001 },
    };
    for (const Step& s : steps) {
        if (s.kind == 0)
            tree->SelectItem(0);
        else if (s.kind == 1)
            tree->SelectItem(-1);
        else {
            UIEvent ev = MakeEvent(s.kind, POINT{ 10, 9 });
            n->HandleEvent(ev);
        }
        EXPECT_EQ(s.color, caption->GetTextColor());
    }
    n->SetEnabled(false);
    caption->SetDisabledTextColor(0xFF000009);
    UIEvent enter = MakeEvent(UIEventMouseEnter, POINT{ 10, 9 });
    n->HandleEvent(enter);
    EXPECT_EQ(0xFF000009u, caption->GetTextColor());
}

} // namespace
