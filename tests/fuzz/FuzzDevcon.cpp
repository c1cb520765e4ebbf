// The device tool's answer: only a line that reports at least one disabled
// (or to-be-disabled) device confirms the repair.
#include <cstdint>
#include <string>

#include "system/RepairRules.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string output(reinterpret_cast<const char*>(data), size);
    const bool confirms = DevconConfirmsDisable(output);
    if (confirms) {
        FUZZ_CHECK(output.find("device(s)") != std::string::npos);
        FUZZ_CHECK(output.find("disabled.") != std::string::npos);
        // A confirmation stays one whatever other lines come before or after it.
        FUZZ_CHECK(DevconConfirmsDisable("Disabling PCI\\VEN_10DE&DEV_1AD8\r\n" + output));
        FUZZ_CHECK(DevconConfirmsDisable(output + "\r\nDone.\r\n"));
    }
    // Refusals the tool prints never confirm, whatever follows them on their line.
    FUZZ_CHECK(!DevconConfirmsDisable("0 device(s) disabled." + output.substr(0, output.find('\n'))));
    FUZZ_CHECK(!DevconConfirmsDisable("No matching devices found." + output.substr(0, output.find('\n'))));
    return 0;
}
