// The test-only ActiveX control DLL (mockocx.dll) as its tests see it: the
// classes it serves through DllGetClassObject (nothing is registered; the
// hosts load it by "modulename"), the behaviour switches, and the record of
// every call the hosts make into it.
//
//   kClsidMockControl  a plain OLE control, windowless or windowed
//   the WebBrowser CLSID  a browser with a few IWebBrowser2 calls, an event
//                      connection point and an HTML document
//   the Flash CLSID    a Flash control with its event connection point
#pragma once

#include <windows.h>
#include <ole2.h>

// {4D6F636B-4F43-5800-8000-00AA00BBCC01}
const CLSID kClsidMockControl = { 0x4D6F636B, 0x4F43, 0x5800, { 0x80, 0x00, 0x00, 0xAA, 0x00, 0xBB, 0xCC, 0x01 } };

// Behaviour switches (MockOcxState::flags), read when an object is created.
enum MockFlags
{
    MockWindowless = 0x1,          // asks the site for windowless activation
    MockInvisibleAtRuntime = 0x2,  // OLEMISC_INVISIBLEATRUNTIME
    MockInitNewFails = 0x4,        // IPersistStreamInit::InitNew answers E_FAIL
    MockSetClientSiteFirst = 0x8,  // OLEMISC_SETCLIENTSITEFIRST
    MockNoViewObject = 0x10,       // no IViewObject at all
    MockNoViewObjectEx = 0x20,     // IViewObject2 but no IViewObjectEx
    MockFactoryFails = 0x40,       // DllGetClassObject refuses the class
    MockKeepsSite = 0x80,          // keeps one site reference (in keptSite) past SetClientSite(NULL)
    MockCaptureOnPress = 0x100,    // takes the site's capture on WM_LBUTTONDOWN, gives it up on WM_LBUTTONUP
    MockNoUIActivate = 0x200,      // OLEMISC_NOUIACTIVATE
    MockObjectWithSite = 0x400,    // answers IObjectWithSite
    MockRunnable = 0x800,          // answers IRunnableObject (LockRunning is counted)
    MockErrorReadsFail = 0x1000,   // the document's event object knows no property
    MockNoDocument = 0x2000,       // the browser has no document
    MockNoInPlaceObject = 0x4000,  // answers neither in-place object interface
};

// A test's code run inside one of the object's calls ("DoVerb" with the
// verb, "OnWindowMessage" with the message), before the object acts on it.
typedef void(__cdecl* MockCallHook)(const char* call, long value, void* context);

struct MockOcxState
{
    unsigned flags;
    RECT hitRect;                 // QueryHitPoint hits inside (paint-window coordinates)
    COLORREF drawColor;           // IViewObject::Draw fills its bounds with it
    LONG liveObjects;             // controls, browsers and Flash controls alive
    LONG liveDocuments;           // documents, their windows and event objects alive
    LONG created;                 // objects created so far
    LONG lockRunning;             // LockRunning(TRUE) minus LockRunning(FALSE)
    IOleClientSite* keptSite;     // MockKeepsSite: one reference, the test releases it
    IDispatch* sink;              // the event sink connected last (one reference)
    IUnknown* uiHandler;          // the last UI handler a document was given (the document holds it)
    LONG staleHandlerCalls;       // calls a document made on a UI handler kept past its browser's Close
    HWND window;                  // the windowed object's own child window
    HACCEL accel;                 // the accelerator table of the last window context
    MockCallHook hook;            // run inside DoVerb and OnWindowMessage when set
    void* hookContext;
    LONG destroyedInCall;         // objects freed while one of their own calls was running
    int navigations;
    wchar_t lastNavigation[512];
    char log[32768];              // one call per line
};

// The DLL's exports besides DllGetClassObject.
typedef MockOcxState*(__cdecl* MockOcxGetStateFn)();
typedef void(__cdecl* MockOcxResetFn)();
typedef IUnknown*(__cdecl* MockOcxNewDocumentFn)();
// The document asks its UI handler something (UpdateUI), as pages do at any
// time: S_FALSE without a handler; a handler its host did not take back
// before it closed the browser is not called, but counted (E_UNEXPECTED).
typedef HRESULT(__cdecl* MockOcxDocumentCallsHandlerFn)(IUnknown* document);
