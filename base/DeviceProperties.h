// What the system says about one device of a SetupAPI device list: its
// instance ID, a string-list property (the hardware IDs, the compatible IDs)
// and its node status. Read the same way by the program's device step and by
// the device tool; what each makes of the answers is its own rule.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <string>

#include "base/DeviceNodeStatus.h"

// The device's instance ID; empty when it cannot be read.
std::wstring ReadDeviceInstanceId(HDEVINFO set, SP_DEVINFO_DATA& info);

// A string-list property (REG_MULTI_SZ, or REG_SZ as a list of one): the
// characters the system reports, NULs included; a list that lacks its closing
// NULs simply ends with the text. Empty when the device has no such property,
// when it is of another type, or when the driver keeps asking for a larger
// buffer: it is asked a bounded number of times.
std::wstring ReadDeviceStringList(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property);

// The configuration manager's node status of a device.
SDeviceNodeStatus ReadDeviceNodeStatus(const SP_DEVINFO_DATA& info);
