// PNG resources and the shared drawing helpers on real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "res/resource.h"
#include "tests/support/GuiObjects.h"
#include "tests/support/TestSupport.h"
#include "tests/win/SkinTestSupport.h"
#include "ui/PngResource.h"
#include "ui/SkinRules.h"

namespace {

using skintest::CHostWnd;

struct PngEntry { UINT first, last, w, h; bool alpha; };

// Every image the program carries: size and kind (RGBA or RGB).
const PngEntry kTable[] = {
    {134, 134, 800, 500, true},  {135, 136, 476, 289, true}, {138, 140, 118, 34, true},
    {141, 143, 12, 12, false},   {144, 152, 118, 34, true},  {153, 153, 48, 16, true},
    {154, 154, 13, 13, true},    {155, 157, 13, 13, false},  {158, 161, 13, 13, true},
    {162, 165, 158, 44, true},   {169, 169, 438, 251, false},
};

}  // namespace

TEST(PngResource, MissingIdFailsAndLeavesTheImageAlone)
{
    skintest::EnsureGdiplus();
    CPngImage kept;
    ASSERT_TRUE(LoadPngResource(kept, IDB_PNG_MAIN_BK));
    Gdiplus::GpImage* before = kept.Get();
    for (UINT id : {137u, 133u, 166u, 170u, 0u}) {
        EXPECT_FALSE(LoadPngResource(kept, id)) << id;
        EXPECT_EQ(kept.Get(), before) << id;
        EXPECT_FALSE(SharedPng(id)) << id;
        EXPECT_FALSE(CPngPreload(id).Take()) << id;
    }
}

TEST(PngResource, EveryImageLoadsWithItsSizeAndKind)
{
    skintest::EnsureGdiplus();
    for (const auto& e : kTable) {
        for (UINT id = e.first; id <= e.last; ++id) {
            SCOPED_TRACE(id);
            CPngImage img;
            ASSERT_TRUE(LoadPngResource(img, id));
            ASSERT_TRUE(img);
            EXPECT_EQ(PngImageWidth(img.image), e.w);
            EXPECT_EQ(PngImageHeight(img.image), e.h);
            Gdiplus::PixelFormat fmt = 0;
            gp::GdipGetImagePixelFormat(img.Get(), &fmt);
            EXPECT_EQ(Gdiplus::IsAlphaPixelFormat(fmt) != FALSE, e.alpha) << std::hex << fmt;
        }
        // Decoded on a thread of its own: the same image, handed over once.
        CPngPreload preload(e.first);
        std::unique_ptr<CPngImage> taken = preload.Take();
        ASSERT_TRUE(taken && *taken) << e.first;
        EXPECT_EQ(PngImageWidth(taken->image), e.w);
        EXPECT_EQ(PngImageHeight(taken->image), e.h);
        EXPECT_FALSE(preload.Take()) << e.first;
    }
}

TEST(PngResource, SharedImagesAreDecodedOnceAndStayUsable)
{
    // Every user of an image gets the one decoded the first time, for good;
    // its stream's block lives as long: draw long after loading.
    skintest::EnsureGdiplus();
    const CImageRef keep = SharedPng(IDB_PNG_START_NORMAL);
    ASSERT_TRUE(keep);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(SharedPng(IDB_PNG_START_NORMAL).Get(), keep.Get());
        CPngImage own;
        ASSERT_TRUE(LoadPngResource(own, IDB_PNG_PROMPT_BK));
        EXPECT_NE(own.Get(), SharedPng(IDB_PNG_PROMPT_BK).Get());   // an owned one is its own
    }
    Gdiplus::GpBitmap* bmp = nullptr;
    ASSERT_EQ(gp::GdipCreateBitmapFromScan0(158, 44, 0, PixelFormat32bppARGB, nullptr, &bmp), Gdiplus::Ok);
    CImagePtr canvas(bmp);
    CGraphics g(canvas.get());
    EXPECT_EQ(gp::GdipDrawImageRectI(g.Get(), keep.Get(), 0, 0, 158, 44), Gdiplus::Ok);
    Gdiplus::ARGB centre = 0;
    gp::GdipBitmapGetPixel(bmp, 79, 22, &centre);
    EXPECT_EQ(centre >> 24, 0xFFu);   // the button face is opaque in the middle
}

namespace {

// What a paint of w × h draws onto white, as pixels.
skintest::Pixels Painted(int w, int h, const std::function<void(Gdiplus::GpGraphics*, const RECT&)>& draw)
{
    skintest::Pixels out;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), w, -h, 1, 32};
    void* bits = nullptr;
    CMemoryDC mem(::CreateCompatibleDC(nullptr));
    CBitmapObj dib(::CreateDIBSection(mem.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!mem || !dib || !bits)
        return out;
    CSelectObject sel(mem.Get(), dib.Get());
    const RECT rc{0, 0, w, h};
    ::FillRect(mem.Get(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    {
        CGraphics g(mem.Get());
        gp::GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighQuality);
        draw(g.Get(), rc);
    }
    ::GdiFlush();
    out.w = w;
    out.h = h;
    out.px.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + w * h);
    return out;
}

}  // namespace

TEST(SkinHelpers, BackgroundPartFromItsCropLooksAsFromTheWholeImage)
{
    // Every part a control of the program takes from a background, at the
    // three display scales, and parts at the images' edges: pixel for pixel
    // what the whole image gives, from the control's crop at 1:1.
    skintest::EnsureGdiplus();
    struct Part { UINT image; RECT src; } parts[] = {
        {IDB_PNG_MAIN_BK, {768, 24, 781, 37}},     // close
        {IDB_PNG_MAIN_BK, {735, 24, 748, 37}},     // minimise
        {IDB_PNG_MAIN_BK, {50, 220, 112, 240}},    // check box with its caption
        {IDB_PNG_MAIN_BK, {321, 427, 479, 471}},   // start
        {IDB_PNG_PROMPT_CONTENT, {408, 12, 421, 25}},
        {IDB_PNG_PROMPT_CONTENT, {152, 207, 270, 241}},
        {IDB_PNG_PROMPT_CONTENT, {231, 207, 349, 241}},
        {IDB_PNG_PROMPT_CONTENT, {20, 40, 418, 197}},
        {IDB_PNG_PLEASE_WAIT_BK, {39, 122, 437, 162}},
        {IDB_PNG_MAIN_BK, {0, 0, 13, 13}},
        {IDB_PNG_MAIN_BK, {787, 487, 800, 500}},
    };
    for (const Part& p : parts) {
        CPngImage whole;
        ASSERT_TRUE(LoadPngResource(whole, p.image));
        CBackgroundPart part;
        part.SetImage(whole.image);
        part.SetSource(p.src.left, p.src.top, p.src.right, p.src.bottom);
        for (float s : {1.0f, 1.25f, 1.5f}) {
            SCOPED_TRACE(::testing::Message() << p.image << " (" << p.src.left << "," << p.src.top << ") x" << s);
            const int w = skin::Scaled(p.src.right - p.src.left, s), h = skin::Scaled(p.src.bottom - p.src.top, s);
            const skintest::Pixels want = Painted(w, h, [&](Gdiplus::GpGraphics* g, const RECT& rc) {
                DrawBackgroundPart(g, whole.image, rc, p.src);
            });
            const skintest::Pixels got = Painted(w, h, [&](Gdiplus::GpGraphics* g, const RECT& rc) { part.Draw(g, rc); });
            ASSERT_EQ(want.px.size(), static_cast<size_t>(w * h));
            int differ = 0;
            for (size_t i = 0; i < want.px.size(); ++i)
                differ += want.px[i] != got.px[i];
            EXPECT_EQ(differ, 0) << "of " << w << " x " << h;
            EXPECT_EQ(part.DrewFromCrop(), s == 1.0f);
        }
    }
}

TEST(SkinHelpers, MeasureTextWidthNeedsWindowAndDc)
{
    CHostWnd host;
    ASSERT_TRUE(host.Create(0, 0, 200, 100));
    CWindowDCRef dc(host);
    std::wstring counting;
    ASSERT_TRUE(vt::GuiCountingWorks(&counting)) << vt::Utf8(counting);
    const long before = vt::CountGuiObjects(::GetCurrentProcess(), ::GetCurrentProcessId()).gdi;
    EXPECT_EQ(MeasureTextWidth(nullptr, dc.Get(), L"我同意", 0, 0), -1);
    EXPECT_EQ(MeasureTextWidth(host, nullptr, L"我同意", 0, 0), -1);
    const int one = MeasureTextWidth(host, dc.Get(), L"我", 0, 0);
    const int three = MeasureTextWidth(host, dc.Get(), L"我同意", 0, 0);
    EXPECT_GT(one, 0);
    EXPECT_EQ(three, 3 * one);
    EXPECT_GT(MeasureTextWidth(host, dc.Get(), L"我同意", 6, 700), three);   // bigger and bolder
    EXPECT_EQ(MeasureTextWidth(host, dc.Get(), L"", 0, 0), 0);
    // The temporary fonts are deleted.
    EXPECT_EQ(vt::CountGuiObjects(::GetCurrentProcess(), ::GetCurrentProcessId()).gdi, before);
}

TEST(SkinHelpers, FontFromParent)
{
    CHostWnd host;
    ASSERT_TRUE(host.Create(0, 0, 100, 100));
    LOGFONTW base{};
    base.lfHeight = -13;
    base.lfWeight = FW_NORMAL;
    lstrcpyW(base.lfFaceName, L"宋体");
    CFontObj parentFont(::CreateFontIndirectW(&base));
    host.SetFont(parentFont.Get());

    struct Case { int delta, weight; LONG height, wantWeight; } cases[] = {
        {0, 700, -13, FW_NORMAL},   // delta 0: the parent's font unchanged, weight too
        {2, 2, -15, 2},
        {2, 0, -15, FW_NORMAL},     // weight 0 is not applied
        {-3, 700, -10, 700},
    };
    for (const auto& c : cases) {
        CFontObj out;
        ASSERT_TRUE(CreateFontFromParent(host, c.delta, c.weight, out));
        LOGFONTW lf{};
        ::GetObjectW(out.Get(), sizeof(lf), &lf);
        EXPECT_EQ(lf.lfHeight, c.height) << c.delta;
        EXPECT_EQ(lf.lfWeight, c.wantWeight) << c.delta;
        EXPECT_STREQ(lf.lfFaceName, L"宋体");
        EXPECT_NE(out.Get(), parentFont.Get());   // always a font of its own
    }

    // No font on the parent (nor a parent): the stock GUI font.
    host.SetFont(nullptr);
    LOGFONTW gui{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    for (HWND parent : {static_cast<HWND>(host), static_cast<HWND>(nullptr)}) {
        CFontObj out;
        ASSERT_TRUE(CreateFontFromParent(parent, 0, 0, out));
        LOGFONTW lf{};
        ::GetObjectW(out.Get(), sizeof(lf), &lf);
        EXPECT_EQ(lf.lfHeight, gui.lfHeight);
        EXPECT_STREQ(lf.lfFaceName, gui.lfFaceName);
    }
}

TEST(SkinHelpers, RoundRegionCoversTheWindowWithRoundedCorners)
{
    CHostWnd host;
    ASSERT_TRUE(host.Create(40, 30, 300, 200));
    SetWindowRoundRegion(host, 36, 36);
    CRegionObj rgn(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(host, rgn.Get()), ERROR);
    RECT box{};
    ::GetRgnBox(rgn.Get(), &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_GE(box.right, 299);   // a rounded region leaves out its last pixel
    EXPECT_LE(box.right, 300);
    EXPECT_GE(box.bottom, 199);
    EXPECT_LE(box.bottom, 200);
    EXPECT_FALSE(::PtInRegion(rgn.Get(), 1, 1));       // corners cut
    EXPECT_FALSE(::PtInRegion(rgn.Get(), 298, 198));
    EXPECT_TRUE(::PtInRegion(rgn.Get(), 150, 1));      // edges kept
    EXPECT_TRUE(::PtInRegion(rgn.Get(), 18, 18));
    SetWindowRoundRegion(nullptr, 36, 36);       // no window: nothing happens
}
