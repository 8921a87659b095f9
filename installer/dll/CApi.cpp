// The C interface: every call runs under one lock (the installer keeps process-wide
// state) and turns whatever the library throws into a result below 0.
#include "installer/JsonReport.h"
#include "installer/VellantSetup.h"
#include "vellants/Vellants.h"
#include "vellants/Version.h"
#include <climits>
#include <cstring>
#include <mutex>
#include <string>

namespace {
std::mutex callLock;
// The document of the last install or remove of this process.
std::string lastReport;

bool MastercamRegistered() {
    int nine = 9;
    int eight = 8;
    return !VellantSetup::GetMCAMPath(&nine).IsEmpty() || !VellantSetup::GetMCAMPath(&eight).IsEmpty();
}

bool ValidOptions(unsigned int options) { return (options & ~VELLANTS_ALL_OPTIONS) == 0; }

void RunInstall(VellantSetup& setup, unsigned int options) {
    const auto wants = [options](unsigned int bit) { return options == 0 || (options & bit) != 0; };
    setup.InstallAllMastercamOptions(wants(VELLANTS_EDITOR), wants(VELLANTS_TOOLBAR), wants(VELLANTS_HOOK),
                                     wants(VELLANTS_BUTTON), wants(VELLANTS_TOOLDEFS));
}

// Copies the document when it fits; the size it needs either way, or below 0.
int Deliver(const std::string& document, char* json, int size) {
    if (size < 0) return VELLANTS_BAD_ARGUMENT;
    if (document.size() >= static_cast<size_t>(INT_MAX)) return VELLANTS_INTERNAL_ERROR;
    const int needed = static_cast<int>(document.size()) + 1;
    if (json && size >= needed)
        std::memcpy(json, document.c_str(), static_cast<size_t>(needed));
    else if (json && size > 0)
        json[0] = '\0';
    return needed;
}

int Change(bool remove, unsigned int options) {
    if (!ValidOptions(options)) return VELLANTS_BAD_ARGUMENT;
    const char* command = remove ? "remove" : "install";
    if (!MastercamRegistered()) {
        lastReport = DocumentText(ErrorDocument(command, "no Mastercam installation is registered"));
        return VELLANTS_NO_MASTERCAM;
    }
    // A run that fails on the way leaves no report of an earlier run behind.
    lastReport = DocumentText(ErrorDocument(command, "the run did not finish"));
    VellantSetup setup;
    if (remove)
        setup.RemoveAllMastercamOptions();
    else
        RunInstall(setup, options);
    lastReport = DocumentText(ChangeDocument(setup, command, false));
    const size_t failed = setup.LastReport().Failures().size();
    return failed > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(failed);
}

template <typename Call>
int Guarded(Call call) noexcept {
    try {
        const std::lock_guard<std::mutex> hold(callLock);
        return call();
    } catch (...) {
        return VELLANTS_INTERNAL_ERROR;
    }
}
}  // namespace

extern "C" int VELLANTS_CALL VellantsInstall(unsigned int options) {
    return Guarded([&] { return Change(false, options); });
}

extern "C" int VELLANTS_CALL VellantsRemove(void) {
    return Guarded([&] { return Change(true, 0); });
}

extern "C" int VELLANTS_CALL VellantsPlan(int remove, unsigned int options, char* json, int size) {
    return Guarded([&] {
        if (!ValidOptions(options) || size < 0) return VELLANTS_BAD_ARGUMENT;
        const char* command = remove ? "plan remove" : "plan install";
        if (!MastercamRegistered())
            return Deliver(DocumentText(ErrorDocument(command, "no Mastercam installation is registered")), json, size);
        VellantSetup setup;
        setup.SetPlanning(true);
        if (remove)
            setup.RemoveAllMastercamOptions();
        else
            RunInstall(setup, options);
        return Deliver(DocumentText(ChangeDocument(setup, remove ? "remove" : "install", true)), json, size);
    });
}

extern "C" int VELLANTS_CALL VellantsLastReport(char* json, int size) {
    return Guarded(
        [&] { return Deliver(lastReport.empty() ? DocumentText(Document(nullptr)) : lastReport, json, size); });
}

extern "C" const char* VELLANTS_CALL VellantsVersion(void) { return VELLANTS_VERSION; }
