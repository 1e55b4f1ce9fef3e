// The tile layout: columns fixed or from the item width, equal cells filled
// row by row, rows as high as their tallest member, children centred in their
// cells with their paddings and the child padding, invisible and float
// children, and vertical scrolling.
#include "LayoutTestUtil.h"

#include "UIScrollBar.h"
#include "UITileLayout.h"

using namespace SkinUI;
using namespace layouttest;

namespace {

// "l,t,r,b" of every child, in order, separated by blanks.
std::string ChildRects(CContainerUI* layout)
{
    std::string s;
    for (int i = 0; i < layout->GetCount(); ++i) {
        if (i > 0)
            s += ' ';
        s += RectText(layout->GetItemAt(i)->GetPos());
    }
    return s;
}

std::wstring TileWindow(const wchar_t* tileAttributes, const std::wstring& children)
{
    return std::wstring(L"<Window><HorizontalLayout><TileLayout name=\"tile\" ") + tileAttributes + L">" +
           children + L"</TileLayout></HorizontalLayout></Window>";
}

std::wstring Repeat(const wchar_t* element, int n)
{
    std::wstring s;
    for (int i = 0; i < n; ++i)
        s += element;
    return s;
}

TEST(TileLayoutNames, ClassInterfacesAndAttributes)
{
    CTileLayoutUI tile;
    EXPECT_STREQ(L"TileLayoutUI", tile.GetClassName());
    EXPECT_EQ(static_cast<void*>(&tile), tile.GetInterface(L"TileLayout"));
    EXPECT_EQ(static_cast<void*>(static_cast<CContainerUI*>(&tile)), tile.GetInterface(L"Container"));
    EXPECT_EQ(static_cast<void*>(static_cast<IContainerUI*>(&tile)), tile.GetInterface(L"IContainer"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&tile)), tile.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, tile.GetInterface(L"VerticalLayout"));
    EXPECT_EQ(1, tile.GetColumns());
    EXPECT_EQ(0, tile.GetItemSize().cx);
    EXPECT_EQ(0, tile.GetItemSize().cy);

    tile.ApplyAttributes(L"itemsize=\"120,40\" columns=\"3\" childpadding=\"4\"");
    EXPECT_EQ(120, tile.GetItemSize().cx);
    EXPECT_EQ(40, tile.GetItemSize().cy);
    EXPECT_EQ(3, tile.GetColumns());
    EXPECT_EQ(4, tile.GetChildPadding());
    tile.SetAttribute(L"columns", L"0");
    tile.SetAttribute(L"columns", L"-2");
    EXPECT_EQ(3, tile.GetColumns());
}

TEST(TileLayout, TheItemWidthDecidesTheColumnsAndOverridesTheAttribute)
{
    BuiltWindow win;
    ASSERT_TRUE(win.Build(300, 200, TileWindow(L"itemsize=\"100,10\" columns=\"5\"",
                                               Repeat(L"<Control width=\"50\" height=\"30\"/>", 7))
                                        .c_str()))
        << win.error;
    CTileLayoutUI* tile = win.Find<CTileLayoutUI>(L"tile");
    ASSERT_NE(nullptr, tile);
    EXPECT_EQ(3, tile->GetColumns());
    // Rows of 3, 3 and 1; each 50 x 30 child centred in its 100-wide cell.
    EXPECT_EQ("25,0,75,30 125,0,175,30 225,0,275,30 "
              "25,30,75,60 125,30,175,60 225,30,275,60 "
              "25,60,75,90",
              ChildRects(tile));

    // A narrower layout has fewer columns; narrower than one item, one.
    tile->SetColumns(5);
    tile->SetFixedWidth(250);
    win.host.Update();
    EXPECT_EQ(2, tile->GetColumns());
    tile->SetFixedWidth(60);
    win.host.Update();
    EXPECT_EQ(1, tile->GetColumns());
    EXPECT_EQ("5,0,55,30", RectText(tile->GetItemAt(0)->GetPos()));
}

TEST(TileLayout, FixedColumnsShareTheWidthAndTheTallestMemberSetsTheRow)
{
    BuiltWindow win;
    ASSERT_TRUE(win.Build(400, 200, TileWindow(L"columns=\"4\"",
                                               L"<Control width=\"50\" height=\"30\"/>"
                                               L"<Control width=\"20\" height=\"40\"/>"
                                               L"<Control/>"
                                               L"<Control width=\"100\" height=\"10\"/>"
                                               L"<Control width=\"10\" height=\"10\"/>")
                                        .c_str()))
        << win.error;
    CTileLayoutUI* tile = win.Find<CTileLayoutUI>(L"tile");
    ASSERT_NE(nullptr, tile);
    // 100-wide cells; the first row is 40 high: 50 x 30 sits at (25, 5) in
    // its cell, a child without a size fills its cell.
    EXPECT_EQ("25,5,75,35 140,0,160,40 200,0,300,40 300,15,400,25 "
              "45,40,55,50",
              ChildRects(tile));
}

TEST(TileLayout, PaddingsAndTheChildPaddingShapeTheCells)
{
    BuiltWindow win;
    ASSERT_TRUE(win.Build(300, 200, TileWindow(L"columns=\"3\" childpadding=\"6\" inset=\"0,0,0,0\"",
                                               L"<Control width=\"10\" height=\"20\"/>"
                                               L"<Control width=\"10\" height=\"35\"/>"
                                               L"<Control width=\"10\" height=\"30\"/>"
                                               L"<Control width=\"10\" height=\"10\" padding=\"4,2,0,0\"/>")
                                        .c_str()))
        << win.error;
    CTileLayoutUI* tile = win.Find<CTileLayoutUI>(L"tile");
    ASSERT_NE(nullptr, tile);
    // Half the child padding (3) between neighbours, none at the outer
    // edges; the second row starts 35 + 6 lower, and the padded child's row
    // is 2 + 10 high.
    EXPECT_EQ("43,7,53,27 145,0,155,35 246,2,256,32 "
              "45,43,55,53",
              ChildRects(tile));
}

TEST(TileLayout, RowsAreMeasuredInTheirCellWidthWithinTheFirstMembersLimits)
{
    ctltest::HostWindow host;
    ASSERT_TRUE(host.Open(300, 200));
    CTileLayoutUI* tile = new CTileLayoutUI;
    tile->SetColumns(3);
    tile->SetChildPadding(6);
    ctltest::MeasureProbe* members[4];
    for (int i = 0; i < 4; ++i) {
        members[i] = new ctltest::MeasureProbe;
        members[i]->measured = CUISize(10, 10 * (i + 1));
        tile->Add(members[i]);
    }
    // The first member's limits bound what the whole row is offered.
    members[0]->SetMaxWidth(90);
    members[0]->SetMaxHeight(25);
    members[2]->SetPadding(CUIRect(5, 1, 5, 1));
    ASSERT_TRUE(host.pm.AttachRoot(tile));
    host.Update();

    // First row: 100-wide cells less the member's padding and half (ends) or
    // all (middle) of the child padding, clamped to 90; heights clamped to
    // at most 25 by the first member: the row is 25 + 2 high.
    ASSERT_GE(members[1]->offered.size(), 2u);
    EXPECT_EQ(90, members[0]->offered[0].cx);
    EXPECT_EQ(9999, members[0]->offered[0].cy);
    EXPECT_EQ(90, members[1]->offered[0].cx);
    EXPECT_EQ(87, members[2]->offered[0].cx);
    // Then each child is measured in its own cell.
    EXPECT_EQ(97, members[0]->offered.back().cx);
    EXPECT_EQ(27, members[0]->offered.back().cy);
    EXPECT_EQ(94, members[1]->offered.back().cx);
    EXPECT_EQ(87, members[2]->offered.back().cx);
    EXPECT_EQ(26, members[2]->offered.back().cy);
    // The second row starts 27 + 6 lower.
    EXPECT_EQ(97, members[3]->offered[0].cx);
    EXPECT_EQ(33, members[3]->GetPos().top);
}

TEST(TileLayout, InvisibleChildrenTakeNoCellAndFloatChildrenKeepTheirPlace)
{
    BuiltWindow win;
    ASSERT_TRUE(win.Build(300, 200, TileWindow(L"columns=\"2\"",
                                               L"<Control name=\"a\" width=\"10\" height=\"10\"/>"
                                               L"<Control name=\"hidden\" width=\"10\" height=\"10\" visible=\"false\"/>"
                                               L"<Control name=\"f\" float=\"true\" pos=\"7,8,17,28\"/>"
                                               L"<Control name=\"b\" width=\"10\" height=\"10\"/>"
                                               L"<Control name=\"c\" width=\"10\" height=\"10\"/>")
                                        .c_str()))
        << win.error;
    EXPECT_EQ("70,0,80,10", RectText(win.Find(L"a")->GetPos()));
    EXPECT_EQ("220,0,230,10", RectText(win.Find(L"b")->GetPos()));
    EXPECT_EQ("70,10,80,20", RectText(win.Find(L"c")->GetPos()));
    EXPECT_EQ("7,8,17,28", RectText(win.Find(L"f")->GetPos()));
}

TEST(TileLayout, RowsBeyondTheHeightScrollVertically)
{
    BuiltWindow win;
    ASSERT_TRUE(win.Build(200, 100, TileWindow(L"columns=\"2\" vscrollbar=\"true\"",
                                               Repeat(L"<Control height=\"40\"/>", 9))
                                        .c_str()))
        << win.error;
    CTileLayoutUI* tile = win.Find<CTileLayoutUI>(L"tile");
    ASSERT_NE(nullptr, tile);
    CScrollBarUI* bar = tile->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(bar->IsVisible());
    const int cxBar = bar->GetFixedWidth();
    // Five rows of 40 in 100: 100 to scroll; the cells share the width left
    // of the bar.
    EXPECT_EQ(100, tile->GetScrollRange().cy);
    const int cxCell = (200 - cxBar) / 2;
    EXPECT_EQ(RectText(CUIRect(cxCell, 40, 2 * cxCell, 80)), RectText(tile->GetItemAt(3)->GetPos()));
    EXPECT_EQ(RectText(CUIRect(200 - cxBar, 0, 200, 100)), RectText(bar->GetPos()));

    tile->SetScrollPos(CUISize(0, 60));
    EXPECT_EQ(60, tile->GetScrollPos().cy);
    EXPECT_EQ(RectText(CUIRect(cxCell, -20, 2 * cxCell, 20)), RectText(tile->GetItemAt(3)->GetPos()));
    // A new layout pass keeps the scrolled positions.
    tile->RequestLayout();
    win.host.Update();
    EXPECT_EQ(60, tile->GetScrollPos().cy);
    EXPECT_EQ(RectText(CUIRect(0, 100, cxCell, 140)), RectText(tile->GetItemAt(8)->GetPos()));

    // Fewer children: no overflow, no bar.
    while (tile->GetCount() > 4)
        tile->RemoveAt(tile->GetCount() - 1);
    win.host.Update();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ("0,40,100,80", RectText(tile->GetItemAt(2)->GetPos()));
    win.Keep(L"tile_layout", 200, 100);
}

} // namespace
