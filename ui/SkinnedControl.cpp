#include "ui/SkinnedControl.h"

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

bool PaintSkinned(HDC target, const RECT& client, CBackgroundPart& part, CPaintBuffer& buffer,
                  const CDrawImages& drawImages, const CDrawText& drawText)
{
    const int w = client.right - client.left, h = client.bottom - client.top;
    if (!target || w <= 0 || h <= 0)
        return false;
    HDC mem = buffer.Prepare(target, w, h);
    if (mem) {
        CSelectObject selBitmap(mem, buffer.Bitmap());
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
        ::BitBlt(target, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
    buffer.PaintDone();
    return mem != nullptr;
}
