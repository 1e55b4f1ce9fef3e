// CMessageDlg: a message with one button ("Message.xml"): the running-client
// refusal and the success message of the uninstaller. The text shows in the
// read-only rich edit "content".
#ifndef UNINST_MESSAGEDLG_H
#define UNINST_MESSAGEDLG_H

#include <string>

#include "InstallerDialog.h"

class CMessageDlg : public CInstallerDialog
{
public:
    explicit CMessageDlg(const wchar_t* pszText);

    // Shows the text modally, owned by hWndOwner (or none), centred; 1 for 确定.
    static int Show(const wchar_t* pszText, HWND hWndOwner);

    virtual LPCTSTR GetWindowClassName() const;
    virtual ~CMessageDlg();
    virtual void InitWindow();
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();

private:
    std::wstring m_Text;
    SkinUI::CControlUI* m_pContent;
};

#endif // UNINST_MESSAGEDLG_H
