#include "ui/SkinnedControl.h"

#include <functional>

#include "ui/SkinRules.h"

static_assert(skin::SC_WINDOW == COLOR_WINDOW && skin::SC_WINDOWTEXT == COLOR_WINDOWTEXT &&
                  skin::SC_HIGHLIGHT == COLOR_HIGHLIGHT && skin::SC_HIGHLIGHTTEXT == COLOR_HIGHLIGHTTEXT &&
                  skin::SC_BTNFACE == COLOR_BTNFACE && skin::SC_GRAYTEXT == COLOR_GRAYTEXT &&
                  skin::SC_BTNTEXT == COLOR_BTNTEXT,
              "system colour numbers are the COLOR_ numbers");

HDC CPaintBuffer::Prepare(HDC target, int w, int h)
{
    if (!m_dc)
        m_dc.Reset(::CreateCompatibleDC(target));
    if (!m_bitmap || m_size.cx != w || m_size.cy != h) {
        // Compatible with the target, not with the memory DC (that would be
        // monochrome).
        m_bitmap.Reset(::CreateCompatibleBitmap(target, w, h));
        m_size = m_bitmap ? SIZE{w, h} : SIZE{0, 0};
    }
    return m_dc && m_bitmap ? m_dc.Get() : nullptr;
}

void CPaintBuffer::PaintDone()
{
    if (m_life != kPerPaint)
        return;
    m_bitmap.Reset();
    m_dc.Reset();
    m_size = {0, 0};
}

namespace {

// The control painted by paint into the buffer, then copied to target in one
// blit; false when there is nothing to paint or no buffer.
bool PaintThroughBuffer(HDC target, const RECT& client, CPaintBuffer& buffer, const std::function<void(HDC)>& paint)
{
    const int w = client.right - client.left, h = client.bottom - client.top;
    if (!target || w <= 0 || h <= 0)
        return false;
    HDC mem = buffer.Prepare(target, w, h);
    if (mem) {
        CSelectObject selBitmap(mem, buffer.Bitmap());
        paint(mem);
        ::BitBlt(target, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
    buffer.PaintDone();
    return mem != nullptr;
}

}  // namespace

bool PaintSkinned(HDC target, const RECT& client, CBackgroundPart& part, CPaintBuffer& buffer,
                  const CDrawImages& drawImages, const CDrawText& drawText)
{
    return PaintThroughBuffer(target, client, buffer, [&](HDC mem) {
        // Under whatever the background part leaves uncovered.
        ::FillRect(mem, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SetBkMode(mem, TRANSPARENT);
        {
            CGraphics g(mem);
            if (g) {
                gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
                part.Draw(g.Get(), client);
                if (drawImages)
                    drawImages(g.Get(), client);
            }
        }
        if (drawText)
            drawText(mem, client);
    });
}

bool PaintPlain(HDC target, const RECT& client, CPaintBuffer& buffer, COLORREF ground, const CDrawText& drawText)
{
    return PaintThroughBuffer(target, client, buffer, [&](HDC mem) {
        CBrushObj brush(::CreateSolidBrush(ground));
        ::FillRect(mem, &client, brush.Get());
        ::SetBkMode(mem, TRANSPARENT);
        if (drawText)
            drawText(mem, client);
    });
}

bool HighContrastOn()
{
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

void PaintPlainWindow(HWND hWnd, HDC hDC)
{
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    const skin::PlainColours c = skin::PlainTextColours(true);
    CBrushObj ground(::CreateSolidBrush(::GetSysColor(c.ground)));
    ::FillRect(hDC, &rc, ground.Get());
    CBrushObj edge(::CreateSolidBrush(::GetSysColor(c.edge)));
    CRegionObj shape(::CreateRectRgn(0, 0, 0, 0));
    if (::GetWindowRgn(hWnd, shape.Get()) != ERROR)
        ::FrameRgn(hDC, shape.Get(), edge.Get(), 1, 1);
    else
        ::FrameRect(hDC, &rc, edge.Get());
}

void RepaintWholly(HWND hWnd)
{
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void FollowKeyboardCues(HWND dialog, const MSG* msg)
{
    if (!dialog || !msg || msg->message != WM_KEYDOWN)
        return;
    switch (msg->wParam) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        break;
    default:
        return;
    }
    if (msg->hwnd != dialog && !::IsChild(dialog, msg->hwnd))
        return;
    // A key the control takes for itself (an arrow in a text box) is no navigation.
    const LRESULT code = ::SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    const LRESULT wants = msg->wParam == VK_TAB ? DLGC_WANTTAB : DLGC_WANTARROWS;
    if (code & (wants | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return;
    const WPARAM show = MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS);
    // The dialog's own state (Windows passes it on to the children), and each
    // child told directly for a system that does not.
    ::SendMessageW(dialog, WM_UPDATEUISTATE, show, 0);
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        ::SendMessageW(c, WM_UPDATEUISTATE, show, 0);
}

bool CFocusCueState::OnMessage(UINT msg, WPARAM w)
{
    if (msg != WM_UPDATEUISTATE || !(HIWORD(w) & UISF_HIDEFOCUS))
        return false;
    bool hidden = m_bHidden;
    if (LOWORD(w) == UIS_SET)
        hidden = true;
    else if (LOWORD(w) == UIS_CLEAR)
        hidden = false;
    const bool changed = hidden != m_bHidden;
    m_bHidden = hidden;
    return changed;
}
