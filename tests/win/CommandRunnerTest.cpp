// The command runner with the real cmd: what arrives, in which order, what is
// cut, what is bounded, and which interpreter runs.
#include <gtest/gtest.h>

#include <cstdio>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "base/Handles.h"
#include "system/ChunkDecoder.h"
#include "system/CommandJob.h"
#include "system/CommandReadLoop.h"
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
template <size_t N>
std::wstring WideBytes(const wchar_t (&s)[N]) { return std::wstring(s, N - 1); }

DWORD PidNamed(const wchar_t* exeName)
{
    CHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof(pe);
    for (BOOL more = ::Process32FirstW(snap.Get(), &pe); more; more = ::Process32NextW(snap.Get(), &pe))
        if (_wcsicmp(pe.szExeFile, exeName) == 0)
            return pe.th32ProcessID;
    return 0;
}

// The handle a running process writes its standard output to, as a value in
// that process: read from its start-up parameters (x64 layout).
HANDLE StdOutputOf(HANDLE process)
{
    struct SBasicInfo {
        LONG_PTR exitStatus;
        BYTE* peb;
        ULONG_PTR rest[4];
    } info = {};
    using FQuery = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<FQuery>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    BYTE* parameters = nullptr;
    HANDLE output = nullptr;
    SIZE_T got = 0;
    if (!query || query(process, 0, &info, sizeof(info), nullptr) != 0 ||
        !::ReadProcessMemory(process, info.peb + 0x20, &parameters, sizeof(parameters), &got) ||
        !::ReadProcessMemory(process, parameters + 0x28, &output, sizeof(output), &got))
        return nullptr;
    return output;
}

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

    // In a double-byte code page, a character whose bytes fall into two reads
    // is converted whole.
    std::string gbk;
    for (int i = 0; i < 3000; ++i)
        gbk += "\xD6\xD0";   // 中
    s.Payload(gbk);
    CChunkDecoder decoder(936);
    std::wstring chinese;
    bool split = false;
    ASSERT_EQ(RunCommandChunks(s.Command(), 4096, 0, 60000,
                               [&](const char* bytes, size_t n) {
                                   split = split || n % 2 == 1;
                                   decoder.Append(bytes, n, chinese);
                               }),
              ECommandRun::Ran);
    decoder.Finish(chinese);
    EXPECT_TRUE(split) << "no read ended inside a character; this step proves nothing";
    EXPECT_TRUE(chinese == std::wstring(3000, L'\x4E2D')) << "converted to " << chinese.size() << " characters";
}

TEST(CommandRunner, CharactersSplitBetweenChunksConvertWhole)
{
    const struct {
        const char* what;
        UINT codePage;
        std::vector<std::string> chunks;
        std::wstring expected;
    } rows[] = {
        {"double-byte, split after the first byte", 936, {"a\xD6", "\xD0" "b"}, L"a\x4E2D" L"b"},
        {"a second byte that could lead is not carried", 936, {"\xCE\xC4", "\xD6\xD0"}, L"\x6587\x4E2D"},
        {"carried over an empty chunk", 936, {"\xB9", "", "\xFA"}, L"\x56FD"},
        {"UTF-8, three bytes in three chunks", CP_UTF8, {"\xE4", "\xB8", "\xAD!"}, L"\x4E2D!"},
        {"UTF-8, a whole character last is not held", CP_UTF8, {"\xC3\xA9", "x"}, L"\xE9x"},
        {"single-byte", 1252, {"caf\xE9"}, L"caf\xE9"},
        {"NUL bytes kept", 936, {Bytes("a\0"), "b"}, WideBytes(L"a\0b")},
    };
    for (const auto& row : rows) {
        CChunkDecoder decoder(row.codePage);
        std::wstring out;
        for (const std::string& chunk : row.chunks)
            decoder.Append(chunk.data(), chunk.size(), out);
        decoder.Finish(out);
        EXPECT_EQ(out, row.expected) << row.what;
    }

    // A first byte with nothing after it at the end is converted, not dropped.
    CChunkDecoder decoder(936);
    std::wstring out;
    decoder.Append("ab\xD6", 3, out);
    EXPECT_EQ(out, L"ab");
    decoder.Finish(out);
    EXPECT_EQ(out.size(), 3u);
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

TEST(CommandRunner, NulBytesAreKept)
{
    CStandin s(L"runner-nul");
    s.Payload(Bytes("Version=KESTRA\0Q5 31XRV05\r\n"));
    std::string narrow;
    ASSERT_TRUE(ExecCommandA(s.Command().c_str(), narrow));
    EXPECT_EQ(narrow, Bytes("Version=KESTRA\0Q5 31XRV05\r\n"));
    std::wstring wide;
    ASSERT_TRUE(ExecCommand(s.Command(), wide));
    EXPECT_EQ(wide, WideBytes(L"Version=KESTRA\0Q5 31XRV05\r\n"));
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
    const struct {
        const char* what;
        std::wstring command;
    } rows[] = {
        {"run by the interpreter", s.Command()},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(vt::ProcessesNamed(L"velmora-hangprobe.exe"), 0) << row.what;
        std::string seen;
        ULONGLONG start = 0, took = 0;
        ECommandRun run = ECommandRun::NotStarted;
        // An interpreter that ended at once having printed nothing ran nothing.
        vt::TriedTwice("the hung command's interpreter", [&] {
            seen.clear();
            start = ::GetTickCount64();
            run = RunCommandChunks(row.command, 1024, 10, 3000,
                                   [&](const char* bytes, size_t n) { seen.append(bytes, n); });
            took = ::GetTickCount64() - start;
            return run == ECommandRun::Ran && seen.empty() && took < 1000
                       ? vt::CStep::Failed("wine ended it before it ran (" + std::to_string(took) + " ms)")
                       : vt::CStep::Done();
        });

        EXPECT_EQ(run, ECommandRun::TimedOut) << row.what;   // told apart from a command that could not start
        EXPECT_EQ(seen, "partial\r\n") << row.what;
        EXPECT_GE(took, 3000u) << row.what;
        EXPECT_LT(took, 12000u) << row.what;
        // Everything the interpreter started went with it.
        EXPECT_TRUE(vt::WaitFor([] { return vt::ProcessesNamed(L"velmora-hangprobe.exe") == 0; }, 5000))
            << row.what;
    }
}

// The command has ended when its interpreter has: what it left running is
// ended then, and the output it gave is kept, without waiting for the
// leftover or the time limit.
TEST(CommandRunner, TheCommandEndsWithItsInterpreterAndWhatItLeftGoesWithIt)
{
    CStandin hung(L"runner-apart", L"velmora-apartprobe.exe");
    hung.Config("hang=1\r\n");
    CStandin lingering(L"runner-linger", L"velmora-lingerprobe.exe");
    lingering.Payload("answer\r\n");
    lingering.Config("linger=1\r\n");
    const struct {
        const char* what;
        const wchar_t* program;
        std::wstring command;
        const char* output;   // null: whatever it wrote before it was ended
    } rows[] = {
        // The interpreter is gone at once; what it started apart must go too.
        {"started apart by the interpreter, hung", L"velmora-apartprobe.exe", L"start \"\" /b " + hung.Command(),
         nullptr},
        // A query that answered and ended, leaving a program of its own in the
        // background that holds the output.
        {"a program left in the background holding the output", L"velmora-lingerprobe.exe", lingering.Command(),
         "answer\r\n"},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(vt::ProcessesNamed(row.program), 0) << row.what;
        std::string seen;
        const ULONGLONG start = ::GetTickCount64();
        const ECommandRun run = RunCommandChunks(row.command, 1024, 10, 30000,
                                                 [&](const char* bytes, size_t n) { seen.append(bytes, n); });
        const ULONGLONG took = ::GetTickCount64() - start;
        EXPECT_EQ(run, ECommandRun::Ran) << row.what;
        if (row.output) {
            EXPECT_EQ(seen, row.output) << row.what;
        }
        // The interpreter's end, then at most the drain's bound.
        EXPECT_LT(took, 10000u) << row.what;
        EXPECT_TRUE(vt::WaitFor([&] { return vt::ProcessesNamed(row.program) == 0; }, 5000)) << row.what;
    }
}

// Where no job can hold the interpreter (here: a handle without the right to
// put it in one), the command still runs, its end is still told, and the
// limit still ends it.
TEST(CommandRunner, UnconfinedInterpreterIsWatchedAndEnded)
{
    CStandin s(L"runner-unconfined", L"velmora-unconfined.exe");
    s.Config("hang=1\r\n");
    std::wstring line = s.Command();
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessW(s.exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                                 nullptr, nullptr, &si, &pi));
    CHandle process(pi.hProcess), thread(pi.hThread), limited;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), process.Get(), ::GetCurrentProcess(), limited.Out(),
                                  SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
    CHandle port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));

    CProcessTree tree(port.Get(), kTreeKey);
    EXPECT_FALSE(tree.Confine(limited.Get()));
    ::ResumeThread(thread.Get());
    EXPECT_FALSE(tree.Ended(0));
    tree.End();
    EXPECT_EQ(::WaitForSingleObject(process.Get(), 0), WAIT_OBJECT_0);
    DWORD message = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* ov = nullptr;
    EXPECT_TRUE(::GetQueuedCompletionStatus(port.Get(), &message, &key, &ov, 5000));
    EXPECT_EQ(key, kTreeKey);
    EXPECT_TRUE(tree.Ended(message));
}

// A process outside the command's tree (this one, here) holds a copy of the
// write end: the pipe never breaks, yet the run ends with the tree and keeps
// the output.
TEST(CommandRunner, RunEndsWithItsTreeWhileACopyOfThePipeIsHeldElsewhere)
{
    CStandin s(L"runner-leak", L"velmora-leakprobe.exe");
    s.Payload("answer\r\n");
    const std::wstring hold = s.dir + L"\\wmic-hold";
    ASSERT_TRUE(vt::WriteFileBytes(hold, ""));

    std::string out;
    ECommandRun run = ECommandRun::NotStarted;
    CHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread runner([&] {
        run = RunCommandChunks(s.Command(), 1024, 10, 60000, [&](const char* b, size_t n) { out.append(b, n); });
        ::SetEvent(done.Get());
    });
    DWORD pid = 0;
    EXPECT_TRUE(vt::WaitFor([&] { return (pid = PidNamed(L"velmora-leakprobe.exe")) != 0; }, 10000));
    CHandle standin(::OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    CHandle copy;
    EXPECT_TRUE(standin && ::DuplicateHandle(standin.Get(), StdOutputOf(standin.Get()), ::GetCurrentProcess(),
                                             copy.Out(), 0, FALSE, DUPLICATE_SAME_ACCESS));
    ::DeleteFileW(hold.c_str());

    const bool ended = ::WaitForSingleObject(done.Get(), 30000) == WAIT_OBJECT_0;
    copy.Reset();   // a runner that waits for the pipe to break goes now
    runner.join();
    EXPECT_TRUE(ended) << "the run waited for the pipe to break";
    EXPECT_EQ(run, ECommandRun::Ran);
    EXPECT_EQ(out, "answer\r\n");
}

// A handle the program left inheritable (here: the write end of a pipe of
// its own) does not reach the command: once the program closes it, that pipe
// has no writer left while the command still runs.
TEST(CommandRunner, CommandInheritsNoOtherHandleOfTheProgram)
{
    CStandin s(L"runner-inherit", L"velmora-inheritprobe.exe");
    const std::wstring hold = s.dir + L"\\wmic-hold";
    ASSERT_TRUE(vt::WriteFileBytes(hold, ""));
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    CHandle otherRead, otherWrite;
    ASSERT_TRUE(::CreatePipe(otherRead.Out(), otherWrite.Out(), &sa, 0));

    std::string out;
    std::thread runner([&] { EXPECT_TRUE(ExecCommandA(s.Command().c_str(), out)); });
    EXPECT_TRUE(vt::WaitFor([] { return vt::ProcessesNamed(L"velmora-inheritprobe.exe") == 1; }, 10000));
    otherWrite.Reset();
    DWORD available = 0;
    const BOOL peeked = ::PeekNamedPipe(otherRead.Get(), nullptr, 0, nullptr, &available, nullptr);
    const DWORD error = ::GetLastError();
    ::DeleteFileW(hold.c_str());
    runner.join();
    EXPECT_FALSE(peeked) << "the command holds the program's handle";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BROKEN_PIPE));
}

// The program's own input here is a pipe nobody writes to: a command that
// read it would wait for ever. The check runs in a copy of this test program
// started with that input.
TEST(CommandRunner, CommandReadingInputEndsAtOnce)
{
    const wchar_t* kChild = L"VELMORA_RUNNER_INPUT_CHILD";
    if (::GetEnvironmentVariableW(kChild, nullptr, 0) > 0) {
        std::string out;
        EXPECT_TRUE(ExecCommandA(L"set /p answer=& echo after", out));
        EXPECT_EQ(out, "after\r\n");
        return;
    }
    const std::wstring dir = vt::ScratchDir(L"runner-input");
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    CHandle inputRead, inputWrite;
    ASSERT_TRUE(::CreatePipe(inputRead.Out(), inputWrite.Out(), &sa, 0));
    ::SetHandleInformation(inputWrite.Get(), HANDLE_FLAG_INHERIT, 0);
    CFileHandle log(::CreateFileW((dir + L"\\child.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                  CREATE_ALWAYS, 0, nullptr));
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(exe) + L"\" --gtest_filter=CommandRunner.CommandReadingInputEndsAtOnce";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inputRead.Get();
    si.hStdOutput = si.hStdError = log.Get();
    PROCESS_INFORMATION pi = {};
    ::SetEnvironmentVariableW(kChild, L"1");
    const BOOL started = ::CreateProcessW(exe, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                          &si, &pi);
    ::SetEnvironmentVariableW(kChild, nullptr);
    ASSERT_TRUE(started);
    CHandle child(pi.hProcess), thread(pi.hThread);
    log.Reset();

    const bool ended = ::WaitForSingleObject(child.Get(), 30000) == WAIT_OBJECT_0;
    if (!ended)
        ::TerminateProcess(child.Get(), 1);
    DWORD code = 1;
    ::GetExitCodeProcess(child.Get(), &code);
    EXPECT_TRUE(ended) << "the command waited for input";
    EXPECT_EQ(code, 0u) << vt::ReadFileBytes(dir + L"\\child.txt");
}

TEST(CommandRunner, SlowCommandWithinTheLimitIsWaitedFor)
{
    CStandin s(L"runner-slow");
    s.Payload("late\r\n");
    s.Config("sleep_ms=1500\r\nexit=7\r\n");
    std::string out;
    ECommandRun run =
        RunCommandChunks(s.Command(), 1024, 10, 10000, [&](const char* bytes, size_t n) { out.append(bytes, n); });
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
