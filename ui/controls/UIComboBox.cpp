// The arrow-image combo box: picks the state slice of the arrow image and
// draws it at the right edge.
#include "UIComboBox.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIButton.h"

namespace SkinUI {

namespace {

const int kArrowSlices = 5;

// Finds the "source='l,t,r,b'" item of an image description: its place in
// the text and its four numbers. False when there is none.
bool FindSourceItem(const CUIString& sImage, int& iStart, int& iEnd, RECT& rcSource)
{
    const int iKey = sImage.Find(L"source=");
    if (iKey < 0)
        return false;
    const wchar_t* p = sImage.GetData() + iKey + 7;
    if (*p != L'\'')
        return false;
    ++p;
    LONG v[4] = { 0, 0, 0, 0 };
    for (int i = 0; i < 4; ++i) {
        wchar_t* pEnd = NULL;
        v[i] = wcstol(p, &pEnd, 10);
        if (pEnd == p)
            return false;
        p = pEnd;
        if (i < 3) {
            if (*p != L',')
                return false;
            ++p;
        }
    }
    if (*p != L'\'')
        return false;
    iStart = iKey;
    iEnd = static_cast<int>(p + 1 - sImage.GetData());
    rcSource.left = v[0];
    rcSource.top = v[1];
    rcSource.right = v[2];
    rcSource.bottom = v[3];
    return true;
}

} // namespace

CComboBoxUI::CComboBoxUI() : m_nArrowWidth(0)
{
}

LPCTSTR CComboBoxUI::GetClassName() const
{
    return L"ComboBoxUI";
}

void CComboBoxUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != NULL && wcscmp(pstrName, L"arrowimage") == 0)
        m_sArrowImage = pstrValue;
    else
        CComboUI::SetAttribute(pstrName, pstrValue);
}

const CUIString& CComboBoxUI::GetArrowImage() const
{
    return m_sArrowImage;
}

void CComboBoxUI::SetArrowImage(LPCTSTR pStrImage)
{
    m_sArrowImage = pStrImage;
    Invalidate();
}

int CComboBoxUI::GetArrowWidth() const
{
    return m_nArrowWidth;
}

const CUIString& CComboBoxUI::GetArrowModify() const
{
    return m_sArrowModify;
}

void CComboBoxUI::PaintStateImage(HDC hDC)
{
    if (m_sArrowImage.IsEmpty()) {
        CComboUI::PaintStateImage(hDC);
        return;
    }
    UpdateStateBits();
    int iSlice = 0;
    if ((m_uButtonState & UIStateDisabled) != 0)
        iSlice = 4;
    else if ((m_uButtonState & UIStatePushed) != 0)
        iSlice = 2;
    else if ((m_uButtonState & UIStateHot) != 0)
        iSlice = 1;
    else if ((m_uButtonState & UIStateFocused) != 0)
        iSlice = 3;

    int iStart = 0;
    int iEnd = 0;
    RECT rcSource = { 0, 0, 0, 0 };
    if (!FindSourceItem(m_sArrowImage, iStart, iEnd, rcSource))
        return;
    m_nArrowWidth = (rcSource.right - rcSource.left) / kArrowSlices;
    const RECT rcSlice = { rcSource.left + m_nArrowWidth * iSlice, rcSource.top,
                           rcSource.left + m_nArrowWidth * (iSlice + 1), rcSource.bottom };
    RECT rcDest = { 0, 0, m_rcItem.GetWidth(), m_rcItem.GetHeight() };
    ::InflateRect(&rcDest, -m_nBorderSize, -m_nBorderSize);
    rcDest.left = rcDest.right - m_nArrowWidth;

    CUIString sItem;
    sItem.Format(L"source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", rcSlice.left, rcSlice.top, rcSlice.right,
                 rcSlice.bottom, rcDest.left, rcDest.top, rcDest.right, rcDest.bottom);
    m_sArrowModify = m_sArrowImage.Left(iStart);
    m_sArrowModify += sItem;
    m_sArrowModify += m_sArrowImage.Mid(iEnd);
    if (!DrawImage(hDC, m_sArrowModify))
        m_sArrowImage.Empty();
}

void CComboBoxUI::PaintText(HDC hDC)
{
    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.top += m_rcTextPadding.top;
    rcText.right -= m_rcTextPadding.right + m_nArrowWidth;
    rcText.bottom -= m_rcTextPadding.bottom;
    PaintSelectedItem(hDC, rcText);
}

} // namespace SkinUI
