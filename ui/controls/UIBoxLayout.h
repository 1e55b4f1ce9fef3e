// The common part of the horizontal and vertical layouts: children are stacked
// along one axis, those with a fixed or measured size get it, the others share
// the space left over; an optional separator strip along the trailing (or
// leading) edge resizes the layout itself.
#ifndef SKINUI_UIBOXLAYOUT_H
#define SKINUI_UIBOXLAYOUT_H

#include <windows.h>

#include "UIContainer.h"

namespace SkinUI {

class CBoxLayoutUI : public CContainerUI
{
public:
    virtual UINT GetInputFlags() const;
    virtual void SetPos(RECT rc);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PostPaint(HDC hDC, const RECT& rcPaint);

    // Resize while dragging (true) or on release (false).
    void SetSeparatorImmediate(bool bImmediately);
    // The separator strip of the item rect, or of the dragged position when
    // bThumb is set and a drag is under way.
    RECT GetSeparatorRect(bool bThumb) const;

protected:
    // bVertical: stack from top to bottom, otherwise from left to right.
    explicit CBoxLayoutUI(bool bVertical);

    // > 0: a strip of that size along the trailing edge; < 0: along the
    // leading edge; 0: no separator.
    void SetSeparatorSize(int iSize);

    // Rows (a vertical layout only): a width of 0 or more makes every child
    // that wide, or as wide as the available room when that is more, in
    // place of its fixed width, and the horizontal scroll bar, when the
    // layout has one, is shown and ranged to let it scroll over that width.
    // cxWidest is the widest child as measured (clamped to its limits). The
    // base answers -1: no rows, each child gets its fixed width or the room.
    virtual int GetRowWidth(int cxWidest, SIZE szAvailable);

    const bool m_bVertical;
    int m_iSepSize;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    CUIRect m_rcNewPos;
    bool m_bImmMode;
};

} // namespace SkinUI

#endif // SKINUI_UIBOXLAYOUT_H
