#include "Sandbox.h"
#include "platform/Collections.h"
#include "foundation/SECFileSystem.h"
#include "foundation/PlannedFailure.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {
// \\<server>\share for this test alone: Wine maps UNC names to folders below its prefix's
// dosdevices\unc. No folder where there is no such prefix.
struct UncShare {
    UncShare() {
        char prefix[MAX_PATH + 1] = {0};
        const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || prefix[0] != '/') return;
        folder = std::string("Z:") + prefix + "/dosdevices/unc/" + server;
        std::replace(folder.begin(), folder.end(), '/', '\\');
        std::error_code failed;
        std::filesystem::create_directories(folder + "\\share", failed);
        if (failed) folder.clear();
    }
    ~UncShare() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    UncShare(const UncShare&) = delete;
    UncShare& operator=(const UncShare&) = delete;
    const std::string server = "vt" + std::to_string(::GetCurrentProcessId());
    std::string folder;
};

class FileSystem : public ::testing::Test {
protected:
    TempFolder temp;
    SECFileSystem fs;
};

TEST_F(FileSystem, PathsDrivesAndSorting) {
    EXPECT_STREQ(SECFileSystem::GetFileName("C:\\a/b.txt"), "b.txt");
    EXPECT_STREQ(SECFileSystem::GetPath("C:\\a/b.txt"), "C:\\a/");
    EXPECT_STREQ(SECFileSystem::GetPath("C:\\a/b.txt", false), "\\a/");
    EXPECT_STREQ(SECFileSystem::GetExtension("name."), "");
    EXPECT_STREQ(SECFileSystem::GetExtension("C:\\x.y\\archive.tar.gz"), "gz");
    EXPECT_STREQ(SECFileSystem::GetBaseName("archive.tar.gz"), "archive.tar");
    EXPECT_STREQ(SECFileSystem::GetRoot("\\\\srv\\share\\x"), "\\\\srv\\");
    EXPECT_STREQ(SECFileSystem::GetRoot("C:x"), "C:");
    EXPECT_STREQ(SECFileSystem::GetRoot("D:/data"), "D:/");
    EXPECT_STREQ(SECFileSystem::GetRoot("relative\\x"), "");
    EXPECT_STREQ(SECFileSystem::AppendPaths("", "x"), "x");
    EXPECT_STREQ(SECFileSystem::AppendPaths("C:\\a", "x"), "C:\\a\\x");
    EXPECT_STREQ(SECFileSystem::AppendPaths("C:\\a/", "x"), "C:\\a/x");
    // Drive numbers run from 1 (A:) to 26 (Z:); 259 must not wrap round to C:.
    for (int drive : {0, 27, 3 + 256}) EXPECT_FALSE(fs.ChangeDrive(drive)) << drive;
    // Counted in clusters the free space must not wrap at 4 GB.
    const ULONGLONG clusters = fs.GetFreeSpace("C:\\");
    const ULONGLONG available = fs.GetFreeSpace64("C:\\");
    ASSERT_NE(clusters, ~0ull);
    EXPECT_LT(clusters > available ? clusters - available : available - clusters, 1ull << 30);
    EXPECT_NE(fs.GetFreeSpace64("C:\\windows"), ~0ull);
    EXPECT_GE(fs.GetTotalSpace64("C:\\"), fs.GetFreeSpace64("C:\\"));
    CStringList list;
    for (const char* s : {"beta", "Alpha", "alpha", "Beta"}) list.AddTail(s);
    SECFileSystem::Sort(list, true);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Alpha", "Beta", "alpha", "beta"}));
    SECFileSystem::Sort(list, false);
    EXPECT_EQ(_stricmp(Items(list)[0].c_str(), "alpha"), 0);
    EXPECT_EQ(_stricmp(Items(list)[3].c_str(), "beta"), 0);
}

TEST_F(FileSystem, ListsAndFileChanges) {
    WriteFileText(temp / "a.txt", "a");
    WriteFileText(temp / "sub\\b.txt", "b");
    WriteFileText(temp / "sub\\deeper\\c.txt", "c");
    WriteFileText(temp / "hidden.txt", "h");
    ::SetFileAttributesA((temp / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
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
    WriteFileText(temp / "one", "1111");
    WriteFileText(temp / "two", "2");
    EXPECT_FALSE(fs.RenameFile((temp / "one").c_str(), (temp / "two").c_str()));
    EXPECT_EQ(ReadFileText(temp / "one"), "1111");
    EXPECT_EQ(ReadFileText(temp / "two"), "2");
    EXPECT_TRUE(fs.RenameFile((temp / "one").c_str(), (temp / "three").c_str()));
    EXPECT_TRUE(fs.CopyFile((temp / "three").c_str(), (temp / "copy").c_str()));
    EXPECT_FALSE(fs.CopyFile((temp / "three").c_str(), (temp / "copy").c_str()));
    FailNthFileWriteForTests(1);  // a copy that cannot be written leaves no part of itself
    EXPECT_FALSE(fs.CopyFile((temp / "three").c_str(), (temp / "failed copy").c_str()));
    EXPECT_EQ(FailNthFileWriteForTests(0), 0);
    EXPECT_FALSE(PathExists(temp / "failed copy"));
    FILETIME when;
    EXPECT_TRUE(fs.GetFileModifyTime((temp / "copy").c_str(), when));
    EXPECT_FALSE(fs.GetFileModifyTime((temp / "none").c_str(), when));
    EXPECT_TRUE(fs.CompareFiles((temp / "three").c_str(), (temp / "copy").c_str()));
    EXPECT_FALSE(fs.CompareFiles((temp / "three").c_str(), (temp / "two").c_str()));
    ULONGLONG size = 0;
    EXPECT_TRUE(fs.GetFileSize((temp / "copy").c_str(), size));
    EXPECT_EQ(size, 4u);
    WriteFileText(temp / "xxxxtest.999", "kept");
    EXPECT_FALSE(fs.IsReadOnly(temp.Path().c_str()));
    EXPECT_EQ(ReadFileText(temp / "xxxxtest.999"), "kept");
    EXPECT_TRUE(fs.IsReadOnly((temp / "missing").c_str()));
    EXPECT_TRUE(fs.DeleteFiles((temp / "t*").c_str()));
    EXPECT_FALSE(fs.FileExists((temp / "two").c_str()));
    EXPECT_TRUE(fs.FileExists((temp / "copy").c_str()));

    // A recursive delete removes a folder with its files; a folder that holds sub-folders is refused whole.
    WriteFileText(temp / "x\\f", "f");
    WriteFileText(temp / "x\\y\\g", "g");
    WriteFileText(temp / "x\\y\\hidden", "h");
    ::SetFileAttributesA((temp / "x\\y\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(fs.DeleteDirectory((temp / "x").c_str(), true));
    EXPECT_EQ(ReadFileText(temp / "x\\f"), "f");
    EXPECT_EQ(ReadFileText(temp / "x\\y\\g"), "g");
    EXPECT_TRUE(fs.DeleteDirectory((temp / "x\\y").c_str(), true));
    EXPECT_FALSE(PathExists(temp / "x\\y"));
    EXPECT_FALSE(fs.DeleteDirectory((temp / "x").c_str(), false));
    EXPECT_TRUE(fs.DeleteDirectory((temp / "x").c_str(), true));
    EXPECT_FALSE(PathExists(temp / "x"));
}

// The volume or share at the front of a path is never made, only the folders below it.
TEST_F(FileSystem, MakePathBelowEveryKindOfRoot) {
    UncShare share;
    std::vector<std::string> made = {temp / "plain\\a\\b", "\\\\?\\" + (temp / "long\\a\\b\\"), temp / "mixed/a\\b/"};
    if (!share.folder.empty()) {
        made.push_back("\\\\" + share.server + "\\share\\unc\\a\\b");
        made.push_back("\\\\?\\UNC\\" + share.server + "\\share\\long-unc\\a");
    }
    for (const std::string& path : made) {
        EXPECT_TRUE(fs.MakePath(path.c_str())) << path;
        EXPECT_TRUE(fs.IsDirectory(path.c_str())) << path;
    }
    EXPECT_FALSE(fs.MakePath("\\\\no-such-server\\share\\a"));
}

}  // namespace
