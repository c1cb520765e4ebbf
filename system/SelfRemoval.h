// The end of a run: the tool takes away what is its own in the program folder
// (see SelfRemovalRules.h), part at once and the rest by a hidden command that
// waits until the program has ended.
#pragma once
#include <string>
#include <vector>

#include "system/SelfRemovalRules.h"

// Lists the program folder's files as the program starts; files that come
// later are the run's. Called once, first thing.
void NoteProgramFolderAtStart();

// Starts the removal for the program's own folder and returns at once.
// Always true.
bool StartSelfRemoval();

// What the removal knows now of a folder the program named programName runs
// from: its files, a log folder this run made there, the protected and profile
// folders of this machine. filesAtStart: the listing taken at start, if any.
SSelfRemovalFacts GatherRemovalFacts(const std::wstring& folder, const std::wstring& programName,
                                     const std::vector<std::wstring>* filesAtStart);

// Removes what the plan removes now and starts the hidden command for the
// rest. True when that command was started.
bool CarryOutSelfRemoval(const SSelfRemovalPlan& plan);

// The names of the plain files in a folder (no folders, no "." entries).
std::vector<std::wstring> FileNamesIn(const std::wstring& folder);

// The folders of this system and its users that are never removed or cleared:
// system folders and the known folders of this account and of every account
// whose settings are loaded; and the profile folders of every account.
std::vector<std::wstring> ProtectedFolders();
std::vector<std::wstring> ProfileFolders();
