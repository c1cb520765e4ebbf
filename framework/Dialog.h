// Dialog base: modal run with its own message loop (so PreTranslateMessage sees
// every message and messages sent from other threads are dispatched), modeless
// creation, OnOK/OnCancel, and the owner choice for a dialog without a parent.
// The dialog owns the window it makes: the window goes at the end of the
// modal run, with EndDialog of a modeless dialog, or with the object.
#pragma once
#include "base/Handles.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    // Options of a dialog.
    enum : UINT {
        kSwallowEscEnter = 1,   // Esc and Enter key-downs do nothing (no default button, no cancel)
    };

    CDialog(UINT nIdTemplate, HWND hParent = nullptr, UINT options = 0);
    ~CDialog() override;

    // The result EndDialog gave, or -1 when the window could not be made.
    INT_PTR DoModal();
    [[nodiscard]] bool Create(UINT nIdTemplate, HWND hParent);   // modeless
    void EndDialog(INT_PTR nResult);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void DoDataExchange() {}
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // The application's main window: owner of every modal dialog that is run
    // without a parent.
    static void SetMainWindow(HWND hWnd) { s_hMainWnd = hWnd; }
    static HWND GetMainWindow() { return s_hMainWnd; }

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // A dialog that overrides this calls it: the window it owned is gone.
    void PostNcDestroy() override;

    UINT m_nIdTemplate;
    HWND m_hParent;

private:
    static INT_PTR CALLBACK DlgProc(HWND, UINT, WPARAM, LPARAM);
    HWND ChooseOwner() const;
    void RunModalLoop();
    void CenterOver(HWND hOwner);

    UINT m_nOptions;
    CWindowHandle m_window;  // from WM_INITDIALOG until the window is destroyed
    RECT m_rcCreated{};      // window rectangle before OnInitDialog
    bool m_bInModal = false;
    bool m_bEndModal = false;
    bool m_bHandActivation = false;   // it was active when it ended: activation goes on at the run's end
    INT_PTR m_nResult = -1;
    static HWND s_hMainWnd;
};
