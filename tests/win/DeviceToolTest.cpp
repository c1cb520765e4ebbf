// The real devcon.exe over devices registered in the test prefix: enumeration
// with hardware and compatible IDs and classes, status, the refusals, and
// disable and enable through the class installer. Wine implements no property
// change and its node status query writes nothing, so a change must end as a
// truthful failure.
#include <gtest/gtest.h>

#include <map>

#include <initguid.h>
#include <devguid.h>

#include "devicetool/SetupApiDevices.h"
#include "base/Handles.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/TestSupport.h"

namespace {

struct CToolRun {
    std::string out, err;
    DWORD exitCode = 999;
};

// bin\devcon.exe with args, its output and error streams in files of a
// scratch folder, new names for each run (a handle that outlives the child
// cannot mix runs); a run that does not end within 30 s is ended and fails.
CToolRun RunDeviceTool(const std::wstring& args)
{
    static const std::wstring dir = vt::ScratchDir(L"devicetool");
    static int runs = 0;
    const std::wstring names[2] = {dir + L"\\out-" + std::to_wstring(++runs) + L".txt",
                                   dir + L"\\err-" + std::to_wstring(runs) + L".txt"};
    CToolRun run;
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        CFileHandle files[2];
        for (int i = 0; i < 2; ++i)
            files[i].Reset(::CreateFileW(names[i].c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                         CREATE_ALWAYS, 0, nullptr));
        STARTUPINFOW si = {sizeof(si)};
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = files[0].Get();
        si.hStdError = files[1].Get();
        PROCESS_INFORMATION pi = {};
        const std::wstring exe = vt::BinDir() + L"\\devcon.exe";
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        if (::CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, dir.c_str(),
                             &si, &pi)) {
            CHandle process(pi.hProcess), thread(pi.hThread);
            if (::WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0)
                ::GetExitCodeProcess(process.Get(), &run.exitCode);
            else
                ::TerminateProcess(process.Get(), 999);
        }
    }   // our ends of the output files close here, before they are read
    run.out = vt::ReadFileBytes(names[0]);
    run.err = vt::ReadFileBytes(names[1]);
    return run;
}

class Devicetool : public ::testing::Test {
protected:
    void SetUp() override
    {
        vt::RemoveFakeDevices();
        ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\DEVTOOL_A\\1", {L"VELMORATEST\\DEVA&REV_01", L"VELMORATEST\\DEVA"},
                                      {L"VELMORATEST\\CLASS_X"}));
        ASSERT_TRUE(vt::AddFakeDevice(L"VELMORATEST\\DEVTOOL_B\\2", {L"VELMORATEST\\DEVB"},
                                      {L"VELMORATEST\\CLASS_Y", L"VELMORATEST\\CLASS_X"}));
        // Display, as on a PC: the disable Velmora asks for is not one the tool refuses.
        ASSERT_TRUE(vt::AddFakeDevice(vt::kListedDeviceInstance,
                                      {vt::kListedDeviceFirstId, L"PCI\\VEN_10DE&DEV_1AD8"}, {}, vt::kDisplayClass));
    }
    void TearDown() override { vt::RemoveFakeDevices(); }
};

const std::string kA = "VELMORATEST\\DEVTOOL_A\\1";
const std::string kB = "VELMORATEST\\DEVTOOL_B\\2";
const std::string kGpu = "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008";
const std::string kUnread = ": Status could not be read\r\n";
const std::string kWide = " devices: nothing disabled. Name one device, or add /force to disable all ";
const std::string kVital = " is a System device, which Windows needs to run: nothing disabled. "
                           "Add /force to disable it anyway.\r\n";

}  // namespace

TEST_F(Devicetool, FindsDevicesByEitherListAndTellsWhatItCouldNotDo)
{
    struct Case { const wchar_t* args; std::string out, err; DWORD exitCode; } cases[] = {
        {L"status VELMORATEST\\DEVA", kA + kUnread +
         "1 matching device(s) found; the status of 1 could not be read.\r\n", "", 2},
        {L"STATUS velmoratest\\class_x", kA + kUnread + kB + kUnread +
         "2 matching device(s) found; the status of 2 could not be read.\r\n", "", 2},
        {L"status VELMORATEST\\CLASS_Y VELMORATEST\\DEV?", kB + kUnread +
         "1 matching device(s) found; the status of 1 could not be read.\r\n", "", 2},
        {L"status velmoratest\\dev*", kA + kUnread + kB + kUnread +
         "2 matching device(s) found; the status of 2 could not be read.\r\n", "", 2},
        {L"status @velmoratest\\devtool_b\\2", kB + kUnread +
         "1 matching device(s) found; the status of 1 could not be read.\r\n", "", 2},
        {L"status VELMORATEST\\DEVA&REV", "No matching devices found.\r\n", "", 2},
        // As Velmora asks: the listed function reaches the class installer,
        // which wine refuses.
        {L"disable \"PCI\\VEN_10DE&DEV_1AD8\"", kGpu + ": Disable failed\r\n"
         "1 of 1 matching device(s) could not be disabled.\r\n", "", 2},
        {L"disable NO\\SUCH", "No matching devices found.\r\n", "", 2},
        // Refused whole, no device asked: the fakes are of the System class, and
        // PCI\* names the listed function and wine's own display adapter.
        {L"disable VELMORATEST\\DEVA", "", kA + kVital, 2},
        {L"disable \"PCI\\*\"", "",
         "\"PCI\\*\" names 2" + kWide + "2.\r\n", 2},
        {L"disable velmoratest\\dev* NO\\SUCH", "",
         "\"velmoratest\\dev*\" names 2" + kWide + "2.\r\n" + kA + kVital + kB + kVital, 2},
        {L"-FORCE disable velmoratest\\dev*", kA + ": Disable failed\r\n" + kB + ": Disable failed\r\n"
         "2 of 2 matching device(s) could not be disabled.\r\n", "", 2},
        {L"enable @VELMORATEST\\DEVTOOL_A\\1", kA + ": Enable failed\r\n"
         "1 of 1 matching device(s) could not be enabled.\r\n", "", 2},
        {L"enable VELMORATEST\\DEV*", kA + ": Enable failed\r\n" + kB + ": Enable failed\r\n"
         "2 of 2 matching device(s) could not be enabled.\r\n", "", 2},
        // The reason, then the usage text.
        {L"remove VELMORATEST\\DEVA", "", "Unknown command \"remove\".\r\n", 3},
        {L"disable /force *", "", "\"*\" would disable every device; name the device.\r\n", 3},
    };
    for (const auto& c : cases) {
        CToolRun run = RunDeviceTool(c.args);
        SCOPED_TRACE(vt::Utf8(c.args) + "\n" + run.out + run.err);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(c.exitCode == 3 ? run.err.substr(0, c.err.size()) : run.err, c.err);
        EXPECT_EQ(run.exitCode, c.exitCode);
    }
}

TEST_F(Devicetool, ReadsEachDevicesClassAndRefusesAListLongerThanItsLimit)
{
    // The classes as SetupAPI names them, against the tool's own table.
    const std::pair<const GUID*, const char*> classes[] = {
        {&GUID_DEVCLASS_SYSTEM, "System"},   {&GUID_DEVCLASS_COMPUTER, "Computer"},
        {&GUID_DEVCLASS_PROCESSOR, "Processor"}, {&GUID_DEVCLASS_DISKDRIVE, "DiskDrive"},
        {&GUID_DEVCLASS_HDC, "HDC"},         {&GUID_DEVCLASS_SCSIADAPTER, "SCSIAdapter"},
        {&GUID_DEVCLASS_VOLUME, "Volume"},   {&GUID_DEVCLASS_KEYBOARD, "Keyboard"},
        {&GUID_DEVCLASS_MOUSE, "Mouse"},     {&GUID_DEVCLASS_HIDCLASS, "HIDClass"},
        {&GUID_DEVCLASS_USB, "USB"},         {&GUID_DEVCLASS_NET, "Net"},
        {&GUID_DEVCLASS_DISPLAY, ""},        {&GUID_DEVCLASS_MEDIA, ""},
        {&GUID_DEVCLASS_MONITOR, ""},        {&GUID_DEVCLASS_BLUETOOTH, ""},
    };
    for (const auto& [guid, name] : classes)
        EXPECT_EQ(devtool::VitalClassName(GuidText(*guid)), name) << vt::Utf8(GuidText(*guid));

    std::vector<devtool::Device> all;
    CSetupApiDevices whole;
    ASSERT_EQ(whole.ListDevices(all), devtool::ListResult::Read);
    std::map<std::string, std::wstring> classOf;
    for (const devtool::Device& d : all)
        classOf[vt::Utf8(d.instanceId)] = d.classGuid;
    EXPECT_EQ(classOf[kA], GuidText(GUID_DEVCLASS_SYSTEM));
    EXPECT_EQ(classOf[kGpu], GuidText(GUID_DEVCLASS_DISPLAY));

    // The whole list at its limit; one device more than the limit is no list.
    ASSERT_GE(all.size(), 3u);
    for (size_t limit : {all.size() + 1, all.size(), all.size() - 1, size_t(1)}) {
        SCOPED_TRACE(limit);
        std::vector<devtool::Device> part;
        CSetupApiDevices limited(limit);
        const bool fits = limit >= all.size();
        EXPECT_EQ(limited.ListDevices(part), fits ? devtool::ListResult::Read : devtool::ListResult::TooLong);
        EXPECT_EQ(part.size(), fits ? all.size() : 0u);
    }
}

TEST(DevicetoolFile, ShowsWhoseItIsAndAsksForNoElevation)
{
    const std::wstring exe = vt::BinDir() + L"\\devcon.exe";
    DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    for (const auto& [name, value] : {std::make_pair(L"CompanyName", L"Velmora"),
                                      std::make_pair(L"ProductName", L"Velmora"),
                                      std::make_pair(L"FileVersion", L"" VELMORA_VERSION),
                                      std::make_pair(L"OriginalFilename", L"devcon.exe")}) {
        wchar_t* text = nullptr;
        UINT chars = 0;
        std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &chars)) << name;
        EXPECT_EQ(std::wstring(text), value);
    }

    std::string manifest;
    {
        CModule image(::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(image);
        HRSRC res = ::FindResourceW(image.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_TRUE(res);
        manifest.assign(static_cast<const char*>(::LockResource(::LoadResource(image.Get(), res))),
                        ::SizeofResource(image.Get(), res));
    }
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("version=\"" VELMORA_VERSION "\""), std::string::npos) << manifest;
}
