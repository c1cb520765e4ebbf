// PNG images from the program's resources and the drawing helpers every
// skinned control shares: background part, rounded region, parent font,
// single-line text width.
#pragma once
#include <memory>
#include <string>

#include "framework/Gdi.h"

// A PNG resource decoded by GDI+, with the memory block its stream reads
// from: the image may read it for as long as it lives, so it goes after the
// image (members go in reverse order).
struct CPngImage {
    CGlobalMemory block;
    CImagePtr image;
    Gdiplus::GpImage* Get() const { return image.get(); }
    explicit operator bool() const { return image != nullptr; }
};

// Decodes PNG resource `id` (type "PNG") of the program's module into out,
// which then owns it. False (out unchanged) when the resource is missing or
// cannot be decoded.
[[nodiscard]] bool LoadPngResource(CPngImage& out, UINT id);

// A PNG resource decoded on a thread of its own from construction on, so that
// the decoding goes on beside whatever the caller does meanwhile (loading
// libraries, making a window). Take waits for it, for at most kWaitMs.
class CPngPreload {
public:
    static constexpr DWORD kWaitMs = 10000;
    explicit CPngPreload(UINT id);
    ~CPngPreload();
    CPngPreload(const CPngPreload&) = delete;
    CPngPreload& operator=(const CPngPreload&) = delete;

    // The decoded image, once; null when it could not be decoded, was taken
    // already, or was not ready in time. Without a thread of its own (one
    // could not be started) the image is decoded here.
    [[nodiscard]] std::unique_ptr<CPngImage> Take();

private:
    struct SState;
    static void Decode(SState& state);
    std::shared_ptr<SState> m_state;   // shared with the thread, which may outlive a timed-out wait
    CHandle m_thread;
};

// Whether the program's module holds PNG resource `id` (nothing is decoded).
bool PngResourceExists(UINT id);

// The skin's images, decoded once per process on first use and kept (with
// their blocks) until it ends: every control and dialog that draws PNG `id`
// borrows the same image. Null when it cannot be decoded.
CImageRef SharedPng(UINT id);

// Width and height of an image; 0 for a null or undecodable one.
UINT PngImageWidth(CImageRef image);
UINT PngImageHeight(CImageRef image);

// Rounded-rectangle window region the size of the window rectangle.
void SetWindowRoundRegion(HWND hWnd, int ellipseW, int ellipseH);
// Gives the window the region (it owns it from then on); a region the window
// does not take is deleted.
void SetWindowRegion(HWND hWnd, HRGN region);

// A font made from the parent's font (WM_GETFONT, else the stock GUI font,
// else the stock variable font). A non-zero size delta enlarges the height by
// that many pixels and, with weight > 0, sets the weight; delta 0 copies the
// font unchanged.
bool CreateFontFromParent(HWND parent, int sizeDelta, int weight, CFontObj& out);

// Width in pixels of `text` on one line in a font derived from hWnd's font as
// above; −1 without a window or a DC.
int MeasureTextWidth(HWND hWnd, HDC hDC, const std::wstring& text, int sizeDelta, int weight);

// Draws the part (src: left, top, right, bottom in image pixels, not scaled)
// of a parent's background image stretched over dest (client coordinates).
void DrawBackgroundPart(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest, const RECT& src);

// The part of a parent's background a control paints as its own background.
// Drawn at 1:1 (scale 1.0) it comes from a crop of the image made once for
// the part: such a draw costs what converting its whole source image costs,
// not the area drawn. A stretched draw comes from the whole image: its
// sampling points are computed (in float) from where the part lies in its
// source, so from a crop they would land a rounding apart and a few pixels
// would change. The image is the parent's, borrowed; the crop is this
// object's. Without a crop (it could not be made) the whole image is used.
class CBackgroundPart {
public:
    void SetImage(CImageRef image);
    void SetSource(int left, int top, int right, int bottom);
    explicit operator bool() const { return static_cast<bool>(m_image); }
    void Draw(Gdiplus::GpGraphics* g, const RECT& dest);
    // Whether the last draw came from the crop.
    bool DrewFromCrop() const { return m_bDrewFromCrop; }

private:
    void MakeCrop();

    CImageRef m_image;
    RECT m_src{0, 0, 0, 0};
    CImagePtr m_crop;
    POINT m_cropOrigin{0, 0};   // where the crop starts in the image
    bool m_bCropTried = false;
    bool m_bDrewFromCrop = false;
};

// Draws a whole image, or the source rectangle (x, y, w, h) of it, stretched
// over dest. Nothing when the graphics or the image is null.
void DrawImageStretched(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest);
void DrawImagePart(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest, int srcX, int srcY, int srcW, int srcH);
