// The multi-line text control of the UI library: a label that word-wraps,
// measures its height from its text and, with tagged text ("showhtml"), makes
// the links of that text clickable (hand cursor, hover colour, "link").
#ifndef SKINUI_UITEXT_H
#define SKINUI_UITEXT_H

#include <windows.h>

#include "UIBase.h"
#include "UILabel.h"

namespace SkinUI {

class CTextUI : public CLabelUI
{
public:
    // The most links one text tracks; further links are drawn but not clickable.
    enum { MAX_LINK = 8 };

    CTextUI();
    virtual ~CTextUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void HandleEvent(UIEvent& event);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void PaintText(HDC hDC);

    // The target text of link iIndex as laid out by the last paint (the
    // wParam of a "link" notification); NULL outside the links of that paint.
    LPCTSTR GetLinkContent(int iIndex) const;

protected:
    // The link whose rectangle of the last paint holds pt, or -1.
    int LinkAt(POINT pt) const;

    int m_nLinks;
    CUIRect m_rcLinks[MAX_LINK];
    CUIString m_sLinks[MAX_LINK];
    int m_nHoverLink;
};

} // namespace SkinUI

#endif // SKINUI_UITEXT_H
