// The client's first-start question.
#include "AskDlg.h"

#include "RegSettings.h"

using namespace SkinUI;

bool ShowAskDlg(HWND hWndOwner)
{
    CAskDlg* pDlg = new CAskDlg;
    bool bDestroyed = false;
    pDlg->m_pDestroyed = &bDestroyed;
    if (pDlg->Create(hWndOwner, NULL, 0x80880000, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT) ==
        NULL) {
        // Nothing to place or show; a window destroyed during its creation
        // has deleted its dialog already.
        if (!bDestroyed)
            delete pDlg;
        return false;
    }
    pDlg->m_pDestroyed = NULL;
    pDlg->PlaceAtWorkAreaCorner();
    pDlg->Show(true, false);
    return hWndOwner != NULL;
}

CAskDlg::CAskDlg() : m_pBootStart(NULL), m_pDestroyed(NULL)
{
}

CAskDlg::~CAskDlg()
{
}

LPCTSTR CAskDlg::GetWindowClassName() const
{
    return L"AskDlg";
}

CUIString CAskDlg::GetSkinFile()
{
    return L"AskDlg\\AskDlg.xml";
}

void CAskDlg::InitWindow()
{
    // The proposal is to start with Windows.
    m_pBootStart = static_cast<COptionUI*>(m_pm.FindControlByName(L"boot_start"));
    if (m_pBootStart != NULL)
        m_pBootStart->SetSelected(true);
}

void CAskDlg::Save()
{
    SetAutoRun(ClientExePath().c_str(), m_pBootStart != NULL && m_pBootStart->IsSelected());
}

void CAskDlg::PlaceAtWorkAreaCorner()
{
    MONITORINFO monitor;
    memset(&monitor, 0, sizeof(monitor));
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT rcWnd;
    if (!::GetWindowRect(m_hWnd, &rcWnd))
        return;
    const int w = rcWnd.right - rcWnd.left;
    const int h = rcWnd.bottom - rcWnd.top;
    RECT rcWork;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const int s = ::GetSystemMetrics(SM_CYSCREEN);
    const int a = rcWork.bottom - rcWork.top;
    const int x = monitor.rcMonitor.right + rcWnd.left - w - 4;
    const int y = monitor.rcMonitor.bottom - (s - a) + rcWnd.top - h - 4;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CAskDlg::OnWindowDestroyed(HWND /*hWnd*/)
{
    if (m_pDestroyed != NULL)
        *m_pDestroyed = true;
    delete this;
}
