#include "UIContainer.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIRender.h"
#include "UIScrollBar.h"

namespace SkinUI {

namespace {

bool Meets(const RECT& a, const RECT& b)
{
    RECT rcTemp;
    return ::IntersectRect(&rcTemp, &a, &b) != FALSE;
}

} // namespace

CContainerUI::CContainerUI()
    : m_rcInset(0, 0, 0, 0),
      m_iChildPadding(0),
      m_bAutoDestroy(true),
      m_bDelayedDestroy(true),
      m_bMouseChildEnabled(true),
      m_bScrollProcess(false),
      m_pVerticalScrollBar(NULL),
      m_pHorizontalScrollBar(NULL)
{
}

CContainerUI::~CContainerUI()
{
    // Children go at once: the container's own part is about to disappear.
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    m_pVerticalScrollBar = NULL;
    delete m_pHorizontalScrollBar;
    m_pHorizontalScrollBar = NULL;
    m_items.Empty();
}

// ---------------------------------------------------------------------------
// IContainerUI
// ---------------------------------------------------------------------------
CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return NULL;
    return static_cast<CControlUI*>(m_items.GetAt(iIndex));
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    if (pControl == NULL)
        return -1;
    return m_items.Find(pControl);
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int iOld = GetItemIndex(pControl);
    if (iOld < 0)
        return false;
    // The new place is checked first: a failed move leaves the child where
    // it was instead of dropping it out of the tree.
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return false;
    RequestLayout();
    if (iOld == iIndex)
        return true;
    m_items.Remove(iOld);
    if (m_items.InsertAt(iIndex, pControl))
        return true;
    // Cannot happen after a removal (the room is still there), but never
    // lose the child.
    m_items.InsertAt(iOld, pControl);
    return false;
}

int CContainerUI::GetCount() const
{
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    if (m_pManager != NULL)
        m_pManager->InitControls(pControl, this);
    if (IsVisible())
        RequestLayout();
    else
        pControl->SetInheritedVisible(false);
    return m_items.Add(pControl);
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == NULL)
        return false;
    // The index is checked before the child is given its manager and
    // parent, so a refused child is not left registered under its name.
    if (iIndex < 0 || iIndex > m_items.GetSize())
        return false;
    if (m_pManager != NULL)
        m_pManager->InitControls(pControl, this);
    if (IsVisible())
        RequestLayout();
    else
        pControl->SetInheritedVisible(false);
    return m_items.InsertAt(iIndex, pControl);
}

bool CContainerUI::Remove(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    const int iIndex = m_items.Find(pControl);
    if (iIndex < 0)
        return false;
    RequestLayout();
    // Out of the list first: a destructor that looks at its old container
    // must not find itself there any more.
    m_items.Remove(iIndex);
    if (m_bAutoDestroy) {
        if (m_bDelayedDestroy && m_pManager != NULL)
            m_pManager->AddDelayedCleanup(pControl);
        else
            delete pControl;
    }
    return true;
}

bool CContainerUI::RemoveAt(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL)
        return false;
    return Remove(pControl);
}

void CContainerUI::RemoveAll()
{
    // The list is emptied before any child is deleted, so that destructors
    // running now never see a half-deleted list.
    CUIPtrArray aItems(m_items);
    m_items.Empty();
    if (m_bAutoDestroy) {
        for (int i = 0; i < aItems.GetSize(); ++i) {
            CControlUI* pControl = static_cast<CControlUI*>(aItems[i]);
            if (m_bDelayedDestroy && m_pManager != NULL)
                m_pManager->AddDelayedCleanup(pControl);
            else
                delete pControl;
        }
    }
    RequestLayout();
}

// ---------------------------------------------------------------------------
// CControlUI overrides
// ---------------------------------------------------------------------------
LPCTSTR CContainerUI::GetClassName() const
{
    return L"ContainerUI";
}

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
        if (wcscmp(pstrName, L"Container") == 0)
            return static_cast<CContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

void CContainerUI::SetManager(CUIManager* pManager, CControlUI* pParent, bool bInit)
{
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar != NULL)
        m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar != NULL)
        m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

CUIRect CContainerUI::GetClientArea() const
{
    CUIRect rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

void CContainerUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty())
        return;
    RECT rcClient = m_rcItem;
    rcClient.left += m_rcInset.left;
    rcClient.top += m_rcInset.top;
    rcClient.right -= m_rcInset.right;
    rcClient.bottom -= m_rcInset.bottom;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat())
            PlaceFloatChild(i);
        else
            pControl->SetPos(rcClient);
    }
}

void CContainerUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    CControlUI::SetVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetInheritedVisible(bool bVisible)
{
    CControlUI::SetInheritedVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool bEnable)
{
    if (m_pVerticalScrollBar != NULL)
        m_pVerticalScrollBar->SetMouseEnabled(bEnable);
    if (m_pHorizontalScrollBar != NULL)
        m_pHorizontalScrollBar->SetMouseEnabled(bEnable);
    CControlUI::SetMouseEnabled(bEnable);
}

CControlUI* CContainerUI::FindControl(UIFindControlFn Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & FindVisible) != 0 && !IsVisible())
        return NULL;
    if ((uFlags & FindEnabled) != 0 && !IsEnabled())
        return NULL;

    const bool bHitTest = (uFlags & FindHitTest) != 0;
    POINT pt = { 0, 0 };
    if (bHitTest) {
        if (pData == NULL)
            return NULL;
        pt = *static_cast<const POINT*>(pData);
        if (!::PtInRect(&m_rcItem, pt))
            return NULL;
        if (!m_bMouseChildEnabled) {
            CControlUI* pResult = NULL;
            if (m_pVerticalScrollBar != NULL)
                pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
            if (pResult == NULL && m_pHorizontalScrollBar != NULL)
                pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
            if (pResult == NULL)
                pResult = CControlUI::FindControl(Proc, pData, uFlags);
            return pResult;
        }
    }

    CControlUI* pResult = NULL;
    if (m_pVerticalScrollBar != NULL)
        pResult = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult == NULL && m_pHorizontalScrollBar != NULL)
        pResult = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
    if (pResult != NULL)
        return pResult;

    const bool bMeFirst = (uFlags & FindMeFirst) != 0;
    if (bMeFirst) {
        pResult = CControlUI::FindControl(Proc, pData, uFlags);
        if (pResult != NULL)
            return pResult;
    }

    const CUIRect rcClient = GetClientArea();
    const bool bInClient = bHitTest && ::PtInRect(&rcClient, pt);
    const int nCount = m_items.GetSize();
    const bool bTopFirst = (uFlags & FindTopFirst) != 0;
    for (int n = 0; n < nCount; ++n) {
        const int i = bTopFirst ? nCount - 1 - n : n;
        CControlUI* pChild = static_cast<CControlUI*>(m_items[i]);
        pResult = pChild->FindControl(Proc, pData, uFlags);
        if (pResult == NULL)
            continue;
        // A hit in the inset or under a scroll bar counts only for float
        // controls, which may lie there.
        if (bHitTest && !pResult->IsFloat() && !bInClient)
            continue;
        return pResult;
    }

    if (!bMeFirst)
        return CControlUI::FindControl(Proc, pData, uFlags);
    return NULL;
}

void CContainerUI::HandleEvent(UIEvent& event)
{
    if (!m_bMouseEnabled && UIIsMouseEvent(event.nKind)) {
        if (m_pParent != NULL)
            m_pParent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }

    if (event.nKind == UIEventSetFocus) {
        m_bFocused = true;
        return;
    }
    if (event.nKind == UIEventKillFocus) {
        m_bFocused = false;
        return;
    }

    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible() && m_pVerticalScrollBar->IsEnabled()) {
        if (event.nKind == UIEventKeyDown) {
            switch (event.chKey) {
            case VK_PRIOR:
                PageUp();
                return;
            case VK_NEXT:
                PageDown();
                return;
            case VK_END:
                ScrollToBottom();
                return;
            case VK_HOME:
                ScrollToTop();
                return;
            case VK_UP:
                LineUp();
                return;
            case VK_DOWN:
                LineDown();
                return;
            default:
                break;
            }
        } else if (event.nKind == UIEventScrollWheel) {
            if (event.wParam == 0) {
                LineUp();
                return;
            }
            if (event.wParam == 1) {
                LineDown();
                return;
            }
        }
    } else if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()
               && m_pHorizontalScrollBar->IsEnabled()) {
        if (event.nKind == UIEventKeyDown) {
            switch (event.chKey) {
            case VK_PRIOR:
                PageLeft();
                return;
            case VK_NEXT:
                PageRight();
                return;
            case VK_END:
                ScrollToRight();
                return;
            case VK_HOME:
                ScrollToLeft();
                return;
            case VK_UP:
                LineLeft();
                return;
            case VK_DOWN:
                LineRight();
                return;
            default:
                break;
            }
        } else if (event.nKind == UIEventScrollWheel) {
            if (event.wParam == 0) {
                LineLeft();
                return;
            }
            if (event.wParam == 1) {
                LineRight();
                return;
            }
        }
    }
    CControlUI::HandleEvent(event);
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"inset") == 0) {
        int v[4];
        ParseNumberList(pstrValue, v, 4);
        RECT rc = { v[0], v[1], v[2], v[3] };
        SetInset(rc);
    } else if (wcscmp(pstrName, L"mousechild") == 0) {
        SetMouseChildEnabled(IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"vscrollbar") == 0) {
        EnableScrollBar(IsTrueValue(pstrValue), m_pHorizontalScrollBar != NULL);
    } else if (wcscmp(pstrName, L"vscrollbarstyle") == 0) {
        EnableScrollBar(true, m_pHorizontalScrollBar != NULL);
        if (m_pVerticalScrollBar != NULL)
            m_pVerticalScrollBar->ApplyAttributes(pstrValue);
    } else if (wcscmp(pstrName, L"hscrollbar") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != NULL, IsTrueValue(pstrValue));
    } else if (wcscmp(pstrName, L"hscrollbarstyle") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != NULL, true);
        if (m_pHorizontalScrollBar != NULL)
            m_pHorizontalScrollBar->ApplyAttributes(pstrValue);
    } else if (wcscmp(pstrName, L"childpadding") == 0) {
        SetChildPadding(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

void CContainerUI::Paint(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp;
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem))
        return;

    CUIRenderClip clip;
    CUIRenderClip::ClipRect(hDC, rcTemp, clip);
    CControlUI::Paint(hDC, rcPaint);
    PaintItems(hDC, rcPaint);
}

void CContainerUI::PaintItems(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp;
    if (!m_items.IsEmpty()) {
        const CUIRect rcClient = GetClientArea();
        if (!::IntersectRect(&rcTemp, &rcPaint, &rcClient)) {
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
                if (!pControl->IsVisible() || !pControl->IsFloat())
                    continue;
                if (!Meets(rcPaint, pControl->GetPos()) || !Meets(m_rcItem, pControl->GetPos()))
                    continue;
                pControl->Paint(hDC, rcPaint);
            }
        } else {
            CUIRenderClip childClip;
            CUIRenderClip::ClipRect(hDC, rcTemp, childClip);
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
                if (!pControl->IsVisible())
                    continue;
                if (!Meets(rcPaint, pControl->GetPos()))
                    continue;
                if (pControl->IsFloat()) {
                    if (!Meets(m_rcItem, pControl->GetPos()))
                        continue;
                    // Float children may cover the inset and the bars.
                    CUIRenderClip::SuspendClip(hDC, childClip);
                    pControl->Paint(hDC, rcPaint);
                    CUIRenderClip::ResumeClip(hDC, childClip);
                } else {
                    if (!Meets(rcClient, pControl->GetPos()))
                        continue;
                    pControl->Paint(hDC, rcPaint);
                }
            }
        }
    }

    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()
        && Meets(rcPaint, m_pVerticalScrollBar->GetPos()))
        m_pVerticalScrollBar->Paint(hDC, rcPaint);
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()
        && Meets(rcPaint, m_pHorizontalScrollBar->GetPos()))
        m_pHorizontalScrollBar->Paint(hDC, rcPaint);
}

// ---------------------------------------------------------------------------
// Container settings
// ---------------------------------------------------------------------------
CUIRect CContainerUI::GetInset() const
{
    return m_rcInset;
}

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    RequestLayout();
}

int CContainerUI::GetChildPadding() const
{
    return m_iChildPadding;
}

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    RequestLayout();
}

bool CContainerUI::IsAutoDestroy() const
{
    return m_bAutoDestroy;
}

void CContainerUI::SetAutoDestroy(bool bAuto)
{
    m_bAutoDestroy = bAuto;
}

bool CContainerUI::IsDelayedDestroy() const
{
    return m_bDelayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool bDelayed)
{
    m_bDelayedDestroy = bDelayed;
}

bool CContainerUI::IsMouseChildEnabled() const
{
    return m_bMouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool bEnable)
{
    m_bMouseChildEnabled = bEnable;
}

int CContainerUI::FindSelectable(int iIndex, bool bForward) const
{
    const int nCount = m_items.GetSize();
    if (nCount <= 0)
        return -1;
    if (iIndex < 0)
        iIndex = 0;
    if (iIndex > nCount - 1)
        iIndex = nCount - 1;
    if (!bForward) {
        for (int i = iIndex; i >= 0; --i) {
            CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
            if (pControl->GetInterface(L"ListItem") != NULL && pControl->IsVisible() && pControl->IsEnabled())
                return i;
        }
        return FindSelectable(0, true);
    }
    for (int i = iIndex; i < nCount; ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (pControl->GetInterface(L"ListItem") != NULL && pControl->IsVisible() && pControl->IsEnabled())
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// Scrolling
// ---------------------------------------------------------------------------
CUISize CContainerUI::GetScrollPos() const
{
    CUISize sz(0, 0);
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        sz.cy = m_pVerticalScrollBar->GetScrollPos();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    return sz;
}

CUISize CContainerUI::GetScrollRange() const
{
    CUISize sz(0, 0);
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        sz.cy = m_pVerticalScrollBar->GetScrollRange();
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos)
{
    int cy = 0;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    int cx = 0;
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        const int iLastScrollPos = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - iLastScrollPos;
    }
    if (cx == 0 && cy == 0)
        return;

    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        CUIRect rcPos = pControl->GetPos();
        rcPos.Offset(-cx, -cy);
        pControl->SetPos(rcPos);
    }
    Invalidate();
}

int CContainerUI::GetLineStep() const
{
    int cyLine = 8;
    if (m_pManager != NULL) {
        UIFontInfo* pFont = m_pManager->GetDefaultFontInfo();
        if (pFont != NULL)
            cyLine = pFont->tm.tmHeight + 8;
    }
    return cyLine;
}

void CContainerUI::LineUp()
{
    CUISize sz = GetScrollPos();
    sz.cy -= GetLineStep();
    SetScrollPos(sz);
}

void CContainerUI::LineDown()
{
    CUISize sz = GetScrollPos();
    sz.cy += GetLineStep();
    SetScrollPos(sz);
}

int CContainerUI::GetPageHeight() const
{
    int cy = m_rcItem.GetHeight() - m_rcInset.top - m_rcInset.bottom;
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible())
        cy -= m_pHorizontalScrollBar->GetFixedHeight();
    return cy;
}

int CContainerUI::GetPageWidth() const
{
    int cx = m_rcItem.GetWidth() - m_rcInset.left - m_rcInset.right;
    if (m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible())
        cx -= m_pVerticalScrollBar->GetFixedWidth();
    return cx;
}

void CContainerUI::PageUp()
{
    CUISize sz = GetScrollPos();
    sz.cy -= GetPageHeight();
    SetScrollPos(sz);
}

void CContainerUI::PageDown()
{
    CUISize sz = GetScrollPos();
    sz.cy += GetPageHeight();
    SetScrollPos(sz);
}

void CContainerUI::ScrollToTop()
{
    CUISize sz = GetScrollPos();
    sz.cy = 0;
    SetScrollPos(sz);
}

void CContainerUI::ScrollToBottom()
{
    CUISize sz = GetScrollPos();
    sz.cy = GetScrollRange().cy;
    SetScrollPos(sz);
}

void CContainerUI::LineLeft()
{
    CUISize sz = GetScrollPos();
    sz.cx -= 8;
    SetScrollPos(sz);
}

void CContainerUI::LineRight()
{
    CUISize sz = GetScrollPos();
    sz.cx += 8;
    SetScrollPos(sz);
}

void CContainerUI::PageLeft()
{
    CUISize sz = GetScrollPos();
    sz.cx -= GetPageWidth();
    SetScrollPos(sz);
}

void CContainerUI::PageRight()
{
    CUISize sz = GetScrollPos();
    sz.cx += GetPageWidth();
    SetScrollPos(sz);
}

void CContainerUI::ScrollToLeft()
{
    CUISize sz = GetScrollPos();
    sz.cx = 0;
    SetScrollPos(sz);
}

void CContainerUI::ScrollToRight()
{
    CUISize sz = GetScrollPos();
    sz.cx = GetScrollRange().cx;
    SetScrollPos(sz);
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    if (bEnableVertical && m_pVerticalScrollBar == NULL) {
        m_pVerticalScrollBar = new CScrollBarUI;
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, NULL, false);
        if (m_pManager != NULL) {
            LPCTSTR pDefaultAttributes = m_pManager->GetDefaultAttributes(L"VScrollBar");
            if (pDefaultAttributes != NULL)
                m_pVerticalScrollBar->ApplyAttributes(pDefaultAttributes);
        }
    } else if (!bEnableVertical && m_pVerticalScrollBar != NULL) {
        CScrollBarUI* pBar = m_pVerticalScrollBar;
        m_pVerticalScrollBar = NULL;
        delete pBar;
    }

    if (bEnableHorizontal && m_pHorizontalScrollBar == NULL) {
        m_pHorizontalScrollBar = new CScrollBarUI;
        m_pHorizontalScrollBar->SetHorizontal(true);
        m_pHorizontalScrollBar->SetOwner(this);
        m_pHorizontalScrollBar->SetManager(m_pManager, NULL, false);
        if (m_pManager != NULL) {
            LPCTSTR pDefaultAttributes = m_pManager->GetDefaultAttributes(L"HScrollBar");
            if (pDefaultAttributes != NULL)
                m_pHorizontalScrollBar->ApplyAttributes(pDefaultAttributes);
        }
    } else if (!bEnableHorizontal && m_pHorizontalScrollBar != NULL) {
        CScrollBarUI* pBar = m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = NULL;
        delete pBar;
    }

    RequestLayout();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const
{
    return m_pVerticalScrollBar;
}

CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const
{
    return m_pHorizontalScrollBar;
}

void CContainerUI::PlaceFloatChild(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return;
    CControlUI* pControl = static_cast<CControlUI*>(m_items[iIndex]);
    if (!pControl->IsVisible() || !pControl->IsFloat())
        return;

    const CUISize szXY = pControl->GetFloatOffset();
    const int w = pControl->GetFixedWidth();
    const int h = pControl->GetFixedHeight();
    const CUIRect& rcParent = m_rcItem;

    RECT rc;
    if (szXY.cx >= 0) {
        rc.left = rcParent.left + szXY.cx;
        rc.right = rc.left + w;
    } else {
        rc.right = rcParent.right + szXY.cx;
        rc.left = rc.right - w;
    }
    if (szXY.cy >= 0) {
        rc.top = rcParent.top + szXY.cy;
        rc.bottom = rc.top + h;
    } else {
        rc.bottom = rcParent.bottom + szXY.cy;
        rc.top = rc.bottom - h;
    }

    if (pControl->IsRelativePos()) {
        const UIRelativePos tRelativePos = pControl->GetRelativePos();
        const int W = rcParent.GetWidth();
        const int H = rcParent.GetHeight();
        if (tRelativePos.nParentCx != 0) {
            const int dw = W - tRelativePos.nParentCx;
            const int dh = H - tRelativePos.nParentCy;
            rc.left += dw * tRelativePos.nMoveXPercent / 100;
            rc.top += dh * tRelativePos.nMoveYPercent / 100;
            rc.right = rc.left + w + dw * tRelativePos.nZoomXPercent / 100;
            rc.bottom = rc.top + h + dh * tRelativePos.nZoomYPercent / 100;
        }
        pControl->SetRelativeParentSize(W, H);
    }

    pControl->SetPos(rc);
}

void CContainerUI::UpdateScrollBars(RECT rcClient, int cxNeeded, int cyNeeded)
{
    (void)cxNeeded;
    if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) {
        RECT rcBar = { rcClient.left, rcClient.bottom, rcClient.right,
                       rcClient.bottom + m_pHorizontalScrollBar->GetFixedHeight() };
        m_pHorizontalScrollBar->SetPos(rcBar);
    }

    if (m_pVerticalScrollBar == NULL)
        return;

    const int cyClient = rcClient.bottom - rcClient.top;
    const int cyOverflow = cyNeeded - cyClient;

    if (cyNeeded > cyClient && !m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(true);
        m_pVerticalScrollBar->SetScrollRange(cyOverflow);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_bScrollProcess = true;
        SetPos(m_rcItem);
        m_bScrollProcess = false;
        return;
    }

    if (!m_pVerticalScrollBar->IsVisible())
        return;

    if (cyOverflow <= 0 && !m_bScrollProcess) {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_pVerticalScrollBar->SetScrollRange(0);
        SetPos(m_rcItem);
        return;
    }

    RECT rcBar = { rcClient.right, rcClient.top, rcClient.right + m_pVerticalScrollBar->GetFixedWidth(),
                   rcClient.bottom };
    m_pVerticalScrollBar->SetPos(rcBar);

    if (m_pVerticalScrollBar->GetScrollRange() == cyOverflow)
        return;
    const int iLastScrollPos = m_pVerticalScrollBar->GetScrollPos();
    m_pVerticalScrollBar->SetScrollRange(abs(cyOverflow));
    if (m_pVerticalScrollBar->GetScrollRange() == 0) {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollPos(0);
    }
    if (m_pVerticalScrollBar->GetScrollPos() >= iLastScrollPos)
        return;
    SetPos(m_rcItem);
}

} // namespace SkinUI
