// The command texts the tool hands to the interpreter.
#include <gtest/gtest.h>

#include "system/RepairRules.h"
#include "system/SelfRemovalRules.h"

TEST(RepairRules, DevconCommandNamesTheFoldersOwnToolOrNothing)
{
    const std::wstring id = L"PCI\\VEN_10DE&DEV_1AD8";
    struct Case { const wchar_t* folder; const wchar_t* command; } cases[] = {
        {L"C:\\velmora-tests\\My Tools\\Velmora",
         L"\"C:\\velmora-tests\\My Tools\\Velmora\\devcon.exe\" disable \"PCI\\VEN_10DE&DEV_1AD8\""},
        {L"C:\\A & B ^ (C)", L"\"C:\\A & B ^ (C)\\devcon.exe\" disable \"PCI\\VEN_10DE&DEV_1AD8\""},
        {L"\\\\server\\share\\Velmora", L"\"\\\\server\\share\\Velmora\\devcon.exe\" disable \"PCI\\VEN_10DE&DEV_1AD8\""},
        {L"\\\\?\\C:\\Tools", L"\"\\\\?\\C:\\Tools\\devcon.exe\" disable \"PCI\\VEN_10DE&DEV_1AD8\""},
        {L"D:\\", L"\"D:\\devcon.exe\" disable \"PCI\\VEN_10DE&DEV_1AD8\""},
        // The interpreter expands %NAME% (and !NAME! with delayed expansion)
        // even inside quotes: such a folder could come out as another one.
        {L"C:\\%TEMP%\\Velmora", L""},
        {L"C:\\Tools\\Wow!Velmora!", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevconCommand(c.folder, EDeviceVerb::Disable, id), c.command)
            << std::string(c.folder, c.folder + wcslen(c.folder));
    // Giving the device back names the same tool and ID, and is refused where the repair is.
    EXPECT_EQ(DevconCommand(L"C:\\A & B", EDeviceVerb::Enable, id),
              L"\"C:\\A & B\\devcon.exe\" enable \"PCI\\VEN_10DE&DEV_1AD8\"");
    EXPECT_EQ(DevconCommand(L"C:\\%TEMP%", EDeviceVerb::Enable, id), L"");
}

// What the removal's command does (its wait, its tries while a file is in
// use, a folder put at a file's name left alone, only an empty folder going)
// is seen by running it, in tests/win/SelfRemovalTest.cpp. Here: when there is
// no command at all, or no folder removal in it.
TEST(RepairRules, SelfRemovalCommandIsLeftOutWhereItWouldNotBeSafe)
{
    SSelfRemovalPlan plan;
    plan.safe = true;
    plan.removeLater = {L"\\\\?\\C:\\Tools\\A & B\\Velmora.exe", L"\\\\?\\C:\\Tools\\A & B\\TarnexFeedbackInformation.dll"};
    plan.folderLater = L"\\\\?\\C:\\Tools\\A & B";
    const std::wstring command = SelfRemovalParameters(plan, L"C:\\Windows\\system32");
    EXPECT_EQ(command.rfind(L"/D /S /C \"\"C:\\Windows\\system32\\timeout.exe\" /t 3 ", 0), 0u);
    EXPECT_NE(command.find(L"rmdir \"\\\\?\\C:\\Tools\\A & B\""), std::wstring::npos);

    // A protected folder stays: no rmdir at all.
    plan.folderLater.clear();
    EXPECT_EQ(SelfRemovalParameters(plan, L"C:\\Windows\\system32").find(L"rmdir"), std::wstring::npos);
    // Nothing safe to do: no command.
    EXPECT_EQ(SelfRemovalParameters(SSelfRemovalPlan{}, L"C:\\Windows\\system32"), L"");
    plan.removeLater.push_back(L"C:\\Tools\\100%.dll");
    EXPECT_EQ(SelfRemovalParameters(plan, L"C:\\Windows\\system32"), L"");
}
