// The list control (element "List"): a vertical layout of a header row and a
// scrolling body that holds the items. It owns the item style, the selection
// and the expanded item, moves the selection with the keyboard and the wheel
// and keeps the header's columns in step with the body. Its container
// interface names the items of the body; the header and header items that
// the builder adds are routed to their places.
#ifndef SKINUI_UILIST_H
#define SKINUI_UILIST_H

#include <windows.h>

#include "UIListInfo.h"
#include "UIVerticalLayout.h"

namespace SkinUI {

class CListBodyUI;
class CListHeaderUI;

class CListUI : public CVerticalLayoutUI, public IListUI
{
public:
    CListUI();
    virtual ~CListUI();

    // CControlUI
    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual void SetPos(RECT rc);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    // CContainerUI: forwarded to the body (the list itself never scrolls).
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual CUISize GetScrollPos() const;
    virtual CUISize GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void ScrollToLeft();
    virtual void ScrollToRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    // IContainerUI: the items of the body.
    virtual CControlUI* GetItemAt(int iIndex) const;
    virtual int GetItemIndex(CControlUI* pControl) const;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex);
    virtual int GetCount() const;
    virtual bool Add(CControlUI* pControl);
    virtual bool AddAt(CControlUI* pControl, int iIndex);
    virtual bool Remove(CControlUI* pControl);
    virtual bool RemoveAt(int iIndex);
    virtual void RemoveAll();

    // IListOwnerUI
    virtual UIListInfo* GetListInfo();
    virtual int GetCurSel() const;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false);

    // IListUI
    virtual CListHeaderUI* GetHeader() const;
    virtual CContainerUI* GetList() const;
    virtual IListCallbackUI* GetTextCallback() const;
    virtual void SetTextCallback(IListCallbackUI* pCallback);
    virtual bool ExpandItem(int iIndex, bool bExpand = true);
    virtual int GetExpandedItem() const;

    // Scrolls the body so that the item at iIndex is in view (only while the
    // list has a selection).
    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);
    bool IsScrollSelect() const;
    // The wheel moves the selection instead of scrolling.
    void SetScrollSelect(bool bScrollSelect);

    // The item style.
    void SetItemFont(int index);
    void SetItemTextStyle(UINT uStyle);
    void SetItemTextPadding(RECT rc);
    void SetItemTextColor(DWORD dwTextColor);
    void SetItemBkColor(DWORD dwBkColor);
    void SetItemBkImage(LPCTSTR pStrImage);
    void SetAlternateBk(bool bAlternateBk);
    void SetSelectedItemTextColor(DWORD dwTextColor);
    void SetSelectedItemBkColor(DWORD dwBkColor);
    void SetSelectedItemImage(LPCTSTR pStrImage);
    void SetHotItemTextColor(DWORD dwTextColor);
    void SetHotItemBkColor(DWORD dwBkColor);
    void SetHotItemImage(LPCTSTR pStrImage);
    void SetDisabledItemTextColor(DWORD dwTextColor);
    void SetDisabledItemBkColor(DWORD dwBkColor);
    void SetDisabledItemImage(LPCTSTR pStrImage);
    void SetItemLineColor(DWORD dwLineColor);
    void SetItemShowHtml(bool bShowHtml = true);
    bool IsItemShowHtml() const;
    void SetMultiExpanding(bool bMultiExpandable);

    // Copies the header items' rectangles into the column rectangles, first
    // moving the header items dx pixels along; a hidden header is measured
    // for it (and placed across prcPlaceHidden when given).
    void SyncHeaderColumns(int dx, const RECT* prcPlaceHidden);

protected:
    // The column count the header gives, at most UILIST_MAX_COLUMNS.
    void UpdateColumnCount();
    // Gives the items from iFirst to iLast (inclusive) their positions as index.
    void RenumberItems(int iFirst, int iLast);
    // A fresh empty header at the top, in place of the removed one.
    void ReplaceRemovedHeader(bool bVisible);

    bool m_bScrollSelect;
    int m_iCurSel;
    int m_iExpandedItem;
    IListCallbackUI* m_pCallback;
    CListBodyUI* m_pList;
    CListHeaderUI* m_pHeader;
    UIListInfo m_ListInfo;
};

} // namespace SkinUI

#endif // SKINUI_UILIST_H
