// First version of the host checks: every check succeeds.
#include "system/RepairWorker.h"

namespace {
DWORD WINAPI HostInfoThreadProc(LPVOID p)
{
    static_cast<CRepairWorker*>(p)->GetHostInfo();
    return 1;
}
}  // namespace

bool CRepairWorker::SetMsgWnd(HWND hWnd)
{
    if (!hWnd)
        return false;
    m_hMsgWnd = hWnd;
    return true;
}

bool CRepairWorker::CheckSystemVersion() { return true; }

bool CRepairWorker::StartHostInfoThread()
{
    HANDLE h = ::CreateThread(nullptr, 0, HostInfoThreadProc, this, 0, nullptr);
    if (!h)
        return false;
    ::CloseHandle(h);
    return true;
}

bool CRepairWorker::GetHostInfo()
{
    return CheckGraphicsDevice();
}

void CRepairWorker::Report(UINT resultMsg, WPARAM code)
{
    ::SendMessageW(m_hMsgWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
    ::SendMessageW(m_hMsgWnd, resultMsg, code, 0);
}
