// One run of the tool at a time on this PC, whichever way it was started.
#pragma once
#include <windows.h>

#include "base/Handles.h"

class COneRun {
public:
    COneRun() = default;
    ~COneRun();
    COneRun(const COneRun&) = delete;
    COneRun& operator=(const COneRun&) = delete;

    // True when this run now holds the mark of the running run (or it cannot
    // be made at all, or a mark under the global name is not another run's,
    // which the log then says; see OneRunRules.h); false when another run
    // holds it.
    [[nodiscard]] bool Take();

private:
    CHandle m_mutex;
    HANDLE m_namespace = nullptr;
};

// A second start without switches: the running run's window (or the prompt
// over it) comes to the front, restored. Nothing happens when no process
// running this very program file (see RunningImage.h) shows one.
void BringRunningWindowToFront();
