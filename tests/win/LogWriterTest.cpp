// The log writer on real files: creation, appending, rotation, sharing,
// concurrency and the code page 936 bytes on disk.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/Handles.h"
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

TEST(LogWriter, MissingSubFolderWritesAndCreatesNothing)
{
    const std::wstring dir = Folder(L"subfolder");
    CLogSaveCloseFile writer(dir);
    writer.SaveText("x", "missing\\Velmora.txt");
    writer.SaveText("x", "");   // names the folder itself
    EXPECT_FALSE(vt::PathExists(dir + L"missing"));
    int entries = 0;
    {
        WIN32_FIND_DATAW fd;
        CFindHandle h(::FindFirstFileW((dir + L"*").c_str(), &fd));
        ASSERT_NE(h.Get(), INVALID_HANDLE_VALUE);
        do {
            if (std::wstring(fd.cFileName) != L"." && std::wstring(fd.cFileName) != L"..")
                ++entries;
        } while (::FindNextFileW(h.Get(), &fd));
    }
    EXPECT_EQ(entries, 0);

    // The writer is still usable afterwards (its lock was released).
    writer.SaveText("after", "Velmora.txt");
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"Velmora.txt")), (std::vector<std::string>{"after"}));
}

TEST(LogWriter, AFileWithAnotherNameElsewhereIsNeitherWrittenNorRotated)
{
    // Someone's file, linked in under the log's name (a hard link: it is the
    // same file under two names). Wine cannot make junctions or symbolic
    // links, so the same refusal for those is not shown here.
    const std::wstring dir = Folder(L"hardlink");
    const std::wstring theirs = vt::ScratchDir(L"log-writer-hardlink-theirs") + L"\\settings.ini";
    ASSERT_TRUE(vt::WriteFileBytes(theirs, std::string(6020001, 'k')));
    ASSERT_TRUE(::CreateHardLinkW((dir + L"Velmora.txt").c_str(), theirs.c_str(), nullptr));
    CLogSaveCloseFile writer(dir);
    writer.SaveText("x", "Velmora.txt");
    EXPECT_EQ(vt::ReadFileBytes(theirs), std::string(6020001, 'k'));
    EXPECT_FALSE(vt::PathExists(dir + L"Velmora.txtbak")) << "rotated someone else's file away";

    // Once it is the log's own again, entries go in.
    ASSERT_TRUE(::DeleteFileW((dir + L"Velmora.txt").c_str()));
    writer.SaveText("own", "Velmora.txt");
    EXPECT_EQ(Messages(vt::ReadFileBytes(dir + L"Velmora.txt")), (std::vector<std::string>{"own"}));
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
