// The hardware-ID choice over whatever the device list holds: every device's
// property as a multi-string list, its first string taken, collected, walked,
// each step against a reference worked out here from the documented rules.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "system/RepairRules.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

// The listed functions, in the order they are tried for each device.
const char* const kListed[3] = {"PCI\\VEN_10DE&DEV_1AD8", "PCI\\VEN_10DE&DEV_1ADA", "PCI\\VEN_10DE&DEV_1AEC"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Devices are separated by a 0xFF byte; each device's bytes are its
    // property as UTF-16LE, NULs and all, of exactly that length.
    std::set<std::string> expectedIds;   // byte order, each once
    CHardwareIdMap ids;
    size_t start = 0;
    while (start <= size) {
        size_t end = start;
        while (end < size && data[end] != 0xFF)
            ++end;
        std::wstring prop = WideFromBytes(data + start, end - start);
        std::vector<wchar_t> exact(prop.begin(), prop.end());
        // The first string: everything before the first NUL, or all of it.
        const std::wstring first = prop.substr(0, prop.find(L'\0'));
        FUZZ_CHECK(FirstString(exact.empty() ? nullptr : exact.data(), exact.size()) == first);
        // The enumeration's narrow form: non-ASCII becomes '?', as an ANSI
        // conversion would at worst.
        std::string narrow;
        for (wchar_t c : first)
            narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        if (narrow.size() > 1)
            expectedIds.insert(narrow);
        AddHardwareId(ids, narrow);
        start = end + 1;
    }

    FUZZ_CHECK(ids.size() == expectedIds.size());
    auto e = expectedIds.begin();
    for (const auto& entry : ids) {
        FUZZ_CHECK(entry.first == *e && entry.second == *e);
        ++e;
    }

    // The smallest ID that holds any listed text decides; the first listed
    // text it holds is recorded.
    std::string expected;
    for (const std::string& id : expectedIds) {
        for (const char* listed : kListed)
            if (expected.empty() && id.find(listed) != std::string::npos)
                expected = listed;
        if (!expected.empty())
            break;
    }
    std::wstring chosen = L"unchanged";
    const bool found = ChooseListedHardwareId(ids, chosen);
    FUZZ_CHECK(found == !expected.empty());
    FUZZ_CHECK(chosen == (found ? std::wstring(expected.begin(), expected.end()) : L"unchanged"));

    if (found)
        FUZZ_CHECK(DevconCommand(L"C:\\Velmora", EDeviceVerb::Disable, chosen) ==
                   L"\"C:\\Velmora\\devcon.exe\" disable \"" + chosen + L"\"");
    return 0;
}
