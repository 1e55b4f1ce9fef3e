// CClientDialog: the base of the client's two small dialogs (tevela.exe): their
// skin folder, and the clicks they share — "closebtn" and "cancelbtn" close
// without saving, "okbtn" saves, closes and goes on to the base handler.
#ifndef TEVELA_CLIENTDIALOG_H
#define TEVELA_CLIENTDIALOG_H

#include <string>

#include "UIWindowImpl.h"

class CClientDialog : public SkinUI::WindowImplBase
{
public:
    virtual void OnClick(SkinUI::UINotify& msg);
    virtual SkinUI::CUIString GetSkinFolder();

    UI_DECLARE_MESSAGE_MAP()

protected:
    // Writes the dialog's settings ("okbtn").
    virtual void Save() = 0;
};

// The running exe's full path (what the Run value holds, quoted).
std::wstring ClientExePath();

#endif // TEVELA_CLIENTDIALOG_H
