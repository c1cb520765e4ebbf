#include "system/Repair.h"

#include <windows.h>

#include "framework/Handles.h"
#include "framework/Paths.h"
#include "framework/Trust.h"
#include "log/LogSave.h"
#include "system/CommandRunner.h"
#include "system/SelfRemovalRules.h"

ERepairResult DisableListedDevice(const std::wstring& hardwareId)
{
    if (hardwareId.empty()) {
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
    const std::wstring command = DevconDisableCommand(toolDir, hardwareId);
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

bool RequestForcedRestart()
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
