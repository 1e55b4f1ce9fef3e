// A multi-column list item (element "ListTextElement"): one text per column
// of the list's header, taken from the list's text callback when there is
// one, with up to eight clickable links ("link") over all its columns.
#ifndef SKINUI_UILISTTEXTELEMENT_H
#define SKINUI_UILISTTEXTELEMENT_H

#include <windows.h>

#include "UIListLabelElement.h"

namespace SkinUI {

class CListTextElementUI : public CListLabelElementUI
{
public:
    enum { MAX_LINKS = 8 };

    CListTextElementUI();
    virtual ~CListTextElementUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void HandleEvent(UIEvent& event);
    virtual CUISize MeasureSize(SIZE szAvailable);

    virtual void SetOwner(CControlUI* pOwner);
    virtual void DrawItemText(HDC hDC, const RECT& rcItem);

    // The text of a column, NULL when the column has none.
    LPCTSTR GetText(int iColumn) const;
    // Sets the text of a column; missing columns before it become empty.
    void SetText(int iColumn, LPCTSTR pstrText);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;

    // The links laid out by the last paint.
    int GetLinkCount() const;
    const CUIRect& GetLinkRect(int iLink) const;
    const CUIString& GetLinkText(int iLink) const;

protected:
    int m_nLinks;
    CUIRect m_rcLinks[MAX_LINKS];
    CUIString m_sLinks[MAX_LINKS];
    int m_nHoverLink;
    IListUI* m_pListOwner;
    CUIPtrArray m_aTexts;    // CUIString*, owned
};

} // namespace SkinUI

#endif // SKINUI_UILISTTEXTELEMENT_H
