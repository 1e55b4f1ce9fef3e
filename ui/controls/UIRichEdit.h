// The rich edit: a multi-line, optionally rich-text edit control without a
// window of its own. CRichEditUI hosts the platform's windowless text engine
// (the text services of msftedit.dll) through CTxtWinHost, its ITextHost:
// it paints the engine into the paint manager's DC, feeds it the window's
// mouse, keyboard and IME messages through a message filter, and maps the
// engine's scroll-bar requests onto the container's own scroll bars.
#ifndef SKINUI_UIRICHEDIT_H
#define SKINUI_UIRICHEDIT_H

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include "UIContainer.h"
#include "UIManager.h"

namespace SkinUI {

class CTxtWinHost;

// Makes a text engine for a host, in the shape of msftedit's
// CreateTextServices. The default (NULL) loads msftedit.dll.
typedef HRESULT (WINAPI* UICreateTextServicesFn)(IUnknown* punkOuter, ITextHost* pITextHost, IUnknown** ppUnk);

class CRichEditUI : public CContainerUI, public IMessageFilterUI, public IWantTabUI
{
    friend class CTxtWinHost;

public:
    CRichEditUI();
    virtual ~CRichEditUI();

    virtual LPCTSTR GetClassName() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetInputFlags() const;
    virtual CUIString GetText() const;
    virtual void SetText(LPCTSTR pstrText);
    virtual void SetPos(RECT rc);
    virtual void OnInit();
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual CUISize MeasureSize(SIZE szAvailable);
    virtual void Paint(HDC hDC, const RECT& rcPaint);

    virtual void SetScrollPos(SIZE szPos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void ScrollToLeft();
    virtual void ScrollToRight();

    // Without a host: S_FALSE. Enter that the control does not want is not
    // passed on but sent as the notification "return".
    virtual HRESULT SendTextMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plresult);
    virtual bool OnTextViewChange();
    virtual void OnTextNotify(DWORD iNotify, void* pv);

    // IWantTabUI: the manager asks before it moves the focus with Tab.
    virtual bool IsWantTab() const;
    void SetWantTab(bool bWantTab = true);
    bool IsWantReturn() const;
    void SetWantReturn(bool bWantReturn = true);
    bool IsWantCtrlReturn() const;
    void SetWantCtrlReturn(bool bWantCtrlReturn = true);
    bool IsRich() const;
    void SetRich(bool bRich = true);
    bool IsReadOnly() const;
    int GetFont() const;
    void SetFont(int index);
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    int GetLimitText() const;
    // The edit and window style bits the host is created with.
    LONG GetHostStyle() const;
    long GetTextLength(DWORD dwFlags = GTL_DEFAULT);
    LRESULT SetSel(long nStartChar, long nEndChar);
    void ReplaceSel(LPCTSTR lpszNewText, bool bCanUndo);
    // True once the text engine exists.
    bool HasHost() const;

    // IMessageFilterUI: the window's messages before the manager's own handling.
    virtual LRESULT FilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    // Replaces the text engine of hosts created from now on (NULL: msftedit).
    static void SetTextServicesFactory(UICreateTextServicesFn pfnCreate);

protected:
    // The natural text height for the current client rectangle; false when
    // the engine cannot tell (then the text counts as fitting).
    bool MeasureNaturalHeight(const RECT& rcText, LONG* pHeight);
    // Puts a selection the engine reports outside the text back inside it.
    void KeepSelectionInText();

    CTxtWinHost* m_pTwh;
    bool m_bVScrollBarFixing;
    bool m_bWantTab;
    bool m_bWantReturn;
    bool m_bWantCtrlReturn;
    bool m_bRich;
    bool m_bReadOnly;
    DWORD m_dwTextColor;
    int m_iFont;
    int m_iLimitText;
    LONG m_lTwhStyle;
    bool m_bInited;
    // Set while SetPos talks to the engine: bars the engine shows or hides
    // then are placed by that SetPos itself.
    bool m_bInSetPos;
};

} // namespace SkinUI

#endif // SKINUI_UIRICHEDIT_H
