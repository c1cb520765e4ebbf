#include "system/RepairWorker.h"

#include "framework/Locks.h"
#include "system/DetachedThread.h"
#include "system/HostCheck.h"
#include "system/Repair.h"
#include "system/ResultCodes.h"

namespace {

DWORD WINAPI HostInfoThreadProc(LPVOID p)
{
    // The report has gone to the window; the thread has nobody to tell more.
    (void)static_cast<CRepairWorker*>(p)->GetHostInfo();
    return 1;
}

DWORD WINAPI RepairThreadProc(LPVOID p)
{
    // As above: the report is the result.
    (void)static_cast<CRepairWorker*>(p)->DoRepair();
    return 1;
}

}  // namespace

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

bool CRepairWorker::StartHostInfoThread()
{
    return StartDetachedThread(HostInfoThreadProc, this, "创建获取本机信息线程失败");
}

bool CRepairWorker::StartRepairThread()
{
    return StartDetachedThread(RepairThreadProc, this, "创建修复线程失败");
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
    SetHardwareId(found.hardwareId);
    if (device)
        *device = found;
    return result;
}

ERepairResult CRepairWorker::Repair()
{
    return ChangeListedDevice(EDeviceVerb::Disable, HardwareId()) != EDeviceChange::None ? ERepairResult::Done
                                                                                         : ERepairResult::Failed;
}

EDeviceChange CRepairWorker::GiveDeviceBack()
{
    return ChangeListedDevice(EDeviceVerb::Enable, HardwareId());
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

void CRepairWorker::SetHardwareId(const std::wstring& id)
{
    CSrwGuard guard(m_idLock);
    m_strHardwareId = id;
}

std::wstring CRepairWorker::HardwareId()
{
    CSrwGuard guard(m_idLock, CSrwGuard::kShared);
    return m_strHardwareId;
}
