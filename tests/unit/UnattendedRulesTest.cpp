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
    void ReportFeedbackEvent() override { Take("feedback", 0); }
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
                   B = ERunMode::BadCommandLine;
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
    const ERunMode Q = ERunMode::Quiet, D = ERunMode::Detect;
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
    } cases[] = {
        {"disabled", Q, false, ready, false, ok, on, done, true, EOutcome::Disabled, 3010,
         "start newer host repair feedback"},
        {"an unread state is repaired", Q, false, ready, false, ok, unread, done, true, EOutcome::Disabled, 3010,
         "start newer host repair feedback"},
        {"restart requested", Q, true, ready, false, ok, on, done, true, EOutcome::RestartStarted, 1641,
         "start newer host repair feedback restart"},
        {"restart refused", Q, true, ready, false, ok, on, done, false, EOutcome::RestartRefused, 3010,
         "start newer host repair feedback restart feedback"},
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
        SSwitches switches;
        switches.mode = c.mode;
        switches.forceRestart = c.force;
        const SRunResult r = RunUnattendedFlow(steps, switches);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(ExitCodeOf(c.mode, r.outcome), c.code);
        EXPECT_EQ(steps.taken, c.taken);
    }
    // Endings before the flow, the same in every mode.
    for (ERunMode mode : {Q, D}) {
        EXPECT_EQ(ExitCodeOf(mode, EOutcome::BadCommandLine), 87);
        EXPECT_EQ(ExitCodeOf(mode, EOutcome::AnotherRun), 1618);
    }
    EXPECT_EQ(ExitCodeOf(ERunMode::Usage, EOutcome::Usage), 0);
}

TEST(UnattendedRules, TheResultLineIsAsciiAndEndsWithTheExitCode)
{
    SRunResult r;
    r.outcome = EOutcome::Disabled;
    r.device = {L"PCI\\VEN_10DE&DEV_1AD8", L"PCI\\VEN_10DE&DEV_1AD8\\4&\u00e9\u4e2d", EDeviceState::NotDisabled};
    SSwitches quiet;
    quiet.mode = ERunMode::Quiet;
    EXPECT_EQ(ResultLine(quiet, false, r, 3010),
              "Velmora 1.0.22.419 /quiet: PCI\\VEN_10DE&DEV_1AD8 (PCI\\VEN_10DE&DEV_1AD8\\4&?\?): disabled, a restart "
              "makes it take effect; exit code 3010");
    EXPECT_EQ(ResultLine(quiet, true, r, 3010).rfind("Velmora 1.0.22.419 no visible desktop, run as /quiet: ", 0), 0u);
    r.outcome = EOutcome::NoListedDevice;
    r.device = {};
    EXPECT_EQ(ResultLine(quiet, false, r, 24),
              "Velmora 1.0.22.419 /quiet: no listed graphics device is present; exit code 24");
    SSwitches bad;
    bad.mode = ERunMode::BadCommandLine;
    r.outcome = EOutcome::BadCommandLine;
    EXPECT_EQ(ResultLine(bad, false, r, 87),
              "Velmora 1.0.22.419 command line: bad command line (Velmora.exe /? lists the switches); exit code 87");
}

TEST(UnattendedRules, TheUsageTextNamesEverySwitchAndExitCode)
{
    const std::wstring usage = UsageText();
    for (const wchar_t* part : {L"用法", L"Usage", L"/quiet", L"/norestart", L"/forcerestart", L"/detect", L"/?",
                                L"\r\n  3010 ", L"\r\n  1641 ", L"\r\n  0 ", L"\r\n  20 ", L"\r\n  21 ", L"\r\n  22 ",
                                L"\r\n  23 ", L"\r\n  24 ", L"\r\n  25 ", L"\r\n  26 ", L"\r\n  27 ", L"\r\n  87 ",
                                L"\r\n  1618 ", L"\r\n  1 ", L"\r\n  20, 22, 23, 26 "})
        EXPECT_NE(usage.find(part), std::wstring::npos) << std::string(part, part + wcslen(part));
}
