// Shared by the prompt box and please-wait tests: a plain light window to
// own the dialogs (it is what shows through their shadow and round their
// cards), real pointer input, screen pixels, and a thread that drives a
// modal dialog while the test's own thread runs it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "tests/win/SkinTestSupport.h"

namespace prompttest {

const COLORREF kBackdrop = RGB(236, 239, 244);

class CBackdrop {
public:
    ~CBackdrop();
    bool Create(int x, int y, int w, int h);
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

// Real mouse input at screen coordinates: press at from, move to `to` in
// steps, release. Returns once the thread of dialog (a window with tab stops,
// in front) has handled all of it: a Tab key follows the release, and input is
// taken in order, so when the focus has moved the drag is over. False if it
// did not move within 3 s.
bool Drag(POINT from, POINT to, HWND dialog);

// Presses and lets go of Tab count times, as typed on the keyboard.
void PressTab(int count = 1);

// The window with the keyboard focus on the thread of w.
HWND FocusOnThreadOf(HWND w);

// The whole screen as it is now.
skintest::Pixels Screen();
// The whole screen once a dialog shows there: content (with its children)
// has nothing left to paint, area's rectangle is no longer all backdrop, and
// two reads 100 ms apart agree there (a compositing manager blends a window a
// moment after it paints). Within 5 s; after that, the screen as it is.
skintest::Pixels SettledScreen(HWND area, HWND content);
// 0x00RRGGBB of a COLORREF, as Pixels holds it.
uint32_t Rgb(COLORREF c);
// Brightness 0-255 of a pixel.
int Brightness(uint32_t px);

// Whether the display composes per-pixel-alpha windows with what is behind
// them: a half-transparent black square over the backdrop must come out at
// about half its brightness. An X server without a
// compositing manager shows such windows' pixels unblended.
bool DisplayBlendsTranslucentWindows(HWND backdrop);

// Saves the screen around rc as <scratch>\<name>.bmp.
void SaveShot(const std::wstring& dir, const std::wstring& name, const RECT& rc, int margin = 24);

// Runs modal() (a dialog's DoModal) on this thread while drive() runs on
// another. If the dialog is still up 5 s after drive() has returned, rescue()
// ends it, so a fault fails the test instead of hanging it; *rescued tells.
INT_PTR RunDriven(const std::function<INT_PTR()>& modal, const std::function<void()>& drive,
                  const std::function<void()>& rescue, bool* rescued);

}  // namespace prompttest
