#include "UIManager.h"

#include <commctrl.h>

#include "UIControl.h"
#include "UIRender.h"
#include "UIZip.h"

namespace SkinUI {

// ---------------------------------------------------------------------------
// Process-wide state
// ---------------------------------------------------------------------------
HINSTANCE CUIManager::m_hInstance = NULL;
CUIString CUIManager::m_pStrResourcePath;
CUIString CUIManager::m_pStrResourceZip;
bool CUIManager::m_bCachedResourceZip = false;
UIZipHandle* CUIManager::m_hResourceZip = NULL;
CUIPtrArray CUIManager::m_aManagers;
CUIPtrArray CUIManager::m_aControlFactories;
HPEN CUIManager::m_hUpdateRectPen = NULL;
short CUIManager::m_H = 180;
short CUIManager::m_S = 100;
short CUIManager::m_L = 100;

namespace {

const wchar_t kMemoryZipName[] = L"membuffer";

} // namespace

void CUIManager::SetInstance(HINSTANCE hInst)
{
    m_hInstance = hInst;
}

HINSTANCE CUIManager::GetInstance()
{
    return m_hInstance;
}

CUIString CUIManager::GetInstancePath()
{
    if (m_hInstance == NULL)
        return CUIString();
    // One more than the size handed to the platform, so the text always ends
    // with a terminator even when the path was cut.
    wchar_t szModule[MAX_PATH + 1];
    ::ZeroMemory(szModule, sizeof(szModule));
    ::GetModuleFileNameW(m_hInstance, szModule, MAX_PATH);
    CUIString sPath(szModule);
    int pos = sPath.ReverseFindChar(L'\\');
    if (pos >= 0)
        sPath = sPath.Left(pos + 1);
    return sPath;
}

HINSTANCE CUIManager::GetResourceInstance()
{
    return m_hInstance;
}

const CUIString& CUIManager::GetResourcePath()
{
    return m_pStrResourcePath;
}

const CUIString& CUIManager::GetResourceZipName()
{
    return m_pStrResourceZip;
}

bool CUIManager::IsResourceZipCached()
{
    return m_bCachedResourceZip;
}

UIZipHandle* CUIManager::GetResourceZipHandle()
{
    return m_hResourceZip;
}

void CUIManager::SetResourcePath(LPCTSTR pStrPath)
{
    m_pStrResourcePath = pStrPath;
    int len = m_pStrResourcePath.GetLength();
    if (len == 0)
        return;
    wchar_t last = m_pStrResourcePath.GetAt(len - 1);
    if (last != L'\\' && last != L'/')
        m_pStrResourcePath += L'\\';
}

void CUIManager::SetResourceZipMemory(const void* data, unsigned size)
{
    if (m_pStrResourceZip == kMemoryZipName)
        return;
    if (m_bCachedResourceZip && m_hResourceZip != NULL) {
        UIZipClose(m_hResourceZip);
        m_hResourceZip = NULL;
    }
    m_pStrResourceZip = kMemoryZipName;
    m_bCachedResourceZip = true;
    m_hResourceZip = UIZipOpen(data, size, UIZipFromMemory);
}

void CUIManager::SetResourceZipFile(LPCTSTR name, bool cached)
{
    if (name == NULL)
        name = L"";
    if (m_pStrResourceZip == name && m_bCachedResourceZip == cached)
        return;
    if (m_bCachedResourceZip && m_hResourceZip != NULL) {
        UIZipClose(m_hResourceZip);
        m_hResourceZip = NULL;
    }
    m_pStrResourceZip = name;
    m_bCachedResourceZip = cached;
    if (cached) {
        CUIString sFile = m_pStrResourcePath;
        sFile += m_pStrResourceZip;
        m_hResourceZip = UIZipOpen(sFile.GetData(), 0, UIZipFromFile);
    }
}

void CUIManager::ResetResourceState()
{
    if (m_hResourceZip != NULL) {
        UIZipClose(m_hResourceZip);
        m_hResourceZip = NULL;
    }
    m_bCachedResourceZip = false;
    m_pStrResourceZip.Empty();
    m_pStrResourcePath.Empty();
}

void CUIManager::GetHSL(short* H, short* S, short* L)
{
    if (H != NULL)
        *H = m_H;
    if (S != NULL)
        *S = m_S;
    if (L != NULL)
        *L = m_L;
}

CUIPtrArray* CUIManager::GetControlFactories()
{
    return &m_aControlFactories;
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------
CUIManager::CUIManager()
    : m_hWndPaint(NULL),
      m_nOpacity(255),
      m_hDcPaint(NULL),
      m_hDcOffscreen(NULL),
      m_hDcBackground(NULL),
      m_hbmpOffscreen(NULL),
      m_hbmpBackground(NULL),
      m_hwndTooltip(NULL),
      m_bShowUpdateRect(false),
      m_pRoot(NULL),
      m_pFocus(NULL),
      m_pEventHover(NULL),
      m_pEventClick(NULL),
      m_pEventKey(NULL),
      m_szMinWindow(0, 0),
      m_szMaxWindow(0, 0),
      m_szInitWindowSize(0, 0),
      m_rcSizeBox(0, 0, 0, 0),
      m_szRoundCorner(0, 0),
      m_rcCaption(0, 0, 0, 0),
      m_uTimerID(0x1000),
      m_bFirstLayout(true),
      m_bUpdateNeeded(false),
      m_bFocusNeeded(false),
      m_bOffscreenPaint(true),
      m_bBackgroundTransparent(false),
      m_bMouseTracking(false),
      m_bMouseCapture(false),
      m_bUseVirtualWnd(false),
      m_mNameHash(83),
      m_mOptionGroup(83),
      m_pParentResourceMgr(NULL),
      m_dwDefaultDisabledColor(0xFFA7A6AA),
      m_dwDefaultFontColor(0xFF000000),
      m_dwDefaultLinkFontColor(0xFF0000FF),
      m_dwDefaultLinkHoverFontColor(0xFFD3215F),
      m_dwDefaultSelectedBkColor(0xFFBAE4FF),
      m_mImageHash(83),
      m_DefaultAttrHash(83)
{
    ::ZeroMemory(&m_ToolTip, sizeof(m_ToolTip));
    m_ptLastMousePos.x = -1;
    m_ptLastMousePos.y = -1;

    LOGFONTW lf;
    ::ZeroMemory(&lf, sizeof(lf));
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    m_DefaultFontInfo.hFont = ::CreateFontIndirectW(&lf);
    m_DefaultFontInfo.sFontName = lf.lfFaceName;
    m_DefaultFontInfo.iSize = -lf.lfHeight;
    m_DefaultFontInfo.bBold = (lf.lfWeight >= FW_BOLD);
    m_DefaultFontInfo.bUnderline = (lf.lfUnderline == TRUE);
    m_DefaultFontInfo.bItalic = (lf.lfItalic == TRUE);
    ::ZeroMemory(&m_DefaultFontInfo.tm, sizeof(m_DefaultFontInfo.tm));

    if (m_hUpdateRectPen == NULL) {
        m_hUpdateRectPen = ::CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
        ::InitCommonControls();
        ::LoadLibraryW(L"msimg32.dll");
    }
}

CUIManager::~CUIManager()
{
    // Delete the controls first: their destructors reap themselves from this
    // manager while the timers, fonts and images still exist.
    for (int i = 0; i < m_aDelayedCleanup.GetSize(); i++)
        delete static_cast<CControlUI*>(m_aDelayedCleanup[i]);
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++)
        delete static_cast<UINotify*>(m_aAsyncNotify[i]);
    m_aAsyncNotify.Empty();
    m_mNameHash.RemoveAll();
    if (m_pRoot != NULL) {
        CControlUI* pRoot = m_pRoot;
        m_pRoot = NULL;
        delete pRoot;
    }

    if (m_DefaultFontInfo.hFont != NULL)
        ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = NULL;
    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllDefaultAttributes();
    RemoveAllOptionGroups();
    RemoveAllTimers();

    if (m_hwndTooltip != NULL) {
        ::DestroyWindow(m_hwndTooltip);
        m_hwndTooltip = NULL;
    }
    if (m_hDcOffscreen != NULL)
        ::DeleteDC(m_hDcOffscreen);
    if (m_hDcBackground != NULL)
        ::DeleteDC(m_hDcBackground);
    if (m_hbmpOffscreen != NULL)
        ::DeleteObject(m_hbmpOffscreen);
    if (m_hbmpBackground != NULL)
        ::DeleteObject(m_hbmpBackground);
    if (m_hDcPaint != NULL)
        ::ReleaseDC(m_hWndPaint, m_hDcPaint);

    int index = m_aManagers.Find(this);
    if (index >= 0)
        m_aManagers.Remove(index);
}

void CUIManager::Init(HWND hWnd)
{
    m_hWndPaint = hWnd;
    m_hDcPaint = ::GetDC(hWnd);
    m_aManagers.Add(this);
}

HWND CUIManager::GetPaintWindow() const
{
    return m_hWndPaint;
}

HDC CUIManager::GetPaintDC() const
{
    return m_hDcPaint;
}

// ---------------------------------------------------------------------------
// Images
// ---------------------------------------------------------------------------
UIImageInfo* CUIManager::AddImage(LPCTSTR name, LPCTSTR type, DWORD mask)
{
    if (name == NULL)
        return NULL;
    const bool typed = (type != NULL && *type != 0);
    UIImageInfo* data = NULL;
    if (typed) {
        // With a resource type the name is a decimal resource number.
        if (name[0] < L'0' || name[0] > L'9')
            return NULL;
        unsigned long id = wcstoul(name, NULL, 10);
        if (id > 0xFFFF) // no resource can carry such a number
            return NULL;
        data = CUIRender::LoadImageInfo(MAKEINTRESOURCEW(id), type, mask);
    } else {
        data = CUIRender::LoadImageInfo(name, NULL, mask);
    }
    if (data == NULL)
        return NULL;
    if (typed)
        data->sResType = type;
    data->dwMask = mask;
    if (!m_mImageHash.Insert(name, data)) {
        CUIRender::FreeImageInfo(data);
        return NULL;
    }
    return data;
}

UIImageInfo* CUIManager::GetImageEx(LPCTSTR name, LPCTSTR type, DWORD mask)
{
    if (name == NULL)
        return NULL;
    UIImageInfo* data = static_cast<UIImageInfo*>(m_mImageHash.Find(name));
    if (data == NULL)
        data = AddImage(name, type, mask);
    return data;
}

void CUIManager::RemoveAllImages()
{
    for (int i = 0;; i++) {
        LPCTSTR key = m_mImageHash.GetKeyAt(i);
        if (key == NULL)
            break;
        UIImageInfo* data = static_cast<UIImageInfo*>(m_mImageHash.Find(key, false));
        if (data != NULL)
            CUIRender::FreeImageInfo(data);
    }
    m_mImageHash.RemoveAll();
}

// ---------------------------------------------------------------------------
// Message loop translation
// ---------------------------------------------------------------------------
bool CUIManager::TranslateMessage(const MSG* pMsg)
{
    if (pMsg == NULL || pMsg->hwnd == NULL)
        return false;
    CUIManager* pFound = NULL;
    LONG_PTR style = ::GetWindowLongPtrW(pMsg->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        HWND hWndParent = ::GetParent(pMsg->hwnd);
        for (int i = 0; i < m_aManagers.GetSize() && pFound == NULL; i++) {
            CUIManager* pT = static_cast<CUIManager*>(m_aManagers[i]);
            HWND hWndPaint = pT->GetPaintWindow();
            if (hWndPaint == NULL)
                continue;
            if (pMsg->hwnd == hWndPaint) {
                pFound = pT;
                break;
            }
            for (HWND hTemp = hWndParent; hTemp != NULL; hTemp = ::GetParent(hTemp)) {
                if (hTemp == hWndPaint) {
                    pFound = pT;
                    break;
                }
            }
        }
    } else {
        for (int i = 0; i < m_aManagers.GetSize(); i++) {
            CUIManager* pT = static_cast<CUIManager*>(m_aManagers[i]);
            if (pMsg->hwnd == pT->GetPaintWindow()) {
                pFound = pT;
                break;
            }
        }
    }
    if (pFound == NULL)
        return false;
    if (pFound->TranslateAccelerators(const_cast<MSG*>(pMsg)))
        return true;
    LRESULT lRes = 0;
    return pFound->PreTranslateMessage(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
}

void CUIManager::RunMessageLoop()
{
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, NULL, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (!CUIManager::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

WORD CUIManager::GetKeyStateFlags()
{
    WORD wState = 0;
    if (::GetKeyState(VK_LBUTTON) < 0)
        wState |= MK_LBUTTON;
    if (::GetKeyState(VK_RBUTTON) < 0)
        wState |= MK_RBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0)
        wState |= MK_SHIFT;
    if (::GetKeyState(VK_CONTROL) < 0)
        wState |= MK_CONTROL;
    if (::GetKeyState(VK_MENU) < 0)
        wState |= UIKeyStateAlt;
    return wState;
}

bool CUIManager::TranslateAccelerators(MSG* pMsg)
{
    for (int i = 0; i < m_aTranslateAccelerator.GetSize(); i++) {
        ITranslateAccelerator* pAccel = static_cast<ITranslateAccelerator*>(m_aTranslateAccelerator[i]);
        if (pAccel->TranslateAccelerator(pMsg) == S_OK)
            return true;
    }
    return false;
}

bool CUIManager::AddAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return m_aTranslateAccelerator.Add(pTranslateAccelerator);
}

bool CUIManager::RemoveAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    int index = m_aTranslateAccelerator.Find(pTranslateAccelerator);
    if (index < 0)
        return false;
    return m_aTranslateAccelerator.Remove(index);
}

// ---------------------------------------------------------------------------
// Geometry settings
// ---------------------------------------------------------------------------
void CUIManager::SetInitSize(int, int) {} // not yet implemented
const CUIRect& CUIManager::GetSizeBox() const { return m_rcSizeBox; }
void CUIManager::SetSizeBox(const RECT&) {} // not yet implemented
const CUIRect& CUIManager::GetCaptionRect() const { return m_rcCaption; }
void CUIManager::SetCaptionRect(const RECT&) {} // not yet implemented
CUISize CUIManager::GetRoundCorner() const { return m_szRoundCorner; }
void CUIManager::SetRoundCorner(int, int) {} // not yet implemented
CUISize CUIManager::GetMinInfo() const { return m_szMinWindow; }
void CUIManager::SetMinInfo(int, int) {} // not yet implemented
void CUIManager::SetMaxInfo(int, int) {} // not yet implemented
POINT CUIManager::GetMousePos() const { return m_ptLastMousePos; }
void CUIManager::SetShowUpdateRect(bool) {} // not yet implemented
void CUIManager::SetBackgroundTransparent(bool) {} // not yet implemented
void CUIManager::SetTransparent(int) {} // not yet implemented
void CUIManager::NeedUpdate() {} // not yet implemented
void CUIManager::Invalidate(const RECT&) {} // not yet implemented

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------
DWORD CUIManager::GetDisabledTextColor() const { return m_dwDefaultDisabledColor; } // not yet implemented
void CUIManager::SetDisabledTextColor(DWORD) {} // not yet implemented
DWORD CUIManager::GetDefaultTextColor() const { return m_dwDefaultFontColor; } // not yet implemented
void CUIManager::SetDefaultTextColor(DWORD) {} // not yet implemented
DWORD CUIManager::GetLinkTextColor() const { return m_dwDefaultLinkFontColor; } // not yet implemented
void CUIManager::SetLinkTextColor(DWORD) {} // not yet implemented
DWORD CUIManager::GetLinkHoverTextColor() const { return m_dwDefaultLinkHoverFontColor; } // not yet implemented
void CUIManager::SetLinkHoverTextColor(DWORD) {} // not yet implemented
DWORD CUIManager::GetSelectedColor() const { return m_dwDefaultSelectedBkColor; } // not yet implemented
void CUIManager::SetSelectedColor(DWORD) {} // not yet implemented
bool CUIManager::SetParentResourceManager(CUIManager*) { return false; } // not yet implemented

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------
HFONT CUIManager::AddFont(LPCTSTR, int, bool, bool, bool) { return NULL; } // not yet implemented
void CUIManager::SetDefaultFont(LPCTSTR, int, bool, bool, bool) {} // not yet implemented
UIFontInfo* CUIManager::GetDefaultFontInfo() { return &m_DefaultFontInfo; } // not yet implemented
HFONT CUIManager::GetFont(int) { return m_DefaultFontInfo.hFont; } // not yet implemented
UIFontInfo* CUIManager::GetFontInfoByIndex(int) { return &m_DefaultFontInfo; } // not yet implemented
UIFontInfo* CUIManager::GetFontInfoByHandle(HFONT) { return &m_DefaultFontInfo; } // not yet implemented
HFONT CUIManager::FindFont(LPCTSTR, int, bool, bool, bool) { return NULL; } // not yet implemented
void CUIManager::RemoveAllFonts() {} // not yet implemented

// ---------------------------------------------------------------------------
// Default attribute lists and option groups
// ---------------------------------------------------------------------------
void CUIManager::AddDefaultAttributes(LPCTSTR, LPCTSTR) {} // not yet implemented
LPCTSTR CUIManager::GetDefaultAttributes(LPCTSTR) { return NULL; } // not yet implemented
void CUIManager::RemoveAllDefaultAttributes() {} // not yet implemented
bool CUIManager::AddOptionGroup(LPCTSTR, CControlUI*) { return false; } // not yet implemented
CUIPtrArray* CUIManager::GetOptionGroup(LPCTSTR) { return NULL; } // not yet implemented
void CUIManager::RemoveOptionGroup(LPCTSTR, CControlUI*) {} // not yet implemented
void CUIManager::RemoveAllOptionGroups() {} // not yet implemented

// ---------------------------------------------------------------------------
// The control tree
// ---------------------------------------------------------------------------
bool CUIManager::InitControls(CControlUI*, CControlUI*) { return false; } // not yet implemented
CControlUI* CUIManager::FindControlByName(LPCTSTR) { return NULL; } // not yet implemented
void CUIManager::ReapObjects(CControlUI*) {} // not yet implemented
CControlUI* CUIManager::FindControlAt(POINT) const { return NULL; } // not yet implemented
CControlUI* CUIManager::GetRoot() const { return m_pRoot; }
bool CUIManager::AttachRoot(CControlUI*) { return false; } // not yet implemented
void CUIManager::AddDelayedCleanup(CControlUI*) {} // not yet implemented
void CUIManager::SetUseVirtualWindow(bool) {} // not yet implemented

// ---------------------------------------------------------------------------
// Messages, notifications, focus, timers, capture
// ---------------------------------------------------------------------------
bool CUIManager::HandleWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; } // not yet implemented
bool CUIManager::PreTranslateMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; } // not yet implemented
bool CUIManager::AddNotifier(INotifyUI*) { return false; } // not yet implemented
bool CUIManager::RemoveNotifier(INotifyUI*) { return false; } // not yet implemented
bool CUIManager::AddPreMessageFilter(IMessageFilterUI*) { return false; } // not yet implemented
bool CUIManager::RemovePreMessageFilter(IMessageFilterUI*) { return false; } // not yet implemented
bool CUIManager::AddMessageFilter(IMessageFilterUI*) { return false; } // not yet implemented
bool CUIManager::RemoveMessageFilter(IMessageFilterUI*) { return false; } // not yet implemented
bool CUIManager::AddPostPaint(CControlUI*) { return false; } // not yet implemented
bool CUIManager::RemovePostPaint(CControlUI*) { return false; } // not yet implemented
void CUIManager::SendNotify(CControlUI*, LPCTSTR, WPARAM, LPARAM, bool) {} // not yet implemented
void CUIManager::DispatchNotify(UINotify&, bool) {} // not yet implemented
CControlUI* CUIManager::GetFocus() const { return m_pFocus; }
void CUIManager::SetFocus(CControlUI*) {} // not yet implemented
void CUIManager::SetFocusNeeded(CControlUI*) {} // not yet implemented
bool CUIManager::FocusNextTabStop(bool) { return false; } // not yet implemented
bool CUIManager::SetTimer(CControlUI*, UINT, UINT) { return false; } // not yet implemented
bool CUIManager::KillTimer(CControlUI*, UINT) { return false; } // not yet implemented
void CUIManager::KillTimersOf(CControlUI*) {} // not yet implemented
void CUIManager::RemoveAllTimers() {} // not yet implemented
void CUIManager::BeginCapture() {} // not yet implemented
void CUIManager::EndCapture() {} // not yet implemented
bool CUIManager::IsCaptured() const { return m_bMouseCapture; }

} // namespace SkinUI
