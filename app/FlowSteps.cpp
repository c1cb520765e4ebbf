#include "app/FlowSteps.h"

#include <string>

#include "log/LogSave.h"
#include "system/CommandRunner.h"

EStartResult StartTool(CRepairWorker& worker, CFeedbackDll& feedback, FeedbackInitInfo& info)
{
    std::wstring timedOut;
    if (!worker.CheckSystemVersion(&timedOut)) {
        LogToolLine(FlowLog::kSystemNotSupported);
        if (!timedOut.empty())
            LogCommandTimeout(timedOut);
        return EStartResult::SystemNotSupported;
    }
    if (feedback.Load() != 1) {
        LogToolLine(FlowLog::kFeedbackLoadFailed);
        if (!feedback.Refusal().empty())
            LogToolLine(feedback.Refusal());
        return EStartResult::FeedbackLoadFailed;
    }
    if (feedback.InitFreedbackDll(&info) == 0) {
        LogToolLine(FlowLog::kFeedbackInitFailed);
        return EStartResult::FeedbackInitFailed;
    }
    return EStartResult::Ready;
}

bool NewerVersionExists(const CFeedbackDll& feedback)
{
    return feedback.GetToolIsNewVersion(kToolId, kToolVersion) == 3;
}

void ReportFeedbackEvent(const CFeedbackDll& feedback)
{
    // What the library answers does not stop closing or restarting.
    feedback.ReportCustomerFeedback(kToolId, kToolVersion, 1);
}
