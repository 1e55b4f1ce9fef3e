// The header row of a list (element "ListHeader"): a horizontal layout of
// column captions whose rectangles are the list's columns.
#ifndef SKINUI_UILISTHEADER_H
#define SKINUI_UILISTHEADER_H

#include <windows.h>

#include "UIHorizontalLayout.h"

namespace SkinUI {

class CListHeaderUI : public CHorizontalLayoutUI
{
public:
    CListHeaderUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    // Height: the fixed one, else the tallest item but at least the default
    // font + 6. Width: the sum of all item widths, hidden ones included.
    virtual CUISize MeasureSize(SIZE szAvailable);
};

} // namespace SkinUI

#endif // SKINUI_UILISTHEADER_H
