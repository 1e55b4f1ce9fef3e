// The base of the client's settings dialog and first-start question.
#include "ClientDialog.h"

#include "UIControl.h"

using namespace SkinUI;

UI_BEGIN_MESSAGE_MAP(CClientDialog, WindowImplBase)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
UI_END_MESSAGE_MAP()

std::wstring ClientExePath()
{
    wchar_t path[MAX_PATH + 1] = { 0 };
    ::GetModuleFileNameW(NULL, path, MAX_PATH);
    return path;
}

CUIString CClientDialog::GetSkinFolder()
{
    return L"skin";
}

void CClientDialog::OnClick(UINotify& msg)
{
    const CUIString name = msg.pSender != NULL ? msg.pSender->GetName() : CUIString();
    if (name == L"closebtn" || name == L"cancelbtn") {
        Close(1);
        return;
    }
    if (name == L"okbtn") {
        Save();
        Close(1);
    }
    WindowImplBase::OnClick(msg);
}
