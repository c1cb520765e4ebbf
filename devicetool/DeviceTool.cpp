#include "devicetool/DeviceTool.h"

namespace devtool {

namespace {

void AddLine(std::string& stream, const std::string& line)
{
    stream += line + "\r\n";
}

}  // namespace

Report RunTool(const std::vector<std::wstring>& args, const Environment& env, IDeviceService& devices)
{
    Report report;
    CommandLine command;
    std::string error;
    if (!ParseCommandLine(args, command, error)) {
        AddLine(report.err, error);
        report.err += "\r\n" + UsageText(env.version);
        report.exitCode = kExitUsage;
        return report;
    }
    if (command.verb == Verb::Help) {
        report.out = UsageText(env.version);
        report.exitCode = kExitDone;
        return report;
    }
    const std::string refusal = ChangeRefusal(command.verb, env.wow64, env.elevated);
    if (!refusal.empty()) {
        AddLine(report.err, refusal);
        report.exitCode = kExitFailed;
        return report;
    }

    std::vector<Device> list;
    if (!devices.ListDevices(list)) {
        AddLine(report.err, "The list of devices could not be read.");
        report.exitCode = kExitFailed;
        return report;
    }
    size_t matched = 0, failed = 0, onRestart = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        bool named = false;
        for (const std::wstring& id : command.ids)
            named = named || DeviceMatches(list[i], id);
        if (!named)
            continue;
        ++matched;
        if (command.verb == Verb::Status) {
            NodeStatus status = devices.ReadStatus(i);
            failed += StateOf(status) == State::Unknown;
            AddLine(report.out, StatusLine(list[i].instanceId, status));
            continue;
        }
        const bool accepted = devices.RequestChange(i, command.verb);
        const bool restart = devices.RestartRequested(i);
        const Outcome outcome = ChangeOutcome(command.verb, accepted, restart, devices.ReadStatus(i));
        failed += outcome == Outcome::Failed;
        onRestart += outcome == Outcome::OnRestart;
        AddLine(report.out, DeviceLine(list[i].instanceId, command.verb, outcome));
    }
    AddLine(report.out, ClosingLine(command.verb, matched, failed, onRestart));
    report.exitCode = ExitCode(matched, failed, onRestart);
    return report;
}

}  // namespace devtool
