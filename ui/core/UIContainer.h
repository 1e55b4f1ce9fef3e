// The base of every control that holds child controls. Its own layout gives
// every child the whole client area and places float children by their float
// offset, fixed size and relative placement; it owns optional scroll bars.
#ifndef SKINUI_UICONTAINER_H
#define SKINUI_UICONTAINER_H

#include <windows.h>

#include "UIBase.h"
#include "UIControl.h"

namespace SkinUI {

class CScrollBarUI;

// Child management without knowing the concrete container class.
class IContainerUI
{
public:
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl) = 0;
    virtual bool RemoveAt(int iIndex) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() {}
};

class CContainerUI : public CControlUI, public IContainerUI
{
public:
    CContainerUI();
    virtual ~CContainerUI();

    // IContainerUI
    virtual CControlUI* GetItemAt(int iIndex) const;
    virtual int GetItemIndex(CControlUI* pControl) const;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex);
    virtual int GetCount() const;
    virtual bool Add(CControlUI* pControl);
    virtual bool AddAt(CControlUI* pControl, int iIndex);
    virtual bool Remove(CControlUI* pControl);
    virtual bool RemoveAt(int iIndex);
    virtual void RemoveAll();

    // CControlUI
    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetManager(CUIManager* pManager, CControlUI* pParent, bool bInit = true);
    virtual void SetPos(RECT rc);
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInheritedVisible(bool bVisible = true);
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual CControlUI* FindControl(UIFindControlFn Proc, LPVOID pData, UINT uFlags);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void Paint(HDC hDC, const RECT& rcPaint);

    // added by the container
    virtual CUIRect GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);

    virtual int FindSelectable(int iIndex, bool bForward = true) const;

    virtual CUISize GetScrollPos() const;
    virtual CUISize GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void ScrollToLeft();
    virtual void ScrollToRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;
    virtual void PlaceFloatChild(int iIndex);
    virtual void UpdateScrollBars(RECT rcClient, int cxNeeded, int cyNeeded);

    // The item rect shrunk by the inset, less the visible scroll bars.
    CUIRect GetClientArea() const;

protected:
    // The children and the visible scroll bars, as Paint draws them over the
    // container's own layers (the caller has clipped to the item rect).
    void PaintItems(HDC hDC, const RECT& rcPaint);
    int GetLineStep() const;
    int GetPageHeight() const;
    int GetPageWidth() const;

    CUIPtrArray m_items;          // CControlUI*, in painting and layout order
    CUIRect m_rcInset;
    int m_iChildPadding;
    bool m_bAutoDestroy;
    bool m_bDelayedDestroy;
    bool m_bMouseChildEnabled;
    bool m_bScrollProcess;        // re-layout guard of UpdateScrollBars
    CScrollBarUI* m_pVerticalScrollBar;
    CScrollBarUI* m_pHorizontalScrollBar;
};

} // namespace SkinUI

#endif // SKINUI_UICONTAINER_H
