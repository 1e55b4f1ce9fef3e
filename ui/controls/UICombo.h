// The drop-down list (element "Combo"): a closed control that shows the
// selected item, and a pop-up window (CComboWnd) under it, or above it near
// the bottom of the work area, that shows all items in a scrolling layout.
// The items are ordinary list items held as the combo's children; the combo
// is their owner and keeps its own item style.
#ifndef SKINUI_UICOMBO_H
#define SKINUI_UICOMBO_H

#include <windows.h>

#include "UIContainer.h"
#include "UIListInfo.h"

namespace SkinUI {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI
{
public:
    CComboUI();
    virtual ~CComboUI();

    // CControlUI
    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual bool Activate();
    virtual CUIString GetText() const;
    virtual void SetPos(RECT rc);
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void Paint(HDC hDC, const RECT& rcPaint);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);

    // IContainerUI: the items, kept in step with the selection.
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex);
    virtual bool Add(CControlUI* pControl);
    virtual bool AddAt(CControlUI* pControl, int iIndex);
    virtual bool Remove(CControlUI* pControl);
    virtual bool RemoveAt(int iIndex);
    virtual void RemoveAll();

    // IListOwnerUI
    virtual UIListInfo* GetListInfo();
    virtual int GetCurSel() const;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false);

    // The open pop-up, or NULL.
    CComboWnd* GetDropDownWindow() const;
    // Closes an open pop-up at once: the items come back, the window goes.
    void CloseDropDown();

    CUIString GetDropBoxAttributeList() const;
    void SetDropBoxAttributeList(LPCTSTR pstrList);
    CUISize GetDropBoxSize() const;
    // cx 0: as wide as the combo; cy: the most the pop-up grows to.
    void SetDropBoxSize(SIZE szDropBox);
    CUIRect GetTextPadding() const;
    void SetTextPadding(RECT rc);
    void SetNormalImage(LPCTSTR pStrImage);
    void SetHotImage(LPCTSTR pStrImage);
    void SetPushedImage(LPCTSTR pStrImage);
    void SetFocusedImage(LPCTSTR pStrImage);
    void SetDisabledImage(LPCTSTR pStrImage);
    UINT GetButtonState() const;

    // The item style.
    void SetItemFont(int index);
    void SetItemTextStyle(UINT uStyle);
    void SetItemTextPadding(RECT rc);
    void SetItemTextColor(DWORD dwTextColor);
    void SetItemBkColor(DWORD dwBkColor);
    void SetItemBkImage(LPCTSTR pStrImage);
    void SetAlternateBk(bool bAlternateBk);
    void SetSelectedItemTextColor(DWORD dwTextColor);
    void SetSelectedItemBkColor(DWORD dwBkColor);
    void SetSelectedItemImage(LPCTSTR pStrImage);
    void SetHotItemTextColor(DWORD dwTextColor);
    void SetHotItemBkColor(DWORD dwBkColor);
    void SetHotItemImage(LPCTSTR pStrImage);
    void SetDisabledItemTextColor(DWORD dwTextColor);
    void SetDisabledItemBkColor(DWORD dwBkColor);
    void SetDisabledItemImage(LPCTSTR pStrImage);
    void SetItemLineColor(DWORD dwLineColor);
    void SetItemShowHtml(bool bShowHtml = true);
    bool IsItemShowHtml() const;

protected:
    friend class CComboWnd;

    // Draws the selected item into rcText.
    void PaintSelectedItem(HDC hDC, const RECT& rcText);
    // Keeps the focused and disabled bits in step with the control.
    void UpdateStateBits();
    // Gives the items from iFirst on their positions as index.
    void RenumberItems(int iFirst);
    // Called by the pop-up when its window is gone.
    void OnDropDownDestroyed();
    // Gives every item the empty rectangle: the closed combo never lays its
    // items out, so none keeps a place where the mouse could find it.
    void ClearItemRects();

    CComboWnd* m_pWindow;
    int m_iCurSel;
    CUIRect m_rcTextPadding;
    CUIString m_sDropBoxAttributes;
    CUISize m_szDropBox;
    UINT m_uButtonState;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    UIListInfo m_ListInfo;
};

} // namespace SkinUI

#endif // SKINUI_UICOMBO_H
