// The builder in a live window: the built tree attached to a shown window,
// found by name, laid out and painted; option groups and per-element default
// lists with the real controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuilderTestUtil.h"
#include "TestSupport.h"
#include "UIButton.h"
#include "UIMessageMap.h"
#include "UIOption.h"

using namespace SkinUI;
using namespace buildertest;

namespace {

using testsupport::RectText;

// Records every notification of the manager it is registered with.
class NotifyLog : public INotifyUI {
public:
    std::vector<std::wstring> entries;   // "<type>:<sender name>"
    void Notify(UINotify& msg) override {
        std::wstring sender = msg.pSender != NULL ? msg.pSender->GetName().GetData() : L"";
        entries.push_back(std::wstring(msg.sType.GetData()) + L":" + sender);
    }
};

const wchar_t kLayout[] =
    L"<Window size=\"200,120\">"
    L"<Container name=\"root\" bkcolor=\"#FF204060\">"
    L"<Control name=\"box\" float=\"true\" pos=\"10,20,60,50\" bkcolor=\"#FFE03010\"/>"
    L"<Container name=\"inner\" float=\"true\" pos=\"100,20,180,100\" bkcolor=\"#FF10C040\" inset=\"5,5,5,5\">"
    L"<Control name=\"fill\" bkcolor=\"#FFFFFF00\"/>"
    L"</Container>"
    L"</Container></Window>";

TEST(BuilderWindow, BuiltTreeIsFoundByNameLaidOutAndPainted) {
    ResetSkinState();
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden(10, 10));
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(kLayout, NULL, NULL, &host.pm);
    ASSERT_NE(pRoot, nullptr);
    ASSERT_TRUE(host.pm.AttachRoot(pRoot));
    ::ShowWindow(host.GetHWND(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(host.GetHWND());

    CControlUI* pBox = host.pm.FindControlByName(L"box");
    CControlUI* pFill = host.pm.FindControlByName(L"fill");
    ASSERT_NE(pBox, nullptr);
    ASSERT_NE(pFill, nullptr);
    EXPECT_EQ(host.pm.FindControlByName(L"root"), pRoot);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !pRoot->NeedsLayout() && pFill->GetWidth() > 0; }, 3000));
    EXPECT_EQ(RectText(pRoot->GetPos()), "0,0,200,120");
    EXPECT_EQ(RectText(pBox->GetPos()), "10,20,60,50");
    EXPECT_EQ(RectText(pFill->GetPos()), "105,25,175,95");

    testsupport::Canvas canvas(200, 120);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    canvas.SavePng(testsupport::OutputDir() + L"builder_window.png");
    struct Probe {
        int x, y;
        DWORD color;
    };
    const Probe probes[] = {
        {3, 3, 0xFF204060}, {30, 30, 0xFFE03010}, {102, 22, 0xFF10C040}, {140, 60, 0xFFFFFF00}, {190, 110, 0xFF204060},
    };
    for (const Probe& p : probes) {
        EXPECT_TRUE(testsupport::ColorNear(canvas.Pixel(p.x, p.y), p.color, 2))
            << p.x << "," << p.y << " is " << testsupport::ColorText(canvas.Pixel(p.x, p.y));
    }
    canvas.DumpIfFailed("builder_window");
}

TEST(BuilderWindow, DefaultListsAreKeyedByElementNameForRealControls) {
    ResetSkinState();
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden());
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window>"
        L"<Default name=\"Button\" value=\"text=&quot;dflt&quot; width=&quot;33&quot;\"/>"
        L"<HorizontalLayout>"
        L"<Button name=\"b1\"/><Button name=\"b2\" text=\"own\"/><Option name=\"o1\"/><CheckBox name=\"c1\"/>"
        L"</HorizontalLayout></Window>",
        NULL, NULL, &host.pm);
    ASSERT_NE(pRoot, nullptr);
    host.pm.AttachRoot(pRoot);
    CControlUI* b1 = host.pm.FindControlByName(L"b1");
    CControlUI* b2 = host.pm.FindControlByName(L"b2");
    CControlUI* o1 = host.pm.FindControlByName(L"o1");
    CControlUI* c1 = host.pm.FindControlByName(L"c1");
    ASSERT_TRUE(b1 && b2 && o1 && c1);
    EXPECT_STREQ(b1->GetText().GetData(), L"dflt");
    EXPECT_EQ(b1->GetFixedWidth(), 33);
    EXPECT_STREQ(b2->GetText().GetData(), L"own");
    EXPECT_EQ(b2->GetFixedWidth(), 33);
    // An option is a button, but its element is "Option".
    EXPECT_STREQ(o1->GetText().GetData(), L"");
    EXPECT_EQ(o1->GetFixedWidth(), 0);
    EXPECT_STREQ(c1->GetText().GetData(), L"");
}

TEST(BuilderWindow, GroupedOptionsSelectedInTheLayoutNotifyWhileBuilding) {
    ResetSkinState();
    HostWnd host;
    ASSERT_TRUE(host.CreateHidden());
    NotifyLog log;
    host.pm.AddNotifier(&log);
    CUIBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window><HorizontalLayout>"
        L"<Option name=\"a\" group=\"g\" selected=\"true\"/>"
        L"<Option name=\"b\" group=\"g\" selected=\"true\"/>"
        L"<Option name=\"c\" group=\"g\"/>"
        L"</HorizontalLayout></Window>",
        NULL, NULL, &host.pm);
    ASSERT_NE(pRoot, nullptr);
    // The manager is attached during the attribute calls, so the group works
    // already: "b" took the selection from "a", each telling the window.
    const std::vector<std::wstring> expected = {L"selectchanged:a", L"selectchanged:b"};
    EXPECT_EQ(log.entries, expected);
    host.pm.AttachRoot(pRoot);
    COptionUI* a = static_cast<COptionUI*>(host.pm.FindControlByName(L"a"));
    COptionUI* b = static_cast<COptionUI*>(host.pm.FindControlByName(L"b"));
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    CUIPtrArray* pGroup = host.pm.GetOptionGroup(L"g");
    ASSERT_NE(pGroup, nullptr);
    EXPECT_EQ(pGroup->GetSize(), 3);
    host.pm.RemoveNotifier(&log);
}

}  // namespace
