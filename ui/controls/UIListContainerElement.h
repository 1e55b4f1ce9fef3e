// A list item that holds arbitrary child controls (element
// "ListContainerElement"): the children paint over the item background of the
// owner's style; the item itself selects, tracks the mouse and activates like
// the other list items. The tree node derives from it.
#ifndef SKINUI_UILISTCONTAINERELEMENT_H
#define SKINUI_UILISTCONTAINERELEMENT_H

#include <windows.h>

#include "UIContainer.h"
#include "UIListInfo.h"

namespace SkinUI {

class CListContainerElementUI : public CContainerUI, public IListItemUI
{
public:
    CListContainerElementUI();

    // CControlUI
    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual bool Activate();
    virtual void SetVisible(bool bVisible = true);
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void Paint(HDC hDC, const RECT& rcPaint);

    // IListItemUI
    virtual int GetIndex() const;
    virtual void SetIndex(int iIndex);
    virtual IListOwnerUI* GetOwner();
    virtual void SetOwner(CControlUI* pOwner);
    virtual bool IsSelected() const;
    virtual bool Select(bool bSelect = true);
    virtual bool IsExpanded() const;
    virtual bool Expand(bool bExpand = true);
    virtual void DrawItemText(HDC hDC, const RECT& rcItem);

    void InvalidateVisiblePart();
    void PaintItemBackground(HDC hDC);

protected:
    CUIListItemCore m_item;
};

} // namespace SkinUI

#endif // SKINUI_UILISTCONTAINERELEMENT_H
