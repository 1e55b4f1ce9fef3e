// The installer's window and its pages.
#include "SetupFrame.h"

#include <process.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wchar.h>
#include <wctype.h>

#include "AskExitDlg.h"
#include "BaseTool.h"
#include "ProductFolder.h"
#include "InstallerDialog.h"
#include "UIButton.h"
#include "UIContainer.h"
#include "UIEdit.h"
#include "UILabel.h"
#include "UIOption.h"
#include "UIProgress.h"

using namespace SkinUI;

const wchar_t kSetupWindowTitle[] = L"Yexo\u5a31\u4e50\u76f4\u64ad\u5b89\u88c5\u7a0b\u5e8f";

namespace {

const wchar_t kDefaultTipFormat[] = L"\u9ed8\u8ba4\u5b89\u88c5\uff1a%ls";           // 默认安装：%s
const wchar_t kNoSpaceText[] = L"\u5b89\u88c5\u7a7a\u95f4\u4e0d\u8db3";               // 安装空间不足
const wchar_t kInvalidPathText[] = L"\u5b89\u88c5\u8def\u5f84\u65e0\u6548";           // 安装路径无效
const wchar_t kBrowseTitle[] = L"\u5b89\u88c5\u76ee\u5f55";                           // 安装目录
const DWORD kTipColor = 0xFF222222;
const DWORD kErrorColor = 0xFFFF0000;

bool Contains(const std::wstring& text, const wchar_t* part)
{
    return text.find(part) != std::wstring::npos;
}

}  // namespace

// ---------------------------------------------------------------------------
// Path checks
// ---------------------------------------------------------------------------
bool IsEnoughInstallSpace(ULONGLONG freeBytes)
{
    return freeBytes / (1024 * 1024) > 10;
}

bool IsValidInstallPath(const std::wstring& path)
{
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\')
        return false;
    const std::wstring root = path.substr(0, 3);
    if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED)
        return false;
    if (Contains(path, L"\\ ") || Contains(path, L"/ ") || Contains(path, L"\\\\"))
        return false;
    const std::wstring rest = path.substr(3);
    if (rest.find_first_of(L"/:*?<>.|\"") != std::wstring::npos)
        return false;
    if (Contains(rest, L"\\ ") || Contains(rest, L" \\"))
        return false;
    if (!rest.empty() && (rest[0] == L' ' || rest[rest.size() - 1] == L' '))
        return false;
    if (path.size() >= MAX_PATH)
        return false;
    wchar_t canonical[MAX_PATH] = { 0 };
    if (!::PathCanonicalizeW(canonical, path.c_str()))
        return false;
    return path == canonical;
}

ULONGLONG GetFreeDiskSpace(const wchar_t* path)
{
    if (path == NULL)
        return 0;
    wchar_t root[MAX_PATH] = { 0 };
    lstrcpynW(root, path, MAX_PATH);
    if (!::PathStripToRootW(root))
        return 0;
    ULARGE_INTEGER available;
    available.QuadPart = 0;
    if (!::GetDiskFreeSpaceExW(root, &available, NULL, NULL))
        return 0;
    return available.QuadPart;
}

bool BrowseForFolder(const wchar_t* title, std::wstring& out)
{
    BROWSEINFOW info;
    ZeroMemory(&info, sizeof(info));
    wchar_t displayName[MAX_PATH] = { 0 };
    info.hwndOwner = ::GetForegroundWindow();
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST item = ::SHBrowseForFolderW(&info);
    if (item == NULL)
        return false;
    wchar_t path[MAX_PATH] = { 0 };
    const BOOL gotPath = ::SHGetPathFromIDListW(item, path);
    IMalloc* shellMalloc = NULL;
    if (FAILED(::SHGetMalloc(&shellMalloc)) || shellMalloc == NULL)
        return false;
    shellMalloc->Free(item);
    shellMalloc->Release();
    // A virtual folder (no file-system path) is no choice.
    if (!gotPath)
        return false;
    out = path;
    return true;
}

std::wstring TrimmedCopy(const std::wstring& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && iswspace(text[begin]))
        ++begin;
    while (end > begin && iswspace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::wstring ProductInstallDir(const std::wstring& chosen)
{
    if (chosen.empty() || !basetool::IsPlainFolder(chosen))
        return chosen;
    // The registered installation's folder, one the installer made, and one that
    // holds nothing or only what an earlier installation left are the product's.
    if (basetool::IsPlainFile(basetool::AppendPath(chosen, L"tevela.exe")) || basetool::IsProductsFolder(chosen))
        return chosen;
    const std::wstring inside = basetool::AppendPath(chosen, L"YexoShow");
    return inside.empty() ? chosen : inside;
}

// ---------------------------------------------------------------------------
// The frame
// ---------------------------------------------------------------------------
UI_BEGIN_MESSAGE_MAP(CMainFrame, WindowImplBase)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
    UI_ON_MSGTYPE(UI_MSGTYPE_TEXTCHANGED, OnTextChanged)
UI_END_MESSAGE_MAP()

CMainFrame::CMainFrame()
    : m_installer(new CInstaller(std::wstring(), NULL)), m_thread(NULL), m_installing(false), m_first(NULL),
      m_second(NULL), m_third(NULL), m_default(NULL), m_custom(NULL), m_edit(NULL), m_defaultSetup(NULL),
      m_customSetup(NULL), m_defaultTip(NULL), m_customTip(NULL), m_progressText(NULL), m_progress(NULL)
{
}

LPCTSTR CMainFrame::GetWindowClassName() const
{
    return L"MainFrame";
}

void CMainFrame::OnWindowDestroyed(HWND hWnd)
{
    WindowImplBase::OnWindowDestroyed(hWnd);
    delete this;
    ::PostQuitMessage(0);
}

CMainFrame::~CMainFrame()
{
    // A window destroyed while the worker runs (the session ends, say): the
    // worker must be done with the installer before it goes.
    if (m_thread != NULL) {
        m_installer->SetWindow(NULL);
        basetool::JoinWorkerThread(m_thread);
    }
    delete m_installer;
}

CUIString CMainFrame::GetSkinFolder()
{
    return L"setup_skin";
}

CUIString CMainFrame::GetSkinFile()
{
    return L"MainFrame.xml";
}

void CMainFrame::InitWindow()
{
    HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(NULL), MAKEINTRESOURCEW(INSTALLER_ICON_ID),
                                                 IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (icon != NULL)
        ::SetClassLongPtrW(m_hWnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    m_installer->ResolveInstallDir();
    m_installer->SetWindow(m_hWnd);

    m_first = static_cast<CContainerUI*>(m_pm.FindControlByName(L"container_first"));
    m_second = static_cast<CContainerUI*>(m_pm.FindControlByName(L"container_second"));
    m_third = static_cast<CContainerUI*>(m_pm.FindControlByName(L"container_third"));
    m_default = static_cast<CContainerUI*>(m_pm.FindControlByName(L"container_default"));
    m_custom = static_cast<CContainerUI*>(m_pm.FindControlByName(L"container_custom"));
    m_edit = static_cast<CEditUI*>(m_pm.FindControlByName(L"edit_setup_path"));
    m_defaultSetup = static_cast<CButtonUI*>(m_pm.FindControlByName(L"button_defult_setup"));
    m_customSetup = static_cast<CButtonUI*>(m_pm.FindControlByName(L"button_custom_setup"));
    m_defaultTip = static_cast<CLabelUI*>(m_pm.FindControlByName(L"label_defult_tip"));
    m_customTip = static_cast<CLabelUI*>(m_pm.FindControlByName(L"label_custom_tip"));
    m_progressText = static_cast<CLabelUI*>(m_pm.FindControlByName(L"label_setup_progress"));
    m_progress = static_cast<CProgressUI*>(m_pm.FindControlByName(L"setup_progress"));

    const std::wstring dir = GetDefaultInstallDir();
    if (m_edit != NULL)
        m_edit->SetText(dir.c_str());
    CheckInstallPath(dir);
}

ULONGLONG CMainFrame::QueryFreeSpace(const std::wstring& path)
{
    return GetFreeDiskSpace(path.c_str());
}

bool CMainFrame::CheckInstallPath(const std::wstring& path)
{
    // A drive root or a folder of the system's own passes the typed-path rules,
    // but the worker refuses it (its uninstaller would delete the folder as a
    // whole): it counts as invalid here already.
    const bool valid = IsValidInstallPath(path) && !basetool::IsProtectedFolder(path);
    const bool enough = valid && IsEnoughInstallSpace(QueryFreeSpace(path));
    if (valid && enough) {
        if (m_defaultTip != NULL) {
            std::wstring tip(wcslen(kDefaultTipFormat) + path.size() + 1, L'\0');
            swprintf(&tip[0], tip.size(), kDefaultTipFormat, path.c_str());
            m_defaultTip->SetText(tip.c_str());
            m_defaultTip->SetTextColor(kTipColor);
        }
        if (m_customTip != NULL)
            m_customTip->SetVisible(false);
    } else {
        const wchar_t* text = valid ? kNoSpaceText : kInvalidPathText;
        if (m_defaultTip != NULL) {
            m_defaultTip->SetText(text);
            m_defaultTip->SetTextColor(kErrorColor);
        }
        if (m_customTip != NULL) {
            m_customTip->SetText(text);
            m_customTip->SetTextColor(kErrorColor);
            m_customTip->SetVisible(true);
        }
    }
    if (m_defaultSetup != NULL)
        m_defaultSetup->SetEnabled(valid && enough);
    if (m_customSetup != NULL)
        m_customSetup->SetEnabled(valid && enough);
    return valid && enough;
}

void CMainFrame::OnTextChanged(UINotify& msg)
{
    if (msg.pSender != NULL && msg.pSender->GetName() == L"edit_setup_path")
        CheckInstallPath(msg.pSender->GetText().GetData());
}

void CMainFrame::SetCloseEnabled(bool enabled)
{
    CControlUI* close = m_pm.FindControlByName(L"closebtn");
    if (close != NULL)
        close->SetEnabled(enabled);
}

void CMainFrame::StartInstall()
{
    // One installation per process.
    if (m_thread != NULL || m_installing)
        return;
    if (m_edit != NULL) {
        const std::wstring text = TrimmedCopy(m_edit->GetText().GetData());
        // A folder of the user's that holds other things gets the product's
        // own folder inside it; the page shows that path, and it is checked
        // like a typed one.
        const std::wstring dir = ProductInstallDir(text);
        m_edit->SetText(dir.c_str());
        if (dir != text && !CheckInstallPath(dir))
            return;
        if (!dir.empty())
            m_installer->SetInstallDir(dir);
    }
    SetCloseEnabled(false);
    m_installing = true;
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, InstallThreadProc, m_installer, 0, NULL));
    if (m_thread == NULL) {
        // Not reported; the window can at least be closed again.
        m_installing = false;
        SetCloseEnabled(true);
    }
    if (m_first != NULL)
        m_first->SetVisible(false);
    if (m_second != NULL)
        m_second->SetVisible(true);
    if (m_third != NULL)
        m_third->SetVisible(false);
}

void CMainFrame::OnClick(UINotify& msg)
{
    const CUIString name = msg.pSender != NULL ? msg.pSender->GetName() : CUIString();
    if (name == L"button_defult_setup" || name == L"button_custom_setup") {
        StartInstall();
    } else if (name == L"button_custom_setup_page") {
        if (m_default != NULL)
            m_default->SetVisible(false);
        if (m_custom != NULL)
            m_custom->SetVisible(true);
    } else if (name == L"button_return") {
        if (m_custom != NULL)
            m_custom->SetVisible(false);
        if (m_default != NULL)
            m_default->SetVisible(true);
    } else if (name == L"button_browse") {
        std::wstring chosen;
        if (BrowseForFolder(kBrowseTitle, chosen) && m_edit != NULL) {
            chosen = ProductInstallDir(chosen);
            m_edit->SetText(chosen.c_str());
            if (CheckInstallPath(chosen))
                m_edit->SetText(TrimmedCopy(chosen).c_str());
        }
    } else if (name == L"button_run_now") {
        m_installer->LaunchClient();
        Close(1);
    } else if (name == L"button_finish") {
        Close(1);
    }
    WindowImplBase::OnClick(msg);
}

LRESULT CMainFrame::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (uMsg == WM_STEP_PROGRESS) {
        OnStepProgress(reinterpret_cast<const wchar_t*>(wParam), static_cast<int>(lParam));
        bHandled = true;
        return 0;
    }
    if (uMsg == WM_WORKER_FINISHED) {
        // The worker's thread is ending. After a failure its last report stays
        // on the progress page, and the window may be closed again.
        m_installing = false;
        if (wParam == FALSE)
            SetCloseEnabled(true);
        bHandled = true;
        return 0;
    }
    bHandled = false;
    return 0;
}

void CMainFrame::OnStepProgress(const wchar_t* text, int percent)
{
    if (m_progressText != NULL) {
        const wchar_t* step = text != NULL ? text : L"";
        std::wstring line(wcslen(step) + 16, L'\0');
        const int n = swprintf(&line[0], line.size(), L"%d%% %ls", percent, step);
        line.resize(n > 0 ? static_cast<size_t>(n) : 0);
        m_progressText->SetText(line.c_str());
    }
    if (m_progress != NULL)
        m_progress->SetValue(percent);
    if (percent == 100) {
        SetCloseEnabled(true);
        if (m_first != NULL)
            m_first->SetVisible(false);
        if (m_second != NULL)
            m_second->SetVisible(false);
        if (m_third != NULL)
            m_third->SetVisible(true);
    }
}

LRESULT CMainFrame::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (m_first != NULL && m_first->IsVisible()) {
        ::ShowWindow(m_hWnd, SW_RESTORE);
        if (CAskExitDlg::Ask(m_hWnd) == 0) {
            bHandled = true;
            return 0;
        }
    }
    // Refused while the worker runs; a worker that has stopped after a failure
    // leaves the window free to close.
    if (m_second != NULL && m_second->IsVisible() && m_installing) {
        bHandled = true;
        return 0;
    }
    basetool::JoinWorkerThread(m_thread);
    if (m_third != NULL && m_third->IsVisible()) {
        COptionUI* boot = static_cast<COptionUI*>(m_pm.FindControlByName(L"option_boot_start"));
        if (boot != NULL && boot->IsSelected())
            m_installer->SetAutoStart();
    }
    return WindowImplBase::OnClose(uMsg, wParam, lParam, bHandled);
}
