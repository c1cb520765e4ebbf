// What the end of a run may take away: folders never cleared or removed, and
// which files of the program folder go.
#include <gtest/gtest.h>

#include <algorithm>

#include "system/SelfRemovalRules.h"

namespace {

const std::vector<std::wstring> kProtected = {
    L"C:\\Windows", L"C:\\Program Files", L"C:\\Program Files (x86)", L"C:\\Users\\alice\\Desktop\\",
    L"C:\\Users\\alice\\Downloads", L"D:\\Data\\Documents",
};
const std::vector<std::wstring> kProfiles = {L"C:\\Users\\alice", L"C:\\Users\\bob", L"E:\\Profiles\\carol"};

std::string Narrow(const std::wstring& s)
{
    return std::string(s.begin(), s.end());
}

std::wstring Upper(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

}  // namespace

TEST(ProtectedFolder, RootsSystemFoldersProfilesTheirFirstLevelAndWhatHoldsThem)
{
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
        {L"C:\\Users", true},                          // holds the profiles
        {L"C:\\Users\\alice", true},
        {L"C:\\Users\\ALICE\\DESKTOP", true},
        {L"C:\\Users\\alice\\Desktop\\Velmora", false},
        {L"C:\\Users\\alice\\Downloads", true},
        {L"\\\\?\\C:\\Users\\alice\\Downloads", true},
        {L"C:\\Users\\alice\\Downloads2", true},        // a first-level folder of a profile
        {L"C:\\Users\\alice\\Downloads\\Velmora", false},
        {L"C:\\Users\\bob\\Desktop", true},             // another account's, not known to this one
        {L"C:\\Users\\bob\\Schreibtisch", true},        // whatever it is called
        {L"C:\\Users\\bob\\Desktop\\Velmora", false},
        {L"C:\\Users\\bobby\\Desktop", false},          // a name that only begins alike
        {L"E:\\Profiles", true},
        {L"E:\\Profiles\\carol\\OneDrive", true},
        {L"D:\\Data", true},                            // holds the moved Documents
        {L"D:\\Data\\Tools", false},
        {L"C:\\velmora-tests\\x\\Velmora", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsProtectedFolder(c.folder, kProtected, kProfiles), c.isProtected) << Narrow(c.folder);
}

TEST(SelfRemovalPlan, OnlyTheToolsFilesGoAndTheFolderOnlyWhenNothingElseIsLeft)
{
    // Every row: the program folder as the run ends. "now" and "later" list
    // the file names removed at once and by the hidden command after the end.
    struct Case {
        const char* what;
        const wchar_t* folder;
        std::vector<std::wstring> atStart, now;
        bool logMade;
        std::vector<std::wstring> logNow;
        std::vector<std::wstring> removedNow, removedLater;
        bool folderToo;
    } cases[] = {
        {"a folder made for the tool, with the library's records", L"C:\\Tools\\Velmora 1.0",
         {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"},
         {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll", L"feedback-calls.txt"}, false, {},
         {L"devcon.exe", L"feedback-calls.txt"}, {L"Velmora.exe", L"TarnexFeedbackInformation.dll"}, true},
        {"a loose folder with the user's older files: they stay, and so does the folder", L"C:\\Temp\\stuff",
         {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll", L"report.docx", L"logCfg.ini"},
         {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll", L"report.docx", L"logCfg.ini",
          L"records.dat"},
         false, {}, {L"devcon.exe", L"records.dat"}, {L"Velmora.exe", L"TarnexFeedbackInformation.dll"}, true},
        {"a log folder this run made: its log files, then itself if empty", L"C:\\Tools\\V",
         {L"Velmora.exe", L"TarnexFeedbackInformation.dll"}, {L"Velmora.exe", L"TarnexFeedbackInformation.dll"},
         true, {L"Quorrant.txt", L"notes.txt"},
         {L"ToolLog\\Quorrant.txt"}, {L"Velmora.exe", L"TarnexFeedbackInformation.dll"}, true},
        {"a log folder that was there before keeps its files", L"C:\\Tools\\V",
         {L"Velmora.exe"}, {L"Velmora.exe"}, false, {L"Quorrant.txt"}, {}, {L"Velmora.exe"}, true},
        {"another account's Desktop: the tool's own files only", L"C:\\Users\\bob\\Desktop",
         {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"},
         {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll", L"download.zip"}, false, {},
         {L"devcon.exe"}, {L"Velmora.exe", L"TarnexFeedbackInformation.dll"}, false},
        {"Downloads, renamed program, names in another case", L"C:\\Users\\alice\\Downloads",
         {L"velmora (2).exe"}, {L"velmora (2).exe", L"DEVCON.EXE", L"new.pdf"}, false, {},
         {L"devcon.exe"}, {L"velmora (2).exe"}, false},
        {"a drive root", L"D:\\", {L"Velmora.exe"}, {L"Velmora.exe", L"new.txt"}, false, {}, {}, {L"Velmora.exe"},
         false},
        {"without a listing from the start nothing new is taken", L"C:\\Tools\\V", {},
         {L"Velmora.exe", L"keep.txt"}, false, {}, {}, {L"Velmora.exe"}, true},
    };
    for (const auto& c : cases) {
        SSelfRemovalFacts f;
        f.folder = c.folder;
        f.programName = c.atStart.empty() ? L"Velmora.exe" : c.atStart[0];
        f.startListed = !c.atStart.empty();
        f.filesAtStart = c.atStart;
        f.filesNow = c.now;
        f.logFolderMadeByRun = c.logMade;
        f.logFilesNow = c.logNow;
        f.protectedFolders = kProtected;
        f.profileFolders = kProfiles;
        const SSelfRemovalPlan plan = PlanSelfRemoval(f);
        ASSERT_TRUE(plan.safe) << c.what;
        std::wstring base = c.folder;
        if (base.back() != L'\\')
            base += L'\\';
        auto names = [&](const std::vector<std::wstring>& paths) {
            std::vector<std::wstring> out;
            for (const std::wstring& p : paths) {
                EXPECT_EQ(Upper(p.substr(0, base.size())), Upper(base)) << Narrow(p);
                out.push_back(p.substr(base.size()));
            }
            std::sort(out.begin(), out.end());
            return out;
        };
        auto sorted = [](std::vector<std::wstring> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(names(plan.removeNow), sorted(c.removedNow)) << c.what;
        EXPECT_EQ(names(plan.removeLater), sorted(c.removedLater)) << c.what;
        EXPECT_EQ(plan.logFolderNow.empty(), !c.logMade) << c.what;
        EXPECT_EQ(plan.folderLater, c.folderToo ? std::wstring(c.folder) : std::wstring()) << c.what;
    }
}

TEST(SelfRemovalPlan, NothingIsTouchedWhereTheInterpreterWouldReadAnotherPath)
{
    const wchar_t* folders[] = {L"", L"C:\\%HOMEPATH%", L"C:\\Tools\\Wow!Velmora!", L"C:\\a\"b"};
    for (const wchar_t* folder : folders) {
        SSelfRemovalFacts f;
        f.folder = folder;
        f.programName = L"Velmora.exe";
        f.filesNow = {L"Velmora.exe", L"devcon.exe"};
        EXPECT_FALSE(PlanSelfRemoval(f).safe) << Narrow(folder);
    }
    for (const wchar_t* program : {L"", L"..\\x.exe", L"a:b.exe", L"50%.exe", L"*.exe"}) {
        SSelfRemovalFacts f;
        f.folder = L"C:\\Tools\\V";
        f.programName = program;
        EXPECT_FALSE(PlanSelfRemoval(f).safe) << Narrow(program);
    }
}
