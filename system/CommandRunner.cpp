#include "system/CommandRunner.h"

#include <vector>

#include "framework/Handles.h"
#include "system/HostRules.h"

const DWORD kCommandTimeLimitMs = 120 * 1000;

namespace {

// While the pipe is empty but still open, look again after this long.
const DWORD kIdlePollMs = 10;
// After the tree was ended, how long to wait for the interpreter to be gone.
const DWORD kEndWaitMs = 5000;

bool SetKillOnClose(HANDLE job, bool on)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION li = {};
    li.BasicLimitInformation.LimitFlags = on ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
    return ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &li, sizeof(li)) != FALSE;
}

}  // namespace

std::wstring SystemFolder()
{
    wchar_t dir[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(dir, n);
}

ECommandRun RunCommandChunks(const std::wstring& command, DWORD bufferBytes, DWORD pauseMs, DWORD timeLimitMs,
                             const std::function<void(const char* chunk)>& onChunk, const std::wstring& currentDir)
{
    if (bufferBytes < 2)
        return ECommandRun::NotStarted;

    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    CHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.Out(), writeEnd.Out(), &sa, 0))
        return ECommandRun::NotStarted;

    STARTUPINFOW si;
    ::ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    ::GetStartupInfoW(&si);
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.wShowWindow = SW_HIDE;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    const std::wstring system = SystemFolder();
    if (system.empty())
        return ECommandRun::NotStarted;
    const std::wstring cmdExe = system + L"\\cmd.exe";
    const std::wstring& startIn = currentDir.empty() ? system : currentDir;

    // The interpreter and what it starts belong to this job, so a command that
    // outlives the limit can be ended with everything it started; while the
    // call runs, the tree also ends when this process dies. The interpreter is
    // not started suspended: a caller killed before resuming it would leave it
    // hanging for ever. It is put in the job at once, long before it has read
    // its command line and started anything.
    CHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (job.Get() && !SetKillOnClose(job.Get(), true))
        job.Reset();
    PROCESS_INFORMATION pi = {};
    {
        std::vector<wchar_t> line(kMaxCommandLineChars + 1, L'\0');
        const std::wstring composed = ComposeCommandLine(command);
        composed.copy(line.data(), kMaxCommandLineChars);
        if (!::CreateProcessW(cmdExe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, startIn.c_str(),
                              &si, &pi))
            return ECommandRun::NotStarted;   // both pipe ends close with their owners
    }
    CHandle process(pi.hProcess), thread(pi.hThread);
    if (job.Get() && !::AssignProcessToJobObject(job.Get(), process.Get()))
        job.Reset();   // e.g. already in a job that forbids nesting: end the interpreter alone

    // Our copy of the write end goes at once: the pipe then breaks when the
    // interpreter and everything it started have closed theirs.
    writeEnd.Reset();

    const ULONGLONG deadline = ::GetTickCount64() + timeLimitMs;
    bool timedOut = false;
    std::vector<char> buffer(bufferBytes);
    for (;;) {
        if (::GetTickCount64() >= deadline) {
            timedOut = true;
            break;
        }
        DWORD available = 0;
        if (!::PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr))
            break;   // broken: every writer is gone
        if (available == 0) {
            ::Sleep(kIdlePollMs);
            continue;
        }
        ::ZeroMemory(buffer.data(), buffer.size());
        DWORD got = 0;
        if (!::ReadFile(readEnd.Get(), buffer.data(), bufferBytes - 1, &got, nullptr))
            break;
        onChunk(buffer.data());
        ::Sleep(pauseMs);
    }
    readEnd.Reset();

    if (!timedOut) {
        ULONGLONG now = ::GetTickCount64();
        DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        timedOut = ::WaitForSingleObject(process.Get(), left) != WAIT_OBJECT_0;
    }
    if (timedOut) {
        if (job.Get())
            ::TerminateJobObject(job.Get(), 1);
        else
            ::TerminateProcess(process.Get(), 1);
        ::WaitForSingleObject(process.Get(), kEndWaitMs);
        return ECommandRun::TimedOut;
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.Get(), &exitCode);   // read, not part of the result
    // Whatever the command left running in the background stays running.
    if (job.Get())
        SetKillOnClose(job.Get(), false);
    return ECommandRun::Ran;
}

bool ExecCommand(std::wstring command, std::wstring& output, ECommandRun* how)
{
    std::wstring collected;
    const ECommandRun run = RunCommandChunks(command, 4096, 500, kCommandTimeLimitMs, [&](const char* chunk) {
        int n = ::MultiByteToWideChar(CP_ACP, 0, chunk, -1, nullptr, 0);
        if (n <= 1)
            return;
        std::wstring wide(static_cast<size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, chunk, -1, &wide[0], n);
        collected.append(wide.c_str(), static_cast<size_t>(n) - 1);
    });
    if (how)
        *how = run;
    if (run != ECommandRun::Ran)
        return false;
    output += collected;
    return true;
}

bool ExecCommandA(const wchar_t* command, std::string& output, ECommandRun* how, const std::wstring& currentDir)
{
    std::string collected;
    const ECommandRun run = RunCommandChunks(
        command ? command : L"", 1024, 10, kCommandTimeLimitMs, [&](const char* chunk) { collected += chunk; },
        currentDir);
    if (how)
        *how = run;
    if (run != ECommandRun::Ran)
        return false;
    output += collected;
    return true;
}
