#include "UIControl.h"

#include <wchar.h>

namespace SkinUI {

CControlUI::CControlUI()
    : m_pManager(NULL),
      m_pParent(NULL),
      m_bUpdateNeeded(true),
      m_bMenuUsed(false),
      m_rcItem(0, 0, 0, 0),
      m_rcPadding(0, 0, 0, 0),
      m_cXY(0, 0),
      m_nFixedWidth(0),
      m_nFixedHeight(0),
      m_nMinWidth(0),
      m_nMinHeight(0),
      m_nMaxWidth(9999),
      m_nMaxHeight(9999),
      m_bVisible(true),
      m_bInternVisible(true),
      m_bEnabled(true),
      m_bMouseEnabled(true),
      m_bKeyboardEnabled(true),
      m_bFocused(false),
      m_bFloat(false),
      m_bSetPos(false),
      m_chShortcut(0),
      m_pTag(0),
      m_dwBackColor(0),
      m_dwBackColor2(0),
      m_dwBackColor3(0),
      m_dwBorderColor(0),
      m_dwFocusBorderColor(0),
      m_bColorHSL(false),
      m_nBorderSize(0),
      m_nBorderStyle(0),
      m_nTooltipWidth(300),
      m_cxyBorderRound(0, 0),
      m_rcPaint(0, 0, 0, 0),
      m_rcBorderSize(0, 0, 0, 0)
{
    m_tRelativePos.bRelative = false;
    m_tRelativePos.nParentCx = 0;
    m_tRelativePos.nParentCy = 0;
    m_tRelativePos.nMoveXPercent = 0;
    m_tRelativePos.nMoveYPercent = 0;
    m_tRelativePos.nZoomXPercent = 0;
    m_tRelativePos.nZoomYPercent = 0;
}

CControlUI::~CControlUI()
{
    if (DestroyHandlers)
        DestroyHandlers.Fire(this);
    if (m_pManager != NULL)
        m_pManager->ReapObjects(this);
}

CUIString CControlUI::GetName() const { return m_sName; }
void CControlUI::SetName(LPCTSTR) {} // not yet implemented
LPCTSTR CControlUI::GetClassName() const { return L"ControlUI"; }
LPVOID CControlUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Control") == 0)
        return this;
    return NULL;
}
UINT CControlUI::GetInputFlags() const { return 0; }
bool CControlUI::Activate() { return false; } // not yet implemented
CUIManager* CControlUI::GetManager() const { return m_pManager; }
void CControlUI::SetManager(CUIManager*, CControlUI*, bool) {} // not yet implemented
CControlUI* CControlUI::GetParent() const { return m_pParent; }
CUIString CControlUI::GetText() const { return m_sText; }
void CControlUI::SetText(LPCTSTR) {} // not yet implemented
const CUIRect& CControlUI::GetPos() const { return m_rcItem; }
void CControlUI::SetPos(RECT) {} // not yet implemented
int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }
int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }
CUIRect CControlUI::GetPadding() const { return m_rcPadding; }
void CControlUI::SetPadding(RECT) {} // not yet implemented
CUISize CControlUI::GetFloatOffset() const { return m_cXY; }
void CControlUI::SetFloatOffset(int, int) {} // not yet implemented
int CControlUI::GetFixedWidth() const { return m_nFixedWidth; }
void CControlUI::SetFixedWidth(int) {} // not yet implemented
int CControlUI::GetFixedHeight() const { return m_nFixedHeight; }
void CControlUI::SetFixedHeight(int) {} // not yet implemented
int CControlUI::GetMinWidth() const { return m_nMinWidth; }
void CControlUI::SetMinWidth(int) {} // not yet implemented
int CControlUI::GetMaxWidth() const { return m_nMaxWidth; }
void CControlUI::SetMaxWidth(int) {} // not yet implemented
int CControlUI::GetMinHeight() const { return m_nMinHeight; }
void CControlUI::SetMinHeight(int) {} // not yet implemented
int CControlUI::GetMaxHeight() const { return m_nMaxHeight; }
void CControlUI::SetMaxHeight(int) {} // not yet implemented
void CControlUI::SetRelativePos(int, int, int, int) {} // not yet implemented
void CControlUI::SetRelativeParentSize(int, int) {} // not yet implemented
UIRelativePos CControlUI::GetRelativePos() const { return m_tRelativePos; }
bool CControlUI::IsRelativePos() const { return m_tRelativePos.bRelative; }
CUIString CControlUI::GetToolTip() const { return m_sToolTip; }
void CControlUI::SetToolTip(LPCTSTR) {} // not yet implemented
void CControlUI::SetToolTipWidth(int) {} // not yet implemented
int CControlUI::GetToolTipWidth() const { return m_nTooltipWidth; }
wchar_t CControlUI::GetShortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(wchar_t) {} // not yet implemented
bool CControlUI::IsContextMenuEnabled() const { return m_bMenuUsed; }
void CControlUI::SetContextMenuEnabled(bool) {} // not yet implemented
const CUIString& CControlUI::GetUserData() const { return m_sUserData; }
void CControlUI::SetUserData(LPCTSTR) {} // not yet implemented
UINT_PTR CControlUI::GetUserPointer() const { return m_pTag; }
void CControlUI::SetUserPointer(UINT_PTR) {} // not yet implemented
bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }
void CControlUI::SetVisible(bool) {} // not yet implemented
void CControlUI::SetInheritedVisible(bool) {} // not yet implemented
bool CControlUI::IsEnabled() const { return m_bEnabled; }
void CControlUI::SetEnabled(bool) {} // not yet implemented
bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool) {} // not yet implemented
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool) {} // not yet implemented
bool CControlUI::IsFocused() const { return m_bFocused; }
void CControlUI::SetFocus() {} // not yet implemented
bool CControlUI::IsFloat() const { return m_bFloat; }
void CControlUI::SetFloat(bool) {} // not yet implemented
CControlUI* CControlUI::FindControl(UIFindControlFn, LPVOID, UINT) { return NULL; } // not yet implemented
void CControlUI::Init() {} // not yet implemented
void CControlUI::OnInit() {}
void CControlUI::DispatchEvent(UIEvent&) {} // not yet implemented
void CControlUI::HandleEvent(UIEvent&) {} // not yet implemented
void CControlUI::SetAttribute(LPCTSTR, LPCTSTR) {} // not yet implemented
CUISize CControlUI::MeasureSize(SIZE) { return CUISize(m_nFixedWidth, m_nFixedHeight); }
void CControlUI::Paint(HDC, const RECT&) {} // not yet implemented
void CControlUI::PaintBackgroundColor(HDC) {} // not yet implemented
void CControlUI::PaintBackgroundImage(HDC) {} // not yet implemented
void CControlUI::PaintStateImage(HDC) {}
void CControlUI::PaintText(HDC) {}
void CControlUI::PaintBorder(HDC) {} // not yet implemented
void CControlUI::PostPaint(HDC, const RECT&) {}

void CControlUI::Invalidate() {} // not yet implemented
bool CControlUI::NeedsLayout() const { return m_bUpdateNeeded; }
void CControlUI::RequestLayout() {} // not yet implemented
void CControlUI::RequestParentLayout() {} // not yet implemented
DWORD CControlUI::AdjustColor(DWORD dwColor) const { return dwColor; } // not yet implemented
bool CControlUI::DrawImage(HDC, LPCTSTR, LPCTSTR) { return false; } // not yet implemented
CUIString CControlUI::GetVirtualWindow() const { return m_sVirtualWnd; } // not yet implemented
void CControlUI::SetVirtualWindow(LPCTSTR) {} // not yet implemented
CControlUI* CControlUI::ApplyAttributes(LPCTSTR) { return this; } // not yet implemented
void CControlUI::SetBackgroundColor(DWORD) {} // not yet implemented
void CControlUI::SetBackgroundColor2(DWORD) {} // not yet implemented
void CControlUI::SetBackgroundColor3(DWORD) {} // not yet implemented
void CControlUI::SetBackgroundImage(LPCTSTR) {} // not yet implemented
void CControlUI::SetBorderColor(DWORD) {} // not yet implemented
void CControlUI::SetFocusBorderColor(DWORD) {} // not yet implemented
void CControlUI::SetColorHSL(bool) {} // not yet implemented
void CControlUI::SetBorderSize(int) {} // not yet implemented
int CControlUI::GetBorderSize() const { return m_nBorderSize; }
void CControlUI::SetBorderSizes(RECT) {} // not yet implemented
void CControlUI::SetLeftBorderSize(int) {} // not yet implemented
void CControlUI::SetTopBorderSize(int) {} // not yet implemented
void CControlUI::SetRightBorderSize(int) {} // not yet implemented
void CControlUI::SetBottomBorderSize(int) {} // not yet implemented
void CControlUI::SetBorderStyle(int) {} // not yet implemented
void CControlUI::SetBorderRound(int, int) {} // not yet implemented

} // namespace SkinUI
