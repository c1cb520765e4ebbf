// The harness's own steps say why they failed: a start, a resume, a wait that
// timed out. Each row makes one step fail on purpose and checks that the
// reason is in the step's result (what ASSERT_TRUE prints) and on the
// standard error (what a caller that passes only bool on still leaves in the
// test's output).
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/VelmoraRun.h"

namespace {

// A program that stays a while and ends by itself.
std::wstring Waiter()
{
    return vt::BinDir() + L"\\standins\\timeout.exe";
}

}  // namespace

TEST(HarnessSteps, AFailedStepSaysWhyInItsResultAndOnTheStandardError)
{
    struct Row {
        const char* name;
        std::function<vt::CStep()> step;
        std::vector<std::string> why;   // each is in the reason
    };
    vt::CProcess process;
    vt::CVelmoraRun missing(L"harness-missing"), capture(L"harness-capture"), waited(L"harness-wait");
    const Row rows[] = {
        {"program missing",
         [&] { return process.Start(vt::BinDir() + L"\\standins\\no-such-program.exe", L"", vt::BinDir()); },
         {"no-such-program.exe", "CreateProcess error 2", " ms"}},
        {"program folder without the program",
         [&] {
             ::DeleteFileW((missing.ProgramDir() + L"\\Velmora.exe").c_str());
             return missing.Start();
         },
         {"Velmora.exe failed twice: first start of ", "; then start of ", "harness-missing", "Velmora.exe",
          "CreateProcess error 2"}},
        {"output file cannot be made",
         [&] {
             capture.SetArguments(L"/detect");
             ::CreateDirectoryW((capture.Root() + L"\\stdout.txt").c_str(), nullptr);   // a folder at its name
             return capture.Start();
         },
         {"its output file", "stdout.txt", "CreateFile error"}},
        {"resume without a start", [] { return vt::CProcess().Resume(); }, {"resume", "no process was started"}},
        {"resume of a thread that was not held",
         [&] {
             vt::CStep started = process.Start(Waiter(), L"/t 5", vt::BinDir());
             return started ? process.Resume() : started;
         },
         {"suspended 0 times, not once", " running"}},
        {"wait for the end that times out",
         [&] {
             // A supported PC, ready: its host check is over, so nothing it
             // started is left running (and holding this test's output open)
             // when the run ends it.
             waited.AddListedDevice();
             vt::CStep started = waited.Start();
             if (!started)
                 return started;
             if (!waited.WaitReady())
                 return vt::CStep::Failed("the program did not get ready");
             // The window waits for its user: it does not end by itself.
             return waited.WaitExit(300) ? vt::CStep::Done() : vt::CStep::Failed("the wait timed out");
         },
         {"wait for the program's end not over after 300 ms", " running; windows: ", "handled: host check "}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::internal::CaptureStderr();
        const vt::CStep result = row.step();
        const std::string stderrText = testing::internal::GetCapturedStderr();
        process.Kill();
        EXPECT_FALSE(result);
        const std::string printed = static_cast<testing::AssertionResult>(result).message();
        for (const std::string& part : row.why) {
            EXPECT_NE(stderrText.find(part), std::string::npos) << "standard error: " << stderrText;
            if (std::string(row.name).rfind("wait", 0) != 0) {   // a wait reports on the standard error only
                EXPECT_NE(printed.find(part), std::string::npos) << "result: " << printed;
            }
        }
        EXPECT_NE(stderrText.find("harness: "), std::string::npos) << stderrText;
    }
}

TEST(HarnessSteps, ADoneStepSaysNothing)
{
    vt::CProcess process;
    testing::internal::CaptureStderr();
    const vt::CStep started = process.Start(Waiter(), L"/t 5", vt::BinDir(), {}, true);
    const vt::CStep resumed = started ? process.Resume() : started;
    const std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(started);
    EXPECT_TRUE(resumed);
    EXPECT_TRUE(process.Running()) << process.State();
    EXPECT_EQ(stderrText, "");
    process.Kill();
}
