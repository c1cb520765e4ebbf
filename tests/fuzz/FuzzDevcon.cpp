// The device tool's answer: only a line that reports at least one disabled
// (or to-be-disabled) device confirms the repair, as the reference reading of
// tests/fuzz/Oracles.h says.
#include <cstdint>
#include <string>

#include "system/RepairRules.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/Oracles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string output(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(DevconConfirmsDisable(output) == oracle::DevconConfirms(output));
    // The same lines among the tool's other lines.
    const std::string framed = "Disabling PCI\\VEN_10DE&DEV_1AD8\r\n" + output + "\r\nDone.\r\n";
    FUZZ_CHECK(DevconConfirmsDisable(framed) == oracle::DevconConfirms(framed));
    return 0;
}
