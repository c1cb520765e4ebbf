// Geometry of the main window: the scale factor, the places of its five
// controls, the version text and the drag band. Portable arithmetic only.
#pragma once
#include "ui/SkinRules.h"

namespace mainwnd {

using skin::Rect;

// 1.0 up to 100 dpi, else dpi / 96.
float ScaleFromDpi(int logPixelsY);

// Window size: 800 × 500 design pixels, scaled.
int WindowWidth(float scale);
int WindowHeight(float scale);
// Corner ellipse of the rounded window.
int CornerEllipse(float scale);

struct Layout {
    Rect close, minimise, check, start, agreement;
};
// client: the client rectangle; captionWidth: the check box caption's width in pixels.
Layout LayoutControls(const Rect& client, float scale, int captionWidth);

// Parts of the background image (design pixels) under each control.
extern const Rect kCloseSource;      // (768, 24, 781, 37)
extern const Rect kMinimiseSource;   // (735, 24, 748, 37)
extern const Rect kStartSource;      // (321, 427, 479, 471)
// Under the check box: its own place in the design, as wide as the caption.
Rect CheckSource(float scale, int captionWidth);

// Where the version text is drawn.
Rect VersionTextRect(const Rect& client, float scale);

// The band that drags the window, from the client rectangle in screen
// coordinates: the top 46 scaled pixels without the right-most 86 scaled.
Rect DragBand(const Rect& clientOnScreen, float scale);

}  // namespace mainwnd
