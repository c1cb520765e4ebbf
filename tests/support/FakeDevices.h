// Devices registered in the test prefix, so that the device enumeration of the
// program (and of the test itself) lists them. Registered with the System
// class GUID unless a test asks for Display: wine drops Display-class devices
// under Enum\PCI whenever a new wineserver session starts, System-class ones
// stay, so a Display-class fake is registered inside the test that uses it
// (the session is warm by then). Wine lists every registered device as present.
#pragma once
#include <string>
#include <vector>

namespace vt {

struct FakeDeviceClass {
    const wchar_t* guid;
    const wchar_t* name;
};
extern const FakeDeviceClass kSystemClass;
extern const FakeDeviceClass kDisplayClass;   // what a graphics function carries on a PC

// Registers HKLM\System\CurrentControlSet\Enum\<instanceId> (three parts,
// e.g. PCI\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\4&1c3b2a0&0&0008) with the
// given hardware IDs as its HardwareID multi-string and compatible IDs as its
// CompatibleIDs; an empty list writes no value at all. Remembers every key it
// created. Registering an instance again writes its class and the given lists
// over the old ones.
bool AddFakeDevice(const std::wstring& instanceId, const std::vector<std::wstring>& hardwareIds,
                   const std::vector<std::wstring>& compatibleIds = {},
                   const FakeDeviceClass& deviceClass = kSystemClass);

// Removes the keys AddFakeDevice created (and only those), newest first.
void RemoveFakeDevices();

// A listed graphics function as a supported PC carries it.
extern const wchar_t* const kListedDeviceInstance;
extern const wchar_t* const kListedDeviceFirstId;

}  // namespace vt
