// The list header row: its size from its column captions.
#include "UIListHeader.h"

#include <wchar.h>

#include "UIManager.h"

namespace SkinUI {

CListHeaderUI::CListHeaderUI()
{
}

LPCTSTR CListHeaderUI::GetClassName() const
{
    return L"ListHeaderUI";
}

LPVOID CListHeaderUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListHeader") == 0)
        return static_cast<CListHeaderUI*>(this);
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

CUISize CListHeaderUI::MeasureSize(SIZE szAvailable)
{
    CUISize sz(0, m_nFixedHeight);
    if (sz.cy == 0 && m_pManager != NULL) {
        for (int i = 0; i < m_items.GetSize(); ++i) {
            const CUISize szItem = static_cast<CControlUI*>(m_items[i])->MeasureSize(szAvailable);
            if (szItem.cy > sz.cy)
                sz.cy = szItem.cy;
        }
        const UIFontInfo* pFont = m_pManager->GetDefaultFontInfo();
        const int cyMin = (pFont != NULL ? pFont->tm.tmHeight : 0) + 6;
        if (sz.cy < cyMin)
            sz.cy = cyMin;
    }
    for (int i = 0; i < m_items.GetSize(); ++i)
        sz.cx += static_cast<CControlUI*>(m_items[i])->MeasureSize(szAvailable).cx;
    return sz;
}

} // namespace SkinUI
