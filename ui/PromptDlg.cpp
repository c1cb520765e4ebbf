#include "ui/PromptDlg.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/PromptChildDlg.h"
#include "ui/PromptLayout.h"
#include "ui/SkinnedControl.h"
#include "ui/SkinRect.h"
#include "ui/UiMessages.h"

CPromptDlg::CPromptDlg(HWND hParent) : CDialog(IDD_PROMPT, hParent, kSwallowEscEnter) {}

CPromptDlg::~CPromptDlg() = default;

BOOL CPromptDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int w = prompt::BoxWidth(m_fScale), h = prompt::BoxHeight(m_fScale);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetWindowText(m_strMessage);

    // Without its card the background stays fully transparent, but the
    // content window still comes up: a question nobody can answer would hold
    // the caller for good.
    m_backgroundImage = SharedPng(IDB_PNG_PROMPT_BK);
    if (!m_backgroundImage)
        m_failures.push_back("提示框背景图片加载失败");
    if (!PaintLayered(w, h))
        m_failures.push_back("提示框背景绘制失败");

    const RECT rc = GetWindowRect();
    m_pContent = std::make_unique<CPromptChildDlg>();
    m_pContent->m_fScale = m_fScale;
    m_pContent->SetMessage(m_strMessage);
    m_pContent->SetPromptType(m_nPromptType);
    if (!m_pContent->Create(IDD_PROMPT_CONTENT, m_hWnd)) {
        m_failures.push_back("提示框内容窗口创建失败");
        m_pContent.reset();
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_pContent->MoveWindow(ToRECT(prompt::InitialContentRect(ToRect(rc), m_fScale)));
    ::ShowWindow(*m_pContent, SW_SHOW);
    return TRUE;
}

// Puts the card, stretched to w × h, on the layered window with its own
// per-pixel alpha. GDI+ draws into a premultiplied 32-bit DIB, which is what
// the window system composes; without the image, and in high contrast (the
// card and its shadow are the skin's), the bitmap stays clear.
bool CPromptDlg::PaintLayered(int w, int h)
{
    if (w <= 0 || h <= 0)
        return false;
    CWindowDCRef wdc(m_hWnd);
    CMemoryDC mem(::CreateCompatibleDC(wdc.Get()));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CBitmapObj dib(::CreateDIBSection(wdc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!mem || !dib || !bits)
        return false;
    CSelectObject sel(mem.Get(), dib.Get());
    if (m_backgroundImage && !HighContrastOn()) {
        Gdiplus::GpBitmap* canvas = nullptr;
        gp::GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits), &canvas);
        CImagePtr ownCanvas(canvas);
        {
            CGraphics g(ownCanvas.get());
            if (g)
                gp::GdipDrawImageRectI(g.Get(), m_backgroundImage.Get(), 0, 0, w, h);
        }
        ::GdiFlush();
    }
    const RECT rc = GetWindowRect();
    POINT dst{rc.left, rc.top}, src{0, 0};
    SIZE size{w, h};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(m_hWnd, wdc.Get(), &dst, &size, mem.Get(), &src, 0, &blend, ULW_ALPHA) != FALSE;
}

void CPromptDlg::FollowContent(const RECT& rc)
{
    m_bFollow = false;
    MoveWindow(ToRECT(prompt::BoxAroundCard(ToRect(rc), m_fScale)), TRUE);
}

void CPromptDlg::HideContent()
{
    if (m_pContent && m_pContent->m_hWnd)
        ::ShowWindow(*m_pContent, SW_HIDE);
}

// The answer leaves the screen with the box, not when the loop gets round
// to destroying it.
void CPromptDlg::OnOK()
{
    HideContent();
    CDialog::OnOK();
}

void CPromptDlg::OnCancel()
{
    HideContent();
    CDialog::OnCancel();
}

void CPromptDlg::OnMove(int x, int y)
{
    CDialog::OnMove(x, y);
    if (m_bFollow && m_pContent && m_pContent->m_hWnd)
        m_pContent->MoveWindow(ToRECT(prompt::CardInBox(ToRect(GetWindowRect()), m_fScale)), TRUE);
}

LRESULT CPromptDlg::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_PROMPT_RESULT:
        if (w == 1)
            OnOK();
        else
            OnCancel();
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE: {
        const RECT rc = GetWindowRect();
        PaintLayered(rc.right - rc.left, rc.bottom - rc.top);   // a box that cannot be painted stays as it was
        return CDialog::OnMessage(msg, w, l);
    }
    case WM_PROMPT_CONTENT_MOVED:
        if (l)
            FollowContent(*reinterpret_cast<const RECT*>(l));
        return 0;
    default:
        return CDialog::OnMessage(msg, w, l);
    }
}
