#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/Owners.h"
#include "foundation/TextSearch.h"
#include "installer/AddonFiles.h"
#include <gtest/gtest.h>

namespace {
constexpr int Bit(int option) { return 1 << option; }

// A record with its installed and wanted options, each a set of Bit()s.
McConfigFile Record(const std::string& path, int version, int kind, int installed = 0, int wanted = 0) {
    McConfigFile record;
    record.path = path.c_str();
    record.version = version;
    record.kind = kind;
    for (int i = 0; i < kOptionCount; ++i) {
        record.installed[i] = (installed & Bit(i)) != 0;
        record.wanted[i] = (wanted & Bit(i)) != 0;
    }
    return record;
}

class CommitTest : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9{temp, 9};
    VellantSetup setup;
    VellantSetupProbe probe{setup};

    void Commit() {
        probe.AllMill() = FALSE;  // work on the records as the test set them
        probe.CommitAsGiven();
    }
    // Whether all of the hook's files (true) or none of them (false) are in the Mastercam folder.
    bool HookFiles(bool all) {
        for (const AddonFile& file : kHookFiles)
            if (PathExists(mcam9 / file.target) != all) return false;
        return true;
    }
    void PlaceHookFiles() {
        for (const AddonFile& file : kHookFiles) WriteFileText(mcam9 / file.target, "installed");
    }
    DWORD HookValue(const std::string& path) {
        DWORD value = 0xFFFF;
        GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(path).c_str(), value);
        return value;
    }
};

// The hook's files and the companion stay while another file wants the hook, whatever the
// file that drops the hook and the toolbar had.
TEST_F(CommitTest, SharedHookStaysWhileOneFileWantsIt) {
    const std::string keep = mcam9.AddCfg("keep.cfg", SampleCfg(kMillLine));
    const std::string drop = mcam9.AddCfg("drop.cfg", SampleCfg(kMillLine));
    PlaceHookFiles();
    SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, "registered");
    probe.Records() = {Record(keep, 9, kMill, Bit(kOpMgrHook), Bit(kOpMgrHook)),
                       Record(drop, 9, kMill, Bit(kOpMgrHook) | Bit(kToolbar))};
    Commit();
    EXPECT_TRUE(HookFiles(true));
    EXPECT_TRUE(probe.OpMgrInstalled());
    EXPECT_EQ(HookValue(keep), 0x02u);
    EXPECT_EQ(HookValue(drop), 0u);
    EXPECT_FALSE(probe.Records()[1].installed[kOpMgrHook]);
}

// A file that gains the toolbar and loses the editor keeps the state between in its backup; another
// that gains the editor where there is no editor list gets it without a list being made.
TEST_F(CommitTest, GainToolbarLoseEditorLeavesMiddleStateInBackup) {
    const std::string cfg = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine, " QTX_V2"));
    const std::string other = mcam9.AddCfg("b.cfg", SampleCfg(kMillLine));
    SetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, "Mastercam Original Editor", " pfe32");
    probe.Records() = {Record(cfg, 9, kMill, Bit(kEditor), Bit(kToolbar)), Record(other, 9, kMill, 0, Bit(kEditor))};
    Commit();
    const std::string backup = ReadFileText(cfg + ".QTXSave");
    EXPECT_NE(backup.find("gotoqtx*"), std::string::npos);
    EXPECT_NE(backup.find("851. NC editor? QTX_V2"), std::string::npos);
    const std::string result = ReadFileText(cfg);
    EXPECT_NE(result.find("gotoqtx*"), std::string::npos);
    EXPECT_NE(result.find("851. NC editor? pfe32"), std::string::npos);
    EXPECT_TRUE(PathExists(mcam9 / "common\\editors\\QTX_V2\\QTX_V2.exe"));
    EXPECT_FALSE(PathExists(mcam9 / "Mill9.txt"));
    EXPECT_FALSE(PathExists(mcam9 / "Mill9.txt.QTXSave"));
    EXPECT_NE(ReadFileText(other).find("851. NC editor? QTX_V2"), std::string::npos);
}

TEST_F(CommitTest, UserFolderFileCountsForVersion9) {
    TempFolder own;
    WriteFileText(own / "own.cfg", SampleCfg(kMillLine));
    std::filesystem::create_directories(own / "chooks");
    probe.Records() = {Record(own / "own.cfg", 0, kMill, 0, Bit(kOpMgrHook))};
    const int started = CompanionLogCount("started");
    Commit();
    EXPECT_TRUE(WaitForCompanionLog("started", started + 1));
    EXPECT_TRUE(HookFiles(true));
    EXPECT_TRUE(PathExists(mcam9 / "chooks\\QTXGetOps.dll"));
    EXPECT_FALSE(PathExists(own / "chooks\\GotoQTX.dll"));
    EXPECT_EQ(HookValue(own / "own.cfg"), 0x02u);
}

TEST_F(CommitTest, ScopeFlagsSpareDesignFilesAndCountOnlyOne) {
    const std::string design = mcam9.AddCfg("d.cfg", SampleCfg(kDesignLine));
    const std::string mill = mcam9.AddCfg("m.cfg", SampleCfg(kMillLine));
    probe.Records() = {Record(design, 9, kDesign, 0, Bit(kEditor)), Record(mill, 9, kMill)};
    BOOL* options = probe.Options();
    options[kOpMgrHook] = TRUE;
    options[kToolbar] = 2;  // indeterminate counts as not set
    options[kEditor] = 2;
    probe.AllMill() = probe.AllLathe() = probe.AllWire() = probe.AllRouter() = TRUE;
    const int started = CompanionLogCount("started");
    probe.CommitAsGiven();
    EXPECT_TRUE(WaitForCompanionLog("started", started + 1));
    const McConfigFile& d = probe.Records()[0];
    const McConfigFile& m = probe.Records()[1];
    EXPECT_TRUE(d.wanted[kEditor]);
    EXPECT_FALSE(d.wanted[kOpMgrHook]);
    EXPECT_TRUE(m.wanted[kOpMgrHook]);
    EXPECT_FALSE(m.wanted[kToolbar]);
    EXPECT_FALSE(m.wanted[kEditor]);
    EXPECT_EQ(ReadFileText(mill), SampleCfg(kMillLine));
}

// A backup that cannot be made leaves the file as it is, above all when an older one
// (another file's content here) is still there to be taken for it.
TEST_F(CommitTest, FailedBackupSkipsTheEdit) {
    for (const bool folder : {true, false}) {
        const std::string cfg = mcam9.AddCfg(folder ? "a.cfg" : "b.cfg", SampleCfg(kMillLine));
        const std::string backup = cfg + ".QTXSave";
        ScopedHandle held;  // open in another program, which lets it be read but not replaced
        if (folder) {
            std::filesystem::create_directories(backup);
        } else {
            WriteFileText(backup, SampleCfg(kLatheLine));
            held.Reset(::CreateFileA(backup.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(held.Valid());
        }
        probe.Records() = {Record(cfg, 9, kMill, 0, Bit(kToolbar))};
        Commit();
        EXPECT_EQ(ReadFileText(cfg), SampleCfg(kMillLine)) << folder;
        EXPECT_TRUE(setup.LastReport().Failed()) << folder;
    }
}

// The hook's files serve the toolbar too: dropping the hook where the toolbar stays
// leaves them where they are, untouched.
TEST_F(CommitTest, HookFilesStayForTheToolbar) {
    const std::string cfg = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    PlaceHookFiles();
    probe.Records() = {Record(cfg, 9, kMill, Bit(kOpMgrHook) | Bit(kToolbar), Bit(kToolbar))};
    Commit();
    for (const AddonFile& file : kHookFiles) EXPECT_EQ(ReadFileText(mcam9 / file.target), "installed") << file.target;
}

// Each kind's scope flag reaches the files of that kind and no other.
TEST_F(CommitTest, EachScopeFlagReachesItsOwnKind) {
    const int kinds[] = {kMill, kLathe, kWire, kRouter};
    const char* lines[] = {kMillLine, kLatheLine, kWireLine, kRouterLine};
    BOOL* flags[] = {&probe.AllMill(), &probe.AllLathe(), &probe.AllWire(), &probe.AllRouter()};
    for (int option = 0; option < kOptionCount; ++option) probe.Options()[option] = option == kToolbar;
    for (int chosen = 0; chosen < 4; ++chosen) {
        probe.Records().clear();
        for (int k = 0; k < 4; ++k) {
            const std::string name = std::to_string(chosen) + "-" + std::to_string(k) + ".cfg";
            probe.Records().push_back(Record(mcam9.AddCfg(name, SampleCfg(lines[k])), 9, kinds[k]));
            *flags[k] = k == chosen;
        }
        probe.CommitAsGiven();
        for (int k = 0; k < 4; ++k) EXPECT_EQ(probe.Records()[k].wanted[kToolbar], k == chosen) << chosen << k;
    }
}
}  // namespace

// A backup keeps its content when Mastercam later writes the file in place, also
// when the edit after the backup changed nothing.
TEST_F(CommitTest, BackupsStayApartFromTheirFiles) {
    const std::string cfg = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    const std::string list = mcam9.AddEditorList("[general]\r\n" + std::string(1100, '#') +
                                                 "\r\n[file edit]\r\n1. \"2\"\r\n2. \"QTX_V2\"\r\n3. \"A\"\r\n");
    const std::string listBefore = ReadFileText(list);
    probe.Records() = {Record(cfg, 9, kMill, 0, Bit(kEditor) | Bit(kToolbar))};
    Commit();
    EXPECT_EQ(ReadFileText(list), listBefore);  // the entry was there: nothing to add
    for (const std::string& file : {cfg, list}) {
        const std::string backup = ReadFileText(file + ".QTXSave");
        FILE* inPlace = std::fopen(file.c_str(), "r+b");
        ASSERT_NE(inPlace, nullptr);
        std::fputs("changed in place", inPlace);
        std::fclose(inPlace);
        EXPECT_EQ(ReadFileText(file + ".QTXSave"), backup) << file;
    }
}

// A run killed or failed part way leaves the folder and the records disagreeing;
// the next run goes by what the folder holds.
TEST_F(CommitTest, RunsAgainFinishTheJob) {
    const std::string cfg = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    const std::string list = mcam9.AddEditorList(SampleEditorList(2));
    {
        // Install stopped after the file was edited: its editor is in, the list has no entry.
        VellantSetup first;
        first.InstallAllMastercamOptions(true, false, false, false, false);
        WriteFileText(list, SampleEditorList(2));
        std::filesystem::remove(mcam9 / kEditorProgram.target);
        // and a hook value from an earlier install, without the hook in place.
        SetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(cfg).c_str(), 0x02);
    }
    VellantSetup again;
    again.InstallAllMastercamOptions(true, false, true, false, false);
    EXPECT_NE(ReadFileText(list).find("2. \"QTX_V2\""), std::string::npos);
    EXPECT_TRUE(PathExists(mcam9 / kEditorProgram.target));
    EXPECT_TRUE(HookFiles(true));
    EXPECT_TRUE(PathExists(mcam9 / kOpMgrFiles[0].target));
    EXPECT_TRUE(VellantSetupProbe(again).OpMgrInstalled());

    // Remove stopped after the files were edited and their hook values cleared.
    {
        VellantSetup partial;
        VellantSetupProbe probe(partial);
        probe.Scan();
        for (McConfigFile& record : probe.Records()) record.wanted[kEditor] = record.wanted[kOpMgrHook] = false;
        probe.AllMill() = FALSE;
        std::string listBefore = ReadFileText(list);
        partial.Commit();
        WriteFileText(list, listBefore);  // the list's edit did not happen
        PlaceHookFiles();
        WriteFileText(mcam9 / kOpMgrFiles[0].target, "left");
        WriteFileText(mcam9 / kEditorProgram.target, "left");
        SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, "C:\\left\\qtx2cam.exe");
    }
    RemoveAllMastercamOptions();
    EXPECT_EQ(ReadFileText(list), SampleEditorList(2));
    EXPECT_EQ(ReadFileText(cfg), SampleCfg(kMillLine));
    EXPECT_TRUE(HookFiles(false));
    EXPECT_FALSE(PathExists(mcam9 / kOpMgrFiles[0].target));
    EXPECT_FALSE(PathExists(mcam9 / kEditorFolder));
    std::string run;
    EXPECT_FALSE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
}
