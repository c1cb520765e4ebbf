// The please-wait dialog: shows a working message until the window that
// opened it sends WM_CLOSE_EXECUTE_PROMPT. It has no other way to end.
#pragma once
#include <atomic>
#include <string>

#include "framework/Dialog.h"

class CExecutePromptDlg : public CDialog {
public:
    explicit CExecutePromptDlg(HWND hParent = nullptr);

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }

    // Ends the dialog from any thread; a request that comes before the dialog
    // is up ends it as soon as it is.
    void RequestClose();

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    std::wstring m_strMessage;
    int m_nLayoutMode = 2;
    std::atomic<bool> m_bCloseRequested{false};
    std::atomic<HWND> m_hWndShown{nullptr};
};
