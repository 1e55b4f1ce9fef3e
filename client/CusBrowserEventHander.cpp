// CCusBrowserEventHander: the client's reactions to its pages' browser events.
#include "CusBrowserEventHander.h"

#include <wininet.h>

#include <stdlib.h>

#include "Endpoints.h"

using SkinUI::CUIString;
using SkinUI::CWebBrowserUI;

namespace {

// The URL text of an event argument, following by-reference variants.
CUIString UrlOf(const VARIANT* v)
{
    for (int depth = 0; v != NULL && v->vt == (VT_BYREF | VT_VARIANT) && depth < 4; ++depth)
        v = v->pvarVal;
    if (v == NULL)
        return CUIString();
    if (v->vt == VT_BSTR)
        return CUIString(v->bstrVal);
    if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal != NULL)
        return CUIString(*v->pbstrVal);
    return CUIString();
}

// The service's own pages: its domain (with the leading dot) or the short
// web host anywhere in the URL.
bool IsServiceUrl(const CUIString& sUrl)
{
    return sUrl.Find(TEVELA_SERVICE_DOMAIN) >= 0 || sUrl.Find(TEVELA_SHORT_WEB_HOST) >= 0;
}

// The entry of the URL cache at pEntry, grown to the size the last call asked
// for; false when the buffer cannot be had.
bool GrowEntry(LPINTERNET_CACHE_ENTRY_INFOW& pEntry, DWORD& cbAllocated, DWORD cbNeeded)
{
    if (cbNeeded < sizeof(INTERNET_CACHE_ENTRY_INFOW))
        cbNeeded = sizeof(INTERNET_CACHE_ENTRY_INFOW);
    if (pEntry != NULL && cbAllocated >= cbNeeded)
        return true;
    void* pNew = realloc(pEntry, cbNeeded);
    if (pNew == NULL)
        return false;
    pEntry = static_cast<LPINTERNET_CACHE_ENTRY_INFOW>(pNew);
    cbAllocated = cbNeeded;
    return true;
}

// Hands the kept text over once: a repeated message finds nothing pending.
bool TakeOnce(bool& bPending, CUIString& kept, CUIString& out)
{
    if (!bPending)
        return false;
    bPending = false;
    out = kept;
    kept.Empty();
    return true;
}

} // namespace

CCusBrowserEventHander::CCusBrowserEventHander(CWebBrowserUI* pBrowser, IBrowserFrame* pMainFrame)
    : m_pBrowser(pBrowser), m_pMainFrame(pMainFrame), m_bForward(false), m_bBack(false), m_bUrlPending(false),
      m_bTitlePending(false)
{
}

bool CCusBrowserEventHander::TakePendingUrl(CUIString& url)
{
    return TakeOnce(m_bUrlPending, m_PendingUrl, url);
}

bool CCusBrowserEventHander::TakePendingTitle(CUIString& title)
{
    return TakeOnce(m_bTitlePending, m_PendingTitle, title);
}

CWebBrowserUI* CCusBrowserEventHander::GetBrowser() const
{
    return m_pBrowser;
}

bool CCusBrowserEventHander::GetForwardState() const
{
    return m_bForward;
}

bool CCusBrowserEventHander::GetBackState() const
{
    return m_bBack;
}

void CCusBrowserEventHander::BeforeNavigate2(IDispatch*, VARIANT*& url, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                                             VARIANT_BOOL*& Cancel)
{
    const CUIString sUrl = UrlOf(url);
    if (sUrl.Find(L"javascript:;") >= 0) {
        if (Cancel != NULL)
            *Cancel = VARIANT_TRUE;
        return;
    }
    if (sUrl == L"javascript://") {
        if (Cancel != NULL)
            *Cancel = VARIANT_TRUE;
        if (m_pMainFrame != NULL)
            ::SendMessageW(m_pMainFrame->GetFrameWindow(), WM_CLOSE_BROWSER_PAGE,
                           reinterpret_cast<WPARAM>(m_pBrowser), 0);
    }
}

void CCusBrowserEventHander::NewWindow3(IDispatch**, VARIANT_BOOL*& Cancel, DWORD, BSTR, BSTR bstrUrl)
{
    const CUIString sUrl(bstrUrl);
    if (!IsServiceUrl(sUrl))
        return;
    if (Cancel != NULL)
        *Cancel = VARIANT_TRUE;
    if (m_pMainFrame == NULL)
        return;
    // The frame takes the URL from here while the message is handled.
    m_PendingUrl = sUrl;
    m_bUrlPending = true;
    ::SendMessageW(m_pMainFrame->GetFrameWindow(), WM_OPEN_URL_IN_NEW_TAB, reinterpret_cast<WPARAM>(m_pBrowser), 0);
    m_bUrlPending = false;
    m_PendingUrl.Empty();
}

void CCusBrowserEventHander::CommandStateChange(long Command, VARIANT_BOOL Enable)
{
    const bool bOn = (Enable == VARIANT_TRUE);
    UINT uMsg = 0;
    switch (Command) {
    case CSC_NAVIGATEBACK:
        if (bOn == m_bBack)
            return;
        m_bBack = bOn;
        uMsg = WM_BROWSER_BACK_STATE;
        break;
    case CSC_NAVIGATEFORWARD:
        if (bOn == m_bForward)
            return;
        m_bForward = bOn;
        uMsg = WM_BROWSER_FORWARD_STATE;
        break;
    case CSC_UPDATECOMMANDS:
        DeleteCachedSwfFiles();
        return;
    default:
        return;
    }
    // A page that is not selected only records its state; the frame applies
    // it when the page is selected.
    if (m_pMainFrame != NULL && m_pMainFrame->GetCurrentBrowser() == m_pBrowser)
        ::PostMessageW(m_pMainFrame->GetFrameWindow(), uMsg, bOn ? 1 : 0, 0);
}

void CCusBrowserEventHander::TitleChange(BSTR bstrTitle)
{
    if (m_pMainFrame == NULL)
        return;
    m_PendingTitle = bstrTitle != NULL ? bstrTitle : L"";
    m_bTitlePending = true;
    ::SendMessageW(m_pMainFrame->GetFrameWindow(), WM_BROWSER_TITLE_CHANGED, reinterpret_cast<WPARAM>(m_pBrowser), 0);
    m_bTitlePending = false;
    m_PendingTitle.Empty();
}

// The walk ends at the first call that fails for any reason other than a
// buffer that is too small; entries without a source URL are skipped.
void CCusBrowserEventHander::DeleteCachedSwfFiles()
{
    LPINTERNET_CACHE_ENTRY_INFOW pEntry = NULL;
    DWORD cbAllocated = 0;
    DWORD cbNeeded = 0;
    HANDLE hFind = ::FindFirstUrlCacheEntryW(NULL, NULL, &cbNeeded);
    if (hFind == NULL && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && GrowEntry(pEntry, cbAllocated, cbNeeded)) {
        cbNeeded = cbAllocated;
        hFind = ::FindFirstUrlCacheEntryW(NULL, pEntry, &cbNeeded);
    }
    if (hFind == NULL) {
        free(pEntry);
        return;
    }
    for (;;) {
        const wchar_t* pstrUrl = pEntry->lpszSourceUrlName;
        if (pstrUrl != NULL) {
            const CUIString sUrl(pstrUrl);
            if (sUrl.Find(TEVELA_STATIC_HOST) >= 0 && sUrl.Find(L".swf") >= 0)
                ::DeleteUrlCacheEntryW(pstrUrl);   // an entry in use stays; the walk goes on
        }
        cbNeeded = cbAllocated;
        if (::FindNextUrlCacheEntryW(hFind, pEntry, &cbNeeded))
            continue;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || !GrowEntry(pEntry, cbAllocated, cbNeeded))
            break;
        cbNeeded = cbAllocated;
        if (!::FindNextUrlCacheEntryW(hFind, pEntry, &cbNeeded))
            break;
    }
    ::FindCloseUrlCache(hFind);
    free(pEntry);
}
