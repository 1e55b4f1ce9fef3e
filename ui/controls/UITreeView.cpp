// The tree view: nodes and their subtrees in the flat list, and the delegate
// targets that fold, unfold and check subtrees when a node's boxes change.
#include "UITreeView.h"

#include <wchar.h>

#include "UIListHeader.h"
#include "UIManager.h"
#include "UIOption.h"
#include "UITreeNode.h"

namespace SkinUI {

namespace {

// The node a box of a node's row belongs to (box -> row -> node).
CTreeNodeUI* NodeOfBox(CControlUI* pBox)
{
    if (pBox == NULL || pBox->GetParent() == NULL)
        return NULL;
    return CTreeNodeUI::FromControl(pBox->GetParent()->GetParent());
}

bool IsType(const UINotify* pMsg, const wchar_t* pstrType)
{
    return pMsg != NULL && pMsg->sType == pstrType;
}

} // namespace

CTreeViewUI::CTreeViewUI() : m_iItemMinWidth(0), m_bVisibleFolderBtn(true), m_bVisibleCheckBtn(false)
{
    GetHeader()->SetVisible(false);
}

CTreeViewUI::~CTreeViewUI()
{
}

LPCTSTR CTreeViewUI::GetClassName() const
{
    return L"TreeViewUI";
}

LPVOID CTreeViewUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"TreeView") == 0)
        return static_cast<CTreeViewUI*>(this);
    return CListUI::GetInterface(pstrName);
}

void CTreeViewUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"visiblefolderbtn") == 0)
        SetFolderButtonVisible(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"visiblecheckbtn") == 0)
        SetCheckButtonVisible(IsTrueValue(pstrValue));
    else if (wcscmp(pstrName, L"itemminwidth") == 0)
        SetItemMinWidth(static_cast<int>(wcstol(pstrValue, NULL, 10)));
    else if (wcscmp(pstrName, L"itemtextcolor") == 0)
        SetItemTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"itemhottextcolor") == 0)
        SetItemHotTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"selitemtextcolor") == 0)
        SetSelectedItemTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"selitemhottextcolor") == 0)
        SetSelectedItemHotTextColor(ParseColor(pstrValue, false));
    else
        CListUI::SetAttribute(pstrName, pstrValue);
}

void CTreeViewUI::Notify(UINotify&)
{
}

CTreeNodeUI* CTreeViewUI::NodeAt(int iIndex) const
{
    return CTreeNodeUI::FromControl(GetItemAt(iIndex));
}

// ---------------------------------------------------------------------------
// Nodes in the list
// ---------------------------------------------------------------------------
void CTreeViewUI::PrepareNode(CTreeNodeUI* pNode)
{
    pNode->NotifyHandlers.AddHandler(CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnNodeDoubleClick));
    pNode->GetFolderButton()->NotifyHandlers.AddHandler(
        CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnNodeFolderChanged));
    pNode->GetCheckBox()->NotifyHandlers.AddHandler(
        CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnNodeCheckChanged));
    pNode->SetFolderButtonVisible(m_bVisibleFolderBtn);
    pNode->SetCheckBoxVisible(m_bVisibleCheckBtn);
    if (m_iItemMinWidth > 0)
        pNode->SetMinWidth(m_iItemMinWidth);
}

bool CTreeViewUI::AddNode(CTreeNodeUI* pNode)
{
    if (pNode == NULL || !CTreeNodeUI::IsTreeNodeClass(pNode))
        return false;
    PrepareNode(pNode);
    if (!Add(pNode))
        return false;
    pNode->SetTreeView(this);
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        AddNode(pNode->GetChildNode(i));
    return true;
}

int CTreeViewUI::AddNodeAt(CTreeNodeUI* pNode, int iIndex)
{
    // An index one past the last item appends.
    if (pNode == NULL || !CTreeNodeUI::IsTreeNodeClass(pNode) || iIndex < 0 || iIndex > GetCount())
        return -1;
    PrepareNode(pNode);
    if (!AddAt(pNode, iIndex))
        return -1;
    pNode->SetTreeView(this);
    int iNext = iIndex + 1;
    for (int i = 0; i < pNode->GetChildCount(); ++i) {
        const int iAfter = AddNodeAt(pNode->GetChildNode(i), iNext);
        if (iAfter >= 0)
            iNext = iAfter;
    }
    return iNext;
}

bool CTreeViewUI::AddNodeAtNode(CTreeNodeUI* pNode, CTreeNodeUI* pReference)
{
    if (pNode == NULL || pReference == NULL)
        return false;
    const int iIndex = GetItemIndex(pReference);
    if (iIndex < 0)
        return false;
    return AddNodeAt(pNode, iIndex) >= 0;
}

bool CTreeViewUI::RemoveNode(CTreeNodeUI* pNode)
{
    if (pNode == NULL || !CTreeNodeUI::IsTreeNodeClass(pNode))
        return false;
    while (pNode->GetChildCount() > 0)
        pNode->RemoveChildNode(pNode->GetChildNode(0));
    // The parent must not keep the node that is about to go.
    pNode->DetachFromParent();
    return Remove(pNode);
}

bool CTreeViewUI::RemoveAt(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL)
        return false;
    CTreeNodeUI* pNode = CTreeNodeUI::FromControl(pControl);
    if (pNode == NULL)
        return CListUI::RemoveAt(iIndex);
    return RemoveNode(pNode);
}

void CTreeViewUI::RemoveAll()
{
    CListUI::RemoveAll();
}

// ---------------------------------------------------------------------------
// Delegate targets
// ---------------------------------------------------------------------------
bool CTreeViewUI::OnNodeCheckChanged(void* pParam)
{
    UINotify* pMsg = static_cast<UINotify*>(pParam);
    if (IsType(pMsg, L"selectchanged")) {
        CCheckBoxUI* pBox = static_cast<CCheckBoxUI*>(pMsg->pSender);
        CTreeNodeUI* pNode = NodeOfBox(pBox);
        if (pNode != NULL)
            SetNodeChecked(pBox->IsSelected(), pNode);
    }
    return true;
}

bool CTreeViewUI::OnNodeFolderChanged(void* pParam)
{
    UINotify* pMsg = static_cast<UINotify*>(pParam);
    if (IsType(pMsg, L"selectchanged")) {
        CCheckBoxUI* pBox = static_cast<CCheckBoxUI*>(pMsg->pSender);
        CTreeNodeUI* pNode = NodeOfBox(pBox);
        if (pNode != NULL) {
            pNode->SetExpandedNode(!pBox->IsSelected());
            SetNodeExpanded(pNode->IsExpandedNode(), pNode);
        }
    }
    return true;
}

bool CTreeViewUI::OnNodeDoubleClick(void* pParam)
{
    UINotify* pMsg = static_cast<UINotify*>(pParam);
    if (!IsType(pMsg, L"itemdbclick"))
        return false;
    CTreeNodeUI* pNode = CTreeNodeUI::FromControl(pMsg->pSender);
    if (pNode == NULL)
        return true;
    CCheckBoxUI* pFolder = pNode->GetFolderButton();
    pFolder->SetSelected(!pFolder->IsSelected());
    pNode->SetExpandedNode(!pFolder->IsSelected());
    SetNodeExpanded(pNode->IsExpandedNode(), pNode);
    return true;
}

// ---------------------------------------------------------------------------
// Subtree operations
// ---------------------------------------------------------------------------
bool CTreeViewUI::SetNodeChecked(bool bChecked, CTreeNodeUI* pNode)
{
    const int nCount = pNode != NULL ? pNode->GetChildCount() : GetCount();
    for (int i = 0; i < nCount; ++i) {
        CTreeNodeUI* pChild = pNode != NULL ? pNode->GetChildNode(i) : NodeAt(i);
        if (pChild == NULL)
            continue;
        pChild->GetCheckBox()->SetSelected(bChecked);
        if (pChild->HasChildren())
            SetNodeChecked(bChecked, pChild);
    }
    return true;
}

bool CTreeViewUI::SetNodeExpanded(bool bExpanded, CTreeNodeUI* pNode)
{
    if (pNode != NULL && !pNode->HasChildren())
        return false;
    const int nCount = pNode != NULL ? pNode->GetChildCount() : GetCount();
    for (int i = 0; i < nCount; ++i) {
        CTreeNodeUI* pChild = pNode != NULL ? pNode->GetChildNode(i) : NodeAt(i);
        if (pChild == NULL)
            continue;
        pChild->SetVisible(bExpanded);
        // A collapsed subtree keeps its own state.
        if (pChild->HasChildren() && !pChild->GetFolderButton()->IsSelected())
            SetNodeExpanded(bExpanded, pChild);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Tree-wide settings
// ---------------------------------------------------------------------------
void CTreeViewUI::SetFolderButtonVisible(bool bVisible)
{
    m_bVisibleFolderBtn = bVisible;
    for (int i = 0; i < GetCount(); ++i) {
        CTreeNodeUI* pNode = NodeAt(i);
        if (pNode != NULL)
            pNode->SetFolderButtonVisible(bVisible);
    }
}

bool CTreeViewUI::IsFolderButtonVisible() const
{
    return m_bVisibleFolderBtn;
}

void CTreeViewUI::SetCheckButtonVisible(bool bVisible)
{
    m_bVisibleCheckBtn = bVisible;
    for (int i = 0; i < GetCount(); ++i) {
        CTreeNodeUI* pNode = NodeAt(i);
        if (pNode != NULL)
            pNode->SetCheckBoxVisible(bVisible);
    }
}

bool CTreeViewUI::IsCheckButtonVisible() const
{
    return m_bVisibleCheckBtn;
}

void CTreeViewUI::SetItemMinWidth(int cx)
{
    m_iItemMinWidth = cx;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pItem = GetItemAt(i);
        if (pItem != NULL)
            pItem->SetMinWidth(cx);
    }
    Invalidate();
}

int CTreeViewUI::GetItemMinWidth() const
{
    return m_iItemMinWidth;
}

void CTreeViewUI::SetItemTextColor(DWORD dwColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        CTreeNodeUI* pNode = NodeAt(i);
        if (pNode != NULL)
            pNode->SetItemTextColor(dwColor);
    }
}

void CTreeViewUI::SetItemHotTextColor(DWORD dwColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        CTreeNodeUI* pNode = NodeAt(i);
        if (pNode != NULL)
            pNode->SetItemHotTextColor(dwColor);
    }
}

void CTreeViewUI::SetSelectedItemTextColor(DWORD dwColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        CTreeNodeUI* pNode = NodeAt(i);
        if (pNode != NULL)
            pNode->SetSelectedItemTextColor(dwColor);
    }
}

void CTreeViewUI::SetSelectedItemHotTextColor(DWORD dwColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        CTreeNodeUI* pNode = NodeAt(i);
        if (pNode != NULL)
            pNode->SetSelectedItemHotTextColor(dwColor);
    }
}

} // namespace SkinUI
