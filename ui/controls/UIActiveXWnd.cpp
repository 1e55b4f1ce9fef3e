// CActiveXWnd: the child window of a windowed ActiveX object.
#include "UIActiveXWnd.h"

#include "UIActiveX.h"
#include "UIActiveXCtrl.h"

namespace SkinUI {

namespace {
const wchar_t kActiveXWndClass[] = L"ActiveXWnd";
const wchar_t kActiveXWndTitle[] = L"UIActiveX";
} // namespace

CActiveXWnd::CActiveXWnd() : m_pOwner(NULL)
{
}

CActiveXWnd::~CActiveXWnd()
{
}

HWND CActiveXWnd::Init(CActiveXCtrl* pOwner, HWND hWndParent)
{
    m_pOwner = pOwner;
    const DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return Create(hWndParent, kActiveXWndTitle, dwStyle, 0, 0, 0, 0, 0, NULL);
}

LPCTSTR CActiveXWnd::GetWindowClassName() const
{
    return kActiveXWndClass;
}

void CActiveXWnd::DoVerb(LONG iVerb)
{
    if (m_pOwner == NULL || m_pOwner->m_pOwner == NULL)
        return;
    CActiveXUI* pUI = m_pOwner->m_pOwner;
    IOleObject* pUnk = NULL;
    if (FAILED(pUI->GetControl(IID_IOleObject, reinterpret_cast<LPVOID*>(&pUnk))) || pUnk == NULL)
        return;
    IOleClientSite* pOleClientSite = NULL;
    m_pOwner->QueryInterface(IID_IOleClientSite, reinterpret_cast<LPVOID*>(&pOleClientSite));
    RECT rcItem = pUI->GetPos();
    pUnk->DoVerb(iVerb, NULL, pOleClientSite, 0, m_hWnd, &rcItem);
    if (pOleClientSite != NULL)
        pOleClientSite->Release();
    pUnk->Release();
}

// The verb may lead to the control's removal, which destroys this window and
// deletes this object: after it only the handle kept on the stack is used.
LRESULT CActiveXWnd::DoVerbThenDefault(LONG iVerb, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const HWND hWnd = m_hWnd;
    DoVerb(iVerb);
    if (!::IsWindow(hWnd))
        return 0;
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CActiveXWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 1;
    }
    case WM_SETFOCUS:
        if (m_pOwner != NULL) {
            m_pOwner->m_bFocused = true;
            if (!m_pOwner->m_bUIActivated)
                return DoVerbThenDefault(OLEIVERB_UIACTIVATE, uMsg, wParam, lParam);
        }
        break;
    case WM_KILLFOCUS:
        if (m_pOwner != NULL)
            m_pOwner->m_bFocused = false;
        break;
    case WM_ERASEBKGND:
        if (m_pOwner != NULL && m_pOwner->m_pViewObject != NULL)
            return 1;
        break;
    case WM_MOUSEACTIVATE: {
        IOleObject* pUnk = NULL;
        if (m_pOwner == NULL || m_pOwner->m_pOwner == NULL
            || FAILED(m_pOwner->m_pOwner->GetControl(IID_IOleObject, reinterpret_cast<LPVOID*>(&pUnk)))
            || pUnk == NULL)
            return 0;
        DWORD dwMiscStatus = 0;
        pUnk->GetMiscStatus(DVASPECT_CONTENT, &dwMiscStatus);
        pUnk->Release();
        if ((dwMiscStatus & OLEMISC_NOUIACTIVATE) != 0)
            return 0;
        if (!m_pOwner->m_bInPlaceActive)
            return DoVerbThenDefault(OLEIVERB_INPLACEACTIVATE, uMsg, wParam, lParam);
        break;
    }
    case WM_MOUSEWHEEL:
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace SkinUI
