// The date control: a label that shows a date as "YYYY-MM-DD" and, when it is
// clicked or focused, opens the platform's date picker over itself
// (CDateTimeWnd); the date chosen there becomes the label's text.
#ifndef SKINUI_UIDATETIME_H
#define SKINUI_UIDATETIME_H

#include <windows.h>

#include "UIBase.h"
#include "UILabel.h"

namespace SkinUI {

class CDateTimeWnd;

class CDateTimeUI : public CLabelUI
{
    friend class CDateTimeWnd;

public:
    // What the next text update does.
    enum UpdateMode
    {
        UpdateNone = 0,
        UpdateShowDate = 1,
        UpdateClear = 2,
        UpdateKeep = 3
    };

    // Shows today's date.
    CDateTimeUI();
    // Closes an open picker first.
    virtual ~CDateTimeUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void HandleEvent(UIEvent& event);

    // Applies the update mode: the date as text, an empty text, or nothing.
    void UpdateText();

protected:
    // Opens the picker over the control (or moves an open one here) and
    // gives it the focus.
    void ShowPicker();

    SYSTEMTIME m_sysTime;
    int m_nDTUpdateFlag;
    CDateTimeWnd* m_pWindow;
};

} // namespace SkinUI

#endif // SKINUI_UIDATETIME_H
