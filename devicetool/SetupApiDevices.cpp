#include "devicetool/SetupApiDevices.h"

#include <cfgmgr32.h>

#include <algorithm>
#include <cwchar>

static_assert(devtool::kNodeStarted == DN_STARTED, "DN_STARTED");
static_assert(devtool::kNodeHasProblem == DN_HAS_PROBLEM, "DN_HAS_PROBLEM");
static_assert(devtool::kProblemDisabled == CM_PROB_DISABLED, "CM_PROB_DISABLED");

namespace {

// A driver that keeps asking for a larger buffer is not asked forever.
const int kMaxPropertyTries = 8;

// A multi-string property of the device; empty when it has none.
std::vector<std::wstring> ListProperty(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property)
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
            return devtool::SplitMultiString(buffer.data(), chars);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= bytes)
            return {};
        buffer.assign(required / sizeof(wchar_t) + 2, L'\0');
    }
    return {};
}

std::wstring InstanceId(HDEVINFO set, SP_DEVINFO_DATA& info)
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

}  // namespace

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    std::swprintf(text, 40, L"{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

devtool::ListResult CSetupApiDevices::ListDevices(std::vector<devtool::Device>& devices)
{
    devices.clear();
    m_infos.clear();
    m_set.Reset(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!m_set)
        return devtool::ListResult::Unreadable;
    // One index past the limit tells a list that ends there from one that goes on.
    devtool::ListResult result = devtool::ListResult::TooLong;
    for (DWORD index = 0; index <= m_maxDevices; ++index) {
        SP_DEVINFO_DATA info = {};
        info.cbSize = sizeof(info);
        if (!::SetupDiEnumDeviceInfo(m_set.Get(), index, &info)) {
            if (::GetLastError() == ERROR_NO_MORE_ITEMS)
                return devtool::ListResult::Read;
            result = devtool::ListResult::Unreadable;
            break;
        }
        if (index == m_maxDevices)
            break;
        devtool::Device device;
        // The configuration manager's own ID query is no substitute: under
        // wine it reports success and leaves the buffer empty.
        device.instanceId = InstanceId(m_set.Get(), info);
        if (device.instanceId.empty())
            continue;
        device.hardwareIds = ListProperty(m_set.Get(), info, SPDRP_HARDWAREID);
        device.compatibleIds = ListProperty(m_set.Get(), info, SPDRP_COMPATIBLEIDS);
        device.classGuid = GuidText(info.ClassGuid);
        devices.push_back(device);
        m_infos.push_back(info);
    }
    // Nothing is acted on from a part of the list.
    devices.clear();
    m_infos.clear();
    return result;
}

bool CSetupApiDevices::RequestChange(size_t index, devtool::Verb verb, devtool::Scope scope)
{
    // Through the class installer, so class and co-installers take part; the
    // configuration manager's direct disable bypasses them.
    SP_PROPCHANGE_PARAMS params = {};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = verb == devtool::Verb::Disable ? DICS_DISABLE : DICS_ENABLE;
    params.Scope = scope == devtool::Scope::Global ? DICS_FLAG_GLOBAL : DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;   // the current hardware profile
    SP_DEVINFO_DATA& info = m_infos.at(index);
    return ::SetupDiSetClassInstallParamsW(m_set.Get(), &info, &params.ClassInstallHeader, sizeof(params)) &&
           ::SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, m_set.Get(), &info);
}

bool CSetupApiDevices::RestartRequested(size_t index)
{
    SP_DEVINSTALL_PARAMS_W params = {};
    params.cbSize = sizeof(params);
    if (!::SetupDiGetDeviceInstallParamsW(m_set.Get(), &m_infos.at(index), &params))
        return false;
    return (params.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0;
}

devtool::NodeStatus CSetupApiDevices::ReadStatus(size_t index)
{
    // Initialised: under wine the query reports success and writes nothing.
    ULONG flags = 0, problem = 0;
    devtool::NodeStatus status;
    status.read = ::CM_Get_DevNode_Status(&flags, &problem, m_infos.at(index).DevInst, 0) == CR_SUCCESS;
    status.flags = flags;
    status.problem = problem;
    return status;
}
