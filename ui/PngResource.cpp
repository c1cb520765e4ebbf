#include "ui/PngResource.h"

#include <cstring>
#include <map>
#include <utility>

#include "base/Locks.h"
#include "base/Threads.h"
#include "ui/SkinRect.h"

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

    CComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(png.block.Get(), FALSE, stream.Out())) || !stream)
        return false;
    Gdiplus::GpImage* image = nullptr;
    gp::GdipLoadImageFromStream(stream.Get(), &image);
    stream.Reset();
    if (!image)
        return false;
    png.image.reset(image);
    out = std::move(png);
    return true;
}

struct CPngPreload::SState {
    UINT id = 0;
    std::unique_ptr<CPngImage> image;   // written by the thread before it ends
};

CPngPreload::CPngPreload(UINT id) : m_state(std::make_shared<SState>())
{
    m_state->id = id;
    m_thread = StartThread([state = m_state] { Decode(*state); });
}

CPngPreload::~CPngPreload()
{
    if (m_thread)
        ::WaitForSingleObject(m_thread.Get(), kWaitMs);
}

void CPngPreload::Decode(SState& state)
{
    auto image = std::make_unique<CPngImage>();
    if (LoadPngResource(*image, state.id))
        state.image = std::move(image);
}

std::unique_ptr<CPngImage> CPngPreload::Take()
{
    if (!m_thread) {
        auto image = std::make_unique<CPngImage>();
        if (m_state->id == 0 || !LoadPngResource(*image, m_state->id))
            return nullptr;
        m_state->id = 0;
        return image;
    }
    // The thread's end is what makes its result safe to read.
    if (::WaitForSingleObject(m_thread.Get(), kWaitMs) != WAIT_OBJECT_0)
        return nullptr;
    return std::move(m_state->image);
}

bool PngResourceExists(UINT id)
{
    return ::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), L"PNG") != nullptr;
}

CImageRef SharedPng(UINT id)
{
    // Never freed: the images are drawn until the process ends, and GDI+
    // may be shut down before static objects go.
    static SRWLOCK lock = SRWLOCK_INIT;
    static auto* cache = new std::map<UINT, CPngImage>();
    CSrwGuard guard(lock);
    auto found = cache->find(id);
    if (found == cache->end()) {
        CPngImage png;
        (void)LoadPngResource(png, id);   // a failure is kept too: it is not tried again
        found = cache->emplace(id, std::move(png)).first;
    }
    CImageRef image(found->second.image);
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
        (void)rgn.Release();
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

void CBackgroundPart::SetImage(CImageRef image)
{
    if (image.Get() == m_image.Get())
        return;
    m_image = image;
    m_crop.reset();
    m_bCropTried = false;
}

void CBackgroundPart::SetSource(int left, int top, int right, int bottom)
{
    const RECT src{left, top, right, bottom};
    if (::EqualRect(&src, &m_src))
        return;
    m_src = src;
    m_crop.reset();
    m_bCropTried = false;
}

void CBackgroundPart::MakeCrop()
{
    m_bCropTried = true;
    const skin::Rect crop =
        skin::CropAround(ToRect(m_src), static_cast<int>(PngImageWidth(m_image)),
                         static_cast<int>(PngImageHeight(m_image)), skin::kBackgroundCropMargin);
    if (crop.Width() <= 0 || crop.Height() <= 0)
        return;
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(m_image.Get());
    Gdiplus::PixelFormat format = PixelFormat32bppARGB;
    gp::GdipGetImagePixelFormat(m_image.Get(), &format);
    Gdiplus::GpBitmap* out = nullptr;
    if (gp::GdipCloneBitmapAreaI(crop.left, crop.top, crop.Width(), crop.Height(), format, bitmap, &out) !=
            Gdiplus::Ok ||
        !out)
        return;
    m_crop.reset(out);
    m_cropOrigin = {crop.left, crop.top};
}

void CBackgroundPart::Draw(Gdiplus::GpGraphics* g, const RECT& dest)
{
    m_bDrewFromCrop = false;
    if (!g || !m_image)
        return;
    const int w = m_src.right - m_src.left, h = m_src.bottom - m_src.top;
    const bool oneToOne = dest.right - dest.left == w && dest.bottom - dest.top == h;
    if (oneToOne && !m_bCropTried)
        MakeCrop();
    if (!oneToOne || !m_crop) {
        DrawBackgroundPart(g, m_image, dest, m_src);
        return;
    }
    DrawImagePart(g, CImageRef(m_crop), dest, m_src.left - m_cropOrigin.x, m_src.top - m_cropOrigin.y, w, h);
    m_bDrewFromCrop = true;
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
