// The drawn statics on a skinned host: background part, layouts, the dots.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tests/win/SkinTestSupport.h"
#include "ui/DrawStatic.h"
#include "ui/UiMessages.h"

namespace {

using skintest::Capture;
using skintest::CHostWnd;
using skintest::Pixels;

const uint32_t kWhite = 0xFFFFFF;

// Rows of a capture holding any pixel unlike the first pixel of that capture.
void InkRows(const Pixels& p, uint32_t ground, int* first, int* last)
{
    *first = -1;
    *last = -1;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            if (p.At(x, y) != ground) {
                if (*first < 0)
                    *first = y;
                *last = y;
                break;
            }
}

class StaticDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        LOGFONTW lf{};
        lf.lfHeight = -14;
        lstrcpyW(lf.lfFaceName, L"宋体");
        m_font.Reset(::CreateFontIndirectW(&lf));
        m_host.SetFont(m_font.Get());
        ASSERT_TRUE(m_host.Create(0, 0, 800, 500));
        m_hostPixels = Capture(m_host);
    }
    template <class T>
    std::unique_ptr<T> Make(const RECT& rc, const wchar_t* text)
    {
        auto c = std::make_unique<T>();
        HWND h = m_host.AddChild(L"Static", SS_LEFT, 1006, rc, text);
        EXPECT_TRUE(c->SubclassWindow(h));
        return c;
    }

    CFontObj m_font;
    CHostWnd m_host;
    Pixels m_hostPixels;
};

}  // namespace

TEST_F(StaticDraw, BackgroundPartAtScaleOneIsThePixelsUnderTheControl)
{
    // A calm area and a busy one (the title with the logo and its text).
    for (RECT rc : {RECT{50, 280, 250, 300}, RECT{10, 5, 300, 45}, RECT{321, 427, 479, 471}}) {
        auto s = Make<CDrawTextStatic>(rc, L"");
        s->SetBackgroundImage(m_host.Background());
        s->SetBackgroundRect(rc.left, rc.top, rc.right, rc.bottom);
        s->Invalidate();
        EXPECT_EQ(Capture(*s), m_hostPixels.Crop(rc)) << rc.left << "," << rc.top;
        ::DestroyWindow(*s);
    }
}

TEST_F(StaticDraw, BackgroundPartIsStretchedAtOtherScales)
{
    // The source stays in design pixels; the control is 1.5 times bigger.
    const RECT src{20, 10, 140, 40};
    auto s = Make<CDrawTextStatic>(RECT{400, 300, 580, 345}, L"");
    s->SetBackgroundImage(m_host.Background());
    s->SetBackgroundRect(src.left, src.top, src.right, src.bottom);
    s->Invalidate();
    Pixels got = Capture(*s);
    Pixels under = m_hostPixels.Crop(src);
    ASSERT_EQ(got.w, 180);
    // Pixels well inside flat areas map 1:1.5; compare a coarse grid.
    int same = 0, total = 0;
    for (int y = 3; y < under.h - 3; y += 4)
        for (int x = 3; x < under.w - 3; x += 4) {
            ++total;
            uint32_t a = under.At(x, y), b = got.At(x * 3 / 2, y * 3 / 2);
            int d = 0;
            for (int k = 0; k < 24; k += 8)
                d = std::max(d, std::abs(static_cast<int>((a >> k) & 0xFF) - static_cast<int>((b >> k) & 0xFF)));
            same += d <= 48;
        }
    EXPECT_GT(same * 10, total * 8) << same << " of " << total;
}

TEST_F(StaticDraw, UnknownModePaintsBackgroundButNoText)
{
    const RECT rc{60, 120, 360, 170};
    auto s = Make<CDrawTextStatic>(rc, L"提示信息 message");
    s->SetFontFromParent(0, 0);
    s->SetTextColor(RGB(255, 0, 0));
    s->SetLayoutMode(9);
    EXPECT_EQ(Capture(*s).CountNot(kWhite), 0);   // white ground, no text

    s->SetBackgroundImage(m_host.Background());
    s->SetBackgroundRect(rc.left, rc.top, rc.right, rc.bottom);
    s->Invalidate();
    EXPECT_EQ(Capture(*s), m_hostPixels.Crop(rc));

    s->SetLayoutMode(1);   // the same control does draw its text in a real mode
    s->Invalidate();
    EXPECT_NE(Capture(*s), m_hostPixels.Crop(rc));
}

TEST_F(StaticDraw, WrappedModesCentreTheBlockVertically)
{
    const RECT rc{100, 100, 300, 200};   // 100 pixels high
    auto s = Make<CDrawTextStatic>(rc, L"第一行文字\r\n第二行文字");
    s->SetFontFromParent(0, 0);
    s->SetLayoutMode(6);                  // top left: the reference
    s->Invalidate();
    int top6 = 0, bottom6 = 0;
    InkRows(Capture(*s), kWhite, &top6, &bottom6);
    ASSERT_GE(top6, 0);

    RECT m{0, 0, 200, 10};
    const std::wstring text = L"第一行文字\r\n第二行文字";
    {
        CWindowDCRef dc(*s);
        CSelectObject font(dc.Get(), m_font.Get());
        ::DrawTextW(dc.Get(), text.c_str(), -1, &m, DT_CALCRECT | DT_WORDBREAK | DT_EXTERNALLEADING | DT_EDITCONTROL);
    }
    const int shift = (100 - (m.bottom - m.top)) / 2;
    ASSERT_GT(shift, 10);

    for (int mode : {7, 0, 5, 3}) {
        s->SetLayoutMode(mode);
        s->Invalidate();
        int top = 0, bottom = 0;
        InkRows(Capture(*s), kWhite, &top, &bottom);
        EXPECT_EQ(top - top6, shift) << "mode " << mode;
    }

    // A single-line mode centres by itself (DT_VCENTER).
    s->SetWindowText(L"一行");
    s->SetLayoutMode(2);
    int top = 0, bottom = 0;
    InkRows(Capture(*s), kWhite, &top, &bottom);
    EXPECT_NEAR((top + bottom) / 2, 50, 3);
}

TEST_F(StaticDraw, SetTextRepaintsTheSkinNotTheStandardStatic)
{
    const RECT rc{100, 300, 400, 330};
    auto s = Make<CDrawTextStatic>(rc, L"");
    s->SetBackgroundImage(m_host.Background());
    s->SetBackgroundRect(rc.left, rc.top, rc.right, rc.bottom);
    s->SetLayoutMode(9);
    s->Invalidate();
    Capture(*s);
    s->SetWindowText(L"不应画出的文字");
    EXPECT_EQ(Capture(*s), m_hostPixels.Crop(rc));
}

TEST_F(StaticDraw, DotsAdvanceOnTheirTimerOnly)
{
    auto s = Make<CDrawStateInfoStatic>(RECT{100, 100, 400, 140}, L"正在检测");
    s->SetFontFromParent(0, 0);
    s->SetLayoutMode(1);
    Pixels none = Capture(*s);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        s->SendMessage(WM_TIMER, IDT_PLEASE_WAIT_DOTS, 0);
        seen.push_back(s->GetDotCount());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0}));
    s->SendMessage(WM_TIMER, 37, 0);
    EXPECT_EQ(s->GetDotCount(), 0);
    s->SendMessage(WM_TIMER, IDT_PLEASE_WAIT_DOTS, 0);
    s->SendMessage(WM_TIMER, IDT_PLEASE_WAIT_DOTS, 0);
    s->SendMessage(WM_TIMER, 35, 0);
    EXPECT_EQ(s->GetDotCount(), 2);

    // The dots are drawn after the text.
    s->SendMessage(WM_TIMER, IDT_PLEASE_WAIT_DOTS, 0);
    Pixels three = Capture(*s);
    EXPECT_GT(three.CountNot(kWhite), none.CountNot(kWhite));
    s->StopAnimation();
    EXPECT_EQ(s->GetDotCount(), 0);
    EXPECT_EQ(Capture(*s), none);
}

TEST_F(StaticDraw, AnimationRunsOnARealTimerUntilStopped)
{
    auto s = Make<CDrawStateInfoStatic>(RECT{100, 100, 400, 140}, L"请稍候");
    s->StartAnimation();
    const DWORD start = ::GetTickCount();
    while (s->GetDotCount() == 0 && ::GetTickCount() - start < 3000)
        skintest::Pump(20);
    EXPECT_EQ(s->GetDotCount(), 1);
    EXPECT_GE(::GetTickCount() - start, 800u);   // about a second, not at once
    s->StopAnimation();
    skintest::Pump(1300);
    EXPECT_EQ(s->GetDotCount(), 0);
}

TEST_F(StaticDraw, StateInfoModeZeroDrawsLikeModeOne)
{
    auto s = Make<CDrawStateInfoStatic>(RECT{100, 100, 400, 160}, L"正在修复，请稍候");
    s->SetFontFromParent(2, 700);
    s->SetTextColor(RGB(20, 40, 200));
    s->SetLayoutMode(1);
    Pixels one = Capture(*s);
    EXPECT_GT(one.CountNot(kWhite), 0);
    s->SetLayoutMode(0);
    s->Invalidate();
    EXPECT_EQ(Capture(*s), one);
    s->SetLayoutMode(2);
    s->Invalidate();
    EXPECT_NE(Capture(*s), one);   // centred
}
