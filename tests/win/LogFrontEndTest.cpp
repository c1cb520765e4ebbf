// The log front end in processes of its own (tools/logprobe): where each
// instance puts its files, and the "print" switch of logCfg.ini.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/InFolder.h"
#include "tests/support/TestSupport.h"

namespace {

// One argument quoted as the program's argument parser reads it back:
// backslashes before a quote (the closing one included) are doubled.
std::wstring Quoted(const std::wstring& arg)
{
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

bool StartProbe(vt::CProcess& p, const std::vector<std::wstring>& steps, const std::wstring& cwd)
{
    std::wstring args;
    for (const std::wstring& s : steps)
        args += (args.empty() ? L"" : L" ") + Quoted(s);
    return p.Start(vt::BinDir() + L"\\standins\\logprobe.exe", args, cwd);
}

// Runs logprobe.exe with the steps and waits for it.
DWORD Probe(const std::vector<std::wstring>& steps, const std::wstring& cwd)
{
    vt::CProcess p;
    if (!StartProbe(p, steps, cwd))
        return 1000;
    DWORD code = 1001;
    p.WaitExit(20000, &code);
    return code;
}

// The messages of a log file (the text after each stamp).
std::vector<std::string> Messages(const std::wstring& path)
{
    std::vector<std::string> out;
    const std::string bytes = vt::ReadFileBytes(path);
    for (size_t pos = 0, end; (end = bytes.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        std::string line = bytes.substr(pos, end - pos);
        size_t close = line.find("ms]   ");
        out.push_back(close == std::string::npos ? "<no stamp> " + line : line.substr(close + 6));
    }
    return out;
}

// Whether the folder's access list lets users (or everyone) write in it: an
// allowing entry for them with a write or delete right.
bool UsersMayWrite(const std::wstring& folder)
{
    CLocalMemory sd;
    PACL dacl = nullptr;
    if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out())) != ERROR_SUCCESS)
        return true;
    bool may = dacl == nullptr;   // no list at all lets everyone in
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        CLocalMemory sid;
        if (!::ConvertSidToStringSidW(&ace->SidStart, reinterpret_cast<LPWSTR*>(sid.Out())))
            continue;
        const std::wstring who = static_cast<const wchar_t*>(sid.Get());
        const DWORD writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | DELETE |
                             FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
        if ((who == L"S-1-5-32-545" || who == L"S-1-1-0" || who == L"S-1-5-11") && (ace->Mask & writes))
            may = true;
    }
    return may;
}

// The line the probe's "M" step writes for a folder: its path and what it is
// now ("" when it cannot be opened).
std::string MadeLine(const std::wstring& folder)
{
    CFileHandle h = OpenFolderAsIs(folder);
    SFileIdentity id;
    if (!h || !ReadIdentity(h.Get(), id))
        return "";
    return vt::Utf8(folder) + "|" + std::to_string(id.volume) + "|" + std::to_string(id.index) + "\n";
}

std::wstring CommonAppData()
{
    wchar_t buf[MAX_PATH + 1] = {};
    ::SHGetSpecialFolderPathW(nullptr, buf, CSIDL_COMMON_APPDATA, FALSE);
    return buf;
}

std::wstring CommonAppDataLog()
{
    return CommonAppData() + L"\\ToolLog\\Velmora.txt";
}

}  // namespace

const char* const kDeviceInfoFailedGbk = "\xb4\xb4\xbd\xa8\xc9\xe8\xb1\xb8\xd0\xc5\xcf\xa2\xca\xa7\xb0\xdc";
using Lines = std::vector<std::string>;

TEST(LogFrontEnd, RootedInstanceKeepsTheFirstRoot)
{
    const std::wstring dir = vt::ScratchDir(L"log-front-two-roots");
    const std::wstring a = dir + L"\\A\\", b = dir + L"\\B\\";
    ::CreateDirectoryW(a.c_str(), nullptr);
    ::CreateDirectoryW(b.c_str(), nullptr);
    ASSERT_EQ(Probe({L"R", a, L"1", L"Quorrant.txt", L"创建设备信息失败",
                     L"R", b, L"1", L"Quorrant.txt", L"second",
                     L"S", dir + L"\\root.txt", L"M", dir + L"\\made.txt"}, dir), 0u);
    EXPECT_EQ(Messages(a + L"ToolLog\\Quorrant.txt"), (Lines{kDeviceInfoFailedGbk, "second"}));
    EXPECT_FALSE(vt::PathExists(b + L"ToolLog"));
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\root.txt"), vt::Utf8(b));   // stored on every call
    EXPECT_FALSE(vt::PathExists(a + L"logCfg.ini"));                 // never written
    // The folder it made is known as the run's by what it is (for the removal
    // at the end), and no user may write in it.
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\made.txt"), MadeLine(a + L"ToolLog"));
    EXPECT_FALSE(UsersMayWrite(a + L"ToolLog"));
}

TEST(LogFrontEnd, TheLogFolderIsHeldUntilTheRemovalLetsGoOfIt)
{
    const std::wstring dir = vt::ScratchDir(L"log-front-held");
    const std::wstring root = dir + L"\\", log = root + L"ToolLog";
    const std::wstring running = dir + L"\\running", letGo = dir + L"\\let-go";
    vt::CProcess p;
    ASSERT_TRUE(StartProbe(p, {L"R", root, L"1", L"Quorrant.txt", L"one", L"W", running, L"L",
                               L"R", root, L"1", L"Quorrant.txt", L"after", L"W", letGo}, dir));

    // While the tool runs, its log folder cannot be moved away or removed.
    ASSERT_TRUE(vt::WaitFor([&] { return vt::PathExists(running); }, 10000));
    EXPECT_FALSE(::MoveFileExW(log.c_str(), (dir + L"\\moved").c_str(), 0)) << "the log folder was moved";
    EXPECT_TRUE(::DeleteFileW((log + L"\\Quorrant.txt").c_str()));
    EXPECT_FALSE(::RemoveDirectoryW(log.c_str())) << "the log folder was removed";
    ASSERT_TRUE(::DeleteFileW(running.c_str()));

    // Let go of for the removal at the end: nothing more is written there.
    ASSERT_TRUE(vt::WaitFor([&] { return vt::PathExists(letGo); }, 10000));
    EXPECT_FALSE(vt::PathExists(log + L"\\Quorrant.txt")) << "written after it was let go of";
    EXPECT_TRUE(::RemoveDirectoryW(log.c_str()));
    p.Kill();
}

TEST(LogFrontEnd, AnExistingToolLogEveryoneMayWriteInGetsNoLine)
{
    // Any user may make a folder in ProgramData; one made before the tool
    // came is used only if nobody but the system's accounts may write in it.
    const std::wstring dir = vt::ScratchDir(L"log-front-writable");
    const std::wstring root = dir + L"\\", log = root + L"ToolLog";
    ASSERT_TRUE(::CreateDirectoryW(log.c_str(), nullptr));
    CLocalMemory sd;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;WD)", SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out()),
        nullptr));
    ASSERT_TRUE(::SetFileSecurityW(log.c_str(), DACL_SECURITY_INFORMATION, sd.Get()));
    ASSERT_TRUE(UsersMayWrite(log));
    ASSERT_EQ(Probe({L"R", root, L"1", L"Velmora.txt", L"x", L"M", dir + L"\\made.txt"}, dir), 0u);
    EXPECT_FALSE(vt::PathExists(log + L"\\Velmora.txt"));
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\made.txt"), "");
}

TEST(LogFrontEnd, RootedBeforeDefaultPutsBothUnderTheRoot)
{
    const std::wstring dir = vt::ScratchDir(L"log-front-rooted-first");
    const std::wstring root = dir + L"\\";
    const std::string commonBefore = vt::ReadFileBytes(CommonAppDataLog());
    ASSERT_EQ(Probe({L"R", root, L"1", L"Quorrant.txt", L"rooted", L"D", L"1", L"Velmora.txt", L"default"}, dir), 0u);
    EXPECT_EQ(Messages(root + L"ToolLog\\Quorrant.txt"), (Lines{"rooted"}));
    EXPECT_EQ(Messages(root + L"ToolLog\\Velmora.txt"), (Lines{"default"}));
    EXPECT_EQ(vt::ReadFileBytes(CommonAppDataLog()), commonBefore);
}

TEST(LogFrontEnd, RootWithoutTrailingBackslashGetsOne)
{
    const std::wstring dir = vt::ScratchDir(L"log-front-no-separator");
    ASSERT_TRUE(::CreateDirectoryW((dir + L"\\prog").c_str(), nullptr));
    ASSERT_EQ(Probe({L"R", dir + L"\\prog", L"1", L"Quorrant.txt", L"x"}, dir), 0u);
    EXPECT_EQ(Messages(dir + L"\\prog\\ToolLog\\Quorrant.txt"), (Lines{"x"}));
    EXPECT_FALSE(vt::PathExists(dir + L"\\progToolLog"));
}

TEST(LogFrontEnd, PrintSwitchHoldsBackOnlyUnforcedEntries)
{
    struct Case { const char* ini; bool on; } cases[] = {
        {nullptr, false},                                   // no logCfg.ini
        {"[Log]\r\nprint=1\r\n", true},
        {"[Log]\r\nprint = 1 \r\n", true},
        {"[Log]\r\nprint=1abc\r\n", true},
        {"[Log]\r\nprint=true\r\n", false},
        {"[Log]\r\nprint=2\r\n", false},
        {"[Log]\r\nprint=\r\n", false},
        {"[Other]\r\nprint=1\r\n", false},
        // 150 characters; the 100-character buffer keeps 98 zeros and the 1.
        {"[Log]\r\nprint=000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000001"
         "000000000000000000000000000000000000000000000000000\r\n", true},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "(no file)");
        const std::wstring dir = vt::ScratchDir(L"log-front-print-" + std::to_wstring(i++));
        const std::wstring root = dir + L"\\";
        // An existing log folder is reused as it is.
        ::CreateDirectoryW((root + L"ToolLog").c_str(), nullptr);
        ASSERT_TRUE(vt::WriteFileBytes(root + L"ToolLog\\keep.txt", "keep"));
        if (c.ini) {
            ASSERT_TRUE(vt::WriteFileBytes(root + L"logCfg.ini", c.ini));
        }
        ASSERT_EQ(Probe({L"R", root, L"0", L"Velmora.txt", L"unforced", L"R", root, L"1", L"Velmora.txt", L"forced",
                         L"M", dir + L"\\made.txt"}, dir), 0u);
        EXPECT_EQ(vt::ReadFileBytes(dir + L"\\made.txt"), "") << "a folder that was there counted as made";
        const Lines expected = c.on ? Lines{"unforced", "forced"} : Lines{"forced"};
        EXPECT_EQ(Messages(root + L"ToolLog\\Velmora.txt"), expected);
        EXPECT_EQ(vt::ReadFileBytes(root + L"ToolLog\\keep.txt"), "keep");
        EXPECT_EQ(vt::PathExists(root + L"logCfg.ini"), c.ini != nullptr);
    }
}

TEST(LogFrontEnd, DefaultInstanceLivesUnderCommonAppData)
{
    // The prefix's own log folder is read by the program's tests: only a file
    // of this test's own is written there, and removed again.
    const std::wstring dir = vt::ScratchDir(L"log-front-default");
    const std::wstring logDir = CommonAppData() + L"\\ToolLog";
    const bool hadFolder = vt::PathExists(logDir);
    const std::wstring name = L"LogFrontEnd-" + std::to_wstring(::GetCurrentProcessId()) + L".txt";
    const DWORD code = Probe({L"D", L"1", name, L"当前机型不是指定机型", L"S", dir + L"\\root.txt"}, dir);
    const Lines lines = Messages(logDir + L"\\" + name);
    ::DeleteFileW((logDir + L"\\" + name).c_str());
    if (!hadFolder)
        ::RemoveDirectoryW(logDir.c_str());
    ASSERT_EQ(code, 0u);
    EXPECT_EQ(lines, (Lines{"\xb5\xb1\xc7\xb0\xbb\xfa\xd0\xcd\xb2\xbb\xca\xc7\xd6\xb8\xb6\xa8\xbb\xfa\xd0\xcd"}));
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\root.txt"), "");   // no override was stored
}
