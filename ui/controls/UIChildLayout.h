// A container that takes its content from a second layout file of the skin:
// when it is initialised it builds that file and holds the file's root
// control as its only child. Skin XML cannot add children to it directly.
#ifndef SKINUI_UICHILDLAYOUT_H
#define SKINUI_UICHILDLAYOUT_H

#include <windows.h>

#include "UIBase.h"
#include "UIContainer.h"

namespace SkinUI {

class CChildLayoutUI : public CContainerUI
{
public:
    CChildLayoutUI();
    virtual ~CChildLayoutUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual void Init();
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

    // Stores the layout file (a name in the skin folder or skin zip, or an
    // XML text); it is built at the next initialisation.
    void SetChildLayoutXml(LPCTSTR pstrXml);
    const CUIString& GetChildLayoutXml() const;

    // Child layouts nest at most this deep inside one another's files. A
    // child layout whose content, its nested child layouts' counted in,
    // nests deeper, reaches deeper into the window than the builder allows
    // (CUIBuilder::MAX_DEPTH) or has more files or controls than one build
    // may have (CUIBuilder::MAX_INCLUDED_DOCUMENTS, MAX_CONTROLS) builds
    // nothing at all.
    enum { MAX_NESTING = 16 };

private:
    // The depth of this layout in the window's tree (a root is at depth 1).
    int DepthInWindow();
    // Removes and deletes the children now, not at the next message.
    void RemoveAllNow();

    CUIString m_pstrXMLFile;
};

} // namespace SkinUI

#endif // SKINUI_UICHILDLAYOUT_H
