#include "system/HostCheck.h"

#include <windows.h>
#include <winternl.h>

#include <vector>

#include "log/LogSave.h"
#include "system/CommandLines.h"
#include "system/CommandRunner.h"
#include "system/Devices.h"
#include "system/HostRules.h"

namespace {

struct CPebVersion {
    ULONG major = 0, minor = 0, build = 0;
};

// The version fields the system records for this process in its environment block.
// (GCC 12 takes the segment-relative read of the thread block for an access to
// a zero-length array; the read is sound.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
CPebVersion ReadPebVersion()
{
    const BYTE* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#ifdef _WIN64
    const size_t kMajor = 0x118, kMinor = 0x11C, kBuild = 0x120;
#else
    const size_t kMajor = 0xA4, kMinor = 0xA8, kBuild = 0xAC;
#endif
    CPebVersion v;
    v.major = *reinterpret_cast<const ULONG*>(peb + kMajor);
    v.minor = *reinterpret_cast<const ULONG*>(peb + kMinor);
    v.build = *reinterpret_cast<const USHORT*>(peb + kBuild);
    return v;
}
#pragma GCC diagnostic pop

// The system's own wmic, by its full path: a wmic beside the program or in a
// folder of the search path is never run. Windows 11 24H2 and later may ship
// without it.
std::wstring WmicPath()
{
    const std::wstring system = SystemFolder();
    return system.empty() ? std::wstring() : JoinPath(system, kWmicInSystemFolder);
}

bool WmicAvailable()
{
    const std::wstring path = WmicPath();
    const DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WmicCommand(const wchar_t* arguments)
{
    return Quoted(WmicPath()) + L" " + arguments;
}

// The raw SMBIOS table from the firmware table service.
bool ReadRawSmbios(std::vector<uint8_t>& table)
{
    const DWORD kRsmb = 0x52534D42;   // 'RSMB'
    UINT size = ::GetSystemFirmwareTable(kRsmb, 0, nullptr, 0);
    if (size == 0)
        return false;
    table.assign(size, 0);
    UINT got = ::GetSystemFirmwareTable(kRsmb, 0, table.data(), size);
    if (got == 0 || got > size)
        return false;
    table.resize(got);
    return true;
}

// The model part: from the model query, or from the firmware's table where
// the system has no wmic. A failure gets its line, and a query that
// outlived the runner's limit one more.
int CheckModel()
{
    int code;
    const std::wstring query = WmicCommand(L"csproduct list full");
    ECommandRun how = ECommandRun::Ran;
    if (WmicAvailable()) {
        std::string answer;
        const bool ran = ExecCommandA(query.c_str(), answer, &how);
        code = CheckModelAnswer(ran, answer);
    } else {
        std::vector<uint8_t> table;
        const bool read = ReadRawSmbios(table);
        code = CheckModelFromSmbios(read, table.data(), table.size());
    }
    if (const char* message = ModelCheckLogMessage(code))
        LogToolLine(message);
    if (code != kModelAccepted && how == ECommandRun::TimedOut)
        LogCommandTimeout(query);
    return code;
}

// The device part: one of the listed graphics functions among the present devices.
EHostResult CheckGraphicsDevice(SListedDevice& found)
{
    const EHostResult result = FindListedDevice(EnumPresentDevices, found);
    if (result == EHostResult::DeviceListFailed)
        LogToolLine("获取本机硬件ID失败");
    else if (result == EHostResult::NoListedDevice)
        LogToolLine("显卡硬件ID 不匹配");
    return result;
}

}  // namespace

bool CheckWindowsVersion(std::wstring* timedOutCommand)
{
    const CPebVersion v = ReadPebVersion();
    return IsSupportedWindows(v.major, v.minor, [&](std::wstring& text) {
        if (!WmicAvailable()) {
            text = OsTextFromBuild(v.build);
            return true;
        }
        const std::wstring command = WmicCommand(L"OS List status");
        ECommandRun how = ECommandRun::Ran;
        const bool ran = ExecCommand(command, text, &how);
        if (how == ECommandRun::TimedOut && timedOutCommand)
            *timedOutCommand = command;
        return ran;
    });
}

EHostResult CheckModelAndDevice(SListedDevice& found)
{
    const int model = CheckModel();
    if (model != kModelAccepted)
        return HostResultOfModelCheck(model);
    return CheckGraphicsDevice(found);
}
