#include "Sandbox.h"
#include "VellantSetupProbe.h"
#include "foundation/Owners.h"
#include <gtest/gtest.h>

namespace {
const char* const kV9 = "SOFTWARE\\CNC Software, Inc.\\V9 Mill";
const char* const kV8 = "SOFTWARE\\CNC Software, Inc.\\Mill8";

TEST(Discovery, OnlyVersion8Registered) {
    RegistrySandbox registry;
    SetRegText(HKEY_LOCAL_MACHINE, kV8, "Directory", "C:\\mcam8");
    int any = 0;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(nullptr), "C:\\mcam8");
    int* none = nullptr;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(none), "C:\\mcam8");
    int nine = 9;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(&nine), "");
    EXPECT_EQ(nine, 9);
    any = 8;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(&any), "C:\\mcam8");
    EXPECT_EQ(any, 8);
}

TEST(Discovery, BothRegisteredPrefersVersion9) {
    RegistrySandbox registry;
    SetRegText(HKEY_LOCAL_MACHINE, kV8, "Directory", "C:\\mcam8");
    SetRegText(HKEY_LOCAL_MACHINE, kV9, "Directory", "C:\\mcam9");
    EXPECT_STREQ(VellantSetup::GetMCAMPath(nullptr), "C:\\mcam9");
    int eight = 8;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(&eight), "C:\\mcam8");
}

TEST(Discovery, UnsupportedVersionGivesEmptyFolder) {
    RegistrySandbox registry;
    SetRegText(HKEY_LOCAL_MACHINE, kV8, "Directory", "C:\\mcam8");
    SetRegText(HKEY_LOCAL_MACHINE, kV9, "Directory", "C:\\mcam9");
    int seven = 7;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(&seven), "");
    EXPECT_EQ(seven, 7);
}

TEST(Discovery, MissingDirectoryStillReportsVersion) {
    RegistrySandbox registry;
    SetRegText(HKEY_LOCAL_MACHINE, kV9, "Other", "x");
    int version = 9;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(&version), "");
    EXPECT_EQ(version, 9);
}

TEST(Discovery, NothingRegistered) {
    RegistrySandbox registry;
    EXPECT_STREQ(VellantSetup::GetMCAMPath(nullptr), "");
}

TEST(Discovery, SourceFolderAndCompanionBesideHostProgram) {
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    const std::string folder = TestProgramFolder() + "Vellants\\Mastercam\\";
    EXPECT_EQ(std::string(probe.SourcePath()), folder);
    EXPECT_EQ(std::string(probe.CompanionPath()), folder + "qtx2cam.exe");
}

TEST(Entry, FreshSetupHasDefaultFlags) {
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    EXPECT_TRUE(probe.Records().empty());
    for (int i = 0; i < kOptionCount; ++i) EXPECT_EQ(probe.Options()[i], FALSE) << i;
    EXPECT_EQ(probe.AllMill(), TRUE);
    EXPECT_EQ(probe.AllRouter(), FALSE);
    EXPECT_EQ(probe.AllLathe(), FALSE);
    EXPECT_EQ(probe.AllWire(), FALSE);
    EXPECT_EQ(setup.GetSafeHwnd(), nullptr);
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
