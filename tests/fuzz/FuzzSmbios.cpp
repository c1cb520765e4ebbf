// A raw SMBIOS table as the firmware table service hands it over: any
// lengths, any record sizes, strings that never end. The reader and the model
// check fed from it against the reference walk of tests/fuzz/Oracles.h.
#include <cstdint>
#include <string>
#include <vector>

#include "system/HostRules.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/Oracles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy: any read past the end is caught by the address checker.
    std::vector<uint8_t> table(data, data + size);
    const uint8_t* p = table.empty() ? nullptr : table.data();
    const oracle::SmbiosReading want = oracle::ReadSmbios(table);

    std::string version = "untouched";
    const ESmbiosResult r = ReadSmbiosSystemVersion(p, table.size(), version);
    const int code = CheckModelFromSmbios(true, p, table.size());
    FUZZ_CHECK(CheckModelFromSmbios(false, p, table.size()) == kModelQueryFailed);
    switch (want.result) {
    case 0:
        FUZZ_CHECK(r == ESmbiosResult::Found);
        FUZZ_CHECK(version == want.version);
        // The Version string goes through the model query's parser as a line.
        FUZZ_CHECK(code == oracle::ReadModelAnswer("Version=" + want.version + "\r\n").code);
        break;
    case 1:
        FUZZ_CHECK(r == ESmbiosResult::NoSystemInfo);
        FUZZ_CHECK(version == "untouched");
        FUZZ_CHECK(code == kModelNotFound);
        break;
    default:
        FUZZ_CHECK(r == ESmbiosResult::BadTable);
        FUZZ_CHECK(version == "untouched");
        FUZZ_CHECK(code == kModelQueryFailed);
        break;
    }
    return 0;
}
