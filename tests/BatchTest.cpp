#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/TextSearch.h"
#include "installer/AddonFiles.h"
#include <gtest/gtest.h>

namespace {
class BatchTest : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    RegistrySandbox registry;
    TempFolder temp;
};

TEST_F(BatchTest, InstallAllTouchesMillAndRouterOnly) {
    SampleInstall mcam9(temp, 9);
    const std::string mill = mcam9.AddCfg("mill.cfg", SampleCfg(kMillLine));
    const std::string lathe = mcam9.AddCfg("lathe.cfg", SampleCfg(kLatheLine));
    const std::string router = mcam9.AddCfg("router.cfg", SampleCfg(kRouterLine));
    SetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(mill).c_str(), 0x10);
    SetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(lathe).c_str(), 0x10);
    const std::string latheText = ReadFileText(lathe);

    VellantSetup setup;
    VellantSetupProbe probe(setup);
    setup.InstallAllMastercamOptions(true, true, true, true, true);
    // The lathe file keeps only what its hook value held; Mill and Router get all but that.
    for (const std::string& path : {mill, router, lathe}) {
        const McConfigFile* record = probe.Find(path);
        ASSERT_NE(record, nullptr);
        for (int i = 0; i < kOptionCount; ++i)
            EXPECT_EQ(record->installed[i], (path == lathe) == (i == kOpMgrDisableToolpath)) << path << " " << i;
        if (path == lathe) continue;
        DWORD value = 0;
        EXPECT_TRUE(GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(path).c_str(), value));
        EXPECT_EQ(value, 0x0Eu);
        EXPECT_NE(ReadFileText(path).find("gotoqtx*"), std::string::npos);
        EXPECT_NE(ReadFileText(path).find("851. NC editor? QTX_V2"), std::string::npos);
    }
    EXPECT_EQ(ReadFileText(lathe), latheText);
    // A hook value left from before counts as installed, yet the companion was not
    // registered: it is put in place.
    EXPECT_TRUE(probe.OpMgrInstalled());
    EXPECT_TRUE(PathExists(mcam9 / "chooks\\QTXGetOps.dll"));
}

TEST_F(BatchTest, InstallThenRemoveGivesBackEveryFile) {
    SampleInstall mcam9(temp, 9), mcam8(temp, 8);
    std::map<std::string, std::string> originals;
    // Each file gets its own editor back.
    for (const auto& [name, text] :
         std::map<std::string, std::string>{{"mill.cfg", SampleCfg(kMillLine, " notepad")},
                                            {"router.cfg", SampleCfg(kRouterLine, " CIMCO Edit", 12)},
                                            {"wire.cfg", SampleCfg(kWireLine)}})
        originals[mcam9.AddCfg(name, text)] = text;
    originals[mcam8.AddCfg("mill8.cfg", SampleCfg(kMillLine, " pfe32", 3, "\n"))] =
        SampleCfg(kMillLine, " pfe32", 3, "\n");
    originals[mcam9.AddEditorList(SampleEditorList(4))] = SampleEditorList(4);
    originals[mcam8.AddEditorList(SampleEditorList(2, "\n"))] = SampleEditorList(2, "\n");
    const int started = CompanionLogCount("started");

    {
        VellantSetup setup;
        setup.InstallAllMastercamOptions(true, true, true, true, false);
    }
    for (const SampleInstall* mcam : {&mcam9, &mcam8}) {
        for (const AddonFile& file : kHookFiles) EXPECT_TRUE(PathExists(*mcam / file.target)) << file.target;
        for (const AddonFile& file : kOpMgrFiles) EXPECT_TRUE(PathExists(*mcam / file.target)) << file.target;
        EXPECT_TRUE(PathExists(*mcam / kEditorProgram.target));
    }
    EXPECT_NE(ReadFileText(mcam9 / "Mill9.txt").find("2. \"QTX_V2\""), std::string::npos);
    EXPECT_NE(ReadFileText(mcam8 / "Mill8.txt").find("2. \"QTX_V2\""), std::string::npos);
    EXPECT_EQ(ReadFileText(mcam9 / "wire.cfg"), originals[mcam9 / "wire.cfg"]);
    std::string editor;
    EXPECT_TRUE(GetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, "Mastercam Original Editor", editor));
    // One companion serves both Mastercam versions.
    EXPECT_TRUE(WaitForCompanionLog("started", started + 1));
    EXPECT_EQ(RunningCompanions().size(), 1u);

    RemoveAllMastercamOptions();
    for (const auto& [path, text] : originals) EXPECT_EQ(ReadFileText(path), text) << path;
    for (const SampleInstall* mcam : {&mcam9, &mcam8}) {
        for (const AddonFile& file : kHookFiles) EXPECT_FALSE(PathExists(*mcam / file.target)) << file.target;
        for (const AddonFile& file : kOpMgrFiles) EXPECT_FALSE(PathExists(*mcam / file.target)) << file.target;
        EXPECT_FALSE(PathExists(*mcam / kEditorFolder));
    }
    DWORD value = 1;
    EXPECT_TRUE(GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(mcam9 / "mill.cfg").c_str(), value));
    EXPECT_EQ(value, 0u);
    std::string run;
    EXPECT_FALSE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
    EXPECT_TRUE(RunningCompanions().empty());

    VellantSetup after;
    VellantSetupProbe probe(after);
    probe.Scan();
    ASSERT_EQ(probe.Records().size(), 4u);
    for (const McConfigFile& record : probe.Records())
        for (int i = 0; i < kOptionCount; ++i) EXPECT_FALSE(record.installed[i]) << record.path << " " << i;
}

TEST_F(BatchTest, RemoveAllClearsEveryFlag) {
    SampleInstall mcam9(temp, 9);
    const std::string mill = mcam9.AddCfg("mill.cfg", SampleCfg(kMillLine, " QTX_V2"));
    const std::string lathe = mcam9.AddCfg("lathe.cfg", SampleCfg(kLatheLine + std::string(" gotoqtx*")));
    SetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(lathe).c_str(), 0x1E);
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    setup.RemoveAllMastercamOptions();
    ASSERT_EQ(probe.Records().size(), 2u);
    for (const McConfigFile& record : probe.Records())
        for (int i = 0; i < kOptionCount; ++i) EXPECT_FALSE(record.installed[i] || record.wanted[i]) << i;
    EXPECT_NE(ReadFileText(mill).find("851. NC editor?pfe32"), std::string::npos);
    for (int i = 0; i < kOptionCount; ++i) EXPECT_FALSE(probe.Options()[i]);
}
}  // namespace
