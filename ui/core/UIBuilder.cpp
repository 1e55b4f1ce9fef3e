#include "UIBuilder.h"

#include <stdlib.h>
#include <wchar.h>

#include "UIActiveX.h"
#include "UIButton.h"
#include "UIChildLayout.h"
#include "UICombo.h"
#include "UIComboBox.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIDateTime.h"
#include "UIEdit.h"
#include "UIFlash.h"
#include "UIHorizontalLayout.h"
#include "UILabel.h"
#include "UIList.h"
#include "UIListContainerElement.h"
#include "UIListHeader.h"
#include "UIListHeaderItem.h"
#include "UIListLabelElement.h"
#include "UIListTextElement.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UIRichEdit.h"
#include "UIScrollBar.h"
#include "UISlider.h"
#include "UITabLayout.h"
#include "UIText.h"
#include "UITileLayout.h"
#include "UITreeNode.h"
#include "UITreeView.h"
#include "UIVerticalLayout.h"
#include "UIWebBrowser.h"

namespace SkinUI {

// ---------------------------------------------------------------------------
// The element table: element name (exact, case-sensitive) -> control class.
//
// One line per class. The elements whose classes are not part of the library
// yet are listed commented out: adding a class means including its header
// above and enabling its line here, nothing else.
// ---------------------------------------------------------------------------
namespace {

template <class T>
CControlUI* NewControl()
{
    return new T;
}

struct UIBuiltinElement
{
    const wchar_t* pstrName;
    CControlUI* (*pfnCreate)();
};

const UIBuiltinElement kBuiltinElements[] = {
    { L"Control", &NewControl<CControlUI> },
    { L"Container", &NewControl<CContainerUI> },
    { L"VerticalLayout", &NewControl<CVerticalLayoutUI> },
    { L"HorizontalLayout", &NewControl<CHorizontalLayoutUI> },
    { L"TabLayout", &NewControl<CTabLayoutUI> },
    { L"TileLayout", &NewControl<CTileLayoutUI> },
    { L"ChildLayout", &NewControl<CChildLayoutUI> },
    { L"Label", &NewControl<CLabelUI> },
    { L"Text", &NewControl<CTextUI> },
    { L"Button", &NewControl<CButtonUI> },
    { L"Option", &NewControl<COptionUI> },
    { L"CheckBox", &NewControl<CCheckBoxUI> },
    { L"Edit", &NewControl<CEditUI> },
    { L"RichEdit", &NewControl<CRichEditUI> },
    { L"Progress", &NewControl<CProgressUI> },
    { L"Slider", &NewControl<CSliderUI> },
    { L"ScrollBar", &NewControl<CScrollBarUI> },
    { L"List", &NewControl<CListUI> },
    { L"ListHeader", &NewControl<CListHeaderUI> },
    { L"ListHeaderItem", &NewControl<CListHeaderItemUI> },
    { L"ListLabelElement", &NewControl<CListLabelElementUI> },
    { L"ListTextElement", &NewControl<CListTextElementUI> },
    { L"ListContainerElement", &NewControl<CListContainerElementUI> },
    { L"Combo", &NewControl<CComboUI> },
    { L"ComboBox", &NewControl<CComboBoxUI> },
    { L"DateTime", &NewControl<CDateTimeUI> },
    { L"TreeView", &NewControl<CTreeViewUI> },
    { L"ActiveX", &NewControl<CActiveXUI> },
    { L"WebBrowser", &NewControl<CWebBrowserUI> },
    { L"Flash", &NewControl<CFlashUI> },
};

// Tree nodes ("TreeNode") are not built through the table: a node joins the
// node above it, or the tree view it sits in.
CControlUI* NewTreeNode()
{
    return new CTreeNodeUI;
}

// Adds a tree node, with the child nodes built below it, to the tree view
// pParent (a control answering "TreeView"); false when that is not possible.
bool AddNodeToTreeView(CControlUI* pTreeView, CControlUI* pNode)
{
    CTreeViewUI* pTree = static_cast<CTreeViewUI*>(pTreeView->GetInterface(L"TreeView"));
    CTreeNodeUI* pTreeNode = static_cast<CTreeNodeUI*>(pNode->GetInterface(L"TreeNode"));
    return pTree != NULL && pTreeNode != NULL && pTree->AddNode(pTreeNode);
}

const wchar_t kResourceImage[] = L"Image";
const wchar_t kResourceFont[] = L"Font";
const wchar_t kResourceDefault[] = L"Default";
const wchar_t kInclude[] = L"Include";
const wchar_t kTreeNode[] = L"TreeNode";
const wchar_t kWindow[] = L"Window";

const wchar_t kErrTooDeep[] = L"Layout nested too deep";
const wchar_t kErrTooManyControls[] = L"Layout makes too many controls";
const wchar_t kErrIncludeCount[] = L"Include count too large";
const wchar_t kErrTooManyIncludes[] = L"Layout includes too many documents";

bool IsNamed(LPCTSTR pstrName, const wchar_t* pstrWanted)
{
    return pstrName != NULL && wcscmp(pstrName, pstrWanted) == 0;
}

// The container interface a child is added through: a tree node's own (its
// Add knows nodes from ordinary children), else the parent's container
// interface; NULL when the parent holds no children.
IContainerUI* ChildSlot(CControlUI* pParent)
{
    CControlUI* pNode = static_cast<CControlUI*>(pParent->GetInterface(kTreeNode));
    if (pNode != NULL)
        return static_cast<IContainerUI*>(pNode->GetInterface(L"IContainer"));
    return static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
}

// The depth of a control in its tree (a root is at depth 1), counting at most
// up to the deepest a layout may reach.
int TreeDepth(CControlUI* pControl)
{
    int nDepth = 0;
    for (CControlUI* p = pControl; p != NULL && nDepth <= CUIBuilder::MAX_DEPTH; p = p->GetParent())
        ++nDepth;
    return nDepth;
}

DWORD ParseHexMask(LPCTSTR pstrValue)
{
    if (pstrValue == NULL)
        return 0;
    if (*pstrValue == L'#')
        ++pstrValue;
    return static_cast<DWORD>(wcstoul(pstrValue, NULL, 16));
}

} // namespace

CControlUI* CUIBuilder::CreateBuiltinControl(LPCTSTR pstrClass)
{
    if (pstrClass == NULL)
        return NULL;
    for (size_t i = 0; i < sizeof(kBuiltinElements) / sizeof(kBuiltinElements[0]); ++i) {
        if (wcscmp(pstrClass, kBuiltinElements[i].pstrName) == 0)
            return kBuiltinElements[i].pfnCreate();
    }
    return NULL;
}

// ---------------------------------------------------------------------------
// CUIBuilder
// ---------------------------------------------------------------------------
CUIBuilder::CUIBuilder()
    : m_pCallback(NULL), m_pstrtype(NULL), m_nIncludeDepth(0), m_nBaseDepth(0), m_pState(&m_state)
{
    m_state.nControls = 0;
    m_state.nDocuments = 0;
    m_state.pstrError = NULL;
}

CUIBuilder::~CUIBuilder()
{
}

CUIMarkup* CUIBuilder::GetMarkup()
{
    return &m_xml;
}

LPCTSTR CUIBuilder::GetLastErrorMessage() const
{
    if (m_pState->pstrError != NULL)
        return m_pState->pstrError;
    return m_xml.GetLastErrorMessage();
}

LPCTSTR CUIBuilder::GetLastErrorLocation() const
{
    if (m_pState->pstrError != NULL)
        return L"";
    return m_xml.GetLastErrorLocation();
}

bool CUIBuilder::IsOutermost() const
{
    return m_pState == &m_state;
}

bool CUIBuilder::Fail(LPCTSTR pstrError)
{
    if (m_pState->pstrError == NULL)
        m_pState->pstrError = pstrError;
    return false;
}

CControlUI* CUIBuilder::Create(LPCTSTR xml, LPCTSTR type, IDialogBuilderCallback* pCallback,
                               CUIManager* pManager, CControlUI* pParent)
{
    // The resource type belongs to the layout of this call only.
    m_pstrtype = NULL;
    m_sType.Empty();
    if (IsOutermost())
        m_state.pstrError = NULL;
    if (xml == NULL)
        return NULL;
    if (IS_INTRESOURCE(xml)) {
        if (type == NULL)
            return NULL;
        HINSTANCE hInst = CUIManager::GetResourceInstance();
        HRSRC hResource = ::FindResourceW(hInst, xml, type);
        if (hResource == NULL)
            return NULL;
        HGLOBAL hGlobal = ::LoadResource(hInst, hResource);
        if (hGlobal == NULL)
            return NULL;
        const DWORD dwSize = ::SizeofResource(hInst, hResource);
        const BYTE* pData = static_cast<const BYTE*>(::LockResource(hGlobal));
        if (pData == NULL || dwSize == 0)
            return NULL;
        // Includes of this layout are read from resources of the same type.
        if (IS_INTRESOURCE(type)) {
            m_pstrtype = type;
        } else {
            m_sType = type;
            m_pstrtype = m_sType.GetData();
        }
        if (!m_xml.LoadFromMemory(pData, dwSize, UIMarkupUtf8))
            return NULL;
    } else if (xml[0] == L'<') {
        if (!m_xml.Load(xml))
            return NULL;
    } else {
        if (!m_xml.LoadFromFile(xml, UIMarkupUtf8))
            return NULL;
    }
    return BuildFromMarkup(pCallback, pManager, pParent);
}

CControlUI* CUIBuilder::BuildFromMarkup(IDialogBuilderCallback* pCallback, CUIManager* pManager,
                                        CControlUI* pParent)
{
    m_pCallback = pCallback;
    // A build started here counts afresh; the builder of an include counts
    // into its includer's state and starts at the depth its includer gave it.
    const bool bOutermost = IsOutermost();
    if (bOutermost) {
        m_state.nControls = 0;
        m_state.nDocuments = 0;
        m_state.pstrError = NULL;
        m_nBaseDepth = TreeDepth(pParent);
    }
    CUIMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid())
        return NULL;
    if (pManager != NULL) {
        ApplyResources(root, pManager);
        // The window settings need the window itself.
        if (IsNamed(root.GetName(), kWindow) && pManager->GetPaintWindow() != NULL)
            ApplyWindowAttributes(root, pManager);
    }
    IContainerUI* pSlot = pParent != NULL ? ChildSlot(pParent) : NULL;
    const int nBefore = pSlot != NULL ? pSlot->GetCount() : 0;
    CControlUI* pResult = BuildControls(root, pParent, pManager, m_nBaseDepth + 1);
    if (!bOutermost || m_state.pstrError == NULL)
        return pResult;
    // Past a limit nothing of the layout is kept: without a parent everything
    // hangs below the one control built, with one it is what was added to it.
    if (pParent == NULL) {
        delete pResult;
    } else if (pSlot != NULL) {
        while (pSlot->GetCount() > nBefore)
            pSlot->RemoveAt(pSlot->GetCount() - 1);
    }
    return NULL;
}

void CUIBuilder::ApplyResources(const CUIMarkupNode& root, CUIManager* pManager)
{
    for (CUIMarkupNode node = root.GetFirstChild(); node.IsValid(); node = node.GetNextSibling()) {
        LPCTSTR pstrClass = node.GetName();
        const int nAttributes = node.GetAttributeCount();
        if (IsNamed(pstrClass, kResourceImage)) {
            LPCTSTR pImageName = NULL;
            LPCTSTR pImageResType = NULL;
            DWORD dwMask = 0;
            for (int i = 0; i < nAttributes; ++i) {
                LPCTSTR pstrName = node.GetAttributeName(i);
                LPCTSTR pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, L"name") == 0)
                    pImageName = pstrValue;
                else if (wcscmp(pstrName, L"restype") == 0)
                    pImageResType = pstrValue;
                else if (wcscmp(pstrName, L"mask") == 0)
                    dwMask = ParseHexMask(pstrValue);
            }
            if (pImageName != NULL && pImageName[0] != L'\0')
                pManager->AddImage(pImageName, pImageResType, dwMask);
        } else if (IsNamed(pstrClass, kResourceFont)) {
            LPCTSTR pFontName = NULL;
            int nSize = 12;
            bool bBold = false;
            bool bUnderline = false;
            bool bItalic = false;
            bool bDefault = false;
            for (int i = 0; i < nAttributes; ++i) {
                LPCTSTR pstrName = node.GetAttributeName(i);
                LPCTSTR pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, L"name") == 0)
                    pFontName = pstrValue;
                else if (wcscmp(pstrName, L"size") == 0)
                    nSize = static_cast<int>(wcstol(pstrValue, NULL, 10));
                else if (wcscmp(pstrName, L"bold") == 0)
                    bBold = CControlUI::IsTrueValue(pstrValue);
                else if (wcscmp(pstrName, L"underline") == 0)
                    bUnderline = CControlUI::IsTrueValue(pstrValue);
                else if (wcscmp(pstrName, L"italic") == 0)
                    bItalic = CControlUI::IsTrueValue(pstrValue);
                else if (wcscmp(pstrName, L"default") == 0)
                    bDefault = CControlUI::IsTrueValue(pstrValue);
            }
            if (pFontName != NULL && pFontName[0] != L'\0') {
                pManager->AddFont(pFontName, nSize, bBold, bUnderline, bItalic);
                if (bDefault)
                    pManager->SetDefaultFont(pFontName, nSize, bBold, bUnderline, bItalic);
            }
        } else if (IsNamed(pstrClass, kResourceDefault)) {
            LPCTSTR pControlName = NULL;
            LPCTSTR pControlValue = NULL;
            for (int i = 0; i < nAttributes; ++i) {
                LPCTSTR pstrName = node.GetAttributeName(i);
                LPCTSTR pstrValue = node.GetAttributeValue(i);
                if (wcscmp(pstrName, L"name") == 0)
                    pControlName = pstrValue;
                else if (wcscmp(pstrName, L"value") == 0)
                    pControlValue = pstrValue;
            }
            if (pControlName != NULL && pControlName[0] != L'\0')
                pManager->AddDefaultAttributes(pControlName, pControlValue);
        }
    }
}

void CUIBuilder::ApplyWindowAttributes(const CUIMarkupNode& root, CUIManager* pManager)
{
    const int nAttributes = root.GetAttributeCount();
    for (int i = 0; i < nAttributes; ++i) {
        LPCTSTR pstrName = root.GetAttributeName(i);
        LPCTSTR pstrValue = root.GetAttributeValue(i);
        // Number lists stop at the end of the value; missing numbers are 0.
        int v[4] = { 0, 0, 0, 0 };
        if (wcscmp(pstrName, L"size") == 0) {
            CControlUI::ParseNumberList(pstrValue, v, 2);
            pManager->SetInitSize(v[0], v[1]);
        } else if (wcscmp(pstrName, L"sizebox") == 0) {
            CControlUI::ParseNumberList(pstrValue, v, 4);
            RECT rc = { v[0], v[1], v[2], v[3] };
            pManager->SetSizeBox(rc);
        } else if (wcscmp(pstrName, L"caption") == 0) {
            CControlUI::ParseNumberList(pstrValue, v, 4);
            RECT rc = { v[0], v[1], v[2], v[3] };
            pManager->SetCaptionRect(rc);
        } else if (wcscmp(pstrName, L"roundcorner") == 0) {
            CControlUI::ParseNumberList(pstrValue, v, 2);
            pManager->SetRoundCorner(v[0], v[1]);
        } else if (wcscmp(pstrName, L"mininfo") == 0) {
            CControlUI::ParseNumberList(pstrValue, v, 2);
            pManager->SetMinInfo(v[0], v[1]);
        } else if (wcscmp(pstrName, L"maxinfo") == 0) {
            CControlUI::ParseNumberList(pstrValue, v, 2);
            pManager->SetMaxInfo(v[0], v[1]);
        } else if (wcscmp(pstrName, L"showdirty") == 0) {
            pManager->SetShowUpdateRect(CControlUI::IsTrueValue(pstrValue));
        } else if (wcscmp(pstrName, L"alpha") == 0) {
            pManager->SetTransparent(static_cast<int>(wcstol(pstrValue, NULL, 10)));
        } else if (wcscmp(pstrName, L"bktrans") == 0) {
            pManager->SetBackgroundTransparent(CControlUI::IsTrueValue(pstrValue));
        } else if (wcscmp(pstrName, L"disabledfontcolor") == 0) {
            pManager->SetDisabledTextColor(CControlUI::ParseColor(pstrValue, false));
        } else if (wcscmp(pstrName, L"defaultfontcolor") == 0) {
            pManager->SetDefaultTextColor(CControlUI::ParseColor(pstrValue, false));
        } else if (wcscmp(pstrName, L"linkfontcolor") == 0) {
            pManager->SetLinkTextColor(CControlUI::ParseColor(pstrValue, false));
        } else if (wcscmp(pstrName, L"linkhoverfontcolor") == 0) {
            pManager->SetLinkHoverTextColor(CControlUI::ParseColor(pstrValue, false));
        } else if (wcscmp(pstrName, L"selectedcolor") == 0) {
            pManager->SetSelectedColor(CControlUI::ParseColor(pstrValue, false));
        }
    }
}

CControlUI* CUIBuilder::CreateControl(LPCTSTR pstrClass)
{
    CControlUI* pControl = CreateBuiltinControl(pstrClass);
    if (pControl != NULL)
        return pControl;
    CUIPtrArray* pFactories = CUIManager::GetControlFactories();
    for (int i = 0; pFactories != NULL && i < pFactories->GetSize(); ++i) {
        UIControlCreatorFn pfnCreate = reinterpret_cast<UIControlCreatorFn>(pFactories->GetAt(i));
        if (pfnCreate == NULL)
            continue;
        pControl = pfnCreate(pstrClass);
        if (pControl != NULL)
            return pControl;
    }
    if (m_pCallback != NULL)
        return m_pCallback->CreateControl(pstrClass);
    return NULL;
}

void CUIBuilder::ApplyControlAttributes(const CUIMarkupNode& node, CControlUI* pControl, CUIManager* pManager)
{
    // The manager is attached for the attribute calls only (options join
    // their groups, virtual windows register). Whatever attachment the
    // control had before (a live parent already initialised it) is given
    // back afterwards.
    CUIManager* pOldManager = NULL;
    CControlUI* pOldParent = NULL;
    if (pManager != NULL) {
        pOldManager = pControl->GetManager();
        pOldParent = pControl->GetParent();
        pControl->SetManager(pManager, NULL, false);
        // Defaults are registered under the element name ("Button"), not the class name.
        LPCTSTR pDefaultAttributes = pManager->GetDefaultAttributes(node.GetName());
        if (pDefaultAttributes != NULL)
            pControl->ApplyAttributes(pDefaultAttributes);
    }
    const int nAttributes = node.GetAttributeCount();
    for (int i = 0; i < nAttributes; ++i)
        pControl->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
    if (pManager != NULL)
        pControl->SetManager(pOldManager, pOldParent, false);
}

CControlUI* CUIBuilder::BuildInclude(const CUIMarkupNode& node, CControlUI* pParent, CUIManager* pManager,
                                     CControlUI*& pFirst, int nLevel)
{
    if (!node.HasAttributes())
        return NULL;
    // Zero-filled with room for a terminator: a value that fills the buffer gets none.
    wchar_t szValue[MAX_INCLUDE_SOURCE + 1];
    ::ZeroMemory(szValue, sizeof(szValue));
    int nCount = 1;
    if (node.CopyAttributeValue(L"count", szValue, MAX_INCLUDE_SOURCE))
        nCount = static_cast<int>(wcstol(szValue, NULL, 10));
    ::ZeroMemory(szValue, sizeof(szValue));
    if (!node.CopyAttributeValue(L"source", szValue, MAX_INCLUDE_SOURCE) || szValue[0] == L'\0')
        return NULL;
    if (nCount > MAX_INCLUDE_COUNT) {
        Fail(kErrIncludeCount);
        return NULL;
    }
    // A layout that includes itself (directly or in a cycle) ends here.
    if (m_nIncludeDepth >= MAX_INCLUDE_DEPTH)
        return NULL;

    CControlUI* pResult = NULL;
    for (int i = 0; i < nCount && m_pState->pstrError == NULL; ++i) {
        // Without a parent only the first control of the level is kept.
        if (pParent == NULL && pFirst != NULL)
            break;
        // Every document loaded counts, whether it makes controls or not.
        if (m_pState->nDocuments >= MAX_INCLUDED_DOCUMENTS) {
            Fail(kErrTooManyIncludes);
            break;
        }
        ++m_pState->nDocuments;
        CUIBuilder builder;
        builder.m_nIncludeDepth = m_nIncludeDepth + 1;
        // The included root's children join this level.
        builder.m_nBaseDepth = nLevel - 1;
        builder.m_pState = m_pState;
        CControlUI* pControl = NULL;
        if (m_pstrtype != NULL) {
            const WORD wId = static_cast<WORD>(wcstol(szValue, NULL, 10));
            pControl = builder.Create(MAKEINTRESOURCEW(wId), m_pstrtype, m_pCallback, pManager, pParent);
        } else {
            pControl = builder.Create(szValue, NULL, m_pCallback, pManager, pParent);
        }
        if (pControl != NULL) {
            if (pResult == NULL)
                pResult = pControl;
            if (pFirst == NULL)
                pFirst = pControl;
        }
    }
    return pResult;
}

CControlUI* CUIBuilder::BuildControls(const CUIMarkupNode& parentNode, CControlUI* pParent,
                                      CUIManager* pManager, int nLevel)
{
    CControlUI* pReturn = NULL;
    for (CUIMarkupNode node = parentNode.GetFirstChild(); node.IsValid() && m_pState->pstrError == NULL;
         node = node.GetNextSibling()) {
        LPCTSTR pstrClass = node.GetName();
        if (IsNamed(pstrClass, kResourceImage) || IsNamed(pstrClass, kResourceFont) ||
            IsNamed(pstrClass, kResourceDefault))
            continue;
        if (IsNamed(pstrClass, kInclude)) {
            BuildInclude(node, pParent, pManager, pReturn, nLevel);
            continue;
        }
        // Without a parent nothing but the first control of the level could
        // ever be reached: the others are not built at all.
        if (pParent == NULL && pReturn != NULL)
            continue;

        if (nLevel > MAX_DEPTH) {
            Fail(kErrTooDeep);
            break;
        }
        if (m_pState->nControls >= MAX_CONTROLS) {
            Fail(kErrTooManyControls);
            break;
        }
        const bool bTreeNode = IsNamed(pstrClass, kTreeNode);
        CControlUI* pControl = bTreeNode ? NewTreeNode() : CreateControl(pstrClass);
        // Nobody knows the element: it disappears with its subtree.
        if (pControl == NULL)
            continue;
        ++m_pState->nControls;

        // Bottom-up: the children exist before the control gets its attributes.
        // A limit passed below still places the control, so that the
        // outermost build frees it with the rest.
        if (node.HasChildren())
            BuildControls(node, pControl, pManager, nLevel + 1);

        if (bTreeNode) {
            bool bAdded = false;
            if (pParent != NULL && pParent->GetInterface(kTreeNode) != NULL) {
                IContainerUI* pSlot = ChildSlot(pParent);
                bAdded = pSlot != NULL && pSlot->Add(pControl);
            } else if (pParent != NULL && pParent->GetInterface(L"TreeView") != NULL) {
                bAdded = AddNodeToTreeView(pParent, pControl);
            } else {
                // A node outside any tree ends the level.
                delete pControl;
                return NULL;
            }
            if (!bAdded) {
                delete pControl;
                continue;
            }
        } else if (pParent != NULL) {
            IContainerUI* pSlot = ChildSlot(pParent);
            if (pSlot == NULL) {
                // The parent holds no children: the level ends here, and the
                // control that cannot be placed goes away.
                delete pControl;
                return NULL;
            }
            if (!pSlot->Add(pControl)) {
                delete pControl;
                continue;
            }
        }

        if (m_pState->pstrError == NULL)
            ApplyControlAttributes(node, pControl, pManager);
        if (pReturn == NULL)
            pReturn = pControl;
    }
    return pReturn;
}

} // namespace SkinUI
