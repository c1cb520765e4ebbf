#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "system/HostRules.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// One SMBIOS record: header (type, length, handle), the rest of the formatted
// area, then the string set closed by a double NUL.
Bytes Record(uint8_t type, const Bytes& formattedRest, const std::vector<std::string>& strings)
{
    Bytes r = {type, static_cast<uint8_t>(4 + formattedRest.size()), 0x10, 0x00};
    for (uint8_t b : formattedRest)
        r.push_back(b);
    for (const std::string& s : strings) {
        r.insert(r.end(), s.begin(), s.end());
        r.push_back(0);
    }
    if (strings.empty())
        r.push_back(0);
    r.push_back(0);
    return r;
}

// A system-information record: manufacturer 1, product 2, version <index>, serial 3.
Bytes SystemInfo(uint8_t versionIndex, const std::vector<std::string>& strings)
{
    Bytes rest = {1, 2, versionIndex, 3};
    rest.resize(0x1B - 4, 0);   // UUID, wake-up type, SKU, family
    return Record(1, rest, strings);
}

Bytes Bios() { return Record(0, {1, 2, 0, 0xE8, 2, 3, 0xFF}, {"Vendor BIOS", "1.07"}); }
Bytes EndOfTable() { return Record(127, {}, {}); }

// The firmware service's answer: 8-byte header with the table's length, then the table.
Bytes Raw(const std::vector<Bytes>& records, long declaredLength = -1)
{
    Bytes table;
    for (const Bytes& r : records)
        table.insert(table.end(), r.begin(), r.end());
    uint32_t len = declaredLength < 0 ? static_cast<uint32_t>(table.size()) : static_cast<uint32_t>(declaredLength);
    Bytes raw = {0, 3, 4, 0, static_cast<uint8_t>(len), static_cast<uint8_t>(len >> 8),
                 static_cast<uint8_t>(len >> 16), static_cast<uint8_t>(len >> 24)};
    raw.insert(raw.end(), table.begin(), table.end());
    return raw;
}

const std::vector<std::string> kStrings = {"KESTRA", "31XRV05", "PF2XK9QZ", "KESTRA Q5 31XRV05 "};

struct Result {
    ESmbiosResult result;
    std::string version;
};

Result Read(const Bytes& raw)
{
    // An exact-size copy: nothing beyond it belongs to the table.
    Bytes copy(raw);
    Result r{ESmbiosResult::BadTable, "unset"};
    r.result = ReadSmbiosSystemVersion(copy.data(), copy.size(), r.version);
    return r;
}

}  // namespace

TEST(Smbios, TableCases)
{
    const Bytes sys = SystemInfo(4, kStrings);
    struct Case { const char* what; Bytes raw; ESmbiosResult result; std::string version; int code; } cases[] = {
        {"after the BIOS record", Raw({Bios(), sys, EndOfTable()}), ESmbiosResult::Found, "KESTRA Q5 31XRV05 ",
         kModelAccepted},
        {"first record", Raw({sys}), ESmbiosResult::Found, "KESTRA Q5 31XRV05 ", kModelAccepted},
        {"other model", Raw({Bios(), SystemInfo(4, {"A", "B", "C", "ThinkBox 3"})}), ESmbiosResult::Found,
         "ThinkBox 3", kModelMismatch},
        {"no Version string", Raw({SystemInfo(0, kStrings)}), ESmbiosResult::Found, "", kModelMismatch},
        {"index beyond the strings", Raw({SystemInfo(9, kStrings)}), ESmbiosResult::Found, "", kModelMismatch},
        {"no strings at all", Raw({SystemInfo(3, {})}), ESmbiosResult::Found, "", kModelMismatch},
        {"formatted area without the Version field", Raw({Record(1, {1, 2}, kStrings)}), ESmbiosResult::Found, "",
         kModelMismatch},
        {"only the first system record counts", Raw({SystemInfo(1, {"Other"}), sys}), ESmbiosResult::Found, "Other",
         kModelMismatch},
        {"value with a line break in it", Raw({SystemInfo(1, {"KESTRA Q5\r\n31XRV05"})}), ESmbiosResult::Found,
         "KESTRA Q5\r\n31XRV05", kModelMismatch},
        {"no system record", Raw({Bios(), EndOfTable()}), ESmbiosResult::NoSystemInfo, "unset", kModelNotFound},
        {"system record after the end of table", Raw({Bios(), EndOfTable(), sys}), ESmbiosResult::NoSystemInfo,
         "unset", kModelNotFound},
        {"minimal record before it", Raw({Record(0, {}, {"x"}), sys}), ESmbiosResult::Found,
         "KESTRA Q5 31XRV05 ", kModelAccepted},
        {"empty table", Raw({}), ESmbiosResult::NoSystemInfo, "unset", kModelNotFound},
        {"declared length ends before the system record", Raw({Bios(), sys}, static_cast<long>(Bios().size())),
         ESmbiosResult::NoSystemInfo, "unset", kModelNotFound},
        {"declared length far beyond the buffer", Raw({Bios(), sys}, 0x7FFFFFFF), ESmbiosResult::Found,
         "KESTRA Q5 31XRV05 ", kModelAccepted},
        {"header only", Bytes{0, 3, 4, 0, 0, 0, 0, 0}, ESmbiosResult::NoSystemInfo, "unset", kModelNotFound},
        {"shorter than the header", Bytes{0, 3, 4, 0, 9}, ESmbiosResult::BadTable, "unset", kModelQueryFailed},
    };
    for (auto& c : cases) {
        Result r = Read(c.raw);
        EXPECT_EQ(r.result, c.result) << c.what;
        EXPECT_EQ(r.version, c.version) << c.what;
        EXPECT_EQ(CheckModelFromSmbios(true, c.raw.data(), c.raw.size()), c.code) << c.what;
    }
}

TEST(Smbios, BrokenRecordLengthStopsTheWalk)
{
    // A length byte of 2 cannot even hold the record's header.
    Bytes bad = {0, 2, 0, 0, 0, 0};
    Bytes raw = Raw({bad, SystemInfo(4, kStrings)});
    EXPECT_EQ(Read(raw).result, ESmbiosResult::NoSystemInfo);
    // A length running past the table's end.
    Bytes past = {1, 0xFF, 0, 0, 1, 2, 4, 3};
    EXPECT_EQ(Read(Raw({past})).result, ESmbiosResult::NoSystemInfo);
}

TEST(Smbios, EveryTruncationIsSafe)
{
    const Bytes full = Raw({Bios(), SystemInfo(4, kStrings), EndOfTable()});
    const size_t sysEnd = 8 + Bios().size() + SystemInfo(4, kStrings).size();
    for (size_t n = 0; n <= full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
        Result r = Read(cut);
        if (n >= sysEnd) {
            EXPECT_EQ(r.result, ESmbiosResult::Found) << n;
            EXPECT_EQ(r.version, "KESTRA Q5 31XRV05 ") << n;
        } else {
            EXPECT_NE(r.result, ESmbiosResult::Found) << n;
        }
    }
}

TEST(Smbios, UnreadableTableIsAFailedQuery)
{
    EXPECT_EQ(CheckModelFromSmbios(false, nullptr, 0), kModelQueryFailed);
    EXPECT_EQ(CheckModelFromSmbios(true, nullptr, 0), kModelQueryFailed);
}
