#include "ui/PngResource.h"

#include <cstring>

bool LoadPngResource(Gdiplus::GpImage** slot, UINT id)
{
    if (!slot)
        return false;
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!res)
        return false;
    const DWORD size = ::SizeofResource(module, res);
    HGLOBAL data = ::LoadResource(module, res);
    if (!data)
        return false;
    const void* bytes = ::LockResource(data);
    if (!bytes || size == 0)
        return false;

    // The image may read from its stream for as long as it lives, so the
    // block is never freed: it outlives every image decoded from it.
    HGLOBAL block = ::GlobalAlloc(GMEM_FIXED, size);
    if (!block)
        return false;
    void* dst = ::GlobalLock(block);
    if (!dst) {
        ::GlobalFree(block);
        return false;
    }
    std::memcpy(dst, bytes, size);

    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
        ::GlobalUnlock(block);
        ::GlobalFree(block);
        return false;
    }
    Gdiplus::GpImage* image = nullptr;
    gp::GdipLoadImageFromStream(stream, &image);
    ::GlobalUnlock(block);
    stream->Release();
    ::FreeResource(data);
    if (!image)
        return false;   // nothing holds the block; leaving it is the safe side
    *slot = image;
    return true;
}

void DeletePngImage(Gdiplus::GpImage** slot)
{
    if (slot && *slot) {
        gp::GdipDisposeImage(*slot);
        *slot = nullptr;
    }
}

UINT PngImageWidth(Gdiplus::GpImage* image)
{
    UINT w = 0;
    if (image)
        gp::GdipGetImageWidth(image, &w);
    return w;
}

UINT PngImageHeight(Gdiplus::GpImage* image)
{
    UINT h = 0;
    if (image)
        gp::GdipGetImageHeight(image, &h);
    return h;
}

void SetWindowRoundRegion(HWND hWnd, int ellipseW, int ellipseH)
{
    if (!hWnd)
        return;
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    HRGN rgn = ::CreateRoundRectRgn(0, 0, rc.right, rc.bottom, ellipseW, ellipseH);
    if (rgn && !::SetWindowRgn(hWnd, rgn, TRUE))
        ::DeleteObject(rgn);   // the window took no ownership
}

bool CreateFontFromParent(HWND parent, int sizeDelta, int weight, CFontObj& out)
{
    HFONT base = parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    if (!base)
        base = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (!base)
        base = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    LOGFONTW lf{};
    if (!base || !::GetObjectW(base, sizeof(lf), &lf))
        return false;
    if (sizeDelta != 0) {
        if (weight > 0)
            lf.lfWeight = weight;
        lf.lfHeight -= sizeDelta;
    }
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font)
        return false;
    out.Reset(font);
    return true;
}

int MeasureTextWidth(HWND hWnd, HDC hDC, const std::wstring& text, int sizeDelta, int weight)
{
    if (!hWnd || !hDC)
        return -1;
    CFontObj font;
    if (!CreateFontFromParent(hWnd, sizeDelta, weight, font))
        return -1;
    RECT rc{10, 10, 400, 20};
    {
        CSelectObject sel(hDC, font.Get());
        ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_SINGLELINE);
    }
    return rc.right - rc.left;
}

void DrawBackgroundPart(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RECT& dest, const RECT& src)
{
    DrawImagePart(g, image, dest, src.left, src.top, src.right - src.left, src.bottom - src.top);
}

void DrawImageStretched(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RECT& dest)
{
    DrawImagePart(g, image, dest, 0, 0, static_cast<int>(PngImageWidth(image)),
                  static_cast<int>(PngImageHeight(image)));
}

void DrawImagePart(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RECT& dest, int srcX, int srcY,
                   int srcW, int srcH)
{
    if (!g || !image)
        return;
    gp::GdipDrawImageRectRectI(g, image, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                               srcX, srcY, srcW, srcH, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}
