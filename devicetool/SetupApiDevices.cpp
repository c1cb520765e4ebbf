#include "devicetool/SetupApiDevices.h"

#include <cfgmgr32.h>

#include <cwchar>

#include "base/DeviceProperties.h"

namespace {

// A string-list property of the device as its strings; none when it has none.
std::vector<std::wstring> ListProperty(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property)
{
    const std::wstring list = ReadDeviceStringList(set, info, property);
    return devtool::SplitMultiString(list.data(), list.size());
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
        device.instanceId = ReadDeviceInstanceId(m_set.Get(), info);
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

SDeviceNodeStatus CSetupApiDevices::ReadStatus(size_t index)
{
    return ReadDeviceNodeStatus(m_infos.at(index));
}
