// The skin's rules that need no window: scale arithmetic, the image buttons'
// state machine, the check box geometry, the text layout tables and the
// please-wait dots. The Win32 controls call these and only draw.
#pragma once
#include <string>

namespace skin {

// Design length times the scale factor, truncated toward zero: int(len × s).
int Scaled(int len, float scale);
// An integer plus a scaled term, summed in float and truncated once:
// int(base + len × s).
int AddScaled(int base, int len, float scale);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// ---- background part -----------------------------------------------------

// Pixels kept around a control's part of its parent's background in its
// crop: a draw that filters even at 1:1 (bilinear reads one neighbour,
// bicubic two) sees the same neighbours at the part's edges as in the whole
// image.
const int kBackgroundCropMargin = 2;

// The crop a control keeps of its parent's background: the source rectangle
// with `margin` pixels around it, cut to the image. Empty when the source
// rectangle is empty or not wholly inside the image: the whole image is
// drawn from then.
Rect CropAround(const Rect& src, int imageW, int imageH, int margin);

// ---- image buttons -------------------------------------------------------

enum ButtonState : int {
    STATE_NORMAL = 1,
    STATE_HOVER = 2,
    STATE_PRESSED = 3,
    STATE_DISABLED = 4,
};

// Index of the state image a button draws (0 normal, 1 hover, 2 pressed,
// 3 disabled), or -1 for none. A disabled window always shows the disabled
// image; an enabled button in state 4 shows nothing.
int StateImageIndex(bool windowEnabled, int state);

// The hover / press / leave rules shared by both image buttons. `pointInside`
// is the point test of CImageButton; CPngButton passes true. Each handler
// returns true when the button must be repainted.
struct CButtonStateMachine {
    int m_nState = STATE_NORMAL;
    bool m_bTracking = false;

    // WM_MOUSEMOVE: true when a hover/leave tracking request is to be made now.
    bool OnMouseMove(bool enabled);
    // WM_MOUSEHOVER and WM_LBUTTONUP.
    bool OnHover(bool enabled, bool pointInside);
    // WM_LBUTTONDOWN.
    bool OnPress(bool enabled, bool pointInside);
    // WM_MOUSELEAVE: the tracking request has ended, whatever the state.
    bool OnLeave(bool enabled);
    // EnableButton: 1 when enabled, 4 when disabled.
    void OnEnable(bool enable) { m_nState = enable ? STATE_NORMAL : STATE_DISABLED; }
};

// Source size of a CPngButton state image: the whole image up to scale 1.0;
// above it the last row and column are left out.
void PngButtonSourceSize(int imageW, int imageH, float scale, int* srcW, int* srcH);

// ---- check box -----------------------------------------------------------

// The 16 × 16 box, scaled, at the left of the client area, centred vertically.
Rect CheckBoxRect(int clientLeft, int clientHeight, float scale);
// Left edge of the strip cell for a BM_GETCHECK answer: checked 16, else 0.
int CheckCellLeft(int checkState);
// How far right of the box's left edge the caption starts:
// int(2 s) + int(16 s), each product truncated on its own.
int CheckCaptionOffset(float scale);

// ---- drawn statics -------------------------------------------------------

// DrawText flags, by value (these are the Win32 DT_* numbers).
enum : unsigned {
    TF_CENTER = 0x1,
    TF_RIGHT = 0x2,
    TF_VCENTER = 0x4,
    TF_WORDBREAK = 0x10,
    TF_SINGLELINE = 0x20,
    TF_EXTERNALLEADING = 0x200,
    TF_CALCRECT = 0x400,
    TF_EDITCONTROL = 0x2000,
};

struct TextLayout {
    bool drawText = false;      // false: the text is not drawn at all
    bool centre = false;        // measure first and centre the block vertically
    unsigned measureFlags = 0;  // DT_CALCRECT pass, when centre
    unsigned drawFlags = 0;
};

// CDrawTextStatic layout modes 0 to 7; any other mode draws no text.
TextLayout DrawTextLayout(int mode);
// CDrawStateInfoStatic layout modes 1 to 6; any other mode lays out as 1.
TextLayout StateInfoLayout(int mode);

// Vertical centring of wrapped text: (client − measured) / 2, truncated
// toward zero; negative when the text is taller than the control.
int CentringOffset(int clientHeight, int measuredHeight);

// ---- high contrast -------------------------------------------------------

// System colour numbers, by value (these are the Win32 COLOR_* numbers).
enum SysColour : int {
    SC_WINDOW = 5,
    SC_WINDOWTEXT = 8,
    SC_HIGHLIGHT = 13,
    SC_HIGHLIGHTTEXT = 14,
    SC_BTNFACE = 15,
    SC_GRAYTEXT = 17,
    SC_BTNTEXT = 18,
};

struct PlainColours {
    int ground = SC_BTNFACE, text = SC_BTNTEXT, edge = SC_BTNTEXT;
    int edgeWidth = 1;
};

// An image button's colours in high contrast by face (StateImageIndex):
// button text on the button face, edged in it; hover edged twice as thick in
// the highlight; pressed highlight text on the highlight; disabled grey text
// and edge; no face (-1) the plain ground only.
PlainColours PlainButtonColours(int face);

// The check box and the drawn statics in high contrast: window text on the
// window ground, grey text when disabled.
PlainColours PlainTextColours(bool enabled);

// The please-wait dots: 0 → 1 → 2 → 3 → 0, and the text they append.
int NextDotCount(int count);
std::wstring DotSuffix(int count);

}  // namespace skin
