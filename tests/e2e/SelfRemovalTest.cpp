// The real program removes its folder after its window has closed; a folder
// the user keeps other things in loses only the tool's files.
#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "base/Handles.h"
#include "res/resource.h"
#include "system/SelfRemovalRules.h"
#include "tests/support/FakeDevices.h"
#include "tests/support/VelmoraRun.h"

namespace {

// Nothing is removed unless this is the sealed test prefix and the folder a scratch folder.
void AssertSafe(const vt::CVelmoraRun& run)
{
    ASSERT_EQ(::GetFileAttributesW(L"Z:\\"), INVALID_FILE_ATTRIBUTES) << "the prefix maps the Linux root";
    ASSERT_EQ(run.ProgramDir().compare(0, 17, L"C:\\velmora-tests\\"), 0);
}

class SelfRemovalRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        vt::RemoveFakeDevices();
        ASSERT_TRUE(
            vt::AddFakeDevice(vt::kListedDeviceInstance, {vt::kListedDeviceFirstId, L"PCI\\VEN_10DE&DEV_1AD8"}));
    }
    void TearDown() override { vt::RemoveFakeDevices(); }

    // Starts, waits for the checks, closes the window; returns when the process is gone.
    static bool RunAndClose(vt::CVelmoraRun& run, DWORD* closedAt)
    {
        if (!run.Start())
            return false;
        HWND main = run.WaitReady();
        if (!main)
            return false;
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        if (!run.WaitExit(10000))
            return false;
        *closedAt = ::GetTickCount();
        return true;
    }
};

// Points the user's Downloads folder at a scratch folder for one test (the
// per-user shell folder setting; the old value comes back afterwards).
class CDownloadsAt {
public:
    explicit CDownloadsAt(const std::wstring& folder)
    {
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, m_key.Out()) !=
            ERROR_SUCCESS)
            return;
        wchar_t old[MAX_PATH * 2] = {};
        DWORD size = sizeof(old) - sizeof(wchar_t), type = 0;
        m_hadOld = ::RegQueryValueExW(m_key.Get(), kDownloads, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
                   ERROR_SUCCESS;
        m_old = old;
        m_oldType = type;
        m_ok = Set(REG_EXPAND_SZ, folder);
    }
    ~CDownloadsAt()
    {
        if (!m_key)
            return;
        if (m_hadOld)
            Set(m_oldType, m_old);
        else
            ::RegDeleteValueW(m_key.Get(), kDownloads);
    }
    bool Ok() const { return m_ok; }

private:
    bool Set(DWORD type, const std::wstring& value)
    {
        return ::RegSetValueExW(m_key.Get(), kDownloads, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    static constexpr const wchar_t* kShellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t* kDownloads = L"{374DE290-123F-4565-9164-39C4925E467B}";
    CRegKey m_key;
    bool m_ok = false, m_hadOld = false;
    std::wstring m_old;
    DWORD m_oldType = REG_EXPAND_SZ;
};

// Another account's profile, known to the machine while it lives.
class CExtraProfile {
public:
    CExtraProfile(const std::wstring& sid, const std::wstring& folder) : m_key(kProfileList + sid)
    {
        CRegKey k;
        m_ok = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.Out(),
                                 nullptr) == ERROR_SUCCESS &&
               ::RegSetValueExW(k.Get(), L"ProfileImagePath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~CExtraProfile() { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, m_key.c_str()); }
    bool Ok() const { return m_ok; }

private:
    static constexpr const wchar_t* kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
    std::wstring m_key;
    bool m_ok = false;
};

// The program sees the folder as the user's Downloads.
bool IsDownloads(const std::wstring& folder)
{
    CCoTaskMemory path;
    return SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, reinterpret_cast<PWSTR*>(path.Out()))) &&
           path && _wcsicmp(static_cast<const wchar_t*>(path.Get()), folder.c_str()) == 0;
}

}  // namespace

TEST_F(SelfRemovalRun, AFolderMadeForTheToolGoesAboutThreeSecondsAfterTheWindowCloses)
{
    vt::CVelmoraRun run(L"selfremoval run");
    AssertSafe(run);
    run.KeepFeedbackBesideLibrary();   // its records are the run's to take away
    vt::CShellInterpreters shell;
    DWORD closedAt = 0;
    ASSERT_TRUE(RunAndClose(run, &closedAt));
    // The command for after the end runs in the shell's process, with the
    // signed-in user's rights, not in the program's.
    EXPECT_EQ(shell.Running().size(), 1u);
    for (const std::wstring& child : vt::ProcessesStartedBy(run.Process().Pid()))
        EXPECT_NE(_wcsicmp(child.c_str(), L"cmd.exe"), 0) << "the program started an interpreter of its own";
    ASSERT_TRUE(vt::WaitFor([&] { return !vt::PathExists(run.ProgramDir() + L"\\Velmora.exe"); }, 8000, 10))
        << "not removed";
    EXPECT_GE(::GetTickCount() - closedAt, 2000u) << "removed without the wait";
    EXPECT_TRUE(vt::WaitFor([&] { return !vt::PathExists(run.ProgramDir()); }, 8000)) << "emptied but left behind";
    EXPECT_TRUE(vt::PathExists(run.StandinDir()));   // the folder beside it stays
    EXPECT_TRUE(vt::PathExists(run.Root() + L"\\feedback"));
}

TEST_F(SelfRemovalRun, AFolderOfTheUsersKeepsWhatCameWhileItRanAndItself)
{
    // The tool's three files copied into a folder that also holds the user's
    // thesis and payroll. While it runs, the user saves a photo there, and a
    // "payroll.xlsx." appears (made through \\?\, where a path would drop the dot).
    vt::CVelmoraRun run(L"selfremoval-loose");
    AssertSafe(run);
    const std::wstring dir = run.ProgramDir();
    ::CreateDirectoryW((dir + L"\\holiday").c_str(), nullptr);
    const wchar_t* before[] = {L"holiday\\beach.jpg", L"thesis.docx", L"payroll.xlsx"};
    for (const wchar_t* f : before)
        ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\" + f, "mine"));
    run.KeepFeedbackBesideLibrary();
    vt::CShellInterpreters shell;
    ASSERT_TRUE(run.Start());
    HWND main = run.WaitReady();
    ASSERT_TRUE(main);
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\photo.jpg", "saved meanwhile"));
    ASSERT_TRUE(vt::WriteFileBytes(L"\\\\?\\" + dir + L"\\payroll.xlsx.", "dot"));
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run.WaitExit(10000));
    // The removal has done all it will once its interpreter has ended.
    EXPECT_EQ(shell.Running().size(), 1u);
    ASSERT_TRUE(shell.WaitEnded(40000));
    for (const wchar_t* f : {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(dir + L"\\" + f)) << vt::Utf8(f);
    for (const wchar_t* f : before)
        EXPECT_EQ(vt::ReadFileBytes(dir + L"\\" + f), "mine") << vt::Utf8(f);
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\photo.jpg"), "saved meanwhile");
    EXPECT_EQ(vt::ReadFileBytes(L"\\\\?\\" + dir + L"\\payroll.xlsx."), "dot");
}

TEST_F(SelfRemovalRun, AFolderReachedThroughALinkKeepsWhatCameWhileItRanAndItself)
{
    // The folder is made for the tool, but the program is started by a path
    // through a link: C:\velmora-links\7 leads to the run's root.
    vt::CVelmoraRun run(L"link-target-7");
    AssertSafe(run);
    ASSERT_EQ(run.Root(), vt::LinkTarget(7));
    const std::wstring started = vt::LinkPath(7) + L"\\Velmora";
    ASSERT_TRUE(vt::PathExists(started + L"\\Velmora.exe"));
    vt::CShellInterpreters shell;
    ASSERT_TRUE(run.StartFrom(started));
    HWND main = run.WaitReady();
    ASSERT_TRUE(main);
    ASSERT_TRUE(vt::WriteFileBytes(run.ProgramDir() + L"\\saved.docx", "mine"));
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run.WaitExit(10000));
    EXPECT_EQ(shell.Running().size(), 1u);
    ASSERT_TRUE(shell.WaitEnded(40000));
    for (const wchar_t* f : {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(run.ProgramDir() + L"\\" + f)) << vt::Utf8(f);
    EXPECT_EQ(vt::ReadFileBytes(run.ProgramDir() + L"\\saved.docx"), "mine");
    // The log says why the folder stays.
    const std::vector<std::wstring> lines = run.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(vt::LogMessage(lines[0]), vt::Wide(RemovalLog::kReachedThroughLink) + started);
}

TEST_F(SelfRemovalRun, AnotherAccountsDesktopKeepsEverythingButTheTool)
{
    // Started from the Desktop of the account whose desktop the technician
    // typed an administrator's password on: not this account's own.
    vt::CVelmoraRun run(L"selfremoval-other", L"Users\\otheruser\\Desktop");
    AssertSafe(run);
    CExtraProfile other(L"S-1-5-21-1004336348-1177238915-682003330-1001", run.Root() + L"\\Users\\otheruser");
    ASSERT_TRUE(other.Ok());
    const std::wstring desktop = run.ProgramDir();
    ASSERT_TRUE(vt::WriteFileBytes(desktop + L"\\shopping.txt", "mine"));
    vt::CShellInterpreters shell;
    DWORD closedAt = 0;
    ASSERT_TRUE(RunAndClose(run, &closedAt));
    ASSERT_TRUE(shell.WaitEnded(40000));
    for (const wchar_t* f : {L"Velmora.exe", L"devcon.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(desktop + L"\\" + f)) << vt::Utf8(f);
    EXPECT_EQ(vt::ReadFileBytes(desktop + L"\\shopping.txt"), "mine");
}

TEST_F(SelfRemovalRun, StartedFromDownloadsItTakesOnlyItsOwnFiles)
{
    vt::CVelmoraRun run(L"selfremoval-downloads");
    AssertSafe(run);
    CDownloadsAt downloads(run.ProgramDir());
    ASSERT_TRUE(downloads.Ok());
    ASSERT_TRUE(IsDownloads(run.ProgramDir()));
    const std::wstring dir = run.ProgramDir();
    ::CreateDirectoryW((dir + L"\\holiday").c_str(), nullptr);
    const wchar_t* users[] = {L"holiday\\beach.jpg", L"tax-2025.pdf", L"devcon-manual.txt"};
    for (const wchar_t* f : users)
        ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\" + f, "mine"));
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\devcon-output.txt", ""));
    vt::CShellInterpreters shell;
    DWORD closedAt = 0;
    ASSERT_TRUE(RunAndClose(run, &closedAt));
    EXPECT_TRUE(vt::WaitFor([&] { return !vt::PathExists(dir + L"\\Velmora.exe"); }, 8000));
    // The removal has done all it will once its interpreter has ended.
    EXPECT_TRUE(shell.WaitEnded(40000));
    for (const wchar_t* f : {L"devcon.exe", L"TarnexFeedbackInformation.dll"})
        EXPECT_FALSE(vt::PathExists(dir + L"\\" + f)) << vt::Utf8(f);
    for (const wchar_t* f : users)
        EXPECT_EQ(vt::ReadFileBytes(dir + L"\\" + f), "mine") << vt::Utf8(f);
}
