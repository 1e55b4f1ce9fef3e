// The rich edit of the UI library and its text host (see UIRichEdit.h).
//
// The text engine calls the host's Tx* methods with the C++ calling
// convention that the platform's textserv.h declares for them (thiscall on
// 32-bit x86); only the IUnknown methods are stdcall. The engine may call
// back while it is being created, before the host holds its pointer, and
// while it is being released, so every callback copes with either.
#include "UIRichEdit.h"

#include <stdlib.h>
#include <wchar.h>

#include <imm.h>

#include "UIRender.h"
#include "UIScrollBar.h"

namespace SkinUI {

namespace {

// The interface ids of the text object model; the import libraries of the
// toolchain do not define them.
const IID kIIDTextServices = { 0x8d33f740, 0xcf58, 0x11ce, { 0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5 } };
const IID kIIDTextHost = { 0xc5bdd8d0, 0xd26e, 0x11ce, { 0xa8, 0x9e, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5 } };

// Twips per inch, HIMETRIC units per inch.
const LONG kTwipsPerInch = 1440;
const LONG kHimetricPerInch = 2540;
const int kDefaultDpi = 96;

// Bold, italic, underline, size, colour, face, offset and character set.
const DWORD kCharFormatMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_OFFSET
                              | CFM_CHARSET;
// Indents, offset, alignment, tab stops, numbering and the offset indent.
const DWORD kParaFormatMask = 0x8001003F;

// The scroll-bar bits an engine may ask of its host.
const DWORD kScrollBarStyles = WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL;

UICreateTextServicesFn g_pfnCreateTextServices = NULL;

// Window message ranges the filter tells apart.
const UINT kMouseFirst = 0x200;   // WM_MOUSEMOVE
const UINT kMouseLast = 0x20D;    // WM_XBUTTONDBLCLK
const UINT kKeyFirst = 0x100;     // WM_KEYDOWN
const UINT kKeyLast = 0x108;

bool IsMouseMessage(UINT uMsg)
{
    return uMsg >= kMouseFirst && uMsg <= kMouseLast;
}

bool IsKeyMessage(UINT uMsg)
{
    return uMsg >= kKeyFirst && uMsg <= kKeyLast;
}

// The signed client point of a mouse message.
POINT PointFromLParam(LPARAM lParam)
{
    POINT pt;
    pt.x = static_cast<short>(LOWORD(lParam));
    pt.y = static_cast<short>(HIWORD(lParam));
    return pt;
}

// 0xAARRGGBB -> the platform's 0x00BBGGRR.
COLORREF ToColorRef(DWORD dwColor)
{
    return RGB((dwColor >> 16) & 0xFF, (dwColor >> 8) & 0xFF, dwColor & 0xFF);
}

int DeviceDpi(HDC hDC, int index)
{
    const int dpi = hDC != NULL ? ::GetDeviceCaps(hDC, index) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

} // namespace

// ---------------------------------------------------------------------------
// CTxtWinHost: the ITextHost of one rich edit
// ---------------------------------------------------------------------------
class CTxtWinHost : public ITextHost
{
public:
    CTxtWinHost();
    // Creates the text engine for the owner; false when there is none.
    bool Init(CRichEditUI* re, const CREATESTRUCTW* pcs);
    // Gives the engine the creation text; false when it refuses it.
    bool SetInitialText(LPCWSTR pstrText);
    ITextServices* GetTextServices() const { return m_pServices; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT fnBar, WINBOOL fShow) override;
    WINBOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
    WINBOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL fRedraw) override;
    WINBOOL TxSetScrollPos(INT fnBar, INT nPos, WINBOOL fRedraw) override;
    void TxInvalidateRect(LPCRECT prc, WINBOOL fMode) override;
    void TxViewChange(WINBOOL fUpdate) override;
    WINBOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
    WINBOOL TxShowCaret(WINBOOL fShow) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
    void TxKillTimer(UINT idTimer) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate, LPRECT lprcUpdate,
                          UINT fuScroll) override;
    void TxSetCapture(WINBOOL fCapture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR hcur, WINBOOL fText) override;
    WINBOOL TxScreenToClient(LPPOINT lppt) override;
    WINBOOL TxClientToScreen(LPPOINT lppt) override;
    HRESULT TxActivate(LONG* plOldState) override;
    HRESULT TxDeactivate(LONG lNewState) override;
    HRESULT TxGetClientRect(LPRECT prc) override;
    HRESULT TxGetViewInset(LPRECT prc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
    COLORREF TxGetSysColor(int nIndex) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
    HRESULT TxGetMaxLength(DWORD* plength) override;
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
    HRESULT TxGetPasswordChar(TCHAR* pch) override;
    HRESULT TxGetAcceleratorPos(LONG* pcp) override;
    HRESULT TxGetExtent(LPSIZEL lpExtent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* pcf) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* ppf) override;
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
    HRESULT TxNotify(DWORD iNotify, void* pv) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

    // What the control changes on a live host.
    void SetFont(HFONT hFont);
    void SetColor(DWORD dwColor);
    void SetRichTextFlag(bool fNew);
    void SetTransparent(bool fTransparent);
    // bRelayout: an active engine is told of a moved rectangle (not while it
    // asks for the change itself, in the middle of its own layout).
    void SetClientRect(const RECT* prc, bool bRelayout = true);
    const RECT& GetClientRect() const { return m_rcClient; }
    bool IsCaptured() const { return (m_dwBits & kCaptured) != 0; }
    bool IsInPlaceActive() const { return (m_dwBits & kInPlaceActive) != 0; }
    void OnTxInPlaceActivate(LPCRECT prcClient);
    // Lets the engine set the cursor for a point in the rectangle (the
    // client rectangle when none is given); false when the point is outside.
    bool DoSetCursor(const RECT* prc, const POINT* pt);

private:
    virtual ~CTxtWinHost();
    CTxtWinHost(const CTxtWinHost&);
    CTxtWinHost& operator=(const CTxtWinHost&);

    // The manager's window, or NULL while there is none.
    HWND ManagerWindow() const;
    // Shows or hides one of the owner's bars; a change lays the owner out
    // again, which places the bar (the owner's bars have no parent to ask).
    void ShowBar(CScrollBarUI* pBar, bool bShow);
    void InitCharFormat(HFONT hFont);
    // Word wrap as the engine is told: only while the text has a width to
    // wrap to. Wrapped to no width, the engine would break the text after
    // every character, at a cost that grows with the square of its length.
    bool WrapsText() const;
    void NotifyBits(DWORD dwMask, DWORD dwBits);

    enum HostBits
    {
        kAutoWordSel = 0x1,
        kWordWrap = 0x2,
        kAllowBeep = 0x4,
        kRich = 0x8,
        kSaveSelection = 0x10,
        kInPlaceActive = 0x20,
        kTransparent = 0x40,
        kTimer = 0x80,
        kCaptured = 0x100
    };

    CRichEditUI* m_re;
    ULONG m_cRefs;
    ITextServices* m_pServices;
    DWORD m_dwStyle;
    DWORD m_dwBits;
    LONG m_lSelBarWidth;
    LONG m_cchTextMost;
    RECT m_rcClient;
    SIZEL m_sizelExtent;
    CHARFORMAT2W m_cf;
    PARAFORMAT2 m_pf;
    LONG m_laccelpos;
    WCHAR m_chPasswordChar;
};

CTxtWinHost::CTxtWinHost()
    : m_re(NULL)
    , m_cRefs(0)
    , m_pServices(NULL)
    , m_dwStyle(0)
    , m_dwBits(0)
    , m_lSelBarWidth(0)
    , m_cchTextMost(32767)
    , m_laccelpos(-1)
    , m_chPasswordChar(0)
{
    ::ZeroMemory(&m_rcClient, sizeof(m_rcClient));
    ::ZeroMemory(&m_sizelExtent, sizeof(m_sizelExtent));
    ::ZeroMemory(&m_cf, sizeof(m_cf));
    ::ZeroMemory(&m_pf, sizeof(m_pf));
}

CTxtWinHost::~CTxtWinHost()
{
    if (m_pServices != NULL) {
        ITextServices* pServices = m_pServices;
        pServices->OnTxInPlaceDeactivate();
        m_pServices = NULL;
        pServices->Release();
    }
}

HWND CTxtWinHost::ManagerWindow() const
{
    if (m_re == NULL || m_re->GetManager() == NULL)
        return NULL;
    HWND hWnd = m_re->GetManager()->GetPaintWindow();
    return (hWnd != NULL && ::IsWindow(hWnd)) ? hWnd : NULL;
}

void CTxtWinHost::InitCharFormat(HFONT hFont)
{
    LOGFONTW lf;
    ::ZeroMemory(&lf, sizeof(lf));
    if (hFont != NULL)
        ::GetObjectW(hFont, sizeof(lf), &lf);
    m_cf.cbSize = sizeof(CHARFORMAT2W);
    m_cf.dwMask = kCharFormatMask;
    m_cf.yHeight = -lf.lfHeight * kTwipsPerInch / DeviceDpi(TxGetDC(), LOGPIXELSY);
    m_cf.yOffset = 0;
    m_cf.dwEffects = 0;
    if (lf.lfWeight > 699)
        m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic)
        m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline)
        m_cf.dwEffects |= CFE_UNDERLINE;
    m_cf.crTextColor = ToColorRef(m_re->GetTextColor());
    m_cf.bCharSet = lf.lfCharSet;
    m_cf.bPitchAndFamily = lf.lfPitchAndFamily;
    wcsncpy(m_cf.szFaceName, lf.lfFaceName, LF_FACESIZE - 1);
    m_cf.szFaceName[LF_FACESIZE - 1] = L'\0';
}

bool CTxtWinHost::Init(CRichEditUI* re, const CREATESTRUCTW* pcs)
{
    m_re = re;
    m_cRefs = 1;
    CUIManager* pManager = re->GetManager();
    InitCharFormat(pManager != NULL ? pManager->GetFont(re->GetFont()) : NULL);

    m_pf.cbSize = sizeof(PARAFORMAT2);
    m_pf.dwMask = kParaFormatMask;
    m_pf.wAlignment = PFA_LEFT;
    m_pf.cTabCount = 1;
    m_pf.rgxTabs[0] = 720;   // half an inch, in twips

    m_dwStyle = ES_MULTILINE;
    if (re->IsRich())
        m_dwBits |= kRich;
    m_cchTextMost = re->GetLimitText();
    if (pcs != NULL) {
        m_dwStyle = static_cast<DWORD>(pcs->style);
        if ((m_dwStyle & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0)
            m_dwBits |= kWordWrap;
        if ((m_dwStyle & ES_CENTER) != 0)
            m_pf.wAlignment = PFA_CENTER;
        else if ((m_dwStyle & ES_RIGHT) != 0)
            m_pf.wAlignment = PFA_RIGHT;
    }
    m_dwBits |= kInPlaceActive;

    UICreateTextServicesFn pfnCreate = g_pfnCreateTextServices;
    if (pfnCreate == NULL) {
        // Kept loaded for the life of the process.
        HMODULE hModule = ::LoadLibraryW(L"msftedit.dll");
        if (hModule == NULL)
            return false;
        pfnCreate = reinterpret_cast<UICreateTextServicesFn>(
            reinterpret_cast<void*>(::GetProcAddress(hModule, "CreateTextServices")));
        if (pfnCreate == NULL)
            return false;
    }
    IUnknown* pUnk = NULL;
    if (FAILED(pfnCreate(NULL, this, &pUnk)) || pUnk == NULL)
        return false;
    void* pServices = NULL;
    const HRESULT hr = pUnk->QueryInterface(kIIDTextServices, &pServices);
    pUnk->Release();
    if (FAILED(hr) || pServices == NULL)
        return false;
    m_pServices = static_cast<ITextServices*>(pServices);
    return true;
}

bool CTxtWinHost::SetInitialText(LPCWSTR pstrText)
{
    if (pstrText == NULL || pstrText[0] == L'\0')
        return true;
    return m_pServices != NULL && SUCCEEDED(m_pServices->TxSetText(pstrText));
}

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIIDTextHost)) {
        AddRef();
        *ppvObject = static_cast<ITextHost*>(this);
        return S_OK;
    }
    *ppvObject = NULL;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef()
{
    return ++m_cRefs;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::Release()
{
    const ULONG c = --m_cRefs;
    if (c == 0)
        delete this;
    return c;
}

HDC CTxtWinHost::TxGetDC()
{
    return (m_re != NULL && m_re->GetManager() != NULL) ? m_re->GetManager()->GetPaintDC() : NULL;
}

INT CTxtWinHost::TxReleaseDC(HDC /*hdc*/)
{
    return 1;
}

void CTxtWinHost::ShowBar(CScrollBarUI* pBar, bool bShow)
{
    if (pBar == NULL || pBar->IsVisible() == bShow)
        return;
    pBar->SetVisible(bShow);
    if (!m_re->m_bInSetPos)
        m_re->RequestLayout();
}

WINBOOL CTxtWinHost::TxShowScrollBar(INT fnBar, WINBOOL fShow)
{
    CScrollBarUI* pVerticalScrollBar = m_re->GetVerticalScrollBar();
    CScrollBarUI* pHorizontalScrollBar = m_re->GetHorizontalScrollBar();
    if (fnBar == SB_VERT && pVerticalScrollBar != NULL) {
        ShowBar(pVerticalScrollBar, fShow == TRUE);
    } else if (fnBar == SB_HORZ && pHorizontalScrollBar != NULL) {
        ShowBar(pHorizontalScrollBar, fShow == TRUE);
    } else if (fnBar == SB_BOTH) {
        if (pVerticalScrollBar != NULL)
            ShowBar(pVerticalScrollBar, fShow == TRUE);
        if (pHorizontalScrollBar != NULL)
            ShowBar(pHorizontalScrollBar, fShow == TRUE);
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags)
{
    const bool bShow = fuArrowflags != ESB_DISABLE_BOTH;
    if (fuSBFlags == SB_VERT) {
        m_re->EnableScrollBar(true, m_re->GetHorizontalScrollBar() != NULL);
        ShowBar(m_re->GetVerticalScrollBar(), bShow);
    } else if (fuSBFlags == SB_HORZ) {
        m_re->EnableScrollBar(m_re->GetVerticalScrollBar() != NULL, true);
        ShowBar(m_re->GetHorizontalScrollBar(), bShow);
    } else if (fuSBFlags == SB_BOTH) {
        m_re->EnableScrollBar(true, true);
        ShowBar(m_re->GetVerticalScrollBar(), bShow);
        ShowBar(m_re->GetHorizontalScrollBar(), bShow);
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL /*fRedraw*/)
{
    CScrollBarUI* pVerticalScrollBar = m_re->GetVerticalScrollBar();
    CScrollBarUI* pHorizontalScrollBar = m_re->GetHorizontalScrollBar();
    if (fnBar == SB_VERT && pVerticalScrollBar != NULL) {
        const LONG nRange = nMaxPos - nMinPos - (m_rcClient.bottom - m_rcClient.top);
        if (nRange <= 0) {
            ShowBar(pVerticalScrollBar, false);
        } else {
            ShowBar(pVerticalScrollBar, true);
            pVerticalScrollBar->SetScrollRange(nRange);
        }
    } else if (fnBar == SB_HORZ && pHorizontalScrollBar != NULL) {
        const LONG nRange = nMaxPos - nMinPos - (m_rcClient.right - m_rcClient.left);
        if (nRange <= 0) {
            ShowBar(pHorizontalScrollBar, false);
        } else {
            ShowBar(pHorizontalScrollBar, true);
            pHorizontalScrollBar->SetScrollRange(nRange);
        }
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT fnBar, INT nPos, WINBOOL /*fRedraw*/)
{
    // The bar itself, not the control's SetScrollPos, which would tell the
    // engine to scroll again.
    CScrollBarUI* pVerticalScrollBar = m_re->GetVerticalScrollBar();
    CScrollBarUI* pHorizontalScrollBar = m_re->GetHorizontalScrollBar();
    if (fnBar == SB_VERT && pVerticalScrollBar != NULL)
        pVerticalScrollBar->SetScrollPos(nPos);
    else if (fnBar == SB_HORZ && pHorizontalScrollBar != NULL)
        pHorizontalScrollBar->SetScrollPos(nPos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT prc, WINBOOL /*fMode*/)
{
    if (ManagerWindow() == NULL)
        return;
    m_re->GetManager()->Invalidate(prc != NULL ? *prc : m_rcClient);
}

void CTxtWinHost::TxViewChange(WINBOOL /*fUpdate*/)
{
    if (m_re->OnTextViewChange())
        m_re->Invalidate();
}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight)
{
    HWND hWnd = ManagerWindow();
    return hWnd != NULL ? ::CreateCaret(hWnd, hbmp, xWidth, yHeight) : FALSE;
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL fShow)
{
    HWND hWnd = ManagerWindow();
    if (hWnd == NULL)
        return FALSE;
    return fShow ? ::ShowCaret(hWnd) : ::HideCaret(hWnd);
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y)
{
    return ::SetCaretPos(x, y);
}

WINBOOL CTxtWinHost::TxSetTimer(UINT idTimer, UINT uTimeout)
{
    if (m_re->GetManager() == NULL)
        return FALSE;
    m_dwBits |= kTimer;
    return m_re->GetManager()->SetTimer(m_re, idTimer, uTimeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT idTimer)
{
    if (m_re->GetManager() != NULL)
        m_re->GetManager()->KillTimer(m_re, idTimer);
    m_dwBits &= ~kTimer;
}

void CTxtWinHost::TxScrollWindowEx(INT /*dx*/, INT /*dy*/, LPCRECT /*lprcScroll*/, LPCRECT /*lprcClip*/,
                                   HRGN /*hrgnUpdate*/, LPRECT /*lprcUpdate*/, UINT /*fuScroll*/)
{
}

void CTxtWinHost::TxSetCapture(WINBOOL fCapture)
{
    if (m_re->GetManager() == NULL)
        return;
    if (fCapture) {
        m_re->GetManager()->BeginCapture();
        m_dwBits |= kCaptured;
    } else {
        m_re->GetManager()->EndCapture();
        m_dwBits &= ~kCaptured;
    }
}

void CTxtWinHost::TxSetFocus()
{
    m_re->SetFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR hcur, WINBOOL /*fText*/)
{
    ::SetCursor(hcur);
}

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT lppt)
{
    HWND hWnd = ManagerWindow();
    return hWnd != NULL ? ::ScreenToClient(hWnd, lppt) : FALSE;
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT lppt)
{
    HWND hWnd = ManagerWindow();
    return hWnd != NULL ? ::ClientToScreen(hWnd, lppt) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG* /*plOldState*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG /*lNewState*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetClientRect(LPRECT prc)
{
    if (prc == NULL)
        return E_POINTER;
    *prc = m_rcClient;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT prc)
{
    if (prc == NULL)
        return E_POINTER;
    ::ZeroMemory(prc, sizeof(*prc));
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** ppCF)
{
    *ppCF = reinterpret_cast<const CHARFORMATW*>(&m_cf);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** ppPF)
{
    *ppPF = reinterpret_cast<const PARAFORMAT*>(&m_pf);
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int nIndex)
{
    return ::GetSysColor(nIndex);
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* pstyle)
{
    *pstyle = (m_dwBits & kTransparent) != 0 ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* plength)
{
    *plength = static_cast<DWORD>(m_cchTextMost);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* pdwScrollBar)
{
    *pdwScrollBar = m_dwStyle & kScrollBarStyles;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* pch)
{
    // The engine shows a password text in clear for the character 0, so a
    // password control masks with '*'.
    WCHAR ch = m_chPasswordChar;
    if (ch == 0 && (m_dwStyle & ES_PASSWORD) != 0)
        ch = L'*';
    *pch = ch;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pcp)
{
    *pcp = m_laccelpos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL lpExtent)
{
    *lpExtent = m_sizelExtent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW* /*pcf*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT* /*ppf*/)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits)
{
    DWORD dwProperties = 0;
    if ((m_dwBits & kRich) != 0)
        dwProperties = TXTBIT_RICHTEXT;
    if ((m_dwStyle & ES_MULTILINE) != 0)
        dwProperties |= TXTBIT_MULTILINE;
    if ((m_dwStyle & ES_READONLY) != 0)
        dwProperties |= TXTBIT_READONLY;
    if ((m_dwStyle & ES_PASSWORD) != 0)
        dwProperties |= TXTBIT_USEPASSWORD;
    if ((m_dwStyle & ES_NOHIDESEL) == 0)
        dwProperties |= TXTBIT_HIDESELECTION;
    if ((m_dwBits & kAutoWordSel) != 0)
        dwProperties |= TXTBIT_AUTOWORDSEL;
    if (WrapsText())
        dwProperties |= TXTBIT_WORDWRAP;
    if ((m_dwBits & kAllowBeep) != 0)
        dwProperties |= TXTBIT_ALLOWBEEP;
    if ((m_dwBits & kSaveSelection) != 0)
        dwProperties |= TXTBIT_SAVESELECTION;
    *pdwBits = dwProperties & dwMask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD iNotify, void* pv)
{
    if (iNotify == EN_REQUESTRESIZE && pv != NULL) {
        const REQRESIZE* preqsz = static_cast<const REQRESIZE*>(pv);
        RECT rc = m_rcClient;
        rc.right = rc.left + preqsz->rc.right;
        rc.bottom = rc.top + preqsz->rc.bottom;
        SetClientRect(&rc, false);
    }
    m_re->OnTextNotify(iNotify, pv);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext()
{
    return NULL;
}

void CTxtWinHost::TxImmReleaseContext(HIMC /*himc*/)
{
}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* lSelBarWidth)
{
    *lSelBarWidth = m_lSelBarWidth;
    return S_OK;
}

void CTxtWinHost::NotifyBits(DWORD dwMask, DWORD dwBits)
{
    if (m_pServices != NULL)
        m_pServices->OnTxPropertyBitsChange(dwMask, dwBits);
}

void CTxtWinHost::SetFont(HFONT hFont)
{
    if (hFont == NULL)
        return;
    LOGFONTW lf;
    ::ZeroMemory(&lf, sizeof(lf));
    ::GetObjectW(hFont, sizeof(lf), &lf);
    m_cf.yHeight = -lf.lfHeight * kTwipsPerInch / DeviceDpi(TxGetDC(), LOGPIXELSY);
    if (lf.lfWeight >= FW_BOLD)
        m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic)
        m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline)
        m_cf.dwEffects |= CFE_UNDERLINE;
    m_cf.bCharSet = lf.lfCharSet;
    m_cf.bPitchAndFamily = lf.lfPitchAndFamily;
    wcsncpy(m_cf.szFaceName, lf.lfFaceName, LF_FACESIZE - 1);
    m_cf.szFaceName[LF_FACESIZE - 1] = L'\0';
    NotifyBits(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetColor(DWORD dwColor)
{
    m_cf.crTextColor = ToColorRef(dwColor);
    NotifyBits(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetRichTextFlag(bool fNew)
{
    if (fNew)
        m_dwBits |= kRich;
    else
        m_dwBits &= ~kRich;
    NotifyBits(TXTBIT_RICHTEXT, fNew ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetTransparent(bool fTransparent)
{
    if (fTransparent)
        m_dwBits |= kTransparent;
    else
        m_dwBits &= ~kTransparent;
    NotifyBits(TXTBIT_BACKSTYLECHANGE, 0);
}

bool CTxtWinHost::WrapsText() const
{
    return (m_dwBits & kWordWrap) != 0 && m_rcClient.right > m_rcClient.left;
}

void CTxtWinHost::SetClientRect(const RECT* prc, bool bRelayout)
{
    const bool bWrapped = WrapsText();
    const bool bMoved = ::EqualRect(&m_rcClient, prc) == FALSE;
    m_rcClient = *prc;
    HDC hDC = TxGetDC();
    m_sizelExtent.cx = ::MulDiv(m_rcClient.right - m_rcClient.left, kHimetricPerInch, DeviceDpi(hDC, LOGPIXELSX));
    m_sizelExtent.cy = ::MulDiv(m_rcClient.bottom - m_rcClient.top, kHimetricPerInch, DeviceDpi(hDC, LOGPIXELSY));
    NotifyBits(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
    const bool bWraps = WrapsText();
    if (bWraps != bWrapped)
        NotifyBits(TXTBIT_WORDWRAP, bWraps ? TXTBIT_WORDWRAP : 0);
    // An active engine takes a new rectangle only when told so, and lays
    // all its text out again each time: only a rectangle that moved is
    // passed on, after the word-wrap change, so that one layout serves both.
    if (bRelayout && bMoved && IsInPlaceActive())
        NotifyBits(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
}

void CTxtWinHost::OnTxInPlaceActivate(LPCRECT prcClient)
{
    m_dwBits |= kInPlaceActive;
    if (m_pServices == NULL || FAILED(m_pServices->OnTxInPlaceActivate(prcClient)))
        m_dwBits &= ~kInPlaceActive;
}

bool CTxtWinHost::DoSetCursor(const RECT* prc, const POINT* pt)
{
    RECT rc = prc != NULL ? *prc : m_rcClient;
    if (m_pServices == NULL || !::PtInRect(&rc, *pt))
        return false;
    const RECT* prcClient = ((m_dwBits & kInPlaceActive) != 0 && prc == NULL) ? NULL : &rc;
    m_pServices->OnTxSetCursor(DVASPECT_CONTENT, -1, NULL, NULL, TxGetDC(), NULL, prcClient, pt->x, pt->y);
    return true;
}

// ---------------------------------------------------------------------------
// CRichEditUI
// ---------------------------------------------------------------------------
void CRichEditUI::SetTextServicesFactory(UICreateTextServicesFn pfnCreate)
{
    g_pfnCreateTextServices = pfnCreate;
}

CRichEditUI::CRichEditUI()
    : m_pTwh(NULL)
    , m_bVScrollBarFixing(false)
    , m_bWantTab(true)
    , m_bWantReturn(true)
    , m_bWantCtrlReturn(true)
    , m_bRich(true)
    , m_bReadOnly(false)
    , m_dwTextColor(0)
    , m_iFont(-1)
    , m_iLimitText(32767)
    , m_lTwhStyle(ES_MULTILINE)
    , m_bInited(false)
    , m_bInSetPos(false)
{
}

CRichEditUI::~CRichEditUI()
{
    if (m_pTwh != NULL) {
        if (m_pManager != NULL) {
            m_pManager->KillTimersOf(this);
            m_pManager->RemoveMessageFilter(this);
        }
        CTxtWinHost* pTwh = m_pTwh;
        pTwh->Release();
        m_pTwh = NULL;
    }
}

LPCTSTR CRichEditUI::GetClassName() const
{
    return L"RichEditUI";
}

LPVOID CRichEditUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"RichEdit") == 0)
        return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetInputFlags() const
{
    return IsEnabled() ? (TabStop | WantSetCursor) : 0;
}

bool CRichEditUI::HasHost() const
{
    return m_pTwh != NULL;
}

bool CRichEditUI::IsWantTab() const
{
    return m_bWantTab;
}

void CRichEditUI::SetWantTab(bool bWantTab)
{
    m_bWantTab = bWantTab;
}

bool CRichEditUI::IsWantReturn() const
{
    return m_bWantReturn;
}

void CRichEditUI::SetWantReturn(bool bWantReturn)
{
    m_bWantReturn = bWantReturn;
}

bool CRichEditUI::IsWantCtrlReturn() const
{
    return m_bWantCtrlReturn;
}

void CRichEditUI::SetWantCtrlReturn(bool bWantCtrlReturn)
{
    m_bWantCtrlReturn = bWantCtrlReturn;
}

bool CRichEditUI::IsRich() const
{
    return m_bRich;
}

void CRichEditUI::SetRich(bool bRich)
{
    m_bRich = bRich;
    if (m_pTwh != NULL)
        m_pTwh->SetRichTextFlag(bRich);
}

bool CRichEditUI::IsReadOnly() const
{
    return m_bReadOnly;
}

int CRichEditUI::GetFont() const
{
    return m_iFont;
}

void CRichEditUI::SetFont(int index)
{
    m_iFont = index;
    if (m_pTwh != NULL && m_pManager != NULL)
        m_pTwh->SetFont(m_pManager->GetFont(m_iFont));
}

DWORD CRichEditUI::GetTextColor() const
{
    return m_dwTextColor;
}

void CRichEditUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    if (m_pTwh != NULL)
        m_pTwh->SetColor(dwTextColor);
}

int CRichEditUI::GetLimitText() const
{
    return m_iLimitText;
}

LONG CRichEditUI::GetHostStyle() const
{
    return m_lTwhStyle;
}

long CRichEditUI::GetTextLength(DWORD dwFlags)
{
    GETTEXTLENGTHEX textLenEx;
    textLenEx.flags = dwFlags;
    textLenEx.codepage = 1200;
    LRESULT lResult = 0;
    SendTextMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&textLenEx), 0, &lResult);
    return static_cast<long>(lResult);
}

CUIString CRichEditUI::GetText() const
{
    CRichEditUI* pThis = const_cast<CRichEditUI*>(this);
    if (m_pTwh == NULL)
        return CUIString();
    const long lLen = pThis->GetTextLength(GTL_DEFAULT);
    if (lLen < 0)
        return CUIString();
    wchar_t* lpText = static_cast<wchar_t*>(calloc(static_cast<size_t>(lLen) + 1, sizeof(wchar_t)));
    if (lpText == NULL)
        return CUIString();
    GETTEXTEX gt;
    ::ZeroMemory(&gt, sizeof(gt));
    gt.flags = GT_DEFAULT;
    gt.cb = static_cast<DWORD>((lLen + 1) * sizeof(wchar_t));   // bytes, the terminator included
    gt.codepage = 1200;
    LRESULT lResult = 0;
    pThis->SendTextMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(lpText), &lResult);
    CUIString sText(lpText);
    free(lpText);
    return sText;
}

void CRichEditUI::SetText(LPCTSTR pstrText)
{
    m_sText = pstrText;
    if (m_pTwh == NULL)
        return;
    SetSel(0, -1);
    ReplaceSel(pstrText, false);
}

LRESULT CRichEditUI::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE cr;
    cr.cpMin = nStartChar;
    cr.cpMax = nEndChar;
    LRESULT lResult = 0;
    SendTextMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr), &lResult);
    return lResult;
}

void CRichEditUI::ReplaceSel(LPCTSTR lpszNewText, bool bCanUndo)
{
    LRESULT lResult = 0;
    SendTextMessage(EM_REPLACESEL, bCanUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(lpszNewText != NULL ? lpszNewText : L""),
                    &lResult);
}

// A double click below the last row leaves some text engines with a selection
// past the end of the text, and the next key that extends it (Shift+Left or
// Right) makes the engine read outside its own text: after every mouse and key
// message a selection the engine reports outside the text is put back inside.
void CRichEditUI::KeepSelectionInText()
{
    if (m_pTwh == NULL || m_pTwh->GetTextServices() == NULL)
        return;
    CHARRANGE cr = { 0, 0 };
    LRESULT lResult = 0;
    m_pTwh->GetTextServices()->TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr), &lResult);
    const long lLen = GetTextLength(GTL_NUMCHARS);
    if (lLen < 0)
        return;
    if (cr.cpMin >= 0 && cr.cpMax >= cr.cpMin && cr.cpMax <= lLen)
        return;
    CHARRANGE inside;
    inside.cpMin = cr.cpMin < 0 ? 0 : (cr.cpMin > lLen ? lLen : cr.cpMin);
    inside.cpMax = cr.cpMax < inside.cpMin ? inside.cpMin : (cr.cpMax > lLen ? lLen : cr.cpMax);
    m_pTwh->GetTextServices()->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&inside), &lResult);
}

HRESULT CRichEditUI::SendTextMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plresult)
{
    if (m_pTwh == NULL || m_pTwh->GetTextServices() == NULL)
        return S_FALSE;
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        if (!m_bWantReturn || (::GetKeyState(VK_CONTROL) < 0 && !m_bWantCtrlReturn)) {
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"return");
            return S_OK;
        }
    }
    LRESULT lResult = 0;
    const HRESULT hr = m_pTwh->GetTextServices()->TxSendMessage(msg, wParam, lParam, &lResult);
    if (plresult != NULL)
        *plresult = lResult;
    return hr;
}

bool CRichEditUI::OnTextViewChange()
{
    return true;
}

void CRichEditUI::OnTextNotify(DWORD iNotify, void* pv)
{
    if (iNotify < EN_MSGFILTER || iNotify > EN_DRAGDROPDONE)
        return;
    if (iNotify == EN_REQUESTRESIZE || iNotify == EN_CORRECTTEXT || iNotify == EN_IMECHANGE)
        return;
    if (pv == NULL || m_pManager == NULL)
        return;
    HWND hWnd = m_pManager->GetPaintWindow();
    if (hWnd == NULL || !::IsWindow(hWnd))
        return;
    NMHDR* phdr = static_cast<NMHDR*>(pv);
    const LONG_PTR id = ::GetWindowLongPtrW(hWnd, GWLP_ID);
    phdr->hwndFrom = hWnd;
    phdr->idFrom = static_cast<UINT_PTR>(id);
    phdr->code = iNotify;
    ::SendMessageW(hWnd, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(phdr));
}

void CRichEditUI::OnInit()
{
    if (m_bInited)
        return;
    m_bInited = true;
    if (m_pManager == NULL)
        return;

    CREATESTRUCTW cs;
    ::ZeroMemory(&cs, sizeof(cs));
    cs.style = m_lTwhStyle;
    cs.lpszName = m_sText.GetData();
    CTxtWinHost* pTwh = new CTxtWinHost();
    if (!pTwh->Init(this, &cs)) {
        pTwh->Release();
        return;
    }
    pTwh->SetTransparent(true);
    LRESULT lResult = 0;
    // A stub in some engines; its answer does not matter.
    pTwh->GetTextServices()->TxSendMessage(EM_SETLANGOPTIONS, 0, 0, &lResult);
    pTwh->OnTxInPlaceActivate(NULL);
    // The text goes in once the engine is active: activating lays out all
    // the text there is once more.
    if (!pTwh->SetInitialText(cs.lpszName)) {
        pTwh->Release();
        return;
    }
    m_pTwh = pTwh;
    m_pManager->AddMessageFilter(this);
}

void CRichEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"vscrollbar") == 0) {
        if (IsTrueValue(pstrValue))
            m_lTwhStyle |= ES_DISABLENOSCROLL | WS_VSCROLL;
    } else if (wcscmp(pstrName, L"autovscroll") == 0) {
        if (IsTrueValue(pstrValue))
            m_lTwhStyle |= ES_AUTOVSCROLL;
    } else if (wcscmp(pstrName, L"hscrollbar") == 0) {
        if (IsTrueValue(pstrValue))
            m_lTwhStyle |= ES_DISABLENOSCROLL | WS_HSCROLL;
    } else if (wcscmp(pstrName, L"autohscroll") == 0) {
        if (IsTrueValue(pstrValue))
            m_lTwhStyle |= ES_AUTOHSCROLL;
    } else if (wcscmp(pstrName, L"wanttab") == 0) {
        SetWantTab(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"wantreturn") == 0) {
        SetWantReturn(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"wantctrlreturn") == 0) {
        SetWantCtrlReturn(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"rich") == 0) {
        SetRich(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"multiline") == 0) {
        if (wcscmp(pstrValue, L"false") == 0)
            m_lTwhStyle &= ~ES_MULTILINE;
    } else if (wcscmp(pstrName, L"readonly") == 0) {
        if (IsTrueValue(pstrValue)) {
            m_lTwhStyle |= ES_READONLY;
            m_bReadOnly = true;
        }
    } else if (wcscmp(pstrName, L"password") == 0) {
        if (IsTrueValue(pstrValue))
            m_lTwhStyle |= ES_PASSWORD;
    } else if (wcscmp(pstrName, L"align") == 0) {
        if (wcsstr(pstrValue, L"left") != NULL)
            m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
        if (wcsstr(pstrValue, L"center") != NULL) {
            m_lTwhStyle &= ~(ES_LEFT | ES_RIGHT);
            m_lTwhStyle |= ES_CENTER;
        }
        if (wcsstr(pstrValue, L"right") != NULL) {
            m_lTwhStyle &= ~(ES_LEFT | ES_CENTER);
            m_lTwhStyle |= ES_RIGHT;
        }
    } else if (wcscmp(pstrName, L"font") == 0) {
        SetFont(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    } else if (wcscmp(pstrName, L"textcolor") == 0) {
        SetTextColor(ParseColor(pstrValue, true));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

CUISize CRichEditUI::MeasureSize(SIZE szAvailable)
{
    return CControlUI::MeasureSize(szAvailable);
}

bool CRichEditUI::MeasureNaturalHeight(const RECT& rcText, LONG* pHeight)
{
    CScrollBarUI* pVerticalScrollBar = GetVerticalScrollBar();
    LONG lWidth = (rcText.right - rcText.left) + (pVerticalScrollBar != NULL ? pVerticalScrollBar->GetFixedWidth() : 0);
    LONG lHeight = rcText.bottom - rcText.top;
    SIZEL szExtent = { -1, -1 };
    HDC hDC = m_pManager != NULL ? m_pManager->GetPaintDC() : NULL;
    const HRESULT hr = m_pTwh->GetTextServices()->TxGetNaturalSize(DVASPECT_CONTENT, hDC, NULL, NULL,
                                                                    TXTNS_FITTOCONTENT, &szExtent, &lWidth, &lHeight);
    // Some engines move their format rectangle to the origin while they
    // measure: put it back where the text is drawn.
    m_pTwh->GetTextServices()->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
    if (FAILED(hr))
        return false;
    *pHeight = lHeight;
    return true;
}

void CRichEditUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    CUIRect rcText = m_rcItem;
    rcText.left += m_rcInset.left;
    rcText.top += m_rcInset.top;
    rcText.right -= m_rcInset.right;
    rcText.bottom -= m_rcInset.bottom;
    const bool bVScrollBarVisible = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    if (bVScrollBarVisible)
        rcText.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        rcText.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    const bool bHScrollBarVisible = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    if (m_pTwh != NULL) {
        m_bInSetPos = true;
        m_pTwh->SetClientRect(&rcText);
        if (bVScrollBarVisible && m_pVerticalScrollBar != NULL
            && (!m_pVerticalScrollBar->IsVisible() || m_bVScrollBarFixing)) {
            LONG lHeight = 0;
            if (MeasureNaturalHeight(rcText, &lHeight) && lHeight > rcText.GetHeight()) {
                m_pVerticalScrollBar->SetVisible(true);
                m_pVerticalScrollBar->SetScrollPos(0);
                m_bVScrollBarFixing = true;
            } else if (m_bVScrollBarFixing) {
                m_pVerticalScrollBar->SetVisible(false);
                m_bVScrollBarFixing = false;
            }
        }
        m_bInSetPos = false;
        // A bar that came or went while the engine took the new rectangle
        // changes the text's room: the next pass lays the text out for it.
        const bool bVScrollNow = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
        const bool bHScrollNow = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
        if (bVScrollNow != bVScrollBarVisible || bHScrollNow != bHScrollBarVisible)
            RequestLayout();
    }

    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        RECT rcScrollBarPos = { rcText.right, rcText.top, rcText.right + m_pVerticalScrollBar->GetFixedWidth(),
                                rcText.bottom };
        m_pVerticalScrollBar->SetPos(rcScrollBarPos);
    }
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        RECT rcScrollBarPos = { rcText.left, rcText.bottom, rcText.right,
                                rcText.bottom + m_pHorizontalScrollBar->GetFixedHeight() };
        m_pHorizontalScrollBar->SetPos(rcScrollBarPos);
    }

    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[it]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat())
            PlaceFloatChild(it);
        else
            pControl->SetPos(rcText);
    }
}

void CRichEditUI::Paint(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp = { 0, 0, 0, 0 };
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem))
        return;

    CUIRenderClip clip;
    CUIRenderClip::ClipRect(hDC, rcTemp, clip);
    CControlUI::Paint(hDC, rcPaint);

    if (m_pTwh != NULL) {
        RECT rc = m_pTwh->GetClientRect();
        RECT rcUpdate = rcPaint;
        m_pTwh->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, NULL, NULL, hDC, NULL,
                                          reinterpret_cast<LPCRECTL>(&rc), NULL, &rcUpdate, NULL, 0, TXTVIEW_ACTIVE);
        if (m_bVScrollBarFixing) {
            LONG lHeight = 0;
            if (!MeasureNaturalHeight(rc, &lHeight) || lHeight <= rc.bottom - rc.top)
                RequestLayout();
        }
    }
    PaintItems(hDC, rcPaint);
}

LRESULT CRichEditUI::FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (!IsVisible() || !IsEnabled())
        return 0;
    if (!IsMouseEnabled() && IsMouseMessage(uMsg))
        return 0;
    if (uMsg == WM_MOUSEWHEEL && (LOWORD(wParam) & MK_CONTROL) == 0)
        return 0;
    if (m_pTwh == NULL || m_pManager == NULL)
        return 0;

    if (uMsg == WM_IME_COMPOSITION) {
        // Moves the input method's composition window to the caret.
        HWND hWnd = m_pManager->GetPaintWindow();
        HIMC hImc = ::ImmGetContext(hWnd);
        if (hImc != NULL) {
            POINT point;
            ::GetCaretPos(&point);
            COMPOSITIONFORM form;
            form.dwStyle = CFS_POINT;
            form.ptCurrentPos = point;
            ::SetRectEmpty(&form.rcArea);
            ::ImmSetCompositionWindow(hImc, &form);
            ::ImmReleaseContext(hWnd, hImc);
        }
        return 0;
    }

    bool bWasHandled = true;
    if ((IsMouseMessage(uMsg)) || uMsg == WM_SETCURSOR) {
        if (!m_pTwh->IsCaptured()) {
            switch (uMsg) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP: {
                POINT pt = PointFromLParam(lParam);
                CControlUI* pHover = m_pManager->FindControlAt(pt);
                if (pHover != this) {
                    bWasHandled = false;
                    return 0;
                }
                break;
            }
            default:
                break;
            }
        }
        // Mouse messages outside the client rectangle are not the engine's.
        POINT pt = PointFromLParam(lParam);
        if (uMsg == WM_MOUSEWHEEL)
            ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
        RECT rcClient = m_pTwh->GetClientRect();
        if (uMsg == WM_SETCURSOR) {
            ::GetCursorPos(&pt);
            ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
        }
        if (!m_pTwh->IsCaptured() && (!::PtInRect(&rcClient, pt) || m_pManager->IsCaptured()))
            return 0;
        if (uMsg == WM_SETCURSOR)
            bWasHandled = false;
        else if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK || uMsg == WM_RBUTTONDOWN)
            SetFocus();
    } else if (IsKeyMessage(uMsg)) {
        if (!IsFocused())
            return 0;
    } else if (uMsg == WM_CONTEXTMENU) {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
        if (m_pManager->FindControlAt(pt) != this)
            return 0;
    } else if (uMsg == WM_HELP) {
        bWasHandled = false;
    } else {
        return 0;
    }

    LRESULT lResult = 0;
    const HRESULT hr = SendTextMessage(uMsg, wParam, lParam, &lResult);
    if (IsMouseMessage(uMsg) || IsKeyMessage(uMsg))
        KeepSelectionInText();
    if (hr == S_OK) {
        bHandled = bWasHandled;
    } else if (IsKeyMessage(uMsg) || uMsg == WM_CHAR || uMsg == WM_IME_CHAR) {
        bHandled = bWasHandled;
    } else if (IsMouseMessage(uMsg)) {
        if (m_pTwh->IsCaptured())
            bHandled = bWasHandled;
    }
    return lResult;
}

void CRichEditUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }

    switch (event.nKind) {
    case UIEventSetCursor:
        if (IsEnabled() && m_pTwh != NULL && m_pTwh->DoSetCursor(NULL, &event.ptMouse))
            return;
        break;
    case UIEventSetFocus:
        if (m_pTwh != NULL) {
            // Activating an engine that is active already only lays all
            // its text out again.
            if (!m_pTwh->IsInPlaceActive())
                m_pTwh->OnTxInPlaceActivate(NULL);
            LRESULT lResult = 0;
            m_pTwh->GetTextServices()->TxSendMessage(WM_SETFOCUS, 0, 0, &lResult);
        }
        m_bFocused = true;
        Invalidate();
        return;
    case UIEventKillFocus:
        if (m_pTwh != NULL) {
            // Activating an engine that is active already only lays all
            // its text out again.
            if (!m_pTwh->IsInPlaceActive())
                m_pTwh->OnTxInPlaceActivate(NULL);
            LRESULT lResult = 0;
            m_pTwh->GetTextServices()->TxSendMessage(WM_KILLFOCUS, 0, 0, &lResult);
        }
        m_bFocused = false;
        Invalidate();
        return;
    case UIEventTimer:
        if (m_pTwh != NULL) {
            LRESULT lResult = 0;
            m_pTwh->GetTextServices()->TxSendMessage(WM_TIMER, event.wParam, event.lParam, &lResult);
        }
        return;
    case UIEventScrollWheel:
        if ((event.wKeyState & MK_CONTROL) != 0)
            return;
        break;
    case UIEventKeyDown:
    case UIEventKeyUp:
    case UIEventChar:
    case UIEventSysKey:
    case UIEventMouseMove:
    case UIEventMouseLeave:
    case UIEventMouseEnter:
    case UIEventButtonDown:
    case UIEventButtonUp:
    case UIEventDoubleClick:
        // The message filter gave these to the engine already.
        return;
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

// ---------------------------------------------------------------------------
// Scrolling: the engine scrolls its text; the bars follow through the host.
// ---------------------------------------------------------------------------
void CRichEditUI::SetScrollPos(SIZE szPos)
{
    int cx = 0;
    int cy = 0;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    LRESULT lResult = 0;
    if (cy != 0) {
        const int iPos = m_pVerticalScrollBar->GetScrollPos();
        WPARAM wParam = MAKEWPARAM(SB_THUMBPOSITION, iPos);
        SendTextMessage(WM_VSCROLL, wParam, 0, &lResult);
        // A plain-text engine may stop short of the requested line: keep
        // the bar where the user put it.
        if (!m_bRich && cy > 0 && m_pVerticalScrollBar->GetScrollPos() <= iPos)
            m_pVerticalScrollBar->SetScrollPos(iPos);
    }
    if (cx != 0) {
        WPARAM wParam = MAKEWPARAM(SB_THUMBPOSITION, m_pHorizontalScrollBar->GetScrollPos());
        SendTextMessage(WM_HSCROLL, wParam, 0, &lResult);
    }
}

void CRichEditUI::LineUp()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_VSCROLL, SB_LINEUP, 0, &lResult);
}

void CRichEditUI::LineDown()
{
    int iScrollPos = 0;
    if (m_pVerticalScrollBar != NULL)
        iScrollPos = m_pVerticalScrollBar->GetScrollPos();
    LRESULT lResult = 0;
    SendTextMessage(WM_VSCROLL, SB_LINEDOWN, 0, &lResult);
    if (!m_bRich && m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        if (m_pVerticalScrollBar->GetScrollPos() <= iScrollPos)
            m_pVerticalScrollBar->SetScrollPos(m_pVerticalScrollBar->GetScrollRange());
    }
}

void CRichEditUI::PageUp()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_VSCROLL, SB_PAGEUP, 0, &lResult);
}

void CRichEditUI::PageDown()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_VSCROLL, SB_PAGEDOWN, 0, &lResult);
}

void CRichEditUI::ScrollToTop()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_VSCROLL, SB_TOP, 0, &lResult);
}

void CRichEditUI::ScrollToBottom()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_VSCROLL, SB_BOTTOM, 0, &lResult);
}

void CRichEditUI::LineLeft()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_HSCROLL, SB_LINELEFT, 0, &lResult);
}

void CRichEditUI::LineRight()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_HSCROLL, SB_LINERIGHT, 0, &lResult);
}

void CRichEditUI::PageLeft()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_HSCROLL, SB_PAGELEFT, 0, &lResult);
}

void CRichEditUI::PageRight()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_HSCROLL, SB_PAGERIGHT, 0, &lResult);
}

void CRichEditUI::ScrollToLeft()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_HSCROLL, SB_LEFT, 0, &lResult);
}

void CRichEditUI::ScrollToRight()
{
    LRESULT lResult = 0;
    SendTextMessage(WM_HSCROLL, SB_RIGHT, 0, &lResult);
}

} // namespace SkinUI
