#include "Sandbox.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileUtils.h"
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {
// A file name's parts; nullptr: not looked at.
TEST(FileString, SplitsPaths) {
    const struct {
        const char *path, *drive, *directory, *fileName, *baseName, *extension, *folder;
    } cases[] = {
        {"C:\\a\\b.txt", "C:", "\\a\\", "b.txt", "b", "txt", "C:\\a\\"},
        {"b.txt", "", "", nullptr, "b", "txt", ""},
        {"C:\\a\\.cfg", nullptr, nullptr, nullptr, ".cfg", "", nullptr},
        {"C:\\a.b\\c", nullptr, nullptr, nullptr, "c", "", nullptr},
        {"C:name", "", nullptr, "C:name", nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const FileString f(c.path);
        const std::pair<const StrPP&, const char*> parts[] = {
            {f.drive, c.drive},         {f.directory, c.directory}, {f.fileName, c.fileName}, {f.baseName, c.baseName},
            {f.extension, c.extension}, {f.folder, c.folder},       {f.fullPath, c.path}};
        for (const auto& [part, expected] : parts)
            EXPECT_STREQ(expected ? static_cast<const char*>(part) : nullptr, expected) << c.path;
    }
    const FileString longPath(("C:\\" + std::string(5000, 'd') + "\\x.y").c_str());
    EXPECT_EQ(longPath.directory.Length(), 5002);
}

// What a file holds, read whole or into a bounded buffer, and what is known of it without reading.
TEST(FileUtils, ExistenceSizeAndContent) {
    TempFolder temp;
    WriteFileText(temp / "f.bin", "12345");
    EXPECT_TRUE(FileExists((temp / "f.bin").c_str()));
    EXPECT_TRUE(FileExists((temp / "*.bin").c_str()));
    EXPECT_TRUE(FileExists(temp.Path().c_str()));
    EXPECT_FALSE(FileExists((temp.Path() + "\\").c_str()));
    EXPECT_FALSE(FileExists((temp / "none").c_str()));
    EXPECT_EQ(FileSize((temp / "f.bin").c_str()), 5u);
    EXPECT_EQ(FileSize((temp / "none").c_str()), 0u);
    std::string read;
    EXPECT_EQ(ReadWholeFileBytes(temp / "none", read), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(::GetFileAttributesExA((temp / "f.bin").c_str(), GetFileExInfoStandard, &info));
    EXPECT_TRUE(FileTimeEquals((temp / "f.bin").c_str(), info.ftLastWriteTime));
    FILETIME other = info.ftLastWriteTime;
    other.dwHighDateTime ^= 1;
    EXPECT_FALSE(FileTimeEquals((temp / "f.bin").c_str(), other));
    EXPECT_FALSE(FileTimeEquals((temp / "none").c_str(), info.ftLastWriteTime));

    WriteFileText(temp / "empty", "");
    char* data = reinterpret_cast<char*>(1);
    int size = 99;
    ReadWholeFile((temp / "empty").c_str(), data, size);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0);
    // No handle was left open: the file can be deleted at once.
    EXPECT_TRUE(::DeleteFileA((temp / "empty").c_str()));
    ReadWholeFile((temp / "missing").c_str(), data, size);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, -1);

    ASSERT_TRUE(WriteWholeFile((temp / "w").c_str(), "abc\0def", 7));
    ReadWholeFile((temp / "w").c_str(), data, size);
    std::unique_ptr<char[]> owned(data);
    ASSERT_EQ(size, 7);
    EXPECT_EQ(std::string(data, 7), std::string("abc\0def", 7));

    char part[4] = {0};
    int wanted = 3;
    ReadFileInto((temp / "w").c_str(), part, wanted);
    EXPECT_EQ(wanted, 3);
    EXPECT_STREQ(part, "abc");
}

std::set<std::string> Names(EList<FileString>& found) {
    std::set<std::string> names;
    for (int i = 0; i <= found.last; ++i) names.insert(found[i].fullPath.Text());
    return names;
}

TEST(FileUtils, FindFilesFlatAndRecursive) {
    TempFolder temp;
    WriteFileText(temp / "a.cfg", "a");
    WriteFileText(temp / "b.txt", "b");
    WriteFileText(temp / "sub\\c.cfg", "c");
    WriteFileText(temp / "old.cfg\\d.cfg", "d");
    char before[MAX_PATH + 1] = {0};
    ::GetCurrentDirectoryA(MAX_PATH, before);

    EList<FileString> flat(10, 100);
    FindFiles((temp.Path() + "\\\\").c_str(), "*.cfg", flat, false);
    EXPECT_EQ(Names(flat), (std::set<std::string>{temp / "a.cfg", temp / "old.cfg"}));
    EList<FileString> none(10, 100);
    FindFiles(temp.Path().c_str(), "*.none", none, true);
    EXPECT_EQ(none.Count(), 0);
    EList<FileString> everything(10, 100);
    FindFiles(temp.Path().c_str(), "*", everything, false);  // no "." or ".." among them
    EXPECT_EQ(Names(everything),
              (std::set<std::string>{temp / "a.cfg", temp / "b.txt", temp / "sub", temp / "old.cfg"}));

    EList<FileString> deep(10, 100);
    FindFiles(temp.Path().c_str(), "*.cfg", deep, true);
    EXPECT_EQ(Names(deep), (std::set<std::string>{temp / "a.cfg", temp / "old.cfg", temp / "old.cfg\\d.cfg"}));
    // A sub-folder's matches follow the sub-folder's own entry.
    for (int i = 0; i <= deep.last; ++i) {
        if (std::string(deep[i].fileName) == "d.cfg") {
            EXPECT_STREQ(deep[i - 1].fileName, "old.cfg");
        }
    }

    char after[MAX_PATH + 1] = {0};
    ::GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);

    // An empty folder searches the root of the current drive.
    const std::string name = "vt_root_" + std::to_string(::GetCurrentProcessId()) + ".cfg";
    WriteFileText("C:\\" + name, "x");
    ::SetCurrentDirectoryA("C:\\windows");
    EList<FileString> found(5, 20);
    FindFiles("", name.c_str(), found, false);
    ::DeleteFileA(("C:\\" + name).c_str());
    ASSERT_EQ(found.Count(), 1);
    EXPECT_STRCASEEQ(found[0].fullPath, ("C:\\" + name).c_str());
}

std::vector<std::string> questions;
int answer = IDYES;
int RecordQuestion(HWND, const char* text, UINT) {
    questions.push_back(text);
    return answer;
}

// An existing folder passes without a question and without a change of the current folder; a
// missing one is offered for creation when asked for, and refused otherwise.
TEST(FileUtils, ValidatePath) {
    TempFolder temp;
    SetMessageBoxHook(RecordQuestion);
    char before[MAX_PATH + 1] = {0};
    ::GetCurrentDirectoryA(MAX_PATH, before);
    EXPECT_NE(ValidatePath(temp.Path().c_str(), true, nullptr), 0);
    char after[MAX_PATH + 1] = {0};
    ::GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(ValidatePath((temp / "missing").c_str(), false, nullptr), 0);
    EXPECT_EQ(ValidatePath(std::string(2000, 'p').c_str(), false, nullptr), 0);
    EXPECT_TRUE(questions.empty());
    answer = IDNO;
    EXPECT_EQ(ValidatePath((temp / "new").c_str(), true, nullptr), 0);
    EXPECT_FALSE(PathExists(temp / "new"));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "The path \"" + (temp / "new") + "\"\ndoes not exist.  Do you want to create it?");
    answer = IDYES;
    EXPECT_NE(ValidatePath((temp / "new").c_str(), true, nullptr), 0);
    EXPECT_TRUE(PathExists(temp / "new"));
    questions.clear();
    EXPECT_EQ(ValidatePath((temp / "no\\deeper").c_str(), true, nullptr), 0);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1], "Unable to create the path.");
    SetMessageBoxHook(nullptr);
}

TEST(FileUtils, RunProgramResults) {
    char exitThree[] = "cmd.exe /c exit 3";
    EXPECT_EQ(RunProgram(exitThree, true), 3);
    char quick[] = "cmd.exe /c exit 0";
    EXPECT_EQ(RunProgram(quick, false), 0);
    char missing[] = "C:\\no\\such\\program.exe";
    EXPECT_EQ(RunProgram(missing, true), -1);
}
}  // namespace
