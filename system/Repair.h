// What the tool changes on the host: the listed graphics device disabled by
// the device tool of the program folder, and the forced restart that makes
// it take effect.
#pragma once
#include <string>

#include "system/RepairRules.h"

// Disables the device named by hardwareId (as the host check found it) and
// writes the line of a failure. An empty ID is refused: the device tool
// would be asked about nothing.
[[nodiscard]] ERepairResult DisableListedDevice(const std::wstring& hardwareId);

// True once Windows has taken the forced restart request.
[[nodiscard]] bool RequestForcedRestart();
