// The dialog builder: sources, resource elements, window attributes, the
// element table, factories and callback, includes, build order and the
// ownership of every control it creates.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "BuilderTestUtil.h"
#include "TestSupport.h"
#include "UIRender.h"

using namespace SkinUI;

namespace buildertest {

ProbeLog& Log() {
    static ProbeLog log;
    return log;
}

std::vector<std::wstring>& FactoryQuestions() {
    static std::vector<std::wstring> asked;
    return asked;
}

CControlUI* ProbeFactory(LPCTSTR pstrClass) {
    FactoryQuestions().push_back(pstrClass);
    std::wstring name = pstrClass;
    if (name == L"Probe") return new CProbeUI;
    if (name == L"ProbeBox") return new CProbeBoxUI;
    if (name == L"Refuser") return new CRefuserUI;
    // Claims every element it is asked for that the table should have answered.
    if (name == L"Control") return new CProbeUI;
    return NULL;
}

void ResetSkinState() {
    CUIManager::SetInstance(::GetModuleHandleW(NULL));
    CUIManager::ResetResourceState();
}

int ChildCount(CControlUI* pControl) {
    if (pControl == NULL) return -1;
    IContainerUI* pContainer = static_cast<IContainerUI*>(pControl->GetInterface(L"IContainer"));
    return pContainer != NULL ? pContainer->GetCount() : -1;
}

CControlUI* ChildAt(CControlUI* pControl, int index) {
    IContainerUI* pContainer =
        pControl != NULL ? static_cast<IContainerUI*>(pControl->GetInterface(L"IContainer")) : NULL;
    return pContainer != NULL ? pContainer->GetItemAt(index) : NULL;
}

}  // namespace buildertest

using namespace buildertest;

namespace {

using testsupport::RectText;

std::wstring BuilderSkinDir() { return testsupport::FixtureDir() + L"skins\\builder\\"; }

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSkinState();
        Log().Reset();
        FactoryQuestions().clear();
    }
    void TearDown() override { CUIManager::ResetResourceState(); }
};

// --- the element table ---------------------------------------------------------

struct ElementCase {
    const wchar_t* element;
    const wchar_t* className;   // NULL: the class is not part of the library yet
};

// Every element of the table, with the class it creates. When a class joins
// the builder's table, its row here gets the class name.
const ElementCase kElements[] = {
    {L"Control", L"ControlUI"},
    {L"Container", L"ContainerUI"},
    {L"VerticalLayout", L"VerticalLayoutUI"},
    {L"HorizontalLayout", L"HorizontalLayoutUI"},
    {L"TabLayout", L"TabLayoutUI"},
    {L"TileLayout", L"TileLayoutUI"},
    {L"ChildLayout", L"ChildLayoutUI"},
    {L"Label", L"LabelUI"},
    {L"Text", L"TextUI"},
    {L"Button", L"ButtonUI"},
    {L"Option", L"OptionUI"},
    {L"CheckBox", L"CheckBoxUI"},
    {L"Edit", L"EditUI"},
    {L"RichEdit", L"RichEditUI"},
    {L"Progress", L"ProgressUI"},
    {L"Slider", L"SliderUI"},
    {L"ScrollBar", L"ScrollBarUI"},
    {L"List", L"ListUI"},
    {L"ListHeader", L"ListHeaderUI"},
    {L"ListHeaderItem", L"ListHeaderItemUI"},
    {L"ListLabelElement", L"ListLabelElementUI"},
    {L"ListTextElement", L"ListTextElementUI"},
    {L"ListContainerElement", L"ListContainerElementUI"},
    {L"Combo", L"ComboUI"},
    {L"ComboBox", L"ComboBoxUI"},
    {L"DateTime", L"DateTimeUI"},
    {L"TreeView", L"TreeViewUI"},
    {L"ActiveX", L"ActiveXUI"},
    {L"WebBrowser", L"WebBrowserUI"},
    {L"Flash", L"Flash"},
};

TEST_F(BuilderTest, ElementTableCreatesEachClassByExactName) {
    for (const ElementCase& c : kElements) {
        SCOPED_TRACE(testsupport::Narrow(c.element));
        std::wstring xml = std::wstring(L"<Window><") + c.element + L" name=\"it\"/></Window>";
        CUIBuilder builder;
        CControlUI* pControl = builder.Create(xml.c_str());
        if (c.className == NULL) {
            EXPECT_EQ(pControl, nullptr);
        } else {
            ASSERT_NE(pControl, nullptr);
            EXPECT_STREQ(pControl->GetClassName(), c.className);
            EXPECT_STREQ(pControl->GetName().GetData(), L"it");
        }
        delete pControl;

        // Names are exact: another letter case is no element of the table.
        std::wstring lower = c.element;
        for (wchar_t& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
        EXPECT_EQ(CUIBuilder::CreateBuiltinControl(lower.c_str()), nullptr);
    }
}

// --- factories, callback, unknown elements -----------------------------------------

class RecordingCallback : public IDialogBuilderCallback {
public:
    std::vector<std::wstring> asked;
    CControlUI* CreateControl(LPCTSTR pstrClass) override {
        asked.push_back(pstrClass);
        if (std::wstring(pstrClass) == L"CallbackThing") return new CContainerUI;
        return NULL;
    }
};

CControlUI* SecondFactory(LPCTSTR pstrClass) {
    FactoryQuestions().push_back(std::wstring(L"second:") + pstrClass);
    if (std::wstring(pstrClass) == L"Probe" || std::wstring(pstrClass) == L"Late")
        return new CControlUI;
    return NULL;
}

TEST_F(BuilderTest, TableThenFactoriesInOrderThenCallbackAndUnknownSubtreesVanish) {
    ScopedFactory first(&ProbeFactory);
    ScopedFactory second(&SecondFactory);
    RecordingCallback callback;
    CUIManager pm;
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window><Container name=\"top\">"
        L"<Control name=\"plain\"/>"
        L"<Probe name=\"probe\"/>"
        L"<Late name=\"late\"/>"
        L"<CallbackThing name=\"cb\"><Control name=\"cbchild\"/></CallbackThing>"
        L"<Mystery name=\"gone\"><Control name=\"lost\"/><Probe name=\"lost2\"/></Mystery>"
        L"<Control name=\"after\"/>"
        L"</Container></Window>",
        NULL, &callback, &pm);
    ASSERT_NE(pRoot, nullptr);
    pm.AttachRoot(pRoot);

    // The table answers "Control" before any factory is asked.
    CControlUI* pPlain = pm.FindControlByName(L"plain");
    ASSERT_NE(pPlain, nullptr);
    EXPECT_STREQ(pPlain->GetClassName(), L"ControlUI");
    // The first factory that answers wins.
    ASSERT_NE(pm.FindControlByName(L"probe"), nullptr);
    EXPECT_STREQ(pm.FindControlByName(L"probe")->GetClassName(), L"ProbeUI");
    ASSERT_NE(pm.FindControlByName(L"late"), nullptr);
    EXPECT_STREQ(pm.FindControlByName(L"late")->GetClassName(), L"ControlUI");
    // Then the callback, with the element's children built into its control.
    CControlUI* pCb = pm.FindControlByName(L"cb");
    ASSERT_NE(pCb, nullptr);
    EXPECT_EQ(ChildCount(pCb), 1);
    // Nobody knows "Mystery": it goes with its whole subtree; its sibling stays.
    EXPECT_EQ(pm.FindControlByName(L"gone"), nullptr);
    EXPECT_EQ(pm.FindControlByName(L"lost"), nullptr);
    EXPECT_EQ(pm.FindControlByName(L"lost2"), nullptr);
    EXPECT_NE(pm.FindControlByName(L"after"), nullptr);
    EXPECT_EQ(ChildCount(pRoot), 5);

    const std::vector<std::wstring> expectedFactory = {
        L"Probe", L"Late", L"second:Late", L"CallbackThing", L"second:CallbackThing",
        L"Mystery", L"second:Mystery"};
    EXPECT_EQ(FactoryQuestions(), expectedFactory);
    const std::vector<std::wstring> expectedCallback = {L"CallbackThing", L"Mystery"};
    EXPECT_EQ(callback.asked, expectedCallback);
    // Only the one probe under "Mystery"'s subtree was never built.
    EXPECT_EQ(Log().constructed, 1);
}

// --- order of construction --------------------------------------------------------

TEST_F(BuilderTest, ChildrenAreAddedBeforeTheParentsAttributesAndTheManagerOnlyDuringThem) {
    ScopedFactory factory(&ProbeFactory);
    CUIManager pm;
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window><ProbeBox name=\"box\" bkcolor=\"#FF000001\">"
        L"<Probe name=\"a\" width=\"10\"/><Probe name=\"b\"/>"
        L"</ProbeBox></Window>",
        NULL, NULL, &pm);
    ASSERT_NE(pRoot, nullptr);
    const std::vector<std::wstring> expected = {L"add", L"add", L"attr:name", L"attr:bkcolor"};
    EXPECT_EQ(Log().events, expected);
    // Every attribute call of the children saw the manager and no parent.
    ASSERT_EQ(Log().attrManagers.size(), 3u);
    for (size_t i = 0; i < Log().attrManagers.size(); ++i) {
        EXPECT_EQ(Log().attrManagers[i], &pm);
        EXPECT_EQ(Log().attrParents[i], nullptr);
    }
    // Detached again afterwards; the tree is attached only by AttachRoot.
    EXPECT_EQ(pRoot->GetManager(), nullptr);
    EXPECT_EQ(ChildAt(pRoot, 0)->GetManager(), nullptr);
    EXPECT_EQ(ChildAt(pRoot, 0)->GetFixedWidth(), 10);
    EXPECT_STREQ(ChildAt(pRoot, 1)->GetName().GetData(), L"b");
    delete pRoot;
    EXPECT_EQ(Log().constructed, 3);
    EXPECT_EQ(Log().destroyed, 3);
}

TEST_F(BuilderTest, BuildingIntoALiveParentKeepsTheChildAttached) {
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden());
    CContainerUI* pRoot = new CContainerUI;
    host.pm.AttachRoot(pRoot);
    CUIBuilder builder;
    CControlUI* pControl =
        builder.Create(L"<Window><Control name=\"late\" width=\"12\"/></Window>", NULL, NULL, &host.pm, pRoot);
    ASSERT_NE(pControl, nullptr);
    EXPECT_EQ(pRoot->GetItemAt(0), pControl);
    EXPECT_EQ(pControl->GetFixedWidth(), 12);
    EXPECT_EQ(pControl->GetManager(), &host.pm);
    EXPECT_EQ(pControl->GetParent(), pRoot);
}

// --- ownership -------------------------------------------------------------------

TEST_F(BuilderTest, EveryControlTheBuilderCannotPlaceIsDeleted) {
    ScopedFactory factory(&ProbeFactory);
    struct Case {
        const char* what;
        const wchar_t* xml;
        int constructed;   // probes built
        int alive;         // probes left in the returned tree
    };
    const Case cases[] = {
        // A parent without the container interface ends its level: the probe
        // already built is freed and the second one is never built.
        {"no container", L"<Window><Control name=\"c\"><Probe/><Probe/></Control></Window>", 1, 0},
        // A refusing parent: each refused child is freed, the level goes on.
        {"refused", L"<Window><Refuser><Probe/><Probe><Probe/></Probe></Refuser></Window>", 3, 0},
        // Without a parent only the first top-level control can be reached;
        // the others are not built at all.
        {"extra top level", L"<Window><Probe name=\"one\"/><Probe/><Probe/></Window>", 1, 1},
        {"extra top level include",
         L"<Window><Probe name=\"one\"/><Include source=\"&lt;Window&gt;&lt;Probe/&gt;&lt;/Window&gt;\"/></Window>",
         1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log().Reset();
        CUIManager pm;
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(c.xml, NULL, NULL, &pm);
        ASSERT_NE(pRoot, nullptr);
        EXPECT_EQ(Log().constructed, c.constructed);
        EXPECT_EQ(Log().constructed - Log().destroyed, c.alive);
        delete pRoot;
        EXPECT_EQ(Log().constructed, Log().destroyed);
    }
}

// --- defaults ----------------------------------------------------------------------

TEST_F(BuilderTest, DefaultListsApplyByElementNameAndOwnAttributesWin) {
    CUIManager pm;
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window>"
        L"<Default name=\"Control\" value=\"bkcolor=&quot;#FF010203&quot; width=&quot;40&quot;\"/>"
        L"<Default name=\"ControlUI\" value=\"height=&quot;77&quot;\"/>"
        L"<Default name=\"Control\" value=\"width=&quot;99&quot;\"/>"
        L"<Container name=\"box\">"
        L"<Control name=\"a\"/><Control name=\"b\" width=\"50\"/>"
        L"</Container></Window>",
        NULL, NULL, &pm);
    ASSERT_NE(pRoot, nullptr);
    CControlUI* a = ChildAt(pRoot, 0);
    CControlUI* b = ChildAt(pRoot, 1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetBackgroundColor(), 0xFF010203u);
    EXPECT_EQ(a->GetFixedWidth(), 40);
    EXPECT_EQ(b->GetBackgroundColor(), 0xFF010203u);
    EXPECT_EQ(b->GetFixedWidth(), 50);
    // Keyed by element name: the class name and other elements get nothing.
    EXPECT_EQ(a->GetFixedHeight(), 0);
    EXPECT_EQ(pRoot->GetBackgroundColor(), 0u);
    EXPECT_EQ(pRoot->GetFixedWidth(), 0);
    delete pRoot;

    // Without a manager there are no defaults: own attributes only.
    CUIBuilder plain;
    CControlUI* pAlone = plain.Create(L"<Window><Control width=\"5\"/></Window>");
    ASSERT_NE(pAlone, nullptr);
    EXPECT_EQ(pAlone->GetFixedWidth(), 5);
    delete pAlone;
}

// --- fonts and images --------------------------------------------------------------

TEST_F(BuilderTest, FontsGetIdsInDocumentOrderAndDefaultReplacesTheDefaultFont) {
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden());
    CUIManager::SetResourcePath(BuilderSkinDir().c_str());
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window>"
        L"<Font name=\"Ignored\" size=\"15\" name=\"FontA\" bold=\"true\" underline=\"True\" color=\"1\"/>"
        L"<Font name=\"FontB\" underline=\"true\" italic=\"true\" default=\"true\"/>"
        L"<Font size=\"20\"/>"
        L"<Image name=\"red.png\" mask=\"#FF00FF\"/>"
        L"<Image name=\"301\" restype=\"PNG\" mask=\"00FF00\"/>"
        L"<Image mask=\"1\"/>"
        L"<Control/></Window>",
        NULL, NULL, &host.pm);
    ASSERT_NE(pRoot, nullptr);
    delete pRoot;

    UIFontInfo* f0 = host.pm.GetFontInfoByIndex(0);
    UIFontInfo* f1 = host.pm.GetFontInfoByIndex(1);
    ASSERT_NE(f0, nullptr);
    ASSERT_NE(f1, nullptr);
    EXPECT_STREQ(f0->sFontName.GetData(), L"FontA");
    EXPECT_EQ(f0->iSize, 15);
    EXPECT_TRUE(f0->bBold);
    EXPECT_FALSE(f0->bUnderline);   // only the exact text "true" counts
    EXPECT_STREQ(f1->sFontName.GetData(), L"FontB");
    EXPECT_EQ(f1->iSize, 12);   // the default size
    EXPECT_TRUE(f1->bUnderline);
    EXPECT_TRUE(f1->bItalic);
    EXPECT_FALSE(f1->bBold);
    // A font without a name is not added: index 2 falls back to the default font.
    EXPECT_EQ(host.pm.GetFont(2), host.pm.GetDefaultFontInfo()->hFont);
    UIFontInfo* pDefault = host.pm.GetDefaultFontInfo();
    EXPECT_STREQ(pDefault->sFontName.GetData(), L"FontB");
    EXPECT_EQ(pDefault->iSize, 12);
    EXPECT_TRUE(pDefault->bItalic);
    EXPECT_NE(host.pm.GetFont(1), pDefault->hFont);   // a font of its own

    UIImageInfo* pFile = host.pm.GetImageEx(L"red.png");
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->nWidth, 8);
    EXPECT_EQ(pFile->dwMask, 0xFF00FFu);
    UIImageInfo* pRes = host.pm.GetImageEx(L"301");
    ASSERT_NE(pRes, nullptr);
    EXPECT_EQ(pRes->nWidth, 8);
    EXPECT_STREQ(pRes->sResType.GetData(), L"PNG");
    EXPECT_EQ(pRes->dwMask, 0x00FF00u);
}

// --- the "Window" element ---------------------------------------------------------

TEST_F(BuilderTest, WindowAttributesNeedAWindowAndShortNumberListsReadZeros) {
    struct Case {
        const char* what;
        const wchar_t* attributes;
        std::function<void(HostWnd&)> check;
    };
    auto windowSize = [](HWND hwnd) {
        RECT rc;
        ::GetWindowRect(hwnd, &rc);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    };
    const Case cases[] = {
        {"size", L"size=\"320,240\"",
         [&](HostWnd& h) {
             SIZE s = windowSize(h.GetHWND());
             EXPECT_EQ(s.cx, 320);
             EXPECT_EQ(s.cy, 240);
         }},
        // One number: the second is 0, nothing read past the value.
        {"size one number", L"size=\"800\"",
         [&](HostWnd& h) {
             SIZE s = windowSize(h.GetHWND());
             EXPECT_EQ(s.cx, 800);
             EXPECT_EQ(s.cy, 0);
         }},
        {"sizebox", L"sizebox=\"4,5,6,7\"",
         [](HostWnd& h) { EXPECT_EQ(RectText(h.pm.GetSizeBox()), "4,5,6,7"); }},
        {"sizebox short", L"sizebox=\"4\"",
         [](HostWnd& h) { EXPECT_EQ(RectText(h.pm.GetSizeBox()), "4,0,0,0"); }},
        {"caption", L"caption=\"1,2,3,36\"",
         [](HostWnd& h) { EXPECT_EQ(RectText(h.pm.GetCaptionRect()), "1,2,3,36"); }},
        {"roundcorner", L"roundcorner=\"5,6\"",
         [](HostWnd& h) {
             EXPECT_EQ(h.pm.GetRoundCorner().cx, 5);
             EXPECT_EQ(h.pm.GetRoundCorner().cy, 6);
         }},
        {"mininfo", L"mininfo=\"200,150\"",
         [](HostWnd& h) {
             EXPECT_EQ(h.pm.GetMinInfo().cx, 200);
             EXPECT_EQ(h.pm.GetMinInfo().cy, 150);
         }},
        {"maxinfo", L"maxinfo=\"640,0\"",
         [](HostWnd& h) {
             MINMAXINFO mmi;
             ZeroMemory(&mmi, sizeof(mmi));
             mmi.ptMaxTrackSize.x = 1111;
             mmi.ptMaxTrackSize.y = 2222;
             LRESULT lRes = 0;
             h.pm.HandleWindowMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi), lRes);
             EXPECT_EQ(mmi.ptMaxTrackSize.x, 640);
             EXPECT_EQ(mmi.ptMaxTrackSize.y, 2222);   // only positive values replace
         }},
        {"alpha", L"alpha=\"128\"",
         [](HostWnd& h) {
             EXPECT_NE(::GetWindowLongPtrW(h.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
             BYTE alpha = 0;
             DWORD flags = 0;
             if (::GetLayeredWindowAttributes(h.GetHWND(), NULL, &alpha, &flags)) {
                 EXPECT_EQ(alpha, 128);
             }
         }},
        {"colours",
         L"disabledfontcolor=\"#FF010101\" defaultfontcolor=\"FF020202\" linkfontcolor=\"#FF030303\" "
         L"linkhoverfontcolor=\"#FF040404\" selectedcolor=\"#FF050505\"",
         [](HostWnd& h) {
             EXPECT_EQ(h.pm.GetDisabledTextColor(), 0xFF010101u);
             EXPECT_EQ(h.pm.GetDefaultTextColor(), 0xFF020202u);
             EXPECT_EQ(h.pm.GetLinkTextColor(), 0xFF030303u);
             EXPECT_EQ(h.pm.GetLinkHoverTextColor(), 0xFF040404u);
             EXPECT_EQ(h.pm.GetSelectedColor(), 0xFF050505u);
         }},
        // Later attributes of the same name win, in document order.
        {"document order", L"sizebox=\"1,1,1,1\" sizebox=\"2,2,2,2\"",
         [](HostWnd& h) { EXPECT_EQ(RectText(h.pm.GetSizeBox()), "2,2,2,2"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostWnd host;
        ASSERT_TRUE(host.CreateHidden(50, 50));
        std::wstring xml = std::wstring(L"<Window ") + c.attributes + L"><Control/></Window>";
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(xml.c_str(), NULL, NULL, &host.pm);
        ASSERT_NE(pRoot, nullptr);
        c.check(host);
        delete pRoot;
    }

    // A manager without a window keeps its defaults, and so does a root not named "Window".
    CUIManager alone;
    CUIBuilder b1;
    delete b1.Create(L"<Window sizebox=\"4,4,4,4\" defaultfontcolor=\"#FF123456\"><Control/></Window>", NULL, NULL,
                     &alone);
    EXPECT_EQ(RectText(alone.GetSizeBox()), "0,0,0,0");
    EXPECT_EQ(alone.GetDefaultTextColor(), 0xFF000000u);
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden(50, 50));
    CUIBuilder b2;
    CControlUI* pRoot = b2.Create(L"<Dialog sizebox=\"4,4,4,4\"><Control name=\"x\"/></Dialog>", NULL, NULL, &host.pm);
    ASSERT_NE(pRoot, nullptr);
    EXPECT_STREQ(pRoot->GetName().GetData(), L"x");
    EXPECT_EQ(RectText(host.pm.GetSizeBox()), "0,0,0,0");
    delete pRoot;
}

// --- includes ----------------------------------------------------------------------

TEST_F(BuilderTest, IncludeAddsTheIncludedChildrenCountTimes) {
    CUIManager::SetResourcePath(BuilderSkinDir().c_str());
    struct Case {
        const char* what;
        const wchar_t* xml;
        std::vector<std::wstring> names;   // the children of the root container
    };
    const Case cases[] = {
        {"file twice", L"<Window><Container><Include count=\"2\" source=\"item.xml\"/></Container></Window>",
         {L"incfile", L"incfile2", L"incfile", L"incfile2"}},
        {"default count", L"<Window><Container><Include source=\"item.xml\"/><Control name=\"z\"/></Container></Window>",
         {L"incfile", L"incfile2", L"z"}},
        {"literal text",
         L"<Window><Container><Include count=\"3\" "
         L"source=\"&lt;Window&gt;&lt;Control name=&quot;lit&quot;/&gt;&lt;/Window&gt;\"/></Container></Window>",
         {L"lit", L"lit", L"lit"}},
        {"count zero", L"<Window><Container><Include count=\"0\" source=\"item.xml\"/></Container></Window>", {}},
        {"no source", L"<Window><Container><Include count=\"2\"/><Include/></Container></Window>", {}},
        {"missing file", L"<Window><Container><Include source=\"nothere.xml\"/><Control name=\"y\"/></Container></Window>",
         {L"y"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CUIManager pm;
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(c.xml, NULL, NULL, &pm);
        ASSERT_NE(pRoot, nullptr);
        std::vector<std::wstring> names;
        for (int i = 0; i < ChildCount(pRoot); ++i) names.push_back(ChildAt(pRoot, i)->GetName().GetData());
        EXPECT_EQ(names, c.names);
        delete pRoot;
    }
}

TEST_F(BuilderTest, IncludeThroughTheResourceTypeReadsNumberedResources) {
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden());
    CUIBuilder builder;
    // The .rc writes the type as XML; the lookup by "xml" finds it.
    CControlUI* pRoot = builder.Create(MAKEINTRESOURCEW(101), L"xml", NULL, &host.pm);
    ASSERT_NE(pRoot, nullptr) << testsupport::Narrow(builder.GetLastErrorMessage());
    EXPECT_STREQ(pRoot->GetName().GetData(), L"resroot");
    ASSERT_EQ(ChildCount(pRoot), 3);
    for (int i = 0; i < 3; ++i) EXPECT_STREQ(ChildAt(pRoot, i)->GetName().GetData(), L"resitem");
    RECT rc;
    ::GetWindowRect(host.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, 300);
    delete pRoot;
}

TEST_F(BuilderTest, SelfIncludingLayoutsStopAtTheDepthLimit) {
    CUIManager::SetResourcePath(BuilderSkinDir().c_str());
    auto depth = [](CControlUI* p) {
        int n = 0;
        while (p != NULL) {
            ++n;
            p = ChildAt(p, 0);
        }
        return n;
    };
    CUIManager pm;
    CUIBuilder fromResource;
    CControlUI* pRes = fromResource.Create(MAKEINTRESOURCEW(103), L"xml", NULL, &pm);
    ASSERT_NE(pRes, nullptr);
    EXPECT_EQ(depth(pRes), CUIBuilder::MAX_INCLUDE_DEPTH + 1);
    delete pRes;

    CUIBuilder fromFile;
    CControlUI* pFile = fromFile.Create(L"self.xml", NULL, NULL, &pm);
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(depth(pFile), CUIBuilder::MAX_INCLUDE_DEPTH + 1);
    delete pFile;
}

// --- limits ------------------------------------------------------------------------

// n probe boxes nested in each other, a probe at the bottom when leaf is set.
std::wstring NestedBoxes(int n, bool leaf) {
    std::wstring s = L"<Window>";
    for (int i = 0; i < n; ++i) s += L"<ProbeBox>";
    if (leaf) s += L"<Probe/>";
    for (int i = 0; i < n; ++i) s += L"</ProbeBox>";
    return s + L"</Window>";
}

// count copies of an element in a root probe box.
std::wstring Repeated(const wchar_t* element, int count) {
    std::wstring s = L"<Window><ProbeBox>";
    for (int i = 0; i < count; ++i) s += element;
    return s + L"</ProbeBox></Window>";
}

// An include of a literal document of probes.
std::wstring LiteralInclude(int count, int probes = 1) {
    std::wstring s = L"<Include count=\"" + std::to_wstring(count) + L"\" source=\"&lt;Window&gt;";
    for (int i = 0; i < probes; ++i) s += L"&lt;Probe/&gt;";
    return s + L"&lt;/Window&gt;\"/>";
}

TEST_F(BuilderTest, LayoutsPastALimitAreRefusedWholeAndFreed) {
    ScopedFactory factory(&ProbeFactory);
    const int kDepth = CUIBuilder::MAX_DEPTH;
    const int kControls = CUIBuilder::MAX_CONTROLS;
    const int kCount = CUIBuilder::MAX_INCLUDE_COUNT;
    const int kDocuments = CUIBuilder::MAX_INCLUDED_DOCUMENTS;
    std::wstring documents;   // every included document allowed, one probe each
    for (int i = 0; i < kDocuments / kCount; ++i) documents += LiteralInclude(kCount);
    struct Case {
        const char* what;
        std::wstring xml;
        int controls;          // built (the root's subtree), or 0 when refused
        const wchar_t* error;  // NULL: built
    };
    const Case cases[] = {
        {"deepest", NestedBoxes(kDepth, false), kDepth, NULL},
        {"a leaf too deep", NestedBoxes(kDepth, true), 0, L"Layout nested too deep"},
        {"far too deep", NestedBoxes(5000, true), 0, L"Layout nested too deep"},
        // An include adds no level of its own; its controls take the include's level.
        {"included at the deepest level",
         NestedBoxes(kDepth - 1, false).replace(std::wstring(L"<Window>").size() + 10 * (kDepth - 1), 0,
                                                LiteralInclude(2)),
         kDepth + 1, NULL},
        {"included one too deep",
         NestedBoxes(kDepth, false).replace(std::wstring(L"<Window>").size() + 10 * kDepth, 0, LiteralInclude(1)),
         0, L"Layout nested too deep"},
        {"most controls", Repeated(L"<Probe/>", kControls - 1), kControls, NULL},
        {"one control too many", Repeated(L"<Probe/>", kControls), 0, L"Layout makes too many controls"},
        // 30 probes in each of 400 documents.
        {"too many controls through includes", Repeated(LiteralInclude(kCount, 30).c_str(), 4), 0,
         L"Layout makes too many controls"},
        {"largest count", Repeated(LiteralInclude(kCount).c_str(), 1), kCount + 1, NULL},
        {"count too large", Repeated(LiteralInclude(kCount + 1).c_str(), 1), 0, L"Include count too large"},
        {"count past 32 bits", Repeated(L"<Include count=\"99999999999\" source=\"x.xml\"/>", 1), 0,
         L"Include count too large"},
        {"most documents", Repeated(documents.c_str(), 1), kDocuments + 1, NULL},
        {"one document too many", Repeated((documents + LiteralInclude(1)).c_str(), 1), 0,
         L"Layout includes too many documents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log().Reset();
        CUIManager pm;
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(c.xml.c_str(), NULL, NULL, &pm);
        if (c.error == NULL) {
            ASSERT_NE(pRoot, nullptr) << testsupport::Narrow(builder.GetLastErrorMessage());
            EXPECT_EQ(Log().constructed, c.controls);
            EXPECT_STREQ(builder.GetLastErrorMessage(), L"");
            delete pRoot;
        } else {
            EXPECT_EQ(pRoot, nullptr);
            EXPECT_STREQ(builder.GetLastErrorMessage(), c.error);
            EXPECT_STREQ(builder.GetLastErrorLocation(), L"");
        }
        // Nothing made is left behind.
        EXPECT_EQ(Log().destroyed, Log().constructed);
        // The builder is usable again, and its error is gone.
        CControlUI* pAgain = builder.Create(L"<Window><Probe/></Window>", NULL, NULL, &pm);
        ASSERT_NE(pAgain, nullptr);
        EXPECT_STREQ(builder.GetLastErrorMessage(), L"");
        delete pAgain;
    }
}

TEST_F(BuilderTest, BuildingIntoAParentCountsTheParentsDepth) {
    ScopedFactory factory(&ProbeFactory);
    // A live chain of MAX_DEPTH - 1 containers: one more level fits below it.
    CContainerUI* pTop = new CContainerUI;
    CContainerUI* pDeepest = pTop;
    for (int i = 1; i < CUIBuilder::MAX_DEPTH - 1; ++i) {
        CContainerUI* pNext = new CContainerUI;
        pDeepest->Add(pNext);
        pNext->SetManager(NULL, pDeepest, false);
        pDeepest = pNext;
    }
    CControlUI* pExisting = new CControlUI;
    pDeepest->Add(pExisting);

    CUIBuilder builder;
    EXPECT_NE(builder.Create(L"<Window><Probe/><Probe/></Window>", NULL, NULL, NULL, pDeepest), nullptr);
    EXPECT_EQ(ChildCount(pDeepest), 3);
    // Two levels do not: nothing of that layout stays in the parent.
    Log().Reset();
    EXPECT_EQ(builder.Create(L"<Window><Probe/><ProbeBox><Probe/></ProbeBox></Window>", NULL, NULL, NULL, pDeepest),
              nullptr);
    EXPECT_STREQ(builder.GetLastErrorMessage(), L"Layout nested too deep");
    EXPECT_EQ(ChildCount(pDeepest), 3);
    EXPECT_EQ(ChildAt(pDeepest, 0), pExisting);
    EXPECT_EQ(Log().destroyed, Log().constructed);
    delete pTop;
}

// --- sources and failures ----------------------------------------------------------

TEST_F(BuilderTest, SourcesAndTheirFailures) {
    struct Case {
        const char* what;
        std::function<void()> setup;
        LPCTSTR xml;
        LPCTSTR type;
        const wchar_t* rootName;   // NULL: the build fails
        const wchar_t* error;      // the markup's message on failure (NULL: not checked)
    };
    const std::wstring dir = BuilderSkinDir();
    auto folder = [dir]() { CUIManager::SetResourcePath(dir.c_str()); };
    auto zipFile = [dir]() {
        CUIManager::SetResourcePath(dir.c_str());
        CUIManager::SetResourceZipFile(L"builder.zip", true);
    };
    auto zipUncached = [dir]() {
        CUIManager::SetResourcePath(dir.c_str());
        CUIManager::SetResourceZipFile(L"builder.zip", false);
    };
    static std::string zipBytes;
    auto zipMemory = [dir]() {
        zipBytes = testsupport::ReadFileBytes(dir + L"builder.zip");
        CUIManager::SetResourceZipMemory(zipBytes.data(), static_cast<unsigned>(zipBytes.size()));
    };
    const Case cases[] = {
        {"text", [] {}, L"<Window><Container name=\"t\"/></Window>", NULL, L"t", NULL},
        {"text parse error", [] {}, L"<Window><A><B></A></Window>", NULL, NULL, L"Unmatched closing tag"},
        {"empty document", [] {}, L"<!-- nothing ->", NULL, NULL, NULL},
        {"file", folder, L"layout.xml", NULL, L"filebox", NULL},
        {"missing file", folder, L"missing.xml", NULL, NULL, L"Error opening file"},
        {"zip file, other case", zipFile, L"layouts/zipmain.xml", NULL, L"zipbox", NULL},
        {"zip file uncached", zipUncached, L"Layouts\\ZipMain.xml", NULL, L"zipbox", NULL},
        {"zip missing entry", zipFile, L"layout.xml", NULL, NULL, L"Could not find ziped file"},
        {"zip in memory", zipMemory, L"Layouts/ZipMain.xml", NULL, L"zipbox", NULL},
        {"resource", [] {}, MAKEINTRESOURCEW(102), L"xml", L"resitem", NULL},
        {"resource with BOM", [] {}, MAKEINTRESOURCEW(104), L"XML", L"utf8", NULL},
        {"missing resource", [] {}, MAKEINTRESOURCEW(999), L"xml", NULL, NULL},
        {"resource of another type", [] {}, MAKEINTRESOURCEW(102), L"ZIPRES", NULL, NULL},
        {"resource without type", [] {}, MAKEINTRESOURCEW(102), NULL, NULL, NULL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CUIManager::ResetResourceState();
        c.setup();
        CUIManager pm;
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(c.xml, c.type, NULL, &pm);
        if (c.rootName == NULL) {
            EXPECT_EQ(pRoot, nullptr);
            if (c.error != NULL) {
                EXPECT_STREQ(builder.GetLastErrorMessage(), c.error);
            }
        } else {
            ASSERT_NE(pRoot, nullptr) << testsupport::Narrow(builder.GetLastErrorMessage());
            EXPECT_STREQ(pRoot->GetName().GetData(), c.rootName);
        }
        delete pRoot;
    }

    // The BOM resource's text arrives as UTF-8.
    CUIBuilder builder;
    CControlUI* pText = builder.Create(MAKEINTRESOURCEW(104), L"xml");
    ASSERT_NE(pText, nullptr);
    EXPECT_STREQ(pText->GetText().GetData(), L"\u4e2d\u6587\u00e9");
    delete pText;
    CUIManager::ResetResourceState();
}

}  // namespace
