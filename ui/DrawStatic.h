// Drawn statics. CDrawTextStatic: the prompt message in one of eight text
// layouts. CDrawStateInfoStatic: the please-wait text with one to three dots
// that advance once a second. Both paint double-buffered over the parent's
// background part; the text is the window text.
#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"

#define PROMPT_ANIM_TIMER 36

class CDrawTextStatic : public CStatic {
public:
    CDrawTextStatic() = default;

    void SetBackgroundImage(Gdiplus::GpImage* image) { m_pBkImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_rcBkSource = {left, top, right, bottom}; }
    bool SetFontFromParent(int sizeDelta, int weight);
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }
    void SetTextColor(COLORREF color) { m_crText = color; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();

    CBrushObj m_brBk;
    RECT m_rcClient{0, 0, 0, 0};
    CFontObj m_font;
    HGDIOBJ m_hOldFont = nullptr;
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBk = RGB(255, 255, 255);
    int m_nLayoutMode = 0;
    Gdiplus::GpImage* m_pBkImage = nullptr;   // shared
    RECT m_rcBkSource{0, 0, 0, 0};
};

class CDrawStateInfoStatic : public CStatic {
public:
    CDrawStateInfoStatic();

    void SetBackgroundImage(Gdiplus::GpImage* image) { m_pBkImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_rcBkSource = {left, top, right, bottom}; }
    bool SetFontFromParent(int sizeDelta, int weight);
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }
    void SetTextColor(COLORREF color);
    void StartAnimation();
    void StopAnimation();

    int GetDotCount() const { return m_nDotCount; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();

    CBrushObj m_brBk;
    RECT m_rcClient{0, 0, 0, 0};
    CFontObj m_font;
    HGDIOBJ m_hOldFont = nullptr;
    COLORREF m_crText = RGB(0, 0, 0);
    int m_nDotCount = 0;
    int m_nLayoutMode = 0;
    Gdiplus::GpImage* m_pBkImage = nullptr;   // shared
    RECT m_rcBkSource{0, 0, 0, 0};
};
