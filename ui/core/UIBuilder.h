// The dialog builder: turns a skin layout (XML) into a tree of controls.
//
// The layout comes from a resource of the program (its number given as
// MAKEINTRESOURCE(id) together with a resource type such as L"xml"), from a
// literal XML text (anything starting with '<') or from a file in the skin
// folder or skin zip. The builder applies the "Image", "Font" and "Default"
// elements and the attributes of a "Window" root to the window's paint
// manager, then creates one control per element: from the built-in element
// table, else through the registered control factories
// (CUIManager::GetControlFactories), else through the window's callback.
//
//   CUIBuilder builder;
//   CControlUI* pRoot = builder.Create(L"main.xml", NULL, this, &m_pm);
//   if (pRoot == NULL) ... builder.GetLastErrorMessage() ...
//
// A layout is data: one that nests deeper, includes more or makes more
// controls than the limits below is refused as a whole (Create returns NULL
// and frees what it had built), so that no later stage (layout, painting,
// event dispatch, destruction, which all recurse through the tree) runs out
// of stack or memory.
#ifndef SKINUI_UIBUILDER_H
#define SKINUI_UIBUILDER_H

#include <windows.h>

#include "UIBase.h"
#include "UIManager.h"
#include "UIMarkup.h"

namespace SkinUI {

class CControlUI;

class CUIBuilder
{
public:
    CUIBuilder();
    ~CUIBuilder();

    // xml: a resource number (MAKEINTRESOURCE, below 0x10000) of the given
    // resource type, an XML text starting with '<', or a file name (UTF-8).
    // Returns the first control of the root element's children, or NULL when
    // the layout does not load or passes a limit (GetLastErrorMessage tells why).
    CControlUI* Create(LPCTSTR xml, LPCTSTR type = NULL, IDialogBuilderCallback* pCallback = NULL,
                       CUIManager* pManager = NULL, CControlUI* pParent = NULL);

    // Builds from the markup already loaded into GetMarkup().
    CControlUI* BuildFromMarkup(IDialogBuilderCallback* pCallback = NULL, CUIManager* pManager = NULL,
                                CControlUI* pParent = NULL);

    CUIMarkup* GetMarkup();
    // The limit the last build passed, else the markup's own error.
    LPCTSTR GetLastErrorMessage() const;
    LPCTSTR GetLastErrorLocation() const;

    // Creates the control of a built-in element name (exact, case-sensitive),
    // or NULL when the name is not one of them.
    static CControlUI* CreateBuiltinControl(LPCTSTR pstrClass);

    // "Include" elements nest at most this deep; deeper ones are skipped, so
    // a layout that includes itself still ends.
    enum { MAX_INCLUDE_DEPTH = 16 };
    // The longest "source" of an "Include" element, in characters.
    enum { MAX_INCLUDE_SOURCE = 499 };
    // How deep controls may nest: the controls directly below the root
    // element are at depth 1 (or, when building into a parent, one below
    // that parent's own depth in its tree); an "Include" adds no level.
    enum { MAX_DEPTH = 256 };
    // The largest "count" of one "Include" element.
    enum { MAX_INCLUDE_COUNT = 100 };
    // What one Create may make, its includes counted in: controls, and
    // included documents loaded.
    enum { MAX_CONTROLS = 10000 };
    enum { MAX_INCLUDED_DOCUMENTS = 1000 };

private:
    CUIBuilder(const CUIBuilder&);
    CUIBuilder& operator=(const CUIBuilder&);

    // What one Create counts across the builders of its includes.
    struct BuildState
    {
        int nControls;
        int nDocuments;
        LPCTSTR pstrError;   // the limit passed, NULL while within them
    };

    bool IsOutermost() const;
    bool Fail(LPCTSTR pstrError);
    // nLevel: the depth the controls of this level get.
    CControlUI* BuildControls(const CUIMarkupNode& parentNode, CControlUI* pParent, CUIManager* pManager,
                              int nLevel);
    CControlUI* CreateControl(LPCTSTR pstrClass);
    void ApplyResources(const CUIMarkupNode& root, CUIManager* pManager);
    void ApplyWindowAttributes(const CUIMarkupNode& root, CUIManager* pManager);
    void ApplyControlAttributes(const CUIMarkupNode& node, CControlUI* pControl, CUIManager* pManager);
    CControlUI* BuildInclude(const CUIMarkupNode& node, CControlUI* pParent, CUIManager* pManager,
                             CControlUI*& pFirst, int nLevel);

    CUIMarkup m_xml;
    IDialogBuilderCallback* m_pCallback;
    LPCTSTR m_pstrtype;    // resource type of the layout, NULL unless it came from a resource
    CUIString m_sType;     // owns the text of a named resource type
    int m_nIncludeDepth;   // how deep this builder sits in a chain of includes
    int m_nBaseDepth;      // depth of the parent the layout is built into
    BuildState m_state;    // the counts of a Create started on this builder
    BuildState* m_pState;  // &m_state, or the including builder's counts
};

} // namespace SkinUI

#endif // SKINUI_UIBUILDER_H
