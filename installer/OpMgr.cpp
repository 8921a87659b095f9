// The operations-manager C-hooks and the companion program that starts at log-on.
#include "foundation/FileUtils.h"
#include "installer/RegistryKey.h"
#include "installer/VellantSetup.h"
#include <string>
#include <vector>

namespace {
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "Korvane Utilities QTX2CAM";
const char* const kShutdownEvent = "QTX2CAM Shutdown";
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
    ::CopyFileA(source + "QTXGetOps.dll", folder + "chooks\\QTXGetOps.dll", FALSE);
    ::CopyFileA(source + "QTXTrans.dll", folder + "chooks\\QTXTrans.dll", FALSE);
    const PathString companion = GetQTX2CAMPath();

    HKEY created = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) ==
        ERROR_SUCCESS)
        ::RegCloseKey(created);
    RegistryKey run;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, run.Out());
    if (run)
        ::RegSetValueExA(run.Get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(companion.operator const char*()),
                         static_cast<DWORD>(companion.GetLength() + 1));

    // Quoted on the command line so that a folder with blanks cannot start another program.
    std::string command = "\"" + companion.Str() + "\"";
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');
    RunProgram(commandLine.data(), false);
}

void VellantSetup::RemoveOpMgr(PathString folder) {
    RegistryKey run;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, run.Out()) == ERROR_SUCCESS)
        ::RegDeleteValueA(run.Get(), kRunValue);
    if (HANDLE shutdown = ::CreateEventA(nullptr, FALSE, FALSE, kShutdownEvent)) {
        ::SetEvent(shutdown);
        ::CloseHandle(shutdown);
    }
    ::DeleteFileA(folder + "chooks\\QTXGetOps.dll");
}

bool VellantSetup::IsOpMgrInstalled() {
    RegistryKey run;
    std::string companion;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, run.Out()) != ERROR_SUCCESS) return false;
    return ReadRegistryText(run.Get(), kRunValue, 256, companion) && !companion.empty();
}
