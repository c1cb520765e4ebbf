// The steps of the flow that the window and the unattended face both take:
// each writes its own log lines and gives a typed result, which the window
// turns into a prompt and the unattended face into an exit code.
#pragma once
#include "app/FlowTexts.h"
#include "feedback/FeedbackDll.h"
#include "system/RepairWorker.h"

// The Windows version, then the feedback library's binding and initialisation.
[[nodiscard]] EStartResult StartTool(CRepairWorker& worker, CFeedbackDll& feedback, FeedbackInitInfo& info);

// The update question: true when the library says a newer tool exists.
bool NewerVersionExists(const CFeedbackDll& feedback);

// The feedback event of an accepted restart and of closing, with the time now.
void ReportFeedbackEvent(const CFeedbackDll& feedback);
