// The log writer on real files: creation, appending, rotation, sharing,
// concurrency, the code page 936 bytes on disk, and a log folder and files
// that cannot be turned against other files.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/Handles.h"
#include "base/Text.h"
#include "log/LogFolder.h"
#include "log/LogSaveCloseFile.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr size_t kStampLength = 30;   // "[yyyy-mm-dd hh:mm:ss mmmms]   "

bool IsStamp(const std::string& s)
{
    const char* shape = "[dddd-dd-dd dd:dd:dd dddms]   ";
    if (s.size() != kStampLength)
        return false;
    for (size_t i = 0; i < kStampLength; ++i)
        if (shape[i] == 'd' ? (s[i] < '0' || s[i] > '9') : s[i] != shape[i])
            return false;
    return true;
}

// The file split at CR LF; each record must be a stamp then text. A record
// without its line end (or a stray CR or LF) fails the test.
std::vector<std::string> Messages(const std::string& bytes)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "record without line end at " << pos;
        if (end == std::string::npos)
            break;
        std::string line = bytes.substr(pos, end - pos);
        EXPECT_TRUE(IsStamp(line.substr(0, kStampLength))) << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        out.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
        pos = end + 2;
    }
    return out;
}

std::wstring Folder(const wchar_t* name)
{
    return vt::ScratchDir(std::wstring(L"log-writer-") + name) + L"\\";
}

}  // namespace

TEST(LogWriter, FirstEntryCreatesTheFileLaterEntriesAppend)
{
    const std::wstring dir = Folder(L"append");
    CLogSaveCloseFile writer(dir);
    writer.SaveText("first", "Velmora.txt");
    const std::string once = vt::ReadFileBytes(dir + L"Velmora.txt");
    EXPECT_EQ(Messages(once), (std::vector<std::string>{"first"}));
    EXPECT_EQ(once.size(), kStampLength + 5 + 2);   // one plain CR LF

    writer.SaveText("", "Velmora.txt");             // stamp only
    writer.SaveText("third", "Velmora.txt");
    const std::string three = vt::ReadFileBytes(dir + L"Velmora.txt");
    EXPECT_EQ(three.substr(0, once.size()), once);
    EXPECT_EQ(Messages(three), (std::vector<std::string>{"first", "", "third"}));

    // A file of someone else's is appended to, never truncated.
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"Quorrant.txt", "kept\r\n"));
    writer.SaveText("after", "Quorrant.txt");
    const std::string other = vt::ReadFileBytes(dir + L"Quorrant.txt");
    EXPECT_EQ(other.substr(0, 6), "kept\r\n");
    EXPECT_EQ(Messages(other.substr(6)), (std::vector<std::string>{"after"}));
}

TEST(LogWriter, RotatesPastTheLimitIntoOneBackup)
{
    const std::wstring dir = Folder(L"rotate");
    const std::wstring file = dir + L"Velmora.txt", backup = dir + L"Velmora.txtbak";
    const size_t entry = kStampLength + 1 + 2;   // message "x"
    CLogSaveCloseFile writer(dir);

    // Exactly at the limit after the write: stays.
    ASSERT_TRUE(vt::WriteFileBytes(file, std::string(6020000 - entry, 'a')));
    writer.SaveText("x", "Velmora.txt");
    EXPECT_EQ(vt::ReadFileBytes(file).size(), 6020000u);
    EXPECT_FALSE(vt::PathExists(backup));

    // One byte past it: moved over an older backup, entry included.
    ASSERT_TRUE(vt::WriteFileBytes(backup, "older backup\r\n"));
    ASSERT_TRUE(vt::WriteFileBytes(file, std::string(6020001 - entry, 'a')));
    writer.SaveText("x", "Velmora.txt");
    EXPECT_FALSE(vt::PathExists(file));
    const std::string moved = vt::ReadFileBytes(backup);
    ASSERT_EQ(moved.size(), 6020001u);
    EXPECT_EQ(Messages(moved.substr(6020001 - entry)), (std::vector<std::string>{"x"}));

    // The next entry starts a fresh file; the backup stays as it was.
    writer.SaveText("fresh", "Velmora.txt");
    EXPECT_EQ(Messages(vt::ReadFileBytes(file)), (std::vector<std::string>{"fresh"}));
    EXPECT_EQ(vt::ReadFileBytes(backup).size(), 6020001u);
}

namespace {
// The names in a folder (not "." and "..").
std::vector<std::wstring> Entries(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    CFindHandle h(::FindFirstFileW((dir + L"\\*").c_str(), &fd));
    if (h.Get() == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::wstring(fd.cFileName) != L"." && std::wstring(fd.cFileName) != L"..")
            names.push_back(fd.cFileName);
    } while (::FindNextFileW(h.Get(), &fd));
    return names;
}
}  // namespace

TEST(LogWriter, ANameThatIsNotOnePlainNameWritesAndCreatesNothing)
{
    const std::wstring root = vt::ScratchDir(L"log-writer-names"), dir = root + L"\\ToolLog\\";
    ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((dir + L"sub").c_str(), nullptr));
    CLogSaveCloseFile writer(dir);
    for (const char* name : {"missing\\Velmora.txt", "", "sub\\Velmora.txt", "sub/Velmora.txt", "..\\escaped.txt",
                             ".", "Velmora.txt:stream"}) {
        SCOPED_TRACE(name);
        writer.SaveText("x", name);
        EXPECT_EQ(Entries(dir), (std::vector<std::wstring>{L"sub"}));
        EXPECT_TRUE(Entries(dir + L"sub").empty());
        EXPECT_EQ(Entries(root), (std::vector<std::wstring>{L"ToolLog"}));
    }

    // The writer is still usable afterwards (its lock was released).
    writer.SaveText("after", "Velmora.txt");
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"Velmora.txt")), (std::vector<std::string>{"after"}));
}

TEST(LogWriter, ALinkOrASecondNameGetsNoLineAndNoRotation)
{
    // Someone else's file, under the log's name as a second name of it (a hard
    // link) or behind a link of that name; or a link that leads nowhere yet.
    // C:\velmora-links is a folder of links the test session made.
    struct Case { const char* what; int link; bool targetExists; } cases[] = {
        {"a second name", 0, true},
        {"a link to a file", 5, true},
        {"a link that leads nowhere", 6, false},
    };
    const std::string theirs(6020001, 'k');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring dir, target, name = L"Velmora.txt";
        if (c.link == 0) {
            dir = Folder(L"hardlink");
            target = vt::ScratchDir(L"log-writer-hardlink-theirs") + L"\\settings.ini";
            ASSERT_TRUE(vt::WriteFileBytes(target, theirs));
            ASSERT_TRUE(::CreateHardLinkW((dir + name).c_str(), target.c_str(), nullptr));
        } else {
            dir = L"C:\\velmora-links\\";
            name = std::to_wstring(c.link);
            target = vt::LinkTarget(c.link);
            vt::RemoveTree(target);
            ::DeleteFileW(target.c_str());
            if (c.targetExists) {
                ASSERT_TRUE(vt::WriteFileBytes(target, theirs));
            }
        }
        const std::vector<std::wstring> before = Entries(dir.substr(0, dir.size() - 1));
        CLogSaveCloseFile writer(dir);
        writer.SaveText("x", vt::Utf8(name));
        writer.SaveText("x", vt::Utf8(name));
        if (c.targetExists) {
            EXPECT_TRUE(vt::ReadFileBytes(target) == theirs) << "written into someone else's file";
        } else {
            EXPECT_FALSE(vt::PathExists(target)) << "made a file where the link leads";
        }
        EXPECT_FALSE(vt::PathExists(target + L"bak"));
        EXPECT_EQ(Entries(dir.substr(0, dir.size() - 1)), before) << "rotated or made something";
    }

    // Once the log's name is its own again, entries go in.
    const std::wstring dir = L"C:\\velmora-tests\\log-writer-hardlink\\";
    ASSERT_TRUE(::DeleteFileW((dir + L"Velmora.txt").c_str()));
    CLogSaveCloseFile writer(dir);
    writer.SaveText("own", "Velmora.txt");
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"Velmora.txt")), (std::vector<std::string>{"own"}));
}

namespace {
// Gives the folder this access list (SDDL; empty: none at all), as its owner
// could. Wine reads "D:NO_ACCESS_CONTROL" as an empty list, so no list is
// given as such.
bool SetAccess(const std::wstring& dir, const std::wstring& sddl)
{
    CLocalMemory sd;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!sddl.empty() && (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                              sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out()), nullptr) ||
                          !::GetSecurityDescriptorDacl(sd.Get(), &present, &acl, &defaulted) || !acl))
        return false;
    return ::SetNamedSecurityInfoW(const_cast<wchar_t*>(dir.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
}
}  // namespace

TEST(LogWriter, AFolderOthersMayWriteInGetsNoLine)
{
    // Wine keeps no owner but the running account's, and keeps of an access
    // list only what the file's mode can say: the running account, and
    // Everyone. Other owners and accounts are judged natively and on
    // descriptors below.
    const std::wstring me = RunningAccount();
    ASSERT_FALSE(me.empty());
    struct Case { const char* what; std::wstring sddl; bool written; } cases[] = {
        {"only SYSTEM and the running account", L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;" + me + L")", true},
        {"everyone may read", L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;" + me + L")(A;OICI;0x1200a9;;;WD)", true},
        {"everyone may do everything", L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;WD)", false},
        {"everyone may change", L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + me + L")(A;OICI;0x1301bf;;;WD)", false},
        {"no access list at all", L"", false},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring dir = Folder((L"unsafe-" + std::to_wstring(i++)).c_str());
        ASSERT_TRUE(SetAccess(dir, c.sddl));
        {
            CLogSaveCloseFile writer(dir);
            writer.SaveText("x", "Velmora.txt");
        }
        EXPECT_EQ(vt::PathExists(dir + L"Velmora.txt"), c.written);
    }
}

TEST(LogWriter, DescriptorsAreJudgedAsTheSystemGivesThem)
{
    // Descriptors as Windows would keep them, read by the same code that reads
    // the held folder's.
    const std::wstring me = RunningAccount();
    struct Case { const char* what; std::wstring sddl; const wchar_t* owner; bool safe; } cases[] = {
        {"the folder the tool makes", kLogFolderSecurityOwned, L"S-1-5-32-544", true},
        {"owned by SYSTEM, users read", L"O:SYD:P(A;;FA;;;SY)(A;;0x1200a9;;;BU)", L"S-1-5-18", true},
        {"owned by the running account", L"O:" + me + L"D:(A;;FA;;;" + me + L")", me.c_str(), true},
        {"owned by Users", L"O:BUD:P(A;;FA;;;SY)", L"S-1-5-32-545", false},
        {"owned by another account", L"O:S-1-5-21-1-2-3-1002D:P(A;;FA;;;SY)", L"S-1-5-21-1-2-3-1002", false},
        {"made in ProgramData: users may add", L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
                                               L"(A;CI;0x116;;;BU)(A;OICIIO;GA;;;CO)", L"S-1-5-32-544", false},
        {"CREATOR OWNER and administrators", L"O:BAD:(A;OICIIO;GA;;;CO)(A;OICI;FA;;;BA)", L"S-1-5-32-544", true},
        {"handed down only: users may write", L"O:BAD:(A;;FA;;;SY)(A;OICIIO;GW;;;BU)", L"S-1-5-32-544", false},
        {"everyone denied, SYSTEM allowed", L"O:BAD:(D;;FA;;;WD)(A;;FA;;;SY)", L"S-1-5-32-544", true},
        {"everyone may delete", L"O:BAD:(A;;SD;;;WD)", L"S-1-5-32-544", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CLocalMemory sd;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            c.sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out()), nullptr));
        SLogFolderSecurity security;
        ASSERT_TRUE(LogFolderSecurityOf(sd.Get(), security));
        EXPECT_EQ(security.owner, c.owner);
        EXPECT_EQ(LogFolderIsSafe(security, me), c.safe);
    }
    // Without an owner (the system then gives the default one) nothing is judged.
    CLocalMemory sd;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        kLogFolderSecurity, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out()), nullptr));
    SLogFolderSecurity security;
    EXPECT_FALSE(LogFolderSecurityOf(sd.Get(), security));
    // No access list at all (wine makes an empty one of "D:NO_ACCESS_CONTROL").
    SECURITY_DESCRIPTOR open;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    ASSERT_TRUE(::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    ASSERT_TRUE(::SetSecurityDescriptorOwner(&open, administrators, FALSE));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
    ASSERT_TRUE(LogFolderSecurityOf(&open, security));
    EXPECT_FALSE(security.hasAccessList);
    EXPECT_FALSE(LogFolderIsSafe(security, me));
}

TEST(LogWriter, TheHeldFolderCannotBeSwappedAndItsBackupIsMadeInIt)
{
    // While the writer lives, a thread keeps trying to rename the log folder
    // away and put another folder in its place (and back again). The file
    // crosses the rotation limit half-way through.
    const std::wstring root = vt::ScratchDir(L"log-writer-swap");
    const std::wstring dir = root + L"\\ToolLog", away = root + L"\\ToolLog-away", other = root + L"\\other";
    ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(other.c_str(), nullptr));
    const int entries = 2000, beforeLimit = 1000;
    const size_t entry = kStampLength + 10 + 2;   // "line-nnnnn"
    const std::string filler(6020001 - entry * beforeLimit, 'a');
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\Velmora.txt", filler));
    auto line = [](int n) {
        char text[16];
        std::snprintf(text, sizeof text, "line-%05d", n);
        return std::string(text);
    };

    CLogSaveCloseFile writer(dir + L"\\");
    writer.SaveText(line(0), "Velmora.txt");   // held from the first entry on
    std::atomic<bool> done{false};
    std::atomic<int> tries{0}, swaps{0};
    std::thread swapper([&] {
        while (!done) {
            ++tries;
            if (::MoveFileExW(dir.c_str(), away.c_str(), 0)) {
                ++swaps;
                ::MoveFileExW(other.c_str(), dir.c_str(), 0);
                std::this_thread::yield();
                ::MoveFileExW(dir.c_str(), other.c_str(), 0);
                ::MoveFileExW(away.c_str(), dir.c_str(), 0);
            }
            std::this_thread::yield();
        }
    });
    for (int n = 1; n < entries; ++n)
        writer.SaveText(line(n), "Velmora.txt");
    done = true;
    swapper.join();

    EXPECT_GT(tries.load(), 0);
    EXPECT_EQ(swaps.load(), 0) << "the folder was moved while the writer held it";
    EXPECT_TRUE(Entries(other).empty()) << "entries landed in the other folder";
    std::vector<std::string> expected;
    for (int n = 0; n < entries; ++n)
        expected.push_back(line(n));
    const std::string backup = vt::ReadFileBytes(dir + L"\\Velmora.txtbak");
    ASSERT_EQ(backup.size(), 6020001u);
    EXPECT_TRUE(backup.substr(0, filler.size()) == filler);
    EXPECT_EQ(Messages(backup.substr(filler.size())),
              std::vector<std::string>(expected.begin(), expected.begin() + beforeLimit));
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"\\Velmora.txt")),
              std::vector<std::string>(expected.begin() + beforeLimit, expected.end()));
}

TEST(LogWriter, FileDeletedBetweenEntriesIsCreatedAgain)
{
    const std::wstring dir = Folder(L"deleted");
    CLogSaveCloseFile writer(dir);
    writer.SaveText("one", "Velmora.txt");
    ASSERT_TRUE(::DeleteFileW((dir + L"Velmora.txt").c_str()));
    writer.SaveText("two", "Velmora.txt");
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"Velmora.txt")), (std::vector<std::string>{"two"}));
}

TEST(LogWriter, AppendsToAFileAnotherProcessHoldsOpen)
{
    const std::wstring dir = Folder(L"held");
    const std::wstring file = dir + L"Velmora.txt", marker = dir + L"held.marker";
    ASSERT_TRUE(vt::WriteFileBytes(file, "before\r\n"));
    vt::CProcess holder;
    ASSERT_TRUE(holder.Start(vt::BinDir() + L"\\standins\\logprobe.exe", L"H \"" + file + L"\" \"" + marker + L"\"", dir));
    ASSERT_TRUE(vt::WaitFor([&] { return vt::PathExists(marker); }, 10000)) << "holder did not open the file";

    CLogSaveCloseFile writer(dir);
    writer.SaveText("while held", "Velmora.txt");
    writer.SaveText("still held", "Velmora.txt");
    const std::string bytes = vt::ReadFileBytes(file);
    EXPECT_EQ(bytes.substr(0, 8), "before\r\n");
    EXPECT_EQ(Messages(bytes.substr(8)), (std::vector<std::string>{"while held", "still held"}));
    EXPECT_TRUE(holder.Running());
}

namespace {
// threads x perThread entries "w<writer>t<thread>n<n>" through the given
// writers (thread i uses writer i % count); checks every one arrived once,
// whole, and in its thread's order.
void WriteConcurrently(std::vector<CLogSaveCloseFile*> writers, int threads, int perThread, const std::wstring& file)
{
    const std::string tail(300, '.');
    std::atomic<int> ready{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            CLogSaveCloseFile* w = writers[static_cast<size_t>(t) % writers.size()];
            ++ready;
            while (ready.load() < threads)   // all start together
                std::this_thread::yield();
            for (int n = 0; n < perThread; ++n)
                w->SaveText("t" + std::to_string(t) + "n" + std::to_string(n) + tail, "Velmora.txt");
        });
    for (auto& th : pool)
        th.join();

    const std::vector<std::string> lines = Messages(vt::ReadFileBytes(file));
    EXPECT_EQ(lines.size(), static_cast<size_t>(threads * perThread));
    std::set<std::string> seen;
    std::vector<int> next(static_cast<size_t>(threads), 0);
    for (const std::string& l : lines) {
        int t = -1, n = -1;
        ASSERT_EQ(std::sscanf(l.c_str(), "t%dn%d", &t, &n), 2) << l;
        ASSERT_TRUE(t >= 0 && t < threads) << l;
        EXPECT_EQ(l, "t" + std::to_string(t) + "n" + std::to_string(n) + tail);
        EXPECT_EQ(n, next[static_cast<size_t>(t)]) << "out of order or lost: " << l;
        next[static_cast<size_t>(t)] = n + 1;
        EXPECT_TRUE(seen.insert(l).second) << "twice: " << l;
    }
}
}  // namespace

TEST(LogWriter, EightThreadsThroughOneWriterLoseAndInterleaveNothing)
{
    const std::wstring dir = Folder(L"threads");
    CLogSaveCloseFile writer(dir);
    WriteConcurrently({&writer}, 8, 500, dir + L"Velmora.txt");
}

TEST(LogWriter, TwoWritersOnOneFileLoseNothing)
{
    // Each front end has a writer of its own with its own lock; both may
    // meet in one file (the rooted instance built before the default one).
    const std::wstring dir = Folder(L"two-writers");
    CLogSaveCloseFile a(dir), b(dir);
    WriteConcurrently({&a, &b}, 4, 400, dir + L"Velmora.txt");
}

namespace {
struct Message { const char* utf8; const char* gbk; };
// Every line the tool logs, with its code page 936 bytes.
const Message kMessages[] = {
    {"设置接收消息窗口指针失败", "\xc9\xe8\xd6\xc3\xbd\xd3\xca\xd5\xcf\xfb\xcf\xa2\xb4\xb0\xbf\xda\xd6\xb8\xd5\xeb\xca\xa7\xb0\xdc"},
    {"此工具不支持当前系统", "\xb4\xcb\xb9\xa4\xbe\xdf\xb2\xbb\xd6\xa7\xb3\xd6\xb5\xb1\xc7\xb0\xcf\xb5\xcd\xb3"},
    {"加载反馈DLL失败", "\xbc\xd3\xd4\xd8\xb7\xb4\xc0\xa1\x44\x4c\x4c\xca\xa7\xb0\xdc"},
    {"初始化反馈DLL失败", "\xb3\xf5\xca\xbc\xbb\xaf\xb7\xb4\xc0\xa1\x44\x4c\x4c\xca\xa7\xb0\xdc"},
    {"开始确认主机信息失败", "\xbf\xaa\xca\xbc\xc8\xb7\xc8\xcf\xd6\xf7\xbb\xfa\xd0\xc5\xcf\xa2\xca\xa7\xb0\xdc"},
    {"开始获取本机信息线程失败", "\xbf\xaa\xca\xbc\xbb\xf1\xc8\xa1\xb1\xbe\xbb\xfa\xd0\xc5\xcf\xa2\xcf\xdf\xb3\xcc\xca\xa7\xb0\xdc"},
    {"创建获取本机信息线程失败", "\xb4\xb4\xbd\xa8\xbb\xf1\xc8\xa1\xb1\xbe\xbb\xfa\xd0\xc5\xcf\xa2\xcf\xdf\xb3\xcc\xca\xa7\xb0\xdc"},
    {"当前机型不是指定机型", "\xb5\xb1\xc7\xb0\xbb\xfa\xd0\xcd\xb2\xbb\xca\xc7\xd6\xb8\xb6\xa8\xbb\xfa\xd0\xcd"},
    {"解析机型失败", "\xbd\xe2\xce\xf6\xbb\xfa\xd0\xcd\xca\xa7\xb0\xdc"},
    {"未找到机型信息", "\xce\xb4\xd5\xd2\xb5\xbd\xbb\xfa\xd0\xcd\xd0\xc5\xcf\xa2"},
    {"获取机型信息失败", "\xbb\xf1\xc8\xa1\xbb\xfa\xd0\xcd\xd0\xc5\xcf\xa2\xca\xa7\xb0\xdc"},
    {"获取本机硬件ID失败", "\xbb\xf1\xc8\xa1\xb1\xbe\xbb\xfa\xd3\xb2\xbc\xfe\x49\x44\xca\xa7\xb0\xdc"},
    {"显卡硬件ID 不匹配", "\xcf\xd4\xbf\xa8\xd3\xb2\xbc\xfe\x49\x44\x20\xb2\xbb\xc6\xa5\xc5\xe4"},
    {"执行修复方案安装失败", "\xd6\xb4\xd0\xd0\xd0\xde\xb8\xb4\xb7\xbd\xb0\xb8\xb0\xb2\xd7\xb0\xca\xa7\xb0\xdc"},
    {"创建修复线程失败", "\xb4\xb4\xbd\xa8\xd0\xde\xb8\xb4\xcf\xdf\xb3\xcc\xca\xa7\xb0\xdc"},
    {"创建设备信息失败", "\xb4\xb4\xbd\xa8\xc9\xe8\xb1\xb8\xd0\xc5\xcf\xa2\xca\xa7\xb0\xdc"},
};
}  // namespace

TEST(LogWriter, FileHoldsCodePage936WhateverTheAnsiCodePage)
{
    // The prefix runs with a Western ANSI code page; the bytes must not follow it.
    ASSERT_EQ(::GetACP(), 1252u);
    const std::wstring dir = Folder(L"gbk");
    CLogSaveCloseFile writer(dir);
    std::vector<std::string> expected;
    for (const Message& m : kMessages) {
        EXPECT_EQ(Utf8ToCodePage936(m.utf8), m.gbk) << m.utf8;
        writer.SaveText(m.utf8, "Velmora.txt");
        expected.push_back(m.gbk);
    }
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"Velmora.txt")), expected);
    EXPECT_EQ(::GetACP(), 1252u);
}

TEST(LogWriter, UnwritableTextStillGivesItsLine)
{
    const std::wstring dir = Folder(L"bad-text");
    CLogSaveCloseFile writer(dir);
    writer.SaveText("ab\xff\xfe" "cd", "Velmora.txt");    // not UTF-8
    writer.SaveText("\xe2\x82\xac\xe2\x9c\x93", "Velmora.txt");   // euro sign, check mark (not in 936)
    const std::vector<std::string> lines = Messages(vt::ReadFileBytes(dir + L"Velmora.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 2), "ab");
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), "cd");
    EXPECT_EQ(lines[1], "\x80?");
}
