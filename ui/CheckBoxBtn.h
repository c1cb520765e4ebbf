// The consent check box: a standard auto check box whose painting is a
// 16 × 16 box cell from PNG 153 and a caption over the parent's background
// part. The check state is the standard one (BM_SETCHECK / BM_GETCHECK).
//
// Use: SubclassDlgItem onto a BS_AUTOCHECKBOX template control, set caption,
// SetBackgroundImage / SetBackgroundRect, SetTextColor, InitFont, m_fScale,
// then the check state. Space toggles it, as the standard box does; with
// the focus and the keyboard cues shown a dotted rectangle surrounds its
// caption. In high contrast it draws a plain box, a tick and its caption in
// the system's window colours.
#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "ui/PngResource.h"
#include "ui/SkinnedControl.h"

// Its memory bitmap is kept between paints: it repaints on every change of
// its check, push and focus state.
class CCheckBoxBtn : public CSkinnedControl<CButton> {
public:
    CCheckBoxBtn() : CSkinnedControl(CPaintBuffer::kKept) {}

    void SetTextColor(COLORREF color) { m_crText = color; }
    // Copies the parent's font (unchanged) into the control's own font.
    void InitFont();

    float m_fScale = 1.0f;

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC) override { return TRUE; }   // the paint covers the whole control
    void OnLButtonDown(POINT) override;
    void OnLButtonUp(POINT) override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

private:
    void Repaint();

    CFontObj m_font;
    COLORREF m_crText = RGB(0, 0, 0);
    CImageRef m_strip;                           // the box cells, taken on the first paint
};
