// The installer's and uninstaller's skin resource and two-button dialog base.
#include "InstallerDialog.h"

#include "UIControl.h"
#include "UIManager.h"

using namespace SkinUI;

SkinResource LoadSkinResource(HMODULE module)
{
    SkinResource skin = { NULL, 0, NULL };
    HRSRC found = ::FindResourceExW(module, INSTALLER_SKIN_TYPE, MAKEINTRESOURCEW(INSTALLER_SKIN_ID),
                                    INSTALLER_SKIN_LANGUAGE);
    if (found == NULL)
        return skin;
    skin.handle = ::LoadResource(module, found);
    if (skin.handle == NULL)
        return skin;
    skin.data = ::LockResource(skin.handle);
    skin.size = skin.data != NULL ? ::SizeofResource(module, found) : 0;
    return skin;
}

void FreeSkinResource(SkinResource& skin)
{
    if (skin.handle != NULL)
        ::FreeResource(skin.handle);
    skin.data = NULL;
    skin.size = 0;
    skin.handle = NULL;
}

int RunInstallerWindow(HINSTANCE instance, SkinUI::WindowImplBase* (*makeFrame)(), LPCTSTR title,
                       int showCommand)
{
    SkinUI::CUIManager::SetInstance(instance);
    SkinResource skin = LoadSkinResource();
    if (skin.data == NULL || skin.size == 0) {
        FreeSkinResource(skin);
        return 1;
    }
    SkinUI::CUIManager::SetResourceZipMemory(skin.data, skin.size);
    SkinUI::WindowImplBase* frame = makeFrame();
    HWND window = frame->Create(NULL, title, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, NULL);
    const bool shown = window != NULL && ::IsWindow(window);
    if (shown) {
        frame->Center();
        ::ShowWindow(window, showCommand);
        SkinUI::CUIManager::RunMessageLoop();
    }
    FreeSkinResource(skin);
    return shown ? 0 : 1;
}

UI_BEGIN_MESSAGE_MAP(CInstallerDialog, WindowImplBase)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
UI_END_MESSAGE_MAP()

CInstallerDialog::CInstallerDialog() : m_result(0)
{
}

CInstallerDialog::~CInstallerDialog()
{
}

int CInstallerDialog::RunModal(HWND owner, LPCTSTR title)
{
    m_result = 0;
    if (Create(owner, title, kStyle, 0, 0, 0, 400, 200) == NULL)
        return 0;
    Center();
    ShowModal();
    return m_result;
}

void CInstallerDialog::OnClick(UINotify& msg)
{
    const CUIString name = msg.pSender != NULL ? msg.pSender->GetName() : CUIString();
    if (name == L"button_ok") {
        m_result = 1;
        Close(1);
    } else if (name == L"button_cancel" || name == L"closebtn") {
        m_result = 0;
        Close(1);
    }
    WindowImplBase::OnClick(msg);
}

CControlUI* CInstallerDialog::FindControl(LPCTSTR name)
{
    return m_hWnd != NULL ? m_pm.FindControlByName(name) : NULL;
}
