// Uninst.exe's windows in-process against a product the real installer put in
// a temp folder (its archive out of the built Setup.exe): the confirmation and
// its two ways out, the progress of a run, the success message, the refusal
// while the client runs, a worker that stops at a check, close requests in the
// middle of a run; and the real Uninst.exe (second instance, quiet mode, a run
// clicked through its windows). Screenshots go to the test output.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "AskUninstDlg.h"
#include "BaseTool.h"
#include "InstallTestUtil.h"
#include "ShippedProduct.h"
#include "Installer.h"
#include "UninstFrame.h"
#include "MessageDlg.h"
#include "RegSettings.h"
#include "TestSupport.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UISkinFile.h"
#include "UITestHost.h"
#include "UninstallInfo.h"
#include "resource.h"

using namespace SkinUI;
using installtest::Join;
using installtest::ListTree;

namespace {

const wchar_t kName[] = L"Yexo娱乐直播";
const wchar_t kMutexName[] = L"YEXO_SHOW_UNINST_SINGLETON_{939EE18D-6F75-4e37-B202-544D5A541FAD}";

// COM as Uninst.exe's main thread has it, and the skin zip out of this test
// program's resources, found as the program finds it.
class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::CoInitialize(NULL);
        HMODULE self = ::GetModuleHandleW(NULL);
        HRSRC res = ::FindResourceExW(self, L"SKIN", MAKEINTRESOURCEW(IDR_UNINST_SKIN), 2052);
        ASSERT_TRUE(res != NULL);
        HGLOBAL loaded = ::LoadResource(self, res);
        ASSERT_TRUE(loaded != NULL);
        CUIManager::SetInstance(self);
        CUIManager::SetResourceZipMemory(::LockResource(loaded), ::SizeofResource(self, res));
    }
    void TearDown() override { ::CoUninitialize(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

// The paint manager of a skinned window of this process, found from its handle.
struct Peek : public WindowImplBase {
    static CUIManager* Pm(HWND hwnd)
    {
        CWindowWnd* wnd = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        return wnd != NULL ? &static_cast<Peek*>(static_cast<WindowImplBase*>(wnd))->m_pm : NULL;
    }
};

CControlUI* FindIn(HWND hwnd, const wchar_t* name)
{
    CUIManager* pm = Peek::Pm(hwnd);
    return pm != NULL ? pm->FindControlByName(name) : NULL;
}

// A top-level window of this process (or of the given one) with that class.
HWND FindTop(const wchar_t* cls, DWORD pid = ::GetCurrentProcessId())
{
    for (HWND w = ::FindWindowExW(NULL, NULL, cls, NULL); w != NULL; w = ::FindWindowExW(NULL, w, cls, NULL)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == pid)
            return w;
    }
    return NULL;
}

// A click at a client point, as the mouse gives it (posted).
void ClickAt(HWND hwnd, int x, int y)
{
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}
// A click in the middle of a named control of a window of this process.
bool ClickControl(HWND hwnd, const wchar_t* name)
{
    CControlUI* control = FindIn(hwnd, name);
    if (control == NULL)
        return false;
    RECT rc = control->GetPos();
    ClickAt(hwnd, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return true;
}

void Screenshot(HWND hwnd, const wchar_t* name)
{
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    testsupport::Canvas canvas(rc.right, rc.bottom);
    ASSERT_TRUE(canvas.CaptureWindow(hwnd));
    EXPECT_TRUE(canvas.SavePng(testsupport::OutputDir() + name + L".png"));
}

// What a dialog looked like when the script met it.
struct DialogSeen {
    std::wstring cls;
    std::wstring title;
    HWND owner;
    bool ownerVisible;
    bool ownerCloseEnabled;   // the owner's "closebtn"
    RECT rect;
    std::wstring content;   // the message's text
    RECT okRect;            // "button_ok" in client coordinates
};

// Where "button_ok" lies in the two dialogs (the real program is clicked there).
const RECT kAskOkRect = { 208, 182, 288, 212 };
const RECT kMessageOkRect = { 300, 157, 380, 187 };

// Answers the dialogs as they come up, from a thread timer that runs inside
// whatever message loop the window thread is in (the dialogs are modal).
class DialogScript {
public:
    struct Answer {
        const wchar_t* cls;      // "AskUninst" or "Message"
        const wchar_t* button;   // the control to click
        const wchar_t* shot;     // screenshot name, or NULL
        bool closeMainFirst;     // a close request to the main window comes first
    };
    explicit DialogScript(std::vector<Answer> answers) : m_answers(answers.begin(), answers.end())
    {
        s_current = this;
        m_timer = ::SetTimer(NULL, 0, 40, &DialogScript::Tick);
    }
    ~DialogScript()
    {
        ::KillTimer(NULL, m_timer);
        s_current = NULL;
    }
    bool Done() const { return m_answers.empty(); }
    std::vector<DialogSeen> seen;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogScript* self = s_current;
        if (self == NULL || self->m_answers.empty())
            return;
        const Answer answer = self->m_answers.front();
        HWND dlg = FindTop(answer.cls);
        if (dlg == NULL || !::IsWindowVisible(dlg))
            return;
        if (answer.closeMainFirst && !self->m_closeSent) {
            // Handled by the dialog's loop before the next tick answers it.
            self->m_closeSent = true;
            ::PostMessageW(FindTop(L"MainFrame"), WM_CLOSE, 0, 0);
            return;
        }
        self->m_closeSent = false;
        self->m_answers.pop_front();
        DialogSeen s;
        s.cls = answer.cls;
        wchar_t title[128] = { 0 };
        ::GetWindowTextW(dlg, title, 127);
        s.title = title;
        s.owner = ::GetWindow(dlg, GW_OWNER);
        s.ownerVisible = s.owner != NULL && ::IsWindowVisible(s.owner);
        CControlUI* ownerClose = s.owner != NULL ? FindIn(s.owner, L"closebtn") : NULL;
        s.ownerCloseEnabled = ownerClose != NULL && ownerClose->IsEnabled();
        ::GetWindowRect(dlg, &s.rect);
        CControlUI* content = FindIn(dlg, L"content");
        if (content != NULL)
            s.content = content->GetText().GetData();
        CControlUI* ok = FindIn(dlg, L"button_ok");
        s.okRect = ok != NULL ? static_cast<RECT>(ok->GetPos()) : RECT{ 0, 0, 0, 0 };
        self->seen.push_back(s);
        if (answer.shot != NULL)
            Screenshot(dlg, answer.shot);
        if (std::wstring(answer.button) == L"escape") {
            ::PostMessageW(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        EXPECT_TRUE(ClickControl(dlg, answer.button)) << testsupport::Narrow(answer.button);
    }
    static DialogScript* s_current;
    std::deque<Answer> m_answers;
    UINT_PTR m_timer;
    bool m_closeSent = false;
};
DialogScript* DialogScript::s_current = NULL;

// The frame with a look at each report after the frame has handled it (on the
// window thread, while the worker waits in its send).
class TestFrame : public CMainFrame {
public:
    struct Report {
        int percent;
        std::wstring label;
        int progress;
        bool closeEnabled;
        bool closePending;
    };
    // Where the reports go (the frame deletes itself when its window goes).
    std::vector<Report>* reports = nullptr;
    std::function<void(TestFrame*, int)> onReport;

    CUIManager& pm() { return m_pm; }
    HWND hwnd() const { return m_hWnd; }
    CControlUI* Find(const wchar_t* name) { return m_pm.FindControlByName(name); }
    std::wstring Label() { return Find(L"label_uninst_progress")->GetText().GetData(); }
    int Progress() { return static_cast<CProgressUI*>(Find(L"uninst_progress"))->GetValue(); }

    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        // Only the worker's own reports (while it runs) are recorded.
        const bool fromWorker = IsWorkerRunning();
        LRESULT result = CMainFrame::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
        if (uMsg == WM_STEP_PROGRESS && fromWorker) {
            const int percent = static_cast<int>(lParam);
            if (reports != nullptr)
                reports->push_back(
                    Report{ percent, Label(), Progress(), Find(L"closebtn")->IsEnabled(), IsClosePending() });
            if (onReport)
                onReport(this, percent);
        }
        return result;
    }
};

std::string LabelsText(const std::vector<TestFrame::Report>& reports)
{
    std::wstring text;
    for (const TestFrame::Report& r : reports)
        text += (text.empty() ? L"" : L"|") + r.label;
    return testsupport::Narrow(text);
}

std::wstring DesktopLink()
{
    return basetool::GetCommonDesktopDir() + L"\\" + kName + L".lnk";
}
std::wstring MenuFolder()
{
    return basetool::GetCommonProgramsDir() + L"\\" + kName;
}

class UninstWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        basetool::EndProcessByName(L"tevela.exe");
        m_root = testsupport::MakeTempDir(L"uninstwin");
        m_dir = m_root + L"Yexo Show";
        installtest::ClearSinkRequests();
        installtest::SetSinkScript("{\"rules\": []}");
    }
    void TearDown() override
    {
        for (const wchar_t* cls : { L"Message", L"AskUninst", L"MainFrame" }) {
            for (HWND w = FindTop(cls); w != NULL; w = FindTop(cls))
                ::DestroyWindow(w);
        }
        testsupport::PumpFor(20);
        DrainQuit();
        installtest::SetSinkScript("{\"rules\": []}");
        Clean();
        SHDeleteValueW(HKEY_LOCAL_MACHINE, TEVELA_RUN_KEY, TEVELA_RUN_VALUE);
        basetool::EndProcessByName(L"tevela.exe");
        installtest::RemoveTestTree(m_root);
    }
    static void Clean()
    {
        basetool::DeleteProductRegistration();
        DeleteFileW(DesktopLink().c_str());
        DeleteFileW((MenuFolder() + L"\\" + kName + L".lnk").c_str());
        DeleteFileW((MenuFolder() + L"\\卸载" + kName + L".lnk").c_str());
        RemoveDirectoryW(MenuFolder().c_str());
    }
    // The product as the real installer puts it into m_dir.
    void Install()
    {
        ASSERT_EQ("", installtest::InstallShippedProduct(m_dir));
        ASSERT_TRUE(testsupport::FileExists(m_dir + L"\\Uninst.exe"));
        ASSERT_TRUE(testsupport::FileExists(m_dir + L"\\tevela.exe"));
        ASSERT_TRUE(testsupport::FileExists(DesktopLink()));
        m_channel = ReadChannel();
        installtest::ClearSinkRequests();
    }
    // Creates the frame as wWinMain does; the uninstaller runs "from" ownPath.
    // Returns when the confirmation (if any) has been answered.
    TestFrame* Open(const std::wstring& ownPath)
    {
        frame = new TestFrame;
        frame->reports = &reports;
        frame->GetUninstaller()->SetStatHost(installtest::StatHost());
        frame->GetUninstaller()->SetModulePath(ownPath);
        hwnd = frame->Create(NULL, kUninstTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, NULL);
        EXPECT_TRUE(hwnd != NULL);
        if (hwnd != NULL) {
            frame->Center();
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            shownAtStart = ::IsWindowVisible(hwnd) != FALSE;
        }
        return frame;
    }
    TestFrame* Open() { return Open(m_dir + L"\\Uninst.exe"); }
    bool FrameGone() const { return hwnd == NULL || !::IsWindow(hwnd); }
    // Pumps until the frame has closed itself; true when it did, with the quit
    // message that ends the program's loop.
    bool WaitFrameGone(DWORD timeoutMs = 60000)
    {
        bool gone = testsupport::PumpUntil([&] { return FrameGone(); }, timeoutMs);
        if (gone)
            frame = NULL;
        return gone && DrainQuit();
    }
    // The closed frame ends the program's message loop; here the loop is the
    // test's own, which goes on. True when a quit message was waiting.
    static bool DrainQuit()
    {
        MSG msg;
        bool quit = false;
        while (::PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
            quit = true;
        return quit;
    }
    void ExpectInstalled(const std::vector<std::wstring>& before)
    {
        EXPECT_EQ(Join(before), Join(ListTree(m_root)));
        EXPECT_TRUE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
        EXPECT_TRUE(testsupport::FileExists(DesktopLink()));
    }
    void ExpectRemovedButTheRunningUninstaller()
    {
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
        EXPECT_FALSE(testsupport::FileExists(DesktopLink()));
        EXPECT_FALSE(basetool::IsPlainFolder(MenuFolder()));
    }
    void ExpectRemoved()
    {
        EXPECT_EQ("", Join(ListTree(m_root)));
        EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
        EXPECT_FALSE(testsupport::FileExists(DesktopLink()));
        EXPECT_FALSE(basetool::IsPlainFolder(MenuFolder()));
    }
    std::string Unsetup() const
    {
        return testsupport::Narrow(L"GET /src=client&seq=" + basetool::GetMacAddressString() + L"&channelid=" +
                                   m_channel + L"&id=unsetup 404");
    }

    std::wstring m_root;
    std::wstring m_dir;
    std::wstring m_channel;   // what the installer recorded
    TestFrame* frame = nullptr;
    HWND hwnd = NULL;
    std::vector<TestFrame::Report> reports;
    bool shownAtStart = false;   // visible right after the start-up's ShowWindow
};

void ExpectCentredDialog(const DialogSeen& s, int width, int height)
{
    EXPECT_EQ(testsupport::Narrow(kUninstTitle), testsupport::Narrow(s.title));
    EXPECT_EQ(width, s.rect.right - s.rect.left);
    EXPECT_EQ(height, s.rect.bottom - s.rect.top);
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((work.left + work.right) / 2, (s.rect.left + s.rect.right) / 2, 1);
    EXPECT_NEAR((work.top + work.bottom) / 2, (s.rect.top + s.rect.bottom) / 2, 1);
}

// ---------------------------------------------------------------------------
// The skin
// ---------------------------------------------------------------------------
std::string ReadSkinEntry(const wchar_t* name)
{
    BYTE* data = NULL;
    DWORD size = 0;
    if (UIReadSkinZipEntry(name, 1 << 20, &data, &size) != UISkinReadOk)
        return std::string();
    std::string text(reinterpret_cast<char*>(data), size);
    delete[] data;
    return text;
}

TEST(UninstSkinTest, EveryImageTheLayoutsNameIsInTheSkinAndDecodes)
{
    std::vector<std::wstring> names;
    for (const wchar_t* layout : { L"MainFrame.xml", L"AskUninst.xml", L"Message.xml" }) {
        const std::string xml = ReadSkinEntry(layout);
        ASSERT_FALSE(xml.empty()) << testsupport::Narrow(layout);
        for (size_t at = 0; (at = xml.find(".png", at)) != std::string::npos; at += 4) {
            const size_t start = xml.find_last_of("\"'", at) + 1;
            names.push_back(testsupport::Widen(xml.substr(start, at + 4 - start)));
        }
    }
    EXPECT_EQ(28u, names.size());
    testsupport::UITestHost host;
    ASSERT_TRUE(host.Open(10, 10));
    for (const std::wstring& name : names)
        EXPECT_TRUE(host.pm.GetImageEx(name.c_str()) != NULL) << testsupport::Narrow(name);
    for (int size : { 16, 32, 48 }) {
        HICON icon = static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDI_UNINST), IMAGE_ICON, size, size, 0));
        EXPECT_TRUE(icon != NULL) << size;
        if (icon != NULL)
            ::DestroyIcon(icon);
    }
}

// ---------------------------------------------------------------------------
// The confirmation
// ---------------------------------------------------------------------------
TEST_F(UninstWindowTest, CancelAndTheDialogsCloseButtonEndAtOnceWithNothingRemoved)
{
    Install();
    std::vector<std::wstring> before = ListTree(m_root);
    struct Case {
        const wchar_t* button;
        const wchar_t* shot;
    } cases[] = { { L"button_cancel", L"uninst_confirmation" }, { L"closebtn", NULL }, { L"escape", NULL } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.button));
        DialogScript script({ { L"AskUninst", c.button, c.shot, false } });
        Open();
        // Create returns once the question is answered; the frame ends at the next turn of the loop.
        EXPECT_TRUE(script.Done());
        ASSERT_TRUE(WaitFrameGone(5000));
        ASSERT_EQ(1u, script.seen.size());
        EXPECT_TRUE(script.seen[0].owner == NULL);
        ExpectCentredDialog(script.seen[0], 400, 225);
        EXPECT_RECT(kAskOkRect, script.seen[0].okRect);
        EXPECT_FALSE(shownAtStart) << "the progress window never shows";
        ExpectInstalled(before);
        EXPECT_TRUE(installtest::SinkRequestsWhen(1, 500).empty());
    }
}

TEST_F(UninstWindowTest, ACloseRequestWhileTheQuestionIsOpenEndsLikeCancel)
{
    Install();
    std::vector<std::wstring> before = ListTree(m_root);
    DialogScript script({ { L"AskUninst", L"button_ok", NULL, true } });
    Open();
    EXPECT_TRUE(script.Done());
    ASSERT_TRUE(WaitFrameGone(5000));
    EXPECT_TRUE(reports.empty());
    ExpectInstalled(before);
}

// ---------------------------------------------------------------------------
// A run
// ---------------------------------------------------------------------------
TEST_F(UninstWindowTest, ConfirmedRunFollowsTheWorkerAndEndsWithTheSuccessMessage)
{
    Install();
    DialogScript script(
        { { L"AskUninst", L"button_ok", NULL, false }, { L"Message", L"button_ok", L"uninst_success", false } });
    bool shot = false;
    TestFrame* f = Open();
    f->onReport = [&](TestFrame* t, int percent) {
        if (percent == 20 && !shot) {
            shot = true;
            EXPECT_TRUE(::IsWindowVisible(t->hwnd()));
            RECT rc;
            ::GetWindowRect(t->hwnd(), &rc);
            EXPECT_EQ(400, rc.right - rc.left);
            EXPECT_EQ(225, rc.bottom - rc.top);
            EXPECT_TRUE(::GetClassLongPtrW(t->hwnd(), GCLP_HICON) != 0) << "the window icon";
            Screenshot(t->hwnd(), L"uninst_progress");
        }
    };
    ASSERT_TRUE(WaitFrameGone());
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(shot);

    // Every report shows in the label and the bar while the close button is off.
    EXPECT_EQ("0% 正在校验|10% 开始卸载|20% 正在删除文件|80% 正在删除快捷方式|85% 正在删除开始菜单|"
              "90% 正在删除注册表数据|100% 卸载完成",
              LabelsText(reports));
    for (const TestFrame::Report& r : reports) {
        EXPECT_EQ(r.percent, r.progress);
        EXPECT_FALSE(r.closeEnabled) << r.percent;
    }
    ExpectRemoved();
    std::vector<std::string> requests = installtest::SinkRequestsWhen(1);
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(Unsetup(), requests[0]);

    ASSERT_EQ(2u, script.seen.size());
    const DialogSeen& message = script.seen[1];
    EXPECT_TRUE(message.owner == hwnd) << "the success message is owned by the main window";
    EXPECT_FALSE(message.ownerVisible) << "the main window is hidden first";
    EXPECT_EQ(testsupport::Narrow(L"\"Yexo娱乐直播\"卸载成功！"), testsupport::Narrow(message.content));
    EXPECT_TRUE(message.ownerCloseEnabled);
    ExpectCentredDialog(message, 400, 200);
    EXPECT_RECT(kMessageOkRect, message.okRect);
}


// ---------------------------------------------------------------------------
// No run
// ---------------------------------------------------------------------------
TEST_F(UninstWindowTest, ARunningClientIsReportedAndNothingIsRemoved)
{
    Install();
    std::vector<std::wstring> before = ListTree(m_root);
    std::wstring running = m_root + L"running\\tevela.exe";
    CreateDirectoryW((m_root + L"running").c_str(), NULL);
    ASSERT_TRUE(installtest::CopyStub(running));
    HANDLE client = installtest::Start(L"\"" + running + L"\" wait");
    ASSERT_TRUE(client != NULL);
    ASSERT_TRUE(testsupport::PumpUntil([] { return basetool::FindProcessIdByName(L"tevela.exe") != 0; }, 10000));
    before = ListTree(m_root);

    DialogScript script({ { L"Message", L"button_ok", L"uninst_client_running", true } });
    Open();
    EXPECT_TRUE(script.Done());
    ASSERT_TRUE(WaitFrameGone(5000));
    EXPECT_FALSE(shownAtStart);
    ASSERT_EQ(1u, script.seen.size()) << "no question after the message";
    EXPECT_TRUE(script.seen[0].owner == NULL);
    // Two lines (the text engine keeps a paragraph end as a bare "\r").
    EXPECT_EQ(testsupport::Narrow(L"\"Yexo娱乐直播\"正在运行，您需要\r关闭后再卸载"),
              testsupport::Narrow(script.seen[0].content));
    ExpectCentredDialog(script.seen[0], 400, 200);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(client, 0)) << "the client is left running";
    installtest::Stop(client);
    ExpectInstalled(before);
    EXPECT_TRUE(installtest::SinkRequestsWhen(1, 500).empty());
}

TEST_F(UninstWindowTest, AWorkerStoppedAtACheckLeavesItsMessageAndTheCloseButtonWorksAgain)
{
    Install();
    struct Case {
        const char* name;
        bool removeClient;      // the registered client is gone
        const wchar_t* ownDir;  // where the uninstaller runs from, below the temp root
        const char* labels;
        size_t requests;
    } cases[] = {
        { "registered client missing", true, L"Yexo Show", "0% 正在校验|0% 注册表数据无效", 0 },
        { "run from elsewhere", false, L"elsewhere", "0% 正在校验|0% 卸载路径无效", 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removeClient) {
            ASSERT_TRUE(MoveFileW((m_dir + L"\\tevela.exe").c_str(), (m_root + L"tevela.exe").c_str()));
        }
        std::vector<std::wstring> before = ListTree(m_root);
        installtest::ClearSinkRequests();
        reports.clear();
        DialogScript script({ { L"AskUninst", L"button_ok", NULL, false } });
        TestFrame* f = Open(m_root + c.ownDir + L"\\Uninst.exe");
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !f->IsWorkerRunning() && reports.size() == 2; }, 20000));
        testsupport::PumpFor(100);
        EXPECT_EQ(c.labels, LabelsText(reports));
        const std::string labels = c.labels;
        EXPECT_EQ(labels.substr(labels.find('|') + 1), testsupport::Narrow(f->Label()));
        EXPECT_EQ(0, f->Progress());
        EXPECT_TRUE(::IsWindowVisible(hwnd));
        // The run has stopped: the window's close button works again.
        EXPECT_TRUE(f->Find(L"closebtn")->IsEnabled());
        EXPECT_TRUE(FindTop(L"Message") == NULL);
        EXPECT_EQ(c.requests, installtest::SinkRequestsWhen(c.requests, 3000).size());
        if (c.removeClient)
            Screenshot(hwnd, L"uninst_stopped_at_check");

        // The frame's private messages from elsewhere neither start another
        // run nor report a success that did not happen.
        ::PostMessageW(hwnd, WM_START_UNINSTALL, 0, 0);
        ::PostMessageW(hwnd, WM_UNINSTALL_DONE, 0, 0);
        ::SendMessageW(hwnd, WM_STEP_PROGRESS, reinterpret_cast<WPARAM>(L"x"), 100);
        testsupport::PumpFor(300);
        EXPECT_FALSE(f->IsWorkerRunning());
        EXPECT_EQ(2u, reports.size());
        EXPECT_EQ(labels.substr(labels.find('|') + 1), testsupport::Narrow(f->Label()));
        EXPECT_TRUE(FindTop(L"Message") == NULL);

        // Its close button, or the window system's own close command, ends it.
        if (c.removeClient)
            EXPECT_TRUE(ClickControl(hwnd, L"closebtn"));
        else
            ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFrameGone(5000));
        ExpectInstalled(before);
        if (c.removeClient) {
            ASSERT_TRUE(MoveFileW((m_root + L"tevela.exe").c_str(), (m_dir + L"\\tevela.exe").c_str()));
        }
    }
}

// ---------------------------------------------------------------------------
// Close requests while the worker runs
// ---------------------------------------------------------------------------
TEST_F(UninstWindowTest, ACloseDuringARunWaitsForTheWorkerWithoutStoppingIt)
{
    Install();
    // Closed at 20 %: the worker goes on to the end, and the success message
    // still shows before the program ends.
    // A close request while the success message shows waits for it too.
    DialogScript script({ { L"AskUninst", L"button_ok", NULL, false }, { L"Message", L"button_ok", NULL, true } });
    TestFrame* f = Open();
    f->onReport = [](TestFrame* t, int percent) {
        if (percent == 20)
            ::PostMessageW(t->hwnd(), WM_CLOSE, 0, 0);
    };
    ASSERT_TRUE(WaitFrameGone());
    EXPECT_TRUE(script.Done());
    ASSERT_EQ(7u, reports.size()) << LabelsText(reports);
    EXPECT_FALSE(reports[2].closePending);
    EXPECT_TRUE(reports[3].closePending) << "the close waits";
    EXPECT_EQ(100, reports.back().percent);
    ExpectRemoved();
    ASSERT_EQ(2u, script.seen.size());
    EXPECT_EQ(testsupport::Narrow(kUninstalledText), testsupport::Narrow(script.seen[1].content));
}

TEST_F(UninstWindowTest, ACloseWhileTheWorkerWaitsForTheServerEndsTheWindowAfterTheCheck)
{
    Install();
    std::vector<std::wstring> before = ListTree(m_root);
    // The statistics request hangs for a while between the two reports; the
    // close arrives then, and the worker's next report must still get through.
    ASSERT_TRUE(installtest::SetSinkScript("{\"rules\": [{\"prefix\": \"/src=client\", \"delay\": 1.5}]}"));
    DialogScript script({ { L"AskUninst", L"button_ok", NULL, false } });
    TestFrame* f = Open(m_root + L"elsewhere\\Uninst.exe");
    f->onReport = [](TestFrame* t, int percent) {
        if (percent == 0 && !t->IsClosePending())
            ::PostMessageW(t->hwnd(), WM_CLOSE, 0, 0);
    };
    ASSERT_TRUE(WaitFrameGone(20000));
    EXPECT_EQ("0% 正在校验|0% 卸载路径无效", LabelsText(reports));
    ASSERT_EQ(2u, reports.size());
    EXPECT_TRUE(reports[1].closePending);
    EXPECT_TRUE(FindTop(L"Message") == NULL);
    ExpectInstalled(before);
}

HWND g_destroyTarget = NULL;
void CALLBACK DestroyTarget(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(NULL, id);
    if (::IsWindow(g_destroyTarget))
        ::DestroyWindow(g_destroyTarget);
}

TEST_F(UninstWindowTest, AWindowDestroyedDuringARunLetsTheWorkerFinish)
{
    Install();
    DialogScript script({ { L"AskUninst", L"button_ok", NULL, false } });
    TestFrame* f = Open();
    g_destroyTarget = NULL;
    f->onReport = [](TestFrame* t, int percent) {
        if (percent == 20 && g_destroyTarget == NULL) {
            // Destroyed from the window thread's loop (not from within the
            // report), while the worker goes on.
            g_destroyTarget = t->hwnd();
            ::SetTimer(NULL, 0, 1, &DestroyTarget);
        }
    };
    ASSERT_TRUE(WaitFrameGone());
    // The destroyed frame waited for its worker before it freed it.
    ExpectRemoved();
    EXPECT_EQ(20, reports.back().percent);
}

// ---------------------------------------------------------------------------
// The real Uninst.exe of the installation
// ---------------------------------------------------------------------------
struct ProcessWindowList {
    DWORD pid;
    std::vector<HWND> found;
};
BOOL CALLBACK AddProcessWindow(HWND w, LPARAM p)
{
    ProcessWindowList* list = reinterpret_cast<ProcessWindowList*>(p);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == list->pid && ::IsWindowVisible(w))
        list->found.push_back(w);
    return TRUE;
}
// The visible top-level windows of a process.
std::vector<HWND> ProcessWindows(DWORD pid)
{
    ProcessWindowList list = { pid, {} };
    ::EnumWindows(&AddProcessWindow, reinterpret_cast<LPARAM>(&list));
    return list.found;
}

HANDLE StartProcess(const std::wstring& commandLine, DWORD* pid)
{
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    std::wstring cmd = commandLine;
    if (!::CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return NULL;
    ::CloseHandle(pi.hThread);
    *pid = pi.dwProcessId;
    return pi.hProcess;
}

TEST_F(UninstWindowTest, RealUninstallerRefusesASecondInstance)
{
    Install();
    std::vector<std::wstring> before = ListTree(m_root);
    basetool::SingletonMutex* held = basetool::CreateSingletonMutex(kMutexName);
    ASSERT_TRUE(held != NULL && held->isFirst);
    for (const wchar_t* args : { L"", L" uninst_silence" }) {
        DWORD code = 0;
        ASSERT_TRUE(testsupport::RunChild(L"\"" + m_dir + L"\\Uninst.exe\"" + args, 30000, &code));
        EXPECT_EQ(1u, code) << testsupport::Narrow(args);
    }
    basetool::CloseSingletonMutex(held);
    ExpectInstalled(before);
}

TEST_F(UninstWindowTest, RealUninstallerQuietModeShowsNoWindow)
{
    Install();
    DWORD pid = 0;
    HANDLE process = StartProcess(L"\"" + m_dir + L"\\Uninst.exe\" uninst_silence", &pid);
    ASSERT_TRUE(process != NULL);
    size_t windows = 0;
    while (::WaitForSingleObject(process, 5) == WAIT_TIMEOUT)
        windows += ProcessWindows(pid).size();
    DWORD code = 99;
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, windows);
    EXPECT_EQ("Uninst.exe.error", Join(ListTree(m_dir + L"\\")));
    EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
}

TEST_F(UninstWindowTest, RealUninstallerRunsThroughItsWindows)
{
    Install();
    DWORD pid = 0;
    HANDLE process = StartProcess(L"\"" + m_dir + L"\\Uninst.exe\"", &pid);
    ASSERT_TRUE(process != NULL);
    HWND ask = NULL;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (ask = FindTop(L"AskUninst", pid)) != NULL && ::IsWindowVisible(ask); }, 20000));
    testsupport::PumpFor(300);
    EXPECT_TRUE(FindTop(L"MainFrame", pid) == NULL || !::IsWindowVisible(FindTop(L"MainFrame", pid)));
    ClickAt(ask, (kAskOkRect.left + kAskOkRect.right) / 2, (kAskOkRect.top + kAskOkRect.bottom) / 2);

    HWND message = NULL;
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return (message = FindTop(L"Message", pid)) != NULL && ::IsWindowVisible(message); }, 60000));
    HWND main = ::GetWindow(message, GW_OWNER);
    ASSERT_TRUE(main != NULL);
    wchar_t cls[64] = { 0 };
    ::GetClassNameW(main, cls, 63);
    EXPECT_EQ(std::wstring(L"MainFrame"), cls);
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_FALSE(installtest::KeyExists(HKEY_LOCAL_MACHINE, TEVELA_PRODUCT_KEY));
    testsupport::PumpFor(300);
    ClickAt(message, (kMessageOkRect.left + kMessageOkRect.right) / 2,
            (kMessageOkRect.top + kMessageOkRect.bottom) / 2);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 10000));
    DWORD code = 99;
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    EXPECT_EQ(0u, code);
    EXPECT_EQ("Uninst.exe.error", Join(ListTree(m_dir + L"\\")));
    ExpectRemovedButTheRunningUninstaller();
}

}  // namespace
