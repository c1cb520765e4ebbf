// The image buttons on a skinned host: which image shows in which state,
// driven by the mouse messages a real pointer produces.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "res/resource.h"
#include "tests/win/SkinTestSupport.h"
#include "ui/ImageButton.h"

namespace {

using skintest::Capture;
using skintest::CHostWnd;
using skintest::Pixels;

LPARAM Pt(int x, int y) { return MAKELPARAM(x, y); }

const RECT kStart{321, 427, 479, 471};

// Blackens a control behind its back, has it repainted and captures it: what
// the control draws replaces the black, what it leaves alone stays.
Pixels Blackened(HWND h)
{
    {
        CWindowDCRef dc(h);
        RECT rc{};
        ::GetClientRect(h, &rc);
        ::FillRect(dc.Get(), &rc, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ::InvalidateRect(h, nullptr, TRUE);
    return Capture(h);
}
const RECT kClose{768, 24, 781, 37};

template <class T>
class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_host.Create(0, 0, 800, 500)); }

    std::unique_ptr<T> Make(const RECT& rc, UINT normal, UINT hover, UINT pressed, UINT disabled)
    {
        auto b = std::make_unique<T>();
        HWND h = m_host.AddChild(L"Button", BS_OWNERDRAW, 1009, rc);
        EXPECT_TRUE(b->SubclassWindow(h));
        b->SetBackgroundImage(m_host.Background());
        b->SetBackgroundRect(rc.left, rc.top, rc.right, rc.bottom);
        b->LoadStateImages(normal, hover, pressed, disabled);
        b->Invalidate();
        return b;
    }
    CHostWnd m_host;
};

// Counts the faces it composes.
class CCountingImageButton : public CImageButton {
public:
    mutable int m_nFaces = 0;

protected:
    void DrawFace(Gdiplus::GpGraphics* g, CImageRef image, const RECT& rc) const override
    {
        ++m_nFaces;
        CImageButton::DrawFace(g, image, rc);
    }
};

using ImageButton = ButtonTest<CImageButton>;
using CountedImageButton = ButtonTest<CCountingImageButton>;
using PngButton = ButtonTest<CPngButton>;

// A focus the mouse gave shows nothing new; once the window's keyboard cues
// are shown the focused button has its cue, and loses it with the focus or
// when the cues are hidden again.
void ExpectFocusCueOnlyWithKeyboardCues(CSkinButton& b, HWND host)
{
    const Pixels normal = Capture(b);
    b.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(3, 3));   // the press takes the focus
    b.SendMessage(WM_LBUTTONUP, 0, Pt(3, 3));
    b.SendMessage(WM_MOUSELEAVE);
    ASSERT_EQ(::GetFocus(), b.m_hWnd);
    EXPECT_EQ(Capture(b), normal) << "a focus the mouse gave shows a cue";
    b.SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
    const Pixels cue = Capture(b);
    EXPECT_NE(cue, normal);
    EXPECT_EQ(cue.At(cue.w / 2, cue.h / 2), normal.At(normal.w / 2, normal.h / 2)) << "the cue is an outline";
    ::SetFocus(host);
    EXPECT_EQ(Capture(b), normal);
    ::SetFocus(b);
    EXPECT_EQ(Capture(b), cue);
    b.SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS));
    EXPECT_EQ(Capture(b), normal);
    ::SetFocus(host);
}

// Pixels of a button drawn plain in high contrast: every one the ground, the
// ink or a blend of them; how many are ink.
int InkOnGround(const Pixels& px, uint32_t ground, uint32_t ink, int* strays)
{
    int n = 0;
    *strays = 0;
    for (uint32_t p : px.px) {
        if (!skintest::IsBlendOf(p, ground, ink))
            ++*strays;
        else if (p != ground)
            ++n;
    }
    return n;
}

}  // namespace

TEST_F(ImageButton, EachStateShowsItsOwnImage)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels normal = Capture(*b);
    b->SendMessage(WM_MOUSEHOVER, 0, Pt(10, 10));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_HOVER);
    Pixels hover = Capture(*b);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(10, 10));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_PRESSED);
    Pixels pressed = Capture(*b);
    b->SendMessage(WM_LBUTTONUP, 0, Pt(10, 10));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_HOVER);
    EXPECT_EQ(Capture(*b), hover);
    b->SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
    EXPECT_EQ(Capture(*b), normal);
    EXPECT_NE(normal, hover);
    EXPECT_NE(hover, pressed);
    EXPECT_NE(normal, pressed);
}

TEST_F(CountedImageButton, OnePaintComposesTheFaceOnceAndOnlyItsImageIsDecoded)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    // Until a state shows, its image is not needed.
    EXPECT_TRUE(b->HasStateImage(0));
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(b->HasStateImage(i)) << i;
    const Pixels normal = Capture(*b);

    struct Step { const char* what; UINT msg; BOOL erase; int hasImage; } steps[] = {
        {"repaint with erase", 0, TRUE, 0},
        {"repaint without erase", 0, FALSE, 0},
        {"hover", WM_MOUSEHOVER, TRUE, 1},
        {"leave", WM_MOUSELEAVE, TRUE, 0},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.what);
        b->m_nFaces = 0;
        if (st.msg)
            b->SendMessage(st.msg, 0, Pt(10, 10));
        else
            ::InvalidateRect(*b, nullptr, st.erase);
        ::UpdateWindow(*b);
        EXPECT_EQ(b->m_nFaces, 1);
        EXPECT_TRUE(b->HasStateImage(st.hasImage));
    }
    EXPECT_FALSE(b->HasStateImage(2));
    EXPECT_FALSE(b->HasStateImage(3));
    EXPECT_EQ(Capture(*b), normal);
}

TEST_F(ImageButton, DisabledImageWhateverTheState)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels normal = Capture(*b);
    b->EnableButton(false);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_DISABLED);
    Pixels disabled = Capture(*b);
    EXPECT_NE(disabled, normal);

    // Hover and press first, then disable the window behind the button's back.
    for (UINT msg : {static_cast<UINT>(WM_MOUSEHOVER), static_cast<UINT>(WM_LBUTTONDOWN)}) {
        b->EnableButton(true);
        b->SendMessage(msg, 0, Pt(5, 5));
        ASSERT_NE(b->GetButtonState(), skin::STATE_NORMAL);
        ::EnableWindow(*b, FALSE);
        EXPECT_EQ(Capture(*b), disabled) << msg;
        b->SendMessage(WM_MOUSELEAVE);
    }
    // A disabled button ignores the mouse.
    b->EnableButton(false);
    b->SendMessage(WM_MOUSEHOVER, 0, Pt(5, 5));
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(5, 5));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_DISABLED);
    EXPECT_EQ(Capture(*b), disabled);
}

TEST_F(ImageButton, EnableReturnsToNormalEvenUnderThePointer)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels normal = Capture(*b);
    b->SendMessage(WM_MOUSEHOVER, 0, Pt(20, 20));
    b->EnableButton(false);
    b->EnableButton(true);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
    EXPECT_TRUE(::IsWindowEnabled(*b));
    EXPECT_EQ(Capture(*b), normal);
}

TEST_F(ImageButton, PointOutsideTheButtonIsNoHoverOrPress)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    b->SendMessage(WM_MOUSEHOVER, 0, Pt(158, 10));   // right edge is outside
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(-1, 5));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
    // Pressed, then released outside: stays pressed until the leave.
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(157, 43));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_PRESSED);
    b->SendMessage(WM_LBUTTONUP, 0, Pt(300, 10));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_PRESSED);
    b->SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
}

int g_nClicks = 0;
WNDPROC g_pfnHost = nullptr;
LRESULT CALLBACK CountClicks(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_COMMAND && LOWORD(w) == 1009 && HIWORD(w) == BN_CLICKED)
        ++g_nClicks;
    return ::CallWindowProcW(g_pfnHost, h, m, w, l);
}

TEST_F(ImageButton, ClickAndSpaceReachTheParentAsBnClicked)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    g_pfnHost = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountClicks)));
    const Pixels normal = Capture(*b);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(30, 20));
    const Pixels pressed = Capture(*b);
    b->SendMessage(WM_LBUTTONUP, 0, Pt(30, 20));
    b->SendMessage(WM_MOUSELEAVE);
    struct Case { const char* what; UINT down, up; WPARAM w; LPARAM downAt, upAt; } cases[] = {
        {"mouse", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, Pt(30, 20), Pt(30, 20)},
        {"space", WM_KEYDOWN, WM_KEYUP, VK_SPACE, 0x00390001, static_cast<LPARAM>(0xC0390001)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::SetFocus(*b);
        g_nClicks = 0;
        b->SendMessage(c.down, c.w, c.downAt);
        // Held down, by either, it shows its pressed face.
        EXPECT_EQ(Capture(*b), pressed);
        b->SendMessage(c.up, c.w == VK_SPACE ? VK_SPACE : 0, c.upAt);
        skintest::Pump(20);
        EXPECT_EQ(g_nClicks, 1);
        b->SendMessage(WM_MOUSELEAVE);
        EXPECT_EQ(Capture(*b), normal);
    }
    ::SetWindowLongPtrW(m_host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnHost));
}

TEST_F(ImageButton, FocusCueOnlyOnceTheKeyboardCuesShow)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    ExpectFocusCueOnlyWithKeyboardCues(*b, m_host);
}

TEST_F(PngButton, FocusCueOnlyOnceTheKeyboardCuesShow)
{
    auto b = Make(kClose, IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    ExpectFocusCueOnlyWithKeyboardCues(*b, m_host);
}

TEST_F(ImageButton, HighContrastDrawsItsTextInTheButtonColours)
{
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lstrcpyW(lf.lfFaceName, L"宋体");
    CFontObj font(::CreateFontIndirectW(&lf));
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    b->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    b->SetWindowText(L"开始修复");
    const Pixels skinned = Capture(*b);
    Pixels plain, other;
    {
        skintest::CHighContrast hc;
        ASSERT_TRUE(hc.On());
        const uint32_t face = skintest::SysColour(COLOR_BTNFACE);
        struct Case { const char* what; bool enabled; int ink; } cases[] = {
            {"enabled", true, COLOR_BTNTEXT},
            {"disabled", false, COLOR_GRAYTEXT},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            b->EnableButton(c.enabled);
            const Pixels px = Capture(*b);
            int strays = 0;
            const int ink = InkOnGround(px, face, skintest::SysColour(c.ink), &strays);
            EXPECT_EQ(strays, 0) << "pixels in neither the ground's nor the text's colour";
            // An edge and the text: far more ink than the edge alone.
            EXPECT_GT(ink, 2 * (px.w + px.h) + 40);
            EXPECT_EQ(px.At(0, px.h / 2), skintest::SysColour(c.ink)) << "edge";
            EXPECT_EQ(px.At(4, px.h / 2), face) << "ground";
            if (c.enabled)
                plain = px;
        }
        b->EnableButton(true);
        b->SetWindowText(L"确定");
        other = Capture(*b);
        EXPECT_NE(other, plain) << "the text drawn is the window text";
    }
    // The mode off again, the next paint is the skin's.
    b->SetWindowText(L"开始修复");
    b->Invalidate();
    EXPECT_EQ(Capture(*b), skinned);
}

TEST_F(PngButton, HighContrastDrawsItsGlyphInTheButtonColours)
{
    auto b = Make(kClose, IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    skintest::CHighContrast hc;
    ASSERT_TRUE(hc.On());
    const uint32_t face = skintest::SysColour(COLOR_BTNFACE), text = skintest::SysColour(COLOR_BTNTEXT);
    Pixels glyphs[2];
    for (CPngButton::EGlyph g : {CPngButton::kGlyphClose, CPngButton::kGlyphMinimise}) {
        SCOPED_TRACE(g);
        b->m_glyph = g;
        b->Invalidate();
        glyphs[g] = Capture(*b);
        int strays = 0;
        EXPECT_GT(InkOnGround(glyphs[g], face, text, &strays), 2 * (glyphs[g].w + glyphs[g].h) - 4 + 5);
        EXPECT_EQ(strays, 0);
    }
    EXPECT_NE(glyphs[0], glyphs[1]);
}

TEST_F(ImageButton, MissingStateImageDrawsNothing)
{
    // Whatever the platform leaves in a button that draws nothing, no state
    // image and no background part appear, and the mouse changes nothing.
    auto full = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels normal = Capture(*full);
    ::DestroyWindow(*full);
    auto b = Make(kStart, IDB_PNG_START_NORMAL, 137, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels blank = Blackened(*b);
    EXPECT_NE(blank, normal);
    b->SendMessage(WM_MOUSEHOVER, 0, Pt(5, 5));
    EXPECT_EQ(Capture(*b), blank);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(5, 5));
    EXPECT_EQ(Capture(*b), blank);
}

TEST_F(ImageButton, StateImagesCanBeChangedForOthers)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels normal = Capture(*b);
    // The prompt buttons pass their pressed image again as the disabled one.
    b->LoadStateImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(5, 5));
    Pixels pressed = Capture(*b);
    EXPECT_NE(pressed, normal);
    b->EnableButton(false);
    EXPECT_EQ(Capture(*b), pressed);
}

TEST_F(ImageButton, RealPointerHoversAndLeaves)
{
    auto b = Make(kStart, IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED, IDB_PNG_START_DISABLED);
    Pixels normal = Capture(*b);
    ::SetCursorPos(600, 300);
    skintest::Pump(50);
    ::SetCursorPos(400, 450);
    for (int i = 0; i < 100 && b->GetButtonState() != skin::STATE_HOVER; ++i)
        skintest::Pump(10);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_HOVER);
    EXPECT_TRUE(b->IsTracking());
    EXPECT_NE(Capture(*b), normal);
    ::SetCursorPos(600, 300);
    for (int i = 0; i < 100 && b->GetButtonState() != skin::STATE_NORMAL; ++i)
        skintest::Pump(10);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
    EXPECT_FALSE(b->IsTracking());
    EXPECT_EQ(Capture(*b), normal);
}

TEST_F(PngButton, HoverPressAndLeaveWithoutPointTest)
{
    auto b = Make(kClose, IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    Pixels normal = Capture(*b);
    b->SendMessage(WM_MOUSEHOVER, 0, Pt(500, 500));   // no point test
    EXPECT_EQ(b->GetButtonState(), skin::STATE_HOVER);
    Pixels hover = Capture(*b);
    EXPECT_NE(hover, normal);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(3, 3));
    EXPECT_EQ(b->GetButtonState(), skin::STATE_PRESSED);
    b->SendMessage(WM_LBUTTONUP, 0, Pt(300, 300));   // released outside: hover
    EXPECT_EQ(b->GetButtonState(), skin::STATE_HOVER);
    b->SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(b->GetButtonState(), skin::STATE_NORMAL);
    EXPECT_EQ(Capture(*b), normal);
}

TEST_F(PngButton, DisabledWindowShowsTheDisabledImage)
{
    auto b = Make(kClose, IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    Pixels normal = Capture(*b);
    b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Pt(3, 3));
    Pixels pressed = Capture(*b);
    ::EnableWindow(*b, FALSE);
    Pixels disabled = Capture(*b);
    EXPECT_NE(disabled, pressed);
    EXPECT_NE(disabled, normal);
    b->SendMessage(WM_MOUSELEAVE);                   // leave while disabled: state kept
    EXPECT_EQ(b->GetButtonState(), skin::STATE_PRESSED);
    EXPECT_FALSE(b->IsTracking());
    EXPECT_EQ(Capture(*b), disabled);
}

TEST_F(PngButton, EnlargedButtonLeavesOutTheLastRowAndColumn)
{
    // 1.25: the 13 × 13 close image from its 12 × 12 top-left part into 16 × 16.
    // The normal close image's last row and column are transparent ground, so
    // the enlarged cross reaches further than a plain stretch would put it.
    const RECT rc{700, 100, 716, 116};
    auto whole = Make(rc, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    Pixels one = Capture(*whole);
    whole->m_fScale = 1.25f;
    whole->Invalidate();
    Pixels cut = Capture(*whole);
    EXPECT_NE(one, cut);
    whole->m_fScale = 1.0f;
    whole->Invalidate();
    EXPECT_EQ(Capture(*whole), one);
}
