// Command lines, in one place: the tools the program runs, the interpreter's
// line around a command, quoting, and what the interpreter would read as
// something else. Each command (the model and OS queries, the device tool's,
// the removal's) is put together from these by the rule that owns it.
// No window, no handle.
#pragma once
#include <string>

// ---- The tools run ----------------------------------------------------------

// Our device tool, in the program folder.
extern const wchar_t* const kDeviceToolName;   // devcon.exe
// The system's wait command, in the system folder.
extern const wchar_t* const kWaitToolName;     // timeout.exe
// The system's wmic, under the system folder.
extern const wchar_t* const kWmicInSystemFolder;   // wbem\WMIC.exe

// ---- The interpreter's line -------------------------------------------------

// Longest command line handed to the interpreter, without its terminating NUL.
const size_t kMaxCommandLineChars = 1023;
// What ComposeCommandLine puts around a command: 'cmd /D /S /C "' and '"'.
const size_t kInterpreterWrapChars = 15;

// The interpreter's line for a command (up to an embedded NUL): "cmd /D /S /C"
// and the command in quotes, cut at 1023 characters. /D: no AutoRun commands
// from the registry run with the tool's rights; /S: the interpreter takes off
// exactly the outer quotes, so a command that quotes its program's path and
// its arguments reaches it as written.
std::wstring ComposeCommandLine(const std::wstring& command);

// Whether the command reaches the interpreter whole: not cut to its length
// (a cut command would name another path) and with no NUL inside.
bool FitsInterpreterLine(const std::wstring& command);

// ---- Quoting ----------------------------------------------------------------

// The text in double quotes, as one argument of the interpreter's.
std::wstring Quoted(const std::wstring& s);

// folder\name, with one backslash between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// A path the interpreter would read as something else: it expands %NAME%
// (and !NAME! with delayed expansion) even inside quotes, and a quote or a
// control character would end the quoted text early.
bool UnsafeForInterpreter(const std::wstring& path);
