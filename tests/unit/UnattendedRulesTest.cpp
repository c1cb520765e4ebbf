// The unattended mode's rules: the switches, the flow's steps and where each
// ending leads, the exit codes, the result line and the usage text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/UnattendedRules.h"

namespace {

// The steps as a run would meet them, each answering as the row says and
// noting that it was taken.
class CFakeSteps : public IUnattendedSteps {
public:
    EStartResult start = EStartResult::Ready;
    bool newer = false;
    EHostResult host = EHostResult::Accepted;
    EDeviceState state = EDeviceState::NotDisabled;
    ERepairResult repair = ERepairResult::Done;
    EDeviceChange back = EDeviceChange::Now;
    bool setup = false;
    bool restarts = true;
    std::string taken;

    EStartResult StartTool() override { return Take("start", start); }
    bool NewerVersionExists() override { return Take("newer", newer); }
    EHostResult CheckHost(SListedDevice& device) override
    {
        if (host == EHostResult::Accepted)
            device = {L"PCI\\VEN_10DE&DEV_1AD8", L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_1\\4&1", state};
        return Take("host", host);
    }
    ERepairResult Repair() override { return Take("repair", repair); }
    EDeviceChange GiveDeviceBack() override { return Take("enable", back); }
    void ReportFeedbackEvent() override { Take("feedback", 0); }
    bool FirstTimeSetupInProgress() override { return Take("setup?", setup); }
    bool RequestRestart() override { return Take("restart", restarts); }

private:
    template <class T>
    T Take(const char* step, T answer)
    {
        taken += (taken.empty() ? "" : " ") + std::string(step);
        return answer;
    }
};

}  // namespace

TEST(UnattendedRules, SwitchesAreReadCaseInsensitiveWithSlashOrDash)
{
    const ERunMode W = ERunMode::Window, Q = ERunMode::Quiet, D = ERunMode::Detect, U = ERunMode::Usage,
                   B = ERunMode::BadCommandLine, X = ERunMode::Uninstall;
    struct Case { std::vector<std::wstring> args; ERunMode mode; bool force; } cases[] = {
        {{}, W, false},
        {{L"/quiet"}, Q, false},
        {{L"-QUIET"}, Q, false},
        {{L"/Quiet", L"-NoRestart"}, Q, false},
        {{L"-forcerestart", L"/quiet"}, Q, true},
        {{L"/quiet", L"/quiet"}, Q, false},
        {{L"/DETECT"}, D, false},
        {{L"/?"}, U, false},
        {{L"-?"}, U, false},
        {{L"/quiet", L"/detect", L"/?"}, U, false},   // "?" wins over everything
        {{L"/bogus", L"/?"}, U, false},
        {{L"/quiet", L"/detect"}, B, false},
        {{L"/norestart"}, B, false},
        {{L"/forcerestart"}, B, false},
        {{L"/detect", L"/norestart"}, B, false},
        {{L"/quiet", L"/norestart", L"/forcerestart"}, B, false},
        {{L"quiet"}, B, false},
        {{L"/"}, B, false},
        {{L""}, B, false},
        {{L"/quiet:1"}, B, false},
        {{L"--quiet"}, B, false},
        {{L"/q"}, B, false},
        {{L"/quiet", L"extra"}, B, false},
        {{L"/uninstall"}, X, false},
        {{L"-UNINSTALL", L"/norestart"}, X, false},
        {{L"/uninstall", L"/forcerestart"}, X, true},
        {{L"/quiet", L"/uninstall"}, X, false},   // no window either way
        {{L"/uninstall", L"/quiet", L"-ForceRestart"}, X, true},
        {{L"/uninstall", L"/detect"}, B, false},
        {{L"/uninstall", L"/norestart", L"/forcerestart"}, B, false},
        {{L"/uninstall:yes"}, B, false},
    };
    for (const Case& c : cases) {
        std::wstring joined;
        for (const std::wstring& a : c.args)
            joined += L"[" + a + L"]";
        SCOPED_TRACE(std::string(joined.begin(), joined.end()));
        const SSwitches s = ParseSwitches(c.args);
        EXPECT_EQ(s.mode, c.mode);
        EXPECT_EQ(s.forceRestart, c.force);
    }
}

TEST(UnattendedRules, EachEndingHasItsStepsAndExitCode)
{
    const ERunMode Q = ERunMode::Quiet, D = ERunMode::Detect, X = ERunMode::Uninstall;
    const EHostResult ok = EHostResult::Accepted;
    const EDeviceState on = EDeviceState::NotDisabled, off = EDeviceState::Disabled, unread = EDeviceState::Unknown;
    const ERepairResult done = ERepairResult::Done, failed = ERepairResult::Failed;
    const EStartResult ready = EStartResult::Ready;
    struct Case {
        const char* what;
        ERunMode mode;
        bool force;
        EStartResult start;
        bool newer;
        EHostResult host;
        EDeviceState state;
        ERepairResult repair;
        bool restarts;
        EOutcome outcome;
        int code;
        const char* taken;
        EDeviceChange back = EDeviceChange::Now;
        bool setup = false;
    } cases[] = {
        {"disabled", Q, false, ready, false, ok, on, done, true, EOutcome::Disabled, 3010,
         "start newer host repair feedback"},
        {"an unread state is repaired", Q, false, ready, false, ok, unread, done, true, EOutcome::Disabled, 3010,
         "start newer host repair feedback"},
        {"restart requested", Q, true, ready, false, ok, on, done, true, EOutcome::RestartStarted, 1641,
         "start newer host repair setup? feedback restart"},
        {"restart refused", Q, true, ready, false, ok, on, done, false, EOutcome::RestartRefused, 3010,
         "start newer host repair setup? feedback restart feedback"},
        {"already disabled: nothing done", Q, true, ready, false, ok, off, done, true, EOutcome::AlreadyDisabled, 0,
         "start newer host feedback"},
        {"not confirmed", Q, true, ready, false, ok, on, failed, true, EOutcome::NotConfirmed, 25,
         "start newer host repair feedback"},
        {"windows", Q, false, EStartResult::SystemNotSupported, false, ok, on, done, true,
         EOutcome::WindowsNotSupported, 20, "start"},
        {"library missing", Q, false, EStartResult::FeedbackLoadFailed, false, ok, on, done, true,
         EOutcome::FeedbackMissing, 26, "start"},
        {"library failed", Q, false, EStartResult::FeedbackInitFailed, false, ok, on, done, true,
         EOutcome::FeedbackFailed, 26, "start"},
        {"newer version", Q, false, ready, true, ok, on, done, true, EOutcome::NewerVersion, 27, "start newer"},
        {"model", Q, false, ready, false, EHostResult::ModelMismatch, on, done, true, EOutcome::NotOneOfTheModels,
         21, "start newer host"},
        {"model line", Q, false, ready, false, EHostResult::ModelNoLineEnd, on, done, true,
         EOutcome::ModelUnreadable, 22, "start newer host"},
        {"model text", Q, false, ready, false, EHostResult::ModelNotFound, on, done, true, EOutcome::ModelUnreadable,
         22, "start newer host"},
        {"model query", Q, false, ready, false, EHostResult::ModelQueryFailed, on, done, true,
         EOutcome::ModelUnreadable, 22, "start newer host"},
        {"device list", Q, false, ready, false, EHostResult::DeviceListFailed, on, done, true,
         EOutcome::DeviceListFailed, 23, "start newer host"},
        {"no listed device", Q, false, ready, false, EHostResult::NoListedDevice, on, done, true,
         EOutcome::NoListedDevice, 24, "start newer host"},
        {"check: needs the fix, no update question", D, false, ready, true, ok, on, done, true, EOutcome::NeedsFix, 1,
         "start host"},
        {"check: an unread state needs the fix", D, false, ready, false, ok, unread, done, true, EOutcome::NeedsFix,
         1, "start host"},
        {"check: already disabled", D, false, ready, false, ok, off, done, true, EOutcome::AlreadyDisabled, 0,
         "start host"},
        {"check: model", D, false, ready, false, EHostResult::ModelMismatch, on, done, true,
         EOutcome::NotOneOfTheModels, 0, "start host"},
        {"check: no listed device", D, false, ready, false, EHostResult::NoListedDevice, on, done, true,
         EOutcome::NoListedDevice, 0, "start host"},
        {"check: windows", D, false, EStartResult::SystemNotSupported, false, ok, on, done, true,
         EOutcome::WindowsNotSupported, 20, "start"},
        {"check: model unread", D, false, ready, false, EHostResult::ModelNotFound, on, done, true,
         EOutcome::ModelUnreadable, 22, "start host"},
        {"check: device list", D, false, ready, false, EHostResult::DeviceListFailed, on, done, true,
         EOutcome::DeviceListFailed, 23, "start host"},
        {"check: library", D, false, EStartResult::FeedbackInitFailed, false, ok, on, done, true,
         EOutcome::FeedbackFailed, 26, "start"},
        {"first-time setup: no restart", Q, true, ready, false, ok, on, done, true, EOutcome::RestartDeferred, 3010,
         "start newer host repair setup? feedback", EDeviceChange::Now, true},
        {"back: enabled, no update question, no feedback", X, false, ready, true, ok, off, done, true,
         EOutcome::Enabled, 0, "start host enable"},
        {"back: an unread state is enabled", X, false, ready, false, ok, unread, done, true, EOutcome::Enabled, 0,
         "start host enable"},
        {"back: enabled now needs no restart", X, true, ready, false, ok, off, done, true, EOutcome::Enabled, 0,
         "start host enable"},
        {"back: not disabled, nothing done", X, true, ready, false, ok, on, done, true, EOutcome::NotDisabled, 0,
         "start host"},
        {"back: from the next restart", X, false, ready, false, ok, off, done, true, EOutcome::EnabledAtRestart,
         3010, "start host enable", EDeviceChange::AtRestart},
        {"back: restart requested", X, true, ready, false, ok, off, done, true, EOutcome::RestartStarted, 1641,
         "start host enable setup? restart", EDeviceChange::AtRestart},
        {"back: restart refused", X, true, ready, false, ok, off, done, false, EOutcome::RestartRefused, 3010,
         "start host enable setup? restart", EDeviceChange::AtRestart},
        {"back: first-time setup", X, true, ready, false, ok, off, done, true, EOutcome::RestartDeferred, 3010,
         "start host enable setup?", EDeviceChange::AtRestart, true},
        {"back: not confirmed", X, true, ready, false, ok, off, done, true, EOutcome::EnableNotConfirmed, 28,
         "start host enable", EDeviceChange::None},
        {"back: model", X, false, ready, false, EHostResult::ModelMismatch, on, done, true,
         EOutcome::NotOneOfTheModels, 0, "start host"},
        {"back: no listed device", X, false, ready, false, EHostResult::NoListedDevice, on, done, true,
         EOutcome::NoListedDevice, 0, "start host"},
        {"back: model unread", X, false, ready, false, EHostResult::ModelQueryFailed, on, done, true,
         EOutcome::ModelUnreadable, 22, "start host"},
        {"back: device list", X, false, ready, false, EHostResult::DeviceListFailed, on, done, true,
         EOutcome::DeviceListFailed, 23, "start host"},
        {"back: windows", X, false, EStartResult::SystemNotSupported, false, ok, off, done, true,
         EOutcome::WindowsNotSupported, 20, "start"},
        {"back: library", X, false, EStartResult::FeedbackLoadFailed, false, ok, off, done, true,
         EOutcome::FeedbackMissing, 26, "start"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeSteps steps;
        steps.start = c.start;
        steps.newer = c.newer;
        steps.host = c.host;
        steps.state = c.state;
        steps.repair = c.repair;
        steps.restarts = c.restarts;
        steps.back = c.back;
        steps.setup = c.setup;
        SSwitches switches;
        switches.mode = c.mode;
        switches.forceRestart = c.force;
        const SRunResult r = RunUnattendedFlow(steps, switches);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(ExitCodeOf(c.mode, r.outcome), c.code);
        EXPECT_EQ(steps.taken, c.taken);
    }
    // Endings before the flow, the same in every mode.
    for (ERunMode mode : {Q, D, X}) {
        EXPECT_EQ(ExitCodeOf(mode, EOutcome::BadCommandLine), 87);
        EXPECT_EQ(ExitCodeOf(mode, EOutcome::AnotherRun), 1618);
    }
    EXPECT_EQ(ExitCodeOf(ERunMode::Usage, EOutcome::Usage), 0);
}

TEST(UnattendedRules, DoneSaysThisPcNeedsNothingMoreFromTheTool)
{
    const ERunMode Q = ERunMode::Quiet, X = ERunMode::Uninstall;
    struct Case { ERunMode mode; int code; bool done; } cases[] = {
        {Q, 3010, true}, {Q, 1641, true}, {Q, 0, true}, {Q, 21, true}, {Q, 24, true},
        {Q, 20, false}, {Q, 22, false}, {Q, 23, false}, {Q, 25, false}, {Q, 26, false}, {Q, 27, false},
        // Given back, or nothing to give: the agent's uninstall is done.
        {X, 0, false}, {X, 3010, false}, {X, 1641, false},
        {X, 28, true},   // the device may still be disabled
        {X, 20, false}, {X, 22, false}, {X, 23, false}, {X, 26, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DoneOf(c.mode, c.code), c.done) << (c.mode == Q ? "/quiet " : "/uninstall ") << c.code;
}

TEST(UnattendedRules, AServiceAccountOrAHiddenDesktopRunsAsQuietAndATechnicianKeepsTheWindow)
{
    const ERunMode W = ERunMode::Window, Q = ERunMode::Quiet, D = ERunMode::Detect;
    const EWhyUnattended asked = EWhyUnattended::Asked, hidden = EWhyUnattended::NoDesktop,
                         service = EWhyUnattended::ServiceAccount;
    struct Case { const char* what; ERunMode parsed; bool desktop, serviceAccount; ERunMode mode; EWhyUnattended why; }
    cases[] = {
        {"a technician's elevated start on a user's desktop", W, true, false, W, asked},
        {"a service account on a desktop a user sees", W, true, true, Q, service},
        {"a service account in session 0", W, false, true, Q, service},
        {"an account where no desktop can be seen", W, false, false, Q, hidden},
        {"switches are kept", D, true, true, D, asked},
    };
    for (const Case& c : cases) {
        SSwitches parsed;
        parsed.mode = c.parsed;
        const SSwitches s = ChooseFace(parsed, c.desktop, c.serviceAccount);
        EXPECT_EQ(s.mode, c.mode) << c.what;
        EXPECT_EQ(s.why, c.why) << c.what;
    }
    struct Sid { const wchar_t* sid; bool service; } sids[] = {
        {L"S-1-5-18", true}, {L"S-1-5-19", true}, {L"S-1-5-20", true}, {L"s-1-5-18", true},
        {L"S-1-5-32-544", false},   // Administrators, a group, never a process's user
        {L"S-1-5-21-1004336348-1177238915-682003330-500", false},   // an administrator's account
        {L"S-1-5-180", false}, {L"S-1-5-1", false}, {L"", false},
    };
    for (const Sid& c : sids)
        EXPECT_EQ(IsServiceAccountSid(c.sid), c.service) << std::string(c.sid, c.sid + wcslen(c.sid));
}

TEST(UnattendedRules, TheResultLineIsAsciiAndEndsWithTheExitCode)
{
    SRunResult r;
    r.outcome = EOutcome::Disabled;
    r.device = {L"PCI\\VEN_10DE&DEV_1AD8", L"PCI\\VEN_10DE&DEV_1AD8\\4&\u00e9\u4e2d", EDeviceState::NotDisabled};
    SSwitches quiet;
    quiet.mode = ERunMode::Quiet;
    EXPECT_EQ(ResultLine(quiet, r, 3010),
              "Velmora 1.0.22.419 /quiet: PCI\\VEN_10DE&DEV_1AD8 (PCI\\VEN_10DE&DEV_1AD8\\4&?\?): disabled, a restart "
              "makes it take effect; exit code 3010");
    SSwitches hidden = quiet, service = quiet;
    hidden.why = EWhyUnattended::NoDesktop;
    service.why = EWhyUnattended::ServiceAccount;
    EXPECT_EQ(ResultLine(hidden, r, 3010).rfind("Velmora 1.0.22.419 no visible desktop, run as /quiet: ", 0), 0u);
    EXPECT_EQ(ResultLine(service, r, 3010)
                  .rfind("Velmora 1.0.22.419 started as a service account, run as /quiet: PCI", 0), 0u);
    // What the run did to the device, in the words of its mode.
    SSwitches back;
    back.mode = ERunMode::Uninstall;
    back.forceRestart = true;
    r.outcome = EOutcome::RestartStarted;
    EXPECT_EQ(ResultLine(back, r, 1641), "Velmora 1.0.22.419 /uninstall /forcerestart: PCI\\VEN_10DE&DEV_1AD8 "
                                         "(PCI\\VEN_10DE&DEV_1AD8\\4&?\?): enabled from the next restart, restart "
                                         "started; exit code 1641");
    quiet.forceRestart = true;
    r.outcome = EOutcome::RestartDeferred;
    EXPECT_EQ(ResultLine(quiet, r, 3010), "Velmora 1.0.22.419 /quiet /forcerestart: PCI\\VEN_10DE&DEV_1AD8 "
                                          "(PCI\\VEN_10DE&DEV_1AD8\\4&?\?): disabled, no restart during the PC's "
                                          "first-time setup: restart later; exit code 3010");
    quiet.forceRestart = false;
    r.outcome = EOutcome::NoListedDevice;
    r.device = {};
    EXPECT_EQ(ResultLine(quiet, r, 24),
              "Velmora 1.0.22.419 /quiet: no listed graphics device is present; exit code 24");
    SSwitches bad;
    bad.mode = ERunMode::BadCommandLine;
    r.outcome = EOutcome::BadCommandLine;
    EXPECT_EQ(ResultLine(bad, r, 87),
              "Velmora 1.0.22.419 command line: bad command line (Velmora.exe /? lists the switches); exit code 87");
}

TEST(UnattendedRules, TheUsageTextNamesEverySwitchAndExitCode)
{
    const std::wstring usage = UsageText();
    for (const wchar_t* part : {L"用法", L"Usage", L"/quiet", L"/uninstall", L"/norestart", L"/forcerestart",
                                L"/detect", L"/?", L"/uninstall 的退出码", L"\r\n  28 ",
                                L"\r\n  3010 ", L"\r\n  1641 ", L"\r\n  0 ", L"\r\n  20 ", L"\r\n  21 ", L"\r\n  22 ",
                                L"\r\n  23 ", L"\r\n  24 ", L"\r\n  25 ", L"\r\n  26 ", L"\r\n  27 ", L"\r\n  87 ",
                                L"\r\n  1618 ", L"\r\n  1 ", L"\r\n  20, 22, 23, 26 "})
        EXPECT_NE(usage.find(part), std::wstring::npos) << std::string(part, part + wcslen(part));
}
