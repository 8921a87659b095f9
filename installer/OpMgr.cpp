// The operations-manager C-hooks and the companion program that starts at log-on.
#include "installer/AddonFiles.h"
#include "installer/Machine.h"
#include "installer/VellantSetup.h"
#include "foundation/TextSearch.h"
#include <string>

namespace {
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "Korvane Utilities QTX2CAM";
const char* const kShutdownEvent = "QTX2CAM Shutdown";
// Owned by the running companion for its whole life: one companion at a time.
const char* const kRunningMutex = "QTX2CAM Running";
// IsOpMgrInstalled reads the value into a buffer of this size.
const size_t kRunValueBuffer = 256;
}  // namespace

bool IsOldWindowsNT() {
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof extended;
    OSVERSIONINFOA basic = {};
    basic.dwOSVersionInfoSize = sizeof basic;
    DWORD platform = 0;
    DWORD major = 0;
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        platform = extended.dwPlatformId;
        major = extended.dwMajorVersion;
    } else if (::GetVersionExA(&basic)) {
        platform = basic.dwPlatformId;
        major = basic.dwMajorVersion;
    } else {
        return false;
    }
    return platform == VER_PLATFORM_WIN32_NT && major < 5;
}

void VellantSetup::InstallOpMgr(PathString folder) {
    if (IsOldWindowsNT()) return;
    const PathString source = GetDLLSourcePath();
    for (const AddonFile& file : kOpMgrFiles)
        Io().Copy(StepAction::CopyFile, (source + file.source).Str(), (folder + file.target).Str());
    // Quoted, in the Run value as on the command line, so that a folder with blanks
    // ("C:\Program Files\...") cannot start another program ("C:\Program.exe").
    Io().SetValue(kRunKey, kRunValue, RegistryData::Text(QuotedCompanion()));
    StartCompanion();
}

std::string VellantSetup::QuotedCompanion() { return "\"" + GetQTX2CAMPath().Str() + "\""; }

void VellantSetup::KeepRunValueQuoted() {
    // Earlier versions stored the path bare: that value is rewritten in the quoted form.
    RegistryData stored;
    if (Io().ReadValue(kRunKey, kRunValue, stored) && stored.type == REG_SZ &&
        Lower(stored.bytes.substr(0, stored.bytes.find('\0'))) == Lower(GetQTX2CAMPath().Str()))
        Io().SetValue(kRunKey, kRunValue, RegistryData::Text(QuotedCompanion()));
}

void VellantSetup::StartCompanion() {
    if (IsOldWindowsNT() || Io().ProgramRunning(kRunningMutex)) return;
    Io().Start(QuotedCompanion(), kShutdownEvent, kRunningMutex);
}

void VellantSetup::RemoveOpMgr(PathString folder) {
    // The registration and the companion stay while another version's files use them.
    if (!m_companionStays) {
        Io().DeleteValue(kRunKey, kRunValue);
        Io().Stop(kShutdownEvent, kRunningMutex);
    }
    Io().Delete((folder + kOpMgrFiles[0].target).Str());
}

void VellantSetup::KeepOpMgr(PathString folder, const Keeper& keeper) {
    const std::string library = (folder + kOpMgrFiles[0].target).Str();
    if (Io().Exists(library)) KeepStep(library, keeper);
    RegistryData companion;
    if (Io().ReadValue(kRunKey, kRunValue, companion)) KeepStep(std::string(kRunKey) + "\\" + kRunValue, keeper);
}

bool VellantSetup::IsOpMgrInstalled() {
    RegistryData companion;
    return Io().ReadValue(kRunKey, kRunValue, companion) && !companion.bytes.empty() &&
           companion.bytes.size() <= kRunValueBuffer && companion.bytes[0] != '\0';
}
