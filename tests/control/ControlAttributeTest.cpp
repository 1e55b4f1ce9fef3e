// Skin attributes of the control and container bases: the attribute table,
// colours, flags, number lists, attribute lists, and the names and defaults.
#include "ControlTestUtil.h"

#include <functional>

using namespace SkinUI;
using namespace controltest;

namespace {

// A copy of the text whose terminator is the last character before an
// inaccessible page: reading one character past the end faults.
class GuardedText
{
public:
    explicit GuardedText(const wchar_t* text)
    {
        SYSTEM_INFO si;
        ::GetSystemInfo(&si);
        m_page = si.dwPageSize;
        m_base = static_cast<BYTE*>(::VirtualAlloc(NULL, m_page * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(m_base + m_page, m_page, PAGE_NOACCESS, &old);
        const size_t chars = wcslen(text) + 1;
        m_text = reinterpret_cast<wchar_t*>(m_base + m_page) - chars;
        memcpy(m_text, text, chars * sizeof(wchar_t));
    }
    ~GuardedText() { ::VirtualFree(m_base, 0, MEM_RELEASE); }
    const wchar_t* get() const { return m_text; }

private:
    BYTE* m_base;
    DWORD m_page;
    wchar_t* m_text;
};

TEST(ControlNames, ClassAndInterfaceNames)
{
    CControlUI control;
    EXPECT_STREQ(L"ControlUI", control.GetClassName());
    EXPECT_EQ(&control, control.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, control.GetInterface(L"control"));
    EXPECT_EQ(nullptr, control.GetInterface(L"Container"));
    EXPECT_EQ(nullptr, control.GetInterface(NULL));
    EXPECT_EQ(0u, control.GetInputFlags());

    CContainerUI container;
    EXPECT_STREQ(L"ContainerUI", container.GetClassName());
    EXPECT_EQ(static_cast<IContainerUI*>(&container), container.GetInterface(L"IContainer"));
    EXPECT_EQ(&container, container.GetInterface(L"Container"));
    EXPECT_EQ(static_cast<CControlUI*>(&container), container.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, container.GetInterface(L"ListItem"));
}

TEST(ControlNames, DefaultsAndActivation)
{
    CControlUI c;
    EXPECT_EQ(9999, c.GetMaxWidth());
    EXPECT_EQ(9999, c.GetMaxHeight());
    EXPECT_EQ(0, c.GetMinWidth());
    EXPECT_EQ(300, c.GetToolTipWidth());
    EXPECT_TRUE(c.NeedsLayout());
    EXPECT_EQ(0u, c.GetBackgroundColor());
    EXPECT_EQ(0u, c.GetBorderColor());
    EXPECT_EQ(0u, c.GetFocusBorderColor());
    EXPECT_TRUE(c.IsVisible());
    EXPECT_TRUE(c.IsEnabled());
    EXPECT_TRUE(c.IsMouseEnabled());
    EXPECT_FALSE(c.IsFloat());
    EXPECT_FALSE(c.IsFocused());
    EXPECT_EQ(0, c.GetShortcut());

    EXPECT_TRUE(c.Activate());
    c.SetEnabled(false);
    EXPECT_FALSE(c.Activate());
    c.SetEnabled(true);
    c.SetVisible(false);
    EXPECT_FALSE(c.Activate());

    CContainerUI box;
    EXPECT_TRUE(box.IsAutoDestroy());
    EXPECT_TRUE(box.IsDelayedDestroy());
    EXPECT_TRUE(box.IsMouseChildEnabled());
    EXPECT_EQ(0, box.GetChildPadding());
    EXPECT_EQ(nullptr, box.GetVerticalScrollBar());
    EXPECT_EQ(nullptr, box.GetHorizontalScrollBar());
}

struct AttrCase
{
    const char* what;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> attrs;   // applied in order
    std::function<void(CControlUI&)> check;
};

TEST(ControlAttributes, AttributeTable)
{
    const AttrCase cases[] = {
        { "pos from the left and top",
          { { L"pos", L"10,20,110,70" } },
          [](CControlUI& c) {
              EXPECT_EQ(10, c.GetFloatOffset().cx);
              EXPECT_EQ(20, c.GetFloatOffset().cy);
              EXPECT_EQ(100, c.GetFixedWidth());
              EXPECT_EQ(50, c.GetFixedHeight());
              EXPECT_FALSE(c.IsFloat()) << "pos does not make a control float";
          } },
        { "pos from the right edge",
          { { L"pos", L"-110,20,-10,70" } },
          [](CControlUI& c) {
              EXPECT_EQ(-10, c.GetFloatOffset().cx);
              EXPECT_EQ(20, c.GetFloatOffset().cy);
              EXPECT_EQ(100, c.GetFixedWidth());
          } },
        { "pos from the bottom edge",
          { { L"pos", L"5,-60,25,-10" } },
          [](CControlUI& c) {
              EXPECT_EQ(5, c.GetFloatOffset().cx);
              EXPECT_EQ(-10, c.GetFloatOffset().cy);
              EXPECT_EQ(20, c.GetFixedWidth());
              EXPECT_EQ(50, c.GetFixedHeight());
          } },
        { "pos with right before left: the negative width is ignored",
          { { L"width", L"33" }, { L"pos", L"50,0,10,5" } },
          [](CControlUI& c) {
              EXPECT_EQ(50, c.GetFloatOffset().cx);
              EXPECT_EQ(33, c.GetFixedWidth());
              EXPECT_EQ(5, c.GetFixedHeight());
          } },
        { "pos with two numbers",
          { { L"pos", L"10,20" } },
          [](CControlUI& c) {
              EXPECT_EQ(10, c.GetFloatOffset().cx);
              EXPECT_EQ(20, c.GetFloatOffset().cy);
              EXPECT_EQ(0, c.GetFixedWidth()) << "-10 is ignored";
          } },
        { "relativepos",
          { { L"relativepos", L"50,25,10,-5" } },
          [](CControlUI& c) {
              UIRelativePos r = c.GetRelativePos();
              EXPECT_TRUE(c.IsRelativePos());
              EXPECT_EQ(50, r.nMoveXPercent);
              EXPECT_EQ(25, r.nMoveYPercent);
              EXPECT_EQ(10, r.nZoomXPercent);
              EXPECT_EQ(-5, r.nZoomYPercent);
              EXPECT_EQ(0, r.nParentCx);
          } },
        { "padding, blanks before numbers",
          { { L"padding", L"1, 2,-3,4" } },
          [](CControlUI& c) { EXPECT_RECT(CUIRect(1, 2, -3, 4), c.GetPadding()); } },
        { "padding with missing numbers",
          { { L"padding", L"5," } },
          [](CControlUI& c) { EXPECT_RECT(CUIRect(5, 0, 0, 0), c.GetPadding()); } },
        { "padding separated by any one character",
          { { L"padding", L"7;8x9 10" } },
          [](CControlUI& c) { EXPECT_RECT(CUIRect(7, 8, 9, 10), c.GetPadding()); } },
        { "colours: # optional, alpha first",
          { { L"bkcolor", L"#FF435167" }, { L"bkcolor2", L"80102030" }, { L"bkcolor3", L"#00000001" } },
          [](CControlUI& c) {
              EXPECT_EQ(0xFF435167u, c.GetBackgroundColor());
              EXPECT_EQ(0x80102030u, c.GetBackgroundColor2());
              EXPECT_EQ(0x00000001u, c.GetBackgroundColor3());
          } },
        { "bkcolor1 is bkcolor",
          { { L"bkcolor1", L"#FF000102" } },
          [](CControlUI& c) { EXPECT_EQ(0xFF000102u, c.GetBackgroundColor()); } },
        { "background colours skip blanks before the #, border colours do not",
          { { L"bkcolor", L" \t#FF000000" },
            { L"bordercolor", L" #FF000000" },
            { L"focusbordercolor", L" #FF00FF00" } },
          [](CControlUI& c) {
              EXPECT_EQ(0xFF000000u, c.GetBackgroundColor());
              EXPECT_EQ(0u, c.GetBorderColor()) << "reads as unset";
              EXPECT_EQ(0u, c.GetFocusBorderColor());
          } },
        { "border colours",
          { { L"bordercolor", L"#FF123456" }, { L"focusbordercolor", L"FF654321" } },
          [](CControlUI& c) {
              EXPECT_EQ(0xFF123456u, c.GetBorderColor());
              EXPECT_EQ(0xFF654321u, c.GetFocusBorderColor());
          } },
        { "a colour without digits is unset",
          { { L"bkcolor", L"#FF0000FF" }, { L"bkcolor", L"red" } },
          [](CControlUI& c) { EXPECT_EQ(0u, c.GetBackgroundColor()); } },
        { "bordersize sequence 2, 0,0,0,1, 1",
          { { L"bordersize", L"2" } },
          [](CControlUI& c) {
              EXPECT_EQ(2, c.GetBorderSize());
              EXPECT_RECT(CUIRect(0, 0, 0, 0), c.GetBorderSizes());
              c.SetAttribute(L"bordersize", L"0,0,0,1");
              EXPECT_EQ(2, c.GetBorderSize()) << "a list sets only the sides";
              EXPECT_RECT(CUIRect(0, 0, 0, 1), c.GetBorderSizes());
              c.SetAttribute(L"bordersize", L"1");
              EXPECT_EQ(1, c.GetBorderSize());
              EXPECT_RECT(CUIRect(0, 0, 0, 0), c.GetBorderSizes());
          } },
        { "per-side border sizes, style and round",
          { { L"leftbordersize", L"1" },
            { L"topbordersize", L"2" },
            { L"rightbordersize", L"3" },
            { L"bottombordersize", L"4" },
            { L"borderstyle", L"2" },
            { L"borderround", L"4,6" } },
          [](CControlUI& c) {
              EXPECT_RECT(CUIRect(1, 2, 3, 4), c.GetBorderSizes());
              EXPECT_EQ(2, c.GetBorderStyle());
              EXPECT_EQ(4, c.GetBorderRound().cx);
              EXPECT_EQ(6, c.GetBorderRound().cy);
          } },
        { "sizes; negative values are ignored",
          { { L"width", L"40" }, { L"height", L"30px" }, { L"minwidth", L"5" }, { L"minheight", L"6" },
            { L"maxwidth", L"400" }, { L"maxheight", L"300" }, { L"width", L"-1" }, { L"minwidth", L"-2" },
            { L"maxheight", L"-3" } },
          [](CControlUI& c) {
              EXPECT_EQ(40, c.GetFixedWidth());
              EXPECT_EQ(30, c.GetFixedHeight()) << "text after the number is ignored";
              EXPECT_EQ(5, c.GetMinWidth());
              EXPECT_EQ(6, c.GetMinHeight());
              EXPECT_EQ(400, c.GetMaxWidth());
              EXPECT_EQ(300, c.GetMaxHeight());
          } },
        { "texts",
          { { L"name", L"okbtn" }, { L"text", L"Hello" }, { L"tooltip", L"line1<n>line2<n>" },
            { L"userdata", L"42" } },
          [](CControlUI& c) {
              EXPECT_STREQ(L"okbtn", c.GetName().GetData());
              EXPECT_STREQ(L"Hello", c.GetText().GetData());
              EXPECT_STREQ(L"line1\r\nline2\r\n", c.GetToolTip().GetData());
              EXPECT_STREQ(L"42", c.GetUserData().GetData());
          } },
        { "flags are true only for the exact text true",
          { { L"enabled", L"True" }, { L"mouse", L"1" }, { L"keyboard", L"false" }, { L"float", L"true" },
            { L"menu", L"true" }, { L"colorhsl", L"true " } },
          [](CControlUI& c) {
              EXPECT_FALSE(c.IsEnabled());
              EXPECT_FALSE(c.IsMouseEnabled());
              EXPECT_FALSE(c.IsKeyboardEnabled());
              EXPECT_TRUE(c.IsFloat());
              EXPECT_TRUE(c.IsContextMenuEnabled());
              EXPECT_FALSE(c.IsColorHSL());
              c.SetAttribute(L"enabled", L"true");
              c.SetAttribute(L"colorhsl", L"true");
              EXPECT_TRUE(c.IsEnabled());
              EXPECT_TRUE(c.IsColorHSL());
          } },
        { "visible",
          { { L"visible", L"yes" } },
          [](CControlUI& c) {
              EXPECT_FALSE(c.IsVisible());
              c.SetAttribute(L"visible", L"true");
              EXPECT_TRUE(c.IsVisible());
          } },
        { "shortcut is the first character",
          { { L"shortcut", L"Sx" } },
          [](CControlUI& c) {
              EXPECT_EQ(L'S', c.GetShortcut());
              c.SetAttribute(L"shortcut", L"");
              EXPECT_EQ(0, c.GetShortcut());
          } },
        { "bkimage and virtualwnd (stored without a manager)",
          { { L"bkimage", L"file='a.png' corner='1,1,1,1'" }, { L"virtualwnd", L"side" } },
          [](CControlUI& c) {
              EXPECT_STREQ(L"file='a.png' corner='1,1,1,1'", c.GetBackgroundImage().GetData());
              EXPECT_STREQ(L"side", c.GetVirtualWindow().GetData());
          } },
        { "names are exact and case-sensitive; unknown names do nothing",
          { { L"Width", L"10" }, { L"width ", L"11" }, { L"bkColor", L"#FFFFFFFF" }, { L"nosuch", L"1" },
            { L"", L"1" } },
          [](CControlUI& c) {
              EXPECT_EQ(0, c.GetFixedWidth());
              EXPECT_EQ(0u, c.GetBackgroundColor());
          } },
    };
    for (const AttrCase& c : cases) {
        SCOPED_TRACE(c.what);
        CControlUI control;
        for (const auto& a : c.attrs)
            control.SetAttribute(a.first, a.second);
        c.check(control);
    }
}

TEST(ControlAttributes, NumberListsStopAtTheEndOfTheText)
{
    // Each value ends right before an inaccessible page.
    struct Case
    {
        const wchar_t* name;
        const wchar_t* value;
    };
    const Case cases[] = {
        { L"padding", L"1,2" }, { L"padding", L"1," }, { L"pos", L"3" }, { L"pos", L"" },
        { L"relativepos", L"1,2,3" }, { L"borderround", L"4" }, { L"bordersize", L"0,0," },
        { L"bkcolor", L"#" }, { L"bordercolor", L"" }, { L"shortcut", L"" },
    };
    for (const Case& c : cases) {
        GuardedText value(c.value);
        CContainerUI box;
        box.SetAttribute(c.name, value.get());
        box.SetAttribute(L"inset", value.get());
    }
    GuardedText padding(L"9,8");
    CControlUI control;
    control.SetAttribute(L"padding", padding.get());
    EXPECT_RECT(CUIRect(9, 8, 0, 0), control.GetPadding());
}

TEST(ControlAttributes, ToolTipMarksBecomeLineBreaks)
{
    CControlUI c;
    c.SetToolTip(L"a<n>b");
    EXPECT_STREQ(L"a\r\nb", c.GetToolTip().GetData());
    c.SetToolTip(L"<n><n>x<N>");
    EXPECT_STREQ(L"\r\n\r\nx<N>", c.GetToolTip().GetData());
    c.SetToolTip(NULL);
    EXPECT_STREQ(L"", c.GetToolTip().GetData());
}

struct ListCase
{
    const char* what;
    const wchar_t* list;
    const wchar_t* name;   // expected results
    const wchar_t* text;
    const wchar_t* tooltip;
};

TEST(ControlAttributes, ApplyAttributesStopsAtTheFirstMalformedPair)
{
    const ListCase cases[] = {
        { "well formed", L"name=\"a\" text=\"b\" tooltip=\"c\"", L"a", L"b", L"c" },
        { "empty value", L"name=\"\" text=\"b\"", L"", L"b", L"" },
        { "trailing blank", L"name=\"a\" ", L"a", L"", L"" },
        { "two blanks: the next name starts with a blank", L"name=\"a\"  text=\"b\"", L"a", L"", L"" },
        { "missing opening quote", L"name=\"a\" text=b\" tooltip=\"c\"", L"a", L"", L"" },
        { "missing closing quote", L"name=\"a\" text=\"b", L"a", L"", L"" },
        { "missing =", L"name=\"a\" text", L"a", L"", L"" },
        { "a blank before = makes an unknown name", L"name=\"a\" text =\"b\" tooltip=\"c\"", L"a", L"", L"c" },
        { "no blank after the closing quote", L"name=\"a\"text=\"b\"", L"a", L"", L"" },
        { "first pair malformed", L"name\"a\" text=\"b\"", L"", L"", L"" },
        { "single quotes do not delimit", L"name=\"it's\" text=\"'x'\"", L"it's", L"'x'", L"" },
        { "empty list", L"", L"", L"", L"" },
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        GuardedText list(c.list);
        CControlUI control;
        EXPECT_EQ(&control, control.ApplyAttributes(list.get()));
        EXPECT_STREQ(c.name, control.GetName().GetData());
        EXPECT_STREQ(c.text, control.GetText().GetData());
        EXPECT_STREQ(c.tooltip, control.GetToolTip().GetData());
    }
    CControlUI control;
    EXPECT_EQ(&control, control.ApplyAttributes(NULL));
}

TEST(ContainerAttributes, InsetChildPaddingMouseChildAndScrollBars)
{
    CContainerUI box;
    box.ApplyAttributes(L"inset=\"1,2,3,4\" childpadding=\"6\" mousechild=\"false\" bkcolor=\"#FF010203\"");
    EXPECT_RECT(CUIRect(1, 2, 3, 4), box.GetInset());
    EXPECT_EQ(6, box.GetChildPadding());
    EXPECT_FALSE(box.IsMouseChildEnabled());
    EXPECT_EQ(0xFF010203u, box.GetBackgroundColor()) << "other names reach the control base";

    box.SetAttribute(L"vscrollbar", L"true");
    CScrollBarUI* v = box.GetVerticalScrollBar();
    ASSERT_NE(nullptr, v);
    EXPECT_FALSE(v->IsHorizontal());
    EXPECT_EQ(&box, v->GetOwner());
    EXPECT_EQ(nullptr, box.GetHorizontalScrollBar());

    box.SetAttribute(L"hscrollbar", L"true");
    CScrollBarUI* h = box.GetHorizontalScrollBar();
    ASSERT_NE(nullptr, h);
    EXPECT_TRUE(h->IsHorizontal());
    EXPECT_EQ(v, box.GetVerticalScrollBar()) << "an existing bar stays";

    // A style list creates the bar when needed and applies to it; its values
    // are written with double quotes inside the attribute value.
    box.SetAttribute(L"hscrollbarstyle", L"linesize=\"30\" range=\"50\"");
    EXPECT_EQ(h, box.GetHorizontalScrollBar());
    EXPECT_EQ(30, h->GetLineSize());
    EXPECT_EQ(50, h->GetScrollRange());

    box.SetAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(nullptr, box.GetVerticalScrollBar());
    EXPECT_EQ(h, box.GetHorizontalScrollBar());

    box.SetAttribute(L"vscrollbarstyle", L"range=\"7\"");
    ASSERT_NE(nullptr, box.GetVerticalScrollBar());
    EXPECT_EQ(7, box.GetVerticalScrollBar()->GetScrollRange());

    box.SetAttribute(L"hscrollbar", L"no");
    EXPECT_EQ(nullptr, box.GetHorizontalScrollBar());
    EXPECT_NE(nullptr, box.GetVerticalScrollBar());
}

} // namespace
