#include "system/Devices.h"

#include <windows.h>
#include <setupapi.h>

#include "base/DeviceProperties.h"
#include "base/Handles.h"
#include "base/Paths.h"
#include "base/Text.h"
#include "log/LogRules.h"
#include "log/LogSave.h"

namespace {

// The first string of the device's hardware-ID list, empty when it cannot be read.
std::string FirstHardwareId(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    const std::wstring list = ReadDeviceStringList(set, info, SPDRP_HARDWAREID);
    return WideToAnsi(FirstString(list.c_str(), list.size()).c_str());
}

EDeviceState NodeState(const SP_DEVINFO_DATA& info)
{
    const SDeviceNodeStatus status = ReadDeviceNodeStatus(info);
    return DeviceStateOf(status.read, status.flags, status.problem);
}

// Visits every present device of any class; false, after the line in the
// device step's log file, when the device list cannot be had.
template <class Visit>
bool ForEachPresentDevice(Visit visit)
{
    CDevInfoSet set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!set) {
        CLogSave::GetInstance(GetExeDir() + L"\\")->Log("创建设备信息失败", kDeviceLogFile, true);
        return false;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA info = {};
        info.cbSize = sizeof(info);   // 28 in a 32-bit build, 32 in this one
        if (!::SetupDiEnumDeviceInfo(set.Get(), index, &info))
            break;
        visit(set.Get(), info);
    }
    return true;
}

}  // namespace

bool EnumHardwareIds(CHardwareIdMap& ids)
{
    return ForEachPresentDevice(
        [&](HDEVINFO set, SP_DEVINFO_DATA& info) { AddHardwareId(ids, FirstHardwareId(set, info)); });
}

bool EnumPresentDevices(std::vector<SPresentDevice>& devices)
{
    return ForEachPresentDevice([&](HDEVINFO set, SP_DEVINFO_DATA& info) {
        devices.push_back({FirstHardwareId(set, info), ReadDeviceInstanceId(set, info), NodeState(info)});
    });
}
