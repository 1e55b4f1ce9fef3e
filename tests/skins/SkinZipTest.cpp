// The client's skin zip as the build paints it (skins/skinpaint.py through
// cmake/Skins.cmake), embedded here as in tevela.exe: every layout builds,
// names the controls the client's code looks up, and every image a layout or
// the code names is in the zip and decodes.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "UIBuilder.h"
#include "UIContainer.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UISkinFile.h"
#include "UITestHost.h"
#include "resource.h"

using namespace SkinUI;

namespace {

// The embedded zip becomes the process's skin, as the client's start-up does it.
class SkinZipTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HRSRC res = ::FindResourceW(NULL, MAKEINTRESOURCEW(IDR_SKIN_ZIP), L"ZIP");
        ASSERT_TRUE(res != NULL);
        HGLOBAL loaded = ::LoadResource(NULL, res);
        ASSERT_TRUE(loaded != NULL);
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::SetResourceZipMemory(::LockResource(loaded), ::SizeofResource(NULL, res));
    }

    static std::wstring ReadEntry(const wchar_t* name)
    {
        BYTE* data = NULL;
        DWORD size = 0;
        if (UIReadSkinZipEntry(name, 1 << 20, &data, &size) != UISkinReadOk)
            return std::wstring();
        int n = ::MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<char*>(data), (int)size, NULL, 0);
        std::wstring text(n, L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<char*>(data), (int)size, &text[0], n);
        delete[] data;
        return text;
    }

    // Every "*.png" named in the text: as a whole value, after file=', or
    // inside a default attribute list (where quotes are written &quot;).
    static std::set<std::wstring> ImageNames(const std::wstring& text)
    {
        std::wstring xml = text;
        for (size_t q = 0; (q = xml.find(L"&quot;", q)) != std::wstring::npos;)
            xml.replace(q, 6, L"\"");
        std::set<std::wstring> names;
        size_t at = 0;
        while ((at = xml.find(L".png", at)) != std::wstring::npos) {
            size_t start = xml.find_last_of(L"\"'", at);
            names.insert(xml.substr(start + 1, at + 4 - start - 1));
            at += 4;
        }
        return names;
    }
};

struct Layout {
    const wchar_t* file;
    std::vector<const wchar_t*> names;   // controls the client's code finds by name
    SIZE size;                           // the window size the layout declares
};

const Layout kLayouts[] = {
    { L"MainWnd\\MainFrame.xml",
      { L"settingbtn", L"minbtn", L"maxbtn", L"restorebtn", L"CloseBtn", L"gobackbtn", L"goforwardbtn",
        L"refreshbtn", L"PageTabLayout", L"homepagetab", L"switch" },
      { 1090, 700 } },
    { L"TrayMenuWnd\\tray_menu.xml", { L"back", L"exit" }, { 130, 53 } },
    { L"SettingDlg\\SettingDlg.xml",
      { L"closebtn", L"boot_start", L"hide_main_wnd", L"exit_program", L"okbtn", L"cancelbtn" },
      { 400, 275 } },
    { L"AskDlg\\AskDlg.xml", { L"closebtn", L"boot_start", L"okbtn" }, { 250, 145 } },
};

// Images the client's code sets itself (tab headers, arrow states).
const wchar_t* const kCodeImages[] = {
    L"MainWnd/tab_normal.png", L"MainWnd/tab_hot.png", L"MainWnd/tab_close_normal.png",
    L"MainWnd/tab_close_hot.png", L"MainWnd/goback_disable_normal.png", L"MainWnd/goback_disable_hot.png",
    L"MainWnd/goforward_disable_normal.png", L"MainWnd/goforward_disable_hot.png",
};

TEST_F(SkinZipTest, EveryLayoutBuildsWithItsNamedControlsAndSize)
{
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(testsupport::Narrow(layout.file));
        testsupport::UITestHost host;
        ASSERT_TRUE(host.Open(200, 200));
        CUIBuilder builder;
        CControlUI* root = builder.Create(layout.file, NULL, NULL, &host.pm);
        ASSERT_TRUE(root != NULL);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        for (const wchar_t* name : layout.names)
            EXPECT_TRUE(host.pm.FindControlByName(name) != NULL) << testsupport::Narrow(name);
        RECT rc;
        ::GetWindowRect(host.GetHWND(), &rc);
        EXPECT_EQ(layout.size.cx, rc.right - rc.left);
        EXPECT_EQ(layout.size.cy, rc.bottom - rc.top);
    }
}

TEST_F(SkinZipTest, EveryNamedImageIsInTheZipAndDecodes)
{
    std::set<std::wstring> names(std::begin(kCodeImages), std::end(kCodeImages));
    for (const Layout& layout : kLayouts) {
        const std::wstring xml = ReadEntry(layout.file);
        ASSERT_FALSE(xml.empty()) << testsupport::Narrow(layout.file);
        for (const std::wstring& name : ImageNames(xml))
            names.insert(name);
    }
    EXPECT_GT(names.size(), 40u);
    testsupport::UITestHost host;
    ASSERT_TRUE(host.Open(10, 10));
    for (const std::wstring& name : names) {
        const UIImageInfo* image = host.pm.GetImageEx(name.c_str());
        EXPECT_TRUE(image != NULL) << testsupport::Narrow(name);
    }
    // The tab images are as wide as a tab header.
    EXPECT_EQ(194, host.pm.GetImageEx(L"MainWnd/tab_hot.png")->nWidth);
    EXPECT_EQ(28, host.pm.GetImageEx(L"MainWnd/tab_normal.png")->nHeight);
}

TEST_F(SkinZipTest, TheProgramIconHasTheShellSizes)
{
    for (int size : { 16, 32, 48 }) {
        HICON icon = static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDI_TEVELA), IMAGE_ICON, size, size, 0));
        ASSERT_TRUE(icon != NULL) << size;
        ICONINFO info;
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP bm;
        ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(size, bm.bmWidth);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

} // namespace
