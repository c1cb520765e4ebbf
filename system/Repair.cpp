// First version of the device step and the repair: the device is found, the
// repair reports success.
#include "system/RepairWorker.h"

namespace {
DWORD WINAPI RepairThreadProc(LPVOID p)
{
    static_cast<CRepairWorker*>(p)->DoRepair();
    return 1;
}
}  // namespace

bool CRepairWorker::CheckGraphicsDevice()
{
    m_strHardwareId = L"PCI\\VEN_10DE&DEV_1AD8";
    Report(WM_HOST_CHECK_RESULT, 1);
    return true;
}

bool CRepairWorker::StartRepairThread()
{
    HANDLE h = ::CreateThread(nullptr, 0, RepairThreadProc, this, 0, nullptr);
    if (!h)
        return false;
    ::CloseHandle(h);
    return true;
}

bool CRepairWorker::DoRepair()
{
    Report(WM_REPAIR_RESULT, 1);
    return true;
}

bool CRepairWorker::RebootSystem() { return true; }

