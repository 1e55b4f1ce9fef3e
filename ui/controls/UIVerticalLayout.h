// Stacks its children from top to bottom. Children with a fixed or measured
// height get it, the others share the space left over; an optional separator
// strip along the bottom (or top) edge resizes the layout itself.
#ifndef SKINUI_UIVERTICALLAYOUT_H
#define SKINUI_UIVERTICALLAYOUT_H

#include <windows.h>

#include "UIBoxLayout.h"

namespace SkinUI {

class CVerticalLayoutUI : public CBoxLayoutUI
{
public:
    CVerticalLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);

    // > 0: a strip of that height along the bottom edge; < 0: along the top
    // edge; 0: no separator.
    void SetSeparatorHeight(int iHeight);
};

} // namespace SkinUI

#endif // SKINUI_UIVERTICALLAYOUT_H
