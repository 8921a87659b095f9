#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include <gtest/gtest.h>

namespace {
class Companion : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    RegistrySandbox registry;
};

TEST_F(Companion, InstallStartsAndRemoveSignals) {
    TempFolder temp;
    SampleInstall mcam9(temp, 9);
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    const int started = CompanionLogCount("started");
    const int stopped = CompanionLogCount("stopped");

    probe.InstallOpMgr(mcam9.Folder());
    EXPECT_TRUE(PathExists(mcam9 / "chooks\\QTXGetOps.dll"));
    EXPECT_TRUE(PathExists(mcam9 / "chooks\\QTXTrans.dll"));
    std::string run;
    ASSERT_TRUE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
    EXPECT_EQ(run, std::string(probe.CompanionPath()));
    EXPECT_TRUE(probe.OpMgrInstalled());
    ASSERT_TRUE(WaitForCompanionLog("started", started + 1));

    probe.RemoveOpMgr(mcam9.Folder());
    EXPECT_FALSE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
    EXPECT_FALSE(probe.OpMgrInstalled());
    EXPECT_FALSE(PathExists(mcam9 / "chooks\\QTXGetOps.dll"));
    EXPECT_TRUE(PathExists(mcam9 / "chooks\\QTXTrans.dll"));
    EXPECT_TRUE(WaitForCompanionLog("stopped", stopped + 1));
}

TEST_F(Companion, RemoveWithoutRegistrationStillCleansUp) {
    TempFolder temp;
    SampleInstall mcam9(temp, 9);
    WriteFileText(mcam9 / "chooks\\QTXGetOps.dll", "old");
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    probe.RemoveOpMgr(mcam9.Folder());
    EXPECT_FALSE(PathExists(mcam9 / "chooks\\QTXGetOps.dll"));
    EXPECT_FALSE(probe.OpMgrInstalled());
}

TEST_F(Companion, RegistrationTest) {
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    EXPECT_FALSE(probe.OpMgrInstalled());
    SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, "");
    EXPECT_FALSE(probe.OpMgrInstalled());
    SetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, "C:\\x\\qtx2cam.exe");
    EXPECT_TRUE(probe.OpMgrInstalled());
}

TEST_F(Companion, EmptyFolderStillRegistersAndStarts) {
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    const int started = CompanionLogCount("started");
    const int stopped = CompanionLogCount("stopped");
    probe.InstallOpMgr("");
    EXPECT_TRUE(probe.OpMgrInstalled());
    ASSERT_TRUE(WaitForCompanionLog("started", started + 1));
    probe.RemoveOpMgr("");
    EXPECT_TRUE(WaitForCompanionLog("stopped", stopped + 1));
}
}  // namespace
