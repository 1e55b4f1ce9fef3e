// Uninst.exe's main window: confirmation, progress, the result.
#include "UninstFrame.h"

#include <process.h>

#include <string>

#include "AskUninstDlg.h"
#include "BaseTool.h"
#include "InstallerDialog.h"
#include "MessageDlg.h"
#include "resource.h"

using namespace SkinUI;

static_assert(IDI_UNINST == INSTALLER_ICON_ID, "the window icon of the installer programs");
static_assert(IDR_UNINST_SKIN == INSTALLER_SKIN_ID, "the skin resource of the installer programs");

const wchar_t kUninstTitle[] = L"Yexo娱乐直播卸载程序";
const wchar_t kClientRunningText[] = L"\"Yexo娱乐直播\"正在运行，您需要\r\n关闭后再卸载";
const wchar_t kUninstalledText[] = L"\"Yexo娱乐直播\"卸载成功！";

CMainFrame::CMainFrame()
    : m_pUninstaller(new CUninstaller(NULL)),
      m_hThread(NULL),
      m_pProgressLabel(NULL),
      m_pProgress(NULL),
      m_bWorkerRunning(false),
      m_bClosePending(false),
      m_nPendingCloseCode(0),
      m_bCompleted(false),
      m_bEnding(false),
      m_bConfirmed(false),
      m_bDoneShown(false),
      m_bInDialog(false)
{
}

CMainFrame::~CMainFrame()
{
    // Normally the worker has ended before the window closes (OnClose). A window
    // destroyed from outside while it runs must not free the worker under it:
    // the worker runs to its end, reporting to a window that no longer exists.
    basetool::JoinWorkerThread(m_hThread);
    delete m_pUninstaller;
    m_pUninstaller = NULL;
}

LPCTSTR CMainFrame::GetWindowClassName() const
{
    return L"MainFrame";
}

CUIString CMainFrame::GetSkinFolder()
{
    return L"uninst_skin";
}

CUIString CMainFrame::GetSkinFile()
{
    return L"MainFrame.xml";
}

void CMainFrame::OnWindowDestroyed(HWND hWnd)
{
    WindowImplBase::OnWindowDestroyed(hWnd);
    delete this;
    ::PostQuitMessage(0);
}

void CMainFrame::InitWindow()
{
    HICON hIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDI_UNINST), IMAGE_ICON,
                                                  0, 0, LR_DEFAULTSIZE));
    if (hIcon != NULL)
        ::SetClassLongPtrW(m_hWnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(hIcon));

    // A frame that ends here never shows itself (see HandleCustomMessage).
    if (basetool::FindProcessIdByName(L"tevela.exe") != 0) {
        m_bInDialog = true;
        CMessageDlg::Show(kClientRunningText, NULL);
        m_bInDialog = false;
        m_bEnding = true;
        Close(1);
        return;
    }
    m_bInDialog = true;
    const int answer = CAskUninstDlg::Ask();
    m_bInDialog = false;
    // A close asked for while the question was open ends the program as 取消 does.
    if (answer == 0 || m_bClosePending) {
        m_bEnding = true;
        Close(1);
        return;
    }
    m_pProgressLabel = static_cast<CLabelUI*>(m_pm.FindControlByName(L"label_uninst_progress"));
    m_pProgress = static_cast<CProgressUI*>(m_pm.FindControlByName(L"uninst_progress"));
    m_pUninstaller->SetWindow(m_hWnd);
    m_bConfirmed = true;
    ::PostMessageW(m_hWnd, WM_START_UNINSTALL, 0, 0);
}

LRESULT CMainFrame::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    // The private messages count only in the state in which the frame and its
    // worker send them: one from anywhere else neither starts a removal that
    // was not confirmed nor reports one that has not happened.
    switch (uMsg) {
    case WM_STEP_PROGRESS:
        if (!m_bWorkerRunning) {
            bHandled = true;
            return 0;
        }
        return OnStepProgress(reinterpret_cast<const wchar_t*>(wParam), static_cast<int>(lParam), bHandled);
    case WM_START_UNINSTALL:
        bHandled = true;
        if (m_bConfirmed && !m_bEnding)
            StartWorker();
        return 0;
    case WM_UNINSTALL_DONE:
        bHandled = true;
        if (m_bCompleted && !m_bDoneShown) {
            m_bDoneShown = true;
            OnUninstallDone();
        }
        return 0;
    case WM_WORKER_FINISHED:
        bHandled = true;
        OnWorkerFinished();
        return 0;
    case WM_WINDOWPOSCHANGING:
        // Between the answer that ends the program and the close that follows
        // it, the program's start would show the empty progress window.
        if (m_bEnding && lParam != 0)
            reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        bHandled = false;
        return 0;
    default:
        bHandled = false;
        return 0;
    }
}

LRESULT CMainFrame::OnStepProgress(const wchar_t* pszStep, int nPercent, bool& bHandled)
{
    bHandled = true;
    std::wstring text = std::to_wstring(nPercent) + L"% " + (pszStep != NULL ? pszStep : L"");
    if (m_pProgressLabel != NULL)
        m_pProgressLabel->SetText(text.c_str());
    if (m_pProgress != NULL)
        m_pProgress->SetValue(nPercent);
    if (nPercent == 100 && !m_bCompleted) {
        m_bCompleted = true;
        ::PostMessageW(m_hWnd, WM_UNINSTALL_DONE, 0, 0);
    }
    return 0;
}

void CMainFrame::StartWorker()
{
    if (m_hThread != NULL)
        return;   // one run per process
    EnableCloseButton(false);
    m_bWorkerRunning = true;
    m_hThread = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, UninstallThreadProc, m_pUninstaller, 0, NULL));
    if (m_hThread == NULL) {
        // Nothing runs: the window can be closed again.
        m_bWorkerRunning = false;
        EnableCloseButton(true);
    }
}

void CMainFrame::OnWorkerFinished()
{
    m_bWorkerRunning = false;
    // A run stopped at a check leaves its message on the page; the window's
    // own close button (the only one of this borderless window) works again.
    if (!m_bCompleted)
        EnableCloseButton(true);
    // A close asked for during the run happens now, unless the run reached
    // 100 %: then the success message comes first and ends the program itself.
    if (m_bClosePending) {
        m_bClosePending = false;
        if (!m_bCompleted)
            ::PostMessageW(m_hWnd, WM_CLOSE, m_nPendingCloseCode, 0);
    }
}

void CMainFrame::OnUninstallDone()
{
    EnableCloseButton(true);
    ::ShowWindow(m_hWnd, SW_HIDE);
    m_bInDialog = true;
    CMessageDlg::Show(kUninstalledText, m_hWnd);
    m_bInDialog = false;
    Close(1);
}

LRESULT CMainFrame::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (m_bInDialog) {
        // One of the frame's modal dialogs runs from inside this object's own
        // code, which ends the program itself when the dialog returns; the
        // window must not go away under it.
        m_bClosePending = true;
        m_nPendingCloseCode = wParam;
        bHandled = true;
        return 0;
    }
    if (m_bWorkerRunning) {
        // The worker may be waiting in a send to this thread: put the close off
        // until its thread has said it is finished.
        m_bClosePending = true;
        m_nPendingCloseCode = wParam;
        bHandled = true;
        return 0;
    }
    basetool::JoinWorkerThread(m_hThread);
    return WindowImplBase::OnClose(uMsg, wParam, lParam, bHandled);
}

void CMainFrame::EnableCloseButton(bool bEnable)
{
    CControlUI* pClose = m_pm.FindControlByName(L"closebtn");
    if (pClose != NULL)
        pClose->SetEnabled(bEnable);
}

