// Console host of the installer library: shows where Mastercam is and what its
// configuration files carry, and runs the batch install and removal.
//   korvane-setup                 where Mastercam 9 and 8 are installed
//   korvane-setup list            one line per configuration file
//   korvane-setup install [opts]  opts from: editor toolbar hook button tooldefs (default: all)
//   korvane-setup remove          every option out of every configuration file
// Every failed step is named with the Windows error; the exit code is then 1.
// KORVANE_SETUP_REGISTRY=<key> keeps the registry under HKEY_CURRENT_USER\<key>
// (for tests that run the host beside others).
#include "installer/VellantSetup.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {
void PrintWhere() {
    int nine = 9;
    int eight = 8;
    const PathString mcam9 = VellantSetup::GetMCAMPath(&nine);
    const PathString mcam8 = VellantSetup::GetMCAMPath(&eight);
    std::printf("Mastercam 9: %s\n", mcam9.IsEmpty() ? "(not found)" : static_cast<const char*>(mcam9));
    std::printf("Mastercam 8: %s\n", mcam8.IsEmpty() ? "(not found)" : static_cast<const char*>(mcam8));
}

void PrintList() {
    VellantSetup setup;
    setup.ScanConfigFiles();
    static const char* const names[kOptionCount] = {"hook", "button", "tooldefs", "disable", "toolbar", "editor"};
    for (const McConfigFile& record : setup.Records()) {
        std::printf("%-9s v%d  %s\n", KindLabel(record.kind), record.version, static_cast<const char*>(record.path));
        std::printf("           ");
        for (int i = 0; i < kOptionCount; ++i) std::printf(" %s=%d", names[i], record.installed[i] ? 1 : 0);
        std::printf("\n");
    }
    std::printf("%u configuration file(s)\n", static_cast<unsigned>(setup.Records().size()));
}

bool Has(int argc, char** argv, const char* option) {
    if (argc <= 2) return true;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

// Prints every failed step; true when none failed.
bool ReportFailures(const CommitReport& report) {
    for (const CommitStep* step : report.Failures()) {
        const bool copy = step->action == StepAction::BackUp || step->action == StepAction::CopyFile;
        const std::string what = copy ? step->detail + " -> " + step->target : step->target;
        std::printf("failed: %s %s: %s\n", ActionName(step->action), what.c_str(), WindowsErrorText(step->error).c_str());
    }
    return !report.Failed();
}

// The redirected roots stay open for the life of the process.
void RedirectRegistry() {
    const char* root = std::getenv("KORVANE_SETUP_REGISTRY");
    if (!root || !*root) return;
    for (const auto& [predefined, name] : {std::pair{HKEY_LOCAL_MACHINE, "\\Machine"}, std::pair{HKEY_CURRENT_USER, "\\User"}}) {
        HKEY key = nullptr;
        const std::string path = std::string(root) + name;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
            ::RegOverridePredefKey(predefined, key);
    }
}
}  // namespace

int main(int argc, char** argv) {
    RedirectRegistry();
    const char* command = argc > 1 ? argv[1] : "where";
    int result = 0;
    if (std::strcmp(command, "where") == 0) {
        PrintWhere();
    } else if (std::strcmp(command, "list") == 0) {
        PrintList();
    } else if (std::strcmp(command, "install") == 0) {
        VellantSetup setup;
        setup.InstallAllMastercamOptions(Has(argc, argv, "editor"), Has(argc, argv, "toolbar"), Has(argc, argv, "hook"),
                                         Has(argc, argv, "button"), Has(argc, argv, "tooldefs"));
        result = ReportFailures(setup.LastReport()) ? 0 : 1;
        if (result == 0) std::printf("installed\n");
    } else if (std::strcmp(command, "remove") == 0) {
        VellantSetup setup;
        setup.RemoveAllMastercamOptions();
        result = ReportFailures(setup.LastReport()) ? 0 : 1;
        if (result == 0) std::printf("removed\n");
    } else {
        std::fprintf(stderr, "usage: korvane-setup [where|list|install [editor] [toolbar] [hook] [button] [tooldefs]|remove]\n");
        result = 2;
    }
    return result;
}
