// Owner-drawn push buttons painted from one PNG per state over the background
// part of the parent's skin. CSkinButton is what both have in common: the
// state images and the hover / press / leave state machine. CImageButton:
// the large captioned buttons (start, Yes/No/OK/Cancel), each state image
// stretched over the button; it also paints on erase. CPngButton: the small
// title-bar buttons, with the scale-dependent source rectangle.
//
// Use: SubclassDlgItem onto a BS_OWNERDRAW template button, SetBackgroundImage
// (the parent's, borrowed), SetBackgroundRect (parent image pixels),
// LoadStateImages, then MoveWindow. The parent must be a CWnd so WM_DRAWITEM
// reaches DrawItem. The state images are the process's shared ones; the
// normal face is decoded by LoadStateImages, the others when first shown.
//
// Held down by the keyboard (Space, as the standard button takes it) a
// button shows its pressed face. With the focus and the keyboard cues shown
// it draws a dotted focus rectangle over its face. In high contrast it draws
// in the system's button colours: CImageButton its window text in place of
// its image, CPngButton its glyph (a cross, or a bar for minimise).
#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"
#include "ui/SkinnedControl.h"

class CSkinButton : public CSkinnedControl<CButton> {
public:
    // A state whose image is not among the resources leaves the button
    // undrawn, as does one that cannot be decoded once it is needed.
    void LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    int GetButtonState() const { return m_state.m_nState; }
    bool IsTracking() const { return m_state.m_bTracking; }
    // Whether the image of a state (0 normal, 1 hover, 2 pressed, 3
    // disabled) has been taken yet.
    bool HasStateImage(int index) const { return index >= 0 && index < 4 && m_images[index]; }

protected:
    // Paints the whole button into hTarget through one memory bitmap; false
    // when nothing was painted.
    bool Compose(HDC hTarget);
    // The face the button shows now: state image index and size.
    struct SFace {
        int index = -1;
        SIZE size{0, 0};
        bool cue = false;     // the focus cue
        bool plain = false;   // high contrast
        bool operator==(const SFace& o) const
        {
            return index == o.index && size.cx == o.size.cx && size.cy == o.size.cy && cue == o.cue && plain == o.plain;
        }
    };
    SFace CurrentFace() const;
    bool Enabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }

    // Whether a hover or a press at pt (client coordinates) counts.
    virtual bool Counts(POINT pt) const = 0;
    // Draws the state image over the button's rectangle.
    virtual void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const = 0;
    // High contrast: what stands for the image (face 0 normal, 1 hover, 2
    // pressed, 3 disabled), in the colour given, over the plain ground.
    virtual void DrawPlainFace(HDC hDC, const RECT& rc, int face, COLORREF text) const = 0;
    // Where the focus cue goes.
    virtual RECT FocusCueRect(const RECT& rc) const = 0;

    void OnMouseMove(POINT pt) override;
    void OnMouseHover(POINT pt) override;
    void OnLButtonUp(POINT pt) override;
    void OnLButtonDown(POINT pt) override;
    void OnMouseLeave() override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

    skin::CButtonStateMachine m_state;

    // The face the last erase painted, until the next draw: a paint whose
    // erase composed the face it is about to draw need not compose it again.
    bool m_bErased = false;
    SFace m_erasedFace;

private:
    void OnHoverOrRelease(POINT pt);
    CImageRef StateImage(int index);

    UINT m_ids[4] = {0, 0, 0, 0};   // normal, hover, pressed, disabled
    CImageRef m_images[4];          // decoded on first need
    bool m_bComplete = false;       // every state has an image
};

class CImageButton : public CSkinButton {
public:
    // On the button's own thread, which paints it and tracks the pointer.
    void EnableButton(bool enable);

protected:
    bool Counts(POINT pt) const override;
    void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const override;
    void DrawPlainFace(HDC hDC, const RECT& rc, int face, COLORREF text) const override;
    RECT FocusCueRect(const RECT& rc) const override;
    BOOL OnEraseBkgnd(HDC hDC) override;
};

class CPngButton : public CSkinButton {
public:
    enum EGlyph { kGlyphClose, kGlyphMinimise };
    float m_fScale = 1.0f;
    EGlyph m_glyph = kGlyphClose;   // what it shows in high contrast

protected:
    bool Counts(POINT) const override { return true; }
    void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const override;
    void DrawPlainFace(HDC hDC, const RECT& rc, int face, COLORREF text) const override;
    RECT FocusCueRect(const RECT& rc) const override { return rc; }
};
