// The unattended mode, for management agents that start the tool with no one
// at the PC: the switches, the flow's steps in the order such a run takes
// them, what each ending comes to as an exit code and as the result line, and
// the usage text. Portable: the unattended face takes the steps and writes
// the output.
#pragma once
#include <string>
#include <vector>

#include "app/FlowTexts.h"
#include "system/HostRules.h"
#include "system/RepairRules.h"

enum class ERunMode {
    Window,           // no switches: the window, as always
    Quiet,            // the whole flow without a window
    Detect,           // checks only
    Uninstall,        // gives the device back, without a window
    Usage,            // the usage text
    BadCommandLine,
};

// Why a run goes without a window: its switches asked for it, or it was
// started without switches where nobody could answer a window.
enum class EWhyUnattended {
    Asked,
    NoDesktop,        // a window station that shows nothing
    ServiceAccount,   // SYSTEM, LocalService or NetworkService
};

struct SSwitches {
    ERunMode mode = ERunMode::Window;
    bool forceRestart = false;   // only with Quiet or Uninstall
    EWhyUnattended why = EWhyUnattended::Asked;
};

// The arguments after the program's name. Each is "/" or "-" and one of
// quiet, detect, uninstall, ?, norestart, forcerestart, in any case. "?" wins
// over everything else; uninstall with quiet is an uninstall (no window
// either way). Anything unknown, detect with quiet or uninstall, norestart
// with forcerestart, or a restart switch without quiet or uninstall is a bad
// command line.
SSwitches ParseSwitches(const std::vector<std::wstring>& args);

// The face a start takes. Without switches, a service account runs as Quiet
// whether or not it can see a desktop (a window of a SYSTEM process that the
// signed-in user could drive), and so does a start where no desktop can be
// seen; an administrator's elevated start on a user's desktop keeps its
// window. Switches are kept as they are.
SSwitches ChooseFace(SSwitches parsed, bool desktopVisible, bool serviceAccount);

// True for the text form (S-1-5-18 and the like) of the SID of SYSTEM,
// LocalService or NetworkService.
bool IsServiceAccountSid(const std::wstring& sid);

// Where an unattended run ended: what it found and what it did.
enum class EOutcome {
    NeedsFix,              // a check: an accepted model, a listed device not disabled
    AlreadyDisabled,       // nothing to do, nothing done
    Disabled,              // the device tool confirmed; a restart makes it take effect
    RestartStarted,        // the same, and the restart was requested
    RestartRefused,        // the same, and the restart could not be requested
    RestartDeferred,       // the same, no restart during the PC's first-time setup
    NotDisabled,           // giving back: the device was not disabled, nothing done
    Enabled,               // the device tool confirmed the enabling
    EnabledAtRestart,      // the same, from the next restart
    EnableNotConfirmed,    // the device tool did not confirm the enabling
    WindowsNotSupported,
    FeedbackMissing,       // the library cannot be loaded or lacks an export
    FeedbackFailed,        // its initialisation failed
    NewerVersion,
    NotOneOfTheModels,
    ModelUnreadable,
    DeviceListFailed,
    NoListedDevice,
    NotConfirmed,          // the device tool did not confirm the disabling
    BadCommandLine,
    AnotherRun,
    Usage,
};

// The flow's steps as the window's handlers take them, each writing its own
// log lines; the unattended face takes them in turn on its own thread.
class IUnattendedSteps {
public:
    virtual ~IUnattendedSteps() = default;
    [[nodiscard]] virtual EStartResult StartTool() = 0;
    virtual bool NewerVersionExists() = 0;   // asks; opens nothing
    [[nodiscard]] virtual EHostResult CheckHost(SListedDevice& device) = 0;
    [[nodiscard]] virtual ERepairResult Repair() = 0;
    [[nodiscard]] virtual EDeviceChange GiveDeviceBack() = 0;
    virtual void ReportFeedbackEvent() = 0;   // as after "是", and on closing
    virtual bool FirstTimeSetupInProgress() = 0;
    [[nodiscard]] virtual bool RequestRestart() = 0;   // a planned restart
};

struct SRunResult {
    EOutcome outcome = EOutcome::Usage;
    SListedDevice device;   // once the host check has found it
};

// The flow of a Quiet, Detect or Uninstall run, in the window's order: the
// start-up steps, the update question (only in Quiet), the host check, then
// the repair (Quiet) or the enabling of a device that may be disabled
// (Uninstall), and the restart when forced, unless the PC's first-time setup
// is still running. A Quiet run that gets past the host check ends as the
// window does when the user closes it, with the closing feedback event,
// unless the restart was requested (Windows then ends the run); a check and
// an uninstall send no feedback event.
[[nodiscard]] SRunResult RunUnattendedFlow(IUnattendedSteps& steps, const SSwitches& switches);

// The process's exit code for an ending in a mode: codes are chosen here and
// nowhere else.
int ExitCodeOf(ERunMode mode, EOutcome outcome);

// The record's Done value after a Quiet or Uninstall run, the one value a
// detection rule reads: true when this PC needs nothing more from the tool
// (the listed device is disabled, or the PC is not one the fix is for). After
// an uninstall it is true only when the device tool did not confirm the
// enabling: the repair may then still be in place.
bool DoneOf(ERunMode mode, int exitCode);

// One ASCII line for standard output and the log: the version, the mode (and
// why a start without switches runs as Quiet), what was found and done, and
// "exit code N" at its end.
std::string ResultLine(const SSwitches& switches, const SRunResult& result, int exitCode);

// The switches and the exit codes, Chinese and English, CR LF line ends.
std::wstring UsageText();
