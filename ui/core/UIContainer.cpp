#include "UIContainer.h"

#include <wchar.h>

namespace SkinUI {

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
    m_bDelayedDestroy = false;
    RemoveAll();
    // not yet implemented: deleting the scroll bars (none can exist yet)
    m_items.Empty();
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    return static_cast<CControlUI*>(m_items.GetAt(iIndex));
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    return m_items.Find(pControl);
}

bool CContainerUI::SetItemIndex(CControlUI*, int) { return false; } // not yet implemented

int CContainerUI::GetCount() const
{
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI*) { return false; } // not yet implemented
bool CContainerUI::AddAt(CControlUI*, int) { return false; } // not yet implemented
bool CContainerUI::Remove(CControlUI*) { return false; } // not yet implemented
bool CContainerUI::RemoveAt(int) { return false; } // not yet implemented
void CContainerUI::RemoveAll() {} // not yet implemented

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

void CContainerUI::SetManager(CUIManager*, CControlUI*, bool) {} // not yet implemented
void CContainerUI::SetPos(RECT) {} // not yet implemented
void CContainerUI::SetVisible(bool) {} // not yet implemented
void CContainerUI::SetInheritedVisible(bool) {} // not yet implemented
void CContainerUI::SetMouseEnabled(bool) {} // not yet implemented
CControlUI* CContainerUI::FindControl(UIFindControlFn, LPVOID, UINT) { return NULL; } // not yet implemented
void CContainerUI::HandleEvent(UIEvent&) {} // not yet implemented
void CContainerUI::SetAttribute(LPCTSTR, LPCTSTR) {} // not yet implemented
void CContainerUI::Paint(HDC, const RECT&) {} // not yet implemented

CUIRect CContainerUI::GetInset() const { return m_rcInset; }
void CContainerUI::SetInset(RECT) {} // not yet implemented
int CContainerUI::GetChildPadding() const { return m_iChildPadding; }
void CContainerUI::SetChildPadding(int) {} // not yet implemented
bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool) {} // not yet implemented
bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool) {} // not yet implemented
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool) {} // not yet implemented

int CContainerUI::FindSelectable(int, bool) const { return -1; } // not yet implemented

CUISize CContainerUI::GetScrollPos() const { return CUISize(0, 0); } // not yet implemented
CUISize CContainerUI::GetScrollRange() const { return CUISize(0, 0); } // not yet implemented
void CContainerUI::SetScrollPos(SIZE) {} // not yet implemented
void CContainerUI::LineUp() {} // not yet implemented
void CContainerUI::LineDown() {} // not yet implemented
void CContainerUI::PageUp() {} // not yet implemented
void CContainerUI::PageDown() {} // not yet implemented
void CContainerUI::ScrollToTop() {} // not yet implemented
void CContainerUI::ScrollToBottom() {} // not yet implemented
void CContainerUI::LineLeft() {} // not yet implemented
void CContainerUI::LineRight() {} // not yet implemented
void CContainerUI::PageLeft() {} // not yet implemented
void CContainerUI::PageRight() {} // not yet implemented
void CContainerUI::ScrollToLeft() {} // not yet implemented
void CContainerUI::ScrollToRight() {} // not yet implemented
void CContainerUI::EnableScrollBar(bool, bool) {} // not yet implemented
CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }
void CContainerUI::PlaceFloatChild(int) {} // not yet implemented
void CContainerUI::UpdateScrollBars(RECT, int, int) {} // not yet implemented

} // namespace SkinUI
