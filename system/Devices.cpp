#include "system/Devices.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "framework/Handles.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "log/LogSave.h"
#include "system/RepairWorker.h"

namespace {

// A driver that keeps asking for more is not asked forever.
const int kMaxPropertyTries = 8;

// The first string of the device's hardware-ID list, empty when it cannot be read.
std::string FirstHardwareId(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    CLocalMemory buffer;
    DWORD size = 0, required = 0, type = 0;
    BOOL ok = FALSE;
    for (int tries = 0; tries < kMaxPropertyTries; ++tries) {
        ok = ::SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_HARDWAREID, &type,
                                                 static_cast<BYTE*>(buffer.Get()), size, &required);
        if (ok || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        // Twice what was asked for, zero-filled: the list always ends in NULs.
        size = required * 2;
        buffer.Reset(::LocalAlloc(LPTR, size));
        if (!buffer) {
            size = 0;
            break;
        }
    }
    if (!ok || !buffer)
        return {};
    const std::wstring first = FirstString(static_cast<const wchar_t*>(buffer.Get()), size / sizeof(wchar_t));
    return WideToAnsi(first.c_str());
}

std::wstring InstanceId(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!::SetupDiGetDeviceInstanceIdW(set, &info, id, MAX_DEVICE_ID_LEN + 1, nullptr))
        return {};
    return id;
}

EDeviceState NodeState(const SP_DEVINFO_DATA& info)
{
    // Initialised: under wine the query reports success and writes nothing.
    ULONG flags = 0, problem = 0;
    const bool read = ::CM_Get_DevNode_Status(&flags, &problem, info.DevInst, 0) == CR_SUCCESS;
    return DeviceStateOf(read, flags, problem);
}

// Visits every present device of any class; false, after the line in
// "Quorrant.txt", when the device list cannot be had.
template <class Visit>
bool ForEachPresentDevice(Visit visit)
{
    CDevInfoSet set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!set) {
        CLogSave::GetInstance(GetExeDir() + L"\\")->Log("创建设备信息失败", "Quorrant.txt", true);
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
        devices.push_back({FirstHardwareId(set, info), InstanceId(set, info), NodeState(info)});
    });
}
