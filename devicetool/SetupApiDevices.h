// The device service of the tool on Windows: the present devices through
// SetupAPI, state changes through their class installers, node status from
// the configuration manager.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "devicetool/DeviceTool.h"
#include "base/Handles.h"

// "{4d36e97d-e325-11ce-bfc1-08002be10318}": a class GUID as the rules compare it.
std::wstring GuidText(const GUID& guid);

class CSetupApiDevices : public devtool::IDeviceService {
public:
    explicit CSetupApiDevices(size_t maxDevices = devtool::kMaxDevices) : m_maxDevices(maxDevices) {}
    CSetupApiDevices(const CSetupApiDevices&) = delete;
    CSetupApiDevices& operator=(const CSetupApiDevices&) = delete;

    devtool::ListResult ListDevices(std::vector<devtool::Device>& devices) override;
    bool RequestChange(size_t index, devtool::Verb verb, devtool::Scope scope) override;
    bool RestartRequested(size_t index) override;
    SDeviceNodeStatus ReadStatus(size_t index) override;

private:
    size_t m_maxDevices;
    CDevInfoSet m_set;
    std::vector<SP_DEVINFO_DATA> m_infos;   // parallel to the list handed out
};
