#include "Sandbox.h"
#include "installer/VellantSetup.h"
#include <gtest/gtest.h>

namespace {
const char* const kV9 = "SOFTWARE\\CNC Software, Inc.\\V9 Mill";
const char* const kV8 = "SOFTWARE\\CNC Software, Inc.\\Mill8";

// Version 9 goes before 8; a version asked for is looked up alone and stays as it was.
TEST(Discovery, FolderOfTheNewestOrTheAskedVersion) {
    const struct {
        const char *v9, *v8;  // each version's "Directory": nullptr no key, "" a key without it
        int asked;            // 0: any version
        const char* folder;
    } cases[] = {{nullptr, "C:\\mcam8", 0, "C:\\mcam8"},
                 {nullptr, "C:\\mcam8", 9, ""},
                 {nullptr, "C:\\mcam8", 8, "C:\\mcam8"},
                 {"C:\\mcam9", "C:\\mcam8", 0, "C:\\mcam9"},
                 {"C:\\mcam9", "C:\\mcam8", 8, "C:\\mcam8"},
                 {"C:\\mcam9", "C:\\mcam8", 7, ""},
                 {"", nullptr, 9, ""},
                 {nullptr, nullptr, 0, ""}};
    for (const auto& c : cases) {
        RegistrySandbox registry;
        for (const auto& [key, folder] : {std::pair{kV9, c.v9}, std::pair{kV8, c.v8}})
            if (folder) SetRegText(HKEY_LOCAL_MACHINE, key, *folder ? "Directory" : "Other", folder);
        int version = c.asked;
        EXPECT_STREQ(VellantSetup::GetMCAMPath(c.asked ? &version : nullptr), c.folder) << c.asked << " " << c.folder;
        EXPECT_EQ(version, c.asked);
    }
}

TEST(PathJoin, AddsOneBackslashAndDropsTheNameOnAnEmptyFolder) {
    EXPECT_STREQ(PathString() + "y", "");
    EXPECT_STREQ(PathString("") + CString("y"), "");
    EXPECT_STREQ(PathString("C:\\x") + "y", "C:\\x\\y");
    EXPECT_STREQ(PathString("C:\\x\\") + "y", "C:\\x\\y");
    EXPECT_STREQ(PathString("C:\\x") + "\\y", "C:\\x\\\\y");
}

// The host's folder with its trailing backslash, also for a host whose folder
// alone is longer than 256 characters (Windows cuts such a module path inside
// the folder's last name).
TEST(PathJoin, ProgramFolderIsTheHostsWholeFolder) {
    char buffer[kProgramFolderBuffer] = "untouched";
    EXPECT_EQ(std::string(ProgramFolder(buffer)), TestProgramFolder());
    EXPECT_EQ(std::string(ProgramFolder()), TestProgramFolder());
    TempFolder temp;
    std::string folder = temp.Path() + "\\";
    folder += std::string(256 - folder.size(), 'f');
    const std::string host = folder + "\\fp";
    ASSERT_EQ(host.size(), 259u);
    ASSERT_TRUE(::CreateDirectoryA(("\\\\?\\" + folder).c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA((TestProgramFolder() + "folderprobe.exe").c_str(), ("\\\\?\\" + host).c_str(), FALSE));
    const std::string report = temp / "report.txt";
    std::string command = "\"" + host + "\" \"" + report + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessA(host.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &process));
    ScopedHandle thread(process.hThread), child(process.hProcess);
    ::WaitForSingleObject(child.Get(), 30000);
    // The whole folder, and the fixed-size form refuses rather than naming another folder.
    EXPECT_EQ(ReadFileText(report), folder + "\\\nuntouched\n");
}
}  // namespace
