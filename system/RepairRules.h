// Rules of the device check and the repair that need no window and no handle:
// which hardware ID the tool acts on, whether the device tool's answer confirms
// the disabling, and the command text that disables it.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "system/HostRules.h"

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
[[nodiscard]] bool ChooseListedHardwareId(const CHardwareIdMap& ids, std::wstring& chosen);

// What the device step of the host check knows of a present device. An
// unread state is Unknown, never Disabled: the tool then repairs.
enum class EDeviceState { Unknown, NotDisabled, Disabled };

// The configuration manager's node status of a device: read is the query's
// success; flags and problem as it reports them (DN_*, CM_PROB_*). A node that
// reports no flags at all has said nothing about itself.
EDeviceState DeviceStateOf(bool read, unsigned long flags, unsigned long problem);

struct SPresentDevice {
    std::string firstId;         // first hardware ID, ANSI
    std::wstring instanceId;
    EDeviceState state = EDeviceState::Unknown;
};

// The device the host check found: the listed ID (as ChooseListedHardwareId
// picks it), the instance ID of the first device that gave it, and the state
// of all devices that gave it (Disabled only when every one of them is).
struct SListedDevice {
    std::wstring hardwareId;
    std::wstring instanceId;
    EDeviceState state = EDeviceState::Unknown;
};

// Reads the present devices; false when the device list cannot be had.
typedef std::function<bool(std::vector<SPresentDevice>& devices)> DeviceListReader;

// The device step of the host check: Accepted with found filled in,
// DeviceListFailed or NoListedDevice (found then left alone).
[[nodiscard]] EHostResult FindListedDevice(const DeviceListReader& readDevices, SListedDevice& found);

// What the repair came to. The window hears it as the designed code of its
// message (see ResultCodes.h).
enum class ERepairResult { Done, Failed };

// What the tool asks of the device tool: the repair disables the listed
// device, giving it back enables it again.
enum class EDeviceVerb { Disable, Enable };

// What the device tool's output confirms: nothing, the change now
// ("N device(s) disabled."), or the change at the next restart ("The N
// device(s) are ready to be disabled. ..."), for at least one device.
enum class EDeviceChange { None, Now, AtRestart };
EDeviceChange DevconChangeOf(EDeviceVerb verb, const std::string& output);

// True only when the output confirms the disabling, now or at the next
// restart. Everything else is a failure.
bool DevconConfirmsDisable(const std::string& output);

// "<folder>\devcon.exe" disable|enable "<hardware ID>": the device tool of the
// program folder by its full path (run with that folder as the current one).
// Empty when the folder (or the ID) holds a character the interpreter would
// expand or that would end the quotes early, or when the interpreter's line
// would have to be cut: the change is then refused.
std::wstring DevconCommand(const std::wstring& exeDir, EDeviceVerb verb, const std::wstring& hardwareId);
