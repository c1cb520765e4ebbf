// The consent check box: a standard auto check box whose painting is a
// 16 × 16 box cell from PNG 153 and a caption over the parent's background
// part. The check state is the standard one (BM_SETCHECK / BM_GETCHECK).
//
// Use: SubclassDlgItem onto a BS_AUTOCHECKBOX template control, set caption,
// SetBackgroundImage / SetBackgroundRect, SetTextColor, InitFont, m_fScale,
// then the check state.
#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CCheckBoxBtn : public CButton {
public:
    CCheckBoxBtn();
    ~CCheckBoxBtn() override;

    void SetBackgroundImage(Gdiplus::GpImage* image) { m_pBkImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_rcBkSource = {left, top, right, bottom}; }
    void SetTextColor(COLORREF color) { m_crText = color; }
    // Copies the parent's font (unchanged) into the control's own font.
    void InitFont();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    void OnPaint();
    void Repaint();

    Gdiplus::GpImage* m_pCheckImage = nullptr;   // owned, loaded at the first paint
    CMemoryDC m_memDC;                           // kept between paints
    CBitmapObj m_bmpMem;
    SIZE m_sizeMem{0, 0};
    HGDIOBJ m_hOldBitmap = nullptr;
    CBrushObj m_brBk;
    RECT m_rcClient{0, 0, 0, 0};
    CFontObj m_font;
    HGDIOBJ m_hOldFont = nullptr;
    COLORREF m_crText = RGB(0, 0, 0);
    Gdiplus::GpImage* m_pBkImage = nullptr;      // shared
    RECT m_rcBkSource{0, 0, 0, 0};
};
