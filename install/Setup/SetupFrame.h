// CMainFrame: the installer's window (layout "MainFrame.xml" of its skin), 400 x
// 225, three pages: the folder ("container_first", with the default sub-page
// "container_default" and the custom one "container_custom"), the progress
// ("container_second") and the finish page ("container_third"). The install
// button starts the worker (CInstaller, Installer.h) on its own thread; its
// WM_STEP_PROGRESS reports move the progress bar, and the 100 % report shows the
// finish page. Closing asks first on the first page, is refused while the worker
// runs, and on the finish page writes the start-with-Windows value when the
// option is selected. The frame deletes itself when its window is destroyed and
// then ends the message loop. Linked into Setup.exe from `setup_app`.
#ifndef SETUP_SETUPFRAME_H
#define SETUP_SETUPFRAME_H

#include <windows.h>

#include <string>

#include "Installer.h"
#include "UIWindowImpl.h"

namespace SkinUI {
class CButtonUI;
class CContainerUI;
class CEditUI;
class CLabelUI;
class CProgressUI;
}

// The title of the installer's windows.
extern const wchar_t kSetupWindowTitle[];   // "Yexo娱乐直播安装程序"

// The smallest free space accepted for an installation: more than 10 whole
// mebibytes, i.e. 11,534,336 bytes.
const ULONGLONG kSetupMinFreeBytes = 11ULL * 1024 * 1024;
bool IsEnoughInstallSpace(ULONGLONG freeBytes);

// A folder the installer accepts as typed: "X:\" and a path below it on a fixed
// drive, without blanks next to a separator, without "/:*?<>.|" and double
// quotes, without doubled backslashes, and already in canonical form.
bool IsValidInstallPath(const std::wstring& path);
// The bytes free for the caller on the path's drive; 0 when unknown.
ULONGLONG GetFreeDiskSpace(const wchar_t* path);
// The folder chooser (owned by the foreground window); false when cancelled.
bool BrowseForFolder(const wchar_t* title, std::wstring& out);
// text without white space at both ends.
std::wstring TrimmedCopy(const std::wstring& text);
// The folder the product goes into for the folder the user gave: that folder
// itself when it does not exist yet, is the registered installation's, or holds
// nothing but an earlier installation of the product or its leftovers
// (basetool::IsProductsFolder); otherwise a "YexoShow" folder inside it, so that the user's
// own folder never becomes the product's (which its uninstaller removes).
std::wstring ProductInstallDir(const std::wstring& chosen);

class CMainFrame : public SkinUI::WindowImplBase
{
public:
    CMainFrame();

    virtual LPCTSTR GetWindowClassName() const;

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

public:
    virtual ~CMainFrame();
    virtual void InitWindow();
    virtual void OnClick(SkinUI::UINotify& msg);
    virtual SkinUI::CUIString GetSkinFolder();
    virtual SkinUI::CUIString GetSkinFile();
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    void OnTextChanged(SkinUI::UINotify& msg);
    // Shows whether path can take the installation (labels, colours, the two
    // install buttons); true when it can.
    bool CheckInstallPath(const std::wstring& path);

    CInstaller* GetInstaller() { return m_installer; }
    // True from the install button until the worker thread has finished.
    bool IsInstalling() const { return m_installing; }

    UI_DECLARE_MESSAGE_MAP()

protected:
    // The free space on path's drive (GetFreeDiskSpace).
    virtual ULONGLONG QueryFreeSpace(const std::wstring& path);
    void OnStepProgress(const wchar_t* text, int percent);
    void StartInstall();
    void SetCloseEnabled(bool enabled);

    CInstaller* m_installer;
    HANDLE m_thread;
    bool m_installing;
    SkinUI::CContainerUI* m_first;
    SkinUI::CContainerUI* m_second;
    SkinUI::CContainerUI* m_third;
    SkinUI::CContainerUI* m_default;
    SkinUI::CContainerUI* m_custom;
    SkinUI::CEditUI* m_edit;
    SkinUI::CButtonUI* m_defaultSetup;
    SkinUI::CButtonUI* m_customSetup;
    SkinUI::CLabelUI* m_defaultTip;
    SkinUI::CLabelUI* m_customTip;
    SkinUI::CLabelUI* m_progressText;
    SkinUI::CProgressUI* m_progress;
};

#endif  // SETUP_SETUPFRAME_H
