// The ActiveX host over Wine's own WebBrowser object (a windowed control):
// class id forms, creation timing, the "ActiveXWnd" child window that follows
// the control's rectangle and visibility, the site's interfaces and answers,
// and teardown.
#include "ActiveXTestUtil.h"

#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace axtest;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

TEST(ActiveXNames, ClassNameAndInterfaces)
{
    CActiveXUI ax;
    EXPECT_STREQ(L"ActiveXUI", ax.GetClassName());
    EXPECT_EQ(static_cast<void*>(&ax), ax.GetInterface(L"ActiveX"));
    EXPECT_EQ(static_cast<void*>(static_cast<CControlUI*>(&ax)), ax.GetInterface(L"Control"));
    EXPECT_EQ(nullptr, ax.GetInterface(L"WebBrowser"));
    EXPECT_TRUE(ax.IsDelayCreate());
    EXPECT_TRUE(ax.GetClassId() == GUID_NULL);
}

TEST(ActiveXNames, GetControlRefusesANullPointerAndIsPendingBeforeCreation)
{
    CActiveXUI ax;
    EXPECT_EQ(E_POINTER, ax.GetControl(IID_IOleObject, NULL));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_PENDING, ax.GetControl(IID_IOleObject, &p));
    EXPECT_EQ(static_cast<HRESULT>(0x8000000A), E_PENDING);
}

// "clsid" text: "{...}" is a class id, anything else a ProgID; text that
// converts to nothing leaves the control without a class.
TEST(ActiveXNames, ClassIdTextForms)
{
    struct Case
    {
        const wchar_t* text;
        bool accepted;
    } cases[] = {
        { L"{8856F961-340A-11D0-A96B-00C04FD705A2}", true },
        { L"Shell.Explorer.2", true },
        { L"Shell.Explorer", true },
        { L"{8856F961-340A-11D0-A96B-00C04FD705A2", false },
        { L"No.Such.Control", false },
        { L"", false },
        { L"{00000000-0000-0000-0000-000000000000}", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.text));
        CActiveXUI ax;
        EXPECT_EQ(c.accepted, ax.SetClassIdText(c.text));
        EXPECT_EQ(c.accepted, ax.GetClassId() == kClsidWebBrowser);
        if (!c.accepted) {
            EXPECT_TRUE(ax.GetClassId() == GUID_NULL);
        }
    }
    // Only the first 99 characters count: a longer text is cut and refused.
    std::wstring longText = L"{8856F961-340A-11D0-A96B-00C04FD705A2}" + std::wstring(100, L' ');
    CActiveXUI ax;
    EXPECT_TRUE(ax.SetClassIdText(longText.c_str()) == (ax.GetClassId() == kClsidWebBrowser));
}

class ActiveXWindowed : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Open(400, 300)); }
    void TearDown() override
    {
        if (::testing::Test::HasFailure()) {
            testsupport::Canvas canvas(400, 300);
            if (canvas.CaptureWindow(host.GetHWND()))
                canvas.DumpIfFailed("activex_windowed");
        }
    }
    HostWindow host;
};

TEST_F(ActiveXWindowed, ObjectIsCreatedAtTheFirstLayoutInAChildWindowOverTheControl)
{
    host.Build(L"<Window><VerticalLayout inset=\"10,20,30,40\" bkcolor=\"#FFE0E0E0\">"
               L"<ActiveX name=\"ax\" clsid=\"Shell.Explorer.2\"/>"
               L"</VerticalLayout></Window>");
    CActiveXUI* ax = host.Find<CActiveXUI>(L"ax");
    ASSERT_NE(nullptr, ax);
    IOleObject* pObj = NULL;
    EXPECT_EQ(E_PENDING, ax->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObj)));
    EXPECT_EQ(nullptr, ChildOfClass(host.GetHWND(), L"ActiveXWnd"));

    host.Update();
    ASSERT_EQ(S_OK, ax->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObj)));
    pObj->Release();

    HWND hWnd = ax->GetHostWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(hWnd, ChildOfClass(host.GetHWND(), L"ActiveXWnd"));
    EXPECT_EQ(host.GetHWND(), ::GetParent(hWnd));
    EXPECT_EQ("UIActiveX", WindowText(hWnd));
    EXPECT_EQ(0x56000000, ::GetWindowLongW(hWnd, GWL_STYLE) & 0xFFFF0000);
    EXPECT_EQ(0, ::GetWindowLongW(hWnd, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);
    EXPECT_RECT(CUIRect(10, 20, 370, 260), ax->GetPos());
    EXPECT_RECT(ax->GetPos(), RectInParent(hWnd));

    // Wine's browser lives inside it.
    HWND hEmbedding = ChildOfClass(hWnd, L"Shell Embedding");
    ASSERT_NE(nullptr, hEmbedding);
    EXPECT_EQ(hWnd, ::GetParent(hEmbedding));
    EXPECT_TRUE(::IsWindowVisible(hEmbedding));

    testsupport::Canvas canvas(400, 300);
    ASSERT_TRUE(canvas.CaptureWindow(host.GetHWND()));
    canvas.SavePng(testsupport::OutputDir() + L"activex_windowed.png");
}

TEST_F(ActiveXWindowed, ChildWindowFollowsSizeAndVisibilityAndGoesWithTheControl)
{
    host.Build(L"<Window><VerticalLayout name=\"box\">"
               L"<ActiveX name=\"ax\" clsid=\"{8856F961-340A-11D0-A96B-00C04FD705A2}\" height=\"100\"/>"
               L"</VerticalLayout></Window>");
    host.Update();
    CActiveXUI* ax = host.Find<CActiveXUI>(L"ax");
    CContainerUI* box = host.Find<CContainerUI>(L"box");
    HWND hWnd = ax->GetHostWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_RECT(CUIRect(0, 0, 400, 100), RectInParent(hWnd));

    ax->SetFixedHeight(150);
    host.Update();
    EXPECT_RECT(CUIRect(0, 0, 400, 150), RectInParent(hWnd));

    ax->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    ax->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(hWnd));

    // Hiding the parent hides the child window too.
    box->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    box->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(hWnd));

    HWND hEmbedding = ChildOfClass(hWnd, L"Shell Embedding");
    ASSERT_NE(nullptr, hEmbedding);
    box->Remove(ax);
    host.Update();
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_FALSE(::IsWindow(hEmbedding));
}

// With delaycreate other than "true" the object exists as soon as both the
// class id and the flag are read, in either order.
TEST_F(ActiveXWindowed, DelayCreateOffCreatesWhileTheXmlIsRead)
{
    const wchar_t* layouts[] = {
        L"<Window><VerticalLayout><ActiveX name=\"ax\" clsid=\"Shell.Explorer.2\" delaycreate=\"false\"/>"
        L"</VerticalLayout></Window>",
        L"<Window><VerticalLayout><ActiveX name=\"ax\" delaycreate=\"no\" clsid=\"Shell.Explorer.2\"/>"
        L"</VerticalLayout></Window>",
    };
    for (const wchar_t* xml : layouts) {
        SCOPED_TRACE(testsupport::Narrow(xml));
        CUIBuilder builder;
        CControlUI* root = builder.Create(xml, NULL, NULL, &host.pm);
        ASSERT_NE(nullptr, root);
        CActiveXUI* ax = static_cast<CActiveXUI*>(root->FindControl(
            [](CControlUI* c, LPVOID) -> CControlUI* { return c->GetInterface(L"ActiveX") ? c : NULL; }, NULL, 0));
        ASSERT_NE(nullptr, ax);
        IOleObject* pObj = NULL;
        EXPECT_EQ(S_OK, ax->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObj)));
        if (pObj != NULL)
            pObj->Release();
        EXPECT_FALSE(ax->IsDelayCreate());
        delete root;
        EXPECT_EQ(nullptr, ChildOfClass(host.GetHWND(), L"ActiveXWnd"));
    }
}

// A new class id after creation replaces the object: the old one and its
// window are gone, only the new one remains.
TEST_F(ActiveXWindowed, ANewClassIdReplacesTheObjectAtTheNextLayout)
{
    host.Build(L"<Window><VerticalLayout><ActiveX name=\"ax\" clsid=\"Shell.Explorer.2\"/>"
               L"</VerticalLayout></Window>");
    host.Update();
    CActiveXUI* ax = host.Find<CActiveXUI>(L"ax");
    HWND hOld = ax->GetHostWindow();
    ASSERT_NE(nullptr, hOld);
    ASSERT_TRUE(ax->SetClassIdText(L"Shell.Explorer"));
    ax->SetPos(ax->GetPos());
    HWND hNew = ax->GetHostWindow();
    EXPECT_NE(nullptr, hNew);
    EXPECT_FALSE(::IsWindow(hOld) && hOld != hNew);
    EXPECT_EQ(1u, ChildrenOfClass(host.GetHWND(), L"ActiveXWnd").size());
    EXPECT_EQ(1u, ChildrenOfClass(host.GetHWND(), L"Shell Embedding").size());
}

TEST_F(ActiveXWindowed, MouseWheelSentToTheChildWindowIsSwallowed)
{
    host.Build(L"<Window><VerticalLayout><ActiveX name=\"ax\" clsid=\"Shell.Explorer.2\"/>"
               L"</VerticalLayout></Window>");
    host.Update();
    HWND hWnd = host.Find<CActiveXUI>(L"ax")->GetHostWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(0, ::SendMessageW(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(10, 10)));
    EXPECT_EQ(1, ::SendMessageW(hWnd, WM_PAINT, 0, 0));
}

// The site as the hosted object sees it: the interfaces it answers, the
// window context, the frame and the container's enumerator.
class ActiveXSite : public ActiveXWindowed
{
protected:
    void SetUp() override
    {
        ActiveXWindowed::SetUp();
        host.Build(L"<Window><VerticalLayout inset=\"5,5,5,5\"><ActiveX name=\"ax\" clsid=\"Shell.Explorer.2\"/>"
                   L"</VerticalLayout></Window>");
        host.Update();
        ax = host.Find<CActiveXUI>(L"ax");
        IOleObject* pObj = NULL;
        ASSERT_EQ(S_OK, ax->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObj)));
        ASSERT_EQ(S_OK, pObj->GetClientSite(&site));
        pObj->Release();
        ASSERT_NE(nullptr, site);
    }
    void TearDown() override
    {
        if (site != NULL)
            site->Release();
        ActiveXWindowed::TearDown();
    }
    template <typename T>
    T* Part(REFIID iid)
    {
        T* p = NULL;
        EXPECT_EQ(S_OK, site->QueryInterface(iid, reinterpret_cast<void**>(&p)));
        return p;
    }

    CActiveXUI* ax = nullptr;
    IOleClientSite* site = nullptr;
};

TEST_F(ActiveXSite, AnswersItsNineInterfacesOnOneIdentityAndNothingElse)
{
    const IID* answered[] = { &IID_IUnknown, &IID_IOleClientSite, &IID_IOleInPlaceSiteWindowless,
                              &IID_IOleInPlaceSiteEx, &IID_IOleInPlaceSite, &IID_IOleWindow,
                              &IID_IOleControlSite, &IID_IOleContainer, &IID_IObjectWithSite };
    IUnknown* identity = Part<IUnknown>(IID_IUnknown);
    for (const IID* iid : answered) {
        IUnknown* p = NULL;
        EXPECT_EQ(S_OK, site->QueryInterface(*iid, reinterpret_cast<void**>(&p)));
        ASSERT_NE(nullptr, p);
        IUnknown* back = NULL;
        p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back));
        EXPECT_EQ(identity, back);
        back->Release();
        p->Release();
    }
    const IID* refused[] = { &IID_IDispatch, &IID_IOleObject, &IID_IServiceProvider, &IID_IOleInPlaceFrame };
    for (const IID* iid : refused) {
        IUnknown* p = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(E_NOINTERFACE, site->QueryInterface(*iid, reinterpret_cast<void**>(&p)));
        EXPECT_EQ(nullptr, p);
    }
    identity->Release();
}

TEST_F(ActiveXSite, WindowContextFrameAndAnswers)
{
    IOleInPlaceSiteWindowless* ip = Part<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
    HWND hWnd = NULL;
    EXPECT_EQ(S_OK, ip->GetWindow(&hWnd));
    EXPECT_EQ(ax->GetHostWindow(), hWnd);

    IOleInPlaceFrame* frame = NULL;
    IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT rcPos = { 0, 0, 0, 0 }, rcClip = { 0, 0, 0, 0 };
    OLEINPLACEFRAMEINFO info;
    ZeroMemory(&info, sizeof(info));
    EXPECT_EQ(E_POINTER, ip->GetWindowContext(NULL, &doc, &rcPos, &rcClip, &info));
    EXPECT_EQ(E_POINTER, ip->GetWindowContext(&frame, &doc, NULL, &rcClip, &info));
    ASSERT_EQ(S_OK, ip->GetWindowContext(&frame, &doc, &rcPos, &rcClip, &info));
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(nullptr, doc);
    // Windowed: the child window's client area.
    EXPECT_RECT(CUIRect(0, 0, 390, 290), rcPos);
    EXPECT_RECT(rcPos, rcClip);
    EXPECT_EQ(sizeof(OLEINPLACEFRAMEINFO), info.cb);
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(host.GetHWND(), info.hwndFrame);
    EXPECT_NE(nullptr, info.haccel);
    EXPECT_EQ(1u, info.cAccelEntries);

    HWND hFrame = NULL;
    EXPECT_EQ(S_OK, frame->GetWindow(&hFrame));
    EXPECT_EQ(host.GetHWND(), hFrame);
    BORDERWIDTHS bw = { 0, 0, 0, 0 };
    EXPECT_EQ(INPLACE_E_NOTOOLSPACE, frame->RequestBorderSpace(&bw));
    EXPECT_EQ(static_cast<HRESULT>(0x800401A1), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(S_FALSE, frame->TranslateAccelerator(NULL, 0));
    EXPECT_EQ(S_OK, frame->SetActiveObject(NULL, NULL));

    // One accelerator table per site, however often the context is asked for.
    IOleInPlaceFrame* frame2 = NULL;
    OLEINPLACEFRAMEINFO info2;
    ZeroMemory(&info2, sizeof(info2));
    ASSERT_EQ(S_OK, ip->GetWindowContext(&frame2, &doc, &rcPos, &rcClip, &info2));
    EXPECT_EQ(info.haccel, info2.haccel);
    frame2->Release();

    struct Answer
    {
        const char* call;
        HRESULT got;
        HRESULT want;
    } answers[] = {
        { "CanInPlaceActivate", ip->CanInPlaceActivate(), S_OK },
        { "CanWindowlessActivate", ip->CanWindowlessActivate(), S_OK },
        { "Scroll", ip->Scroll(SIZE{ 1, 1 }), E_NOTIMPL },
        { "DiscardUndoState", ip->DiscardUndoState(), E_NOTIMPL },
        { "DeactivateAndUndo", ip->DeactivateAndUndo(), E_NOTIMPL },
        { "OnPosRectChange", ip->OnPosRectChange(&rcPos), E_NOTIMPL },
        { "RequestUIActivate", ip->RequestUIActivate(), S_OK },
        { "ScrollRect", ip->ScrollRect(1, 1, &rcPos, &rcPos), S_OK },
        { "AdjustRect", ip->AdjustRect(&rcPos), S_OK },
        { "ContextSensitiveHelp", ip->ContextSensitiveHelp(TRUE), S_OK },
        { "GetCapture", ip->GetCapture(), S_FALSE },
        { "SaveObject", site->SaveObject(), E_NOTIMPL },
        { "OnShowWindow", site->OnShowWindow(TRUE), E_NOTIMPL },
        { "RequestNewObjectLayout", site->RequestNewObjectLayout(), E_NOTIMPL },
    };
    for (const Answer& a : answers)
        EXPECT_EQ(a.want, a.got) << a.call;

    frame->Release();
    ip->Release();
}

TEST_F(ActiveXSite, ContainerEnumeratesTheOneHostedObject)
{
    IOleContainer* container = NULL;
    ASSERT_EQ(S_OK, site->GetContainer(&container));
    ASSERT_NE(nullptr, container);
    IEnumUnknown* e = NULL;
    EXPECT_EQ(E_POINTER, container->EnumObjects(OLECONTF_EMBEDDINGS, NULL));
    ASSERT_EQ(S_OK, container->EnumObjects(OLECONTF_EMBEDDINGS, &e));

    IOleObject* pObj = NULL;
    ax->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObj));
    IUnknown* objIdentity = NULL;
    pObj->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&objIdentity));

    // A null fetched count is allowed when one element is asked for.
    IUnknown* got = NULL;
    ASSERT_EQ(S_OK, e->Next(1, &got, NULL));
    ASSERT_NE(nullptr, got);
    IUnknown* gotIdentity = NULL;
    got->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&gotIdentity));
    EXPECT_EQ(objIdentity, gotIdentity);
    gotIdentity->Release();
    got->Release();
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, e->Next(1, &got, &fetched));
    EXPECT_EQ(0u, fetched);

    // Asked for more than there is: the one object, and S_FALSE.
    e->Reset();
    IUnknown* several[3] = { NULL, NULL, NULL };
    EXPECT_EQ(S_FALSE, e->Next(3, several, &fetched));
    EXPECT_EQ(1u, fetched);
    ASSERT_NE(nullptr, several[0]);
    several[0]->Release();
    e->Reset();
    EXPECT_EQ(S_OK, e->Skip(1));
    EXPECT_EQ(S_FALSE, e->Next(1, &got, &fetched));
    IEnumUnknown* clone = NULL;
    EXPECT_EQ(E_NOTIMPL, e->Clone(&clone));

    e->Release();
    objIdentity->Release();
    pObj->Release();
    container->Release();
}

// Once the control let go of its site, every call a kept site pointer makes
// answers E_UNEXPECTED.
TEST_F(ActiveXSite, EveryCallAfterTheControlLetGoIsUnexpected)
{
    IOleInPlaceSiteWindowless* ip = Part<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
    IOleControlSite* cs = Part<IOleControlSite>(IID_IOleControlSite);
    IOleContainer* oc = Part<IOleContainer>(IID_IOleContainer);
    HWND hChild = ax->GetHostWindow();
    ASSERT_NE(nullptr, hChild);
    // A frame the object could keep past the control.
    IOleInPlaceFrame* keptFrame = NULL;
    IOleInPlaceUIWindow* keptDoc = NULL;
    RECT rcFrame, rcClip;
    OLEINPLACEFRAMEINFO frameInfo;
    ZeroMemory(&frameInfo, sizeof(frameInfo));
    ASSERT_EQ(S_OK, ip->GetWindowContext(&keptFrame, &keptDoc, &rcFrame, &rcClip, &frameInfo));

    static_cast<CContainerUI*>(host.pm.GetRoot())->Remove(ax);
    host.Update();
    ax = nullptr;
    EXPECT_FALSE(::IsWindow(hChild));

    HWND hWnd = NULL;
    HDC hDC = NULL;
    RECT rc = { 0, 0, 1, 1 };
    LRESULT lRes = 0;
    IOleInPlaceFrame* frame = NULL;
    IOleInPlaceUIWindow* doc = NULL;
    OLEINPLACEFRAMEINFO info;
    IDispatch* disp = NULL;
    IEnumUnknown* e = NULL;
    struct Answer
    {
        const char* call;
        HRESULT got;
    } answers[] = {
        { "GetWindow", ip->GetWindow(&hWnd) },
        { "GetCapture", ip->GetCapture() },
        { "SetCapture", ip->SetCapture(TRUE) },
        { "GetFocus", ip->GetFocus() },
        { "SetFocus", ip->SetFocus(TRUE) },
        { "GetDC", ip->GetDC(&rc, 0, &hDC) },
        { "ReleaseDC", ip->ReleaseDC(NULL) },
        { "InvalidateRect", ip->InvalidateRect(&rc, FALSE) },
        { "InvalidateRgn", ip->InvalidateRgn(NULL, FALSE) },
        { "OnDefWindowMessage", ip->OnDefWindowMessage(WM_NULL, 0, 0, &lRes) },
        { "OnInPlaceActivateEx", ip->OnInPlaceActivateEx(NULL, 0) },
        { "GetWindowContext", ip->GetWindowContext(&frame, &doc, &rc, &rc, &info) },
        { "ShowObject", site->ShowObject() },
        { "GetExtendedControl", cs->GetExtendedControl(&disp) },
        { "EnumObjects", oc->EnumObjects(0, &e) },
    };
    for (const Answer& a : answers)
        EXPECT_EQ(E_UNEXPECTED, a.got) << a.call;
    EXPECT_EQ(nullptr, hWnd);
    EXPECT_EQ(nullptr, hDC);
    EXPECT_EQ(nullptr, frame);
    EXPECT_EQ(nullptr, e);
    HWND hFrame = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_UNEXPECTED, keptFrame->GetWindow(&hFrame));
    EXPECT_EQ(nullptr, hFrame);
    keptFrame->Release();

    oc->Release();
    cs->Release();
    ip->Release();
}

} // namespace
