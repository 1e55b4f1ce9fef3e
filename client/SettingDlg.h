// CSettingDlg: the client's modal settings dialog ("SettingDlg\SettingDlg.xml"):
// start with Windows, and whether closing the main panel hides the client to
// the notification area or exits it. A local object of its caller.
#ifndef TEVELA_SETTINGDLG_H
#define TEVELA_SETTINGDLG_H

#include "ClientDialog.h"
#include "UIOption.h"

class CSettingDlg : public CClientDialog
{
public:
    CSettingDlg();
    virtual ~CSettingDlg();

    virtual LPCTSTR GetWindowClassName() const;
    virtual void InitWindow();
    virtual SkinUI::CUIString GetSkinFile();

protected:
    // Start with Windows, and HideMainWnd from the two close options.
    virtual void Save();

    SkinUI::COptionUI* m_pBootStart;
    SkinUI::COptionUI* m_pHideMainWnd;
    SkinUI::COptionUI* m_pExitProgram;
};

#endif // TEVELA_SETTINGDLG_H
