// A device node's status as the configuration manager reports it, and the
// values of it that the program and the device tool judge by; what each
// makes of it is its own rule.
#pragma once

// These are the values of DN_STARTED, DN_HAS_PROBLEM and CM_PROB_DISABLED
// (the Windows side checks that they still are).
constexpr unsigned long kNodeStarted = 0x00000008;
constexpr unsigned long kNodeHasProblem = 0x00000400;
constexpr unsigned long kProblemDisabled = 0x16;

// read is the query's success; flags (DN_*) and problem (CM_PROB_*) as it
// reports them.
struct SDeviceNodeStatus {
    bool read = false;
    unsigned long flags = 0;
    unsigned long problem = 0;
};
