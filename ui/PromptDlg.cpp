// First version of the prompt box: plain windows with the message and the
// type's buttons; the skin comes with the prompt dialogs' own work.
#include "ui/PromptDlg.h"

#include "res/resource.h"

namespace {
bool IsEscOrEnter(const MSG* m)
{
    return m->message == WM_KEYDOWN && (m->wParam == VK_ESCAPE || m->wParam == VK_RETURN);
}
}  // namespace

CPromptDlg::CPromptDlg(HWND hParent) : CDialog(IDD_PROMPT, hParent) {}

CPromptDlg::~CPromptDlg()
{
    delete m_pContent;
}

BOOL CPromptDlg::OnInitDialog()
{
    const int w = static_cast<int>(476 * m_fScale), h = static_cast<int>(289 * m_fScale);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    RECT rc = GetWindowRect();
    m_pContent = new CPromptChildDlg();
    m_pContent->m_fScale = m_fScale;
    m_pContent->SetMessage(m_strMessage);
    m_pContent->SetPromptType(m_nPromptType);
    m_pContent->Create(IDD_PROMPT_CHILD, m_hWnd);
    ::SetWindowPos(*m_pContent, nullptr, static_cast<int>(rc.left + 19 * m_fScale),
                   static_cast<int>(rc.top + 14 * m_fScale), static_cast<int>((rc.right - rc.left) - 38 * m_fScale),
                   static_cast<int>((rc.bottom - rc.top) - 38 * m_fScale), SWP_NOZORDER);
    ::ShowWindow(*m_pContent, SW_SHOW);
    return TRUE;
}

BOOL CPromptDlg::PreTranslateMessage(MSG* pMsg)
{
    return IsEscOrEnter(pMsg) ? TRUE : CDialog::PreTranslateMessage(pMsg);
}

LRESULT CPromptDlg::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_PROMPT_RESULT:
        if (w == 1)
            OnOK();
        else
            OnCancel();
        return 0;
    case WM_MOVE:
        Default();
        if (m_pContent && m_pContent->m_hWnd) {
            RECT rc = GetWindowRect();
            ::SetWindowPos(*m_pContent, nullptr, rc.left + static_cast<int>(19 * m_fScale),
                           rc.top + static_cast<int>(14 * m_fScale), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_CLOSE:
        OnCancel();
        return 0;
    }
    return CDialog::WindowProc(msg, w, l);
}

CPromptChildDlg::CPromptChildDlg() : CDialog(IDD_PROMPT_CHILD) {}

BOOL CPromptChildDlg::OnInitDialog()
{
    const bool yesNo = !(m_nPromptType == 3 || m_nPromptType == 4);
    const bool second = m_nPromptType == 2 || m_nPromptType == 4;
    HWND first = ::GetDlgItem(m_hWnd, IDC_BTN_PROMPT_FIRST);
    HWND other = ::GetDlgItem(m_hWnd, IDC_BTN_PROMPT_SECOND);
    for (HWND b : {first, other, ::GetDlgItem(m_hWnd, IDC_BTN_PROMPT_CLOSE)})
        ::SetWindowLongW(b, GWL_STYLE, (::GetWindowLongW(b, GWL_STYLE) & ~BS_TYPEMASK) | BS_PUSHBUTTON);
    ::SetWindowTextW(first, yesNo ? L"是" : L"确定");
    ::SetWindowTextW(other, yesNo ? L"否" : L"取消");
    ::ShowWindow(other, second ? SW_SHOW : SW_HIDE);
    ::SetDlgItemTextW(m_hWnd, IDC_STATIC_PROMPT, m_strMessage.c_str());
    return TRUE;
}

BOOL CPromptChildDlg::PreTranslateMessage(MSG* pMsg)
{
    return IsEscOrEnter(pMsg) ? TRUE : CDialog::PreTranslateMessage(pMsg);
}

LRESULT CPromptChildDlg::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
        HWND parent = ::GetWindow(m_hWnd, GW_OWNER);
        switch (LOWORD(w)) {
        case IDC_BTN_PROMPT_CLOSE:
            ::SendMessageW(parent, WM_CLOSE, 0, 0);
            return 0;
        case IDC_BTN_PROMPT_FIRST:
            ::SendMessageW(parent, WM_PROMPT_RESULT, 1, 0);
            return 0;
        case IDC_BTN_PROMPT_SECOND:
            ::SendMessageW(parent, WM_PROMPT_RESULT, 2, 0);
            return 0;
        }
    }
    if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL))
        return 0;   // the content window is ended only by its owner
    return CDialog::WindowProc(msg, w, l);
}
