// The paint manager's per-window state: window settings, layered opacity,
// fonts, colours, the parent-resource chain, default attribute lists, option
// groups, the name map and hit testing.
#include "ManagerFixture.h"

#include <string>

using namespace SkinUI;
using namespace mgrtest;

namespace {

LOGFONTW FontOf(HFONT hFont)
{
    LOGFONTW lf;
    ZeroMemory(&lf, sizeof(lf));
    GetObjectW(hFont, sizeof(lf), &lf);
    return lf;
}

LOGFONTW StockFont()
{
    return FontOf(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

TEST(ManagerDefaults, FreshManagerState)
{
    CUIManager pm;
    EXPECT_EQ(0xFFA7A6AAu, pm.GetDisabledTextColor());
    EXPECT_EQ(0xFF000000u, pm.GetDefaultTextColor());
    EXPECT_EQ(0xFF0000FFu, pm.GetLinkTextColor());
    EXPECT_EQ(0xFFD3215Fu, pm.GetLinkHoverTextColor());
    EXPECT_EQ(0xFFBAE4FFu, pm.GetSelectedColor());
    EXPECT_EQ(-1, pm.GetMousePos().x);
    EXPECT_EQ(-1, pm.GetMousePos().y);
    EXPECT_FALSE(pm.IsCaptured());
    EXPECT_TRUE(pm.GetRoot() == NULL);
    EXPECT_TRUE(pm.GetFocus() == NULL);
    EXPECT_EQ(0, pm.GetMinInfo().cx);
    EXPECT_EQ(0, pm.GetRoundCorner().cy);

    // The default font is the stock GUI font with the default character set.
    UIFontInfo* info = pm.GetDefaultFontInfo();
    ASSERT_TRUE(info != NULL && info->hFont != NULL);
    LOGFONTW stock = StockFont();
    LOGFONTW lf = FontOf(info->hFont);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
    EXPECT_EQ(-stock.lfHeight, info->iSize);
    EXPECT_STREQ(stock.lfFaceName, info->sFontName.GetData());
    EXPECT_EQ(0, info->tm.tmHeight) << "no paint DC yet, so not measured";

    // Without a window nothing is handled.
    LRESULT lRes = 0;
    EXPECT_FALSE(pm.HandleWindowMessage(WM_PAINT, 0, 0, lRes));
}

// ---------------------------------------------------------------------------
// Window settings
// ---------------------------------------------------------------------------
TEST_F(ManagerTest, GeometrySettingsAndInitSize)
{
    pm().SetSizeBox(Rc(4, 4, 6, 6));
    pm().SetCaptionRect(Rc(0, 0, 0, 30));
    pm().SetRoundCorner(5, 7);
    pm().SetMinInfo(120, 90);
    EXPECT_EQ(6, pm().GetSizeBox().right);
    EXPECT_EQ(30, pm().GetCaptionRect().bottom);
    EXPECT_EQ(5, pm().GetRoundCorner().cx);
    EXPECT_EQ(7, pm().GetRoundCorner().cy);
    EXPECT_EQ(90, pm().GetMinInfo().cy);

    // Without a root the initial size resizes the window, keeping its place.
    pm().SetInitSize(320, 240);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(320, rc.right - rc.left);
    EXPECT_EQ(240, rc.bottom - rc.top);
    EXPECT_EQ(kX, rc.left);
    EXPECT_EQ(kY, rc.top);

    // With a root it is only stored.
    Attach(AttachProbeRoot());
    pm().SetInitSize(100, 100);
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(320, rc.right - rc.left);
}

TEST_F(ManagerTest, MinMaxInfoReplacesOnlyPositiveSizes)
{
    struct Case
    {
        int minCx, minCy, maxCx, maxCy;
        LONG wantMinX, wantMinY, wantMaxX, wantMaxY;
    };
    const Case cases[] = {
        { 0, 0, 0, 0, 11, 12, 901, 902 },
        { 300, 0, 0, 500, 300, 12, 901, 500 },
        { -5, 40, 800, -1, 11, 40, 800, 902 },
    };
    for (const Case& c : cases) {
        pm().SetMinInfo(c.minCx, c.minCy);
        pm().SetMaxInfo(c.maxCx, c.maxCy);
        MINMAXINFO mmi;
        ZeroMemory(&mmi, sizeof(mmi));
        mmi.ptMinTrackSize.x = 11;
        mmi.ptMinTrackSize.y = 12;
        mmi.ptMaxTrackSize.x = 901;
        mmi.ptMaxTrackSize.y = 902;
        LRESULT lRes = 0;
        EXPECT_FALSE(pm().HandleWindowMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi), lRes));
        EXPECT_EQ(c.wantMinX, mmi.ptMinTrackSize.x);
        EXPECT_EQ(c.wantMinY, mmi.ptMinTrackSize.y);
        EXPECT_EQ(c.wantMaxX, mmi.ptMaxTrackSize.x);
        EXPECT_EQ(c.wantMaxY, mmi.ptMaxTrackSize.y);
    }
}

TEST_F(ManagerTest, TransparencyTurnsLayeringOnOnlyInRange)
{
    struct Case
    {
        int value;
        bool layered;
        BYTE alpha;
    };
    const Case cases[] = {
        { 128, true, 128 },
        { 300, false, 0 },
        { 255, true, 255 },
        { -1, false, 0 },
        { 0, true, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        pm().SetTransparent(c.value);
        LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        EXPECT_EQ(c.layered, (ex & WS_EX_LAYERED) != 0);
        if (c.layered) {
            BYTE alpha = 1;
            DWORD flags = 0;
            COLORREF key = 1;
            ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags));
            EXPECT_EQ(c.alpha, alpha);
            EXPECT_TRUE((flags & LWA_ALPHA) != 0);
        }
    }
}

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------
TEST_F(ManagerTest, AddedFontsAreFoundByPosition)
{
    LOGFONTW stock = StockFont();
    HFONT f0 = pm().AddFont(L"Tahoma", 13, false, false, false);
    HFONT f1 = pm().AddFont(L"Arial", 18, true, true, true);
    ASSERT_TRUE(f0 != NULL && f1 != NULL);
    EXPECT_EQ(f0, pm().GetFont(0));
    EXPECT_EQ(f1, pm().GetFont(1));
    HFONT def = pm().GetDefaultFontInfo()->hFont;
    EXPECT_EQ(def, pm().GetFont(-1));
    EXPECT_EQ(def, pm().GetFont(2));
    EXPECT_EQ(pm().GetDefaultFontInfo(), pm().GetFontInfoByIndex(2));

    UIFontInfo* i1 = pm().GetFontInfoByIndex(1);
    EXPECT_EQ(f1, i1->hFont);
    EXPECT_STREQ(L"Arial", i1->sFontName.GetData());
    EXPECT_EQ(18, i1->iSize);
    EXPECT_TRUE(i1->bBold && i1->bUnderline && i1->bItalic);
    EXPECT_NE(0, i1->tm.tmHeight) << "measured with the window's paint DC";

    LOGFONTW lf = FontOf(f1);
    EXPECT_EQ(-18, lf.lfHeight);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
    EXPECT_EQ(stock.lfWeight + FW_BOLD, lf.lfWeight) << "bold adds 700 to the stock weight";
    EXPECT_TRUE(lf.lfUnderline && lf.lfItalic);
    EXPECT_STREQ(L"Arial", lf.lfFaceName);
    EXPECT_EQ(stock.lfWeight, FontOf(f0).lfWeight);

    EXPECT_EQ(i1, pm().GetFontInfoByHandle(f1));
    EXPECT_EQ(pm().GetDefaultFontInfo(), pm().GetFontInfoByHandle(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))));

    EXPECT_EQ(f1, pm().FindFont(L"Arial", 18, true, true, true));
    EXPECT_TRUE(pm().FindFont(L"arial", 18, true, true, true) == NULL) << "faces compare case-sensitively";
    EXPECT_TRUE(pm().FindFont(L"Arial", 18, false, true, true) == NULL);
    EXPECT_TRUE(pm().FindFont(L"Arial", 17, true, true, true) == NULL);

    pm().RemoveAllFonts();
    EXPECT_EQ(0, GetObjectType(f0)) << "the font objects are deleted";
    EXPECT_EQ(def, pm().GetFont(0));
}

TEST_F(ManagerTest, LongFaceNamesAreCutAndTerminated)
{
    const wchar_t* face = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn"; // 40 characters
    HFONT f = pm().AddFont(face, 12, false, false, false);
    ASSERT_TRUE(f != NULL);
    LOGFONTW lf = FontOf(f);
    EXPECT_EQ(static_cast<size_t>(LF_FACESIZE - 1), wcsnlen(lf.lfFaceName, LF_FACESIZE));
    EXPECT_EQ(0, wcsncmp(face, lf.lfFaceName, LF_FACESIZE - 1));
    // The record keeps the name it was given, so lookups by it work.
    EXPECT_EQ(f, pm().FindFont(face, 12, false, false, false));
}

TEST_F(ManagerTest, DefaultFontIsReplacedAndMeasured)
{
    HFONT old = pm().GetDefaultFontInfo()->hFont;
    pm().SetDefaultFont(L"Verdana", 21, true, false, false);
    UIFontInfo* info = pm().GetDefaultFontInfo();
    EXPECT_NE(old, info->hFont);
    EXPECT_EQ(0, GetObjectType(old)) << "the old default font is deleted";
    EXPECT_EQ(21, info->iSize);
    EXPECT_TRUE(info->bBold);
    EXPECT_STREQ(L"Verdana", info->sFontName.GetData());
    EXPECT_EQ(-21, FontOf(info->hFont).lfHeight);
    EXPECT_NE(0, info->tm.tmHeight);
}

TEST(ManagerParents, ResourcesAreSharedUpTheChain)
{
    CUIManager top, mid, leaf;
    ASSERT_TRUE(mid.SetParentResourceManager(&top));
    ASSERT_TRUE(leaf.SetParentResourceManager(&mid));

    // Fonts: the default font and colours come from the topmost manager.
    EXPECT_EQ(top.GetDefaultFontInfo(), leaf.GetDefaultFontInfo());
    EXPECT_EQ(top.GetDefaultFontInfo()->hFont, leaf.GetFont(0));
    HFONT topFont = top.AddFont(L"Tahoma", 15, false, false, true);
    HFONT midFont = mid.AddFont(L"Tahoma", 15, false, false, true);
    ASSERT_TRUE(topFont != NULL && midFont != NULL);
    EXPECT_EQ(midFont, leaf.FindFont(L"Tahoma", 15, false, false, true)) << "the nearest manager first";
    EXPECT_EQ(topFont, top.FindFont(L"Tahoma", 15, false, false, true));
    EXPECT_EQ(topFont, leaf.GetFontInfoByHandle(topFont)->hFont);
    EXPECT_TRUE(leaf.FindFont(L"Tahoma", 16, false, false, true) == NULL);

    top.SetDefaultTextColor(0xFF112233);
    leaf.SetDefaultTextColor(0xFF445566);
    EXPECT_EQ(0xFF112233u, leaf.GetDefaultTextColor());
    EXPECT_EQ(0xFF112233u, mid.GetDefaultTextColor());
    top.SetSelectedColor(0xFF010203);
    EXPECT_EQ(0xFF010203u, leaf.GetSelectedColor());
    top.SetLinkTextColor(1);
    top.SetLinkHoverTextColor(2);
    top.SetDisabledTextColor(3);
    EXPECT_EQ(1u, leaf.GetLinkTextColor());
    EXPECT_EQ(2u, leaf.GetLinkHoverTextColor());
    EXPECT_EQ(3u, leaf.GetDisabledTextColor());

    // Default attribute lists: this manager first, then up the chain.
    top.AddDefaultAttributes(L"Button", L"width=\"1\"");
    mid.AddDefaultAttributes(L"VScrollBar", L"width=\"2\"");
    leaf.AddDefaultAttributes(L"VScrollBar", L"width=\"3\"");
    EXPECT_STREQ(L"width=\"1\"", leaf.GetDefaultAttributes(L"Button"));
    EXPECT_STREQ(L"width=\"3\"", leaf.GetDefaultAttributes(L"VScrollBar"));
    EXPECT_STREQ(L"width=\"2\"", mid.GetDefaultAttributes(L"VScrollBar"));
    EXPECT_TRUE(top.GetDefaultAttributes(L"VScrollBar") == NULL);

    // Cycles are refused and change nothing.
    EXPECT_FALSE(top.SetParentResourceManager(&leaf));
    EXPECT_FALSE(top.SetParentResourceManager(&top));
    EXPECT_FALSE(mid.SetParentResourceManager(&leaf));
    EXPECT_EQ(0xFF112233u, leaf.GetDefaultTextColor());

    // Leaving the chain: the own values show again.
    EXPECT_TRUE(leaf.SetParentResourceManager(NULL));
    EXPECT_EQ(0xFF445566u, leaf.GetDefaultTextColor());
    EXPECT_NE(top.GetDefaultFontInfo(), leaf.GetDefaultFontInfo());
}

// ---------------------------------------------------------------------------
// Default lists, option groups
// ---------------------------------------------------------------------------
TEST(ManagerLists, FirstDefaultListWins)
{
    CUIManager pm;
    pm.AddDefaultAttributes(L"Button", L"height=\"20\"");
    pm.AddDefaultAttributes(L"Button", L"height=\"99\"");
    pm.AddDefaultAttributes(L"Label", L"");
    EXPECT_STREQ(L"height=\"20\"", pm.GetDefaultAttributes(L"Button"));
    EXPECT_STREQ(L"", pm.GetDefaultAttributes(L"Label"));
    EXPECT_TRUE(pm.GetDefaultAttributes(L"button") == NULL) << "names compare exactly";
    EXPECT_TRUE(pm.GetDefaultAttributes(NULL) == NULL);
    pm.RemoveAllDefaultAttributes();
    EXPECT_TRUE(pm.GetDefaultAttributes(L"Button") == NULL);
    pm.AddDefaultAttributes(L"Button", L"height=\"99\"");
    EXPECT_STREQ(L"height=\"99\"", pm.GetDefaultAttributes(L"Button"));
}

TEST(ManagerLists, OptionGroups)
{
    Journal j;
    CUIManager pm;
    CProbeUI a(&j, L"a"), b(&j, L"b");
    EXPECT_TRUE(pm.GetOptionGroup(L"g") == NULL);
    EXPECT_TRUE(pm.AddOptionGroup(L"g", &a));
    EXPECT_FALSE(pm.AddOptionGroup(L"g", &a)) << "a control is in a group once";
    EXPECT_TRUE(pm.AddOptionGroup(L"g", &b));
    EXPECT_TRUE(pm.AddOptionGroup(L"h", &a)) << "groups are independent";
    CUIPtrArray* g = pm.GetOptionGroup(L"g");
    ASSERT_TRUE(g != NULL);
    ASSERT_EQ(2, g->GetSize());
    EXPECT_EQ(&a, g->GetAt(0));
    EXPECT_EQ(&b, g->GetAt(1));

    pm.RemoveOptionGroup(L"g", &a);
    ASSERT_EQ(1, pm.GetOptionGroup(L"g")->GetSize());
    pm.RemoveOptionGroup(L"g", &a); // not a member: nothing changes
    ASSERT_EQ(1, pm.GetOptionGroup(L"g")->GetSize());
    pm.RemoveOptionGroup(L"g", &b);
    EXPECT_TRUE(pm.GetOptionGroup(L"g") == NULL) << "the empty group is dropped";
    pm.RemoveOptionGroup(L"missing", &b);

    pm.RemoveAllOptionGroups();
    EXPECT_TRUE(pm.GetOptionGroup(L"h") == NULL);
    EXPECT_EQ(0, j.DeletedCount(L"a")) << "the controls are never freed by the groups";
}

// ---------------------------------------------------------------------------
// The control tree
// ---------------------------------------------------------------------------
TEST_F(ManagerTest, NameMapKeepsTheLastAndReapsOnlyItsOwnEntry)
{
    CProbeUI* root = AttachProbeRoot();
    CProbeUI* first = root->Add(new CProbeUI(&j, L"twin"));
    CProbeUI* second = root->Add(new CProbeUI(&j, L"twin"));
    CProbeUI* inner = root->Add(new CProbeUI(&j, L"box"));
    CProbeUI* deep = inner->Add(new CProbeUI(&j, L"deep"));
    root->Add(new CProbeUI(&j, L""));
    EXPECT_FALSE(pm().InitControls(NULL));
    Attach(root);

    EXPECT_EQ(&pm(), deep->GetManager());
    EXPECT_EQ(inner, deep->GetParent());
    EXPECT_EQ(root, first->GetParent());
    EXPECT_TRUE(root->GetParent() == NULL);
    EXPECT_EQ(deep, pm().FindControlByName(L"deep"));
    EXPECT_EQ(root, pm().FindControlByName(L"root"));
    EXPECT_EQ(second, pm().FindControlByName(L"twin")) << "the one registered last";
    EXPECT_TRUE(pm().FindControlByName(L"") == NULL);
    EXPECT_TRUE(pm().FindControlByName(L"Twin") == NULL);

    root->Detach(first);
    delete first;
    EXPECT_EQ(second, pm().FindControlByName(L"twin")) << "reaping the first leaves the second's entry";
    root->Detach(second);
    delete second;
    EXPECT_TRUE(pm().FindControlByName(L"twin") == NULL);
}

TEST_F(ManagerTest, FindControlAtIsTheTopmostVisibleHit)
{
    CProbeUI* root = AttachProbeRoot();
    CProbeUI* a = root->Add(new CProbeUI(&j, L"a", Rc(10, 10, 60, 60)));
    CProbeUI* b = root->Add(new CProbeUI(&j, L"b", Rc(40, 40, 100, 100)));
    CProbeUI* hidden = root->Add(new CProbeUI(&j, L"hidden", Rc(120, 10, 180, 60)));
    CProbeUI* deaf = root->Add(new CProbeUI(&j, L"deaf", Rc(120, 70, 180, 120)));
    hidden->SetShown(false);
    deaf->SetMouse(false);
    Attach(root);
    struct Case
    {
        int x, y;
        CControlUI* want;
    };
    const Case cases[] = {
        { 20, 20, a },      { 45, 45, b },       { 59, 59, b },    { 99, 99, b },
        { 100, 100, root }, { 130, 20, root },   { 130, 80, root }, { 250, 20, NULL },
        { -1, -1, NULL },   { 10, 10, a },
    };
    for (const Case& c : cases) {
        POINT pt = { c.x, c.y };
        EXPECT_EQ(c.want, pm().FindControlAt(pt)) << c.x << "," << c.y;
    }
    (void)b;
}

} // namespace
