#include "Sandbox.h"
#include "platform/Collections.h"
#include "foundation/SECFileSystem.h"
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {
TEST(SECFileSystem, PathSplitting) {
    EXPECT_STREQ(SECFileSystem::GetFileName("C:\\a/b.txt"), "b.txt");
    EXPECT_STREQ(SECFileSystem::GetFileName("plain"), "plain");
    EXPECT_STREQ(SECFileSystem::GetPath("C:\\a/b.txt"), "C:\\a/");
    EXPECT_STREQ(SECFileSystem::GetPath("C:\\a/b.txt", false), "\\a/");
    EXPECT_STREQ(SECFileSystem::GetExtension("name."), "");
    EXPECT_STREQ(SECFileSystem::GetExtension("C:\\x.y\\archive.tar.gz"), "gz");
    EXPECT_STREQ(SECFileSystem::GetBaseName("archive.tar.gz"), "archive.tar");
    EXPECT_STREQ(SECFileSystem::GetBaseName("README"), "README");
    EXPECT_STREQ(SECFileSystem::GetRoot("\\\\srv\\share\\x"), "\\\\srv\\");
    EXPECT_STREQ(SECFileSystem::GetRoot("C:x"), "C:");
    EXPECT_STREQ(SECFileSystem::GetRoot("D:/data"), "D:/");
    EXPECT_STREQ(SECFileSystem::GetRoot("relative\\x"), "");
    EXPECT_STREQ(SECFileSystem::AppendPaths("", "x"), "x");
    EXPECT_STREQ(SECFileSystem::AppendPaths("C:\\a", "x"), "C:\\a\\x");
    EXPECT_STREQ(SECFileSystem::AppendPaths("C:\\a/", "x"), "C:\\a/x");
}

TEST(SECFileSystem, RecursiveListsAndFilters) {
    TempFolder temp;
    WriteFileText(temp / "a.txt", "a");
    WriteFileText(temp / "sub\\b.txt", "b");
    WriteFileText(temp / "sub\\deeper\\c.txt", "c");
    WriteFileText(temp / "hidden.txt", "h");
    ::SetFileAttributesA((temp / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SECFileSystem fs;
    std::unique_ptr<CStringList> normal(fs.GetFileList((temp / "*.txt").c_str(), 128, true));
    const std::vector<std::string> items = Items(*normal);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], temp / "a.txt");
    EXPECT_EQ(items[1], temp / "sub\\b.txt");
    EXPECT_EQ(items[2], temp / "sub\\deeper\\c.txt");
    std::unique_ptr<CStringList> all(fs.GetFileList((temp / "*.txt").c_str(), -1, false));
    EXPECT_EQ(all->GetCount(), 2);
    std::unique_ptr<CStringList> folders(fs.GetDirectoryList(temp.Path().c_str(), false));
    EXPECT_EQ(Items(*folders), std::vector<std::string>{"sub"});
}

TEST(SECFileSystem, FileChanges) {
    TempFolder temp;
    SECFileSystem fs;
    WriteFileText(temp / "one", "1111");
    WriteFileText(temp / "two", "2");
    EXPECT_FALSE(fs.RenameFile((temp / "one").c_str(), (temp / "two").c_str()));
    EXPECT_EQ(ReadFileText(temp / "one"), "1111");
    EXPECT_EQ(ReadFileText(temp / "two"), "2");
    EXPECT_TRUE(fs.RenameFile((temp / "one").c_str(), (temp / "three").c_str()));
    EXPECT_TRUE(fs.CopyFile((temp / "three").c_str(), (temp / "copy").c_str()));
    EXPECT_FALSE(fs.CopyFile((temp / "three").c_str(), (temp / "copy").c_str()));
    EXPECT_TRUE(fs.CompareFiles((temp / "three").c_str(), (temp / "copy").c_str()));
    EXPECT_FALSE(fs.CompareFiles((temp / "three").c_str(), (temp / "two").c_str()));
    ULONGLONG size = 0;
    EXPECT_TRUE(fs.GetFileSize((temp / "copy").c_str(), size));
    EXPECT_EQ(size, 4u);
    EXPECT_TRUE(fs.MakePath((temp / "x\\y\\z").c_str()));
    EXPECT_TRUE(fs.IsDirectory((temp / "x\\y\\z").c_str()));
    WriteFileText(temp / "x\\y\\z\\f", "f");
    EXPECT_FALSE(fs.IsReadOnly((temp / "x").c_str()));
    EXPECT_TRUE(fs.IsReadOnly((temp / "missing").c_str()));
    EXPECT_TRUE(fs.DeleteDirectory((temp / "x").c_str(), true));
    EXPECT_FALSE(fs.IsDirectory((temp / "x").c_str()));
    EXPECT_TRUE(fs.DeleteFiles((temp / "t*").c_str()));
    EXPECT_FALSE(fs.FileExists((temp / "two").c_str()));
    EXPECT_TRUE(fs.FileExists((temp / "copy").c_str()));
}

TEST(SECFileSystem, DrivesAndSorting) {
    SECFileSystem fs;
    EXPECT_TRUE(fs.IsValidDrive("C:\\"));
    EXPECT_NE(fs.GetFreeSpace64("C:\\windows"), ~0ull);
    EXPECT_GE(fs.GetTotalSpace64("C:\\"), fs.GetFreeSpace64("C:\\"));
    EXPECT_FALSE(fs.ChangeDrive(27));
    CStringList list;
    for (const char* s : {"beta", "Alpha", "alpha", "Beta"}) list.AddTail(s);
    SECFileSystem::Sort(list, true);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Alpha", "Beta", "alpha", "beta"}));
    SECFileSystem::Sort(list, false);
    EXPECT_EQ(_stricmp(Items(list)[0].c_str(), "alpha"), 0);
    EXPECT_EQ(_stricmp(Items(list)[3].c_str(), "beta"), 0);
}
}  // namespace
