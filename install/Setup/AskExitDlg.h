// CAskExitDlg: the installer's question when its window is closed before the
// installation: leave ("确定", result 1) or stay ("取消" or its close button,
// result 0). Layout "AskExit.xml" of the installer's skin.
#ifndef SETUP_ASKEXITDLG_H
#define SETUP_ASKEXITDLG_H

#include "InstallerDialog.h"

class CAskExitDlg : public CInstallerDialog
{
public:
    CAskExitDlg();
    virtual ~CAskExitDlg();

    virtual LPCTSTR GetWindowClassName() const;
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();

    // Asks modally over the owner; 1 = leave, 0 = stay.
    static int Ask(HWND owner);
};

#endif  // SETUP_ASKEXITDLG_H
