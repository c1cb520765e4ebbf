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

// Entries as a folder's handle lists them: name, file index, plain file or not.
SRemovalEntry File(const wchar_t* name, unsigned long long id)
{
    return {name, id, true};
}
SRemovalEntry Folder(const wchar_t* name, unsigned long long id)
{
    return {name, id, false};
}
SRemovalEntry Link(const wchar_t* name, unsigned long long id)
{
    return {name, id, false};
}

// The three files as shipped, then more.
std::vector<SRemovalEntry> Shipped(std::vector<SRemovalEntry> more = {})
{
    std::vector<SRemovalEntry> out = {File(L"Velmora.exe", 1), File(L"devcon.exe", 2), File(L"TarnexFeedbackInformation.dll", 3)};
    out.insert(out.end(), more.begin(), more.end());
    return out;
}
const std::vector<std::wstring> kLater = {L"Velmora.exe", L"TarnexFeedbackInformation.dll"};

// A folder held from the start, started as started and really at final ("":
// the same, in its \\?\ spelling), with this machine's protected folders.
SSelfRemovalFacts Held(const std::wstring& started, const std::wstring& final)
{
    SSelfRemovalFacts f;
    f.held = f.heldAsIs = true;
    f.startedPath = started;
    f.finalPathAtStart = f.finalPathNow = final.empty() ? L"\\\\?\\" + started : final;
    f.protectedFolders = kProtected;
    f.profileFolders = kProfiles;
    return f;
}

std::vector<std::wstring> Names(const std::vector<SRemovalEntry>& entries)
{
    std::vector<std::wstring> out;
    for (const SRemovalEntry& e : entries)
        out.push_back(e.name);
    return out;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> v)
{
    std::sort(v.begin(), v.end());
    return v;
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
        // Nothing but a plain drive path can be judged: a share (the local
        // drive's too), a volume or a device path is kept as it is.
        {L"\\\\server\\share\\Velmora", true},
        {L"\\\\localhost\\C$\\Tools\\Velmora", true},
        {L"\\\\127.0.0.1\\C$\\Tools\\Velmora", true},
        {L"\\\\?\\UNC\\localhost\\C$\\Tools\\Velmora", true},
        {L"\\\\?\\UNC\\server\\share", true},
        {L"\\\\?\\Volume{3f1a2b4c-0000-0000-0000-100000000000}\\Tools\\Velmora", true},
        {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2\\Tools\\Velmora", true},
        {L"\\\\.\\PhysicalDrive0", true},
        {L"Tools\\Velmora", true},
        {L"C:Tools\\Velmora", true},
        // Another spelling of a drive path is that path.
        {L"\\\\?\\C:\\", true},
        {L"\\\\.\\C:\\", true},
        {L"\\\\?\\C:\\Tools\\Velmora", false},
        {L"\\\\.\\C:\\Tools\\Velmora", false},
        {L"\\\\.\\C:\\Users\\alice\\Downloads", true},
        {L"\\\\?\\c:\\users\\alice\\desktop\\", true},
        {L"C:\\Users\\\\alice\\Desktop", true},
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

TEST(SelfRemovalPlan, OnlyTheToolsFilesGoAndTheFolderOnlyWhenItWasTheToolsAlone)
{
    // Every row: the program folder as its handle saw it at start and sees it
    // as the run ends. "now" and "later" list the names removed at once (by
    // handle) and by the hidden command after the end; "kept" the tool's
    // things that stay with a log line.
    struct Case {
        const char* what;
        const wchar_t* started;     // the path the program was started from
        const wchar_t* final;       // where the held folder is ("": the started path)
        std::vector<SRemovalEntry> atStart, now;
        std::vector<std::wstring> removedNow, removedLater;
        bool folderToo;
        std::vector<std::wstring> kept;
    } cases[] = {
        {"a folder made for the tool, with the library's records", L"C:\\Tools\\Velmora 1.0", L"", Shipped(),
         Shipped({File(L"feedback-calls.txt", 9)}), {L"devcon.exe", L"feedback-calls.txt"}, kLater, true, {}},
        {"the thesis was there at start: the photo saved meanwhile stays, and so does the folder", L"C:\\Work", L"",
         Shipped({File(L"thesis.docx", 8)}), Shipped({File(L"thesis.docx", 8), File(L"photo.jpg", 9)}), {L"devcon.exe"},
         kLater, false, {}},
        {"payroll.xlsx. that came beside the user's payroll.xlsx names neither", L"C:\\Work", L"",
         Shipped({File(L"payroll.xlsx", 8)}), Shipped({File(L"payroll.xlsx", 8), File(L"payroll.xlsx.", 9)}),
         {L"devcon.exe"}, kLater, false, {}},
        {"in the tool's own folder a name with a trailing dot or blank goes as itself", L"C:\\Tools\\V", L"",
         Shipped(), Shipped({File(L"notes.", 9), File(L"log ", 10)}), {L"devcon.exe", L"notes.", L"log "}, kLater, true,
         {}},
        {"reached through a link: only the tool's own files go", L"C:\\Documents and Settings\\alice\\Tools\\V",
         L"\\\\?\\C:\\Users\\alice\\Tools\\V", Shipped(), Shipped({File(L"saved.docx", 9)}), {L"devcon.exe"}, kLater,
         false, {L"C:\\Documents and Settings\\alice\\Tools\\V"}},
        {"a folder whose real path is no drive path stays", L"\\\\?\\Volume{3f1a2b4c-0000-0000-0000-100000000000}\\V",
         L"\\\\?\\Volume{3f1a2b4c-0000-0000-0000-100000000000}\\V", Shipped(), Shipped({File(L"saved.docx", 9)}), {L"devcon.exe"}, kLater, false, {}},
        {"a file renamed while the tool ran is no newcomer", L"C:\\Tools\\V", L"", Shipped(),
         {File(L"Velmora.exe", 1), File(L"devcon-old.exe", 2), File(L"TarnexFeedbackInformation.dll", 3)}, {}, kLater,
         true, {}},
        {"in the tool's folder a folder or link that came stays", L"C:\\Tools\\V", L"", Shipped(),
         Shipped({Folder(L"photos", 9), Link(L"elsewhere", 10), File(L"calls.txt", 11)}), {L"devcon.exe", L"calls.txt"},
         kLater, true, {L"photos", L"elsewhere"}},
        {"a tool's file that is not the one it brought stays", L"C:\\Tools\\V", L"", Shipped(),
         {File(L"Velmora.exe", 1), File(L"devcon.exe", 7), Folder(L"TarnexFeedbackInformation.dll", 3)}, {}, {L"Velmora.exe"},
         true, {L"devcon.exe", L"TarnexFeedbackInformation.dll"}},
        {"another account's Desktop: the tool's own files only", L"C:\\Users\\bob\\Desktop", L"", Shipped(),
         Shipped({File(L"download.zip", 9)}), {L"devcon.exe"}, kLater, false, {}},
        {"Downloads, renamed program, names in another case", L"C:\\Users\\alice\\Downloads", L"",
         {File(L"velmora (2).exe", 1), File(L"DEVCON.EXE", 2)},
         {File(L"velmora (2).exe", 1), File(L"DEVCON.EXE", 2), File(L"new.pdf", 9)}, {L"DEVCON.EXE"},
         {L"velmora (2).exe"}, false, {}},
        {"a drive root", L"D:\\", L"\\\\?\\D:\\", Shipped(), Shipped({File(L"new.txt", 9)}), {L"devcon.exe"}, kLater,
         false, {}},
    };
    for (const auto& c : cases) {
        SSelfRemovalFacts f = Held(c.started, c.final);
        f.atStart = c.atStart;
        f.now = c.now;
        f.programName = c.atStart[0].name;
        const SSelfRemovalPlan plan = PlanSelfRemoval(f);
        ASSERT_TRUE(plan.safe) << c.what;
        std::wstring base = *c.final ? c.final : std::wstring(L"\\\\?\\") + c.started;
        if (base.back() != L'\\')
            base += L'\\';
        std::vector<std::wstring> later, kept;
        for (const std::wstring& p : plan.removeLater) {
            EXPECT_EQ(p.substr(0, base.size()), base) << Narrow(p);
            later.push_back(p.substr(base.size()));
        }
        for (const SKeptEntry& k : plan.kept)
            kept.push_back(k.name);
        EXPECT_EQ(Sorted(Names(plan.removeNow)), Sorted(c.removedNow)) << c.what;
        EXPECT_EQ(Sorted(later), Sorted(c.removedLater)) << c.what;
        EXPECT_EQ(plan.folderLater, c.folderToo ? base.substr(0, base.size() - 1) : std::wstring()) << c.what;
        EXPECT_EQ(Sorted(kept), Sorted(c.kept)) << c.what;
        EXPECT_FALSE(plan.logFolderNow) << c.what;
    }
}

TEST(SelfRemovalPlan, ALogFolderThisRunMadeLosesItsLogFilesThenItselfIfEmpty)
{
    const std::vector<SRemovalEntry> logNow = {File(L"Quorrant.txt", 20), File(L"notes.txt", 21), Folder(L"Velmora.txt", 22),
                                               File(L"velmora.TXTBAK", 23)};
    for (bool made : {true, false}) {
        SSelfRemovalFacts f = Held(L"C:\\Tools\\V", L"");
        f.atStart = Shipped();
        f.now = Shipped({Folder(L"ToolLog", 19)});
        f.programName = L"Velmora.exe";
        f.logFolderMadeByRun = made;
        f.logNow = made ? logNow : std::vector<SRemovalEntry>{};
        const SSelfRemovalPlan plan = PlanSelfRemoval(f);
        EXPECT_EQ(plan.logFolderNow, made);
        EXPECT_EQ(Sorted(Names(plan.logFilesNow)),
                  made ? (std::vector<std::wstring>{L"Quorrant.txt", L"velmora.TXTBAK"}) : std::vector<std::wstring>{});
        // One that was not made by this run is somebody's folder that came meanwhile.
        EXPECT_EQ(plan.kept.size(), made ? 0u : 1u);
    }
}

TEST(SelfRemovalPlan, AFolderHeldThroughALinkOrMovedOrNotHeldIsNeverRemoved)
{
    // Started as C:\Tools\V, which held the tool alone; calls.txt came meanwhile.
    struct Case {
        const char* what;
        bool held, asIs;
        const wchar_t* finalAtStart;
        const wchar_t* finalNow;
        bool throughLink;
        std::vector<std::wstring> removedNow;
        bool folderToo;
    } cases[] = {
        {"held as itself where it was started", true, true, L"\\\\?\\C:\\Tools\\V", L"\\\\?\\C:\\Tools\\V", false,
         {L"devcon.exe", L"calls.txt"}, true},
        {"the same path in another case and form", true, true, L"\\\\?\\c:\\tools\\v\\", L"\\\\?\\C:\\Tools\\V", false,
         {L"devcon.exe", L"calls.txt"}, true},
        {"held by following a link at its own name", true, false, L"\\\\?\\C:\\Tools\\V", L"\\\\?\\C:\\Tools\\V",
         true, {L"devcon.exe"}, false},
        {"started through a link on the way", true, true, L"\\\\?\\D:\\Elsewhere\\V", L"\\\\?\\D:\\Elsewhere\\V",
         true, {L"devcon.exe"}, false},
        {"moved while held", true, true, L"\\\\?\\C:\\Tools\\V", L"\\\\?\\C:\\Moved\\V", true, {L"devcon.exe"},
         false},
        {"its final path unknown", true, true, L"", L"\\\\?\\C:\\Tools\\V", true, {L"devcon.exe"}, false},
    };
    for (const auto& c : cases) {
        SSelfRemovalFacts f = Held(L"C:\\Tools\\V", c.finalNow);
        f.held = c.held;
        f.heldAsIs = c.asIs;
        f.finalPathAtStart = c.finalAtStart;
        f.atStart = Shipped();
        f.now = Shipped({File(L"calls.txt", 9)});
        f.programName = L"Velmora.exe";
        const SSelfRemovalPlan plan = PlanSelfRemoval(f);
        ASSERT_TRUE(plan.safe) << c.what;
        EXPECT_EQ(plan.reachedThroughLink, c.throughLink) << c.what;
        EXPECT_EQ(Sorted(Names(plan.removeNow)), Sorted(c.removedNow)) << c.what;
        EXPECT_EQ(plan.removeLater.size(), 2u) << c.what;
        EXPECT_EQ(!plan.folderLater.empty(), c.folderToo) << c.what;
        // The log says why the folder stays.
        EXPECT_EQ(plan.kept.size(), c.throughLink ? 1u : 0u) << c.what;
    }

    // A folder that could not be held: nothing at all, and the log says so.
    SSelfRemovalFacts f;
    f.startedPath = L"C:\\Tools\\V";
    f.programName = L"Velmora.exe";
    const SSelfRemovalPlan plan = PlanSelfRemoval(f);
    EXPECT_FALSE(plan.safe);
    ASSERT_EQ(plan.kept.size(), 1u);
    EXPECT_EQ(plan.kept[0].name, L"C:\\Tools\\V");
}

TEST(SelfRemovalPlan, NothingIsTouchedWhereTheInterpreterWouldReadAnotherPath)
{
    const wchar_t* folders[] = {L"", L"C:\\%HOMEPATH%", L"C:\\Tools\\Wow!Velmora!", L"C:\\a\"b"};
    for (const wchar_t* folder : folders) {
        SSelfRemovalFacts f = Held(folder, L"");
        f.finalPathNow = f.finalPathAtStart = folder;
        f.programName = L"Velmora.exe";
        f.atStart = f.now = Shipped();
        const SSelfRemovalPlan plan = PlanSelfRemoval(f);
        EXPECT_FALSE(plan.safe) << Narrow(folder);
        EXPECT_EQ(plan.kept.size(), 1u) << Narrow(folder);
    }
    for (const wchar_t* program : {L"", L"..\\x.exe", L"a:b.exe", L"50%.exe", L"*.exe"}) {
        SSelfRemovalFacts f = Held(L"C:\\Tools\\V", L"");
        f.programName = program;
        EXPECT_FALSE(PlanSelfRemoval(f).safe) << Narrow(program);
    }
}
