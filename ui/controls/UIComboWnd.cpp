// The combo box's pop-up: placement under or above the combo, the borrowed
// items in a layout of its own manager, keys, wheel and clicks, and the way
// back for the items however the window ends.
#include "UIComboWnd.h"

#include <wchar.h>
#include <windowsx.h>

#include "UIButton.h"
#include "UICombo.h"
#include "UIScrollBar.h"
#include "UIVerticalLayout.h"

namespace SkinUI {

CComboWnd::CComboWnd()
    : m_pOwner(NULL), m_pLayout(NULL), m_iOldSel(-1), m_bItemsBorrowed(false), m_bInInit(false),
      m_bGoneInInit(false)
{
}

CComboWnd::~CComboWnd()
{
}

LPCTSTR CComboWnd::GetWindowClassName() const
{
    return L"ComboWnd";
}

CUIManager* CComboWnd::GetManager()
{
    return &m_pm;
}

CVerticalLayoutUI* CComboWnd::GetLayout() const
{
    return m_pLayout;
}

RECT CComboWnd::PlaceBelowOrAbove() const
{
    const CUISize szDrop = m_pOwner->GetDropBoxSize();
    const CUIRect rcOwner = m_pOwner->GetPos();
    RECT rc = rcOwner;
    rc.top = rcOwner.bottom;
    rc.bottom = rc.top + szDrop.cy;
    if (szDrop.cx > 0)
        rc.right = rc.left + szDrop.cx;

    // As high as the visible items need, up to the drop-box height.
    const SIZE szAvailable = { rc.right - rc.left, szDrop.cy };
    int cyNeeded = 0;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* pItem = m_pOwner->GetItemAt(i);
        if (!pItem->IsVisible())
            continue;
        cyNeeded += pItem->MeasureSize(szAvailable).cy;
    }
    cyNeeded += 4;
    const int cyPopup = cyNeeded < szDrop.cy ? cyNeeded : szDrop.cy;
    rc.bottom = rc.top + cyPopup;

    HWND hWndOwner = m_pOwner->GetManager()->GetPaintWindow();
    ::MapWindowPoints(hWndOwner, HWND_DESKTOP, reinterpret_cast<LPPOINT>(&rc), 2);
    RECT rcOwnerScreen = rcOwner;
    ::MapWindowPoints(hWndOwner, HWND_DESKTOP, reinterpret_cast<LPPOINT>(&rcOwnerScreen), 2);

    // The work area of the monitor that shows the combo.
    MONITORINFO mi;
    ::ZeroMemory(&mi, sizeof(mi));
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromRect(&rcOwnerScreen, MONITOR_DEFAULTTONEAREST), &mi);
    if (rc.bottom > mi.rcWork.bottom) {
        rc.bottom = rcOwnerScreen.top;
        rc.top = rcOwnerScreen.top - cyPopup;
    }
    return rc;
}

bool CComboWnd::Init(CComboUI* pOwner)
{
    m_pOwner = pOwner;
    m_iOldSel = pOwner->GetCurSel();
    const RECT rc = PlaceBelowOrAbove();

    m_bInInit = true;
    HWND hWnd = CreateWithRect(pOwner->GetManager()->GetPaintWindow(), NULL, WS_POPUP, WS_EX_TOOLWINDOW, rc);
    m_bInInit = false;
    if (hWnd == NULL || m_bGoneInInit) {
        if (hWnd != NULL && ::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
        GiveItemsBack();
        delete this;
        return false;
    }
    ::ShowWindow(m_hWnd, SW_SHOW);
    // The main window keeps its active look while the pop-up is up.
    HWND hWndRoot = ::GetAncestor(m_hWnd, GA_ROOTOWNER);
    if (hWndRoot != NULL && hWndRoot != m_hWnd)
        ::SendMessageW(hWndRoot, WM_NCACTIVATE, TRUE, 0L);
    return true;
}

void CComboWnd::GiveItemsBack()
{
    if (!m_bItemsBorrowed || m_pOwner == NULL)
        return;
    m_bItemsBorrowed = false;
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
    // Back in the combo, the items keep nothing of their places in the pop-up.
    m_pOwner->ClearItemRects();
}

void CComboWnd::CloseNow()
{
    GiveItemsBack();
    m_pOwner = NULL;
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    // else the window is already going; OnWindowDestroyed deletes this object.
}

void CComboWnd::OnWindowDestroyed(HWND)
{
    // However the window ended (also without WM_CLOSE, when its owner went),
    // the items go back before the manager that holds them goes.
    GiveItemsBack();
    if (m_pOwner != NULL) {
        CComboUI* pOwner = m_pOwner;
        m_pOwner = NULL;
        if (pOwner->m_pWindow == this)
            pOwner->OnDropDownDestroyed();
    }
    if (m_bInInit) {
        m_bGoneInInit = true;
        return;
    }
    delete this;
}

void CComboWnd::EnsureVisible(int iIndex)
{
    if (m_pOwner == NULL || m_pLayout == NULL || m_pOwner->GetCurSel() < 0)
        return;
    CControlUI* pItem = m_pOwner->GetItemAt(iIndex);
    if (pItem == NULL)
        return;
    const RECT& rcItem = pItem->GetPos();
    RECT rcList = m_pLayout->GetPos();
    CScrollBarUI* pHorizontal = m_pLayout->GetHorizontalScrollBar();
    if (pHorizontal != NULL && pHorizontal->IsVisible())
        rcList.bottom -= pHorizontal->GetFixedHeight();
    Scroll(0, ListScrollDeltaToShow(rcItem, rcList));
}

void CComboWnd::Scroll(int dx, int dy)
{
    if (m_pLayout == NULL || (dx == 0 && dy == 0))
        return;
    CUISize sz = m_pLayout->GetScrollPos();
    sz.cx += dx;
    sz.cy += dy;
    m_pLayout->SetScrollPos(sz);
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE: {
        if (m_pOwner == NULL)
            return -1;
        m_pm.Init(m_hWnd);
        CUIManager* pOwnerManager = m_pOwner->GetManager();
        m_pLayout = new CVerticalLayoutUI;
        m_pLayout->SetManager(&m_pm, NULL, true);
        m_pm.SetParentResourceManager(pOwnerManager);
        LPCTSTR pDefaultAttributes = pOwnerManager->GetDefaultAttributes(L"VerticalLayout");
        if (pDefaultAttributes != NULL)
            m_pLayout->ApplyAttributes(pDefaultAttributes);
        m_pLayout->SetInset(CUIRect(1, 1, 1, 1));
        m_pLayout->SetBackgroundColor(0xFFFFFFFF);
        m_pLayout->SetBorderColor(0xFFC6C7D2);
        m_pLayout->SetBorderSize(1);
        m_pLayout->SetAutoDestroy(false);
        m_pLayout->EnableScrollBar(true, false);
        m_pLayout->ApplyAttributes(m_pOwner->GetDropBoxAttributeList());
        m_bItemsBorrowed = true;
        for (int i = 0; i < m_pOwner->GetCount(); ++i)
            m_pLayout->Add(m_pOwner->GetItemAt(i));
        m_pm.AttachRoot(m_pLayout);
        return 0;
    }
    case WM_CLOSE:
        if (m_pOwner != NULL) {
            GiveItemsBack();
            m_pOwner->SetPos(m_pOwner->GetPos());
            m_pOwner->SetFocus();
        }
        break;
    case WM_LBUTTONUP: {
        // A click on an item closes the pop-up; one on its scroll bar does not.
        const POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        CControlUI* pControl = m_pm.FindControlAt(pt);
        if (pControl != NULL && wcscmp(pControl->GetClassName(), L"ScrollBarUI") != 0)
            PostMsg(WM_KILLFOCUS);
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            PostMsg(WM_KILLFOCUS);
            break;
        }
        if (wParam == VK_ESCAPE) {
            if (m_pOwner != NULL) {
                m_pOwner->SelectItem(m_iOldSel, true);
                EnsureVisible(m_iOldSel);
            }
            PostMsg(WM_KILLFOCUS);
            break;
        }
        if (m_pOwner != NULL) {
            UIEvent event;
            ::ZeroMemory(&event, sizeof(event));
            event.nKind = UIEventKeyDown;
            event.chKey = static_cast<wchar_t>(wParam);
            event.dwTimestamp = ::GetTickCount();
            m_pOwner->HandleEvent(event);
            EnsureVisible(m_pOwner != NULL ? m_pOwner->GetCurSel() : -1);
        }
        return 0;
    case WM_MOUSEWHEEL:
        if (m_pOwner != NULL) {
            UIEvent event;
            ::ZeroMemory(&event, sizeof(event));
            event.nKind = UIEventScrollWheel;
            event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
            event.lParam = lParam;
            event.dwTimestamp = ::GetTickCount();
            m_pOwner->HandleEvent(event);
            EnsureVisible(m_pOwner != NULL ? m_pOwner->GetCurSel() : -1);
        }
        return 0;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd)
            PostMsg(WM_CLOSE);
        break;
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.HandleWindowMessage(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace SkinUI
