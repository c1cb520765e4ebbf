// Files reached through an open folder: exact names, links never followed,
// and a held folder that cannot be swapped.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/InFolder.h"
#include "tests/support/TestSupport.h"

namespace {

std::vector<std::wstring> Names(HANDLE folder)
{
    std::vector<SFolderEntry> entries;
    EXPECT_TRUE(ListFolder(folder, entries));
    std::vector<std::wstring> names;
    for (const SFolderEntry& e : entries)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

CFileHandle OpenForDelete(HANDLE folder, const std::wstring& name)
{
    return OpenInFolder(folder, name, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_OPEN,
                        FILE_NON_DIRECTORY_FILE);
}

}  // namespace

TEST(InFolder, ANameIsTakenExactlyAsListed)
{
    // "payroll.xlsx." is another file than "payroll.xlsx", though a path
    // would drop the dot and name the latter.
    const std::wstring dir = vt::ScratchDir(L"infolder-exact");
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\payroll.xlsx", "theirs"));
    ASSERT_TRUE(vt::WriteFileBytes(L"\\\\?\\" + dir + L"\\payroll.xlsx.", "dot"));
    ASSERT_TRUE(vt::WriteFileBytes(L"\\\\?\\" + dir + L"\\notes ", "blank"));
    CFileHandle folder = OpenFolderAsIs(dir);
    ASSERT_TRUE(folder);
    EXPECT_EQ(Names(folder.Get()), (std::vector<std::wstring>{L"notes ", L"payroll.xlsx", L"payroll.xlsx."}));

    for (const wchar_t* name : {L"payroll.xlsx.", L"notes "}) {
        CFileHandle file = OpenForDelete(folder.Get(), name);
        ASSERT_TRUE(file) << vt::Utf8(name);
        EXPECT_TRUE(IsOpenedAsNamed(folder.Get(), file.Get(), name)) << vt::Utf8(name);
        EXPECT_TRUE(DeleteOpened(file.Get())) << vt::Utf8(name);
    }
    EXPECT_EQ(Names(folder.Get()), (std::vector<std::wstring>{L"payroll.xlsx"}));
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\payroll.xlsx"), "theirs");

    // Nothing that climbs out or walks further in.
    for (const wchar_t* name : {L"", L".", L"..", L"..\\x", L"a\\b", L"a/b"})
        EXPECT_FALSE(OpenForDelete(folder.Get(), name)) << vt::Utf8(name);
}

TEST(InFolder, ALinkIsNeverTakenForWhatItLeadsTo)
{
    // C:\velmora-links holds the session's links: link 1 leads to a file,
    // link 2 to a folder.
    vt::RemoveTree(vt::LinkTarget(1));
    ASSERT_TRUE(vt::WriteFileBytes(vt::LinkTarget(1), "someone else's"));
    vt::ScratchDir(L"link-target-2");
    ASSERT_TRUE(vt::WriteFileBytes(vt::LinkTarget(2) + L"\\inside.txt", "someone else's"));

    CFileHandle links = OpenFolderAsIs(L"C:\\velmora-links");
    ASSERT_TRUE(links);
    // Opened as itself, or (where the system follows it) seen through.
    CFileHandle file = OpenForDelete(links.Get(), L"1");
    EXPECT_FALSE(file && IsOpenedAsNamed(links.Get(), file.Get(), L"1"));
    EXPECT_FALSE(OpenFolderAsIs(vt::LinkPath(2))) << "a folder link opened as a folder";
    EXPECT_FALSE(OpenFolderAsIs(vt::LinkPath(2) + L"\\")) << "a folder link opened as a folder";
    EXPECT_EQ(vt::ReadFileBytes(vt::LinkTarget(1)), "someone else's");
    EXPECT_EQ(vt::ReadFileBytes(vt::LinkTarget(2) + L"\\inside.txt"), "someone else's");
}

TEST(InFolder, AHeldFolderCannotBeSwappedAndRenamesStayInside)
{
    const std::wstring dir = vt::ScratchDir(L"infolder-held");
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\Velmora.txt", "new"));
    ASSERT_TRUE(vt::WriteFileBytes(dir + L"\\Velmora.txtbak", "old"));
    {
        CFileHandle folder = OpenFolderAsIs(dir);
        ASSERT_TRUE(folder);
        EXPECT_FALSE(::MoveFileExW(dir.c_str(), (dir + L"-away").c_str(), 0)) << "the held folder was moved";

        CFileHandle file = OpenForDelete(folder.Get(), L"Velmora.txt");
        ASSERT_TRUE(file);
        SFileIdentity before, listed;
        ASSERT_TRUE(ReadIdentity(file.Get(), before));
        EXPECT_TRUE(before.IsPlainFile());
        EXPECT_FALSE(RenameInFolder(file.Get(), folder.Get(), L"..\\escaped", true));
        EXPECT_FALSE(RenameInFolder(file.Get(), folder.Get(), L"Velmora.txtbak", false)) << "replaced without leave";
        ASSERT_TRUE(RenameInFolder(file.Get(), folder.Get(), L"Velmora.txtbak", true));
        CFileHandle moved = OpenForDelete(folder.Get(), L"Velmora.txtbak");
        ASSERT_TRUE(moved);
        ASSERT_TRUE(ReadIdentity(moved.Get(), listed));
        EXPECT_TRUE(listed.SameFileAs(before));
    }
    EXPECT_EQ(vt::ReadFileBytes(dir + L"\\Velmora.txtbak"), "new");
    EXPECT_FALSE(vt::PathExists(dir + L"-away"));
}
