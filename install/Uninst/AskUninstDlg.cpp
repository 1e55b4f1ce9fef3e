// The uninstaller's confirmation.
#include "AskUninstDlg.h"

#include "UninstFrame.h"

using namespace SkinUI;

int CAskUninstDlg::Ask()
{
    CAskUninstDlg dlg;
    return dlg.RunModal(NULL, kUninstTitle);
}

CAskUninstDlg::~CAskUninstDlg()
{
}

LPCTSTR CAskUninstDlg::GetWindowClassName() const
{
    return L"AskUninst";
}

CUIString CAskUninstDlg::GetSkinFolder()
{
    return L"Uninst";
}

CUIString CAskUninstDlg::GetSkinFile()
{
    return L"AskUninst.xml";
}
