#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <vector>

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

TEST(LogFileName, OnlyOnePlainNameInsideTheFolder)
{
    struct Case { const wchar_t* name; bool plain; } cases[] = {
        {L"Velmora.txt", true},
        {L"Velmora.txtbak", true},
        {L"Velmora.txt.", true},        // taken exactly, so not another file's name
        {L"", false},
        {L".", false},
        {L"..", false},
        {L"sub\\Velmora.txt", false},
        {L"..\\Velmora.txt", false},
        {L"sub/Velmora.txt", false},
        {L"C:Velmora.txt", false},
        {L"Velmora.txt:stream", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogFileNameIsPlain(c.name), c.plain) << std::string(c.name, c.name + wcslen(c.name));
}

TEST(LogFolderSecurity, SafeOnlyWhenOwnedByATrustedAccountAndNobodyElseMayWrite)
{
    const std::wstring me = L"S-1-5-21-1-2-3-1001", other = L"S-1-5-21-1-2-3-1002";
    const std::wstring SY = L"S-1-5-18", BA = L"S-1-5-32-544", BU = L"S-1-5-32-545", WD = L"S-1-1-0",
                       AU = L"S-1-5-11", CO = L"S-1-3-0",
                       TI = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    const uint32_t FA = 0x1f01ff, read = 0x1200a9, modify = 0x1301bf, inheritOnly = 0x0b, oici = 0x03;
    using A = SLogAccessEntry;
    auto allow = [](std::wstring sid, uint32_t mask, uint32_t flags = 0x03) { return A{sid, mask, flags, A::kAllow}; };
    auto deny = [](std::wstring sid, uint32_t mask) { return A{sid, mask, 0x03, A::kDeny}; };
    const std::vector<A> made = {allow(SY, FA), allow(BA, FA), allow(BU, read)};   // what the tool makes
    struct Case { const char* what; std::wstring owner; bool hasList; std::vector<A> list; bool safe; } cases[] = {
        {"the tool's own folder", BA, true, made, true},
        {"owned by SYSTEM", SY, true, made, true},
        {"owned by TrustedInstaller", TI, true, made, true},
        {"owned by the running account", me, true, made, true},
        {"owner SID in lower case", L"s-1-5-32-544", true, made, true},
        {"owned by a user", other, true, made, false},
        {"owned by Users", BU, true, made, false},
        {"owner unknown", L"", true, made, false},
        {"no access list at all", BA, false, {}, false},
        {"an empty access list", BA, true, {}, true},
        {"the running account may write", BA, true, {allow(me, FA)}, true},
        {"CREATOR OWNER may write", BA, true, {allow(SY, FA), allow(CO, FA, inheritOnly)}, true},
        {"Everyone may read", BA, true, {allow(WD, 0x80120089)}, true},   // GENERIC_READ too
        {"Everyone may do everything", BA, true, {allow(SY, FA), allow(WD, FA)}, false},
        {"Users may change", BA, true, {allow(SY, FA), allow(BU, modify)}, false},
        // What a folder made in ProgramData is handed down: users may add.
        {"Users may add files and folders", BA, true,
         {allow(SY, FA), allow(BA, FA), allow(BU, read), allow(BU, 0x116, 0x02)}, false},
        {"Users may only append", BA, true, {allow(BU, read | 0x4)}, false},
        {"Users may delete children", BA, true, {allow(BU, read | 0x40)}, false},
        {"Users may write attributes", BA, true, {allow(BU, read | 0x100)}, false},
        {"Authenticated users may delete", BA, true, {allow(AU, 0x10000)}, false},
        {"a user may change the access list", BA, true, {allow(other, 0x40000)}, false},
        {"a user may take ownership", BA, true, {allow(other, 0x80000)}, false},
        {"GENERIC_WRITE for Users", BA, true, {allow(BU, 0x40000000)}, false},
        {"GENERIC_ALL for Users", BA, true, {allow(BU, 0x10000000)}, false},
        {"MAXIMUM_ALLOWED for Users", BA, true, {allow(BU, 0x02000000)}, false},
        {"a right no one knows yet", BA, true, {allow(BU, 0x00000200)}, false},
        {"handed down only, to what is made inside", BA, true, {allow(SY, FA), allow(BU, modify, inheritOnly)}, false},
        {"handed down to files only", BA, true, {allow(BU, FA, 0x09)}, false},
        {"a user denied everything", BA, true, {allow(SY, FA), deny(other, FA)}, true},
        {"an allowing entry counts, even behind a denial", BA, true, {deny(BU, FA), allow(BU, FA)}, false},
        {"an entry of an unknown kind", BA, true, {allow(SY, FA), A{BU, read, oici, A::kOther}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogFolderIsSafe({c.owner, c.hasList, c.list}, me), c.safe) << c.what;
    // Without a running account to compare, only the fixed accounts count.
    EXPECT_FALSE(LogFolderIsSafe({L"", true, made}, L""));
    EXPECT_TRUE(LogFolderIsSafe({BA, true, made}, L""));
}
