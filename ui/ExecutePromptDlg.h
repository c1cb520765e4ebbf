// The please-wait dialog: a borderless card with a working message and a
// trail of one to three dots that advances once a second, until it receives
// WM_CLOSE_EXECUTE_PROMPT (RequestClose). It has no other way to end: no
// button, and Esc, Enter and close requests are ignored.
#pragma once
#include <atomic>
#include <string>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "ui/DrawStatic.h"
#include "ui/UiMessages.h"

class CExecutePromptDlg : public CDialog {
public:
    explicit CExecutePromptDlg(HWND hParent = nullptr);

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }

    // Ends the dialog from any thread; a request that comes before the dialog
    // is up ends it as soon as it is.
    void RequestClose();

    void DoDataExchange() override;
    BOOL OnInitDialog() override;

    float m_fScale = 1.0f;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnEraseBkgnd(HDC hDC) override;
    void OnClose() override {}   // only the close request ends it
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroy() override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

private:
    void LayoutControls(bool first);
    void ApplyCardRegion();

    bool m_bInitialised = false;
    CImageRef m_backgroundImage;              // PNG 135, the process's; shared with the static
    CDrawStateInfoStatic m_staticText;
    std::wstring m_strMessage;
    int m_nLayoutMode = 2;
    CBrushObj m_brCard;                       // the card's own colour, under its rim
    std::atomic<bool> m_bCloseRequested{false};
    std::atomic<HWND> m_hWndShown{nullptr};
};
