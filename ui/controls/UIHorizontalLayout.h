// Stacks its children from left to right. Children with a fixed or measured
// width get it, the others share the space left over; an optional separator
// strip along the right (or left) edge resizes the layout itself.
#ifndef SKINUI_UIHORIZONTALLAYOUT_H
#define SKINUI_UIHORIZONTALLAYOUT_H

#include <windows.h>

#include "UIContainer.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI
{
public:
    CHorizontalLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void SetPos(RECT rc);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PostPaint(HDC hDC, const RECT& rcPaint);

    // > 0: a strip of that width along the right edge; < 0: along the left
    // edge; 0: no separator.
    void SetSeparatorWidth(int iWidth);
    // Resize while dragging (true) or on release (false).
    void SetSeparatorImmediate(bool bImmediately);
    // The separator strip of the item rect, or of the dragged position when
    // bThumb is set and a drag is under way.
    RECT GetSeparatorRect(bool bThumb) const;

protected:
    int m_iSepWidth;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    CUIRect m_rcNewPos;
    bool m_bImmMode;
};

} // namespace SkinUI

#endif // SKINUI_UIHORIZONTALLAYOUT_H
