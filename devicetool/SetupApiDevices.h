// The device service of the tool on Windows: the present devices through
// SetupAPI, state changes through their class installers, node status from
// the configuration manager.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <vector>

#include "devicetool/DeviceTool.h"
#include "framework/Handles.h"

class CSetupApiDevices : public devtool::IDeviceService {
public:
    CSetupApiDevices() = default;
    CSetupApiDevices(const CSetupApiDevices&) = delete;
    CSetupApiDevices& operator=(const CSetupApiDevices&) = delete;

    bool ListDevices(std::vector<devtool::Device>& devices) override;
    bool RequestChange(size_t index, devtool::Verb verb) override;
    bool RestartRequested(size_t index) override;
    devtool::NodeStatus ReadStatus(size_t index) override;

private:
    CDevInfoSet m_set;
    std::vector<SP_DEVINFO_DATA> m_infos;   // parallel to the list handed out
};
