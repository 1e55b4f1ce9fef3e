// CSettingDlg: the client's modal settings dialog ("SettingDlg\SettingDlg.xml"):
// start with Windows, and whether closing the main panel hides the client to
// the notification area or exits it. A local object of its caller.
#ifndef TEVELA_SETTINGDLG_H
#define TEVELA_SETTINGDLG_H

#include <string>

#include "UIOption.h"
#include "UIWindowImpl.h"

class CSettingDlg : public SkinUI::WindowImplBase
{
public:
    CSettingDlg();
    virtual ~CSettingDlg();

    virtual LPCTSTR GetWindowClassName() const;
    virtual void InitWindow();
    virtual void OnClick(SkinUI::UINotify& msg);
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();

    UI_DECLARE_MESSAGE_MAP()

protected:
    SkinUI::COptionUI* m_pBootStart;
    SkinUI::COptionUI* m_pHideMainWnd;
    SkinUI::COptionUI* m_pExitProgram;
};

// The running exe's full path (what the Run value holds, quoted).
std::wstring ClientExePath();

#endif // TEVELA_SETTINGDLG_H
