// The paint manager's process-wide resource state (instance, skin folder, skin
// zip), its image cache, and the message-loop translation that finds a
// message's manager.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIWindow.h"

using namespace SkinUI;

namespace {

std::wstring ManagerFixtures()
{
    return testsupport::FixtureDir() + L"manager\\";
}

class ManagerResourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIManager::SetInstance(GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
    }
    void TearDown() override { CUIManager::ResetResourceState(); }
};

TEST_F(ManagerResourceTest, ResourcePathGetsOneTrailingSeparator)
{
    struct Case
    {
        const wchar_t* in;
        const wchar_t* out;
    };
    const Case cases[] = {
        { L"skin", L"skin\\" },
        { L"skin/", L"skin/" },
        { L"skin\\", L"skin\\" },
        { L"C:\\app\\skin", L"C:\\app\\skin\\" },
        { L"", L"" },
        { NULL, L"" },
    };
    for (const Case& c : cases) {
        CUIManager::SetResourcePath(c.in);
        EXPECT_STREQ(c.out, CUIManager::GetResourcePath().GetData()) << (c.in ? c.in : L"(null)");
    }
}

TEST_F(ManagerResourceTest, InstancePathIsTheModuleFolder)
{
    std::wstring exeDir = testsupport::ExeDir();
    CUIString path = CUIManager::GetInstancePath();
    EXPECT_EQ(0, lstrcmpiW(exeDir.c_str(), path.GetData())) << testsupport::Narrow(path.GetData());
    ASSERT_GT(path.GetLength(), 0);
    EXPECT_EQ(L'\\', path.GetAt(path.GetLength() - 1));
    EXPECT_EQ(GetModuleHandleW(NULL), CUIManager::GetResourceInstance());

    CUIManager::SetInstance(NULL);
    EXPECT_TRUE(CUIManager::GetInstancePath().IsEmpty());
    EXPECT_TRUE(CUIManager::GetResourceInstance() == NULL);
    CUIManager::SetInstance(GetModuleHandleW(NULL));
}

TEST_F(ManagerResourceTest, MemoryZipIsOpenedOnceAndKept)
{
    // The block must stay alive for as long as the zip is in use.
    static const std::string zip = testsupport::ReadFileBytes(ManagerFixtures() + L"skin.zip");
    ASSERT_FALSE(zip.empty());

    CUIManager::SetResourceZipMemory(zip.data(), (unsigned)zip.size());
    EXPECT_STREQ(L"membuffer", CUIManager::GetResourceZipName().GetData());
    EXPECT_TRUE(CUIManager::IsResourceZipCached());
    UIZipHandle* handle = CUIManager::GetResourceZipHandle();
    ASSERT_TRUE(handle != NULL);

    // A second block, even a different one, changes nothing.
    static const std::string other = "not a zip at all";
    CUIManager::SetResourceZipMemory(other.data(), (unsigned)other.size());
    EXPECT_EQ(handle, CUIManager::GetResourceZipHandle());
    EXPECT_STREQ(L"membuffer", CUIManager::GetResourceZipName().GetData());

    // Images come out of the kept-open zip (the entry name's case does not matter).
    CUIManager manager;
    UIImageInfo* img = manager.GetImageEx(L"img/yellow.png");
    ASSERT_TRUE(img != NULL);
    EXPECT_EQ(3, img->nWidth);
    EXPECT_EQ(5, img->nHeight);

    CUIManager::ResetResourceState();
    EXPECT_TRUE(CUIManager::GetResourceZipHandle() == NULL);
    EXPECT_TRUE(CUIManager::GetResourceZipName().IsEmpty());
    EXPECT_FALSE(CUIManager::IsResourceZipCached());
}

TEST_F(ManagerResourceTest, ZipFileIsOpenedOnlyWhenCached)
{
    CUIManager::SetResourcePath(ManagerFixtures().c_str());

    CUIManager::SetResourceZipFile(L"skin.zip", true);
    EXPECT_STREQ(L"skin.zip", CUIManager::GetResourceZipName().GetData());
    EXPECT_TRUE(CUIManager::IsResourceZipCached());
    UIZipHandle* handle = CUIManager::GetResourceZipHandle();
    ASSERT_TRUE(handle != NULL) << "resource path + name is opened at once";

    CUIManager::SetResourceZipFile(L"skin.zip", true);
    EXPECT_EQ(handle, CUIManager::GetResourceZipHandle()) << "same name and flag: nothing happens";

    CUIManager::SetResourceZipFile(L"skin.zip", false);
    EXPECT_FALSE(CUIManager::IsResourceZipCached());
    EXPECT_TRUE(CUIManager::GetResourceZipHandle() == NULL) << "each load opens the zip itself";
    EXPECT_STREQ(L"skin.zip", CUIManager::GetResourceZipName().GetData());

    CUIManager::SetResourceZipFile(L"missing.zip", true);
    EXPECT_STREQ(L"missing.zip", CUIManager::GetResourceZipName().GetData());
    EXPECT_TRUE(CUIManager::IsResourceZipCached());
    EXPECT_TRUE(CUIManager::GetResourceZipHandle() == NULL);

    // A file zip does not block a later memory zip.
    static const std::string zip = testsupport::ReadFileBytes(ManagerFixtures() + L"skin.zip");
    CUIManager::SetResourceZipMemory(zip.data(), (unsigned)zip.size());
    EXPECT_STREQ(L"membuffer", CUIManager::GetResourceZipName().GetData());
    EXPECT_TRUE(CUIManager::GetResourceZipHandle() != NULL);
}

TEST_F(ManagerResourceTest, ImageCacheKeysByNameOnly)
{
    CUIManager::SetResourcePath(ManagerFixtures().c_str());
    CUIManager manager;

    UIImageInfo* red = manager.AddImage(L"red.png");
    ASSERT_TRUE(red != NULL);
    EXPECT_EQ(4, red->nWidth);
    EXPECT_EQ(3, red->nHeight);
    EXPECT_TRUE(red->sResType.IsEmpty());
    EXPECT_EQ(0u, red->dwMask);

    // A name already cached is refused by AddImage ...
    EXPECT_TRUE(manager.AddImage(L"red.png") == NULL);
    // ... and GetImageEx hands out the cached image whatever else is asked.
    EXPECT_EQ(red, manager.GetImageEx(L"red.png", NULL, 0xFF00FF00));
    EXPECT_EQ(red, manager.GetImageEx(L"red.png", L"PNG", 0));
    EXPECT_EQ(0u, red->dwMask);

    UIImageInfo* blue = manager.GetImageEx(L"blue.png", NULL, 0xFF0000FF);
    ASSERT_TRUE(blue != NULL);
    EXPECT_EQ(0xFF0000FFu, blue->dwMask) << "the mask is recorded";
    EXPECT_NE(red, blue);

    // Images that do not load are not cached.
    EXPECT_TRUE(manager.GetImageEx(L"missing.png") == NULL);
    EXPECT_TRUE(manager.GetImageEx(L"missing.png") == NULL);
}

TEST_F(ManagerResourceTest, TypedImagesAreDecimalResourceNumbers)
{
    CUIManager manager;
    struct Case
    {
        const wchar_t* name;
        bool loads;
    };
    const Case cases[] = {
        { L"abc", false },     // not a number: nothing is loaded
        { L"102", false },     // no such resource
        { L"65637", false },   // beyond any resource number (101 + 0x10000)
        { L"101", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.name));
        UIImageInfo* img = manager.AddImage(c.name, L"PNG", 0);
        if (!c.loads) {
            EXPECT_TRUE(img == NULL);
            continue;
        }
        ASSERT_TRUE(img != NULL);
        EXPECT_EQ(6, img->nWidth);
        EXPECT_EQ(2, img->nHeight);
        EXPECT_STREQ(L"PNG", img->sResType.GetData());
        EXPECT_EQ(img, manager.GetImageEx(c.name));
    }
}

TEST_F(ManagerResourceTest, RemovingImagesFreesTheirBitmaps)
{
    CUIManager::SetResourcePath(ManagerFixtures().c_str());
    HBITMAP kept = NULL;
    {
        CUIManager manager;
        UIImageInfo* red = manager.GetImageEx(L"red.png");
        ASSERT_TRUE(red != NULL);
        HBITMAP first = red->hBitmap;
        ASSERT_EQ(OBJ_BITMAP, (int)GetObjectType(first));

        manager.RemoveAllImages();
        EXPECT_EQ(0, (int)GetObjectType(first)) << "freed with the cache";
        UIImageInfo* again = manager.GetImageEx(L"red.png");
        ASSERT_TRUE(again != NULL) << "loaded anew after the cache was emptied";
        EXPECT_TRUE(manager.AddImage(L"red.png") == NULL);
        kept = again->hBitmap;
        ASSERT_EQ(OBJ_BITMAP, (int)GetObjectType(kept));
    }
    EXPECT_EQ(0, (int)GetObjectType(kept)) << "the manager frees its images when it goes";
}

// ---------------------------------------------------------------------------
// Finding the manager of a message
// ---------------------------------------------------------------------------

class PlainWindow final : public CWindowWnd
{
public:
    explicit PlainWindow(const wchar_t* cls) : m_cls(cls) {}
    ~PlainWindow()
    {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }
    LPCTSTR GetWindowClassName() const override { return m_cls; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(uMsg);
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    bool Saw(UINT msg) const
    {
        for (size_t i = 0; i < seen.size(); i++)
            if (seen[i] == msg)
                return true;
        return false;
    }
    std::vector<UINT> seen;

private:
    const wchar_t* m_cls;
};

class RecordingAccelerator final : public ITranslateAccelerator
{
public:
    explicit RecordingAccelerator(UINT consume) : m_consume(consume) {}
    LRESULT TranslateAccelerator(MSG* pMsg) override
    {
        hwnds.push_back(pMsg->hwnd);
        return pMsg->message == m_consume ? S_OK : S_FALSE;
    }
    std::vector<HWND> hwnds;

private:
    UINT m_consume;
};

const UINT kConsumed = WM_APP + 20;
const UINT kPassed = WM_APP + 21;

MSG MakeMsg(HWND hwnd, UINT message)
{
    MSG msg;
    ZeroMemory(&msg, sizeof(msg));
    msg.hwnd = hwnd;
    msg.message = message;
    return msg;
}

TEST_F(ManagerResourceTest, TranslateMessageFindsTheManagerOfTheWindowOrItsAncestors)
{
    PlainWindow top(L"SkinUITest.TmTop");
    PlainWindow child(L"SkinUITest.TmChild");
    PlainWindow grandchild(L"SkinUITest.TmGrandchild");
    PlainWindow other(L"SkinUITest.TmOther");
    ASSERT_TRUE(top.Create(NULL, L"top", WS_POPUP, 0, 0, 0, 200, 200) != NULL);
    ASSERT_TRUE(child.Create(top.GetHWND(), L"c", WS_CHILD, 0, 0, 0, 100, 100) != NULL);
    ASSERT_TRUE(grandchild.Create(child.GetHWND(), L"g", WS_CHILD, 0, 0, 0, 50, 50) != NULL);
    ASSERT_TRUE(other.Create(NULL, L"other", WS_POPUP, 0, 0, 0, 50, 50) != NULL);

    RecordingAccelerator accel(kConsumed);
    {
        CUIManager manager;
        manager.Init(top.GetHWND());
        EXPECT_EQ(top.GetHWND(), manager.GetPaintWindow());
        EXPECT_TRUE(manager.GetPaintDC() != NULL);
        ASSERT_TRUE(manager.AddAccelerator(&accel));

        struct Case
        {
            const char* name;
            HWND hwnd;
            UINT message;
            bool consumed;
            bool reachesManager;
        };
        const Case cases[] = {
            { "the managed window", top.GetHWND(), kConsumed, true, true },
            { "its child", child.GetHWND(), kConsumed, true, true },
            { "its grandchild", grandchild.GetHWND(), kConsumed, true, true },
            { "a message the accelerator passes on", grandchild.GetHWND(), kPassed, false, true },
            { "an unrelated window", other.GetHWND(), kConsumed, false, false },
            { "a thread message", NULL, kConsumed, false, false },
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            accel.hwnds.clear();
            MSG msg = MakeMsg(c.hwnd, c.message);
            EXPECT_EQ(c.consumed, CUIManager::TranslateMessage(&msg));
            EXPECT_EQ(c.reachesManager ? 1u : 0u, accel.hwnds.size());
        }

        EXPECT_TRUE(manager.RemoveAccelerator(&accel));
        EXPECT_FALSE(manager.RemoveAccelerator(&accel));
        MSG msg = MakeMsg(top.GetHWND(), kConsumed);
        EXPECT_FALSE(CUIManager::TranslateMessage(&msg));
        ASSERT_TRUE(manager.AddAccelerator(&accel));
    }
    // A destroyed manager is no longer found.
    accel.hwnds.clear();
    MSG msg = MakeMsg(top.GetHWND(), kConsumed);
    EXPECT_FALSE(CUIManager::TranslateMessage(&msg));
    EXPECT_TRUE(accel.hwnds.empty());
    EXPECT_FALSE(CUIManager::TranslateMessage(NULL));
}

TEST_F(ManagerResourceTest, MessageLoopDispatchesWhatTheLibraryDoesNotConsume)
{
    PlainWindow top(L"SkinUITest.LoopTop");
    ASSERT_TRUE(top.Create(NULL, L"top", WS_POPUP, 0, 0, 0, 100, 100) != NULL);
    CUIManager manager;
    manager.Init(top.GetHWND());
    RecordingAccelerator accel(kConsumed);
    ASSERT_TRUE(manager.AddAccelerator(&accel));

    top.PostMsg(kConsumed);
    top.PostMsg(kPassed);
    PostQuitMessage(0);
    CUIManager::RunMessageLoop();
    EXPECT_FALSE(top.Saw(kConsumed));
    EXPECT_TRUE(top.Saw(kPassed));
}

} // namespace
