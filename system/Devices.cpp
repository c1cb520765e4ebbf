#include "system/Devices.h"

#include <windows.h>
#include <setupapi.h>

#include "framework/Handles.h"
#include "framework/Paths.h"
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

}  // namespace

bool EnumHardwareIds(CHardwareIdMap& ids)
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
        AddHardwareId(ids, FirstHardwareId(set.Get(), info));
    }
    return true;
}
