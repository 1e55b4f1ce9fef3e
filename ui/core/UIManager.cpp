#include "UIManager.h"

#include <commctrl.h>
#include <string.h>
#include <wchar.h>
#include <windowsx.h>

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
// Helpers
// ---------------------------------------------------------------------------

// Registers itself as the innermost alive frame of a manager for as long as
// it lives; Gone() tells whether the manager was destroyed meanwhile (then
// nothing of the manager may be touched any more).
// The frame is popped again by the destructor (unless the manager is gone).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
class CUIManagerWatch
{
public:
    explicit CUIManagerWatch(CUIManager* pManager) : m_pManager(pManager)
    {
        m_frame.bDestroyed = false;
        m_frame.pOuter = pManager->m_pAliveFrames;
        pManager->m_pAliveFrames = &m_frame;
    }
    ~CUIManagerWatch()
    {
        if (!m_frame.bDestroyed)
            m_pManager->m_pAliveFrames = m_frame.pOuter;
    }
    bool Gone() const { return m_frame.bDestroyed; }

private:
    CUIManagerWatch(const CUIManagerWatch&);
    CUIManagerWatch& operator=(const CUIManagerWatch&);

    CUIManager* m_pManager;
    CUIManager::AliveFrame m_frame;
};
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif

namespace {

// The manager's own message: delete the delayed-cleanup controls.
const UINT kMsgDelayedCleanup = WM_APP + 1;
// Messages reflected to the child window they concern come at message + this.
const UINT kReflectOffset = 0x2000;
// Win32 timer ids cycle through 0..254 (0 itself is never handed out).
const UINT kTimerIdModulus = 255;
const UINT kDefaultHoverTime = 400;

UIEvent MakeEvent(int kind, CControlUI* pSender)
{
    UIEvent event;
    ::ZeroMemory(&event, sizeof(event));
    event.nKind = kind;
    event.pSender = pSender;
    event.dwTimestamp = ::GetTickCount();
    return event;
}

POINT PointFromLParam(LPARAM lParam)
{
    POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    return pt;
}

wchar_t UpperChar(wchar_t ch)
{
    // CharUpperW converts a single character passed in the low word.
    return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(ch)))));
}

// Calls fn for every element of a list of listeners that the listeners may
// change while they are called: an element that removed itself (or one before
// it) does not make the next one be skipped.
template <class T, class Fn>
bool ForEachListener(const CUIPtrArray& list, CUIManagerWatch& watch, Fn fn)
{
    int i = 0;
    while (i < list.GetSize()) {
        T* p = static_cast<T*>(list[i]);
        if (fn(p) || watch.Gone())
            return true;
        // When p is no longer at i, either an earlier entry left (p moved
        // down one) or p itself left: in both cases the next one is at i.
        if (list.GetAt(i) == p)
            ++i;
    }
    return false;
}

CControlUI* FindControlFromPoint(CControlUI* pThis, LPVOID pData)
{
    const POINT* pt = static_cast<const POINT*>(pData);
    const RECT& rc = pThis->GetPos();
    return ::PtInRect(&rc, *pt) ? pThis : NULL;
}

struct TabSearch
{
    CControlUI* pFocus;   // where the walk starts (may be null)
    CControlUI* pLast;    // the last tab stop seen
    bool bForward;
    bool bNextIsIt;
};

CControlUI* FindControlFromTab(CControlUI* pThis, LPVOID pData)
{
    TabSearch* info = static_cast<TabSearch*>(pData);
    if (pThis == info->pFocus) {
        if (info->bForward) {
            info->bNextIsIt = true;
            return NULL;
        }
        return info->pLast;
    }
    if ((pThis->GetInputFlags() & TabStop) == 0)
        return NULL;
    info->pLast = pThis;
    if (info->bNextIsIt || info->pFocus == NULL)
        return pThis;
    return NULL;
}

struct ShortcutSearch
{
    wchar_t ch;
    bool bPickNext;
};

CControlUI* FindControlFromShortcut(CControlUI* pThis, LPVOID pData)
{
    ShortcutSearch* info = static_cast<ShortcutSearch*>(pData);
    // Only a visible control's shortcut counts; the control it leads to is
    // the next one in the walk, shown or not, never one further on.
    const wchar_t shortcut = pThis->GetShortcut();
    if (shortcut != 0 && pThis->IsVisible() && UpperChar(shortcut) == info->ch)
        info->bPickNext = true;
    // A label's shortcut goes to the control after it.
    LPCTSTR cls = pThis->GetClassName();
    if (cls != NULL && wcsstr(cls, L"LabelUI") != NULL)
        return NULL;
    return info->bPickNext ? pThis : NULL;
}

// The next control that asks for layout and has not been laid out yet in this
// pass (the list of those already done is the data).
CControlUI* FindControlFromUpdate(CControlUI* pThis, LPVOID pData)
{
    if (!pThis->NeedsLayout())
        return NULL;
    const CUIPtrArray* done = static_cast<const CUIPtrArray*>(pData);
    if (done->Find(pThis) >= 0)
        return NULL;
    return pThis;
}

HFONT CreateSkinFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    LOGFONTW lf;
    ::ZeroMemory(&lf, sizeof(lf));
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    if (pStrFontName != NULL) {
        // The face buffer holds LF_FACESIZE characters including the end.
        ::ZeroMemory(lf.lfFaceName, sizeof(lf.lfFaceName));
        size_t len = wcslen(pStrFontName);
        if (len > LF_FACESIZE - 1)
            len = LF_FACESIZE - 1;
        memcpy(lf.lfFaceName, pStrFontName, len * sizeof(wchar_t));
    }
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    if (bBold)
        lf.lfWeight += FW_BOLD;
    if (bUnderline)
        lf.lfUnderline = TRUE;
    if (bItalic)
        lf.lfItalic = TRUE;
    return ::CreateFontIndirectW(&lf);
}

typedef BOOL(WINAPI* SetLayeredWindowAttributesFn)(HWND, COLORREF, BYTE, DWORD);

} // namespace

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
      m_szPaintBuffers(),
      m_hwndTooltip(NULL),
      m_bShowUpdateRect(false),
      m_nInvalidateBatch(0),
      m_bBatchHasRect(false),
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
      m_bPainted(false),
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
      m_DefaultAttrHash(83),
      m_pAliveFrames(NULL)
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
        ::LoadLibraryW(L"msimg32.dll");
    }
}

bool CUIManager::InitCommonControlClasses(DWORD dwICC)
{
    // Loaded on first use, not imported: the library's start (it sets up the
    // visual styles) is not paid before a window's first picture.
    typedef BOOL(WINAPI * InitCommonControlsExFn)(const INITCOMMONCONTROLSEX*);
    static InitCommonControlsExFn s_pfnInit = NULL;
    if (s_pfnInit == NULL) {
        HMODULE hModule = ::LoadLibraryW(L"comctl32.dll");
        if (hModule == NULL)
            return false;
        s_pfnInit = reinterpret_cast<InitCommonControlsExFn>(
            reinterpret_cast<void*>(::GetProcAddress(hModule, "InitCommonControlsEx")));
        if (s_pfnInit == NULL)
            return false;
    }
    INITCOMMONCONTROLSEX icc;
    icc.dwSize = sizeof(icc);
    icc.dwICC = dwICC;
    return s_pfnInit(&icc) != FALSE;
}

CUIManager::~CUIManager()
{
    // Handlers of this manager still running further up the stack (the window
    // was destroyed from inside one of them) must not touch it any more.
    for (AliveFrame* f = m_pAliveFrames; f != NULL; f = f->pOuter)
        f->bDestroyed = true;
    m_pAliveFrames = NULL;

    // Delete the controls first: their destructors reap themselves from this
    // manager while the timers, fonts and images still exist.
    while (!m_aDelayedCleanup.IsEmpty()) {
        CUIPtrArray aCleanup(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aCleanup.GetSize(); i++)
            delete static_cast<CControlUI*>(aCleanup[i]);
    }
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++)
        delete static_cast<UINotify*>(m_aAsyncNotify[i]);
    m_aAsyncNotify.Empty();
    m_mNameHash.RemoveAll();
    if (m_pRoot != NULL) {
        CControlUI* pRoot = m_pRoot;
        m_pRoot = NULL;
        delete pRoot;
    }
    while (!m_aDelayedCleanup.IsEmpty()) {
        CUIPtrArray aCleanup(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aCleanup.GetSize(); i++)
            delete static_cast<CControlUI*>(aCleanup[i]);
    }
    m_aDispatching.Empty();
    m_aPostPaintControls.Empty();

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
    DeletePaintBuffers();
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
    CUIManagerWatch watch(pFound);
    if (pFound->TranslateAccelerators(const_cast<MSG*>(pMsg)) || watch.Gone())
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
void CUIManager::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize.cx = cx;
    m_szInitWindowSize.cy = cy;
    if (m_pRoot == NULL && m_hWndPaint != NULL)
        ::SetWindowPos(m_hWndPaint, NULL, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const CUIRect& CUIManager::GetSizeBox() const
{
    return m_rcSizeBox;
}

void CUIManager::SetSizeBox(const RECT& rcSizeBox)
{
    m_rcSizeBox = rcSizeBox;
}

const CUIRect& CUIManager::GetCaptionRect() const
{
    return m_rcCaption;
}

void CUIManager::SetCaptionRect(const RECT& rcCaption)
{
    m_rcCaption = rcCaption;
}

CUISize CUIManager::GetRoundCorner() const
{
    return m_szRoundCorner;
}

void CUIManager::SetRoundCorner(int cx, int cy)
{
    m_szRoundCorner.cx = cx;
    m_szRoundCorner.cy = cy;
}

CUISize CUIManager::GetMinInfo() const
{
    return m_szMinWindow;
}

void CUIManager::SetMinInfo(int cx, int cy)
{
    m_szMinWindow.cx = cx;
    m_szMinWindow.cy = cy;
}

void CUIManager::SetMaxInfo(int cx, int cy)
{
    m_szMaxWindow.cx = cx;
    m_szMaxWindow.cy = cy;
}

POINT CUIManager::GetMousePos() const
{
    return m_ptLastMousePos;
}

void CUIManager::SetShowUpdateRect(bool show)
{
    m_bShowUpdateRect = show;
}

void CUIManager::SetBackgroundTransparent(bool transparent)
{
    m_bBackgroundTransparent = transparent;
}

void CUIManager::SetTransparent(int nOpacity)
{
    m_nOpacity = nOpacity < 0 ? 0 : (nOpacity > 255 ? 255 : nOpacity);
    if (m_hWndPaint == NULL)
        return;
    HMODULE hUser32 = ::GetModuleHandleW(L"User32.dll");
    if (hUser32 == NULL)
        return;
    SetLayeredWindowAttributesFn fnSetLayered = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(::GetProcAddress(hUser32, "SetLayeredWindowAttributes")));
    if (fnSetLayered == NULL)
        return;
    const LONG_PTR dwStyle = ::GetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE);
    const LONG_PTR dwNewStyle = (nOpacity >= 0 && nOpacity <= 255) ? (dwStyle | WS_EX_LAYERED)
                                                                  : (dwStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    if (dwStyle != dwNewStyle)
        ::SetWindowLongPtrW(m_hWndPaint, GWL_EXSTYLE, dwNewStyle);
    fnSetLayered(m_hWndPaint, 0, static_cast<BYTE>(nOpacity & 0xFF), LWA_ALPHA);
}

void CUIManager::NeedUpdate()
{
    m_bUpdateNeeded = true;
}

void CUIManager::Invalidate(const RECT& rcItem)
{
    // A null window would invalidate every window of the desktop.
    if (m_hWndPaint == NULL)
        return;
    // An empty rectangle invalidates nothing.
    if (rcItem.left >= rcItem.right || rcItem.top >= rcItem.bottom)
        return;
    if (m_nInvalidateBatch > 0) {
        if (m_bBatchHasRect) {
            ::UnionRect(&m_rcBatch, &m_rcBatch, &rcItem);
        } else {
            m_rcBatch = rcItem;
            m_bBatchHasRect = true;
        }
        return;
    }
    ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

// ---------------------------------------------------------------------------
// Colours and the parent-resource chain
// ---------------------------------------------------------------------------
CUIManager* CUIManager::GetTopResourceManager() const
{
    const CUIManager* pManager = this;
    while (pManager->m_pParentResourceMgr != NULL)
        pManager = pManager->m_pParentResourceMgr;
    return const_cast<CUIManager*>(pManager);
}

DWORD CUIManager::GetDisabledTextColor() const
{
    return GetTopResourceManager()->m_dwDefaultDisabledColor;
}

void CUIManager::SetDisabledTextColor(DWORD dwColor)
{
    m_dwDefaultDisabledColor = dwColor;
}

DWORD CUIManager::GetDefaultTextColor() const
{
    return GetTopResourceManager()->m_dwDefaultFontColor;
}

void CUIManager::SetDefaultTextColor(DWORD dwColor)
{
    m_dwDefaultFontColor = dwColor;
}

DWORD CUIManager::GetLinkTextColor() const
{
    return GetTopResourceManager()->m_dwDefaultLinkFontColor;
}

void CUIManager::SetLinkTextColor(DWORD dwColor)
{
    m_dwDefaultLinkFontColor = dwColor;
}

DWORD CUIManager::GetLinkHoverTextColor() const
{
    return GetTopResourceManager()->m_dwDefaultLinkHoverFontColor;
}

void CUIManager::SetLinkHoverTextColor(DWORD dwColor)
{
    m_dwDefaultLinkHoverFontColor = dwColor;
}

DWORD CUIManager::GetSelectedColor() const
{
    return GetTopResourceManager()->m_dwDefaultSelectedBkColor;
}

void CUIManager::SetSelectedColor(DWORD dwColor)
{
    m_dwDefaultSelectedBkColor = dwColor;
}

bool CUIManager::SetParentResourceManager(CUIManager* pManager)
{
    for (CUIManager* p = pManager; p != NULL; p = p->m_pParentResourceMgr) {
        if (p == this)
            return false;
    }
    m_pParentResourceMgr = pManager;
    return true;
}

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------
void CUIManager::MeasureFont(UIFontInfo* pFontInfo, HDC hDC) const
{
    if (pFontInfo == NULL || pFontInfo->hFont == NULL || hDC == NULL)
        return;
    HGDIOBJ hOldFont = ::SelectObject(hDC, pFontInfo->hFont);
    ::GetTextMetricsW(hDC, &pFontInfo->tm);
    ::SelectObject(hDC, hOldFont);
}

int CUIManager::ClampFontSize(int nSize)
{
    if (nSize > MAX_FONT_SIZE)
        return MAX_FONT_SIZE;
    if (nSize < -MAX_FONT_SIZE)
        return -MAX_FONT_SIZE;
    return nSize;
}

HFONT CUIManager::AddFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    nSize = ClampFontSize(nSize);
    HFONT hFont = CreateSkinFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (hFont == NULL)
        return NULL;
    UIFontInfo* pFontInfo = new UIFontInfo;
    pFontInfo->hFont = hFont;
    pFontInfo->sFontName = pStrFontName;
    pFontInfo->iSize = nSize;
    pFontInfo->bBold = bBold;
    pFontInfo->bUnderline = bUnderline;
    pFontInfo->bItalic = bItalic;
    ::ZeroMemory(&pFontInfo->tm, sizeof(pFontInfo->tm));
    MeasureFont(pFontInfo, m_hDcPaint);
    if (!m_aCustomFonts.Add(pFontInfo)) {
        ::DeleteObject(hFont);
        delete pFontInfo;
        return NULL;
    }
    return hFont;
}

void CUIManager::SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    nSize = ClampFontSize(nSize);
    HFONT hFont = CreateSkinFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (hFont == NULL)
        return;
    if (m_DefaultFontInfo.hFont != NULL)
        ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = hFont;
    m_DefaultFontInfo.sFontName = pStrFontName;
    m_DefaultFontInfo.iSize = nSize;
    m_DefaultFontInfo.bBold = bBold;
    m_DefaultFontInfo.bUnderline = bUnderline;
    m_DefaultFontInfo.bItalic = bItalic;
    ::ZeroMemory(&m_DefaultFontInfo.tm, sizeof(m_DefaultFontInfo.tm));
    MeasureFont(&m_DefaultFontInfo, m_hDcPaint);
}

UIFontInfo* CUIManager::GetDefaultFontInfo()
{
    CUIManager* pTop = GetTopResourceManager();
    UIFontInfo* pFontInfo = &pTop->m_DefaultFontInfo;
    if (pFontInfo->tm.tmHeight == 0)
        MeasureFont(pFontInfo, pTop->m_hDcPaint != NULL ? pTop->m_hDcPaint : m_hDcPaint);
    return pFontInfo;
}

HFONT CUIManager::GetFont(int index)
{
    return GetFontInfoByIndex(index)->hFont;
}

UIFontInfo* CUIManager::GetFontInfoByIndex(int index)
{
    if (index < 0 || index >= m_aCustomFonts.GetSize())
        return GetDefaultFontInfo();
    UIFontInfo* pFontInfo = static_cast<UIFontInfo*>(m_aCustomFonts[index]);
    if (pFontInfo->tm.tmHeight == 0)
        MeasureFont(pFontInfo, m_hDcPaint);
    return pFontInfo;
}

UIFontInfo* CUIManager::GetFontInfoByHandle(HFONT hFont)
{
    if (hFont != NULL) {
        for (CUIManager* pManager = this; pManager != NULL; pManager = pManager->m_pParentResourceMgr) {
            for (int i = 0; i < pManager->m_aCustomFonts.GetSize(); i++) {
                UIFontInfo* pFontInfo = static_cast<UIFontInfo*>(pManager->m_aCustomFonts[i]);
                if (pFontInfo->hFont != hFont)
                    continue;
                if (pFontInfo->tm.tmHeight == 0)
                    MeasureFont(pFontInfo, pManager->m_hDcPaint != NULL ? pManager->m_hDcPaint : m_hDcPaint);
                return pFontInfo;
            }
        }
    }
    return GetDefaultFontInfo();
}

HFONT CUIManager::FindFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (pStrFontName == NULL)
        pStrFontName = L"";
    nSize = ClampFontSize(nSize);
    for (CUIManager* pManager = this; pManager != NULL; pManager = pManager->m_pParentResourceMgr) {
        for (int i = 0; i < pManager->m_aCustomFonts.GetSize(); i++) {
            UIFontInfo* pFontInfo = static_cast<UIFontInfo*>(pManager->m_aCustomFonts[i]);
            if (pFontInfo->sFontName == pStrFontName && pFontInfo->iSize == nSize && pFontInfo->bBold == bBold &&
                pFontInfo->bUnderline == bUnderline && pFontInfo->bItalic == bItalic)
                return pFontInfo->hFont;
        }
    }
    return NULL;
}

void CUIManager::RemoveAllFonts()
{
    for (int i = 0; i < m_aCustomFonts.GetSize(); i++) {
        UIFontInfo* pFontInfo = static_cast<UIFontInfo*>(m_aCustomFonts[i]);
        if (pFontInfo->hFont != NULL)
            ::DeleteObject(pFontInfo->hFont);
        delete pFontInfo;
    }
    m_aCustomFonts.Empty();
}

// ---------------------------------------------------------------------------
// Default attribute lists and option groups
// ---------------------------------------------------------------------------
void CUIManager::AddDefaultAttributes(LPCTSTR pStrControlName, LPCTSTR pStrAttributes)
{
    if (pStrControlName == NULL)
        return;
    CUIString* pAttributes = new CUIString(pStrAttributes != NULL ? pStrAttributes : L"");
    // The first list registered under a name is kept.
    if (!m_DefaultAttrHash.Insert(pStrControlName, pAttributes))
        delete pAttributes;
}

LPCTSTR CUIManager::GetDefaultAttributes(LPCTSTR pStrControlName)
{
    if (pStrControlName == NULL)
        return NULL;
    for (CUIManager* pManager = this; pManager != NULL; pManager = pManager->m_pParentResourceMgr) {
        CUIString* pAttributes = static_cast<CUIString*>(pManager->m_DefaultAttrHash.Find(pStrControlName));
        if (pAttributes != NULL)
            return pAttributes->GetData();
    }
    return NULL;
}

void CUIManager::RemoveAllDefaultAttributes()
{
    for (int i = 0;; i++) {
        LPCTSTR key = m_DefaultAttrHash.GetKeyAt(i);
        if (key == NULL)
            break;
        delete static_cast<CUIString*>(m_DefaultAttrHash.Find(key, false));
    }
    m_DefaultAttrHash.RemoveAll();
}

bool CUIManager::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    if (pStrGroupName == NULL)
        return false;
    CUIPtrArray* aOptionGroup = static_cast<CUIPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (aOptionGroup != NULL) {
        if (aOptionGroup->Find(pControl) >= 0)
            return false;
        return aOptionGroup->Add(pControl);
    }
    aOptionGroup = new CUIPtrArray(6);
    if (!aOptionGroup->Add(pControl) || !m_mOptionGroup.Insert(pStrGroupName, aOptionGroup)) {
        delete aOptionGroup;
        return false;
    }
    return true;
}

CUIPtrArray* CUIManager::GetOptionGroup(LPCTSTR pStrGroupName)
{
    if (pStrGroupName == NULL)
        return NULL;
    return static_cast<CUIPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
}

void CUIManager::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    CUIPtrArray* aOptionGroup = GetOptionGroup(pStrGroupName);
    if (aOptionGroup == NULL)
        return;
    int index = aOptionGroup->Find(pControl);
    if (index >= 0)
        aOptionGroup->Remove(index);
    if (aOptionGroup->IsEmpty()) {
        delete aOptionGroup;
        m_mOptionGroup.Remove(pStrGroupName);
    }
}

void CUIManager::RemoveAllOptionGroups()
{
    for (int i = 0;; i++) {
        LPCTSTR key = m_mOptionGroup.GetKeyAt(i);
        if (key == NULL)
            break;
        delete static_cast<CUIPtrArray*>(m_mOptionGroup.Find(key, false));
    }
    m_mOptionGroup.RemoveAll();
}

// ---------------------------------------------------------------------------
// The control tree
// ---------------------------------------------------------------------------
CControlUI* CUIManager::FindControlFromNameHash(CControlUI* pThis, LPVOID pData)
{
    CUIManager* pManager = static_cast<CUIManager*>(pData);
    CUIString sName = pThis->GetName();
    if (!sName.IsEmpty())
        pManager->m_mNameHash.Set(sName, pThis); // a later control of that name wins
    return NULL;                                  // visit the whole tree
}

bool CUIManager::InitControls(CControlUI* pControl, CControlUI* pParent)
{
    if (pControl == NULL)
        return false;
    pControl->SetManager(this, pParent != NULL ? pParent : pControl->GetParent(), true);
    pControl->FindControl(FindControlFromNameHash, this, 0);
    return true;
}

CControlUI* CUIManager::FindControlByName(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return NULL;
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

void CUIManager::ReapObjects(CControlUI* pControl)
{
    if (pControl == NULL)
        return;
    if (m_pEventClick == pControl)
        m_pEventClick = NULL;
    if (m_pEventHover == pControl)
        m_pEventHover = NULL;
    if (m_pEventKey == pControl)
        m_pEventKey = NULL;
    if (m_pFocus == pControl)
        m_pFocus = NULL;
    KillTimersOf(pControl);
    CUIString sName = pControl->GetName();
    if (!sName.IsEmpty() && m_mNameHash.Find(sName) == pControl)
        m_mNameHash.Remove(sName);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++) {
        UINotify* pMsg = static_cast<UINotify*>(m_aAsyncNotify[i]);
        if (pMsg->pSender == pControl)
            pMsg->pSender = NULL;
    }
    // Notifications being delivered right now lose their sender too, so the
    // notifiers after the one that deleted it see a null sender.
    for (int i = 0; i < m_aDispatching.GetSize(); i++) {
        UINotify* pMsg = static_cast<UINotify*>(m_aDispatching[i]);
        if (pMsg->pSender == pControl)
            pMsg->pSender = NULL;
    }
    // A control that goes away is neither painted after the tree nor deleted
    // a second time by the delayed cleanup.
    for (int i = m_aPostPaintControls.GetSize() - 1; i >= 0; i--) {
        if (m_aPostPaintControls[i] == pControl)
            m_aPostPaintControls.Remove(i);
    }
    for (int i = m_aDelayedCleanup.GetSize() - 1; i >= 0; i--) {
        if (m_aDelayedCleanup[i] == pControl)
            m_aDelayedCleanup.Remove(i);
    }
}

CControlUI* CUIManager::FindControlAt(POINT pt) const
{
    if (m_pRoot == NULL)
        return NULL;
    return m_pRoot->FindControl(FindControlFromPoint, &pt, FindVisible | FindHitTest | FindTopFirst);
}

CControlUI* CUIManager::GetRoot() const
{
    return m_pRoot;
}

bool CUIManager::AttachRoot(CControlUI* pControl)
{
    CUIManagerWatch watch(this);
    SetFocus(NULL);
    if (watch.Gone())
        return false;
    m_pEventKey = NULL;
    m_pEventHover = NULL;
    m_pEventClick = NULL;
    if (m_pRoot != NULL) {
        m_aPostPaintControls.Empty();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    return InitControls(pControl);
}

void CUIManager::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == NULL)
        return;
    pControl->SetManager(this, NULL, false);
    // Queued once only, so it is deleted once only.
    if (m_aDelayedCleanup.Find(pControl) < 0 && !m_aDelayedCleanup.Add(pControl))
        return;
    if (m_hWndPaint != NULL)
        ::PostMessageW(m_hWndPaint, kMsgDelayedCleanup, 0, 0L);
}

void CUIManager::SetUseVirtualWindow(bool bUse)
{
    m_bUseVirtualWnd = bUse;
}

// ---------------------------------------------------------------------------
// Listeners
// ---------------------------------------------------------------------------
namespace {

bool RemoveFirst(CUIPtrArray& list, void* p)
{
    int index = list.Find(p);
    if (index < 0)
        return false;
    return list.Remove(index);
}

} // namespace

bool CUIManager::AddNotifier(INotifyUI* pControl)
{
    return m_aNotifiers.Add(pControl);
}

bool CUIManager::RemoveNotifier(INotifyUI* pControl)
{
    return RemoveFirst(m_aNotifiers, pControl);
}

bool CUIManager::AddPreMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aPreMessageFilters.Add(pFilter);
}

bool CUIManager::RemovePreMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aPreMessageFilters, pFilter);
}

bool CUIManager::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aMessageFilters.Add(pFilter);
}

bool CUIManager::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aMessageFilters, pFilter);
}

bool CUIManager::AddPostPaint(CControlUI* pControl)
{
    return m_aPostPaintControls.Add(pControl);
}

bool CUIManager::RemovePostPaint(CControlUI* pControl)
{
    return RemoveFirst(m_aPostPaintControls, pControl);
}

// ---------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------
void CUIManager::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam, bool bAsync)
{
    UINotify Msg;
    Msg.pSender = pControl;
    Msg.sType = pstrMessage;
    Msg.wParam = wParam;
    Msg.lParam = lParam;
    DispatchNotify(Msg, bAsync);
}

void CUIManager::DispatchNotify(UINotify& Msg, bool bAsync)
{
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (m_bUseVirtualWnd && Msg.pSender != NULL)
        Msg.sVirtualWnd = Msg.pSender->GetVirtualWindow();
    if (!bAsync) {
        DeliverNotify(Msg);
        return;
    }
    UINotify* pMsg = new UINotify;
    pMsg->sType = Msg.sType;
    pMsg->sVirtualWnd = Msg.sVirtualWnd;
    pMsg->pSender = Msg.pSender;
    pMsg->dwTimestamp = Msg.dwTimestamp;
    pMsg->ptMouse = Msg.ptMouse;
    pMsg->wParam = Msg.wParam;
    pMsg->lParam = Msg.lParam;
    if (!m_aAsyncNotify.Add(pMsg))
        delete pMsg;
}

// Delivers a notification now: the sender's own notify handlers first, then
// every notifier in the order added. False when the manager went away.
bool CUIManager::DeliverNotify(UINotify& Msg)
{
    CUIManagerWatch watch(this);
    m_aDispatching.Add(&Msg);
    if (Msg.pSender != NULL && Msg.pSender->NotifyHandlers)
        Msg.pSender->NotifyHandlers.Fire(&Msg);
    if (watch.Gone())
        return false;
    ForEachListener<INotifyUI>(m_aNotifiers, watch, [&Msg](INotifyUI* pNotifier) {
        pNotifier->Notify(Msg);
        return false;
    });
    if (watch.Gone())
        return false;
    for (int i = m_aDispatching.GetSize() - 1; i >= 0; i--) {
        if (m_aDispatching[i] == &Msg) {
            m_aDispatching.Remove(i);
            break;
        }
    }
    return true;
}

bool CUIManager::DrainAsyncNotify()
{
    while (!m_aAsyncNotify.IsEmpty()) {
        UINotify* pMsg = static_cast<UINotify*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        const bool alive = DeliverNotify(*pMsg);
        delete pMsg;
        if (!alive)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Focus
// ---------------------------------------------------------------------------
CControlUI* CUIManager::GetFocus() const
{
    return m_pFocus;
}

void CUIManager::SetFocus(CControlUI* pControl)
{
    CUIManagerWatch watch(this);
    if (m_hWndPaint != NULL && ::GetFocus() != m_hWndPaint && pControl != m_pFocus) {
        ::SetFocus(m_hWndPaint);
        if (watch.Gone())
            return;
    }
    if (pControl == m_pFocus)
        return;
    if (m_pFocus != NULL) {
        CControlUI* pOld = m_pFocus;
        UIEvent event = MakeEvent(UIEventKillFocus, pControl);
        pOld->DispatchEvent(event);
        if (watch.Gone())
            return;
        // Skipped when the old focus was reaped by its own handler.
        if (m_pFocus == pOld) {
            SendNotify(pOld, L"killfocus");
            if (watch.Gone())
                return;
        }
        if (m_pFocus != pOld && m_pFocus != NULL)
            return; // a handler moved the focus itself: its choice stands
        m_pFocus = NULL;
    }
    if (pControl == NULL || pControl->GetManager() != this || !pControl->IsVisible() || !pControl->IsEnabled())
        return;
    m_pFocus = pControl;
    UIEvent event = MakeEvent(UIEventSetFocus, pControl);
    pControl->DispatchEvent(event);
    if (watch.Gone())
        return;
    if (m_pFocus == pControl)
        SendNotify(pControl, L"setfocus");
}

void CUIManager::SetFocusNeeded(CControlUI* pControl)
{
    CUIManagerWatch watch(this);
    if (m_hWndPaint != NULL) {
        ::SetFocus(m_hWndPaint);
        if (watch.Gone())
            return;
    }
    if (pControl == NULL)
        return;
    if (m_pFocus != NULL) {
        CControlUI* pOld = m_pFocus;
        UIEvent event = MakeEvent(UIEventKillFocus, pControl);
        pOld->DispatchEvent(event);
        if (watch.Gone())
            return;
        if (m_pFocus == pOld) {
            SendNotify(pOld, L"killfocus");
            if (watch.Gone())
                return;
        }
        m_pFocus = NULL;
    }
    TabSearch info = { pControl, NULL, false, false };
    if (m_pRoot != NULL)
        m_pRoot->FindControl(FindControlFromTab, &info, FindVisible | FindEnabled | FindMeFirst);
    m_pFocus = info.pLast;
    m_bFocusNeeded = true;
    if (m_pRoot != NULL)
        m_pRoot->RequestLayout();
}

bool CUIManager::FocusNextTabStop(bool bForward)
{
    if (m_bUpdateNeeded && bForward) {
        m_bFocusNeeded = true;
        if (m_hWndPaint != NULL)
            ::InvalidateRect(m_hWndPaint, NULL, FALSE);
        return true;
    }
    CUIManagerWatch watch(this);
    if (m_pRoot != NULL) {
        const UINT uFlags = FindVisible | FindEnabled | FindMeFirst;
        TabSearch info1 = { m_pFocus, NULL, bForward, false };
        CControlUI* pControl = m_pRoot->FindControl(FindControlFromTab, &info1, uFlags);
        if (pControl == NULL) {
            if (bForward) {
                // Past the last tab stop: the first one of the window.
                TabSearch info2 = { NULL, NULL, true, false };
                pControl = m_pRoot->FindControl(FindControlFromTab, &info2, uFlags);
            } else {
                // Before the first tab stop: the last one of the window.
                pControl = info1.pLast;
            }
        }
        if (pControl != NULL) {
            SetFocus(pControl);
            if (watch.Gone())
                return true;
        }
    }
    m_bFocusNeeded = false;
    return true;
}

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------

// The next Win32 id of the window's sequence (17, 18, ... modulo 255),
// passing over 0 and over ids that a record of this window still holds, so a
// new timer never replaces or takes the events of another one.
UINT CUIManager::NextWinTimerId()
{
    for (UINT tries = 0; tries < kTimerIdModulus; tries++) {
        m_uTimerID = (m_uTimerID + 1) % kTimerIdModulus;
        if (m_uTimerID == 0)
            continue;
        bool held = false;
        for (int i = 0; i < m_aTimers.GetSize() && !held; i++) {
            const UITimerInfo* pTimer = static_cast<const UITimerInfo*>(m_aTimers[i]);
            held = (pTimer->hWnd == m_hWndPaint && pTimer->uWinTimer == m_uTimerID);
        }
        if (!held)
            return m_uTimerID;
    }
    return 0;
}

bool CUIManager::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    if (pControl == NULL || m_hWndPaint == NULL)
        return false;
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        UITimerInfo* pTimer = static_cast<UITimerInfo*>(m_aTimers[i]);
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->nLocalID == nTimerID) {
            if (!pTimer->bKilled)
                return false;
            if (::SetTimer(m_hWndPaint, pTimer->uWinTimer, uElapse, NULL) == 0)
                return false;
            pTimer->bKilled = false;
            return true;
        }
    }
    const UINT uWinTimer = NextWinTimerId();
    if (uWinTimer == 0)
        return false;
    if (::SetTimer(m_hWndPaint, uWinTimer, uElapse, NULL) == 0)
        return false;
    UITimerInfo* pTimer = new UITimerInfo;
    pTimer->pSender = pControl;
    pTimer->nLocalID = nTimerID;
    pTimer->hWnd = m_hWndPaint;
    pTimer->uWinTimer = uWinTimer;
    pTimer->bKilled = false;
    if (!m_aTimers.Add(pTimer)) {
        ::KillTimer(m_hWndPaint, uWinTimer);
        delete pTimer;
        return false;
    }
    return true;
}

bool CUIManager::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        UITimerInfo* pTimer = static_cast<UITimerInfo*>(m_aTimers[i]);
        if (pTimer->pSender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->nLocalID == nTimerID &&
            !pTimer->bKilled) {
            if (::IsWindow(m_hWndPaint))
                ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
            pTimer->bKilled = true;
            return true;
        }
    }
    return false;
}

void CUIManager::KillTimersOf(CControlUI* pControl)
{
    for (int i = m_aTimers.GetSize() - 1; i >= 0; i--) {
        UITimerInfo* pTimer = static_cast<UITimerInfo*>(m_aTimers[i]);
        if (pTimer->pSender != pControl)
            continue;
        if (!pTimer->bKilled && ::IsWindow(pTimer->hWnd))
            ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
        delete pTimer;
        m_aTimers.Remove(i);
    }
}

void CUIManager::RemoveAllTimers()
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        UITimerInfo* pTimer = static_cast<UITimerInfo*>(m_aTimers[i]);
        if (!pTimer->bKilled && ::IsWindow(pTimer->hWnd))
            ::KillTimer(pTimer->hWnd, pTimer->uWinTimer);
        delete pTimer;
    }
    m_aTimers.Empty();
}

// ---------------------------------------------------------------------------
// Capture
// ---------------------------------------------------------------------------
void CUIManager::BeginCapture()
{
    if (m_hWndPaint != NULL)
        ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CUIManager::EndCapture()
{
    m_bMouseCapture = false;
    ::ReleaseCapture();
}

bool CUIManager::IsCaptured() const
{
    return m_bMouseCapture;
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------
void CUIManager::DeletePaintBuffers()
{
    // The DCs go first so that their bitmaps are no longer selected.
    if (m_hDcOffscreen != NULL)
        ::DeleteDC(m_hDcOffscreen);
    if (m_hDcBackground != NULL)
        ::DeleteDC(m_hDcBackground);
    if (m_hbmpOffscreen != NULL)
        ::DeleteObject(m_hbmpOffscreen);
    if (m_hbmpBackground != NULL)
        ::DeleteObject(m_hbmpBackground);
    m_hDcOffscreen = NULL;
    m_hDcBackground = NULL;
    m_hbmpOffscreen = NULL;
    m_hbmpBackground = NULL;
    m_szPaintBuffers.cx = m_szPaintBuffers.cy = 0;
}

// The deferred layout pass. False when the manager went away meanwhile.
// A pass moves many controls, and each asks for its old and new place to be
// repainted. The paint that follows the pass covers them all, so the requests
// are gathered into one rectangle and handed to the system once, instead of one
// system call per control.
bool CUIManager::RunLayoutPass()
{
    CUIManagerWatch watch(this);
    if (m_nInvalidateBatch++ == 0)
        m_bBatchHasRect = false;
    const bool bLaidOut = LayOutControls();
    if (watch.Gone())
        return false;
    if (--m_nInvalidateBatch == 0 && m_bBatchHasRect) {
        m_bBatchHasRect = false;
        if (m_hWndPaint != NULL)
            ::InvalidateRect(m_hWndPaint, &m_rcBatch, FALSE);
    }
    return bLaidOut;
}

bool CUIManager::LayOutControls()
{
    CUIManagerWatch watch(this);
    m_bUpdateNeeded = false;
    RECT rcClient = { 0, 0, 0, 0 };
    ::GetClientRect(m_hWndPaint, &rcClient);
    if (::IsRectEmpty(&rcClient))
        return true;
    if (m_pRoot->NeedsLayout()) {
        m_pRoot->SetPos(rcClient);
        if (watch.Gone())
            return false;
        // Made again at a new size; at the same size they are kept (a new
        // background snapshot would show the controls already painted).
        if (m_szPaintBuffers.cx != rcClient.right - rcClient.left
            || m_szPaintBuffers.cy != rcClient.bottom - rcClient.top)
            DeletePaintBuffers();
    } else {
        // Every control that asked for layout gets its own place again. Each
        // one at most once per pass: a control whose SetPos asks for layout
        // again (or never clears the request) is left for the next pass
        // instead of spinning here for ever.
        CUIPtrArray aDone;
        for (;;) {
            if (m_pRoot == NULL)
                break;
            CControlUI* pControl = m_pRoot->FindControl(FindControlFromUpdate, &aDone, FindVisible | FindMeFirst);
            if (pControl == NULL)
                break;
            aDone.Add(pControl);
            RECT rcPos = pControl->GetPos();
            pControl->SetPos(rcPos);
            if (watch.Gone())
                return false;
        }
    }
    if (m_bFirstLayout && m_pRoot != NULL) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, L"windowinit", 0, 0, false);
        if (watch.Gone())
            return false;
    }
    return true;
}

// WM_PAINT. False when the manager went away meanwhile.
bool CUIManager::PaintControls(HDC hDC, const RECT& rcPaint)
{
    CUIManagerWatch watch(this);
    m_pRoot->Paint(hDC, rcPaint);
    if (watch.Gone())
        return false;
    for (int i = 0; i < m_aPostPaintControls.GetSize(); i++) {
        CControlUI* pPostPaint = static_cast<CControlUI*>(m_aPostPaintControls[i]);
        pPostPaint->PostPaint(hDC, rcPaint);
        if (watch.Gone())
            return false;
    }
    return true;
}

bool CUIManager::HandlePaint(LRESULT& lRes)
{
    lRes = 0;
    RECT rcUpdate = { 0, 0, 0, 0 };
    if (!::GetUpdateRect(m_hWndPaint, &rcUpdate, FALSE))
        return true;
    if (m_pRoot == NULL) {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return true;
    }
    CUIManagerWatch watch(this);
    if (m_bUpdateNeeded) {
        if (!RunLayoutPass())
            return false;
        if (m_pRoot == NULL)
            return true;
    }
    if (m_bFocusNeeded) {
        FocusNextTabStop(true);
        if (watch.Gone())
            return false;
    }

    RECT rcClient = { 0, 0, 0, 0 };
    ::GetClientRect(m_hWndPaint, &rcClient);
    const int cxClient = rcClient.right - rcClient.left;
    const int cyClient = rcClient.bottom - rcClient.top;
    // The window's first picture goes straight to the window when the root
    // covers all of it with an opaque colour: there is no earlier picture
    // for it to flicker over, and the buffer's memory, touched for the first
    // time, costs as much as the painting itself (under Wine several times
    // more); the buffer is made at the next paint.
    const bool bFirstDirect = !m_bPainted && m_pRoot->PaintsOpaqueOver(rcClient);
    m_bPainted = true;
    if (m_bOffscreenPaint && !bFirstDirect && m_hbmpOffscreen == NULL && cxClient > 0 && cyClient > 0) {
        if (m_hDcOffscreen == NULL)
            m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = ::CreateCompatibleBitmap(m_hDcPaint, cxClient, cyClient);
        m_szPaintBuffers.cx = cxClient;
        m_szPaintBuffers.cy = cyClient;
    }
    // Without the buffer (no memory for it) this paint goes to the window.
    const bool bOffscreen = m_bOffscreenPaint && !bFirstDirect && m_hDcOffscreen != NULL && m_hbmpOffscreen != NULL;

    PAINTSTRUCT ps;
    ::BeginPaint(m_hWndPaint, &ps);
    const RECT rcPaint = ps.rcPaint;
    const int cxPaint = rcPaint.right - rcPaint.left;
    const int cyPaint = rcPaint.bottom - rcPaint.top;
    if (bOffscreen) {
        HGDIOBJ hOldBitmap = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
        int iSaveDC = ::SaveDC(m_hDcOffscreen);
        // Where the root paints an opaque colour over the whole update, no
        // background could show: it is neither taken nor copied (reading the
        // window's pixels is slow, under Wine above all).
        if (m_bBackgroundTransparent && !m_pRoot->PaintsOpaqueOver(rcPaint)) {
            if (m_hbmpBackground == NULL) {
                // A snapshot of what lies behind the controls.
                if (m_hDcBackground == NULL)
                    m_hDcBackground = ::CreateCompatibleDC(m_hDcPaint);
                m_hbmpBackground = ::CreateCompatibleBitmap(m_hDcPaint, cxClient, cyClient);
                if (m_hDcBackground != NULL && m_hbmpBackground != NULL) {
                    ::SelectObject(m_hDcBackground, m_hbmpBackground);
                    ::BitBlt(m_hDcBackground, rcPaint.left, rcPaint.top, cxPaint, cyPaint, ps.hdc, rcPaint.left,
                             rcPaint.top, SRCCOPY);
                }
            }
            if (m_hDcBackground != NULL && m_hbmpBackground != NULL)
                ::BitBlt(m_hDcOffscreen, rcPaint.left, rcPaint.top, cxPaint, cyPaint, m_hDcBackground,
                         rcPaint.left, rcPaint.top, SRCCOPY);
        }
        if (!PaintControls(m_hDcOffscreen, rcPaint))
            return false;
        ::RestoreDC(m_hDcOffscreen, iSaveDC);
        ::BitBlt(ps.hdc, rcPaint.left, rcPaint.top, cxPaint, cyPaint, m_hDcOffscreen, rcPaint.left, rcPaint.top,
                 SRCCOPY);
        ::SelectObject(m_hDcOffscreen, hOldBitmap);
        if (m_bShowUpdateRect) {
            HGDIOBJ hOldPen = ::SelectObject(ps.hdc, m_hUpdateRectPen);
            HGDIOBJ hOldBrush = ::SelectObject(ps.hdc, ::GetStockObject(NULL_BRUSH));
            ::Rectangle(ps.hdc, rcPaint.left, rcPaint.top, rcPaint.right, rcPaint.bottom);
            ::SelectObject(ps.hdc, hOldBrush);
            ::SelectObject(ps.hdc, hOldPen);
        }
    } else {
        int iSaveDC = ::SaveDC(ps.hdc);
        if (!PaintControls(ps.hdc, rcPaint))
            return false;
        ::RestoreDC(ps.hdc, iSaveDC);
    }
    ::EndPaint(m_hWndPaint, &ps);
    if (m_bUpdateNeeded)
        ::InvalidateRect(m_hWndPaint, NULL, FALSE);
    return true;
}

// ---------------------------------------------------------------------------
// Tooltips
// ---------------------------------------------------------------------------
void CUIManager::ShowToolTip(CControlUI* pHover)
{
    CUIString sToolTip = pHover->GetToolTip();
    if (sToolTip.IsEmpty())
        return;
    // The tool record points into a text this manager keeps.
    m_sToolTipText = sToolTip;
    ::ZeroMemory(&m_ToolTip, sizeof(m_ToolTip));
    // The version-5 record size: without a common-controls 6 manifest the
    // tooltip class refuses the longer record of the headers.
    m_ToolTip.cbSize = TTTOOLINFOW_V2_SIZE;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = m_hInstance;
    m_ToolTip.lpszText = const_cast<LPWSTR>(m_sToolTipText.GetData());
    m_ToolTip.rect = pHover->GetPos();
    if (m_hwndTooltip == NULL) {
        if (!InitCommonControlClasses(ICC_WIN95_CLASSES))
            return;
        m_hwndTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, NULL, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                          m_hWndPaint, NULL, m_hInstance, NULL);
        if (m_hwndTooltip == NULL)
            return;
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pHover->GetToolTipWidth());
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------
bool CUIManager::HandleWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (m_hWndPaint == NULL)
        return false;
    // Whenever the window (and with it this manager) is destroyed by code
    // called from here, the message counts as handled and nothing of the
    // manager is touched again.
    CUIManagerWatch watch(this);
    if (!DrainAsyncNotify()) {
        lRes = 0;
        return true;
    }

    bool bFiltered = false;
    ForEachListener<IMessageFilterUI>(m_aMessageFilters, watch, [&](IMessageFilterUI* pFilter) {
        bool bHandled = false;
        LRESULT lResult = pFilter->FilterMessage(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = lResult;
            bFiltered = true;
        }
        return bHandled;
    });
    if (watch.Gone()) {
        lRes = 0;
        return true;
    }
    if (bFiltered)
        return true;

    switch (uMsg) {
    case kMsgDelayedCleanup: {
        // Swapped out first: a destructor may queue more controls.
        CUIPtrArray aCleanup(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aCleanup.GetSize(); i++) {
            delete static_cast<CControlUI*>(aCleanup[i]);
            if (watch.Gone()) {
                lRes = 0;
                return true;
            }
        }
        break;
    }
    case WM_CLOSE: {
        // The last events of the pointer; a window that stays (hidden
        // instead of closed) keeps no hover, press or capture.
        if (m_pEventHover != NULL) {
            CControlUI* pHover = m_pEventHover;
            m_pEventHover = NULL;
            UIEvent event = MakeEvent(UIEventMouseLeave, pHover);
            event.ptMouse = m_ptLastMousePos;
            pHover->DispatchEvent(event);
            if (watch.Gone())
                return true;
        }
        if (m_pEventClick != NULL) {
            CControlUI* pClick = m_pEventClick;
            m_pEventClick = NULL;
            if (m_bMouseCapture)
                EndCapture();
            UIEvent event = MakeEvent(UIEventButtonUp, pClick);
            event.ptMouse = m_ptLastMousePos;
            pClick->DispatchEvent(event);
            if (watch.Gone())
                return true;
        }
        SetFocus(NULL);
        if (watch.Gone())
            return true;
        HWND hWndOwner = ::GetWindow(m_hWndPaint, GW_OWNER);
        if (hWndOwner != NULL) {
            ::SetFocus(hWndOwner);
            if (watch.Gone())
                return true;
        }
        break;
    }
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        HandlePaint(lRes);
        return true;
    case WM_PRINTCLIENT: {
        if (m_pRoot == NULL)
            break;
        HDC hDC = reinterpret_cast<HDC>(wParam);
        RECT rcClient = { 0, 0, 0, 0 };
        ::GetClientRect(m_hWndPaint, &rcClient);
        int iSaveDC = ::SaveDC(hDC);
        m_pRoot->Paint(hDC, rcClient);
        if (watch.Gone())
            return true;
        if ((lParam & PRF_CHILDREN) != 0) {
            for (HWND hWndChild = ::GetWindow(m_hWndPaint, GW_CHILD); hWndChild != NULL;
                 hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT)) {
                RECT rcPos = { 0, 0, 0, 0 };
                ::GetWindowRect(hWndChild, &rcPos);
                ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<LPPOINT>(&rcPos), 2);
                ::SetWindowOrgEx(hDC, -rcPos.left, -rcPos.top, NULL);
                ::SendMessageW(hWndChild, WM_PRINT, wParam, lParam | PRF_NONCLIENT);
                if (watch.Gone())
                    return true;
            }
        }
        ::RestoreDC(hDC, iSaveDC);
        break;
    }
    case WM_GETMINMAXINFO: {
        MINMAXINFO* lpMMI = reinterpret_cast<MINMAXINFO*>(lParam);
        if (lpMMI == NULL)
            break;
        if (m_szMinWindow.cx > 0)
            lpMMI->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0)
            lpMMI->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0)
            lpMMI->ptMaxTrackSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0)
            lpMMI->ptMaxTrackSize.y = m_szMaxWindow.cy;
        break;
    }
    case WM_SIZE: {
        if (m_pFocus != NULL) {
            UIEvent event = MakeEvent(UIEventWindowSize, m_pFocus);
            m_pFocus->DispatchEvent(event);
            if (watch.Gone())
                return true;
        }
        if (m_pRoot != NULL)
            m_pRoot->RequestLayout();
        if (watch.Gone())
            return true;
        lRes = 0;
        return true;
    }
    case WM_TIMER: {
        for (int i = 0; i < m_aTimers.GetSize(); i++) {
            const UITimerInfo* pTimer = static_cast<const UITimerInfo*>(m_aTimers[i]);
            if (pTimer->hWnd == m_hWndPaint && pTimer->uWinTimer == wParam && !pTimer->bKilled) {
                UIEvent event = MakeEvent(UIEventTimer, pTimer->pSender);
                event.wParam = pTimer->nLocalID;
                pTimer->pSender->DispatchEvent(event);
                if (watch.Gone())
                    return true;
                break;
            }
        }
        break;
    }
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT)
            break;
        if (m_bMouseCapture) {
            lRes = TRUE;
            return true;
        }
        POINT pt = { 0, 0 };
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* pControl = FindControlAt(pt);
        if (pControl == NULL || (pControl->GetInputFlags() & WantSetCursor) == 0)
            break;
        UIEvent event = MakeEvent(UIEventSetCursor, NULL);
        event.ptMouse = pt;
        event.wKeyState = GetKeyStateFlags();
        event.wParam = wParam;
        event.lParam = lParam;
        pControl->DispatchEvent(event);
        lRes = TRUE;
        return true;
    }
    case WM_NOTIFY: {
        const NMHDR* lpNMHDR = reinterpret_cast<const NMHDR*>(lParam);
        lRes = 0;
        if (lpNMHDR != NULL)
            lRes = ::SendMessageW(lpNMHDR->hwndFrom, uMsg + kReflectOffset, wParam, lParam);
        return true;
    }
    case WM_COMMAND: {
        if (lParam == 0)
            break;
        HWND hWndChild = reinterpret_cast<HWND>(lParam);
        lRes = ::SendMessageW(hWndChild, uMsg + kReflectOffset, wParam, lParam);
        return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        if (lParam == 0)
            break;
        HWND hWndChild = reinterpret_cast<HWND>(lParam);
        lRes = ::SendMessageW(hWndChild, uMsg + kReflectOffset, wParam, lParam);
        return true;
    }
    case WM_CONTEXTMENU: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        if (m_pEventClick == NULL)
            break;
        EndCapture();
        CControlUI* pClick = m_pEventClick;
        m_pEventClick = NULL;
        UIEvent event = MakeEvent(UIEventContextMenu, pClick);
        event.ptMouse = pt;
        event.wKeyState = LOWORD(wParam);
        event.lParam = reinterpret_cast<LPARAM>(pClick);
        pClick->DispatchEvent(event);
        if (watch.Gone())
            return true;
        lRes = 0;
        return true;
    }
    case WM_KEYDOWN: {
        if (m_pFocus == NULL)
            break;
        m_pEventKey = m_pFocus;
        UIEvent event = MakeEvent(UIEventKeyDown, NULL);
        event.chKey = static_cast<wchar_t>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = GetKeyStateFlags();
        m_pFocus->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_KEYUP: {
        if (m_pEventKey == NULL)
            break;
        CControlUI* pKey = m_pEventKey;
        m_pEventKey = NULL;
        UIEvent event = MakeEvent(UIEventKeyUp, NULL);
        event.chKey = static_cast<wchar_t>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = GetKeyStateFlags();
        pKey->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_CHAR: {
        if (m_pFocus == NULL)
            break;
        UIEvent event = MakeEvent(UIEventChar, NULL);
        event.chKey = static_cast<wchar_t>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = GetKeyStateFlags();
        m_pFocus->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_MOUSEMOVE: {
        if (!m_bMouseTracking) {
            TRACKMOUSEEVENT tme;
            ::ZeroMemory(&tme, sizeof(tme));
            tme.cbSize = sizeof(tme);
            tme.dwFlags = TME_HOVER | TME_LEAVE;
            tme.hwndTrack = m_hWndPaint;
            tme.dwHoverTime = m_hwndTooltip == NULL
                                  ? kDefaultHoverTime
                                  : static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME,
                                                                      TTDT_INITIAL, 0L));
            ::TrackMouseEvent(&tme);
            m_bMouseTracking = true;
        }
        POINT pt = PointFromLParam(lParam);
        m_ptLastMousePos = pt;
        CControlUI* pNewHover = FindControlAt(pt);
        if (pNewHover != NULL && pNewHover->GetManager() != this)
            break;
        if (pNewHover != m_pEventHover && m_pEventHover != NULL) {
            CControlUI* pOldHover = m_pEventHover;
            m_pEventHover = NULL;
            UIEvent event = MakeEvent(UIEventMouseLeave, pOldHover);
            event.ptMouse = pt;
            pOldHover->DispatchEvent(event);
            if (watch.Gone())
                return true;
            if (m_hwndTooltip != NULL)
                ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
            // The leave handler may have changed the tree under the point.
            pNewHover = FindControlAt(pt);
            if (pNewHover != NULL && pNewHover->GetManager() != this)
                break;
        }
        if (pNewHover != m_pEventHover && pNewHover != NULL) {
            m_pEventHover = pNewHover;
            UIEvent event = MakeEvent(UIEventMouseEnter, pNewHover);
            event.ptMouse = pt;
            pNewHover->DispatchEvent(event);
            if (watch.Gone())
                return true;
        }
        // A drag goes on with the pressed control; otherwise the control under
        // the point (the hover control now, unless a handler reaped it).
        CControlUI* pTarget = m_pEventClick != NULL ? m_pEventClick : m_pEventHover;
        if (pTarget != NULL) {
            UIEvent event = MakeEvent(UIEventMouseMove, pTarget);
            event.ptMouse = pt;
            pTarget->DispatchEvent(event);
            if (watch.Gone())
                return true;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        ::SetFocus(m_hWndPaint);
        if (watch.Gone())
            return true;
        POINT pt = PointFromLParam(lParam);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControlAt(pt);
        if (pControl == NULL || pControl->GetManager() != this)
            break;
        m_pEventClick = pControl;
        pControl->SetFocus();
        if (watch.Gone())
            return true;
        // The focus handlers may have reaped the control.
        if (m_pEventClick != pControl)
            break;
        BeginCapture();
        UIEvent event = MakeEvent(uMsg == WM_LBUTTONDOWN ? UIEventButtonDown : UIEventRButtonDown, pControl);
        event.ptMouse = pt;
        event.wParam = wParam;
        event.lParam = lParam;
        event.wKeyState = LOWORD(wParam);
        pControl->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(m_hWndPaint);
        if (watch.Gone())
            return true;
        POINT pt = PointFromLParam(lParam);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControlAt(pt);
        if (pControl == NULL || pControl->GetManager() != this)
            break;
        BeginCapture();
        m_pEventClick = pControl;
        UIEvent event = MakeEvent(UIEventDoubleClick, pControl);
        event.ptMouse = pt;
        event.wKeyState = LOWORD(wParam);
        pControl->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_LBUTTONUP: {
        POINT pt = PointFromLParam(lParam);
        m_ptLastMousePos = pt;
        if (m_pEventClick == NULL)
            break;
        EndCapture();
        CControlUI* pClick = m_pEventClick;
        m_pEventClick = NULL;
        UIEvent event = MakeEvent(UIEventButtonUp, pClick);
        event.ptMouse = pt;
        event.wParam = wParam;
        event.lParam = lParam;
        event.wKeyState = LOWORD(wParam);
        pClick->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControlAt(pt);
        if (pControl == NULL || pControl->GetManager() != this)
            break;
        const int zDelta = GET_WHEEL_DELTA_WPARAM(wParam);
        UIEvent event = MakeEvent(UIEventScrollWheel, pControl);
        event.wParam = zDelta < 0 ? 1 : 0;
        event.lParam = lParam;
        event.wKeyState = GetKeyStateFlags();
        pControl->DispatchEvent(event);
        if (watch.Gone())
            return true;
        // Hover follows the content that scrolled under the pointer.
        ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0,
                       MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
        if (watch.Gone())
            return true;
        break;
    }
    case WM_MOUSEHOVER: {
        m_bMouseTracking = false;
        POINT pt = PointFromLParam(lParam);
        CControlUI* pHover = FindControlAt(pt);
        if (pHover == NULL)
            break;
        if (m_pEventHover != NULL) {
            UIEvent event = MakeEvent(UIEventMouseHover, m_pEventHover);
            event.ptMouse = pt;
            m_pEventHover->DispatchEvent(event);
            if (watch.Gone())
                return true;
            // The hover handler may have changed the tree under the point.
            pHover = FindControlAt(pt);
        }
        if (pHover != NULL)
            ShowToolTip(pHover);
        lRes = 0;
        return true;
    }
    case WM_MOUSELEAVE: {
        if (m_hwndTooltip != NULL)
            ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
        if (m_bMouseTracking) {
            ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
            if (watch.Gone())
                return true;
        }
        m_bMouseTracking = false;
        break;
    }
    default:
        break;
    }

    if (!DrainAsyncNotify()) {
        lRes = 0;
        return true;
    }
    return false;
}

bool CUIManager::PreTranslateMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    CUIManagerWatch watch(this);
    bool bFiltered = false;
    ForEachListener<IMessageFilterUI>(m_aPreMessageFilters, watch, [&](IMessageFilterUI* pFilter) {
        bool bHandled = false;
        LRESULT lResult = pFilter->FilterMessage(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = lResult;
            bFiltered = true;
        }
        return bHandled;
    });
    if (watch.Gone() || bFiltered)
        return true;

    switch (uMsg) {
    case WM_KEYDOWN: {
        if (wParam != VK_TAB)
            break;
        if (m_pFocus != NULL && m_pFocus->IsVisible() && m_pFocus->IsEnabled()) {
            LPCTSTR cls = m_pFocus->GetClassName();
            if (cls != NULL && wcsstr(cls, L"RichEditUI") != NULL) {
                IWantTabUI* pWantTab = dynamic_cast<IWantTabUI*>(m_pFocus);
                if (pWantTab != NULL && pWantTab->IsWantTab())
                    return false;
            }
        }
        FocusNextTabStop(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    case WM_SYSKEYDOWN: {
        if (m_pFocus == NULL)
            break;
        UIEvent event = MakeEvent(UIEventSysKey, NULL);
        event.chKey = static_cast<wchar_t>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = GetKeyStateFlags();
        m_pFocus->DispatchEvent(event);
        if (watch.Gone())
            return true;
        break;
    }
    case WM_SYSCHAR: {
        if (m_pRoot == NULL)
            break;
        ShortcutSearch info = { UpperChar(static_cast<wchar_t>(wParam)), false };
        CControlUI* pControl = m_pRoot->FindControl(FindControlFromShortcut, &info,
                                                    FindEnabled | FindTopFirst | FindMeFirst);
        if (pControl == NULL)
            break;
        pControl->SetFocus();
        if (watch.Gone())
            return true;
        pControl->Activate();
        return true;
    }
    default:
        break;
    }
    return false;
}

} // namespace SkinUI
