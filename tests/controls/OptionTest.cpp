// Options and check boxes: the notification sequences of grouped and
// ungrouped options clicked with posted messages, group membership through
// the manager, moving between windows, and the selected images, colours and
// text colour checked by pixels.
#include "ControlsTestUtil.h"

using namespace SkinUI;
using namespace ctltest;
using testsupport::Canvas;

namespace {

typedef std::vector<std::string> Seq;

TEST(OptionNames, ClassNamesAndInterfaces)
{
    COptionUI option;
    EXPECT_STREQ(L"OptionUI", option.GetClassName());
    for (const wchar_t* name : { L"Option", L"Button", L"Label", L"Control" })
        EXPECT_EQ(static_cast<void*>(&option), option.GetInterface(name)) << testsupport::Narrow(name);
    EXPECT_EQ(nullptr, option.GetInterface(L"CheckBox"));
    EXPECT_EQ(nullptr, option.GetInterface(L"Container"));

    CCheckBoxUI check;
    EXPECT_STREQ(L"CheckBoxUI", check.GetClassName());
    EXPECT_EQ(nullptr, check.GetInterface(L"CheckBox"));
    EXPECT_EQ(static_cast<void*>(&check), check.GetInterface(L"Option"));
    EXPECT_FALSE(check.GetCheck());
    check.SetSelected(true);
    EXPECT_TRUE(check.GetCheck());
    EXPECT_TRUE(check.IsSelected());
}

TEST(OptionNames, WithoutAManagerOnlyTheStateChanges)
{
    OptionProbe a, b;
    a.ApplyAttributes(L"group=\"g\" selected=\"true\"");
    b.ApplyAttributes(L"group=\"g\" selected=\"true\"");
    EXPECT_TRUE(a.IsSelected());
    EXPECT_TRUE(b.IsSelected());   // no group processing yet
    EXPECT_STREQ(L"g", a.GetGroup());
    EXPECT_EQ((UINT)UIStateSelected, a.State());
    a.SetSelected(false);
    EXPECT_EQ(0u, a.State());
    a.SetSelected(true);
    a.SetEnabled(false);
    EXPECT_EQ((UINT)UIStateSelected, a.State());
    b.SetSelected(false);
    b.SetEnabled(false);
    EXPECT_EQ(0u, b.State());
}

class OptionWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open(300, 200));
        root = new CHorizontalLayoutUI;
        root->SetBackgroundColor(0xFFFFFFFF);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        host.pm.AddNotifier(&rec);
    }
    // Options 60 wide side by side: A at x 0..60, B at 60..120, C at 120..180.
    OptionProbe* AddOption(const wchar_t* name, const wchar_t* attributes)
    {
        OptionProbe* option = new OptionProbe;
        option->SetName(name);
        option->SetFixedWidth(60);
        option->ApplyAttributes(attributes);
        root->Add(option);
        return option;
    }
    void ClickAt(int index)
    {
        host.Update();
        host.Click(index * 60 + 30, 100);
    }
    void Capture()
    {
        host.Update();
        ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    }

    HostWindow host;
    Recorder rec{ { L"click", L"selectchanged" } };
    CHorizontalLayoutUI* root = nullptr;
    Canvas canvas{ 300, 200 };
};

TEST_F(OptionWindowTest, NotificationSequences)
{
    OptionProbe* a = AddOption(L"A", L"group=\"g\"");
    OptionProbe* b = AddOption(L"B", L"group=\"g\"");
    OptionProbe* u = AddOption(L"U", L"");
    ASSERT_NE(nullptr, host.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(2, host.pm.GetOptionGroup(L"g")->GetSize());

    ClickAt(0);   // A becomes selected
    EXPECT_EQ((Seq{ "click:A", "selectchanged:A" }), rec.Sequence());
    rec.Clear();
    ClickAt(0);   // clicking the selected member again
    EXPECT_EQ((Seq{ "click:A" }), rec.Sequence());
    EXPECT_TRUE(a->IsSelected());
    rec.Clear();
    ClickAt(1);   // A goes off silently
    EXPECT_EQ((Seq{ "click:B", "selectchanged:B" }), rec.Sequence());
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    rec.Clear();
    ClickAt(2);   // an ungrouped option toggles and notifies each time
    ClickAt(2);
    EXPECT_EQ((Seq{ "click:U", "selectchanged:U", "click:U", "selectchanged:U" }), rec.Sequence());
    EXPECT_FALSE(u->IsSelected());
    EXPECT_TRUE(b->IsSelected());   // other groups untouched
}

TEST_F(OptionWindowTest, SelectingThroughAttributesWithAManagerDeselectsTheOthers)
{
    OptionProbe* a = AddOption(L"A", L"group=\"g\" selected=\"true\"");
    EXPECT_TRUE(a->IsSelected());
    rec.Clear();
    // Attributes applied while the manager is attached, as the dialog builder does.
    OptionProbe* b = new OptionProbe;
    b->SetName(L"B");
    b->SetManager(&host.pm, NULL, false);
    b->ApplyAttributes(L"group=\"g\" selected=\"true\"");
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ((Seq{ "selectchanged:B" }), rec.Sequence());
    root->Add(b);
    EXPECT_EQ(2, host.pm.GetOptionGroup(L"g")->GetSize());   // joined once
}

TEST_F(OptionWindowTest, GroupChanges)
{
    OptionProbe* a = AddOption(L"A", L"group=\"g\"");
    OptionProbe* b = AddOption(L"B", L"group=\"g\"");
    OptionProbe* c = AddOption(L"C", L"group=\"g\"");
    a->SetSelected(true);

    // Leaving the group: selecting another member no longer affects it.
    a->SetGroup(NULL);
    EXPECT_STREQ(L"", a->GetGroup());
    EXPECT_EQ(2, host.pm.GetOptionGroup(L"g")->GetSize());
    b->SetSelected(true);
    EXPECT_TRUE(a->IsSelected());

    // Joining with another member selected leaves both selected until one
    // of them is selected again.
    rec.Clear();
    a->SetGroup(L"g");
    EXPECT_TRUE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_TRUE(rec.items.empty());
    c->SetSelected(true);
    EXPECT_FALSE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ((Seq{ "selectchanged:C" }), rec.Sequence());

    // Moving to another group.
    c->SetGroup(L"h");
    EXPECT_EQ(2, host.pm.GetOptionGroup(L"g")->GetSize());
    EXPECT_EQ(1, host.pm.GetOptionGroup(L"h")->GetSize());
    c->SetGroup(NULL);
    EXPECT_EQ(nullptr, host.pm.GetOptionGroup(L"h"));

    // Deleting a member leaves its group.
    root->SetDelayedDestroy(false);
    root->Remove(b);
    ASSERT_NE(nullptr, host.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(1, host.pm.GetOptionGroup(L"g")->GetSize());
    EXPECT_EQ(a, host.pm.GetOptionGroup(L"g")->GetAt(0));
}

TEST_F(OptionWindowTest, DisablingKeepsOnlyTheSelectedBit)
{
    OptionProbe* a = AddOption(L"A", L"");
    host.Update();
    host.PostMouse(WM_MOUSEMOVE, 30, 100);
    Drain();
    a->SetSelected(true);
    ASSERT_EQ((UINT)(UIStateHot | UIStateSelected), a->State() & (UIStateHot | UIStateSelected));
    a->SetEnabled(false);
    EXPECT_EQ((UINT)UIStateSelected, a->State());
    rec.Clear();
    host.Click(30, 100);
    EXPECT_TRUE(rec.items.empty());
    EXPECT_TRUE(a->IsSelected());
}

TEST(OptionManagers, MovingToAnotherWindowLeavesTheOldGroup)
{
    HostWindow first, second;
    ASSERT_TRUE(first.Open(100, 100));
    ASSERT_TRUE(second.Open(100, 100));
    CContainerUI* root1 = new CContainerUI;
    CContainerUI* root2 = new CContainerUI;
    ASSERT_TRUE(first.pm.AttachRoot(root1));
    ASSERT_TRUE(second.pm.AttachRoot(root2));
    COptionUI* option = new COptionUI;
    option->SetGroup(L"g");
    root1->Add(option);
    ASSERT_NE(nullptr, first.pm.GetOptionGroup(L"g"));

    // Re-parented into the second window's tree.
    root1->SetAutoDestroy(false);
    root1->Remove(option);
    root2->Add(option);
    EXPECT_EQ(nullptr, first.pm.GetOptionGroup(L"g"));
    ASSERT_NE(nullptr, second.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(option, second.pm.GetOptionGroup(L"g")->GetAt(0));

    // Its deletion leaves the second window's group; the first never sees it.
    root2->SetDelayedDestroy(false);
    root2->Remove(option);
    EXPECT_EQ(nullptr, second.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(nullptr, first.pm.GetOptionGroup(L"g"));
}

TEST(OptionManagers, ADetachedMemberKeepsItsGroupAndLeavesItWhenDeleted)
{
    HostWindow host;
    ASSERT_TRUE(host.Open(100, 100));
    // As the dialog builder does: attributes with the manager attached, then
    // detached until the tree is added to the window.
    COptionUI* option = new COptionUI;
    option->SetManager(&host.pm, NULL, false);
    option->SetAttribute(L"group", L"g");
    option->SetManager(NULL, NULL, false);
    ASSERT_NE(nullptr, host.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(1, host.pm.GetOptionGroup(L"g")->GetSize());

    // Deleted before it was ever attached again: the group does not keep it.
    delete option;
    EXPECT_EQ(nullptr, host.pm.GetOptionGroup(L"g"));

    COptionUI* kept = new COptionUI;
    kept->SetManager(&host.pm, NULL, false);
    kept->SetGroup(L"g");
    kept->SetManager(NULL, NULL, false);
    CContainerUI* root = new CContainerUI;
    root->Add(kept);
    ASSERT_TRUE(host.pm.AttachRoot(root));
    EXPECT_EQ(1, host.pm.GetOptionGroup(L"g")->GetSize());
    // Renaming the group after a detach leaves the old one too.
    kept->SetManager(NULL, NULL, false);
    kept->SetGroup(L"h");
    EXPECT_EQ(nullptr, host.pm.GetOptionGroup(L"g"));
    EXPECT_EQ(nullptr, host.pm.GetOptionGroup(L"h"));
    kept->SetManager(&host.pm, root, true);
    EXPECT_EQ(1, host.pm.GetOptionGroup(L"h")->GetSize());
}

TEST_F(OptionWindowTest, SelectedImagesColoursAndForeImage)
{
    ImageFolder images;
    OptionProbe* plain = AddOption(L"plain", L"normalimage=\"normal.png\"");
    OptionProbe* bk = AddOption(L"bk", L"normalimage=\"normal.png\" selectedbkcolor=\"#FF00FF00\" "
                                       L"foreimage=\"file='optfore.png' dest='0,0,10,10'\"");
    OptionProbe* img = AddOption(L"img", L"normalimage=\"normal.png\" selectedimage=\"selected.png\" "
                                         L"selectedhotimage=\"selectedhot.png\" pushedimage=\"pushed.png\" "
                                         L"foreimage=\"file='optfore.png' dest='0,0,10,10'\"");
    Capture();
    EXPECT_PIXEL(canvas, 30, 100, kNormal);
    EXPECT_PIXEL(canvas, 90, 100, kNormal);
    EXPECT_PIXEL(canvas, 62, 2, kOptFore);
    EXPECT_PIXEL(canvas, 150, 100, kNormal);
    EXPECT_PIXEL(canvas, 122, 2, kOptFore);

    plain->SetSelected(true);
    bk->SetSelected(true);
    img->SetSelected(true);
    Capture();
    EXPECT_PIXEL(canvas, 30, 100, kNormal);     // no selected look of its own: the button's images
    EXPECT_PIXEL(canvas, 90, 100, 0xFF00FF00);  // the fill
    EXPECT_PIXEL(canvas, 62, 2, 0xFF00FF00);    // ... and nothing after it
    EXPECT_PIXEL(canvas, 150, 100, kSelected);
    EXPECT_PIXEL(canvas, 122, 2, kOptFore);

    // Hot and selected: the selected hot image; pressed: still no pushed look.
    host.PostMouse(WM_MOUSEMOVE, 150, 100);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 150, 100, kSelectedHot);
    host.PostMouse(WM_LBUTTONDOWN, 150, 100);
    Drain();
    Capture();
    EXPECT_PIXEL(canvas, 150, 100, kSelectedHot);
    host.PostMouse(WM_LBUTTONUP, 150, 100);   // an ungrouped option toggles off
    Drain();
    Capture();
    EXPECT_FALSE(img->IsSelected());
    EXPECT_PIXEL(canvas, 150, 100, kNormal);   // hot, but no hot image: the normal one
    canvas.DumpIfFailed("option_images");
}

TEST_F(OptionWindowTest, SelectedTextColourOnlyWhileSelected)
{
    host.pm.AddFont(L"Arial", 30, true, false, false);
    OptionProbe* a = AddOption(L"A", L"text=\"MM\" font=\"0\" textcolor=\"#FF0000FF\" "
                                     L"selectedtextcolor=\"#FFFF0000\"");
    a->SetFixedWidth(120);
    const auto count = [&](DWORD want) {
        return CountPixels(canvas, a->GetPos(), [&](DWORD c) { return testsupport::ColorNear(c, want, 40); });
    };
    a->SetSelected(true);
    Capture();
    EXPECT_GT(count(0xFFFF0000), 30);
    EXPECT_EQ(0, count(0xFF0000FF));
    EXPECT_EQ(0xFF0000FFu, a->GetTextColor());
    a->SetSelected(false);
    Capture();
    EXPECT_GT(count(0xFF0000FF), 30);
    EXPECT_EQ(0, count(0xFFFF0000));
    canvas.DumpIfFailed("option_text");
}

} // namespace
