// PNG images from the program's resources and the drawing helpers every
// skinned control shares: background part, rounded region, parent font,
// single-line text width.
#pragma once
#include <string>

#include "framework/Gdi.h"

// Loads PNG resource `id` (type "PNG") of the program's module into a new
// image and stores it in *slot. False (slot unchanged) when the resource is
// missing or memory runs out. The caller owns the image: DeletePngImage.
// Callers load lazily and only into an empty slot.
bool LoadPngResource(Gdiplus::GpImage** slot, UINT id);

// Disposes the image in the slot (if any) and nulls the slot.
void DeletePngImage(Gdiplus::GpImage** slot);

// Width and height of an image; 0 for a null or undecodable one.
UINT PngImageWidth(Gdiplus::GpImage* image);
UINT PngImageHeight(Gdiplus::GpImage* image);

// Rounded-rectangle window region the size of the window rectangle.
void SetWindowRoundRegion(HWND hWnd, int ellipseW, int ellipseH);

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
void DrawBackgroundPart(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RECT& dest, const RECT& src);

// Draws a whole image, or the source rectangle (x, y, w, h) of it, stretched
// over dest. Nothing when the graphics or the image is null.
void DrawImageStretched(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RECT& dest);
void DrawImagePart(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RECT& dest, int srcX, int srcY,
                   int srcW, int srcH);
