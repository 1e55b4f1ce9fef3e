// The label: attributes and their order, text style keywords, measuring from
// the font, default colours taken at paint, which setters repaint, and the
// GDI+ effect path (gradient, shadow, outline) checked by pixels.
#include "ControlsTestUtil.h"

#include <functional>

using namespace SkinUI;
using namespace ctltest;
using testsupport::Canvas;

namespace {

TEST(LabelNames, ClassNameAndInterfaces)
{
    CLabelUI label;
    EXPECT_STREQ(L"LabelUI", label.GetClassName());
    EXPECT_EQ(static_cast<void*>(&label), label.GetInterface(L"Label"));
    EXPECT_EQ(nullptr, label.GetInterface(L"label"));
    EXPECT_EQ(static_cast<void*>(&label), label.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, label.GetInterface(L"Button"));
}

TEST(LabelAttributes, AlignKeywordsChangeTheTextStyle)
{
    struct Case
    {
        const wchar_t* align;
        UINT style;
    };
    const Case cases[] = {
        { NULL, DT_VCENTER },   // the default
        { L"vcenter", DT_CENTER | DT_VCENTER | DT_SINGLELINE },
        { L"left", 0 },
        { L"center", DT_CENTER | DT_VCENTER },
        { L"right", DT_RIGHT },
        { L"top", DT_SINGLELINE },
        { L"bottom", DT_BOTTOM | DT_SINGLELINE },
        { L"right top", DT_RIGHT | DT_SINGLELINE },
        { L"left bottom", DT_BOTTOM | DT_SINGLELINE },
        { L"Center", DT_VCENTER },   // keywords are case-sensitive
    };
    for (const Case& c : cases) {
        LabelProbe label;
        if (c.align != NULL)
            label.SetAttribute(L"align", c.align);
        EXPECT_EQ(c.style, label.Style()) << testsupport::Narrow(c.align != NULL ? c.align : L"(default)");
    }

    LabelProbe label;
    label.SetAttribute(L"endellipsis", L"true");
    EXPECT_EQ((UINT)(DT_VCENTER | DT_END_ELLIPSIS), label.Style());
    label.SetAttribute(L"endellipsis", L"True");
    EXPECT_EQ((UINT)DT_VCENTER, label.Style());
}

TEST(LabelAttributes, ColoursFontPaddingAndEffectValues)
{
    LabelProbe label;
    EXPECT_EQ(-1, label.GetFont());
    EXPECT_EQ(60, label.GetTransShadow());
    EXPECT_EQ(60, label.GetTransShadow1());
    EXPECT_EQ(168, label.GetTransText());
    EXPECT_EQ(168, label.GetTransText1());
    EXPECT_EQ(255, label.GetTransStroke());
    EXPECT_EQ(0xFFFFFFFFu, label.GetTextColor1());
    EXPECT_EQ(0xFF000000u, label.GetTextShadowColorA());
    EXPECT_EQ(0xFFFFFFFFu, label.GetTextShadowColorB());
    EXPECT_EQ(0u, label.GetStrokeColor());
    EXPECT_FALSE(label.IsEnabledEffect());

    label.ApplyAttributes(L"textcolor=\"FF00FF00\" disabledtextcolor=\"#80112233\" font=\"3\" "
                          L"textpadding=\"1,2,3,4\" showhtml=\"true\" rhaa=\"4\" transshadow=\"10\" "
                          L"transtext=\"20\" transshadow1=\"30\" transtext1=\"40\" gradientangle=\"7\" "
                          L"enabledstroke=\"true\" enabledshadow=\"true\" transstroke=\"50\" "
                          L"gradientlength=\"33\" textcolor1=\"#FF123456\" textshadowcolora=\"#FF654321\" "
                          L"textshadowcolorb=\"0\" strokecolor=\"#FFABCDEF\" name=\"lbl\"");
    EXPECT_EQ(0xFF00FF00u, label.GetTextColor());
    EXPECT_EQ(0x80112233u, label.DisabledColor());
    EXPECT_EQ(3, label.GetFont());
    EXPECT_RECT(CUIRect(1, 2, 3, 4), label.Padding());
    EXPECT_TRUE(label.ShowHtml());
    EXPECT_EQ(4, label.Hint());
    EXPECT_EQ(10, label.GetTransShadow());
    EXPECT_EQ(20, label.GetTransText());
    EXPECT_EQ(30, label.GetTransShadow1());
    EXPECT_EQ(40, label.GetTransText1());
    EXPECT_EQ(7, label.GetGradientAngle());
    EXPECT_TRUE(label.IsEnabledStroke());
    EXPECT_TRUE(label.IsEnabledShadow());
    EXPECT_EQ(50, label.GetTransStroke());
    EXPECT_EQ(33, label.GetGradientLength());
    EXPECT_EQ(0xFF123456u, label.GetTextColor1());
    EXPECT_EQ(0xFF654321u, label.GetTextShadowColorA());
    EXPECT_EQ(0u, label.GetTextShadowColorB());
    EXPECT_EQ(0xFFABCDEFu, label.GetStrokeColor());
    EXPECT_STREQ(L"lbl", label.GetName().GetData());   // others reach the control base

    label.SetAttribute(L"textcolor", L"#FF00FF00");
    EXPECT_EQ(0xFF00FF00u, label.GetTextColor());
    label.SetAttribute(L"rhaa", L"7");
    EXPECT_EQ(0, label.Hint());
    label.SetAttribute(L"rhaa", L"5");
    EXPECT_EQ(5, label.Hint());
    label.SetAttribute(L"rhaa", L"-1");
    EXPECT_EQ(0, label.Hint());
}

TEST(LabelAttributes, ShadowOffsetFromDistanceAndAngle)
{
    struct Case
    {
        const wchar_t* value;
        float dx;
        float dy;
    };
    const Case cases[] = {
        { L"2,45", -2, -2 },  { L"2,-90", 2, 0 },    { L"3,0", -3, -3 },   { L"3,90", -3, -3 },
        { L"3,91", -3, 3 },   { L"3,180", -3, 3 },   { L"3,-1", 3, -3 },   { L"3,-89", 3, -3 },
        { L"3,-91", 3, 3 },   { L"3,-179", 3, 3 },   { L"3,-180", 0, 3 },  { L"8,-135", 8, 8 },
    };
    for (const Case& c : cases) {
        LabelProbe label;
        label.SetAttribute(L"shadowoffset", c.value);
        EXPECT_FLOAT_EQ(c.dx, label.ShadowX()) << testsupport::Narrow(c.value);
        EXPECT_FLOAT_EQ(c.dy, label.ShadowY()) << testsupport::Narrow(c.value);
    }
    // Angles outside -180..180 change nothing.
    LabelProbe label;
    label.SetAttribute(L"shadowoffset", L"2,45");
    label.SetAttribute(L"shadowoffset", L"2,200");
    EXPECT_FLOAT_EQ(-2, label.ShadowX());
    EXPECT_FLOAT_EQ(-2, label.ShadowY());
    label.SetAttribute(L"shadowoffset", L"2,-181");
    EXPECT_FLOAT_EQ(-2, label.ShadowX());

    // The offset is a displacement: it does not depend on where the control
    // happens to be when it is set.
    LabelProbe placed;
    placed.SetPos(CUIRect(120, 300, 220, 340));
    placed.SetShadowOffset(2, 45);
    EXPECT_FLOAT_EQ(-2, placed.ShadowX());
    EXPECT_FLOAT_EQ(-2, placed.ShadowY());
}

TEST(LabelAttributes, TextGoesToTheStoreTheEffectFlagSelectsAtThatMoment)
{
    LabelProbe effectFirst;
    effectFirst.ApplyAttributes(L"enabledeffect=\"true\" text=\"effect\"");
    EXPECT_STREQ(L"effect", effectFirst.GetText().GetData());
    EXPECT_TRUE(effectFirst.OrdinaryText().IsEmpty());

    LabelProbe textFirst;
    textFirst.ApplyAttributes(L"text=\"plain\" enabledeffect=\"true\"");
    EXPECT_STREQ(L"", textFirst.GetText().GetData());
    EXPECT_STREQ(L"plain", textFirst.OrdinaryText().GetData());
    textFirst.SetEnabledEffect(false);
    EXPECT_STREQ(L"plain", textFirst.GetText().GetData());
}

// ---------------------------------------------------------------------------
// In a window
// ---------------------------------------------------------------------------
class LabelWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(400, 200));
        root = new CVerticalLayoutUI;
        root->SetBackgroundColor(0xFFFFFFFF);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        bigFont = host.pm.AddFont(L"Arial", 40, true, false, false);
        ASSERT_NE(nullptr, bigFont);
    }
    LabelProbe* AddLabel(const wchar_t* attributes, int height = 60)
    {
        LabelProbe* label = new LabelProbe;
        label->SetFixedHeight(height);
        label->ApplyAttributes(attributes);
        root->Add(label);
        return label;
    }
    void Capture()
    {
        host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    }
    int Count(const RECT& rc, const std::function<bool(DWORD)>& pred) { return CountPixels(canvas, rc, pred); }

    HostWindow host;
    CVerticalLayoutUI* root = nullptr;
    HFONT bigFont = NULL;
    Canvas canvas{ 400, 200 };
};

bool IsInk(DWORD c)
{
    return testsupport::ChR(c) < 200 || testsupport::ChG(c) < 200 || testsupport::ChB(c) < 200;
}
bool IsReddish(DWORD c)
{
    return testsupport::ChG(c) < 100 && testsupport::ChR(c) > testsupport::ChB(c) + 20;
}
bool IsBluish(DWORD c)
{
    return testsupport::ChG(c) < 100 && testsupport::ChB(c) > testsupport::ChR(c) + 20;
}
bool IsGreen(DWORD c)
{
    return testsupport::ChG(c) > 150 && testsupport::ChR(c) < 100 && testsupport::ChB(c) < 100;
}
bool IsBlack(DWORD c)
{
    return testsupport::ChR(c) < 60 && testsupport::ChG(c) < 60 && testsupport::ChB(c) < 60;
}

TEST_F(LabelWindowTest, MeasuresFixedWidthAndTheFontHeightPlusFour)
{
    LabelProbe* label = AddLabel(L"font=\"0\" width=\"77\"", 0);
    HDC hdc = ::GetDC(host.GetHWND());
    HGDIOBJ old = ::SelectObject(hdc, bigFont);
    TEXTMETRICW tm;
    ASSERT_TRUE(::GetTextMetricsW(hdc, &tm));
    ::SelectObject(hdc, old);
    ::ReleaseDC(host.GetHWND(), hdc);

    for (SIZE offered : { SIZE{ 0, 0 }, SIZE{ 10, 5 }, SIZE{ 5000, 5000 } }) {
        CUISize sz = label->MeasureSize(offered);
        EXPECT_EQ(77, sz.cx);
        EXPECT_EQ(tm.tmHeight + 4, sz.cy);
    }
    label->SetFixedHeight(33);
    CUISize sz = label->MeasureSize(SIZE{ 100, 100 });
    EXPECT_EQ(77, sz.cx);
    EXPECT_EQ(33, sz.cy);

    // The layout uses the measured height.
    label->SetFixedHeight(0);
    host.Update();
    EXPECT_EQ(tm.tmHeight + 4, label->GetHeight());
}

TEST_F(LabelWindowTest, ZeroTextColourPaintsInTheManagerDefaultAndKeepsIt)
{
    host.pm.SetDefaultTextColor(0xFF00C000);
    LabelProbe* label = AddLabel(L"font=\"0\" text=\"MMMM\"");
    EXPECT_EQ(0u, label->GetTextColor());
    Capture();
    EXPECT_EQ(0xFF00C000u, label->GetTextColor());
    EXPECT_EQ(host.pm.GetDisabledTextColor(), label->DisabledColor());
    const RECT rc = label->GetPos();
    EXPECT_GT(Count(rc, IsGreen), 50);
    canvas.DumpIfFailed("label_default_colour");

    // A later change of the default no longer reaches the label.
    host.pm.SetDefaultTextColor(0xFFFF0000);
    Capture();
    EXPECT_EQ(0xFF00C000u, label->GetTextColor());

    // Disabled: the disabled colour.
    label->SetDisabledTextColor(0xFF0000FF);
    label->SetEnabled(false);
    Capture();
    EXPECT_EQ(0, Count(rc, IsGreen));
    EXPECT_GT(Count(rc, IsBluish), 50);
}

TEST_F(LabelWindowTest, OnlyTheTextSettersRepaint)
{
    LabelProbe* label = AddLabel(L"text=\"x\"");
    host.Update();
    HWND hwnd = host.GetHWND();
    struct Setter
    {
        const char* name;
        std::function<void()> call;
        bool repaints;
    };
    const Setter setters[] = {
        { "SetTextColor", [&] { label->SetTextColor(0xFF010203); }, true },
        { "SetDisabledTextColor", [&] { label->SetDisabledTextColor(0xFF010203); }, true },
        { "SetFont", [&] { label->SetFont(0); }, true },
        { "SetTextPadding", [&] { label->SetTextPadding(CUIRect(1, 1, 1, 1)); }, true },
        { "SetShowHtml(true)", [&] { label->SetShowHtml(true); }, true },
        { "SetShowHtml(true) again", [&] { label->SetShowHtml(true); }, false },
        { "SetEnabledEffect", [&] { label->SetEnabledEffect(true); }, false },
        { "SetText (effect)", [&] { label->SetText(L"effect"); }, false },
        { "SetStrokeColor", [&] { label->SetStrokeColor(0xFF00FF00); }, false },
        { "SetTransText", [&] { label->SetTransText(3); }, false },
        { "SetShadowOffset", [&] { label->SetShadowOffset(2, 45); }, false },
        { "SetEnabledEffect(false)", [&] { label->SetEnabledEffect(false); }, false },
        { "SetText (ordinary)", [&] { label->SetText(L"changed"); }, true },
    };
    for (const Setter& s : setters) {
        ::ValidateRect(hwnd, NULL);
        s.call();
        RECT rc;
        const bool dirty = ::GetUpdateRect(hwnd, &rc, FALSE) != FALSE;
        EXPECT_EQ(s.repaints, dirty) << s.name;
    }

    // Focus changes set the flag without repainting.
    ::ValidateRect(hwnd, NULL);
    UIEvent ev = MakeEvent(UIEventSetFocus);
    label->DispatchEvent(ev);
    EXPECT_TRUE(label->IsFocused());
    RECT rc;
    EXPECT_FALSE(::GetUpdateRect(hwnd, &rc, FALSE));
    ev = MakeEvent(UIEventKillFocus);
    label->DispatchEvent(ev);
    EXPECT_FALSE(label->IsFocused());
}

TEST_F(LabelWindowTest, EffectTextIsAVerticalGradientFromTheTextColours)
{
    LabelProbe* label = AddLabel(L"enabledeffect=\"true\" text=\"MMMMMMMM\" font=\"0\" "
                                 L"textcolor=\"#FFFF0000\" textcolor1=\"#FF0000FF\" transtext=\"255\" "
                                 L"transtext1=\"255\"");
    Capture();
    canvas.SavePng(testsupport::OutputDir() + L"label_gradient.png");
    const RECT rc = label->GetPos();
    ASSERT_EQ(0, rc.top);
    ASSERT_EQ(60, rc.bottom);
    const RECT top = { rc.left, rc.top, rc.right, rc.top + 30 };
    const RECT bottom = { rc.left, rc.top + 30, rc.right, rc.bottom };
    const int topRed = Count(top, IsReddish), topBlue = Count(top, IsBluish);
    const int bottomRed = Count(bottom, IsReddish), bottomBlue = Count(bottom, IsBluish);
    EXPECT_GT(topRed, 30);
    EXPECT_GT(topRed, 3 * topBlue) << topRed << " red, " << topBlue << " blue at the top";
    EXPECT_GT(bottomBlue, 30);
    EXPECT_GT(bottomBlue, 3 * bottomRed) << bottomRed << " red, " << bottomBlue << " blue at the bottom";
    canvas.DumpIfFailed("label_gradient");
}

TEST_F(LabelWindowTest, TextGivenBeforeTheEffectFlagIsNotDrawnByTheEffectPath)
{
    LabelProbe* before = AddLabel(L"text=\"MMMMMMMM\" enabledeffect=\"true\" font=\"0\" "
                                  L"textcolor=\"#FFFF0000\" transtext=\"255\" transtext1=\"255\"");
    LabelProbe* after = AddLabel(L"enabledeffect=\"true\" text=\"MMMMMMMM\" font=\"0\" "
                                 L"textcolor=\"#FFFF0000\" transtext=\"255\" transtext1=\"255\"");
    Capture();
    EXPECT_EQ(0, Count(before->GetPos(), IsInk));
    EXPECT_GT(Count(after->GetPos(), IsInk), 100);
    canvas.DumpIfFailed("label_effect_order");
}

TEST_F(LabelWindowTest, ShadowNeedsANonZeroShadowColour)
{
    const wchar_t* common = L"enabledeffect=\"true\" text=\"MMMMMMMM\" font=\"0\" textcolor=\"#FFFF0000\" "
                            L"textcolor1=\"#FF0000FF\" transtext=\"255\" transtext1=\"255\" "
                            L"enabledshadow=\"true\" shadowoffset=\"6,-135\" transshadow=\"255\" "
                            L"transshadow1=\"255\"";
    LabelProbe* withShadow = AddLabel(common);
    LabelProbe* zeroShadow = AddLabel(common);
    zeroShadow->SetAttribute(L"textshadowcolora", L"0");
    zeroShadow->SetAttribute(L"textshadowcolorb", L"0");
    LabelProbe* greenShadow = AddLabel(common);
    greenShadow->SetAttribute(L"textshadowcolora", L"#FF00FF00");
    Capture();
    // Shadow colour A black, B unset (= A): black shadow pixels.
    EXPECT_GT(Count(withShadow->GetPos(), IsBlack), 30);
    // Both zero: no shadow at all (a drawn one would be opaque black).
    EXPECT_EQ(0, Count(zeroShadow->GetPos(), IsBlack));
    EXPECT_GT(Count(zeroShadow->GetPos(), IsInk), 100);
    EXPECT_GT(Count(greenShadow->GetPos(), IsGreen), 30);
    canvas.DumpIfFailed("label_shadow");
}

TEST_F(LabelWindowTest, OutlineNeedsAStrokeColour)
{
    const wchar_t* common = L"enabledeffect=\"true\" text=\"MMMMMMMM\" font=\"0\" textcolor=\"#FFFF0000\" "
                            L"transtext=\"255\" transtext1=\"255\" enabledstroke=\"true\"";
    LabelProbe* green = AddLabel(common);
    green->SetAttribute(L"strokecolor", L"#FF00FF00");
    LabelProbe* none = AddLabel(common);
    none->SetAttribute(L"strokecolor", L"0");
    LabelProbe* off = AddLabel(common);
    off->SetAttribute(L"strokecolor", L"#FF00FF00");
    off->SetAttribute(L"enabledstroke", L"false");
    Capture();
    EXPECT_GT(Count(green->GetPos(), IsGreen), 30);
    EXPECT_EQ(0, Count(none->GetPos(), IsGreen));
    EXPECT_GT(Count(none->GetPos(), IsInk), 100);
    EXPECT_EQ(0, Count(off->GetPos(), IsGreen));
    canvas.DumpIfFailed("label_stroke");
}

} // namespace
