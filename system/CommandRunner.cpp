#include "system/CommandRunner.h"

#include <vector>

#include "base/Handles.h"
#include "base/Text.h"
#include "log/LogSave.h"
#include "system/ChunkDecoder.h"
#include "system/CommandLines.h"
#include "system/CommandJob.h"
#include "system/CommandPipe.h"
#include "system/CommandReadLoop.h"
#include "system/HostRules.h"

const DWORD kCommandTimeLimitMs = 120 * 1000;

namespace {

// A start-up attribute list that lets a child inherit the given handles and
// no other: a command started on another thread at the same moment never
// gets this run's pipe, nor this one that run's.
class CInheritList {
public:
    CInheritList(HANDLE* handles, size_t count) : m_list(1)
    {
        m_bReady = m_list && ::UpdateProcThreadAttribute(m_list.Get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                                         count * sizeof(HANDLE), nullptr, nullptr);
    }

    bool Ready() const { return m_bReady; }
    LPPROC_THREAD_ATTRIBUTE_LIST List() { return m_list.Get(); }

private:
    CAttributeList m_list;
    bool m_bReady = false;
};

// The interpreter for command, suspended, writing into output and reading
// input; these two (made inheritable here) are all it inherits.
bool StartInterpreter(const std::wstring& command, const std::wstring& currentDir, HANDLE output, HANDLE input,
                      PROCESS_INFORMATION& pi)
{
    const std::wstring system = SystemFolder();
    HANDLE inherited[] = {output, input};
    CInheritList list(inherited, 2);
    if (system.empty() || !list.Ready() || !::SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ||
        !::SetHandleInformation(input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        return false;

    STARTUPINFOEXW si = {};
    ::GetStartupInfoW(&si.StartupInfo);
    si.StartupInfo.cb = sizeof(si);
    si.StartupInfo.hStdInput = input;
    si.StartupInfo.hStdOutput = output;
    si.StartupInfo.hStdError = output;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.lpAttributeList = list.List();

    std::vector<wchar_t> line(kMaxCommandLineChars + 1, L'\0');
    ComposeCommandLine(command).copy(line.data(), kMaxCommandLineChars);
    const std::wstring cmdExe = system + L"\\cmd.exe";
    const std::wstring& startIn = currentDir.empty() ? system : currentDir;
    return ::CreateProcessW(cmdExe.c_str(), line.data(), nullptr, nullptr, TRUE,
                            CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, startIn.c_str(),
                            &si.StartupInfo, &pi) != FALSE;
}

// The collected text goes to output only when the command ran to its end.
template <class Text>
bool Handover(ECommandRun run, ECommandRun* how, const Text& collected, Text& output)
{
    if (how)
        *how = run;
    if (run != ECommandRun::Ran)
        return false;
    output += collected;
    return true;
}

}  // namespace

std::wstring SystemFolder()
{
    wchar_t dir[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(dir, n);
}

ECommandRun RunCommandChunks(const std::wstring& command, DWORD bufferBytes, DWORD pauseMs, DWORD timeLimitMs,
                             const ChunkHandler& onChunk, const std::wstring& currentDir)
{
    CHandle port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    SOutputPipe pipe;
    CFileHandle input = OpenEmptyInput();
    if (bufferBytes < 2 || !port || !input || !CreateOutputPipe(pipe) ||
        !::CreateIoCompletionPort(pipe.readEnd.Get(), port.Get(), kReadKey, 0))
        return ECommandRun::NotStarted;

    PROCESS_INFORMATION pi = {};
    if (!StartInterpreter(command, currentDir, pipe.writeEnd.Get(), input.Get(), pi))
        return ECommandRun::NotStarted;   // every handle closes with its owner
    CHandle process(pi.hProcess), thread(pi.hThread);
    // Declared after the process: it watches that handle until it goes.
    CProcessTree tree(port.Get(), kTreeKey);
    // Unconfined, the command still runs; only its interpreter is then
    // watched and ended at the limit. If this process dies before the
    // interpreter is in the job, the interpreter stays suspended.
    tree.Confine(process.Get());
    // The pipe breaks when the command's processes have closed their ends.
    pipe.writeEnd.Reset();
    input.Reset();
    if (::ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        tree.End();
        return ECommandRun::NotStarted;
    }

    const SReadPlan plan{bufferBytes, pauseMs, ::GetTickCount64() + timeLimitMs};
    if (!ReadUntilTreeEnds(pipe.readEnd.Get(), port.Get(), tree, plan, onChunk)) {
        tree.End();
        return ECommandRun::TimedOut;
    }
    return ECommandRun::Ran;
}

void LogCommandTimeout(const std::wstring& command)
{
    LogToolLine(CommandTimeoutLogMessage(WideToUtf8(command), kCommandTimeLimitMs / 1000));
}

bool ExecCommand(std::wstring command, std::wstring& output, ECommandRun* how)
{
    std::wstring collected;
    CChunkDecoder decoder(CP_ACP);
    const ECommandRun run = RunCommandChunks(command, 4096, 500, kCommandTimeLimitMs,
                                             [&](const char* bytes, size_t n) { decoder.Append(bytes, n, collected); });
    decoder.Finish(collected);
    return Handover(run, how, collected, output);
}

bool ExecCommandA(const wchar_t* command, std::string& output, ECommandRun* how, const std::wstring& currentDir)
{
    std::string collected;
    const ECommandRun run =
        RunCommandChunks(command ? command : L"", 1024, 10, kCommandTimeLimitMs,
                         [&](const char* bytes, size_t n) { collected.append(bytes, n); }, currentDir);
    return Handover(run, how, collected, output);
}
