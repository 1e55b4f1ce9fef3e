// One node of a tree view (element "TreeNode"): a list container item holding
// one row of an indent spacer, a folder box (selected = collapsed), a check
// box and the caption. The node records its child nodes; the tree view's
// list holds every node, at any depth, as one flat item in display order.
#ifndef SKINUI_UITREENODE_H
#define SKINUI_UITREENODE_H

#include <windows.h>

#include "UIListContainerElement.h"

namespace SkinUI {

class CCheckBoxUI;
class CHorizontalLayoutUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI
{
public:
    // A parent that is no tree node counts as none.
    explicit CTreeNodeUI(CTreeNodeUI* pParentNode = NULL);
    virtual ~CTreeNodeUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    // IContainerUI: tree nodes become child nodes, other controls children.
    virtual bool Add(CControlUI* pControl);
    virtual bool AddAt(CControlUI* pControl, int iIndex);
    virtual bool Remove(CControlUI* pControl);

    // IListItemUI
    virtual bool Select(bool bSelect = true);

    // Whether a control's class is the tree node's (compared ignoring case).
    static bool IsTreeNodeClass(CControlUI* pControl);
    // The node a control is, or NULL.
    static CTreeNodeUI* FromControl(CControlUI* pControl);

    CUIString GetItemText() const;
    bool HasChildren() const;
    int GetChildCount() const;
    CTreeNodeUI* GetChildNode(int iIndex) const;
    CUIPtrArray GetChildNodes() const;
    CTreeNodeUI* GetParentNode() const;
    void SetParentNode(CTreeNodeUI* pParentNode);
    CTreeViewUI* GetTreeView() const;
    void SetTreeView(CTreeViewUI* pTreeView);
    bool IsExpandedNode() const;
    void SetExpandedNode(bool bExpanded);

    void SetFolderButtonVisible(bool bVisible);
    void SetCheckBoxVisible(bool bVisible);

    // The node's index among the tree's items; -1 without a tree or when absent.
    int GetTreeIndex() const;
    // The node's last descendant in display order (the node itself without children).
    CTreeNodeUI* GetLastNode();
    bool AddChildNode(CTreeNodeUI* pChild);
    bool RemoveChildNode(CTreeNodeUI* pChild);
    // Makes pChild a child of this node: indent, parent, caption group, tree.
    void PrepareChild(CTreeNodeUI* pChild);
    // Leaves the parent's child array (and forgets the parent).
    void DetachFromParent();

    void SetItemTextColor(DWORD dwColor);
    DWORD GetItemTextColor() const;
    void SetItemHotTextColor(DWORD dwColor);
    DWORD GetItemHotTextColor() const;
    void SetSelectedItemTextColor(DWORD dwColor);
    DWORD GetSelectedItemTextColor() const;
    void SetSelectedItemHotTextColor(DWORD dwColor);
    DWORD GetSelectedItemHotTextColor() const;

    CHorizontalLayoutUI* GetRow() const;
    CCheckBoxUI* GetFolderButton() const;
    CLabelUI* GetDottedLine() const;
    CCheckBoxUI* GetCheckBox() const;
    COptionUI* GetItemButton() const;

private:
    bool m_bExpanded;
    DWORD m_dwItemTextColor;
    DWORD m_dwItemHotTextColor;
    DWORD m_dwSelItemTextColor;
    DWORD m_dwSelItemHotTextColor;
    CTreeViewUI* m_pTreeView;
    CHorizontalLayoutUI* m_pHoriz;
    CCheckBoxUI* m_pFolderButton;
    CLabelUI* m_pDottedLine;
    CCheckBoxUI* m_pCheckBox;
    COptionUI* m_pItemButton;
    CTreeNodeUI* m_pParentTreeNode;
    CUIPtrArray m_aTreeNodes;    // CTreeNodeUI*, the child nodes in order
};

} // namespace SkinUI

#endif // SKINUI_UITREENODE_H
