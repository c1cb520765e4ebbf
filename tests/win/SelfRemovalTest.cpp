// The hidden removal command on scratch folders of the test prefix.
#include <gtest/gtest.h>

#include "system/SelfRemoval.h"
#include "tests/support/TestSupport.h"

namespace {

// Nothing may be removed unless the prefix is the sealed test prefix and the
// folder is a scratch folder.
bool SafeToRemove(const std::wstring& folder)
{
    return ::GetFileAttributesW(L"Z:\\") == INVALID_FILE_ATTRIBUTES &&
           folder.compare(0, 17, L"C:\\velmora-tests\\") == 0 && folder.find(L"..") == std::wstring::npos;
}

// The wait command wine lacks, first on the search path of the interpreter.
class SelfRemoval : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t buf[32767] = {};
        ::GetEnvironmentVariableW(L"PATH", buf, 32767);
        m_oldPath = buf;
        m_standins = vt::ScratchDir(L"selfremoval-bin");
        ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\standins\\timeout.exe", m_standins + L"\\timeout.exe"));
        ::SetEnvironmentVariableW(L"PATH", (m_standins + L";" + m_oldPath).c_str());
    }
    void TearDown() override
    {
        ::SetEnvironmentVariableW(L"PATH", m_oldPath.c_str());
        ::SetCurrentDirectoryW(L"C:\\");
    }
    std::wstring m_oldPath, m_standins;
};

void Put(const std::wstring& path)
{
    ASSERT_TRUE(vt::WriteFileBytes(path, "x")) << vt::Utf8(path);
}

}  // namespace

TEST_F(SelfRemoval, TheWholeFolderGoesAfterThreeSecondsAndNothingBeside)
{
    const std::wstring root = vt::ScratchDir(L"selfremoval-whole");
    const std::wstring tools = root + L"\\My Tools", folder = tools + L"\\Velmora";
    ::CreateDirectoryW(tools.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\ToolLog").c_str(), nullptr);
    ::CreateDirectoryW((tools + L"\\Velmora2").c_str(), nullptr);
    Put(folder + L"\\Velmora.exe");
    Put(folder + L"\\devcon.exe");
    Put(folder + L"\\ToolLog\\Quorrant.txt");
    Put(folder + L"\\readonly.txt");
    ::SetFileAttributesW((folder + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Put(tools + L"\\Velmora2\\keep.txt");
    Put(tools + L"\\keep.txt");
    ASSERT_TRUE(SafeToRemove(folder));

    // Started from its own folder, as after a double-click; the program then ends.
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(StartFolderRemoval(folder, L"Velmora.exe", {}));
    ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));

    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\Velmora.exe"); }, 10000));
    EXPECT_GE(::GetTickCount() - start, 2500u) << "no wait before the removal";
    EXPECT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder); }, 3000)) << "the emptied folder stayed";
    EXPECT_TRUE(vt::PathExists(tools + L"\\keep.txt"));
    EXPECT_TRUE(vt::PathExists(tools + L"\\Velmora2\\keep.txt"));
}

TEST_F(SelfRemoval, AProtectedFolderLosesOnlyTheToolsFiles)
{
    const std::wstring folder = vt::ScratchDir(L"selfremoval-protected\\Downloads");
    ::CreateDirectoryW((folder + L"\\ToolLog").c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\photos").c_str(), nullptr);
    const wchar_t* own[] = {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll", L"logCfg.ini",
                            L"ToolLog\\Quorrant.txt"};
    const wchar_t* users[] = {L"report.docx", L"photos\\beach.jpg", L"Velmora-notes.txt", L"devcon.txt"};
    for (const wchar_t* f : own)
        Put(folder + L"\\" + f);
    for (const wchar_t* f : users)
        Put(folder + L"\\" + f);
    ASSERT_TRUE(SafeToRemove(folder));

    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    ASSERT_TRUE(StartFolderRemoval(folder, L"Velmora.exe", {L"C:\\velmora-tests\\selfremoval-protected\\Downloads"}));
    ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));

    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(folder + L"\\ToolLog"); }, 10000));
    for (const wchar_t* f : own)
        EXPECT_FALSE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
    for (const wchar_t* f : users)
        EXPECT_TRUE(vt::PathExists(folder + L"\\" + f)) << vt::Utf8(f);
}

TEST_F(SelfRemoval, APathTheInterpreterWouldExpandIsLeftAlone)
{
    const std::wstring folder = vt::ScratchDir(L"selfremoval-percent\\%HOMEPATH%");
    Put(folder + L"\\Velmora.exe");
    const size_t before = vt::ProcessesStartedBy(::GetCurrentProcessId()).size();
    EXPECT_FALSE(StartFolderRemoval(folder, L"Velmora.exe", {}));
    EXPECT_EQ(vt::ProcessesStartedBy(::GetCurrentProcessId()).size(), before) << "an interpreter was started";
    EXPECT_TRUE(vt::PathExists(folder + L"\\Velmora.exe"));
}

TEST(SelfRemovalFolders, TheSystemAndUserFoldersAreProtected)
{
    std::vector<std::wstring> prot = ProtectedFolders();
    auto has = [&](const std::wstring& p) {
        for (const std::wstring& f : prot)
            if (_wcsicmp(f.c_str(), p.c_str()) == 0)
                return true;
        return false;
    };
    wchar_t buf[MAX_PATH] = {};
    ::GetWindowsDirectoryW(buf, MAX_PATH);
    EXPECT_TRUE(has(buf));
    ::GetEnvironmentVariableW(L"USERPROFILE", buf, MAX_PATH);
    const std::wstring profile = buf;
    EXPECT_TRUE(has(profile));
    for (const wchar_t* sub : {L"\\Desktop", L"\\Downloads", L"\\Documents"})
        EXPECT_TRUE(has(profile + sub)) << vt::Utf8(sub);
    ::GetEnvironmentVariableW(L"ProgramFiles", buf, MAX_PATH);
    EXPECT_TRUE(has(buf));
}
