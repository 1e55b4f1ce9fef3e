// The scrolling part of a list: a vertical layout holding the list's items,
// every row as wide as the list's header (or the widest row), with the
// header's columns shifted along when it scrolls sideways. Its events go to
// the list.
#ifndef SKINUI_UILISTBODY_H
#define SKINUI_UILISTBODY_H

#include <windows.h>

#include "UIVerticalLayout.h"

namespace SkinUI {

class CListUI;

class CListBodyUI : public CVerticalLayoutUI
{
public:
    explicit CListBodyUI(CListUI* pOwner);

    virtual void HandleEvent(UIEvent& event);
    virtual void SetScrollPos(SIZE szPos);

protected:
    virtual int GetRowWidth(int cxWidest, SIZE szAvailable);

    CListUI* m_pOwner;
};

} // namespace SkinUI

#endif // SKINUI_UILISTBODY_H
