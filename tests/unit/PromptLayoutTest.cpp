#include <gtest/gtest.h>

#include "res/resource.h"
#include "ui/PromptLayout.h"

using skin::Rect;

namespace {
std::string Str(const Rect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}
#define EXPECT_RECT(r, l, t, rr, b) EXPECT_EQ(Str(r), Str(Rect{l, t, rr, b})) << #r
}  // namespace

TEST(PromptLayout, ContentControlsPerScale)
{
    struct Case {
        float s;
        Rect client, close, first, centred, second, message;
    } cases[] = {
        // 100 %: the design itself.
        {1.0f, {0, 0, 438, 251}, {408, 12, 421, 25}, {89, 207, 207, 241}, {160, 207, 278, 241}, {231, 207, 349, 241},
         {20, 40, 418, 201}},
        // 150 %: the client the background window gives it after centring.
        {1.5f, {0, 0, 658, 376}, {613, 18, 632, 37}, {134, 310, 311, 361}, {240, 310, 417, 361}, {347, 310, 524, 361},
         {30, 60, 628, 301}},
        // 125 %: the button lefts are truncated once, after the sum.
        {1.25f, {0, 0, 547, 313}, {510, 15, 526, 31}, {110, 258, 257, 300}, {199, 258, 346, 300},
         {288, 258, 435, 300}, {25, 50, 522, 251}},
        // An odd width halves downwards.
        {1.0f, {0, 0, 437, 251}, {407, 12, 420, 25}, {88, 207, 206, 241}, {159, 207, 277, 241}, {230, 207, 348, 241},
         {20, 40, 417, 201}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Str(c.client) + " at " + std::to_string(c.s));
        const prompt::ContentLayout l = prompt::LayOutContent(c.client, c.s);
        EXPECT_EQ(Str(l.close), Str(c.close));
        EXPECT_EQ(Str(l.first), Str(c.first));
        EXPECT_EQ(Str(l.firstCentred), Str(c.centred));
        EXPECT_EQ(Str(l.second), Str(c.second));
        EXPECT_EQ(Str(l.message), Str(c.message));
    }
}

TEST(PromptLayout, ButtonsPerPromptType)
{
    struct Case { int type; unsigned first, second; bool secondShown, centred; } cases[] = {
        {1, IDB_PNG_YES_NORMAL, IDB_PNG_NO_NORMAL, false, true},
        {2, IDB_PNG_YES_NORMAL, IDB_PNG_NO_NORMAL, true, false},
        {3, IDB_PNG_OK_NORMAL, IDB_PNG_CANCEL_NORMAL, false, true},
        {4, IDB_PNG_OK_NORMAL, IDB_PNG_CANCEL_NORMAL, true, false},
        {0, IDB_PNG_YES_NORMAL, IDB_PNG_NO_NORMAL, false, false},
        {5, IDB_PNG_YES_NORMAL, IDB_PNG_NO_NORMAL, false, false},
        {7, IDB_PNG_YES_NORMAL, IDB_PNG_NO_NORMAL, false, false},
        {-1, IDB_PNG_YES_NORMAL, IDB_PNG_NO_NORMAL, false, false},
    };
    for (const auto& c : cases) {
        const prompt::ButtonPlan p = prompt::PlanForType(c.type);
        EXPECT_EQ(p.first.normal, c.first) << c.type;
        EXPECT_EQ(p.second.normal, c.second) << c.type;
        EXPECT_EQ(p.secondShown, c.secondShown) << c.type;
        EXPECT_EQ(p.firstCentred, c.centred) << c.type;
        // Hover and pressed follow the normal image; the pressed one doubles as disabled.
        EXPECT_EQ(p.first.hover, c.first + 1) << c.type;
        EXPECT_EQ(p.first.pressed, c.first + 2) << c.type;
        EXPECT_EQ(p.first.disabled, p.first.pressed) << c.type;
        EXPECT_EQ(p.second.disabled, p.second.pressed) << c.type;
    }
}

TEST(PromptLayout, ContentSitsOnTheCardAndTheCardFollowsIt)
{
    // At 150 % the background is 714 × 433 and the content window starts
    // 28 px right of and 21 px below its corner.
    EXPECT_EQ(prompt::BoxWidth(1.5f), 714);
    EXPECT_EQ(prompt::BoxHeight(1.5f), 433);
    EXPECT_RECT(prompt::InitialContentRect({100, 50, 814, 483}, 1.5f), 128, 71, 785, 447);
    EXPECT_RECT(prompt::CardInBox({100, 50, 814, 483}, 1.5f), 128, 71, 786, 447);
    EXPECT_RECT(prompt::InitialContentRect({300, 200, 776, 489}, 1.0f), 319, 214, 757, 465);
    EXPECT_RECT(prompt::CardInBox({300, 200, 776, 489}, 1.0f), 319, 214, 757, 465);

    // Dragging the content and following it gives the background back its
    // size, however often it happens.
    for (float s : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f}) {
        const Rect box{-40, 7, -40 + prompt::BoxWidth(s), 7 + prompt::BoxHeight(s)};
        Rect r = box;
        for (int i = 0; i < 3; ++i)
            r = prompt::BoxAroundCard(prompt::CardInBox(r, s), s);
        EXPECT_EQ(Str(r), Str(box)) << s;
    }
}

TEST(PromptLayout, TitleStripLeavesTheCloseCornerOut)
{
    const Rect strip = prompt::TitleStrip({100, 200, 538, 451}, 1.0f);
    EXPECT_RECT(strip, 100, 200, 512, 230);
    struct Case { int x, y; bool in; } cases[] = {
        {100, 200, true},  {511, 229, true},  {300, 215, true},
        {512, 210, false}, {530, 205, false},   // the close button's corner
        {300, 230, false}, {99, 210, false},  {300, 199, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(strip.Contains(c.x, c.y), c.in) << c.x << "," << c.y;
    EXPECT_RECT(prompt::TitleStrip({0, 0, 658, 376}, 1.5f), 0, 0, 619, 45);
}

TEST(PromptLayout, PleaseWaitTextAndPlace)
{
    struct Case { std::wstring message; std::wstring shown; } cases[] = {
        {L"", L"正在修复，请稍等"},
        {L"a", L"正在修复，请稍等"},
        {L"修", L"正在修复，请稍等"},
        {L"ab", L"ab"},
        {L"请稍", L"请稍"},
        {L"修复方案部署安装中，请稍后", L"修复方案部署安装中，请稍后"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(prompt::PleaseWaitText(c.message), c.shown) << c.message.size();

    EXPECT_RECT(prompt::PleaseWaitTextRect({0, 0, 476, 289}, 1.0f), 39, 122, 437, 162);
    EXPECT_RECT(prompt::PleaseWaitTextRect({0, 0, 714, 433}, 1.5f), 58, 183, 656, 243);
    // The opaque card left after the shadow margin is cut away.
    EXPECT_RECT(prompt::CardInBox({0, 0, 476, 289}, 1.0f), 19, 14, 457, 265);
    EXPECT_RECT(prompt::CardInBox({0, 0, 714, 433}, 1.5f), 28, 21, 686, 397);
}
