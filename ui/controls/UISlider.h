// The slider: a progress bar with a thumb that the pointer drags and the
// mouse wheel steps; it reports a new value with "valuechanged".
#ifndef SKINUI_UISLIDER_H
#define SKINUI_UISLIDER_H

#include <windows.h>

#include "UIProgress.h"

namespace SkinUI {

class CSliderUI : public CProgressUI
{
public:
    CSliderUI();
    virtual ~CSliderUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PaintStateImage(HDC hDC);

    int GetChangeStep() const;
    void SetChangeStep(int step);
    void SetThumbSize(SIZE szXY);
    // In window coordinates.
    RECT GetThumbRect() const;
    void SetThumbImage(LPCTSTR pStrImage);
    void SetThumbHotImage(LPCTSTR pStrImage);
    void SetThumbPushedImage(LPCTSTR pStrImage);

protected:
    // The value under a pointer position along the slider's axis.
    int ValueFromPoint(POINT pt) const;

    SIZE m_szThumb;
    UINT m_uButtonState;     // UIStateHot, UIStateCaptured
    int m_nStep;
    CUIString m_sThumbImage;
    CUIString m_sThumbHotImage;
    CUIString m_sThumbPushedImage;
    CUIString m_sImageModify;
    int m_nCaptureValue;     // the value when the thumb was taken
};

} // namespace SkinUI

#endif // SKINUI_UISLIDER_H
