// The push button: a label that tracks mouse and keyboard in a small state
// word, draws an image and a text colour per state and sends "click" when it
// is activated.
#ifndef SKINUI_UIBUTTON_H
#define SKINUI_UIBUTTON_H

#include <windows.h>

#include "UILabel.h"

namespace SkinUI {

// Bits of a button's state word.
enum UIButtonState
{
    UIStateFocused = 0x01,
    UIStateSelected = 0x02,
    UIStateDisabled = 0x04,
    UIStateHot = 0x08,
    UIStatePushed = 0x10,
    UIStateCaptured = 0x40
};

class CButtonUI : public CLabelUI
{
public:
    CButtonUI();
    virtual ~CButtonUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual bool Activate();
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);

    void SetNormalImage(LPCTSTR pStrImage);
    void SetHotImage(LPCTSTR pStrImage);
    void SetPushedImage(LPCTSTR pStrImage);
    void SetFocusedImage(LPCTSTR pStrImage);
    void SetDisabledImage(LPCTSTR pStrImage);
    void SetForeImage(LPCTSTR pStrImage);
    void SetHotForeImage(LPCTSTR pStrImage);

    void SetHotBkColor(DWORD dwColor);
    void SetHotTextColor(DWORD dwColor);
    DWORD GetHotTextColor() const;
    void SetPushedTextColor(DWORD dwColor);
    DWORD GetPushedTextColor() const;
    void SetFocusedTextColor(DWORD dwColor);
    DWORD GetFocusedTextColor() const;

protected:
    UINT m_uButtonState;
    DWORD m_dwHotBkColor;
    DWORD m_dwHotTextColor;
    DWORD m_dwPushedTextColor;
    DWORD m_dwFocusedTextColor;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sHotForeImage;
    CUIString m_sPushedImage;
    CUIString m_sPushedForeImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
};

} // namespace SkinUI

#endif // SKINUI_UIBUTTON_H
