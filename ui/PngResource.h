// PNG images from the program's resources and the drawing helpers every
// skinned control shares: background part, rounded region, parent font,
// single-line text width.
#pragma once
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
bool LoadPngResource(CPngImage& out, UINT id);

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

// Draws a whole image, or the source rectangle (x, y, w, h) of it, stretched
// over dest. Nothing when the graphics or the image is null.
void DrawImageStretched(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest);
void DrawImagePart(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest, int srcX, int srcY, int srcW, int srcH);
