// The client's settings dialog.
#include "SettingDlg.h"

#include "RegSettings.h"

using namespace SkinUI;

CSettingDlg::CSettingDlg() : m_pBootStart(NULL), m_pHideMainWnd(NULL), m_pExitProgram(NULL)
{
}

CSettingDlg::~CSettingDlg()
{
}

LPCTSTR CSettingDlg::GetWindowClassName() const
{
    return L"SettingDlg";
}

CUIString CSettingDlg::GetSkinFile()
{
    return L"SettingDlg\\SettingDlg.xml";
}

void CSettingDlg::InitWindow()
{
    m_pBootStart = static_cast<COptionUI*>(m_pm.FindControlByName(L"boot_start"));
    if (m_pBootStart != NULL)
        m_pBootStart->SetSelected(IsAutoRunSet(ClientExePath().c_str()) == 1);
    m_pHideMainWnd = static_cast<COptionUI*>(m_pm.FindControlByName(L"hide_main_wnd"));
    m_pExitProgram = static_cast<COptionUI*>(m_pm.FindControlByName(L"exit_program"));
    if (ReadHideMainWnd() != 0) {
        if (m_pHideMainWnd != NULL)
            m_pHideMainWnd->SetSelected(true);
    } else if (m_pExitProgram != NULL) {
        m_pExitProgram->SetSelected(true);
    }
}

void CSettingDlg::Save()
{
    SetAutoRun(ClientExePath().c_str(), m_pBootStart != NULL && m_pBootStart->IsSelected());
    WriteProductDword(L"HideMainWnd", (m_pHideMainWnd != NULL && m_pHideMainWnd->IsSelected()) ? 1 : 0);
}
