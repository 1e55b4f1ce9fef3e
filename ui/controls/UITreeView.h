// The tree control (element "TreeView"): a list whose items are tree nodes,
// every node at any depth one item of the list in display order. It listens
// to each node's folder and check boxes and double clicks to collapse,
// expand and check whole subtrees.
#ifndef SKINUI_UITREEVIEW_H
#define SKINUI_UITREEVIEW_H

#include <windows.h>

#include "UIList.h"

namespace SkinUI {

class CTreeNodeUI;

class CTreeViewUI : public CListUI, public INotifyUI
{
public:
    CTreeViewUI();
    virtual ~CTreeViewUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    // INotifyUI: nothing.
    virtual void Notify(UINotify& msg);

    // IContainerUI: removing a node takes its subtree along.
    virtual bool RemoveAt(int iIndex);
    virtual void RemoveAll();

    // Adds the node and its subtree at the end.
    virtual bool AddNode(CTreeNodeUI* pNode);
    // Inserts the node in front of the item pReference.
    virtual bool AddNodeAtNode(CTreeNodeUI* pNode, CTreeNodeUI* pReference);
    // Inserts the node and its subtree at iIndex (the item count appends);
    // returns the index after the last inserted node, -1 on failure.
    virtual int AddNodeAt(CTreeNodeUI* pNode, int iIndex);
    // Removes the node and its subtree from the tree (and deletes them).
    virtual bool RemoveNode(CTreeNodeUI* pNode);

    // Delegate targets of the nodes' boxes and of the nodes.
    virtual bool OnNodeCheckChanged(void* pParam);
    virtual bool OnNodeFolderChanged(void* pParam);
    virtual bool OnNodeDoubleClick(void* pParam);

    // Checks or unchecks every descendant of the node (of every item for NULL).
    virtual bool SetNodeChecked(bool bChecked, CTreeNodeUI* pNode);
    // Shows or hides the children of the node (every item for NULL), and the
    // descendants of those children that are not collapsed themselves.
    virtual bool SetNodeExpanded(bool bExpanded, CTreeNodeUI* pNode);

    virtual void SetFolderButtonVisible(bool bVisible);
    virtual bool IsFolderButtonVisible() const;
    virtual void SetCheckButtonVisible(bool bVisible);
    virtual bool IsCheckButtonVisible() const;
    virtual void SetItemMinWidth(int cx);
    virtual int GetItemMinWidth() const;
    virtual void SetItemTextColor(DWORD dwColor);
    virtual void SetItemHotTextColor(DWORD dwColor);
    virtual void SetSelectedItemTextColor(DWORD dwColor);
    virtual void SetSelectedItemHotTextColor(DWORD dwColor);

protected:
    // The tree node at a list index, or NULL.
    CTreeNodeUI* NodeAt(int iIndex) const;
    // Delegates, box visibility and minimum width for a node joining the tree.
    void PrepareNode(CTreeNodeUI* pNode);

    int m_iItemMinWidth;
    bool m_bVisibleFolderBtn;
    bool m_bVisibleCheckBtn;
};

} // namespace SkinUI

#endif // SKINUI_UITREEVIEW_H
