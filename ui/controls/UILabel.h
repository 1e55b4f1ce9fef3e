// The static text control and the base of every control that shows one text.
// Besides the ordinary GDI text it can draw an effect text over GDI+: a
// two-colour linear gradient with an optional gradient shadow and an
// optional one-pixel outline.
#ifndef SKINUI_UILABEL_H
#define SKINUI_UILABEL_H

#include <windows.h>

#include "UIBase.h"
#include "UIControl.h"

namespace SkinUI {

class CLabelUI : public CControlUI
{
public:
    CLabelUI();
    virtual ~CLabelUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual CUIString GetText() const;
    virtual void SetText(LPCTSTR pstrText);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void PaintText(HDC hDC);

    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const;
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const;
    void SetFont(int index);
    int GetFont() const;
    void SetTextPadding(RECT rc);
    void SetShowHtml(bool bShowHtml = true);

    void SetEnabledEffect(bool bEnable);
    bool IsEnabledEffect() const;
    void SetTextRenderingHint(int nHint);
    void SetTransShadow(int nAlpha);
    int GetTransShadow() const;
    void SetTransShadow1(int nAlpha);
    int GetTransShadow1() const;
    void SetTransText(int nAlpha);
    int GetTransText() const;
    void SetTransText1(int nAlpha);
    int GetTransText1() const;
    void SetTransStroke(int nAlpha);
    int GetTransStroke() const;
    void SetGradientAngle(int nAngle);
    int GetGradientAngle() const;
    void SetGradientLength(int nLength);
    int GetGradientLength() const;
    void SetEnabledStroke(bool bEnable);
    bool IsEnabledStroke() const;
    void SetEnabledShadow(bool bEnable);
    bool IsEnabledShadow() const;
    void SetTextColor1(DWORD dwColor);
    DWORD GetTextColor1() const;
    void SetTextShadowColorA(DWORD dwColor);
    DWORD GetTextShadowColorA() const;
    void SetTextShadowColorB(DWORD dwColor);
    DWORD GetTextShadowColorB() const;
    void SetStrokeColor(DWORD dwColor);
    DWORD GetStrokeColor() const;
    // Distance in pixels and angle in degrees (-180..180; others are ignored).
    void SetShadowOffset(int nOffset, int nAngle);

protected:
    // The item rect shrunk by the text padding.
    CUIRect GetTextRect() const;
    // With a fixed height the control's own measure; else the fixed width and
    // the text-metric height of the font plus cyExtra.
    CUISize MeasureTextLine(SIZE szAvailable, int cyExtra);
    // A zero text colour takes the manager's default, a zero disabled text
    // colour the manager's disabled colour, permanently.
    void ResolveTextColors();
    void PaintEffectText(HDC hDC, const CUIRect& rcText);

    DWORD m_dwTextColor;
    DWORD m_dwDisabledTextColor;
    int m_iFont;
    UINT m_uTextStyle;
    CUIRect m_rcTextPadding;
    bool m_bShowHtml;

    // GDI+ effect path
    int m_nStringAlignment;   // StringAlignmentNear
    int m_nLineAlignment;     // StringAlignmentCenter
    int m_TransShadow;
    int m_TransShadow1;
    int m_TransText;
    int m_TransText1;
    int m_TransStroke;
    int m_GradientLength;
    int m_GradientAngle;
    bool m_EnableEffect;
    bool m_EnabledStroke;
    bool m_EnabledShadow;
    DWORD m_dwTextColor1;
    DWORD m_dwTextShadowColorA;
    DWORD m_dwTextShadowColorB;
    DWORD m_dwStrokeColor;
    float m_ShadowOffsetX;
    float m_ShadowOffsetY;
    CUIString m_TextValue;    // the effect text
    int m_TextRenderingHint;  // GDI+ TextRenderingHint 0..5
};

} // namespace SkinUI

#endif // SKINUI_UILABEL_H
