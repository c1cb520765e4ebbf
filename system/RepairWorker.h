// Everything the tool asks of or does to the host runs through this object:
// the Windows version check, the host-information worker (model and graphics
// device), the repair worker and the restart.
#pragma once
#include <windows.h>

#include <string>

#include "framework/Paths.h"
#include "system/CommandRunner.h"
#include "system/HostRules.h"
#include "system/RepairRules.h"

// The messages both workers report with, chosen by the window that receives
// them: every report is a close request for the please-wait dialog, then the
// result (wParam: the code), both sent synchronously with lParam 0.
struct SWorkerMessages {
    UINT closePrompt;   // wParam 0
    UINT hostResult;    // host result code 1..7
    UINT repairResult;  // 1 done, 2 failed
};

class CRepairWorker {
public:
    // False, and nothing stored, for a null window.
    bool SetMsgWnd(HWND hWnd, const SWorkerMessages& messages);
    // timedOutCommand, when given, receives the OS query if it outlived the
    // runner's limit (and stays as it was otherwise).
    bool CheckSystemVersion(std::wstring* timedOutCommand = nullptr);
    bool StartHostInfoThread();
    // The host-information worker: CheckHost, then its report.
    bool GetHostInfo();
    bool StartRepairThread();
    // The repair worker: Repair, then its report.
    bool DoRepair();
    // True once Windows has taken the forced restart request.
    bool RebootSystem();

    // The steps themselves, which write their own log lines and report to
    // nobody: the workers above report them to the window, the unattended
    // face takes them on its own thread.
    // The model, then the listed device, whose hardware ID is kept for the
    // repair; device, when given, receives its instance ID and state too.
    [[nodiscard]] EHostResult CheckHost(SListedDevice* device = nullptr);
    // The device tool of the program folder disables the kept hardware ID.
    [[nodiscard]] ERepairResult Repair();

    HWND m_hMsgWnd = nullptr;
    std::wstring m_strHardwareId;

    // Reporting rule of both workers: the close request, then the result.
    void ReportHostResult(EHostResult result);
    void ReportRepairResult(ERepairResult result);

private:
    void Report(UINT resultMsg, WPARAM code);

    SWorkerMessages m_messages{};

    // The host-information worker sets the ID and the repair worker reads it,
    // on two threads: both go through the lock.
    void SetHardwareId(const std::wstring& id);
    std::wstring HardwareId();
    SRWLOCK m_idLock = SRWLOCK_INIT;

    // Second half of CheckHost: the listed graphics device.
    [[nodiscard]] EHostResult CheckGraphicsDevice(SListedDevice* device);
};

// To "Velmora.txt", after the line that reports a command's failure, when the
// command outlived the runner's limit: one more line naming it and the
// seconds waited, so a hung command can be told from one that could not start.
void LogCommandTimeout(const std::wstring& command);
