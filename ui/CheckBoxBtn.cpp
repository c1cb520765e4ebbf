#include "ui/CheckBoxBtn.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"

CCheckBoxBtn::CCheckBoxBtn() : m_brBk(::CreateSolidBrush(RGB(255, 255, 255))) {}

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
    RECT rc = GetClientRect();
    const int w = rc.right, h = rc.bottom;
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
    CSelectObject selBitmap(mem, m_bmpMem.Get());
    ::FillRect(mem, &rc, m_brBk.Get());
    ::SetBkMode(mem, TRANSPARENT);
    {
        CGraphics g(mem);
        if (g && m_bkPart) {
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
            m_bkPart.Draw(g.Get(), rc);
        }
        if (!m_strip)
            m_strip = SharedPng(IDB_PNG_CHECK_STRIP);
        if (m_strip) {
            const skin::Rect box = skin::CheckBoxRect(rc.left, h, m_fScale);
            const int state = static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
            if (g)
                DrawImagePart(g.Get(), m_strip, RECT{box.left, box.top, box.right, box.bottom},
                              skin::CheckCellLeft(state), 0, 16, 16);
            CSelectObject selFont(mem, m_font.Get());
            const std::wstring text = GetWindowText();
            ::SetTextColor(mem, m_crText);
            RECT caption = rc;
            caption.left += skin::CheckCaptionOffset(m_fScale);
            ::DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &caption, DT_SINGLELINE | DT_VCENTER);
        }
    }
    ::BitBlt(hDC, 0, 0, w, h, mem, 0, 0, SRCCOPY);
}

void CCheckBoxBtn::OnLButtonDown(POINT)
{
    Default();
    Repaint();
}

void CCheckBoxBtn::OnLButtonUp(POINT)
{
    Default();
    Repaint();
}

LRESULT CCheckBoxBtn::OnMessage(UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_MBUTTONDOWN:
        Invalidate(TRUE);
        return Default();
    // The standard button draws itself straight away (not through WM_PAINT)
    // when its check, push or focus state changes; paint the skin over it at once.
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_CAPTURECHANGED: {
        const LRESULT r = Default();
        Repaint();
        return r;
    }
    default:
        return Default();
    }
}
