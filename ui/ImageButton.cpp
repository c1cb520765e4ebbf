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
    // Held down by the keyboard as by the mouse.
    const bool pushed = (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const int state = pushed ? skin::STATE_PRESSED : m_state.m_nState;
    return {skin::StateImageIndex(Enabled(), state), {rc.right - rc.left, rc.bottom - rc.top}, m_focusCue.Shows(m_hWnd),
            HighContrastOn()};
}

bool CSkinButton::Compose(HDC hTarget)
{
    const SFace face = CurrentFace();
    auto drawCue = [&](HDC hDC, const RECT& rc) {
        if (!face.cue)
            return;
        const RECT cue = FocusCueRect(rc);
        ::SetTextColor(hDC, RGB(0, 0, 0));
        ::SetBkColor(hDC, RGB(255, 255, 255));
        ::DrawFocusRect(hDC, &cue);
    };
    if (face.plain) {
        const skin::PlainColours c = skin::PlainButtonColours(face.index);
        return PaintPlainSkin(hTarget, ::GetSysColor(c.ground), [&](HDC hDC, const RECT& rc) {
            if (face.index >= 0) {
                CBrushObj edge(::CreateSolidBrush(::GetSysColor(c.edge)));
                RECT r = rc;
                for (int i = 0; i < c.edgeWidth; ++i, ::InflateRect(&r, -1, -1))
                    ::FrameRect(hDC, &r, edge.Get());
                DrawPlainFace(hDC, rc, face.index, ::GetSysColor(c.text));
            }
            drawCue(hDC, rc);
        });
    }
    CImageRef image = face.index >= 0 ? StateImage(face.index) : CImageRef();
    if (!m_bComplete)
        return false;
    return PaintSkin(
        hTarget,
        [&](Gdiplus::GpGraphics* g, const RECT& rc) {
            if (image)
                DrawFace(g, image, rc);
        },
        face.cue ? CDrawText(drawCue) : CDrawText());
}

LRESULT CSkinButton::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    const bool changed = m_focusCue.OnMessage(msg, w);
    const LRESULT r = CSkinnedControl::OnMessage(msg, w, l);
    if (changed && ::GetFocus() == m_hWnd)
        Invalidate(TRUE);
    return r;
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

void CImageButton::DrawPlainFace(HDC hDC, const RECT& rc, int, COLORREF text) const
{
    const std::wstring caption = GetWindowText();
    CSelectObject font(hDC, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    ::SetTextColor(hDC, text);
    RECT r = rc;
    ::DrawTextW(hDC, caption.c_str(), static_cast<int>(caption.size()), &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

RECT CImageButton::FocusCueRect(const RECT& rc) const
{
    RECT r = rc;
    ::InflateRect(&r, -3, -3);
    return r;
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

void CPngButton::DrawPlainFace(HDC hDC, const RECT& rc, int, COLORREF text) const
{
    const int inset = skin::Scaled(3, m_fScale);
    const int width = skin::Scaled(1, m_fScale) > 1 ? skin::Scaled(1, m_fScale) : 1;
    CPenObj pen(::CreatePen(PS_SOLID, width, text));
    CSelectObject sel(hDC, pen.Get());
    const int l = rc.left + inset, t = rc.top + inset, r = rc.right - inset, b = rc.bottom - inset;
    if (m_glyph == kGlyphMinimise) {
        ::MoveToEx(hDC, l, b - 1, nullptr);
        ::LineTo(hDC, r, b - 1);
    } else {
        ::MoveToEx(hDC, l, t, nullptr);
        ::LineTo(hDC, r, b);
        ::MoveToEx(hDC, r - 1, t, nullptr);
        ::LineTo(hDC, l - 1, b);
    }
}
