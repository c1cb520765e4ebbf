#include <gtest/gtest.h>

#include <string>

#include "system/HostRules.h"
#include "system/ResultCodes.h"

namespace {

template <size_t N>
std::string Bytes(const char (&s)[N]) { return std::string(s, N - 1); }

// Runs the version check with a fake OS query and says how often it was asked.
struct VersionRun {
    bool supported;
    int queries;
};

VersionRun CheckVersion(unsigned long major, unsigned long minor, bool ran, const std::wstring& text)
{
    VersionRun r{false, 0};
    r.supported = IsSupportedWindows(major, minor, [&](std::wstring& out) {
        ++r.queries;
        if (ran)
            out = text;
        return ran;
    });
    return r;
}

}  // namespace

TEST(HostRules, WindowsVersionTable)
{
    const std::wstring win11 = L"Status  \r\r\nMicrosoft Windows 11 Pro|C:\\Windows|\\Device\\Harddisk0  OK\r\r\n";
    struct Case { unsigned long major, minor; bool ran; std::wstring text; bool supported; int queries; } cases[] = {
        // Listed pairs decide without a query.
        {10, 0, true, L"", true, 0},
        {6, 3, true, win11, false, 0},
        {6, 1, true, win11, false, 0},
        {5, 0, true, win11, false, 0},
        {5, 2, true, win11, false, 0},
        // Unlisted pairs go by the query's words, case-sensitively.
        {10, 1, true, win11, true, 1},
        {6, 4, true, win11, true, 1},
        {10, 1, true, L"microsoft windows 11 pro", false, 1},
        {10, 1, true, L"Microsoft Windows 10 Pro", false, 1},
        {10, 1, true, L"Windows11", false, 1},
        {10, 1, false, win11, false, 1},
        {11, 0, true, L"", false, 1},
    };
    for (const auto& c : cases) {
        VersionRun r = CheckVersion(c.major, c.minor, c.ran, c.text);
        EXPECT_EQ(r.supported, c.supported) << c.major << "." << c.minor;
        EXPECT_EQ(r.queries, c.queries) << c.major << "." << c.minor;
    }
}

TEST(HostRules, BuildNumberStandsInForTheOsQuery)
{
    EXPECT_FALSE(NamesWindows11(OsTextFromBuild(19045)));
    EXPECT_FALSE(NamesWindows11(OsTextFromBuild(21999)));
    EXPECT_FALSE(NamesWindows11(OsTextFromBuild(11000)));
    EXPECT_TRUE(NamesWindows11(OsTextFromBuild(22000)));
    EXPECT_TRUE(NamesWindows11(OsTextFromBuild(26100)));
}

TEST(HostRules, ModelAnswerTable)
{
    const std::string head = "\r\r\nCaption=Computer System Product\r\r\nIdentifyingNumber=PF2XK9QZ\r\r\n";
    struct Case { const char* what; bool ran; std::string answer; int code; } cases[] = {
        {"CR CR LF line end", true, head + "Version=KESTRA Q5 31XRV05\r\r\nVendor=KESTRA\r\r\n", kModelAccepted},
        {"lower case, two spaces each side", true, "Version=  kestra q5 31xrv05  \r\n", kModelAccepted},
        {"inside a longer text", true, "Version=Notebook MARUVELLINE TOR4100-31XRV rev B\r\n", kModelAccepted},
        {"third model", true, "Version=MARUVELLINE TOR4100K-31XRV\r\n", kModelAccepted},
        {"mixed case third model", true, "Version=Maruvelline Tor4100k-31xrv\r\n", kModelAccepted},
        {"leading line break after spaces", true, "Version=  \nKESTRA Q5 31XRV05\r\n", kModelAccepted},
        {"space after a leading line break survives", true, "Version=\n KESTRA Q5 31XRV05\r\n", kModelAccepted},
        {"last line without CR LF", true, head + "Version=KESTRA Q5 31XRV05", kModelNoLineEnd},
        {"lone LF is no line end", true, "Version=KESTRA Q5 31XRV05\n", kModelNoLineEnd},
        {"lone CR is no line end", true, "Version=KESTRA Q5 31XRV05\r", kModelNoLineEnd},
        {"empty value", true, head + "Version=\r\r\nVendor=KESTRA\r\n", kModelMismatch},
        {"only spaces and line breaks", true, "Version= \r \r\n", kModelMismatch},
        {"other model", true, "Version=KESTRA Q7 31XRV05\r\n", kModelMismatch},
        {"model split by a line end", true, "Version=KESTRA Q5\r\n31XRV05\r\n", kModelMismatch},
        {"model cut short", true, "Version=MARUVELLINE TOR4100-31XR\r\n", kModelMismatch},
        {"only the first Version= counts", true,
         "Version=ThinkBox 3\r\nVersion=KESTRA Q5 31XRV05\r\n", kModelMismatch},
        {"first Version= with line end counts, a later one cannot rescue", true,
         "Version=KESTRA Q5 31XRV05\r\nVersion=other\r\n", kModelAccepted},
        {"key is case-sensitive", true, "version=KESTRA Q5 31XRV05\r\n", kModelNotFound},
        {"no Version=", true, head + "Vendor=KESTRA\r\r\n", kModelNotFound},
        {"empty answer", true, "", kModelNotFound},
        {"runner failure", false, head + "Version=KESTRA Q5 31XRV05\r\n", kModelQueryFailed},
        {"non-ASCII bytes stay", true, std::string("Version=KESTRA Q5 31XRV05 \xd6\xd0\xce\xc4\r\n"), kModelAccepted},
        {"NUL inside the value", true, Bytes("Version=KES\0TRA Q5 31XRV05\r\n"), kModelMismatch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckModelAnswer(c.ran, c.answer), c.code) << c.what;
}

TEST(HostRules, TrimStepsRunInTheirOrder)
{
    struct Case { const char* in; const char* out; } cases[] = {
        {"  KESTRA  ", "KESTRA"},
        {"\r\nKESTRA\r", "KESTRA"},
        {"\r\n  KESTRA", "  KESTRA"},    // spaces behind a leading line break stay
        {"KESTRA\r\n  ", "KESTRA"},      // trailing spaces go first, then the line break
        {"KESTRA  \r", "KESTRA  "},      // spaces before a trailing line break stay
        {" \r\n \r\n", " "},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimModelValue(c.in), c.out) << '"' << c.in << '"';
}

TEST(HostRules, EveryFailureHasItsLogLine)
{
    EXPECT_EQ(ModelCheckLogMessage(kModelAccepted), nullptr);
    EXPECT_STREQ(ModelCheckLogMessage(kModelMismatch), "当前机型不是指定机型");
    EXPECT_STREQ(ModelCheckLogMessage(kModelNoLineEnd), "解析机型失败");
    EXPECT_STREQ(ModelCheckLogMessage(kModelNotFound), "未找到机型信息");
    EXPECT_STREQ(ModelCheckLogMessage(kModelQueryFailed), "获取机型信息失败");
}

TEST(HostRules, ResultsTravelAsTheirDesignedCodes)
{
    // The window hears each result as the designed code of its message and
    // reads it back; a code no worker sends is no result. A model failure is
    // the host result of its own number.
    const struct { EHostResult result; uintptr_t code; } hostCodes[] = {
        {EHostResult::Accepted, 1},         {EHostResult::ModelMismatch, 2},    {EHostResult::ModelNoLineEnd, 3},
        {EHostResult::ModelNotFound, 4},    {EHostResult::ModelQueryFailed, 5}, {EHostResult::DeviceListFailed, 6},
        {EHostResult::NoListedDevice, 7},
    };
    for (const auto& h : hostCodes) {
        EXPECT_EQ(MessageCode(h.result), h.code);
        EXPECT_EQ(HostResultOfCode(h.code), h.result) << h.code;
        if (h.code >= kModelMismatch && h.code <= kModelQueryFailed) {
            EXPECT_EQ(HostResultOfModelCheck(static_cast<int>(h.code)), h.result) << h.code;
        }
    }
    const struct { ERepairResult result; uintptr_t code; } repairCodes[] = {
        {ERepairResult::Done, 1},
        {ERepairResult::Failed, 2},
    };
    for (const auto& r : repairCodes) {
        EXPECT_EQ(MessageCode(r.result), r.code);
        EXPECT_EQ(RepairResultOfCode(r.code), r.result) << r.code;
    }
    for (uintptr_t never : {uintptr_t{0}, uintptr_t{8}, uintptr_t{100}, UINTPTR_MAX})
        EXPECT_FALSE(HostResultOfCode(never).has_value()) << never;
    for (uintptr_t never : {uintptr_t{0}, uintptr_t{3}, UINTPTR_MAX})
        EXPECT_FALSE(RepairResultOfCode(never).has_value()) << never;
}
