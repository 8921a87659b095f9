// The operations-manager C-hooks and the companion program that starts at log-on.
#include "installer/AddonFiles.h"
#include "installer/Machine.h"
#include "installer/VellantSetup.h"
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
    const PathString companion = GetQTX2CAMPath();
    Io().SetValue(kRunKey, kRunValue, RegistryData::Text(companion.Str()));
    // Quoted on the command line so that a folder with blanks cannot start another program.
    Io().Start("\"" + companion.Str() + "\"");
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
