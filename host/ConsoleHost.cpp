// Console host of the installer library: shows where Mastercam is and what its
// configuration files carry, runs the batch install and removal, and shows what
// either would change before anything is written. See Usage() for the commands.
// KORVANE_SETUP_REGISTRY=<key> keeps the registry under HKEY_CURRENT_USER\<key>
// (for tests that run the host beside others); KORVANE_SETUP_LOCK_WAIT=<ms> bounds
// the wait for another run on the same Mastercam installation.
#include "host/JsonReport.h"
#include "host/OptionNames.h"
#include "host/UnifiedDiff.h"
#include "installer/VellantSetup.h"
#include <windows.h>
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
enum ExitCode { kDone = 0, kStepFailed = 1, kUsage = 2, kBusy = 4 };

const char* const kUsageLine =
    "usage: korvane-setup [--json] [where | list | install [OPTION...] | remove | plan install [OPTION...] | plan "
    "remove]";

void PrintHelp() {
    std::printf(
        "%s\n\n"
        "Installs the Korvane Utilities add-ons into Mastercam 9 and 8 and removes them.\n\n"
        "Commands:\n"
        "  where                  where Mastercam 9 and 8 are installed (the default)\n"
        "  list                   every configuration file, its kind and the options it carries\n"
        "  install [OPTION...]    adds the options to every Mill and Router configuration file\n"
        "  remove                 takes every option out of every configuration file\n"
        "  plan install [OPTION...], plan remove\n"
        "                         what install or remove would change, changing nothing: a unified\n"
        "                         diff per file, then the add-on files, folders, registry values and\n"
        "                         companion actions\n\n"
        "Options of install (all five when none is named):\n"
        "  editor                 QTX_V2 as Mastercam's NC editor\n"
        "  toolbar                the gotoqtx toolbar button\n"
        "  hook                   the operations-manager hook with its companion program\n"
        "  button                 the operations-manager button\n"
        "  tooldefs               the operations-manager tool definitions\n\n"
        "  --json                 one JSON document instead of text\n"
        "  --help                 this text\n\n"
        "Exit codes: 0 done, 1 a step failed (each failed step is named with its Windows error),\n"
        "2 the command line was not understood, 4 another installer run is in progress (nothing was changed).\n",
        kUsageLine);
}

struct Command {
    std::string name;  // where, list, install, remove
    bool plan = false;
    bool json = false;
    std::set<std::string> options;
};

// False when the command line is not one of the forms above.
bool Parse(int argc, char** argv, Command& command, bool& help) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--json")
            command.json = true;
        else if (word == "--help" || word == "-h" || word == "/?")
            help = true;
        else
            words.push_back(word);
    }
    size_t at = 0;
    if (at < words.size() && words[at] == "plan") {
        command.plan = true;
        ++at;
    }
    command.name = at < words.size() ? words[at++] : command.plan ? "" : "where";
    const bool takesOptions = command.name == "install";
    if (command.plan && command.name != "install" && command.name != "remove") return false;
    if (!takesOptions && command.name != "where" && command.name != "list" && command.name != "remove") return false;
    for (; at < words.size(); ++at) {
        const bool known = std::find_if(std::begin(kOptionNames), std::end(kOptionNames),
                                        [&](const char* name) { return words[at] == name; }) != std::end(kOptionNames);
        if (!takesOptions || !known || words[at] == "disable") return false;
        command.options.insert(words[at]);
    }
    return true;
}

bool Wants(const Command& command, const char* option) {
    return command.options.empty() || command.options.count(option) > 0;
}

std::string Named(const CommitStep& step) {
    const bool copy = step.action == StepAction::BackUp || step.action == StepAction::CopyFile;
    if (copy) return step.detail + " -> " + step.target;
    if (step.action == StepAction::SetValue) return "HKCU\\" + step.target + " = " + step.detail;
    if (step.action == StepAction::DeleteValue) return "HKCU\\" + step.target;
    return step.target;
}

// Prints every failed step; true when none failed.
bool PrintFailures(const CommitReport& report) {
    for (const CommitStep* step : report.Failures())
        std::printf("failed: %s %s: %s\n", ActionName(step->action), Named(*step).c_str(),
                    WindowsErrorText(step->error).c_str());
    return !report.Failed();
}

void PrintPlan(const CommitReport& report) {
    for (const std::string& path : report.EditedFiles()) {
        const PlannedFile& file = report.files.at(path);
        std::fputs(UnifiedDiff(file.before, file.after, path, path + " (planned)").c_str(), stdout);
    }
    int unchanged = 0;
    for (const CommitStep& step : report.steps) {
        if (step.action == StepAction::WriteFile && step.outcome == StepOutcome::Planned) continue;
        if (step.outcome == StepOutcome::Unchanged) {
            ++unchanged;
            continue;
        }
        const char* mark = step.outcome == StepOutcome::Failed ? "would fail: " : "";
        std::printf("%s%s %s", mark, ActionName(step.action), Named(step).c_str());
        if (step.outcome == StepOutcome::Failed) std::printf(": %s", WindowsErrorText(step.error).c_str());
        std::printf("\n");
    }
    std::printf("%d step(s) already as wanted; nothing was changed\n", unchanged);
}

void PrintList(const std::vector<McConfigFile>& records) {
    for (const McConfigFile& record : records) {
        std::printf("%-9s v%d  %s\n", KindLabel(record.kind), record.version, static_cast<const char*>(record.path));
        std::printf("           ");
        for (int i = 0; i < kOptionCount; ++i) std::printf(" %s=%d", kOptionNames[i], record.installed[i] ? 1 : 0);
        std::printf("\n");
    }
    std::printf("%u configuration file(s)\n", static_cast<unsigned>(records.size()));
}

void PrintJson(const nlohmann::ordered_json& document) { std::printf("%s\n", document.dump(2).c_str()); }

int Where(const Command& command) {
    int nine = 9;
    int eight = 8;
    const PathString mcam9 = VellantSetup::GetMCAMPath(&nine);
    const PathString mcam8 = VellantSetup::GetMCAMPath(&eight);
    if (command.json) {
        PrintJson(WhereJson(mcam9, mcam8));
        return kDone;
    }
    std::printf("Mastercam 9: %s\n", mcam9.IsEmpty() ? "(not found)" : static_cast<const char*>(mcam9));
    std::printf("Mastercam 8: %s\n", mcam8.IsEmpty() ? "(not found)" : static_cast<const char*>(mcam8));
    return kDone;
}

int List(const Command& command) {
    VellantSetup setup;
    setup.ScanConfigFiles();
    if (command.json)
        PrintJson({{"command", "list"}, {"records", RecordsJson(setup.Records())}});
    else
        PrintList(setup.Records());
    return kDone;
}

// install, remove, and their plans.
int Change(const Command& command) {
    VellantSetup setup;
    setup.SetPlanning(command.plan);
    if (const char* wait = std::getenv("KORVANE_SETUP_LOCK_WAIT")) setup.SetLockWait(std::strtoul(wait, nullptr, 10));
    if (command.name == "install")
        setup.InstallAllMastercamOptions(Wants(command, "editor"), Wants(command, "toolbar"), Wants(command, "hook"),
                                         Wants(command, "button"), Wants(command, "tooldefs"));
    else
        setup.RemoveAllMastercamOptions();
    const CommitReport& report = setup.LastReport();
    const bool failed = report.Failed();
    if (command.json) {
        nlohmann::ordered_json document = {{"command", (command.plan ? "plan " : "") + command.name},
                                           {"planned", command.plan},
                                           {"failed", failed},
                                           {"records", RecordsJson(setup.Records())},
                                           {"steps", StepsJson(report)}};
        if (command.plan) document["files"] = PlannedFilesJson(report);
        PrintJson(document);
    } else if (command.plan) {
        PrintPlan(report);
    } else {
        PrintFailures(report);
        if (report.Busy()) std::fprintf(stderr, "another installer run is in progress; nothing was changed\n");
        if (!failed) std::printf(command.name == "install" ? "installed\n" : "removed\n");
    }
    if (report.Busy()) return kBusy;
    // A plan only tells: a step it foresees failing is in its output, not an error.
    return failed && !command.plan ? kStepFailed : kDone;
}

// The redirected roots stay open for the life of the process.
void RedirectRegistry() {
    const char* root = std::getenv("KORVANE_SETUP_REGISTRY");
    if (!root || !*root) return;
    for (const auto& [predefined, name] :
         {std::pair{HKEY_LOCAL_MACHINE, "\\Machine"}, std::pair{HKEY_CURRENT_USER, "\\User"}}) {
        HKEY key = nullptr;
        const std::string path = std::string(root) + name;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
            ::RegOverridePredefKey(predefined, key);
    }
}
}  // namespace

int main(int argc, char** argv) {
    // Output to a file or a pipe goes out in large pieces, not a write per line.
    if (!_isatty(_fileno(stdout))) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    Command command;
    bool help = false;
    if (!Parse(argc, argv, command, help)) {
        std::fprintf(stderr, "%s\n", kUsageLine);
        return kUsage;
    }
    if (help) {
        PrintHelp();
        return kDone;
    }
    RedirectRegistry();
    if (command.name == "where") return Where(command);
    if (command.name == "list") return List(command);
    return Change(command);
}
