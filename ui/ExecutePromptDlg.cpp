#include "ui/ExecutePromptDlg.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/PromptLayout.h"
#include "ui/SkinRect.h"

CExecutePromptDlg::CExecutePromptDlg(HWND hParent) : CDialog(IDD_PLEASE_WAIT, hParent, kSwallowEscEnter) {}

void CExecutePromptDlg::RequestClose()
{
    m_bCloseRequested = true;
    if (HWND h = m_hWndShown.load())
        ::SendMessageW(h, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
}

void CExecutePromptDlg::DoDataExchange()
{
    m_staticText.SubclassDlgItem(IDC_STATIC_PLEASE_WAIT, m_hWnd);
}

BOOL CExecutePromptDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(prompt::PleaseWaitText(m_strMessage));
    m_backgroundImage = SharedPng(IDB_PNG_PLEASE_WAIT_BK);
    if (m_backgroundImage) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, prompt::BoxWidth(m_fScale), prompt::BoxHeight(m_fScale),
                       SWP_NOMOVE | SWP_NOZORDER);
        LayoutControls(true);
        m_bInitialised = true;
    }
    m_hWndShown = m_hWnd;
    if (m_bCloseRequested) {
        m_staticText.StopAnimation();
        OnOK();
    }
    return TRUE;
}

void CExecutePromptDlg::LayoutControls(bool first)
{
    const float s = m_fScale;
    m_staticText.SetWindowText(prompt::PleaseWaitText(m_strMessage));
    m_staticText.SetLayoutMode(m_nLayoutMode);
    m_staticText.SetTextColor(RGB(255, 255, 255));
    const skin::Rect rc = prompt::PleaseWaitTextRect(ToRect(GetClientRect()), s);
    if (first) {
        m_staticText.SetBackgroundImage(m_backgroundImage);
        m_staticText.SetFontFromParent(0, 0);
        m_staticText.StartAnimation();
    }
    const skin::Rect part = prompt::PleaseWaitTextBackgroundPart();
    m_staticText.SetBackgroundRect(part.left, part.top, part.right, part.bottom);
    m_staticText.MoveWindow(ToRECT(rc));
}

// The background image is a card on a transparent shadow margin. This is an
// ordinary window, so the margin would show as black: a rounded region keeps
// only the card.
void CExecutePromptDlg::ApplyCardRegion()
{
    const RECT wr = GetWindowRect();
    const skin::Rect card = prompt::CardInBox({0, 0, wr.right - wr.left, wr.bottom - wr.top}, m_fScale);
    const int e = prompt::ContentCornerEllipse(m_fScale);
    SetWindowRegion(m_hWnd, ::CreateRoundRectRgn(card.left, card.top, card.right, card.bottom, e, e));
}

void CExecutePromptDlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (m_backgroundImage)
        ApplyCardRegion();
    if (m_bInitialised)
        LayoutControls(false);
}

// The card's anti-aliased rim is drawn over the card's own colour (read from
// the image just inside its left edge), never over whatever the DC held.
BOOL CExecutePromptDlg::OnEraseBkgnd(HDC hDC)
{
    if (!m_backgroundImage)
        return TRUE;
    const RECT rc = GetClientRect();
    if (HighContrastOn()) {
        PaintPlainWindow(m_hWnd, hDC);   // the card's shape, plain
        return TRUE;
    }
    if (!m_brCard) {
        const int w = static_cast<int>(PngImageWidth(m_backgroundImage));
        const int h = static_cast<int>(PngImageHeight(m_backgroundImage));
        const skin::Rect card = prompt::CardInBox({0, 0, w, h}, 1.0f);
        auto* bitmap = static_cast<Gdiplus::GpBitmap*>(m_backgroundImage.Get());
        Gdiplus::ARGB argb = 0;
        if (w > 0 && h > 0 && gp::GdipBitmapGetPixel(bitmap, card.left + 8, h / 2, &argb) == Gdiplus::Ok)
            m_brCard.Reset(::CreateSolidBrush(RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF)));
    }
    if (m_brCard)
        ::FillRect(hDC, &rc, m_brCard.Get());
    CGraphics g(hDC);
    if (g) {
        gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
        DrawImageStretched(g.Get(), m_backgroundImage, rc);
    }
    return TRUE;
}

bool CExecutePromptDlg::OnCommand(UINT id, UINT, HWND)
{
    return id == IDOK || id == IDCANCEL;   // only the close request ends it
}

void CExecutePromptDlg::OnDestroy()
{
    m_hWndShown = nullptr;
    CDialog::OnDestroy();
}

LRESULT CExecutePromptDlg::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SYSCOLORCHANGE || msg == WM_SETTINGCHANGE)
        RepaintWholly(m_hWnd);
    if (msg != WM_CLOSE_EXECUTE_PROMPT)
        return CDialog::OnMessage(msg, w, l);
    m_staticText.StopAnimation();
    OnOK();
    return 0;
}
