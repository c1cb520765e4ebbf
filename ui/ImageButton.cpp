#include "ui/ImageButton.h"

#include <commctrl.h>

#include "ui/PngResource.h"

namespace {

void TrackHoverAndLeave(HWND hWnd)
{
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = hWnd;
    tme.dwHoverTime = 10;
    ::_TrackMouseEvent(&tme);
}

}  // namespace

// ---- CSkinButton ----------------------------------------------------------------

CSkinButton::CSkinButton() : m_brBk(::CreateSolidBrush(RGB(255, 255, 255))) {}

void CSkinButton::LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId)
{
    const UINT ids[4] = {normalId, hoverId, pressedId, disabledId};
    for (int i = 0; i < 4; ++i)
        m_images[i] = SharedPng(ids[i]);
}

void CSkinButton::Compose(HDC hTarget)
{
    for (const CImageRef& image : m_images)
        if (!hTarget || !image)
            return;
    const RECT rc = GetClientRect();
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return;
    CMemoryDC memDC(::CreateCompatibleDC(hTarget));
    CBitmapObj bmp(::CreateCompatibleBitmap(hTarget, w, h));
    if (!memDC || !bmp)
        return;
    CSelectObject selBmp(memDC.Get(), bmp.Get());
    ::FillRect(memDC.Get(), &rc, m_brBk.Get());
    ::SetBkMode(memDC.Get(), TRANSPARENT);
    {
        CGraphics g(memDC.Get());
        if (g) {
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
            if (m_bkImage)
                DrawBackgroundPart(g.Get(), m_bkImage, rc, m_rcBkSource);
            const int index = skin::StateImageIndex(Enabled(), m_state.m_nState);
            if (index >= 0)
                DrawFace(g.Get(), m_images[index], rc);
        }
    }
    ::BitBlt(hTarget, 0, 0, w, h, memDC.Get(), 0, 0, SRCCOPY);
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (dis)
        Compose(dis->hDC);
}

void CSkinButton::OnMouseMove(POINT)
{
    Default();
    if (m_state.OnMouseMove(Enabled()))
        TrackHoverAndLeave(m_hWnd);
}

void CSkinButton::OnHoverOrRelease(POINT pt)
{
    if (m_state.OnHover(Enabled(), Counts(pt)))
        Invalidate(TRUE);
    Default();
}

void CSkinButton::OnMouseHover(POINT pt)
{
    OnHoverOrRelease(pt);
}

void CSkinButton::OnLButtonUp(POINT pt)
{
    OnHoverOrRelease(pt);
}

void CSkinButton::OnLButtonDown(POINT pt)
{
    if (m_state.OnPress(Enabled(), Counts(pt)))
        Invalidate(TRUE);
    Default();
}

void CSkinButton::OnMouseLeave()
{
    Default();
    if (m_state.OnLeave(Enabled()))
        Invalidate(TRUE);
}

// ---- CImageButton -----------------------------------------------------------------

void CImageButton::EnableButton(bool enable)
{
    m_state.OnEnable(enable);
    ::EnableWindow(m_hWnd, enable ? TRUE : FALSE);
    Invalidate(TRUE);
}

bool CImageButton::Counts(POINT pt) const
{
    const RECT rc = GetClientRect();
    return ::PtInRect(&rc, pt) != FALSE;
}

void CImageButton::DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const
{
    DrawImageStretched(g, image, rc);
}

BOOL CImageButton::OnEraseBkgnd(HDC hDC)
{
    Compose(hDC);
    return TRUE;
}

// ---- CPngButton -------------------------------------------------------------------

void CPngButton::DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const
{
    int srcW = 0, srcH = 0;
    skin::PngButtonSourceSize(static_cast<int>(PngImageWidth(image)), static_cast<int>(PngImageHeight(image)),
                              m_fScale, &srcW, &srcH);
    DrawImagePart(g, image, rc, 0, 0, srcW, srcH);
}
