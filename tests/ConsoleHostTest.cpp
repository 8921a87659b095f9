// The console host in silent deployment: the result on standard output, failures on
// standard error, exit codes a script can act on, and a log of every run.
#include "HostProcess.h"
#include "SampleMastercam.h"
#include "foundation/Owners.h"
#include "vellants/Version.h"
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <filesystem>
#include <sstream>

namespace {
class ConsoleHost : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }
    RegistrySandbox registry;
    TempFolder temp;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ConsoleHost, UsageErrorNamesTheWordNotUnderstood) {
    const std::pair<std::string, std::string> cases[] = {
        {"install banana", "banana"}, {"--verbose list", "--verbose"}, {"plan list", "list"},
        {"remove editor", "editor"},  {"install disable", "disable"},  {"plan", "plan"},
        {"list --log", "--log"}};
    for (const auto& [arguments, word] : cases) {
        const HostRun text = RunHost(registry, arguments);
        EXPECT_EQ(text.exitCode, 2u) << arguments;
        EXPECT_TRUE(Has(text.err, "'" + word + "' was not understood")) << arguments << "\n" << text.err;
        EXPECT_TRUE(Has(text.output, "usage: korvane-setup")) << arguments;
        EXPECT_TRUE(text.out.empty()) << arguments << "\n" << text.out;
        const HostRun json = RunHost(registry, "--json " + arguments);
        EXPECT_EQ(json.exitCode, 2u) << arguments;
        const nlohmann::json document = nlohmann::json::parse(json.out);
        EXPECT_EQ(document["version"], VELLANTS_VERSION);
        EXPECT_TRUE(Has(document["error"].get<std::string>(), "'" + word + "'")) << json.out;
    }
}

TEST_F(ConsoleHost, NoMastercamExitsWithThree) {
    for (const char* command : {"where", "list", "install", "remove", "plan install", "plan remove"}) {
        const HostRun text = RunHost(registry, command);
        EXPECT_EQ(text.exitCode, 3u) << command << "\n" << text.output;
        EXPECT_TRUE(Has(text.err, "no Mastercam installation is registered")) << command;
        const HostRun json = RunHost(registry, std::string("--json ") + command);
        EXPECT_EQ(json.exitCode, 3u) << command;
        const nlohmann::json document = nlohmann::json::parse(json.out);
        EXPECT_EQ(document["version"], VELLANTS_VERSION);
        EXPECT_EQ(document["command"], command);
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kQtx2camKeyName));
}

TEST_F(ConsoleHost, FailuresGoToStandardErrorAndTheResultToStandardOutput) {
    SampleInstall mcam9(temp, 9);
    const std::string mill = mcam9.AddCfg("mill.cfg", SampleCfg(kMillLine));
    const std::string router = mcam9.AddCfg("router.cfg", SampleCfg(kRouterLine));
    // Held open by another program that allows no sharing.
    ScopedHandle held(::CreateFileA(mill.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.Valid());

    const HostRun list = RunHost(registry, "list");
    EXPECT_EQ(list.exitCode, 1u);
    EXPECT_TRUE(Has(list.err, mill)) << list.err;
    EXPECT_TRUE(Has(list.out, "router.cfg")) << list.out;
    EXPECT_FALSE(Has(list.out, mill));
    const HostRun listJson = RunHost(registry, "--json list");
    EXPECT_EQ(listJson.exitCode, 1u);
    EXPECT_TRUE(listJson.err.empty()) << listJson.err;
    const nlohmann::json document = nlohmann::json::parse(listJson.out);
    ASSERT_EQ(document["unreadable"].size(), 1u);
    EXPECT_EQ(document["unreadable"][0]["target"], mill);
    EXPECT_TRUE(document["failed"].get<bool>());

    const HostRun install = RunHost(registry, "install editor toolbar");
    EXPECT_EQ(install.exitCode, 1u);
    EXPECT_TRUE(Has(install.err, "failed: ") && Has(install.err, mill)) << install.err;
    EXPECT_TRUE(Has(install.out, "step(s) failed")) << install.out;
    EXPECT_FALSE(Has(install.out, mill) || Has(install.out, "installed")) << install.out;
    // The held file is left as it was, the others are edited, and a run again finishes.
    EXPECT_NE(ReadFileText(router), SampleCfg(kRouterLine));
    held.Reset();
    EXPECT_EQ(ReadFileText(mill), SampleCfg(kMillLine));
    EXPECT_EQ(RunHost(registry, "install editor toolbar").exitCode, 0u);
    EXPECT_NE(ReadFileText(mill), SampleCfg(kMillLine));
}

TEST_F(ConsoleHost, LogGetsOneDocumentPerRun) {
    SampleInstall mcam9(temp, 9);
    mcam9.AddCfg("mill.cfg", SampleCfg(kMillLine));
    const std::string log = temp / "runs.log";
    EXPECT_EQ(RunHost(registry, "--log \"" + log + "\" install editor").exitCode, 0u);
    EXPECT_EQ(RunHost(registry, "--json remove --log \"" + log + "\"").exitCode, 0u);
    std::istringstream lines(ReadFileText(log));
    std::vector<nlohmann::json> runs;
    for (std::string line; std::getline(lines, line);) runs.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]["command"], "install");
    EXPECT_EQ(runs[1]["command"], "remove");
    for (const nlohmann::json& run : runs) {
        EXPECT_EQ(run["version"], VELLANTS_VERSION);
        EXPECT_FALSE(run["failed"].get<bool>());
        EXPECT_FALSE(run["steps"].empty());
        EXPECT_TRUE(run["logged"].is_string());
    }
    // A log that cannot be written is a failure of the run, named on standard error.
    const std::string nowhere = temp / "no such folder\\runs.log";
    const HostRun unlogged = RunHost(registry, "--log \"" + nowhere + "\" where");
    EXPECT_EQ(unlogged.exitCode, 1u);
    EXPECT_TRUE(Has(unlogged.err, nowhere)) << unlogged.err;
    EXPECT_TRUE(Has(unlogged.out, "Mastercam 9")) << unlogged.out;
}

// An add-on file missing beside the host is a failed copy that names it; nothing else
// takes its place.
TEST_F(ConsoleHost, MissingAddonFileIsAFailedCopy) {
    SampleInstall mcam9(temp, 9);
    const std::string mill = mcam9.AddCfg("mill.cfg", SampleCfg(kMillLine));
    TempFolder host;
    namespace fs = std::filesystem;
    fs::create_directories(host / "Vellants\\Mastercam");
    for (const fs::directory_entry& file : fs::directory_iterator(TestProgramFolder()))
        if (file.path().extension() == ".dll" || file.path().filename() == "korvane-setup.exe")
            fs::copy_file(file.path(), host / file.path().filename().string());
    for (const fs::directory_entry& file : fs::directory_iterator(TestProgramFolder() + "Vellants\\Mastercam"))
        if (file.path().filename() != "GotoQTX.dll")
            fs::copy_file(file.path(), host / ("Vellants\\Mastercam\\" + file.path().filename().string()));
    const HostRun install = RunProgram(registry, host / "korvane-setup.exe", "install toolbar");
    EXPECT_EQ(install.exitCode, 1u) << install.output;
    EXPECT_TRUE(Has(install.err, "GotoQTX.dll")) << install.err;
    EXPECT_FALSE(PathExists(mcam9 / "chooks\\GotoQTX.dll"));
}
}  // namespace
