#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include <gtest/gtest.h>

namespace {
class Companion : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9{temp, 9};
    VellantSetup setup;
    VellantSetupProbe probe{setup};
};

// Install copies the hook's files, registers and starts the companion; remove takes back only
// its own file and signals the companion. Without a Mastercam folder the companion still comes and goes.
TEST_F(Companion, InstallStartsAndRemoveSignals) {
    const std::string getOps = mcam9 / "chooks\\QTXGetOps.dll", trans = mcam9 / "chooks\\QTXTrans.dll";
    for (const std::string& folder : {mcam9.Folder(), std::string()}) {
        const int started = CompanionLogCount("started"), stopped = CompanionLogCount("stopped");
        probe.InstallOpMgr(folder);
        EXPECT_TRUE(folder.empty() || (PathExists(getOps) && PathExists(trans)));
        std::string run;
        ASSERT_TRUE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
        EXPECT_EQ(run, "\"" + std::string(probe.CompanionPath()) + "\"");  // quoted: blanks cannot split it
        EXPECT_TRUE(probe.OpMgrInstalled());
        ASSERT_TRUE(WaitForCompanionLog("started", started + 1)) << folder;

        probe.RemoveOpMgr(folder);
        EXPECT_FALSE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
        EXPECT_FALSE(probe.OpMgrInstalled());
        EXPECT_TRUE(folder.empty() || (!PathExists(getOps) && PathExists(trans)));
        EXPECT_TRUE(WaitForCompanionLog("stopped", stopped + 1)) << folder;
    }
    // Remove cleans up without a registration; only a non-empty Run value counts as installed.
    WriteFileText(mcam9 / "chooks\\QTXGetOps.dll", "old");
    probe.RemoveOpMgr(mcam9.Folder());
    EXPECT_FALSE(PathExists(mcam9 / "chooks\\QTXGetOps.dll"));
    EXPECT_FALSE(probe.OpMgrInstalled());
    SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, "");
    EXPECT_FALSE(probe.OpMgrInstalled());
    // A bare path, as earlier versions stored it, still counts, and remove still takes it away.
    SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, "C:\\x\\qtx2cam.exe");
    EXPECT_TRUE(probe.OpMgrInstalled());
    probe.RemoveOpMgr(mcam9.Folder());
    EXPECT_FALSE(probe.OpMgrInstalled());
}
}  // namespace
