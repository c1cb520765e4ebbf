// Where the running program lies, and what a path on disk is.
#pragma once
#include <string>

// The full path of the running program's file (empty if it cannot be read).
std::wstring GetExePath();
// The folder of that path without a trailing backslash (empty for a path
// without one).
std::wstring GetExeDir();

// A path's folder, before its last backslash (empty for a path without one),
// and its name, after it (the whole path for one without).
std::wstring FolderOf(const std::wstring& path);
std::wstring FileNameOf(const std::wstring& path);

// True when path (trailing backslashes allowed) names a junction, a symbolic
// link or any other reparse point: something that leads elsewhere.
bool IsLink(std::wstring path);
