// The results of the two workers travel to the window as the designed codes
// of their messages (wParam): a host-check result 1 to 7, a repair result 1
// (done) or 2 (failed). Here, and nowhere else, a typed result becomes its
// code and a code its result.
#pragma once
#include <cstdint>
#include <optional>

#include "system/HostRules.h"
#include "system/RepairRules.h"

uintptr_t MessageCode(EHostResult result);
uintptr_t MessageCode(ERepairResult result);

// None for a code no worker sends.
std::optional<EHostResult> HostResultOfCode(uintptr_t code);
std::optional<ERepairResult> RepairResultOfCode(uintptr_t code);
