// Owner-drawn push buttons painted from one PNG per state over the background
// part of the parent's skin. CImageButton: the large captioned buttons (start,
// Yes/No/OK/Cancel), double-buffered, also paints on erase. CPngButton: the
// small title-bar buttons, with the scale-dependent source rectangle.
//
// Use: SubclassDlgItem onto a BS_OWNERDRAW template button, SetBackgroundImage
// (shared, not owned), SetBackgroundRect (parent image pixels), LoadStateImages
// once, then MoveWindow. The parent must be a CWnd so WM_DRAWITEM reaches
// DrawItem. Call ReleaseImages from the owner's WM_DESTROY.
#pragma once
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "ui/SkinRules.h"

class CImageButton : public CButton {
public:
    CImageButton();
    ~CImageButton() override;

    void SetBackgroundImage(Gdiplus::GpImage* image) { m_pBkImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_rcBkSource = {left, top, right, bottom}; }
    void LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId);
    void ReleaseImages();
    // On the button's own thread, which paints it and tracks the pointer.
    void EnableButton(bool enable);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    int GetButtonState() const { return m_state.m_nState; }
    bool IsTracking() const { return m_state.m_bTracking; }

private:
    void Compose(HDC hTarget);
    bool PointInClient(LPARAM lParam) const;
    bool Enabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }

    Gdiplus::GpImage* m_pBkImage = nullptr;
    RECT m_rcBkSource{0, 0, 0, 0};
    CBrushObj m_brBk;
    RECT m_rcClient{0, 0, 0, 0};
    Gdiplus::GpImage* m_pImages[4] = {nullptr, nullptr, nullptr, nullptr};   // normal, hover, pressed, disabled
    skin::CButtonStateMachine m_state;
};

class CPngButton : public CButton {
public:
    CPngButton();
    ~CPngButton() override;

    void SetBackgroundImage(Gdiplus::GpImage* image) { m_pBkImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_rcBkSource = {left, top, right, bottom}; }
    void LoadStateImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId);
    void ReleaseImages();

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    int GetButtonState() const { return m_state.m_nState; }
    bool IsTracking() const { return m_state.m_bTracking; }

    float m_fScale = 1.0f;

private:
    bool Enabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }

    Gdiplus::GpImage* m_pBkImage = nullptr;
    RECT m_rcBkSource{0, 0, 0, 0};
    CBrushObj m_brBk;
    Gdiplus::GpImage* m_pImages[4] = {nullptr, nullptr, nullptr, nullptr};
    skin::CButtonStateMachine m_state;
};
