// The progress bar: a label whose state image is a fore image covering the
// share of the control that the value holds between a minimum and a maximum,
// from the left (horizontal) or from the bottom (vertical).
#ifndef SKINUI_UIPROGRESS_H
#define SKINUI_UIPROGRESS_H

#include <windows.h>

#include "UILabel.h"

namespace SkinUI {

class CProgressUI : public CLabelUI
{
public:
    CProgressUI();
    virtual ~CProgressUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PaintStateImage(HDC hDC);

    bool IsHorizontal() const;
    void SetHorizontal(bool bHorizontal = true);
    bool IsStretchForeImage() const;
    void SetStretchForeImage(bool bStretchForeImage = true);
    // No checks: a bar whose maximum is not above its minimum is put right
    // at the next paint.
    int GetMinValue() const;
    void SetMinValue(int nMin);
    int GetMaxValue() const;
    void SetMaxValue(int nMax);
    int GetValue() const;
    // A value outside min..max is ignored, not clamped.
    void SetValue(int nValue);
    LPCTSTR GetForeImage() const;
    void SetForeImage(LPCTSTR pStrImage);

protected:
    bool m_bHorizontal;
    bool m_bStretchForeImage;
    int m_nMax;
    int m_nMin;
    int m_nValue;
    // The fore image is the control's own m_sForeImage.
    CUIString m_sForeImageModify;   // rebuilt at each paint
};

} // namespace SkinUI

#endif // SKINUI_UIPROGRESS_H
