// The please-wait dialog: a borderless card with a working message and a
// trail of one to three dots that advances once a second, until the window
// that opened it sends WM_CLOSE_EXECUTE_PROMPT. It has no other way to end:
// no button, and Esc, Enter and close requests are ignored.
#pragma once
#include <atomic>
#include <string>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "ui/DrawStatic.h"

class CExecutePromptDlg : public CDialog {
public:
    explicit CExecutePromptDlg(HWND hParent = nullptr);
    ~CExecutePromptDlg() override;

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }

    // Ends the dialog from any thread; a request that comes before the dialog
    // is up ends it as soon as it is.
    void RequestClose();

    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    void LayoutControls(bool first);
    bool EnsureBackground();
    void ApplyCardRegion();
    void OnEraseBackground(HDC hDC);

    bool m_bInitialised = false;
    Gdiplus::GpImage* m_pBkImage = nullptr;   // PNG 135, owned; shared with the static
    CDrawStateInfoStatic m_staticText;
    std::wstring m_strMessage;
    int m_nLayoutMode = 2;
    CBrushObj m_brCard;                       // the card's own colour, under its rim
    std::atomic<bool> m_bCloseRequested{false};
    std::atomic<HWND> m_hWndShown{nullptr};
};
