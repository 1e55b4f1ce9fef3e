// The child layout: builds its own layout file with the window's manager when
// it is initialised and holds the result. A file that contains itself through
// child layouts, however indirectly, builds nothing in any layout of the loop;
// a child layout whose files, all nested ones counted, pass the builder's
// limits (depth in the window, controls, files) builds nothing at all.
#include "UIChildLayout.h"

#include <wchar.h>

#include <vector>

#include "UIBuilder.h"

namespace SkinUI {

namespace {

// What the outermost child layout of a chain has built, its nested ones
// counted in.
struct ChildBudget
{
    int nFiles;
    int nControls;
};

// The child layouts whose files are being built on this thread, innermost
// first. Nested child layouts are initialised while their outer layout adds
// the root it built, so the chain is the nesting of the files.
struct ChildBuild
{
    const CUIString* pFile;
    bool bEmpty;            // in a loop, or a limit was passed: keep nothing
    ChildBudget* pBudget;   // the outermost layout's
    ChildBuild* pOuter;
};

thread_local ChildBuild* t_pChildBuilds = NULL;

// Makes one build the innermost of the chain for its lifetime.
class ChildBuildScope
{
public:
    explicit ChildBuildScope(ChildBuild& build) : m_build(build)
    {
        m_build.pOuter = t_pChildBuilds;
        t_pChildBuilds = &m_build;
    }
    ~ChildBuildScope() { t_pChildBuilds = m_build.pOuter; }

private:
    ChildBuildScope(const ChildBuildScope&);
    ChildBuildScope& operator=(const ChildBuildScope&);
    ChildBuild& m_build;
};

// Marks the builds from the innermost out to pLast (all of them for NULL).
void EmptyBuildsUpTo(ChildBuild* pLast)
{
    for (ChildBuild* p = t_pChildBuilds; p != NULL; p = p->pOuter) {
        p->bEmpty = true;
        if (p == pLast)
            break;
    }
}

// The children of a control in the tree: those of a container, and the
// content of a child layout (which does not show itself as a container).
IContainerUI* ChildrenOf(CControlUI* pControl)
{
    if (pControl->GetInterface(L"ChildLayout") != NULL)
        return static_cast<CChildLayoutUI*>(pControl);
    return static_cast<IContainerUI*>(pControl->GetInterface(L"IContainer"));
}

// Walks a tree without recursion. Gives the number of controls and the
// depth of the deepest one below pRoot (pRoot's children are at depth 1),
// and the depth of pFind below pRoot (0 when it is not there, 1 for pRoot's
// children). Stops once the depth passes nMaxDepth.
struct TreeFacts
{
    int nControls;
    int nDepth;
    int nFoundAt;
};

TreeFacts Survey(CControlUI* pRoot, CControlUI* pFind, int nMaxDepth)
{
    TreeFacts facts = { 0, 0, 0 };
    std::vector<std::pair<CControlUI*, int> > stack;
    stack.push_back(std::make_pair(pRoot, 0));
    while (!stack.empty()) {
        CControlUI* pControl = stack.back().first;
        const int nDepth = stack.back().second;
        stack.pop_back();
        ++facts.nControls;
        if (nDepth > facts.nDepth)
            facts.nDepth = nDepth;
        if (pControl == pFind && facts.nFoundAt == 0)
            facts.nFoundAt = nDepth;
        if (nDepth > nMaxDepth)
            continue;
        IContainerUI* pChildren = ChildrenOf(pControl);
        for (int i = 0; pChildren != NULL && i < pChildren->GetCount(); ++i)
            stack.push_back(std::make_pair(pChildren->GetItemAt(i), nDepth + 1));
    }
    return facts;
}

} // namespace

CChildLayoutUI::CChildLayoutUI()
{
}

CChildLayoutUI::~CChildLayoutUI()
{
    m_pstrXMLFile.Empty();
}

LPCTSTR CChildLayoutUI::GetClassName() const
{
    return L"ChildLayoutUI";
}

LPVOID CChildLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ChildLayout") == 0)
        return static_cast<CChildLayoutUI*>(this);
    // Deliberately not a container to the outside: the builder adds no
    // children of its own element, its content comes from the file only.
    return CControlUI::GetInterface(pstrName);
}

void CChildLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName != NULL && wcscmp(pstrName, L"xmlfile") == 0)
        SetChildLayoutXml(pstrValue);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CChildLayoutUI::SetChildLayoutXml(LPCTSTR pstrXml)
{
    m_pstrXMLFile = pstrXml;
}

const CUIString& CChildLayoutUI::GetChildLayoutXml() const
{
    return m_pstrXMLFile;
}

int CChildLayoutUI::DepthInWindow()
{
    int nDepth = 0;
    CControlUI* pTop = this;
    for (CControlUI* p = this; p != NULL && nDepth <= CUIBuilder::MAX_DEPTH; p = p->GetParent()) {
        ++nDepth;
        pTop = p;
    }
    // While a whole tree is being attached, the controls above the parent
    // are not linked to theirs yet: then the way down from the root counts.
    CControlUI* pRoot = m_pManager != NULL ? m_pManager->GetRoot() : NULL;
    if (pRoot != NULL && pTop != pRoot) {
        const TreeFacts facts = Survey(pRoot, this, CUIBuilder::MAX_DEPTH);
        if (facts.nFoundAt > 0 || pRoot == this)
            return facts.nFoundAt + 1;
    }
    return nDepth;
}

void CChildLayoutUI::RemoveAllNow()
{
    // What the file built goes at once, before anything can reach it.
    const bool bDelayed = IsDelayedDestroy();
    SetDelayedDestroy(false);
    RemoveAll();
    SetDelayedDestroy(bDelayed);
}

void CChildLayoutUI::Init()
{
    if (m_pstrXMLFile.IsEmpty())
        return;

    int nNesting = 0;
    for (ChildBuild* p = t_pChildBuilds; p != NULL; p = p->pOuter, ++nNesting) {
        if (_wcsicmp(p->pFile->GetData(), m_pstrXMLFile.GetData()) != 0)
            continue;
        // This file is being built already further out: every layout from
        // there to here is part of the loop.
        EmptyBuildsUpTo(p);
        RemoveAll();
        return;
    }

    ChildBudget budget = { 0, 0 };
    ChildBuild build = { &m_pstrXMLFile, false, &budget, NULL };
    const bool bOutermost = t_pChildBuilds == NULL;
    if (!bOutermost)
        build.pBudget = t_pChildBuilds->pBudget;
    if (nNesting >= MAX_NESTING || build.pBudget->nFiles >= CUIBuilder::MAX_INCLUDED_DOCUMENTS) {
        EmptyBuildsUpTo(NULL);
        RemoveAll();
        return;
    }
    ++build.pBudget->nFiles;

    {
        ChildBuildScope scope(build);
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(m_pstrXMLFile.GetData(), NULL, NULL, m_pManager, NULL);
        if (pRoot == NULL) {
            RemoveAll();
        } else {
            build.pBudget->nControls += Survey(pRoot, NULL, CUIBuilder::MAX_DEPTH).nControls;
            if (build.pBudget->nControls > CUIBuilder::MAX_CONTROLS) {
                EmptyBuildsUpTo(NULL);
                delete pRoot;
            } else if (!Add(pRoot)) {
                delete pRoot;
            }
        }
    }

    // The nested layouts have built their files by now: the whole content
    // must fit the depth a layout may reach in the window.
    if (bOutermost && !build.bEmpty && GetCount() > 0) {
        const TreeFacts facts = Survey(this, NULL, CUIBuilder::MAX_DEPTH);
        if (DepthInWindow() + facts.nDepth > CUIBuilder::MAX_DEPTH)
            build.bEmpty = true;
    }
    if (build.bEmpty)
        RemoveAllNow();
}

} // namespace SkinUI
