// The unattended face: the flow without any window, its result as the
// process's exit code, one line on standard output (when the process has
// one) and the same line in the log, and after a /quiet or /uninstall run a
// record in the registry that a management agent's detection rule can read.
#pragma once
#include "app/UnattendedRules.h"

// False only when the process's window station is known to show nothing (a
// service, or SYSTEM in session 0): nobody could answer a window there.
bool DesktopVisible();

// True when the process runs as SYSTEM, LocalService or NetworkService.
bool RunningAsServiceAccount();

// Runs a Quiet, Detect or Uninstall run on this thread and returns its exit code.
[[nodiscard]] int RunUnattended(const SSwitches& switches);

// An ending before the flow (a bad command line, another run in progress):
// its line and its exit code.
[[nodiscard]] int EndBeforeFlow(const SSwitches& switches, EOutcome outcome);

// The usage text on standard output, else on the console of the process that
// started this one, else in a message box where a desktop can be seen.
[[nodiscard]] int ShowUsage();
