// Stacks its children from top to bottom. Children with a fixed or measured
// height get it, the others share the space left over; an optional separator
// strip along the bottom (or top) edge resizes the layout itself.
#ifndef SKINUI_UIVERTICALLAYOUT_H
#define SKINUI_UIVERTICALLAYOUT_H

#include <windows.h>

#include "UIContainer.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI
{
public:
    CVerticalLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void SetPos(RECT rc);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PostPaint(HDC hDC, const RECT& rcPaint);

    // > 0: a strip of that height along the bottom edge; < 0: along the top
    // edge; 0: no separator.
    void SetSeparatorHeight(int iHeight);
    // Resize while dragging (true) or on release (false).
    void SetSeparatorImmediate(bool bImmediately);
    // The separator strip of the item rect, or of the dragged position when
    // bThumb is set and a drag is under way.
    RECT GetSeparatorRect(bool bThumb) const;

protected:
    int m_iSepHeight;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    CUIRect m_rcNewPos;
    bool m_bImmMode;
};

} // namespace SkinUI

#endif // SKINUI_UIVERTICALLAYOUT_H
