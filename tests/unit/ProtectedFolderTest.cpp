// Folders the self-removal must never take away whole.
#include <gtest/gtest.h>

#include "system/RepairRules.h"

TEST(ProtectedFolder, RootsSystemFoldersProfilesAndWhatHoldsThem)
{
    const std::vector<std::wstring> prot = {
        L"C:\\Windows", L"C:\\Program Files", L"C:\\Program Files (x86)", L"C:\\Users\\alice",
        L"C:\\Users\\alice\\Desktop\\", L"C:\\Users\\alice\\Downloads", L"D:\\Data\\Documents",
    };
    struct Case { const wchar_t* folder; bool isProtected; } cases[] = {
        {L"C:", true},
        {L"C:\\", true},
        {L"E:", true},
        {L"\\\\server\\share", true},
        {L"\\\\server\\share\\", true},
        {L"\\\\server\\share\\Velmora", false},
        {L"\\\\?\\C:\\", true},
        {L"\\\\?\\UNC\\server\\share", true},
        {L"C:\\Windows", true},
        {L"c:\\windows\\", true},
        {L"C:/Windows", true},
        {L"C:\\Program Files (x86)", true},
        {L"C:\\Program Files\\Velmora", false},
        {L"C:\\Users", true},                         // holds the profiles
        {L"C:\\Users\\alice", true},
        {L"C:\\Users\\ALICE\\DESKTOP", true},
        {L"C:\\Users\\alice\\Desktop\\Velmora", false},
        {L"C:\\Users\\alice\\Downloads", true},
        {L"\\\\?\\C:\\Users\\alice\\Downloads", true},
        {L"C:\\Users\\alice\\Downloads2", false},      // a name that only begins alike
        {L"C:\\Users\\alice\\Downloads\\Velmora", false},
        {L"D:\\Data", true},                           // holds the moved Documents
        {L"D:\\Data\\Tools", false},
        {L"C:\\velmora-tests\\x\\Velmora", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsProtectedFolder(c.folder, prot), c.isProtected) << std::string(c.folder, c.folder + wcslen(c.folder));
}
