// The device enumeration over devices registered in the test prefix.
#include <gtest/gtest.h>

#include "app/AppMessages.h"
#include "system/Devices.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VelmoraRun.h"

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
    // A list longer than the first read's buffer: read again at the size asked for.
    const std::string longFirst = "VELMORATEST\\LONG&" + std::string(600, 'X');
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\F_LONG\\1", {vt::Wide(longFirst), L"VELMORATEST\\LONG"}));

    CHardwareIdMap ids;
    ASSERT_TRUE(EnumHardwareIds(ids));
    EXPECT_EQ(ids.count("PCI\\VEN_10DE&DEV_1ADA&SUBSYS_12345678&REV_A1"), 1u);
    EXPECT_EQ(ids.count(kLaterOnlyFirst), 1u) << "the walk went past the device without IDs";
    EXPECT_EQ(ids.count("pci\\ven_10de&dev_1ad8&subsys_12345678"), 1u);
    EXPECT_EQ(ids.count("PCI\\VEN_10DE&DEV_1AD8"), 0u) << "a later ID was taken";
    EXPECT_EQ(ids.count("PCI\\VEN_10DE&DEV_1ADA"), 0u) << "a later ID was taken";
    EXPECT_EQ(ids.count("X"), 0u);
    EXPECT_EQ(ids.count(longFirst), 1u) << "a list longer than the first buffer was not read again";
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

namespace {

struct CReports {
    std::vector<std::pair<UINT, WPARAM>> got;
};

LRESULT CALLBACK RecordProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_CLOSE_EXECUTE_PROMPT || msg == WM_REPAIR_RESULT) {
        reinterpret_cast<CReports*>(::GetWindowLongPtrW(h, GWLP_USERDATA))->got.push_back({msg, w});
        return 1;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

}  // namespace

// Without a checked device the device tool would be asked about an empty ID.
TEST(RepairWithoutDevice, IsRefusedWithTheFailureLineAndResult2)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmoraRepairRecorder";
    ::RegisterClassW(&wc);
    HWND h = ::CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(h);
    CReports reports;
    ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reports));
    vt::ClearToolLog();

    CRepairWorker worker;
    ASSERT_TRUE(worker.SetMsgWnd(h, kWorkerMessages));
    EXPECT_FALSE(worker.DoRepair());
    ASSERT_EQ(reports.got.size(), 2u);
    EXPECT_EQ(reports.got[0].first, static_cast<UINT>(WM_CLOSE_EXECUTE_PROMPT));
    EXPECT_EQ(reports.got[1].first, static_cast<UINT>(WM_REPAIR_RESULT));
    EXPECT_EQ(reports.got[1].second, 2u);

    std::string bytes = vt::ReadFileBytes(vt::ToolLogDir() + L"\\Velmora.txt");
    int n = ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    EXPECT_EQ(vt::LogMessage(text), L"修复方案安装失败");
    ::DestroyWindow(h);
}
