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
    const ListResult listed = devices.ListDevices(list);
    if (listed != ListResult::Read) {
        AddLine(report.err, ListFailure(listed));
        report.exitCode = kExitFailed;
        return report;
    }
    std::vector<size_t> named;
    for (size_t i = 0; i < list.size(); ++i) {
        bool matches = false;
        for (const std::wstring& id : command.ids)
            matches = matches || DeviceMatches(list[i], id);
        if (matches)
            named.push_back(i);
    }
    if (command.verb == Verb::Disable && !command.force) {
        const std::vector<std::string> refusals = DisableRefusals(list, command.ids);
        if (!refusals.empty()) {
            for (const std::string& line : refusals)
                AddLine(report.err, line);
            report.exitCode = kExitFailed;
            return report;
        }
    }

    const size_t matched = named.size();
    size_t failed = 0, onRestart = 0;
    for (size_t i : named) {
        if (command.verb == Verb::Status) {
            SDeviceNodeStatus status = devices.ReadStatus(i);
            failed += StateOf(status) == State::Unknown;
            AddLine(report.out, StatusLine(list[i].instanceId, status));
            continue;
        }
        // Every scope is asked even after a refusal: what can come back should.
        bool accepted = true;
        for (Scope scope : ChangeScopes(command.verb)) {
            const bool scopeAccepted = devices.RequestChange(i, command.verb, scope);
            accepted = accepted && scopeAccepted;
        }
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
