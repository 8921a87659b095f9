// Console host of the installer library: shows where Mastercam is and what its
// configuration files carry, runs the batch install and removal, and shows what
// either would change before anything is written. See PrintHelp() for the commands.
// The result goes to standard output, failed steps and errors to standard error.
// KORVANE_SETUP_REGISTRY=<key> keeps the registry under HKEY_CURRENT_USER\<key>
// (for tests that run the host beside others); KORVANE_SETUP_LOCK_WAIT=<ms> bounds
// the wait for another run on the same Mastercam installation.
#include "foundation/Owners.h"
#include "installer/JsonReport.h"
#include "installer/OptionNames.h"
#include "installer/UnifiedDiff.h"
#include "installer/VellantSetup.h"
#include "vellants/Version.h"
#include <windows.h>
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
enum ExitCode { kDone = 0, kStepFailed = 1, kUsage = 2, kNoMastercam = 3, kBusy = 4 };

const char* const kUsageLine =
    "usage: korvane-setup [--json] [--log FILE] [where | list | install [OPTION...] | remove | plan install "
    "[OPTION...] | plan remove]";

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
        "  --json                 one JSON document instead of text, failures too\n"
        "  --log FILE             appends the run's JSON document to FILE, one line per run\n"
        "  --version              the version of this program and of Vellants.dll\n"
        "  --help                 this text\n\n"
        "The result goes to standard output; failed steps and errors go to standard error.\n"
        "Exit codes: 0 done, 1 a step failed or a file could not be read (each is named with its\n"
        "Windows error), 2 the command line was not understood, 3 no Mastercam installation is\n"
        "registered, 4 another installer run is in progress (nothing was changed).\n",
        kUsageLine);
}

struct Command {
    std::string name;  // where, list, install, remove
    bool plan = false;
    bool json = false;
    bool help = false;
    bool version = false;
    std::string log;
    std::set<std::string> options;
};

bool IsOption(const std::string& word) {
    return word != "disable" && std::find_if(std::begin(kOptionNames), std::end(kOptionNames),
                                             [&](const char* name) { return word == name; }) != std::end(kOptionNames);
}

// Empty when the command line is one of the forms above; else the word not understood.
std::string Parse(int argc, char** argv, Command& command) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--json")
            command.json = true;
        else if (word == "--help" || word == "-h" || word == "/?")
            command.help = true;
        else if (word == "--version")
            command.version = true;
        else if (word == "--log" && i + 1 < argc && *argv[i + 1])
            command.log = argv[++i];
        else if (word == "--log" || (word.size() > 1 && word[0] == '-'))
            return word;
        else
            words.push_back(word);
    }
    size_t at = 0;
    if (at < words.size() && words[at] == "plan") {
        command.plan = true;
        ++at;
    }
    if (at == words.size()) {
        if (command.plan) return "plan";
        command.name = "where";
        return std::string();
    }
    command.name = words[at++];
    const bool known = command.name == "install" || command.name == "remove" ||
                       (!command.plan && (command.name == "where" || command.name == "list"));
    if (!known) return command.name;
    for (; at < words.size(); ++at) {
        if (command.name != "install" || !IsOption(words[at])) return words[at];
        command.options.insert(words[at]);
    }
    return std::string();
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

void PrintFailures(const std::vector<const CommitStep*>& failures) {
    for (const CommitStep* step : failures)
        std::fprintf(stderr, "failed: %s %s: %s\n", ActionName(step->action), Named(*step).c_str(),
                     WindowsErrorText(step->error).c_str());
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

// What a run ends with: its exit code and its JSON document (printed with --json,
// appended to the log).
struct Outcome {
    int exitCode;
    nlohmann::ordered_json document;
};

std::string CommandName(const Command& command) { return (command.plan ? "plan " : "") + command.name; }

Outcome NoMastercam(const Command& command) {
    const char* error = "no Mastercam installation is registered";
    if (!command.json) std::fprintf(stderr, "korvane-setup: %s\n", error);
    return {kNoMastercam, ErrorDocument(CommandName(command).c_str(), error)};
}

Outcome Where(const Command& command, const PathString& mcam9, const PathString& mcam8) {
    nlohmann::ordered_json document = Document("where");
    document.update(WhereJson(mcam9, mcam8));
    if (!command.json) {
        std::printf("Mastercam 9: %s\n", mcam9.IsEmpty() ? "(not found)" : static_cast<const char*>(mcam9));
        std::printf("Mastercam 8: %s\n", mcam8.IsEmpty() ? "(not found)" : static_cast<const char*>(mcam8));
    }
    if (!mcam9.IsEmpty() || !mcam8.IsEmpty()) return {kDone, document};
    const Outcome none = NoMastercam(command);
    document["error"] = none.document["error"];
    return {none.exitCode, document};
}

Outcome List(const Command& command) {
    VellantSetup setup;
    setup.ScanConfigFiles();
    CommitReport scan;
    scan.steps = setup.Unreadable();
    const std::vector<const CommitStep*> unreadable = scan.Failures();
    nlohmann::ordered_json document = Document("list");
    document["failed"] = !unreadable.empty();
    document["records"] = RecordsJson(setup.Records());
    document["unreadable"] = StepsJson(scan);
    if (!command.json) {
        PrintList(setup.Records());
        PrintFailures(unreadable);
    }
    return {unreadable.empty() ? kDone : kStepFailed, document};
}

// install, remove, and their plans.
Outcome Change(const Command& command) {
    VellantSetup setup;
    setup.SetPlanning(command.plan);
    if (const char* wait = std::getenv("KORVANE_SETUP_LOCK_WAIT")) setup.SetLockWait(std::strtoul(wait, nullptr, 10));
    if (command.name == "install")
        setup.InstallAllMastercamOptions(Wants(command, "editor"), Wants(command, "toolbar"), Wants(command, "hook"),
                                         Wants(command, "button"), Wants(command, "tooldefs"));
    else
        setup.RemoveAllMastercamOptions();
    const CommitReport& report = setup.LastReport();
    const std::vector<const CommitStep*> failures = report.Failures();
    if (command.plan && !command.json) {
        PrintPlan(report);
    } else if (!command.json) {
        PrintFailures(failures);
        if (report.Busy()) std::fprintf(stderr, "another installer run is in progress; nothing was changed\n");
        if (failures.empty())
            std::printf(command.name == "install" ? "installed\n" : "removed\n");
        else
            std::printf("%s: %u step(s) failed\n", command.name.c_str(), static_cast<unsigned>(failures.size()));
    }
    // A plan only tells: a step it foresees failing is in its output, not an error.
    const int code = report.Busy() ? kBusy : !failures.empty() && !command.plan ? kStepFailed : kDone;
    return {code, ChangeDocument(setup, command.name, command.plan)};
}

Outcome Run(const Command& command) {
    int nine = 9;
    int eight = 8;
    const PathString mcam9 = VellantSetup::GetMCAMPath(&nine);
    const PathString mcam8 = VellantSetup::GetMCAMPath(&eight);
    if (command.name == "where") return Where(command, mcam9, mcam8);
    if (mcam9.IsEmpty() && mcam8.IsEmpty()) return NoMastercam(command);
    if (command.name == "list") return List(command);
    return Change(command);
}

// Appends the document as one line; false (with the reason on standard error) when
// the log could not be written whole.
bool AppendToLog(const std::string& log, nlohmann::ordered_json document) {
    const std::time_t now = std::time(nullptr);
    char when[32] = {};
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    document["logged"] = when;
    const std::string line = document.dump() + "\n";
    ScopedHandle file(::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!file.Valid() || !::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
        error = ::GetLastError();
    else if (written != line.size())
        error = ERROR_DISK_FULL;
    if (error != ERROR_SUCCESS)
        std::fprintf(stderr, "korvane-setup: could not write the log %s: %s\n", log.c_str(),
                     WindowsErrorText(error).c_str());
    return error == ERROR_SUCCESS;
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
    const std::string notUnderstood = Parse(argc, argv, command);
    if (!notUnderstood.empty()) {
        const std::string error = "'" + notUnderstood + "' was not understood";
        if (command.json) {
            nlohmann::ordered_json document = ErrorDocument(nullptr, error);
            document["usage"] = kUsageLine;
            std::printf("%s\n", DocumentText(document).c_str());
        }
        std::fprintf(stderr, "korvane-setup: %s\n%s\n", error.c_str(), kUsageLine);
        return kUsage;
    }
    if (command.help) {
        PrintHelp();
        return kDone;
    }
    if (command.version) {
        if (command.json) {
            nlohmann::ordered_json document = Document("version");
            document["library"] = VellantsVersion();
            std::printf("%s\n", DocumentText(document).c_str());
        } else {
            std::printf("korvane-setup %s (Vellants.dll %s)\n", VELLANTS_VERSION, VellantsVersion());
        }
        return kDone;
    }
    RedirectRegistry();
    const Outcome outcome = Run(command);
    if (command.json) std::printf("%s\n", DocumentText(outcome.document).c_str());
    std::fflush(stdout);
    if (!command.log.empty() && !AppendToLog(command.log, outcome.document))
        return outcome.exitCode == kDone ? kStepFailed : outcome.exitCode;
    return outcome.exitCode;
}
