#include <gtest/gtest.h>

#include "app/MainLayout.h"

using mainwnd::Rect;

namespace {
void ExpectRect(const Rect& r, int l, int t, int rr, int b, const char* what)
{
    EXPECT_EQ(r.left, l) << what;
    EXPECT_EQ(r.top, t) << what;
    EXPECT_EQ(r.right, rr) << what;
    EXPECT_EQ(r.bottom, b) << what;
}
}  // namespace

TEST(MainLayout, ScaleFollowsTheScreenAbove100Dpi)
{
    struct Case { int dpi; float scale; } cases[] = {
        {96, 1.0f}, {100, 1.0f}, {72, 1.0f}, {0, 1.0f}, {101, 101.0f / 96.0f}, {120, 1.25f}, {144, 1.5f}, {192, 2.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(mainwnd::ScaleFromDpi(c.dpi), c.scale) << c.dpi;
    EXPECT_EQ(mainwnd::WindowWidth(1.5f), 1200);
    EXPECT_EQ(mainwnd::WindowHeight(1.5f), 750);
    EXPECT_EQ(mainwnd::WindowWidth(1.25f), 1000);
    EXPECT_EQ(mainwnd::WindowHeight(1.25f), 625);
    EXPECT_EQ(mainwnd::CornerEllipse(1.0f), 36);
    EXPECT_EQ(mainwnd::CornerEllipse(1.5f), 54);
}

TEST(MainLayout, ControlsAtDesignPlacesAndScaled)
{
    // 100 %: the design itself; the start button centred in 800 px.
    auto l = mainwnd::LayoutControls({0, 0, 800, 500}, 1.0f, 40);
    ExpectRect(l.close, 768, 24, 781, 37, "close");
    ExpectRect(l.minimise, 735, 24, 748, 37, "minimise");
    ExpectRect(l.check, 50, 280, 108, 300, "check");
    ExpectRect(l.start, 321, 427, 479, 471, "start");
    EXPECT_EQ(l.start.left + l.start.right, 800);
    ExpectRect(l.agreement, 50, 60, 750, 270, "agreement");

    // 150 %: each length × 1.5, truncated.
    l = mainwnd::LayoutControls({0, 0, 1200, 750}, 1.5f, 61);
    ExpectRect(l.close, 1152, 36, 1171, 55, "close 1.5");        // 13 × 1.5 = 19.5 added in float
    ExpectRect(l.minimise, 1103, 36, 1122, 55, "minimise 1.5");  // 65 × 1.5 = 97.5 → 97
    ExpectRect(l.check, 75, 420, 163, 450, "check 1.5");         // 18 × 1.5 + 61 = 88
    ExpectRect(l.start, 481, 640, 718, 706, "start 1.5");
    ExpectRect(l.agreement, 75, 90, 1125, 405, "agreement 1.5");

    // 125 %.
    l = mainwnd::LayoutControls({0, 0, 1000, 625}, 1.25f, 50);
    ExpectRect(l.close, 960, 30, 976, 46, "close 1.25");         // 40; 30 + 16.25
    ExpectRect(l.minimise, 919, 30, 935, 46, "minimise 1.25");   // 81.25 → 81
    ExpectRect(l.start, 401, 533, 598, 588, "start 1.25");
}

TEST(MainLayout, BackgroundUnderTheCheckBoxIsItsOwnPlace)
{
    ExpectRect(mainwnd::CheckSource(1.0f, 40), 50, 280, 108, 300, "1.0");
    ExpectRect(mainwnd::CheckSource(1.5f, 61), 50, 280, 108, 300, "1.5");   // 61 / 1.5 = 40.67 → 40
}

TEST(MainLayout, VersionTextAndDragBand)
{
    ExpectRect(mainwnd::VersionTextRect({0, 0, 800, 500}, 1.0f), 395, 20, 595, 38, "version");
    ExpectRect(mainwnd::VersionTextRect({0, 0, 1200, 750}, 1.5f), 592, 30, 892, 57, "version 1.5");
    ExpectRect(mainwnd::DragBand({100, 50, 900, 550}, 1.0f), 100, 50, 814, 96, "band");
    ExpectRect(mainwnd::DragBand({0, 0, 1200, 750}, 1.5f), 0, 0, 1071, 69, "band 1.5");
}
