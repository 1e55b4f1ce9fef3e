#include "UIScrollBar.h"

#include "UIContainer.h"
#include "UIManager.h"
#include "UIRender.h"

#include <stdlib.h>
#include <wchar.h>

namespace SkinUI {

namespace {

const DWORD kOutlineColor = 0xFF85E4FF;   // parts without an image
const int kOutlineSize = 2;

bool IsTrue(LPCTSTR pstrValue)
{
    return pstrValue != NULL && wcscmp(pstrValue, L"true") == 0;
}

int ParseInt(LPCTSTR pstrValue)
{
    if (pstrValue == NULL)
        return 0;
    return static_cast<int>(wcstol(pstrValue, NULL, 10));
}

bool IsZeroRect(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

bool PointIn(const RECT& rc, POINT pt)
{
    return ::PtInRect(&rc, pt) != FALSE;
}

int ClampToInt(long long value)
{
    if (value > 0x7FFFFFFFLL)
        return 0x7FFFFFFF;
    if (value < -0x7FFFFFFFLL - 1)
        return -0x7FFFFFFF - 1;
    return static_cast<int>(value);
}

} // namespace

CScrollBarUI::CScrollBarUI()
    : m_bHorizontal(false),
      m_nRange(100),
      m_nScrollPos(0),
      m_nLineSize(8),
      m_pOwner(NULL),
      m_nLastScrollPos(0),
      m_nLastScrollOffset(0),
      m_nScrollRepeatDelay(0),
      m_bShowButton1(true),
      m_rcButton1(0, 0, 0, 0),
      m_uButton1State(0),
      m_bShowButton2(true),
      m_rcButton2(0, 0, 0, 0),
      m_uButton2State(0),
      m_rcThumb(0, 0, 0, 0),
      m_uThumbState(0)
{
    m_ptLastMouse.x = 0;
    m_ptLastMouse.y = 0;
    m_nFixedWidth = DefaultThickness;
}

CScrollBarUI::~CScrollBarUI()
{
}

LPCTSTR CScrollBarUI::GetClassName() const
{
    return L"ScrollBarUI";
}

LPVOID CScrollBarUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ScrollBar") == 0)
        return static_cast<CScrollBarUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

// ---------------------------------------------------------------------------
// Owner and geometry
// ---------------------------------------------------------------------------
CContainerUI* CScrollBarUI::GetOwner() const
{
    return m_pOwner;
}

void CScrollBarUI::SetOwner(CContainerUI* pOwner)
{
    m_pOwner = pOwner;
}

bool CScrollBarUI::IsHorizontal() const
{
    return m_bHorizontal;
}

void CScrollBarUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    if (m_bHorizontal) {
        if (m_nFixedHeight == 0) {
            m_nFixedHeight = DefaultThickness;
            m_nFixedWidth = 0;
        }
    } else {
        if (m_nFixedWidth == 0) {
            m_nFixedWidth = DefaultThickness;
            m_nFixedHeight = 0;
        }
    }
    if (m_pOwner != NULL)
        m_pOwner->RequestLayout();
    else
        RequestParentLayout();
}

int CScrollBarUI::GetScrollRange() const
{
    return m_nRange;
}

void CScrollBarUI::SetScrollRange(int nRange)
{
    if (m_nRange == nRange)
        return;
    m_nRange = nRange < 0 ? 0 : nRange;
    if (m_nScrollPos > m_nRange)
        m_nScrollPos = m_nRange;
    SetPos(m_rcItem);
}

int CScrollBarUI::GetScrollPos() const
{
    return m_nScrollPos;
}

void CScrollBarUI::SetScrollPos(int nPos)
{
    if (m_nScrollPos == nPos)
        return;
    if (nPos < 0)
        nPos = 0;
    if (nPos > m_nRange)
        nPos = m_nRange;
    m_nScrollPos = nPos;
    SetPos(m_rcItem);
}

int CScrollBarUI::GetLineSize() const
{
    return m_nLineSize;
}

void CScrollBarUI::SetLineSize(int nSize)
{
    m_nLineSize = nSize;
}

bool CScrollBarUI::GetShowButton1() const
{
    return m_bShowButton1;
}

void CScrollBarUI::SetShowButton1(bool bShow)
{
    m_bShowButton1 = bShow;
    SetPos(m_rcItem);
}

bool CScrollBarUI::GetShowButton2() const
{
    return m_bShowButton2;
}

void CScrollBarUI::SetShowButton2(bool bShow)
{
    m_bShowButton2 = bShow;
    SetPos(m_rcItem);
}

const CUIRect& CScrollBarUI::GetButton1Rect() const { return m_rcButton1; }
const CUIRect& CScrollBarUI::GetButton2Rect() const { return m_rcButton2; }
const CUIRect& CScrollBarUI::GetThumbRect() const { return m_rcThumb; }
UINT CScrollBarUI::GetButton1State() const { return m_uButton1State; }
UINT CScrollBarUI::GetButton2State() const { return m_uButton2State; }
UINT CScrollBarUI::GetThumbState() const { return m_uThumbState; }

void CScrollBarUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    LayoutParts();
}

// Lays out the buttons and the thumb along the bar's axis. The arithmetic is
// done in 64 bits: ranges of long contents times the bar's length exceed 32.
void CScrollBarUI::LayoutParts()
{
    const CUIRect& rc = m_rcItem;
    if (m_bHorizontal) {
        const int L = rc.left, T = rc.top, R = rc.right;
        const int W = R - L;
        const int c = m_nFixedHeight;
        int avail = W;
        if (m_bShowButton1)
            avail -= c;
        if (m_bShowButton2)
            avail -= c;
        if (avail > c) {
            m_rcButton1 = m_bShowButton1 ? CUIRect(L, T, L + c, T + c) : CUIRect(L, T, L, T);
            m_rcButton2 = m_bShowButton2 ? CUIRect(R - c, T, R, T + c) : CUIRect(R, T, R, T);
            if (m_nRange <= 0) {
                m_rcThumb = CUIRect(m_rcButton1.right, T, m_rcButton2.left, T + c);
            } else {
                int t = ClampToInt(static_cast<long long>(W) * avail / (static_cast<long long>(W) + m_nRange));
                if (t < c)
                    t = c;
                int x = ClampToInt(static_cast<long long>(avail - t) * m_nScrollPos / m_nRange) + m_rcButton1.right;
                if (x + t > m_rcButton2.left)
                    x = m_rcButton2.left - t;
                m_rcThumb = CUIRect(x, T, x + t, T + c);
            }
        } else {
            int half = W / 2;
            if (half > c)
                half = c;
            m_rcButton1 = m_bShowButton1 ? CUIRect(L, T, L + half, T + c) : CUIRect(L, T, L, T);
            m_rcButton2 = m_bShowButton2 ? CUIRect(R - half, T, R, T + c) : CUIRect(R, T, R, T);
            m_rcThumb = CUIRect(0, 0, 0, 0);
        }
    } else {
        const int L = rc.left, T = rc.top, B = rc.bottom;
        const int H = B - T;
        const int c = m_nFixedWidth;
        int avail = H;
        if (m_bShowButton1)
            avail -= c;
        if (m_bShowButton2)
            avail -= c;
        if (avail > c) {
            m_rcButton1 = m_bShowButton1 ? CUIRect(L, T, L + c, T + c) : CUIRect(L, T, L, T);
            m_rcButton2 = m_bShowButton2 ? CUIRect(L, B - c, L + c, B) : CUIRect(L, B, L, B);
            if (m_nRange <= 0) {
                m_rcThumb = CUIRect(L, m_rcButton1.bottom, L + c, m_rcButton2.top);
            } else {
                int t = ClampToInt(static_cast<long long>(H) * avail / (static_cast<long long>(H) + m_nRange));
                if (t < c)
                    t = c;
                int y = ClampToInt(static_cast<long long>(avail - t) * m_nScrollPos / m_nRange) + m_rcButton1.bottom;
                if (y + t > m_rcButton2.top)
                    y = m_rcButton2.top - t;
                m_rcThumb = CUIRect(L, y, L + c, y + t);
            }
        } else {
            int half = H / 2;
            if (half > c)
                half = c;
            m_rcButton1 = m_bShowButton1 ? CUIRect(L, T, L + c, T + half) : CUIRect(L, T, L, T);
            m_rcButton2 = m_bShowButton2 ? CUIRect(L, B - half, L + c, B) : CUIRect(L, B, L, B);
            m_rcThumb = CUIRect(0, 0, 0, 0);
        }
    }
}

void CScrollBarUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    // The owner lays its bars out; nothing is requested here.
    m_bVisible = bVisible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus()
{
    if (m_pOwner != NULL)
        m_pOwner->SetFocus();
    else
        CControlUI::SetFocus();
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------
void CScrollBarUI::StepLine(bool bForward)
{
    if (m_pOwner != NULL) {
        if (m_bHorizontal) {
            if (bForward)
                m_pOwner->LineRight();
            else
                m_pOwner->LineLeft();
        } else {
            if (bForward)
                m_pOwner->LineDown();
            else
                m_pOwner->LineUp();
        }
    } else {
        SetScrollPos(bForward ? m_nScrollPos + m_nLineSize : m_nScrollPos - m_nLineSize);
    }
}

void CScrollBarUI::StepPage(bool bForward)
{
    if (m_pOwner != NULL) {
        if (m_bHorizontal) {
            if (bForward)
                m_pOwner->PageRight();
            else
                m_pOwner->PageLeft();
        } else {
            if (bForward)
                m_pOwner->PageDown();
            else
                m_pOwner->PageUp();
        }
    } else {
        const int page = m_bHorizontal ? m_rcItem.GetWidth() : m_rcItem.GetHeight();
        SetScrollPos(bForward ? m_nScrollPos + page : m_nScrollPos - page);
    }
}

void CScrollBarUI::SendScrollNotify()
{
    if (m_pManager != NULL && m_pOwner == NULL)
        m_pManager->SendNotify(this, L"scroll", 0, 0, false);
}

void CScrollBarUI::HandleEvent(UIEvent& event)
{
    const bool bMouseKind = event.nKind > UIEventMouseBegin && event.nKind < UIEventMouseEnd;
    if (!IsMouseEnabled() && bMouseKind) {
        if (m_pOwner != NULL)
            m_pOwner->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }

    switch (event.nKind) {
    case UIEventButtonDown:
    case UIEventDoubleClick: {
        if (!IsEnabled())
            return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager != NULL)
            m_pManager->SetTimer(this, RepeatTimerId, RepeatElapse);
        const POINT pt = event.ptMouse;
        if (PointIn(m_rcButton1, pt)) {
            m_uButton1State |= StatePushed;
            Invalidate();
            StepLine(false);
        } else if (PointIn(m_rcButton2, pt)) {
            m_uButton2State |= StatePushed;
            Invalidate();
            StepLine(true);
        } else if (PointIn(m_rcThumb, pt)) {
            m_uThumbState |= StatePushed | StateCaptured;
            m_ptLastMouse = pt;
            m_nLastScrollPos = m_nScrollPos;
            Invalidate();
        } else if (m_bHorizontal) {
            if (pt.x < m_rcThumb.left)
                StepPage(false);
            else if (pt.x > m_rcThumb.right)
                StepPage(true);
        } else {
            if (pt.y < m_rcThumb.top)
                StepPage(false);
            else if (pt.y > m_rcThumb.bottom)
                StepPage(true);
        }
        SendScrollNotify();
        return;
    }
    case UIEventButtonUp:
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager != NULL)
            m_pManager->KillTimer(this, RepeatTimerId);
        if ((m_uThumbState & StateCaptured) != 0)
            m_uThumbState &= ~(StatePushed | StateCaptured);
        else if ((m_uButton1State & StatePushed) != 0)
            m_uButton1State &= ~StatePushed;
        else if ((m_uButton2State & StatePushed) != 0)
            m_uButton2State &= ~StatePushed;
        else
            return;
        Invalidate();
        return;
    case UIEventMouseMove:
        if ((m_uThumbState & StateCaptured) != 0) {
            int track;
            long long delta;
            if (m_bHorizontal) {
                track = m_rcItem.GetWidth() - 2 * m_nFixedHeight - m_rcThumb.GetWidth();
                delta = static_cast<long long>(event.ptMouse.x) - m_ptLastMouse.x;
            } else {
                track = m_rcItem.GetHeight() - 2 * m_nFixedWidth - m_rcThumb.GetHeight();
                delta = static_cast<long long>(event.ptMouse.y) - m_ptLastMouse.y;
            }
            // A bar with hidden buttons can leave no track (or a negative one,
            // which would turn the drag around): the thumb then stays put.
            if (track > 0)
                m_nLastScrollOffset = ClampToInt(delta * m_nRange / track);
        } else {
            const bool bOnThumb = PointIn(m_rcThumb, event.ptMouse);
            if ((m_uThumbState & StateHot) != 0) {
                if (!bOnThumb) {
                    m_uThumbState &= ~StateHot;
                    Invalidate();
                }
            } else if (bOnThumb && IsEnabled()) {
                m_uThumbState |= StateHot;
                Invalidate();
            }
        }
        return;
    case UIEventTimer:
        if (event.wParam == static_cast<WPARAM>(RepeatTimerId)) {
            ++m_nScrollRepeatDelay;
            if ((m_uThumbState & StateCaptured) != 0) {
                const int nPos = m_nLastScrollPos + m_nLastScrollOffset;
                if (m_pOwner != NULL) {
                    CUISize sz = m_pOwner->GetScrollPos();
                    if (m_bHorizontal)
                        sz.cx = nPos;
                    else
                        sz.cy = nPos;
                    m_pOwner->SetScrollPos(sz);
                } else {
                    SetScrollPos(nPos);
                }
                Invalidate();
            } else if ((m_uButton1State & StatePushed) != 0) {
                if (m_nScrollRepeatDelay < RepeatDelayTicks)
                    return;
                StepLine(false);
            } else if ((m_uButton2State & StatePushed) != 0) {
                if (m_nScrollRepeatDelay < RepeatDelayTicks)
                    return;
                StepLine(true);
            } else {
                if (m_nScrollRepeatDelay < RepeatDelayTicks)
                    return;
                POINT pt;
                if (m_pManager == NULL || !::GetCursorPos(&pt))
                    return;
                ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
                if (m_bHorizontal) {
                    if (pt.x < m_rcThumb.left)
                        StepPage(false);
                    else if (pt.x > m_rcThumb.right)
                        StepPage(true);
                } else {
                    if (pt.y < m_rcThumb.top)
                        StepPage(false);
                    else if (pt.y > m_rcThumb.bottom)
                        StepPage(true);
                }
            }
            SendScrollNotify();
            return;
        }
        break;
    case UIEventMouseEnter:
        if (IsEnabled()) {
            m_uButton1State |= StateHot;
            m_uButton2State |= StateHot;
            if (PointIn(m_rcThumb, event.ptMouse))
                m_uThumbState |= StateHot;
            Invalidate();
        }
        return;
    case UIEventMouseLeave:
        if (IsEnabled()) {
            m_uButton1State &= ~StateHot;
            m_uButton2State &= ~StateHot;
            m_uThumbState &= ~StateHot;
            Invalidate();
        }
        return;
    case UIEventContextMenu:
    case UIEventKillFocus:
    case UIEventSetFocus:
        return;
    default:
        break;
    }

    if (m_pOwner != NULL)
        m_pOwner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

// ---------------------------------------------------------------------------
// Attributes and images
// ---------------------------------------------------------------------------
void CScrollBarUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL || pstrValue == NULL)
        return;
    struct ImageAttr
    {
        const wchar_t* name;
        void (CScrollBarUI::*setter)(LPCTSTR);
    };
    static const ImageAttr kImages[] = {
        {L"button1normalimage", &CScrollBarUI::SetButton1NormalImage},
        {L"button1hotimage", &CScrollBarUI::SetButton1HotImage},
        {L"button1pushedimage", &CScrollBarUI::SetButton1PushedImage},
        {L"button1disabledimage", &CScrollBarUI::SetButton1DisabledImage},
        {L"button2normalimage", &CScrollBarUI::SetButton2NormalImage},
        {L"button2hotimage", &CScrollBarUI::SetButton2HotImage},
        {L"button2pushedimage", &CScrollBarUI::SetButton2PushedImage},
        {L"button2disabledimage", &CScrollBarUI::SetButton2DisabledImage},
        {L"thumbnormalimage", &CScrollBarUI::SetThumbNormalImage},
        {L"thumbhotimage", &CScrollBarUI::SetThumbHotImage},
        {L"thumbpushedimage", &CScrollBarUI::SetThumbPushedImage},
        {L"thumbdisabledimage", &CScrollBarUI::SetThumbDisabledImage},
        {L"railnormalimage", &CScrollBarUI::SetRailNormalImage},
        {L"railhotimage", &CScrollBarUI::SetRailHotImage},
        {L"railpushedimage", &CScrollBarUI::SetRailPushedImage},
        {L"raildisabledimage", &CScrollBarUI::SetRailDisabledImage},
        {L"bknormalimage", &CScrollBarUI::SetBkNormalImage},
        {L"bkhotimage", &CScrollBarUI::SetBkHotImage},
        {L"bkpushedimage", &CScrollBarUI::SetBkPushedImage},
        {L"bkdisabledimage", &CScrollBarUI::SetBkDisabledImage},
    };
    for (size_t i = 0; i < sizeof(kImages) / sizeof(kImages[0]); ++i) {
        if (wcscmp(pstrName, kImages[i].name) == 0) {
            (this->*kImages[i].setter)(pstrValue);
            return;
        }
    }
    if (wcscmp(pstrName, L"hor") == 0)
        SetHorizontal(IsTrue(pstrValue));
    else if (wcscmp(pstrName, L"linesize") == 0)
        SetLineSize(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"range") == 0)
        SetScrollRange(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"value") == 0)
        SetScrollPos(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"showbutton1") == 0)
        SetShowButton1(IsTrue(pstrValue));
    else if (wcscmp(pstrName, L"showbutton2") == 0)
        SetShowButton2(IsTrue(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void CScrollBarUI::SetImage(CUIString& sTarget, LPCTSTR pStrImage)
{
    sTarget = pStrImage != NULL ? pStrImage : L"";
    Invalidate();
}

#define SKINUI_SCROLLBAR_IMAGE(Name, Field)                                          \
    const CUIString& CScrollBarUI::Get##Name() const { return Field; }               \
    void CScrollBarUI::Set##Name(LPCTSTR pStrImage) { SetImage(Field, pStrImage); }

SKINUI_SCROLLBAR_IMAGE(Button1NormalImage, m_sButton1NormalImage)
SKINUI_SCROLLBAR_IMAGE(Button1HotImage, m_sButton1HotImage)
SKINUI_SCROLLBAR_IMAGE(Button1PushedImage, m_sButton1PushedImage)
SKINUI_SCROLLBAR_IMAGE(Button1DisabledImage, m_sButton1DisabledImage)
SKINUI_SCROLLBAR_IMAGE(Button2NormalImage, m_sButton2NormalImage)
SKINUI_SCROLLBAR_IMAGE(Button2HotImage, m_sButton2HotImage)
SKINUI_SCROLLBAR_IMAGE(Button2PushedImage, m_sButton2PushedImage)
SKINUI_SCROLLBAR_IMAGE(Button2DisabledImage, m_sButton2DisabledImage)
SKINUI_SCROLLBAR_IMAGE(ThumbNormalImage, m_sThumbNormalImage)
SKINUI_SCROLLBAR_IMAGE(ThumbHotImage, m_sThumbHotImage)
SKINUI_SCROLLBAR_IMAGE(ThumbPushedImage, m_sThumbPushedImage)
SKINUI_SCROLLBAR_IMAGE(ThumbDisabledImage, m_sThumbDisabledImage)
SKINUI_SCROLLBAR_IMAGE(RailNormalImage, m_sRailNormalImage)
SKINUI_SCROLLBAR_IMAGE(RailHotImage, m_sRailHotImage)
SKINUI_SCROLLBAR_IMAGE(RailPushedImage, m_sRailPushedImage)
SKINUI_SCROLLBAR_IMAGE(RailDisabledImage, m_sRailDisabledImage)
SKINUI_SCROLLBAR_IMAGE(BkNormalImage, m_sBkNormalImage)
SKINUI_SCROLLBAR_IMAGE(BkHotImage, m_sBkHotImage)
SKINUI_SCROLLBAR_IMAGE(BkPushedImage, m_sBkPushedImage)
SKINUI_SCROLLBAR_IMAGE(BkDisabledImage, m_sBkDisabledImage)

#undef SKINUI_SCROLLBAR_IMAGE

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------
// The bar paints its images only, never its background colour.
bool CScrollBarUI::PaintsOpaqueOver(const RECT& /*rc*/) const
{
    return false;
}

void CScrollBarUI::Paint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintBk(hDC);
    PaintButton1(hDC);
    PaintButton2(hDC);
    PaintThumb(hDC);
    PaintRail(hDC);
}

// A part's image is drawn into the part's rectangle (given relative to the
// bar). The description stays as it is when drawing fails: that happens only
// without a manager or DC, and the next paint may well succeed.
bool CScrollBarUI::DrawStateImage(HDC hDC, UINT uState, CUIString& sNormal, CUIString& sHot,
                                  CUIString& sPushed, CUIString& sDisabled, const CUIRect& rcPart,
                                  bool bModify)
{
    LPCTSTR pModify = NULL;
    if (bModify) {
        m_sImageModify.Format(L"dest='%d,%d,%d,%d'", rcPart.left - m_rcItem.left, rcPart.top - m_rcItem.top,
                              rcPart.right - m_rcItem.left, rcPart.bottom - m_rcItem.top);
        pModify = m_sImageModify;
    }
    const CUIString* pState = NULL;
    if ((uState & StateDisabled) != 0)
        pState = &sDisabled;
    else if ((uState & StatePushed) != 0)
        pState = &sPushed;
    else if ((uState & StateHot) != 0)
        pState = &sHot;
    if (pState != NULL && !pState->IsEmpty() && DrawImage(hDC, *pState, pModify))
        return true;
    if (!sNormal.IsEmpty() && DrawImage(hDC, sNormal, pModify))
        return true;
    return false;
}

static void RefreshDisabled(UINT& uState, bool bEnabled)
{
    if (bEnabled)
        uState &= ~static_cast<UINT>(CScrollBarUI::StateDisabled);
    else
        uState |= CScrollBarUI::StateDisabled;
}

void CScrollBarUI::PaintBk(HDC hDC)
{
    RefreshDisabled(m_uThumbState, IsEnabled());
    DrawStateImage(hDC, m_uThumbState, m_sBkNormalImage, m_sBkHotImage, m_sBkPushedImage, m_sBkDisabledImage,
                   m_rcItem, false);
}

void CScrollBarUI::PaintButton1(HDC hDC)
{
    if (!m_bShowButton1)
        return;
    RefreshDisabled(m_uButton1State, IsEnabled());
    if (!DrawStateImage(hDC, m_uButton1State, m_sButton1NormalImage, m_sButton1HotImage, m_sButton1PushedImage,
                        m_sButton1DisabledImage, m_rcButton1, true))
        CUIRender::DrawRectOutline(hDC, m_rcButton1, kOutlineSize, kOutlineColor);
}

void CScrollBarUI::PaintButton2(HDC hDC)
{
    if (!m_bShowButton2)
        return;
    RefreshDisabled(m_uButton2State, IsEnabled());
    if (!DrawStateImage(hDC, m_uButton2State, m_sButton2NormalImage, m_sButton2HotImage, m_sButton2PushedImage,
                        m_sButton2DisabledImage, m_rcButton2, true))
        CUIRender::DrawRectOutline(hDC, m_rcButton2, kOutlineSize, kOutlineColor);
}

void CScrollBarUI::PaintThumb(HDC hDC)
{
    if (IsZeroRect(m_rcThumb))
        return;
    RefreshDisabled(m_uThumbState, IsEnabled());
    if (!DrawStateImage(hDC, m_uThumbState, m_sThumbNormalImage, m_sThumbHotImage, m_sThumbPushedImage,
                        m_sThumbDisabledImage, m_rcThumb, true))
        CUIRender::DrawRectOutline(hDC, m_rcThumb, kOutlineSize, kOutlineColor);
}

void CScrollBarUI::PaintRail(HDC hDC)
{
    if (IsZeroRect(m_rcThumb))
        return;
    CUIRect rcRail;
    if (m_bHorizontal) {
        const int c = m_nFixedHeight;
        rcRail.left = m_rcThumb.left + m_rcThumb.GetWidth() / 2 - c / 2;
        rcRail.right = rcRail.left + c;
        rcRail.top = m_rcThumb.top;
        rcRail.bottom = m_rcThumb.bottom;
    } else {
        const int c = m_nFixedWidth;
        rcRail.top = m_rcThumb.top + m_rcThumb.GetHeight() / 2 - c / 2;
        rcRail.bottom = rcRail.top + c;
        rcRail.left = m_rcThumb.left;
        rcRail.right = m_rcThumb.right;
    }
    DrawStateImage(hDC, m_uThumbState, m_sRailNormalImage, m_sRailHotImage, m_sRailPushedImage,
                   m_sRailDisabledImage, rcRail, true);
}

} // namespace SkinUI
