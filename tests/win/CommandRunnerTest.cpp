// The command runner with the real cmd: what arrives, in which order, what is
// cut, what is bounded, and which interpreter runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "framework/Handles.h"
#include "system/CommandRunner.h"
#include "tests/support/TestSupport.h"

namespace {

// A copy of the wmic stand-in under a name of our choosing, with its payloads.
struct CStandin {
    std::wstring dir, exe;
    CStandin(const std::wstring& scratch, const std::wstring& name = L"wmic.exe")
        : dir(vt::ScratchDir(scratch)), exe(dir + L"\\" + name)
    {
        vt::CopyFileTo(vt::BinDir() + L"\\standins\\wmic.exe", exe);
    }
    void Payload(const std::string& bytes) { vt::WriteFileBytes(dir + L"\\wmic-csproduct.bin", bytes); }
    void Config(const std::string& text) { vt::WriteFileBytes(dir + L"\\wmic.cfg", text); }
    std::wstring Command() const { return exe + L" csproduct list full"; }
};

template <size_t N>
std::string Bytes(const char (&s)[N]) { return std::string(s, N - 1); }

}  // namespace

TEST(CommandRunner, EmptyOutputLeavesTheStringAsItWas)
{
    std::string narrow = "kept";
    EXPECT_TRUE(ExecCommandA(L"rem nothing to say", narrow));
    EXPECT_EQ(narrow, "kept");
    std::wstring wide = L"kept";
    EXPECT_TRUE(ExecCommand(L"rem nothing to say", wide));
    EXPECT_EQ(wide, L"kept");
}

TEST(CommandRunner, LongOutputArrivesWholeAndInOrder)
{
    CStandin s(L"runner-long");
    std::string payload;
    for (int i = 0; payload.size() < 1100 * 1024; ++i)
        payload += "line " + std::to_string(i) + (i % 3 ? "\r\r\n" : "\r\n");
    s.Payload(payload);
    std::string out = "head|";
    ASSERT_TRUE(ExecCommandA(s.Command().c_str(), out));
    ASSERT_EQ(out.size(), payload.size() + 5);
    EXPECT_TRUE(out == "head|" + payload);

    // The wide variant reads 4095 bytes at a time and converts each chunk.
    std::string small = payload.substr(0, 20000);
    s.Payload(small);
    std::wstring wide;
    ASSERT_TRUE(ExecCommand(s.Command(), wide));
    EXPECT_EQ(vt::Utf8(wide), small);
}

TEST(CommandRunner, StandardErrorIsInterleaved)
{
    std::string out;
    ASSERT_TRUE(ExecCommandA(L"echo one& echo two 1>&2& echo three& echo four 1>&2", out));
    // The interpreter may keep the blank before a redirection.
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    EXPECT_EQ(out, "one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST(CommandRunner, UnknownCommandStillRuns)
{
    std::string out;
    ASSERT_TRUE(ExecCommandA(L"velmora-no-such-command /x", out));
    EXPECT_NE(out.find("velmora-no-such-command"), std::string::npos) << out;
}

TEST(CommandRunner, TextEndsAtANulByteOfARead)
{
    CStandin s(L"runner-nul");
    s.Payload(Bytes("Version=KESTRA\0Q5 31XRV05\r\n"));
    std::string narrow;
    ASSERT_TRUE(ExecCommandA(s.Command().c_str(), narrow));
    EXPECT_EQ(narrow, "Version=KESTRA");
    std::wstring wide;
    ASSERT_TRUE(ExecCommand(s.Command(), wide));
    EXPECT_EQ(wide, L"Version=KESTRA");
}

TEST(CommandRunner, WideVariantConvertsFromTheAnsiCodePage)
{
    CStandin s(L"runner-ansi");
    const std::string bytes = "Caption=caf\xe9 \xb5\r\n";
    s.Payload(bytes);
    wchar_t expected[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, expected, 64);
    std::wstring wide;
    ASSERT_TRUE(ExecCommand(s.Command(), wide));
    EXPECT_EQ(wide, expected);
    std::string narrow;
    ASSERT_TRUE(ExecCommandA(s.Command().c_str(), narrow));
    EXPECT_EQ(narrow, bytes);
}

TEST(CommandRunner, CommandLineIsCutAt1023Characters)
{
    // 'cmd /D /S /C "echo ' is 19 characters: 1004 of the 2000 survive.
    std::string out;
    ASSERT_TRUE(ExecCommandA((L"echo " + std::wstring(2000, L'x')).c_str(), out));
    EXPECT_EQ(out, std::string(1004, 'x') + "\r\n");
}

TEST(CommandRunner, HungCommandTreeIsEndedAtTheLimit)
{
    CStandin s(L"runner-hang", L"velmora-hangprobe.exe");
    s.Payload("partial\r\n");
    s.Config("hang=1\r\n");
    ASSERT_EQ(vt::ProcessesNamed(L"velmora-hangprobe.exe"), 0);

    std::string seen;
    ULONGLONG start = ::GetTickCount64();
    ECommandRun run = RunCommandChunks(s.Command(), 1024, 10, 3000, [&](const char* c) { seen += c; });
    ULONGLONG took = ::GetTickCount64() - start;

    EXPECT_EQ(run, ECommandRun::TimedOut);   // told apart from a command that could not start
    EXPECT_EQ(seen, "partial\r\n");
    EXPECT_GE(took, 3000u);
    EXPECT_LT(took, 12000u);
    // The interpreter's child went with it.
    EXPECT_TRUE(vt::WaitFor([] { return vt::ProcessesNamed(L"velmora-hangprobe.exe") == 0; }, 5000));
}

TEST(CommandRunner, SlowCommandWithinTheLimitIsWaitedFor)
{
    CStandin s(L"runner-slow");
    s.Payload("late\r\n");
    s.Config("sleep_ms=1500\r\nexit=7\r\n");
    std::string out;
    ECommandRun run = RunCommandChunks(s.Command(), 1024, 10, 10000, [&](const char* c) { out += c; });
    EXPECT_EQ(run, ECommandRun::Ran);   // exit code 7 is not part of the result
    EXPECT_EQ(out, "late\r\n");
}

TEST(CommandRunner, PlantedInterpreterInTheCurrentFolderIsNotRun)
{
    // A cmd.exe that records every start in its folder.
    CStandin plant(L"runner-plant", L"cmd.exe");
    const std::wstring calls = plant.dir + L"\\wmic-calls.txt";

    wchar_t saved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(plant.dir.c_str()));

    // The plant is where a search for "cmd" looks first after the program's own folder.
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    wchar_t line[] = L"cmd /C exit";
    bool searched = ::CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                     &si, &pi);
    if (searched) {
        CHandle process(pi.hProcess), thread(pi.hThread);
        ::WaitForSingleObject(process.Get(), 10000);
    }
    const bool plantReachable = vt::PathExists(calls);
    ::DeleteFileW(calls.c_str());

    std::string out;
    bool ok = ExecCommandA(L"echo real interpreter", out);
    ::SetCurrentDirectoryW(saved);

    EXPECT_TRUE(plantReachable) << "the search did not find the plant; this test proves nothing";
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, "real interpreter\r\n");
    EXPECT_FALSE(vt::PathExists(calls));
}
