// The repair in the real program: the device tool is asked to disable the
// checked function from the program folder, only its confirmation counts, and
// "是" requests the restart.
#include <gtest/gtest.h>

#include <algorithm>

#include "res/resource.h"
#include "system/CommandRunner.h"
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

    // Started, checked and ready for the user.
    static HWND StartReady(vt::CVelmoraRun& run)
    {
        if (!run.Start())
            return nullptr;
        HWND main = run.WaitReady();
        return main && run.NoPromptFor(300) ? main : nullptr;
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

TEST_F(Repair, AnUnconfirmedRunFailsAndTheWindowAllowsAnotherTry)
{
    // Refused by the stand-in's words, and by our own devcon.exe: wine cannot
    // disable a device, so it names the matched function, says it failed and
    // ends with 2, as on a PC where the disable cannot happen.
    for (bool ownTool : {false, true}) {
        SCOPED_TRACE(ownTool ? "our devcon.exe" : "stand-in");
        vt::CVelmoraRun run(ownTool ? L"repair-own-devcon" : L"repair-refused");
        const std::wstring tool = run.ProgramDir() + L"\\devcon.exe";
        if (ownTool) {
            ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\devcon.exe", tool));
            std::string output;
            const std::wstring command = DevconDisableCommand(run.ProgramDir(), L"PCI\\VEN_10DE&DEV_1AD8");
            ASSERT_TRUE(ExecCommandA(command.c_str(), output));
            EXPECT_EQ(output, "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008: Disable failed\r\n"
                              "1 of 1 matching device(s) could not be disabled.\r\n");
        } else {
            SetDevcon(run, kNoMatch);
        }
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        HWND prompt = RunRepair(run, main);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), L"修复方案安装失败");
        std::vector<std::wstring> lines = run.LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(vt::LogMessage(lines[0]), L"修复方案安装失败");
        ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
        ASSERT_TRUE(vt::WaitFor([&] { return !run.WaitPrompt(0) && ::IsWindowEnabled(main); }, 5000));

        // The device tool now confirms: the second try succeeds.
        ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\devcon.exe", tool));
        SetDevcon(run, kDisabled);
        prompt = RunRepair(run, main);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");
        std::string calls = DevconCalls(run);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), ownTool ? 1 : 2) << calls;
        ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_SECOND));
    }
}

TEST_F(Repair, AMissingDeviceToolFails)
{
    vt::CVelmoraRun run(L"repair-no-devcon");
    ::DeleteFileW((run.ProgramDir() + L"\\devcon.exe").c_str());
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    HWND prompt = RunRepair(run, main);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(run.PromptText(prompt), L"修复方案安装失败");
    ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
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
    // has begun (it starts 100 ms after the window) and while it runs. Only
    // after it has accepted the machine does the button start a repair.
    for (DWORD delayMs : {0u, 60u, 160u, 400u}) {
        SCOPED_TRACE(delayMs);
        vt::CVelmoraRun run(L"repair-early-" + std::to_wstring(delayMs));
        SetDevcon(run, kDisabled);
        ASSERT_TRUE(run.Start());
        HWND main = run.WaitMain();
        ASSERT_TRUE(main);
        ::Sleep(delayMs);
        const bool accepted = !run.WmicCalls().empty() && !run.WaitPleaseWait(0);
        vt::Click(::GetDlgItem(main, IDC_BTN_START));
        // Whatever follows, the window ends up ready, and no please-wait
        // dialog is left behind.
        bool settled = vt::WaitFor([&] {
            if (HWND prompt = run.WaitPrompt(0)) {
                run.Answer(prompt, IDC_BTN_PROMPT_CLOSE);   // "否" to a restart question
                return false;
            }
            return !run.WmicCalls().empty() && !run.WaitPleaseWait(0) && ::IsWindowEnabled(main) &&
                   run.NoPromptFor(500);
        }, 30000, 100);
        ASSERT_TRUE(settled) << (run.WaitPleaseWait(0) ? "a please-wait dialog stayed up" : "no ready window");
        EXPECT_TRUE(run.Process().Running());
        if (!accepted)
            EXPECT_EQ(DevconCalls(run), "");
        EXPECT_TRUE(run.LogLines().empty()) << "a refused repair logs its failure";

        // The same button works once the machine is accepted.
        HWND prompt = RunRepair(run, main);
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");
        ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_SECOND));
    }
}
