// What the three drawn controls (the image buttons, the check box, the drawn
// statics) share: the part of the parent's background that each shows as its
// own, and the one double-buffered paint that lays it under the control's
// images and text, so that a state change never flickers.
//
// Use: derive from CSkinnedControl<CButton> or <CStatic>; the owner gives the
// parent's image and the rectangle of it under the control
// (SetBackgroundImage, SetBackgroundRect); the control paints with PaintSkin,
// or, while the system's high-contrast mode is on, with PaintPlain in the
// system's colours.
//
// The keyboard focus cue: a control shows it only while it has the focus and
// its window's keyboard-cue state does not hide it. That state starts hidden
// (a mouse-only run shows the designed pixels) and follows WM_UPDATEUISTATE,
// which the dialog sends once the keyboard has been used in it
// (FollowKeyboardCues).
#pragma once
#include <functional>

#include "framework/Gdi.h"
#include "ui/PngResource.h"

// The memory DC and bitmap a control paints into: made for each paint and
// deleted after it, or kept between paints and made again only when the
// control has changed size, so a moved or resized control never shows stale
// or undrawn pixels.
class CPaintBuffer {
public:
    enum Life { kPerPaint, kKept };
    explicit CPaintBuffer(Life life) : m_life(life) {}

    // The memory DC, holding a bitmap of w × h compatible with target; null
    // when either cannot be made.
    [[nodiscard]] HDC Prepare(HDC target, int w, int h);
    HBITMAP Bitmap() const { return m_bitmap.Get(); }
    // The paint is over: a buffer made for it goes.
    void PaintDone();

private:
    Life m_life;
    CMemoryDC m_dc;
    CBitmapObj m_bitmap;
    SIZE m_size{0, 0};
};

// What a control draws over its background part: its images, through GDI+,
// then its text, through GDI. Either may be empty.
using CDrawImages = std::function<void(Gdiplus::GpGraphics* g, const RECT& client)>;
using CDrawText = std::function<void(HDC hDC, const RECT& client)>;

// Paints a control with client rectangle `client` into target through
// buffer: white ground, the background part (GDI+, high-quality smoothing),
// the images, the text, then one SRCCOPY blit of the client size from
// (0, 0) to (0, 0). False when nothing was painted (no target, an empty
// client, no memory bitmap).
bool PaintSkinned(HDC target, const RECT& client, CBackgroundPart& part, CPaintBuffer& buffer,
                  const CDrawImages& drawImages, const CDrawText& drawText);

using CPenObj = CUniqueHandle<SHandleTraits<HPEN, SDeleteObject>>;

// Paints client into target through buffer on a plain ground of the colour
// given: no background part and no images, only drawText, then one blit.
bool PaintPlain(HDC target, const RECT& client, CPaintBuffer& buffer, COLORREF ground, const CDrawText& drawText);

// Whether the system's high-contrast mode is on now.
bool HighContrastOn();

// High contrast: hWnd's client area in the system's window colour, edged in
// window text along its shape (its window region, else its rectangle).
void PaintPlainWindow(HWND hWnd, HDC hDC);

// Everything the window shows painted anew, its children included: after a
// change of the system's colours or of its high-contrast mode.
void RepaintWholly(HWND hWnd);

// The dialog manager's rule for the keyboard cues, for a message about to be
// handled by dialog: a navigation key (Tab, an arrow) shows the focus cue in
// every control of it from now on. Windows does this inside
// IsDialogMessage; wine keeps no keyboard-cue state at all, so the dialog
// tells its controls itself.
void FollowKeyboardCues(HWND dialog, const MSG* msg);

// A control's copy of its window's keyboard-cue state (WM_UPDATEUISTATE).
class CFocusCueState {
public:
    // True when msg changed whether the cue is hidden.
    bool OnMessage(UINT msg, WPARAM w);
    // Whether hWnd shows its focus cue now.
    bool Shows(HWND hWnd) const { return !m_bHidden && ::GetFocus() == hWnd; }

private:
    bool m_bHidden = true;
};

template <class TControl>
class CSkinnedControl : public TControl {
public:
    // The parent's background image (borrowed) and the rectangle of it, in
    // its own unscaled pixels, that lies under this control.
    void SetBackgroundImage(CImageRef image) { m_backgroundPart.SetImage(image); }
    void SetBackgroundRect(int left, int top, int right, int bottom)
    {
        m_backgroundPart.SetSource(left, top, right, bottom);
    }

protected:
    explicit CSkinnedControl(CPaintBuffer::Life life = CPaintBuffer::kPerPaint) : m_buffer(life) {}

    // The whole control painted into target (PaintSkinned).
    bool PaintSkin(HDC target, const CDrawImages& drawImages, const CDrawText& drawText)
    {
        return PaintSkinned(target, this->GetClientRect(), m_backgroundPart, m_buffer, drawImages, drawText);
    }
    // The whole control painted into target on a plain ground (PaintPlain).
    bool PaintPlainSkin(HDC target, COLORREF ground, const CDrawText& drawText)
    {
        return PaintPlain(target, this->GetClientRect(), m_buffer, ground, drawText);
    }

    CFocusCueState m_focusCue;

private:
    CBackgroundPart m_backgroundPart;
    CPaintBuffer m_buffer;
};
