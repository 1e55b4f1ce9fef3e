// The contract between list owners (the list and the combo box) and the items
// they hold: the owner, list and item interfaces, the application's optional
// column-text callback, the list-wide item style record every item paints
// with, and the item routines all item classes share.
#ifndef SKINUI_UILISTINFO_H
#define SKINUI_UILISTINFO_H

#include <windows.h>

#include "UIBase.h"
#include "UIManager.h"

namespace SkinUI {

class CControlUI;
class CContainerUI;
class CListHeaderUI;

// The most columns a list passes on to its items; header items beyond them
// still lay out and paint in the header.
enum { UILIST_MAX_COLUMNS = 32 };

// The input flag of list items (beside UIInputFlags): the item takes the
// Return key itself.
enum { UIListItemWantReturn = 0x4 };

// The list-wide item style. One record lives in each list and each combo box;
// items read it through IListOwnerUI::GetListInfo and never copy it. A
// background or line colour of 0 draws nothing.
struct UIListInfo
{
    UIListInfo();

    int nColumns;                          // valid entries of rcColumn
    RECT rcColumn[UILIST_MAX_COLUMNS];     // window coordinates of the header items
    int nFont;                             // -1: the default font
    UINT uTextStyle;                       // DrawText flags of the item texts
    RECT rcTextPadding;
    DWORD dwTextColor;
    DWORD dwBkColor;
    CUIString sBkImage;
    bool bAlternateBk;                     // odd rows get no normal background
    DWORD dwSelectedTextColor;
    DWORD dwSelectedBkColor;
    CUIString sSelectedImage;
    DWORD dwHotTextColor;
    DWORD dwHotBkColor;
    CUIString sHotImage;
    DWORD dwDisabledTextColor;
    DWORD dwDisabledBkColor;
    CUIString sDisabledImage;
    DWORD dwLineColor;                     // one-pixel line along every item's bottom
    bool bShowHtml;                        // item texts are tagged text
    bool bMultiExpandable;
};

// What a list item talks to. An item finds it by asking its owner control for
// "IListOwner".
class IListOwnerUI
{
public:
    virtual UIListInfo* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false) = 0;
    // The owner control's own event handling; items pass on what they do not handle.
    virtual void HandleEvent(UIEvent& event) = 0;

protected:
    ~IListOwnerUI() {}
};

// Supplies the column texts of multi-column text items instead of the items'
// own texts. Implemented by applications; the list does not own it.
class IListCallbackUI
{
public:
    virtual LPCTSTR GetItemText(CControlUI* pItem, int iIndex, int iColumn) = 0;

protected:
    ~IListCallbackUI() {}
};

// The list control's side ("IList"): the header, the body holding the items,
// the text callback and the expanded item.
class IListUI : public IListOwnerUI
{
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListCallbackUI* pCallback) = 0;
    virtual bool ExpandItem(int iIndex, bool bExpand = true) = 0;
    virtual int GetExpandedItem() const = 0;

protected:
    ~IListUI() {}
};

// An item of a list or combo box ("ListItem"). Its index always equals its
// position in the owner.
class IListItemUI
{
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool bSelect = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool bExpand = true) = 0;
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;

protected:
    ~IListItemUI() {}
};

// The interfaces of a control, null when it has none. Every caller goes
// through these so that the pointer is adjusted to the right base.
IListOwnerUI* GetListOwner(CControlUI* pControl);
IListUI* GetListInterface(CControlUI* pControl);
IListItemUI* GetListItem(CControlUI* pControl);

// The "item..." attributes that the list and the combo box share, and the
// field each one sets.
enum UIListInfoField
{
    ListInfoNoField = 0,   // not one of them
    ListInfoFont,
    ListInfoAlign,
    ListInfoEndEllipsis,
    ListInfoTextPadding,
    ListInfoTextColor,
    ListInfoBkColor,
    ListInfoSelectedTextColor,
    ListInfoSelectedBkColor,
    ListInfoHotTextColor,
    ListInfoHotBkColor,
    ListInfoDisabledTextColor,
    ListInfoDisabledBkColor,
    ListInfoLineColor,
    ListInfoBkImage,
    ListInfoSelectedImage,
    ListInfoHotImage,
    ListInfoDisabledImage,
    ListInfoAlternateBk,
    ListInfoShowHtml
};

// Stores one shared "item..." attribute in info. Returns the field it set, or
// ListInfoNoField (info untouched) for any other name; *pbChanged (optional)
// tells whether the stored value differs from the one before.
UIListInfoField ParseListInfoAttribute(UIListInfo& info, LPCTSTR pstrName, LPCTSTR pstrValue,
                                       bool* pbChanged = NULL);

// The background of a list item in its state, from the owner's style: the
// state colour, else the state image, the item's own background image or
// the list's, and the bottom line. sOwnBkImage is the item's own background
// image; an image that fails to draw is cleared.
void PaintListItemBackground(HDC hDC, CControlUI* pItem, CUIString& sOwnBkImage, UIListInfo* pInfo,
                             int iIndex, bool bSelected, bool bHot);

// The text colour of a list item in its state (disabled over selected over hot).
DWORD GetListItemTextColor(const UIListInfo* pInfo, bool bEnabled, bool bSelected, bool bHot);

// Repaints the part of a list item that its containers leave visible (their
// rectangles less inset and visible scroll bars); nothing when that part is
// empty or the control is hidden.
void InvalidateListItem(CControlUI* pItem);

// How far a view must scroll along y to show rcItem: 0 when it lies inside
// rcView, else the overlap at the bottom, or at the top.
int ListScrollDeltaToShow(const RECT& rcItem, const RECT& rcView);

// The state and behaviour every list item shares, whatever its control base
// (the list element is a plain control, the container element a container):
// its index and owner, the selection protocol, hot tracking, the press that
// selects, activation, and the background. Each item class holds one and
// forwards to it.
class CUIListItemCore
{
public:
    explicit CUIListItemCore(CControlUI* pControl);

    void SetOwner(CControlUI* pOwner);
    bool IsHot() const;
    // IListItemUI::Select: disabled items refuse to be selected (never to be
    // unselected); a change is stored, a selection is reported to the owner,
    // and the item repaints.
    bool Select(bool bSelect);
    // After the control's visibility changed: an item hidden while selected
    // leaves its owner without selection.
    void OnVisibilityChanged();
    // After the control's enabled state changed: a disabled item loses its state.
    void OnEnabledChanged();
    // Sends "itemactivate" (the control's Activate succeeded).
    void NotifyActivated();
    // A double click or Return on an enabled item activates it. True when handled.
    bool HandleActivation(UIEvent& event);
    // Hover, press and release as list items take them. True when handled.
    bool HandlePointer(UIEvent& event);
    // Hands the event to the owner; false without one.
    bool PassToOwner(UIEvent& event);
    void PaintBackground(HDC hDC, CUIString& sOwnBkImage);
    void InvalidateVisiblePart();

    int m_iIndex;
    bool m_bSelected;
    UINT m_uButtonState;    // UIStateHot while the mouse is over the item
    IListOwnerUI* m_pOwner;

private:
    CControlUI* m_pControl;
};

} // namespace SkinUI

#endif // SKINUI_UILISTINFO_H
