// Shared pieces of the dialog-builder tests: a bare window that owns a paint
// manager, probe controls that record how the builder treats them, and a
// scoped control factory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "UIBuilder.h"
#include "UIContainer.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIWindow.h"

namespace buildertest {

// A popup window whose messages go to its paint manager; nothing else.
class HostWnd : public SkinUI::CWindowWnd {
public:
    SkinUI::CUIManager pm;

    HostWnd() {}
    ~HostWnd() {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    }
    bool CreateHidden(int cx = 100, int cy = 100) {
        return Create(NULL, L"builder host", WS_POPUP, 0, 0, 0, cx, cy) != NULL;
    }
    LPCTSTR GetWindowClassName() const override { return L"SkinUIBuilderHost"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE) {
            pm.Init(m_hWnd);
            return 0;
        }
        LRESULT lRes = 0;
        if (pm.HandleWindowMessage(uMsg, wParam, lParam, lRes)) return lRes;
        return SkinUI::CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
};

// What the probes saw.
struct ProbeLog {
    int constructed = 0;
    int destroyed = 0;
    std::vector<std::wstring> events;   // "add", "attr:<name>"
    // The manager and parent seen by each attribute call.
    std::vector<SkinUI::CUIManager*> attrManagers;
    std::vector<SkinUI::CControlUI*> attrParents;
    void Reset() { *this = ProbeLog(); }
};
ProbeLog& Log();

// A plain control (element "Probe") that counts its lifetime.
class CProbeUI : public SkinUI::CControlUI {
public:
    CProbeUI() { ++Log().constructed; }
    ~CProbeUI() override { ++Log().destroyed; }
    LPCTSTR GetClassName() const override { return L"ProbeUI"; }
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override {
        Log().attrManagers.push_back(GetManager());
        Log().attrParents.push_back(GetParent());
        SkinUI::CControlUI::SetAttribute(pstrName, pstrValue);
    }
};

// A container (element "ProbeBox") that records its Add and attribute calls.
class CProbeBoxUI : public SkinUI::CContainerUI {
public:
    CProbeBoxUI() { ++Log().constructed; }
    ~CProbeBoxUI() override { ++Log().destroyed; }
    LPCTSTR GetClassName() const override { return L"ProbeBoxUI"; }
    bool Add(SkinUI::CControlUI* pControl) override {
        Log().events.push_back(L"add");
        return SkinUI::CContainerUI::Add(pControl);
    }
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override {
        Log().events.push_back(std::wstring(L"attr:") + pstrName);
        SkinUI::CContainerUI::SetAttribute(pstrName, pstrValue);
    }
};

// A container (element "Refuser") that refuses every child.
class CRefuserUI : public SkinUI::CContainerUI {
public:
    LPCTSTR GetClassName() const override { return L"RefuserUI"; }
    bool Add(SkinUI::CControlUI*) override { return false; }
};

// The factory of the probe elements; it also notes every name it is asked for.
std::vector<std::wstring>& FactoryQuestions();
SkinUI::CControlUI* ProbeFactory(LPCTSTR pstrClass);

// Registers a control factory for the life of the object.
class ScopedFactory {
public:
    explicit ScopedFactory(SkinUI::UIControlCreatorFn fn) : m_fn(reinterpret_cast<void*>(fn)) {
        SkinUI::CUIManager::GetControlFactories()->Add(m_fn);
    }
    ~ScopedFactory() {
        SkinUI::CUIPtrArray* list = SkinUI::CUIManager::GetControlFactories();
        int i = list->Find(m_fn);
        if (i >= 0) list->Remove(i);
    }

private:
    void* m_fn;
};

// Sets the module instance and forgets any resource folder or skin zip.
void ResetSkinState();

// Number of direct children of a container control (-1 when it is none).
int ChildCount(SkinUI::CControlUI* pControl);
SkinUI::CControlUI* ChildAt(SkinUI::CControlUI* pControl, int index);

}  // namespace buildertest
