// The skinned parts that Setup.exe and Uninst.exe share (static library
// `install_ui`):
//
//   LoadSkinResource  the program's skin zip in its resources ("SKIN", 130,
//                     language 2052), as wWinMain hands it to the paint manager.
//   RunInstallerWindow  the windowed run of either program's wWinMain.
//   CInstallerDialog  the base of the small modal dialogs with an OK and a
//                     Cancel button (Setup's exit question, Uninst's
//                     confirmation and message). A derived class names its
//                     window class, skin folder and layout, and may add an
//                     InitWindow; RunModal does the rest:
//
//     class CAskExitDlg : public CInstallerDialog {
//         LPCTSTR GetWindowClassName() const { return L"AskExit"; }
//         CUIString GetSkinFolder() { return L"setup_skin"; }
//         CUIString GetSkinFile() { return L"AskExit.xml"; }
//     };
//     CAskExitDlg dlg;
//     int leave = dlg.RunModal(owner, L"...");   // 1 = OK, 0 = Cancel / close
#ifndef INSTALL_INSTALLERDIALOG_H
#define INSTALL_INSTALLERDIALOG_H

#include <windows.h>

#include "UIWindowImpl.h"

// ---- The skin resource ----

#define INSTALLER_SKIN_TYPE L"SKIN"
#define INSTALLER_SKIN_ID 130
#define INSTALLER_SKIN_LANGUAGE MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
// The window icon of both programs.
#define INSTALLER_ICON_ID 107

struct SkinResource {
    const void* data;   // NULL when the resource is missing
    DWORD size;         // 0 when the resource is missing
    HGLOBAL handle;
};
// FindResourceExW (module, "SKIN", 130, 2052), LoadResource, LockResource,
// SizeofResource. module NULL: the exe.
SkinResource LoadSkinResource(HMODULE module = NULL);
// FreeResource, then all fields cleared.
void FreeSkinResource(SkinResource& skin);

// The windowed run of an installer program: the skin from the exe's resources
// to the paint manager, the frame made by makeFrame created (no owner, title,
// WS_VISIBLE | WS_OVERLAPPEDWINDOW, CW_USEDEFAULT), centred and shown, and the
// message loop until the frame ends it; then the skin is freed. Returns the
// exit code: 0, or 1 when the skin is missing or the window could not be made.
// The frame deletes itself when its window is destroyed.
int RunInstallerWindow(HINSTANCE instance, SkinUI::WindowImplBase* (*makeFrame)(), LPCTSTR title,
                       int showCommand);

// ---- The two-button modal dialog ----

class CInstallerDialog : public SkinUI::WindowImplBase
{
public:
    // The style of every such dialog: WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS |
    // WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU.
    static const DWORD kStyle = 0x96C80000;

    CInstallerDialog();
    virtual ~CInstallerDialog();

    // Creates the dialog (owner may be NULL) at 0, 0 with 400 x 200 (the
    // layout's size then applies), centres it and runs it modally. Returns the
    // result: 1 after "button_ok", 0 after "button_cancel", "closebtn" or any
    // other way of closing (Escape, Alt+F4).
    int RunModal(HWND owner, LPCTSTR title);
    int GetResult() const { return m_result; }

    // "button_ok": result 1 and Close (1); "button_cancel" or "closebtn":
    // result 0 and Close (1); then the base handler.
    virtual void OnClick(SkinUI::UINotify& msg);

    // A control of the dialog by name (NULL before creation or when missing).
    SkinUI::CControlUI* FindControl(LPCTSTR name);

    UI_DECLARE_MESSAGE_MAP()

protected:
    int m_result;
};

#endif  // INSTALL_INSTALLERDIALOG_H
