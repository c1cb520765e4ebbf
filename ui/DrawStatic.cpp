#include "ui/DrawStatic.h"

#include "ui/PngResource.h"
#include "ui/SkinRules.h"

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

// One memory DC and bitmap for one paint, blitted once to the paint DC.
class CPaintBuffer {
public:
    CPaintBuffer(HDC hTarget, const RECT& rc)
        : m_hTarget(hTarget), m_rc(rc), m_memDC(hTarget),
          m_bmp(::CreateCompatibleBitmap(hTarget, rc.right - rc.left, rc.bottom - rc.top))
    {
        if (m_memDC && m_bmp)
            m_hOld = ::SelectObject(m_memDC.Get(), m_bmp.Get());
    }
    ~CPaintBuffer()
    {
        if (m_hOld)
            ::SelectObject(m_memDC.Get(), m_hOld);
    }
    bool Ok() const { return m_hOld != nullptr; }
    HDC Get() const { return m_memDC.Get(); }
    void Blit() const { ::BitBlt(m_hTarget, 0, 0, m_rc.right, m_rc.bottom, m_memDC.Get(), 0, 0, SRCCOPY); }

private:
    HDC m_hTarget;
    RECT m_rc;
    CMemoryDC m_memDC;
    CBitmapObj m_bmp;
    HGDIOBJ m_hOld = nullptr;
};

// The standard static paints its text straight away on WM_SETTEXT; the
// skin is painted over it at once.
void RepaintNow(HWND hWnd)
{
    if (::IsWindowVisible(hWnd))
        ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

}  // namespace

// ---- CDrawTextStatic --------------------------------------------------------

bool CDrawTextStatic::SetFontFromParent(int sizeDelta, int weight)
{
    return CreateFontFromParent(::GetParent(m_hWnd), sizeDelta, weight, m_font);
}

void CDrawTextStatic::OnPaint()
{
    CPaintDCRef paint(m_hWnd);
    if (!paint.Get())
        return;
    m_rcClient = GetClientRect();
    if (m_rcClient.right <= 0 || m_rcClient.bottom <= 0)
        return;
    CPaintBuffer buf(paint.Get(), m_rcClient);
    if (!buf.Ok())
        return;
    HDC mem = buf.Get();
    if (!m_pBkImage) {
        if (!m_brBk)
            m_brBk.Reset(::CreateSolidBrush(m_crBk));
        ::FillRect(mem, &m_rcClient, m_brBk.Get());
    }
    ::SetBkMode(mem, TRANSPARENT);
    if (m_pBkImage) {
        CGraphics g(mem);
        if (g) {
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
            DrawBackgroundPart(g.Get(), m_pBkImage, m_rcClient, m_rcBkSource);
        }
    }
    m_hOldFont = m_font ? ::SelectObject(mem, m_font.Get()) : nullptr;
    const std::wstring text = GetWindowText();
    ::SetTextColor(mem, m_crText);
    LayOut(mem, text, m_rcClient, skin::DrawTextLayout(m_nLayoutMode));
    if (m_hOldFont)
        ::SelectObject(mem, m_hOldFont);
    m_hOldFont = nullptr;
    buf.Blit();
}

LRESULT CDrawTextStatic::WindowProc(UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETTEXT: {
        LRESULT r = Default();
        RepaintNow(m_hWnd);
        return r;
    }
    default:
        return Default();
    }
}

// ---- CDrawStateInfoStatic ---------------------------------------------------

CDrawStateInfoStatic::CDrawStateInfoStatic() : m_brBk(::CreateSolidBrush(RGB(255, 255, 255))) {}

bool CDrawStateInfoStatic::SetFontFromParent(int sizeDelta, int weight)
{
    return CreateFontFromParent(::GetParent(m_hWnd), sizeDelta, weight, m_font);
}

void CDrawStateInfoStatic::SetTextColor(COLORREF color)
{
    m_crText = color;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CDrawStateInfoStatic::StartAnimation()
{
    ::SetTimer(m_hWnd, PROMPT_ANIM_TIMER, 1000, nullptr);
}

void CDrawStateInfoStatic::StopAnimation()
{
    ::KillTimer(m_hWnd, PROMPT_ANIM_TIMER);
    m_nDotCount = 0;
    Invalidate(TRUE);
}

void CDrawStateInfoStatic::OnPaint()
{
    CPaintDCRef paint(m_hWnd);
    if (!paint.Get())
        return;
    m_rcClient = GetClientRect();
    if (m_rcClient.right <= 0 || m_rcClient.bottom <= 0)
        return;
    CPaintBuffer buf(paint.Get(), m_rcClient);
    if (!buf.Ok())
        return;
    HDC mem = buf.Get();
    ::FillRect(mem, &m_rcClient, m_brBk.Get());
    ::SetBkMode(mem, TRANSPARENT);
    m_hOldFont = m_font ? ::SelectObject(mem, m_font.Get()) : nullptr;
    ::SetTextColor(mem, m_crText);
    const std::wstring text = GetWindowText() + skin::DotSuffix(m_nDotCount);
    if (m_pBkImage) {
        CGraphics g(mem);
        if (g)
            DrawBackgroundPart(g.Get(), m_pBkImage, m_rcClient, m_rcBkSource);
    }
    LayOut(mem, text, m_rcClient, skin::StateInfoLayout(m_nLayoutMode));
    if (m_hOldFont)
        ::SelectObject(mem, m_hOldFont);
    m_hOldFont = nullptr;
    buf.Blit();
}

LRESULT CDrawStateInfoStatic::WindowProc(UINT msg, WPARAM w, LPARAM)
{
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_TIMER:
        if (w == PROMPT_ANIM_TIMER) {
            m_nDotCount = skin::NextDotCount(m_nDotCount);
            Invalidate(TRUE);
        }
        return Default();
    case WM_SETTEXT: {
        LRESULT r = Default();
        RepaintNow(m_hWnd);
        return r;
    }
    default:
        return Default();
    }
}
