// The bench driver: runs the real Velmora.exe in prepared folders of the test
// prefix (like the e2e tests) and prints one line per figure,
//   name=value target=<target> met|MISSED   (details on the following lines)
// then a verdict line. scripts/bench builds it and runs it under wine + Xvfb.
//   velmora_bench [--exe-bytes=N] [--only=name,name] [--compare=<another Velmora.exe>]
// With --compare, the start-up, host check and repair figures are also taken
// of the other program, alternately with this tree's, and printed as
// name[other]=...; the verdict and the exit status stay this build's.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/Text.h"
#include "app/FlowTexts.h"
#include "bench/BenchMeasure.h"
#include "log/LogSaveCloseFile.h"
#include "res/resource.h"
#include "system/RepairRules.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/GuiObjects.h"
#include "tests/support/VelmoraRun.h"

namespace {

const int kRepeats = 9;
// The main window's one-shot timer before the host check starts: a designed
// wait, not work of the program.
const double kStartChecksDelayMs = 100;
const char* const kDevconDisabled =
    "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Disabled\r\n1 device(s) disabled.\r\n";
const wchar_t* const kListedId = L"PCI\\VEN_10DE&DEV_1AD8";

struct Figure {
    std::string name, value, target;
    bool met;
    std::vector<std::string> details;
};
std::vector<Figure> g_figures;
std::set<std::string> g_only;

bool Wanted(const char* name)
{
    return g_only.empty() || g_only.count(name) != 0;
}

// A build of the program: this tree's, or another one given with --compare
// (say, the same source before a change), measured alternately with it.
struct Build {
    std::wstring exe;           // empty: this tree's bin\Velmora.exe
    std::string nameSuffix;     // after the figure's name
    std::wstring folderSuffix;  // after the run's folder name
};
const Build kThisBuild{};
Build g_other{L"", "[other]", L"-other"};

bool Comparing()
{
    return !g_other.exe.empty();
}

// A run's folder holds this tree's program; another build's replaces it.
// Either runs as it is, without the tests' message watch.
bool UseBuild(vt::CVelmoraRun& run, const Build& build)
{
    run.Unwatched();
    return build.exe.empty() || vt::CopyFileTo(build.exe, run.ProgramDir() + L"\\Velmora.exe");
}

// No prompt shows up within ms.
bool NoPromptWithin(vt::CVelmoraRun& run, DWORD ms)
{
    return !vt::WaitFor([&] { return run.WaitPrompt(0) != nullptr; }, ms);
}

std::string Num(double v, int decimals = 1)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

void Report(const Figure& f)
{
    g_figures.push_back(f);
    std::printf("%s=%s target=%s %s\n", f.name.c_str(), f.value.c_str(), f.target.c_str(),
                f.met ? "met" : "MISSED");
    for (const std::string& d : f.details)
        std::printf("    %s\n", d.c_str());
    std::fflush(stdout);
}

void Failed(const std::string& name, const std::string& target, const std::string& why)
{
    Report({name, "n/a", target, false, {"not measured: " + why}});
}

// ---- windows of a run ----------------------------------------------------------

HWND TopLevelWithChild(DWORD pid, int childId)
{
    for (HWND h : vt::TopLevelWindows(pid)) {
        HWND c = ::GetDlgItem(h, childId);
        if (c && ::IsWindowVisible(c))
            return h;
    }
    return nullptr;
}

HWND PleaseWait(DWORD pid) { return TopLevelWithChild(pid, IDC_STATIC_PLEASE_WAIT); }
HWND Prompt(DWORD pid) { return TopLevelWithChild(pid, IDC_STATIC_PROMPT); }

// Whether a please-wait dialog of pid exists, shown or not yet: one whose
// check ends while it is being made never shows.
bool PleaseWaitExists(DWORD pid)
{
    struct Ctx { DWORD pid; bool found; } ctx{pid, false};
    ::EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(l);
            DWORD p = 0;
            ::GetWindowThreadProcessId(h, &p);
            if (p == c->pid && ::GetDlgItem(h, IDC_STATIC_PLEASE_WAIT))
                c->found = true;
            return !c->found;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// Waits for the please-wait dialog to come and go; the moment it was gone.
double WaitPleaseWaitClosed(DWORD pid, DWORD timeoutMs)
{
    const double end = bench::NowMs() + timeoutMs;
    bool seen = false;
    while (bench::NowMs() < end) {
        bool now = PleaseWaitExists(pid);
        if (now)
            seen = true;
        else if (seen)
            return bench::NowMs();
        ::Sleep(bench::kPollMs);
    }
    return -1;
}

// Answers every sent message and has nothing left to paint.
bool Settle(HWND main, DWORD timeoutMs = 3000)
{
    return vt::WaitFor(
        [&] {
            DWORD_PTR r = 0;
            return ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r) && bench::Painted(main);
        },
        timeoutMs, 10);
}

// Started, host check passed, nothing in the way of the user.
HWND StartReady(vt::CVelmoraRun& run)
{
    if (!run.Start())
        return nullptr;
    HWND main = run.WaitReady();
    return main && NoPromptWithin(run, 300) && Settle(main) ? main : nullptr;
}

// ---- stand-ins alongside each round -------------------------------------------

// At most 80 bytes of a command's output, as readable text.
std::string Excerpt(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < 80; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 0x20 || c >= 0x7f)
            out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else
            out += static_cast<char>(c);
    }
    return bytes.size() > 80 ? out + "..." : out;
}

// One timed run of a stand-in through cmd; false with why set when it could
// not be started or its output is not the expected answer.
bool TimeStandin(const char* name, const std::wstring& command, const std::wstring& currentDir,
                 bool (*answered)(const std::string&), int round, double* ms, std::string* why)
{
    std::string out;
    DWORD code = 0;
    *ms = bench::TimeThroughCmd(command, currentDir, &out, &code);
    if (*ms >= 0 && answered(out))
        return true;
    *why = std::string(name) + " stand-in, round " + std::to_string(round + 1) + ": " +
           (*ms < 0 ? "cmd could not be started (error " + std::to_string(::GetLastError()) + ")"
                    : "cmd ended with " + std::to_string(code) + " after " + Num(*ms, 0) + " ms and printed " +
                          std::to_string(out.size()) + " bytes \"" + Excerpt(out) + "\"");
    return false;
}

bool ModelAnswered(const std::string& out)
{
    return out.find("Version=KESTRA Q5 31XRV05") != std::string::npos;
}

// The stand-ins run through cmd the way the tool runs them, from folders of
// their own. Each round of the program is timed with one run of its stand-in
// right before it, so the stand-in's samples are spread over the whole run
// like the rounds: a load spike moves one sample, not the whole figure.
class CStandins {
public:
    CStandins() : m_folders(L"bench-standins")
    {
        vt::WriteFileBytes(m_folders.ProgramDir() + L"\\devcon-output.txt", kDevconDisabled);
        m_query = L"\"" + vt::SystemWmicPath() + L"\" csproduct list full";
        m_disable = DevconCommand(m_folders.ProgramDir(), EDeviceVerb::Disable, kListedId);
    }
    // One timed run each; negative, with Why() saying why, when it could not be timed.
    double Wmic(int round)
    {
        // The wmic stand-in answers from the folder named here, as for the program.
        ::SetEnvironmentVariableW(L"VELMORA_WMIC_DIR", m_folders.StandinDir().c_str());
        double ms = -1;
        return TimeStandin("wmic", m_query, L"", ModelAnswered, round, &ms, &m_why) ? ms : -1;
    }
    double Devcon(int round)
    {
        double ms = -1;
        return TimeStandin("devcon", m_disable, m_folders.ProgramDir(), DevconConfirmsDisable, round, &ms, &m_why) ? ms
                                                                                                               : -1;
    }
    const std::string& Why() const { return m_why; }

private:
    vt::CVelmoraRun m_folders;
    std::wstring m_query, m_disable;
    std::string m_why;
};

// ---- start-up and host check ---------------------------------------------------

struct LaunchTimes {
    double startupMs = -1;    // launch -> shown and painted
    double visibleMs = -1;    // launch -> visible
    double idleMs = -1;       // launch -> first waits for input
    double hostCheckMs = -1;  // shown -> please-wait closed, the check passed
    double wmicMs = -1;       // the wmic stand-in right before
    double cpuMs = -1;        // the CPU its threads had used once painted
    std::string why;          // why the host check was not timed
};

// Visible and painted of a started process, in ms after start, and the CPU
// it had used by then: the work done, which other load on the machine
// delays but does not add to.
void WatchStart(const vt::CProcess& p, double start, const std::wstring& title, LaunchTimes* t, HWND* main)
{
    double visible = -1;
    const double painted = bench::WaitShownAndPainted(p.Pid(), title, 15000, main, &visible);
    if (painted < 0)
        return;
    t->startupMs = painted - start;
    t->visibleMs = visible - start;
    t->cpuMs = bench::CpuMs(p.Handle());
}

// Its first idle moment, in ms after start, once it has come.
void TakeIdle(bench::CFirstIdle& idle, double start, LaunchTimes* t)
{
    const double idleAt = idle.Wait(5000);
    if (idleAt >= 0)
        t->idleMs = idleAt - start;
}

LaunchTimes LaunchVelmora(int index, const Build& build, CStandins& standins)
{
    LaunchTimes t;
    vt::CVelmoraRun run(L"bench-start-" + std::to_wstring(index) + build.folderSuffix);
    run.AddListedDevice();
    if (!UseBuild(run, build))
        return t;
    t.wmicMs = standins.Wmic(index);
    const double start = bench::NowMs();
    if (!run.Start())
        return t;
    // Nothing it started outlives the round, however the round ends.
    struct SEndDescendants {
        DWORD pid;
        ~SEndDescendants() { bench::EndDescendants(pid); }
    } endDescendants{run.Process().Pid()};
    bench::CFirstIdle idle(run.Process().Handle());
    HWND main = nullptr;
    WatchStart(run.Process(), start, L"Velmora", &t, &main);
    if (t.startupMs < 0)
        return t;
    const double closed = WaitPleaseWaitClosed(run.Process().Pid(), 15000);
    // Code 1: the window stays, no prompt follows.
    if (closed < 0)
        t.why = "round " + std::to_string(index) + ": the please-wait dialog came and went between two looks";
    else if (!NoPromptWithin(run, 500) || !run.Process().Running())
        t.why = "round " + std::to_string(index) + ": a prompt came or the program ended";
    else
        t.hostCheckMs = closed - (start + t.visibleMs);
    TakeIdle(idle, start, &t);
    return t;
}

// A reference program of bin/bench: the bare dialog ("Bare") or the
// designed floor ("Designed").
LaunchTimes LaunchReference(const wchar_t* exe, const wchar_t* title)
{
    LaunchTimes t;
    const std::wstring dir = vt::BinDir() + L"\\bench";
    vt::CProcess p;
    const double start = bench::NowMs();
    if (p.Start(dir + L"\\" + exe, L"", dir)) {
        bench::CFirstIdle idle(p.Handle());
        WatchStart(p, start, title, &t, nullptr);
        TakeIdle(idle, start, &t);
    }
    p.Kill();
    return t;
}

LaunchTimes LaunchBare() { return LaunchReference(L"BareDialog.exe", L"Bare"); }
LaunchTimes LaunchDesigned() { return LaunchReference(L"DesignedFloor.exe", L"Designed"); }

// The launches of one build (or of the bare dialog), and of it under the
// bench as debugger for the loader.
struct Launches {
    const Build* build;   // null: the bare dialog
    std::vector<LaunchTimes> rounds;
    std::vector<bench::LoaderLaunch> loader;
};

// A member's values over launches, where it was measured.
template <class T>
std::vector<double> Values(const std::vector<T>& v, double T::*f)
{
    std::vector<double> out;
    for (const T& t : v)
        if (t.*f >= 0)
            out.push_back(t.*f);
    return out;
}

// The spans between two moments over launches, where both were measured.
std::vector<double> Spans(const std::vector<bench::LoaderLaunch>& v, double bench::LoaderLaunch::*from,
                          double bench::LoaderLaunch::*to)
{
    std::vector<double> out;
    for (const bench::LoaderLaunch& x : v)
        if (x.*from >= 0 && x.*to >= 0)
            out.push_back(x.*to - x.*from);
    return out;
}

bench::LoaderLaunch LoaderVelmora(int index, const Build& build)
{
    vt::CVelmoraRun run(L"bench-loader-" + std::to_wstring(index) + build.folderSuffix);
    if (!UseBuild(run, build))
        return {};
    // What CVelmoraRun::Start gives the program, through this process's environment.
    ::SetEnvironmentVariableW(L"VELMORA_WMIC_DIR", run.StandinDir().c_str());
    ::SetEnvironmentVariableW(L"VELMORA_FEEDBACK_DIR", run.FeedbackDir().c_str());
    bench::LoaderLaunch l = bench::LaunchUnderDebugger(run.ProgramDir() + L"\\Velmora.exe", run.ProgramDir(),
                                                       L"Velmora", 15000);
    ::SetEnvironmentVariableW(L"VELMORA_FEEDBACK_DIR", nullptr);
    return l;
}

bench::LoaderLaunch LoaderBare()
{
    const std::wstring dir = vt::BinDir() + L"\\bench";
    return bench::LaunchUnderDebugger(dir + L"\\BareDialog.exe", dir, L"Bare", 15000);
}

// "a | b" of two medians.
std::string Pair(const std::vector<double>& a, const std::vector<double>& b)
{
    return Num(bench::Median(a)) + " | " + Num(bench::Median(b));
}

// Where the start-up goes, for the build and the bare dialog side by side.
std::vector<std::string> StartupBreakdown(const Launches& l, const Launches& bare)
{
    std::vector<std::string> out;
    out.push_back("from outside, medians of " + std::to_string(kRepeats) + ", Velmora | bare dialog, ms after launch: " +
                  "window visible " + Pair(Values(l.rounds, &LaunchTimes::visibleMs), Values(bare.rounds, &LaunchTimes::visibleMs)) +
                  ", painted " + Pair(Values(l.rounds, &LaunchTimes::startupMs), Values(bare.rounds, &LaunchTimes::startupMs)) +
                  ", first idle (WaitForInputIdle) " +
                  Pair(Values(l.rounds, &LaunchTimes::idleMs), Values(bare.rounds, &LaunchTimes::idleMs)) +
                  "; CPU used by then (thread times, 10 ms ticks) " +
                  Pair(Values(l.rounds, &LaunchTimes::cpuMs), Values(bare.rounds, &LaunchTimes::cpuMs)) + " ms");
    using bench::LoaderLaunch;
    auto init = [](const std::vector<LoaderLaunch>& v) { return Spans(v, &LoaderLaunch::loaderMs, &LoaderLaunch::visibleMs); };
    auto paint = [](const std::vector<LoaderLaunch>& v) { return Spans(v, &LoaderLaunch::visibleMs, &LoaderLaunch::paintedMs); };
    std::string why;
    for (const Launches* x : {&l, &bare})
        for (const bench::LoaderLaunch& d : x->loader)
            if (!d.why.empty() && why.empty())
                why = d.why;
    if (l.loader.empty() || bare.loader.empty() || !why.empty()) {
        out.push_back("loader and init not split: " + (why.empty() ? std::string("no launch under the debugger") : why));
        return out;
    }
    const bench::LoaderLaunch& first = l.loader.front();
    auto names = [](const std::vector<std::wstring>& v) {
        std::string out;
        for (const std::wstring& n : v)
            out += (out.empty() ? "" : ", ") + vt::Utf8(n);
        return out.empty() ? std::string("nothing") : out;
    };
    out.push_back("under the bench as debugger (" + std::to_string(l.loader.size()) +
                  " launches each, medians), Velmora | bare dialog: loader (launch to the loader's breakpoint, " +
                  std::to_string(first.importDlls) + " | " + std::to_string(bare.loader.front().importDlls) +
                  " images mapped) " + Pair(Values(l.loader, &bench::LoaderLaunch::loaderMs), Values(bare.loader, &bench::LoaderLaunch::loaderMs)) +
                  " ms, init (breakpoint to window visible) " + Pair(init(l.loader), init(bare.loader)) +
                  " ms, paint (visible to painted) " + Pair(paint(l.loader), paint(bare.loader)) + " ms");
    std::vector<std::wstring> moreImports;
    for (const std::wstring& n : first.importNames)
        if (std::find(bare.loader.front().importNames.begin(), bare.loader.front().importNames.end(), n) ==
            bare.loader.front().importNames.end())
            moreImports.push_back(n);
    out.push_back("mapped before the breakpoint by Velmora, not by the bare dialog: " + names(moreImports));
    out.push_back("mapped after the breakpoint, before the window is painted: Velmora " + names(first.laterDlls) +
                  " | bare dialog " + names(bare.loader.front().laterDlls));
    return out;
}

// The program against the designed floor, launched in the same rounds.
void ReportDesigned(const Launches& l, const std::vector<LaunchTimes>& designed)
{
    const std::string name = "startup_ratio_designed" + l.build->nameSuffix;
    const std::vector<double> v = Values(l.rounds, &LaunchTimes::startupMs), d = Values(designed, &LaunchTimes::startupMs);
    if (v.size() != kRepeats || d.size() != kRepeats) {
        Failed(name, "<=1.15", "Velmora painted " + std::to_string(v.size()) + " of 9 times, the designed floor " +
                                   std::to_string(d.size()));
        return;
    }
    const double ratio = bench::Median(v) / bench::Median(d);
    Report({name, Num(ratio, 2), "<=1.15", ratio <= 1.15,
            {"launch to shown and painted, medians of 9: Velmora " + Num(bench::Median(v)) +
                 " ms, designed floor (bench/DesignedFloor.cpp: the bare dialog's window and picture, winhttp "
                 "loaded before it shows, the agreement in a read-only rich edit of the agreement box's size and "
                 "place, a check box, a line of Chinese text) " + Num(bench::Median(d)) + " ms",
             "window visible " + Pair(Values(l.rounds, &LaunchTimes::visibleMs), Values(designed, &LaunchTimes::visibleMs)) +
                 ", CPU used by the time it was painted (10 ms ticks) " +
                 Pair(Values(l.rounds, &LaunchTimes::cpuMs), Values(designed, &LaunchTimes::cpuMs)) +
                 " ms, Velmora | designed floor"}});
}

void ReportStartup(const Launches& l, const Launches& bare)
{
    const std::string name = "startup_ratio" + l.build->nameSuffix;
    const std::vector<double> v = Values(l.rounds, &LaunchTimes::startupMs), b = Values(bare.rounds, &LaunchTimes::startupMs);
    if (v.size() != kRepeats || b.size() != kRepeats) {
        Failed(name, "<=1.3", "Velmora painted " + std::to_string(v.size()) + " of 9 times, the bare dialog " +
                                  std::to_string(b.size()));
        return;
    }
    const double ratio = bench::Median(v) / bench::Median(b);
    std::vector<std::string> details{"launch to shown and painted, medians of 9: Velmora " + Num(bench::Median(v)) +
                                     " ms, bare dialog with one 800x500 PNG " + Num(bench::Median(b)) + " ms"};
    for (const std::string& d : StartupBreakdown(l, bare))
        details.push_back(d);
    Report({name, Num(ratio, 2), "<=1.3", ratio <= 1.3, details});
}

void ReportHostCheck(const Launches& l, const std::string& standinWhy)
{
    const std::string name = "hostcheck_overhead_ms" + l.build->nameSuffix;
    const std::vector<double> checks = Values(l.rounds, &LaunchTimes::hostCheckMs), wmic = Values(l.rounds, &LaunchTimes::wmicMs);
    std::string why = standinWhy;
    for (const LaunchTimes& t : l.rounds)
        if (!t.why.empty())
            why += (why.empty() ? "" : "; ") + t.why;
    // A round or two may go untimed (see PleaseWaitExists); more is a fault.
    if (checks.size() < kRepeats - 2 || wmic.size() != kRepeats) {
        Failed(name, "<=50",
               "host check passed " + std::to_string(checks.size()) + " of 9 times, its stand-in timed " +
                   std::to_string(wmic.size()) + " of 9 times" + (why.empty() ? "" : " (" + why + ")"));
        return;
    }
    const std::string of = std::to_string(checks.size()) + " of 9" + (why.empty() ? "" : " (" + why + ")");
    const double overhead = bench::Median(checks) - bench::Median(wmic) - kStartChecksDelayMs;
    Report({name, Num(overhead), "<=50", overhead <= 50,
            {"main window visible to please-wait closed with code 1, median of " + of + ": " +
                 Num(bench::Median(checks)) + " ms",
             "minus the wmic stand-in through cmd, timed right before each of the 9 rounds (median): " +
                 Num(bench::Median(wmic)) + " ms",
             "minus the designed " + Num(kStartChecksDelayMs, 0) + " ms one-shot timer before the check starts"}});
}

// Runs each of the given measurements once a round, in an order that turns by
// one each round. What one leaves behind is still being torn down by other
// processes for a while (an ended program's windows and server state, a closed
// prompt's windows); in a fixed order the same measurement would always pay
// for the same predecessor.
void Rounds(int first, int last, const std::vector<std::function<void(int)>>& each)
{
    const size_t n = each.size();
    for (int i = first; i <= last; ++i)
        for (size_t k = 0; k < n; ++k) {
            each[(static_cast<size_t>(i) + k) % n](i);
            ::Sleep(250);   // most of that teardown, before the next one
        }
}

void StartupAndHostCheck(CStandins& standins)
{
    std::vector<Launches> builds{{&kThisBuild, {}, {}}};
    if (Comparing())
        builds.push_back({&g_other, {}, {}});
    Launches bare{nullptr, {}, {}};
    std::vector<LaunchTimes> designed;
    std::vector<std::function<void(int)>> launches;
    for (Launches& l : builds)
        launches.push_back([&](int i) {
            LaunchTimes t = LaunchVelmora(i, *l.build, standins);
            if (i > 0)   // round 0 warms wine's and the disk's caches
                l.rounds.push_back(t);
        });
    launches.push_back([&](int i) {
        LaunchTimes t = LaunchBare();
        if (i > 0)
            bare.rounds.push_back(t);
    });
    if (Wanted("startup_ratio"))
        launches.push_back([&](int i) {
            LaunchTimes t = LaunchDesigned();
            if (i > 0)
                designed.push_back(t);
        });
    Rounds(0, kRepeats, launches);
    if (Wanted("startup_ratio")) {
        std::vector<std::function<void(int)>> loaders;
        for (Launches& l : builds)
            loaders.push_back([&](int i) { l.loader.push_back(LoaderVelmora(i, *l.build)); });
        loaders.push_back([&](int) { bare.loader.push_back(LoaderBare()); });
        Rounds(1, 5, loaders);
    }
    for (const Launches& l : builds) {
        if (Wanted("startup_ratio")) {
            ReportStartup(l, bare);
            ReportDesigned(l, designed);
        }
        if (Wanted("hostcheck_overhead_ms"))
            ReportHostCheck(l, standins.Why());
    }
}

// ---- idle, objects and repair in one ready program -----------------------------

std::string ThreadsUsed(const std::map<DWORD, double>& before, const std::map<DWORD, double>& after)
{
    std::string out;
    for (const auto& t : after) {
        auto b = before.find(t.first);
        const double used = t.second - (b == before.end() ? 0 : b->second);
        if (used > 0)
            out += (out.empty() ? "" : ", ") + ("thread " + std::to_string(t.first) + " " + Num(used, 0) + " ms");
    }
    return out.empty() ? "none" : out;
}

// What the window thread has in focus, and whether a caret blinks there.
std::string FocusState(vt::CVelmoraRun& run)
{
    HWND main = run.Main();
    const DWORD tid = main ? ::GetWindowThreadProcessId(main, nullptr) : 0;
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    if (!tid || !::GetGUIThreadInfo(tid, &gi))
        return "window thread state unknown";
    return "window thread " + std::to_string(tid) + ", focus " +
           (gi.hwndFocus ? vt::Utf8(vt::ClassOf(gi.hwndFocus)) + " id " + std::to_string(::GetDlgCtrlID(gi.hwndFocus))
                         : std::string("none")) +
           ", caret " + (gi.hwndCaret ? (gi.flags & GUI_CARETBLINKING ? "blinking" : "shown") : "none");
}

// The Linux side of scripts/bench watches for these markers in the run's
// folder and answers with the scheduler's exact run time of the program's
// threads (Windows thread times under wine come in 10 ms ticks).
bool Marker(const std::wstring& dir, const wchar_t* name, DWORD waitForAnswerMs, const wchar_t* answer,
            std::string* answerText)
{
    vt::WriteFileBytes(dir + L"\\" + name, "1");
    if (!answer)
        return true;
    const std::wstring path = dir + L"\\" + answer;
    if (!vt::WaitFor([&] { return vt::PathExists(path); }, waitForAnswerMs, bench::kPollMs))
        return false;
    ::Sleep(20);   // written in one go, but let the writer finish
    if (answerText)
        *answerText = vt::ReadFileBytes(path);
    return true;
}

long long Field(const std::string& text, const std::string& key)
{
    size_t p = text.find(key + "=");
    return p == std::string::npos ? -1 : std::atoll(text.c_str() + p + key.size() + 1);
}

void Idle(vt::CVelmoraRun& run)
{
    // The bare dialog idles over the same 10 s: what wine itself costs an idle window.
    const std::wstring bareDir = vt::BinDir() + L"\\bench";
    vt::CProcess bare;
    const bool bareUp = bare.Start(bareDir + L"\\BareDialog.exe", L"", bareDir) &&
                        bench::WaitShownAndPainted(bare.Pid(), L"Bare", 15000, nullptr, nullptr) >= 0;
    POINT pointer{};
    ::GetCursorPos(&pointer);
    HWND under = ::WindowFromPoint(pointer);
    const std::string pointerText =
        "pointer at " + std::to_string(pointer.x) + "," + std::to_string(pointer.y) + " over " +
        (under ? vt::Utf8(vt::ClassOf(under)) + " id " + std::to_string(::GetDlgCtrlID(under)) : "nothing");
    ::Sleep(500);

    const bool watched = Marker(run.Root(), L"idle-begin", 3000, L"idle-begin-seen", nullptr);
    std::map<DWORD, double> threadsBefore, threadsAfter;
    const double before = bench::ThreadCpuMs(run.Process().Pid(), &threadsBefore);
    const double bareBefore = bareUp ? bench::CpuMs(bare.Handle()) : -1;
    ::Sleep(10000);
    const double after = bench::ThreadCpuMs(run.Process().Pid(), &threadsAfter);
    const double bareAfter = bareUp ? bench::CpuMs(bare.Handle()) : -1;
    std::string exact;
    const bool answered = watched && Marker(run.Root(), L"idle-end", 3000, L"idle-linux.txt", &exact);
    bare.Kill();
    if (!run.Process().Running() || before < 0 || after < 0) {
        Failed("idle_cpu_ms", "<=20", "the program ended or its CPU time cannot be read");
        return;
    }
    const long long runNs = answered ? Field(exact, "runtime_ns") : -1, wakeups = answered ? Field(exact, "wakeups") : -1;
    const long long bareNs = answered ? Field(exact, "bare_runtime_ns") : -1;
    const double used = runNs >= 0 ? runNs / 1e6 : after - before;
    std::vector<std::string> details{
        runNs >= 0 ? "scheduler run time of the program's threads over 10 s in the ready state, " + std::to_string(wakeups) +
                         " times scheduled"
                   : "thread times (10 ms ticks) over 10 s in the ready state; the exact figure was not available",
        "thread times: " + Num(after - before, 0) + " ms (" + ThreadsUsed(threadsBefore, threadsAfter) + "); " +
            FocusState(run),
        pointerText,
        "the bare dialog over the same 10 s: " +
            (bareNs >= 0 ? Num(bareNs / 1e6) + " ms, " + std::to_string(Field(exact, "bare_wakeups")) + " times scheduled"
                         : bareBefore >= 0 && bareAfter >= 0 ? Num(bareAfter - bareBefore) + " ms (ticks)" : std::string("n/a"))};
    Report({"idle_cpu_ms", Num(used), "<=20", used <= 20, details});
}

// Hover, press and leave without a click: the release lands outside the button.
void HoverPressLeave(HWND button)
{
    RECT rc;
    ::GetClientRect(button, &rc);
    const LPARAM inside = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    const LPARAM outside = MAKELPARAM(static_cast<WORD>(-20), static_cast<WORD>(-20));
    DWORD_PTR r = 0;
    auto send = [&](UINT msg, WPARAM w, LPARAM l) {
        ::SendMessageTimeoutW(button, msg, w, l, SMTO_ABORTIFHUNG, 2000, &r);
    };
    send(WM_MOUSEMOVE, 0, inside);
    send(WM_MOUSEHOVER, 0, inside);
    send(WM_LBUTTONDOWN, MK_LBUTTON, inside);
    send(WM_MOUSEMOVE, MK_LBUTTON, outside);
    send(WM_LBUTTONUP, 0, outside);
    send(WM_MOUSELEAVE, 0, 0);
}

void Exercise(HWND main, int hoverCycles, int resizes, int minimiseCycles)
{
    const int buttons[] = {IDC_BTN_CLOSE, IDC_BTN_MIN, IDC_BTN_START, IDC_CHK_AGREE};
    for (int id : buttons) {
        HWND b = ::GetDlgItem(main, id);
        for (int i = 0; i < hoverCycles; ++i) {
            HoverPressLeave(b);
            if (i % 20 == 19)
                Settle(main);   // let the paints through now and then
        }
        Settle(main);
    }
    RECT rc;
    ::GetWindowRect(main, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    for (int i = 0; i < resizes; ++i) {
        const int d = (i % 2 == 0) ? 40 : 0;
        ::SetWindowPos(main, nullptr, 0, 0, w + d, h + d, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Settle(main);
    }
    ::SetWindowPos(main, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Settle(main);
    for (int i = 0; i < minimiseCycles; ++i) {
        ::PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        vt::WaitFor([&] { return ::IsIconic(main) != FALSE; }, 3000, bench::kPollMs);
        ::PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
        vt::WaitFor([&] { return !::IsIconic(main); }, 3000, bench::kPollMs);
        Settle(main);
    }
}

void GuiObjects(vt::CVelmoraRun& run, HWND main)
{
    std::wstring selfCheck;
    if (!vt::GuiCountingWorks(&selfCheck)) {
        Failed("gdi_growth", "0", "the object count does not follow a brush and a window: " + vt::Utf8(selfCheck));
        return;
    }
    // One round of everything first: images load on first use, the check box
    // keeps its paint buffer from its first paint on.
    Exercise(main, 1, 2, 1);
    ::Sleep(300);
    Settle(main);
    const vt::GuiObjects before = vt::CountGuiObjects(run.Process().Handle(), run.Process().Pid());
    Exercise(main, 200, 50, 20);
    ::Sleep(300);
    Settle(main);
    const vt::GuiObjects after = vt::CountGuiObjects(run.Process().Handle(), run.Process().Pid());
    if (!before.counted || !after.counted || !run.Process().Running()) {
        Failed("gdi_growth", "0", "the program's objects cannot be counted (or it ended)");
        return;
    }
    const long gdi = after.gdi - before.gdi, user = after.user - before.user;
    const bool checked = ::SendMessageW(::GetDlgItem(main, IDC_CHK_AGREE), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const std::string state = std::string("afterwards the box is ") + (checked ? "ticked" : "NOT ticked") +
                              ", the start button " + (::IsWindowEnabled(::GetDlgItem(main, IDC_BTN_START)) ? "enabled" : "DISABLED") +
                              ", the window " + (::IsWindowEnabled(main) ? "enabled" : "DISABLED") +
                              (::IsIconic(main) ? ", minimised" : "");
    Report({"gdi_growth", std::to_string(gdi + user), "0", gdi == 0 && user == 0,
            {"after 200 hover/press/leave cycles on each of 4 buttons, 50 resizes, 20 minimise/restore cycles:",
             "GDI " + std::to_string(before.gdi) + " -> " + std::to_string(after.gdi) + ", USER " +
                 std::to_string(before.user) + " -> " + std::to_string(after.user) + " (" + vt::Utf8(after.how) + ")",
             "counting checked on the driver itself: " + vt::Utf8(selfCheck), state}});
}

// The repair rounds of one ready program: start click until the restart
// question shows; "否" keeps the program for the next round.
struct RepairRounds {
    const Build* build;
    vt::CVelmoraRun* run;
    HWND main;
    std::vector<double> times, devcon, toWait, waiting, toPrompt;
    std::string stop;   // why the rounds ended early
};

// counted: false for the round that warms the caches.
void RepairRound(RepairRounds& r, int round, CStandins& standins)
{
    const bool counted = round > 0;
    HWND main = r.main;
    vt::CVelmoraRun& run = *r.run;
    const DWORD pid = run.Process().Pid();
    HWND start = ::GetDlgItem(main, IDC_BTN_START);
    if (!vt::WaitFor([&] { return ::IsWindowEnabled(main) && ::IsWindowEnabled(start) && !PleaseWait(pid); }, 5000)) {
        const bool ticked = ::SendMessageW(::GetDlgItem(main, IDC_CHK_AGREE), BM_GETCHECK, 0, 0) == BST_CHECKED;
        r.stop = std::string("the start button did not become usable again: window ") +
                 (::IsWindowEnabled(main) ? "enabled" : "disabled") + ", button " +
                 (::IsWindowEnabled(start) ? "enabled" : "disabled") + ", box " + (ticked ? "ticked" : "not ticked") +
                 (PleaseWait(pid) ? ", please-wait shown" : "") + (Prompt(pid) ? ", a prompt shown" : "") +
                 (run.Process().Running() ? "" : ", the program has ended");
        return;
    }
    // Its stand-in right before the round, as the program will run it.
    const double devcon = standins.Devcon(round);
    if (devcon < 0) {
        r.stop = "devcon stand-in not timed: " + standins.Why();
        return;
    }
    Settle(main);
    const double t0 = bench::NowMs();
    if (!vt::Click(start)) {
        r.stop = "the start button could not be clicked";
        return;
    }
    HWND prompt = nullptr;
    double shown = -1, waitShown = -1, waitGone = -1;
    const double end = t0 + 20000;
    while (bench::NowMs() < end) {
        const bool waiting = PleaseWait(pid) != nullptr;
        if (waiting && waitShown < 0)
            waitShown = bench::NowMs();
        if (!waiting && waitShown >= 0 && waitGone < 0)
            waitGone = bench::NowMs();
        if ((prompt = Prompt(pid)) != nullptr) {
            shown = bench::NowMs();
            break;
        }
        ::Sleep(bench::kPollMs);
    }
    if (!prompt) {
        r.stop = "no prompt within 20 s";
        return;
    }
    const std::wstring text = run.PromptText(prompt);
    if (text != GetFlowText(FlowText::RestartQuestion)) {
        r.stop = "the prompt said \"" + vt::Utf8(text) + "\"";
        return;
    }
    if (counted) {
        r.times.push_back(shown - t0);
        r.devcon.push_back(devcon);
        if (waitShown >= 0 && waitGone >= 0) {
            r.toWait.push_back(waitShown - t0);
            r.waiting.push_back(waitGone - waitShown);
            r.toPrompt.push_back(shown - waitGone);
        }
    }
    if (!vt::WaitFor([&] { return run.Answer(prompt, IDC_BTN_PROMPT_SECOND); }, 3000) ||
        !vt::WaitFor([&] { return !Prompt(pid); }, 5000))
        r.stop = "the restart question could not be answered";
}

void ReportRepair(const RepairRounds& r)
{
    const std::string name = "repair_overhead_ms" + r.build->nameSuffix;
    if (r.times.size() != kRepeats) {
        Failed(name, "<=50", "the restart question came " + std::to_string(r.times.size()) + " of 9 times (" + r.stop + ")");
        return;
    }
    const double total = bench::Median(r.times), devcon = bench::Median(r.devcon), overhead = total - devcon;
    Report({name, Num(overhead), "<=50", overhead <= 50,
            {"start click to restart question visible, median of 9: " + Num(total) + " ms",
             "minus the devcon stand-in through cmd, timed right before each of the 9 rounds (median): " + Num(devcon) +
                 " ms",
             "medians: click to please-wait shown " + Num(bench::Median(r.toWait)) + " ms, please-wait shown " +
                 Num(bench::Median(r.waiting)) + " ms, please-wait gone to question shown " +
                 Num(bench::Median(r.toPrompt)) + " ms"}});
}

// Started from the run's folder with a listed device and a devcon stand-in
// that confirms the disabling, host check passed, nothing in the way.
HWND StartReadyBuild(vt::CVelmoraRun& run, const Build& build)
{
    run.AddListedDevice();
    vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt", kDevconDisabled);
    return UseBuild(run, build) ? StartReady(run) : nullptr;
}

void ReadyProgram(CStandins& standins)
{
    if (!Wanted("idle_cpu_ms") && !Wanted("gdi_growth") && !Wanted("repair_overhead_ms"))
        return;
    vt::CVelmoraRun run(L"bench-ready");
    HWND main = StartReadyBuild(run, kThisBuild);
    if (!main) {
        for (const char* n : {"idle_cpu_ms", "gdi_growth", "repair_overhead_ms"})
            if (Wanted(n))
                Failed(n, n[0] == 'g' ? "0" : n[0] == 'i' ? "<=20" : "<=50", "the program did not reach the ready state");
    } else {
        if (Wanted("idle_cpu_ms"))
            Idle(run);
        if (Wanted("gdi_growth"))
            GuiObjects(run, main);
    }
    if (!Wanted("repair_overhead_ms"))
        return;
    // The other build is started only now, so the idle figure is taken with
    // one program running. Their repair rounds alternate.
    std::vector<RepairRounds> builds;
    if (main)
        builds.push_back({&kThisBuild, &run, main});
    std::optional<vt::CVelmoraRun> other;
    if (Comparing()) {
        other.emplace(L"bench-ready" + g_other.folderSuffix);
        if (HWND otherMain = StartReadyBuild(*other, g_other))
            builds.push_back({&g_other, &*other, otherMain});
        else
            Failed("repair_overhead_ms" + g_other.nameSuffix, "<=50", "the other build did not reach the ready state");
    }
    // The first repair warms the caches; the order turns each round, as for the launches.
    std::vector<std::function<void(int)>> rounds;
    for (RepairRounds& r : builds)
        rounds.push_back([&](int i) {
            if (r.stop.empty())
                RepairRound(r, i, standins);
        });
    Rounds(0, kRepeats, rounds);
    for (const RepairRounds& r : builds)
        ReportRepair(r);
}

// ---- log writer ----------------------------------------------------------------

const int kLogThreads = 8, kLogEntries = 1000;

std::string LogMessageFor(int thread, int entry)
{
    return "写入测试 thread " + std::to_string(thread) + " entry " + std::to_string(entry);
}

struct LogJob {
    CLogSaveCloseFile* writer;
    int thread;
    HANDLE go;
};

DWORD WINAPI LogThread(LPVOID p)
{
    auto* job = static_cast<LogJob*>(p);
    ::WaitForSingleObject(job->go, INFINITE);
    for (int i = 0; i < kLogEntries; ++i)
        job->writer->SaveText(LogMessageFor(job->thread, i), "bench.txt");
    return 0;
}

// Every line: a stamp of the fixed layout, then one of the expected messages,
// each exactly once, and nothing else in the file.
bool AllLinesWhole(const std::string& bytes, std::string* why)
{
    std::set<std::string> expected;
    for (int t = 0; t < kLogThreads; ++t)
        for (int i = 0; i < kLogEntries; ++i)
            expected.insert(Utf8ToCodePage936(LogMessageFor(t, i)));
    size_t pos = 0, lines = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find("\r\n", pos);
        if (end == std::string::npos) {
            *why = "the file ends inside a line";
            return false;
        }
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 2;
        ++lines;
        if (line.size() < 30 || line[0] != '[' || line.compare(26, 4, "]   ") != 0) {
            *why = "line " + std::to_string(lines) + " has no whole stamp";
            return false;
        }
        if (expected.erase(line.substr(30)) != 1) {
            *why = "line " + std::to_string(lines) + " is torn, repeated or unknown";
            return false;
        }
    }
    if (!expected.empty()) {
        *why = std::to_string(expected.size()) + " entries are missing";
        return false;
    }
    return true;
}

void LogThroughput()
{
    if (!Wanted("log_entries_per_s"))
        return;
    const std::wstring dir = vt::ScratchDir(L"bench-log");
    CLogSaveCloseFile writer(dir + L"\\");
    CHandle go(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    LogJob jobs[kLogThreads];
    CHandle threads[kLogThreads];
    HANDLE waitFor[kLogThreads];
    for (int t = 0; t < kLogThreads; ++t) {
        jobs[t] = {&writer, t, go.Get()};
        threads[t].Reset(::CreateThread(nullptr, 0, LogThread, &jobs[t], 0, nullptr));
        waitFor[t] = threads[t].Get();
    }
    const double start = bench::NowMs();
    ::SetEvent(go.Get());
    ::WaitForMultipleObjects(kLogThreads, waitFor, TRUE, 120000);
    const double ms = bench::NowMs() - start;

    std::string why;
    const bool whole = AllLinesWhole(vt::ReadFileBytes(dir + L"\\bench.txt"), &why);
    const double rate = kLogThreads * kLogEntries / (ms / 1000.0);
    Report({"log_entries_per_s", Num(rate, 0), "all 8000 lines whole", whole,
            {std::to_string(kLogThreads) + " threads x " + std::to_string(kLogEntries) + " entries through one writer in " +
                 Num(ms, 0) + " ms; " + (whole ? std::string("all 8000 lines arrived whole, each once") : why)}});
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    long long exeBytes = -1;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a.rfind(L"--exe-bytes=", 0) == 0)
            exeBytes = std::wcstoll(a.c_str() + 12, nullptr, 10);
        else if (a.rfind(L"--compare=", 0) == 0)
            g_other.exe = a.substr(10);
        else if (a.rfind(L"--only=", 0) == 0) {
            std::string list = vt::Utf8(a.substr(7));
            size_t p = 0;
            while (p <= list.size()) {
                size_t c = list.find(',', p);
                if (c == std::string::npos)
                    c = list.size();
                g_only.insert(list.substr(p, c - p));
                p = c + 1;
            }
        }
    }

    if (Comparing() && !vt::PathExists(g_other.exe)) {
        std::fprintf(stderr, "velmora_bench: --compare: %s does not exist\n", vt::Utf8(g_other.exe).c_str());
        return 2;
    }

    vt::RemoveFakeDevices();
    CStandins standins;
    if (Wanted("startup_ratio") || Wanted("hostcheck_overhead_ms"))
        StartupAndHostCheck(standins);
    ReadyProgram(standins);
    if (Wanted("exe_bytes")) {
        if (exeBytes < 0)
            Failed("exe_bytes", "<=1572864", "no --exe-bytes given");
        else
            Report({"exe_bytes", std::to_string(exeBytes), "<=1572864", exeBytes <= 1572864,
                    {"Velmora.exe with all art, stripped (1.5 MB = 1,572,864 bytes)"}});
    }
    LogThroughput();

    // The other build's figures are there to compare with: the verdict is this build's.
    std::string missed;
    size_t counted = 0;
    for (const Figure& f : g_figures) {
        if (f.name.size() > g_other.nameSuffix.size() &&
            f.name.compare(f.name.size() - g_other.nameSuffix.size(), std::string::npos, g_other.nameSuffix) == 0)
            continue;
        ++counted;
        if (!f.met)
            missed += (missed.empty() ? "" : ", ") + f.name;
    }
    if (missed.empty())
        std::printf("verdict: all %zu targets met\n", counted);
    else
        std::printf("verdict: MISSED %s\n", missed.c_str());
    return missed.empty() ? 0 : 1;
}
