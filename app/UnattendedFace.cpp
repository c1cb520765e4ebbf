#include "app/UnattendedFace.h"

#include <windows.h>

#include <cwchar>

#include <sddl.h>

#include "app/FlowSteps.h"
#include "base/Handles.h"
#include "base/Text.h"
#include "log/LogSave.h"
#include "system/Repair.h"

namespace {

class CUnattendedSteps : public IUnattendedSteps {
public:
    EStartResult StartTool() override { return ::StartTool(m_repairWorker, m_feedback, m_feedbackInfo); }
    bool NewerVersionExists() override { return ::NewerVersionExists(m_feedback); }
    EHostResult CheckHost(SListedDevice& device) override { return m_repairWorker.CheckHost(&device); }
    ERepairResult Repair() override { return m_repairWorker.Repair(); }
    EDeviceChange GiveDeviceBack() override { return m_repairWorker.GiveDeviceBack(); }
    void ReportFeedbackEvent() override { ::ReportFeedbackEvent(m_feedback); }
    bool FirstTimeSetupInProgress() override { return ::FirstTimeSetupInProgress(); }
    bool RequestRestart() override { return RequestForcedRestart(ERestartReason::Planned); }

private:
    CRepairWorker m_repairWorker;
    CFeedbackDll m_feedback;
    FeedbackInitInfo m_feedbackInfo;
};

// Standard output as the process was given it; null when it has none.
HANDLE StandardOutput()
{
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return out == INVALID_HANDLE_VALUE ? nullptr : out;
}

// A console takes the characters; a file or a pipe gets UTF-8.
bool WriteText(HANDLE out, const std::wstring& text)
{
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(out, &mode))
        return ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    const std::string bytes = WideToUtf8(text);
    return ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}

// The record a detection rule reads after the folder is gone. Under the
// 64-bit view, wherever a 32-bit agent looks from.
void RecordResult(ERunMode mode, const SRunResult& result, int exitCode)
{
    SYSTEMTIME t = {};
    ::GetSystemTime(&t);
    wchar_t time[32] = {};
    std::swprintf(time, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    CRegKey key;
    bool ok = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Velmora", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.Out(), nullptr) == ERROR_SUCCESS;
    const struct { const wchar_t* name; std::wstring value; } texts[] = {
        {L"Version", kToolVersion}, {L"Time", time}, {L"HardwareId", result.device.hardwareId},
        {L"InstanceId", result.device.instanceId},
    };
    for (const auto& v : texts)
        ok = ok && ::RegSetValueExW(key.Get(), v.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.value.c_str()),
                                    static_cast<DWORD>((v.value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    const struct { const wchar_t* name; DWORD value; } numbers[] = {
        {L"ExitCode", static_cast<DWORD>(exitCode)}, {L"Done", DoneOf(mode, exitCode) ? 1u : 0u},
    };
    for (const auto& v : numbers)
        ok = ok && ::RegSetValueExW(key.Get(), v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.value),
                                    sizeof(v.value)) == ERROR_SUCCESS;
    if (!ok)
        LogToolLine("运行结果未能记录到注册表 HKLM\\SOFTWARE\\Velmora");
}

int Present(const SSwitches& switches, const SRunResult& result)
{
    const int code = ExitCodeOf(switches.mode, result.outcome);
    const std::string line = ResultLine(switches, result, code);
    // An output that takes nothing leaves the exit code and the log line.
    if (HANDLE out = StandardOutput())
        WriteText(out, std::wstring(line.begin(), line.end()) + L"\r\n");
    LogToolLine(line);
    return code;
}

}  // namespace

bool DesktopVisible()
{
    USEROBJECTFLAGS flags = {};
    HWINSTA station = ::GetProcessWindowStation();
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool RunningAsServiceAccount()
{
    CTokenHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info{};
    DWORD size = 0;
    if (!::GetTokenInformation(token.Get(), TokenUser, &info, sizeof(info), &size))
        return false;
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(info.user.User.Sid, &text))
        return false;
    CLocalMemory owned{text};
    return IsServiceAccountSid(text);
}

int RunUnattended(const SSwitches& switches)
{
    CUnattendedSteps steps;
    const SRunResult result = RunUnattendedFlow(steps, switches);
    const int code = Present(switches, result);
    if (switches.mode == ERunMode::Quiet || switches.mode == ERunMode::Uninstall)
        RecordResult(switches.mode, result, code);
    return code;
}

int EndBeforeFlow(const SSwitches& switches, EOutcome outcome)
{
    SRunResult result;
    result.outcome = outcome;
    return Present(switches, result);
}

int ShowUsage()
{
    const std::wstring text = UsageText();
    // Where the text cannot be written nothing else is tried: asking changes nothing.
    if (HANDLE out = StandardOutput()) {
        WriteText(out, text);
    } else if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        CFileHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        if (console)
            WriteText(console.Get(), L"\r\n" + text);
        ::FreeConsole();
    } else if (DesktopVisible()) {
        ::MessageBoxW(nullptr, text.c_str(), L"Velmora", MB_OK | MB_ICONINFORMATION);
    }
    return ExitCodeOf(ERunMode::Usage, EOutcome::Usage);
}
