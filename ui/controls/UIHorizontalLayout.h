// Stacks its children from left to right. Children with a fixed or measured
// width get it, the others share the space left over; an optional separator
// strip along the right (or left) edge resizes the layout itself.
#ifndef SKINUI_UIHORIZONTALLAYOUT_H
#define SKINUI_UIHORIZONTALLAYOUT_H

#include <windows.h>

#include "UIBoxLayout.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CBoxLayoutUI
{
public:
    CHorizontalLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);

    // > 0: a strip of that width along the right edge; < 0: along the left
    // edge; 0: no separator.
    void SetSeparatorWidth(int iWidth);
};

} // namespace SkinUI

#endif // SKINUI_UIHORIZONTALLAYOUT_H
