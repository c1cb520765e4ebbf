// Drawn statics: the window text laid out by a text layout mode over the
// parent's background part, painted double-buffered. CDrawnStatic is what
// both have in common: the text's font, colour and layout mode, and its
// paint; CDrawTextStatic draws the prompt message in one of eight layouts;
// CDrawStateInfoStatic draws the please-wait text with one to three dots
// that advance once a second. In high contrast both draw window text on the
// window ground. CUnpaintedStatic holds a text that its parent draws at its
// place (the version in the main window's title) so that assistive
// technology can read it; it paints nothing itself.
#pragma once
#include <string>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"
#include "ui/SkinnedControl.h"

class CDrawnStatic : public CSkinnedControl<CStatic> {
public:
    bool SetFontFromParent(int sizeDelta, int weight);
    void SetLayoutMode(int mode) { m_nLayoutMode = mode; }
    void SetTextColor(COLORREF color);

protected:
    void OnPaint() override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

    // What is drawn and how it is laid out.
    virtual std::wstring PaintedText() const { return GetWindowText(); }
    virtual skin::TextLayout Layout(int mode) const = 0;

private:
    CFontObj m_font;
    COLORREF m_crText = RGB(0, 0, 0);
    int m_nLayoutMode = 0;
};

class CDrawTextStatic : public CDrawnStatic {
protected:
    skin::TextLayout Layout(int mode) const override { return skin::DrawTextLayout(mode); }
};

class CDrawStateInfoStatic : public CDrawnStatic {
public:
    void StartAnimation();
    void StopAnimation();
    int GetDotCount() const { return m_nDotCount; }

protected:
    std::wstring PaintedText() const override { return GetWindowText() + skin::DotSuffix(m_nDotCount); }
    skin::TextLayout Layout(int mode) const override { return skin::StateInfoLayout(mode); }
    void OnTimer(UINT_PTR id) override;

private:
    int m_nDotCount = 0;
};

class CUnpaintedStatic : public CStatic {
protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC) override { return TRUE; }
};
