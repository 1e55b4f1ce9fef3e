// The tree node: its row of parts, its child nodes and their place in the
// tree view's flat list, caption colours per state, and "itemdbclick".
#include "UITreeNode.h"

#include <wchar.h>

#include "UIHorizontalLayout.h"
#include "UILabel.h"
#include "UIManager.h"
#include "UIOption.h"
#include "UITreeView.h"

namespace SkinUI {

namespace {

const int kNodeHeight = 18;
const int kNodeWidth = 250;
const int kTopIndent = 2;
// Each level is indented this much more than the one above.
const int kIndentStep = 16;

} // namespace

CTreeNodeUI* CTreeNodeUI::FromControl(CControlUI* pControl)
{
    return pControl != NULL ? static_cast<CTreeNodeUI*>(pControl->GetInterface(L"TreeNode")) : NULL;
}

bool CTreeNodeUI::IsTreeNodeClass(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    LPCTSTR pstrClass = pControl->GetClassName();
    return pstrClass != NULL && _wcsicmp(pstrClass, L"TreeNodeUI") == 0;
}

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* pParentNode)
    : m_bExpanded(true),
      m_dwItemTextColor(0),
      m_dwItemHotTextColor(0),
      m_dwSelItemTextColor(0),
      m_dwSelItemHotTextColor(0),
      m_pTreeView(NULL),
      m_pHoriz(new CHorizontalLayoutUI),
      m_pFolderButton(new CCheckBoxUI),
      m_pDottedLine(new CLabelUI),
      m_pCheckBox(new CCheckBoxUI),
      m_pItemButton(new COptionUI),
      m_pParentTreeNode(NULL)
{
    SetFixedHeight(kNodeHeight);
    SetFixedWidth(kNodeWidth);
    m_pFolderButton->SetFixedWidth(GetFixedHeight());
    m_pDottedLine->SetFixedWidth(kTopIndent);
    m_pDottedLine->SetVisible(false);
    m_pCheckBox->SetFixedWidth(kNodeHeight);
    m_pCheckBox->SetVisible(false);
    m_pItemButton->SetAttribute(L"align", L"left");
    // Clicks on the caption belong to the node.
    m_pItemButton->SetMouseEnabled(false);

    if (pParentNode != NULL && IsTreeNodeClass(pParentNode)) {
        m_pDottedLine->SetVisible(pParentNode->IsVisible());
        m_pDottedLine->SetFixedWidth(pParentNode->GetDottedLine()->GetFixedWidth() + kIndentStep);
        m_pParentTreeNode = pParentNode;
    }

    m_pHoriz->Add(m_pDottedLine);
    m_pHoriz->Add(m_pFolderButton);
    m_pHoriz->Add(m_pCheckBox);
    m_pHoriz->Add(m_pItemButton);
    CContainerUI::Add(m_pHoriz);
}

CTreeNodeUI::~CTreeNodeUI()
{
    // Parent and children never keep a pointer to a node that is gone.
    DetachFromParent();
    CUIPtrArray aChildren(m_aTreeNodes);
    m_aTreeNodes.Empty();
    for (int i = 0; i < aChildren.GetSize(); ++i) {
        CTreeNodeUI* pChild = static_cast<CTreeNodeUI*>(aChildren[i]);
        pChild->m_pParentTreeNode = NULL;
        // Children that never reached a tree (a subtree built but not
        // placed) belong to this node; the others belong to their list.
        if (m_pTreeView == NULL && pChild->GetOwner() == NULL && pChild->GetParent() == NULL)
            delete pChild;
    }
}

void CTreeNodeUI::DetachFromParent()
{
    if (m_pParentTreeNode == NULL)
        return;
    const int iIndex = m_pParentTreeNode->m_aTreeNodes.Find(this);
    if (iIndex >= 0)
        m_pParentTreeNode->m_aTreeNodes.Remove(iIndex);
    m_pParentTreeNode = NULL;
}

LPCTSTR CTreeNodeUI::GetClassName() const
{
    return L"TreeNodeUI";
}

LPVOID CTreeNodeUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"TreeNode") == 0)
        return static_cast<CTreeNodeUI*>(this);
    return CListContainerElementUI::GetInterface(pstrName);
}

void CTreeNodeUI::HandleEvent(UIEvent& event)
{
    if (!IsMouseEnabled() && UIIsMouseEvent(event.nKind)) {
        if (m_item.m_pOwner != NULL)
            m_item.m_pOwner->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    CListContainerElementUI::HandleEvent(event);

    if (event.nKind == UIEventDoubleClick && IsEnabled()) {
        if (m_pManager != NULL)
            m_pManager->SendNotify(this, L"itemdbclick");
        InvalidateVisiblePart();
        return;
    }
    if (event.nKind == UIEventMouseEnter) {
        if (!IsEnabled())
            m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
        else if (m_item.m_bSelected && m_dwSelItemHotTextColor != 0)
            m_pItemButton->SetTextColor(m_dwSelItemHotTextColor);
        else
            m_pItemButton->SetTextColor(m_dwItemHotTextColor);
        return;
    }
    if (event.nKind == UIEventMouseLeave) {
        if (!IsEnabled())
            m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
        else if (m_item.m_bSelected) {
            if (m_dwSelItemTextColor != 0)
                m_pItemButton->SetTextColor(m_dwSelItemTextColor);
        } else {
            m_pItemButton->SetTextColor(m_dwItemTextColor);
        }
    }
}

void CTreeNodeUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL)
        return;
    if (pstrValue == NULL)
        pstrValue = L"";

    if (wcscmp(pstrName, L"text") == 0)
        m_pItemButton->SetText(pstrValue);
    else if (wcscmp(pstrName, L"horizattr") == 0)
        m_pHoriz->ApplyAttributes(pstrValue);
    else if (wcscmp(pstrName, L"dotlineattr") == 0)
        m_pDottedLine->ApplyAttributes(pstrValue);
    else if (wcscmp(pstrName, L"folderattr") == 0)
        m_pFolderButton->ApplyAttributes(pstrValue);
    else if (wcscmp(pstrName, L"checkboxattr") == 0)
        m_pCheckBox->ApplyAttributes(pstrValue);
    else if (wcscmp(pstrName, L"itemattr") == 0)
        m_pItemButton->ApplyAttributes(pstrValue);
    else if (wcscmp(pstrName, L"itemtextcolor") == 0)
        SetItemTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"itemhottextcolor") == 0)
        SetItemHotTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"selitemtextcolor") == 0)
        SetSelectedItemTextColor(ParseColor(pstrValue, false));
    else if (wcscmp(pstrName, L"selitemhottextcolor") == 0)
        SetSelectedItemHotTextColor(ParseColor(pstrValue, false));
    else
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

bool CTreeNodeUI::Select(bool bSelect)
{
    const bool bResult = CListContainerElementUI::Select(bSelect);
    if (m_item.m_bSelected) {
        if (m_dwSelItemTextColor != 0)
            m_pItemButton->SetTextColor(m_dwSelItemTextColor);
    } else {
        m_pItemButton->SetTextColor(m_dwItemTextColor);
    }
    return bResult;
}

// ---------------------------------------------------------------------------
// Child nodes
// ---------------------------------------------------------------------------
bool CTreeNodeUI::Add(CControlUI* pControl)
{
    if (pControl == NULL)
        return false;
    if (IsTreeNodeClass(pControl))
        return AddChildNode(FromControl(pControl));
    return CContainerUI::Add(pControl);
}

bool CTreeNodeUI::AddAt(CControlUI* pControl, int iIndex)
{
    CTreeNodeUI* pNode = FromControl(pControl);
    if (pNode == NULL)
        return false;

    // The tree item the new node goes in front of; none: the end of the tree.
    CTreeNodeUI* pBefore = NULL;
    if (iIndex >= 0 && iIndex < m_aTreeNodes.GetSize()) {
        pBefore = static_cast<CTreeNodeUI*>(m_aTreeNodes[iIndex]);
        if (!m_aTreeNodes.InsertAt(iIndex, pNode))
            return false;
    } else {
        // A new last child follows this node's last descendant.
        if (m_pTreeView != NULL) {
            const int iLast = GetLastNode()->GetTreeIndex();
            if (iLast >= 0)
                pBefore = FromControl(m_pTreeView->GetItemAt(iLast + 1));
        }
        if (!m_aTreeNodes.Add(pNode))
            return false;
    }
    PrepareChild(pNode);
    if (m_pTreeView == NULL)
        return true;
    const bool bAdded = pBefore != NULL ? m_pTreeView->AddNodeAtNode(pNode, pBefore) : m_pTreeView->AddNode(pNode);
    if (!bAdded)
        pNode->DetachFromParent();
    return bAdded;
}

bool CTreeNodeUI::Remove(CControlUI* pControl)
{
    return RemoveChildNode(FromControl(pControl));
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* pChild)
{
    if (pChild == NULL || !IsTreeNodeClass(pChild) || pChild == this || m_aTreeNodes.Find(pChild) >= 0)
        return false;
    PrepareChild(pChild);
    const int iAnchor = m_pTreeView != NULL ? GetLastNode()->GetTreeIndex() : -1;
    if (iAnchor >= 0 && m_pTreeView->AddNodeAt(pChild, iAnchor + 1) < 0) {
        pChild->m_pParentTreeNode = NULL;
        return false;
    }
    return m_aTreeNodes.Add(pChild);
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* pChild)
{
    if (pChild == NULL)
        return false;
    const int iIndex = m_aTreeNodes.Find(pChild);
    if (iIndex < 0)
        return false;
    // The child's own subtree goes first.
    while (pChild->GetChildCount() > 0)
        pChild->RemoveChildNode(pChild->GetChildNode(0));
    m_aTreeNodes.Remove(iIndex);
    pChild->m_pParentTreeNode = NULL;
    if (m_pTreeView != NULL && pChild->GetTreeIndex() >= 0)
        m_pTreeView->RemoveNode(pChild);
    else if (pChild->GetOwner() == NULL && pChild->GetParent() == NULL)
        delete pChild;
    return true;
}

void CTreeNodeUI::PrepareChild(CTreeNodeUI* pChild)
{
    if (pChild == NULL)
        return;
    pChild->m_pDottedLine->SetVisible(true);
    pChild->m_pDottedLine->SetFixedWidth(m_pDottedLine->GetFixedWidth() + kIndentStep);
    pChild->m_pParentTreeNode = this;
    pChild->m_pItemButton->SetGroup(m_pItemButton->GetGroup());
    pChild->m_pTreeView = m_pTreeView;
    // A subtree built before it got its parent (the builder works bottom
    // up) takes its indents from its new place.
    for (int i = 0; i < pChild->m_aTreeNodes.GetSize(); ++i)
        pChild->PrepareChild(static_cast<CTreeNodeUI*>(pChild->m_aTreeNodes[i]));
}

CTreeNodeUI* CTreeNodeUI::GetLastNode()
{
    if (m_aTreeNodes.IsEmpty())
        return this;
    return static_cast<CTreeNodeUI*>(m_aTreeNodes[m_aTreeNodes.GetSize() - 1])->GetLastNode();
}

int CTreeNodeUI::GetTreeIndex() const
{
    if (m_pTreeView == NULL)
        return -1;
    return m_pTreeView->GetItemIndex(const_cast<CTreeNodeUI*>(this));
}

CUIString CTreeNodeUI::GetItemText() const
{
    return m_pItemButton->GetText();
}

bool CTreeNodeUI::HasChildren() const
{
    return !m_aTreeNodes.IsEmpty();
}

int CTreeNodeUI::GetChildCount() const
{
    return m_aTreeNodes.GetSize();
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int iIndex) const
{
    return static_cast<CTreeNodeUI*>(m_aTreeNodes.GetAt(iIndex));
}

CUIPtrArray CTreeNodeUI::GetChildNodes() const
{
    return m_aTreeNodes;
}

CTreeNodeUI* CTreeNodeUI::GetParentNode() const
{
    return m_pParentTreeNode;
}

void CTreeNodeUI::SetParentNode(CTreeNodeUI* pParentNode)
{
    m_pParentTreeNode = pParentNode;
}

CTreeViewUI* CTreeNodeUI::GetTreeView() const
{
    return m_pTreeView;
}

void CTreeNodeUI::SetTreeView(CTreeViewUI* pTreeView)
{
    m_pTreeView = pTreeView;
}

bool CTreeNodeUI::IsExpandedNode() const
{
    return m_bExpanded;
}

void CTreeNodeUI::SetExpandedNode(bool bExpanded)
{
    m_bExpanded = bExpanded;
}

void CTreeNodeUI::SetFolderButtonVisible(bool bVisible)
{
    m_pFolderButton->SetVisible(bVisible);
}

void CTreeNodeUI::SetCheckBoxVisible(bool bVisible)
{
    m_pCheckBox->SetVisible(bVisible);
}

// ---------------------------------------------------------------------------
// Caption colours
// ---------------------------------------------------------------------------
void CTreeNodeUI::SetItemTextColor(DWORD dwColor)
{
    m_dwItemTextColor = dwColor;
    m_pItemButton->SetTextColor(dwColor);
}

DWORD CTreeNodeUI::GetItemTextColor() const
{
    return m_dwItemTextColor;
}

void CTreeNodeUI::SetItemHotTextColor(DWORD dwColor)
{
    m_dwItemHotTextColor = dwColor;
    InvalidateVisiblePart();
}

DWORD CTreeNodeUI::GetItemHotTextColor() const
{
    return m_dwItemHotTextColor;
}

void CTreeNodeUI::SetSelectedItemTextColor(DWORD dwColor)
{
    m_dwSelItemTextColor = dwColor;
    InvalidateVisiblePart();
}

DWORD CTreeNodeUI::GetSelectedItemTextColor() const
{
    return m_dwSelItemTextColor;
}

void CTreeNodeUI::SetSelectedItemHotTextColor(DWORD dwColor)
{
    m_dwSelItemHotTextColor = dwColor;
    InvalidateVisiblePart();
}

DWORD CTreeNodeUI::GetSelectedItemHotTextColor() const
{
    return m_dwSelItemHotTextColor;
}

CHorizontalLayoutUI* CTreeNodeUI::GetRow() const
{
    return m_pHoriz;
}

CCheckBoxUI* CTreeNodeUI::GetFolderButton() const
{
    return m_pFolderButton;
}

CLabelUI* CTreeNodeUI::GetDottedLine() const
{
    return m_pDottedLine;
}

CCheckBoxUI* CTreeNodeUI::GetCheckBox() const
{
    return m_pCheckBox;
}

COptionUI* CTreeNodeUI::GetItemButton() const
{
    return m_pItemButton;
}

} // namespace SkinUI
