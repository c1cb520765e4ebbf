// The device step of the host check in the real program: a listed graphics
// function lets the user go on, none ends the run.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "system/Devices.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/VelmoraRun.h"

namespace {

class Device : public ::testing::Test {
protected:
    void SetUp() override { vt::RemoveFakeDevices(); }
    void TearDown() override { vt::RemoveFakeDevices(); }
};

}  // namespace

TEST_F(Device, AListedFunctionClosesThePleaseWaitAndShowsNothingElse)
{
    ASSERT_TRUE(vt::AddFakeDevice(vt::kListedDeviceInstance, {vt::kListedDeviceFirstId, L"PCI\\VEN_10DE&DEV_1AD8"}));
    vt::CVelmoraRun run(L"device-listed");
    ASSERT_TRUE(run.Start());
    HWND main = run.WaitReady();
    ASSERT_TRUE(main) << "the host check did not end in the ready window";
    EXPECT_FALSE(run.WaitPrompt(0));   // its result was handled: nothing is to come
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_BTN_START)));
    EXPECT_TRUE(run.LogLines().empty());
    EXPECT_TRUE(run.Process().Running());
}

TEST_F(Device, NoListedFunctionRefusesTheMachineAndEnds)
{
    // Only near misses: lower case, and the listed text in a later ID.
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\LOWER\\1", {L"pci\\ven_10de&dev_1ad8&subsys_12345678&rev_a1"}));
    ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\LATER\\1",
                                  {L"PCI\\VEN_8086&DEV_3E9B&SUBSYS_00000001", L"PCI\\VEN_10DE&DEV_1AD8"}));
    CHardwareIdMap ids;
    std::wstring listed;
    ASSERT_TRUE(EnumHardwareIds(ids));
    ASSERT_FALSE(ChooseListedHardwareId(ids, listed)) << "a listed device was left registered by an earlier run";
    vt::CVelmoraRun run(L"device-none");
    ASSERT_TRUE(run.Start());
    HWND prompt = run.WaitPrompt(20000);
    ASSERT_TRUE(prompt) << run.LogLines().size() << " log lines; windows: " << vt::TopLevelWindows(run.Process().Pid()).size();
    EXPECT_EQ(run.PromptText(prompt), L"您机器的主机信息与工具指定的机型不符，仔细确认机型后再使用本工具");
    std::vector<std::wstring> lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(vt::LogMessage(lines[0]), L"显卡硬件ID 不匹配");
    ASSERT_TRUE(run.Answer(prompt, IDC_BTN_PROMPT_FIRST));
    DWORD code = 99;
    ASSERT_TRUE(run.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
}
