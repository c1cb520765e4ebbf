// The consent check box on a skinned host: cells, caption, repaint rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/win/SkinTestSupport.h"
#include "ui/CheckBoxBtn.h"

namespace {

using skintest::Capture;
using skintest::CHostWnd;
using skintest::Pixels;

class CheckBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        LOGFONTW lf{};
        lf.lfHeight = -13;
        lstrcpyW(lf.lfFaceName, L"宋体");
        m_font.Reset(::CreateFontIndirectW(&lf));
        m_host.SetFont(m_font.Get());
        ASSERT_TRUE(m_host.Create(0, 0, 800, 500));
        m_hostPixels = Capture(m_host);
    }
    std::unique_ptr<CCheckBoxBtn> Make(const RECT& rc, DWORD style, float scale = 1.0f)
    {
        auto c = std::make_unique<CCheckBoxBtn>();
        HWND h = m_host.AddChild(L"Button", style, 1002, rc, L"我同意");
        EXPECT_TRUE(c->SubclassWindow(h));
        c->SetBackgroundImage(m_host.Background());
        c->SetBackgroundRect(rc.left, rc.top, rc.right, rc.bottom);
        c->SetTextColor(RGB(255, 255, 255));
        c->InitFont();
        c->m_fScale = scale;
        c->Invalidate();
        return c;
    }
    CFontObj m_font;
    CHostWnd m_host;
    Pixels m_hostPixels;
};

// Columns of a capture that differ from the host's pixels under the control.
void InkColumns(const Pixels& got, const Pixels& under, int* first, int* last)
{
    *first = *last = -1;
    for (int x = 0; x < got.w; ++x)
        for (int y = 0; y < got.h; ++y)
            if (got.At(x, y) != under.At(x, y)) {
                if (*first < 0)
                    *first = x;
                *last = x;
                break;
            }
}

}  // namespace

TEST_F(CheckBox, CheckedAndUncheckedCellsDifferAndIndeterminateIsUnchecked)
{
    const RECT rc{50, 280, 150, 300};
    auto c = Make(rc, BS_AUTO3STATE);
    const RECT box{0, 2, 16, 18};
    c->SendMessage(BM_SETCHECK, BST_UNCHECKED);
    Pixels unchecked = Capture(*c);
    c->SendMessage(BM_SETCHECK, BST_CHECKED);
    Pixels checked = Capture(*c);
    c->SendMessage(BM_SETCHECK, BST_INDETERMINATE);
    ASSERT_EQ(c->SendMessage(BM_GETCHECK), BST_INDETERMINATE);
    Pixels indeterminate = Capture(*c);
    EXPECT_NE(checked.Crop(box), unchecked.Crop(box));
    EXPECT_EQ(indeterminate, unchecked);
    // The caption is drawn, and the rest is the host's background.
    EXPECT_NE(unchecked.Crop({18, 0, 100, 20}), m_hostPixels.Crop({68, 280, 150, 300}));
    EXPECT_EQ(unchecked.Crop({16, 0, 18, 20}), m_hostPixels.Crop({66, 280, 68, 300}));
}

TEST_F(CheckBox, ClickingOrSpaceTogglesAndTheSkinStaysOnTop)
{
    const RECT rc{50, 280, 150, 300};
    auto c = Make(rc, BS_AUTOCHECKBOX);
    c->SendMessage(BM_SETCHECK, BST_CHECKED);
    Pixels checked = Capture(*c);
    c->SendMessage(BM_SETCHECK, BST_UNCHECKED);
    Pixels unchecked = Capture(*c);
    struct Case { const char* what; UINT down, up; WPARAM w; LPARAM downAt, upAt; } cases[] = {
        {"mouse", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(5, 10), MAKELPARAM(5, 10)},
        {"space", WM_KEYDOWN, WM_KEYUP, VK_SPACE, 0x00390001, static_cast<LPARAM>(0xC0390001)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ::SetFocus(*c);
        c->SendMessage(k.down, k.w, k.downAt);
        c->SendMessage(k.up, k.w == VK_SPACE ? VK_SPACE : 0, k.upAt);
        EXPECT_EQ(c->SendMessage(BM_GETCHECK), BST_CHECKED);
        // No paint message in between: the standard look must not show through.
        Pixels now = Capture(*c);
        EXPECT_EQ(now.Crop({0, 0, 16, 20}), checked.Crop({0, 0, 16, 20}));
        c->SendMessage(k.down, k.w, k.downAt);
        c->SendMessage(k.up, k.w == VK_SPACE ? VK_SPACE : 0, k.upAt);
        EXPECT_EQ(c->SendMessage(BM_GETCHECK), BST_UNCHECKED);
        EXPECT_EQ(Capture(*c).Crop({0, 0, 16, 20}), unchecked.Crop({0, 0, 16, 20}));
    }
    ::SetFocus(m_host);
}

TEST_F(CheckBox, FocusCueAroundTheCaptionOnlyOnceTheKeyboardCuesShow)
{
    const RECT rc{50, 280, 150, 300};
    auto c = Make(rc, BS_AUTOCHECKBOX);
    c->SendMessage(BM_SETCHECK, BST_CHECKED);
    const Pixels normal = Capture(*c);
    ::SetFocus(*c);
    ASSERT_EQ(::GetFocus(), c->m_hWnd);
    EXPECT_EQ(Capture(*c), normal) << "a focus without the keyboard cues shows a cue";
    c->SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
    const Pixels cue = Capture(*c);
    EXPECT_NE(cue, normal);
    // Around the caption, not over the box.
    EXPECT_EQ(cue.Crop({0, 0, 16, 20}), normal.Crop({0, 0, 16, 20}));
    ::SetFocus(m_host);
    EXPECT_EQ(Capture(*c), normal);
    ::SetFocus(*c);
    EXPECT_EQ(Capture(*c), cue);
    c->SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS));
    EXPECT_EQ(Capture(*c), normal);
    ::SetFocus(m_host);
}

TEST_F(CheckBox, HighContrastDrawsBoxTickAndCaptionInTheWindowColours)
{
    const RECT rc{50, 280, 150, 300};
    auto c = Make(rc, BS_AUTOCHECKBOX);
    const Pixels skinned = Capture(*c);
    {
        skintest::CHighContrast hc;
        ASSERT_TRUE(hc.On());
        const uint32_t ground = skintest::SysColour(COLOR_WINDOW), text = skintest::SysColour(COLOR_WINDOWTEXT);
        Pixels seen[2];
        for (int state : {BST_UNCHECKED, BST_CHECKED}) {
            SCOPED_TRACE(state);
            c->SendMessage(BM_SETCHECK, state);
            seen[state] = Capture(*c);
            int ink = 0, strays = 0;
            for (uint32_t p : seen[state].px) {
                strays += skintest::IsBlendOf(p, ground, text) ? 0 : 1;
                ink += p != ground ? 1 : 0;
            }
            EXPECT_EQ(strays, 0) << "pixels in neither the ground's nor the text's colour";
            EXPECT_GT(ink, 60) << "box frame and caption";
            EXPECT_EQ(seen[state].At(0, 10), text) << "the box's frame";
        }
        // The tick is inside the box; the caption is the same.
        EXPECT_NE(seen[0].Crop({2, 4, 14, 16}), seen[1].Crop({2, 4, 14, 16}));
        EXPECT_EQ(seen[0].Crop({18, 0, 100, 20}), seen[1].Crop({18, 0, 100, 20}));
        c->SendMessage(BM_SETCHECK, BST_UNCHECKED);
    }
    c->Invalidate();
    EXPECT_EQ(Capture(*c), skinned);
}

TEST_F(CheckBox, BoxAndCaptionScale)
{
    // 1.5: the box is 24 × 24 and the caption starts 27 pixels right of it.
    const RECT rc{50, 200, 200, 230};
    auto c = Make(rc, BS_AUTOCHECKBOX, 1.5f);
    c->SendMessage(BM_SETCHECK, BST_CHECKED);
    Pixels got = Capture(*c);
    Pixels under = m_hostPixels.Crop(rc);
    // With the caption gone only the box differs from the ground.
    c->SetWindowText(L"");
    Pixels boxOnly = Capture(*c);
    int first = 0, last = 0;
    InkColumns(boxOnly, under, &first, &last);
    EXPECT_LE(first, 1);
    EXPECT_LE(last, 23);
    EXPECT_GE(last, 20);
    c->SetWindowText(L"我同意");
    InkColumns(got, boxOnly, &first, &last);
    EXPECT_GE(first, 27);
    EXPECT_LE(first, 29);
}

TEST_F(CheckBox, ResizedAfterItsFirstPaintStillPaintsWholly)
{
    const RECT small{50, 280, 120, 300};
    auto c = Make(small, BS_AUTOCHECKBOX);
    Capture(*c);
    const RECT big{50, 280, 250, 310};
    c->SetBackgroundRect(big.left, big.top, big.right, big.bottom);
    c->MoveWindow(big);
    Capture(*c);
    // Blacken it behind its back: the next paint must cover all of it.
    {
        CWindowDCRef dc(*c);
        RECT all{0, 0, 200, 30};
        ::FillRect(dc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    c->Invalidate();
    Pixels got = Capture(*c);
    // Beyond the caption only the background part shows.
    EXPECT_EQ(got.Crop({150, 0, 200, 30}), m_hostPixels.Crop({200, 280, 250, 310}));
}

TEST_F(CheckBox, MiddleButtonRepaints)
{
    const RECT rc{50, 280, 150, 300};
    auto c = Make(rc, BS_AUTOCHECKBOX);
    Pixels good = Capture(*c);
    // Paint over the control behind its back, as another window would.
    {
        CWindowDCRef dc(*c);
        RECT all{0, 0, 100, 20};
        ::FillRect(dc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    c->SendMessage(WM_MBUTTONDOWN, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Capture(*c), good);
}
