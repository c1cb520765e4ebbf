// The device tool's command over hostile program folders: the interpreter
// receives the program folder's own devcon.exe and the ID, exactly as quoted,
// or the repair is refused.
#include <cstdint>
#include <string>

#include "system/CommandLines.h"
#include "system/RepairRules.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/Oracles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring folder = WideFromBytes(data, size);
    const std::wstring id = L"PCI\\VEN_10DE&DEV_1AD8";
    const std::wstring tool = !folder.empty() && folder.back() == L'\\' ? folder + L"devcon.exe"
                                                                        : folder + L"\\devcon.exe";
    const std::wstring expected = L"\"" + tool + L"\" disable \"" + id + L"\"";
    const bool refused = folder.empty() || oracle::InterpreterWouldChange(folder) ||
                         oracle::InterpreterLine(expected).size() > oracle::kLongestLine;

    const std::wstring command = DevconCommand(folder, EDeviceVerb::Disable, id);
    FUZZ_CHECK(command == (refused ? std::wstring() : expected));
    if (!refused) {
        // The interpreter takes off exactly the outer quotes: what is left is the command.
        FUZZ_CHECK(ComposeCommandLine(command) == oracle::InterpreterLine(expected));
    }
    return 0;
}
