#include "UIWindowImpl.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "UIBuilder.h"
#include "UIControl.h"

namespace SkinUI {

// "Loading the resource files failed".
const wchar_t WindowImplBase::kLoadFailedText[] = L"\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25";
const wchar_t WindowImplBase::kLoadFailedCaption[] = L"SkinUI";

namespace {

const wchar_t kZipResourceType[] = L"ZIPRES";
const wchar_t kXmlResourceType[] = L"xml";
const wchar_t kMemoryZipName[] = L"membuffer";

// The work area and the monitor rectangle of the monitor nearest the window.
bool GetNearestMonitorInfo(HWND hWnd, MONITORINFO* pInfo)
{
    ::ZeroMemory(pInfo, sizeof(*pInfo));
    pInfo->cbSize = sizeof(*pInfo);
    HMONITOR hMonitor = ::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
    return hMonitor != NULL && ::GetMonitorInfoW(hMonitor, pInfo) != FALSE;
}

} // namespace

UI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
    UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, OnClick)
UI_END_MESSAGE_MAP()

WindowImplBase::WindowImplBase()
{
}

WindowImplBase::~WindowImplBase()
{
}

UINT WindowImplBase::GetClassStyle() const
{
    return CS_DBLCLKS;
}

void WindowImplBase::InitWindow()
{
}

CUIString WindowImplBase::GetSkinZipName()
{
    return CUIString();
}

LPCTSTR WindowImplBase::GetSkinResourceId()
{
    return L"";
}

UIResourceKind WindowImplBase::GetResourceType() const
{
    return UIResourceFile;
}

LONG WindowImplBase::GetStyle()
{
    LONG styleValue = static_cast<LONG>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    styleValue &= ~WS_CAPTION;
    return styleValue;
}

CControlUI* WindowImplBase::CreateControl(LPCTSTR /*pstrClass*/)
{
    return NULL;
}

void WindowImplBase::Notify(UINotify& msg)
{
    RouteNotify(msg);
}

LRESULT WindowImplBase::IgnoreMessage(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    return IgnoreMessage(uMsg, wParam, lParam, bHandled);
}

// ---------------------------------------------------------------------------
// Keys and clicks
// ---------------------------------------------------------------------------
LRESULT WindowImplBase::FilterMessage(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, bool& /*bHandled*/)
{
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        return OnDefaultKey(wParam);
    return 0;
}

LRESULT WindowImplBase::OnDefaultKey(WPARAM wParam)
{
    if (wParam == VK_ESCAPE) {
        Close(1);
        return 1;
    }
    return 0;
}

void WindowImplBase::OnClick(UINotify& msg)
{
    if (msg.pSender == NULL)
        return;
    CUIString sCtrlName = msg.pSender->GetName();
    if (sCtrlName == L"closebtn")
        Close(1);
    else if (sCtrlName == L"minbtn")
        SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (sCtrlName == L"maxbtn")
        SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (sCtrlName == L"restorebtn")
        SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

// ---------------------------------------------------------------------------
// Non-client behaviour of a borderless window
// ---------------------------------------------------------------------------
LRESULT WindowImplBase::OnNcActivate(UINT /*uMsg*/, WPARAM wParam, LPARAM /*lParam*/, bool& bHandled)
{
    if (::IsIconic(m_hWnd)) {
        bHandled = false;
        return 0;
    }
    // The system draws no frame.
    return (wParam == 0) ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM lParam, bool& /*bHandled*/)
{
    if (!::IsZoomed(m_hWnd))
        return 0;
    // Both forms of the message start with the proposed window rectangle.
    LPRECT pRect = reinterpret_cast<LPRECT>(lParam);
    MONITORINFO oMonitor;
    if (pRect != NULL && GetNearestMonitorInfo(m_hWnd, &oMonitor)) {
        const RECT& rcWork = oMonitor.rcWork;
        pRect->right = pRect->left + (rcWork.right - rcWork.left);
        pRect->bottom = pRect->top + (rcWork.bottom - rcWork.top);
    }
    return WVR_REDRAW;
}

LRESULT WindowImplBase::OnNcPaint(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& /*bHandled*/)
{
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM lParam, bool& /*bHandled*/)
{
    POINT pt;
    // Signed: screen points left of or above the primary monitor are negative.
    pt.x = static_cast<short>(LOWORD(lParam));
    pt.y = static_cast<short>(HIWORD(lParam));
    ::ScreenToClient(m_hWnd, &pt);

    RECT rcClient;
    ::GetClientRect(m_hWnd, &rcClient);

    if (!::IsZoomed(m_hWnd)) {
        const RECT& rcSizeBox = m_pm.GetSizeBox();
        if (pt.y < rcClient.top + rcSizeBox.top) {
            if (pt.x < rcClient.left + rcSizeBox.left)
                return HTTOPLEFT;
            if (pt.x > rcClient.right - rcSizeBox.right)
                return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > rcClient.bottom - rcSizeBox.bottom) {
            if (pt.x < rcClient.left + rcSizeBox.left)
                return HTBOTTOMLEFT;
            if (pt.x > rcClient.right - rcSizeBox.right)
                return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < rcClient.left + rcSizeBox.left)
            return HTLEFT;
        if (pt.x > rcClient.right - rcSizeBox.right)
            return HTRIGHT;
    }

    // The caption band: left and right are margins, top and bottom client rows.
    const RECT& rcCaption = m_pm.GetCaptionRect();
    if (pt.x >= rcClient.left + rcCaption.left && pt.x < rcClient.right - rcCaption.right &&
        pt.y >= rcCaption.top && pt.y < rcCaption.bottom) {
        CControlUI* pControl = m_pm.FindControlAt(pt);
        if (pControl != NULL) {
            LPCTSTR pstrClass = pControl->GetClassName();
            if (pstrClass == NULL ||
                (_wcsicmp(pstrClass, L"ButtonUI") != 0 && _wcsicmp(pstrClass, L"OptionUI") != 0 &&
                 _wcsicmp(pstrClass, L"TextUI") != 0))
                return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM lParam, bool& bHandled)
{
    LPMINMAXINFO lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
    MONITORINFO oMonitor;
    if (lpMMI != NULL && GetNearestMonitorInfo(m_hWnd, &oMonitor)) {
        RECT rcWork = oMonitor.rcWork;
        ::OffsetRect(&rcWork, -oMonitor.rcMonitor.left, -oMonitor.rcMonitor.top);
        lpMMI->ptMaxPosition.x = rcWork.left;
        lpMMI->ptMaxPosition.y = rcWork.top;
        lpMMI->ptMaxTrackSize.x = rcWork.right - rcWork.left;
        lpMMI->ptMaxTrackSize.y = rcWork.bottom - rcWork.top;
        const CUISize szMin = m_pm.GetMinInfo();
        lpMMI->ptMinTrackSize.x = szMin.cx;
        lpMMI->ptMinTrackSize.y = szMin.cy;
    }
    // The manager applies its positive min and max info on top.
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& bHandled)
{
    const CUISize szRoundCorner = m_pm.GetRoundCorner();
    if (!::IsIconic(m_hWnd) && (szRoundCorner.cx != 0 || szRoundCorner.cy != 0)) {
        RECT rcWnd;
        ::GetWindowRect(m_hWnd, &rcWnd);
        ::OffsetRect(&rcWnd, -rcWnd.left, -rcWnd.top);
        rcWnd.right++;
        rcWnd.bottom++;
        HRGN hRgn = ::CreateRoundRectRgn(rcWnd.left, rcWnd.top, rcWnd.right, rcWnd.bottom, szRoundCorner.cx,
                                         szRoundCorner.cy);
        // On success the system owns the region.
        if (hRgn != NULL && ::SetWindowRgn(m_hWnd, hRgn, TRUE) == 0)
            ::DeleteObject(hRgn);
    }
    bHandled = false;
    return 0;
}

void WindowImplBase::SetSysButtonsMaximized(bool bMaximized)
{
    CControlUI* pMaxButton = m_pm.FindControlByName(L"maxbtn");
    CControlUI* pRestoreButton = m_pm.FindControlByName(L"restorebtn");
    if (pMaxButton != NULL)
        pMaxButton->SetVisible(!bMaximized);
    if (pRestoreButton != NULL)
        pRestoreButton->SetVisible(bMaximized);
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& /*bHandled*/)
{
    if (wParam == SC_CLOSE) {
        SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    const HWND hWnd = m_hWnd;
    const BOOL bZoomed = ::IsZoomed(hWnd);
    LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if (!::IsWindow(hWnd))
        return lRes;
    const BOOL bZoomedNow = ::IsZoomed(hWnd);
    if (bZoomed != bZoomedNow) {
        if (bZoomedNow)
            SetSysButtonsMaximized(true);
        else if (!::IsIconic(hWnd))
            SetSysButtonsMaximized(false);
    }
    return lRes;
}

// ---------------------------------------------------------------------------
// Creation and teardown
// ---------------------------------------------------------------------------
LRESULT WindowImplBase::OnCreate(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& /*bHandled*/)
{
    LONG_PTR styleValue = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    styleValue &= ~static_cast<LONG_PTR>(WS_CAPTION);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, styleValue | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT rcClient;
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, NULL, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    m_pm.Init(m_hWnd);
    m_pm.AddPreMessageFilter(this);

    // The first window decides the resource folder for the whole process.
    if (CUIManager::GetResourcePath().IsEmpty()) {
        CUIString sResourcePath = CUIManager::GetInstancePath();
        sResourcePath += GetSkinFolder();
        CUIManager::SetResourcePath(sResourcePath.GetData());
    }

    const UIResourceKind kind = GetResourceType();
    if (kind == UIResourceZip) {
        CUIString sZipName = GetSkinZipName();
        CUIManager::SetResourceZipFile(sZipName.GetData(), true);
    } else if (kind == UIResourceZipResource) {
        HINSTANCE hInst = CUIManager::GetResourceInstance();
        HRSRC hResource = ::FindResourceW(hInst, GetSkinResourceId(), kZipResourceType);
        if (hResource == NULL)
            return 0;
        HGLOBAL hGlobal = ::LoadResource(hInst, hResource);
        if (hGlobal == NULL)
            return 0;
        const DWORD dwSize = ::SizeofResource(hInst, hResource);
        const void* pData = ::LockResource(hGlobal);
        if (dwSize == 0 || pData == NULL)
            return 0;
        // Only the first skin zip in memory is ever used; copying again for
        // every later window would only leak the copy.
        if (CUIManager::GetResourceZipName() != kMemoryZipName) {
            // Kept for the life of the process: the zip reads from it.
            BYTE* pCopy = new BYTE[dwSize];
            ::CopyMemory(pCopy, pData, dwSize);
            CUIManager::SetResourceZipMemory(pCopy, dwSize);
        }
    }

    CControlUI* pRoot = NULL;
    {
        CUIBuilder builder;
        CUIString sSkinFile = GetSkinFile();
        if (kind == UIResourceXml) {
            const WORD wId = static_cast<WORD>(wcstol(sSkinFile.GetData(), NULL, 10));
            pRoot = builder.Create(MAKEINTRESOURCEW(wId), kXmlResourceType, this, &m_pm);
        } else {
            pRoot = builder.Create(sSkinFile.GetData(), NULL, this, &m_pm);
        }
    }
    if (pRoot == NULL) {
        ::MessageBoxW(NULL, kLoadFailedText, kLoadFailedCaption, MB_ICONERROR);
        ::ExitProcess(1);
        return -1;
    }

    m_pm.AttachRoot(pRoot);
    m_pm.AddNotifier(this);
    m_pm.SetBackgroundTransparent(true);
    InitWindow();
    return 0;
}

void WindowImplBase::OnWindowDestroyed(HWND /*hWnd*/)
{
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
    // A window whose skin resource was missing never got a root.
    CControlUI* pRoot = m_pm.GetRoot();
    if (pRoot != NULL)
        m_pm.ReapObjects(pRoot);
}

// ---------------------------------------------------------------------------
// Message routing
// ---------------------------------------------------------------------------
LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    bool bHandled = true;
    switch (uMsg) {
    case WM_CREATE: lRes = OnCreate(uMsg, wParam, lParam, bHandled); break;
    case WM_CLOSE: lRes = OnClose(uMsg, wParam, lParam, bHandled); break;
    case WM_DESTROY: lRes = OnDestroy(uMsg, wParam, lParam, bHandled); break;
    case WM_NCACTIVATE: lRes = OnNcActivate(uMsg, wParam, lParam, bHandled); break;
    case WM_NCCALCSIZE: lRes = OnNcCalcSize(uMsg, wParam, lParam, bHandled); break;
    case WM_NCPAINT: lRes = OnNcPaint(uMsg, wParam, lParam, bHandled); break;
    case WM_NCHITTEST: lRes = OnNcHitTest(uMsg, wParam, lParam, bHandled); break;
    case WM_GETMINMAXINFO: lRes = OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled); break;
    case WM_MOUSEWHEEL: lRes = OnMouseWheel(uMsg, wParam, lParam, bHandled); break;
    case WM_MOUSEHOVER: lRes = OnMouseHover(uMsg, wParam, lParam, bHandled); break;
    case WM_SIZE: lRes = OnSize(uMsg, wParam, lParam, bHandled); break;
    case WM_CHAR: lRes = OnChar(uMsg, wParam, lParam, bHandled); break;
    case WM_SYSCOMMAND: lRes = OnSysCommand(uMsg, wParam, lParam, bHandled); break;
    case WM_KEYDOWN: lRes = OnKeyDown(uMsg, wParam, lParam, bHandled); break;
    case WM_KILLFOCUS: lRes = OnKillFocus(uMsg, wParam, lParam, bHandled); break;
    case WM_SETFOCUS: lRes = OnSetFocus(uMsg, wParam, lParam, bHandled); break;
    case WM_LBUTTONDOWN: lRes = OnLButtonDown(uMsg, wParam, lParam, bHandled); break;
    case WM_LBUTTONUP: lRes = OnLButtonUp(uMsg, wParam, lParam, bHandled); break;
    case WM_MOUSEMOVE: lRes = OnMouseMove(uMsg, wParam, lParam, bHandled); break;
    default: bHandled = false; break;
    }
    if (bHandled)
        return lRes;

    bHandled = false;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;

    if (m_pm.HandleWindowMessage(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace SkinUI
