// Where the one-run mark goes and whose existing mark keeps a run away. Wine
// has no private namespaces, so the choice of place is shown here; the owner
// rule is shown here for the owners a real system gives.
#include <gtest/gtest.h>

#include "app/OneRunRules.h"

TEST(OneRunRules, TheGlobalNameOnlyWhereNamespacesAreMissingAndOnlyAnAdministratorsMarkCounts)
{
    struct Place { bool ready; unsigned long error; EMarkPlace place; } places[] = {
        {true, 0, EMarkPlace::PrivateNamespace},
        {true, 183, EMarkPlace::PrivateNamespace},    // made by another run, opened
        {false, 0, EMarkPlace::GlobalName},           // a stub that says nothing (wine)
        {false, 120, EMarkPlace::GlobalName},         // ERROR_CALL_NOT_IMPLEMENTED
        {false, 50, EMarkPlace::GlobalName},          // ERROR_NOT_SUPPORTED
        {false, 5, EMarkPlace::None},                 // access denied: never the squattable name
        {false, 8, EMarkPlace::None},                 // out of memory
        {false, 183, EMarkPlace::None},               // exists, yet could not be opened
        {false, 1, EMarkPlace::None},
    };
    for (const auto& c : places)
        EXPECT_EQ(MarkPlaceFor(c.ready, c.error), c.place) << c.ready << " " << c.error;

    struct Owner { const wchar_t* sid; bool anotherRun; } owners[] = {
        {L"S-1-5-32-544", true},                                  // Administrators
        {L"S-1-5-18", true},                                      // SYSTEM
        {L"S-1-5-21-1004336348-1177238915-682003330-1001", false},   // a user
        {L"S-1-5-21-1004336348-1177238915-682003330-500", false},    // the built-in administrator himself
        {L"S-1-5-32-545", false},                                 // Users
        {L"S-1-5-19", false},                                     // LOCAL SERVICE
        {L"S-1-5-20", false},                                     // NETWORK SERVICE
        {L"S-1-1-0", false},                                      // Everyone
        {L"S-1-5-32-5440", false},
        {L"s-1-5-18", false},                                     // the system writes it only so
        {L"", false},                                             // owner not readable
    };
    for (const auto& c : owners)
        EXPECT_EQ(MarkIsAnotherRuns(c.sid), c.anotherRun) << ::testing::PrintToString(std::wstring(c.sid));

    EXPECT_EQ(IgnoredMarkLogLine(L"Global\\Velmora-OneRun", L"S-1-5-21-1-2-3-1001"),
              "单次运行标记 Global\\Velmora-OneRun 不属于管理员或 SYSTEM（所有者 S-1-5-21-1-2-3-1001），已忽略");
    EXPECT_EQ(IgnoredMarkLogLine(L"Global\\Velmora-OneRun", L""),
              "单次运行标记 Global\\Velmora-OneRun 不属于管理员或 SYSTEM（所有者无法读取），已忽略");
}
