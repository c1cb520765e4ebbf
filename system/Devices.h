// The first hardware ID of every present device, from SetupAPI.
#pragma once
#include "system/RepairRules.h"

// Fills ids with the first hardware ID of each present device of any class
// (see AddHardwareId). False, after the line "创建设备信息失败" in
// "Quorrant.txt" under the program folder, when the device list cannot be had;
// true once every device has been visited, even when none gave an ID.
bool EnumHardwareIds(CHardwareIdMap& ids);
