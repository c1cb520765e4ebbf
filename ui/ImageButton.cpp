#include "ui/ImageButton.h"

#include <commctrl.h>

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

void CSkinButton::LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId)
{
    const UINT ids[4] = {normalId, hoverId, pressedId, disabledId};
    m_bComplete = true;
    for (int i = 0; i < 4; ++i) {
        m_ids[i] = ids[i];
        m_images[i] = CImageRef();
        m_bComplete = m_bComplete && PngResourceExists(ids[i]);
    }
    // The face the window shows first; the others wait until they are shown.
    if (m_bComplete && !StateImage(0))
        m_bComplete = false;
}

CImageRef CSkinButton::StateImage(int index)
{
    if (!m_images[index] && m_bComplete) {
        m_images[index] = SharedPng(m_ids[index]);
        m_bComplete = static_cast<bool>(m_images[index]);
    }
    return m_bComplete ? m_images[index] : CImageRef();
}

CSkinButton::SFace CSkinButton::CurrentFace() const
{
    const RECT rc = GetClientRect();
    return {skin::StateImageIndex(Enabled(), m_state.m_nState), {rc.right - rc.left, rc.bottom - rc.top}};
}

bool CSkinButton::Compose(HDC hTarget)
{
    const SFace face = CurrentFace();
    CImageRef image = face.index >= 0 ? StateImage(face.index) : CImageRef();
    if (!m_bComplete)
        return false;
    return PaintSkin(
        hTarget,
        [&](Gdiplus::GpGraphics* g, const RECT& rc) {
            if (image)
                DrawFace(g, image, rc);
        },
        nullptr);
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    const bool erased = m_bErased;
    m_bErased = false;
    if (!dis)
        return;
    if (erased && dis->itemAction == ODA_DRAWENTIRE && m_erasedFace == CurrentFace())
        return;
    // Skin errors are silent: a face that could not be painted stays as it was.
    (void)Compose(dis->hDC);
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
    m_bErased = Compose(hDC);
    m_erasedFace = CurrentFace();
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
