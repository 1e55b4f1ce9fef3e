// The single-line edit box. CEditUI paints like a label (its text, or a row
// of password characters) with state images; while it has the focus it lays
// a real platform edit, CEditWnd, exactly over its text area, so typing,
// selection, the caret and the input method are the platform's own.
#ifndef SKINUI_UIEDIT_H
#define SKINUI_UIEDIT_H

#include <windows.h>

#include "UILabel.h"
#include "UIWindow.h"

namespace SkinUI {

class CEditUI;

// The native edit of an open CEditUI: a superclass of the platform "Edit"
// class, a child of the manager's window. It deletes itself when its window
// is destroyed, which happens whenever it loses the keyboard focus.
class CEditWnd : public CWindowWnd
{
public:
    CEditWnd();

    // Creates the window over the owner and gives it the focus. On failure
    // the object deletes itself and false is returned.
    bool Init(CEditUI* pOwner);
    // The owner's text rectangle, one text line high and vertically centred.
    RECT CalcPos();
    // Forgets the owner: a control that goes away while its native edit is
    // open detaches it first, so the window never reaches freed memory.
    void Detach();

    virtual LPCTSTR GetWindowClassName() const;
    virtual LPCTSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnWindowDestroyed(HWND hWnd);

    LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnEditChanged();

private:
    virtual ~CEditWnd();

    CEditUI* m_pOwner;
    HBRUSH m_hBkBrush;
    bool m_bInit;
};

class CEditUI : public CLabelUI
{
    friend class CEditWnd;

public:
    CEditUI();
    virtual ~CEditUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void SetText(LPCTSTR pstrText);
    virtual void SetPos(RECT rc);
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInheritedVisible(bool bVisible = true);
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);

    void SetMaxChar(UINT uMax);
    UINT GetMaxChar() const;
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const;
    // Takes effect the next time the native edit opens.
    void SetNumberOnly(bool bNumberOnly);
    int GetWindowStyles() const;
    // An open native edit keeps the mode it was opened with.
    void SetPasswordMode(bool bPasswordMode);
    bool IsPasswordMode() const;
    wchar_t GetPasswordChar() const;

    void SetNormalImage(LPCTSTR pStrImage);
    void SetHotImage(LPCTSTR pStrImage);
    void SetFocusedImage(LPCTSTR pStrImage);
    void SetDisabledImage(LPCTSTR pStrImage);

    // 0xFFFFFFFF leaves the native edit's colours to the platform.
    void SetNativeEditBkColor(DWORD dwBkColor);
    DWORD GetNativeEditBkColor() const;

    // The open native edit, NULL while the edit is closed.
    CEditWnd* GetEditWindow() const;

protected:
    // Opens the native edit over the control.
    void OpenNativeEdit();
    // Clears the manager's focus when the control can no longer be seen
    // while its native edit is open, which closes the native edit.
    void DropFocusIfHidden();

    CEditWnd* m_pWindow;
    UINT m_uMaxChar;
    bool m_bReadOnly;
    bool m_bPasswordMode;
    wchar_t m_cPasswordChar;
    UINT m_uButtonState;       // UIStateFocused, UIStateDisabled, UIStateHot
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    DWORD m_dwEditbkColor;
    int m_iWindowStyles;
};

} // namespace SkinUI

#endif // SKINUI_UIEDIT_H
