// The host check: the Windows version, then the machine model and the listed
// graphics device. Each step writes its own log lines and reports to nobody:
// the host-information worker reports its result to the window, the
// unattended face takes it on its own thread.
#pragma once
#include <string>

#include "system/RepairRules.h"

// True when this Windows is one the tool is for. For a version it does not
// list it runs the OS query and waits for it; timedOutCommand, when given,
// receives that query if it outlived the runner's limit (and stays as it was
// otherwise).
[[nodiscard]] bool CheckWindowsVersion(std::wstring* timedOutCommand);

// The model, then the listed device, filled into found on Accepted.
[[nodiscard]] EHostResult CheckModelAndDevice(SListedDevice& found);
