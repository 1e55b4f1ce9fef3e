// A vertical or horizontal scroll bar drawn with images: two arrow buttons, a
// thumb with a rail piece in its middle, and a background. A bar owned by a
// container scrolls that container; a bar without an owner keeps its own
// position and sends "scroll". Holding an arrow or the rail repeats the step
// from a 50 ms timer; a thumb drag is applied on the same timer.
#ifndef SKINUI_UISCROLLBAR_H
#define SKINUI_UISCROLLBAR_H

#include <windows.h>

#include "UIBase.h"
#include "UIControl.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI
{
public:
    // State bits of the buttons and the thumb.
    enum
    {
        StateDisabled = 0x04,
        StateHot = 0x08,
        StatePushed = 0x10,
        StateCaptured = 0x40
    };
    enum
    {
        RepeatTimerId = 10,     // the manager timer of a held button, rail or thumb
        RepeatElapse = 50,      // ms between timer ticks
        RepeatDelayTicks = 6,   // the first tick that repeats a held step
        DefaultThickness = 16
    };

    CScrollBarUI();
    virtual ~CScrollBarUI();

    // CControlUI
    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetPos(RECT rc);
    virtual void SetVisible(bool bVisible = true);
    virtual void SetEnabled(bool bEnable = true);
    virtual void SetFocus();
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void Paint(HDC hDC, const RECT& rcPaint);
    virtual bool PaintsOpaqueOver(const RECT& rc) const;

    // --- owner and geometry ----------------------------------------------
    CContainerUI* GetOwner() const;
    void SetOwner(CContainerUI* pOwner);

    bool IsHorizontal() const;
    void SetHorizontal(bool bHorizontal = true);

    int GetScrollRange() const;
    void SetScrollRange(int nRange);
    int GetScrollPos() const;
    void SetScrollPos(int nPos);
    int GetLineSize() const;
    void SetLineSize(int nSize);

    bool GetShowButton1() const;
    void SetShowButton1(bool bShow);
    bool GetShowButton2() const;
    void SetShowButton2(bool bShow);

    // The parts' rectangles in client coordinates, as the last SetPos laid
    // them out (an all-zero thumb rectangle means there is no thumb).
    const CUIRect& GetButton1Rect() const;
    const CUIRect& GetButton2Rect() const;
    const CUIRect& GetThumbRect() const;
    UINT GetButton1State() const;
    UINT GetButton2State() const;
    UINT GetThumbState() const;

    // --- images --------------------------------------------------------------
    const CUIString& GetButton1NormalImage() const;
    void SetButton1NormalImage(LPCTSTR pStrImage);
    const CUIString& GetButton1HotImage() const;
    void SetButton1HotImage(LPCTSTR pStrImage);
    const CUIString& GetButton1PushedImage() const;
    void SetButton1PushedImage(LPCTSTR pStrImage);
    const CUIString& GetButton1DisabledImage() const;
    void SetButton1DisabledImage(LPCTSTR pStrImage);

    const CUIString& GetButton2NormalImage() const;
    void SetButton2NormalImage(LPCTSTR pStrImage);
    const CUIString& GetButton2HotImage() const;
    void SetButton2HotImage(LPCTSTR pStrImage);
    const CUIString& GetButton2PushedImage() const;
    void SetButton2PushedImage(LPCTSTR pStrImage);
    const CUIString& GetButton2DisabledImage() const;
    void SetButton2DisabledImage(LPCTSTR pStrImage);

    const CUIString& GetThumbNormalImage() const;
    void SetThumbNormalImage(LPCTSTR pStrImage);
    const CUIString& GetThumbHotImage() const;
    void SetThumbHotImage(LPCTSTR pStrImage);
    const CUIString& GetThumbPushedImage() const;
    void SetThumbPushedImage(LPCTSTR pStrImage);
    const CUIString& GetThumbDisabledImage() const;
    void SetThumbDisabledImage(LPCTSTR pStrImage);

    const CUIString& GetRailNormalImage() const;
    void SetRailNormalImage(LPCTSTR pStrImage);
    const CUIString& GetRailHotImage() const;
    void SetRailHotImage(LPCTSTR pStrImage);
    const CUIString& GetRailPushedImage() const;
    void SetRailPushedImage(LPCTSTR pStrImage);
    const CUIString& GetRailDisabledImage() const;
    void SetRailDisabledImage(LPCTSTR pStrImage);

    const CUIString& GetBkNormalImage() const;
    void SetBkNormalImage(LPCTSTR pStrImage);
    const CUIString& GetBkHotImage() const;
    void SetBkHotImage(LPCTSTR pStrImage);
    const CUIString& GetBkPushedImage() const;
    void SetBkPushedImage(LPCTSTR pStrImage);
    const CUIString& GetBkDisabledImage() const;
    void SetBkDisabledImage(LPCTSTR pStrImage);

    // --- painting parts (called by Paint in this order) -------------------
    void PaintBk(HDC hDC);
    void PaintButton1(HDC hDC);
    void PaintButton2(HDC hDC);
    void PaintThumb(HDC hDC);
    void PaintRail(HDC hDC);

protected:
    void LayoutParts();
    void StepLine(bool bForward);
    void StepPage(bool bForward);
    void SendScrollNotify();
    // Draws the image for the given state, else the normal image; returns
    // whether one of them was drawn. An image that fails is emptied.
    bool DrawStateImage(HDC hDC, UINT uState, CUIString& sNormal, CUIString& sHot, CUIString& sPushed,
                        CUIString& sDisabled, const CUIRect& rcPart, bool bModify);
    void SetImage(CUIString& sTarget, LPCTSTR pStrImage);

    bool m_bHorizontal;
    int m_nRange;
    int m_nScrollPos;
    int m_nLineSize;
    CContainerUI* m_pOwner;
    POINT m_ptLastMouse;
    int m_nLastScrollPos;
    int m_nLastScrollOffset;
    int m_nScrollRepeatDelay;

    CUIString m_sBkNormalImage;
    CUIString m_sBkHotImage;
    CUIString m_sBkPushedImage;
    CUIString m_sBkDisabledImage;

    bool m_bShowButton1;
    CUIRect m_rcButton1;
    UINT m_uButton1State;
    CUIString m_sButton1NormalImage;
    CUIString m_sButton1HotImage;
    CUIString m_sButton1PushedImage;
    CUIString m_sButton1DisabledImage;

    bool m_bShowButton2;
    CUIRect m_rcButton2;
    UINT m_uButton2State;
    CUIString m_sButton2NormalImage;
    CUIString m_sButton2HotImage;
    CUIString m_sButton2PushedImage;
    CUIString m_sButton2DisabledImage;

    CUIRect m_rcThumb;
    UINT m_uThumbState;
    CUIString m_sThumbNormalImage;
    CUIString m_sThumbHotImage;
    CUIString m_sThumbPushedImage;
    CUIString m_sThumbDisabledImage;

    CUIString m_sRailNormalImage;
    CUIString m_sRailHotImage;
    CUIString m_sRailPushedImage;
    CUIString m_sRailDisabledImage;

    CUIString m_sImageModify;
};

} // namespace SkinUI

#endif // SKINUI_UISCROLLBAR_H
