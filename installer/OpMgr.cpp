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
    const std::string companion = QuotedCompanion();
    Io().SetValue(kRunKey, kRunValue, RegistryData::Text(companion));
    Io().Start(companion);
}

std::string VellantSetup::QuotedCompanion() { return "\"" + GetQTX2CAMPath().Str() + "\""; }

void VellantSetup::KeepRunValueQuoted() {
    // Earlier versions stored the path bare: that value is rewritten in the quoted form.
    RegistryData stored;
    if (Io().ReadValue(kRunKey, kRunValue, stored) && stored.type == REG_SZ &&
        Lower(stored.bytes.substr(0, stored.bytes.find('\0'))) == Lower(GetQTX2CAMPath().Str()))
        Io().SetValue(kRunKey, kRunValue, RegistryData::Text(QuotedCompanion()));
}

void VellantSetup::RemoveOpMgr(PathString folder) {
    Io().DeleteValue(kRunKey, kRunValue);
    Io().Signal(kShutdownEvent);
    Io().Delete((folder + kOpMgrFiles[0].target).Str());
}

bool VellantSetup::IsOpMgrInstalled() {
    RegistryData companion;
    return Io().ReadValue(kRunKey, kRunValue, companion) && !companion.bytes.empty() &&
           companion.bytes.size() <= kRunValueBuffer && companion.bytes[0] != '\0';
}
