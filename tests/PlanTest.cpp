// A plan is the run that did not happen: it changes nothing, and the real run then
// writes exactly what it planned.
#include "HostProcess.h"
#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "installer/AddonFiles.h"
#include "installer/UnifiedDiff.h"
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {
class Plan : public ::testing::Test {
protected:
    void SetUp() override {
        for (SampleInstall* mcam : {&mcam9, &mcam8}) {
            mcam->AddCfg("mill.cfg", SampleCfg(kMillLine, " notepad", 6));
            mcam->AddCfg("router.cfg", SampleCfg(kRouterLine, " CIMCO Edit", 3, "\n"));
            mcam->AddCfg("lathe.cfg", SampleCfg(kLatheLine));
            mcam->AddEditorList(SampleEditorList(3));
        }
    }
    void TearDown() override { StopAllCompanions(); }

    std::map<std::string, std::string> Machine() {
        std::map<std::string, std::string> state = FolderSnapshot(temp.Path());
        for (const auto& [name, value] : RegistrySnapshot(HKEY_CURRENT_USER)) state["HKCU" + name] = value;
        for (const auto& [name, value] : RegistrySnapshot(HKEY_LOCAL_MACHINE)) state["HKLM" + name] = value;
        return state;
    }

    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9{temp, 9};
    SampleInstall mcam8{temp, 8};
};

void Install(VellantSetup& setup) { setup.InstallAllMastercamOptions(true, true, true, true, true); }
void Remove(VellantSetup& setup) { setup.RemoveAllMastercamOptions(); }

TEST_F(Plan, ChangesNothingAndTheRunWritesWhatItPlanned) {
    for (void (*change)(VellantSetup&) : {Install, Remove}) {
        // A file of the user's beside the editor keeps its folder, in the plan as in the run.
        if (change == Remove) WriteFileText(mcam9 / (std::string(kEditorFolder) + "\\notes.txt"), "mine");
        const std::map<std::string, std::string> before = Machine();
        VellantSetup planner;
        planner.SetPlanning(true);
        change(planner);
        const CommitReport plan = planner.LastReport();
        ASSERT_EQ(Machine(), before) << "planning changed something";
        ASSERT_TRUE(plan.planned);
        ASSERT_FALSE(plan.files.empty());

        VellantSetup runner;
        change(runner);
        const CommitReport& run = runner.LastReport();
        EXPECT_FALSE(run.Failed());
        ASSERT_EQ(run.steps.size(), plan.steps.size());
        for (size_t i = 0; i < run.steps.size(); ++i) {
            EXPECT_EQ(run.steps[i].action, plan.steps[i].action) << i;
            EXPECT_EQ(run.steps[i].target, plan.steps[i].target) << i;
            // A value the plan finds already as wanted is written all the same.
            const StepOutcome planned = plan.steps[i].outcome;
            const bool done = planned == StepOutcome::Planned ||
                              (planned == StepOutcome::Unchanged && run.steps[i].action == StepAction::SetValue);
            EXPECT_EQ(run.steps[i].outcome, done ? StepOutcome::Done : planned) << run.steps[i].target;
        }
        for (const auto& [path, file] : plan.files) EXPECT_EQ(ReadFileText(path), file.after) << path;
        ASSERT_EQ(planner.Records().size(), runner.Records().size());
        for (size_t i = 0; i < planner.Records().size(); ++i)
            for (int option = 0; option < kOptionCount; ++option)
                EXPECT_EQ(planner.Records()[i].wanted[option], runner.Records()[i].installed[option]);
    }
}

TEST_F(Plan, HostAnswersInJson) {
    const auto document = [&](const std::string& arguments) {
        const HostRun run = RunHost(registry, "--json " + arguments);
        EXPECT_EQ(run.exitCode, 0u) << arguments << "\n" << run.output;
        return nlohmann::json::parse(run.output);
    };
    const nlohmann::json list = document("list");
    ASSERT_EQ(list["records"].size(), 6u);
    for (const nlohmann::json& record : list["records"]) {
        EXPECT_TRUE(record["path"].is_string());
        EXPECT_TRUE(record["version"] == 9 || record["version"] == 8);
        EXPECT_TRUE(record["kind"].is_string());
        EXPECT_EQ(record["installed"].size(), 6u);
        EXPECT_EQ(record["wanted"], record["installed"]);
    }
    const nlohmann::json plan = document("plan install editor toolbar");
    EXPECT_TRUE(plan["planned"].get<bool>());
    EXPECT_EQ(plan["records"].size(), 6u);
    EXPECT_FALSE(plan["steps"].empty());
    for (const nlohmann::json& file : plan["files"]) EXPECT_EQ(file["diff"].get<std::string>().rfind("--- ", 0), 0u);
    const nlohmann::json install = document("install editor toolbar");
    EXPECT_FALSE(install["failed"].get<bool>());
    EXPECT_EQ(install["steps"].size(), plan["steps"].size());
    for (const nlohmann::json& step : install["steps"]) EXPECT_NE(step["result"], "failed") << step.dump();
}

TEST_F(Plan, HostCommandLine) {
    const HostRun help = RunHost(registry, "--help");
    EXPECT_EQ(help.exitCode, 0u);
    for (const char* word : {"where", "list", "install", "remove", "plan", "--json", "editor", "tooldefs"})
        EXPECT_NE(help.output.find(word), std::string::npos) << word;
    const HostRun plan = RunHost(registry, "plan remove");
    EXPECT_EQ(plan.exitCode, 0u);
    EXPECT_NE(plan.output.find("nothing was changed"), std::string::npos);
}

TEST(UnifiedDiff, HunksAsDiffPrintsThem) {
    std::string many;
    for (int i = 1; i <= 20; ++i) many += "line " + std::to_string(i) + "\n";
    std::string twoChanges = many;
    twoChanges.replace(twoChanges.find("line 2\n"), 7, "line two\n");
    twoChanges.replace(twoChanges.find("line 18\n"), 8, "");
    const struct {
        const char* name;
        std::string before, after, expected;
    } cases[] = {
        {"equal", "a\nb\n", "a\nb\n", ""},
        {"one change", "a\nb\nc\n", "a\nB\nc\n", "--- x\n+++ y\n@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
        {"into an empty file", "", "a\n", "--- x\n+++ y\n@@ -0,0 +1,1 @@\n+a\n"},
        {"ending alone changes", "a\r\nb\r\n", "a\r\nb\n", "--- x\n+++ y\n@@ -1,2 +1,2 @@\n a\n-b [CR LF]\n+b [LF]\n"},
        {"last line without ending", "a\nb", "a\nc",
         "--- x\n+++ y\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n"
         "\\ No newline at end of file\n"},
        {"two hunks", many, twoChanges,
         "--- x\n+++ y\n@@ -1,5 +1,5 @@\n line 1\n-line 2\n+line two\n line 3\n line 4\n line 5\n"
         "@@ -15,6 +15,5 @@\n line 15\n line 16\n line 17\n-line 18\n line 19\n line 20\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(UnifiedDiff(c.before, c.after, "x", "y"), c.expected) << c.name;
}
}  // namespace
