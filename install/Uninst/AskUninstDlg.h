// CAskUninstDlg: the uninstaller's confirmation ("AskUninst.xml"): 确定 (1)
// goes on to uninstall, 取消 or the close button (0) end the program.
#ifndef UNINST_ASKUNINSTDLG_H
#define UNINST_ASKUNINSTDLG_H

#include "InstallerDialog.h"

class CAskUninstDlg : public CInstallerDialog
{
public:
    // Shows the question modally, without owner, centred on the screen; the answer.
    static int Ask();

    virtual LPCTSTR GetWindowClassName() const;
    virtual ~CAskUninstDlg();
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();
};

#endif // UNINST_ASKUNINSTDLG_H
