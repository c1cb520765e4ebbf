// The device tool ends with 0 whatever it did; only its words say whether the
// function was disabled, or enabled again, and whether only from the restart.
#include <gtest/gtest.h>

#include "system/RepairRules.h"

TEST(DevconOutput, OnlyAConfirmedCountIsSuccess)
{
    const std::string dev = "PCI\\VEN_10DE&DEV_1AD8&SUBSYS_12345678&REV_A1\\4&1C3B2A0&0&0008";
    struct Case { const char* what; std::string output; bool confirms; } cases[] = {
        {"disabled now", dev + "                    : Disabled\r\n1 device(s) disabled.\r\n", true},
        {"disabled at the next restart",
         dev + ": Disabled on reboot\r\nThe 1 device(s) are ready to be disabled. To disable the devices, "
               "restart the devices or reboot the system .\r\n",
         true},
        {"two matched, one failed", dev + ": Disabled\r\n" + dev + "X: Disable failed\r\n1 device(s) disabled.\r\n",
         true},
        {"several, no line end at the end", "2 device(s) disabled.", true},
        {"LF line ends and padding", dev + ": Disabled\n  12 device(s) disabled.  \n", true},
        {"no matching device", "No matching devices found.\r\n", false},
        {"refused", dev + ": Disable failed\r\nNo devices disabled.\r\n", false},
        {"refused without a summary", dev + ": Disable failed\r\n", false},
        {"disabled without a summary", dev + ": Disabled\r\n", false},
        {"zero disabled", "0 device(s) disabled.\r\n", false},
        {"zero ready", "The 0 device(s) are ready to be disabled. To disable the devices, restart.\r\n", false},
        {"tool missing (Windows)",
         "'devcon.exe' is not recognized as an internal or external command,\r\noperable program or batch file.\r\n",
         false},
        {"tool missing (wine)",
         "Can't recognize 'devcon.exe disable \"PCI\\VEN_10DE&DEV_1AD8\"' as an internal or external command, or "
         "batch script.\r\n",
         false},
        {"tool failed", "devcon.exe failed.\r\n", false},
        {"nothing at all", "", false},
        {"the summary inside another line", dev + ": 1 device(s) disabled.\r\n", false},
        {"the summary after other words", "Not 1 device(s) disabled.\r\n", false},
        {"other wording", "1 Device(s) Disabled.\r\n", false},
        {"a count too large to be real", "12345678901 device(s) disabled.\r\n", false},
        {"the summary with more after it", "1 device(s) disabled. Not really.\r\n", false},
        {"a NUL-free binary mess", std::string("\xff\xfe\x01 device(s)", 13), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevconConfirmsDisable(c.output), c.confirms) << c.what;
}

TEST(DevconOutput, EachVerbHearsOnlyItsOwnSummaryNowOrAtTheRestart)
{
    const EDeviceChange none = EDeviceChange::None, now = EDeviceChange::Now, later = EDeviceChange::AtRestart;
    const EDeviceVerb off = EDeviceVerb::Disable, on = EDeviceVerb::Enable;
    struct Case { const char* what; EDeviceVerb verb; std::string output; EDeviceChange change; } cases[] = {
        {"disabled now", off, "1 device(s) disabled.\r\n", now},
        {"disabled at the restart", off, "The 1 device(s) are ready to be disabled. To disable the devices, "
                                         "restart the devices or reboot the system .\r\n", later},
        {"enabled now", on, "X: Enabled\r\n1 device(s) enabled.\r\n", now},
        {"enabled at the restart", on, "X: Enabled on reboot\r\nThe 1 device(s) are ready to be enabled. To enable "
                                       "the devices, restart the devices or reboot the system .\r\n", later},
        {"one now, one at the restart: the restart is still needed", on,
         "1 device(s) enabled.\r\nThe 1 device(s) are ready to be enabled.\r\n", later},
        {"the restart first, then now", on, "The 1 device(s) are ready to be enabled.\r\n1 device(s) enabled.\r\n",
         later},
        {"an enabling is no disabling", off, "1 device(s) enabled.\r\n", none},
        {"a disabling is no enabling", on, "1 device(s) disabled.\r\n", none},
        {"none enabled", on, "X: Enable failed\r\nNo devices enabled.\r\n", none},
        {"zero enabled", on, "0 device(s) enabled.\r\n", none},
        {"zero ready", on, "The 0 device(s) are ready to be enabled.\r\n", none},
        {"nothing at all", on, "", none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevconChangeOf(c.verb, c.output), c.change) << c.what;
}
