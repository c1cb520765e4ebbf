// The device step of the host check, the repair worker and the restart.
#include <string>

#include "framework/Handles.h"
#include "framework/Locks.h"
#include "framework/Trust.h"
#include "log/LogSave.h"
#include "system/CommandRunner.h"
#include "system/DetachedThread.h"
#include "system/Devices.h"
#include "system/RepairRules.h"
#include "system/RepairWorker.h"
#include "system/SelfRemovalRules.h"

namespace {

DWORD WINAPI RepairThreadProc(LPVOID p)
{
    static_cast<CRepairWorker*>(p)->DoRepair();
    return 1;
}

}  // namespace

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

EHostResult CRepairWorker::CheckGraphicsDevice(SListedDevice* device)
{
    SListedDevice listed;
    const EHostResult result = FindListedDevice(EnumPresentDevices, listed);
    if (result == EHostResult::DeviceListFailed)
        LogToolLine("获取本机硬件ID失败");
    else if (result == EHostResult::NoListedDevice)
        LogToolLine("显卡硬件ID 不匹配");
    if (result != EHostResult::Accepted)
        return result;
    SetHardwareId(listed.hardwareId);
    if (device)
        *device = listed;
    return result;
}

bool CRepairWorker::StartRepairThread()
{
    return StartDetachedThread(RepairThreadProc, this, "创建修复线程失败");
}

// Runs on its own thread.
bool CRepairWorker::DoRepair()
{
    const ERepairResult result = Repair();
    ReportRepairResult(result);
    return result == ERepairResult::Done;
}

ERepairResult CRepairWorker::Repair()
{
    // Without a checked device there is nothing to disable: the device tool
    // would be asked about an empty ID.
    const std::wstring id = HardwareId();
    if (id.empty()) {
        LogToolLine("修复方案安装失败");
        return ERepairResult::Failed;
    }
    // The device tool of the program folder by its full path, started in that
    // folder. A folder whose name the interpreter would expand is refused: the
    // command could run something else.
    const std::wstring exeDir = GetExeDir();
    // A signed release runs it only when it carries the program's own
    // signature, checked on the file that then runs: held until the command
    // has ended and run by the path the system resolved for it (see Trust.h).
    CHeldFile tool;
    std::wstring toolDir = exeDir;
    if (IsSignedRelease()) {
        const std::wstring path = exeDir + L"\\" + kDeviceToolName;
        const ETrust trust = tool.Hold(path) ? CheckSameSigner(tool) : ETrust::Unreadable;
        if (trust != ETrust::Trusted) {
            LogToolLine(RefusedFileLine(trust, path));
            return ERepairResult::Failed;
        }
        toolDir = tool.Folder();
    }
    const std::wstring command = DevconDisableCommand(toolDir, id);
    std::string output;
    ECommandRun how = ECommandRun::NotStarted;
    const bool ran = !command.empty() && ExecCommandA(command.c_str(), output, &how, exeDir);
    tool.Close();
    if (!ran) {
        LogToolLine("执行修复方案安装失败");
        if (how == ECommandRun::TimedOut)
            LogCommandTimeout(command);
        return ERepairResult::Failed;
    }
    // The device tool ends with 0 also when it disabled nothing: only its own
    // words count.
    if (!DevconConfirmsDisable(output)) {
        LogToolLine("修复方案安装失败");
        return ERepairResult::Failed;
    }
    return ERepairResult::Done;
}

bool CRepairWorker::RebootSystem()
{
    CTokenHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Out()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
    // ERROR_NOT_ALL_ASSIGNED (the account lacks the privilege) also comes with a TRUE result.
    if (::GetLastError() != ERROR_SUCCESS)
        return false;
    // A refused request is no restart: the unattended run then reports that
    // a restart is still needed (the window does not look).
    return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) != FALSE;
}
