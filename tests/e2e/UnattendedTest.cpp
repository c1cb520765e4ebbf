// The real program started by a management agent: with /quiet, /detect, /?,
// a bad command line, or without switches where no desktop can be seen. Each
// ending is a row: its exit code, its line on standard output and in the log,
// what it asked of the feedback library and the device tool, the record in
// the registry, and no window of the program ever visible.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/UnattendedRules.h"
#include "framework/Handles.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/RestartLogger.h"
#include "tests/support/VelmoraRun.h"

using vt::CVelmoraRun;

namespace {

const std::string kDevice =
    "PCI\\VEN_10DE&DEV_1AD8 (PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008)";
const char* const kDisabled =
    "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Disabled\r\n1 device(s) disabled.\r\n";

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
    DWORD size = sizeof(r.exitCode);
    ::RegGetValueW(key.Get(), nullptr, L"ExitCode", RRF_RT_REG_DWORD, nullptr, &r.exitCode, &size);
    return r;
}

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
};

struct SRow {
    const wchar_t* name;
    const wchar_t* args;       // nullptr: no switches, on a desktop nobody can see
    unsigned prepare;
    DWORD code;
    std::string says;          // the result line after "Velmora <version> "
    const wchar_t* flowLine;   // the flow's own log line before it, if any
    const char* feedback;      // the library's calls
};

void RunRows(const std::vector<SRow>& rows)
{
    for (const SRow& row : rows) {
        SCOPED_TRACE(vt::Utf8(row.name));
        CVelmoraRun run(row.name);
        DeleteRecord();
        if (row.prepare & kListed)
            run.AddListedDevice();
        if (row.prepare & (kConfirms | kRefuses)) {
            ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt",
                                           row.prepare & kConfirms ? kDisabled : "No matching devices found.\r\n"));
        }
        if (row.prepare & kOtherModel)
            run.SetCsproduct("Version=KESTRA Q7 31XRV05\r\r\n");
        if (row.prepare & kNoModel)
            run.SetCsproduct("Vendor=KESTRA\r\r\n");
        if (row.prepare & kNoLibrary)
            run.RemoveFeedbackLibrary();
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

        ASSERT_TRUE(run.Start());
        DWORD code = 99;
        bool sawWindow = false;
        ASSERT_TRUE(WaitExitWithoutWindow(run, 60000, &code, &sawWindow));
        windows.reset();
        if (row.prepare & kRestart) {
            // The logger stays until the request has reached it, or the real wineboot would get it.
            EXPECT_TRUE(vt::WaitFor([] { return vt::RestartLog().find("--kill") != std::string::npos; }, 30000));
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
            EXPECT_EQ(vt::LogMessage(log[0]), row.flowLine);
        }
        EXPECT_EQ(vt::LogMessage(log.back()), vt::Wide(line));
        EXPECT_EQ(FeedbackNames(run), row.feedback);
        EXPECT_EQ(vt::PathExists(run.ProgramDir() + L"\\devcon-calls.txt"), code == 3010 || code == 1641 || code == 25);

        // The folder stays, and no interpreter was started that would remove
        // it (wine's restart request leaves its own helper for a moment).
        EXPECT_TRUE(vt::PathExists(run.ProgramDir() + L"\\Velmora.exe"));
        for (const std::wstring& started : vt::ProcessesStartedBy(run.Process().Pid()))
            EXPECT_NE(_wcsicmp(started.c_str(), L"cmd.exe"), 0);

        const SRecord record = ReadRecord();
        EXPECT_EQ(record.present, row.says.find("/quiet") != std::string::npos);
        if (record.present) {
            EXPECT_EQ(record.exitCode, code);
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
         "/quiet: " + kDevice + ": disabled, a restart makes it take effect; exit code 3010", nullptr, closed},
        {L"quiet-norestart", L"-QUIET /NoRestart", kListed | kConfirms, 3010,
         "/quiet: " + kDevice + ": disabled, a restart makes it take effect; exit code 3010", nullptr, closed},
        {L"quiet-1641", L"/quiet /forcerestart", kListed | kConfirms | kRestart, 1641,
         "/quiet /forcerestart: " + kDevice + ": disabled, restart started; exit code 1641", nullptr, closed},
        {L"no-desktop", nullptr, kListed | kConfirms, 3010,
         "no visible desktop, run as /quiet: " + kDevice + ": disabled, a restart makes it take effect; exit code 3010",
         nullptr, closed},
        {L"quiet-20", L"/quiet", kListed | kOldWindows, 20,
         "/quiet: this Windows version is not supported; exit code 20", L"此工具不支持当前系统", ""},
        {L"quiet-21", L"/quiet", kListed | kOtherModel, 21,
         "/quiet: not one of the models this tool is for; exit code 21", L"当前机型不是指定机型", opened},
        {L"quiet-22", L"/quiet", kListed | kNoModel, 22, "/quiet: the model could not be read; exit code 22",
         L"未找到机型信息", opened},
        {L"quiet-24", L"/quiet", 0, 24, "/quiet: no listed graphics device is present; exit code 24",
         L"显卡硬件ID 不匹配", opened},
        {L"quiet-25", L"/quiet", kListed | kRefuses, 25,
         "/quiet: " + kDevice + ": the device tool did not confirm the disabling; exit code 25", L"修复方案安装失败",
         closed},
        {L"quiet-26-missing", L"/quiet", kListed | kNoLibrary, 26,
         "/quiet: the feedback library is missing or incomplete; exit code 26", L"加载反馈DLL失败", ""},
        {L"quiet-26-init", L"/quiet", kListed | kLibraryFails, 26,
         "/quiet: the feedback library failed to start; exit code 26", L"初始化反馈DLL失败", "InitFreedbackDll"},
        {L"quiet-27", L"/quiet", kListed | kNewer, 27, "/quiet: a newer version of the tool exists; exit code 27",
         nullptr, opened},
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
    });
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
