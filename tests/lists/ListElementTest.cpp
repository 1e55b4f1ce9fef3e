// The list elements: item backgrounds in every state by pixels (alternate
// rows, precedence disabled > selected > hot, state images, the bottom line),
// item sizes, the text element's columns, links and text callback, and the
// container element's children.
#include "ListsTestUtil.h"

using namespace SkinUI;
using namespace listtest;
using testsupport::Canvas;

namespace {

const DWORD kWhite = 0xFFFFFFFF;
const DWORD kBk = 0xFF112233;
const DWORD kHotBk = 0xFF22AA22;
const DWORD kSelBk = 0xFFAA2222;
const DWORD kDisBk = 0xFF808080;
const DWORD kLine = 0xFF0000FF;
// The images of make_list_images.py.
const DWORD kSelImage = 0xFFFF8000;
const DWORD kBkImage = 0xFF008080;

class ItemPaintTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Open(200, 200)); }
    // Six label rows of 20 pixels on a white list.
    CListUI* BuildRows(const wchar_t* style)
    {
        std::wstring xml = std::wstring(L"<Window><List name=\"list\" header=\"hidden\" bkcolor=\"#FFFFFFFF\" ") + style
                           + L">";
        for (int i = 0; i < 6; ++i)
            xml += L"<ListLabelElement name=\"r" + std::to_wstring(i) + L"\" height=\"20\"/>";
        xml += L"</List></Window>";
        list = static_cast<CListUI*>(host.Build(xml.c_str()));
        return list;
    }
    void Hover(int row)
    {
        UIEvent ev = MakeEvent(UIEventMouseEnter, POINT{ 100, row * 20 + 10 });
        list->GetItemAt(row)->HandleEvent(ev);
    }
    void Capture()
    {
        host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    }

    ImageFolder images;
    HostWindow host;
    CListUI* list = nullptr;
    Canvas canvas{ 200, 200 };
};

TEST_F(ItemPaintTest, RowColoursFollowAlternationAndStatePrecedence)
{
    ASSERT_NE(nullptr, BuildRows(L"itembkcolor=\"#FF112233\" itemaltbk=\"true\" itemhotbkcolor=\"#FF22AA22\" "
                                 L"itemselectedbkcolor=\"#FFAA2222\" itemdisabledbkcolor=\"#FF808080\" "
                                 L"itemlinecolor=\"#FF0000FF\""));
    list->GetItemAt(1)->SetEnabled(false);
    Hover(3);
    Hover(2);
    list->SelectItem(2);           // hot and selected: selected
    list->SelectItem(4);
    list->GetItemAt(4)->SetEnabled(false);   // selected and disabled: disabled
    list->SelectItem(2);   // the disabled item gives its flag up
    Capture();
    host.Keep("list_item_states");

    struct Row
    {
        int row;
        DWORD fill;
        const char* why;
    } rows[] = {
        { 0, kBk, "even row" },
        { 1, kDisBk, "odd but disabled" },
        { 2, kSelBk, "hot and selected" },
        { 3, kHotBk, "odd but hot" },
        { 4, kDisBk, "disabled beats selected" },
        { 5, kWhite, "odd row: no colour" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.why);
        EXPECT_RGB(canvas, 100, r.row * 20 + 10, r.fill);
        // Every row that drew no image has the line along its bottom.
        EXPECT_RGB(canvas, 100, r.row * 20 + 19, kLine);
        EXPECT_RGB(canvas, 100, r.row * 20 + 18, r.fill);
    }
}

TEST_F(ItemPaintTest, AStateImageOrTheListImageEndsThePaintingWithoutALine)
{
    ASSERT_NE(nullptr, BuildRows(L"itemselectedimage=\"file='itemsel.png'\" itemlinecolor=\"#FF0000FF\""));
    list->SelectItem(1);
    Capture();
    EXPECT_RGB(canvas, 100, 30, kSelImage);
    EXPECT_RGB(canvas, 100, 39, kSelImage);   // no line under the image
    EXPECT_RGB(canvas, 100, 19, kLine);
    EXPECT_RGB(canvas, 100, 10, kWhite);

    // The list's background image is drawn for every row, and it ends the
    // painting too; an own background image lets the line through.
    list->SetItemBkImage(L"file='itembk.png'");
    list->GetItemAt(3)->SetBackgroundImage(L"file='state.png'");
    Capture();
    EXPECT_RGB(canvas, 100, 10, kBkImage);
    EXPECT_RGB(canvas, 100, 19, kBkImage);
    EXPECT_RGB(canvas, 100, 30, kSelImage);
    EXPECT_RGB(canvas, 100, 70, 0xFF0000FF);   // row 3's own image
    EXPECT_RGB(canvas, 100, 79, kLine);

    // An image that cannot be found counts as drawn (the engine reports only a
    // missing manager or DC): the selected row keeps its colour, and no line.
    list->SetSelectedItemImage(L"file='missing.png'");
    Capture();
    EXPECT_FALSE(list->GetListInfo()->sSelectedImage.IsEmpty());
    EXPECT_RGB(canvas, 100, 30, 0xFFC1E3FF);
    EXPECT_RGB(canvas, 100, 39, 0xFFC1E3FF);
    host.Keep("list_item_images");
}

TEST_F(ItemPaintTest, OnlyAColourOfZeroDrawsNothing)
{
    ASSERT_NE(nullptr, BuildRows(L"itembkcolor=\"#01000000\" itemlinecolor=\"0\""));
    Capture();
    const DWORD px = canvas.Pixel(100, 10) & 0x00FFFFFF;
    EXPECT_NE(0x00FFFFFFu, px);   // almost transparent black is still blended
    EXPECT_TRUE(testsupport::ColorNear(px, kWhite, 2)) << testsupport::ColorText(px);
    EXPECT_RGB(canvas, 100, 19, px);   // no line of colour 0
}

TEST(ItemColours, TextColourPrecedence)
{
    UIListInfo info;
    info.dwTextColor = 1;
    info.dwHotTextColor = 2;
    info.dwSelectedTextColor = 3;
    info.dwDisabledTextColor = 4;
    struct Case
    {
        bool enabled, selected, hot;
        DWORD want;
    } cases[] = {
        { true, false, false, 1 }, { true, false, true, 2 },  { true, true, true, 3 },
        { false, true, true, 4 },  { false, false, false, 4 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, GetListItemTextColor(&info, c.enabled, c.selected, c.hot));
}

// --- sizes -----------------------------------------------------------------------

TEST(ItemSizes, LabelAndTextRowsTakeTheFontAndThePadding)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(200, 100));
    CListUI* list = static_cast<CListUI*>(host.Build(
        L"<Window><List itemtextpadding=\"3,2,5,4\"><ListLabelElement name=\"l\" text=\"Wide\"/>"
        L"<ListLabelElement name=\"empty\"/><ListTextElement name=\"t\"/>"
        L"<ListLabelElement name=\"fixed\" height=\"33\" width=\"44\"/></List></Window>"));
    ASSERT_NE(nullptr, list);
    const int cy = FontHeight(host.pm) + 2 + 4 + 8;
    const SIZE avail = { 200, 100 };
    CUISize label = host.Find<CControlUI>(L"l")->MeasureSize(avail);
    EXPECT_EQ(cy, label.cy);
    // The text width as DrawText measures it, plus the left and right padding.
    HDC hdc = host.pm.GetPaintDC();
    HGDIOBJ old = ::SelectObject(hdc, host.pm.GetDefaultFontInfo()->hFont);
    RECT rc = { 0, 0, 9999, cy };
    ::DrawTextW(hdc, L"Wide", -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    ::SelectObject(hdc, old);
    EXPECT_EQ(rc.right + 8, label.cx);
    EXPECT_EQ(8, host.Find<CControlUI>(L"empty")->MeasureSize(avail).cx);
    EXPECT_EQ(cy, host.Find<CControlUI>(L"t")->MeasureSize(avail).cy);
    EXPECT_EQ(0, host.Find<CControlUI>(L"t")->MeasureSize(avail).cx);
    EXPECT_EQ(CUISize(44, 33).cx, host.Find<CControlUI>(L"fixed")->MeasureSize(avail).cx);
    EXPECT_EQ(33, host.Find<CControlUI>(L"fixed")->MeasureSize(avail).cy);
    EXPECT_EQ(cy, host.Find<CControlUI>(L"l")->GetHeight());

    // Without an owner a label item measures nothing.
    CListLabelElementUI alone;
    alone.SetText(L"x");
    EXPECT_EQ(0, alone.MeasureSize(avail).cy);
}

// --- the text element ------------------------------------------------------------

class TextCallback : public IListCallbackUI
{
public:
    std::vector<std::string> asked;
    LPCTSTR GetItemText(CControlUI* pItem, int iIndex, int iColumn) override
    {
        asked.push_back(testsupport::Narrow(pItem->GetName().GetData()) + ":" + std::to_string(iIndex) + ":"
                        + std::to_string(iColumn));
        return iColumn == 0 ? L"{a cb}callback{/a}" : NULL;
    }
};

std::wstring Links(int n)
{
    std::wstring s;
    for (int i = 0; i < n; ++i)
        s += L"{a l" + std::to_wstring(i) + L"}L" + std::to_wstring(i) + L"{/a} ";
    return s;
}

class TextElementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(400, 100));
        list = static_cast<CListUI*>(host.Build(
            L"<Window><List name=\"list\" itemshowhtml=\"true\" header=\"hidden\" bkcolor=\"#FFFFFFFF\">"
            L"<ListHeader><ListHeaderItem width=\"200\"/><ListHeaderItem width=\"200\"/></ListHeader>"
            L"<ListTextElement name=\"t\" height=\"30\"/></List></Window>"));
        ASSERT_NE(nullptr, list);
        text = host.Find<CListTextElementUI>(L"t");
        ASSERT_NE(nullptr, text);
        host.pm.AddNotifier(&rec);
    }

    HostWindow host;
    Recorder rec{ { L"link", L"itemclick", L"itemselect" } };
    CListUI* list = nullptr;
    CListTextElementUI* text = nullptr;
};

TEST_F(TextElementTest, EightLinksInAllOverTheColumns)
{
    EXPECT_EQ(nullptr, text->GetText(0));
    text->SetText(1, Links(6).c_str());
    EXPECT_STREQ(L"", text->GetText(0));
    text->SetText(0, Links(5).c_str());
    EXPECT_EQ(nullptr, text->GetText(2));
    host.Update();
    host.Keep("list_text_links");

    ASSERT_EQ(8, text->GetLinkCount());
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const RECT& rc = text->GetLinkRect(i);
        const int columnRight = i < 5 ? 200 : 400;
        EXPECT_LT(rc.left, rc.right);
        EXPECT_LE(rc.right, columnRight);
        EXPECT_GE(rc.left, columnRight - 200);
        const std::wstring want = L"l" + std::to_wstring(i < 5 ? i : i - 5);
        EXPECT_STREQ(want.c_str(), text->GetLinkText(i).GetData());
    }
    EXPECT_EQ((UINT)6, text->GetInputFlags());

    // A release over stored link 6 (the second of column 1) reports it; one
    // over a link past the eighth reports nothing.
    const RECT rc6 = text->GetLinkRect(6);
    UIEvent up = MakeEvent(UIEventButtonUp, Center(rc6));
    text->HandleEvent(up);
    ASSERT_EQ(1u, rec.items.size());
    EXPECT_EQ(L"link", rec.items[0].type);
    EXPECT_EQ(6u, rec.items[0].wParam);
    rec.Clear();
    const RECT rc7 = text->GetLinkRect(7);
    POINT past = { rc7.right + (rc7.right - rc7.left) + 4, (rc7.top + rc7.bottom) / 2 };
    UIEvent upPast = MakeEvent(UIEventButtonUp, past);
    text->HandleEvent(upPast);
    EXPECT_TRUE(rec.items.empty());

    // Without columns nothing is drawn, so no link is left.
    text->SetText(0, L"plain");
    text->SetText(1, L"plain");
    host.Update();
    EXPECT_EQ(0, text->GetLinkCount());
    EXPECT_EQ((UINT)4, text->GetInputFlags());
}

TEST_F(TextElementTest, TheCallbackReplacesTheOwnTextsUntilItIsCleared)
{
    TextCallback callback;
    text->SetText(0, L"own");
    text->SetText(1, Links(1).c_str());
    list->SetTextCallback(&callback);
    EXPECT_EQ(&callback, list->GetTextCallback());
    host.Update();
    // Asked once per column at every paint.
    ASSERT_GE(callback.asked.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{ "t:0:0", "t:0:1" }),
              std::vector<std::string>(callback.asked.end() - 2, callback.asked.end()));
    ASSERT_EQ(1, text->GetLinkCount());
    EXPECT_STREQ(L"cb", text->GetLinkText(0).GetData());

    list->SetTextCallback(NULL);
    callback.asked.clear();
    host.Update();
    EXPECT_TRUE(callback.asked.empty());
    ASSERT_EQ(1, text->GetLinkCount());
    EXPECT_STREQ(L"l0", text->GetLinkText(0).GetData());
    EXPECT_GE(text->GetLinkRect(0).left, 200);

    // A list whose header has no items has no columns: nothing is asked.
    list->SetTextCallback(&callback);
    list->GetHeader()->RemoveAll();
    list->RequestLayout();
    host.Update();
    EXPECT_EQ(0, list->GetListInfo()->nColumns);
    EXPECT_TRUE(callback.asked.empty());
    EXPECT_EQ(0, text->GetLinkCount());
    list->SetTextCallback(NULL);
}

TEST(ContainerElement, ChildrenClickThroughToTheItem)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(200, 100));
    Recorder rec{ { L"itemclick", L"itemselect" } };
    host.pm.AddNotifier(&rec);
    CListUI* list = static_cast<CListUI*>(host.Build(
        L"<Window><List name=\"list\" header=\"hidden\">"
        L"<ListContainerElement name=\"row\" height=\"40\"><HorizontalLayout><Label name=\"lab\" text=\"x\" width=\"50\"/>"
        L"</HorizontalLayout></ListContainerElement></List></Window>"));
    ASSERT_NE(nullptr, list);
    host.Click(20, 20);
    EXPECT_EQ((std::vector<std::string>{ "itemclick:row", "itemselect:list" }), rec.Sequence());
    EXPECT_EQ(0, list->GetCurSel());
    EXPECT_RECT(CUIRect(0, 0, 50, 40), host.pm.FindControlByName(L"lab")->GetPos());
}

} // namespace
