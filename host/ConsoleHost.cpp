// Console host of the installer library: shows where Mastercam is and what its
// configuration files carry, and runs the batch install and removal.
//   korvane-setup                 where Mastercam 9 and 8 are installed
//   korvane-setup list            one line per configuration file
//   korvane-setup install [opts]  opts from: editor toolbar hook button tooldefs (default: all)
//   korvane-setup remove          the uninstaller's entry point
#include "installer/VellantSetup.h"
#include <windows.h>
#include <cstdio>
#include <cstring>

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

int Remove(HMODULE library) {
    using RemoveAll = void (*)();
    auto remove = reinterpret_cast<RemoveAll>(reinterpret_cast<void*>(::GetProcAddress(library, "RemoveAllMastercamOptions")));
    if (!remove) {
        std::fprintf(stderr, "RemoveAllMastercamOptions is not exported\n");
        return 1;
    }
    remove();
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    HMODULE library = ::LoadLibraryA("Vellants.dll");
    if (!library) {
        std::fprintf(stderr, "Vellants.dll could not be loaded\n");
        return 1;
    }
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
        std::printf("installed\n");
    } else if (std::strcmp(command, "remove") == 0) {
        result = Remove(library);
        if (result == 0) std::printf("removed\n");
    } else {
        std::fprintf(stderr, "usage: korvane-setup [where|list|install [editor] [toolbar] [hook] [button] [tooldefs]|remove]\n");
        result = 2;
    }
    ::FreeLibrary(library);
    return result;
}
