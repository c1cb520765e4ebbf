// The prompt box: a borderless, per-pixel-alpha background window showing
// the card with its soft shadow, and above it the content window (title
// strip, message, close button, one or two buttons) that the user drags.
// DoModal returns IDOK for the first button ("是" / "确定"), IDCANCEL for the
// second or the close button. Esc and Enter do nothing.
#pragma once
#include <string>

#include "framework/Dialog.h"
#include "framework/Gdi.h"

#define WM_PROMPT_RESULT (WM_USER + 504)   // 0x5F8: content window → box; wParam 1 first, 2 second

class CPromptChildDlg;

class CPromptDlg : public CDialog {
public:
    explicit CPromptDlg(HWND hParent = nullptr);
    ~CPromptDlg() override;

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

    // The content window was dragged to rc (screen): the background goes
    // around it and stops driving it from now on.
    void FollowContent(const RECT& rc);

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    bool PaintLayered(int w, int h);
    void HideContent();

    Gdiplus::GpImage* m_pBkImage = nullptr;   // PNG 136, owned
    std::wstring m_strMessage;
    int m_nPromptType = 1;
    bool m_bFollow = true;
    CPromptChildDlg* m_pContent = nullptr;    // owned
};
