// A raw SMBIOS table as the firmware table service hands it over: any
// lengths, any record sizes, strings that never end.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "system/HostRules.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy: any read past the end is caught by the address checker.
    std::vector<uint8_t> table(data, data + size);
    const uint8_t* p = table.empty() ? nullptr : table.data();

    std::string version = "untouched";
    const ESmbiosResult r = ReadSmbiosSystemVersion(p, table.size(), version);
    if (size < 8)
        FUZZ_CHECK(r == ESmbiosResult::BadTable);
    if (r == ESmbiosResult::Found) {
        FUZZ_CHECK(version.size() + 8 < size);
        FUZZ_CHECK(version.find('\0') == std::string::npos);
        // The string is one of the table's own: it is found in the bytes read.
        const std::string bytes(reinterpret_cast<const char*>(data) + 8, size - 8);
        FUZZ_CHECK(bytes.find(version) != std::string::npos);
    } else {
        FUZZ_CHECK(version == "untouched");
    }

    const int code = CheckModelFromSmbios(true, p, table.size());
    FUZZ_CHECK(CheckModelFromSmbios(false, p, table.size()) == kModelQueryFailed);
    switch (r) {
    case ESmbiosResult::BadTable:
        FUZZ_CHECK(code == kModelQueryFailed);
        break;
    case ESmbiosResult::NoSystemInfo:
        FUZZ_CHECK(code == kModelNotFound);
        break;
    case ESmbiosResult::Found:
        // A Version string cannot hold a NUL, but it can hold a CR LF: then the
        // value ends there, as a model answer's line would.
        FUZZ_CHECK(code == CheckModelAnswer(true, "Version=" + version + "\r\n"));
        break;
    }
    return 0;
}
