// Where the running program lies.
#pragma once
#include <string>

// The full path of the running program's file (empty if it cannot be read).
std::wstring ProgramPath();
// The program's folder without a trailing backslash (empty for a path
// without one).
std::wstring GetExeDir();
