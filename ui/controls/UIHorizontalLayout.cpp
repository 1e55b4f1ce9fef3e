#include "UIHorizontalLayout.h"

#include <wchar.h>

namespace SkinUI {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CBoxLayoutUI(false)
{
}

LPCTSTR CHorizontalLayoutUI::GetClassName() const
{
    return L"HorizontalLayoutUI";
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return NULL;
    if (wcscmp(pstrName, L"HorizontalLayout") == 0)
        return static_cast<CHorizontalLayoutUI*>(this);
    if (wcscmp(pstrName, L"Container") == 0)
        return static_cast<CContainerUI*>(this);
    if (wcscmp(pstrName, L"Control") == 0)
        return static_cast<CControlUI*>(this);
    if (wcscmp(pstrName, L"IContainer") == 0)
        return static_cast<IContainerUI*>(this);
    return NULL;
}

void CHorizontalLayoutUI::SetSeparatorWidth(int iWidth)
{
    SetSeparatorSize(iWidth);
}

} // namespace SkinUI
