// A container that shows one child at a time, the selected page, filling its
// client rectangle; the other children are kept hidden.
#ifndef SKINUI_UITABLAYOUT_H
#define SKINUI_UITABLAYOUT_H

#include <windows.h>

#include "UIContainer.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI
{
public:
    CTabLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetPos(RECT rc);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    virtual bool Add(CControlUI* pControl);
    virtual bool AddAt(CControlUI* pControl, int iIndex);
    virtual bool Remove(CControlUI* pControl);
    virtual void RemoveAll();

    int GetCurSel() const;
    bool SelectItem(int iIndex);

protected:
    int m_iCurSel;
};

} // namespace SkinUI

#endif // SKINUI_UITABLAYOUT_H
