#include <gtest/gtest.h>

#include "feedback/TimeText.h"

TEST(FeedbackTime, LowThirtyTwoBitsAsSignedDecimal)
{
    struct Case { int64_t t; const wchar_t* text; } cases[] = {
        {0, L"0"},
        {1765000000, L"1765000000"},
        {2147483647, L"2147483647"},
        {2147483648LL, L"-2147483648"},     // 2038: the low word turns negative
        {4294967296LL + 5, L"5"},           // only the low 32 bits count
        {-1, L"-1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFeedbackTime(c.t), c.text) << c.t;
}
