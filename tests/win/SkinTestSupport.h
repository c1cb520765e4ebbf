// Test host for the skinned controls: a borderless popup that paints PNG 134
// at 1:1 like the main window, reflects WM_DRAWITEM (it is a CWnd), answers
// WM_GETFONT with a font of the test's choice; plus pixel capture.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "ui/PngResource.h"

namespace skintest {

// GDI+ for the whole test program (started once, never shut down).
void EnsureGdiplus();

// Processes pending messages for about ms milliseconds.
void Pump(DWORD ms = 30);

struct Pixels {
    int w = 0, h = 0;
    std::vector<uint32_t> px;   // 0x00RRGGBB, top-down
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    bool operator==(const Pixels& o) const { return w == o.w && h == o.h && px == o.px; }
    bool operator!=(const Pixels& o) const { return !(*this == o); }
    Pixels Crop(const RECT& r) const;
    int CountNot(uint32_t colour) const;
    bool SaveBmp(const std::wstring& path) const;
};

// The client area of a window as it is on screen, after its pending paints.
Pixels Capture(HWND hWnd);

// Whether px is c1, c2 or what anti-aliased drawing of one over the other
// gives (every channel the same share of the way), within a step or two.
bool IsBlendOf(uint32_t px, uint32_t c1, uint32_t c2);
// 0x00RRGGBB of a system colour.
uint32_t SysColour(int index);

// High contrast for this test program while the object lives: the system
// reports the mode on to it (HighContrastSwitch.h; wine cannot switch it) and
// the system colours are a high-contrast scheme: window and button face
// black, window text white, button text yellow, grey text green, the
// highlight cyan with black text. Both go back when it goes.
class CHighContrast {
public:
    CHighContrast();
    ~CHighContrast();
    CHighContrast(const CHighContrast&) = delete;
    CHighContrast& operator=(const CHighContrast&) = delete;
    // Whether the program sees the mode on now.
    static bool On();
    // The mode off or on again, the colours kept (windows are told by the test).
    void Switch(bool on);

private:
    HANDLE m_event = nullptr;
    int m_ids[6] = {};
    COLORREF m_saved[6] = {};
    COLORREF m_savedHighlightText = 0;
};

class CHostWnd : public CWnd {
public:
    ~CHostWnd() override;
    // A visible popup at (x, y) with a client area of w × h, painted from a
    // PNG stretched over it (134: 1:1 at 800 × 500).
    bool Create(int x, int y, int w, int h, UINT backgroundId = 134);
    void Destroy();
    void SetFont(HFONT font) { m_hFont = font; }
    CImageRef Background() const { return m_bkImage.image; }
    // A child control of a standard class, at the rectangle given.
    HWND AddChild(const wchar_t* cls, DWORD style, int id, const RECT& rc, const wchar_t* text = L"");

protected:
    BOOL OnEraseBkgnd(HDC hDC) override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

private:
    CPngImage m_bkImage;
    HFONT m_hFont = nullptr;
};

}  // namespace skintest
