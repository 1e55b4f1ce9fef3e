// The installer's exit question.
#include "AskExitDlg.h"

#include "SetupFrame.h"

using namespace SkinUI;

CAskExitDlg::CAskExitDlg()
{
}

CAskExitDlg::~CAskExitDlg()
{
}

LPCTSTR CAskExitDlg::GetWindowClassName() const
{
    return L"AskExit";
}

CUIString CAskExitDlg::GetSkinFolder()
{
    return L"setup_skin";
}

CUIString CAskExitDlg::GetSkinFile()
{
    return L"AskExit.xml";
}

int CAskExitDlg::Ask(HWND owner)
{
    CAskExitDlg dlg;
    return dlg.RunModal(owner, kSetupWindowTitle);
}
