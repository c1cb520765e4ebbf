// The object through which the window runs the host check and the repair on
// threads of their own and hears their results, and asks for the restart:
// it starts the workers, keeps the hardware ID the host check found for the
// repair, and sends each worker's report to the window.
#pragma once
#include <windows.h>

#include <string>

#include "base/Locks.h"
#include "system/HostRules.h"
#include "system/RepairRules.h"

// The messages both workers report with, chosen by the window that receives
// them: every report is a close request for the please-wait dialog, then the
// result (wParam: its designed code, see ResultCodes.h), both sent
// synchronously with lParam 0.
struct SWorkerMessages {
    UINT closePrompt;   // wParam 0
    UINT hostResult;
    UINT repairResult;
};

class CRepairWorker {
public:
    // False, and nothing stored, for a null window.
    [[nodiscard]] bool SetMsgWnd(HWND hWnd, const SWorkerMessages& messages);
    // See CheckWindowsVersion (HostCheck.h).
    [[nodiscard]] bool CheckSystemVersion(std::wstring* timedOutCommand = nullptr);
    // Starts GetHostInfo on a thread nobody waits for; false, after its log
    // line, when the thread cannot be made.
    [[nodiscard]] bool StartHostInfoThread();
    // The host-information worker: CheckHost, then its report. True for an
    // accepted machine.
    bool GetHostInfo();
    // Starts DoRepair the same way.
    [[nodiscard]] bool StartRepairThread();
    // The repair worker: Repair, then its report. True when it was done.
    bool DoRepair();
    // True once Windows has taken the forced restart request (the window's,
    // after the user's "是").
    bool RebootSystem();

    // The steps themselves, without a report: the workers above report them
    // to the window, the unattended face takes them on its own thread.
    // The model, then the listed device, whose hardware ID is kept for the
    // repair; device, when given, receives its instance ID and state too.
    [[nodiscard]] EHostResult CheckHost(SListedDevice* device = nullptr);
    // The device tool of the program folder disables the kept hardware ID.
    [[nodiscard]] ERepairResult Repair();
    // It enables it again: what the device tool confirmed.
    [[nodiscard]] EDeviceChange GiveDeviceBack();

    // Reporting rule of both workers: the close request, then the result.
    void ReportHostResult(EHostResult result);
    void ReportRepairResult(ERepairResult result);

private:
    void Report(UINT resultMsg, WPARAM code);

    // Set by SetMsgWnd before any worker starts, read by the workers.
    HWND m_hMsgWnd = nullptr;
    SWorkerMessages m_messages{};
    // The host-information worker sets the ID and the repair worker reads it,
    // on two threads (unattended, both steps run on the one thread of the run).
    CLocked<std::wstring> m_strHardwareId;
};
