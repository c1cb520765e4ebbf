// The skin's window-free rules: scale arithmetic, the image buttons' state
// machine, the check box geometry, the text layout tables and the dots.
#include <gtest/gtest.h>

#include "ui/SkinRules.h"

using namespace skin;

TEST(SkinScale, TruncatesTheFloatProductOnce)
{
    struct Case { int base, len; float s; int scaled, added; } cases[] = {
        {0, 36, 1.0f, 36, 36},
        {0, 36, 1.5f, 54, 54},
        {0, 13, 1.25f, 16, 16},      // 16.25
        {0, 8, 1.25f, 10, 10},
        {767, 13, 1.25f, 16, 783},   // 783.25: summed in float, truncated once
        {10, 3, 1.5f, 4, 14},        // int(10 + 4.5) = 14, not 10 + int(4.5)
        {-5, 3, 1.5f, 4, 0},         // -0.5 truncates toward zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Scaled(c.len, c.s), c.scaled) << c.len << " x " << c.s;
        EXPECT_EQ(AddScaled(c.base, c.len, c.s), c.added) << c.base << " + " << c.len << " x " << c.s;
    }
}

TEST(SkinBackground, CropKeepsAMarginInsideTheImage)
{
    struct Case { Rect src; int margin; Rect crop; } cases[] = {
        {{768, 24, 781, 37}, 2, {766, 22, 783, 39}},      // close button, well inside 800 x 500
        {{321, 427, 479, 471}, 2, {319, 425, 481, 473}},  // start button
        {{1, 0, 13, 13}, 2, {0, 0, 15, 15}},              // near the corner: cut to the image
        {{790, 490, 800, 500}, 2, {788, 488, 800, 500}},  // at the far edges
        {{0, 0, 800, 500}, 2, {0, 0, 800, 500}},          // the whole image
        {{10, 10, 20, 20}, 0, {10, 10, 20, 20}},
        {{10, 10, 10, 20}, 2, {}},                        // empty
        {{20, 10, 10, 20}, 2, {}},                        // inverted
        {{-1, 10, 20, 20}, 2, {}},                        // sticks out of the image
        {{790, 490, 801, 500}, 2, {}},
    };
    for (const auto& c : cases) {
        const Rect r = CropAround(c.src, 800, 500, c.margin);
        EXPECT_EQ(r.left, c.crop.left) << c.src.left << "," << c.src.top;
        EXPECT_EQ(r.top, c.crop.top) << c.src.left << "," << c.src.top;
        EXPECT_EQ(r.right, c.crop.right) << c.src.left << "," << c.src.top;
        EXPECT_EQ(r.bottom, c.crop.bottom) << c.src.left << "," << c.src.top;
    }
}

TEST(SkinButtonState, ImageChoiceFollowsTheWindowFirst)
{
    struct Case { bool enabled; int state; int index; } cases[] = {
        {true, STATE_NORMAL, 0}, {true, STATE_HOVER, 1}, {true, STATE_PRESSED, 2},
        {true, STATE_DISABLED, -1},   // enabled window in state 4: no state image
        {false, STATE_NORMAL, 3}, {false, STATE_HOVER, 3}, {false, STATE_PRESSED, 3}, {false, STATE_DISABLED, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StateImageIndex(c.enabled, c.state), c.index) << c.enabled << " " << c.state;
}

TEST(SkinButtonState, Transitions)
{
    enum Ev { Hover, Up, Down, Leave };
    struct Case { int from; Ev ev; bool enabled; bool inside; int to; bool repaint; } cases[] = {
        {STATE_NORMAL, Hover, true, true, STATE_HOVER, true},
        {STATE_HOVER, Hover, true, true, STATE_HOVER, false},      // already there: no repaint
        {STATE_NORMAL, Down, true, true, STATE_PRESSED, true},
        {STATE_HOVER, Down, true, true, STATE_PRESSED, true},
        {STATE_PRESSED, Down, true, true, STATE_PRESSED, false},
        {STATE_PRESSED, Up, true, true, STATE_HOVER, true},
        {STATE_PRESSED, Up, true, false, STATE_PRESSED, false},    // released outside: stays pressed until leave
        {STATE_NORMAL, Hover, true, false, STATE_NORMAL, false},
        {STATE_HOVER, Leave, true, true, STATE_NORMAL, true},
        {STATE_PRESSED, Leave, true, false, STATE_NORMAL, true},
        {STATE_NORMAL, Leave, true, false, STATE_NORMAL, false},
        {STATE_DISABLED, Hover, false, true, STATE_DISABLED, false},   // disabled ignores the mouse
        {STATE_DISABLED, Down, false, true, STATE_DISABLED, false},
        {STATE_DISABLED, Leave, false, true, STATE_DISABLED, false},
        {STATE_PRESSED, Leave, false, true, STATE_PRESSED, false},
    };
    for (const auto& c : cases) {
        CButtonStateMachine m;
        m.m_nState = c.from;
        bool repaint = false;
        switch (c.ev) {
        case Hover: case Up: repaint = m.OnHover(c.enabled, c.inside); break;
        case Down: repaint = m.OnPress(c.enabled, c.inside); break;
        case Leave: repaint = m.OnLeave(c.enabled); break;
        }
        EXPECT_EQ(m.m_nState, c.to) << "from " << c.from << " event " << c.ev;
        EXPECT_EQ(repaint, c.repaint) << "from " << c.from << " event " << c.ev;
    }
}

TEST(SkinButtonState, OneTrackingRequestPerEntry)
{
    CButtonStateMachine m;
    EXPECT_FALSE(m.OnMouseMove(false));   // disabled: no request
    EXPECT_TRUE(m.OnMouseMove(true));
    EXPECT_FALSE(m.OnMouseMove(true));    // outstanding: none more
    m.OnLeave(false);                     // leave ends it, even when disabled
    EXPECT_FALSE(m.m_bTracking);
    EXPECT_TRUE(m.OnMouseMove(true));     // moving back in re-arms
}

TEST(SkinButtonState, EnableAlwaysReturnsToNormal)
{
    CButtonStateMachine m;
    m.OnHover(true, true);
    m.OnEnable(false);
    EXPECT_EQ(m.m_nState, STATE_DISABLED);
    m.OnEnable(true);
    EXPECT_EQ(m.m_nState, STATE_NORMAL);
}

TEST(SkinPngButton, SourceLeavesOutLastRowAndColumnOnlyAboveScaleOne)
{
    struct Case { float s; int w, h; } cases[] = {{0.75f, 13, 13}, {1.0f, 13, 13}, {1.25f, 12, 12}, {1.5f, 12, 12}};
    for (const auto& c : cases) {
        int w = 0, h = 0;
        PngButtonSourceSize(13, 13, c.s, &w, &h);
        EXPECT_EQ(w, c.w) << c.s;
        EXPECT_EQ(h, c.h) << c.s;
    }
}

TEST(SkinCheckBox, BoxGeometryAndCaptionOffset)
{
    struct Case { float s; int clientH; Rect box; int caption; } cases[] = {
        {1.0f, 20, {0, 2, 16, 18}, 18},
        {1.5f, 30, {0, 3, 24, 27}, 27},    // int(3.0) + int(24.0)
        {1.25f, 25, {0, 2, 20, 22}, 22},   // 12 - int(10.0); int(2.5) + int(20.0)
        {1.75f, 35, {0, 3, 28, 31}, 31},   // int(3.5) + int(28.0): each product on its own
        {1.0f, 9, {0, -4, 16, 12}, 18},    // smaller than the box: box sticks out
    };
    for (const auto& c : cases) {
        Rect r = CheckBoxRect(0, c.clientH, c.s);
        EXPECT_EQ(r.left, c.box.left) << c.s;
        EXPECT_EQ(r.top, c.box.top) << c.s;
        EXPECT_EQ(r.right, c.box.right) << c.s;
        EXPECT_EQ(r.bottom, c.box.bottom) << c.s;
        EXPECT_EQ(CheckCaptionOffset(c.s), c.caption) << c.s;
    }
    EXPECT_EQ(CheckBoxRect(7, 20, 1.0f).left, 7);
}

TEST(SkinCheckBox, OnlyCheckedUsesTheSecondCell)
{
    EXPECT_EQ(CheckCellLeft(0), 0);
    EXPECT_EQ(CheckCellLeft(1), 16);
    EXPECT_EQ(CheckCellLeft(2), 0);   // indeterminate
    EXPECT_EQ(CheckCellLeft(-1), 0);
}

TEST(SkinStatics, DrawTextLayoutTable)
{
    struct Case { int mode; bool draw; bool centre; unsigned measure; unsigned flags; } cases[] = {
        {0, true, true, 0x610, 0x214},
        {1, true, false, 0, 0x224},
        {2, true, false, 0, 0x225},
        {3, true, true, 0x610, 0x216},
        {4, true, false, 0, 0x224},
        {5, true, true, 0x610, 0x215},
        {6, true, false, 0, 0x210},
        {7, true, true, 0x2610, 0x2210},
        {8, false, false, 0, 0},
        {9, false, false, 0, 0},
        {-1, false, false, 0, 0},
    };
    for (const auto& c : cases) {
        TextLayout t = DrawTextLayout(c.mode);
        EXPECT_EQ(t.drawText, c.draw) << c.mode;
        EXPECT_EQ(t.centre, c.centre) << c.mode;
        if (c.centre) {
            EXPECT_EQ(t.measureFlags, c.measure) << c.mode;
        }
        EXPECT_EQ(t.drawFlags, c.flags) << c.mode;
    }
}

TEST(SkinStatics, StateInfoLayoutTable)
{
    struct Case { int mode; bool centre; unsigned flags; } cases[] = {
        {0, false, 0x24}, {1, false, 0x24}, {2, false, 0x25}, {3, false, 0x26},
        {4, true, 0x14}, {5, true, 0x15}, {6, true, 0x16}, {7, false, 0x24}, {-3, false, 0x24},
    };
    for (const auto& c : cases) {
        TextLayout t = StateInfoLayout(c.mode);
        EXPECT_TRUE(t.drawText) << c.mode;
        EXPECT_EQ(t.centre, c.centre) << c.mode;
        if (c.centre) {
            EXPECT_EQ(t.measureFlags, 0x410u) << c.mode;
        }
        EXPECT_EQ(t.drawFlags, c.flags) << c.mode;
    }
}

TEST(SkinStatics, CentringOffsetTruncatesTowardZero)
{
    EXPECT_EQ(CentringOffset(100, 34), 33);
    EXPECT_EQ(CentringOffset(100, 35), 32);
    EXPECT_EQ(CentringOffset(20, 20), 0);
    EXPECT_EQ(CentringOffset(20, 51), -15);   // taller than the control: moves up
}

TEST(SkinStatics, DotsCycleAndAppend)
{
    int n = 0;
    std::wstring seen;
    for (int i = 0; i < 4; ++i) {
        n = NextDotCount(n);
        seen += std::to_wstring(n);
    }
    EXPECT_EQ(seen, L"1230");
    EXPECT_EQ(DotSuffix(0), L"");
    EXPECT_EQ(DotSuffix(1), L".");
    EXPECT_EQ(DotSuffix(2), L"..");
    EXPECT_EQ(DotSuffix(3), L"...");
    EXPECT_EQ(DotSuffix(7), L"");
}

TEST(SkinHighContrast, EveryButtonFaceLooksItsOwnWayInSystemColours)
{
    // Normal, hover, pressed and disabled must each be told apart, the text
    // always stands off its ground, and no face draws no edge.
    skin::PlainColours faces[4];
    for (int i = 0; i < 4; ++i) {
        faces[i] = skin::PlainButtonColours(i);
        EXPECT_NE(faces[i].text, faces[i].ground) << i;
        EXPECT_GT(faces[i].edgeWidth, 0) << i;
    }
    auto same = [](const skin::PlainColours& a, const skin::PlainColours& b) {
        return a.ground == b.ground && a.text == b.text && a.edge == b.edge && a.edgeWidth == b.edgeWidth;
    };
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_FALSE(same(faces[i], faces[j])) << i << " and " << j;
    EXPECT_EQ(faces[3].text, skin::SC_GRAYTEXT);
    EXPECT_EQ(skin::PlainButtonColours(-1).edgeWidth, 0);
    // The box and the statics: window colours, grey when disabled.
    EXPECT_EQ(skin::PlainTextColours(true).ground, skin::SC_WINDOW);
    EXPECT_EQ(skin::PlainTextColours(true).text, skin::SC_WINDOWTEXT);
    EXPECT_EQ(skin::PlainTextColours(false).text, skin::SC_GRAYTEXT);
}
