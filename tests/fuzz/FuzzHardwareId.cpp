// The hardware-ID choice over whatever the device list holds: every device's
// property as a multi-string list, its first string taken, collected, walked.
#include <cstdint>
#include <string>
#include <vector>

#include "system/RepairRules.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Devices are separated by a 0xFF byte; each device's bytes are its
    // property as UTF-16LE, NULs and all, of exactly that length.
    std::vector<std::string> firstIds;
    CHardwareIdMap ids;
    size_t start = 0;
    while (start <= size) {
        size_t end = start;
        while (end < size && data[end] != 0xFF)
            ++end;
        std::wstring prop = WideFromBytes(data + start, end - start);
        std::vector<wchar_t> exact(prop.begin(), prop.end());
        std::wstring first = FirstString(exact.empty() ? nullptr : exact.data(), exact.size());
        FUZZ_CHECK(first.size() <= exact.size());
        FUZZ_CHECK(first.find(L'\0') == std::wstring::npos);
        FUZZ_CHECK(prop.compare(0, first.size(), first) == 0);
        // The enumeration's narrow form: non-ASCII becomes '?', as an ANSI
        // conversion would at worst.
        std::string narrow;
        for (wchar_t c : first)
            narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        firstIds.push_back(narrow);
        AddHardwareId(ids, narrow);
        start = end + 1;
    }

    size_t kept = 0;
    for (const std::string& id : firstIds)
        if (id.size() > 1)
            ++kept;
    FUZZ_CHECK(ids.size() <= kept);
    for (const auto& e : ids) {
        FUZZ_CHECK(e.first == e.second);
        FUZZ_CHECK(e.first.size() > 1);
    }
    for (const std::string& id : firstIds)
        if (id.size() > 1)
            FUZZ_CHECK(ids.count(id) == 1);

    // Reference walk: the smallest ID that holds any listed text decides,
    // the first listed text it holds is recorded.
    std::wstring expected;
    for (const auto& e : ids) {
        for (int i = 0; i < 3 && expected.empty(); ++i)
            if (e.first.find(kListedHardwareIdsA[i]) != std::string::npos)
                expected = kListedHardwareIdsW[i];
        if (!expected.empty())
            break;
    }
    std::wstring chosen = L"unchanged";
    const bool found = ChooseListedHardwareId(ids, chosen);
    FUZZ_CHECK(found == !expected.empty());
    FUZZ_CHECK(chosen == (found ? expected : L"unchanged"));

    if (found)
        FUZZ_CHECK(DevconDisableCommand(L"C:\\Velmora", chosen) ==
                   L"\"C:\\Velmora\\devcon.exe\" disable \"" + chosen + L"\"");
    return 0;
}
