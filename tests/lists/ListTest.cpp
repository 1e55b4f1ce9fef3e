// The list: interface pointers of every list class, item bookkeeping and the
// selection across adds, inserts, moves and removes, keys and wheel, header
// replacement and columns, scrolling into view, and rows as wide as the header.
#include "ListsTestUtil.h"

using namespace SkinUI;
using namespace listtest;

namespace {

typedef std::vector<std::string> Seq;

// --- interface pointers ------------------------------------------------------

// Each interface a class answers is the sub-object of that type, so a call
// through it reaches the object (a wrong adjustment calls into nowhere).
TEST(ListInterfaces, EveryClassAnswersItsOwnSubObjects)
{
    CListUI list;
    EXPECT_STREQ(L"ListUI", list.GetClassName());
    EXPECT_EQ(static_cast<void*>(&list), list.GetInterface(L"List"));
    EXPECT_EQ(static_cast<void*>(static_cast<IListUI*>(&list)), list.GetInterface(L"IList"));
    EXPECT_EQ(static_cast<void*>(static_cast<IListOwnerUI*>(&list)), list.GetInterface(L"IListOwner"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&list)), list.GetInterface(L"IContainer"));
    EXPECT_EQ(static_cast<void*>(static_cast<CContainerUI*>(&list)), list.GetInterface(L"Container"));
    EXPECT_EQ(static_cast<void*>(static_cast<CVerticalLayoutUI*>(&list)), list.GetInterface(L"VerticalLayout"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&list)), list.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, list.GetInterface(L"ListItem"));
    EXPECT_EQ(1u, list.GetInputFlags());
    IListUI* pList = GetListInterface(&list);
    ASSERT_NE(nullptr, pList);
    EXPECT_EQ(list.GetHeader(), pList->GetHeader());
    EXPECT_EQ(-1, pList->GetCurSel());
    EXPECT_EQ(&list.GetListInfo()->nColumns, &pList->GetListInfo()->nColumns);
    // The body keeps the layout's names; the list's children are header, body.
    EXPECT_STREQ(L"VerticalLayoutUI", pList->GetList()->GetClassName());
    EXPECT_EQ(static_cast<CContainerUI&>(list).CContainerUI::GetItemAt(0), list.GetHeader());
    EXPECT_EQ(static_cast<CContainerUI&>(list).CContainerUI::GetItemAt(1), pList->GetList());

    CListHeaderUI header;
    EXPECT_STREQ(L"ListHeaderUI", header.GetClassName());
    EXPECT_EQ(static_cast<void*>(&header), header.GetInterface(L"ListHeader"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&header)), header.GetInterface(L"IContainer"));
    CListHeaderItemUI headerItem;
    EXPECT_STREQ(L"ListHeaderItemUI", headerItem.GetClassName());
    EXPECT_EQ(static_cast<void*>(&headerItem), headerItem.GetInterface(L"ListHeaderItem"));
    EXPECT_EQ(16, headerItem.GetMinWidth());

    CListLabelElementUI label;
    CListTextElementUI text;
    CListContainerElementUI container;
    CTreeNodeUI node;
    struct ItemCase
    {
        CControlUI* control;
        IListItemUI* item;
        const wchar_t* className;
        const wchar_t* ownName;
        UINT inputFlags;
    } items[] = {
        { &label, &label, L"ListLabelElementUI", L"ListLabelElement", 4 },
        { &text, &text, L"ListTextElementUI", L"ListTextElement", 4 },
        { &container, &container, L"ListContainerElementUI", L"ListContainerElement", 4 },
        { &node, &node, L"TreeNodeUI", L"TreeNode", 4 },
    };
    for (const ItemCase& c : items) {
        SCOPED_TRACE(testsupport::Narrow(c.className));
        EXPECT_STREQ(c.className, c.control->GetClassName());
        EXPECT_EQ(static_cast<void*>(c.item), c.control->GetInterface(L"ListItem"));
        EXPECT_NE(nullptr, c.control->GetInterface(c.ownName));
        EXPECT_EQ(c.inputFlags, c.control->GetInputFlags());
        IListItemUI* pItem = GetListItem(c.control);
        ASSERT_NE(nullptr, pItem);
        EXPECT_EQ(-1, pItem->GetIndex());
        EXPECT_EQ(nullptr, pItem->GetOwner());
        EXPECT_FALSE(pItem->Expand(true));
        pItem->SetOwner(&list);
        EXPECT_EQ(static_cast<IListOwnerUI*>(&list), pItem->GetOwner());
    }
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&container)), container.GetInterface(L"IContainer"));
    EXPECT_EQ(static_cast<void*>(static_cast<CContainerUI*>(&node)), node.GetInterface(L"Container"));
    EXPECT_NE(nullptr, label.GetInterface(L"ListElement"));

    CTreeViewUI tree;
    EXPECT_STREQ(L"TreeViewUI", tree.GetClassName());
    EXPECT_EQ(static_cast<void*>(&tree), tree.GetInterface(L"TreeView"));
    EXPECT_EQ(static_cast<void*>(static_cast<IListUI*>(&tree)), tree.GetInterface(L"IList"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&tree)), tree.GetInterface(L"IContainer"));
    EXPECT_FALSE(tree.GetHeader()->IsVisible());

    CComboUI combo;
    CComboBoxUI comboBox;
    for (CComboUI* c : { &combo, static_cast<CComboUI*>(&comboBox) }) {
        EXPECT_EQ(static_cast<void*>(c), c->GetInterface(L"Combo"));
        EXPECT_EQ(static_cast<void*>(static_cast<IListOwnerUI*>(c)), c->GetInterface(L"IListOwner"));
        EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(c)), c->GetInterface(L"IContainer"));
        EXPECT_EQ(nullptr, c->GetInterface(L"IList"));
        EXPECT_EQ(-1, GetListOwner(c)->GetCurSel());
        EXPECT_EQ(1u, c->GetInputFlags());
    }
    EXPECT_STREQ(L"ComboUI", combo.GetClassName());
    EXPECT_STREQ(L"ComboBoxUI", comboBox.GetClassName());
}

TEST(ListInterfaces, ListInfoStartsWithTheDocumentedStyle)
{
    CListUI list;
    const UIListInfo* info = list.GetListInfo();
    EXPECT_EQ(0, info->nColumns);
    EXPECT_EQ(-1, info->nFont);
    EXPECT_EQ((UINT)DT_VCENTER, info->uTextStyle);
    EXPECT_EQ(0xFF000000u, info->dwTextColor);
    EXPECT_EQ(0u, info->dwBkColor);
    EXPECT_EQ(0xFFC1E3FFu, info->dwSelectedBkColor);
    EXPECT_EQ(0xFFE9F5FFu, info->dwHotBkColor);
    EXPECT_EQ(0xFFCCCCCCu, info->dwDisabledTextColor);
    EXPECT_EQ(0xFFFFFFFFu, info->dwDisabledBkColor);
    EXPECT_EQ(0u, info->dwLineColor);
    EXPECT_FALSE(info->bAlternateBk || info->bShowHtml || info->bMultiExpandable);

    // The shared "item..." attributes, exact names, last alignment match wins.
    list.ApplyAttributes(L"itemalign=\"right\" itemendellipsis=\"true\" itemtextpadding=\"1,2,3,4\" "
                         L"itemselectedbkcolor=\"#FF102030\" itemfont=\"2\" itemaltbk=\"true\"");
    EXPECT_EQ((UINT)(DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS), info->uTextStyle);
    EXPECT_RECT(CUIRect(1, 2, 3, 4), info->rcTextPadding);
    EXPECT_EQ(0xFF102030u, info->dwSelectedBkColor);
    EXPECT_EQ(2, info->nFont);
    EXPECT_TRUE(info->bAlternateBk);
    list.SetAttribute(L"itemalign", L"left center");
    EXPECT_EQ((UINT)(DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS), info->uTextStyle);
    list.SetAttribute(L"ItemAlign", L"right");
    EXPECT_EQ((UINT)(DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS), info->uTextStyle);
    list.SetAttribute(L"itemendellipsis", L"yes");
    EXPECT_EQ((UINT)(DT_VCENTER | DT_CENTER), info->uTextStyle);

    // The combo has no "itemendellipsis".
    CComboUI combo;
    combo.SetAttribute(L"itemendellipsis", L"true");
    EXPECT_EQ((UINT)DT_VCENTER, combo.GetListInfo()->uTextStyle);
    combo.SetAttribute(L"itemtextcolor", L"#FF00FF00");
    EXPECT_EQ(0xFF00FF00u, combo.GetListInfo()->dwTextColor);
}

// --- bookkeeping -----------------------------------------------------------------

class ListWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(300, 200));
        host.pm.AddNotifier(&rec);
    }
    CListUI* BuildList(const wchar_t* items, const wchar_t* attributes = L"")
    {
        std::wstring xml = std::wstring(L"<Window><List name=\"list\" bkcolor=\"#FFFFFFFF\" ") + attributes + L" vscrollbar=\"true\">"
                           + items + L"</List></Window>";
        list = static_cast<CListUI*>(host.Build(xml.c_str()));
        return list;
    }
    CListLabelElementUI* Item(const wchar_t* name, int height = 20)
    {
        CListLabelElementUI* item = new CListLabelElementUI;
        item->SetName(name);
        item->SetText(name);
        item->SetFixedHeight(height);
        return item;
    }
    // "a b* c": the items in order, '*' after the selected one; every item's
    // index must be its position.
    std::string State()
    {
        std::string s;
        for (int i = 0; i < list->GetCount(); ++i) {
            CControlUI* c = list->GetItemAt(i);
            IListItemUI* item = GetListItem(c);
            if (!s.empty())
                s += ' ';
            s += testsupport::Narrow(c->GetName().GetData());
            if (item != NULL && item->GetIndex() != i)
                s += "#" + std::to_string(item->GetIndex());
            if (item != NULL && item->IsSelected())
                s += '*';
        }
        if (list->GetCurSel() >= 0 && (GetListItem(list->GetItemAt(list->GetCurSel())) == NULL
                                       || !GetListItem(list->GetItemAt(list->GetCurSel()))->IsSelected()))
            s += " !cursel=" + std::to_string(list->GetCurSel());
        return s;
    }
    std::string Selects()
    {
        std::string s;
        for (const Recorder::Item& it : rec.items) {
            if (it.type != L"itemselect")
                continue;
            s += "(" + std::to_string((int)it.wParam) + "," + std::to_string((int)it.lParam) + ")";
        }
        return s;
    }

    HostWindow host;
    Recorder rec{ { L"itemselect", L"itemclick", L"itemactivate", L"link" } };
    CListUI* list = nullptr;
};

TEST_F(ListWindowTest, AddInsertMoveAndRemoveKeepIndicesAndTheSelection)
{
    ASSERT_NE(nullptr, BuildList(L""));
    list->Add(Item(L"a"));
    list->Add(Item(L"b"));
    list->Add(Item(L"c"));
    ASSERT_TRUE(list->SelectItem(1));
    EXPECT_EQ("a b* c", State());

    struct Step
    {
        const char* what;
        std::function<bool()> op;
        const char* state;
        const char* selects;   // itemselect notifications of this step
    } steps[] = {
        { "insert before the selection", [&] { return list->AddAt(Item(L"x"), 0); }, "x a b* c", "" },
        { "insert after it", [&] { return list->AddAt(Item(L"y"), 3); }, "x a b* y c", "" },
        { "move the selected item to the end", [&] { return list->SetItemIndex(list->GetItemAt(2), 4); },
          "x a y c b*", "" },
        { "move another item over it", [&] { return list->SetItemIndex(list->GetItemAt(0), 4); }, "a y c b* x",
          "" },
        { "remove before it", [&] { return list->RemoveAt(0); }, "y c b* x", "" },
        // The nearest selectable item at or before the freed place takes over.
        { "remove the selected one", [&] { return list->Remove(list->GetItemAt(2)); }, "y c x*", "(2,-1)" },
        { "remove the selected last", [&] { return list->RemoveAt(2); }, "y c*", "(1,-1)" },
        { "an index past the end",
          [&] {
              CListLabelElementUI* z = Item(L"z");
              const bool refused = !list->AddAt(z, 9);
              delete z;
              return refused;
          },
          "y c*", "" },
        { "remove what is not there", [&] { return !list->RemoveAt(5); }, "y c*", "" },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        rec.Clear();
        EXPECT_TRUE(step.op());
        EXPECT_EQ(step.state, State());
        EXPECT_EQ(step.selects, Selects());
    }
    list->RemoveAll();
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_EQ(-1, list->GetExpandedItem());
    EXPECT_EQ(0, list->GetCount());
    EXPECT_NE(nullptr, list->GetHeader());
    host.Update();
}

TEST_F(ListWindowTest, SelectingTheSameIndexOrAnUnselectableOneSendsNothing)
{
    ASSERT_NE(nullptr, BuildList(L"<ListLabelElement name=\"a\"/><ListLabelElement name=\"b\" enabled=\"false\"/>"
                                 L"<ListLabelElement name=\"c\" visible=\"false\"/><Control name=\"d\"/>"));
    EXPECT_TRUE(list->SelectItem(0));
    rec.Clear();
    EXPECT_TRUE(list->SelectItem(0));
    EXPECT_EQ("", Selects());
    // Each refusal leaves the list without selection, silently.
    for (int index : { 1, 2, 3, 9, -1 }) {
        SCOPED_TRACE(index);
        list->SelectItem(0);
        rec.Clear();
        EXPECT_FALSE(list->SelectItem(index));
        EXPECT_EQ(-1, list->GetCurSel());
        EXPECT_EQ("", Selects());
        EXPECT_FALSE(GetListItem(list->GetItemAt(0))->IsSelected());
    }
}

// Keys and the wheel with scroll select, over items that cannot all be
// selected: "-" disabled, "h" hidden, "i" a selectable item.
TEST_F(ListWindowTest, KeysMoveTheSelectionOverSelectableItemsOnly)
{
    ASSERT_NE(nullptr, BuildList(L"<ListLabelElement name=\"i0\" height=\"20\"/>"
                                 L"<ListLabelElement name=\"d1\" height=\"20\" enabled=\"false\"/>"
                                 L"<ListLabelElement name=\"i2\" height=\"20\"/>"
                                 L"<ListLabelElement name=\"h3\" height=\"20\" visible=\"false\"/>"
                                 L"<ListLabelElement name=\"i4\" height=\"20\"/>"
                                 L"<ListLabelElement name=\"d5\" height=\"20\" enabled=\"false\"/>",
                                 L"scrollselect=\"true\""));
    struct KeyCase
    {
        int kind;
        wchar_t key;
        WPARAM wheel;
        int sel;
    } cases[] = {
        { UIEventKeyDown, VK_DOWN, 0, 0 },        // no selection: the first selectable
        { UIEventKeyDown, VK_DOWN, 0, 2 },        // over the disabled one
        { UIEventScrollWheel, 0, 1, 4 },          // wheel down, over the hidden one
        { UIEventKeyDown, VK_DOWN, 0, -1 },       // nothing selectable after it
        { UIEventKeyDown, VK_HOME, 0, 0 },
        { UIEventKeyDown, VK_END, 0, -1 },        // the last item is disabled
        { UIEventKeyDown, VK_UP, 0, 0 },          // from none: backward from -1 finds nothing, then forward
        { UIEventScrollWheel, 0, 0, 0 },          // wheel up at the top stays
        { UIEventKeyDown, VK_DOWN, 0, 2 },
        { UIEventKeyDown, VK_UP, 0, 0 },
    };
    int step = 0;
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(step++);
        UIEvent ev = MakeEvent(c.kind, POINT{ 10, 10 }, c.key, c.wheel);
        list->HandleEvent(ev);
        EXPECT_EQ(c.sel, list->GetCurSel());
    }

    // Return activates the selected item.
    rec.Clear();
    UIEvent ret = MakeEvent(UIEventKeyDown, POINT{ 0, 0 }, VK_RETURN);
    list->HandleEvent(ret);
    EXPECT_EQ((Seq{ "itemactivate:i0" }), rec.Sequence());
}

TEST_F(ListWindowTest, AnEmptyListIgnoresEveryKeyAndTheWheel)
{
    ASSERT_NE(nullptr, BuildList(L"", L"scrollselect=\"true\""));
    for (wchar_t key : { VK_HOME, VK_END, VK_UP, VK_DOWN, VK_RETURN, VK_PRIOR, VK_NEXT }) {
        UIEvent ev = MakeEvent(UIEventKeyDown, POINT{ 0, 0 }, key);
        list->HandleEvent(ev);
    }
    for (WPARAM w : { 0, 1 }) {
        UIEvent ev = MakeEvent(UIEventScrollWheel, POINT{ 0, 0 }, 0, w);
        list->HandleEvent(ev);
    }
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_TRUE(rec.items.empty());
}

TEST_F(ListWindowTest, TheWheelScrollsTheBodyOrMovesTheSelection)
{
    std::wstring items;
    for (int i = 0; i < 30; ++i)
        items += L"<ListLabelElement name=\"r" + std::to_wstring(i) + L"\" height=\"20\"/>";
    ASSERT_NE(nullptr, BuildList(items.c_str(), L"header=\"hidden\""));
    host.Update();
    ASSERT_TRUE(list->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(400, list->GetScrollRange().cy);   // 600 of rows in 200

    // Over an item: the item passes the wheel to its list, which scrolls.
    host.Wheel(50, 50, -120);
    const int line = FontHeight(host.pm) + 8;
    EXPECT_EQ(line, list->GetScrollPos().cy);
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_EQ(20 - line, list->GetItemAt(1)->GetPos().top);
    host.Wheel(50, 50, 120);
    EXPECT_EQ(0, list->GetScrollPos().cy);

    // With scroll select the wheel moves the selection (and scrolls it into view).
    list->SetScrollSelect(true);
    for (int i = 0; i < 12; ++i)
        host.Wheel(50, 50, -120);
    EXPECT_EQ(11, list->GetCurSel());
    EXPECT_EQ(240 - 200, list->GetScrollPos().cy);
    host.Keep("list_wheel");
}

TEST_F(ListWindowTest, EnsureVisibleScrollsByTheOverlapOnly)
{
    std::wstring items;
    for (int i = 0; i < 20; ++i)
        items += L"<ListLabelElement name=\"r" + std::to_wstring(i) + L"\" height=\"20\"/>";
    ASSERT_NE(nullptr, BuildList(items.c_str(), L"header=\"hidden\""));
    CListBodyUI* body = static_cast<CListBodyUI*>(list->GetList());
    body->SetInset(CUIRect(0, 5, 0, 5));   // the inner area is 5..195
    host.Update();

    struct Case
    {
        int select;
        int scroll;   // expected scroll position afterwards
    } cases[] = {
        { 8, 0 },     // 165..185: in view
        { 9, 10 },    // 185..205 ends 10 below 195
        { 10, 30 },   // 195..215 at scroll 10: by 20
        { 0, 0 },     // -25..-5: above, by -30
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select);
        list->SelectItem(c.select);
        EXPECT_EQ(c.scroll, list->GetScrollPos().cy);
    }
    // An item that ends exactly on the inner bottom is in view.
    list->SelectItem(-1);
    list->SetScrollPos(CUISize(0, 0));
    list->SelectItem(1);
    list->SetScrollPos(CUISize(0, 10));   // item 9 now 175..195
    list->EnsureVisible(9);
    EXPECT_EQ(10, list->GetScrollPos().cy);
    // Without a selection nothing scrolls.
    list->SelectItem(-1);
    list->EnsureVisible(19);
    EXPECT_EQ(10, list->GetScrollPos().cy);
}

// --- header, columns and rows ----------------------------------------------------

TEST_F(ListWindowTest, ASecondHeaderReplacesAnEmptyOneOnly)
{
    ASSERT_NE(nullptr, BuildList(L"<ListHeader name=\"h1\"/><ListHeader name=\"h2\">"
                                 L"<ListHeaderItem name=\"c0\" width=\"50\"/></ListHeader>"
                                 L"<ListHeader name=\"h3\"/>"));
    // The built-in empty header gave way to h1, h1 (empty) to h2; h3 sits above h2.
    CControlUI* h2 = host.pm.FindControlByName(L"h2");
    CControlUI* h3 = host.pm.FindControlByName(L"h3");
    EXPECT_EQ(nullptr, host.pm.FindControlByName(L"h1"));
    EXPECT_EQ(h2, list->GetHeader());
    EXPECT_EQ(3, static_cast<CContainerUI*>(list)->CContainerUI::GetCount());
    EXPECT_EQ(0, list->GetItemIndex(h3));
    EXPECT_EQ(1, list->GetItemIndex(h2));
    EXPECT_EQ(0, list->GetItemIndex(host.pm.FindControlByName(L"c0")));
    EXPECT_EQ(1, list->GetListInfo()->nColumns);
    EXPECT_EQ(0, list->GetCount());

    // Removing the header leaves a fresh empty one at the top.
    ASSERT_TRUE(list->Remove(h2));
    ASSERT_NE(nullptr, list->GetHeader());
    EXPECT_NE(h2, list->GetHeader());
    EXPECT_EQ(0, list->GetHeader()->GetCount());
    EXPECT_EQ(0, list->GetListInfo()->nColumns);
    EXPECT_EQ(list->GetHeader(), static_cast<CContainerUI*>(list)->CContainerUI::GetItemAt(0));
    host.Update();
    Drain();
    EXPECT_EQ(nullptr, host.pm.FindControlByName(L"h2"));
    list->Add(new CListLabelElementUI);
    host.Update();
}

TEST_F(ListWindowTest, ColumnsFollowTheHeaderItemsAndTheSidewaysScroll)
{
    std::wstring columns;
    for (int i = 0; i < 40; ++i)
        columns += L"<ListHeaderItem name=\"c" + std::to_wstring(i) + L"\" width=\"20\" text=\"" + std::to_wstring(i)
                   + L"\"/>";
    std::wstring xml = L"<ListHeader height=\"20\">" + columns + L"</ListHeader>"
                       L"<ListTextElement name=\"t\" height=\"20\"/>";
    ASSERT_NE(nullptr, BuildList(xml.c_str(), L"hscrollbar=\"true\""));
    const UIListInfo* info = list->GetListInfo();
    EXPECT_EQ(32, info->nColumns);   // 40 header items, 32 columns
    EXPECT_RECT(CUIRect(20, 0, 40, 20), info->rcColumn[1]);
    // Rows are as wide as the header (800), so the bar scrolls 800 - 300.
    CControlUI* row = host.pm.FindControlByName(L"t");
    EXPECT_EQ(800, row->GetWidth());
    ASSERT_TRUE(list->GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(500, list->GetScrollRange().cx);

    list->SetScrollPos(CUISize(30, 0));
    EXPECT_EQ(-30, row->GetPos().left);
    EXPECT_RECT(CUIRect(-10, 0, 10, 20), host.pm.FindControlByName(L"c1")->GetPos());
    EXPECT_RECT(CUIRect(-10, 0, 10, 20), info->rcColumn[1]);
    // A later layout keeps the shift.
    list->RequestLayout();
    host.Update();
    EXPECT_RECT(CUIRect(-10, 0, 10, 20), info->rcColumn[1]);
    EXPECT_EQ(-30, row->GetPos().left);

    // A hidden header item keeps its last column rectangle.
    host.pm.FindControlByName(L"c2")->SetVisible(false);
    list->SetScrollPos(CUISize(0, 0));
    host.Update();
    EXPECT_RECT(CUIRect(10, 0, 30, 20), info->rcColumn[2]);
    EXPECT_RECT(CUIRect(20, 0, 40, 20), info->rcColumn[1]);
    host.Keep("list_columns");
}

TEST_F(ListWindowTest, AHiddenHeaderStillGivesColumns)
{
    for (const wchar_t* value : { L"hidden", L"Hidden" }) {
        SCOPED_TRACE(testsupport::Narrow(value));
        std::wstring attributes = std::wstring(L"header=\"") + value + L"\"";
        ASSERT_NE(nullptr, BuildList(L"<ListHeader><ListHeaderItem width=\"60\"/><ListHeaderItem width=\"70\"/>"
                                     L"</ListHeader><ListTextElement name=\"t\"/>",
                                     attributes.c_str()));
        const bool hidden = wcscmp(value, L"hidden") == 0;
        EXPECT_EQ(!hidden, list->GetHeader()->IsVisible());
        EXPECT_EQ(2, list->GetListInfo()->nColumns);
        EXPECT_EQ(60, list->GetListInfo()->rcColumn[1].left);
        EXPECT_EQ(130, list->GetListInfo()->rcColumn[1].right);
        // The body starts at the top when the header is hidden.
        const int top = host.pm.FindControlByName(L"t")->GetPos().top;
        if (hidden)
            EXPECT_EQ(0, top);
        else
            EXPECT_GT(top, 0);
        EXPECT_FALSE(list->GetHeader()->GetItemAt(0)->IsVisible() && hidden);
    }
}

TEST_F(ListWindowTest, RowsWithoutAHeaderAreAsWideAsTheWidestOrTheList)
{
    ASSERT_NE(nullptr, BuildList(L"<ListLabelElement name=\"a\" text=\"a\" height=\"20\"/>"
                                 L"<ListContainerElement name=\"w\" height=\"20\" width=\"450\"/>",
                                 L"header=\"hidden\" hscrollbar=\"true\""));
    // The container row's fixed width is its measured width: both rows are 450.
    EXPECT_EQ(450, host.pm.FindControlByName(L"a")->GetWidth());
    EXPECT_EQ(450, host.pm.FindControlByName(L"w")->GetWidth());
    EXPECT_TRUE(list->GetHorizontalScrollBar()->IsVisible());
    // Narrow rows fill the list, and the bar goes.
    host.pm.FindControlByName(L"w")->SetFixedWidth(100);
    host.Update();
    EXPECT_EQ(300, host.pm.FindControlByName(L"w")->GetWidth());
    EXPECT_FALSE(list->GetHorizontalScrollBar()->IsVisible());
    EXPECT_RECT(CUIRect(0, 20, 300, 40), host.pm.FindControlByName(L"w")->GetPos());
}

// The scroll-bar attributes of a list are the body's and leave the other bar alone.
TEST_F(ListWindowTest, BothScrollBarAttributesReachTheBody)
{
    ASSERT_NE(nullptr, BuildList(L"", L"hscrollbar=\"true\""));
    EXPECT_NE(nullptr, list->GetHorizontalScrollBar());
    EXPECT_NE(nullptr, list->GetVerticalScrollBar());
    EXPECT_EQ(list->GetList()->GetVerticalScrollBar(), list->GetVerticalScrollBar());
}

// --- notifications from the items ------------------------------------------------

TEST_F(ListWindowTest, APressSendsItemclickBeforeItemselect)
{
    ASSERT_NE(nullptr, BuildList(L"<ListLabelElement name=\"a\" height=\"20\"/>"
                                 L"<ListLabelElement name=\"b\" height=\"20\"/>"
                                 L"<ListLabelElement name=\"off\" height=\"20\" enabled=\"false\"/>",
                                 L"header=\"hidden\""));
    host.Click(50, 30);
    EXPECT_EQ((Seq{ "itemclick:b", "itemselect:list" }), rec.Sequence());
    EXPECT_EQ(1, list->GetCurSel());
    EXPECT_EQ(list->GetItemAt(1), host.pm.GetFocus());

    // A disabled item sends nothing and keeps the selection.
    rec.Clear();
    host.Click(50, 50);
    EXPECT_EQ(0, rec.Count(L"itemclick"));
    EXPECT_EQ(0, rec.Count(L"itemselect"));
    EXPECT_EQ(1, list->GetCurSel());

    // A double click activates.
    rec.Clear();
    host.Mouse(WM_LBUTTONDBLCLK, 50, 10, MK_LBUTTON);
    host.Release(50, 10);
    EXPECT_EQ(1, rec.Count(L"itemactivate"));

    // Hiding the selected item leaves the list without selection, silently.
    list->SelectItem(1);
    rec.Clear();
    list->GetItemAt(1)->SetVisible(false);
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_FALSE(GetListItem(list->GetItemAt(1))->IsSelected());
    EXPECT_EQ(0, rec.Count(L"itemselect"));
}

// A selected row that is then disabled gives its flag up when the selection
// moves, by code, by a click or by a key: enabled again, it is not a second
// selected row.
TEST_F(ListWindowTest, TheSelectionStaysOneRowWhenItMovesOffADisabledRow)
{
    const char* ways[] = { "code", "click", "key" };
    for (const char* way : ways) {
        SCOPED_TRACE(way);
        ASSERT_NE(nullptr, BuildList(L"<ListLabelElement name=\"a\" height=\"20\"/>"
                                     L"<ListLabelElement name=\"b\" height=\"20\"/>"
                                     L"<ListLabelElement name=\"c\" height=\"20\"/>",
                                     L"header=\"hidden\""));
        ASSERT_TRUE(list->SelectItem(1));
        list->GetItemAt(1)->SetEnabled(false);
        rec.Clear();
        const std::string w = way;
        if (w == "code") {
            EXPECT_TRUE(list->SelectItem(2));
        } else if (w == "click") {
            host.Click(50, 50);
        } else {
            list->SetFocus();
            ::SendMessageW(host.GetHWND(), WM_KEYDOWN, VK_DOWN, 0);
        }
        EXPECT_EQ("a b c*", State());
        EXPECT_EQ("(2,1)", Selects());
        list->GetItemAt(1)->SetEnabled(true);
        EXPECT_EQ("a b c*", State());
        host.Update();
    }
}

TEST_F(ListWindowTest, SelectedInTheLayoutSelectsWhateverItsValue)
{
    ASSERT_NE(nullptr, BuildList(L"<ListLabelElement name=\"a\"/><ListLabelElement name=\"b\" selected=\"false\"/>"
                                 L"<ListLabelElement name=\"c\"/>"));
    EXPECT_EQ(1, list->GetCurSel());
    EXPECT_EQ("a b* c", State());
}

} // namespace
