// Devices registered in the test prefix, so that the device enumeration of the
// program (and of the test itself) lists them. Registered with the System
// class GUID: wine drops Display-class devices under Enum\PCI whenever a new
// wineserver session starts, System-class ones stay. Wine lists every
// registered device as present.
#pragma once
#include <string>
#include <vector>

namespace vt {

// Registers HKLM\System\CurrentControlSet\Enum\<instanceId> (three parts,
// e.g. PCI\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\4&1c3b2a0&0&0008) with the
// given hardware IDs as its HardwareID multi-string and compatible IDs as its
// CompatibleIDs; an empty list writes no value at all. Remembers every key it
// created.
bool AddFakeDevice(const std::wstring& instanceId, const std::vector<std::wstring>& hardwareIds,
                   const std::vector<std::wstring>& compatibleIds = {});

// Removes the keys AddFakeDevice created (and only those), newest first.
void RemoveFakeDevices();

// A listed graphics function as a supported PC carries it.
extern const wchar_t* const kListedDeviceInstance;
extern const wchar_t* const kListedDeviceFirstId;

}  // namespace vt
