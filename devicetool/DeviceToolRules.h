// Rules of Velmora's console device tool (shipped as devcon.exe) that need no
// handle: the command line, which devices an ID names, what a device's state
// and a state change come to, and the words and exit code of a run.
#pragma once
#include <string>
#include <vector>

#include "base/DeviceNodeStatus.h"

namespace devtool {

enum class Verb { Help, Disable, Enable, Status };

struct CommandLine {
    Verb verb = Verb::Help;
    std::vector<std::wstring> ids;
    bool force = false;   // disable what it would otherwise refuse
};

// Reads the arguments after the program name. /force (or -force, any case) is
// a switch wherever it stands, never a device ID. False for a bad command
// line, with why in error (one line, ASCII).
[[nodiscard]] bool ParseCommandLine(const std::vector<std::wstring>& args, CommandLine& out, std::string& error);

// pattern against text, ASCII letters compared without case; '*' stands for
// any run of characters, also none.
bool MatchesPattern(const std::wstring& pattern, const std::wstring& text);

// A present device as the device list gives it.
struct Device {
    std::wstring instanceId;
    std::vector<std::wstring> hardwareIds;
    std::vector<std::wstring> compatibleIds;
    std::wstring classGuid;   // "{4d36e97d-e325-11ce-bfc1-08002be10318}", any case
};

// The most devices a run reads. Far beyond any PC: a list that never ends is
// not walked for ever, and a longer one is refused rather than cut.
constexpr size_t kMaxDevices = 100000;

enum class ListResult { Read, Unreadable, TooLong };

// Why a run stops before it looks at any device; empty for a list it can use.
std::string ListFailure(ListResult result);

// "@<instance ID>" names one device by its instance ID; any other ID names
// every device that carries it in its hardware-ID or compatible-ID list.
bool DeviceMatches(const Device& device, const std::wstring& id);

// The strings of a multi-string list of at most chars characters: up to the
// empty string that ends it, or to chars when that end is missing.
std::vector<std::wstring> SplitMultiString(const wchar_t* data, size_t chars);

// The class name of a device class Windows needs to run (System, DiskDrive,
// ...) or the PC needs to be used or reached (Keyboard, Net, ...); empty for
// any other class.
std::string VitalClassName(const std::wstring& classGuid);

// True for the listed hardware IDs of Velmora's repair (any case): the
// functions this tool ships to disable, never refused by the rules below.
bool IsRepairTarget(const std::wstring& id);

// Without /force a disable is refused whole when a device it names is of a
// vital class or an ID (with '*' or without) names more than one device: one line per
// refused ID, then per refused device. An ID that is a repair target is judged
// by neither rule. Empty when the disable may go ahead.
std::vector<std::string> DisableRefusals(const std::vector<Device>& devices, const std::vector<std::wstring>& ids);

// A change is asked of the class installer once per scope: a device disabled
// for all profiles comes back only through the global request, one disabled
// for this profile only through the profile's own.
enum class Scope { Global, ConfigSpecific };
std::vector<Scope> ChangeScopes(Verb verb);

enum class State { Unknown, Running, Disabled, Stopped, Problem };
// A node that reports no flags at all has said nothing about itself: Unknown.
State StateOf(const SDeviceNodeStatus& status);

enum class Outcome { Done, OnRestart, Failed };

// What a disable or enable came to: refused by the class installer (in any
// of its scopes), done once the device or the system restarts (the installer
// asked for it), done (the node now shows the new state), or failed (it does
// not).
Outcome ChangeOutcome(Verb verb, bool installerAccepted, bool restartRequested, const SDeviceNodeStatus& after);

// Everything a run prints, and its exit code: 0 every matched device done,
// 1 done once restarted, 2 nothing matched or a device failed (or nothing
// could be tried, or a disable was refused), 3 a bad command line.
struct Report {
    std::string out;   // standard output, CR LF line ends, ASCII
    std::string err;   // standard error, the same
    int exitCode = 0;
};

constexpr int kExitDone = 0;
constexpr int kExitRestart = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsage = 3;

// One line per matched device.
std::string DeviceLine(const std::wstring& instanceId, Verb verb, Outcome outcome);
std::string StatusLine(const std::wstring& instanceId, const SDeviceNodeStatus& status);

// The closing line of a run over matched devices, failed of which failed and
// onRestart of which wait for a restart.
std::string ClosingLine(Verb verb, size_t matched, size_t failed, size_t onRestart);
int ExitCode(size_t matched, size_t failed, size_t onRestart);

std::string UsageText(const std::string& version);

// Why a disable or enable cannot be tried here at all; empty when it can.
std::string ChangeRefusal(Verb verb, bool wow64, bool elevated);

}  // namespace devtool
