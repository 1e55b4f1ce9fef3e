// The child layout: its content built from its own layout file (skin folder
// or skin zip), what it answers, what runs at its initialisation, and files
// that are missing, empty, damaged, contain themselves or nest too deep.
#include "LayoutTestUtil.h"

#include "UIChildLayout.h"

using namespace SkinUI;
using namespace layouttest;

namespace {

// The child layout files of tests/fixtures/make_childlayouts.py as the skin folder.
class ChildSkinFolder
{
public:
    ChildSkinFolder()
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath(Dir().c_str());
    }
    ~ChildSkinFolder() { CUIManager::ResetResourceState(); }
    static std::wstring Dir() { return testsupport::FixtureDir() + L"childlayout\\"; }
};

std::wstring WindowWithChild(const wchar_t* file)
{
    return std::wstring(L"<Window><VerticalLayout name=\"top\">"
                        L"<ChildLayout name=\"child\" xmlfile=\"") +
           file + L"\"/></VerticalLayout></Window>";
}

CControlUI* CountNamed(CControlUI* pControl, LPVOID pData)
{
    std::pair<const wchar_t*, int>* counter = static_cast<std::pair<const wchar_t*, int>*>(pData);
    if (pControl->GetName() == counter->first)
        ++counter->second;
    return NULL;
}

int CountControlsNamed(CControlUI* root, const wchar_t* name)
{
    std::pair<const wchar_t*, int> counter(name, 0);
    root->FindControl(CountNamed, &counter, 0);
    return counter.second;
}

TEST(ChildLayoutNames, TheLayoutIsNoContainerToTheOutside)
{
    CChildLayoutUI layout;
    EXPECT_STREQ(L"ChildLayoutUI", layout.GetClassName());
    EXPECT_EQ(static_cast<void*>(&layout), layout.GetInterface(L"ChildLayout"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&layout)), layout.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, layout.GetInterface(L"IContainer"));
    EXPECT_EQ(nullptr, layout.GetInterface(L"Container"));
    layout.SetAttribute(L"xmlfile", L"panel.xml");
    EXPECT_STREQ(L"panel.xml", layout.GetChildLayoutXml().GetData());
    EXPECT_EQ(0, layout.GetCount());   // stored only, nothing built yet
}

TEST(ChildLayout, BuildsItsFileWithTheWindowsManagerAndHoldsTheRoot)
{
    ChildSkinFolder folder;
    BuiltWindow win;
    ASSERT_TRUE(win.Build(200, 150,
                          L"<Window><VerticalLayout name=\"top\">"
                          L"<Control name=\"above\" height=\"30\"/>"
                          L"<ChildLayout name=\"child\" xmlfile=\"panel.xml\" inset=\"5,5,5,5\">"
                          L"<Control name=\"inline\"/></ChildLayout>"
                          L"</VerticalLayout></Window>"))
        << win.error;
    CChildLayoutUI* child = win.Find<CChildLayoutUI>(L"child");
    ASSERT_NE(nullptr, child);
    ASSERT_EQ(1, child->GetCount());
    CControlUI* panel = child->GetItemAt(0);
    EXPECT_EQ(win.Find(L"panelroot"), panel);
    EXPECT_NE(nullptr, win.Find(L"panellabel"));
    // Children written in the element itself have no place in it.
    EXPECT_EQ(nullptr, win.Find(L"inline"));
    // The file's root fills the layout less its inset.
    EXPECT_EQ("0,30,200,150", RectText(child->GetPos()));
    EXPECT_EQ("5,35,195,145", RectText(panel->GetPos()));
    // The file's "Font" went to the window's manager.
    EXPECT_EQ(17, win.host.pm.GetFontInfoByIndex(0)->iSize);

    testsupport::Canvas canvas(200, 150);
    win.PaintInto(canvas);
    EXPECT_PIXEL(canvas, 100, 140, 0xFF0000C0);   // the panel's filler
    canvas.DumpIfFailed("childlayout_folder_failed");
}

TEST(ChildLayout, FindsItsFileInTheSkinZip)
{
    ChildSkinFolder folder;
    CUIManager::SetResourceZipFile(L"childlayout.zip", false);
    BuiltWindow win;
    ASSERT_TRUE(win.Build(200, 150, L"main.xml")) << win.error;
    CChildLayoutUI* child = win.Find<CChildLayoutUI>(L"zchild");
    ASSERT_NE(nullptr, child);
    ASSERT_EQ(1, child->GetCount());
    EXPECT_EQ(win.Find(L"panelroot"), child->GetItemAt(0));
    EXPECT_EQ("0,20,200,150", RectText(win.Find(L"panelroot")->GetPos()));
    win.Keep(L"childlayout_zip", 200, 150);
}

TEST(ChildLayout, FilesThatBuildNothingLeaveTheLayoutEmpty)
{
    ChildSkinFolder folder;
    const wchar_t* files[] = {
        L"nothere.xml", L"empty.xml", L"blank.xml", L"cut.xml", L"unmatched.xml", L"garbage.xml",
        L"self.xml", L"loop_a.xml", L"loop_b.xml", L"<Window><Unknown/></Window>",
    };
    for (const wchar_t* file : files) {
        SCOPED_TRACE(testsupport::Narrow(file));
        BuiltWindow win;
        ASSERT_TRUE(win.Build(200, 150, WindowWithChild(file).c_str())) << win.error;
        CChildLayoutUI* child = win.Find<CChildLayoutUI>(L"child");
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(0, child->GetCount());
        // Nothing of a file in a loop stays behind, not even by name.
        EXPECT_EQ(nullptr, win.Find(L"selfroot"));
        EXPECT_EQ(nullptr, win.Find(L"aroot"));
        EXPECT_EQ(nullptr, win.Find(L"broot"));
        win.host.Update();
        testsupport::Drain();
    }
}

TEST(ChildLayout, ALoopInsideAFileEmptiesOnlyTheLayoutsOfTheLoop)
{
    ChildSkinFolder folder;
    BuiltWindow win;
    ASSERT_TRUE(win.Build(300, 150, WindowWithChild(L"holds_loop.xml").c_str())) << win.error;
    ASSERT_NE(nullptr, win.Find(L"holder"));
    CChildLayoutUI* looping = win.Find<CChildLayoutUI>(L"looping");
    CChildLayoutUI* fine = win.Find<CChildLayoutUI>(L"fine");
    ASSERT_NE(nullptr, looping);
    ASSERT_NE(nullptr, fine);
    EXPECT_EQ(0, looping->GetCount());
    EXPECT_EQ(1, fine->GetCount());
    EXPECT_NE(nullptr, win.Find(L"panelroot"));
}

TEST(ChildLayout, AFileIncludingItselfEndsAtTheIncludeDepth)
{
    ChildSkinFolder folder;
    BuiltWindow win;
    ASSERT_TRUE(win.Build(200, 150, WindowWithChild(L"include_self.xml").c_str())) << win.error;
    CChildLayoutUI* child = win.Find<CChildLayoutUI>(L"child");
    ASSERT_NE(nullptr, child);
    ASSERT_LE(child->GetCount(), 1);
    EXPECT_LE(CountControlsNamed(win.root, L"incroot"), CUIBuilder::MAX_INCLUDE_DEPTH + 1);
}

TEST(ChildLayout, ContentPastTheBuildersLimitsBuildsNothingAtAll)
{
    ChildSkinFolder folder;
    // A window whose child layout sits at the given depth.
    auto at = [](int depth, const wchar_t* file) {
        std::wstring xml = L"<Window>";
        for (int i = 1; i < depth; ++i)
            xml += i == 1 ? L"<VerticalLayout name=\"top\">" : L"<VerticalLayout>";
        xml += std::wstring(L"<ChildLayout name=\"child\" xmlfile=\"") + file + L"\"/>";
        for (int i = 1; i < depth; ++i)
            xml += L"</VerticalLayout>";
        return xml + L"</Window>";
    };
    struct Case
    {
        const char* what;
        int depth;            // of the child layout in the window
        const wchar_t* file;
        const wchar_t* shown;   // a control of the content, or NULL when none may be built
        int leaves;
    };
    const Case cases[] = {
        { "16 nested files", 2, L"nest_2.xml", L"n17", 0 },
        { "17 nested files", 2, L"nest_1.xml", NULL, 0 },
        { "200 deep at depth 56", 56, L"deep200.xml", L"deepest", 0 },
        { "200 deep at depth 57", 57, L"deep200.xml", NULL, 0 },
        { "3,000 controls in 6 files", 2, L"five_blocks.xml", L"block", 0 },
        { "12,000 controls in 21 files", 2, L"twenty_blocks.xml", NULL, 0 },
        { "1,241 files", 2, L"fan.xml", NULL, 0 },
        { "31 files", 2, L"fan2.xml", L"leaf", 30 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BuiltWindow win;
        ASSERT_TRUE(win.Build(200, 150, at(c.depth, c.file).c_str())) << win.error;
        CChildLayoutUI* child = win.Find<CChildLayoutUI>(L"child");
        ASSERT_NE(nullptr, child);
        if (c.shown == NULL) {
            EXPECT_EQ(0, child->GetCount());
            EXPECT_EQ(0, CountControlsNamed(win.root, L"leaf"));
            EXPECT_EQ(nullptr, win.Find(L"n2"));
            EXPECT_EQ(nullptr, win.Find(L"block"));
        } else {
            EXPECT_EQ(1, child->GetCount());
            EXPECT_NE(nullptr, win.Find(c.shown));
        }
        if (c.leaves > 0) {
            EXPECT_EQ(c.leaves, CountControlsNamed(win.root, L"leaf"));
        }
        win.host.Update();
    }

    // Child layouts side by side each count for themselves, also when one
    // is added to a window that runs already.
    BuiltWindow win;
    ASSERT_TRUE(win.Build(200, 150, at(2, L"five_blocks.xml").c_str())) << win.error;
    CChildLayoutUI* again = new CChildLayoutUI;
    again->SetChildLayoutXml(L"five_blocks.xml");
    win.Find<CContainerUI>(L"top")->Add(again);
    EXPECT_EQ(1, again->GetCount());
    CChildLayoutUI* deep = new CChildLayoutUI;
    deep->SetChildLayoutXml(L"deep200.xml");
    win.Find<CContainerUI>(L"top")->Add(deep);
    EXPECT_EQ(1, deep->GetCount());
}

// Counts the initialisation hook that a child layout replaces.
class InitCountingChild : public CChildLayoutUI
{
public:
    int onInit = 0;
    void OnInit() override { ++onInit; }
};

TEST(ChildLayout, InitialisationBuildsTheFileInsteadOfTheInitHooks)
{
    ChildSkinFolder folder;
    ctltest::HostWindow host;
    ASSERT_TRUE(host.Open(200, 150));
    CContainerUI* top = new CContainerUI;
    ASSERT_TRUE(host.pm.AttachRoot(top));

    InitCountingChild* withFile = new InitCountingChild;
    withFile->SetChildLayoutXml(L"panel.xml");
    top->Add(withFile);
    EXPECT_EQ(0, withFile->onInit);
    EXPECT_EQ(1, withFile->GetCount());

    // Without a file nothing happens: children added in code stay.
    InitCountingChild* noFile = new InitCountingChild;
    noFile->Add(new CControlUI);
    top->Add(noFile);
    EXPECT_EQ(0, noFile->onInit);
    EXPECT_EQ(1, noFile->GetCount());

    // A file that builds nothing takes them away.
    CChildLayoutUI* missing = new CChildLayoutUI;
    missing->Add(new CControlUI);
    missing->SetChildLayoutXml(L"nothere.xml");
    top->Add(missing);
    EXPECT_EQ(0, missing->GetCount());
    testsupport::Drain();
}

} // namespace
