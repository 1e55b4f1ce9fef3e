// A list item that shows one text (element "ListLabelElement"), drawn with
// the owner's item style; a press sends "itemclick" and selects it.
#ifndef SKINUI_UILISTLABELELEMENT_H
#define SKINUI_UILISTLABELELEMENT_H

#include <windows.h>

#include "UIListElement.h"

namespace SkinUI {

class CListLabelElementUI : public CListElementUI
{
public:
    CListLabelElementUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void HandleEvent(UIEvent& event);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void Paint(HDC hDC, const RECT& rcPaint);
    virtual bool PaintsOpaqueOver(const RECT& rc) const;

    virtual void DrawItemText(HDC hDC, const RECT& rcItem);

protected:
    // The text colour of the item's state, from the owner's style.
    DWORD GetStateTextColor(const UIListInfo* pInfo) const;
};

} // namespace SkinUI

#endif // SKINUI_UILISTLABELELEMENT_H
