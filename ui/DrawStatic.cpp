#include "ui/DrawStatic.h"

#include "ui/PngResource.h"
#include "ui/UiMessages.h"

static_assert(skin::TF_CENTER == DT_CENTER && skin::TF_RIGHT == DT_RIGHT && skin::TF_VCENTER == DT_VCENTER &&
                  skin::TF_WORDBREAK == DT_WORDBREAK && skin::TF_SINGLELINE == DT_SINGLELINE &&
                  skin::TF_EXTERNALLEADING == DT_EXTERNALLEADING && skin::TF_CALCRECT == DT_CALCRECT &&
                  skin::TF_EDITCONTROL == DT_EDITCONTROL,
              "layout flags are the DrawText flags");

namespace {

// Lays the text out into rc by a layout: centred layouts measure first and
// move the top edge by the centring offset.
void LayOut(HDC hDC, const std::wstring& text, RECT& rc, const skin::TextLayout& layout)
{
    if (!layout.drawText)
        return;
    const int n = static_cast<int>(text.size());
    if (layout.centre) {
        RECT measure{rc.left, rc.top, rc.right, rc.top + 10};
        ::DrawTextW(hDC, text.c_str(), n, &measure, layout.measureFlags);
        rc.top += skin::CentringOffset(rc.bottom - rc.top, measure.bottom - measure.top);
    }
    ::DrawTextW(hDC, text.c_str(), n, &rc, layout.drawFlags);
}

}  // namespace

// ---- CDrawnStatic -----------------------------------------------------------------

bool CDrawnStatic::SetFontFromParent(int sizeDelta, int weight)
{
    return CreateFontFromParent(::GetParent(m_hWnd), sizeDelta, weight, m_font);
}

void CDrawnStatic::SetTextColor(COLORREF color)
{
    m_crText = color;
    if (m_hWnd)
        Invalidate(TRUE);
}

// In high contrast the text is window text on the plain window ground.
void CDrawnStatic::OnPaint()
{
    CPaintDCRef paint(m_hWnd);
    const bool plain = HighContrastOn();
    const skin::PlainColours c = skin::PlainTextColours(true);
    auto draw = [&](HDC hDC, const RECT& rc) {
        CSelectObject selFont(hDC, m_font.Get());
        ::SetTextColor(hDC, plain ? ::GetSysColor(c.text) : m_crText);
        RECT text = rc;
        LayOut(hDC, PaintedText(), text, Layout(m_nLayoutMode));
    };
    // Skin errors are silent: a paint that could not be made leaves the static as it was.
    if (plain)
        PaintPlainSkin(paint.Get(), ::GetSysColor(c.ground), draw);
    else
        PaintSkin(paint.Get(), nullptr, draw);
}

LRESULT CDrawnStatic::OnMessage(UINT msg, WPARAM, LPARAM)
{
    const LRESULT r = Default();
    // The standard static paints its text straight away on WM_SETTEXT; the
    // skin is painted over it at once.
    if (msg == WM_SETTEXT && ::IsWindowVisible(m_hWnd))
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return r;
}

// ---- CDrawStateInfoStatic ---------------------------------------------------------

void CDrawStateInfoStatic::StartAnimation()
{
    ::SetTimer(m_hWnd, IDT_PLEASE_WAIT_DOTS, 1000, nullptr);
}

void CDrawStateInfoStatic::StopAnimation()
{
    ::KillTimer(m_hWnd, IDT_PLEASE_WAIT_DOTS);
    m_nDotCount = 0;
    Invalidate(TRUE);
}

void CDrawStateInfoStatic::OnTimer(UINT_PTR id)
{
    if (id == IDT_PLEASE_WAIT_DOTS) {
        m_nDotCount = skin::NextDotCount(m_nDotCount);
        Invalidate(TRUE);
    }
    Default();
}

// ---- CUnpaintedStatic -------------------------------------------------------------

void CUnpaintedStatic::OnPaint()
{
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);
}
