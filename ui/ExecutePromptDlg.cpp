// First version of the please-wait dialog: the message in the template's static.
#include "ui/ExecutePromptDlg.h"

#include "res/resource.h"
#include "system/RepairWorker.h"

CExecutePromptDlg::CExecutePromptDlg(HWND hParent) : CDialog(IDD_EXECUTE_PROMPT, hParent) {}

void CExecutePromptDlg::RequestClose()
{
    m_bCloseRequested = true;
    if (HWND h = m_hWndShown.load())
        ::SendMessageW(h, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
}

BOOL CExecutePromptDlg::OnInitDialog()
{
    const int w = static_cast<int>(476 * m_fScale), h = static_cast<int>(289 * m_fScale);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    std::wstring text = m_strMessage.size() >= 2 ? m_strMessage : L"正在修复，请稍等";
    ::SetDlgItemTextW(m_hWnd, IDC_STATIC_EXECUTE, text.c_str());
    m_hWndShown = m_hWnd;
    if (m_bCloseRequested)
        OnOK();
    return TRUE;
}

BOOL CExecutePromptDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CExecutePromptDlg::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_CLOSE_EXECUTE_PROMPT:
        OnOK();
        return 0;
    case WM_CLOSE:
        return 0;   // only the close request ends it
    case WM_COMMAND:
        if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)
            return 0;
        break;
    case WM_DESTROY:
        m_hWndShown = nullptr;
        break;
    }
    return CDialog::WindowProc(msg, w, l);
}
