// The Windows version check and the model part of the host-information worker.
#include "system/RepairWorker.h"

#include <winternl.h>

#include <vector>

#include "framework/Text.h"
#include "log/LogSave.h"
#include "system/CommandRunner.h"
#include "system/DetachedThread.h"
#include "system/HostRules.h"

namespace {


DWORD WINAPI HostInfoThreadProc(LPVOID p)
{
    static_cast<CRepairWorker*>(p)->GetHostInfo();
    return 1;
}

struct CPebVersion {
    ULONG major = 0, minor = 0, build = 0;
};

// The version fields the system records for this process in its environment block.
// (GCC 12 takes the segment-relative read of the thread block for an access to
// a zero-length array; the read is sound.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
CPebVersion ReadPebVersion()
{
    const BYTE* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#ifdef _WIN64
    const size_t kMajor = 0x118, kMinor = 0x11C, kBuild = 0x120;
#else
    const size_t kMajor = 0xA4, kMinor = 0xA8, kBuild = 0xAC;
#endif
    CPebVersion v;
    v.major = *reinterpret_cast<const ULONG*>(peb + kMajor);
    v.minor = *reinterpret_cast<const ULONG*>(peb + kMinor);
    v.build = *reinterpret_cast<const USHORT*>(peb + kBuild);
    return v;
}
#pragma GCC diagnostic pop

// The system's own wmic, by its full path: a wmic beside the program or in a
// folder of the search path is never run. Windows 11 24H2 and later may ship
// without it.
std::wstring WmicPath()
{
    const std::wstring system = SystemFolder();
    return system.empty() ? std::wstring() : system + L"\\wbem\\WMIC.exe";
}

bool WmicAvailable()
{
    const std::wstring path = WmicPath();
    const DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WmicCommand(const wchar_t* arguments)
{
    return L"\"" + WmicPath() + L"\" " + arguments;
}

// The raw SMBIOS table from the firmware table service.
bool ReadRawSmbios(std::vector<uint8_t>& table)
{
    const DWORD kRsmb = 0x52534D42;   // 'RSMB'
    UINT size = ::GetSystemFirmwareTable(kRsmb, 0, nullptr, 0);
    if (size == 0)
        return false;
    table.assign(size, 0);
    UINT got = ::GetSystemFirmwareTable(kRsmb, 0, table.data(), size);
    if (got == 0 || got > size)
        return false;
    table.resize(got);
    return true;
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
    const CPebVersion v = ReadPebVersion();
    return IsSupportedWindows(v.major, v.minor, [&](std::wstring& text) {
        if (!WmicAvailable()) {
            text = OsTextFromBuild(v.build);
            return true;
        }
        const std::wstring command = WmicCommand(L"OS List status");
        ECommandRun how = ECommandRun::Ran;
        const bool ran = ExecCommand(command, text, &how);
        if (how == ECommandRun::TimedOut && timedOutCommand)
            *timedOutCommand = command;
        return ran;
    });
}

bool CRepairWorker::StartHostInfoThread()
{
    return StartDetachedThread(HostInfoThreadProc, this, "创建获取本机信息线程失败");
}

// Runs on its own thread.
bool CRepairWorker::GetHostInfo()
{
    const EHostResult result = CheckHost();
    ReportHostResult(result);
    return result == EHostResult::Accepted;
}

EHostResult CRepairWorker::CheckHost(SListedDevice* device)
{
    int code;
    const std::wstring query = WmicCommand(L"csproduct list full");
    ECommandRun how = ECommandRun::Ran;
    if (WmicAvailable()) {
        std::string answer;
        bool ran = ExecCommandA(query.c_str(), answer, &how);
        code = CheckModelAnswer(ran, answer);
    } else {
        std::vector<uint8_t> table;
        bool read = ReadRawSmbios(table);
        code = CheckModelFromSmbios(read, table.data(), table.size());
    }
    if (code == kModelAccepted)
        return CheckGraphicsDevice(device);

    if (const char* message = ModelCheckLogMessage(code))
        LogToolLine(message);
    if (how == ECommandRun::TimedOut)
        LogCommandTimeout(query);
    return static_cast<EHostResult>(code);   // the model outcomes are host results 2 to 5
}

void LogCommandTimeout(const std::wstring& command)
{
    LogToolLine(CommandTimeoutLogMessage(WideToUtf8(command), kCommandTimeLimitMs / 1000));
}

// The typed results become the designed message codes here, and nowhere else.
void CRepairWorker::ReportHostResult(EHostResult result)
{
    Report(m_messages.hostResult, static_cast<WPARAM>(result));
}

void CRepairWorker::ReportRepairResult(ERepairResult result)
{
    Report(m_messages.repairResult, static_cast<WPARAM>(result));
}

void CRepairWorker::Report(UINT resultMsg, WPARAM code)
{
    ::SendMessageW(m_hMsgWnd, m_messages.closePrompt, 0, 0);
    ::SendMessageW(m_hMsgWnd, resultMsg, code, 0);
}
