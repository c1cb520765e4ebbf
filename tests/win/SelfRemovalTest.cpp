// The removal at the end of a run, on scratch folders of the test prefix: what
// goes at once, what the hidden command takes after its wait (retrying while
// a file is still in use), and what always stays.
#include <gtest/gtest.h>

#include "framework/Handles.h"
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

class SelfRemoval : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vt::InstallSystemStandins()); }   // the wait command wine lacks
    void TearDown() override { ::SetCurrentDirectoryW(L"C:\\"); }

    // The facts as the program would gather them, judged against the given
    // protected folders only (the prefix's own would protect the scratch tree's parents).
    static SSelfRemovalFacts Facts(const std::wstring& folder, const std::vector<std::wstring>& atStart,
                                   const std::vector<std::wstring>& protectedFolders = {})
    {
        SSelfRemovalFacts f = GatherRemovalFacts(folder, L"Velmora.exe", &atStart);
        f.protectedFolders = protectedFolders;
        f.profileFolders.clear();
        return f;
    }
};

void Put(const std::wstring& path)
{
    ASSERT_TRUE(vt::WriteFileBytes(path, "x")) << vt::Utf8(path);
}

const std::vector<std::wstring> kShipped = {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"};

}  // namespace

TEST_F(SelfRemoval, AFolderMadeForTheToolGoesWholeAfterTheWaitAndNothingBeside)
{
    const std::wstring root = vt::ScratchDir(L"selfremoval-whole");
    const std::wstring tools = root + L"\\My Tools", folder = tools + L"\\Velmora";
    ::CreateDirectoryW(tools.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((tools + L"\\Velmora2").c_str(), nullptr);
    for (const std::wstring& f : kShipped)
        Put(folder + L"\\" + f);
    Put(tools + L"\\Velmora2\\keep.txt");
    Put(tools + L"\\keep.txt");
    ASSERT_TRUE(SafeToRemove(folder));
    // Records the library wrote while the tool ran, one of them read-only.
    Put(folder + L"\\feedback-calls.txt");
    Put(folder + L"\\readonly.dat");
    ::SetFileAttributesW((folder + L"\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);

    // Started from its own folder, as after a double-click; the program then ends.
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(CarryOutSelfRemoval(PlanSelfRemoval(Facts(folder, kShipped))));
    ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
    for (const wchar_t* gone : {L"devcon.exe", L"feedback-calls.txt", L"readonly.dat"})
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + gone)) << vt::Utf8(gone) << " was not removed at once";

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
    const std::vector<std::wstring> atStart = {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll",
                                               L"report.docx"};
    for (const std::wstring& f : atStart)
        Put(folder + L"\\" + f);
    Put(folder + L"\\photos\\beach.jpg");
    ASSERT_TRUE(SafeToRemove(folder));

    CFileHandle stillRunning(::CreateFileW((folder + L"\\Velmora.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(stillRunning.Get(), INVALID_HANDLE_VALUE);
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(CarryOutSelfRemoval(PlanSelfRemoval(Facts(folder, atStart))));
    // Let go 6 s later, long after the first try.
    vt::WaitFor([&] { return ::GetTickCount() - start >= 6000; }, 7000, 50);
    EXPECT_TRUE(vt::PathExists(folder + L"\\Velmora.exe"));
    stillRunning.Reset();

    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\Velmora.exe"); }, 10000))
        << "not retried once let go";
    EXPECT_TRUE(vt::WaitFor([] { return vt::ProcessesStartedBy(::GetCurrentProcessId()).empty(); }, 40000));
    for (const wchar_t* f : {L"devcon.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    for (const wchar_t* f : {L"report.docx", L"photos\\beach.jpg"})
        EXPECT_TRUE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
}

TEST_F(SelfRemoval, AProtectedFolderLosesOnlyTheToolsFiles)
{
    const std::wstring folder = vt::ScratchDir(L"selfremoval-protected\\Downloads");
    ::CreateDirectoryW((folder + L"\\ToolLog").c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\photos").c_str(), nullptr);
    const wchar_t* users[] = {L"report.docx", L"photos\\beach.jpg", L"Velmora-notes.txt", L"devcon.txt",
                              L"logCfg.ini", L"ToolLog\\Quorrant.txt"};
    for (const std::wstring& f : kShipped)
        Put(folder + L"\\" + f);
    for (const wchar_t* f : users)
        Put(folder + L"\\" + f);
    ASSERT_TRUE(SafeToRemove(folder));
    Put(folder + L"\\arrived-meanwhile.zip");   // a download that came while the tool ran

    ASSERT_TRUE(CarryOutSelfRemoval(PlanSelfRemoval(Facts(folder, kShipped, {folder}))));
    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\Velmora.exe"); }, 10000));
    EXPECT_TRUE(vt::WaitFor([] { return vt::ProcessesStartedBy(::GetCurrentProcessId()).empty(); }, 40000));
    for (const std::wstring& f : kShipped)
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    for (const wchar_t* f : users)
        EXPECT_TRUE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    EXPECT_TRUE(vt::PathExists(folder + L"\\arrived-meanwhile.zip"));
}

TEST_F(SelfRemoval, APathTheInterpreterWouldExpandIsLeftAlone)
{
    const std::wstring folder = vt::ScratchDir(L"selfremoval-percent\\%HOMEPATH%");
    for (const std::wstring& f : kShipped)
        Put(folder + L"\\" + f);
    const size_t before = vt::ProcessesStartedBy(::GetCurrentProcessId()).size();
    EXPECT_FALSE(CarryOutSelfRemoval(PlanSelfRemoval(Facts(folder, kShipped))));
    EXPECT_EQ(vt::ProcessesStartedBy(::GetCurrentProcessId()).size(), before) << "an interpreter was started";
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
