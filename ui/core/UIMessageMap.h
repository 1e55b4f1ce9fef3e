// Notification message maps. A window class that derives from CNotifyPump
// binds notification types (and optionally control names) to its member
// functions in a static table; the table names its base class's table, so a
// notification the class does not handle reaches the base class's handlers.
//
//   class CMyWnd : public WindowImplBase {
//       UI_DECLARE_MESSAGE_MAP()
//       void OnOk(SkinUI::UINotify& msg);
//   };
//   UI_BEGIN_MESSAGE_MAP(CMyWnd, WindowImplBase)
//       UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_CLICK, L"okbtn", OnOk)
//   UI_END_MESSAGE_MAP()
#ifndef SKINUI_UIMESSAGEMAP_H
#define SKINUI_UIMESSAGEMAP_H

#include <windows.h>

#include "UIBase.h"
#include "UIManager.h"

// Notification types the library's controls send (compared case-sensitively).
#define UI_MSGTYPE_CLICK L"click"
#define UI_MSGTYPE_SELECTCHANGED L"selectchanged"
#define UI_MSGTYPE_TEXTCHANGED L"textchanged"
#define UI_MSGTYPE_SETFOCUS L"setfocus"
#define UI_MSGTYPE_KILLFOCUS L"killfocus"
#define UI_MSGTYPE_WINDOWINIT L"windowinit"
#define UI_MSGTYPE_TIMER L"timer"
#define UI_MSGTYPE_MENU L"menu"

namespace SkinUI {

// The handlers' member-function pointers keep the this-adjustment from the
// CNotifyPump part to the derived object, so the pump must be able to hold
// pointers to members of classes with several bases.
#if defined(_MSC_VER)
class __multiple_inheritance CNotifyPump;
#else
class CNotifyPump;
#endif

typedef void (CNotifyPump::*UIMsgNotifyFn)(UINotify& msg);
typedef void (CNotifyPump::*UIMsgParamFn)(WPARAM wParam, LPARAM lParam);

enum UIMsgSignature
{
    UISigEnd = 0,      // ends the table
    UISigParams = 1,   // handler (wParam, lParam)
    UISigNotify = 2    // handler (UINotify&)
};

union UIMsgHandler
{
    UIMsgNotifyFn pfnNotify;
    UIMsgParamFn pfnParams;
};

struct UIMsgMapEntry
{
    CUIString sMsgType;   // the notification type to match
    CUIString sCtrlName;  // empty = any control
    int nSig;             // UIMsgSignature
    UIMsgHandler pfn;

    // The end entry.
    UIMsgMapEntry() : nSig(UISigEnd) { pfn.pfnNotify = 0; }
    UIMsgMapEntry(LPCTSTR type, LPCTSTR ctrlName, UIMsgNotifyFn fn)
        : sMsgType(type), sCtrlName(ctrlName), nSig(UISigNotify)
    {
        pfn.pfnNotify = fn;
    }
    UIMsgMapEntry(LPCTSTR type, LPCTSTR ctrlName, UIMsgParamFn fn)
        : sMsgType(type), sCtrlName(ctrlName), nSig(UISigParams)
    {
        pfn.pfnParams = fn;
    }
    // An entry with an explicit signature value and a (UINotify&) handler.
    UIMsgMapEntry(LPCTSTR type, LPCTSTR ctrlName, int sig, UIMsgNotifyFn fn)
        : sMsgType(type), sCtrlName(ctrlName), nSig(sig)
    {
        pfn.pfnNotify = fn;
    }
};

struct UIMsgMap;
typedef const UIMsgMap* (*UIMsgMapGetter)();

struct UIMsgMap
{
    UIMsgMapGetter pfnGetBaseMap;     // NULL at the root of the chain
    const UIMsgMapEntry* lpEntries;   // ends with an entry of signature 0
};

// Dispatches notifications through the message maps of the most derived
// class and its bases, optionally through sub-pumps registered under
// virtual-window names first.
class CNotifyPump
{
public:
    CNotifyPump();
    virtual ~CNotifyPump();

    // The class's own map; every class with a message map overrides it.
    virtual const UIMsgMap* GetMessageMap() const;
    static const UIMsgMap* GetThisMessageMap();

    // The entry point: sub-pumps of the notification's virtual window, then
    // this pump's maps. A notification nobody handles is dropped.
    void RouteNotify(UINotify& msg);
    // The first matching entry of the most derived map, else of its bases,
    // handles the notification; false when none does.
    bool DispatchByMap(UINotify& msg);
    // A name-specific entry matching the sender beats the last type-only
    // entry of the type. A notification without a sender has an empty name
    // and so matches only type-only entries.
    static const UIMsgMapEntry* FindMapEntry(const UIMsgMapEntry* lpEntries, const UINotify& msg);

    // Sub-pumps (not owned) for notifications of a virtual window.
    bool AddVirtualWnd(LPCTSTR pstrName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(LPCTSTR pstrName);

private:
    CNotifyPump(const CNotifyPump&);
    CNotifyPump& operator=(const CNotifyPump&);

    CUIStringMap m_VirtualWndMap;   // name -> CNotifyPump*
};

} // namespace SkinUI

// --- declaring maps --------------------------------------------------------
// In the class body (any access section; it leaves the section public).
#define UI_DECLARE_MESSAGE_MAP()                                  \
public:                                                           \
    static const SkinUI::UIMsgMap* GetThisMessageMap();           \
    virtual const SkinUI::UIMsgMap* GetMessageMap() const;

// In one source file. The entries are built once, on the first dispatch.
#define UI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
    const SkinUI::UIMsgMap* theClass::GetMessageMap() const                         \
    {                                                                               \
        return theClass::GetThisMessageMap();                                       \
    }                                                                               \
    const SkinUI::UIMsgMap* theClass::GetThisMessageMap()                           \
    {                                                                               \
        typedef theClass ThisClass;                                                 \
        (void)sizeof(ThisClass*);                                                   \
        static const SkinUI::UIMsgMapGetter s_pfnBaseMap = &baseClass::GetThisMessageMap; \
        static const SkinUI::UIMsgMapEntry s_entries[] = {

// A map without a base map (the root of a chain).
#define UI_BASE_BEGIN_MESSAGE_MAP(theClass)                                         \
    const SkinUI::UIMsgMap* theClass::GetMessageMap() const                         \
    {                                                                               \
        return theClass::GetThisMessageMap();                                       \
    }                                                                               \
    const SkinUI::UIMsgMap* theClass::GetThisMessageMap()                           \
    {                                                                               \
        typedef theClass ThisClass;                                                 \
        (void)sizeof(ThisClass*);                                                   \
        static const SkinUI::UIMsgMapGetter s_pfnBaseMap = 0;                       \
        static const SkinUI::UIMsgMapEntry s_entries[] = {

// type from any control -> void memberFxn(SkinUI::UINotify&)
#define UI_ON_MSGTYPE(msgType, memberFxn)                                           \
    SkinUI::UIMsgMapEntry(msgType, L"", static_cast<SkinUI::UIMsgNotifyFn>(&ThisClass::memberFxn)),

// type from the named control -> void memberFxn(SkinUI::UINotify&)
#define UI_ON_MSGTYPE_CTRNAME(msgType, ctrName, memberFxn)                          \
    SkinUI::UIMsgMapEntry(msgType, ctrName, static_cast<SkinUI::UIMsgNotifyFn>(&ThisClass::memberFxn)),

// type from any control -> void memberFxn(WPARAM, LPARAM)
#define UI_ON_MSGTYPE_PARAMS(msgType, memberFxn)                                    \
    SkinUI::UIMsgMapEntry(msgType, L"", static_cast<SkinUI::UIMsgParamFn>(&ThisClass::memberFxn)),

// type from the named control -> void memberFxn(WPARAM, LPARAM)
#define UI_ON_MSGTYPE_CTRNAME_PARAMS(msgType, ctrName, memberFxn)                   \
    SkinUI::UIMsgMapEntry(msgType, ctrName, static_cast<SkinUI::UIMsgParamFn>(&ThisClass::memberFxn)),

#define UI_END_MESSAGE_MAP()                                                        \
            SkinUI::UIMsgMapEntry()                                                 \
        };                                                                          \
        static const SkinUI::UIMsgMap s_map = { s_pfnBaseMap, &s_entries[0] };      \
        return &s_map;                                                              \
    }

#endif // SKINUI_UIMESSAGEMAP_H
