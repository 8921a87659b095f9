#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "installer/Machine.h"
#include <gtest/gtest.h>
#include <thread>

namespace {
class Companion : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    // The failed steps of the last Commit, as "action target".
    std::vector<std::string> Failures() {
        std::vector<std::string> failed;
        for (const CommitStep* step : setup.LastReport().Failures())
            failed.push_back(std::string(ActionName(step->action)) + " " + step->target);
        return failed;
    }
    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9{temp, 9};
    VellantSetup setup;
    VellantSetupProbe probe{setup};
};

// Install copies the hook's files, registers and starts the companion, once however often it
// runs; remove takes back only its own file and returns once the companion has ended. Without
// a Mastercam folder the companion still comes and goes.
TEST_F(Companion, OneCompanionThatRemoveStops) {
    const std::string getOps = mcam9 / "chooks\\QTXGetOps.dll", trans = mcam9 / "chooks\\QTXTrans.dll";
    for (const std::string& folder : {mcam9.Folder(), std::string()}) {
        const int started = CompanionLogCount("started"), stopped = CompanionLogCount("stopped");
        probe.InstallOpMgr(folder);
        probe.InstallOpMgr(folder);
        EXPECT_TRUE(folder.empty() || (PathExists(getOps) && PathExists(trans)));
        std::string run;
        ASSERT_TRUE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
        EXPECT_EQ(run, "\"" + std::string(probe.CompanionPath()) + "\"");  // quoted: blanks cannot split it
        EXPECT_TRUE(probe.OpMgrInstalled());
        // Install returns once the companion runs.
        EXPECT_EQ(CompanionLogCount("started"), started + 1) << folder;
        EXPECT_EQ(RunningCompanions().size(), 1u) << folder;

        probe.RemoveOpMgr(folder);
        EXPECT_FALSE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run));
        EXPECT_FALSE(probe.OpMgrInstalled());
        EXPECT_TRUE(folder.empty() || (!PathExists(getOps) && PathExists(trans)));
        EXPECT_EQ(CompanionLogCount("stopped"), stopped + 1) << folder;
        EXPECT_TRUE(RunningCompanions().empty()) << folder;
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
    for (const std::string& failed : Failures()) EXPECT_EQ(failed.rfind("copy file", 0), 0u) << failed;
}

// A name of the companion's held by an object of another kind fails the step that needs it,
// and no companion is left running.
TEST_F(Companion, SquattedNamesAreReportedFailures) {
    struct Case {
        const char* squatted;
        bool asEvent;  // else as a mutex
    };
    for (const Case& c : {Case{"QTX2CAM Shutdown", false}, Case{"QTX2CAM Running", true}}) {
        ScopedHandle squatter(c.asEvent ? ::CreateEventA(nullptr, TRUE, FALSE, c.squatted)
                                        : ::CreateMutexA(nullptr, FALSE, c.squatted));
        ASSERT_TRUE(squatter) << c.squatted;
        probe.Records() = {};
        const std::string cfg = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
        setup.InstallAllMastercamOptions(false, false, true, false, false);
        EXPECT_EQ(Failures(), std::vector<std::string>{"start program \"" + std::string(probe.CompanionPath()) + "\""})
            << c.squatted;
        EXPECT_TRUE(RunningCompanions().empty()) << c.squatted;
        probe.Records() = {};
        setup.RemoveAllMastercamOptions();
        // A Run value gone is what remove promises; the stop it could not ask is named.
        std::string run;
        EXPECT_FALSE(GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run)) << c.squatted;
        ASSERT_EQ(setup.LastReport().Failures().size(), 1u) << c.squatted;
        EXPECT_EQ(setup.LastReport().Failures()[0]->action, StepAction::SignalEvent) << c.squatted;
    }
}
// A companion that does not end when asked is a failed step; install starts no second one.
TEST_F(Companion, OneThatDoesNotEndIsReported) {
    // A companion that never ends: it holds the running mutex until told to let go.
    ScopedHandle letGo(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        owned(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread stuck([&] {
        ScopedHandle running(::CreateMutexA(nullptr, TRUE, "QTX2CAM Running"));
        ::SetEvent(owned.Get());
        ::WaitForSingleObject(letGo.Get(), INFINITE);
        ::ReleaseMutex(running.Get());
    });
    ASSERT_EQ(::WaitForSingleObject(owned.Get(), 10000), WAIT_OBJECT_0);
    const int started = CompanionLogCount("started");
    mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    setup.InstallAllMastercamOptions(false, false, true, false, false);
    EXPECT_EQ(Failures(), std::vector<std::string>{});
    EXPECT_EQ(CompanionLogCount("started"), started);
    // Also when it began to run just before the start: the one running is left to run.
    CommitReport report;
    LiveMachine(report).Start("\"" + std::string(probe.CompanionPath()) + "\"", "QTX2CAM Shutdown", "QTX2CAM Running");
    ASSERT_EQ(report.steps.size(), 1u);
    EXPECT_EQ(report.steps[0].outcome, StepOutcome::Unchanged);
    probe.Records() = {};
    setup.RemoveAllMastercamOptions();
    EXPECT_EQ(Failures(), std::vector<std::string>{"signal event QTX2CAM Shutdown"});
    EXPECT_EQ(setup.LastReport().Failures()[0]->error, static_cast<DWORD>(WAIT_TIMEOUT));
    ::SetEvent(letGo.Get());
    stuck.join();
}
}  // namespace
