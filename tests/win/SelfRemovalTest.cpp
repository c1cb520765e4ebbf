// The removal at the end of a run, on scratch folders of the test prefix: what
// goes at once, what the command the shell starts takes after its wait
// (retrying while a file is still in use), and what always stays.
#include <gtest/gtest.h>

#include "base/Handles.h"
#include "base/InFolder.h"
#include "base/Paths.h"
#include "log/LogSave.h"
#include "system/SelfRemoval.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VelmoraRun.h"

namespace {

// Nothing may be removed unless the prefix is the sealed test prefix and the
// folder is a scratch folder.
bool SafeToRemove(const std::wstring& folder)
{
    return ::GetFileAttributesW(L"Z:\\") == INVALID_FILE_ATTRIBUTES &&
           folder.compare(0, 17, L"C:\\velmora-tests\\") == 0 && folder.find(L"..") == std::wstring::npos;
}

void Put(const std::wstring& path)
{
    ASSERT_TRUE(vt::WriteFileBytes(path, "x")) << vt::Utf8(path);
}

const std::vector<std::wstring> kShipped = {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"};

class SelfRemoval : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vt::InstallSystemStandins()); }   // the wait command wine lacks
    void TearDown() override { ::SetCurrentDirectoryW(L"C:\\"); }

    // The folder as the program finds it at start: the tool's three files and
    // the given ones of the user's.
    void Start(const std::wstring& folder, const std::vector<std::wstring>& users = {})
    {
        ASSERT_TRUE(SafeToRemove(folder));
        for (const std::wstring& f : kShipped)
            Put(folder + L"\\" + f);
        for (const std::wstring& f : users)
            Put(folder + L"\\" + f);
        ASSERT_TRUE(m_folder.Note(folder, L"Velmora.exe"));
    }

    // The end of the run, judged against the given protected folders only
    // (the prefix's own would protect the scratch tree's parents); the
    // program's hold on its folder ends with it.
    bool End(const std::vector<std::wstring>& protectedFolders = {})
    {
        SSelfRemovalFacts f = m_folder.Gather();
        f.protectedFolders = protectedFolders;
        f.profileFolders.clear();
        const bool started = m_folder.CarryOut(PlanSelfRemoval(f));
        m_folder.LetGo();
        return started;
    }

    CProgramFolder m_folder;
    vt::CShellInterpreters m_shell;
};

}  // namespace

TEST_F(SelfRemoval, AFolderMadeForTheToolGoesWholeAfterTheWaitAndNothingBeside)
{
    const std::wstring root = vt::ScratchDir(L"selfremoval-whole");
    const std::wstring tools = root + L"\\My Tools", folder = tools + L"\\Velmora";
    ::CreateDirectoryW(tools.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((tools + L"\\Velmora2").c_str(), nullptr);
    Put(tools + L"\\Velmora2\\keep.txt");
    Put(tools + L"\\keep.txt");
    Start(folder);
    // A log folder the run made there (the default log is placed first, as
    // the program does), held by its writer; and records the library wrote
    // while the tool ran, one of them read-only.
    CLogSave::GetInstance();
    CLogSave::GetInstance(folder + L"\\")->Log("x", "Quorrant.txt", true);
    ASSERT_TRUE(vt::PathExists(folder + L"\\ToolLog\\Quorrant.txt"));
    Put(folder + L"\\feedback-calls.txt");
    Put(folder + L"\\readonly.dat");
    ::SetFileAttributesW((folder + L"\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);

    // Started from its own folder, as after a double-click; the program then ends.
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(End());
    ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
    for (const wchar_t* gone : {L"devcon.exe", L"feedback-calls.txt", L"readonly.dat", L"ToolLog"})
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + gone)) << vt::Utf8(gone) << " was not removed at once";
    // The shell started the command; this program started nothing.
    EXPECT_EQ(m_shell.Running().size(), 1u);
    EXPECT_TRUE(vt::ProcessesStartedBy(::GetCurrentProcessId()).empty());

    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\Velmora.exe"); }, 10000, 10));
    EXPECT_GE(::GetTickCount() - start, 2500u) << "no wait before the removal";
    EXPECT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder); }, 3000)) << "the emptied folder stayed";
    EXPECT_TRUE(vt::PathExists(tools + L"\\keep.txt"));
    EXPECT_TRUE(vt::PathExists(tools + L"\\Velmora2\\keep.txt"));
}

TEST_F(SelfRemoval, AProgramStillEndingIsWaitedForAndALooseFolderKeepsTheUsersThings)
{
    // The tool's files dropped into a folder of the user's: an older file and a
    // folder of theirs. The program is still ending for a while after the wait.
    const std::wstring folder = vt::ScratchDir(L"selfremoval-loose");
    ::CreateDirectoryW((folder + L"\\photos").c_str(), nullptr);
    Put(folder + L"\\photos\\beach.jpg");
    Start(folder, {L"report.docx"});

    CFileHandle stillRunning(::CreateFileW((folder + L"\\Velmora.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(stillRunning.Get(), INVALID_HANDLE_VALUE);
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(End());
    // Let go 6 s later, long after the first try.
    vt::WaitFor([&] { return ::GetTickCount() - start >= 6000; }, 7000, 50);
    EXPECT_TRUE(vt::PathExists(folder + L"\\Velmora.exe"));
    stillRunning.Reset();

    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\Velmora.exe"); }, 10000))
        << "not retried once let go";
    EXPECT_TRUE(m_shell.WaitEnded(40000));
    for (const wchar_t* f : {L"devcon.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    for (const wchar_t* f : {L"report.docx", L"photos\\beach.jpg"})
        EXPECT_TRUE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
}

TEST_F(SelfRemoval, AFolderPutAtTheProgramsNameAfterTheEndKeepsWhatItHolds)
{
    // While the command waits for the program to let go of its files, the
    // program's file is moved away and a folder of that name holding
    // somebody's file put in its place: del handed a folder would delete what
    // is inside. The library is let go only then, so its going shows that a
    // try came after the swap.
    const std::wstring folder = vt::ScratchDir(L"selfremoval-swapped");
    Start(folder);
    auto hold = [&](const wchar_t* name, DWORD access) {
        return CFileHandle(::CreateFileW((folder + L"\\" + name).c_str(), access, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    };
    CFileHandle program = hold(L"Velmora.exe", GENERIC_READ | DELETE), library = hold(L"TarnexFeedbackInformation.dll", GENERIC_READ);
    ASSERT_TRUE(program && library);
    ASSERT_TRUE(End());
    {
        CFileHandle held = OpenFolderAsIs(folder);
        ASSERT_TRUE(held);
        ASSERT_TRUE(RenameInFolder(program.Get(), held.Get(), L"Velmora.old", false));
    }
    ASSERT_TRUE(::CreateDirectoryW((folder + L"\\Velmora.exe").c_str(), nullptr));
    ASSERT_TRUE(vt::WriteFileBytes(folder + L"\\Velmora.exe\\inside.txt", "theirs"));
    program.Reset();
    library.Reset();

    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\TarnexFeedbackInformation.dll"); }, 40000));
    EXPECT_EQ(vt::ReadFileBytes(folder + L"\\Velmora.exe\\inside.txt"), "theirs");
}

TEST_F(SelfRemoval, AProtectedFolderLosesOnlyTheToolsFiles)
{
    const std::wstring folder = vt::ScratchDir(L"selfremoval-protected\\Downloads");
    ::CreateDirectoryW((folder + L"\\ToolLog").c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\photos").c_str(), nullptr);
    const std::vector<std::wstring> users = {L"report.docx", L"photos\\beach.jpg", L"Velmora-notes.txt",
                                             L"devcon.txt", L"logCfg.ini", L"ToolLog\\Quorrant.txt"};
    Start(folder, users);
    Put(folder + L"\\arrived-meanwhile.zip");   // a download that came while the tool ran

    ASSERT_TRUE(End({folder}));
    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\Velmora.exe"); }, 10000));
    EXPECT_TRUE(m_shell.WaitEnded(40000));
    for (const std::wstring& f : kShipped)
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    for (const std::wstring& f : users)
        EXPECT_TRUE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    EXPECT_TRUE(vt::PathExists(folder + L"\\arrived-meanwhile.zip"));
}

TEST_F(SelfRemoval, AToolFileReplacedWhileItRanStays)
{
    // devcon.exe replaced by another file of that name while the tool ran: not
    // the tool's, so it stays, and so does the folder that holds it.
    const std::wstring folder = vt::ScratchDir(L"selfremoval-replaced");
    vt::ClearToolLog();
    Start(folder);
    ASSERT_TRUE(vt::WriteFileBytes(folder + L"\\other.exe", "somebody's"));
    ASSERT_TRUE(::MoveFileExW((folder + L"\\other.exe").c_str(), (folder + L"\\devcon.exe").c_str(),
                              MOVEFILE_REPLACE_EXISTING));

    ASSERT_TRUE(End());
    EXPECT_TRUE(m_shell.WaitEnded(40000));
    EXPECT_EQ(vt::ReadFileBytes(folder + L"\\devcon.exe"), "somebody's");
    for (const wchar_t* f : {L"Velmora.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    // The log names what stayed.
    const std::vector<std::wstring> lines = vt::ToolLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(vt::LogMessage(lines[0]), vt::Wide(std::string(RemovalLog::kChangedSinceStart) + "devcon.exe"));
}

TEST_F(SelfRemoval, APathTheInterpreterWouldExpandIsLeftAlone)
{
    const std::wstring folder = vt::ScratchDir(L"selfremoval-percent\\%HOMEPATH%");
    Start(folder);
    EXPECT_FALSE(End());
    EXPECT_TRUE(m_shell.Running().empty()) << "an interpreter was started";
    EXPECT_TRUE(vt::ProcessesStartedBy(::GetCurrentProcessId()).empty()) << "an interpreter was started";
    for (const std::wstring& f : kShipped)
        EXPECT_TRUE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
}

TEST(SelfRemovalFolders, TheSystemAndUserFoldersAreProtected)
{
    const std::vector<std::wstring> prot = ProtectedFolders(), profiles = ProfileFolders();
    auto has = [](const std::vector<std::wstring>& list, const std::wstring& p) {
        for (const std::wstring& f : list)
            if (_wcsicmp(f.c_str(), p.c_str()) == 0)
                return true;
        return false;
    };
    wchar_t buf[MAX_PATH] = {};
    ::GetWindowsDirectoryW(buf, MAX_PATH);
    EXPECT_TRUE(has(prot, buf));
    ::GetEnvironmentVariableW(L"USERPROFILE", buf, MAX_PATH);
    const std::wstring profile = buf;
    EXPECT_TRUE(has(profiles, profile));
    for (const wchar_t* sub : {L"\\Desktop", L"\\Downloads", L"\\Documents"})
        EXPECT_TRUE(has(prot, profile + sub)) << vt::Utf8(sub);
    ::GetEnvironmentVariableW(L"ProgramFiles", buf, MAX_PATH);
    EXPECT_TRUE(has(prot, buf));
}

// The folder is held for the removal only when its program file is the very
// file this process runs: not a copy alike to the byte (a kept copy reached
// through a folder put at the program's path), not another program.
TEST(SelfRemovalProgramFolder, IsHeldOnlyWhenItsProgramFileIsTheVeryFileRunning)
{
    const std::wstring self = GetExePath(), name = FileNameOf(self);
    const std::wstring copy = vt::ScratchDir(L"programfolder-copy"), other = vt::ScratchDir(L"programfolder-other");
    ASSERT_TRUE(vt::CopyFileTo(self, copy + L"\\" + name));
    ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\wmic.exe", other + L"\\" + name));
    const struct { const char* what; std::wstring folder; bool held; } rows[] = {
        {"the running program's own folder", FolderOf(self), true},
        {"a copy of the program", copy, false},
        {"another program under its name", other, false},
    };
    for (const auto& row : rows) {
        CProgramFolder folder;
        ASSERT_TRUE(folder.Note(row.folder, name)) << row.what;
        EXPECT_EQ(folder.HoldsRunningProgram(), row.held) << row.what;
        folder.LetGo();
    }
}
