#include "ui/PngResource.h"

#include <cstring>
#include <map>
#include <utility>

bool LoadPngResource(CPngImage& out, UINT id)
{
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!res)
        return false;
    const DWORD size = ::SizeofResource(module, res);
    HGLOBAL data = ::LoadResource(module, res);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes || size == 0)
        return false;

    CPngImage png;
    png.block.Reset(::GlobalAlloc(GMEM_MOVEABLE, size));
    void* dst = png.block ? ::GlobalLock(png.block.Get()) : nullptr;
    if (!dst)
        return false;
    std::memcpy(dst, bytes, size);
    ::GlobalUnlock(png.block.Get());

    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(png.block.Get(), FALSE, &stream)) || !stream)
        return false;
    Gdiplus::GpImage* image = nullptr;
    gp::GdipLoadImageFromStream(stream, &image);
    stream->Release();
    if (!image)
        return false;
    png.image.reset(image);
    out = std::move(png);
    return true;
}

CImageRef SharedPng(UINT id)
{
    // Never freed: the images are drawn until the process ends, and GDI+
    // may be shut down before static objects go.
    static SRWLOCK lock = SRWLOCK_INIT;
    static auto* cache = new std::map<UINT, CPngImage>();
    ::AcquireSRWLockExclusive(&lock);
    auto found = cache->find(id);
    if (found == cache->end()) {
        CPngImage png;
        LoadPngResource(png, id);   // a failure is kept too: it is not tried again
        found = cache->emplace(id, std::move(png)).first;
    }
    CImageRef image(found->second.image);
    ::ReleaseSRWLockExclusive(&lock);
    return image;
}

UINT PngImageWidth(CImageRef image)
{
    UINT w = 0;
    if (image)
        gp::GdipGetImageWidth(image.Get(), &w);
    return w;
}

UINT PngImageHeight(CImageRef image)
{
    UINT h = 0;
    if (image)
        gp::GdipGetImageHeight(image.Get(), &h);
    return h;
}

void SetWindowRoundRegion(HWND hWnd, int ellipseW, int ellipseH)
{
    if (!hWnd)
        return;
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    SetWindowRegion(hWnd, ::CreateRoundRectRgn(0, 0, rc.right, rc.bottom, ellipseW, ellipseH));
}

void SetWindowRegion(HWND hWnd, HRGN region)
{
    CRegionObj rgn(region);
    // The window owns the region once it took it.
    if (rgn && ::SetWindowRgn(hWnd, rgn.Get(), TRUE))
        rgn.Release();
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

void DrawBackgroundPart(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest, const RECT& src)
{
    DrawImagePart(g, image, dest, src.left, src.top, src.right - src.left, src.bottom - src.top);
}

void DrawImageStretched(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest)
{
    DrawImagePart(g, image, dest, 0, 0, static_cast<int>(PngImageWidth(image)),
                  static_cast<int>(PngImageHeight(image)));
}

void DrawImagePart(Gdiplus::GpGraphics* g, CImageRef image, const RECT& dest, int srcX, int srcY, int srcW, int srcH)
{
    if (!g || !image)
        return;
    gp::GdipDrawImageRectRectI(g, image.Get(), dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                               srcX, srcY, srcW, srcH, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}
