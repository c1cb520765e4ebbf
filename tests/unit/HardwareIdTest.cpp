// Which graphics function the tool acts on, from the devices' first hardware IDs.
#include <gtest/gtest.h>

#include "system/RepairRules.h"

namespace {

// The device list as the enumeration hands it over: each device's hardware-ID
// multi-string, of which only the first string counts.
std::wstring Choose(const std::vector<std::wstring>& deviceLists, bool* found = nullptr)
{
    CHardwareIdMap ids;
    for (const std::wstring& list : deviceLists) {
        std::wstring first = FirstString(list.c_str(), list.size());
        AddHardwareId(ids, std::string(first.begin(), first.end()));   // ASCII IDs
    }
    std::wstring chosen = L"(none)";
    bool ok = ChooseListedHardwareId(ids, chosen);
    if (found)
        *found = ok;
    return chosen;
}

const std::wstring kNul(1, L'\0');

}  // namespace

TEST(HardwareId, ChoiceFollowsTheFirstIdsInByteOrder)
{
    const std::wstring ad8 = L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1";
    const std::wstring ada = L"PCI\\VEN_10DE&DEV_1ADA&SUBSYS_12345678&REV_A1";
    const std::wstring aec = L"PCI\\VEN_10DE&DEV_1AEC&SUBSYS_12345678&REV_A1";
    struct Case { const char* what; std::vector<std::wstring> devices; const wchar_t* expected; } cases[] = {
        {"subsystem and revision after the listed text: the listed text is recorded",
         {L"ACPI\\PNP0A08", ad8 + kNul + L"PCI\\VEN_10DE&DEV_1AD8" + kNul}, L"PCI\\VEN_10DE&DEV_1AD8"},
        {"the bare listed text", {L"PCI\\VEN_10DE&DEV_1AEC"}, L"PCI\\VEN_10DE&DEV_1AEC"},
        {"listed only in a later ID", {L"PCI\\VEN_8086&DEV_3E9B" + kNul + L"PCI\\VEN_10DE&DEV_1AD8" + kNul}, nullptr},
        {"lower case", {L"pci\\ven_10de&dev_1ad8&subsys_12345678"}, nullptr},
        {"similar but another function", {L"PCI\\VEN_10DE&DEV_1AD9&SUBSYS_12345678"}, nullptr},
        {"no devices", {}, nullptr},
        {"all three: 1AD8 first", {aec, ada, ad8}, L"PCI\\VEN_10DE&DEV_1AD8"},
        {"1ADA before 1AEC", {aec, ada}, L"PCI\\VEN_10DE&DEV_1ADA"},
        {"1AEC alone among others", {L"USB\\ROOT_HUB30", aec, L"ROOT\\WINE\\WINEBUS"}, L"PCI\\VEN_10DE&DEV_1AEC"},
        // The walk order decides, not the order of the list: a device whose first
        // ID sorts earlier wins although it holds a later-listed text.
        {"an earlier-sorting device with a later-listed text", {ad8, L"ACPI\\X&PCI\\VEN_10DE&DEV_1AEC"},
         L"PCI\\VEN_10DE&DEV_1AEC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        bool found = false;
        std::wstring chosen = Choose(c.devices, &found);
        EXPECT_EQ(found, c.expected != nullptr);
        EXPECT_EQ(chosen, c.expected ? c.expected : L"(none)");   // untouched without a hit
    }
}

TEST(HardwareId, CollectionKeepsEachIdOnceAndDropsShortOnes)
{
    CHardwareIdMap ids;
    for (const char* id : {"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_1", "", "A", "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_1", "AB",
                           "ACPI\\PNP0A08"})
        AddHardwareId(ids, id);
    ASSERT_EQ(ids.size(), 3u);
    auto it = ids.begin();
    EXPECT_EQ(it++->first, "AB");
    EXPECT_EQ(it++->first, "ACPI\\PNP0A08");
    EXPECT_EQ(it->first, "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_1");
    EXPECT_EQ(it->second, it->first);
}

TEST(HardwareId, FirstStringStopsAtTheNulOrTheBufferEnd)
{
    const wchar_t list[] = L"PCI\\A\0PCI\\B\0";
    EXPECT_EQ(FirstString(list, 12), L"PCI\\A");
    const wchar_t unterminated[] = {L'P', L'C', L'I', L'\\', L'Z'};
    EXPECT_EQ(FirstString(unterminated, 5), L"PCI\\Z");
    EXPECT_EQ(FirstString(nullptr, 5), L"");
}

TEST(HardwareId, NodeStatusGivesTheStateAndAnUnreadOneIsNeverDisabled)
{
    const unsigned long started = 0x8, hasProblem = 0x400, disabled = 0x16;
    struct Case { bool read; unsigned long flags, problem; EDeviceState state; } cases[] = {
        {false, hasProblem, disabled, EDeviceState::Unknown},
        {true, 0, 0, EDeviceState::Unknown},   // wine: success, nothing written
        {true, 0, disabled, EDeviceState::Unknown},
        {true, hasProblem, disabled, EDeviceState::Disabled},
        {true, hasProblem | 0x2, disabled, EDeviceState::Disabled},
        {true, hasProblem, 28, EDeviceState::NotDisabled},
        {true, started, 0, EDeviceState::NotDisabled},
        {true, started, disabled, EDeviceState::NotDisabled},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceStateOf(c.read, c.flags, c.problem), c.state) << c.read << " " << c.flags << " " << c.problem;
}

TEST(HardwareId, TheListedDeviceCarriesTheStateOfEveryDeviceThatGaveIt)
{
    const EDeviceState on = EDeviceState::NotDisabled, off = EDeviceState::Disabled, unread = EDeviceState::Unknown;
    const std::string ad8 = "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1", aec = "PCI\\VEN_10DE&DEV_1AEC&SUBSYS_1";
    struct Case {
        const char* what;
        bool listRead;
        std::vector<SPresentDevice> devices;
        EHostResult result;
        const wchar_t* instance;
        EDeviceState state;
    } cases[] = {
        {"the list cannot be read", false, {{ad8, L"A", off}}, EHostResult::DeviceListFailed, L"(none)", unread},
        {"no listed device", true, {{"ACPI\\PNP0A08", L"A", off}}, EHostResult::NoListedDevice, L"(none)", unread},
        {"disabled", true, {{"ACPI\\PNP0A08", L"A", on}, {ad8, L"B", off}}, EHostResult::Accepted, L"B", off},
        {"running", true, {{ad8, L"B", on}}, EHostResult::Accepted, L"B", on},
        {"unread", true, {{ad8, L"B", unread}}, EHostResult::Accepted, L"B", unread},
        {"two alike, one still on", true, {{ad8, L"B", off}, {ad8, L"C", on}}, EHostResult::Accepted, L"B", on},
        {"two alike, one unread", true, {{ad8, L"B", off}, {ad8, L"C", unread}}, EHostResult::Accepted, L"B", unread},
        {"two alike, both off", true, {{ad8, L"B", off}, {ad8, L"C", off}}, EHostResult::Accepted, L"B", off},
        {"the chosen one counts, not another listed one", true, {{aec, L"E", off}, {ad8, L"B", on}},
         EHostResult::Accepted, L"B", on},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SListedDevice found{L"(none)", L"(none)", EDeviceState::Unknown};
        const EHostResult r = FindListedDevice(
            [&](std::vector<SPresentDevice>& out) {
                out = c.devices;
                return c.listRead;
            },
            found);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(found.instanceId, c.instance);
        EXPECT_EQ(found.state, c.state);
        EXPECT_EQ(found.hardwareId, r == EHostResult::Accepted ? L"PCI\\VEN_10DE&DEV_1AD8" : L"(none)");
    }
}
