#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/HostRules.h"

TEST(CommandLine, InterpreterLineIsCutAt1023)
{
    struct Case { size_t commandChars; size_t lineChars; } cases[] = {
        {0, 7}, {1, 8}, {1016, 1023}, {1017, 1023}, {5000, 1023},
    };
    for (const auto& c : cases) {
        std::wstring command(c.commandChars, L'x');
        if (!command.empty())
            command.back() = L'y';
        std::wstring line = ComposeCommandLine(command);
        EXPECT_EQ(line.size(), c.lineChars) << c.commandChars;
        EXPECT_EQ(line.substr(0, 7), L"cmd /C ") << c.commandChars;
        EXPECT_EQ(line, (L"cmd /C " + command).substr(0, c.lineChars)) << c.commandChars;
    }
    EXPECT_EQ(ComposeCommandLine(L"wmic csproduct list full"), L"cmd /C wmic csproduct list full");
    EXPECT_EQ(ComposeCommandLine(std::wstring(L"echo a\0echo b", 13)), L"cmd /C echo a");
}

TEST(CommandLine, CandidatesFollowTheInterpretersOrder)
{
    std::vector<std::wstring> got = CommandCandidates(
        L"wmic", L"C:\\Tool", L"C:\\Windows\\system32;;\"C:\\Program Files\\A;B\"; C:\\wbem\\ ;", L".EXE;.BAT");
    std::vector<std::wstring> want = {
        L"C:\\Tool\\wmic.EXE", L"C:\\Tool\\wmic.BAT",
        L"C:\\Windows\\system32\\wmic.EXE", L"C:\\Windows\\system32\\wmic.BAT",
        L"C:\\Program Files\\A;B\\wmic.EXE", L"C:\\Program Files\\A;B\\wmic.BAT",
        L"C:\\wbem\\wmic.EXE", L"C:\\wbem\\wmic.BAT",
    };
    EXPECT_EQ(got, want);
    EXPECT_EQ(CommandCandidates(L"wmic", L"", L"D:\\x", L"").size(), 4u);   // default extensions
    EXPECT_TRUE(CommandCandidates(L"wmic", L"", L"", L".EXE").empty());
}
