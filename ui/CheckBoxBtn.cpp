#include "ui/CheckBoxBtn.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"

CCheckBoxBtn::CCheckBoxBtn() : m_brBk(::CreateSolidBrush(RGB(255, 255, 255))) {}

CCheckBoxBtn::~CCheckBoxBtn()
{
    DeletePngImage(&m_pCheckImage);
}

void CCheckBoxBtn::InitFont()
{
    CreateFontFromParent(::GetParent(m_hWnd), 0, 0, m_font);
}

void CCheckBoxBtn::Repaint()
{
    if (::IsWindowVisible(m_hWnd))
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CCheckBoxBtn::OnPaint()
{
    CPaintDCRef paint(m_hWnd);
    HDC hDC = paint.Get();
    if (!hDC)
        return;
    m_rcClient = GetClientRect();
    const int w = m_rcClient.right, h = m_rcClient.bottom;
    if (w <= 0 || h <= 0)
        return;
    if (!m_memDC)
        m_memDC.Reset(::CreateCompatibleDC(hDC));
    // The bitmap is kept between paints; it is made again only when the
    // control has changed size, so a moved or resized box never shows stale
    // or undrawn pixels.
    if (!m_bmpMem || m_sizeMem.cx != w || m_sizeMem.cy != h) {
        m_bmpMem.Reset(::CreateCompatibleBitmap(hDC, w, h));
        m_sizeMem = m_bmpMem ? SIZE{w, h} : SIZE{0, 0};
    }
    if (!m_memDC || !m_bmpMem)
        return;
    HDC mem = m_memDC.Get();
    m_hOldBitmap = ::SelectObject(mem, m_bmpMem.Get());
    ::FillRect(mem, &m_rcClient, m_brBk.Get());
    ::SetBkMode(mem, TRANSPARENT);

    m_hOldFont = nullptr;
    {
        CGraphics g(mem);
        if (g && m_pBkImage) {
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
            DrawBackgroundPart(g.Get(), m_pBkImage, m_rcClient, m_rcBkSource);
        }
        if (m_pCheckImage || LoadPngResource(&m_pCheckImage, IDB_PNG_CHECK_STRIP)) {
            const skin::Rect box = skin::CheckBoxRect(m_rcClient.left, h, m_fScale);
            const int state = static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
            if (g)
                DrawImagePart(g.Get(), m_pCheckImage, RECT{box.left, box.top, box.right, box.bottom},
                              skin::CheckCellLeft(state), 0, 16, 16);
            m_hOldFont = m_font ? ::SelectObject(mem, m_font.Get()) : nullptr;
            const std::wstring text = GetWindowText();
            ::SetTextColor(mem, m_crText);
            m_rcClient.left += skin::CheckCaptionOffset(m_fScale);
            ::DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &m_rcClient, DT_SINGLELINE | DT_VCENTER);
        }
    }
    ::BitBlt(hDC, 0, 0, m_rcClient.right, m_rcClient.bottom, mem, 0, 0, SRCCOPY);
    if (m_hOldFont)
        ::SelectObject(mem, m_hOldFont);
    ::SelectObject(mem, m_hOldBitmap);
    m_hOldFont = m_hOldBitmap = nullptr;
}

LRESULT CCheckBoxBtn::WindowProc(UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;   // the paint covers the whole control
    case WM_MBUTTONDOWN:
        Invalidate(TRUE);
        return Default();
    // The standard button draws itself straight away (not through WM_PAINT)
    // when its check, push or focus state changes; paint the skin over it at once.
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_CAPTURECHANGED: {
        LRESULT r = Default();
        Repaint();
        return r;
    }
    default:
        return Default();
    }
}
