// The controls as the dialog builder makes them from a layout: attributes are
// applied in document order with the window's manager attached, after the
// element's children were built.
#include "ControlsTestUtil.h"

#include "UIBuilder.h"

using namespace SkinUI;
using namespace ctltest;

namespace {

TEST(BuiltControls, GroupSelectionTabSelectionAndEffectTextFromXml)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(300, 200));
    Recorder rec{ { L"selectchanged", L"tabselect" } };
    host.pm.AddNotifier(&rec);

    CUIBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout>"
        L"<Option name=\"a\" group=\"g\" selected=\"true\" height=\"20\"/>"
        L"<Option name=\"b\" group=\"g\" selected=\"true\" height=\"20\"/>"
        L"<TabLayout name=\"tab\" selectedid=\"1\" height=\"50\"><Control name=\"p0\"/><Control name=\"p1\"/></TabLayout>"
        L"<Label name=\"fx\" enabledeffect=\"true\" text=\"effect\"/>"
        L"<Label name=\"plain\" text=\"plain\" enabledeffect=\"true\"/>"
        L"<Button name=\"btn\" align=\"left\"/>"
        L"</VerticalLayout></Window>",
        NULL, NULL, &host.pm);
    ASSERT_NE(nullptr, root) << testsupport::Narrow(builder.GetLastErrorMessage());
    ASSERT_TRUE(host.pm.AttachRoot(root));

    // "selected" with the manager attached: b took the selection from a
    // during the build, and said so.
    COptionUI* a = static_cast<COptionUI*>(host.pm.FindControlByName(L"a"));
    COptionUI* b = static_cast<COptionUI*>(host.pm.FindControlByName(L"b"));
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    ASSERT_NE(nullptr, host.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(2, host.pm.GetOptionGroup(L"g")->GetSize());

    // "selectedid" saw the pages, which are built before their parent's attributes.
    CTabLayoutUI* tab = static_cast<CTabLayoutUI*>(host.pm.FindControlByName(L"tab"));
    ASSERT_NE(nullptr, tab);
    EXPECT_EQ(1, tab->GetCurSel());
    EXPECT_FALSE(host.pm.FindControlByName(L"p0")->IsVisible());
    EXPECT_TRUE(host.pm.FindControlByName(L"p1")->IsVisible());

    std::vector<std::string> seq = rec.Sequence();
    EXPECT_EQ((std::vector<std::string>{ "selectchanged:a", "selectchanged:b", "tabselect:tab" }), seq);

    // The label's text store depends on the attribute order.
    EXPECT_STREQ(L"effect", host.pm.FindControlByName(L"fx")->GetText().GetData());
    EXPECT_STREQ(L"", host.pm.FindControlByName(L"plain")->GetText().GetData());

    CControlUI* btn = host.pm.FindControlByName(L"btn");
    ASSERT_NE(nullptr, btn);
    EXPECT_STREQ(L"ButtonUI", btn->GetClassName());
}

} // namespace
