// The combo box drawn with one arrow image (element "ComboBox"): the image is
// cut into five state slices (normal, hot, pushed, focused, disabled) drawn
// at the right edge; the selected item is drawn left of it.
#ifndef SKINUI_UICOMBOBOX_H
#define SKINUI_UICOMBOBOX_H

#include <windows.h>

#include "UICombo.h"

namespace SkinUI {

class CComboBoxUI : public CComboUI
{
public:
    CComboBoxUI();

    virtual LPCTSTR GetClassName() const;
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual void PaintStateImage(HDC hDC);
    virtual void PaintText(HDC hDC);

    const CUIString& GetArrowImage() const;
    void SetArrowImage(LPCTSTR pStrImage);
    // One fifth of the arrow image's source width, as the last paint found it.
    int GetArrowWidth() const;
    // The image text the last paint drew the arrow slice with.
    const CUIString& GetArrowModify() const;

protected:
    CUIString m_sArrowImage;
    int m_nArrowWidth;
    CUIString m_sArrowModify;
};

} // namespace SkinUI

#endif // SKINUI_UICOMBOBOX_H
