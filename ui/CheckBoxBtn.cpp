#include "ui/CheckBoxBtn.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"

void CCheckBoxBtn::InitFont()
{
    // Skin errors are silent: without a font of its own the caption is drawn
    // in the DC's.
    (void)CreateFontFromParent(::GetParent(m_hWnd), 0, 0, m_font);
}

void CCheckBoxBtn::Repaint()
{
    if (::IsWindowVisible(m_hWnd))
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// Without its strip the box shows only its background part: no cell, no
// caption.
void CCheckBoxBtn::OnPaint()
{
    CPaintDCRef paint(m_hWnd);
    if (!m_strip)
        m_strip = SharedPng(IDB_PNG_CHECK_STRIP);
    // Skin errors are silent: a paint that could not be made leaves the box as it was.
    (void)PaintSkin(
        paint.Get(),
        [&](Gdiplus::GpGraphics* g, const RECT& rc) {
            if (!m_strip)
                return;
            const skin::Rect box = skin::CheckBoxRect(rc.left, rc.bottom, m_fScale);
            const int state = static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
            DrawImagePart(g, m_strip, RECT{box.left, box.top, box.right, box.bottom}, skin::CheckCellLeft(state),
                          0, 16, 16);
        },
        [&](HDC hDC, const RECT& rc) {
            if (!m_strip)
                return;
            CSelectObject selFont(hDC, m_font.Get());
            const std::wstring text = GetWindowText();
            ::SetTextColor(hDC, m_crText);
            RECT caption = rc;
            caption.left += skin::CheckCaptionOffset(m_fScale);
            ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &caption, DT_SINGLELINE | DT_VCENTER);
        });
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
