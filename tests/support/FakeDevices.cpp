#include "tests/support/FakeDevices.h"

#include <windows.h>

#include "base/Handles.h"

namespace vt {

const wchar_t* const kListedDeviceInstance = L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1c3b2a0&0&0008";
const wchar_t* const kListedDeviceFirstId = L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1";
const FakeDeviceClass kSystemClass = {L"{4d36e97d-e325-11ce-bfc1-08002be10318}", L"System"};
const FakeDeviceClass kDisplayClass = {L"{4d36e968-e325-11ce-bfc1-08002be10318}", L"Display"};

namespace {

const wchar_t* const kEnumRoot = L"System\\CurrentControlSet\\Enum";

// Keys under kEnumRoot this process created, in the order created.
std::vector<std::wstring>& CreatedKeys()
{
    static std::vector<std::wstring> keys;
    return keys;
}

bool SetString(HKEY key, const wchar_t* name, DWORD type, const std::wstring& data)
{
    return ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

bool AddFakeDevice(const std::wstring& instanceId, const std::vector<std::wstring>& hardwareIds,
                   const std::vector<std::wstring>& compatibleIds, const FakeDeviceClass& deviceClass)
{
    if (instanceId.empty())
        return false;
    // Part by part, so that every key this call makes is known and can go again.
    std::wstring relative;
    CRegKey key;
    size_t start = 0;
    while (start <= instanceId.size()) {
        size_t end = instanceId.find(L'\\', start);
        if (end == std::wstring::npos)
            end = instanceId.size();
        relative += (relative.empty() ? L"" : L"\\") + instanceId.substr(start, end - start);
        start = end + 1;
        DWORD disposition = 0;
        std::wstring full = std::wstring(kEnumRoot) + L"\\" + relative;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(),
                              &disposition) != ERROR_SUCCESS)
            return false;
        if (disposition == REG_CREATED_NEW_KEY)
            CreatedKeys().push_back(relative);
    }
    bool ok = SetString(key.Get(), L"ClassGUID", REG_SZ, deviceClass.guid) &&
              SetString(key.Get(), L"Class", REG_SZ, deviceClass.name) &&
              SetString(key.Get(), L"DeviceDesc", REG_SZ, L"Velmora test device");
    for (const auto& [name, ids] : {std::make_pair(L"HardwareID", &hardwareIds),
                                     std::make_pair(L"CompatibleIDs", &compatibleIds)}) {
        std::wstring multi;
        for (const std::wstring& id : *ids)
            multi += id + L'\0';
        // SetString adds the closing NUL of the list.
        if (ok && !ids->empty())
            ok = SetString(key.Get(), name, REG_MULTI_SZ, multi);
    }
    return ok;
}

void RemoveFakeDevices()
{
    std::vector<std::wstring>& keys = CreatedKeys();
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        std::wstring full = std::wstring(kEnumRoot) + L"\\" + *it;
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, full.c_str());
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, full.c_str());
    }
    keys.clear();
}

}  // namespace vt
