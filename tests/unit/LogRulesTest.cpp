#include <gtest/gtest.h>

#include <climits>

#include "log/LogRules.h"

TEST(LogStamp, FieldsAreZeroPaddedToFixedWidths)
{
    struct Case { LogTime t; const char* stamp; } cases[] = {
        {{2024, 3, 7, 9, 5, 2, 42}, "[2024-03-07 09:05:02 042ms]   "},
        {{2024, 3, 7, 9, 5, 2, 7}, "[2024-03-07 09:05:02 007ms]   "},
        {{2025, 12, 31, 23, 59, 59, 999}, "[2025-12-31 23:59:59 999ms]   "},
        {{2000, 1, 1, 0, 0, 0, 0}, "[2000-01-01 00:00:00 000ms]   "},
        {{987, 1, 1, 0, 0, 0, 0}, "[0987-01-01 00:00:00 000ms]   "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLogStamp(c.t), c.stamp);
}

TEST(LogRotation, MovesOnlyPastTheLimitOnTheLowThirtyTwoBits)
{
    struct Case { uint64_t length; bool rotate; } cases[] = {
        {0, false},
        {6000000, false},
        {6291456, true},                       // 6 MiB is past the limit
        {6020000, false},
        {6020001, true},
        {0x100000000ULL + 6020000, false},     // high word ignored
        {0x100000000ULL + 6020001, true},
        {0xFFFFFFFFULL, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogNeedsRotation(c.length), c.rotate) << c.length;
}

TEST(LogPrintSwitch, OnExactlyWhenTheIntegerPrefixIsOne)
{
    struct Case { std::wstring value; bool on; } cases[] = {
        {L"1", true},
        {L" 1 ", true},
        {L"\t1\r\n", true},
        {L"01", true},
        {L"1abc", true},
        {L"+1", true},
        {L"true", false},
        {L"2", false},
        {L"-1", false},
        {L"", false},
        {L"   ", false},
        {L"0", false},
        {L"11", false},
        {L"a1", false},
        {L"4294967297", false},                // 2^32 + 1 must not wrap round to 1
        {L"-4294967295", false},
        // What a 100-character buffer holds: 99 characters.
        {std::wstring(98, L' ') + L"1" + std::wstring(51, L'5'), true},
        {std::wstring(99, L' ') + L"1" + std::wstring(50, L' '), false},
        {std::wstring(98, L'0') + L"1" + std::wstring(51, L'0'), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogPrintSwitchOn(c.value), c.on) << c.value.size() << " chars";
}

TEST(LogPrintSwitch, DecimalPrefixStopsAtTheIntRange)
{
    EXPECT_EQ(LogIniToInt(L"2147483647"), INT_MAX);
    EXPECT_EQ(LogIniToInt(L"2147483648"), INT_MAX);
    EXPECT_EQ(LogIniToInt(L"-2147483648"), INT_MIN);
    EXPECT_EQ(LogIniToInt(L"-2147483649"), INT_MIN);
    EXPECT_EQ(LogIniToInt(std::wstring(200, L'9')), INT_MAX);
    EXPECT_EQ(LogIniToInt(L"-"), 0);
    EXPECT_EQ(LogIniToInt(L"-12x"), -12);
}

TEST(LogRoot, OverrideGetsOneSeparator)
{
    struct Case { const wchar_t* root; const wchar_t* out; } cases[] = {
        {L"", L""},
        {L"C:\\Tools\\Velmora", L"C:\\Tools\\Velmora\\"},
        {L"C:\\Tools\\Velmora\\", L"C:\\Tools\\Velmora\\"},
        {L"C:\\", L"C:\\"},
        {L"C:/Tools/", L"C:/Tools/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogRootWithSeparator(c.root), c.out) << c.root;
}
