#include "system/Repair.h"

#include <windows.h>

#include "base/Handles.h"
#include "base/Paths.h"
#include "base/Trust.h"
#include "log/LogSave.h"
#include "system/CommandRunner.h"
#include "system/CommandLines.h"

namespace {

// The failure lines of the repair and of giving the device back.
struct SChangeLines {
    const char* failed;
    const char* notRun;
};

SChangeLines LinesOf(EDeviceVerb verb)
{
    return verb == EDeviceVerb::Disable ? SChangeLines{"修复方案安装失败", "执行修复方案安装失败"}
                                        : SChangeLines{"修复方案卸载失败", "执行修复方案卸载失败"};
}

// A DWORD value under HKLM; 0 when it cannot be read.
DWORD MachineValue(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

}  // namespace

EDeviceChange ChangeListedDevice(EDeviceVerb verb, const std::wstring& hardwareId)
{
    const SChangeLines lines = LinesOf(verb);
    if (hardwareId.empty()) {
        LogToolLine(lines.failed);
        return EDeviceChange::None;
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
        const std::wstring path = JoinPath(exeDir, kDeviceToolName);
        const ETrust trust = tool.Hold(path) ? CheckSameSigner(tool) : ETrust::Unreadable;
        if (trust != ETrust::Trusted) {
            LogToolLine(RefusedFileLine(trust, path));
            return EDeviceChange::None;
        }
        toolDir = tool.Folder();
    }
    const std::wstring command = DevconCommand(toolDir, verb, hardwareId);
    std::string output;
    ECommandRun how = ECommandRun::NotStarted;
    const bool ran = !command.empty() && ExecCommandA(command.c_str(), output, &how, exeDir);
    tool.Close();
    if (!ran) {
        LogToolLine(lines.notRun);
        if (how == ECommandRun::TimedOut)
            LogCommandTimeout(command);
        return EDeviceChange::None;
    }
    // The device tool ends with 0 (or 1, restart needed) also when it changed
    // nothing: only its own words count.
    const EDeviceChange change = DevconChangeOf(verb, output);
    if (change == EDeviceChange::None)
        LogToolLine(lines.failed);
    return change;
}

bool RequestForcedRestart(ERestartReason reason)
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
    const DWORD planned = SHTDN_REASON_MAJOR_SOFTWARE | SHTDN_REASON_MINOR_RECONFIG | SHTDN_REASON_FLAG_PLANNED;
    return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, reason == ERestartReason::Planned ? planned : 0) != FALSE;
}

bool FirstTimeSetupInProgress()
{
    // The system's own answer where it has one (Windows 7 and later); the
    // setup's registry marks besides, which only an administrator can set.
    typedef BOOL(WINAPI * OobeCompleteFn)(PBOOL);
    BOOL complete = TRUE;
    if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
        auto oobeComplete = reinterpret_cast<OobeCompleteFn>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "OOBEComplete")));
        if (oobeComplete && !oobeComplete(&complete))
            complete = TRUE;
    }
    const wchar_t* const setup = L"SYSTEM\\Setup";
    return !complete || MachineValue(setup, L"SystemSetupInProgress") != 0 || MachineValue(setup, L"OOBEInProgress") != 0;
}
