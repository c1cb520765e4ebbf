// Observing a forced restart in the test prefix without losing the test: the
// prefix's wineboot.exe is replaced by the restart logger (tools/wineboot),
// which records the call when the requesting process carries the marker
// variable and hands every other call to the saved real wineboot.
#pragma once
#include <string>

namespace vt {

// Name and value of the marker variable to put into the environment of the
// program under test (the value is the log file).
extern const wchar_t* const kRestartMarker;
std::wstring RestartLogPath();

// Installs the logger (idempotent), waits until it answers for the marked
// process, and empties the log. False when it could not be put in place or
// did not answer; the real wineboot is then left as it was.
bool InstallRestartLogger();
// Puts the real wineboot back and drops the override. Call it only after a
// requested restart has shown up in RestartLog(): a request still on its way
// would reach the real wineboot and end every process of the prefix.
void RemoveRestartLogger();
// The recorded calls, one command line per line.
std::string RestartLog();

}  // namespace vt
