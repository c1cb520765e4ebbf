#include "ui/PromptChildDlg.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/PromptLayout.h"
#include "ui/SkinRect.h"

namespace {

template <class Control>
void SetBackgroundPart(Control& b, CImageRef image, const skin::Rect& part)
{
    b.SetBackgroundImage(image);
    b.SetBackgroundRect(part.left, part.top, part.right, part.bottom);
}

}  // namespace

CPromptChildDlg::CPromptChildDlg() : CDialog(IDD_PROMPT_CONTENT, nullptr, kSwallowEscEnter) {}

void CPromptChildDlg::DoDataExchange()
{
    m_btnClose.SubclassDlgItem(IDC_BTN_PROMPT_CLOSE, m_hWnd);
    m_btnFirst.SubclassDlgItem(IDC_BTN_PROMPT_FIRST, m_hWnd);
    m_btnSecond.SubclassDlgItem(IDC_BTN_PROMPT_SECOND, m_hWnd);
    m_staticMessage.SubclassDlgItem(IDC_STATIC_PROMPT, m_hWnd);
}

BOOL CPromptChildDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(m_strMessage);
    m_backgroundImage = SharedPng(IDB_PNG_PROMPT_CONTENT);
    if (m_backgroundImage) {
        LayoutControls(true);
        m_bInitialised = true;
    }
    return TRUE;
}

void CPromptChildDlg::LayoutControls(bool first)
{
    const float s = m_fScale;
    const prompt::ContentLayout l = prompt::LayOutContent(ToRect(GetClientRect()), s);
    const prompt::ButtonPlan plan = prompt::PlanForType(m_nPromptType);

    if (first) {
        m_btnClose.m_fScale = s;
        SetBackgroundPart(m_btnClose, m_backgroundImage, prompt::CloseBackgroundPart());
        m_btnClose.LoadStateImages(IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED,
                                   IDB_PNG_CLOSE_DISABLED);
        SetBackgroundPart(m_btnFirst, m_backgroundImage, prompt::FirstBackgroundPart());
        SetBackgroundPart(m_btnSecond, m_backgroundImage, prompt::SecondBackgroundPart());
        m_btnFirst.LoadStateImages(plan.first.normal, plan.first.hover, plan.first.pressed, plan.first.disabled);
        m_btnSecond.LoadStateImages(plan.second.normal, plan.second.hover, plan.second.pressed,
                                    plan.second.disabled);
    }
    m_btnClose.MoveWindow(ToRECT(l.close));
    m_btnFirst.MoveWindow(ToRECT(plan.firstCentred ? l.firstCentred : l.first));
    m_btnSecond.MoveWindow(ToRECT(l.second));
    if (first) {
        m_btnFirst.SetWindowText(plan.firstText);
        m_btnSecond.SetWindowText(plan.secondText);
    }
    ::ShowWindow(m_btnFirst, SW_SHOW);
    ::ShowWindow(m_btnSecond, plan.secondShown ? SW_SHOW : SW_HIDE);

    if (first) {
        m_staticMessage.SetTextColor(RGB(255, 255, 255));
        m_staticMessage.SetFontFromParent(0, 0);
        SetBackgroundPart(m_staticMessage, m_backgroundImage, prompt::MessageBackgroundPart());
        m_staticMessage.SetLayoutMode(7);
    }
    m_staticMessage.SetWindowText(m_strMessage);
    m_staticMessage.MoveWindow(ToRECT(l.message));
}

// The title strip drags the window, except the close button's corner.
LRESULT CPromptChildDlg::OnNcHitTest(POINT screen)
{
    RECT rc = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const skin::Rect strip = prompt::TitleStrip(ToRect(rc), m_fScale);
    m_bCaptionHit = strip.Contains(screen.x, screen.y);
    return m_bCaptionHit ? HTCAPTION : Default();
}

void CPromptChildDlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    const int e = prompt::ContentCornerEllipse(m_fScale);
    SetWindowRoundRegion(m_hWnd, e, e);
    if (m_bInitialised)
        LayoutControls(false);
}

BOOL CPromptChildDlg::PreTranslateMessage(MSG* pMsg)
{
    FollowKeyboardCues(m_hWnd, pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CPromptChildDlg::OnEraseBkgnd(HDC hDC)
{
    if (HighContrastOn()) {
        PaintPlainWindow(m_hWnd, hDC);
        const skin::PlainColours c = skin::PlainTextColours(true);
        // The title the card's image shows, in its place.
        const skin::Rect t = prompt::TitleTextRect(ToRect(GetClientRect()), m_fScale);
        RECT title = ToRECT(t);
        CSelectObject font(hDC, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
        ::SetBkMode(hDC, TRANSPARENT);
        ::SetTextColor(hDC, ::GetSysColor(c.text));
        ::DrawTextW(hDC, prompt::kTitleText, -1, &title, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        return TRUE;
    }
    if (m_backgroundImage) {
        CGraphics g(hDC);
        if (g) {
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
            DrawImageStretched(g.Get(), m_backgroundImage, GetClientRect());
        }
    }
    return TRUE;
}

// Dragged by its title strip: the box goes around it.
void CPromptChildDlg::OnMove(int x, int y)
{
    CDialog::OnMove(x, y);
    if (m_bCaptionHit) {
        const RECT rc = GetWindowRect();
        ::SendMessageW(m_hParent, WM_PROMPT_CONTENT_MOVED, 0, reinterpret_cast<LPARAM>(&rc));
    }
}

// Closing the content window (Alt+F4 on it) answers like its close button.
void CPromptChildDlg::OnClose()
{
    ::SendMessageW(m_hParent, WM_CLOSE, 0, 0);
}

LRESULT CPromptChildDlg::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SYSCOLORCHANGE || msg == WM_SETTINGCHANGE)
        RepaintWholly(m_hWnd);
    return CDialog::OnMessage(msg, w, l);
}

bool CPromptChildDlg::OnCommand(UINT id, UINT code, HWND)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BTN_PROMPT_CLOSE:
            ::SendMessageW(m_hParent, WM_CLOSE, 0, 0);
            return true;
        case IDC_BTN_PROMPT_FIRST:
            ::SendMessageW(m_hParent, WM_PROMPT_RESULT, 1, 0);
            return true;
        case IDC_BTN_PROMPT_SECOND:
            ::SendMessageW(m_hParent, WM_PROMPT_RESULT, 2, 0);
            return true;
        }
    }
    return id == IDOK || id == IDCANCEL;   // only its owner ends the prompt
}
