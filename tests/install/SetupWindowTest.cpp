// The installer's windows in-process over the real skin (built into this test
// as Setup.exe carries it): the path rules, the three outcomes of the path
// check, the pages, typing in the native edit, a whole installation through
// the real worker and a fixture archive, closing on each page with the exit
// question answered, the start-with-Windows value and the client started from
// the finish page; then the real Setup.exe. Mouse input is posted to the
// windows as the system delivers it. Screenshots go to the test output.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <vector>

#include "AskExitDlg.h"
#include "BaseTool.h"
#include "InstallTestUtil.h"
#include "InstallerDialog.h"
#include "RegSettings.h"
#include "SetupClickPoints.h"
#include "SetupFrame.h"
#include "TestSupport.h"
#include "UIButton.h"
#include "UIContainer.h"
#include "UIEdit.h"
#include "UILabel.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UninstallInfo.h"
#include "ProductFolder.h"
#include "payload_ids.h"

using namespace SkinUI;

namespace {

const wchar_t kDefaultTipPrefix[] = L"默认安装：";
const wchar_t kNoSpace[] = L"安装空间不足";
const wchar_t kInvalidPath[] = L"安装路径无效";
const ULONGLONG kMiB = 1024 * 1024;

class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::CoInitialize(NULL);
        SkinResource skin = LoadSkinResource();
        ASSERT_TRUE(skin.data != NULL);
        ASSERT_GT(skin.size, 0u);
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::SetResourceZipMemory(skin.data, skin.size);
    }
    void TearDown() override { ::CoUninitialize(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

// The frame with its paint manager in reach, a free-space stand-in and a hook
// after each progress report (called on the window thread while the worker
// waits in its send).
class TestFrame : public CMainFrame {
public:
    long long fakeFreeBytes = -1;   // -1: the drive's real free space
    std::function<void(int)> afterStep;
    std::vector<int> percents;

    CUIManager& pm() { return m_pm; }

    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        LRESULT r = CMainFrame::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
        if (uMsg == WM_STEP_PROGRESS) {
            percents.push_back(static_cast<int>(lParam));
            if (afterStep)
                afterStep(static_cast<int>(lParam));
        }
        return r;
    }

protected:
    ULONGLONG QueryFreeSpace(const std::wstring& path) override
    {
        return fakeFreeBytes >= 0 ? static_cast<ULONGLONG>(fakeFreeBytes) : CMainFrame::QueryFreeSpace(path);
    }
};

void DrainQuit()
{
    MSG msg;
    while (::PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

const wchar_t kName[] = L"Yexo娱乐直播";

void CleanProduct()
{
    basetool::DeleteProductRegistration();
    SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, basetool::kAutoStartValueName);
    const std::wstring menu = basetool::GetCommonProgramsDir() + L"\\" + kName;
    DeleteFileW((basetool::GetCommonDesktopDir() + L"\\" + kName + L".lnk").c_str());
    DeleteFileW((menu + L"\\" + kName + L".lnk").c_str());
    DeleteFileW((menu + L"\\卸载" + kName + L".lnk").c_str());
    RemoveDirectoryW(menu.c_str());
}

std::wstring RunValue()
{
    wchar_t value[1024] = { 0 };
    DWORD size = sizeof(value) - 2;
    if (SHGetValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, basetool::kAutoStartValueName, NULL, value, &size) !=
        ERROR_SUCCESS)
        return L"(none)";
    return value;
}

std::wstring TextOf(CControlUI* c)
{
    return c != NULL ? std::wstring(c->GetText().GetData()) : L"(missing)";
}

// Posts a move, press and release at a client point of a window and lets them
// through.
void ClickAt(HWND hwnd, int x, int y)
{
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    testsupport::PumpFor(60);
}

POINT Centre(CControlUI* c)
{
    RECT rc = c->GetPos();
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

class SetupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CleanProduct();
        basetool::EndProcessByName(L"tevela.exe");
        m_root = testsupport::MakeTempDir(L"setupwin");
        installtest::ClearSinkRequests();
        DrainQuit();
        // The pointer away from the centred window, so no button starts hot.
        ::SetCursorPos(0, 0);
    }
    void TearDown() override
    {
        CloseFrame();
        for (HWND w = ::FindWindowW(L"AskExit", NULL); w != NULL; w = ::FindWindowW(L"AskExit", NULL))
            ::DestroyWindow(w);
        CleanProduct();
        basetool::EndProcessByName(L"tevela.exe");
        installtest::RemoveTestTree(m_root);
    }

    // Creates, centres and shows the window as wWinMain does (400 x 225 from
    // the layout).
    TestFrame* OpenFrame(long long freeBytes = -1)
    {
        frame = new TestFrame;
        frame->fakeFreeBytes = freeBytes;
        hwnd = frame->Create(NULL, kSetupWindowTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        EXPECT_TRUE(hwnd != NULL);
        frame->Center();
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
        Paint();
        return frame;
    }
    void CloseFrame()
    {
        if (hwnd != NULL && ::IsWindow(hwnd))
            ::DestroyWindow(hwnd);
        hwnd = NULL;
        frame = NULL;
        testsupport::PumpFor(20);
        DrainQuit();
    }
    bool FrameGone() const { return hwnd == NULL || !::IsWindow(hwnd); }
    bool WaitFrameGone(DWORD ms = 5000)
    {
        const bool gone = testsupport::PumpUntil([&] { return FrameGone(); }, ms);
        if (gone) {
            hwnd = NULL;
            frame = NULL;
        }
        DrainQuit();
        return gone;
    }
    void Paint()
    {
        ::InvalidateRect(hwnd, NULL, FALSE);
        ::UpdateWindow(hwnd);
        testsupport::PumpFor(40);
    }
    void Shot(const wchar_t* name)
    {
        Paint();
        testsupport::Canvas canvas(400, 225);
        ASSERT_TRUE(canvas.CaptureWindow(hwnd));
        canvas.SavePng(testsupport::OutputDir() + name + L".png");
    }

    CControlUI* Find(const wchar_t* name) { return frame->pm().FindControlByName(name); }
    CLabelUI* Label(const wchar_t* name) { return static_cast<CLabelUI*>(Find(name)); }
    CEditUI* Edit() { return static_cast<CEditUI*>(Find(L"edit_setup_path")); }
    bool Visible(const wchar_t* name)
    {
        CControlUI* c = Find(name);
        return c != NULL && c->IsVisible();
    }
    bool Enabled(const wchar_t* name)
    {
        CControlUI* c = Find(name);
        return c != NULL && c->IsEnabled();
    }
    void ClickControl(const wchar_t* name)
    {
        CControlUI* c = Find(name);
        ASSERT_TRUE(c != NULL) << testsupport::Narrow(name);
        Paint();
        POINT pt = Centre(c);
        ClickAt(hwnd, pt.x, pt.y);
    }
    void ClickPoint(SetupClickPoint pt)
    {
        Paint();
        ClickAt(hwnd, pt.x, pt.y);
    }
    // The path the frame installs into: set as if typed.
    void SetPath(const std::wstring& path)
    {
        Edit()->SetText(path.c_str());
        frame->CheckInstallPath(path);
    }
    // Starts the installation of a fixture archive into dir from the default
    // page and waits for the finish page (or the worker's end).
    void InstallFromWindow(const std::wstring& dir, WORD payload = PAYLOAD_THREE)
    {
        frame->GetInstaller()->SetStatHost(installtest::StatHost());
        frame->GetInstaller()->SetPayloadResource(NULL, payload);
        SetPath(dir);
        ASSERT_TRUE(Enabled(L"button_defult_setup"));
        ClickPoint(kSetupDefaultInstallPoint);
        ASSERT_FALSE(Visible(L"container_first")) << "the install button did not start";
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !frame->IsInstalling(); }, 120000));
        testsupport::PumpFor(50);
    }

    // Answers the exit question, once it shows, by a click on one of its
    // buttons; a picture of it is taken first when shotName is given.
    static void AnswerExitQuestion(const wchar_t* button, const wchar_t* shotName)
    {
        s_answer = button;
        s_shot = shotName;
        s_asked = false;
        ::SetTimer(NULL, 0, 150, &AnswerTimer);
    }
    static void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        HWND dlgWnd = ::FindWindowW(L"AskExit", NULL);
        if (dlgWnd == NULL || !::IsWindowVisible(dlgWnd))
            return;
        ::KillTimer(NULL, id);
        s_asked = true;
        CInstallerDialog* dlg = static_cast<CInstallerDialog*>(
            reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(dlgWnd, GWLP_USERDATA)));
        ::InvalidateRect(dlgWnd, NULL, FALSE);
        ::UpdateWindow(dlgWnd);
        RECT rc;
        ::GetClientRect(dlgWnd, &rc);
        s_dialogSize = rc;
        if (s_shot != NULL) {
            testsupport::Canvas canvas(rc.right, rc.bottom);
            if (canvas.CaptureWindow(dlgWnd))
                canvas.SavePng(testsupport::OutputDir() + s_shot + L".png");
        }
        CControlUI* target = dlg->FindControl(s_answer);
        if (target == NULL) {
            ::DestroyWindow(dlgWnd);
            return;
        }
        POINT pt = Centre(target);
        ::PostMessageW(dlgWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        ::PostMessageW(dlgWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::PostMessageW(dlgWnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }

    static const wchar_t* s_answer;
    static const wchar_t* s_shot;
    static bool s_asked;
    static RECT s_dialogSize;

    std::wstring m_root;   // trailing backslash
    TestFrame* frame = NULL;
    HWND hwnd = NULL;
};
const wchar_t* SetupWindowTest::s_answer = NULL;
const wchar_t* SetupWindowTest::s_shot = NULL;
bool SetupWindowTest::s_asked = false;
RECT SetupWindowTest::s_dialogSize = { 0, 0, 0, 0 };

// ---------------------------------------------------------------------------
// Path rules
// ---------------------------------------------------------------------------
TEST(SetupPathRules, ValidInstallPathTable)
{
    struct Case {
        const wchar_t* path;
        bool valid;
    } cases[] = {
        { L"C:\\", true },
        { L"C:\\Program Files\\YexoShow", true },
        { L"C:\\Yexo Show\\live", true },
        { L"C:\\x\\", true },
        { L"C:\\Program Files\\Yexo.1", false },
        { L"C:\\x ", false },
        { L"C:\\ x", false },
        { L"C:\\a \\b", false },
        { L"C:\\a\\ b", false },
        { L"C:/x", false },
        { L"C:\\a/b", false },
        { L"C:\\a\\\\b", false },
        { L"C:\\\\a", false },
        { L"C:\\a:b", false },
        { L"C:\\a*b", false },
        { L"C:\\a?b", false },
        { L"C:\\a<b", false },
        { L"C:\\a>b", false },
        { L"C:\\a|b", false },
        { L"C:\\a\"b", false },
        { L"C:", false },
        { L"", false },
        { L"x", false },
        { L"\\\\server\\share\\x", false },
        { L"C:x\\y", false },
        { L"1:\\x", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, IsValidInstallPath(c.path)) << testsupport::Narrow(c.path);
    // A path too long for the platform's path buffer.
    EXPECT_FALSE(IsValidInstallPath(L"C:\\" + std::wstring(300, L'a')));
}

TEST(SetupPathRules, DriveThatIsNotFixedIsInvalid)
{
    // A letter no drive uses.
    wchar_t letter = 0;
    for (wchar_t l = L'Q'; l <= L'Y' && letter == 0; ++l) {
        const wchar_t root[] = { l, L':', L'\\', 0 };
        if (::GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR)
            letter = l;
    }
    ASSERT_NE(0, letter);
    const std::wstring path = std::wstring(1, letter) + L":\\YexoShow";
    EXPECT_FALSE(IsValidInstallPath(path));
    EXPECT_EQ(0u, GetFreeDiskSpace(path.c_str()));

    // Every drive letter the prefix has that is not fixed (Wine's own drives,
    // a CD-ROM or network drive where one is mapped).
    for (wchar_t l = L'A'; l <= L'Z'; ++l) {
        const wchar_t root[] = { l, L':', L'\\', 0 };
        const UINT type = ::GetDriveTypeW(root);
        if (type != DRIVE_FIXED) {
            EXPECT_FALSE(IsValidInstallPath(std::wstring(root) + L"YexoShow")) << static_cast<char>(l) << " type " << type;
        }
    }
}

TEST(SetupPathRules, SpaceThresholdIsElevenMebibytes)
{
    EXPECT_FALSE(IsEnoughInstallSpace(0));
    EXPECT_FALSE(IsEnoughInstallSpace(10 * kMiB + kMiB / 2));   // 10.5 MiB
    EXPECT_FALSE(IsEnoughInstallSpace(11534335));
    EXPECT_TRUE(IsEnoughInstallSpace(11534336));
    EXPECT_EQ(11534336u, kSetupMinFreeBytes);
    EXPECT_EQ(0u, GetFreeDiskSpace(NULL));
    EXPECT_GT(GetFreeDiskSpace(L"C:\\no such folder\\deeper"), 0u);
}

TEST(SetupPathRules, TrimmedCopyRemovesWhiteSpaceAtBothEnds)
{
    EXPECT_EQ(L"C:\\a b", TrimmedCopy(L" \t C:\\a b \r\n"));
    EXPECT_EQ(L"", TrimmedCopy(L"   "));
    EXPECT_EQ(L"", TrimmedCopy(L""));
    EXPECT_EQ(L"x", TrimmedCopy(L"x"));
}

// ---------------------------------------------------------------------------
// The window
// ---------------------------------------------------------------------------
TEST_F(SetupWindowTest, OpensOnTheDefaultPageWithTheDefaultFolder)
{
    OpenFrame();
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    EXPECT_EQ(400, rc.right);
    EXPECT_EQ(225, rc.bottom);
    wchar_t title[64] = { 0 };
    ::GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(kSetupWindowTitle, title);
    EXPECT_TRUE(::GetClassLongPtrW(hwnd, GCLP_HICON) != 0) << "the window icon (resource 107)";

    const std::wstring dir = GetDefaultInstallDir();
    EXPECT_EQ(basetool::AppendPath(basetool::GetProgramFilesDir(), L"YexoShow"), dir);
    EXPECT_EQ(dir, TextOf(Edit()));
    EXPECT_EQ(dir, frame->GetInstaller()->GetInstallDir());
    EXPECT_EQ(kDefaultTipPrefix + dir, TextOf(Label(L"label_defult_tip")));
    EXPECT_TRUE(Visible(L"container_first"));
    EXPECT_TRUE(Visible(L"container_default"));
    EXPECT_FALSE(Visible(L"container_custom"));
    EXPECT_FALSE(Visible(L"container_second"));
    EXPECT_FALSE(Visible(L"container_third"));
    EXPECT_TRUE(Enabled(L"button_defult_setup"));
    EXPECT_TRUE(Enabled(L"closebtn"));
    Shot(L"setup_default_page");
}

TEST_F(SetupWindowTest, PathCheckOutcomesShowInLabelsColoursAndButtons)
{
    struct Case {
        const char* what;
        long long freeBytes;
        std::wstring path;
        bool passes;
        std::wstring tip;
        DWORD colour;
    } cases[] = {
        { "valid, exactly enough", 11534336, L"C:\\Games\\Yexo", true, std::wstring(kDefaultTipPrefix) + L"C:\\Games\\Yexo",
          0xFF222222 },
        { "valid, 10.5 MiB", static_cast<long long>(10 * kMiB + kMiB / 2), L"C:\\Games\\Yexo", false, kNoSpace,
          0xFFFF0000 },
        { "invalid", 100 * static_cast<long long>(kMiB), L"C:\\Games\\Yexo.1", false, kInvalidPath, 0xFFFF0000 },
        { "drive root (the worker refuses it)", 100 * static_cast<long long>(kMiB), L"C:\\", false, kInvalidPath,
          0xFFFF0000 },
        { "system folder", 100 * static_cast<long long>(kMiB), basetool::GetProgramFilesDir(), false, kInvalidPath,
          0xFFFF0000 },
    };
    OpenFrame();
    // On the custom page, where the second label shows.
    ClickControl(L"button_custom_setup_page");
    for (const Case& c : cases) {
        frame->fakeFreeBytes = c.freeBytes;
        SetPath(c.path);
        EXPECT_EQ(c.passes, frame->CheckInstallPath(c.path)) << c.what;
        EXPECT_EQ(c.tip, TextOf(Label(L"label_defult_tip"))) << c.what;
        EXPECT_EQ(testsupport::ColorText(c.colour), testsupport::ColorText(Label(L"label_defult_tip")->GetTextColor()))
            << c.what;
        EXPECT_EQ(!c.passes, Find(L"label_custom_tip")->IsVisible()) << c.what;
        if (!c.passes) {
            EXPECT_EQ(c.tip, TextOf(Label(L"label_custom_tip"))) << c.what;
            EXPECT_EQ(0xFFFF0000u, Label(L"label_custom_tip")->GetTextColor()) << c.what;
        }
        EXPECT_EQ(c.passes, Enabled(L"button_defult_setup")) << c.what;
        EXPECT_EQ(c.passes, Enabled(L"button_custom_setup")) << c.what;
    }
    // A disabled install button does not start anything.
    ClickControl(L"button_return");
    ClickPoint(kSetupDefaultInstallPoint);
    EXPECT_TRUE(Visible(L"container_first"));
    EXPECT_FALSE(frame->IsInstalling());
}

TEST_F(SetupWindowTest, CustomPageAndBack)
{
    OpenFrame();
    ClickControl(L"button_custom_setup_page");
    EXPECT_FALSE(Visible(L"container_default"));
    EXPECT_TRUE(Visible(L"container_custom"));
    EXPECT_TRUE(Visible(L"container_first"));
    EXPECT_FALSE(Visible(L"label_custom_tip"));
    EXPECT_TRUE(Enabled(L"button_custom_setup"));
    Shot(L"setup_custom_page");

    frame->fakeFreeBytes = 100 * kMiB;
    SetPath(L"C:\\Program Files\\Yexo.1");
    EXPECT_TRUE(Visible(L"label_custom_tip"));
    EXPECT_FALSE(Enabled(L"button_custom_setup"));
    Shot(L"setup_custom_page_invalid");

    ClickControl(L"button_return");
    EXPECT_TRUE(Visible(L"container_default"));
    EXPECT_FALSE(Visible(L"container_custom"));
    EXPECT_EQ(kInvalidPath, TextOf(Label(L"label_defult_tip")));
}

TEST_F(SetupWindowTest, TypingInTheEditChecksThePathAgain)
{
    OpenFrame();
    frame->fakeFreeBytes = 100 * kMiB;
    ClickControl(L"button_custom_setup_page");
    ClickControl(L"edit_setup_path");
    ASSERT_TRUE(Edit()->GetEditWindow() != NULL) << "a click opens the native edit";
    HWND native = Edit()->GetEditWindow()->GetHWND();
    ASSERT_TRUE(::IsWindow(native));
    ::SendMessageW(native, EM_SETSEL, 0, -1);
    for (const wchar_t* p = L"C:\\Yexo."; *p != 0; ++p)
        ::SendMessageW(native, WM_CHAR, *p, 0);
    testsupport::PumpFor(30);
    EXPECT_EQ(L"C:\\Yexo.", TextOf(Edit()));
    EXPECT_EQ(kInvalidPath, TextOf(Label(L"label_custom_tip")));
    EXPECT_TRUE(Visible(L"label_custom_tip"));
    EXPECT_FALSE(Enabled(L"button_custom_setup"));

    ::SendMessageW(native, WM_CHAR, VK_BACK, 0);
    ::SendMessageW(native, WM_CHAR, L'1', 0);
    testsupport::PumpFor(30);
    EXPECT_EQ(L"C:\\Yexo1", TextOf(Edit()));
    EXPECT_FALSE(Visible(L"label_custom_tip"));
    EXPECT_TRUE(Enabled(L"button_custom_setup"));
    EXPECT_EQ(std::wstring(kDefaultTipPrefix) + L"C:\\Yexo1", TextOf(Label(L"label_defult_tip")));
}

TEST_F(SetupWindowTest, ClickPointsLieOnTheirButtons)
{
    struct Case {
        const wchar_t* name;
        SetupClickPoint pt;
    };
    OpenFrame();
    Paint();
    RECT rc = Find(L"button_defult_setup")->GetPos();
    POINT pt = { kSetupDefaultInstallPoint.x, kSetupDefaultInstallPoint.y };
    EXPECT_TRUE(::PtInRect(&rc, pt)) << testsupport::RectText(rc);

    // The finish page as the 100 % report shows it.
    ::SendMessageW(hwnd, WM_STEP_PROGRESS, reinterpret_cast<WPARAM>(L"安装完成"), 100);
    Paint();
    const Case finish[] = { { L"button_run_now", kSetupRunNowPoint }, { L"button_finish", kSetupFinishPoint } };
    for (const Case& c : finish) {
        RECT r = Find(c.name)->GetPos();
        POINT p = { c.pt.x, c.pt.y };
        EXPECT_TRUE(::PtInRect(&r, p)) << testsupport::Narrow(c.name) << " " << testsupport::RectText(r);
    }
}

TEST_F(SetupWindowTest, InstallFromTheWindowThenFinishWritesTheRunValue)
{
    OpenFrame();
    const std::wstring dir = m_root + L"Yexo Show";
    bool sawProgressPage = false;
    bool closeRefused = false;
    bool closeDisabled = false;
    frame->afterStep = [&](int percent) {
        if (percent != 30)
            return;
        // Mid-install: the progress page, the close button disabled, and a
        // close request refused.
        sawProgressPage = Visible(L"container_second") && !Visible(L"container_first") && !Visible(L"container_third");
        closeDisabled = !Enabled(L"closebtn");
        EXPECT_EQ(L"30% 正在解压readme.txt", TextOf(Label(L"label_setup_progress")));
        EXPECT_EQ(30, static_cast<CProgressUI*>(Find(L"setup_progress"))->GetValue());
        Shot(L"setup_progress_page");
        ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
        ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        closeRefused = ::IsWindow(hwnd) && ::FindWindowW(L"AskExit", NULL) == NULL;
    };
    InstallFromWindow(dir);
    EXPECT_TRUE(sawProgressPage);
    EXPECT_TRUE(closeDisabled);
    EXPECT_TRUE(closeRefused);
    ASSERT_FALSE(FrameGone());

    // The 100 % report: the finish page, the close button back.
    EXPECT_EQ(100, frame->percents.empty() ? -1 : frame->percents.back());
    EXPECT_TRUE(Visible(L"container_third"));
    EXPECT_FALSE(Visible(L"container_first"));
    EXPECT_FALSE(Visible(L"container_second"));
    EXPECT_TRUE(Enabled(L"closebtn"));
    EXPECT_EQ(L"100% 安装完成", TextOf(Label(L"label_setup_progress")));
    EXPECT_TRUE(static_cast<COptionUI*>(Find(L"option_boot_start"))->IsSelected());
    EXPECT_TRUE(testsupport::FileExists(dir + L"\\tevela.exe"));
    EXPECT_TRUE(testsupport::FileExists(dir + L"\\Uninst.exe"));
    EXPECT_EQ(dir + L"\\tevela.exe", basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
    Shot(L"setup_finish_page");
    EXPECT_EQ(L"(none)", RunValue()) << "written only when the window closes";

    ClickPoint(kSetupFinishPoint);
    ASSERT_TRUE(WaitFrameGone());
    EXPECT_EQ(L"\"" + dir + L"\\tevela.exe\"", RunValue());
}

// The folder the product goes into for a folder the user gives.
TEST_F(SetupWindowTest, AFolderOfTheUsersGetsTheProductsOwnFolderInside)
{
    const std::wstring missing = m_root + L"new";
    const std::wstring empty = m_root + L"empty";
    const std::wstring earlier = m_root + L"earlier";
    const std::wstring marked = m_root + L"marked";
    const std::wstring users = m_root + L"users";
    const std::wstring leftovers = m_root + L"leftovers";   // after an uninstallation
    const std::wstring mixed = m_root + L"mixed";           // leftovers and a file of the user's
    const std::wstring registered = m_root + L"registered";
    for (const std::wstring& dir : { empty, earlier, marked, users, leftovers, mixed, registered })
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL));
    ASSERT_TRUE(testsupport::WriteFileBytes(earlier + L"\\tevela.exe", "MZ"));
    ASSERT_TRUE(basetool::MarkProductFolderOwned(marked));
    ASSERT_TRUE(testsupport::WriteFileBytes(users + L"\\notes.txt", "mine"));
    for (const std::wstring& dir : { leftovers, mixed }) {
        ASSERT_TRUE(testsupport::WriteFileBytes(dir + L"\\Uninst.exe.error", "MZ"));
        ASSERT_TRUE(testsupport::WriteFileBytes(dir + L"\\tevela.exe.old", "MZ"));
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(mixed + L"\\notes.txt", "mine"));
    ASSERT_TRUE(testsupport::WriteFileBytes(registered + L"\\notes.txt", "mine"));
    basetool::WriteUninstallValues(registered, L"1.0.1.1");
    struct Case {
        std::wstring chosen;
        std::wstring expected;
    } cases[] = {
        { missing, missing },
        { empty, empty },
        { earlier, earlier },
        { marked, marked },
        { users, users + L"\\YexoShow" },
        { leftovers, leftovers },
        { mixed, mixed + L"\\YexoShow" },
        { registered, registered },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ProductInstallDir(c.chosen)) << testsupport::Narrow(c.chosen);
    basetool::DeleteProductRegistration();

    // Installed from the window: into the folder inside, which the page
    // shows; the user's file stays as it was.
    OpenFrame();
    InstallFromWindow(users);
    EXPECT_EQ(users + L"\\YexoShow", TextOf(Edit()));
    EXPECT_EQ(std::wstring(kDefaultTipPrefix) + users + L"\\YexoShow", TextOf(Label(L"label_defult_tip")));
    EXPECT_TRUE(Visible(L"container_third"));
    EXPECT_EQ(users + L"\\YexoShow\\tevela.exe", basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
    EXPECT_EQ("mine", testsupport::ReadFileBytes(users + L"\\notes.txt"));
    EXPECT_FALSE(testsupport::FileExists(users + L"\\tevela.exe"));
}

TEST_F(SetupWindowTest, RunNowStartsTheClientAndWithoutTheOptionNoRunValue)
{
    OpenFrame();
    const std::wstring dir = m_root + L"yexo";
    InstallFromWindow(dir);
    ASSERT_TRUE(Visible(L"container_third"));
    // The archive's tevela.exe is no program: the stand-in takes its place.
    ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
    ClickControl(L"option_boot_start");
    EXPECT_FALSE(static_cast<COptionUI*>(Find(L"option_boot_start"))->IsSelected());

    ClickPoint(kSetupRunNowPoint);
    ASSERT_TRUE(WaitFrameGone());
    EXPECT_TRUE(testsupport::PumpUntil([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
    EXPECT_EQ(L"(none)", RunValue());
}

TEST_F(SetupWindowTest, CloseButtonOnTheFinishPageWritesTheRunValue)
{
    OpenFrame();
    const std::wstring dir = m_root + L"yexo2";
    InstallFromWindow(dir);
    ASSERT_TRUE(Visible(L"container_third"));
    ClickControl(L"closebtn");
    ASSERT_TRUE(WaitFrameGone());
    EXPECT_EQ(L"\"" + dir + L"\\tevela.exe\"", RunValue());
}

TEST_F(SetupWindowTest, WindowDestroyedDuringTheInstallWaitsForTheWorker)
{
    OpenFrame();
    const std::wstring dir = m_root + L"destroyed";
    frame->GetInstaller()->SetStatHost(installtest::StatHost());
    frame->GetInstaller()->SetPayloadResource(NULL, PAYLOAD_THREE);
    SetPath(dir);
    ClickPoint(kSetupDefaultInstallPoint);
    // Started (the tiny archive may already be done and show the finish page).
    ASSERT_FALSE(Visible(L"container_first"));
    // As the session's end would: the window goes while the worker runs. The
    // frame frees its worker only after the worker is done with it.
    ::DestroyWindow(hwnd);
    EXPECT_FALSE(::IsWindow(hwnd));
    hwnd = NULL;
    frame = NULL;
    EXPECT_EQ(dir + L"\\tevela.exe", basetool::ReadProductString(L"ExePath", basetool::kExePathBytes))
        << "the installation had finished when the frame was gone";
    DrainQuit();
}

TEST_F(SetupWindowTest, FailedInstallLeavesTheWindowClosable)
{
    OpenFrame();
    const std::wstring dir = m_root + L"broken";
    InstallFromWindow(dir, PAYLOAD_CORRUPT);
    EXPECT_TRUE(Visible(L"container_second")) << "the failure stays on the progress page";
    EXPECT_FALSE(Visible(L"container_third"));
    EXPECT_NE(L"100% 安装完成", TextOf(Label(L"label_setup_progress")));
    EXPECT_TRUE(Enabled(L"closebtn"));
    ClickControl(L"closebtn");
    ASSERT_TRUE(WaitFrameGone());
    EXPECT_EQ(L"(none)", RunValue());
}

TEST_F(SetupWindowTest, CloseOnTheFirstPageAsksAndCancelKeepsTheWindow)
{
    OpenFrame();
    AnswerExitQuestion(L"button_cancel", L"setup_exit_question");
    ClickControl(L"closebtn");
    testsupport::PumpUntil([] { return s_asked; }, 5000);
    testsupport::PumpFor(100);
    EXPECT_TRUE(s_asked);
    EXPECT_EQ(400, s_dialogSize.right);
    EXPECT_EQ(225, s_dialogSize.bottom);
    EXPECT_FALSE(FrameGone());
    EXPECT_TRUE(::FindWindowW(L"AskExit", NULL) == NULL);
    EXPECT_TRUE(::IsWindowEnabled(hwnd)) << "the owner is enabled again";
    EXPECT_TRUE(Visible(L"container_first"));

    // Its close button stays too; Alt+F4's close asks the same.
    AnswerExitQuestion(L"closebtn", NULL);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    testsupport::PumpUntil([] { return s_asked; }, 5000);
    testsupport::PumpFor(100);
    EXPECT_TRUE(s_asked);
    EXPECT_FALSE(FrameGone());

    AnswerExitQuestion(L"button_ok", NULL);
    ClickControl(L"closebtn");
    EXPECT_TRUE(WaitFrameGone());
    EXPECT_TRUE(s_asked);
    // Nothing was installed.
    EXPECT_EQ(L"", basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
    EXPECT_EQ(L"(none)", RunValue());
}

TEST_F(SetupWindowTest, ExitQuestionResults)
{
    struct Case {
        const wchar_t* button;
        int result;
    } cases[] = { { L"button_ok", 1 }, { L"button_cancel", 0 }, { L"closebtn", 0 } };
    for (const Case& c : cases) {
        AnswerExitQuestion(c.button, NULL);
        EXPECT_EQ(c.result, CAskExitDlg::Ask(NULL)) << testsupport::Narrow(c.button);
        EXPECT_TRUE(s_asked);
        DrainQuit();
    }
}

// The folder chooser, answered once it shows: a folder selected and OK, or
// Cancel.
std::wstring g_browseChoice;
bool g_browseShown = false;
BOOL CALLBACK FindChooser(HWND w, LPARAM out)
{
    wchar_t cls[32] = { 0 };
    ::GetClassNameW(w, cls, 32);
    if (wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}
void CALLBACK AnswerChooser(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND chooser = NULL;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindChooser, reinterpret_cast<LPARAM>(&chooser));
    if (chooser == NULL)
        return;
    ::KillTimer(NULL, id);
    g_browseShown = true;
    if (g_browseChoice.empty()) {
        ::PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    ::SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(g_browseChoice.c_str()));
    ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);
}

TEST_F(SetupWindowTest, BrowseButtonPutsTheChosenFolderIntoTheEdit)
{
    OpenFrame();
    ClickControl(L"button_custom_setup_page");
    const std::wstring before = TextOf(Edit());

    g_browseChoice.clear();
    g_browseShown = false;
    ::SetTimer(NULL, 0, 200, &AnswerChooser);
    ClickControl(L"button_browse");
    testsupport::PumpUntil([] { return g_browseShown; }, 10000);
    testsupport::PumpFor(100);
    ASSERT_TRUE(g_browseShown) << "the folder chooser did not show";
    EXPECT_EQ(before, TextOf(Edit())) << "cancelled: the edit keeps its text";

    // A folder the chooser's tree reaches from the drive.
    const std::wstring chosen = L"C:\\setupwin_chosen";
    CreateDirectoryW(chosen.c_str(), NULL);
    ASSERT_TRUE(PathIsDirectoryW(chosen.c_str()));
    frame->fakeFreeBytes = 100 * kMiB;
    g_browseChoice = chosen;
    g_browseShown = false;
    ::SetTimer(NULL, 0, 200, &AnswerChooser);
    ClickControl(L"button_browse");
    testsupport::PumpUntil([] { return g_browseShown; }, 10000);
    testsupport::PumpFor(100);
    ASSERT_TRUE(g_browseShown);
    EXPECT_EQ(chosen, TextOf(Edit()));
    EXPECT_FALSE(Visible(L"label_custom_tip"));
    EXPECT_TRUE(Enabled(L"button_custom_setup"));
    EXPECT_EQ(std::wstring(kDefaultTipPrefix) + chosen, TextOf(Label(L"label_defult_tip")));
    RemoveDirectoryW(chosen.c_str());
}

// ---------------------------------------------------------------------------
// The real Setup.exe
// ---------------------------------------------------------------------------
std::wstring SetupExe()
{
    return testsupport::ExeDir() + L"Setup.exe";
}

HWND FindSetupWindow()
{
    return ::FindWindowW(L"MainFrame", kSetupWindowTitle);
}

TEST(SetupProgram, CarriesItsIconSkinAndPayload)
{
    HMODULE exe = ::LoadLibraryExW(SetupExe().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe != NULL);
    EXPECT_TRUE(::FindResourceW(exe, MAKEINTRESOURCEW(INSTALLER_ICON_ID), RT_GROUP_ICON) != NULL);
    SkinResource skin = LoadSkinResource(exe);
    EXPECT_TRUE(skin.data != NULL);
    EXPECT_GT(skin.size, 1000u);
    if (skin.data != NULL) {
        EXPECT_EQ(0, memcmp(skin.data, "PK", 2));
    }
    FreeSkinResource(skin);
    EXPECT_TRUE(skin.data == NULL && skin.size == 0);
    EXPECT_TRUE(::FindResourceExW(exe, SETUP_PAYLOAD_TYPE, MAKEINTRESOURCEW(SETUP_PAYLOAD_ID), SETUP_PAYLOAD_LANGUAGE) !=
                NULL);
    ::FreeLibrary(exe);

    // A module without the skin gives nothing.
    SkinResource none = LoadSkinResource(::GetModuleHandleW(L"kernel32.dll"));
    EXPECT_TRUE(none.data == NULL);
    EXPECT_EQ(0u, none.size);
}

TEST_F(SetupWindowTest, RealSetupSecondInstanceEndsWithOne)
{
    ASSERT_TRUE(testsupport::FileExists(SetupExe()));
    HANDLE first = installtest::Start(L"\"" + SetupExe() + L"\"");
    ASSERT_TRUE(first != NULL);
    EXPECT_TRUE(testsupport::PumpUntil([] { return FindSetupWindow() != NULL; }, 20000)) << "the window shows";
    HWND real = FindSetupWindow();
    if (real != NULL) {
        testsupport::PumpFor(300);
        RECT rc;
        ::GetClientRect(real, &rc);
        EXPECT_EQ(400, rc.right);
        EXPECT_EQ(225, rc.bottom);
        testsupport::Canvas canvas(400, 225);
        if (canvas.CaptureWindow(real))
            canvas.SavePng(testsupport::OutputDir() + L"setup_real_window.png");
    }
    DWORD code = 0;
    EXPECT_TRUE(testsupport::RunChild(L"\"" + SetupExe() + L"\"", 20000, &code));
    EXPECT_EQ(1u, code);
    EXPECT_TRUE(testsupport::RunChild(L"\"" + SetupExe() + L"\" setup_silence", 20000, &code));
    EXPECT_EQ(1u, code) << "the guard comes before the quiet switch";
    installtest::Stop(first);
    testsupport::PumpUntil([] { return FindSetupWindow() == NULL; }, 5000);
}

TEST_F(SetupWindowTest, RealSetupQuietSwitchInAnyCaseShowsNoWindow)
{
    ASSERT_TRUE(testsupport::FileExists(SetupExe()));
    for (const wchar_t* args : { L"SETUP_SILENCE", L"/setup_silence", L"/Setup_Silence x" }) {
        DWORD code = 99;
        bool sawWindow = false;
        HANDLE p = installtest::Start(L"\"" + SetupExe() + L"\" " + args);
        ASSERT_TRUE(p != NULL);
        const bool ended = testsupport::PumpUntil(
            [&] {
                sawWindow = sawWindow || FindSetupWindow() != NULL;
                return ::WaitForSingleObject(p, 0) == WAIT_OBJECT_0;
            },
            20000);
        EXPECT_TRUE(ended) << testsupport::Narrow(args) << ": the quiet mode ends by itself";
        if (ended)
            ::GetExitCodeProcess(p, &code);
        EXPECT_EQ(0u, code) << testsupport::Narrow(args);
        EXPECT_FALSE(sawWindow) << testsupport::Narrow(args);
        installtest::Stop(p);
    }
    // Nothing was installed.
    EXPECT_EQ(L"", basetool::ReadProductString(L"ExePath", basetool::kExePathBytes));
}

TEST_F(SetupWindowTest, RealSetupQuietRunNowStartsTheRegisteredClient)
{
    const std::wstring dir = m_root + L"client";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL));
    ASSERT_TRUE(installtest::CopyStub(dir + L"\\tevela.exe"));
    const std::wstring exePath = dir + L"\\tevela.exe";
    ASSERT_EQ(ERROR_SUCCESS, SHSetValueW(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY, L"ExePath", REG_SZ, exePath.c_str(),
                                         static_cast<DWORD>((exePath.size() + 1) * sizeof(wchar_t))));
    DWORD code = 99;
    EXPECT_TRUE(testsupport::RunChild(L"\"" + SetupExe() + L"\" SETUP_SILENCE RUN_NOW", 20000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(testsupport::PumpUntil([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
}

}  // namespace
