// One column caption of a list header (element "ListHeaderItem"): a clickable
// caption with state images that sends "headerclick" on a press, and a
// separator strip on one edge that can be dragged to resize the column.
#ifndef SKINUI_UILISTHEADERITEM_H
#define SKINUI_UILISTHEADERITEM_H

#include <windows.h>

#include "UIControl.h"

namespace SkinUI {

class CListHeaderItemUI : public CControlUI
{
public:
    CListHeaderItemUI();
    virtual ~CListHeaderItemUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);

    bool IsDragable() const;
    void SetDragable(bool bDragable);
    int GetSepWidth() const;
    // < 0: the separator lies on the left edge, > 0: on the right, 0: none.
    void SetSepWidth(int iWidth);
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    int GetFont() const;
    void SetFont(int index);
    UINT GetTextStyle() const;
    CUIRect GetTextPadding() const;
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const;
    void SetShowHtml(bool bShowHtml = true);
    void SetNormalImage(LPCTSTR pStrImage);
    void SetHotImage(LPCTSTR pStrImage);
    void SetPushedImage(LPCTSTR pStrImage);
    void SetFocusedImage(LPCTSTR pStrImage);
    void SetSepImage(LPCTSTR pStrImage);
    UINT GetButtonState() const;

    // The separator strip in window coordinates.
    RECT GetSepRect() const;

protected:
    // The separator strip widened by 4 pixels towards the inside: where a
    // press starts a drag. Empty without a separator.
    RECT GetSepHitRect() const;

    POINT m_ptLastMouse;
    bool m_bDragable;
    UINT m_uButtonState;
    int m_iSepWidth;
    DWORD m_dwTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    bool m_bShowHtml;
    CUIRect m_rcTextPadding;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sSepImage;
    CUIString m_sSepImageModify;
};

} // namespace SkinUI

#endif // SKINUI_UILISTHEADERITEM_H
