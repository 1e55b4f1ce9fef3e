// CMainFrame: Uninst.exe's main window ("MainFrame.xml"). It refuses to work
// while the client runs, asks for confirmation, runs the uninstall worker on a
// thread while the progress label and bar follow its reports, and at 100 %
// hides itself, shows the success message and ends the program.
//
// A close request while the worker runs is put off until the worker has
// ended: the worker waits in synchronous sends for this window's thread, so
// the window thread never blocks on it while it may still report, and the
// worker is never stopped half-way. A close request while one of the frame's
// dialogs is open waits for the dialog, after which the frame ends anyway.
#ifndef UNINST_UNINSTFRAME_H
#define UNINST_UNINSTFRAME_H

#include <windows.h>

#include "UILabel.h"
#include "UIProgress.h"
#include "UIWindowImpl.h"
#include "Uninstaller.h"
#include "WorkerMessages.h"

// Posted by the frame to itself after the confirmation: start the worker.
#define WM_START_UNINSTALL 0x5400
// Posted by the frame to itself at the 100 % report: the product is removed.
#define WM_UNINSTALL_DONE 0x6400

// The title of the main window and of both dialogs.
extern const wchar_t kUninstTitle[];
// The message shown instead of uninstalling while the client runs.
extern const wchar_t kClientRunningText[];
// The message shown when the product has been removed.
extern const wchar_t kUninstalledText[];

class CMainFrame : public SkinUI::WindowImplBase
{
public:
    CMainFrame();

    virtual LPCTSTR GetWindowClassName() const;

protected:
    // The base behaviour; then the frame deletes itself and ends the message loop.
    virtual void OnWindowDestroyed(HWND hWnd);

public:
    virtual ~CMainFrame();

    virtual void InitWindow();
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    // One worker report: "label_uninst_progress" shows "%d%% %s", the bar the
    // percent; at 100 the frame posts itself WM_UNINSTALL_DONE.
    LRESULT OnStepProgress(const wchar_t* pszStep, int nPercent, bool& bHandled);

    // The worker this frame runs (owned).
    CUninstaller* GetUninstaller() const { return m_pUninstaller; }
    // True from the worker's start until its thread has said it is finished.
    bool IsWorkerRunning() const { return m_bWorkerRunning; }
    // True while a close request waits for the worker to end.
    bool IsClosePending() const { return m_bClosePending; }

private:
    void StartWorker();
    void OnWorkerFinished();
    void OnUninstallDone();
    void EnableCloseButton(bool bEnable);

    CUninstaller* m_pUninstaller;
    HANDLE m_hThread;
    SkinUI::CLabelUI* m_pProgressLabel;
    SkinUI::CProgressUI* m_pProgress;
    bool m_bWorkerRunning;
    bool m_bClosePending;
    WPARAM m_nPendingCloseCode;
    bool m_bCompleted;   // the 100 % report has arrived
    bool m_bEnding;      // InitWindow has decided to end without uninstalling
    bool m_bConfirmed;   // the question was answered with 确定
    bool m_bDoneShown;   // the success message has been shown
    bool m_bInDialog;    // a modal dialog of the frame runs
};

#endif // UNINST_UNINSTFRAME_H
