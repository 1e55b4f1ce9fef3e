// The progress bar of the UI library (see UIProgress.h).
#include "UIProgress.h"

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

namespace SkinUI {

CProgressUI::CProgressUI()
    : m_bHorizontal(true)
    , m_bStretchForeImage(true)
    , m_nMax(100)
    , m_nMin(0)
    , m_nValue(0)
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    SetFixedHeight(12);
}

CProgressUI::~CProgressUI()
{
}

LPCTSTR CProgressUI::GetClassName() const
{
    return L"ProgressUI";
}

LPVOID CProgressUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Progress") == 0)
        return static_cast<CProgressUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

bool CProgressUI::IsHorizontal() const
{
    return m_bHorizontal;
}

void CProgressUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    Invalidate();
}

bool CProgressUI::IsStretchForeImage() const
{
    return m_bStretchForeImage;
}

void CProgressUI::SetStretchForeImage(bool bStretchForeImage)
{
    if (m_bStretchForeImage == bStretchForeImage)
        return;
    m_bStretchForeImage = bStretchForeImage;
    Invalidate();
}

int CProgressUI::GetMinValue() const
{
    return m_nMin;
}

void CProgressUI::SetMinValue(int nMin)
{
    m_nMin = nMin;
    Invalidate();
}

int CProgressUI::GetMaxValue() const
{
    return m_nMax;
}

void CProgressUI::SetMaxValue(int nMax)
{
    m_nMax = nMax;
    Invalidate();
}

int CProgressUI::GetValue() const
{
    return m_nValue;
}

void CProgressUI::SetValue(int nValue)
{
    if (nValue == m_nValue || nValue < m_nMin || nValue > m_nMax)
        return;
    m_nValue = nValue;
    Invalidate();
}

LPCTSTR CProgressUI::GetForeImage() const
{
    return m_sForeImage.GetData();
}

void CProgressUI::SetForeImage(LPCTSTR pStrImage)
{
    if (m_sForeImage == pStrImage)
        return;
    m_sForeImage = pStrImage;
    Invalidate();
}

void CProgressUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"foreimage") == 0)
        SetForeImage(pstrValue);
    else if (wcscmp(pstrName, L"hor") == 0)
        SetHorizontal(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"min") == 0)
        SetMinValue(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    else if (wcscmp(pstrName, L"max") == 0)
        SetMaxValue(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    else if (wcscmp(pstrName, L"value") == 0)
        SetValue(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    else if (wcscmp(pstrName, L"isstretchfore") == 0)
        SetStretchForeImage(IsTrueValue(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CProgressUI::PaintStateImage(HDC hDC)
{
    if (m_nMax <= m_nMin)
        m_nMax = m_nMin + 1;
    if (m_nValue > m_nMax)
        m_nValue = m_nMax;
    if (m_nValue < m_nMin)
        m_nValue = m_nMin;

    // 64-bit products: a wide control with a large range must not overflow.
    const long long nRange = static_cast<long long>(m_nMax) - m_nMin;
    const long long nShare = static_cast<long long>(m_nValue) - m_nMin;
    RECT rc = { 0, 0, 0, 0 };
    if (m_bHorizontal) {
        rc.right = static_cast<LONG>(nShare * (m_rcItem.right - m_rcItem.left) / nRange);
        rc.bottom = m_rcItem.bottom - m_rcItem.top;
    } else {
        rc.top = static_cast<LONG>((m_rcItem.bottom - m_rcItem.top) * (m_nMax - static_cast<long long>(m_nValue))
                                   / nRange);
        rc.right = m_rcItem.right - m_rcItem.left;
        rc.bottom = m_rcItem.bottom - m_rcItem.top;
    }

    if (m_sForeImage.IsEmpty())
        return;
    wchar_t szModify[128];
    if (m_bStretchForeImage)
        swprintf(szModify, 128, L"dest='%d,%d,%d,%d'", (int)rc.left, (int)rc.top, (int)rc.right, (int)rc.bottom);
    else
        swprintf(szModify, 128, L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", (int)rc.left, (int)rc.top,
                 (int)rc.right, (int)rc.bottom, (int)rc.left, (int)rc.top, (int)rc.right, (int)rc.bottom);
    m_sForeImageModify = szModify;
    if (!DrawImage(hDC, m_sForeImage, m_sForeImageModify))
        m_sForeImage.Empty();
}

} // namespace SkinUI
