// Runs a console command through cmd in a hidden window and collects what it
// writes to standard output and standard error.
//
// The interpreter is the system folder's cmd.exe, started by its full path
// without AutoRun commands (see ComposeCommandLine), so a cmd.exe beside the
// program or in its current folder is never run. It starts in the system
// folder unless the caller names another current folder. A command that is
// still running after kCommandTimeLimitMs has its whole process tree ended,
// and the runner returns false with the output untouched.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// How a run went: the command ran to its end, could not be started (no pipe,
// no process), or outlived the time limit and was ended.
enum class ECommandRun { Ran, NotStarted, TimedOut };

// Wide variant: each chunk read is converted from the ANSI code page.
bool ExecCommand(std::wstring command, std::wstring& output, ECommandRun* how = nullptr);
// Narrow variant: the bytes as the command wrote them. currentDir: the folder
// the command starts in (empty: the system folder).
bool ExecCommandA(const wchar_t* command, std::string& output, ECommandRun* how = nullptr,
                  const std::wstring& currentDir = std::wstring());

// 120 s: a first WMI query on a slow PC that has just started can take tens of
// seconds; a command that takes this long has hung, and the caller reports a
// failure instead of leaving its please-wait dialog up for ever.
extern const DWORD kCommandTimeLimitMs;

// The engine of both variants. Reads at most bufferBytes - 1 bytes at a time into
// a zeroed buffer, hands each chunk (NUL-terminated) to onChunk, then pauses
// pauseMs.
ECommandRun RunCommandChunks(const std::wstring& command, DWORD bufferBytes, DWORD pauseMs, DWORD timeLimitMs,
                             const std::function<void(const char* chunk)>& onChunk,
                             const std::wstring& currentDir = std::wstring());

// The system folder (System32) without a trailing backslash; empty if unknown.
std::wstring SystemFolder();
