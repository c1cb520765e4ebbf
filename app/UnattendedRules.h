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
    Usage,            // the usage text
    BadCommandLine,
};

struct SSwitches {
    ERunMode mode = ERunMode::Window;
    bool forceRestart = false;   // only with Quiet
};

// The arguments after the program's name. Each is "/" or "-" and one of
// quiet, detect, ?, norestart, forcerestart, in any case. "?" wins over
// everything else; anything unknown, quiet with detect, norestart with
// forcerestart, or a restart switch without quiet is a bad command line.
[[nodiscard]] SSwitches ParseSwitches(const std::vector<std::wstring>& args);

// Where an unattended run ended: what it found and what it did.
enum class EOutcome {
    NeedsFix,              // a check: an accepted model, a listed device not disabled
    AlreadyDisabled,       // nothing to do, nothing done
    Disabled,              // the device tool confirmed; a restart makes it take effect
    RestartStarted,        // the same, and the restart was requested
    RestartRefused,        // the same, and the restart could not be requested
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
    [[nodiscard]] virtual bool NewerVersionExists() = 0;                   // asks; opens nothing
    [[nodiscard]] virtual EHostResult CheckHost(SListedDevice& device) = 0;
    [[nodiscard]] virtual ERepairResult Repair() = 0;
    virtual void ReportFeedbackEvent() = 0;                  // as after "是", and on closing
    [[nodiscard]] virtual bool RequestRestart() = 0;
};

struct SRunResult {
    EOutcome outcome = EOutcome::Usage;
    SListedDevice device;   // once the host check has found it
};

// The flow of a Quiet or a Detect run, in the window's order: the start-up
// steps, the update question (not in a check), the host check, then the
// repair and the restart (not in a check; the restart only when forced). A run
// that gets past the host check ends as the window does when the user closes
// it, with the closing feedback event, unless it is a check or the restart was
// requested (Windows then ends the run).
[[nodiscard]] SRunResult RunUnattendedFlow(IUnattendedSteps& steps, const SSwitches& switches);

// The process's exit code for an ending in a mode: codes are chosen here and
// nowhere else.
[[nodiscard]] int ExitCodeOf(ERunMode mode, EOutcome outcome);

// One ASCII line for standard output and the log: the version, the mode, what
// was found and done, and "exit code N" at its end. noDesktop: started without
// switches where no desktop can be seen, and so run as Quiet.
std::string ResultLine(const SSwitches& switches, bool noDesktop, const SRunResult& result, int exitCode);

// The switches and the exit codes, Chinese and English, CR LF line ends.
std::wstring UsageText();
