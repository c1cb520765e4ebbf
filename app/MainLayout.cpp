#include "app/MainLayout.h"

namespace mainwnd {

using skin::AddScaled;
using skin::Scaled;

const Rect kCloseSource{768, 24, 781, 37};
const Rect kMinimiseSource{735, 24, 748, 37};
const Rect kStartSource{321, 427, 479, 471};

float ScaleFromDpi(int logPixelsY)
{
    if (logPixelsY > 100)
        return static_cast<float>(static_cast<double>(logPixelsY) / 96.0);
    return 1.0f;
}

int WindowWidth(float scale) { return Scaled(800, scale); }
int WindowHeight(float scale) { return Scaled(500, scale); }
int CornerEllipse(float scale) { return Scaled(36, scale); }

namespace {
// A title-bar button: left = R − int(offset s), top = T + int(24 s), 13 × 13 scaled
// with the 13 added in float.
Rect TitleButton(const Rect& c, float s, int offsetFromRight)
{
    Rect r;
    r.left = c.right - Scaled(offsetFromRight, s);
    r.top = c.top + Scaled(24, s);
    r.right = AddScaled(r.left, 13, s);
    r.bottom = AddScaled(r.top, 13, s);
    return r;
}
}  // namespace

Layout LayoutControls(const Rect& c, float s, int captionWidth)
{
    Layout l;
    l.close = TitleButton(c, s, 32);
    l.minimise = TitleButton(c, s, 65);

    l.check.left = Scaled(50, s);
    l.check.top = c.top + Scaled(280, s);
    l.check.right = l.check.left + static_cast<int>(18.0f * s + static_cast<float>(captionWidth));
    l.check.bottom = l.check.top + Scaled(20, s);

    l.start.left = c.left + Scaled(321, s);
    l.start.top = c.top + Scaled(427, s);
    l.start.right = l.start.left + Scaled(158, s);
    l.start.bottom = l.start.top + Scaled(44, s);

    l.agreement.left = c.left + Scaled(50, s);
    l.agreement.top = c.top + Scaled(60, s);
    l.agreement.right = c.right - Scaled(50, s);
    l.agreement.bottom = l.agreement.top + Scaled(210, s);
    return l;
}

Rect CheckSource(float scale, int captionWidth)
{
    return {50, 280, 68 + static_cast<int>(static_cast<float>(captionWidth) / scale), 300};
}

Rect VersionTextRect(const Rect& c, float s)
{
    Rect r;
    r.left = c.left + Scaled(395, s);
    r.top = c.top + Scaled(20, s);
    r.right = r.left + Scaled(200, s);
    r.bottom = r.top + Scaled(18, s);
    return r;
}

Rect DragBand(const Rect& c, float s)
{
    Rect r = c;
    r.bottom = r.top + Scaled(46, s);
    r.right -= Scaled(86, s);
    return r;
}

}  // namespace mainwnd
