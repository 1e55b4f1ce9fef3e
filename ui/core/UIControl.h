// The base of every UI control: a rectangle in the window's client area with
// a name, a text, size constraints, placement rules, state flags, a background,
// a border, event sources and the common skin attributes.
#ifndef SKINUI_UICONTROL_H
#define SKINUI_UICONTROL_H

#include <windows.h>

#include "UIBase.h"
#include "UIDelegate.h"
#include "UIManager.h"

namespace SkinUI {

// Flags of CControlUI::FindControl.
enum UIFindFlags
{
    FindVisible = 0x00000001,   // skip invisible controls
    FindEnabled = 0x00000002,   // skip disabled controls
    FindHitTest = 0x00000004,   // data points to a POINT in client coordinates
    FindTopFirst = 0x00000008,  // containers try their children from last to first
    FindMeFirst = 0x80000000u   // containers test themselves before their children
};

// Result bits of CControlUI::GetInputFlags.
enum UIInputFlags
{
    TabStop = 0x1,        // Tab navigation may focus the control
    WantSetCursor = 0x2   // the manager sends it the SetCursor event
};

// Visitor of FindControl: the control that ends the search, or NULL to go on.
typedef CControlUI* (*UIFindControlFn)(CControlUI* pControl, LPVOID pData);

// Relative placement of a float control inside its parent.
struct UIRelativePos
{
    bool bRelative;
    int nParentCx;   // parent size recorded at the last placement (0 = none yet)
    int nParentCy;
    int nMoveXPercent;
    int nMoveYPercent;
    int nZoomXPercent;
    int nZoomYPercent;
};

class CControlUI
{
public:
    CControlUI();
    virtual ~CControlUI();

    virtual CUIString GetName() const;
    virtual void SetName(LPCTSTR pstrName);

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);

    virtual UINT GetInputFlags() const;

    virtual bool Activate();

    virtual CUIManager* GetManager() const;
    virtual void SetManager(CUIManager* pManager, CControlUI* pParent, bool bInit = true);

    virtual CControlUI* GetParent() const;
    virtual CUIString GetText() const;
    virtual void SetText(LPCTSTR pstrText);

    virtual const CUIRect& GetPos() const;
    virtual void SetPos(RECT rc);

    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;

    virtual CUIRect GetPadding() const;
    virtual void SetPadding(RECT rcPadding);

    virtual CUISize GetFloatOffset() const;
    virtual void SetFloatOffset(int cx, int cy);

    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);

    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);

    virtual void SetRelativePos(int nMoveXPercent, int nMoveYPercent, int nZoomXPercent, int nZoomYPercent);
    virtual void SetRelativeParentSize(int cx, int cy);
    virtual UIRelativePos GetRelativePos() const;
    virtual bool IsRelativePos() const;

    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(LPCTSTR pstrText);

    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth() const;

    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);

    virtual bool IsContextMenuEnabled() const;
    virtual void SetContextMenuEnabled(bool bMenuUsed);

    virtual const CUIString& GetUserData() const;
    virtual void SetUserData(LPCTSTR pstrText);
    virtual UINT_PTR GetUserPointer() const;
    virtual void SetUserPointer(UINT_PTR pTag);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInheritedVisible(bool bVisible = true);

    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);

    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);

    virtual bool IsFocused() const;
    virtual void SetFocus();

    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);

    virtual CControlUI* FindControl(UIFindControlFn Proc, LPVOID pData, UINT uFlags);

    virtual void Init();
    virtual void OnInit();

    virtual void DispatchEvent(UIEvent& event);
    virtual void HandleEvent(UIEvent& event);

    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    virtual CUISize MeasureSize(SIZE szAvailable);

    virtual void Paint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBackgroundColor(HDC hDC);
    virtual void PaintBackgroundImage(HDC hDC);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void PostPaint(HDC hDC, const RECT& rcPaint);
    // True when this control's own paint covers all of rc (a rectangle of
    // its window) with an opaque colour before anything else is drawn, so
    // that nothing painted there earlier can show through.
    virtual bool PaintsOpaqueOver(const RECT& rc) const;

    // --- non-virtual -------------------------------------------------------
    void Invalidate();
    bool NeedsLayout() const;
    void RequestLayout();
    void RequestParentLayout();

    DWORD AdjustColor(DWORD dwColor) const;
    bool DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify = NULL);

    CUIString GetVirtualWindow() const;
    void SetVirtualWindow(LPCTSTR pstrValue);

    CControlUI* ApplyAttributes(LPCTSTR pstrList);

    void SetBackgroundColor(DWORD dwBackColor);
    void SetBackgroundColor2(DWORD dwBackColor);
    void SetBackgroundColor3(DWORD dwBackColor);
    void SetBackgroundImage(LPCTSTR pStrImage);
    void SetBorderColor(DWORD dwBorderColor);
    void SetFocusBorderColor(DWORD dwBorderColor);
    void SetColorHSL(bool bColorHSL);
    void SetBorderSize(int nSize);
    int GetBorderSize() const;
    void SetBorderSizes(RECT rc);
    void SetLeftBorderSize(int nSize);
    void SetTopBorderSize(int nSize);
    void SetRightBorderSize(int nSize);
    void SetBottomBorderSize(int nSize);
    void SetBorderStyle(int nStyle);
    void SetBorderRound(int cx, int cy);

    // Read access to the drawing fields, for derived controls and callers.
    DWORD GetBackgroundColor() const;
    DWORD GetBackgroundColor2() const;
    DWORD GetBackgroundColor3() const;
    const CUIString& GetBackgroundImage() const;
    DWORD GetBorderColor() const;
    DWORD GetFocusBorderColor() const;
    bool IsColorHSL() const;
    CUIRect GetBorderSizes() const;
    int GetBorderStyle() const;
    CUISize GetBorderRound() const;

    // The common value grammar of skin attributes.
    // A decimal number list ("l,t,r,b"): each number starts exactly one
    // character after the end of the previous one; items missing at the end
    // of the text become 0. Never reads past the terminator.
    static void ParseNumberList(LPCTSTR pstrValue, int* pValues, int nCount);
    // A 0xAARRGGBB colour in hexadecimal with one optional leading "#";
    // bSkipBlanks first skips characters with codes up to 32.
    static DWORD ParseColor(LPCTSTR pstrValue, bool bSkipBlanks);
    // A flag is true only for the exact text "true".
    static bool IsTrueValue(LPCTSTR pstrValue);

public:
    CUIEventSource InitHandlers;    // fired by Init with the control
    CUIEventSource DestroyHandlers; // fired by the destructor with the control
    CUIEventSource SizeHandlers;    // fired by SetPos with the control
    CUIEventSource EventHandlers;   // fired by DispatchEvent with the UIEvent
    CUIEventSource NotifyHandlers;  // fired by the manager with each UINotify of this sender

protected:
    // Layout request after a change of size or float offset: a float
    // control is placed by its parent, so the parent lays out again too.
    void RequestPlacementLayout();

    CUIManager* m_pManager;
    CControlUI* m_pParent;
    CUIString m_sVirtualWnd;
    CUIString m_sName;
    bool m_bUpdateNeeded;
    bool m_bMenuUsed;
    CUIRect m_rcItem;
    CUIRect m_rcPadding;
    CUISize m_cXY;
    int m_nFixedWidth;
    int m_nFixedHeight;
    int m_nMinWidth;
    int m_nMinHeight;
    int m_nMaxWidth;
    int m_nMaxHeight;
    bool m_bVisible;
    bool m_bInternVisible;
    bool m_bEnabled;
    bool m_bMouseEnabled;
    bool m_bKeyboardEnabled;
    bool m_bFocused;
    bool m_bFloat;
    bool m_bSetPos;            // size-notify guard
    UIRelativePos m_tRelativePos;

    CUIString m_sText;
    CUIString m_sToolTip;
    wchar_t m_chShortcut;
    CUIString m_sUserData;
    UINT_PTR m_pTag;

    DWORD m_dwBackColor;
    DWORD m_dwBackColor2;
    DWORD m_dwBackColor3;
    CUIString m_sBkImage;
    CUIString m_sForeImage;
    DWORD m_dwBorderColor;
    DWORD m_dwFocusBorderColor;
    bool m_bColorHSL;
    int m_nBorderSize;
    int m_nBorderStyle;
    int m_nTooltipWidth;
    CUISize m_cxyBorderRound;
    CUIRect m_rcPaint;
    CUIRect m_rcBorderSize;

private:
    CControlUI(const CControlUI&);
    CControlUI& operator=(const CControlUI&);
};

} // namespace SkinUI

#endif // SKINUI_UICONTROL_H
