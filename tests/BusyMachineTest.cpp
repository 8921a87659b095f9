// Several installer runs on one Mastercam installation at once: each waits for the
// one before, so that the installation always ends as the runs would leave it one
// after another, in some order, and every run's report is true.
#include "HostProcess.h"
#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/TextSearch.h"
#include "installer/AddonFiles.h"
#include "installer/EditorList.h"
#include "settings/ProgramConfiguration.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

namespace {
// Mill and Router files after each command; other kinds keep theirs, unless a remove ran.
struct Command {
    const char* arguments;
    bool options[kOptionCount];
};
const Command kCommands[] = {
    {"install", {true, true, true, false, true, true}},
    {"remove", {}},
    {"install editor", {false, false, false, false, false, true}},
    {"install toolbar", {false, false, false, false, true, false}},
};

void DeleteRunValue() {
    RegistryKey run;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyName, 0, KEY_SET_VALUE, run.Out()) == ERROR_SUCCESS)
        ::RegDeleteValueA(run.Get(), kRunValueName);
}

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

class BusyMachine : public ::testing::Test {
protected:
    void TearDown() override { StopAllCompanions(); }

    // A fresh installation of `files` configuration files whose options are drawn at random
    // and put in place by a Commit, so that the folder and the registry agree.
    std::unique_ptr<SampleInstall> RandomStart(const TempFolder& root, int files, std::mt19937& random) {
        StopAllCompanions();
        DeleteRunValue();
        auto mcam = std::make_unique<SampleInstall>(root, 9);
        const char* const lines[] = {kMillLine, kMillLine, kRouterLine, kLatheLine, kWireLine};
        for (int i = 0; i < files; ++i) {
            const std::string name = "f" + std::to_string(i) + ".cfg";
            pristine_[mcam->AddCfg(name, SampleCfg(lines[i % std::size(lines)]))] =
                SampleCfg(lines[i % std::size(lines)]);
        }
        mcam->AddEditorList(SampleEditorList(3));
        VellantSetup setup;
        VellantSetupProbe probe(setup);
        probe.Scan();
        for (McConfigFile& record : probe.Records())
            for (bool& wanted : record.wanted) wanted = random() % 3 == 0;
        probe.AllMill() = FALSE;
        probe.CommitAsGiven();
        return mcam;
    }

    // What is wrong with the installation, or empty when it is the state of the commands
    // run one after another in some order. Counts the configuration files checked.
    std::string Inconsistency(const SampleInstall& mcam, const std::vector<McConfigFile>& start,
                              const std::vector<const Command*>& ran, int& checked, bool& hook) {
        VellantSetup setup;
        setup.ScanConfigFiles();
        const std::vector<McConfigFile>& now = setup.Records();
        if (now.size() != start.size()) return "files missing";
        bool anyRemove = false;
        for (const Command* command : ran) anyRemove |= std::string(command->arguments) == "remove";
        bool lastFits = false;
        for (const Command* last : ran) {
            bool fits = true;
            for (size_t i = 0; i < now.size() && fits; ++i) {
                const bool millOrRouter = now[i].kind == kMill || now[i].kind == kRouter;
                for (int o = 0; o < kOptionCount; ++o) {
                    const bool expected = millOrRouter ? last->options[o] : !anyRemove && start[i].installed[o];
                    fits = fits && now[i].installed[o] == expected;
                }
            }
            lastFits |= fits;
        }
        if (!lastFits) return "the files carry a state no order of the commands gives";
        hook = false;
        bool toolbar = false, editor = false;
        for (const McConfigFile& record : now) {
            ++checked;
            hook |= record.installed[kOpMgrHook] || record.installed[kOpMgrButton] ||
                    record.installed[kOpMgrToolDefs] || record.installed[kOpMgrDisableToolpath];
            toolbar |= record.installed[kToolbar];
            editor |= record.installed[kEditor];
            const bool plain =
                std::none_of(std::begin(record.installed), std::end(record.installed), [](bool on) { return on; });
            if (plain && ReadFileText(record.path.Str()) != pristine_[record.path.Str()])
                return "removal did not give back " + record.path.Str();
        }
        for (const AddonFile& file : kHookFiles)
            if (PathExists(mcam / file.target) != (hook || toolbar)) return std::string("hook file ") + file.target;
        if (PathExists(mcam / kOpMgrFiles[0].target) != hook) return "operations-manager library";
        std::string run;
        if (GetRegText(HKEY_CURRENT_USER, kRunKeyName, kRunValueName, run) != hook) return "Run registration";
        if (RunningCompanions().size() != (hook ? 1u : 0u))
            return std::to_string(RunningCompanions().size()) + " companions";
        if (PathExists(mcam / kEditorProgram.target) != editor) return "editor program";
        if (EditorListHasHostEntry(ReadFileText(mcam / "Mill9.txt")) != editor) return "editor list entry";
        for (const auto& entry : std::filesystem::recursive_directory_iterator(mcam.Folder()))
            if (entry.path().string().find(".QTXNew") != std::string::npos) return "temporary " + entry.path().string();
        return std::string();
    }

    // Rounds of `hosts` console hosts started at once (0 to 150 ms apart) on a random start.
    void Rounds(int hosts) {
        const int rounds = EnvNumber("KORVANE_BUSY_ROUNDS", 3);
        const int files = EnvNumber("KORVANE_BUSY_FILES", 8);
        std::mt19937 random(20261207 + hosts);
        int checked = 0, inconsistent = 0, wrongClaims = 0, failedRuns = 0, companionsAfterRemove = 0;
        for (int round = 0; round < rounds; ++round) {
            TempFolder root;
            const auto mcam = RandomStart(root, files, random);
            VellantSetup before;
            before.ScanConfigFiles();
            std::vector<const Command*> ran;
            std::vector<std::unique_ptr<HostProcess>> started;
            for (int h = 0; h < hosts; ++h) {
                ran.push_back(&kCommands[random() % std::size(kCommands)]);
                started.push_back(std::make_unique<HostProcess>(registry, ran.back()->arguments));
                ::Sleep(random() % 151);
            }
            std::vector<HostRun> runs;
            for (auto& host : started) runs.push_back(host->Wait());
            bool hook = true;
            const std::string wrong = Inconsistency(*mcam, before.Records(), ran, checked, hook);
            for (size_t h = 0; h < runs.size(); ++h) {
                const bool remove = std::string(ran[h]->arguments) == "remove";
                const bool claimed =
                    runs[h].exitCode == 0 && runs[h].output.find(remove ? "removed" : "installed") != std::string::npos;
                failedRuns += claimed ? 0 : 1;
                wrongClaims += claimed && !wrong.empty() ? 1 : 0;
                EXPECT_TRUE(claimed) << ran[h]->arguments << ": " << runs[h].exitCode << "\n" << runs[h].output;
            }
            if (!hook) companionsAfterRemove += static_cast<int>(RunningCompanions().size());
            inconsistent += wrong.empty() ? 0 : 1;
            EXPECT_EQ(wrong, "") << "round " << round;
        }
        std::printf(
            "%d hosts at once: %d rounds, %d files checked, %d inconsistent, %d wrong claims of success, "
            "%d failed runs, %d companions alive where no file keeps the hook\n",
            hosts, rounds, checked, inconsistent, wrongClaims, failedRuns, companionsAfterRemove);
        EXPECT_EQ(companionsAfterRemove, 0);
    }

    RegistrySandbox registry;
    std::map<std::string, std::string> pristine_;
};

TEST_F(BusyMachine, TwoHostsAtOnce) { Rounds(2); }
TEST_F(BusyMachine, FourHostsAtOnce) { Rounds(4); }

// A run that finds the installation's lock held waits, then says so with exit code 4 and
// changes nothing; a lock its holder never let go of (a killed run) is taken over; a lock
// name held by an object that is not a mutex is a failed step.
TEST_F(BusyMachine, SecondRunWaitsThenReportsInProgress) {
    TempFolder root;
    SampleInstall mcam9(root, 9);
    mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    const std::string name = InstallationLockName(mcam9.Folder());
    const std::map<std::string, std::string> shortWait = {{"KORVANE_SETUP_LOCK_WAIT", "300"}};
    enum Holder { kHeld, kAbandoned, kSquatted, kFree };
    struct Case {
        Holder holder;
        DWORD exitCode;
        const char* says;
    };
    for (const Case& c : {Case{kHeld, 4, "another installer run is in progress"}, Case{kAbandoned, 0, "installed"},
                          Case{kSquatted, 1, "failed: lock installation"}, Case{kFree, 0, "installed"}}) {
        const std::string before = ReadFileText(mcam9 / "a.cfg");
        std::unique_ptr<NamedMutexHold> held;
        ScopedHandle squatter;
        if (c.holder == kHeld) held = std::make_unique<NamedMutexHold>(name, 0);
        if (c.holder == kSquatted) squatter.Reset(::CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
        ScopedHandle killed;  // owned by a thread that ends without letting go: the system abandons it
        if (c.holder == kAbandoned)
            std::thread([&] { killed.Reset(::CreateMutexA(nullptr, TRUE, name.c_str())); }).join();
        const HostRun run = HostProcess(registry, "install toolbar", shortWait).Wait();
        EXPECT_EQ(run.exitCode, c.exitCode) << c.holder << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.holder << "\n" << run.output;
        EXPECT_EQ(ReadFileText(mcam9 / "a.cfg") == before, c.exitCode != 0) << c.holder;
        if (c.exitCode == 0) RemoveAllMastercamOptions();
    }
    // Removal waits for the lock too: an installed file stays as it is.
    ASSERT_EQ(RunHost(registry, "install toolbar").exitCode, 0u);
    const std::string installed = ReadFileText(mcam9 / "a.cfg");
    {
        NamedMutexHold held(name, 0);
        EXPECT_EQ(HostProcess(registry, "remove", shortWait).Wait().exitCode, 4u);
    }
    EXPECT_EQ(ReadFileText(mcam9 / "a.cfg"), installed);
    RemoveAllMastercamOptions();
}

// The dialog scans, another run changes the installation, then the dialog applies: what the
// user chose is made, every other option follows the disk as it is now, and the dialog shows
// the state after the Commit.
TEST_F(BusyMachine, DialogAppliesOverAnotherRun) {
    TempFolder root;
    SampleInstall mcam9(root, 9);
    mcam9.AddEditorList(SampleEditorList(3));
    const std::string a = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    const std::string b = mcam9.AddCfg("b.cfg", SampleCfg(kMillLine));
    struct Case {
        const char* before;   // host command before the dialog opens
        const char* between;  // host command while it is open
        bool chooseA;         // single-file mode on a.cfg with the editor clicked; else the Mill scope as shown
        bool expected[2][kOptionCount];
    };
    const Case cases[] = {
        // The uninstaller removes everything the dialog saw; applying the scope puts it all back.
        {"install", "remove", false, {{true, true, true, false, true, true}, {true, true, true, false, true, true}}},
        // Another run adds the toolbar; the user gives a.cfg the editor: both stay.
        {"remove",
         "install toolbar",
         true,
         {{false, false, false, false, true, true}, {false, false, false, false, true, false}}},
    };
    ProgramConfiguration settings("test", "test");
    SetVellantConfig(&settings, nullptr);
    for (const Case& c : cases) {
        ASSERT_EQ(RunHost(registry, c.before).exitCode, 0u);
        VellantSetup setup;
        VellantSetupProbe probe(setup);
        ASSERT_TRUE(setup.Create(kSetupDialogTemplate));
        if (c.chooseA) {
            ::SendMessageA(setup.DlgItem(kIdConfigList), CB_SETCURSEL, 0, 0);
            ::SendMessageA(setup.m_hWnd, WM_COMMAND, MAKEWPARAM(kIdConfigList, CBN_SELENDOK),
                           reinterpret_cast<LPARAM>(setup.DlgItem(kIdConfigList)));
            ::SendMessageA(setup.m_hWnd, WM_COMMAND, MAKEWPARAM(kIdEditor, BN_CLICKED),
                           reinterpret_cast<LPARAM>(setup.DlgItem(kIdEditor)));
        }
        ASSERT_EQ(RunHost(registry, c.between).exitCode, 0u);
        setup.Commit();
        EXPECT_FALSE(setup.LastReport().Failed()) << c.between;

        VellantSetup after;
        after.ScanConfigFiles();
        ASSERT_EQ(after.Records().size(), 2u);
        for (int f = 0; f < 2; ++f) {
            for (int o = 0; o < kOptionCount; ++o) {
                EXPECT_EQ(after.Records()[f].installed[o], c.expected[f][o]) << c.between << " file " << f << " " << o;
                EXPECT_EQ(probe.Records()[f].installed[o], c.expected[f][o]) << c.between << " shown " << f << " " << o;
            }
        }
        const bool editor = c.expected[0][kEditor] || c.expected[1][kEditor];
        EXPECT_EQ(PathExists(mcam9 / kEditorProgram.target), editor) << c.between;
        EXPECT_EQ(EditorListHasHostEntry(ReadFileText(mcam9 / "Mill9.txt")), editor) << c.between;
        for (const AddonFile& file : kHookFiles) EXPECT_TRUE(PathExists(mcam9 / file.target)) << c.between;
        // The boxes show the files after the Commit: the chosen file's, or the scope's.
        const LRESULT shown = ::SendMessageA(setup.DlgItem(kIdToolbar), BM_GETCHECK, 0, 0);
        EXPECT_EQ(shown, BST_CHECKED) << c.between;
        EXPECT_EQ(::SendMessageA(setup.DlgItem(kIdConfigList), CB_GETCURSEL, 0, 0), c.chooseA ? 0 : CB_ERR);
        setup.DestroyWindow();
    }
    SetVellantConfig(nullptr, nullptr);
}

// A remove that cannot change one configuration file (held open by another program that
// shares it with no one, or only with readers) leaves that file's options and everything they use, says what it kept
// and why, and finishes once the file can be changed.
TEST_F(BusyMachine, RemoveKeepsWhatAnUnchangedFileUses) {
    for (const bool unreadable : {true, false}) {
        TempFolder root;
        SampleInstall mcam9(root, 9);
        mcam9.AddEditorList(SampleEditorList(3));
        const std::string stuck = mcam9.AddCfg("stuck.cfg", SampleCfg(kMillLine));
        const std::string free = mcam9.AddCfg("free.cfg", SampleCfg(kMillLine));
        // Mastercam 8 comes first and has nothing stuck: its own files go, the companion stays.
        SampleInstall mcam8(root, 8);
        mcam8.AddCfg("free8.cfg", SampleCfg(kMillLine));
        ASSERT_EQ(RunHost(registry, "install").exitCode, 0u);
        ScopedHandle holder(::CreateFileA(stuck.c_str(), GENERIC_READ, unreadable ? 0 : FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);

        VellantSetup setup;
        setup.RemoveAllMastercamOptions();
        const CommitReport& report = setup.LastReport();
        std::vector<std::string> kept;
        for (const CommitStep* step : report.Failures())
            if (step->action == StepAction::Keep) {
                kept.push_back(step->target);
                EXPECT_EQ(step->detail, "still used by " + stuck) << step->target;
            }
        // The unreadable file keeps its hook value too; the other only its text.
        std::vector<std::string> expected = {mcam9 / kHookFiles[0].target, mcam9 / kHookFiles[1].target,
                                             mcam9 / kHookFiles[2].target, mcam9 / kEditorProgram.target};
        if (unreadable)
            expected.insert(expected.begin(),
                            {mcam9 / kOpMgrFiles[0].target, std::string(kRunKeyName) + "\\" + kRunValueName});
        EXPECT_EQ(kept, expected) << unreadable;
        EXPECT_EQ(ReadFileText(free), SampleCfg(kMillLine)) << unreadable;
        EXPECT_FALSE(PathExists(mcam8 / kOpMgrFiles[0].target)) << unreadable;
        EXPECT_FALSE(PathExists(mcam8 / kHookFiles[0].target)) << unreadable;
        EXPECT_TRUE(EditorListHasHostEntry(ReadFileText(mcam9 / "Mill9.txt"))) << unreadable;
        EXPECT_EQ(RunningCompanions().size(), unreadable ? 1u : 0u) << unreadable;

        holder.Reset();
        VellantSetup again;
        again.RemoveAllMastercamOptions();
        EXPECT_FALSE(again.LastReport().Failed()) << unreadable;
        EXPECT_EQ(ReadFileText(stuck), SampleCfg(kMillLine)) << unreadable;
        EXPECT_EQ(ReadFileText(mcam9 / "Mill9.txt"), SampleEditorList(3)) << unreadable;
        for (const std::string& target : expected) EXPECT_FALSE(PathExists(target)) << target;
        EXPECT_TRUE(RunningCompanions().empty()) << unreadable;
    }
}

// Temporaries left by runs that were killed go with the next run, also beside files it
// does not change; a plan leaves them.
TEST_F(BusyMachine, NextRunClearsOrphans) {
    TempFolder root;
    SampleInstall mcam9(root, 9);
    const std::string cfg = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    const std::vector<std::string> orphans = {cfg + ".QTXNew", cfg + ".QTXSave.QTXNew", cfg + ".QTXNew-1-0-1",
                                              cfg + ".QTXSave.QTXNew-1-0-2"};
    for (const std::string& orphan : orphans) WriteFileText(orphan, "left by a killed run");
    ASSERT_EQ(RunHost(registry, "plan remove").exitCode, 0u);
    for (const std::string& orphan : orphans) EXPECT_TRUE(PathExists(orphan)) << orphan;
    ASSERT_EQ(RunHost(registry, "remove").exitCode, 0u);
    for (const std::string& orphan : orphans) EXPECT_FALSE(PathExists(orphan)) << orphan;
    EXPECT_EQ(ReadFileText(cfg), SampleCfg(kMillLine));
}
}  // namespace
