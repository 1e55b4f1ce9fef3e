#include "UIControl.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIRender.h"

namespace SkinUI {

namespace {

// A border is never wider than the control it frames (at least one pixel):
// a wider pen draws nothing more, and the platform's cost, and its trouble,
// grow with the width.
int BorderWidth(int nSize, int nExtent)
{
    if (nExtent < 1)
        nExtent = 1;
    return nSize > nExtent ? nExtent : nSize;
}

int ParseInt(LPCTSTR pstrValue)
{
    if (pstrValue == NULL)
        return 0;
    return static_cast<int>(wcstol(pstrValue, NULL, 10));
}

// The item rect clipped by the item rect of every ancestor; false as soon as
// an intersection is empty.
bool ClipByAncestors(const CControlUI* pParent, RECT& rc)
{
    for (const CControlUI* p = pParent; p != NULL; p = p->GetParent()) {
        const RECT& rcParent = p->GetPos();
        if (!::IntersectRect(&rc, &rc, &rcParent))
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Value grammar
// ---------------------------------------------------------------------------
void CControlUI::ParseNumberList(LPCTSTR pstrValue, int* pValues, int nCount)
{
    if (pValues == NULL)
        return;
    for (int i = 0; i < nCount; ++i)
        pValues[i] = 0;
    if (pstrValue == NULL)
        return;
    const wchar_t* p = pstrValue;
    for (int i = 0; i < nCount && *p != L'\0'; ++i) {
        wchar_t* pEnd = NULL;
        pValues[i] = static_cast<int>(wcstol(p, &pEnd, 10));
        if (pEnd == NULL)
            pEnd = const_cast<wchar_t*>(p);
        // The next number starts one separator character further on; at the
        // end of the text the remaining items stay 0.
        if (*pEnd == L'\0')
            break;
        p = pEnd + 1;
    }
}

DWORD CControlUI::ParseColor(LPCTSTR pstrValue, bool bSkipBlanks)
{
    if (pstrValue == NULL)
        return 0;
    const wchar_t* p = pstrValue;
    if (bSkipBlanks) {
        while (*p != L'\0' && *p <= L' ')
            ++p;
    }
    if (*p == L'#')
        ++p;
    return static_cast<DWORD>(wcstoul(p, NULL, 16));
}

bool CControlUI::IsTrueValue(LPCTSTR pstrValue)
{
    return pstrValue != NULL && wcscmp(pstrValue, L"true") == 0;
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------
CControlUI::CControlUI()
    : m_pManager(NULL),
      m_pParent(NULL),
      m_bUpdateNeeded(true),
      m_bMenuUsed(false),
      m_rcItem(0, 0, 0, 0),
      m_rcPadding(0, 0, 0, 0),
      m_cXY(0, 0),
      m_nFixedWidth(0),
      m_nFixedHeight(0),
      m_nMinWidth(0),
      m_nMinHeight(0),
      m_nMaxWidth(9999),
      m_nMaxHeight(9999),
      m_bVisible(true),
      m_bInternVisible(true),
      m_bEnabled(true),
      m_bMouseEnabled(true),
      m_bKeyboardEnabled(true),
      m_bFocused(false),
      m_bFloat(false),
      m_bSetPos(false),
      m_chShortcut(0),
      m_pTag(0),
      m_dwBackColor(0),
      m_dwBackColor2(0),
      m_dwBackColor3(0),
      m_dwBorderColor(0),
      m_dwFocusBorderColor(0),
      m_bColorHSL(false),
      m_nBorderSize(0),
      m_nBorderStyle(0),
      m_nTooltipWidth(300),
      m_cxyBorderRound(0, 0),
      m_rcPaint(0, 0, 0, 0),
      m_rcBorderSize(0, 0, 0, 0)
{
    m_tRelativePos.bRelative = false;
    m_tRelativePos.nParentCx = 0;
    m_tRelativePos.nParentCy = 0;
    m_tRelativePos.nMoveXPercent = 0;
    m_tRelativePos.nMoveYPercent = 0;
    m_tRelativePos.nZoomXPercent = 0;
    m_tRelativePos.nZoomYPercent = 0;
}

CControlUI::~CControlUI()
{
    if (DestroyHandlers)
        DestroyHandlers.Fire(this);
    if (m_pManager != NULL)
        m_pManager->ReapObjects(this);
}

// ---------------------------------------------------------------------------
// Identity
// ---------------------------------------------------------------------------
CUIString CControlUI::GetName() const
{
    return m_sName;
}

void CControlUI::SetName(LPCTSTR pstrName)
{
    m_sName = pstrName;
}

LPCTSTR CControlUI::GetClassName() const
{
    return L"ControlUI";
}

LPVOID CControlUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Control") == 0)
        return this;
    return NULL;
}

UINT CControlUI::GetInputFlags() const
{
    return 0;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

CUIManager* CControlUI::GetManager() const
{
    return m_pManager;
}

void CControlUI::SetManager(CUIManager* pManager, CControlUI* pParent, bool bInit)
{
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent != NULL)
        Init();
}

CControlUI* CControlUI::GetParent() const
{
    return m_pParent;
}

CUIString CControlUI::GetText() const
{
    return m_sText;
}

void CControlUI::SetText(LPCTSTR pstrText)
{
    if (m_sText == pstrText)
        return;
    m_sText = pstrText;
    Invalidate();
}

// ---------------------------------------------------------------------------
// Placement
// ---------------------------------------------------------------------------
const CUIRect& CControlUI::GetPos() const
{
    return m_rcItem;
}

void CControlUI::SetPos(RECT rc)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;

    CUIRect rcInvalidate = m_rcItem;
    if (::IsRectEmpty(&rcInvalidate))
        rcInvalidate = rc;

    m_rcItem = rc;
    if (m_pManager == NULL)
        return;

    if (!m_bSetPos) {
        m_bSetPos = true;
        if (SizeHandlers)
            SizeHandlers.Fire(this);
        m_bSetPos = false;
    }

    if (m_bFloat && m_pParent != NULL) {
        // Keep the placement in step with the rectangle, so that the next
        // layout pass reproduces it.
        const CUIRect& rcParent = m_pParent->GetPos();
        if (m_cXY.cx >= 0)
            m_cXY.cx = m_rcItem.left - rcParent.left;
        else
            m_cXY.cx = m_rcItem.right - rcParent.right;
        if (m_cXY.cy >= 0)
            m_cXY.cy = m_rcItem.top - rcParent.top;
        else
            m_cXY.cy = m_rcItem.bottom - rcParent.bottom;
        m_nFixedWidth = m_rcItem.GetWidth();
        m_nFixedHeight = m_rcItem.GetHeight();
    }

    m_bUpdateNeeded = false;

    rcInvalidate.Union(m_rcItem);
    if (!ClipByAncestors(m_pParent, rcInvalidate))
        return;
    m_pManager->Invalidate(rcInvalidate);
}

int CControlUI::GetWidth() const
{
    return m_rcItem.right - m_rcItem.left;
}

int CControlUI::GetHeight() const
{
    return m_rcItem.bottom - m_rcItem.top;
}

int CControlUI::GetX() const
{
    return m_rcItem.left;
}

int CControlUI::GetY() const
{
    return m_rcItem.top;
}

CUIRect CControlUI::GetPadding() const
{
    return m_rcPadding;
}

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    RequestParentLayout();
}

// A size or offset change of a float control is carried out by its parent's
// placement of float children, so the parent is asked for a layout too; a
// layout of the control alone would give it its old rectangle again and
// derive the old placement back from it.
void CControlUI::RequestPlacementLayout()
{
    if (m_bFloat)
        RequestLayout();
    RequestParentLayout();
}

CUISize CControlUI::GetFloatOffset() const
{
    return m_cXY;
}

void CControlUI::SetFloatOffset(int cx, int cy)
{
    m_cXY.cx = cx;
    m_cXY.cy = cy;
    RequestPlacementLayout();
}

int CControlUI::GetFixedWidth() const
{
    return m_nFixedWidth;
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_nFixedWidth = cx;
    RequestPlacementLayout();
}

int CControlUI::GetFixedHeight() const
{
    return m_nFixedHeight;
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_nFixedHeight = cy;
    RequestPlacementLayout();
}

int CControlUI::GetMinWidth() const
{
    return m_nMinWidth;
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0 || m_nMinWidth == cx)
        return;
    m_nMinWidth = cx;
    RequestPlacementLayout();
}

int CControlUI::GetMaxWidth() const
{
    return m_nMaxWidth;
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0 || m_nMaxWidth == cx)
        return;
    m_nMaxWidth = cx;
    RequestPlacementLayout();
}

int CControlUI::GetMinHeight() const
{
    return m_nMinHeight;
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0 || m_nMinHeight == cy)
        return;
    m_nMinHeight = cy;
    RequestPlacementLayout();
}

int CControlUI::GetMaxHeight() const
{
    return m_nMaxHeight;
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0 || m_nMaxHeight == cy)
        return;
    m_nMaxHeight = cy;
    RequestPlacementLayout();
}

void CControlUI::SetRelativePos(int nMoveXPercent, int nMoveYPercent, int nZoomXPercent, int nZoomYPercent)
{
    m_tRelativePos.bRelative = true;
    m_tRelativePos.nMoveXPercent = nMoveXPercent;
    m_tRelativePos.nMoveYPercent = nMoveYPercent;
    m_tRelativePos.nZoomXPercent = nZoomXPercent;
    m_tRelativePos.nZoomYPercent = nZoomYPercent;
}

void CControlUI::SetRelativeParentSize(int cx, int cy)
{
    m_tRelativePos.nParentCx = cx;
    m_tRelativePos.nParentCy = cy;
}

UIRelativePos CControlUI::GetRelativePos() const
{
    return m_tRelativePos;
}

bool CControlUI::IsRelativePos() const
{
    return m_tRelativePos.bRelative;
}

// ---------------------------------------------------------------------------
// Tooltip, shortcut, user data
// ---------------------------------------------------------------------------
CUIString CControlUI::GetToolTip() const
{
    return m_sToolTip;
}

void CControlUI::SetToolTip(LPCTSTR pstrText)
{
    CUIString sText(pstrText);
    sText.Replace(L"<n>", L"\r\n");
    m_sToolTip = sText;
}

void CControlUI::SetToolTipWidth(int nWidth)
{
    m_nTooltipWidth = nWidth;
}

int CControlUI::GetToolTipWidth() const
{
    return m_nTooltipWidth;
}

wchar_t CControlUI::GetShortcut() const
{
    return m_chShortcut;
}

void CControlUI::SetShortcut(wchar_t ch)
{
    m_chShortcut = ch;
}

bool CControlUI::IsContextMenuEnabled() const
{
    return m_bMenuUsed;
}

void CControlUI::SetContextMenuEnabled(bool bMenuUsed)
{
    m_bMenuUsed = bMenuUsed;
}

const CUIString& CControlUI::GetUserData() const
{
    return m_sUserData;
}

void CControlUI::SetUserData(LPCTSTR pstrText)
{
    m_sUserData = pstrText;
}

UINT_PTR CControlUI::GetUserPointer() const
{
    return m_pTag;
}

void CControlUI::SetUserPointer(UINT_PTR pTag)
{
    m_pTag = pTag;
}

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------
bool CControlUI::IsVisible() const
{
    return m_bVisible && m_bInternVisible;
}

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    const bool bWasVisible = IsVisible();
    m_bVisible = bVisible;
    m_bFocused = false;
    if (!bVisible && m_pManager != NULL && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(NULL);
    if (IsVisible() != bWasVisible)
        RequestParentLayout();
}

void CControlUI::SetInheritedVisible(bool bVisible)
{
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager != NULL && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(NULL);
}

bool CControlUI::IsEnabled() const
{
    return m_bEnabled;
}

void CControlUI::SetEnabled(bool bEnable)
{
    if (m_bEnabled == bEnable)
        return;
    m_bEnabled = bEnable;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const
{
    return m_bMouseEnabled;
}

void CControlUI::SetMouseEnabled(bool bEnable)
{
    m_bMouseEnabled = bEnable;
}

bool CControlUI::IsKeyboardEnabled() const
{
    return m_bKeyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool bEnable)
{
    m_bKeyboardEnabled = bEnable;
}

bool CControlUI::IsFocused() const
{
    return m_bFocused;
}

void CControlUI::SetFocus()
{
    if (m_pManager != NULL)
        m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const
{
    return m_bFloat;
}

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat)
        return;
    m_bFloat = bFloat;
    RequestParentLayout();
}

// ---------------------------------------------------------------------------
// Search, initialisation, events
// ---------------------------------------------------------------------------
CControlUI* CControlUI::FindControl(UIFindControlFn Proc, LPVOID pData, UINT uFlags)
{
    if (Proc == NULL)
        return NULL;
    if ((uFlags & FindVisible) != 0 && !IsVisible())
        return NULL;
    if ((uFlags & FindEnabled) != 0 && !IsEnabled())
        return NULL;
    if ((uFlags & FindHitTest) != 0) {
        if (!m_bMouseEnabled || pData == NULL)
            return NULL;
        if (!::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData)))
            return NULL;
    }
    return Proc(this, pData);
}

void CControlUI::Init()
{
    OnInit();
    if (InitHandlers)
        InitHandlers.Fire(this);
}

void CControlUI::OnInit()
{
}

void CControlUI::DispatchEvent(UIEvent& event)
{
    if (EventHandlers) {
        if (!EventHandlers.Fire(&event))
            return;
    }
    HandleEvent(event);
}

void CControlUI::HandleEvent(UIEvent& event)
{
    switch (event.nKind) {
    case UIEventSetCursor:
        ::SetCursor(::LoadCursor(NULL, IDC_ARROW));
        return;
    case UIEventKillFocus:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEventSetFocus:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEventTimer:
        if (m_pManager != NULL)
            m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEventContextMenu:
        if (IsContextMenuEnabled()) {
            if (m_pManager != NULL)
                m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_pParent != NULL)
        m_pParent->HandleEvent(event);
}

// ---------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------
void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"pos") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        const int x = v[0] >= 0 ? v[0] : v[2];
        const int y = v[1] >= 0 ? v[1] : v[3];
        SetFloatOffset(x, y);
        SetFixedWidth(v[2] - v[0]);
        SetFixedHeight(v[3] - v[1]);
    } else if (wcscmp(pstrName, L"relativepos") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        SetRelativePos(v[0], v[1], v[2], v[3]);
    } else if (wcscmp(pstrName, L"padding") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        RECT rc = { v[0], v[1], v[2], v[3] };
        SetPadding(rc);
    } else if (wcscmp(pstrName, L"bkcolor") == 0 || wcscmp(pstrName, L"bkcolor1") == 0) {
        SetBackgroundColor(ParseColor(pstrValue, true));
    } else if (wcscmp(pstrName, L"bkcolor2") == 0) {
        SetBackgroundColor2(ParseColor(pstrValue, true));
    } else if (wcscmp(pstrName, L"bkcolor3") == 0) {
        SetBackgroundColor3(ParseColor(pstrValue, true));
    } else if (wcscmp(pstrName, L"bordercolor") == 0) {
        SetBorderColor(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"focusbordercolor") == 0) {
        SetFocusBorderColor(ParseColor(pstrValue, false));
    } else if (wcscmp(pstrName, L"colorhsl") == 0) {
        SetColorHSL(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"bordersize") == 0) {
        if (wcschr(pstrValue, L',') == NULL) {
            SetBorderSize(ParseInt(pstrValue));
            RECT rcZero = { 0, 0, 0, 0 };
            SetBorderSizes(rcZero);
        } else {
            int v[4];
            ParseNumberList(pstrValue, v, 4);
            RECT rc = { v[0], v[1], v[2], v[3] };
            SetBorderSizes(rc);
        }
    } else if (wcscmp(pstrName, L"leftbordersize") == 0) {
        SetLeftBorderSize(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"topbordersize") == 0) {
        SetTopBorderSize(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"rightbordersize") == 0) {
        SetRightBorderSize(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"bottombordersize") == 0) {
        SetBottomBorderSize(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"borderstyle") == 0) {
        SetBorderStyle(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"borderround") == 0) {
        int v[2];
        ParseNumberList(pstrValue, v, 2);
        SetBorderRound(v[0], v[1]);
    } else if (wcscmp(pstrName, L"bkimage") == 0) {
        SetBackgroundImage(pstrValue);
    } else if (wcscmp(pstrName, L"width") == 0) {
        SetFixedWidth(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"height") == 0) {
        SetFixedHeight(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"minwidth") == 0) {
        SetMinWidth(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"minheight") == 0) {
        SetMinHeight(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"maxwidth") == 0) {
        SetMaxWidth(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"maxheight") == 0) {
        SetMaxHeight(ParseInt(pstrValue));
    } else if (wcscmp(pstrName, L"name") == 0) {
        SetName(pstrValue);
    } else if (wcscmp(pstrName, L"text") == 0) {
        SetText(pstrValue);
    } else if (wcscmp(pstrName, L"tooltip") == 0) {
        SetToolTip(pstrValue);
    } else if (wcscmp(pstrName, L"userdata") == 0) {
        SetUserData(pstrValue);
    } else if (wcscmp(pstrName, L"enabled") == 0) {
        SetEnabled(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"mouse") == 0) {
        SetMouseEnabled(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"keyboard") == 0) {
        SetKeyboardEnabled(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"visible") == 0) {
        SetVisible(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"float") == 0) {
        SetFloat(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"shortcut") == 0) {
        SetShortcut(pstrValue[0]);
    } else if (wcscmp(pstrName, L"menu") == 0) {
        SetContextMenuEnabled(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"virtualwnd") == 0) {
        SetVirtualWindow(pstrValue);
    }
}

CControlUI* CControlUI::ApplyAttributes(LPCTSTR pstrList)
{
    if (pstrList == NULL)
        return this;
    CUIString sName;
    CUIString sValue;
    const wchar_t* p = pstrList;
    while (*p != L'\0') {
        // name: everything up to "="
        sName.Empty();
        sValue.Empty();
        const wchar_t* pStart = p;
        while (*p != L'\0' && *p != L'=')
            p = ::CharNextW(p);
        sName.Assign(pStart, static_cast<int>(p - pStart));
        if (*p != L'=')
            return this;
        ++p;
        if (*p != L'"')
            return this;
        ++p;
        // value: everything up to the next double quote
        pStart = p;
        while (*p != L'\0' && *p != L'"')
            p = ::CharNextW(p);
        if (*p != L'"')
            return this;
        sValue.Assign(pStart, static_cast<int>(p - pStart));
        ++p;
        SetAttribute(sName, sValue);
        if (*p != L' ')
            return this;
        ++p;
    }
    return this;
}

CUISize CControlUI::MeasureSize(SIZE)
{
    return CUISize(m_nFixedWidth, m_nFixedHeight);
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------
void CControlUI::Paint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;

    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CUIRenderClip roundClip;
        CUIRenderClip::ClipRoundRect(hDC, m_rcPaint, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                     roundClip);
        PaintBackgroundColor(hDC);
        PaintBackgroundImage(hDC);
        PaintStateImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    } else {
        PaintBackgroundColor(hDC);
        PaintBackgroundImage(hDC);
        PaintStateImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    }
}

void CControlUI::PaintBackgroundColor(HDC hDC)
{
    if (m_dwBackColor == 0)
        return;
    if (m_dwBackColor2 == 0) {
        // An opaque colour covers exactly what is painted; a translucent one
        // is blended over the whole item in one piece.
        if (m_dwBackColor >= 0xFF000000)
            CUIRender::FillRectColor(hDC, m_rcPaint, AdjustColor(m_dwBackColor));
        else
            CUIRender::FillRectColor(hDC, m_rcItem, AdjustColor(m_dwBackColor));
    } else if (m_dwBackColor3 == 0) {
        CUIRender::FillGradient(hDC, m_rcItem, AdjustColor(m_dwBackColor), AdjustColor(m_dwBackColor2), true,
                                16);
    } else {
        CUIRect rc = m_rcItem;
        rc.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
        CUIRender::FillGradient(hDC, rc, AdjustColor(m_dwBackColor), AdjustColor(m_dwBackColor2), true, 8);
        rc.top = rc.bottom;
        rc.bottom = m_rcItem.bottom;
        CUIRender::FillGradient(hDC, rc, AdjustColor(m_dwBackColor2), AdjustColor(m_dwBackColor3), true, 8);
    }
}

bool CControlUI::PaintsOpaqueOver(const RECT& rc) const
{
    // A single opaque colour fills the whole painted part of the item (see
    // PaintBackgroundColor); a gradient or round corners may leave gaps.
    if (m_dwBackColor < 0xFF000000 || m_dwBackColor2 != 0)
        return false;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        return false;
    return rc.left >= m_rcItem.left && rc.top >= m_rcItem.top && rc.right <= m_rcItem.right &&
           rc.bottom <= m_rcItem.bottom && rc.left < rc.right && rc.top < rc.bottom;
}

void CControlUI::PaintBackgroundImage(HDC hDC)
{
    if (m_sBkImage.IsEmpty())
        return;
    // A failed draw (no DC or no manager yet) leaves the image set for the
    // next paint.
    DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStateImage(HDC)
{
}

void CControlUI::PaintText(HDC)
{
}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0)
        return;

    const int nWidth = m_rcItem.right - m_rcItem.left;
    const int nHeight = m_rcItem.bottom - m_rcItem.top;
    const int nOutline = BorderWidth(m_nBorderSize, nWidth < nHeight ? nWidth : nHeight);

    if (m_nBorderSize >= 1 && (m_cxyBorderRound.cx >= 1 || m_cxyBorderRound.cy >= 1)) {
        const DWORD dwColor = (IsFocused() && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor
                                                                           : m_dwBorderColor;
        CUIRender::DrawRoundRectOutline(hDC, m_rcItem, nOutline, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                        AdjustColor(dwColor));
        return;
    }

    if (IsFocused() && m_dwFocusBorderColor != 0 && m_nBorderSize >= 1) {
        CUIRender::DrawRectOutline(hDC, m_rcItem, nOutline, AdjustColor(m_dwFocusBorderColor));
        return;
    }

    if (m_rcBorderSize.left > 0 || m_rcBorderSize.top > 0 || m_rcBorderSize.right > 0
        || m_rcBorderSize.bottom > 0) {
        // Each side line lies on the outermost columns or rows inside the
        // item rect. A pen of width w covers the w pixels starting w / 2
        // before the line, so the line is set w / 2 in from the left and top
        // edges and (w - 1) / 2 in from the last column and row.
        const DWORD dwColor = AdjustColor(m_dwBorderColor);
        const CUIRect& rc = m_rcItem;
        if (m_rcBorderSize.left > 0) {
            const int w = BorderWidth(m_rcBorderSize.left, nWidth);
            const int x = rc.left + w / 2;
            RECT rcLine = { x, rc.top, x, rc.bottom };
            CUIRender::DrawLine(hDC, rcLine, w, dwColor, m_nBorderStyle);
        }
        if (m_rcBorderSize.top > 0) {
            const int w = BorderWidth(m_rcBorderSize.top, nHeight);
            const int y = rc.top + w / 2;
            RECT rcLine = { rc.left, y, rc.right, y };
            CUIRender::DrawLine(hDC, rcLine, w, dwColor, m_nBorderStyle);
        }
        if (m_rcBorderSize.right > 0) {
            const int w = BorderWidth(m_rcBorderSize.right, nWidth);
            const int x = rc.right - 1 - (w - 1) / 2;
            RECT rcLine = { x, rc.top, x, rc.bottom };
            CUIRender::DrawLine(hDC, rcLine, w, dwColor, m_nBorderStyle);
        }
        if (m_rcBorderSize.bottom > 0) {
            const int w = BorderWidth(m_rcBorderSize.bottom, nHeight);
            const int y = rc.bottom - 1 - (w - 1) / 2;
            RECT rcLine = { rc.left, y, rc.right, y };
            CUIRender::DrawLine(hDC, rcLine, w, dwColor, m_nBorderStyle);
        }
        return;
    }

    if (m_nBorderSize >= 1)
        CUIRender::DrawRectOutline(hDC, m_rcItem, nOutline, AdjustColor(m_dwBorderColor));
}

void CControlUI::PostPaint(HDC, const RECT&)
{
}

// ---------------------------------------------------------------------------
// Invalidation and layout requests
// ---------------------------------------------------------------------------
void CControlUI::Invalidate()
{
    if (!IsVisible())
        return;
    RECT rc = m_rcItem;
    if (!ClipByAncestors(m_pParent, rc))
        return;
    if (m_pManager != NULL)
        m_pManager->Invalidate(rc);
}

bool CControlUI::NeedsLayout() const
{
    return m_bUpdateNeeded;
}

void CControlUI::RequestLayout()
{
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    // Controls built in code get their attributes before they are added to a
    // managed tree.
    if (m_pManager != NULL)
        m_pManager->NeedUpdate();
}

void CControlUI::RequestParentLayout()
{
    if (m_pParent != NULL) {
        m_pParent->RequestLayout();
        m_pParent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_pManager != NULL)
        m_pManager->NeedUpdate();
}

DWORD CControlUI::AdjustColor(DWORD dwColor) const
{
    if (!m_bColorHSL)
        return dwColor;
    short H = 180, S = 100, L = 100;
    CUIManager::GetHSL(&H, &S, &L);
    return CUIRender::AdjustColorHsl(dwColor, H, S, L);
}

bool CControlUI::DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    return CUIRender::DrawImageSpec(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage, pStrModify);
}

CUIString CControlUI::GetVirtualWindow() const
{
    if (!m_sVirtualWnd.IsEmpty())
        return m_sVirtualWnd;
    if (m_pParent != NULL)
        return m_pParent->GetVirtualWindow();
    return CUIString();
}

void CControlUI::SetVirtualWindow(LPCTSTR pstrValue)
{
    m_sVirtualWnd = pstrValue;
    if (m_pManager != NULL)
        m_pManager->SetUseVirtualWindow(true);
}

// ---------------------------------------------------------------------------
// Drawing fields
// ---------------------------------------------------------------------------
void CControlUI::SetBackgroundColor(DWORD dwBackColor)
{
    if (m_dwBackColor == dwBackColor)
        return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

void CControlUI::SetBackgroundColor2(DWORD dwBackColor)
{
    if (m_dwBackColor2 == dwBackColor)
        return;
    m_dwBackColor2 = dwBackColor;
    Invalidate();
}

void CControlUI::SetBackgroundColor3(DWORD dwBackColor)
{
    if (m_dwBackColor3 == dwBackColor)
        return;
    m_dwBackColor3 = dwBackColor;
    Invalidate();
}

void CControlUI::SetBackgroundImage(LPCTSTR pStrImage)
{
    if (m_sBkImage == pStrImage)
        return;
    m_sBkImage = pStrImage;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    if (m_dwBorderColor == dwBorderColor)
        return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor)
{
    if (m_dwFocusBorderColor == dwBorderColor)
        return;
    m_dwFocusBorderColor = dwBorderColor;
    Invalidate();
}

void CControlUI::SetColorHSL(bool bColorHSL)
{
    if (m_bColorHSL == bColorHSL)
        return;
    m_bColorHSL = bColorHSL;
    Invalidate();
}

void CControlUI::SetBorderSize(int nSize)
{
    if (m_nBorderSize == nSize)
        return;
    m_nBorderSize = nSize;
    Invalidate();
}

int CControlUI::GetBorderSize() const
{
    return m_nBorderSize;
}

void CControlUI::SetBorderSizes(RECT rc)
{
    m_rcBorderSize = rc;
    Invalidate();
}

void CControlUI::SetLeftBorderSize(int nSize)
{
    m_rcBorderSize.left = nSize;
    Invalidate();
}

void CControlUI::SetTopBorderSize(int nSize)
{
    m_rcBorderSize.top = nSize;
    Invalidate();
}

void CControlUI::SetRightBorderSize(int nSize)
{
    m_rcBorderSize.right = nSize;
    Invalidate();
}

void CControlUI::SetBottomBorderSize(int nSize)
{
    m_rcBorderSize.bottom = nSize;
    Invalidate();
}

void CControlUI::SetBorderStyle(int nStyle)
{
    m_nBorderStyle = nStyle;
    Invalidate();
}

void CControlUI::SetBorderRound(int cx, int cy)
{
    m_cxyBorderRound.cx = cx;
    m_cxyBorderRound.cy = cy;
    Invalidate();
}

DWORD CControlUI::GetBackgroundColor() const
{
    return m_dwBackColor;
}

DWORD CControlUI::GetBackgroundColor2() const
{
    return m_dwBackColor2;
}

DWORD CControlUI::GetBackgroundColor3() const
{
    return m_dwBackColor3;
}

const CUIString& CControlUI::GetBackgroundImage() const
{
    return m_sBkImage;
}

DWORD CControlUI::GetBorderColor() const
{
    return m_dwBorderColor;
}

DWORD CControlUI::GetFocusBorderColor() const
{
    return m_dwFocusBorderColor;
}

bool CControlUI::IsColorHSL() const
{
    return m_bColorHSL;
}

CUIRect CControlUI::GetBorderSizes() const
{
    return m_rcBorderSize;
}

int CControlUI::GetBorderStyle() const
{
    return m_nBorderStyle;
}

CUISize CControlUI::GetBorderRound() const
{
    return m_cxyBorderRound;
}

} // namespace SkinUI
