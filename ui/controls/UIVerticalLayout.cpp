#include "UIVerticalLayout.h"

#include <wchar.h>

namespace SkinUI {

CVerticalLayoutUI::CVerticalLayoutUI() : CBoxLayoutUI(true)
{
}

LPCTSTR CVerticalLayoutUI::GetClassName() const
{
    return L"VerticalLayoutUI";
}

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"VerticalLayout") == 0)
            return static_cast<CVerticalLayoutUI*>(this);
        if (wcscmp(pstrName, L"Container") == 0)
            return static_cast<CContainerUI*>(this);
        if (wcscmp(pstrName, L"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
    }
    return CControlUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetSeparatorHeight(int iHeight)
{
    SetSeparatorSize(iHeight);
}

} // namespace SkinUI
