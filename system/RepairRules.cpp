#include "system/RepairRules.h"

#include <cctype>

#include "base/DeviceNodeStatus.h"
#include "system/HostRules.h"
#include "system/CommandLines.h"

const char* const kListedHardwareIdsA[3] = {
    "PCI\\VEN_10DE&DEV_1AD8",
    "PCI\\VEN_10DE&DEV_1ADA",
    "PCI\\VEN_10DE&DEV_1AEC",
};
const wchar_t* const kListedHardwareIdsW[3] = {
    L"PCI\\VEN_10DE&DEV_1AD8",
    L"PCI\\VEN_10DE&DEV_1ADA",
    L"PCI\\VEN_10DE&DEV_1AEC",
};

std::wstring FirstString(const wchar_t* list, size_t maxChars)
{
    if (!list)
        return {};
    size_t n = 0;
    while (n < maxChars && list[n])
        ++n;
    return std::wstring(list, n);
}

void AddHardwareId(CHardwareIdMap& ids, const std::string& firstId)
{
    if (firstId.size() > 1 && ids.find(firstId) == ids.end())
        ids.insert(std::make_pair(firstId, firstId));
}

namespace {

// The collected ID that gives a listed one, in key order, and the index of
// that listed one; nullptr when none does.
const std::string* FindListedId(const CHardwareIdMap& ids, int& listed)
{
    for (const auto& entry : ids) {
        for (int i = 0; i < 3; ++i) {
            if (entry.second.find(kListedHardwareIdsA[i]) != std::string::npos) {
                listed = i;
                return &entry.first;
            }
        }
    }
    return nullptr;
}

}  // namespace

bool ChooseListedHardwareId(const CHardwareIdMap& ids, std::wstring& chosen)
{
    int listed = 0;
    if (!FindListedId(ids, listed))
        return false;
    chosen = kListedHardwareIdsW[listed];
    return true;
}

EDeviceState DeviceStateOf(bool read, unsigned long flags, unsigned long problem)
{
    if (!read || flags == 0)
        return EDeviceState::Unknown;
    return (flags & kNodeHasProblem) && problem == kProblemDisabled ? EDeviceState::Disabled : EDeviceState::NotDisabled;
}

EHostResult FindListedDevice(const DeviceListReader& readDevices, SListedDevice& found)
{
    std::vector<SPresentDevice> devices;
    if (!readDevices || !readDevices(devices))
        return EHostResult::DeviceListFailed;
    CHardwareIdMap ids;
    for (const SPresentDevice& d : devices)
        AddHardwareId(ids, d.firstId);
    int listed = 0;
    const std::string* key = FindListedId(ids, listed);
    if (!key)
        return EHostResult::NoListedDevice;
    SListedDevice chosen;
    chosen.hardwareId = kListedHardwareIdsW[listed];
    // The device tool disables every device that gave the ID: the state is
    // Disabled only when all of them already are.
    bool first = true, allDisabled = true, anyUnknown = false;
    for (const SPresentDevice& d : devices) {
        if (d.firstId != *key)
            continue;
        if (first)
            chosen.instanceId = d.instanceId;
        first = false;
        allDisabled = allDisabled && d.state == EDeviceState::Disabled;
        anyUnknown = anyUnknown || d.state == EDeviceState::Unknown;
    }
    chosen.state = allDisabled  ? EDeviceState::Disabled
                   : anyUnknown ? EDeviceState::Unknown
                                : EDeviceState::NotDisabled;
    found = chosen;
    return EHostResult::Accepted;
}

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

// Reads the count at pos; false when there is no number there. Counts beyond
// nine digits are not the device tool's.
bool ReadCount(const std::string& s, size_t& pos, unsigned long& n)
{
    size_t start = pos;
    n = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && pos - start < 9)
        n = n * 10 + static_cast<unsigned long>(s[pos++] - '0');
    return pos > start && (pos == s.size() || !std::isdigit(static_cast<unsigned char>(s[pos])));
}

const char* PastOf(EDeviceVerb verb)
{
    return verb == EDeviceVerb::Disable ? "disabled" : "enabled";
}

EDeviceChange ChangeOfLine(EDeviceVerb verb, const std::string& line)
{
    size_t pos = 0;
    unsigned long n = 0;
    // "N device(s) disabled." is the whole line.
    if (ReadCount(line, pos, n) && line.compare(pos, std::string::npos, std::string(" device(s) ") + PastOf(verb) + ".") == 0)
        return n >= 1 ? EDeviceChange::Now : EDeviceChange::None;
    // "The N device(s) are ready to be disabled." and the advice to restart after it.
    static const std::string kThe = "The ";
    const std::string ready = std::string(" device(s) are ready to be ") + PastOf(verb) + ".";
    if (line.compare(0, kThe.size(), kThe) != 0)
        return EDeviceChange::None;
    pos = kThe.size();
    if (ReadCount(line, pos, n) && line.compare(pos, ready.size(), ready) == 0)
        return n >= 1 ? EDeviceChange::AtRestart : EDeviceChange::None;
    return EDeviceChange::None;
}

}  // namespace

EDeviceChange DevconChangeOf(EDeviceVerb verb, const std::string& output)
{
    // A change at the restart, once said, is what the device tool did: the
    // device is not back (or gone) before Windows restarts.
    EDeviceChange change = EDeviceChange::None;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const EDeviceChange line = ChangeOfLine(verb, Trim(output.substr(start, end - start)));
        if (line == EDeviceChange::AtRestart || (line == EDeviceChange::Now && change == EDeviceChange::None))
            change = line;
        start = end + 1;
    }
    return change;
}

bool DevconConfirmsDisable(const std::string& output)
{
    return DevconChangeOf(EDeviceVerb::Disable, output) != EDeviceChange::None;
}

std::wstring DevconCommand(const std::wstring& exeDir, EDeviceVerb verb, const std::wstring& hardwareId)
{
    if (exeDir.empty() || UnsafeForInterpreter(exeDir) || hardwareId.empty() || UnsafeForInterpreter(hardwareId))
        return {};
    const wchar_t* const word = verb == EDeviceVerb::Disable ? L" disable " : L" enable ";
    const std::wstring command = Quoted(JoinPath(exeDir, kDeviceToolName)) + word + Quoted(hardwareId);
    return FitsInterpreterLine(command) ? command : std::wstring();
}
