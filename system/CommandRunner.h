// Runs a console command through cmd in a hidden window and collects what it
// writes to standard output and standard error.
//
// The interpreter is the system folder's cmd.exe, started by its full path
// without AutoRun commands (see ComposeCommandLine), so a cmd.exe beside the
// program or in its current folder is never run. It starts in the system
// folder unless the caller names another current folder, reads its standard
// input from the NUL device (a command that asks for input gets end-of-file),
// and inherits the write end of the output pipe and that input, nothing else.
// It runs in a job together with everything it starts. The command has ended
// when the interpreter has (it waits for the programs it runs, not for those
// they start in the background): whatever is left in the job is then ended,
// and what the output pipe still holds is read for at most kDrainMs (see
// CommandReadLoop.h), even if a process outside the job still holds a copy
// of the write end. A command that is still running after
// kCommandTimeLimitMs has its whole process tree ended, and the runner
// returns false with the output untouched.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// How a run went: the command ran to its end, could not be started (no pipe,
// no process), or outlived the time limit and was ended.
enum class ECommandRun { Ran, NotStarted, TimedOut };

// Wide variant: the output is converted from the ANSI code page; a character
// whose bytes arrive in two reads is converted whole.
[[nodiscard]] bool ExecCommand(std::wstring command, std::wstring& output, ECommandRun* how = nullptr);
// Narrow variant: the bytes as the command wrote them, NUL bytes included.
// currentDir: the folder the command starts in (empty: the system folder).
[[nodiscard]] bool ExecCommandA(const wchar_t* command, std::string& output, ECommandRun* how = nullptr,
                                const std::wstring& currentDir = std::wstring());

// 120 s: a first WMI query on a slow PC that has just started can take tens of
// seconds; a command that takes this long has hung, and the caller reports a
// failure instead of leaving its please-wait dialog up for ever.
extern const DWORD kCommandTimeLimitMs;

// Receives one read's bytes (length of them; the buffer also holds a NUL
// after them).
using ChunkHandler = std::function<void(const char* bytes, size_t length)>;

// The engine of both variants. Reads at most bufferBytes - 1 bytes at a time into
// a zeroed buffer, hands each chunk to onChunk, then pauses pauseMs.
[[nodiscard]] ECommandRun RunCommandChunks(const std::wstring& command, DWORD bufferBytes, DWORD pauseMs,
                                           DWORD timeLimitMs, const ChunkHandler& onChunk,
                                           const std::wstring& currentDir = std::wstring());

// The system folder (System32) without a trailing backslash; empty if unknown.
std::wstring SystemFolder();

// To the tool's log, after the line that reports a command's failure, when
// the command outlived the limit: one more line naming it and the seconds
// waited, so a hung command can be told from one that could not start.
void LogCommandTimeout(const std::wstring& command);
