// Rules of the device check, the repair and the self-removal that need no
// window and no handle: which hardware ID the tool acts on, whether the device
// tool's answer confirms the disabling, the command texts, and which folders
// the self-removal must never take away.
#pragma once
#include <map>
#include <string>
#include <vector>

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

// cd /d "<folder>" & devcon.exe disable "<hardware ID>"
std::wstring DevconDisableCommand(const std::wstring& exeDir, const std::wstring& hardwareId);

// Parameters for the hidden interpreter that ends a run of the tool: wait 3 s,
// then remove the program folder. A folder that is (or holds) one of the
// protected folders, or a drive root, keeps everything but the tool's own
// files. Empty when nothing can be removed safely: no folder, or a path with
// characters the interpreter would expand (% and !).
std::wstring SelfRemovalParameters(const std::wstring& folder, const std::wstring& programName,
                                   const std::vector<std::wstring>& protectedFolders);

// A drive root, a share root, one of protectedFolders or a folder that holds one of them.
bool IsProtectedFolder(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders);
