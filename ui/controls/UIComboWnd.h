// The pop-up window of a combo box: a tool window with a paint manager of its
// own whose root is a scrolling vertical layout. While it is open the combo's
// items live in that layout (the same controls, borrowed); they go back to
// the combo when the pop-up closes or its window is destroyed in any other
// way.
#ifndef SKINUI_UICOMBOWND_H
#define SKINUI_UICOMBOWND_H

#include <windows.h>

#include "UIManager.h"
#include "UIWindow.h"

namespace SkinUI {

class CComboUI;
class CVerticalLayoutUI;

class CComboWnd final : public CWindowWnd
{
public:
    CComboWnd();

    // Opens the pop-up for the combo. On failure the object is gone and the
    // result is false.
    bool Init(CComboUI* pOwner);

    virtual LPCTSTR GetWindowClassName() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Scrolls the pop-up's layout so that the combo's item at iIndex is seen.
    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);
    // The combo is going away: its items go back now and the window is
    // destroyed at once.
    void CloseNow();

    CUIManager* GetManager();
    CVerticalLayoutUI* GetLayout() const;

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

private:
    ~CComboWnd();
    // Gives the borrowed items back to the combo's manager and the combo.
    void GiveItemsBack();
    // The rectangle in screen coordinates the pop-up opens at.
    RECT PlaceBelowOrAbove() const;

    CUIManager m_pm;
    CComboUI* m_pOwner;
    CVerticalLayoutUI* m_pLayout;
    int m_iOldSel;
    bool m_bItemsBorrowed;
    bool m_bInInit;
    bool m_bGoneInInit;
};

} // namespace SkinUI

#endif // SKINUI_UICOMBOWND_H
