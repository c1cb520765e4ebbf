// The device tool's rules: command line, which devices an ID names, and what a
// run prints and returns for each mix of per-device answers, over a fake
// device service.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "devicetool/DeviceTool.h"
#include "system/RepairRules.h"

using namespace devtool;

namespace {

const wchar_t* const kGpu = L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008";

Device Gpu(const std::wstring& instance = kGpu)
{
    return {instance,
            {L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1", L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678",
             L"PCI\\VEN_10DE&DEV_1AD8&CC_030200", L"PCI\\VEN_10DE&DEV_1AD8"},
            {L"PCI\\VEN_10DE&CC_030200", L"PCI\\VEN_10DE", L"PCI\\CC_0302"}};
}

SDeviceNodeStatus Node(unsigned long flags, unsigned long problem = 0)
{
    SDeviceNodeStatus s;
    s.read = true;
    s.flags = flags;
    s.problem = problem;
    return s;
}

const SDeviceNodeStatus kRunning = Node(kNodeStarted | 0x2);
const SDeviceNodeStatus kDisabled = Node(kNodeHasProblem | 0x2, kProblemDisabled);
const SDeviceNodeStatus kNothingWritten = Node(0);   // what wine answers

// How one device answers: the class installer accepts or refuses (a request
// for the current profile, and one for all profiles), asks for a restart or
// not, and what the node shows afterwards.
struct Answer {
    bool accepted = true;
    bool restart = false;
    SDeviceNodeStatus after = kDisabled;
    bool globalAccepted = true;
};

class CFakeDevices : public IDeviceService {
public:
    std::vector<Device> devices;
    std::map<size_t, Answer> answers;
    ListResult listed = ListResult::Read;
    std::vector<size_t> changed;   // indices asked to change, in order, once per scope
    std::vector<Scope> scopes;     // the scope of each of those requests

    ListResult ListDevices(std::vector<Device>& out) override
    {
        out = devices;
        return listed;
    }
    bool RequestChange(size_t i, Verb, Scope scope) override
    {
        changed.push_back(i);
        scopes.push_back(scope);
        return scope == Scope::Global ? answers[i].globalAccepted : answers[i].accepted;
    }
    bool RestartRequested(size_t i) override { return answers[i].restart; }
    SDeviceNodeStatus ReadStatus(size_t i) override { return answers[i].after; }
};

Report RunFake(CFakeDevices& fake, const std::vector<std::wstring>& args, bool elevated = true, bool wow64 = false)
{
    Environment env;
    env.elevated = elevated;
    env.wow64 = wow64;
    env.version = "1.0.22.419";
    return RunTool(args, env, fake);
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\r\n";
    return s;
}

}  // namespace

TEST(DevicetoolCommandLine, BadOnesGetTheReasonAndUsageWithExit3)
{
    struct Case { std::vector<std::wstring> args; int exit; const char* inErr; const char* inOut; } cases[] = {
        {{}, 3, "No command given.", ""},
        {{L"remove", L"X"}, 3, "Unknown command \"remove\".", ""},
        {{L"\x7981\x7528", L"X"}, 3, "Unknown command \"??\".", ""},
        {{L"disable"}, 3, "\"disable\" needs at least one device ID.", ""},
        {{L"status", L"A", L""}, 3, "An empty device ID", ""},
        {{L"enable", L"@"}, 3, "An empty device ID", ""},
        {{L"disable", L"*"}, 3, "\"*\" would disable every device", ""},
        {{L"enable", L"X", L"@**"}, 3, "\"@**\" would enable every device", ""},
        {{L"/?"}, 0, "", "Exit codes: 0 every matched device done"},
        {{L"-?", L"disable"}, 0, "", "devcon.exe enable ID"},
        {{L"DISABLE", L"X"}, 2, "", "No matching devices found."},
        {{L"Status", L"*"}, 2, "", "No matching devices found."},
        // /force is a switch wherever it stands; it never makes a lone * acceptable.
        {{L"/force"}, 3, "No command given.", ""},
        {{L"disable", L"-Force"}, 3, "\"disable\" needs at least one device ID.", ""},
        {{L"disable", L"/FORCE", L"*"}, 3, "\"*\" would disable every device", ""},
        {{L"-force", L"/?"}, 0, "", "/force, or -force, anywhere\r\non the command line"},
        {{L"/force", L"enable", L"X"}, 2, "", "No matching devices found."},
        {{L"disable", L"--force"}, 2, "", "No matching devices found."},   // an ID like any other
    };
    for (const auto& c : cases) {
        CFakeDevices fake;
        Report r = RunFake(fake, c.args);
        SCOPED_TRACE(r.err + r.out);
        EXPECT_EQ(r.exitCode, c.exit);
        EXPECT_NE(r.err.find(c.inErr), std::string::npos);
        EXPECT_NE(r.out.find(c.inOut), std::string::npos);
        if (c.exit == 3) {
            EXPECT_NE(r.err.find("Velmora device tool 1.0.22.419"), std::string::npos) << "no usage text";
        }
        for (char ch : r.out + r.err)
            EXPECT_TRUE(ch > 0 && ch < 0x7f) << "not ASCII";
    }
}

TEST(DevicetoolMatch, PatternsAreWholeCaseBlindAndStarsSpanAnyRun)
{
    struct Case { const wchar_t* pattern; const wchar_t* text; bool matches; } cases[] = {
        {L"PCI\\VEN_10DE&DEV_1AD8", L"PCI\\VEN_10DE&DEV_1AD8", true},
        {L"pci\\ven_10de&dev_1ad8", L"PCI\\VEN_10DE&DEV_1AD8", true},
        {L"PCI\\VEN_10DE&DEV_1AD8", L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678", false},
        {L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_1", L"PCI\\VEN_10DE&DEV_1AD8", false},
        {L"PCI\\VEN_10DE*", L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678", true},
        {L"*dev_1ad8", L"PCI\\VEN_10DE&DEV_1AD8", true},
        {L"*DEV_1AD8", L"PCI\\VEN_10DE&DEV_1AD8&REV_A1", false},
        {L"P*&DEV_*&REV_A1", L"PCI\\VEN_10DE&DEV_1AD8&DEV_X&REV_A1", true},
        {L"A*B*C", L"AxBxxBxC", true},
        {L"A*B", L"AxxBxxC", false},
        {L"*", L"", true},
        {L"", L"", true},
        {L"", L"A", false},
        {L"*PNP0A08", L"*PNP0A08", true},
        {L"PCI/VEN_10DE", L"PCI\\VEN_10DE", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;

    // Many stars against a long text that never matches: bounded, not exponential.
    std::wstring stars;
    for (int i = 0; i < 40; ++i)
        stars += L"*a";
    EXPECT_FALSE(MatchesPattern(stars + L"b", std::wstring(20000, L'a')));
}

TEST(DevicetoolMatch, AnEntryOfEitherListOrTheInstanceAfterAnAt)
{
    struct Case { const wchar_t* id; bool matches; } cases[] = {
        {L"PCI\\VEN_10DE&DEV_1AD8", true},   // the last hardware ID, as Velmora passes it
        {L"pci\\ven_10de&dev_1ad8&subsys_12345678", true},
        {L"PCI\\CC_0302", true},             // compatible IDs count as well
        {L"PCI\\VEN_10DE&DEV_1AD", false},
        {L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_123", false},
        {L"PCI\\VEN_10DE&DEV_1AD?", false},  // only * is a wildcard
        {L"PCI\\VEN_10DE&DEV_1AD*&REV_A1", true},
        {kGpu, false},                       // an instance ID is no hardware ID
        {L"@PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1c3b2a0&0&0008", true},
        {L"@PCI\\VEN_10DE&DEV_1AD8", false},
        {L"@PCI\\VEN_10DE&DEV_1AD8*", true},
        {L"@*\\4&1C3B2A0&0&0008", true},
    };
    const Device gpu = Gpu();
    for (const auto& c : cases)
        EXPECT_EQ(DeviceMatches(gpu, c.id), c.matches) << c.id;
    EXPECT_FALSE(DeviceMatches(Device{L"ROOT\\X\\0", {}, {}}, L"*"));
    EXPECT_TRUE(DeviceMatches(Device{L"ROOT\\X\\0", {}, {}}, L"@*"));
}

TEST(DevicetoolMatch, MultiStringsStopAtTheEmptyStringOrTheBufferEnd)
{
    struct Case { std::wstring data; size_t chars; std::vector<std::wstring> strings; } cases[] = {
        {std::wstring(L"A\0BC\0\0X\0", 8), 8, {L"A", L"BC"}},
        {std::wstring(L"A\0BC", 4), 4, {L"A", L"BC"}},   // no closing NULs
        {std::wstring(L"ABCD", 4), 2, {L"AB"}},
        {std::wstring(L"\0A\0", 3), 3, {}},
        {L"", 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitMultiString(c.data.data(), c.chars), c.strings) << c.data;
    EXPECT_TRUE(SplitMultiString(nullptr, 10).empty());
}

TEST(DevicetoolRun, EachMixOfAnswersGivesItsLinesAndExitCodeAndVelmoraReadsSuccessExactlyThen)
{
    const std::wstring b = L"PCI\\VEN_10DE&DEV_1AD8&SUBSYS_87654321&REV_A1\\4&2&0&0010";
    const std::string ga = "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008";
    const std::string gb = "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_87654321&REV_A1\\4&2&0&0010";
    const std::string reboot =
        " device(s) are ready to be disabled. To disable the devices, restart the devices or reboot the system .";
    const Answer done, restart{true, true, kRunning}, refused{false, false, kDisabled},
        unchanged{true, false, kRunning}, wine{true, false, kNothingWritten}, problem{true, false, Node(0x402, 10)};
    struct Case { const char* what; std::vector<Answer> answers; std::vector<std::string> lines; int exit; } cases[] = {
        {"disabled at once", {done}, {ga + ": Disabled", "1 device(s) disabled."}, 0},
        {"disabled on reboot", {restart}, {ga + ": Disabled on reboot", "The 1" + reboot}, 1},
        {"refused by the class installer", {refused},
         {ga + ": Disable failed", "1 of 1 matching device(s) could not be disabled."}, 2},
        {"accepted, still running", {unchanged},
         {ga + ": Disable failed", "1 of 1 matching device(s) could not be disabled."}, 2},
        {"accepted, status says nothing", {wine},
         {ga + ": Disable failed", "1 of 1 matching device(s) could not be disabled."}, 2},
        {"accepted, stopped by another problem", {problem},
         {ga + ": Disable failed", "1 of 1 matching device(s) could not be disabled."}, 2},
        {"both at once", {done, done}, {ga + ": Disabled", gb + ": Disabled", "2 device(s) disabled."}, 0},
        {"one at once, one on reboot", {done, restart},
         {ga + ": Disabled", gb + ": Disabled on reboot", "The 2" + reboot}, 1},
        {"one at once, one failed", {done, refused},
         {ga + ": Disabled", gb + ": Disable failed", "1 of 2 matching device(s) could not be disabled."}, 2},
        {"one on reboot, one failed", {restart, wine},
         {ga + ": Disabled on reboot", gb + ": Disable failed", "1 of 2 matching device(s) could not be disabled."},
         2},
        {"both failed", {refused, refused},
         {ga + ": Disable failed", gb + ": Disable failed", "2 of 2 matching device(s) could not be disabled."}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeDevices fake;
        fake.devices = {Device{L"ACPI\\PNP0A08\\0", {L"ACPI\\PNP0A08"}, {L"*PNP0A03"}}, Gpu()};
        if (c.answers.size() > 1)
            fake.devices.push_back(Gpu(b));
        for (size_t i = 0; i < c.answers.size(); ++i)
            fake.answers[i + 1] = c.answers[i];
        // As Velmora asks for one device; two by their instance IDs (one ID
        // naming both would be refused).
        const std::vector<std::wstring> args =
            c.answers.size() > 1 ? std::vector<std::wstring>{L"disable", L"@" + std::wstring(kGpu), L"@" + b}
                                 : std::vector<std::wstring>{L"disable", L"PCI\\VEN_10DE&DEV_1AD8"};
        Report r = RunFake(fake, args);
        EXPECT_EQ(r.out, Lines(c.lines));
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, c.exit);
        EXPECT_EQ(fake.changed.size(), c.answers.size());
        EXPECT_EQ(fake.scopes, std::vector<Scope>(c.answers.size(), Scope::ConfigSpecific)) << "this profile only";
        EXPECT_EQ(std::count(fake.changed.begin(), fake.changed.end(), 0u), 0) << "a device not named was changed";
        EXPECT_EQ(DevconConfirmsDisable(r.out), c.exit <= 1) << r.out;
    }
}

TEST(DevicetoolRun, DisableRefusesVitalDevicesAndWidePatternsWholeUnlessForced)
{
    // The tool never refuses what Velmora asks of it.
    for (const wchar_t* listed : kListedHardwareIdsW)
        EXPECT_TRUE(IsRepairTarget(listed)) << listed;
    const std::wstring usb = L"{36FC9E60-C465-11CF-8056-444553540000}";
    std::vector<Device> devices = {
        {L"ACPI\\PNP0A08\\0", {L"ACPI\\PNP0A08"}, {L"*PNP0A03"}, L"{4d36e97d-e325-11ce-bfc1-08002be10318}"},
        {L"PCI\\VEN_8086&DEV_A0A3\\3&11583659&0&FC", {L"PCI\\VEN_8086&DEV_A0A3"}, {L"PCI\\CC_0C05"},
         L"{4D36E97D-E325-11CE-BFC1-08002BE10318}"},   // any case
        Gpu(),
        {L"PCI\\VEN_10DE&DEV_1ADA&SUBSYS_87654321&REV_A1\\4&2&0&0010",
         {L"PCI\\VEN_10DE&DEV_1ADA&SUBSYS_87654321&REV_A1", L"PCI\\VEN_10DE&DEV_1ADA"},
         {L"PCI\\VEN_10DE&CC_030200", L"PCI\\VEN_10DE", L"PCI\\CC_0302"}},
        {L"SCSI\\DISK&VEN_NVME\\5&1&0&000000", {L"SCSI\\DiskNVMe"}, {L"GenDisk"},
         L"{4d36e967-e325-11ce-bfc1-08002be10318}"},
        {L"STORAGE\\VOLUME\\{1}#0000000000100000", {L"STORAGE\\Volume"}, {}, L"{71A27CDD-812A-11D0-BEC7-08002BE2092F}"},
        // What the PC is worked and reached through: two USB host controllers,
        // a keyboard, a network adapter.
        {L"PCI\\VEN_8086&DEV_A0ED\\3&11583659&0&A0", {L"PCI\\VEN_8086&DEV_A0ED"}, {L"PCI\\CC_0C0330", L"PCI\\CC_0C03"}, usb},
        {L"PCI\\VEN_8086&DEV_9A13\\3&11583659&0&68", {L"PCI\\VEN_8086&DEV_9A13"}, {L"PCI\\CC_0C0330", L"PCI\\CC_0C03"}, usb},
        {L"HID\\VID_046D&PID_C31C&MI_00\\7&1&0&0000", {L"HID\\VID_046D&PID_C31C&MI_00"},
         {L"HID_DEVICE_SYSTEM_KEYBOARD", L"HID_DEVICE"}, L"{4d36e96b-e325-11ce-bfc1-08002be10318}"},
        {L"PCI\\VEN_8086&DEV_15F3\\3&11583659&0&E8", {L"PCI\\VEN_8086&DEV_15F3"}, {L"PCI\\CC_020000", L"PCI\\CC_0200"},
         L"{4d36e972-e325-11ce-bfc1-08002be10318}"},
        // A listed function that the graphics card registers as its USB
        // controller: what Velmora is for, so its own ID is never refused.
        {L"PCI\\VEN_10DE&DEV_1AEC&SUBSYS_11111111&REV_A1\\4&3&0&0018",
         {L"PCI\\VEN_10DE&DEV_1AEC&SUBSYS_11111111&REV_A1", L"PCI\\VEN_10DE&DEV_1AEC"},
         {L"PCI\\VEN_10DE&CC_0C0330", L"PCI\\VEN_10DE", L"PCI\\CC_0C03"}, usb},
    };
    for (size_t gpuIndex : {2, 3})
        devices[gpuIndex].classGuid = L"{4d36e968-e325-11ce-bfc1-08002be10318}";   // Display
    auto vital = [](const std::string& instance, const std::string& className) {
        return instance + " is a " + className +
               " device, which Windows needs to run: nothing disabled. Add /force to disable it anyway.";
    };
    auto needed = [](const std::string& instance, const std::string& className) {
        return instance + " is a " + className +
               " device, which the PC needs to be used or reached: nothing disabled. Add /force to disable it anyway.";
    };
    const std::string wide = " devices: nothing disabled. Name one device, or add /force to disable all ";
    const std::string smbus = "PCI\\VEN_8086&DEV_A0A3\\3&11583659&0&FC";
    const std::string xhci1 = "PCI\\VEN_8086&DEV_A0ED\\3&11583659&0&A0", xhci2 = "PCI\\VEN_8086&DEV_9A13\\3&11583659&0&68";
    const std::string keyboard = "HID\\VID_046D&PID_C31C&MI_00\\7&1&0&0000", nic = "PCI\\VEN_8086&DEV_15F3\\3&11583659&0&E8";
    const std::string usbGpu = "PCI\\VEN_10DE&DEV_1AEC&SUBSYS_11111111&REV_A1\\4&3&0&0018";
    struct Case {
        std::vector<std::wstring> args; std::vector<std::string> err; std::vector<size_t> changed;
    } cases[] = {
        // As Velmora asks, also for two functions at once: each ID names one device, not vital.
        {{L"disable", L"PCI\\VEN_10DE&DEV_1AD8"}, {}, {2}},
        {{L"disable", L"PCI\\VEN_10DE&DEV_1AD8", L"PCI\\VEN_10DE&DEV_1ADA"}, {}, {2, 3}},
        {{L"disable", L"@PCI\\VEN_10DE&DEV_1ADA&SUBSYS_8765*"}, {}, {3}},
        {{L"disable", L"PCI\\*"},
         {"\"PCI\\*\" names 7" + wide + "7.", vital(smbus, "System"), needed(xhci1, "USB"), needed(xhci2, "USB"),
          needed(nic, "Net"), needed(usbGpu, "USB")}, {}},
        {{L"disable", L"pci\\ven_10de*"}, {"\"pci\\ven_10de*\" names 3" + wide + "3.", needed(usbGpu, "USB")}, {}},
        // Without a star an ID is as broad as the devices that carry it.
        {{L"disable", L"PCI\\VEN_10DE"}, {"\"PCI\\VEN_10DE\" names 3" + wide + "3.", needed(usbGpu, "USB")}, {}},
        {{L"disable", L"PCI\\CC_0C03"},
         {"\"PCI\\CC_0C03\" names 3" + wide + "3.", needed(xhci1, "USB"), needed(xhci2, "USB"), needed(usbGpu, "USB")},
         {}},
        // The listed function by its listed ID, in any case, whatever class it is in; by a pattern it is a USB
        // device like any other.
        {{L"disable", L"PCI\\VEN_10DE&DEV_1AEC"}, {}, {10}},
        {{L"disable", L"pci\\ven_10de&dev_1aec"}, {}, {10}},
        {{L"disable", L"PCI\\VEN_10DE&DEV_1AEC*"}, {needed(usbGpu, "USB")}, {}},
        {{L"disable", L"PCI\\VEN_10DE&DEV_1AEC&SUBSYS_11111111&REV_A1"}, {needed(usbGpu, "USB")}, {}},
        {{L"disable", L"HID_DEVICE_SYSTEM_KEYBOARD"}, {needed(keyboard, "Keyboard")}, {}},
        {{L"disable", L"PCI\\CC_0200"}, {needed(nic, "Net")}, {}},
        {{L"disable", L"ACPI\\PNP0A08", L"*PNP0A03"}, {vital("ACPI\\PNP0A08\\0", "System")}, {}},
        {{L"disable", L"GenDisk", L"@STORAGE\\*"},
         {vital("SCSI\\DISK&VEN_NVME\\5&1&0&000000", "DiskDrive"),
          vital("STORAGE\\VOLUME\\{1}#0000000000100000", "Volume")}, {}},
        {{L"disable", L"PCI\\VEN_10DE&DEV_1AD8", L"NO\\SUCH*", L"PCI\\CC_0C05"}, {vital(smbus, "System")}, {}},
        {{L"disable", L"/force", L"PCI\\*"}, {}, {1, 2, 3, 6, 7, 9, 10}},
        {{L"disable", L"PCI\\CC_0C03", L"/Force"}, {}, {6, 7, 10}},
        {{L"-FORCE", L"disable", L"ACPI\\PNP0A08", L"GenDisk"}, {}, {0, 4}},
        // Enable and status stay open: they put back and look.
        {{L"enable", L"PCI\\*", L"ACPI\\PNP0A08"}, {}, {0, 0, 1, 1, 2, 2, 3, 3, 6, 6, 7, 7, 9, 9, 10, 10}},
        {{L"status", L"*"}, {}, {}},
    };
    for (const auto& c : cases) {
        CFakeDevices fake;
        fake.devices = devices;
        for (size_t i = 0; i < devices.size(); ++i)
            fake.answers[i].after = c.args[0] == L"enable" ? kRunning : kDisabled;
        Report r = RunFake(fake, c.args);
        SCOPED_TRACE(r.err + r.out);
        EXPECT_EQ(r.err, Lines(c.err));
        EXPECT_EQ(fake.changed, c.changed);
        EXPECT_EQ(r.exitCode, c.err.empty() ? 0 : 2);
        if (!c.err.empty()) {
            EXPECT_EQ(r.out, "");
            EXPECT_FALSE(DevconConfirmsDisable(r.out + r.err));
        }
    }
}

TEST(DevicetoolRun, EnableStatusAndRefusalsBeforeAnyDeviceIsTouched)
{
    const std::string g = "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008";
    const std::vector<std::wstring> enable = {L"enable", L"PCI\\CC_0302", L"@" + std::wstring(kGpu)};
    const ListResult read = ListResult::Read;
    struct Case {
        const char* what; std::vector<std::wstring> args; Answer answer; bool elevated, wow64; ListResult listed;
        std::string out, err; int exit;
    } cases[] = {
        // Enable asks for all profiles and for this one: a device disabled in
        // either way comes back, and a refusal of either is a failure.
        {"enabled, named twice", enable, {true, false, kRunning}, true, false, read,
         Lines({g + ": Enabled", "1 device(s) enabled."}), "", 0},
        {"enabled on reboot", enable, {true, true, kDisabled}, true, false, read,
         Lines({g + ": Enabled on reboot", "The 1 device(s) are ready to be enabled. To enable the devices, "
                                           "restart the devices or reboot the system ."}), "", 1},
        {"still disabled", enable, {true, false, kDisabled}, true, false, read,
         Lines({g + ": Enable failed", "1 of 1 matching device(s) could not be enabled."}), "", 2},
        {"refused for all profiles", enable, {true, false, kRunning, false}, true, false, read,
         Lines({g + ": Enable failed", "1 of 1 matching device(s) could not be enabled."}), "", 2},
        {"refused for this profile", enable, {false, false, kRunning, true}, true, false, read,
         Lines({g + ": Enable failed", "1 of 1 matching device(s) could not be enabled."}), "", 2},
        {"without rights", enable, {}, false, false, read, "",
         Lines({"Administrator rights are needed to enable devices; run devcon.exe from an elevated command prompt."}),
         2},
        {"32-bit build on 64-bit Windows", {L"disable", L"X"}, {}, true, true, read, "",
         Lines({"This 32-bit devcon.exe cannot disable devices on 64-bit Windows; use the 64-bit devcon.exe."}), 2},
        {"no device list", {L"disable", L"X"}, {}, true, false, ListResult::Unreadable, "",
         Lines({"The list of devices could not be read."}), 2},
        {"a device list longer than the tool reads", {L"disable", L"PCI\\CC_0302"}, {}, true, false,
         ListResult::TooLong, "",
         Lines({"The device list is longer than the 100000 devices devcon.exe reads; no device was acted on."}), 2},
        {"status needs no rights", {L"status", L"pci\\ven_10de*"}, {true, false, kDisabled}, false, true, read,
         Lines({g + ": Disabled", "1 matching device(s) found."}), "", 0},
        {"status running", {L"status", L"PCI\\CC_0302", L"NO\\SUCH"}, {true, false, kRunning}, true, false, read,
         Lines({g + ": Running", "1 matching device(s) found."}), "", 0},
        {"status with a problem", {L"status", L"PCI\\CC_0302"}, {true, false, Node(0x402, 28)}, true, false, read,
         Lines({g + ": Stopped with problem 28", "1 matching device(s) found."}), "", 0},
        {"status unreadable", {L"status", L"PCI\\CC_0302"}, {true, false, kNothingWritten}, true, false, read,
         Lines({g + ": Status could not be read", "1 matching device(s) found; the status of 1 could not be read."}),
         "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeDevices fake;
        fake.devices = {Gpu()};
        fake.answers[0] = c.answer;
        fake.listed = c.listed;
        Report r = RunFake(fake, c.args, c.elevated, c.wow64);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.exitCode, c.exit);
        if (!c.err.empty() || c.args[0] == L"status") {
            EXPECT_TRUE(fake.changed.empty());
        } else {
            EXPECT_EQ(fake.changed, (std::vector<size_t>{0, 0})) << "a device named twice was changed twice";
            EXPECT_EQ(fake.scopes, (std::vector<Scope>{Scope::Global, Scope::ConfigSpecific}));
        }
    }
}
