// Rules of the device check and the repair that need no window and no handle:
// which hardware ID the tool acts on, whether the device tool's answer confirms
// the disabling, and the command text that disables it.
#pragma once
#include <map>
#include <string>

// The listed graphics functions, in the order they are tried for each device.
extern const char* const kListedHardwareIdsA[3];
extern const wchar_t* const kListedHardwareIdsW[3];

// The collected first hardware IDs of the present devices (key = value).
typedef std::map<std::string, std::string> CHardwareIdMap;

// The first string of a multi-string list (stops at the first NUL or after
// maxChars characters, whichever comes first).
std::wstring FirstString(const wchar_t* list, size_t maxChars);

// Adds one device's first hardware ID: IDs of one byte or none are dropped,
// an ID already collected is kept once.
void AddHardwareId(CHardwareIdMap& ids, const std::string& firstId);

// Walks the collection in key order and looks for the listed IDs in each
// value (case-sensitive). On the first hit chosen is the listed text itself
// and the result is true; otherwise chosen is left alone.
bool ChooseListedHardwareId(const CHardwareIdMap& ids, std::wstring& chosen);

// True only when the device tool's output says it disabled at least one device,
// now ("N device(s) disabled.") or at the next restart ("The N device(s) are
// ready to be disabled. ..."). Everything else is a failure.
bool DevconConfirmsDisable(const std::string& output);

// "<folder>\devcon.exe" disable "<hardware ID>": the device tool of the
// program folder by its full path (run with that folder as the current one).
// Empty when the folder (or the ID) holds a character the interpreter would
// expand or that would end the quotes early, or when the interpreter's line
// would have to be cut: the repair is then refused.
std::wstring DevconDisableCommand(const std::wstring& exeDir, const std::wstring& hardwareId);
