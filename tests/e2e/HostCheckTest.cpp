// The Windows version check and the model part of the host check in the real
// program, fed by the wmic stand-in: which prompt, which log line, which query.
#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "res/resource.h"
#include "tests/support/VelmoraRun.h"

using vt::CVelmoraRun;

namespace {

const wchar_t* const kMismatchText = L"您机器的主机信息与工具指定的机型不符，仔细确认机型后再使用本工具";
const wchar_t* const kFailedText = L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出";
const wchar_t* const kUnsupportedText = L"此工具不支持当前系统";

// Waits for the result prompt and checks that the please-wait dialog was gone
// by then: the close request comes before the result.
HWND WaitResultPrompt(CVelmoraRun& run, DWORD timeoutMs)
{
    HWND prompt = run.WaitPrompt(timeoutMs);
    if (prompt) {
        EXPECT_FALSE(run.WaitPleaseWait(0)) << "please-wait still up when the result prompt came";
    }
    return prompt;
}

// Ends the run through the prompt's confirm button, as a user would.
void ConfirmAndExpectExit(CVelmoraRun& run, HWND prompt)
{
    ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
    DWORD code = 99;
    ASSERT_TRUE(run.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

void ExpectOneLogLine(const CVelmoraRun& run, const wchar_t* message)
{
    std::vector<std::wstring> lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(vt::LogMessage(lines[0]), message);
}

// Starts the program under another Windows version. Wine reads the version
// when a process starts, so the prefix's own setting is back as soon as the
// program has a window, and no later test sees the change.
bool StartWithVersion(CVelmoraRun& run, const wchar_t* version, const wchar_t* build)
{
    vt::CWineVersion scoped(version, build);
    if (!run.Start())
        return false;
    return vt::WaitFor([&] { return !vt::TopLevelWindows(run.Process().Pid()).empty(); }, 20000);
}

// The version check passed when the program went on to its update question.
bool PassedVersionCheck(CVelmoraRun& run)
{
    return vt::WaitFor([&] { return run.CountFeedbackCalls("GetToolIsNewVersion") == 1; }, 15000);
}

}  // namespace

// ---- the model part ----------------------------------------------------------------

TEST(HostCheck, ModelAnswersGiveTheirCodePromptAndOneLogLine)
{
    const std::string head = "\r\r\nCaption=Computer System Product\r\r\nIdentifyingNumber=PF2XK9QZ\r\r\n";
    struct Case { const wchar_t* name; std::string answer; const wchar_t* text; const wchar_t* log; } cases[] = {
        {L"host-code2", head + "Version=KESTRA Q7 31XRV05\r\r\nVendor=KESTRA\r\r\n", kMismatchText,
         L"当前机型不是指定机型"},
        {L"host-code2-empty", head + "Version=\r\r\nVersion=KESTRA Q5 31XRV05\r\r\n", kMismatchText,
         L"当前机型不是指定机型"},
        {L"host-code3", head + "Version=KESTRA Q5 31XRV05", kFailedText, L"解析机型失败"},
        {L"host-code4", head + "Vendor=KESTRA\r\r\n", kFailedText, L"未找到机型信息"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.name));
        CVelmoraRun run(c.name);
        run.SetCsproduct(c.answer);
        ASSERT_TRUE(run.Start());
        HWND prompt = WaitResultPrompt(run, 20000);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), c.text);
        ExpectOneLogLine(run, c.log);
        // Version 10.0 needs no OS query: the model query is the only call.
        std::vector<std::string> calls = run.WmicCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_NE(calls[0].find("csproduct list full"), std::string::npos) << calls[0];
        ConfirmAndExpectExit(run, prompt);
    }
}

// Wine takes its own builtin libraries unless told to prefer a file: while
// this lives it prefers one for the libraries named, as Windows does for a
// library it does not know.
class CPreferLibraryFiles {
public:
    explicit CPreferLibraryFiles(std::initializer_list<const wchar_t*> names) : m_names(names)
    {
        m_ok = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE,
                                 nullptr, m_key.Out(), nullptr) == ERROR_SUCCESS;
        for (const wchar_t* name : m_names)
            m_ok = m_ok && ::RegSetValueExW(m_key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native,builtin"),
                                            sizeof(L"native,builtin")) == ERROR_SUCCESS;
    }
    ~CPreferLibraryFiles()
    {
        if (!m_key)
            return;
        for (const wchar_t* name : m_names)
            ::RegDeleteValueW(m_key.Get(), name);
    }
    bool Ok() const { return m_ok; }

private:
    std::vector<const wchar_t*> m_names;
    CRegKey m_key;
    bool m_ok = false;
};

TEST(HostCheck, ProgramsPlantedBesideTheToolOrOnItsPathAreNotRun)
{
    // Each row plants what records its own start in its own folder: programs
    // (cmd.exe and wmic.exe) in the program folder, which is also the current
    // folder, and in a folder first on the search path; or libraries under
    // system libraries' names beside the program (which is also beside the
    // feedback library).
    for (bool library : {false, true}) {
        SCOPED_TRACE(library ? "a planted library" : "planted programs");
        CVelmoraRun run(library ? L"host-plant-dll" : L"host-plant-exe");
        const std::wstring onPath = vt::ScratchDir(L"host-plant-path");
        std::unique_ptr<CPreferLibraryFiles> preferFiles;
        if (library) {
            // One loaded by name at run time, one loaded at run time by name
            // through the framework, one the feedback library imports, and
            // those the program itself imports (wine looks even for these
            // beside a program, where Windows takes its known libraries).
            const std::initializer_list<const wchar_t*> names = {L"riched20", L"gdiplus", L"winhttp",
                                                                 L"setupapi", L"shell32", L"comctl32"};
            preferFiles = std::make_unique<CPreferLibraryFiles>(names);
            ASSERT_TRUE(preferFiles->Ok());
            for (const wchar_t* name : names)
                ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\planted\\riched20.dll",
                                           run.ProgramDir() + L"\\" + name + L".dll"));
        } else {
            const std::wstring recorder = vt::BinDir() + L"\\standins\\devcon.exe";
            for (const std::wstring& plant : {run.ProgramDir() + L"\\cmd.exe", run.ProgramDir() + L"\\wmic.exe",
                                              onPath + L"\\wmic.exe", onPath + L"\\cmd.exe"})
                ASSERT_TRUE(vt::CopyFileTo(recorder, plant));
            wchar_t path[32767] = {};
            ::GetEnvironmentVariableW(L"PATH", path, 32767);
            run.SetEnv(L"PATH", onPath + L";" + path);
        }
        run.SetCsproduct("Version=ThinkBox 3\r\n");
        ASSERT_TRUE(run.Start());
        HWND prompt = WaitResultPrompt(run, 20000);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), kMismatchText);   // the system's cmd ran the system's wmic
        EXPECT_EQ(run.WmicCalls().size(), 1u);
        for (const std::wstring& folder : {run.ProgramDir(), onPath})
            EXPECT_FALSE(vt::PathExists(folder + L"\\devcon-calls.txt")) << "a planted program ran: " << vt::Utf8(folder);
        EXPECT_EQ(vt::ReadFileBytes(run.ProgramDir() + L"\\planted-loaded.txt"), "") << "planted libraries were loaded";
        run.Process().Kill();
    }
}

TEST(HostCheck, HungModelQueryEndsAtTheLimitWithCode5)
{
    CVelmoraRun run(L"host-code5");
    vt::WriteFileBytes(run.StandinDir() + L"\\wmic.cfg", "hang=1\r\n");
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.WaitPleaseWait(20000));
    ULONGLONG start = ::GetTickCount64();
    HWND prompt = WaitResultPrompt(run, 150000);
    ASSERT_TRUE(prompt);
    EXPECT_GE(::GetTickCount64() - start, 100000u);   // 120 s from the query's start
    EXPECT_EQ(run.PromptText(prompt), kFailedText);
    // The designed line, then the one that tells a hung query from a missing one.
    std::vector<std::wstring> lines = run.LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(vt::LogMessage(lines[0]), L"获取机型信息失败");
    EXPECT_EQ(vt::LogMessage(lines[1]),
              L"命令等待 120 秒仍未结束，已被终止：\"" + vt::SystemWmicPath() + L"\" csproduct list full");
    ConfirmAndExpectExit(run, prompt);
}

TEST(HostCheck, AModelQueryThatLeavesAProgramHoldingItsOutputEndsAtOnce)
{
    // The query answers an accepted model and ends, leaving a program of its
    // own that holds the output for 60 s: the answer counts at once, and the
    // leftover goes with the query.
    CVelmoraRun run(L"host-lingering-query");
    run.AddListedDevice();
    vt::WriteFileBytes(run.StandinDir() + L"\\wmic.cfg", "linger=1\r\n");
    ASSERT_TRUE(run.Start());
    const ULONGLONG start = ::GetTickCount64();
    HWND main = run.WaitReady(20000);
    ASSERT_TRUE(main) << "the host check waited for the program the query left";
    EXPECT_LT(::GetTickCount64() - start, 20000u);
    EXPECT_FALSE(run.WaitPrompt(0));
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_BTN_START)));
    EXPECT_TRUE(vt::WaitFor([] { return vt::ProcessesNamed(L"wmic.exe") == 0; }, 5000));
    EXPECT_TRUE(run.Process().Running());
}

// ---- the Windows version ---------------------------------------------------------------

TEST(HostCheck, UnlistedVersionGoesByTheOsQuery)
{
    struct Case { const wchar_t* name; std::string answer; bool supported; } cases[] = {
        {L"host-os-11", "Status  \r\r\nMicrosoft Windows 11 Pro|C:\\WINDOWS|\\Device\\Harddisk0\\Partition3  OK\r\r\n",
         true},
        {L"host-os-lower", "Status  \r\r\nmicrosoft windows 11 pro  OK\r\r\n", false},
        {L"host-os-10", "Status  \r\r\nMicrosoft Windows 10 Pro  OK\r\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.name));
        CVelmoraRun run(c.name);
        vt::WriteFileBytes(run.StandinDir() + L"\\wmic-os.bin", c.answer);
        ASSERT_TRUE(StartWithVersion(run, L"10.1", L"18362"));
        if (c.supported) {
            EXPECT_TRUE(PassedVersionCheck(run));
            // The host check follows; let it end before the run is ended.
            EXPECT_TRUE(run.WaitHostCheckOver());
            EXPECT_GE(run.WmicCalls().size(), 2u);
        } else {
            HWND prompt = run.WaitPrompt(20000);
            ASSERT_TRUE(prompt);
            EXPECT_EQ(run.PromptText(prompt), kUnsupportedText);
            ExpectOneLogLine(run, L"此工具不支持当前系统");
            ConfirmAndExpectExit(run, prompt);
        }
        std::vector<std::string> calls = run.WmicCalls();
        ASSERT_GE(calls.size(), 1u);
        EXPECT_NE(calls[0].find("OS List status"), std::string::npos) << calls[0];
        run.Process().Kill();
    }
}

TEST(HostCheck, WithoutWmicTheBuildNumberDecides)
{
    struct Case { const wchar_t* name; const wchar_t* build; bool supported; } cases[] = {
        {L"host-nowmic-22631", L"22631", true},
        {L"host-nowmic-19045", L"19045", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.name));
        CVelmoraRun run(c.name);
        vt::CWithoutWmic noWmic;
        ASSERT_TRUE(noWmic.Removed());
        ASSERT_TRUE(StartWithVersion(run, L"10.1", c.build));
        if (c.supported) {
            EXPECT_TRUE(PassedVersionCheck(run));
            EXPECT_TRUE(run.WaitHostCheckOver());
        } else {
            HWND prompt = run.WaitPrompt(20000);
            ASSERT_TRUE(prompt);
            EXPECT_EQ(run.PromptText(prompt), kUnsupportedText);
        }
        run.Process().Kill();
    }
}
