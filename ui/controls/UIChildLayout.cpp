// The child layout: builds its own layout file with the window's manager when
// it is initialised and holds the result. A file that contains itself through
// child layouts, however indirectly, builds nothing in any layout of the loop.
#include "UIChildLayout.h"

#include <wchar.h>

#include "UIBuilder.h"

namespace SkinUI {

namespace {

// The child layouts whose files are being built on this thread, innermost
// first. Nested child layouts are initialised while their outer layout adds
// the root it built, so the chain is the nesting of the files.
struct ChildBuild
{
    const CUIString* pFile;
    bool bInLoop;         // the file turned out to contain itself
    int* pBuilds;         // files built so far by the outermost layout of the chain
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

void CChildLayoutUI::Init()
{
    if (m_pstrXMLFile.IsEmpty())
        return;

    int nDepth = 0;
    for (ChildBuild* p = t_pChildBuilds; p != NULL; p = p->pOuter, ++nDepth) {
        if (_wcsicmp(p->pFile->GetData(), m_pstrXMLFile.GetData()) != 0)
            continue;
        // This file is being built already further out: every layout from
        // there to here is part of the loop.
        for (ChildBuild* q = t_pChildBuilds; q != NULL; q = q->pOuter) {
            q->bInLoop = true;
            if (q == p)
                break;
        }
        RemoveAll();
        return;
    }

    int nBuilds = 0;
    ChildBuild build = { &m_pstrXMLFile, false, &nBuilds, NULL };
    if (t_pChildBuilds != NULL)
        build.pBuilds = t_pChildBuilds->pBuilds;
    if (nDepth >= MAX_NESTING || *build.pBuilds >= MAX_NESTED_BUILDS) {
        RemoveAll();
        return;
    }
    ++*build.pBuilds;

    {
        ChildBuildScope scope(build);
        CUIBuilder builder;
        CControlUI* pRoot = builder.Create(m_pstrXMLFile.GetData(), NULL, NULL, m_pManager, NULL);
        if (pRoot != NULL) {
            if (!Add(pRoot))
                delete pRoot;
        } else
            RemoveAll();
    }

    if (build.bInLoop) {
        // What the file built goes at once, before anything can reach it.
        const bool bDelayed = IsDelayedDestroy();
        SetDelayedDestroy(false);
        RemoveAll();
        SetDelayedDestroy(bDelayed);
    }
}

} // namespace SkinUI
