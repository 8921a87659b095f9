#include "installer/VellantSetup.h"
#include "installer/RegistryKey.h"

namespace {
const char* const kMill9Key = "SOFTWARE\\CNC Software, Inc.\\V9 Mill";
const char* const kMill8Key = "SOFTWARE\\CNC Software, Inc.\\Mill8";

// Opens a version's key; on success reports the version and reads "Directory".
bool ReadInstallFolder(const char* keyName, int found, int* version, PathString& folder) {
    RegistryKey key;
    if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, keyName, key.Out()) != ERROR_SUCCESS) return false;
    if (version) *version = found;
    std::string directory;
    ReadRegistryText(key.Get(), "Directory", MAX_PATH, directory);
    folder = directory.c_str();
    return true;
}
}  // namespace

PathString VellantSetup::GetMCAMPath(int* version) {
    PathString folder;
    if (!version || *version == 9) {
        if (ReadInstallFolder(kMill9Key, 9, version, folder)) return folder;
    }
    if (!version || *version == 8) {
        if (ReadInstallFolder(kMill8Key, 8, version, folder)) return folder;
    }
    return PathString();
}

PathString VellantSetup::GetDLLSourcePath() { return ProgramFolder() + "Vellants\\Mastercam\\"; }

PathString VellantSetup::GetQTX2CAMPath() { return GetDLLSourcePath() + "qtx2cam.exe"; }
