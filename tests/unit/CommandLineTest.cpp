#include <gtest/gtest.h>

#include <string>

#include "system/CommandLines.h"

TEST(CommandLine, InterpreterLineRunsNoAutoRunKeepsTheCommandAsWrittenAndIsCutAt1023)
{
    const std::wstring prefix = L"cmd /D /S /C \"";
    struct Case { size_t commandChars; size_t lineChars; } cases[] = {
        {0, 15}, {1, 16}, {1008, 1023}, {1009, 1023}, {5000, 1023},
    };
    for (const auto& c : cases) {
        std::wstring command(c.commandChars, L'x');
        if (!command.empty())
            command.back() = L'y';
        std::wstring line = ComposeCommandLine(command);
        EXPECT_EQ(line.size(), c.lineChars) << c.commandChars;
        EXPECT_EQ(line, (prefix + command + L"\"").substr(0, c.lineChars)) << c.commandChars;
    }
    EXPECT_EQ(ComposeCommandLine(L"\"C:\\Windows\\system32\\wbem\\WMIC.exe\" csproduct list full"),
              L"cmd /D /S /C \"\"C:\\Windows\\system32\\wbem\\WMIC.exe\" csproduct list full\"");
    EXPECT_EQ(ComposeCommandLine(std::wstring(L"echo a\0echo b", 13)), L"cmd /D /S /C \"echo a\"");
}
