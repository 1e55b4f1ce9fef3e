// A two-state button. Options sharing a group name form an exclusive group,
// kept by the window's paint manager: selecting one deselects the others.
// A check box is the same control under another class name.
#ifndef SKINUI_UIOPTION_H
#define SKINUI_UIOPTION_H

#include <windows.h>

#include "UIButton.h"

namespace SkinUI {

class COptionUI : public CButtonUI
{
public:
    COptionUI();
    virtual ~COptionUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual bool Activate();
    virtual void SetManager(CUIManager* pManager, CControlUI* pParent, bool bInit = true);
    virtual void SetEnabled(bool bEnable = true);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);

    virtual void SetSelected(bool bSelected);

    bool IsSelected() const;
    LPCTSTR GetGroup() const;
    void SetGroup(LPCTSTR pStrGroupName = NULL);
    void SetSelectedImage(LPCTSTR pStrImage);
    void SetSelectedHotImage(LPCTSTR pStrImage);
    void SetForeImage(LPCTSTR pStrImage);
    void SetSelectedBkColor(DWORD dwBkColor);
    void SetSelectedTextColor(DWORD dwTextColor);

protected:
    // Group membership is kept with the manager whose group holds the option,
    // so that it is left there even after the option was detached.
    void JoinGroup(CUIManager* pManager);
    void LeaveGroup();

    bool m_bSelected;
    CUIString m_sGroupName;
    DWORD m_dwSelectedBkColor;
    DWORD m_dwSelectedTextColor;
    CUIString m_sSelectedImage;
    CUIString m_sSelectedHotImage;
    CUIString m_sOptionForeImage;   // drawn last, over every state
    CUIManager* m_pGroupManager;    // whose group of m_sGroupName holds the option
};

class CCheckBoxUI : public COptionUI
{
public:
    virtual LPCTSTR GetClassName() const;

    bool GetCheck() const;
};

} // namespace SkinUI

#endif // SKINUI_UIOPTION_H
