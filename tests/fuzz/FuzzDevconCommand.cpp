// The device tool's command over hostile program folders: the interpreter
// receives the program folder's own devcon.exe and the ID, exactly as quoted,
// or the repair is refused.
#include <cstdint>
#include <string>

#include "system/HostRules.h"
#include "system/RepairRules.h"
#include "system/SelfRemovalRules.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring folder = WideFromBytes(data, size);
    const std::wstring id = L"PCI\\VEN_10DE&DEV_1AD8";
    const std::wstring command = DevconDisableCommand(folder, id);
    if (command.empty()) {
        FUZZ_CHECK(folder.empty() || UnsafeForInterpreter(folder) ||
                   folder.size() + id.size() + 40 > kMaxCommandLineChars);
        return 0;
    }
    FUZZ_CHECK(!UnsafeForInterpreter(folder));
    const std::wstring tool = folder.back() == L'\\' ? folder + L"devcon.exe" : folder + L"\\devcon.exe";
    FUZZ_CHECK(command == L"\"" + tool + L"\" disable \"" + id + L"\"");
    // The interpreter takes off exactly the outer quotes: what is left is the command.
    const std::wstring line = ComposeCommandLine(command);
    FUZZ_CHECK(line == L"cmd /D /S /C \"" + command + L"\"");
    FUZZ_CHECK(line.size() <= kMaxCommandLineChars);
    return 0;
}
