#pragma once
#include <string>
#include <vector>

// Starts the hidden command that removes the program's folder 3 seconds from
// now, and returns at once. Always true. A folder the user keeps other things
// in (a drive root, the Windows folder, Program Files, a profile, the Desktop,
// Downloads, ...) loses only the tool's own files.
bool StartSelfRemoval();

// The same for a given folder and program file name, judged against the given
// protected folders. False when no interpreter was started.
bool StartFolderRemoval(const std::wstring& folder, const std::wstring& programName,
                        const std::vector<std::wstring>& protectedFolders);

// The folders of this system and its users that are never removed whole.
std::vector<std::wstring> ProtectedFolders();
