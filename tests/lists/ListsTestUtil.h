// Helpers of the list, tree and combo tests: a real window whose paint
// manager sees every message, layouts built from inline XML, events made by
// hand, a notification recorder, item probes that count their destruction,
// and window pictures kept in the test output.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIBuilder.h"
#include "UIButton.h"
#include "UICombo.h"
#include "UIComboBox.h"
#include "UIComboWnd.h"
#include "UIList.h"
#include "UIListBody.h"
#include "UIListContainerElement.h"
#include "UIListHeader.h"
#include "UIListHeaderItem.h"
#include "UIListLabelElement.h"
#include "UIListTextElement.h"
#include "UIManager.h"
#include "UIScrollBar.h"
#include "UITestHost.h"
#include "UITreeNode.h"
#include "UITreeView.h"

namespace listtest {

using namespace SkinUI;
using testsupport::Drain;

// Compares the colour channels only: pixels read back from a window carry no alpha.
#define EXPECT_RGB(canvas, x, y, want)                                                           \
    EXPECT_EQ(testsupport::ColorText((DWORD)(want) & 0x00FFFFFF),                                \
              testsupport::ColorText((canvas).Pixel((x), (y)) & 0x00FFFFFF))                     \
        << "pixel at (" << (x) << "," << (y) << ")"

// A popup window at a screen position, drained before each update; it stays
// clear of the Xvfb pointer in the middle of the screen unless a test moves it.
class HostWindow : public testsupport::UITestHost
{
public:
    HostWindow() : UITestHost(L"lists host", true) {}

    // Builds the layout from inline XML, attaches it and lays it out.
    CControlUI* Build(const wchar_t* xml)
    {
        CUIBuilder builder;
        CControlUI* root = builder.Create(xml, NULL, NULL, &pm);
        if (root == NULL)
            return NULL;
        if (!pm.AttachRoot(root))
            return NULL;
        Update();
        return root;
    }
    template <class T>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(pm.FindControlByName(name));
    }
    // Keeps a picture of the window in the test output.
    void Keep(const char* name)
    {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        testsupport::Canvas canvas(rc.right, rc.bottom);
        if (canvas.CaptureWindow(m_hWnd))
            canvas.SavePng(testsupport::OutputDir() + testsupport::Widen(name) + L".png");
    }
};

using Recorder = testsupport::NotifyRecorder;

inline UIEvent MakeEvent(int kind, POINT pt = POINT{ 0, 0 }, wchar_t key = 0, WPARAM wParam = 0)
{
    UIEvent ev;
    ZeroMemory(&ev, sizeof(ev));
    ev.nKind = kind;
    ev.dwTimestamp = ::GetTickCount();
    ev.ptMouse = pt;
    ev.chKey = key;
    ev.wParam = wParam;
    return ev;
}

inline POINT Center(const RECT& rc)
{
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

// Sets the resource folder to the list images for one test.
class ImageFolder
{
public:
    ImageFolder()
    {
        CUIManager::SetInstance(::GetModuleHandleW(NULL));
        CUIManager::ResetResourceState();
        CUIManager::SetResourcePath((testsupport::FixtureDir() + L"lists\\").c_str());
    }
    ~ImageFolder() { CUIManager::ResetResourceState(); }
};

// Counts the destructor runs of label items (to prove each runs once).
class CountedItem : public CListLabelElementUI
{
public:
    explicit CountedItem(int* counter) : m_counter(counter) {}
    ~CountedItem() override { ++*m_counter; }

private:
    int* m_counter;
};

// A tree node whose destructor runs are counted.
class CountedNode : public CTreeNodeUI
{
public:
    explicit CountedNode(int* counter) : m_counter(counter) {}
    ~CountedNode() override { ++*m_counter; }

private:
    int* m_counter;
};

// The default font height the layouts derive item heights from.
inline int FontHeight(CUIManager& pm)
{
    return pm.GetDefaultFontInfo()->tm.tmHeight;
}

} // namespace listtest
