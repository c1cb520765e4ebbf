#include "base/DeviceProperties.h"

#include <cfgmgr32.h>

#include <algorithm>
#include <vector>

static_assert(kNodeStarted == DN_STARTED, "DN_STARTED");
static_assert(kNodeHasProblem == DN_HAS_PROBLEM, "DN_HAS_PROBLEM");
static_assert(kProblemDisabled == CM_PROB_DISABLED, "CM_PROB_DISABLED");

namespace {
// A driver that keeps asking for a larger buffer is not asked forever.
const int kMaxPropertyTries = 8;
}  // namespace

std::wstring ReadDeviceInstanceId(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    std::vector<wchar_t> buffer(MAX_DEVICE_ID_LEN + 1);
    DWORD required = 0;
    if (!::SetupDiGetDeviceInstanceIdW(set, &info, buffer.data(), static_cast<DWORD>(buffer.size()), &required)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= buffer.size())
            return {};
        buffer.assign(required + 1, L'\0');
        if (!::SetupDiGetDeviceInstanceIdW(set, &info, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr))
            return {};
    }
    buffer.back() = L'\0';
    return buffer.data();
}

std::wstring ReadDeviceStringList(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property)
{
    std::vector<wchar_t> buffer(512);
    for (int tries = 0; tries < kMaxPropertyTries; ++tries) {
        DWORD type = 0, required = 0;
        const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (::SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                                bytes, &required)) {
            if (type != REG_MULTI_SZ && type != REG_SZ)
                return {};
            const size_t chars = std::min<size_t>(buffer.size(), required / sizeof(wchar_t));
            return std::wstring(buffer.data(), chars);
        }
        // A driver that asks for no more than it was given would be asked
        // the same way again.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= bytes)
            return {};
        buffer.assign(required / sizeof(wchar_t) + 2, L'\0');
    }
    return {};
}

SDeviceNodeStatus ReadDeviceNodeStatus(const SP_DEVINFO_DATA& info)
{
    // Initialised: under wine the query reports success and writes nothing.
    ULONG flags = 0, problem = 0;
    SDeviceNodeStatus status;
    status.read = ::CM_Get_DevNode_Status(&flags, &problem, info.DevInst, 0) == CR_SUCCESS;
    status.flags = flags;
    status.problem = problem;
    return status;
}
