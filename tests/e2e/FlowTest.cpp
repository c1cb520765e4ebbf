// The repair flow of the real program: start-up failures, the version check,
// the host-check reactions, the agreement gating, the repair results, closing.
#include <gtest/gtest.h>

#include <ctime>

#include "res/resource.h"
#include "app/AppMessages.h"
#include "tests/support/RestartLogger.h"
#include "tests/support/VelmoraRun.h"

using vt::CVelmoraRun;

namespace {

const int kFirst = IDC_BTN_PROMPT_FIRST, kSecond = IDC_BTN_PROMPT_SECOND, kClose = IDC_BTN_PROMPT_CLOSE;

// Starts the program and waits until the automatic checks are over and the
// main window is ready for the user.
HWND StartReady(CVelmoraRun& run)
{
    run.AddListedDevice();
    return run.Start() ? run.WaitReady() : nullptr;
}

// The "CustomerFeedbackEx" entries of the journal, checked for their arguments.
void ExpectClosingFeedback(const CVelmoraRun& run, int expectedCalls)
{
    int calls = 0;
    for (const std::string& c : run.FeedbackCalls()) {
        if (c.rfind("CustomerFeedbackEx|", 0) != 0)
            continue;
        ++calls;
        const std::string prefix = "CustomerFeedbackEx|10149|1.0.22.419|1|";
        ASSERT_EQ(c.substr(0, prefix.size()), prefix) << c;
        long long t = std::stoll(c.substr(prefix.size()));
        EXPECT_LE(std::llabs(t - static_cast<long long>(std::time(nullptr))), 60) << c;
    }
    EXPECT_EQ(calls, expectedCalls);
}

// Real keyboard input, as a user would press it.
void PressAltF4(HWND target)
{
    // Keys go to the foreground window: make sure it is ours first.
    vt::WaitFor([&] { ::SetForegroundWindow(target); return ::GetForegroundWindow() == target; }, 3000, 100);
    INPUT in[4] = {};
    WORD keys[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i];
        in[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    ::SendInput(4, in, sizeof(INPUT));
}

}  // namespace

// ---- start-up failures ------------------------------------------------------

TEST(Flow, FeedbackLibraryProblemsEndTheStartWithTheInitPrompt)
{
    // In a signed release, a library without a signature the system trusts,
    // or signed by a certificate the release does not name (here: not its
    // own), is not loaded: the designed line, then one that names the file
    // and why.
    enum What { Missing, Incomplete, InitFails, SignedMissing, SignedUnsigned, SignedAltered, SignedOther };
    struct Case { const wchar_t* name; What what; const wchar_t* log; const wchar_t* refusal; } cases[] = {
        {L"flow-lib-missing", Missing, L"加载反馈DLL失败", nullptr},
        {L"flow-lib-incomplete", Incomplete, L"加载反馈DLL失败", nullptr},
        {L"flow-lib-init0", InitFails, L"初始化反馈DLL失败", nullptr},
        {L"flow-lib-signed-missing", SignedMissing, L"加载反馈DLL失败", L"文件无法打开"},
        {L"flow-lib-signed-unsigned", SignedUnsigned, L"加载反馈DLL失败", L"没有数字签名"},
        {L"flow-lib-signed-altered", SignedAltered, L"加载反馈DLL失败", L"签名后被改动或签名已损坏"},
        {L"flow-lib-signed-other", SignedOther, L"加载反馈DLL失败", L"签名者不在本版本认可的签名者之列"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.name));
        CVelmoraRun run(c.name);
        const std::wstring library = run.ProgramDir() + L"\\TarnexFeedbackInformation.dll";
        if (c.what >= SignedMissing)
            run.UseSignedRelease();
        if (c.what == Missing || c.what == SignedMissing)
            run.RemoveFeedbackLibrary();
        else if (c.what == Incomplete)
            run.UseIncompleteFeedbackLibrary();
        else if (c.what == InitFails)
            run.SetFeedbackAnswers(0, 0);
        if (c.what == SignedUnsigned || c.what == SignedAltered || c.what == SignedOther) {
            const std::wstring copy = c.what == SignedUnsigned ? vt::BinDir() + L"\\TarnexFeedbackInformation.dll"
                                      : c.what == SignedAltered ? vt::SignedCopy(L"TarnexFeedbackInformation-altered.dll")
                                                                : vt::SignedCopy(L"TarnexFeedbackInformation-other.dll");
            ASSERT_TRUE(vt::CopyFileTo(copy, library));
        }
        ASSERT_TRUE(run.Start());
        HWND prompt = run.WaitPrompt();
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), L"工具初始化失败");
        EXPECT_TRUE(run.PromptButtonVisible(prompt, kFirst));
        EXPECT_FALSE(run.PromptButtonVisible(prompt, kSecond));
        ASSERT_TRUE(run.Answer(prompt, kFirst));
        DWORD code = 99;
        ASSERT_TRUE(run.WaitExit(10000, &code));
        EXPECT_EQ(code, 0u);
        std::vector<std::wstring> lines = run.LogLines();
        ASSERT_EQ(lines.size(), c.refusal ? 2u : 1u);
        EXPECT_EQ(vt::LogMessage(lines[0]), c.log);
        EXPECT_EQ(run.CountFeedbackCalls("CustomerFeedbackEx"), 0);
        EXPECT_EQ(run.CountFeedbackCalls("GetToolIsNewVersion"), 0);   // the timer was never armed
        if (c.refusal) {
            EXPECT_EQ(vt::LogMessage(lines[1]), std::wstring(L"签名检查未通过（") + c.refusal + L"），未使用：" + library);
            EXPECT_EQ(run.FeedbackCalls().size(), 0u);   // not even "InitFreedbackDll": it was never loaded
        }
        EXPECT_TRUE(vt::PathExists(run.ProgramDir() + L"\\Velmora.exe"));
        // A removal takes the device tool at once, before the program has ended.
        EXPECT_TRUE(vt::PathExists(run.ProgramDir() + L"\\devcon.exe"));
    }
}

// ---- version check ------------------------------------------------------------

TEST(Flow, NewerVersionShowsTheUpdatePromptThenOpensTheDownloadAndEnds)
{
    CVelmoraRun run(L"flow-newer");
    run.SetFeedbackAnswers(1, 3);
    vt::CShellInterpreters shell;
    ASSERT_TRUE(run.Start());
    HWND prompt = run.WaitPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(run.PromptText(prompt), L"检测到当前工具有新的版本更新，请下载最新版本使用。");
    EXPECT_EQ(run.CountFeedbackCalls("OpenToolDownUrl"), 0);   // only after the prompt
    ASSERT_TRUE(run.Answer(prompt, kClose));                    // however it is dismissed
    DWORD code = 99;
    ASSERT_TRUE(run.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<std::string> calls = run.FeedbackCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "InitFreedbackDll|record|0");
    EXPECT_EQ(calls[1], "GetToolIsNewVersion|10149|1.0.22.419");
    EXPECT_EQ(calls[2], "OpenToolDownUrl");
    EXPECT_EQ(calls.size(), 3u);
    // A removal is started (by the shell) before the program ends and waits 3 s: none is running.
    EXPECT_TRUE(shell.Running().empty());
    EXPECT_TRUE(vt::PathExists(run.ProgramDir() + L"\\Velmora.exe"));
    EXPECT_TRUE(vt::PathExists(run.ProgramDir() + L"\\devcon.exe"));   // taken at once by a removal
}

TEST(Flow, OtherVersionAnswersLetTheHostCheckRun)
{
    for (int answer : {0, 1, 2}) {
        SCOPED_TRACE(answer);
        CVelmoraRun run(L"flow-version-" + std::to_wstring(answer));
        run.SetFeedbackAnswers(1, answer);
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        EXPECT_EQ(run.CountFeedbackCalls("GetToolIsNewVersion"), 1);   // the timer fires once
        EXPECT_EQ(run.CountFeedbackCalls("OpenToolDownUrl"), 0);
        // The update prompt would have come before the host check, whose
        // result the window has handled: none showed, and none will.
        EXPECT_FALSE(run.WaitPrompt(0));
        EXPECT_TRUE(run.LogLines().empty());
    }
}

// ---- keyboard and agreement -----------------------------------------------------

TEST(Flow, EscAndEnterDoNothingAndTheBoxGatesTheStartButton)
{
    CVelmoraRun run(L"flow-keys");
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    HWND start = ::GetDlgItem(main, IDC_BTN_START);
    HWND box = ::GetDlgItem(main, IDC_CHK_AGREE);
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        for (HWND target : {main, start, box}) {
            ::PostMessageW(target, WM_KEYDOWN, key, 1);
            ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        }
    }
    // The click on the box is posted after the keys and so handled after them:
    // once the box is unticked, every key has had its chance.
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(::IsWindowEnabled(start));
    ASSERT_TRUE(vt::Click(box));
    ASSERT_TRUE(vt::WaitFor([&] { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000));
    EXPECT_FALSE(run.WaitPrompt(0));
    EXPECT_TRUE(run.Process().Running());
    EXPECT_EQ(run.CountFeedbackCalls("CustomerFeedbackEx"), 0);

    EXPECT_TRUE(vt::WaitFor([&] { return !::IsWindowEnabled(start); }, 5000)) << "unticking disables start";
    ASSERT_TRUE(vt::Click(box));
    EXPECT_TRUE(vt::WaitFor([&] { return ::IsWindowEnabled(start) != FALSE; }, 5000)) << "ticking enables start";

    // Quick clicks, each with its own thread: the button ends up following the
    // box's last state, whichever thread finishes first. Each click is sent,
    // so it has been handled (its thread started, not finished) when the next
    // comes and the box's state is the last one once they are all through.
    auto clickNow = [&] {
        DWORD_PTR r = 0;
        return ::SendMessageTimeoutW(box, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &r) != 0;
    };
    for (int clicks : {2, 3, 2, 1, 2, 3}) {
        SCOPED_TRACE(clicks);
        const bool ticked = ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        const bool want = (clicks % 2 == 0) ? ticked : !ticked;
        for (int i = 0; i < clicks; ++i)
            ASSERT_TRUE(clickNow());
        ASSERT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED, want);
        EXPECT_TRUE(vt::WaitFor([&] { return (::IsWindowEnabled(start) != FALSE) == want; }, 5000));
    }
}

// ---- closing ------------------------------------------------------------------------

TEST(Flow, EveryWayOfClosingMakesOneFeedbackCall)
{
    enum How { CloseButton, CloseMessage, AltF4, SystemMenuClose };
    for (How how : {CloseButton, CloseMessage, AltF4, SystemMenuClose}) {
        SCOPED_TRACE(how);
        CVelmoraRun run(L"flow-close-" + std::to_wstring(how));
        // The library writes an answer back into the time text it is handed:
        // the buffer holds it, and the program ends as it should.
        run.SetFeedbackAnswers(1, 0, 63);
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        switch (how) {
        case CloseButton: ASSERT_TRUE(vt::Click(::GetDlgItem(main, IDC_BTN_CLOSE))); break;
        case CloseMessage: ::PostMessageW(main, WM_CLOSE, 0, 0); break;
        case AltF4: PressAltF4(main); break;
        case SystemMenuClose: ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
        DWORD code = 99;
        ASSERT_TRUE(run.WaitExit(10000, &code));
        EXPECT_EQ(code, 0u);
        ExpectClosingFeedback(run, 1);
    }
}

// ---- host-check results -----------------------------------------------------------

TEST(Flow, FatalHostResultsShowTheirTextAndEnd)
{
    struct Case { int code; const wchar_t* text; } cases[] = {
        {2, L"您机器的主机信息与工具指定的机型不符，仔细确认机型后再使用本工具"},
        {7, L"您机器的主机信息与工具指定的机型不符，仔细确认机型后再使用本工具"},
        {3, L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出"},
        {4, L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出"},
        {5, L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出"},
        {6, L"确认本机信息失败，请与软件提拱商联系，点击“确定”退出"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        CVelmoraRun run(L"flow-host-" + std::to_wstring(c.code));
        HWND main = StartReady(run);
        ASSERT_TRUE(main);
        ::PostMessageW(main, WM_HOST_CHECK_RESULT, static_cast<WPARAM>(c.code), 0);
        HWND prompt = run.WaitPrompt();
        ASSERT_TRUE(prompt);
        EXPECT_EQ(run.PromptText(prompt), c.text);
        EXPECT_TRUE(run.PromptButtonVisible(prompt, kFirst));
        EXPECT_FALSE(run.PromptButtonVisible(prompt, kSecond));
        ASSERT_TRUE(run.Answer(prompt, kFirst));
        DWORD code = 99;
        ASSERT_TRUE(run.WaitExit(20000, &code)) << "prompt still shown: " << (run.WaitPrompt(0) != nullptr);
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(run.CountFeedbackCalls("CustomerFeedbackEx"), 0);   // no closing feedback on this path
        if (c.code == 2 || c.code == 6) {   // one of each text: the program folder goes 3 s later
            EXPECT_TRUE(vt::WaitFor([&] { return !vt::PathExists(run.ProgramDir()); }, 10000));
        }
    }
}

TEST(Flow, ReadyAndUnknownHostResultsChangeNothing)
{
    CVelmoraRun run(L"flow-host-ok");
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    // A prompt would be shown inside the handler and hold the answer back:
    // each answer that came back means no prompt.
    for (WPARAM code : {1, 0, 8, 100}) {
        DWORD_PTR r = 0;
        ASSERT_TRUE(::SendMessageTimeoutW(main, WM_HOST_CHECK_RESULT, code, 0, SMTO_ABORTIFHUNG, 5000, &r));
        EXPECT_EQ(r, 1u) << code;
    }
    EXPECT_FALSE(run.WaitPrompt(0));
    EXPECT_TRUE(run.Process().Running());
}

// ---- repair -------------------------------------------------------------------------

TEST(Flow, RepairDoneAsksToRestartAndNoKeepsTheWindowWithoutFeedback)
{
    CVelmoraRun run(L"flow-restart-no");
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    // Sent without waiting, as the repair worker's result comes, so that the
    // message watch sees the handler return.
    ASSERT_TRUE(::SendNotifyMessageW(main, WM_REPAIR_RESULT, 1, 0));
    HWND prompt = run.WaitPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(run.PromptText(prompt), L"修复方案安装完成，重启计算机后生效, 是否重启？");
    EXPECT_TRUE(run.PromptButtonVisible(prompt, kFirst));
    EXPECT_TRUE(run.PromptButtonVisible(prompt, kSecond));
    ASSERT_TRUE(run.Answer(prompt, kSecond));
    // The feedback call and the restart would both come before the handler returns.
    ASSERT_TRUE(vt::WaitFor([&] { return run.CountHandled(WM_REPAIR_RESULT) == 1; }, 5000));
    EXPECT_EQ(run.CountFeedbackCalls("CustomerFeedbackEx"), 0);
    EXPECT_FALSE(run.WaitPrompt(0));
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_TRUE(run.Process().Running());
}

TEST(Flow, RepairDoneAndYesMakesOneFeedbackCall)
{
    // "是" really asks for the restart: without the logger it would end every process of the prefix.
    ASSERT_TRUE(vt::InstallRestartLogger());
    struct CRemove { ~CRemove() { vt::RemoveRestartLogger(); } } remove;
    CVelmoraRun run(L"flow-restart-yes");
    run.SetEnv(vt::kRestartMarker, vt::RestartLogPath());
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    ::PostMessageW(main, WM_REPAIR_RESULT, 1, 0);
    HWND prompt = run.WaitPrompt();
    ASSERT_TRUE(prompt);
    ASSERT_TRUE(run.Answer(prompt, kFirst));
    EXPECT_TRUE(vt::WaitFor([&] { return run.CountFeedbackCalls("CustomerFeedbackEx") == 1; }, 5000));
    ExpectClosingFeedback(run, 1);
    // The logger stays until the request has reached it, or the real wineboot would get it.
    EXPECT_TRUE(vt::WaitFor([] { return vt::RestartLog().find("--kill") != std::string::npos; }, 10000));
}

TEST(Flow, RepairFailedShowsItsPromptAndTheWindowStaysUsable)
{
    CVelmoraRun run(L"flow-repair-failed");
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    ::PostMessageW(main, WM_REPAIR_RESULT, 2, 0);
    HWND prompt = run.WaitPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(run.PromptText(prompt), L"修复方案安装失败");
    EXPECT_FALSE(::IsWindowEnabled(main));   // the prompt is modal over the main window
    ASSERT_TRUE(run.Answer(prompt, kFirst));
    EXPECT_TRUE(vt::WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }, 5000));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_BTN_START)));
    EXPECT_TRUE(run.Process().Running());
}

TEST(Flow, StartButtonRunsTheRepairBehindThePleaseWaitDialog)
{
    CVelmoraRun run(L"flow-start");
    HWND main = StartReady(run);
    ASSERT_TRUE(main);
    ASSERT_TRUE(vt::Click(::GetDlgItem(main, IDC_BTN_START)));
    // The worker reports; the please-wait dialog closes and the answer follows.
    HWND prompt = run.WaitPrompt(20000);
    ASSERT_TRUE(prompt);
    EXPECT_FALSE(run.WaitPleaseWait(0));
    run.Answer(prompt, kSecond);
}
