// Owner-drawn push buttons painted from one PNG per state over the background
// part of the parent's skin. CSkinButton is what both have in common: the
// images, the background part, double-buffered painting and the hover /
// press / leave state machine. CImageButton: the large captioned buttons
// (start, Yes/No/OK/Cancel), each state image stretched over the button; it
// also paints on erase. CPngButton: the small title-bar buttons, with the
// scale-dependent source rectangle.
//
// Use: SubclassDlgItem onto a BS_OWNERDRAW template button, SetBackgroundImage
// (the parent's, borrowed), SetBackgroundRect (parent image pixels),
// LoadStateImages, then MoveWindow. The parent must be a CWnd so WM_DRAWITEM
// reaches DrawItem. The state images are the process's shared ones.
#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "ui/SkinRules.h"

class CSkinButton : public CButton {
public:
    CSkinButton();

    void SetBackgroundImage(CImageRef image) { m_bkImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_rcBkSource = {left, top, right, bottom}; }
    void LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    int GetButtonState() const { return m_state.m_nState; }
    bool IsTracking() const { return m_state.m_bTracking; }

protected:
    // Paints the whole button into hTarget through one memory bitmap.
    void Compose(HDC hTarget);
    bool Enabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }

    // Whether a hover or a press at pt (client coordinates) counts.
    virtual bool Counts(POINT pt) const = 0;
    // Draws the state image over the button's rectangle.
    virtual void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const = 0;

    void OnMouseMove(POINT pt) override;
    void OnMouseHover(POINT pt) override;
    void OnLButtonUp(POINT pt) override;
    void OnLButtonDown(POINT pt) override;
    void OnMouseLeave() override;

    skin::CButtonStateMachine m_state;

private:
    void OnHoverOrRelease(POINT pt);

    CImageRef m_bkImage;
    RECT m_rcBkSource{0, 0, 0, 0};
    CBrushObj m_brBk;
    CImageRef m_images[4];   // normal, hover, pressed, disabled
};

class CImageButton : public CSkinButton {
public:
    // On the button's own thread, which paints it and tracks the pointer.
    void EnableButton(bool enable);

protected:
    bool Counts(POINT pt) const override;
    void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const override;
    BOOL OnEraseBkgnd(HDC hDC) override;
};

class CPngButton : public CSkinButton {
public:
    float m_fScale = 1.0f;

protected:
    bool Counts(POINT) const override { return true; }
    void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const override;
};
