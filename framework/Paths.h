// Where the running program lies, and what a path on disk is.
#pragma once
#include <string>

// The full path of the running program's file (empty if it cannot be read).
[[nodiscard]] std::wstring GetExePath();
// The folder of that path without a trailing backslash (empty for a path
// without one).
[[nodiscard]] std::wstring GetExeDir();

// True when path (trailing backslashes allowed) names a junction, a symbolic
// link or any other reparse point: something that leads elsewhere.
[[nodiscard]] bool IsLink(std::wstring path);
