// The paint manager: one per skinned window. It owns the window's resources
// (fonts, cached images, default attribute lists, option groups, the name map
// of controls), turns window messages into control events, paints the control
// tree through an offscreen buffer and delivers the controls' notifications.
// The process-wide statics hold the module instance and the skin source.
#ifndef SKINUI_UIMANAGER_H
#define SKINUI_UIMANAGER_H

#include <windows.h>
#include <commctrl.h>

#include "UIBase.h"

namespace SkinUI {

class CControlUI;
class CUIManager;
struct UIImageInfo;
struct UIZipHandle;

// ---------------------------------------------------------------------------
// Events a control receives through CControlUI::DispatchEvent.
// ---------------------------------------------------------------------------
enum UIEventKind
{
    UIEventKeyDown = 3,
    UIEventKeyUp = 4,
    UIEventChar = 5,
    UIEventSysKey = 6,
    UIEventMouseMove = 9,
    UIEventMouseLeave = 10,
    UIEventMouseEnter = 11,
    UIEventMouseHover = 12,
    UIEventButtonDown = 13,
    UIEventButtonUp = 14,
    UIEventRButtonDown = 15,
    UIEventDoubleClick = 16,
    UIEventContextMenu = 17,
    UIEventScrollWheel = 18,
    UIEventKillFocus = 20,
    UIEventSetFocus = 21,
    UIEventWindowSize = 22,
    UIEventSetCursor = 23,
    UIEventTimer = 24,

    // Mouse events are exactly the kinds above UIEventMouseBegin and below
    // UIEventMouseEnd.
    UIEventMouseBegin = 8,
    UIEventMouseEnd = 19
};

// True for the mouse kinds (UIEventMouseMove to UIEventScrollWheel).
inline bool UIIsMouseEvent(int nKind)
{
    return nKind > UIEventMouseBegin && nKind < UIEventMouseEnd;
}

// Key state bits (the platform's MK_ values).
enum UIKeyStateFlags
{
    UIKeyStateLButton = 0x01,
    UIKeyStateRButton = 0x02,
    UIKeyStateShift = 0x04,
    UIKeyStateControl = 0x08,
    UIKeyStateAlt = 0x20
};

struct UIEvent
{
    int nKind;             // UIEventKind
    CControlUI* pSender;
    DWORD dwTimestamp;     // GetTickCount at creation
    POINT ptMouse;
    wchar_t chKey;
    WORD wKeyState;
    WPARAM wParam;
    LPARAM lParam;
};

// ---------------------------------------------------------------------------
// Notifications controls send to the window's code.
// ---------------------------------------------------------------------------
struct UINotify
{
    CUIString sType;       // "click", "selectchanged", "setfocus", ...
    CUIString sVirtualWnd; // empty unless the sender belongs to a virtual window
    CControlUI* pSender;
    DWORD dwTimestamp;     // GetTickCount, set at dispatch
    POINT ptMouse;         // mouse point at dispatch
    WPARAM wParam;
    LPARAM lParam;

    UINotify() : pSender(NULL), dwTimestamp(0), wParam(0), lParam(0)
    {
        ptMouse.x = 0;
        ptMouse.y = 0;
    }
    ~UINotify() {}
};

// Receives every notification of a manager (AddNotifier).
class INotifyUI
{
public:
    virtual void Notify(UINotify& msg) = 0;

protected:
    ~INotifyUI() {}
};

// Sees window messages before the manager handles them (AddMessageFilter) or
// before the message loop translates them (AddPreMessageFilter). Setting
// bHandled ends the handling with the returned result.
class IMessageFilterUI
{
public:
    virtual LRESULT FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() {}
};

// Keyboard accelerators of a window; S_OK consumes the message.
class ITranslateAccelerator
{
public:
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~ITranslateAccelerator() {}
};

// The dialog builder asks the window for controls of element names that it
// does not know itself; NULL means "not mine".
class IDialogBuilderCallback
{
public:
    virtual CControlUI* CreateControl(LPCTSTR pstrClass) = 0;

protected:
    ~IDialogBuilderCallback() {}
};

// A control whose class name contains "RichEditUI" and that implements this
// interface decides itself whether the Tab key is its own (a rich edit that
// wants tabs) or moves the focus to the next tab stop.
class IWantTabUI
{
public:
    virtual bool IsWantTab() const = 0;

protected:
    ~IWantTabUI() {}
};

// A registered control factory: a new control for an element name, or NULL.
typedef CControlUI* (*UIControlCreatorFn)(LPCTSTR pstrClass);

// ---------------------------------------------------------------------------
// Resource records
// ---------------------------------------------------------------------------
struct UIFontInfo
{
    HFONT hFont;
    CUIString sFontName;
    int iSize;             // character height in pixels
    bool bBold;
    bool bUnderline;
    bool bItalic;
    TEXTMETRICW tm;        // zeroed until measured; measured when tmHeight != 0
};

struct UITimerInfo
{
    CControlUI* pSender;
    UINT nLocalID;         // the caller's timer id
    HWND hWnd;
    UINT uWinTimer;        // the Win32 timer id
    bool bKilled;
};

// ---------------------------------------------------------------------------
// CUIManager
// ---------------------------------------------------------------------------
class CUIManager
{
public:
    CUIManager();
    ~CUIManager();

    // --- process-wide statics -------------------------------------------
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    static CUIString GetInstancePath();
    static HINSTANCE GetResourceInstance();
    static const CUIString& GetResourcePath();
    static const CUIString& GetResourceZipName();
    static bool IsResourceZipCached();
    static UIZipHandle* GetResourceZipHandle();
    static void SetResourcePath(LPCTSTR pStrPath);
    static void SetResourceZipMemory(const void* data, unsigned size);
    static void SetResourceZipFile(LPCTSTR name, bool cached);
    // Closes a kept-open skin zip and forgets the resource path, the zip name
    // and the cached flag; the module instance stays.
    static void ResetResourceState();
    // Registers the common-control classes of dwICC (ICC_* flags), loading the
    // common-controls library the first time a class of it is needed.
    static bool InitCommonControlClasses(DWORD dwICC);
    static void GetHSL(short* H, short* S, short* L);
    static CUIPtrArray* GetControlFactories();

    // --- window ----------------------------------------------------------
    void Init(HWND hWnd);
    HWND GetPaintWindow() const;
    HDC GetPaintDC() const;

    // --- geometry settings (the "Window" element) -----------------------
    void SetInitSize(int cx, int cy);
    const CUIRect& GetSizeBox() const;
    void SetSizeBox(const RECT& rcSizeBox);
    const CUIRect& GetCaptionRect() const;
    void SetCaptionRect(const RECT& rcCaption);
    CUISize GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    CUISize GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    void SetMaxInfo(int cx, int cy);
    POINT GetMousePos() const;
    void SetShowUpdateRect(bool show);
    void SetBackgroundTransparent(bool transparent);
    void SetTransparent(int nOpacity);
    void NeedUpdate();
    void Invalidate(const RECT& rcItem);

    // --- colours (read from the topmost manager of the parent chain) ----
    DWORD GetDisabledTextColor() const;
    void SetDisabledTextColor(DWORD dwColor);
    DWORD GetDefaultTextColor() const;
    void SetDefaultTextColor(DWORD dwColor);
    DWORD GetLinkTextColor() const;
    void SetLinkTextColor(DWORD dwColor);
    DWORD GetLinkHoverTextColor() const;
    void SetLinkHoverTextColor(DWORD dwColor);
    DWORD GetSelectedColor() const;
    void SetSelectedColor(DWORD dwColor);

    bool SetParentResourceManager(CUIManager* pManager);

    // --- fonts -------------------------------------------------------------
    // Sizes are character heights in pixels; a size beyond MAX_FONT_SIZE
    // either way (a negative size asks for the cell height) is taken as
    // MAX_FONT_SIZE, by the lookups too: no window shows a taller glyph, and
    // the platform's cost grows with the square of the size.
    enum { MAX_FONT_SIZE = 400 };
    static int ClampFontSize(int nSize);
    HFONT AddFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    void SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    UIFontInfo* GetDefaultFontInfo();
    HFONT GetFont(int index);
    UIFontInfo* GetFontInfoByIndex(int index);
    UIFontInfo* GetFontInfoByHandle(HFONT hFont);
    HFONT FindFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    void RemoveAllFonts();

    // --- images --------------------------------------------------------------
    UIImageInfo* AddImage(LPCTSTR name, LPCTSTR type = NULL, DWORD mask = 0);
    UIImageInfo* GetImageEx(LPCTSTR name, LPCTSTR type = NULL, DWORD mask = 0);
    void RemoveAllImages();

    // --- default attribute lists ----------------------------------------
    void AddDefaultAttributes(LPCTSTR pStrControlName, LPCTSTR pStrAttributes);
    LPCTSTR GetDefaultAttributes(LPCTSTR pStrControlName);
    void RemoveAllDefaultAttributes();

    // --- option groups ---------------------------------------------------
    bool AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    CUIPtrArray* GetOptionGroup(LPCTSTR pStrGroupName);
    void RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    // --- the control tree ------------------------------------------------
    bool InitControls(CControlUI* pControl, CControlUI* pParent = NULL);
    CControlUI* FindControlByName(LPCTSTR pstrName);
    void ReapObjects(CControlUI* pControl);
    CControlUI* FindControlAt(POINT pt) const;
    CControlUI* GetRoot() const;
    bool AttachRoot(CControlUI* pControl);
    void AddDelayedCleanup(CControlUI* pControl);
    void SetUseVirtualWindow(bool bUse);

    // --- messages ----------------------------------------------------------
    bool HandleWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreTranslateMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    static bool TranslateMessage(const MSG* pMsg);
    static void RunMessageLoop();
    static WORD GetKeyStateFlags();

    bool TranslateAccelerators(MSG* pMsg);
    bool AddAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveAccelerator(ITranslateAccelerator* pTranslateAccelerator);

    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);

    void SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);
    void DispatchNotify(UINotify& Msg, bool bAsync = false);

    // --- focus -------------------------------------------------------------
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* pControl);
    void SetFocusNeeded(CControlUI* pControl);
    bool FocusNextTabStop(bool bForward = true);

    // --- timers ------------------------------------------------------------
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimersOf(CControlUI* pControl);
    void RemoveAllTimers();

    // --- capture -----------------------------------------------------------
    void BeginCapture();
    void EndCapture();
    bool IsCaptured() const;

private:
    CUIManager(const CUIManager&);
    CUIManager& operator=(const CUIManager&);

    friend class CUIManagerWatch;
    // One per running handler or dispatch of this manager (innermost first).
    // The destructor marks them all, so code that called out to controls or
    // window code can tell that the window and its manager are gone.
    struct AliveFrame
    {
        bool bDestroyed;
        AliveFrame* pOuter;
    };

    static CControlUI* FindControlFromNameHash(CControlUI* pThis, LPVOID pData);
    bool DeliverNotify(UINotify& Msg);
    bool DrainAsyncNotify();
    bool HandlePaint(LRESULT& lRes);
    // The tree and then the post-paint controls into hDC; false when a
    // control's paint destroyed this manager.
    bool PaintControls(HDC hDC, const RECT& rcPaint);
    bool RunLayoutPass();
    bool LayOutControls();
    void DeletePaintBuffers();
    void ShowToolTip(CControlUI* pHover);
    UINT NextWinTimerId();
    CUIManager* GetTopResourceManager() const;
    void MeasureFont(UIFontInfo* pFontInfo, HDC hDC) const;

    // 1. window and paint buffers
    HWND m_hWndPaint;
    int m_nOpacity;
    HDC m_hDcPaint;
    HDC m_hDcOffscreen;
    HDC m_hDcBackground;
    HBITMAP m_hbmpOffscreen;
    HBITMAP m_hbmpBackground;
    SIZE m_szPaintBuffers;      // the client size the buffers were made for
    // tooltip
    HWND m_hwndTooltip;
    TOOLINFOW m_ToolTip;
    bool m_bShowUpdateRect;
    // Inside a layout pass invalidations are gathered and handed on once.
    int m_nInvalidateBatch;
    bool m_bBatchHasRect;
    RECT m_rcBatch;
    // controls the manager tracks
    CControlUI* m_pRoot;
    CControlUI* m_pFocus;
    CControlUI* m_pEventHover;
    CControlUI* m_pEventClick;
    CControlUI* m_pEventKey;
    POINT m_ptLastMousePos;
    // window geometry
    CUISize m_szMinWindow;
    CUISize m_szMaxWindow;
    CUISize m_szInitWindowSize;
    CUIRect m_rcSizeBox;
    CUISize m_szRoundCorner;
    CUIRect m_rcCaption;
    UINT m_uTimerID;
    // flags
    bool m_bFirstLayout;
    bool m_bUpdateNeeded;
    bool m_bFocusNeeded;
    bool m_bOffscreenPaint;
    bool m_bPainted;            // the window has had its first paint
    bool m_bBackgroundTransparent;
    bool m_bMouseTracking;
    bool m_bMouseCapture;
    bool m_bUseVirtualWnd;
    // lists
    CUIPtrArray m_aNotifiers;        // INotifyUI*
    CUIPtrArray m_aTimers;           // UITimerInfo*
    CUIPtrArray m_aPreMessageFilters; // IMessageFilterUI*
    CUIPtrArray m_aMessageFilters;   // IMessageFilterUI*
    CUIPtrArray m_aPostPaintControls; // CControlUI*
    CUIPtrArray m_aDelayedCleanup;   // CControlUI*
    CUIPtrArray m_aAsyncNotify;      // UINotify*
    CUIStringMap m_mNameHash;        // name -> CControlUI*
    CUIStringMap m_mOptionGroup;     // group -> CUIPtrArray*
    // resources
    CUIManager* m_pParentResourceMgr;
    DWORD m_dwDefaultDisabledColor;
    DWORD m_dwDefaultFontColor;
    DWORD m_dwDefaultLinkFontColor;
    DWORD m_dwDefaultLinkHoverFontColor;
    DWORD m_dwDefaultSelectedBkColor;
    UIFontInfo m_DefaultFontInfo;
    CUIPtrArray m_aCustomFonts;      // UIFontInfo*
    CUIStringMap m_mImageHash;       // name -> UIImageInfo*
    CUIStringMap m_DefaultAttrHash;  // name -> CUIString*
    CUIPtrArray m_aTranslateAccelerator; // ITranslateAccelerator*
    // bookkeeping of this implementation
    AliveFrame* m_pAliveFrames;
    CUIPtrArray m_aDispatching;      // UINotify* being delivered right now
    CUIString m_sToolTipText;        // the text the tool record points to

    // process-wide state
    static HINSTANCE m_hInstance;
    static CUIString m_pStrResourcePath;
    static CUIString m_pStrResourceZip;
    static bool m_bCachedResourceZip;
    static UIZipHandle* m_hResourceZip;
    static CUIPtrArray m_aManagers;  // CUIManager*, in order of Init
    static CUIPtrArray m_aControlFactories; // UIControlCreatorFn
    static HPEN m_hUpdateRectPen;
    static short m_H;
    static short m_S;
    static short m_L;
};

} // namespace SkinUI

#endif // SKINUI_UIMANAGER_H
