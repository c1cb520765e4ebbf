// The device enumeration over devices registered in the test prefix.
#include <gtest/gtest.h>

#include "system/Devices.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/TestSupport.h"

namespace {

class Devices : public ::testing::Test {
protected:
    void TearDown() override { vt::RemoveFakeDevices(); }
};

const char* const kLaterOnlyFirst = "PCI\\VEN_8086&DEV_3E9B&SUBSYS_00000001&REV_02";

}  // namespace

TEST_F(Devices, FirstIdsOfEveryDeviceOnceAndDevicesWithoutIdsSkipped)
{
    // Registered in this order; the instance IDs sort differently from the first IDs.
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\A_NOID\\1", {}));
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\B_LATER\\1",
                                  {vt::Wide(kLaterOnlyFirst), L"PCI\\VEN_10DE&DEV_1AD8"}));
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\C_ADA\\1", {L"PCI\\VEN_10DE&DEV_1ADA&SUBSYS_12345678&REV_A1",
                                                             L"PCI\\VEN_10DE&DEV_1ADA&SUBSYS_12345678",
                                                             L"PCI\\VEN_10DE&DEV_1ADA"}));
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\C_ADA\\2", {L"PCI\\VEN_10DE&DEV_1ADA&SUBSYS_12345678&REV_A1"}));
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\D_LOWER\\1", {L"pci\\ven_10de&dev_1ad8&subsys_12345678"}));
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\E_SHORT\\1", {L"X"}));

    CHardwareIdMap ids;
    ASSERT_TRUE(EnumHardwareIds(ids));
    EXPECT_EQ(ids.count("PCI\\VEN_10DE&DEV_1ADA&SUBSYS_12345678&REV_A1"), 1u);
    EXPECT_EQ(ids.count(kLaterOnlyFirst), 1u) << "the walk went past the device without IDs";
    EXPECT_EQ(ids.count("pci\\ven_10de&dev_1ad8&subsys_12345678"), 1u);
    EXPECT_EQ(ids.count("PCI\\VEN_10DE&DEV_1AD8"), 0u) << "a later ID was taken";
    EXPECT_EQ(ids.count("PCI\\VEN_10DE&DEV_1ADA"), 0u) << "a later ID was taken";
    EXPECT_EQ(ids.count("X"), 0u);
    // wine's own devices are there as well
    EXPECT_EQ(ids.count("PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00"), 1u);
    for (const auto& e : ids)
        EXPECT_EQ(e.first, e.second);

    // The 1AD8 text stands only in a later ID and in lower case: 1ADA is chosen.
    std::wstring chosen;
    ASSERT_TRUE(ChooseListedHardwareId(ids, chosen));
    EXPECT_EQ(chosen, L"PCI\\VEN_10DE&DEV_1ADA");
}

TEST_F(Devices, RemovedFakesAreGoneAndTheListedOneIsFound)
{
    ASSERT_TRUE(vt::AddFakeDevice(vt::kListedDeviceInstance, {vt::kListedDeviceFirstId, L"PCI\\VEN_10DE&DEV_1AD8"}));
    CHardwareIdMap ids;
    ASSERT_TRUE(EnumHardwareIds(ids));
    std::wstring chosen;
    EXPECT_TRUE(ChooseListedHardwareId(ids, chosen));
    EXPECT_EQ(chosen, L"PCI\\VEN_10DE&DEV_1AD8");

    vt::RemoveFakeDevices();
    CHardwareIdMap after;
    ASSERT_TRUE(EnumHardwareIds(after));
    EXPECT_EQ(after.count(vt::Utf8(vt::kListedDeviceFirstId)), 0u);
    EXPECT_FALSE(ChooseListedHardwareId(after, chosen));
}
