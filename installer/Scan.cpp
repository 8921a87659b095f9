// Finds every configuration file of Mastercam 9 and 8, classifies it and reads
// which add-on options it carries.
#include "foundation/FileUtils.h"
#include "installer/RegistryKey.h"
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"
#include <cstring>

namespace {
// First match decides: Wire, Lathe, Design, Router; anything else is a Mill.
int KindOf(const std::string& text) {
    if (text.find("\n119. ") != std::string::npos) return kWire;
    if (text.find("[lathe") != std::string::npos) return kLathe;
    if (text.find("design") != std::string::npos) return kDesign;
    if (text.find("router") != std::string::npos) return kRouter;
    return kMill;
}

void ListConfigFiles(const PathString& folder, EList<FileString>& found) {
    // An unregistered version has no folder; listing "\*.cfg" of the drive's root
    // would pick up files that belong to no Mastercam.
    if (!folder.IsEmpty()) FindFiles(StrPP(folder), "*.cfg", found, false);
}
}  // namespace

void VellantSetup::GetCFGFiles() {
    int eight = 8;
    int nine = 9;
    const PathString mcam8 = GetMCAMPath(&eight);
    const PathString mcam9 = GetMCAMPath(&nine);
    EList<FileString> files8(5, 20);
    EList<FileString> files9(5, 20);
    ListConfigFiles(mcam8, files8);
    ListConfigFiles(mcam9, files9);
    for (int i = 0; i <= files9.last; ++i) AddScannedFile(files9[i].fullPath.Text(), 9);
    for (int i = 0; i <= files8.last; ++i) AddScannedFile(files8[i].fullPath.Text(), 8);
}

void VellantSetup::AddScannedFile(const CString& path, int version) {
    McConfigFile record;
    record.path = path;
    record.version = version;
    const int hook = IsCFGEnabledForHook(path);
    // The value 1 is the older form: hook, button and tool definitions.
    const bool legacy = hook == 1;
    record.installed[kOpMgrHook] = legacy || (hook & 0x02);
    record.installed[kOpMgrButton] = legacy || (hook & 0x04);
    record.installed[kOpMgrToolDefs] = legacy || (hook & 0x08);
    record.installed[kOpMgrDisableToolpath] = !legacy && (hook & 0x10);
    record.installed[kEditor] = IsCFGItemInstalled("QTX_V2", path);
    record.installed[kToolbar] = IsCFGItemInstalled("GOTOQTX*", path);

    std::string text;
    if (!ReadEditableText(path, text)) return;
    record.kind = KindOf(text);
    std::memcpy(record.wanted, record.installed, sizeof record.wanted);
    m_configFiles.push_back(record);
}

bool VellantSetup::IsCFGItemInstalled(CString text, PathString file) {
    text.MakeUpper();
    if (!FileExists(StrPP(file))) return false;
    std::string contents;
    if (!ReadEditableText(file, contents)) return false;
    return Upper(contents).find(text.Str()) != std::string::npos;
}

int VellantSetup::IsCFGEnabledForHook(PathString file) {
    CString name(file);
    name.MakeLower();
    RegistryKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kQtx2camKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return 0;
    return static_cast<int>(value);
}
