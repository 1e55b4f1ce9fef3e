// Helpers of the ActiveX, web-browser and Flash host tests: OLE on the test
// thread, a real window whose paint manager sees every message, trees built
// from XML text, native child-window lookups and a handler that records the
// browser events it receives.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIActiveX.h"
#include "UIBuilder.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UITestHost.h"
#include "UIWebBrowser.h"

namespace axtest {

using namespace SkinUI;

// The platform's WebBrowser control, {8856F961-340A-11D0-A96B-00C04FD705A2}.
const CLSID kClsidWebBrowser = { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };

// In-place activation needs OLE (not only COM) on the window's thread.
class OleEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(NULL))); }
    void TearDown() override { ::OleUninitialize(); }
};

// A shown top-level window whose manager sees every message; its queue is
// drained around updates, so posted input and deferred deletions happen in
// order.
class HostWindow : public testsupport::UITestHost
{
public:
    HostWindow() : UITestHost(L"activex host", true) {}

    // Builds the tree from XML text with this window's manager and attaches it.
    CControlUI* Build(const wchar_t* xml)
    {
        CUIBuilder builder;
        CControlUI* root = builder.Create(xml, NULL, NULL, &pm);
        if (root != NULL)
            pm.AttachRoot(root);
        return root;
    }
    template <typename T>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(pm.FindControlByName(name));
    }
};

// Window handles below a parent, by class name (depth first).
struct ChildSearch
{
    const wchar_t* name;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectChildOfClass(HWND hWnd, LPARAM lParam)
{
    ChildSearch* s = reinterpret_cast<ChildSearch*>(lParam);
    wchar_t buf[128] = { 0 };
    ::GetClassNameW(hWnd, buf, 127);
    if (wcscmp(buf, s->name) == 0)
        s->found.push_back(hWnd);
    return TRUE;
}

inline std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className)
{
    ChildSearch search = { className, {} };
    ::EnumChildWindows(parent, &CollectChildOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline HWND ChildOfClass(HWND parent, const wchar_t* className)
{
    std::vector<HWND> all = ChildrenOfClass(parent, className);
    return all.empty() ? NULL : all.front();
}

// A child window's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND hWnd)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

inline std::string WindowText(HWND hWnd)
{
    wchar_t buf[256] = { 0 };
    ::GetWindowTextW(hWnd, buf, 255);
    return testsupport::Narrow(buf);
}

// The text of a URL argument (through by-reference variants).
inline std::string VariantText(const VARIANT* v)
{
    while (v != NULL && v->vt == (VT_BYREF | VT_VARIANT))
        v = v->pvarVal;
    if (v == NULL || v->vt != VT_BSTR || v->bstrVal == NULL)
        return std::string();
    return testsupport::Narrow(v->bstrVal);
}

// Records the browser events it receives as "name:argument" lines.
class RecordingHandler : public CWebBrowserEventHandler
{
public:
    std::vector<std::string> events;
    bool cancelNavigation = false;

    void BeforeNavigate2(IDispatch*, VARIANT*& url, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                         VARIANT_BOOL*& Cancel) override
    {
        events.push_back("BeforeNavigate2:" + VariantText(url));
        if (cancelNavigation)
            *Cancel = VARIANT_TRUE;
    }
    void NavigateError(IDispatch*, VARIANT*& url, VARIANT*&, VARIANT*&, VARIANT_BOOL*&) override
    {
        events.push_back("NavigateError:" + VariantText(url));
    }
    void NavigateComplete2(IDispatch*, VARIANT*& url) override
    {
        events.push_back("NavigateComplete2:" + VariantText(url));
    }
    void NewWindow3(IDispatch**, VARIANT_BOOL*& Cancel, DWORD dwFlags, BSTR context, BSTR url) override
    {
        events.push_back("NewWindow3:" + testsupport::Narrow(url ? url : L"") + " from "
                         + testsupport::Narrow(context ? context : L"") + " flags " + std::to_string(dwFlags));
        *Cancel = VARIANT_TRUE;
    }
    void CommandStateChange(long Command, VARIANT_BOOL Enable) override
    {
        events.push_back("CommandStateChange:" + std::to_string(Command) + (Enable == VARIANT_TRUE ? " on" : " off"));
    }
    void TitleChange(BSTR title) override { events.push_back("TitleChange:" + testsupport::Narrow(title ? title : L"")); }
    void DocumentComplete(IDispatch*, VARIANT*& url) override
    {
        events.push_back("DocumentComplete:" + VariantText(url));
    }

    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& e : events)
            n += e.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return n;
    }
};

} // namespace axtest
