#include "ui/PromptChildDlg.h"

#include <windowsx.h>

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/PromptDlg.h"
#include "ui/PromptLayout.h"
#include "ui/SkinRect.h"

namespace {


template <class Button>
void SetBackgroundPart(Button& b, Gdiplus::GpImage* image, const skin::Rect& part)
{
    b.SetBackgroundImage(image);
    b.SetBackgroundRect(part.left, part.top, part.right, part.bottom);
}

}  // namespace

CPromptChildDlg::CPromptChildDlg() : CDialog(IDD_PROMPT_CHILD) {}

CPromptChildDlg::~CPromptChildDlg()
{
    DeletePngImage(&m_pBkImage);
}

void CPromptChildDlg::DoDataExchange()
{
    m_btnClose.SubclassDlgItem(IDC_BTN_PROMPT_CLOSE, m_hWnd);
    m_btnFirst.SubclassDlgItem(IDC_BTN_PROMPT_FIRST, m_hWnd);
    m_btnSecond.SubclassDlgItem(IDC_BTN_PROMPT_SECOND, m_hWnd);
    m_staticMessage.SubclassDlgItem(IDC_STATIC_PROMPT, m_hWnd);
}

bool CPromptChildDlg::EnsureBackground()
{
    return m_pBkImage || LoadPngResource(&m_pBkImage, IDB_PNG_PROMPT_CONTENT);
}

BOOL CPromptChildDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (EnsureBackground()) {
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
        SetBackgroundPart(m_btnClose, m_pBkImage, prompt::CloseBackgroundPart());
        m_btnClose.LoadStateImages(IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED,
                                   IDB_PNG_CLOSE_DISABLED);
        SetBackgroundPart(m_btnFirst, m_pBkImage, prompt::FirstBackgroundPart());
        SetBackgroundPart(m_btnSecond, m_pBkImage, prompt::SecondBackgroundPart());
        m_btnFirst.LoadStateImages(plan.first.normal, plan.first.hover, plan.first.pressed, plan.first.disabled);
        m_btnSecond.LoadStateImages(plan.second.normal, plan.second.hover, plan.second.pressed,
                                    plan.second.disabled);
    }
    m_btnClose.MoveWindow(ToRECT(l.close));
    m_btnFirst.MoveWindow(ToRECT(plan.firstCentred ? l.firstCentred : l.first));
    m_btnSecond.MoveWindow(ToRECT(l.second));
    ::ShowWindow(m_btnFirst, SW_SHOW);
    ::ShowWindow(m_btnSecond, plan.secondShown ? SW_SHOW : SW_HIDE);

    if (first) {
        m_staticMessage.SetTextColor(RGB(255, 255, 255));
        m_staticMessage.SetFontFromParent(0, 0);
        const skin::Rect part = prompt::MessageBackgroundPart();
        m_staticMessage.SetBackgroundImage(m_pBkImage);
        m_staticMessage.SetBackgroundRect(part.left, part.top, part.right, part.bottom);
        m_staticMessage.SetLayoutMode(7);
    }
    m_staticMessage.SetWindowText(m_strMessage);
    m_staticMessage.MoveWindow(ToRECT(l.message));
}

// The title strip drags the window, except the close button's corner.
LRESULT CPromptChildDlg::OnNcHitTest(LPARAM lParam)
{
    RECT rc = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const skin::Rect strip = prompt::TitleStrip(ToRect(rc), m_fScale);
    if (strip.Contains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        m_bCaptionHit = true;
        return HTCAPTION;
    }
    m_bCaptionHit = false;
    return Default();
}

void CPromptChildDlg::OnDestroy()
{
    m_btnClose.ReleaseImages();
    m_btnFirst.ReleaseImages();
    m_btnSecond.ReleaseImages();
    // The controls go after this window: leave them nothing to draw from.
    m_btnClose.SetBackgroundImage(nullptr);
    m_btnFirst.SetBackgroundImage(nullptr);
    m_btnSecond.SetBackgroundImage(nullptr);
    m_staticMessage.SetBackgroundImage(nullptr);
    DeletePngImage(&m_pBkImage);
}

BOOL CPromptChildDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CPromptChildDlg::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_SIZE: {
        LRESULT r = Default();
        const int e = prompt::ContentCornerEllipse(m_fScale);
        SetWindowRoundRegion(m_hWnd, e, e);
        if (m_bInitialised)
            LayoutControls(false);
        return r;
    }
    case WM_ERASEBKGND:
        if (EnsureBackground()) {
            CGraphics g(reinterpret_cast<HDC>(w));
            if (g) {
                gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
                DrawImageStretched(g.Get(), m_pBkImage, GetClientRect());
            }
        }
        return TRUE;
    case WM_NCHITTEST:
        return OnNcHitTest(l);
    case WM_MOVE: {
        LRESULT r = Default();
        if (m_bCaptionHit) {
            if (auto* box = dynamic_cast<CPromptDlg*>(CWnd::FromHandle(m_hParent)))
                box->FollowContent(GetWindowRect());
        }
        return r;
    }
    case WM_DESTROY: {
        LRESULT r = CDialog::WindowProc(msg, w, l);
        OnDestroy();
        return r;
    }
    case WM_CLOSE:
        // Closing the content window (Alt+F4 on it) answers like its close button.
        ::SendMessageW(m_hParent, WM_CLOSE, 0, 0);
        return 0;
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED) {
            switch (LOWORD(w)) {
            case IDC_BTN_PROMPT_CLOSE:
                ::SendMessageW(m_hParent, WM_CLOSE, 0, 0);
                return 0;
            case IDC_BTN_PROMPT_FIRST:
                ::SendMessageW(m_hParent, WM_PROMPT_RESULT, 1, 0);
                return 0;
            case IDC_BTN_PROMPT_SECOND:
                ::SendMessageW(m_hParent, WM_PROMPT_RESULT, 2, 0);
                return 0;
            }
        }
        if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)
            return 0;   // only its owner ends the prompt
        break;
    }
    return CDialog::WindowProc(msg, w, l);
}
