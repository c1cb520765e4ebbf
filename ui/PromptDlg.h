// The prompt box: a background window that carries the content window with
// the message and one or two buttons. DoModal returns IDOK for the first
// button ("是" / "确定"), IDCANCEL for the second or the close button.
#pragma once
#include <string>

#include "framework/Dialog.h"

#define WM_PROMPT_RESULT (WM_USER + 504)   // 0x5F8: content window → box; wParam 1 first, 2 second

class CPromptChildDlg;

class CPromptDlg : public CDialog {
public:
    explicit CPromptDlg(HWND hParent = nullptr);
    ~CPromptDlg() override;

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    std::wstring m_strMessage;
    int m_nPromptType = 1;
    CPromptChildDlg* m_pContent = nullptr;
};

class CPromptChildDlg : public CDialog {
public:
    CPromptChildDlg();
    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    std::wstring m_strMessage;
    int m_nPromptType = 1;
};
