// The base of the list items that draw themselves (label and text elements):
// an item of a list or combo box that paints its background from the owner's
// style, becomes hot under the mouse, reports a double click or the Return
// key as "itemactivate", and leaves its selection to the owner's protocol.
#ifndef SKINUI_UILISTELEMENT_H
#define SKINUI_UILISTELEMENT_H

#include <windows.h>

#include "UIControl.h"
#include "UIListInfo.h"

namespace SkinUI {

class CListElementUI : public CControlUI, public IListItemUI
{
public:
    CListElementUI();

    // CControlUI
    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual bool Activate();
    virtual void SetVisible(bool bVisible = true);
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    // IListItemUI
    virtual int GetIndex() const;
    virtual void SetIndex(int iIndex);
    virtual IListOwnerUI* GetOwner();
    virtual void SetOwner(CControlUI* pOwner);
    virtual bool IsSelected() const;
    virtual bool Select(bool bSelect = true);
    virtual bool IsExpanded() const;
    virtual bool Expand(bool bExpand = true);
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;

    // Repaints what the item's containers leave visible of it.
    void InvalidateVisiblePart();
    // The background in the item's state, from the owner's style.
    void PaintItemBackground(HDC hDC);

protected:
    CUIListItemCore m_item;
};

} // namespace SkinUI

#endif // SKINUI_UILISTELEMENT_H
