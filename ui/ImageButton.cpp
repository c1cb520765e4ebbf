#include "ui/ImageButton.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/PngResource.h"

namespace {

void LoadFour(Gdiplus::GpImage* (&slots)[4], UINT normal, UINT hover, UINT pressed, UINT disabled)
{
    const UINT ids[4] = {normal, hover, pressed, disabled};
    for (int i = 0; i < 4; ++i) {
        if (!slots[i])
            LoadPngResource(&slots[i], ids[i]);
    }
}

void ReleaseFour(Gdiplus::GpImage* (&slots)[4])
{
    for (auto& slot : slots)
        DeletePngImage(&slot);
}

bool AllLoaded(Gdiplus::GpImage* const (&slots)[4])
{
    return slots[0] && slots[1] && slots[2] && slots[3];
}

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

// ---- CImageButton ------------------------------------------------------------

CImageButton::CImageButton() : m_brBk(::CreateSolidBrush(RGB(255, 255, 255))) {}

CImageButton::~CImageButton()
{
    ReleaseImages();
}

void CImageButton::LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId)
{
    LoadFour(m_pImages, normalId, hoverId, pressedId, disabledId);
}

void CImageButton::ReleaseImages()
{
    ReleaseFour(m_pImages);
}

void CImageButton::EnableButton(bool enable)
{
    m_state.OnEnable(enable);
    ::EnableWindow(m_hWnd, enable ? TRUE : FALSE);
    Invalidate(TRUE);
}

bool CImageButton::PointInClient(LPARAM lParam) const
{
    RECT rc = GetClientRect();
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return ::PtInRect(&rc, pt) != FALSE;
}

void CImageButton::Compose(HDC hTarget)
{
    if (!hTarget || !AllLoaded(m_pImages))
        return;
    m_rcClient = GetClientRect();
    const int w = m_rcClient.right - m_rcClient.left, h = m_rcClient.bottom - m_rcClient.top;
    if (w <= 0 || h <= 0)
        return;
    CMemoryDC memDC(hTarget);
    CBitmapObj bmp(::CreateCompatibleBitmap(hTarget, w, h));
    if (!memDC || !bmp)
        return;
    CSelectObject selBmp(memDC.Get(), bmp.Get());
    ::FillRect(memDC.Get(), &m_rcClient, m_brBk.Get());
    ::SetBkMode(memDC.Get(), TRANSPARENT);
    {
        CGraphics g(memDC.Get());
        if (g) {
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
            if (m_pBkImage)
                DrawBackgroundPart(g.Get(), m_pBkImage, m_rcClient, m_rcBkSource);
            const int index = skin::StateImageIndex(Enabled(), m_state.m_nState);
            if (index >= 0)
                DrawImageStretched(g.Get(), m_pImages[index], m_rcClient);
        }
    }
    ::BitBlt(hTarget, 0, 0, w, h, memDC.Get(), 0, 0, SRCCOPY);
}

void CImageButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (dis)
        Compose(dis->hDC);
}

LRESULT CImageButton::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_MOUSEMOVE: {
        LRESULT r = Default();
        if (m_state.OnMouseMove(Enabled()))
            TrackHoverAndLeave(m_hWnd);
        return r;
    }
    case WM_MOUSEHOVER:
    case WM_LBUTTONUP:
        if (m_state.OnHover(Enabled(), PointInClient(l)))
            Invalidate(TRUE);
        return Default();
    case WM_LBUTTONDOWN:
        if (m_state.OnPress(Enabled(), PointInClient(l)))
            Invalidate(TRUE);
        return Default();
    case WM_MOUSELEAVE: {
        LRESULT r = Default();
        if (m_state.OnLeave(Enabled()))
            Invalidate(TRUE);
        return r;
    }
    case WM_ERASEBKGND:
        Compose(reinterpret_cast<HDC>(w));
        return TRUE;
    default:
        return Default();
    }
}

// ---- CPngButton ----------------------------------------------------------------

CPngButton::CPngButton() : m_brBk(::CreateSolidBrush(RGB(255, 255, 255))) {}

CPngButton::~CPngButton()
{
    ReleaseImages();
}

void CPngButton::LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId)
{
    LoadFour(m_pImages, normalId, hoverId, pressedId, disabledId);
}

void CPngButton::ReleaseImages()
{
    ReleaseFour(m_pImages);
}

void CPngButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!dis || !dis->hDC || !AllLoaded(m_pImages))
        return;
    const RECT r = dis->rcItem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return;
    CBitmapObj bmp(::CreateCompatibleBitmap(dis->hDC, w, h));
    if (!bmp)
        return;
    CMemoryDC memDC(dis->hDC);
    if (!memDC)
        return;
    CSelectObject selBmp(memDC.Get(), bmp.Get());
    {
        CGraphics g(memDC.Get());
        if (g)
            gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
        if (m_pBkImage && g)
            DrawBackgroundPart(g.Get(), m_pBkImage, r, m_rcBkSource);
        else if (!m_pBkImage)
            ::FillRect(memDC.Get(), &r, m_brBk.Get());
        const int index = skin::StateImageIndex(Enabled(), m_state.m_nState);
        if (index >= 0 && g) {
            Gdiplus::GpImage* image = m_pImages[index];
            int srcW = 0, srcH = 0;
            skin::PngButtonSourceSize(static_cast<int>(PngImageWidth(image)), static_cast<int>(PngImageHeight(image)),
                                      m_fScale, &srcW, &srcH);
            DrawImagePart(g.Get(), image, r, 0, 0, srcW, srcH);
        }
    }
    ::BitBlt(dis->hDC, 0, 0, w, h, memDC.Get(), 0, 0, SRCCOPY);
}

LRESULT CPngButton::WindowProc(UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_MOUSEMOVE: {
        LRESULT r = Default();
        if (m_state.OnMouseMove(Enabled()))
            TrackHoverAndLeave(m_hWnd);
        return r;
    }
    case WM_MOUSEHOVER:
    case WM_LBUTTONUP:
        if (m_state.OnHover(Enabled(), true))
            Invalidate(TRUE);
        return Default();
    case WM_LBUTTONDOWN:
        if (m_state.OnPress(Enabled(), true))
            Invalidate(TRUE);
        return Default();
    case WM_MOUSELEAVE: {
        LRESULT r = Default();
        if (m_state.OnLeave(Enabled()))
            Invalidate(TRUE);
        return r;
    }
    default:
        return Default();
    }
}
