// Each click point the end-to-end tests use lies on its control: the layouts
// of Setup.exe's and Uninst.exe's skins (the zips painted into the build), laid
// out at their window sizes on the page the point is used on, and hit-tested.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "InstallerClickPoints.h"
#include "TestSupport.h"
#include "UIBuilder.h"
#include "UITestHost.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIWindow.h"

using namespace SkinUI;

namespace {

struct Point {
    const char* what;
    SetupClickPoint pt;
    const wchar_t* control;
    std::vector<const wchar_t*> shown;    // containers made visible first
    std::vector<const wchar_t*> hidden;   // and hidden first
};

void CheckLayout(const std::wstring& zip, const wchar_t* layout, int cx, int cy, const std::vector<Point>& points)
{
    // The manager keeps one zip in memory open (a program has one skin); the
    // next program's skin replaces it after the open one is closed.
    static std::wstring loaded;
    static std::map<std::wstring, std::string> zips;
    if (loaded != zip) {
        std::string& bytes = zips[zip];
        bytes = testsupport::ReadFileBytes(zip);
        ASSERT_FALSE(bytes.empty()) << testsupport::Narrow(zip);
        CUIManager::SetResourceZipFile(L"", false);
        CUIManager::SetResourceZipMemory(bytes.data(), static_cast<unsigned>(bytes.size()));
        loaded = zip;
    }
    for (const Point& p : points) {
        SCOPED_TRACE(p.what);
        testsupport::UITestHost host(L"points");
        ASSERT_TRUE(host.Open(cx, cy));
        CUIBuilder builder;
        CControlUI* root = builder.Create(layout, NULL, NULL, &host.pm);
        ASSERT_TRUE(root != NULL) << testsupport::Narrow(layout);
        ASSERT_TRUE(host.pm.AttachRoot(root));
        for (const wchar_t* name : p.shown)
            host.pm.FindControlByName(name)->SetVisible(true);
        for (const wchar_t* name : p.hidden)
            host.pm.FindControlByName(name)->SetVisible(false);
        RECT rc = {0, 0, cx, cy};
        root->SetPos(rc);
        POINT at = {p.pt.x, p.pt.y};
        CControlUI* hit = host.pm.FindControlAt(at);
        ASSERT_TRUE(hit != NULL);
        CControlUI* wanted = host.pm.FindControlByName(p.control);
        ASSERT_TRUE(wanted != NULL) << testsupport::Narrow(p.control);
        EXPECT_EQ(testsupport::Narrow(p.control), testsupport::Narrow(std::wstring(hit->GetName())))
            << "the control lies at " << testsupport::RectText(wanted->GetPos());
    }
}

std::wstring SkinZip(const wchar_t* program)
{
    return testsupport::ExeDir() + L"..\\skins\\" + program + L"\\" + program + L"_skin.zip";
}

TEST(ClickPoints, SetupWindows)
{
    const std::vector<Point> frame = {
        {"install", kSetupDefaultInstallPoint, L"button_defult_setup", {}, {}},
        {"close", kSetupClosePoint, L"closebtn", {}, {}},
        {"custom page", kSetupCustomPagePoint, L"button_custom_setup_page", {}, {}},
        {"path", kSetupPathEditPoint, L"edit_setup_path", {L"container_custom"}, {L"container_default"}},
        {"custom install", kSetupCustomInstallPoint, L"button_custom_setup", {L"container_custom"},
         {L"container_default"}},
        {"run now", kSetupRunNowPoint, L"button_run_now", {L"container_third"}, {L"container_first"}},
        {"finish", kSetupFinishPoint, L"button_finish", {L"container_third"}, {L"container_first"}},
        {"start with Windows", kSetupBootStartPoint, L"option_boot_start", {L"container_third"},
         {L"container_first"}},
    };
    CheckLayout(SkinZip(L"Setup"), L"MainFrame.xml", 400, 225, frame);
    CheckLayout(SkinZip(L"Setup"), L"AskExit.xml", 400, 225,
                {{"ok", kAskExitOkPoint, L"button_ok", {}, {}}, {"cancel", kAskExitCancelPoint, L"button_cancel", {}, {}}});
}

TEST(ClickPoints, UninstWindows)
{
    if (!testsupport::FileExists(SkinZip(L"Uninst")))
        GTEST_SKIP() << "Uninst.exe has no windows in this build yet";
    CheckLayout(SkinZip(L"Uninst"), L"MainFrame.xml", 400, 225, {{"close", kUninstClosePoint, L"closebtn", {}, {}}});
    CheckLayout(SkinZip(L"Uninst"), L"AskUninst.xml", 400, 225,
                {{"ok", kAskUninstOkPoint, L"button_ok", {}, {}},
                 {"cancel", kAskUninstCancelPoint, L"button_cancel", {}, {}},
                 {"close", kAskUninstClosePoint, L"closebtn", {}, {}}});
    CheckLayout(SkinZip(L"Uninst"), L"Message.xml", 400, 200, {{"ok", kMessageOkPoint, L"button_ok", {}, {}}});
}

}  // namespace
