// The list body: rows as wide as the header, sideways scrolling that carries
// the header's columns along, and events handed to the owning list.
#include "UIListBody.h"

#include "UIList.h"
#include "UIListHeader.h"
#include "UIScrollBar.h"

namespace SkinUI {

CListBodyUI::CListBodyUI(CListUI* pOwner) : m_pOwner(pOwner)
{
}

void CListBodyUI::HandleEvent(UIEvent& event)
{
    if (m_pOwner != NULL)
        m_pOwner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

int CListBodyUI::GetRowWidth(int cxWidest, SIZE szAvailable)
{
    CListHeaderUI* pHeader = m_pOwner != NULL ? m_pOwner->GetHeader() : NULL;
    if (pHeader != NULL && pHeader->GetCount() > 0) {
        const int cxHeader = pHeader->MeasureSize(szAvailable).cx;
        return cxHeader > 0 ? cxHeader : 0;
    }
    return cxWidest;
}

void CListBodyUI::SetScrollPos(SIZE szPos)
{
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    const int xOld = bHBar ? m_pHorizontalScrollBar->GetScrollPos() : 0;
    CVerticalLayoutUI::SetScrollPos(szPos);
    const int dx = bHBar ? m_pHorizontalScrollBar->GetScrollPos() - xOld : 0;
    if (dx != 0 && m_pOwner != NULL)
        m_pOwner->SyncHeaderColumns(-dx, NULL);
}

} // namespace SkinUI
