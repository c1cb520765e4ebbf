// The command texts the tool hands to the interpreter.
#include <gtest/gtest.h>

#include "system/RepairRules.h"

TEST(RepairRules, DevconCommandQuotesTheFolderAndTheId)
{
    EXPECT_EQ(DevconDisableCommand(L"C:\\velmora-tests\\My Tools\\Velmora", L"PCI\\VEN_10DE&DEV_1AD8"),
              L"cd /d \"C:\\velmora-tests\\My Tools\\Velmora\" & devcon.exe disable \"PCI\\VEN_10DE&DEV_1AD8\"");
}

TEST(RepairRules, SelfRemovalTexts)
{
    const std::vector<std::wstring> prot = {L"C:\\Users\\alice\\Downloads"};
    struct Case { const char* what; const wchar_t* folder; const wchar_t* program; const wchar_t* expected; } cases[] = {
        {"a folder of its own, with blanks", L"C:\\Tools\\Velmora 1.0", L"Velmora.exe",
         L"/C timeout /t 3 /nobreak & rmdir /s /q \"C:\\Tools\\Velmora 1.0\""},
        {"an & in the name stays inside the quotes", L"C:\\A & B", L"Velmora.exe",
         L"/C timeout /t 3 /nobreak & rmdir /s /q \"C:\\A & B\""},
        {"a protected folder: only the tool's files", L"C:\\Users\\alice\\Downloads", L"Velmora.exe",
         L"/C timeout /t 3 /nobreak & del /f /q \"C:\\Users\\alice\\Downloads\\Velmora.exe\" "
         L"\"C:\\Users\\alice\\Downloads\\devcon.exe\" \"C:\\Users\\alice\\Downloads\\TarnexFeedbackInformation.dll\" "
         L"\"C:\\Users\\alice\\Downloads\\logCfg.ini\" & rmdir /s /q \"C:\\Users\\alice\\Downloads\\ToolLog\""},
        {"a drive root, renamed program", L"D:", L"Velmora (2).exe",
         L"/C timeout /t 3 /nobreak & del /f /q \"D:\\Velmora (2).exe\" \"D:\\devcon.exe\" "
         L"\"D:\\TarnexFeedbackInformation.dll\" \"D:\\logCfg.ini\" & rmdir /s /q \"D:\\ToolLog\""},
        // The interpreter expands %NAME% (and !NAME! with delayed expansion) even
        // inside quotes: such a path could come out as another folder.
        {"a variable in the path", L"C:\\%HOMEPATH%", L"Velmora.exe", L""},
        {"an exclamation mark", L"C:\\Tools\\Wow!Velmora!", L"Velmora.exe", L""},
        {"no folder", L"", L"Velmora.exe", L""},
        {"a protected folder and a program name with a path", L"C:\\Users\\alice\\Downloads", L"..\\x.exe", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SelfRemovalParameters(c.folder, c.program, prot), c.expected) << c.what;
}
