#include "ui/CheckBoxBtn.h"

#include "res/resource.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"

void CCheckBoxBtn::InitFont()
{
    // Skin errors are silent: without a font of its own the caption is drawn
    // in the DC's.
    CreateFontFromParent(::GetParent(m_hWnd), 0, 0, m_font);
}

void CCheckBoxBtn::Repaint()
{
    if (::IsWindowVisible(m_hWnd))
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

namespace {

// The caption from the caption offset on, centred vertically; with the focus
// cue shown, a dotted rectangle around its text.
void DrawCaption(HDC hDC, const RECT& rc, const std::wstring& text, int offset, bool cue)
{
    RECT caption = rc;
    caption.left += offset;
    const int n = static_cast<int>(text.size());
    ::DrawTextW(hDC, text.c_str(), n, &caption, DT_SINGLELINE | DT_VCENTER);
    if (!cue)
        return;
    RECT measure = caption;
    ::DrawTextW(hDC, text.c_str(), n, &measure, DT_SINGLELINE | DT_CALCRECT);
    const int h = measure.bottom - measure.top;
    RECT focus{caption.left - 1, rc.top + (rc.bottom - rc.top - h) / 2 - 1, measure.right + 1, 0};
    focus.bottom = focus.top + h + 2;
    if (focus.right > rc.right)
        focus.right = rc.right;
    if (focus.top < rc.top)
        focus.top = rc.top;
    if (focus.bottom > rc.bottom)
        focus.bottom = rc.bottom;
    ::SetTextColor(hDC, RGB(0, 0, 0));
    ::SetBkColor(hDC, RGB(255, 255, 255));
    ::DrawFocusRect(hDC, &focus);
}

}  // namespace

// Without its strip the box shows only its background part: no cell, no
// caption. In high contrast it needs no strip: a frame, a tick when checked,
// and the caption, in the system's window colours.
void CCheckBoxBtn::OnPaint()
{
    CPaintDCRef paint(m_hWnd);
    const int state = static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
    const bool cue = m_focusCue.Shows(m_hWnd);
    if (HighContrastOn()) {
        const skin::PlainColours c = skin::PlainTextColours(::IsWindowEnabled(m_hWnd) != FALSE);
        const COLORREF text = ::GetSysColor(c.text);
        PaintPlainSkin(paint.Get(), ::GetSysColor(c.ground), [&](HDC hDC, const RECT& rc) {
            const skin::Rect b = skin::CheckBoxRect(rc.left, rc.bottom, m_fScale);
            RECT box{b.left, b.top, b.right, b.bottom};
            CBrushObj edge(::CreateSolidBrush(text));
            ::FrameRect(hDC, &box, edge.Get());
            if (state == BST_CHECKED) {
                const int w = b.Width(), h = b.Height();
                const int pw = skin::Scaled(2, m_fScale) > 2 ? skin::Scaled(2, m_fScale) : 2;
                CPenObj pen(::CreatePen(PS_SOLID, pw, text));
                CSelectObject sel(hDC, pen.Get());
                ::MoveToEx(hDC, b.left + w * 3 / 16, b.top + h * 8 / 16, nullptr);
                ::LineTo(hDC, b.left + w * 7 / 16, b.top + h * 12 / 16);
                ::LineTo(hDC, b.left + w * 13 / 16, b.top + h * 4 / 16);
            }
            CSelectObject selFont(hDC, m_font.Get());
            ::SetTextColor(hDC, text);
            DrawCaption(hDC, rc, GetWindowText(), skin::CheckCaptionOffset(m_fScale), cue);
        });
        return;
    }
    if (!m_strip)
        m_strip = SharedPng(IDB_PNG_CHECK_STRIP);
    // Skin errors are silent: a paint that could not be made leaves the box as it was.
    PaintSkin(
        paint.Get(),
        [&](Gdiplus::GpGraphics* g, const RECT& rc) {
            if (!m_strip)
                return;
            const skin::Rect box = skin::CheckBoxRect(rc.left, rc.bottom, m_fScale);
            DrawImagePart(g, m_strip, RECT{box.left, box.top, box.right, box.bottom}, skin::CheckCellLeft(state),
                          0, 16, 16);
        },
        [&](HDC hDC, const RECT& rc) {
            if (!m_strip)
                return;
            CSelectObject selFont(hDC, m_font.Get());
            ::SetTextColor(hDC, m_crText);
            DrawCaption(hDC, rc, GetWindowText(), skin::CheckCaptionOffset(m_fScale), cue);
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

LRESULT CCheckBoxBtn::OnMessage(UINT msg, WPARAM w, LPARAM)
{
    m_focusCue.OnMessage(msg, w);   // repainted below either way
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
