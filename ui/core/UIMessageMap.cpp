#include "UIMessageMap.h"

#include "UIControl.h"

#include <wchar.h>

namespace SkinUI {

UI_BASE_BEGIN_MESSAGE_MAP(CNotifyPump)
UI_END_MESSAGE_MAP()

CNotifyPump::CNotifyPump() : m_VirtualWndMap(83)
{
}

CNotifyPump::~CNotifyPump()
{
    // The sub-pumps belong to their creators.
    m_VirtualWndMap.RemoveAll();
}

bool CNotifyPump::AddVirtualWnd(LPCTSTR pstrName, CNotifyPump* pObject)
{
    if (pstrName == NULL || pstrName[0] == L'\0' || pObject == NULL)
        return false;
    if (m_VirtualWndMap.Find(pstrName, false) != NULL)
        return false;
    return m_VirtualWndMap.Insert(pstrName, pObject);
}

bool CNotifyPump::RemoveVirtualWnd(LPCTSTR pstrName)
{
    if (pstrName == NULL)
        return false;
    return m_VirtualWndMap.Remove(pstrName);
}

const UIMsgMapEntry* CNotifyPump::FindMapEntry(const UIMsgMapEntry* lpEntries, const UINotify& msg)
{
    if (lpEntries == NULL)
        return NULL;
    // A queued notification whose sender went away arrives without one.
    CUIString sCtrlName;
    if (msg.pSender != NULL)
        sCtrlName = msg.pSender->GetName();

    const UIMsgMapEntry* pTypeEntry = NULL;
    for (const UIMsgMapEntry* pEntry = lpEntries; pEntry->nSig != UISigEnd; ++pEntry) {
        if (pEntry->sMsgType.Compare(msg.sType) != 0)
            continue;
        if (pEntry->sCtrlName.IsEmpty())
            pTypeEntry = pEntry;
        else if (!sCtrlName.IsEmpty() && pEntry->sCtrlName.Compare(sCtrlName) == 0)
            return pEntry;
    }
    return pTypeEntry;
}

bool CNotifyPump::DispatchByMap(UINotify& msg)
{
    for (const UIMsgMap* pMap = GetMessageMap(); pMap != NULL;
         pMap = pMap->pfnGetBaseMap != NULL ? pMap->pfnGetBaseMap() : NULL) {
        const UIMsgMapEntry* pEntry = FindMapEntry(pMap->lpEntries, msg);
        if (pEntry == NULL)
            continue;
        switch (pEntry->nSig) {
        case UISigParams:
            (this->*(pEntry->pfn.pfnParams))(msg.wParam, msg.lParam);
            return true;
        case UISigNotify:
            (this->*(pEntry->pfn.pfnNotify))(msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}

void CNotifyPump::RouteNotify(UINotify& msg)
{
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            const wchar_t* key = m_VirtualWndMap.GetKeyAt(i);
            if (key == NULL || _wcsicmp(key, msg.sVirtualWnd) != 0)
                continue;
            CNotifyPump* pObject = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pObject != NULL && pObject->DispatchByMap(msg))
                return;
        }
    }
    DispatchByMap(msg);
}

} // namespace SkinUI
