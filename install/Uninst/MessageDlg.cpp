// The uninstaller's message with one button.
#include "MessageDlg.h"

#include "UninstFrame.h"
#include "UIControl.h"

using namespace SkinUI;

CMessageDlg::CMessageDlg(const wchar_t* pszText) : m_Text(pszText != NULL ? pszText : L""), m_pContent(NULL)
{
}

CMessageDlg::~CMessageDlg()
{
}

int CMessageDlg::Show(const wchar_t* pszText, HWND hWndOwner)
{
    CMessageDlg dlg(pszText);
    return dlg.RunModal(hWndOwner, kUninstTitle);
}

LPCTSTR CMessageDlg::GetWindowClassName() const
{
    return L"Message";
}

CUIString CMessageDlg::GetSkinFolder()
{
    return L"Uninst";
}

CUIString CMessageDlg::GetSkinFile()
{
    return L"Message.xml";
}

void CMessageDlg::InitWindow()
{
    m_pContent = m_pm.FindControlByName(L"content");
    if (m_pContent != NULL)
        m_pContent->SetText(m_Text.c_str());
}
