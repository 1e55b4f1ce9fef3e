// A container that arranges its children in a grid of equal-width cells, row
// by row, each row as high as its tallest member and each child centred in
// its cell; the number of columns is fixed or follows from an item width.
// It scrolls vertically.
#ifndef SKINUI_UITILELAYOUT_H
#define SKINUI_UITILELAYOUT_H

#include <windows.h>

#include "UIContainer.h"

namespace SkinUI {

class CTileLayoutUI : public CContainerUI
{
public:
    CTileLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetPos(RECT rc);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    // The item width, when above 0, decides the columns at every layout; the
    // item height is kept for callers only.
    CUISize GetItemSize() const;
    void SetItemSize(SIZE szItem);
    int GetColumns() const;
    // Values below 1 are ignored.
    void SetColumns(int nCols);

protected:
    CUISize m_szItem;
    int m_nColumns;
};

} // namespace SkinUI

#endif // SKINUI_UITILELAYOUT_H
