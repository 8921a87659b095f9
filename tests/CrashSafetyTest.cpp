// Nothing the user owns is lost: runs that are killed at any moment or whose
// writes fail leave every file whole, say what failed, and a run again finishes.
#include "HostProcess.h"
#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/AtomicFile.h"
#include "foundation/PlannedFailure.h"
#include <gtest/gtest.h>
#include <chrono>
#include <cstdlib>
#include <random>

namespace {
const char* const kEditors[] = {" pfe32", " notepad", " CIMCO Edit", " c:\\tools\\ed.exe"};

// A configuration file of about `size` bytes: the sample with filler settings after it.
std::string LargeCfg(int index, size_t size) {
    std::string text = SampleCfg(index % 3 == 2 ? kRouterLine : kMillLine, kEditors[index % 4], 4 + index % 5);
    const std::string filler =
        "5000. Filler setting of file " + std::to_string(index) + "? " + std::string(60, 'f') + "\r\n";
    while (text.size() < size) text += filler;
    return text;
}

// Sample Mastercam 9 files with their original and fully installed contents.
struct Installation {
    Installation(const TempFolder& root, int files, size_t size) : mcam(root, 9) {
        for (int i = 0; i < files; ++i) {
            paths.push_back(mcam.AddCfg("file" + std::to_string(i) + ".cfg", LargeCfg(i, size)));
            original.push_back(ReadFileText(paths.back()));
        }
        paths.push_back(mcam.AddEditorList(SampleEditorList(3)));
        original.push_back(ReadFileText(paths.back()));
    }
    std::vector<std::string> Contents() const {
        std::vector<std::string> now;
        for (const std::string& path : paths) now.push_back(ReadFileText(path));
        return now;
    }
    // Every file and every backup is its old or its new content, never a part.
    void ExpectWhole(const std::vector<std::string>& installed, const std::string& when) const {
        for (size_t i = 0; i < paths.size(); ++i) {
            const std::string now = ReadFileText(paths[i]);
            EXPECT_TRUE(now == original[i] || now == installed[i]) << paths[i] << " " << when;
            if (!PathExists(paths[i] + ".QTXSave")) continue;
            const std::string backup = ReadFileText(paths[i] + ".QTXSave");
            EXPECT_TRUE(backup == original[i] || backup == installed[i]) << paths[i] << ".QTXSave " << when;
        }
    }
    SampleInstall mcam;
    std::vector<std::string> paths;  // the configuration files, then the editor list
    std::vector<std::string> original;
};

class CrashSafety : public ::testing::Test {
protected:
    RegistrySandbox registry;
    TempFolder temp;
};

TEST_F(CrashSafety, KilledRunsLoseNothingAndFinishWhenRunAgain) {
    const char* const envRounds = std::getenv("VELLANTS_KILL_ROUNDS");
    const int rounds = envRounds ? std::atoi(envRounds) : 6;
    Installation files(temp, 20, 1 << 20);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunHost(registry, "install editor toolbar").exitCode, 0u);
    const auto fullRun =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    const std::vector<std::string> installed = files.Contents();
    ASSERT_EQ(RunHost(registry, "remove").exitCode, 0u);
    ASSERT_EQ(files.Contents(), files.original);

    std::mt19937 random(20261207);
    std::uniform_int_distribution<DWORD> moment(0, static_cast<DWORD>(fullRun.count()));
    int killed = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool install = round % 2 == 0;
        const std::string command = install ? "install editor toolbar" : "remove";
        killed += RunHost(registry, command, moment(random)).killed ? 1 : 0;
        files.ExpectWhole(installed, "after a killed " + command);
        const HostRun again = RunHost(registry, command);
        EXPECT_EQ(again.exitCode, 0u) << again.output;
        EXPECT_EQ(files.Contents(), install ? installed : files.original) << "round " << round;
        // The killed run's temporaries are cleared by the run that follows it.
        EXPECT_EQ(TemporariesBelow(temp.Path()), std::vector<std::string>()) << "round " << round;
        files.ExpectWhole(installed, "after " + command + " ran again");
    }
    EXPECT_GT(killed, 0);
    std::printf("%d rounds, %d runs killed, %zu files checked each round\n", rounds, killed, files.paths.size() * 2);
}

TEST_F(CrashSafety, FailedWritesLeaveFilesWholeAndAreReported) {
    Installation reference(temp, 3, 4096);
    std::vector<std::string> installed;
    {
        VellantSetup setup;
        setup.InstallAllMastercamOptions(true, true, false, false, false);
        installed = reference.Contents();
    }
    // Fail each write of an install in turn; with large enough n nothing fails.
    for (int n = 1;; ++n) {
        TempFolder root;
        Installation files(root, 3, 4096);
        VellantSetup setup;
        FailNthFileWriteForTests(n);
        setup.InstallAllMastercamOptions(true, true, false, false, false);
        const int left = FailNthFileWriteForTests(0);
        const CommitReport& report = setup.LastReport();
        if (!report.Failed()) {
            EXPECT_GT(left, 0) << "the failure of write " << n << " was swallowed";
            EXPECT_EQ(files.Contents(), installed);
            EXPECT_GT(n, 4);
            break;
        }
        ASSERT_EQ(report.Failures().size(), 1u) << n;
        EXPECT_EQ(report.Failures()[0]->error, static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(TemporariesBelow(root.Path()), std::vector<std::string>()) << n;
        files.ExpectWhole(installed, "write " + std::to_string(n) + " failed");
        VellantSetup again;
        again.InstallAllMastercamOptions(true, true, false, false, false);
        EXPECT_FALSE(again.LastReport().Failed()) << n;
        EXPECT_EQ(files.Contents(), installed) << "after write " << n << " failed and install ran again";
    }
}
}  // namespace
