// The list header: its size, "headerclick" on a press, state and separator
// images by pixels, and the separator drags (right and left separators, the
// minimum width, non-dragable items, items without separator) that resize
// the columns of the list.
#include "ListsTestUtil.h"

using namespace SkinUI;
using namespace listtest;
using testsupport::Canvas;

namespace {

class HeaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(400, 200));
        host.pm.AddNotifier(&rec);
        list = static_cast<CListUI*>(host.Build(
            L"<Window><List name=\"list\" bkcolor=\"#FFFFFFFF\">"
            L"<ListHeader name=\"header\" height=\"20\" bkcolor=\"#FFE0E0E0\">"
            L"<ListHeaderItem name=\"h0\" width=\"100\" text=\"right sep\"/>"
            L"<ListHeaderItem name=\"h1\" width=\"100\" sepwidth=\"-4\" text=\"left sep\"/>"
            L"<ListHeaderItem name=\"h2\" width=\"100\" dragable=\"false\" text=\"fixed\"/>"
            L"<ListHeaderItem name=\"h3\" width=\"80\" sepwidth=\"0\" text=\"no sep\"/>"
            L"</ListHeader><ListTextElement name=\"row\" height=\"20\"/></List></Window>"));
        ASSERT_NE(nullptr, list);
        for (int i = 0; i < 4; ++i)
            h[i] = host.Find<CListHeaderItemUI>((L"h" + std::to_wstring(i)).c_str());
    }
    // "100,100,100,80": the item widths after a layout.
    std::string Widths()
    {
        host.Update();
        std::string s;
        for (CListHeaderItemUI* item : h)
            s += (s.empty() ? "" : ",") + std::to_string(item->GetWidth());
        return s;
    }

    HostWindow host;
    Recorder rec{ { L"headerclick" } };
    CListUI* list = nullptr;
    CListHeaderItemUI* h[4] = {};
};

TEST_F(HeaderTest, SeparatorDragsResizeTheColumns)
{
    EXPECT_EQ("100,100,100,80", Widths());
    struct Drag
    {
        const char* what;
        int item;
        int from;   // x of the press, relative to the item's left edge (negative: from its right edge)
        std::vector<int> moves;   // pointer x relative to the press
        const char* widths;
    } drags[] = {
        { "right separator to the right", 0, -2, { 20 }, "120,100,100,80" },
        { "below the minimum width is ignored, then resumed", 0, -2, { -110, -50 }, "70,100,100,80" },
        { "left separator to the left widens", 1, 2, { -30 }, "70,130,100,80" },
        { "a non-dragable separator does nothing", 2, -2, { 40 }, "70,130,100,80" },
        { "no separator: no drag", 3, -1, { 40 }, "70,130,100,80" },
    };
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.what);
        rec.Clear();
        const RECT rc = h[d.item]->GetPos();
        const int x = d.from >= 0 ? rc.left + d.from : rc.right + d.from;
        host.Press(x, 10);
        for (int dx : d.moves)
            host.Move(x + dx, 10);
        host.Release(x + d.moves.back(), 10);
        EXPECT_EQ(d.widths, Widths());
        // A press on a separator never clicks the caption; the items without
        // one are clicked anywhere.
        EXPECT_EQ(d.item == 3 ? 1 : 0, rec.Count(L"headerclick"));
    }
    // The list's columns and rows follow.
    const UIListInfo* info = list->GetListInfo();
    EXPECT_RECT(CUIRect(70, 0, 200, 20), info->rcColumn[1]);
    const SIZE avail = { 400, 200 };
    EXPECT_EQ(380, list->GetHeader()->MeasureSize(avail).cx);
    EXPECT_EQ(400, host.Find<CControlUI>(L"row")->GetWidth());   // never narrower than the list
    host.Keep("list_header_drag");
}

TEST_F(HeaderTest, APressClicksAndTheReleaseOnlyClearsThePush)
{
    host.Press(50, 10);
    EXPECT_EQ(1, rec.Count(L"headerclick"));
    EXPECT_NE(0u, h[0]->GetButtonState() & UIStatePushed);
    host.Release(50, 10);
    EXPECT_EQ(1, rec.Count(L"headerclick"));
    EXPECT_EQ(0u, h[0]->GetButtonState() & UIStatePushed);
    UIEvent dbl = MakeEvent(UIEventDoubleClick, POINT{ 150, 10 });
    h[1]->HandleEvent(dbl);
    EXPECT_EQ(2, rec.Count(L"headerclick"));

    // Disabling an item ends its drag.
    host.Press(98, 10);
    EXPECT_NE(0u, h[0]->GetButtonState() & UIStateCaptured);
    h[0]->SetEnabled(false);
    EXPECT_EQ(0u, h[0]->GetButtonState());
    host.Move(140, 10);
    host.Release(140, 10);
    EXPECT_EQ("100,100,100,80", Widths());
}

TEST_F(HeaderTest, OnlyItemsWithASeparatorAskForTheCursor)
{
    EXPECT_EQ((UINT)WantSetCursor, h[0]->GetInputFlags());
    EXPECT_EQ(0u, h[3]->GetInputFlags());
    EXPECT_RECT(CUIRect(96, 0, 100, 20), h[0]->GetSepRect());
    EXPECT_RECT(CUIRect(100, 0, 104, 20), h[1]->GetSepRect());

    UIEvent ev = MakeEvent(UIEventSetCursor, POINT{ 93, 10 });   // 4 pixels of slack inside
    h[0]->HandleEvent(ev);
    EXPECT_EQ(::LoadCursorW(NULL, IDC_SIZEWE), ::GetCursor());
    ev.ptMouse.x = 50;
    h[0]->HandleEvent(ev);
    EXPECT_EQ(::LoadCursorW(NULL, IDC_ARROW), ::GetCursor());
    ev.ptMouse.x = 298;   // the non-dragable item keeps the arrow
    h[2]->HandleEvent(ev);
    EXPECT_EQ(::LoadCursorW(NULL, IDC_ARROW), ::GetCursor());
}

TEST(HeaderSize, TallestItemButAtLeastTheFontAndTheSumOfAllWidths)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(300, 100));
    CListUI* list = static_cast<CListUI*>(host.Build(
        L"<Window><List><ListHeader name=\"a\"><ListHeaderItem height=\"20\" width=\"30\"/>"
        L"<ListHeaderItem height=\"20\" width=\"40\" visible=\"false\"/></ListHeader></List></Window>"));
    ASSERT_NE(nullptr, list);
    const SIZE avail = { 300, 100 };
    const int font = FontHeight(host.pm);
    CUISize sz = list->GetHeader()->MeasureSize(avail);
    EXPECT_EQ(20 > font + 6 ? 20 : font + 6, sz.cy);
    EXPECT_EQ(70, sz.cx);   // hidden items count
    // Items without a height of their own are the font + 14 high.
    CListHeaderItemUI* item = new CListHeaderItemUI;
    list->Add(item);
    EXPECT_EQ(font + 14, item->MeasureSize(avail).cy);
    EXPECT_EQ(font + 14, list->GetHeader()->MeasureSize(avail).cy);
    EXPECT_EQ(3, list->GetListInfo()->nColumns);
}

TEST(HeaderPaint, StateImagesFallBackToNormalAndTheSeparatorIsDrawnAtItsEdge)
{
    ImageFolder images;
    HostWindow host;
    ASSERT_TRUE(host.Open(200, 60));
    CListUI* list = static_cast<CListUI*>(host.Build(
        L"<Window><List bkcolor=\"#FFFFFFFF\"><ListHeader height=\"30\">"
        L"<ListHeaderItem name=\"a\" width=\"100\" normalimage=\"file='itemsel.png'\" pushedimage=\"file='itemhot.png'\" "
        L"sepimage=\"file='state.png'\"/></ListHeader></List></Window>"));
    ASSERT_NE(nullptr, list);
    CListHeaderItemUI* a = host.Find<CListHeaderItemUI>(L"a");
    Canvas canvas(200, 60);
    UIEvent enter = MakeEvent(UIEventMouseEnter, POINT{ 50, 10 });
    a->HandleEvent(enter);
    host.Update();
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    EXPECT_RGB(canvas, 50, 15, 0xFFFF8000);   // hot without a hot image: the normal one
    EXPECT_RGB(canvas, 97, 15, 0xFF0000FF);   // the separator strip, 96..100
    EXPECT_RGB(canvas, 95, 15, 0xFFFF8000);
    UIEvent down = MakeEvent(UIEventButtonDown, POINT{ 50, 10 });
    a->HandleEvent(down);
    host.Update();
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    EXPECT_RGB(canvas, 50, 15, 0xFF00A000);
    host.Keep("list_header_images");
}

} // namespace
