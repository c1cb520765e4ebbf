// The repair in the real program: the device tool is asked to disable the
// checked function from the program folder, only its confirmation counts, and
// "是" requests the restart.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/AppMessages.h"
#include "res/resource.h"
#include "system/CommandRunner.h"
#include "base/Handles.h"
#include "system/RepairRules.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/RestartLogger.h"
#include "tests/support/VelmoraRun.h"

namespace {

const char* const kDisabled =
    "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Disabled\r\n1 device(s) disabled.\r\n";
const char* const kNoMatch = "No matching devices found.\r\n";

class Repair : public ::testing::Test {
protected:
    void SetUp() override
    {
        vt::RemoveFakeDevices();
        ASSERT_TRUE(
            vt::AddFakeDevice(vt::kListedDeviceInstance, {vt::kListedDeviceFirstId, L"PCI\\VEN_10DE&DEV_1AD8"}));
    }
    void TearDown() override { vt::RemoveFakeDevices(); }

    static void SetDevcon(vt::CVelmoraRun& run, const std::string& output)
    {
        ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\devcon-output.txt", output));
    }
    static std::string DevconCalls(vt::CVelmoraRun& run)
    {
        return vt::ReadFileBytes(run.ProgramDir() + L"\\devcon-calls.txt");
    }

    // Started, checked (the machine accepted) and ready for the user.
    static HWND StartReady(vt::CVelmoraRun& run)
    {
        if (!run.Start())
            return nullptr;
        HWND main = run.WaitReady();
        return main && !run.WaitPrompt(0) ? main : nullptr;
    }

    // Presses start and returns the prompt that follows the repair.
    static HWND RunRepair(vt::CVelmoraRun& run, HWND main)
    {
        if (!vt::Click(::GetDlgItem(main, IDC_BTN_START)))
            return nullptr;
        return run.WaitPrompt(20000);
    }
};

}  // namespace

TEST_F(Repair, TheDeviceToolGetsTheListedIdFromAFolderWithABlank)
{
    vt::CVelmoraRun run(L"repair folder with blank");
    SetDevcon(run, kDisabled);
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    HWND prompt = RunRepair(run, main);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");

    std::string calls = DevconCalls(run);
    ASSERT_EQ(std::count(calls.begin(), calls.end(), '\n'), 1) << calls;
    size_t tab = calls.find('\t');
    ASSERT_NE(tab, std::string::npos) << calls;
    std::string line = calls.substr(0, tab), cwd = calls.substr(tab + 1);
    while (!cwd.empty() && (cwd.back() == '\n' || cwd.back() == '\r'))
        cwd.pop_back();
    EXPECT_NE(line.find(" disable \"PCI\\VEN_10DE&DEV_1AD8\""), std::string::npos) << line;
    EXPECT_EQ(line.find("SUBSYS"), std::string::npos) << "the full device ID instead of the listed one: " << line;
    EXPECT_EQ(_stricmp(cwd.c_str(), vt::Utf8(run.ProgramDir()).c_str()), 0) << cwd;
    EXPECT_TRUE(run.LogLines().empty());
    ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_SECOND));
}

TEST_F(Repair, UnconfirmedRunsFailAndTheWindowAllowsAnotherTryEachTime)
{
    // Refused by the stand-in's words, and by our own devcon.exe: wine cannot
    // disable a device, so it names the matched function, says it failed and
    // ends with 2, as on a PC where the disable cannot happen. Refused again
    // and again, each failure confirmed, the window is usable after every one
    // (no dialog left over it, nothing left disabled).
    for (bool ownTool : {false, true}) {
        SCOPED_TRACE(ownTool ? "our devcon.exe" : "stand-in");
        vt::CVelmoraRun run(ownTool ? L"repair-own-devcon" : L"repair-refused");
        const std::wstring tool = run.ProgramDir() + L"\\devcon.exe";
        if (ownTool) {
            // Of the Display class, as on a PC: a System-class device the tool
            // would refuse before asking, and this run would prove nothing.
            ASSERT_TRUE(vt::AddFakeDevice(vt::kListedDeviceInstance,
                                          {vt::kListedDeviceFirstId, L"PCI\\VEN_10DE&DEV_1AD8"}, {},
                                          vt::kDisplayClass));
            ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\devcon.exe", tool));
            std::string output;
            const std::wstring command = DevconCommand(run.ProgramDir(), EDeviceVerb::Disable, L"PCI\\VEN_10DE&DEV_1AD8");
            ASSERT_TRUE(ExecCommandA(command.c_str(), output, nullptr, run.ProgramDir()));
            EXPECT_EQ(output, "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Disable failed\r\n"
                              "1 of 1 matching device(s) could not be disabled.\r\n");
        } else {
            SetDevcon(run, kNoMatch);
        }
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        const size_t tries = ownTool ? 2 : 5;
        for (size_t i = 1; i <= tries; ++i) {
            SCOPED_TRACE(i);
            HWND prompt = RunRepair(run, main);
            ASSERT_TRUE(prompt);
            EXPECT_EQ(run.PromptText(prompt), L"修复方案安装失败");
            std::vector<std::wstring> lines = run.LogLines();
            ASSERT_EQ(lines.size(), i);
            EXPECT_EQ(vt::LogMessage(lines.back()), L"修复方案安装失败");
            ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
            // The round is over when the result's handler has returned; then
            // no dialog may be left over the window.
            ASSERT_TRUE(vt::WaitFor([&] { return run.CountHandled(WM_REPAIR_RESULT) == static_cast<int>(i); }, 5000));
            ASSERT_TRUE(vt::WaitFor(
                [&] { return !run.WaitPrompt(0) && !run.WaitPleaseWait(0) && ::IsWindowEnabled(main); }, 5000))
                << "the main window stayed disabled";
        }

        // The device tool now confirms: the next try succeeds.
        ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\devcon.exe", tool));
        SetDevcon(run, kDisabled);
        HWND prompt = RunRepair(run, main);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");
        std::string calls = DevconCalls(run);
        EXPECT_EQ(static_cast<size_t>(std::count(calls.begin(), calls.end(), '\n')), ownTool ? 1 : tries + 1) << calls;
        ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_SECOND));
    }
}

TEST_F(Repair, WithoutTheFoldersOwnDeviceToolTheRepairFails)
{
    // The tool missing from the program folder (one on the search path is not
    // taken), or a folder whose name the interpreter would expand: refused.
    struct Case { const wchar_t* name; const wchar_t* folder; bool toolInFolder; const wchar_t* log; } cases[] = {
        {L"repair-no-devcon", L"Velmora", false, L"修复方案安装失败"},
        {L"repair-percent", L"Velmora %TEMP%", true, L"执行修复方案安装失败"},
        {L"repair-bang", L"Velmora!x!", true, L"执行修复方案安装失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.name));
        vt::CVelmoraRun run(c.name, c.folder);
        SetDevcon(run, kDisabled);
        const std::wstring onPath = vt::ScratchDir(std::wstring(c.name) + L"-path");
        ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\devcon.exe", onPath + L"\\devcon.exe"));
        ASSERT_TRUE(vt::WriteFileBytes(onPath + L"\\devcon-output.txt", kDisabled));
        wchar_t path[32767] = {};
        ::GetEnvironmentVariableW(L"PATH", path, 32767);
        run.SetEnv(L"PATH", onPath + L";" + path);
        if (!c.toolInFolder)
            ::DeleteFileW((run.ProgramDir() + L"\\devcon.exe").c_str());
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        HWND prompt = RunRepair(run, main);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), L"修复方案安装失败");
        std::vector<std::wstring> lines = run.LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(vt::LogMessage(lines[0]), c.log);
        EXPECT_EQ(DevconCalls(run), "");
        EXPECT_FALSE(vt::PathExists(onPath + L"\\devcon-calls.txt")) << "the device tool on the search path ran";
        ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
    }
}

TEST_F(Repair, ASignedReleaseRunsOnlyADeviceToolWithItsOwnSignatureAndHoldsItWhileItRuns)
{
    // The program, the feedback library and the device tool signed with one
    // certificate: the repair runs, and while the tool runs its file cannot be
    // replaced (renamed away or written); afterwards it can. A tool that is
    // unsigned, signed with another certificate or changed after signing is
    // not run: the designed prompt and one line that names it.
    struct Case { const wchar_t* name; const wchar_t* tool; const wchar_t* refusal; } cases[] = {
        {L"repair-signed", L"devcon.exe", nullptr},
        {L"repair-signed-unsigned-tool", nullptr, L"没有数字签名"},
        {L"repair-signed-other-tool", L"devcon-other.exe", L"签名者与本工具不同"},
        {L"repair-signed-altered-tool", L"devcon-altered.exe", L"签名后被改动或签名已损坏"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.name));
        vt::CVelmoraRun run(c.name);
        run.UseSignedRelease();
        const std::wstring tool = run.ProgramDir() + L"\\devcon.exe", moved = run.ProgramDir() + L"\\moved.exe";
        ASSERT_TRUE(vt::CopyFileTo(c.tool ? vt::SignedCopy(c.tool) : vt::BinDir() + L"\\standins\\devcon.exe", tool));
        SetDevcon(run, kDisabled);
        const std::wstring hold = run.ProgramDir() + L"\\devcon-hold";
        if (!c.refusal) {
            ASSERT_TRUE(vt::WriteFileBytes(hold, ""));
        }
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        ASSERT_TRUE(vt::Click(::GetDlgItem(main, IDC_BTN_START)));
        if (!c.refusal) {
            ASSERT_TRUE(vt::WaitFor([&] { return !DevconCalls(run).empty(); }, 20000));
            EXPECT_FALSE(::MoveFileExW(tool.c_str(), moved.c_str(), 0)) << "renamed while it runs";
            EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
            CFileHandle write(::CreateFileW(tool.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
            EXPECT_FALSE(write) << "opened for writing while it runs";
            ::DeleteFileW(hold.c_str());
        }
        HWND prompt = run.WaitPrompt(20000);
        ASSERT_TRUE(prompt);
        std::vector<std::wstring> lines = run.LogLines();
        if (c.refusal) {
            EXPECT_EQ(run.PromptText(prompt), L"修复方案安装失败");
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(vt::LogMessage(lines[0]), std::wstring(L"签名检查未通过（") + c.refusal + L"），未使用：" + tool);
            EXPECT_EQ(DevconCalls(run), "");
        } else {
            EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");
            EXPECT_TRUE(lines.empty());
            EXPECT_TRUE(::MoveFileExW(tool.c_str(), moved.c_str(), 0)) << "still held after the command ended";
        }
        ASSERT_TRUE(run.Answer(prompt, c.refusal ? IDC_BTN_PROMPT_FIRST : IDC_BTN_PROMPT_SECOND));
    }
}

TEST_F(Repair, YesRequestsTheRestartAfterOneFeedbackCall)
{
    ASSERT_TRUE(vt::InstallRestartLogger());
    struct CRemove { ~CRemove() { vt::RemoveRestartLogger(); } } remove;
    vt::CVelmoraRun run(L"repair-restart");
    run.SetEnv(vt::kRestartMarker, vt::RestartLogPath());
    SetDevcon(run, kDisabled);
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    HWND prompt = RunRepair(run, main);
    ASSERT_TRUE(prompt);
    ASSERT_TRUE(vt::RestartLog().empty());
    ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
    ASSERT_TRUE(vt::WaitFor([] { return vt::RestartLog().find("--kill") != std::string::npos; }, 10000));
    EXPECT_EQ(run.CountFeedbackCalls("CustomerFeedbackEx"), 1);
    std::vector<std::string> calls = run.FeedbackCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().rfind("CustomerFeedbackEx|", 0), 0u) << calls.back();
}

TEST_F(Repair, AStartClickBeforeTheMachineIsAcceptedDoesNothing)
{
    // The start button is live from the first layout, before the host check
    // has begun (it starts 100 ms after the window) and while it runs. The
    // model query is held until the test lets it end, so every click below
    // certainly comes before the machine is accepted; each is sent and so
    // handled before the next step.
    vt::CVelmoraRun run(L"repair-early");
    SetDevcon(run, kDisabled);
    const std::wstring hold = run.StandinDir() + L"\\wmic-hold";
    ASSERT_TRUE(vt::WriteFileBytes(hold, ""));
    ASSERT_TRUE(run.Start());
    HWND main = run.WaitMain();
    ASSERT_TRUE(main);
    HWND start = ::GetDlgItem(main, IDC_BTN_START);
    auto clickNow = [&] {
        DWORD_PTR r = 0;
        return ::SendMessageTimeoutW(start, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &r) != 0;
    };
    EXPECT_TRUE(clickNow()) << "a click before the host check began started something that waits";
    ASSERT_TRUE(vt::WaitFor([&] { return !run.WmicCalls().empty(); }, 15000));
    HWND hostWait = run.WaitPleaseWait();
    ASSERT_TRUE(hostWait);
    EXPECT_TRUE(clickNow()) << "a click during the host check started something that waits";
    EXPECT_EQ(vt::Text(::GetDlgItem(hostWait, IDC_STATIC_PLEASE_WAIT)), L"正在确认主机信息，请稍等") << "a repair's please-wait came up";
    EXPECT_EQ(DevconCalls(run), "");

    // The query ends; the window is ready and nothing of those clicks remains.
    ::DeleteFileW(hold.c_str());
    ASSERT_TRUE(run.WaitReady());
    EXPECT_FALSE(run.WaitPrompt(0));
    EXPECT_EQ(DevconCalls(run), "");
    EXPECT_TRUE(run.LogLines().empty());

    // The same button works once the machine is accepted.
    HWND prompt = RunRepair(run, main);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");
    ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_SECOND));
}
