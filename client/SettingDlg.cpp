// The client's settings dialog.
#include "SettingDlg.h"

#include <string>

#include "RegSettings.h"

using namespace SkinUI;

UI_BEGIN_MESSAGE_MAP(CSettingDlg, WindowImplBase)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
UI_END_MESSAGE_MAP()

std::wstring ClientExePath()
{
    wchar_t path[MAX_PATH + 1] = { 0 };
    ::GetModuleFileNameW(NULL, path, MAX_PATH);
    return path;
}

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

CUIString CSettingDlg::GetSkinFolder()
{
    return L"skin";
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

void CSettingDlg::OnClick(UINotify& msg)
{
    const CUIString name = msg.pSender != NULL ? msg.pSender->GetName() : CUIString();
    if (name == L"closebtn" || name == L"cancelbtn") {
        Close(1);
        return;
    }
    if (name == L"okbtn") {
        SetAutoRun(ClientExePath().c_str(), m_pBootStart != NULL && m_pBootStart->IsSelected());
        WriteProductDword(L"HideMainWnd", (m_pHideMainWnd != NULL && m_pHideMainWnd->IsSelected()) ? 1 : 0);
        Close(1);
    }
    WindowImplBase::OnClick(msg);
}
