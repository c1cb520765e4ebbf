// What the tool changes on the host: the listed graphics device disabled by
// the device tool of the program folder, and the forced restart that makes
// it take effect.
#pragma once
#include <string>

#include "system/RepairRules.h"

// Has the device tool of the program folder disable (the repair) or enable
// (giving the device back) the device named by hardwareId, as the host check
// found it, and writes the line of a failure. An empty ID is refused: the
// device tool would be asked about nothing.
[[nodiscard]] EDeviceChange ChangeListedDevice(EDeviceVerb verb, const std::wstring& hardwareId);

// Why the tool restarts Windows. The window's restart is the user's "是"; a
// management agent's is planned, and Windows' own log says so.
enum class ERestartReason { UserAnswer, Planned };

// True once Windows has taken the forced restart request.
[[nodiscard]] bool RequestForcedRestart(ERestartReason reason);

// True while the PC's first-time setup (the out-of-box experience) has not
// completed: a management agent then leaves every restart to itself.
bool FirstTimeSetupInProgress();
