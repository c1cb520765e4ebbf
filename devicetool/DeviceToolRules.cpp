#include "devicetool/DeviceToolRules.h"

#include "base/AsciiRules.h"   // device IDs are ASCII; the output stays ASCII

namespace devtool {

namespace {

bool OnlyStars(const std::wstring& s)
{
    return s.find_first_not_of(L'*') == std::wstring::npos;
}

bool IsForce(const std::wstring& arg)
{
    return SameAsciiNoCase(arg, L"/force") || SameAsciiNoCase(arg, L"-force");
}

// Classes whose devices Windows cannot run without (the machine, its
// processors, and the path to the disk it boots from), and those without which
// nobody can work on the PC or reach it (its keyboard, mouse and other input,
// the USB controllers they hang on, its network).
const char* const kNeededToRun = "which Windows needs to run";
const char* const kNeededToUse = "which the PC needs to be used or reached";
struct VitalClass {
    const wchar_t* guid;
    const char* name;
    const char* why;
};
const VitalClass kVitalClasses[] = {
    {L"{4d36e97d-e325-11ce-bfc1-08002be10318}", "System", kNeededToRun},
    {L"{4d36e966-e325-11ce-bfc1-08002be10318}", "Computer", kNeededToRun},
    {L"{50127dc3-0f36-415e-a6cc-4cb3be910b65}", "Processor", kNeededToRun},
    {L"{4d36e967-e325-11ce-bfc1-08002be10318}", "DiskDrive", kNeededToRun},
    {L"{4d36e96a-e325-11ce-bfc1-08002be10318}", "HDC", kNeededToRun},
    {L"{4d36e97b-e325-11ce-bfc1-08002be10318}", "SCSIAdapter", kNeededToRun},
    {L"{71a27cdd-812a-11d0-bec7-08002be2092f}", "Volume", kNeededToRun},
    {L"{4d36e96b-e325-11ce-bfc1-08002be10318}", "Keyboard", kNeededToUse},
    {L"{4d36e96f-e325-11ce-bfc1-08002be10318}", "Mouse", kNeededToUse},
    {L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}", "HIDClass", kNeededToUse},
    {L"{36fc9e60-c465-11cf-8056-444553540000}", "USB", kNeededToUse},
    {L"{4d36e972-e325-11ce-bfc1-08002be10318}", "Net", kNeededToUse},
};

// The functions Velmora ships this tool to disable, as it names them (the
// listed hardware IDs of the repair). A graphics card may register such a
// function in a class refused below (its USB controller is one of the USB
// class): named by its listed ID it is what the tool is for, never refused.
const wchar_t* const kRepairTargets[] = {
    L"PCI\\VEN_10DE&DEV_1AD8",
    L"PCI\\VEN_10DE&DEV_1ADA",
    L"PCI\\VEN_10DE&DEV_1AEC",
};

}  // namespace

bool IsRepairTarget(const std::wstring& id)
{
    for (const wchar_t* target : kRepairTargets)
        if (SameAsciiNoCase(id, target))
            return true;
    return false;
}

namespace {

const VitalClass* VitalClassOf(const std::wstring& classGuid)
{
    for (const VitalClass& c : kVitalClasses)
        if (SameAsciiNoCase(classGuid, c.guid))
            return &c;
    return nullptr;
}

const char* Past(Verb verb)
{
    return verb == Verb::Disable ? "disabled" : "enabled";
}

const char* Infinitive(Verb verb)
{
    return verb == Verb::Disable ? "disable" : "enable";
}

}  // namespace

bool ParseCommandLine(const std::vector<std::wstring>& args, CommandLine& out, std::string& error)
{
    out = CommandLine();
    std::vector<std::wstring> words;
    for (const std::wstring& arg : args) {
        if (IsForce(arg))
            out.force = true;
        else
            words.push_back(arg);
    }
    if (words.empty()) {
        error = "No command given.";
        return false;
    }
    const std::wstring& command = words[0];
    for (const wchar_t* help : {L"/?", L"-?", L"/h", L"-h", L"/help", L"--help", L"help"}) {
        if (SameAsciiNoCase(command, help)) {
            out.verb = Verb::Help;
            return true;
        }
    }
    if (SameAsciiNoCase(command, L"disable"))
        out.verb = Verb::Disable;
    else if (SameAsciiNoCase(command, L"enable"))
        out.verb = Verb::Enable;
    else if (SameAsciiNoCase(command, L"status"))
        out.verb = Verb::Status;
    else {
        error = "Unknown command \"" + PrintableAscii(command) + "\".";
        return false;
    }
    out.ids.assign(words.begin() + 1, words.end());
    if (out.ids.empty()) {
        error = "\"" + PrintableAscii(command) + "\" needs at least one device ID.";
        return false;
    }
    for (const std::wstring& id : out.ids) {
        const std::wstring body = (!id.empty() && id[0] == L'@') ? id.substr(1) : id;
        if (body.empty()) {
            error = "An empty device ID names no device.";
            return false;
        }
        // Every device of the PC, the disk controllers among them: a slip, not a repair.
        if (out.verb != Verb::Status && OnlyStars(body)) {
            error = "\"" + PrintableAscii(id) + "\" would " + Infinitive(out.verb) + " every device; name the device.";
            return false;
        }
    }
    return true;
}

bool MatchesPattern(const std::wstring& pattern, const std::wstring& text)
{
    // Greedy with one step back to the last star: at most pattern x text steps.
    size_t p = 0, t = 0, star = std::wstring::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && LowerAscii(pattern[p]) == LowerAscii(text[t])) {
            ++p;
            ++t;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool DeviceMatches(const Device& device, const std::wstring& id)
{
    if (!id.empty() && id[0] == L'@')
        return MatchesPattern(id.substr(1), device.instanceId);
    for (const auto* list : {&device.hardwareIds, &device.compatibleIds})
        for (const std::wstring& entry : *list)
            if (MatchesPattern(id, entry))
                return true;
    return false;
}

std::vector<std::wstring> SplitMultiString(const wchar_t* data, size_t chars)
{
    std::vector<std::wstring> out;
    size_t start = 0;
    while (data && start < chars && data[start]) {
        size_t end = start;
        while (end < chars && data[end])
            ++end;
        out.emplace_back(data + start, end - start);
        start = end + 1;
    }
    return out;
}

std::string ListFailure(ListResult result)
{
    switch (result) {
    case ListResult::Read:
        break;
    case ListResult::Unreadable:
        return "The list of devices could not be read.";
    case ListResult::TooLong:
        return "The device list is longer than the " + std::to_string(kMaxDevices) +
               " devices devcon.exe reads; no device was acted on.";
    }
    return {};
}

std::string VitalClassName(const std::wstring& classGuid)
{
    const VitalClass* vital = VitalClassOf(classGuid);
    return vital ? vital->name : std::string();
}

std::vector<std::string> DisableRefusals(const std::vector<Device>& devices, const std::vector<std::wstring>& ids)
{
    std::vector<std::string> lines;
    // Written with a star or not: "PCI\CC_0C03" names every USB host
    // controller as surely as "PCI\*" names every PCI device.
    for (const std::wstring& id : ids) {
        if (IsRepairTarget(id))
            continue;
        size_t named = 0;
        for (const Device& device : devices)
            named += DeviceMatches(device, id);
        if (named > 1)
            lines.push_back("\"" + PrintableAscii(id) + "\" names " + std::to_string(named) +
                            " devices: nothing disabled. Name one device, or add /force to disable all " +
                            std::to_string(named) + ".");
    }
    for (const Device& device : devices) {
        const VitalClass* vital = VitalClassOf(device.classGuid);
        if (!vital)
            continue;
        bool named = false;
        for (const std::wstring& id : ids)
            named = named || (!IsRepairTarget(id) && DeviceMatches(device, id));
        if (named)
            lines.push_back(PrintableAscii(device.instanceId) + " is a " + vital->name + " device, " + vital->why +
                            ": nothing disabled. Add /force to disable it anyway.");
    }
    return lines;
}

std::vector<Scope> ChangeScopes(Verb verb)
{
    switch (verb) {
    case Verb::Enable:
        return {Scope::Global, Scope::ConfigSpecific};
    case Verb::Disable:
        return {Scope::ConfigSpecific};
    default:
        return {};
    }
}

State StateOf(const SDeviceNodeStatus& status)
{
    if (!status.read || status.flags == 0)
        return State::Unknown;
    if (status.flags & kNodeHasProblem)
        return status.problem == kProblemDisabled ? State::Disabled : State::Problem;
    return (status.flags & kNodeStarted) ? State::Running : State::Stopped;
}

Outcome ChangeOutcome(Verb verb, bool installerAccepted, bool restartRequested, const SDeviceNodeStatus& after)
{
    if (!installerAccepted)
        return Outcome::Failed;
    if (restartRequested)
        return Outcome::OnRestart;
    const State wanted = verb == Verb::Disable ? State::Disabled : State::Running;
    return StateOf(after) == wanted ? Outcome::Done : Outcome::Failed;
}

std::string DeviceLine(const std::wstring& instanceId, Verb verb, Outcome outcome)
{
    std::string word = verb == Verb::Disable ? "Disable" : "Enable";
    switch (outcome) {
    case Outcome::Done:
        word += "d";
        break;
    case Outcome::OnRestart:
        word += "d on reboot";
        break;
    case Outcome::Failed:
        word += " failed";
        break;
    }
    return PrintableAscii(instanceId) + ": " + word;
}

std::string StatusLine(const std::wstring& instanceId, const SDeviceNodeStatus& status)
{
    std::string word;
    switch (StateOf(status)) {
    case State::Running:
        word = "Running";
        break;
    case State::Disabled:
        word = "Disabled";
        break;
    case State::Stopped:
        word = "Stopped";
        break;
    case State::Problem:
        word = "Stopped with problem " + std::to_string(status.problem);
        break;
    case State::Unknown:
        word = "Status could not be read";
        break;
    }
    return PrintableAscii(instanceId) + ": " + word;
}

std::string ClosingLine(Verb verb, size_t matched, size_t failed, size_t onRestart)
{
    if (matched == 0)
        return "No matching devices found.";
    const std::string n = std::to_string(matched);
    if (verb == Verb::Status) {
        if (failed == 0)
            return n + " matching device(s) found.";
        return n + " matching device(s) found; the status of " + std::to_string(failed) + " could not be read.";
    }
    if (failed > 0)
        return std::to_string(failed) + " of " + n + " matching device(s) could not be " + Past(verb) + ".";
    if (onRestart > 0)
        return "The " + n + " device(s) are ready to be " + Past(verb) + ". To " + Infinitive(verb) +
               " the devices, restart the devices or reboot the system .";
    return n + " device(s) " + Past(verb) + ".";
}

int ExitCode(size_t matched, size_t failed, size_t onRestart)
{
    if (matched == 0 || failed > 0)
        return kExitFailed;
    return onRestart > 0 ? kExitRestart : kExitDone;
}

std::string UsageText(const std::string& version)
{
    return "Velmora device tool " + version +
           "\r\n"
           "\r\n"
           "  devcon.exe disable ID [ID ...]   disable the present devices that the IDs name\r\n"
           "  devcon.exe enable ID [ID ...]    enable them again\r\n"
           "  devcon.exe status ID [ID ...]    show their state\r\n"
           "  devcon.exe /?                    show this text\r\n"
           "\r\n"
           "An ID names every device that has it in its hardware-ID or compatible-ID\r\n"
           "list, e.g. \"PCI\\VEN_10DE&DEV_1AD8\"; case does not matter and * stands for\r\n"
           "any run of characters. @ and an instance ID name one device.\r\n"
           "Disable and enable need an elevated command prompt. Enable acts both for\r\n"
           "all hardware profiles and for the current one.\r\n"
           "\r\n"
           "Disable refuses, and changes nothing, when it names a device Windows needs\r\n"
           "to run (class System, Computer, Processor, DiskDrive, HDC, SCSIAdapter or\r\n"
           "Volume) or one the PC needs to be used or reached (class Keyboard, Mouse,\r\n"
           "HIDClass, USB or Net), or when an ID names more than one device; never for\r\n"
           "the three IDs Velmora repairs, written whole. /force, or -force, anywhere\r\n"
           "on the command line disables them all the same.\r\n"
           "\r\n"
           "Exit codes: 0 every matched device done; 1 done once the devices are\r\n"
           "restarted or the system is rebooted; 2 no device matched, a device\r\n"
           "failed or disable refused; 3 bad command line.\r\n";
}

std::string ChangeRefusal(Verb verb, bool wow64, bool elevated)
{
    if (verb != Verb::Disable && verb != Verb::Enable)
        return {};
    if (wow64)
        return std::string("This 32-bit devcon.exe cannot ") + Infinitive(verb) +
               " devices on 64-bit Windows; use the 64-bit devcon.exe.";
    if (!elevated)
        return std::string("Administrator rights are needed to ") + Infinitive(verb) +
               " devices; run devcon.exe from an elevated command prompt.";
    return {};
}

}  // namespace devtool
