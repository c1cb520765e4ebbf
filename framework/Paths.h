// Where the running program lies, and what a path on disk is.
#pragma once
#include <string>

// The full path of the running program's file (empty if it cannot be read).
std::wstring ProgramPath();
// The program's folder without a trailing backslash (empty for a path
// without one).
std::wstring GetExeDir();

// True when path (trailing backslashes allowed) names a junction, a symbolic
// link or any other reparse point: something that leads elsewhere.
bool IsLink(std::wstring path);
