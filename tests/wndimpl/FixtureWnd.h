// The fixture window of the window-base tests: a WindowImplBase whose skin
// source is chosen by each test, with a message map of its own and counters
// for what reached it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UIControl.h"
#include "UIManager.h"
#include "UIMessageMap.h"
#include "UIWindowImpl.h"

namespace wndtest {

// Private messages the tests post to the fixture window.
const UINT kMsgProbe = WM_APP + 50;   // Close(7) from HandleCustomMessage

class CFixtureWnd : public SkinUI::WindowImplBase {
public:
    SkinUI::UIResourceKind kind = SkinUI::UIResourceZipResource;
    std::wstring folder = L"wndimpl_skin";
    std::wstring file = L"wnd.xml";
    std::wstring zipName;
    std::wstring resId = L"WndSkin";

    int initCount = 0;
    int closeCount = 0;
    WPARAM lastCloseWParam = 0;
    int probeCount = 0;
    bool destroyed = false;
    std::vector<std::wstring> notes;   // "<type>:<sender>" from the message map

    ~CFixtureWnd() override {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    }

    bool Open(DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN) {
        return Create(NULL, L"SkinUI fixture", style, 0, 0, 0, 100, 100) != NULL;
    }
    SkinUI::CUIManager& PM() { return m_pm; }
    SkinUI::CControlUI* Find(const wchar_t* name) { return m_pm.FindControlByName(name); }

    LPCTSTR GetWindowClassName() const override { return L"SkinUIFixtureWnd"; }
    SkinUI::CUIString GetSkinFolder() override { return SkinUI::CUIString(folder.c_str()); }
    SkinUI::CUIString GetSkinFile() override { return SkinUI::CUIString(file.c_str()); }
    SkinUI::UIResourceKind GetResourceType() const override { return kind; }
    SkinUI::CUIString GetSkinZipName() override { return SkinUI::CUIString(zipName.c_str()); }
    LPCTSTR GetSkinResourceId() override { return resId.c_str(); }

    void InitWindow() override { ++initCount; }
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override {
        ++closeCount;
        lastCloseWParam = wParam;
        return WindowImplBase::OnClose(uMsg, wParam, lParam, bHandled);
    }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override {
        if (uMsg == kMsgProbe) {
            ++probeCount;
            Close(7);
            bHandled = true;
            return 0;
        }
        return WindowImplBase::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    }

    void OnOk(SkinUI::UINotify& msg) { Note(msg); }
    void OnWindowInit(SkinUI::UINotify& msg) { Note(msg); }
    void OnAnySelectChanged(SkinUI::UINotify& msg) { Note(msg); }

    UI_DECLARE_MESSAGE_MAP()

protected:
    void OnWindowDestroyed(HWND hWnd) override {
        WindowImplBase::OnWindowDestroyed(hWnd);
        destroyed = true;
    }

private:
    void Note(SkinUI::UINotify& msg) {
        std::wstring sender = msg.pSender != NULL ? msg.pSender->GetName().GetData() : L"";
        notes.push_back(std::wstring(msg.sType.GetData()) + L":" + sender);
    }
};

// The fixture skin's folder in the build's fixtures.
inline std::wstring SkinDir() { return testsupport::FixtureDir() + L"skins\\wndimpl\\"; }

// Sets the module instance and forgets any resource folder or skin zip.
inline void ResetSkinState() {
    SkinUI::CUIManager::SetInstance(::GetModuleHandleW(NULL));
    SkinUI::CUIManager::ResetResourceState();
}

}  // namespace wndtest
