// CAskDlg: the client's first-start question ("AskDlg\AskDlg.xml"): start with
// Windows? Shown once, without taking the focus, at the bottom-right corner of
// the work area above other windows; it deletes itself when closed.
#ifndef TEVELA_ASKDLG_H
#define TEVELA_ASKDLG_H

#include "ClientDialog.h"
#include "UIOption.h"

class CAskDlg : public CClientDialog
{
public:
    CAskDlg();

    virtual LPCTSTR GetWindowClassName() const;
    virtual void InitWindow();
    virtual SkinUI::CUIString GetSkinFile();

    void PlaceAtWorkAreaCorner();

protected:
    virtual ~CAskDlg();
    virtual void OnWindowDestroyed(HWND hWnd);
    // Start with Windows only.
    virtual void Save();

    SkinUI::COptionUI* m_pBootStart;

private:
    friend bool ShowAskDlg(HWND hWndOwner);
    bool* m_pDestroyed;   // set true when the window is destroyed during Create
};

// Creates the question for the owner window, places it at the work area's
// corner and shows it without activation. True when it shows and an owner
// was given.
bool ShowAskDlg(HWND hWndOwner);

#endif // TEVELA_ASKDLG_H
