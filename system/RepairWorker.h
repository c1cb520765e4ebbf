// Everything the tool asks of or does to the host runs through this object:
// the Windows version check, the host-information worker (model and graphics
// device), the repair worker and the restart.
#pragma once
#include <windows.h>

#include <string>

#include "system/CommandRunner.h"

// Worker messages, sent synchronously to the message window (lParam 0).
#define WM_CLOSE_EXECUTE_PROMPT (WM_USER + 501)   // 0x5F5, wParam 0
#define WM_HOST_CHECK_RESULT    (WM_USER + 502)   // 0x5F6, wParam: host result code 1..7
#define WM_REPAIR_RESULT        (WM_USER + 503)   // 0x5F7, wParam: 1 done, 2 failed

class CRepairWorker {
public:
    bool SetMsgWnd(HWND hWnd);
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

    // Reporting rule of both workers: WM_CLOSE_EXECUTE_PROMPT, then the result.
    void Report(UINT resultMsg, WPARAM code);

private:
    // The host-information worker sets the ID and the repair worker reads it.
    // The start button is live from the first layout, so a repair can start
    // while the host check is still running: both go through the lock.
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

// The program's folder without a trailing backslash.
std::wstring GetExeDir();
// Wide → ANSI code page.
std::string WideToAnsi(const wchar_t* text);
// Wide → UTF-8 (the encoding of log messages).
std::string WideToUtf8(const std::wstring& text);
