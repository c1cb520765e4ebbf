#include "system/RepairWorker.h"

#include "base/Threads.h"
#include "log/LogSave.h"
#include "system/HostCheck.h"
#include "system/Repair.h"
#include "system/ResultCodes.h"

bool CRepairWorker::SetMsgWnd(HWND hWnd, const SWorkerMessages& messages)
{
    if (!hWnd)
        return false;
    m_hMsgWnd = hWnd;
    m_messages = messages;
    return true;
}

// Runs on the user-interface thread; for an unlisted version it blocks that
// thread while the OS query runs.
bool CRepairWorker::CheckSystemVersion(std::wstring* timedOutCommand)
{
    return CheckWindowsVersion(timedOutCommand);
}

// Each worker's report has gone to the window when it ends: the thread has
// nobody to tell more.
bool CRepairWorker::StartHostInfoThread()
{
    if (StartThread([this] { GetHostInfo(); }))
        return true;
    LogToolLine("创建获取本机信息线程失败");
    return false;
}

bool CRepairWorker::StartRepairThread()
{
    if (StartThread([this] { DoRepair(); }))
        return true;
    LogToolLine("创建修复线程失败");
    return false;
}

// Runs on its own thread.
bool CRepairWorker::GetHostInfo()
{
    const EHostResult result = CheckHost();
    ReportHostResult(result);
    return result == EHostResult::Accepted;
}

// Runs on its own thread.
bool CRepairWorker::DoRepair()
{
    const ERepairResult result = Repair();
    ReportRepairResult(result);
    return result == ERepairResult::Done;
}

EHostResult CRepairWorker::CheckHost(SListedDevice* device)
{
    SListedDevice found;
    const EHostResult result = CheckModelAndDevice(found);
    if (result != EHostResult::Accepted)
        return result;
    m_strHardwareId.Set(found.hardwareId);
    if (device)
        *device = found;
    return result;
}

ERepairResult CRepairWorker::Repair()
{
    return ChangeListedDevice(EDeviceVerb::Disable, m_strHardwareId.Get()) != EDeviceChange::None
               ? ERepairResult::Done
               : ERepairResult::Failed;
}

EDeviceChange CRepairWorker::GiveDeviceBack()
{
    return ChangeListedDevice(EDeviceVerb::Enable, m_strHardwareId.Get());
}

bool CRepairWorker::RebootSystem()
{
    return RequestForcedRestart(ERestartReason::UserAnswer);
}

void CRepairWorker::ReportHostResult(EHostResult result)
{
    Report(m_messages.hostResult, MessageCode(result));
}

void CRepairWorker::ReportRepairResult(ERepairResult result)
{
    Report(m_messages.repairResult, MessageCode(result));
}

void CRepairWorker::Report(UINT resultMsg, WPARAM code)
{
    ::SendMessageW(m_hMsgWnd, m_messages.closePrompt, 0, 0);
    ::SendMessageW(m_hMsgWnd, resultMsg, code, 0);
}
