#include "app/UnattendedRules.h"

#include <initializer_list>

#include "base/AsciiRules.h"
#include "res/version.h"

namespace {

EOutcome OutcomeOfHost(EHostResult host)
{
    switch (host) {
    case EHostResult::ModelMismatch:
        return EOutcome::NotOneOfTheModels;
    case EHostResult::DeviceListFailed:
        return EOutcome::DeviceListFailed;
    case EHostResult::NoListedDevice:
        return EOutcome::NoListedDevice;
    default:   // no line end, no model text, the query could not be run
        return EOutcome::ModelUnreadable;
    }
}

// The result line's words for each ending (ASCII); the device, when the
// ending concerns it, goes in front. A leading '*' stands for what the run did
// to the device: "disabled", or "enabled from the next restart".
struct SOutcomeWords {
    EOutcome outcome;
    bool namesDevice;
    const char* words;
};
const SOutcomeWords kOutcomeWords[] = {
    {EOutcome::NeedsFix, true, "present and not disabled, this PC needs the fix"},
    {EOutcome::AlreadyDisabled, true, "already disabled, nothing done"},
    {EOutcome::Disabled, true, "disabled, a restart makes it take effect"},
    {EOutcome::RestartStarted, true, "*, restart started"},
    {EOutcome::RestartRefused, true, "*, but the restart could not be requested: restart later"},
    {EOutcome::RestartDeferred, true, "*, no restart during the PC's first-time setup: restart later"},
    {EOutcome::NotDisabled, true, "not disabled, nothing done"},
    {EOutcome::Enabled, true, "enabled"},
    {EOutcome::EnabledAtRestart, true, "enabled from the next restart"},
    {EOutcome::EnableNotConfirmed, true, "the device tool did not confirm the enabling"},
    {EOutcome::WindowsNotSupported, false, "this Windows version is not supported"},
    {EOutcome::FeedbackMissing, false, "the feedback library is missing or incomplete"},
    {EOutcome::FeedbackFailed, false, "the feedback library failed to start"},
    {EOutcome::NewerVersion, false, "a newer version of the tool exists"},
    {EOutcome::NotOneOfTheModels, false, "not one of the models this tool is for"},
    {EOutcome::ModelUnreadable, false, "the model could not be read"},
    {EOutcome::DeviceListFailed, false, "the device list could not be read"},
    {EOutcome::NoListedDevice, false, "no listed graphics device is present"},
    {EOutcome::NotConfirmed, true, "the device tool did not confirm the disabling"},
    {EOutcome::BadCommandLine, false, "bad command line (Velmora.exe /? lists the switches)"},
    {EOutcome::AnotherRun, false, "another run of the tool is in progress, retry later"},
    {EOutcome::Usage, false, "usage shown"},
};

std::string DeviceWords(const SListedDevice& d)
{
    std::string s = PrintableAscii(d.hardwareId);   // a detection script reads the line byte for byte
    if (!d.instanceId.empty())
        s += " (" + PrintableAscii(d.instanceId) + ")";
    return s;
}

// A row of the usage text: the code(s) that these endings have in a mode;
// a row with a heading starts a section.
struct SUsageRow {
    const wchar_t* heading;
    ERunMode mode;
    std::initializer_list<EOutcome> outcomes;
    const wchar_t* chinese;
    const wchar_t* english;
};

std::wstring Codes(const SUsageRow& row)
{
    std::vector<int> codes;
    for (EOutcome o : row.outcomes) {
        const int code = ExitCodeOf(row.mode, o);
        bool seen = false;
        for (int c : codes)
            seen = seen || c == code;
        if (!seen)
            codes.push_back(code);
    }
    std::wstring s;
    for (int c : codes)
        s += (s.empty() ? L"" : L", ") + std::to_wstring(c);
    return s;
}

// A forced restart once the device is changed: none while the PC's
// first-time setup runs (the agent restarts it then). feedback: the event of
// an accepted restart goes first, as after the window's "是".
EOutcome ForcedRestart(IUnattendedSteps& steps, bool feedback)
{
    if (steps.FirstTimeSetupInProgress())
        return EOutcome::RestartDeferred;
    if (feedback)
        steps.ReportFeedbackEvent();   // as after "是"
    return steps.RequestRestart() ? EOutcome::RestartStarted : EOutcome::RestartRefused;
}

// Giving the device back: the host check found it. A device known not to be
// disabled is left alone; one whose state could not be read is enabled, as
// one of unread state is repaired.
EOutcome GiveBack(IUnattendedSteps& steps, const SSwitches& switches, const SListedDevice& device)
{
    if (device.state == EDeviceState::NotDisabled)
        return EOutcome::NotDisabled;
    switch (steps.GiveDeviceBack()) {
    case EDeviceChange::Now:
        return EOutcome::Enabled;
    case EDeviceChange::AtRestart:
        return switches.forceRestart ? ForcedRestart(steps, false) : EOutcome::EnabledAtRestart;
    case EDeviceChange::None:
        break;
    }
    return EOutcome::EnableNotConfirmed;
}

}  // namespace

SSwitches ParseSwitches(const std::vector<std::wstring>& args)
{
    bool quiet = false, detect = false, uninstall = false, usage = false, noRestart = false, forceRestart = false,
         unknown = false;
    const struct { const wchar_t* name; bool* seen; } known[] = {
        {L"quiet", &quiet}, {L"detect", &detect}, {L"uninstall", &uninstall}, {L"?", &usage},
        {L"norestart", &noRestart}, {L"forcerestart", &forceRestart},
    };
    for (const std::wstring& arg : args) {
        bool matched = false;
        if (arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-')) {
            const std::wstring name = LowerAscii(arg.substr(1));
            for (const auto& k : known) {
                if (name == k.name) {
                    *k.seen = true;
                    matched = true;
                }
            }
        }
        unknown = unknown || !matched;
    }
    SSwitches s;
    if (usage)
        s.mode = ERunMode::Usage;
    else if (unknown || (detect && (quiet || uninstall)) || (noRestart && forceRestart) ||
             ((noRestart || forceRestart) && !quiet && !uninstall))
        s.mode = ERunMode::BadCommandLine;
    else if (uninstall)
        s.mode = ERunMode::Uninstall;
    else if (quiet)
        s.mode = ERunMode::Quiet;
    else if (detect)
        s.mode = ERunMode::Detect;
    s.forceRestart = (s.mode == ERunMode::Quiet || s.mode == ERunMode::Uninstall) && forceRestart;
    return s;
}

SSwitches ChooseFace(SSwitches parsed, bool desktopVisible, bool serviceAccount)
{
    if (parsed.mode != ERunMode::Window || (desktopVisible && !serviceAccount))
        return parsed;
    parsed.mode = ERunMode::Quiet;
    parsed.why = serviceAccount ? EWhyUnattended::ServiceAccount : EWhyUnattended::NoDesktop;
    return parsed;
}

bool IsServiceAccountSid(const std::wstring& sid)
{
    const std::wstring s = LowerAscii(sid);
    return s == L"s-1-5-18" || s == L"s-1-5-19" || s == L"s-1-5-20";
}

SRunResult RunUnattendedFlow(IUnattendedSteps& steps, const SSwitches& switches)
{
    const bool detect = switches.mode == ERunMode::Detect;
    const bool uninstall = switches.mode == ERunMode::Uninstall;
    SRunResult r;
    switch (steps.StartTool()) {
    case EStartResult::Ready:
        break;
    case EStartResult::SystemNotSupported:
        r.outcome = EOutcome::WindowsNotSupported;
        return r;
    case EStartResult::FeedbackLoadFailed:
        r.outcome = EOutcome::FeedbackMissing;
        return r;
    case EStartResult::FeedbackInitFailed:
        r.outcome = EOutcome::FeedbackFailed;
        return r;
    }
    // The window would send the user to the download and end; a check and
    // the way back leave the question alone.
    if (!detect && !uninstall && steps.NewerVersionExists()) {
        r.outcome = EOutcome::NewerVersion;
        return r;
    }
    const EHostResult host = steps.CheckHost(r.device);
    if (host != EHostResult::Accepted) {
        r.outcome = OutcomeOfHost(host);
        return r;
    }
    if (uninstall) {
        r.outcome = GiveBack(steps, switches, r.device);
        return r;
    }
    // From here the window waits for the user, who in the end closes it.
    auto endAsClosed = [&](EOutcome outcome) {
        r.outcome = outcome;
        if (!detect)
            steps.ReportFeedbackEvent();
        return r;
    };
    if (r.device.state == EDeviceState::Disabled)
        return endAsClosed(EOutcome::AlreadyDisabled);
    if (detect)
        return endAsClosed(EOutcome::NeedsFix);
    if (steps.Repair() != ERepairResult::Done)
        return endAsClosed(EOutcome::NotConfirmed);
    if (!switches.forceRestart)
        return endAsClosed(EOutcome::Disabled);
    const EOutcome restart = ForcedRestart(steps, true);
    if (restart != EOutcome::RestartStarted)
        return endAsClosed(restart);
    r.outcome = restart;
    return r;
}

int ExitCodeOf(ERunMode mode, EOutcome outcome)
{
    // A check and the way back: a PC the fix is not for needs nothing.
    const bool notForUs = mode == ERunMode::Detect || mode == ERunMode::Uninstall;
    switch (outcome) {
    case EOutcome::NeedsFix:
        return 1;
    case EOutcome::AlreadyDisabled:
    case EOutcome::NotDisabled:
    case EOutcome::Enabled:
    case EOutcome::Usage:
        return 0;
    case EOutcome::Disabled:
    case EOutcome::EnabledAtRestart:
    case EOutcome::RestartRefused:
    case EOutcome::RestartDeferred:
        return 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED
    case EOutcome::RestartStarted:
        return 1641;   // ERROR_SUCCESS_REBOOT_INITIATED
    case EOutcome::WindowsNotSupported:
        return 20;
    case EOutcome::NotOneOfTheModels:
        return notForUs ? 0 : 21;
    case EOutcome::ModelUnreadable:
        return 22;
    case EOutcome::DeviceListFailed:
        return 23;
    case EOutcome::NoListedDevice:
        return notForUs ? 0 : 24;
    case EOutcome::NotConfirmed:
        return 25;
    case EOutcome::EnableNotConfirmed:
        return 28;
    case EOutcome::FeedbackMissing:
    case EOutcome::FeedbackFailed:
        return 26;
    case EOutcome::NewerVersion:
        return 27;
    case EOutcome::BadCommandLine:
        return 87;     // ERROR_INVALID_PARAMETER
    case EOutcome::AnotherRun:
        return 1618;   // ERROR_INSTALL_ALREADY_RUNNING
    }
    return 87;   // not reached: every ending has its code above
}

bool DoneOf(ERunMode mode, int exitCode)
{
    if (mode == ERunMode::Uninstall)
        return exitCode == ExitCodeOf(mode, EOutcome::EnableNotConfirmed);
    for (EOutcome o : {EOutcome::AlreadyDisabled, EOutcome::Disabled, EOutcome::RestartStarted,
                       EOutcome::NotOneOfTheModels, EOutcome::NoListedDevice})
        if (exitCode == ExitCodeOf(mode, o))
            return true;
    return false;
}

std::string ResultLine(const SSwitches& switches, const SRunResult& result, int exitCode)
{
    const std::string force = switches.forceRestart ? " /forcerestart" : "";
    std::string mode;
    switch (switches.mode) {
    case ERunMode::Quiet:
        mode = switches.why == EWhyUnattended::NoDesktop        ? "no visible desktop, run as /quiet"
               : switches.why == EWhyUnattended::ServiceAccount ? "started as a service account, run as /quiet"
                                                                : "/quiet" + force;
        break;
    case ERunMode::Detect:
        mode = "/detect";
        break;
    case ERunMode::Uninstall:
        mode = "/uninstall" + force;
        break;
    default:
        mode = "command line";
        break;
    }
    std::string what;
    for (const SOutcomeWords& w : kOutcomeWords) {
        if (w.outcome != result.outcome)
            continue;
        what = w.words;
        if (what[0] == '*')
            what.replace(0, 1, switches.mode == ERunMode::Uninstall ? "enabled from the next restart" : "disabled");
        if (w.namesDevice)
            what = DeviceWords(result.device) + ": " + what;
    }
    return "Velmora " VELMORA_VERSION_TEXT " " + mode + ": " + what + "; exit code " + std::to_string(exitCode);
}

std::wstring UsageText()
{
    const wchar_t* const kQuietCodes = L"\r\n/quiet 的退出码 / Exit codes of /quiet:\r\n";
    const wchar_t* const kDetectCodes = L"\r\n/detect 的退出码 / Exit codes of /detect:\r\n";
    const wchar_t* const kUninstallCodes = L"\r\n/uninstall 的退出码 / Exit codes of /uninstall:\r\n";
    const wchar_t* const kEveryWay = L"\r\n所有方式 / Every way of starting:\r\n";
    const SUsageRow rows[] = {
        {kQuietCodes, ERunMode::Quiet, {EOutcome::Disabled}, L"已禁用列出的显卡设备，重启后生效。",
         L"The listed device was disabled; a restart makes it take effect."},
        {nullptr, ERunMode::Quiet, {EOutcome::RestartStarted}, L"同上，并已开始重启（/forcerestart）。",
         L"The same, and the restart was started (/forcerestart)."},
        {nullptr, ERunMode::Quiet, {EOutcome::AlreadyDisabled}, L"该设备已被禁用，未做任何更改。",
         L"The listed device was already disabled; nothing was done."},
        {nullptr, ERunMode::Quiet, {EOutcome::WindowsNotSupported}, L"不支持此 Windows 版本。",
         L"This Windows version is not supported."},
        {nullptr, ERunMode::Quiet, {EOutcome::NotOneOfTheModels}, L"不是本工具适用的三种机型之一。",
         L"Not one of the three models."},
        {nullptr, ERunMode::Quiet, {EOutcome::ModelUnreadable}, L"无法读取机型。", L"The model could not be read."},
        {nullptr, ERunMode::Quiet, {EOutcome::DeviceListFailed}, L"无法读取设备列表。", L"The device list could not be read."},
        {nullptr, ERunMode::Quiet, {EOutcome::NoListedDevice}, L"没有列出的显卡设备。", L"No listed device is present."},
        {nullptr, ERunMode::Quiet, {EOutcome::NotConfirmed}, L"设备工具未确认禁用。",
         L"The device tool did not confirm the disabling."},
        {nullptr, ERunMode::Quiet, {EOutcome::FeedbackMissing, EOutcome::FeedbackFailed}, L"反馈库缺失或无法启动。",
         L"The feedback library is missing or failed to start."},
        {nullptr, ERunMode::Quiet, {EOutcome::NewerVersion}, L"本工具有更新的版本（不会打开浏览器）。",
         L"A newer version of the tool exists (no browser is opened)."},
        {kDetectCodes, ERunMode::Detect, {EOutcome::NeedsFix}, L"此电脑需要修复：适用机型，列出的设备存在且未禁用。",
         L"This PC needs the fix: an accepted model, a listed device present and not disabled."},
        {nullptr, ERunMode::Detect, {EOutcome::NotOneOfTheModels, EOutcome::NoListedDevice, EOutcome::AlreadyDisabled},
         L"不需要修复：不是适用机型、没有列出的设备，或设备已禁用。",
         L"It does not: not one of the models, no listed device, or already disabled."},
        {nullptr, ERunMode::Detect,
         {EOutcome::WindowsNotSupported, EOutcome::ModelUnreadable, EOutcome::DeviceListFailed,
          EOutcome::FeedbackMissing},
         L"无法判断（含义同 /quiet）。", L"It cannot tell (meanings as for /quiet)."},
        {kUninstallCodes, ERunMode::Uninstall,
         {EOutcome::Enabled, EOutcome::NotDisabled, EOutcome::NotOneOfTheModels, EOutcome::NoListedDevice},
         L"设备已重新启用，或本未被禁用，或此电脑不适用本工具。",
         L"The device is enabled again, or was not disabled, or this PC is not one the tool is for."},
        {nullptr, ERunMode::Uninstall, {EOutcome::EnabledAtRestart}, L"设备将在重启后重新启用。",
         L"The device is enabled from the next restart."},
        {nullptr, ERunMode::Uninstall, {EOutcome::RestartStarted}, L"同上，并已开始重启（/forcerestart）。",
         L"The same, and the restart was started (/forcerestart)."},
        {nullptr, ERunMode::Uninstall, {EOutcome::EnableNotConfirmed}, L"设备工具未确认启用。",
         L"The device tool did not confirm the enabling."},
        {nullptr, ERunMode::Uninstall,
         {EOutcome::WindowsNotSupported, EOutcome::ModelUnreadable, EOutcome::DeviceListFailed,
          EOutcome::FeedbackMissing},
         L"含义同 /quiet。", L"Meanings as for /quiet."},
        {kEveryWay, ERunMode::Quiet, {EOutcome::BadCommandLine}, L"命令行错误。", L"A bad command line."},
        {nullptr, ERunMode::Quiet, {EOutcome::AnotherRun}, L"本工具的另一次运行正在进行，请稍后重试。",
         L"Another run of the tool is in progress; retry later."},
    };
    std::wstring t =
        L"Velmora " VELMORA_VERSION_WIDE L"\r\n\r\n"
        L"用法 / Usage:  Velmora.exe [/quiet | /uninstall] [/norestart | /forcerestart]\r\n"
        L"               Velmora.exe /detect | /?\r\n"
        L"开关以 / 或 - 开头，不区分大小写。Switches start with / or -, in any case.\r\n\r\n"
        L"  (无 none)      打开窗口。\r\n"
        L"                 Opens the window.\r\n"
        L"  /quiet         不显示任何窗口，运行完整的修复流程；不删除程序文件夹；只有加上 /forcerestart 才重启。\r\n"
        L"                 Runs the whole repair flow without any window; never removes its folder;\r\n"
        L"                 restarts Windows only with /forcerestart.\r\n"
        L"  /uninstall     不显示任何窗口，重新启用本工具禁用的显卡设备；只有加上 /forcerestart 才重启。\r\n"
        L"                 Without any window, enables the device this tool disabled again;\r\n"
        L"                 restarts Windows only with /forcerestart.\r\n"
        L"  /norestart     与 /quiet 或 /uninstall 同用：不重启（默认）。\r\n"
        L"                 With /quiet or /uninstall: no restart (the default).\r\n"
        L"  /forcerestart  与 /quiet 或 /uninstall 同用：更改设备后立即重启 Windows（计划内重启）；\r\n"
        L"                 电脑首次设置尚未完成时不重启（退出码 3010）。\r\n"
        L"                 With /quiet or /uninstall: restarts Windows (a planned restart) once the\r\n"
        L"                 device is changed; not while the PC's first-time setup runs (exit code 3010).\r\n"
        L"  /detect        只检查，不做任何更改，不运行设备工具，不显示窗口。\r\n"
        L"                 Checks only: changes nothing, runs no device tool, shows no window.\r\n"
        L"  /?             显示本说明。\r\n"
        L"                 Shows this text.\r\n";
    for (const SUsageRow& row : rows) {
        if (row.heading)
            t += row.heading;
        std::wstring codes = Codes(row) + L' ';
        codes.resize(codes.size() < 15 ? 15 : codes.size(), L' ');
        t += L"  " + codes + row.chinese + L"\r\n" + std::wstring(17, L' ') + row.english + L"\r\n";
    }
    return t;
}
