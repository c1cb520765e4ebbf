// The present devices, from SetupAPI.
#pragma once
#include <vector>

#include "system/RepairRules.h"

// Fills ids with the first hardware ID of each present device of any class
// (see AddHardwareId). False, after the line "创建设备信息失败" in the
// device step's log file (kDeviceLogFile) under the program folder, when the
// device list cannot be had; true once every device has been visited, even
// when none gave an ID.
[[nodiscard]] bool EnumHardwareIds(CHardwareIdMap& ids);

// The same walk, keeping for each device its first hardware ID, its instance
// ID and its state as the configuration manager reports it (a DeviceListReader).
[[nodiscard]] bool EnumPresentDevices(std::vector<SPresentDevice>& devices);
