// Everything the tool asks of or does to the host runs through this object:
// the Windows version check, the host-information worker (model and graphics
// device), the repair worker and the restart.
#pragma once
#include <windows.h>

#include <string>

#include "framework/Paths.h"
#include "system/CommandRunner.h"

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
    bool GetHostInfo();
    bool StartRepairThread();
    bool DoRepair();
    bool RebootSystem();

    HWND m_hMsgWnd = nullptr;
    std::wstring m_strHardwareId;

    // Reporting rule of both workers: the close request, then the result.
    void ReportHostResult(int code) { Report(m_messages.hostResult, static_cast<WPARAM>(code)); }
    void ReportRepairResult(int code) { Report(m_messages.repairResult, static_cast<WPARAM>(code)); }

private:
    void Report(UINT resultMsg, WPARAM code);

    SWorkerMessages m_messages{};

    // The host-information worker sets the ID and the repair worker reads it,
    // on two threads: both go through the lock.
    void SetHardwareId(const std::wstring& id);
    std::wstring HardwareId();
    SRWLOCK m_idLock = SRWLOCK_INIT;

    // Second half of GetHostInfo: the listed graphics device; reports 1, 6 or 7.
    bool CheckGraphicsDevice();
};

// To "Velmora.txt", after the line that reports a command's failure, when the
// command outlived the runner's limit: one more line naming it and the
// seconds waited, so a hung command can be told from one that could not start.
void LogCommandTimeout(const std::wstring& command);

// Wide → ANSI code page.
std::string WideToAnsi(const wchar_t* text);
// Wide → UTF-8 (the encoding of log messages).
std::string WideToUtf8(const std::wstring& text);
