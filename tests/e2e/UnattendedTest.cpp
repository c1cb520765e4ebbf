// The real program started by a management agent: with /quiet, /detect,
// /uninstall, /?, a bad command line, or without switches where no desktop
// can be seen. Each
// ending is a row: its exit code, its line on standard output and in the log,
// what it asked of the feedback library and the device tool, the record in
// the registry, and no window of the program ever visible.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/UnattendedRules.h"
#include "base/Handles.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/RestartLogger.h"
#include "tests/support/VelmoraRun.h"

using vt::CVelmoraRun;

namespace {

const std::string kDevice =
    "PCI\\VEN_10DE&DEV_1AD8 (PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008)";
const char* const kDisabled =
    "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Disabled\r\n1 device(s) disabled.\r\n";
const char* const kEnabled =
    "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Enabled\r\n1 device(s) enabled.\r\n";
const char* const kEnabledLater =
    "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Enabled on reboot\r\nThe 1 device(s) are "
    "ready to be enabled. To enable the devices, restart the devices or reboot the system .\r\n";

// Waits for the end of the run, looking at the program's top-level windows
// every 15 ms until then; false when it did not end within the bound.
bool WaitExitWithoutWindow(CVelmoraRun& run, DWORD timeoutMs, DWORD* exitCode, bool* sawWindow)
{
    const DWORD pid = run.Process().Pid();
    const bool ended = vt::WaitFor(
        [&] {
            if (!vt::TopLevelWindows(pid).empty())
                *sawWindow = true;
            return !run.Process().Running();
        },
        timeoutMs, 15);
    return ended && run.WaitExit(0, exitCode);
}

// The names of the library's calls, in order, space-separated.
std::string FeedbackNames(const CVelmoraRun& run)
{
    std::string names;
    for (const std::string& c : run.FeedbackCalls())
        names += (names.empty() ? "" : " ") + c.substr(0, c.find('|'));
    return names;
}

const wchar_t* const kRecordKey = L"SOFTWARE\\Velmora";

void DeleteRecord()
{
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, KEY_WOW64_64KEY, 0);
}

struct SRecord {
    bool present = false;
    std::wstring version, time, hardwareId, instanceId;
    DWORD exitCode = 0;
    DWORD done = 99;
};

SRecord ReadRecord()
{
    SRecord r;
    CRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_READ | KEY_WOW64_64KEY, key.Out()) != ERROR_SUCCESS)
        return r;
    r.present = true;
    for (const auto& [name, value] : {std::make_pair(L"Version", &r.version), std::make_pair(L"Time", &r.time),
                                      std::make_pair(L"HardwareId", &r.hardwareId),
                                      std::make_pair(L"InstanceId", &r.instanceId)}) {
        wchar_t buf[512] = {};
        DWORD size = sizeof(buf) - sizeof(wchar_t);
        ::RegGetValueW(key.Get(), nullptr, name, RRF_RT_REG_SZ, nullptr, buf, &size);
        *value = buf;
    }
    for (const auto& [name, value] : {std::make_pair(L"ExitCode", &r.exitCode), std::make_pair(L"Done", &r.done)}) {
        DWORD size = sizeof(*value);
        ::RegGetValueW(key.Get(), nullptr, name, RRF_RT_REG_DWORD, nullptr, value, &size);
    }
    return r;
}

// The PC's first-time setup still running, as Windows marks it, while the
// object lives.
class CFirstTimeSetup {
public:
    CFirstTimeSetup()
    {
        const DWORD one = 1;
        m_set = ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\Setup", L"OOBEInProgress", REG_DWORD, &one,
                                  sizeof(one)) == ERROR_SUCCESS;
    }
    ~CFirstTimeSetup() { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\Setup", L"OOBEInProgress"); }
    bool Set() const { return m_set; }

private:
    bool m_set = false;
};

// A window station nobody can see, as a service's or SYSTEM's in session 0,
// with a desktop to start a program on.
class CHiddenDesktop {
public:
    CHiddenDesktop()
    {
        m_station = ::CreateWindowStationW(L"VelmoraHidden", 0, WINSTA_ALL_ACCESS, nullptr);
        HWINSTA ours = ::GetProcessWindowStation();
        if (m_station && ::SetProcessWindowStation(m_station)) {
            m_desktop = ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
            ::SetProcessWindowStation(ours);
        }
    }
    ~CHiddenDesktop()
    {
        if (m_desktop)
            ::CloseDesktop(m_desktop);
        if (m_station)
            ::CloseWindowStation(m_station);
    }
    bool Made() const { return m_desktop != nullptr; }
    const wchar_t* Name() const { return L"VelmoraHidden\\Default"; }

private:
    HWINSTA m_station = nullptr;
    HDESK m_desktop = nullptr;
};

// What a row prepares.
enum EPrepare : unsigned {
    kListed = 1,          // a listed graphics function is present
    kConfirms = 2,        // the device tool confirms the disabling
    kRefuses = 4,         // it does not
    kRestart = 8,         // the restart request is recorded instead of carried out
    kOldWindows = 16,     // Windows 8.1
    kOtherModel = 32,
    kNoModel = 64,        // the model query's answer holds no model
    kNoLibrary = 128,
    kLibraryFails = 256,  // its initialisation answers 0
    kNewer = 512,         // it knows a newer tool
    kEnables = 1024,      // the device tool confirms the enabling
    kEnablesLater = 2048, // the same, from the next restart
    kSetup = 4096,        // the PC's first-time setup has not completed
    kSigned = 8192,       // a signed release
    kUnsignedTool = 16384,// with the stand-in's unsigned device tool in it
};

struct SRow {
    const wchar_t* name;
    const wchar_t* args;       // nullptr: no switches, on a desktop nobody can see
    unsigned prepare;
    DWORD code;
    std::string says;          // the result line after "Velmora <version> "
    const wchar_t* flowLine;   // the flow's own log line before it, if any ("<tool>": the device tool's path)
    const char* feedback;      // the library's calls
    DWORD done;                // the record's Done, where the run writes a record
};

void RunRows(const std::vector<SRow>& rows)
{
    for (const SRow& row : rows) {
        SCOPED_TRACE(vt::Utf8(row.name));
        CVelmoraRun run(row.name);
        DeleteRecord();
        if (row.prepare & kListed)
            run.AddListedDevice();
        if (row.prepare & (kConfirms | kRefuses | kEnables | kEnablesLater)) {
            const char* answer = row.prepare & kConfirms     ? kDisabled
                                 : row.prepare & kEnables     ? kEnabled
                                 : row.prepare & kEnablesLater ? kEnabledLater
                                                               : "No matching devices found.\r\n";
            ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt", answer));
        }
        if (row.prepare & kOtherModel)
            run.SetCsproduct("Version=KESTRA Q7 31XRV05\r\r\n");
        if (row.prepare & kNoModel)
            run.SetCsproduct("Vendor=KESTRA\r\r\n");
        if (row.prepare & kNoLibrary)
            run.RemoveFeedbackLibrary();
        if (row.prepare & kSigned)
            run.UseSignedRelease();
        if (row.prepare & kUnsignedTool) {
            ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\devcon.exe", run.ProgramDir() + L"\\devcon.exe"));
        }
        run.SetFeedbackAnswers(row.prepare & kLibraryFails ? 0 : 1, row.prepare & kNewer ? 3 : 0);
        std::unique_ptr<CHiddenDesktop> hidden;
        if (row.args) {
            run.SetArguments(row.args);
        } else {
            hidden = std::make_unique<CHiddenDesktop>();
            ASSERT_TRUE(hidden->Made());
            run.SetDesktop(hidden->Name());
        }
        if (row.prepare & kRestart) {
            ASSERT_TRUE(vt::InstallRestartLogger());
            run.SetEnv(vt::kRestartMarker, vt::RestartLogPath());
        }
        std::unique_ptr<vt::CWineVersion> windows;
        if (row.prepare & kOldWindows)
            windows = std::make_unique<vt::CWineVersion>(L"6.3", L"9600");
        std::unique_ptr<CFirstTimeSetup> setup;
        if (row.prepare & kSetup) {
            setup = std::make_unique<CFirstTimeSetup>();
            ASSERT_TRUE(setup->Set());
        }

        ASSERT_TRUE(run.Start());
        DWORD code = 99;
        bool sawWindow = false;
        ASSERT_TRUE(WaitExitWithoutWindow(run, 60000, &code, &sawWindow));
        windows.reset();
        setup.reset();
        if (row.prepare & kRestart) {
            // The logger stays until the request has reached it, or the real wineboot would get it.
            if (code == 1641)
                EXPECT_TRUE(vt::WaitFor([] { return vt::RestartLog().find("--kill") != std::string::npos; }, 30000));
            else
                EXPECT_EQ(vt::RestartLog(), "") << "a restart was requested";
            vt::RemoveRestartLogger();
        }

        EXPECT_EQ(code, row.code);
        EXPECT_FALSE(sawWindow);
        const std::string line = "Velmora 1.0.22.419 " + row.says;
        EXPECT_EQ(run.Output(), line + "\r\n");
        std::vector<std::wstring> log = run.LogLines();
        std::string logText;
        for (const std::wstring& l : log)
            logText += vt::Utf8(l) + "\n";
        ASSERT_EQ(log.size(), row.flowLine ? 2u : 1u) << logText;
        if (row.flowLine) {
            std::wstring expected = row.flowLine;
            const size_t tool = expected.find(L"<tool>");
            if (tool != std::wstring::npos)
                expected.replace(tool, 6, run.ProgramDir() + L"\\devcon.exe");
            EXPECT_EQ(vt::LogMessage(log[0]), expected);
        }
        EXPECT_EQ(vt::LogMessage(log.back()), vt::Wide(line));
        EXPECT_EQ(FeedbackNames(run), row.feedback);
        // The device tool ran for a change it confirmed or did not; the way
        // back asks it to enable.
        const bool toolRan = !(row.prepare & kUnsignedTool) && (code == 3010 || code == 1641 || code == 25 ||
                                                                 code == 28 || line.find(": enabled") != std::string::npos);
        const std::string calls = vt::ReadFileBytes(run.ProgramDir() + L"\\devcon-calls.txt");
        EXPECT_EQ(!calls.empty(), toolRan);
        if (toolRan) {
            const bool back = row.says.rfind("/uninstall", 0) == 0;
            EXPECT_NE(calls.find(back ? "\" enable \"PCI\\VEN_10DE&DEV_1AD8\"" : "\" disable \"PCI\\VEN_10DE&DEV_1AD8\""),
                      std::string::npos) << calls;
        }

        // The folder stays, and no interpreter was started that would remove
        // it (wine's restart request leaves its own helper for a moment).
        EXPECT_TRUE(vt::PathExists(run.ProgramDir() + L"\\Velmora.exe"));
        for (const std::wstring& started : vt::ProcessesStartedBy(run.Process().Pid()))
            EXPECT_NE(_wcsicmp(started.c_str(), L"cmd.exe"), 0);

        const SRecord record = ReadRecord();
        EXPECT_EQ(record.present, row.says.find("/quiet") != std::string::npos || row.says.rfind("/uninstall", 0) == 0);
        if (record.present) {
            EXPECT_EQ(record.exitCode, code);
            EXPECT_EQ(record.done, row.done);
            EXPECT_EQ(record.version, L"1.0.22.419");
            EXPECT_EQ(record.time.size(), 20u) << vt::Utf8(record.time);   // 2025-01-31T08:15:00Z
            EXPECT_EQ(record.time.back(), L'Z');
            const bool found = line.find(kDevice) != std::string::npos;
            EXPECT_EQ(record.hardwareId, found ? L"PCI\\VEN_10DE&DEV_1AD8" : L"");
            // Wine hands the instance ID out in capitals.
            EXPECT_EQ(_wcsicmp(record.instanceId.c_str(), found ? vt::kListedDeviceInstance : L""), 0)
                << vt::Utf8(record.instanceId);
        }
    }
    DeleteRecord();
}

}  // namespace

TEST(Unattended, QuietRunsEndWithTheirExitCodeLineAndRecord)
{
    const char* const opened = "InitFreedbackDll GetToolIsNewVersion";
    const char* const closed = "InitFreedbackDll GetToolIsNewVersion CustomerFeedbackEx";
    RunRows({
        {L"quiet-3010", L"/quiet", kListed | kConfirms, 3010,
         "/quiet: " + kDevice + ": disabled, a restart makes it take effect; exit code 3010", nullptr, closed, 1},
        {L"quiet-norestart", L"-QUIET /NoRestart", kListed | kConfirms, 3010,
         "/quiet: " + kDevice + ": disabled, a restart makes it take effect; exit code 3010", nullptr, closed, 1},
        {L"quiet-1641", L"/quiet /forcerestart", kListed | kConfirms | kRestart, 1641,
         "/quiet /forcerestart: " + kDevice + ": disabled, restart started; exit code 1641", nullptr, closed, 1},
        {L"quiet-setup", L"/quiet /forcerestart", kListed | kConfirms | kRestart | kSetup, 3010,
         "/quiet /forcerestart: " + kDevice +
             ": disabled, no restart during the PC's first-time setup: restart later; exit code 3010",
         nullptr, closed, 1},
        {L"no-desktop", nullptr, kListed | kConfirms, 3010,
         "no visible desktop, run as /quiet: " + kDevice + ": disabled, a restart makes it take effect; exit code 3010",
         nullptr, closed, 1},
        {L"quiet-20", L"/quiet", kListed | kOldWindows, 20,
         "/quiet: this Windows version is not supported; exit code 20", L"此工具不支持当前系统", "", 0},
        {L"quiet-21", L"/quiet", kListed | kOtherModel, 21,
         "/quiet: not one of the models this tool is for; exit code 21", L"当前机型不是指定机型", opened, 1},
        {L"quiet-22", L"/quiet", kListed | kNoModel, 22, "/quiet: the model could not be read; exit code 22",
         L"未找到机型信息", opened, 0},
        {L"quiet-24", L"/quiet", 0, 24, "/quiet: no listed graphics device is present; exit code 24",
         L"显卡硬件ID 不匹配", opened, 1},
        {L"quiet-25", L"/quiet", kListed | kRefuses, 25,
         "/quiet: " + kDevice + ": the device tool did not confirm the disabling; exit code 25", L"修复方案安装失败",
         closed, 0},
        {L"quiet-26-missing", L"/quiet", kListed | kNoLibrary, 26,
         "/quiet: the feedback library is missing or incomplete; exit code 26", L"加载反馈DLL失败", "", 0},
        {L"quiet-26-init", L"/quiet", kListed | kLibraryFails, 26,
         "/quiet: the feedback library failed to start; exit code 26", L"初始化反馈DLL失败", "InitFreedbackDll", 0},
        {L"quiet-27", L"/quiet", kListed | kNewer, 27, "/quiet: a newer version of the tool exists; exit code 27",
         nullptr, opened, 0},
    });
}

TEST(Unattended, UninstallGivesTheDeviceBackAndSaysSoInTheRecord)
{
    // No update question and no feedback event: only the library's start.
    const char* const started = "InitFreedbackDll";
    RunRows({
        {L"back-0", L"/uninstall", kListed | kEnables | kNewer, 0,
         "/uninstall: " + kDevice + ": enabled; exit code 0", nullptr, started, 0},
        {L"back-3010", L"-Uninstall /NoRestart", kListed | kEnablesLater, 3010,
         "/uninstall: " + kDevice + ": enabled from the next restart; exit code 3010", nullptr, started, 0},
        {L"back-1641", L"/uninstall /forcerestart", kListed | kEnablesLater | kRestart, 1641,
         "/uninstall /forcerestart: " + kDevice + ": enabled from the next restart, restart started; exit code 1641",
         nullptr, started, 0},
        {L"back-setup", L"/uninstall /forcerestart", kListed | kEnablesLater | kRestart | kSetup, 3010,
         "/uninstall /forcerestart: " + kDevice +
             ": enabled from the next restart, no restart during the PC's first-time setup: restart later; exit code 3010",
         nullptr, started, 0},
        {L"back-28", L"/uninstall", kListed | kRefuses, 28,
         "/uninstall: " + kDevice + ": the device tool did not confirm the enabling; exit code 28", L"修复方案卸载失败",
         started, 1},
        {L"back-signed", L"/uninstall", kListed | kEnables | kSigned, 0,
         "/uninstall: " + kDevice + ": enabled; exit code 0", nullptr, started, 0},
        {L"back-signed-unsigned-tool", L"/uninstall", kListed | kEnables | kSigned | kUnsignedTool, 28,
         "/uninstall: " + kDevice + ": the device tool did not confirm the enabling; exit code 28",
         L"签名检查未通过（没有数字签名），未使用：<tool>", started, 1},
        {L"back-0-model", L"/uninstall", kListed | kOtherModel, 0,
         "/uninstall: not one of the models this tool is for; exit code 0", L"当前机型不是指定机型", started, 0},
        {L"back-0-device", L"/uninstall", 0, 0, "/uninstall: no listed graphics device is present; exit code 0",
         L"显卡硬件ID 不匹配", started, 0},
        {L"back-20", L"/uninstall", kListed | kOldWindows, 20,
         "/uninstall: this Windows version is not supported; exit code 20", L"此工具不支持当前系统", "", 0},
        {L"back-22", L"/uninstall", kListed | kNoModel, 22, "/uninstall: the model could not be read; exit code 22",
         L"未找到机型信息", started, 0},
        {L"back-26", L"/uninstall", kListed | kNoLibrary, 26,
         "/uninstall: the feedback library is missing or incomplete; exit code 26", L"加载反馈DLL失败", "", 0},
    });
}

TEST(Unattended, ChecksAndBadCommandLinesChangeNothing)
{
    RunRows({
        {L"detect-1", L"/detect", kListed | kConfirms | kNewer, 1,
         "/detect: " + kDevice + ": present and not disabled, this PC needs the fix; exit code 1", nullptr,
         "InitFreedbackDll"},
        {L"detect-0-model", L"-Detect", kListed | kOtherModel, 0,
         "/detect: not one of the models this tool is for; exit code 0", L"当前机型不是指定机型", "InitFreedbackDll"},
        {L"detect-0-device", L"/detect", 0, 0, "/detect: no listed graphics device is present; exit code 0",
         L"显卡硬件ID 不匹配", "InitFreedbackDll"},
        {L"detect-20", L"/detect", kListed | kOldWindows, 20,
         "/detect: this Windows version is not supported; exit code 20", L"此工具不支持当前系统", ""},
        {L"detect-22", L"/detect", kListed | kNoModel, 22, "/detect: the model could not be read; exit code 22",
         L"未找到机型信息", "InitFreedbackDll"},
        {L"detect-26", L"/detect", kListed | kNoLibrary, 26,
         "/detect: the feedback library is missing or incomplete; exit code 26", L"加载反馈DLL失败", ""},
        {L"bad-87", L"/quiet /detect", kListed | kConfirms, 87,
         "command line: bad command line (Velmora.exe /? lists the switches); exit code 87", nullptr, ""},
        {L"bad-87-back", L"/uninstall /detect", kListed | kEnables, 87,
         "command line: bad command line (Velmora.exe /? lists the switches); exit code 87", nullptr, ""},
    });
}

// The command lines README gives a fleet's administrator, run as it gives
// them: the startup script beside the folder, the record's queries, and the
// install and uninstall commands of an agent's app.
TEST(Unattended, TheAdministratorsCommandLinesDoWhatReadmeSays)
{
    DeleteRecord();
    CVelmoraRun run(L"fleet");
    run.AddListedDevice();
    run.SetFeedbackAnswers(1, 0);
    ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\fleet\\velmora-startup.cmd", run.Root() + L"\\velmora-startup.cmd"));
    const std::map<std::wstring, std::wstring> env = {{L"VELMORA_WMIC_DIR", run.StandinDir()},
                                                      {L"VELMORA_FEEDBACK_DIR", run.FeedbackDir()}};
    // One command line through the interpreter, as an agent or a technician
    // types it in the folder: its exit code and what it printed.
    auto type = [&](const std::wstring& line, const std::wstring& cwd, DWORD* code) {
        vt::CProcess p;
        const std::wstring out = run.Root() + L"\\typed.txt";
        ::DeleteFileW(out.c_str());
        *code = 99;
        EXPECT_TRUE(p.Start(L"C:\\windows\\system32\\cmd.exe", L"/c " + line, cwd, env, false, out) &&
                    p.WaitExit(60000, code))
            << vt::Utf8(line);
        return vt::ReadFileBytes(out);
    };
    auto queryDone = [&] {
        DWORD code = 99;
        const std::string out = type(L"reg query HKLM\\SOFTWARE\\Velmora /v Done /reg:64", run.Root(), &code);
        EXPECT_EQ(code, 0u) << out;
        return out.find("REG_DWORD") == std::string::npos ? std::string("none")
                                                           : out.substr(out.find("0x"), 3);
    };

    // The first start of Windows repairs; the record says done.
    const std::wstring script = L"\"" + run.Root() + L"\\velmora-startup.cmd\"";
    ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt", kDisabled));
    DWORD code = 99;
    type(script, L"C:\\windows", &code);
    EXPECT_EQ(code, 3010u);
    EXPECT_EQ(queryDone(), "0x1");
    // The next start does nothing at all.
    const size_t queries = run.WmicCalls().size();
    type(script, L"C:\\windows", &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(run.WmicCalls().size(), queries);
    // The record in full, as README queries it by hand.
    std::string record = type(L"reg query HKLM\\SOFTWARE\\Velmora /reg:64", run.Root(), &code);
    for (const char* name : {"Version", "Time", "HardwareId", "InstanceId", "ExitCode", "Done"})
        EXPECT_NE(record.find(name), std::string::npos) << name << " in " << record;

    // The agent's uninstall command in the folder gives the device back; the
    // detection rule then no longer finds the app.
    ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt", kEnabled));
    type(L"Velmora.exe /uninstall", run.ProgramDir(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(queryDone(), "0x0");
    // The instance ID a way back without the folder needs (pnputil /enable-device "<InstanceId>").
    record = type(L"reg query HKLM\\SOFTWARE\\Velmora /v InstanceId /reg:64", run.Root(), &code);
    std::string instance = vt::Utf8(vt::kListedDeviceInstance);
    for (char& c : record)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : instance)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(record.find(instance), std::string::npos) << record;
    // And the agent's install command repairs again.
    ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt", kDisabled));
    type(L"Velmora.exe /quiet", run.ProgramDir(), &code);
    EXPECT_EQ(code, 3010u);
    EXPECT_EQ(queryDone(), "0x1");
    DeleteRecord();
}

TEST(Unattended, UsageGoesToStandardOutputElseToAMessageBox)
{
    CVelmoraRun run(L"usage");
    run.SetArguments(L"-?");
    ASSERT_TRUE(run.Start());
    DWORD code = 99;
    bool sawWindow = false;
    ASSERT_TRUE(WaitExitWithoutWindow(run, 30000, &code, &sawWindow));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(sawWindow);
    EXPECT_EQ(run.Output(), vt::Utf8(UsageText()));
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(run.FeedbackCalls().empty());
    EXPECT_TRUE(run.WmicCalls().empty());

    // Without standard output, and started by a process without a console
    // (this test under wine has none): the text in a box.
    STARTUPINFOW si{sizeof(si)};
    si.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION pi{};
    const std::wstring exe = run.ProgramDir() + L"\\Velmora.exe";
    std::wstring line = L"\"" + exe + L"\" /?";
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CHandle process(pi.hProcess), thread(pi.hThread);
    HWND box = vt::WaitTopLevel(pi.dwProcessId, L"Velmora", 15000);
    ASSERT_TRUE(box);
    std::wstring shown;
    for (HWND c : vt::Children(box))
        shown += vt::Text(c);
    std::wstring usage = UsageText();
    EXPECT_NE(shown.find(usage.substr(0, usage.find(L"\r\n"))), std::wstring::npos) << vt::Utf8(shown);
    EXPECT_NE(shown.find(L"1618"), std::wstring::npos) << vt::Utf8(shown);
    ASSERT_TRUE(vt::Click(::GetDlgItem(box, IDOK)));
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(::GetExitCodeProcess(process.Get(), &code));
    EXPECT_EQ(code, 0u);
}

TEST(Unattended, OneRunAtATime)
{
    // Another start while a run is going: it ends at once, shows no window and
    // asks nothing of the library or of wmic. Its exit code.
    // from: the program folder whose very program file starts (a copy of its own otherwise).
    auto startAnother = [](const wchar_t* args, const std::wstring& from = std::wstring()) {
        CVelmoraRun second(L"one-run-second");
        second.SetArguments(args);
        DWORD code = 99;
        bool sawWindow = false;
        EXPECT_TRUE((from.empty() ? second.Start() : second.StartFrom(from)) &&
                    WaitExitWithoutWindow(second, 15000, &code, &sawWindow));
        EXPECT_FALSE(sawWindow);
        EXPECT_TRUE(second.FeedbackCalls().empty());
        EXPECT_TRUE(second.WmicCalls().empty());
        if (code == 1618) {
            EXPECT_EQ(second.Output(), "Velmora 1.0.22.419 " + vt::Utf8(args) +
                                           ": another run of the tool is in progress, retry later; exit code 1618\r\n");
        }
        return code;
    };

    // A /quiet run held in its model query.
    CVelmoraRun first(L"one-run-first");
    first.AddListedDevice();
    ASSERT_TRUE(vt::WriteFileBytes(first.ProgramDir() + L"\\devcon-output.txt", kDisabled));
    ASSERT_TRUE(vt::WriteFileBytes(first.StandinDir() + L"\\wmic-hold", ""));
    first.SetArguments(L"/quiet");
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(vt::WaitFor([&] { return !first.WmicCalls().empty(); }, 20000));
    EXPECT_EQ(startAnother(L"/quiet"), 1618u);
    EXPECT_EQ(startAnother(L"/detect"), 1618u);
    EXPECT_EQ(startAnother(L"/uninstall"), 1618u);
    EXPECT_EQ(startAnother(L""), 0u);   // no window to bring forward
    {
        // Nor another program's: one named Velmora.exe elsewhere, its window
        // titled as the tool's, stays as it was.
        const std::wstring dir = vt::ScratchDir(L"one-run-impostor");
        ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\impostor.exe", dir + L"\\Velmora.exe"));
        vt::CProcess impostor;
        ASSERT_TRUE(impostor.Start(dir + L"\\Velmora.exe", L"", dir));
        HWND fake = vt::WaitTopLevel(impostor.Pid(), L"Velmora", 10000);
        ASSERT_TRUE(fake && ::IsIconic(fake));
        EXPECT_EQ(startAnother(L""), 0u);
        // A restore asked of that window is handled before this returns.
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(fake, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
        EXPECT_TRUE(::IsIconic(fake)) << "another program's window was brought forward";
    }
    ASSERT_TRUE(::DeleteFileW((first.StandinDir() + L"\\wmic-hold").c_str()));
    DWORD code = 99;
    ASSERT_TRUE(first.WaitExit(30000, &code));
    EXPECT_EQ(code, 3010u);

    // A window run holds it too; a start of the same program file without
    // switches brings its window back to the front instead of showing
    // another (a copy of the program elsewhere does not).
    CVelmoraRun window(L"one-run-window");
    window.AddListedDevice();
    ASSERT_TRUE(window.Start());
    HWND main = window.WaitReady();
    ASSERT_TRUE(main);
    ::PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(vt::WaitFor([&] { return ::IsIconic(main) != FALSE; }, 5000));
    EXPECT_EQ(startAnother(L"/detect"), 1618u);
    EXPECT_EQ(startAnother(L""), 0u);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    EXPECT_TRUE(::IsIconic(main)) << "a copy elsewhere brought the window forward";
    EXPECT_EQ(startAnother(L"", window.ProgramDir()), 0u);
    EXPECT_TRUE(vt::WaitFor([&] { return !::IsIconic(main); }, 5000)) << "the running window stayed minimised";
    EXPECT_EQ(vt::TopLevelWindows(window.Process().Pid()).size(), 1u);
}
